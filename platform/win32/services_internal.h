// Shared pieces of the process services' implementation; not for callers.
#pragma once

#include <locale.h>

#include <memory>

#include "platform/win32/services.h"

namespace win32_internal {

inline constexpr char32_t kReplacement = 0xFFFD;

// Reads one code point of UTF-8 at p (p < end). An invalid or cut-off sequence
// reads as U+FFFD with valid = false and consumes its longest valid-looking
// prefix (at least one byte). Answers the bytes consumed.
size_t DecodeUtf8(const unsigned char* p, const unsigned char* end, char32_t& cp, bool& valid);
// Reads one code point of wide text at p (p < end): a UTF-16 surrogate pair
// held in two units is joined; a lone surrogate or a value out of range reads
// as U+FFFD with valid = false. Answers the units consumed.
size_t DecodeWide(const wchar_t* p, const wchar_t* end, char32_t& cp, bool& valid);
// Writes cp as UTF-8 (1 to 4 bytes) and answers the count.
size_t EncodeUtf8(char32_t cp, char* out);

// Conversions that also say whether any input was invalid.
std::wstring Utf8ToWide(std::string_view text, bool& allValid);
std::string WideToUtf8(std::wstring_view text, bool& allValid);

// The "C" locale, for number parsing and printing independent of the
// process locale.
locale_t ClassicLocale();

// Kernel objects behind HANDLE values.
struct KernelObject {
    virtual ~KernelObject() = default;
    // Called once when the last handle to the object is closed.
    virtual void OnClose() {}
};

HANDLE RegisterHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> FindHandle(HANDLE handle);

template <class T>
std::shared_ptr<T> FindHandleAs(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(FindHandle(handle));
}

}  // namespace win32_internal
