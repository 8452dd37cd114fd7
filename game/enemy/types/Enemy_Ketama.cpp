#include "game/enemy/types/Enemy_Ketama.h"

#include <boost/bind/bind.hpp>

#include "game/enemy/types/EnemyTypeCommon.h"
#include "game/enemy/types/Enemy_Fighter2.h"
#include "game/enemy/types/Enemy_Fighter3.h"
#include "game/state/Environment2.h"
#include "game/world/effects/EffectSupport.h"

using boost::placeholders::_1;

Enemy_Ketama::Enemy_Ketama(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                           const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator_,
                           EnemyListSet* listSet_)
    : PooledEnemy(objectManager, areaManager, position, generator_, listSet_) {}

Enemy_Ketama::~Enemy_Ketama() = default;

int Enemy_Ketama::Initialize(int param) {
    Enemy::Initialize(param);
    sprite.Reset();
    sprite.ResetTransform();
    sprite.SetMaterial(FindMaterial(GetManager(), "matKetama"));
    sprite.width = 30.0f;
    sprite.height = 30.0f;
    CreateEnemyBody(this, L"EnemyKetama");
    score = kScore;
    return 0;
}

void Enemy_Ketama::LaunchFrom(const EnemySpawnParam& record) {
    EnemyEx::Launch(D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f), record.manager, record.position, MoveModeNone, kLife,
                    D3DXVECTOR3(314.0f, 314.0f, 471.0f));
    homing = true;
    onFrame = boost::bind(&Enemy_Ketama::HomingMotion, this, _1);
}

void Enemy_Ketama::HomingMotion(float dt) {
    if (homing && target) {
        const D3DXVECTOR3 d = GetTargetPosition() - GetWorldPosition();
        const float distance = D3DXVec3Length(&d);
        if (distance <= kHomingRange) {
            // Close enough: the course is kept from now on.
            homing = false;
        } else {
            const D3DXVECTOR3 desired = d * (kHomingSpeed / distance);
            velocity = desired * dt + velocity * (1.0f - dt);
        }
    }
    if (g_pEnvironment2) m_areaPos.Add(g_pEnvironment2->centerInfo.move);
    m_areaPos.Add(velocity * dt);
}

void Enemy_Ketama::Update(float dt) {
    Enemy::Update(dt);
    UpdateAttacks(dt);
}

void Enemy_Ketama::Render(Quorvex::CalcVertexSet* list) { EnemyRenderSprite(list, sprite, GetWorldPosition()); }

void Enemy_Ketama::UpdateWorldMatrix() { EnemyUpdateWorldMatrix20(this); }
