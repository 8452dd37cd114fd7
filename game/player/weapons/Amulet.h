// The Toska set's homing amulet: a missile that hits harder and drags a trail
// of fire particles along with it.
#pragma once
#include <mutex>
#include <set>

#include "game/player/weapons/Missile.h"

class EffectObject;
class Effect_GeneralPurpose;

// The colour and scale course of a particle: start colour to the second one
// until the fade-in ends, held, then faded out until its life ends; scaled
// from 1 to the end scale over its life. Colours are ARGB.
void SetParticleCourse(Effect_GeneralPurpose* particle, D3DCOLOR start, D3DCOLOR second, float fadeIn,
                       float fadeOutStart, float life, float endScale);

// One fire puff of the amulet's trail (also the nuke's flight fire) at the
// world position, or null when the effect pool has none free.
Effect_GeneralPurpose* SpawnFirePuff(const D3DXVECTOR3& position);

class Amulet : public Missile {
public:
    Amulet(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager, const Quorvex::AreaPos& start);
    ~Amulet() override;

    void Finalize() override;
    // The end callback of each trail particle.
    void ForgetTrailParticle(EffectObject* particle);
    size_t GetTrailParticleCount() const;

protected:
    float InitialAttackPower() const override { return 200.0f; }
    void EmitTrail(const D3DXVECTOR3& step) override;

private:
    // Drops the target and lets every live trail particle go.
    void UnhookTrail();

    // The particles retire on the render pass: the set is shared with it.
    mutable std::mutex m_trailLock;
    std::set<EffectObject*> trailParticles;  // counted
};
