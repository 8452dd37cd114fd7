// A large, tough orb that hovers ahead of the player for twenty seconds and,
// from its first second to its nineteenth, flings out four homing ketamas a
// second, each armed with a single shot.
#pragma once
#include "game/enemy/AuraParam.h"
#include "game/enemy/types/PooledEnemy.h"

class Enemy_Tama : public PooledEnemy {
public:
    static constexpr float kLife = 2000.0f;
    static constexpr int64_t kScore = 120;
    static constexpr float kAgeLimit = 20.0f;
    static constexpr float kStreamStart = 1.0f;
    static constexpr float kStreamEnd = 19.0f;
    static constexpr float kSpawnInterval = 0.25f;
    static constexpr float kKetamaSpeed = 400.0f;

    Enemy_Tama(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
               const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator, EnemyListSet* listSet);
    ~Enemy_Tama() override;

    using EnemyEx::Initialize;
    int Initialize(int param) override;
    void Update(float dt) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    void UpdateWorldMatrix() override;

    // Releases the ketamas due this frame (a failed launch still uses up its
    // turn).
    void ReleaseKetamas(float dt);

    AuraParam aura;
    D3DXVECTOR3 homeVector{0.0f, 0.0f, 0.0f};
    float spawnTimer = 0.0f;
    bool firing = false;

protected:
    // Life 2000, drifting between random points about 700 ahead of the
    // generator, a new one every 2 s.
    void LaunchFrom(const EnemySpawnParam& record) override;

private:
    void HoldAtPathEnd(EnemyEx::MoveParam*) {}
};
