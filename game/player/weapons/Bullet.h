// The base of every projectile, the player's and the enemies': a positioned
// object that flies as a physics body and hurts only by contact. Also the
// pieces every pooled projectile shares: the pool base with its per-frame
// drift, the launch and return steps, and the 4 x 4 colour atlas of the enemy
// bullet sprites.
#pragma once
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/FactoryAdapter.h"
#include "game/world/Object3D.h"

namespace Quorvex {
class ObjectManager;
}

// Group-flag bits of this game (Object::SetGroupFlag).
enum GameGroupFlag {
    GroupPlayerSide = 1,
    GroupEnemySide = 2,
    GroupLockable = 3,
    GroupProjectile = 4,
    GroupSolid = 5,
    GroupNoProjectileHit = 6,
    GroupSweptAtPhaseChange = 7,
};

// Update priorities, ascending order of update.
enum GameUpdatePriority {
    PriorityPlayer = 200,
    PriorityEnemyGenerator = 700,
    PriorityPool = 710,
    PriorityEnemy = 750,
    PriorityProjectile = 900,
};

class Bullet : public Object3D {
public:
    // The init record: its first word is the owner (pools pass null).
    struct InitParam {
        Quorvex::Object* owner = nullptr;
    };

    Bullet(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager, const Quorvex::AreaPos& start);
    ~Bullet() override;

    using Object3D::Initialize;
    // Owner null; priority 900; group flag 4.
    int Initialize(int param) override;
    int Initialize(const InitParam& record);

    // The collision filter the physics body asks for every candidate pair.
    bool CanCollide(Object3D* other) override;

    // "none" here; the homing shots answer "mis", the guns "gun".
    virtual const char* GetTypeName() const;

    Quorvex::Object* GetOwner() const { return m_owner; }
    void SetOwner(Quorvex::Object* owner) { m_owner = owner; }
    float GetAttackPower() const { return m_attackPower; }
    void SetAttackPower(float power) { m_attackPower = power; }

    // Sets both side bits: a pooled projectile keeps its group bits between
    // uses, so setting only one would leave a reused one on both sides.
    void SetSide(bool playerSide);
    bool IsPlayerSide() const;

    // The filter as a pure rule over two objects (self is a projectile).
    static bool FilterCollision(const Quorvex::Object* self, const Quorvex::Object* other);
    // Whether two objects are on opposite sides (one has bit 1, the other 2).
    static bool OnOppositeSides(const Quorvex::Object* a, const Quorvex::Object* b);

protected:
    // The standard contact reactions. Piercing: a hit on the other side makes
    // an explosion and the projectile flies on; a contact with itself sends
    // it back to its pool. Consumed: the same, and a hit also ends the flight.
    void OnCollisionPiercing(Quorvex::Object* other);
    void OnCollisionConsumed(Quorvex::Object* other);
    // Ends the flight: a pooled projectile returns to its pool
    // (IFactoryProduct::ReturnToFactory), any other leaves the scene.
    virtual void EndFlight();

    // Launch steps 1 to 4: cancel a pending removal, join the object manager,
    // move into the named render stage (null: none), re-bin.
    void BeginLaunch(Quorvex::ObjectManager* manager, const char* stageName);
    // Return steps after the class's own releases: leave the render stage and
    // queue the removal.
    void LeaveFlight();
    // Re-bins when the position's cell differs from the current area's.
    void RebinIfMoved();
    // Adds the pool's drift of this frame to the position (once per frame).
    void AddPoolDrift(Quorvex::FactoryAdapter* pool);
    // An explosion at the projectile through the global effect generator.
    void Explode(float size, BYTE partMask);
    // The area manager's collision shape of that name, or null.
    CollisionShapeSet* FindShape(const wchar_t* name) const;
    // A body of the shape that floats (its gravity cleared); the body, or
    // null.
    PlaneRigidBody* CreateFloatingBody(CollisionShapeSet* shape);

    Quorvex::Object* m_owner = nullptr;  // not counted
    float m_attackPower = 1.0f;
};

// Base of every projectile pool: a positioned object at the world centre with
// the drift its moving products add to their position each frame.
class BulletFactory : public Object3D, public Quorvex::FactoryAdapter {
public:
    BulletFactory(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager, const Quorvex::AreaPos& start);
    ~BulletFactory() override;

    using Object3D::Initialize;
    // Priority 710.
    int Initialize(int param) override;

    // The pool of a ray's segments; only the enemy ray pools have one.
    virtual Quorvex::FactoryAdapter* GetSegmentFactory() const { return nullptr; }

    D3DXVECTOR3 DriftVector{0.0f, 0.0f, 0.0f};
};

// The drift of the product's pool, (0, 0, 0) without a pool.
D3DXVECTOR3 GetPoolDrift(Quorvex::FactoryAdapter* pool);

// Picks the cell of the 4 x 4 bullet colour atlas for a colour type.
void SetBulletAtlasCell(Quorvex::Sprite3DData* sprite, int colorType);
// The cell of the atlas at (column, row), inset as every bullet sprite.
void SetBulletAtlasCell(Quorvex::Sprite3DData* sprite, int column, int row);

// Enemy bullets that take their colour from the bullet atlas show the
// sprite whose cell the fire steps pick.
class IAtlasColoredShot {
public:
    virtual ~IAtlasColoredShot() = default;
    virtual Quorvex::Sprite3DData* GetAtlasSprite() = 0;
};
