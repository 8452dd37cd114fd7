#include "game/player/weapons/Bullet_Razer.h"

#include <algorithm>

#include "engine/core/Utility.h"
#include "game/player/weapons/ShotSpawnParam.h"
#include "game/world/effects/EffectSupport.h"

Bullet_Razer::~Bullet_Razer() = default;

float Bullet_Razer::Lifetime(float power) { return std::max(kBaseLifetime - (power - 1.0f) * 1.2f, 0.0f); }

void Bullet_Razer::SetUpSprite() {
    m_sprite.Reset();
    m_sprite.ResetTransform();
    m_sprite.SetMaterial(FindMaterial(GetManager(), "matEffectBeam"));
    m_sprite.color = 0xFFFFFFFF;
    m_sprite.width = 5.0f;
    m_sprite.height = 30.0f;
    SetBulletAtlasCell(&m_sprite, 1);
}

int Bullet_Razer::ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) {
    if (auto* record = dynamic_cast<SetParam*>(param)) {
        Launch(*record);
        return 0;
    }
    if (auto* spawn = dynamic_cast<ShotSpawnParam*>(param)) {
        SetParam record;
        record.owner = spawn->owner;
        record.orientation = spawn->orientation;
        record.side = static_cast<BYTE>(spawn->reserved != 0);
        record.vector = spawn->velocity;
        record.size = spawn->level;
        record.start = spawn->position;
        record.power = spawn->speed;
        record.sound = static_cast<BYTE>(spawn->kind != 0);
        record.objectManager = AsObjectManager(spawn->manager);
        Launch(record);
        return 0;
    }
    return -1;
}

void Bullet_Razer::Launch(const SetParam& record) {
    BeginShot(record.objectManager, record.owner, record.start, record.orientation, record.vector, record.size);
    SetBulletAtlasCell(&m_sprite, 1);
    const float speed = LaunchSpeed(record.size, record.power, PlayerSpeedRate());
    m_velocity = Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, speed), m_orientation);
    m_lifetime = Lifetime(record.power);
    FinishLaunch(record.side != 0, record.sound != 0);
}

void Bullet_Razer::ReturnToFactory() {
    if (!returnCallback.empty()) returnCallback(this);
    Bullet_RazerBase::ReturnToFactory();
}

void Bullet_Razer::Move(float frameTime) { m_areaPos.Add(m_velocity * frameTime); }

void Bullet_Razer::PushSprite(Quorvex::CalcVertexSet* list) { Quorvex::PushSprite3DCross(list, m_sprite); }
