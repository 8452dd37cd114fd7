#include "game/player/weapons/Missile.h"

#include <cmath>

#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/DrawMeshInfo.h"
#include "game/player/Player.h"
#include "game/player/PlayerResources.h"
#include "game/state/Environment2.h"
#include "game/world/Character.h"
#include "game/world/CollisionShapeSet.h"
#include "game/world/effects/EffectGenerator.h"

using Quorvex::AreaPos;

namespace {

constexpr float kLifetime = 10.0f;
constexpr float kLifetimeWithoutTarget = 1.5f;
constexpr float kTrailSpacing = 10.0f;
constexpr float kStockRefund = 0.125f;

}  // namespace

Missile::Missile(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager, const AreaPos& start)
    : Bullet(manager, areaManager, start) {}

Missile::~Missile() { DropTarget(); }

void Missile::DropTarget() {
    Character* old = target;
    target = nullptr;
    if (old) old->Release();
}

int Missile::Initialize(const InitParam& record) {
    Bullet::InitParam base;
    base.owner = record.owner;
    Bullet::Initialize(base);
    marker.Set(record.marker);
    JoinRenderStage(this, "SolidModel");
    if (Quorvex::ObjectManager* manager = GetObjectManagerOf(this))
        if (manager->GetResourceManager()) mesh.SetMesh(manager->GetResourceManager(), "missile");
    m_orientation = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
    age = 0.0f;
    SetTarget(record.target);
    m_attackPower = InitialAttackPower();
    trailCarry = 0.0f;
    return 0;
}

void Missile::SetHomingMode(int mode) {
    HomingMode = mode;
    speed = mode == HomingZenk ? 2512.0f : 785.0f;
    explosionSize = 20.0f;
}

void Missile::SetTarget(Character* enemy) {
    if (enemy) enemy->AddRef();
    Character* old = target;
    target = enemy;
    if (old) old->Release();
    if (CollisionShapeSet* shape = FindShape(target ? L"Missile" : L"MissileBig")) CreateFloatingBody(shape);
}

void Missile::Home() {
    const float dt = GetFrameTimeStep();
    D3DXVECTOR3 toTarget(0.0f, 0.0f, 0.0f);
    if (target) {
        toTarget = AreaPos::Difference(target->GetAreaPos(), m_areaPos);
        const float yaw = std::atan2(toTarget.x, toTarget.z);
        const float pitch = std::atan2(-toTarget.y, std::sqrt(toTarget.x * toTarget.x + toTarget.z * toTarget.z));
        D3DXQuaternionRotationYawPitchRoll(&m_orientation, yaw, pitch, 0.0f);
    }
    D3DXMATRIX rotation;
    D3DXMatrixRotationQuaternion(&rotation, &m_orientation);
    const D3DXVECTOR3 ahead(0.0f, 0.0f, speed);
    D3DXVECTOR3 step;
    D3DXVec3TransformNormal(&step, &ahead, &rotation);
    step *= dt;
    if (g_pEnvironment2) step += g_pEnvironment2->centerInfo.move;
    // It never passes its target.
    if (target && D3DXVec3LengthSq(&step) > D3DXVec3LengthSq(&toTarget)) step = toTarget;
    m_areaPos.Add(step);
}

void Missile::Update(float dt) {
    RebinIfMoved();
    const AreaPos start = m_areaPos;
    age += dt;
    Home();
    if (target && (target->IsRemoveRequested() || *target->GetLife() <= 0.0f)) SetTarget(nullptr);
    if (age > kLifetime || (!target && age > kLifetimeWithoutTarget)) {
        OnCollision(this);
        return;
    }
    EmitTrail(AreaPos::Difference(m_areaPos, start));
    SyncRigidBody(1);
}

int Missile::TrailPieces(const D3DXVECTOR3& step) {
    const float length = D3DXVec3Length(&step) + trailCarry;
    const int n = static_cast<int>(length / kTrailSpacing);
    if (n < 1) {
        trailCarry = length;
        return 0;
    }
    trailCarry = 0.0f;
    return n;
}

void Missile::EmitTrail(const D3DXVECTOR3& step) {
    const int n = TrailPieces(step);
    EffectGenerator* effects = g_pEnvironment2 ? g_pEnvironment2->effectGenerator : nullptr;
    if (n < 1 || !effects) return;
    const D3DXVECTOR3 here = m_areaPos.ToWorld();
    for (int i = 0; i < n; ++i) effects->SpawnExplosionPart(here - step * (static_cast<float>(i) / n), 40.0f, 6.0f, 7.5f);
}

Player* Missile::OwnerPlayer() const {
    // The owner is not counted: only the machine still in play is trusted.
    if (!m_owner || !g_pEnvironment2 || g_pEnvironment2->player != m_owner) return nullptr;
    return g_pEnvironment2->player;
}

void Missile::OnCollision(Quorvex::Object* other) {
    // Several contact points arrive in one step: the first one ends it.
    if (!other || IsRemoveRequested()) return;
    if (other == this) {
        marker.Release(other);
        Explode(20.0f, 0);
        RequestRemove(true);
        return;
    }
    if (other->CheckGroupFlag(GroupProjectile)) return;
    if (other->CheckGroupFlag(GroupSolid)) {
        marker.Release(other);
        Explode(40.0f, 0);
    } else if (other == target || other->CheckGroupFlag(GroupEnemySide)) {
        marker.Release(other);
        Explode(explosionSize, 0);
        if (Player* owner = OwnerPlayer()) owner->OnShotHit(this);
    } else {
        return;
    }
    RequestRemove(true);
    if (Player* owner = OwnerPlayer())
        if (owner->GetShotSet()) owner->GetShotSet()->AddMissile(kStockRefund);
}

void Missile::Render(Quorvex::CalcVertexSet* list) {
    if (!mesh.GetMesh()) return;
    Quorvex::PushRenderStatePreset(list, 2);
    Quorvex::PushDrawObject(list, this);
}

void Missile::Draw() {
    Quorvex::DrawMeshInfo(mesh, MakeWorldMatrix(m_orientation, m_areaPos.ToWorld()));
}
