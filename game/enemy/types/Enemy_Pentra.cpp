#include "game/enemy/types/Enemy_Pentra.h"

#include <algorithm>
#include <cmath>

#include <boost/bind/bind.hpp>

#include "engine/core/Utility.h"
#include "game/enemy/AttackParam_Laser.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/types/EnemyTypeCommon.h"
#include "game/player/weapons/Bullet_Ring.h"
#include "game/state/Environment2.h"

using boost::placeholders::_1;

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kDegree = 0.017453292f;
// Colour types whose atlas cells the spell shots show: column 1 row 1 and
// column 2 row 1.
constexpr int kCellBlue = 3;
constexpr int kCellRain = 6;

const wchar_t* const kFirstSpellTitle = L"雨符「レイクサイドレイン」";
const wchar_t* const kSecondSpellTitle = L"光符「セブンスレイ」";

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }
// A fresh value in [-1, 1).
float Signed() { return 2.0f * BossRandom() - 1.0f; }
// Raised to the next odd number when even.
int Odd(int n) { return n % 2 == 0 ? n + 1 : n; }

}  // namespace

Enemy_Pentra::Enemy_Pentra(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                           const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator_,
                           EnemyListSet* /*listSet*/)
    : PhaseBoss(objectManager, areaManager, position, generator_) {}

Enemy_Pentra::~Enemy_Pentra() = default;

int Enemy_Pentra::Initialize(int param) {
    return InitializeMeshEnemy(this, param, "Mesh_Pentra", L"EnemyFighter", kScore);
}

void Enemy_Pentra::Launch(const Quorvex::AreaPos& start, const D3DXQUATERNION& orientation,
                          Quorvex::ObjectManager* objectManager) {
    EnemyEx::Launch(orientation, objectManager, start, MoveModePath2, kLaunchLife,
                    D3DXVECTOR3(314.0f, 314.0f, 471.0f));
    hitGuard = 0.0f;
    shotStateA.Reset(level);
    shotStateB.Reset(level);
    m_areaPos = start;
    SetPhase(1);
    phaseClock = 0.0f;
    phaseLimit = -1.0f;
    if (g_pEnvironment2) g_pEnvironment2->currentBoss = this;
}

void Enemy_Pentra::SetPhase(int n) {
    EnterPhase(n);
    boost::function<NextPos(MoveParam*)> next;
    MoveParam* mp = GetMoveParam();
    const auto near = boost::bind(&EnemyEx::NextPosNear, this, _1);

    switch (n) {
    case 1:
        SetEntryPath(boost::bind(&Enemy_Pentra::NextPhase, this, _1));
        break;
    case 2:
        next = near;
        break;
    case 3:
        next = near;
        phaseCallback = boost::bind(&Enemy_Pentra::RunPhaseA, this, _1);
        phaseLimit = 90.0f;
        break;
    case 4:
        next = boost::bind(&EnemyEx::NextPosTargetDir, this, _1);
        phaseCallback = boost::bind(&Enemy_Pentra::RunFirstSpell, this, _1);
        StartSpellCard("spellPentra", kFirstSpellTitle);
        phaseLimit = 120.0f;
        break;
    case 5:
        next = near;
        phaseCallback = boost::bind(&Enemy_Pentra::RunPatternPair, this, _1);
        phaseLimit = 90.0f;
        break;
    case 6:
        next = near;
        phaseCallback = boost::bind(&Enemy_Pentra::RunSecondSpell, this, _1);
        StartSpellCard("spellPentra", kSecondSpellTitle);
        phaseLimit = 120.0f;
        break;
    case 11: {
        // From where the boss is, as an offset from the path's reference.
        const D3DXVECTOR3 points[3] = {BossOffsetFromGenerator(this), D3DXVECTOR3(200.0f, 200.0f, 1200.0f),
                                       D3DXVECTOR3(-400.0f, 0.0f, 2000.0f)};
        mp->SetPath(points, 3, 500.0f);
        mp->onPathEnd = boost::bind(&Enemy_Pentra::VanishAtPathEnd, this, _1);
        break;
    }
    default:
        break;
    }

    ClearAttacks();
    shotStateA.Reset(level);
    shotStateB.Reset(level);
    shotStateC.Reset(level);
    hitGuard = kHitGuard;
    SettleBossPhase(this, 1.0f, next);
}

void Enemy_Pentra::EndPhase() {
    switch (phase) {
    case 3:
        BossExplode(this, 40.0f);
        RefillLife(kSpellLife);
        AwardScore();
        SetPhase(4);
        break;
    case 4:
        EndSpellCard();
        BossExplode(this, 60.0f);
        RefillLife(kLaunchLife);
        AwardScore();
        SetPhase(5);
        break;
    case 5:
        BossExplode(this, 40.0f);
        RefillLife(kSpellLife);
        AwardScore();
        SetPhase(6);
        break;
    case 6:
        EndSpellCard();
        BossExplode(this, 60.0f);
        RefillLife(kLaunchLife);
        AwardScore();
        SetPhase(2);
        BossSkipStage();
        break;
    default:
        break;
    }
}

void Enemy_Pentra::NextPhase(EnemyEx::MoveParam*) {
    switch (phase) {
    case 1:
    case 6:
        SetPhase(2);
        break;
    case 3:
    case 4:
    case 5:
        SetPhase(phase + 1);
        break;
    default:
        break;
    }
}

void Enemy_Pentra::Update(float dt) {
    const Quorvex::AreaPos before = m_areaPos;
    RunPhaseFrame(dt);
    UpdateAuraSince(dt, before, aura);
    // Always faces the player.
    if (target) m_orientation = MakeAimQuaternion(GetWorldPosition(), GetTargetPosition());
    hitGuard = std::max(hitGuard - dt, 0.0f);
}

// ---------------------------------------------------------------------------
// Phase steps

void Enemy_Pentra::RunPhaseA(float dt) {
    BossSweepPattern(this, false, dt, shotStateA);
    FireRingBursts(dt, shotStateB);
}

void Enemy_Pentra::RunFirstSpell(float dt) {
    FireRainRings(dt, shotStateA);
    FireRainCurtain(dt, shotStateB);
    FireSpellAimed(dt, shotStateC);
}

void Enemy_Pentra::RunPatternPair(float dt) {
    FireRazerWalls(dt, shotStateA);
    FireRazerFan(dt, shotStateB);
}

void Enemy_Pentra::RunSecondSpell(float dt) {
    FireSecondSpellLasers(dt, shotStateA);
    FireSecondSpellVolley(dt, shotStateB);
}

// ---------------------------------------------------------------------------
// Fire steps

void Enemy_Pentra::FireRingBursts(float dt, EnemyEx::ShotParam1& s) {
    if (!target) return;
    const float inv = Clamp01(1.0f - s.level);
    if (CheckAttackRange(GetTargetPosition(), m_orientation, GetWorldPosition(), 50.0f + 300.0f * inv,
                         2000.0f - 500.0f * inv, 1.9198622f, 1.7453293f) != 0)
        return;
    s.rest = std::max(s.rest - dt, 0.0f);
    s.timer = std::max(s.timer - dt, 0.0f);
    const float L = Clamp01(s.level);
    const float step = 0.15f - 0.1f * L;
    const int n = static_cast<int>(20.0f * L + 10.0f);
    const float pause = 2.0f - 1.5f * L;
    if (s.rest == 0.0f && s.timer == 0.0f) {
        const float yaw = (BossRandom() - 0.5f) * 5.0f * kDegree;
        const float pitch = (BossRandom() - 0.5f) * 5.0f * kDegree;
        const D3DXQUATERNION facing = BossTurn(MakeAimQuaternion(GetWorldPosition(), GetTargetPosition()),
                                               Quorvex::YawPitchRollQuaternion(yaw, pitch, 0.0f));
        Quorvex::FactoryAdapter* pool = generator ? generator->GetPool(EnemyGenerator_Derive::PoolRing) : nullptr;
        if (pool) {
            Bullet_Ring::SetParam record =
                Bullet_Ring::MakeParam(m_areaPos, facing, this, GetTargetVelocity(), level, GetObjectManager(), 1.0f);
            if (Quorvex::IFactoryProduct* shot = pool->AcquireProduct(&record)) {
                if (auto* ring = dynamic_cast<Bullet_Ring*>(shot)) ring->ResetSpriteUV();
                shot->Release();
            }
        }
        s.counter += 1;
        if (s.counter >= n) {
            s.counter = 0;
            s.rest = pause;
        }
        s.timer += step;
    }
    s.clock += dt;
}

void Enemy_Pentra::FireRainRings(float dt, EnemyEx::ShotParam1& s) {
    if (!target) return;
    const float L = Clamp01(s.level);
    const RainRingShape shape{static_cast<int>(3.0f * L + 2.0f), static_cast<int>(3.0f * L + 1.0f),
                              0.15f - 0.1f * L};
    BossRainRings(this, dt, s, heldBullets, shape);
    s.clock += dt;
}

void Enemy_Pentra::FireRainCurtain(float dt, EnemyEx::ShotParam1& s) {
    if (!target) return;
    if (s.clock >= 1.0f) {
        s.timer -= dt;
        const float interval = 0.01f + 0.01f * Clamp01(1.0f - s.level);
        const float speed = 1.0f + 0.5f * s.level;
        while (s.timer < 0.0f) {
            const float s1 = Signed();
            const float s2 = Signed();
            D3DXVECTOR3 direction(0.125f * s1, -0.125f * s2 - 0.125f, -1.0f);
            D3DXVec3Normalize(&direction, &direction);
            const float x = 300.0f * Signed();
            const float y = 100.0f + 40.0f * Signed();
            const float z = 50.0f + 200.0f * Signed();
            BossFireRazer(this, m_areaPos.Translated(D3DXVECTOR3(x, y, z)), Quorvex::YawPitchRollQuaternion(direction),
                          speed, kCellRain);
            s.timer += interval;
        }
    }
    s.clock += dt;
}

void Enemy_Pentra::FireRazerWalls(float dt, EnemyEx::ShotParam1& s) {
    if (!target) return;
    if (s.clock >= 3.0f) {
        s.timer -= dt;
        const float L = Clamp01(s.level);
        while (s.timer < 0.0f) {
            int n = static_cast<int>(6.0f * L + 8.0f);
            if (n % 2 != 0) ++n;
            const float w = std::sin(s.clock / 12.0f * kTwoPi) * 150.0f + 50.0f;
            const float spread = std::sin(s.clock / 6.0f * kTwoPi) * 0.075f + 0.15f;
            for (const float e : {1.0f, -1.0f}) {
                for (int j = 0; j < n; ++j) {
                    const float f = static_cast<float>(j) / n;
                    const D3DXVECTOR3 offset(800.0f * f - 400.0f, (w * f - w * 0.5f) * e, -50.0f * f - 25.0f);
                    const bool secondHalf = j >= n / 2;
                    D3DXVECTOR3 direction(secondHalf ? -spread : spread, 0.0f, -1.0f);
                    D3DXVec3Normalize(&direction, &direction);
                    BossFireRazer(this, m_areaPos.Translated(offset), Quorvex::YawPitchRollQuaternion(direction), 1.0f,
                                  secondHalf ? 2 : 1);
                }
            }
            s.timer += 0.06f;
        }
    }
    s.clock += dt;
}

void Enemy_Pentra::FireSwayFan(int n, float step, float sweep, bool colourByIndex) {
    const float first = -(n - 1) / 2 * step;
    for (int i = 0; i < n; ++i) {
        const float p = BossPitchToTarget(this);
        const float e = i % 2 != 0 ? 0.01745329f : -0.01745329f;
        const float s1 = Signed();
        const float s2 = Signed();
        BossFireRazer(this, m_areaPos,
                      Quorvex::YawPitchRollQuaternion(D3DX_PI + first + i * step + sweep + 0.0087266f * s2,
                                                      p + e + 0.0087266f * s1, 0.0f),
                      1.0f, colourByIndex ? i + 1 : kCellBlue);
    }
}

void Enemy_Pentra::FireSpellAimed(float dt, EnemyEx::ShotParam1& s) {
    if (!target) return;
    if (s.clock >= 1.0f) {
        s.timer -= dt;
        const int n = Odd(static_cast<int>(2.5f * Clamp01(s.level) + 3.0f));
        const float step = 0.5235988f / n;
        const float sweep = 1.5f * step * std::sin(s.clock * kTwoPi / 3.0f);
        while (s.timer < 0.0f) {
            FireSwayFan(n, step, sweep, false);
            s.timer += 0.06f;
        }
    }
    s.clock += dt;
}

void Enemy_Pentra::FireRazerFan(float dt, EnemyEx::ShotParam1& s) {
    if (!target) return;
    if (s.clock >= 4.0f) {
        s.timer -= dt;
        const float interval = 0.1f + 0.2f * Clamp01(1.0f - s.level);
        const int n = Odd(static_cast<int>(2.5f * Clamp01(s.level) + 3.0f));
        const float step = 0.17453294f / n;
        const float first = -(n - 1) / 2 * step;
        while (s.timer < 0.0f) {
            const float p = BossPitchToTarget(this);
            for (int i = 0; i < n; ++i) {
                const float e = i % 2 != 0 ? 0.02617994f : -0.02617994f;
                BossFireRazer(this, m_areaPos, Quorvex::YawPitchRollQuaternion(D3DX_PI + first + i * step, p + e, 0.0f),
                              0.8f, kCellBlue);
            }
            s.timer += interval;
        }
    }
    s.clock += dt;
}

void Enemy_Pentra::FireSecondSpellLasers(float dt, EnemyEx::ShotParam1& s) {
    if (!target) return;
    if (s.clock >= 1.0f && laserCount == 0) {
        for (int i = 0; i < 7; ++i) {
            auto* laser = new AttackParam_Laser(this);
            laser->Start();
            laser->followOwner = 1;
            laser->aim = Quorvex::YawPitchRollQuaternion(D3DX_PI, 0.0f, 0.0f);
            laser->origin = m_areaPos;
            laser->offset = D3DXVECTOR3(i * 700.0f / 7.0f - 350.0f, 0.0f, 0.0f);
            laser->aimed = 0;
            laser->fireTime = 5.0f;
            laser->tailTime = 3.0f;
            laser->warnTime = 1.6f;
            laser->colour = i + 1;
            attacks.insert(laser);
        }
        laserCount += 1;
    }
    s.clock += dt;
}

void Enemy_Pentra::FireSecondSpellVolley(float dt, EnemyEx::ShotParam1& s) {
    if (!target) return;
    if (s.clock >= 3.0f) {
        s.timer -= dt;
        const int n = Odd(static_cast<int>(2.5f * Clamp01(s.level) + 4.0f));
        const float step = 0.7853982f / n;
        const float sweep = (std::fmod(s.clock, 3.0f) - 0.5f) * step;
        while (s.timer < 0.0f) {
            FireSwayFan(n, step, sweep, true);
            s.timer += 0.1f;
        }
    }
    s.clock += dt;
}
