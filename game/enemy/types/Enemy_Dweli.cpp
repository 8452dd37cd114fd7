#include "game/enemy/types/Enemy_Dweli.h"

#include <algorithm>
#include <cmath>

#include <boost/bind/bind.hpp>

#include "engine/assets/devices/SoundUnit.h"
#include "engine/core/Utility.h"
#include "engine/core/render/DrawBuilders.h"
#include "game/enemy/AttackParam.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/types/BossCommon.h"
#include "game/enemy/types/EnemyTypeCommon.h"
#include "game/enemy/types/Enemy_ShotPoint.h"
#include "game/player/PlayerResources.h"
#include "game/player/weapons/Bullet_Ray.h"
#include "game/state/Environment2.h"
#include "game/world/effects/EffectGenerator.h"

using boost::placeholders::_1;
using boost::placeholders::_2;

namespace {

constexpr float kDegree = 0.017453292f;

float Uniform(float lo, float hi) { return lo + Quorvex::RandomFloat() * (hi - lo); }

const wchar_t* const kSpellTitles[3] = {
    L"光符「ツインサーチライト」",
    L"弾符「ミラージュファン」",
    L"黒符「ブラックフレア」",
};

}  // namespace

// ---------------------------------------------------------------------------
// Records

SmokeParam::~SmokeParam() {
    for (auto& entry : entries) entry.second.callback.clear();
    entries.clear();
}

Enemy_Dweli::RayParam::~RayParam() { DropRay(); }

void Enemy_Dweli::RayParam::DropRay() {
    if (ray) ray->Release();
    ray = nullptr;
}

// ---------------------------------------------------------------------------
// Flare

Enemy_Dweli_Flare::Enemy_Dweli_Flare(Quorvex::IObjectManager* manager, Enemy_Dweli* boss_)
    : Quorvex::RenderObject(manager, 0), boss(boss_) {
    sprite.SetMaterial(FindMaterial(manager, "matFlareBlack"));
    sprite.color = 0xFFFFFFFF;
    sprite.uv[0] = D3DXVECTOR2(0.01f, 0.01f);
    sprite.uv[1] = D3DXVECTOR2(0.99f, 0.01f);
    sprite.uv[2] = D3DXVECTOR2(0.01f, 0.99f);
    sprite.uv[3] = D3DXVECTOR2(0.99f, 0.99f);
    sprite.width = 0.0f;
    sprite.height = 0.0f;
    JoinRenderStage(this, "Sprite3DOver");
}

Enemy_Dweli_Flare::~Enemy_Dweli_Flare() = default;

void Enemy_Dweli_Flare::Detach() {
    visible = false;
    boss = nullptr;
    LeaveRenderStage(this);
}

void Enemy_Dweli_Flare::Render(Quorvex::CalcVertexSet* list) {
    if (!visible || !boss || !list) return;
    const float frameTime = GetElapsedRenderTime();
    sprite.position = boss->GetWorldPosition();
    sprite.width = std::min(sprite.width + kGrowRate * frameTime, kMaxSize);
    sprite.height = std::min(sprite.height + kGrowRate * frameTime, kMaxSize);
    sprite.rotation.x += kSpinRate * frameTime;
    EnemyRenderSprite(list, sprite, sprite.position);
}

float Enemy_Dweli_Flare::GetDrawPriority() {
    Quorvex::ObjectManager* manager = AsObjectManager(GetManager());
    if (!manager) return Quorvex::RenderObject::GetDrawPriority();
    const D3DXMATRIX& v = manager->GetViewMatrix();
    const D3DXVECTOR3& p = sprite.position;
    const float depth = v._13 * p.x + v._23 * p.y + v._33 * p.z + v._43;
    SetDrawPriority(depth);
    return depth;
}

// ---------------------------------------------------------------------------
// Life cycle

Enemy_Dweli::Enemy_Dweli(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                         const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator_)
    : EnemyEx(objectManager, areaManager, position, generator_, nullptr) {
    shotState.scale = 1.0f;
}

// What Finalize did not release yet goes here without touching the world:
// no removal requests for an object that is going away.
Enemy_Dweli::~Enemy_Dweli() {
    patternCallback.clear();
    for (RayParam* slot : rays) delete slot;
    rays.clear();
    for (Enemy_ShotPoint* point : shotPoints) point->Release();
    shotPoints.clear();
    if (flare) {
        // Its stage may be gone already: only the link back is cut.
        flare->boss = nullptr;
        flare->visible = false;
        flare->Release();
        flare = nullptr;
    }
}

int Enemy_Dweli::Initialize(int param) {
    Enemy::Initialize(param);
    SetEnemyMesh(this, "Mesh_Dweli");
    CreateEnemyBody(this, L"EnemyFighterBig");
    flare = new Enemy_Dweli_Flare(GetManager(), this);
    flare->AddRef();
    flare->Initialize(0);
    return 0;
}

void Enemy_Dweli::Finalize() {
    if (g_pEnvironment2 && g_pEnvironment2->currentBoss == this) g_pEnvironment2->currentBoss = nullptr;
    if (flare) {
        flare->Detach();
        flare->Release();
        flare = nullptr;
    }
    DestroyRays();
    ReleaseShotPoints();
    EnemyEx::Finalize();
}

void Enemy_Dweli::Launch(const Quorvex::AreaPos& start) {
    m_gauge2 = kLaunchLife;
    // The facing the launcher gave it is kept.
    EnemyEx::Launch(m_orientation, GetObjectManager(), start, MoveModePath, kLaunchLife,
                    D3DXVECTOR3(100.0f, 100.0f, 314.0f));
    gaugeCap = kGaugeCap;
    m_gauge = kGaugeCap;
    phase = 1;
    dying = false;
    deathStarted = false;
    deathCounter = 0;
    deathClock = 0.0f;
    deathAccumulator = 0.0f;
    SetPhase(5);
    homePoint = D3DXVECTOR3(100.0f, 100.0f, 314.0f);
    m_areaPos = start;
    phaseClock = 0.0f;
    phaseLimit = -1.0f;
    score = 1200;
    SyncRigidBody(1);
    if (g_pEnvironment2) g_pEnvironment2->currentBoss = this;
}

void Enemy_Dweli::Vanish() {
    if (g_pEnvironment2 && g_pEnvironment2->currentBoss == this) g_pEnvironment2->currentBoss = nullptr;
    ReleaseShotPoints();
    SetAttackType(1);
    m_life = -1.0f;
    RequestRemove(true);
    if (listSet) ReturnToListSet(listSet);
}

void Enemy_Dweli::AddGauge(float delta) {
    lifeCap = gaugeCap;
    RecoverLifeGauge(delta);
}

void Enemy_Dweli::Render(Quorvex::CalcVertexSet* list) { EnemyRenderMesh(this, list); }

void Enemy_Dweli::UpdateWorldMatrix() { EnemyUpdateWorldMatrix20(this, 2.0f); }

// ---------------------------------------------------------------------------
// Phase machine

void Enemy_Dweli::SetPhase(int n) {
    patternCallback.clear();
    phaseLimit = -1.0f;
    phaseClock = 0.0f;
    SetUpPhase(n);
}

void Enemy_Dweli::SetUpPhase(int n) {
    using Step = void (Enemy_Dweli::*)(float, EnemyEx::ShotParam1*);
    boost::function<NextPos(MoveParam*)> next;
    const auto random = boost::bind(&Enemy_Dweli::NextRandomPos, this, _1);
    Step step = nullptr;
    // Start delays of the new attack step (seconds, negative).
    float rest = 0.0f;
    float timer = 0.0f;
    bool resetShots = false;
    int spell = -1;

    switch (n) {
    case 0:
    case 1:
    case 9:
    case 10:
    case 12:
    case 16:
        next = random;
        break;
    case 2:
    case 3:
        break;
    case 4:
    case 8:
    case 13:
        next = random;
        step = &Enemy_Dweli::FireAimedPattern;
        resetShots = true;
        rest = -4.0f;
        SpawnShotPoints(0, 0);
        phaseLimit = n == 13 ? 60.0f : 40.0f;
        break;
    case 5:
        next = boost::bind(&EnemyEx::NextPosNear, this, _1);
        SpawnShotPoints(0, 0);
        break;
    case 6:
        next = boost::bind(&EnemyEx::NextPosScatter, this, _1);
        SpawnShotPoints(0, 0);
        break;
    case 7: {
        SpawnShotPoints(0, 0);
        // The path starts where the boss is, as an offset from the path's
        // reference (the generator), so it does not jump at the first point.
        const D3DXVECTOR3 points[3] = {BossOffsetFromGenerator(this),
                                       D3DXVECTOR3(200.0f, 200.0f, 1200.0f), D3DXVECTOR3(-400.0f, 0.0f, 2000.0f)};
        MoveParam* mp = GetMoveParam();
        mp->SetPath(points, 3, 250.0f);
        mp->onPathEnd = boost::bind(&Enemy_Dweli::VanishAtPathEnd, this, _1);
        break;
    }
    case 11:
        next = random;
        step = &Enemy_Dweli::FireWaveVolley;
        resetShots = true;
        rest = -2.0f;
        SpawnShotPoints(0, 0);
        phaseLimit = 60.0f;
        break;
    case 14:
        spell = 0;
        next = random;
        step = &Enemy_Dweli::FireSweepRays;
        resetShots = true;
        timer = -4.0f;
        SpawnShotPoints(4, 10);
        phaseLimit = 90.0f;
        break;
    case 15:
        spell = 1;
        next = random;
        step = &Enemy_Dweli::FireFanVolley;
        resetShots = true;
        timer = -2.0f;
        SpawnShotPoints(2, 12);
        // The second emitter starts 1.5 s sooner, so the two sweeps alternate.
        if (shotPoints.size() >= 2) shotPoints[1]->shotState.rest += 1.5f;
        phaseLimit = 90.0f;
        break;
    case 17:
        spell = 2;
        next = boost::bind(&Enemy_Dweli::NextWidePos, this, _1);
        step = &Enemy_Dweli::FireShotPointRays;
        resetShots = true;
        timer = -5.0f;
        SpawnShotPoints(6, 11);
        phaseLimit = 90.0f;
        break;
    default:
        break;
    }

    if (spell >= 0) StartSpellCard("spellDweli", kSpellTitles[spell]);
    if (resetShots) {
        shotState.Reset(level);
        shotState.rest = rest;
        shotState.timer = timer;
    }
    if (step) patternCallback = boost::bind(step, this, _1, _2);

    SetBossTimeLimit(-1.0f);
    GetMoveParam()->nextPos = next;
    phase = static_cast<uint32_t>(n);
}

void Enemy_Dweli::EndPhase() {
    m_life = kLaunchLife;
    m_gauge2 = kLaunchLife;
    m_gauge = gaugeCap;

    bool spellLife = false;
    switch (phase) {
    case 4:
    case 8:
        SetPhase(14);
        spellLife = true;
        break;
    case 11:
        SetPhase(15);
        spellLife = true;
        break;
    case 12:
        SetPhase(16);
        spellLife = true;
        break;
    case 13:
        SetPhase(17);
        spellLife = true;
        BossSkipStage();
        break;
    case 14:
        ReleaseRays();
        EndSpellCard();
        Explode(80.0f);
        m_life = -1.0f;
        SetPhase(7);
        BossSkipStage();
        break;
    case 15:
        ReleaseRays();
        EndSpellCard();
        Explode(80.0f);
        SetPhase(13);
        break;
    case 16:
        SetPhase(13);
        break;
    case 17:
        ReleaseRays();
        EndSpellCard();
        dying = true;
        m_life = -1.0f;
        break;
    default:
        break;
    }
    if (spellLife) {
        m_life = kSpellLife;
        m_gauge2 = kSpellLife;
    }
}

void Enemy_Dweli::Update(float dt) {
    const Quorvex::AreaPos before = m_areaPos;
    EnemyEx::Update(dt);

    if (StepBossPhaseClock(phaseClock, phaseLimit, dt)) EndPhase();

    if (age >= kMaxAge) Vanish();
    if (dying) UpdateDeath(dt);
    if (!patternCallback.empty()) {
        // A step may end the phase and bind another step.
        const PatternStep step = patternCallback;
        step(dt, &shotState);
    }

    if (flare) flare->visible = phase == 17;
    if (phase == 17) return;
    const float b = age / 100.0f * D3DX_PI;
    const float s = std::sin(2.0f * b);
    aura1.intensity = s * 0.25f + 0.5f;
    aura2.intensity = s * 0.25f + 0.5f;
    aura3.intensity = s * 0.1f + 0.45f;
    const D3DXVECTOR3 movement = Quorvex::AreaPos::Difference(m_areaPos, before);
    UpdateAuraVariant1(dt, movement, aura1);
    UpdateAuraVariant2(dt, movement, aura2);
    UpdateAuraVariant3(dt, movement, aura3);
}

void Enemy_Dweli::Hit(Quorvex::Object* other) {
    if (!other || m_life <= 0.0f) return;
    if (!other->CheckGroupFlag(GroupPlayerSide) || !other->CheckGroupFlag(GroupProjectile)) return;
    m_life = std::max(m_life - GetDamage(other), 0.0f);
    if (m_life == 0.0f) EndPhase();
}

void Enemy_Dweli::UpdateDeath(float dt) {
    const float c = deathClock;
    if (!deathStarted) {
        // A flag, not the clock, marks the start: a frame of dt 0 must not
        // award the score twice.
        deathStarted = true;
        AwardScore();
        SetPhase(6);
        Explode(60.0f);
        BossSkipStage();
    } else if (c < 1.0f) {
        const int n = 40 - static_cast<int>(c * 20.0f);
        const int m = 20 - static_cast<int>(c * 10.0f);
        while (deathAccumulator >= 0.01f) {
            if (deathCounter % n == n - 1) {
                Explode(40.0f);
                deathCounter += Quorvex::RandomInt() % (n - m);
            } else {
                // Braces fix the order of the draws: x, then y, then z.
                const D3DXVECTOR3 offset{Uniform(-12.5f, 12.5f), Uniform(-12.5f, 12.5f), Uniform(-25.0f, 25.0f)};
                Explode(15.0f, 0x36, offset);
            }
            deathCounter += 1;
            deathAccumulator -= 0.01f;
        }
        deathAccumulator += dt;
    } else {
        Explode(90.0f);
        dying = false;
        Vanish();
        return;
    }
    deathClock += dt / kDeathTime;
}

void Enemy_Dweli::Explode(float size, BYTE flags, const D3DXVECTOR3& offset) {
    if (EffectGenerator* effects = g_pEnvironment2 ? g_pEnvironment2->effectGenerator : nullptr)
        effects->CreateExplosion(m_areaPos.Translated(offset), size, flags);
}

// ---------------------------------------------------------------------------
// Emitters and rays

void Enemy_Dweli::SpawnShotPoints(int count, int patternId) {
    ReleaseShotPoints();
    for (int i = 0; i < count && generator; ++i)
        if (Enemy_ShotPoint* point = generator->LaunchShotPoint(m_areaPos, m_orientation)) shotPoints.push_back(point);
    for (Enemy_ShotPoint* point : shotPoints) point->SetPattern(patternId);
}

void Enemy_Dweli::ReleaseShotPoints() {
    std::vector<Enemy_ShotPoint*> held;
    held.swap(shotPoints);
    for (Enemy_ShotPoint* point : held) {
        point->patternCallback.clear();
        point->GetMoveParam()->refPoint = point->GetWorldPosition();
        // Released emitters go back to their pool; left standing they would
        // stay in the world for the rest of the stage.
        point->Vanish();
        point->Release();
    }
}

Enemy_Dweli::RayParam* Enemy_Dweli::AddRayParam() {
    auto* slot = new RayParam();
    auto free = std::find(rays.begin(), rays.end(), nullptr);
    if (free != rays.end())
        *free = slot;
    else
        rays.push_back(slot);
    return slot;
}

void Enemy_Dweli::FreeRays(bool endRays) {
    std::vector<RayParam*> slots;
    slots.swap(rays);
    for (RayParam* slot : slots) {
        if (slot && slot->ray) {
            if (endRays)
                slot->ray->OnCollision(slot->ray);
            else
                Bullet_Ray::ClampFade(slot->ray);
        }
        delete slot;
    }
}

void Enemy_Dweli::ReleaseRays() { FreeRays(false); }

void Enemy_Dweli::DestroyRays() { FreeRays(true); }

Bullet_Ray* Enemy_Dweli::LaunchRay(float width) {
    Quorvex::FactoryAdapter* pool = generator ? generator->GetPool(EnemyGenerator_Derive::PoolRay) : nullptr;
    if (!pool) return nullptr;
    Bullet_Ray::SetParam record(m_areaPos, D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f), this, GetTargetPosition(), level,
                                2000.0f, width, GetObjectManager());
    Quorvex::IFactoryProduct* product = pool->AcquireProduct(&record);
    if (!product) return nullptr;
    auto* ray = dynamic_cast<Bullet_Ray*>(product);
    // The acquired reference is the slot's (RayParam gives it back).
    if (!ray) product->Release();
    return ray;
}

// ---------------------------------------------------------------------------
// Waypoints

namespace {

// The reference point plus x within +-halfWidth, y in -15..35, z in 600..800,
// reached in 2 s.
EnemyEx::NextPos RandomAround(const EnemyEx::MoveParam* mp, float halfWidth) {
    EnemyEx::NextPos p;
    p.x = mp->refPoint.x + Uniform(-halfWidth, halfWidth);
    p.y = mp->refPoint.y + Uniform(-15.0f, 35.0f);
    p.z = mp->refPoint.z + Uniform(600.0f, 800.0f);
    p.duration = 2.0f;
    return p;
}

}  // namespace

EnemyEx::NextPos Enemy_Dweli::NextRandomPos(MoveParam* mp) { return RandomAround(mp, 150.0f); }

EnemyEx::NextPos Enemy_Dweli::NextWidePos(MoveParam* mp) { return RandomAround(mp, 300.0f); }

// ---------------------------------------------------------------------------
// Attack steps

bool Enemy_Dweli::FireShot(const D3DXQUATERNION& orientation, float speed) {
    return BossFireRazer(this, m_areaPos, orientation, speed, -1);
}

void Enemy_Dweli::FireAimedPattern(float dt, EnemyEx::ShotParam1* state) {
    if (!state || !target) return;
    EnemyEx::ShotParam1& w = *state;
    const float c = std::clamp(w.level, 0.0f, 1.0f);
    const float interval = 0.05f - c * 0.025f;
    const int n = static_cast<int>(c * 24.0f + 24.0f);
    const int q = n / 4;
    const int g = static_cast<int>(3.0f - c * 2.0f);

    const D3DXVECTOR3 targetPos = GetTargetPosition();
    const D3DXVECTOR3 here = GetWorldPosition();
    if (!BossInFireRange(this, c)) return;

    if (w.rest < 0.0f) {
        w.rest = std::min(w.rest + dt, 0.0f);
        return;
    }
    w.timer += dt;
    while (w.timer >= interval) {
        if (w.counter % q >= g) {
            const D3DXVECTOR3 angles = Quorvex::DirectionToAngles(targetPos + GetTargetVelocity() * dt - here);
            float pitch = angles.x + (Quorvex::RandomFloat() - 0.5f) * 5.0f * kDegree;
            float yaw = angles.y + (Quorvex::RandomFloat() - 0.5f) * 5.0f * kDegree;
            // The shots past the last whole quarter (n not a multiple of 4)
            // belong to the fourth.
            const int quarter = std::min(w.counter / q, 3);
            pitch += (quarter < 2 ? -2.5f : 2.5f) * kDegree;
            yaw += (quarter % 2 == 0 ? -1.0f : 1.0f) * kDegree;
            FireShot(Quorvex::YawPitchRollQuaternion(yaw, pitch, 0.0f), 1.2f);
        }
        w.counter += 1;
        if (w.counter >= n) {
            w.counter = 0;
            w.rest = -(3.0f - c);
        }
        w.timer -= interval;
    }
}

bool Enemy_Dweli::VolleyDue(EnemyEx::ShotParam1& w, float dt) {
    const float interval = 0.5f - std::min(w.level, 1.0f) * 0.15f;
    w.timer += dt;
    if (w.timer < interval) return false;
    w.timer -= interval;
    return true;
}

void Enemy_Dweli::FireWaveVolley(float dt, EnemyEx::ShotParam1* state) {
    if (!state) return;
    EnemyEx::ShotParam1& w = *state;
    w.clock += dt;
    if (VolleyDue(w, dt)) {
        const float wave = std::sin(2.0f * D3DX_PI * w.clock) * 10.0f * kDegree;
        for (int i = 0; i < 12; ++i) {
            const float yaw = (180.0f + i * 7.5f - 45.0f) * kDegree;
            for (int j = 0; j < 2; ++j) {
                const float pitch = (1.5f - j * 1.5f) * kDegree + wave;
                FireShot(Quorvex::YawPitchRollQuaternion(yaw, pitch, 0.0f), 0.4f + j * 0.1f + (i % 2 ? 0.2f : 0.0f));
            }
        }
    }
    w.clock += dt;
}

void Enemy_Dweli::FireSweepRays(float dt, EnemyEx::ShotParam1* state) {
    if (!state) return;
    EnemyEx::ShotParam1& w = *state;
    const float c = std::min(w.level, 1.0f);
    const float r = 1.0f - c * 0.5f;
    const float m = 3.0f - c * 1.5f;
    const float a = 0.1f * m;
    const float e = 0.8f * m;
    const float swing = 60.0f * kDegree;

    if (target) {
        w.timer += dt;
        if (w.timer >= r) {
            float& cycle = w.rest;
            if (cycle == 0.0f && rays.empty()) {
                for (int k = 0; k < 2; ++k) {
                    Bullet_Ray* ray = LaunchRay(20.0f);
                    if (ray) {
                        Bullet_Ray::SetColorType(ray, 3);
                        ray->rate = 1.0f / a;
                    }
                    AddRayParam()->ray = ray;
                }
                const D3DXVECTOR3 ahead = GetTargetPosition() + GetTargetVelocity() * dt;
                const D3DXVECTOR3 aim = MakeAimAngles(GetWorldPosition(), ahead);
                aimPitch = aim.x;
                aimYaw = aim.y;
                aimRoll = aim.z;
            }
            if (cycle < e) {
                const float f = cycle < a ? 0.0f : std::min((cycle - a) / (e - a), 1.0f);
                for (size_t k = 0; k < rays.size() && k < 2; ++k) {
                    RayParam* slot = rays[k];
                    if (!slot || !slot->ray) continue;
                    const float s = k == 0 ? 1.0f : -1.0f;
                    slot->ray->SetAreaPos(m_areaPos);
                    const float yaw = aimYaw + s * (1.0f - f) * swing;
                    slot->ray->SetOrientation(Quorvex::YawPitchRollQuaternion(yaw, aimPitch, aimRoll));
                }
                cycle += dt;
            } else {
                ReleaseRays();
                cycle = 0.0f;
                w.timer = -r;
            }
        }
    }

    const size_t count = shotPoints.size();
    for (size_t i = 0; i < count; ++i) {
        Enemy_ShotPoint* point = shotPoints[i];
        const float yaw = age * 0.5f + i * 2.0f * D3DX_PI / count;
        const float pitch = (static_cast<int>(i % 3) - 1) * 15.0f * kDegree;
        const D3DXVECTOR3 offset = Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, 150.0f),
                                                               Quorvex::YawPitchRollQuaternion(yaw, pitch, 0.0f));
        point->SetAreaPos(m_areaPos.Translated(offset));
        point->SetOrientation(Quorvex::YawPitchRollQuaternion(D3DX_PI, 0.0f, 0.0f));
    }
}

void Enemy_Dweli::FireFanVolley(float dt, EnemyEx::ShotParam1* state) {
    if (!state) return;
    EnemyEx::ShotParam1& w = *state;
    w.clock += dt;
    // Without a player there is nothing to aim the columns' pitch at.
    if (VolleyDue(w, dt) && target) {
        const D3DXVECTOR3 aim = MakeAimAngles(GetWorldPosition(), GetTargetPosition());
        for (int l = 0; l < 5; ++l) {
            const float yaw = (180.0f + l * 9.0f - 22.5f) * kDegree;
            for (int i = 0; i < 3; ++i) {
                const float pitch = aim.x + (0.225f - i * 0.15f) * kDegree;
                FireShot(Quorvex::YawPitchRollQuaternion(yaw, pitch, 0.0f), 0.4f + i * 0.1f + (l % 2 ? 0.2f : 0.0f));
            }
        }
    }
    w.clock += dt;

    static const D3DXVECTOR3 kOffsets[2] = {D3DXVECTOR3(-100.0f, 30.0f, 30.0f), D3DXVECTOR3(100.0f, 30.0f, 30.0f)};
    for (size_t i = 0; i < shotPoints.size() && i < 2; ++i)
        shotPoints[i]->SetAreaPos(m_areaPos.Translated(kOffsets[i]));
}

void Enemy_Dweli::FireShotPointRays(float dt, EnemyEx::ShotParam1* state) {
    if (!state) return;
    EnemyEx::ShotParam1& w = *state;
    if (w.timer <= 0.0f) {
        w.timer = 1.0f;
        for (int k = 0; k < 2; ++k) AddRayParam()->timer = -2.0f - k * 2.5f;
    }

    for (RayParam* slot : rays) {
        if (!slot) continue;
        slot->timer += std::min(dt, 0.25f);
        const float clock = slot->timer;
        if (clock < 0.0f) continue;

        if (slot->armed && !slot->ray && target) {
            const bool aiming = clock < 0.5f;
            slot->ray = LaunchRay(aiming ? 2.0f : 100.0f);
            if (slot->ray) {
                Bullet_Ray::SetColorType(slot->ray, 0);
                Bullet_Ray::SetPartsValue(slot->ray, 2);
            }
            if (aiming) {
                const D3DXVECTOR3 d = GetTargetPosition() + GetTargetVelocity() * dt - GetWorldPosition();
                const D3DXVECTOR3 angles = Quorvex::DirectionToAngles(d);
                slot->aim = Quorvex::YawPitchRollQuaternion(angles.y, angles.x, 0.0f);
                slot->position = m_areaPos;
            } else if (slot->ray) {
                if (Quorvex::SoundUnit* sound = FindSoundUnit(L"ray")) {
                    sound->SetPosition(m_areaPos);
                    const D3DXVECTOR3 still(0.0f, 0.0f, 0.0f);
                    sound->Play(0, &m_areaPos, &still);
                }
            }
        }

        if (clock < 0.5f) {
            if (slot->ray) {
                slot->ray->rate = 4.0f;
                slot->ray->collideWhenGrown = false;
            }
            slot->armed = false;
            if (clock >= 0.25f && slot->ray) {
                Bullet_Ray::ClampFade(slot->ray);
                slot->DropRay();
            }
        } else if (clock >= 0.625f && clock < 0.875f) {
            slot->armed = true;
            if (slot->ray) {
                slot->ray->rate = 1.0f / (0.875f - clock);
                slot->ray->collideWhenGrown = true;
            }
        } else if (clock >= 1.75f && clock < 2.5f) {
            if (slot->ray) {
                slot->ray->rate = 1.0f / (2.5f - clock);
                Bullet_Ray::ClampFade(slot->ray);
                slot->DropRay();
            }
            slot->armed = false;
        } else if (clock >= 2.5f) {
            slot->position = m_areaPos;
            if (slot->ray) {
                Bullet_Ray::ClampFade(slot->ray);
                slot->DropRay();
            }
            slot->armed = true;
            slot->timer = 0.0f;
        }
        if (slot->ray) {
            slot->ray->SetOrientation(slot->aim);
            slot->ray->SetAreaPos(slot->position);
        }
    }

    struct Placement {
        D3DXVECTOR3 offset;
        float tilt;
    };
    static const Placement kPlacements[6] = {
        {D3DXVECTOR3(-80.0f, 15.0f, -30.0f), -10.0f}, {D3DXVECTOR3(80.0f, 15.0f, -30.0f), 10.0f},
        {D3DXVECTOR3(-160.0f, 30.0f, -15.0f), -20.0f}, {D3DXVECTOR3(160.0f, 30.0f, -15.0f), 20.0f},
        {D3DXVECTOR3(-240.0f, 0.0f, -10.0f), -30.0f}, {D3DXVECTOR3(240.0f, 0.0f, -10.0f), 30.0f},
    };
    for (size_t i = 0; i < shotPoints.size() && i < 6; ++i) {
        shotPoints[i]->SetAreaPos(m_areaPos.Translated(kPlacements[i].offset));
        shotPoints[i]->toTarget2 = D3DXVECTOR3(0.0f, D3DX_PI, kPlacements[i].tilt * kDegree);
    }
}
