#include "game/enemy/types/Enemy_Toska.h"

#include <algorithm>
#include <cmath>

#include <boost/bind/bind.hpp>

#include "engine/assets/MeshUnit.h"
#include "engine/core/Utility.h"
#include "game/enemy/AttackParam.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/types/BossCommon.h"
#include "game/enemy/types/EnemyTypeCommon.h"
#include "game/enemy/types/Enemy_Reidan.h"
#include "game/player/Player.h"
#include "game/player/weapons/Bullet_AimmingLaser.h"
#include "game/player/weapons/Bullet_Razer.h"
#include "game/state/Environment2.h"

using boost::placeholders::_1;

namespace {

constexpr float kDeg = 0.017453292f;
constexpr float kTwoPi = 6.2831853f;

D3DXQUATERNION Yaw(float a) { return Quorvex::YawPitchRollQuaternion(a, 0.0f, 0.0f); }
D3DXQUATERNION Pitch(float a) { return Quorvex::YawPitchRollQuaternion(0.0f, a, 0.0f); }
D3DXQUATERNION Roll(float a) { return Quorvex::YawPitchRollQuaternion(0.0f, 0.0f, a); }

// The rotations in the order in which they apply.
D3DXQUATERNION Then(const D3DXQUATERNION& a, const D3DXQUATERNION& b) {
    D3DXQUATERNION q;
    D3DXQuaternionMultiply(&q, &a, &b);
    return q;
}
D3DXQUATERNION Then(const D3DXQUATERNION& a, const D3DXQUATERNION& b, const D3DXQUATERNION& c) {
    return Then(Then(a, b), c);
}
D3DXQUATERNION Slerp(const D3DXQUATERNION& a, const D3DXQUATERNION& b, float t) {
    D3DXQUATERNION q;
    D3DXQuaternionSlerp(&q, &a, &b, t);
    return q;
}

int RoundUpOdd(int n) { return n % 2 == 0 ? n + 1 : n; }
int RoundUpEven(int n) { return n % 2 != 0 ? n + 1 : n; }

void Wrap(int32_t& counter, int32_t& overflow, int32_t limit) {
    if (++counter >= limit) {
        counter = 0;
        if (++overflow >= limit) overflow = 0;
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Shot-parameter records

void Enemy_Toska::ShotParam_Nijuu::Reset() {
    started = 0;
    clock = 0.0f;
    timer = 0.0f;
    counter = 0;
    extra = 0;
    shots.assign(kShots, Spell2Shot());
    placeTimer = 0.0f;
    placeCounter = 0;
}

void Enemy_Toska::ShotParam_VelkSan::Reset() {
    flag = 0;
    clock = 0.0f;
    timer = 0.0f;
    counter = 0;
    overflow = 0;
    orbs.assign(kOrbs, OrbRecord());
}

void Enemy_Toska::Spell5Emitter::DropAll() {
    for (TrackedShot& entry : tracked) {
        if (!entry.shot) continue;
        if (!*entry.returned) entry.shot->returnCallback.clear();
        entry.shot->Release();
        entry.shot = nullptr;
    }
    tracked.clear();
}

void Enemy_Toska::ShotParam_Tensei::Reset() {
    std::fill(std::begin(scalars), std::end(scalars), 0);
    shots.assign(kShots, Spell5Shot());
    emitters.clear();
}

// ---------------------------------------------------------------------------
// Life cycle

Enemy_Toska::Enemy_Toska(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                         const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator_, EnemyListSet* /*listSet*/)
    : PhaseBoss(objectManager, areaManager, position, generator_) {}

Enemy_Toska::~Enemy_Toska() {
    for (Enemy* held : heldEnemies) held->Release();
    heldEnemies.clear();
    tensei.Reset();
    if (animation) animation->Release();
    animation = nullptr;
}

int Enemy_Toska::Initialize(int param) { return InitializeBigBoss(this, param, "Mesh_Toska", kScore); }

void Enemy_Toska::Launch(const Quorvex::AreaPos& position) {
    Launch(position, D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f), GetObjectManager());
}

void Enemy_Toska::Launch(const Quorvex::AreaPos& position, const D3DXQUATERNION&,
                         Quorvex::ObjectManager* objectManager) {
    EnemyEx::Launch(D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f), objectManager ? objectManager : GetObjectManager(),
                    position, MoveModePath2, kLaunchLife, D3DXVECTOR3(157.0f, 157.0f, 157.0f));
    // Out of the group that the phase changes sweep.
    SetGroupFlag(GroupSweptAtPhaseChange, false);
    GetMoveParam()->refPoint = g_pEnvironment2 ? g_pEnvironment2->sharedVector : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    hitGuard = 0.0f;
    fanStarted = 0;
    fanClock = fanTimer = 0.0f;
    fanRow = fanVolley = 0;
    fanAim = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
    m_areaPos = position;
    SetPhase(1);
    blend = -1.0f;
    animState = 0;
    animStart = animTarget = animValue = 0.0;
    currentTrack = previousTrack = currentSet = -1;
    if (g_pEnvironment2) g_pEnvironment2->currentBoss = this;
}

void Enemy_Toska::Discard() {
    for (Enemy* held : heldEnemies) held->Release();
    heldEnemies.clear();
    Vanish();
}

void Enemy_Toska::UpdateWorldMatrix() { EnemyUpdateWorldMatrix20(this, kScale); }

void Enemy_Toska::Update(float dt) {
    const Quorvex::AreaPos before = m_areaPos;
    Enemy::Update(dt);
    UpdateAttacks(dt);
    RunStoredStep(phaseCallback, dt);
    UpdateAuraSince(dt, before, aura);
    if (target) m_orientation = AimFrom(m_areaPos);
    UpdateAnimation(dt);
    hitGuard = std::max(hitGuard - dt, 0.0f);
}

void Enemy_Toska::Hit(Quorvex::Object* hitter) {
    // One kill pays once. Every fight phase sets its own life on entry, so
    // a life at 0 was already paid for (phases 2, 6, 13 and 14 end in nothing
    // and keep the boss at 0); -1 is a vanished boss.
    if (m_life <= 0.0f || IsRemoveRequested()) return;
    PhaseBoss::Hit(hitter);
}

// ---------------------------------------------------------------------------
// Phase machine

float Enemy_Toska::PhaseLimit(int n) {
    switch (n) {
    case 3: case 5: case 8: case 10: return 40.0f;
    case 4: case 7: return 90.0f;
    case 9: case 11: return 120.0f;
    case 12: return 300.0f;
    default: return -1.0f;
    }
}

void Enemy_Toska::ClearPhaseState() {
    ClearAttacks();
    phaseClock = 0.0f;
    fanStarted = 0;
    fanClock = fanTimer = 0.0f;
    fanRow = fanVolley = 0;
    fanAim = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
    spell1Started = 0;
    spell1Clock = spell1Timer = 0.0f;
    spell1Volley = spell1Burst = 0;
    spell1Emitters.clear();
}

void Enemy_Toska::ResetPatterns() {
    ClearPhaseState();
    waveStarted = sideStarted = 0;
    waveClock = waveTimer = 0.0f;
    waveVolley = waveGroup = 0;
    for (SideEmitter& emitter : sideEmitters) emitter = SideEmitter();
    nijuu.Reset();
    velkSan.Reset();
    velkShuu.Reset();
    tensei.Reset();
}

const BossPhase<Enemy_Toska>* Enemy_Toska::FindPhase(int n) {
    using Row = BossPhase<Enemy_Toska>;
    static const Row kPhases[] = {
        // phase, waypoints, step, spell attack, life, closes the spell, blast, next
        {1, nullptr, nullptr, nullptr, -1.0f, false, 0.0f, 2},
        {2, &EnemyEx::NextPosNear, nullptr, nullptr, 5000.0f, false, 0.0f, 0},
        {3, &Enemy_Toska::NextWidePos, &Enemy_Toska::StepOpening, nullptr, 4000.0f, false, 40.0f, 4},
        {4, &EnemyEx::NextPosNear, &Enemy_Toska::StepSpell1, L"双符「ツインエミッター」", 10000.0f, true, 60.0f, 5},
        {5, &EnemyEx::NextPosNear, &Enemy_Toska::StepMiddle, nullptr, 4000.0f, false, 40.0f, 7},
        {6, &EnemyEx::NextPosScatter, nullptr, nullptr, 5000.0f, false, 10.0f, 0},
        {7, &EnemyEx::NextPosNear, &Enemy_Toska::StepSpell2, L"輪符「ニジュウリング」", 10000.0f, true, 60.0f, 8},
        {8, &EnemyEx::NextPosScatter, &Enemy_Toska::StepOpening, nullptr, 4000.0f, false, 40.0f, 9},
        // Its banner stays up until phase 11 opens its own.
        {9, &EnemyEx::NextPosNear, &Enemy_Toska::StepSpell3, L"光符「ヴェルクサン」", 8000.0f, false, 60.0f, 10},
        {10, &EnemyEx::NextPosNear, &Enemy_Toska::StepMiddle, nullptr, 4000.0f, false, 0.0f, 11},
        {11, &Enemy_Toska::NextWidePos, &Enemy_Toska::StepSpell4, L"爆符「ヴェルクシュウ」", 9000.0f, true, 60.0f, 12},
        {12, &EnemyEx::NextPosNear, &Enemy_Toska::StepSpell5, L"転符「テンセイ」", 12000.0f, true, 60.0f,
         Row::kStageMovesOn},
    };
    return FindBossPhase<Enemy_Toska>(kPhases, n);
}

void Enemy_Toska::SetPhase(int n) {
    EnterPhase(n);
    phaseLimit = PhaseLimit(n);
    boost::function<NextPos(MoveParam*)> next;
    bool vanishNow = false;

    switch (n) {
    case 1:
        SetBossLongEntryPath(this, boost::bind(&Enemy_Toska::OnEntryPathEnd, this, _1));
        break;
    case 13: {
        const D3DXVECTOR3 points[3] = {Quorvex::AreaPos::Difference(m_areaPos, GeneratorPosition()),
                                       D3DXVECTOR3(0.0f, 0.0f, 500.0f), D3DXVECTOR3(0.0f, 0.0f, -100.0f)};
        MoveParam* mp = GetMoveParam();
        mp->SetPath(points, 3, 200.0f);
        mp->onPathEnd = boost::bind(&Enemy_Toska::VanishAtPathEnd, this, _1);
        break;
    }
    case 14:
        Explode(120.0f);
        vanishNow = true;
        break;
    default:
        BeginBossPhase(this, FindPhase(n), "spellToska", next, phaseCallback);
        break;
    }

    ClearPhaseState();
    BossExplodeStageObjects(generator);
    hitGuard = kInvulnerableTime;
    SettleBossPhase(this, kHoldTime, next);
    if (vanishNow) Vanish();
}

void Enemy_Toska::EndPhase() { EndBossPhaseByLife(this, FindPhase(phase)); }

void Enemy_Toska::NextPhase() { AdvanceBossPhase(this, FindPhase(phase)); }

EnemyEx::NextPos Enemy_Toska::NextWidePos(MoveParam* mp) {
    NextPos p;
    p.x = mp->refPoint.x + (Quorvex::RandomFloat() - 0.5f) * 600.0f;
    p.y = mp->refPoint.y + Quorvex::RandomFloat() * 50.0f - 15.0f;
    p.z = mp->refPoint.z + Quorvex::RandomFloat() * 200.0f + 600.0f;
    p.duration = 2.0f;
    return p;
}

void Enemy_Toska::Explode(float size) { BossExplode(this, size); }

// ---------------------------------------------------------------------------
// Phase steps

bool Enemy_Toska::StepHead(float limit) {
    if (phaseClock >= limit) {
        // The last spell's time-out moves on without explosion or score.
        if (phase == 12)
            NextPhase();
        else
            EndPhase();
        return false;
    }
    SetBossTimeLimit(std::max(limit - phaseClock, 0.0f));
    return true;
}

bool Enemy_Toska::PatternsActive() const { return target && phaseClock >= kOpeningPause; }

void Enemy_Toska::StepOpening(float dt) {
    if (!StepHead(PhaseLimit(phase))) return;
    if (PatternsActive()) FireFanBursts(dt);
    phaseClock += dt;
}

void Enemy_Toska::StepMiddle(float dt) {
    if (!StepHead(PhaseLimit(phase))) return;
    if (PatternsActive()) {
        FireWaveArcs(dt);
        FireSideArcs(dt);
    }
    phaseClock += dt;
}

void Enemy_Toska::StepSpell1(float dt) {
    if (!StepHead(90.0f)) return;
    if (!spell1Started) {
        spell1Started = 1;
        PrepareSpell1();
    }
    if (PatternsActive()) {
        for (size_t i = 0; i < spell1Emitters.size(); ++i)
            UpdateSpell1Shot(spell1Emitters[i], static_cast<int>(i), dt);
        FireSpell1(dt);
    }
    phaseClock += dt;
}

void Enemy_Toska::StepSpell2(float dt) {
    if (!StepHead(90.0f)) return;
    if (!nijuu.started) {
        nijuu.started = 1;
        phaseClock = 0.0f;
    }
    if (PatternsActive()) {
        FireSpell2Ring(dt);
        FireSpell2Bursts(dt);
    }
    phaseClock += dt;
}

void Enemy_Toska::StepSpell3(float dt) {
    if (!StepHead(120.0f)) return;
    if (PatternsActive()) {
        for (size_t i = 0; i < velkSan.orbs.size(); ++i) UpdateOrb(velkSan.orbs[i], static_cast<int>(i), dt);
        FireLaserFan(dt);
    }
    phaseClock += dt;
}

void Enemy_Toska::StepSpell4(float dt) {
    if (!StepHead(120.0f)) return;
    if (PatternsActive()) {
        for (size_t i = 0; i < velkShuu.orbs.size(); ++i) UpdateOrb(velkShuu.orbs[i], static_cast<int>(i), dt);
        LaunchReidanRing(dt);
    }
    phaseClock += dt;
}

void Enemy_Toska::StepSpell5(float dt) {
    if (!StepHead(300.0f)) return;
    if (PatternsActive())
        for (size_t i = 0; i < tensei.shots.size(); ++i) UpdateSpell5Shot(tensei.shots[i], static_cast<int>(i), dt);
    if (tensei.emitters.empty()) AddSpell5Emitter();
    for (size_t i = 0; i < tensei.emitters.size(); ++i)
        UpdateSpell5Emitter(*tensei.emitters[i], static_cast<int>(i), dt);
    phaseClock += dt;
}

// ---------------------------------------------------------------------------
// Fire helpers

D3DXQUATERNION Enemy_Toska::AimFrom(const Quorvex::AreaPos& from) const {
    if (!target) return D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
    return MakeAimQuaternion(from, target->GetAreaPos());
}

D3DXQUATERNION Enemy_Toska::Aim() const { return AimFrom(m_areaPos); }

bool Enemy_Toska::FireShot(const Quorvex::AreaPos& from, const D3DXQUATERNION& orientation, float speed, int kind,
                           int colour, Bullet_Razer** keep) {
    if (keep) *keep = nullptr;
    Quorvex::FactoryAdapter* pool = generator ? generator->GetPool(EnemyGenerator_Derive::PoolRazer) : nullptr;
    if (!pool) return false;
    ShotSpawnParam record;
    MakeShotSpawnParam(from, orientation, record, this, GetTargetVelocity(), level, GetManager(), speed, kind);
    Quorvex::IFactoryProduct* shot = pool->AcquireProduct(&record);
    if (!shot) return false;
    if (auto* coloured = dynamic_cast<IAtlasColoredShot*>(shot)) SetBulletAtlasCell(coloured->GetAtlasSprite(), colour);
    Bullet_Razer* razer = keep ? dynamic_cast<Bullet_Razer*>(shot) : nullptr;
    if (razer)
        *keep = razer;  // the pool's reference goes to the caller
    else
        shot->Release();
    return true;
}

// ---------------------------------------------------------------------------
// Phases 3 and 8

void Enemy_Toska::FireFanBursts(float dt) {
    const float c = std::clamp(level, 0.0f, 1.0f);
    const float d = 1.0f - c;
    fanTimer -= dt;
    if (!fanStarted) {
        fanStarted = 1;
        fanAim = Aim();
    }
    if (CheckAttackRange(GetTargetPosition(), m_orientation, GetWorldPosition(), d * 200.0f + 150.0f,
                         2500.0f - d * 500.0f, 1.9198623f, 1.7453294f) != 0)
        return;
    const int n = static_cast<int>(c * 3.0f + 4.0f);
    const int m = static_cast<int>(c * 6.0f + 7.0f);
    const int k = static_cast<int>(c * 2.5f + 2.0f);
    while (fanTimer <= 0.0f) {
        const float pitch = -(static_cast<float>(fanRow) / m - 0.4f) * 25.0f * kDeg;
        const float roll = (fanVolley % 2 == 0 ? -45.0f : 45.0f) * kDeg;
        for (int i = 0; i < n; ++i) {
            const float yaw = (static_cast<float>(i) / n - 0.5f) * 60.0f * kDeg;
            const D3DXQUATERNION dir = Then(Quorvex::YawPitchRollQuaternion(yaw, pitch, 0.0f), Roll(roll), fanAim);
            const Quorvex::AreaPos from =
                m_areaPos.Translated(Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, 100.0f), dir));
            const D3DXQUATERNION orientation = Slerp(dir, fanAim, 0.5f);
            const int colour = (fanRow % 2) + ((fanVolley + i) % 2 != 0 ? 8 : 10);
            for (int j = 0; j < k; ++j)
                FireShot(from, orientation, 0.3f + j * 0.15f + 2.0f * fanRow / m, 1, colour);
        }
        ++fanRow;
        if (fanRow < m) {
            fanTimer += 0.1f;
        } else {
            ++fanVolley;
            fanRow = 0;
            fanTimer += 0.25f;
            fanAim = Aim();
        }
    }
    fanClock += dt;
}

// ---------------------------------------------------------------------------
// Phases 5 and 10

void Enemy_Toska::FireWaveArcs(float dt) {
    const float c = std::clamp(level, 0.0f, 1.0f);
    const float d = 1.0f - c;
    waveTimer -= dt;
    waveStarted = 1;
    const float interval = d * 0.25f + 0.25f;
    const int n = 10 + static_cast<int>(c * 10.0f);
    while (waveTimer <= 0.0f) {
        const D3DXQUATERNION aim = Aim();
        const float w = 5.0f * kDeg * std::sin(waveClock * kTwoPi / 12.0f);
        const bool late = waveVolley % 4 >= 2;
        const int colour = waveGroup % 2 == 0 ? (late ? 11 : 10) : (late ? 9 : 8);
        for (int i = 0; i < n; ++i) {
            const float yaw = (static_cast<float>(i + 1) / n - 0.5f) * 60.0f * kDeg;
            FireShot(m_areaPos, Then(Pitch(w), Yaw(yaw), aim), 0.5f + c * 0.25f, 1, colour);
        }
        if (++waveVolley >= 5) {
            waveVolley = 0;
            if (++waveGroup >= 10) waveGroup = 0;
        }
        waveTimer += interval;
    }
    waveClock += dt;
}

void Enemy_Toska::FireSideArcs(float dt) {
    const float c = std::clamp(level, 0.0f, 1.0f);
    waveTimer -= dt;
    waveClock += dt;
    const int n = std::min(RoundUpEven(static_cast<int>(c * 6.0f + 4.0f)), 10);
    if (!sideStarted) {
        sideStarted = 1;
        for (int i = 0; i < n; ++i) {
            sideEmitters[i].armed = 1;
            sideEmitters[i].timer += i * 1.2f;
        }
    }
    const int m = static_cast<int>(c * 5.0f + 10.0f);
    for (int i = 0; i < n; ++i) {
        SideEmitter& e = sideEmitters[i];
        e.timer -= dt;
        if (!e.started) {
            e.started = 1;
            const float k = static_cast<float>(i - (i % 2) + 1);
            e.offset = D3DXVECTOR3(i % 2 == 0 ? -30.0f * k : 30.0f * k, 5.0f * k, 0.0f);
            e.aim = AimFrom(m_areaPos.Translated(e.offset));
        }
        const int colour = i % 4 < 2 ? 6 : 4;
        while (e.timer <= 0.0f) {
            const Quorvex::AreaPos from = m_areaPos.Translated(e.offset);
            if (e.shots == 0) e.aim = AimFrom(from);
            const float pitch = (static_cast<float>(e.shots + 1) / m - 0.5f) * -20.0f * kDeg;
            FireShot(from, Then(Pitch(pitch), e.aim), 0.4f + e.shots * 0.1f, 1, colour);
            e.timer += 0.05f;
            if (++e.shots >= m) {
                e.shots = 0;
                ++e.sweeps;
                e.timer += 1.2f;
            }
        }
        e.clock += dt;
    }
}

// ---------------------------------------------------------------------------
// Spell 1

void Enemy_Toska::PrepareSpell1() { spell1Emitters.assign(2, Spell1Emitter()); }

void Enemy_Toska::UpdateSpell1Shot(Spell1Emitter& rec, int index, float dt) {
    const float c = std::clamp(level, 0.0f, 1.0f);
    rec.timer -= dt;
    if (!rec.started) {
        rec.position = m_areaPos;
        rec.aim = Aim();
        rec.timer += 0.05f;
        rec.started = 1;
    }
    rec.position = m_areaPos.Translated(D3DXVECTOR3(index * 200.0f - 100.0f, 0.0f, 0.0f));
    rec.aim = Aim();
    const float s = 0.5f + 0.5f * std::sin(rec.clock * kTwoPi / 10.0f);
    const D3DXQUATERNION sway = Yaw((index == 0 ? -1.0f : 1.0f) * s * 15.0f * kDeg);
    const int columns = RoundUpEven(static_cast<int>(c * 1.5f + 3.0f));
    const int rows = RoundUpEven(static_cast<int>(c * 1.5f + 2.0f));
    while (rec.timer <= 0.0f) {
        for (int i = 0; i < columns; ++i) {
            const float yaw = (static_cast<float>(i) / std::max(columns - 1, 1) - 0.5f) * columns * 10.0f * kDeg;
            for (int j = 0; j < rows; ++j) {
                const float pitch = (static_cast<float>(j) / std::max(rows - 1, 1) - 0.5f) * rows * 5.0f * kDeg;
                FireShot(rec.position, Then(Then(Yaw(yaw), Pitch(pitch)), sway, rec.aim), 1.5f, 0,
                         index == 0 ? 11 : 10);
            }
        }
        ++rec.counter;
        rec.timer += 0.1f;
    }
    rec.clock += dt;
}

void Enemy_Toska::FireSpell1(float dt) {
    if (phaseClock < 5.0f) return;
    const float c = std::clamp(level, 0.0f, 1.0f);
    spell1Timer -= dt;
    const int n = RoundUpOdd(static_cast<int>(c * 2.5f + 1.0f));
    const int bursts = static_cast<int>(c * 2.5f + 2.0f);
    while (spell1Timer <= 0.0f) {
        const D3DXQUATERNION aim = Aim();
        for (int i = 0; i < n; ++i) {
            const float yaw = (static_cast<float>(i) / std::max(n - 1, 1) - 0.5f) * n * kDeg;
            for (int j = 0; j < n; ++j) {
                const float pitch = (static_cast<float>(j) / std::max(n - 1, 1) - 0.5f) * n * kDeg;
                const D3DXQUATERNION q = Then(Yaw(yaw), Pitch(pitch), aim);
                for (int s = 0; s < 3; ++s) FireShot(m_areaPos, q, 1.0f + 0.2f * s, 1, (i + j) % 2 == 0 ? 4 : 8);
            }
        }
        if (++spell1Volley >= spell1Burst + 3) {
            spell1Volley = 0;
            if (++spell1Burst < bursts) {
                spell1Timer += 0.5f;
            } else {
                spell1Burst = 0;
                spell1Timer += 2.0f;
            }
        }
        spell1Timer += 0.1f;
    }
    spell1Clock += dt;
}

// ---------------------------------------------------------------------------
// Spell 2

void Enemy_Toska::FireSpell2Ring(float dt) {
    static const int kArmColours[4] = {8, 10, 9, 11};
    const float c = std::clamp(level, 0.0f, 1.0f);
    const int m = static_cast<int>(c * 1.5f + 3.0f);
    constexpr int kPerArm = 11;  // int(67.5 / 6)
    nijuu.timer -= dt;
    while (nijuu.timer <= 0.0f) {
        const D3DXQUATERNION aim = Aim();
        for (int k = 0; k < 4; ++k) {
            for (int j = 0; j < kPerArm; ++j) {
                const float ring = (k * 90.0f + j * 67.5f / kPerArm + nijuu.clock * 72.0f) * kDeg;
                const float speed =
                    (1.0f - 2.0f * std::fabs(static_cast<float>(j) / kPerArm - 0.5f)) * 0.15f + 0.6f;
                for (int p = 0; p < m; ++p) {
                    const float pitch = (5.0f + p * 10.0f / m) * kDeg;
                    FireShot(m_areaPos, Then(Pitch(pitch), Roll(ring), aim), speed, 0, kArmColours[k % 4]);
                }
            }
        }
        ++nijuu.counter;
        nijuu.timer += 1.0f;
    }
    nijuu.clock += dt;
}

void Enemy_Toska::FireSpell2Bursts(float dt) {
    if (phaseClock < 3.5f) return;
    const float c = std::clamp(level, 0.0f, 1.0f);
    const float d = 1.0f - c;
    const int n = static_cast<int>(c * 20.0f + 10.0f);
    const int r = static_cast<int>(c * 6.0f + 3.0f);
    const float interval = 0.01f + d * 0.01f;
    const float rest = d * 0.7f + 0.5f;

    nijuu.placeTimer -= dt;
    while (nijuu.placeTimer <= 0.0f) {
        auto slot = std::find_if(nijuu.shots.begin(), nijuu.shots.end(), [](const Spell2Shot& s) { return !s.inUse; });
        if (slot != nijuu.shots.end()) {
            *slot = Spell2Shot();
            slot->inUse = 1;
            const int counter = nijuu.placeCounter;
            float angle = static_cast<float>(counter % n) / std::max(n - 1, 1) * 360.0f * kDeg;
            if (counter % 2 != 0) angle = -angle;
            const float q = static_cast<float>(counter / n) / std::max(r - 1, 1);
            const float radius = 150.0f - q * 100.0f;
            slot->offset = D3DXVECTOR3(std::sin(angle) * radius, std::cos(angle) * radius, 0.0f);
            slot->ringShare = q;
            if (q > 1.0f) {
                nijuu.placeCounter = 0;
                nijuu.placeTimer += rest;
            }
        }
        ++nijuu.placeCounter;
        nijuu.placeTimer += interval;
    }

    if (!target) return;
    const int s = RoundUpOdd(static_cast<int>(c * 1.5f + 1.0f));
    const int volleys = static_cast<int>(c * 2.5f + 1.0f);
    const D3DXVECTOR3 drift = generator ? generator->GetCenterMotion() : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    for (Spell2Shot& rec : nijuu.shots) {
        if (!rec.inUse) continue;
        if (!rec.started) {
            rec.position = m_areaPos.Translated(rec.offset);
            rec.aim = AimFrom(rec.position);
            rec.timer += 0.05f;
            rec.started = 1;
        }
        rec.position.Add(drift);
        rec.timer -= dt;
        bool freed = false;
        while (rec.timer <= 0.0f) {
            const float e = (2.0f * Quorvex::RandomFloat() - 1.0f) * 30.0f * kDeg;
            const D3DXQUATERNION q = Slerp(Then(Yaw(D3DX_PI), Roll(e)), rec.aim, rec.ringShare);
            for (int i = 0; i < s; ++i) FireShot(rec.position, q, 1.5f + c * 0.4f, 1, rec.volleys % 2 == 0 ? 6 : 3);
            ++rec.volleys;
            rec.timer += 0.1f;
            if (rec.volleys >= volleys) {
                rec = Spell2Shot();
                freed = true;
                break;
            }
        }
        if (!freed) rec.clock += dt;
    }
}

// ---------------------------------------------------------------------------
// Spells 3 and 4

void Enemy_Toska::UpdateOrb(OrbRecord& orb, int index, float dt) {
    const float c = std::clamp(level, 0.0f, 1.0f);
    orb.timer -= dt;
    if (!orb.started) {
        orb.started = 1;
        orb.timer += 0.05f;
    }
    const bool odd = index % 2 != 0;
    const int n = static_cast<int>(c * 3.0f + 1.0f);
    while (orb.timer <= 0.0f) {
        const float a = orb.clock * kTwoPi * 4.0f;
        D3DXVECTOR3 offset = odd ? D3DXVECTOR3(0.0f, 100.0f * std::sin(a), 100.0f * std::cos(a))
                                 : D3DXVECTOR3(0.0f, 100.0f * std::sin(-a), 100.0f * std::cos(-a));
        Quorvex::RotateZ(offset, (odd ? 40.0f : -40.0f) * kDeg);
        const Quorvex::AreaPos point = m_areaPos.Translated(offset);
        const D3DXQUATERNION outward = MakeAimQuaternion(m_areaPos, point);
        const bool late = orb.counter % 4 >= 2;
        const int colour = odd ? (late ? 9 : 8) : (late ? 11 : 10);
        for (int i = 0; i < n; ++i) {
            const float yaw = (static_cast<float>(i + 1) / n - 0.5f) * n * 3.0f * kDeg;
            const D3DXQUATERNION q = Slerp(Then(Yaw(yaw), Yaw(D3DX_PI)), outward, 0.05f);
            FireShot(point, q, 0.75f + c * 0.5f, 1, colour);
        }
        if (++orb.counter >= 1000) {
            orb.counter = 0;
            if (++orb.overflow >= 1000) orb.overflow = 0;
        }
        orb.timer += 0.1f;
    }
    orb.clock += dt;
}

void Enemy_Toska::FireLaserFan(float dt) {
    const float c = std::clamp(level, 0.0f, 1.0f);
    const float d = 1.0f - c;
    const int n = static_cast<int>(c * 10.0f + 3.0f);
    Quorvex::FactoryAdapter* pool = generator ? generator->GetPool(EnemyGenerator_Derive::PoolAimmingLaser) : nullptr;
    velkSan.timer -= dt;
    while (velkSan.timer <= 0.0f) {
        const float interval =
            (d * 0.5f + 0.5f) - std::min(velkSan.counter / 10.0f, 1.0f) * (d * 0.25f + 0.25f);
        for (int i = 0; i < n; ++i) {
            const float roll = ((i + 0.5f) / n - 0.5f) * 240.0f * kDeg;
            const D3DXQUATERNION q = Then(Pitch(-30.0f * kDeg), Roll(roll));
            if (pool) {
                Bullet_AimmingLaser::SetParam record(m_areaPos, q, this, GetTargetVelocity(), level, 300.0f, 30.0f,
                                                     GetObjectManager(), target);
                if (Quorvex::IFactoryProduct* laser = pool->AcquireProduct(&record)) {
                    Bullet_AimmingLaser::SetColorType(dynamic_cast<Bullet_AimmingLaser*>(laser), i % 2 == 0 ? 4 : 6);
                    laser->Release();
                }
            }
            Wrap(velkSan.counter, velkSan.overflow, 10000);
            velkSan.timer += interval;
        }
    }
    velkSan.clock += dt;
}

void Enemy_Toska::LaunchReidanRing(float dt) {
    const float c = std::clamp(level, 0.0f, 1.0f);
    const float d = 1.0f - c;
    const int n = static_cast<int>(c * 2.5f + 1.0f);
    velkShuu.timer -= dt;
    while (velkShuu.timer < 0.0f) {
        const float interval =
            (d * 0.5f + 0.75f) - std::min(velkShuu.counter / 10.0f, 1.0f) * (d * 0.25f + 0.25f);
        for (int j = 0; j < n; ++j) {
            const float r = Quorvex::RandomFloat();
            if (Enemy_Reidan* orb = generator ? generator->LaunchReidan(m_areaPos) : nullptr) {
                orb->SetLife(*orb->GetGauge2());
                orb->ClearAttacks();
                const float roll = (((j + 1.0f) / n - 0.5f) * 360.0f + r * 360.0f / n) * kDeg;
                orb->velocity =
                    Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, 300.0f), Then(Pitch(-60.0f * kDeg), Roll(roll)));
                orb->Release();
                AddEnemiesAppeared(1);
            }
            Wrap(velkShuu.counter, velkShuu.overflow, 10000);
            velkShuu.timer += interval;
        }
    }
    velkShuu.clock += dt;
}

// ---------------------------------------------------------------------------
// Spell 5

void Enemy_Toska::UpdateSpell5Shot(Spell5Shot& rec, int index, float dt) {
    static const int kOdd[4] = {8, 10, 9, 11};
    static const int kEven[4] = {10, 8, 11, 9};
    const float c = std::clamp(level, 0.0f, 1.0f);
    const bool odd = index % 2 != 0;
    if (!rec.started) {
        rec.started = 1;
        if (odd) rec.timer += 0.1f;
    }
    rec.timer -= dt;
    while (rec.timer <= 0.0f) {
        const float p = Quorvex::DirectionToAngles(GetTargetPosition() - GetWorldPosition()).x;
        const float t = rec.counter / 10.0f;
        const D3DXQUATERNION turn = Yaw(D3DX_PI + (odd ? -t : t) * 20.0f * kDeg);
        for (int s = 0; s < 5; ++s) {
            const float yaw = -((s + 1) / 5.0f - 0.5f) * 40.0f * kDeg;
            FireShot(m_areaPos, Then(Pitch(p + (t - 0.5f) * 20.0f * kDeg), Yaw(yaw), turn), 1.2f + c * 0.4f, 1,
                     odd ? kOdd[s % 4] : kEven[s % 4]);
        }
        if (++rec.counter >= 10) {
            rec.counter = 0;
            if (++rec.overflow >= 10000) rec.overflow = 0;
        }
        rec.timer += 0.2f;
    }
    rec.clock += dt;
}

void Enemy_Toska::AddSpell5Emitter() { tensei.emitters.push_back(std::make_unique<Spell5Emitter>()); }

void Enemy_Toska::UpdateSpell5Emitter(Spell5Emitter& rec, int index, float dt) {
    if (!target) return;
    const float c = std::clamp(level, 0.0f, 1.0f);
    const bool odd = index % 2 != 0;
    if (phaseClock >= kOpeningPause) {
        if (!rec.started) {
            rec.started = 1;
            rec.timer += index * 0.1f;
        }
        rec.timer -= dt;
        while (rec.timer <= 0.0f) {
            const float a = (index / 16.0f - 0.5f) * 240.0f * kDeg;
            const int count = static_cast<int>(c * 1.5f + 3.0f);
            for (int j = 0; j < count; ++j) {
                Bullet_Razer* shot = nullptr;
                FireShot(m_areaPos, Then(Pitch(-90.0f * kDeg), Roll(a)), 0.25f + j * 0.125f + (odd ? 0.125f : 0.0f), 1,
                         odd ? 3 : 6, &shot);
                if (!shot) continue;
                TrackedShot entry;
                entry.shot = shot;
                entry.returned = std::make_shared<bool>(false);
                std::shared_ptr<bool> flag = entry.returned;
                shot->returnCallback = [flag](Bullet_Razer*) { *flag = true; };
                rec.tracked.push_back(entry);
            }
            Wrap(rec.counter, rec.overflow, 10000);
            rec.timer += 1.6f;
        }
        rec.clock += dt;
    }

    // Shots old enough turn toward the player and keep their speed.
    for (size_t i = 0; i < rec.tracked.size();) {
        TrackedShot& entry = rec.tracked[i];
        if (entry.age >= 0.8f || *entry.returned) {
            Bullet_Razer* shot = entry.shot;
            if (!*entry.returned) {
                shot->returnCallback.clear();
                const D3DXQUATERNION turn = MakeAimQuaternion(shot->GetAreaPos(), target->GetAreaPos());
                shot->SetOrientation(turn);
                const float speed = D3DXVec3Length(&shot->GetVelocity());
                shot->SetVelocity(Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, speed), turn));
            }
            shot->Release();
            rec.tracked.erase(rec.tracked.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        entry.age += dt;
        ++i;
    }
}

// ---------------------------------------------------------------------------
// Animation

int Enemy_Toska::PlayAnimationSet(int state) {
    const char* name = "AnimationSet_toska5nj";
    switch (state) {
    case 2: case 4: name = "AnimationSet_toska5lj"; break;
    case 3: name = "AnimationSet_toska5l2j"; break;
    case 5: case 7: name = "AnimationSet_toska5rj"; break;
    case 6: name = "AnimationSet_toska5r2j"; break;
    default: break;
    }
    if (!animation) return -1;
    currentSet = PlayAnimationSetOnTrack(animation, 0, name);
    return currentSet;
}

void Enemy_Toska::StartAnimState(int state) {
    if (state == 2 || state == 5) {
        animStart = animation ? animation->GetTime() : 0.0;
        animTarget = 1.0;
    } else if (state == 4 || state == 7) {
        animStart = animValue;
        animTarget = 0.0;
    } else {
        animStart = 0.0;
        animTarget = 1.0;
    }
    animValue = animStart;
    blend = 0.0f;
    animState = state;
    currentTrack = 0;
    previousTrack = -1;
    PlayAnimationSet(state);
    RestartAnimationTrack0(animation, kTrackSpeed);
}

void Enemy_Toska::UpdateAnimation(float dt) {
    EnsureEnemyAnimation(this, animation);
    // A band of +-40 around the neutral pose, so that the return and
    // neutral states are reached when the boss stops banking.
    const float side = velocity.x;
    if (side > kTurnSpeed) {
        if (animState != 5 && animState != 6) StartAnimState(5);
    } else if (side < -kTurnSpeed) {
        if (animState != 2 && animState != 3) StartAnimState(2);
    } else if (animState == 2 || animState == 3) {
        StartAnimState(4);
    } else if (animState == 5 || animState == 6) {
        StartAnimState(7);
    } else if (animState != 1 && animState != 4 && animState != 7) {
        StartAnimState(1);
    }

    if (animation) animation->SetTrackWeight(0, 1.0f);
    if (blend >= 0.0f) {
        blend += dt;
        if (blend >= 1.0f) {
            blend = -1.0f;
            int chained = animState;
            if (animState == 2) chained = 3;
            else if (animState == 5) chained = 6;
            else if (animState == 4 || animState == 7) chained = 1;
            if (chained != animState) {
                animState = chained;
                PlayAnimationSet(chained);
                animStart = 0.0;
                animTarget = 1.0;
            }
        }
    }
    animValue += (animTarget - animStart) * dt;
    if (!animation) return;
    animation->SetTrackPosition(0, animValue * kTrackSpeed);
    animation->AdvanceTime(0.0, nullptr);
}
