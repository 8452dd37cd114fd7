// The tough wave fairy: flies in along its launcher's path, hovers ahead of
// the player for 15 s of firing (a four-way sweeping cross and aimed bursts at
// once), then leaves on a fixed path.
#pragma once
#include <boost/function.hpp>

#include "game/enemy/AuraParam.h"
#include "game/enemy/types/PooledEnemy.h"

class Enemy_Fighter3 : public PooledEnemy {
public:
    static constexpr float kLife = 2000.0f;
    static constexpr int64_t kScore = 120;
    static constexpr float kAgeLimit = 1000.0f;
    static constexpr float kHoverTime = 15.0f;
    static constexpr float kSegmentTime = 2.0f;

    enum FighterState { StateApproach = 1, StateHover = 2, StateLeave = 3 };

    // A fire step's state: level, timer, cooldown (bursts only), seconds of
    // in-range firing and the step counter.
    struct ShotState {
        float level = 1.0f;
        float timer = 0.0f;
        float cooldown = 0.0f;
        float elapsed = 0.0f;
        int32_t counter = 0;
        void Reset(float shotLevel) {
            *this = ShotState();
            level = shotLevel;
        }
    };

    Enemy_Fighter3(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                   const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator, EnemyListSet* listSet);
    ~Enemy_Fighter3() override;

    using EnemyEx::Initialize;
    int Initialize(int param) override;
    void Update(float dt) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    void UpdateWorldMatrix() override;
    // A discard does not end it: it leaves by its path, its age or a kill.
    void Discard() override { Enemy::Discard(); }

    void Launch(const D3DXQUATERNION& orientation, const Quorvex::AreaPos& position,
                Quorvex::ObjectManager* objectManager);
    void SetState(int n);
    void AdvanceState();
    void HoverStep(float dt);
    // Both answer the range result (0 fired or waited in range; -1 without a
    // target).
    int FireSweepingCross(ShotState& record, float dt);
    int FireAimedBursts(ShotState& record, float dt);

    int32_t fighterState = 0;
    boost::function<void(float)> stateStep;
    ShotState crossShot;
    ShotState burstShot;
    AuraParam aura;

protected:
    void LaunchFrom(const EnemySpawnParam& record) override;

private:
    int RangeTest(const ShotState& record) const;
    void AdvanceAtPathEnd(EnemyEx::MoveParam*) { AdvanceState(); }
};
