// Lock-on: which enemies the reticle locks, how much lock gauge each lock
// takes, and how a lock is given back.
#include "WeaponsTestSupport.h"
#include "engine/core/render/CalcVertexSet.h"

namespace weapons_test {
namespace {

using Locking = WeaponsFixture;

TEST_F(Locking, LocksEnemiesInsideTheCircleUntilTheirGaugeIsSpent) {
    struct Case {
        const char* what;
        D3DXVECTOR3 where;
        float life, lockAmount;
        int locks;
        bool lockableAfter;
    };
    const Case cases[] = {
        {"gauge 300, amount 100: three locks", {0, 0, 500}, 300.0f, 100.0f, 3, false},
        {"gauge 100, amount 200: one lock", {0, 0, 500}, 100.0f, 200.0f, 1, false},
        {"outside the circle", {100, 0, 500}, 300.0f, 100.0f, 0, true},
        {"behind the centre cell's z = 0 plane", {0, 0, -500}, 300.0f, 100.0f, 0, true},
    };
    for (const Case& c : cases) {
        NewGenerator();
        NewLockon(c.lockAmount);
        EnemyEx* enemy = NewEnemy(c.where, c.life);
        for (int frame = 0; frame < 6; ++frame) LockFrame();
        EXPECT_EQ(MarkersOn(enemy, MarkerTypeLock), c.locks) << c.what;
        EXPECT_EQ(enemy->CheckGroupFlag(GroupLockable), c.lockableAfter) << c.what;
        EXPECT_EQ(MarkersOn(enemy, MarkerTypePlain), 1) << c.what << ": one plain marker per enemy";
        enemy->SetGroupFlag(GroupLockable, false);
        DropLockOn();
    }
}

TEST_F(Locking, RadiusShrinksWithDistanceAndWidensInZenkMode) {
    struct Case {
        int state;
        float distance, shareOfScreenHeight;
    };
    const Case cases[] = {{1, 750.0f, 0.03f},  {1, 5000.0f, 0.03f}, {1, 0.0f, 0.0675f},
                          {2, 750.0f, 0.125f}, {2, 0.0f, 0.25f}};
    for (const Case& c : cases)
        EXPECT_NEAR(LockonMarker::LockRadiusFactor(c.state, c.distance) * 0.5f, c.shareOfScreenHeight, 1e-6f)
            << c.state << " at " << c.distance;
}

TEST_F(Locking, ReticleStaysInsideItsBox) {
    NewLockon();
    const float centre = Quorvex::g_Aspect * 0.5f;
    lockon->SetPosition(centre + 1.0f, -1.0f);
    EXPECT_FLOAT_EQ(lockon->GetX(), centre + 0.15f);
    EXPECT_FLOAT_EQ(lockon->GetY(), 0.35f);
    lockon->SetPosition(0.0f, 2.0f);
    EXPECT_FLOAT_EQ(lockon->GetX(), centre - 0.15f);
    EXPECT_FLOAT_EQ(lockon->GetY(), 0.65f);
}

TEST_F(Locking, GunHeatShowsAsABarBesideTheReticleOnlyWhileWarm) {
    NewLockon();
    Quorvex::CalcVertexSet list;
    list.Allocate(24 * 64, 2 * 96, 64);
    auto spritesDrawn = [&] {
        list.Reset();
        lockon->Render(&list);
        return list.vertexCount / 4;
    };
    EXPECT_EQ(spritesDrawn(), 1) << "a cold gun shows the reticle alone";
    lockon->SetHeat(0.5f);
    ASSERT_EQ(spritesDrawn(), 2);
    const float halfLength = lockon->GetHeatSprite().height;
    EXPECT_GT(halfLength, 0.0f);
    for (int state : {LockonMarker::StateNormal, LockonMarker::StateZenk}) {
        lockon->SetState(state);
        lockon->SetHeat(2.0f);
        ASSERT_EQ(spritesDrawn(), 2) << state;
        const Quorvex::Sprite2DInfo& bar = lockon->GetHeatSprite();
        EXPECT_FLOAT_EQ(bar.height, 2.0f * halfLength) << "the heat is kept at 1";
        EXPECT_GT(bar.x - 0.5f * bar.width, lockon->GetX() + 0.5f * lockon->GetSprite().width)
            << "beside the reticle, not over it, in state " << state;
    }
    lockon->SetHeat(-1.0f);
    EXPECT_EQ(spritesDrawn(), 1) << "cooled down: the bar is gone";
}

TEST_F(Locking, ReleaseGivesTheLockBackFullOrAsTheTargetsTopUp) {
    NewLockon(100.0f);
    EnemyEx* enemy = NewEnemy(D3DXVECTOR3(0, 0, 500), 300.0f);
    EnemyEx* bystander = NewEnemy(D3DXVECTOR3(0, 0, 500), 50.0f);
    bystander->SetGroupFlag(GroupLockable, false);
    generator->Update(kDt);
    ASSERT_EQ(generator->AttachMarker(enemy, 100.0f, MarkerTypeLock), 0);
    ASSERT_EQ(generator->AttachMarker(enemy, 100.0f, MarkerTypeLock), 0);
    ASSERT_EQ(generator->AttachMarker(enemy, 100.0f, MarkerTypeLock), 0);
    EXPECT_FLOAT_EQ(*enemy->GetGauge(), 0.0f);
    EXPECT_FALSE(enemy->CheckGroupFlag(GroupLockable));
    const int inUse = generator->GetInUseCount();

    // A shot that ended on something else gives the whole amount back ...
    LockOn(enemy)->Release(bystander);
    EXPECT_FLOAT_EQ(*enemy->GetGauge(), 100.0f);
    EXPECT_TRUE(enemy->CheckGroupFlag(GroupLockable)) << "lockable again";
    // ... one that hit its own target gives the enemy's top-up of 100.
    LockOn(enemy)->Release(enemy);
    EXPECT_FLOAT_EQ(*enemy->GetGauge(), 200.0f);
    EXPECT_EQ(generator->GetInUseCount(), inUse - 2);
    EXPECT_EQ(MarkersOn(enemy, MarkerTypeLock), 1);
}

TEST_F(Locking, AStaleLinkLeavesAReusedMarkerAlone) {
    NewGenerator();
    EnemyEx* first = NewEnemy(D3DXVECTOR3(0, 0, 500), 300.0f);
    EnemyEx* second = NewEnemy(D3DXVECTOR3(0, 0, 600), 300.0f);
    ASSERT_EQ(generator->AttachMarker(first, 100.0f, MarkerTypeLock), 0);
    Marker* marker = LockOn(first);
    ASSERT_NE(marker, nullptr);
    MarkerLink link;
    link.Set(marker);

    // The first target dies: its marker goes back during the next draw, and
    // the lowest free marker is the same one when the second enemy is locked.
    first->SetLife(0.0f);
    marker->Render(nullptr);
    EXPECT_EQ(link.Get(), nullptr);
    ASSERT_EQ(generator->AttachMarker(second, 100.0f, MarkerTypeLock), 0);
    ASSERT_EQ(LockOn(second), marker) << "the lowest free marker is taken again";
    const float gauge = *second->GetGauge();

    link.Release(nullptr);
    EXPECT_EQ(marker->GetTarget(), second);
    EXPECT_EQ(marker->GetState(), MarkerLocked);
    EXPECT_FLOAT_EQ(*second->GetGauge(), gauge);
}

}  // namespace
}  // namespace weapons_test
