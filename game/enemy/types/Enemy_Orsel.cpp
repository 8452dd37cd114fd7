#include "game/enemy/types/Enemy_Orsel.h"

#include <algorithm>
#include <cmath>

#include <boost/bind/bind.hpp>

#include "engine/assets/MeshUnit.h"
#include "engine/core/Utility.h"
#include "game/enemy/AttackParam.h"
#include "game/enemy/AttackParam_Laser.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/types/BossCommon.h"
#include "game/enemy/types/EnemyTypeCommon.h"
#include "game/enemy/types/Enemy_Fighter2.h"
#include "game/enemy/types/Enemy_OrselDoll.h"
#include "game/player/Player.h"
#include "game/state/Environment2.h"

using boost::placeholders::_1;

namespace {

constexpr float kTwoPi = 6.2831853f;
constexpr float kPi = 3.14159265f;

D3DXQUATERNION Yaw(float a) { return Quorvex::YawPitchRollQuaternion(a, 0.0f, 0.0f); }

float Frac(float x) { return x - std::floor(x); }

// position := position + (goal - position) x f
void MoveToward(Quorvex::Object3D* object, const Quorvex::AreaPos& goal, float f) {
    const Quorvex::AreaPos from = object->GetAreaPos();
    object->SetAreaPos(from.Translated(Quorvex::AreaPos::Difference(goal, from) * f));
}

D3DXVECTOR3 TurnedZ(D3DXVECTOR3 v, float angle) {
    Quorvex::RotateZ(v, angle);
    return v;
}

}  // namespace

// ---------------------------------------------------------------------------
// Records

void Enemy_Orsel::CircleRecord::Reset() {
    started = 0;
    t = 0.0f;
    cooldown = 0.0f;
    cooldown2 = 0.0f;
    volleys = 0;
    std::fill(std::begin(once), std::end(once), uint8_t{0});
    if (doll) doll->Release();
    doll = nullptr;
}

void Enemy_Orsel::StepRecord::NextLaunch(int launches, float gap, float pause) {
    if (++index < launches) {
        cooldown += gap;
    } else {
        volleys += 1;
        index = 0;
        cooldown += pause;
    }
}

void Enemy_Orsel::ResetParamRecord(ParamRecord& record) { record = ParamRecord(); }

// ---------------------------------------------------------------------------
// Life cycle

Enemy_Orsel::Enemy_Orsel(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                         const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator_, EnemyListSet* /*listSet*/)
    : PooledEnemy(objectManager, areaManager, position, generator_, nullptr), TurnAnimation(kTurnSpeed, kTrackSpeed) {
    // A pooled boss stays out of the world until its launch.
    RequestRemove(true);
}

Enemy_Orsel::~Enemy_Orsel() {
    // A boss that dies with its pool while still current leaves no dangling pointer.
    if (g_pEnvironment2 && g_pEnvironment2->currentBoss == this) g_pEnvironment2->currentBoss = nullptr;
    phaseStep.clear();
    for (Quorvex::Object* owned : ownedObjects) owned->Release();
    ownedObjects.clear();
    circle.Reset();
    if (animation) animation->Release();
    animation = nullptr;
}

int Enemy_Orsel::Initialize(int param) { return InitializeBigBoss(this, param, "Mesh_Orsel", kScore); }

void Enemy_Orsel::LaunchFrom(const EnemySpawnParam& record) { Launch(record.position); }

void Enemy_Orsel::Launch(const Quorvex::AreaPos& position) {
    EnemyEx::Launch(D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f), GetObjectManager(), position, MoveModePath2, kLaunchLife,
                    D3DXVECTOR3(157.0f, 157.0f, 157.0f));
    SetGroupFlag(GroupSweptAtPhaseChange, false);
    invulnerableTime = 0.0f;
    ResetParamRecord(dollRecords[0]);
    dollRecords[0].position = position;
    m_areaPos = position;
    SetPhase(1);
    ResetTurnAnimation();
    if (g_pEnvironment2) g_pEnvironment2->currentBoss = this;
}

void Enemy_Orsel::Discard() {
    if (animation) animation->Release();
    animation = nullptr;
    for (Quorvex::Object* owned : ownedObjects) owned->Release();
    ownedObjects.clear();
    Vanish();
}

void Enemy_Orsel::Vanish() { BossVanish(this); }

void Enemy_Orsel::Render(Quorvex::CalcVertexSet* list) { EnemyRenderMesh(this, list); }

void Enemy_Orsel::UpdateWorldMatrix() {
    EnemyUpdateWorldMatrix20(this, kScale);
    if (animation) animation->AdvanceTime(0.0, nullptr);
}

void Enemy_Orsel::Update(float dt) {
    const Quorvex::AreaPos before = m_areaPos;
    Enemy::Update(dt);
    UpdateAttacks(dt);
    RunStoredStep(phaseStep, dt);
    UpdateAuraSince(dt, before, aura);
    if (target) m_orientation = MakeAimQuaternion(m_areaPos, target->GetAreaPos());
    UpdateAnimation(dt);
    invulnerableTime = std::max(invulnerableTime - dt, 0.0f);
}

void Enemy_Orsel::Hit(Quorvex::Object* hitter) {
    if (!hitter || invulnerableTime > 0.0f) return;
    if (!hitter->CheckGroupFlag(GroupPlayerSide) || !hitter->CheckGroupFlag(GroupProjectile)) return;
    // One kill pays once. Every fight phase sets its own life on entry, so
    // a life at 0 was already paid for (a phase with nothing after it keeps
    // the boss at 0 through the closing dialogue); -1 is a vanished boss.
    if (m_life <= 0.0f || IsRemoveRequested()) return;
    m_life = std::max(m_life - GetDamage(hitter), 0.0f);
    if (m_life == 0.0f) OnPhaseLifeEmpty();
}

// ---------------------------------------------------------------------------
// Phase machine

const BossPhase<Enemy_Orsel>* Enemy_Orsel::FindPhase(int n) {
    using Row = BossPhase<Enemy_Orsel>;
    static const Row kPhases[] = {
        // phase, waypoints, step, spell attack, life, closes the spell, blast, next
        {1, nullptr, nullptr, nullptr, -1.0f, false, 0.0f, 2},
        {2, &EnemyEx::NextPosNear, nullptr, nullptr, 5000.0f, false, 0.0f, 0},
        {3, &EnemyEx::NextPosScatter, &Enemy_Orsel::OrdinaryStep, nullptr, 4000.0f, false, 40.0f, 4},
        {4, &EnemyEx::NextPosNear, &Enemy_Orsel::SpellStep1, L"人形「スローイングドール」", 12000.0f, true, 60.0f, 5},
        {5, &EnemyEx::NextPosFar, &Enemy_Orsel::OrdinaryStep, nullptr, 4000.0f, false, 40.0f, 7},
        {7, &EnemyEx::NextPosNear, &Enemy_Orsel::SpellStep2, L"人形「サークルダンス」", 10000.0f, true, 60.0f, 8},
        {8, &EnemyEx::NextPosFar, &Enemy_Orsel::OrdinaryStep, nullptr, 2000.0f, false, 40.0f, 9},
        // Its banner stays up until phase 11 opens its own.
        {9, &EnemyEx::NextPosNear, &Enemy_Orsel::SpellStep3, L"人形「クロスマリオネット」", 12000.0f, false, 60.0f, 11},
        {11, &EnemyEx::NextPosFar, &Enemy_Orsel::SpellStep4, L"人形「ペンタグラムパレード」", 10000.0f, true, 60.0f,
         Row::kStageMovesOn},
    };
    return FindBossPhase<Enemy_Orsel>(kPhases, n);
}

void Enemy_Orsel::SetPhase(int n) {
    phaseStep.clear();
    phase = n;
    boost::function<NextPos(MoveParam*)> next;
    if (n == 1) SetBossLongEntryPath(this, boost::bind(&Enemy_Orsel::OnEntryPathEnd, this, _1));
    BeginBossPhase(this, FindPhase(n), "spellOrsel", next, phaseStep);

    ClearAttacks();
    phaseTime = 0.0f;
    ResetParamRecord(dollRecords[0]);
    ResetParamRecord(dollRecords[1]);
    for (StepRecord& step : steps) step = StepRecord();
    BossExplodeStageObjects(generator);
    invulnerableTime = kInvulnerableTime;
    SettleBossPhase(this, kHoldTime, next);
}

void Enemy_Orsel::OnPhaseLifeEmpty() { EndBossPhaseByLife(this, FindPhase(phase)); }

void Enemy_Orsel::NextPhase() { AdvanceBossPhase(this, FindPhase(phase)); }

// ---------------------------------------------------------------------------
// Phase steps

bool Enemy_Orsel::StepHead() {
    if (phaseTime >= kPhaseLimit) {
        NextPhase();
        return false;
    }
    SetBossTimeLimit(std::max(kPhaseLimit - phaseTime, 0.0f));
    return true;
}

bool Enemy_Orsel::PatternsActive() const { return target && phaseTime >= kOpeningPause; }

void Enemy_Orsel::OrdinaryStep(float dt) {
    if (!StepHead()) return;
    if (PatternsActive()) {
        EmitterStreams(dt);
        EmitterStreams2(dt);
        DollTrios(dt);
    }
    phaseTime += dt;
}

void Enemy_Orsel::SpellStep1(float dt) {
    if (!StepHead()) return;
    if (PatternsActive()) DollFan(dt);
    phaseTime += dt;
}

void Enemy_Orsel::SpellStep2(float dt) {
    if (!StepHead()) return;
    if (PatternsActive()) DollCircleBarrage(dt);
    phaseTime += dt;
}

void Enemy_Orsel::SpellStep3(float dt) {
    if (!StepHead()) return;
    if (PatternsActive()) DollCross(dt);
    phaseTime += dt;
}

void Enemy_Orsel::SpellStep4(float dt) {
    if (!StepHead()) return;
    if (PatternsActive()) {
        DollPentagon(dt);
        DollFan2(dt);
    }
    phaseTime += dt;
}

// ---------------------------------------------------------------------------
// Emitter streams

void Enemy_Orsel::FireShot(const Quorvex::AreaPos& from, const D3DXQUATERNION& orientation, float speed, int colour) {
    BossFireRazer(this, from, orientation, speed, colour);
}

void Enemy_Orsel::EmitterStreamsCommon(ParamRecord& rec, bool second, float dt) {
    const float l = std::clamp(level, 0.0f, 1.0f);
    const float h = 1.0f - l;
    rec.cooldown -= dt;
    if (rec.age >= 0.5f) {
        rec.age = 0.0f;
        rec.active = 0;
    }
    if (!rec.active) {
        rec.position = m_areaPos;
        rec.aim = MakeAimQuaternion(m_areaPos, target->GetAreaPos());
        rec.active = 1;
        if (second) rec.cooldown += 0.1f;
    }
    rec.position.Add(Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, 100.0f), rec.aim) * dt);
    if (CheckAttackRange(GetTargetPosition(), m_orientation, rec.position.ToWorld(), 150.0f + 200.0f * h,
                         2500.0f - 500.0f * h, 1.9198622f, 1.7453293f) != 0)
        return;
    const int n = static_cast<int>(1.0f + 2.5f * l);
    const int streams = second ? 3 : 4;
    while (rec.cooldown <= 0.0f) {
        for (int k = 0; k < streams; ++k) {
            const float angle = second ? k * 2.0943952f - Frac(rec.age * 0.5f) * kTwoPi
                                       : Frac(rec.age / 3.0f) * kTwoPi + k * kPi / 2.0f;
            const Quorvex::AreaPos start = rec.position.Translated(Quorvex::RotateByQuaternion(
                D3DXVECTOR3(60.0f * std::sin(angle), 60.0f * std::cos(angle), 120.0f), rec.aim));
            const D3DXQUATERNION aim = second ? MakeAimQuaternion(start, target->GetAreaPos()) : rec.aim;
            for (int i = 0; i < n; ++i) FireShot(start, aim, 1.5f + 0.2f * i, second ? k + 5 : k + 1);
        }
        rec.cooldown += 0.2f;
    }
    rec.age += dt;
}

void Enemy_Orsel::EmitterStreams(float dt) { EmitterStreamsCommon(dollRecords[0], false, dt); }

void Enemy_Orsel::EmitterStreams2(float dt) { EmitterStreamsCommon(dollRecords[1], true, dt); }

// ---------------------------------------------------------------------------
// Doll patterns

Enemy_Fighter2* Enemy_Orsel::LaunchDoll(const Quorvex::AreaPos& at, float k,
                                        const std::function<void(Enemy_Fighter2*)>& behave) {
    Enemy_Fighter2* doll = generator ? generator->LaunchFighter2(at) : nullptr;
    if (!doll) return nullptr;
    const float v = *doll->GetGauge2() * k;
    doll->SetLife(v);
    *doll->GetGauge2() = v;
    behave(doll);
    doll->SetLook(1);
    AddEnemiesAppeared(1);
    return doll;
}

Enemy_Fighter2* Enemy_Orsel::LaunchOrbitDoll(const Quorvex::AreaPos& at, const D3DXQUATERNION& orientation,
                                             const D3DXVECTOR3& v, float orbitAngle) {
    return LaunchDoll(at, 2.0f, [&](Enemy_Fighter2* doll) {
        Enemy_OrselDoll::SetOrbitBehavior(doll, orientation, v, orbitAngle);
    });
}

Enemy_Fighter2* Enemy_Orsel::LaunchThrownDoll(const Quorvex::AreaPos& at, const D3DXQUATERNION& orientation,
                                              const D3DXVECTOR3& v) {
    return LaunchDoll(at, 2.5f, [&](Enemy_Fighter2* doll) { Enemy_OrselDoll::SetThrownBehavior(doll, orientation, v); });
}

Enemy_Fighter2* Enemy_Orsel::LaunchHomingDoll(const Quorvex::AreaPos& at) {
    return LaunchDoll(at, 10.0f, &Enemy_OrselDoll::SetHomingBehavior);
}

Enemy_Fighter2* Enemy_Orsel::LaunchLaserDoll(const Quorvex::AreaPos& at, const D3DXQUATERNION& orientation,
                                             const D3DXVECTOR3& v) {
    return LaunchDoll(at, 1.5f, [&](Enemy_Fighter2* doll) { Enemy_OrselDoll::SetLaserBehavior(doll, orientation, v); });
}

Enemy_Fighter2* Enemy_Orsel::LaunchCrossDoll(const Quorvex::AreaPos& at, const D3DXQUATERNION& orientation,
                                             const D3DXVECTOR3& v, float attackDelay) {
    return LaunchDoll(at, 3.0f, [&](Enemy_Fighter2* doll) {
        Enemy_OrselDoll::SetCrossBehavior(doll, orientation, v, attackDelay);
    });
}

Enemy_Fighter2* Enemy_Orsel::LaunchHeldDoll(const Quorvex::AreaPos& at) {
    return LaunchDoll(at, 50.0f, &Enemy_OrselDoll::SetHeldBehavior);
}

void Enemy_Orsel::DollTrios(float dt) {
    StepRecord& s = steps[0];
    const float h = 1.0f - std::clamp(level, 0.0f, 1.0f);
    const float interval = std::max(2.0f * h + 1.5f - 0.2f * s.volleys, 1.0f);
    s.cooldown -= dt;
    while (s.cooldown <= 0.0f) {
        const D3DXVECTOR3 d = BossOffsetFromGenerator(this);
        const float yaw = std::atan2(d.x, d.z);
        const float pitch = std::atan2(-d.y, std::sqrt(d.x * d.x + d.z * d.z));
        const D3DXQUATERNION q = Quorvex::YawPitchRollQuaternion(yaw, pitch, 0.0f);
        const D3DXVECTOR3 v = Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, 350.0f), q);
        for (int k = 0; k < 3; ++k) LaunchOrbitDoll(m_areaPos, q, v, k * kTwoPi / 3.0f);
        s.volleys += 1;
        s.cooldown += interval;
    }
    s.time += dt;
}

void Enemy_Orsel::DollFan(float dt) {
    StepRecord& s = steps[1];
    const float l = std::clamp(level, 0.0f, 1.0f);
    s.cooldown -= dt;
    const float w = std::min(s.volleys, 10) / 10.0f;
    const int n = static_cast<int>((1.0f + 0.05f * w) * (6.0f + 5.0f * l));
    const float pause = std::max(1.0f + 2.5f * (1.0f - l) - w, 0.0f);
    while (s.cooldown <= 0.0f) {
        const float yaw = 1.7453293f + s.index * 2.792527f / n;
        const float pitch = BossRandom() * 0.5235988f - 0.2617994f;
        const D3DXQUATERNION q = Quorvex::YawPitchRollQuaternion(yaw, pitch, 0.0f);
        const D3DXVECTOR3 v = Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, 100.0f + 200.0f * BossRandom()), q);
        LaunchThrownDoll(m_areaPos, q, v);
        s.NextLaunch(n, 0.15f, pause);
    }
    s.time += dt;
}

void Enemy_Orsel::DollPentagon(float dt) {
    StepRecord& s = steps[1];
    const float l = std::clamp(level, 0.0f, 1.0f);
    const float w = std::min(s.volleys, 10) / 10.0f;
    const float interval = 1.25f - 0.25f * w - 0.5f * l;
    s.cooldown -= dt;
    while (s.cooldown <= 0.0f) {
        const D3DXQUATERNION aim = MakeAimQuaternion(m_areaPos, target->GetAreaPos());
        const float a = s.index * kTwoPi / 5.0f;
        LaunchHomingDoll(m_areaPos.Translated(
            Quorvex::RotateByQuaternion(D3DXVECTOR3(200.0f * std::sin(a), 200.0f * std::cos(a), 0.0f), aim)));
        s.NextLaunch(5, interval, interval);
    }
    s.time += dt;
}

void Enemy_Orsel::DollFan2(float dt) {
    StepRecord& s = steps[1];
    const float l = std::clamp(level, 0.0f, 1.0f);
    s.cooldown -= dt;
    const float w = std::min(s.volleys, 10) / 10.0f;
    const int n = static_cast<int>((1.0f + 0.05f * w) * (3.0f + 3.0f * l));
    const float pause = std::max(1.5f + 1.5f * (1.0f - l) - w, 0.0f);
    while (s.cooldown <= 0.0f) {
        const D3DXQUATERNION q = Quorvex::YawPitchRollQuaternion(kPi / 2.0f + s.index * kPi / n, -kPi / 2.0f, 0.0f);
        const D3DXVECTOR3 v = Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, 150.0f + 50.0f * BossRandom()), q);
        LaunchLaserDoll(m_areaPos, q, v);
        s.NextLaunch(n, 0.25f, pause);
    }
    s.time += dt;
}

void Enemy_Orsel::DollCross(float dt) {
    StepRecord& s = steps[2];
    const float l = std::clamp(level, 0.0f, 1.0f);
    const float w = std::min(s.volleys, 5) / 5.0f;
    const float interval = 2.0f - 0.75f * w - 0.75f * l;
    s.cooldown -= dt;
    while (s.cooldown <= 0.0f) {
        const D3DXQUATERNION roll = Quorvex::YawPitchRollQuaternion(0.0f, 0.0f, s.index % 2 == 0 ? kPi / 2.0f : 0.0f);
        for (int k = 0; k < 4; ++k) {
            const float sx = k % 2 != 0 ? -1.0f : 1.0f;
            const float sy = k < 2 ? 1.0f : -1.0f;
            const D3DXQUATERNION flight =
                BossTurn(Quorvex::YawPitchRollQuaternion(kPi + sx * 0.17453294f, sy * 0.122173056f, 0.0f), roll);
            const D3DXVECTOR3 v = Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, 200.0f), flight);
            D3DXVECTOR3 start = Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, 50.0f), flight);
            start.z = 0.0f;
            const D3DXQUATERNION facing =
                BossTurn(Quorvex::YawPitchRollQuaternion(kPi - sx * 0.17453294f, -sy * 0.122173056f, 0.0f), roll);
            LaunchCrossDoll(m_areaPos.Translated(start), facing, v, 0.1f * k);
        }
        s.NextLaunch(2, interval, interval);
    }
    s.time += dt;
}

void Enemy_Orsel::DollCircleBarrage(float dt) {
    CircleRecord& c = circle;
    const float l = std::clamp(level, 0.0f, 1.0f);
    const float h = 1.0f - l;
    c.started = 1;
    if (c.doll && c.doll->IsRemoveRequested()) {
        c.Reset();
        c.cooldown = 3.0f;  // the boss waits before the next held doll
    }
    if (!c.doll) {
        if (c.cooldown > 0.0f) c.cooldown = std::max(c.cooldown - dt, 0.0f);
        if (c.cooldown <= 0.0f)
            if (Enemy_Fighter2* doll = LaunchHeldDoll(m_areaPos)) {
                doll->AddRef();
                c.doll = doll;
                c.t = 0.0f;
            }
        if (!c.doll) {
            ClearAttacks();
            c.t += dt;
            return;
        }
    }

    Enemy_Fighter2* doll = c.doll;
    const Quorvex::AreaPos start = m_areaPos;
    const Quorvex::AreaPos m = GeneratorPosition().Translated(D3DXVECTOR3(0.0f, 0.0f, 600.0f));
    const Quorvex::AreaPos bossPoint = m.Translated(D3DXVECTOR3(80.0f, 0.0f, 0.0f));
    const Quorvex::AreaPos dollPoint = m.Translated(D3DXVECTOR3(-80.0f, 0.0f, 0.0f));
    auto addLaser = [](EnemyEx* owner, int colour) {
        if (auto* laser = dynamic_cast<AttackParam_Laser*>(owner->CreateAttack(13))) laser->colour = colour;
    };

    if (c.t < 0.5f) {
        ClearAttacks();
        doll->ClearAttacks();
        const float f = c.t / 0.5f;
        MoveToward(this, bossPoint, f);
        MoveToward(doll, dollPoint, f);
    } else if (c.t < 7.5f) {
        const float a = (c.t - 0.5f) * kTwoPi / 3.0f;
        SetAreaPos(m.Translated(TurnedZ(D3DXVECTOR3(80.0f, 0.0f, 0.0f), a)));
        doll->SetAreaPos(m.Translated(TurnedZ(D3DXVECTOR3(-80.0f, 0.0f, 0.0f), a)));
        if (!c.once[0]) {
            c.once[0] = 1;
            addLaser(this, 4);
            addLaser(doll, 7);
            c.cooldown = 0.0f;
            c.volleys = 0;
        }
        const int n = static_cast<int>(2.0f + 2.5f * l);
        while (c.cooldown <= 0.0f) {
            EnemyEx* shooters[2] = {this, doll};
            for (EnemyEx* shooter : shooters) {
                const Quorvex::AreaPos from = shooter->GetAreaPos();
                const D3DXQUATERNION aim = MakeAimQuaternion(from, target->GetAreaPos());
                for (int i = 0; i < n; ++i)
                    FireShot(from, BossTurn(Yaw(i * 0.2617994f / (n - 1) - 0.1308997f), aim), 1.0f,
                             shooter == this ? 7 : 5);
            }
            c.cooldown += 0.1f;
        }
        c.cooldown -= dt;
    } else if (c.t < 8.0f) {
        ClearAttacks();
        doll->ClearAttacks();
        MoveToward(doll, m_areaPos.Translated(D3DXVECTOR3(0.0f, 80.0f, 0.0f)), (c.t - 7.5f) / 0.5f);
    } else if (c.t < 15.0f) {
        doll->SetAreaPos(m_areaPos.Translated(TurnedZ(D3DXVECTOR3(0.0f, 80.0f, 0.0f), (c.t - 8.0f) * kTwoPi / 3.0f)));
        if (!c.once[1]) {
            c.once[1] = 1;
            addLaser(doll, 7);
            doll->CreateAttack(30);
            c.cooldown = 0.0f;
            c.volleys = 0;
        }
        // Mirrored fans from either side.
        const int series = static_cast<int>(7.0f + 7.0f * l);
        const int m2 = static_cast<int>(2.0f + 4.0f * l);
        while (c.cooldown <= 0.0f) {
            const int volley = c.volleys;
            for (int side = -1; side <= 1; side += 2) {
                D3DXVECTOR3 out(80.0f * side, 0.0f, 0.0f);
                Quorvex::RotateY(out, kPi);
                const Quorvex::AreaPos origin = m_areaPos.Translated(out);
                const D3DXQUATERNION aim = MakeAimQuaternion(origin, target->GetAreaPos());
                for (int j = 0; j < m2; ++j) {
                    const float turn = side * (static_cast<float>(m2 - 1 - j) / m2 * 0.05235988f - 0.02617994f +
                                               volley * 0.2617994f / (series - 1) + 0.08726647f - 0.1308997f);
                    FireShot(origin, BossTurn(Yaw(turn), aim), 0.5f + 0.2f * volley + 0.1f * j, volley % 7 + 1);
                }
            }
            if (++c.volleys < series) {
                c.cooldown += 0.1f;
            } else {
                c.volleys = 0;
                c.cooldown += 0.3f * h;
            }
        }
        c.cooldown -= dt;
        // The backward spray.
        const int spray = static_cast<int>(7.0f + 10.0f * l);
        while (c.cooldown2 <= 0.0f) {
            const D3DXVECTOR3 d = GetTargetPosition() - GetWorldPosition();
            const float p = std::atan2(-d.y, std::sqrt(d.x * d.x + d.z * d.z));
            for (int j = 0; j < spray; ++j) {
                D3DXVECTOR3 v(0.0f, 0.0f, 1.0f);
                Quorvex::RotateX(v, p + (BossRandom() - 0.5f) * 0.08726647f);
                Quorvex::RotateY(v, kPi - 0.2617994f + j * 0.5235988f / spray);
                const D3DXVECTOR3 angles = Quorvex::DirectionToAngles(v);
                ShotSpawnParam record;
                MakeShotSpawnParam(m_areaPos, Quorvex::YawPitchRollQuaternion(angles.y, angles.x, 0.0f), record, this,
                                   GetTargetVelocity(), level, GetManager(), 0.6f + 0.2f * l, 1);
                Quorvex::FactoryAdapter* pool = generator ? generator->GetPool(EnemyGenerator_Derive::PoolRazer) : nullptr;
                if (Quorvex::IFactoryProduct* shot = pool ? pool->AcquireProduct(&record) : nullptr) {
                    BossSetShotCell(shot, 3, 0);
                    shot->Release();
                }
            }
            c.cooldown2 += 0.2f + 0.2f * h;
        }
        c.cooldown2 -= dt;
    } else if (c.t < 15.5f) {
        if (!c.once[2]) {
            c.once[2] = 1;
            ClearAttacks();
            doll->ClearAttacks();
            EnemyEx* owners[2] = {this, doll};
            for (EnemyEx* owner : owners) {
                addLaser(owner, owner == this ? 5 : 7);
                if (auto* fan = dynamic_cast<AttackParam_nWay*>(owner->CreateAttack(25))) fan->restScale = 0.2f;
            }
        }
        const float f = (c.t - 15.0f) / 0.5f;
        MoveToward(this, bossPoint, f);
        MoveToward(doll, dollPoint, f);
    } else {
        // The doll is let go where it is, with the return window's attacks.
        c.Reset();
        c.t = 0.5f;
    }
    if (dt > 0.0f) velocity = Quorvex::AreaPos::Difference(m_areaPos, start) / dt;
    c.t += dt;
}

// ---------------------------------------------------------------------------
// Animation

int Enemy_Orsel::PlayTurnSet(int) {
    const int set = PlayAnimationSetOnTrack(animation, 0, "AnimationSet_orsel");
    animation->SetTrackPosition(0, 0.0);
    return set;
}

// The small fairy's turning machine on the boss's own controller.
void Enemy_Orsel::UpdateAnimation(float dt) {
    EnsureEnemyAnimation(this, animation);
    StepTurnAnimation(animation, velocity.x, dt);
}
