#include "game/enemy/types/Enemy_Fighter3.h"

#include <algorithm>

#include <boost/bind/bind.hpp>

#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/types/EnemyTypeCommon.h"
#include "game/enemy/types/Enemy_Fighter2.h"
#include "game/state/Environment2.h"

using boost::placeholders::_1;

namespace {

constexpr float kConeAngle = 1.9198622f;
constexpr float kViewAngle = 1.7453293f;
constexpr float kSweepYaw = 1.0471976f;    // 60 degrees over a half sweep
constexpr float kSweepPitch = 0.17453294f;  // 10 degrees

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

}  // namespace

Enemy_Fighter3::Enemy_Fighter3(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                               const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator_,
                               EnemyListSet* listSet_)
    : PooledEnemy(objectManager, areaManager, position, generator_, listSet_) {}

Enemy_Fighter3::~Enemy_Fighter3() { stateStep.clear(); }

int Enemy_Fighter3::Initialize(int param) {
    return InitializeMeshEnemy(this, param, "Mesh_Fairy", L"EnemyFighter", kScore);
}

void Enemy_Fighter3::LaunchFrom(const EnemySpawnParam& record) {
    Launch(D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f), record.position, record.manager);
}

void Enemy_Fighter3::Launch(const D3DXQUATERNION& orientation, const Quorvex::AreaPos& position,
                            Quorvex::ObjectManager* objectManager) {
    EnemyEx::Launch(orientation, objectManager, position, MoveModePath2, kLife, D3DXVECTOR3(314.0f, 314.0f, 471.0f));
    // The burst record carries over from the previous use.
    crossShot.Reset(level);
    m_areaPos = position;
    SetState(StateApproach);
}

void Enemy_Fighter3::SetState(int n) {
    stateStep.clear();
    fighterState = n;
    MoveParam* mp = GetMoveParam();
    const D3DXVECTOR3 offset = OffsetFromGenerator();
    boost::function<NextPos(MoveParam*)> nextPos;
    switch (n) {
    case StateApproach:
        mp->onPathEnd = boost::bind(&Enemy_Fighter3::AdvanceAtPathEnd, this, _1);
        mp->startOffset = offset;
        break;
    case StateHover:
        nextPos = boost::bind(&EnemyEx::NextPosNear, this, _1);
        stateStep = boost::bind(&Enemy_Fighter3::HoverStep, this, _1);
        crossShot.level = level;
        burstShot.level = level;
        break;
    case StateLeave: {
        // The way out starts where the fairy is, as an offset from the
        // generator the path is flown against.
        const D3DXVECTOR3 points[3] = {offset, D3DXVECTOR3(200.0f, 200.0f, 1200.0f),
                                       D3DXVECTOR3(-400.0f, 0.0f, 2000.0f)};
        mp->SetPath(points, 3, 250.0f);
        mp->onPathEnd = boost::bind(&Enemy_Fighter3::VanishAtPathEnd, this, _1);
        break;
    }
    default:
        break;
    }
    mp->SetSegment(GeneratorPosition(), offset, offset, age, age + kSegmentTime);
    mp->nextPos = nextPos;
}

void Enemy_Fighter3::AdvanceState() {
    if (fighterState == StateApproach)
        SetState(StateHover);
    else if (fighterState == StateHover)
        SetState(StateLeave);
}

void Enemy_Fighter3::Update(float dt) {
    const Quorvex::AreaPos before = m_areaPos;
    if (!UpdateInPlay(dt, kAgeLimit)) return;
    RunStoredStep(stateStep, dt);
    UpdateAuraSince(dt, before, aura);
}

void Enemy_Fighter3::HoverStep(float dt) {
    if (crossShot.elapsed >= kHoverTime) AdvanceState();
    FireSweepingCross(crossShot, dt);
    FireAimedBursts(burstShot, dt);
}

int Enemy_Fighter3::RangeTest(const ShotState& record) const {
    if (!target) return -1;
    const float h = Clamp01(1.0f - Clamp01(record.level));
    return CheckAttackRange(GetTargetPosition(), m_orientation, GetWorldPosition(), 50.0f + 300.0f * h,
                            2000.0f - 500.0f * h, kConeAngle, kViewAngle);
}

int Enemy_Fighter3::FireSweepingCross(ShotState& record, float dt) {
    const int range = RangeTest(record);
    if (range != 0) return range;
    const float l = Clamp01(record.level);
    record.timer += dt;
    const float interval = 0.1f - 0.01f * l;
    const int n = static_cast<int>(8.0f + 6.0f * l);
    const float yawStep = kSweepYaw / n;
    const float pitchStep = kSweepPitch / n;
    D3DXQUATERNION backward;
    D3DXQuaternionRotationYawPitchRoll(&backward, D3DX_PI, 0.0f, 0.0f);
    const D3DXVECTOR3 targetVelocity = GetTargetVelocity();
    while (record.timer >= interval) {
        const int k = (record.counter % n) - n / 2;
        float a = k * pitchStep;
        float b = k * yawStep;
        if (record.counter >= n) {
            a = -a;
            b = -b;
        }
        for (int s = 0; s < 4; ++s) {
            D3DXQUATERNION turn, orientation;
            D3DXQuaternionRotationYawPitchRoll(&turn, (s & 1) ? -b : b, (s & 2) ? -a : a, 0.0f);
            D3DXQuaternionMultiply(&orientation, &turn, &backward);
            FireRazer(this, orientation, targetVelocity, 0.5f);
        }
        record.counter = (record.counter + 1) % (2 * n);
        record.timer -= interval;
    }
    record.elapsed += dt;
    return 0;
}

int Enemy_Fighter3::FireAimedBursts(ShotState& record, float dt) {
    const int range = RangeTest(record);
    if (range != 0) return range;
    const float l = Clamp01(record.level);
    record.cooldown = std::max(record.cooldown - dt, 0.0f);
    record.timer = std::max(record.timer - dt, 0.0f);
    const float interval = 0.5f - 0.4f * l;
    const int burst = static_cast<int>(3.0f * (1.0f + l));
    const float pause = 3.0f - 1.5f * l;
    if (record.cooldown <= 0.0f && record.timer <= 0.0f) {
        do {
            FireRazer(this, MakeAimQuaternion(GetWorldPosition(), GetTargetPosition()), GetTargetVelocity(), 1.0f);
            if (++record.counter >= burst) {
                record.counter = 0;
                record.cooldown = pause;
            }
            record.timer += interval;
        } while (record.timer <= 0.0f);
    }
    record.elapsed += dt;
    return 0;
}

void Enemy_Fighter3::Render(Quorvex::CalcVertexSet* list) { EnemyRenderMesh(this, list); }

void Enemy_Fighter3::UpdateWorldMatrix() { EnemyUpdateWorldMatrix20(this); }
