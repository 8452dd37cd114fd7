#include "game/enemy/types/PooledEnemy.h"

#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/types/Enemy_Fighter2.h"
#include "game/state/Environment2.h"

PooledEnemy::PooledEnemy(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                         const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator_, EnemyListSet* listSet_)
    : EnemyEx(objectManager, areaManager, position, generator_, listSet_) {}

// A pooled enemy dies with its pool: no vanish here, whose removal request
// would name an object that is going away.
PooledEnemy::~PooledEnemy() = default;

void PooledEnemy::Hit(Quorvex::Object* hitter) { Enemy_Fighter2::Hit(*this, hitter); }

void PooledEnemy::Vanish() {
    if (m_life == -1.0f && IsRemoveRequested()) return;
    SetAttackType(1);
    m_life = -1.0f;
    RequestRemove(true);
    if (listSet) ReturnToListSet(listSet);
    ReturnToFactory();
}

int PooledEnemy::ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) {
    auto* record = dynamic_cast<EnemySpawnParam*>(param);
    if (!record) return -1;
    LaunchFrom(*record);
    return 0;
}

Quorvex::AreaPos PooledEnemy::GeneratorPosition() const {
    if (generator) return generator->GetAreaPos();
    return g_pEnvironment2 ? g_pEnvironment2->centerInfo.pos : Quorvex::AreaPos();
}

D3DXVECTOR3 PooledEnemy::OffsetFromGenerator() const {
    return Quorvex::AreaPos::Difference(m_areaPos, GeneratorPosition());
}
