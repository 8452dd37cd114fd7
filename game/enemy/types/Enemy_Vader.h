// A fairy-shaped fighter that flies a square-wave pattern relative to the
// moving centre: it backs toward the player, steps sideways, backs again and
// steps back, two seconds a leg, while it fires its launcher's attack.
#pragma once
#include "game/enemy/AuraParam.h"
#include "game/enemy/types/PooledEnemy.h"

class Enemy_Vader : public PooledEnemy {
public:
    static constexpr float kLife = 200.0f;
    static constexpr int64_t kScore = 36;
    static constexpr float kAgeLimit = 400.0f;
    static constexpr float kLegTime = 2.0f;

    Enemy_Vader(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator, EnemyListSet* listSet);
    ~Enemy_Vader() override;

    using EnemyEx::Initialize;
    int Initialize(int param) override;
    void Update(float dt) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    void UpdateWorldMatrix() override;

    // The movement of the current leg (1 to 4).
    static D3DXVECTOR3 LegOffset(int leg);
    void PatternStep(float dt);

    AuraParam aura;
    D3DXVECTOR3 homeVector{0.0f, 0.0f, 0.0f};
    int32_t leg = 1;
    float legTimer = 0.0f;
    Quorvex::AreaPos anchor;

protected:
    // Life 200, leg 1 from the spawn point; no path of its own.
    void LaunchFrom(const EnemySpawnParam& record) override;
};
