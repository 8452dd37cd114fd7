// Base of every concrete enemy and boss: target, launch with a movement mode,
// waypoint paths, life cap, score award, the running attack patterns, auras
// and the spell-phase calls of the bosses.
#pragma once
#include <cstdint>
#include <set>
#include <vector>

#include <boost/function.hpp>

#include "game/enemy/Enemy.h"

class AttackParam;
class AuraParam;
class Player;

class EnemyEx : public Enemy {
public:
    // The next waypoint: offset from the reference position and the duration
    // of the segment that ends there.
    struct NextPos {
        float x = 0.0f;
        float y = 0.0f;
        float z = 0.0f;
        float duration = 0.0f;
    };

    class MoveParam {
    public:
        MoveParam();
        virtual ~MoveParam() = default;

        // Times, index, offsets and reference; the callbacks, the list and
        // refPoint stay.
        void Reset();
        void SetSegment(const Quorvex::AreaPos& reference, const D3DXVECTOR3& startOffset,
                        const D3DXVECTOR3& endOffset, float startTime, float endTime);
        // Durations from the distances at the given speed; the first point
        // keeps 0.
        void SetPath(const D3DXVECTOR3* points, int n, float speed);

        boost::function<NextPos(MoveParam*)> nextPos;
        int32_t waypointIndex = 0;
        std::vector<NextPos> waypoints;
        boost::function<void(MoveParam*)> onPathEnd;
        float endTime = 0.0f;
        float startTime = 0.0f;
        D3DXVECTOR3 endOffset;
        D3DXVECTOR3 startOffset;
        Quorvex::AreaPos reference;
        D3DXVECTOR3 refPoint;
    };

    // A fire-step state record that boss and enemy classes keep by value: the
    // level, 1.0 in scale, zeros elsewhere after a reset.
    struct ShotParam1 {
        float level = 0.0f;
        float timer = 0.0f;  // seconds
        float rest = 0.0f;   // seconds
        float clock = 0.0f;  // seconds
        int32_t counter = 0;
        float scale = 1.0f;

        void Reset(float ownerLevel);
    };

    typedef std::set<AttackParam*> AttackSet;

    EnemyEx(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
            const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator, EnemyListSet* listSet);
    ~EnemyEx() override;

    void Update(float dt) override;
    float GetDamage(Quorvex::Object* hitter) override;
    void Vanish() override;
    // Stands in for the plain gauge rule of a character.
    void AddGauge(float delta) override { RecoverLifeGauge(delta); }

    void Launch(const D3DXQUATERNION& orientation, Quorvex::ObjectManager* objectManager,
                const Quorvex::AreaPos& position, int mode, float life, const D3DXVECTOR3& homePoint);
    void SetLife(float v);
    void RecoverLifeGauge(float delta);
    void AwardScore();

    // Attack set.
    void SetAttackType(int id);
    AttackParam* CreateAttack(int id);
    void ClearAttacks();
    void SetAttackEnabled(bool flag);
    void UpdateAttacks(float dt);
    // The head of an ordinary enemy's frame: movement and attacks, then the
    // vanish once it is ageLimit seconds old. False when it is gone (path
    // used up, aged out): the frame stops there, so no shot leaves from
    // where it left.
    bool UpdateInPlay(float dt, float ageLimit);
    // 0 in range, 1 too near, 2 too far, 3 outside the forward cone, 4
    // outside the camera's view cone.
    static int CheckAttackRange(const D3DXVECTOR3& targetPos, const D3DXQUATERNION& shooterOrientation,
                                const D3DXVECTOR3& shooterPos, float minDist, float maxDist, float coneAngle,
                                float viewAngle);

    // Movement.
    MoveParam* GetMoveParam();
    NextPos NextWaypoint(MoveParam* moveParam);
    NextPos NextPosNear(MoveParam* moveParam);
    NextPos NextPosFar(MoveParam* moveParam);
    NextPos NextPosScatter(MoveParam* moveParam);
    NextPos NextPosTargetDir(MoveParam* moveParam);
    void MoveAlongPath(float dt);
    void MoveStraight(float dt);
    void MoveNone(float dt);
    void UpdateAttitude();

    // Auras: emitted around the enemy, following its movement of the frame.
    void UpdateAura(float dt, const D3DXVECTOR3& movement, AuraParam& aura);
    // The plain aura at half intensity, following the movement since before.
    void UpdateAuraSince(float dt, const Quorvex::AreaPos& before, AuraParam& aura);
    void UpdateAuraVariant1(float dt, const D3DXVECTOR3& movement, AuraParam& aura);
    void UpdateAuraVariant2(float dt, const D3DXVECTOR3& movement, AuraParam& aura);
    void UpdateAuraVariant3(float dt, const D3DXVECTOR3& movement, AuraParam& aura);
    void UpdateAuraVariant4(float dt, const D3DXVECTOR3& movement, AuraParam& aura);

    // Boss spell phases: banner and spell background.
    void StartSpellCard(const char* textureId, const wchar_t* title);
    void EndSpellCard();

    // The target's world position relative to the centre cell and its
    // velocity; zero without a target.
    D3DXVECTOR3 GetTargetPosition() const;
    D3DXVECTOR3 GetTargetVelocity() const;
    Player* GetTarget() const { return target; }
    // Replaces the counted target (null allowed).
    void SetTarget(Player* player);
    // A floating score at the enemy; an empty marker pool shows none.
    void ShowScoreMarker(float multiplier);

    Player* target = nullptr;  // counted, so a player that goes away leaves no dangling aim
    D3DXVECTOR3 homePoint;
    D3DXVECTOR3 velocity;
    D3DXVECTOR3 toTarget;
    D3DXVECTOR3 toTarget2;
    D3DXQUATERNION aimAtTarget;
    MoveParam* moveParam = nullptr;  // owned
    int64_t score = 0;
    float lifeCap = 0.0f;
    AttackSet attacks;  // owned
};

// Aim angles (pitch, yaw, 0) from one world position toward another.
D3DXVECTOR3 MakeAimAngles(const D3DXVECTOR3& from, const D3DXVECTOR3& to);
D3DXVECTOR3 MakeAimAngles(const Quorvex::AreaPos& from, const Quorvex::AreaPos& to);
D3DXQUATERNION MakeAimQuaternion(const D3DXVECTOR3& from, const D3DXVECTOR3& to);
D3DXQUATERNION MakeAimQuaternion(const Quorvex::AreaPos& from, const Quorvex::AreaPos& to);

// The movement modes of EnemyEx::Launch.
enum EnemyMoveMode {
    MoveModeNone = 0,
    MoveModePath = 1,
    MoveModeStraight = 2,
    MoveModeEmpty = 3,
    MoveModePath2 = 4,
};
