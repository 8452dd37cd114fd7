// The message queue and the pump: SDL events become posted messages when
// PeekMessageW or GetMessageW polls them.
#include "platform/win32/window_internal.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <vector>

namespace {

using orv::win32::SdlWindowOf;
using orv::win32::detail::HandleWindowEvent;
using orv::win32::detail::VirtualKeyOf;
using orv::win32::detail::WindowForEvent;

struct Queue {
    std::mutex mutex;
    std::deque<MSG> messages;
    // WM_QUIT is not queued: like Windows, it comes once the posted messages
    // ahead of it are gone, and only once however often it was asked for.
    bool quit = false;
    int quitCode = 0;
    std::vector<std::function<void(const SDL_Event&)>> watchers;
};

Queue& Q() {
    static Queue& queue = *new Queue;
    return queue;
}

bool Matches(const MSG& m, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (hwnd == reinterpret_cast<HWND>(-1)) {
        if (m.hwnd) return false;
    } else if (hwnd && m.hwnd != hwnd) {
        return false;
    }
    return (filterMin == 0 && filterMax == 0) || (m.message >= filterMin && m.message <= filterMax);
}

bool TakeMessage(MSG* out, HWND hwnd, UINT filterMin, UINT filterMax, bool remove) {
    std::lock_guard<std::mutex> lock(Q().mutex);
    auto& messages = Q().messages;
    auto it = std::find_if(messages.begin(), messages.end(),
                           [&](const MSG& m) { return Matches(m, hwnd, filterMin, filterMax); });
    if (it != messages.end()) {
        *out = *it;
        if (remove) messages.erase(it);
        return true;
    }
    if (!Q().quit) return false;
    if ((filterMin || filterMax) && (WM_QUIT < filterMin || WM_QUIT > filterMax)) return false;
    *out = MSG{};
    out->message = WM_QUIT;
    out->wParam = static_cast<WPARAM>(static_cast<intptr_t>(Q().quitCode));
    out->time = SDL_GetTicks();
    if (remove) Q().quit = false;
    return true;
}

void PostKey(const SDL_KeyboardEvent& key) {
    const HWND hwnd = WindowForEvent(key.windowID);
    const int vk = VirtualKeyOf(key.keysym.sym, key.keysym.scancode);
    if (!hwnd || !vk) return;
    const bool up = key.type == SDL_KEYUP;
    // Repeat count 1; bit 30 = the key was down before; bit 31 = released.
    LPARAM lParam = 1;
    if (up || key.repeat) lParam |= LPARAM(1) << 30;
    if (up) lParam |= LPARAM(1) << 31;
    PostMessageW(hwnd, up ? WM_KEYUP : WM_KEYDOWN, static_cast<WPARAM>(vk), lParam);
}

void PollEvents() {
    if (!SDL_WasInit(SDL_INIT_EVENTS)) return;
    orv::win32::detail::FreeParkedWindows();
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        std::vector<std::function<void(const SDL_Event&)>> watchers;
        {
            std::lock_guard<std::mutex> lock(Q().mutex);
            watchers = Q().watchers;
        }
        for (auto& watch : watchers) watch(event);
        switch (event.type) {
            case SDL_KEYDOWN:
            case SDL_KEYUP: PostKey(event.key); break;
            case SDL_WINDOWEVENT:
            case SDL_QUIT: HandleWindowEvent(event); break;
            default: break;
        }
    }
}

void PushWindowEvent(HWND hwnd, Uint8 kind, int data1 = 0, int data2 = 0) {
    SDL_Window* window = SdlWindowOf(hwnd);
    if (!window) return;
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.timestamp = SDL_GetTicks();
    event.window.windowID = SDL_GetWindowID(window);
    event.window.event = kind;
    event.window.data1 = data1;
    event.window.data2 = data2;
    SDL_PushEvent(&event);
}

void PushKey(HWND hwnd, SDL_Keycode keycode, bool down) {
    if (keycode != SDLK_UNKNOWN) orv::win32::PushKeyEvent(hwnd, keycode, SDL_GetScancodeFromKey(keycode), down);
}

}  // namespace

namespace orv::win32 {

void PushKeyEvent(HWND hwnd, SDL_Keycode key, SDL_Scancode scancode, bool down) {
    SDL_Window* window = SdlWindowOf(hwnd);
    if (!window) return;
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.timestamp = SDL_GetTicks();
    event.key.windowID = SDL_GetWindowID(window);
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = scancode;
    SDL_PushEvent(&event);
}

void AddEventWatcher(std::function<void(const SDL_Event&)> fn) {
    if (!fn) return;
    std::lock_guard<std::mutex> lock(Q().mutex);
    Q().watchers.push_back(std::move(fn));
}

namespace detail {

bool IsMessageQueued(HWND hwnd, UINT message) {
    std::lock_guard<std::mutex> lock(Q().mutex);
    return std::any_of(Q().messages.begin(), Q().messages.end(),
                       [&](const MSG& m) { return m.hwnd == hwnd && m.message == message; });
}

void PurgeMessages(HWND hwnd) {
    std::lock_guard<std::mutex> lock(Q().mutex);
    auto& messages = Q().messages;
    messages.erase(std::remove_if(messages.begin(), messages.end(), [&](const MSG& m) { return m.hwnd == hwnd; }),
                   messages.end());
}

}  // namespace detail

void TestPushResize(HWND hwnd, int clientWidth, int clientHeight) {
    PushWindowEvent(hwnd, SDL_WINDOWEVENT_SIZE_CHANGED, clientWidth, clientHeight);
}
void TestPushMinimize(HWND hwnd) { PushWindowEvent(hwnd, SDL_WINDOWEVENT_MINIMIZED); }
void TestPushMaximize(HWND hwnd) { PushWindowEvent(hwnd, SDL_WINDOWEVENT_MAXIMIZED); }
void TestPushRestore(HWND hwnd) { PushWindowEvent(hwnd, SDL_WINDOWEVENT_RESTORED); }
void TestPushFocus(HWND hwnd, bool gained) {
    PushWindowEvent(hwnd, gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST);
}
void TestPushClose(HWND hwnd) { PushWindowEvent(hwnd, SDL_WINDOWEVENT_CLOSE); }
void TestPushQuit() {
    if (!SDL_WasInit(SDL_INIT_EVENTS)) return;
    SDL_Event event{};
    event.type = SDL_QUIT;
    event.quit.timestamp = SDL_GetTicks();
    SDL_PushEvent(&event);
}
void TestPushKey(HWND hwnd, int vk, bool down) { PushKey(hwnd, detail::KeycodeOfVirtualKey(vk), down); }
void TestPushNamedKey(HWND hwnd, const char* keyName, bool down) {
    if (keyName) PushKey(hwnd, SDL_GetKeyFromName(keyName), down);
}

}  // namespace orv::win32

BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
    if (!msg) return FALSE;
    const bool remove = (removeMsg & PM_REMOVE) != 0;
    if (TakeMessage(msg, hwnd, filterMin, filterMax, remove)) return TRUE;
    PollEvents();
    return TakeMessage(msg, hwnd, filterMin, filterMax, remove) ? TRUE : FALSE;
}

BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (!msg) return FALSE;
    while (!PeekMessageW(msg, hwnd, filterMin, filterMax, PM_REMOVE)) {
        // Wake for SDL events at once and for messages posted from other threads soon.
        if (SDL_WasInit(SDL_INIT_EVENTS))
            SDL_WaitEventTimeout(nullptr, 10);
        else
            SDL_Delay(10);
    }
    return msg->message != WM_QUIT;
}

BOOL TranslateMessage(const MSG* msg) {
    // No character messages are made; the answer is Windows' for key messages.
    return msg && (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP);
}

LRESULT DispatchMessageW(const MSG* msg) {
    if (!msg || !msg->hwnd) return 0;
    return SendMessageW(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd && !IsWindow(hwnd)) return FALSE;
    MSG m{};
    m.hwnd = hwnd;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = SDL_GetTicks();
    std::lock_guard<std::mutex> lock(Q().mutex);
    Q().messages.push_back(m);
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    std::lock_guard<std::mutex> lock(Q().mutex);
    Q().quit = true;
    Q().quitCode = exitCode;
}
