#include "game/player/Gun.h"

#include <cmath>

#include "engine/core/Environment.h"
#include "engine/core/render/DrawBuilders.h"
#include "game/player/PlayerResources.h"
#include "game/state/Environment2.h"
#include "game/world/Character.h"
#include "game/world/CollisionShapeSet.h"

using Quorvex::AreaPos;

Gun::Gun(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager, const AreaPos& start)
    : Bullet(manager, areaManager, start) {}

Gun::~Gun() = default;

int Gun::Initialize(const InitParam& record) {
    Bullet::InitParam base;
    base.owner = record.owner;
    Bullet::Initialize(base);
    m_sprite.Reset();
    m_sprite.SetMaterial(FindMaterial(GetManager(), "matEffectBeam"));
    m_sprite.color = 0xFFFFFFFF;
    SetClassValues();
    return 0;
}

void Gun::SetClassValues() {
    m_speed = 3140.0f;
    m_sprite.width = 1.0f;
    m_sprite.height = 100.0f;
    SetBulletAtlasCell(&m_sprite, 0, 0);
}

void GunHeavy::SetClassValues() {
    m_speed = 1884.0f;
    m_sprite.width = 2.0f;
    m_sprite.height = 100.0f;
    SetBulletAtlasCell(&m_sprite, 0, 3);
}

void GunNeedle::SetClassValues() {
    m_speed = 4710.0f;
    m_sprite.width = 1.2f;
    m_sprite.height = 150.0f;
    SetBulletAtlasCell(&m_sprite, 1, 2);
}

int Gun::ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) {
    auto* record = dynamic_cast<SetParam*>(param);
    if (!record) return -1;
    BeginLaunch(record->objectManager, "Sprite3D");
    if (record->owner) m_owner = record->owner;
    if (record->start) m_areaPos = *record->start;
    if (record->orientation) m_orientation = *record->orientation;
    m_age = 0.0f;
    m_attackPower = kAttackPower;
    SetSide(true);
    if (CollisionShapeSet* shape = FindShape(ShapeSetName()))
        CreateRigidBody(shape, 0, 0.5f, 0.0f);
    if (PlaneRigidBody* body = GetRigidBody()) body->setLinearVelocity(btVector3(0.0f, 0.0f, 0.0f));
    return 0;
}

void Gun::ReturnToFactory() {
    LeaveFlight();
    Quorvex::FactoryProductAdapter::ReturnToFactory();
}

D3DXVECTOR3 Gun::Forward() const {
    D3DXMATRIX rotation;
    D3DXMatrixRotationQuaternion(&rotation, &m_orientation);
    return D3DXVECTOR3(rotation._31, rotation._32, rotation._33);
}

void Gun::Move(float dt) { m_areaPos.Add(Forward() * (m_speed * dt)); }

void GunHeavy::Move(float dt) {
    D3DXVECTOR3 v = Forward() * m_speed;
    if (Quorvex::g_pEnvironment) v += *Quorvex::g_pEnvironment->GetGravity();
    D3DXQUATERNION heading, turned;
    const float yaw = std::atan2(v.x, v.z);
    const float pitch = std::atan2(-v.y, std::sqrt(v.x * v.x + v.z * v.z));
    D3DXQuaternionRotationYawPitchRoll(&heading, yaw, pitch, 0.0f);
    D3DXQuaternionSlerp(&turned, &m_orientation, &heading, 0.45f);
    m_orientation = turned;
    m_areaPos.Add(v * dt);
}

void Gun::Update(float dt) {
    RebinIfMoved();
    m_age += dt;
    Move(dt);
    if (g_pEnvironment2) m_areaPos.Add(g_pEnvironment2->centerInfo.move);
    if (m_age > kLifetime) {
        ReturnToFactory();
        return;
    }
    SyncRigidBody(1);
}

void Gun::OnCollision(Quorvex::Object* other) {
    if (!other || IsRemoveRequested()) return;
    if (other == this) {
        ReturnToFactory();
        return;
    }
    if (other->CheckGroupFlag(GroupProjectile)) return;
    if (other->CheckGroupFlag(GroupEnemySide)) {
        if (auto* owner = dynamic_cast<Character*>(m_owner)) owner->OnShotHit(this);
        Explode(20.0f, 56);
        ReturnToFactory();
        return;
    }
    if (other->CheckGroupFlag(GroupSolid)) {
        Explode(30.0f, 0);
        ReturnToFactory();
    }
}

void Gun::Render(Quorvex::CalcVertexSet* list) {
    m_sprite.position = m_areaPos.ToWorld();
    m_sprite.rotation = m_orientation;
    Quorvex::PushRenderStatePreset(list, 3);
    Quorvex::PushBeamSprite(list, m_sprite);
}
