// A root scene initialised on a headless device with a frame timer that runs
// on a test clock.
#include <gtest/gtest.h>

#include "ProbeScene.h"
#include "engine/assets/devices/InputManager.h"
#include "engine/core/DeviceSetup.h"
#include "engine/core/FpsManager.h"
#include "engine/core/ParamManager.h"

using scene_test::Counted;
using scene_test::EnvironmentScope;
using scene_test::ProbeScene;

namespace {

// Sleeping moves the clock; a yield moves it by one millisecond.
struct TestClock : Quorvex::FpsManager::System {
    DWORD now = 5000;
    DWORD Now() override { return now; }
    void Sleep(DWORD milliseconds) override { now += milliseconds ? milliseconds : 1; }
    void SetWindowTitle(HWND, const wchar_t*) override {}
};

class FramePacing : public testing::Test {
protected:
    void SetUp() override {
        Quorvex::Environment* env = Quorvex::g_pEnvironment;
        env->SetCreateObjectManager(false);
        env->SetCreateAreaManager(false);
        env->SetCreateResourceManager(false);
        env->SetCreateSoundManager(false);
        env->SetFpsMax(60.0f);
        env->SetFpsMin(30.0f);

        direct3D = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(direct3D, nullptr);
        parameters.BackBufferWidth = 64;
        parameters.BackBufferHeight = 64;
        parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
        parameters.BackBufferCount = 1;
        parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
        parameters.Windowed = TRUE;
        parameters.EnableAutoDepthStencil = TRUE;
        parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
        parameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        ASSERT_TRUE(SUCCEEDED(direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                                     D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &device)));

        params = new Quorvex::ParamManager();
        params->AddRef();
        params->ParseLine(L"FramePerSecond_Max 60\n");
        params->ParseLine(L"FramePerSecond_Min 30\n");
        timer = new Quorvex::FpsManager(&clock);
        timer->AddRef();
        timer->SetFrameRate(60.0f);

        root.p->SetCreation(Quorvex::SceneBase::CreateNone, Quorvex::SceneBase::CreateNone);
        ASSERT_EQ(root->Initialize(nullptr, &record, direct3D, device, &parameters, nullptr, params, nullptr, timer,
                                   nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
                  0);
    }
    void TearDown() override {
        root->SubAllScenes();
        if (timer) timer->Release();
        if (params) params->Release();
        if (device) device->Release();
        if (direct3D) direct3D->Release();
    }

    EnvironmentScope environment;
    TestClock clock;
    Quorvex::WindowRecord record;  // no window: the device draws off screen
    IDirect3D9* direct3D = nullptr;
    IDirect3DDevice9* device = nullptr;
    D3DPRESENT_PARAMETERS parameters{};
    Quorvex::ParamManager* params = nullptr;
    Quorvex::FpsManager* timer = nullptr;
    std::vector<std::string> trace;
    Counted<ProbeScene> root{"root", &trace};
};

TEST_F(FramePacing, TimeStepsFollowTheTimerAndAreCappedAfterAStall) {
    float total = 0.0f;
    for (int frame = 0; frame < 60; ++frame) {
        const float step = root->GetFrameTime();
        EXPECT_TRUE(step == 0.016f || step == 0.017f) << "frame " << frame << ": " << step;
        total += step;
    }
    EXPECT_NEAR(total, 1.0f, 1e-4f) << "60 frames at 60 per second make one second";

    clock.now += 500;  // a stall, e.g. a window being dragged
    EXPECT_EQ(root->Frame(), 0);
    EXPECT_FLOAT_EQ(Quorvex::g_pEnvironment->GetFrameTime(), 1.0f / 30.0f) << "capped at 1 / FramePerSecond_Min";
    EXPECT_GT(Quorvex::g_pEnvironment->GetMeasuredFrameTime(), 0.5f) << "the measurement itself is kept";
}

TEST_F(FramePacing, SkippedFramesUpdateWithoutRenderingWhileTheElapsedTimeGrows) {
    Quorvex::Environment* env = Quorvex::g_pEnvironment;
    env->SetElapsedTime(0.0f);
    root->SetSkipFrame(3);
    float elapsed = 0.0f;
    for (int frame = 1; frame <= 3; ++frame) {
        EXPECT_EQ(root->Frame(), 1);
        EXPECT_GT(env->GetElapsedTime(), elapsed);
        elapsed = env->GetElapsedTime();
    }
    EXPECT_EQ(root->Frame(), 0);
    EXPECT_FLOAT_EQ(env->GetElapsedTime(), 0.0f);
    const std::vector<std::string> expected = {"update root", "update root", "update root", "update root",
                                               "render root"};
    EXPECT_EQ(trace, expected);
}

TEST_F(FramePacing, WithoutFrameLimitingTheStepIsNominalWhateverTheClock) {
    Quorvex::g_pEnvironment->SetFrameLimit(false);
    Quorvex::g_pEnvironment->SetFpsMax(50.0f);
    clock.now += 500;
    EXPECT_FLOAT_EQ(root->GetFrameTime(), 0.02f);
}

TEST_F(FramePacing, ChildScenesInheritTheManagersAndCanTakeOverTheirOwnership) {
    Quorvex::InputManager* input = root->GetInputManager();
    ASSERT_NE(input, nullptr);
    EXPECT_TRUE(root->IsOwned(input));
    EXPECT_FALSE(root->IsOwned(timer)) << "handed in, not created";

    ProbeScene* child = new ProbeScene("child");
    ASSERT_EQ(root->StartScene(child, nullptr, nullptr), 0);
    EXPECT_EQ(root->GetChildCount(), 1);
    EXPECT_EQ(child->GetInputManager(), input);
    EXPECT_EQ(child->GetDevice(), device);
    EXPECT_FALSE(child->IsOwned(input));

    root->TransferOriginalPointer(child);
    EXPECT_TRUE(child->IsOwned(input));
    EXPECT_FALSE(root->IsOwned(input));
}

TEST_F(FramePacing, AFailedChildStartLeavesTheTreeAsItWas) {
    ProbeScene* child = new ProbeScene("child");
    child->onInitialize = [](ProbeScene&) { return -3; };
    EXPECT_EQ(root->StartScene(child, nullptr, nullptr), -3);
    EXPECT_EQ(root->GetChildCount(), 0);
}

}  // namespace
