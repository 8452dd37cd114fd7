// The bosses' attacks as the player meets them: what each step fires, how
// often, from where and in which direction, and the states that carry a
// fight from one phase to the next.
#include <cmath>
#include <set>
#include <vector>

#include "game/enemy/types/Enemy_Dweli.h"
#include "game/enemy/types/Enemy_Fesko.h"
#include "game/enemy/types/Enemy_Fighter2.h"
#include "game/enemy/types/Enemy_Fighter3.h"
#include "game/enemy/types/Enemy_Gralle.h"
#include "game/enemy/types/Enemy_Orsel.h"
#include "game/enemy/types/Enemy_Pentra.h"
#include "game/enemy/types/Enemy_ShotPoint.h"
#include "game/enemy/types/Enemy_Toska.h"
#include "game/player/weapons/Bullet_Ray.h"
#include "game/support/BossTestSupport.h"

namespace enemy_test {
namespace {

class BossFight : public BossStage {
protected:
    size_t Shots() const { return shots->log.records.size(); }
    const ShotSpawnParam& Shot(size_t i) const { return shots->log.records[i]; }
    // Yaw of a shot's flight in degrees, 0 along +z.
    float YawOf(size_t i) const {
        const D3DXVECTOR3 d = Forward(Shot(i).orientation);
        return std::atan2(d.x, d.z) / kDeg;
    }
    static D3DXVECTOR3 Offset(const Quorvex::AreaPos& at, const Enemy* from) {
        return Quorvex::AreaPos::Difference(at, from->GetAreaPos());
    }
    // A pooled enemy from its launch record 300 units before the origin.
    template <class T>
    T* LaunchPooled(float level, typename T::SetParam record = {}) {
        auto* enemy = Keep(new T(manager, nullptr, Quorvex::AreaPos(), generator, nullptr), level);
        record.position = At(-300.0f);
        record.manager = manager;
        EXPECT_EQ(enemy->ApplySetParam(&record), 0);
        return enemy;
    }
    int InUse(EnemyGenerator_Derive::PoolId id) const {
        Quorvex::FactoryAdapter* pool = generator->GetPool(id);
        return pool ? pool->GetInUseCount() : -1;
    }
};

// The sweeps fire k = trunc(3 + 2 l) shots per line; N1 mirrors its line in
// the second half of its 2n cycle, S1 fires both mirrored lines at once,
// 120 units to either side.
TEST_F(BossFight, FeskoSweepsFireTheirLinesByLevel) {
    struct Case {
        float level;
        size_t perLine;
        int n1Directions;
        float n1Interval, s1Interval;
    };
    const Case cases[] = {{0.0f, 3, 8, 0.2f, 0.2f}, {0.5f, 4, 11, 0.15f, 0.125f}, {1.0f, 5, 14, 0.1f, 0.05f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "level " << c.level);
        Enemy_Fesko* boss = NewBoss<Enemy_Fesko>(c.level);
        EnemyEx::ShotParam1 n1;
        n1.Reset(c.level);
        shots->log.records.clear();
        boss->RunPattern(Enemy_Fesko::PatternN1, c.n1Interval * 0.99f, &n1);
        EXPECT_EQ(Shots(), 0u) << "nothing before the interval";
        boss->RunPattern(Enemy_Fesko::PatternN1, c.n1Interval * 0.02f, &n1);
        ASSERT_EQ(Shots(), c.perLine);
        for (size_t s = 0; s < c.perLine; ++s) {
            EXPECT_FLOAT_EQ(Shot(s).speed, 0.5f);
            EXPECT_LT(Forward(Shot(s).orientation).z, 0.0f) << "around -z";
            const D3DXVECTOR3 at = Offset(Shot(s).position, boss);
            EXPECT_NEAR(D3DXVec3Length(&at), 0.0f, 1e-3f);
        }
        // n - 1 more volleys finish the first half; the next one is volley 0 mirrored.
        std::vector<D3DXVECTOR3> first;
        for (size_t s = 0; s < c.perLine; ++s) first.push_back(Forward(Shot(s).orientation));
        for (int v = 1; v <= c.n1Directions; ++v) boss->RunPattern(Enemy_Fesko::PatternN1, c.n1Interval, &n1);
        ASSERT_EQ(Shots(), c.perLine * (c.n1Directions + 1));
        for (size_t s = 0; s < c.perLine; ++s) {
            const D3DXVECTOR3 mirrored = Forward(Shot(c.perLine * c.n1Directions + s).orientation);
            EXPECT_GT(std::fabs(first[s].x), 1e-3f);
            EXPECT_NEAR(mirrored.x, -first[s].x, 1e-5f) << "shot " << s;
            EXPECT_NEAR(mirrored.y, first[s].y, 1e-5f) << "shot " << s;
        }

        EnemyEx::ShotParam1 s1;
        s1.Reset(c.level);
        shots->log.records.clear();
        boss->RunPattern(Enemy_Fesko::PatternS1, c.s1Interval * 1.01f, &s1);
        ASSERT_EQ(Shots(), 2 * c.perLine) << "two lines every volley";
        for (size_t s = 0; s < c.perLine; ++s) {
            const ShotSpawnParam& right = Shot(s);
            const ShotSpawnParam& left = Shot(c.perLine + s);
            EXPECT_NEAR(Offset(right.position, boss).x, 120.0f, 1e-3f);
            EXPECT_NEAR(Offset(left.position, boss).x, -120.0f, 1e-3f);
            const D3DXVECTOR3 a = Forward(right.orientation), b = Forward(left.orientation);
            EXPECT_NEAR(a.x, -b.x, 1e-5f) << "mirrored, shot " << s;
            EXPECT_NEAR(a.y, b.y, 1e-5f);
            EXPECT_FLOAT_EQ(right.speed, 0.8f);
        }
        boss->Vanish();
    }
}

// The wave volley: 12 columns of 2 over 90 degrees; the fan volley: 5 columns
// of 3 over 36 degrees; odd columns 0.2 faster.
TEST_F(BossFight, DweliWaveAndFanVolleys) {
    struct Case {
        bool wave;
        size_t shots, perColumn;
        float firstYaw, yawStep;
    };
    for (const Case& c : {Case{true, 24, 2, 135.0f, 7.5f}, Case{false, 15, 3, 157.5f, 9.0f}}) {
        SCOPED_TRACE(c.wave ? "wave" : "fan");
        Keep(new Enemy_Dweli(manager, nullptr, Quorvex::AreaPos(), generator), 0.0f);
        auto* boss = static_cast<Enemy_Dweli*>(made.back());
        boss->SetOrientation(Quorvex::YawPitchRollQuaternion(D3DX_PI, 0.0f, 0.0f));
        boss->Launch(At(-300.0f));
        EnemyEx::ShotParam1 state;
        state.Reset(0.0f);
        shots->log.records.clear();
        auto step = [&](float dt) { c.wave ? boss->FireWaveVolley(dt, &state) : boss->FireFanVolley(dt, &state); };
        step(0.49f);
        EXPECT_EQ(Shots(), 0u) << "one volley every 0.5 s at level 0";
        step(0.02f);
        ASSERT_EQ(Shots(), c.shots);
        for (size_t i = 0; i < c.shots; ++i) {
            const size_t column = i / c.perColumn, j = i % c.perColumn;
            float yaw = YawOf(i);
            if (yaw < 0.0f) yaw += 360.0f;
            EXPECT_NEAR(yaw, c.firstYaw + column * c.yawStep, 0.05f) << "shot " << i;
            EXPECT_NEAR(Shot(i).speed, 0.4f + 0.1f * j + (column % 2 ? 0.2f : 0.0f), 1e-5f) << "shot " << i;
        }
        step(0.5f);
        EXPECT_EQ(Shots(), 2 * c.shots);
        boss->Vanish();
    }
}

// Two rays open 60 degrees to either side of the aim, close in on it, and go;
// the next pair follows two waits later.
TEST_F(BossFight, DweliSweepRaysCloseInOnTheAimThenGo) {
    auto* boss = Keep(new Enemy_Dweli(manager, nullptr, Quorvex::AreaPos(), generator), 0.0f);
    boss->SetOrientation(Quorvex::YawPitchRollQuaternion(D3DX_PI, 0.0f, 0.0f));
    boss->Launch(At(-300.0f));
    EnemyEx::ShotParam1 state;
    state.Reset(0.0f);  // wait 1 s, warning 0.3 s, sweep over by 2.4 s
    auto apart = [&] {
        const D3DXVECTOR3 a = Forward(boss->rays[0]->ray->GetOrientation());
        const D3DXVECTOR3 b = Forward(boss->rays[1]->ray->GetOrientation());
        return std::acos(std::min(D3DXVec3Dot(&a, &b), 1.0f)) / kDeg;
    };
    auto run = [&](int frames) {
        for (int i = 0; i < frames; ++i) boss->FireSweepRays(0.01f, &state);
    };
    // The cycle clock is the state's rest field; each frame aims the rays
    // with the clock before it grows.
    auto runToCycle = [&](float cycle) {
        for (int i = 0; i < 1000 && state.rest < cycle; ++i) boss->FireSweepRays(0.01f, &state);
        return state.rest - 0.01f;
    };
    run(98);
    EXPECT_TRUE(boss->rays.empty());
    run(5);
    ASSERT_EQ(boss->rays.size(), 2u);
    ASSERT_TRUE(boss->rays[0]->ray && boss->rays[1]->ray);
    EXPECT_NEAR(apart(), 120.0f, 0.5f) << "warning: wide open";
    runToCycle(0.25f);
    EXPECT_NEAR(apart(), 120.0f, 0.5f);
    for (float target : {0.8f, 1.35f, 2.0f, 2.39f}) {
        const float cycle = runToCycle(target);
        const float f = std::min((cycle - 0.3f) / (2.4f - 0.3f), 1.0f);
        EXPECT_NEAR(apart(), 2.0f * (1.0f - f) * 60.0f, 0.5f) << "closing in at " << cycle;
    }
    runToCycle(2.4f);
    run(1);
    EXPECT_TRUE(boss->rays.empty()) << "let go at the end of the sweep";
    EXPECT_FLOAT_EQ(state.rest, 0.0f);
    run(195);
    EXPECT_TRUE(boss->rays.empty());
    run(10);
    EXPECT_EQ(boss->rays.size(), 2u) << "the next pair 2 s later";
    boss->Vanish();
    boss->DestroyRays();
}

// Pattern 11: after 2 s, five steps of 2 shots 0.05 s apart tilting from -15
// to +9 degrees, then a 0.75 s pause at level 0. Pattern 12: after 4 s,
// twelve steps of 3 shots, speeds growing along the sweep, then 3 s.
TEST_F(BossFight, EmitterSweepPatterns) {
    struct Case {
        int pattern;
        float pause;
        size_t perStep, steps;
        float rest;
    };
    for (const Case& c : {Case{11, 2.0f, 2, 5, 0.75f}, Case{12, 4.0f, 3, 12, 3.0f}}) {
        SCOPED_TRACE(::testing::Message() << "pattern " << c.pattern);
        Enemy_ShotPoint::SetParam facing;
        facing.orientation = Quorvex::YawPitchRollQuaternion(D3DX_PI, 0.0f, 0.0f);
        auto* point = LaunchPooled<Enemy_ShotPoint>(0.0f, facing);
        point->SetPattern(c.pattern);
        shots->log.records.clear();
        auto run = [&](float seconds) {
            for (int i = 0; i < static_cast<int>(std::lround(seconds / 0.01f)); ++i) point->Update(0.01f);
        };
        run(c.pause + 0.04f);
        EXPECT_EQ(Shots(), 0u) << "the first step comes 0.05 s after the pause";
        run(0.02f);
        EXPECT_EQ(Shots(), c.perStep);
        run(0.05f * (c.steps - 1));
        ASSERT_EQ(Shots(), c.perStep * c.steps);
        for (size_t i = 0; i < Shots(); ++i) {
            const size_t step = i / c.perStep, k = i % c.perStep;
            const float expected = c.pattern == 11 ? (k == 0 ? 0.7f : 0.9f) : 0.3f + 0.2f * k + 0.1f * step;
            EXPECT_NEAR(Shot(i).speed, expected, 1e-5f) << "shot " << i;
        }
        if (c.pattern == 11) {
            // Each step tilts 6 degrees further about the emitter's x axis.
            const float first = std::asin(Forward(Shot(0).orientation).y) / kDeg;
            const float last = std::asin(Forward(Shot(8).orientation).y) / kDeg;
            EXPECT_NEAR(std::fabs(last - first), 24.0f, 0.1f);
        }
        run(c.rest - 0.02f);
        EXPECT_EQ(Shots(), c.perStep * c.steps) << "the pause after a sweep";
        run(0.1f);
        EXPECT_GT(Shots(), c.perStep * c.steps) << "and the next sweep";
        point->Vanish();
    }
}

// Approach along the launcher's path, 15 s of in-range hover and fire, then
// the fixed exit path and back to the pool.
TEST_F(BossFight, Fighter3ApproachesHoversFifteenSecondsAndLeaves) {
    auto* fighter = LaunchPooled<Enemy_Fighter3>(1.0f);
    EXPECT_EQ(fighter->fighterState, Enemy_Fighter3::StateApproach);
    // The launcher's path: 200 units on toward the player at 250 units/s.
    const D3DXVECTOR3 path[2] = {D3DXVECTOR3(0.0f, 0.0f, -300.0f), D3DXVECTOR3(0.0f, 0.0f, -500.0f)};
    fighter->GetMoveParam()->SetPath(path, 2, 250.0f);
    float approached = 0.0f;
    size_t firedApproaching = 0;  // before the frame that reached the path's end
    while (fighter->fighterState == Enemy_Fighter3::StateApproach && approached < 20.0f) {
        firedApproaching = Shots();
        fighter->SetOrientation(Quorvex::YawPitchRollQuaternion(D3DX_PI, 0.0f, 0.0f));
        fighter->Update(kFrame);
        approached += kFrame;
    }
    ASSERT_EQ(fighter->fighterState, Enemy_Fighter3::StateHover) << "at the end of its path";
    EXPECT_EQ(firedApproaching, 0u) << "no fire on the way in";
    EXPECT_LT(fighter->GetWorldPosition().z, -450.0f);
    float hovered = 0.0f;
    while (fighter->fighterState == Enemy_Fighter3::StateHover && hovered < 20.0f) {
        fighter->SetOrientation(Quorvex::YawPitchRollQuaternion(D3DX_PI, 0.0f, 0.0f));
        fighter->Update(kFrame);
        hovered += kFrame;
    }
    EXPECT_NEAR(hovered, 15.0f, 2.5f * kFrame);
    EXPECT_GT(Shots(), 0u) << "fired while hovering";
    ASSERT_EQ(fighter->fighterState, Enemy_Fighter3::StateLeave);
    const size_t fired = Shots();
    float left = 0.0f;
    while (!fighter->IsRemoveRequested() && left < 60.0f) {
        fighter->Update(kFrame);
        left += kFrame;
    }
    EXPECT_TRUE(fighter->IsRemoveRequested()) << "gone at the end of the exit path";
    EXPECT_EQ(fighter->GetLifeValue(), -1.0f);
    EXPECT_EQ(Shots(), fired) << "no fire on the way out";
}

// While out of range the hover clock stands still.
TEST_F(BossFight, Fighter3HoverCountsOnlyInRangeTime) {
    auto* fighter = LaunchPooled<Enemy_Fighter3>(1.0f);
    fighter->AdvanceState();
    fighter->SetOrientation(Quorvex::YawPitchRollQuaternion(0.0f, 0.0f, 0.0f));  // facing away
    for (int frame = 0; frame < 20 * 60; ++frame) {
        fighter->SetOrientation(Quorvex::YawPitchRollQuaternion(0.0f, 0.0f, 0.0f));
        fighter->Update(kFrame);
    }
    EXPECT_EQ(fighter->fighterState, Enemy_Fighter3::StateHover);
    EXPECT_EQ(Shots(), 0u);
}

// The side speed picks the banking sets: entry, then held bank after a
// second; back to neutral through the return set.
TEST_F(BossFight, ToskaAnimationFollowsItsSideSpeed) {
    auto* boss = NewBoss<Enemy_Toska>();
    struct Step {
        float side;
        float seconds;
        int state;
    };
    const Step steps[] = {
        {0.0f, 0.1f, 1},    {100.0f, 0.1f, 5}, {100.0f, 1.0f, 6}, {0.0f, 0.1f, 7},  {0.0f, 1.0f, 1},
        {-100.0f, 0.1f, 2}, {-100.0f, 1.0f, 3}, {0.0f, 0.1f, 4},  {0.0f, 1.0f, 1},  {100.0f, 0.5f, 5},
        {-100.0f, 0.1f, 2},
    };
    int i = 0;
    for (const Step& s : steps) {
        boss->velocity = D3DXVECTOR3(s.side, 0.0f, 0.0f);
        for (float t = 0.0f; t < s.seconds - 1e-4f; t += 0.05f) boss->UpdateAnimation(0.05f);
        EXPECT_EQ(boss->animState, s.state) << "step " << i;
        ++i;
    }
}

// Phases 5 and 10 share one pattern state: phase 10 goes on where phase 5
// stopped.
TEST_F(BossFight, ToskaPhaseTenGoesOnWithPhaseFivesWave) {
    auto* boss = NewBoss<Enemy_Toska>();
    boss->SetPhase(5);
    Run(boss, 8.0f);
    ASSERT_GT(Shots(), 0u);
    ASSERT_GT(boss->waveClock, 0.0f);
    const float clock = boss->waveClock;
    const int volley = boss->waveVolley, group = boss->waveGroup;
    const float sideClock = boss->sideEmitters[0].clock;
    boss->SetPhase(7);
    boss->SetPhase(10);
    EXPECT_FLOAT_EQ(boss->waveClock, clock);
    EXPECT_EQ(boss->waveVolley, volley);
    EXPECT_EQ(boss->waveGroup, group);
    EXPECT_FLOAT_EQ(boss->sideEmitters[0].clock, sideClock);
    EXPECT_TRUE(boss->waveStarted && boss->sideStarted);
    Run(boss, 8.0f);
    EXPECT_GT(boss->waveClock, clock);
}

// A thrown doll fires at 0.5 s and explodes at 3.5 s; a cross doll ends at
// 10 s; both give their count back.
TEST_F(BossFight, OrselThrownAndCrossDollsLiveTheirTimesAndGiveTheirCountBack) {
    auto* boss = NewBoss<Enemy_Orsel>(1.0f);
    const D3DXQUATERNION ahead(0.0f, 0.0f, 0.0f, 1.0f);
    struct Case {
        bool cross;
        float fires;  // seconds; below 0: fires from the start
        float ends;
    };
    for (const Case& c : {Case{false, 0.5f, 3.5f}, Case{true, -1.0f, 10.0f}}) {
        SCOPED_TRACE(c.cross ? "cross" : "thrown");
        const int appeared = game->enemiesAppeared;
        const int explosions = effects->GetLiveCount(EffectObject::KindExplosion);
        Enemy_Fighter2* doll =
            c.cross ? boss->LaunchCrossDoll(boss->GetAreaPos(), ahead, D3DXVECTOR3(0.0f, 0.0f, -50.0f), 0.0f)
                    : boss->LaunchThrownDoll(boss->GetAreaPos(), ahead, D3DXVECTOR3(0.0f, 0.0f, -1.0f));
        ASSERT_NE(doll, nullptr);
        doll->AddRef();
        EXPECT_EQ(game->enemiesAppeared, appeared + 1);
        float t = 0.0f;
        if (c.fires > 0.0f) {
            for (; t < c.fires - 0.05f; t += kFrame) doll->Update(kFrame);
            EXPECT_TRUE(doll->attacks.empty()) << "quiet before " << c.fires << " s";
            for (; t < c.fires + 0.05f; t += kFrame) doll->Update(kFrame);
        } else {
            doll->Update(kFrame);
            t += kFrame;
        }
        EXPECT_FALSE(doll->attacks.empty()) << "armed at " << t;
        for (; t < c.ends - 0.05f; t += kFrame) doll->Update(kFrame);
        EXPECT_FALSE(doll->IsRemoveRequested());
        EXPECT_EQ(game->enemiesAppeared, appeared + 1);
        for (; t < c.ends + 0.05f && !doll->IsRemoveRequested(); t += kFrame) doll->Update(kFrame);
        EXPECT_TRUE(doll->IsRemoveRequested()) << "ended at " << t;
        EXPECT_EQ(game->enemiesAppeared, appeared) << "its count given back";
        EXPECT_EQ(effects->GetLiveCount(EffectObject::KindExplosion) > explosions, !c.cross)
            << "only the thrown doll explodes";
        doll->Release();
    }
}

// Phase 5's ring grows with its clock up to 2 L + 3 shots; after 50 volleys
// a fan of nukes leaves whose size grows with the visits to phase 5.
TEST_F(BossFight, GralleAimedRingGrowsAndItsNukeFanWithTheVisits) {
    struct RingCase {
        float level, clock;
        size_t shots;
    };
    const RingCase rings[] = {{0.0f, 0.0f, 1}, {0.0f, 3.0f, 2}, {0.0f, 6.0f, 3}, {0.0f, 20.0f, 3},
                              {1.0f, 9.0f, 4}, {1.0f, 12.0f, 5}, {1.0f, 40.0f, 5}};
    for (const RingCase& c : rings) {
        auto* boss = NewBoss<Enemy_Gralle>(c.level);
        EnemyEx::ShotParam1 state;
        state.Reset(c.level);
        state.clock = c.clock;
        shots->log.records.clear();
        boss->FireAimedRing(0.03f, state);
        EXPECT_EQ(Shots(), c.shots) << "level " << c.level << " at " << c.clock << " s";
        for (size_t i = 0; i < Shots(); ++i) {
            EXPECT_FLOAT_EQ(Shot(i).speed, 2.0f);
            const D3DXVECTOR3 at = Offset(Shot(i).position, boss);
            EXPECT_NEAR(D3DXVec3Length(&at), 80.0f, 1e-2f);
        }
        boss->Vanish();
    }

    struct FanCase {
        float level;
        int visits, nukes;
    };
    const FanCase fans[] = {{0.0f, 1, 1}, {0.0f, 3, 2}, {0.0f, 5, 3}, {1.0f, 1, 2}, {1.0f, 4, 5}, {1.0f, 9, 6}};
    for (const FanCase& c : fans) {
        auto* boss = NewBoss<Enemy_Gralle>(c.level);
        boss->phase5Ends = c.visits;
        EnemyEx::ShotParam1 state;
        state.Reset(c.level);
        const int before = InUse(EnemyGenerator_Derive::PoolNuke);
        for (int volley = 0; volley < 49; ++volley) boss->FireAimedRing(0.03f, state);
        EXPECT_EQ(InUse(EnemyGenerator_Derive::PoolNuke), before) << "not before the 50th volley";
        boss->FireAimedRing(0.03f, state);
        EXPECT_EQ(InUse(EnemyGenerator_Derive::PoolNuke), before + c.nukes)
            << "level " << c.level << ", visit " << c.visits;
        EXPECT_FLOAT_EQ(state.rest, 0.75f);
        boss->Vanish();
    }
}

// The second spell's walls: two rows drawing a diamond 500 wide and 200 high,
// 4, 6 or 8 shots a row, straight back, from 2 s into the phase on.
TEST_F(BossFight, GralleSecondSpellDiamondWalls) {
    struct Case {
        float level;
        size_t perRow;
        float interval;
    };
    for (const Case& c : {Case{0.0f, 4, 0.1f}, Case{0.5f, 6, 0.075f}, Case{1.0f, 8, 0.05f}}) {
        SCOPED_TRACE(::testing::Message() << "level " << c.level);
        auto* boss = NewBoss<Enemy_Gralle>(c.level);
        boss->wallClock = 0.0f;
        boss->wallTimer = 0.0f;
        shots->log.records.clear();
        for (int i = 0; i < 199; ++i) boss->FireSecondSpellDiamond(0.01f);
        boss->FireSecondSpellDiamond(0.02f);
        EXPECT_EQ(Shots(), 0u) << "nothing in the first 2 s";
        boss->FireSecondSpellDiamond(0.001f);
        ASSERT_EQ(Shots(), 2 * c.perRow);
        for (size_t i = 0; i < Shots(); ++i) {
            const D3DXVECTOR3 at = Offset(Shot(i).position, boss);
            const float sign = i < c.perRow ? 1.0f : -1.0f;
            EXPECT_LE(std::fabs(at.x), 250.0f);
            EXPECT_NEAR(at.y, sign * (100.0f - std::fabs(at.x) * 0.4f), 1e-2f) << "on the diamond, shot " << i;
            EXPECT_NEAR(at.z, 0.0f, 1e-3f);
            EXPECT_LT(Forward(Shot(i).orientation).z, -0.999f) << "straight back";
            EXPECT_FLOAT_EQ(Shot(i).speed, 2.0f);
        }
        const float first = Offset(Shot(0).position, boss).x, last = Offset(Shot(c.perRow - 1).position, boss).x;
        EXPECT_NEAR(std::fabs(last - first), 500.0f * (c.perRow - 1) / c.perRow, 1e-2f);
        boss->FireSecondSpellDiamond(c.interval * 0.9f);
        EXPECT_EQ(Shots(), 2 * c.perRow);
        boss->FireSecondSpellDiamond(c.interval * 0.2f);
        EXPECT_EQ(Shots(), 4 * c.perRow) << "the next wall one interval later";
        boss->Vanish();
    }
}

// Ten rings a burst at level 0, one every 0.15 s, then 2 s of rest; out of
// range nothing moves, and the burst goes on where it stopped.
TEST_F(BossFight, PentraRingBurstsPauseOutOfRange) {
    auto* boss = NewBoss<Enemy_Pentra>(0.0f);
    EnemyEx::ShotParam1 state;
    state.Reset(0.0f);
    const int before = InUse(EnemyGenerator_Derive::PoolRing);
    ASSERT_GE(before, 0);
    for (int i = 0; i < 4; ++i) boss->FireRingBursts(0.15f, state);
    EXPECT_EQ(InUse(EnemyGenerator_Derive::PoolRing), before + 4);

    const Quorvex::AreaPos inFront = player->GetAreaPos();
    player->SetAreaPos(Quorvex::AreaPos::FromWorld(D3DXVECTOR3(0.0f, 0.0f, 1000.0f)));  // behind the boss
    const EnemyEx::ShotParam1 paused = state;
    for (int i = 0; i < 40; ++i) boss->FireRingBursts(0.15f, state);
    EXPECT_EQ(InUse(EnemyGenerator_Derive::PoolRing), before + 4);
    EXPECT_EQ(state.counter, paused.counter);
    EXPECT_FLOAT_EQ(state.timer, paused.timer);
    EXPECT_FLOAT_EQ(state.rest, paused.rest);

    player->SetAreaPos(inFront);
    for (int i = 0; i < 6; ++i) boss->FireRingBursts(0.15f, state);
    EXPECT_EQ(InUse(EnemyGenerator_Derive::PoolRing), before + 10);
    EXPECT_FLOAT_EQ(state.rest, 2.0f);
    for (int i = 0; i < 13; ++i) boss->FireRingBursts(0.15f, state);
    EXPECT_EQ(InUse(EnemyGenerator_Derive::PoolRing), before + 10) << "resting";
    boss->FireRingBursts(0.15f, state);
    EXPECT_EQ(InUse(EnemyGenerator_Derive::PoolRing), before + 11);
    boss->Vanish();
}

// The first burst of each volley pattern that is not a plain fan, by level.
TEST_F(BossFight, AttackStepsFirstBursts) {
    struct Case {
        const char* what;
        int type;
        float level;
        size_t shots;
        std::vector<float> speeds;  // the speeds a burst uses
    };
    const Case cases[] = {
        {"line, easy: 1, 2, 1", 40, 0.0f, 4, {1.2f}},
        {"line, very hard: seven volleys", 40, 1.0f, 10, {1.2f}},
        {"shotgun, easy: 3 layers of 4", 71, 0.0f, 12, {1.0f, 1.2f, 1.4f}},
        {"shotgun, very hard: 4 volleys, 3 layers of 7", 71, 1.0f, 84, {1.0f, 1.2f, 1.4f}},
        {"circle, easy: 3 rings of 8", 30, 0.0f, 24, {1.0f}},
        {"circle, very hard: 7 rings of 8", 30, 1.0f, 56, {1.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        shots->log.records.clear();
        TestEnemy* enemy = NewEnemy(100.0f, c.level);
        enemy->SetAttackType(c.type);
        ASSERT_EQ(enemy->attacks.size(), 1u);
        AttackParam* attack = *enemy->attacks.begin();
        auto resting = [&] {
            if (auto* volley = dynamic_cast<AttackParam_Volley*>(attack)) return volley->restTimer > 0.0f;
            return static_cast<AttackParam_Circle*>(attack)->restTimer > 0.0f;
        };
        for (int frame = 0; frame < 1200 && !resting(); ++frame) enemy->Update(kFrame);
        ASSERT_TRUE(resting());
        EXPECT_EQ(Shots(), c.shots);
        std::set<float> speeds;
        for (size_t i = 0; i < Shots(); ++i) speeds.insert(std::round(Shot(i).speed * 100.0f) / 100.0f);
        EXPECT_EQ(speeds, std::set<float>(c.speeds.begin(), c.speeds.end()));
        if (c.type == 40) {
            // The second volley's pair, 2 degrees apart.
            const D3DXVECTOR3 a = Forward(Shot(1).orientation), b = Forward(Shot(2).orientation);
            EXPECT_NEAR(std::acos(std::min(D3DXVec3Dot(&a, &b), 1.0f)) / kDeg, 2.0f, 0.01f);
        }
        if (c.type == 30) {
            // Each ring stands on a cone of atan(0.05) around the aim at the player.
            for (size_t i = 0; i < 8; ++i)
                EXPECT_NEAR(std::acos(-Forward(Shot(i).orientation).z) / kDeg, 2.862f, 0.01f) << "shot " << i;
        }
        enemy->Vanish();
    }
}

// The one-shot fires at once and then every 5 s (easy) to 2 s (very hard);
// the thrown fan sweeps 7.5 degrees a volley over six volleys and goes on
// without a rest.
TEST_F(BossFight, OneShotAndThrownFanTimings) {
    for (const auto& [level, interval] : {std::pair{0.0f, 5.0f}, std::pair{1.0f, 2.0f}}) {
        shots->log.records.clear();
        TestEnemy* enemy = NewEnemy(100.0f, level);
        enemy->SetAttackType(61);
        enemy->Update(kFrame);
        ASSERT_EQ(Shots(), 1u) << level;
        EXPECT_FLOAT_EQ(Shot(0).speed, 1.2f);
        EXPECT_LT(Forward(Shot(0).orientation).z, -0.999f) << "along the aim";
        for (float t = kFrame; t < interval - 0.05f; t += kFrame) enemy->Update(kFrame);
        EXPECT_EQ(Shots(), 1u) << level;
        for (int frame = 0; frame < 6; ++frame) enemy->Update(kFrame);
        EXPECT_EQ(Shots(), 2u) << level;
        enemy->Vanish();
    }

    shots->log.records.clear();
    TestEnemy* enemy = NewEnemy(100.0f, 0.0f);
    enemy->SetAttackType(27);
    float t = 0.0f;
    while (Shots() < 24 && t < 3.0f) {
        enemy->Update(kFrame);
        t += kFrame;
    }
    ASSERT_EQ(Shots(), 24u) << "six volleys of four ways";
    EXPECT_NEAR(t, 1.5f + kFrame, 2.5f * kFrame) << "0.3 s apart";
    auto meanYaw = [&](size_t volley) {
        float sum = 0.0f;
        for (size_t i = 4 * volley; i < 4 * volley + 4; ++i) {
            const D3DXVECTOR3 d = Forward(Shot(i).orientation);
            sum += std::atan2(d.x, -d.z) / kDeg;
        }
        return sum / 4.0f;
    };
    for (size_t v = 0; v + 1 < 6; ++v)
        EXPECT_NEAR(std::fabs(meanYaw(v + 1) - meanYaw(v)), 7.5f, 0.05f) << "volley " << v;
    EXPECT_NEAR(std::fabs(meanYaw(5) - meanYaw(0)), 37.5f, 0.1f);
    const float sixth = t;
    while (Shots() == 24 && t < 5.0f) {
        enemy->Update(kFrame);
        t += kFrame;
    }
    EXPECT_NEAR(t - sixth, 0.3f, 2.5f * kFrame);
    EXPECT_EQ(Shots(), 28u) << "the next burst follows without a rest";
    enemy->Vanish();
}

}  // namespace
}  // namespace enemy_test
