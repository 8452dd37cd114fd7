// A weak wave enemy drawn as a camera-facing sprite: it follows its
// launcher's path, fires the pattern its launcher gives it and, shot down at a
// distance, answers with a few revenge shots at the player.
#pragma once
#include "engine/assets/Sprite3DInfo.h"
#include "game/enemy/AuraParam.h"
#include "game/enemy/types/PooledEnemy.h"

class Enemy_Fighter4 : public PooledEnemy {
public:
    static constexpr float kLife = 10.0f;
    static constexpr int64_t kScore = 25;
    static constexpr float kAgeLimit = 1000.0f;

    Enemy_Fighter4(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                   const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator, EnemyListSet* listSet);
    ~Enemy_Fighter4() override;

    using EnemyEx::Initialize;
    int Initialize(int param) override;
    void Update(float dt) override;
    // The shared hit; on the kill: explosion, revenge shots, score, vanish.
    void Hit(Quorvex::Object* hitter) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    // No mesh.
    void UpdateWorldMatrix() override {}
    // A discard does not end it: it leaves by its path, its age or a kill.
    void Discard() override { Enemy::Discard(); }

    // Path mode with life 10; leaves when its path is used up.
    void Launch(const D3DXQUATERNION& orientation, const Quorvex::AreaPos& position,
                Quorvex::ObjectManager* objectManager);
    // trunc(3 x level) shots at the target, none for a kill nearer than
    // 300 - 150 x level.
    void FireRevengeShots();

    Quorvex::Sprite3DInfo sprite;
    AuraParam aura;

protected:
    void LaunchFrom(const EnemySpawnParam& record) override;
};
