// The enemy-bullet pools of the enemy generator, one class per projectile.
#pragma once
#include "game/enemy/EnemyFactory.h"
#include "game/player/weapons/Bullet_AimmingLaser.h"
#include "game/player/weapons/Bullet_Missile2.h"
#include "game/player/weapons/Bullet_Nuke.h"
#include "game/player/weapons/Bullet_Ray.h"
#include "game/player/weapons/Bullet_RayPart.h"
#include "game/player/weapons/Bullet_Razer.h"
#include "game/player/weapons/Bullet_Ring.h"
#include "game/player/weapons/Bullet_Volcano.h"

// A named pool over its projectile with its maximum count and the way it
// follows the stage.
template <class T, int MaxCount, BulletPoolFollow Follow>
class BulletPool : public EnemyBulletFactory<T> {
public:
    static constexpr int kMaxCount = MaxCount;
    BulletPool(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
               EnemyGenerator_Derive* generator)
        : EnemyBulletFactory<T>(objectManager, areaManager, generator, MaxCount, Follow) {}
};

class Bullet_RazerFactory : public BulletPool<Bullet_Razer, 2000, FollowDrift> {
public:
    using BulletPool::BulletPool;
};
class Bullet_RingFactory : public BulletPool<Bullet_Ring, 1000, FollowDrift> {
public:
    using BulletPool::BulletPool;
};
// The missile adds the centre's movement itself, as a velocity.
class Bullet_Missile2Factory : public BulletPool<Bullet_Missile2, 1000, FollowDriftAsVelocity> {
public:
    using BulletPool::BulletPool;
};
class Bullet_VolcanoFactory : public BulletPool<Bullet_Volcano, 100, FollowCenterAndDrift> {
public:
    using BulletPool::BulletPool;
};
// The segments of the rays; the ray and ray2 pools share one.
class Bullet_RayPartFactory : public BulletPool<Bullet_RayPart, 2000, FollowCenter> {
public:
    using BulletPool::BulletPool;
};
class Bullet_AimmingLaserPartFactory : public BulletPool<Bullet_AimmingLaserPart, 2000, FollowCenterAndDrift> {
public:
    using BulletPool::BulletPool;
};

// Makes and owns its segment pool when initialised: -1 when that fails.
class Bullet_RayFactory : public BulletPool<Bullet_Ray, 100, FollowCenterAndDrift> {
public:
    using BulletPool::BulletPool;
    int Initialize(int param) override;
};
// Handed the ray pool's segment pool by the generator.
class Bullet_Ray2Factory : public BulletPool<Bullet_Ray2, 100, FollowCenterAndDrift> {
public:
    using BulletPool::BulletPool;
};
class Bullet_AimmingLaserFactory : public BulletPool<Bullet_AimmingLaser, 100, FollowCenterAndDrift> {
public:
    using BulletPool::BulletPool;
    int Initialize(int param) override;
};

// The enemy generator's nuke pool, which the player's Heavy and Toska sets
// launch into as well.
class Bullet_NukeFactory : public EnemyBulletFactory<Bullet_Nuke> {
public:
    static constexpr int kMaxCount = 1000;
    Bullet_NukeFactory(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                       EnemyGenerator_Derive* generator)
        : EnemyBulletFactory<Bullet_Nuke>(objectManager, areaManager, generator, kMaxCount, FollowDrift) {}
};
