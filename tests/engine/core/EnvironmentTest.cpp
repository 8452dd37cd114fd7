#include <gtest/gtest.h>

#include <cmath>

#include "engine/core/AreaPos.h"
#include "engine/core/Environment.h"
#include "engine/render/FakeDevice.h"

using Quorvex::Environment;

namespace {

struct Held {
    Environment* environment = new Environment();
    Held() { environment->AddRef(); }
    ~Held() { environment->Release(); }
    Environment* operator->() const { return environment; }
};

TEST(Environment, FreshEnvironmentHoldsTheDefaults) {
    Held env;
    EXPECT_FLOAT_EQ(env->GetFrameTime(), 1.0f / 60.0f);
    EXPECT_FLOAT_EQ(env->GetElapsedTime(), 1.0f / 60.0f);
    EXPECT_FLOAT_EQ(env->GetMeasuredFrameTime(), 1.0f / 60.0f);
    EXPECT_EQ(env->GetFpsMax(), 60.0f);
    EXPECT_EQ(env->GetFpsMin(), 30.0f);
    EXPECT_EQ(env->GetPhysicsStepRate(), 60.0f);
    EXPECT_EQ(*env->GetGravity(), D3DXVECTOR3(0.0f, -9.8f, 0.0f));
    EXPECT_EQ(*env->GetWorldShift(), D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(*env->GetCellSize(), D3DXVECTOR3(50000, 50000, 50000));
    EXPECT_EQ(*env->GetOuterSize(), D3DXVECTOR3(75000, 75000, 75000));
    EXPECT_TRUE(env->IsFrameLimit() && env->IsCreateObjectManager() && env->IsCreateAreaManager() &&
                env->IsUseAreaFactory() && env->IsCreateResourceManager() && env->IsCreateSoundManager() &&
                env->IsCreateShaderManager());
    EXPECT_FALSE(env->IsFixedPhysicsStep());
    EXPECT_EQ(env->GetPhysicsSubSteps(), 1);
    EXPECT_STREQ(env->GetTextureDirectory(), L"./data/texture");
    EXPECT_STREQ(env->GetRedirectExtension(), L"code");
    EXPECT_FALSE(env->IsFileRedirect());
    EXPECT_EQ(env->GetPathFilter(), nullptr);
    EXPECT_EQ(env->GetAssetKey(), 0u);
    EXPECT_EQ(env->GetDevice(), nullptr);
    EXPECT_EQ(env->GetWorldScale(), 1.0f);
    EXPECT_EQ(env->GetScreenScaleX(), 1.0f);
    EXPECT_FLOAT_EQ(env->GetAspect(), 16.0f / 9.0f);
    EXPECT_FLOAT_EQ(env->GetInverseAspect(), 0.5625f);
    EXPECT_FALSE(env->GetExitFlag() || env->IsWindowActive() || env->IsShowSystemInfo());
    EXPECT_STREQ(env->GetInfoText(), L"");
}

TEST(Environment, ScreenRatiosUseTheClientSizeAndInverseAspect) {
    Held env;
    env->SetClientSize(D3DXVECTOR2(1280.9f, 720.5f));
    EXPECT_EQ(env->GetClientWidth(), 1280);
    EXPECT_EQ(env->GetClientHeight(), 720);
    EXPECT_EQ(env->XFromScreenRatio(0.5f), 360.0f);
    EXPECT_EQ(env->YFromScreenRatio(0.5f), 360.0f);
    float x = 0, y = 0;
    env->ToScreenRatio(640.0f, 180.0f, &x, &y);
    EXPECT_EQ(x, 0.5f);
    EXPECT_EQ(y, 0.25f);

    env->SetAspect(1280.0f, 1024.0f);
    EXPECT_FLOAT_EQ(env->GetAspect(), 1.25f);
    EXPECT_FLOAT_EQ(Quorvex::g_Aspect, 1.25f);
    EXPECT_FLOAT_EQ(Quorvex::g_InverseAspect, 0.8f);
    EXPECT_FLOAT_EQ(Quorvex::g_HalfAspect, 0.625f);
    EXPECT_FLOAT_EQ(env->XFromScreenRatio(0.5f), 512.0f);
    env->SetAspect(16.0f, 9.0f);
}

TEST(Environment, AreaCellSizeRebuildsTheWorldGrid) {
    Held env;
    env->SetAreaCellSize(D3DXVECTOR3(1000, 10000, 1000), D3DXVECTOR3(1500, 15000, 1500));
    EXPECT_EQ(*env->GetAreaCellSize(), D3DXVECTOR3(1000, 10000, 1000));
    const auto& g = Quorvex::g_WorldGrid;
    EXPECT_EQ(g.lowerBound[0], -250.0f);
    EXPECT_EQ(g.upperBound[0], 1250.0f);
    EXPECT_EQ(g.lowerBound[1], -2500.0f);
    EXPECT_EQ(g.upperBound[1], 12500.0f);
    EXPECT_EQ(g.invCellSize[2], 0.001f);
    EXPECT_EQ(g.halfOuterSize[1], 7500.0f);
}

TEST(Environment, FrameRatesThatAreNotPositiveKeepTheDefaults) {
    struct Case {
        float max, min;
        float expectMax, expectMin;
    };
    const Case cases[] = {
        {120.0f, 20.0f, 120.0f, 20.0f}, {0.0f, 0.0f, 60.0f, 30.0f},
        {-60.0f, -1.0f, 60.0f, 30.0f},  {NAN, INFINITY, 60.0f, 30.0f},
    };
    for (const Case& c : cases) {
        Held env;
        env->SetFpsMax(c.max);
        env->SetFpsMin(c.min);
        EXPECT_EQ(env->GetFpsMax(), c.expectMax) << c.max;
        EXPECT_EQ(env->GetFpsMin(), c.expectMin) << c.min;
        env->UpdatePhysicsStepRate();
        EXPECT_EQ(env->GetPhysicsStepRate(), 2.0f * c.expectMax);
    }
}

TEST(Environment, WindowWithoutFocusIsNotActive) {
    Held env;
    env->SetWindowActive(true);
    EXPECT_FALSE(env->SetWindow(nullptr));
    EXPECT_FALSE(env->IsWindowActive());
    env->SetWindowActive(true);
    EXPECT_TRUE(env->IsWindowActive());
    env->AppendInfoText(L"a");
    env->AppendInfoText(L"b\r\n");
    EXPECT_STREQ(env->GetInfoText(), L"ab\r\n");
    env->ClearInfoText();
    EXPECT_STREQ(env->GetInfoText(), L"");
}

TEST(Environment, DeviceIsHeldByOneReference) {
    auto* device = new render_test::FakeDevice();
    device->AddRef();  // the test's own
    auto* other = new render_test::FakeDevice();
    other->AddRef();
    {
        Held env;
        env->SetDevice(device);
        EXPECT_EQ(device->GetReferenceCount(), 2);
        env->SetDevice(device);
        EXPECT_EQ(device->GetReferenceCount(), 2) << "setting the held device again keeps one reference";
        EXPECT_EQ(env->GetDevice(), device);
        env->SetDevice(other);
        EXPECT_EQ(device->GetReferenceCount(), 1);
        EXPECT_EQ(other->GetReferenceCount(), 2);
    }
    EXPECT_EQ(other->GetReferenceCount(), 1) << "released with the environment";
    device->Release();
    other->Release();

    // The environment holding the only reference: setting the same device
    // again must not destroy it on the way.
    Held env;
    env->SetDevice(new render_test::FakeDevice());
    IDirect3DDevice9* only = env->GetDevice();
    env->SetDevice(only);
    ASSERT_EQ(env->GetDevice(), only);
    EXPECT_EQ(static_cast<render_test::FakeDevice*>(only)->GetReferenceCount(), 1);
}

}  // namespace
