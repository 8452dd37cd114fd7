// The machine in a fight: its death up to the continue request, the gun's
// overheat lockout, regeneration and the passive Zenk fill, and what a gun
// bullet does to what it touches.
#include "../weapons/WeaponsTestSupport.h"
#include "game/app/GameManager.h"
#include "game/player/Gun.h"
#include "game/player/GunFactory.h"
#include "game/player/ShotSet.h"

namespace weapons_test {
namespace {

using player_test::Flag;
using player_test::kAccel;
using player_test::kBrake;
using player_test::kShot1;
using player_test::kShot2;
using player_test::Thing;

class MachineFight : public WeaponsFixture {
protected:
    void TearDown() override {
        g_pEnvironment2->gameManager = nullptr;
        g_pEnvironment2->SetPlayer(nullptr);
        WeaponsFixture::TearDown();
    }

    GunFactory* Guns() const { return dynamic_cast<ShotSet_Common*>(player->GetShotSet())->gunPool; }
    int Explosions() const { return effects->GetLiveCount(EffectObject::KindExplosion); }
};

TEST_F(MachineFight, DeathPlaysItsExplosionsThenAsksForTheContinueOnceAtTwoPointThreeSeconds) {
    struct Case {
        float attack;  // at full speed the loss is the attack power; life is 100
        int smallExplosions;
    };
    // Exactly 0 life: overkill ratio 1, 30 explosions; far past 0: a single one.
    for (const Case& c : {Case{100.0f, 30}, Case{300.0f, 1}}) {
        Effects();
        GameManager game(nullptr, nullptr);
        g_pEnvironment2->gameManager = &game;
        Player* machine = NewPlayer(1.0f);
        machine->OnCollision(EnemyShot(c.attack));
        ASSERT_TRUE(machine->IsDead());

        int frames = 0;
        while (machine->GetDeathState() != 2 && frames < 400) {
            machine->Update(kDt);
            ++frames;
        }
        ASSERT_EQ(machine->GetDeathState(), 2) << c.attack;
        EXPECT_EQ(Explosions(), c.smallExplosions) << c.attack;
        EXPECT_NEAR(frames * kDt, 0.1f * c.smallExplosions, 2.5f * kDt) << "one every 0.1 s";
        EXPECT_FLOAT_EQ(D3DXVec3Length(&machine->GetVelocity()), 0.0f) << "stopped after the last one";

        // The big explosion (size 40) lives 1.5 s; the wait is that + 1 s, and
        // the continue is asked for once 2.3 s of it remain.
        machine->Update(kDt);
        EXPECT_EQ(Explosions(), c.smallExplosions + 1);
        int untilRequest = 0, untilRespawn = 0;
        while (machine->IsDead() && untilRespawn < 400) {
            machine->Update(kDt);
            ++untilRespawn;
            game.RunPendingRequests();
            if (game.continuesLeft == 10) ++untilRequest;
        }
        EXPECT_EQ(game.continuesLeft, 9) << "asked for once";
        EXPECT_NEAR(untilRequest * kDt, 0.2f, 1.5f * kDt);
        EXPECT_NEAR(untilRespawn * kDt, 2.5f, 4.0f * kDt);
        EXPECT_FALSE(machine->IsDead());
        EXPECT_FLOAT_EQ(machine->GetLifeValue(), 100.0f);
        g_pEnvironment2->gameManager = nullptr;
        g_pEnvironment2->effectGenerator = nullptr;
        effects->RequestRemove(true);
        effects->Release();
        effects = nullptr;
    }
}

TEST_F(MachineFight, AnOverheatedGunStaysSilentUntilItsHeatIsBackToZero) {
    Player* machine = Machine(1);
    // Zenk mode held, its gauge topped up, for as long as the gun takes to overheat.
    Keys({kAccel, kBrake, kShot1, kShot2});
    int frames = 0;
    while (!machine->IsOverheated() && frames < 400) {
        machine->AddZenkGauge(1.0f);
        Frames(1);
        ++frames;
    }
    ASSERT_TRUE(machine->IsOverheated());
    EXPECT_NEAR(frames * kDt, 3.0f, 1.5f * kDt) << "a third of the heat per second";
    EXPECT_EQ(Guns()->GetInUseCount(), 0);

    // Back in normal mode with Shot2 still held: silent while the heat falls.
    Keys({kAccel, kBrake, kShot1}, false);
    int silent = 0;
    while (Guns()->GetInUseCount() == 0 && silent < 400) {
        Frames(1);
        ++silent;
        if (Guns()->GetInUseCount() == 0) {
            EXPECT_TRUE(machine->IsOverheated()) << silent;
        }
    }
    EXPECT_FALSE(machine->IsZenkActive());
    EXPECT_NEAR(silent * kDt, 1.5f, 1.5f * kDt) << "two thirds of the heat per second";
    EXPECT_FALSE(machine->IsOverheated());
    EXPECT_FLOAT_EQ(machine->GetGunHeat(), 0.0f);
}

TEST_F(MachineFight, RegenerationAndThePassiveZenkFillFollowTheSpeedRate) {
    struct Case {
        float speedRate;
        float lifePerSecond;  // of a maximum of 100
        float gaugePerSecond;
    };
    const Case cases[] = {
        {0.0f, 2.5f, 0.0f},      {0.2f, 2.5f, 0.00625f}, {0.5f, 1.75f, 0.025f},
        {0.8f, 1.0f, 0.04375f},  {1.0f, 1.0f, 0.05f},
    };
    for (const Case& c : cases) {
        Player* machine = NewPlayer(c.speedRate);
        const float speed = machine->GetSpeed();
        *machine->GetLife() = 50.0f;
        machine->AddZenkGauge(-0.5f);
        // Held at its speed: the flight model alone lets it drift a little.
        for (int frame = 0; frame < 60; ++frame) {
            machine->GetFlight().speed = speed;
            machine->Update(kDt);
        }
        EXPECT_NEAR(machine->GetLifeValue(), 50.0f + c.lifePerSecond, 1e-3f) << c.speedRate;
        EXPECT_NEAR(machine->GetZenkGauge(), 0.5f + c.gaugePerSecond, 1e-4f) << c.speedRate;
    }
    // Both stop at their maximum.
    Player* machine = NewPlayer(1.0f);
    *machine->GetLife() = 99.99f;
    machine->AddZenkGauge(-1e-6f);
    for (int frame = 0; frame < 60; ++frame) machine->Update(kDt);
    EXPECT_FLOAT_EQ(machine->GetLifeValue(), 100.0f);
    EXPECT_FLOAT_EQ(machine->GetZenkGauge(), 1.0f);
}

TEST_F(MachineFight, AGunBulletChargesTheGaugeOnAnEnemyEndsOnTerrainAndPassesProjectiles) {
    Effects();
    struct Case {
        const char* what;
        unsigned flags;
        bool ends;
        bool charges;
    };
    const Case cases[] = {
        {"enemy", Flag(GroupEnemySide), true, true},
        {"terrain", Flag(GroupSolid), true, false},
        {"enemy projectile", Flag(GroupProjectile) | Flag(GroupEnemySide), false, false},
    };
    for (const Case& c : cases) {
        Player* machine = Machine(1);
        machine->AddZenkGauge(-0.5f);
        Keys({kShot2});
        Frames(1);
        Keys({kShot2}, false);
        ASSERT_EQ(Guns()->GetInUseCount(), 1) << c.what;
        Gun* bullet = nullptr;
        Guns()->ForEachInUse([&](Quorvex::IFactoryProduct* product) { bullet = dynamic_cast<Gun*>(product); });
        ASSERT_NE(bullet, nullptr);
        const float gauge = machine->GetZenkGauge();
        const int explosions = Explosions();
        bullet->OnCollision(Make<Thing>(c.flags, 10.0f));
        EXPECT_EQ(Guns()->GetInUseCount(), c.ends ? 0 : 1) << c.what;
        EXPECT_EQ(Explosions() > explosions, c.ends) << c.what;
        // At half speed a charging hit adds 0.15 % + 0.5 x 0.85 %.
        ASSERT_NEAR(machine->GetSpeedRate(), 0.5f, 1e-4f);
        EXPECT_NEAR(machine->GetZenkGauge() - gauge, c.charges ? 0.00575f : 0.0f, 1e-6f) << c.what;
        Frames(40);
    }
}

}  // namespace
}  // namespace weapons_test
