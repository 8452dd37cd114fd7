// The laser attack: two rays half a cycle apart, each cycle a thin warning
// ray, then the main ray that grows, fires and fades; fire limit and finish.
#include "game/enemy/AttackParam_Laser.h"
#include "game/rays/RaysTestSupport.h"

namespace rays_test {
namespace {

class LaserAttacks : public RayStage {
protected:
    void SetUp() override {
        RayStage::SetUp();
        enemy = NewEnemy();
    }
    void TearDown() override {
        delete attack;
        RayStage::TearDown();
    }
    AttackParam_Laser* Start(int id = 11) {
        attack = AttackParam_Laser::Create(enemy, id);
        return attack;
    }

    enemy_test::TestEnemy* enemy = nullptr;
    AttackParam_Laser* attack = nullptr;  // owned here, not in the enemy's set
};

TEST_F(LaserAttacks, TwoRaysHalfACycleApartAndALongFrameMovesAtMostFivePercent) {
    Start();
    ASSERT_EQ(attack->GetRayCount(), 2);
    EXPECT_NEAR(attack->Cycle(), 5.1f, 1e-6f);
    EXPECT_EQ(attack->GetRay(0)->timer, 0.0f);
    EXPECT_NEAR(attack->GetRay(1)->timer, -2.55f, 1e-6f);

    attack->Update(10.0f);
    EXPECT_NEAR(attack->GetRay(0)->timer, 0.255f, 1e-6f);
    EXPECT_NEAR(attack->GetRay(1)->timer, -2.55f + 0.255f, 1e-6f);
    Bullet_Ray* warning = attack->GetRay(0)->laser;
    ASSERT_NE(warning, nullptr);
    EXPECT_EQ(warning->GetWidth(), 2.0f) << "the first ray of a cycle is a thin line";
    EXPECT_EQ(warning->GetLength(), 2000.0f);
    // Aimed at the player straight ahead on -z.
    const D3DXVECTOR3 forward = enemy_test::Forward(attack->GetRay(0)->orientation);
    EXPECT_NEAR(forward.z, -1.0f, 1e-5f);
}

TEST_F(LaserAttacks, ACycleWarnsThenFiresAndTheFireLimitEndsTheAttack) {
    Start(10);
    attack->fireLimit = 1;
    const float w = attack->warnTime;
    const float t1 = 0.3f * w, t2 = t1 + 0.07f * w, t3 = t2 + 0.13f * w, t4 = t3 + attack->fireTime;
    const float dt = 0.01f;
    AttackParam_Laser::RayParam* ray = attack->GetRay(0);

    attack->Update(dt);
    Bullet_Ray* warning = ray->laser;
    ASSERT_NE(warning, nullptr);
    EXPECT_FALSE(warning->collideWhenGrown) << "the warning line never hurts";
    EXPECT_NEAR(warning->rate, 1.0f / (t1 * 0.5f), 1e-4f);

    Bullet_Ray* main = nullptr;
    float t = dt;
    while (!attack->finished && t < 3.0f) {
        const float before = ray->timer;
        attack->Update(dt);
        t += dt;
        if (attack->finished) break;  // its rays are gone
        if (before < t1 * 0.5f - dt) {
            EXPECT_EQ(ray->laser, warning) << before;
        }
        if (ray->laser && ray->laser != warning && !main) {
            main = ray->laser;
            EXPECT_GE(before, t2 - 1e-4f) << "the main ray comes after the warning gap";
            EXPECT_EQ(main->GetWidth(), 100.0f);
            EXPECT_TRUE(main->collideWhenGrown);
            EXPECT_GT(main->rate, 1.0f / (t3 - t2) - 1e-3f);
        }
    }
    EXPECT_EQ(warning->GetFade(), 0.0f) << "let go fading";
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(attack->finished);
    EXPECT_NEAR(t, t4 + 2 * dt, 2 * dt) << "the fire window ends it";
    EXPECT_EQ(main->GetFade(), 0.0f) << "the main ray fades out by itself";
    EXPECT_EQ(attack->GetRayCount(), 0);
    EXPECT_EQ(attack->fireCount, 1);
}

TEST_F(LaserAttacks, TheIdsChooseTheAimAndDroppingTheAttackLetsItsRaysFade) {
    const int ids[] = {10, 11, 12, 13};
    const BYTE aimed[] = {0, 1, 0, 1};
    for (int k = 0; k < 4; ++k) {
        auto* made = AttackParam_Laser::Create(enemy, ids[k]);
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->aimed, aimed[k]) << ids[k];
        EXPECT_EQ(made->followOwner, 1);
        EXPECT_TRUE(made->started);
        delete made;
    }
    EXPECT_EQ(AttackParam_Laser::Create(enemy, 14), nullptr);

    Start();
    attack->Update(0.01f);
    Bullet_Ray* held = attack->GetRay(0)->laser;
    ASSERT_NE(held, nullptr);
    delete attack;
    attack = nullptr;
    EXPECT_EQ(held->GetFade(), 0.0f) << "a ray never ends by itself, so it must not be left active";
    held->Update(0.5f);
    held->Update(0.6f);
    EXPECT_TRUE(held->IsRemoveRequested());
}

}  // namespace
}  // namespace rays_test
