#include "engine/core/WinMain.h"

#include <clocale>
#include <optional>

#include "engine/core/AreaPos.h"
#include "engine/core/DeviceSetup.h"
#include "engine/core/Environment.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/MessageTable.h"
#include "engine/core/SceneBase.h"
#include "platform/win32/phase_timer.h"

namespace Quorvex {

namespace {

constexpr const wchar_t* kMainSource = L"Main";

SceneBase* g_pRootScene = nullptr;

// What the window procedure keeps to hold the client area at one aspect
// ratio: taken from the window's first size, kept for the whole run.
struct ResizeReference {
    int firstWindowWidth = -1;  // -1 until the reference is taken
    int firstWindowHeight = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    int borderWidth = 0;
    int borderHeight = 0;
    float ratio = 0.0f;  // client height / client width
};
ResizeReference g_resize;

WindowRecord* RootWindowRecord() { return g_pRootScene ? g_pRootScene->GetWindowRecord() : nullptr; }

void TakeResizeReference(HWND window, int clientWidth, int clientHeight) {
    RECT rect{};
    GetWindowRect(window, &rect);
    g_resize.firstWindowWidth = rect.right - rect.left;
    g_resize.firstWindowHeight = rect.bottom - rect.top;
    g_resize.clientWidth = clientWidth;
    g_resize.clientHeight = clientHeight;
    g_resize.borderWidth = g_resize.firstWindowWidth - clientWidth;
    g_resize.borderHeight = g_resize.firstWindowHeight - clientHeight;
    g_resize.ratio = static_cast<float>(clientHeight) / static_cast<float>(clientWidth);
}

LRESULT OnSize(HWND window, WPARAM wParam, LPARAM lParam) {
    int width = LOWORD(lParam);
    int height = HIWORD(lParam);
    // The window is created at a default size and only then given its
    // requested client size: the reference follows every size it gets until
    // the main window is stored, so the ratio is the requested one.
    const WindowRecord* record = RootWindowRecord();
    const bool creating = !record || !record->window;
    if ((g_resize.firstWindowWidth == -1 || creating) && width > 0 && height > 0)
        TakeResizeReference(window, width, height);
    if (wParam != SIZE_RESTORED) return 0;  // maximise and minimise stay uncorrected
    if (!(g_resize.ratio > 0.0f)) return 0;
    if (width == g_resize.clientWidth) {
        if (height != g_resize.clientHeight) {
            g_resize.clientHeight = height;
            width = static_cast<int>(static_cast<float>(height) / g_resize.ratio);
            g_resize.clientWidth = width;
        }
    } else {
        // The width wins when both changed.
        g_resize.clientWidth = width;
        height = static_cast<int>(static_cast<float>(width) * g_resize.ratio);
        g_resize.clientHeight = height;
    }
    if (g_pRootScene && record && record->window)
        SetWindowPos(record->window, nullptr, 0, 0, g_resize.clientWidth + g_resize.borderWidth,
                     g_resize.clientHeight + g_resize.borderHeight, SWP_NOMOVE | SWP_NOZORDER);
    return 0;
}

// The pump's test for a window that runs no frames.
bool IsWindowAsleep(HWND window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    GetWindowPlacement(window, &placement);
    switch (placement.showCmd) {
        case SW_HIDE:
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
        case SW_SHOWMINNOACTIVE:
            return true;
        default:
            return false;
    }
}

}  // namespace

SceneBase* GetRootScene() { return g_pRootScene; }

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_pRootScene && g_pRootScene->MsgProc(window, message, wParam, lParam)) return 0;
    switch (message) {
        case WM_CREATE:
        case WM_KEYUP:
            return 0;
        case WM_SIZE:
            return OnSize(window, wParam, lParam);
        case WM_ACTIVATE:
            if (g_pEnvironment) {
                // The whole wParam: a minimised window's high word leaves the flag.
                if (wParam == WA_INACTIVE)
                    g_pEnvironment->SetWindowActive(false);
                else if (wParam == WA_ACTIVE || wParam == WA_CLICKACTIVE)
                    g_pEnvironment->SetWindowActive(true);
            }
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) PostQuitMessage(0);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

int RunWinMain(SceneBase* (*createRoot)(), HINSTANCE instance, HINSTANCE prevInstance, LPWSTR cmdLine,
               int showCmd) {
    MessageLogManager& log = MessageLogManager::Instance();
    MSG taken{};  // the last message the pump took
    // A run that failed must not report success to a script or a shell.
    bool failed = false;
    try {
        _wsetlocale(LC_ALL, L"japanese");
        MessageTable::Build();
        log.Open(L"MsgLog.txt");
        log.SetConsoleEcho(false);
        if (SetupWorldExtents() < 0) throw MessageTable::GetText(44);
        MessageTable::Log(45, kMainSource);

        WinMainParam start;
        start.instance = instance;
        start.prevInstance = prevInstance;
        start.commandLine = cmdLine;
        start.showCmd = showCmd;
        start.wndProc = WndProc;
        g_pEnvironment->SetWinMainParam(start);

        SceneBase* root = createRoot ? createRoot() : nullptr;
        if (!root) throw MessageTable::GetText(48);
        g_pRootScene = root;
        root->AddRef();
        if (root->Initialize(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) < 0)
            throw MessageTable::GetText(12);

        for (bool framed = false;;) {
            MSG msg{};
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                taken = msg;
                if (msg.message == WM_QUIT) break;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
                continue;
            }
            const WindowRecord* record = RootWindowRecord();
            if (!record || IsWindowAsleep(record->window)) {
                // Nothing to draw: give the processor away instead of spinning.
                Sleep(1);
                continue;
            }
            std::optional<orv::PhaseTimer> firstFrame;
            if (!framed) firstFrame.emplace(orv::Phase::FirstFrame);
            g_pRootScene->Frame();
            framed = true;
        }
    } catch (const wchar_t* text) {
        log.Log(kMainSource, text);
        failed = true;
    } catch (...) {
        MessageTable::Log(1, kMainSource);
        failed = true;
    }

    if (g_pEnvironment) g_pEnvironment->SetExitFlag(true);
    if (SceneBase* root = g_pRootScene) {
        g_pRootScene = nullptr;
        root->Release();
    }
    if (Environment* environment = g_pEnvironment) {
        g_pEnvironment = nullptr;
        environment->Release();
    }
    if (log.IsConsoleEcho()) FreeConsole();
    return failed ? 1 : static_cast<int>(taken.wParam);
}

}  // namespace Quorvex

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE prevInstance, LPWSTR cmdLine, int showCmd) {
    return Quorvex::RunWinMain(CreateRootScene, instance, prevInstance, cmdLine, showCmd);
}
