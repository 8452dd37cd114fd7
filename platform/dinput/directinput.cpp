// The DirectInput object: device creation and enumeration.
#include <algorithm>
#include <cstring>
#include <new>

#include "platform/dinput/dinput_internal.h"

// The devices recognise their format by address; the layer does not map
// custom object lists, so the formats carry none.
const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), 0, 256, 0, nullptr};
const DIDATAFORMAT c_dfDIJoystick = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), 0, sizeof(DIJOYSTATE), 0,
                                     nullptr};
const DIDATAFORMAT c_dfDIMouse2 = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), 0, sizeof(DIMOUSESTATE2), 0,
                                   nullptr};

namespace orv::dinput::detail {

namespace {

constexpr uint32_t kPadGuidData1 = 0x4F524449;
constexpr uint16_t kPadGuidData2 = 0x0100;
constexpr uint16_t kPadGuidData3 = 0x5044;

class DirectInput final : public IDirectInput8W {
public:
    DirectInput() : m_joysticks(StartJoysticks()) { WatchEvents(); }
    ~DirectInput() override {
        if (m_joysticks) StopJoysticks();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IDirectInput8W || iid == IID_IUnknown) {
            AddRef();
            *out = static_cast<IDirectInput8W*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICE8W* device, LPUNKNOWN outer) override {
        if (!device) return DIERR_INVALIDPARAM;
        *device = nullptr;
        if (outer) return DIERR_NOAGGREGATION;
        if (guid == GUID_SysKeyboard) {
            *device = NewKeyboard(this);
            return *device ? DI_OK : DIERR_OUTOFMEMORY;
        }
        if (guid == GUID_SysMouse) {
            *device = NewMouse(this);
            return *device ? DI_OK : DIERR_OUTOFMEMORY;
        }
        SDL_JoystickID id;
        if (!m_joysticks || !PadIdOfGuid(guid, &id)) return DIERR_DEVICENOTREG;
        const int index = DeviceIndexOf(id);
        if (index < 0) return DIERR_DEVICENOTREG;
        *device = NewPad(this, index);
        return *device ? DI_OK : DIERR_GENERIC;
    }

    HRESULT STDMETHODCALLTYPE EnumDevices(DWORD devClass, LPDIENUMDEVICESCALLBACKW callback, LPVOID ref,
                                          DWORD) override {
        if (!callback || devClass > DI8DEVCLASS_GAMECTRL) return DIERR_INVALIDPARAM;
        std::vector<DIDEVICEINSTANCEW> found;
        DIDEVICEINSTANCEW instance{};
        instance.dwSize = sizeof(instance);
        auto addSystemDevice = [&](DWORD cls, const GUID& guid, DWORD type, const char* name) {
            if (devClass != DI8DEVCLASS_ALL && devClass != cls) return;
            instance.guidInstance = instance.guidProduct = guid;
            instance.dwDevType = type;
            CopyName(instance.tszInstanceName, std::size(instance.tszInstanceName), name);
            CopyName(instance.tszProductName, std::size(instance.tszProductName), name);
            found.push_back(instance);
        };
        addSystemDevice(DI8DEVCLASS_KEYBOARD, GUID_SysKeyboard, DI8DEVTYPE_KEYBOARD, "Keyboard");
        addSystemDevice(DI8DEVCLASS_POINTER, GUID_SysMouse, DI8DEVTYPE_MOUSE, "Mouse");
        if ((devClass == DI8DEVCLASS_ALL || devClass == DI8DEVCLASS_GAMECTRL) && m_joysticks) {
            // Pick up pads plugged in since the last pump.
            SDL_JoystickUpdate();
            for (int i = 0; i < SDL_NumJoysticks(); ++i) {
                DescribePad(i, instance);
                found.push_back(instance);
            }
        }
        // The list is taken first, so a callback may create devices.
        for (const DIDEVICEINSTANCEW& device : found)
            if (callback(&device, ref) == DIENUM_STOP) break;
        return DI_OK;
    }

private:
    ULONG m_refs = 1;
    bool m_joysticks;
};

}  // namespace

bool StartJoysticks() {
    // The window of an offscreen or unfocused program gets no joystick updates
    // otherwise; the pads are background devices anyway.
    SDL_SetHintWithPriority(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1", SDL_HINT_OVERRIDE);
    return SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) == 0;
}

void StopJoysticks() { SDL_QuitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER); }

GUID PadInstanceGuid(SDL_JoystickID id) {
    GUID guid{kPadGuidData1, kPadGuidData2, kPadGuidData3, {0, 0, 0, 0, 'p', 'a', 'd', 0}};
    const uint32_t bits = static_cast<uint32_t>(id);
    for (int i = 0; i < 4; ++i) guid.Data4[i] = static_cast<uint8_t>(bits >> (8 * i));
    return guid;
}

bool PadIdOfGuid(const GUID& guid, SDL_JoystickID* id) {
    GUID pattern = PadInstanceGuid(0);
    std::copy(guid.Data4, guid.Data4 + 4, pattern.Data4);
    if (!(guid == pattern)) return false;
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits |= static_cast<uint32_t>(guid.Data4[i]) << (8 * i);
    *id = static_cast<SDL_JoystickID>(bits);
    return true;
}

int DeviceIndexOf(SDL_JoystickID id) {
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == id) return i;
    return -1;
}

void CopyName(WCHAR* out, size_t capacity, const std::string& utf8) {
    const std::wstring wide = Utf8ToWide(utf8);
    const size_t n = std::min(wide.size(), capacity - 1);
    std::copy(wide.begin(), wide.begin() + static_cast<std::ptrdiff_t>(n), out);
    out[n] = L'\0';
}

}  // namespace orv::dinput::detail

HRESULT WINAPI DirectInput8Create(HINSTANCE, DWORD version, REFIID iid, LPVOID* out, LPUNKNOWN outer) {
    if (!out) return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (version < DIRECTINPUT_VERSION) return DIERR_OLDDIRECTINPUTVERSION;
    if (version > DIRECTINPUT_VERSION) return DIERR_BETADIRECTINPUTVERSION;
    if (outer) return DIERR_NOAGGREGATION;
    if (!(iid == IID_IDirectInput8W)) return DIERR_NOINTERFACE;
    auto* object = new (std::nothrow) orv::dinput::detail::DirectInput();
    if (!object) return DIERR_OUTOFMEMORY;
    *out = static_cast<IDirectInput8W*>(object);
    return DI_OK;
}
