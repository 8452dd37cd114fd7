// Life, kills and the score award of an enemy.
#include "EnemyTestSupport.h"

namespace enemy_test {
namespace {

using EnemyKill = EnemyStage;

void SetSpeedRate(Player* player, float rate) {
    Player::Flight& flight = player->GetFlight();
    flight.speed = flight.minSpeed + rate * (flight.maxSpeed - flight.minSpeed);
}

TEST_F(EnemyKill, ALethalShotKillsOnceAwardsAndVanishesEvenWhenTheContactRepeats) {
    AddEffects();
    TestEnemy* enemy = NewEnemy(100.0f);
    enemy->score = 12;
    game->scoreMultiplier = 3.0f;
    game->scoreGauge = 0.9f;
    SetSpeedRate(player, 0.5f);
    Held<TestShot> shot(new TestShot(manager, 150.0f, true));

    // The physics step reports one call per contact point.
    enemy->OnCollision(shot.get());
    enemy->OnCollision(shot.get());

    EXPECT_EQ(enemy->vanishes, 1);
    EXPECT_EQ(effects->GetLiveCount(EffectObject::KindExplosion), 1);
    EXPECT_EQ(enemy->GetLifeValue(), -1.0f) << "vanished";
    EXPECT_TRUE(enemy->IsRemoveRequested());
    EXPECT_EQ(game->stageScore, 12 * 3 * 130);
    EXPECT_EQ(game->totalScore, 12 * 3 * 130);
    EXPECT_EQ(game->enemiesShotDown, 1);
    EXPECT_EQ(game->scoreMultiplier, 4.0f);
    EXPECT_FLOAT_EQ(game->scoreGauge, 1.0f) << "0.9 + 0.3 x 0.5, capped at 1";
}

TEST_F(EnemyKill, OnlyPlayerProjectilesDamageAndDamageStopsAtZero) {
    TestEnemy* enemy = NewEnemy(100.0f);
    Held<TestShot> enemyShot(new TestShot(manager, 150.0f, false));
    enemy->OnCollision(enemyShot.get());
    enemy->OnCollision(nullptr);
    EXPECT_EQ(enemy->GetLifeValue(), 100.0f);

    // The base rule alone: life clamps at exactly 0 and removal is asked for.
    Held<TestShot> shot(new TestShot(manager, 40.0f, true));
    enemy->Enemy::Hit(shot.get());
    EXPECT_EQ(enemy->GetLifeValue(), 60.0f);
    EXPECT_FALSE(enemy->IsRemoveRequested());
    enemy->Enemy::Hit(shot.get());
    enemy->Enemy::Hit(shot.get());
    EXPECT_EQ(enemy->GetLifeValue(), 0.0f);
    EXPECT_TRUE(enemy->IsRemoveRequested());
}

TEST_F(EnemyKill, AwardScoreFollowsMultiplierAndSpeedRate) {
    struct Case {
        float multiplier;
        float speedRate;
        int64_t score;
        float gaugeBefore;
        int64_t points;
        float multiplierAfter;
        float gaugeAfter;
    };
    const Case cases[] = {
        {16.0f, 0.5f, 10, 0.0f, 10 * 16 * 130, 16.0f, 0.15f},  // the cap holds
        {1.5f, 0.0f, 7, 0.2f, 1365, 2.5f, 0.2f},                // truncated points
        {1.0f, -0.5f, 5, 0.4f, 650, 2.0f, 0.4f},                // below minimum speed: no gauge
        {2.0f, 2.0f, 1, 0.7f, 260, 3.0f, 1.0f},                 // above maximum: gauge capped at 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.score);
        TestEnemy* enemy = NewEnemy();
        enemy->score = c.score;
        game->stageScore = 0;
        game->totalScore = 1000;
        game->enemiesShotDown = 0;
        game->scoreMultiplier = c.multiplier;
        game->scoreGauge = c.gaugeBefore;
        Player::Flight& flight = player->GetFlight();
        flight.speed = flight.minSpeed + c.speedRate * (flight.maxSpeed - flight.minSpeed);

        enemy->AwardScore();

        EXPECT_EQ(game->stageScore, c.points);
        EXPECT_EQ(game->totalScore, 1000 + c.points);
        EXPECT_EQ(game->enemiesShotDown, 1);
        EXPECT_FLOAT_EQ(game->scoreMultiplier, c.multiplierAfter);
        EXPECT_NEAR(game->scoreGauge, c.gaugeAfter, 1e-6f);
    }
}

TEST_F(EnemyKill, LifeCapAndGaugeRecovery) {
    TestEnemy* enemy = NewEnemy();
    enemy->SetLife(5000.0f);
    EXPECT_EQ(enemy->GetLifeValue(), 5000.0f);
    EXPECT_EQ(*enemy->GetGauge(), 300.0f);
    EXPECT_EQ(*enemy->GetGauge2(), 5000.0f);

    *enemy->GetGauge() = 50.0f;
    enemy->AddGauge(0.0f);
    EXPECT_EQ(*enemy->GetGauge(), 150.0f) << "a zero delta recovers 100";
    enemy->AddGauge(1000.0f);
    EXPECT_EQ(*enemy->GetGauge(), 300.0f);
    enemy->AddGauge(-1000.0f);
    EXPECT_EQ(*enemy->GetGauge(), 0.0f);

    enemy->Vanish();
    *enemy->GetGauge() = 30.0f;
    enemy->AddGauge(10.0f);
    EXPECT_EQ(*enemy->GetGauge(), 0.0f) << "a dead enemy has no gauge";
}

}  // namespace
}  // namespace enemy_test
