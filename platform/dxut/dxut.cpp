// Device creation for the engine, and the switches that end a run after a
// number of frames and keep its last picture.
#include "platform/dxut/dxut.h"

#include <stb_image_write.h>

#include <cstdio>
#include <vector>

#include "platform/win32/win32.h"

namespace {

struct Framework {
    HWND focus = nullptr;
    HWND fullScreenWindow = nullptr;
    HWND windowedWindow = nullptr;
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    int framesPresented = 0;
    // The last presented frame, RGB, kept while -screenshot waits to be written.
    std::vector<uint8_t> shot;
    int shotWidth = 0;
    int shotHeight = 0;
    bool shotPending = false;
    bool shotWritten = false;
};

Framework g_framework;

bool CaptureFrame(IDirect3DDevice9* device) {
    std::vector<uint8_t> rgba;
    int width = 0, height = 0;
    if (!orv::d3d9::ReadBackBuffer(device, rgba, width, height) || width <= 0 || height <= 0 ||
        rgba.size() < size_t(width) * size_t(height) * 4) {
        std::fprintf(stderr, "DXUT: the presented frame could not be read back for the screenshot\n");
        return false;
    }
    // What the screen shows has no transparency: keep the colour only.
    auto& shot = g_framework.shot;
    shot.resize(size_t(width) * size_t(height) * 3);
    for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i) {
        shot[i * 3 + 0] = rgba[i * 4 + 0];
        shot[i * 3 + 1] = rgba[i * 4 + 1];
        shot[i * 3 + 2] = rgba[i * 4 + 2];
    }
    g_framework.shotWidth = width;
    g_framework.shotHeight = height;
    g_framework.shotPending = true;
    return true;
}

void WriteScreenshot() {
    const std::wstring& file = DXUTGetCommandLineSwitches().screenshot;
    if (file.empty() || !g_framework.shotPending) return;
    g_framework.shotPending = false;
    g_framework.shotWritten = true;
    const std::string path = WideToUtf8(file);
    const int ok = stbi_write_png(path.c_str(), g_framework.shotWidth, g_framework.shotHeight, 3,
                                  g_framework.shot.data(), g_framework.shotWidth * 3);
    g_framework.shot.clear();
    if (!ok) {
        std::fprintf(stderr, "DXUT: the screenshot could not be written to %s\n", path.c_str());
        return;
    }
    std::printf("screenshot saved to %s\n", path.c_str());
    std::fflush(stdout);
}

void OnPresent() {
    const DXUTCommandLineSwitches& switches = DXUTGetCommandLineSwitches();
    const int frame = ++g_framework.framesPresented;
    const bool last = switches.quitAfterFrame > 0 && frame == switches.quitAfterFrame;
    if (!switches.screenshot.empty() && (switches.quitAfterFrame == 0 || last)) {
        if (CaptureFrame(g_framework.device) && last) WriteScreenshot();
    }
    if (last) PostQuitMessage(0);
}

void ReleaseDevice() {
    if (!g_framework.device) return;
    const std::wstring& file = DXUTGetCommandLineSwitches().screenshot;
    if (g_framework.shotPending)
        WriteScreenshot();
    else if (!file.empty() && !g_framework.shotWritten)
        std::fprintf(stderr, "DXUT: no screenshot was written to %s: the frame to save was never presented\n",
                     WideToUtf8(file).c_str());
    orv::d3d9::SetPresentHook(g_framework.device, {});
    g_framework.device->Release();
    g_framework.device = nullptr;
    g_framework.framesPresented = 0;
}

}  // namespace

HRESULT WINAPI DXUTSetWindow(HWND hWndFocus, HWND hWndDeviceFullScreen, HWND hWndDeviceWindowed, bool) {
    if (!hWndFocus || !IsWindow(hWndFocus)) return E_INVALIDARG;
    g_framework.focus = hWndFocus;
    g_framework.fullScreenWindow = hWndDeviceFullScreen ? hWndDeviceFullScreen : hWndFocus;
    g_framework.windowedWindow = hWndDeviceWindowed ? hWndDeviceWindowed : hWndFocus;
    return S_OK;
}

HRESULT WINAPI DXUTCreateDeviceFromSettings(DXUTDeviceSettings* settings, bool, bool) {
    if (!settings) return E_INVALIDARG;
    ReleaseDevice();
    if (!g_framework.d3d) g_framework.d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (!g_framework.d3d) {
        std::fprintf(stderr, "DXUT: Direct3D could not be created\n");
        return E_FAIL;
    }
    D3DPRESENT_PARAMETERS pp = settings->pp;
    if (!pp.hDeviceWindow) pp.hDeviceWindow = pp.Windowed ? g_framework.windowedWindow : g_framework.fullScreenWindow;
    HWND focus = g_framework.focus ? g_framework.focus : pp.hDeviceWindow;
    IDirect3DDevice9* device = nullptr;
    const HRESULT hr = g_framework.d3d->CreateDevice(settings->AdapterOrdinal, settings->DeviceType, focus,
                                                     settings->BehaviorFlags, &pp, &device);
    if (FAILED(hr) || !device) {
        std::fprintf(stderr, "DXUT: the device could not be created (hr=0x%08X)\n", static_cast<unsigned>(hr));
        return FAILED(hr) ? hr : E_FAIL;
    }
    g_framework.device = device;
    g_framework.framesPresented = 0;
    g_framework.shotWritten = false;
    const DXUTCommandLineSwitches& switches = DXUTGetCommandLineSwitches();
    if (switches.quitAfterFrame > 0 || !switches.screenshot.empty()) orv::d3d9::SetPresentHook(device, OnPresent);
    return S_OK;
}

IDirect3DDevice9* WINAPI DXUTGetD3D9Device() { return g_framework.device; }

void WINAPI DXUTShutdown(int) {
    ReleaseDevice();
    if (g_framework.d3d) {
        g_framework.d3d->Release();
        g_framework.d3d = nullptr;
    }
    g_framework.focus = g_framework.fullScreenWindow = g_framework.windowedWindow = nullptr;
}
