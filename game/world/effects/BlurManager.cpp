#include "game/world/effects/BlurManager.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/assets/ResourceManager.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/assets/shaders/Shader_ExpandBlur2D.h"
#include "engine/core/Environment.h"
#include "engine/core/render/ObjectManager.h"
#include "game/state/Environment2.h"
#include "game/state/IPlayerView.h"
#include "game/world/Object3D.h"
#include "game/world/effects/EffectObject.h"
#include "game/world/effects/EffectSupport.h"

BlurManager* g_pBlurManager = nullptr;

namespace {

constexpr float kReach = 3000.0f;

float Distance(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    const D3DXVECTOR3 d = a - b;
    return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

// The light colours as three triples: the nine floats that follow the
// ambient colour's red, green and blue (1.0 each by default).
void LightTriples(const Quorvex::RenderParameter& p, float (&triples)[3][3]) {
    const float flat[9] = {p.m_ambient.w,  p.m_diffuse.x,  p.m_diffuse.y,  p.m_diffuse.z, p.m_diffuse.w,
                           p.m_specular.x, p.m_specular.y, p.m_specular.z, p.m_specular.w};
    for (int i = 0; i < 9; ++i) triples[i / 3][i % 3] = flat[i];
}

}  // namespace

BlurManager::BlurManager(Quorvex::IObjectManager* manager) : Quorvex::Object(manager, CreateRegister) {}

BlurManager::~BlurManager() {
    if (g_pBlurManager == this) g_pBlurManager = nullptr;
    std::set<Effect_Explosion*> held;
    {
        std::lock_guard<std::mutex> lock(m_setLock);
        held.swap(m_explosions);
        m_pCurrent = nullptr;
    }
    for (Effect_Explosion* explosion : held) {
        explosion->m_blurRegistered = 0;
        explosion->SetTarget(nullptr);
        explosion->Release();
    }
    SetTarget(nullptr);
}

int BlurManager::Initialize(int) {
    SetUpdatePriority(2300);
    m_expandLength = 0.0f;
    m_invalidLength = 1.0f;
    m_expandRate = 0.0f;
    m_centerX = 0.5f;
    m_centerY = 0.5f;
    m_enabled = 1;
    m_follow = 1;
    g_pBlurManager = this;
    return 0;
}

void BlurManager::SetTarget(Quorvex::Object* target) {
    if (target) target->AddRef();
    Quorvex::Object* old = m_pTarget;
    m_pTarget = target;
    if (old) old->Release();
}

void BlurManager::RegisterExplosion(Effect_Explosion* explosion) {
    if (!explosion) return;
    std::lock_guard<std::mutex> lock(m_setLock);
    // A reused explosion still held from its last life keeps its one reference.
    if (!m_explosions.insert(explosion).second) return;
    explosion->AddRef();
    explosion->m_blurRegistered = 1;
}

int BlurManager::GetExplosionCount() const {
    std::lock_guard<std::mutex> lock(m_setLock);
    return static_cast<int>(m_explosions.size());
}

float BlurManager::ExplosionWeight(const Effect_Explosion* explosion) {
    const float q = explosion->GetSize() * 0.025f;
    float d = 0.0f;
    if (g_pEnvironment2 && g_pEnvironment2->player)
        d = Distance(explosion->GetPosition(), ObjectOf(g_pEnvironment2->player)->GetWorldPosition());
    return q * (1.0f - std::min(1.0f, d / kReach));
}

Effect_Explosion* BlurManager::PickExplosion() {
    std::vector<Effect_Explosion*> finished;
    Effect_Explosion* best = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_setLock);
        float bestWeight = 0.0f;
        for (auto it = m_explosions.begin(); it != m_explosions.end();) {
            Effect_Explosion* x = *it;
            if (x->GetTime() >= x->GetLife() || !x->IsAlive()) {
                finished.push_back(x);
                it = m_explosions.erase(it);
                continue;
            }
            const float w = ExplosionWeight(x);
            if (!best || w >= bestWeight) {
                best = x;
                bestWeight = w;
            }
            ++it;
        }
        m_pCurrent = best;
    }
    for (Effect_Explosion* x : finished) {
        x->m_blurRegistered = 0;
        x->SetTarget(nullptr);
        x->Release();
    }
    return best;
}

void BlurManager::ApplyExplosion(Effect_Explosion* c) {
    const float w = std::max(0.0f, ExplosionWeight(c));
    Quorvex::ObjectManager* manager = AsObjectManager(GetManager());
    D3DXVECTOR3 projected(0.0f, 0.0f, 0.0f);
    if (manager) {
        const D3DXVECTOR3 position = c->GetPosition();
        D3DXVec3TransformCoord(&projected, &position, &manager->GetViewProjection());
    }
    const float cx = std::clamp(projected.x, -1.0f, 1.0f) * 0.25f + 0.5f;
    const float cy = std::clamp(-projected.y, -1.0f, 1.0f) * 0.25f + 0.5f;
    if (!c->GetTarget() && g_pEnvironment2) c->SetTarget(ObjectOf(g_pEnvironment2->player));

    const float t = c->GetTime(), grow = c->GetGrowEnd(), life = c->GetLife();
    const float a = t < grow ? w * t / grow : w * std::max(0.0f, 1.0f - (t - grow) / (life - grow));
    if (a <= 0.0f) return;

    float rgb[3] = {1.0f, 1.0f, 1.0f};
    Quorvex::IResourceManager* resources = manager ? manager->GetResourceManager() : nullptr;
    if (Quorvex::RenderParameter* parameter = resources ? resources->GetRenderParameter() : nullptr) {
        float triples[3][3];
        LightTriples(*parameter, triples);
        for (int i = 0; i < 3; ++i) rgb[i] = 0.7f * triples[0][i] + 0.25f * triples[1][i] + 0.05f * triples[2][i];
    }
    const float y = std::clamp(0.298912f * rgb[0] + 0.586611f * rgb[1] + 0.114478f * rgb[2], 0.0f, 1.0f);
    const float k = y >= 0.25f ? (y - 0.25f) / 0.75f * 0.8f : (y - 0.25f) * 4.0f;
    m_strength = a;
    m_centerX = cx;
    m_centerY = cy;
    m_addColor = D3DXVECTOR4(a, 0.9f * a, 0.7f * a, std::clamp(a, 0.0f, 1.0f) * k);
    m_tone = std::min(1.0f, 1.0f / (1.5f * a));
}

void BlurManager::Update(float) {
    m_strength = 0.0f;
    m_addColor = D3DXVECTOR4(0.0f, 0.0f, 0.0f, 0.0f);
    m_tone = 1.0f;

    if (Effect_Explosion* current = PickExplosion()) ApplyExplosion(current);

    if (m_follow && m_pTarget) {
        if (const auto* player = dynamic_cast<const IPlayerView*>(m_pTarget)) {
            const float r = player->GetMaxSpeed() > 0.0f ? 0.75f * player->GetSpeed() / player->GetMaxSpeed() : 0.0f;
            if (m_strength <= r) {
                m_strength = r;
                const float inverseAspect =
                    Quorvex::g_pEnvironment ? Quorvex::g_pEnvironment->GetInverseAspect() : 0.5625f;
                m_centerX = player->GetViewPoint().x * inverseAspect;
                m_centerY = player->GetViewPoint().y;
            }
        }
    }
    if (m_strength <= m_flashWeight) {
        const D3DXVECTOR4& f = m_flashColor;
        m_addColor = D3DXVECTOR4(f.x * f.w, f.y * f.w, f.z * f.w, 0.0f);
    }
    m_expandLength = std::min(m_strength, 1.0f) * 0.3f;
    m_invalidLength = std::max(0.5f - 0.35f * m_strength, 0.01f);
    m_expandRate = 0.9f;
    if (g_pEnvironment2 && g_pEnvironment2->currentSceneMode == 3) {
        m_expandLength = 0.3f;
        m_invalidLength = 0.075f;
        m_expandRate = 1.0f;
    }
    if (m_enabled) WriteShader();
}

void BlurManager::WriteShader() {
    Quorvex::ObjectManager* manager = AsObjectManager(GetManager());
    Quorvex::ShaderManager* shaders = manager ? manager->GetShaderManager() : nullptr;
    if (!shaders && g_pEnvironment2) shaders = g_pEnvironment2->shaderManager;
    auto* blur = shaders ? dynamic_cast<Quorvex::Shader_ExpandBlur2D*>(shaders->GetShader("ExpandBlur2D")) : nullptr;
    if (!blur) return;
    blur->m_centerPos[0] = m_centerX;
    blur->m_centerPos[1] = m_centerY;
    blur->m_invalidLength = m_invalidLength;
    blur->m_expandLength = m_expandLength;
    blur->m_expandRate = m_expandRate;
    blur->m_addColor[0] = m_addColor.x;
    blur->m_addColor[1] = m_addColor.y;
    blur->m_addColor[2] = m_addColor.z;
    blur->m_addColor[3] = m_addColor.w;
    blur->m_tone = m_tone;
}
