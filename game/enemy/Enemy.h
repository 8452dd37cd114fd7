// Base of every enemy and boss: life worn down by the player's projectiles,
// an explosion at zero life, placement of a pooled enemy into the world, an
// age clock and the per-frame movement callback.
#pragma once
#include <boost/function.hpp>

#include "engine/assets/MeshInfo.h"
#include "game/player/weapons/Bullet.h"
#include "game/world/Character.h"

class EnemyGenerator_Derive;
class EnemyListSet;

namespace Quorvex {
class ObjectManager;
}

class Enemy : public Character {
public:
    Enemy(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager, const Quorvex::AreaPos& position,
          EnemyGenerator_Derive* generator, EnemyListSet* listSet);
    ~Enemy() override;

    int Initialize(int param) override;
    void Update(float dt) override;
    // The physics contact callback lands here.
    void OnCollision(Quorvex::Object* other) override { Hit(other); }
    // The replay of a draw-object command: the mesh is drawn at the pose.
    void Draw() override { UpdateWorldMatrix(); }

    virtual void Discard();
    virtual float GetDamage(Quorvex::Object* hitter);
    virtual void Activate(const Quorvex::AreaPos& position, const D3DXQUATERNION& orientation, int mode,
                          Quorvex::ObjectManager* objectManager, float life, float level);
    virtual void Vanish();
    virtual void Hit(Quorvex::Object* other);
    virtual void UpdateWorldMatrix();

    void ReturnToListSet(EnemyListSet* set);
    // Makes the enemy a member of the group that boss phase changes sweep
    // again (bosses that left it rejoin through this).
    void BuildCollision();

    float GetLifeValue() { return *GetLife(); }

    Quorvex::MeshInfo mesh;
    EnemyGenerator_Derive* generator = nullptr;  // not owned
    EnemyListSet* listSet = nullptr;              // null for factory-made enemies
    int32_t state = 0;
    float age = 0.0f;
    boost::function<void(float)> onFrame;
    float level = 0.0f;
};
