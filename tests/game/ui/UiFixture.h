// An input manager on an active window (keys pushed through the real device
// layer), an object manager without a device, a resource manager holding a
// "matHud2" material, the 2-D group and a fresh game state.
#pragma once
#include <gtest/gtest.h>

#include "engine/assets/MaterialUnit.h"
#include "engine/assets/RenderGroups.h"
#include "engine/assets/ResourceManager.h"
#include "engine/core/AreaPos.h"
#include "engine/core/MessageTable.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/input/InputFixture.h"
#include "game/flow/FlowTestSupport.h"
#include "UiObjects.h"

class UiTest : public InputTest {
protected:
    void SetUp() override {
        InputTest::SetUp();
        if (HasFatalFailure()) return;
        Quorvex::MessageTable::Build();
        // The game's grid; the environment of the input fixture stays.
        Quorvex::SetWorldGridSizes(D3DXVECTOR3(1000, 10000, 1000), D3DXVECTOR3(1500, 15000, 1500));
        StartInput();
        if (HasFatalFailure()) return;

        resources = new Quorvex::ResourceManager();
        resources->AddRef();
        resources->SetResource("matHud2", new Quorvex::MaterialUnit("matHud2"));

        objects = MakeUiObjectManager(nullptr, manager, resources);

        auto* group = new Quorvex::RenderGroupSprite2D();
        group->AddRef();
        ASSERT_GE(group->Initialize(objects, "Sprite2D", 100, 0), 0);
        group->Release();
        sprite2D = objects->GetRenderStage("Sprite2D");
    }

    void TearDown() override {
        if (objects) {
            objects->Shutdown();
            objects->Release();
        }
        if (resources) resources->Release();
        InputTest::TearDown();
    }

    // A frame in which the key goes down (nothing for a negative key), the
    // step run in it, then a frame in which the key comes up again.
    template <class Fn>
    void Tap(int key, Fn&& step) {
        if (key >= 0) Frame({{key, true}}); else Frame();
        step();
        if (key >= 0) Frame({{key, false}});
    }

    flow_test::FreshEnvironment state;
    Quorvex::ResourceManager* resources = nullptr;
    Quorvex::ObjectManager* objects = nullptr;
    Quorvex::RenderStage* sprite2D = nullptr;
};
