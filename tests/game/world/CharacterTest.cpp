// The character gauges and the centre that follows the player.
#include <memory>

#include "WorldTestSupport.h"
#include "game/state/Environment2.h"
#include "game/world/CenterPosManager.h"
#include "game/world/Character.h"

namespace world_test {
namespace {

using Characters = WorldFixture;

TEST_F(Characters, GaugeIsCappedAtTheLifeButHasNoFloor) {
    struct Case {
        float life, gauge, delta, expected;
    };
    const Case cases[] = {
        {100.0f, 90.0f, 20.0f, 100.0f},
        {0.0f, 0.0f, 5.0f, 0.0f},
        {100.0f, 10.0f, -30.0f, -20.0f},
        {100.0f, 10.0f, 30.0f, 40.0f},
    };
    for (const Case& c : cases) {
        auto* character = new Character(objects, areas, AreaPos());
        character->AddRef();
        *character->GetLife() = c.life;
        *character->GetGauge() = c.gauge;
        character->AddGauge(c.delta);
        EXPECT_EQ(*character->GetGauge(), c.expected) << c.life << " " << c.gauge << " " << c.delta;
        EXPECT_EQ(character->IsAlive(), c.life > 0.0f);
        character->Release();
    }
}

// Gives the test its own game state.
class CentreFollow : public WorldFixture {
protected:
    void SetUp() override {
        WorldFixture::SetUp();
        saved_ = g_pEnvironment2;
        state_ = std::make_unique<Environment2>();
        g_pEnvironment2 = state_.get();
        InstallFactory();
        areas->SetCentralPoint(Int3{0, 0, 0}, D3DXVECTOR3(0, 0, 0), 0);
        Sphere(L"CenterObject", 300.0f, 1000.0f);
        follower = NewProbe(D3DXVECTOR3(500.0f, 100.0f, 500.0f));
        g_pEnvironment2->followedObject = follower;
        centre = new CenterPosManager(objects, areas, AreaPos::FromWorld(D3DXVECTOR3(500.0f, 100.0f, 500.0f)));
        centre->AddRef();
        held.push_back(centre);
        ASSERT_EQ(centre->Initialize(0), 0);
    }
    void TearDown() override {
        state_.reset();
        g_pEnvironment2 = saved_;
        WorldFixture::TearDown();
    }

    Probe* follower = nullptr;
    CenterPosManager* centre = nullptr;

private:
    Environment2* saved_ = nullptr;
    std::unique_ptr<Environment2> state_;
};

TEST_F(CentreFollow, PushIsHowFarTheFollowedObjectIsOutsideTheBox) {
    EXPECT_EQ(g_pEnvironment2->centerPosManager, centre);
    EXPECT_EQ(centre->GetUpdatePriority(), 210);
    ASSERT_NE(centre->GetRigidBody(), nullptr);
    EXPECT_EQ(centre->GetRigidBody()->getGravity(), btVector3(0, 0, 0));
    EXPECT_FALSE(centre->CanCollide(follower));

    struct Case {
        D3DXVECTOR3 offset, push;
    };
    const Case cases[] = {
        {{150.0f, 40.0f, 0.0f}, {0.0f, 0.0f, 0.0f}},
        {{250.0f, 0.0f, 0.0f}, {50.0f, 0.0f, 0.0f}},
        {{0.0f, 0.0f, 15.0f}, {0.0f, 0.0f, 5.0f}},
        {{0.0f, 0.0f, -12.0f}, {0.0f, 0.0f, -2.0f}},
        {{-230.0f, -60.0f, 0.0f}, {-30.0f, -10.0f, 0.0f}},
    };
    for (const Case& c : cases) {
        centre->Update(0.0f);  // settle the previous push
        const D3DXVECTOR3 here = centre->GetWorldPosition();
        follower->SetWorldPosition(here + c.offset);
        centre->Update(1.0f / 60.0f);
        const D3DXVECTOR3& push = centre->GetLastPush();
        EXPECT_NEAR(push.x, c.push.x, 1e-3f) << c.offset.x << " " << c.offset.y << " " << c.offset.z;
        EXPECT_NEAR(push.y, c.push.y, 1e-3f);
        EXPECT_NEAR(push.z, c.push.z, 1e-3f);
        EXPECT_EQ(g_pEnvironment2->centerInfo.move, push);
        const D3DXVECTOR3 published = g_pEnvironment2->centerInfo.pos.ToWorld();
        EXPECT_NEAR(published.x, here.x, 1e-3f) << "the record holds the position before this push";
        EXPECT_NEAR(published.z, here.z, 1e-3f);
        centre->Update(0.0f);
        const D3DXVECTOR3 moved = centre->GetWorldPosition();
        EXPECT_NEAR(moved.x - here.x, c.push.x, 1e-3f);
        EXPECT_NEAR(moved.z - here.z, c.push.z, 1e-3f);
    }

    centre->Dump();
    EXPECT_NE(std::wstring(Quorvex::g_pEnvironment->GetInfoText()).find(L"------ CenterPosManager ------"),
              std::wstring::npos);
}

TEST_F(CentreFollow, StreamingCentreTracksAFastPlayerAcrossCells) {
    int changes = 0;
    Int3 last = areas->GetCentralPoint();
    for (int frame = 0; frame < 600; ++frame) {
        AreaPos position = follower->GetAreaPos();
        position.Add(D3DXVECTOR3(0.0f, 0.0f, 25.0f));  // 1500 units per second
        follower->SetAreaPos(position);
        centre->Update(1.0f / 60.0f);
        // The manager's centre follows the centre object in the same update.
        EXPECT_TRUE(SameCell(areas->GetCentralPoint(), centre->GetAreaPos().GetCell())) << frame;
        areas->Update(1.0f / 60.0f);
        if (!SameCell(areas->GetCentralPoint(), last)) ++changes;
        last = areas->GetCentralPoint();
    }
    EXPECT_EQ(changes, 15);
    const D3DXVECTOR3 gap = AreaPos::Difference(follower->GetAreaPos(), centre->GetAreaPos());
    EXPECT_NEAR(gap.z, 10.0f + 25.0f, 1e-2f) << "the centre trails at the box edge by one frame's move";
    EXPECT_NEAR(gap.x, 0.0f, 1e-2f);
    EXPECT_NE(centre->GetArea(), nullptr);
}

}  // namespace
}  // namespace world_test
