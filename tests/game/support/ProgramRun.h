// Runs the whole program headless: the main loop with the given root scene in
// a small window, after draining the messages an earlier run left behind.
#pragma once
#include <string>

#include "engine/core/SceneBase.h"
#include "engine/core/WinMain.h"
#include "platform/dinput/dinput.h"
#include "platform/win32/window.h"

namespace game_test {

// A key tapped the way a player does: down in one frame, up in the next.
class KeyTap {
public:
    void Press(HWND window, int key) {
        orv::dinput::TestPushKeyCode(window, key, true);
        held_ = key;
    }
    // Lets go of the key pressed in the frame before; call it every frame.
    void Release(HWND window) {
        if (held_ >= 0) orv::dinput::TestPushKeyCode(window, held_, false);
        held_ = -1;
    }
    bool Holding() const { return held_ >= 0; }

private:
    int held_ = -1;
};

// The program's exit code.
inline int RunProgram(Quorvex::SceneBase* (*makeRoot)(), int width = 320, int height = 180) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    static HINSTANCE__ instance{};
    std::wstring commandLine = L"-windowed -width:" + std::to_wstring(width) + L" -height:" + std::to_wstring(height);
    return Quorvex::RunWinMain(makeRoot, &instance, nullptr, commandLine.data(), SW_SHOWNORMAL);
}

}  // namespace game_test
