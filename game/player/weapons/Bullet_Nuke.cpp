#include "game/player/weapons/Bullet_Nuke.h"

#include <algorithm>
#include <boost/bind/bind.hpp>
#include <cmath>

#include "engine/assets/devices/SoundUnit.h"
#include "engine/core/Environment.h"
#include "engine/core/Utility.h"
#include "engine/core/render/DrawBuilders.h"
#include "game/player/Player.h"
#include "game/player/PlayerResources.h"
#include "game/player/weapons/Amulet.h"
#include "game/state/Environment2.h"
#include "game/world/CollisionShapeSet.h"
#include "game/world/effects/EffectGenerator.h"
#include "game/world/effects/EffectObject.h"
#include "game/world/effects/LightObject.h"

using Quorvex::AreaPos;

namespace {

constexpr float kTwoPi = 6.28318530718f;
constexpr float kFlightFireInterval = 0.01f;

D3DXVECTOR3 Rotate(const D3DXVECTOR3& v, const D3DXQUATERNION& q) {
    D3DXMATRIX m;
    D3DXMatrixRotationQuaternion(&m, &q);
    D3DXVECTOR3 out;
    D3DXVec3TransformNormal(&out, &v, &m);
    return out;
}

EffectGenerator* Effects() { return g_pEnvironment2 ? g_pEnvironment2->effectGenerator : nullptr; }

void PlayAt(const wchar_t* id, const AreaPos& position) {
    if (Quorvex::SoundUnit* sound = FindSoundUnit(id)) sound->Play(Quorvex::SoundUnit::PLAY_REWIND, &position);
}

}  // namespace

Bullet_Nuke::SetParam::SetParam(const AreaPos& start_, const D3DXQUATERNION& orientation_, Quorvex::Object* owner_,
                                int side_, const D3DXVECTOR3& vector_, float size_,
                                Quorvex::ObjectManager* objectManager_, float speedFactor_, float detonationTime_,
                                int kind_)
    : owner(owner_),
      orientation(orientation_),
      side(side_),
      vector(vector_),
      size(size_),
      start(start_),
      objectManager(objectManager_),
      speedFactor(speedFactor_),
      detonationTime(detonationTime_),
      NukeKind(kind_) {}

const Bullet_Nuke::BlastRecipe& Bullet_Nuke::RecipeOf(int kind) {
    static const D3DXVECTOR3 kLift(0.0f, 10.0f, 0.0f), kNone(0.0f, 0.0f, 0.0f);
    static const BlastRecipe kRecipes[KindCount] = {
        {90.0f, 104, 150.0f, 2500.0f, 0.5f, 200.0f, 0.01f, "matVolcano", "Sprite3DOver", 240.0f, 360.0f, 480.0f, 0.0f,
         1.0f, "matYougan3", "Sprite3D", 360.0f, 540.0f, 2.5f, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0.0375f, 0.075f,
         0.75f, kLift},
        {40.0f, 126, 500.0f, 3000.0f, 2.0f, 55.0f, 0.05f, "matVolcano", "Sprite3DOver", 90.0f, 120.0f, 10.0f, 0.0f,
         1.0f, "matYougan3", "Sprite3D", 135.0f, 180.0f, 1.5f, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0.05f, 0.1f, 1.0f,
         kLift},
        {40.0f, 126, 500.0f, 3000.0f, 2.0f, 55.0f, 0.05f, "matReidan3", "Sprite3DOver", 90.0f, 120.0f, 10.0f, 0.0f,
         1.0f, "matReidan2", "Sprite3D", 135.0f, 180.0f, 1.5f, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0.05f, 0.1f, 1.0f,
         kLift},
        // No blast: the values are never read.
        {0.0f, 0, 0.0f, 0.0f, 0.0f, 55.0f, 1.0f, nullptr, nullptr, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, nullptr, nullptr,
         0.0f, 0.0f, 1.0f, 0, 0, 0, 0.0f, 0.0f, 0.0f, kNone},
        {200.0f, 118, 500.0f, 3000.0f, 4.0f, 200000.0f, 0.05f, "matVolcano", "Sprite3DOver", 400.0f, 500.0f, 10.0f,
         0.0f, 1.0f, "matYougan3", "Sprite3D", 600.0f, 750.0f, 1.5f, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0.05f, 0.1f,
         1.0f, kNone},
        {200.0f, 118, 50.0f, 3000.0f, 4.0f, -1.0f, 0.05f, "matVolcano", "Sprite3DOver", 400.0f, 500.0f, 500.0f, 50.0f,
         3.0f, "matYougan3", "Sprite3D", 1000.0f, 1250.0f, 2.0f, 0x8FFFFFFF, 0xFFFFFFFF, 0x8FFFFFFF, 0.15f, 0.3f,
         3.0f, kNone},
    };
    return kRecipes[kind >= 0 && kind < KindCount ? kind : KindDud];
}

float Bullet_Nuke::LaunchSpeed(int kind, float nukeSize, float speedFactor, float speedRate) {
    if (kind == KindHeavy) return 1884.0f;
    if (kind == KindZenk) return 1256.0f;
    return (nukeSize * 0.5f + 1.0f) * 314.0f * speedFactor * (1.0f + 0.25f * std::max(speedRate, 0.0f));
}

float Bullet_Nuke::FlightPower(int kind) {
    switch (kind) {
        case KindHeavy:
            return 200.0f;
        case KindSpell:
            return 200000.0f;
        case KindZenk:
            return 0.0f;
        default:
            return 55.0f;
    }
}

Bullet_Nuke::Bullet_Nuke(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager, const AreaPos& start)
    : Bullet(manager, areaManager, start) {}

Bullet_Nuke::~Bullet_Nuke() {
    ClearParticles();
    RemoveLight();
    SetLinks(nullptr, nullptr);
}

int Bullet_Nuke::Initialize(int) {
    Bullet::Initialize(InitParam{});
    if (Quorvex::ObjectManager* manager = GetObjectManagerOf(this))
        if (manager->GetResourceManager()) mesh.SetMesh(manager->GetResourceManager(), "Mesh_Nuke");
    return 0;
}

int Bullet_Nuke::ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) {
    auto* record = dynamic_cast<SetParam*>(param);
    if (!record) return -1;
    return Launch(*record);
}

int Bullet_Nuke::Launch(const SetParam& record) {
    BeginLaunch(record.objectManager, "Sprite3DOver");
    m_owner = record.owner;
    m_areaPos = record.start;
    if (GetAreaManager()) UpdateArea();
    m_orientation = record.orientation;
    size = record.size;
    age = 0.0f;
    blastTimer = 0.0f;
    flightFireTimer = 0.0f;
    detonated = false;
    blastEnd = 100.0f;
    detonationTime = record.detonationTime;
    NukeKind = std::clamp(record.NukeKind, 0, KindCount - 1);
    flightCallback.clear();
    blastCallback.clear();
    SetLinks(nullptr, nullptr);
    hitCount = 0;
    maxHits = 15;
    // A reused nuke holds no light and no particles from its last flight.
    RemoveLight();
    ClearParticles();

    const float rate = g_pEnvironment2 && g_pEnvironment2->player ? g_pEnvironment2->player->GetSpeedRate() : 0.0f;
    velocity = Rotate(D3DXVECTOR3(0.0f, 0.0f, LaunchSpeed(NukeKind, size, record.speedFactor, rate)), m_orientation);
    if (NukeKind == KindHeavy || NukeKind == KindZenk)
        flightCallback = boost::bind(&Bullet_Nuke::Fall, this, boost::placeholders::_1);
    m_attackPower = FlightPower(NukeKind);
    SetSide(record.side != 0);

    const wchar_t* shapeName = NukeKind == KindHeavy ? L"NukeMicro" : (NukeKind == KindZenk ? nullptr : L"NukeMini");
    if (CollisionShapeSet* shape = shapeName ? FindShape(shapeName) : nullptr) {
        if (PlaneRigidBody* body = CreateFloatingBody(shape)) body->setLinearVelocity(btVector3(0.0f, 0.0f, 0.0f));
        SyncRigidBody(1);
    } else {
        RemoveRigidBody();
    }
    PlayAt(L"nuke_launch", m_areaPos);
    return 0;
}

void Bullet_Nuke::SetLinks(Quorvex::Object* object, Marker* lock) {
    if (object) object->AddRef();
    Quorvex::Object* old = linked;
    linked = object;
    if (old) old->Release();
    marker.Set(lock);
}

void Bullet_Nuke::ReturnToFactory() {
    if (endCallback) {
        boost::function<void(Bullet_Nuke*)> end;
        end.swap(endCallback);
        end(this);
    }
    SetLinks(nullptr, nullptr);
    RemoveLight();
    ClearParticles();
    LeaveFlight();
    Quorvex::FactoryProductAdapter::ReturnToFactory();
}

bool Bullet_Nuke::LightStillOwned() const {
    // The light object deletes its records when it goes away.
    return light && lightOwner && g_pEnvironment2 && g_pEnvironment2->lightObject == lightOwner;
}

void Bullet_Nuke::RemoveLight() {
    if (LightStillOwned()) lightOwner->RemovePointLight(light);
    light = nullptr;
    lightOwner = nullptr;
}

void Bullet_Nuke::Keep(std::set<EffectObject*>& set, EffectObject* particle) {
    particle->AddRef();
    {
        std::lock_guard<std::mutex> lock(m_particleLock);
        set.insert(particle);
    }
    particle->m_finish = boost::bind(&Bullet_Nuke::ForgetParticle, this, boost::placeholders::_1);
}

void Bullet_Nuke::ForgetParticle(EffectObject* particle) {
    {
        std::lock_guard<std::mutex> lock(m_particleLock);
        if (!slowParticles.erase(particle) && !fastParticles.erase(particle)) return;
    }
    particle->m_finish.clear();
    particle->Release();
}

void Bullet_Nuke::ClearParticles() {
    std::set<EffectObject*> all;
    {
        std::lock_guard<std::mutex> lock(m_particleLock);
        all.insert(slowParticles.begin(), slowParticles.end());
        all.insert(fastParticles.begin(), fastParticles.end());
        slowParticles.clear();
        fastParticles.clear();
    }
    // Live particles must not call back into a nuke that flies again or is gone.
    for (EffectObject* particle : all) {
        particle->m_finish.clear();
        particle->Release();
    }
}

size_t Bullet_Nuke::GetParticleCount() const {
    std::lock_guard<std::mutex> lock(m_particleLock);
    return slowParticles.size() + fastParticles.size();
}

size_t Bullet_Nuke::GetBlastParticleCount() const {
    std::lock_guard<std::mutex> lock(m_particleLock);
    return slowParticles.size();
}

void Bullet_Nuke::ShiftSet(std::set<EffectObject*>& set, const D3DXVECTOR3& offset) {
    std::lock_guard<std::mutex> lock(m_particleLock);
    for (EffectObject* particle : set) particle->Shift(offset);
}

void Bullet_Nuke::Move(float dt) {
    const D3DXVECTOR3 drift = GetPoolDrift(GetFactory());
    m_areaPos.Add(velocity * dt);
    m_areaPos.Add(drift);
    ShiftSet(slowParticles, velocity * (dt * 0.75f) + drift);
    ShiftSet(fastParticles, velocity * dt + drift);
}

void Bullet_Nuke::Fall(float dt) {
    if (Quorvex::g_pEnvironment) velocity += *Quorvex::g_pEnvironment->GetGravity() * (20.0f * dt);
    const float base = g_pEnvironment2 ? g_pEnvironment2->worldOffset.y : 0.0f;
    if (m_areaPos.ToWorld().y < base) Detonate();
}

void Bullet_Nuke::Detonate() {
    if (detonated) return;
    detonated = true;
    if (NukeKind == KindDud) return;
    const BlastRecipe& recipe = RecipeOf(NukeKind);
    blastTimer = 0.0f;
    if (NukeKind == KindHeavy) {
        if (CollisionShapeSet* shape = FindShape(L"NukeMicro2")) {
            CreateFloatingBody(shape);
            SyncRigidBody(1);
        }
        velocity = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    } else if (NukeKind == KindZenk) {
        if (Player* player = g_pEnvironment2 ? g_pEnvironment2->player : nullptr)
            m_areaPos = player->GetAreaPos().Translated(D3DXVECTOR3(0.0f, 0.0f, 200.0f));
        velocity = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    }
    if (NukeKind == KindHeavy || NukeKind == KindBoss || NukeKind == KindReidan) PlayAt(L"exp_m1", m_areaPos);
    if (EffectGenerator* effects = Effects())
        effects->CreateExplosion(m_areaPos, recipe.explosionSize, recipe.explosionFlags);
    if (LightObject* lights = g_pEnvironment2 ? g_pEnvironment2->lightObject : nullptr) {
        auto* record = new PointLight;
        record->enabled = 1;
        record->position = m_areaPos.ToWorld();
        record->power = 1.0f;
        record->minLength = recipe.lightMin;
        record->maxLength = recipe.lightMax;
        if (lights->AddPointLight(record)) {
            light = record;
            lightOwner = lights;
        } else {
            delete record;
        }
    }
    blastCallback = boost::bind(&Bullet_Nuke::BlastEmitter, this, boost::placeholders::_1);
    blastEnd = age + recipe.blastTime;
    m_attackPower = recipe.power >= 0.0f ? recipe.power : 0.0f;
}

void Bullet_Nuke::SpawnBlastParticle(const BlastRecipe& recipe) {
    EffectGenerator* effects = Effects();
    if (!effects) return;
    const float r = Quorvex::RandomFloat();
    const bool alternative = Quorvex::RandomFloat() < 0.3f;
    const float speed = (recipe.speedScale * r + recipe.speedBase) / recipe.speedDivisor;
    const float yaw = Quorvex::RandomFloat() * kTwoPi;
    const float pitch = D3DXToRadian(150.0f + 60.0f * Quorvex::RandomFloat());
    const float roll = Quorvex::RandomFloat() * kTwoPi;
    D3DXMATRIX spray;
    D3DXMatrixRotationYawPitchRoll(&spray, yaw, pitch, roll);
    D3DXVECTOR3 v(0.0f, 0.0f, alternative ? speed * recipe.altSpeedFactor : speed), sprayed;
    D3DXVec3TransformNormal(&sprayed, &v, &spray);
    const D3DXVECTOR3 world = m_areaPos.ToWorld() + recipe.offset;
    Effect_GeneralPurpose* particle =
        effects->SpawnGeneralPurpose(world, alternative ? recipe.altMaterial : recipe.mainMaterial,
                                     alternative ? recipe.altGroup : recipe.mainGroup);
    if (!particle) return;
    particle->m_velocity = Rotate(sprayed, m_orientation);
    particle->m_baseWidth = particle->m_sprite.width = alternative ? recipe.altWidth : recipe.mainWidth;
    particle->m_baseHeight = particle->m_sprite.height = alternative ? recipe.altHeight : recipe.mainHeight;
    SetParticleCourse(particle, recipe.startColor, alternative ? recipe.altColor : recipe.mainColor, recipe.fadeIn,
                      recipe.fadeOutStart, recipe.life, 3.0f);
    particle->m_sprite.rotation.x = (Quorvex::RandomFloat() * 2.0f - 1.0f) * kTwoPi;
    particle->m_spin = (Quorvex::RandomFloat() * 2.0f - 1.0f) * 0.34906587f;
    particle->m_mode = Effect_GeneralPurpose::ModeBillboard;
    particle->m_blend = alternative ? 2 : 3;
    Keep(slowParticles, particle);
}

void Bullet_Nuke::BlastEmitter(float dt) {
    const BlastRecipe& recipe = RecipeOf(NukeKind);
    // The particles of a frame are paid from the time gathered before it.
    while (recipe.interval > 0.0f && blastTimer >= recipe.interval) {
        SpawnBlastParticle(recipe);
        blastTimer -= recipe.interval;
    }
    if (NukeKind == KindSpell) {
        Player* player = g_pEnvironment2 ? g_pEnvironment2->player : nullptr;
        if (player && *player->GetLife() > 0.0f &&
            AreaPos::Difference(player->GetAreaPos(), m_areaPos).z >= -20.0f)
            player->OnCollision(this);
    } else if (NukeKind == KindZenk) {
        m_attackPower = GetFrameTimeStep() * 3000.0f;
        if (Quorvex::ObjectManager* manager = GetObjectManagerOf(this)) {
            Quorvex::ObjectManager::GroupIterator it;
            for (Quorvex::Object* object = manager->GetFirstInGroup(GroupEnemySide, &it); object;
                 object = manager->GetNextInGroup(&it))
                if (object != this) object->OnCollision(this);
        }
    }
    blastTimer += dt;
}

void Bullet_Nuke::EmitFlightFire(float dt) {
    EffectGenerator* effects = Effects();
    flightFireTimer -= dt;
    while (flightFireTimer <= 0.0f) {
        flightFireTimer += kFlightFireInterval;
        if (!effects) continue;
        const D3DXVECTOR3 here = m_areaPos.ToWorld();
        D3DXVECTOR3 facing(Quorvex::RandomFloat() - 0.5f, Quorvex::RandomFloat() - 0.5f,
                           Quorvex::RandomFloat() - 0.5f);
        D3DXVec3Normalize(&facing, &facing);
        if (Effect_GeneralPurpose* streak = effects->SpawnGeneralPurpose(here, "matYougan3", "Sprite3DOver")) {
            const float yaw = std::atan2(facing.x, facing.z);
            const float pitch = std::atan2(-facing.y, std::sqrt(facing.x * facing.x + facing.z * facing.z));
            D3DXQuaternionRotationYawPitchRoll(&streak->m_sprite.rotation, yaw, pitch, 0.0f);
            streak->m_baseWidth = streak->m_sprite.width = 2.0f;
            streak->m_baseHeight = streak->m_sprite.height = 50.0f;
            SetParticleCourse(streak, 0xFFFFFFFF, 0xFFFFFFFF, 0.002f, 0.2f, 0.2f, 0.0f);
            streak->m_mode = Effect_GeneralPurpose::ModeAxis;
            streak->m_blend = 3;
            Keep(fastParticles, streak);
        }
        SpawnFirePuff(here);
    }
}

void Bullet_Nuke::Update(float dt) {
    RebinIfMoved();
    age += dt;
    Move(dt);
    if (blastEnd <= age) {
        // The end: nothing of this frame runs after it.
        OnCollision(this);
        return;
    }
    if (!detonated && detonationTime <= age) {
        Detonate();
    } else if (!detonated) {
        if (flightCallback) flightCallback(dt);
    } else if (blastCallback) {
        blastCallback(dt);
    }
    if (light && LightStillOwned()) light->position = m_areaPos.ToWorld();
    if (GetRigidBody()) SyncRigidBody(1);
    EmitFlightFire(dt);
}

void Bullet_Nuke::OnCollision(Quorvex::Object* other) {
    // Nothing reaches a nuke that already went back.
    if (!other || IsRemoveRequested()) return;
    if (other == this) {
        marker.Release(this);
        ReturnToFactory();
        return;
    }
    if (!OnOppositeSides(this, other)) return;
    // The lock is given back on the first contact only.
    marker.Release(other);
    if (NukeKind == KindHeavy) {
        Detonate();
        if (++hitCount >= maxHits) m_attackPower = 0.0f;
    }
}

void Bullet_Nuke::Render(Quorvex::CalcVertexSet* list) { Quorvex::PushRenderStatePreset(list, 3); }
