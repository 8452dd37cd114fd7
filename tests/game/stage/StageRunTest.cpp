// The real program headless, driven from the title into stage 1: the stage
// starts and draws, a second stage 1 replacing it shares the play world
// (no second set of render groups or shapes; the action-scene count goes to
// 2 and back to 1) while a stage that fails to start leaves it alone, and the
// pause menu freezes the world while "pause" is not tested under the continue
// menu.
#include <gtest/gtest.h>

#include "engine/core/DeviceSetup.h"
#include "engine/core/SceneBase.h"
#include "engine/core/render/ObjectManager.h"
#include "game/app/GameManager.h"
#include "game/app/SceneFirst.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/play/GameSceneRegistry.h"
#include "game/play/ScenePause.h"
#include "game/play/SceneStage1.h"
#include "game/state/Environment2.h"
#include "game/support/ProgramRun.h"
#include "game/world/AreaManager.h"
#include "platform/dinput/dinput.h"
#include "platform/win32/window.h"

using namespace Quorvex;

namespace {

// A stage whose terrain is missing: its set-up fails.
class FailingStage : public SceneStage {
public:
    IAreaFactory* CreateAreaFactory() override { return nullptr; }
};

// What the script saw.
struct Seen {
    int frames = 0;
    bool stageStarted = false;
    int stageFramesDrawn = 0;
    int countAfterFirst = -1;
    int countDuringReplace = -1;
    int countAfterReplace = -1;
    bool replaced = false;
    bool sameObjectManager = false;
    bool sameGroup = false;
    bool sameShape = false;
    bool sameCamera = false;
    bool pauseMoved = false;
    bool currentIsNew = false;
    bool failedStartRefused = false;
    bool failedStartKeptTheWorld = false;
    bool pauseOpened = false;
    bool frozen = false;
    bool continueKept = false;
    bool finished = false;
};
Seen g_seen;

class DrivingRoot : public SceneFirst {
public:
    void OnUpdate(float timeStep) override {
        SceneFirst::OnUpdate(timeStep);
        ++g_seen.frames;
        if (m_release) {
            orv::dinput::TestPushKeyCode(GetWindowRecord()->window, DIK_ESCAPE, false);
            m_release = false;
        }
        GameManager* manager = GetGameManager();
        GameSceneRegistry& registry = GetGameSceneRegistry();
        SceneBase* action = GameManager::FindScene(this, "action");
        ++m_wait;
        switch (m_phase) {
            case 0:  // the title is up: start stage 1 as its menu would
                if (GameManager::FindScene(this, "title") && m_wait > 5) {
                    manager->RequestStage1();
                    Next(1);
                }
                break;
            case 1:  // stage 1 runs for a while
                if (!action) break;
                if (!g_seen.stageStarted) {
                    g_seen.stageStarted = dynamic_cast<SceneStage1*>(action) != nullptr;
                    g_seen.countAfterFirst = registry.actionSceneCount;
                    m_first = action;
                    m_objects = action->GetObjectManager();
                    m_group = m_objects ? m_objects->GetRenderGroup("Sprite2D") : nullptr;
                    m_shape = action->GetAreaManager() ? action->GetAreaManager()->GetShape(L"Fighter") : nullptr;
                    m_camera = registry.camera.Get();
                    m_wait = 0;
                }
                if (m_wait > 30) {
                    // The replacement runs at once so that both scenes are
                    // seen before the old one leaves.
                    manager->RequestStage1();
                    manager->RunPendingRequests();
                    SceneBase* next = GameManager::FindScene(this, "action");
                    g_seen.replaced = next && next != m_first;
                    g_seen.countDuringReplace = registry.actionSceneCount;
                    Next(2);
                }
                break;
            case 2:  // the old stage is gone; the world is the same
                if (m_wait < 2 || !action) break;
                g_seen.countAfterReplace = registry.actionSceneCount;
                g_seen.sameObjectManager = action->GetObjectManager() == m_objects;
                g_seen.sameGroup = m_objects && m_objects->GetRenderGroup("Sprite2D") == m_group && m_group;
                g_seen.sameShape = action->GetAreaManager() &&
                                   action->GetAreaManager()->GetShape(L"Fighter") == m_shape && m_shape;
                g_seen.sameCamera = registry.camera.Get() == m_camera && m_camera;
                g_seen.pauseMoved = registry.pauseScene.Get() &&
                                    action->GetChildren().count(registry.pauseScene.Get()) == 1;
                g_seen.currentIsNew = g_pEnvironment2->actionScene == dynamic_cast<IActionScene*>(action);
                {
                    // A stage that fails to start next to the running one, as
                    // the game manager releases it: the running world stays.
                    GameManager::StartParam start{manager, 0};
                    auto* failing = new FailingStage();
                    failing->AddRef();
                    g_seen.failedStartRefused = action->StartSiblingScene(failing, &start) < 0;
                    failing->Release();
                    g_seen.failedStartKeptTheWorld =
                        registry.actionSceneCount == 1 && registry.camera.Get() == m_camera && registry.player.Get() &&
                        g_pEnvironment2->actionScene == dynamic_cast<IActionScene*>(action);
                }
                Next(3);
                break;
            case 3:  // play, then "pause"
                if (m_wait > 10) Press(4);
                break;
            case 4:  // the menu is up: the enemy clock stands
                if (g_pEnvironment2->paused && registry.pauseScene.Get()->GetMode() == ScenePause::ModePause) {
                    g_seen.pauseOpened = true;
                    m_clock = registry.enemyGenerator.Get()->clock;
                    Next(5);
                }
                break;
            case 5:
                if (m_wait > 10) {
                    g_seen.frozen = registry.enemyGenerator.Get()->clock == m_clock;
                    // The continue menu replaces the pause menu; "pause" must
                    // not close it.
                    registry.pauseScene.Get()->SetMode(ScenePause::ModeContinue, false);
                    Next(6);
                }
                break;
            case 6:
                if (registry.pauseScene.Get()->IsTilesDone() && m_wait > 3) Press(7);
                break;
            case 7:
                if (m_wait > 8) {
                    g_seen.continueKept = registry.pauseScene.Get()->GetMode() == ScenePause::ModeContinue &&
                                          g_pEnvironment2->paused;
                    g_seen.finished = true;
                    PostQuitMessage(0);
                }
                break;
        }
        if (g_seen.frames > 3000) PostQuitMessage(0);
    }

    void Render() override {
        SceneFirst::Render();
        if (m_phase >= 1 && GameManager::FindScene(this, "action")) ++g_seen.stageFramesDrawn;
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

    int m_phase = 0;
    int m_wait = 0;
    bool m_release = false;
    SceneBase* m_first = nullptr;  // not counted: compared only
    ObjectManager* m_objects = nullptr;
    RenderGroup* m_group = nullptr;
    btCollisionShape* m_shape = nullptr;
    ViewObject* m_camera = nullptr;
    float m_clock = 0.0f;
};

SceneBase* MakeDrivingRoot() { return new DrivingRoot(); }

TEST(StageRun, Stage1StartsSharesItsWorldWithTheNextStageAndPauses) {
    const int exitCode = game_test::RunProgram(&MakeDrivingRoot);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(g_seen.finished) << "the script ran to its end after " << g_seen.frames << " frames";
    EXPECT_TRUE(g_seen.stageStarted);
    EXPECT_GT(g_seen.stageFramesDrawn, 30);
    EXPECT_EQ(g_seen.countAfterFirst, 1);
    EXPECT_TRUE(g_seen.replaced);
    EXPECT_EQ(g_seen.countDuringReplace, 2);
    EXPECT_EQ(g_seen.countAfterReplace, 1);
    EXPECT_TRUE(g_seen.sameObjectManager);
    EXPECT_TRUE(g_seen.sameGroup) << "no second set of render groups";
    EXPECT_TRUE(g_seen.sameShape) << "no second set of collision shapes";
    EXPECT_TRUE(g_seen.sameCamera);
    EXPECT_TRUE(g_seen.pauseMoved) << "the pause scene moved to the new stage";
    EXPECT_TRUE(g_seen.currentIsNew);
    EXPECT_TRUE(g_seen.failedStartRefused);
    EXPECT_TRUE(g_seen.failedStartKeptTheWorld) << "a stage that failed to start released the running world";
    EXPECT_TRUE(g_seen.pauseOpened);
    EXPECT_TRUE(g_seen.frozen) << "objects did not update under the menu";
    EXPECT_TRUE(g_seen.continueKept) << "\"pause\" was not tested under the continue menu";
    EXPECT_EQ(GetGameSceneRegistry().actionSceneCount, 0) << "the last stage left with the program";
    EXPECT_EQ(GetGameSceneRegistry().camera.Get(), nullptr) << "and released the shared world";
}

}  // namespace
