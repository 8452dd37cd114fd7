// Shared between the DirectInput layer's own files (and its tests). The engine
// never includes this header.
#pragma once

#include <SDL.h>

#include <string>
#include <vector>

#include "platform/dinput/dinput.h"

namespace orv::dinput::detail {

// ---- Key codes -----------------------------------------------------------------
// KeyUsageOfKeyCode and KeyCodeOfKeyUsage (dinput.h) in SDL's terms.
SDL_Scancode ScancodeOfKey(int keyCode);
int KeyOfScancode(SDL_Scancode scancode);

// ---- What the pump shows the layer -------------------------------------------------
// Registers the layer's event watcher with the window layer, once per process.
void WatchEvents();
// The key table: bit 7 of each byte set while the key is down.
void CopyKeyTable(BYTE (&keys)[256]);
// How many focus losses the pump has seen for the window.
unsigned FocusLossCount(HWND window);
// The mouse's motion summed since start-up, and its buttons.
struct MouseTotals {
    LONG x = 0, y = 0, wheel = 0;
    BYTE buttons[8] = {};
};
MouseTotals CurrentMouse();

// ---- SDL's joystick subsystems --------------------------------------------------------
// Counted starts and stops of the joystick and game-controller subsystems, with
// background updates allowed; false when SDL has no joystick support.
bool StartJoysticks();
void StopJoysticks();

// A pad's instance id from SDL's joystick instance id, and back.
GUID PadInstanceGuid(SDL_JoystickID id);
bool PadIdOfGuid(const GUID& guid, SDL_JoystickID* id);
// SDL's device index of a joystick instance id, -1 when it is not attached.
int DeviceIndexOf(SDL_JoystickID id);

// ---- Devices -------------------------------------------------------------------------
// Each new device holds a reference on its DirectInput object, released with it.
IDirectInputDevice8W* NewKeyboard(IUnknown* owner);
IDirectInputDevice8W* NewMouse(IUnknown* owner);
// Opens the pad at SDL's device index; null when it cannot be opened.
IDirectInputDevice8W* NewPad(IUnknown* owner, int deviceIndex);
// A pad's description as EnumDevices reports it.
void DescribePad(int deviceIndex, DIDEVICEINSTANCEW& instance);

// Fills a wide name field from UTF-8, cut to fit.
void CopyName(WCHAR* out, size_t capacity, const std::string& utf8);

}  // namespace orv::dinput::detail
