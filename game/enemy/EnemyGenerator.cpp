#include "game/enemy/EnemyGenerator.h"

#include "engine/assets/ResourceManager.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/player/weapons/Bullet.h"
#include "game/state/Environment2.h"

EnemyGenerator::EnemyGenerator(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                               const Quorvex::AreaPos& position)
    : Object3D(objectManager, areaManager, position) {
    resourceManager = objectManager ? objectManager->GetResourceManager() : nullptr;
    if (resourceManager) resourceManager->AddRef();
}

EnemyGenerator::~EnemyGenerator() {
    pending.clear();
    active.clear();
    if (resourceManager) resourceManager->Release();
    resourceManager = nullptr;
    // The global pointer must not outlive the generator it names.
    if (g_pEnvironment2 && static_cast<EnemyGenerator*>(g_pEnvironment2->enemyGenerator) == this)
        g_pEnvironment2->enemyGenerator = nullptr;
}

int EnemyGenerator::Initialize(int) {
    SetUpdatePriority(PriorityEnemyGenerator);
    if (g_pEnvironment2) g_pEnvironment2->enemyGenerator = dynamic_cast<EnemyGenerator_Derive*>(this);
    clock = 0.0f;
    centerMotion = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    return 0;
}

void EnemyGenerator::ClearEvents() {
    pending.clear();
}

void EnemyGenerator::AddEvent(const Event_CreateEnemy& event) {
    Event_CreateEnemy copy(event);
    copy.time += clock;
    // After every event due earlier, ahead of those due at the same time or
    // later: among equal times the later-added one runs first.
    auto at = pending.begin();
    while (at != pending.end() && at->time < copy.time) ++at;
    pending.insert(at, copy);
}

void EnemyGenerator::UpdateEvents(float dt) {
    Object3D::Update(dt);
    clock += dt;
    if (g_pEnvironment2) {
        const CenterInfo& center = g_pEnvironment2->centerInfo;
        m_areaPos = center.pos;
        m_orientation = center.orientation;
        centerMotion = center.move;
    }
    // Due events move to the active list in time order; no copy is made, so
    // a state block is never shared.
    while (!pending.empty() && !(pending.front().time > clock)) active.splice(active.end(), pending, pending.begin());

    for (auto it = active.begin(); it != active.end();) {
        if (it->function(&*it) != 0)
            it = active.erase(it);
        else
            ++it;
    }
}
