// Meshes drawn through their per-object records on a real device, checked
// by the pixels they leave: lighting, texture and fog; skinning by animated
// bones; material layers; the motion-blur path; and a mesh that the loader
// thread made.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/assets/MeshInfo.h"
#include "engine/assets/MeshUnit_CalcData.h"
#include "engine/assets/shaders/MeshShader.h"
#include "engine/core/render/DrawMeshInfo.h"
#include "engine/resources/ResourceTestSupport.h"

using namespace Quorvex;
using namespace resources_test;

namespace {

constexpr D3DCOLOR kTexture = 0xFFC86432;  // (200, 100, 50)

D3DXMATRIX Translation(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}

}  // namespace

class MeshDraw : public ResourceDeviceTest {
protected:
    void SetUp() override {
        ResourceDeviceTest::SetUp();
        if (HasFatalFailure()) return;
        parameters_ = static_cast<MeshUnit_CalcData*>(resources_->GetRenderParameter());
        D3DXMatrixIdentity(&parameters_->m_view);
        parameters_->m_eye = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        // Without the scene's ambient term a lit colour is texture x light.
        parameters_->m_ambient = D3DXVECTOR4(0.0f, 0.0f, 0.0f, 1.0f);
        parameters_->m_lightDirection = D3DXVECTOR4(0.0f, 0.0f, 1.0f, 0.0f);
        Perspective();
    }

    void Perspective() {
        D3DXMatrixPerspectiveFovLH(&parameters_->m_projection, D3DX_PI / 2, float(kWidth) / kHeight, 1.0f, 100.0f);
    }
    // One unit is one pixel.
    void Orthographic() {
        D3DXMATRIX& m = parameters_->m_projection;
        D3DXMatrixIdentity(&m);
        m._11 = 2.0f / kWidth;
        m._22 = 2.0f / kHeight;
        m._33 = 1.0f / 99.0f;
        m._43 = -1.0f / 99.0f;
    }

    // A quad part "Body" whose material has the test texture.
    MeshUnit* TexturedQuad(const char* id, float half) {
        MeshUnit* mesh = LoadMesh(id, QuadX("Body", half));
        IDirect3DTexture9* texture = SolidTexture(kTexture);
        mesh->FindMaterialList("Body")->materials[0]->SetTexture(0, texture);
        texture->Release();
        return mesh;
    }

    void Draw(MeshInfo& record, const D3DXMATRIX& world) {
        ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0), D3D_OK);
        DrawMeshInfo(record, world);
        ReadBack();
    }

    MeshUnit_CalcData* parameters_ = nullptr;
};

TEST_F(MeshDraw, LitTexturedAndFogged) {
    Held<MeshUnit> mesh(TexturedQuad("Mesh_Quad", 2.0f));
    MeshInfo record;
    record.SetMesh(mesh.get());
    const float c60 = std::cos(D3DX_PI / 3), s60 = std::sin(D3DX_PI / 3);
    const struct {
        const char* what;
        D3DXVECTOR4 light;
        bool pointLight;
        bool fog;
        Rgba expected;
    } cases[] = {
        {"light along the view", {0, 0, 1, 0}, false, false, {200, 100, 50, 255}},
        {"light at 60 degrees", {0, -s60, c60, 0}, false, false, {100, 50, 25, 255}},
        // A point light at the eye lights the face the sun turns away from.
        {"point light at the eye", {0, 0, -1, 0}, true, false, {200, 100, 50, 255}},
        // Depth 5 between near 1 and far 9: half fog colour.
        {"fog halfway", {0, 0, 1, 0}, false, true, {100, 50, 152, 255}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        parameters_->m_lightDirection = c.light;
        parameters_->m_pointLights[2] = RenderParameter::PointLight();
        if (c.pointLight) {
            RenderParameter::PointLight& light = parameters_->m_pointLights[2];
            light.enabled = 1;
            light.position = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
            light.power = 1.0f;
            light.minLength = 10.0f;
            light.maxLength = 20.0f;
        }
        FogParam fog;
        if (c.fog) fog = FogParam{1, 9.0f, 1.0f, 0xFF0000FF};
        shaders_->SetFog(fog);
        Draw(record, Translation(0.0f, 0.0f, 5.0f));
        EXPECT_TRUE(Near(At(32, 24), c.expected, 3)) << At(32, 24);
        EXPECT_EQ(At(1, 1), (Rgba{0, 0, 0, 255})) << "the quad covers the middle only";
    }
    shaders_->SetFog(FogParam());
}

TEST_F(MeshDraw, SkinnedQuadFollowsItsAnimatedBones) {
    Orthographic();
    const struct {
        std::vector<float> weights;  // bone b has moved by 8 b
        int shift;
    } cases[] = {
        {{0.0f, 1.0f}, 8},
        {{0.5f, 0.5f}, 4},
        {{0.5f, 0.25f, 0.25f}, 6},
        {{0.25f, 0.25f, 0.25f, 0.25f}, 12},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shift);
        const std::string id = "Mesh_Skinned" + std::to_string(n++);
        Held<MeshUnit> mesh(LoadMesh(id.c_str(), SkinnedQuadX(c.weights, 4.0f, 16.0f)));
        ID3DXAnimationController* controller = nullptr;
        ASSERT_EQ(mesh->CloneAnimationController(&controller), S_OK);
        ASSERT_NE(controller, nullptr);
        ID3DXAnimationSet* move = nullptr;
        ASSERT_EQ(controller->GetAnimationSetByName("Move", &move), D3D_OK);
        controller->SetTrackAnimationSet(0, move);
        controller->SetTrackEnable(0, TRUE);
        controller->SetTrackPosition(0, 0.5);
        controller->AdvanceTime(0.0, nullptr);
        move->Release();

        MeshInfo record;
        record.SetMesh(mesh.get());
        Draw(record, Translation(0.0f, 0.0f, 5.0f));
        controller->Release();
        // The lit quad's extent along the middle row.
        int left = -1, right = -1;
        for (int x = 0; x < int(kWidth); ++x)
            if (At(x, 24).r > 128) {
                if (left < 0) left = x;
                right = x;
            }
        ASSERT_GE(left, 0) << "the quad is drawn";
        EXPECT_NEAR((left + right + 1) / 2.0, 32.0 + c.shift, 1.0);
        EXPECT_NEAR(right - left + 1, 8, 1);
    }
}

TEST_F(MeshDraw, MaterialLayersOverrideTheTextureOfTheirPart) {
    Held<MeshUnit> mesh(TexturedQuad("Mesh_Quad", 2.0f));
    Held<MaterialUnit> blue(new MaterialUnit("matBlue"));
    IDirect3DTexture9* texture = SolidTexture(0xFF0000FF);
    blue->SetTexture(0, texture);
    texture->Release();
    Held<MaterialUnit> bare(new MaterialUnit("matBare"));
    const Rgba original{200, 100, 50, 255};

    const struct {
        const char* what;
        MaterialUnit* source;
        const char* part;
        bool attached;
        Rgba expected;
    } cases[] = {
        {"layer on the part", blue.get(), "Body", true, {0, 0, 255, 255}},
        // A part the mesh does not have takes nothing, and the draw skips it.
        {"layer on a missing part", blue.get(), "Missing", false, original},
        {"material without texture", bare.get(), "Body", false, original},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MeshInfo record;
        record.SetMesh(mesh.get());
        record.m_materialLayers.emplace_back();
        AdditionalMaterial::Attach(c.source, &record.m_materialLayers.back(), mesh.get(), c.part);
        EXPECT_EQ(record.m_materialLayers.back().materials.size(), c.attached ? 1u : 0u);
        Draw(record, Translation(0.0f, 0.0f, 5.0f));
        EXPECT_TRUE(Near(At(32, 24), c.expected, 3)) << At(32, 24);
        EXPECT_EQ(mesh->FindMaterialList("Body")->ppTextureOverrides, nullptr) << "removed after the draw";
    }
    EXPECT_EQ(blue->GetRefCount(), 1) << "the layers let go of their materials";
}

TEST_F(MeshDraw, MotionBlurLeavesTargetsAsItFoundThem) {
    Held<MeshUnit> mesh(TexturedQuad("Mesh_Quad", 2.0f));
    MeshInfo record;
    record.SetMesh(mesh.get());
    record.m_instanceMatrices.resize(mesh->GetFrameCount());
    IDirect3DSurface9* target = nullptr;
    IDirect3DSurface9* depth = nullptr;
    ASSERT_EQ(device_->GetRenderTarget(0, &target), D3D_OK);
    ASSERT_EQ(device_->GetDepthStencilSurface(&depth), D3D_OK);
    const D3DVIEWPORT9 viewport{0, 0, kWidth, kHeight, 0.0f, 1.0f};

    auto expectTargets = [&](const char* what) {
        IDirect3DSurface9* nowTarget = nullptr;
        IDirect3DSurface9* nowDepth = nullptr;
        D3DVIEWPORT9 now{};
        device_->GetRenderTarget(0, &nowTarget);
        device_->GetDepthStencilSurface(&nowDepth);
        device_->GetViewport(&now);
        EXPECT_EQ(nowTarget, target) << what;
        EXPECT_EQ(nowDepth, depth) << what;
        EXPECT_EQ(now.Width, viewport.Width) << what;
        EXPECT_EQ(now.Height, viewport.Height) << what;
        SAFE_RELEASE(nowTarget);
        SAFE_RELEASE(nowDepth);
    };

    // Placed: the first draw only stores where the object is.
    record.m_bInstanceReset = 1;
    device_->SetViewport(&viewport);
    Draw(record, Translation(0.0f, 0.0f, 5.0f));
    expectTargets("stored");
    // Still: the blurred draw shows the object where it is.
    record.m_bInstanceReset = 0;
    ASSERT_EQ(parameters_->ClearShadowMap(), D3D_OK);
    Draw(record, Translation(0.0f, 0.0f, 5.0f));
    expectTargets("blurred");
    EXPECT_TRUE(Near(At(32, 24), (Rgba{200, 100, 50, 255}), 4)) << At(32, 24);

    // The blurred draw wrote into the blur target, so the next clear clears
    // it again (a target nothing drew into since is left as it is).
    auto blurTexelsSet = [&] {
        IDirect3DTexture9* blur = parameters_->m_blurTexture;
        D3DSURFACE_DESC desc{};
        D3DLOCKED_RECT locked{};
        if (FAILED(blur->GetLevelDesc(0, &desc)) || FAILED(blur->LockRect(0, &locked, nullptr, D3DLOCK_READONLY)))
            return -1;
        int set = 0;
        for (UINT y = 0; y < desc.Height; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) +
                                                                size_t(y) * locked.Pitch);
            for (UINT x = 0; x < desc.Width; ++x) set += row[x] != 0;
        }
        blur->UnlockRect(0);
        return set;
    };
    EXPECT_GT(blurTexelsSet(), 0);
    ASSERT_EQ(parameters_->ClearShadowMap(), D3D_OK);
    EXPECT_EQ(blurTexelsSet(), 0);
    ASSERT_EQ(parameters_->ClearShadowMap(), D3D_OK);
    expectTargets("cleared");

    // A blurred primitive without subsets draws nothing and still gives the
    // targets back.
    struct Empty : PrimitiveBase {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return S_OK; }
        ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
        ULONG STDMETHODCALLTYPE Release() override { return 1; }
        void DrawSubset(int) override {}
        void DrawExtrusionSubset(int) override {}
    } empty;
    D3DXMATRIX slot;
    D3DXMatrixIdentity(&slot);
    empty.m_pPreviousMatrix = &slot;
    shaders_->GetShader("MeshDefaultShader")->Apply(&empty, -1, -1);
    expectTargets("no subsets");
    target->Release();
    depth->Release();
}

TEST_F(MeshDraw, MeshFromTheLoaderThreadDrawsWithItsTexture) {
    ScratchFolder folder;
    folder.Write("quad.x", QuadX("Loaded", 2.0f, "loaded.png"));
    folder.Write("loaded.png", SolidPng(4, 4, 20, 220, 120));
    g_pEnvironment->SetTextureDirectory(folder.path().wstring().c_str());
    Held<TaskFactory> factory(new TaskFactory());
    Held<LoadTask_Mesh> task(new LoadTask_Mesh(resources_, "Mesh_Loaded", folder.Wide("quad.x").c_str(), 0));
    factory->Add(task.get());
    resources_->SetLoadTaskFactory(factory.get());
    ASSERT_EQ(resources_->RequestLoad("Mesh_Loaded"), 0);
    WaitForLoader(resources_);

    MeshInfo record;
    ASSERT_EQ(record.SetMesh(resources_, "Mesh_Loaded"), 0);
    Draw(record, Translation(0.0f, 0.0f, 5.0f));
    EXPECT_TRUE(Near(At(32, 24), (Rgba{20, 220, 120, 255}), 3)) << At(32, 24);
}
