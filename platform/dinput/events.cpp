// What the layer learns from the events the window layer's pump polls: the key
// table (SDL_PushEvent never reaches SDL's own keyboard state, so the layer
// keeps its own), focus losses and the mouse.
#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "platform/dinput/dinput_internal.h"
#include "platform/win32/window_internal.h"

namespace {

struct EventState {
    std::mutex mutex;
    BYTE keys[256] = {};
    std::unordered_map<Uint32, unsigned> focusLosses;  // by SDL window id
    orv::dinput::detail::MouseTotals mouse;
};

EventState& S() {
    static EventState& state = *new EventState;
    return state;
}

int MouseButtonIndex(Uint8 button) {
    switch (button) {
        case SDL_BUTTON_LEFT: return 0;
        case SDL_BUTTON_RIGHT: return 1;
        case SDL_BUTTON_MIDDLE: return 2;
        case SDL_BUTTON_X1: return 3;
        case SDL_BUTTON_X2: return 4;
        default: return -1;
    }
}

void Watch(const SDL_Event& event) {
    EventState& s = S();
    std::lock_guard<std::mutex> lock(s.mutex);
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (const int key = orv::dinput::detail::KeyOfScancode(event.key.keysym.scancode))
                s.keys[key] = event.type == SDL_KEYDOWN ? 0x80 : 0x00;
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                // Keys released while another window has the focus never reach us.
                std::fill(std::begin(s.keys), std::end(s.keys), BYTE{0});
                std::fill(std::begin(s.mouse.buttons), std::end(s.mouse.buttons), BYTE{0});
                ++s.focusLosses[event.window.windowID];
            }
            break;
        case SDL_MOUSEMOTION:
            s.mouse.x += event.motion.xrel;
            s.mouse.y += event.motion.yrel;
            break;
        case SDL_MOUSEWHEEL:
            s.mouse.wheel += (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y) * 120;
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (const int index = MouseButtonIndex(event.button.button); index >= 0)
                s.mouse.buttons[index] = event.type == SDL_MOUSEBUTTONDOWN ? 0x80 : 0x00;
            break;
        default: break;
    }
}

}  // namespace

namespace orv::dinput::detail {

void WatchEvents() {
    static const bool watching = [] {
        orv::win32::AddEventWatcher(Watch);
        return true;
    }();
    (void)watching;
}

void CopyKeyTable(BYTE (&keys)[256]) {
    std::lock_guard<std::mutex> lock(S().mutex);
    std::copy(std::begin(S().keys), std::end(S().keys), keys);
}

unsigned FocusLossCount(HWND window) {
    SDL_Window* sdlWindow = orv::win32::SdlWindowOf(window);
    if (!sdlWindow) return 0;
    const Uint32 id = SDL_GetWindowID(sdlWindow);
    std::lock_guard<std::mutex> lock(S().mutex);
    auto it = S().focusLosses.find(id);
    return it == S().focusLosses.end() ? 0u : it->second;
}

MouseTotals CurrentMouse() {
    std::lock_guard<std::mutex> lock(S().mutex);
    return S().mouse;
}

}  // namespace orv::dinput::detail
