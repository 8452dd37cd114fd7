// The program's entry: start-up of the process-wide services, the root scene,
// the message pump that runs one frame whenever no message is waiting, and the
// ordered shutdown. Also the main window's procedure.
#pragma once
#include "platform/win32/win32.h"

namespace Quorvex {
class SceneBase;
}

// The game's root scene, made by the game; the entry point takes one reference
// and initialises it.
Quorvex::SceneBase* CreateRootScene();

namespace Quorvex {

// Ends the program on Escape, reports activation to the environment and keeps
// the client area at the aspect ratio the window was created with.
LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The root scene while the program runs; null before start-up and after
// shutdown.
SceneBase* GetRootScene();

// The whole run with the root scene made by createRoot (wWinMain passes
// CreateRootScene): the exit code, the wParam of the WM_QUIT that ended the
// loop, or of the last message taken when an exception ended it.
int RunWinMain(SceneBase* (*createRoot)(), HINSTANCE instance, HINSTANCE prevInstance, LPWSTR cmdLine,
               int showCmd);

}  // namespace Quorvex
