// Small helpers shared by every subsystem: random numbers, angles and
// vectors, number formatting, text conversion, file-name extensions, the
// whole-file reader and the word-wise XOR of scrambled asset files.
#pragma once
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3dx9/d3dx9.h"
#include "platform/win32/win32.h"

namespace Quorvex {

// ---- Random numbers (the C runtime's generator, seeded with 0 at start-up)

// Two 15-bit draws, the first in the high bits: a 30-bit non-negative value.
int RandomInt();
// A 30-bit value scaled by 2^-30 into [0, 1). The top values would round to
// 1.0 in a float; they give the largest float below 1 instead.
float RandomFraction(int value);
// RandomFraction(RandomInt()).
float RandomFloat();

// ---- Angles and vectors (radians)

inline float SinF(float angle) { return static_cast<float>(std::sin(angle)); }
inline float CosF(float angle) { return static_cast<float>(std::cos(angle)); }
inline float SquareRoot(float value) { return std::sqrt(value); }
// Into [0, 2*pi).
float WrapAngle(float angle);
// (pitch, yaw, 0) of a direction: pitch = atan2(-y, sqrt(x*x + z*z)), yaw = atan2(x, z).
D3DXVECTOR3 DirectionToAngles(const D3DXVECTOR3& direction);
inline D3DXVECTOR3 DirectionToPitchYaw(const D3DXVECTOR3& direction) { return DirectionToAngles(direction); }
// The yaw-pitch-roll rotation of DirectionToAngles(direction).
D3DXQUATERNION YawPitchRollQuaternion(const D3DXVECTOR3& direction);
D3DXQUATERNION YawPitchRollQuaternion(float yaw, float pitch, float roll);
// v = v x the rotation matrix about the axis (row vector).
void RotateX(D3DXVECTOR3& v, float angle);
void RotateY(D3DXVECTOR3& v, float angle);
void RotateZ(D3DXVECTOR3& v, float angle);
inline void Vec3RotateX(D3DXVECTOR3& v, float angle) { RotateX(v, angle); }
inline void Vec3RotateY(D3DXVECTOR3& v, float angle) { RotateY(v, angle); }
float VectorLength(const D3DXVECTOR3& v);
// v rotated by q: the same as v x D3DXMatrixRotationQuaternion(q); the length
// of v is kept.
D3DXVECTOR3 RotateByQuaternion(const D3DXVECTOR3& v, const D3DXQUATERNION& q);

// ---- Numbers to text

// Decimal digits, one more for the minus sign.
int DigitCount(int n);
int DigitCount64(int64_t n);
// The k-th decimal digit counted from the units; -1 once the number has no
// more digits (k = 0 answers n % 10).
int DigitAt(int64_t n, int k);
// n right-aligned in width characters (width <= 0: DigitCount(n)).
std::string FormatInt(int width, int n);
std::string FormatInt64(int64_t n);
// Six decimals, '.' as decimal point in every locale.
std::string FormatFloat(float x);

// ---- Text

// From the narrow (UTF-8) text of the program; null or empty gives "".
std::wstring NarrowToWide(const char* text);
// Exactly 1024 characters, zero-filled after the converted text.
std::wstring NarrowToWide1024(const char* text);
// Shift-JIS state of the character at index, from the low byte of each
// character: 1 lead byte outside a pair, 2 trail byte of a pair, else 0.
int IsDbcsLeadState(const wchar_t* text, size_t index);
// Index just after the last '.' of the file name (after the last '\' or '/'
// that is not a trail byte); the text's length when there is none.
size_t FindExtension(const wchar_t* path);
// out = path up to and including that '.', then extension.
void ReplaceExtension(const wchar_t* path, std::wstring& out, const wchar_t* extension);

// ---- Files

// Reads a whole file. With the environment's redirection on, the path with
// the redirect extension (passed through the path filter) is read instead
// when it exists. 0; -1 cannot open, -2 no memory, -3 read failed, -4 short
// read. On every failure the buffer is left empty.
int ReadWholeFile(const wchar_t* path, std::vector<BYTE>& buffer, DWORD* size = nullptr);

// XORs each whole 32-bit little-endian word with key, then the one to three
// tail bytes with the key's bytes from the highest down. A length of 0 means
// defaultLength. Applying it twice restores the data. Answers 0.
int XorBuffer(DWORD length, DWORD key, BYTE* buffer, DWORD defaultLength);
// XorBuffer over a whole file of fileSize bytes, done on the part of it that
// starts at offset: the bytes come out as that call would leave them.
void XorFileSpan(DWORD fileSize, DWORD offset, DWORD length, DWORD key, BYTE* bytes);

// Releases every object of a set of counted pointers and empties it.
template <class Set>
void ReleaseObjectSet(Set& set) {
    // The set is emptied first, so a destructor that looks at it finds it
    // consistent.
    Set held;
    held.swap(set);
    for (auto* object : held)
        if (object) object->Release();
}

}  // namespace Quorvex
