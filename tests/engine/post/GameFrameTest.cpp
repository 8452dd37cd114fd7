// The game's own start-up and frame loop with the "Begin" and "End" groups
// registered on the root scene's object manager, as the scenes of the game
// register them: every presented frame went through the post-processing
// chain, and no effect failed to load.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "PostFixture.h"
#include "engine/assets/RenderGroup_Begin.h"
#include "engine/assets/ResourceManager.h"
#include "engine/assets/shaders/Shader_CopyTexture.h"
#include "engine/assets/shaders/Shader_Water.h"
#include "engine/core/Environment.h"
#include "engine/core/WinMain.h"
#include "game/app/GameManager.h"
#include "game/app/SceneFirst.h"

using namespace Quorvex;

namespace {

HINSTANCE__ g_instance{};
constexpr int kFrames = 5;
constexpr UINT kWidth = 320, kHeight = 180;

struct Seen {
    int presented = 0;
    int matching = 0;
    int pictureDraws = 0;
} g_seen;

// Draws the picture where the 3D groups would.
class PictureGroup : public RenderGroup {
public:
    explicit PictureGroup(IDirect3DTexture9* picture) : picture_(picture) { picture_->AddRef(); }
    ~PictureGroup() override { picture_->Release(); }
    void Draw() override {
        ++g_seen.pictureDraws;
        auto* copy = dynamic_cast<Shader_CopyTexture*>(GetShaderManager()->GetShader("CopyTexture"));
        if (!copy) return;
        for (float& c : copy->m_fillColor) c = 1.0f;
        copy->SetTexture(picture_);
        copy->Apply(nullptr, 0, -1);
    }
    int GetOrderKey() const override { return 3000; }

private:
    IDirect3DTexture9* picture_;
};

class EmptyScene : public SceneBase {
public:
    EmptyScene() {
        m_name = "empty";
        m_areaManagerCreation = CreateNone;
    }
    int OnInitialize(void*) override { return 0; }
    void OnUpdate(float) override {}
    void OnRender() override {}
};

// The root scene with what the game's scenes add to it: the wide water shader
// and the render groups around a picture, and a child scene to draw.
class PostSceneFirst : public SceneFirst {
public:
    int OnInitialize(void* param) override {
        const int result = SceneFirst::OnInitialize(param);
        if (result < 0) return result;
        // The loader opened the title, which would draw over the picture;
        // this test looks at the post chain alone.
        while (SceneBase* title = GameManager::FindScene(this, "title")) SubScene(title);
        ShaderManager* shaders = GetShaderManager();
        if (!shaders->GetShader("WideWater")) {
            auto* water = new Shader_WideWater(GetResourceManager()->GetRenderParameter(), shaders);
            water->AddRef();
            const int loaded = water->LoadShader();
            if (loaded >= 0) shaders->AddShader(water);
            water->Release();
            if (loaded < 0) return loaded;
        }

        const post_test::Picture pattern = post_test::Pattern(kWidth, kHeight);
        IDirect3DTexture9* texture = nullptr;
        if (FAILED(GetDevice()->CreateTexture(kWidth, kHeight, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                              nullptr)))
            return -1;
        D3DLOCKED_RECT locked{};
        texture->LockRect(0, &locked, nullptr, 0);
        for (UINT y = 0; y < kHeight; ++y)
            for (UINT x = 0; x < kWidth; ++x) {
                uint8_t* p = static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4;
                const Rgba& c = pattern.At(x, y);
                p[0] = c.b, p[1] = c.g, p[2] = c.r, p[3] = 255;
            }
        texture->UnlockRect(0);

        ObjectManager* objects = GetObjectManager();
        auto* begin = new RenderGroup_Begin();
        begin->AddRef();
        auto* end = new RenderGroup_End(begin);
        end->AddRef();
        auto* scene = new PictureGroup(texture);
        scene->AddRef();
        texture->Release();
        const bool registered = begin->Initialize(objects, "Begin", 100, 0) >= 0 &&
                                end->Initialize(objects, "End", 0, 0) >= 0 &&
                                scene->Initialize(objects, "Picture", 10, 0) >= 0;
        begin->Release();
        end->Release();
        scene->Release();
        if (!registered) return -1;

        IDirect3DDevice9* device = GetDevice();
        orv::d3d9::SetPresentHook(device, [pattern, device] {
            ++g_seen.presented;
            std::vector<uint8_t> rgba;
            int w = 0, h = 0;
            if (!orv::d3d9::ReadBackBuffer(device, rgba, w, h) ||
                w != int(kWidth) || h != int(kHeight))
                return;
            post_test::Picture screen(kWidth, kHeight, post_test::Grey(0));
            std::memcpy(screen.pixels.data(), rgba.data(), rgba.size());
            if (screen.MaxDifference(pattern) <= 2) ++g_seen.matching;
        });
        return StartScene(new EmptyScene(), this, nullptr);
    }
    void OnUpdate(float timeStep) override {
        SceneFirst::OnUpdate(timeStep);
        if (++m_frames == kFrames) PostQuitMessage(0);
    }
    ~PostSceneFirst() override {
        if (GetDevice()) orv::d3d9::SetPresentHook(GetDevice(), {});
    }

private:
    int m_frames = 0;
};

TEST(GameFrame, EveryFrameGoesThroughBeginAndEndAndNoEffectFailsToLoad) {
    const std::filesystem::path home = std::filesystem::current_path();
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "orv_post_game";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::filesystem::create_directory_symlink(home / "data", dir / "data");
    std::ofstream(dir / "Param.txt") << "FramePerSecond_Max 60\nFramePerSecond_Min 30\n";
    std::filesystem::current_path(dir);

    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    std::wstring commandLine = L"-windowed -width:320 -height:180";
    const int exitCode = RunWinMain([]() -> SceneBase* { return new PostSceneFirst(); }, &g_instance, nullptr,
                                    commandLine.data(), SW_SHOWNORMAL);
    std::ifstream in(dir / "MsgLog.txt", std::ios::binary);
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::current_path(home);
    std::filesystem::remove_all(dir);

    EXPECT_EQ(exitCode, 0);
    EXPECT_GE(g_seen.presented, kFrames - 1);
    EXPECT_EQ(g_seen.matching, g_seen.presented) << "each frame shows the picture drawn between Begin and End";
    EXPECT_EQ(g_seen.pictureDraws, g_seen.presented);
    MessageTable::Build();
    for (int id : {25, 26, 33}) {
        const std::wstring text = MessageTable::GetText(id);
        std::string utf8(text.size() * 4, '\0');
        utf8.resize(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), utf8.data(), int(utf8.size()),
                                        nullptr, nullptr));
        EXPECT_EQ(log.find(utf8), std::string::npos) << "message " << id << " in the log:\n" << log;
    }
}

}  // namespace
