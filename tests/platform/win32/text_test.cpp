// UTF-8 <-> wide text, the Win32 conversion calls and the command line.
#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/win32.h"

namespace {

TEST(TextConversion, RoundTripsKeepEveryCharacter) {
    const std::wstring texts[] = {
        L"",
        L"Param.txt",
        L"謎のメッセージタイプ",
        L"ＭＳ ゴシック / 半角ｶﾅ",
        L"\U0001F600 \U00020BB7野家",  // outside the basic plane
        std::wstring(L"a\0b", 3),       // an embedded terminator is data
    };
    for (const std::wstring& text : texts) {
        EXPECT_EQ(text, Utf8ToWide(WideToUtf8(text)));
    }
    EXPECT_EQ("\xE8\xAC\x8E", WideToUtf8(L"謎"));
    EXPECT_EQ("\xF0\x9F\x98\x80", WideToUtf8(L"\U0001F600"));
}

TEST(TextConversion, InvalidInputBecomesReplacementCharacters) {
    const struct {
        std::string utf8;
        std::wstring wide;
    } cases[] = {
        {"a\xFF" "b", L"a\uFFFDb"},
        {"\xC0\xAF", L"\uFFFD\uFFFD"},           // overlong '/'
        {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
        {"\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
        {"\xE8\xAC", L"\uFFFD"},                 // cut off at the end
        {"\xE8\xAC" "A", L"\uFFFDA"},            // cut off before ASCII
    };
    for (const auto& c : cases) EXPECT_EQ(c.wide, Utf8ToWide(c.utf8)) << c.utf8;

    // A UTF-16 pair held in two wide units is joined; a lone half is replaced.
    const wchar_t pair[] = {0xD83D, 0xDE00, 0};
    EXPECT_EQ("\xF0\x9F\x98\x80", WideToUtf8(pair));
    const wchar_t lone[] = {L'x', 0xDC00, static_cast<wchar_t>(0x110000), 0};
    EXPECT_EQ("x\xEF\xBF\xBD\xEF\xBF\xBD", WideToUtf8(lone));
}

TEST(TextConversion, MultiByteToWideCharFollowsTheWin32Contract) {
    const char* text = "日本語";  // 9 bytes
    // -1 counts the terminator; a size query writes nothing.
    EXPECT_EQ(4, MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0));
    EXPECT_EQ(3, MultiByteToWideChar(CP_UTF8, 0, text, 9, nullptr, 0));

    wchar_t exact[4];
    EXPECT_EQ(4, MultiByteToWideChar(CP_ACP, 0, text, -1, exact, 4));
    EXPECT_STREQ(L"日本語", exact);

    // Too small: fails and leaves the caller's zero-filled buffer terminated.
    wchar_t small[3] = {};
    EXPECT_EQ(0, MultiByteToWideChar(CP_ACP, 0, text, -1, small, 3));
    EXPECT_EQ(0, small[0]);

    wchar_t out[8];
    EXPECT_EQ(2, MultiByteToWideChar(CP_ACP, 0, "\xFF" "a", 2, out, 8));
    EXPECT_EQ(L'\uFFFD', out[0]);
    EXPECT_EQ(0, MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, "\xFF" "a", 2, out, 8));

    EXPECT_EQ(0, MultiByteToWideChar(932, 0, text, -1, out, 8));  // no Shift-JIS here
    EXPECT_EQ(0, MultiByteToWideChar(CP_ACP, 0, text, 0, out, 8));
    EXPECT_EQ(0, MultiByteToWideChar(CP_ACP, 0, nullptr, -1, out, 8));
}

TEST(TextConversion, WideCharToMultiByteFollowsTheWin32Contract) {
    EXPECT_EQ(10, WideCharToMultiByte(CP_ACP, 0, L"日本語", -1, nullptr, 0, nullptr, nullptr));

    char exact[10];
    EXPECT_EQ(10, WideCharToMultiByte(CP_ACP, 0, L"日本語", -1, exact, 10, nullptr, nullptr));
    EXPECT_STREQ("日本語", exact);

    // One byte short: the log's zeroed buffer must stay a terminated string.
    char small[9] = {};
    EXPECT_EQ(0, WideCharToMultiByte(CP_ACP, 0, L"日本語", -1, small, 9, nullptr, nullptr));
    EXPECT_EQ(0, small[0]);

    const wchar_t lone[] = {0xD800, 0};
    BOOL usedDefault = FALSE;
    char out[8];
    EXPECT_EQ(4, WideCharToMultiByte(CP_ACP, 0, lone, -1, out, 8, nullptr, &usedDefault));
    EXPECT_TRUE(usedDefault);
    EXPECT_EQ(0, WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, -1, out, 8, nullptr, nullptr));
}

TEST(CommandLine, ArgumentsAreJoinedAndQuotedWhereNeeded) {
    const struct {
        std::vector<const char*> argv;
        std::wstring expected;
    } cases[] = {
        {{"orvalis"}, L""},
        {{"orvalis", "-windowed", "-width:800"}, L"-windowed -width:800"},
        {{"orvalis", "-screenshot:my shot.png"}, L"\"-screenshot:my shot.png\""},
        {{"orvalis", ""}, L"\"\""},
        {{"orvalis", "日本語"}, L"日本語"},
        {{"orvalis", "say \"hi\""}, L"\"say \\\"hi\\\"\""},
        {{"orvalis", "C:\\my dir\\"}, L"\"C:\\my dir\\\\\""},
        {{"orvalis", "a\\b"}, L"a\\b"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, BuildCommandLine(static_cast<int>(c.argv.size()), c.argv.data()));
    }
    EXPECT_EQ(L"", BuildCommandLine(0, nullptr));
}

}  // namespace
