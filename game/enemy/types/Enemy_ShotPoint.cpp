#include "game/enemy/types/Enemy_ShotPoint.h"

#include <algorithm>
#include <cmath>

#include <boost/bind/bind.hpp>

#include "engine/assets/MeshUnit.h"
#include "engine/core/Utility.h"
#include "engine/core/render/DrawMeshInfo.h"
#include "game/enemy/AttackParam.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/types/EnemyTypeCommon.h"
#include "game/player/PlayerResources.h"
#include "game/player/weapons/Bullet_Razer.h"

using boost::placeholders::_1;
using boost::placeholders::_2;

namespace {

constexpr float kDegree = 0.017453292f;
constexpr float kSweepStep = 0.05f;

float Jitter(float degrees) { return (Quorvex::RandomFloat() - 0.5f) * degrees * kDegree; }

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

// The angles rotated first about the x axis by a.
D3DXVECTOR3 RotatedAboutX(const D3DXVECTOR3& angles, float a) {
    D3DXMATRIX rx, ypr, m;
    D3DXMatrixRotationX(&rx, a);
    D3DXMatrixRotationYawPitchRoll(&ypr, angles.y, angles.x, angles.z);
    D3DXMatrixMultiply(&m, &rx, &ypr);
    return MatrixToPitchYawRoll(m);
}

}  // namespace

D3DXVECTOR3 MatrixToPitchYawRoll(const D3DXMATRIX& m) {
    const float yaw0 = std::atan2(m._31, m._33);
    const float pitch = -std::asin(std::clamp(m._32, -1.0f, 1.0f));
    const float c = std::cos(pitch);
    if (std::fabs(c) > 0.000001f) {
        float roll = std::asin(std::clamp(m._12 / c, -1.0f, 1.0f));
        if (m._22 < 0.0f) roll = D3DX_PI - roll;
        return D3DXVECTOR3(pitch, yaw0, roll);
    }
    return D3DXVECTOR3(pitch, std::atan2(-m._13, m._11), 0.0f);
}

Enemy_ShotPoint::Enemy_ShotPoint(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                                 const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator_,
                                 EnemyListSet* listSet_)
    : PooledEnemy(objectManager, areaManager, position, generator_, listSet_) {}

Enemy_ShotPoint::~Enemy_ShotPoint() { patternCallback.clear(); }

int Enemy_ShotPoint::Initialize(int param) {
    Enemy::Initialize(param);
    CreateEnemyBody(this, L"Fighter");
    return 0;
}

void Enemy_ShotPoint::LaunchFrom(const EnemySpawnParam& record) {
    const auto* emitter = dynamic_cast<const SetParam*>(&record);
    Launch(record.position, emitter ? emitter->orientation : D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f), record.manager);
}

void Enemy_ShotPoint::Launch(const Quorvex::AreaPos& position, const D3DXQUATERNION& orientation,
                             Quorvex::ObjectManager* objectManager) {
    EnemyEx::Launch(orientation, objectManager, position, MoveModeNone, 100.0f, D3DXVECTOR3(100.0f, 100.0f, 314.0f));
    SetGroupFlag(GroupLockable, false);
    JoinRenderStage(this, "Sprite3D");
    SetEnemyMesh(this, "Mesh_ShotPoint");
    m_areaPos = position;
    patternCallback.clear();
    GetMoveParam()->refPoint = GetWorldPosition();
    SyncRigidBody(1);
}

void Enemy_ShotPoint::Update(float dt) {
    Enemy::Update(dt);
    UpdateAttacks(dt);
    if (!patternCallback.empty()) {
        // A step may select another pattern.
        const boost::function<void(float, ShotState*)> step = patternCallback;
        step(dt, &shotState);
    }
}

void Enemy_ShotPoint::SetPattern(int id) {
    patternCallback.clear();
    void (Enemy_ShotPoint::*step)(float, ShotState*) = nullptr;
    switch (id) {
    case 4:
    case 7:
        step = &Enemy_ShotPoint::FireCrossAimed;
        shotState.Reset(level);
        break;
    case 8:
        step = &Enemy_ShotPoint::FireCrossForward;
        shotState.Reset(level);
        break;
    case 9:
        step = &Enemy_ShotPoint::FireAimedLine;
        shotState.Reset(level);
        shotState.timer = -2.0f;
        break;
    case 10:
        step = &Enemy_ShotPoint::FireForwardFan;
        shotState.Reset(level);
        shotState.timer = -2.0f;
        onFrame.clear();
        colour = D3DXVECTOR4(1.0f, 1.0f, 1.0f, 1.0f);
        break;
    case 11:
        step = &Enemy_ShotPoint::FireVerticalSweep;
        shotState.Reset(level);
        shotState.rest = -2.0f;
        onFrame.clear();
        colour = D3DXVECTOR4(0.0f, 0.0f, 0.0f, 1.0f);
        break;
    case 12:
        step = &Enemy_ShotPoint::FireAimedSweep;
        shotState.Reset(level);
        shotState.rest = -4.0f;
        onFrame.clear();
        colour = D3DXVECTOR4(1.0f, 1.0f, 1.0f, 1.0f);
        break;
    default:
        break;
    }
    GetMoveParam()->refPoint = GetWorldPosition();
    if (step) patternCallback = boost::bind(step, this, _1, _2);
}

void Enemy_ShotPoint::CrossOffset(int counter, float& pitch, float& yaw) {
    const float step = 5.0f * kDegree;
    pitch = 0.0f;
    yaw = 0.0f;
    switch (counter / 3) {
    case 0: pitch = -step; break;
    case 1: yaw = -step; break;
    case 2: pitch = step; break;
    default: yaw = step; break;
    }
}

D3DXVECTOR3 Enemy_ShotPoint::AimAngles(float dt) const {
    const D3DXVECTOR3 d = GetTargetPosition() + GetTargetVelocity() * dt - GetWorldPosition();
    return D3DXVECTOR3(std::atan2(-d.y, std::sqrt(d.x * d.x + d.z * d.z)), std::atan2(d.x, d.z), 0.0f);
}

D3DXVECTOR3 Enemy_ShotPoint::FacingAngles() const {
    D3DXMATRIX m;
    D3DXMatrixRotationQuaternion(&m, &m_orientation);
    return MatrixToPitchYawRoll(m);
}

void Enemy_ShotPoint::FireShot(const D3DXVECTOR3& angles, float speed, int colourType, int blend) {
    Quorvex::FactoryAdapter* pool = generator ? generator->GetPool(EnemyGenerator_Derive::PoolRazer) : nullptr;
    if (!pool) return;
    D3DXQUATERNION orientation;
    D3DXQuaternionRotationYawPitchRoll(&orientation, angles.y, angles.x, angles.z);
    ShotSpawnParam record;
    MakeShotSpawnParam(m_areaPos, orientation, record, this, GetTargetVelocity(), level, GetManager(), speed, 1);
    Quorvex::IFactoryProduct* shot = pool->AcquireProduct(&record);
    if (!shot) return;
    if (auto* razer = dynamic_cast<Bullet_Razer*>(shot)) {
        if (colourType >= 0) SetBulletAtlasCell(razer->GetAtlasSprite(), colourType);
        if (blend > 0) razer->SetBlendMode(blend);
    }
    shot->Release();
}

template <class Step>
void Enemy_ShotPoint::RunSteps(ShotState* state, float dt, float interval, Step step) {
    state->timer += dt;
    while (state->timer >= interval) {
        step();
        state->timer -= interval;
    }
}

template <class Step>
void Enemy_ShotPoint::RunSweep(ShotState* state, float dt, Step step) {
    state->rest = std::min(state->rest + dt, 0.0f);
    if (state->rest < 0.0f) return;
    state->timer += dt;
    while (state->timer >= kSweepStep) {
        step();
        state->timer -= kSweepStep;
        if (state->rest < 0.0f) break;
    }
}

void Enemy_ShotPoint::FireCrossAimed(float dt, ShotState* state) {
    if (!target) return;
    const float interval = std::max(2.0f - 1.5f * state->level, 0.5f);
    RunSteps(state, dt, interval, [&] {
        D3DXVECTOR3 angles = AimAngles(dt);
        angles.x += Jitter(1.0f);
        angles.y += Jitter(1.0f);
        float pitch, yaw;
        CrossOffset(state->counter, pitch, yaw);
        FireShot(D3DXVECTOR3(angles.x + pitch, angles.y + yaw, 0.0f), 1.0f);
        state->counter = (state->counter + 1) % 12;
    });
}

void Enemy_ShotPoint::FireCrossForward(float dt, ShotState* state) {
    if (!target) return;
    const float interval = std::max(0.3f - 0.29f * state->level, 0.1f);
    RunSteps(state, dt, interval, [&] {
        D3DXVECTOR3 angles = FacingAngles();
        angles.x += Jitter(1.0f);
        angles.y += Jitter(1.0f);
        float pitch, yaw;
        CrossOffset(state->counter, pitch, yaw);
        FireShot(D3DXVECTOR3(angles.x + pitch, angles.y + yaw, angles.z), 0.5f);
        state->counter = (state->counter + 1) % 12;
    });
}

void Enemy_ShotPoint::FireAimedLine(float dt, ShotState* state) {
    if (!target) return;
    const float interval = std::max(1.0f - 0.5f * state->level, 0.5f);
    RunSteps(state, dt, interval, [&] {
        D3DXVECTOR3 angles = AimAngles(dt);
        angles.x += Jitter(5.0f);
        angles.y += Jitter(5.0f);
        float pitch, yaw;
        CrossOffset(state->counter, pitch, yaw);
        const D3DXVECTOR3 direction(angles.x + pitch, angles.y + yaw, 0.0f);
        for (int i = 0; i < 10; ++i) FireShot(direction, 1.0f + 0.1f * i);
        state->counter = (state->counter + 1) % 12;
    });
}

void Enemy_ShotPoint::FireForwardFan(float dt, ShotState* state) {
    if (!target) return;
    const float l = Clamp01(state->level);
    RunSteps(state, dt, 0.6f - 0.2f * l, [&] {
        const D3DXVECTOR3 facing = FacingAngles();
        const float sway = (std::abs(state->counter - 2) - 1) * 5.0f * kDegree;
        const int n = static_cast<int>(3.0f * l + 4.0f);
        for (int i = 0; i < n; ++i) {
            const float pitch = facing.x + Jitter(2.0f);
            const float yaw = facing.y + sway + Jitter(1.0f) + (i - n / 2) * 3.0f * kDegree;
            FireShot(D3DXVECTOR3(pitch, yaw, facing.z), (i % 2 == 0) ? 0.7f : 0.8f);
        }
        state->counter = (state->counter + 1) % 4;
    });
}

void Enemy_ShotPoint::FireVerticalSweep(float dt, ShotState* state) {
    if (!target) return;
    RunSweep(state, dt, [&] {
        const D3DXVECTOR3 angles = RotatedAboutX(toTarget2, (state->counter * 6.0f - 15.0f) * kDegree);
        FireShot(angles, 0.7f, 0);
        FireShot(angles, 0.9f, 0);
        if (++state->counter > 4) {
            state->counter = 0;
            state->rest = -(0.75f - 0.7f * Clamp01(state->level));
        }
    });
}

void Enemy_ShotPoint::FireAimedSweep(float dt, ShotState* state) {
    if (!target) return;
    RunSweep(state, dt, [&] {
        toTarget2 = MakeAimAngles(GetWorldPosition(), GetTargetPosition());
        const D3DXVECTOR3 angles = RotatedAboutX(toTarget2, (12.0f - 2.0f * state->counter) * kDegree);
        for (int i = 0; i < 3; ++i) FireShot(angles, 0.3f + 0.2f * i + 0.1f * state->counter, 2, 3);
        if (++state->counter > 11) {
            state->counter = 0;
            state->rest = -3.0f;
        }
    });
}

void Enemy_ShotPoint::Render(Quorvex::CalcVertexSet* list) { EnemyRenderMesh(this, list); }

void Enemy_ShotPoint::UpdateWorldMatrix() {
    const D3DXMATRIX world = MakeWorldMatrix(m_orientation, GetWorldPosition());
    // The mesh is shared: its colour is set right before this emitter's draw.
    if (Quorvex::MeshUnit* meshUnit = mesh.GetMesh()) meshUnit->m_colour = colour;
    Quorvex::PushMesh(nullptr, mesh, world);
}

void Enemy_ShotPoint::Vanish() {
    if (*GetLife() == -1.0f && IsRemoveRequested()) return;
    ReturnToFactory();
    SetAttackType(1);
    m_life = -1.0f;
    RequestRemove(true);
    if (listSet) ReturnToListSet(listSet);
}
