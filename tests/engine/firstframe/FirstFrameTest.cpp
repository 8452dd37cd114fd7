// The first frames of the real program, headless: the root scene draws a test
// scene's 2D and 3D sprites through the render groups into its render target
// and copies that to the back buffer, which is read back at a present.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/assets/MaterialUnit.h"
#include "engine/assets/RenderGroups.h"
#include "engine/assets/RenderObjectSpr2D.h"
#include "engine/assets/Sprite3DInfo.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/Environment.h"
#include "engine/core/WinMain.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/ObjectManager.h"
#include "game/app/SceneFirst.h"

using namespace Quorvex;

namespace {

constexpr int kCaptureFrame = 3;
constexpr D3DCOLOR kFogColor = 0xFFFF0000;

struct Rgb {
    int r, g, b;
};

// What the present hook saw at the capture frame.
struct Capture {
    std::vector<uint8_t> rgba;
    int width = 0;
    int height = 0;
    int frames = 0;
    DWORD deviceFog = 0xFFFFFFFF;
    int storedFog = -1;
    int childCount = -1;

    Rgb At(int x, int y) const {
        const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
        return Rgb{p[0], p[1], p[2]};
    }
};
Capture g_capture;

::testing::AssertionResult Near(const Capture& capture, int x, int y, Rgb expected, int tolerance = 3) {
    const Rgb got = capture.At(x, y);
    if (std::abs(got.r - expected.r) <= tolerance && std::abs(got.g - expected.g) <= tolerance &&
        std::abs(got.b - expected.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is (" << got.r << ", " << got.g
                                         << ", " << got.b << "), expected (" << expected.r << ", " << expected.g
                                         << ", " << expected.b << ")";
}

// An 8 x 8 texture: all white, or blue over green (top half blue).
MaterialUnit* MakeMaterial(IDirect3DDevice9* device, const char* name, bool twoTone) {
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr)))
        return nullptr;
    D3DLOCKED_RECT locked{};
    if (SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0))) {
        for (int y = 0; y < 8; ++y) {
            auto* row = static_cast<uint8_t*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
            for (int x = 0; x < 8; ++x) {
                // B, G, R, A
                const bool top = y < 4;
                row[x * 4 + 0] = !twoTone || top ? 255 : 0;
                row[x * 4 + 1] = !twoTone || !top ? 255 : 0;
                row[x * 4 + 2] = twoTone ? 0 : 255;
                row[x * 4 + 3] = 255;
            }
        }
        texture->UnlockRect(0);
    }
    MaterialUnit* material = new MaterialUnit(name);
    material->AddRef();
    material->SetTexture(0, texture);
    texture->Release();
    return material;
}

// A camera-facing 3D sprite.
class Billboard : public RenderObject {
public:
    explicit Billboard(ObjectManager* manager) : RenderObject(manager, 0) {}
    void Render(CalcVertexSet* list) override {
        PushRenderStatePreset(list, preset);
        PushBillboard(list, sprite);
    }
    Sprite3DInfo sprite;
    int preset = 2;
};

// The scene a game scene would be: its own object manager, the render groups
// and a handful of sprites.
class TestScene : public SceneBase {
public:
    explicit TestScene(const char* name) {
        m_name = name;
        m_objectManagerCreation = CreateOwn;
        m_areaManagerCreation = CreateNone;
    }
    ~TestScene() override {
        for (RenderObject* object : m_objects) object->Release();
        for (MaterialUnit* material : {m_white, m_twoTone})
            if (material) material->Release();
    }
    void OnUpdate(float) override {}
    void OnRender() override {}

protected:
    int AddGroup(RenderGroup* group, const char* name, int capacity) {
        group->AddRef();
        const int result = group->Initialize(GetObjectManager(), name, capacity, 0);
        group->Release();
        return result;
    }

    void AddBillboard(const char* stage, MaterialUnit* material, D3DCOLOR color,
                      const D3DXVECTOR3& position = D3DXVECTOR3(0.0f, 0.0f, 0.0f), float size = 2.0f) {
        Billboard* billboard = new Billboard(GetObjectManager());
        billboard->AddRef();
        billboard->sprite.SetMaterial(material);
        billboard->sprite.color = color;
        billboard->sprite.position = position;
        billboard->sprite.width = size;
        billboard->sprite.height = size;
        billboard->AttachStage(GetObjectManager()->GetRenderStage(stage));
        m_objects.push_back(billboard);
    }

    // The camera at (0, 0, -10) looking at the origin, 45 degrees high.
    void SetCamera() {
        ObjectManager* objects = GetObjectManager();
        D3DVIEWPORT9 viewport{};
        GetDevice()->GetViewport(&viewport);
        objects->SetProjection(viewport);
        objects->SetCamera(D3DXVECTOR3(0.0f, 0.0f, -10.0f), D3DXVECTOR3(0.0f, 0.0f, 0.0f),
                           D3DXVECTOR3(0.0f, 1.0f, 0.0f));
        D3DXMATRIX projection;
        D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 4.0f,
                                   static_cast<float>(viewport.Width) / static_cast<float>(viewport.Height), 1.0f,
                                   1000.0f);
        objects->SetProjectionMatrix(projection);
        objects->UpdateMatrices();
    }

    MaterialUnit* m_white = nullptr;
    MaterialUnit* m_twoTone = nullptr;
    std::vector<RenderObject*> m_objects;
};

// Solid models in a "SolidModel" group with no standard group to draw them.
class UnmergedScene : public TestScene {
public:
    UnmergedScene() : TestScene("unmerged") {}
    int OnInitialize(void*) override {
        m_white = MakeMaterial(GetDevice(), "matWhite2", false);
        if (!m_white || AddGroup(new RenderGroupSolidModel(3001), "SolidModel", 1000) < 0) return -1;
        SetCamera();
        AddBillboard("SolidModel", m_white, 0xFFFFFFFF, D3DXVECTOR3(0.0f, -1.5f, -5.0f), 0.4f);
        return 0;
    }
};

class SpriteScene : public TestScene {
public:
    SpriteScene() : TestScene("sprites") {}

    int OnInitialize(void*) override {
        ObjectManager* objects = GetObjectManager();
        IDirect3DDevice9* device = GetDevice();
        if (!objects || !device || !GetShaderManager()) return -1;
        m_white = MakeMaterial(device, "matWhite", false);
        m_twoTone = MakeMaterial(device, "matTwoTone", true);
        if (!m_white || !m_twoTone) return -1;

        // Registered so that neither name order nor registration order is
        // the drawing order.
        if (AddGroup(new RenderGroupSprite2D(), "Sprite2D", 3000) < 0) return -1;
        if (AddGroup(new RenderGroupSprite3D(5000), "Sprite3D", 6000) < 0) return -1;
        if (AddGroup(new RenderGroupSprite3D(4000), "Sprite3DBg", 6384) < 0) return -1;
        if (AddGroup(new RenderGroupStandard(), "", 16384) < 0) return -1;
        if (AddGroup(new RenderGroupSolidModel(2500), "SolidModelBg", 1000) < 0) return -1;
        if (AddGroup(new RenderGroupSolidModel(3001), "SolidModel", 1000) < 0) return -1;
        objects->GetRenderGroup("")->AddSourceGroup(objects->GetRenderGroup("SolidModel"));

        SetCamera();
        // Half fog at the sprites' depth of 10.
        GetShaderManager()->SetFog(FogParam{1, 15.0f, 5.0f, kFogColor});

        // 3D: a white sprite behind (4000) a blue-over-green one (5000), both
        // centred on the origin; fog turns them half red.
        AddBillboard("Sprite3DBg", m_white, 0xFFFFFFFF);
        AddBillboard("Sprite3D", m_twoTone, 0xFFFFFFFF);
        // Solid models, nearer (no fog there): the 2500 group draws its own,
        // the 3001 group's are drawn by the standard group.
        AddBillboard("SolidModelBg", m_white, 0xFF00FFFF, D3DXVECTOR3(-1.5f, 1.2f, -5.0f), 0.4f);
        AddBillboard("SolidModel", m_white, 0xFFFF00FF, D3DXVECTOR3(0.92f, 1.5f, -5.0f), 0.4f);

        // 2D, in units of the screen height from the top-left corner.
        Sprite2D(m_twoTone, 0xFFFFFFFF, 0.05f, 0.05f, 0.3f, 0.0f, 2, true);  // orientation
        // Draw priority, descending: the lower value lies on top, whichever
        // object came first.
        Sprite2D(m_white, 0xFFFF0000, 1.2f, 0.05f, 0.3f, 5.0f, 1);
        Sprite2D(m_white, 0xFF00FF00, 1.2f, 0.05f, 0.3f, 1.0f, 1);
        Sprite2D(m_white, 0xFFFF0000, 1.2f, 0.55f, 0.3f, 1.0f, 1);
        Sprite2D(m_white, 0xFF00FF00, 1.2f, 0.55f, 0.3f, 5.0f, 1);
        // Blend presets 2 (half blue over red) and 3 (green added to red).
        Sprite2D(m_white, 0xFFFF0000, 0.05f, 0.55f, 0.3f, 2.0f, 1);
        Sprite2D(m_white, 0x800000FF, 0.05f, 0.55f, 0.3f, 1.0f, 2);
        Sprite2D(m_white, 0xFFFF0000, 0.45f, 0.55f, 0.3f, 2.0f, 1);
        Sprite2D(m_white, 0xFF00FF00, 0.45f, 0.55f, 0.3f, 1.0f, 3);
        // Over the 3D sprites' centre: the 2D group draws last.
        Sprite2D(m_white, 0xFFFFFF00, 300.0f / 360.0f, 170.0f / 360.0f, 20.0f / 360.0f, 0.0f, 1);
        return 0;
    }

private:
    void Sprite2D(MaterialUnit* material, D3DCOLOR color, float x, float y, float size, float priority,
                  int preset, bool upright = false) {
        RenderObjectSpr2D* sprite = RenderObjectSpr2D::Create(GetObjectManager());
        sprite->m_sprite.SetMaterial(material);
        sprite->m_sprite.color = color;
        sprite->m_sprite.x = x;
        sprite->m_sprite.y = y;
        sprite->m_sprite.width = size;
        sprite->m_sprite.height = size;
        sprite->m_sprite.centered = 0;
        if (upright) {
            // Bottom corners take the bottom of the texture.
            sprite->m_sprite.uv[0] = D3DXVECTOR2(0.0f, 1.0f);
            sprite->m_sprite.uv[1] = D3DXVECTOR2(1.0f, 1.0f);
            sprite->m_sprite.uv[2] = D3DXVECTOR2(0.0f, 0.0f);
            sprite->m_sprite.uv[3] = D3DXVECTOR2(1.0f, 0.0f);
        }
        sprite->m_blendMode = preset;
        sprite->SetDrawPriority(priority);
        sprite->Show();
        m_objects.push_back(sprite);
    }

};

// The root scene with its render target and copy pass, and the sprite scene
// as its child, in place of the game's loading.
class TestRoot : public SceneFirst {
public:
    int OnInitialize(void*) override {
        const HRESULT target = CreateRenderTarget();
        if (FAILED(target)) return target;
        IDirect3DDevice9* device = GetDevice();
        orv::d3d9::SetPresentHook(device, [this, device] {
            if (++g_capture.frames != kCaptureFrame) return;
            orv::d3d9::ReadBackBuffer(device, g_capture.rgba, g_capture.width, g_capture.height);
            device->GetRenderState(D3DRS_FOGENABLE, &g_capture.deviceFog);
            g_capture.storedFog = GetShaderManager()->GetFog().enable;
            g_capture.childCount = GetChildCount();
            PostQuitMessage(0);
        });
        if (StartScene(new SpriteScene(), this, nullptr) < 0) return -1;
        return StartScene(new UnmergedScene(), this, nullptr) < 0 ? -1 : 0;
    }
};

SceneBase* MakeTestRoot() { return new TestRoot(); }

HINSTANCE__ g_instance{};

}  // namespace

TEST(FirstFrame, SpritesReachTheBackBufferThroughTheRootScenesTarget) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    std::wstring commandLine = L"-windowed -width:640 -height:360";
    const int exitCode = RunWinMain(&MakeTestRoot, &g_instance, nullptr, commandLine.data(), SW_SHOWNORMAL);
    ASSERT_EQ(exitCode, 0);
    ASSERT_EQ(g_capture.frames, kCaptureFrame);
    ASSERT_EQ(g_capture.width, 640);
    ASSERT_EQ(g_capture.height, 360);
    const Capture& c = g_capture;
    EXPECT_EQ(c.childCount, 2);

    const Rgb black{0, 0, 0}, red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, yellow{255, 255, 0};

    // Position and orientation: the upright sprite spans pixels 18..126 on
    // both axes, blue on top, green below; nothing around it.
    EXPECT_TRUE(Near(c, 72, 40, blue));
    EXPECT_TRUE(Near(c, 72, 110, green));
    EXPECT_TRUE(Near(c, 21, 60, blue));
    EXPECT_TRUE(Near(c, 123, 60, blue));
    EXPECT_TRUE(Near(c, 15, 60, black));
    EXPECT_TRUE(Near(c, 72, 15, black));
    EXPECT_TRUE(Near(c, 129, 60, black));
    EXPECT_TRUE(Near(c, 72, 129, black));

    // Draw priority within the 2D stage.
    EXPECT_TRUE(Near(c, 486, 72, green));
    EXPECT_TRUE(Near(c, 486, 252, red));

    // Blending: preset 2 with alpha 0x80, preset 3 additive.
    EXPECT_TRUE(Near(c, 72, 252, Rgb{127, 0, 128}, 4));
    EXPECT_TRUE(Near(c, 216, 252, yellow));

    // Groups in ascending key: the 5000 sprite over the 4000 one, half
    // fogged to red; the 2D sprite over both, not fogged.
    EXPECT_TRUE(Near(c, 320, 160, Rgb{128, 0, 128}, 4));
    EXPECT_TRUE(Near(c, 320, 205, Rgb{128, 128, 0}, 4));
    EXPECT_TRUE(Near(c, 310, 180, yellow));
    EXPECT_TRUE(Near(c, 320, 100, black));

    // Solid models: drawn by their own 2500 group and, for 3001, by the
    // standard group; a 3001 group without a standard group draws nothing.
    EXPECT_TRUE(Near(c, 190, 76, Rgb{0, 255, 255}));
    EXPECT_TRUE(Near(c, 395, 50, Rgb{255, 0, 255}));
    EXPECT_TRUE(Near(c, 320, 310, black));

    // The 2D group left device fog off and the scene's fog record kept.
    EXPECT_EQ(c.deviceFog, 0u);
    EXPECT_EQ(c.storedFog, 1);
}
