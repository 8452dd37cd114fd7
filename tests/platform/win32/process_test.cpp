// The millisecond clock, debugger output and the C runtime's generator.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/win32.h"

namespace {

TEST(Clock, NeverRunsBackwardsAndCountsSleptTime) {
    DWORD previous = timeGetTime();
    for (int i = 0; i < 1000; ++i) {
        const DWORD now = timeGetTime();
        // Unsigned difference, as the frame timer compares, stays small.
        EXPECT_LT(now - previous, 0x80000000u);
        previous = now;
    }
    const DWORD before = timeGetTime();
    Sleep(20);
    EXPECT_GE(timeGetTime() - before, 20u);
    EXPECT_EQ(TIMERR_NOERROR, timeBeginPeriod(1));
    EXPECT_EQ(TIMERR_NOERROR, timeEndPeriod(1));
}

// Debugger output reaches the terminal only when asked for, one message a line.
TEST(DebugOutput, ReachesStandardErrorOnlyWhenAsked) {
    const char* const kVariable = "ORVALIS_DEBUG_OUTPUT";
    const struct {
        const char* value;  // nullptr: not set
        std::string expected;
    } cases[] = {
        {nullptr, ""},
        {"", ""},
        {"0", ""},
        {"1", "SceneBase::Initialize() [初期シーン:42]\nsettings: file can't open !\n2 lines\nin one\n"},
    };
    for (const auto& c : cases) {
        if (c.value) setenv(kVariable, c.value, 1);
        else unsetenv(kVariable);
        testing::internal::CaptureStderr();
        OutputDebugStringW(L"SceneBase::Initialize() [初期シーン:42]\r\n");
        OutputDebugStringW(L"settings: file can't open !");  // no line end of its own
        OutputDebugStringW(nullptr);
        OutputDebugStringW(L"");
        OutputDebugStringW(L"2 lines\r\nin one");
        EXPECT_EQ(c.expected, testing::internal::GetCapturedStderr()) << (c.value ? c.value : "(not set)");
    }
    unsetenv(kVariable);
    EXPECT_TRUE(FreeConsole());
}

TEST(CrtRand, RepeatsTheRuntimeSequence) {
    const struct {
        unsigned seed;
        std::vector<int> values;
    } cases[] = {
        {1, {41, 18467, 6334, 26500, 19169, 15724}},
        {0, {38, 7719, 21238, 2437, 8855, 11797}},
    };
    for (const auto& c : cases) {
        CrtSrand(c.seed);
        for (const int expected : c.values) EXPECT_EQ(expected, CrtRand()) << "seed " << c.seed;
    }
}

DWORD WINAPI Draw(LPVOID parameter) {
    auto* values = static_cast<std::vector<int>*>(parameter);
    for (int& v : *values) v = CrtRand();
    return 0;
}

TEST(CrtRand, ThreadsShareOneSequenceWithoutLosingSteps) {
    constexpr int kThreads = 4;
    constexpr int kEach = 5000;
    CrtSrand(12345);
    std::vector<int> expected(kThreads * kEach);
    for (int& v : expected) v = CrtRand();

    CrtSrand(12345);
    std::vector<std::vector<int>> drawn(kThreads, std::vector<int>(kEach));
    HANDLE threads[kThreads];
    for (int i = 0; i < kThreads; ++i) threads[i] = CreateThread(nullptr, 0, Draw, &drawn[i], 0, nullptr);
    std::vector<int> all;
    for (int i = 0; i < kThreads; ++i) {
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(threads[i], INFINITE));
        CloseHandle(threads[i]);
        all.insert(all.end(), drawn[i].begin(), drawn[i].end());
    }
    std::sort(all.begin(), all.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, all);
}

// What the restart hands on: started through printenv, the GLIBC_TUNABLES
// the program would start with, or nothing when no restart happened.
std::optional<std::string> TunablesAfterRestart(const char* before, const char* program = "/usr/bin/printenv") {
    int fds[2];
    if (pipe(fds) != 0) return std::string("no pipe");
    const pid_t child = fork();
    if (child == 0) {
        dup2(fds[1], STDOUT_FILENO);
        if (before) setenv("GLIBC_TUNABLES", before, 1);
        else unsetenv("GLIBC_TUNABLES");
        char name[] = "printenv", variable[] = "GLIBC_TUNABLES";
        char* argv[] = {name, variable, nullptr};
        RestartWithLargeHeapPages(argv, program);
        // Not restarted: the environment must be as it was.
        const char* after = getenv("GLIBC_TUNABLES");
        const bool same = before ? after && std::string(after) == before : after == nullptr;
        _exit(same ? 42 : 43);
    }
    close(fds[1]);
    std::string out;
    char chunk[256];
    for (ssize_t n; (n = read(fds[0], chunk, sizeof chunk)) > 0;) out.append(chunk, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 42) return std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::string("failed");
    return out;
}

TEST(LargePages, RestartAddsTheAllocatorSettingsOnceAndKeepsTheUsers) {
    const std::string ours = "glibc.malloc.hugetlb=1:glibc.malloc.mmap_threshold=33554432";
    EXPECT_EQ(ours + "\n", TunablesAfterRestart(nullptr));
    EXPECT_EQ(ours + "\n", TunablesAfterRestart(""));
    EXPECT_EQ("glibc.malloc.arena_max=2:" + ours + "\n", TunablesAfterRestart("glibc.malloc.arena_max=2"));
    // Already asked for, by an earlier restart or by the user: no restart.
    EXPECT_EQ(std::nullopt, TunablesAfterRestart(ours.c_str()));
    EXPECT_EQ(std::nullopt, TunablesAfterRestart("glibc.malloc.hugetlb=0"));
    // A start that fails leaves the program running as it was.
    EXPECT_EQ(std::nullopt, TunablesAfterRestart(nullptr, "/nonexistent/program"));
    EXPECT_EQ(std::nullopt, TunablesAfterRestart("glibc.malloc.arena_max=2", "/nonexistent/program"));
}

}  // namespace
