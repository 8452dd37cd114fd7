#include "game/enemy/types/Enemy_Tama.h"

#include <boost/bind/bind.hpp>

#include "engine/core/Utility.h"
#include "game/enemy/AttackParam.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/types/EnemyTypeCommon.h"
#include "game/enemy/types/Enemy_Fighter2.h"
#include "game/enemy/types/Enemy_Fighter3.h"
#include "game/enemy/types/Enemy_Ketama.h"
#include "game/state/Environment2.h"

using boost::placeholders::_1;

Enemy_Tama::Enemy_Tama(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                       const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator_, EnemyListSet* listSet_)
    : PooledEnemy(objectManager, areaManager, position, generator_, listSet_) {}

Enemy_Tama::~Enemy_Tama() = default;

int Enemy_Tama::Initialize(int param) {
    return InitializeMeshEnemy(this, param, "Mesh_Tama", L"EnemyFighterBig", kScore);
}

void Enemy_Tama::LaunchFrom(const EnemySpawnParam& record) {
    EnemyEx::Launch(D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f), record.manager, record.position, MoveModePath2, kLife,
                    D3DXVECTOR3(314.0f, 314.0f, 471.0f));
    homeVector = g_pEnvironment2 ? g_pEnvironment2->sharedVector : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    spawnTimer = 0.0f;
    firing = true;
    MoveParam* mp = GetMoveParam();
    mp->nextPos = boost::bind(&EnemyEx::NextPosNear, this, _1);
    mp->onPathEnd = boost::bind(&Enemy_Tama::HoldAtPathEnd, this, _1);
}

void Enemy_Tama::Update(float dt) {
    const Quorvex::AreaPos before = m_areaPos;
    if (!UpdateInPlay(dt, kAgeLimit)) return;
    if (firing && age >= kStreamStart && age < kStreamEnd) ReleaseKetamas(dt);
    aura.intensity = 1.0f;
    UpdateAura(dt, Quorvex::AreaPos::Difference(m_areaPos, before), aura);
}

void Enemy_Tama::ReleaseKetamas(float dt) {
    spawnTimer -= dt;
    while (spawnTimer < 0.0f) {
        if (Enemy_Ketama* ketama = generator ? generator->LaunchKetama(m_areaPos) : nullptr) {
            ketama->SetLife(*ketama->GetGauge2());
            ketama->ClearAttacks();
            auto* single = new AttackParam_Single(ketama);
            single->Start();
            single->variant = 1;
            ketama->attacks.insert(single);
            const float r1 = Quorvex::RandomFloat();
            const float r2 = Quorvex::RandomFloat();
            ketama->velocity = D3DXVECTOR3((r2 - 0.5f) * 2.0f * kKetamaSpeed, (r1 - 0.5f) * 2.0f * kKetamaSpeed,
                                           kKetamaSpeed);
            ketama->Release();
            AddEnemiesAppeared(1);
        }
        spawnTimer += kSpawnInterval;
    }
}

void Enemy_Tama::Render(Quorvex::CalcVertexSet* list) { EnemyRenderMesh(this, list); }

void Enemy_Tama::UpdateWorldMatrix() { EnemyUpdateWorldMatrix20(this, 1.0f); }
