// printf-style formatting with Microsoft's conventions for wide and narrow
// text. Texts and characters are converted here; numbers are printed by the C
// library one conversion at a time under the "C" locale, so '.' is the
// decimal point whatever the process locale is.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>

#include "platform/win32/services_internal.h"

using win32_format::Arg;
using Kind = Arg::Kind;

namespace {

enum class Conv { Signed, Unsigned, Char, Text, Float, Pointer, Percent, Unknown };

struct Conversion {
    bool left = false, plus = false, space = false, alt = false, zero = false;
    bool widthStar = false, precisionStar = false;
    int width = -1;
    int precision = -1;
    int intBytes = 0;          // integer size named by the length modifier, 0 when none
    bool truncating = false;   // h / hh cut the value to their size
    bool narrowText = false;   // h: %hs, %hc
    bool wideText = false;     // l / w: %ls, %ws, %lc
    char conv = 0;
};

Conv Classify(char c) {
    switch (c) {
    case 'd': case 'i': return Conv::Signed;
    case 'u': case 'o': case 'x': case 'X': return Conv::Unsigned;
    case 'c': case 'C': return Conv::Char;
    case 's': case 'S': return Conv::Text;
    case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A': return Conv::Float;
    case 'p': return Conv::Pointer;
    case '%': return Conv::Percent;
    default: return Conv::Unknown;
    }
}

// %s and %c follow the format's own width, %S and %C the other one, unless a
// length modifier names the width.
bool WantsWideText(const Conversion& s, bool wideOutput) {
    if (s.narrowText) return false;
    if (s.wideText) return true;
    return (s.conv == 's' || s.conv == 'c') ? wideOutput : !wideOutput;
}

// Where the text goes: a caller's fixed buffer or a growing string.
template <class Ch>
class Sink {
public:
    Sink(Ch* buffer, size_t count) : buffer_(buffer), count_(count) {}
    explicit Sink(std::basic_string<Ch>& text) : text_(&text) {}

    void Put(const Ch* p, size_t n) {
        if (overflow_) return;
        if (text_) {
            text_->append(p, n);
            return;
        }
        const size_t room = count_ - 1 - length_;
        if (n > room) {
            n = room;
            overflow_ = true;
        }
        std::memcpy(buffer_ + length_, p, n * sizeof(Ch));
        length_ += n;
    }
    void Put(Ch c) { Put(&c, 1); }
    void Fill(Ch c, size_t n) {
        if (text_) {
            if (!overflow_) text_->append(n, c);
            return;
        }
        for (; n > 0 && !overflow_; --n) Put(c);
    }
    bool Overflow() const { return overflow_; }
    size_t Length() const { return text_ ? text_->size() : length_; }

    // Terminates a fixed buffer; a cut never leaves half a UTF-8 sequence.
    void Finish() {
        if (text_) return;
        if constexpr (std::is_same_v<Ch, char>) {
            if (overflow_) length_ = CompleteUtf8Prefix(buffer_, length_);
        }
        buffer_[length_] = 0;
    }

    static size_t CompleteUtf8Prefix(const char* p, size_t n) {
        size_t start = n;
        for (int back = 0; start > 0 && back < 4; ++back) {
            const unsigned char b = static_cast<unsigned char>(p[start - 1]);
            --start;
            if ((b & 0xC0) != 0x80) {
                const size_t expected = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
                return n - start < expected ? start : n;
            }
        }
        return n;
    }

private:
    Ch* buffer_ = nullptr;
    size_t count_ = 0;
    std::basic_string<Ch>* text_ = nullptr;
    size_t length_ = 0;
    bool overflow_ = false;
};

template <class Ch>
void PutPadded(Sink<Ch>& out, const Conversion& s, const Ch* p, size_t n) {
    const size_t width = s.width > 0 ? static_cast<size_t>(s.width) : 0;
    const size_t pad = width > n ? width - n : 0;
    if (!s.left) out.Fill(Ch(' '), pad);
    out.Put(p, n);
    if (s.left) out.Fill(Ch(' '), pad);
}

// A number's text with a run of zeros that belongs inside it at zerosAt. Long
// precisions only ever add zeros, so the run is counted rather than built.
struct NumberText {
    std::string text;
    size_t zerosAt = 0;
    size_t zeros = 0;
    size_t Length() const { return text.size() + zeros; }
};

// More digits than an integer has, or than a double's exact expansion holds:
// a longer precision only adds zeros.
constexpr int kIntegerPrecisionLimit = 32;
constexpr int kFloatPrecisionLimit = 1100;

// One numeric conversion through the C library under the "C" locale, without
// its width (padded by PutNumber) and with the precision capped.
template <class V>
std::string PrintNumber(const Conversion& s, const char* lengthModifier, int precision, V value) {
    std::string format = "%";
    if (s.plus) format += '+';
    if (s.space) format += ' ';
    if (s.alt) format += '#';
    if (precision >= 0) format += '.' + std::to_string(precision);
    format += lengthModifier;
    format += s.conv;

    const locale_t previous = uselocale(win32_internal::ClassicLocale());
    char small[128];
    std::string out;
    const int n = std::snprintf(small, sizeof small, format.c_str(), value);
    if (n >= 0 && static_cast<size_t>(n) < sizeof small) {
        out.assign(small, static_cast<size_t>(n));
    } else if (n >= 0) {
        out.resize(static_cast<size_t>(n));
        std::snprintf(out.data(), out.size() + 1, format.c_str(), value);
    }
    uselocale(previous);
    return out;
}

// Sign, and the 0x of hexadecimal forms: zero padding goes after them.
size_t PrefixLength(const std::string& text, char conv, bool alt) {
    size_t n = !text.empty() && (text[0] == '-' || text[0] == '+' || text[0] == ' ') ? 1 : 0;
    const bool hex = conv == 'a' || conv == 'A' || (alt && (conv == 'x' || conv == 'X'));
    if (hex && text.size() >= n + 2 && text[n] == '0' && (text[n + 1] == 'x' || text[n + 1] == 'X')) n += 2;
    return n;
}

template <class Ch>
void PutAscii(Sink<Ch>& out, const char* p, size_t n) {
    for (size_t i = 0; i < n && !out.Overflow(); ++i) out.Put(static_cast<Ch>(p[i]));
}

// Pads a number to the conversion's width; the zero flag pads after the sign
// unless `zeroPad` is off (integers with a precision, infinities, NaN).
template <class Ch>
void PutNumber(Sink<Ch>& out, const Conversion& s, const NumberText& n, bool zeroPad) {
    const size_t width = s.width > 0 ? static_cast<size_t>(s.width) : 0;
    const size_t pad = width > n.Length() ? width - n.Length() : 0;
    const bool zeros = s.zero && zeroPad && !s.left;
    if (!s.left && !zeros) out.Fill(Ch(' '), pad);
    const size_t prefix = zeros ? std::min(PrefixLength(n.text, s.conv, s.alt), n.zerosAt) : 0;
    PutAscii(out, n.text.data(), prefix);
    if (zeros) out.Fill(Ch('0'), pad);
    PutAscii(out, n.text.data() + prefix, n.zerosAt - prefix);
    out.Fill(Ch('0'), n.zeros);
    PutAscii(out, n.text.data() + n.zerosAt, n.text.size() - n.zerosAt);
    if (s.left) out.Fill(Ch(' '), pad);
}

bool IntegerOf(const Arg& a, uint64_t& bits, int& size) {
    switch (a.kind) {
    case Kind::Signed: case Kind::Unsigned: case Kind::NarrowChar: case Kind::WideChar: case Kind::Pointer:
        bits = a.bits;
        size = a.size;
        return true;
    case Kind::Float:
        // Saturating, as a value conversion rather than a bit reinterpretation.
        if (!(a.real == a.real)) bits = 0;
        else if (a.real >= 9223372036854775807.0) bits = static_cast<uint64_t>(INT64_MAX);
        else if (a.real <= -9223372036854775808.0) bits = static_cast<uint64_t>(INT64_MIN);
        else bits = static_cast<uint64_t>(static_cast<int64_t>(a.real));
        size = 8;
        return true;
    default:
        return false;
    }
}

bool RealOf(const Arg& a, double& value) {
    switch (a.kind) {
    case Kind::Float: value = a.real; return true;
    case Kind::Signed: case Kind::NarrowChar: case Kind::WideChar:
        value = static_cast<double>(static_cast<int64_t>(a.bits));
        return true;
    case Kind::Unsigned: case Kind::Pointer: value = static_cast<double>(a.bits); return true;
    default: return false;
    }
}

template <class Ch>
bool EmitInteger(Sink<Ch>& out, const Conversion& s, bool isSigned, const Arg& a) {
    uint64_t bits;
    int size;
    if (!IntegerOf(a, bits, size)) return false;
    // The value keeps the width it was passed with unless h / hh cut it, so a
    // 64-bit value or an address is never cut to 32 bits by a plain %d.
    const int modifierBytes = s.intBytes ? s.intBytes : 4;
    const int bytes = s.truncating ? modifierBytes : (size > modifierBytes ? size : modifierBytes);
    const uint64_t mask = bytes >= 8 ? ~uint64_t(0) : (uint64_t(1) << (bytes * 8)) - 1;
    uint64_t value = bits & mask;
    NumberText n;
    const int precision = std::min(s.precision, kIntegerPrecisionLimit);
    if (isSigned) {
        if (bytes < 8 && ((value >> (bytes * 8 - 1)) & 1)) value |= ~mask;
        n.text = PrintNumber(s, "ll", precision, static_cast<long long>(value));
    } else {
        n.text = PrintNumber(s, "ll", precision, static_cast<unsigned long long>(value));
    }
    // Extra precision zeros go after the sign and any 0x.
    n.zerosAt = PrefixLength(n.text, s.conv, s.alt);
    n.zeros = s.precision > precision ? static_cast<size_t>(s.precision - precision) : 0;
    PutNumber(out, s, n, s.precision < 0);
    return true;
}

template <class Ch>
bool EmitFloat(Sink<Ch>& out, const Conversion& s, const Arg& a) {
    double value;
    if (!RealOf(a, value)) return false;
    NumberText n;
    const int precision = std::min(s.precision, kFloatPrecisionLimit);
    n.text = PrintNumber(s, "", precision, value);
    n.zerosAt = n.text.size();
    const bool finite = std::isfinite(value);
    // %g drops trailing zeros unless '#' keeps them.
    const bool keepsZeros = (s.conv != 'g' && s.conv != 'G') || s.alt;
    if (finite && keepsZeros && s.precision > precision) {
        const char exponent = s.conv == 'a' || s.conv == 'A' ? 'p' : 'e';
        const size_t at = n.text.find_last_of(exponent == 'p' ? "pP" : "eE");
        if (at != std::string::npos) n.zerosAt = at;
        n.zeros = static_cast<size_t>(s.precision - precision);
    }
    PutNumber(out, s, n, finite);
    return true;
}

template <class Ch>
bool EmitPointer(Sink<Ch>& out, const Conversion& s, const Arg& a) {
    if (a.kind == Kind::Float) return false;
    static const char kDigits[] = "0123456789ABCDEF";
    Ch text[16];
    for (int i = 0; i < 16; ++i) text[i] = static_cast<Ch>(kDigits[(a.bits >> (60 - 4 * i)) & 0xF]);
    PutPadded(out, s, text, 16);
    return true;
}

template <class Ch>
bool EmitChar(Sink<Ch>& out, const Conversion& s, const Arg& a) {
    constexpr bool wideOutput = std::is_same_v<Ch, wchar_t>;
    bool isByte;
    switch (a.kind) {
    case Kind::NarrowChar: isByte = true; break;
    case Kind::WideChar: isByte = false; break;
    case Kind::Signed: case Kind::Unsigned: isByte = !WantsWideText(s, wideOutput); break;
    default: return false;
    }
    Ch text[4];
    size_t n = 1;
    if (isByte) {
        const unsigned char byte = static_cast<unsigned char>(a.bits);
        // A lone byte above 0x7F is never whole UTF-8.
        text[0] = wideOutput ? static_cast<Ch>(byte < 0x80 ? char32_t(byte) : win32_internal::kReplacement)
                             : static_cast<Ch>(byte);
    } else {
        const wchar_t unit = static_cast<wchar_t>(a.bits);
        char32_t cp;
        bool valid;
        win32_internal::DecodeWide(&unit, &unit + 1, cp, valid);
        if constexpr (wideOutput) {
            text[0] = static_cast<wchar_t>(cp);
        } else {
            n = win32_internal::EncodeUtf8(cp, text);
        }
    }
    PutPadded(out, s, text, n);
    return true;
}

// Cuts narrow output at a precision without splitting a UTF-8 sequence.
size_t CutUtf8(const std::string& text, size_t limit) {
    if (limit >= text.size()) return text.size();
    while (limit > 0 && (static_cast<unsigned char>(text[limit]) & 0xC0) == 0x80) --limit;
    return limit;
}

template <class Ch>
bool EmitText(Sink<Ch>& out, const Conversion& s, const Arg& a) {
    constexpr bool wideOutput = std::is_same_v<Ch, wchar_t>;
    const bool nullPointer = a.kind == Kind::Pointer && a.bits == 0;
    if (a.kind != Kind::NarrowText && a.kind != Kind::WideText && !nullPointer) return false;
    const size_t limit = s.precision >= 0 ? static_cast<size_t>(s.precision) : SIZE_MAX;
    if (!a.text) {
        static const Ch kNull[] = {'(', 'n', 'u', 'l', 'l', ')'};
        PutPadded(out, s, kNull, limit < 6 ? limit : 6);
        return true;
    }
    const bool known = a.length != Arg::kUnknownLength;
    if (a.kind == Kind::WideText) {
        const auto* p = static_cast<const wchar_t*>(a.text);
        const size_t n = known ? a.length : wcsnlen(p, limit);
        if constexpr (wideOutput) {
            PutPadded(out, s, p, n < limit ? n : limit);
        } else {
            const std::string text = WideToUtf8(std::wstring_view(p, n < limit ? n : limit));
            PutPadded(out, s, text.data(), CutUtf8(text, limit));
        }
    } else {
        const auto* p = static_cast<const char*>(a.text);
        // Each wide character takes at most four bytes, so a precision bounds
        // how far an unterminated text is read.
        const size_t bytes = known ? a.length : strnlen(p, limit < SIZE_MAX / 4 ? limit * 4 : SIZE_MAX);
        if constexpr (wideOutput) {
            const std::wstring text = Utf8ToWide(std::string_view(p, bytes));
            PutPadded(out, s, text.data(), text.size() < limit ? text.size() : limit);
        } else {
            const std::string text(p, bytes);
            PutPadded(out, s, text.data(), CutUtf8(text, limit));
        }
    }
    return true;
}

// Where the arguments come from: a typed list or a C argument list.
class Source {
public:
    virtual ~Source() = default;
    virtual bool Next(const Conversion& s, Conv conv, bool wideOutput, Arg& arg) = 0;
    virtual bool NextInt(int& value) = 0;
};

class ListSource final : public Source {
public:
    ListSource(const Arg* args, size_t count) : args_(args), count_(count) {}
    bool Next(const Conversion&, Conv, bool, Arg& arg) override {
        if (next_ >= count_) return false;
        arg = args_[next_++];
        return true;
    }
    bool NextInt(int& value) override {
        Arg a = 0;
        Conversion s;
        if (!Next(s, Conv::Signed, false, a)) return false;
        uint64_t bits;
        int size;
        if (!IntegerOf(a, bits, size)) return false;
        const bool negative = a.kind != Kind::Unsigned && a.kind != Kind::Pointer && static_cast<int64_t>(bits) < 0;
        if (negative) value = static_cast<int64_t>(bits) < INT32_MIN ? INT32_MIN : static_cast<int>(static_cast<int64_t>(bits));
        else value = bits > INT32_MAX ? INT32_MAX : static_cast<int>(bits);
        return true;
    }

private:
    const Arg* args_;
    size_t count_;
    size_t next_ = 0;
};

class VaSource final : public Source {
public:
    explicit VaSource(va_list args) { va_copy(args_, args); }
    ~VaSource() override { va_end(args_); }
    VaSource(const VaSource&) = delete;
    VaSource& operator=(const VaSource&) = delete;

    bool Next(const Conversion& s, Conv conv, bool wideOutput, Arg& arg) override {
        const bool wide64 = s.intBytes == 8;
        switch (conv) {
        case Conv::Signed:
            arg = wide64 ? Arg(va_arg(args_, long long)) : Arg(va_arg(args_, int));
            return true;
        case Conv::Unsigned:
            arg = wide64 ? Arg(va_arg(args_, unsigned long long)) : Arg(va_arg(args_, unsigned int));
            return true;
        case Conv::Char: {
            const int c = va_arg(args_, int);
            arg = WantsWideText(s, wideOutput) ? Arg(static_cast<wchar_t>(c)) : Arg(static_cast<char>(c));
            return true;
        }
        case Conv::Text:
            arg = WantsWideText(s, wideOutput) ? Arg(va_arg(args_, const wchar_t*)) : Arg(va_arg(args_, const char*));
            return true;
        case Conv::Float: arg = Arg(va_arg(args_, double)); return true;
        case Conv::Pointer: arg = Arg(va_arg(args_, void*)); return true;
        default: return false;
        }
    }
    bool NextInt(int& value) override {
        value = va_arg(args_, int);
        return true;
    }

private:
    va_list args_;
};

template <class Ch>
bool IsDigit(Ch c) {
    return c >= Ch('0') && c <= Ch('9');
}

template <class Ch>
int ParseCount(const Ch*& p) {
    int value = 0;
    for (; IsDigit(*p); ++p) {
        if (value < 100000000) value = value * 10 + static_cast<int>(*p - Ch('0'));
    }
    return value;
}

// Reads the length modifier, if any.
template <class Ch>
void ParseLength(const Ch*& p, Conversion& s) {
    if (p[0] == Ch('h')) {
        s.narrowText = true;
        s.truncating = true;
        s.intBytes = p[1] == Ch('h') ? 1 : 2;
        p += p[1] == Ch('h') ? 2 : 1;
    } else if (p[0] == Ch('l')) {
        if (p[1] == Ch('l')) {
            s.intBytes = 8;
            p += 2;
        } else {
            s.intBytes = 4;  // a Windows long
            s.wideText = true;
            p += 1;
        }
    } else if (p[0] == Ch('w')) {
        s.wideText = true;
        p += 1;
    } else if (p[0] == Ch('I')) {
        if (p[1] == Ch('6') && p[2] == Ch('4')) {
            s.intBytes = 8;
            p += 3;
        } else if (p[1] == Ch('3') && p[2] == Ch('2')) {
            s.intBytes = 4;
            p += 3;
        } else {
            s.intBytes = 8;  // pointer-sized
            p += 1;
        }
    } else if (p[0] == Ch('z') || p[0] == Ch('j') || p[0] == Ch('t')) {
        s.intBytes = 8;
        p += 1;
    } else if (p[0] == Ch('L')) {
        p += 1;
    }
}

template <class Ch>
void Run(Sink<Ch>& out, const Ch* format, Source& source) {
    constexpr bool wideOutput = std::is_same_v<Ch, wchar_t>;
    const Ch* p = format;
    while (*p) {
        const Ch* literal = p;
        while (*p && *p != Ch('%')) ++p;
        out.Put(literal, static_cast<size_t>(p - literal));
        if (!*p) break;

        const Ch* start = p++;
        Conversion s;
        for (;; ++p) {
            if (*p == Ch('-')) s.left = true;
            else if (*p == Ch('+')) s.plus = true;
            else if (*p == Ch(' ')) s.space = true;
            else if (*p == Ch('#')) s.alt = true;
            else if (*p == Ch('0')) s.zero = true;
            else break;
        }
        if (*p == Ch('*')) {
            s.widthStar = true;
            ++p;
        } else if (IsDigit(*p)) {
            s.width = ParseCount(p);
        }
        if (*p == Ch('.')) {
            ++p;
            if (*p == Ch('*')) {
                s.precisionStar = true;
                ++p;
            } else {
                s.precision = ParseCount(p);
            }
        }
        ParseLength(p, s);
        if (!*p) {  // cut-off conversion at the end: keep its text
            out.Put(start, static_cast<size_t>(p - start));
            break;
        }
        const Ch convChar = *p++;
        const size_t specLength = static_cast<size_t>(p - start);
        const Conv conv = convChar < 0x80 ? Classify(static_cast<char>(convChar)) : Conv::Unknown;
        s.conv = static_cast<char>(convChar);
        if (conv == Conv::Percent) {
            out.Put(Ch('%'));
            continue;
        }
        bool ok = conv != Conv::Unknown;
        if (ok && s.widthStar) {
            int w = 0;
            ok = source.NextInt(w);
            if (w < 0) {
                s.left = true;
                w = w == INT32_MIN ? INT32_MAX : -w;
            }
            s.width = w;
        }
        if (ok && s.precisionStar) {
            int precision = -1;
            ok = source.NextInt(precision);
            s.precision = precision < 0 ? -1 : precision;
        }
        Arg arg = 0;
        if (ok) ok = source.Next(s, conv, wideOutput, arg);
        if (ok) {
            switch (conv) {
            case Conv::Signed: ok = EmitInteger(out, s, true, arg); break;
            case Conv::Unsigned: ok = EmitInteger(out, s, false, arg); break;
            case Conv::Char: ok = EmitChar(out, s, arg); break;
            case Conv::Text: ok = EmitText(out, s, arg); break;
            case Conv::Float: ok = EmitFloat(out, s, arg); break;
            case Conv::Pointer: ok = EmitPointer(out, s, arg); break;
            default: ok = false; break;
            }
        }
        // A conversion that cannot be printed shows as written, so nothing
        // disappears from a log line unnoticed.
        if (!ok) out.Put(start, specLength);
    }
}

template <class Ch>
int FormatBounded(Ch* buffer, size_t count, const Ch* format, Source& source) {
    if (!buffer || count == 0) return -1;
    if (!format) {
        buffer[0] = 0;
        return -1;
    }
    Sink<Ch> out(buffer, count);
    Run(out, format, source);
    out.Finish();
    if (out.Overflow() || out.Length() > static_cast<size_t>(INT32_MAX)) return -1;
    return static_cast<int>(out.Length());
}

template <class Ch>
std::basic_string<Ch> FormatGrowing(const Ch* format, Source& source) {
    std::basic_string<Ch> text;
    if (!format) return text;
    Sink<Ch> out(text);
    Run(out, format, source);
    return text;
}

}  // namespace

namespace win32_format {

int FormatInto(wchar_t* buffer, size_t count, const wchar_t* format, const Arg* args, size_t argCount) {
    ListSource source(args, argCount);
    return FormatBounded(buffer, count, format, source);
}

int FormatInto(char* buffer, size_t count, const char* format, const Arg* args, size_t argCount) {
    ListSource source(args, argCount);
    return FormatBounded(buffer, count, format, source);
}

std::wstring Format(const wchar_t* format, const Arg* args, size_t argCount) {
    ListSource source(args, argCount);
    return FormatGrowing(format, source);
}

std::string Format(const char* format, const Arg* args, size_t argCount) {
    ListSource source(args, argCount);
    return FormatGrowing(format, source);
}

}  // namespace win32_format

int vswprintf_s(wchar_t* buffer, size_t count, const wchar_t* format, va_list args) {
    VaSource source(args);
    return FormatBounded(buffer, count, format, source);
}

int vsprintf_s(char* buffer, size_t count, const char* format, va_list args) {
    VaSource source(args);
    return FormatBounded(buffer, count, format, source);
}

std::wstring FormatWV(const wchar_t* format, va_list args) {
    VaSource source(args);
    return FormatGrowing(format, source);
}

std::string FormatAV(const char* format, va_list args) {
    VaSource source(args);
    return FormatGrowing(format, source);
}
