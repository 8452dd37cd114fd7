#include "game/enemy/EnemyEx.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include <boost/bind/bind.hpp>

#include "engine/core/Environment.h"
#include "engine/core/Utility.h"
#include "game/enemy/AttackParam.h"
#include "game/enemy/AttackParam_Laser.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/player/Player.h"
#include "game/screen/GraphicManager.h"
#include "game/screen/GraphicObject.h"
#include "game/screen/GraphicObject_Spell.h"
#include "game/screen/ScoreMarker.h"
#include "game/screen/ViewObject.h"
#include "game/state/Environment2.h"
#include "game/state/SceneRequests.h"
#include "game/world/terrain/EnemySpellBg.h"
#include "game/world/terrain/GroundGenerator.h"

using boost::placeholders::_1;

namespace {

// Turning limit of the bank and the tilt: 15 degrees.
constexpr float kMaxLean = 0.2617994f;
// Speed at which the bank and tilt reach their limit.
constexpr float kLeanSpeed = 200.0f;
constexpr float kStraightSpeed = 77.5f;

float FrameTime() {
    return Quorvex::g_pEnvironment ? Quorvex::g_pEnvironment->GetFrameTime() : 1.0f / 60.0f;
}

}  // namespace

// ---------------------------------------------------------------------------
// Records

EnemyEx::MoveParam::MoveParam()
    : endOffset(0.0f, 0.0f, 0.0f), startOffset(0.0f, 0.0f, 0.0f), refPoint(0.0f, 0.0f, 0.0f) {}

void EnemyEx::MoveParam::Reset() {
    endTime = 0.0f;
    startTime = 0.0f;
    waypointIndex = 0;
    endOffset = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    startOffset = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    reference = Quorvex::AreaPos();
}

void EnemyEx::MoveParam::SetSegment(const Quorvex::AreaPos& reference_, const D3DXVECTOR3& startOffset_,
                                    const D3DXVECTOR3& endOffset_, float startTime_, float endTime_) {
    reference = reference_;
    startOffset = startOffset_;
    endOffset = endOffset_;
    startTime = startTime_;
    endTime = endTime_;
    refPoint = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

void EnemyEx::MoveParam::SetPath(const D3DXVECTOR3* points, int n, float speed) {
    Reset();
    waypoints.clear();
    if (!points || n <= 0) return;
    // A speed that is not positive holds the enemy on its segment instead of
    // giving infinite or undefined durations.
    const bool moving = speed > 0.0f && std::isfinite(speed);
    for (int j = 0; j < n; ++j) {
        NextPos p;
        p.x = points[j].x;
        p.y = points[j].y;
        p.z = points[j].z;
        if (j > 0) {
            const D3DXVECTOR3 d = points[j] - points[j - 1];
            p.duration = moving ? D3DXVec3Length(&d) / speed : std::numeric_limits<float>::infinity();
        }
        waypoints.push_back(p);
    }
}

void EnemyEx::ShotParam1::Reset(float ownerLevel) {
    *this = ShotParam1();
    level = ownerLevel;
}

// ---------------------------------------------------------------------------
// Life cycle

EnemyEx::EnemyEx(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                 const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator_, EnemyListSet* listSet_)
    : Enemy(objectManager, areaManager, position, generator_, listSet_),
      homePoint(0.0f, 0.0f, 0.0f),
      velocity(0.0f, 0.0f, 0.0f),
      toTarget(0.0f, 0.0f, 0.0f),
      toTarget2(0.0f, 0.0f, 0.0f),
      aimAtTarget(0.0f, 0.0f, 0.0f, 1.0f) {}

EnemyEx::~EnemyEx() {
    SetAttackType(1);
    delete moveParam;
    moveParam = nullptr;
    SetTarget(nullptr);
}

void EnemyEx::Update(float dt) {
    Enemy::Update(dt);
    UpdateAttacks(dt);
}

float EnemyEx::GetDamage(Quorvex::Object* hitter) {
    // Enemy projectiles never hurt enemies.
    if (!hitter || !hitter->CheckGroupFlag(GroupProjectile) || !hitter->CheckGroupFlag(GroupPlayerSide))
        return 0.0f;
    return Enemy::GetDamage(hitter);
}

void EnemyEx::Vanish() {
    SetAttackType(1);
    Enemy::Vanish();
}

void EnemyEx::SetTarget(Player* player) {
    if (player == target) return;
    if (player) player->AddRef();
    if (target) target->Release();
    target = player;
}

D3DXVECTOR3 EnemyEx::GetTargetPosition() const {
    return target ? target->GetWorldPosition() : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

D3DXVECTOR3 EnemyEx::GetTargetVelocity() const {
    return target ? target->GetVelocity() : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

void EnemyEx::Launch(const D3DXQUATERNION& orientation, Quorvex::ObjectManager* objectManager,
                     const Quorvex::AreaPos& position, int mode, float life, const D3DXVECTOR3& homePoint_) {
    Activate(position, orientation, mode, objectManager, life, g_pEnvironment2 ? g_pEnvironment2->attackLevel : 0.0f);
    SetTarget(g_pEnvironment2 ? g_pEnvironment2->player : nullptr);
    homePoint = homePoint_;
    velocity = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    toTarget = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    toTarget2 = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    if (moveParam) moveParam->Reset();
    switch (mode) {
    case MoveModeNone:
        onFrame.clear();
        break;
    case MoveModePath:
    case MoveModePath2:
        onFrame = boost::bind(&EnemyEx::MoveAlongPath, this, _1);
        break;
    case MoveModeStraight:
        onFrame = boost::bind(&EnemyEx::MoveStraight, this, _1);
        break;
    case MoveModeEmpty:
        onFrame = boost::bind(&EnemyEx::MoveNone, this, _1);
        break;
    default:
        break;
    }
    SetLife(life);
}

void EnemyEx::SetLife(float v) {
    m_life = v;
    m_gauge = v;
    m_gauge2 = v;
    lifeCap = std::min(v, 300.0f);
    m_gauge = lifeCap;
}

void EnemyEx::RecoverLifeGauge(float delta) {
    if (m_life <= 0.0f) {
        m_gauge = 0.0f;
        return;
    }
    m_gauge += delta;
    if (delta == 0.0f) m_gauge += 100.0f;
    m_gauge = std::min(m_gauge, std::min(m_life, lifeCap));
    if (m_gauge < 0.0f) m_gauge = 0.0f;
}

void EnemyEx::AwardScore() {
    SceneRequests* game = g_pEnvironment2 ? g_pEnvironment2->gameManager : nullptr;
    Player* player = g_pEnvironment2 && g_pEnvironment2->player ? g_pEnvironment2->player : target;
    const float rate = player ? std::max(player->GetSpeedRate(), 0.0f) : 0.0f;
    const float multiplier = game ? game->scoreMultiplier : 1.0f;

    ShowScoreMarker(multiplier);
    if (!game) return;

    // Truncated toward zero into 32 bits, then widened.
    const double raw = std::trunc(static_cast<double>(multiplier) * static_cast<double>(score) * 130.0);
    const int64_t points = static_cast<int32_t>(std::clamp(raw, -2147483648.0, 2147483647.0));
    game->stageScore += points;
    game->totalScore += points;
    game->enemiesShotDown += 1;
    game->scoreMultiplier = std::min(multiplier + 1.0f, 16.0f);
    game->scoreGauge = std::min(game->scoreGauge + 0.3f * rate, 1.0f);
}

// ---------------------------------------------------------------------------
// Attack set

void EnemyEx::SetAttackType(int id) {
    ClearAttacks();
    CreateAttack(id);
}

void EnemyEx::ClearAttacks() {
    while (!attacks.empty()) {
        AttackParam* attack = *attacks.begin();
        attacks.erase(attacks.begin());
        delete attack;
    }
}

void EnemyEx::SetAttackEnabled(bool flag) {
    for (AttackParam* attack : attacks) attack->enabled = flag ? 1 : 0;
}

void EnemyEx::UpdateAttacks(float dt) {
    std::vector<AttackParam*> done;
    for (AttackParam* attack : attacks) {
        attack->Update(dt);
        if (attack->finished) done.push_back(attack);
    }
    for (AttackParam* attack : done) {
        attacks.erase(attack);
        delete attack;
    }
}

bool EnemyEx::UpdateInPlay(float dt, float ageLimit) {
    Enemy::Update(dt);
    UpdateAttacks(dt);
    if (age >= ageLimit) Vanish();
    return !IsRemoveRequested();
}

AttackParam* EnemyEx::CreateAttack(int id) {
    auto add = [this](AttackParam* attack) {
        attack->Start();
        return attack;
    };
    // A volley pattern; with variant on it aims ahead of the target.
    auto addVolley = [](AttackParam_Volley* attack, bool variant) {
        attack->Start();
        attack->variant = variant ? 1 : 0;
        return attack;
    };
    AttackParam* made = nullptr;
    switch (id) {
    case 20:
    case 21:
    case 22:
    case 23:
    case 24:
    case 25: {
        auto* a = new AttackParam_nWay(this);
        addVolley(a, id >= 23);
        const int shape = (id - 20) % 3;
        if (shape == 1) a->wayMode = 1;
        if (shape == 2) a->wayMode = 2;
        made = a;
        break;
    }
    case 26:
        for (int k = 0; k < 2; ++k) {
            auto* a = static_cast<AttackParam_nWayThrow*>(add(new AttackParam_nWayThrow(this)));
            D3DXQuaternionRotationYawPitchRoll(&a->aim, D3DX_PI + (k - 0.5f) * 0.17453294f, 0.0f, 0.0f);
            a->volleyTimer += k * 0.15f;
            attacks.insert(a);
        }
        return nullptr;
    case 27:
        made = addVolley(new AttackParam_nWayThrow(this), true);
        break;
    case 30:
        made = add(new AttackParam_Circle(this));
        break;
    case 40:
    case 41:
        made = addVolley(new AttackParam_Line(this), id == 41);
        break;
    case 50:
    case 51:
        made = addVolley(new AttackParam_Single(this), id == 51);
        break;
    case 61:
        made = add(new AttackParam_OneShot(this));
        break;
    case 71:
    case 72:
        made = addVolley(new AttackParam_ShotGun(this), id == 72);
        break;
    case 10:
    case 11:
    case 12:
    case 13:
        made = AttackParam_Laser::Create(this, id);
        if (!made) return nullptr;
        break;
    default:
        return nullptr;
    }
    attacks.insert(made);
    return made;
}

namespace {

float AngleFraction(float x) {
    float a = std::fabs(x);
    while (a > 2.0f * D3DX_PI) a -= 2.0f * D3DX_PI;
    return a / D3DX_PI;
}

}  // namespace

int EnemyEx::CheckAttackRange(const D3DXVECTOR3& targetPos, const D3DXQUATERNION& shooterOrientation,
                              const D3DXVECTOR3& shooterPos, float minDist, float maxDist, float coneAngle,
                              float viewAngle) {
    const D3DXVECTOR3 d = targetPos - shooterPos;
    const float dist = D3DXVec3Length(&d);
    if (minDist > dist) return 1;
    if (dist > maxDist) return 2;

    D3DXQUATERNION inverse;
    D3DXQuaternionConjugate(&inverse, &shooterOrientation);
    D3DXVECTOR3 local = Quorvex::RotateByQuaternion(d, inverse);
    D3DXVec3Normalize(&local, &local);
    float w = 1.0f - (local.z + 1.0f) * 0.5f;
    if (AngleFraction(coneAngle) < w) return 3;

    // The camera's view cone; without a camera nothing is hidden from it.
    if (ViewObject* view = g_pEnvironment2 ? g_pEnvironment2->viewObject : nullptr) {
        D3DXVECTOR3 u = targetPos - view->GetEye();
        D3DXVECTOR3 v = view->GetLookAt() - view->GetEye();
        D3DXVec3Normalize(&u, &u);
        D3DXVec3Normalize(&v, &v);
        w = 1.0f - (D3DXVec3Dot(&u, &v) + 1.0f) * 0.5f;
        if (AngleFraction(viewAngle) < w) return 4;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Movement

EnemyEx::MoveParam* EnemyEx::GetMoveParam() {
    if (!moveParam) moveParam = new MoveParam();
    return moveParam;
}

EnemyEx::NextPos EnemyEx::NextWaypoint(MoveParam* mp) {
    if (!mp->nextPos.empty()) return mp->nextPos(mp);
    if (mp->waypointIndex >= static_cast<int32_t>(mp->waypoints.size()) || mp->waypointIndex < 0) {
        if (!mp->onPathEnd.empty()) {
            mp->onPathEnd(mp);
            NextPos hold;
            hold.x = mp->endOffset.x;
            hold.y = mp->endOffset.y;
            hold.z = mp->endOffset.z;
            hold.duration = mp->endTime - mp->startTime;
            return hold;
        }
        mp->waypointIndex = 0;
    }
    if (mp->waypoints.empty()) {
        // Nothing to follow: stay at the end point.
        NextPos hold;
        hold.x = mp->endOffset.x;
        hold.y = mp->endOffset.y;
        hold.z = mp->endOffset.z;
        return hold;
    }
    return mp->waypoints[mp->waypointIndex++];
}

EnemyEx::NextPos EnemyEx::NextPosNear(MoveParam* mp) {
    NextPos p;
    p.x = mp->refPoint.x + (Quorvex::RandomFloat() - 0.5f) * 10.0f;
    p.y = mp->refPoint.y + (Quorvex::RandomFloat() - 0.5f) * 20.0f + 20.0f;
    p.z = mp->refPoint.z + 700.0f;
    p.duration = 2.0f;
    return p;
}

EnemyEx::NextPos EnemyEx::NextPosFar(MoveParam* mp) {
    NextPos p = NextPosNear(mp);
    p.z = mp->refPoint.z + 1100.0f;
    return p;
}

EnemyEx::NextPos EnemyEx::NextPosScatter(MoveParam* mp) {
    NextPos p;
    p.x = mp->refPoint.x + (Quorvex::RandomFloat() - 0.5f) * 300.0f;
    p.y = mp->refPoint.y + (Quorvex::RandomFloat() - 0.5f) * 50.0f + 10.0f;
    p.z = mp->refPoint.z + (Quorvex::RandomFloat() - 0.5f) * 200.0f + 1100.0f;
    p.duration = 1.0f;
    return p;
}

EnemyEx::NextPos EnemyEx::NextPosTargetDir(MoveParam* mp) {
    D3DXVECTOR3 v = GetTargetVelocity();
    v.y = std::clamp(v.y, -100.0f, 200.0f);
    D3DXVec3Normalize(&v, &v);
    NextPos p;
    p.x = mp->refPoint.x + 600.0f * v.x;
    p.y = mp->refPoint.y + 600.0f * v.y;
    p.z = mp->refPoint.z + 600.0f * v.z;
    p.duration = 1.0f;
    return p;
}

void EnemyEx::MoveAlongPath(float) {
    // An enemy on its way out stays where it left.
    if (IsRemoveRequested()) return;
    MoveParam* mp = GetMoveParam();
    if (generator) mp->reference = generator->GetAreaPos();

    // Zero-length segments are passed in the same frame; a path made only of
    // them would loop for ever, so one frame takes at most one round of the
    // list (plus the end callback) before it holds at the end point.
    const size_t limit = mp->waypoints.size() + 3;
    for (size_t fetched = 0; mp->endTime <= age && fetched < limit; ++fetched) {
        m_areaPos = mp->reference.Translated(mp->endOffset);
        const NextPos next = NextWaypoint(mp);
        mp->startTime = age;
        mp->endTime = age + (std::isnan(next.duration) ? 0.0f : next.duration);
        mp->startOffset = Quorvex::AreaPos::Difference(m_areaPos, mp->reference);
        mp->endOffset = D3DXVECTOR3(next.x, next.y, next.z);
        // The end callback may have sent the enemy away.
        if (IsRemoveRequested()) return;
    }

    const float span = mp->endTime - mp->startTime;
    const D3DXVECTOR3 delta = mp->endOffset - mp->startOffset;
    float t = 1.0f;
    if (span > 0.0f) {
        t = std::min((age - mp->startTime) / span, 1.0f);
        velocity = std::isinf(span) ? D3DXVECTOR3(0.0f, 0.0f, 0.0f) : delta / span;
    } else {
        velocity = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    }
    const D3DXVECTOR3 offset = mp->startOffset + delta * t;
    m_areaPos = mp->reference.Translated(offset);
    UpdateAttitude();
}

void EnemyEx::MoveStraight(float dt) {
    const D3DXVECTOR3 forward = Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, kStraightSpeed), m_orientation);
    m_areaPos.Add(forward * dt);
    const Quorvex::AreaPos center = g_pEnvironment2 ? g_pEnvironment2->centerInfo.pos : Quorvex::AreaPos();
    if (Quorvex::AreaPos::Difference(m_areaPos, center).z < -10.0f) Vanish();
}

void EnemyEx::MoveNone(float) {}

void EnemyEx::UpdateAttitude() {
    const D3DXVECTOR3 angles = Quorvex::DirectionToAngles(velocity);
    D3DXQUATERNION heading;
    D3DXQuaternionRotationYawPitchRoll(&heading, angles.y, angles.x, 0.0f);
    D3DXQUATERNION q = heading;
    // Without a target the facing follows the motion alone.
    if (target) {
        const D3DXVECTOR3 from = m_areaPos.ToWorld();
        const D3DXVECTOR3 to = GetTargetPosition();
        aimAtTarget = MakeAimQuaternion(from, to);
        toTarget = MakeAimAngles(from, to);
        toTarget2 = toTarget;
        D3DXQuaternionSlerp(&q, &aimAtTarget, &heading, 0.75f);
    }

    const float speed = D3DXVec3Length(&velocity);
    D3DXVECTOR3 v;
    D3DXVec3Normalize(&v, &velocity);
    const D3DXVECTOR3 right = Quorvex::RotateByQuaternion(D3DXVECTOR3(1.0f, 0.0f, 0.0f), m_orientation);
    const D3DXVECTOR3 forward = Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, 1.0f), m_orientation);
    const float bank = std::min(D3DXVec3Dot(&right, &v) * speed / kLeanSpeed, 1.0f) * kMaxLean;
    const float tilt = std::min(D3DXVec3Dot(&forward, &v) * speed / kLeanSpeed, 1.0f) * kMaxLean;

    D3DXQUATERNION qBank, qTilt, goal;
    D3DXQuaternionRotationYawPitchRoll(&qBank, 0.0f, 0.0f, bank);
    D3DXQuaternionRotationYawPitchRoll(&qTilt, 0.0f, tilt, 0.0f);
    D3DXQuaternionIdentity(&goal);
    D3DXQuaternionMultiply(&goal, &goal, &qBank);
    D3DXQuaternionMultiply(&goal, &goal, &qTilt);
    D3DXQuaternionMultiply(&goal, &goal, &q);
    aimAtTarget = goal;

    D3DXQuaternionSlerp(&m_orientation, &m_orientation, &goal, std::min(3.0f * FrameTime(), 1.0f));
}

D3DXVECTOR3 MakeAimAngles(const D3DXVECTOR3& from, const D3DXVECTOR3& to) {
    const D3DXVECTOR3 d = to - from;
    return D3DXVECTOR3(std::atan2(-d.y, std::sqrt(d.x * d.x + d.z * d.z)), std::atan2(d.x, d.z), 0.0f);
}

D3DXVECTOR3 MakeAimAngles(const Quorvex::AreaPos& from, const Quorvex::AreaPos& to) {
    const D3DXVECTOR3 d = Quorvex::AreaPos::Difference(to, from);
    return MakeAimAngles(D3DXVECTOR3(0.0f, 0.0f, 0.0f), d);
}

D3DXQUATERNION MakeAimQuaternion(const D3DXVECTOR3& from, const D3DXVECTOR3& to) {
    const D3DXVECTOR3 a = MakeAimAngles(from, to);
    D3DXQUATERNION q;
    D3DXQuaternionRotationYawPitchRoll(&q, a.y, a.x, 0.0f);
    return q;
}

D3DXQUATERNION MakeAimQuaternion(const Quorvex::AreaPos& from, const Quorvex::AreaPos& to) {
    const D3DXVECTOR3 a = MakeAimAngles(from, to);
    D3DXQUATERNION q;
    D3DXQuaternionRotationYawPitchRoll(&q, a.y, a.x, 0.0f);
    return q;
}

// ---------------------------------------------------------------------------
// Spell phases

namespace {

EnemySpellBg* SpellBackground() {
    GroundGenerator* ground = g_pEnvironment2 ? g_pEnvironment2->groundGenerator : nullptr;
    return ground ? ground->GetEnemySpellBg() : nullptr;
}

}  // namespace

void EnemyEx::StartSpellCard(const char* textureId, const wchar_t* title) {
    if (GraphicManager* dialogue = g_pEnvironment2 ? g_pEnvironment2->graphicManager : nullptr) {
        if (GraphicObject* cutIn = dialogue->GetWindow(GraphicManager::CutIn)) cutIn->ShowSpellCutIn(textureId);
        if (GraphicObject* flash = dialogue->GetWindow(GraphicManager::ScreenEffect))
            flash->StartColorFlash(D3DXCOLOR(0.0f, 0.0f, 0.0f, 0.6f));
        if (GraphicObject_Spell* banner = dialogue->GetSpellBanner()) banner->SetTitle(title ? title : L"");
    }
    EnemySpellBg::SetMode(1, 2, SpellBackground(), 3, 0.0f);
}

void EnemyEx::EndSpellCard() {
    if (GraphicManager* dialogue = g_pEnvironment2 ? g_pEnvironment2->graphicManager : nullptr)
        if (GraphicObject_Spell* banner = dialogue->GetSpellBanner()) banner->SetTitle(L"");
    EnemySpellBg::SetMode(1, 2, SpellBackground(), 1, 0.0f);
}

void EnemyEx::ShowScoreMarker(float multiplier) {
    ScoreMarkerFactory* markers = g_pEnvironment2 ? g_pEnvironment2->scoreMarkerFactory : nullptr;
    if (!markers) return;
    ScoreMarker::SetParam record;
    record.target = this;
    record.manager = GetManager();
    record.multiplier = multiplier;
    record.score = score;
    if (ScoreMarker* marker = markers->AcquireMarker(&record)) marker->Release();
}
