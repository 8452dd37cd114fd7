// The stage-5 boss, a doll user: a pooled boss that flies in along a fixed
// path, waits while the stage's dialogue runs and then fights through
// numbered phases (four of them spell phases) with razer streams from moving
// emitters and, above all, dolls: fairies in the doll look that its patterns
// launch and steer.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include <boost/function.hpp>

#include "game/enemy/AuraParam.h"
#include "game/enemy/types/BossCommon.h"
#include "game/enemy/types/EnemyTypeCommon.h"
#include "game/enemy/types/PooledEnemy.h"

class Enemy_Fighter2;
struct ID3DXAnimationController;

class Enemy_Orsel : public PooledEnemy, public TurnAnimation {
public:
    static constexpr float kLaunchLife = 4000.0f;
    static constexpr int64_t kScore = 6000;
    static constexpr float kScale = 20.0f;
    static constexpr float kPhaseLimit = 120.0f;
    static constexpr float kInvulnerableTime = 1.5f;
    static constexpr float kHoldTime = 1.0f;
    static constexpr float kOpeningPause = 3.0f;
    static constexpr float kTrackSpeed = 0.0225f;  // as the fairy's turning animation
    // Sideways speed (units per second) that parts the turning states.
    static constexpr float kTurnSpeed = 40.0f;

    // One shot emitter's state: active flag, age and cooldown (seconds),
    // where it is and where it aims.
    struct ParamRecord {
        int32_t active = 0;
        float age = 0.0f;
        float cooldown = 0.0f;
        Quorvex::AreaPos position;
        D3DXQUATERNION aim{0.0f, 0.0f, 0.0f, 1.0f};
    };
    // A doll pattern's state: started, total time, cooldown, volleys so far
    // and the index within the volley (or launches).
    struct StepRecord {
        // One launch done: the next after gap, or after the volley's last
        // launch the pause and the count of volleys on.
        void NextLaunch(int launches, float gap, float pause);

        uint8_t started = 0;
        float time = 0.0f;
        float cooldown = 0.0f;
        int32_t volleys = 0;
        int32_t index = 0;
    };
    // The circle barrage's state with its held doll. Only its own reset, the
    // constructor and the destructor touch it.
    struct CircleRecord {
        CircleRecord() = default;
        CircleRecord(const CircleRecord&) = delete;
        CircleRecord& operator=(const CircleRecord&) = delete;
        ~CircleRecord() { Reset(); }
        // Clears the state and lets go of the held doll.
        void Reset();

        uint8_t started = 0;
        float t = 0.0f;
        Enemy_Fighter2* doll = nullptr;  // counted
        float cooldown = 0.0f;
        float cooldown2 = 0.0f;
        int32_t volleys = 0;
        uint8_t once[3] = {0, 0, 0};
    };

    Enemy_Orsel(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator, EnemyListSet* listSet);
    ~Enemy_Orsel() override;

    using EnemyEx::Initialize;
    int Initialize(int param) override;
    void Update(float dt) override;
    void Hit(Quorvex::Object* hitter) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    void UpdateWorldMatrix() override;
    // Lets go of the animation and the owned objects, then vanishes.
    void Discard() override;
    // Back to the pool; the current-boss pointer is cleared when it names this boss.
    void Vanish() override;

    // Life 4000, path movement, out of the swept group, phase 1, current boss.
    void Launch(const Quorvex::AreaPos& position);
    void SetPhase(int n);
    // Life reached 0: explosion by phase, score, next phase.
    void OnPhaseLifeEmpty();
    void NextPhase();
    void OnEntryPathEnd(EnemyEx::MoveParam*) { NextPhase(); }
    static void ResetParamRecord(ParamRecord& record);
    void UpdateAnimation(float dt);

    // Phase steps.
    void OrdinaryStep(float dt);
    void SpellStep1(float dt);
    void SpellStep2(float dt);
    void SpellStep3(float dt);
    void SpellStep4(float dt);

    // Patterns.
    void EmitterStreams(float dt);
    void EmitterStreams2(float dt);
    void DollTrios(float dt);
    void DollFan(float dt);
    void DollPentagon(float dt);
    void DollFan2(float dt);
    void DollCross(float dt);
    void DollCircleBarrage(float dt);

    // Doll launchers: the doll in play, or null when no fairy is free.
    Enemy_Fighter2* LaunchOrbitDoll(const Quorvex::AreaPos& at, const D3DXQUATERNION& orientation,
                                    const D3DXVECTOR3& velocity, float orbitAngle);
    Enemy_Fighter2* LaunchThrownDoll(const Quorvex::AreaPos& at, const D3DXQUATERNION& orientation,
                                     const D3DXVECTOR3& velocity);
    Enemy_Fighter2* LaunchHomingDoll(const Quorvex::AreaPos& at);
    Enemy_Fighter2* LaunchLaserDoll(const Quorvex::AreaPos& at, const D3DXQUATERNION& orientation,
                                    const D3DXVECTOR3& velocity);
    Enemy_Fighter2* LaunchCrossDoll(const Quorvex::AreaPos& at, const D3DXQUATERNION& orientation,
                                    const D3DXVECTOR3& velocity, float attackDelay);
    Enemy_Fighter2* LaunchHeldDoll(const Quorvex::AreaPos& at);

    // Members, in the record's order.
    int32_t phase = 0;
    boost::function<void(float)> phaseStep;
    float invulnerableTime = 0.0f;
    AuraParam aura;
    std::vector<Quorvex::Object*> ownedObjects;  // counted
    float phaseTime = 0.0f;
    ParamRecord dollRecords[2];
    StepRecord steps[3];
    CircleRecord circle;
    ID3DXAnimationController* animation = nullptr;  // counted
    // The turning state that follows the controller comes from TurnAnimation.

protected:
    void LaunchFrom(const EnemySpawnParam& record) override;
    // One set for every state.
    int PlayTurnSet(int state) override;

private:
    // The phase timer at the head of every step: false when the time-out
    // moved the phase on (the step then stops).
    // The row of phase n in the boss's phase table, null for a phase with none.
    static const BossPhase<Enemy_Orsel>* FindPhase(int n);
    bool StepHead();
    bool PatternsActive() const;
    // The fairy from the list set with the doll's life factor applied, given
    // its behaviour, in the doll look and counted as appeared.
    Enemy_Fighter2* LaunchDoll(const Quorvex::AreaPos& at, float lifeFactor,
                               const std::function<void(Enemy_Fighter2*)>& behave);
    void EmitterStreamsCommon(ParamRecord& record, bool second, float dt);
    void FireShot(const Quorvex::AreaPos& from, const D3DXQUATERNION& orientation, float speed, int colour);
};
