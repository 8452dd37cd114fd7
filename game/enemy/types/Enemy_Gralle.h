// The stage-4 boss: flies in like the stage-3 boss, fights in two visits with
// razer volleys, nuclear shots it keeps steering and a lava flare that
// charges before its last nuke, and at the end dives past the player. The
// stage scene enters phases 3, 5, 7 and 12.
#pragma once
#include <functional>
#include <map>
#include <set>

#include <boost/function.hpp>

#include "game/enemy/AuraParam.h"
#include "game/enemy/types/BossCommon.h"

class Bullet_Nuke;
class EffectObject;
class Effect_GeneralPurpose;

class Enemy_Gralle : public PhaseBoss {
public:
    // The lava flare around the boss: while active it emits streaks and
    // puffs that converge on the boss and a core glow that grows with the
    // charge; its sprites travel with the boss until they end.
    class FlareEffectParam {
    public:
        explicit FlareEffectParam(Enemy_Gralle* owner);
        FlareEffectParam(const FlareEffectParam&) = delete;
        FlareEffectParam& operator=(const FlareEffectParam&) = delete;
        virtual ~FlareEffectParam();

        // Timer 0, charge -1, inactive, every held sprite let go.
        void Reset(Enemy_Gralle* newOwner);
        void Update(float dt, const D3DXVECTOR3& carry);
        // Bound as the end callback of each held sprite.
        void Remove(void* sprite);

        float emitTimer = 0.0f;
        std::set<EffectObject*> sprites;  // counted
        float charge = -1.0f;
        Enemy_Gralle* owner = nullptr;
        bool active = false;

    private:
        void Emit();
    };

    // The nukes the second spell keeps: each with a launched flag and its
    // held time, and the set's own timer and clock.
    class SpellParamNuclear {
    public:
        struct Held {
            bool launched = false;
            float heldTime = 0.0f;
        };
        SpellParamNuclear() = default;
        SpellParamNuclear(const SpellParamNuclear&) = delete;
        SpellParamNuclear& operator=(const SpellParamNuclear&) = delete;
        virtual ~SpellParamNuclear();

        // Counted; the nuke's end callback drops it again.
        void Add(Bullet_Nuke* nuke);
        // Bound as the end callback of each held nuke.
        void Remove(void* nuke);
        // Every held nuke is let go (and, with end, ends at once); timer and
        // clock 0.
        void Clear(bool end = true);

        std::map<Bullet_Nuke*, Held> nukes;
        float timer = 0.0f;
        float clock = 0.0f;
    };

    static constexpr float kLaunchLife = 6000.0f;
    static constexpr float kHitGuard = 1.5f;
    static constexpr int kScore = 4800;

    Enemy_Gralle(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                 const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator, EnemyListSet* listSet);
    ~Enemy_Gralle() override;

    using EnemyEx::Initialize;
    int Initialize(int param) override;
    void Update(float dt) override;

    void Launch(const Quorvex::AreaPos& start, const D3DXQUATERNION& orientation,
                Quorvex::ObjectManager* objectManager) override;
    void SetPhase(int n);
    void EndPhase() override;
    // The successor of the current phase (also the entry path's end).
    void NextPhase(EnemyEx::MoveParam* moveParam = nullptr);

    // Phase steps.
    void RunNuclearShots(float dt);
    void RunFirstSpell(float dt);
    void RunAimedNukes(float dt);
    void RunRest(float dt);
    void RunSecondSpell(float dt);
    void RunThirdSpell(float dt);

    // Fire steps; none fires without a target.
    void FireRingVolley(float dt, EnemyEx::ShotParam1& state);
    void FireAimedRing(float dt, EnemyEx::ShotParam1& state);
    void FireFirstSpellRazers(float dt);
    void FireFirstSpellNukes(float dt);
    void LaunchSecondSpellNuke();
    void FireSecondSpellShots(float dt, bool volleys);
    void FireSecondSpellDiamond(float dt);
    void FireThirdSpell(float dt);
    // A ring of aura sprites that travel with the boss (strength 0.25 .. 1).
    void SpawnNukeAura(float strength);

    // One nuke from the boss (kind 1 or 4); answered with a reference for the
    // caller, or null when the pool has none.
    Bullet_Nuke* LaunchNuke(const D3DXQUATERNION& orientation, float speedFactor, float detonationTime, int kind);
    // Speed factor and detonation time of one nuke of a fan.
    typedef std::function<void(float& speedFactor, float& detonationTime)> NukeTiming;
    // A fan of n nukes (kind 1) around the aim, width wide in yaw, with a
    // random pitch within pitchSpread.
    void LaunchNukeFan(int n, float width, float pitchSpread, const NukeTiming& timing);
    // The time of the phase-6 rest at the level.
    static float RestLimit(float level);
    // Bound as the end callback of the held aura sprites.
    void RemoveHeldEffect(void* effect);

    std::set<EffectObject*> heldEffects;  // counted, carried with the boss
    EnemyEx::ShotParam1 shotStateA;
    EnemyEx::ShotParam1 shotStateB;
    AuraParam aura;
    FlareEffectParam flare;
    BulletHoldSet heldBullets;
    float spellClock = 0.0f;
    int32_t phase5Ends = 0;
    float wallTimer = 0.0f;
    float wallClock = 0.0f;
    SpellParamNuclear heldNukes;

private:
    void ReleaseHeldEffects();
    // The world centre's motion of the last frame, copied by the pool.
    D3DXVECTOR3 PoolMotion() const;
};
