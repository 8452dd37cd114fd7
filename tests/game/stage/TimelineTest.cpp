// The stage event timeline and stage 1's time script, stepped directly on
// scenes that were never started (no managers: every service call is skipped).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "game/flow/FlowTestSupport.h"
#include "game/play/SceneStage.h"
#include "game/play/SceneStage1.h"

namespace {

// A stage whose entries log each callback run as "<entry>@<clock>".
class LoggingStage : public SceneStage {
public:
    struct Entry {
        float start, duration;
        bool timed;
    };
    explicit LoggingStage(std::vector<Entry> entries) : m_entries(std::move(entries)) { BuildEventList(); }

    void BuildEventList() override {
        SceneStage::BuildEventList();
        m_events.clear();
        for (size_t i = 0; i < m_entries.size(); ++i) {
            const Entry& e = m_entries[i];
            AddEvent(e.start, e.duration, e.timed, [this, i](EventSet*) {
                log.push_back(std::to_string(i) + (m_eventEntered ? "" : "+") + "@" + Clock());
            });
        }
    }
    std::string Clock() const {
        char text[32];
        std::snprintf(text, sizeof text, "%g", GetEventClock());
        return text;
    }

    std::vector<std::string> log;

private:
    std::vector<Entry> m_entries;
};

std::vector<std::string> Steps(LoggingStage& stage, int frames, float dt) {
    for (int i = 0; i < frames; ++i) stage.StepEventTimeline(dt);
    return stage.log;
}

using Log = std::vector<std::string>;

TEST(StageTimeline, TimedEntriesRunInOrderWithAGapFrameAndDropTheOverrun) {
    flow_test::FreshEnvironment env;
    // Entry 0 ends exactly after two frames; entry 1 starts later than the
    // clock (which jumps to 5) and overruns its end; entry 2 starts earlier
    // than the clock, which stays where it is.
    LoggingStage stage({{0, 1, true}, {5, 0.75f, true}, {5.5f, 1, true}});
    // "+" marks the entry's first call (entered flag still clear).
    EXPECT_EQ(Steps(stage, 8, 0.5f), (Log{"0+@0", "0@0.5", "1+@5", "1@5.5", "2+@5.75", "2@6.25"}));
    // Entry 1 overran to 6; its end set the clock back to 5.75.
    Steps(stage, 2, 0.5f);
    EXPECT_FLOAT_EQ(stage.GetEventClock(), 6.5f) << "the finished entry's end";
    EXPECT_EQ(stage.GetEventIndex(), 3u);
    EXPECT_EQ(stage.log.size(), 6u) << "past the last entry the timeline rests";
}

TEST(StageTimeline, UntimedEntriesHoldUntilSkipAndSkipEndsWithoutAnotherCall) {
    flow_test::FreshEnvironment env;
    // Entry 0: untimed with an end ahead of the clock; entry 1: untimed with
    // duration 0 (ends after one call); entry 2: timed.
    LoggingStage stage({{0, 10, false}, {10, 0, false}, {10, 4, true}});
    Steps(stage, 5, 1.0f);
    EXPECT_EQ(stage.log, (Log{"0+@0", "0@0", "0@0", "0@0", "0@0"})) << "the clock stands, the entry holds";
    stage.SetSkip();
    Steps(stage, 1, 1.0f);
    EXPECT_EQ(stage.log.size(), 5u) << "the skip step runs no callback";
    EXPECT_FLOAT_EQ(stage.GetEventClock(), 10.0f) << "the clock goes to the entry's end";
    Steps(stage, 4, 1.0f);
    EXPECT_EQ(stage.log, (Log{"0+@0", "0@0", "0@0", "0@0", "0@0", "1+@10", "2+@10", "2@11"}));
    // A skip in a timed entry also ends it at the next step.
    stage.SetSkip();
    Steps(stage, 1, 1.0f);
    EXPECT_EQ(stage.GetEventIndex(), 3u);
    EXPECT_FLOAT_EQ(stage.GetEventClock(), 14.0f);
}

TEST(StageTimeline, ProgressAndSpeakStateResetAtEachEntry) {
    flow_test::FreshEnvironment env;
    LoggingStage stage({{0, 2, true}, {2, 2, true}});
    stage.StepEventTimeline(0.5f);
    EXPECT_FLOAT_EQ(stage.GetEventProgress(), 0.25f);
    stage.GetSpeakParam().lineIndex = 3;
    stage.GetSpeakParam().minShowTime = 0.25f;
    Steps(stage, 4, 0.5f);  // ends entry 0, one gap frame
    EXPECT_EQ(stage.GetEventIndex(), 1u);
    EXPECT_EQ(stage.GetSpeakParam().lineIndex, 0);
    EXPECT_FLOAT_EQ(stage.GetSpeakParam().minShowTime, 0.5f);
    EXPECT_FLOAT_EQ(stage.GetSpeakParam().autoTime, 2.5f);
    EXPECT_FLOAT_EQ(stage.GetEventProgress(), 0.0f);
}

TEST(StageTimeline, DialogueShowsItsLinesInOrderAndEndsTheEntryAfterTheLast) {
    flow_test::FreshEnvironment env;
    LoggingStage stage({{0, 100, false}, {100, 1, true}});
    std::vector<int> shown;
    const SceneStage::SpeakCallback lines = [&](SceneStage::SpeakParam& speak) -> GraphicManager::SpeakSet* {
        if (speak.lineIndex >= 2) return nullptr;
        if (shown.empty() || shown.back() != speak.lineIndex) shown.push_back(speak.lineIndex);
        return new GraphicManager::SpeakSet();
    };
    // Without input each line advances by itself.
    int calls = 0;
    while (stage.GetEventIndex() == 0 && calls < 100000) {
        stage.AdvanceSpeak(lines);
        stage.StepEventTimeline(0.0f);
        ++calls;
    }
    EXPECT_EQ(shown, (std::vector<int>{0, 1}));
    EXPECT_EQ(stage.GetEventIndex(), 1u) << "the end of the conversation skipped the entry";
}

// ---------------------------------------------------------------------------
// Stage 1

TEST(Stage1Script, WindowBoundariesBelongToTheEarlierWindow) {
    struct Case {
        float clock;
        int window;
    };
    const Case cases[] = {
        {0.0f, 0},    {1.99f, 0},  {2.0f, 1},    {17.0f, 1},   {17.01f, 2}, {20.0f, 2},   {30.0f, 3},
        {45.0f, 4},   {45.5f, 5},  {145.0f, 5},  {245.0f, 6},  {390.0f, 8}, {490.0f, 9},  {491.0f, 10},
        {592.0f, 11}, {594.0f, 12}, {700.0f, 14}, {800.0f, 15}, {804.99f, 16}, {805.0f, 17}, {900.0f, 17},
    };
    for (const Case& c : cases) EXPECT_EQ(SceneStage1::FindWindow(c.clock), c.window) << "clock " << c.clock;
}

TEST(Stage1Script, RunsEveryWindowInOrderAndHoldsUntilSkipped) {
    flow_test::FreshEnvironment env;
    SceneStage1 stage;
    std::vector<int> order;
    const float dt = 0.25f;
    int held = 0;
    for (int frame = 0; frame < 20000 && order.size() < 40; ++frame) {
        stage.RunScript(dt);
        const int w = stage.GetWindowIndex();
        if (order.empty() || order.back() != w) {
            order.push_back(w);
            held = 0;
        }
        // The fight windows wait for the boss; stand in for it after a while.
        if (SceneStage1::kWindows[w].run == SceneStage1::Held && ++held == 400) stage.SetSkip();
        if (w == SceneStage1::kWindowCount - 1 && held++ > 10) break;
    }
    std::vector<int> expected;
    for (int i = 0; i < SceneStage1::kWindowCount; ++i) expected.push_back(i);
    EXPECT_EQ(order, expected);
    EXPECT_FLOAT_EQ(stage.windowEnd, SceneStage1::kFinalEnd);
    const float finalClock = stage.scriptClock;
    stage.RunScript(dt);
    EXPECT_FLOAT_EQ(stage.scriptClock, finalClock) << "the final window's clock stands";
}

TEST(Stage1Script, AHeldWindowNeverEndsWithoutSkip) {
    flow_test::FreshEnvironment env;
    SceneStage1 stage;
    stage.scriptClock = 145.5f;  // inside the first fight
    stage.windowEnd = 145.5f;
    for (int i = 0; i < 5000; ++i) stage.RunScript(0.1f);
    EXPECT_EQ(stage.GetWindowIndex(), 6);
    EXPECT_FLOAT_EQ(stage.scriptClock, 145.5f);
    stage.SetSkip();
    stage.RunScript(0.1f);
    stage.RunScript(0.1f);
    EXPECT_EQ(stage.GetWindowIndex(), 7) << "the skip goes on to the next window, not the same one again";
}

TEST(Stage1Script, TheLastFightEndsWhenItsSkipCameEarlyAndTheBossIsGone) {
    flow_test::FreshEnvironment env;
    SceneStage1 stage;
    stage.scriptClock = 592.5f;  // the 2 s before the last fight
    stage.windowEnd = 592.5f;
    stage.RunScript(0.1f);
    ASSERT_EQ(stage.GetWindowIndex(), 12);
    stage.SetSkip();  // the boss beaten here
    for (int i = 0; i < 10; ++i) stage.RunScript(0.1f);
    EXPECT_GT(stage.GetWindowIndex(), 13) << "no boss is left to end the fight";
}

TEST(Stage1Script, DialogueOneSkipsTheBossCallLineAndAdvancesAfterTwoAndAHalfSeconds) {
    flow_test::FreshEnvironment env;
    SceneStage1 stage;
    stage.scriptClock = 45.5f;
    stage.windowEnd = 45.5f;
    std::vector<int> indices;
    for (int i = 0; i < 2000 && stage.GetWindowIndex() != 6; ++i) {
        stage.RunScript(0.1f);
        if (stage.GetWindowIndex() == 5 && (indices.empty() || indices.back() != stage.speakIndex))
            indices.push_back(stage.speakIndex);
    }
    EXPECT_EQ(indices, (std::vector<int>{0, 1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 0}));
    EXPECT_EQ(stage.GetWindowIndex(), 6);
}

}  // namespace
