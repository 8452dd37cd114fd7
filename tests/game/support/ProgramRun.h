// Runs the whole program headless: the main loop with the given root scene in
// a small window, after draining the messages an earlier run left behind.
#pragma once
#include <string>

#include "engine/core/SceneBase.h"
#include "engine/core/WinMain.h"
#include "platform/win32/window.h"

namespace game_test {

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
