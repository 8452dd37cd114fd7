// Time, sleeping, debugger output, the console, the C runtime's random
// generator and the restart that asks the allocator for large pages.
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <unistd.h>

#include "platform/win32/services_internal.h"

DWORD timeGetTime() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

MMRESULT timeBeginPeriod(UINT) { return TIMERR_NOERROR; }

MMRESULT timeEndPeriod(UINT) { return TIMERR_NOERROR; }

void Sleep(DWORD milliseconds) {
    if (milliseconds == 0) std::this_thread::yield();
    else std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

namespace {

bool DebugOutputWanted() {
    const char* value = std::getenv("ORVALIS_DEBUG_OUTPUT");
    return value && *value && std::strcmp(value, "0") != 0;
}

}  // namespace

void OutputDebugStringW(LPCWSTR text) {
    if (!text || !*text || !DebugOutputWanted()) return;
    WriteStandardErrorLine(WideToUtf8(text));
}

void WriteStandardErrorLine(std::string_view text) {
    std::string line;
    line.reserve(text.size() + 1);
    for (char c : text)
        if (c != '\r') line += c;
    while (!line.empty() && line.back() == '\n') line.pop_back();
    line += '\n';
    // One write per line keeps lines from several threads apart.
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

BOOL FreeConsole() { return TRUE; }

namespace {
std::atomic<uint32_t> g_randState{1};
}

int CrtRand() {
    uint32_t state = g_randState.load(std::memory_order_relaxed);
    uint32_t next;
    do {
        next = state * 214013u + 2531011u;
    } while (!g_randState.compare_exchange_weak(state, next, std::memory_order_relaxed));
    return static_cast<int>((next >> 16) & 0x7FFF);
}

void CrtSrand(unsigned seed) { g_randState.store(seed, std::memory_order_relaxed); }

// Start-up fills a few hundred megabytes of fresh memory (the renderer's
// textures and targets, the sound buffers), and every page of it costs a fault
// when first touched. The allocator is asked for 2 MB pages on its large
// blocks, and to serve blocks below 32 MB from its heaps (which it keeps on
// large pages too) rather than from maps of their own that each start small
// pages afresh. glibc reads these settings only when a program starts, hence
// the restart.
void RestartWithLargeHeapPages(char** argv, const char* program) {
    constexpr const char* kName = "glibc.malloc.hugetlb";
    constexpr const char* kSettings = "glibc.malloc.hugetlb=1:glibc.malloc.mmap_threshold=33554432";
    const char* current = std::getenv("GLIBC_TUNABLES");
    if (current && std::strstr(current, kName)) return;
    std::string value = current && *current ? std::string(current) + ":" : std::string();
    value += kSettings;
    if (::setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0) return;
    ::execv(program, argv);
    // No restart: go on with ordinary pages, and leave the environment as found.
    if (current) ::setenv("GLIBC_TUNABLES", current, 1);
    else ::unsetenv("GLIBC_TUNABLES");
}
