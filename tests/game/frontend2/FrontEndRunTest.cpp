// The real program headless: from the title into the character select, its
// three pages confirmed with the keys, stage 1 started by the commit; then the
// ending and the bonus scene set up and run over the streamed world.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/DeviceSetup.h"
#include "engine/core/SceneBase.h"
#include "engine/core/WinMain.h"
#include "game/app/GameManager.h"
#include "game/app/SceneFirst.h"
#include "game/frontend/SceneBonus.h"
#include "game/frontend/SceneCharacterSelect.h"
#include "game/frontend/SceneEnding.h"
#include "game/state/Environment2.h"
#include "game/support/ProgramRun.h"
#include "platform/dinput/dinput.h"
#include "platform/win32/window.h"

using namespace Quorvex;

namespace {

struct Seen {
    int frames = 0;
    int selectResult = -1;
    bool pagesReached[3] = {false, false, false};
    bool stageStarted = false;
    bool selectGone = false;
    int difficulty = 0;
    float attackLevel = -1.0f;
    int fighter = 0;
    int endingResult = -1;
    int endingStep = 0;
    int bonusResult = -1;
    size_t bonusPictures = 0;
    bool finished = false;
};
Seen g_seen;

class DrivingRoot : public SceneFirst {
public:
    void OnUpdate(float timeStep) override {
        SceneFirst::OnUpdate(timeStep);
        ++g_seen.frames;
        m_key.Release(GetWindowRecord()->window);
        ++m_wait;
        auto* select = dynamic_cast<SceneCharacterSelect*>(GameManager::FindScene(this, "charaselect"));
        switch (m_phase) {
            case 0:  // the title is up: a new game, as the title menu would start it
                if (SceneBase* title = GameManager::FindScene(this, "title"); title && m_wait > 5) {
                    SubScene(title);
                    m_param = {GetGameManager(), 0};
                    g_pEnvironment2->playMode = 1;
                    g_seen.selectResult = StartScene(new SceneCharacterSelect(), nullptr, &m_param);
                    Next(1);
                }
                break;
            case 1:
            case 2:
            case 3:  // each page: wait for the camera, then confirm
                if (!select) break;
                if (select->GetCameraState() == 2 + 3 * (m_phase - 1)) {
                    g_seen.pagesReached[m_phase - 1] = true;
                    if (m_phase == 3 && select->GetOutputCursor() == 2) {
                        Press(DIK_S);  // one output up: "出力 100%"
                        break;
                    }
                    if (m_wait > 10) {
                        Press(DIK_LEFT);
                        Next(m_phase + 1);
                    }
                }
                break;
            case 4:  // the commit asked for stage 1, which replaced the select
                if (SceneBase* action = GameManager::FindScene(this, "action"); action && m_wait > 10) {
                    g_seen.stageStarted = true;
                    g_seen.selectGone = select == nullptr;
                    g_seen.difficulty = g_pEnvironment2->difficulty;
                    g_seen.attackLevel = g_pEnvironment2->attackLevel;
                    g_seen.fighter = g_pEnvironment2->fighter;
                    // The way the game manager goes into the ending.
                    while (SceneBase* stage = GameManager::FindScene(this, "action")) SubScene(stage);
                    g_seen.endingResult = StartScene(new SceneEnding(), nullptr, nullptr);
                    Next(5);
                }
                if (m_wait > 600) Finish();
                break;
            case 5:
                if (auto* ending = dynamic_cast<SceneEnding*>(GameManager::FindScene(this, "ending"))) {
                    g_seen.endingStep = ending->GetStep();
                    if (m_wait > 90) {
                        SubScene(ending);
                        for (BYTE& flag : g_pEnvironment2->bonusFlags) flag = 1;
                        g_seen.bonusResult = StartScene(new SceneBonus(), nullptr, nullptr);
                        Next(6);
                    }
                } else {
                    Finish();
                }
                break;
            case 6:
                if (auto* bonus = dynamic_cast<SceneBonus*>(GameManager::FindScene(this, "bonus"))) {
                    if (bonus->GetStep() >= 2 && g_seen.bonusPictures == 0) {
                        g_seen.bonusPictures = bonus->GetPictures().size();
                        g_seen.finished = true;
                        Finish();
                    }
                    if (m_wait > 2000) Finish();
                } else {
                    Finish();
                }
                break;
        }
        if (g_seen.frames > 6000) Finish();
    }

private:
    void Press(int key) { m_key.Press(GetWindowRecord()->window, key); }
    void Next(int phase) {
        m_phase = phase;
        m_wait = 0;
    }
    void Finish() {
        for (BYTE& flag : g_pEnvironment2->bonusFlags) flag = 0;
        PostQuitMessage(0);
    }

    int m_phase = 0;
    int m_wait = 0;
    game_test::KeyTap m_key;
    GameManager::StartParam m_param;
};

SceneBase* MakeDrivingRoot() { return new DrivingRoot(); }

TEST(FrontEndRun, CharacterSelectLeadsIntoStage1AndTheEndingScenesRun) {
    const int exitCode = game_test::RunProgram(&MakeDrivingRoot);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(g_seen.selectResult, 0);
    EXPECT_TRUE(g_seen.pagesReached[0] && g_seen.pagesReached[1] && g_seen.pagesReached[2])
        << "the camera flew to every page";
    EXPECT_TRUE(g_seen.stageStarted);
    EXPECT_TRUE(g_seen.selectGone);
    EXPECT_EQ(g_seen.difficulty, 3);
    EXPECT_FLOAT_EQ(g_seen.attackLevel, 0.7f);
    EXPECT_EQ(g_seen.fighter, 1);
    EXPECT_EQ(g_seen.endingResult, 0);
    EXPECT_GE(g_seen.endingStep, 1) << "the ending's first step ran";
    EXPECT_EQ(g_seen.bonusResult, 0);
    EXPECT_EQ(g_seen.bonusPictures, 3u) << "one picture for each notice";
    EXPECT_TRUE(g_seen.finished) << "after " << g_seen.frames << " frames";
}

}  // namespace
