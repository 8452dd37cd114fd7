// The pause scene's mode rule and its tile spread, without a device.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "engine/core/Environment.h"
#include "game/play/ScenePause.h"

namespace {

struct EnvironmentScope {
    EnvironmentScope() {
        Quorvex::g_pEnvironment = new Quorvex::Environment();
        Quorvex::g_pEnvironment->AddRef();
    }
    ~EnvironmentScope() {
        Quorvex::g_pEnvironment->Release();
        Quorvex::g_pEnvironment = nullptr;
    }
};

TEST(PauseMode, RaisingIsFreeLoweringNeedsForce) {
    EnvironmentScope environment;
    auto* pause = new ScenePause();
    pause->AddRef();
    struct Step {
        int mode;
        bool forced;
        int expected;
        const char* what;
    };
    const Step steps[] = {
        {1, false, 1, "pause during play"},
        {1, false, 1, "a second pause request"},
        {2, false, 2, "the machine lost while the pause menu is up"},
        {1, false, 2, "pause never replaces the continue menu"},
        {0, false, 2, "0 needs forcing"},
        {0, true, 0, "resume"},
        {2, false, 2, "lost during play"},
        {0, true, 0, "continue"},
    };
    for (const Step& step : steps) {
        pause->SetMode(step.mode, step.forced);
        EXPECT_EQ(pause->GetMode(), step.expected) << step.what;
    }

    // Right after SetMode the timer is 0, so the spread starts over even when
    // the previous menu had finished it.
    pause->SetMode(1, false);
    pause->OnUpdate(0.0f);
    pause->OnUpdate(1.0f);
    pause->OnUpdate(1.0f);
    EXPECT_TRUE(pause->IsTilesDone());
    pause->SetMode(2, false);
    EXPECT_EQ(pause->GetTimer(), 0.0f);
    pause->OnUpdate(0.016f);
    EXPECT_EQ(pause->GetTileCount(), 1);
    EXPECT_FALSE(pause->IsTilesDone());
    pause->Release();
}

TEST(PauseTiles, EveryTileOnceWhateverTheFrameRate) {
    EXPECT_EQ(ScenePause::SpreadCount(0.0f), 1);
    EXPECT_EQ(ScenePause::SpreadCount(0.1f), 19);
    EXPECT_EQ(ScenePause::SpreadCount(1.0f), 46);

    for (float fps : {30.0f, 60.0f, 144.0f, 7.0f}) {
        SCOPED_TRACE(fps);
        std::set<std::pair<int, int>> tiles;
        int added = 0;
        int previous = 0;
        float timer = 0.0f;
        for (int frame = 0; frame < 1000 && previous < ScenePause::kTileColumns; ++frame) {
            const int count = ScenePause::SpreadCount(timer);
            ScenePause::ForEachNewTile(previous, count, [&](int column, int row) {
                ++added;
                EXPECT_GE(row, 0);
                tiles.insert({column, row});
            });
            previous = count;
            timer += 1.0f / fps;
        }
        EXPECT_EQ(added, ScenePause::kTileColumns * ScenePause::kTileRows) << "no tile requested twice";
        EXPECT_EQ(tiles.size(), size_t(ScenePause::kTileColumns * ScenePause::kTileRows))
            << "the wall reaches the right and bottom edges";
    }
}

}  // namespace
