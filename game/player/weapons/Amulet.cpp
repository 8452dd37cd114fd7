#include "game/player/weapons/Amulet.h"

#include <boost/bind/bind.hpp>

#include "engine/core/Utility.h"
#include "game/state/Environment2.h"
#include "game/world/effects/EffectGenerator.h"
#include "game/world/effects/EffectObject.h"

using Quorvex::AreaPos;

namespace {

constexpr float kTwoPi = 6.28318530718f;

void SetColor(BYTE* out, D3DCOLOR c) {
    out[0] = static_cast<BYTE>(c >> 24);
    out[1] = static_cast<BYTE>(c >> 16);
    out[2] = static_cast<BYTE>(c >> 8);
    out[3] = static_cast<BYTE>(c);
}

}  // namespace

void SetParticleCourse(Effect_GeneralPurpose* particle, D3DCOLOR start, D3DCOLOR second, float fadeIn,
                       float fadeOutStart, float life, float endScale) {
    SetColor(particle->m_startColor, start);
    SetColor(particle->m_endColor, second);
    particle->m_fadeIn = fadeIn;
    particle->m_fadeOutStart = fadeOutStart;
    particle->m_fadeOutEnd = life;
    particle->m_scaleFrom = D3DXVECTOR3(1.0f, 1.0f, 1.0f);
    particle->m_scaleTo = D3DXVECTOR3(endScale, endScale, endScale);
    particle->m_scaleStart = 0.0f;
    particle->m_scaleEnd = life;
}

Effect_GeneralPurpose* SpawnFirePuff(const D3DXVECTOR3& position) {
    EffectGenerator* effects = g_pEnvironment2 ? g_pEnvironment2->effectGenerator : nullptr;
    if (!effects) return nullptr;
    D3DXVECTOR3 velocity(Quorvex::RandomFloat() - 0.5f, Quorvex::RandomFloat() - 0.5f,
                         Quorvex::RandomFloat() - 0.5f);
    D3DXVec3Normalize(&velocity, &velocity);
    velocity *= 50.0f;
    Effect_GeneralPurpose* puff = effects->SpawnGeneralPurpose(position, "matVolcano", "Sprite3DOver");
    if (!puff) return nullptr;
    puff->m_baseWidth = puff->m_sprite.width = 24.0f;
    puff->m_baseHeight = puff->m_sprite.height = 20.0f;
    puff->m_velocity = velocity;
    puff->m_sprite.rotation.x = (Quorvex::RandomFloat() - 0.5f) * kTwoPi;
    puff->m_spin = (Quorvex::RandomFloat() - 0.5f) * 2.0f * 2.0943952f;
    SetParticleCourse(puff, 0x20FFFFFF, 0x40FF0000, 0.2f, 0.2f, 0.8f, 0.5f);
    puff->m_mode = Effect_GeneralPurpose::ModeBillboard;
    puff->m_blend = 3;
    return puff;
}

Amulet::Amulet(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager, const AreaPos& start)
    : Missile(manager, areaManager, start) {}

Amulet::~Amulet() { UnhookTrail(); }

void Amulet::Finalize() {
    UnhookTrail();
    Missile::Finalize();
}

void Amulet::UnhookTrail() {
    DropTarget();
    std::set<EffectObject*> particles;
    {
        std::lock_guard<std::mutex> lock(m_trailLock);
        particles.swap(trailParticles);
    }
    for (EffectObject* particle : particles) {
        particle->m_finish.clear();
        particle->Release();
    }
}

void Amulet::ForgetTrailParticle(EffectObject* particle) {
    {
        std::lock_guard<std::mutex> lock(m_trailLock);
        if (!trailParticles.erase(particle)) return;
    }
    particle->m_finish.clear();
    particle->Release();
}

size_t Amulet::GetTrailParticleCount() const {
    std::lock_guard<std::mutex> lock(m_trailLock);
    return trailParticles.size();
}

void Amulet::EmitTrail(const D3DXVECTOR3& step) {
    // The trail travels with the amulet.
    const D3DXVECTOR3 drag = step + (g_pEnvironment2 ? g_pEnvironment2->centerInfo.move : D3DXVECTOR3(0, 0, 0));
    {
        std::lock_guard<std::mutex> lock(m_trailLock);
        for (EffectObject* particle : trailParticles) particle->Shift(drag);
    }
    const int n = TrailPieces(step);
    const D3DXVECTOR3 here = m_areaPos.ToWorld();
    for (int i = 0; i < n; ++i) {
        Effect_GeneralPurpose* puff = SpawnFirePuff(here - step * (static_cast<float>(i) / n));
        if (!puff) continue;
        puff->AddRef();
        {
            std::lock_guard<std::mutex> lock(m_trailLock);
            trailParticles.insert(puff);
        }
        puff->m_finish = boost::bind(&Amulet::ForgetTrailParticle, this, boost::placeholders::_1);
    }
}
