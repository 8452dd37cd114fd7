// The stage of the enemy tests with the pools of the rays, the aimed laser,
// the magic missile and the volcano as the enemy generator keeps them.
#pragma once
#include "game/enemy/EnemyTestSupport.h"
#include "game/player/weapons/Bullet_AimmingLaser.h"
#include "game/player/weapons/Bullet_Missile2.h"
#include "game/player/weapons/Bullet_Ray.h"
#include "game/player/weapons/Bullet_Ray4.h"
#include "game/player/weapons/Bullet_Volcano.h"

namespace rays_test {

using enemy_test::Held;

inline D3DXQUATERNION Identity() { return D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f); }

inline D3DXVECTOR3 At(const Object3D* object) { return object->GetWorldPosition(); }

class RayStage : public enemy_test::EnemyStage {
protected:
    void SetUp() override {
        EnemyStage::SetUp();
        auto om = manager;
        rays = new EnemyBulletFactory<Bullet_Ray>(om, nullptr, generator, 100, FollowCenterAndDrift);
        generator->SetPool(EnemyGenerator_Derive::PoolRay, rays);
        rayParts = new EnemyBulletFactory<Bullet_RayPart>(om, nullptr, generator, 2000, FollowCenter);
        rays->SetSegmentFactory(rayParts);
        rays2 = new EnemyBulletFactory<Bullet_Ray2>(om, nullptr, generator, 100, FollowCenterAndDrift);
        generator->SetPool(EnemyGenerator_Derive::PoolRay2, rays2);
        rays2->SetSegmentFactory(rayParts);
        lasers = new EnemyBulletFactory<Bullet_AimmingLaser>(om, nullptr, generator, 100, FollowCenterAndDrift);
        generator->SetPool(EnemyGenerator_Derive::PoolAimmingLaser, lasers);
        laserParts = new EnemyBulletFactory<Bullet_AimmingLaserPart>(om, nullptr, generator, 2000,
                                                                     FollowCenterAndDrift);
        lasers->SetSegmentFactory(laserParts);
        missiles = new EnemyBulletFactory<Bullet_Missile2>(om, nullptr, generator, 1000, FollowDriftAsVelocity);
        generator->SetPool(EnemyGenerator_Derive::PoolMissile2, missiles);
        volcanoes = new EnemyBulletFactory<Bullet_Volcano>(om, nullptr, generator, 100, FollowCenterAndDrift);
        generator->SetPool(EnemyGenerator_Derive::PoolVolcano, volcanoes);
    }

    // Acquires from the pool and drops the caller's reference at once, as
    // the fire steps do (the pool keeps the product alive).
    template <class T>
    T* Take(Quorvex::FactoryAdapter* pool, Quorvex::IFactoryProduct::ISetParam* record) {
        Quorvex::IFactoryProduct* product = pool->AcquireProduct(record);
        auto* made = dynamic_cast<T*>(product);
        if (product) product->Release();
        return made;
    }

    Bullet_Ray* LaunchRay(float length, float width = 10.0f, const D3DXQUATERNION& orientation = Identity()) {
        Bullet_Ray::SetParam record(Quorvex::AreaPos(), orientation, nullptr, D3DXVECTOR3(0, 0, 0), 0.0f, length,
                                    width, manager);
        return Take<Bullet_Ray>(rays, &record);
    }

    EnemyBulletFactory<Bullet_Ray>* rays = nullptr;  // held by the generator
    EnemyBulletFactory<Bullet_RayPart>* rayParts = nullptr;  // held by the ray pools
    EnemyBulletFactory<Bullet_Ray2>* rays2 = nullptr;
    EnemyBulletFactory<Bullet_AimmingLaser>* lasers = nullptr;
    EnemyBulletFactory<Bullet_AimmingLaserPart>* laserParts = nullptr;
    EnemyBulletFactory<Bullet_Missile2>* missiles = nullptr;
    EnemyBulletFactory<Bullet_Volcano>* volcanoes = nullptr;
};

}  // namespace rays_test
