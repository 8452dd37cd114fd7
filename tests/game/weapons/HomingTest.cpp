// The homing missile and the amulet: homing, the fall-back without a target,
// and what one hit does.
#include "WeaponsTestSupport.h"
#include "game/player/ShotSet.h"
#include "game/player/weapons/Amulet.h"
#include "game/player/weapons/Missile.h"

namespace weapons_test {
namespace {

class Homing : public WeaponsFixture {
protected:
    Missile* Launch(Character* target, Marker* marker = nullptr, bool amulet = false) {
        Missile* missile = amulet ? static_cast<Missile*>(Make<Amulet>(AreaPos())) : Make<Missile>(AreaPos());
        Missile::InitParam record;
        record.owner = player;
        record.target = target;
        record.marker = marker;
        EXPECT_EQ(missile->Initialize(record), 0);
        missile->SetSide(true);
        return missile;
    }
};

TEST_F(Homing, MissileReachesATarget100UnitsAwayInEightFramesWithoutPassingIt) {
    EnemyEx* enemy = NewEnemy(D3DXVECTOR3(30, 40, 86.6025f), 100.0f);  // 100 units away
    Missile* missile = Launch(enemy);
    EXPECT_STREQ(missile->GetTypeName(), "mis");
    EXPECT_FLOAT_EQ(missile->GetAttackPower(), 100.0f);
    int frames = 0;
    float left = 100.0f;
    while (left > 1e-3f && frames < 20) {
        missile->Home();
        ++frames;
        const D3DXVECTOR3 d = AreaPos::Difference(enemy->GetAreaPos(), missile->GetAreaPos());
        const float now = D3DXVec3Length(&d);
        EXPECT_LE(now, left) << "never past the target";
        left = now;
    }
    EXPECT_EQ(frames, 8);
}

TEST_F(Homing, WithoutATargetItFliesStraightAndEndsAfterOneAndAHalfSeconds) {
    NewGenerator();
    EnemyEx* enemy = NewEnemy(D3DXVECTOR3(0, 0, 2000), 300.0f);
    ASSERT_EQ(generator->AttachMarker(enemy, 100.0f, MarkerTypeLock), 0);
    Marker* marker = LockOn(enemy);
    const int inUse = generator->GetInUseCount();
    Missile* missile = Launch(enemy, marker);

    int frames = 0;
    for (; frames < 30; ++frames) missile->Update(kDt);  // 0.5 s with the target
    enemy->SetLife(0.0f);
    const D3DXQUATERNION heading = missile->GetOrientation();
    while (!missile->IsRemoveRequested() && frames < 600) {
        missile->Update(kDt);
        ++frames;
    }
    EXPECT_EQ(missile->GetTarget(), nullptr);
    EXPECT_NEAR(frames * kDt, 1.5f, 2.0f * kDt) << "the short fuse without a target";
    EXPECT_FLOAT_EQ(D3DXQuaternionDot(&heading, &missile->GetOrientation()), 1.0f) << "kept its last heading";
    EXPECT_EQ(generator->GetInUseCount(), inUse - 1) << "its marker went back to the pool";
}

TEST_F(Homing, OneHitEndsItOnceRefundsStockOnceAndProjectilesAreIgnored) {
    NewPlayer();
    g_pEnvironment2->SetPlayer(player);
    auto* set = static_cast<ShotSet_Common*>(player->GetShotSet());
    set->stock = 10.0f;
    EnemyEx* enemy = NewEnemy(D3DXVECTOR3(0, 0, 300), 300.0f);
    Missile* missile = Launch(enemy);

    player_test::Shot* shot = EnemyShot(1.0f);
    missile->OnCollision(shot);
    EXPECT_FALSE(missile->IsRemoveRequested()) << "projectiles never stop it";
    missile->OnCollision(enemy);
    missile->OnCollision(enemy);  // a second contact point of the same step
    EXPECT_TRUE(missile->IsRemoveRequested());
    EXPECT_FLOAT_EQ(set->stock, 10.125f);

    Missile* amulet = Launch(enemy, nullptr, true);
    EXPECT_FLOAT_EQ(amulet->GetAttackPower(), 200.0f);
    EXPECT_STREQ(amulet->GetTypeName(), "mis");
    g_pEnvironment2->SetPlayer(nullptr);
}

TEST_F(Homing, AmuletTrailTravelsWithItAndForgetsParticlesThatEnd) {
    Effects();
    EnemyEx* enemy = NewEnemy(D3DXVECTOR3(0, 0, 3000), 300.0f);
    auto* amulet = static_cast<Amulet*>(Launch(enemy, nullptr, true));
    for (int i = 0; i < 10; ++i) amulet->Update(kDt);
    EXPECT_GE(amulet->GetTrailParticleCount(), 10u) << "a puff every 10 units";
    // Out of the world it makes no more puffs; those it made end at 0.8 s, and
    // each one leaves the amulet's set as it ends.
    amulet->RequestRemove(true);
    for (int i = 0; i < 60; ++i) DrawEffects(kDt);
    EXPECT_EQ(amulet->GetTrailParticleCount(), 0u);
}

}  // namespace
}  // namespace weapons_test
