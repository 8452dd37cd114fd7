#include "game/enemy/types/Enemy_Big.h"

#include <boost/bind/bind.hpp>

#include "engine/core/Utility.h"
#include "game/enemy/AttackParam.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/types/EnemyTypeCommon.h"
#include "game/enemy/types/Enemy_Fighter2.h"
#include "game/enemy/types/Enemy_Fighter3.h"
#include "game/player/Player.h"
#include "game/state/Environment2.h"
#include "game/world/effects/EffectGenerator.h"

using boost::placeholders::_1;

Enemy_Big::Enemy_Big(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                     const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator_, EnemyListSet* listSet_)
    : PooledEnemy(objectManager, areaManager, position, generator_, listSet_) {}

Enemy_Big::~Enemy_Big() = default;

int Enemy_Big::Initialize(int param) {
    return InitializeMeshEnemy(this, param, "Mesh_Fairy", L"EnemyFighterBig", kScore);
}

void Enemy_Big::LaunchFrom(const EnemySpawnParam& record) {
    EnemyEx::Launch(D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f), record.manager, record.position, MoveModePath2, kLife,
                    D3DXVECTOR3(314.0f, 314.0f, 471.0f));
    bigPhase = PhaseArriving;
    chainCount = 0;
    hoverTime = 0.0f;
    MoveParam* mp = GetMoveParam();
    mp->onPathEnd = boost::bind(&Enemy_Big::NextPhaseAtPathEnd, this, _1);
    mp->refPoint = GetWorldPosition();
}

float Enemy_Big::AttackTime() const { return attacks.empty() ? hoverTime : (*attacks.begin())->elapsed; }

void Enemy_Big::Update(float dt) {
    const Quorvex::AreaPos before = m_areaPos;
    if (!UpdateInPlay(dt, kAgeLimit)) return;
    if (bigPhase == PhaseHovering) {
        hoverTime += dt;
        if (AttackTime() >= kAttackTime) NextPhase();
    } else {
        // It fires only while it hovers.
        SetAttackEnabled(false);
    }
    aura.intensity = 1.0f;
    UpdateAura(dt, Quorvex::AreaPos::Difference(m_areaPos, before), aura);
}

void Enemy_Big::NextPhase() {
    MoveParam* mp = GetMoveParam();
    switch (bigPhase) {
    case PhaseArriving:
        mp->nextPos = boost::bind(&EnemyEx::NextPosNear, this, _1);
        if (!mp->waypoints.empty()) {
            const NextPos& last = mp->waypoints.back();
            mp->refPoint = D3DXVECTOR3(last.x, last.y, last.z);
        } else {
            mp->refPoint = mp->endOffset;
        }
        SetAttackEnabled(true);
        hoverTime = 0.0f;
        bigPhase = PhaseHovering;
        break;
    case PhaseHovering: {
        const Quorvex::AreaPos reference = generator ? generator->GetAreaPos() : Quorvex::AreaPos();
        const D3DXVECTOR3 points[2] = {Quorvex::AreaPos::Difference(m_areaPos, reference),
                                       D3DXVECTOR3(0.0f, 100.0f, -100.0f)};
        SetLeavePath(points, 2);
        bigPhase = PhaseLeaving;
        break;
    }
    default:
        Vanish();
        break;
    }
}

void Enemy_Big::SetLeavePath(const D3DXVECTOR3* waypoints, int n) {
    MoveParam* mp = GetMoveParam();
    mp->SetPath(waypoints, n, kLeaveSpeed);
    const Quorvex::AreaPos reference = generator ? generator->GetAreaPos() : Quorvex::AreaPos();
    const D3DXVECTOR3 offset = Quorvex::AreaPos::Difference(m_areaPos, reference);
    mp->SetSegment(reference, offset, offset, age, age + 1.0f);
    mp->nextPos.clear();
}

void Enemy_Big::Hit(Quorvex::Object* hitter) {
    if (!Enemy_Fighter2::TakeHit(*this, hitter)) return;
    if (Player* player = g_pEnvironment2 ? g_pEnvironment2->player : nullptr) player->AddZenkGauge(0.5f);
    if (chainCount > 0) LaunchSuccessor();
    if (EffectGenerator* effects = g_pEnvironment2 ? g_pEnvironment2->effectGenerator : nullptr)
        effects->CreateExplosion(m_areaPos, 40.0f, 0);
    AwardScore();
    Vanish();
}

Enemy_Big* Enemy_Big::LaunchSuccessor() {
    if (!generator) return nullptr;
    // Offsets from the generator the successor flies against.
    D3DXVECTOR3 points[3] = {D3DXVECTOR3(700.0f, 0.0f, -10.0f), D3DXVECTOR3(500.0f, 0.0f, 400.0f),
                             D3DXVECTOR3(100.0f * (Quorvex::RandomFloat() - 0.5f) - 400.0f, 0.0f, 600.0f)};
    if (chainCount % 2 == 0)
        for (D3DXVECTOR3& p : points) p.x = -p.x;
    Enemy_Big* next = generator->LaunchBig(generator->GetAreaPos().Translated(points[0]));
    if (!next) return nullptr;
    next->SetLife(*GetGauge2());
    next->GetMoveParam()->SetPath(points, 3, kSuccessorSpeed);
    next->SetAttackType(27);
    auto* thrown = new AttackParam_nWayThrow(next);
    thrown->Start();
    thrown->variant = 1;
    next->attacks.insert(thrown);
    next->chainCount = chainCount + 1;
    AddEnemiesAppeared(1);
    next->Release();
    return next;
}

void Enemy_Big::Render(Quorvex::CalcVertexSet* list) { EnemyRenderMesh(this, list); }

void Enemy_Big::UpdateWorldMatrix() { EnemyUpdateWorldMatrix20(this, 30.0f); }
