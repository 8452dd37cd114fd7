// Message boxes: a real one on a desktop, a line on standard error without one
// (tests, servers), so that a report is never lost and never blocks.
#include "platform/win32/window_internal.h"

#include "platform/win32/services.h"

#include <cstdlib>
#include <cstring>

namespace {

bool HasDesktop() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return !orv::win32::detail::HeadlessVideo();
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) return false;
    return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
}

}  // namespace

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    const std::string body = WideToUtf8(text ? text : L"");
    const std::string title = WideToUtf8(caption ? caption : L"Error");
    if (HasDesktop()) {
        Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
        if ((type & 0xF0u) == MB_ICONERROR)
            flags = SDL_MESSAGEBOX_ERROR;
        else if ((type & 0xF0u) == MB_ICONWARNING)
            flags = SDL_MESSAGEBOX_WARNING;
        if (SDL_ShowSimpleMessageBox(flags, title.c_str(), body.c_str(), orv::win32::SdlWindowOf(owner)) == 0)
            return IDOK;
    }
    WriteStandardErrorLine(title + ": " + body);
    return IDOK;
}
