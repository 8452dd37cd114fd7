// The terrain smoke puff and its pool, the scene light with its point lights,
// and the floating score markers.
#include <cmath>
#include <vector>

#include "EffectsTestSupport.h"
#include "game/screen/NumberRenderer.h"
#include "game/screen/ScoreMarker.h"
#include "game/world/Object3D.h"
#include "game/world/effects/LightObject.h"
#include "game/world/effects/Smoke.h"

namespace {

using Quorvex::AreaPos;

class WorldServicesTest : public effects_test::SceneFixture {
protected:
    void TearDown() override {
        SAFE_RELEASE(pool);
        SceneFixture::TearDown();
    }
    // A pool following `centre` and one puff from it in "Sprite3D" (the pool
    // and the manager keep it).
    Smoke* NewPuff() {
        pool = new SmokeFactory(manager, nullptr, &centre);
        pool->AddRef();
        EXPECT_EQ(pool->Initialize(0), 0);
        Smoke::SetParam record(manager, "Sprite3D");
        Smoke* puff = pool->AcquireSmoke(&record);
        if (puff) puff->Release();
        return puff;
    }

    CenterInfo centre;
    SmokeFactory* pool = nullptr;
};

TEST_F(WorldServicesTest, SmokePuffFadesInAndOutOverItsLifeAndReturnsToThePool) {
    Smoke* puff = NewPuff();
    ASSERT_NE(puff, nullptr);
    EXPECT_EQ(puff->GetRenderStage(), Stage("Sprite3D"));
    EXPECT_LE(std::fabs(puff->m_spin), 0.34906587f);
    puff->m_lifeRate = 0.5f;
    puff->m_size = 10.0f;

    for (int i = 0; i < 4; ++i) Frame(0.25f);  // one second: half its life
    EXPECT_EQ(puff->m_sprite.color >> 24, 64u);  // the alpha scale 0.25 at its peak
    EXPECT_FLOAT_EQ(puff->m_sprite.width, 170.0f);
    EXPECT_FLOAT_EQ(puff->m_sprite.height, 140.0f);
    for (int i = 0; i < 3; ++i) Frame(0.25f);
    EXPECT_EQ(pool->GetInUseCount(), 1);
    Frame(0.25f);  // life reaches 1 after two seconds
    EXPECT_EQ(pool->GetInUseCount(), 0);
    EXPECT_EQ(puff->GetRenderStage(), nullptr);
}

TEST_F(WorldServicesTest, SmokePoolMovesLivePuffsBackWhenTheCentreCellAdvances) {
    Smoke* puff = NewPuff();
    ASSERT_NE(puff, nullptr);
    puff->m_lifeRate = 0.0f;
    puff->Position() = D3DXVECTOR3(5.0f, 6.0f, 7.0f);
    Frame(0.1f);
    centre.pos.z.cell = 1;
    Frame(0.1f);
    EXPECT_EQ(puff->Position(), D3DXVECTOR3(5.0f, 6.0f, 7.0f - 1000.0f));
    Frame(0.1f);
    EXPECT_EQ(puff->Position(), D3DXVECTOR3(5.0f, 6.0f, 7.0f - 1000.0f));
}

class LightTest : public effects_test::SceneFixture {
protected:
    void TearDown() override {
        g_pEnvironment2->SetLightObject(nullptr);
        SceneFixture::TearDown();
    }
    LightObject* NewLight(const D3DXVECTOR3& at) {
        auto* light = new LightObject(manager, nullptr, AreaPos::FromWorld(at));
        light->AddRef();
        EXPECT_EQ(light->Initialize(0), 0);
        return light;
    }
    Quorvex::RenderParameter& Parameter() { return *resources->GetRenderParameter(); }
};

TEST_F(LightTest, DirectionPointsAtTheCentreAndUnusedPointLightsGetTheDefaults) {
    LightObject* light = NewLight(D3DXVECTOR3(0.0f, 100.0f, 0.0f));
    EXPECT_EQ(GetCurrentLight(), light);
    EXPECT_EQ(light->GetRenderStage(), Stage("Begin"));
    const D3DXVECTOR4& d = Parameter().m_lightDirection;
    EXPECT_NEAR(d.x, 0.0f, 1e-6f);
    EXPECT_NEAR(d.y, -0.99995f, 1e-5f);
    EXPECT_NEAR(d.w, 0.0099995f, 1e-6f);
    EXPECT_NEAR(Parameter().m_lightPosition.y, 100.0f, 1e-4f);
    for (const auto& entry : Parameter().m_pointLights) {
        EXPECT_EQ(entry.enabled, 0u);
        EXPECT_EQ(entry.position, D3DXVECTOR3(-50.0f, 50.0f, -50.0f));
        EXPECT_FLOAT_EQ(entry.power, 100.0f);
        EXPECT_FLOAT_EQ(entry.minLength, 10.0f);
        EXPECT_FLOAT_EQ(entry.maxLength, 100.0f);
    }
    light->Release();
}

TEST_F(LightTest, OnlyTheFirstFourPointLightsInSetOrderReachTheTable) {
    LightObject* light = NewLight(D3DXVECTOR3(-200.0f, 350.0f, 1000.0f));
    std::vector<LightObject::PointLight*> records;
    for (int i = 0; i < 5; ++i) {
        auto* record = new LightObject::PointLight();
        record->enabled = 1;
        record->position = D3DXVECTOR3(static_cast<float>(i), 0.0f, 0.0f);
        record->power = 1.0f;
        record->minLength = 500.0f;
        record->maxLength = 3000.0f;
        ASSERT_TRUE(light->AddPointLight(record));
        records.push_back(record);
    }
    EXPECT_FALSE(light->AddPointLight(records[0]));
    light->UpdateLight();
    std::sort(records.begin(), records.end());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Parameter().m_pointLights[i].position, records[i]->position) << i;
    EXPECT_TRUE(light->RemovePointLight(records[0]));
    EXPECT_FALSE(light->RemovePointLight(records[0]));
    EXPECT_EQ(light->GetPointLightCount(), 4);
    light->Release();
}

TEST_F(LightTest, ANewLightReplacesTheCurrentOneAndADestroyedCurrentLightLeavesNone) {
    LightObject* first = NewLight(D3DXVECTOR3(0.0f, 100.0f, 0.0f));
    const int held = first->GetRefCount();
    LightObject* second = NewLight(D3DXVECTOR3(0.0f, 200.0f, 0.0f));
    EXPECT_EQ(GetCurrentLight(), second);
    EXPECT_EQ(first->GetRefCount(), held - 1);  // the game state let go of it once
    first->Release();
    manager->SubObject(first);

    second->Release();
    manager->SubObject(second);  // only the game state holds it now
    g_pEnvironment2->SetLightObject(nullptr);
    EXPECT_EQ(GetCurrentLight(), nullptr);
}

class ScoreMarkerTest : public effects_test::SceneFixture {
protected:
    void SetUp() override {
        SceneFixture::SetUp();
        Quorvex::CameraRecord camera;
        camera.eye = D3DXVECTOR3(0.0f, 0.0f, -100.0f);
        camera.at = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        camera.up = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
        manager->SetCamera(camera);
        D3DXMATRIX projection;
        D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 3.0f, 16.0f / 9.0f, 1.0f, 10000.0f);
        manager->SetProjectionMatrix(projection);
        manager->UpdateMatrices();
        pool = new ScoreMarkerFactory(manager);
        pool->AddRef();
        ASSERT_EQ(pool->Initialize(0), 0);
    }
    void TearDown() override {
        for (Object3D* target : targets) target->Release();
        SAFE_RELEASE(pool);
        SceneFixture::TearDown();
    }
    Object3D* Target(const D3DXVECTOR3& at) {
        auto* target = new Object3D(manager, nullptr, AreaPos::FromWorld(at));
        target->AddRef();
        targets.push_back(target);
        return target;
    }
    ScoreMarker* Launch(Object3D* target, int64_t score) {
        ScoreMarker::SetParam record;
        record.target = target;
        record.score = score;
        ScoreMarker* marker = pool->AcquireMarker(&record);
        if (marker) marker->Release();  // the pool and the manager keep it
        return marker;
    }

    ScoreMarkerFactory* pool = nullptr;
    std::vector<Object3D*> targets;
};

TEST_F(ScoreMarkerTest, PulsesThenStretchesAndFadesAndReturnsAfterOneSecond) {
    EXPECT_EQ(g_pEnvironment2->scoreMarkerFactory, pool);
    ScoreMarker* marker = Launch(Target(D3DXVECTOR3(0.0f, 0.0f, 0.0f)), 1234);
    ASSERT_NE(marker, nullptr);
    NumberRenderer* number = marker->GetNumber();
    EXPECT_EQ(marker->GetRenderStage(), Stage("Sprite2D"));
    EXPECT_EQ(number->GetRenderStage(), Stage("Sprite2D"));
    EXPECT_EQ(number->m_value, 1234);
    EXPECT_EQ(number->m_leftAligned, 1);
    EXPECT_EQ(number->m_minDigits, 0);

    const float s = 1.0f - 100.0f / 500.0f * 0.5f;  // depth 100
    EXPECT_TRUE(marker->IsVisible());
    EXPECT_NEAR(marker->GetDistanceScale(), s, 1e-4f);
    EXPECT_NEAR(marker->m_sprite.width, 0.17777778f * s, 1e-5f);
    EXPECT_NEAR(marker->m_sprite.x, 16.0f / 9.0f * 0.5f, 1e-4f);  // straight ahead: screen centre
    Frame(0.25f);  // t = 0
    EXPECT_EQ(marker->m_sprite.color >> 24, 255u);
    for (int i = 0; i < 3; ++i) Frame(0.25f);  // t = 0.75
    const float pulse = std::fabs(std::sin(0.75f / 0.8f * D3DX_PI * 6.0f)) * 0.05f + 1.0f;
    EXPECT_NEAR(marker->m_sprite.width, pulse * 0.17777778f * s, 1e-5f);
    Frame(0.25f);  // t = 1
    EXPECT_NEAR(marker->m_sprite.width, 3.0f * 0.17777778f * s, 1e-5f);
    EXPECT_NEAR(marker->m_sprite.height, 0.0f, 1e-6f);
    EXPECT_EQ(marker->m_sprite.color >> 24, 0u);
    EXPECT_EQ(pool->GetInUseCount(), 1);
    Frame(0.25f);
    EXPECT_EQ(pool->GetInUseCount(), 0);
    EXPECT_EQ(marker->GetRenderStage(), nullptr);
    EXPECT_EQ(number->GetRenderStage(), nullptr);
    EXPECT_EQ(number->m_visible, 0);
}

TEST_F(ScoreMarkerTest, DistanceHalvesTheSizeAndBehindTheCameraNothingIsDrawnButItStillAges) {
    ScoreMarker* far = Launch(Target(D3DXVECTOR3(0.0f, 0.0f, 1000.0f)), 10);
    ScoreMarker* behind = Launch(Target(D3DXVECTOR3(0.0f, 0.0f, -300.0f)), 10);
    ASSERT_NE(far, nullptr);
    ASSERT_NE(behind, nullptr);
    EXPECT_FLOAT_EQ(far->GetDistanceScale(), 0.5f);
    EXPECT_FALSE(behind->IsVisible());
    EXPECT_EQ(behind->GetNumber()->m_visible, 0);
    for (int i = 0; i < 6; ++i) Frame(0.25f);
    EXPECT_EQ(pool->GetInUseCount(), 0);
}

TEST_F(ScoreMarkerTest, LetsGoOfARemovedEnemyAndKeepsMovingWithTheCentre) {
    Object3D* enemy = Target(D3DXVECTOR3(0.0f, 0.0f, 50.0f));
    ScoreMarker* marker = Launch(enemy, 500);
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(marker->GetTarget(), enemy);
    enemy->RequestRemove(true);
    g_pEnvironment2->centerInfo.move = D3DXVECTOR3(0.0f, 0.0f, 5.0f);
    Frame(0.1f);
    EXPECT_EQ(marker->GetTarget(), nullptr);
    Frame(0.1f);
    EXPECT_NEAR(marker->GetPosition().ToWorld().z, 60.0f, 1e-3f);
}

TEST_F(ScoreMarkerTest, PoolHoldsAtMostOneHundredMarkers) {
    for (int i = 0; i < ScoreMarkerFactory::kMaxCount; ++i) ASSERT_NE(Launch(nullptr, i), nullptr) << i;
    EXPECT_EQ(Launch(nullptr, 1), nullptr);
}

}  // namespace
