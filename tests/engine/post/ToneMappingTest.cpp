// Tone mapping's measurement and adaptation, and the render-target read-back
// it measures through.
#include "PostFixture.h"
#include "engine/assets/shaders/Shader_ToneMapping2.h"
#include "engine/core/Environment.h"

using Quorvex::Shader_ToneMapping2;

namespace {

TEST(ToneMapping, HalvesDecodeAndTheAdaptedValueFollowsTheMeasurement) {
    struct Half {
        uint16_t bits;
        float value;
    };
    for (const Half& h : {Half{0x3C00, 1.0f}, Half{0x7C00, 0.0f}, Half{0xC000, -2.0f}, Half{0x3555, 0.333251953f},
                          Half{0x0001, 0.0f}, Half{0x7E00, 0.0f}})
        EXPECT_FLOAT_EQ(Shader_ToneMapping2::DecodeHalf(h.bits), h.value) << std::hex << h.bits;

    const uint16_t texel[4] = {0x3800, 0x4000, 0, 0};  // 0.5, 2.0
    EXPECT_FLOAT_EQ(Shader_ToneMapping2::DecodeLuminance(D3DFMT_R16F, texel), 0.5f);
    EXPECT_FLOAT_EQ(Shader_ToneMapping2::DecodeLuminance(D3DFMT_G16R16F, texel), 2.0f);
    EXPECT_FLOAT_EQ(Shader_ToneMapping2::DecodeLuminance(D3DFMT_A16B16G16R16F, texel), 0.5f);
    EXPECT_FLOAT_EQ(Shader_ToneMapping2::DecodeLuminance(D3DFMT_A8R8G8B8, texel), 1.0f);

    EXPECT_NEAR(Shader_ToneMapping2::Adapt(0.0f, 1.0f, 1.0f / 30.0f), 0.02f, 1e-6f);
    EXPECT_FLOAT_EQ(Shader_ToneMapping2::Adapt(0.3f, 1.0f, 0.0f), 0.3f);
}

class ToneMappingOnDevice : public post_test::PostTest {
protected:
    void SetUp() override {
        post_test::PostTest::SetUp();
        environment_ = new Quorvex::Environment();
        environment_->AddRef();
        Quorvex::g_pEnvironment = environment_;
    }
    void TearDown() override {
        Quorvex::g_pEnvironment = nullptr;
        if (environment_) environment_->Release();
        Shader_ToneMapping2::SetAdaptedLuminance(0.0f);
        post_test::PostTest::TearDown();
    }
    Quorvex::Environment* environment_ = nullptr;
};

TEST_F(ToneMappingOnDevice, MeasuresTheAverageLuminanceOfTheSource) {
    auto* tone = Load<Shader_ToneMapping2>(shaders_);
    // Half the picture at 0.2 and half at 0.8: the log average is 0.4.
    post_test::Picture picture(kWidth, kHeight, post_test::Grey(51));
    picture.Fill(0, 0, kWidth / 2, kHeight, post_test::Grey(204));
    IDirect3DTexture9* source = MakeTexture(picture);
    ASSERT_EQ(tone->SetSource(source), 0);
    IDirect3DTexture9* chain = tone->GetChainTarget(0).GetTexture();
    ASSERT_NE(chain, nullptr);
    EXPECT_EQ(tone->SetSource(source), 0);
    EXPECT_EQ(tone->GetChainTarget(0).GetTexture(), chain) << "same size: the chain stays";

    // A long step lets the adapted value reach the measurement. The depth
    // buffer of this small back buffer would clip the 64-texel chain target
    // (Direct3D wants it at least as large): the passes test no depth anyway.
    environment_->SetElapsedTime(100.0f);
    IDirect3DTexture9* output = MakeTarget();
    IDirect3DSurface9* depth = nullptr;
    device_->GetDepthStencilSurface(&depth);
    device_->SetDepthStencilSurface(nullptr);
    DrawInto(output, [&] { EXPECT_EQ(tone->Apply(nullptr, -1, -1), 0); });
    device_->SetDepthStencilSurface(depth);
    depth->Release();
    EXPECT_NEAR(Shader_ToneMapping2::GetAdaptedLuminance(), 0.4f, 0.02f);
    EXPECT_NE(std::wstring(environment_->GetInfoText()).find(L"------- ToneMapping -------\r\n"), std::wstring::npos);
    // Mapped around the middle grey: the darker half darker than the brighter.
    const post_test::Picture mapped = Read(output);
    EXPECT_GT(mapped.At(5, 5).r, mapped.At(60, 5).r + 30);

    // Held, so a rebuilt chain cannot be handed the freed texture's address.
    chain->AddRef();
    post_test::Picture small(16, 16, post_test::Grey(51));
    ASSERT_EQ(tone->SetSource(MakeTexture(small)), 0);
    EXPECT_NE(tone->GetChainTarget(0).GetTexture(), chain) << "a new size rebuilds the chain";
    chain->Release();
    ASSERT_EQ(tone->SetSource(nullptr), 0);
    EXPECT_EQ(tone->GetChainTarget(0).GetTexture(), nullptr);
}

TEST_F(ToneMappingOnDevice, RenderTargetDataReachesSystemMemoryOfTheSameShapeOnly) {
    IDirect3DTexture9* target = MakeTarget(8, 4);
    IDirect3DSurface9* source = nullptr;
    target->GetSurfaceLevel(0, &source);
    device_->SetRenderTarget(0, source);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF336699, 1.0f, 0);

    struct Case {
        UINT width, height;
        D3DFORMAT format;
        D3DPOOL pool;
        HRESULT result;
    };
    const Case cases[] = {
        {8, 4, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, D3D_OK},
        {8, 8, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, D3DERR_INVALIDCALL},
        {8, 4, D3DFMT_R32F, D3DPOOL_SYSTEMMEM, D3DERR_INVALIDCALL},
        {8, 4, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
    };
    for (const Case& c : cases) {
        IDirect3DTexture9* copy = nullptr;
        ASSERT_EQ(device_->CreateTexture(c.width, c.height, 1, 0, c.format, c.pool, &copy, nullptr), D3D_OK);
        IDirect3DSurface9* destination = nullptr;
        copy->GetSurfaceLevel(0, &destination);
        EXPECT_EQ(device_->GetRenderTargetData(source, destination), c.result) << c.width << "x" << c.height;
        if (c.result == D3D_OK) {
            D3DLOCKED_RECT locked{};
            ASSERT_EQ(destination->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
            const uint8_t* last = static_cast<const uint8_t*>(locked.pBits) + 3 * locked.Pitch + 7 * 4;
            EXPECT_EQ(last[0], 0x99);
            EXPECT_EQ(last[1], 0x66);
            EXPECT_EQ(last[2], 0x33);
            destination->UnlockRect();
        }
        destination->Release();
        copy->Release();
    }
    IDirect3DSurface9* back = nullptr;
    device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
    device_->SetRenderTarget(0, back);
    back->Release();
    source->Release();
}

}  // namespace
