// Collision bodies of the beams in a real physics world: they exist exactly
// while the beam is fully grown, and never for a ray told not to collide.
#include "game/enemy/EnemyFactory.h"
#include "game/player/weapons/Bullet_AimmingLaser.h"
#include "game/player/weapons/Bullet_Ray.h"
#include "engine/render/RenderTestSupport.h"
#include "game/world/WorldTestSupport.h"

namespace world_test {
namespace {

using render_test::Held;

class BeamBodies : public WorldFixture {
protected:
    void SetUp() override {
        WorldFixture::SetUp();
        InstallFactory(1.0f);
        Sphere(L"RayPart", 10.0f, 1.0f);
        Sphere(L"Razer", 5.0f, 1.0f);
    }

    template <class T>
    T* Take(Quorvex::FactoryAdapter* pool, Quorvex::IFactoryProduct::ISetParam* record) {
        Quorvex::IFactoryProduct* product = pool->AcquireProduct(record);
        if (product) product->Release();
        return dynamic_cast<T*>(product);
    }

    template <class Beam>
    static int Bodies(const Beam* beam) {
        int count = 0;
        for (int i = 0; i < beam->GetSegmentCount(); ++i) {
            const btRigidBody* body = beam->GetSegment(i)->GetRigidBody();
            count += body && body->getWorldArrayIndex() >= 0;
        }
        return count;
    }
};

TEST_F(BeamBodies, ARayHasBodiesOnlyWhileFullyGrown) {
    Held<EnemyBulletFactory<Bullet_Ray>> rays(new EnemyBulletFactory<Bullet_Ray>(objects, areas, nullptr, 100));
    Held<EnemyBulletFactory<Bullet_RayPart>> parts(
        new EnemyBulletFactory<Bullet_RayPart>(objects, areas, nullptr, 2000));
    rays->SetSegmentFactory(parts.get());
    for (bool collide : {true, false}) {
        Bullet_Ray::SetParam record(AreaPos(), D3DXQUATERNION(0, 0, 0, 1), nullptr, D3DXVECTOR3(0, 0, 0), 0.0f,
                                    150.0f, 10.0f, objects);
        Bullet_Ray* ray = Take<Bullet_Ray>(rays.get(), &record);
        ASSERT_NE(ray, nullptr);
        ASSERT_EQ(ray->GetSegmentCount(), 3);
        ray->collideWhenGrown = collide;
        ray->Update(0.5f);
        EXPECT_EQ(Bodies(ray), 0);
        ray->Update(0.5f);
        EXPECT_EQ(Bodies(ray), collide ? 3 : 0);
        Bullet_Ray::ClampFade(ray);
        ray->Update(0.25f);
        EXPECT_EQ(Bodies(ray), collide ? 3 : 0) << "still fully grown in the first fading frame";
        ray->Update(0.25f);
        EXPECT_EQ(Bodies(ray), 0);
        ray->Update(1.0f);
        ASSERT_TRUE(ray->IsRemoveRequested());
    }
}

TEST_F(BeamBodies, AnAimedLaserHasBodiesFromFullGrowthToItsFade) {
    Held<EnemyBulletFactory<Bullet_AimmingLaser>> lasers(
        new EnemyBulletFactory<Bullet_AimmingLaser>(objects, areas, nullptr, 100));
    Held<EnemyBulletFactory<Bullet_AimmingLaserPart>> parts(
        new EnemyBulletFactory<Bullet_AimmingLaserPart>(objects, areas, nullptr, 2000));
    lasers->SetSegmentFactory(parts.get());
    Probe* target = NewProbe(D3DXVECTOR3(0.0f, 0.0f, 500.0f));
    Bullet_AimmingLaser::SetParam record(AreaPos(), D3DXQUATERNION(0, 0, 0, 1), nullptr, D3DXVECTOR3(0, 0, 0), 0.0f,
                                         100.0f, 10.0f, objects, target);
    Bullet_AimmingLaser* laser = Take<Bullet_AimmingLaser>(lasers.get(), &record);
    ASSERT_NE(laser, nullptr);
    ASSERT_EQ(laser->GetSegmentCount(), 2);
    laser->Update(0.1f);
    EXPECT_EQ(Bodies(laser), 0);
    laser->Update(0.1f);
    EXPECT_EQ(Bodies(laser), 2) << "full growth after 0.2 s";
    laser->Update(1.8f);  // 2 s: the fade starts next frame
    laser->Update(0.1f);
    EXPECT_EQ(Bodies(laser), 2);
    laser->Update(0.1f);
    EXPECT_EQ(Bodies(laser), 0);
}

}  // namespace
}  // namespace world_test
