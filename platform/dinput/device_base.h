// What every device shares: reference count, data format, cooperative level,
// acquisition and loss, properties, capabilities and object enumeration. A
// device kind supplies its objects and its state.
#pragma once

#include <string>
#include <vector>

#include "platform/dinput/dinput_internal.h"

namespace orv::dinput::detail {

class DeviceBase : public IDirectInputDevice8W {
public:
    DeviceBase(IUnknown* owner, const DIDATAFORMAT* format, DWORD devType);
    ~DeviceBase() override;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetCapabilities(LPDIDEVCAPS caps) override;
    HRESULT STDMETHODCALLTYPE EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKW callback, LPVOID ref,
                                          DWORD flags) override;
    HRESULT STDMETHODCALLTYPE SetProperty(REFGUID property, LPCDIPROPHEADER header) override;
    HRESULT STDMETHODCALLTYPE Acquire() override;
    HRESULT STDMETHODCALLTYPE Unacquire() override;
    HRESULT STDMETHODCALLTYPE GetDeviceState(DWORD size, LPVOID data) override;
    HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT format) override;
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Poll() override;

protected:
    struct Object {
        const GUID* type;
        DWORD offset;  // in the data format's state
        DWORD id;      // DIDFT_* type | DIDFT_MAKEINSTANCE(instance)
        std::string name;
    };

    // The device's objects: axes first, then buttons (or keys), then hats.
    virtual std::vector<Object> Objects() const = 0;
    // Writes the whole state, the data format's size.
    virtual void ReadState(void* data) = 0;
    // Whether the device is still there; a pad can be unplugged.
    virtual bool Attached() const { return true; }
    // Finds the device again after it was unplugged; false while it is gone.
    virtual bool Reattach() { return false; }
    // Poll's work; a device that needs none answers false (DI_NOEFFECT).
    virtual bool Update() { return false; }
    // Axis ranges: only pads take them. offset is the axis's offset.
    virtual bool TakesRange() const { return false; }
    virtual void StoreRange(DWORD /*offset*/, LONG /*min*/, LONG /*max*/) {}

    DWORD AxisMode() const { return m_axisMode; }
    // The mouse starts in relative mode, the other devices in absolute mode.
    void SetInitialAxisMode(DWORD mode) { m_axisMode = mode; }

private:
    // DI_OK while acquired; once the window lost the focus or the device went
    // away, unacquires and answers DIERR_INPUTLOST.
    HRESULT CheckAcquired();
    bool WindowLost() const;
    HRESULT SetRange(const DIPROPRANGE& range);

    ULONG m_refs = 1;
    IUnknown* m_owner;
    const DIDATAFORMAT* m_format;  // the one format the device takes
    DWORD m_devType;
    bool m_formatSet = false;
    HWND m_window = nullptr;
    DWORD m_level = DISCL_BACKGROUND | DISCL_NONEXCLUSIVE;
    bool m_acquired = false;
    unsigned m_focusLosses = 0;  // the window's count when acquired
    DWORD m_axisMode = DIPROPAXISMODE_ABS;
    DWORD m_bufferSize = 0;
};

}  // namespace orv::dinput::detail
