#include "game/player/weapons/Bullet.h"

#include "engine/core/render/RenderStage.h"
#include "game/state/Environment2.h"
#include "game/world/AreaManager.h"
#include "game/world/Character.h"
#include "game/world/effects/EffectGenerator.h"

using Quorvex::AreaPos;
using Quorvex::Object;

Bullet::Bullet(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager, const AreaPos& start)
    : Object3D(manager, areaManager, start) {}

Bullet::~Bullet() = default;

int Bullet::Initialize(int) { return Initialize(InitParam{}); }

int Bullet::Initialize(const InitParam& record) {
    m_owner = record.owner;
    SetUpdatePriority(PriorityProjectile);
    SetGroupFlag(GroupProjectile, true);
    return 0;
}

const char* Bullet::GetTypeName() const { return "none"; }

void Bullet::SetSide(bool playerSide) {
    SetGroupFlag(GroupPlayerSide, playerSide);
    SetGroupFlag(GroupEnemySide, !playerSide);
}

bool Bullet::IsPlayerSide() const { return CheckGroupFlag(GroupPlayerSide); }

bool Bullet::OnOppositeSides(const Object* a, const Object* b) {
    if (!a || !b) return false;
    return (a->CheckGroupFlag(GroupPlayerSide) && b->CheckGroupFlag(GroupEnemySide)) ||
           (a->CheckGroupFlag(GroupEnemySide) && b->CheckGroupFlag(GroupPlayerSide));
}

bool Bullet::FilterCollision(const Object* self, const Object* other) {
    if (!self || !other) return false;
    if (other->CheckGroupFlag(GroupNoProjectileHit)) return false;
    const bool opposite = OnOppositeSides(self, other);
    if (other->CheckGroupFlag(GroupSolid) && opposite) return true;
    if (other->CheckGroupFlag(GroupProjectile)) return false;
    if (!opposite) return false;
    // Only a live character absorbs a shot; anything else counts as not alive.
    auto* character = dynamic_cast<Character*>(const_cast<Object*>(other));
    return character && *character->GetLife() > 0.0f;
}

bool Bullet::CanCollide(Object3D* other) { return FilterCollision(this, other); }

void Bullet::Explode(float size, BYTE partMask) {
    EffectGenerator* generator = g_pEnvironment2 ? g_pEnvironment2->effectGenerator : nullptr;
    if (generator) generator->CreateExplosion(m_areaPos.ToWorld(), size, partMask);
}

CollisionShapeSet* Bullet::FindShape(const wchar_t* name) const {
    Quorvex::IAreaManager* areas = GetAreaManager();
    return areas ? areas->FindShapeSet(name) : nullptr;
}

PlaneRigidBody* Bullet::CreateFloatingBody(CollisionShapeSet* shape) {
    CreateRigidBody(shape, 0, 0.5f, 0.0f);
    PlaneRigidBody* body = GetRigidBody();
    if (body) body->setGravity(btVector3(0.0f, 0.0f, 0.0f));
    return body;
}

void Bullet::OnCollisionPiercing(Object* other) {
    if (!other) return;
    if (other == this) {
        EndFlight();
        return;
    }
    if (OnOppositeSides(this, other)) Explode(20.0f, 0x38);
}

void Bullet::OnCollisionConsumed(Object* other) {
    if (!other || IsRemoveRequested()) return;
    if (other == this) {
        EndFlight();
        return;
    }
    if (OnOppositeSides(this, other)) {
        Explode(20.0f, 0x38);
        EndFlight();
    }
}

void Bullet::EndFlight() {
    if (auto* product = dynamic_cast<Quorvex::IFactoryProduct*>(this)) {
        product->ReturnToFactory();
        return;
    }
    LeaveFlight();
}

void Bullet::BeginLaunch(Quorvex::ObjectManager* manager, const char* stageName) {
    RequestRemove(false);
    if (manager) {
        manager->AddObject(this);
        if (stageName) {
            if (Quorvex::RenderStage* stage = manager->GetRenderStage(stageName)) {
                if (Quorvex::RenderStage* current = GetRenderStage()) current->SubObject(this);
                stage->AddObject(this);
            }
        }
    }
    if (GetAreaManager()) UpdateArea();
}

void Bullet::LeaveFlight() {
    if (Quorvex::RenderStage* stage = GetRenderStage()) stage->SubObject(this);
    RequestRemove(true);
}

void Bullet::RebinIfMoved() { Object3D::Update(0.0f); }

void Bullet::AddPoolDrift(Quorvex::FactoryAdapter* pool) { m_areaPos.Add(GetPoolDrift(pool)); }

BulletFactory::BulletFactory(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager,
                             const AreaPos& start)
    : Object3D(manager, areaManager, start) {}

BulletFactory::~BulletFactory() = default;

int BulletFactory::Initialize(int) {
    SetUpdatePriority(PriorityPool);
    return 0;
}

D3DXVECTOR3 GetPoolDrift(Quorvex::FactoryAdapter* pool) {
    if (auto* bulletPool = dynamic_cast<BulletFactory*>(pool)) return bulletPool->DriftVector;
    return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

void SetBulletAtlasCell(Quorvex::Sprite3DData* sprite, int column, int row) {
    if (!sprite) return;
    const float left = column * 0.25f + 0.003125f;
    const float top = row * 0.25f + 0.003125f;
    const float right = left + 0.24375f;
    const float bottom = top + 0.24375f;
    sprite->uv[0] = D3DXVECTOR2(left, top);
    sprite->uv[1] = D3DXVECTOR2(right, top);
    sprite->uv[2] = D3DXVECTOR2(left, bottom);
    sprite->uv[3] = D3DXVECTOR2(right, bottom);
}

void SetBulletAtlasCell(Quorvex::Sprite3DData* sprite, int colorType) {
    // (column, row) per colour type; any other value takes (1, 1).
    static const int kCells[12][2] = {{1, 0}, {0, 0}, {0, 1}, {1, 1}, {2, 0}, {3, 0},
                                      {2, 1}, {3, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}};
    const unsigned type = static_cast<unsigned>(colorType);
    if (type < 12)
        SetBulletAtlasCell(sprite, kCells[type][0], kCells[type][1]);
    else
        SetBulletAtlasCell(sprite, 1, 1);
}
