// The generator's timed events.
#include <string>

#include "EnemyTestSupport.h"

namespace enemy_test {
namespace {

using EnemyEvents = EnemyStage;

constexpr float kFrame = 0.125f;  // exact in binary, so due times are exact

// An event that logs its name each frame it runs and ends after `frames`.
boost::function<int(Event_CreateEnemy*)> Logged(std::vector<std::string>* log, const std::string& name,
                                                 int frames) {
    auto left = std::make_shared<int>(frames);
    return [log, name, left](Event_CreateEnemy*) {
        log->push_back(name);
        return --*left <= 0 ? 1 : 0;
    };
}

TEST_F(EnemyEvents, EventsStartAtTheirTimesInOrderAndEndWhenDone) {
    std::vector<std::string> log;
    generator->AddEvent(Event_CreateEnemy(Logged(&log, "a", 1), 0.0f));
    generator->AddEvent(Event_CreateEnemy(Logged(&log, "b", 1), 1.0f));
    generator->AddEvent(Event_CreateEnemy(Logged(&log, "c", 1), 1.0f));
    generator->AddEvent(Event_CreateEnemy(Logged(&log, "d", 3), 0.5f));

    generator->Update(kFrame);
    EXPECT_EQ(log, std::vector<std::string>({"a"})) << "delay 0 runs in the next update";
    for (int i = 0; i < 3; ++i) generator->Update(kFrame);  // 0.5: d starts
    EXPECT_EQ(log.back(), "d");
    log.clear();
    for (int i = 0; i < 4; ++i) generator->Update(kFrame);  // 1.0: b and c start
    EXPECT_EQ(log, std::vector<std::string>({"d", "d", "c", "b"}))
        << "d runs three frames; of two events due together the later-added runs first";
    generator->Update(kFrame);
    EXPECT_EQ(log.size(), 4u);
    EXPECT_TRUE(generator->active.empty());
    EXPECT_TRUE(generator->pending.empty());
}

TEST_F(EnemyEvents, ClearEventsDropsOnlyWhatHasNotStarted) {
    std::vector<std::string> log;
    generator->AddEvent(Event_CreateEnemy(Logged(&log, "wave", 1000), 0.0f));
    generator->AddEvent(Event_CreateEnemy(Logged(&log, "later", 1), 2.0f));
    generator->Update(kFrame);
    generator->ClearEvents();
    for (int i = 0; i < 30; ++i) generator->Update(kFrame);
    EXPECT_EQ(std::count(log.begin(), log.end(), "wave"), 31);
    EXPECT_EQ(std::count(log.begin(), log.end(), "later"), 0);

    // A section added now counts its delays from now.
    generator->AddEvent(Event_CreateEnemy(Logged(&log, "next", 1), 0.5f));
    for (int i = 0; i < 3; ++i) generator->Update(kFrame);
    EXPECT_EQ(std::count(log.begin(), log.end(), "next"), 0);
    generator->Update(kFrame);
    EXPECT_EQ(std::count(log.begin(), log.end(), "next"), 1);
}

TEST_F(EnemyEvents, AnEventKeepsItsStateBlockUntilItEnds) {
    struct Counter : Event_CreateEnemy::State {
        int frames = 0;
    };
    std::vector<int> seen;
    generator->AddEvent(Event_CreateEnemy(
        [&seen](Event_CreateEnemy* event) {
            if (!event->state) event->state = new Counter();
            auto* counter = static_cast<Counter*>(event->state);
            seen.push_back(++counter->frames);
            return counter->frames == 3 ? 1 : 0;
        },
        0.0f));
    for (int i = 0; i < 5; ++i) generator->Update(kFrame);
    EXPECT_EQ(seen, std::vector<int>({1, 2, 3}));
}

TEST_F(EnemyEvents, AMapThatCannotBeLoadedLeavesTheStageWithoutOne) {
    EXPECT_EQ(generator->CreateEnemyScript("./data/map/no_such_map.lua"), nullptr);
    EXPECT_EQ(generator->script, nullptr);
    generator->Update(kFrame);
    generator->ClearEvents();
    EXPECT_EQ(generator->script, nullptr);
}

}  // namespace
}  // namespace enemy_test
