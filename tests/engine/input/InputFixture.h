// An input manager on a shown (active) window with the environment around it,
// and a frame step that pumps the pushed events and then runs the manager's
// per-frame update, as the frame loop does.
#pragma once

#include <utility>
#include <vector>

#include "engine/assets/devices/InputManager.h"
#include "engine/core/Environment.h"
#include "platform/dinput/dinput_fixture.h"

class InputTest : public DirectInputTest {
protected:
    void SetUp() override {
        Quorvex::g_pEnvironment = new Quorvex::Environment();
        Quorvex::g_pEnvironment->AddRef();
        Quorvex::g_pEnvironment->SetWindowActive(true);
        DirectInputTest::SetUp();
    }

    // Pads must be attached before this, as they are enumerated once.
    void StartInput() {
        manager = new Quorvex::InputManager();
        manager->AddRef();
        ASSERT_EQ(manager->Initialize(window, nullptr), 0);
    }

    void TearDown() override {
        if (manager) manager->Release();
        DirectInputTest::TearDown();
        Quorvex::Environment* environment = Quorvex::g_pEnvironment;
        Quorvex::g_pEnvironment = nullptr;
        if (environment) environment->Release();
    }

    // One frame: keys go down or up (as a desktop sends them), the pump takes
    // them, the manager samples.
    void Frame(const std::vector<std::pair<int, bool>>& keys = {}) {
        for (const auto& [key, down] : keys) orv::dinput::TestPushKeyCode(window, key, down);
        Pump();
        manager->Update();
    }

    Quorvex::InputManager* manager = nullptr;
};
