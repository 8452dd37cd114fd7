// A game pad: one SDL joystick, read through SDL's game-controller layout when
// SDL knows the pad, else in the joystick's own order.
#include <algorithm>
#include <cstring>
#include <new>
#include <set>

#include "platform/dinput/device_base.h"

namespace orv::dinput::detail {

namespace {

constexpr int kAxisSlots = 8;  // lX, lY, lZ, lRx, lRy, lRz, rglSlider[0], rglSlider[1]
constexpr int kButtonSlots = 32;
constexpr int kPovSlots = 4;
static_assert(offsetof(DIJOYSTATE, rglSlider) + 2 * sizeof(LONG) == kAxisSlots * sizeof(LONG));

constexpr const GUID* kAxisTypes[kAxisSlots] = {&GUID_XAxis,  &GUID_YAxis,  &GUID_ZAxis,  &GUID_RxAxis,
                                                &GUID_RyAxis, &GUID_RzAxis, &GUID_Slider, &GUID_Slider};
constexpr const char* kAxisNames[kAxisSlots] = {"X Axis",     "Y Axis",     "Z Axis", "X Rotation",
                                                "Y Rotation", "Z Rotation", "Slider", "Slider"};

// Button order of a known controller, as such pads number their buttons.
constexpr SDL_GameControllerButton kControllerButtons[] = {
    SDL_CONTROLLER_BUTTON_A,         SDL_CONTROLLER_BUTTON_B,
    SDL_CONTROLLER_BUTTON_X,         SDL_CONTROLLER_BUTTON_Y,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_BACK,      SDL_CONTROLLER_BUTTON_START,
    SDL_CONTROLLER_BUTTON_LEFTSTICK, SDL_CONTROLLER_BUTTON_RIGHTSTICK,
    SDL_CONTROLLER_BUTTON_GUIDE,     SDL_CONTROLLER_BUTTON_MISC1,
    SDL_CONTROLLER_BUTTON_PADDLE1,   SDL_CONTROLLER_BUTTON_PADDLE2,
    SDL_CONTROLLER_BUTTON_PADDLE3,   SDL_CONTROLLER_BUTTON_PADDLE4,
    SDL_CONTROLLER_BUTTON_TOUCHPAD,
};
constexpr int kControllerButtonCount = static_cast<int>(std::size(kControllerButtons));

// Controller axes of the slots X, Y, Rx, Ry; Z is both triggers.
constexpr int kZSlot = 2;
constexpr SDL_GameControllerAxis kControllerAxes[kAxisSlots] = {
    SDL_CONTROLLER_AXIS_LEFTX,   SDL_CONTROLLER_AXIS_LEFTY,   SDL_CONTROLLER_AXIS_INVALID,
    SDL_CONTROLLER_AXIS_RIGHTX,  SDL_CONTROLLER_AXIS_RIGHTY,  SDL_CONTROLLER_AXIS_INVALID,
    SDL_CONTROLLER_AXIS_INVALID, SDL_CONTROLLER_AXIS_INVALID,
};

constexpr DWORD kPovCentred = 0xFFFFFFFFu;

DWORD PovOfHat(Uint8 hat) {
    switch (hat) {
        case SDL_HAT_UP: return 0;
        case SDL_HAT_RIGHTUP: return 4500;
        case SDL_HAT_RIGHT: return 9000;
        case SDL_HAT_RIGHTDOWN: return 13500;
        case SDL_HAT_DOWN: return 18000;
        case SDL_HAT_LEFTDOWN: return 22500;
        case SDL_HAT_LEFT: return 27000;
        case SDL_HAT_LEFTUP: return 31500;
        default: return kPovCentred;
    }
}

// SDL's -32768..32767 onto min..max, both ends reached, the centre rounded.
LONG Scale(int raw, LONG min, LONG max) {
    const int64_t span = static_cast<int64_t>(max) - min;
    return static_cast<LONG>(min + ((static_cast<int64_t>(raw) + 32768) * span + 32767) / 65535);
}

// SDL joystick ids held by open pads, so that a pad looking for its way back
// after an unplug does not take another pad's joystick.
std::set<SDL_JoystickID>& HeldIds() {
    static std::set<SDL_JoystickID>& ids = *new std::set<SDL_JoystickID>;
    return ids;
}

DWORD DevTypeOf(int deviceIndex) {
    return SDL_IsGameController(deviceIndex) ? DI8DEVTYPE_GAMEPAD | (DI8DEVTYPEGAMEPAD_STANDARD << 8)
                                             : DI8DEVTYPE_JOYSTICK | (DI8DEVTYPEJOYSTICK_STANDARD << 8);
}

bool SameGuid(const SDL_JoystickGUID& a, const SDL_JoystickGUID& b) {
    return std::memcmp(a.data, b.data, sizeof(a.data)) == 0;
}

class Pad final : public DeviceBase {
public:
    Pad(IUnknown* owner, int deviceIndex) : DeviceBase(owner, &c_dfDIJoystick, DevTypeOf(deviceIndex)) {
        for (int slot = 0; slot < kAxisSlots; ++slot) {
            m_min[slot] = 0;
            m_max[slot] = 65535;
        }
        Open(deviceIndex);
    }
    ~Pad() override { Close(); }

    bool IsOpen() const { return m_joystick != nullptr; }

protected:
    std::vector<Object> Objects() const override {
        std::vector<Object> objects;
        if (!m_joystick) return objects;
        WORD instance = 0;
        for (int slot = 0; slot < kAxisSlots; ++slot)
            if (HasAxis(slot))
                objects.push_back({kAxisTypes[slot], static_cast<DWORD>(slot * sizeof(LONG)),
                                   DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(instance++), kAxisNames[slot]});
        for (int b = 0; b < kButtonSlots; ++b)
            if (HasButton(b))
                objects.push_back({&GUID_Button, static_cast<DWORD>(DIJOFS_BUTTON(b)),
                                   DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(b), "Button " + std::to_string(b)});
        for (int p = 0; p < PovCount(); ++p)
            objects.push_back({&GUID_POV, static_cast<DWORD>(DIJOFS_POV(p)), DIDFT_POV | DIDFT_MAKEINSTANCE(p),
                               "Hat " + std::to_string(p)});
        return objects;
    }

    void ReadState(void* data) override {
        DIJOYSTATE state{};
        LONG axes[kAxisSlots] = {};
        const bool relative = AxisMode() == DIPROPAXISMODE_REL;
        for (int slot = 0; slot < kAxisSlots; ++slot) {
            if (!HasAxis(slot)) continue;
            const LONG value = Scale(RawAxis(slot), m_min[slot], m_max[slot]);
            axes[slot] = relative ? value - m_last[slot] : value;
            m_last[slot] = value;
        }
        std::memcpy(&state, axes, sizeof(axes));
        for (int p = 0; p < kPovSlots; ++p) state.rgdwPOV[p] = p < PovCount() ? PovOfHat(RawHat(p)) : kPovCentred;
        for (int b = 0; b < kButtonSlots; ++b) state.rgbButtons[b] = HasButton(b) && RawButton(b) ? 0x80 : 0x00;
        std::memcpy(data, &state, sizeof(state));
    }

    bool Attached() const override { return m_joystick && SDL_JoystickGetAttached(m_joystick); }

    bool Reattach() override {
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (HeldIds().count(SDL_JoystickGetDeviceInstanceID(i))) continue;
            const char* name = SDL_JoystickNameForIndex(i);
            if (!SameGuid(SDL_JoystickGetDeviceGUID(i), m_guid) || m_name != (name ? name : "")) continue;
            Close();
            Open(i);
            return Attached();
        }
        return false;
    }

    bool Update() override {
        SDL_JoystickUpdate();
        return true;
    }

    bool TakesRange() const override { return true; }
    void StoreRange(DWORD offset, LONG min, LONG max) override {
        const DWORD slot = offset / sizeof(LONG);
        if (slot >= kAxisSlots) return;
        m_min[slot] = min;
        m_max[slot] = max;
    }

private:
    void Open(int deviceIndex) {
        if (SDL_IsGameController(deviceIndex)) {
            m_controller = SDL_GameControllerOpen(deviceIndex);
            m_joystick = m_controller ? SDL_GameControllerGetJoystick(m_controller) : nullptr;
        } else {
            m_joystick = SDL_JoystickOpen(deviceIndex);
        }
        if (!m_joystick) return;
        m_id = SDL_JoystickInstanceID(m_joystick);
        m_guid = SDL_JoystickGetGUID(m_joystick);
        const char* name = SDL_JoystickName(m_joystick);
        m_name = name ? name : "";
        HeldIds().insert(m_id);
    }

    void Close() {
        if (m_joystick) HeldIds().erase(m_id);
        if (m_controller)
            SDL_GameControllerClose(m_controller);
        else if (m_joystick)
            SDL_JoystickClose(m_joystick);
        m_controller = nullptr;
        m_joystick = nullptr;
    }

    bool HasAxis(int slot) const {
        if (m_controller) {
            if (slot == kZSlot)
                return SDL_GameControllerHasAxis(m_controller, SDL_CONTROLLER_AXIS_TRIGGERLEFT) ||
                       SDL_GameControllerHasAxis(m_controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
            return kControllerAxes[slot] != SDL_CONTROLLER_AXIS_INVALID &&
                   SDL_GameControllerHasAxis(m_controller, kControllerAxes[slot]);
        }
        return m_joystick && slot < SDL_JoystickNumAxes(m_joystick);
    }

    int RawAxis(int slot) const {
        if (!m_controller) return SDL_JoystickGetAxis(m_joystick, slot);
        if (slot != kZSlot) return SDL_GameControllerGetAxis(m_controller, kControllerAxes[slot]);
        // Left trigger toward the maximum, right toward the minimum.
        const int left = SDL_GameControllerGetAxis(m_controller, SDL_CONTROLLER_AXIS_TRIGGERLEFT);
        const int right = SDL_GameControllerGetAxis(m_controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
        return std::max(-32768, std::min(32767, left - right));
    }

    bool HasButton(int b) const {
        if (m_controller)
            return b < kControllerButtonCount && SDL_GameControllerHasButton(m_controller, kControllerButtons[b]);
        return m_joystick && b < SDL_JoystickNumButtons(m_joystick);
    }

    bool RawButton(int b) const {
        if (m_controller) return SDL_GameControllerGetButton(m_controller, kControllerButtons[b]) != 0;
        return SDL_JoystickGetButton(m_joystick, b) != 0;
    }

    int PovCount() const {
        if (m_controller) {
            for (auto button : {SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_DOWN,
                                SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_DPAD_RIGHT})
                if (SDL_GameControllerHasButton(m_controller, button)) return 1;
            return 0;
        }
        return m_joystick ? std::min(kPovSlots, SDL_JoystickNumHats(m_joystick)) : 0;
    }

    Uint8 RawHat(int p) const {
        if (!m_controller) return SDL_JoystickGetHat(m_joystick, p);
        Uint8 hat = SDL_HAT_CENTERED;
        if (SDL_GameControllerGetButton(m_controller, SDL_CONTROLLER_BUTTON_DPAD_UP)) hat |= SDL_HAT_UP;
        if (SDL_GameControllerGetButton(m_controller, SDL_CONTROLLER_BUTTON_DPAD_DOWN)) hat |= SDL_HAT_DOWN;
        if (SDL_GameControllerGetButton(m_controller, SDL_CONTROLLER_BUTTON_DPAD_LEFT)) hat |= SDL_HAT_LEFT;
        if (SDL_GameControllerGetButton(m_controller, SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) hat |= SDL_HAT_RIGHT;
        return hat;
    }

    SDL_GameController* m_controller = nullptr;
    SDL_Joystick* m_joystick = nullptr;
    SDL_JoystickID m_id = -1;
    SDL_JoystickGUID m_guid{};
    std::string m_name;
    LONG m_min[kAxisSlots];
    LONG m_max[kAxisSlots];
    LONG m_last[kAxisSlots] = {};  // relative mode: the value of the last read
};

}  // namespace

IDirectInputDevice8W* NewPad(IUnknown* owner, int deviceIndex) {
    Pad* pad = new (std::nothrow) Pad(owner, deviceIndex);
    if (pad && !pad->IsOpen()) {
        pad->Release();
        return nullptr;
    }
    return pad;
}

void DescribePad(int deviceIndex, DIDEVICEINSTANCEW& instance) {
    instance = DIDEVICEINSTANCEW{};
    instance.dwSize = sizeof(instance);
    instance.guidInstance = PadInstanceGuid(SDL_JoystickGetDeviceInstanceID(deviceIndex));
    const SDL_JoystickGUID product = SDL_JoystickGetDeviceGUID(deviceIndex);
    std::memcpy(&instance.guidProduct.Data1, product.data, 4);
    std::memcpy(&instance.guidProduct.Data2, product.data + 4, 2);
    std::memcpy(&instance.guidProduct.Data3, product.data + 6, 2);
    std::memcpy(instance.guidProduct.Data4, product.data + 8, 8);
    instance.dwDevType = DevTypeOf(deviceIndex);
    const char* name = SDL_JoystickNameForIndex(deviceIndex);
    CopyName(instance.tszInstanceName, std::size(instance.tszInstanceName), name ? name : "");
    CopyName(instance.tszProductName, std::size(instance.tszProductName), name ? name : "");
}

}  // namespace orv::dinput::detail
