// A headless stage for the machine's tests: the world of the world tests with
// a game state of its own, the machine's shape sets, a player in its start
// state and projectiles of either side.
#pragma once
#include <memory>

#include "../world/WorldTestSupport.h"
#include "game/flow/Environment2.h"
#include "game/player/Player.h"
#include "game/player/weapons/Bullet.h"
#include "game/world/Character.h"
#include "engine/assets/devices/InputManager.h"
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
