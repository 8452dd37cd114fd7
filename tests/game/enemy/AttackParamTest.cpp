// Attack patterns: what a burst fires at each level, the fan geometry, the
// range gate and the attack type ids.
#include <algorithm>

#include "EnemyTestSupport.h"
#include "game/enemy/BulletFactories.h"

namespace enemy_test {
namespace {

using AttackPatterns = EnemyStage;

constexpr float kFrame = 1.0f / 60.0f;

template <class T>
T* OnlyAttack(EnemyEx* enemy) {
    EXPECT_EQ(enemy->attacks.size(), 1u);
    return enemy->attacks.empty() ? nullptr : dynamic_cast<T*>(*enemy->attacks.begin());
}

// Runs the enemy until its pattern starts its first rest; the shots fired.
template <class T>
size_t FirstBurst(EnemyEx* enemy, T* attack, const RecordingPool* shots) {
    for (int frame = 0; frame < 600 && attack->restTimer <= 0.0f; ++frame) enemy->Update(kFrame);
    EXPECT_GT(attack->restTimer, 0.0f);
    return shots->log.records.size();
}

TEST_F(AttackPatterns, AnNWayBurstFiresDiagonalFansSizedByLevel) {
    struct Case {
        float level;
        int ways;
        int volleys;
    };
    const Case cases[] = {{0.0f, 4, 1}, {0.45f, 5, 2}, {0.7f, 6, 3}, {1.0f, 7, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        shots->log.records.clear();
        TestEnemy* enemy = NewEnemy(100.0f, c.level);
        enemy->SetAttackType(20);
        auto* nway = OnlyAttack<AttackParam_nWay>(enemy);
        ASSERT_NE(nway, nullptr);

        EXPECT_EQ(FirstBurst(enemy, nway, shots), static_cast<size_t>(c.ways * c.volleys));
        EXPECT_EQ(nway->ways, c.ways);

        // Way k climbs by k x step as it turns: the fan is a diagonal line
        // across 10 degrees.
        const float step = 0.17453294f / (c.ways - 1);
        for (int i = 0; i < c.ways; ++i) {
            const D3DXVECTOR3 dir = Forward(shots->log.records[i].orientation);
            EXPECT_NEAR(std::asin(dir.y), (i - c.ways / 2) * step, 1e-4f) << "way " << i;
            EXPECT_LT(dir.z, -0.98f) << "toward the player";
        }
    }
}

TEST_F(AttackPatterns, WayModesAndOddFans) {
    struct Case {
        int ways;
        int wayMode;
        size_t fired;
    };
    const Case cases[] = {{4, 2, 5}, {5, 1, 4}, {5, 2, 5}, {4, 0, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ways * 10 + c.wayMode);
        shots->log.records.clear();
        TestEnemy* enemy = NewEnemy(100.0f, 0.0f);
        enemy->SetAttackType(20);
        auto* nway = OnlyAttack<AttackParam_nWay>(enemy);
        nway->ways = c.ways;
        nway->wayMode = c.wayMode;
        enemy->Update(kFrame);
        EXPECT_EQ(shots->log.records.size(), c.fired);
    }
}

TEST_F(AttackPatterns, SingleNeverFiresAtEasyAndFiresTwoVolleysAtVeryHard) {
    TestEnemy* easy = NewEnemy(100.0f, 0.0f);
    easy->SetAttackType(50);
    for (int frame = 0; frame < 600; ++frame) easy->Update(kFrame);
    EXPECT_TRUE(shots->log.records.empty());

    TestEnemy* hard = NewEnemy(100.0f, 1.0f);
    hard->SetAttackType(50);
    auto* single = OnlyAttack<AttackParam_Single>(hard);
    EXPECT_EQ(FirstBurst(hard, single, shots), 3u) << "one shot, then two";
    for (const ShotSpawnParam& shot : shots->log.records) EXPECT_FLOAT_EQ(shot.speed, 1.2f);
}

TEST_F(AttackPatterns, OutOfRangeNothingMovesAndThePatternResumes) {
    TestEnemy* enemy = NewEnemy(100.0f, 1.0f);
    enemy->SetAttackType(20);
    auto* nway = OnlyAttack<AttackParam_nWay>(enemy);
    enemy->Update(kFrame);
    const size_t fired = shots->log.records.size();
    const float timer = nway->volleyTimer;

    // Behind the enemy: outside its forward cone.
    player->m_areaPos = Quorvex::AreaPos::FromWorld(D3DXVECTOR3(0.0f, 0.0f, 1000.0f));
    for (int frame = 0; frame < 60; ++frame) enemy->Update(kFrame);
    EXPECT_EQ(shots->log.records.size(), fired);
    EXPECT_EQ(nway->volleyTimer, timer);
    EXPECT_EQ(nway->volleyCount, 1);

    player->m_areaPos = Quorvex::AreaPos::FromWorld(D3DXVECTOR3(0.0f, 0.0f, -1000.0f));
    for (int frame = 0; frame < 7; ++frame) enemy->Update(kFrame);
    EXPECT_EQ(shots->log.records.size(), 2 * fired);
}

TEST_F(AttackPatterns, TypeIdsMakeTheirPatterns) {
    TestEnemy* enemy = NewEnemy(100.0f, 0.45f);

    enemy->SetAttackType(26);
    ASSERT_EQ(enemy->attacks.size(), 2u);
    std::vector<AttackParam_nWayThrow*> throws;
    for (AttackParam* a : enemy->attacks) throws.push_back(dynamic_cast<AttackParam_nWayThrow*>(a));
    ASSERT_TRUE(throws[0] && throws[1]);
    std::sort(throws.begin(), throws.end(), [](auto* a, auto* b) { return a->volleyTimer < b->volleyTimer; });
    EXPECT_FLOAT_EQ(throws[0]->volleyTimer, 0.0f);
    EXPECT_FLOAT_EQ(throws[1]->volleyTimer, 0.15f);
    const D3DXVECTOR3 d0 = Forward(throws[0]->aim);
    const D3DXVECTOR3 d1 = Forward(throws[1]->aim);
    EXPECT_NEAR(std::fabs(std::atan2(d0.x, -d0.z) - std::atan2(d1.x, -d1.z)), 0.17453294f, 1e-5f);

    struct Case {
        int id;
        size_t count;
        bool variant;
    };
    const Case cases[] = {{10, 1, false}, {13, 1, false}, {20, 1, false}, {23, 1, true},  {27, 1, true},
                          {30, 1, false}, {41, 1, true},  {51, 1, true},  {61, 1, false}, {72, 1, true},
                          {0, 0, false},  {1, 0, false},  {99, 0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        enemy->SetAttackType(c.id);
        ASSERT_EQ(enemy->attacks.size(), c.count);
        auto* volley = c.count ? dynamic_cast<AttackParam_Volley*>(*enemy->attacks.begin()) : nullptr;
        if (volley) {
            EXPECT_EQ(volley->variant != 0, c.variant);
        }
    }
    enemy->Vanish();
    EXPECT_TRUE(enemy->attacks.empty());
}

TEST_F(AttackPatterns, AFinishedAttackLeavesAfterTheWholeSetUpdated) {
    TestEnemy* enemy = NewEnemy(100.0f, 0.0f);
    enemy->SetAttackType(20);
    auto* first = OnlyAttack<AttackParam_nWay>(enemy);
    first->volleyLimit = 1;
    auto* second = static_cast<AttackParam_nWay*>(enemy->CreateAttack(20));
    enemy->UpdateAttacks(kFrame);
    EXPECT_EQ(enemy->attacks.size(), 1u) << "the one at its volley limit is gone";
    EXPECT_EQ(*enemy->attacks.begin(), second);
    EXPECT_GT(second->elapsed, 0.0f) << "and the other still had its update";
}

TEST_F(AttackPatterns, FansFlyAsColouredRazersFromTheGeneratorsPool) {
    auto* razers = new Bullet_RazerFactory(manager, nullptr, generator);
    generator->SetPool(EnemyGenerator_Derive::PoolRazer, razers);
    ASSERT_EQ(razers->Initialize(0), 0);
    TestEnemy* enemy = NewEnemy(100.0f, 0.0f);
    enemy->SetAttackType(20);
    enemy->Update(kFrame);
    EXPECT_EQ(razers->GetInUseCount(), 4);
    razers->ForEachInUse([](Quorvex::IFactoryProduct* product) {
        auto* razer = dynamic_cast<Bullet_Razer*>(product);
        ASSERT_NE(razer, nullptr);
        // Colour type 1: the atlas cell in column 0, row 0.
        EXPECT_NEAR(razer->GetAtlasSprite()->uv[0].x, 0.003125f, 1e-6f);
        EXPECT_TRUE(razer->CheckGroupFlag(GroupEnemySide));
    });
}

}  // namespace
}  // namespace enemy_test
