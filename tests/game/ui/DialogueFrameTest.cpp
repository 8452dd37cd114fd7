// The dialogue overlay in the real program, headless: a spoken line is drawn
// in its speaker's colour where the left speech window rests, and a fade to
// white covers the screen and stays.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "StandInScene.h"
#include "engine/assets/RenderGroups.h"
#include "engine/core/DeviceSetup.h"
#include "engine/core/WinMain.h"
#include "game/app/SceneFirst.h"
#include "game/screen/GraphicManager.h"
#include "game/screen/GraphicObject.h"
#include "game/support/ProgramRun.h"
#include "platform/d3d9/device.h"
#include "platform/win32/window.h"

using namespace Quorvex;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 360;

struct Shot {
    std::vector<uint8_t> rgba;
    int width = 0, height = 0;
    bool taken = false;
    // Pixels of the box whose colour is within the tolerance of (r, g, b).
    int Count(int x0, int y0, int x1, int y1, int r, int g, int b, int tolerance) const {
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
                if (std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance &&
                    std::abs(p[2] - b) <= tolerance)
                    ++count;
            }
        return count;
    }
};
Shot g_text;
Shot g_fade;
int g_initialized = -100;

// A stand-in for the stage: its own 2-D group and the dialogue manager, fed
// one line every frame.
class DialogueScene : public StandInScene {
public:
    ~DialogueScene() override {
        if (dialogue) dialogue->Release();
    }
    int OnInitialize(void*) override {
        auto* group = new RenderGroupSprite2D();
        group->AddRef();
        const int grouped = group->Initialize(GetObjectManager(), "Sprite2D", 100, 0);
        group->Release();
        if (grouped < 0) return -1;
        dialogue = new GraphicManager(GetObjectManager());
        dialogue->AddRef();
        g_initialized = dialogue->Initialize(0);
        return 0;
    }
    void OnUpdate(float timeStep) override {
        if (g_initialized != 0) return;
        dialogue->ApplySpeakSet(
            GraphicManager::SpeakSet{"velrin", "dweli", L"あいうえおかきくけこ", 1, GraphicManager::kSpeakerColor});
        spokenTime += timeStep;
    }

    GraphicManager* dialogue = nullptr;
    // Game time since the line was first given. The first frames after a slow
    // start catch up with short steps, so a frame count says little about it.
    float spokenTime = 0.0f;
};

class TestRoot : public SceneFirst {
public:
    int OnInitialize(void*) override {
        if (FAILED(CreateRenderTarget())) return -1;
        IDirect3DDevice9* device = GetDevice();
        orv::d3d9::SetPresentHook(device, [this, device] {
            if (!m_capture) return;
            m_capture->taken = orv::d3d9::ReadBackBuffer(device, m_capture->rgba, m_capture->width, m_capture->height);
            m_capture = nullptr;
        });
        m_scene = new DialogueScene();
        return StartScene(m_scene, this, nullptr) < 0 ? -1 : 0;
    }
    void OnUpdate(float timeStep) override {
        SceneFirst::OnUpdate(timeStep);
        const float spoken = m_scene->spokenTime;
        // The line's window slides in for half a second, then the text shows.
        if (m_step == 0 && spoken >= 1.0f) m_capture = &g_text, m_step = 1;
        else if (m_step == 1) {
            m_scene->dialogue->GetWindow(GraphicManager::ScreenEffect)
                ->StartFadeToColor(D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f), 5.0f);
            m_fadeStart = spoken;
            m_step = 2;
        } else if (m_step == 2 && spoken - m_fadeStart >= 0.6f) m_capture = &g_fade, m_step = 3;
        else if (m_step == 3) PostQuitMessage(0);
        if (g_initialized != 0) PostQuitMessage(0);
    }

private:
    DialogueScene* m_scene = nullptr;  // a child: the tree holds it
    int m_step = 0;
    float m_fadeStart = 0.0f;
    Shot* m_capture = nullptr;
};

SceneBase* MakeTestRoot() { return new TestRoot(); }

TEST(DialogueFrame, SpokenLineAndFadeReachTheScreen) {
    const int exitCode = game_test::RunProgram(&MakeTestRoot, kWidth, kHeight);
    EXPECT_EQ(exitCode, 0);
    ASSERT_EQ(g_initialized, 0) << "the dialogue fonts";
    ASSERT_TRUE(g_text.taken);
    ASSERT_TRUE(g_fade.taken);

    // The left speech window rests at (0, 0.5); its text starts at
    // (0.3056, 0.7403) of the screen height: pixel (110, 266) at 360 high.
    const int x0 = 105, y0 = 262, x1 = 300, y1 = 290;
    EXPECT_GT(g_text.Count(x0, y0, x1, y1, 255, 255, 128, 40), 20) << "velrin's yellowish text";
    EXPECT_EQ(g_text.Count(x0, y0 - 60, x1, y0 - 30, 255, 255, 128, 40), 0) << "nothing above the line";

    // The windows of lower draw priority (the speech text) lie above it.
    EXPECT_EQ(g_fade.Count(0, 0, kWidth, y0, 255, 255, 255, 2), kWidth * y0)
        << "the faded-to white stays over the screen";
    EXPECT_GT(g_fade.Count(x0, y0, x1, y1, 255, 255, 128, 40), 20) << "the text above the fade";
}

}  // namespace
