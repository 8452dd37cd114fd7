// Time, sleeping, debugger output, the console and the C runtime's random
// generator.
#include <atomic>
#include <chrono>
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

void OutputDebugStringW(LPCWSTR text) {
    if (!text) return;
    const std::string utf8 = WideToUtf8(text);
    // One write per call keeps lines from several threads apart.
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
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
