// Nukes against the player and the ground, and lock markers that lose sight
// of their target or run out.
#include "../weapons/WeaponsTestSupport.h"
#include "game/player/weapons/Bullet_Nuke.h"

namespace weapons_test {
namespace {

// A machine that counts the contacts it is handed.
class CountingPlayer : public Player {
public:
    using Player::Player;
    void OnCollision(Quorvex::Object* other) override {
        ++contacts;
        Player::OnCollision(other);
    }
    int contacts = 0;
};

class NukeFight : public NukeFixture {
protected:

    void TearDown() override {
        g_pEnvironment2->SetPlayer(nullptr);
        if (target) {
            target->RequestRemove(true);
            target->Release();
        }
        NukeFixture::TearDown();
    }

    Bullet_Nuke* Fire(int kind, int side, float speedFactor, float detonationTime) {
        return FireNuke(kind, side, detonationTime, speedFactor);
    }

    CountingPlayer* Target() {
        if (target) {
            target->RequestRemove(true);
            target->Release();
        }
        target = new CountingPlayer(objects, areas, AreaPos());
        target->AddRef();
        target->Reset();
        target->SetInvulnerableTime(0.0f);
        g_pEnvironment2->SetPlayer(target);
        return target;
    }

    static float BodyRadius(const Bullet_Nuke* nuke) {
        if (!nuke->GetRigidBody()) return 0.0f;
        btVector3 centre;
        btScalar radius = 0.0f;
        nuke->GetRigidBody()->getCollisionShape()->getBoundingSphere(centre, radius);
        return radius;
    }

    CountingPlayer* target = nullptr;
};

TEST_F(NukeFight, ASpellBlastSweepsAPlayerUpToTwentyUnitsBehindIt) {
    struct Case {
        const char* what;
        float dz;  // the player's z minus the blast's
        bool alive;
        int contacts;
    };
    // Every blast frame while the player is in reach; its own cooldown
    // after a hit decides whether a contact hurts.
    const Case cases[] = {
        {"20 behind", -20.0f, true, 3},    {"21 behind", -21.0f, true, 0}, {"beside it", 0.0f, true, 3},
        {"far ahead", 5000.0f, true, 3},   {"dead, in it", 0.0f, false, 0},
    };
    for (const Case& c : cases) {
        Bullet_Nuke* nuke = Fire(Bullet_Nuke::KindSpell, 0, 0.0f, 0.0f);
        ASSERT_NE(nuke, nullptr);
        nuke->Update(kDt);
        ASSERT_TRUE(nuke->IsDetonated());
        CountingPlayer* machine = Target();
        machine->SetAreaPos(nuke->GetAreaPos().Translated(D3DXVECTOR3(3.0f, -40.0f, c.dz)));
        machine->SetInvulnerableTime(100.0f);
        if (!c.alive) *machine->GetLife() = 0.0f;
        for (int frame = 0; frame < 3; ++frame) nuke->Update(kDt);
        EXPECT_EQ(machine->contacts, c.contacts) << c.what;
        nuke->OnCollision(nuke);
    }

    // A vulnerable player 20 units behind takes the blast's 200000.
    Bullet_Nuke* nuke = Fire(Bullet_Nuke::KindSpell, 0, 0.0f, 0.0f);
    ASSERT_NE(nuke, nullptr);
    nuke->Update(kDt);
    CountingPlayer* machine = Target();
    machine->SetAreaPos(nuke->GetAreaPos().Translated(D3DXVECTOR3(0.0f, 0.0f, -20.0f)));
    nuke->Update(kDt);
    EXPECT_TRUE(machine->IsDead());
    EXPECT_EQ(machine->contacts, 1);
    nuke->Update(kDt);
    EXPECT_EQ(machine->contacts, 1) << "a dead player is left alone";
    nuke->OnCollision(nuke);
}

TEST_F(NukeFight, AHeavyNukeFallingBelowTheBaseHeightDetonatesEarlyAndSwellsItsBody) {
    Quorvex::g_pEnvironment->SetGravity(D3DXVECTOR3(0.0f, -9.8f, 0.0f));
    g_pEnvironment2->worldOffset.y = 250.0f;
    Bullet_Nuke* nuke = Fire(Bullet_Nuke::KindHeavy, 1, 1.0f, 1.5f);
    ASSERT_NE(nuke, nullptr);
    const float flightRadius = BodyRadius(nuke);
    EXPECT_GT(flightRadius, 0.0f);
    EXPECT_LT(flightRadius, 5.0f) << "flies with the small body";
    float lastHeight = nuke->GetAreaPos().ToWorld().y;
    while (!nuke->IsDetonated() && nuke->GetAge() < 2.0f) {
        lastHeight = nuke->GetAreaPos().ToWorld().y;
        nuke->Update(kDt);
    }
    ASSERT_TRUE(nuke->IsDetonated());
    // 50 units at 196 units/s² take about 0.71 s.
    EXPECT_LT(nuke->GetAge(), 1.0f) << "long before its 1.5 s";
    EXPECT_GE(lastHeight, 250.0f);
    EXPECT_LT(nuke->GetAreaPos().ToWorld().y, 250.0f);
    EXPECT_GT(BodyRadius(nuke), 15.0f) << "the blast's large body";
    EXPECT_FLOAT_EQ(D3DXVec3Length(&nuke->GetVelocity()), 0.0f) << "the blast stands still";
    EXPECT_NEAR(nuke->GetBlastEnd() - nuke->GetAge(), 0.5f, 1e-5f);
}

using LockFight = WeaponsFixture;

TEST_F(LockFight, ALockedTargetBehindTheCameraGetsItsLockBackAndFreesTheMarker) {
    NewGenerator();
    EnemyEx* enemy = NewEnemy(D3DXVECTOR3(0, 0, 500), 300.0f);
    ASSERT_EQ(generator->AttachMarker(enemy, 0.0f, MarkerTypePlain), 0);
    // Locks of 150: the full amount back differs from the enemy's top-up of 100.
    for (int i = 0; i < 2; ++i) ASSERT_EQ(generator->AttachMarker(enemy, 150.0f, MarkerTypeLock), 0);
    ASSERT_FALSE(enemy->CheckGroupFlag(GroupLockable));
    const int free = generator->GetFreeCount();

    enemy->SetWorldPosition(D3DXVECTOR3(0, 0, -500));
    for (Marker* marker : generator->CopyInUseMarkers()) marker->Render(nullptr);
    EXPECT_EQ(MarkersOn(enemy, MarkerTypeLock), 0);
    EXPECT_EQ(MarkersOn(enemy, MarkerTypePlain), 1) << "the plain marker only hides";
    EXPECT_EQ(generator->GetFreeCount(), free + 2);
    EXPECT_FLOAT_EQ(*enemy->GetGauge(), 300.0f);
    EXPECT_TRUE(enemy->CheckGroupFlag(GroupLockable));
}

TEST_F(LockFight, AnExhaustedMarkerPoolRefusesALockAndLeavesTheGaugeAlone) {
    NewGenerator();
    EnemyEx* enemy = NewEnemy(D3DXVECTOR3(0, 0, 500), 300.0f);
    for (int i = 0; i < MarkerGenerator::kMarkerCount; ++i)
        ASSERT_EQ(generator->AttachMarker(enemy, 1.0f, MarkerTypeLock), 0) << i;
    ASSERT_EQ(generator->GetFreeCount(), 0);
    const float gauge = *enemy->GetGauge();
    EXPECT_FLOAT_EQ(gauge, 200.0f);
    EXPECT_EQ(generator->AttachMarker(enemy, 1.0f, MarkerTypeLock), -1);
    EXPECT_FLOAT_EQ(*enemy->GetGauge(), gauge);
    EXPECT_EQ(generator->GetInUseCount(), MarkerGenerator::kMarkerCount);
    EXPECT_EQ(MarkersOn(enemy, MarkerTypeLock), MarkerGenerator::kMarkerCount);
}

}  // namespace
}  // namespace weapons_test
