// The real program headless: stages 2 to 6 and the extra stage, each driven
// past its opening, where its first enemies must come, to the dialogue that
// calls its boss. The boss must come in through the enemy timetable as the
// stage's own boss class, the entry after the dialogue must start its fight
// (phase 3), and where the closing dialogue forces the boss out or waits for
// it to leave, it goes.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>

#include "engine/core/SceneBase.h"
#include "game/app/GameManager.h"
#include "game/app/SceneFirst.h"
#include "game/enemy/types/Enemy_Fesko.h"
#include "game/enemy/types/Enemy_Gralle.h"
#include "game/enemy/types/Enemy_Orsel.h"
#include "game/enemy/types/Enemy_Pentra.h"
#include "game/enemy/types/Enemy_Toska.h"
#include "game/play/SceneStage.h"
#include "game/player/Player.h"
#include "game/state/Environment2.h"
#include "game/support/ProgramRun.h"
#include "platform/win32/window.h"

using namespace Quorvex;

namespace {

// The phase of the boss when it is of the class T, else -1.
template <class T>
int PhaseOf(EnemyEx* boss) {
    auto* typed = dynamic_cast<T*>(boss);
    return typed ? static_cast<int>(typed->phase) : -1;
}

struct Plan {
    const char* name;
    void (GameManager::*request)();
    int waves;          // index of the entry that starts the first enemies
    uint32_t dialogue;  // index of the entry whose dialogue calls the boss
    int (*phaseOf)(EnemyEx*);
    // Index of the entry whose dialogue sends the boss off and holds until it
    // is gone, or 0 when nothing waits for the boss to leave.
    uint32_t farewell;
};

const Plan kPlans[] = {
    {"stage 2", &GameManager::RequestStage2, 1, 6, &PhaseOf<Enemy_Fesko>, 0},
    {"stage 3", &GameManager::RequestStage3, -1, 1, &PhaseOf<Enemy_Pentra>, 0},
    {"stage 4", &GameManager::RequestStage4, 3, 6, &PhaseOf<Enemy_Gralle>, 12},
    {"stage 5", &GameManager::RequestStage5, 3, 5, &PhaseOf<Enemy_Orsel>, 10},
    {"stage 6", &GameManager::RequestStage6, 2, 3, &PhaseOf<Enemy_Toska>, 10},
    {"extra stage", &GameManager::RequestStageEx, 2, 3, &PhaseOf<Enemy_Toska>, 10},
};
constexpr size_t kPlanCount = std::size(kPlans);
constexpr int kFightFrames = 200;
constexpr int kWaveFrames = 900;
constexpr float kHeldLine = 1000.0f;

struct Outcome {
    bool started = false;
    bool wavesChecked = false;
    bool enemiesCame = false;  // the appeared count rose once the waves began
    bool bossIn = false;       // a current boss during the dialogue
    int phaseAtEntry = -1;     // its phase then (-1: another class)
    int phaseInFight = -1;     // its phase in the entry after the dialogue
    bool upToFarewell = false;  // a current boss just before the farewell dialogue
    bool forcedOut = false;     // none left while it runs
};
Outcome g_outcome[kPlanCount];
int g_frames = 0;
bool g_finished = false;

EnemyEx* CurrentBoss() { return g_pEnvironment2 ? g_pEnvironment2->currentBoss : nullptr; }

class BossDrivingRoot : public SceneFirst {
public:
    void OnUpdate(float timeStep) override {
        SceneFirst::OnUpdate(timeStep);
        ++g_frames;
        ++m_wait;
        if (g_frames > 20000) PostQuitMessage(0);
        GameManager* manager = GetGameManager();
        if (m_plan < 0) {
            if (GameManager::FindScene(this, "title") && m_wait > 5) Next(manager);
            return;
        }
        auto* stage = dynamic_cast<SceneStage*>(GameManager::FindScene(this, "action"));
        if (!stage || stage != m_stage) {
            // The new stage replaces the old one once the manager runs it.
            if (stage && m_wait > 2 && stage != m_previous) {
                m_stage = stage;
                g_outcome[m_plan].started = true;
                m_wait = 0;
            }
            return;
        }
        // The player stays up through the fights, so no continue menu
        // pauses the next stage.
        if (Player* player = g_pEnvironment2 ? g_pEnvironment2->player : nullptr) player->SetInvulnerableTime(10.0f);
        const Plan& plan = kPlans[m_plan];
        Outcome& out = g_outcome[m_plan];
        const uint32_t index = stage->GetEventIndex();
        if (plan.waves >= 0 && index >= static_cast<uint32_t>(plan.waves) && !out.wavesChecked) {
            // The opening waits here until the first enemy of the timetable
            // or map is launched.
            if (!m_counting) {
                m_counting = true;
                m_appearedBefore = manager->enemiesAppeared;
                m_wait = 0;
            }
            out.enemiesCame = manager->enemiesAppeared > m_appearedBefore;
            out.wavesChecked = out.enemiesCame || m_wait > kWaveFrames;
            return;
        }
        if (index < plan.dialogue) {
            // Each opening entry runs once, then the next one.
            if (stage->IsEventEntered()) stage->SetSkip();
            if (m_wait > 3000) Next(manager);  // the opening never ended
        } else if (index == plan.dialogue) {
            // Every line is up long enough to advance at once.
            stage->GetSpeakParam().elapsed = kHeldLine;
            if (EnemyEx* boss = CurrentBoss(); boss && !out.bossIn) {
                out.bossIn = true;
                out.phaseAtEntry = plan.phaseOf(boss);
            }
            if (out.bossIn && stage->IsEventEntered()) stage->SetSkip();
            if (m_wait > 3000) Next(manager);  // the boss never came
        } else if (out.phaseInFight < 0 || m_fightFrames <= kFightFrames) {
            if (EnemyEx* boss = CurrentBoss(); boss && stage->IsEventEntered() && out.phaseInFight < 0)
                out.phaseInFight = plan.phaseOf(boss);
            // The fight runs for a while (the boss fires at the player).
            if (out.phaseInFight >= 0) ++m_fightFrames;
            if (m_wait > 3000) Next(manager);
        } else if (plan.farewell == 0) {
            Next(manager);
        } else if (index < plan.farewell) {
            // The rest of the fight is cut short.
            out.upToFarewell = CurrentBoss() != nullptr;
            if (stage->IsEventEntered()) stage->SetSkip();
            if (m_wait > 3000) Next(manager);
        } else {
            // Lines held until the boss is gone stay held.
            SceneStage::SpeakParam& speak = stage->GetSpeakParam();
            if (speak.autoTime < kHeldLine) speak.elapsed = kHeldLine;
            if (index == plan.farewell && stage->IsEventEntered() && !CurrentBoss()) out.forcedOut = true;
            if (out.forcedOut || m_wait > 3000) Next(manager);
        }
    }

private:
    void Next(GameManager* manager) {
        m_previous = m_stage;
        m_wait = 0;
        m_fightFrames = 0;
        m_counting = false;
        if (++m_plan >= static_cast<int>(kPlanCount)) {
            g_finished = true;
            PostQuitMessage(0);
            return;
        }
        // Through a local: GCC's bounds check misreads a member-function
        // pointer called straight out of the table.
        void (GameManager::*request)() = kPlans[m_plan].request;
        (manager->*request)();
    }

    int m_plan = -1;
    int m_wait = 0;
    int m_fightFrames = 0;
    bool m_counting = false;
    int32_t m_appearedBefore = 0;
    SceneStage* m_stage = nullptr;     // not counted: compared only
    SceneStage* m_previous = nullptr;  // not counted: compared only
};

SceneBase* MakeBossDrivingRoot() { return new BossDrivingRoot(); }

TEST(StagesBossRun, EveryStageCallsItsOwnBossInAndStartsTheFight) {
    const int exitCode = game_test::RunProgram(&MakeBossDrivingRoot);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(g_finished) << "the run ended after " << g_frames << " frames";
    for (size_t i = 0; i < kPlanCount; ++i) {
        const Outcome& out = g_outcome[i];
        EXPECT_TRUE(out.started) << kPlans[i].name;
        if (kPlans[i].waves >= 0) {
            EXPECT_TRUE(out.enemiesCame) << kPlans[i].name;
        }
        EXPECT_TRUE(out.bossIn) << kPlans[i].name;
        if (!out.bossIn) continue;
        EXPECT_GE(out.phaseAtEntry, 1) << kPlans[i].name << ": the boss is of another class";
        EXPECT_EQ(out.phaseInFight, 3) << kPlans[i].name;
        if (kPlans[i].farewell) {
            EXPECT_TRUE(out.upToFarewell) << kPlans[i].name;
            EXPECT_TRUE(out.forcedOut) << kPlans[i].name;
        }
    }
}

}  // namespace
