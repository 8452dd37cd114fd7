// The Direct3D object: format answers, device creation on a window, present.
#include "device_fixture.h"
#include "platform/win32/win32.h"

namespace {

TEST(Direct3D, CheckDeviceFormatAnswersWhatTheDeviceCanDo) {
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    struct Case {
        D3DFORMAT adapter;
        DWORD usage;
        D3DRESOURCETYPE type;
        D3DFORMAT format;
        bool ok;
    } cases[] = {
        {D3DFMT_A8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24S8, true},
        {D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D16, true},
        {D3DFMT_A8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D32, false},
        {D3DFMT_A8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_A8R8G8B8, false},
        {D3DFMT_R5G6B5, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24S8, false},
        {D3DFMT_A8R8G8B8, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, true},
        {D3DFMT_A8R8G8B8, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_R32F, true},
        {D3DFMT_A8R8G8B8, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_A16B16G16R16F, true},
        {D3DFMT_A8R8G8B8, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_D24S8, false},
        {D3DFMT_A8R8G8B8, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_R5G6B5, false},
        {D3DFMT_A8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_R5G6B5, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, c.adapter, c.usage, c.type, c.format),
                  c.ok ? D3D_OK : D3DERR_NOTAVAILABLE)
            << c.adapter << " " << c.usage << " " << c.format;

    // The engine's probe: display formats outside, depth formats inside,
    // the first pair that works; then the first render-target format.
    const D3DFORMAT displays[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_R5G6B5};
    const D3DFORMAT depths[] = {D3DFMT_D32, D3DFMT_D24S8, D3DFMT_D24X8, D3DFMT_D24X4S4, D3DFMT_D16, D3DFMT_D15S1};
    D3DFORMAT display = D3DFMT_UNKNOWN, depth = D3DFMT_UNKNOWN, target = D3DFMT_UNKNOWN;
    for (D3DFORMAT d : displays) {
        for (D3DFORMAT z : depths)
            if (d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, d, D3DUSAGE_DEPTHSTENCIL,
                                       D3DRTYPE_SURFACE, z) == D3D_OK) {
                display = d, depth = z;
                break;
            }
        if (display != D3DFMT_UNKNOWN) break;
    }
    for (D3DFORMAT f : displays)
        if (d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, display, D3DUSAGE_RENDERTARGET,
                                   D3DRTYPE_TEXTURE, f) == D3D_OK) {
            target = f;
            break;
        }
    EXPECT_EQ(display, D3DFMT_A8R8G8B8);
    EXPECT_EQ(depth, D3DFMT_D24S8);
    EXPECT_EQ(target, D3DFMT_A8R8G8B8);
    EXPECT_EQ(Direct3DCreate9(31), nullptr);
    d3d->Release();
}

LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The game's way: a window of the window layer, a back buffer sized from its
// client area, frames presented with a hook that sees each finished frame.
TEST(Direct3D, DeviceOnAWindowPresentsFramesToTheHook) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = TestWindowProc;
    wc.lpszClassName = L"d3d9 test window";
    ASSERT_NE(RegisterClassExW(&wc), 0);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"d3d9", WS_POPUP, 0, 0, 40, 30, nullptr, nullptr, nullptr,
                                nullptr);
    ASSERT_NE(hwnd, nullptr);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    D3DPRESENT_PARAMETERS pp{};
    pp.Windowed = TRUE;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    IDirect3DDevice9* device = nullptr;
    ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hwnd, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp,
                                &device),
              D3D_OK);
    EXPECT_EQ(pp.BackBufferWidth, 40u);
    EXPECT_EQ(pp.BackBufferHeight, 30u);
    EXPECT_EQ(pp.BackBufferFormat, D3DFMT_X8R8G8B8);

    std::vector<Rgba> seen;
    orv::d3d9::SetPresentHook(device, [&] {
        std::vector<uint8_t> rgba;
        int w = 0, h = 0;
        ASSERT_TRUE(orv::d3d9::ReadBackBuffer(device, rgba, w, h));
        ASSERT_EQ(w, 40);
        ASSERT_EQ(h, 30);
        seen.push_back({rgba[0], rgba[1], rgba[2], rgba[3]});
    });
    const D3DCOLOR frames[] = {0x00336699, 0xFFCC0000};
    for (D3DCOLOR color : frames) {
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, color, 1.f, 0), D3D_OK);
        ASSERT_EQ(device->EndScene(), D3D_OK);
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    }
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], (Rgba{0x33, 0x66, 0x99, 0xFF}));  // no alpha in X8R8G8B8
    EXPECT_EQ(seen[1], (Rgba{0xCC, 0x00, 0x00, 0xFF}));
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
    orv::d3d9::SetPresentHook(device, nullptr);
    EXPECT_EQ(device->Release(), 0u);
    d3d->Release();
    DestroyWindow(hwnd);
}

}  // namespace
