// A small bullet emitter of the stage-1 boss: it sits where it is put, shows
// its mesh in one colour and fires one of six fixed razer patterns. It cannot
// be shot down or locked, and leaves only when its holder releases it.
#pragma once
#include <boost/function.hpp>

#include "game/enemy/types/PooledEnemy.h"

class Enemy_ShotPoint : public PooledEnemy {
public:
    // The spawn position and manager of every pooled enemy, and the facing.
    struct SetParam : public EnemySpawnParam {
        D3DXQUATERNION orientation{0.0f, 0.0f, 0.0f, 1.0f};
    };

    // The fire steps' state: level, timer, rest (negative: a pause) and the
    // step counter.
    struct ShotState {
        float level = 0.0f;
        float timer = 0.0f;
        float rest = 0.0f;
        int32_t counter = 0;
        void Reset(float shotLevel) {
            *this = ShotState();
            level = shotLevel;
        }
    };

    Enemy_ShotPoint(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                    const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator, EnemyListSet* listSet);
    ~Enemy_ShotPoint() override;

    using EnemyEx::Initialize;
    int Initialize(int param) override;
    void Update(float dt) override;
    // Hits are ignored.
    void Hit(Quorvex::Object*) override {}
    void Render(Quorvex::CalcVertexSet* list) override;
    void UpdateWorldMatrix() override;
    void Vanish() override;
    // Only its holder sends it away: a discard leaves it where it is.
    void Discard() override { Enemy::Discard(); }

    void Launch(const Quorvex::AreaPos& position, const D3DXQUATERNION& orientation,
                Quorvex::ObjectManager* objectManager);
    // Selects the fire step (ids 4, 7, 8, 9, 10, 11, 12); any other id stops
    // the fire, and 0 to 3, 5 and 6 keep the shot state as it is.
    void SetPattern(int id);

    void FireCrossAimed(float dt, ShotState* state);
    void FireCrossForward(float dt, ShotState* state);
    void FireAimedLine(float dt, ShotState* state);
    void FireForwardFan(float dt, ShotState* state);
    void FireVerticalSweep(float dt, ShotState* state);
    void FireAimedSweep(float dt, ShotState* state);

    // The pitch and yaw offsets of the cross, by step counter 0..11.
    static void CrossOffset(int counter, float& pitch, float& yaw);

    D3DXVECTOR4 colour{1.0f, 1.0f, 1.0f, 1.0f};
    boost::function<void(float, ShotState*)> patternCallback;
    ShotState shotState;

protected:
    // Takes the facing from an emitter record (identity from a plain one).
    void LaunchFrom(const EnemySpawnParam& record) override;

private:
    // (pitch, yaw, 0) toward the target advanced by its velocity x dt.
    D3DXVECTOR3 AimAngles(float dt) const;
    // The emitter's own facing as (pitch, yaw, roll).
    D3DXVECTOR3 FacingAngles() const;
    // One razer at the angles; a colour type >= 0 recolours it, a blend
    // preset > 0 replaces its preset.
    void FireShot(const D3DXVECTOR3& angles, float speed, int colourType = -1, int blend = 0);
    // The timer rhythm: steps every interval while the timer allows.
    template <class Step>
    void RunSteps(ShotState* state, float dt, float interval, Step step);
    // The pause rhythm of the sweeps: rest counts up to 0, then steps every
    // 0.05 s; a step that starts a pause ends the frame's steps.
    template <class Step>
    void RunSweep(ShotState* state, float dt, Step step);
};

// (pitch, yaw, roll) whose yaw-pitch-roll rotation is the rotation matrix.
D3DXVECTOR3 MatrixToPitchYawRoll(const D3DXMATRIX& m);
