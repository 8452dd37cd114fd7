// The real program headless in stage 1, its keys pushed through the window:
// when a press or a held key advances a line of the stage's conversations,
// for the shared line advance and for each of stage 1's own four dialogues.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/assets/devices/InputManager.h"
#include "engine/core/DeviceSetup.h"
#include "engine/core/SceneBase.h"
#include "game/app/GameManager.h"
#include "game/app/SceneFirst.h"
#include "game/play/SceneStage1.h"
#include "game/player/Player.h"
#include "game/screen/GraphicManager.h"
#include "game/state/Environment2.h"
#include "game/support/ProgramRun.h"
#include "platform/dinput/dinput.h"
#include "platform/win32/window.h"

using namespace Quorvex;

namespace {

constexpr int kNextSpeakKey = 203;      // left arrow
constexpr int kNextSpeakSkipKey = 205;  // right arrow

// How the keys stand on the frame a line is judged.
enum Input { None, NextPressed, NextHeld, SkipHeld };

struct Probe {
    int dialogue;  // 0: the stages' shared line advance, else stage 1's dialogue
    Input input;
    float shownFor;  // seconds the line has been up
    bool advances;
};

// Press: only dialogues 1 and 2 take a fresh press alone, 3 and 4 take the key
// held; "NextSpeakSkip" hurries dialogues 2 and 3 only.
const Probe kProbes[] = {
    {0, NextPressed, 0.45f, false}, {0, NextPressed, 0.55f, true}, {0, SkipHeld, 0.45f, false},
    {0, SkipHeld, 0.5f, true},      {0, None, 2.45f, false},       {0, None, 2.5f, true},
    {1, NextPressed, 0.45f, false}, {1, NextPressed, 0.55f, true}, {1, NextHeld, 0.55f, false},
    {1, SkipHeld, 0.55f, false},    {1, None, 2.45f, false},       {1, None, 2.5f, true},
    {2, NextPressed, 0.55f, true},  {2, NextHeld, 0.55f, false},   {2, SkipHeld, 0.55f, true},
    {2, SkipHeld, 0.45f, false},    {3, NextPressed, 0.45f, false}, {3, NextHeld, 0.55f, true},
    {3, SkipHeld, 0.55f, true},     {4, NextHeld, 0.55f, true},    {4, NextHeld, 0.45f, false},
    {4, SkipHeld, 0.55f, false},    {4, None, 2.5f, true},
};
constexpr int kProbeCount = sizeof kProbes / sizeof kProbes[0];

// The window of each of stage 1's dialogues.
int WindowOf(int dialogue) {
    static const int windows[] = {0, 5, 7, 9, 15};
    return windows[dialogue];
}

struct Outcome {
    bool judged = false;
    bool advanced = false;
};
Outcome g_outcome[kProbeCount];
bool g_finished = false;
int g_frames = 0;

class DialogueRoot : public SceneFirst {
public:
    void OnUpdate(float timeStep) override {
        SceneFirst::OnUpdate(timeStep);
        ++g_frames;
        ++m_wait;
        if (g_frames > 20000) Quit();
        GameManager* manager = GetGameManager();
        auto* stage = dynamic_cast<SceneStage1*>(GameManager::FindScene(this, "action"));
        if (m_step == 0) {
            if (GameManager::FindScene(this, "title") && m_wait > 5) {
                manager->RequestStage1();
                m_step = 1;
                m_wait = 0;
            }
            return;
        }
        if (!stage || m_wait < 30) return;
        if (Player* player = g_pEnvironment2 ? g_pEnvironment2->player : nullptr) player->SetInvulnerableTime(10.0f);
        if (m_probe >= kProbeCount) {
            g_finished = true;
            Quit();
            return;
        }
        const Probe& probe = kProbes[m_probe];
        InputManager* input = GetInputManager();
        HWND window = GetWindowRecord() ? GetWindowRecord()->window : nullptr;
        switch (m_phase) {
        case 0: {  // into the dialogue's window, keys up
            Keys(window, false, false);
            if (probe.dialogue > 0) {
                const float start = SceneStage1::kWindows[WindowOf(probe.dialogue)].start + 0.5f;
                if (stage->GetWindowIndex() != WindowOf(probe.dialogue)) {
                    stage->scriptClock = start;
                    stage->windowEnd = start;
                    stage->skipRequested = false;
                    return;
                }
            }
            if (input->IsCommandOn("NextSpeak") || input->IsCommandOn("NextSpeakSkip")) return;
            if (probe.input == NextPressed || probe.input == NextHeld) Keys(window, true, false);
            if (probe.input == SkipHeld) Keys(window, false, true);
            m_phase = 1;
            m_held = 0;
            return;
        }
        case 1: {  // the frame whose keys stand as the probe wants
            const bool pressed = input->IsCommandPressed("NextSpeak");
            const bool next = input->IsCommandOn("NextSpeak");
            const bool skip = input->IsCommandOn("NextSpeakSkip");
            bool ready = false;
            switch (probe.input) {
            case None: ready = !next && !skip; break;
            case NextPressed: ready = pressed && !skip; break;
            case NextHeld: ready = next && !pressed && !skip && ++m_held > 1; break;
            case SkipHeld: ready = skip && !next; break;
            }
            if (!ready) {
                if (m_wait > 600) Quit();
                return;
            }
            if (probe.dialogue == 0) {
                SceneStage::SpeakParam& speak = stage->GetSpeakParam();
                speak.lineIndex = 0;
                speak.elapsed = probe.shownFor;
                stage->AdvanceSpeak([](SceneStage::SpeakParam&) { return new GraphicManager::SpeakSet(); });
                Judge(speak.lineIndex);
            } else {
                // The stage's own step, later in this frame, judges the line.
                stage->speakIndex = 0;
                stage->speakTime = probe.shownFor;
                m_phase = 2;
            }
            return;
        }
        default:
            Judge(stage->speakIndex);
            return;
        }
    }

private:
    void Judge(int lineIndex) {
        g_outcome[m_probe].judged = true;
        g_outcome[m_probe].advanced = lineIndex == 1;
        ++m_probe;
        m_phase = 0;
        m_wait = 30;
    }
    static void Keys(HWND window, bool next, bool skip) {
        orv::dinput::TestPushKeyCode(window, kNextSpeakKey, next);
        orv::dinput::TestPushKeyCode(window, kNextSpeakSkipKey, skip);
    }
    void Quit() {
        Keys(GetWindowRecord() ? GetWindowRecord()->window : nullptr, false, false);
        PostQuitMessage(0);
    }

    int m_step = 0;
    int m_wait = 0;
    int m_probe = 0;
    int m_phase = 0;
    int m_held = 0;
};

SceneBase* MakeDialogueRoot() { return new DialogueRoot(); }

TEST(DialogueInput, LinesAdvanceOnTheKeysEachConversationTakes) {
    const int exitCode = game_test::RunProgram(&MakeDialogueRoot);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(g_finished) << "stopped after " << g_frames << " frames";
    for (int i = 0; i < kProbeCount; ++i) {
        const Probe& p = kProbes[i];
        SCOPED_TRACE(::testing::Message() << "probe " << i << ": dialogue " << p.dialogue << ", input " << p.input
                                          << ", shown " << p.shownFor << " s");
        ASSERT_TRUE(g_outcome[i].judged);
        EXPECT_EQ(g_outcome[i].advanced, p.advances);
    }
}

}  // namespace
