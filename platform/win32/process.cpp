// Time, sleeping, debugger output, the console and the C runtime's random
// generator.
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

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
