#include "game/enemy/AttackParam.h"

#include <algorithm>
#include <cmath>

#include "engine/core/Utility.h"
#include "game/enemy/EnemyEx.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/player/weapons/Bullet.h"

namespace {

constexpr float kConeAngle = 1.9198623f;  // 110 degrees
constexpr float kViewAngle = 1.7453294f;  // 100 degrees
// Speed factor of the single-line shots.
constexpr float kLineSpeed = 1.2f;
// Half of the 2 degrees between the two shots of an odd Line volley.
constexpr float kLineHalfGap = 0.03490659f * 0.5f;

D3DXQUATERNION YawPitchRoll(float yaw, float pitch, float roll) {
    D3DXQUATERNION q;
    D3DXQuaternionRotationYawPitchRoll(&q, yaw, pitch, roll);
    return q;
}

D3DXQUATERNION Turned(const D3DXQUATERNION& aim, const D3DXQUATERNION& turn) {
    D3DXQUATERNION q;
    D3DXQuaternionMultiply(&q, &aim, &turn);
    return q;
}

// (r - 0.5) with a fresh draw.
float Jitter() { return Quorvex::RandomFloat() - 0.5f; }

// The ways of a fan: chosen by level at the first volley and kept, then made
// even or odd by the way mode. step is the angle between neighbours.
int FanWays(int32_t& ways, int wayMode, float spread, float l, float& step) {
    if (ways < 0) ways = static_cast<int>(3.0f * l + 4.0f);
    int n = ways;
    if (wayMode == 1) n = 2 * (ways / 2);
    if (wayMode == 2) n = 2 * (ways / 2) + 1;
    step = n > 1 ? spread / static_cast<float>(n - 1) : 0.0f;
    return n;
}

bool TargetFarBehind(const EnemyEx* owner) {
    return owner->GetTargetPosition().z - owner->GetWorldPosition().z < -100.0f;
}

bool InVolleyRange(const EnemyEx* owner, float minDist, float maxDist) {
    return EnemyEx::CheckAttackRange(owner->GetTargetPosition(), owner->GetOrientation(), owner->GetWorldPosition(),
                                     minDist, maxDist, kConeAngle, kViewAngle) == 0;
}

void FireOne(EnemyEx* owner, const D3DXQUATERNION& orientation, float level, float speed, int colour) {
    ShotSpawnParam record;
    MakeShotSpawnParam(owner->GetAreaPos(), orientation, record, owner, owner->GetTargetVelocity(), level,
                       owner->GetManager(), speed, 1);
    LaunchEnemyShot(owner, record, colour);
}

}  // namespace

// ---------------------------------------------------------------------------
// Launch records

bool LaunchEnemyShot(EnemyEx* owner, ShotSpawnParam& record, int colour) {
    Quorvex::FactoryAdapter* pool =
        owner && owner->generator ? owner->generator->GetPool(EnemyGenerator_Derive::PoolRazer) : nullptr;
    if (!pool) return false;
    Quorvex::IFactoryProduct* shot = pool->AcquireProduct(&record);
    if (!shot) return false;
    if (colour >= 0)
        if (auto* coloured = dynamic_cast<IAtlasColoredShot*>(shot)) SetBulletAtlasCell(coloured->GetAtlasSprite(), colour);
    shot->Release();
    return true;
}

void FireFan(float step, bool side, ShotSpawnParam& record, int n, const D3DXQUATERNION& baseAim, int colour) {
    for (int i = 0, k = -(n / 2); i < n; ++i, ++k) {
        const float a = k * step;
        record.orientation = Turned(baseAim, YawPitchRoll(a, side ? -a : a, 0.0f));
        LaunchEnemyShot(static_cast<EnemyEx*>(record.owner), record, colour);
    }
}

// ---------------------------------------------------------------------------
// AttackParam

AttackParam::AttackParam(EnemyEx* owner_) : owner(owner_) {}

AttackParam::~AttackParam() = default;

void AttackParam::Start() {
    elapsed = 0.0f;
    finished = 0;
    enabled = 1;
    level = owner ? owner->level : 0.0f;
    SetDefault();
    started = 1;
}

void AttackParam::Finish() {
    finished = 1;
    OnFinish();
}

void AttackParam::Update(float dt) {
    if (!enabled) return;
    Fire(dt);
    elapsed += dt;
}

float AttackParam::OwnerLevel() const {
    return std::clamp(owner ? owner->level : 0.0f, 0.0f, 1.0f);
}

// ---------------------------------------------------------------------------
// The volley family

void AttackParam_Volley::SetDefault() {
    D3DXQuaternionRotationYawPitchRoll(&aim, D3DX_PI, 0.0f, 0.0f);
    volleyTimer = 0.0f;
    volleyCount = 0;
    aimFlags = 0;
    restTimer = 0.0f;
    variant = 0;
}

bool AttackParam_Volley::InRange(float l) const {
    const float i = 1.0f - l;
    return InVolleyRange(owner, 200.0f + 150.0f * i, 2500.0f - 500.0f * i);
}

void AttackParam_Volley::TakeAim(float dt) {
    const D3DXVECTOR3 ahead = owner->GetTargetPosition() + owner->GetTargetVelocity() * dt;
    const D3DXVECTOR3 angles = MakeAimAngles(owner->GetWorldPosition(), ahead);
    aim = YawPitchRoll(angles.y, angles.x, 0.0f);
    if (!(aimFlags & BurstUnderWay)) {
        aimFlags |= BurstUnderWay;
        if (Quorvex::RandomInt() & 1) aimFlags |= PitchSide;
    }
}

void AttackParam_Volley::Fire(float dt) {
    if (!owner || !owner->GetTarget()) return;
    const float l = OwnerLevel();
    // Out of range or cone: no timer moves.
    if (!InRange(l)) return;
    const float rest = Rest(l);
    if (restTimer > 0.0f) {
        restTimer -= dt;
        return;
    }
    if (volleyTimer <= 0.0f) {
        const float interval = Interval(l);
        while (volleyTimer <= 0.0f) {
            const int limit = VolleyLimit();
            if (limit > 0 || volleyCount < VolleysPerBurst(l)) {
                FireVolley(l, dt);
                ++volleyCount;
                volleyTimer += interval;
                if (limit > 0 && volleyCount >= limit) {
                    Finish();
                    break;
                }
                // A pattern set to no interval fires one volley a frame.
                if (interval <= 0.0f) break;
            } else {
                // The burst is done: rest, and the next burst starts in a
                // later frame (a burst of no volleys would spin here).
                aimFlags &= ~BurstUnderWay;
                restTimer = rest;
                volleyCount = 0;
                aimFlags ^= PitchSide;
                break;
            }
        }
    }
    volleyTimer -= dt;
}

// Fans

void AttackParam_Fan::SetDefault() {
    AttackParam_Volley::SetDefault();
    wayMode = 0;
    spread = 0.17453294f;
    ways = -1;
    shotsPerWay = 1;
    speedStep = 0.0f;
    volleyLimit = -1;
}

void AttackParam_Fan::FireFans(float l, float dt, float sweep, float speed, int colour) {
    float step = 0.0f;
    const int n = FanWays(ways, wayMode, spread, l, step);
    if (variant) TakeAim(dt);
    const bool side = (aimFlags & PitchSide) != 0;
    if (side) sweep = -sweep;
    const D3DXQUATERNION volleyAim = sweep == 0.0f ? aim : Turned(aim, YawPitchRoll(sweep, 0.0f, 0.0f));
    for (int s = 0; s < shotsPerWay; ++s) {
        ShotSpawnParam record;
        MakeShotSpawnParam(owner->GetAreaPos(), volleyAim, record, owner, owner->GetTargetVelocity(), l,
                           owner->GetManager(), speed + s * speedStep, 1);
        FireFan(step, side, record, n, volleyAim, colour);
    }
}

// nWay

void AttackParam_nWay::SetDefault() {
    AttackParam_Fan::SetDefault();
    speed = 1.0f;
    colour = 1;
}

float AttackParam_nWay::Rest(float l) const { return (1.5f - 1.25f * l) * restScale; }

int AttackParam_nWay::VolleysPerBurst(float l) const { return 1 + static_cast<int>(3.0f * l); }

// nWayThrow

// The volleys of a burst sweep 45 degrees.
void AttackParam_nWayThrow::FireVolley(float l, float dt) {
    FireFans(l, dt, volleyCount * (D3DX_PI / 4.0f) / 6.0f - D3DX_PI / 8.0f, 1.0f, -1);
}

// Line

bool AttackParam_Line::InRange(float l) const {
    const float i = 1.0f - l;
    return InVolleyRange(owner, 150.0f + 200.0f * i, 2500.0f - 500.0f * i);
}

float AttackParam_Line::Rest(float l) const { return (3.0f - l) * restScale; }

int AttackParam_Line::VolleysPerBurst(float l) const { return 3 + static_cast<int>(4.0f * l); }

void AttackParam_Line::FireVolley(float l, float dt) {
    if (variant) TakeAim(dt);
    if (volleyCount % 2 == 0) {
        FireOne(owner, aim, l, kLineSpeed, 1);
    } else {
        FireOne(owner, Turned(aim, YawPitchRoll(-kLineHalfGap, 0.0f, 0.0f)), l, kLineSpeed, 1);
        FireOne(owner, Turned(aim, YawPitchRoll(kLineHalfGap, 0.0f, 0.0f)), l, kLineSpeed, 1);
    }
}

// Single

bool AttackParam_Single::InRange(float) const { return TargetFarBehind(owner); }

float AttackParam_Single::Rest(float l) const { return (1.25f - 0.5f * l) * restScale; }

int AttackParam_Single::VolleysPerBurst(float l) const { return static_cast<int>(2.5f * l); }

// ShotGun

void AttackParam_ShotGun::SetDefault() {
    AttackParam_Volley::SetDefault();
    spread = 0.17453294f;
    speed = 1.0f;
    pellets = -1;
    layers = 3;
    speedStep = 0.2f;
    volleyLimit = -1;
    colour = 7;
    intervalScale = 1.0f;
}

float AttackParam_ShotGun::Rest(float l) const { return (1.5f - 1.25f * l) * restScale; }

float AttackParam_ShotGun::Interval(float l) const { return (2.5f - 0.5f * l) * intervalScale; }

int AttackParam_ShotGun::VolleysPerBurst(float l) const { return 1 + static_cast<int>(3.0f * l); }

void AttackParam_ShotGun::FireVolley(float l, float dt) {
    if (pellets < 0) pellets = static_cast<int>(3.0f * l + 4.0f);
    if (variant) TakeAim(dt);
    for (int j = 0; j < layers; ++j)
        for (int p = 0; p < pellets; ++p) {
            const float yaw = Jitter() * spread;
            const float pitch = Jitter() * spread;
            FireOne(owner, Turned(aim, YawPitchRoll(yaw, pitch, 0.0f)), l, speed + j * speedStep, colour);
        }
}

// ---------------------------------------------------------------------------
// Circle

void AttackParam_Circle::SetDefault() {
    D3DXQuaternionRotationYawPitchRoll(&aim, D3DX_PI, 0.0f, 0.0f);
    volleyTimer = 0.0f;
    variant = 0;
    speed = 1.0f;
    ringRadius = 0.05f;
    volleyCount = 0;
    restTimer = 0.0f;
}

void AttackParam_Circle::Fire(float dt) {
    if (!owner || !owner->GetTarget()) return;
    const float l = OwnerLevel();
    const float i = 1.0f - l;
    if (!InVolleyRange(owner, 150.0f + 200.0f * i, 2500.0f - 500.0f * i)) return;
    if (restTimer > 0.0f) {
        restTimer -= dt;
        return;
    }
    const float interval = 0.75f * i + 0.25f;
    const int volleysPerBurst = 3 + static_cast<int>(4.0f * l);
    while (volleyTimer <= 0.0f) {
        if (volleyCount >= volleysPerBurst) {
            restTimer = 3.0f * i + 1.0f;
            volleyCount = 0;
            break;
        }
        if (variant) {
            const D3DXVECTOR3 ahead = owner->GetTargetPosition() + owner->GetTargetVelocity() * dt;
            const D3DXVECTOR3 angles = MakeAimAngles(owner->GetWorldPosition(), ahead);
            aim = YawPitchRoll(angles.y, angles.x, 0.0f);
        }
        for (int j = 0; j < 8; ++j) {
            const float a = j * 2.0f * D3DX_PI / 8.0f;
            const D3DXVECTOR3 dir = Quorvex::RotateByQuaternion(
                D3DXVECTOR3(ringRadius * std::sin(a), ringRadius * std::cos(a), 1.0f), aim);
            const D3DXVECTOR3 angles = MakeAimAngles(D3DXVECTOR3(0.0f, 0.0f, 0.0f), dir);
            FireOne(owner, YawPitchRoll(angles.y, angles.x, 0.0f), l, speed, -1);
        }
        ++volleyCount;
        volleyTimer += interval;
    }
    volleyTimer -= dt;
}

// ---------------------------------------------------------------------------
// OneShot

void AttackParam_OneShot::SetDefault() {
    D3DXQuaternionRotationYawPitchRoll(&aim, D3DX_PI, 0.0f, 0.0f);
    volleyTimer = 0.0f;
}

void AttackParam_OneShot::Fire(float dt) {
    if (!owner || !owner->GetTarget()) return;
    if (!TargetFarBehind(owner)) return;
    const float l = OwnerLevel();
    if (volleyTimer <= 0.0f) {
        FireOne(owner, aim, l, kLineSpeed, 1);
        volleyTimer += (1.0f - l) * 3.0f + 2.0f;
    }
    volleyTimer -= dt;
}
