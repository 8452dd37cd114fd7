// The magic missile's speed, lead and turn, and the volcano's eruption.
#include "game/rays/RaysTestSupport.h"

namespace rays_test {
namespace {

class MagicMissiles : public RayStage {
protected:
    Bullet_Missile2* Launch(Object3D* aimAt, float size = 0.0f, float factor = 1.0f) {
        Bullet_Missile2::SetParam record;
        record.orientation = Identity();
        record.size = size;
        record.target = aimAt;
        record.speedFactor = factor;
        record.objectManager = manager;
        return Take<Bullet_Missile2>(missiles, &record);
    }
    Held<Player> NewTarget(const D3DXVECTOR3& at) {
        return Held<Player>(new Player(nullptr, nullptr, Quorvex::AreaPos::FromWorld(at)));
    }
    void SetSpeedRate(float rate) {
        Player::Flight& flight = player->GetFlight();
        flight.speed = flight.minSpeed + rate * (flight.maxSpeed - flight.minSpeed);
    }
};

TEST_F(MagicMissiles, SpeedGrowsWithSizeFactorAndThePlayersSpeed) {
    struct Case {
        float size, factor, rate, speed, turnRate;
    };
    const Case cases[] = {{0.0f, 1.0f, 0.0f, 628.0f, 50.0f},
                          {0.0f, 1.0f, 1.0f, 942.0f, 50.0f},
                          {2.0f, 0.5f, 0.0f, 785.0f, 150.0f},
                          {0.0f, 1.0f, -1.0f, 628.0f, 50.0f}};
    for (const Case& c : cases) {
        SetSpeedRate(c.rate);
        Bullet_Missile2* missile = Launch(nullptr, c.size, c.factor);
        ASSERT_NE(missile, nullptr);
        EXPECT_NEAR(missile->GetSpeed(), c.speed, 1e-2f) << c.size << " " << c.rate;
        EXPECT_EQ(missile->GetTurnRate(), c.turnRate);
        EXPECT_EQ(missile->GetAttackPower(), 15.0f);
        EXPECT_TRUE(missile->CheckGroupFlag(GroupEnemySide));
        missile->ReturnToFactory();
    }
}

TEST_F(MagicMissiles, ItAimsWhereAMovingTargetWillBe) {
    Held<Player> target = NewTarget(D3DXVECTOR3(0, 0, 1000));
    Bullet_Missile2* missile = Launch(target.get());
    // The target crossed 30 units to the right in the last 0.1 s.
    missile->TrackTarget(D3DXVECTOR3(-30, 0, 1000), 0.1f);
    missile->TrackTarget(D3DXVECTOR3(0, 0, 1000), 0.1f);
    EXPECT_NEAR(missile->GetTargetVelocity().x, 300.0f, 1e-2f);
    missile->Steer(0.1f);  // a full turn at this step
    // Closing at 628 (its motion is across the line), so it meets it in
    // 1000 / 628 s, 300 x that to the right.
    D3DXVECTOR3 expected(300.0f * 1000.0f / 628.0f, 0.0f, 1000.0f);
    D3DXVec3Normalize(&expected, &expected);
    const D3DXVECTOR3 forward = enemy_test::Forward(missile->GetOrientation());
    EXPECT_NEAR(D3DXVec3Dot(&forward, &expected), 1.0f, 1e-5f);
}

TEST_F(MagicMissiles, ItTurnsBySlerpWithinItsRate) {
    Held<Player> target = NewTarget(D3DXVECTOR3(1000, 0, 0));
    Bullet_Missile2* missile = Launch(target.get());
    // 90 degrees off: s = 50 x dt / ((0 + 1) x 0.5) = 0.1 of the way.
    missile->Steer(0.001f);
    const D3DXVECTOR3 forward = enemy_test::Forward(missile->GetOrientation());
    EXPECT_NEAR(std::atan2(forward.x, forward.z), 0.1f * D3DX_PI / 2.0f, 1e-4f);
    EXPECT_NEAR(At(missile).z, 0.628f * std::cos(0.1f * D3DX_PI / 2.0f), 1e-3f);
}

TEST_F(MagicMissiles, AStationaryTargetIsMetExactlyAndOneBehindIsLostForGood) {
    Held<Player> ahead = NewTarget(D3DXVECTOR3(0, 0, 100));
    Bullet_Missile2* missile = Launch(ahead.get());
    missile->Update(0.5f);  // 314 units of flight, only 100 to go
    EXPECT_NEAR(At(missile).z, 100.0f, 1e-3f);
    EXPECT_NEAR(At(missile).x, 0.0f, 1e-3f);
    missile->ReturnToFactory();

    // 107 degrees off: a small step turns it only 0.14 of the way, so the
    // target stays behind.
    Held<Player> behind = NewTarget(D3DXVECTOR3(1000, 0, -300));
    missile = Launch(behind.get());
    missile->Update(0.001f);
    EXPECT_EQ(missile->GetTarget(), nullptr);
    const D3DXQUATERNION heading = missile->GetOrientation();
    for (int i = 0; i < 10; ++i) missile->Update(0.1f);
    EXPECT_EQ(missile->GetOrientation(), heading) << "straight on without a target";
    EXPECT_FALSE(missile->IsRemoveRequested());
    for (int i = 0; i < 31 && !missile->IsRemoveRequested(); ++i) missile->Update(0.1f);
    EXPECT_TRUE(missile->IsRemoveRequested()) << "ends after 4 s";
    EXPECT_NEAR(missile->GetAge(), 4.0f, 0.11f);
}

TEST_F(MagicMissiles, AContactOnlyWithTheOtherSideEndsIt) {
    AddEffects();
    Bullet_Missile2* missile = Launch(nullptr);
    Held<enemy_test::TestShot> enemyShot(new enemy_test::TestShot(manager, 1.0f, false));
    missile->OnCollision(enemyShot.get());
    EXPECT_FALSE(missile->IsRemoveRequested());
    Held<enemy_test::TestShot> playerShot(new enemy_test::TestShot(manager, 1.0f, true));
    missile->OnCollision(playerShot.get());
    missile->OnCollision(playerShot.get());
    EXPECT_TRUE(missile->IsRemoveRequested());
    EXPECT_EQ(effects->GetLiveCount(EffectObject::KindExplosion), 1) << "one explosion for two contact points";
    EXPECT_EQ(missiles->GetFreeCount(), 1);
}

TEST_F(MagicMissiles, ItDropsASparkEveryFiveUnitsOfFlight) {
    AddEffects();
    Bullet_Missile2* missile = Launch(nullptr);  // 628 units per second, straight
    missile->Update(3.0f / 628.0f);
    EXPECT_EQ(missile->GetTrailCount(), 0u) << "3 units carried";
    missile->Update(3.0f / 628.0f);
    EXPECT_EQ(missile->GetTrailCount(), 1u) << "6 units with the carry";
    missile->Update(20.0f / 628.0f);
    EXPECT_EQ(missile->GetTrailCount(), 5u);
    missile->ReturnToFactory();
    EXPECT_EQ(missile->GetTrailCount(), 0u) << "the sparks play on without it";
}

class Volcanoes : public RayStage {
protected:
    Bullet_Volcano* Launch(const D3DXVECTOR3& velocity = D3DXVECTOR3(0, 0, 0)) {
        Bullet_Volcano::SetParam record;
        record.vector = velocity;
        record.objectManager = manager;
        return Take<Bullet_Volcano>(volcanoes, &record);
    }
};

TEST_F(Volcanoes, TheDomeSwellsAndFadesOverTwoSeconds) {
    Bullet_Volcano* volcano = Launch(D3DXVECTOR3(10, 0, 0));
    ASSERT_NE(volcano, nullptr);
    EXPECT_EQ(volcano->GetAttackPower(), 50.0f);
    EXPECT_EQ(volcano->GetScale(), D3DXVECTOR3(1, 1, 1));
    volcano->Update(1.0f);
    EXPECT_EQ(volcano->GetProgress(), 0.5f);
    EXPECT_EQ(volcano->GetScale(), D3DXVECTOR3(500, 500, 750));
    EXPECT_EQ(volcano->GetAlpha(), 0.5f);
    EXPECT_NEAR(At(volcano).x, 10.0f, 1e-4f) << "it drifts with its velocity";
    volcano->Update(0.9f);
    EXPECT_FALSE(volcano->IsRemoveRequested());
    volcano->Update(0.2f);
    EXPECT_TRUE(volcano->IsRemoveRequested()) << "ends past progress 1";
    EXPECT_EQ(volcanoes->GetFreeCount(), 1);
}

TEST_F(Volcanoes, ALaunchExplodesOnceAndThrowsAtMostTenSprites) {
    AddEffects();
    Bullet_Volcano* volcano = Launch();
    EXPECT_EQ(effects->GetLiveCount(EffectObject::KindExplosion), 1);
    const size_t launched = volcano->GetLavaCount();
    EXPECT_LE(launched, 10u);
    EXPECT_GT(launched, 0u);
    volcano->Update(0.1f);
    EXPECT_LE(volcano->GetLavaCount(), launched + 1);
    EXPECT_EQ(effects->GetLiveCount(EffectObject::KindExplosion), 1);

    // Past its end it throws nothing more and lets its sprites go.
    volcano->Update(2.0f);
    EXPECT_TRUE(volcano->IsRemoveRequested());
    EXPECT_EQ(volcano->GetLavaCount(), 0u);
}

}  // namespace
}  // namespace rays_test
