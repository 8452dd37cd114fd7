// What the other platform libraries need from the window layer. The engine
// never includes this header.
#pragma once

#include <SDL.h>

#include <functional>

#include "platform/win32/window.h"

namespace orv::win32 {

// The SDL window behind a window handle, or nullptr (also once DestroyWindow
// ran). A GL context still current on the main thread when its window is
// destroyed keeps the SDL window alive, hidden, until the context is released
// or made current elsewhere, so a device may finish with the pointer it holds.
SDL_Window* SdlWindowOf(HWND hwnd);

// Every SDL event the pump polls is shown to the watchers first, in the order
// they were added (the input layer builds its key table from them).
void AddEventWatcher(std::function<void(const SDL_Event&)> fn);

// Pushes the key event a desktop would send to the window; the pump turns it
// into WM_KEYDOWN / WM_KEYUP and shows it to the watchers (test hooks).
void PushKeyEvent(HWND hwnd, SDL_Keycode key, SDL_Scancode scancode, bool down);

// Shared between the window layer's own files.
namespace detail {

// Starts SDL's video and event subsystems once; false when there is no video.
bool EnsureVideo();
// Offscreen and dummy drivers have no window manager: no focus, size or
// minimise events reach the layer from them.
bool HeadlessVideo();

// Virtual-key code of an SDL key (keycode first, US-layout scancode when the
// keycode is not in the table), 0 when it has none.
int VirtualKeyOf(SDL_Keycode key, SDL_Scancode scancode);
// An SDL keycode that gives the virtual key, SDLK_UNKNOWN when none does.
SDL_Keycode KeycodeOfVirtualKey(int vk);

// The window an SDL event names, or, for an id the layer does not know (0 in
// a pushed event), the active window, else the oldest one; null when none.
HWND WindowForEvent(Uint32 sdlWindowId);
// Turns a window event (or the application quit) into the window's state and
// posted messages.
void HandleWindowEvent(const SDL_Event& event);
// Whether a message for the window is waiting in the queue.
bool IsMessageQueued(HWND hwnd, UINT message);
// Drops the queued messages of a window that is going away.
void PurgeMessages(HWND hwnd);
// Frees the SDL windows of destroyed windows once no GL context is current on them.
void FreeParkedWindows();

}  // namespace detail
}  // namespace orv::win32
