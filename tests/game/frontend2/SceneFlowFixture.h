// A fresh game state with a game manager whose scene container only notes the
// scenes it is asked to start, so that a test can see which scene a front-end
// sequence leads to without starting it.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/SceneBase.h"
#include "game/app/GameManager.h"
#include "game/flow/FlowTestSupport.h"

namespace frontend2_test {

constexpr float kFrame = 1.0f / 60.0f;

class RecordingContainer : public Quorvex::SceneBase {
public:
    int StartScene(Quorvex::SceneBase* scene, Quorvex::SceneBase*, void*) override {
        if (!scene) return -1;
        started.push_back(scene->GetName());
        scene->AddRef();
        scene->Release();
        return 0;
    }
    int OnInitialize(void*) override { return 0; }
    void OnUpdate(float) override {}
    void OnRender() override {}

    std::vector<std::string> started;
};

class SceneFlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        container = new RecordingContainer();
        container->AddRef();
        manager = new GameManager(nullptr, container);
        manager->AddRef();
        manager->Initialize(0);
    }
    void TearDown() override {
        manager->Release();
        container->Release();
    }

    // The scenes the requests pushed so far lead to.
    const std::vector<std::string>& RunRequests() {
        manager->RunPendingRequests();
        return container->started;
    }

    flow_test::FreshEnvironment state;
    RecordingContainer* container = nullptr;
    GameManager* manager = nullptr;
};

}  // namespace frontend2_test
