// The stage select's start through a real game manager: each level asks for
// the first stage of that level, which starts in the manager's next pass.
#include <gtest/gtest.h>

#include <vector>

#include "game/app/GameManager.h"
#include "game/flow/FlowTestSupport.h"
#include "game/frontend/SceneStageSelect.h"
#include "game/state/Environment2.h"

namespace {

// Notes the stages it is asked to make instead of making them.
class StageRecorder : public GameManager {
public:
    using GameManager::GameManager;
    std::vector<int> stages;

protected:
    Quorvex::SceneBase* CreateStageScene(int stage) override {
        stages.push_back(stage);
        return nullptr;
    }
};

}  // namespace

TEST(StageSelectStart, EachLevelStartsItsFirstStage) {
    flow_test::FreshEnvironment state;
    auto* manager = new StageRecorder(nullptr, nullptr);
    manager->AddRef();
    manager->Initialize(0);
    struct Case {
        int level, stage;
        float damageFactor;
    };
    const Case cases[] = {{1, 1, 1.0f}, {2, 2, 1.15f}, {3, 4, 1.25f}, {4, 5, 1.35f}, {5, 6, 1.5f}};
    for (const Case& c : cases) {
        manager->stages.clear();
        EXPECT_TRUE(SceneStageSelect::StartRun(manager, 3, c.level, 1));
        EXPECT_TRUE(manager->stages.empty()) << "the stage starts in the next pass";
        manager->RunPendingRequests();
        EXPECT_EQ(manager->stages, std::vector<int>{c.stage}) << "level " << c.level;
        EXPECT_EQ(state->level, c.level);
        EXPECT_FLOAT_EQ(state->damageFactor, c.damageFactor);
        EXPECT_EQ(state->singleStage, 1);
    }
    // The extra level has no stage here: nothing is asked.
    manager->stages.clear();
    EXPECT_FALSE(SceneStageSelect::StartRun(manager, 3, 6, 1));
    manager->RunPendingRequests();
    EXPECT_TRUE(manager->stages.empty());
    manager->Release();
}
