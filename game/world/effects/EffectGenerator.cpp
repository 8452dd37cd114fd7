#include "game/world/effects/EffectGenerator.h"

#include <algorithm>

#include "engine/assets/devices/SoundManager.h"
#include "engine/assets/devices/SoundUnit.h"
#include "engine/core/Environment.h"
#include "engine/core/Utility.h"
#include "engine/core/render/RenderStage.h"
#include "game/state/Environment2.h"
#include "game/world/effects/EffectSupport.h"

using Quorvex::AreaPos;
using Quorvex::RandomFloat;

const int EffectGenerator::kPoolSizes[EffectObject::KindCount] = {4000, 7000, 12000, 5000, 100,
                                                                  700,  5000, 1000,  3000};

const wchar_t* const EffectGenerator::kExplosionSounds[6] = {L"exp_s1", L"exp_s2", L"exp_m1",
                                                             L"exp_m2", L"exp_m3", L"exp_l1"};

namespace {

constexpr float kTwoPi = 2.0f * D3DX_PI;
constexpr float kEffectTimeScale = 2.5f;

// (0, 0, 1) turned by the yaw-pitch-roll rotation.
D3DXVECTOR3 Turned(const D3DXVECTOR3& v, float yaw, float pitch) {
    D3DXMATRIX m;
    D3DXMatrixRotationYawPitchRoll(&m, yaw, pitch, 0.0f);
    D3DXVECTOR3 out;
    D3DXVec3TransformNormal(&out, &v, &m);
    return out;
}

// A spark direction: pitch from the first draw, yaw from the second.
D3DXVECTOR3 SparkDirection() {
    const float r1 = RandomFloat();
    const float r2 = RandomFloat();
    return Turned(D3DXVECTOR3(0.0f, 0.0f, 1.0f), kTwoPi * r2, kTwoPi * (0.6666667f * r1 - 0.5833334f));
}

// n = a - trunc(-b * s): the burst counts.
int BurstCount(int a, float b, float size) { return a - static_cast<int>(-b * size); }

EffectObject* NewEffect(int kind, Quorvex::IObjectManager* manager, EffectGenerator* generator) {
    switch (kind) {
        case EffectObject::KindSmoke: return new Effect_Smoke(manager, generator);
        case EffectObject::KindFlame: return new Effect_Flame(manager, generator);
        case EffectObject::KindSpark: return new Effect_Spark(manager, generator);
        case EffectObject::KindSpark2: return new Effect_Spark2(manager, generator);
        case EffectObject::KindExpRing: return new Effect_ExpRing(manager, generator);
        case EffectObject::KindFireBall: return new Effect_FireBall(manager, generator);
        case EffectObject::KindLineSmoke: return new Effect_LineSmoke(manager, generator);
        case EffectObject::KindExplosion: return new Effect_Explosion(manager, generator);
        default: return new Effect_GeneralPurpose(manager, generator);
    }
}

bool HasExtraHold(int kind) {
    return kind == EffectObject::KindExplosion || kind == EffectObject::KindGeneralPurpose;
}

}  // namespace

EffectGenerator::EffectGenerator(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                                 const AreaPos& position)
    : Object3D(objectManager, areaManager, position) {}

EffectGenerator::~EffectGenerator() {
    if (g_pEnvironment2 && g_pEnvironment2->effectGenerator == this) g_pEnvironment2->effectGenerator = nullptr;
    EffectSet sets[2 * EffectObject::KindCount];
    {
        std::lock_guard<std::mutex> lock(m_lock);
        for (int kind = 0; kind < EffectObject::KindCount; ++kind) {
            sets[2 * kind].swap(m_free[kind]);
            sets[2 * kind + 1].swap(m_live[kind]);
        }
    }
    for (EffectSet& set : sets) {
        for (EffectObject* effect : set) {
            effect->SetGenerator(nullptr);
            // No longer alive: the screen blur lets go of a live explosion.
            effect->m_size = 0.0f;
            // A live effect would sit in its group without ever stepping again.
            if (Quorvex::RenderStage* stage = effect->GetRenderStage()) stage->SubObject(effect);
            // The extra reference Init gave these kinds goes with the pool's.
            if (HasExtraHold(effect->GetKind())) effect->Release();
            effect->Release();
        }
    }
}

int EffectGenerator::Initialize(int) { return Init(); }

int EffectGenerator::Init() {
    SetUpdatePriority(700);
    if (!m_filled) {
        for (int kind = 0; kind < EffectObject::KindCount; ++kind) {
            for (int i = 0; i < kPoolSizes[kind]; ++i) {
                EffectObject* effect = NewEffect(kind, GetManager(), this);
                effect->AddRef();
                if (HasExtraHold(kind)) effect->AddRef();
                std::lock_guard<std::mutex> lock(m_lock);
                m_free[kind].insert(effect);
            }
        }
        m_filled = true;
    }
    if (g_pEnvironment2) {
        g_pEnvironment2->effectGenerator = this;
        m_lastCenter = g_pEnvironment2->centerInfo.pos;
    }
    CacheFrameValues();
    return 0;
}

void EffectGenerator::CacheFrameValues() {
    if (!Quorvex::g_pEnvironment) return;
    m_gravity = *Quorvex::g_pEnvironment->GetGravity() * kEffectTimeScale;
    m_elapsed = Quorvex::g_pEnvironment->GetElapsedTime();
    m_step = kEffectTimeScale * m_elapsed;
}

void EffectGenerator::Update(float timeStep) {
    Object3D::Update(timeStep);
    CacheFrameValues();
    if (!g_pEnvironment2) return;
    const AreaPos& centre = g_pEnvironment2->centerInfo.pos;
    const AreaPos::Axis* own[3] = {&m_lastCenter.x, &m_lastCenter.y, &m_lastCenter.z};
    const AreaPos::Axis* now[3] = {&centre.x, &centre.y, &centre.z};
    float shift[3];
    bool moved = false;
    for (int i = 0; i < 3; ++i) {
        moved |= own[i]->cell != now[i]->cell;
        shift[i] = static_cast<float>(own[i]->cell - now[i]->cell) * Quorvex::g_WorldGrid.cellSize[i];
    }
    if (moved) ShiftEffects(D3DXVECTOR3(shift[0], shift[1], shift[2]));
    m_lastCenter = centre;
}

void EffectGenerator::ShiftEffects(const D3DXVECTOR3& offset) {
    std::lock_guard<std::mutex> lock(m_lock);
    for (EffectSet& set : m_live)
        for (EffectObject* effect : set) effect->Shift(offset);
}

EffectObject* EffectGenerator::Take(int kind) {
    std::lock_guard<std::mutex> lock(m_lock);
    EffectSet& free = m_free[kind];
    if (free.empty()) return nullptr;
    EffectObject* effect = *free.begin();
    free.erase(free.begin());
    m_live[kind].insert(effect);
    return effect;
}

void EffectGenerator::RetireEffect(EffectObject* effect) {
    if (!effect) return;
    const int kind = effect->GetKind();
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_live[kind].erase(effect)) m_free[kind].insert(effect);
}

template <class T, class Fn>
T* EffectGenerator::SpawnWith(int kind, Fn&& start) {
    T* effect = static_cast<T*>(Take(kind));
    if (!effect) return nullptr;
    if (!start(effect)) {
        // No group to step in: back to the pool at once.
        effect->Retire();
        return nullptr;
    }
    return effect;
}

Effect_Smoke* EffectGenerator::SpawnSmoke(const D3DXVECTOR3& position, float size, float baseWidth,
                                          float baseHeight) {
    if (GetFreeCount(EffectObject::KindSmoke) == 0) return nullptr;
    const float roll = kTwoPi * RandomFloat();
    return SpawnWith<Effect_Smoke>(EffectObject::KindSmoke, [&](Effect_Smoke* e) {
        return e->Start(position, size, roll, baseWidth, baseHeight);
    });
}

int EffectGenerator::SpawnExplosionPart(const D3DXVECTOR3& position, float size, float baseWidth, float baseHeight) {
    return SpawnSmoke(position, size, baseWidth, baseHeight) ? 0 : -1;
}

int EffectGenerator::SpawnFlame(const D3DXVECTOR3& origin, const D3DXVECTOR3& target, float size, float baseWidth,
                                float baseHeight, bool smoke) {
    if (GetFreeCount(EffectObject::KindFlame) == 0) return -1;
    const float roll = kTwoPi * RandomFloat();
    return SpawnWith<Effect_Flame>(EffectObject::KindFlame, [&](Effect_Flame* e) {
               return e->Start(origin, target, size, roll, baseWidth, baseHeight, smoke);
           })
               ? 0
               : -1;
}

int EffectGenerator::SpawnSpark(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float size) {
    return SpawnWith<Effect_Spark>(EffectObject::KindSpark,
                                   [&](Effect_Spark* e) { return e->Start(position, direction, size); })
               ? 0
               : -1;
}

int EffectGenerator::SpawnSpark2(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float size) {
    return SpawnWith<Effect_Spark2>(EffectObject::KindSpark2,
                                    [&](Effect_Spark2* e) { return e->Start(position, direction, size); })
               ? 0
               : -1;
}

int EffectGenerator::SpawnExpRing(const D3DXVECTOR3& position, const D3DXVECTOR3& axis, float size) {
    return SpawnWith<Effect_ExpRing>(EffectObject::KindExpRing,
                                     [&](Effect_ExpRing* e) { return e->Start(position, axis, size); })
               ? 0
               : -1;
}

int EffectGenerator::SpawnFireBall(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float size) {
    const D3DXVECTOR3 placed = AreaPos::FromWorld(position).ToWorld();
    return SpawnWith<Effect_FireBall>(EffectObject::KindFireBall,
                                      [&](Effect_FireBall* e) { return e->Start(placed, direction, size); })
               ? 0
               : -1;
}

int EffectGenerator::SpawnLineSmoke(const D3DXVECTOR3& from, const D3DXVECTOR3& to, float size, float width,
                                    float strength) {
    return SpawnWith<Effect_LineSmoke>(EffectObject::KindLineSmoke,
                                       [&](Effect_LineSmoke* e) { return e->Start(from, to, size, width, strength); })
               ? 0
               : -1;
}

Effect_GeneralPurpose* EffectGenerator::SpawnGeneralPurpose(const D3DXVECTOR3& position, const char* materialId,
                                                            const char* group) {
    Quorvex::MaterialUnit* material = materialId ? FindMaterial(GetManager(), materialId) : nullptr;
    return SpawnWith<Effect_GeneralPurpose>(EffectObject::KindGeneralPurpose, [&](Effect_GeneralPurpose* e) {
        return e->Start(position, material, group ? group : "");
    });
}

int EffectGenerator::SpawnSparkBurst(const D3DXVECTOR3& position, float size) {
    const int n = BurstCount(8, 2.0f, size);
    for (int i = 0; i < n; ++i)
        if (SpawnSpark(position, SparkDirection(), size) < 0) return -1;
    return 0;
}

int EffectGenerator::SpawnSpark2Burst(const D3DXVECTOR3& position, float size) {
    const int n = BurstCount(2, 0.75f, size);
    for (int i = 0; i < n; ++i)
        if (SpawnSpark2(position, SparkDirection(), size) < 0) return -1;
    return 0;
}

int EffectGenerator::SpawnFlameRings(const D3DXVECTOR3& centre, float size, bool smoke) {
    const int rings = 1 - static_cast<int>(-size / 20.0f);
    const int perRing = 1 - static_cast<int>(-size / 10.0f);
    if (rings <= 0 || perRing <= 0) return 0;
    const float d = 4.0f * (0.1f * size + 0.1f) / static_cast<float>(rings);
    const float base = 2.5f * d;
    for (int i = 0; i < rings; ++i) {
        const D3DXVECTOR3 out(0.0f, 0.0f, 1.25f * d * static_cast<float>(i));
        for (int j = 0; j < perRing; ++j) {
            const float pitch = (RandomFloat() - 0.5f) * D3DX_PI;
            const float yaw = (static_cast<float>(j) + 0.5f * RandomFloat()) * kTwoPi / static_cast<float>(perRing);
            const D3DXVECTOR3 target = centre + Turned(out, yaw, pitch);
            if (SpawnFlame(centre, target, size, base, base, smoke) < 0) return -1;
        }
    }
    return 0;
}

int EffectGenerator::ExplosionSoundIndex(float size) { return static_cast<int>(std::min(size / 20.0f, 5.0f)); }

Effect_Explosion* EffectGenerator::CreateExplosion(const D3DXVECTOR3& p, float size, BYTE flags) {
    Effect_Explosion* explosion = SpawnWith<Effect_Explosion>(
        EffectObject::KindExplosion, [&](Effect_Explosion* e) { return e->Start(p, size); });
    if (!explosion) return nullptr;
    // An exhausted pool stops one part; the parts already spawned stay.
    if (!(flags & 0x08)) SpawnFlameRings(p, size, !(flags & 0x01));
    if (!(flags & 0x02)) SpawnSparkBurst(p, size);
    if (!(flags & 0x04)) SpawnSpark2Burst(p, size);
    if (!(flags & 0x10)) SpawnExpRing(p, D3DXVECTOR3(0.0f, 1.0f, 0.0f), size);
    if (!(flags & 0x20)) {
        const int n = static_cast<int>(2.0f * RandomFloat() + size / 10.0f);
        for (int i = 0; i < n; ++i) {
            const float r1 = RandomFloat();
            const float r2 = RandomFloat();
            const float r3 = RandomFloat();
            SpawnFireBall(p, D3DXVECTOR3(kTwoPi * (r3 - 0.5f), kTwoPi * (r2 - 0.25f), kTwoPi * (r1 - 0.5f)), size);
        }
    }
    if (!(flags & 0x40)) PlayExplosionSound(p, size);
    return explosion;
}

Effect_Explosion* EffectGenerator::CreateExplosion(const AreaPos& position, float size, BYTE flags) {
    return CreateExplosion(position.ToWorld(), size, flags);
}

void EffectGenerator::PlayExplosionSound(const D3DXVECTOR3& position, float size) {
    const int index = ExplosionSoundIndex(size);
    if (index < 0 || !g_pEnvironment2 || !g_pEnvironment2->soundManager) return;
    Quorvex::SoundUnit* unit = g_pEnvironment2->soundManager->FindSound(kExplosionSounds[index]);
    if (!unit) return;
    const AreaPos at = AreaPos::FromWorld(position);
    const D3DXVECTOR3 still(0.0f, 0.0f, 0.0f);
    Quorvex::SoundUnit::Play(unit, &at, 2, &still);
}

int EffectGenerator::GetLiveCount(int kind) const {
    if (kind < 0 || kind >= EffectObject::KindCount) return 0;
    std::lock_guard<std::mutex> lock(m_lock);
    return static_cast<int>(m_live[kind].size());
}

int EffectGenerator::GetFreeCount(int kind) const {
    if (kind < 0 || kind >= EffectObject::KindCount) return 0;
    std::lock_guard<std::mutex> lock(m_lock);
    return static_cast<int>(m_free[kind].size());
}
