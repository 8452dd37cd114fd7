// The stage-2 boss: a fairy-mesh boss from its pool that flies in along a
// fixed path, hovers before the player, fights one ordinary and one spell
// phase and leaves along an exit path. The stage-2 scene drives its phases.
#pragma once
#include <boost/function.hpp>

#include "game/enemy/AuraParam.h"
#include "game/enemy/types/PooledEnemy.h"

class Enemy_Fesko : public PooledEnemy {
public:
    static constexpr float kLaunchLife = 5000.0f;
    static constexpr float kSpellLife = 10000.0f;
    static constexpr float kNormalLimit = 60.0f;
    static constexpr float kSpellLimit = 120.0f;
    // Pattern clock at which a phase callback ends its phase as a path end.
    static constexpr float kPatternLimit = 120.0f;
    static constexpr float kMaxAge = 1000.0f;
    static constexpr float kPhaseHold = 2.0f;
    // How far the boss moves off in the kPhaseHold seconds of LeaveFight
    // (about the exit path's speed).
    static constexpr D3DXVECTOR3 kLeaveMove{0.0f, 200.0f, 500.0f};

    // Which of the four shot patterns a step runs.
    enum Pattern { PatternN1, PatternN2, PatternS1, PatternS2 };

    Enemy_Fesko(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator, EnemyListSet* listSet);
    ~Enemy_Fesko() override;

    using EnemyEx::Initialize;
    int Initialize(int param) override;
    void Update(float dt) override;
    void Hit(Quorvex::Object* other) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    void UpdateWorldMatrix() override;
    // Back to the pool; the current-boss pointer is cleared when it names this boss.
    void Vanish() override;

    // The launch: life 5000, drift copied, both shot records reset, phase 1.
    void Launch(const Quorvex::AreaPos& start, Quorvex::ObjectManager* objectManager);
    void SetPhase(int n);
    // The fight is over and the boss moves off (its stage calls this once the
    // spell ended): phase 5 with no fire and the countdown hidden, then,
    // instead of phase 5's hold, a segment up and ahead away from where it
    // is, at whose end the exit path starts.
    void LeaveFight();
    // Bound as the path end; the phase callbacks call it at their pattern limit.
    void OnPathEnd(EnemyEx::MoveParam* moveParam = nullptr);
    // The phase is spent (life 0 or its time limit).
    void OnPhaseLifeZero();
    void PhaseNormal(float dt);
    void PhaseSpell(float dt);
    // One frame of a shot pattern with its record (range test, step, clock).
    void RunPattern(Pattern pattern, float dt, EnemyEx::ShotParam1* record);

    D3DXVECTOR3 drift{0.0f, 0.0f, 0.0f};
    int phase = 0;
    boost::function<void(float)> onPhase;
    float hitCooldown = 0.0f;
    EnemyEx::ShotParam1 patternA;
    EnemyEx::ShotParam1 patternB;
    AuraParam aura;
    float phaseTime = 0.0f;
    float phaseLimit = -1.0f;

protected:
    void LaunchFrom(const EnemySpawnParam& record) override;

private:
    // The aimed bursts (N2, or S2 with spell) after the range test.
    void AimedStep(bool spell, float dt, EnemyEx::ShotParam1& w);
};
