// The large fairy: flies in along a path, hovers ahead of the player while its
// attacks fire, and leaves after 20 s of attacking. It takes three locks. One
// launched as the head of a chain sends a successor on a mirrored path each
// time it is shot down.
#pragma once
#include "game/enemy/AuraParam.h"
#include "game/enemy/types/PooledEnemy.h"

class Enemy_Big : public PooledEnemy {
public:
    static constexpr float kLife = 2000.0f;
    static constexpr int64_t kScore = 120;
    static constexpr float kAgeLimit = 100.0f;
    static constexpr float kAttackTime = 20.0f;
    static constexpr float kLeaveSpeed = 350.0f;
    static constexpr float kSuccessorSpeed = 600.0f;

    enum Phase { PhaseArriving = 0, PhaseHovering = 1, PhaseLeaving = 2 };

    Enemy_Big(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
              const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator, EnemyListSet* listSet);
    ~Enemy_Big() override;

    using EnemyEx::Initialize;
    int Initialize(int param) override;
    void Update(float dt) override;
    // Only player projectiles hurt it; the kill charges the player's Zenk
    // gauge and, in a chain, launches the successor.
    void Hit(Quorvex::Object* hitter) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    void UpdateWorldMatrix() override;
    // A discard does not end it: it leaves by its path, its age or a kill.
    void Discard() override { Enemy::Discard(); }

    void NextPhase();
    void SetLeavePath(const D3DXVECTOR3* waypoints, int n);
    // The next Big of the chain on the mirrored path; null when its pool is
    // exhausted.
    Enemy_Big* LaunchSuccessor();
    // Seconds of attacking in the hover phase: the first attack's clock (the
    // hover time when it has no attack).
    float AttackTime() const;

    int32_t bigPhase = PhaseArriving;
    int32_t chainCount = 0;
    float hoverTime = 0.0f;
    AuraParam aura;

protected:
    // Life 2000 on the path; the launcher then gives the path and the attack.
    void LaunchFrom(const EnemySpawnParam& record) override;

private:
    void NextPhaseAtPathEnd(EnemyEx::MoveParam*) { NextPhase(); }
};
