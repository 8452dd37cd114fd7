// A headless stage for the machine's tests: the world of the world tests with
// a game state of its own, the machine's shape sets, a player in its start
// state and projectiles of either side.
#pragma once
#include <memory>
#include <string>

#include "../world/WorldTestSupport.h"
#include "engine/assets/MeshUnit.h"
#include "engine/assets/ResourceManager.h"
#include "engine/assets/devices/InputManager.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "game/player/Player.h"
#include "game/player/weapons/Bullet.h"
#include "game/state/Environment2.h"
#include "game/support/HeadlessWorld.h"
#include "game/world/Character.h"
#include "platform/d3d9/test_device.h"
#include "platform/dinput/dinput.h"

namespace player_test {

using Quorvex::AreaPos;

// A projectile whose type name the test chooses.
class Shot : public Bullet {
public:
    Shot(Quorvex::IObjectManager* objects, Quorvex::IAreaManager* areas, const char* type = "none")
        : Bullet(objects, areas, AreaPos()), type_(type) {
        Initialize(0);
    }
    const char* GetTypeName() const override { return type_; }

private:
    const char* type_;
};

// Bit of a group flag in a mask of flags.
constexpr unsigned Flag(int group) { return 1u << group; }

// A character with a chosen mask of group flags.
class Thing : public Character {
public:
    Thing(Quorvex::IObjectManager* objects, Quorvex::IAreaManager* areas, unsigned flags, float life = 0.0f)
        : Character(objects, areas, AreaPos()) {
        for (int group = 1; group < 8; ++group)
            if (flags & Flag(group)) SetGroupFlag(group, true);
        m_life = life;
    }
};

class PlayerFixture : public world_test::WorldFixture {
protected:
    void SetUp() override {
        WorldFixture::SetUp();
        saved_ = g_pEnvironment2;
        state_ = std::make_unique<Environment2>();
        g_pEnvironment2 = state_.get();
        InstallFactory();
        areas->SetCentralPoint(Quorvex::Int3{0, 0, 0}, D3DXVECTOR3(0, 0, 0), 0);
        Sphere(L"Fighter", 2.0f, 1.0f);
        Sphere(L"GunBullet", 1.0f, 1.0f);
        Sphere(L"GunHeavyBullet", 1.0f, 1.0f);
        Quorvex::g_pEnvironment->SetFrameTime(1.0f / 60.0f);
    }

    void TearDown() override {
        if (player) {
            player->RequestRemove(true);
            player->Release();
            player = nullptr;
        }
        WorldFixture::TearDown();
        g_pEnvironment2 = saved_;
        state_.reset();
    }

    // A machine in its start state, vulnerable, at the given speed rate.
    Player* NewPlayer(float speedRate = 0.0f) {
        if (player) {
            player->RequestRemove(true);
            player->Release();
        }
        player = new Player(objects, areas, AreaPos());
        player->AddRef();
        player->Reset();
        player->SetInvulnerableTime(0.0f);
        Player::Flight& flight = player->GetFlight();
        flight.speed = flight.minSpeed + speedRate * (flight.maxSpeed - flight.minSpeed);
        return player;
    }

    template <class T, class... Args>
    T* Make(Args&&... args) {
        T* object = new T(objects, areas, std::forward<Args>(args)...);
        object->AddRef();
        held.push_back(object);
        return object;
    }

    Shot* EnemyShot(float attackPower) {
        Shot* shot = Make<Shot>();
        shot->SetSide(false);
        shot->SetAttackPower(attackPower);
        return shot;
    }

    Player* player = nullptr;

private:
    Environment2* saved_ = nullptr;
    std::unique_ptr<Environment2> state_;
};

// Models found through a resource manager on a real device, for objects made
// on `models`: a pilot quad with three animation sets, two missile models and
// the Zenk background the machine needs to set up.
class LoadedModels : public PlayerFixture {
protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        ASSERT_EQ(CreateTestDevice(64, 48, &d3d, &device), D3D_OK);
        shaders = new Quorvex::ShaderManager();
        shaders->AddRef();
        shaders->SetDevice(device);
        resources = new Quorvex::ResourceManager();
        resources->AddRef();
        ASSERT_EQ(resources->Initialize(device, shaders), 0);
        models = new Quorvex::ObjectManager();
        models->AddRef();
        Quorvex::ObjectManager::InitParam param = game_test::ManagerParam(16, 1024, 1024, 1024);
        param.resourceManager = resources;
        ASSERT_EQ(models->Initialize(param), 0);
        auto* pilot = new Quorvex::MeshUnit(resources, "Mesh_Velrin");
        resources->SetResource("Mesh_Velrin", pilot);
        const std::string x = PilotX();
        ASSERT_EQ(pilot->LoadMeshFromMemory(x.data(), static_cast<DWORD>(x.size()), 0), 0);
        for (const char* id : {"missile", "Mesh_Nuke2", "Mesh_SpellBg"})
            resources->SetResource(id, new Quorvex::MeshUnit(resources, id));
    }
    void TearDown() override {
        if (models) {
            models->Shutdown();
            models->Release();
        }
        SAFE_RELEASE(resources);
        SAFE_RELEASE(shaders);
        SAFE_RELEASE(device);
        SAFE_RELEASE(d3d);
        PlayerFixture::TearDown();
    }

    // A quad in frame "Body" animated by three sets; "_nj" is the menu pose.
    static std::string PilotX() {
        std::string x = "xof 0303txt 0032\n";
        x += "Frame Body {\nFrameTransformMatrix { 1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0;; }\n";
        x += "Mesh Body {\n4; -1.0;1.0;0.0;, 1.0;1.0;0.0;, -1.0;-1.0;0.0;, 1.0;-1.0;0.0;;\n";
        x += "2; 3;0,1,2;, 3;1,3,2;;\n";
        x += "MeshNormals { 1; 0.0;0.0;-1.0;; 2; 3;0,0,0;, 3;0,0,0;; }\n";
        x += "MeshTextureCoords { 4; 0.0;0.0;, 1.0;0.0;, 0.0;1.0;, 1.0;1.0;; }\n";
        x += "MeshMaterialList { 1; 2; 0,0;; Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; } }\n";
        x += "}\n}\nAnimTicksPerSecond { 100; }\n";
        for (const char* set : {"AnimationSet_velrin_sj", "AnimationSet_velrin_nj", "AnimationSet_velrin_nj2"})
            x += std::string("AnimationSet ") + set +
                 " {\nAnimation { {Body}\nAnimationKey { 2; 1; 0;3;0.0,0.0,0.0;;; }\n}\n}\n";
        return x;
    }

    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    Quorvex::ShaderManager* shaders = nullptr;
    Quorvex::ResourceManager* resources = nullptr;
    Quorvex::ObjectManager* models = nullptr;
};

constexpr float kDt = 1.0f / 60.0f;
constexpr int kShot1 = 205, kShot2 = 203, kAccel = 200, kBrake = 208;

// The machine under keys: a window for the input, frames through the
// object manager.
class PlayerInputFixture : public PlayerFixture {
protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        Quorvex::g_pEnvironment->SetWindowActive(true);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = L"OrvalisPlayerTest";
        RegisterClassExW(&wc);
        window = CreateWindowExW(0, wc.lpszClassName, L"Quorvex", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr,
                                 nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        ShowWindow(window, SW_SHOW);
        Pump();
        input = new Quorvex::InputManager();
        input->AddRef();
        ASSERT_EQ(input->Initialize(window, nullptr), 0);
    }

    void TearDown() override {
        for (int key : {kShot1, kShot2, kAccel, kBrake}) orv::dinput::TestPushKeyCode(window, key, false);
        Pump();
        PlayerFixture::TearDown();
        if (input) input->Release();
        if (window) DestroyWindow(window);
        Pump();
    }

    static void Pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    Player* Machine(int fighter) {
        g_pEnvironment2->fighter = fighter;
        Player* machine = NewPlayer(0.5f);
        machine->SetInputManager(input);
        machine->BindDefaultKeys();
        return machine;
    }

    void Keys(std::initializer_list<int> down, bool pressed = true) {
        for (int key : down) orv::dinput::TestPushKeyCode(window, key, pressed);
    }

    // Frames with the keys as they are now.
    void Frames(int count) {
        for (int i = 0; i < count; ++i) {
            Pump();
            input->Update();
            objects->Update(kDt);
        }
    }

    HWND window = nullptr;
    Quorvex::InputManager* input = nullptr;
};

}  // namespace player_test
