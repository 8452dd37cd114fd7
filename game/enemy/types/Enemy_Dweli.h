// The stage-1 boss: a phase machine of up to eighteen numbered phases (three
// of them spell phases with a title banner), its set of bullet emitters, its
// rays, three pulsing aura layers and, in the last spell phase, a black flare.
// It is made with new by the stage-1 boss event, not taken from a pool.
#pragma once
#include <cstdint>
#include <map>
#include <vector>

#include <boost/function.hpp>

#include "engine/assets/Sprite3DInfo.h"
#include "engine/core/RenderObject.h"
#include "game/enemy/AuraParam.h"
#include "game/enemy/EnemyEx.h"

class Bullet_Ray;
class Enemy_Dweli;
class Enemy_ShotPoint;

// A record of named callbacks; the boss keeps one that stays empty.
class SmokeParam {
public:
    struct Entry {
        boost::function<void()> callback;
    };
    SmokeParam() = default;
    SmokeParam(const SmokeParam&) = delete;
    SmokeParam& operator=(const SmokeParam&) = delete;
    virtual ~SmokeParam();

    std::map<int, Entry> entries;
};

// The black flare sprite shown over the boss in its last spell phase.
class Enemy_Dweli_Flare : public Quorvex::RenderObject {
public:
    static constexpr float kMaxSize = 300.0f;
    static constexpr float kGrowRate = 200.0f;  // units per second
    static constexpr float kSpinRate = 0.1f;    // radians per second

    // Joins the "Sprite3DOver" stage with the "matFlareBlack" sprite, size 0.
    Enemy_Dweli_Flare(Quorvex::IObjectManager* manager, Enemy_Dweli* boss);
    ~Enemy_Dweli_Flare() override;

    // Only while visible: follows the boss, grows up to kMaxSize, turns.
    void Render(Quorvex::CalcVertexSet* list) override;
    // The view-space depth of the sprite (stored as the draw priority).
    float GetDrawPriority() override;

    // The boss lets go of the flare: it leaves its stage and draws nothing more.
    void Detach();

    Quorvex::Sprite3DInfo sprite;
    Enemy_Dweli* boss;  // not counted: the boss owns the flare
    bool visible = false;
};

class Enemy_Dweli : public EnemyEx {
public:
    static constexpr float kLaunchLife = 5000.0f;
    static constexpr float kSpellLife = 10000.0f;
    static constexpr float kGaugeCap = 300.0f;
    static constexpr float kDeathTime = 4.5f;
    static constexpr float kMaxAge = 100000.0f;

    // One ray of the boss with where and how it points. The slot holds the
    // pool's reference to its ray and gives it back when destroyed.
    struct RayParam {
        RayParam() = default;
        RayParam(const RayParam&) = delete;
        RayParam& operator=(const RayParam&) = delete;
        virtual ~RayParam();
        // Lets go of the ray (the ray itself flies on).
        void DropRay();

        Bullet_Ray* ray = nullptr;  // counted
        float timer = 0.0f;         // negative: a start delay
        D3DXQUATERNION aim{0.0f, 0.0f, 0.0f, 1.0f};
        Quorvex::AreaPos position;
        bool armed = true;
        float factor = 1.0f;
    };

    typedef boost::function<void(float, EnemyEx::ShotParam1*)> PatternStep;

    Enemy_Dweli(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator);
    ~Enemy_Dweli() override;

    int Initialize(int param) override;
    void Finalize() override;
    void Update(float dt) override;
    void Hit(Quorvex::Object* other) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    void UpdateWorldMatrix() override;
    // The life gauge rule with gaugeCap as its cap.
    void AddGauge(float delta) override;
    void Vanish() override;
    void Discard() override { Vanish(); }

    // Max life 5000, path movement, phase 5; publishes itself as the current boss.
    void Launch(const Quorvex::AreaPos& start);
    // Enters phase n (0..17).
    void SetPhase(int n);
    // The current phase is over (time limit or life 0): the next-phase rule.
    void EndPhase();
    // The 4.5 s death sequence, once dying.
    void UpdateDeath(float dt);

    // Emitters: count new ones with the pattern id after releasing the held
    // ones; (0, 0) only releases.
    void SpawnShotPoints(int count, int patternId);
    void ReleaseShotPoints();
    // Rays.
    RayParam* AddRayParam();
    void ReleaseRays();
    void DestroyRays();

    // Waypoints around the movement record's reference point.
    NextPos NextRandomPos(MoveParam* moveParam);
    NextPos NextWidePos(MoveParam* moveParam);

    // The attack steps, one per frame with dt and the shot record.
    void FireAimedPattern(float dt, EnemyEx::ShotParam1* state);
    void FireWaveVolley(float dt, EnemyEx::ShotParam1* state);
    void FireSweepRays(float dt, EnemyEx::ShotParam1* state);
    void FireFanVolley(float dt, EnemyEx::ShotParam1* state);
    void FireShotPointRays(float dt, EnemyEx::ShotParam1* state);

    // Members, in the record's order.
    SmokeParam smoke;
    AuraParam aura1;
    AuraParam aura2;
    AuraParam aura3;
    uint32_t phase = 0;
    bool dying = false;
    float deathClock = 0.0f;
    int32_t deathCounter = 0;
    float deathAccumulator = 0.0f;
    float gaugeCap = kGaugeCap;
    PatternStep patternCallback;
    EnemyEx::ShotParam1 shotState;
    float phaseClock = 0.0f;
    float phaseLimit = -1.0f;
    std::vector<Enemy_ShotPoint*> shotPoints;  // counted
    std::vector<RayParam*> rays;               // owned; null entries are free slots
    float aimPitch = 0.0f;
    float aimYaw = 0.0f;
    float aimRoll = 0.0f;
    Enemy_Dweli_Flare* flare = nullptr;  // counted

private:
    // The phase's table row after the clearing step: waypoints, attack step,
    // shot record, emitters, limit, banner; then the countdown and phase.
    void SetUpPhase(int n);
    void Explode(float size, BYTE flags = 0, const D3DXVECTOR3& offset = D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    // A ray from the generator's ray pool at the boss, or null.
    Bullet_Ray* LaunchRay(float width);
    void VanishAtPathEnd(MoveParam*) { Vanish(); }
    // One razer from the boss's position; false when none came.
    bool FireShot(const D3DXQUATERNION& orientation, float speed);
    // The volley clock shared by the wave and fan volleys: true when a volley is due.
    static bool VolleyDue(EnemyEx::ShotParam1& w, float dt);
    void FreeRays(bool endRays);

    bool deathStarted = false;
};
