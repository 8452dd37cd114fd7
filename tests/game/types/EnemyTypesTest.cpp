// The ordinary enemy classes: the shared kill rule, and each class's fire
// step or movement against its figures.
#include <cmath>

#include "game/enemy/EnemyTestSupport.h"
#include "game/enemy/types/Enemy_Big.h"
#include "game/enemy/types/Enemy_Fighter2.h"
#include "game/enemy/types/Enemy_Fighter3.h"
#include "game/enemy/types/Enemy_Fighter4.h"
#include "game/enemy/types/Enemy_Ketama.h"
#include "game/enemy/types/Enemy_Reidan.h"
#include "game/enemy/types/Enemy_ShotPoint.h"
#include "game/enemy/types/Enemy_Tama.h"
#include "game/enemy/types/Enemy_Vader.h"
#include "game/player/weapons/Bullet_Nuke.h"

namespace enemy_test {
namespace {

class EnemyTypes : public EnemyStage {
protected:
    void TearDown() override {
        for (Enemy* enemy : made) enemy->Release();
        made.clear();
        EnemyStage::TearDown();
    }

    // A pooled class made as its pool makes it, launched at z on the player's
    // line at the given level.
    template <class T, class Record = typename T::SetParam>
    T* Launch(float z, float level, Record record = Record()) {
        auto* enemy = new T(manager, nullptr, Quorvex::AreaPos(), generator, nullptr);
        enemy->AddRef();
        made.push_back(enemy);
        EXPECT_EQ(enemy->Initialize(0), 0);
        g_pEnvironment2->attackLevel = level;
        record.position = Quorvex::AreaPos::FromWorld(D3DXVECTOR3(0.0f, 0.0f, z));
        record.manager = manager;
        EXPECT_EQ(enemy->ApplySetParam(&record), 0);
        return enemy;
    }

    // A fairy of the pre-built stock, held by the set.
    Enemy_Fighter2* NewFairy(EnemyListSet& set) {
        auto* fairy = new Enemy_Fighter2(manager, nullptr, Quorvex::AreaPos(), generator, &set);
        fairy->AddRef();
        set.AddFree(fairy);
        EXPECT_EQ(fairy->Initialize(0), 0);
        return fairy;
    }

    size_t Shots() const { return shots->log.records.size(); }

    static D3DXQUATERNION FacingPlayer() {
        D3DXQUATERNION q;
        D3DXQuaternionRotationYawPitchRoll(&q, D3DX_PI, 0.0f, 0.0f);
        return q;
    }

    std::vector<Enemy*> made;  // one reference each
};

TEST_F(EnemyTypes, AKilledFairyExplodesScoresOnceAndGoesBackToItsListSet) {
    AddEffects();
    EnemyListSet set;
    Enemy_Fighter2* fairy = NewFairy(set);
    ASSERT_EQ(set.Acquire(), fairy);
    fairy->Launch(Quorvex::AreaPos(), FacingPlayer(), manager);
    EXPECT_EQ(fairy->GetLifeValue(), 100.0f);
    game->scoreMultiplier = 2.0f;

    Held<TestShot> enemyShot(new TestShot(manager, 500.0f, false));
    fairy->OnCollision(enemyShot.get());
    EXPECT_EQ(fairy->GetLifeValue(), 100.0f) << "enemy shots do not hurt";

    Held<TestShot> weak(new TestShot(manager, 40.0f, true));
    fairy->OnCollision(weak.get());
    EXPECT_EQ(fairy->GetLifeValue(), 60.0f);

    Held<TestShot> lethal(new TestShot(manager, 100.0f, true));
    fairy->OnCollision(lethal.get());
    fairy->OnCollision(lethal.get());  // the same contact, another point
    EXPECT_EQ(effects->GetLiveCount(EffectObject::KindExplosion), 1);
    EXPECT_EQ(game->stageScore, 12 * 2 * 130);
    EXPECT_EQ(game->enemiesShotDown, 1);
    EXPECT_EQ(fairy->GetLifeValue(), -1.0f);
    EXPECT_TRUE(fairy->IsRemoveRequested());
    EXPECT_EQ(set.freeSet.count(fairy), 1u);
    EXPECT_TRUE(set.inUseSet.empty());
}

TEST_F(EnemyTypes, AFairyFiresBurstsOfThreeAtItsLevelsInterval) {
    EnemyListSet set;
    Enemy_Fighter2* fairy = NewFairy(set);

    // Level 1: every 0.02 s, three shots then three pauses.
    g_pEnvironment2->attackLevel = 1.0f;
    fairy->Launch(Quorvex::AreaPos(), FacingPlayer(), manager);
    const float fast = 0.4f - 0.38f;
    std::vector<size_t> counts;
    for (int i = 0; i < 12; ++i) {
        fairy->FireAimedBursts(fast);
        counts.push_back(Shots());
    }
    EXPECT_EQ(counts, (std::vector<size_t>{1, 2, 3, 3, 3, 3, 4, 5, 6, 6, 6, 6}));
    const D3DXVECTOR3 dir = Forward(shots->log.records[0].orientation);
    EXPECT_LT(dir.z, -0.99f) << "aimed at the player";

    // Level 0: every 0.4 s, the first 0.25 s later than that.
    shots->log.records.clear();
    g_pEnvironment2->attackLevel = 0.0f;
    fairy->Launch(Quorvex::AreaPos(), FacingPlayer(), manager);
    for (int i = 0; i < 12; ++i) fairy->FireAimedBursts(0.05f);
    EXPECT_EQ(Shots(), 0u) << "0.6 s";
    fairy->FireAimedBursts(0.05f);
    fairy->FireAimedBursts(0.05f);
    EXPECT_EQ(Shots(), 1u) << "0.7 s";

    // Out of range (too near) the clock stands still.
    fairy->SetAreaPos(Quorvex::AreaPos::FromWorld(D3DXVECTOR3(0.0f, 0.0f, -900.0f)));
    for (int i = 0; i < 40; ++i) fairy->FireAimedBursts(0.05f);
    EXPECT_EQ(Shots(), 1u);
}

TEST_F(EnemyTypes, ACrossVolleyDrawsOneDiagonalFromTheCentreOutward) {
    EnemyListSet set;
    Enemy_Fighter2* fairy = NewFairy(set);
    g_pEnvironment2->attackLevel = 1.0f;
    fairy->Launch(Quorvex::AreaPos(), FacingPlayer(), manager);
    fairy->attackType = Enemy_Fighter2::kCrossVolleys;
    fairy->shot.timer = 0.0f;

    // Interval 0.02 s, a pause of trunc(0.25 / 0.02) = 12 steps, then 5 steps.
    const float step = 0.3f - 0.28f;
    std::vector<size_t> perStep;
    for (int i = 0; i < 18; ++i) {
        const size_t before = Shots();
        fairy->FireCrossVolleys(step);
        perStep.push_back(Shots() - before);
    }
    EXPECT_EQ(perStep, (std::vector<size_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 2, 2, 2, 0}));
}

TEST_F(EnemyTypes, TheFairysAnimationFollowsItsSidewaysSpeed) {
    EnemyListSet set;
    Enemy_Fighter2* fairy = NewFairy(set);
    struct Case {
        int state;
        float vx;
        int expected;
    };
    const Case cases[] = {
        {0, 40.0f, 1}, {1, 40.0f, 1}, {4, 40.0f, 4}, {7, 40.0f, 7}, {2, 40.0f, 4}, {3, 40.0f, 4},
        {5, 40.0f, 7}, {6, 40.0f, 7}, {1, 0.0f, 2},  {3, 0.0f, 3},  {1, 90.0f, 5}, {6, 90.0f, 6},
    };
    for (const Case& c : cases) {
        fairy->animationState = c.state;
        fairy->blendTimer = -1.0f;
        fairy->velocity = D3DXVECTOR3(c.vx, 0.0f, 0.0f);
        fairy->UpdateAnimation(0.01f);
        EXPECT_EQ(fairy->animationState, c.expected) << c.state << " at " << c.vx;
    }
    // A second after a change the follow-up state takes over: 5 -> 6.
    fairy->animationState = 0;
    fairy->velocity = D3DXVECTOR3(90.0f, 0.0f, 0.0f);
    fairy->UpdateAnimation(0.5f);
    EXPECT_EQ(fairy->animationState, 5);
    fairy->UpdateAnimation(0.5f);
    EXPECT_EQ(fairy->animationState, 6);
}

TEST_F(EnemyTypes, AFighter4ShotDownFarAwayAnswersWithRevengeShotsByLevel) {
    struct Case {
        float level;
        float z;
        size_t shots;
    };
    const Case cases[] = {{1.0f, 0.0f, 3}, {0.0f, 0.0f, 0}, {1.0f, -900.0f, 0}, {0.5f, 0.0f, 1}};
    for (const Case& c : cases) {
        shots->log.records.clear();
        auto* fighter = Launch<Enemy_Fighter4>(c.z, c.level);
        EXPECT_EQ(fighter->GetLifeValue(), 10.0f);
        EXPECT_EQ(fighter->lifeCap, 10.0f);
        Held<TestShot> lethal(new TestShot(manager, 10.0f, true));
        fighter->OnCollision(lethal.get());
        fighter->OnCollision(lethal.get());
        EXPECT_EQ(Shots(), c.shots) << "level " << c.level << " at " << c.z;
        for (const ShotSpawnParam& record : shots->log.records) EXPECT_FLOAT_EQ(record.speed, 0.6f);
        EXPECT_EQ(fighter->GetLifeValue(), -1.0f);
    }
}

TEST_F(EnemyTypes, AFighter3FiresSixShotBurstsWithAPauseAtLevelOne) {
    auto* fighter = Launch<Enemy_Fighter3>(0.0f, 1.0f);
    EXPECT_EQ(fighter->fighterState, Enemy_Fighter3::StateApproach);
    EXPECT_EQ(fighter->GetLifeValue(), 2000.0f);
    fighter->SetOrientation(FacingPlayer());
    Enemy_Fighter3::ShotState burst;
    burst.Reset(1.0f);
    for (int i = 0; i < 6; ++i) fighter->FireAimedBursts(burst, 0.1f);
    EXPECT_EQ(Shots(), 6u) << "0.1 s apart";
    for (int i = 0; i < 14; ++i) fighter->FireAimedBursts(burst, 0.1f);
    EXPECT_EQ(Shots(), 6u) << "1.5 s pause";
    for (int i = 0; i < 7; ++i) fighter->FireAimedBursts(burst, 0.1f);
    EXPECT_EQ(Shots(), 12u) << "the next burst";

    // The sweeping cross: four shots a step, 0.09 s apart, going backward.
    shots->log.records.clear();
    Enemy_Fighter3::ShotState cross;
    cross.Reset(1.0f);
    fighter->FireSweepingCross(cross, 0.09f * 3.0f + 0.001f);
    EXPECT_EQ(Shots(), 12u);
    for (const ShotSpawnParam& record : shots->log.records) EXPECT_LT(Forward(record.orientation).z, 0.0f);

    // Without a target nothing is fired and the hover clock stands still.
    fighter->SetTarget(nullptr);
    const float elapsed = cross.elapsed;
    EXPECT_NE(fighter->FireSweepingCross(cross, 1.0f), 0);
    EXPECT_EQ(cross.elapsed, elapsed);
}

TEST_F(EnemyTypes, AKetamaHomesUntilItIsNearThenKeepsItsCourse) {
    auto* far = Launch<Enemy_Ketama>(-100.0f, 0.0f);
    EXPECT_EQ(far->GetLifeValue(), 20.0f);
    far->HomingMotion(0.5f);
    EXPECT_NEAR(far->velocity.z, -300.0f, 1e-3f) << "half way to 600 toward the player";
    EXPECT_NEAR(far->GetWorldPosition().z, -250.0f, 1e-3f);
    far->HomingMotion(0.0f);
    EXPECT_NEAR(far->velocity.z, -300.0f, 1e-3f) << "dt 0 keeps the velocity";

    auto* near = Launch<Enemy_Ketama>(-900.0f, 0.0f);
    near->velocity = D3DXVECTOR3(10.0f, 0.0f, 0.0f);
    near->HomingMotion(0.5f);
    EXPECT_FALSE(near->homing);
    EXPECT_EQ(near->velocity, D3DXVECTOR3(10.0f, 0.0f, 0.0f));
    EXPECT_NEAR(near->GetWorldPosition().x, 5.0f, 1e-4f);
}

TEST_F(EnemyTypes, AVaderChangesLegEveryTwoSecondsAndLeavesBehindThePlayer) {
    auto* vader = Launch<Enemy_Vader>(500.0f, 0.0f);
    EXPECT_EQ(vader->GetLifeValue(), 200.0f);
    for (int i = 0; i < 4; ++i) vader->Update(0.5f);
    EXPECT_EQ(vader->leg, 1);
    EXPECT_NEAR(vader->GetWorldPosition().z, 500.0f - 45.0f, 1e-3f);
    vader->Update(0.5f);
    EXPECT_EQ(vader->leg, 2);
    EXPECT_EQ(vader->legTimer, 0.5f) << "the overshoot is dropped";
    EXPECT_NEAR(vader->GetWorldPosition().z, 500.0f - 60.0f, 1e-3f);
    vader->Update(1.0f);
    EXPECT_NEAR(vader->GetWorldPosition().x, 25.0f, 1e-3f) << "a quarter of the sideways step at 0.5 s";

    auto* behind = Launch<Enemy_Vader>(-20.0f, 0.0f);
    behind->Update(1.0f / 60.0f);
    EXPECT_EQ(behind->GetLifeValue(), -1.0f);
    EXPECT_TRUE(behind->IsRemoveRequested());
}

TEST_F(EnemyTypes, ABigTakesThreeLocksHoversTwentySecondsThenLeaves) {
    auto* big = Launch<Enemy_Big>(500.0f, 0.0f);
    EXPECT_EQ(big->GetLifeValue(), 2000.0f);
    EXPECT_EQ(*big->GetGauge(), 300.0f) << "three locks of 100";
    EXPECT_EQ(big->bigPhase, Enemy_Big::PhaseArriving);
    Held<TestShot> enemyShot(new TestShot(manager, 500.0f, false));
    big->OnCollision(enemyShot.get());
    EXPECT_EQ(big->GetLifeValue(), 2000.0f);

    big->NextPhase();
    EXPECT_EQ(big->bigPhase, Enemy_Big::PhaseHovering);
    // With no attack the hover time stands in for the attack clock.
    for (int i = 0; i < 39; ++i) big->Update(0.5f);
    EXPECT_EQ(big->bigPhase, Enemy_Big::PhaseHovering);
    big->Update(0.5f);
    EXPECT_EQ(big->bigPhase, Enemy_Big::PhaseLeaving);
}

TEST_F(EnemyTypes, AChainBigShotDownSendsItsSuccessorOnTheMirroredSide) {
    Quorvex::FactoryAdapter* bigs = generator->GetPool(EnemyGenerator_Derive::PoolBig);
    ASSERT_NE(bigs, nullptr);
    auto* single = Launch<Enemy_Big>(500.0f, 0.0f);
    Held<TestShot> lethal(new TestShot(manager, 5000.0f, true));
    single->OnCollision(lethal.get());
    EXPECT_EQ(bigs->GetInUseCount(), 0) << "a plain big launches nothing";

    auto* head = Launch<Enemy_Big>(500.0f, 0.0f);
    head->chainCount = 1;
    game->enemiesAppeared = 0;
    head->OnCollision(lethal.get());
    head->OnCollision(lethal.get());
    ASSERT_EQ(bigs->GetInUseCount(), 1) << "one successor, however many contacts";
    Enemy_Big* next = nullptr;
    bigs->ForEachInUse([&](Quorvex::IFactoryProduct* p) { next = dynamic_cast<Enemy_Big*>(p); });
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->chainCount, 2);
    EXPECT_NEAR(next->GetWorldPosition().x, 700.0f, 1e-3f) << "chain 1 flies the unmirrored path";
    EXPECT_EQ(next->GetLifeValue(), 2000.0f);
    EXPECT_EQ(next->attacks.size(), 2u) << "the thrown fan of id 27 and one more";
    EXPECT_EQ(game->enemiesAppeared, 1);

    next->OnCollision(lethal.get());
    Enemy_Big* third = nullptr;
    bigs->ForEachInUse([&](Quorvex::IFactoryProduct* p) { third = dynamic_cast<Enemy_Big*>(p); });
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->chainCount, 3);
    EXPECT_NEAR(third->GetWorldPosition().x, -700.0f, 1e-3f) << "chain 2 mirrors it";
}

TEST_F(EnemyTypes, ATamaReleasesFourKetamasASecondFromAgeOneToNineteen) {
    Quorvex::FactoryAdapter* ketamas = generator->GetPool(EnemyGenerator_Derive::PoolKetama);
    ASSERT_NE(ketamas, nullptr);
    auto* tama = Launch<Enemy_Tama>(500.0f, 0.0f);
    EXPECT_EQ(tama->GetLifeValue(), 2000.0f);
    game->enemiesAppeared = 0;
    for (int i = 0; i < 3; ++i) tama->Update(0.25f);
    EXPECT_EQ(ketamas->GetInUseCount(), 0) << "0.75 s";
    tama->Update(0.25f);
    EXPECT_EQ(ketamas->GetInUseCount(), 1) << "1 s";
    tama->Update(1.0f);
    EXPECT_EQ(ketamas->GetInUseCount(), 5) << "a long frame releases several";

    Enemy_Ketama* first = nullptr;
    ketamas->ForEachInUse([&](Quorvex::IFactoryProduct* p) { first = dynamic_cast<Enemy_Ketama*>(p); });
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->velocity.z, 400.0f);
    EXPECT_EQ(first->attacks.size(), 1u) << "a single shot";

    while (tama->age < 19.5f) tama->Update(0.25f);
    EXPECT_EQ(ketamas->GetInUseCount(), 72);
    EXPECT_EQ(game->enemiesAppeared, 72);
    while (tama->age < 20.0f) tama->Update(0.25f);
    EXPECT_EQ(tama->GetLifeValue(), -1.0f) << "gone at 20 s";
}

TEST_F(EnemyTypes, ShotPointPatternsFireAtTheirIntervalsAndIgnoreHits) {
    Enemy_ShotPoint::SetParam record;
    record.orientation = FacingPlayer();
    auto* slow = Launch<Enemy_ShotPoint>(0.0f, 0.0f, record);
    Held<TestShot> lethal(new TestShot(manager, 1000.0f, true));
    slow->OnCollision(lethal.get());
    EXPECT_EQ(slow->GetLifeValue(), 100.0f);

    slow->SetPattern(8);
    slow->Update(0.25f);
    EXPECT_EQ(Shots(), 0u) << "every 0.3 s at level 0";
    slow->Update(0.1f);
    EXPECT_EQ(Shots(), 1u);
    EXPECT_LT(Forward(shots->log.records[0].orientation).z, -0.99f) << "along its own facing";
    slow->SetPattern(3);
    slow->Update(5.0f);
    EXPECT_EQ(Shots(), 1u) << "pattern 3 does not fire";

    auto* fast = Launch<Enemy_ShotPoint>(0.0f, 1.0f, record);
    fast->SetPattern(8);
    shots->log.records.clear();
    fast->Update(0.35f);
    EXPECT_EQ(Shots(), 3u) << "0.01 s is raised to 0.1 s";

    // The forward fan: 4 to 7 shots by level, its first 2 s after the change.
    struct Case {
        float level;
        size_t shots;
    };
    const Case cases[] = {{0.0f, 4}, {1.0f / 3.0f, 5}, {2.0f / 3.0f, 6}, {1.0f, 7}, {1.5f, 7}};
    for (const Case& c : cases) {
        auto* fan = Launch<Enemy_ShotPoint>(0.0f, c.level, record);
        fan->SetPattern(10);
        shots->log.records.clear();
        fan->Update(2.0f);
        EXPECT_EQ(Shots(), 0u);
        fan->Update(0.6f);
        EXPECT_EQ(Shots(), c.shots) << c.level;
    }
}

TEST(ShotPointAngles, MatrixToPitchYawRollInvertsTheYawPitchRollRotation) {
    const D3DXVECTOR3 cases[] = {{0.3f, -1.2f, 0.4f}, {-0.5f, 2.5f, 0.0f}, {0.2f, 0.1f, 2.0f}, {0.0f, 0.0f, 0.0f}};
    for (const D3DXVECTOR3& angles : cases) {
        D3DXMATRIX m;
        D3DXMatrixRotationYawPitchRoll(&m, angles.y, angles.x, angles.z);
        const D3DXVECTOR3 back = MatrixToPitchYawRoll(m);
        EXPECT_NEAR(back.x, angles.x, 1e-4f);
        EXPECT_NEAR(back.y, angles.y, 1e-4f);
        EXPECT_NEAR(back.z, angles.z, 1e-4f);
    }
}

// A nuke pool that only remembers the records it was handed.
class NukeRecordPool : public Quorvex::Object, public Quorvex::FactoryAdapter {
public:
    class Nuke : public Quorvex::Object, public Quorvex::FactoryProductAdapter {
    public:
        explicit Nuke(std::vector<Bullet_Nuke::SetParam>* log) : log_(log) {}
        int ApplySetParam(ISetParam* param) override {
            log_->push_back(*static_cast<Bullet_Nuke::SetParam*>(param));
            return 0;
        }

    private:
        std::vector<Bullet_Nuke::SetParam>* log_;
    };
    Quorvex::IFactoryProduct* CreateProduct() override { return NewProduct<Nuke>(0, &records); }
    std::vector<Bullet_Nuke::SetParam> records;
};

TEST_F(EnemyTypes, AReidanInReachSetsOffItsOwnBlastOnceAndGoes) {
    auto* nukes = new NukeRecordPool();
    generator->SetPool(EnemyGenerator_Derive::PoolNuke, nukes);
    auto* orb = Launch<Enemy_Reidan>(-700.0f, 0.5f);
    orb->PursuitStep(1.0f / 60.0f);
    EXPECT_TRUE(orb->pursuing) << "300 units off";
    EXPECT_TRUE(nukes->records.empty());

    auto* near = Launch<Enemy_Reidan>(-850.0f, 0.5f);
    near->PursuitStep(1.0f / 60.0f);
    near->PursuitStep(1.0f / 60.0f);
    EXPECT_FALSE(near->pursuing);
    ASSERT_EQ(nukes->records.size(), 1u);
    const Bullet_Nuke::SetParam& blast = nukes->records[0];
    EXPECT_EQ(blast.NukeKind, Bullet_Nuke::KindReidan);
    EXPECT_EQ(blast.owner, near);
    EXPECT_EQ(blast.side, 0) << "enemy side";
    EXPECT_EQ(blast.detonationTime, 0.0f);
    EXPECT_LT(Forward(blast.orientation).z, -0.99f) << "aimed at the player";
}

}  // namespace
}  // namespace enemy_test
