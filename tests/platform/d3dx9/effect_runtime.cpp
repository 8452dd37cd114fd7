// Effects on a real device (offscreen OpenGL): creation errors, handles,
// parameter uploads checked by the pixels they draw, textures on their
// stages, pass states, device fog, and the shipped effect files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/d3d9/test_device.h"
#include "platform/d3dx9/d3dx9.h"

namespace {

constexpr UINT kSize = 64;

// The layout of the sprite vertices: position, colour, texture coordinates.
struct Vertex {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};
constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct Rgb {
    int r, g, b;
};

std::string ReadEffectFile(const char* name) {
    const char* root = std::getenv("ORV_SOURCE_DIR");
    std::ifstream in(std::string(root ? root : ".") + "/data/fx/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class EffectRuntime : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(CreateTestDevice(kSize, kSize, &d3d_, &device_), D3D_OK);
    }
    static void TearDownTestSuite() {
        SAFE_RELEASE(device_);
        SAFE_RELEASE(d3d_);
    }

    void TearDown() override {
        for (IUnknown* object : owned_) object->Release();
        owned_.clear();
    }

    ID3DXEffect* Create(const std::string& text) {
        ID3DXEffect* effect = nullptr;
        ID3DXBuffer* errors = nullptr;
        HRESULT hr = D3DXCreateEffect(device_, text.data(), static_cast<UINT>(text.size()), nullptr, nullptr,
                                      D3DXSHADER_SKIPVALIDATION, nullptr, &effect, &errors);
        EXPECT_EQ(hr, D3D_OK) << (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "");
        SAFE_RELEASE(errors);
        if (effect) owned_.push_back(effect);
        return effect;
    }

    IDirect3DTexture9* MakeTexture(UINT width, UINT height, const std::vector<D3DCOLOR>& texels) {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(device_->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
                  D3D_OK);
        if (!texture) return nullptr;
        owned_.push_back(texture);
        D3DLOCKED_RECT locked;
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < height; ++y)
            std::memcpy(static_cast<char*>(locked.pBits) + y * locked.Pitch, &texels[y * width], width * 4);
        texture->UnlockRect(0);
        return texture;
    }

    static void Clear(D3DCOLOR color) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, color, 1.0f, 0);
    }

    // A rectangle in clip space, drawn as two clockwise triangles.
    static void DrawRect(float x0, float y0, float x1, float y1, D3DCOLOR color = 0xFFFFFFFF, float z = 0.5f) {
        const Vertex v[6] = {
            {x0, y1, z, color, 0, 0}, {x1, y1, z, color, 1, 0}, {x0, y0, z, color, 0, 1},
            {x0, y0, z, color, 0, 1}, {x1, y1, z, color, 1, 0}, {x1, y0, z, color, 1, 1},
        };
        device_->SetFVF(kFvf);
        device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, v, sizeof(Vertex));
    }

    // Every pass of the current technique draws the rectangle.
    static void DrawWith(ID3DXEffect* effect, float x0, float y0, float x1, float y1, D3DCOLOR color = 0xFFFFFFFF,
                         float z = 0.5f) {
        UINT passes = 0;
        ASSERT_EQ(effect->Begin(&passes, D3DXFX_DONOTSAVESTATE), D3D_OK);
        for (UINT p = 0; p < passes; ++p) {
            effect->BeginPass(p);
            DrawRect(x0, y0, x1, y1, color, z);
            effect->EndPass();
        }
        effect->End();
    }

    static Rgb Pixel(int x, int y) {
        std::vector<uint8_t> rgba;
        int w = 0, h = 0;
        EXPECT_TRUE(orv::d3d9::ReadBackBuffer(device_, rgba, w, h));
        if (x >= w || y >= h) return {-1, -1, -1};
        const uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
        return {p[0], p[1], p[2]};
    }

    static ::testing::AssertionResult Near(Rgb actual, Rgb expected, int tolerance = 2) {
        if (std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
            std::abs(actual.b - expected.b) <= tolerance)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "(" << actual.r << ", " << actual.g << ", " << actual.b
                                             << "), expected (" << expected.r << ", " << expected.g << ", "
                                             << expected.b << ")";
    }

    static IDirect3D9* d3d_;
    static IDirect3DDevice9* device_;
    std::vector<IUnknown*> owned_;
};

IDirect3D9* EffectRuntime::d3d_ = nullptr;
IDirect3DDevice9* EffectRuntime::device_ = nullptr;

// Shaders shared by the small effects below.
const char kPassThrough[] = R"(
vertex VS_Clip {
    layout(location = ORV_POSITION) in vec3 inPos;
    void main() { gl_Position = orv_ToClip(vec4(inPos, 1.0)); }
}
)";

TEST_F(EffectRuntime, DamagedFilesFailWithTheReason) {
    struct Case {
        std::string text;
        const char* says;
    };
    const std::string stages = std::string(kPassThrough) +
                               "fragment PS { out vec4 c; void main() { c = vec4(1.0); } }\n";
    const Case cases[] = {
        {"parameter float a;\n\ntechnique T { pass P { Foo = 1; } }", "line 3: unknown render state 'Foo'"},
        // The GLSL compiler's line numbers are the file's.
        {stages + "technique T {\n pass P {\n  vertex = VS_Clip;\n  fragment {\n   out vec4 c;\n"
                  "   void main() { c = vec4(1.0) }\n  }\n }\n}",
         "technique T, pass P: fragment shader (line 10): 0:12("},
        {stages + "technique T { pass P { fragment = PS;\n vertex { void main() { gl_Position = undeclared; } } } }",
         "technique T, pass P: vertex shader (line 8): 0:8("},
        {stages + "technique T { pass P { vertex = VS_Clip;\n fragment { out vec4 c; void NotMain() { } } } }",
         "technique T, pass P: link: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ID3DXEffect* effect = reinterpret_cast<ID3DXEffect*>(1);
        ID3DXBuffer* errors = nullptr;
        HRESULT hr = D3DXCreateEffect(device_, c.text.data(), static_cast<UINT>(c.text.size()), nullptr, nullptr, 0,
                                      nullptr, &effect, &errors);
        EXPECT_TRUE(FAILED(hr));
        EXPECT_EQ(effect, nullptr);
        ASSERT_NE(errors, nullptr);
        std::string text(static_cast<const char*>(errors->GetBufferPointer()), errors->GetBufferSize() - 1);
        EXPECT_NE(text.find(c.says), std::string::npos) << text;
        errors->Release();
    }

    ID3DXEffect* effect = nullptr;
    EXPECT_EQ(D3DXCreateEffect(nullptr, "x", 1, nullptr, nullptr, 0, nullptr, &effect, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateEffect(device_, "x", 0, nullptr, nullptr, 0, nullptr, &effect, nullptr), D3DERR_INVALIDCALL);
    EXPECT_TRUE(FAILED(D3DXCreateEffect(device_, "x", 1, nullptr, nullptr, 0, nullptr, &effect, nullptr)));
    EXPECT_EQ(effect, nullptr);
}

TEST_F(EffectRuntime, HandlesNamesAndParameterValues) {
    ID3DXEffect* effect = Create(std::string(kPassThrough) + R"(
parameter float4 Used = { 1, 2, 3, 4 };
parameter float Unused;
parameter float2 Pair;
parameter int Count;
parameter bool Flag;
parameter float4x4 Mats[2];
fragment PS { out vec4 c; void main() { c = Used; } }
technique First { pass P { vertex = VS_Clip; fragment = PS; } }
technique Second { pass P0 { vertex = VS_Clip; fragment = PS; } pass P1 { vertex = VS_Clip; fragment = PS; } }
)");
    ASSERT_NE(effect, nullptr);

    EXPECT_EQ(effect->GetParameterByName(nullptr, "Missing"), nullptr);
    EXPECT_EQ(effect->GetTechniqueByName("Missing"), nullptr);
    // Declared but dropped by the GLSL compiler: still a parameter.
    D3DXHANDLE unused = effect->GetParameterByName(nullptr, "Unused");
    ASSERT_NE(unused, nullptr);
    EXPECT_EQ(effect->SetFloat(unused, 5.0f), D3D_OK);
    FLOAT f = 0;
    EXPECT_EQ(effect->GetFloat(unused, &f), D3D_OK);
    EXPECT_EQ(f, 5.0f);
    EXPECT_EQ(effect->SetFloat(nullptr, 1.0f), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->SetFloat("Missing", 1.0f), D3DERR_INVALIDCALL);

    // A name stands for its handle; values convert to the declared type.
    D3DXVECTOR4 v(7, 8, 9, 10);
    EXPECT_EQ(effect->SetVector("Pair", &v), D3D_OK);
    float pair[2] = {};
    EXPECT_EQ(effect->GetValue(effect->GetParameterByName(nullptr, "Pair"), pair, sizeof(pair)), D3D_OK);
    EXPECT_EQ(pair[0], 7.0f);
    EXPECT_EQ(pair[1], 8.0f);
    const float center[2] = {0.25f, 0.75f};
    EXPECT_EQ(effect->SetValue("Pair", center, 8), D3D_OK);
    EXPECT_EQ(effect->SetValue("Pair", center, 12), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->SetFloatArray("Pair", center, 3), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->GetVector("Pair", &v), D3D_OK);
    EXPECT_EQ(v, D3DXVECTOR4(0.25f, 0.75f, 0, 0));
    EXPECT_EQ(effect->SetFloat("Count", 3.9f), D3D_OK);
    INT n = 0;
    EXPECT_EQ(effect->GetInt("Count", &n), D3D_OK);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(effect->SetInt("Flag", 4), D3D_OK);
    BOOL b = FALSE;
    EXPECT_EQ(effect->GetBool("Flag", &b), D3D_OK);
    EXPECT_EQ(b, TRUE);
    D3DXMATRIX m[3];
    EXPECT_EQ(effect->SetMatrix("Pair", &m[0]), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->SetMatrixArray("Mats", m, 2), D3D_OK);
    EXPECT_EQ(effect->SetMatrixArray("Mats", m, 3), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->SetTexture("Used", nullptr), D3DERR_INVALIDCALL);

    // Techniques and passes.
    EXPECT_EQ(effect->GetCurrentTechnique(), effect->GetTechniqueByName("First"));
    EXPECT_EQ(effect->SetTechnique("Second"), D3D_OK);
    EXPECT_EQ(effect->GetCurrentTechnique(), effect->GetTechniqueByName("Second"));
    EXPECT_EQ(effect->SetTechnique(effect->GetParameterByName(nullptr, "Used")), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->BeginPass(0), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->End(), D3DERR_INVALIDCALL);
    UINT passes = 0;
    ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
    EXPECT_EQ(passes, 2u);
    EXPECT_EQ(effect->Begin(&passes, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->BeginPass(2), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->CommitChanges(), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->BeginPass(1), D3D_OK);
    EXPECT_EQ(effect->BeginPass(0), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->CommitChanges(), D3D_OK);
    EXPECT_EQ(effect->EndPass(), D3D_OK);
    EXPECT_EQ(effect->End(), D3D_OK);

    // A file without techniques loads, but there is nothing to begin.
    ID3DXEffect* bare = Create("parameter float a;");
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->GetCurrentTechnique(), nullptr);
    EXPECT_EQ(bare->Begin(&passes, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(bare->BeginPass(0), D3DERR_INVALIDCALL);
    EXPECT_EQ(bare->SetFloat("a", 1.0f), D3D_OK);
}

// v * M with M's translation in its fourth row moves the rectangle off the
// centre; a transposed upload would leave it there. The second element of an
// array proves arrays arrive whole.
TEST_F(EffectRuntime, MatricesGiveTheRowVectorProduct) {
    ID3DXEffect* effect = Create(R"(
parameter float4x4 M[2];
technique T { pass P {
    vertex {
        layout(location = ORV_POSITION) in vec4 inPos;
        void main() { gl_Position = orv_ToClip(inPos * M[1]); }
    }
    fragment { out vec4 c; void main() { c = orv_ApplyFog(vec4(1.0, 1.0, 1.0, 1.0), 1.0); } }
} }
)");
    ASSERT_NE(effect, nullptr);
    D3DXMATRIX m[2];
    D3DXMatrixIdentity(&m[0]);
    D3DXMatrixTranslation(&m[1], 0.5f, -0.5f, 0.0f);
    ASSERT_EQ(effect->SetMatrixArray("M", m, 2), D3D_OK);
    device_->BeginScene();
    Clear(0xFF000000);
    DrawWith(effect, -0.25f, -0.25f, 0.25f, 0.25f);
    device_->EndScene();
    // Clip (0.25..0.75, -0.75..-0.25) is pixels 40..55 across and down.
    EXPECT_TRUE(Near(Pixel(48, 48), {255, 255, 255}));
    EXPECT_TRUE(Near(Pixel(32, 32), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(48, 16), {0, 0, 0}));
}

// The copy-texture effect reproduces a texture texel for texel, top row at
// the top, through the stage its parameter was bound to; without a texture it
// fills with the colour.
TEST_F(EffectRuntime, CopyTextureCopiesExactly) {
    ID3DXEffect* effect = Create(ReadEffectFile("CopyTexture.cfx"));
    ASSERT_NE(effect, nullptr);
    std::vector<D3DCOLOR> texels(kSize * kSize);
    for (UINT y = 0; y < kSize; ++y)
        for (UINT x = 0; x < kSize; ++x)
            texels[y * kSize + x] = D3DCOLOR_ARGB(255, x * 4, y * 4, (x * 7 + y * 3) & 0xFF);
    IDirect3DTexture9* texture = MakeTexture(kSize, kSize, texels);
    ASSERT_NE(texture, nullptr);

    for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
        SCOPED_TRACE(filter);
        device_->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
        device_->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
        ASSERT_EQ(effect->SetTechnique("Tech0"), D3D_OK);
        effect->SetTexture("g_TexSrc", texture);
        effect->SetInt("g_nSlot", 1);
        D3DXVECTOR4 white(1, 1, 1, 1);
        effect->SetVector("g_FillColor", &white);
        device_->BeginScene();
        Clear(0xFF000000);
        device_->SetRenderState(D3DRS_ZENABLE, FALSE);
        UINT passes = 0;
        effect->Begin(&passes, D3DXFX_DONOTSAVESTATE);
        effect->BeginPass(0);
        IDirect3DBaseTexture9* bound = nullptr;
        device_->GetTexture(0, &bound);
        EXPECT_EQ(bound, texture);
        SAFE_RELEASE(bound);
        DrawRect(-1, -1, 1, 1);
        effect->EndPass();
        effect->End();
        device_->EndScene();

        std::vector<uint8_t> rgba;
        int w = 0, h = 0;
        ASSERT_TRUE(orv::d3d9::ReadBackBuffer(device_, rgba, w, h));
        int wrong = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                D3DCOLOR t = texels[y * kSize + x];
                const uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
                if (p[0] != ((t >> 16) & 0xFF) || p[1] != ((t >> 8) & 0xFF) || p[2] != (t & 0xFF)) ++wrong;
            }
        EXPECT_EQ(wrong, 0);
    }

    D3DXVECTOR4 red(1, 0, 0, 1);
    effect->SetVector("g_FillColor", &red);
    effect->SetInt("g_nSlot", 0);
    device_->BeginScene();
    Clear(0xFF000000);
    DrawWith(effect, -1, -1, 1, 1);
    device_->EndScene();
    EXPECT_TRUE(Near(Pixel(0, 0), {255, 0, 0}));
    EXPECT_TRUE(Near(Pixel(63, 63), {255, 0, 0}));
    device_->SetRenderState(D3DRS_ZENABLE, TRUE);
}

// Texture parameters take the lowest free stages in declaration order among
// those a pass uses; a device sampler keeps its own stage. Sampler states
// declared for a texture land on its stage.
TEST_F(EffectRuntime, TexturesTakeStagesInOrder) {
    ID3DXEffect* effect = Create(std::string(kPassThrough) + R"(
parameter texture A;
parameter texture B { MinFilter = Linear; };
sampler Dev stage 0;
fragment OnlyB { out vec4 c; void main() { c = texture(B, vec2(0.5)); } }
fragment AB { out vec4 c; void main() { c = texture(A, vec2(0.5)) + texture(B, vec2(0.5)); } }
fragment DevB { out vec4 c; void main() { c = texture(Dev, vec2(0.5)) + texture(B, vec2(0.5)); } }
technique T {
    pass P0 { vertex = VS_Clip; fragment = OnlyB; }
    pass P1 { vertex = VS_Clip; fragment = AB; }
    pass P2 { vertex = VS_Clip; fragment = DevB; }
}
)");
    ASSERT_NE(effect, nullptr);
    IDirect3DTexture9* a = MakeTexture(1, 1, {0xFFFF0000});
    IDirect3DTexture9* b = MakeTexture(1, 1, {0xFF00FF00});
    IDirect3DTexture9* dev = MakeTexture(1, 1, {0xFF0000FF});
    effect->SetTexture("A", a);
    effect->SetTexture("B", b);

    struct Expect {
        UINT pass;
        IDirect3DBaseTexture9* stage0;
        IDirect3DBaseTexture9* stage1;
    };
    const Expect expects[] = {{0, b, nullptr}, {1, a, b}, {2, dev, b}};
    for (const Expect& e : expects) {
        SCOPED_TRACE(e.pass);
        device_->SetTexture(0, dev);
        device_->SetTexture(1, nullptr);
        device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        device_->SetSamplerState(1, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        UINT passes = 0;
        effect->Begin(&passes, D3DXFX_DONOTSAVESTATE);
        effect->BeginPass(e.pass);
        IDirect3DBaseTexture9* bound[2] = {};
        device_->GetTexture(0, &bound[0]);
        device_->GetTexture(1, &bound[1]);
        EXPECT_EQ(bound[0], e.stage0);
        EXPECT_EQ(bound[1], e.stage1);
        DWORD filter = 0;
        device_->GetSamplerState(e.stage0 == b ? 0 : 1, D3DSAMP_MINFILTER, &filter);
        EXPECT_EQ(filter, DWORD(D3DTEXF_LINEAR));
        for (IDirect3DBaseTexture9* t : bound) SAFE_RELEASE(t);
        effect->EndPass();
        effect->End();
    }
    device_->SetTexture(0, nullptr);
}

// Pass states are set at BeginPass; Begin without D3DXFX_DONOTSAVESTATE puts
// them back at End (sampler states unless told not to).
TEST_F(EffectRuntime, PassStatesAndTheirRestoration) {
    ID3DXEffect* effect = Create(std::string(kPassThrough) + R"(
parameter texture T { MagFilter = Linear; };
fragment PS { out vec4 c; void main() { c = texture(T, vec2(0.5)); } }
technique Tech {
    pass P { ZEnable = false; CullMode = None; SrcBlend = InvDestColor; vertex = VS_Clip; fragment = PS; }
}
)");
    ASSERT_NE(effect, nullptr);
    struct Case {
        DWORD flags;
        bool renderRestored, samplerRestored;
    };
    const Case cases[] = {
        {0, true, true},
        {D3DXFX_DONOTSAVESTATE, false, false},
        {D3DXFX_DONOTSAVESAMPLERSTATE, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        device_->SetRenderState(D3DRS_ZENABLE, TRUE);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        UINT passes = 0;
        ASSERT_EQ(effect->Begin(&passes, c.flags), D3D_OK);
        effect->BeginPass(0);
        DWORD z = 9, cull = 9, blend = 9, filter = 9;
        device_->GetRenderState(D3DRS_ZENABLE, &z);
        device_->GetRenderState(D3DRS_CULLMODE, &cull);
        device_->GetRenderState(D3DRS_SRCBLEND, &blend);
        device_->GetSamplerState(0, D3DSAMP_MAGFILTER, &filter);
        EXPECT_EQ(z, DWORD(FALSE));
        EXPECT_EQ(cull, DWORD(D3DCULL_NONE));
        EXPECT_EQ(blend, DWORD(D3DBLEND_INVDESTCOLOR));
        EXPECT_EQ(filter, DWORD(D3DTEXF_LINEAR));
        effect->EndPass();
        effect->End();
        device_->GetRenderState(D3DRS_ZENABLE, &z);
        device_->GetRenderState(D3DRS_CULLMODE, &cull);
        device_->GetRenderState(D3DRS_SRCBLEND, &blend);
        device_->GetSamplerState(0, D3DSAMP_MAGFILTER, &filter);
        EXPECT_EQ(z, DWORD(c.renderRestored ? TRUE : FALSE));
        EXPECT_EQ(cull, DWORD(c.renderRestored ? D3DCULL_CCW : D3DCULL_NONE));
        EXPECT_EQ(blend, DWORD(c.renderRestored ? D3DBLEND_ONE : D3DBLEND_INVDESTCOLOR));
        EXPECT_EQ(filter, DWORD(c.samplerRestored ? D3DTEXF_POINT : D3DTEXF_LINEAR));
    }
    device_->SetRenderState(D3DRS_ZENABLE, TRUE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
}

// The 3D-sprite effect: fog factor vFog.x + vFog.y * depth mixes in the
// device's fog colour only while the device has fog on and UseFog is set.
TEST_F(EffectRuntime, DeviceFogReachesTheSpriteEffect) {
    ID3DXEffect* effect = Create(ReadEffectFile("Spr3D.cfx"));
    ASSERT_NE(effect, nullptr);
    struct Case {
        BOOL deviceFog;
        int useFog;
        float depth;    // view depth the matrix gives (clip w)
        float near, far;
        Rgb expected;
    };
    // Sprite green, fog red; far 1000 and near 200 put depth 600 half way.
    const Case cases[] = {
        {TRUE, 1, 600, 200, 1000, {128, 128, 0}},
        {TRUE, 1, 1000, 200, 1000, {255, 0, 0}},
        {TRUE, 1, 150, 200, 1000, {0, 255, 0}},
        {FALSE, 1, 600, 200, 1000, {0, 255, 0}},
        {TRUE, 0, 600, 200, 1000, {0, 255, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.deviceFog << " " << c.useFog << " " << c.depth);
        D3DXMATRIX wvp;
        D3DXMatrixScaling(&wvp, c.depth, c.depth, c.depth);
        wvp._44 = c.depth;  // same position after the divide, w = depth
        effect->SetMatrix("mWVP", &wvp);
        D3DXVECTOR4 fog(c.far / (c.far - c.near), -1.0f / (c.far - c.near), 0, 0);
        effect->SetVector("vFog", &fog);
        effect->SetInt("UseFog", c.useFog);
        effect->SetInt("UseDiffuse", 1);
        effect->SetInt("UseTexCnt", 0);
        D3DXVECTOR4 one(1, 1, 1, 1);
        effect->SetVector("ColorMax", &one);
        device_->SetRenderState(D3DRS_FOGENABLE, c.deviceFog);
        device_->SetRenderState(D3DRS_FOGCOLOR, 0xFFFF0000);
        device_->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
        device_->BeginScene();
        Clear(0xFF000000);
        DrawWith(effect, -0.5f, -0.5f, 0.5f, 0.5f, 0xFF00FF00, 0.5f);
        device_->EndScene();
        EXPECT_TRUE(Near(Pixel(32, 32), c.expected));
    }
    device_->SetRenderState(D3DRS_FOGENABLE, FALSE);
}

// Values changed inside a pass reach the draws after CommitChanges: two
// rectangles of one pass take the two colours and the two textures.
TEST_F(EffectRuntime, CommitChangesUploadsBetweenDraws) {
    ID3DXEffect* effect = Create(ReadEffectFile("Spr3D.cfx"));
    ASSERT_NE(effect, nullptr);
    IDirect3DTexture9* white = MakeTexture(1, 1, {0xFFFFFFFF});
    IDirect3DTexture9* half = MakeTexture(1, 1, {0xFF808080});
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    effect->SetMatrix("mWVP", &identity);
    effect->SetInt("UseFog", 0);
    effect->SetInt("UseDiffuse", 0);
    effect->SetInt("UseTexCnt", 1);
    D3DXVECTOR4 red(1, 0, 0, 1), blue(0, 0, 1, 1);
    effect->SetVector("ColorMax", &red);
    effect->SetTexture("Tex1", white);
    device_->BeginScene();
    Clear(0xFF000000);
    UINT passes = 0;
    effect->Begin(&passes, D3DXFX_DONOTSAVESTATE);
    effect->BeginPass(0);
    DrawRect(-1, -1, 0, 1);
    effect->SetVector("ColorMax", &blue);
    effect->SetTexture("Tex1", half);
    effect->CommitChanges();
    DrawRect(0, -1, 1, 1);
    effect->EndPass();
    effect->End();
    device_->EndScene();
    EXPECT_TRUE(Near(Pixel(16, 32), {255, 0, 0}));
    EXPECT_TRUE(Near(Pixel(48, 32), {0, 0, 128}));
}

// The 2D-sprite effect: texture times vertex colour, either one alone.
TEST_F(EffectRuntime, SpriteTwoDMixesTextureAndVertexColour) {
    ID3DXEffect* effect = Create(ReadEffectFile("Spr2D.cfx"));
    ASSERT_NE(effect, nullptr);
    IDirect3DTexture9* texture = MakeTexture(1, 1, {0xFF80FFFF});
    effect->SetTexture("Tex1", texture);
    struct Case {
        int useTex, useDiffuse;
        Rgb expected;
    };
    const Case cases[] = {
        {1, 1, {128, 128, 255}},
        {0, 1, {255, 128, 255}},
        {1, 0, {128, 255, 255}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.useTex << c.useDiffuse);
        effect->SetInt("UseTexCnt", c.useTex);
        effect->SetBool("UseDiffuse", c.useDiffuse);
        device_->BeginScene();
        Clear(0xFF000000);
        DrawWith(effect, -0.5f, -0.5f, 0.5f, 0.5f, 0xFFFF80FF);
        device_->EndScene();
        EXPECT_TRUE(Near(Pixel(32, 32), c.expected));
        EXPECT_TRUE(Near(Pixel(4, 4), {0, 0, 0}));
    }
}

}  // namespace
