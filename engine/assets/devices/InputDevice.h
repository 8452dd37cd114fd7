// The DirectInput objects behind the input manager: the keyboard, up to ten
// game pads and a mouse that nothing reads. Set-up failures of a device are
// shown in a message box and the game goes on without that device.
#pragma once
#include "engine/core/ReferCounter.h"
#include "platform/dinput/dinput.h"
#include "platform/win32/win32.h"

namespace Quorvex {

// Whether a pad's stick points in a direction (1 left, 2 up, 4 right, 8 down):
// the axis at or beyond its dead zone. False for a pad that does not exist
// (null state) and for any other direction.
bool TestPadAxisDirection(const DIJOYSTATE* state, int deadZoneX, int deadZoneY, int direction);

class InputDevice : public IUnknown, public ReferCounter {
public:
    static constexpr int kPadCapacity = 10;
    static constexpr LONG kAxisRange = 1000;   // every pad axis reads -1000..1000
    static constexpr int kDefaultDeadZone = 300;

    struct PadRecord {
        DIJOYSTATE states[kPadCapacity] = {};
        int deadZoneX = kDefaultDeadZone;
        int deadZoneY = kDefaultDeadZone;
    };

    InputDevice() = default;
    ~InputDevice() override;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    int GetRefCount() const { return GetReferenceCount(); }

    // DirectInput, then the keyboard, the pads and the mouse. Only a missing
    // DirectInput fails it (E_FAIL); device failures are shown and skipped.
    HRESULT Initialize(HINSTANCE instance, HWND window);
    HRESULT CreateKeyboard(HWND window);
    // Up to ten attached pads; E_FAIL, not reported, when there is none.
    HRESULT CreatePads(HWND window);
    HRESULT CreateMouse(HWND window);

    // Reads a pad into its state. A pad that cannot be read reads as released
    // and centred, and is acquired again for the next frame.
    void PollPad(int pad);
    // Acquires the keyboard and reads its 256 bytes; false without a keyboard.
    // A failed read reads as no key down.
    bool ReadKeyboard();

    bool HasKeyboard() const { return m_keyboard.device != nullptr; }
    bool HasPad(int pad) const { return pad >= 0 && pad < kPadCapacity && m_pads.devices[pad] != nullptr; }
    int GetPadCount() const { return m_pads.found; }
    const PadRecord& GetPadRecord() const { return m_pad; }
    // Bit 7 of a byte is set while that key code's key is down.
    const BYTE* GetKeyState() const { return m_keyboard.state; }

private:
    static BOOL CALLBACK EnumPad(LPCDIDEVICEINSTANCEW instance, LPVOID self);
    static BOOL CALLBACK EnumAxis(LPCDIDEVICEOBJECTINSTANCEW object, LPVOID pad);
    // Format, level, axes, mode, buffer and acquisition of one pad; false
    // when a step failed (after its message box).
    bool ConfigurePad(IDirectInputDevice8W* pad, HWND window);
    // Shows a set-up failure; the game goes on without the device.
    static void ShowError(HWND owner, const wchar_t* text);

    IDirectInput8W* m_pDirectInput = nullptr;
    PadRecord m_pad;
    struct {
        IDirectInputDevice8W* device = nullptr;
        BYTE state[256] = {};
    } m_keyboard;
    struct {
        IDirectInputDevice8W* device = nullptr;
    } m_mouse;
    struct {
        IDirectInputDevice8W* devices[kPadCapacity] = {};
        int capacity = kPadCapacity;
        int found = 0;
        int configuring = 0;  // the pad being set up
    } m_pads;
};

}  // namespace Quorvex
