#include <gtest/gtest.h>

#include <cmath>

#include <string>
#include <vector>

#include "engine/core/FpsManager.h"

using Quorvex::FpsManager;

namespace {

// A clock that moves only when the timer sleeps; Sleep(0) stands for one
// scheduler tick of 1 ms.
class FakeSystem : public FpsManager::System {
public:
    DWORD Now() override { return now; }
    void Sleep(DWORD milliseconds) override {
        if (milliseconds > 0) sleeps.push_back(milliseconds);
        now += milliseconds > 0 ? milliseconds : 1;
    }
    void SetWindowTitle(HWND, const wchar_t* text) override { titles.push_back({now, text}); }

    DWORD now = 5000;
    std::vector<DWORD> sleeps;
    std::vector<std::pair<DWORD, std::wstring>> titles;
};

TEST(FpsManager, SixtyPerSecondGivesSlotsOf16And17Milliseconds) {
    FakeSystem system;
    FpsManager timer(&system);
    timer.SetFrameRate(60.0f);
    const DWORD start = timer.GetDeadline();
    std::vector<DWORD> slots;
    for (int i = 0; i < 6; ++i) slots.push_back(timer.Wait());
    EXPECT_EQ(slots, (std::vector<DWORD>{16, 17, 17, 16, 17, 17}));
    for (int i = 6; i < 60; ++i) timer.Wait();
    EXPECT_EQ(timer.GetDeadline() - start, 1000u) << "60 waits advance the deadline by exactly one second";
    EXPECT_EQ(system.now - start, 1000u);
}

TEST(FpsManager, LateFramesAreMadeUpWithoutSleeping) {
    FakeSystem system;
    FpsManager timer(&system);
    timer.SetFrameRate(60.0f);
    for (int i = 0; i < 3; ++i) timer.Wait();
    const DWORD before = system.now;
    system.now += 500;  // a stall
    system.sleeps.clear();

    DWORD total = 0;
    for (int i = 0; i < 25; ++i) total += timer.Wait();
    EXPECT_TRUE(system.sleeps.empty()) << "no sleep while the deadline is behind the clock";
    EXPECT_EQ(total, system.now - before) << "each wait answers the real time";

    for (int i = 0; i < 15 && system.sleeps.empty(); ++i) timer.Wait();
    EXPECT_FALSE(system.sleeps.empty()) << "pacing resumes once caught up";
}

TEST(FpsManager, LongPauseIsNotMadeUpFrameByFrame) {
    FakeSystem system;
    FpsManager timer(&system);
    timer.SetFrameRate(60.0f);
    timer.Wait();
    system.now += 60 * 60 * 1000;  // an hour minimised
    timer.Wait();
    system.sleeps.clear();
    timer.Wait();
    timer.Wait();
    EXPECT_EQ(system.sleeps.size(), 2u) << "the next frames are paced again";
}

TEST(FpsManager, RateThatIsNotPositiveFallsBackToTheDefault) {
    for (float rate : {0.0f, -30.0f, NAN, INFINITY}) {
        FakeSystem system;
        FpsManager timer(&system);
        timer.SetFrameRate(rate);
        EXPECT_EQ(timer.GetFrameRate(), 60.0f) << rate;
        EXPECT_EQ(timer.Wait(), 16u) << rate;
    }
}

TEST(FpsManager, TitleReportEveryTwoSeconds) {
    FakeSystem system;
    FpsManager timer(&system);
    timer.SetFrameRate(60.0f);
    for (int i = 0; i < 300; ++i) timer.Wait();
    EXPECT_TRUE(system.titles.empty()) << "no report before Initialize";

    timer.Initialize(L"ORVALIS v1.03", nullptr);
    for (int i = 0; i < 600; ++i) timer.Wait();  // ten seconds
    ASSERT_GE(system.titles.size(), 4u);
    ASSERT_LE(system.titles.size(), 5u);
    for (size_t i = 1; i < system.titles.size(); ++i)
        EXPECT_GE(system.titles[i].first - system.titles[i - 1].first, 2000u);
    const std::wstring& title = system.titles.back().second;
    EXPECT_EQ(title.rfind(L"ORVALIS v1.03 [ FPS : 60.0/60.0 ] ( SleepCnt/sec : ", 0), 0u) << title;
    EXPECT_NE(title.find(L" ) ( ms/f : 1"), std::wstring::npos) << title;
}

}  // namespace
