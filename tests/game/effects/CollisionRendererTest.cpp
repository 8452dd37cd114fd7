// The overlay's colour choice by activation state.
#include <gtest/gtest.h>

#include <btBulletDynamicsCommon.h>

#include "game/world/effects/CollisionRenderer.h"

namespace {

TEST(CollisionRendererColor, AwakeYellowSleepingOrDisabledHalfGreenHullsRed) {
    struct Case {
        int state;
        bool hull;
        D3DXVECTOR4 color;
    };
    const D3DXVECTOR4 yellow(1, 1, 0, 1), green(0, 1, 0, 0.5f), red(1, 0, 0, 1);
    const Case cases[] = {{ACTIVE_TAG, false, yellow},         {WANTS_DEACTIVATION, false, yellow},
                          {DISABLE_DEACTIVATION, false, yellow}, {ISLAND_SLEEPING, false, green},
                          {DISABLE_SIMULATION, false, green},    {ISLAND_SLEEPING, true, red}};
    for (const Case& c : cases) {
        btCollisionObject body;
        body.forceActivationState(c.state);
        EXPECT_EQ(CollisionRenderer::BodyColor(&body, c.hull), c.color) << c.state << " " << c.hull;
    }
}

TEST(CollisionRendererLoad, FailsWithoutADeviceAndDrawsNothingUnloaded) {
    CollisionRenderer renderer;
    EXPECT_EQ(renderer.Load(nullptr, nullptr, nullptr), -1);
    renderer.DrawAll();  // nothing to draw with: no crash
}

}  // namespace

// ---------------------------------------------------------------------------
// The overlay drawn on a real device through an effect of the layout the
// renderer expects (position and normal, "g_mWVP", "g_Color").

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "engine/assets/ResourceManager.h"
#include "engine/core/AreaPos.h"
#include "engine/core/Environment.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/MessageTable.h"
#include "engine/core/render/ObjectManager.h"
#include "game/world/AreaManager.h"
#include "platform/d3d9/device_fixture.h"

namespace {

const char kOverlayEffect[] = R"(
parameter float4x4 g_mWVP;
parameter float4 g_Color = 1;

technique Tech0 {
    pass P0 {
        AlphaBlendEnable = true;
        vertex {
            layout(location = ORV_POSITION) in vec3 inPos;
            void main() {
                gl_Position = orv_ToClip(vec4(inPos, 1.0) * g_mWVP);
            }
        }
        fragment {
            out vec4 outColor;
            void main() {
                outColor = g_Color;
            }
        }
    }
}
)";

class CollisionOverlay : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (HasFatalFailure()) return;
        Quorvex::MessageTable::Build();
        Quorvex::MessageLogManager::Instance().SetConsoleEcho(false);
        ASSERT_EQ(Quorvex::SetupWorldExtents(), 0);
        resources = new Quorvex::ResourceManager();
        resources->AddRef();
        objects = new Quorvex::ObjectManager();
        objects->AddRef();
        Quorvex::ObjectManager::InitParam param;
        param.jobCount = 1;
        param.resourceManager = resources;
        ASSERT_EQ(objects->Initialize(param), 0);
        areas = new AreaManager(objects);
        areas->AddRef();
        ASSERT_EQ(areas->Init(), 0);
        ASSERT_EQ(areas->GetWorld(&world), 0);

        path = std::filesystem::temp_directory_path() / ("orv_overlay_" + std::to_string(::getpid()) + ".cfx");
        std::ofstream(path) << kOverlayEffect;
        renderer = new CollisionRenderer();
        renderer->AddRef();
        ASSERT_EQ(renderer->Load(device_, objects, areas, path.wstring().c_str()), 0);

        Quorvex::RenderParameter* parameter = resources->GetRenderParameter();
        D3DXMatrixIdentity(&parameter->m_view);
        // Orthographic, 40 x 30 units, depth -50 to 50.
        parameter->m_projection = D3DXMATRIX(2.0f / 40.0f, 0, 0, 0, 0, 2.0f / 30.0f, 0, 0, 0, 0, 0.01f, 0, 0, 0, 0.5f, 1);
    }
    void TearDown() override {
        if (body) {
            world->removeRigidBody(body);
            delete body;
        }
        SAFE_RELEASE(renderer);
        if (world) areas->ReleaseWorld(world);
        SAFE_RELEASE(areas);
        if (objects) objects->Shutdown();
        SAFE_RELEASE(objects);
        SAFE_RELEASE(resources);
        SAFE_RELEASE(Quorvex::g_pEnvironment);
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        DeviceTest::TearDown();
    }
    // Draws the overlay over black; answers how many pixels are mostly red,
    // mostly green and yellow.
    void Draw(int* red, int* green, int* yellow) {
        ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), D3D_OK);
        ASSERT_EQ(device_->BeginScene(), D3D_OK);
        renderer->DrawAll();
        ASSERT_EQ(device_->EndScene(), D3D_OK);
        ReadBack();
        *red = *green = *yellow = 0;
        for (UINT y = 0; y < kHeight; ++y)
            for (UINT x = 0; x < kWidth; ++x) {
                const Rgba c = At(int(x), int(y));
                if (c.r > 100 && c.g > 100 && c.b < 50) ++*yellow;
                else if (c.g > 60 && c.r < 30) ++*green;
                else if (c.r > 100 && c.g < 30) ++*red;
            }
    }

    Quorvex::ResourceManager* resources = nullptr;
    Quorvex::ObjectManager* objects = nullptr;
    AreaManager* areas = nullptr;
    btSoftRigidDynamicsWorld* world = nullptr;
    CollisionRenderer* renderer = nullptr;
    btBoxShape box{btVector3(5.0f, 5.0f, 5.0f)};
    btRigidBody* body = nullptr;
    std::filesystem::path path;
};

TEST_F(CollisionOverlay, AwakeBoxIsYellowAndTheSameBoxAsleepIsGreen) {
    body = new btRigidBody(1.0f, nullptr, &box);
    world->addRigidBody(body);
    int red = 0, green = 0, yellow = 0;
    body->forceActivationState(ACTIVE_TAG);
    Draw(&red, &green, &yellow);
    EXPECT_GT(yellow, 20);
    EXPECT_EQ(green, 0);
    body->forceActivationState(ISLAND_SLEEPING);
    Draw(&red, &green, &yellow);
    EXPECT_GT(green, 20);
    EXPECT_EQ(yellow, 0);
}

TEST_F(CollisionOverlay, HullEdgesAreRedAndNoWorldDrawsNothing) {
    btConvexHullShape hull;
    for (float x : {-6.0f, 6.0f})
        for (float y : {-6.0f, 6.0f})
            for (float z : {-6.0f, 6.0f}) hull.addPoint(btVector3(x, y, z));
    body = new btRigidBody(1.0f, nullptr, &hull);
    world->addRigidBody(body);
    int red = 0, green = 0, yellow = 0;
    Draw(&red, &green, &yellow);
    EXPECT_GT(red, 20);
    EXPECT_EQ(yellow, 0);
    world->removeRigidBody(body);
    delete body;
    body = nullptr;
}

}  // namespace
