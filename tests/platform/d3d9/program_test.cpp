// Programs of the effect runtime: built on the device's preludes, drawn with
// the device's vertex inputs, textures and fog and alpha-test states; and
// objects made on the loader thread.
#define GL_GLEXT_PROTOTYPES
#include <GL/glcorearb.h>

#include <cstring>
#include <string>
#include <thread>

#include "device_fixture.h"
#include "platform/d3d9/gl_internal.h"

namespace {

// A program as the effect runtime builds one: prelude first, then its code.
GLuint BuildProgram(const char* vertex, const char* fragment) {
    std::string error;
    const GLuint program = orv::d3d9::CompileProgram(vertex, fragment, &error);
    EXPECT_NE(program, 0u) << error;
    return program;
}

// Clip-space position, vertex colour times the stage-0 texture, and a fog
// factor taken from the texture coordinate's u.
constexpr const char kVertex[] =
    "layout(location = ORV_POSITION) in vec3 position;\n"
    "layout(location = ORV_COLOR0) in vec4 color;\n"
    "layout(location = ORV_TEXCOORD0) in vec2 uv;\n"
    "out vec4 vColor; out vec2 vUv;\n"
    "void main() { gl_Position = orv_ToClip(vec4(position, 1.0)); vColor = color; vUv = uv; }\n";
constexpr const char kFragment[] =
    "uniform sampler2D tex;\n"
    "in vec4 vColor; in vec2 vUv;\n"
    "out vec4 result;\n"
    "void main() { result = orv_ApplyFog(vColor * texture(tex, vec2(0.5)), vUv.x); }\n";

class ProgramTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        ASSERT_NE(device_, nullptr);
        program_ = BuildProgram(kVertex, kFragment);
        ASSERT_EQ(device_->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &white_, nullptr), D3D_OK);
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(white_->LockRect(0, &locked, nullptr, 0), D3D_OK);
        std::memset(locked.pBits, 0xFF, 4);
        ASSERT_EQ(white_->UnlockRect(0), D3D_OK);
        ASSERT_EQ(device_->SetTexture(0, white_), D3D_OK);
        orv::d3d9::UseProgram(device_, program_);
    }
    void TearDown() override {
        orv::d3d9::UseProgram(device_, 0);
        device_->SetTexture(0, nullptr);
        if (white_) white_->Release();
        glDeleteProgram(program_);
        DeviceTest::TearDown();
    }
    // A clip-space rectangle in pixels of the back buffer (x0, y0 top-left).
    void DrawRect(float x0, float y0, float x1, float y1, D3DCOLOR color, float fog = 1.f) {
        auto cx = [](float x) { return x / kWidth * 2 - 1; };
        auto cy = [](float y) { return 1 - y / kHeight * 2; };
        const SpriteVertex quad[4] = {{cx(x0), cy(y0), 0.5f, color, fog, 0},
                                      {cx(x1), cy(y0), 0.5f, color, fog, 0},
                                      {cx(x0), cy(y1), 0.5f, color, fog, 0},
                                      {cx(x1), cy(y1), 0.5f, color, fog, 0}};
        ASSERT_EQ(device_->SetFVF(kSpriteFvf), D3D_OK);
        ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(SpriteVertex)), D3D_OK);
    }

    GLuint program_ = 0;
    IDirect3DTexture9* white_ = nullptr;
};

// A clip-space edge at x = -1 + 2 * 10 / 64 lies at pixel 10 in Direct3D,
// a pixel centre: pixel 10 is covered on the left edge, the right edge at 20
// leaves pixel 20 out.
TEST_F(ProgramTest, ToClipCoversThePixelsDirect3DCovers) {
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.f, 0), D3D_OK);
    DrawRect(10.25f, 4.25f, 20.25f, 8.25f, 0xFF4080C0);
    ReadBack();
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 24; ++x) {
            const bool in = x >= 11 && x < 21 && y >= 5 && y < 9;
            ASSERT_EQ(At(x, y), in ? (Rgba{0x40, 0x80, 0xC0, 0xFF}) : (Rgba{0, 0, 0, 255})) << x << "," << y;
        }
}

TEST_F(ProgramTest, ApplyFogMixesTheFogColourAndRunsTheAlphaTest) {
    struct Case {
        DWORD fogEnable, alphaTest, alphaFunc, alphaRef;
        D3DCOLOR color;
        float fog;
        Rgba want;
    } cases[] = {
        {FALSE, FALSE, D3DCMP_ALWAYS, 0, 0xFFFF0000, 0.25f, {255, 0, 0, 255}},
        {TRUE, FALSE, D3DCMP_ALWAYS, 0, 0xFFFF0000, 0.25f, {64, 0, 191, 255}},  // 1/4 red, 3/4 blue fog
        {TRUE, FALSE, D3DCMP_ALWAYS, 0, 0xFFFF0000, 1.5f, {255, 0, 0, 255}},    // clamped: no fog
        {FALSE, TRUE, D3DCMP_GREATER, 128, 0x66FF0000, 1.f, {0, 255, 0, 255}},  // discarded
        {FALSE, TRUE, D3DCMP_GREATER, 0x66, 0x67FF0000, 1.f, {255, 0, 0, 0x67}},
        {FALSE, TRUE, D3DCMP_LESS, 128, 0x66FF0000, 1.f, {255, 0, 0, 0x66}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.f, 0), D3D_OK);
        ASSERT_EQ(device_->SetRenderState(D3DRS_FOGENABLE, c.fogEnable), D3D_OK);
        ASSERT_EQ(device_->SetRenderState(D3DRS_FOGCOLOR, 0xFF0000FF), D3D_OK);
        ASSERT_EQ(device_->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR), D3D_OK);
        ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHATESTENABLE, c.alphaTest), D3D_OK);
        ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHAFUNC, c.alphaFunc), D3D_OK);
        ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHAREF, c.alphaRef), D3D_OK);
        DrawRect(0, 0, 8, 8, c.color, c.fog);
        ReadBack();
        EXPECT_TRUE(Near(At(4, 4), c.want)) << At(4, 4) << " wanted " << c.want;
    }
}

// Setting the shaders to none returns to the device's own program.
TEST_F(ProgramTest, NullShadersReturnToTheDevicesProgram) {
    ASSERT_EQ(device_->SetVertexShader(nullptr), D3D_OK);
    ASSERT_EQ(device_->SetPixelShader(nullptr), D3D_OK);
    ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.f, 0), D3D_OK);
    DrawScreenQuad(0, 0, 4, 4, 0xFF123456);
    ReadBack();
    EXPECT_EQ(At(1, 1), (Rgba{0x12, 0x34, 0x56, 0xFF}));
}

// A broken program is no program, and its log says which step failed and why.
TEST_F(DeviceTest, BrokenProgramsFailWithTheCompilersReason) {
    struct Case {
        const char* vertex;
        const char* fragment;
        const char* says;
    };
    const Case cases[] = {
        {"void main() { gl_Position = undeclared; }\n", kFragment, "compiling failed: "},
        {kVertex, "out vec4 c;\nvoid main() { c = vec4(1.0) }\n", "compiling failed: "},
        {kVertex, "out vec4 c;\nvoid NotMain() { }\n", "linking failed: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        std::string error;
        EXPECT_EQ(orv::d3d9::CompileProgram(c.vertex, c.fragment, &error), 0u);
        EXPECT_EQ(error.rfind(c.says, 0), 0u) << error;
        EXPECT_GT(error.size(), std::strlen(c.says)) << "no reason given";
    }
    EXPECT_EQ(orv::d3d9::CompileProgram(kVertex, "void broken(", nullptr), 0u);
}

// The loader thread fills a texture on its own context; the device's thread
// draws it right after the loader is done with it.
TEST_F(DeviceTest, TexturesMadeOnTheLoaderThreadDrawOnTheDevicesThread) {
    IDirect3DTexture9* texture = nullptr;
    bool current = false;
    std::thread loader([&] {
        current = orv::d3d9::MakeLoaderContextCurrent(device_);
        if (!current) return;
        if (device_->CreateTexture(2, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr) == D3D_OK) {
            D3DLOCKED_RECT locked{};
            if (texture->LockRect(0, &locked, nullptr, 0) == D3D_OK) {
                const D3DCOLOR texels[2] = {0xFF20C040, 0xFFE0A010};
                std::memcpy(locked.pBits, texels, sizeof texels);
                texture->UnlockRect(0);
            }
        }
        orv::d3d9::ReleaseLoaderContext(device_);
    });
    loader.join();
    ASSERT_TRUE(current);
    ASSERT_NE(texture, nullptr);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.f, 0), D3D_OK);
    ASSERT_EQ(device_->SetTexture(0, texture), D3D_OK);
    DrawScreenQuad(-0.5f, -0.5f, 1.5f, 0.5f, 0xFFFFFFFF);
    ReadBack();
    EXPECT_EQ(At(0, 0), (Rgba{0x20, 0xC0, 0x40, 0xFF}));
    EXPECT_EQ(At(1, 0), (Rgba{0xE0, 0xA0, 0x10, 0xFF}));
    ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
    texture->Release();
}

}  // namespace
