// The bounded formatter: any format text against a fixed set of arguments.
#include <string>

#include "platform/win32/services.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string format(reinterpret_cast<const char*>(data), size);  // cut at the first NUL
    const std::wstring wide(format.begin(), format.end());
    const win32_format::Arg args[] = {42, -7LL, 3.25, "text", L"wide", 'c', L'w', 1e300, 0u, nullptr};
    const size_t count = sizeof args / sizeof args[0];
    char narrow[200];
    wchar_t wideOut[200];
    win32_format::FormatInto(narrow, sizeof narrow, format.c_str(), args, count);
    win32_format::FormatInto(wideOut, 200, wide.c_str(), args, count);
    return 0;
}
