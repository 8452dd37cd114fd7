#include "game/enemy/types/Enemy_Vader.h"

#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/types/EnemyTypeCommon.h"
#include "game/enemy/types/Enemy_Fighter2.h"
#include "game/enemy/types/Enemy_Fighter3.h"
#include "game/state/Environment2.h"

Enemy_Vader::Enemy_Vader(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                         const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator_, EnemyListSet* listSet_)
    : PooledEnemy(objectManager, areaManager, position, generator_, listSet_) {}

Enemy_Vader::~Enemy_Vader() = default;

int Enemy_Vader::Initialize(int param) {
    return InitializeMeshEnemy(this, param, "Mesh_Fairy", L"EnemyFighter", kScore);
}

void Enemy_Vader::LaunchFrom(const EnemySpawnParam& record) {
    EnemyEx::Launch(D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f), record.manager, record.position, MoveModePath2, kLife,
                    D3DXVECTOR3(314.0f, 314.0f, 314.0f));
    homeVector = g_pEnvironment2 ? g_pEnvironment2->sharedVector : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    leg = 1;
    legTimer = 0.0f;
    anchor = m_areaPos;
    // It moves only by its own pattern.
    delete moveParam;
    moveParam = nullptr;
    onFrame.clear();
}

D3DXVECTOR3 Enemy_Vader::LegOffset(int n) {
    switch (n) {
    case 2: return D3DXVECTOR3(100.0f, 0.0f, 0.0f);
    case 4: return D3DXVECTOR3(-100.0f, 0.0f, 0.0f);
    default: return D3DXVECTOR3(0.0f, 0.0f, -60.0f);
    }
}

void Enemy_Vader::Update(float dt) {
    const Quorvex::AreaPos before = m_areaPos;
    Enemy::Update(dt);
    UpdateAttacks(dt);
    if (age >= kAgeLimit || GetWorldPosition().z < -10.0f) Vanish();
    if (IsRemoveRequested()) return;
    PatternStep(dt);
    aura.intensity = 1.0f;
    UpdateAura(dt, Quorvex::AreaPos::Difference(m_areaPos, before), aura);
}

void Enemy_Vader::PatternStep(float dt) {
    const D3DXVECTOR3 offset = LegOffset(leg);
    const float f = legTimer / kLegTime;
    if (f < 1.0f) {
        m_areaPos = anchor.Translated(offset * f);
    } else {
        // The overshoot is dropped: the next leg starts from its full point.
        anchor = anchor.Translated(offset);
        m_areaPos = anchor;
        leg = leg % 4 + 1;
        legTimer = 0.0f;
    }
    if (generator) anchor.Add(generator->GetCenterMotion());
    velocity = offset / kLegTime;
    UpdateAttitude();
    legTimer += dt;
}

void Enemy_Vader::Render(Quorvex::CalcVertexSet* list) { EnemyRenderMesh(this, list); }

void Enemy_Vader::UpdateWorldMatrix() { EnemyUpdateWorldMatrix20(this); }
