#include "platform/dinput/device_base.h"

#include <iterator>

namespace orv::dinput::detail {

namespace {

bool IsAxis(DWORD id) { return (DIDFT_GETTYPE(id) & DIDFT_AXIS) != 0; }
bool IsButton(DWORD id) { return (DIDFT_GETTYPE(id) & DIDFT_BUTTON) != 0; }
bool IsPov(DWORD id) { return (DIDFT_GETTYPE(id) & DIDFT_POV) != 0; }

bool IsActiveWindow(HWND window) {
    if (!window || !IsWindow(window)) return false;
    WINDOWINFO info{};
    info.cbSize = sizeof(info);
    return GetWindowInfo(window, &info) && (info.dwWindowStatus & WS_ACTIVECAPTION) != 0;
}

}  // namespace

DeviceBase::DeviceBase(IUnknown* owner, const DIDATAFORMAT* format, DWORD devType)
    : m_owner(owner), m_format(format), m_devType(devType) {
    if (m_owner) m_owner->AddRef();
}

DeviceBase::~DeviceBase() {
    if (m_owner) m_owner->Release();
}

HRESULT DeviceBase::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IDirectInputDevice8W || iid == IID_IUnknown) {
        AddRef();
        *out = static_cast<IDirectInputDevice8W*>(this);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG DeviceBase::AddRef() { return ++m_refs; }

ULONG DeviceBase::Release() {
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
}

HRESULT DeviceBase::GetCapabilities(LPDIDEVCAPS caps) {
    if (!caps || caps->dwSize != sizeof(DIDEVCAPS)) return DIERR_INVALIDPARAM;
    *caps = DIDEVCAPS{};
    caps->dwSize = sizeof(DIDEVCAPS);
    caps->dwFlags = Attached() ? DIDC_ATTACHED : 0;
    caps->dwDevType = m_devType;
    for (const Object& object : Objects()) {
        if (IsAxis(object.id)) ++caps->dwAxes;
        else if (IsButton(object.id)) ++caps->dwButtons;
        else if (IsPov(object.id)) ++caps->dwPOVs;
    }
    return DI_OK;
}

HRESULT DeviceBase::EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKW callback, LPVOID ref, DWORD flags) {
    if (!callback) return DIERR_INVALIDPARAM;
    const DWORD wanted = flags & (DIDFT_AXIS | DIDFT_BUTTON | DIDFT_POV);
    for (const Object& object : Objects()) {
        if (wanted && !(DIDFT_GETTYPE(object.id) & wanted)) continue;
        DIDEVICEOBJECTINSTANCEW instance{};
        instance.dwSize = sizeof(instance);
        instance.guidType = *object.type;
        instance.dwOfs = object.offset;
        instance.dwType = object.id;
        CopyName(instance.tszName, std::size(instance.tszName), object.name);
        if (callback(&instance, ref) == DIENUM_STOP) break;
    }
    return DI_OK;
}

HRESULT DeviceBase::SetProperty(REFGUID property, LPCDIPROPHEADER header) {
    if (!header || header->dwHeaderSize != sizeof(DIPROPHEADER)) return DIERR_INVALIDPARAM;
    if (property == DIPROP_BUFFERSIZE || property == DIPROP_AXISMODE) {
        if (header->dwSize != sizeof(DIPROPDWORD) || header->dwHow != DIPH_DEVICE || header->dwObj != 0)
            return DIERR_INVALIDPARAM;
        if (m_acquired) return DIERR_ACQUIRED;
        const DWORD value = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
        if (property == DIPROP_BUFFERSIZE) {
            m_bufferSize = value;
            return DI_OK;
        }
        if (value != DIPROPAXISMODE_ABS && value != DIPROPAXISMODE_REL) return DIERR_INVALIDPARAM;
        bool hasAxis = false;
        for (const Object& object : Objects()) hasAxis = hasAxis || IsAxis(object.id);
        if (!hasAxis) return DIERR_UNSUPPORTED;
        m_axisMode = value;
        return DI_OK;
    }
    if (property == DIPROP_RANGE) {
        if (header->dwSize != sizeof(DIPROPRANGE)) return DIERR_INVALIDPARAM;
        if (m_acquired) return DIERR_ACQUIRED;
        return SetRange(*reinterpret_cast<const DIPROPRANGE*>(header));
    }
    return DIERR_UNSUPPORTED;
}

HRESULT DeviceBase::SetRange(const DIPROPRANGE& range) {
    if (!TakesRange()) return DIERR_UNSUPPORTED;
    const DIPROPHEADER& h = range.diph;
    if (range.lMin >= range.lMax) return DIERR_INVALIDPARAM;
    if (h.dwHow == DIPH_DEVICE && h.dwObj != 0) return DIERR_INVALIDPARAM;
    if (h.dwHow != DIPH_DEVICE && h.dwHow != DIPH_BYOFFSET && h.dwHow != DIPH_BYID) return DIERR_INVALIDPARAM;
    bool found = false;
    for (const Object& object : Objects()) {
        if (!IsAxis(object.id)) continue;
        const bool match = h.dwHow == DIPH_DEVICE ||
                           (h.dwHow == DIPH_BYOFFSET && h.dwObj == object.offset) ||
                           (h.dwHow == DIPH_BYID && IsAxis(h.dwObj) &&
                            DIDFT_GETINSTANCE(h.dwObj) == DIDFT_GETINSTANCE(object.id));
        if (!match) continue;
        StoreRange(object.offset, range.lMin, range.lMax);
        found = true;
    }
    return found ? DI_OK : DIERR_OBJECTNOTFOUND;
}

bool DeviceBase::WindowLost() const {
    return !IsActiveWindow(m_window) || FocusLossCount(m_window) != m_focusLosses;
}

HRESULT DeviceBase::CheckAcquired() {
    if (!m_acquired) return DIERR_NOTACQUIRED;
    if (((m_level & DISCL_FOREGROUND) && WindowLost()) || !Attached()) {
        m_acquired = false;
        return DIERR_INPUTLOST;
    }
    return DI_OK;
}

HRESULT DeviceBase::Acquire() {
    if (!m_formatSet) return DIERR_INVALIDPARAM;
    if (m_acquired && CheckAcquired() == DI_OK) return DI_NOEFFECT;
    const bool foreground = (m_level & DISCL_FOREGROUND) != 0;
    if (foreground && !IsActiveWindow(m_window)) return DIERR_OTHERAPPHASPRIO;
    if (!Attached() && !Reattach()) return DIERR_UNPLUGGED;
    m_focusLosses = foreground ? FocusLossCount(m_window) : 0;
    m_acquired = true;
    return DI_OK;
}

HRESULT DeviceBase::Unacquire() {
    if (!m_acquired) return DI_NOEFFECT;
    m_acquired = false;
    return DI_OK;
}

HRESULT DeviceBase::GetDeviceState(DWORD size, LPVOID data) {
    if (!data || size != m_format->dwDataSize) return DIERR_INVALIDPARAM;
    const HRESULT hr = CheckAcquired();
    if (FAILED(hr)) return hr;
    ReadState(data);
    return DI_OK;
}

HRESULT DeviceBase::SetDataFormat(LPCDIDATAFORMAT format) {
    if (!format) return DIERR_INVALIDPARAM;
    if (m_acquired) return DIERR_ACQUIRED;
    if (format != m_format) return DIERR_INVALIDPARAM;
    m_formatSet = true;
    return DI_OK;
}

HRESULT DeviceBase::SetCooperativeLevel(HWND window, DWORD flags) {
    const DWORD sharing = flags & (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE);
    const DWORD focus = flags & (DISCL_FOREGROUND | DISCL_BACKGROUND);
    if ((flags & ~(sharing | focus | DISCL_NOWINKEY)) != 0) return DIERR_INVALIDPARAM;
    if (sharing == 0 || sharing == (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE)) return DIERR_INVALIDPARAM;
    if (focus == 0 || focus == (DISCL_FOREGROUND | DISCL_BACKGROUND)) return DIERR_INVALIDPARAM;
    if (m_acquired) return DIERR_ACQUIRED;
    // A foreground device follows its window's focus, so it needs one.
    if (window ? !IsWindow(window) : focus == DISCL_FOREGROUND) return DIERR_INVALIDPARAM;
    m_window = window;
    m_level = flags;
    return DI_OK;
}

HRESULT DeviceBase::Poll() {
    HRESULT hr = CheckAcquired();
    if (FAILED(hr)) return hr;
    if (!Update()) return DI_NOEFFECT;
    return CheckAcquired();
}

}  // namespace orv::dinput::detail
