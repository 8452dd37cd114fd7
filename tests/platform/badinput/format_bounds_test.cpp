// The bounded formatter with widths and precisions far past its destination:
// the cut text is what the C library would print, and no conversion builds
// more text than the destination holds.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "platform/win32/services.h"

namespace {

size_t g_largestRequest = 0;

}  // namespace

void* operator new(size_t size) {
    if (size > g_largestRequest) g_largestRequest = size;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace {

// The C library's whole text.
template <class V>
std::string Reference(const char* format, V value) {
    const int n = std::snprintf(nullptr, 0, format, value);
    std::string text(size_t(n) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, value);
    text.resize(size_t(n));
    return text;
}

TEST(FormatBounds, LongWidthsAndPrecisionsCutLikeTheCLibrary) {
    struct Case {
        const char* format;
        double real;  // used by the float formats
        long long integer;
    };
    // Precisions past the point where only zeros follow, widths past the
    // destination, zero padding after the sign and 0x.
    const Case cases[] = {
        {"%.3000f", 1.0 / 3, 0},      {"%.3000f", -1e300, 0},    {"%.3000e", 2.5e-300, 0},
        {"%#.3000g", 1e-300, 0},      {"%#.3000g", 123.5, 0},    {"%.3000g", 0.1, 0},
        {"%.3000a", -1.75, 0},        {"%3000.2f", 3.25, 0},     {"%-3000.2f|", 3.25, 0},
        {"%+03000.1f", 2.5, 0},       {"%03000a", -1.5, 0},      {"%03000f", 1.0 / 0.0, 0},
        {"%.3000lld", 0, -42},          {"%#.3000llx", 0, 255},      {"%#.3000llo", 0, 8},
        {"%03000lld", 0, -7},           {"%#03000llx", 0, 255},      {"%+3000lld|", 0, 5},
        {"%-3000lld|", 0, -5},          {"% .3000lld", 0, 9},        {"%#.40llX", 0, 0xBEEF},
    };
    for (const Case& c : cases) {
        const bool isFloat = std::string(c.format).find("ll") == std::string::npos;
        const std::string whole = isFloat ? Reference(c.format, c.real) : Reference(c.format, c.integer);
        for (size_t count : {size_t(64), size_t(4096)}) {
            SCOPED_TRACE(std::string(c.format) + " into " + std::to_string(count));
            std::string out(count, '\x7f');
            const int n = isFloat ? sprintf_s(out.data(), count, c.format, c.real)
                                  : sprintf_s(out.data(), count, c.format, c.integer);
            out.resize(out.find('\0'));
            EXPECT_EQ(out, whole.substr(0, count - 1));
            EXPECT_EQ(n, whole.size() < count ? int(whole.size()) : -1);
        }
    }
}

TEST(FormatBounds, AHugeConversionCostsNoMoreThanItsDestination) {
    char narrow[32];
    wchar_t wide[32];
    g_largestRequest = 0;
    EXPECT_EQ(sprintf_s(narrow, "%.999999999f", 0.5), -1);
    EXPECT_EQ(std::string(narrow), "0.5" + std::string(28, '0'));
    EXPECT_EQ(sprintf_s(narrow, "%999999999d", 7), -1);
    EXPECT_EQ(std::string(narrow), std::string(31, ' '));
    EXPECT_EQ(swprintf_s(wide, L"%-999999999.999999999d", 7), -1);
    EXPECT_EQ(std::wstring(wide), std::wstring(31, L'0'));
    EXPECT_EQ(sprintf_s(narrow, "%0*.*e", 999999999, 999999999, -1.0), -1);
    EXPECT_EQ(std::string(narrow), "-1." + std::string(28, '0'));
    EXPECT_LT(g_largestRequest, size_t(64) << 10) << "a conversion built text far past the destination";
}

}  // namespace
