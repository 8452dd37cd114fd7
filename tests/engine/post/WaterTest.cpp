// The water shaders on a real device: the wide sea surface seen from above.
#include <cmath>
#include <cstring>

#include "PostFixture.h"
#include "engine/assets/MaterialUnit.h"
#include "engine/assets/Primitive.h"
#include "engine/assets/shaders/Shader_Water.h"
#include "engine/core/render/RenderParameter.h"

using Quorvex::RenderParameter;
using Quorvex::Shader_WideWater;
using Quorvex::WaterEffectHandles;

namespace {

struct WaterVertex {
    float x, y, z, nx, ny, nz, tx, ty, tz, u, v;
};
static_assert(sizeof(WaterVertex) == 44);

// A flat sea rectangle as the sea surface gives it: 44-byte vertices, drawn as
// one triangle list by its subset 0.
class SeaPatch : public Quorvex::PrimitiveBase {
public:
    explicit SeaPatch(IDirect3DDevice9* device) : device_(device) {
        const float x0 = -2000, x1 = 2000, z0 = -100, z1 = 3000;
        const WaterVertex v[6] = {
            {x0, 0, z0, 0, 1, 0, 1, 0, 0, 0, 0}, {x1, 0, z0, 0, 1, 0, 1, 0, 0, 1, 0}, {x0, 0, z1, 0, 1, 0, 1, 0, 0, 0, 1},
            {x0, 0, z1, 0, 1, 0, 1, 0, 0, 0, 1}, {x1, 0, z0, 0, 1, 0, 1, 0, 0, 1, 0}, {x1, 0, z1, 0, 1, 0, 1, 0, 0, 1, 1},
        };
        device_->CreateVertexBuffer(sizeof(v), D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &buffer_, nullptr);
        void* data = nullptr;
        buffer_->Lock(0, 0, &data, 0);
        std::memcpy(data, v, sizeof(v));
        buffer_->Unlock();
    }
    ~SeaPatch() override { buffer_->Release(); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return S_OK; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    void DrawSubset(int subset) override {
        drawn.push_back(subset);
        device_->SetStreamSource(0, buffer_, 0, sizeof(WaterVertex));
        device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    }
    void DrawExtrusionSubset(int) override {}

    std::vector<int> drawn;

private:
    IDirect3DDevice9* device_;
    IDirect3DVertexBuffer9* buffer_ = nullptr;
};

class WaterTest : public post_test::PostTest {
protected:
    void SetUp() override {
        post_test::PostTest::SetUp();
        if (HasFatalFailure()) return;
        context_ = new RenderParameter();
        context_->AddRef();
        // Above the sea, looking out over it to the horizon.
        const D3DXVECTOR3 eye(0, 30, -50), at(0, 0, 100), up(0, 1, 0);
        D3DXMatrixLookAtLH(&context_->m_view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&context_->m_projection, D3DX_PI / 3, float(kWidth) / kHeight, 1.0f, 5000.0f);
        context_->m_eye = eye;
        water_ = Load<Shader_WideWater>(context_, shaders_);
        water_->SetNormalMap(MakeRipples());
    }
    void TearDown() override {
        if (context_) context_->Release();
        post_test::PostTest::TearDown();
    }

    // Ripples along both axes, as a normal map stores them.
    IDirect3DTexture9* MakeRipples() {
        post_test::Picture map(64, 64, post_test::Grey(0));
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                float nx = 0.8f * std::sin(x * 0.3927f), ny = 0.8f * std::cos(y * 0.3927f), nz = 1.0f;
                const float length = std::sqrt(nx * nx + ny * ny + nz * nz);
                auto encode = [&](float c) { return uint8_t((c / length * 0.5f + 0.5f) * 255.0f + 0.5f); };
                map.At(x, y) = {encode(nx), encode(ny), encode(nz), 255};
            }
        return MakeTexture(map);
    }

    post_test::Picture DrawSea(SeaPatch& sea) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device_->BeginScene();
        shaders_->SetBlendMode(Quorvex::ShaderManager::BlendAlpha);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device_->SetRenderState(D3DRS_ZENABLE, TRUE);
        EXPECT_EQ(water_->Apply(&sea, 0, -1), 0);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        device_->EndScene();
        return ReadScreen();
    }

    RenderParameter* context_ = nullptr;
    Shader_WideWater* water_ = nullptr;
};

TEST_F(WaterTest, WideSurfaceIsLitItsWavesMoveAndItFogsAtDistance) {
    SeaPatch sea(device_);
    water_->m_waveOffset = 500.0f;
    const post_test::Picture lit = DrawSea(sea);
    EXPECT_EQ(sea.drawn, std::vector<int>{0});
    int red = 0, blue = 0;
    for (int x = 0; x < int(kWidth); ++x) red += lit.At(x, 44).r, blue += lit.At(x, 44).b;
    EXPECT_GT(blue, red + 30 * int(kWidth)) << "the sea's own colour is blue";
    const Rgba near = lit.At(32, 44);
    EXPECT_TRUE(Near(lit.At(32, 2), post_test::Grey(0), 0)) << "the sky above the horizon is not drawn";

    // The same sea lit from below shows only its ambient colour.
    const D3DXVECTOR4 fromAbove = context_->m_lightDirection;
    context_->m_lightDirection = D3DXVECTOR4(0, 1, 0, 0);
    const Rgba dark = DrawSea(sea).At(32, 44);
    EXPECT_GT(near.b, dark.b + 60) << near << " against " << dark;
    context_->m_lightDirection = fromAbove;

    // The ripples move with the offset.
    water_->m_waveOffset = 505.0f;
    const post_test::Picture moved = DrawSea(sea);
    int changed = 0;
    for (int y = 30; y < int(kHeight); ++y)
        for (int x = 0; x < int(kWidth); ++x) changed += !Near(moved.At(x, y), lit.At(x, y), 4);
    EXPECT_GT(changed, 50);

    // Fog, even from a record whose enable field is off: the far sea takes the
    // fog colour, the near sea keeps its own.
    Quorvex::FogParam fog;
    fog.enable = 0;
    fog.farValue = 400.0f;
    fog.nearValue = 50.0f;
    fog.color = 0x00FF00FF;
    water_->SetFog(fog);
    const post_test::Picture fogged = DrawSea(sea);
    const Rgba far = fogged.At(32, 17);
    EXPECT_TRUE(Near(far, {242, 0, 242, 255}, 14)) << far << " magenta at the sea's 0.95 alpha";
    EXPECT_TRUE(Near(fogged.At(32, 44), moved.At(32, 44), 2)) << "no fog before the near distance";
}

TEST_F(WaterTest, ColourFactorsComeFromTheFirstSubsetsMaterialWhenThereIsOne) {
    auto* material = new Quorvex::MaterialUnit("matSea");
    material->AddRef();
    material->m_colors.Ambient = {0.1f, 0.2f, 0.3f, 0.4f};
    material->m_colors.Emissive = {0.5f, 0.5f, 0.5f, 0.5f};
    material->m_colors.Diffuse = {0.9f, 0.8f, 0.7f, 0.6f};
    material->m_colors.Specular = {0.3f, 0.3f, 0.3f, 0.3f};
    Quorvex::MaterialUnit* materials[1] = {material};
    context_->m_ambient = D3DXVECTOR4(0.5f, 0.5f, 0.5f, 1.0f);

    struct Case {
        int subsets;
        int subsetArgument;
        D3DXVECTOR4 ambient, diffuse;
    };
    const Case cases[] = {
        // No subsets: the stored factors.
        {0, -1, {0.1f, 0.15f, 0.3f, 0.95f}, {0.4f, 0.6f, 1.0f, 1.0f}},
        // A subset asked for that the primitive lacks brings no material.
        {0, 2, {0.1f, 0.15f, 0.3f, 0.95f}, {0.4f, 0.6f, 1.0f, 1.0f}},
        // Ambient plus emissive of the material.
        {1, -1, {0.3f, 0.35f, 0.4f, 0.9f}, {0.9f, 0.8f, 0.7f, 0.6f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.subsets << " subsets, argument " << c.subsetArgument);
        SeaPatch sea(device_);
        sea.m_subsetCount = c.subsets;
        sea.m_ppMaterials = c.subsets ? materials : nullptr;
        DrawSea(sea);
        EXPECT_EQ(sea.drawn, std::vector<int>{0}) << "subset 0 is drawn in any case";
        ID3DXEffect* effect = water_->GetEffect();
        D3DXVECTOR4 ambient, diffuse;
        effect->GetVector(water_->GetHandles().parameters[WaterEffectHandles::Ambient], &ambient);
        effect->GetVector(water_->GetHandles().parameters[WaterEffectHandles::Diffuse], &diffuse);
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR((&ambient.x)[i], (&c.ambient.x)[i], 1e-5f) << i;
            EXPECT_NEAR((&diffuse.x)[i], (&c.diffuse.x)[i], 1e-5f) << i;
        }
    }
    material->Release();
}

TEST_F(WaterTest, StartUpWaterShaderOnlyHoldsTheEffect) {
    EXPECT_EQ(shaders_->LoadShader_Water(), 0);
    auto* water = dynamic_cast<Quorvex::Shader_Water*>(shaders_->GetShader("Water"));
    ASSERT_NE(water, nullptr);
    SeaPatch sea(device_);
    shaders_->SetShaderInUse(false);
    EXPECT_EQ(water->Apply(&sea, 0, -1), 0);
    EXPECT_TRUE(shaders_->IsShaderInUse());
    EXPECT_TRUE(sea.drawn.empty());
}

}  // namespace
