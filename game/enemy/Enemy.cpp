#include "game/enemy/Enemy.h"

#include "engine/core/render/DrawMeshInfo.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderStage.h"
#include "game/enemy/EnemyListSet.h"
#include "game/state/Environment2.h"
#include "game/world/Area.h"
#include "game/world/effects/EffectGenerator.h"

Enemy::Enemy(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
             const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator_, EnemyListSet* listSet_)
    : Character(objectManager, areaManager, position), generator(generator_), listSet(listSet_) {}

Enemy::~Enemy() {
    onFrame.clear();
}

int Enemy::Initialize(int) {
    SetUpdatePriority(PriorityEnemy);
    m_orientation = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
    m_life = 100.0f;
    m_gauge = 100.0f;
    return 0;
}

void Enemy::Update(float dt) {
    // Only the re-binning of the 3D object's update.
    Object3D::Update(dt);
    if (!onFrame.empty()) onFrame(dt);
    age += dt;
    SyncRigidBody(1);
}

float Enemy::GetDamage(Quorvex::Object* hitter) {
    if (!hitter || !hitter->CheckGroupFlag(GroupProjectile)) return 0.0f;
    Bullet* bullet = dynamic_cast<Bullet*>(hitter);
    return bullet ? bullet->GetAttackPower() : 0.0f;
}

void Enemy::Hit(Quorvex::Object* other) {
    if (!other) return;
    // A contact is reported once per contact point, several times a step: an
    // enemy already down must not die again.
    if (m_life <= 0.0f) return;
    m_life -= GetDamage(other);
    if (m_life < 0.0f) m_life = 0.0f;
    if (m_life <= 0.0f) {
        if (g_pEnvironment2 && g_pEnvironment2->effectGenerator)
            g_pEnvironment2->effectGenerator->CreateExplosion(m_areaPos, 40.0f, 0);
        RequestRemove(true);
    }
}

void Enemy::Discard() {}

void Enemy::Activate(const Quorvex::AreaPos& position, const D3DXQUATERNION& orientation, int /*mode*/,
                     Quorvex::ObjectManager* objectManager, float life, float level_) {
    RequestRemove(false);
    m_areaPos = position;
    m_orientation = orientation;
    m_life = life;
    m_gauge = life;
    m_gauge2 = life;
    mesh.m_bInstanceReset = 1;
    state = 0;
    level = level_;
    age = 0.0f;
    if (objectManager) {
        objectManager->AddObject(this);
        if (Quorvex::RenderStage* stage = objectManager->GetRenderStage("SolidModel")) AttachStage(stage);
    }
    SetGroupFlag(GroupEnemySide, true);
    SetGroupFlag(GroupSweptAtPhaseChange, true);
    SetGroupFlag(GroupLockable, true);
    if (GetAreaManager()) UpdateArea();
    SyncRigidBody(1);
    if (PlaneRigidBody* body = GetRigidBody()) body->setLinearVelocity(btVector3(0.0f, 0.0f, 0.0f));
}

void Enemy::Vanish() {
    m_life = -1.0f;
    RequestRemove(true);
    if (listSet) ReturnToListSet(listSet);
}

void Enemy::ReturnToListSet(EnemyListSet* set) {
    if (set) set->Return(this);
}

void Enemy::BuildCollision() {
    SetGroupFlag(GroupSweptAtPhaseChange, true);
}

void Enemy::UpdateWorldMatrix() {
    Quorvex::PushMesh(nullptr, mesh, MakeWorldMatrix(m_orientation, m_areaPos.ToWorld()));
}
