// Explosion composition, pool exhaustion, retirement, finish callbacks and the
// world shift of the effect generator and its effects.
#include <algorithm>
#include <memory>

#include "EffectsTestSupport.h"
#include "engine/core/render/CalcVertexSet.h"
#include "game/play/GameSceneRegistry.h"
#include "game/play/SceneAction.h"
#include "game/world/effects/BlurManager.h"
#include "game/world/effects/EffectGenerator.h"

namespace {

using K = EffectObject;

class EffectGeneratorTest : public effects_test::SceneFixture {
protected:
    void SetUp() override {
        SceneFixture::SetUp();
        generator = new EffectGenerator(manager, nullptr, Quorvex::AreaPos());
        generator->AddRef();
        ASSERT_EQ(generator->Initialize(0), 0);
    }
    void TearDown() override {
        SAFE_RELEASE(generator);
        SceneFixture::TearDown();
    }
    int Live(int kind) const { return generator->GetLiveCount(kind); }
    int AllLive() const {
        int n = 0;
        for (int kind = 0; kind < K::KindCount; ++kind) n += Live(kind);
        return n;
    }
    // Frames until nothing is live (at most `limit`); answers the frames run.
    int RunOut(float elapsed, int limit) {
        int frames = 0;
        while (AllLive() > 0 && frames < limit) {
            Frame(elapsed);
            ++frames;
        }
        return frames;
    }

    EffectGenerator* generator = nullptr;
    const D3DXVECTOR3 origin{0.0f, 0.0f, 0.0f};
};

TEST_F(EffectGeneratorTest, ExplosionPartsFollowSizeAndFlags) {
    struct Case {
        float size;
        BYTE flags;
        int flames, sparks, sparks2, rings, fireMin, fireMax;
    };
    const Case cases[] = {
        {0.0f, 0x00, 1, 8, 2, 1, 0, 1},      // one ring of one flame on the centre
        {0.0f, 0x76, 1, 0, 0, 0, 0, 0},      // only the explosion and its flames
        {40.0f, 0x00, 15, 88, 32, 1, 4, 5},  // three rings of five flames
        {40.0f, 0x7F, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        RunOut(0.05f, 2000);
        ASSERT_EQ(AllLive(), 0);
        Effect_Explosion* explosion = generator->CreateExplosion(origin, c.size, c.flags);
        ASSERT_NE(explosion, nullptr);
        EXPECT_EQ(Live(K::KindExplosion), 1) << c.size << "/" << int(c.flags);
        EXPECT_EQ(Live(K::KindFlame), c.flames) << c.size << "/" << int(c.flags);
        EXPECT_EQ(Live(K::KindSpark), c.sparks) << c.size << "/" << int(c.flags);
        EXPECT_EQ(Live(K::KindSpark2), c.sparks2) << c.size << "/" << int(c.flags);
        EXPECT_EQ(Live(K::KindExpRing), c.rings) << c.size << "/" << int(c.flags);
        EXPECT_GE(Live(K::KindFireBall), c.fireMin);
        EXPECT_LE(Live(K::KindFireBall), c.fireMax);
        EXPECT_EQ(Live(K::KindSmoke), 0);
        RunOut(0.05f, 2000);
    }
    EXPECT_EQ(AllLive(), 0);
}

TEST_F(EffectGeneratorTest, FlamesOfAnExplosionLeaveOneSmokeEachUnlessBitZeroIsSet) {
    for (BYTE flags : {BYTE(0x76), BYTE(0x77)}) {
        ASSERT_NE(generator->CreateExplosion(origin, 0.0f, flags), nullptr);
        int mostSmoke = 0;
        for (int frame = 0; frame < 200 && AllLive() > 0; ++frame) {
            Frame(0.004f);
            mostSmoke = std::max(mostSmoke, Live(K::KindSmoke));
        }
        EXPECT_EQ(mostSmoke, flags == 0x76 ? 1 : 0) << int(flags);
        EXPECT_EQ(AllLive(), 0);
    }
}

TEST_F(EffectGeneratorTest, EveryEffectReturnsToItsPoolAndPoolsRefillCompletely) {
    ASSERT_NE(generator->CreateExplosion(origin, 40.0f, 0), nullptr);
    ASSERT_NE(generator->CreateExplosion(D3DXVECTOR3(100.0f, 0.0f, 0.0f), 100.0f, 0), nullptr);
    EXPECT_LT(RunOut(0.02f, 5000), 5000);
    for (int kind = 0; kind < K::KindCount; ++kind) {
        EXPECT_EQ(Live(kind), 0) << kind;
        EXPECT_EQ(generator->GetFreeCount(kind), EffectGenerator::kPoolSizes[kind]) << kind;
    }
}

TEST_F(EffectGeneratorTest, ExhaustedPoolsFailAndBurstsStopAtTheFirstFailure) {
    for (int i = 0; i < EffectGenerator::kPoolSizes[K::KindExpRing]; ++i)
        ASSERT_EQ(generator->SpawnExpRing(origin, D3DXVECTOR3(0, 1, 0), 10.0f), 0);
    EXPECT_EQ(generator->SpawnExpRing(origin, D3DXVECTOR3(0, 1, 0), 10.0f), -1);

    const int sparks = EffectGenerator::kPoolSizes[K::KindSpark];
    for (int i = 0; i < sparks - 3; ++i) ASSERT_EQ(generator->SpawnSpark(origin, D3DXVECTOR3(0, 0, 1), 1.0f), 0);
    EXPECT_EQ(generator->SpawnSparkBurst(origin, 0.0f), -1);  // wants 8
    EXPECT_EQ(Live(K::KindSpark), sparks);

    // No free explosion: nothing at all happens, no other part, no sound.
    for (int i = 0; i < EffectGenerator::kPoolSizes[K::KindExplosion]; ++i)
        ASSERT_NE(generator->CreateExplosion(origin, 0.0f, 0x7F), nullptr);
    const int flamesBefore = Live(K::KindFlame), smokeBefore = Live(K::KindSmoke);
    EXPECT_EQ(generator->CreateExplosion(origin, 40.0f, 0), nullptr);
    EXPECT_EQ(Live(K::KindFlame), flamesBefore);
    EXPECT_EQ(Live(K::KindSmoke), smokeBefore);
    EXPECT_EQ(Live(K::KindSpark2), 0);
    EXPECT_EQ(Live(K::KindFireBall), 0);
}

TEST_F(EffectGeneratorTest, ExplosionSoundClassBySize) {
    const struct {
        float size;
        int index;
    } cases[] = {{0.0f, 0}, {19.9f, 0}, {20.0f, 1}, {45.0f, 2}, {99.0f, 4}, {100.0f, 5}, {1000.0f, 5}, {-40.0f, -2}};
    for (const auto& c : cases) EXPECT_EQ(EffectGenerator::ExplosionSoundIndex(c.size), c.index) << c.size;
    EXPECT_STREQ(EffectGenerator::kExplosionSounds[0], L"exp_s1");
    EXPECT_STREQ(EffectGenerator::kExplosionSounds[5], L"exp_l1");
}

TEST_F(EffectGeneratorTest, SmokeOfSizeZeroLivesAShortWhileAndAtMostDoublesItsSize) {
    Effect_Smoke* smoke = generator->SpawnSmoke(origin, 0.0f, 10.0f, 10.0f);
    ASSERT_NE(smoke, nullptr);
    EXPECT_EQ(smoke->GetRenderStage(), Stage("Sprite3D"));
    float widest = 0.0f;
    int frames = 0;
    while (Live(K::KindSmoke) > 0 && frames < 100) {
        Frame(0.002f);  // effect step 0.005
        if (Live(K::KindSmoke) > 0) widest = std::max(widest, smoke->m_sprite.width);
        ++frames;
    }
    EXPECT_GE(frames, 7);   // life m * 0.05 with m >= 0.7
    EXPECT_LE(frames, 11);  // and m < 1
    EXPECT_LT(widest, 20.0f);
    EXPECT_GT(widest, 10.0f);
    EXPECT_EQ(smoke->GetRenderStage(), nullptr);
    EXPECT_EQ(Live(K::KindSmoke), 0);
}

TEST_F(EffectGeneratorTest, FinishCallbacksRunOnceForSmokeAndGeneralPurpose) {
    int smokeCalls = 0, spriteCalls = 0;
    Effect_Smoke* smoke = generator->SpawnSmoke(origin, 10.0f, 5.0f, 5.0f);
    ASSERT_NE(smoke, nullptr);
    smoke->m_finish = [&](EffectObject* e) {
        EXPECT_EQ(e, smoke);
        ++smokeCalls;
    };
    Effect_GeneralPurpose* sprite = generator->SpawnGeneralPurpose(origin, "matNothing", "Sprite3D");
    ASSERT_NE(sprite, nullptr);
    sprite->m_fadeOutStart = 0.05f;
    sprite->m_fadeOutEnd = 0.1f;
    sprite->m_finish = [&](EffectObject*) { ++spriteCalls; };
    RunOut(0.02f, 1000);
    EXPECT_EQ(smokeCalls, 1);
    EXPECT_EQ(spriteCalls, 1);
    EXPECT_FALSE(smoke->m_finish);
    EXPECT_FALSE(sprite->m_finish);
}

TEST_F(EffectGeneratorTest, GeneralPurposeScalesFromAStartAtZeroAndFadesIn) {
    Effect_GeneralPurpose* sprite = generator->SpawnGeneralPurpose(origin, nullptr, "Sprite3D");
    ASSERT_NE(sprite, nullptr);
    sprite->m_mode = Effect_GeneralPurpose::ModeBillboard;
    sprite->m_baseWidth = sprite->m_baseHeight = 10.0f;
    sprite->m_scaleTo = D3DXVECTOR3(3.0f, 3.0f, 3.0f);
    sprite->m_scaleStart = 0.0f;
    sprite->m_scaleEnd = 1.0f;
    const BYTE start[4] = {0, 0, 0, 0}, end[4] = {200, 100, 50, 0};
    std::copy(start, start + 4, sprite->m_startColor);
    std::copy(end, end + 4, sprite->m_endColor);
    sprite->m_fadeIn = 1.0f;
    sprite->m_velocity = D3DXVECTOR3(0.0f, 4.0f, 0.0f);
    Frame(0.5f);
    EXPECT_FLOAT_EQ(sprite->m_sprite.width, 20.0f);
    EXPECT_EQ(sprite->m_sprite.color, 0x64321900u);  // half-way: A 100, R 50, G 25, B 0
    EXPECT_FLOAT_EQ(sprite->m_sprite.position.y, 2.0f);
}

// An action scene that was never started: only its render hook runs.
class RenderHookOnly : public SceneAction {
public:
    void SetMusicVolume(float) override {}
    Quorvex::SoundUnit* GetMusic() override { return nullptr; }
};

// Each drawn frame of play moves every live effect by half of the centre's
// push of that frame; the effects in the pool stay put.
TEST_F(EffectGeneratorTest, PlayFramesDriftLiveEffectsByHalfTheCentresPush) {
    Effect_Smoke* smoke = generator->SpawnSmoke(D3DXVECTOR3(1, 2, 3), 5.0f, 5.0f, 5.0f);
    Effect_GeneralPurpose* sprite = generator->SpawnGeneralPurpose(D3DXVECTOR3(-5, 0, 0), nullptr, "Sprite3D");
    ASSERT_NE(smoke, nullptr);
    ASSERT_NE(sprite, nullptr);
    GetGameSceneRegistry().effectGenerator.Set(generator);
    {
        RenderHookOnly scene;
        g_pEnvironment2->centerInfo.move = D3DXVECTOR3(2.0f, -4.0f, 10.0f);
        scene.OnRender();
        EXPECT_EQ(smoke->GetPosition(), D3DXVECTOR3(2, 0, 8));
        EXPECT_EQ(sprite->GetPosition(), D3DXVECTOR3(-4, -2, 5));
        scene.OnRender();
        EXPECT_EQ(smoke->GetPosition(), D3DXVECTOR3(3, -2, 13)) << "again on the next frame";
        g_pEnvironment2->centerInfo.move = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        scene.OnRender();
        EXPECT_EQ(smoke->GetPosition(), D3DXVECTOR3(3, -2, 13)) << "a still centre moves nothing";
    }
    GetGameSceneRegistry().effectGenerator.Clear();
}

TEST_F(EffectGeneratorTest, ShiftAndRecentringMoveEveryLiveEffectAlike) {
    Effect_Smoke* smoke = generator->SpawnSmoke(D3DXVECTOR3(1, 2, 3), 5.0f, 5.0f, 5.0f);
    ASSERT_EQ(generator->SpawnFireBall(D3DXVECTOR3(10, 20, 30), D3DXVECTOR3(0, 1, 0), 5.0f), 0);
    Effect_GeneralPurpose* sprite = generator->SpawnGeneralPurpose(D3DXVECTOR3(-5, 0, 0), nullptr, "Sprite3D");
    ASSERT_NE(smoke, nullptr);
    ASSERT_NE(sprite, nullptr);

    generator->ShiftEffects(D3DXVECTOR3(100, 200, 300));
    EXPECT_EQ(smoke->GetPosition(), D3DXVECTOR3(101, 202, 303));
    EXPECT_EQ(sprite->GetPosition(), D3DXVECTOR3(95, 200, 300));

    // The centre moves one cell along +z: everything moves one cell back.
    g_pEnvironment2->centerInfo.pos.z.cell = 1;
    generator->Update(0.0f);
    EXPECT_EQ(smoke->GetPosition(), D3DXVECTOR3(101, 202, 303 - 1000));
    EXPECT_EQ(sprite->GetPosition(), D3DXVECTOR3(95, 200, 300 - 1000));
    generator->Update(0.0f);  // once only
    EXPECT_EQ(smoke->GetPosition(), D3DXVECTOR3(101, 202, 303 - 1000));
}

TEST_F(EffectGeneratorTest, AnExplosionPastItsLifeWaitsWhileFourOrMoreHoldItAndTheBlurLetsGo) {
    auto* blur = new BlurManager(manager);
    blur->AddRef();
    ASSERT_EQ(blur->Initialize(0), 0);
    Effect_Explosion* explosion = generator->CreateExplosion(origin, 40.0f, 0x7F);
    ASSERT_NE(explosion, nullptr);
    EXPECT_EQ(blur->GetExplosionCount(), 1);
    // Its pool entry and the generator's extra reference, plus two outside holders.
    explosion->AddRef();
    explosion->AddRef();
    for (int i = 0; i < 40; ++i) Frame(0.02f);  // life 1.5 ends after 30 frames
    EXPECT_GT(explosion->GetTime(), explosion->GetLife());
    EXPECT_EQ(blur->GetExplosionCount(), 0);
    EXPECT_EQ(Live(K::KindExplosion), 1);
    explosion->Release();
    Frame(0.02f);
    EXPECT_EQ(Live(K::KindExplosion), 0);
    explosion->Release();
    blur->Release();
}

TEST_F(EffectGeneratorTest, EachKindDrawsItsShapeWithItsBlendPreset) {
    Quorvex::g_pEnvironment->SetElapsedTime(0.001f);
    generator->Update(0.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    Effect_GeneralPurpose* sprite = generator->SpawnGeneralPurpose(origin, nullptr, "Sprite3D");
    ASSERT_NE(sprite, nullptr);
    sprite->m_mode = Effect_GeneralPurpose::ModeBillboard;
    sprite->m_blend = 5;
    ASSERT_NE(generator->SpawnSmoke(origin, 10.0f, 5.0f, 5.0f), nullptr);
    ASSERT_EQ(generator->SpawnFlame(origin, up, 10.0f, 5.0f, 5.0f, false), 0);
    ASSERT_EQ(generator->SpawnSpark(origin, up, 10.0f), 0);
    ASSERT_EQ(generator->SpawnSpark2(origin, up, 10.0f), 0);
    ASSERT_EQ(generator->SpawnExpRing(origin, up, 10.0f), 0);  // 18 segments, both sides
    ASSERT_EQ(generator->SpawnLineSmoke(origin, up, 10.0f, 1.0f, 1.0f), 0);
    ASSERT_EQ(generator->SpawnFireBall(origin, up, 10.0f), 0);
    struct Case {
        int kind;
        int vertices;
        int preset;
    };
    const Case cases[] = {{K::KindSmoke, 4, 2},      {K::KindFlame, 4, 3},     {K::KindSpark, 4, 2},
                          {K::KindSpark2, 4, 2},     {K::KindExpRing, 76, 3},  {K::KindLineSmoke, 4, 2},
                          {K::KindGeneralPurpose, 4, 5}};
    // The live effects, one per kind, from the stages' draw lists.
    EffectObject* byKind[K::KindCount] = {};
    manager->Update(0.0f);
    for (const char* name : {"Sprite3D", "Sprite3DOver"}) {
        Quorvex::RenderStage* stage = Stage(name);
        for (int i = 0; i < stage->GetDrawCount(); ++i)
            if (auto* effect = dynamic_cast<EffectObject*>(stage->GetDrawObject(i))) byKind[effect->GetKind()] = effect;
    }
    Quorvex::CalcVertexSet list;
    list.Allocate(24 * 4096, 2 * 6144, 1024);
    for (const Case& c : cases) {
        EffectObject* effect = byKind[c.kind];
        ASSERT_NE(effect, nullptr) << c.kind;
        list.Reset();
        effect->Render(&list);
        EXPECT_EQ(list.vertexCount, c.vertices) << c.kind;
        EXPECT_EQ(list.renderStatePreset, c.preset) << c.kind;
    }
}

}  // namespace
