// Screen flash timing and choice, the blur's pass values, and the explosion
// glow it takes from the strongest explosion.
#include "EffectsTestSupport.h"
#include "game/player/Player.h"
#include "game/world/effects/BlurManager.h"
#include "game/world/effects/EffectGenerator.h"
#include "game/world/effects/FlashManager.h"

namespace {

class ScreenServicesTest : public effects_test::SceneFixture {
protected:
    void SetUp() override {
        SceneFixture::SetUp();
        blur = new BlurManager(manager);
        blur->AddRef();
        ASSERT_EQ(blur->Initialize(0), 0);
        flashes = new FlashManager(manager);
        flashes->AddRef();
        ASSERT_EQ(flashes->Initialize(0), 0);
    }
    void TearDown() override {
        SAFE_RELEASE(flashes);
        SAFE_RELEASE(blur);
        SceneFixture::TearDown();
    }
    void ExpectColor(const D3DXVECTOR4& actual, const D3DXVECTOR4& expected) {
        EXPECT_NEAR(actual.x, expected.x, 1e-5f);
        EXPECT_NEAR(actual.y, expected.y, 1e-5f);
        EXPECT_NEAR(actual.z, expected.z, 1e-5f);
        EXPECT_NEAR(actual.w, expected.w, 1e-5f);
    }

    BlurManager* blur = nullptr;
    FlashManager* flashes = nullptr;
    const D3DXVECTOR4 red{1, 0, 0, 1}, green{0, 1, 0, 0.5f}, blue{0, 0, 1, 1};
};

TEST_F(ScreenServicesTest, FlashRampsTwiceShowsExactlyTheMiddleColourAtT1AndEndsAtT2) {
    EXPECT_EQ(g_pEnvironment2->flashManager, flashes);
    flashes->StartFlash(red, green, blue, 1.0f, 2.0f, 0.8f);
    Frame(0.0f);  // a fresh flash of weight 0 still beats "none"
    EXPECT_FLOAT_EQ(flashes->GetBestWeight(), 0.0f);
    Frame(0.5f);
    EXPECT_FLOAT_EQ(flashes->GetBestWeight(), 0.4f);
    ExpectColor(flashes->GetBestColor(), D3DXVECTOR4(0.5f, 0.5f, 0.0f, 0.75f));
    Frame(0.5f);
    EXPECT_FLOAT_EQ(flashes->GetBestWeight(), 0.0f);
    ExpectColor(flashes->GetBestColor(), green);
    Frame(0.5f);
    EXPECT_FLOAT_EQ(flashes->GetBestWeight(), 0.4f);
    EXPECT_FLOAT_EQ(blur->m_flashWeight, 0.4f);
    Frame(0.5f);
    EXPECT_EQ(flashes->GetInUseCount(), 0);
    EXPECT_FLOAT_EQ(flashes->GetBestWeight(), -1.0f);
    ExpectColor(blur->m_flashColor, D3DXVECTOR4(1, 1, 1, 1));
    // The finished flash is reused by the next start.
    flashes->StartFlash(red, green, blue, 1.0f, 2.0f, 0.8f);
    EXPECT_EQ(flashes->GetFreeCount(), 0);
    EXPECT_EQ(flashes->GetInUseCount(), 1);
}

TEST_F(ScreenServicesTest, FlashesOfEqualWeightShowTheFirstInSetOrder) {
    flashes->StartFlash(red, red, red, 1.0f, 2.0f, 0.5f);
    flashes->StartFlash(blue, blue, blue, 1.0f, 2.0f, 0.5f);
    Frame(0.25f);
    D3DXVECTOR4 first(0, 0, 0, 0);
    bool seen = false;
    flashes->ForEachInUse([&](Quorvex::IFactoryProduct* product) {
        if (!seen) first = dynamic_cast<FlashObject*>(product)->GetColor();
        seen = true;
    });
    ExpectColor(flashes->GetBestColor(), first);
}

TEST_F(ScreenServicesTest, BlurPassValuesWithoutExplosionsFlashOverrideAndFixedMode) {
    Frame(0.016f);
    EXPECT_FLOAT_EQ(blur->m_expandLength, 0.0f);
    EXPECT_FLOAT_EQ(blur->m_invalidLength, 0.5f);
    EXPECT_FLOAT_EQ(blur->m_expandRate, 0.9f);
    ExpectColor(blur->m_addColor, D3DXVECTOR4(0, 0, 0, 0));

    // A flash at least as strong as the blur replaces the add colour.
    flashes->StartFlash(D3DXVECTOR4(1.0f, 0.5f, 0.25f, 0.5f), D3DXVECTOR4(1.0f, 0.5f, 0.25f, 0.5f),
                        D3DXVECTOR4(1.0f, 0.5f, 0.25f, 0.5f), 1.0f, 2.0f, 1.0f);
    Frame(0.5f);
    ExpectColor(blur->m_addColor, D3DXVECTOR4(0.5f, 0.25f, 0.125f, 0.0f));

    g_pEnvironment2->currentSceneMode = 3;
    Frame(0.016f);
    EXPECT_FLOAT_EQ(blur->m_expandLength, 0.3f);
    EXPECT_FLOAT_EQ(blur->m_invalidLength, 0.075f);
    EXPECT_FLOAT_EQ(blur->m_expandRate, 1.0f);
}

TEST_F(ScreenServicesTest, StrongestExplosionGlowsWithTheDefaultLightColours) {
    auto* generator = new EffectGenerator(manager, nullptr, Quorvex::AreaPos());
    generator->AddRef();
    ASSERT_EQ(generator->Initialize(0), 0);
    Effect_Explosion* weak = generator->CreateExplosion(D3DXVECTOR3(0, 0, 0), 20.0f, 0x7F);
    Effect_Explosion* strong = generator->CreateExplosion(D3DXVECTOR3(0, 0, 0), 40.0f, 0x7F);
    ASSERT_NE(weak, nullptr);
    ASSERT_NE(strong, nullptr);
    EXPECT_EQ(blur->GetExplosionCount(), 2);
    // Grow end of the size-40 explosion: 0.15 of effect time = 0.06 s.
    Frame(0.06f);
    blur->Update(0.0f);
    EXPECT_EQ(blur->GetCurrentExplosion(), strong);
    EXPECT_NEAR(blur->m_strength, 1.0f, 1e-4f);  // weight 40 x 0.025 with no player to measure from
    // Light colours all 1: luminance 1, k = 0.8.
    ExpectColor(blur->m_addColor, D3DXVECTOR4(1.0f, 0.9f, 0.7f, 0.8f));
    EXPECT_NEAR(blur->m_tone, 1.0f / 1.5f, 1e-4f);
    EXPECT_NEAR(blur->m_expandLength, 0.3f, 1e-5f);
    EXPECT_NEAR(blur->m_invalidLength, 0.15f, 1e-4f);
    // Without their generator they can no longer step: the blur lets them go.
    manager->SubObject(generator);
    SAFE_RELEASE(generator);
    Frame(0.0f);
    blur->Update(0.0f);
    EXPECT_EQ(blur->GetExplosionCount(), 0);
    EXPECT_FLOAT_EQ(blur->m_strength, 0.0f);
}

class PlayerBlurTest : public ScreenServicesTest {
protected:
    void SetUp() override {
        ScreenServicesTest::SetUp();
        player = new Player(manager, nullptr, Quorvex::AreaPos());
        player->AddRef();
        g_pEnvironment2->SetPlayer(player);
        generator = new EffectGenerator(manager, nullptr, Quorvex::AreaPos());
        generator->AddRef();
        ASSERT_EQ(generator->Initialize(0), 0);
    }
    void TearDown() override {
        SAFE_RELEASE(generator);
        g_pEnvironment2->SetPlayer(nullptr);
        if (player) player->RequestRemove(true);
        SAFE_RELEASE(player);
        ScreenServicesTest::TearDown();
    }
    Player* player = nullptr;
    EffectGenerator* generator = nullptr;
};

TEST_F(PlayerBlurTest, AtFullSpeedWithoutExplosionsTheBlurFollowsTheTargetsViewPoint) {
    player->GetFlight().speed = player->GetMaxSpeed();
    player->viewPoint = D3DXVECTOR2(0.8f, 0.4f);
    blur->SetTarget(player);
    blur->Update(0.0f);
    EXPECT_FLOAT_EQ(blur->m_strength, 0.75f);
    EXPECT_FLOAT_EQ(blur->m_expandLength, 0.225f);
    EXPECT_FLOAT_EQ(blur->m_invalidLength, 0.2375f);
    EXPECT_FLOAT_EQ(blur->m_centerX, 0.8f * 0.5625f);
    EXPECT_FLOAT_EQ(blur->m_centerY, 0.4f);
    blur->SetTarget(nullptr);
}

TEST_F(PlayerBlurTest, NearExplosionsShakeThePlayerUntilTheyEndAndFarOnesDoNothing) {
    struct Case {
        float distance;
        bool shakes;
    };
    for (const Case& c : {Case{1000.0f, true}, Case{3000.0f, false}, Case{5000.0f, false}}) {
        Effect_Explosion* explosion = generator->CreateExplosion(D3DXVECTOR3(c.distance, 0, 0), 40.0f, 0x7F);
        ASSERT_NE(explosion, nullptr);
        EXPECT_FLOAT_EQ(BlurManager::ExplosionWeight(explosion), c.shakes ? 1.0f * (1.0f - c.distance / 3000.0f) : 0.0f);
        Frame(0.02f);  // the blur hands it the player, the step shakes
        Frame(0.02f);
        EXPECT_EQ(explosion->GetTarget(), player);
        const float shake = player->shakeVector.x;
        if (c.shakes) {
            EXPECT_GT(shake, 0.0f) << c.distance;
            EXPECT_FLOAT_EQ(player->shakeVector.y, shake);
            EXPECT_LE(shake, 40.0f * 0.02f * (1.0f - c.distance / 3000.0f));
        } else {
            EXPECT_EQ(shake, 0.0f) << c.distance;
        }
        for (int i = 0; i < 60; ++i) Frame(0.02f);  // life 1.5 of effect time
        EXPECT_EQ(generator->GetLiveCount(EffectObject::KindExplosion), 0);
        EXPECT_EQ(player->shakeVector, D3DXVECTOR3(0, 0, 0));
    }
}

}  // namespace
