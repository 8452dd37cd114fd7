#include "engine/assets/devices/InputDevice.h"

#include <cstring>
#include <new>

#include "engine/core/MessageTable.h"

namespace Quorvex {

namespace {

constexpr const wchar_t* kInitializeSource = L"InputDevice::Initialize";

// Set-up failures, shown in a message box captioned "ERROR".
constexpr const wchar_t* kCreateFailed = L"Device の作成に失敗";
constexpr const wchar_t* kFormatFailed = L"データ形式の設定に失敗";
constexpr const wchar_t* kModeFailed = L"モード設定に失敗";
constexpr const wchar_t* kPadLevelFailed = L"モードの設定に失敗";
constexpr const wchar_t* kAxisFailed = L"軸設定のコールバック関数内で問題が発生";
constexpr const wchar_t* kAxisModeFailed = L"軸モードの設定に失敗";
constexpr const wchar_t* kBufferFailed = L"バッファサイズの設定に失敗";
constexpr const wchar_t* kPadCreateFailed = L"デバイス作成に失敗";
constexpr const wchar_t* kPadCapsFailed = L"性能を調べることが出来なかった";
constexpr const wchar_t* kNoDirectInput = L"引数が無効です";

constexpr DWORD kKeyboardBufferSize = 8;
constexpr DWORD kPadBufferSize = 100;

HRESULT SetDword(IDirectInputDevice8W* device, REFGUID property, DWORD value) {
    DIPROPDWORD dword{};
    dword.diph.dwSize = sizeof(dword);
    dword.diph.dwHeaderSize = sizeof(dword.diph);
    dword.diph.dwObj = 0;
    dword.diph.dwHow = DIPH_DEVICE;
    dword.dwData = value;
    return device->SetProperty(property, &dword.diph);
}

// The keyboard's and the mouse's shared set-up; null after a failure.
IDirectInputDevice8W* CreateSystemDevice(IDirectInput8W* input, HWND window, REFGUID guid,
                                         const DIDATAFORMAT* format, REFGUID property, DWORD value,
                                         void (*show)(HWND, const wchar_t*)) {
    IDirectInputDevice8W* device = nullptr;
    if (FAILED(input->CreateDevice(guid, &device, nullptr)) || !device) {
        show(window, kCreateFailed);
        return nullptr;
    }
    const wchar_t* failure = nullptr;
    if (FAILED(device->SetDataFormat(format)))
        failure = kFormatFailed;
    else if (FAILED(device->SetCooperativeLevel(window, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE)) ||
             FAILED(SetDword(device, property, value)))
        failure = kModeFailed;
    if (failure) {
        show(window, failure);
        device->Release();
        return nullptr;
    }
    // Fails while the window is not active; the keyboard is acquired every frame.
    device->Acquire();
    return device;
}

struct AxisSetup {
    IDirectInputDevice8W* pad;
    bool failed = false;
};

}  // namespace

bool TestPadAxisDirection(const DIJOYSTATE* state, int deadZoneX, int deadZoneY, int direction) {
    if (!state) return false;
    switch (direction) {
        case 1: return state->lX <= -deadZoneX;
        case 2: return state->lY <= -deadZoneY;
        case 4: return state->lX >= deadZoneX;
        case 8: return state->lY >= deadZoneY;
        default: return false;
    }
}

InputDevice::~InputDevice() {
    for (IDirectInputDevice8W*& pad : m_pads.devices) {
        if (pad) pad->Unacquire();
        SAFE_RELEASE(pad);
    }
    for (IDirectInputDevice8W** device : {&m_keyboard.device, &m_mouse.device}) {
        if (*device) (*device)->Unacquire();
        SAFE_RELEASE(*device);
    }
    SAFE_RELEASE(m_pDirectInput);
}

void InputDevice::ShowError(HWND owner, const wchar_t* text) { MessageBoxW(owner, text, L"ERROR", MB_ICONERROR); }

HRESULT InputDevice::Initialize(HINSTANCE instance, HWND window) {
    if (m_pDirectInput) return S_FALSE;
    void* object = nullptr;
    if (FAILED(DirectInput8Create(instance, DIRECTINPUT_VERSION, IID_IDirectInput8W, &object, nullptr))) {
        MessageTable::Log(43, kInitializeSource);
        return E_FAIL;
    }
    m_pDirectInput = static_cast<IDirectInput8W*>(object);
    CreateKeyboard(window);
    CreatePads(window);
    CreateMouse(window);
    return S_OK;
}

HRESULT InputDevice::CreateKeyboard(HWND window) {
    if (!m_pDirectInput) {
        ShowError(window, kNoDirectInput);
        return DIERR_INVALIDPARAM;
    }
    if (m_keyboard.device) return S_FALSE;
    m_keyboard.device = CreateSystemDevice(m_pDirectInput, window, GUID_SysKeyboard, &c_dfDIKeyboard,
                                           DIPROP_BUFFERSIZE, kKeyboardBufferSize, &ShowError);
    return m_keyboard.device ? S_OK : E_FAIL;
}

HRESULT InputDevice::CreateMouse(HWND window) {
    if (!m_pDirectInput) {
        ShowError(window, kNoDirectInput);
        return DIERR_INVALIDPARAM;
    }
    if (m_mouse.device) return S_FALSE;
    m_mouse.device = CreateSystemDevice(m_pDirectInput, window, GUID_SysMouse, &c_dfDIMouse2, DIPROP_AXISMODE,
                                        DIPROPAXISMODE_REL, &ShowError);
    return m_mouse.device ? S_OK : E_FAIL;
}

HRESULT InputDevice::CreatePads(HWND window) {
    if (!m_pDirectInput) {
        ShowError(window, kNoDirectInput);
        return DIERR_INVALIDPARAM;
    }
    const HRESULT hr = m_pDirectInput->EnumDevices(DI8DEVCLASS_GAMECTRL, &EnumPad, this, DIEDFL_ATTACHEDONLY);
    if (FAILED(hr)) return hr;
    if (m_pads.found == 0) return E_FAIL;
    // A pad that fails stops the set-up of the ones after it.
    for (m_pads.configuring = 0; m_pads.configuring < m_pads.found; ++m_pads.configuring)
        if (!ConfigurePad(m_pads.devices[m_pads.configuring], window)) return E_FAIL;
    return S_OK;
}

BOOL CALLBACK InputDevice::EnumPad(LPCDIDEVICEINSTANCEW instance, LPVOID self) {
    InputDevice& device = *static_cast<InputDevice*>(self);
    auto& pads = device.m_pads;
    if (pads.found >= pads.capacity) return DIENUM_STOP;
    IDirectInputDevice8W* pad = nullptr;
    if (FAILED(device.m_pDirectInput->CreateDevice(instance->guidInstance, &pad, nullptr)) || !pad) {
        ShowError(nullptr, kPadCreateFailed);
        return DIENUM_CONTINUE;
    }
    DIDEVCAPS caps{};
    caps.dwSize = sizeof(caps);
    if (FAILED(pad->GetCapabilities(&caps))) {
        ShowError(nullptr, kPadCapsFailed);
        pad->Release();
        return DIENUM_CONTINUE;
    }
    pads.devices[pads.found++] = pad;
    return pads.found < pads.capacity ? DIENUM_CONTINUE : DIENUM_STOP;
}

BOOL CALLBACK InputDevice::EnumAxis(LPCDIDEVICEOBJECTINSTANCEW object, LPVOID context) {
    AxisSetup& setup = *static_cast<AxisSetup*>(context);
    DIPROPRANGE range{};
    range.diph.dwSize = sizeof(range);
    range.diph.dwHeaderSize = sizeof(range.diph);
    range.diph.dwHow = DIPH_BYID;
    range.diph.dwObj = object->dwType;
    range.lMin = -kAxisRange;
    range.lMax = kAxisRange;
    if (FAILED(setup.pad->SetProperty(DIPROP_RANGE, &range.diph))) {
        setup.failed = true;
        return DIENUM_STOP;
    }
    return DIENUM_CONTINUE;
}

bool InputDevice::ConfigurePad(IDirectInputDevice8W* pad, HWND window) {
    const wchar_t* failure = nullptr;
    AxisSetup axes{pad};
    if (FAILED(pad->SetDataFormat(&c_dfDIJoystick)))
        failure = kFormatFailed;
    else if (FAILED(pad->SetCooperativeLevel(window, DISCL_BACKGROUND | DISCL_NONEXCLUSIVE)))
        failure = kPadLevelFailed;
    else if (FAILED(pad->EnumObjects(&EnumAxis, &axes, DIDFT_AXIS)) || axes.failed)
        failure = kAxisFailed;
    else if (FAILED(SetDword(pad, DIPROP_AXISMODE, DIPROPAXISMODE_ABS)))
        failure = kAxisModeFailed;
    else if (FAILED(SetDword(pad, DIPROP_BUFFERSIZE, kPadBufferSize)))
        failure = kBufferFailed;
    if (failure) {
        ShowError(window, failure);
        return false;
    }
    pad->Acquire();
    return true;
}

void InputDevice::PollPad(int pad) {
    if (!HasPad(pad)) return;
    IDirectInputDevice8W* device = m_pads.devices[pad];
    DIJOYSTATE& state = m_pad.states[pad];
    HRESULT hr = device->Poll();
    if (SUCCEEDED(hr)) hr = device->GetDeviceState(sizeof(state), &state);
    if (FAILED(hr)) {
        // A pad that was pulled out must not hold its last stick and buttons.
        state = DIJOYSTATE{};
        if (hr == DIERR_INPUTLOST || hr == DIERR_NOTACQUIRED) device->Acquire();
    }
}

bool InputDevice::ReadKeyboard() {
    if (!m_keyboard.device) return false;
    m_keyboard.device->Acquire();
    if (FAILED(m_keyboard.device->GetDeviceState(sizeof(m_keyboard.state), m_keyboard.state)))
        std::memset(m_keyboard.state, 0, sizeof(m_keyboard.state));  // no key stays down while unread
    return true;
}

}  // namespace Quorvex
