// Aura sprites: how many each variant emits and who owns them.
#include "EnemyTestSupport.h"
#include "game/enemy/AuraParam.h"

namespace enemy_test {
namespace {

class Auras : public EnemyStage {
protected:
    void SetUp() override {
        EnemyStage::SetUp();
        AddEffects();
    }
    int LiveSprites() const { return effects->GetLiveCount(EffectObject::KindGeneralPurpose); }
};

const D3DXVECTOR3 kStill(0.0f, 0.0f, 0.0f);

TEST_F(Auras, EmissionFollowsTheIntervalAndALongFrameEmitsSeveral) {
    struct Case {
        float intensity;
        float dt;
        int sprites;  // interval 0.1 - 0.07 min(I, 1)
    };
    const Case cases[] = {{0.0f, 0.05f, 0}, {0.0f, 0.35f, 3}, {1.0f, 0.125f, 4}, {5.0f, 0.125f, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.intensity * 100 + c.dt);
        TestEnemy* enemy = NewEnemy();
        AuraParam aura;
        aura.intensity = c.intensity;
        const int before = LiveSprites();
        enemy->UpdateAura(c.dt, kStill, aura);
        EXPECT_EQ(static_cast<int>(aura.sprites.size()), c.sprites);
        EXPECT_EQ(LiveSprites() - before, c.sprites);
        for (Effect_GeneralPurpose* sprite : aura.sprites) {
            EXPECT_GT(sprite->GetPosition().y, -35.0f) << "within 30 degrees of straight up, lowered by 35";
            EXPECT_GE(sprite->m_velocity.y, 0.0f);
        }
    }
}

TEST_F(Auras, RingsCountFifteenPerUnitOfRawIntensity) {
    struct Case {
        float intensity;
        float dt;
        size_t sprites;
        float emitTimeLeft;
    };
    const Case cases[] = {{2.0f, 0.05f, 30, 0.0f}, {1.0f, 0.125f, 30, 0.025f}, {0.0f, 0.125f, 0, 0.025f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.intensity);
        TestEnemy* enemy = NewEnemy();
        AuraParam aura;
        aura.intensity = c.intensity;
        enemy->UpdateAuraVariant2(c.dt, kStill, aura);
        EXPECT_EQ(aura.sprites.size(), c.sprites);
        EXPECT_NEAR(aura.emitTime, c.emitTimeLeft, 1e-5f);
    }
}

TEST_F(Auras, SpritesLeaveTheSetWhenTheyEndAndOutliveTheirAura) {
    TestEnemy* enemy = NewEnemy();
    auto aura = std::make_unique<AuraParam>();
    aura->intensity = 1.0f;
    enemy->UpdateAuraVariant4(0.12f, kStill, *aura);
    ASSERT_EQ(aura->sprites.size(), 2u);

    // One ends: its callback takes it out of the set.
    Effect_GeneralPurpose* first = *aura->sprites.begin();
    ASSERT_FALSE(first->m_finish.empty());
    first->m_finish(first);
    EXPECT_EQ(aura->sprites.size(), 1u);

    // The enemy's aura goes first: the sprite keeps flying without it.
    Effect_GeneralPurpose* second = *aura->sprites.begin();
    aura.reset();
    EXPECT_TRUE(second->m_finish.empty());
    EXPECT_TRUE(second->IsAlive());

    // The effect pool goes first: the aura still lets go of its sprites safely.
    AuraParam late;
    late.intensity = 1.0f;
    enemy->UpdateAura(0.1f, kStill, late);
    ASSERT_FALSE(late.sprites.empty());
    manager->SubObject(effects);
    effects->Release();
    effects = nullptr;
    EXPECT_EQ(g_pEnvironment2->effectGenerator, nullptr) << "the pool is gone";
    for (Effect_GeneralPurpose* sprite : late.sprites) EXPECT_EQ(sprite->GetGenerator(), nullptr);
}

}  // namespace
}  // namespace enemy_test
