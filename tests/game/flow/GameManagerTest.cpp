#include <gtest/gtest.h>

#include <string>

#include "FlowTestSupport.h"
#include "engine/core/SceneBase.h"
#include "game/app/GameManager.h"
#include "game/state/Environment2.h"

using flow_test::FreshEnvironment;

namespace {

// A scene that only carries a name: the container and its children.
class NamedScene : public Quorvex::SceneBase {
public:
    explicit NamedScene(const char* name) { m_name = name; }
    int OnInitialize(void*) override { return 0; }
    void OnUpdate(float) override {}
    void OnRender() override {}
};

// Stage scenes need a device; these tests follow the flow's bookkeeping,
// which is done before a stage scene is made.
class DevicelessGameManager : public GameManager {
public:
    using GameManager::GameManager;

protected:
    Quorvex::SceneBase* CreateStageScene(int) override { return nullptr; }
};

// A game manager over a bare container; no object manager, no devices.
struct Flow {
    FreshEnvironment env;
    NamedScene* container = new NamedScene("first");
    GameManager* manager = nullptr;

    Flow() {
        container->AddRef();
        manager = new DevicelessGameManager(nullptr, container);
        manager->AddRef();
        manager->Initialize(0);
    }
    ~Flow() {
        manager->Release();
        container->Release();
    }
    void AddChild(const char* name) { container->AddScene(new NamedScene(name)); }
    bool Has(const char* name) const {
        for (Quorvex::SceneBase* child : container->GetChildren())
            if (child->GetName() == name) return true;
        return false;
    }
};

// Continue runs in the pass after its request and queues the stage of the
// level, which starts only in the pass after that.
TEST(GameManager, ContinueRestartsTheStageOfTheLevelOnePassLater) {
    struct Case {
        int level;
        float damageFactor;  // of the stage started in the next pass
        int levelAfter;
    };
    // Level 2 holds stages 2 and 3: a continue in stage 3 restarts stage 2.
    const Case cases[] = {{1, 1.0f, 1}, {2, 1.15f, 2}, {3, 1.25f, 3},
                          {4, 1.35f, 4}, {5, 1.5f, 5},  {6, 1.0f, 6}};
    for (const Case& c : cases) {
        Flow flow;
        flow.env->level = c.level;
        flow.env->damageFactor = 9.0f;
        flow.AddChild("action");
        flow.manager->RequestContinue();
        EXPECT_EQ(flow.env->continueCount, 0);  // nothing runs before the pass
        flow.manager->RunPendingRequests();
        EXPECT_EQ(flow.env->continueCount, 1);
        EXPECT_FALSE(flow.Has("action"));
        EXPECT_FLOAT_EQ(flow.env->damageFactor, 9.0f) << c.level;
        flow.manager->RunPendingRequests();
        EXPECT_FLOAT_EQ(flow.env->damageFactor, c.damageFactor) << c.level;
        EXPECT_EQ(flow.env->level, c.levelAfter) << c.level;
    }
}

TEST(GameManager, RequestsOfOneFrameRunInOrder) {
    Flow flow;
    flow.manager->RequestStage4();
    flow.manager->RequestStage1();
    flow.manager->RunPendingRequests();
    EXPECT_EQ(flow.env->level, 1);
    EXPECT_FLOAT_EQ(flow.env->damageFactor, 1.0f);
    // Both stage starts raised the unlocked level of the difficulty.
    EXPECT_EQ(flow.env->activeStage[flow.env->difficulty - 1], 3);
}

TEST(GameManager, EveryMachineLossUsesAContinueEvenWithoutAPauseScene) {
    Flow flow;
    flow.manager->RequestDeadEnd();
    flow.manager->RequestDeadEnd();
    flow.manager->RunPendingRequests();
    EXPECT_EQ(flow.manager->continuesLeft, 8);
}

TEST(GameManager, HighScoreCheckFindsTheBestBeatenRankAndTiesDoNotBeat) {
    Flow flow;
    Environment2& env = *flow.env;
    env.fighter = 2;
    env.difficulty = 3;
    env.level = 4;
    for (int level = 0; level < GameManager::kLevelSlots; ++level)
        for (int rank = 0; rank < Environment2::kRankCount; ++rank)
            env.rankingScore[2][3][level][rank] = 1500 - 100 * rank;  // 1500 .. 100

    struct Case {
        int level;
        int64_t run;
        int rank;  // -1: nothing beaten
    };
    const Case cases[] = {
        {0, 1400, 2},          // equal to rank 1: takes rank 2
        {1, 1401, 1},
        {2, 100, -1},          // equal to the last entry
        {3, 0, -1},
        {4, 0, 14},            // the current level: 0 + the committed 150
        {5, 5000000000LL, 0},  // beyond 32 bits
        {6, 101, 14},
    };
    for (const Case& c : cases) env.runScore[2][3][c.level] = c.run;
    flow.manager->stageScore = 150;  // committed first, into the current level
    int out[GameManager::kLevelSlots];
    EXPECT_EQ(flow.manager->CheckHighScore(out), 5);
    for (const Case& c : cases) EXPECT_EQ(out[c.level], c.rank) << c.level;
    EXPECT_EQ(env.runScore[2][3][4], 150);
    EXPECT_EQ(flow.manager->stageScore, 0);
}

TEST(GameManager, HighScoreCheckOfAnEmptyRunAgainstAnEmptyRanking) {
    Flow flow;
    int out[GameManager::kLevelSlots];
    EXPECT_EQ(flow.manager->CheckHighScore(out), 0);
    for (int rank : out) EXPECT_EQ(rank, -1);
}

}  // namespace
