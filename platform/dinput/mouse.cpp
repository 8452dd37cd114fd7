// The system mouse: motion and wheel summed from SDL's events since the last
// read (relative mode) or since start-up (absolute mode), and its buttons.
#include <cstring>
#include <new>

#include "platform/dinput/device_base.h"

namespace orv::dinput::detail {

namespace {

class Mouse final : public DeviceBase {
public:
    explicit Mouse(IUnknown* owner) : DeviceBase(owner, &c_dfDIMouse2, DI8DEVTYPE_MOUSE), m_last(CurrentMouse()) {
        SetInitialAxisMode(DIPROPAXISMODE_REL);
    }

protected:
    std::vector<Object> Objects() const override {
        std::vector<Object> objects = {
            {&GUID_XAxis, offsetof(DIMOUSESTATE2, lX), DIDFT_RELAXIS | DIDFT_MAKEINSTANCE(0), "X"},
            {&GUID_YAxis, offsetof(DIMOUSESTATE2, lY), DIDFT_RELAXIS | DIDFT_MAKEINSTANCE(1), "Y"},
            {&GUID_ZAxis, offsetof(DIMOUSESTATE2, lZ), DIDFT_RELAXIS | DIDFT_MAKEINSTANCE(2), "Wheel"},
        };
        for (DWORD b = 0; b < 8; ++b)
            objects.push_back({&GUID_Button, static_cast<DWORD>(offsetof(DIMOUSESTATE2, rgbButtons) + b),
                               DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(b), "Button " + std::to_string(b)});
        return objects;
    }

    void ReadState(void* data) override {
        const MouseTotals now = CurrentMouse();
        DIMOUSESTATE2 state{};
        const bool relative = AxisMode() == DIPROPAXISMODE_REL;
        state.lX = relative ? now.x - m_last.x : now.x;
        state.lY = relative ? now.y - m_last.y : now.y;
        state.lZ = relative ? now.wheel - m_last.wheel : now.wheel;
        std::memcpy(state.rgbButtons, now.buttons, sizeof(state.rgbButtons));
        m_last = now;
        std::memcpy(data, &state, sizeof(state));
    }

private:
    MouseTotals m_last;
};

}  // namespace

IDirectInputDevice8W* NewMouse(IUnknown* owner) { return new (std::nothrow) Mouse(owner); }

}  // namespace orv::dinput::detail
