// The pause scene over a small stand-in for the action scene, in the real
// program headless: Escape opens the menu (and does not end the program), the
// parent freezes, the frozen frame is drawn tinted, and the menu closes again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "StandInScene.h"
#include "engine/assets/devices/InputManager.h"
#include "engine/assets/shaders/RenderTargetSet.h"
#include "engine/core/DeviceSetup.h"
#include "engine/core/Environment.h"
#include "engine/core/WinMain.h"
#include "engine/core/render/ObjectManager.h"
#include "game/app/SceneFirst.h"
#include "game/play/ScenePause.h"
#include "game/state/Environment2.h"
#include "game/support/ProgramRun.h"
#include "platform/d3d9/device.h"
#include "platform/dinput/dinput.h"
#include "platform/win32/window.h"

using namespace Quorvex;

namespace {

struct Rgb {
    int r = -1, g = -1, b = -1;
};

// What the script saw.
struct Seen {
    int frames = 0;
    bool opened = false;
    bool secondPressIgnored = false;
    bool frozen = false;
    bool closed = false;
    bool resumed = false;
    bool continueKept = false;
    bool finished = false;
    Rgb pauseTint;
    Rgb continueTint;
};
Seen g_seen;

// Counts its updates: the stand-in's game objects.
class Counter : public Object {
public:
    explicit Counter(ObjectManager* objects) : Object(objects, CreateRegister) {}
    void Update(float) override { ++updates; }
    int updates = 0;
};

// What the action scene does with the pause scene: start it with the frame
// texture, freeze while a menu is up, open the pause menu on "pause".
class StandInAction : public StandInScene {
public:
    ~StandInAction() override {
        if (counter) counter->Release();
        m_frame.Clear();
    }
    int OnInitialize(void*) override {
        counter = new Counter(GetObjectManager());
        counter->AddRef();
        // The last finished game frame: plain green.
        IDirect3DDevice9* device = GetDevice();
        D3DSURFACE_DESC desc{};
        if (FAILED(RenderTargetSet::GetBackBufferDesc(device, &desc))) return -1;
        if (FAILED(m_frame.Create(desc.Width, desc.Height, device, desc.Format))) return -1;
        IDirect3DSurface9* saved = nullptr;
        device->GetRenderTarget(0, &saved);
        device->SetRenderTarget(0, m_frame.GetSurface());
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
        device->SetRenderTarget(0, saved);
        if (saved) saved->Release();

        pause = new ScenePause();
        if (StartScene(pause, this, nullptr) < 0) return -1;
        pause->SetSourceFrame(m_frame.GetTexture());
        return 0;
    }
    void OnUpdate(float) override {
        const bool paused = pause->GetMode() != 0;
        g_pEnvironment2->paused = paused ? 1 : 0;
        SetEnable(!paused);
        if (!paused && GetInputManager()->IsCommandPressed("pause")) pause->SetMode(ScenePause::ModePause, false);
    }

    Counter* counter = nullptr;
    ScenePause* pause = nullptr;  // a child: the tree holds it

private:
    RenderTargetSet m_frame;
};

class TestRoot : public SceneFirst {
public:
    int OnInitialize(void*) override {
        if (FAILED(CreateRenderTarget())) return -1;
        IDirect3DDevice9* device = GetDevice();
        orv::d3d9::SetPresentHook(device, [this, device] {
            if (!m_capture) return;
            std::vector<uint8_t> rgba;
            int w = 0, h = 0;
            if (!orv::d3d9::ReadBackBuffer(device, rgba, w, h) || w <= 0) return;
            // Below the menu, right of the title: only the frozen frame and
            // the tint are drawn there.
            const uint8_t* p = &rgba[(static_cast<size_t>(h) * 7 / 8 * w + w / 8) * 4];
            *m_capture = Rgb{p[0], p[1], p[2]};
            m_capture = nullptr;
        });
        m_action = new StandInAction();
        return StartScene(m_action, this, nullptr) < 0 ? -1 : 0;
    }

    void OnUpdate(float timeStep) override {
        SceneFirst::OnUpdate(timeStep);
        ++g_seen.frames;
        if (m_release) {
            orv::dinput::TestPushKeyCode(GetWindowRecord()->window, DIK_ESCAPE, false);
            m_release = false;
        }
        ScenePause* pause = m_action->pause;
        const int updates = m_action->counter->updates;
        ++m_wait;
        switch (m_phase) {
            case 0:  // play for a moment, then "pause"
                if (m_wait > 3) Press(1);
                break;
            case 1:  // the menu opens; pressing again while the tiles spread
                if (pause->GetMode() == ScenePause::ModePause) {
                    g_seen.opened = true;
                    m_frozenAt = updates;
                    Press(2);
                }
                break;
            case 2:  // the spread ends with the menu still up; the game froze
                if (pause->IsTilesDone() && m_wait > 3) {
                    g_seen.secondPressIgnored = pause->GetMode() == ScenePause::ModePause;
                    g_seen.frozen = updates == m_frozenAt;
                    m_capture = &g_seen.pauseTint;
                    Press(3);
                }
                break;
            case 3:  // "pause" after the spread closes the menu
                if (pause->GetMode() == ScenePause::ModeIdle) {
                    g_seen.closed = true;
                    m_frozenAt = updates;
                    Next(4);
                }
                break;
            case 4:  // the game runs again; then the machine is lost
                if (m_wait > 3) {
                    g_seen.resumed = updates > m_frozenAt;
                    pause->SetMode(ScenePause::ModeContinue, false);
                    Next(5);
                }
                break;
            case 5:  // the continue menu ignores "pause"
                if (pause->IsTilesDone() && m_wait > 3) {
                    m_capture = &g_seen.continueTint;
                    Press(6);
                }
                break;
            case 6:
                if (m_wait > 5) {
                    g_seen.continueKept = pause->GetMode() == ScenePause::ModeContinue;
                    g_seen.finished = true;
                    PostQuitMessage(0);
                }
                break;
        }
        if (g_seen.frames > 600) PostQuitMessage(0);
    }

private:
    void Press(int next) {
        orv::dinput::TestPushKeyCode(GetWindowRecord()->window, DIK_ESCAPE, true);
        m_release = true;
        Next(next);
    }
    void Next(int phase) {
        m_phase = phase;
        m_wait = 0;
    }

    StandInAction* m_action = nullptr;  // a child: the tree holds it
    int m_phase = 0;
    int m_wait = 0;
    int m_frozenAt = 0;
    bool m_release = false;
    Rgb* m_capture = nullptr;
};

SceneBase* MakeTestRoot() { return new TestRoot(); }

::testing::AssertionResult Near(const Rgb& got, Rgb expected, int tolerance = 4) {
    if (std::abs(got.r - expected.r) <= tolerance && std::abs(got.g - expected.g) <= tolerance &&
        std::abs(got.b - expected.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << got.r << ", " << got.g << ", " << got.b << "), expected ("
                                         << expected.r << ", " << expected.g << ", " << expected.b << ")";
}

TEST(PauseScene, FreezesTheParentAndResumesIt) {
    const int exitCode = game_test::RunProgram(&MakeTestRoot);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(g_seen.finished) << "the script ran to its end (Escape did not end the program) after "
                                 << g_seen.frames << " frames";
    EXPECT_TRUE(g_seen.opened);
    EXPECT_TRUE(g_seen.secondPressIgnored) << "a press while the tiles spread";
    EXPECT_TRUE(g_seen.frozen) << "the parent's objects did not update under the menu";
    EXPECT_TRUE(g_seen.closed);
    EXPECT_TRUE(g_seen.resumed);
    EXPECT_TRUE(g_seen.continueKept);
    // Green frame under half of (0.2, 0.2, 1.0), then of (1.0, 0.2, 0.2).
    EXPECT_TRUE(Near(g_seen.pauseTint, Rgb{25, 153, 127})) << "blue tint";
    EXPECT_TRUE(Near(g_seen.continueTint, Rgb{127, 153, 25})) << "red tint";
    EXPECT_EQ(g_pEnvironment2->pauseScene, nullptr) << "the scene left the game state when it went";
}

}  // namespace
