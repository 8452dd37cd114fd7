// Enemy pools: the pre-built stock of a list set and the factories.
#include "EnemyTestSupport.h"
#include "game/enemy/EnemyFactories.h"

namespace enemy_test {
namespace {

using EnemyPools = EnemyStage;

TEST_F(EnemyPools, TheFairyStockGivesNullWhenEmptyAndAVanishedFairyComesBack) {
    std::vector<Enemy_Fighter2*> launched;
    for (int i = 0; i < EnemyGenerator_Derive::FairyStock; ++i)
        launched.push_back(generator->LaunchFighter2(Quorvex::AreaPos::FromWorld(D3DXVECTOR3(0, 0, 500))));
    EXPECT_EQ(std::count(launched.begin(), launched.end(), nullptr), 0);
    EXPECT_EQ(generator->LaunchFighter2(Quorvex::AreaPos()), nullptr) << "the 101st fairy";

    Enemy_Fighter2* gone = launched[37];
    const int refs = gone->GetRefCount();
    gone->Vanish();
    EXPECT_EQ(generator->LaunchFighter2(Quorvex::AreaPos()), gone);
    EXPECT_EQ(gone->GetRefCount(), refs) << "the launcher adds no reference";
    EXPECT_EQ(generator->LaunchFighter2(Quorvex::AreaPos()), nullptr);

    // Launched toward the player, ahead on -z.
    EXPECT_LT(Forward(launched[0]->GetOrientation()).z, -0.99f);
}

TEST_F(EnemyPools, AFullFactoryGivesNullAddsNoReferenceAndReusesAVanishedEnemy) {
    auto* pool = new EnemyFactory<TestEnemy>(manager, nullptr, generator, 2);
    ASSERT_EQ(pool->Initialize(0), 0);
    EXPECT_EQ(pool->GetUpdatePriority(), 710);
    generator->SetPool(EnemyGenerator_Derive::PoolKetama, pool);

    const Quorvex::AreaPos at = Quorvex::AreaPos::FromWorld(D3DXVECTOR3(10.0f, 20.0f, 300.0f));
    Enemy* a = generator->LaunchFromFactory(EnemyGenerator_Derive::PoolKetama, at);
    Enemy* b = generator->LaunchFromFactory(EnemyGenerator_Derive::PoolKetama, at);
    ASSERT_TRUE(a && b);
    EXPECT_NEAR(a->GetWorldPosition().z, 300.0f, 1e-3f) << "the record places the enemy";
    EXPECT_EQ(a->GetManager(), manager) << "the pool names its object manager";
    const int refs = a->GetRefCount();

    EXPECT_EQ(generator->LaunchFromFactory(EnemyGenerator_Derive::PoolKetama, at), nullptr);
    EXPECT_EQ(pool->GetInUseCount(), 2);
    EXPECT_EQ(a->GetRefCount(), refs);

    a->Vanish();
    EXPECT_EQ(generator->LaunchFromFactory(EnemyGenerator_Derive::PoolKetama, at), a);

    // The launchers' own references.
    a->Release();
    a->Release();
    b->Release();
    generator->SetPool(EnemyGenerator_Derive::PoolOrsel, nullptr);
    EXPECT_EQ(generator->LaunchFromFactory(EnemyGenerator_Derive::PoolOrsel, at), nullptr) << "no pool";
}

TEST_F(EnemyPools, AttackPatternsSkipShotsWhenTheBulletPoolIsExhausted) {
    // Recorded shots stay in flight: the pool runs dry after three.
    shots->SetMaxCount(3);
    TestEnemy* enemy = NewEnemy(100.0f, 1.0f);
    enemy->SetAttackType(20);
    for (int i = 0; i < 120; ++i) enemy->Update(1.0f / 60.0f);
    EXPECT_EQ(shots->log.records.size(), 3u);
    EXPECT_EQ(enemy->attacks.size(), 1u) << "the pattern goes on";
}

TEST_F(EnemyPools, TheGeneratorMakesThePoolsOfTheClassesInTheGame) {
    using G = EnemyGenerator_Derive;
    struct Case {
        G::PoolId id;
        int maxCount;  // -1: no pool
    };
    const Case cases[] = {{G::PoolMissile2, 1000},    {G::PoolShotPoint, 0},  {G::PoolRay, 100},
                          {G::PoolRay2, 100},         {G::PoolRing, 1000},    {G::PoolVolcano, 100},
                          {G::PoolNuke, 1000},        {G::PoolAimmingLaser, 100}, {G::PoolFighter3, 500},
                          {G::PoolFighter4, 500},     {G::PoolBig, 500},      {G::PoolKetama, 500},
                          {G::PoolTama, 500},         {G::PoolVader, 1000},   {G::PoolFesko, 500},
                          {G::PoolReidan, 500},       {G::PoolPentra, 500},   {G::PoolGralle, 500},
                          {G::PoolOrsel, 500},        {G::PoolToska, 500}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.id));
        Quorvex::FactoryAdapter* pool = generator->GetPool(c.id);
        ASSERT_EQ(pool != nullptr, c.maxCount >= 0);
        if (pool) {
            EXPECT_EQ(pool->GetMaxCount(), c.maxCount);
        }
    }

    const Quorvex::AreaPos at = Quorvex::AreaPos::FromWorld(D3DXVECTOR3(0.0f, 0.0f, 800.0f));
    Enemy_Ketama* ketama = generator->LaunchKetama(at);
    ASSERT_NE(ketama, nullptr);
    EXPECT_GT(ketama->GetLifeValue(), 0.0f);
    EXPECT_TRUE(ketama->CheckGroupFlag(GroupSweptAtPhaseChange));
    ketama->Release();
    // The stage-4 boss reads the stage's drift from its pool.
    auto* gralles = dynamic_cast<EnemyFactoryBase*>(generator->GetPool(G::PoolGralle));
    ASSERT_NE(gralles, nullptr);
    EXPECT_TRUE(gralles->copiesCenterMotion);

    // Rays and ray2s share one pool of 2000 segments.
    auto* rays = dynamic_cast<EnemyBulletFactoryBase*>(generator->GetPool(G::PoolRay));
    auto* rays2 = dynamic_cast<EnemyBulletFactoryBase*>(generator->GetPool(G::PoolRay2));
    ASSERT_TRUE(rays && rays2 && rays->GetSegmentFactory());
    EXPECT_EQ(rays2->GetSegmentFactory(), rays->GetSegmentFactory());
    EXPECT_EQ(rays->GetSegmentFactory()->GetMaxCount(), 2000);
}

class EmptyBulletPool : public EnemyBulletFactoryBase {
public:
    using EnemyBulletFactoryBase::EnemyBulletFactoryBase;
    Quorvex::IFactoryProduct* CreateProduct() override { return nullptr; }
};

TEST_F(EnemyPools, BulletPoolsFollowTheStageByTheirRule) {
    const D3DXVECTOR3 motion(1.0f, 2.0f, 3.0f);
    const D3DXVECTOR3 centre(10.0f, 20.0f, 30.0f);
    g_pEnvironment2->centerInfo.pos = Quorvex::AreaPos::FromWorld(centre);
    g_pEnvironment2->centerInfo.move = motion;
    generator->Update(0.0f);  // takes the centre's motion
    struct Case {
        BulletPoolFollow follow;
        bool drift;
        bool atCentre;
    };
    const Case cases[] = {{FollowDrift, true, false}, {FollowCenter, false, true}, {FollowCenterAndDrift, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.follow));
        Held<EmptyBulletPool> pool(new EmptyBulletPool(manager, nullptr, generator, 10, c.follow));
        pool->SetAreaPos(Quorvex::AreaPos());
        pool->Update(1.0f / 60.0f);
        EXPECT_EQ(pool->DriftVector, c.drift ? motion : D3DXVECTOR3(0.0f, 0.0f, 0.0f));
        EXPECT_NEAR(pool->GetWorldPosition().z, c.atCentre ? 30.0f : 0.0f, 1e-3f);
        manager->SubObject(pool.get());
    }
    g_pEnvironment2->centerInfo = CenterInfo();
}

}  // namespace
}  // namespace enemy_test
