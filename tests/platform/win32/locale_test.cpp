// The locale request and number parsing and printing that ignore the locale.
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/win32/win32.h"

namespace {

// Restores the "C" locale whatever a test set.
class LocaleTest : public ::testing::Test {
protected:
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(LocaleTest, JapaneseRequestSelectsAUtf8Locale) {
    const wchar_t* name = _wsetlocale(LC_ALL, L"japanese");
    ASSERT_NE(nullptr, name);
    EXPECT_STREQ(L"C.UTF-8", name);
    EXPECT_STREQ("C.UTF-8", std::setlocale(LC_CTYPE, nullptr));
    // The C library's own multibyte conversion now reads UTF-8.
    wchar_t wide[8];
    EXPECT_EQ(3u, std::mbstowcs(wide, "日本語", 8));
    EXPECT_STREQ(L"日本語", wide);

    EXPECT_STREQ(L"C.UTF-8", _wsetlocale(LC_ALL, nullptr));
    EXPECT_EQ(nullptr, _wsetlocale(LC_ALL, L"no_such_locale.XYZ"));
}

TEST(Numbers, LeadingIntegerAsTheRuntimeReadsIt) {
    const struct {
        const wchar_t* text;
        int value;
    } cases[] = {
        {L"60", 60},           {L"60\n", 60},        {L"  -42abc", -42},   {L"+7", 7},
        {L"4 // comment", 4},  {L"abc", 0},          {L"", 0},             {nullptr, 0},
        {L"99999999999", INT_MAX}, {L"-99999999999", INT_MIN}, {L"-2147483648", INT_MIN},
        {L"１２", 0},  // full-width digits are not digits here
    };
    for (const auto& c : cases) EXPECT_EQ(c.value, _wtoi(c.text)) << (c.text ? c.text : L"(null)");
}

TEST(Numbers, LeadingRealAsTheRuntimeReadsIt) {
    const struct {
        const wchar_t* text;
        double value;
    } cases[] = {
        {L"60", 60.0},  {L"59.94\n", 59.94}, {L" \t-0.5", -0.5}, {L".25", 0.25}, {L"1e3", 1000.0},
        {L"1,5", 1.0},  {L"abc", 0.0},       {L"", 0.0},         {nullptr, 0.0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(c.value, _wtof(c.text)) << (c.text ? c.text : L"(null)");
}

// A locale whose decimal point is a comma, built for the test when the system
// has none installed.
class CommaLocaleTest : public LocaleTest {
protected:
    void SetUp() override {
        if (std::setlocale(LC_ALL, "de_DE.UTF-8")) return;
        char pattern[] = "/tmp/orv-locale-XXXXXX";
        if (!mkdtemp(pattern)) GTEST_SKIP() << "no temporary folder";
        folder_ = pattern;
        const std::string command = "localedef -i de_DE -f UTF-8 " + folder_ + "/de_DE.UTF-8 >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) GTEST_SKIP() << "no comma-decimal locale can be built";
        setenv("LOCPATH", folder_.c_str(), 1);
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "comma-decimal locale not loadable";
    }
    void TearDown() override {
        LocaleTest::TearDown();
        if (!folder_.empty()) {
            unsetenv("LOCPATH");
            std::filesystem::remove_all(folder_);
        }
    }
    std::string folder_;
};

TEST_F(CommaLocaleTest, NumbersKeepTheirPoint) {
    char check[16];
    std::snprintf(check, sizeof check, "%.1f", 1.5);
    ASSERT_STREQ("1,5", check) << "the locale in force does not use a comma";

    EXPECT_EQ(L"1.5 2.50 3.000000e+00", FormatW(L"%.1f %.2f %e", 1.5, 2.5, 3.0));
    EXPECT_EQ("0.1", FormatA("%g", 0.1));
    wchar_t buffer[16];
    EXPECT_EQ(5, swprintf_s(buffer, L"%.3f", 0.25));
    EXPECT_STREQ(L"0.250", buffer);
    EXPECT_DOUBLE_EQ(59.94, _wtof(L"59.94"));
    EXPECT_DOUBLE_EQ(1.0, _wtof(L"1,5"));
}

}  // namespace
