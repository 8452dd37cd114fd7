// Window classes and windows: the layer's record of each window and the calls
// that read or change it. Messages a call causes are sent to the procedure
// before the call returns; the same changes reported by SDL events are posted.
#include "platform/win32/window_internal.h"

#include "platform/win32/services.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace {

using orv::win32::detail::EnsureVideo;
using orv::win32::detail::HeadlessVideo;

enum class ShowState { Normal, Minimized, Maximized };

struct ClassRecord {
    ATOM atom = 0;
    WNDPROC proc = nullptr;
};

struct WindowRecord {
    SDL_Window* sdl = nullptr;
    Uint32 sdlId = 0;
    WNDPROC proc = nullptr;
    ATOM atom = 0;
    std::wstring title;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0;  // outer top-left, screen coordinates
    int y = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    ShowState state = ShowState::Normal;
    bool visible = false;
    bool active = false;
    bool activateOnRestore = false;  // focus came while minimised
    bool destroying = false;
};

struct Registry {
    // Recursive: a procedure called from one call may call the layer again.
    // The lock is never held while a procedure runs.
    std::recursive_mutex mutex;
    std::map<std::wstring, ClassRecord> classes;
    ATOM nextAtom = 0xC000;
    // Keyed by handle value; handles only grow, so the order is oldest first.
    std::map<uintptr_t, std::unique_ptr<WindowRecord>> windows;
    uintptr_t nextHandle = 0x10000;
    int cursorCount = 0;
    // SDL windows of destroyed windows that a GL context was still current on.
    std::vector<SDL_Window*> parked;
};

// Never destroyed: windows may still be torn down by other static destructors.
Registry& Reg() {
    static Registry& registry = *new Registry;
    return registry;
}

std::unique_lock<std::recursive_mutex> Lock() { return std::unique_lock<std::recursive_mutex>(Reg().mutex); }

// Caller holds the lock.
WindowRecord* Find(HWND hwnd) {
    auto it = Reg().windows.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == Reg().windows.end() ? nullptr : it->second.get();
}

HWND HandleOf(uintptr_t key) { return reinterpret_cast<HWND>(key); }

// Frame widths on each side for a style (left, top, right, bottom).
RECT FrameOf(DWORD style) {
    LONG side = 0;
    if (style & WS_THICKFRAME)
        side = 8;
    else if (style & WS_DLGFRAME)
        side = 3;
    else if (style & WS_BORDER)
        side = 1;
    const LONG caption = ((style & WS_CAPTION) == WS_CAPTION) ? 23 : 0;
    return RECT{side, side + caption, side, side};
}

RECT OuterRect(const WindowRecord& w) {
    const RECT f = FrameOf(w.style);
    return RECT{w.x, w.y, w.x + f.left + w.clientWidth + f.right, w.y + f.top + w.clientHeight + f.bottom};
}

WPARAM SizeKind(ShowState state) {
    switch (state) {
        case ShowState::Minimized: return SIZE_MINIMIZED;
        case ShowState::Maximized: return SIZE_MAXIMIZED;
        default: return SIZE_RESTORED;
    }
}

LPARAM SizeParam(ShowState state, int width, int height) {
    return state == ShowState::Minimized ? 0 : MAKELPARAM(width, height);
}

void Deliver(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool send) {
    if (send)
        SendMessageW(hwnd, msg, wParam, lParam);
    else
        PostMessageW(hwnd, msg, wParam, lParam);
}

WPARAM ActivateParam(bool active, bool minimized) {
    return static_cast<WPARAM>(static_cast<DWORD>(MAKELONG(active ? WA_ACTIVE : WA_INACTIVE, minimized ? 1 : 0)));
}

// Records the window's focus and tells its procedure. A window that gains the
// focus while minimised hears of it when it is restored, so that a procedure
// ignoring activations flagged as minimised still sees the window come back.
void SetActive(HWND hwnd, bool active, bool send) {
    bool minimized = false;
    {
        auto lock = Lock();
        WindowRecord* w = Find(hwnd);
        if (!w) return;
        minimized = w->state == ShowState::Minimized;
        w->activateOnRestore = active && minimized;
        if (w->activateOnRestore || w->active == active) return;
        w->active = active;
    }
    Deliver(hwnd, WM_ACTIVATE, ActivateParam(active, minimized), 0, send);
}

// With no window manager a shown window is the active one, and only one
// window is active at a time.
void ActivateHeadless(HWND hwnd, bool send) {
    std::vector<HWND> others;
    {
        auto lock = Lock();
        for (auto& [key, w] : Reg().windows)
            if (HandleOf(key) != hwnd && w->active) others.push_back(HandleOf(key));
    }
    for (HWND other : others) SetActive(other, false, send);
    SetActive(hwnd, true, send);
}

void ChangeState(HWND hwnd, ShowState state, bool send) {
    ShowState old;
    int width, height;
    bool activate;
    {
        auto lock = Lock();
        WindowRecord* w = Find(hwnd);
        if (!w || w->state == state) return;
        old = w->state;
        w->state = state;
        width = w->clientWidth;
        height = w->clientHeight;
        activate = w->activateOnRestore;
        w->activateOnRestore = false;
    }
    Deliver(hwnd, WM_SIZE, SizeKind(state), SizeParam(state, width, height), send);
    const bool headless = HeadlessVideo();
    if (state == ShowState::Minimized) {
        if (headless) SetActive(hwnd, false, send);
    } else if (old == ShowState::Minimized) {
        if (headless)
            ActivateHeadless(hwnd, send);
        else if (activate)
            SetActive(hwnd, true, send);
    }
}

void SetGlAttributes() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
}

// A window closed by the user goes away while the device still draws to it
// and its GL context is current on it: the SDL window is kept, hidden, until
// the context lets go, so the device never works on a freed window.
void DestroySdlWindow(SDL_Window* sdl) {
    if (SDL_GL_GetCurrentWindow() == sdl) {
        SDL_HideWindow(sdl);
        auto lock = Lock();
        Reg().parked.push_back(sdl);
        return;
    }
    SDL_DestroyWindow(sdl);
}

void ApplyCursor() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(Reg().cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
}

bool IsAtom(LPCWSTR name) { return IS_INTRESOURCE(name); }

}  // namespace

namespace orv::win32 {

SDL_Window* SdlWindowOf(HWND hwnd) {
    auto lock = Lock();
    WindowRecord* w = Find(hwnd);
    return w ? w->sdl : nullptr;
}

namespace detail {

bool EnsureVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_WasInit(SDL_INIT_EVENTS)) return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        static bool reported = false;
        if (!reported) std::fprintf(stderr, "window: SDL video could not start: %s\n", SDL_GetError());
        reported = true;
        return false;
    }
    auto lock = Lock();
    ApplyCursor();
    return true;
}

void FreeParkedWindows() {
    std::vector<SDL_Window*> free;
    {
        auto lock = Lock();
        auto& parked = Reg().parked;
        if (parked.empty()) return;
        SDL_Window* current = SDL_GL_GetCurrentWindow();
        for (auto it = parked.begin(); it != parked.end();) {
            if (*it == current) {
                ++it;
            } else {
                free.push_back(*it);
                it = parked.erase(it);
            }
        }
    }
    for (SDL_Window* sdl : free) SDL_DestroyWindow(sdl);
}

bool HeadlessVideo() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return !driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
}

HWND WindowForEvent(Uint32 sdlWindowId) {
    auto lock = Lock();
    HWND oldest = nullptr;
    for (auto& [key, w] : Reg().windows) {
        if (w->destroying) continue;
        if (sdlWindowId != 0) {
            if (w->sdlId == sdlWindowId) return HandleOf(key);
            continue;
        }
        if (w->active) return HandleOf(key);
        if (!oldest) oldest = HandleOf(key);
    }
    return sdlWindowId != 0 ? nullptr : oldest;
}

void HandleWindowEvent(const SDL_Event& event) {
    if (event.type == SDL_QUIT) {
        // The application-wide quit closes every window, as their close boxes would.
        std::vector<HWND> all;
        {
            auto lock = Lock();
            for (auto& [key, w] : Reg().windows)
                if (!w->destroying) all.push_back(HandleOf(key));
        }
        for (HWND hwnd : all)
            if (!IsMessageQueued(hwnd, WM_CLOSE)) PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return;
    }
    if (event.type != SDL_WINDOWEVENT || event.window.windowID == 0) return;
    const HWND hwnd = WindowForEvent(event.window.windowID);
    if (!hwnd) return;
    switch (event.window.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_RESIZED: {
            const int width = std::max(0, event.window.data1);
            const int height = std::max(0, event.window.data2);
            bool changed = false;
            ShowState state;
            SDL_Window* sdl;
            {
                auto lock = Lock();
                WindowRecord* w = Find(hwnd);
                if (!w) return;
                changed = w->clientWidth != width || w->clientHeight != height;
                w->clientWidth = width;
                w->clientHeight = height;
                state = w->state;
                sdl = w->sdl;
            }
            // A window manager may report the new size before it reports
            // maximising or restoring: take the state SDL already knows.
            if (!HeadlessVideo() && sdl && state != ShowState::Minimized) {
                const bool maximized = (SDL_GetWindowFlags(sdl) & SDL_WINDOW_MAXIMIZED) != 0;
                if (maximized != (state == ShowState::Maximized)) {
                    ChangeState(hwnd, maximized ? ShowState::Maximized : ShowState::Normal, false);
                    return;
                }
            }
            if (changed && state != ShowState::Minimized)
                PostMessageW(hwnd, WM_SIZE, SizeKind(state), SizeParam(state, width, height));
            return;
        }
        case SDL_WINDOWEVENT_MINIMIZED: ChangeState(hwnd, ShowState::Minimized, false); return;
        case SDL_WINDOWEVENT_MAXIMIZED: ChangeState(hwnd, ShowState::Maximized, false); return;
        case SDL_WINDOWEVENT_RESTORED: ChangeState(hwnd, ShowState::Normal, false); return;
        case SDL_WINDOWEVENT_FOCUS_GAINED: SetActive(hwnd, true, false); return;
        case SDL_WINDOWEVENT_FOCUS_LOST: SetActive(hwnd, false, false); return;
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_HIDDEN: {
            auto lock = Lock();
            if (WindowRecord* w = Find(hwnd)) w->visible = event.window.event == SDL_WINDOWEVENT_SHOWN;
            return;
        }
        case SDL_WINDOWEVENT_CLOSE: PostMessageW(hwnd, WM_CLOSE, 0, 0); return;
        default: return;
    }
}

}  // namespace detail
}  // namespace orv::win32

ATOM RegisterClassExW(const WNDCLASSEXW* wc) {
    if (!wc || wc->cbSize != sizeof(WNDCLASSEXW) || !wc->lpfnWndProc || !wc->lpszClassName ||
        IsAtom(wc->lpszClassName) || !wc->lpszClassName[0])
        return 0;
    auto lock = Lock();
    auto it = Reg().classes.find(wc->lpszClassName);
    if (it != Reg().classes.end()) return it->second.proc == wc->lpfnWndProc ? it->second.atom : 0;
    ClassRecord record;
    record.atom = Reg().nextAtom++;
    record.proc = wc->lpfnWndProc;
    Reg().classes.emplace(wc->lpszClassName, record);
    return record.atom;
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE) {
    if (!className) return FALSE;
    auto lock = Lock();
    auto it = Reg().classes.end();
    if (IsAtom(className)) {
        const ATOM atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(className));
        it = std::find_if(Reg().classes.begin(), Reg().classes.end(),
                          [atom](const auto& entry) { return entry.second.atom == atom; });
    } else {
        it = Reg().classes.find(className);
    }
    if (it == Reg().classes.end()) return FALSE;
    for (auto& [key, w] : Reg().windows)
        if (w->atom == it->second.atom) return FALSE;  // still in use, as on Windows
    Reg().classes.erase(it);
    return TRUE;
}

int GetSystemMetrics(int index) {
    if (index != SM_CXSCREEN && index != SM_CYSCREEN) return 0;
    SDL_DisplayMode mode{};
    if (!EnsureVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0 || mode.w <= 0 || mode.h <= 0) {
        mode.w = 1920;
        mode.h = 1080;
    }
    return index == SM_CXSCREEN ? mode.w : mode.h;
}

BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL) {
    if (!rect) return FALSE;
    const RECT f = FrameOf(style);
    rect->left -= f.left;
    rect->top -= f.top;
    rect->right += f.right;
    rect->bottom += f.bottom;
    return TRUE;
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    if (!className) return nullptr;
    WNDPROC proc = nullptr;
    ATOM atom = 0;
    {
        auto lock = Lock();
        for (auto& [name, record] : Reg().classes) {
            const bool match = IsAtom(className)
                                   ? record.atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(className))
                                   : name == className;
            if (match) {
                proc = record.proc;
                atom = record.atom;
                break;
            }
        }
    }
    if (!proc || !EnsureVideo()) return nullptr;

    const bool showNow = (style & WS_VISIBLE) != 0;
    style &= ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
    const RECT f = FrameOf(style);
    if (width == CW_USEDEFAULT) {
        width = GetSystemMetrics(SM_CXSCREEN) * 3 / 4;
        height = GetSystemMetrics(SM_CYSCREEN) * 3 / 4;
    }
    if (x == CW_USEDEFAULT) {
        x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    }
    const int clientWidth = std::max(0, width - f.left - f.right);
    const int clientHeight = std::max(0, height - f.top - f.bottom);

    SetGlAttributes();
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL;
    if (style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
    if ((style & WS_CAPTION) != WS_CAPTION) flags |= SDL_WINDOW_BORDERLESS;
    const std::string title = WideToUtf8(windowName ? windowName : L"");
    const int sdlWidth = std::max(1, clientWidth), sdlHeight = std::max(1, clientHeight);
    SDL_Window* sdl = SDL_CreateWindow(title.c_str(), x + f.left, y + f.top, sdlWidth, sdlHeight, flags);
    if (!sdl)  // a driver without GL (dummy) still gets its window; the device then reports no context
        sdl = SDL_CreateWindow(title.c_str(), x + f.left, y + f.top, sdlWidth, sdlHeight, flags & ~SDL_WINDOW_OPENGL);
    if (!sdl) {
        std::fprintf(stderr, "window: SDL window could not be created: %s\n", SDL_GetError());
        return nullptr;
    }

    HWND hwnd;
    {
        auto lock = Lock();
        auto record = std::make_unique<WindowRecord>();
        record->sdl = sdl;
        record->sdlId = SDL_GetWindowID(sdl);
        record->proc = proc;
        record->atom = atom;
        record->title = windowName ? windowName : L"";
        record->style = style;
        record->exStyle = exStyle;
        record->x = x;
        record->y = y;
        record->clientWidth = clientWidth;
        record->clientHeight = clientHeight;
        const uintptr_t key = Reg().nextHandle;
        Reg().nextHandle += 4;
        Reg().windows.emplace(key, std::move(record));
        hwnd = HandleOf(key);
    }

    CREATESTRUCTW cs{};
    cs.lpCreateParams = param;
    cs.hInstance = instance;
    cs.hMenu = menu;
    cs.hwndParent = parent;
    cs.cx = width;
    cs.cy = height;
    cs.x = x;
    cs.y = y;
    cs.style = static_cast<LONG>(style);
    cs.lpszName = windowName;
    cs.lpszClass = className;
    cs.dwExStyle = exStyle;
    if (SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    // Windows reports the first size before CreateWindowEx returns; SDL does not.
    if (IsWindow(hwnd)) SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(clientWidth, clientHeight));
    if (showNow && IsWindow(hwnd)) ShowWindow(hwnd, SW_SHOW);
    return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
    {
        auto lock = Lock();
        WindowRecord* w = Find(hwnd);
        if (!w || w->destroying) return FALSE;
        w->destroying = true;
    }
    SendMessageW(hwnd, WM_DESTROY, 0, 0);
    orv::win32::detail::PurgeMessages(hwnd);
    std::unique_ptr<WindowRecord> record;
    {
        auto lock = Lock();
        auto it = Reg().windows.find(reinterpret_cast<uintptr_t>(hwnd));
        if (it == Reg().windows.end()) return FALSE;
        record = std::move(it->second);
        Reg().windows.erase(it);
    }
    orv::win32::detail::FreeParkedWindows();
    if (record->sdl) DestroySdlWindow(record->sdl);
    return TRUE;
}

BOOL IsWindow(HWND hwnd) {
    auto lock = Lock();
    return Find(hwnd) != nullptr;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
    auto lock = Lock();
    const WindowRecord* w = Find(hwnd);
    if (!w || !rect) return FALSE;
    *rect = OuterRect(*w);
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
    auto lock = Lock();
    const WindowRecord* w = Find(hwnd);
    if (!w || !rect) return FALSE;
    *rect = RECT{0, 0, w->clientWidth, w->clientHeight};
    return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags) {
    bool resized = false;
    ShowState state;
    int width, height;
    SDL_Window* sdl;
    RECT f;
    {
        auto lock = Lock();
        WindowRecord* w = Find(hwnd);
        if (!w) return FALSE;
        f = FrameOf(w->style);
        sdl = w->sdl;
        if (!(flags & SWP_NOMOVE)) {
            w->x = x;
            w->y = y;
        }
        if (!(flags & SWP_NOSIZE)) {
            const int newWidth = std::max(0, cx - static_cast<int>(f.left + f.right));
            const int newHeight = std::max(0, cy - static_cast<int>(f.top + f.bottom));
            resized = newWidth != w->clientWidth || newHeight != w->clientHeight;
            w->clientWidth = newWidth;
            w->clientHeight = newHeight;
        }
        state = w->state;
        width = w->clientWidth;
        height = w->clientHeight;
        x = w->x;
        y = w->y;
    }
    if (!(flags & SWP_NOMOVE)) SDL_SetWindowPosition(sdl, x + f.left, y + f.top);
    if (resized) {
        SDL_SetWindowSize(sdl, std::max(1, width), std::max(1, height));
        if (state != ShowState::Minimized) SendMessageW(hwnd, WM_SIZE, SizeKind(state), MAKELPARAM(width, height));
    }
    if (flags & SWP_SHOWWINDOW)
        ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    else if (flags & SWP_HIDEWINDOW)
        ShowWindow(hwnd, SW_HIDE);
    return TRUE;
}

BOOL ShowWindow(HWND hwnd, int cmdShow) {
    bool wasVisible;
    SDL_Window* sdl;
    {
        auto lock = Lock();
        WindowRecord* w = Find(hwnd);
        if (!w) return FALSE;
        wasVisible = w->visible;
        sdl = w->sdl;
        w->visible = cmdShow != SW_HIDE;
    }
    const bool headless = HeadlessVideo();
    if (cmdShow == SW_HIDE) {
        if (wasVisible) SDL_HideWindow(sdl);
        if (headless) SetActive(hwnd, false, true);
        return wasVisible;
    }
    if (!wasVisible) SDL_ShowWindow(sdl);
    bool activate = true;
    switch (cmdShow) {
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
        case SW_SHOWMINNOACTIVE:
        case SW_FORCEMINIMIZE:
            SDL_MinimizeWindow(sdl);
            ChangeState(hwnd, ShowState::Minimized, true);
            return wasVisible;
        case SW_SHOWMAXIMIZED:
            SDL_MaximizeWindow(sdl);
            ChangeState(hwnd, ShowState::Maximized, true);
            break;
        case SW_SHOWNOACTIVATE:
            activate = false;
            [[fallthrough]];
        case SW_SHOWNORMAL:
        case SW_RESTORE:
            SDL_RestoreWindow(sdl);
            ChangeState(hwnd, ShowState::Normal, true);
            break;
        case SW_SHOWNA:
            activate = false;
            break;
        default:  // SW_SHOW, SW_SHOWDEFAULT: keep the current state
            break;
    }
    if (activate && headless && IsWindow(hwnd)) ActivateHeadless(hwnd, true);
    return wasVisible;
}

BOOL ValidateRect(HWND hwnd, const RECT*) { return hwnd == nullptr || IsWindow(hwnd); }

BOOL UpdateWindow(HWND hwnd) { return IsWindow(hwnd); }

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
    SDL_Window* sdl;
    {
        auto lock = Lock();
        WindowRecord* w = Find(hwnd);
        if (!w) return FALSE;
        w->title = text ? text : L"";
        sdl = w->sdl;
    }
    SDL_SetWindowTitle(sdl, WideToUtf8(text ? text : L"").c_str());
    return TRUE;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount) {
    if (!buffer || maxCount <= 0) return 0;
    auto lock = Lock();
    const WindowRecord* w = Find(hwnd);
    if (!w) {
        buffer[0] = L'\0';
        return 0;
    }
    const int count = std::min(static_cast<int>(w->title.size()), maxCount - 1);
    std::copy_n(w->title.data(), count, buffer);
    buffer[count] = L'\0';
    return count;
}

BOOL GetWindowInfo(HWND hwnd, WINDOWINFO* info) {
    auto lock = Lock();
    const WindowRecord* w = Find(hwnd);
    if (!w || !info) return FALSE;
    const RECT f = FrameOf(w->style);
    *info = WINDOWINFO{};
    info->cbSize = sizeof(WINDOWINFO);
    info->rcWindow = OuterRect(*w);
    info->rcClient = RECT{w->x + f.left, w->y + f.top, w->x + f.left + w->clientWidth, w->y + f.top + w->clientHeight};
    info->dwStyle = w->style | (w->visible ? WS_VISIBLE : 0u) |
                    (w->state == ShowState::Minimized ? WS_MINIMIZE : 0u) |
                    (w->state == ShowState::Maximized ? WS_MAXIMIZE : 0u);
    info->dwExStyle = w->exStyle;
    info->dwWindowStatus = w->active ? WS_ACTIVECAPTION : 0u;
    info->cxWindowBorders = static_cast<UINT>(f.left);
    info->cyWindowBorders = static_cast<UINT>(f.bottom);
    info->atomWindowType = w->atom;
    return TRUE;
}

BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement) {
    auto lock = Lock();
    const WindowRecord* w = Find(hwnd);
    if (!w || !placement) return FALSE;
    *placement = WINDOWPLACEMENT{};
    placement->length = sizeof(WINDOWPLACEMENT);
    if (!w->visible)
        placement->showCmd = SW_HIDE;
    else if (w->state == ShowState::Minimized)
        placement->showCmd = SW_SHOWMINIMIZED;
    else if (w->state == ShowState::Maximized)
        placement->showCmd = SW_SHOWMAXIMIZED;
    else
        placement->showCmd = SW_SHOWNORMAL;
    placement->ptMinPosition = POINT{-1, -1};
    placement->ptMaxPosition = POINT{-1, -1};
    placement->rcNormalPosition = OuterRect(*w);
    return TRUE;
}

int ShowCursor(BOOL show) {
    auto lock = Lock();
    Reg().cursorCount += show ? 1 : -1;
    ApplyCursor();
    return Reg().cursorCount;
}

HANDLE LoadImageW(HINSTANCE, LPCWSTR name, UINT type, int, int, UINT) {
    static int tokens[3];
    if (!name || type > IMAGE_CURSOR) return nullptr;
    return &tokens[type];
}

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
    return static_cast<HCURSOR>(LoadImageW(instance, name, IMAGE_CURSOR, 0, 0, LR_SHARED));
}

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
    return static_cast<HICON>(LoadImageW(instance, name, IMAGE_ICON, 0, 0, LR_SHARED));
}

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_CLOSE) DestroyWindow(hwnd);
    return 0;
}

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc;
    {
        auto lock = Lock();
        const WindowRecord* w = Find(hwnd);
        if (!w) return 0;
        proc = w->proc;
    }
    return proc(hwnd, msg, wParam, lParam);
}
