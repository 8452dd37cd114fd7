#include "game/player/weapons/Bullet_RayPart.h"

#include <algorithm>
#include <cmath>

#include "game/world/CollisionShapeSet.h"
#include "game/world/effects/EffectSupport.h"

BeamSetParam::BeamSetParam(const Quorvex::AreaPos& start_, const D3DXQUATERNION& orientation_,
                           Quorvex::Object* owner_, const D3DXVECTOR3& vector_, float scalar_, float length_,
                           float width_, Quorvex::ObjectManager* objectManager_)
    : owner(owner_),
      orientation(orientation_),
      side(0),
      vector(vector_),
      scalar(scalar_),
      start(start_),
      length(length_),
      width(width_),
      objectManager(objectManager_) {}

Bullet_BeamPart::Bullet_BeamPart(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager,
                                 const Quorvex::AreaPos& start)
    : Bullet(manager, areaManager, start) {}

Bullet_BeamPart::~Bullet_BeamPart() = default;

int Bullet_BeamPart::Initialize(int param) {
    Bullet::Initialize(param);
    sprite.Reset();
    sprite.ResetTransform();
    sprite.SetMaterial(FindMaterial(GetManager(), "matEffectBeam"));
    sprite.color = 0xFFFFFFFF;
    sprite.width = 0.0f;
    sprite.height = 0.0f;
    SetBulletAtlasCell(&sprite, 1);
    return 0;
}

void Bullet_BeamPart::BeginSegment(Quorvex::ObjectManager* manager, Quorvex::Object* owner, bool playerSide) {
    BeginLaunch(manager, "Sprite3D");
    m_owner = owner;
    length = kLaunchLength;
    blendMode = kLaunchBlendMode;
    SetSide(playerSide);
    m_attackPower = kAttackPower;
}

float Bullet_BeamPart::TaperedWidth(float width, int index) {
    const float angle = std::min(index * 0.02f * D3DX_PI * 0.5f, D3DX_PI / 2.0f);
    return width * (0.4f + 0.6f * std::sin(angle));
}

void Bullet_BeamPart::CreateBody(CollisionShapeSet* shape) {
    CreateFloatingBody(shape);
    SyncRigidBody(1);
}

Quorvex::FactoryAdapter* SegmentPoolOf(const Quorvex::IFactoryProduct* shot, Quorvex::FactoryAdapter* recordPool) {
    if (recordPool || !shot) return recordPool;
    auto* pool = dynamic_cast<BulletFactory*>(shot->GetFactory());
    return pool ? pool->GetSegmentFactory() : nullptr;
}

void Bullet_BeamPart::OnCollision(Quorvex::Object* other) { OnCollisionPiercing(other); }

void Bullet_BeamPart::ReturnToFactory() {
    LeaveFlight();
    Quorvex::FactoryProductAdapter::ReturnToFactory();
}

void Bullet_BeamPart::Render(Quorvex::CalcVertexSet* list) {
    if (!list) return;
    sprite.position = m_areaPos.ToWorld();
    sprite.rotation = m_orientation;
    sprite.width = width;
    sprite.height = length;
    if (list->renderStatePreset != blendMode) Quorvex::PushRenderStatePreset(list, blendMode);
    Quorvex::PushSprite3DCross(list, sprite);
}

Bullet_RayPart::~Bullet_RayPart() = default;

int Bullet_RayPart::ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) {
    auto* record = dynamic_cast<SetParam*>(param);
    if (!record) return -1;
    BeginSegment(record->objectManager, record->owner, record->side != 0);
    return 0;
}

void Bullet_RayPart::Update(float) {
    RebinIfMoved();
    SyncRigidBody(1);
}
