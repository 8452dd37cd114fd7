// Pieces the front-end tests share: a device-free object manager and the
// render tests' holder of one counted reference. Tests that change the game
// state run on a fresh one (flow_test::FreshEnvironment).
#pragma once
#include <gtest/gtest.h>

#include "engine/assets/devices/InputManager.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/render/RenderTestSupport.h"
#include "game/flow/FlowTestSupport.h"
#include "game/support/HeadlessWorld.h"

namespace frontend_test {

using render_test::Held;

// Updates objects and lets stages write commands; draws nothing.
inline Quorvex::ObjectManager* NewObjectManager() {
    const Quorvex::ObjectManager::InitParam p = game_test::ManagerParam(4, 4096, 6144, 4096);
    auto* manager = new Quorvex::ObjectManager();
    EXPECT_EQ(manager->Initialize(p), 0);
    return manager;
}

}  // namespace frontend_test
