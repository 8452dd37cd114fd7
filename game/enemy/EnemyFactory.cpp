#include "game/enemy/EnemyFactory.h"

#include "engine/core/Environment.h"
#include "game/enemy/EnemyGenerator_Derive.h"

EnemyFactoryBase::EnemyFactoryBase(Quorvex::ObjectManager* objectManager_, Quorvex::IAreaManager* areaManager_,
                                   EnemyGenerator_Derive* generator_, int maxCount, bool registered)
    : Quorvex::Object(registered ? objectManager_ : nullptr, registered ? CreateRegister | CreateGroupBits : 0),
      objectManager(objectManager_),
      areaManager(areaManager_),
      generator(generator_) {
    SetMaxCount(maxCount);
}

int EnemyFactoryBase::Initialize(int) {
    SetUpdatePriority(PriorityPool);
    return 0;
}

void EnemyFactoryBase::Update(float) {
    if (copiesCenterMotion && generator) centerMotion = generator->GetCenterMotion();
}

int EnemyFactoryBase::ApplyParam(Quorvex::IFactoryProduct* product, Quorvex::IFactoryProduct::ISetParam* param) {
    if (auto* record = dynamic_cast<EnemySpawnParam*>(param)) record->manager = objectManager;
    return product->ApplySetParam(param);
}

Quorvex::AreaPos EnemyFactoryBase::SpawnPosition() const {
    return g_pEnvironment2 ? g_pEnvironment2->centerInfo.pos : Quorvex::AreaPos();
}

EnemyBulletFactoryBase::EnemyBulletFactoryBase(Quorvex::ObjectManager* objectManager,
                                               Quorvex::IAreaManager* areaManager, EnemyGenerator_Derive* generator_,
                                               int maxCount, BulletPoolFollow follow_)
    : BulletFactory(objectManager, areaManager,
                    g_pEnvironment2 ? g_pEnvironment2->centerInfo.pos : Quorvex::AreaPos()),
      generator(generator_),
      follow(follow_) {
    SetMaxCount(maxCount);
}

EnemyBulletFactoryBase::~EnemyBulletFactoryBase() {
    SetSegmentFactory(nullptr);
}

void EnemyBulletFactoryBase::SetSegmentFactory(Quorvex::FactoryAdapter* factory) {
    if (factory == segmentFactory) return;
    if (factory) factory->AddRef();
    if (segmentFactory) segmentFactory->Release();
    segmentFactory = factory;
}

void EnemyBulletFactoryBase::Update(float dt) {
    Object3D::Update(dt);
    const D3DXVECTOR3 motion = generator ? generator->GetCenterMotion() : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    if ((follow == FollowCenter || follow == FollowCenterAndDrift) && g_pEnvironment2)
        m_areaPos = g_pEnvironment2->centerInfo.pos;
    switch (follow) {
    case FollowDrift:
    case FollowCenterAndDrift:
        DriftVector = motion;
        break;
    case FollowDriftAsVelocity: {
        // A frame without time keeps the previous velocity.
        const float frame = Quorvex::g_pEnvironment ? Quorvex::g_pEnvironment->GetFrameTime() : 0.0f;
        if (frame > 0.0f) DriftVector = motion / frame;
        break;
    }
    case FollowCenter:
        break;
    }
}
