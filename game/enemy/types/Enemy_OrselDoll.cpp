#include "game/enemy/types/Enemy_OrselDoll.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include <boost/bind/bind.hpp>

#include "engine/core/Utility.h"
#include "game/enemy/AttackParam.h"
#include "game/enemy/AttackParam_Laser.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/Fighter2BehaviorParam.h"
#include "game/enemy/types/BossCommon.h"
#include "game/enemy/types/EnemyTypeCommon.h"
#include "game/enemy/types/Enemy_Fighter2.h"
#include "game/player/Player.h"
#include "game/player/weapons/Bullet_Nuke.h"

using boost::placeholders::_1;

namespace {

constexpr float kTwoPi = 6.2831853f;

struct OrbitState {
    bool initialised = false;
    float timer = 0.0f;
    Quorvex::AreaPos centre;
    D3DXQUATERNION orientation{0.0f, 0.0f, 0.0f, 1.0f};
    D3DXVECTOR3 velocity{0.0f, 0.0f, 0.0f};
    float orbitAngle = 0.0f;
};

struct ThrownState {
    bool started = false;
    float timer = 0.0f;
    D3DXQUATERNION orientation{0.0f, 0.0f, 0.0f, 1.0f};
    D3DXVECTOR3 velocity{0.0f, 0.0f, 0.0f};
    int32_t fireCount = 0;
    bool laserOnly = false;  // the laser doll's timings and attacks
};

struct HomingState {
    bool started = false;
    float timer = 0.0f;
    D3DXVECTOR3 velocity{0.0f, 0.0f, 0.0f};
};

struct CrossState {
    bool started = false;
    float timer = 0.0f;
    D3DXVECTOR3 velocity{0.0f, 0.0f, 0.0f};
};

D3DXVECTOR3 GeneratorMotion(const Enemy_Fighter2* doll) {
    return doll->generator ? doll->generator->GetCenterMotion() : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

// Moves the doll and keeps its velocity as the displacement over the frame.
void MoveDoll(Enemy_Fighter2* doll, const D3DXVECTOR3& displacement, float dt) {
    Quorvex::AreaPos p = doll->GetAreaPos();
    p.Add(displacement);
    doll->SetAreaPos(p);
    if (dt > 0.0f) doll->velocity = displacement / dt;
}

D3DXQUATERNION AimFromDoll(const Enemy_Fighter2* doll) {
    return doll->GetTarget() ? MakeAimQuaternion(doll->GetAreaPos(), doll->GetTarget()->GetAreaPos())
                             : D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
}

// A one-volley fan of the dolls' kind (variant on, odd ways).
AttackParam_nWay* AddFan(Enemy_Fighter2* doll, float spread, float speed, int shotsPerWay) {
    auto* fan = dynamic_cast<AttackParam_nWay*>(doll->CreateAttack(25));
    if (!fan) return nullptr;
    fan->spread = spread;
    fan->restScale = 0.0f;
    fan->speedStep = 0.2f;
    fan->speed = speed;
    fan->shotsPerWay = shotsPerWay;
    fan->volleyLimit = 1;
    return fan;
}

AttackParam_ShotGun* AddShotGun(Enemy_Fighter2* doll, bool variant) {
    return dynamic_cast<AttackParam_ShotGun*>(doll->CreateAttack(variant ? 72 : 71));
}

// A doll's parting shot: one shotgun volley (variant on) fired at once.
void FireLastShotGun(Enemy_Fighter2* doll, float spread, int pellets, int layers, int colour, float dt) {
    AttackParam_ShotGun* last = AddShotGun(doll, true);
    if (!last) return;
    last->spread = spread;
    last->restScale = 0.0f;
    last->speed = 1.0f;
    last->pellets = pellets;
    last->layers = layers;
    last->speedStep = 0.2f;
    last->volleyLimit = 1;
    last->colour = colour;
    last->Fire(dt);
}

// The doll ends itself: it no longer counts as appeared.
void EndDoll(Enemy_Fighter2* doll, bool explode) {
    if (explode) BossExplode(doll, 40.0f);
    AddEnemiesAppeared(-1);
    doll->Vanish();
}

// Each step takes its state by value: a vanish may drop the callback that
// holds the bound arguments while the step still runs.
void OrbitStep(Enemy_Fighter2* doll, std::shared_ptr<OrbitState> st, float dt) {
    if (!st->initialised) {
        st->initialised = true;
        st->centre = doll->GetAreaPos();
        st->orientation = AimFromDoll(doll);
    }
    st->centre.Add(st->velocity * dt);
    st->centre.Add(GeneratorMotion(doll));
    float turns = st->timer / 3.0f;
    turns -= std::floor(turns);
    const float a = turns * kTwoPi + st->orbitAngle;
    const D3DXVECTOR3 ring = Quorvex::RotateByQuaternion(D3DXVECTOR3(std::sin(a), std::cos(a), 0.0f) * 50.0f,
                                                         st->orientation);
    const Quorvex::AreaPos next = st->centre.Translated(ring);
    MoveDoll(doll, Quorvex::AreaPos::Difference(next, doll->GetAreaPos()), dt);
    if (!doll->attacks.empty())
        if (auto* line = dynamic_cast<AttackParam_Volley*>(*doll->attacks.begin())) {
            line->aim = BossTurn(BossTurn(Quorvex::YawPitchRollQuaternion(0.0436332f, 0.0f, 0.0f), st->orientation),
                                 Quorvex::YawPitchRollQuaternion(0.0f, 0.0f, a));
            line->aimFlags |= AttackParam_Volley::BurstUnderWay;
        }
    const float speed = D3DXVec3Length(&st->velocity);
    if (speed > 0.0f && 1200.0f / speed <= st->timer) {
        *st = OrbitState();
        doll->Vanish();
        return;
    }
    st->timer += dt;
}

void ThrownStep(Enemy_Fighter2* doll, std::shared_ptr<ThrownState> st, float dt) {
    const float l = Enemy_OrselDoll::Level(doll);
    st->started = true;
    // The throw speeds up over its first second; the step is per frame.
    MoveDoll(doll, GeneratorMotion(doll) + st->velocity * std::min(st->timer, 1.0f), dt);

    const float fireAt = st->laserOnly ? 1.0f : 0.5f;
    if (st->timer >= fireAt && st->fireCount < 1) {
        const bool swap = (Quorvex::RandomInt() & 1) != 0;
        AttackParam_nWay* fan = AddFan(doll, 0.436332f, 0.4f,
                                       static_cast<int>((st->laserOnly ? 7.5f : 12.0f) * l));
        if (fan && st->laserOnly) fan->ways = 4;
        AttackParam_Laser* laser = nullptr;
        if (st->laserOnly) {
            laser = dynamic_cast<AttackParam_Laser*>(doll->CreateAttack(13));
        } else {
            laser = dynamic_cast<AttackParam_Laser*>(doll->CreateAttack(12));
            if (laser) {
                D3DXQUATERNION aim;
                const D3DXQUATERNION toPlayer = AimFromDoll(doll);
                D3DXQuaternionSlerp(&aim, &toPlayer, &st->orientation, 0.75f);
                laser->aim = aim;
            }
        }
        if (laser) laser->fireLimit = 1;
        const bool fanFirst = st->laserOnly ? swap : !swap;  // fan 4 / laser 7, or the other way
        if (fan) fan->colour = fanFirst ? 4 : 7;
        if (laser) laser->colour = fanFirst ? 7 : 4;
        st->fireCount += 1;
    }
    if (st->timer >= 3.5f) {
        if (!st->laserOnly)
            if (AttackParam_nWay* last = AddFan(doll, 0.17453294f, 1.0f, static_cast<int>(7.5f * l))) {
                last->colour = 5;
                last->Fire(dt);
            }
        *st = ThrownState();
        EndDoll(doll, true);
        return;
    }
    st->timer += dt;
}

void HomingStep(Enemy_Fighter2* doll, std::shared_ptr<HomingState> st, float dt) {
    const float l = Enemy_OrselDoll::Level(doll);
    st->started = true;
    const D3DXVECTOR3 toPlayer = doll->GetTargetPosition() - doll->GetWorldPosition();
    const float distance = D3DXVec3Length(&toPlayer);
    const D3DXVECTOR3 desired = distance > 0.0f ? toPlayer * (600.0f / distance) : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    st->velocity = st->velocity * (1.0f - 0.75f * dt) + desired * (0.75f * dt);
    const float speed = D3DXVec3Length(&st->velocity);
    if (speed > 600.0f) st->velocity *= 600.0f / speed;
    MoveDoll(doll, st->velocity * dt + GeneratorMotion(doll), dt);

    // The burst test sees where the doll has got to this frame.
    const D3DXVECTOR3 left = doll->GetTargetPosition() - doll->GetWorldPosition();
    if (doll->GetTarget() && D3DXVec3Length(&left) < 200.0f) {
        FireLastShotGun(doll, 0.610865f, static_cast<int>(10.0f + 20.0f * l), static_cast<int>(6.0f * l), 5, dt);
        LaunchEnemyNuke(doll, AimFromDoll(doll), doll->level, Bullet_Nuke::KindBoss);
        *st = HomingState();
        EndDoll(doll, true);
        return;
    }
    st->timer += dt;
}

void CrossStep(Enemy_Fighter2* doll, std::shared_ptr<CrossState> st, float dt) {
    const float l = Enemy_OrselDoll::Level(doll);
    st->started = true;
    MoveDoll(doll, st->velocity * dt + GeneratorMotion(doll), dt);
    if (st->timer >= 10.0f) {
        FireLastShotGun(doll, 0.0436332f, static_cast<int>(5.0f + 5.0f * l), static_cast<int>(4.5f * l), 0, dt);
        *st = CrossState();
        EndDoll(doll, false);
        return;
    }
    st->timer += dt;
}

void HeldStep(Enemy_Fighter2* doll, float) { doll->GetBehavior()->flag = 1; }

// The common start of every behaviour: the record exists, no attacks.
void PrepareDoll(Enemy_Fighter2* doll) {
    doll->GetBehavior();
    doll->ClearAttacks();
    doll->attackType = 0;
}

// The thrown and the laser doll share their flight and their state.
void InstallThrown(Enemy_Fighter2* doll, const D3DXQUATERNION& orientation, const D3DXVECTOR3& velocity,
                   bool laserOnly) {
    if (!doll) return;
    PrepareDoll(doll);
    doll->GetBehavior()->ResetBlock2();
    auto st = std::make_shared<ThrownState>();
    st->orientation = orientation;
    st->velocity = velocity;
    st->laserOnly = laserOnly;
    doll->onFrame = boost::bind(&ThrownStep, doll, st, _1);
}

}  // namespace

float Enemy_OrselDoll::Level(const Enemy_Fighter2* doll) { return std::clamp(doll ? doll->level : 0.0f, 0.0f, 1.0f); }

void Enemy_OrselDoll::SetOrbitBehavior(Enemy_Fighter2* doll, const D3DXQUATERNION& orientation,
                                       const D3DXVECTOR3& velocity, float orbitAngle) {
    if (!doll) return;
    PrepareDoll(doll);
    doll->GetBehavior()->ResetBlock1();
    doll->SetAttackType(40);
    doll->attackType = 40;
    auto st = std::make_shared<OrbitState>();
    st->orientation = orientation;
    st->velocity = velocity;
    st->orbitAngle = orbitAngle;
    doll->onFrame = boost::bind(&OrbitStep, doll, st, _1);
}

void Enemy_OrselDoll::SetThrownBehavior(Enemy_Fighter2* doll, const D3DXQUATERNION& orientation,
                                        const D3DXVECTOR3& velocity) {
    InstallThrown(doll, orientation, velocity, false);
}

void Enemy_OrselDoll::SetHomingBehavior(Enemy_Fighter2* doll) {
    if (!doll) return;
    PrepareDoll(doll);
    doll->GetBehavior()->ResetBlock3();
    doll->SetAttackType(72);
    doll->attackType = 72;
    for (AttackParam* attack : doll->attacks)
        if (auto* gun = dynamic_cast<AttackParam_ShotGun*>(attack)) gun->intervalScale = 0.5f;
    doll->onFrame = boost::bind(&HomingStep, doll, std::make_shared<HomingState>(), _1);
}

void Enemy_OrselDoll::SetLaserBehavior(Enemy_Fighter2* doll, const D3DXQUATERNION& orientation,
                                       const D3DXVECTOR3& velocity) {
    InstallThrown(doll, orientation, velocity, true);
}

void Enemy_OrselDoll::SetCrossBehavior(Enemy_Fighter2* doll, const D3DXQUATERNION& orientation,
                                       const D3DXVECTOR3& velocity, float attackDelay) {
    if (!doll) return;
    PrepareDoll(doll);
    doll->GetBehavior()->ResetBlock4();
    doll->SetOrientation(orientation);
    doll->SetAttackType(71);
    doll->attackType = 71;
    const float h = 1.0f - Level(doll);
    for (AttackParam* attack : doll->attacks)
        if (auto* gun = dynamic_cast<AttackParam_ShotGun*>(attack)) {
            gun->intervalScale = 0.2f + 0.25f * h;
            gun->speed = 0.5f;
            gun->speedStep = 0.025f;
            gun->colour = 3;
            gun->spread = 0.06981317f;
            gun->layers = 2;
            gun->pellets = 2;
            gun->elapsed = attackDelay;
        }
    auto st = std::make_shared<CrossState>();
    st->velocity = velocity;
    doll->onFrame = boost::bind(&CrossStep, doll, st, _1);
}

void Enemy_OrselDoll::SetHeldBehavior(Enemy_Fighter2* doll) {
    if (!doll) return;
    PrepareDoll(doll);
    Fighter2BehaviorParam* record = doll->GetBehavior();
    record->flag = 0;
    record->counter = 0;
    doll->onFrame = boost::bind(&HeldStep, doll, _1);
}
