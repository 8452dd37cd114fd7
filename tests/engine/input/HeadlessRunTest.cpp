// The whole program loop: a key pushed as a desktop sends it drives a named
// command of the root scene's input manager.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/assets/devices/InputManager.h"
#include "engine/core/DeviceSetup.h"
#include "engine/core/WinMain.h"
#include "engine/scene/ProbeScene.h"
#include "platform/dinput/dinput.h"

using scene_test::ProbeScene;

namespace {

HINSTANCE__ g_instance{};
std::function<void(ProbeScene&)> g_setUpRoot;

Quorvex::SceneBase* MakeRoot() {
    ProbeScene* root = new ProbeScene("probe");
    root->SetCreation(Quorvex::SceneBase::CreateNone, Quorvex::SceneBase::CreateNone);
    if (g_setUpRoot) g_setUpRoot(*root);
    return root;
}

TEST(HeadlessRun, PushedKeysDriveANamedCommand) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    struct Seen {
        bool on, pressed;
    };
    std::vector<Seen> seen;  // by frame, from 1
    constexpr int kPushDown = 3, kPushUp = 7, kLast = 11;
    g_setUpRoot = [&](ProbeScene& root) {
        root.onInitialize = [](ProbeScene& scene) {
            scene.GetInputManager()->BindKey(DIK_RIGHT, "Shot1");
            return 0;
        };
        root.onUpdate = [&](ProbeScene& scene) {
            Quorvex::InputManager* input = scene.GetInputManager();
            seen.push_back({input->IsCommandOn("Shot1"), input->IsCommandPressed("Shot1")});
            const int frame = static_cast<int>(seen.size());
            HWND window = scene.GetWindowRecord()->window;
            if (frame == kPushDown) orv::win32::TestPushKey(window, VK_RIGHT, true);
            if (frame == kPushUp) orv::win32::TestPushKey(window, VK_RIGHT, false);
            if (frame == kLast) PostQuitMessage(0);
        };
    };
    std::wstring line = L"-windowed -width:320 -height:180";
    const int exitCode = Quorvex::RunWinMain(&MakeRoot, &g_instance, nullptr, line.data(), SW_SHOWNORMAL);
    g_setUpRoot = nullptr;
    EXPECT_EQ(exitCode, 0);
    ASSERT_EQ(seen.size(), static_cast<size_t>(kLast));
    // The pump takes a key before the next frame, whose update samples it, so
    // the logic of the frame after that sees it.
    for (int frame = 1; frame <= kLast; ++frame) {
        const bool on = frame >= kPushDown + 2 && frame < kPushUp + 2;
        EXPECT_EQ(seen[frame - 1].on, on) << frame;
        EXPECT_EQ(seen[frame - 1].pressed, frame == kPushDown + 2) << frame;
    }
}

}  // namespace
