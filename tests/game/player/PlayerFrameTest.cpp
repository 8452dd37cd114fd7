// The machine frame by frame under keys: gun cadence per shot set, cruise,
// the Zenk trigger and its screen effect, the bank animation, the ray pool
// and the death sequence up to the respawn.
#include "PlayerTestSupport.h"
#include "game/app/GameManager.h"
#include "game/play/SceneAction.h"
#include "game/player/Gun.h"
#include "game/player/GunFactory.h"
#include "game/player/ShotSet.h"
#include "game/player/weapons/Bullet_Ray4.h"

namespace player_test {
namespace {

class PlayerFrames : public PlayerInputFixture {
protected:
    GunFactory* Guns() const { return dynamic_cast<ShotSet_Common*>(player->GetShotSet())->gunPool; }
};

TEST_F(PlayerFrames, HeldShot2FiresAtEachSetsCadence) {
    struct Case {
        int fighter, bulletsInHalfASecond;
    };
    // Normal every other frame, Heavy every third, Toska six needles every third.
    for (const Case& c : {Case{1, 15}, Case{2, 10}, Case{3, 60}}) {
        Machine(c.fighter);
        Keys({kShot2});
        Frames(30);
        EXPECT_EQ(Guns()->GetInUseCount(), c.bulletsInHalfASecond) << c.fighter;
        Keys({kShot2}, false);
        Frames(1);
        EXPECT_EQ(player->GetGunHeat(), 0.0f) << "the gun heats only when held in Zenk mode";
    }
}

TEST_F(PlayerFrames, ABulletLivesHalfASecondAndFliesItsSpeed) {
    Player* machine = Machine(1);
    Keys({kShot2});
    Frames(1);
    Keys({kShot2}, false);
    ASSERT_EQ(Guns()->GetInUseCount(), 1);
    Gun* bullet = nullptr;
    Guns()->ForEachInUse([&](Quorvex::IFactoryProduct* product) { bullet = dynamic_cast<Gun*>(product); });
    ASSERT_NE(bullet, nullptr);
    EXPECT_STREQ(bullet->GetTypeName(), "gun");
    EXPECT_FLOAT_EQ(bullet->GetAttackPower(), 20.0f);
    EXPECT_TRUE(bullet->CheckGroupFlag(GroupPlayerSide) && !bullet->CheckGroupFlag(GroupEnemySide));
    const AreaPos start = machine->GetAreaPos();
    float lastAge = 0.0f;
    while (Guns()->GetInUseCount() == 1) {
        lastAge = bullet->GetAge();
        const D3DXVECTOR3 flown = AreaPos::Difference(bullet->GetAreaPos(), start);
        EXPECT_NEAR(D3DXVec3Length(&flown), 3140.0f * lastAge, 0.5f);
        Frames(1);
    }
    EXPECT_LE(lastAge, 0.5f + 1e-4f);
    EXPECT_GT(lastAge, 0.5f - kDt - 1e-4f) << "a bullet flies about 1570 units";
    EXPECT_EQ(Guns()->GetFreeCount(), 1) << "back in the pool";
}

TEST_F(PlayerFrames, CruiseKeepsTheMachineInvulnerableAndSilent) {
    Player* machine = Machine(1);
    machine->SetTalkFlag(1);
    Keys({kShot2});
    Frames(120);
    EXPECT_EQ(Guns()->GetInUseCount(), 0);
    EXPECT_GE(machine->GetInvulnerableTime(), 1.0f - kDt);
    EXPECT_NEAR(machine->GetSpeedRate(), 0.4f, 0.01f) << "cruise speed";
}

TEST_F(PlayerFrames, ZenkModeStartsOnTheTripleHoldAndEndsOnRelease) {
    Player* machine = Machine(1);
    Keys({kAccel, kBrake, kShot1});
    Frames(1);
    EXPECT_TRUE(machine->IsZenkActive());
    EXPECT_EQ(machine->GetMode(), PlayerModeZenk);
    EXPECT_NEAR(machine->GetZenkGauge(), 0.9f, 1e-5f) << "the start cost";
    Frames(30);
    EXPECT_LT(machine->GetZenkGauge(), 0.9f) << "drains while held";
    const float drained = machine->GetZenkGauge();
    Keys({kBrake}, false);
    Frames(1);
    EXPECT_FALSE(machine->IsZenkActive());
    EXPECT_EQ(machine->GetMode(), PlayerModeNormal);
    EXPECT_GE(machine->GetZenkGauge(), drained) << "no drain once ended";
}

// The stage scene the Zenk mode writes its time scale and screen effect to.
class EffectScene : public SceneAction {
public:
    void SetMusicVolume(float) override {}
    Quorvex::SoundUnit* GetMusic() override { return nullptr; }
};

TEST_F(PlayerFrames, ZenkModeDeepensTheScreenEffectOverItsRampAndEndRestoresIt) {
    EffectScene scene;
    g_pEnvironment2->actionScene = &scene;
    Player* machine = Machine(1);
    Keys({kAccel, kBrake, kShot1});
    Frames(1);
    EXPECT_TRUE(machine->IsZenkActive());
    struct Case {
        int frames;  // after the start frame
        float timeScale, intensity;
    };
    // The n-th frame after the start reads elapsed (n - 1) frame times. The
    // time ramp ends at 0.25 s, the effect's at 0.25 / 0.7 s.
    const Case cases[] = {
        {1, 1.0f, 1.0f},       // elapsed 0
        {7, 0.88f, 0.7888f},   // elapsed 0.1: s 0.88, effect ramp 0.2841 s
        {19, 0.7f, 0.496f},    // elapsed 0.3: past the time ramp, not the effect's
        {39, 0.7f, 0.4f},      // elapsed 0.633: both done
    };
    int done = 0;
    for (const Case& c : cases) {
        Frames(c.frames - done);
        done = c.frames;
        EXPECT_NEAR(scene.GetTimeScale(), c.timeScale, 1e-4f) << c.frames;
        EXPECT_NEAR(scene.GetScreenEffectIntensity(), c.intensity, 1e-4f) << c.frames;
    }
    float color[4];
    EXPECT_TRUE(SceneAction::ScreenEffectColor(scene.GetScreenEffectIntensity(), color) && color[3] > 0.0f)
        << "the deepened effect is drawn";

    scene.SetSecondaryEffect(true);
    Keys({kShot1}, false);
    Frames(1);
    EXPECT_FALSE(machine->IsZenkActive());
    EXPECT_FLOAT_EQ(scene.GetTimeScale(), 1.0f);
    EXPECT_FLOAT_EQ(scene.GetScreenEffectIntensity(), 1.0f);
    EXPECT_FALSE(scene.IsSecondaryEffectOn());
    EXPECT_FALSE(SceneAction::ScreenEffectColor(scene.GetScreenEffectIntensity(), color))
        << "the plain picture needs no layer";
    g_pEnvironment2->actionScene = nullptr;
}

TEST_F(PlayerFrames, BankStateRunsItsCycleWithoutAnAnimationController) {
    constexpr int kLockMarkLeft = 30, kLockMarkRight = 32;
    struct Case {
        int key, entering, holding, leaving;
    };
    // Each fade runs 2.0 per second: half a second per step.
    for (const Case& c : {Case{kLockMarkRight, 2, 3, 4}, Case{kLockMarkLeft, 5, 6, 7}}) {
        Player* machine = Machine(1);
        ASSERT_EQ(machine->GetBankState(), 1);
        Keys({c.key});
        Frames(1);
        EXPECT_EQ(machine->GetBankState(), c.entering);
        Frames(35);
        EXPECT_EQ(machine->GetBankState(), c.holding) << "the entering fade ends";
        Keys({c.key}, false);
        Frames(1);
        EXPECT_EQ(machine->GetBankState(), c.leaving);
        Frames(35);
        EXPECT_EQ(machine->GetBankState(), 1) << "back to neutral";
    }
}

// The machine's own ray pool hands out its rays, and a ray keeps its place
// relative to the flying machine frame after frame.
TEST_F(LoadedModels, TheMachinesRayPoolHandsOutRaysThatFollowIt) {
    auto* machine = new Player(models, areas, AreaPos());
    machine->AddRef();
    ASSERT_EQ(machine->Initialize(Player::InitParam()), 0);
    machine->SetInvulnerableTime(0.0f);
    Player::Flight& flight = machine->GetFlight();
    flight.speed = flight.maxSpeed;
    Bullet_Ray4Factory* pool = machine->GetRay4Factory();
    ASSERT_NE(pool, nullptr);
    models->Update(kDt);
    Bullet_Ray4::SetParam record;
    record.side = 1;
    record.start = machine->GetAreaPos().Translated(D3DXVECTOR3(0.0f, -5.0f, 20.0f));
    record.length = 3500.0f;
    record.width = 50.0f;
    record.objectManager = models;
    Quorvex::IFactoryProduct* product = pool->AcquireProduct(&record);
    auto* ray = dynamic_cast<Bullet_Ray4*>(product);
    ASSERT_NE(ray, nullptr);
    EXPECT_EQ(pool->GetInUseCount(), 1);
    const AreaPos start = machine->GetAreaPos();
    const D3DXVECTOR3 offset = AreaPos::Difference(ray->GetAreaPos(), start);
    for (int frame = 0; frame < 60; ++frame) {
        models->Update(kDt);
        areas->Update(kDt);
    }
    const D3DXVECTOR3 flown = AreaPos::Difference(machine->GetAreaPos(), start);
    const D3DXVECTOR3 kept = AreaPos::Difference(ray->GetAreaPos(), machine->GetAreaPos()) - offset;
    const float perFrame = D3DXVec3Length(&flown) / 60.0f;
    EXPECT_GT(perFrame, 1.0f) << "the machine flies";
    EXPECT_LE(D3DXVec3Length(&kept), perFrame + 1e-3f) << "the ray rides along, at most a frame behind";
    product->Release();
    g_pEnvironment2->SetPlayer(nullptr);
    machine->RequestRemove(true);
    machine->Release();
}

TEST_F(PlayerFrames, GunHeatsOnlyWhenHeldInZenkModeAndCoolsAfterwards) {
    Player* machine = Machine(1);
    Keys({kAccel, kBrake, kShot1, kShot2});
    Frames(60);
    ASSERT_TRUE(machine->IsZenkActive());
    EXPECT_EQ(Guns()->GetInUseCount(), 0) << "the gun is silent in Zenk mode";
    EXPECT_NEAR(machine->GetGunHeat(), 1.0f / 3.0f, 1e-4f) << "a third per second, from the start frame on";
    Keys({kAccel, kBrake, kShot1}, false);
    Frames(1);
    EXPECT_FALSE(machine->IsZenkActive());
    EXPECT_GT(Guns()->GetInUseCount(), 0) << "held in normal mode, the cool gun fires";
    EXPECT_LT(machine->GetGunHeat(), 1.0f / 3.0f);
    Keys({kShot2}, false);
    Frames(45);
    EXPECT_FLOAT_EQ(machine->GetGunHeat(), 0.0f) << "two thirds per second down";
}

TEST_F(PlayerFrames, SpeedScoreIsAddedEveryFightingFrame) {
    GameManager game(nullptr, nullptr);
    g_pEnvironment2->gameManager = &game;
    Player* machine = Machine(1);
    machine->GetFlight().speed = machine->GetMaxSpeed();
    Frames(10);
    EXPECT_EQ(game.stageScore, 2560);
    EXPECT_EQ(game.totalScore, 2560);
    machine->SetTalkFlag(1);
    Frames(10);
    EXPECT_EQ(game.totalScore, 2560) << "nothing while cruising";
    g_pEnvironment2->gameManager = nullptr;
}

TEST_F(PlayerFrames, ADeadMachineExplodesAndRespawnsEvenWithoutExplosions) {
    Player* machine = Machine(1);
    Shot* shot = EnemyShot(500.0f);
    machine->OnCollision(shot);
    ASSERT_TRUE(machine->IsDead());
    Frames(10);
    EXPECT_TRUE(machine->IsDead());
    EXPECT_EQ(machine->GetMode(), PlayerModeDead);
    Frames(90);
    EXPECT_FALSE(machine->IsDead()) << "respawned after the sequence";
    EXPECT_FLOAT_EQ(machine->GetLifeValue(), 100.0f);
    EXPECT_GT(machine->GetInvulnerableTime(), 1.0f);
    EXPECT_TRUE(machine->CheckGroupFlag(GroupPlayerSide));
}

}  // namespace
}  // namespace player_test
