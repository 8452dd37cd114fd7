#include "game/enemy/AttackParam_Laser.h"

#include <algorithm>

#include "engine/assets/devices/SoundUnit.h"
#include "game/enemy/EnemyEx.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/player/PlayerResources.h"
#include "game/player/weapons/Bullet_Ray.h"
#include "game/state/Environment2.h"

AttackParam_Laser::RayParam::~RayParam() { LetGo(); }

void AttackParam_Laser::RayParam::LetGo() {
    if (!laser) return;
    // A ray never ends by itself: one let go without a fade would stay.
    Bullet_Ray::ClampFade(laser);
    laser->Release();
    laser = nullptr;
}

AttackParam_Laser::AttackParam_Laser(EnemyEx* owner_) : AttackParam(owner_) {
    if (owner) origin = owner->GetAreaPos();
    D3DXQuaternionRotationYawPitchRoll(&aim, 0.0f, D3DX_PI, 0.0f);
}

AttackParam_Laser::~AttackParam_Laser() { DeleteRays(); }

AttackParam_Laser* AttackParam_Laser::Create(EnemyEx* owner, int id) {
    if (id < 10 || id > 13) return nullptr;
    auto* attack = new AttackParam_Laser(owner);
    attack->Start();
    attack->followOwner = 1;
    attack->aimed = (id == 11 || id == 13) ? 1 : 0;
    return attack;
}

void AttackParam_Laser::DeleteRays() {
    for (RayParam* ray : rays) delete ray;
    rays.clear();
}

void AttackParam_Laser::AddRay(RayParam* ray) {
    auto empty = std::find(rays.begin(), rays.end(), nullptr);
    if (empty != rays.end())
        *empty = ray;
    else
        rays.push_back(ray);
}

void AttackParam_Laser::SetDefault() {
    scale = 1.0f;
    followOwner = 1;
    offset = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    aimed = 1;
    fireTime = 1.0f;
    tailTime = 2.5f;
    warnTime = 1.6f;
    colour = 1;
    fireLimit = -1;
    fireCount = 0;
    DeleteRays();
    const float cycle = Cycle();
    for (int j = 0; j < 2; ++j) {
        auto* ray = new RayParam();
        ray->timer = -j * cycle / 2.0f;
        AddRay(ray);
    }
}

void AttackParam_Laser::OnFinish() { DeleteRays(); }

bool AttackParam_Laser::AcquireLaser(RayParam& ray, float dt) {
    origin = owner->GetAreaPos();
    const D3DXVECTOR3 from = owner->GetWorldPosition();
    const D3DXVECTOR3 target = owner->GetTargetPosition();
    if (aimed) aim = MakeAimQuaternion(from, target);
    if (ray.timer == 0.0f && aimed)
        ray.orientation = MakeAimQuaternion(from, target + owner->GetTargetVelocity() * dt);
    else
        ray.orientation = aim;
    ray.position = origin;

    Quorvex::FactoryAdapter* pool =
        owner->generator ? owner->generator->GetPool(EnemyGenerator_Derive::PoolRay) : nullptr;
    if (!pool) return false;
    // The first ray of a cycle is a thin warning line, the later one fires.
    const float width = ray.timer != 0.0f ? kFiringWidth : kWarningWidth;
    Bullet_Ray::SetParam record(origin, ray.orientation, owner, target, level, kRayLength, width,
                                owner->GetObjectManager());
    auto* laser = dynamic_cast<Bullet_Ray*>(pool->AcquireProduct(&record));
    if (!laser) return false;
    ray.laser = laser;  // the acquired reference
    Bullet_Ray::SetColorType(laser, colour);
    Bullet_Ray::SetPartsValue(laser, colour != 0 ? 3 : 2);
    if (ray.timer > 0.0f)
        if (Quorvex::SoundUnit* sound = FindSoundUnit(L"ray")) sound->Play(0, &origin);
    return true;
}

void AttackParam_Laser::Fire(float dt) {
    if (!owner || !owner->GetTarget()) return;
    const float w = warnTime;
    const float t1 = 0.3f * w;
    const float t2 = t1 + 0.07f * w;
    const float t3 = t2 + 0.13f * w;
    const float t4 = t3 + fireTime;
    const float t5 = t4 + 0.5f * w;
    const float end = t5 + tailTime;
    // A long frame moves a ray by at most 5 % of its cycle.
    const float step = std::min(dt, 0.05f * Cycle());

    for (RayParam* ray : rays) {
        if (!ray) continue;
        if (ray->timer < 0.0f) {
            ray->timer += step;
            if (ray->timer >= 0.0f) ray->timer = 0.0f;
            continue;
        }
        if (!ray->laser && ray->active) AcquireLaser(*ray, dt);

        const float t = ray->timer;
        if (t < t1) {
            if (ray->laser && ray->active) {
                ray->laser->rate = 1.0f / (t1 * 0.5f);
                ray->laser->collideWhenGrown = false;
                ray->active = 0;
            }
            if (t >= t1 * 0.5f) ray->LetGo();
        } else if (t >= t2 && t < t3) {
            ray->active = 1;
            if (ray->laser) {
                ray->laser->rate = 1.0f / (t3 - t);
                ray->laser->collideWhenGrown = true;
            }
        } else if (t >= t4 && t < t5) {
            if (ray->laser) ray->laser->rate = 1.0f / (t5 - t);
            ray->LetGo();
            ray->active = 0;
            ++fireCount;
            if (fireLimit >= 0 && fireCount >= fireLimit) {
                Finish();
                return;
            }
        }

        if (ray->laser) ray->laser->SetOrientation(ray->orientation);
        if (followOwner) {
            ray->position = owner->GetAreaPos().Translated(offset);
            if (ray->laser) ray->laser->SetAreaPos(ray->position);
        } else if (g_pEnvironment2) {
            ray->position.Add(g_pEnvironment2->centerInfo.move);
        }

        if (ray->timer < end) {
            ray->timer += step;
        } else {
            ray->LetGo();
            ray->active = 1;
            ray->timer = 0.0f;
        }
    }
}
