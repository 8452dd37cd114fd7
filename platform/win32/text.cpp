// UTF-8 <-> wide text, the Win32 conversion calls over it, and the command
// line handed to the entry point.
#include <cstring>

#include "platform/win32/services_internal.h"

namespace win32_internal {

size_t DecodeUtf8(const unsigned char* p, const unsigned char* end, char32_t& cp, bool& valid) {
    const unsigned char lead = p[0];
    valid = false;
    cp = kReplacement;
    if (lead < 0x80) {
        cp = lead;
        valid = true;
        return 1;
    }
    size_t need;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    char32_t value;
    if (lead < 0xC2) {
        return 1;  // a stray continuation byte or an overlong two-byte lead
    } else if (lead < 0xE0) {
        need = 1;
        value = lead & 0x1F;
    } else if (lead < 0xF0) {
        need = 2;
        value = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;   // overlong
        if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead < 0xF5) {
        need = 3;
        value = lead & 0x07;
        if (lead == 0xF0) low = 0x90;   // overlong
        if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
    } else {
        return 1;
    }
    size_t i = 1;
    for (; i <= need; ++i) {
        if (p + i >= end) return i;
        const unsigned char b = p[i];
        if (b < low || b > high) return i;
        value = (value << 6) | (b & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    cp = value;
    valid = true;
    return i;
}

size_t DecodeWide(const wchar_t* p, const wchar_t* end, char32_t& cp, bool& valid) {
    const uint32_t w = static_cast<uint32_t>(p[0]);
    valid = false;
    cp = kReplacement;
    if (w >= 0xD800 && w <= 0xDBFF) {
        if (p + 1 < end) {
            const uint32_t next = static_cast<uint32_t>(p[1]);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                cp = 0x10000 + ((w - 0xD800) << 10) + (next - 0xDC00);
                valid = true;
                return 2;
            }
        }
        return 1;
    }
    if ((w >= 0xDC00 && w <= 0xDFFF) || w > 0x10FFFF) return 1;
    cp = w;
    valid = true;
    return 1;
}

size_t EncodeUtf8(char32_t cp, char* out) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (cp >> 18));
    out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

std::wstring Utf8ToWide(std::string_view text, bool& allValid) {
    std::wstring out;
    out.reserve(text.size());
    allValid = true;
    auto p = reinterpret_cast<const unsigned char*>(text.data());
    const auto end = p + text.size();
    while (p < end) {
        char32_t cp;
        bool valid;
        p += DecodeUtf8(p, end, cp, valid);
        allValid = allValid && valid;
        out.push_back(static_cast<wchar_t>(cp));
    }
    return out;
}

std::string WideToUtf8(std::wstring_view text, bool& allValid) {
    std::string out;
    out.reserve(text.size());
    allValid = true;
    const wchar_t* p = text.data();
    const wchar_t* const end = p + text.size();
    char bytes[4];
    while (p < end) {
        char32_t cp;
        bool valid;
        p += DecodeWide(p, end, cp, valid);
        allValid = allValid && valid;
        out.append(bytes, EncodeUtf8(cp, bytes));
    }
    return out;
}

}  // namespace win32_internal

using namespace win32_internal;

std::wstring Utf8ToWide(std::string_view text) {
    bool allValid;
    return win32_internal::Utf8ToWide(text, allValid);
}

std::string WideToUtf8(std::wstring_view text) {
    bool allValid;
    return win32_internal::WideToUtf8(text, allValid);
}

namespace {

bool IsUtf8CodePage(UINT codePage) { return codePage == CP_ACP || codePage == CP_UTF8; }

// Copies a converted text out under the Win32 rules shared by both calls.
template <class Ch>
int CopyOut(const std::basic_string<Ch>& converted, Ch* dst, int dstLength) {
    if (converted.size() > static_cast<size_t>(INT32_MAX)) return 0;
    const int needed = static_cast<int>(converted.size());
    if (dstLength == 0) return needed;
    if (needed > dstLength) return 0;
    std::memcpy(dst, converted.data(), converted.size() * sizeof(Ch));
    return needed;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcLength, LPWSTR dst,
                        int dstLength) {
    if (!IsUtf8CodePage(codePage) || !src || srcLength == 0 || srcLength < -1 || dstLength < 0 ||
        (dstLength > 0 && !dst))
        return 0;
    const size_t length = srcLength == -1 ? std::strlen(src) + 1 : static_cast<size_t>(srcLength);
    bool allValid;
    const std::wstring converted = win32_internal::Utf8ToWide(std::string_view(src, length), allValid);
    if (!allValid && (flags & MB_ERR_INVALID_CHARS)) return 0;
    return CopyOut(converted, dst, dstLength);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcLength, LPSTR dst,
                        int dstLength, LPCSTR, BOOL* usedDefaultChar) {
    if (!IsUtf8CodePage(codePage) || !src || srcLength == 0 || srcLength < -1 || dstLength < 0 ||
        (dstLength > 0 && !dst))
        return 0;
    const size_t length = srcLength == -1 ? std::wcslen(src) + 1 : static_cast<size_t>(srcLength);
    bool allValid;
    const std::string converted = win32_internal::WideToUtf8(std::wstring_view(src, length), allValid);
    if (!allValid && (flags & WC_ERR_INVALID_CHARS)) return 0;
    if (usedDefaultChar) *usedDefaultChar = allValid ? FALSE : TRUE;
    return CopyOut(converted, dst, dstLength);
}

std::wstring BuildCommandLine(int argc, const char* const* argv) {
    std::wstring line;
    for (int i = 1; argv && i < argc; ++i) {
        const std::wstring arg = argv[i] ? Utf8ToWide(argv[i]) : std::wstring();
        if (i > 1) line.push_back(L' ');
        if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
            line += arg;
            continue;
        }
        // Quoted the way the Windows argument splitter reads it back: backslashes
        // are literal except before a quote, where they are doubled.
        line.push_back(L'"');
        size_t backslashes = 0;
        for (const wchar_t c : arg) {
            if (c == L'\\') {
                ++backslashes;
                continue;
            }
            if (c == L'"') {
                line.append(backslashes * 2 + 1, L'\\');
            } else {
                line.append(backslashes, L'\\');
            }
            backslashes = 0;
            line.push_back(c);
        }
        line.append(backslashes * 2, L'\\');
        line.push_back(L'"');
    }
    return line;
}
