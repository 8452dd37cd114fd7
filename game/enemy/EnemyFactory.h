// The enemy and enemy-bullet pools of the enemy generator: each creates its
// products on demand up to a maximum count and hands out free ones again.
// One template per pool kind; a pool class is the template over its product.
#pragma once
#include "engine/core/render/FactoryAdapter.h"
#include "engine/core/render/ObjectManager.h"
#include "game/player/weapons/Bullet.h"
#include "game/state/Environment2.h"

class EnemyGenerator_Derive;

// The launch record of the factory-made enemies: the spawn position and the
// object manager to join (filled again by the pool).
struct EnemySpawnParam : public Quorvex::IFactoryProduct::ISetParam {
    Quorvex::AreaPos position;
    Quorvex::ObjectManager* manager = nullptr;
};

class EnemyFactoryBase : public Quorvex::Object, public Quorvex::FactoryAdapter {
public:
    // registered: joins the object manager at once with a membership bitset
    // (every enemy pool but the emitters').
    EnemyFactoryBase(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                     EnemyGenerator_Derive* generator, int maxCount, bool registered);

    // Update priority 710: 0.
    int Initialize(int param) override;
    // The pools of the bosses that drift with the stage copy the generator's
    // centre motion; the others do nothing.
    void Update(float dt) override;
    // Names the object manager in the record, then hands it to the product.
    int ApplyParam(Quorvex::IFactoryProduct* product, Quorvex::IFactoryProduct::ISetParam* param) override;

    Quorvex::ObjectManager* objectManager;  // not counted
    Quorvex::IAreaManager* areaManager;     // not counted
    EnemyGenerator_Derive* generator;       // not counted: the products' owner
    bool copiesCenterMotion = false;
    D3DXVECTOR3 centerMotion{0.0f, 0.0f, 0.0f};

protected:
    // Where new products are made: the centre position.
    Quorvex::AreaPos SpawnPosition() const;
};

// T is an enemy class that also derives Quorvex::FactoryProductAdapter and is
// constructed (object manager, area manager, position, generator, list set).
template <class T>
class EnemyFactory : public EnemyFactoryBase {
public:
    EnemyFactory(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                 EnemyGenerator_Derive* generator, int maxCount, bool registered = true)
        : EnemyFactoryBase(objectManager, areaManager, generator, maxCount, registered) {}

    Quorvex::IFactoryProduct* CreateProduct() override {
        return NewProduct<T>(0, objectManager, areaManager, SpawnPosition(), generator, nullptr);
    }
};

// What a bullet pool takes from the stage every frame.
enum BulletPoolFollow {
    FollowDrift,            // copies the generator's centre motion into its drift
    FollowCenter,           // takes the centre position
    FollowCenterAndDrift,   // both
    FollowDriftAsVelocity,  // the centre motion divided by the frame time
};

class EnemyBulletFactoryBase : public BulletFactory {
public:
    EnemyBulletFactoryBase(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                           EnemyGenerator_Derive* generator, int maxCount, BulletPoolFollow follow);
    ~EnemyBulletFactoryBase() override;

    void Update(float dt) override;

    // Stores the segment pool with a counted reference (the ray pools share
    // one), releasing the one it replaces.
    void SetSegmentFactory(Quorvex::FactoryAdapter* factory);
    Quorvex::FactoryAdapter* GetSegmentFactory() const override { return segmentFactory; }

    EnemyGenerator_Derive* generator;  // not counted
    BulletPoolFollow follow;
    Quorvex::FactoryAdapter* segmentFactory = nullptr;  // counted
};

// T is a pooled projectile constructed (object manager, area manager,
// position).
template <class T>
class EnemyBulletFactory : public EnemyBulletFactoryBase {
public:
    EnemyBulletFactory(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                       EnemyGenerator_Derive* generator, int maxCount, BulletPoolFollow follow = FollowDrift)
        : EnemyBulletFactoryBase(objectManager, areaManager, generator, maxCount, follow) {}

    Quorvex::IFactoryProduct* CreateProduct() override {
        return NewProduct<T>(0, GetManager(), GetAreaManager(), GetAreaPos());
    }
};
