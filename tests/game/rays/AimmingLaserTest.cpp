// The aimed laser: its chain of segments, the width taper along the chain,
// the segments chasing their leaders, the end of homing and the 2 + 1 s life.
#include "game/rays/RaysTestSupport.h"

namespace rays_test {
namespace {

class AimmingLasers : public RayStage {
protected:
    void SetUp() override {
        RayStage::SetUp();
        target.reset();
    }

    Bullet_AimmingLaser* Launch(float length, const D3DXVECTOR3& targetAt, float width = 30.0f) {
        target = std::make_unique<Held<Player>>(new Player(nullptr, nullptr, Quorvex::AreaPos::FromWorld(targetAt)));
        Bullet_AimmingLaser::SetParam record(Quorvex::AreaPos(), Identity(), nullptr, D3DXVECTOR3(0, 0, 0), 0.0f,
                                             length, width, manager, target->get());
        return Take<Bullet_AimmingLaser>(lasers, &record);
    }

    // One frame as the object manager runs it: the laser, then its segments
    // in chain order.
    void Frame(Bullet_AimmingLaser* laser, float dt) {
        std::vector<Bullet_AimmingLaserPart*> chain;
        for (int i = 0; i < laser->GetSegmentCount(); ++i) chain.push_back(laser->GetSegment(i));
        laser->Update(dt);
        for (Bullet_AimmingLaserPart* part : chain)
            if (!part->IsRemoveRequested()) part->Update(dt);
    }

    std::unique_ptr<Held<Player>> target;
};

TEST_F(AimmingLasers, SegmentsFormAChainTaperedAlongIt) {
    Bullet_AimmingLaser* laser = Launch(3000.0f, D3DXVECTOR3(0, 0, 5000));
    ASSERT_EQ(laser->GetSegmentCount(), 60);
    EXPECT_EQ(laser->GetAttackPower(), 40.0f);
    for (int i = 0; i < 60; ++i) {
        Bullet_AimmingLaserPart* part = laser->GetSegment(i);
        EXPECT_EQ(part->GetLeader(), i == 0 ? nullptr : laser->GetSegment(i - 1));
        EXPECT_EQ(part->GetUpdatePriority(), 901 + i) << "segments update in chain order";
        EXPECT_EQ(part->width, 0.0f) << "nothing shows before the first frame";
        EXPECT_EQ(part->length, 75.0f);
    }
    EXPECT_NEAR(laser->GetSegment(0)->GetVelocity().z, 942.0f, 1e-3f);
    EXPECT_EQ(laser->GetSegment(1)->GetVelocity().z, 0.0f);

    Frame(laser, 0.2f);  // fully grown
    EXPECT_EQ(laser->GetGrow(), 1.0f);
    EXPECT_NEAR(laser->GetSegment(0)->width, 30.0f * 0.4f, 1e-4f);
    EXPECT_LT(laser->GetSegment(10)->width, laser->GetSegment(20)->width);
    EXPECT_NEAR(laser->GetSegment(50)->width, 30.0f, 1e-4f);
    EXPECT_NEAR(laser->GetSegment(59)->width, 30.0f, 1e-4f);
}

TEST_F(AimmingLasers, FollowersChaseTheirLeadersAlongTheCurve) {
    Bullet_AimmingLaser* laser = Launch(250.0f, D3DXVECTOR3(1500, 300, 1500));
    ASSERT_EQ(laser->GetSegmentCount(), 5);
    for (int i = 0; i < 30; ++i) Frame(laser, 1.0f / 60.0f);

    const Bullet_AimmingLaserPart* head = laser->GetSegment(0);
    EXPECT_GT(At(head).x, 0.0f) << "the first segment bends toward the target";
    for (int i = 1; i < 5; ++i) {
        const Bullet_AimmingLaserPart* part = laser->GetSegment(i);
        D3DXVECTOR3 toLeader = At(part->GetLeader()) - At(part);
        const float gap = D3DXVec3Length(&toLeader);
        EXPECT_GT(gap, 1.0f) << i;
        EXPECT_NEAR(part->length, 1.2f * gap, 1e-2f) << "a follower stretches to its leader";
        D3DXVec3Normalize(&toLeader, &toLeader);
        const D3DXVECTOR3 forward = enemy_test::Forward(part->GetOrientation());
        EXPECT_NEAR(D3DXVec3Dot(&forward, &toLeader), 1.0f, 1e-4f) << "and points at it";
        const D3DXVECTOR3 ahead = At(part->GetLeader());
        EXPECT_LT(At(part).z, ahead.z) << "behind its leader";
    }
}

TEST_F(AimmingLasers, HomingEndsForTheWholeChainNearTheTarget) {
    Bullet_AimmingLaser* laser = Launch(150.0f, D3DXVECTOR3(0, 0, 400));
    int frames = 0;
    while (!laser->GetSegment(0)->freeFlight.load() && frames < 60) Frame(laser, 1.0f / 60.0f), ++frames;
    ASSERT_LT(frames, 60);
    for (int i = 0; i < laser->GetSegmentCount(); ++i) EXPECT_TRUE(laser->GetSegment(i)->freeFlight.load()) << i;
    const D3DXVECTOR3 toTarget = D3DXVECTOR3(0, 0, 400) - At(laser->GetSegment(0));
    EXPECT_LE(D3DXVec3Length(&toTarget), 200.0f + 942.0f / 60.0f);

    // Free flight is straight: the velocity stays as it was.
    const D3DXVECTOR3 velocity = laser->GetSegment(0)->GetVelocity();
    Frame(laser, 1.0f / 60.0f);
    const D3DXVECTOR3 after = laser->GetSegment(0)->GetVelocity();
    EXPECT_EQ(after, velocity);

    // A target that goes away takes the segments with it.
    (*target)->RequestRemove(true);
    Frame(laser, 1.0f / 60.0f);
    EXPECT_EQ(laserParts->GetInUseCount(), 0);
    Frame(laser, 1.0f / 60.0f);
    EXPECT_EQ(laser->GetSegmentCount(), 0) << "purged on the laser's next update";
}

TEST_F(AimmingLasers, ASegmentTakenAgainByAnotherLaserIsNotTouchedByItsFormerOne) {
    Bullet_AimmingLaser* first = Launch(50.0f, D3DXVECTOR3(0, 0, 1000));
    ASSERT_EQ(first->GetSegmentCount(), 1);
    Bullet_AimmingLaserPart* part = first->GetSegment(0);
    part->ReturnToFactory();  // as when its target went away
    Bullet_AimmingLaser* second = Launch(50.0f, D3DXVECTOR3(0, 0, 2000));
    ASSERT_EQ(second->GetSegment(0), part) << "the pool hands the free segment out again";
    first->Update(0.1f);
    EXPECT_EQ(first->GetSegmentCount(), 0);
    first->ReturnToFactory();
    EXPECT_FALSE(part->IsRemoveRequested()) << "still flying for the second laser";
    EXPECT_EQ(part->GetLaser(), second);
    EXPECT_EQ(laserParts->GetInUseCount(), 1);
}

TEST_F(AimmingLasers, AShortLaserHasNoSegmentsAndEndsAfterThreeSeconds) {
    Bullet_AimmingLaser* laser = Launch(49.0f, D3DXVECTOR3(0, 0, 1000));
    EXPECT_EQ(laser->GetSegmentCount(), 0);
    for (int i = 0; i < 5; ++i) laser->Update(0.5f);
    EXPECT_FALSE(laser->IsRemoveRequested());
    EXPECT_EQ(laser->GetGrow(), 1.0f) << "the fade starts at 2 s";
    laser->Update(0.5f);
    EXPECT_TRUE(laser->IsRemoveRequested());
    EXPECT_EQ(lasers->GetFreeCount(), 1);
}

}  // namespace
}  // namespace rays_test
