#include "game/player/GunFactory.h"

#include "game/player/Gun.h"
#include "game/player/Player.h"
#include "game/player/weapons/Bullet_Ray4.h"
#include "game/state/Environment2.h"

using Quorvex::AreaPos;

namespace {
AreaPos CentrePosition() { return g_pEnvironment2 ? g_pEnvironment2->centerInfo.pos : AreaPos(); }
}  // namespace

GunFactory::GunFactory(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager, const AreaPos& start,
                       Player* owner)
    : BulletFactory(manager, areaManager, start), m_owner(owner) {}

GunFactory::~GunFactory() = default;

int GunFactory::Initialize(int param) {
    BulletFactory::Initialize(param);
    SetMaxCount(kMaxCount);
    return 0;
}

void GunFactory::Update(float dt) {
    Object3D::Update(dt);
    if (m_owner) m_areaPos = m_owner->GetAreaPos();
}

template <class T>
Quorvex::IFactoryProduct* GunFactory::MakeBullet() {
    T* bullet = new T(GetManager(), GetAreaManager(), CentrePosition());
    bullet->AddRef();
    Gun::InitParam record;
    record.owner = m_owner;
    record.factory = this;
    record.objectManager = GetManager();
    if (bullet->Initialize(record) < 0) {
        bullet->RequestRemove(true);
        bullet->Release();
        return nullptr;
    }
    return bullet;
}

Quorvex::IFactoryProduct* GunFactory::NewBullet() { return MakeBullet<Gun>(); }
Quorvex::IFactoryProduct* GunHeavyFactory::NewBullet() { return MakeBullet<GunHeavy>(); }
Quorvex::IFactoryProduct* GunNeedleFactory::NewBullet() { return MakeBullet<GunNeedle>(); }

Quorvex::IFactoryProduct* GunFactory::CreateProduct() { return NewBullet(); }

Bullet_Ray4Factory::Bullet_Ray4Factory(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager,
                                       const AreaPos& start, Player* owner)
    : BulletFactory(manager, areaManager, start), m_owner(owner) {}

Bullet_Ray4Factory::~Bullet_Ray4Factory() = default;

int Bullet_Ray4Factory::Initialize(int param) {
    BulletFactory::Initialize(param);
    SetMaxCount(kMaxCount);
    return 0;
}

Quorvex::IFactoryProduct* Bullet_Ray4Factory::CreateProduct() {
    Bullet_Ray4* ray = NewProduct<Bullet_Ray4>(0, GetManager(), GetAreaManager(), CentrePosition());
    if (ray) ray->SetOwner(m_owner);
    return ray;
}

void Bullet_Ray4Factory::Update(float dt) {
    Object3D::Update(dt);
    m_areaPos = CentrePosition();
    if (!m_owner) return;
    const AreaPos now = m_owner->GetAreaPos();
    DriftVector = m_hasLast ? AreaPos::Difference(now, m_lastOwnerPosition) : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    m_lastOwnerPosition = now;
    m_hasLast = true;
}
