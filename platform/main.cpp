// Process entry: hands the game's entry point the start-up values it expects
// from Windows.
#include "platform/win32/win32.h"

namespace {
// The process has no module handle of its own; the entry point only needs a
// value that is not null.
HINSTANCE__ g_instance{};
}  // namespace

int main(int argc, char** argv) {
    std::wstring commandLine = BuildCommandLine(argc, argv);
    return wWinMain(&g_instance, nullptr, commandLine.data(), SW_SHOWNORMAL);
}
