// A headless world for the terrain tests: the environment with the stages'
// grid sizes, an object manager and an initialised area manager. The scene
// variant adds a real device with the "WideWater" shader, which the sea and
// so the ground generator need.
#pragma once
#include <gtest/gtest.h>

#include <vector>

#include "engine/assets/shaders/ShaderManager.h"
#include "engine/assets/shaders/Shader_Water.h"
#include "engine/core/AreaPos.h"
#include "engine/core/Environment.h"
#include "engine/core/MessageTable.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderParameter.h"
#include "game/state/Environment2.h"
#include "game/support/HeadlessWorld.h"
#include "game/world/AreaManager.h"
#include "platform/d3d9/device_fixture.h"

namespace terrain_test {

using Quorvex::AreaPos;
using Quorvex::Int3;

// The environment, the grid of the stages and the two managers; the device
// and the shader manager are optional.
struct TerrainWorld : game_test::HeadlessWorld {
    void SetUp(IDirect3DDevice9* device = nullptr, Quorvex::ShaderManager* shaders = nullptr) {
        Open(4096, device, shaders);
    }

    void TearDown() {
        g_pEnvironment2->SetGroundGenerator(nullptr);
        g_pEnvironment2->groundOffset = g_pEnvironment2->worldOffset = g_pEnvironment2->sharedVector =
            D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        Close();
    }

    // Runs the frame's object and area updates.
    void Step(float dt) {
        Quorvex::g_pEnvironment->SetFrameTime(dt);
        objects->Update(dt);
        areas->Update(dt);
    }
};

class WorldTest : public ::testing::Test {
protected:
    void SetUp() override { world.SetUp(); }
    void TearDown() override { world.TearDown(); }
    TerrainWorld world;
};

// A device, the shader manager with "WideWater" and the world on top.
class SceneTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (HasFatalFailure()) return;
        Quorvex::MessageTable::Build();
        shaders_ = new Quorvex::ShaderManager();
        shaders_->AddRef();
        shaders_->SetDevice(device_);
        // Above the sea at the centre cell's near edge, looking along z.
        context_ = new Quorvex::RenderParameter();
        context_->AddRef();
        const D3DXVECTOR3 eye(500, 300, -100), at(500, 0, 1100), up(0, 1, 0);
        D3DXMatrixLookAtLH(&context_->m_view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&context_->m_projection, D3DX_PI / 3, float(kWidth) / kHeight, 1.0f, 10000.0f);
        context_->m_eye = eye;
        auto* water = new Quorvex::Shader_WideWater(context_, shaders_);
        water->AddRef();
        ASSERT_EQ(water->LoadShader(), 0);
        shaders_->AddShader(water);
        water->Release();
        world.SetUp(device_, shaders_);
    }
    void TearDown() override {
        world.TearDown();
        if (shaders_) shaders_->Release();
        shaders_ = nullptr;
        if (context_) context_->Release();
        context_ = nullptr;
        DeviceTest::TearDown();
    }

    TerrainWorld world;
    Quorvex::ShaderManager* shaders_ = nullptr;
    Quorvex::RenderParameter* context_ = nullptr;
};

}  // namespace terrain_test
