#include "game/player/weapons/Bullet_Ray.h"

#include <algorithm>

#include "engine/assets/devices/SoundUnit.h"
#include "engine/core/Utility.h"
#include "game/player/PlayerResources.h"
#include "game/world/CollisionShapeSet.h"

namespace {

void PlayLaunchSound() {
    if (Quorvex::SoundUnit* sound = FindSoundUnit(L"val3")) sound->Play(Quorvex::SoundUnit::PLAY_REWIND);
}

}  // namespace

Bullet_Ray::Bullet_Ray(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager,
                       const Quorvex::AreaPos& start)
    : Bullet_Beam(manager, areaManager, start) {}

Bullet_Ray::~Bullet_Ray() = default;

Bullet_RayPart* Bullet_Ray::AcquirePart() {
    Bullet_RayPart::SetParam record;
    record.owner = m_owner;
    record.side = static_cast<BYTE>(CheckGroupFlag(GroupPlayerSide));
    record.objectManager = GetObjectManager();
    return AcquireSegment<Bullet_RayPart>(partPool, &record);
}

int Bullet_Ray::ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) {
    auto* record = dynamic_cast<SetParam*>(param);
    if (!record) return -1;
    Launch(*record);
    return 0;
}

void Bullet_Ray::Launch(const SetParam& record) {
    LaunchBeam(record);
    m_attackPower = 0.0f;
    ClearParts(this);
    const int count = length > 0.0f ? static_cast<int>(length / kSegmentSpacing) : 0;
    for (int i = 0; i < count; ++i) {
        Bullet_RayPart* part = AcquirePart();
        if (!part) continue;
        segments.push_back(part);
        part->length = kSegmentLength;
        part->RemoveRigidBody();
    }
    SetColorType(this, 1);
    PlayLaunchSound();
}

bool Bullet_Ray::GrowAndFade(float dt, bool alwaysCollide) {
    float g;
    if (fade < 0.0f) {
        g = std::min(rate * elapsed, 1.0f);
    } else {
        g = 1.0f - fade;
        fade = std::min(fade + rate * dt, 1.0f);
        if (fade >= 1.0f) {
            // Ends through its own contact rule, as a hit on itself.
            OnCollision(this);
            return false;
        }
    }
    const float g0 = grow;
    grow = g;
    if (g0 >= 1.0f && g < 1.0f)
        SwitchBodies(false);
    else if (g0 < 1.0f && g >= 1.0f && (collideWhenGrown || alwaysCollide))
        SwitchBodies(true);
    return true;
}

void Bullet_Ray::SwitchSegmentBodies(bool on) {
    if (!on) {
        for (Bullet_RayPart* part : segments) part->RemoveRigidBody();
        return;
    }
    CollisionShapeSet* shape = FindShape(L"RayPart");
    for (Bullet_RayPart* part : segments) part->CreateBody(shape);
}

void Bullet_Ray::SwitchBodies(bool on) {
    SwitchSegmentBodies(on);
    m_attackPower = on ? kPartAttackPower : 0.0f;
}

void Bullet_Ray::PlaceSegments() {
    const int count = GetSegmentCount();
    // A ray without segments draws and hurts nothing; its timers still run.
    if (count == 0) return;
    const D3DXVECTOR3 step = Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, length / count), m_orientation);
    const float w = width * grow;
    for (int i = 0; i < count; ++i) {
        Bullet_RayPart* part = segments[i];
        part->SetAreaPos(m_areaPos.Translated(step * static_cast<float>(i)));
        part->SetOrientation(m_orientation);
        part->width = Bullet_BeamPart::TaperedWidth(w, i);
    }
}

void Bullet_Ray::Update(float dt) {
    RebinIfMoved();
    elapsed += dt;
    AddPoolDrift(GetFactory());
    if (!GrowAndFade(dt, false)) return;
    PlaceSegments();
    SyncRigidBody(1);
}

void Bullet_Ray::OnCollision(Quorvex::Object* other) { OnCollisionPiercing(other); }

void Bullet_Ray::ReturnToFactory() {
    ClearParts(this);
    LeaveFlight();
    Quorvex::FactoryProductAdapter::ReturnToFactory();
}

void Bullet_Ray::SetColorType(Bullet_Ray* ray, int colorType) {
    if (ray) ray->ColorSegments(colorType);
}

void Bullet_Ray::SetPartsValue(Bullet_Ray* ray, int blendMode) {
    if (!ray) return;
    for (Bullet_RayPart* part : ray->segments) part->blendMode = blendMode;
}

void Bullet_Ray::ClampFade(Bullet_Ray* ray) {
    if (ray && ray->fade < 0.0f) ray->fade = 0.0f;
}

void Bullet_Ray::ClearParts(Bullet_Ray* ray) {
    if (!ray) return;
    std::vector<Bullet_RayPart*> parts;
    parts.swap(ray->segments);
    for (Bullet_RayPart* part : parts) {
        part->ReturnToFactory();
        part->Release();
    }
}

// ---------------------------------------------------------------------------

Bullet_Ray2::~Bullet_Ray2() {
    if (target) target->Release();
}

int Bullet_Ray2::ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) {
    auto* record = dynamic_cast<SetParam*>(param);
    if (!record) return -1;
    Launch(*record);
    return 0;
}

void Bullet_Ray2::Launch(const SetParam& record) {
    LaunchBeam(record);
    // The launch record carries no orientation: the head faces its flight,
    // so the trail it lays lies along it (+z for a head without velocity).
    m_orientation = D3DXVec3LengthSq(&record.vector) > 0.0f ? Quorvex::YawPitchRollQuaternion(record.vector)
                                                            : D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
    spawnTimer = 0.0f;
    SetTarget(nullptr);
    m_attackPower = kPartAttackPower;
    ClearParts(this);
    PlayLaunchSound();
}

void Bullet_Ray2::SetTarget(Object3D* object) { HoldCounted(target, object); }

void Bullet_Ray2::Home(float dt) {
    if (!target) return;
    D3DXVECTOR3 d = Quorvex::AreaPos::Difference(target->GetAreaPos(), m_areaPos);
    D3DXVec3Normalize(&d, &d);
    const float r = std::min(dt, 1.0f);
    vector = vector * (1.0f - r) + d * 900.0f * r;
    D3DXVECTOR3 heading;
    D3DXVec3Normalize(&heading, &vector);
    m_orientation = Quorvex::YawPitchRollQuaternion(heading);
    if (D3DXVec3Dot(&heading, &d) >= 0.99f) SetTarget(nullptr);
}

void Bullet_Ray2::LayTrail(float dt) {
    if (fade < 0.0f && GetSegmentCount() < kMaxTrail) {
        if (spawnTimer >= kSpawnInterval) {
            if (Bullet_RayPart* part = AcquirePart()) {
                part->blendMode = 2;
                SetBulletAtlasCell(&part->sprite, 0);
                const Object3D* front = segments.empty() ? static_cast<Object3D*>(this) : segments.front();
                part->SetAreaPos(front->GetAreaPos());
                part->SetOrientation(front->GetOrientation());
                segments.push_back(part);
            }
            // An empty segment pool skips this segment; the rhythm goes on.
            spawnTimer -= kSpawnInterval;
        }
        spawnTimer += dt;
    }
}

void Bullet_Ray2::PlaceTrail() {
    if (segments.empty()) return;
    const float w = width * grow;
    const D3DXVECTOR3 drift = GetPoolDrift(GetFactory());
    for (size_t i = 1; i < segments.size(); ++i) {
        Bullet_RayPart* part = segments[i];
        part->m_areaPos.Add(drift);
        part->width = w;
        part->length = segments[i - 1]->length;
    }
    Bullet_RayPart* front = segments.front();
    front->SetAreaPos(m_areaPos);
    front->SetOrientation(m_orientation);
    front->width = w;
    front->length = kTrailLength;
}

void Bullet_Ray2::Update(float dt) {
    RebinIfMoved();
    elapsed += dt;
    if (elapsed > kLifetime && fade < 0.0f) fade = 0.0f;
    AddPoolDrift(GetFactory());
    if (!GrowAndFade(dt, true)) return;
    m_areaPos.Add(vector * dt);
    Home(dt);
    LayTrail(dt);
    PlaceTrail();
    SyncRigidBody(1);
}

void Bullet_Ray2::ReturnToFactory() {
    SetTarget(nullptr);
    Bullet_Ray::ReturnToFactory();
}
