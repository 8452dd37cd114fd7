// The stage-5 and stage-6 bosses: the next-phase rules with their lives,
// score and the stage's skip request, the phase countdown the HUD reads, the
// hit immunity after a phase change, one fire step against its counts and
// angles, and the doll launch.
#include <cmath>

#include "game/enemy/BulletFactories.h"
#include "game/enemy/types/Enemy_Fighter2.h"
#include "game/enemy/types/Enemy_Orsel.h"
#include "game/enemy/types/Enemy_Toska.h"
#include "game/player/weapons/Bullet_AimmingLaser.h"
#include "game/player/weapons/Bullet_Razer.h"
#include "game/support/BossTestSupport.h"

namespace enemy_test {
namespace {

class Bosses3 : public BossStage {};

struct NextCase {
    int ended;
    int next;
    float life;
    int skips;
};

TEST_F(Bosses3, ToskaLaunchEntersAsTheCurrentBoss) {
    auto* boss = NewBoss<Enemy_Toska>();
    EXPECT_EQ(boss->phase, 1);
    EXPECT_EQ(boss->GetLifeValue(), 4000.0f);
    EXPECT_EQ(g_pEnvironment2->currentBoss, boss);
    EXPECT_EQ(g_pEnvironment2->bossTimeLimit, -1.0f);
    EXPECT_FALSE(boss->CheckGroupFlag(GroupSweptAtPhaseChange)) << "the sweep must never take the boss";
    boss->Vanish();
    EXPECT_EQ(g_pEnvironment2->currentBoss, nullptr);
}

// Each defeated phase with the phase that follows, its life and whether the
// stage is told to move on; every defeat pays the score once.
TEST_F(Bosses3, ToskaNextPhaseRule) {
    const NextCase cases[] = {
        {3, 4, 10000.0f, 0}, {4, 5, 4000.0f, 0},  {5, 7, 10000.0f, 0}, {7, 8, 4000.0f, 0},
        {8, 9, 8000.0f, 0},  {9, 10, 4000.0f, 0}, {10, 11, 9000.0f, 0}, {11, 12, 12000.0f, 0},
        {12, 2, 5000.0f, 1}, {2, 2, 0.0f, 0},      {6, 6, 0.0f, 0},
    };
    auto* boss = NewBoss<Enemy_Toska>();
    for (const NextCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << "phase " << c.ended);
        scene.skips = 0;
        boss->SetPhase(c.ended);
        boss->hitGuard = 0.0f;
        const int shotDown = game->enemiesShotDown;
        Kill(boss);
        EXPECT_EQ(boss->phase, c.next);
        EXPECT_EQ(boss->GetLifeValue(), c.life);
        EXPECT_EQ(game->enemiesShotDown, shotDown + 1);
        EXPECT_EQ(scene.skips, c.skips);
        EXPECT_EQ(boss->phaseCallback.empty(), Enemy_Toska::PhaseLimit(c.next) < 0.0f);
    }
    // Phase 6 (like 2, 13 and 14) has nothing after it: at 0 life further
    // hits pay nothing more.
    game->scoreMultiplier = 16.0f;
    const int64_t total = game->totalScore;
    const int shotDown = game->enemiesShotDown;
    Kill(boss);
    EXPECT_EQ(boss->phase, 6);
    EXPECT_EQ(game->totalScore, total);
    EXPECT_EQ(game->enemiesShotDown, shotDown);
}

// The stage's forced exit leaves nothing of the fight behind for the next
// launch: the spell records and the phase-5/10 state that phase changes keep
// start again from nothing.
TEST_F(Bosses3, ToskaPatternResetClearsEveryRecord) {
    auto* boss = NewBoss<Enemy_Toska>(1.0f);
    boss->SetPhase(7);
    Run(boss, 4.0f);
    boss->SetPhase(5);
    Run(boss, 6.0f);
    ASSERT_EQ(boss->nijuu.started, 1) << "phase changes keep the spell-2 record";
    ASSERT_GT(boss->waveClock, 0.0f);
    boss->ResetPatterns();
    EXPECT_EQ(boss->nijuu.started, 0);
    EXPECT_EQ(boss->nijuu.clock, 0.0f);
    EXPECT_EQ(boss->waveStarted, 0);
    EXPECT_EQ(boss->waveClock, 0.0f);
    EXPECT_EQ(boss->waveVolley, 0);
    for (const Enemy_Toska::SideEmitter& side : boss->sideEmitters) EXPECT_EQ(side.started, 0);
    EXPECT_EQ(boss->phaseClock, 0.0f);
    EXPECT_TRUE(boss->tensei.emitters.empty());
}

TEST_F(Bosses3, ToskaTimeOutsAndTheirCountdown) {
    auto* boss = NewBoss<Enemy_Toska>();
    const struct {
        int phase;
        float limit;
        int next;
        bool scored;
    } cases[] = {{3, 40.0f, 4, true}, {4, 90.0f, 5, true}, {9, 120.0f, 10, true}, {12, 300.0f, 2, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "phase " << c.phase);
        boss->SetPhase(c.phase);
        EXPECT_EQ(g_pEnvironment2->bossTimeLimit, -1.0f);
        boss->Update(0.5f);
        EXPECT_FLOAT_EQ(g_pEnvironment2->bossTimeLimit, c.limit);
        boss->Update(0.5f);
        EXPECT_FLOAT_EQ(g_pEnvironment2->bossTimeLimit, c.limit - 0.5f);
        const int shotDown = game->enemiesShotDown;
        boss->phaseClock = c.limit;
        boss->Update(kFrame);
        EXPECT_EQ(boss->phase, c.next);
        EXPECT_EQ(game->enemiesShotDown, shotDown + (c.scored ? 1 : 0));
        EXPECT_EQ(g_pEnvironment2->bossTimeLimit, -1.0f) << "hidden right after the change";
    }
}

TEST_F(Bosses3, HitsAreIgnoredForOneAndAHalfSecondsAfterAPhaseChange) {
    auto* toska = NewBoss<Enemy_Toska>();
    auto* orsel = NewBoss<Enemy_Orsel>();
    toska->SetPhase(3);
    orsel->SetPhase(3);
    Kill(toska);
    Kill(orsel);
    EXPECT_EQ(toska->phase, 3);
    EXPECT_EQ(orsel->phase, 3);
    EXPECT_EQ(toska->GetLifeValue(), 4000.0f);
    Run(toska, 1.45f);
    Run(orsel, 1.45f);
    Kill(toska);
    Kill(orsel);
    EXPECT_EQ(toska->phase, 3);
    EXPECT_EQ(orsel->phase, 3);
    Run(toska, 0.1f);
    Run(orsel, 0.1f);
    Kill(toska);
    Kill(orsel);
    EXPECT_EQ(toska->phase, 4);
    EXPECT_EQ(orsel->phase, 4);

    // An enemy bullet never counts, and a vanished boss pays nothing more.
    Run(toska, 2.0f);
    Held<TestShot> enemyShot(new TestShot(manager, 1.0e6f, false));
    toska->OnCollision(enemyShot.get());
    EXPECT_EQ(toska->phase, 4);
    toska->Vanish();
    const int shotDown = game->enemiesShotDown;
    Kill(toska);
    EXPECT_EQ(game->enemiesShotDown, shotDown);
}

TEST_F(Bosses3, ToskaLeavesThroughPhasesThirteenAndFourteen) {
    auto* boss = NewBoss<Enemy_Toska>();
    boss->SetPhase(14);
    EXPECT_TRUE(boss->IsRemoveRequested());
    EXPECT_EQ(g_pEnvironment2->currentBoss, nullptr);

    boss = NewBoss<Enemy_Toska>();
    boss->SetPhase(13);
    EXPECT_FALSE(boss->IsRemoveRequested());
    Run(boss, 7.5f);
    EXPECT_FALSE(boss->IsRemoveRequested());
    Run(boss, 1.5f);  // 1 s hold, then 800 + 600 units at 200 per second
    EXPECT_TRUE(boss->IsRemoveRequested());
}

// The phase-3/8 fan: one row per call at the start; columns and shots per
// direction by level, the row's speeds and the yaw spread of the columns.
TEST_F(Bosses3, ToskaFanBurstRowByLevel) {
    const struct {
        float level;
        int columns;
        int shots;
    } cases[] = {{0.0f, 4, 2}, {1.0f, 7, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "level " << c.level);
        auto* boss = NewBoss<Enemy_Toska>(c.level);
        boss->SetPhase(3);
        shots->log.records.clear();
        boss->FireFanBursts(kFrame);
        ASSERT_EQ(shots->log.records.size(), static_cast<size_t>(c.columns * c.shots));
        EXPECT_EQ(boss->fanRow, 1);
        for (int j = 0; j < c.shots; ++j) EXPECT_FLOAT_EQ(shots->log.records[j].speed, 0.3f + j * 0.15f);
        // Columns fan out over 60 degrees around the player's direction
        // (the start points lie 100 units out along each column).
        const D3DXVECTOR3 first = Quorvex::AreaPos::Difference(shots->log.records.front().position, boss->GetAreaPos());
        const D3DXVECTOR3 last = Quorvex::AreaPos::Difference(shots->log.records.back().position, boss->GetAreaPos());
        EXPECT_NEAR(D3DXVec3Length(&first), 100.0f, 0.1f);
        // Same pitch (row 0: 10 degrees), yaws 60 x (n - 1) / n apart.
        const float yaw = 60.0f * (c.columns - 1) / c.columns * kDeg;
        const float pitch = 10.0f * kDeg;
        const float expected = std::acos(std::cos(pitch) * std::cos(pitch) * std::cos(yaw) +
                                         std::sin(pitch) * std::sin(pitch));
        const float across = std::acos(D3DXVec3Dot(&first, &last) / (100.0f * 100.0f));
        EXPECT_NEAR(across / kDeg, expected / kDeg, 0.2f);
        boss->Vanish();
    }
}

// A laser pool that only keeps the launch orientations.
class LaserLog : public Quorvex::Object, public Quorvex::FactoryAdapter {
public:
    class Laser : public Quorvex::Object, public Quorvex::FactoryProductAdapter {
    public:
        explicit Laser(std::vector<D3DXQUATERNION>* log) : log_(log) {}
        int ApplySetParam(ISetParam* param) override {
            log_->push_back(static_cast<Bullet_AimmingLaser::SetParam*>(param)->orientation);
            return 0;
        }

    private:
        std::vector<D3DXQUATERNION>* log_;
    };
    Quorvex::IFactoryProduct* CreateProduct() override { return NewProduct<Laser>(0, &orientations); }
    std::vector<D3DXQUATERNION> orientations;
};

// The spell-3 fan: lasers per volley by level, on a 30-degree cone around +z,
// spread over 240 degrees of roll.
TEST_F(Bosses3, ToskaLaserFanByLevel) {
    for (const auto& [level, n] : {std::pair{0.0f, 3}, std::pair{1.0f, 13}}) {
        SCOPED_TRACE(::testing::Message() << "level " << level);
        auto* lasers = new LaserLog();
        generator->SetPool(EnemyGenerator_Derive::PoolAimmingLaser, lasers);
        auto* boss = NewBoss<Enemy_Toska>(level);
        boss->SetPhase(9);
        boss->FireLaserFan(kFrame);
        ASSERT_EQ(lasers->orientations.size(), static_cast<size_t>(n));
        EXPECT_EQ(boss->velkSan.counter, n);
        for (int i = 0; i < n; ++i) {
            const D3DXVECTOR3 f = Forward(lasers->orientations[i]);
            EXPECT_NEAR(std::acos(f.z) / kDeg, 30.0f, 0.1f);
            const float roll = std::atan2(f.x, f.y) / kDeg;  // around +z, 0 = straight up
            EXPECT_NEAR(std::fabs(roll), std::fabs(((i + 0.5f) / n - 0.5f) * 240.0f), 0.2f);
        }
        boss->Vanish();
    }
}

// The boss's own spell-1 grid waits 5 s, then fires one direction at level
// 0 and 3 x 3 from level 0.4 on, three speeds each.
TEST_F(Bosses3, ToskaSpellOneGridByLevel) {
    for (const auto& [level, directions] : {std::pair{0.0f, 1}, std::pair{0.4f, 9}, std::pair{1.0f, 9}}) {
        SCOPED_TRACE(::testing::Message() << "level " << level);
        auto* boss = NewBoss<Enemy_Toska>(level);
        boss->SetPhase(4);
        shots->log.records.clear();
        boss->phaseClock = 4.9f;
        boss->FireSpell1(kFrame);
        EXPECT_TRUE(shots->log.records.empty());
        boss->phaseClock = 5.0f;
        boss->FireSpell1(kFrame);
        ASSERT_EQ(shots->log.records.size(), static_cast<size_t>(directions * 3));
        for (int s = 0; s < 3; ++s) EXPECT_FLOAT_EQ(shots->log.records[s].speed, 1.0f + 0.2f * s);
        boss->Vanish();
    }
}

// A spell-2 shot record: at level 0 one volley of one shot, then it is free.
TEST_F(Bosses3, ToskaSpellTwoRecordAtLevelZero) {
    auto* boss = NewBoss<Enemy_Toska>(0.0f);
    boss->SetPhase(7);
    boss->phaseClock = 3.5f;
    boss->FireSpell2Bursts(kFrame);
    const Enemy_Toska::Spell2Shot& first = boss->nijuu.shots[0];
    ASSERT_TRUE(first.inUse);
    EXPECT_TRUE(first.started);
    shots->log.records.clear();
    for (int frame = 0; frame < 5 && boss->nijuu.shots[0].inUse; ++frame) boss->FireSpell2Bursts(kFrame);
    EXPECT_FALSE(boss->nijuu.shots[0].inUse) << "freed after its one volley";
    // Placed 0.02 s apart, the later records have not fired yet.
    ASSERT_EQ(shots->log.records.size(), 1u);
    EXPECT_FLOAT_EQ(shots->log.records[0].speed, 1.5f);
}

// The spell-5 emitter keeps its shots for 0.8 s, then turns each toward the
// player and lets it go; a shot back in its pool early is let go untouched.
TEST_F(Bosses3, ToskaSpellFiveEmitterTurnsItsShotsTowardThePlayer) {
    auto* razers = new Bullet_RazerFactory(manager, nullptr, generator);
    generator->SetPool(EnemyGenerator_Derive::PoolRazer, razers);
    ASSERT_EQ(razers->Initialize(0), 0);
    auto* boss = NewBoss<Enemy_Toska>(0.0f);
    boss->SetPhase(12);
    boss->phaseClock = 3.0f;
    boss->StepSpell5(kFrame);
    ASSERT_EQ(boss->tensei.emitters.size(), 1u);
    Enemy_Toska::Spell5Emitter& emitter = *boss->tensei.emitters[0];
    ASSERT_EQ(emitter.tracked.size(), 3u) << "one line of 3 shots at level 0";
    Bullet_Razer* kept = emitter.tracked[0].shot;
    kept->AddRef();
    // Up, then rolled by the emitter's angle of -120 degrees: across the
    // boss's x-y plane.
    const D3DXVECTOR3 launched = Forward(kept->GetOrientation());
    EXPECT_NEAR(launched.z, 0.0f, 1e-4f);
    EXPECT_NEAR(launched.y, -0.5f, 1e-4f);

    // An early return to the pool drops that entry without turning it.
    emitter.tracked[1].shot->ReturnToFactory();
    boss->UpdateSpell5Emitter(emitter, 0, kFrame);
    EXPECT_EQ(emitter.tracked.size(), 2u);

    for (float t = 0.0f; t < 0.85f; t += kFrame) boss->UpdateSpell5Emitter(emitter, 0, kFrame);
    EXPECT_TRUE(emitter.tracked.empty());
    const D3DXQUATERNION toPlayer = MakeAimQuaternion(kept->GetAreaPos(), player->GetAreaPos());
    const D3DXVECTOR3 facing = Forward(kept->GetOrientation());
    const D3DXVECTOR3 wanted = Forward(toPlayer);
    EXPECT_NEAR(D3DXVec3Dot(&facing, &wanted), 1.0f, 1e-3f);
    EXPECT_TRUE(kept->returnCallback.empty()) << "no callback left on a shot the boss let go";
    kept->Release();
    boss->Vanish();
}

TEST_F(Bosses3, ToskaFiresNothingInTheOpeningPause) {
    auto* boss = NewBoss<Enemy_Toska>(1.0f);
    boss->SetPhase(4);
    shots->log.records.clear();
    Run(boss, 2.9f);
    EXPECT_TRUE(shots->log.records.empty());
    Run(boss, 0.5f);
    EXPECT_FALSE(shots->log.records.empty()) << "the spell-1 emitters start after 3 s";
}

TEST_F(Bosses3, OrselNextPhaseRule) {
    const NextCase cases[] = {
        {3, 4, 12000.0f, 0}, {4, 5, 4000.0f, 0},  {5, 7, 10000.0f, 0}, {7, 8, 2000.0f, 0},
        {8, 9, 12000.0f, 0}, {9, 11, 10000.0f, 0}, {11, 2, 5000.0f, 1}, {2, 2, 0.0f, 0},
    };
    auto* boss = NewBoss<Enemy_Orsel>();
    EXPECT_EQ(boss->phase, 1);
    EXPECT_EQ(g_pEnvironment2->currentBoss, boss);
    for (const NextCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << "phase " << c.ended);
        scene.skips = 0;
        boss->SetPhase(c.ended);
        boss->invulnerableTime = 0.0f;
        const int shotDown = game->enemiesShotDown;
        Kill(boss);
        EXPECT_EQ(boss->phase, c.next);
        EXPECT_EQ(boss->GetLifeValue(), c.life);
        EXPECT_EQ(game->enemiesShotDown, shotDown + 1);
        EXPECT_EQ(scene.skips, c.skips);
    }
    // Phase 2 has nothing after it: the boss stays at 0 life, and further
    // hits pay nothing more, not even at the top multiplier.
    game->scoreMultiplier = 16.0f;
    const int64_t total = game->totalScore;
    const int shotDown = game->enemiesShotDown;
    Kill(boss);
    Kill(boss);
    EXPECT_EQ(boss->phase, 2);
    EXPECT_EQ(game->totalScore, total);
    EXPECT_EQ(game->enemiesShotDown, shotDown);
    EXPECT_EQ(game->scoreMultiplier, 16.0f);
}

TEST_F(Bosses3, OrselTimeOutMovesOnWithoutScore) {
    auto* boss = NewBoss<Enemy_Orsel>();
    boss->SetPhase(7);
    boss->Update(0.5f);
    EXPECT_FLOAT_EQ(g_pEnvironment2->bossTimeLimit, 120.0f);
    const int shotDown = game->enemiesShotDown;
    boss->phaseTime = 120.0f;
    boss->Update(kFrame);
    EXPECT_EQ(boss->phase, 8);
    EXPECT_EQ(game->enemiesShotDown, shotDown);
    EXPECT_EQ(g_pEnvironment2->bossTimeLimit, -1.0f);
}

// A doll from the fairy stock: life by kind, the doll look, the appeared
// count; an orbit doll leaves once its centre has covered 1200 units.
TEST_F(Bosses3, OrselOrbitDollLaunchAndDeparture) {
    auto* boss = NewBoss<Enemy_Orsel>();
    const int appeared = game->enemiesAppeared;
    const D3DXVECTOR3 velocity(0.0f, 0.0f, 350.0f);
    Enemy_Fighter2* doll =
        boss->LaunchOrbitDoll(boss->GetAreaPos(), D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f), velocity, 0.0f);
    ASSERT_NE(doll, nullptr);
    EXPECT_EQ(game->enemiesAppeared, appeared + 1);
    EXPECT_EQ(doll->GetLifeValue(), 200.0f);
    EXPECT_EQ(doll->look, 1);
    EXPECT_EQ(doll->attackType, 40);
    for (float t = 0.0f; t < 3.3f; t += kFrame) doll->Update(kFrame);
    EXPECT_FALSE(doll->IsRemoveRequested());
    for (float t = 0.0f; t < 0.3f; t += kFrame) doll->Update(kFrame);
    EXPECT_TRUE(doll->IsRemoveRequested());
    EXPECT_EQ(game->enemiesAppeared, appeared + 1) << "the orbit doll keeps its count";
}

// The circle barrage: the held doll comes with the first frame; in the first
// circle each volley is a fan from the boss and one from the doll (2 shots
// 15 degrees apart at level 0, 4 shots 5 degrees apart at level 1). A held
// doll shot down leaves the boss waiting 3 s for the next.
TEST_F(Bosses3, OrselCircleBarrageFansAndTheWaitAfterALostDoll) {
    for (const auto& [level, n] : {std::pair{0.0f, 2}, std::pair{1.0f, 4}}) {
        SCOPED_TRACE(::testing::Message() << "level " << level);
        auto* boss = NewBoss<Enemy_Orsel>(level);
        boss->circle.Reset();
        boss->SetPhase(7);
        boss->DollCircleBarrage(kFrame);
        ASSERT_NE(boss->circle.doll, nullptr);
        EXPECT_EQ(boss->circle.doll->GetLifeValue(), 5000.0f);
        boss->circle.t = 0.5f;
        shots->log.records.clear();
        boss->DollCircleBarrage(kFrame);
        ASSERT_EQ(shots->log.records.size(), static_cast<size_t>(2 * n));
        const D3DXVECTOR3 a = Forward(shots->log.records[0].orientation);
        const D3DXVECTOR3 b = Forward(shots->log.records[n - 1].orientation);
        EXPECT_NEAR(std::acos(std::min(D3DXVec3Dot(&a, &b), 1.0f)) / kDeg, 15.0f, 0.1f);

        boss->circle.doll->Vanish();
        boss->DollCircleBarrage(kFrame);
        EXPECT_EQ(boss->circle.doll, nullptr);
        EXPECT_TRUE(boss->attacks.empty());
        for (float t = 0.0f; t < 2.9f; t += kFrame) boss->DollCircleBarrage(kFrame);
        EXPECT_EQ(boss->circle.doll, nullptr);
        for (float t = 0.0f; t < 0.2f; t += kFrame) boss->DollCircleBarrage(kFrame);
        EXPECT_NE(boss->circle.doll, nullptr);
        EXPECT_LT(boss->circle.t, 0.2f) << "the new doll starts from its approach";
        boss->circle.Reset();
        boss->Vanish();
    }
}

// A homing doll chases at up to 600 units per second; every laser doll of
// the second fan rises straight up whatever its place in the fan.
TEST_F(Bosses3, OrselHomingAndLaserDollFlights) {
    auto* boss = NewBoss<Enemy_Orsel>();
    Enemy_Fighter2* homing = boss->LaunchHomingDoll(Quorvex::AreaPos::FromWorld(D3DXVECTOR3(0.0f, 0.0f, 3000.0f)));
    ASSERT_NE(homing, nullptr);
    EXPECT_EQ(homing->GetLifeValue(), 1000.0f);
    EXPECT_EQ(*homing->GetGauge(), 300.0f) << "the life gauge is capped at 300";
    for (float t = 0.0f; t < 4.0f; t += kFrame) homing->Update(kFrame);
    EXPECT_FALSE(homing->IsRemoveRequested());
    EXPECT_LE(D3DXVec3Length(&homing->velocity), 600.5f);
    EXPECT_LT(homing->velocity.z, -500.0f) << "toward the player on -z";

    boss->SetPhase(11);
    boss->phaseTime = 3.0f;
    boss->DollFan2(kFrame);
    boss->steps[1].cooldown = 0.0f;
    boss->DollFan2(kFrame);
    // Two laser dolls are out besides the homing one; two frames each.
    int laserDolls = 0;
    EnemyListSet* stock = generator->GetListSet(EnemyGenerator_Derive::FairyListSet);
    ASSERT_NE(stock, nullptr);
    const std::set<Enemy*> out = stock->inUseSet;
    for (Enemy* doll : out) {
        auto* fairy = dynamic_cast<Enemy_Fighter2*>(doll);
        if (!fairy || fairy == homing) continue;
        fairy->Update(kFrame);
        fairy->Update(kFrame);
        ++laserDolls;
        EXPECT_NEAR(fairy->velocity.x, 0.0f, 1e-2f);
        EXPECT_NEAR(fairy->velocity.z, 0.0f, 1e-2f);
        EXPECT_GT(fairy->velocity.y, 0.0f);
    }
    EXPECT_EQ(laserDolls, 2);
}

// With the stock used up the trios go on counting without dolls.
TEST_F(Bosses3, OrselTriosCountOnWithoutFreeDolls) {
    auto* boss = NewBoss<Enemy_Orsel>();
    while (generator->LaunchFighter2(Quorvex::AreaPos())) {
    }
    boss->SetPhase(3);
    boss->phaseTime = 3.0f;
    const int appeared = game->enemiesAppeared;
    boss->DollTrios(kFrame);
    EXPECT_EQ(boss->steps[0].volleys, 1);
    EXPECT_GT(boss->steps[0].cooldown, 0.0f);
    EXPECT_EQ(game->enemiesAppeared, appeared);
}

}  // namespace
}  // namespace enemy_test
