// The framework's command-line switches.
#include <gtest/gtest.h>

#include <string>

#include "platform/dxut/dxut.h"

namespace {

struct Case {
    const wchar_t* line;
    DXUTCommandLineSwitches expected;
    bool warns;  // a bad value is reported on standard error
};

DXUTCommandLineSwitches Switches(bool windowed, bool fullscreen, int width, int height, int quitAfterFrame,
                                 std::wstring screenshot) {
    DXUTCommandLineSwitches s;
    s.windowed = windowed;
    s.fullscreen = fullscreen;
    s.width = width;
    s.height = height;
    s.quitAfterFrame = quitAfterFrame;
    s.screenshot = std::move(screenshot);
    return s;
}

const DXUTCommandLineSwitches kNone{};

}  // namespace

TEST(DxutSwitches, ParsesTheStandardSwitches) {
    const Case cases[] = {
        {L"", kNone, false},
        {nullptr, kNone, false},
        {L"-windowed", Switches(true, false, 0, 0, 0, L""), false},
        {L"/FullScreen", Switches(false, true, 0, 0, 0, L""), false},
        {L"-width:640 \t -height:480", Switches(false, false, 640, 480, 0, L""), false},
        {L"-quitafterframe:3 -screenshot:shot.png", Switches(false, false, 0, 0, 3, L"shot.png"), false},
        {L"-QuitAfterFrame:999999999", Switches(false, false, 0, 0, 999999999, L""), false},
        // Quoting as the entry point builds it from arguments with spaces.
        {L"\"-screenshot:my dir/out.png\" -windowed", Switches(true, false, 0, 0, 0, L"my dir/out.png"), false},
        {L"-screenshot:\"my dir/out.png\"", Switches(false, false, 0, 0, 0, L"my dir/out.png"), false},
        {L"\"-screenshot:a \\\"q\\\" b.png\"", Switches(false, false, 0, 0, 0, L"a \"q\" b.png"), false},
        {L"-screenshot:C:\\shots\\a.png", Switches(false, false, 0, 0, 0, L"C:\\shots\\a.png"), false},
        // The last of a repeated switch wins.
        {L"-width:640 -width:800", Switches(false, false, 800, 0, 0, L""), false},
        // Other arguments are not the framework's.
        {L"game -unknown -windowedx -windowed:1 --width:5 -Width:800", Switches(false, false, 800, 0, 0, L""),
         false},
        // Bad values are reported and leave the switch unset.
        {L"-width:abc", kNone, true},
        {L"-height:-5", kNone, true},
        {L"-quitafterframe:0", kNone, true},
        {L"-width:", kNone, true},
        {L"-width", kNone, true},
        {L"-width:1000000000", kNone, true},
        {L"-width:12px -height:480", Switches(false, false, 0, 480, 0, L""), true},
        {L"-screenshot:", kNone, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.line ? std::wstring(c.line) : std::wstring(L"(null)")));
        DXUTParseCommandLine(L"-windowed -width:1 -screenshot:stale.png");  // every parse starts afresh
        ::testing::internal::CaptureStderr();
        DXUTParseCommandLine(c.line);
        const std::string err = ::testing::internal::GetCapturedStderr();
        const DXUTCommandLineSwitches& s = DXUTGetCommandLineSwitches();
        EXPECT_EQ(s.windowed, c.expected.windowed);
        EXPECT_EQ(s.fullscreen, c.expected.fullscreen);
        EXPECT_EQ(s.width, c.expected.width);
        EXPECT_EQ(s.height, c.expected.height);
        EXPECT_EQ(s.quitAfterFrame, c.expected.quitAfterFrame);
        EXPECT_EQ(s.screenshot, c.expected.screenshot);
        EXPECT_EQ(!err.empty(), c.warns) << err;
    }
    DXUTParseCommandLine(L"");
}
