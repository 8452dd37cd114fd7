#include "engine/core/Utility.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <new>

#include "engine/core/Environment.h"
#include "engine/core/FileBytes.h"
#include "platform/win32/phase_timer.h"

namespace Quorvex {

namespace {

constexpr float kTwoPi = 6.2831855f;
// The largest float below 1.
constexpr float kBelowOne = 0x1.fffffep-1f;

bool IsLeadByte(wchar_t c) {
    const unsigned b = static_cast<unsigned>(c) & 0xFFu;
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsTrailByte(wchar_t c) {
    const unsigned b = static_cast<unsigned>(c) & 0xFFu;
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// Steps the Shift-JIS state by one character.
int NextDbcsState(int previous, wchar_t c) {
    if (previous == 1 && IsTrailByte(c)) return 2;
    return IsLeadByte(c) ? 1 : 0;
}

void Rotate(D3DXVECTOR3& v, const D3DXMATRIX& m) { D3DXVec3TransformCoord(&v, &v, &m); }

// Decimal digits of a magnitude.
int DigitsOf(uint64_t magnitude) {
    int digits = 1;
    while (magnitude >= 10) {
        magnitude /= 10;
        ++digits;
    }
    return digits;
}

uint64_t Magnitude(int64_t n) { return n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n); }

}  // namespace

int RandomInt() {
    // Two statements: the order of the draws is fixed.
    const int high = CrtRand();
    const int low = CrtRand();
    return (high << 15) | low;
}

float RandomFraction(int value) {
    const float f = static_cast<float>(value) * (1.0f / 1073741824.0f);
    return f < 1.0f ? f : kBelowOne;
}

float RandomFloat() { return RandomFraction(RandomInt()); }

float WrapAngle(float angle) {
    float r = std::fmod(angle, kTwoPi);
    if (r < 0.0f) r += kTwoPi;
    // A tiny negative remainder rounds up to 2*pi itself.
    return r < kTwoPi ? r : 0.0f;
}

D3DXVECTOR3 DirectionToAngles(const D3DXVECTOR3& d) {
    const float pitch = std::atan2(-d.y, std::sqrt(d.x * d.x + d.z * d.z));
    const float yaw = std::atan2(d.x, d.z);
    return D3DXVECTOR3(pitch, yaw, 0.0f);
}

D3DXQUATERNION YawPitchRollQuaternion(const D3DXVECTOR3& direction) {
    const D3DXVECTOR3 angles = DirectionToAngles(direction);
    return YawPitchRollQuaternion(angles.y, angles.x, 0.0f);
}

D3DXQUATERNION YawPitchRollQuaternion(float yaw, float pitch, float roll) {
    D3DXQUATERNION q;
    D3DXQuaternionRotationYawPitchRoll(&q, yaw, pitch, roll);
    return q;
}

void RotateX(D3DXVECTOR3& v, float angle) {
    D3DXMATRIX m;
    Rotate(v, *D3DXMatrixRotationX(&m, angle));
}

void RotateY(D3DXVECTOR3& v, float angle) {
    D3DXMATRIX m;
    Rotate(v, *D3DXMatrixRotationY(&m, angle));
}

void RotateZ(D3DXVECTOR3& v, float angle) {
    D3DXMATRIX m;
    Rotate(v, *D3DXMatrixRotationZ(&m, angle));
}

float VectorLength(const D3DXVECTOR3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

D3DXVECTOR3 RotateByQuaternion(const D3DXVECTOR3& v, const D3DXQUATERNION& q) {
    const float length = VectorLength(v);
    const D3DXVECTOR3 n = length > 0.0f ? v / length : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    const D3DXQUATERNION p(n.x, n.y, n.z, 0.0f);
    const D3DXQUATERNION conjugate(-q.x, -q.y, -q.z, q.w);
    // D3DX order multiplies right to left: the two products give q p q*, the
    // rotation of the row-vector matrix. Multiplying p by q* first would
    // cancel q again.
    D3DXQUATERNION t;
    D3DXQuaternionMultiply(&t, &conjugate, &p);
    D3DXQuaternionMultiply(&t, &t, &q);
    return D3DXVECTOR3(t.x, t.y, t.z) * length;
}

int DigitCount(int n) { return DigitCount64(n); }

int DigitCount64(int64_t n) { return DigitsOf(Magnitude(n)) + (n < 0 ? 1 : 0); }

int DigitAt(int64_t n, int k) {
    for (int i = 0; i < k; ++i) {
        n /= 10;
        if (n <= 0) return -1;
    }
    return static_cast<int>(n % 10);
}

std::string FormatInt(int width, int n) {
    if (width <= 0) width = DigitCount(n);
    std::string digits = FormatInt64(n);
    if (digits.size() < static_cast<size_t>(width)) digits.insert(0, static_cast<size_t>(width) - digits.size(), ' ');
    return digits;
}

std::string FormatInt64(int64_t n) {
    char text[24];
    const auto result = std::to_chars(text, text + sizeof(text), n);
    return std::string(text, result.ptr);
}

std::string FormatFloat(float x) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof(text), static_cast<double>(x), std::chars_format::fixed, 6);
    if (result.ec != std::errc()) return FormatA("%f", x);  // longer than any float needs
    return std::string(text, result.ptr);
}

std::wstring NarrowToWide(const char* text) { return text ? Utf8ToWide(text) : std::wstring(); }

std::wstring NarrowToWide1024(const char* text) {
    std::wstring wide = NarrowToWide(text);
    wide.resize(1024, L'\0');
    return wide;
}

int IsDbcsLeadState(const wchar_t* text, size_t index) {
    if (!text) return 0;
    int state = 0;
    for (size_t i = 0; i <= index; ++i) {
        if (text[i] == L'\0') return 0;
        state = NextDbcsState(state, text[i]);
    }
    return state;
}

size_t FindExtension(const wchar_t* path) {
    if (!path) return 0;
    size_t end = 0;
    size_t dot = std::wstring::npos;
    int state = 0;
    for (; path[end] != L'\0'; ++end) {
        const wchar_t c = path[end];
        state = NextDbcsState(state, c);
        // A '\' that is the second byte of a double-byte character is no separator.
        if ((c == L'\\' && state != 2) || c == L'/')
            dot = std::wstring::npos;
        else if (c == L'.')
            dot = end;
    }
    return dot == std::wstring::npos ? end : dot + 1;
}

void ReplaceExtension(const wchar_t* path, std::wstring& out, const wchar_t* extension) {
    out.assign(path ? path : L"", FindExtension(path));
    if (extension) out += extension;
}

std::wstring ResolveReadPath(const wchar_t* path) {
    if (!path) return std::wstring();
    const Environment* environment = g_pEnvironment;
    if (environment && environment->IsFileRedirect()) {
        std::wstring redirected;
        ReplaceExtension(path, redirected, environment->GetRedirectExtension());
        if (const PathFilter filter = environment->GetPathFilter()) filter(redirected);
        const DWORD attributes = GetFileAttributesW(redirected.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return redirected;
    }
    return path;
}

int ReadWholeFile(const wchar_t* path, FileBytes& buffer, DWORD* size) {
    buffer.clear();
    if (size) *size = 0;
    if (!path) return -1;
    return ReadFileAsIs(ResolveReadPath(path).c_str(), buffer, size);
}

int ReadFileAsIs(const wchar_t* path, FileBytes& buffer, DWORD* size) {
    orv::PhaseTimer timer(orv::Phase::FileRead);
    buffer.clear();
    if (size) *size = 0;
    if (!path) return -1;
    const HANDLE file =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    const DWORD fileSize = GetFileSize(file, nullptr);
    int result = 0;
    DWORD read = 0;
    if (fileSize == INVALID_FILE_SIZE) {
        result = -2;  // 4 GiB or more: more than one block can hold
    } else {
        try {
            buffer.resize(fileSize);
        } catch (const std::bad_alloc&) {
            result = -2;
        }
    }
    if (result == 0 && !ReadFile(file, buffer.data(), fileSize, &read, nullptr)) result = -3;
    if (result == 0 && read < fileSize) result = -4;
    CloseHandle(file);
    if (result != 0) {
        // Nothing of a failed read is handed over.
        FileBytes().swap(buffer);
        return result;
    }
    if (size) *size = read;
    return 0;
}

int ReadWholeFile(const wchar_t* path, std::vector<BYTE>& buffer, DWORD* size) {
    FileBytes bytes;
    const int result = ReadWholeFile(path, bytes, size);
    buffer.assign(bytes.begin(), bytes.end());
    return result;
}

int XorBuffer(DWORD length, DWORD key, BYTE* buffer, DWORD defaultLength) {
    orv::PhaseTimer timer(orv::Phase::Descramble);
    if (length == 0) length = defaultLength;
    if (!buffer) return 0;
    const DWORD words = length / 4;
    // Byte j of every word takes byte j of the key: two words at a time as
    // one little-endian 64-bit value.
    const BYTE keyBytes[8] = {BYTE(key), BYTE(key >> 8), BYTE(key >> 16), BYTE(key >> 24),
                              BYTE(key), BYTE(key >> 8), BYTE(key >> 16), BYTE(key >> 24)};
    uint64_t pair;
    std::memcpy(&pair, keyBytes, sizeof pair);
    DWORD w = 0;
    for (; w + 2 <= words; w += 2) {
        uint64_t value;
        std::memcpy(&value, buffer + size_t(w) * 4, sizeof value);
        value ^= pair;
        std::memcpy(buffer + size_t(w) * 4, &value, sizeof value);
    }
    for (; w < words; ++w)
        for (int j = 0; j < 4; ++j) buffer[w * 4 + j] ^= keyBytes[j];
    const DWORD tail = length % 4;
    for (DWORD j = 0; j < tail; ++j) buffer[words * 4 + j] ^= static_cast<BYTE>(key >> (24 - 8 * j));
    return 0;
}

void XorFileSpan(DWORD fileSize, DWORD offset, DWORD length, DWORD key, BYTE* bytes) {
    if (!bytes) return;
    // Whole words of the file take the key byte of their position; the one
    // to three bytes after the last whole word take the key's bytes from the
    // highest down.
    const DWORD words = fileSize / 4 * 4;
    auto single = [&](DWORD i) {
        const DWORD at = offset + i;
        bytes[i] ^= at < words ? static_cast<BYTE>(key >> (8 * (at % 4))) : static_cast<BYTE>(key >> (24 - 8 * (at - words)));
    };
    DWORD i = 0;
    for (; i < length && (offset + i) % 4 != 0; ++i) single(i);
    if (offset + i < words) {
        const DWORD bulk = std::min(length - i, words - (offset + i)) / 4 * 4;
        XorBuffer(bulk, key, bytes + i, bulk);
        i += bulk;
    }
    for (; i < length; ++i) single(i);
}

}  // namespace Quorvex
