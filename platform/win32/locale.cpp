// The locale request of the entry point and number parsing that does not
// depend on the locale.
#include <climits>
#include <cstdlib>

#include "platform/win32/services_internal.h"

namespace win32_internal {

locale_t ClassicLocale() {
    static const locale_t classic = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return classic;
}

}  // namespace win32_internal

namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.size()) return false;
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

// Windows names for the Japanese locale ("japanese", "Japanese_Japan.932",
// "jpn", "ja-JP"). None is installed on a minimal system; UTF-8 text needs
// only a UTF-8 character type, which C.UTF-8 gives.
bool IsJapaneseRequest(const std::string& name) {
    return StartsWithNoCase(name, "japanese") || StartsWithNoCase(name, "jpn") ||
           StartsWithNoCase(name, "ja-jp") || StartsWithNoCase(name, "ja_jp");
}

bool IsSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

}  // namespace

wchar_t* _wsetlocale(int category, const wchar_t* locale) {
    static thread_local std::wstring answer;
    const char* set;
    if (!locale) {
        set = std::setlocale(category, nullptr);
    } else {
        std::string name = WideToUtf8(locale);
        if (IsJapaneseRequest(name)) name = "C.UTF-8";
        set = std::setlocale(category, name.c_str());
    }
    if (!set) return nullptr;
    answer = Utf8ToWide(set);
    return answer.data();
}

int _wtoi(const wchar_t* text) {
    if (!text) return 0;
    while (IsSpace(*text)) ++text;
    bool negative = false;
    if (*text == L'+' || *text == L'-') negative = *text++ == L'-';
    const int64_t limit = negative ? -static_cast<int64_t>(INT_MIN) : INT_MAX;
    int64_t value = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text) {
        value = value * 10 + (*text - L'0');
        if (value > limit) value = limit;
    }
    return static_cast<int>(negative ? -value : value);
}

double _wtof(const wchar_t* text) {
    if (!text) return 0.0;
    while (IsSpace(*text)) ++text;
    // A number is plain ASCII up to the first space.
    std::string ascii;
    for (; *text > 0 && *text < 0x80 && !IsSpace(*text); ++text) ascii.push_back(static_cast<char>(*text));
    return strtod_l(ascii.c_str(), nullptr, win32_internal::ClassicLocale());
}
