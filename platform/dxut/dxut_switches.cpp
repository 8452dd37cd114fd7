// The framework's command-line switches.
#include <cstdio>
#include <cwctype>
#include <string>
#include <vector>

#include "platform/dxut/dxut.h"
#include "platform/win32/services.h"

namespace {

DXUTCommandLineSwitches g_switches;

// Windows' argument splitting: blanks separate arguments outside quotes;
// quotes group and vanish; backslashes are literal except before a quote,
// where 2n of them give n and a quote that groups, 2n + 1 give n and a quote.
std::vector<std::wstring> SplitArguments(const wchar_t* line) {
    std::vector<std::wstring> args;
    std::wstring current;
    bool inArgument = false, quoted = false;
    for (const wchar_t* p = line; *p;) {
        const wchar_t c = *p;
        if (!quoted && (c == L' ' || c == L'\t' || c == L'\n' || c == L'\v')) {
            if (inArgument) args.push_back(current);
            current.clear();
            inArgument = false;
            ++p;
            continue;
        }
        inArgument = true;
        if (c == L'\\') {
            size_t backslashes = 0;
            while (*p == L'\\') ++backslashes, ++p;
            if (*p == L'"') {
                current.append(backslashes / 2, L'\\');
                if (backslashes % 2) {
                    current.push_back(L'"');
                    ++p;
                }
            } else {
                current.append(backslashes, L'\\');
            }
            continue;
        }
        if (c == L'"')
            quoted = !quoted;
        else
            current.push_back(c);
        ++p;
    }
    if (inArgument) args.push_back(current);
    return args;
}

bool SameName(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return i == a.size() && !b[i];
}

// A whole positive number that fits an int; 0 for anything else.
int PositiveNumber(const std::wstring& text) {
    if (text.empty() || text.size() > 9) return 0;
    int value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return 0;
        value = value * 10 + (c - L'0');
    }
    return value;
}

void ReportBadValue(const std::wstring& argument, const char* expected) {
    std::fprintf(stderr, "DXUT: ignoring the switch %s: %s\n", WideToUtf8(argument).c_str(), expected);
}

}  // namespace

void DXUTParseCommandLine(LPCWSTR commandLine) {
    g_switches = DXUTCommandLineSwitches{};
    if (!commandLine) return;
    for (const std::wstring& arg : SplitArguments(commandLine)) {
        if (arg.size() < 2 || (arg[0] != L'-' && arg[0] != L'/')) continue;
        const size_t colon = arg.find(L':');
        const std::wstring name = arg.substr(1, colon == std::wstring::npos ? std::wstring::npos : colon - 1);
        const std::wstring value = colon == std::wstring::npos ? std::wstring() : arg.substr(colon + 1);
        const bool hasValue = colon != std::wstring::npos;
        if (!hasValue && SameName(name, L"windowed")) {
            g_switches.windowed = true;
        } else if (!hasValue && SameName(name, L"fullscreen")) {
            g_switches.fullscreen = true;
        } else if (SameName(name, L"width") || SameName(name, L"height") || SameName(name, L"quitafterframe")) {
            const int number = PositiveNumber(value);
            if (number == 0) {
                ReportBadValue(arg, "expected a whole number from 1 to 999999999 after ':'");
                continue;
            }
            int& target = SameName(name, L"width")    ? g_switches.width
                          : SameName(name, L"height") ? g_switches.height
                                                      : g_switches.quitAfterFrame;
            target = number;
        } else if (SameName(name, L"screenshot")) {
            if (value.empty()) {
                ReportBadValue(arg, "expected a file name after ':'");
                continue;
            }
            g_switches.screenshot = value;
        }
    }
}

const DXUTCommandLineSwitches& DXUTGetCommandLineSwitches() { return g_switches; }
