// The Direct3D object: format questions, the display mode and device creation.
#include "platform/d3d9/device_impl.h"
#include "platform/win32/window_internal.h"

namespace orv::d3d9 {

// Any current GL 3.3 implementation offers this much; a device's context
// tells the real figure.
std::atomic<GLint> Direct3D9Impl::lastMaxTextureSize{8192};

Direct3D9Impl::Direct3D9Impl() = default;

// Direct3DCreate9 started the video subsystem for this object.
Direct3D9Impl::~Direct3D9Impl() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

HRESULT Direct3D9Impl::QueryInterface(REFIID, void** object) {
    if (!object) return E_POINTER;
    *object = this;
    AddRef();
    return S_OK;
}

ULONG Direct3D9Impl::Release() {
    const ULONG count = --refs_;
    if (count == 0) delete this;
    return count;
}

void Direct3D9Impl::FillCaps(D3DCAPS9& caps, GLint maxTextureSize) {
    caps = D3DCAPS9{};
    caps.DeviceType = D3DDEVTYPE_HAL;
    caps.AdapterOrdinal = D3DADAPTER_DEFAULT;
    caps.MaxTextureWidth = caps.MaxTextureHeight = static_cast<DWORD>(maxTextureSize);
    caps.MaxSimultaneousTextures = 8;
    caps.MaxPrimitiveCount = 0xFFFFF;
    caps.MaxVertexIndex = 0xFFFFFF;
    caps.MaxStreams = kStreams;
    caps.VertexShaderVersion = D3DVS_VERSION(3, 0);
    caps.PixelShaderVersion = D3DPS_VERSION(3, 0);
    caps.NumSimultaneousRTs = 1;
}

HRESULT Direct3D9Impl::CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat, DWORD usage,
                                         D3DRESOURCETYPE type, D3DFORMAT format) {
    if (adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    if (deviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    return CheckFormat(adapterFormat, usage, type, format);
}

HRESULT Direct3D9Impl::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
    if (adapter != D3DADAPTER_DEFAULT || !mode) return D3DERR_INVALIDCALL;
    SDL_DisplayMode display{};
    if (SDL_GetDesktopDisplayMode(0, &display) != 0) {
        LogError("no display mode: %s", SDL_GetError());
        return D3DERR_NOTAVAILABLE;
    }
    *mode = {static_cast<UINT>(display.w), static_cast<UINT>(display.h), static_cast<UINT>(display.refresh_rate),
             D3DFMT_X8R8G8B8};
    return D3D_OK;
}

HRESULT Direct3D9Impl::GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) {
    if (adapter != D3DADAPTER_DEFAULT || !caps) return D3DERR_INVALIDCALL;
    if (deviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    FillCaps(*caps, lastMaxTextureSize);
    return D3D_OK;
}

HRESULT Direct3D9Impl::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD,
                                    D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) {
    if (!device) return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (!params || adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    if (deviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    D3DPRESENT_PARAMETERS& p = *params;
    const HWND hwnd = p.hDeviceWindow ? p.hDeviceWindow : focusWindow;
    SDL_Window* window = nullptr;
    if (hwnd) {
        window = orv::win32::SdlWindowOf(hwnd);
        if (!window) {
            LogError("CreateDevice: the window handle names no window");
            return D3DERR_INVALIDCALL;
        }
    }
    if (p.Windowed) {
        if (window && (p.BackBufferWidth == 0 || p.BackBufferHeight == 0)) {
            int width = 0, height = 0;
            SDL_GetWindowSize(window, &width, &height);
            if (p.BackBufferWidth == 0) p.BackBufferWidth = static_cast<UINT>(width);
            if (p.BackBufferHeight == 0) p.BackBufferHeight = static_cast<UINT>(height);
        }
        if (p.BackBufferFormat == D3DFMT_UNKNOWN) p.BackBufferFormat = D3DFMT_X8R8G8B8;
    }
    if (p.BackBufferWidth == 0 || p.BackBufferHeight == 0) return D3DERR_INVALIDCALL;
    if (!IsDisplayFormat(p.BackBufferFormat) || p.MultiSampleType != D3DMULTISAMPLE_NONE) return D3DERR_NOTAVAILABLE;
    if (p.EnableAutoDepthStencil) {
        const FormatInfo* depth = FindFormat(p.AutoDepthStencilFormat);
        if (!depth || !depth->depth) return D3DERR_NOTAVAILABLE;
    }
    if (p.BackBufferCount == 0) p.BackBufferCount = 1;

    auto* created = new DeviceImpl(this, p);
    const HRESULT hr = created->Initialize(window);
    if (FAILED(hr)) {
        created->Release();
        return hr;
    }
    *device = created;
    return D3D_OK;
}

}  // namespace orv::d3d9

IDirect3D9* WINAPI Direct3DCreate9(UINT SDKVersion) {
    if (SDKVersion != D3D_SDK_VERSION) return nullptr;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        orv::d3d9::LogError("no video: %s", SDL_GetError());
        return nullptr;
    }
    return new orv::d3d9::Direct3D9Impl;
}
