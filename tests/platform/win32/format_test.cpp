// Microsoft-style formatting: wide and narrow texts, 64-bit values, bounded
// buffers and C argument lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>

#include "platform/win32/win32.h"

namespace {

struct WideCase {
    const wchar_t* expected;
    std::wstring actual;
    int line;
};

struct NarrowCase {
    const char* expected;
    std::string actual;
    int line;
};

TEST(Format, WideConversionsFollowMicrosoftConventions) {
    const long long big = 5000000000LL;
    const WideCase cases[] = {
        {L"[SceneBase:4660]", FormatW(L"[%s:%d]", L"SceneBase", 4660), __LINE__},
        {L"narrow 日本", FormatW(L"%S %S", "narrow", "日本"), __LINE__},
        {L"wide|narrow", FormatW(L"%ls|%hs", L"wide", "narrow"), __LINE__},
        {L"from std", FormatW(L"%s %s", std::wstring(L"from"), std::string("std")), __LINE__},
        {L"(null)", FormatW(L"%s", static_cast<const wchar_t*>(nullptr)), __LINE__},
        {L"-42|   42|42   |00042|+42", FormatW(L"%d|%5d|%-5d|%05d|%+d", -42, 42, 42, 42, 42), __LINE__},
        {L"ff|FF|0xff|17", FormatW(L"%x|%X|%#x|%o", 255, 255, 255, 15), __LINE__},
        {L"4294967295", FormatW(L"%u", -1), __LINE__},
        {L"-9223372036854775808", FormatW(L"%I64d", INT64_MIN), __LINE__},
        {L"18446744073709551615", FormatW(L"%I64u", UINT64_MAX), __LINE__},
        {L"-5", FormatW(L"%I64d", -5), __LINE__},
        {L"5000000000 5000000000", FormatW(L"%lld %d", big, big), __LINE__},
        {L"4464 44", FormatW(L"%hd %hhd", 70000, 300), __LINE__},
        {L"1.500000|59.9|0.33|-0.125", FormatW(L"%f|%.1f|%.2f|%.3f", 1.5, 59.94, 1.0 / 3, -0.125), __LINE__},
        {L"1.234568e+04|0.0001|1e-05", FormatW(L"%e|%g|%g", 12345.678, 0.0001, 0.00001), __LINE__},
        {L"    3.142|2.50    |+0.5", FormatW(L"%9.3f|%-8.2f|%+.1f", 3.14159, 2.5, 0.5), __LINE__},
        {L"2.000000", FormatW(L"%f", 2), __LINE__},
        {L"字 A x", FormatW(L"%c %c %C", L'字', 'A', 'x'), __LINE__},
        {L"100%", FormatW(L"%d%%", 100), __LINE__},
        {L"   日本|ab", FormatW(L"%5s|%.2s", L"日本", L"abc"), __LINE__},
        {L"   42|42   |3.14", FormatW(L"%*d|%*d|%.*f", 5, 42, -5, 42, 2, 3.14159), __LINE__},
        {L"000000000000BEEF", FormatW(L"%p", reinterpret_cast<void*>(0xBEEF)), __LINE__},
        // What cannot be printed stays visible as written.
        {L"1 %d", FormatW(L"%d %d", 1), __LINE__},
        {L"%d", FormatW(L"%d", L"text"), __LINE__},
        {L"%y %n", FormatW(L"%y %n", 1), __LINE__},
        {L"50%", FormatW(L"50%"), __LINE__},
        {L"ORVALIS v1.03 [ FPS : 59.5/60.0 ] ( SleepCnt/sec : 123.46 ) ( ms/f : 16 )",
         FormatW(L"%s [ FPS : %.1f/%.1f ] ( SleepCnt/sec : %.2f ) ( ms/f : %d )", L"ORVALIS v1.03", 59.5f, 60.0f,
                 123.456, 16),
         __LINE__},
    };
    for (const WideCase& c : cases) EXPECT_EQ(c.expected, c.actual) << "line " << c.line;
}

TEST(Format, NarrowConversionsFollowMicrosoftConventions) {
    const NarrowCase cases[] = {
        {"ab 日本", FormatA("%s %S", "ab", L"日本"), __LINE__},
        {"      42", FormatA(FormatA("%%%dd", 8).c_str(), 42), __LINE__},
        {"-7", FormatA(FormatA("%%%dd", 2).c_str(), -7), __LINE__},
        {"-1234567890123", FormatA("%I64d", -1234567890123LL), __LINE__},
        {"1.500000", FormatA("%f", 1.5), __LINE__},
        {"字|é", FormatA("%C|%c", L'字', L'é'), __LINE__},
        {"日", FormatA("%.4s", "日本"), __LINE__},  // never half a character
    };
    for (const NarrowCase& c : cases) EXPECT_EQ(c.expected, c.actual) << "line " << c.line;
}

TEST(Format, AnAddressPrintsWhole) {
    int object = 0;
    const void* address = &object;
    const intptr_t value = reinterpret_cast<intptr_t>(address);
    EXPECT_EQ(L"[Scene:" + std::to_wstring(value) + L"]", FormatW(L"[%s:%d]", L"Scene", address));
    EXPECT_EQ("(addr:" + std::to_string(value) + ")", FormatA("(addr:%d)", address));
}

template <class Ch>
std::basic_string<Ch> ViaArgumentList(const Ch* format, ...) {
    va_list args;
    va_start(args, format);
    std::basic_string<Ch> text;
    if constexpr (std::is_same_v<Ch, wchar_t>) text = FormatWV(format, args);
    else text = FormatAV(format, args);
    va_end(args);
    return text;
}

TEST(Format, ArgumentListsReadWhatTheConversionNames) {
    const LONG negative = -3;
    const size_t size = 123456789012ULL;
    const WideCase wide[] = {
        {L"[Scene:12]", ViaArgumentList(L"[%s:%d]", L"Scene", 12), __LINE__},
        {L"narrow|wide|narrow", ViaArgumentList(L"%S|%ls|%hs", "narrow", L"wide", "narrow"), __LINE__},
        {L"-5000000000 7", ViaArgumentList(L"%I64d %d", -5000000000LL, 7), __LINE__},
        {L"-3 123456789012", ViaArgumentList(L"%ld %zu", negative, size), __LINE__},
        {L"字 a", ViaArgumentList(L"%c %C", L'字', 'a'), __LINE__},
        {L"2.3|  7", ViaArgumentList(L"%.1f|%*d", 2.26, 3, 7), __LINE__},
    };
    for (const WideCase& c : wide) EXPECT_EQ(c.expected, c.actual) << "line " << c.line;
    EXPECT_EQ("a 日 4294967295", ViaArgumentList("%s %S %u", "a", L"日", 0xFFFFFFFFu));
}

int BoundedViaArgumentList(wchar_t* buffer, size_t count, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const int n = vswprintf_s(buffer, count, format, args);
    va_end(args);
    return n;
}

TEST(Format, BoundedBuffersNeverOverflowAndReportCuts) {
    struct Guarded {
        wchar_t text[8];
        wchar_t guard[4];
    };
    Guarded g;
    std::fill(std::begin(g.guard), std::end(g.guard), L'#');

    EXPECT_EQ(7, swprintf_s(g.text, L"%s", L"1234567"));
    EXPECT_STREQ(L"1234567", g.text);

    EXPECT_EQ(-1, swprintf_s(g.text, L"%s:%d", L"0123456789", 42));
    EXPECT_STREQ(L"0123456", g.text);

    EXPECT_EQ(-1, swprintf_s(g.text, L"%20d", 5));  // padding counts too
    EXPECT_STREQ(L"       ", g.text);

    EXPECT_EQ(-1, BoundedViaArgumentList(g.text, 8, L"%s", L"0123456789"));
    EXPECT_STREQ(L"0123456", g.text);

    g.text[0] = L'x';
    const size_t noRoom = 0;
    EXPECT_EQ(-1, swprintf_s(g.text, noRoom, L"%s", L"abc"));
    EXPECT_EQ(L'x', g.text[0]);

    for (const wchar_t c : g.guard) EXPECT_EQ(L'#', c);

    // A narrow cut keeps whole UTF-8 characters.
    char narrow[5];
    EXPECT_EQ(-1, sprintf_s(narrow, "%s", "日本"));
    EXPECT_STREQ("日", narrow);
}

TEST(Format, LongTextsAreKeptWhole) {
    const std::wstring name(5000, L'名');
    const std::wstring text = FormatW(L"<%s:%d>", name, 1);
    EXPECT_EQ(name.size() + 4, text.size());
    EXPECT_EQ(L"<" + name + L":1>", text);

    std::wstring buffer(6000, L'?');
    EXPECT_EQ(static_cast<int>(text.size()), swprintf_s(buffer.data(), buffer.size(), L"<%s:%d>", name, 1));
    EXPECT_EQ(text, buffer.c_str());
}

}  // namespace
