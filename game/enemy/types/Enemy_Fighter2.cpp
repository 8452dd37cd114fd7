#include "game/enemy/types/Enemy_Fighter2.h"

#include <algorithm>
#include <cmath>
#include <string>

#include <boost/bind/bind.hpp>

#include "engine/assets/MeshUnit.h"
#include "engine/core/Utility.h"
#include "engine/core/render/DrawMeshInfo.h"
#include "game/enemy/AttackParam.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/Fighter2BehaviorParam.h"
#include "game/enemy/types/EnemyTypeCommon.h"
#include "game/state/Environment2.h"
#include "game/world/effects/EffectGenerator.h"
#include "game/world/effects/EffectSupport.h"

using boost::placeholders::_1;

namespace {

constexpr float kConeAngle = 1.9198622f;  // 110 degrees
constexpr float kViewAngle = 1.7453293f;  // 100 degrees
constexpr float kDegree = 0.017453292f;
constexpr float kDiagonalStep = 0.034906585f;  // 2 degrees between the shots of a diagonal
constexpr float kAimTurnRate = 0.62831855f;
constexpr float kVelocityBlendRate = 0.1f;
constexpr double kTrackSpeed = 0.0225;
// Sideways speed that leaves the animation in its neutral states.
constexpr float kNeutralSpeed = 40.0f;
constexpr int kCrossFan = 9;

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

}  // namespace

void TurnToward(D3DXQUATERNION& out, const D3DXQUATERNION& from, const D3DXQUATERNION& to, float rate) {
    const float dot = D3DXQuaternionDot(&from, &to);
    const float t = std::min((rate / D3DX_PI) / ((1.0f + dot) / 2.0f + 1.1920929e-7f), 1.0f);
    D3DXQUATERNION result;
    D3DXQuaternionSlerp(&result, &from, &to, t);
    out = result;
}

void LerpClamped(D3DXVECTOR3& out, const D3DXVECTOR3& from, const D3DXVECTOR3& to, float t) {
    t = std::min(t, 1.0f);
    out = from * (1.0f - t) + to * t;
}

Enemy_Fighter2::Enemy_Fighter2(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                               const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator_,
                               EnemyListSet* listSet_)
    : EnemyEx(objectManager, areaManager, position, generator_, listSet_), TurnAnimation(kNeutralSpeed, kTrackSpeed) {}

Enemy_Fighter2::~Enemy_Fighter2() {
    ReleaseAnimation();
    delete behavior;
    behavior = nullptr;
}

int Enemy_Fighter2::Initialize(int param) {
    Enemy::Initialize(param);
    SetLook(0);
    CreateEnemyBody(this, L"EnemyFighter");
    score = kScore;
    return 0;
}

Fighter2BehaviorParam* Enemy_Fighter2::GetBehavior() {
    if (!behavior) behavior = new Fighter2BehaviorParam();
    return behavior;
}

void Enemy_Fighter2::Launch(const Quorvex::AreaPos& position, const D3DXQUATERNION& orientation,
                            Quorvex::ObjectManager* objectManager) {
    EnemyEx::Launch(orientation, objectManager, position, MoveModePath2, kLife, D3DXVECTOR3(314.0f, 314.0f, 471.0f));
    attackType = kAimedBursts;
    shot.Reset(level);
    shot.timer = -0.25f * (1.0f - level);
    SetLook(0);
    MoveParam* mp = GetMoveParam();
    mp->onPathEnd = boost::bind(&Enemy_Fighter2::VanishAtPathEnd, this, _1);
    const Quorvex::AreaPos reference = generator ? generator->GetAreaPos() : Quorvex::AreaPos();
    mp->startOffset = Quorvex::AreaPos::Difference(position, reference);
    m_areaPos = position;
}

void Enemy_Fighter2::ReleaseAnimation() {
    if (animation) animation->Release();
    animation = nullptr;
}

void Enemy_Fighter2::EnsureAnimation() { EnsureEnemyAnimation(this, animation); }

void Enemy_Fighter2::SetLook(int newLook) {
    mesh.m_bInstanceReset = 0;
    mesh.SetMesh(nullptr);
    ReleaseAnimation();

    colour = 0;
    const char* meshId = "Mesh_Fairy";
    if (newLook == 1) {
        meshId = "Mesh_Doll";
    } else if (newLook == 0) {
        colour = Quorvex::RandomInt() % 6;
    }
    SetEnemyMesh(this, meshId);

    if (colour == 0) {
        colourLayer.Clear();
    } else {
        const std::string materialId = "matFairy" + std::to_string(colour + 1);
        Quorvex::AdditionalMaterial::Attach(FindMaterial(GetManager(), materialId.c_str()), &colourLayer,
                                            mesh.GetMesh(), "Mesh_fairy_j");
    }

    look = newLook;
    ResetTurnAnimation();
}

Quorvex::AdditionalMaterial Enemy_Fighter2::MakeFairyJLayer(Quorvex::MeshUnit* meshUnit) {
    Quorvex::AdditionalMaterial layer;
    layer.owner = meshUnit ? meshUnit->FindMaterialList("Mesh_fairy_j") : nullptr;
    return layer;
}

void Enemy_Fighter2::Update(float dt) {
    const Quorvex::AreaPos before = m_areaPos;
    if (!UpdateInPlay(dt, kAgeLimit)) return;

    if (attackType == kAimedBursts) FireAimedBursts(dt);
    if (attackType == kCrossVolleys) FireCrossVolleys(dt);

    const D3DXVECTOR3 movement = Quorvex::AreaPos::Difference(m_areaPos, before);
    if (look == 1) {
        aura.intensity = 1.0f;
        UpdateAuraVariant4(dt, movement, aura);
    } else {
        aura.intensity = 0.5f;
        UpdateAura(dt, movement, aura);
    }
    UpdateAnimation(dt);
}

void Enemy_Fighter2::TakeAim(float dt, float jitterDegrees) {
    const D3DXVECTOR3 targetVelocity = GetTargetVelocity();
    const D3DXVECTOR3 d = GetTargetPosition() + targetVelocity * dt - GetWorldPosition();
    float yaw = std::atan2(d.x, d.z);
    float pitch = std::atan2(-d.y, std::sqrt(d.x * d.x + d.z * d.z));
    if (jitterDegrees != 0.0f) {
        yaw += (Quorvex::RandomFloat() - 0.5f) * jitterDegrees * kDegree;
        pitch += (Quorvex::RandomFloat() - 0.5f) * jitterDegrees * kDegree;
    }
    D3DXQUATERNION aim;
    D3DXQuaternionRotationYawPitchRoll(&aim, yaw, pitch, 0.0f);
    if (shot.flags & AimTaken) {
        TurnToward(shot.aim, shot.aim, aim, dt * kAimTurnRate);
        LerpClamped(shot.baseVelocity, shot.baseVelocity, targetVelocity, dt * kVelocityBlendRate);
    } else {
        shot.aim = aim;
        shot.baseVelocity = targetVelocity;
        shot.flags |= AimTaken;
    }
}

void Enemy_Fighter2::FireAimedBursts(float dt) {
    const float l = Clamp01(shot.level);
    const float h = Clamp01(1.0f - l);
    const float interval = 0.4f - 0.38f * l;
    if (!target) return;
    if (CheckAttackRange(GetTargetPosition(), m_orientation, GetWorldPosition(), 150.0f + 200.0f * h,
                         2000.0f - 500.0f * h, kConeAngle, kViewAngle) != 0)
        return;
    shot.timer += dt;
    while (shot.timer >= interval) {
        if (shot.counter % 6 >= 3) {
            shot.flags &= ~AimTaken;
        } else {
            TakeAim(dt, 5.0f);
            FireRazer(this, shot.aim, shot.baseVelocity, 1.0f);
        }
        shot.counter = (shot.counter + 1) % 12;
        shot.timer -= interval;
    }
}

void Enemy_Fighter2::FireCrossVolleys(float dt) {
    const float l = Clamp01(shot.level);
    const float h = Clamp01(1.0f - l);
    const float interval = 0.3f - 0.28f * l;
    if (!target) return;
    if (CheckAttackRange(GetTargetPosition(), m_orientation, GetWorldPosition(), 150.0f + 200.0f * h,
                         2500.0f - 500.0f * h, kConeAngle, kViewAngle) != 0)
        return;
    shot.timer += dt;
    if (shot.timer < interval) return;
    const int pause = static_cast<int>((1.5f - 1.25f * l) / interval);
    const int width = std::max(5, 1 - static_cast<int>(-0.3f * l));
    while (shot.timer >= interval) {
        if (shot.counter >= pause) {
            const int d = shot.counter - pause;
            if (d >= width) {
                shot.flags &= ~AimTaken;
                shot.counter = 0;
                shot.flags ^= Mirrored;
            } else {
                if (!(shot.flags & AimTaken) && (Quorvex::RandomInt() & 1)) shot.flags |= Mirrored;
                TakeAim(dt, 0.0f);
                ShotSpawnParam record;
                MakeShotSpawnParam(m_areaPos, shot.aim, record, this, shot.baseVelocity, level, GetManager(), 1.0f,
                                   1);
                FireDiagonalStep(record, d, kCrossFan);
            }
        }
        shot.counter += 1;
        shot.timer -= interval;
    }
}

void Enemy_Fighter2::FireDiagonalStep(ShotSpawnParam& record, int step, int count) {
    const D3DXQUATERNION base = record.orientation;
    for (int n = 0, i = -(count / 2); n < count; ++n, ++i) {
        if (step >= 0 && std::abs(i) != step) continue;
        const float yaw = i * kDiagonalStep;
        D3DXQUATERNION turn;
        D3DXQuaternionRotationYawPitchRoll(&turn, yaw, (shot.flags & Mirrored) ? -yaw : yaw, 0.0f);
        D3DXQuaternionMultiply(&record.orientation, &base, &turn);
        ShotSpawnParam one;
        one.Copy(record);
        LaunchEnemyShot(this, one, -1);
    }
    record.orientation = base;
}

void Enemy_Fighter2::UpdateAnimation(float dt) {
    EnsureAnimation();
    StepTurnAnimation(animation, velocity.x, dt);
}

int Enemy_Fighter2::PlayAnimationState(int track, int) {
    const char* name = look == 0 ? "AnimationSet_fairy1nj" : look == 1 ? "AnimationSet_doll1" : nullptr;
    return PlayAnimationSetOnTrack(animation, static_cast<UINT>(track), name);
}

bool Enemy_Fighter2::TakeHit(EnemyEx& enemy, Quorvex::Object* hitter) {
    if (!hitter || !hitter->CheckGroupFlag(GroupPlayerSide) || !hitter->CheckGroupFlag(GroupProjectile)) return false;
    float& life = *enemy.GetLife();
    // Already down (or vanished): a repeated contact must not kill it again.
    if (life <= 0.0f) return false;
    life = std::max(life - enemy.GetDamage(hitter), 0.0f);
    return life <= 0.0f;
}

void Enemy_Fighter2::Hit(EnemyEx& enemy, Quorvex::Object* hitter) {
    if (!TakeHit(enemy, hitter)) return;
    if (EffectGenerator* effects = g_pEnvironment2 ? g_pEnvironment2->effectGenerator : nullptr)
        effects->CreateExplosion(enemy.GetAreaPos(), kExplosionSize, 0);
    enemy.AwardScore();
    enemy.Vanish();
}

void Enemy_Fighter2::Render(Quorvex::CalcVertexSet* list) { EnemyRenderMesh(this, list); }

void Enemy_Fighter2::UpdateWorldMatrix() {
    EnsureAnimation();
    if (animation) animation->AdvanceTime(0.0, nullptr);

    mesh.m_materialLayers.clear();
    if (!colourLayer.materials.empty()) {
        Quorvex::MeshUnit* meshUnit = mesh.GetMesh();
        mesh.m_materialLayers.push_back(MakeFairyJLayer(meshUnit));
        for (int i = 0; i < 3; ++i) mesh.m_materialLayers.push_back(colourLayer);
        mesh.m_materialLayers.push_back(MakeFairyJLayer(meshUnit));
    }

    // The model faces backwards.
    D3DXQUATERNION yawPi, rotation;
    D3DXQuaternionRotationYawPitchRoll(&yawPi, D3DX_PI, 0.0f, 0.0f);
    D3DXQuaternionMultiply(&rotation, &yawPi, &m_orientation);
    const float scale = look == 1 ? 18.0f : 20.0f;
    Quorvex::PushMesh(nullptr, mesh, MakeWorldMatrix(rotation, GetWorldPosition(), scale));

    if (mesh.m_bInstanceReset) {
        ++state;
        if (state >= 10) mesh.m_bInstanceReset = 0;
    }
}

void Enemy_Fighter2::Discard() {
    ReleaseAnimation();
    delete behavior;
    behavior = nullptr;
}

void Enemy_Fighter2::Vanish() {
    delete behavior;
    behavior = nullptr;
    SetAttackType(1);
    m_life = -1.0f;
    RequestRemove(true);
    if (listSet) ReturnToListSet(listSet);
}
