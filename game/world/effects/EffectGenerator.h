// The one entry point of the visual effects: a world object owning a fixed
// pool of every effect kind, handing out free effects through one spawn
// operation per kind, composing explosions (parts plus a sound), caching the
// per-frame effect step and scaled gravity the effects read, and moving every
// live effect when the world re-centres. Callers reach it through the game
// state (Environment2::effectGenerator), which Init fills.
#pragma once
#include <mutex>
#include <set>

#include "game/world/Object3D.h"
#include "game/world/effects/EffectObject.h"

class EffectGenerator : public Object3D {
public:
    typedef std::set<EffectObject*> EffectSet;

    // Effects per kind, in EffectObject::Kind order.
    static const int kPoolSizes[EffectObject::KindCount];
    // Explosion sounds by size class.
    static const wchar_t* const kExplosionSounds[6];

    EffectGenerator(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                    const Quorvex::AreaPos& position);
    // Every effect forgets the generator and loses the set's reference (and
    // the extra one of the explosions and general-purpose effects).
    ~EffectGenerator() override;

    // Init: 0.
    int Initialize(int param) override;
    // Update priority 700, every pool filled, published in the game state,
    // gravity cached: 0.
    int Init();
    // Re-bins, caches step and gravity, shifts the effects when the centre
    // cell changed.
    void Update(float timeStep) override;
    // EffectObject::Shift on every live effect.
    void ShiftEffects(const D3DXVECTOR3& offset);

    // Spawners: null or -1 when the kind's pool is empty.
    Effect_Smoke* SpawnSmoke(const D3DXVECTOR3& position, float size, float baseWidth, float baseHeight);
    // A smoke puff under the name the projectiles use: 0 or -1.
    int SpawnExplosionPart(const D3DXVECTOR3& position, float size, float baseWidth, float baseHeight);
    int SpawnFlame(const D3DXVECTOR3& origin, const D3DXVECTOR3& target, float size, float baseWidth,
                   float baseHeight, bool smoke);
    int SpawnSpark(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float size);
    int SpawnSpark2(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float size);
    int SpawnExpRing(const D3DXVECTOR3& position, const D3DXVECTOR3& axis, float size);
    int SpawnFireBall(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float size);
    int SpawnLineSmoke(const D3DXVECTOR3& from, const D3DXVECTOR3& to, float size, float width, float strength);
    // The material by resource id (none when the id is unknown).
    Effect_GeneralPurpose* SpawnGeneralPurpose(const D3DXVECTOR3& position, const char* materialId,
                                               const char* group);

    // Bursts stop at the first failed spawn: 0 or -1.
    int SpawnSparkBurst(const D3DXVECTOR3& position, float size);
    int SpawnSpark2Burst(const D3DXVECTOR3& position, float size);
    int SpawnFlameRings(const D3DXVECTOR3& centre, float size, bool smoke);

    // Explosion effect, then unless flag bit 3 flame rings (smoke unless bit
    // 0), bit 1 sparks, bit 2 second sparks, bit 4 ring, bit 5 fire balls,
    // bit 6 the sound. Null (and nothing else) when no explosion is free.
    Effect_Explosion* CreateExplosion(const D3DXVECTOR3& position, float size, BYTE flags);
    Effect_Explosion* CreateExplosion(const Quorvex::AreaPos& position, float size, BYTE flags);
    // The sound index of a size: trunc(min(size / 20, 5)).
    static int ExplosionSoundIndex(float size);

    // Effect time step: 2.5 x elapsed time; unscaled elapsed time; 2.5 x gravity.
    float GetStep() const { return m_step; }
    float GetElapsed() const { return m_elapsed; }
    const D3DXVECTOR3& GetScaledGravity() const { return m_gravity; }

    // From the effects: live set back to free set.
    void RetireEffect(EffectObject* effect);

    int GetLiveCount(int kind) const;
    int GetFreeCount(int kind) const;

private:
    // Takes the first free effect of the kind into the live set; null when none.
    EffectObject* Take(int kind);
    // Caches step, elapsed time and gravity from the environment.
    void CacheFrameValues();
    void PlayExplosionSound(const D3DXVECTOR3& position, float size);
    template <class T, class Fn>
    T* SpawnWith(int kind, Fn&& start);

    mutable std::mutex m_lock;
    EffectSet m_free[EffectObject::KindCount];
    EffectSet m_live[EffectObject::KindCount];
    bool m_filled = false;
    float m_step = 0.0f;
    float m_elapsed = 0.0f;
    D3DXVECTOR3 m_gravity{0.0f, 0.0f, 0.0f};
    Quorvex::AreaPos m_lastCenter;
};
