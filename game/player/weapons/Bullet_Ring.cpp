#include "game/player/weapons/Bullet_Ring.h"

#include "engine/core/Utility.h"
#include "game/world/effects/EffectSupport.h"

Bullet_Ring::~Bullet_Ring() = default;

Bullet_Ring::SetParam Bullet_Ring::MakeParam(const Quorvex::AreaPos& start, const D3DXQUATERNION& orientation,
                                             Quorvex::Object* owner, const D3DXVECTOR3& vector, float size,
                                             Quorvex::ObjectManager* objectManager, float power) {
    SetParam record;
    record.owner = owner;
    record.orientation = orientation;
    record.side = 0;
    record.vector = vector;
    record.size = size;
    record.start = start;
    record.power = power;
    record.objectManager = objectManager;
    return record;
}

void Bullet_Ring::ResetSpriteUV() {
    m_sprite.uv[0] = D3DXVECTOR2(0.05f, 0.05f);
    m_sprite.uv[1] = D3DXVECTOR2(0.45f, 0.05f);
    m_sprite.uv[2] = D3DXVECTOR2(0.05f, 0.45f);
    m_sprite.uv[3] = D3DXVECTOR2(0.45f, 0.45f);
}

void Bullet_Ring::SetUpSprite() {
    m_sprite.Reset();
    m_sprite.ResetTransform();
    m_sprite.SetMaterial(FindMaterial(GetManager(), "matRing"));
    m_sprite.color = 0xFFFFFFFF;
    m_sprite.width = 30.0f;
    m_sprite.height = 30.0f;
    ResetSpriteUV();
}

int Bullet_Ring::ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) {
    auto* record = dynamic_cast<SetParam*>(param);
    if (!record) return -1;
    BeginShot(record->objectManager, record->owner, record->start, record->orientation, record->vector,
              record->size);
    m_speed = LaunchSpeed(record->size, record->power, PlayerSpeedRate());
    FinishLaunch(record->side != 0, true);
    return 0;
}

void Bullet_Ring::Move(float frameTime) {
    m_areaPos.Add(Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, m_speed), m_orientation) * frameTime);
}

void Bullet_Ring::PushSprite(Quorvex::CalcVertexSet* list) { Quorvex::PushSpriteQuad(list, m_sprite); }
