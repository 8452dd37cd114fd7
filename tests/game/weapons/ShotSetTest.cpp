// The shot sets' special weapons under Shot1: one launch per press at the
// first locked marker, stock spent and reloaded, the Heavy set's nukes from
// the enemy generator's pool and its Zenk-mode launches.
#include "WeaponsTestSupport.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/player/ShotSet.h"
#include "game/player/weapons/Bullet_Nuke.h"
#include "game/player/weapons/Missile.h"

namespace weapons_test {
namespace {

using player_test::kAccel;
using player_test::kBrake;
using player_test::kShot1;

class ShotSets : public WeaponsFixture {
protected:
    void TearDown() override {
        if (enemies) {
            g_pEnvironment2->enemyGenerator = nullptr;
            enemies->RequestRemove(true);
            enemies->Release();
        }
        if (nukes) nukes->Release();
        WeaponsFixture::TearDown();
    }

    // A machine of that set holding the stage's marker generator (its
    // set-up stops short without the stage's resources, after the reticle).
    Player* ArmedMachine(int fighter) {
        Player* machine = Machine(fighter);
        NewGenerator();
        Player::InitParam record;
        record.inputManager = input;
        record.markerGenerator = generator;
        machine->Initialize(record);
        machine->Reset();
        machine->SetInputManager(input);
        machine->SetInvulnerableTime(0.0f);
        EXPECT_NE(machine->GetLockonMarker(), nullptr);
        return machine;
    }

    // The enemy generator with its nuke pool only.
    void NukePool() {
        enemies = new EnemyGenerator_Derive(objects, areas, AreaPos());
        enemies->AddRef();
        nukes = new Bullet_NukeFactory(objects, areas, enemies);
        nukes->AddRef();
        nukes->Initialize(0);
        enemies->SetPool(EnemyGenerator_Derive::PoolNuke, nukes);
        g_pEnvironment2->enemyGenerator = enemies;
    }

    int Missiles() const {
        int n = 0;
        for (int i = 0; i < objects->GetUpdateListCount(); ++i)
            n += dynamic_cast<Missile*>(objects->GetUpdateListEntry(i)) != nullptr;
        return n;
    }

    float Stock() const { return player->GetShotSet()->GetMissileRest(); }

    // One frame with Shot1 newly pressed, then released for `rest` frames.
    void Press(int rest = 10) {
        Keys({kShot1});
        Frames(1);
        Keys({kShot1}, false);
        Frames(rest);
    }

    int MarkersIn(int state) const {
        int n = 0;
        for (Marker* marker : generator->CopyInUseMarkers()) n += marker->GetState() == state;
        return n;
    }

    EnemyGenerator_Derive* enemies = nullptr;
    Bullet_NukeFactory* nukes = nullptr;
};

TEST_F(ShotSets, EachPressSendsOneMissileToTheNextLockAndSpendsOneStock) {
    ArmedMachine(1);
    NewEnemy(D3DXVECTOR3(0, 0, 500), 300.0f);
    Frames(5);
    ASSERT_EQ(MarkersIn(MarkerLocked), 3) << "three locks of 100";
    const float stock = Stock();

    Keys({kShot1});
    Frames(20);  // held: one launch only
    EXPECT_EQ(MarkersIn(MarkerFired), 1);
    EXPECT_EQ(MarkersIn(MarkerLocked), 2);
    Keys({kShot1}, false);
    Frames(1);
    Press();
    EXPECT_EQ(MarkersIn(MarkerFired), 2) << "the markers are used in list order, one per press";
    EXPECT_NEAR(Stock(), stock - 2.0f, 1e-4f);
}

TEST_F(ShotSets, StockReloadsAndAnEmptyStockBlocksShot1) {
    ArmedMachine(1);
    Frames(1);
    auto* set = static_cast<ShotSet_Common*>(player->GetShotSet());
    const float stock = Stock();
    Press();
    EXPECT_NEAR(Stock(), stock - 1.0f, 1e-4f) << "a free missile without a lock";
    Frames(42);  // 0.7 s more
    EXPECT_NEAR(Stock(), stock, 1e-4f) << "one missile back every 0.7 s";

    set->stock = 0.0f;
    set->reloadInterval = -1.0f;
    const int missiles = Missiles();
    Press();
    EXPECT_FLOAT_EQ(Stock(), 0.0f);
    EXPECT_EQ(Missiles(), missiles) << "nothing launched";
}

TEST_F(ShotSets, HeavySetLaunchesNukesFromTheGeneratorsPoolAndZenkNukesCostNothing) {
    NukePool();
    ArmedMachine(2);
    EnemyEx* enemy = NewEnemy(D3DXVECTOR3(0, 0, 500), 300.0f);
    Frames(5);
    ASSERT_EQ(MarkersIn(MarkerLocked), 2) << "locks of 200";
    const float stock = Stock();
    Press();
    ASSERT_EQ(nukes->GetInUseCount(), 1);
    Bullet_Nuke* nuke = nullptr;
    nukes->ForEachInUse([&](Quorvex::IFactoryProduct* p) { nuke = dynamic_cast<Bullet_Nuke*>(p); });
    ASSERT_NE(nuke, nullptr);
    EXPECT_EQ(nuke->GetKind(), Bullet_Nuke::KindHeavy);
    EXPECT_EQ(nuke->GetLinkedObject(), enemy);
    ASSERT_NE(nuke->GetMarker(), nullptr);
    EXPECT_EQ(nuke->GetMarker()->GetState(), MarkerFired);
    EXPECT_TRUE(nuke->CheckGroupFlag(GroupPlayerSide));
    EXPECT_NEAR(Stock(), stock - 1.0f, 1e-4f);

    // Zenk mode: one untargeted kind-5 nuke a frame; the Heavy drain empties
    // the gauge at once, so two frames launch.
    const float before = Stock();
    Keys({kAccel, kBrake, kShot1});
    Frames(3);
    int zenkNukes = 0;
    nukes->ForEachInUse([&](Quorvex::IFactoryProduct* p) {
        if (auto* n = dynamic_cast<Bullet_Nuke*>(p)) zenkNukes += n->GetKind() == Bullet_Nuke::KindZenk;
    });
    EXPECT_EQ(zenkNukes, 2);
    EXPECT_EQ(player->GetMode(), PlayerModeNormal);
    EXPECT_FLOAT_EQ(Stock(), before);
}

}  // namespace
}  // namespace weapons_test
