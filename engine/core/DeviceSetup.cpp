#include "engine/core/DeviceSetup.h"

#include "engine/core/AreaPos.h"
#include "engine/core/Environment.h"
#include "engine/core/MessageTable.h"
#include "engine/core/SceneBase.h"
#include "platform/dxut/dxut.h"

namespace Quorvex {

namespace {

constexpr D3DFORMAT kDisplayFormats[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A1R5G5B5, D3DFMT_X1R5G5B5,
                                         D3DFMT_R5G6B5};
constexpr D3DFORMAT kDepthFormats[] = {D3DFMT_D32, D3DFMT_D24S8, D3DFMT_D24X8, D3DFMT_D24X4S4, D3DFMT_D16,
                                       D3DFMT_D15S1};
constexpr int kIconResource = 101;

}  // namespace

ATOM RegisterMainWindowClass(HINSTANCE instance, WNDPROC windowProc, const wchar_t* className) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hIcon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, 64, 64, LR_DEFAULTCOLOR));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    return RegisterClassExW(&wc);
}

bool CreateMainWindow(SceneBase* scene, HINSTANCE instance, int showCmd, const wchar_t* className,
                      const wchar_t* title, int width, int height, bool fullScreen) {
    WindowRecord* record = scene ? scene->m_pWindowRecord : nullptr;
    if (!record) return false;
    HWND window = nullptr;
    if (fullScreen) {
        window = CreateWindowExW(0, className, title, WS_POPUP, 0, 0, width, height, nullptr, nullptr, instance,
                                 nullptr);
        if (!window) return false;
    } else {
        const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
        window = CreateWindowExW(0, className, title, WS_OVERLAPPEDWINDOW, x, y, CW_USEDEFAULT, CW_USEDEFAULT,
                                 nullptr, nullptr, instance, nullptr);
        if (!window) return false;
        RECT windowRect{}, clientRect{};
        GetWindowRect(window, &windowRect);
        GetClientRect(window, &clientRect);
        record->borderWidth = (windowRect.right - windowRect.left) - (clientRect.right - clientRect.left);
        record->borderHeight = (windowRect.bottom - windowRect.top) - (clientRect.bottom - clientRect.top);
        SetWindowPos(window, nullptr, x, y, width + record->borderWidth, height + record->borderHeight,
                     SWP_NOZORDER | SWP_SHOWWINDOW);
    }
    // Stored only now: the window procedure takes the size reference from the
    // size messages that arrive while the record has no window yet.
    record->window = window;
    ShowWindow(window, showCmd);
    ValidateRect(window, nullptr);
    return true;
}

int ProbeFormats(SceneBase* scene, D3DFORMAT* depthFormat, D3DFORMAT* displayFormat,
                 D3DFORMAT* renderTargetFormat) {
    IDirect3D9* direct3D = scene ? scene->m_pDirect3D : nullptr;
    if (!direct3D) return -1;
    bool found = false;
    for (D3DFORMAT display : kDisplayFormats) {
        for (D3DFORMAT depth : kDepthFormats) {
            if (SUCCEEDED(direct3D->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, display,
                                                      D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, depth))) {
                *displayFormat = display;
                *depthFormat = depth;
                found = true;
                break;
            }
        }
        if (found) break;
    }
    if (!found) return -1;
    for (D3DFORMAT format : kDisplayFormats) {
        if (SUCCEEDED(direct3D->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, *displayFormat,
                                                  D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, format))) {
            *renderTargetFormat = format;
            return 0;
        }
    }
    *renderTargetFormat = D3DFMT_UNKNOWN;
    return -1;
}

int CreateDevice(SceneBase* scene, int width, int height, bool fullScreen) {
    if (!scene || !scene->m_pWindowRecord) return -1;
    if (scene->m_pDirect3D) {
        scene->m_pDirect3D->Release();
        scene->m_pDirect3D = nullptr;
    }
    IDirect3D9* direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!direct3D) throw MessageTable::GetText(8);
    scene->m_pDirect3D = direct3D;  // created with one reference, now the scene's
    scene->m_owned.insert(direct3D);

    D3DFORMAT depth = D3DFMT_UNKNOWN, display = D3DFMT_UNKNOWN, renderTarget = D3DFMT_UNKNOWN;
    if (ProbeFormats(scene, &depth, &display, &renderTarget) < 0) return -1;

    D3DPRESENT_PARAMETERS parameters{};
    parameters.BackBufferWidth = static_cast<UINT>(width);
    parameters.BackBufferHeight = static_cast<UINT>(height);
    parameters.BackBufferFormat = display;
    parameters.BackBufferCount = 1;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.Windowed = fullScreen ? FALSE : TRUE;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = depth;
    parameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;

    DXUTDeviceSettings settings{};
    settings.AdapterOrdinal = D3DADAPTER_DEFAULT;
    settings.DeviceType = D3DDEVTYPE_HAL;
    settings.AdapterFormat = DEFAULTD3DFMT_RENDERTARGET;
    settings.BehaviorFlags = D3DCREATE_HARDWARE_VERTEXPROCESSING;
    settings.pp = parameters;

    if (g_pEnvironment) g_pEnvironment->SetPresentParameters(parameters);
    const HWND window = scene->m_pWindowRecord->window;
    if (FAILED(DXUTSetWindow(window, window, window))) return -1;
    if (FAILED(DXUTCreateDeviceFromSettings(&settings))) return -1;
    scene->m_presentParameters = parameters;
    return 0;
}

}  // namespace Quorvex
