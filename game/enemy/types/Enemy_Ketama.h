// A small homing orb drawn as a camera-facing sprite: it flies toward the
// player until it comes within 200 units, then keeps its course, carried
// along with the moving centre.
#pragma once
#include "engine/assets/Sprite3DInfo.h"
#include "game/enemy/types/PooledEnemy.h"

class Enemy_Ketama : public PooledEnemy {
public:
    static constexpr float kLife = 20.0f;
    static constexpr int64_t kScore = 5;
    static constexpr float kHomingSpeed = 600.0f;
    static constexpr float kHomingRange = 200.0f;

    Enemy_Ketama(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                 const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator, EnemyListSet* listSet);
    ~Enemy_Ketama() override;

    using EnemyEx::Initialize;
    int Initialize(int param) override;
    void Update(float dt) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    void UpdateWorldMatrix() override;

    // Steers toward the player while homing (velocity blends by dt toward
    // 600 units/s at it), then moves with the centre and its velocity.
    void HomingMotion(float dt);

    Quorvex::Sprite3DInfo sprite;
    bool homing = false;

protected:
    // Life 20, homing, moved by its own homing step.
    void LaunchFrom(const EnemySpawnParam& record) override;
};
