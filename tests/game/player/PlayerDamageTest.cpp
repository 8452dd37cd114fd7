// The machine's damage rule, its invulnerability, its death and the Zenk
// gauge.
#include <cmath>

#include "PlayerTestSupport.h"

namespace player_test {
namespace {

using PlayerDamage = PlayerFixture;

TEST_F(PlayerDamage, ProjectileHitsScaleWithSpeedZenkModeAndTheDamageFactor) {
    struct Case {
        float speedRate;
        bool zenk;
        float damageFactor;
        float expectedLoss;
    };
    const Case cases[] = {
        {0.0f, false, 1.0f, 30.0f},  // 75 % at minimum speed
        {1.0f, false, 1.0f, 40.0f},  // 100 % at maximum speed
        {1.0f, true, 1.0f, 2.0f},    // 5 % of that in Zenk mode
        {0.0f, false, 2.0f, 60.0f},
    };
    for (const Case& c : cases) {
        g_pEnvironment2->damageFactor = c.damageFactor;
        Player* machine = NewPlayer(c.speedRate);
        if (c.zenk) machine->StartZenkMode();
        ASSERT_EQ(machine->IsZenkActive(), c.zenk);
        machine->OnCollision(EnemyShot(40.0f));
        EXPECT_NEAR(machine->GetLifeValue(), 100.0f - c.expectedLoss, 1e-3f) << c.speedRate << " " << c.zenk;
        EXPECT_FLOAT_EQ(machine->GetInvulnerableTime(), 2.0f);
        // The cooldown blocks the next hit.
        machine->OnCollision(EnemyShot(40.0f));
        EXPECT_NEAR(machine->GetLifeValue(), 100.0f - c.expectedLoss, 1e-3f);
    }
}

TEST_F(PlayerDamage, OwnShotsAndPlainEnemiesDoNoDamage) {
    Player* machine = NewPlayer();
    Shot* own = Make<Shot>();
    own->SetSide(true);
    own->SetAttackPower(40.0f);
    machine->OnCollision(own);
    machine->OnCollision(Make<Thing>(Flag(GroupEnemySide), 10.0f));
    machine->OnCollision(nullptr);
    EXPECT_FLOAT_EQ(machine->GetLifeValue(), 100.0f);
    EXPECT_FLOAT_EQ(machine->GetInvulnerableTime(), 0.0f);
}

TEST_F(PlayerDamage, TerrainHurtsByTheGroundFactorAndStillBlocksAnInvulnerableMachine) {
    Player* machine = NewPlayer(0.0f);
    Thing* ground = Make<Thing>(Flag(GroupSolid));
    Thing* enemy = Make<Thing>(Flag(GroupEnemySide), 10.0f);
    Thing* lockable = Make<Thing>(Flag(GroupLockable), 10.0f);
    Thing* block = Make<Thing>(Flag(GroupSolid) | Flag(GroupNoProjectileHit));
    EXPECT_TRUE(machine->CanCollide(enemy));
    EXPECT_TRUE(machine->CanCollide(lockable));
    EXPECT_FALSE(machine->CanCollide(Make<Thing>(Flag(GroupPlayerSide), 10.0f)));

    machine->OnCollision(ground);  // k = 0.2 at minimum speed, factor 1
    EXPECT_NEAR(machine->GetLifeValue(), 90.0f, 1e-4f);
    EXPECT_NEAR(machine->GetInvulnerableTime(), 0.4f, 1e-6f);
    EXPECT_TRUE(machine->CanCollide(ground));
    EXPECT_TRUE(machine->CanCollide(block));
    EXPECT_FALSE(machine->CanCollide(enemy));
    EXPECT_FALSE(machine->CanCollide(lockable));

    // A block (solid and not hit by projectiles) never hurts.
    machine->SetInvulnerableTime(0.0f);
    machine->OnCollision(block);
    EXPECT_NEAR(machine->GetLifeValue(), 90.0f, 1e-4f);
}

TEST_F(PlayerDamage, DeathRecordsTheOverkillRatio) {
    struct Case {
        float attack, ratio;
    };
    // At maximum speed the damage is the attack power; life is 100.
    const Case cases[] = {{100.0f, 1.0f}, {150.0f, 0.5f}, {300.0f, 0.0f}, {99.0f, -1.0f}};
    for (const Case& c : cases) {
        Player* machine = NewPlayer(1.0f);
        machine->OnCollision(EnemyShot(c.attack));
        if (c.ratio < 0.0f) {
            EXPECT_FALSE(machine->IsDead());
            continue;
        }
        EXPECT_TRUE(machine->IsDead()) << c.attack;
        EXPECT_FLOAT_EQ(machine->GetLifeValue(), 0.0f);
        EXPECT_NEAR(machine->GetOverkillRatio(), c.ratio, 1e-5f) << c.attack;
    }
}

TEST_F(PlayerDamage, ZenkGaugeStaysInItsRangeAndShotHitsChargeByMode) {
    Player* machine = NewPlayer(0.0f);
    EXPECT_FLOAT_EQ(machine->GetZenkGauge(), 1.0f) << "full after reset";
    machine->AddZenkGauge(5.0f);
    EXPECT_FLOAT_EQ(machine->GetZenkGauge(), 1.0f);
    machine->AddZenkGauge(-5.0f);
    EXPECT_FLOAT_EQ(machine->GetZenkGauge(), 0.0f);

    struct Case {
        const char* type;
        bool zenk;
        bool charges;
    };
    const Case cases[] = {{"gun", false, true}, {"gun", true, false}, {"mis", false, false},
                          {"mis", true, true},  {"none", false, false}, {"none", true, false}};
    for (const Case& c : cases) {
        machine = NewPlayer(0.0f);
        if (c.zenk) machine->StartZenkMode();
        machine->AddZenkGauge(-0.5f);
        const float before = machine->GetZenkGauge();
        machine->OnShotHit(Make<Shot>(c.type));
        // At speed rate 0 a charging hit adds 0.15 %.
        EXPECT_NEAR(machine->GetZenkGauge() - before, c.charges ? 0.0015f : 0.0f, 1e-6f) << c.type << c.zenk;
    }
}

TEST_F(PlayerDamage, ZenkModeNeedsAFullGaugeAndPaysTheSetsCost) {
    Player* machine = NewPlayer();
    machine->AddZenkGauge(-0.05f);
    machine->StartZenkMode();
    EXPECT_FALSE(machine->IsZenkActive());
    machine->AddZenkGauge(1.0f);
    machine->StartZenkMode();
    EXPECT_TRUE(machine->IsZenkActive());
    EXPECT_EQ(machine->GetMode(), PlayerModeZenk);
    EXPECT_NEAR(machine->GetZenkGauge(), 0.9f, 1e-6f);
    machine->EndZenkMode();
    EXPECT_FALSE(machine->IsZenkActive());
    EXPECT_EQ(machine->GetMode(), PlayerModeNormal);
}

TEST_F(PlayerDamage, HeavyDrainStaysFiniteWithAZeroFrameTime) {
    g_pEnvironment2->fighter = 2;
    Quorvex::g_pEnvironment->SetFrameTime(0.0f);
    Player* machine = NewPlayer();
    EXPECT_EQ(machine->GetShotSetKind(), 2);
    EXPECT_TRUE(std::isfinite(machine->GetZenkRecord().drain));
    EXPECT_GT(machine->GetZenkRecord().drain, 1000.0f) << "still empties the gauge in the first held frame";
    EXPECT_FLOAT_EQ(machine->GetZenkRecord().startCost, 0.0f);
}

}  // namespace
}  // namespace player_test
