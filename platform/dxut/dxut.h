// The part of the sample framework the engine uses: it holds the windows and
// the Direct3D device it creates from a settings record, and it reads the
// framework's standard command-line switches.
#pragma once

#include <string>

#include "platform/d3d9/d3d9.h"

struct DXUTDeviceSettings {
    UINT AdapterOrdinal;
    D3DDEVTYPE DeviceType;
    D3DFORMAT AdapterFormat;
    DWORD BehaviorFlags;
    D3DPRESENT_PARAMETERS pp;
};

// Windows the device is made for. The focus window is required; a null device
// window stands for the focus window. The engine's own window procedure
// handles the messages, so bHandleMessages changes nothing here.
HRESULT WINAPI DXUTSetWindow(HWND hWndFocus, HWND hWndDeviceFullScreen, HWND hWndDeviceWindowed,
                             bool bHandleMessages = true);

// Creates the device with IDirect3D9::CreateDevice from the settings: the
// device window is the full-screen or the windowed one as pp.Windowed says,
// unless pp names one. A device made before is released first. The framework
// keeps one reference; DXUTShutdown releases it.
HRESULT WINAPI DXUTCreateDeviceFromSettings(DXUTDeviceSettings* pDeviceSettings, bool bPreserveInput = false,
                                            bool bClipWindowToSingleAdapter = true);

// The framework's device, without a new reference (null before creation).
IDirect3DDevice9* WINAPI DXUTGetD3D9Device();

// Releases the device and the Direct3D object; writes a screenshot that is
// still pending. Call once the engine has released its own references to the
// device and before the device's window is destroyed. Harmless when repeated.
void WINAPI DXUTShutdown(int nExitCode = 0);

// Standard switches; a switch starts with '-' or '/', names are not case
// sensitive, values follow a ':':
//   -windowed, -fullscreen     override the configured display mode
//   -width:N, -height:N        override the configured client size
//   -quitafterframe:N          end the program (PostQuitMessage(0)) once N frames were presented
//   -screenshot:FILE           save the last presented frame as a PNG; with -quitafterframe
//                              frame N is the last one, else the file is written at DXUTShutdown
// A switch with a bad value is reported on standard error and left unset;
// other arguments are ignored.
struct DXUTCommandLineSwitches {
    bool windowed = false, fullscreen = false;
    int width = 0, height = 0;  // 0 = not given
    int quitAfterFrame = 0;
    std::wstring screenshot;
};

// Reads the switches from the command line (arguments split and quoted as
// Windows does); every call starts from no switches. The engine calls it
// before it reads its window settings.
void DXUTParseCommandLine(LPCWSTR commandLine);
const DXUTCommandLineSwitches& DXUTGetCommandLineSwitches();
