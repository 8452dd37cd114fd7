// The main window and the Direct3D 9 device of the root scene: the window
// class, a full-screen pop-up or a centred window with an exact client area,
// the probe of the display, depth and render-target formats, and the device
// made through the framework.
#pragma once
#include <string>

#include "platform/d3d9/d3d9.h"
#include "platform/win32/win32.h"

namespace Quorvex {

class SceneBase;

// Made by the scene that creates the window and shared by pointer with its
// child scenes; freed by the scene that owns it.
struct WindowRecord {
    HWND window = nullptr;
    int borderWidth = 0;   // window width minus client width (windowed only)
    int borderHeight = 0;  // window height minus client height (windowed only)
    std::wstring className = L"QuorvexMainWindow";
    std::wstring title = L"Quorvex";
};

// The window class atom, 0 on failure.
ATOM RegisterMainWindowClass(HINSTANCE instance, WNDPROC windowProc, const wchar_t* className);

// Creates the window, stores it and the border sizes in the scene's window
// record and shows it. Windowed, the client area is exactly width x height and
// centred on the screen; full screen, a pop-up of width x height at (0, 0).
bool CreateMainWindow(SceneBase* scene, HINSTANCE instance, int showCmd, const wchar_t* className,
                      const wchar_t* title, int width, int height, bool fullScreen);

// The first display format (A8R8G8B8, X8R8G8B8, A1R5G5B5, X1R5G5B5, R5G6B5)
// with a depth format the adapter supports (D32, D24S8, D24X8, D24X4S4, D16,
// D15S1, in that order), then the first of the display formats usable as a
// render-target texture: 0, or -1 when either is not found.
int ProbeFormats(SceneBase* scene, D3DFORMAT* depthFormat, D3DFORMAT* displayFormat,
                 D3DFORMAT* renderTargetFormat);

// Makes the Direct3D object (stored in the scene; failure throws the text of
// message 8) and the device for the scene's window with a back buffer of
// width x height, no vertical sync: 0, or -1.
int CreateDevice(SceneBase* scene, int width, int height, bool fullScreen);

}  // namespace Quorvex
