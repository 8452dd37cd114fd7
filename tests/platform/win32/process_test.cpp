// The millisecond clock, debugger output and the C runtime's generator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/large_pages.h"
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

const std::string kOurSettings = "glibc.malloc.hugetlb=1:glibc.malloc.mmap_threshold=33554432";

// The settings the launcher hands the game: added after the user's own,
// and nothing changed when the user already said anything of large pages.
TEST(LargePages, SettingsAreAddedOnceAfterTheUsers) {
    const std::string& ours = kOurSettings;
    const struct {
        const char* before;
        std::string after;
    } cases[] = {
        {nullptr, ours},
        {"", ours},
        {"glibc.malloc.arena_max=2", "glibc.malloc.arena_max=2:" + ours},
        {"glibc.malloc.hugetlb=1:glibc.malloc.mmap_threshold=33554432", ours},
        {"glibc.malloc.hugetlb=0", "glibc.malloc.hugetlb=0"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.after, orv::WithLargeHeapPages(c.before)) << (c.before ? c.before : "(unset)");
}

// The launcher the player starts (built beside the test folder): it becomes
// the game program next to it, with the arguments and the settings above.
TEST(LargePages, LauncherStartsTheGameBesideItWithTheSettings) {
    char folder[] = "/tmp/orv_launcher_XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    const std::string dir = folder;
    ASSERT_EQ(0, std::system(("cp ../game/orvalis " + dir + "/orvalis").c_str())) << "build the game first";
    auto run = [&](const char* environment) {
        std::string out;
        FILE* pipe = popen((std::string(environment) + " " + dir + "/orvalis -windowed 'two words' 2>&1; echo \"exit $?\"").c_str(), "r");
        char line[512];
        while (pipe && std::fgets(line, sizeof line, pipe)) out += line;
        if (pipe) pclose(pipe);
        return out;
    };
    // No game beside it: said on the terminal, and a failing exit code.
    EXPECT_NE(std::string::npos, run("env -u GLIBC_TUNABLES").find("cannot start " + dir + "/orvalis-game"));
    EXPECT_NE(std::string::npos, run("env -u GLIBC_TUNABLES").find("exit 127"));

    {
        std::FILE* game = std::fopen((dir + "/orvalis-game").c_str(), "w");
        ASSERT_NE(nullptr, game);
        std::fputs("#!/bin/sh\necho \"$GLIBC_TUNABLES|$1|$2|$#\"\n", game);
        std::fclose(game);
    }
    ASSERT_EQ(0, std::system(("chmod +x " + dir + "/orvalis-game").c_str()));
    EXPECT_EQ(kOurSettings + "|-windowed|two words|2\nexit 0\n", run("env -u GLIBC_TUNABLES"));
    EXPECT_EQ("glibc.malloc.hugetlb=0|-windowed|two words|2\nexit 0\n", run("env GLIBC_TUNABLES=glibc.malloc.hugetlb=0"));
    std::system(("rm -rf " + dir).c_str());
}

}  // namespace
