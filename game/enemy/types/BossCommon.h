// What the pooled bosses share: their vanish, the phase clock with the HUD
// countdown, the one-second hold at a phase change, the stage's skip
// request, the set of bullets a spell keeps steering and the fire steps that
// more than one boss runs.
#pragma once
#include <cstdint>
#include <set>
#include <span>

#include <boost/bind/bind.hpp>
#include <boost/function.hpp>

#include "game/enemy/types/PooledEnemy.h"

class Bullet_Razer;

// Attacks cleared, life -1, removal, back to a list set and to the pool, and
// the current-boss pointer cleared when it names this boss.
void BossVanish(PooledEnemy* boss);

// The set-up of the bosses that carry a big body and follow the player's
// frame late (update priority 750): no turn, life and gauge 100 until the
// launch, the mesh of that id and the score of a phase. 0.
int InitializeBigBoss(EnemyEx* boss, int param, const char* meshId, int64_t score);

// The running stage moves past the point where it waits for the boss.
void BossSkipStage();
// Every enemy of object group 7 explodes (no score), in the running stage
// scene, or else in the one the generator was given.
void BossExplodeStageObjects(EnemyGenerator_Derive* generator);
// An explosion of that size at the boss (flag byte 0); nothing without an
// effect generator.
void BossExplode(Enemy* boss, float size);
// The HUD's remaining phase time (-1 hides it, 0 for an untimed phase).
void SetBossTimeLimit(float seconds);
// One frame of a phase's time limit: publishes the time left, advances the
// clock and answers true when the limit is reached. Without a limit (< 0) it
// publishes 0 and answers false.
bool StepBossPhaseClock(float& clock, float limit, float dt);
// One movement segment from where the boss is (its offset from the enemy
// generator) to that offset plus by, over the given time.
void MoveBossBy(EnemyEx* boss, const D3DXVECTOR3& by, float seconds);
// The boss holds still where it is for the given time.
void HoldBossInPlace(EnemyEx* boss, float seconds);
// The common end of a phase change: the HUD countdown hidden, a hold where
// the boss is for the given time, then the phase's waypoints.
void SettleBossPhase(EnemyEx* boss, float holdSeconds,
                     const boost::function<EnemyEx::NextPos(EnemyEx::MoveParam*)>& next);
// The long entry path of the phase-table bosses, from 3000 ahead to 1500
// ahead, ending in the given path-end callback.
void SetBossLongEntryPath(EnemyEx* boss, const boost::function<void(EnemyEx::MoveParam*)>& onPathEnd);
// The boss's offset from the enemy generator (from the centre without one).
D3DXVECTOR3 BossOffsetFromGenerator(const EnemyEx* boss);
// One row of a boss's phase table: what the phase sets up when it begins and
// how it ends when the boss's life runs out in it.
template <class Boss>
struct BossPhase {
    // The last fight phase: the stage moves past the boss, which waits in
    // phase 2.
    static constexpr int kStageMovesOn = -1;

    int phase;
    EnemyEx::NextPos (Boss::*move)(EnemyEx::MoveParam*);  // waypoints; null: none
    void (Boss::*step)(float);                            // per-frame step; null: none
    const wchar_t* spellTitle;                            // a spell attack; null: none
    float life;                                           // life and third gauge; < 0: kept
    bool closesSpell;                                     // life 0 closes the spell banner
    float explosion;                                      // blast size at life 0; 0: none
    int next;                                             // the phase after; 0: none
};

template <class Boss>
const BossPhase<Boss>* FindBossPhase(std::span<const BossPhase<Boss>> table, int phase) {
    for (const BossPhase<Boss>& row : table)
        if (row.phase == phase) return &row;
    return nullptr;
}

// The start of the row's phase: its waypoints into next, its step into step,
// its spell attack (banner texture spellKey) and its life. Nothing without a
// row.
template <class Boss>
void BeginBossPhase(Boss* boss, const BossPhase<Boss>* row, const char* spellKey,
                    boost::function<EnemyEx::NextPos(EnemyEx::MoveParam*)>& next,
                    boost::function<void(float)>& step) {
    if (!row) return;
    using boost::placeholders::_1;
    if (row->move) next = boost::bind(row->move, boss, _1);
    if (row->step) step = boost::bind(row->step, boss, _1);
    if (row->spellTitle) boss->StartSpellCard(spellKey, row->spellTitle);
    if (row->life >= 0.0f) *boss->GetLife() = *boss->GetGauge2() = row->life;
}

// The boss's NextPhase: the phase after the row's through its SetPhase.
template <class Boss>
void AdvanceBossPhase(Boss* boss, const BossPhase<Boss>* row) {
    if (!row || row->next == 0) return;
    if (row->next == BossPhase<Boss>::kStageMovesOn) {
        BossSkipStage();
        boss->SetPhase(2);
        return;
    }
    boss->SetPhase(row->next);
}

// Life 0 in the row's phase: the banner closed and the blast as the row
// says, the score, then the next phase.
template <class Boss>
void EndBossPhaseByLife(Boss* boss, const BossPhase<Boss>* row) {
    if (row && row->closesSpell) boss->EndSpellCard();
    if (row && row->explosion > 0.0f) BossExplode(boss, row->explosion);
    boss->AwardScore();
    boss->NextPhase();
}

// A uniform number in [0, 1) from two 15-bit draws.
float BossRandom();
// a then b.
D3DXQUATERNION BossTurn(const D3DXQUATERNION& a, const D3DXQUATERNION& b);
// The pitch toward the target from the boss.
float BossPitchToTarget(const EnemyEx* boss);

// The bullets a spell keeps and steers. Each held bullet carries a counted
// reference and a return callback that drops it when it ends early; clearing
// empties each callback before releasing.
class BulletHoldSet {
public:
    BulletHoldSet() = default;
    BulletHoldSet(const BulletHoldSet&) = delete;
    BulletHoldSet& operator=(const BulletHoldSet&) = delete;
    virtual ~BulletHoldSet();

    void Add(Bullet_Razer* bullet);
    // Bound as the return callback of each held bullet.
    void Remove(void* bullet);
    void Clear();

    int32_t word = 0;
    float angle = 0.0f;  // radians, turning ring of the rain drops
    std::set<Bullet_Razer*> bullets;  // counted
    float timer = 0.0f;
};

// The shape of one rain-ring fire step.
struct RainRingShape {
    int rings;
    int dropsPerRing;
    float interval;
};

// Rings of held drops around the boss. Each drop flies by its ring offset as
// its own velocity, so it keeps flying once let go; while held it is also
// steered along its facing at a speed that follows the player's (100 + 300 x
// speed rate). Nothing until the state's clock reaches 3 s (the caller runs
// the clock).
void BossRainRings(EnemyEx* boss, float dt, const EnemyEx::ShotParam1& state, BulletHoldSet& held,
                   const RainRingShape& shape);

// The range test of the bosses' fire steps at that level (clamped): the
// target 50 + 300 x (1 - level) to 2000 - 500 x (1 - level) away, inside the
// 110-degree cone and the 100-degree view.
bool BossInFireRange(const EnemyEx* boss, float level);

// The stage-2 boss's sweep patterns: lines of shots in fixed directions
// around -z that move from volley to volley (N1, or S1 with spell). Range
// test first, then the step, then clock += dt.
void BossSweepPattern(EnemyEx* boss, bool spell, float dt, EnemyEx::ShotParam1& record);

// One Bullet_Razer from a position with an orientation, speed factor and
// colour type (negative: the pool's cell), at the boss's level with the
// target's velocity. False when the pool is missing or exhausted.
bool BossFireRazer(EnemyEx* boss, const Quorvex::AreaPos& from, const D3DXQUATERNION& orientation, float speed,
                   int colour);
// The same, keeping the launched bullet: answered with one reference for the
// caller (null when none was launched or the pool's product is no razer).
Bullet_Razer* BossFireHeldRazer(EnemyEx* boss, const Quorvex::AreaPos& from, const D3DXQUATERNION& orientation,
                                float speed, const D3DXVECTOR3& vector);
// Sets the atlas cell (column, row) of a launched bullet that shows an atlas
// sprite.
void BossSetShotCell(Quorvex::IFactoryProduct* shot, int column, int row);

// A pooled boss driven by numbered phases: each phase has a per-frame step,
// a clock and a time limit; a phase ends at life 0 or at its limit through
// EndPhase; hits are ignored while the guard runs.
class PhaseBoss : public PooledEnemy {
public:
    // Stays out of the world until its launch.
    PhaseBoss(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
              const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator);
    ~PhaseBoss() override;

    // Ignored without a hitter, while the guard runs or unless the hitter is
    // a player projectile; life 0 ends the phase.
    void Hit(Quorvex::Object* hitter) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    void UpdateWorldMatrix() override;
    void Vanish() override { BossVanish(this); }

    virtual void Launch(const Quorvex::AreaPos& start, const D3DXQUATERNION& orientation,
                        Quorvex::ObjectManager* objectManager) = 0;
    // The phase is spent: its life reached 0 or its time limit passed.
    virtual void EndPhase() = 0;

    int32_t phase = 0;
    boost::function<void(float)> phaseCallback;
    float hitGuard = 0.0f;  // seconds
    float phaseClock = 0.0f;
    float phaseLimit = -1.0f;  // -1: none

protected:
    void LaunchFrom(const EnemySpawnParam& record) override;
    // The common start of a phase change: no step, no limit, clock 0.
    void EnterPhase(int n);
    // The fixed entry path ending in the given path-end callback; its
    // reference point is where the boss starts.
    void SetEntryPath(const boost::function<void(EnemyEx::MoveParam*)>& onPathEnd);
    // Life and third gauge.
    void RefillLife(float life);
    // The first steps of a frame: movement, attacks, the phase's time limit
    // (which may end the phase) and the phase's step.
    void RunPhaseFrame(float dt);
};
