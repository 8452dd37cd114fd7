// The device the tests and benchmarks draw on: windowed on a hidden window of
// its own, an A8R8G8B8 back buffer with a D24S8 depth buffer, presenting
// without waiting. Free of the test framework, so benchmarks use it too.
#pragma once
#include "platform/d3d9/d3d9.h"

// Creates Direct3D and the device over it. On failure answers the error with
// *device null (*d3d stays set when only the device failed: the caller
// releases what it got, as after success).
inline HRESULT CreateTestDevice(UINT width, UINT height, IDirect3D9** d3d, IDirect3DDevice9** device) {
    *device = nullptr;
    *d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (!*d3d) return D3DERR_NOTAVAILABLE;
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = width;
    pp.BackBufferHeight = height;
    pp.BackBufferFormat = D3DFMT_A8R8G8B8;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    return (*d3d)->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp,
                                device);
}
