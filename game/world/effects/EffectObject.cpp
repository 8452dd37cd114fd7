#include "game/world/effects/EffectObject.h"

#include <algorithm>
#include <cmath>

#include "engine/assets/MaterialUnit.h"
#include "engine/core/Utility.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderStage.h"
#include "game/state/Environment2.h"
#include "game/state/IPlayerView.h"
#include "game/world/Object3D.h"
#include "game/world/effects/BlurManager.h"
#include "game/world/effects/EffectGenerator.h"
#include "game/world/effects/EffectSupport.h"

using Quorvex::CalcVertexSet;
using Quorvex::RandomFloat;
using Quorvex::RandomInt;

namespace {

constexpr float kSmokeTurn = 0.5235988f;  // pi / 6 per unit of effect time
constexpr float kFlameTurn = 0.2617994f;  // pi / 12

D3DCOLOR Argb(int a, int r, int g, int b) {
    return static_cast<D3DCOLOR>(((a & 0xFF) << 24) | ((r & 0xFF) << 16) | ((g & 0xFF) << 8) | (b & 0xFF));
}

float Length(const D3DXVECTOR3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

}  // namespace

// ---------------------------------------------------------------------------
// EffectObject

EffectObject::EffectObject(Quorvex::IObjectManager* manager, EffectGenerator* generator, Kind kind)
    : Quorvex::RenderObject(manager, 0), m_pGenerator(generator), m_kind(kind) {
    m_sprite.SetMaterial(FindMaterial(manager, "matEffect"));
    m_sprite.color = 0xFFFFFFFF;
    m_sprite.width = 10.0f;
    m_sprite.height = 10.0f;
    m_sprite.rotation = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
    m_sprite.position = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

EffectObject::~EffectObject() = default;

void EffectObject::Shift(const D3DXVECTOR3& offset) { m_sprite.position += offset; }

bool EffectObject::IsAlive() const { return m_size > 0.0f; }

float EffectObject::GetDrawPriority() {
    Quorvex::ObjectManager* manager = AsObjectManager(GetManager());
    if (!manager) return Quorvex::RenderObject::GetDrawPriority();
    const D3DXMATRIX& v = manager->GetViewMatrix();
    const D3DXVECTOR3& p = m_sprite.position;
    const float depth = v._13 * p.x + v._23 * p.y + v._33 * p.z + v._43;
    SetDrawPriority(depth);
    return depth;
}

bool EffectObject::JoinGroup(const char* name) {
    Quorvex::RenderStage* stage = FindStage(GetManager(), name);
    if (!stage) return false;
    if (stage != GetRenderStage()) AttachStage(stage);
    // A full stage refuses newcomers; such an effect would never step and
    // never come back to its pool.
    return GetRenderStage() == stage;
}

void EffectObject::Retire() {
    m_size = 0.0f;
    if (Quorvex::RenderStage* stage = GetRenderStage()) stage->SubObject(this);
    if (m_finish) {
        FinishCallback finish;
        finish.swap(m_finish);
        finish(this);
    }
    if (m_pGenerator) m_pGenerator->RetireEffect(this);
}

void EffectObject::ApplyDrift() {
    if (g_pEnvironment2) m_sprite.position += g_pEnvironment2->sharedVector * Elapsed();
}

bool EffectObject::Age(float step, float life) {
    m_time += step;
    if (m_time <= life) return true;
    Retire();
    return false;
}

float EffectObject::Step() const { return m_pGenerator ? m_pGenerator->GetStep() : 0.0f; }

float EffectObject::Elapsed() const { return m_pGenerator ? m_pGenerator->GetElapsed() : 0.0f; }

D3DXVECTOR3 EffectObject::ScaledGravity() const {
    return m_pGenerator ? m_pGenerator->GetScaledGravity() : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

void EffectObject::SetFlameCell() {
    m_sprite.uv[0] = D3DXVECTOR2(0.01f, 0.01f);
    m_sprite.uv[1] = D3DXVECTOR2(0.99f, 0.01f);
    m_sprite.uv[2] = D3DXVECTOR2(0.01f, 0.49f);
    m_sprite.uv[3] = D3DXVECTOR2(0.99f, 0.49f);
}

// ---------------------------------------------------------------------------
// Effect_Smoke

Effect_Smoke::Effect_Smoke(Quorvex::IObjectManager* manager, EffectGenerator* generator)
    : EffectObject(manager, generator, KindSmoke) {}

bool Effect_Smoke::Start(const D3DXVECTOR3& position, float size, float roll, float baseWidth, float baseHeight) {
    const float m = 0.7f + 0.3f * RandomFloat();
    m_life = m * (0.045f * size + 0.05f);
    m_fadeStart = m_life - m * (0.0225f * size + 0.025f);
    m_growEnd = m * (0.015f * size + 0.0165f);
    m_spin = RandomInt() % 2;
    m_a = 255, m_r = 255, m_g = 128, m_b = 64;
    m_colorFade = 1;
    m_drift = 1;
    m_size = size;
    m_time = 0.0f;
    m_baseWidth = baseWidth;
    m_baseHeight = baseHeight;
    m_sprite.position = position;
    m_sprite.width = baseWidth;
    m_sprite.height = baseHeight;
    m_sprite.rotation = D3DXQUATERNION(roll, 0.0f, 0.0f, 1.0f);
    // The smoke cell is set on every start: the material is "matEffect" from
    // construction, so a test on the material alone would keep the whole atlas.
    m_sprite.uv[0] = D3DXVECTOR2(0.0f, 0.51f);
    m_sprite.uv[1] = D3DXVECTOR2(0.49f, 0.51f);
    m_sprite.uv[2] = D3DXVECTOR2(0.0f, 1.0f);
    m_sprite.uv[3] = D3DXVECTOR2(0.49f, 1.0f);
    if (!m_sprite.material) m_sprite.SetMaterial(FindMaterial(GetManager(), "matEffect"));
    return JoinGroup("Sprite3D");
}

void Effect_Smoke::Render(CalcVertexSet* list) {
    const float step = Step();
    if (!Age(step, m_life)) return;
    const float t = m_time;
    int r = m_r, g = m_g, b = m_b;
    if (m_colorFade) {
        if (t < m_fadeStart) {
            const float f = 1.0f - t / m_fadeStart;
            r = static_cast<int>(m_r * f), g = static_cast<int>(m_g * f), b = static_cast<int>(m_b * f);
        } else {
            r = g = b = 0;
        }
    }
    float k;
    if (t < m_growEnd)
        k = 0.8f * t / m_growEnd;
    else if (t <= m_fadeStart)
        k = 0.8f;
    else
        k = 0.8f * std::max(0.0f, 1.0f - (t - m_fadeStart) / (m_life - m_fadeStart));
    const int a = static_cast<int>(std::min(static_cast<float>(m_a), m_a * k));
    m_sprite.color = Argb(a, r, g, b);
    const float scale = 1.0f + t / m_life;
    m_sprite.width = m_baseWidth * scale;
    m_sprite.height = m_baseHeight * scale;
    Roll() += (m_spin == 1 ? step : -step) * kSmokeTurn;
    if (m_drift) ApplyDrift();
    Quorvex::PushRenderStatePreset(list, 2);
    Quorvex::PushBillboard(list, m_sprite);
}

// ---------------------------------------------------------------------------
// Effect_Flame

Effect_Flame::Effect_Flame(Quorvex::IObjectManager* manager, EffectGenerator* generator)
    : EffectObject(manager, generator, KindFlame) {}

bool Effect_Flame::Start(const D3DXVECTOR3& origin, const D3DXVECTOR3& target, float size, float roll,
                         float baseWidth, float baseHeight, bool smoke) {
    const float m = 0.9f + 0.1f * RandomFloat();
    m_life = m * (0.03f * size + 0.3f);
    m_fadeStart = m_life - m * (0.0225f * size + 0.225f);
    m_growEnd = m * (0.003f * size + 0.03f);
    m_spin = RandomInt() % 2;
    m_size = size;
    m_time = 0.0f;
    m_baseWidth = baseWidth;
    m_baseHeight = baseHeight;
    m_smoke = smoke ? 1 : 0;
    m_sprite.position = origin;
    m_velocity = (target - origin) / m_growEnd;
    m_sprite.width = baseWidth;
    m_sprite.height = baseHeight;
    m_sprite.rotation = D3DXQUATERNION(roll, 0.0f, 0.0f, 1.0f);
    SetFlameCell();
    return JoinGroup("Sprite3DOver");
}

void Effect_Flame::Render(CalcVertexSet* list) {
    const float step = Step();
    if (!Age(step, m_life)) return;
    const float t = m_time;
    if (t < m_growEnd) {
        m_sprite.position += m_velocity * step;
        const int c = static_cast<int>(255.0f * t / m_growEnd);
        m_sprite.color = Argb(c, c, c, c);
    } else if (t <= m_fadeStart) {
        m_sprite.color = 0xFFFFFFFF;
    } else {
        const int c = static_cast<int>(255.0f * (1.0f - (t - m_fadeStart) / (m_life - m_fadeStart)));
        m_sprite.color = Argb(c, 255, 64 + (3 * c) / 4, c);
        if (m_smoke) {
            m_smoke = 0;
            if (EffectGenerator* generator = GetGenerator())
                generator->SpawnSmoke(m_sprite.position, m_size, m_sprite.width, m_sprite.height);
        }
    }
    const float scale = 1.0f + 0.5f * t / m_life;
    m_sprite.width = m_baseWidth * scale;
    m_sprite.height = m_baseHeight * scale;
    Roll() += (m_spin == 1 ? step : -step) * kFlameTurn;
    ApplyDrift();
    Quorvex::PushRenderStatePreset(list, 3);
    Quorvex::PushBillboard(list, m_sprite);
}

// ---------------------------------------------------------------------------
// Effect_Spark, Effect_Spark2

Effect_Spark::Effect_Spark(Quorvex::IObjectManager* manager, EffectGenerator* generator, Kind kind)
    : EffectObject(manager, generator, kind) {}

bool Effect_Spark::Start(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float size) {
    m_initialSpeed = 12.5f + 0.5f * size;
    m_velocity = direction * m_initialSpeed;
    const float m = 0.9f + 0.1f * RandomFloat();
    m_life = m * (0.03f * size + 0.5f);
    m_fadeStart = m_life - m * (0.015f * size + 0.25f);
    m_size = size;
    m_time = 0.0f;
    m_sprite.position = position;
    m_sprite.color = 0xFFFFFFFF;
    return JoinGroup("Sprite3D");
}

bool Effect_Spark::Advance(BYTE* alpha) {
    const float step = Step();
    if (!Age(step, m_life)) return false;
    const float t = m_time;
    m_sprite.position += m_velocity * step;
    m_sprite.rotation = Quorvex::YawPitchRollQuaternion(m_velocity);
    *alpha = t <= m_fadeStart
                 ? 255
                 : static_cast<BYTE>(static_cast<int>(255.0f * (1.0f - (t - m_fadeStart) / (m_life - m_fadeStart))));
    return true;
}

void Effect_Spark::Render(CalcVertexSet* list) {
    BYTE alpha = 0;
    if (!Advance(&alpha)) return;
    const float f = m_initialSpeed > 0.0f ? std::min(1.0f, Length(m_velocity) / m_initialSpeed) : 1.0f;
    m_sprite.width = f * (0.375f + 0.0125f * m_size);
    m_sprite.height = f * (1.875f + 0.0625f * m_size);
    m_sprite.color = Argb(alpha, 255, 255, 255);
    m_velocity += ScaledGravity() * Step();
    ApplyDrift();
    Quorvex::PushRenderStatePreset(list, 2);
    Quorvex::PushAxisBillboard(list, m_sprite);
}

Effect_Spark2::Effect_Spark2(Quorvex::IObjectManager* manager, EffectGenerator* generator)
    : Effect_Spark(manager, generator, KindSpark2) {}

bool Effect_Spark2::Start(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float size) {
    const bool joined = Effect_Spark::Start(position, direction, size);
    m_initialSpeed = 9.375f + 0.375f * size;
    m_velocity = direction * m_initialSpeed;
    m_sprite.width = m_sprite.height = 0.625f + 0.0375f * size;
    return joined;
}

void Effect_Spark2::Render(CalcVertexSet* list) {
    BYTE alpha = 0;
    if (!Advance(&alpha)) return;
    m_sprite.color = Argb(alpha, 255, 255, 255);
    m_velocity += ScaledGravity() * (0.5f * Step());
    ApplyDrift();
    Quorvex::PushRenderStatePreset(list, 2);
    Quorvex::PushBillboard(list, m_sprite);
}

// ---------------------------------------------------------------------------
// Effect_ExpRing

Effect_ExpRing::Effect_ExpRing(Quorvex::IObjectManager* manager, EffectGenerator* generator)
    : EffectObject(manager, generator, KindExpRing) {
    m_sprite.uv[0] = D3DXVECTOR2(0.75f, 0.5f);
    m_sprite.uv[1] = D3DXVECTOR2(1.0f, 0.75f);
    m_sprite.uv[2] = D3DXVECTOR2(0.01f, 0.01f);
    m_sprite.uv[3] = D3DXVECTOR2(0.105f, 0.105f);
}

bool Effect_ExpRing::Start(const D3DXVECTOR3& position, const D3DXVECTOR3& axis, float size) {
    m_life = 0.0125f * size + 0.5f;
    m_inner = 0.3125f * size;
    m_outer = 0.625f * size + 0.5f;
    m_outerRate = 0.5f * size + 25.0f;
    m_innerRate = m_outerRate + (m_outer - m_inner) / m_life;
    m_segments = static_cast<int>(0.2f * size + 16.0f);
    const D3DXVECTOR3 angles = Quorvex::DirectionToAngles(axis);  // (pitch, yaw, 0)
    m_sprite.rotation = Quorvex::YawPitchRollQuaternion(angles.y, -angles.x, 0.0f);
    m_sprite.position = position;
    m_sprite.color = 0xFFFFFFFF;
    m_size = size;
    m_time = 0.0f;
    return JoinGroup("Sprite3D");
}

void Effect_ExpRing::Render(CalcVertexSet* list) {
    const float step = Step();
    if (!Age(step, m_life)) return;
    const float t = m_time;
    m_sprite.color = Argb(255 - static_cast<int>(255.0f * t / m_life), 255, 255, 255);
    m_inner += m_innerRate * step;
    m_outer += m_outerRate * step;
    ApplyDrift();
    // The builder takes the ellipses as full widths; the ring keeps radii.
    Quorvex::Sprite3DData ring = m_sprite;
    ring.width = ring.height = 2.0f * m_outer;
    const float inner = 2.0f * std::max(0.0f, m_inner);
    Quorvex::PushRenderStatePreset(list, 3);
    Quorvex::PushRingSprite(list, ring, m_segments, inner, inner, true);
}

// ---------------------------------------------------------------------------
// Effect_FireBall

Effect_FireBall::Effect_FireBall(Quorvex::IObjectManager* manager, EffectGenerator* generator)
    : EffectObject(manager, generator, KindFireBall) {}

bool Effect_FireBall::Start(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float size) {
    D3DXVECTOR3 unit;
    D3DXVec3Normalize(&unit, &direction);
    m_velocity = unit * (0.625f * size + 12.5f);
    m_life = 0.05f * size + 0.5f;
    m_nextFlame = 0.0f;
    m_nextSmoke = 0.0f;
    m_sprite.position = position;
    m_lastTrail = position;
    m_size = size;
    m_time = 0.0f;
    return JoinGroup("Sprite3D");
}

void Effect_FireBall::Render(CalcVertexSet*) {
    const float step = Step();
    if (!Age(step, m_life)) return;
    const float t = m_time;
    m_sprite.position += m_velocity * step;
    m_velocity += ScaledGravity() * step;
    EffectGenerator* generator = GetGenerator();
    if (!generator) return;
    const float f = std::min(1.0f, t / m_life);
    const float b = 0.01f * m_size + 0.1f;
    const D3DXVECTOR3 p = m_sprite.position;
    // A pool found empty is tried again at the next step.
    if (t >= m_nextFlame &&
        generator->SpawnFlame(p, p, 0.1f * m_size, (1.5f - f) * 3.75f * b, (1.5f - f) * 4.5f * b, false) == 0)
        m_nextFlame = t + 0.03f;
    if (t >= m_nextSmoke && generator->SpawnLineSmoke(m_lastTrail, p, m_size, 5.0f * b * (1.5f - f), 1.0f - f) == 0) {
        m_lastTrail = p;
        m_nextSmoke = t + 0.06f;
    }
}

void Effect_FireBall::Shift(const D3DXVECTOR3& offset) {
    EffectObject::Shift(offset);
    m_lastTrail += offset;
}

float Effect_FireBall::GetDrawPriority() {
    SetDrawPriority(0.0f);
    return 0.0f;
}

// ---------------------------------------------------------------------------
// Effect_LineSmoke

Effect_LineSmoke::Effect_LineSmoke(Quorvex::IObjectManager* manager, EffectGenerator* generator)
    : EffectObject(manager, generator, KindLineSmoke) {}

bool Effect_LineSmoke::Start(const D3DXVECTOR3& from, const D3DXVECTOR3& to, float size, float width,
                             float strength) {
    m_life = 0.05f * size + 0.1f;
    m_sprite.position = from;
    const D3DXVECTOR3 d = to - from;
    m_sprite.rotation = Quorvex::YawPitchRollQuaternion(d);
    m_sprite.height = 1.4f * Length(d);
    m_sprite.width = width;
    m_strength = strength;
    m_size = size;
    m_time = 0.0f;
    SetFlameCell();
    return JoinGroup("Sprite3D");
}

void Effect_LineSmoke::Render(CalcVertexSet* list) {
    if (!Age(Step(), m_life)) return;
    const float t = m_time;
    const int a = static_cast<int>(255.0f * m_strength * (1.0f - std::min(1.0f, t / m_life)));
    m_sprite.color = Argb(a, 0, 0, 0);
    ApplyDrift();
    Quorvex::PushRenderStatePreset(list, 2);
    Quorvex::PushAxisBillboard(list, m_sprite);
}

// ---------------------------------------------------------------------------
// Effect_Explosion

Effect_Explosion::Effect_Explosion(Quorvex::IObjectManager* manager, EffectGenerator* generator)
    : EffectObject(manager, generator, KindExplosion) {}

Effect_Explosion::~Effect_Explosion() {
    if (m_pTarget) m_pTarget->Release();
    m_pTarget = nullptr;
}

bool Effect_Explosion::Start(const D3DXVECTOR3& position, float size) {
    m_life = 0.03f * size + 0.3f;
    m_growEnd = 0.003f * size + 0.03f;
    m_sprite.position = position;
    m_size = size;
    m_time = 0.0f;
    if (!JoinGroup("Sprite3D")) return false;
    if (g_pBlurManager) g_pBlurManager->RegisterExplosion(this);
    return true;
}

namespace {

IPlayerView* ShakeTarget(Object3D* target) { return dynamic_cast<IPlayerView*>(target); }

}  // namespace

void Effect_Explosion::SetTarget(Object3D* target) {
    if (target == m_pTarget) return;
    if (IPlayerView* old = target ? nullptr : ShakeTarget(m_pTarget)) old->ShakeVector() = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    if (target) target->AddRef();
    Object3D* old = m_pTarget;
    m_pTarget = target;
    if (old) old->Release();
}

void Effect_Explosion::KeepLonger(const D3DXVECTOR3& v) {
    IPlayerView* player = ShakeTarget(m_pTarget);
    if (!player) return;
    if (Length(v) > Length(player->ShakeVector())) player->ShakeVector() = v;
}

void Effect_Explosion::Render(CalcVertexSet*) {
    m_time += Step();
    const float t = m_time;
    if (t <= m_life) {
        if (m_pTarget) {
            const float d = Length(m_sprite.position - m_pTarget->GetWorldPosition());
            const float k = std::clamp(1.0f - d / 3000.0f, 0.0f, 1.0f);
            const float f = std::min(1.0f, t / m_life);
            const float e = (1.0f - f) * k * m_size * 0.02f;
            KeepLonger(D3DXVECTOR3(e, e, 0.0f));
        }
        ApplyDrift();
        return;
    }
    // Its stage and the stage's draw list hold it while it renders; any holder
    // besides those and its own three keeps it out of the pool.
    const int engineHolds = GetRenderStage() ? 2 : 0;
    if (GetRefCount() - engineHolds < kOwnHolds + 1) Retire();
}

// ---------------------------------------------------------------------------
// Effect_GeneralPurpose

Effect_GeneralPurpose::Effect_GeneralPurpose(Quorvex::IObjectManager* manager, EffectGenerator* generator)
    : EffectObject(manager, generator, KindGeneralPurpose) {}

void Effect_GeneralPurpose::ApplyDefaults() {
    std::fill(std::begin(m_startColor), std::end(m_startColor), 255);
    std::fill(std::begin(m_endColor), std::end(m_endColor), 255);
    m_fadeIn = m_fadeOutStart = m_fadeOutEnd = -1.0f;
    m_blend = 2;
    m_mode = ModeTriangles;
    m_baseWidth = m_baseHeight = 0.0f;
    m_baseVertices.clear();
    m_scaleFrom = m_scaleTo = D3DXVECTOR3(1.0f, 1.0f, 1.0f);
    m_scaleStart = m_scaleEnd = -1.0f;
    m_velocity = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    m_spin = 0.0f;
    m_drift = 0;
}

bool Effect_GeneralPurpose::Start(const D3DXVECTOR3& position, Quorvex::MaterialUnit* material,
                                  const char* group) {
    ApplyDefaults();
    m_time = 0.0f;
    m_size = 1.0f;
    m_sprite.Reset();
    m_sprite.ResetTransform();
    m_sprite.position = position;
    m_sprite.color = 0xFFFFFFFF;
    m_sprite.SetMaterial(material);
    m_sprite.positions.clear();
    return JoinGroup(group);
}

void Effect_GeneralPurpose::Render(CalcVertexSet* list) {
    const float dt = Elapsed();
    m_time += dt;
    const float t = m_time;
    if (m_fadeOutEnd > 0.0f && t > m_fadeOutEnd) {
        Retire();
        return;
    }
    BYTE c[4];
    if (t < m_fadeIn) {
        const float f = std::min(1.0f, t / m_fadeIn);
        for (int i = 0; i < 4; ++i)
            c[i] = static_cast<BYTE>(m_startColor[i] + static_cast<int>((m_endColor[i] - m_startColor[i]) * f));
    } else {
        std::copy(std::begin(m_endColor), std::end(m_endColor), c);
        if (m_fadeOutStart > 0.0f && t > m_fadeOutStart)
            c[0] = static_cast<BYTE>(static_cast<int>(
                c[0] * std::max(0.0f, 1.0f - (t - m_fadeOutStart) / (m_fadeOutEnd - m_fadeOutStart))));
    }
    m_sprite.color = Argb(c[0], c[1], c[2], c[3]);
    // -1 switches scaling off; a start at 0 scales from the first step.
    if (m_scaleStart >= 0.0f) {
        const float f =
            t < m_scaleStart ? 0.0f : std::min(1.0f, (t - m_scaleStart) / (m_scaleEnd - m_scaleStart));
        const float from[3] = {m_scaleFrom.x, m_scaleFrom.y, m_scaleFrom.z};
        const float to[3] = {m_scaleTo.x, m_scaleTo.y, m_scaleTo.z};
        m_sprite.positions.resize(m_baseVertices.size());
        for (int k = 0; k < 3; ++k) {
            const float s = from[k] + (to[k] - from[k]) * f;
            for (size_t i = 0; i < m_baseVertices.size(); ++i) {
                const D3DXVECTOR3& base = m_baseVertices[i];
                float& out = k == 0 ? m_sprite.positions[i].x : k == 1 ? m_sprite.positions[i].y : m_sprite.positions[i].z;
                out = (k == 0 ? base.x : k == 1 ? base.y : base.z) * s;
            }
            if (m_mode != ModeTriangles) {
                m_sprite.width = m_baseWidth * s;
                m_sprite.height = m_baseHeight * s;
            }
        }
    } else if (!m_baseVertices.empty() && m_sprite.positions.size() != m_baseVertices.size()) {
        // Unscaled, the base list is drawn as it is (a caller may also fill
        // the sprite's own list instead).
        m_sprite.positions = m_baseVertices;
    }
    m_sprite.position += m_velocity * dt;
    if (m_mode == ModeBillboard) Roll() += m_spin * dt;
    if (m_drift) ApplyDrift();
    Quorvex::PushRenderStatePreset(list, m_blend);
    switch (m_mode) {
        case ModeTriangles:
            Quorvex::PushSpriteTriangles(list, m_sprite, m_sprite.positions, m_sprite.texCoords);
            break;
        case ModeAxis:
            // Without a velocity there is no direction: the rotation set by
            // the caller stays.
            if (Length(m_velocity) > 0.0f) m_sprite.rotation = Quorvex::YawPitchRollQuaternion(m_velocity);
            Quorvex::PushAxisBillboard(list, m_sprite);
            break;
        default:
            Quorvex::PushBillboard(list, m_sprite);
            break;
    }
}
