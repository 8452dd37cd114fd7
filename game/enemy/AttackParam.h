// Attack patterns: small state machines in an enemy's attack set that check
// range and cones, count their timers and fire enemy projectiles from the
// generator's bullet pool. Strength follows the owner's level.
#pragma once
#include <cstdint>

#include "engine/core/AreaPos.h"
#include "engine/core/render/FactoryAdapter.h"
#include "game/player/weapons/Bullet.h"
#include "game/player/weapons/ShotSpawnParam.h"
#include "platform/d3dx9/d3dx9.h"

class EnemyEx;

namespace Quorvex {
class IObjectManager;
struct Sprite3DData;
}

// Acquires one enemy bullet through the owner's generator and gives it the
// colour type (a negative colour skips the colour call). False when the pool
// is missing or exhausted: that shot is skipped.
bool LaunchEnemyShot(EnemyEx* owner, ShotSpawnParam& record, int colour);

class AttackParam {
public:
    explicit AttackParam(EnemyEx* owner);
    virtual ~AttackParam();

    virtual void Start();
    virtual void Finish();
    virtual void Update(float dt);
    virtual void SetDefault() = 0;
    virtual void OnFinish() = 0;
    virtual void Fire(float dt) = 0;

    // The owner's level clamped to 0..1, read again by every fire step.
    float OwnerLevel() const;

    uint8_t started = 0;
    uint8_t finished = 0;
    uint8_t enabled = 1;
    EnemyEx* owner;  // not owned
    float elapsed = 0.0f;
    float level = 0.0f;
};

// The shared state of the volley patterns (nWay, nWayThrow, Line, Single,
// ShotGun) and their burst/rest rhythm.
class AttackParam_Volley : public AttackParam {
public:
    explicit AttackParam_Volley(EnemyEx* owner) : AttackParam(owner) {}

    void SetDefault() override;
    void OnFinish() override {}
    void Fire(float dt) override;

    // Bits of aimFlags.
    static constexpr int32_t BurstUnderWay = 1;
    static constexpr int32_t PitchSide = 2;

    float volleyTimer = 0.0f;
    uint8_t variant = 0;
    int32_t volleyCount = 0;
    int32_t aimFlags = 0;
    float restScale = 1.0f;
    D3DXQUATERNION aim{0.0f, 0.0f, 0.0f, 1.0f};
    float restTimer = 0.0f;

protected:
    struct Range {
        float minDist, maxDist, coneAngle, viewAngle;
    };
    // Per pattern: range test (Single aims behind instead), rest, interval,
    // volleys of a burst, volley limit, and the volley itself.
    virtual bool InRange(float l) const;
    virtual float Rest(float l) const = 0;
    virtual float Interval(float l) const = 0;
    virtual int VolleysPerBurst(float l) const = 0;
    virtual int VolleyLimit() const { return -1; }
    virtual void FireVolley(float l, float dt) = 0;
    // With variant on: aims at the target advanced by its velocity x dt.
    void TakeAim(float dt);
};

// The fan volleys (nWay, nWayThrow): their ways, spread, shots per way with
// the speed step between them, and the limit of volleys.
class AttackParam_Fan : public AttackParam_Volley {
public:
    explicit AttackParam_Fan(EnemyEx* owner) : AttackParam_Volley(owner) {}
    void SetDefault() override;

    int32_t wayMode = 0;  // 0 as is, 1 even, 2 odd
    float spread = 0.17453294f;
    int32_t ways = -1;  // -1: chosen by level at the first volley
    int32_t shotsPerWay = 1;
    float speedStep = 0.0f;
    int32_t volleyLimit = -1;

protected:
    int VolleyLimit() const override { return volleyLimit; }
    // One volley: the ways for the level, the aim taken with variant on, then
    // a fan per shot of a way around the aim turned by sweep in yaw (mirrored
    // on the pitch side; 0 keeps the aim), shot s at speed + s x speedStep.
    void FireFans(float l, float dt, float sweep, float speed, int colour);
};

class AttackParam_nWay : public AttackParam_Fan {
public:
    explicit AttackParam_nWay(EnemyEx* owner) : AttackParam_Fan(owner) {}
    void SetDefault() override;

    float speed = 1.0f;
    int32_t colour = 1;

protected:
    float Rest(float l) const override;
    float Interval(float) const override { return 0.1f; }
    int VolleysPerBurst(float l) const override;
    void FireVolley(float l, float dt) override { FireFans(l, dt, 0.0f, speed, colour); }
};

class AttackParam_nWayThrow : public AttackParam_Fan {
public:
    explicit AttackParam_nWayThrow(EnemyEx* owner) : AttackParam_Fan(owner) {}

protected:
    float Rest(float) const override { return 0.0f; }
    float Interval(float) const override { return 0.3f; }
    int VolleysPerBurst(float) const override { return 6; }
    void FireVolley(float l, float dt) override;
};

class AttackParam_Line : public AttackParam_Volley {
public:
    explicit AttackParam_Line(EnemyEx* owner) : AttackParam_Volley(owner) {}

protected:
    bool InRange(float l) const override;
    float Rest(float l) const override;
    float Interval(float) const override { return 0.1f; }
    int VolleysPerBurst(float l) const override;
    void FireVolley(float l, float dt) override;
};

class AttackParam_Single : public AttackParam_Line {
public:
    explicit AttackParam_Single(EnemyEx* owner) : AttackParam_Line(owner) {}

protected:
    bool InRange(float l) const override;
    float Rest(float l) const override;
    int VolleysPerBurst(float l) const override;
};

class AttackParam_ShotGun : public AttackParam_Volley {
public:
    explicit AttackParam_ShotGun(EnemyEx* owner) : AttackParam_Volley(owner) {}
    void SetDefault() override;

    float spread = 0.17453294f;
    float speed = 1.0f;
    int32_t pellets = -1;  // -1: chosen by level at the first volley
    int32_t layers = 3;
    float speedStep = 0.2f;
    int32_t volleyLimit = -1;
    int32_t colour = 7;
    float intervalScale = 1.0f;

protected:
    float Rest(float l) const override;
    float Interval(float l) const override;
    int VolleysPerBurst(float l) const override;
    int VolleyLimit() const override { return volleyLimit; }
    void FireVolley(float l, float dt) override;
};

class AttackParam_Circle : public AttackParam {
public:
    explicit AttackParam_Circle(EnemyEx* owner) : AttackParam(owner) {}
    void SetDefault() override;
    void OnFinish() override {}
    void Fire(float dt) override;

    float volleyTimer = 0.0f;
    uint8_t variant = 0;
    D3DXQUATERNION aim{0.0f, 0.0f, 0.0f, 1.0f};
    float speed = 1.0f;
    float ringRadius = 0.05f;
    int32_t volleyCount = 0;
    float restTimer = 0.0f;
};

class AttackParam_OneShot : public AttackParam {
public:
    explicit AttackParam_OneShot(EnemyEx* owner) : AttackParam(owner) {}
    void SetDefault() override;
    void OnFinish() override {}
    void Fire(float dt) override;

    float volleyTimer = 0.0f;
    D3DXQUATERNION aim{0.0f, 0.0f, 0.0f, 1.0f};
};

// One fan of n ways from the record's position: way k turns in yaw and pitch
// together (a diagonal line), pitch mirrored when side is set.
void FireFan(float step, bool side, ShotSpawnParam& record, int n, const D3DXQUATERNION& baseAim, int colour);
