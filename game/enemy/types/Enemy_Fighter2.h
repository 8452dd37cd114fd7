// The small fairy, and in its doll look the stage-5 boss's doll. A hundred of
// them are built once into the generator's list set and launched again and
// again; two fire steps of its own, the framework's attack patterns
// otherwise, and a skinned animation that follows its sideways motion.
#pragma once
#include "engine/assets/AdditionalMaterial.h"
#include "game/enemy/AuraParam.h"
#include "game/enemy/EnemyEx.h"
#include "game/enemy/types/EnemyTypeCommon.h"

class Fighter2BehaviorParam;
struct ShotSpawnParam;

class Enemy_Fighter2 : public EnemyEx, public TurnAnimation {
public:
    static constexpr float kLife = 100.0f;
    static constexpr int64_t kScore = 12;
    static constexpr float kAgeLimit = 100.0f;
    static constexpr float kExplosionSize = 40.0f;
    // The built-in fire steps (any other attack type is an EnemyEx pattern).
    static constexpr int kAimedBursts = 2;
    static constexpr int kCrossVolleys = 3;

    Enemy_Fighter2(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                   const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator, EnemyListSet* listSet);
    ~Enemy_Fighter2() override;

    using EnemyEx::Initialize;
    int Initialize(int param) override;
    void Update(float dt) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    void UpdateWorldMatrix() override;
    void Hit(Quorvex::Object* hitter) override { Hit(*this, hitter); }
    void Discard() override;
    void Vanish() override;

    // The hit rule shared by most ordinary enemies: only player-side
    // projectiles count, and only while the enemy is alive (a contact is
    // reported once per contact point). True when this hit took the last
    // life; life then stands at 0.
    static bool TakeHit(EnemyEx& enemy, Quorvex::Object* hitter);
    // TakeHit, and on the kill: explosion of size 40, score, Vanish.
    static void Hit(EnemyEx& enemy, Quorvex::Object* hitter);

    // Path mode 4 with life 100, attack type 2, the shot record reset to the
    // level (the first shot waits 0.25 x (1 - level) s longer), the fairy
    // look, and a Vanish when the path is used up.
    void Launch(const Quorvex::AreaPos& position, const D3DXQUATERNION& orientation,
                Quorvex::ObjectManager* objectManager);
    // 0 fairy (random colour), 1 doll, other: fairy mesh without colour.
    void SetLook(int look);
    // An empty layer pointed at the mesh part "Mesh_fairy_j".
    static Quorvex::AdditionalMaterial MakeFairyJLayer(Quorvex::MeshUnit* mesh);

    void FireAimedBursts(float dt);
    void FireCrossVolleys(float dt);
    // One diagonal step of an X: the centre shot at step 0, the two shots k
    // places out at step k (step < 0: every shot of the line).
    void FireDiagonalStep(ShotSpawnParam& record, int step, int count);
    void UpdateAnimation(float dt);
    int PlayAnimationState(int track, int state);

    // The doll behaviours' record, made on first use.
    Fighter2BehaviorParam* GetBehavior();

    int32_t look = 0;
    int32_t colour = 0;
    Quorvex::AdditionalMaterial colourLayer;
    int32_t attackType = kAimedBursts;
    // The built-in fire steps' state: level, timer, step counter, the aim,
    // the base velocity of the shots and the flags.
    struct ShotState {
        float level = 1.0f;
        float timer = 0.0f;
        int32_t counter = 0;
        D3DXQUATERNION aim{0.0f, 0.0f, 0.0f, 1.0f};
        D3DXVECTOR3 baseVelocity{0.0f, 0.0f, 0.0f};
        int32_t flags = 0;
        // The level kept, everything else zero and the aim identity.
        void Reset(float shotLevel) {
            *this = ShotState();
            level = shotLevel;
        }
    } shot;
    static constexpr int32_t AimTaken = 1;
    static constexpr int32_t Mirrored = 2;
    AuraParam aura;
    Fighter2BehaviorParam* behavior = nullptr;  // owned
    ID3DXAnimationController* animation = nullptr;  // counted

protected:
    int PlayTurnSet(int state) override { return PlayAnimationState(0, state); }

private:
    void EnsureAnimation();
    void ReleaseAnimation();
    // The shot aim toward the target's predicted point, smoothed after the
    // first one of a run.
    void TakeAim(float dt, float jitterDegrees);
    void VanishAtPathEnd(EnemyEx::MoveParam*) { Vanish(); }
};

// Slerps from toward to by a fraction that grows with the rate and with the
// angle between them (capped at the whole way).
void TurnToward(D3DXQUATERNION& out, const D3DXQUATERNION& from, const D3DXQUATERNION& to, float rate);
// from x (1 - t) + to x t with t capped at 1 (not floored).
void LerpClamped(D3DXVECTOR3& out, const D3DXVECTOR3& from, const D3DXVECTOR3& to, float t);
