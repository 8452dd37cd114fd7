// Stage 1 played through headless, from the title to the request for stage
// 2: the waves put enemies up, the boss comes in at the call in the first
// dialogue and is set up for its first fight, its own phase ends close the
// held fight windows, it returns for the second visit in phase 11, and the
// last window starts stage 2. Timed windows and dialogue lines are hurried
// and the boss's phase clocks run out at once; the player cannot be hurt.
#include <gtest/gtest.h>

#include "engine/core/Environment.h"
#include "engine/core/SceneBase.h"
#include "game/app/GameManager.h"
#include "game/app/SceneFirst.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/types/Enemy_Dweli.h"
#include "game/play/GameSceneRegistry.h"
#include "game/play/SceneStage1.h"
#include "game/play/SceneStage2.h"
#include "game/player/Player.h"
#include "game/state/Environment2.h"
#include "game/support/ProgramRun.h"
#include "platform/win32/window.h"

using namespace Quorvex;

namespace {

struct Seen {
    int frames = 0;
    int lastWindow = -1;
    bool ownerSet = false;
    bool firstWaveUp = false;
    bool secondWaveQueued = false;
    bool secondWaveUp = false;
    int arrivals = 0;  // a boss became current (a new one, or after none)
    int arrivalsInDialogue1 = 0;
    bool bossCalledAfterLineFive = false;
    bool fightSetUp = false;
    bool firstFightEndedByBoss = false;
    bool firstVisitLeft = false;
    bool returned = false;
    bool phase11AtWindow10 = false;
    bool phase11AtWindow11 = false;
    bool secondFightEndedInPhase17 = false;
    bool deathEndedTheStage = false;
    bool stage2Started = false;
};
Seen g_seen;

Enemy_Dweli* CurrentBoss() {
    return g_pEnvironment2 ? dynamic_cast<Enemy_Dweli*>(g_pEnvironment2->currentBoss) : nullptr;
}

// The boss's phase clock runs out on its next update.
void RunOut(Enemy_Dweli* boss) {
    if (boss && boss->phaseLimit >= 0.0f) boss->phaseClock = boss->phaseLimit;
}

class CourseRoot : public SceneFirst {
public:
    void OnUpdate(float timeStep) override {
        SceneFirst::OnUpdate(timeStep);
        ++g_seen.frames;
        GameManager* manager = GetGameManager();
        GameSceneRegistry& registry = GetGameSceneRegistry();
        SceneBase* action = GameManager::FindScene(this, "action");
        auto* stage = dynamic_cast<SceneStage1*>(action);
        if (Player* player = g_pEnvironment2 ? g_pEnvironment2->player : nullptr) player->SetInvulnerableTime(10.0f);
        Enemy_Dweli* boss = CurrentBoss();
        if (boss && boss != m_lastBoss) ++g_seen.arrivals;
        m_lastBoss = boss;
        const int window = stage ? stage->GetWindowIndex() : -1;
        if (stage) g_seen.lastWindow = window;
        ++m_wait;

        switch (m_phase) {
        case 0:
            if (GameManager::FindScene(this, "title") && m_wait > 5) {
                // Frames run as fast as they draw, each a nominal 1/60 s.
                static_cast<Environment*>(g_pEnvironment)->SetFrameLimit(false);
                manager->RequestStage1();
                Next(1);
            }
            break;
        case 1:  // the first wave
            if (!stage) break;
            if (window == 0) stage->SetSkip();
            if (window == 1) {
                g_seen.ownerSet = registry.enemyGenerator.Get()->stageScene == stage;
                if (manager->enemiesAppeared > 0) {
                    g_seen.firstWaveUp = true;
                    Next(2);
                }
            }
            break;
        case 2:  // on to the first dialogue
            if (window < 5) {
                stage->SetSkip();
            } else {
                m_arrivals = g_seen.arrivals;
                Next(3);
            }
            break;
        case 3:  // dialogue 1, one line a frame
            if (window == 5) {
                if (boss && g_seen.arrivals == m_arrivals + 1 && !g_seen.bossCalledAfterLineFive)
                    g_seen.bossCalledAfterLineFive = stage->speakIndex > 5;
                g_seen.arrivalsInDialogue1 = g_seen.arrivals - m_arrivals;
                stage->speakTime = 3.0f;
            } else if (window == 6) {
                g_seen.fightSetUp = boss && boss->phase == 8 && boss->phaseLimit == 40.0f &&
                                    !boss->patternCallback.empty() && !boss->GetMoveParam()->nextPos.empty();
                Next(4);
            }
            break;
        case 4:  // the first fight: phase 8, then its spell, then the fly-off
            if (window == 6) {
                if (boss && (boss->phase == 8 || boss->phase == 14)) RunOut(boss);
                if (m_wait > 600) Fail();
            } else {
                g_seen.firstFightEndedByBoss = window == 7 && boss && boss->phase == 7;
                Next(5);
            }
            break;
        case 5:  // dialogue 2
            if (window == 7) stage->speakTime = 3.0f;
            if (window == 8) {
                // The second table waits 2 s (the first may still be running).
                g_seen.secondWaveQueued = registry.enemyGenerator.Get()->pending.size() == 1;
                m_appeared = manager->enemiesAppeared;
                Next(6);
            }
            break;
        case 6:  // the second wave while the boss flies away
            if (registry.enemyGenerator.Get()->pending.empty() && manager->enemiesAppeared > m_appeared)
                g_seen.secondWaveUp = true;
            if (!boss) g_seen.firstVisitLeft = true;
            if (g_seen.secondWaveUp && g_seen.firstVisitLeft) {
                stage->SetSkip();
                Next(7);
            } else if (m_wait > 2000) {
                Fail();
            }
            break;
        case 7:  // dialogue 3: the boss returns 2 s in
            if (window == 9 && boss) {
                g_seen.returned = boss->phase == 5 && g_seen.arrivals == m_arrivals + 2;
                stage->speakTime = 3.0f;
            }
            if (window == 10 && boss) g_seen.phase11AtWindow10 = boss->phase == 11;
            if (window == 11) {
                g_seen.phase11AtWindow11 = boss && boss->phase == 11;
                Next(8);
            }
            if (m_wait > 2000) Fail();
            break;
        case 8:  // the second fight: 11, spell 2, 13, then spell 3 ends the window
            if (window == 11) {
                // Spell 3's own end waits for its window (a skip during the
                // timed window between them would only hurry that one).
                if (boss && boss->phase != 17) RunOut(boss);
            } else {
                g_seen.secondFightEndedInPhase17 = boss && boss->phase == 17;
                Next(9);
            }
            break;
        case 9:  // spell 3 runs out in its own window; the death ends it
            if (window == 13 && boss && boss->phase == 17) RunOut(boss);
            if (window > 13) {
                g_seen.deathEndedTheStage = boss && boss->dying;
                Next(10);
            }
            break;
        case 10:  // the rest of the stage
            if (stage) {
                if (window == 15)
                    stage->speakTime = 3.0f;
                else if (window != 17)
                    stage->SetSkip();
            } else if (dynamic_cast<SceneStage2*>(action)) {
                g_seen.stage2Started = true;
                PostQuitMessage(0);
            }
            if (m_wait > 3000) Fail();
            break;
        }
        if (g_seen.frames > 20000) Fail();
    }

private:
    void Next(int phase) {
        m_phase = phase;
        m_wait = 0;
    }
    void Fail() { PostQuitMessage(0); }

    int m_phase = 0;
    int m_wait = 0;
    int32_t m_appeared = 0;
    int m_arrivals = 0;
    Enemy_Dweli* m_lastBoss = nullptr;  // not counted: compared only
};

SceneBase* MakeCourseRoot() { return new CourseRoot(); }

TEST(Stage1Course, WavesBossVisitsAndTheRequestForStage2) {
    const int exitCode = game_test::RunProgram(&MakeCourseRoot);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(g_seen.ownerSet) << "the waves' owner scene is the stage";
    EXPECT_TRUE(g_seen.firstWaveUp);
    EXPECT_EQ(g_seen.arrivalsInDialogue1, 1) << "the boss event ran once";
    EXPECT_TRUE(g_seen.bossCalledAfterLineFive);
    EXPECT_TRUE(g_seen.fightSetUp) << "phase 8, 40 s, aimed pattern, random waypoints";
    EXPECT_TRUE(g_seen.firstFightEndedByBoss) << "the spell's end closed the fight window; the boss flies off";
    EXPECT_TRUE(g_seen.firstVisitLeft);
    EXPECT_TRUE(g_seen.secondWaveQueued);
    EXPECT_TRUE(g_seen.secondWaveUp);
    EXPECT_TRUE(g_seen.returned) << "a second boss launched during dialogue 3";
    EXPECT_TRUE(g_seen.phase11AtWindow10);
    EXPECT_TRUE(g_seen.phase11AtWindow11);
    EXPECT_TRUE(g_seen.secondFightEndedInPhase17);
    EXPECT_TRUE(g_seen.deathEndedTheStage);
    EXPECT_TRUE(g_seen.stage2Started) << "stopped in window " << g_seen.lastWindow << " after " << g_seen.frames
                                      << " frames";
}

}  // namespace
