// The real program headless, driven by key presses along the ways a player
// leaves each front-end screen: the title menu into the option and back, into
// the stage select and a stage of the chosen level (the machine's engine
// heard from the start), the end of that run into the name entry, the view
// and back to a new title, and the ranking view from the title menu.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/assets/devices/SoundManager.h"
#include "engine/core/DeviceSetup.h"
#include "engine/core/SceneBase.h"
#include "game/app/GameManager.h"
#include "game/app/SceneFirst.h"
#include "game/frontend/Pause_SelectListTitle.h"
#include "game/frontend/SceneScore.h"
#include "game/frontend/SceneTitle.h"
#include "game/play/SceneStage4.h"
#include "game/state/Environment2.h"
#include "game/state/ParamManager2.h"
#include "game/support/ProgramRun.h"
#include "platform/dsound/dsound.h"
#include "platform/win32/window.h"

using namespace Quorvex;

namespace {

constexpr int kKeyW = 0x11, kKeyS = 0x1F, kKeyA = 0x1E, kKeyD = 0x20, kKeyReturn = 0x1C;
// The run is started on normal difficulty with the first fighter.
constexpr int kFighter = 1, kDifficulty = 2;

struct Seen {
    int frames = 0;
    size_t stepsDone = 0;
    std::string stuckAt;
    float musicAfterOption = 0.0f;
    int savedMusic = -1;           // "music_vol:" of the file once the option has closed
    bool menuFiredAfterOption = true;
    bool stageSelectOpened = false;
    bool stage4 = false;
    int level = 0;
    float damageFactor = 0.0f;
    int singleStage = 0;
    bool engineHeard = false;
    int entryMode = 0;
    int viewModeAfterCommit = 0;
    int32_t namesOfReachedLevels[2][8] = {};
    int64_t scoresOfReachedLevels[2] = {};
    int64_t runScores[2] = {};  // the run's points on levels 2 and 3 at the commit
    int32_t nameOfUnreachedLevel[8] = {};
    std::vector<int64_t> savedScores;  // rank-0 scores of levels 2 and 3 in the file
    int levelBeforeDifficulty = 0;
    int levelAfterDifficulty = 0;
    bool newTitleAfterEntry = false;
    bool viewFromMenu = false;
    bool titleKeptAfterView = false;
    bool menuFiredAfterView = true;
};
Seen g_seen;

std::vector<std::string> SettingsLines() {
    std::vector<std::string> lines;
    try {
        ParamManager2::ReadLines(lines, "settings", ParamManager2::kScrambleKey);
    } catch (...) {
    }
    return lines;
}

// Line of the score of a ranking entry in the settings file.
size_t ScoreLine(int fighter, int difficulty, int level, int rank) {
    return 23 + 9 * static_cast<size_t>(((fighter * 5 + difficulty) * 7 + level) * 15 + rank);
}

bool SoundPlaying(SoundManager* sounds, const wchar_t* id) {
    SoundUnit* unit = sounds ? sounds->FindSound(id) : nullptr;
    DWORD status = 0;
    return unit && unit->GetBuffer() && SUCCEEDED(unit->GetBuffer()->GetStatus(&status)) &&
           (status & DSBSTATUS_PLAYING);
}

class DrivingRoot : public SceneFirst {
public:
    DrivingRoot() { BuildScript(); }

    void OnUpdate(float timeStep) override {
        SceneFirst::OnUpdate(timeStep);
        ++g_seen.frames;
        m_key.Release(GetWindowRecord()->window);
        if (m_cooldown > 0) {
            --m_cooldown;
            return;
        }
        if (g_seen.stepsDone == m_steps.size()) return Quit();
        ++m_wait;
        if (m_steps[g_seen.stepsDone].run()) {
            ++g_seen.stepsDone;
            m_wait = 0;
            m_cooldown = 3;
        } else if (m_wait > 1200) {
            g_seen.stuckAt = m_steps[g_seen.stepsDone].what;
            Quit();
        }
    }

private:
    struct Step {
        std::string what;
        std::function<bool()> run;
    };

    void Add(const std::string& what, std::function<bool()> run) { m_steps.push_back({what, std::move(run)}); }
    void Key(int key, const std::string& what) {
        Add(what, [this, key] {
            m_key.Press(GetWindowRecord()->window, key);
            return true;
        });
    }
    void Quit() {
        if (!m_quit) PostQuitMessage(0);
        m_quit = true;
    }

    SceneTitle* Title() { return dynamic_cast<SceneTitle*>(GameManager::FindScene(this, "title")); }
    SceneScore* Ranking() { return dynamic_cast<SceneScore*>(GameManager::FindScene(this, "stagescore")); }
    bool Has(const char* name) { return GameManager::FindScene(this, name) != nullptr; }

    // Waits for the title menu to take input, then moves its cursor onto
    // the item (counted without the extra start) and chooses it.
    void ChooseFromTitleMenu(int item, const std::string& what) {
        Add("title menu open for " + what, [this] {
            SceneTitle* title = Title();
            return title && title->GetEventState() == SceneTitle::kEventMenu && title->GetMenu() && m_wait > 30;
        });
        Add("cursor on " + what, [this, item] {
            Pause_SelectListTitle* menu = Title()->GetMenu();
            const int target = item + (menu->GetCount() == 6 && item > 0 ? 1 : 0);
            if (menu->GetCursor() == target) return true;
            if (!m_key.Holding() && m_wait % 4 == 0) m_key.Press(GetWindowRecord()->window, kKeyS);
            return false;
        });
        Key(kKeyReturn, "choose " + what);
    }

    void BuildScript() {
        Add("set up the progress", [] {
            Environment2* env = g_pEnvironment2;
            env->activeStage[kDifficulty - 1] = 3;
            env->musicVolume = 1.0f;
            // Empty lists, so the run below places whatever earlier runs saved.
            for (auto& level : env->rankingScore[kFighter][kDifficulty])
                for (int64_t& score : level) score = 0;
            return true;
        });

        // Option: one step down on the music volume, then leave from the last row.
        ChooseFromTitleMenu(3, "option");
        Add("option open", [this] { return Has("option"); });
        Key(kKeyA, "music volume down");
        Key(kKeyW, "up to the return row");
        Key(kKeyReturn, "leave the option");
        Add("option gone", [this] {
            if (Has("option")) return false;
            g_seen.musicAfterOption = g_pEnvironment2->musicVolume;
            const std::vector<std::string> lines = SettingsLines();
            if (!lines.empty()) g_seen.savedMusic = std::stoi(ParamManager2::GetValue(lines[0]));
            g_seen.menuFiredAfterOption = Title() && Title()->GetMenu()->IsFired();
            return true;
        });

        // Stage select: level 3 of normal difficulty.
        ChooseFromTitleMenu(1, "stage select");
        Add("stage select open", [this] { return g_seen.stageSelectOpened = Has("stageselect"); });
        Key(kKeyS, "to the level row");
        Key(kKeyD, "level 2");
        Key(kKeyD, "level 3");
        Key(kKeyS, "to the fighter row");
        Key(kKeyS, "to the start row");
        Key(kKeyReturn, "start");
        Add("stage started", [this] {
            SceneBase* action = GameManager::FindScene(this, "action");
            if (!action) return false;
            g_seen.stage4 = dynamic_cast<SceneStage4*>(action) != nullptr;
            g_seen.level = g_pEnvironment2->level;
            g_seen.damageFactor = g_pEnvironment2->damageFactor;
            g_seen.singleStage = g_pEnvironment2->singleStage;
            return true;
        });
        Add("engine heard", [this] {
            if (m_wait < 30) return false;
            g_seen.engineHeard = SoundPlaying(GetSoundManager(), L"wind_jet");
            // The run ends with scores on levels 2 and 3.
            Environment2* env = g_pEnvironment2;
            env->runScore[kFighter][kDifficulty][2] = 777;
            env->runScore[kFighter][kDifficulty][3] = 888;
            GetGameManager()->stageScore = 0;
            GetGameManager()->RequestEndAction();
            return true;
        });

        // Name entry: "A", then onto OK (up wraps to the last row, left to its
        // last column, right past it to OK) and commit.
        Add("name entry open", [this] {
            SceneScore* ranking = Ranking();
            if (!ranking) return false;
            g_seen.entryMode = ranking->GetMode();
            return true;
        });
        Key(kKeyReturn, "enter A");
        Key(kKeyW, "up to the last row");
        Key(kKeyA, "left to its last column");
        Key(kKeyD, "right onto OK");
        Key(kKeyReturn, "commit");
        Add("view after the commit", [this] {
            SceneScore* ranking = Ranking();
            if (!ranking || ranking->GetMode() != SceneScore::kModeView) return false;
            g_seen.viewModeAfterCommit = ranking->GetMode();
            Environment2* env = g_pEnvironment2;
            for (int i = 0; i < 2; ++i) {
                for (int c = 0; c < 8; ++c)
                    g_seen.namesOfReachedLevels[i][c] = env->rankingName[kFighter][kDifficulty][2 + i][0][c];
                g_seen.scoresOfReachedLevels[i] = env->rankingScore[kFighter][kDifficulty][2 + i][0];
                g_seen.runScores[i] = env->runScore[kFighter][kDifficulty][2 + i];
            }
            for (int c = 0; c < 8; ++c) g_seen.nameOfUnreachedLevel[c] = env->rankingName[kFighter][kDifficulty][1][0][c];
            const std::vector<std::string> lines = SettingsLines();
            for (int level : {2, 3}) {
                const size_t line = ScoreLine(kFighter, kDifficulty, level, 0);
                if (line < lines.size()) g_seen.savedScores.push_back(std::stoll(ParamManager2::GetValue(lines[line])));
            }
            return true;
        });

        // The view: level 2, then another difficulty brings level 1 back.
        Key(kKeyS, "to the level row");
        Key(kKeyD, "level 2");
        Add("level 2 shown", [this] { return (g_seen.levelBeforeDifficulty = Ranking()->GetLevel()) != 0; });
        Key(kKeyW, "to the difficulty row");
        Key(kKeyD, "hard");
        Add("level after the difficulty", [this] { return (g_seen.levelAfterDifficulty = Ranking()->GetLevel()) != 0; });
        Key(kKeyW, "up wraps to the close row");
        Key(kKeyReturn, "close after the entry");
        Add("a new title", [this] { return g_seen.newTitleAfterEntry = Title() && !Has("stagescore"); });

        // The ranking view from the title menu goes back to that menu.
        ChooseFromTitleMenu(2, "score");
        Add("view open", [this] {
            SceneScore* ranking = Ranking();
            return g_seen.viewFromMenu = ranking && ranking->GetMode() == SceneScore::kModeView;
        });
        Key(kKeyW, "up wraps to the close row");
        Key(kKeyReturn, "close the view");
        Add("back at the menu", [this] {
            if (Has("stagescore")) return false;
            g_seen.titleKeptAfterView = Title() != nullptr;
            g_seen.menuFiredAfterView = Title() && Title()->GetMenu()->IsFired();
            return true;
        });
    }

    std::vector<Step> m_steps;
    int m_wait = 0;
    int m_cooldown = 0;
    game_test::KeyTap m_key;
    bool m_quit = false;
};

SceneBase* MakeDrivingRoot() { return new DrivingRoot(); }

TEST(FrontEndPaths, EveryScreenLetsThePlayerOutTheWayItShould) {
    orv::dsound::UseLoopbackDeviceForTests(44100);
    const int exitCode = game_test::RunProgram(&MakeDrivingRoot);
    orv::dsound::UseLoopbackDeviceForTests(0);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(g_seen.stuckAt, "") << "after " << g_seen.frames << " frames";

    // Option: leaving saved the new volume and handed the menu back.
    EXPECT_FLOAT_EQ(g_seen.musicAfterOption, 0.95f);
    EXPECT_NEAR(g_seen.savedMusic, 95000, 1) << "the file keeps the integer part of the float 0.95 x 100000";
    EXPECT_FALSE(g_seen.menuFiredAfterOption);
    EXPECT_TRUE(g_seen.stageSelectOpened) << "the menu took input again";

    // Stage select: level 3 is stage 4, a single-stage run with its engine running.
    EXPECT_TRUE(g_seen.stage4);
    EXPECT_EQ(g_seen.level, 3);
    EXPECT_FLOAT_EQ(g_seen.damageFactor, 1.25f);
    EXPECT_EQ(g_seen.singleStage, 1);
    EXPECT_TRUE(g_seen.engineHeard);

    // Name entry: one name into every list the run reached, saved, then the view.
    EXPECT_EQ(g_seen.entryMode, SceneScore::kModeEntry);
    EXPECT_EQ(g_seen.viewModeAfterCommit, SceneScore::kModeView);
    const int32_t entered[8] = {0, -1, -1, -1, -1, -1, -1, -1};
    for (int i = 0; i < 2; ++i)
        for (int c = 0; c < 8; ++c) EXPECT_EQ(g_seen.namesOfReachedLevels[i][c], entered[c]) << i << ":" << c;
    // Level 3 also holds what the stage itself scored before it ended.
    EXPECT_EQ(g_seen.runScores[0], 777);
    EXPECT_GE(g_seen.runScores[1], 888);
    EXPECT_EQ(g_seen.scoresOfReachedLevels[0], g_seen.runScores[0]);
    EXPECT_EQ(g_seen.scoresOfReachedLevels[1], g_seen.runScores[1]);
    EXPECT_NE(g_seen.nameOfUnreachedLevel[1], -1) << "a level without points keeps its names";
    EXPECT_EQ(g_seen.savedScores, (std::vector<int64_t>{g_seen.runScores[0], g_seen.runScores[1]}));

    // The view: a new difficulty resets the level; closing after an entry
    // builds a new title, closing a view from the menu keeps it.
    EXPECT_EQ(g_seen.levelBeforeDifficulty, 2);
    EXPECT_EQ(g_seen.levelAfterDifficulty, 1);
    EXPECT_TRUE(g_seen.newTitleAfterEntry);
    EXPECT_TRUE(g_seen.viewFromMenu);
    EXPECT_TRUE(g_seen.titleKeptAfterView);
    EXPECT_FALSE(g_seen.menuFiredAfterView);
}

}  // namespace
