// The stage timetables: which events each entry point adds and when, the
// stepping rules of the wave tables and streams, and the boss events.
#include <algorithm>

#include "LuaTestSupport.h"
#include "game/enemy/StageTimetables.h"
#include "game/enemy/types/Enemy_Dweli.h"
#include "game/enemy/types/Enemy_Fighter2.h"
#include "game/enemy/types/Enemy_Pentra.h"
#include "game/play/SceneStage.h"

namespace lua_test {
namespace {

using Timetables = LuaStage;

TEST_F(Timetables, EachEntryPointAddsItsEventsAtTheStatedDelays) {
    struct Case {
        const char* name;
        void (*adder)(EnemyGenerator_Derive*);
        std::vector<float> delays;
    };
    const Case cases[] = {
        {"Stage1Waves1", AddEvent_Stage1Waves1, {0.0f, 70.0f}},
        {"Stage1Boss", AddEvent_Stage1Boss, {0.0f}},
        {"Stage1Waves2", AddEvent_Stage1Waves2, {2.0f}},
        {"Stage1BossLate", AddEvent_Stage1BossLate, {2.0f}},
        {"Stage2Waves1", AddEvent_Stage2Waves1, {0.0f}},
        {"Stage2Waves2", AddEvent_Stage2Waves2, {0.0f, 17.0f}},
        {"Stage2Boss", AddEvent_Stage2Boss, {0.0f}},
        {"Stage2Waves3", AddEvent_Stage2Waves3, {2.0f, 5.0f, 34.0f}},
        {"Stage3Boss", AddEvent_Stage3Boss, {0.0f}},
        {"Stage4Boss", AddEvent_Stage4Boss, {0.0f}},
        {"Stage5Boss", AddEvent_Stage5Boss, {0.0f}},
        {"Stage6Boss", AddEvent_Stage6Boss, {0.0f}},
        {"StageExBoss", AddEvent_StageExBoss, {0.0f}},
    };
    // Delays count from the generator's clock at the call.
    Run(1.5f, 0.5f);
    for (const Case& c : cases) {
        generator->ClearEvents();
        c.adder(generator);
        std::vector<float> delays;
        for (const Event_CreateEnemy& e : generator->pending) delays.push_back(e.time - generator->clock);
        std::sort(delays.begin(), delays.end());
        EXPECT_EQ(delays, c.delays) << c.name;
    }
    generator->ClearEvents();
    AddEvent_Stage1Waves1(nullptr);  // no generator: nothing, no crash
}

TEST_F(Timetables, AWaveTableRunsOneStepEvery1point2SecondsAndNeverTwoInOneFrame) {
    AddEvent_Stage1Waves1(generator);
    Run(1.3f, 0.1f);
    ASSERT_EQ(Appeared(), 1) << "step 0 after 1.2 s";
    ASSERT_EQ(FairiesInPlay().size(), 1u);
    auto* fairy = static_cast<Enemy_Fighter2*>(*FairiesInPlay().begin());
    EXPECT_EQ(fairy->attackType, 2);
    EXPECT_EQ(fairy->GetMoveParam()->waypoints.size(), 4u);

    Step(5.0f);
    Step(0.1f);
    EXPECT_EQ(Appeared(), 2) << "a 5 s frame still runs a single step (step 1: one fairy)";

    // 30 steps; the event ends after the last one, the 70 s cue stays pending.
    Run(25.0f, 0.1f);
    EXPECT_EQ(generator->active.size(), 1u);
    Run(15.0f, 0.1f);
    EXPECT_TRUE(generator->active.empty());
    EXPECT_EQ(generator->pending.size(), 1u);
}

TEST_F(Timetables, ATableStepWithoutFairiesLeftStillCounts) {
    EnemyListSet* stock = generator->GetListSet(EnemyGenerator_Derive::FairyListSet);
    // Empty the stock: every launch of a step is skipped.
    std::vector<Enemy*> taken;
    while (Enemy* e = stock->Acquire()) taken.push_back(e);
    AddEvent_Stage1Waves2(generator);
    Run(50.0f, 0.1f);
    EXPECT_EQ(Appeared(), 0);
    EXPECT_TRUE(generator->active.empty()) << "the steps went on and the table ended";
    for (Enemy* e : taken) stock->Return(e);
}

TEST_F(Timetables, StreamsCatchUpInALongFrameAndStopAtTheirCount) {
    AddEvent_Stage2Waves2(generator);
    Step(0.6f);  // starts the stream; its timer now holds 0.6 s
    EXPECT_EQ(Appeared(), 0);
    Step(0.6f);
    EXPECT_EQ(Appeared(), 4) << "0.6 s at 0.15 s: four fighters in one call";
    // Stream 1 ends at 100 fighters; the burst at 17 s adds 18 fairies.
    Run(40.0f, 0.5f);
    EXPECT_EQ(InUse(EnemyGenerator_Derive::PoolFighter4), 100u);
    EXPECT_EQ(FairiesInPlay().size(), 18u);
    EXPECT_EQ(Appeared(), 118);
    EXPECT_TRUE(generator->active.empty());
}

// 19 ticks each bring a small group of two to four fairies, two more ticks
// a fighter each; at tick 290 the table ends.
TEST_F(Timetables, TheTickTableSpawnsSmallFairyGroupsAndTwoFightersAndEndsAtTick290) {
    AddEvent_Stage2Waves1(generator);
    std::vector<int> groups;
    for (int frame = 0; frame < 600; ++frame) {
        if (frame == 560) {
            EXPECT_EQ(generator->active.size(), 1u) << "still running at 28 s";
        }
        const int appeared = Appeared();
        const size_t fighters = InUse(EnemyGenerator_Derive::PoolFighter3);
        Step(0.05f);
        const int fairies = Appeared() - appeared - static_cast<int>(InUse(EnemyGenerator_Derive::PoolFighter3) - fighters);
        if (fairies != 0) groups.push_back(fairies);
    }
    EXPECT_TRUE(generator->active.empty());
    EXPECT_EQ(InUse(EnemyGenerator_Derive::PoolFighter3), 2u);
    EXPECT_EQ(groups.size(), 19u) << ::testing::PrintToString(groups);
    for (size_t i = 0; i < groups.size(); ++i) {
        EXPECT_GE(groups[i], 2) << "group " << i;
        EXPECT_LE(groups[i], 4) << "group " << i;
    }
}

TEST_F(Timetables, BossEventsLaunchOnceOrEndOnAMissingBoss) {
    AddEvent_Stage3Boss(generator);
    Step(0.1f);
    EXPECT_EQ(InUse(EnemyGenerator_Derive::PoolPentra), 1u);
    EXPECT_NE(dynamic_cast<Enemy_Pentra*>(g_pEnvironment2->currentBoss), nullptr);
    EXPECT_EQ(Appeared(), 1);
    EXPECT_TRUE(generator->active.empty());

    // No boss to launch (pool gone): the event ends without counting.
    generator->SetPool(EnemyGenerator_Derive::PoolGralle, nullptr);
    AddEvent_Stage4Boss(generator);
    Step(0.1f);
    EXPECT_TRUE(generator->active.empty());
    EXPECT_EQ(Appeared(), 1);

    // The stage-1 boss is a new object each time it is added.
    AddEvent_Stage1Boss(generator);
    Step(0.1f);
    auto* first = dynamic_cast<Enemy_Dweli*>(g_pEnvironment2->currentBoss);
    ASSERT_NE(first, nullptr);
    first->AddRef();
    AddEvent_Stage1BossLate(generator);
    Step(1.0f);
    EXPECT_EQ(g_pEnvironment2->currentBoss, first) << "the late boss waits 2 s";
    Step(1.0f);
    Step(0.1f);
    EXPECT_NE(g_pEnvironment2->currentBoss, first);
    EXPECT_NE(dynamic_cast<Enemy_Dweli*>(g_pEnvironment2->currentBoss), nullptr);
    EXPECT_EQ(Appeared(), 3);
    first->Release();
}

class CueStage : public SceneStage {
public:
    void OnStageCue() override { ++cues; }
    int cues = 0;
};

TEST_F(Timetables, TheStageCueCallsTheOwnerSceneOnceAt70Seconds) {
    auto* scene = new CueStage();
    scene->AddRef();
    AddEvent_Stage1Waves1(generator);
    generator->stageScene = scene;
    Run(69.5f, 0.5f);
    EXPECT_EQ(scene->cues, 0);
    Run(2.0f, 0.5f);
    EXPECT_EQ(scene->cues, 1);
    generator->stageScene = nullptr;
    scene->Release();
}

}  // namespace
}  // namespace lua_test
