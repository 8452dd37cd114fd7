// The shaders on a real device (a hidden window of its own): which subsets
// they draw, the blend preset of the copy pass, and the render-target set.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/assets/MaterialUnit.h"
#include "engine/assets/Primitive.h"
#include "engine/assets/shaders/RenderTargetSet.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/assets/shaders/Shader_CopyTexture.h"
#include "engine/assets/shaders/Shader_Sprite2D.h"
#include "engine/assets/shaders/Shader_Sprite3D.h"
#include "engine/core/render/RenderParameter.h"
#include "platform/d3d9/test_device.h"

using namespace Quorvex;

namespace {

// A primitive of three subsets that records the subsets it is asked to draw.
class RecordingPrimitive : public PrimitiveBase {
public:
    RecordingPrimitive() {
        m_subsetCount = 3;
        m_ppMaterials = materials;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return S_OK; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    void DrawSubset(int subset) override { drawn.push_back(subset); }
    void DrawExtrusionSubset(int) override {}

    MaterialUnit* materials[3] = {};
    std::vector<int> drawn;
};

class ShaderOnDevice : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CreateTestDevice(32, 16, &d3d_, &device_), D3D_OK);
        manager_ = new ShaderManager();
        manager_->AddRef();
        manager_->SetDevice(device_);
    }
    void TearDown() override {
        if (manager_) manager_->Release();
        if (device_) {
            EXPECT_EQ(device_->Release(), 0u) << "something still holds the device";
        }
        if (d3d_) d3d_->Release();
    }

    // Loads and registers a shader; the manager keeps the only reference.
    template <class T, class... A>
    T* Load(A... args) {
        T* shader = new T(args...);
        shader->AddRef();
        EXPECT_EQ(shader->LoadShader(), 0);
        manager_->AddShader(shader);
        shader->Release();
        return shader;
    }

    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
    ShaderManager* manager_ = nullptr;
};

}  // namespace

TEST_F(ShaderOnDevice, SpriteShadersDrawTheSubsetsAskedFor) {
    RenderParameter* parameters = new RenderParameter();
    parameters->AddRef();
    auto* sprite2D = Load<Shader_Sprite2D>(parameters, manager_);
    auto* sprite3D = Load<Shader_Sprite3D>(parameters, manager_);
    EXPECT_STREQ(sprite2D->GetName(), "Sprite2D");
    EXPECT_STREQ(sprite3D->GetName(), "Spr3DDefaultShader");
    EXPECT_NE(sprite2D->GetDeclaration(), nullptr);

    struct Case {
        IShader* shader;
        int subsetToDraw;
        int firstSubset;
        std::vector<int> drawn;
    };
    const Case cases[] = {
        // The 2D shader: its third argument picks one subset or all of them.
        {sprite2D, 0, 1, {1}},
        {sprite2D, 0, -1, {0, 1, 2}},
        {sprite2D, 2, -1, {0, 1, 2}},
        // The 3D shader: the third picks the subsets, the second renames them.
        {sprite3D, -1, -1, {0, 1, 2}},
        {sprite3D, -1, 2, {2}},
        {sprite3D, 5, -1, {5, 5, 5}},
        {sprite3D, 7, 1, {7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.shader->GetName() << " " << c.subsetToDraw << " " << c.firstSubset);
        RecordingPrimitive primitive;
        manager_->SetShaderInUse(false);
        EXPECT_EQ(c.shader->Apply(&primitive, c.subsetToDraw, c.firstSubset), 0);
        EXPECT_EQ(primitive.drawn, c.drawn);
        // Only the full-screen and 2D shaders mark the manager.
        EXPECT_EQ(manager_->IsShaderInUse(), c.shader == sprite2D);
    }
    parameters->Release();
}

TEST_F(ShaderOnDevice, CopyPassBlendsOnlyAFillBelowFullAlpha) {
    EXPECT_EQ(manager_->LoadShader_CopyTexture(), 0);
    auto* copy = dynamic_cast<Shader_CopyTexture*>(manager_->GetShader("CopyTexture"));
    ASSERT_NE(copy, nullptr);

    struct Case {
        float alpha;
        DWORD source;
        uint8_t red, blue;
    };
    const Case cases[] = {
        {0.5f, D3DBLEND_SRCALPHA, 127, 128},  // half blue over the red clear
        {1.0f, D3DBLEND_ONE, 0, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alpha);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
        const float fill[4] = {0.0f, 0.0f, 1.0f, c.alpha};
        for (int i = 0; i < 4; ++i) copy->m_fillColor[i] = fill[i];
        EXPECT_EQ(copy->Apply(nullptr, 0, -1), 0);
        DWORD source = 0;
        device_->GetRenderState(D3DRS_SRCBLEND, &source);
        EXPECT_EQ(source, c.source);
        std::vector<uint8_t> rgba;
        int width = 0, height = 0;
        ASSERT_TRUE(orv::d3d9::ReadBackBuffer(device_, rgba, width, height));
        for (int at : {0, (height / 2 * width + width / 2) * 4, (height * width - 1) * 4}) {
            EXPECT_NEAR(rgba[at + 0], c.red, 2);
            EXPECT_NEAR(rgba[at + 2], c.blue, 2);
        }
    }
}

TEST_F(ShaderOnDevice, RenderTargetSetHoldsTextureAndSurface) {
    RenderTargetSet set;
    ASSERT_EQ(set.Create(32, 16, device_), D3D_OK);
    ASSERT_NE(set.GetTexture(), nullptr);
    D3DSURFACE_DESC desc{};
    set.GetSurface()->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 32u);
    EXPECT_EQ(desc.Height, 16u);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);  // the back buffer's
    EXPECT_EQ(desc.Usage & D3DUSAGE_RENDERTARGET, D3DUSAGE_RENDERTARGET);
    {
        RenderTargetSet copy(set);
        RenderTargetSet assigned;
        assigned = copy;
        EXPECT_EQ(assigned.GetSurface(), set.GetSurface());
    }
    // A failed creation leaves the set empty.
    EXPECT_LT(set.Create(0, 16, device_), 0);
    EXPECT_EQ(set.GetTexture(), nullptr);
    EXPECT_EQ(set.GetSurface(), nullptr);
}
