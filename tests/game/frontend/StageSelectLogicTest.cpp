// The stage select's choices and the run it starts.
#include <gtest/gtest.h>

#include "FrontendTestSupport.h"
#include "game/frontend/SceneStageSelect.h"
#include "game/state/Environment2.h"


TEST(StageSelectFighters, StepOverLockedOnesAndEndWithoutAny) {
    flow_test::FreshEnvironment state;
    Environment2& g = *g_pEnvironment2;
    g.active_velrin_a = 1, g.active_velrin_b = 0, g.active_toska = 0, g.active_bramel = 0;
    EXPECT_EQ(SceneStageSelect::StepFighter(1, 1), 1);
    EXPECT_EQ(SceneStageSelect::StepFighter(1, -1), 1);

    g.active_toska = 1;
    EXPECT_EQ(SceneStageSelect::StepFighter(1, 1), 3);
    EXPECT_EQ(SceneStageSelect::StepFighter(1, -1), 3);
    EXPECT_EQ(SceneStageSelect::StepFighter(3, 1), 1);

    // Settings with every fighter locked must not hang the cursor.
    g.active_velrin_a = 0, g.active_toska = 0;
    EXPECT_EQ(SceneStageSelect::StepFighter(2, 1), 1);
}

TEST(StageSelectLevels, OfferOnlyLevelsWithAStage) {
    flow_test::FreshEnvironment state;
    Environment2& g = *g_pEnvironment2;
    g.activeStage[0] = 3, g.activeStage[1] = 6, g.activeStage[2] = 0, g.activeStage[3] = 99;
    EXPECT_EQ(SceneStageSelect::MaxLevelOf(1), 3);
    EXPECT_EQ(SceneStageSelect::MaxLevelOf(2), 5) << "the extra level has no stage here";
    EXPECT_EQ(SceneStageSelect::MaxLevelOf(3), 1);
    EXPECT_EQ(SceneStageSelect::MaxLevelOf(4), 5);
}

TEST(StageSelectStart, WritesTheRunIntoTheGameState) {
    flow_test::FreshEnvironment state;
    Environment2& g = *g_pEnvironment2;
    g.damageFactor = 3.0f, g.bossTimeLimit = 50.0f, g.singleStage = 0, g.attackLevel = 0.45f;
    EXPECT_TRUE(SceneStageSelect::StartRun(nullptr, 4, 3, 2));
    EXPECT_EQ(g.damageFactor, 1.0f);
    EXPECT_EQ(g.bossTimeLimit, -1.0f);
    EXPECT_EQ(g.singleStage, 1);
    EXPECT_EQ(g.difficulty, 4);
    EXPECT_EQ(g.level, 3);
    EXPECT_EQ(g.fighter, 2);
    EXPECT_EQ(g.attackLevel, 0.45f) << "the attack level stays as the character select left it";

    g.level = 2;
    EXPECT_FALSE(SceneStageSelect::StartRun(nullptr, 1, 6, 1));
    EXPECT_EQ(g.level, 2);
}
