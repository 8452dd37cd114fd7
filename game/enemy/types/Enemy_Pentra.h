// The stage-3 boss: flies in along a fixed path, hovers before the player
// while the stage talks, then fights two ordinary and two spell phases with
// razer walls, rings, steered rain drops and a row of lasers. The stage scene
// starts the fight (phase 3) and sends it off (phase 11).
#pragma once
#include <boost/function.hpp>

#include "game/enemy/AuraParam.h"
#include "game/enemy/types/BossCommon.h"

class Enemy_Pentra : public PhaseBoss {
public:
    // The held rain drops of the first spell.
    typedef BulletHoldSet SpellParamAme;

    static constexpr float kLaunchLife = 5000.0f;
    static constexpr float kSpellLife = 10000.0f;
    static constexpr float kHitGuard = 1.5f;
    static constexpr int kScore = 3600;

    Enemy_Pentra(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                 const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator, EnemyListSet* listSet);
    ~Enemy_Pentra() override;

    using EnemyEx::Initialize;
    int Initialize(int param) override;
    void Update(float dt) override;

    void Launch(const Quorvex::AreaPos& start, const D3DXQUATERNION& orientation,
                Quorvex::ObjectManager* objectManager) override;
    void SetPhase(int n);
    void EndPhase() override;
    // Path end of the entry path (phase 1 leads to the hover).
    void NextPhase(EnemyEx::MoveParam* moveParam = nullptr);

    // Phase steps, each running its fire steps on the shot states.
    void RunPhaseA(float dt);
    void RunFirstSpell(float dt);
    void RunPatternPair(float dt);
    void RunSecondSpell(float dt);

    // Fire steps (dt, state); none fires without a target.
    void FireRingBursts(float dt, EnemyEx::ShotParam1& state);
    void FireRainRings(float dt, EnemyEx::ShotParam1& state);
    void FireRainCurtain(float dt, EnemyEx::ShotParam1& state);
    void FireRazerWalls(float dt, EnemyEx::ShotParam1& state);
    void FireSpellAimed(float dt, EnemyEx::ShotParam1& state);
    void FireRazerFan(float dt, EnemyEx::ShotParam1& state);
    void FireSecondSpellLasers(float dt, EnemyEx::ShotParam1& state);
    void FireSecondSpellVolley(float dt, EnemyEx::ShotParam1& state);

    EnemyEx::ShotParam1 shotStateA;
    EnemyEx::ShotParam1 shotStateB;
    EnemyEx::ShotParam1 shotStateC;
    AuraParam aura;
    SpellParamAme heldBullets;
    // Sets of seven lasers made by the second spell; never reset, so the
    // row appears once per boss object.
    int32_t laserCount = 0;

private:
    // The aimed fan of the spells: n shots step apart around -z, swaying by
    // sweep, each pitched toward the target with an alternating tilt and a
    // small jitter; colour types 1 .. n, or all in the blue cell.
    void FireSwayFan(int n, float step, float sweep, bool colourByIndex);
};
