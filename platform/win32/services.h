// Process services of the Win32 subset: the entry point's start-up values,
// text conversion and Microsoft-style formatting, locale and number parsing,
// whole-file reads, threads and critical sections, the millisecond clock,
// debugger output and the C runtime's random generator.
//
// Text: wchar_t is UTF-32 in memory; the "ANSI" code page is UTF-8, on disk
// and in the log. Numbers are parsed and printed with '.' whatever the
// process locale is.
#pragma once

#include <array>
#include <clocale>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "platform/win32/types.h"

// ---------------------------------------------------------------------------
// Entry point

// Defined by the engine; main() calls it with the program's arguments joined
// into one command line.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE prevInstance, LPWSTR cmdLine, int showCmd);

// The arguments after the program name joined with spaces; an argument that is
// empty or holds a space, a tab or a quote is quoted so that it splits back the
// same way.
std::wstring BuildCommandLine(int argc, const char* const* argv);

// The show-window modes (SW_*) are in window.h.

// ---------------------------------------------------------------------------
// Text conversion. CP_ACP and CP_UTF8 both mean UTF-8; other code pages fail.
// Invalid input becomes U+FFFD unless the *_ERR_INVALID_CHARS flag asks for
// failure. A source length of -1 converts up to and including the terminator.
// A destination length of 0 asks for the size needed; a destination that is
// too small fails (returns 0) and is left untouched.

inline constexpr UINT CP_ACP = 0;
inline constexpr UINT CP_UTF8 = 65001;
inline constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;
inline constexpr DWORD WC_ERR_INVALID_CHARS = 0x00000080;

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcLength, LPWSTR dst,
                        int dstLength);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcLength, LPSTR dst,
                        int dstLength, LPCSTR defaultChar, BOOL* usedDefaultChar);

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// ---------------------------------------------------------------------------
// Locale and numbers

// A request for "japanese" selects C.UTF-8 (the Japanese locale is not
// installed on a minimal system; the text is UTF-8 anyway). Answers the name
// of the locale now set, or null when the request failed.
wchar_t* _wsetlocale(int category, const wchar_t* locale);

// Leading-number conversions as the C runtime does them, with '.' as decimal
// point in every locale: leading white space, a sign, digits; text without a
// leading number gives 0. _wtoi saturates at INT_MIN / INT_MAX.
int _wtoi(const wchar_t* text);
double _wtof(const wchar_t* text);

// ---------------------------------------------------------------------------
// Formatting with Microsoft's conventions. In a wide format %s and %c take
// wide text, %S and %C narrow text; in a narrow format the other way round;
// %hs / %ls / %ws name the width explicitly. %I64d, %I64u, %lld and %zd take
// 64-bit values, %ld 32-bit (a Windows long). %p prints 16 upper-case hex
// digits. Numbers always use '.'.
//
// The variadic templates know each argument's type: a text argument prints as
// text whatever its width, an integer prints at its own width (so "%d" with a
// pointer or a 64-bit value prints the whole value), and an argument that
// does not fit its conversion is written as the conversion text itself, as is
// a conversion with no argument left.
//
// The bounded forms never write past count characters, always terminate the
// buffer (when count > 0) and answer the length written; when the text does
// not fit they keep the part that fits and answer -1.

namespace win32_format {

template <class T>
inline constexpr bool kIsCharType =
    std::is_same_v<T, char> || std::is_same_v<T, wchar_t> || std::is_same_v<T, char8_t> ||
    std::is_same_v<T, char16_t> || std::is_same_v<T, char32_t>;

// One argument of a formatted call, with its type kept.
struct Arg {
    enum class Kind : uint8_t { Signed, Unsigned, Float, Pointer, NarrowChar, WideChar, NarrowText, WideText };
    static constexpr size_t kUnknownLength = static_cast<size_t>(-1);

    Kind kind = Kind::Signed;
    uint8_t size = 0;             // bytes of the integer as passed
    uint64_t bits = 0;            // integers: sign- or zero-extended; pointers: the address
    double real = 0;              // Float
    const void* text = nullptr;   // NarrowText / WideText
    size_t length = kUnknownLength;  // text length when known, else terminated text

    template <class T>
        requires(std::is_integral_v<T> && !kIsCharType<T>)
    Arg(T v)
        : kind(std::is_signed_v<T> ? Kind::Signed : Kind::Unsigned),
          size(static_cast<uint8_t>(sizeof(T))),
          bits(std::is_signed_v<T> ? static_cast<uint64_t>(static_cast<int64_t>(v))
                                   : static_cast<uint64_t>(v)) {}
    template <class T>
        requires std::is_enum_v<T>
    Arg(T v) : Arg(static_cast<std::underlying_type_t<T>>(v)) {}
    template <class T>
        requires std::is_floating_point_v<T>
    Arg(T v) : kind(Kind::Float), size(8), real(static_cast<double>(v)) {}
    template <class T>
        requires(!kIsCharType<std::remove_cv_t<T>>)
    Arg(T* p) : kind(Kind::Pointer), size(8), bits(reinterpret_cast<uintptr_t>(p)) {}
    Arg(std::nullptr_t) : kind(Kind::Pointer), size(8) {}

    Arg(char c) : kind(Kind::NarrowChar), size(1), bits(static_cast<uint64_t>(static_cast<int64_t>(c))) {}
    Arg(char8_t c) : kind(Kind::NarrowChar), size(1), bits(c) {}
    Arg(wchar_t c)
        : kind(Kind::WideChar), size(sizeof(wchar_t)), bits(static_cast<uint64_t>(static_cast<int64_t>(c))) {}
    Arg(char16_t c) : kind(Kind::WideChar), size(2), bits(c) {}
    Arg(char32_t c) : kind(Kind::WideChar), size(4), bits(c) {}

    Arg(const char* s) : kind(Kind::NarrowText), size(8), bits(reinterpret_cast<uintptr_t>(s)), text(s) {}
    Arg(const wchar_t* s) : kind(Kind::WideText), size(8), bits(reinterpret_cast<uintptr_t>(s)), text(s) {}
    Arg(std::string_view s) : Arg(s.data()) { length = s.size(); }
    Arg(std::wstring_view s) : Arg(s.data()) { length = s.size(); }
    Arg(const std::string& s) : Arg(std::string_view(s)) {}
    Arg(const std::wstring& s) : Arg(std::wstring_view(s)) {}
};

// A va_list handed to the typed forms would print as a pointer; refuse it.
using VaListPointer = decltype(&std::declval<va_list&>()[0]);
template <class... A>
inline constexpr bool kNoVaList = (!std::is_same_v<std::decay_t<A>, VaListPointer> && ...);

int FormatInto(wchar_t* buffer, size_t count, const wchar_t* format, const Arg* args, size_t argCount);
int FormatInto(char* buffer, size_t count, const char* format, const Arg* args, size_t argCount);
std::wstring Format(const wchar_t* format, const Arg* args, size_t argCount);
std::string Format(const char* format, const Arg* args, size_t argCount);

}  // namespace win32_format

template <class... A>
std::wstring FormatW(const wchar_t* format, const A&... args) {
    static_assert(win32_format::kNoVaList<A...>, "pass a va_list to FormatWV");
    const std::array<win32_format::Arg, sizeof...(A)> list{win32_format::Arg(args)...};
    return win32_format::Format(format, list.data(), list.size());
}

template <class... A>
std::string FormatA(const char* format, const A&... args) {
    static_assert(win32_format::kNoVaList<A...>, "pass a va_list to FormatAV");
    const std::array<win32_format::Arg, sizeof...(A)> list{win32_format::Arg(args)...};
    return win32_format::Format(format, list.data(), list.size());
}

template <class... A>
int swprintf_s(wchar_t* buffer, size_t count, const wchar_t* format, const A&... args) {
    static_assert(win32_format::kNoVaList<A...>, "pass a va_list to vswprintf_s");
    const std::array<win32_format::Arg, sizeof...(A)> list{win32_format::Arg(args)...};
    return win32_format::FormatInto(buffer, count, format, list.data(), list.size());
}

template <size_t N, class... A>
int swprintf_s(wchar_t (&buffer)[N], const wchar_t* format, const A&... args) {
    return swprintf_s(static_cast<wchar_t*>(buffer), N, format, args...);
}

template <class... A>
int sprintf_s(char* buffer, size_t count, const char* format, const A&... args) {
    static_assert(win32_format::kNoVaList<A...>, "pass a va_list to vsprintf_s");
    const std::array<win32_format::Arg, sizeof...(A)> list{win32_format::Arg(args)...};
    return win32_format::FormatInto(buffer, count, format, list.data(), list.size());
}

template <size_t N, class... A>
int sprintf_s(char (&buffer)[N], const char* format, const A&... args) {
    return sprintf_s(static_cast<char*>(buffer), N, format, args...);
}

// The same over a C argument list, for C-style variadic callers. Here the
// conversion decides what is read: %d reads an int, %I64d a 64-bit value.
int vswprintf_s(wchar_t* buffer, size_t count, const wchar_t* format, va_list args);
int vsprintf_s(char* buffer, size_t count, const char* format, va_list args);
std::wstring FormatWV(const wchar_t* format, va_list args);
std::string FormatAV(const char* format, va_list args);

// ---------------------------------------------------------------------------
// Handles and files. Paths are wide; '\' and '/' both separate folders. Only
// reading of existing files is offered.

typedef struct _SECURITY_ATTRIBUTES SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;
typedef struct _OVERLAPPED OVERLAPPED, *LPOVERLAPPED;

inline constexpr DWORD GENERIC_READ = 0x80000000u;
inline constexpr DWORD GENERIC_WRITE = 0x40000000u;
inline constexpr DWORD FILE_SHARE_READ = 0x00000001;
inline constexpr DWORD FILE_SHARE_WRITE = 0x00000002;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
inline constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFFu;

// Closes a file or thread handle; FALSE for a handle that is not open.
BOOL CloseHandle(HANDLE handle);

// Opens an existing file (not a folder) for reading: GENERIC_READ with
// OPEN_EXISTING; anything else fails. INVALID_HANDLE_VALUE on failure.
HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD creation, DWORD flags, HANDLE templateFile);
// The size's low 32 bits (high bits into *high). With no high pointer a file
// of 4 GiB or more answers INVALID_FILE_SIZE rather than a wrong size.
DWORD GetFileSize(HANDLE file, LPDWORD high);
// Reads up to toRead bytes; *read gets the count (less only at end of file).
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
// FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_NORMAL, or INVALID_FILE_ATTRIBUTES
// when nothing exists at the path.
DWORD GetFileAttributesW(LPCWSTR path);

// The path as the file system takes it (UTF-8, '\' turned into '/').
std::string NativePath(const wchar_t* path);
// fopen with a wide path and mode ('t' is the default here).
FILE* _wfopen(const wchar_t* path, const wchar_t* mode);
// Reads one line of a UTF-8 text file into wide text, newline included as
// text mode gives it ("\r\n" becomes "\n"); a byte-order mark at the start of
// the file is skipped. False at end of file with nothing read.
bool ReadLineW(FILE* file, std::wstring& line);

// ---------------------------------------------------------------------------
// Threads and critical sections

typedef DWORD(WINAPI* LPTHREAD_START_ROUTINE)(LPVOID parameter);

inline constexpr DWORD STILL_ACTIVE = 259;
inline constexpr DWORD INFINITE = 0xFFFFFFFFu;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;

// Starts start(parameter) on a new thread (stack size is the system's; no
// creation flags are supported). Null on failure. The thread's exit code is
// the routine's result.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD flags, LPDWORD threadId);
// STILL_ACTIVE while the thread runs, then its exit code.
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
// Waits for a thread to end: WAIT_OBJECT_0, WAIT_TIMEOUT, or WAIT_FAILED for a
// handle that is not an open thread.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
DWORD GetCurrentThreadId();

// Recursive lock: the owning thread may enter again and leaves as often.
typedef struct _CRITICAL_SECTION {
    alignas(8) unsigned char opaque[48];
    uint32_t state;
} CRITICAL_SECTION, *LPCRITICAL_SECTION;

void InitializeCriticalSection(LPCRITICAL_SECTION section);
void EnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);

// ---------------------------------------------------------------------------
// Time

typedef UINT MMRESULT;
inline constexpr MMRESULT TIMERR_NOERROR = 0;

// Milliseconds of a monotonic clock, wrapping at 2^32.
DWORD timeGetTime();
// The clock already has millisecond resolution; these only answer success.
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);
// Sleep(0) gives up the rest of the time slice.
void Sleep(DWORD milliseconds);

// ---------------------------------------------------------------------------
// Debugger output and console

// No debugger watches here: the text goes to standard error, one message a
// line, only when the environment variable ORVALIS_DEBUG_OUTPUT is set to
// anything but "" or "0". Otherwise it is dropped (the message log keeps the
// game's own traces).
void OutputDebugStringW(LPCWSTR text);
// Writes one line of UTF-8 to standard error in a single write: Windows line
// breaks become plain ones and the line ends with exactly one line break.
void WriteStandardErrorLine(std::string_view text);
// The process has no console of its own to free.
BOOL FreeConsole();

// ---------------------------------------------------------------------------
// The C runtime's random generator (Microsoft's): 15-bit results from one
// process-wide state, seeded with 1 until CrtSrand is called.

inline constexpr int CRT_RAND_MAX = 0x7FFF;
int CrtRand();
void CrtSrand(unsigned seed);
