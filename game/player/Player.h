// The machine the user flies: a character with a rigid body that moves forward
// along +z, slides sideways and vertically inside a limit box, fires its shot
// set, takes damage, fills and spends the Zenk gauge and plays its own death.
#pragma once
#include <memory>
#include <vector>

#include "engine/assets/MeshInfo.h"
#include "engine/core/AreaPos.h"
#include "game/state/IPlayerView.h"
#include "game/world/Character.h"

namespace Quorvex {
class InputManager;
class ObjectManager;
class SoundUnit;
struct CalcVertexSet;
}  // namespace Quorvex

struct ID3DXAnimationController;
class AfterBurner;
class Bullet;
class Bullet_Ray4Factory;
class BlurManager;
class Character;
class LockonMarker;
class Marker;
class MarkerGenerator;
class OverTheSonic;
class SpellBg;
class WindEffect;

enum PlayerMode {
    PlayerModeNormal = 1,
    PlayerModeDead = 2,
    PlayerModeZenk = 3,
};

// The Zenk mode's bookkeeping.
struct ZenkRecord {
    float* gauge = nullptr;
    float elapsed = -1.0f;  // seconds since the start; below 0 when inactive
    float spare = 0.0f;
    float drain = 0.0f;      // gauge per second of held Zenk mode
    float startCost = 0.0f;  // gauge paid at the start
};

class Player : public Character, public IPlayerView {
public:
    // The initialise record.
    struct InitParam {
        Quorvex::InputManager* inputManager = nullptr;
        MarkerGenerator* markerGenerator = nullptr;  // may be null
        BlurManager* blurManager = nullptr;
    };

    // The special-weapon set the machine carries.
    class ShotSet {
    public:
        virtual ~ShotSet() = default;
        virtual void Reset() = 0;
        virtual float GetMissileRest() const = 0;
        virtual void AddMissile(float value) = 0;
    };

    // What the flight reads of the controls in one frame.
    struct FlightInput {
        bool reticleUp = false, reticleDown = false, reticleLeft = false, reticleRight = false;
        bool moveUp = false, moveDown = false, moveLeft = false, moveRight = false;
        bool accel = false, brake = false;
        bool zenk = false;  // Zenk mode active
    };

    // The flight model's state and arithmetic, apart from the input devices
    // and the physics body.
    struct Flight {
        D3DXVECTOR3 velocity{0.0f, 0.0f, 0.0f};
        float speed = 0.0f;
        float minSpeed = 833.4f;
        float maxSpeed = 2222.4f;
        float acceleration = 0.0f;
        float accelBase = -100.0f;
        float accelMaxOffset = 500.0f;
        float brakeMinOffset = -600.0f;
        D3DXVECTOR3 velocityMin{-1000.0f, -1000.0f, 833.4f};
        D3DXVECTOR3 velocityMax{1000.0f, 1000.0f, 2222.4f};
        D3DXVECTOR3 lateralAccel{800.0f, 800.0f, 0.0f};
        float speedLimitFactor = 0.05f;
        float altitudeLow = 200.0f;
        float altitudeHigh = 250.0f;
        float altitudeFactor = 0.05f;
        D3DXVECTOR3 reticleRate{0.0f, 0.0f, 0.0f};   // pitch, yaw, roll
        D3DXVECTOR3 reticleAngle{0.0f, 0.0f, 0.0f};  // pitch, yaw, roll
        D3DXVECTOR3 screenAim{0.0f, 0.0f, 0.0f};     // pitch, yaw, roll of the machine

        // The speed at 40 % from minimum to maximum.
        float CruiseSpeed() const { return minSpeed + 0.4f * (maxSpeed - minSpeed); }
        float SpeedRate() const;
        // Reticle rates and angles.
        void StepReticle(const FlightInput& input, float dt);
        // The reticle's screen point: x in aspect-scaled screen units, y in 0..1 down.
        D3DXVECTOR2 ReticleScreenPoint(float aspect) const;
        // The machine's attitude from the reticle's screen point (x unscaled).
        D3DXQUATERNION AttitudeFromScreen(float x, float y);
        // Velocity damping, acceleration, speed and lateral moves; altitude =
        // world y of the machine.
        void StepMotion(const FlightInput& input, float dt, float altitude);
    };

    Player(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager, const Quorvex::AreaPos& start);
    ~Player() override;

    using Character::Initialize;
    // Without a record there is no input: fails.
    int Initialize(int param) override;
    // 0, or -1 when a part of the machine fails to set up.
    int Initialize(const InitParam& record);
    void Reset();

    void Update(float dt) override;
    void PostUpdate() override {}
    void OnCollision(Quorvex::Object* other) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    void Draw() override;
    bool CanCollide(Object3D* other) override;
    void OnShotHit(Object3D* projectile) override;

    void SelectShotSet(int kind);
    ShotSet* GetShotSet() const { return m_shotSet.get(); }
    // The pool of the machine's large ray; its rays move with the machine.
    Bullet_Ray4Factory* GetRay4Factory() const { return m_ray4Factory; }
    int GetShotSetKind() const { return m_shotSetKind; }

    // The movement-limit box: per-axis enables, the reference position and
    // the offsets from it.
    void SetMoveLimit(const BYTE enable[3], const Quorvex::AreaPos& reference, const D3DXVECTOR3& minimum,
                      const D3DXVECTOR3& maximum);
    void ApplyMoveLimit();
    // The input the machine reads (the initialise record's).
    void SetInputManager(Quorvex::InputManager* input) { m_inputManager = input; }
    void BindDefaultKeys();
    void UpdateFlight(float dt);

    // (speed - minimum) / (maximum - minimum), at least 0, not capped.
    float GetSpeedRate() const override { return m_flight.SpeedRate(); }
    float GetSpeed() const override { return m_flight.speed; }
    float GetMinSpeed() const { return m_flight.minSpeed; }
    float GetMaxSpeed() const override { return m_flight.maxSpeed; }
    // The steering values and their limits (the camera's lag).
    const D3DXVECTOR3& GetVelocity() const override { return m_flight.velocity; }
    const D3DXVECTOR3& GetVelocityMin() const override { return m_flight.velocityMin; }
    const D3DXVECTOR3& GetVelocityMax() const override { return m_flight.velocityMax; }
    // Pitch, yaw, roll of the machine in radians.
    const D3DXVECTOR3& GetAttitude() const override { return m_flight.screenAim; }
    const Flight& GetFlight() const { return m_flight; }
    Flight& GetFlight() { return m_flight; }

    // The movement-limit box.
    const BYTE* GetMoveLimitEnable() const { return m_limitEnable; }
    const Quorvex::AreaPos& GetMoveLimitReference() const { return m_limitReference; }
    const D3DXVECTOR3& GetMoveLimitMinimum() const { return m_limitMin; }
    const D3DXVECTOR3& GetMoveLimitMaximum() const { return m_limitMax; }

    // The stages raise it while a dialogue runs: the machine cruises and does
    // not fight.
    void SetTalkFlag(BYTE flag) { m_talkFlag = flag; }
    BYTE GetTalkFlag() const { return m_talkFlag; }

    // Damage, invulnerability and the Zenk gauge.
    void AddZenkGauge(float value);
    float GetZenkGauge() const { return m_zenkGauge; }
    bool IsZenkActive() const { return m_zenk.elapsed >= 0.0f; }
    const ZenkRecord& GetZenkRecord() const { return m_zenk; }
    void UpdateZenkMode(float dt);
    void StartZenkMode();
    void EndZenkMode();
    float GetInvulnerableTime() const { return m_invulnerableTime; }
    void SetInvulnerableTime(float seconds) { m_invulnerableTime = seconds; }
    bool IsDead() const { return m_dead; }
    int GetDeathState() const { return m_deathState; }
    float GetOverkillRatio() const { return m_overkillRatio; }
    int GetMode() const { return m_mode; }
    float GetLifeValue() const;
    float GetMaxLife() const;
    float GetGunHeat() const { return m_gunHeat; }
    bool IsOverheated() const { return m_overheat; }
    // The pilot's bank animation state: 1 neutral, 2 to 4 right, 5 to 7 left.
    int GetBankState() const { return m_bankState; }

    // The reticle's screen point (x aspect-scaled, y 0..1 down).
    const D3DXVECTOR2& GetReticlePosition() const { return m_reticle; }
    LockonMarker* GetLockonMarker() const { return m_lockonMarker; }
    MarkerGenerator* GetMarkerGenerator() const { return m_markerGenerator; }
    Quorvex::InputManager* GetInputManager() const { return m_inputManager; }

    // Damage of a projectile hit before the invulnerability and life rules.
    static float ProjectileDamage(float attackPower, float speedRate, bool zenk, float damageFactor);
    // Zenk charge of one hit of the player's own projectile.
    static float ShotHitCharge(const char* typeName, float speedRate, bool zenk);
    // Per-frame passive fill and regeneration, and the speed score.
    static float PassiveZenkFill(float speedRate, float dt);
    static float RegenerationRate(float speedRate);
    static int SpeedScore(float speedRate);

    // Read and written by the explosion effects and the screen blur.
    D3DXVECTOR3 shakeVector{0.0f, 0.0f, 0.0f};
    // The blur centre: the reticle's screen point.
    D3DXVECTOR2 viewPoint{0.5f, 0.5f};
    const D3DXVECTOR2& GetViewPoint() const override { return viewPoint; }
    D3DXVECTOR3& ShakeVector() override { return shakeVector; }

private:
    void SetPilotModel(int type);
    void CreateBody();
    void UpdateAlive(float dt);
    void UpdateDead(float dt);
    void UpdateDeath(float dt);
    void UpdateEngineSound();
    void UpdateBankAnimation(float dt);
    void SetBankAnimation(int state);
    // Whether a previous bank track is fading out under the current one.
    bool IsCrossFading() const;
    void FireWeapons(float dt);
    // Firing of the shot sets: the special weapon (Shot1), the gun (Shot2)
    // and the Zenk launches (1 when they fired, so the rest stays silent).
    void FireSpecial_Normal(float dt);
    void FireGun_Normal(float dt);
    int FireZenk_Heavy(float dt);
    void FireSpecial_Heavy(float dt);
    void FireGun_Heavy(float dt);
    int FireZenk_Toska(float dt);
    void FireSpecial_Toska(float dt);
    void FireGun_Toska(float dt);
    // Shared steps: reload and cooldown, then whether Shot1 fires this frame.
    bool PrepareSpecial(float dt, bool allowZenk);
    // The special weapons of the three sets.
    enum SpecialWeapon { WeaponMissile = 1, WeaponNuke = 2, WeaponAmulet = 3 };
    // One firing frame of Shot1: one weapon at the first locked marker, or
    // one without a target.
    void FireSpecial(float dt, bool allowZenk, int weapon);
    // The first marker of the lock list in state 1, now marked fired; its
    // target comes with a reference the caller releases.
    Marker* TakeLock(Character** target);
    // Launches one weapon; false when none could be launched.
    bool LaunchSpecial(int weapon, Character* target, Marker* marker);
    bool LaunchNuke(int kind, Character* target, Marker* marker);
    void ReleaseLockon();
    // The lock each lock-on takes: 100 with the Normal set, 200 with the others.
    void ApplyLockAmount();
    void AfterSpecial(int launched);
    // Heat, cooldown and trigger of the gun; true when it fires this frame.
    bool PrepareGun(float dt);
    // The gun's aim from the reticle through the camera.
    D3DXQUATERNION GunAim() const;
    void PlayGunSound();
    void AddSpeedScore();
    bool CommandOn(const char* name) const;
    bool CommandPressed(const char* name) const;
    FlightInput ReadFlightInput() const;
    void SetReticle(const D3DXVECTOR2& position);
    void ReleaseModel();

    Quorvex::InputManager* m_inputManager = nullptr;
    Quorvex::MeshInfo m_pilotMesh;
    std::vector<AfterBurner*> m_attached;  // counted
    LockonMarker* m_lockonMarker = nullptr;      // counted
    MarkerGenerator* m_markerGenerator = nullptr;  // counted
    int m_mode = PlayerModeNormal;
    int m_characterType = 0;
    ID3DXAnimationController* m_animation = nullptr;
    int m_bankState = 1;
    float m_blendWeight = -1.0f;
    int m_track = 0;
    int m_previousTrack = -1;
    double m_animPosition = 0.0;
    Flight m_flight;
    Quorvex::AreaPos m_previousPosition;
    BYTE m_talkFlag = 0;
    bool m_regenerate = true;
    float m_invulnerableTime = 0.0f;
    int m_invulnerableFrames = 0;
    int m_shotSetKind = 0;
    std::unique_ptr<ShotSet> m_shotSet;
    ZenkRecord m_zenk;
    float m_zenkGauge = 1.0f;
    SpellBg* m_spellBg = nullptr;                   // counted
    float m_gunHeat = 0.0f;
    bool m_overheat = false;
    Bullet_Ray4Factory* m_ray4Factory = nullptr;  // counted
    OverTheSonic* m_overTheSonic = nullptr;       // counted
    float m_sonicTimer = 0.0f;
    WindEffect* m_windEffect = nullptr;           // counted
    bool m_dead = false;
    int m_deathState = 0;
    float m_deathTimer = 0.0f;
    int m_deathCount = 0;
    float m_overkillRatio = 0.0f;
    BYTE m_limitEnable[3] = {0, 1, 0};
    Quorvex::AreaPos m_limitReference;
    D3DXVECTOR3 m_limitMin{0.0f, 50.0f, 0.0f};
    D3DXVECTOR3 m_limitMax{0.0f, 250.0f, 0.0f};
    D3DXVECTOR2 m_reticle{0.5f, 0.5f};
};
