#include "game/enemy/types/Enemy_Fesko.h"

#include <algorithm>
#include <cmath>

#include <boost/bind/bind.hpp>

#include "engine/core/Utility.h"
#include "game/enemy/AttackParam.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/types/BossCommon.h"
#include "game/enemy/types/EnemyTypeCommon.h"
#include "game/state/Environment2.h"

using boost::placeholders::_1;

namespace {

constexpr float kTenDegrees = 0.17453294f;

const wchar_t* const kSpellTitle = L"妖符「フェアリーサークル」";

}  // namespace

Enemy_Fesko::Enemy_Fesko(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                         const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator_, EnemyListSet* /*listSet*/)
    : PooledEnemy(objectManager, areaManager, position, generator_, nullptr) {
    patternA.scale = 1.0f;
    patternB.scale = 1.0f;
    // A pooled boss stays out of the world until its launch.
    RequestRemove(true);
}

Enemy_Fesko::~Enemy_Fesko() { onPhase.clear(); }

int Enemy_Fesko::Initialize(int param) {
    return InitializeMeshEnemy(this, param, "Mesh_Fairy", L"EnemyFighterBig", 1200);
}

void Enemy_Fesko::LaunchFrom(const EnemySpawnParam& record) { Launch(record.position, record.manager); }

void Enemy_Fesko::Launch(const Quorvex::AreaPos& start, Quorvex::ObjectManager* objectManager) {
    EnemyEx::Launch(D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f), objectManager, start, MoveModePath2, kLaunchLife,
                    D3DXVECTOR3(314.0f, 314.0f, 471.0f));
    drift = g_pEnvironment2 ? g_pEnvironment2->sharedVector : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    hitCooldown = 0.0f;
    patternA.Reset(level);
    patternB.Reset(level);
    m_areaPos = start;
    SetPhase(1);
    phaseTime = 0.0f;
    phaseLimit = -1.0f;
    if (g_pEnvironment2) g_pEnvironment2->currentBoss = this;
}

void Enemy_Fesko::Vanish() { BossVanish(this); }

void Enemy_Fesko::Render(Quorvex::CalcVertexSet* list) { EnemyRenderMesh(this, list); }

void Enemy_Fesko::UpdateWorldMatrix() { EnemyUpdateWorldMatrix20(this); }

void Enemy_Fesko::Update(float dt) {
    const Quorvex::AreaPos before = m_areaPos;
    Enemy::Update(dt);
    UpdateAttacks(dt);
    // A time-out ends the phase as a kill would.
    if (StepBossPhaseClock(phaseTime, phaseLimit, dt)) OnPhaseLifeZero();
    if (age >= kMaxAge) Vanish();
    RunStoredStep(onPhase, dt);
    UpdateAuraSince(dt, before, aura);
    hitCooldown = std::max(hitCooldown - dt, 0.0f);
}

void Enemy_Fesko::Hit(Quorvex::Object* other) {
    if (!other || hitCooldown > 0.0f) return;
    if (!other->CheckGroupFlag(GroupPlayerSide) || !other->CheckGroupFlag(GroupProjectile)) return;
    // One kill pays once: a vanished boss (life -1) and a beaten one (life
    // left at 0 by the paying kill of phase 4, through phases 11 and 5) take
    // no more hits. Phase 3 pays nothing and starts on whatever life the
    // entry and hover left, so there a drained life ends it at the first hit.
    if (m_life < 0.0f || (m_life == 0.0f && phase != 3)) return;
    m_life = std::max(m_life - GetDamage(other), 0.0f);
    if (m_life == 0.0f) OnPhaseLifeZero();
}

void Enemy_Fesko::SetPhase(int n) {
    onPhase.clear();
    phaseLimit = -1.0f;
    phase = n;
    phaseTime = 0.0f;
    boost::function<NextPos(MoveParam*)> next;
    MoveParam* mp = GetMoveParam();

    switch (n) {
    case 1: {
        const D3DXVECTOR3 points[3] = {D3DXVECTOR3(700.0f, 200.0f, 2000.0f), D3DXVECTOR3(200.0f, 200.0f, 1300.0f),
                                       D3DXVECTOR3(0.0f, 0.0f, 700.0f)};
        mp->SetPath(points, 3, 350.0f);
        mp->onPathEnd = boost::bind(&Enemy_Fesko::OnPathEnd, this, _1);
        break;
    }
    case 2:
        next = boost::bind(&EnemyEx::NextPosNear, this, _1);
        break;
    case 3:
        next = boost::bind(&EnemyEx::NextPosNear, this, _1);
        onPhase = boost::bind(&Enemy_Fesko::PhaseNormal, this, _1);
        patternA.Reset(level);
        patternB.Reset(level);
        phaseLimit = kNormalLimit;
        break;
    case 4:
        next = boost::bind(&EnemyEx::NextPosNear, this, _1);
        onPhase = boost::bind(&Enemy_Fesko::PhaseSpell, this, _1);
        patternA.Reset(level);
        patternB.Reset(level);
        StartSpellCard("spellFesko", kSpellTitle);
        phaseLimit = kSpellLimit;
        break;
    case 5:
        BossSkipStage();
        break;
    case 11: {
        // From where the boss is, as an offset from the path's reference.
        const D3DXVECTOR3 points[3] = {BossOffsetFromGenerator(this),
                                       D3DXVECTOR3(200.0f, 200.0f, 1200.0f), D3DXVECTOR3(-400.0f, 0.0f, 2000.0f)};
        mp->SetPath(points, 3, 250.0f);
        mp->onPathEnd = boost::bind(&Enemy_Fesko::VanishAtPathEnd, this, _1);
        break;
    }
    case 12:
        BossExplode(this, 80.0f);
        Vanish();
        break;
    default:
        break;
    }

    // Every phase begins with a hold where the boss is.
    SettleBossPhase(this, kPhaseHold, next);
}

void Enemy_Fesko::LeaveFight() {
    SetPhase(5);
    MoveBossBy(this, kLeaveMove, kPhaseHold);
    // Nothing left of an earlier path: the move's end leads to the exit path.
    MoveParam* mp = GetMoveParam();
    mp->waypoints.clear();
    mp->waypointIndex = 0;
    mp->onPathEnd = boost::bind(&Enemy_Fesko::OnPathEnd, this, _1);
}

void Enemy_Fesko::OnPathEnd(EnemyEx::MoveParam*) {
    switch (phase) {
    case 1:
    case 4:
        SetPhase(2);
        break;
    case 3:
        SetPhase(4);
        break;
    case 5:
        SetPhase(11);
        break;
    default:
        break;
    }
}

void Enemy_Fesko::OnPhaseLifeZero() {
    switch (phase) {
    case 3:
        BossExplode(this, 40.0f);
        m_life = kSpellLife;
        m_gauge2 = kSpellLife;
        SetPhase(4);
        break;
    case 4:
        EndSpellCard();
        BossExplode(this, 60.0f);
        AwardScore();
        SetPhase(11);
        BossSkipStage();
        break;
    case 5:
        BossExplode(this, 40.0f);
        AwardScore();
        Vanish();
        BossSkipStage();
        break;
    default:
        break;
    }
}

void Enemy_Fesko::PhaseNormal(float dt) {
    if (patternA.clock >= kPatternLimit) OnPathEnd();
    RunPattern(PatternN1, dt, &patternA);
    RunPattern(PatternN2, dt, &patternB);
}

void Enemy_Fesko::PhaseSpell(float dt) {
    if (patternA.clock >= kPatternLimit) OnPathEnd();
    RunPattern(PatternS1, dt, &patternA);
    RunPattern(PatternS2, dt, &patternB);
}

void Enemy_Fesko::RunPattern(Pattern pattern, float dt, EnemyEx::ShotParam1* record) {
    if (!record || !target) return;
    if (pattern == PatternN1 || pattern == PatternS1) {
        BossSweepPattern(this, pattern == PatternS1, dt, *record);
        return;
    }
    if (!BossInFireRange(this, record->level)) return;
    AimedStep(pattern == PatternS2, dt, *record);
    record->clock += dt;
}

void Enemy_Fesko::AimedStep(bool spell, float dt, EnemyEx::ShotParam1& w) {
    const float l = std::clamp(w.level, 0.0f, 1.0f);
    w.rest = std::max(w.rest - dt, 0.0f);
    w.timer = std::max(w.timer - dt, 0.0f);
    const float interval = 0.15f - 0.1f * l;
    const float pause = 2.0f - 1.5f * l;
    const int burst = spell ? static_cast<int>(30.0f * l) : static_cast<int>(10.0f + 20.0f * l);
    const int ways = spell ? static_cast<int>(1.0f + 6.0f * l) : 1;
    const float jitter = spell ? 0.03490659f : 0.08726647f;
    const float h = std::max((ways - 1) * 0.5f, 0.0f);
    if (w.rest != 0.0f || w.timer != 0.0f) return;

    const D3DXQUATERNION aim = MakeAimQuaternion(GetWorldPosition(), GetTargetPosition());
    for (int s = 0; s < ways; ++s) {
        const float pitch = (Quorvex::RandomFloat() - 0.5f) * jitter;
        const float yaw = (Quorvex::RandomFloat() - 0.5f) * jitter + (s - h) * kTenDegrees;
        BossFireRazer(this, m_areaPos, BossTurn(aim, Quorvex::YawPitchRollQuaternion(yaw, pitch, 0.0f)), 1.0f, 1);
        w.counter += 1;
        if (w.counter >= burst) {
            w.counter = 0;
            w.rest = pause;
        }
        w.timer += interval;
    }
}
