// Straight rays and trailing rays: segment layout, growth, the collision
// window, the fade and the return with their segments.
#include "engine/core/Utility.h"
#include "game/rays/RaysTestSupport.h"

namespace rays_test {
namespace {

class Rays : public RayStage {};

TEST_F(Rays, AStraightRaySpacesItsSegmentsAlongItsLength) {
    struct Case {
        float length;
        int segments;
    };
    const Case cases[] = {{300.0f, 6}, {100.0f, 2}, {49.0f, 0}, {0.0f, 0}};
    for (const Case& c : cases) {
        Bullet_Ray* ray = LaunchRay(c.length, 10.0f);
        ASSERT_NE(ray, nullptr);
        EXPECT_EQ(ray->GetSegmentCount(), c.segments) << c.length;
        EXPECT_EQ(ray->GetAttackPower(), 0.0f) << "only its grown segments hurt";
        ray->Update(1.0f);  // fully grown
        for (int i = 0; i < ray->GetSegmentCount(); ++i) {
            const Bullet_RayPart* part = ray->GetSegment(i);
            EXPECT_NEAR(At(part).z, 50.0f * i, 1e-3f);
            EXPECT_EQ(part->length, 75.0f);
            EXPECT_EQ(part->blendMode, 3);
            EXPECT_EQ(part->GetAttackPower(), 40.0f);
        }
        if (c.segments > 0) {
            EXPECT_NEAR(ray->GetSegment(0)->width, 4.0f, 1e-4f) << "0.4 of the width at the front";
        }
        Bullet_Ray::ClampFade(ray);
        ray->Update(0.5f);
        ray->Update(0.6f);
        EXPECT_TRUE(ray->IsRemoveRequested()) << c.length;
        EXPECT_EQ(rayParts->GetInUseCount(), 0) << "segments go back with their ray";
    }
}

TEST_F(Rays, ARayGrowsInOneSecondHurtsWhileGrownAndFadesOverOneSecond) {
    Bullet_Ray* ray = LaunchRay(300.0f, 10.0f);
    ray->Update(0.5f);
    EXPECT_NEAR(ray->GetGrow(), 0.5f, 1e-6f);
    EXPECT_EQ(ray->GetAttackPower(), 0.0f);
    EXPECT_NEAR(ray->GetSegment(5)->width, 10.0f * 0.5f * (0.4f + 0.6f * std::sin(5 * 0.01f * D3DX_PI)), 1e-4f);
    ray->Update(0.5f);
    EXPECT_EQ(ray->GetGrow(), 1.0f);
    EXPECT_EQ(ray->GetAttackPower(), 40.0f) << "bodies at full growth";
    ray->Update(10.0f);
    EXPECT_TRUE(ray->IsActive()) << "a straight ray never ends by itself";

    Bullet_Ray::ClampFade(ray);
    EXPECT_EQ(ray->GetFade(), 0.0f);
    ray->Update(0.25f);  // first fading frame: still at full growth
    EXPECT_EQ(ray->GetGrow(), 1.0f);
    EXPECT_EQ(ray->GetFade(), 0.25f);
    Bullet_Ray::ClampFade(ray);
    EXPECT_EQ(ray->GetFade(), 0.25f) << "a fading ray is left alone";
    ray->Update(0.25f);
    EXPECT_EQ(ray->GetGrow(), 0.75f);
    EXPECT_EQ(ray->GetAttackPower(), 0.0f) << "bodies gone once it shrinks";
    EXPECT_FALSE(ray->IsRemoveRequested());
    ray->Update(0.5f);
    EXPECT_TRUE(ray->IsRemoveRequested()) << "fade 1 after 1 s";
    EXPECT_EQ(rays->GetFreeCount(), 1);

    // Relaunched from the free set: timers and fade reset, fresh segments.
    Bullet_Ray* again = LaunchRay(100.0f);
    EXPECT_EQ(again, ray);
    EXPECT_TRUE(again->IsActive());
    EXPECT_EQ(again->GetGrow(), 0.0f);
    EXPECT_EQ(again->GetElapsed(), 0.0f);
    EXPECT_EQ(again->GetSegmentCount(), 2);
}

TEST_F(Rays, TheLauncherSweepsARayByTurningIt) {
    Bullet_Ray* ray = LaunchRay(200.0f);
    D3DXQUATERNION right;
    D3DXQuaternionRotationYawPitchRoll(&right, D3DX_PI / 2.0f, 0.0f, 0.0f);
    ray->SetOrientation(right);
    ray->SetAreaPos(Quorvex::AreaPos::FromWorld(D3DXVECTOR3(0.0f, 100.0f, 0.0f)));
    ray->Update(0.1f);
    const D3DXVECTOR3 last = At(ray->GetSegment(3));
    EXPECT_NEAR(last.x, 150.0f, 1e-3f);
    EXPECT_NEAR(last.y, 100.0f, 1e-3f);
    EXPECT_NEAR(last.z, 0.0f, 1e-3f);

    // Colour and blend reach every segment.
    Bullet_Ray::SetPartsValue(ray, 2);
    Bullet_Ray::SetColorType(ray, 4);
    for (int i = 0; i < ray->GetSegmentCount(); ++i) {
        EXPECT_EQ(ray->GetSegment(i)->blendMode, 2);
        EXPECT_NEAR(ray->GetSegment(i)->sprite.uv[0].x, 0.503125f, 1e-6f);
    }
}

class TrailingRays : public RayStage {
protected:
    Bullet_Ray2* LaunchRay2(const D3DXVECTOR3& velocity, float width = 20.0f) {
        Bullet_Ray2::SetParam record;
        record.vector = velocity;
        record.width = width;
        record.length = 500.0f;
        record.objectManager = manager;
        return Take<Bullet_Ray2>(rays2, &record);
    }
};

TEST_F(TrailingRays, AHeadLaysOneSegmentEveryFifthOfASecondAndEndsAfterTwoPlusOne) {
    Bullet_Ray2* ray = LaunchRay2(D3DXVECTOR3(0.0f, 0.0f, 100.0f));
    ASSERT_NE(ray, nullptr);
    EXPECT_EQ(ray->GetSegmentCount(), 0);
    EXPECT_EQ(ray->GetAttackPower(), 40.0f);
    const float dt = 0.125f;
    int frame = 0;
    while (frame < 8) ++frame, ray->Update(dt);  // 1 s
    // Laid in frames 3, 5, 6 and 8; the first became the front.
    ASSERT_EQ(ray->GetSegmentCount(), 4);
    EXPECT_NEAR(At(ray).z, 100.0f, 1e-3f);
    EXPECT_NEAR(At(ray->GetSegment(0)).z, 100.0f, 1e-3f) << "the front rides on the head";
    // The others stay where the front was when they were laid.
    EXPECT_NEAR(At(ray->GetSegment(1)).z, 50.0f, 1e-3f);
    EXPECT_NEAR(At(ray->GetSegment(2)).z, 62.5f, 1e-3f);
    EXPECT_NEAR(At(ray->GetSegment(3)).z, 87.5f, 1e-3f);
    EXPECT_EQ(ray->GetSegment(1)->blendMode, 2);
    EXPECT_EQ(ray->GetSegment(0)->length, 60.0f);
    EXPECT_NEAR(ray->GetSegment(3)->width, 20.0f * 1.0f, 1e-4f) << "full width at full growth";

    while (frame < 16) ++frame, ray->Update(dt);  // 2 s
    const int laid = ray->GetSegmentCount();
    EXPECT_GE(laid, 8);
    while (frame < 23) ++frame, ray->Update(dt);  // fading since 2.125 s
    EXPECT_EQ(ray->GetSegmentCount(), laid) << "no segments while fading";
    EXPECT_FALSE(ray->IsRemoveRequested());
    ray->Update(dt);
    EXPECT_TRUE(ray->IsRemoveRequested()) << "1 s of fade";
    EXPECT_EQ(rayParts->GetInUseCount(), 0);
}

// The launch record carries no orientation: the head faces its velocity (its
// trail lies along the flight), and a head without one faces +z.
TEST_F(TrailingRays, AHeadFacesItsVelocityFromLaunch) {
    const D3DXVECTOR3 cases[] = {{900.0f, 0.0f, 0.0f}, {0.0f, 300.0f, 300.0f}, {-200.0f, -100.0f, -400.0f},
                                 {0.0f, 0.0f, 0.0f}};
    for (const D3DXVECTOR3& velocity : cases) {
        Bullet_Ray2* ray = LaunchRay2(velocity);
        ASSERT_NE(ray, nullptr);
        D3DXVECTOR3 expected(0.0f, 0.0f, 1.0f);
        if (D3DXVec3LengthSq(&velocity) > 0.0f) D3DXVec3Normalize(&expected, &velocity);
        const D3DXVECTOR3 facing = Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, 1.0f), ray->GetOrientation());
        const D3DXVECTOR3 off = facing - expected;
        EXPECT_LT(D3DXVec3Length(&off), 1e-4f) << velocity.x << " " << velocity.y << " " << velocity.z;
        for (int i = 0; i < 8; ++i) ray->Update(0.05f);
        ASSERT_GT(ray->GetSegmentCount(), 0);
        const D3DXQUATERNION& q = ray->GetSegment(ray->GetSegmentCount() - 1)->GetOrientation();
        const D3DXVECTOR3 laid = Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, 1.0f), q) - expected;
        EXPECT_LT(D3DXVec3Length(&laid), 1e-4f) << "the trail lies along the flight";
    }
}

TEST_F(TrailingRays, AStillHeadLaysItsWholeTrailAtOnePoint) {
    Bullet_Ray2* ray = LaunchRay2(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    for (int i = 0; i < 40; ++i) ray->Update(0.05f);
    ASSERT_GT(ray->GetSegmentCount(), 1);
    for (int i = 0; i < ray->GetSegmentCount(); ++i) {
        const D3DXVECTOR3 p = At(ray->GetSegment(i));
        EXPECT_FLOAT_EQ(D3DXVec3Length(&p), 0.0f);
    }
}

TEST_F(TrailingRays, AHeadTurnsTowardItsTargetAndLetsGoWhenAligned) {
    Bullet_Ray2* ray = LaunchRay2(D3DXVECTOR3(0.0f, 0.0f, 900.0f));
    Held<Player> target(new Player(nullptr, nullptr, Quorvex::AreaPos::FromWorld(D3DXVECTOR3(5000, 0, 0))));
    ray->SetTarget(target.get());
    ray->Update(0.5f);
    EXPECT_GT(ray->GetVelocity().x, 400.0f) << "half of the turn in half a second";
    EXPECT_NE(ray->GetTarget(), nullptr);
    for (int i = 0; i < 20 && ray->GetTarget(); ++i) ray->Update(0.5f);
    EXPECT_EQ(ray->GetTarget(), nullptr) << "homing ends for good once aligned";
}

}  // namespace
}  // namespace rays_test

namespace rays_test {
namespace {

TEST_F(Rays, TheMachinesBeamIsOnBothSidesBitsAndEndsOnlyThroughItsFade) {
    Held<EnemyBulletFactory<Bullet_Ray4>> pool(
        new EnemyBulletFactory<Bullet_Ray4>(manager, nullptr, nullptr, 100, FollowDrift));
    Bullet_Ray4::SetParam record;
    record.side = 1;
    record.length = 3500.0f;
    record.width = 50.0f;
    record.objectManager = manager;
    Bullet_Ray4* beam = Take<Bullet_Ray4>(pool.get(), &record);
    ASSERT_NE(beam, nullptr);
    EXPECT_TRUE(beam->CheckGroupFlag(GroupPlayerSide));
    EXPECT_FALSE(beam->CheckGroupFlag(GroupEnemySide));
    EXPECT_EQ(beam->GetAttackPower(), 100.0f);
    EXPECT_EQ(beam->GetSegmentCount(), 0);
    beam->Update(1.0f);
    beam->Update(30.0f);
    EXPECT_EQ(beam->GetGrow(), 1.0f);
    EXPECT_EQ(beam->GetAttackPower(), 100.0f) << "its power does not follow its body";
    EXPECT_NEAR(Bullet_Ray4::FlareSize(0.0f), 61.875f, 1e-4f);
    EXPECT_NEAR(Bullet_Ray4::BeamAlpha(0.25f, 1.0f), 0.25f, 1e-6f);
    Bullet_Ray::ClampFade(beam);
    beam->Update(0.5f);
    EXPECT_FALSE(beam->IsRemoveRequested());
    beam->Update(0.5f);
    EXPECT_TRUE(beam->IsRemoveRequested());
    EXPECT_EQ(pool->GetFreeCount(), 1);
}

}  // namespace
}  // namespace rays_test
