// What a run unlocks by reaching the ending: through the game manager's
// ending request, kept in the settings file, and offered by the title menu
// that a later start builds from that file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "game/app/GameManager.h"
#include "game/frontend/FrontendTestSupport.h"
#include "game/frontend/Pause_SelectListTitle.h"
#include "game/frontend/SceneEnding.h"
#include "game/state/Environment2.h"
#include "game/state/ParamManager2.h"

namespace {

// Scenes are noted, not made: the flow's bookkeeping runs before them.
class EndingManager : public GameManager {
public:
    using GameManager::GameManager;
    int endings = 0;

protected:
    Quorvex::SceneBase* CreateEndingScene() override {
        ++endings;
        return nullptr;
    }
    Quorvex::SceneBase* CreateStageScene(int) override { return nullptr; }
    Quorvex::SceneBase* CreateScoreScene() override { return nullptr; }
};

// The test runs in a scratch folder: the game saves "settings" where it runs.
class InScratchFolder {
public:
    InScratchFolder() : saved_(std::filesystem::current_path()) { std::filesystem::current_path(dir_.path()); }
    ~InScratchFolder() { std::filesystem::current_path(saved_); }

private:
    flow_test::TempDir dir_;
    std::filesystem::path saved_;
};

// The unlock lines of the saved file, as stored.
struct StoredUnlocks {
    std::vector<int> activeStage;  // easy, normal, hard, very hard
    int toska = 0;
    int bramel = 0;
};

StoredUnlocks ReadStoredUnlocks() {
    std::vector<std::string> lines;
    ParamManager2::ReadLines(lines, "settings", ParamManager2::kScrambleKey);
    StoredUnlocks stored;
    EXPECT_EQ(lines.size(), 23649u);
    if (lines.size() < 14) return stored;
    auto value = [&](int line) { return std::stoi(ParamManager2::GetValue(lines[line])); };
    for (int line = 6; line <= 9; ++line) stored.activeStage.push_back(value(line));
    EXPECT_EQ(lines[12].rfind("active_toska:", 0), 0u);
    stored.toska = value(12);
    stored.bramel = value(13);
    return stored;
}

// The items of a title menu built from the game state.
int TitleMenuItems() {
    frontend_test::Held<Quorvex::ObjectManager> objects(frontend_test::NewObjectManager());
    frontend_test::Held<Quorvex::InputManager> input(new Quorvex::InputManager());
    frontend_test::Held<Pause_SelectListTitle> menu(new Pause_SelectListTitle(input.get(), objects.get(), nullptr));
    EXPECT_EQ(menu->Initialize(0), 0);
    const int count = menu->GetCount();
    menu->Finalize();
    return count;
}

struct EndingCase {
    const char* name;
    // The run and what it had unlocked before.
    int difficulty, level, fighter;
    int activeStage[4];
    int toska;
    // Expected in the file and the notices.
    int storedStage[4];
    int storedToska, storedBramel;
    bool extraNotice, toskaNotice;
};

const EndingCase kEndings[] = {
    {"FirstEndingOpensTheExtraStage", 3, 5, 1, {1, 2, 5, 1}, 0, {1, 2, 6, 1}, 0, 0, true, false},
    {"EndingOnASecondDifficultyRaisesItWithoutANotice", 1, 5, 2, {3, 1, 6, 1}, 0, {6, 1, 6, 1}, 0, 0, false, false},
    {"FirstExtraStageClearUnlocksToska", 2, 6, 1, {1, 6, 1, 1}, 0, {1, 6, 1, 1}, 1, 0, false, true},
    {"ExtraStageClearedWithToskaUnlocksBramel", 4, 6, 3, {1, 6, 1, 6}, 1, {1, 6, 1, 6}, 1, 1, false, false},
    {"ExtraStageClearedAgainWithoutToskaGivesNothingNew", 2, 6, 2, {1, 6, 1, 1}, 1, {1, 6, 1, 1}, 1, 0, false, false},
};

}  // namespace

TEST(EndingUnlocks, ReachTheSettingsFileAndTheNextTitleMenu) {
    for (const EndingCase& c : kEndings) {
        SCOPED_TRACE(c.name);
        InScratchFolder folder;
        {
            flow_test::FreshEnvironment state;
            frontend_test::Held<ParamManager2> settings(new ParamManager2());
            state->paramManager = settings.get();
            state->difficulty = c.difficulty;
            state->level = c.level;
            state->fighter = c.fighter;
            for (int d = 0; d < 4; ++d) state->activeStage[d] = c.activeStage[d];
            state->active_toska = c.toska;
            frontend_test::Held<EndingManager> manager(new EndingManager(nullptr, nullptr));
            manager->Initialize(0);

            manager->RequestEnding();
            EXPECT_EQ(manager->endings, 0) << "nothing before the pass";
            manager->RunPendingRequests();
            EXPECT_EQ(manager->endings, 1);
            EXPECT_EQ(state->bonusFlags[SceneEnding::kNoticeExtraStage], c.extraNotice ? 1 : 0);
            EXPECT_EQ(state->bonusFlags[SceneEnding::kNoticeToska], c.toskaNotice ? 1 : 0);
            EXPECT_EQ(state->active_bramel, c.storedBramel);
        }

        const StoredUnlocks stored = ReadStoredUnlocks();
        EXPECT_EQ(stored.activeStage, std::vector<int>(std::begin(c.storedStage), std::end(c.storedStage)));
        EXPECT_EQ(stored.toska, c.storedToska);
        EXPECT_EQ(stored.bramel, c.storedBramel);

        // The next start loads the file: the title offers the extra start.
        flow_test::FreshEnvironment next;
        frontend_test::Held<ParamManager2> loaded(new ParamManager2());
        ASSERT_EQ(loaded->Load("settings"), 0);
        EXPECT_EQ(TitleMenuItems(), 6);
    }
}

TEST(EndingUnlocks, ARunThatNeverReachesTheEndingOffersNoExtraStart) {
    InScratchFolder folder;
    flow_test::FreshEnvironment state;
    frontend_test::Held<ParamManager2> settings(new ParamManager2());
    state->paramManager = settings.get();
    frontend_test::Held<EndingManager> manager(new EndingManager(nullptr, nullptr));
    manager->Initialize(0);
    // Stage 6 started (level 5), then the run ends at the ranking.
    manager->RequestStage6();
    manager->RequestEndAction();
    manager->RunPendingRequests();
    EXPECT_EQ(ReadStoredUnlocks().activeStage, (std::vector<int>{1, 5, 1, 1}));
    EXPECT_EQ(TitleMenuItems(), 5);
    for (BYTE notice : state->bonusFlags) EXPECT_EQ(notice, 0);
}
