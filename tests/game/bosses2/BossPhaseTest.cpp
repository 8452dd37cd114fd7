// The stage-3 and stage-4 bosses: the next-phase rules with the lives and
// limits of each phase, the hit immunity after a phase change, the countdown
// the HUD reads, the stage's skip request at the end of a fight part, and a
// few fire steps against their counts and angles.
#include <cmath>
#include <iterator>
#include <vector>

#include "engine/core/Environment.h"
#include "game/enemy/types/Enemy_Gralle.h"
#include "game/enemy/types/Enemy_Pentra.h"
#include "game/player/weapons/Bullet_Nuke.h"
#include "game/player/weapons/Bullet_Razer.h"
#include "game/support/BossTestSupport.h"

namespace enemy_test {
namespace {

class Bosses2 : public BossStage {
protected:
    void SetUp() override {
        BossStage::SetUp();
        // The stage the flare and the nuke aura draw in.
        over = new Quorvex::RenderStage();
        over->AddRef();
        over->Initialize(manager, "Sprite3DOver", 20000);
        manager->AddRenderStage(over);
    }
    void TearDown() override {
        BossStage::TearDown();
        over->Release();
    }

    Quorvex::RenderStage* over = nullptr;
};

TEST_F(Bosses2, LaunchEntersTheEntryPathAsTheCurrentBoss) {
    Enemy_Pentra* pentra = NewBoss<Enemy_Pentra>();
    EXPECT_EQ(pentra->phase, 1);
    EXPECT_EQ(pentra->GetLifeValue(), 5000.0f);
    EXPECT_EQ(g_pEnvironment2->currentBoss, pentra);
    EXPECT_TRUE(pentra->CheckGroupFlag(GroupSweptAtPhaseChange));

    Enemy_Gralle* gralle = NewBoss<Enemy_Gralle>();
    EXPECT_EQ(gralle->phase, 1);
    EXPECT_EQ(gralle->GetLifeValue(), 6000.0f);
    EXPECT_EQ(g_pEnvironment2->currentBoss, gralle);
    EXPECT_FALSE(gralle->CheckGroupFlag(GroupSweptAtPhaseChange)) << "phase changes do not sweep this boss";

    pentra->Vanish();
    EXPECT_EQ(g_pEnvironment2->currentBoss, gralle) << "only the boss it names is cleared";
    gralle->Vanish();
    EXPECT_EQ(g_pEnvironment2->currentBoss, nullptr);
    EXPECT_EQ(gralle->GetLifeValue(), -1.0f);
}

// The phase a fight phase ends in (by a kill or by its time limit, the same
// road), the life and limit that follow, the award and the skip request.
TEST_F(Bosses2, PentraNextPhaseRule) {
    struct Case {
        int ended;
        bool byTimeout;
        int next;
        float life;
        float limit;
        int skips;
    };
    const Case cases[] = {
        {3, false, 4, 10000.0f, 120.0f, 0}, {4, true, 5, 5000.0f, 90.0f, 0},  {5, false, 6, 10000.0f, 120.0f, 0},
        {6, false, 2, 5000.0f, -1.0f, 1},   {6, true, 2, 5000.0f, -1.0f, 1},  {3, true, 4, 10000.0f, 120.0f, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "phase " << c.ended << (c.byTimeout ? " timed out" : " killed"));
        scene.skips = 0;
        game->enemiesShotDown = 0;
        Enemy_Pentra* boss = NewBoss<Enemy_Pentra>();
        boss->SetPhase(c.ended);
        EXPECT_FALSE(boss->phaseCallback.empty());
        if (c.byTimeout) {
            boss->phaseClock = boss->phaseLimit;
            boss->Update(kFrame);
        } else {
            boss->hitGuard = 0.0f;
            Kill(boss);
            Kill(boss);  // another contact point of the same hit
        }
        EXPECT_EQ(boss->phase, c.next);
        EXPECT_EQ(boss->GetLifeValue(), c.life);
        EXPECT_EQ(boss->phaseLimit, c.limit);
        EXPECT_EQ(game->enemiesShotDown, 1) << "each phase end awards once";
        EXPECT_EQ(scene.skips, c.skips);
        EXPECT_EQ(boss->phaseCallback.empty(), c.next == 2);
        boss->Vanish();
    }
}

TEST_F(Bosses2, PentraHoversWithoutFireUntilSentOff) {
    Enemy_Pentra* boss = NewBoss<Enemy_Pentra>();
    for (int n : {1, 2, 11}) {
        boss->SetPhase(n);
        boss->hitGuard = 0.0f;
        Kill(boss);
        EXPECT_EQ(boss->phase, n) << "ending an untimed phase does nothing";
        EXPECT_TRUE(boss->phaseCallback.empty());
    }
    EXPECT_EQ(game->enemiesShotDown, 0);
    Run(boss, 20.0f);
    EXPECT_TRUE(boss->IsRemoveRequested()) << "the fly-off path ends in a vanish";
    EXPECT_EQ(g_pEnvironment2->currentBoss, nullptr);
}

TEST_F(Bosses2, GralleNextPhaseRule) {
    struct Case {
        int ended;
        bool byTimeout;
        int next;
        float life;
        float limit;
        int awards;
        int skips;
    };
    const Case cases[] = {
        {3, false, 4, 15000.0f, 120.0f, 1, 0}, {4, true, 2, 1000.0f, -1.0f, 1, 1},
        {5, false, 6, 1000.0f, 9.0f, 1, 0},    {6, true, 5, 2500.0f, 60.0f, 1, 0},
        {7, false, 8, 2000.0f, 30.0f, 1, 0},   {8, true, 9, 7000.0f, 30.0f, 1, 0},
        {9, false, 2, 1000.0f, -1.0f, 1, 1},   {2, false, 2, 0.0f, -1.0f, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "phase " << c.ended << (c.byTimeout ? " timed out" : " killed"));
        scene.skips = 0;
        game->enemiesShotDown = 0;
        Enemy_Gralle* boss = NewBoss<Enemy_Gralle>();
        boss->SetPhase(c.ended);
        if (c.byTimeout) {
            boss->phaseClock = boss->phaseLimit;
            boss->Update(kFrame);
        } else {
            boss->hitGuard = 0.0f;
            Kill(boss);
            Kill(boss);
        }
        EXPECT_EQ(boss->phase, c.next);
        EXPECT_EQ(boss->GetLifeValue(), c.life);
        EXPECT_FLOAT_EQ(boss->phaseLimit, c.limit);
        EXPECT_EQ(game->enemiesShotDown, c.awards);
        EXPECT_EQ(scene.skips, c.skips);
        boss->Vanish();
    }
}

TEST_F(Bosses2, GralleRestPhaseShortensWithTheLevel) {
    for (const auto& [level, limit] : {std::pair{0.0f, 9.0f}, {0.5f, 6.0f}, {1.0f, 3.0f}}) {
        Enemy_Gralle* boss = NewBoss<Enemy_Gralle>(level);
        boss->SetPhase(6);
        EXPECT_FLOAT_EQ(boss->phaseLimit, limit) << "level " << level;
        boss->Vanish();
    }
}

TEST_F(Bosses2, HitsAreIgnoredForOneAndAHalfSecondsAfterAPhaseChange) {
    Enemy_Pentra* pentra = NewBoss<Enemy_Pentra>();
    Enemy_Gralle* gralle = NewBoss<Enemy_Gralle>();
    pentra->SetPhase(3);
    gralle->SetPhase(3);
    for (Enemy* boss : made) {
        Hit(boss, 100.0f);
        EXPECT_EQ(boss->GetLifeValue(), boss == pentra ? 5000.0f : 6000.0f);
    }
    Run(pentra, 1.4f);
    Run(gralle, 1.4f);
    Hit(pentra, 100.0f);
    EXPECT_EQ(pentra->GetLifeValue(), 5000.0f) << "still guarded";
    Run(pentra, 0.2f);
    Run(gralle, 0.2f);
    for (Enemy* boss : made) {
        Held<TestShot> enemyShot(new TestShot(manager, 100.0f, false));
        boss->OnCollision(enemyShot.get());
        boss->OnCollision(nullptr);
        Hit(boss, 100.0f);
        EXPECT_EQ(boss->GetLifeValue(), boss == pentra ? 4900.0f : 5900.0f) << "only the player's shot counts";
    }
}

TEST_F(Bosses2, CountdownIsPublishedEveryFrame) {
    Enemy_Gralle* boss = NewBoss<Enemy_Gralle>();
    boss->Update(kFrame);
    EXPECT_EQ(g_pEnvironment2->bossTimeLimit, 0.0f) << "an untimed phase shows no countdown";
    boss->SetPhase(3);
    EXPECT_EQ(g_pEnvironment2->bossTimeLimit, -1.0f);
    boss->Update(0.5f);
    EXPECT_FLOAT_EQ(g_pEnvironment2->bossTimeLimit, 30.0f);
    boss->Update(0.5f);
    EXPECT_FLOAT_EQ(g_pEnvironment2->bossTimeLimit, 29.5f);
    boss->phaseClock = 40.0f;
    boss->Update(kFrame);
    EXPECT_EQ(boss->phase, 4) << "the time-out ends the phase";
    EXPECT_EQ(g_pEnvironment2->bossTimeLimit, -1.0f);
}

// The spell's aimed fan: 3 shots 10 degrees apart at level 0, 5 shots 6
// degrees apart at level 1, pointing back along -z.
TEST_F(Bosses2, PentraSpellFanByLevel) {
    struct Case {
        float level;
        size_t shots;
        float spread;
    };
    for (const Case& c : {Case{0.0f, 3, 10.0f}, Case{1.0f, 5, 6.0f}}) {
        SCOPED_TRACE(::testing::Message() << "level " << c.level);
        shots->log.records.clear();
        Enemy_Pentra* boss = NewBoss<Enemy_Pentra>(c.level);
        EnemyEx::ShotParam1 state;
        state.Reset(c.level);
        state.clock = 3.0f;  // a sway of sin(2 pi) = 0
        boss->FireSpellAimed(0.01f, state);
        ASSERT_EQ(shots->log.records.size(), c.shots);
        float yaws[5] = {};
        for (size_t i = 0; i < c.shots; ++i) {
            const D3DXVECTOR3 a = Quorvex::DirectionToAngles(Forward(shots->log.records[i].orientation));
            yaws[i] = std::fmod(a.y / kDeg + 360.0f, 360.0f);
            EXPECT_FLOAT_EQ(shots->log.records[i].speed, 1.0f);
        }
        EXPECT_NEAR(yaws[c.shots - 1] - yaws[0], c.spread * (c.shots - 1), 1.1f);
        EXPECT_NEAR((yaws[0] + yaws[c.shots - 1]) * 0.5f, 180.0f, 0.6f) << "centred on -z";
        EXPECT_FLOAT_EQ(state.timer, 0.05f);
        boss->Vanish();
    }
}

TEST_F(Bosses2, PentraLaserRowAppearsOncePerBoss) {
    Enemy_Pentra* boss = NewBoss<Enemy_Pentra>();
    boss->SetPhase(6);
    Run(boss, 0.9f);
    EXPECT_TRUE(boss->attacks.empty());
    Run(boss, 0.2f);
    EXPECT_EQ(boss->attacks.size(), 7u);
    boss->SetPhase(5);
    EXPECT_TRUE(boss->attacks.empty()) << "a phase change clears the row";
    boss->SetPhase(6);
    Run(boss, 2.0f);
    EXPECT_TRUE(boss->attacks.empty());
    EXPECT_EQ(boss->laserCount, 1);
}

// The first spell's rain: at level 1, 5 rings of 4 held drops per volley,
// each flying by its ring offset (300 back, 100 out) as its own velocity and
// steered forward at 100 units/s while the player flies at its slowest; a
// drop that ends early leaves the set, and a drop let go keeps flying.
TEST_F(Bosses2, PentraRainDropsAreHeldSteeredAndFlyOnWhenLetGo) {
    // A shot flies by the environment's frame time.
    struct FrameClock {
        FrameClock() { Quorvex::SetupWorldExtents(); }
        ~FrameClock() { SAFE_RELEASE(Quorvex::g_pEnvironment); }
    } clock;
    ASSERT_NE(Quorvex::g_pEnvironment, nullptr);
    generator->SetPool(EnemyGenerator_Derive::PoolRazer,
                       new EnemyBulletFactory<Bullet_Razer>(manager, nullptr, generator, 2000));
    Player::Flight& flight = player->GetFlight();
    flight.speed = flight.minSpeed;
    Enemy_Pentra* boss = NewBoss<Enemy_Pentra>(1.0f);
    EnemyEx::ShotParam1 state;
    state.Reset(1.0f);
    state.clock = 2.96f;
    boss->FireRainRings(0.05f, state);
    EXPECT_TRUE(boss->heldBullets.bullets.empty()) << "nothing before 3 s";
    boss->FireRainRings(0.05f, state);
    ASSERT_EQ(boss->heldBullets.bullets.size(), 20u);
    EXPECT_FLOAT_EQ(boss->heldBullets.timer, 0.05f);

    Bullet_Razer* drop = *boss->heldBullets.bullets.begin();
    const D3DXVECTOR3 velocity = drop->GetVelocity();
    EXPECT_NEAR(velocity.z, -300.0f, 0.01f);
    EXPECT_NEAR(std::hypot(velocity.x, velocity.y), 100.0f, 0.01f);
    Quorvex::AreaPos before = drop->GetAreaPos();
    boss->FireRainRings(0.01f, state);
    const D3DXVECTOR3 steered = Quorvex::AreaPos::Difference(drop->GetAreaPos(), before);
    EXPECT_NEAR(D3DXVec3Length(&steered), 1.0f, 0.01f) << "100 units/s along its facing";

    Bullet_Razer* ended = *std::next(boss->heldBullets.bullets.begin());
    ended->AddRef();
    ended->ReturnToFactory();
    EXPECT_EQ(boss->heldBullets.bullets.count(ended), 0u) << "an ended drop leaves the set";
    EXPECT_TRUE(ended->returnCallback.empty());
    ended->Release();

    std::vector<Bullet_Razer*> held(boss->heldBullets.bullets.begin(), boss->heldBullets.bullets.end());
    for (Bullet_Razer* bullet : held) bullet->AddRef();
    boss->heldBullets.Clear();
    const float frame = 0.02f;
    Quorvex::g_pEnvironment->SetFrameTime(frame);
    before = drop->GetAreaPos();
    drop->Update(frame);
    const D3DXVECTOR3 flown = Quorvex::AreaPos::Difference(drop->GetAreaPos(), before) - velocity * frame;
    EXPECT_LT(D3DXVec3Length(&flown), 0.01f) << "let go, a drop flies on by its own velocity";
    for (Bullet_Razer* bullet : held) {
        EXPECT_TRUE(bullet->returnCallback.empty());
        bullet->Release();
    }
}

// 32 shots per volley, a volley every 0.05 s once the clock passed 1 s.
TEST_F(Bosses2, GralleRingVolleyCounts) {
    Enemy_Gralle* boss = NewBoss<Enemy_Gralle>();
    EnemyEx::ShotParam1 state;
    state.Reset(0.0f);
    boss->FireRingVolley(0.5f, state);
    EXPECT_TRUE(shots->log.records.empty());
    state.clock = 1.0f;
    boss->FireRingVolley(0.01f, state);
    EXPECT_EQ(shots->log.records.size(), 32u);
    for (int i = 0; i < 4; ++i) boss->FireRingVolley(0.01f, state);
    EXPECT_EQ(shots->log.records.size(), 32u);
    boss->FireRingVolley(0.01f, state);
    EXPECT_EQ(shots->log.records.size(), 64u);
    EXPECT_EQ(state.counter, 2);
    for (const ShotSpawnParam& shot : shots->log.records) EXPECT_FLOAT_EQ(shot.speed, 2.0f);
}

TEST_F(Bosses2, GralleSpellNukesEndAtThePhaseChange) {
    Enemy_Gralle* boss = NewBoss<Enemy_Gralle>(1.0f);
    boss->SetPhase(7);
    Run(boss, 3.2f);
    ASSERT_FALSE(boss->heldNukes.nukes.empty()) << "the second spell keeps its scattered nukes";
    std::vector<Bullet_Nuke*> held;
    for (auto& entry : boss->heldNukes.nukes) {
        entry.first->AddRef();
        held.push_back(entry.first);
    }
    EXPECT_FALSE(boss->heldEffects.empty()) << "each nuke brings its aura";
    // One second after leaving, a nuke turns on the player: 942 units/s at
    // level 1, more the faster the player flies; it bursts 5 s later.
    const float speed = 942.0f * (1.0f + 0.25f * std::max(player->GetSpeedRate(), 0.0f));
    int turned = 0;
    for (auto& [nuke, state] : boss->heldNukes.nukes) {
        if (!state.launched) continue;
        ++turned;
        EXPECT_GE(state.heldTime, 1.0f);
        EXPECT_NEAR(D3DXVec3Length(&nuke->GetVelocity()), speed, 0.5f);
    }
    EXPECT_GT(turned, 0);
    boss->SetPhase(8);
    EXPECT_TRUE(boss->heldNukes.nukes.empty());
    for (Bullet_Nuke* nuke : held) {
        EXPECT_TRUE(nuke->IsRemoveRequested());
        EXPECT_TRUE(nuke->endCallback.empty());
        nuke->Release();
    }
}

// The third spell at level 1: after the first second the flare charges for
// 5 s, then one spell nuke leaves, the flare goes out and the boss takes no
// hits for 4 s.
TEST_F(Bosses2, GralleThirdSpellChargesThenLaunches) {
    Enemy_Gralle* boss = NewBoss<Enemy_Gralle>(1.0f);
    boss->SetPhase(9);
    Run(boss, 1.1f);
    EXPECT_TRUE(boss->flare.active);
    const float early = boss->flare.charge;
    Run(boss, 3.0f);
    EXPECT_GT(boss->flare.charge, early + 0.5f);
    EXPECT_FALSE(boss->flare.sprites.empty());
    Run(boss, 2.0f);
    EXPECT_FALSE(boss->flare.active);
    EXPECT_GT(boss->hitGuard, 3.0f);
    EXPECT_GT(boss->spellClock, 9.0f) << "the next charge waits 2 P (10 s)";
    const float life = boss->GetLifeValue();
    Hit(boss, 100.0f);
    EXPECT_EQ(boss->GetLifeValue(), life);
}

}  // namespace
}  // namespace enemy_test
