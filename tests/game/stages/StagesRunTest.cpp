// The real program headless, driven from the title through stages 2 to 6 and
// the extra stage, each replacing the one before: every stage starts, draws,
// and stage 5 brings its noise group, which leaves with it.
#include <gtest/gtest.h>

#include <string>
#include <typeinfo>
#include <vector>

#include "engine/core/SceneBase.h"
#include "engine/core/render/ObjectManager.h"
#include "game/app/GameManager.h"
#include "game/app/SceneFirst.h"
#include "game/play/GameSceneRegistry.h"
#include "game/play/SceneStage2.h"
#include "game/play/SceneStage3.h"
#include "game/play/SceneStage4.h"
#include "game/play/SceneStage5.h"
#include "game/play/SceneStage6.h"
#include "game/play/SceneStageEx.h"
#include "game/state/Environment2.h"
#include "game/support/ProgramRun.h"
#include "platform/win32/window.h"

using namespace Quorvex;

namespace {

struct Seen {
    int frames = 0;
    std::vector<std::string> started;  // type of each new action scene
    std::vector<int> drawn;            // frames drawn while it ran
    bool noiseWithStage5 = false;
    bool noiseGoneAfter = false;
    bool finished = false;
};
Seen g_seen;

class DrivingRoot : public SceneFirst {
public:
    void OnUpdate(float timeStep) override {
        SceneFirst::OnUpdate(timeStep);
        ++g_seen.frames;
        ++m_wait;
        GameManager* manager = GetGameManager();
        SceneBase* action = GameManager::FindScene(this, "action");
        if (m_step == 0) {
            if (GameManager::FindScene(this, "title") && m_wait > 5) Request(manager);
        } else if (action && action != m_current) {
            m_current = action;
            g_seen.started.push_back(typeid(*action).name());
            g_seen.drawn.push_back(0);
            m_wait = 0;
        } else if (action && m_wait > 20) {
            // By now the stage before has left.
            ObjectManager* objects = action->GetObjectManager();
            const bool noise = objects && objects->GetRenderGroup(SceneStage5::kNoiseGroupName);
            if (m_step == 4) g_seen.noiseWithStage5 = noise;
            if (m_step == 5) g_seen.noiseGoneAfter = !noise;
            if (m_step == 7) {
                g_seen.finished = true;
                PostQuitMessage(0);
            } else {
                Request(manager);
            }
        }
        if (g_seen.frames > 3000) PostQuitMessage(0);
    }

    void Render() override {
        SceneFirst::Render();
        if (m_current && !g_seen.drawn.empty()) ++g_seen.drawn.back();
    }

private:
    void Request(GameManager* manager) {
        switch (++m_step) {
        case 1: manager->RequestStage2(); break;
        case 2: manager->RequestStage3(); break;
        case 3: manager->RequestStage4(); break;
        case 4: manager->RequestStage5(); break;
        case 5: manager->RequestStage6(); break;
        case 6: manager->RequestStageEx(); break;
        default: break;
        }
        m_wait = 0;
    }

    int m_step = 0;
    int m_wait = 0;
    SceneBase* m_current = nullptr;  // not counted: compared only
};

SceneBase* MakeDrivingRoot() { return new DrivingRoot(); }

TEST(StagesRun, EveryStageStartsDrawsAndHandsOverToTheNext) {
    const int exitCode = game_test::RunProgram(&MakeDrivingRoot);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(g_seen.finished) << "the run ended after " << g_seen.frames << " frames";
    const std::vector<std::string> expected = {typeid(SceneStage2).name(), typeid(SceneStage3).name(),
                                               typeid(SceneStage4).name(), typeid(SceneStage5).name(),
                                               typeid(SceneStage6).name(), typeid(SceneStageEx).name()};
    EXPECT_EQ(g_seen.started, expected);
    for (size_t i = 0; i < g_seen.drawn.size(); ++i) EXPECT_GT(g_seen.drawn[i], 10) << g_seen.started[i];
    EXPECT_TRUE(g_seen.noiseWithStage5);
    EXPECT_TRUE(g_seen.noiseGoneAfter) << "stage 5 took its noise group with it";
    EXPECT_EQ(GetGameSceneRegistry().actionSceneCount, 0);
}

}  // namespace
