// The razer and ring shots: launch speed and lifetime, the end of a flight at
// its age, and consumption by a hit.
#include "game/enemy/EnemyTestSupport.h"
#include "game/player/weapons/Bullet_Razer.h"
#include "game/player/weapons/Bullet_Ring.h"

namespace enemy_test {
namespace {

class StraightShots : public EnemyStage {
protected:
    void SetUp() override {
        EnemyStage::SetUp();
        razers = new EnemyBulletFactory<Bullet_Razer>(manager, nullptr, generator, 2000);
        generator->SetPool(EnemyGenerator_Derive::PoolRazer, razers);
        rings = new EnemyBulletFactory<Bullet_Ring>(manager, nullptr, generator, 1000);
        generator->SetPool(EnemyGenerator_Derive::PoolRing, rings);
    }

    void SetSpeedRate(float rate) {
        Player::Flight& flight = player->GetFlight();
        flight.speed = flight.minSpeed + rate * (flight.maxSpeed - flight.minSpeed);
    }

    // A razer as the fire steps launch it: from the origin along +z.
    Bullet_Razer* LaunchRazer(float power, float size = 0.0f) {
        ShotSpawnParam record;
        MakeShotSpawnParam(Quorvex::AreaPos(), D3DXQUATERNION(0, 0, 0, 1), record, nullptr, D3DXVECTOR3(0, 0, 0),
                           size, manager, power, 1);
        auto* shot = dynamic_cast<Bullet_Razer*>(razers->AcquireProduct(&record));
        if (shot) shot->Release();
        return shot;
    }

    Bullet_Ring* LaunchRing() {
        Bullet_Ring::SetParam record = Bullet_Ring::MakeParam(Quorvex::AreaPos(), D3DXQUATERNION(0, 0, 0, 1),
                                                              nullptr, D3DXVECTOR3(0, 0, 0), 0.0f, manager, 1.0f);
        auto* shot = dynamic_cast<Bullet_Ring*>(rings->AcquireProduct(&record));
        if (shot) shot->Release();
        return shot;
    }

    EnemyBulletFactory<Bullet_Razer>* razers = nullptr;  // held by the generator
    EnemyBulletFactory<Bullet_Ring>* rings = nullptr;
};

TEST_F(StraightShots, SpeedGrowsWithSizePowerAndThePlayersSpeed) {
    struct Case {
        float size, power, rate, speed;
    };
    const Case cases[] = {
        {0.0f, 1.0f, 0.0f, 314.0f}, {0.0f, 1.0f, 1.0f, 471.0f}, {2.0f, 1.0f, 0.0f, 628.0f},
        {0.0f, 0.5f, 0.0f, 157.0f}, {0.0f, 1.0f, -0.5f, 314.0f},  // below minimum speed counts as 0
    };
    for (const Case& c : cases) {
        SetSpeedRate(c.rate);
        Bullet_Razer* razer = LaunchRazer(c.power, c.size);
        ASSERT_NE(razer, nullptr);
        EXPECT_NEAR(D3DXVec3Length(&razer->GetVelocity()), c.speed, 0.01f) << c.size << " " << c.power << " " << c.rate;
        EXPECT_NEAR(razer->GetVelocity().z, c.speed, 0.01f) << "flies along its orientation";
        EXPECT_TRUE(razer->CheckGroupFlag(GroupEnemySide));
        EXPECT_FALSE(razer->CheckGroupFlag(GroupPlayerSide));
        EXPECT_EQ(razer->GetAttackPower(), 15.0f);
    }
    SetSpeedRate(1.0f);
    Bullet_Ring* ring = LaunchRing();
    ASSERT_NE(ring, nullptr);
    EXPECT_NEAR(ring->GetSpeed(), 471.0f, 0.01f);
    EXPECT_TRUE(ring->CheckGroupFlag(GroupEnemySide));
}

TEST_F(StraightShots, ARazerReturnsToItsPoolAtItsLifetime) {
    struct Case {
        float power, lifetime;
    };
    const Case cases[] = {{1.0f, 5.0f}, {5.0f, 0.2f}, {6.0f, 0.0f}, {9.0f, 0.0f}};
    for (const Case& c : cases) {
        EXPECT_NEAR(Bullet_Razer::Lifetime(c.power), c.lifetime, 1e-5f) << c.power;
    }

    int returned = 0;
    Bullet_Razer* razer = LaunchRazer(5.0f);
    razer->returnCallback = [&](Bullet_Razer*) { ++returned; };
    razer->Update(0.1f);
    EXPECT_FALSE(razer->IsRemoveRequested()) << "0.1 s of 0.2";
    EXPECT_EQ(razers->GetInUseCount(), 1);
    razer->Update(0.1f);
    EXPECT_TRUE(razer->IsRemoveRequested());
    EXPECT_EQ(razers->GetInUseCount(), 0);
    EXPECT_EQ(razers->GetFreeCount(), 1);
    EXPECT_EQ(returned, 1);

    // A shot of power 6 has no life at all and returns in its first update;
    // it is the same object again, its clock reset.
    Bullet_Razer* again = LaunchRazer(6.0f);
    EXPECT_EQ(again, razer);
    EXPECT_EQ(again->GetElapsed(), 0.0f);
    EXPECT_FALSE(again->IsRemoveRequested());
    again->Update(1.0f / 60.0f);
    EXPECT_TRUE(again->IsRemoveRequested());
    EXPECT_EQ(returned, 2) << "the callback survives a launch";
}

TEST_F(StraightShots, ARingLivesFourSeconds) {
    Bullet_Ring* ring = LaunchRing();
    ring->Update(2.0f);
    ring->Update(2.0f);
    EXPECT_FALSE(ring->IsRemoveRequested()) << "ends only after 4 s";
    ring->Update(0.01f);
    EXPECT_TRUE(ring->IsRemoveRequested());
    EXPECT_EQ(rings->GetFreeCount(), 1);
}

TEST_F(StraightShots, AHitOnTheOtherSideExplodesOnceAndConsumesTheShot) {
    AddEffects();
    Bullet_Razer* razer = LaunchRazer(1.0f);
    Bullet_Ring* ring = LaunchRing();
    Held<TestShot> ownSide(new TestShot(manager, 1.0f, false));
    razer->OnCollision(ownSide.get());
    ring->OnCollision(nullptr);
    EXPECT_FALSE(razer->IsRemoveRequested());
    EXPECT_FALSE(ring->IsRemoveRequested());
    EXPECT_EQ(effects->GetLiveCount(EffectObject::KindExplosion), 0);

    // Something of the other side; contacts come once per contact point.
    Held<TestShot> otherSide(new TestShot(manager, 1.0f, true));
    razer->OnCollision(otherSide.get());
    razer->OnCollision(otherSide.get());
    ring->OnCollision(otherSide.get());
    EXPECT_TRUE(razer->IsRemoveRequested());
    EXPECT_TRUE(ring->IsRemoveRequested());
    EXPECT_EQ(effects->GetLiveCount(EffectObject::KindExplosion), 2) << "one per shot";
    EXPECT_EQ(razers->GetFreeCount(), 1);
    EXPECT_EQ(rings->GetFreeCount(), 1);
}

}  // namespace
}  // namespace enemy_test
