#include "game/enemy/types/BossCommon.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <boost/bind/bind.hpp>

#include "engine/core/Utility.h"
#include "game/enemy/AttackParam.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/types/EnemyTypeCommon.h"
#include "game/player/Player.h"
#include "game/player/weapons/Bullet_Razer.h"
#include "game/state/Environment2.h"
#include "game/state/IActionScene.h"
#include "game/world/effects/EffectGenerator.h"

using boost::placeholders::_1;

namespace {
constexpr float kTwoPi = 6.2831855f;
constexpr float kDegree = 0.017453292f;
}  // namespace

void BossVanish(PooledEnemy* boss) {
    if (!boss) return;
    boss->PooledEnemy::Vanish();
    if (g_pEnvironment2 && g_pEnvironment2->currentBoss == boss) g_pEnvironment2->currentBoss = nullptr;
}

int InitializeBigBoss(EnemyEx* boss, int param, const char* meshId, int64_t score) {
    boss->Enemy::Initialize(param);
    boss->SetUpdatePriority(750);
    boss->SetOrientation(D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f));
    *boss->GetLife() = 100.0f;
    *boss->GetGauge() = 100.0f;
    SetEnemyMesh(boss, meshId);
    CreateEnemyBody(boss, L"EnemyFighterBig");
    boss->score = score;
    return 0;
}

void BossSkipStage() {
    if (IActionScene* scene = g_pEnvironment2 ? g_pEnvironment2->actionScene : nullptr) scene->SetSkip();
}

void BossExplodeStageObjects(EnemyGenerator_Derive* generator) {
    // The running scene when it is a stage, else the generator's own stage.
    IActionScene* scene = g_pEnvironment2 ? g_pEnvironment2->actionScene : nullptr;
    if (scene && scene->ExplodeKind7Objects()) return;
    if (generator && generator->stageScene) generator->stageScene->ExplodeKind7Objects();
}

void BossExplode(Enemy* boss, float size) {
    EffectGenerator* effects = g_pEnvironment2 ? g_pEnvironment2->effectGenerator : nullptr;
    if (effects && boss) effects->CreateExplosion(boss->GetAreaPos(), size, 0);
}

void SetBossTimeLimit(float seconds) {
    if (g_pEnvironment2) g_pEnvironment2->bossTimeLimit = seconds;
}

bool StepBossPhaseClock(float& clock, float limit, float dt) {
    if (limit < 0.0f) {
        SetBossTimeLimit(0.0f);
        return false;
    }
    SetBossTimeLimit(std::max(limit - clock, 0.0f));
    clock += dt;
    return clock >= limit;
}

static Quorvex::AreaPos GeneratorPositionOf(const EnemyEx* boss) {
    if (boss && boss->generator) return boss->generator->GetAreaPos();
    return g_pEnvironment2 ? g_pEnvironment2->centerInfo.pos : Quorvex::AreaPos();
}

D3DXVECTOR3 BossOffsetFromGenerator(const EnemyEx* boss) {
    return Quorvex::AreaPos::Difference(boss->GetAreaPos(), GeneratorPositionOf(boss));
}

void MoveBossBy(EnemyEx* boss, const D3DXVECTOR3& by, float seconds) {
    const D3DXVECTOR3 here = BossOffsetFromGenerator(boss);
    boss->GetMoveParam()->SetSegment(GeneratorPositionOf(boss), here, here + by, boss->age, boss->age + seconds);
}

void HoldBossInPlace(EnemyEx* boss, float seconds) { MoveBossBy(boss, D3DXVECTOR3(0.0f, 0.0f, 0.0f), seconds); }

void SettleBossPhase(EnemyEx* boss, float holdSeconds,
                     const boost::function<EnemyEx::NextPos(EnemyEx::MoveParam*)>& next) {
    SetBossTimeLimit(-1.0f);
    HoldBossInPlace(boss, holdSeconds);
    boss->GetMoveParam()->nextPos = next;
}

float BossRandom() { return Quorvex::RandomFloat(); }

D3DXQUATERNION BossTurn(const D3DXQUATERNION& a, const D3DXQUATERNION& b) {
    D3DXQUATERNION q;
    D3DXQuaternionMultiply(&q, &a, &b);
    return q;
}

float BossPitchToTarget(const EnemyEx* boss) {
    const D3DXVECTOR3 d = boss->GetTargetPosition() - boss->GetWorldPosition();
    return std::atan2(-d.y, std::sqrt(d.x * d.x + d.z * d.z));
}

// ---------------------------------------------------------------------------
// Held bullets

BulletHoldSet::~BulletHoldSet() { Clear(); }

void BulletHoldSet::Add(Bullet_Razer* bullet) {
    if (!bullet || !bullets.insert(bullet).second) return;
    bullet->AddRef();
    bullet->returnCallback = boost::bind(&BulletHoldSet::Remove, this, _1);
}

void BulletHoldSet::Remove(void* bullet) {
    auto it = bullets.find(static_cast<Bullet_Razer*>(bullet));
    if (it == bullets.end()) return;
    Bullet_Razer* held = *it;
    bullets.erase(it);
    held->returnCallback.clear();
    held->Release();
}

void BulletHoldSet::Clear() {
    std::set<Bullet_Razer*> held;
    held.swap(bullets);
    for (Bullet_Razer* bullet : held) {
        bullet->returnCallback.clear();
        bullet->Release();
    }
}

// ---------------------------------------------------------------------------
// Shots

bool BossFireRazer(EnemyEx* boss, const Quorvex::AreaPos& from, const D3DXQUATERNION& orientation, float speed,
                   int colour) {
    if (!boss) return false;
    ShotSpawnParam record;
    MakeShotSpawnParam(from, orientation, record, boss, boss->GetTargetVelocity(), boss->level, boss->GetManager(),
                       speed, 1);
    return LaunchEnemyShot(boss, record, colour);
}

Bullet_Razer* BossFireHeldRazer(EnemyEx* boss, const Quorvex::AreaPos& from, const D3DXQUATERNION& orientation,
                                float speed, const D3DXVECTOR3& vector) {
    Quorvex::FactoryAdapter* pool =
        boss && boss->generator ? boss->generator->GetPool(EnemyGenerator_Derive::PoolRazer) : nullptr;
    if (!pool) return nullptr;
    ShotSpawnParam record;
    MakeShotSpawnParam(from, orientation, record, boss, vector, boss->level, boss->GetManager(), speed, 1);
    Quorvex::IFactoryProduct* shot = pool->AcquireProduct(&record);
    if (!shot) return nullptr;
    BossSetShotCell(shot, 1, 1);
    auto* razer = dynamic_cast<Bullet_Razer*>(shot);
    if (!razer) shot->Release();
    return razer;
}

void BossSetShotCell(Quorvex::IFactoryProduct* shot, int column, int row) {
    if (auto* coloured = dynamic_cast<IAtlasColoredShot*>(shot))
        SetBulletAtlasCell(coloured->GetAtlasSprite(), column, row);
}

// ---------------------------------------------------------------------------
// Shared fire steps

void BossRainRings(EnemyEx* boss, float dt, const EnemyEx::ShotParam1& state, BulletHoldSet& held,
                   const RainRingShape& shape) {
    if (!boss || !boss->GetTarget() || state.clock < 3.0f) return;
    held.timer = std::max(held.timer - dt, 0.0f);
    if (held.timer == 0.0f) {
        const D3DXQUATERNION aim = MakeAimQuaternion(boss->GetWorldPosition(), boss->GetTargetPosition());
        for (int k = 0; k < shape.rings; ++k) {
            const float b = held.angle + kTwoPi * k / shape.rings;
            D3DXVECTOR3 offset(0.0f, 100.0f, -300.0f);
            Quorvex::RotateZ(offset, b);
            for (int j = 0; j < shape.dropsPerRing; ++j) {
                const float yaw = (BossRandom() - 0.5f) * 30.0f * kDegree;
                const float pitch = (BossRandom() - 0.5f) * 30.0f * kDegree;
                const D3DXQUATERNION facing = BossTurn(aim, Quorvex::YawPitchRollQuaternion(yaw, pitch, 0.0f));
                // Speed 0: the offset is the drop's whole own velocity; the
                // steering below comes on top while the set holds it.
                if (Bullet_Razer* drop = BossFireHeldRazer(boss, boss->GetAreaPos(), facing, 0.0f, offset)) {
                    drop->SetVelocity(drop->GetVelocity() + offset);
                    held.Add(drop);
                    drop->Release();
                }
            }
        }
        held.timer += shape.interval;
    }

    const Player* player = boss->GetTarget();
    const float v = 100.0f + 300.0f * std::max(player ? player->GetSpeedRate() : 0.0f, 0.0f);
    held.angle += 2.0943952f * dt;
    if (held.angle >= kTwoPi) held.angle -= kTwoPi;

    std::vector<Bullet_Razer*> finished;
    for (Bullet_Razer* bullet : held.bullets) {
        if (bullet->IsRemoveRequested() || bullet->GetElapsed() >= bullet->GetLifetime()) {
            finished.push_back(bullet);
            continue;
        }
        const D3DXVECTOR3 step = Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, v * dt), bullet->GetOrientation());
        bullet->SetAreaPos(bullet->GetAreaPos().Translated(step));
    }
    for (Bullet_Razer* bullet : finished) held.Remove(bullet);
}

bool BossInFireRange(const EnemyEx* boss, float level) {
    const float i = std::clamp(1.0f - level, 0.0f, 1.0f);
    return EnemyEx::CheckAttackRange(boss->GetTargetPosition(), boss->GetOrientation(), boss->GetWorldPosition(),
                                     50.0f + 300.0f * i, 2000.0f - 500.0f * i, 1.9198623f, 1.7453294f) == 0;
}

void BossSweepPattern(EnemyEx* boss, bool spell, float dt, EnemyEx::ShotParam1& w) {
    if (!boss || !boss->GetTarget()) return;
    if (!BossInFireRange(boss, w.level)) return;
    const float l = std::clamp(w.level, 0.0f, 1.0f);
    const float m = 3.0f + 2.0f * l;
    const int k = static_cast<int>(m);
    const int n = spell ? static_cast<int>(5.0f + 3.0f * l) : static_cast<int>(8.0f + 6.0f * l);
    const float interval = spell ? 0.2f - 0.15f * l : 0.2f - 0.1f * l;
    const float yawStep = (spell ? 25.0f / n : 4.0f) * kDegree;
    const float pitchStep = (spell ? 4.0f * n / m : 25.0f / m) * kDegree;
    const float speed = spell ? 0.8f : 0.5f;
    // Shots fly out around -z: the turn by pi comes last.
    const D3DXQUATERNION backward = Quorvex::YawPitchRollQuaternion(D3DX_PI, 0.0f, 0.0f);
    constexpr int kSweepColour = 3;  // atlas column 1, row 1

    w.timer += dt;
    while (w.timer >= interval) {
        const int K = w.counter % n - n / 2;
        const float yawBase = K * 1.0471976f / n;
        const float pitchBase = K * 0.5235988f / n;
        const int lines = spell ? 2 : 1;
        for (int line = 0; line < lines; ++line) {
            Quorvex::AreaPos from = boss->GetAreaPos();
            bool mirrored = w.counter >= n;
            if (spell) {
                from = from.Translated(D3DXVECTOR3(line == 0 ? 120.0f : -120.0f, 0.0f, 0.0f));
                mirrored = line == 1;
            }
            for (int s = 0; s < k; ++s) {
                const float d = m * 0.5f - s;
                float yaw = yawBase + d * yawStep + 0.0063969665f;
                const float pitch = pitchBase + d * pitchStep;
                if (mirrored) yaw = -yaw;
                BossFireRazer(boss, from, BossTurn(Quorvex::YawPitchRollQuaternion(yaw, pitch, 0.0f), backward),
                              speed, kSweepColour);
            }
        }
        w.counter += 1;
        if (w.counter >= 2 * n) w.counter = 0;
        w.timer -= interval;
    }
    w.clock += dt;
}

// ---------------------------------------------------------------------------
// Phase bosses

PhaseBoss::PhaseBoss(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                     const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator_)
    : PooledEnemy(objectManager, areaManager, position, generator_, nullptr) {
    RequestRemove(true);
}

// No vanish here: its removal request would name an object that is going
// away.
PhaseBoss::~PhaseBoss() {
    phaseCallback.clear();
    if (g_pEnvironment2 && g_pEnvironment2->currentBoss == this) g_pEnvironment2->currentBoss = nullptr;
}

void PhaseBoss::Hit(Quorvex::Object* hitter) {
    if (!hitter || hitGuard > 0.0f) return;
    if (!hitter->CheckGroupFlag(GroupPlayerSide) || !hitter->CheckGroupFlag(GroupProjectile)) return;
    m_life = std::max(m_life - GetDamage(hitter), 0.0f);
    if (m_life == 0.0f) EndPhase();
}

void PhaseBoss::Render(Quorvex::CalcVertexSet* list) { EnemyRenderMesh(this, list); }

void PhaseBoss::UpdateWorldMatrix() { EnemyUpdateWorldMatrix20(this); }

void PhaseBoss::LaunchFrom(const EnemySpawnParam& record) {
    Launch(record.position, D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f), record.manager);
}

void PhaseBoss::EnterPhase(int n) {
    phaseCallback.clear();
    phaseLimit = -1.0f;
    phase = n;
    phaseClock = 0.0f;
}

void SetBossLongEntryPath(EnemyEx* boss, const boost::function<void(EnemyEx::MoveParam*)>& onPathEnd) {
    EnemyEx::MoveParam* mp = boss->GetMoveParam();
    const D3DXVECTOR3 points[3] = {D3DXVECTOR3(700.0f, 200.0f, 3000.0f), D3DXVECTOR3(200.0f, 200.0f, 2000.0f),
                                   D3DXVECTOR3(0.0f, 0.0f, 1500.0f)};
    mp->SetPath(points, 3, 350.0f);
    mp->onPathEnd = onPathEnd;
}

void PhaseBoss::SetEntryPath(const boost::function<void(EnemyEx::MoveParam*)>& onPathEnd) {
    MoveParam* mp = GetMoveParam();
    const D3DXVECTOR3 points[3] = {D3DXVECTOR3(700.0f, 200.0f, 2000.0f), D3DXVECTOR3(200.0f, 200.0f, 1300.0f),
                                   D3DXVECTOR3(0.0f, 0.0f, 700.0f)};
    mp->SetPath(points, 3, 350.0f);
    mp->onPathEnd = onPathEnd;
    mp->refPoint = BossOffsetFromGenerator(this);
}

void PhaseBoss::RefillLife(float life) {
    m_life = life;
    m_gauge2 = life;
}

void PhaseBoss::RunPhaseFrame(float dt) {
    Enemy::Update(dt);
    UpdateAttacks(dt);
    if (StepBossPhaseClock(phaseClock, phaseLimit, dt)) EndPhase();
    RunStoredStep(phaseCallback, dt);
}
