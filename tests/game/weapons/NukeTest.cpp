// The nuclear blast: speeds and powers per kind, the Heavy nuke's contact
// detonation and hit cap, and the Zenk blast that burns every enemy.
#include "WeaponsTestSupport.h"
#include "engine/core/Utility.h"
#include "game/player/weapons/Bullet_Nuke.h"

namespace weapons_test {
namespace {

class Nukes : public NukeFixture {
protected:
    Bullet_Nuke* Fire(int kind, int side, float detonationTime,
                      const D3DXQUATERNION& ahead = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f)) {
        return FireNuke(kind, side, detonationTime, 1.0f, ahead);
    }
};

TEST_F(Nukes, SpeedAndPowerFollowTheKind) {
    struct Case {
        int kind;
        float size, speedRate, speed, power;
    };
    const Case cases[] = {
        {Bullet_Nuke::KindHeavy, 1.0f, 1.0f, 1884.0f, 200.0f},  {Bullet_Nuke::KindZenk, 1.0f, 1.0f, 1256.0f, 0.0f},
        {Bullet_Nuke::KindBoss, 0.0f, 0.0f, 314.0f, 55.0f},     {Bullet_Nuke::KindBoss, 0.0f, 1.0f, 392.5f, 55.0f},
        {Bullet_Nuke::KindReidan, 1.0f, -1.0f, 471.0f, 55.0f}, {Bullet_Nuke::KindSpell, 0.0f, 0.0f, 314.0f, 200000.0f},
    };
    for (const Case& c : cases) {
        EXPECT_FLOAT_EQ(Bullet_Nuke::LaunchSpeed(c.kind, c.size, 1.0f, c.speedRate), c.speed) << c.kind;
        EXPECT_FLOAT_EQ(Bullet_Nuke::FlightPower(c.kind), c.power) << c.kind;
    }
}

// A launched nuke flies along its launch orientation at its kind's speed;
// the machine at top speed adds a quarter to every kind but Heavy and Zenk.
TEST_F(Nukes, ALaunchedNukeFliesAlongItsOrientationAtItsKindsSpeed) {
    g_pEnvironment2->SetPlayer(NewPlayer(1.0f));
    D3DXQUATERNION turned;
    D3DXQuaternionRotationYawPitchRoll(&turned, D3DX_PI / 2.0f, -0.5f, 0.0f);
    const D3DXVECTOR3 along = Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, 1.0f), turned);
    ASSERT_GT(along.x, 0.8f);
    ASSERT_GT(along.y, 0.4f);
    struct Case {
        int kind;
        float speed;
    };
    const Case cases[] = {{Bullet_Nuke::KindHeavy, 1884.0f},
                          {Bullet_Nuke::KindZenk, 1256.0f},
                          {Bullet_Nuke::KindBoss, 1.5f * 314.0f * 1.25f},
                          {Bullet_Nuke::KindSpell, 1.5f * 314.0f * 1.25f}};
    for (const Case& c : cases) {
        Bullet_Nuke* nuke = Fire(c.kind, 0, 1.0f, turned);
        ASSERT_NE(nuke, nullptr);
        const D3DXVECTOR3 off = nuke->GetVelocity() - along * c.speed;
        EXPECT_LT(D3DXVec3Length(&off), 0.01f) << c.kind;
    }
    g_pEnvironment2->SetPlayer(nullptr);
}

TEST_F(Nukes, BlastsBurnAtTheirKindsRateUntilTheyEnd) {
    Effects();
    struct Case {
        int kind;
        float blastTime;
        int particles;
    };
    // About 50 over the Heavy blast's 0.5 s, 40 over the boss blast's 2 s.
    for (const Case& c : {Case{Bullet_Nuke::KindHeavy, 0.5f, 50}, Case{Bullet_Nuke::KindBoss, 2.0f, 40}}) {
        Bullet_Nuke* nuke = Fire(c.kind, c.kind == Bullet_Nuke::KindHeavy ? 1 : 0, 0.0f);
        ASSERT_NE(nuke, nullptr);
        nuke->Update(kDt);
        ASSERT_TRUE(nuke->IsDetonated()) << "a detonation time of 0 goes off at once";
        EXPECT_EQ(nuke->GetBlastParticleCount(), 0u);
        size_t burnt = 0;
        int frames = 0;
        while (!nuke->IsRemoveRequested() && frames < 1000) {
            burnt = nuke->GetBlastParticleCount();
            nuke->Update(kDt);
            ++frames;
        }
        EXPECT_NEAR(frames * kDt, c.blastTime, 2.0f * kDt) << c.kind;
        // Paid from the time gathered before each frame: a little short of the full count.
        EXPECT_NEAR(static_cast<int>(burnt), c.particles, c.particles / 10) << c.kind;
        EXPECT_LE(static_cast<int>(burnt), c.particles) << c.kind;
        EXPECT_EQ(nuke->GetParticleCount(), 0u) << "the particles are let go at the end";
    }
}

TEST_F(Nukes, HeavyNukeDetonatesOnContactGivesItsLockBackOnceAndStopsHurtingAtFifteen) {
    NewGenerator();
    EnemyEx* enemy = NewEnemy(D3DXVECTOR3(0, 0, 500), 300.0f);
    EnemyEx* other = NewEnemy(D3DXVECTOR3(0, 0, 600), 300.0f);
    ASSERT_EQ(generator->AttachMarker(enemy, 200.0f, MarkerTypeLock), 0);
    Marker* marker = LockOn(enemy);
    Bullet_Nuke* nuke = Fire(Bullet_Nuke::KindHeavy, 1, 1.5f);
    ASSERT_NE(nuke, nullptr);
    nuke->SetLinks(enemy, marker);
    EXPECT_TRUE(nuke->CheckGroupFlag(GroupPlayerSide) && !nuke->CheckGroupFlag(GroupEnemySide));
    for (int i = 0; i < 18; ++i) nuke->Update(kDt);
    ASSERT_FALSE(nuke->IsDetonated());

    nuke->OnCollision(enemy);
    EXPECT_TRUE(nuke->IsDetonated()) << "at once on contact";
    EXPECT_FLOAT_EQ(nuke->GetAttackPower(), 200.0f);
    EXPECT_NEAR(nuke->GetBlastEnd() - nuke->GetAge(), 0.5f, 1e-5f);
    EXPECT_FLOAT_EQ(*enemy->GetGauge(), 200.0f) << "a hit on its own target gives back the top-up of 100";
    // The same marker now locks another enemy: later contacts leave it be.
    ASSERT_EQ(generator->AttachMarker(other, 100.0f, MarkerTypeLock), 0);
    ASSERT_EQ(LockOn(other), marker);
    for (int contact = 2; contact <= 15; ++contact) {
        EXPECT_FLOAT_EQ(nuke->GetAttackPower(), 200.0f) << contact;
        nuke->OnCollision(enemy);
    }
    EXPECT_FLOAT_EQ(nuke->GetAttackPower(), 0.0f) << "no damage from the 15th contact on";
    EXPECT_EQ(LockOn(other), marker);
    EXPECT_FLOAT_EQ(*other->GetGauge(), 200.0f);

    int frames = 0;
    while (!nuke->IsRemoveRequested() && frames < 100) {
        nuke->Update(kDt);
        ++frames;
    }
    EXPECT_NEAR(frames * kDt, 0.5f, 2.0f * kDt) << "a half-second blast";
    EXPECT_EQ(pool->GetFreeCount(), 1) << "back in its pool";
    EXPECT_FALSE(nuke->HasLight());
}

TEST_F(Nukes, ZenkBlastStandsAheadOfThePlayerAndBurnsEveryEnemyForFourSeconds) {
    g_pEnvironment2->SetPlayer(NewPlayer());
    EnemyEx* far = NewEnemy(D3DXVECTOR3(5000, 0, 9000), 300.0f);
    // First an enemy's nuke; then the same pooled object as the player's.
    Bullet_Nuke* enemyNuke = Fire(Bullet_Nuke::KindBoss, 0, 100.0f);
    enemyNuke->OnCollision(enemyNuke);
    Bullet_Nuke* nuke = Fire(Bullet_Nuke::KindZenk, 1, 1.5f);
    ASSERT_EQ(nuke, enemyNuke);
    EXPECT_FALSE(nuke->CheckGroupFlag(GroupEnemySide)) << "no side left over from the enemy's use";
    EXPECT_EQ(nuke->GetRigidBody(), nullptr) << "hurts nothing by contact while it flies";
    int frames = 0;
    while (!nuke->IsDetonated() && frames < 200) {
        nuke->Update(kDt);
        ++frames;
    }
    ASSERT_TRUE(nuke->IsDetonated());
    EXPECT_NEAR(frames * kDt, 1.5f, 2.0f * kDt);
    const D3DXVECTOR3 ahead = AreaPos::Difference(nuke->GetAreaPos(), player->GetAreaPos());
    EXPECT_NEAR(ahead.x, 0.0f, 1e-3f);
    EXPECT_NEAR(ahead.z, 200.0f, 1e-3f);

    nuke->Update(kDt);  // the first blast frame
    EXPECT_FALSE(nuke->IsRemoveRequested());
    EXPECT_NEAR(*far->GetLife(), 250.0f, 1e-3f) << "3000 per second wherever the enemy is";
    int blastFrames = 1;
    while (!nuke->IsRemoveRequested() && blastFrames < 400) {
        nuke->Update(kDt);
        ++blastFrames;
    }
    EXPECT_NEAR(blastFrames * kDt, 4.0f, 2.0f * kDt);
    EXPECT_FLOAT_EQ(*far->GetLife(), 0.0f);
    g_pEnvironment2->SetPlayer(nullptr);
}

}  // namespace
}  // namespace weapons_test
