// The boss of stage 6 and of the extra stage: a pooled boss that flies in
// along a fixed path, waits for the stage's dialogue and then fights through
// numbered phases, five of them spell phases with a title banner. Every phase
// with an attack runs a per-frame step that checks the phase's time limit,
// publishes the countdown and runs its patterns.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include <boost/function.hpp>

#include "game/enemy/AuraParam.h"
#include "game/enemy/types/BossCommon.h"

class Bullet_Razer;
struct ID3DXAnimationController;

class Enemy_Toska : public PhaseBoss {
public:
    static constexpr float kLaunchLife = 4000.0f;
    static constexpr int64_t kScore = 12000;
    static constexpr float kInvulnerableTime = 1.5f;
    static constexpr float kHoldTime = 1.0f;
    static constexpr float kScale = 3.0f;
    static constexpr float kOpeningPause = 3.0f;
    static constexpr float kTrackSpeed = 0.0125f;
    // Sideways speed (units per second) beyond which the boss banks.
    static constexpr float kTurnSpeed = 40.0f;

    // ---- Spell 2 ----
    struct Spell2Shot {
        uint8_t started = 0;
        uint8_t inUse = 0;
        float clock = 0.0f;
        float timer = 0.0f;
        int32_t volleys = 0;
        int32_t cycles = 0;
        Quorvex::AreaPos position;
        D3DXQUATERNION aim{0.0f, 0.0f, 0.0f, 1.0f};
        D3DXVECTOR3 offset{0.0f, 0.0f, 0.0f};
        float ringShare = 0.0f;
    };
    struct ShotParam_Nijuu {
        static constexpr int kShots = 50;
        ShotParam_Nijuu() { Reset(); }
        virtual ~ShotParam_Nijuu() { Reset(); }
        void Reset();

        uint8_t started = 0;
        float clock = 0.0f;
        float timer = 0.0f;
        int32_t counter = 0;
        int32_t extra = 0;
        std::vector<Spell2Shot> shots;
        float placeTimer = 0.0f;
        int32_t placeCounter = 0;
    };

    // ---- Spells 3 and 4 ----
    struct OrbRecord {
        uint8_t started = 0;
        float clock = 0.0f;
        float timer = 0.0f;
        int32_t counter = 0;   // returns to 0 at 1000
        int32_t overflow = 0;  // returns to 0 at 1000
    };
    struct ShotParam_VelkSan {
        static constexpr int kOrbs = 10;
        ShotParam_VelkSan() { Reset(); }
        virtual ~ShotParam_VelkSan() { Reset(); }
        void Reset();

        int32_t flag = 0;
        float clock = 0.0f;
        float timer = 0.0f;
        int32_t counter = 0;   // returns to 0 at 10000
        int32_t overflow = 0;  // returns to 0 at 10000
        std::vector<OrbRecord> orbs;
    };
    struct ShotParam_VelkShuu : ShotParam_VelkSan {};

    // ---- Spell 5 ----
    struct Spell5Shot {
        uint8_t started = 0;
        float clock = 0.0f;
        float timer = 0.0f;
        int32_t counter = 0;   // 0..9
        int32_t overflow = 0;  // returns to 0 at 10000
    };
    // A shot the emitter turns toward the player once it is old enough. The
    // entry holds a reference to the shot; a shot that went back to its pool
    // meanwhile is let go untouched (another pattern may own it by then).
    struct TrackedShot {
        uint8_t flags[2] = {0, 0};
        float age = 0.0f;
        Bullet_Razer* shot = nullptr;        // counted
        std::shared_ptr<bool> returned;      // raised when the shot went back to its pool
    };
    struct Spell5Emitter {
        Spell5Emitter() = default;
        Spell5Emitter(const Spell5Emitter&) = delete;
        Spell5Emitter& operator=(const Spell5Emitter&) = delete;
        ~Spell5Emitter() { DropAll(); }
        // Lets go of every tracked shot.
        void DropAll();

        uint8_t started = 0;
        uint8_t armed = 0;
        float clock = 0.0f;
        float timer = 0.0f;
        int32_t counter = 0;   // returns to 0 at 10000
        int32_t overflow = 0;  // returns to 0 at 10000
        std::vector<TrackedShot> tracked;
    };
    struct ShotParam_Tensei {
        static constexpr int kShots = 10;
        ShotParam_Tensei() { Reset(); }
        virtual ~ShotParam_Tensei() { Reset(); }
        void Reset();

        int32_t scalars[5] = {0, 0, 0, 0, 0};
        std::vector<Spell5Shot> shots;
        std::vector<std::unique_ptr<Spell5Emitter>> emitters;
    };

    // ---- The boss's own pattern state ----
    struct SideEmitter {
        uint8_t started = 0;
        uint8_t armed = 0;
        float clock = 0.0f;
        float timer = 0.0f;
        int32_t shots = 0;
        int32_t sweeps = 0;
        D3DXQUATERNION aim{0.0f, 0.0f, 0.0f, 1.0f};
        D3DXVECTOR3 offset{0.0f, 0.0f, 0.0f};
    };
    struct Spell1Emitter {
        uint8_t started = 0;
        float clock = 0.0f;
        float timer = 0.0f;
        int32_t counter = 0;
        int32_t extra = 0;
        Quorvex::AreaPos position;
        D3DXQUATERNION aim{0.0f, 0.0f, 0.0f, 1.0f};
    };

    Enemy_Toska(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator, EnemyListSet* listSet);
    ~Enemy_Toska() override;

    using EnemyEx::Initialize;
    int Initialize(int param) override;
    void Update(float dt) override;
    // The guarded hit of the phase bosses; a vanished boss takes none.
    void Hit(Quorvex::Object* hitter) override;
    void UpdateWorldMatrix() override;
    // Releases the held enemies, then vanishes.
    void Discard() override;

    // Life 4000, path movement, out of the swept group, phase 1, current boss.
    // The launch record's orientation is not used: the boss faces the player.
    void Launch(const Quorvex::AreaPos& position, const D3DXQUATERNION& orientation,
                Quorvex::ObjectManager* objectManager) override;
    void Launch(const Quorvex::AreaPos& position);
    void SetPhase(int n);
    // Every attack and pattern record back to its start, the phase-5/10
    // state and the spell records included: a forced exit leaves nothing of
    // the fight for the next launch from the pool.
    void ResetPatterns();
    // The phase is spent (life 0 or its time limit): banner, explosion,
    // score, next phase.
    void EndPhase() override;
    void NextPhase();
    void OnEntryPathEnd(EnemyEx::MoveParam*) { NextPhase(); }
    // Waypoints in a wide box before the movement record's reference point.
    NextPos NextWidePos(MoveParam* moveParam);

    // Phase steps.
    void StepOpening(float dt);
    void StepMiddle(float dt);
    void StepSpell1(float dt);
    void StepSpell2(float dt);
    void StepSpell3(float dt);
    void StepSpell4(float dt);
    void StepSpell5(float dt);

    // Patterns.
    void FireFanBursts(float dt);
    void FireWaveArcs(float dt);
    void FireSideArcs(float dt);
    void PrepareSpell1();
    void UpdateSpell1Shot(Spell1Emitter& record, int index, float dt);
    void FireSpell1(float dt);
    void FireSpell2Ring(float dt);
    void FireSpell2Bursts(float dt);
    void UpdateOrb(OrbRecord& orb, int index, float dt);
    void FireLaserFan(float dt);
    void LaunchReidanRing(float dt);
    void UpdateSpell5Shot(Spell5Shot& record, int index, float dt);
    void AddSpell5Emitter();
    void UpdateSpell5Emitter(Spell5Emitter& record, int index, float dt);

    // Animation.
    void UpdateAnimation(float dt);
    int PlayAnimationSet(int state);

    // The time limit of a phase's step, or -1 for a phase without one.
    static float PhaseLimit(int n);

    // Members after the phase boss's (phase, phaseCallback, hitGuard: the
    // seconds during which hits are ignored, phaseClock, phaseLimit).
    AuraParam aura;
    std::vector<Enemy*> heldEnemies;  // counted

    // Phases 3 and 8.
    uint8_t fanStarted = 0;
    float fanClock = 0.0f;
    float fanTimer = 0.0f;
    int32_t fanRow = 0;
    int32_t fanVolley = 0;
    D3DXQUATERNION fanAim{0.0f, 0.0f, 0.0f, 1.0f};

    // Phases 5 and 10 (kept across phase changes).
    uint8_t waveStarted = 0;
    uint8_t sideStarted = 0;
    float waveClock = 0.0f;
    float waveTimer = 0.0f;
    int32_t waveVolley = 0;
    int32_t waveGroup = 0;
    SideEmitter sideEmitters[10];

    // Spell 1.
    uint8_t spell1Started = 0;
    float spell1Clock = 0.0f;
    float spell1Timer = 0.0f;
    int32_t spell1Volley = 0;
    int32_t spell1Burst = 0;
    std::vector<Spell1Emitter> spell1Emitters;

    ShotParam_Nijuu nijuu;
    ShotParam_VelkSan velkSan;
    ShotParam_VelkShuu velkShuu;
    ShotParam_Tensei tensei;

    int32_t animState = 0;
    int32_t currentTrack = -1;
    int32_t previousTrack = -1;
    int32_t currentSet = -1;
    float blend = -1.0f;
    double animStart = 0.0;
    double animTarget = 0.0;
    double animValue = 0.0;
    ID3DXAnimationController* animation = nullptr;  // counted

private:
    // The row of phase n in the boss's phase table, null for a phase with none.
    static const BossPhase<Enemy_Toska>* FindPhase(int n);
    // The common head of a phase step: false when the limit ended the phase
    // (the step then stops: the new phase starts its own next frame).
    bool StepHead(float limit);
    // Target present and the opening pause over.
    bool PatternsActive() const;
    D3DXQUATERNION Aim() const;
    D3DXQUATERNION AimFrom(const Quorvex::AreaPos& from) const;
    // One razer; the pool's reference is dropped, or handed out through keep.
    bool FireShot(const Quorvex::AreaPos& from, const D3DXQUATERNION& orientation, float speed, int kind,
                  int colour, Bullet_Razer** keep = nullptr);
    void Explode(float size);
    void StartAnimState(int state);
    void ClearPhaseState();
};
