#include "game/player/weapons/Bullet_Missile2.h"

#include <algorithm>
#include <cmath>

#include <boost/bind/bind.hpp>

#include "engine/assets/devices/SoundUnit.h"
#include "engine/core/Utility.h"
#include "game/player/PlayerResources.h"
#include "game/player/weapons/Bullet_RayPart.h"
#include "game/player/weapons/Bullet_RazerBase.h"
#include "game/state/Environment2.h"
#include "game/world/CollisionShapeSet.h"
#include "game/world/effects/EffectGenerator.h"
#include "game/world/effects/EffectObject.h"

using Quorvex::AreaPos;

namespace {

D3DXVECTOR3 CentreMove() {
    return g_pEnvironment2 ? g_pEnvironment2->centerInfo.move : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

D3DXVECTOR3 Forward(const D3DXQUATERNION& q) { return Quorvex::RotateByQuaternion(D3DXVECTOR3(0, 0, 1), q); }

BYTE TrailChannel(float base) {
    return static_cast<BYTE>(static_cast<int>((base + (1.0f - base) * Quorvex::RandomFloat()) * 255.0f));
}

}  // namespace

Bullet_Missile2::Bullet_Missile2(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager,
                                 const AreaPos& start)
    : Bullet(manager, areaManager, start) {}

Bullet_Missile2::~Bullet_Missile2() {
    UnhookTrail();
    SetTarget(nullptr);
}

int Bullet_Missile2::Initialize(int param) {
    Bullet::Initialize(param);
    speed = 0.0f;
    if (CollisionShapeSet* shape = FindShape(L"Razer")) CreateFloatingBody(shape);
    SyncRigidBody(1);
    return 0;
}

float Bullet_Missile2::LaunchSpeed(float size, float speedFactor, float playerSpeedRate) {
    return (size * 1.5f + 2.0f) * 314.0f * speedFactor * (1.0f + 0.5f * std::max(playerSpeedRate, 0.0f));
}

void Bullet_Missile2::SetTarget(Object3D* object) { HoldCounted(target, object); }

int Bullet_Missile2::ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) {
    auto* record = dynamic_cast<SetParam*>(param);
    if (!record) return -1;
    Launch(*record);
    return 0;
}

void Bullet_Missile2::Launch(const SetParam& record) {
    BeginLaunch(record.objectManager, "Sprite3D");
    m_owner = record.owner;
    m_areaPos = record.start;
    m_orientation = record.orientation;
    size = record.size;
    vector = record.vector;
    SetTarget(record.target);
    targetNow = targetLast = target ? target->GetWorldPosition() : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    targetVelocity = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    age = 0.0f;
    trailCarry = 0.0f;
    turnRate = 50.0f + 50.0f * size;
    speed = LaunchSpeed(size, record.speedFactor, Bullet_RazerBase::PlayerSpeedRate());
    SetSide(record.side != 0);
    m_attackPower = kAttackPower;
    SyncRigidBody(1);
    if (PlaneRigidBody* body = GetRigidBody()) body->setLinearVelocity(btVector3(0.0f, 0.0f, 0.0f));
    if (Quorvex::SoundUnit* sound = FindSoundUnit(L"val3")) sound->Play(Quorvex::SoundUnit::PLAY_REWIND, &m_areaPos);
}

void Bullet_Missile2::TrackTarget(const D3DXVECTOR3& targetPosition, float frameTime) {
    targetNow = targetPosition;
    const float step = std::max(frameTime, kMinStep);
    targetVelocity = (targetNow - targetLast) / step;
    targetLast = targetNow;
}

void Bullet_Missile2::PostUpdate() {
    if (target) TrackTarget(target->GetWorldPosition(), GetFrameTimeStep());
}

void Bullet_Missile2::Steer(float dt) {
    const D3DXVECTOR3 move = CentreMove();
    D3DXVECTOR3 d(0.0f, 0.0f, 0.0f);
    if (target) {
        d = AreaPos::Difference(target->GetAreaPos(), m_areaPos);
        D3DXVECTOR3 u, w;
        D3DXVec3Normalize(&u, &d);
        D3DXVec3Normalize(&w, &targetVelocity);
        // Closing speed: the target's speed along the line of sight plus ours.
        const float c = std::fabs(-D3DXVec3Dot(&u, &w)) * D3DXVec3Length(&targetVelocity) + speed;
        const float t = D3DXVec3Length(&d) / std::max(c, kMinStep);
        // The target's own motion, without the world's drift of this frame.
        const D3DXVECTOR3 motion = targetVelocity - move / std::max(dt, kMinStep);
        const AreaPos aim = target->GetAreaPos().Translated(motion * t).Translated(-move);
        D3DXVECTOR3 a = AreaPos::Difference(aim, m_areaPos);
        const D3DXQUATERNION desired = Quorvex::YawPitchRollQuaternion(a);
        D3DXVec3Normalize(&a, &a);
        const D3DXVECTOR3 f = Forward(m_orientation);
        // The further off the heading, the larger the share of the turn.
        const float half = (D3DXVec3Dot(&f, &a) + 1.0f) * 0.5f;
        const float s = half > 0.0f ? std::min(1.0f, turnRate * dt / half) : (dt > 0.0f ? 1.0f : 0.0f);
        D3DXQuaternionSlerp(&m_orientation, &m_orientation, &desired, s);
    }
    D3DXVECTOR3 step = Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, speed), m_orientation) * dt + move;
    // The last step ends on the target.
    if (target && D3DXVec3LengthSq(&step) > D3DXVec3LengthSq(&d)) step = d;
    m_areaPos.Add(step);
}

void Bullet_Missile2::Update(float dt) {
    RebinIfMoved();
    const AreaPos old = m_areaPos;
    age += dt;
    Steer(dt);
    if (target) {
        const D3DXVECTOR3 toTarget = AreaPos::Difference(target->GetAreaPos(), m_areaPos);
        const D3DXVECTOR3 f = Forward(m_orientation);
        // Once behind, the target is lost for good.
        if (target->IsRemoveRequested() || D3DXVec3Dot(&f, &toTarget) <= 0.0f) SetTarget(nullptr);
    }
    if (age > kLifetime) {
        OnCollision(this);
        return;
    }
    SyncRigidBody(1);
    EmitTrail(AreaPos::Difference(m_areaPos, old), dt);
}

void Bullet_Missile2::EmitTrail(const D3DXVECTOR3& movement, float dt) {
    const float moved = D3DXVec3Length(&movement);
    const int count = static_cast<int>((moved + trailCarry) / kTrailSpacing);
    EffectGenerator* effects = g_pEnvironment2 ? g_pEnvironment2->effectGenerator : nullptr;
    if (count < 1) {
        trailCarry += moved;
    } else {
        const D3DXVECTOR3 head = m_areaPos.ToWorld();
        for (int i = 0; i < count && effects; ++i) {
            const D3DXVECTOR3 offset((Quorvex::RandomFloat() - 0.5f) * 2.5f, (Quorvex::RandomFloat() - 0.5f) * 2.5f,
                                     (Quorvex::RandomFloat() - 0.5f) * 0.5f);
            const D3DXVECTOR3 at = head - movement * (static_cast<float>(i) / count) + offset;
            Effect_GeneralPurpose* spark = effects->SpawnGeneralPurpose(at, "matMagicMissile", "Sprite3D");
            if (!spark) continue;
            spark->m_velocity = -offset * 2.857143f;
            const BYTE r = TrailChannel(0.9f), g = TrailChannel(0.8f), b = TrailChannel(0.7f);
            const BYTE colour[4] = {255, r, g, b};
            std::copy(colour, colour + 4, spark->m_startColor);
            std::copy(colour, colour + 4, spark->m_endColor);
            spark->m_fadeIn = 0.0875f;
            spark->m_fadeOutStart = 0.0875f;
            spark->m_fadeOutEnd = 0.35f;
            spark->m_mode = Effect_GeneralPurpose::ModeBillboard;
            spark->m_blend = 3;
            spark->m_baseWidth = 5.0f;
            spark->m_baseHeight = 10.0f;
            spark->m_scaleFrom = D3DXVECTOR3(10.0f, 10.0f, 10.0f);
            spark->m_scaleTo = D3DXVECTOR3(1.0f, 1.0f, 1.0f);
            spark->m_scaleStart = 0.0f;
            spark->m_scaleEnd = 0.035f;
            spark->m_sprite.rotation.x = Quorvex::RandomFloat() * 2.0f * D3DX_PI;
            spark->m_finish = boost::bind(&Bullet_Missile2::RemoveTrailParticle, this, boost::placeholders::_1);
            trail.insert(spark);
        }
        trailCarry = 0.0f;
    }
    const D3DXVECTOR3 move = CentreMove();
    for (Effect_GeneralPurpose* spark : trail) {
        spark->Shift(move);
        spark->m_sprite.rotation.x += dt * 2.0f * D3DX_PI;
    }
}

void Bullet_Missile2::RemoveTrailParticle(EffectObject* particle) {
    trail.erase(static_cast<Effect_GeneralPurpose*>(particle));
}

void Bullet_Missile2::UnhookTrail() {
    for (Effect_GeneralPurpose* spark : trail) spark->m_finish.clear();
    trail.clear();
}

void Bullet_Missile2::OnCollision(Quorvex::Object* other) {
    // Several contact points of one touch end the flight once.
    if (!other || IsRemoveRequested()) return;
    if (other == this) {
        ReturnToFactory();
        return;
    }
    if (OnOppositeSides(this, other)) {
        Explode(30.0f, 56);
        ReturnToFactory();
    }
}

void Bullet_Missile2::ReturnToFactory() {
    // The sparks play on by themselves; a relaunch starts a trail of its own.
    UnhookTrail();
    SetTarget(nullptr);
    LeaveFlight();
    Quorvex::FactoryProductAdapter::ReturnToFactory();
}
