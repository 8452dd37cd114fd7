// Virtual pads and pushed keys for tests that do not see SDL.
#include <algorithm>
#include <map>

#include "platform/dinput/dinput_internal.h"
#include "platform/win32/window_internal.h"

namespace {

struct VirtualPads {
    bool started = false;  // the hooks' own start of the joystick subsystem
    std::map<int, SDL_Joystick*> open;  // by SDL joystick id, the handle that sets values
};

VirtualPads& V() {
    static VirtualPads& pads = *new VirtualPads;
    return pads;
}

int Attach(SDL_JoystickType type, int axes, int buttons, int hats) {
    VirtualPads& v = V();
    if (!v.started) {
        if (!orv::dinput::detail::StartJoysticks()) return -1;
        v.started = true;
    }
    const int index = SDL_JoystickAttachVirtual(type, axes, buttons, hats);
    if (index < 0) return -1;
    SDL_Joystick* joystick = SDL_JoystickOpen(index);
    if (!joystick) {
        SDL_JoystickDetachVirtual(index);
        return -1;
    }
    const int id = SDL_JoystickInstanceID(joystick);
    v.open[id] = joystick;
    return id;
}

SDL_Joystick* Find(int pad) {
    auto it = V().open.find(pad);
    return it == V().open.end() ? nullptr : it->second;
}

void Detach(int pad) {
    SDL_Joystick* joystick = Find(pad);
    if (!joystick) return;
    const int index = orv::dinput::detail::DeviceIndexOf(pad);
    if (index >= 0) SDL_JoystickDetachVirtual(index);
    SDL_JoystickClose(joystick);
    V().open.erase(pad);
}

}  // namespace

namespace orv::dinput {

int TestAttachVirtualPad(int axes, int buttons, int hats) {
    return Attach(SDL_JOYSTICK_TYPE_UNKNOWN, axes, buttons, hats);
}

int TestAttachVirtualController() {
    return Attach(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1, 0);
}

bool TestSetVirtualPadAxis(int pad, int axis, int value) {
    SDL_Joystick* joystick = Find(pad);
    const Sint16 clamped = static_cast<Sint16>(std::clamp(value, -32768, 32767));
    return joystick && SDL_JoystickSetVirtualAxis(joystick, axis, clamped) == 0;
}

bool TestSetVirtualPadButton(int pad, int button, bool down) {
    SDL_Joystick* joystick = Find(pad);
    return joystick && SDL_JoystickSetVirtualButton(joystick, button, down ? SDL_PRESSED : SDL_RELEASED) == 0;
}

bool TestSetVirtualPadHat(int pad, int hat, int x, int y) {
    SDL_Joystick* joystick = Find(pad);
    Uint8 value = SDL_HAT_CENTERED;
    if (x < 0) value |= SDL_HAT_LEFT;
    if (x > 0) value |= SDL_HAT_RIGHT;
    if (y < 0) value |= SDL_HAT_UP;
    if (y > 0) value |= SDL_HAT_DOWN;
    return joystick && SDL_JoystickSetVirtualHat(joystick, hat, value) == 0;
}

bool TestDetachVirtualPad(int pad) {
    if (!Find(pad)) return false;
    Detach(pad);
    return true;
}

void TestDetachVirtualPads() {
    // Highest device index first: detaching shifts the indices above.
    std::vector<std::pair<int, int>> byIndex;
    for (const auto& entry : V().open) byIndex.push_back({detail::DeviceIndexOf(entry.first), entry.first});
    std::sort(byIndex.rbegin(), byIndex.rend());
    for (const auto& entry : byIndex) Detach(entry.second);
    if (V().started) {
        detail::StopJoysticks();
        V().started = false;
    }
}

void TestPushKeyCode(HWND window, int keyCode, bool down) {
    SDL_Window* sdlWindow = orv::win32::SdlWindowOf(window);
    const SDL_Scancode scancode = detail::ScancodeOfKey(keyCode);
    if (!sdlWindow || scancode == SDL_SCANCODE_UNKNOWN) return;
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.timestamp = SDL_GetTicks();
    event.key.windowID = SDL_GetWindowID(sdlWindow);
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
    SDL_PushEvent(&event);
}

}  // namespace orv::dinput
