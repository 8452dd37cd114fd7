// The stage-1 and stage-2 bosses: the next-phase rules with their lives and
// limits, the phase countdown the HUD reads, the stage's skip request at the
// end of a fight part, the death sequence, and one fire step per boss against
// its shot counts and angles.
#include <cmath>

#include "game/enemy/types/Enemy_Dweli.h"
#include "game/enemy/types/Enemy_Fesko.h"
#include "game/enemy/types/Enemy_ShotPoint.h"
#include "game/support/BossTestSupport.h"

namespace enemy_test {
namespace {

// a - b in degrees, wrapped into [-180, 180).
float DegreesBetween(float a, float b) {
    float d = std::fmod((a - b) / kDeg + 540.0f, 360.0f);
    if (d < 0.0f) d += 360.0f;
    return d - 180.0f;
}

class Bosses : public BossStage {
protected:
    // The stage-1 boss launched 700 units before the player, facing it.
    Enemy_Dweli* NewDweli(float level = 0.0f) {
        auto* boss = Keep(new Enemy_Dweli(manager, nullptr, Quorvex::AreaPos(), generator), level);
        boss->SetOrientation(Quorvex::YawPitchRollQuaternion(D3DX_PI, 0.0f, 0.0f));
        boss->Launch(At(-300.0f));
        return boss;
    }

    // The stage-2 boss from its launch record, then turned to the player.
    Enemy_Fesko* NewFesko(float level = 0.0f) { return NewBoss<Enemy_Fesko>(level); }
};

TEST_F(Bosses, DweliLaunchEntersPhaseFiveAsTheCurrentBoss) {
    Enemy_Dweli* boss = NewDweli();
    EXPECT_EQ(boss->phase, 5u);
    EXPECT_EQ(boss->GetLifeValue(), 5000.0f);
    EXPECT_EQ(boss->phaseLimit, -1.0f);
    EXPECT_EQ(g_pEnvironment2->currentBoss, boss);
    EXPECT_EQ(g_pEnvironment2->bossTimeLimit, -1.0f);
    boss->Update(kFrame);
    EXPECT_EQ(g_pEnvironment2->bossTimeLimit, 0.0f) << "an untimed phase shows no countdown";
}

// Each ended phase with the phase that follows, its life and limit, and
// whether the stage is told to move on. Kills and time-outs take one road.
TEST_F(Bosses, DweliNextPhaseRule) {
    struct Case {
        int ended;
        bool byTimeout;
        uint32_t next;
        float life;
        float limit;
        bool attack;
        int skips;
    };
    const Case cases[] = {
        {4, false, 14, 10000.0f, 90.0f, true, 0},  {8, true, 14, 10000.0f, 90.0f, true, 0},
        {11, true, 15, 10000.0f, 90.0f, true, 0},  {12, false, 16, 10000.0f, -1.0f, false, 0},
        {13, false, 17, 10000.0f, 90.0f, true, 1}, {14, true, 7, -1.0f, -1.0f, false, 1},
        {15, false, 13, 5000.0f, 60.0f, true, 0},  {16, false, 13, 5000.0f, 60.0f, true, 0},
        {2, false, 2, 5000.0f, -1.0f, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "phase " << c.ended);
        scene.skips = 0;
        Enemy_Dweli* boss = NewDweli();
        boss->SetPhase(c.ended);
        if (c.byTimeout) {
            boss->phaseClock = boss->phaseLimit;
            boss->Update(kFrame);
        } else {
            Kill(boss);
        }
        EXPECT_EQ(boss->phase, c.next);
        EXPECT_EQ(boss->GetLifeValue(), c.life);
        EXPECT_EQ(boss->phaseLimit, c.limit);
        EXPECT_EQ(boss->patternCallback.empty(), !c.attack);
        EXPECT_EQ(scene.skips, c.skips);
        if (c.byTimeout) {
            EXPECT_EQ(g_pEnvironment2->bossTimeLimit, -1.0f) << "reset by the phase change";
        }
        boss->Vanish();
    }
}

TEST_F(Bosses, DweliCountdownRunsDownToTheTimeOut) {
    Enemy_Dweli* boss = NewDweli();
    boss->SetPhase(13);
    EXPECT_EQ(g_pEnvironment2->bossTimeLimit, -1.0f);
    boss->Update(0.5f);
    EXPECT_FLOAT_EQ(g_pEnvironment2->bossTimeLimit, 60.0f);
    boss->Update(0.5f);
    EXPECT_FLOAT_EQ(g_pEnvironment2->bossTimeLimit, 59.5f);
    Run(boss, 59.5f);
    EXPECT_EQ(boss->phase, 17u) << "the time-out leads to the last spell";
    EXPECT_EQ(scene.skips, 1);
    EXPECT_EQ(boss->GetLifeValue(), 10000.0f);
}

// Every phase that a phase end enters starts its clock at 0: spell 2 timed
// out at 90 s gives phase 13 its full 60 s and spell 3 its full 90 s, so
// neither ends on its first frame on time carried over.
TEST_F(Bosses, DweliPhaseClockStartsAfreshAfterEachPhaseEnd) {
    Enemy_Dweli* boss = NewDweli();
    boss->SetPhase(15);
    boss->phaseClock = boss->phaseLimit;
    boss->Update(kFrame);
    ASSERT_EQ(boss->phase, 13u);
    EXPECT_EQ(boss->phaseClock, 0.0f);
    Run(boss, 59.0f);
    EXPECT_EQ(boss->phase, 13u) << "phase 13 runs its own 60 s";
    Run(boss, 1.5f);
    ASSERT_EQ(boss->phase, 17u);
    EXPECT_LT(boss->phaseClock, 1.0f);
    Run(boss, 1.0f);
    EXPECT_EQ(boss->phase, 17u);
    EXPECT_FALSE(boss->dying) << "spell 3 does not end on time left over";
    EXPECT_GT(g_pEnvironment2->bossTimeLimit, 88.0f) << "the countdown shows nearly all of spell 3";
}

TEST_F(Bosses, DweliLastSpellEndsInOneDeathWithOneAward) {
    Enemy_Dweli* boss = NewDweli();
    boss->SetPhase(17);
    Kill(boss);
    EXPECT_TRUE(boss->dying);
    EXPECT_EQ(boss->GetLifeValue(), -1.0f);
    Kill(boss);  // a dying boss takes no more hits
    EXPECT_TRUE(boss->dying);

    boss->Update(0.0f);  // a frame without time leaves the death clock at 0 ...
    boss->Update(kFrame);  // ... which must not start the sequence again
    EXPECT_EQ(game->enemiesShotDown, 1);
    EXPECT_EQ(scene.skips, 1);
    EXPECT_EQ(boss->phase, 6u);
    EXPECT_FALSE(boss->IsRemoveRequested());

    Run(boss, 4.6f);
    EXPECT_TRUE(boss->IsRemoveRequested());
    EXPECT_EQ(g_pEnvironment2->currentBoss, nullptr);
    EXPECT_EQ(game->enemiesShotDown, 1);
    EXPECT_EQ(scene.skips, 1);
}

TEST_F(Bosses, DweliFirstSpellEndsInAFlyOffWithoutScore) {
    Enemy_Dweli* boss = NewDweli();
    boss->SetPhase(14);
    Kill(boss);
    ASSERT_EQ(boss->phase, 7u);
    EXPECT_TRUE(boss->shotPoints.empty());
    Kill(boss);
    EXPECT_EQ(boss->phase, 7u) << "the flying boss cannot be hit";
    Run(boss, 30.0f);
    EXPECT_TRUE(boss->IsRemoveRequested());
    EXPECT_EQ(g_pEnvironment2->currentBoss, nullptr);
    EXPECT_EQ(game->enemiesShotDown, 0);
}

TEST_F(Bosses, DweliSpellPhasesHoldTheirEmittersAndReleaseThem) {
    Enemy_Dweli* boss = NewDweli();
    const struct {
        int phase;
        size_t emitters;
    } spells[] = {{14, 4}, {15, 2}, {17, 6}};
    for (const auto& s : spells) {
        boss->SetPhase(s.phase);
        ASSERT_EQ(boss->shotPoints.size(), s.emitters) << "phase " << s.phase;
        std::vector<Enemy_ShotPoint*> held = boss->shotPoints;
        for (Enemy_ShotPoint* point : held) point->AddRef();
        boss->SetPhase(13);
        EXPECT_TRUE(boss->shotPoints.empty());
        for (Enemy_ShotPoint* point : held) {
            EXPECT_TRUE(point->IsRemoveRequested()) << "a released emitter leaves the world";
            EXPECT_TRUE(point->patternCallback.empty());
            point->Release();
        }
    }
}

// The last spell's two ray slots open 2 s and 4.5 s into the phase, each with
// its aiming line first, so the firing rays alternate.
TEST_F(Bosses, DweliLastSpellRaySlotsStartInTurn) {
    Enemy_Dweli* boss = NewDweli();
    ASSERT_NE(generator->GetPool(EnemyGenerator_Derive::PoolRay), nullptr);
    boss->SetPhase(17);
    boss->Update(kFrame);
    ASSERT_EQ(boss->rays.size(), 2u);
    const auto live = [&](size_t slot) { return boss->rays[slot] && boss->rays[slot]->ray != nullptr; };
    Run(boss, 1.9f);
    EXPECT_FALSE(live(0));
    EXPECT_FALSE(live(1));
    Run(boss, 0.2f);
    EXPECT_TRUE(live(0)) << "the first slot's aiming line";
    EXPECT_FALSE(live(1));
    Run(boss, 2.5f);
    EXPECT_TRUE(live(1)) << "the second slot's aiming line";
    boss->Vanish();
    boss->DestroyRays();
    EXPECT_TRUE(boss->rays.empty());
}

// The aimed burst: steps at the interval, gaps at the start of each quarter,
// then the rest; quarters 1 and 2 aim low, 3 and 4 high.
TEST_F(Bosses, DweliAimedBurstByLevel) {
    struct Case {
        float level;
        size_t shots;
        float rest;
    };
    for (const Case& c : {Case{1.0f, 44, -2.0f}, Case{0.0f, 12, -3.0f}}) {
        SCOPED_TRACE(::testing::Message() << "level " << c.level);
        shots->log.records.clear();
        Enemy_Dweli* boss = NewDweli(c.level);
        EnemyEx::ShotParam1 record;
        record.Reset(c.level);
        for (int frame = 0; frame < 2000 && record.rest == 0.0f; ++frame)
            boss->FireAimedPattern(0.005f, &record);
        EXPECT_EQ(shots->log.records.size(), c.shots);
        EXPECT_FLOAT_EQ(record.rest, c.rest);
        EXPECT_EQ(record.counter, 0);

        const D3DXVECTOR3 aim = Quorvex::DirectionToAngles(player->GetWorldPosition() - boss->GetWorldPosition());
        const size_t quarter = c.shots / 4;
        for (size_t i = 0; i < shots->log.records.size(); ++i) {
            const ShotSpawnParam& shot = shots->log.records[i];
            const D3DXVECTOR3 a = Quorvex::DirectionToAngles(Forward(shot.orientation));
            const float pitch = DegreesBetween(a.x, aim.x);
            if (i / quarter < 2)
                EXPECT_LE(pitch, 0.01f) << "shot " << i;
            else
                EXPECT_GE(pitch, -0.01f) << "shot " << i;
            EXPECT_LE(std::fabs(pitch), 5.01f);
            EXPECT_FLOAT_EQ(shot.speed, 1.2f);
        }
        boss->Vanish();
    }
}

TEST_F(Bosses, FeskoLaunchHoldsThenFollowsItsEntryPath) {
    Enemy_Fesko* boss = NewFesko();
    EXPECT_EQ(boss->phase, 1);
    EXPECT_EQ(boss->GetLifeValue(), 5000.0f);
    EXPECT_EQ(g_pEnvironment2->currentBoss, boss);
    const D3DXVECTOR3 start = boss->GetWorldPosition();
    Run(boss, 1.9f);
    const D3DXVECTOR3 held = boss->GetWorldPosition() - start;
    EXPECT_LT(D3DXVec3Length(&held), 0.01f) << "every phase starts with a 2 s hold";
}

TEST_F(Bosses, FeskoTimeOutLeadsToTheSpellWithoutAward) {
    Enemy_Fesko* boss = NewFesko();
    boss->SetPhase(3);
    EXPECT_EQ(g_pEnvironment2->bossTimeLimit, -1.0f);
    boss->Update(kFrame);
    EXPECT_FLOAT_EQ(g_pEnvironment2->bossTimeLimit, 60.0f);
    boss->phaseTime = 60.0f;
    boss->Update(kFrame);
    EXPECT_EQ(boss->phase, 4);
    EXPECT_EQ(boss->GetLifeValue(), 10000.0f);
    EXPECT_EQ(boss->phaseLimit, 120.0f);
    EXPECT_EQ(game->enemiesShotDown, 0);
    EXPECT_EQ(scene.skips, 0);
}

TEST_F(Bosses, FeskoHitsThatDoNotCount) {
    Enemy_Fesko* boss = NewFesko();
    boss->SetPhase(3);
    Held<TestShot> weak(new TestShot(manager, 100.0f, true));
    Held<TestShot> enemyShot(new TestShot(manager, 100.0f, false));

    boss->hitCooldown = 0.5f;
    boss->OnCollision(weak.get());
    EXPECT_EQ(boss->GetLifeValue(), 5000.0f) << "during the cooldown";
    boss->hitCooldown = 0.0f;
    boss->OnCollision(enemyShot.get());
    EXPECT_EQ(boss->GetLifeValue(), 5000.0f) << "not a player projectile";
    boss->OnCollision(weak.get());
    EXPECT_EQ(boss->GetLifeValue(), 4900.0f);
}

// Hits taken on the entry path and while hovering come off phase 3's life
// (nothing refills it), so a life drained there ends phase 3 at its first hit
// instead of leaving only the time-out.
TEST_F(Bosses, FeskoDrainedBeforeTheFightEndsPhaseThreeAtTheFirstHit) {
    Enemy_Fesko* boss = NewFesko();
    boss->SetPhase(2);
    Kill(boss);
    EXPECT_EQ(boss->GetLifeValue(), 0.0f);
    EXPECT_EQ(boss->phase, 2) << "hovering, a drained life ends nothing";
    Kill(boss);
    boss->SetPhase(3);
    Held<TestShot> weak(new TestShot(manager, 1.0f, true));
    boss->OnCollision(weak.get());
    EXPECT_EQ(boss->phase, 4);
    EXPECT_EQ(boss->GetLifeValue(), 10000.0f);
    EXPECT_EQ(game->enemiesShotDown, 0) << "phase 3 pays nothing";
}

TEST_F(Bosses, FeskoSpellKillAwardsOnceAndLeaves) {
    Enemy_Fesko* boss = NewFesko();
    boss->SetPhase(4);
    Kill(boss);
    EXPECT_EQ(boss->phase, 11);
    EXPECT_EQ(game->enemiesShotDown, 1);
    EXPECT_EQ(scene.skips, 1);
    Kill(boss);  // more contact points of the same hit
    EXPECT_EQ(game->enemiesShotDown, 1);

    boss->SetPhase(5);
    EXPECT_EQ(scene.skips, 2) << "entering phase 5 tells the stage";
    Kill(boss);
    EXPECT_EQ(game->enemiesShotDown, 1) << "the beaten boss leaving on life 0 pays nothing more";
    EXPECT_FALSE(boss->IsRemoveRequested());
    boss->SetLife(100.0f);
    Kill(boss);
    Kill(boss);
    EXPECT_EQ(game->enemiesShotDown, 2);
    EXPECT_TRUE(boss->IsRemoveRequested());
    EXPECT_EQ(g_pEnvironment2->currentBoss, nullptr);
}

// The stage sends the boss off after its spell: no fire, and it moves away at
// once (up and ahead) instead of hovering, then takes its exit path.
TEST_F(Bosses, FeskoLeavingTheFightMovesAwayThenTakesItsExitPath) {
    Enemy_Fesko* boss = NewFesko();
    boss->SetPhase(4);
    Run(boss, 3.0f);
    scene.skips = 0;
    boss->LeaveFight();
    EXPECT_EQ(boss->phase, 5);
    EXPECT_TRUE(boss->onPhase.empty());
    EXPECT_EQ(boss->phaseLimit, -1.0f);
    EXPECT_EQ(scene.skips, 1) << "the stage is told to go on";
    const D3DXVECTOR3 start = boss->GetWorldPosition();
    Run(boss, 1.0f);
    const D3DXVECTOR3 moved = boss->GetWorldPosition() - start;
    EXPECT_GT(moved.y, 50.0f);
    EXPECT_GT(moved.z, 120.0f);
    EXPECT_EQ(boss->phase, 5);
    Run(boss, 1.2f);
    EXPECT_EQ(boss->phase, 11) << "the exit path follows the move";
}

TEST_F(Bosses, FeskoRemovesItselfWhenOld) {
    Enemy_Fesko* boss = NewFesko();
    boss->age = 999.99f;
    boss->Update(kFrame);
    EXPECT_TRUE(boss->IsRemoveRequested());
}

// The spell's aimed fans: one shot and a 2 s rest at level 0; fans of seven,
// 10 degrees apart, 0.35 s apart at level 1.
TEST_F(Bosses, FeskoSpellFanByLevel) {
    {
        Enemy_Fesko* boss = NewFesko(0.0f);
        EnemyEx::ShotParam1 record;
        record.Reset(0.0f);
        boss->RunPattern(Enemy_Fesko::PatternS2, kFrame, &record);
        EXPECT_EQ(shots->log.records.size(), 1u);
        EXPECT_FLOAT_EQ(record.rest, 2.0f);
        boss->Vanish();
    }
    shots->log.records.clear();
    Enemy_Fesko* boss = NewFesko(1.0f);
    EnemyEx::ShotParam1 record;
    record.Reset(1.0f);
    boss->RunPattern(Enemy_Fesko::PatternS2, kFrame, &record);
    ASSERT_EQ(shots->log.records.size(), 7u);
    EXPECT_FLOAT_EQ(record.timer, 0.35f);
    const D3DXVECTOR3 aim = Quorvex::DirectionToAngles(player->GetWorldPosition() - boss->GetWorldPosition());
    for (size_t s = 0; s < 7; ++s) {
        const D3DXVECTOR3 a = Quorvex::DirectionToAngles(Forward(shots->log.records[s].orientation));
        EXPECT_NEAR(DegreesBetween(a.y, aim.y), (static_cast<float>(s) - 3.0f) * 10.0f, 1.1f) << "shot " << s;
    }
}

}  // namespace
}  // namespace enemy_test
