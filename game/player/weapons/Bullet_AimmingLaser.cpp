#include "game/player/weapons/Bullet_AimmingLaser.h"

#include <algorithm>

#include "engine/assets/devices/SoundUnit.h"
#include "engine/core/Utility.h"
#include "game/player/PlayerResources.h"
#include "game/world/CollisionShapeSet.h"

using Quorvex::AreaPos;

namespace {

// min(distance / dt, cap), 0 for a frame without time.
float ChaseSpeed(float distance, float dt, float cap) { return dt > 0.0f ? std::min(distance / dt, cap) : 0.0f; }

}  // namespace

// ---------------------------------------------------------------------------
// Segment

Bullet_AimmingLaserPart::Bullet_AimmingLaserPart(Quorvex::IObjectManager* manager,
                                                 Quorvex::IAreaManager* areaManager, const AreaPos& start)
    : Bullet_BeamPart(manager, areaManager, start), previous(start) {}

Bullet_AimmingLaserPart::~Bullet_AimmingLaserPart() {
    SetLeader(nullptr);
    SetTarget(nullptr);
}

void Bullet_AimmingLaserPart::SetLeader(Bullet_AimmingLaserPart* part) { HoldCounted(leader, part); }
void Bullet_AimmingLaserPart::SetTarget(Object3D* object) { HoldCounted(target, object); }

int Bullet_AimmingLaserPart::ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) {
    auto* record = dynamic_cast<SetParam*>(param);
    if (!record) return -1;
    BeginSegment(record->objectManager, record->owner, record->side != 0);
    SetLeader(record->leader);
    SetTarget(record->target);
    timer = 0.0f;
    velocity = record->velocity;
    maxSpeed = record->maxSpeed;
    freeFlight = false;
    laser = record->laser;
    // Segments update in chain order.
    SetUpdatePriority(PriorityProjectile + record->index);
    return 0;
}

void Bullet_AimmingLaserPart::Follow(float dt) {
    D3DXVECTOR3 d = AreaPos::Difference(leader->GetAreaPos(), m_areaPos);
    const float distance = D3DXVec3Length(&d);
    D3DXVECTOR3 direction;
    D3DXVec3Normalize(&direction, &d);
    const float k = kFollowGain * dt;
    velocity = velocity * (1.0f - k) + direction * ChaseSpeed(distance, dt, maxSpeed) * k;
    m_areaPos.Add(velocity * dt);
    d = AreaPos::Difference(leader->GetAreaPos(), m_areaPos);
    length = 1.2f * D3DXVec3Length(&d);
    m_orientation = Quorvex::YawPitchRollQuaternion(d);
}

void Bullet_AimmingLaserPart::Lead(float dt) {
    if (!freeFlight) {
        const D3DXVECTOR3 d = AreaPos::Difference(target->GetAreaPos(), m_areaPos);
        const float distance = D3DXVec3Length(&d);
        if (timer >= kHomingTime || distance <= kHomingRange) {
            Bullet_AimmingLaser::ReleaseHoming(laser);
        } else {
            D3DXVECTOR3 direction;
            D3DXVec3Normalize(&direction, &d);
            const float k = kHomingGain * dt;
            velocity = velocity * (1.0f - k) + direction * ChaseSpeed(distance, dt, maxSpeed) * k;
        }
        m_areaPos.Add(velocity * dt);
        if (D3DXVec3LengthSq(&velocity) > 0.0f) m_orientation = Quorvex::YawPitchRollQuaternion(velocity);
        return;
    }
    m_areaPos.Add(velocity * dt);
}

void Bullet_AimmingLaserPart::Update(float dt) {
    RebinIfMoved();
    if (leader && leader->IsRemoveRequested()) SetLeader(nullptr);
    if (target && target->IsRemoveRequested()) SetTarget(nullptr);
    if (!target) {
        ReturnToFactory();
        return;
    }
    previous = m_areaPos;
    if (leader)
        Follow(dt);
    else
        Lead(dt);
    const D3DXVECTOR3 drift = GetPoolDrift(GetFactory());
    m_areaPos.Add(drift);
    previous.Add(drift);
    timer += dt;
    SyncRigidBody(1);
}

void Bullet_AimmingLaserPart::ReturnToFactory() {
    SetLeader(nullptr);
    SetTarget(nullptr);
    laser = nullptr;
    Bullet_BeamPart::ReturnToFactory();
}

// ---------------------------------------------------------------------------
// Controller

Bullet_AimmingLaser::SetParam::SetParam(const AreaPos& start_, const D3DXQUATERNION& orientation_,
                                        Quorvex::Object* owner_, const D3DXVECTOR3& vector_, float scalar_,
                                        float length_, float width_, Quorvex::ObjectManager* objectManager_,
                                        Object3D* followed_)
    : BeamSetParam(start_, orientation_, owner_, vector_, scalar_, length_, width_, objectManager_),
      followed(followed_) {}

Bullet_AimmingLaser::Bullet_AimmingLaser(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager,
                                         const AreaPos& start)
    : Bullet_Beam(manager, areaManager, start) {}

// The segments go with the beam.
Bullet_AimmingLaser::~Bullet_AimmingLaser() { SetFollowed(nullptr); }

void Bullet_AimmingLaser::SetFollowed(Object3D* object) { HoldCounted(followed, object); }

int Bullet_AimmingLaser::ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) {
    auto* record = dynamic_cast<SetParam*>(param);
    if (!record) return -1;
    Launch(*record);
    return 0;
}

void Bullet_AimmingLaser::Launch(const SetParam& record) {
    LaunchBeam(record);
    SetFollowed(record.followed);
    m_attackPower = kAttackPower;
    ClearParts(this);

    const int count = length > 0.0f ? static_cast<int>(length / kSegmentSpacing) : 0;
    const D3DXVECTOR3 firstVelocity = Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, kSpeed), m_orientation);
    Bullet_AimmingLaserPart* leader = nullptr;
    for (int i = 1; i <= count; ++i) {
        Bullet_AimmingLaserPart::SetParam part;
        part.owner = m_owner;
        part.side = static_cast<BYTE>(CheckGroupFlag(GroupPlayerSide));
        part.objectManager = GetObjectManager();
        part.leader = leader;
        part.target = followed;
        part.velocity = i == 1 ? firstVelocity : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        part.maxSpeed = kSpeed;
        part.laser = this;
        part.index = i;
        auto* segment = AcquireSegment<Bullet_AimmingLaserPart>(partPool, &part);
        // A missing segment: the next one follows the last one obtained.
        if (!segment) continue;
        segments.push_back(segment);
        segment->SetAreaPos(m_areaPos);
        segment->length = kSegmentLength;
        leader = segment;
    }
    SetColorType(this, 1);
    if (Quorvex::SoundUnit* sound = FindSoundUnit(L"ray")) sound->Play(Quorvex::SoundUnit::PLAY_REWIND);
}

void Bullet_AimmingLaser::PurgeSegments() {
    std::vector<Bullet_AimmingLaserPart*> kept;
    for (Bullet_AimmingLaserPart* part : segments) {
        if (part->GetLaser() == this)
            kept.push_back(part);
        else
            part->Release();
    }
    segments.swap(kept);
}

void Bullet_AimmingLaser::SwitchBodies(float g0, float g) {
    if (g0 >= 1.0f && g < 1.0f) {
        for (Bullet_AimmingLaserPart* part : segments) part->RemoveRigidBody();
    } else if (g0 < 1.0f && g >= 1.0f && collideWhenGrown) {
        CollisionShapeSet* shape = FindShape(L"Razer");
        for (Bullet_AimmingLaserPart* part : segments) part->CreateBody(shape);
    }
}

void Bullet_AimmingLaser::Update(float dt) {
    RebinIfMoved();
    PurgeSegments();
    if (fade < 0.0f && elapsed >= kActiveTime) fade = 0.0f;
    elapsed += dt;
    AddPoolDrift(GetFactory());
    float g;
    if (fade < 0.0f) {
        g = std::min(elapsed * 5.0f, 1.0f);
    } else {
        g = 1.0f - fade;
        fade = std::min(fade + rate * dt, 1.0f);
        if (fade >= 1.0f) {
            ReturnToFactory();
            return;
        }
    }
    const float g0 = grow;
    grow = g;
    SwitchBodies(g0, g);
    if (followed) m_areaPos = followed->GetAreaPos();
    const float w = width * grow;
    for (size_t k = 0; k < segments.size(); ++k)
        segments[k]->width = Bullet_BeamPart::TaperedWidth(w, static_cast<int>(k));
    SyncRigidBody(1);
}

void Bullet_AimmingLaser::OnCollision(Quorvex::Object* other) { OnCollisionPiercing(other); }

void Bullet_AimmingLaser::ReturnToFactory() {
    SetFollowed(nullptr);
    ClearParts(this);
    LeaveFlight();
    Quorvex::FactoryProductAdapter::ReturnToFactory();
}

void Bullet_AimmingLaser::SetColorType(Bullet_AimmingLaser* laser, int colorType) {
    if (laser) laser->ColorSegments(colorType);
}

void Bullet_AimmingLaser::ReleaseHoming(Bullet_AimmingLaser* laser) {
    if (!laser) return;
    for (Bullet_AimmingLaserPart* part : laser->segments)
        if (part->GetLaser() == laser && !part->IsRemoveRequested()) part->freeFlight = true;
}

void Bullet_AimmingLaser::ClearParts(Bullet_AimmingLaser* laser) {
    if (!laser) return;
    std::vector<Bullet_AimmingLaserPart*> parts;
    parts.swap(laser->segments);
    for (Bullet_AimmingLaserPart* part : parts) {
        // One that went back by itself may fly for another laser by now.
        if (part->GetLaser() == laser) part->ReturnToFactory();
        part->Release();
    }
}
