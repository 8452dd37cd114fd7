// Stages 2 to 6 and the extra stage, stepped directly on scenes that were
// never started (no managers: every service call is skipped): their
// timelines, the scene each one asks the game manager for at its end, stage
// 5's film-noise strength and stage 6's glide and limit transition.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/core/SceneBase.h"
#include "game/app/GameManager.h"
#include "game/flow/FlowTestSupport.h"
#include "game/play/GameSceneRegistry.h"
#include "game/play/SceneStage2.h"
#include "game/play/SceneStage3.h"
#include "game/play/SceneStage4.h"
#include "game/play/SceneStage5.h"
#include "game/play/SceneStage6.h"
#include "game/play/SceneStageEx.h"

namespace {

// The bare parent of the scenes the manager would start.
class Container : public Quorvex::SceneBase {
public:
    Container() { m_name = "first"; }
    int OnInitialize(void*) override { return 0; }
    void OnUpdate(float) override {}
    void OnRender() override {}
};

// Records the scenes the manager is asked to make instead of making them.
class RecordingManager : public GameManager {
public:
    using GameManager::GameManager;
    std::vector<std::string> made;

protected:
    Quorvex::SceneBase* CreateStageScene(int stage) override {
        made.push_back("stage " + std::to_string(stage));
        return nullptr;
    }
    Quorvex::SceneBase* CreateEndingScene() override {
        made.push_back("ending");
        return nullptr;
    }
    Quorvex::SceneBase* CreateScoreScene() override {
        made.push_back("ranking");
        return nullptr;
    }
};

// A fresh game state with a recording manager in the scene registry.
struct Flow {
    flow_test::FreshEnvironment env;
    Container* container = new Container();
    RecordingManager* manager = nullptr;

    Flow() {
        container->AddRef();
        manager = new RecordingManager(nullptr, container);
        manager->AddRef();
        manager->Initialize(0);
        GetGameSceneRegistry().gameManager.Set(manager);
    }
    ~Flow() {
        GetGameSceneRegistry().gameManager.Clear();
        manager->Release();
        container->Release();
    }
};

// A stage with its single-stage flag set from outside, list rebuilt.
template <class Stage>
class Probe : public Stage {
public:
    explicit Probe(bool single) {
        this->m_singleStage = single ? 1 : 0;
        this->BuildEventList();
    }
};

struct Entry {
    float start;
    float duration;
    bool timed;
};

void ExpectTimeline(const SceneStage& stage, const std::vector<Entry>& expected) {
    const auto& list = stage.GetEventList();
    ASSERT_EQ(list.size(), expected.size());
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_FLOAT_EQ(list[i].start, expected[i].start) << "entry " << i;
        EXPECT_FLOAT_EQ(list[i].duration, expected[i].duration) << "entry " << i;
        EXPECT_EQ(list[i].timed != 0.0f, expected[i].timed) << "entry " << i;
        if (i > 0) {
            EXPECT_FLOAT_EQ(list[i].start, list[i - 1].start + list[i - 1].duration) << "entry " << i;
        }
    }
}

// Runs the timeline until the stage asks the manager for a scene; a held
// entry that nobody ends (no boss, no terrain in these tests) is skipped
// after a while, long enough for every dialogue to end by itself.
std::vector<std::string> RunToRequest(SceneStage& stage, Flow& flow) {
    uint32_t index = stage.GetEventIndex();
    int steps = 0;
    for (int frame = 0; frame < 200000 && flow.manager->made.empty(); ++frame) {
        stage.StepEventTimeline(0.5f);
        flow.manager->RunPendingRequests();
        if (stage.GetEventIndex() != index) {
            index = stage.GetEventIndex();
            steps = 0;
        } else if (++steps == 5000) {
            stage.SetSkip();
        }
    }
    return flow.manager->made;
}

using Made = std::vector<std::string>;

TEST(Stages, TimelinesStartEachEntryWhereThePreviousEnds) {
    Flow flow;
    const float H = 100.0f;
    ExpectTimeline(Probe<SceneStage2>(false),
                   {{0, 5, true}, {5, 25, true}, {30, 10, true}, {40, 5, true}, {45, 10, true}, {55, 15, true},
                    {70, H, false}, {170, H, false}, {270, 1, true}, {271, H, false}, {371, H, false},
                    {471, 55, true}, {526, H, false}, {626, 5, true}, {631, 5, true}});
    // Stage 3 lets every entry run on the clock.
    ExpectTimeline(Probe<SceneStage3>(false), {{0, 0, true}, {0, H, true}, {100, H, true}, {200, H, true},
                                               {300, H, true}, {400, 5, true}, {405, 5, true}});
    ExpectTimeline(Probe<SceneStage4>(false),
                   {{0, 1, true}, {1, H, false}, {101, H, false}, {201, 2.5f, true}, {203.5f, 10, true},
                    {213.5f, 70, true}, {283.5f, H, false}, {383.5f, H, false}, {483.5f, H, false},
                    {583.5f, H, false}, {683.5f, 60, true}, {743.5f, H, false}, {843.5f, H, false},
                    {943.5f, H, false}, {1043.5f, 5, true}, {1048.5f, H, false}, {1148.5f, 5, true},
                    {1153.5f, H, false}});
    const std::vector<Entry> stage5 = {{0, 1, true},      {1, H, false},    {101, H, false},  {201, 55, true},
                                       {256, 15, true},   {271, H, false},  {371, H, false},  {471, H, false},
                                       {571, H, false},   {671, H, false},  {771, H, false}};
    std::vector<Entry> full5 = stage5, single5 = stage5;
    full5.push_back({871, H, false});
    single5.insert(single5.end(), {{871, 5, true}, {876, 5, true}});
    ExpectTimeline(Probe<SceneStage5>(false), full5);
    ExpectTimeline(Probe<SceneStage5>(true), single5);
    const std::vector<Entry> stage6 = {{0, 1, true},    {1, H, false},   {101, 50, true},  {151, H, false},
                                       {251, H, false}, {351, H, false}, {451, H, false},  {551, H, false},
                                       {651, H, false}, {751, H, false}, {851, H, false},  {951, 5, true},
                                       {956, 5, true}};
    std::vector<Entry> full6 = stage6;
    full6.push_back({961, H, false});
    ExpectTimeline(Probe<SceneStage6>(false), full6);
    ExpectTimeline(Probe<SceneStage6>(true), stage6);
    // The extra stage's map entry is ten seconds shorter.
    std::vector<Entry> fullEx = full6;
    fullEx[2].duration = 40;
    for (size_t i = 3; i < fullEx.size(); ++i) fullEx[i].start -= 10;
    ExpectTimeline(Probe<SceneStageEx>(false), fullEx);
}

TEST(Stages, EachStageAsksForTheNextSceneInFullAndSingleStageRuns) {
    struct Case {
        const char* name;
        std::unique_ptr<SceneStage> (*make)(bool single);
        Made full;
        Made single;
    };
    auto two = [](bool s) -> std::unique_ptr<SceneStage> { return std::make_unique<Probe<SceneStage2>>(s); };
    auto three = [](bool s) -> std::unique_ptr<SceneStage> { return std::make_unique<Probe<SceneStage3>>(s); };
    auto four = [](bool s) -> std::unique_ptr<SceneStage> { return std::make_unique<Probe<SceneStage4>>(s); };
    auto five = [](bool s) -> std::unique_ptr<SceneStage> { return std::make_unique<Probe<SceneStage5>>(s); };
    auto six = [](bool s) -> std::unique_ptr<SceneStage> { return std::make_unique<Probe<SceneStage6>>(s); };
    auto ex = [](bool s) -> std::unique_ptr<SceneStage> { return std::make_unique<Probe<SceneStageEx>>(s); };
    const Case cases[] = {
        // Stage 2's closing dialogue asks for stage 3 whatever the run.
        {"stage 2", two, {"stage 3"}, {"stage 3"}},
        {"stage 3", three, {"stage 4"}, {"ranking"}},
        // Stage 4 hands over to stage 5 whatever the run.
        {"stage 4", four, {"stage 5"}, {"stage 5"}},
        {"stage 5", five, {"stage 6"}, {"ranking"}},
        {"stage 6", six, {"ending"}, {"ranking"}},
        {"extra stage", ex, {"ending"}, {"ranking"}},
    };
    for (const Case& c : cases) {
        for (bool single : {false, true}) {
            Flow flow;
            flow.env->singleStage = single ? 1 : 0;
            std::unique_ptr<SceneStage> stage = c.make(single);
            EXPECT_EQ(RunToRequest(*stage, flow), single ? c.single : c.full)
                << c.name << (single ? " single-stage" : " full run");
        }
    }
}

TEST(Stages, StageTwoHoldsItsFightButStageThreeEndsHeldEntriesByTime) {
    Flow flow;
    Probe<SceneStage2> two(false);
    Probe<SceneStage3> three(false);
    // Stage 2's entry 7 (the fight) and stage 3's entry 3 (the fight).
    while (two.GetEventIndex() < 7) {
        if (!two.GetEventList()[two.GetEventIndex()].timed) two.SetSkip();
        two.StepEventTimeline(0.5f);
    }
    while (three.GetEventIndex() < 3) {
        if (three.GetEventIndex() == 1) three.SetSkip();
        three.StepEventTimeline(0.5f);
    }
    for (int i = 0; i < 1000; ++i) {
        two.StepEventTimeline(0.5f);
        three.StepEventTimeline(0.5f);
    }
    EXPECT_EQ(two.GetEventIndex(), 7u) << "only the boss's skip ends stage 2's fight";
    EXPECT_FLOAT_EQ(two.GetEventClock(), 170.0f);
    EXPECT_GE(three.GetEventIndex(), 4u) << "stage 3's fight ends after its 100 s";
}

TEST(Stages, ArenaReferenceMakesTheZCellEvenTowardZero) {
    const int cells[][2] = {{-3, -2}, {3, 2}, {4, 4}, {-4, -4}, {0, 0}, {1, 0}, {-1, 0}};
    for (const auto& c : cells)
        EXPECT_EQ(SceneStage3::MakeArenaReference(Quorvex::Int3{5, 0, c[0]}).z.cell, c[1]) << c[0];
}

TEST(Stages, NoiseOnlyRisesTowardItsTargetAndNeverAboveOne) {
    struct Case {
        float strength, target, rate, dt, expected;
    };
    const Case cases[] = {
        {0.0f, 0.05f, 0.1f, 0.1f, 0.01f},   // limited by the rate
        {0.0f, 0.05f, 1000.0f, 0.1f, 0.05f},  // limited by the target
        {0.3f, 0.15f, 0.1f, 0.1f, 0.3f},    // above the target: stays
        {0.99f, 5.0f, 1.0f, 1.0f, 1.0f},    // never above 1
        {0.2f, 0.2f, 0.1f, 0.1f, 0.2f},
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(SceneStage5::StepNoise(c.strength, c.target, c.rate, c.dt), c.expected)
            << c.strength << " -> " << c.target;
}

TEST(Stages, StageFiveNoiseGrowsWithTheFight) {
    Flow flow;
    Probe<SceneStage5> stage(false);
    // The strength the "Noise" shader would hold, stepped as the stage does.
    float strength = 0.0f;
    auto run = [&](int frames, float dt) {
        for (int i = 0; i < frames; ++i) {
            const SceneStage::EventSet& entry = stage.GetEventList()[stage.GetEventIndex()];
            if (!entry.timed && stage.GetEventIndex() < 5) stage.SetSkip();
            stage.StepEventTimeline(dt);
            strength = SceneStage5::StepNoise(strength, stage.GetNoiseTarget(), stage.GetNoiseRate(), dt);
        }
    };
    while (stage.GetEventIndex() < 4) run(1, 0.5f);
    EXPECT_FLOAT_EQ(strength, 0.0f) << "no noise before the flower field's end";
    run(15, 0.5f);  // half of the 15 s ramp
    EXPECT_NEAR(strength, 0.05f * 7.0f / 15.0f, 0.002f);
    while (stage.GetEventIndex() < 5) run(1, 0.5f);
    run(2, 0.5f);
    EXPECT_NEAR(strength, 0.05f, 1e-5f) << "the ramp reached 0.05 at the dialogue";
    // The fight: 0.15 at 0.1 per second.
    while (stage.GetEventIndex() < 6) {
        stage.SetSkip();
        run(1, 0.5f);
    }
    run(1, 0.5f);
    EXPECT_FLOAT_EQ(strength, 0.1f);
    run(100, 0.5f);
    EXPECT_FLOAT_EQ(strength, 0.15f) << "the boss's phase never passed 4: the target stays";
}

TEST(Stages, StageSixGlidesTheWorldAndNarrowsTheLimitOnce) {
    Flow flow;
    SceneStage6 stage;
    stage.StartWorldGlide(-500.0f);
    stage.GlideStep(2.0f);  // half of the four seconds
    EXPECT_FLOAT_EQ(flow.env->worldOffset.y, -250.0f);
    stage.GlideStep(2.0f);
    EXPECT_FLOAT_EQ(flow.env->worldOffset.y, -500.0f);
    EXPECT_LT(stage.GetGlideClock(), 0.0f) << "the glide is over";
    stage.StartWorldGlide(-1000.0f);
    stage.GlideStep(1000.0f);
    EXPECT_FLOAT_EQ(flow.env->worldOffset.y, -1000.0f) << "a huge step jumps to the target";

    stage.StartLimitTransition(300.0f, 200.0f);
    stage.LimitStep(2.5f);
    EXPECT_FLOAT_EQ(stage.GetLimitClock(), 0.5f);
    EXPECT_FLOAT_EQ(stage.GetLimitWidth(stage.GetLimitClock()), 400.0f);
    stage.StartLimitTransition(10.0f, 10.0f);  // ignored while one runs
    EXPECT_FLOAT_EQ(stage.GetLimitWidth(1.0f), 300.0f);
    stage.LimitStep(2.5f);
    EXPECT_LT(stage.GetLimitClock(), 0.0f);
}

}  // namespace
