// A kamikaze orb that a boss pattern releases: it chases the player at up to
// 936 units per second behind a stream of glowing sprites and, once within
// 200 units, goes off and vanishes. It is drawn only through that stream.
#pragma once
#include "engine/assets/Sprite3DInfo.h"
#include "game/enemy/AuraParam.h"
#include "game/enemy/types/PooledEnemy.h"

class Enemy_Reidan : public PooledEnemy {
public:
    static constexpr float kLife = 300.0f;
    static constexpr int64_t kScore = 5;
    static constexpr float kPursuitSpeed = 936.0f;
    static constexpr float kFireRange = 200.0f;
    static constexpr float kTrailInterval = 0.01f;

    Enemy_Reidan(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                 const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator, EnemyListSet* listSet);
    ~Enemy_Reidan() override;

    using EnemyEx::Initialize;
    int Initialize(int param) override;
    void Update(float dt) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    void UpdateWorldMatrix() override {}

    void PursuitStep(float dt);
    // Within range: the blast, one fewer enemy counted as appeared, vanish.
    void Fire();
    void TrailStep(const D3DXVECTOR3& movement, float dt);

    bool pursuing = false;
    float trailStrength = 1.0f;
    Quorvex::Sprite3DInfo sprite;
    AuraParam trail;

protected:
    // Life 300, pursuing.
    void LaunchFrom(const EnemySpawnParam& record) override;
};
