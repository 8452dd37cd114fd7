// A device-free scene for the effect tests: an environment, an object manager
// with a resource manager (for its render parameters) and the render stages
// the effects join. A frame updates the objects and renders every stage, which
// is where the effects step.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/assets/ResourceManager.h"
#include "engine/core/AreaPos.h"
#include "engine/core/Environment.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/MessageTable.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderStage.h"
#include "game/state/Environment2.h"
#include "game/support/HeadlessWorld.h"

namespace effects_test {

class SceneFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Quorvex::MessageLogManager::Instance().SetConsoleEcho(false);
        ASSERT_EQ(game_test::SetUpStageGrid(), 0);
        g_pEnvironment2->centerInfo = CenterInfo();
        g_pEnvironment2->sharedVector = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        g_pEnvironment2->currentSceneMode = 0;
        resources = new Quorvex::ResourceManager();
        resources->AddRef();
        manager = new Quorvex::ObjectManager();
        manager->AddRef();
        Quorvex::ObjectManager::InitParam param = game_test::ManagerParam(16, 8192, 12288, 8192);
        param.resourceManager = resources;
        ASSERT_EQ(manager->Initialize(param), 0);
        for (const char* name : {"Begin", "Sprite3D", "Sprite3DOver", "Sprite2D"}) {
            auto* stage = new Quorvex::RenderStage();
            stage->AddRef();
            ASSERT_EQ(stage->Initialize(manager, name, 50000), 0);
            manager->AddRenderStage(stage);
            stages.push_back(stage);
        }
    }

    void TearDown() override {
        for (Quorvex::RenderStage* stage : stages) stage->Release();
        stages.clear();
        if (manager) {
            manager->Shutdown();
            manager->Release();
        }
        manager = nullptr;
        SAFE_RELEASE(resources);
        SAFE_RELEASE(Quorvex::g_pEnvironment);
    }

    // One frame: elapsed time, object update, every stage rendered.
    void Frame(float elapsed) {
        Quorvex::g_pEnvironment->SetElapsedTime(elapsed);
        manager->Update(elapsed);
        for (Quorvex::RenderStage* stage : stages) manager->BeginStage(stage);
    }

    Quorvex::RenderStage* Stage(const char* name) const { return manager->GetRenderStage(name); }

    Quorvex::ResourceManager* resources = nullptr;
    Quorvex::ObjectManager* manager = nullptr;
    std::vector<Quorvex::RenderStage*> stages;
};

}  // namespace effects_test
