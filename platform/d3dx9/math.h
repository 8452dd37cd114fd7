// Vector, matrix, quaternion, plane and colour maths in the Direct3D
// conventions the engine and game are written against:
//  - row vectors: a point p is transformed as p * M, so M1 * M2 applies M1
//    first, and a matrix's translation sits in its fourth row (_41, _42, _43);
//  - left-handed space, positive angles turn clockwise when looking along the
//    axis toward the origin (RotationY(+90 degrees) takes +x to -z);
//  - clip-space depth runs from 0 at the near plane to 1 at the far plane;
//  - quaternions (x, y, z, w) with D3DXQuaternionMultiply(q1, q2) meaning
//    "rotate by q1, then by q2", matching matrix order.
// Every function that writes an out pointer returns it, so calls can nest.
// Out pointers may alias inputs. Default-constructed values are zero.
#pragma once
#include "platform/d3d9/math_types.h"

#define D3DX_PI 3.141592654f
#define D3DX_1BYPI 0.318309886f
#define D3DXToRadian(degree) ((degree) * (D3DX_PI / 180.0f))
#define D3DXToDegree(radian) ((radian) * (180.0f / D3DX_PI))

struct D3DXMATRIX;

struct D3DXVECTOR2 {
    float x, y;

    constexpr D3DXVECTOR2() : x(0), y(0) {}
    D3DXVECTOR2(const float* f) : x(f[0]), y(f[1]) {}
    constexpr D3DXVECTOR2(float fx, float fy) : x(fx), y(fy) {}

    operator float*() { return &x; }
    operator const float*() const { return &x; }

    D3DXVECTOR2& operator+=(const D3DXVECTOR2& v) { x += v.x; y += v.y; return *this; }
    D3DXVECTOR2& operator-=(const D3DXVECTOR2& v) { x -= v.x; y -= v.y; return *this; }
    D3DXVECTOR2& operator*=(float s) { x *= s; y *= s; return *this; }
    D3DXVECTOR2& operator/=(float s) { const float inv = 1.0f / s; x *= inv; y *= inv; return *this; }

    D3DXVECTOR2 operator+() const { return *this; }
    D3DXVECTOR2 operator-() const { return D3DXVECTOR2(-x, -y); }

    D3DXVECTOR2 operator+(const D3DXVECTOR2& v) const { return D3DXVECTOR2(x + v.x, y + v.y); }
    D3DXVECTOR2 operator-(const D3DXVECTOR2& v) const { return D3DXVECTOR2(x - v.x, y - v.y); }
    D3DXVECTOR2 operator*(float s) const { return D3DXVECTOR2(x * s, y * s); }
    D3DXVECTOR2 operator/(float s) const { const float inv = 1.0f / s; return D3DXVECTOR2(x * inv, y * inv); }
    friend D3DXVECTOR2 operator*(float s, const D3DXVECTOR2& v) { return v * s; }

    bool operator==(const D3DXVECTOR2& v) const { return x == v.x && y == v.y; }
    bool operator!=(const D3DXVECTOR2& v) const { return !(*this == v); }
};

struct D3DXVECTOR3 : public D3DVECTOR {
    constexpr D3DXVECTOR3() : D3DVECTOR{0, 0, 0} {}
    D3DXVECTOR3(const float* f) : D3DVECTOR{f[0], f[1], f[2]} {}
    constexpr D3DXVECTOR3(const D3DVECTOR& v) : D3DVECTOR{v.x, v.y, v.z} {}
    constexpr D3DXVECTOR3(float fx, float fy, float fz) : D3DVECTOR{fx, fy, fz} {}

    operator float*() { return &x; }
    operator const float*() const { return &x; }

    D3DXVECTOR3& operator+=(const D3DXVECTOR3& v) { x += v.x; y += v.y; z += v.z; return *this; }
    D3DXVECTOR3& operator-=(const D3DXVECTOR3& v) { x -= v.x; y -= v.y; z -= v.z; return *this; }
    D3DXVECTOR3& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }
    D3DXVECTOR3& operator/=(float s) { const float inv = 1.0f / s; x *= inv; y *= inv; z *= inv; return *this; }

    D3DXVECTOR3 operator+() const { return *this; }
    D3DXVECTOR3 operator-() const { return D3DXVECTOR3(-x, -y, -z); }

    D3DXVECTOR3 operator+(const D3DXVECTOR3& v) const { return D3DXVECTOR3(x + v.x, y + v.y, z + v.z); }
    D3DXVECTOR3 operator-(const D3DXVECTOR3& v) const { return D3DXVECTOR3(x - v.x, y - v.y, z - v.z); }
    D3DXVECTOR3 operator*(float s) const { return D3DXVECTOR3(x * s, y * s, z * s); }
    D3DXVECTOR3 operator/(float s) const { const float inv = 1.0f / s; return D3DXVECTOR3(x * inv, y * inv, z * inv); }
    friend D3DXVECTOR3 operator*(float s, const D3DXVECTOR3& v) { return v * s; }

    bool operator==(const D3DXVECTOR3& v) const { return x == v.x && y == v.y && z == v.z; }
    bool operator!=(const D3DXVECTOR3& v) const { return !(*this == v); }
};

struct D3DXVECTOR4 {
    float x, y, z, w;

    constexpr D3DXVECTOR4() : x(0), y(0), z(0), w(0) {}
    D3DXVECTOR4(const float* f) : x(f[0]), y(f[1]), z(f[2]), w(f[3]) {}
    constexpr D3DXVECTOR4(const D3DVECTOR& v, float fw) : x(v.x), y(v.y), z(v.z), w(fw) {}
    constexpr D3DXVECTOR4(float fx, float fy, float fz, float fw) : x(fx), y(fy), z(fz), w(fw) {}

    operator float*() { return &x; }
    operator const float*() const { return &x; }

    D3DXVECTOR4& operator+=(const D3DXVECTOR4& v) { x += v.x; y += v.y; z += v.z; w += v.w; return *this; }
    D3DXVECTOR4& operator-=(const D3DXVECTOR4& v) { x -= v.x; y -= v.y; z -= v.z; w -= v.w; return *this; }
    D3DXVECTOR4& operator*=(float s) { x *= s; y *= s; z *= s; w *= s; return *this; }
    D3DXVECTOR4& operator/=(float s) { const float inv = 1.0f / s; return *this *= inv; }

    D3DXVECTOR4 operator+() const { return *this; }
    D3DXVECTOR4 operator-() const { return D3DXVECTOR4(-x, -y, -z, -w); }

    D3DXVECTOR4 operator+(const D3DXVECTOR4& v) const { return D3DXVECTOR4(x + v.x, y + v.y, z + v.z, w + v.w); }
    D3DXVECTOR4 operator-(const D3DXVECTOR4& v) const { return D3DXVECTOR4(x - v.x, y - v.y, z - v.z, w - v.w); }
    D3DXVECTOR4 operator*(float s) const { return D3DXVECTOR4(x * s, y * s, z * s, w * s); }
    D3DXVECTOR4 operator/(float s) const { return *this * (1.0f / s); }
    friend D3DXVECTOR4 operator*(float s, const D3DXVECTOR4& v) { return v * s; }

    bool operator==(const D3DXVECTOR4& v) const { return x == v.x && y == v.y && z == v.z && w == v.w; }
    bool operator!=(const D3DXVECTOR4& v) const { return !(*this == v); }
};

struct D3DXMATRIX : public D3DMATRIX {
    D3DXMATRIX() : D3DMATRIX{} {}
    D3DXMATRIX(const float* f);
    D3DXMATRIX(const D3DMATRIX& mat) : D3DMATRIX(mat) {}
    D3DXMATRIX(float f11, float f12, float f13, float f14,
               float f21, float f22, float f23, float f24,
               float f31, float f32, float f33, float f34,
               float f41, float f42, float f43, float f44);

    // (row, column), both counted from 0.
    float& operator()(UINT row, UINT col) { return m[row][col]; }
    float operator()(UINT row, UINT col) const { return m[row][col]; }

    operator float*() { return &_11; }
    operator const float*() const { return &_11; }

    D3DXMATRIX& operator*=(const D3DXMATRIX& mat);
    D3DXMATRIX& operator+=(const D3DXMATRIX& mat);
    D3DXMATRIX& operator-=(const D3DXMATRIX& mat);
    D3DXMATRIX& operator*=(float s);
    D3DXMATRIX& operator/=(float s) { return *this *= 1.0f / s; }

    D3DXMATRIX operator+() const { return *this; }
    D3DXMATRIX operator-() const { return *this * -1.0f; }

    D3DXMATRIX operator*(const D3DXMATRIX& mat) const;
    D3DXMATRIX operator+(const D3DXMATRIX& mat) const { D3DXMATRIX r(*this); return r += mat; }
    D3DXMATRIX operator-(const D3DXMATRIX& mat) const { D3DXMATRIX r(*this); return r -= mat; }
    D3DXMATRIX operator*(float s) const { D3DXMATRIX r(*this); return r *= s; }
    D3DXMATRIX operator/(float s) const { D3DXMATRIX r(*this); return r /= s; }
    friend D3DXMATRIX operator*(float s, const D3DXMATRIX& mat) { return mat * s; }

    bool operator==(const D3DXMATRIX& mat) const;
    bool operator!=(const D3DXMATRIX& mat) const { return !(*this == mat); }
};

struct D3DXQUATERNION {
    float x, y, z, w;

    constexpr D3DXQUATERNION() : x(0), y(0), z(0), w(0) {}
    D3DXQUATERNION(const float* f) : x(f[0]), y(f[1]), z(f[2]), w(f[3]) {}
    constexpr D3DXQUATERNION(float fx, float fy, float fz, float fw) : x(fx), y(fy), z(fz), w(fw) {}

    operator float*() { return &x; }
    operator const float*() const { return &x; }

    D3DXQUATERNION& operator+=(const D3DXQUATERNION& q) { x += q.x; y += q.y; z += q.z; w += q.w; return *this; }
    D3DXQUATERNION& operator-=(const D3DXQUATERNION& q) { x -= q.x; y -= q.y; z -= q.z; w -= q.w; return *this; }
    // Rotation by this, then by q (D3DXQuaternionMultiply order).
    D3DXQUATERNION& operator*=(const D3DXQUATERNION& q);
    D3DXQUATERNION& operator*=(float s) { x *= s; y *= s; z *= s; w *= s; return *this; }
    D3DXQUATERNION& operator/=(float s) { return *this *= 1.0f / s; }

    D3DXQUATERNION operator+() const { return *this; }
    D3DXQUATERNION operator-() const { return D3DXQUATERNION(-x, -y, -z, -w); }

    D3DXQUATERNION operator+(const D3DXQUATERNION& q) const { return D3DXQUATERNION(x + q.x, y + q.y, z + q.z, w + q.w); }
    D3DXQUATERNION operator-(const D3DXQUATERNION& q) const { return D3DXQUATERNION(x - q.x, y - q.y, z - q.z, w - q.w); }
    D3DXQUATERNION operator*(const D3DXQUATERNION& q) const;
    D3DXQUATERNION operator*(float s) const { return D3DXQUATERNION(x * s, y * s, z * s, w * s); }
    D3DXQUATERNION operator/(float s) const { return *this * (1.0f / s); }
    friend D3DXQUATERNION operator*(float s, const D3DXQUATERNION& q) { return q * s; }

    bool operator==(const D3DXQUATERNION& q) const { return x == q.x && y == q.y && z == q.z && w == q.w; }
    bool operator!=(const D3DXQUATERNION& q) const { return !(*this == q); }
};

// The plane a*x + b*y + c*z + d = 0; (a, b, c) is its normal.
struct D3DXPLANE {
    float a, b, c, d;

    constexpr D3DXPLANE() : a(0), b(0), c(0), d(0) {}
    D3DXPLANE(const float* f) : a(f[0]), b(f[1]), c(f[2]), d(f[3]) {}
    constexpr D3DXPLANE(float fa, float fb, float fc, float fd) : a(fa), b(fb), c(fc), d(fd) {}

    operator float*() { return &a; }
    operator const float*() const { return &a; }

    D3DXPLANE& operator*=(float s) { a *= s; b *= s; c *= s; d *= s; return *this; }
    D3DXPLANE& operator/=(float s) { return *this *= 1.0f / s; }

    D3DXPLANE operator+() const { return *this; }
    D3DXPLANE operator-() const { return D3DXPLANE(-a, -b, -c, -d); }
    D3DXPLANE operator*(float s) const { return D3DXPLANE(a * s, b * s, c * s, d * s); }
    D3DXPLANE operator/(float s) const { return *this * (1.0f / s); }
    friend D3DXPLANE operator*(float s, const D3DXPLANE& p) { return p * s; }

    bool operator==(const D3DXPLANE& p) const { return a == p.a && b == p.b && c == p.c && d == p.d; }
    bool operator!=(const D3DXPLANE& p) const { return !(*this == p); }
};

// A colour of four floats, nominally 0..1. It converts to and from the packed
// ARGB D3DCOLOR; packing clamps each component to 0..1 and rounds.
struct D3DXCOLOR : public D3DCOLORVALUE {
    constexpr D3DXCOLOR() : D3DCOLORVALUE{0, 0, 0, 0} {}
    D3DXCOLOR(DWORD argb);
    D3DXCOLOR(const float* f) : D3DCOLORVALUE{f[0], f[1], f[2], f[3]} {}
    constexpr D3DXCOLOR(const D3DCOLORVALUE& c) : D3DCOLORVALUE(c) {}
    constexpr D3DXCOLOR(float fr, float fg, float fb, float fa) : D3DCOLORVALUE{fr, fg, fb, fa} {}

    operator DWORD() const;
    operator float*() { return &r; }
    operator const float*() const { return &r; }

    D3DXCOLOR& operator+=(const D3DXCOLOR& o) { r += o.r; g += o.g; b += o.b; a += o.a; return *this; }
    D3DXCOLOR& operator-=(const D3DXCOLOR& o) { r -= o.r; g -= o.g; b -= o.b; a -= o.a; return *this; }
    D3DXCOLOR& operator*=(float s) { r *= s; g *= s; b *= s; a *= s; return *this; }
    D3DXCOLOR& operator/=(float s) { return *this *= 1.0f / s; }

    D3DXCOLOR operator+() const { return *this; }
    D3DXCOLOR operator-() const { return D3DXCOLOR(-r, -g, -b, -a); }

    D3DXCOLOR operator+(const D3DXCOLOR& o) const { return D3DXCOLOR(r + o.r, g + o.g, b + o.b, a + o.a); }
    D3DXCOLOR operator-(const D3DXCOLOR& o) const { return D3DXCOLOR(r - o.r, g - o.g, b - o.b, a - o.a); }
    D3DXCOLOR operator*(float s) const { return D3DXCOLOR(r * s, g * s, b * s, a * s); }
    D3DXCOLOR operator/(float s) const { return *this * (1.0f / s); }
    friend D3DXCOLOR operator*(float s, const D3DXCOLOR& c) { return c * s; }

    bool operator==(const D3DXCOLOR& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    bool operator!=(const D3DXCOLOR& o) const { return !(*this == o); }
};

static_assert(sizeof(D3DXVECTOR2) == 8);
static_assert(sizeof(D3DXVECTOR3) == 12);
static_assert(sizeof(D3DXVECTOR4) == 16);
static_assert(sizeof(D3DXMATRIX) == 64);
static_assert(sizeof(D3DXQUATERNION) == 16);
static_assert(sizeof(D3DXPLANE) == 16);
static_assert(sizeof(D3DXCOLOR) == 16);

// ---- 2D vectors -------------------------------------------------------------

float D3DXVec2Length(const D3DXVECTOR2* pV);
inline float D3DXVec2LengthSq(const D3DXVECTOR2* pV) { return pV->x * pV->x + pV->y * pV->y; }
inline float D3DXVec2Dot(const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2) { return pV1->x * pV2->x + pV1->y * pV2->y; }
inline D3DXVECTOR2* D3DXVec2Add(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2) {
    *pOut = *pV1 + *pV2;
    return pOut;
}
inline D3DXVECTOR2* D3DXVec2Subtract(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2) {
    *pOut = *pV1 - *pV2;
    return pOut;
}
inline D3DXVECTOR2* D3DXVec2Scale(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV, float s) {
    *pOut = *pV * s;
    return pOut;
}
// pV1 + s * (pV2 - pV1).
inline D3DXVECTOR2* D3DXVec2Lerp(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2, float s) {
    *pOut = *pV1 + (*pV2 - *pV1) * s;
    return pOut;
}
// A zero vector stays zero.
D3DXVECTOR2* D3DXVec2Normalize(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV);

// ---- 3D vectors -------------------------------------------------------------

float D3DXVec3Length(const D3DXVECTOR3* pV);
inline float D3DXVec3LengthSq(const D3DXVECTOR3* pV) { return pV->x * pV->x + pV->y * pV->y + pV->z * pV->z; }
inline float D3DXVec3Dot(const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
    return pV1->x * pV2->x + pV1->y * pV2->y + pV1->z * pV2->z;
}
inline D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
    const D3DXVECTOR3 r(pV1->y * pV2->z - pV1->z * pV2->y,
                        pV1->z * pV2->x - pV1->x * pV2->z,
                        pV1->x * pV2->y - pV1->y * pV2->x);
    *pOut = r;
    return pOut;
}
inline D3DXVECTOR3* D3DXVec3Add(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
    *pOut = *pV1 + *pV2;
    return pOut;
}
inline D3DXVECTOR3* D3DXVec3Subtract(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
    *pOut = *pV1 - *pV2;
    return pOut;
}
inline D3DXVECTOR3* D3DXVec3Scale(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, float s) {
    *pOut = *pV * s;
    return pOut;
}
// pV1 + s * (pV2 - pV1).
inline D3DXVECTOR3* D3DXVec3Lerp(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2, float s) {
    *pOut = *pV1 + (*pV2 - *pV1) * s;
    return pOut;
}
// A zero vector stays zero (no NaN).
D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV);
// (x, y, z, 1) * M, divided by the resulting w (left undivided when w is 0).
D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM);
// (x, y, z, 0) * M: directions ignore the translation row.
D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM);
// (x, y, z, 1) * M with its w kept.
D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM);

// ---- 4D vectors -------------------------------------------------------------

float D3DXVec4Length(const D3DXVECTOR4* pV);
inline float D3DXVec4LengthSq(const D3DXVECTOR4* pV) {
    return pV->x * pV->x + pV->y * pV->y + pV->z * pV->z + pV->w * pV->w;
}
inline float D3DXVec4Dot(const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2) {
    return pV1->x * pV2->x + pV1->y * pV2->y + pV1->z * pV2->z + pV1->w * pV2->w;
}
inline D3DXVECTOR4* D3DXVec4Add(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2) {
    *pOut = *pV1 + *pV2;
    return pOut;
}
inline D3DXVECTOR4* D3DXVec4Subtract(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2) {
    *pOut = *pV1 - *pV2;
    return pOut;
}
inline D3DXVECTOR4* D3DXVec4Scale(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV, float s) {
    *pOut = *pV * s;
    return pOut;
}
inline D3DXVECTOR4* D3DXVec4Lerp(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2, float s) {
    *pOut = *pV1 + (*pV2 - *pV1) * s;
    return pOut;
}
// A zero vector stays zero.
D3DXVECTOR4* D3DXVec4Normalize(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV);
// v * M.
D3DXVECTOR4* D3DXVec4Transform(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV, const D3DXMATRIX* pM);

// ---- Matrices ---------------------------------------------------------------

inline D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* pOut) {
    *pOut = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return pOut;
}
BOOL D3DXMatrixIsIdentity(const D3DXMATRIX* pM);
float D3DXMatrixDeterminant(const D3DXMATRIX* pM);
// pM1 * pM2: the transformation of pM1 followed by that of pM2.
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2);
D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* pOut, const D3DXMATRIX* pM);
// Writes the determinant when pDeterminant is given. A singular matrix (or one
// whose inverse would not be finite) leaves pOut untouched and returns null.
D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* pOut, float* pDeterminant, const D3DXMATRIX* pM);
D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* pOut, float x, float y, float z);
D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* pOut, float sx, float sy, float sz);
D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* pOut, float angle);
D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* pOut, float angle);
D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* pOut, float angle);
// The axis need not be of unit length; a zero axis gives a uniform scale by cos(angle).
D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* pOut, const D3DXVECTOR3* pV, float angle);
D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* pOut, const D3DXQUATERNION* pQ);
// Roll about z first, then pitch about x, then yaw about y.
D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* pOut, float yaw, float pitch, float roll);
// View matrix: eye to the origin, the look direction to +z, up toward +y.
D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                               const D3DXVECTOR3* pUp);
// Projection with a vertical field of view; depth 0 at zn and 1 at zf after the w divide.
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, float fovy, float aspect, float zn, float zf);

// ---- Quaternions ------------------------------------------------------------

float D3DXQuaternionLength(const D3DXQUATERNION* pQ);
inline float D3DXQuaternionLengthSq(const D3DXQUATERNION* pQ) {
    return pQ->x * pQ->x + pQ->y * pQ->y + pQ->z * pQ->z + pQ->w * pQ->w;
}
inline float D3DXQuaternionDot(const D3DXQUATERNION* pQ1, const D3DXQUATERNION* pQ2) {
    return pQ1->x * pQ2->x + pQ1->y * pQ2->y + pQ1->z * pQ2->z + pQ1->w * pQ2->w;
}
inline D3DXQUATERNION* D3DXQuaternionIdentity(D3DXQUATERNION* pOut) {
    *pOut = D3DXQUATERNION(0, 0, 0, 1);
    return pOut;
}
inline BOOL D3DXQuaternionIsIdentity(const D3DXQUATERNION* pQ) {
    return pQ->x == 0 && pQ->y == 0 && pQ->z == 0 && pQ->w == 1;
}
inline D3DXQUATERNION* D3DXQuaternionConjugate(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ) {
    *pOut = D3DXQUATERNION(-pQ->x, -pQ->y, -pQ->z, pQ->w);
    return pOut;
}
// A zero quaternion stays zero.
D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ);
// Conjugate over squared length; a zero quaternion stays zero.
D3DXQUATERNION* D3DXQuaternionInverse(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ);
// Rotation by pQ1, then by pQ2.
D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1, const D3DXQUATERNION* pQ2);
D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* pOut, const D3DXVECTOR3* pV, float angle);
// The rotation part of a (pure rotation) matrix.
D3DXQUATERNION* D3DXQuaternionRotationMatrix(D3DXQUATERNION* pOut, const D3DXMATRIX* pM);
// Same rotation as D3DXMatrixRotationYawPitchRoll.
D3DXQUATERNION* D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION* pOut, float yaw, float pitch, float roll);
// Spherical interpolation along the shorter arc: t = 0 gives pQ1, t = 1 gives
// pQ2 or -pQ2 (the same rotation). Nearly equal inputs blend linearly.
D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1, const D3DXQUATERNION* pQ2,
                                    float t);

// ---- Planes -----------------------------------------------------------------

// Signed distance-like value a*x + b*y + c*z + d (a true distance for a normalised plane).
inline float D3DXPlaneDotCoord(const D3DXPLANE* pP, const D3DXVECTOR3* pV) {
    return pP->a * pV->x + pP->b * pV->y + pP->c * pV->z + pP->d;
}
// Scales the plane so that its normal has unit length; a zero normal stays zero.
D3DXPLANE* D3DXPlaneNormalize(D3DXPLANE* pOut, const D3DXPLANE* pP);
D3DXPLANE* D3DXPlaneFromPointNormal(D3DXPLANE* pOut, const D3DXVECTOR3* pPoint, const D3DXVECTOR3* pNormal);

// ---- Colours ----------------------------------------------------------------

inline D3DXCOLOR* D3DXColorAdd(D3DXCOLOR* pOut, const D3DXCOLOR* pC1, const D3DXCOLOR* pC2) {
    *pOut = *pC1 + *pC2;
    return pOut;
}
inline D3DXCOLOR* D3DXColorSubtract(D3DXCOLOR* pOut, const D3DXCOLOR* pC1, const D3DXCOLOR* pC2) {
    *pOut = *pC1 - *pC2;
    return pOut;
}
inline D3DXCOLOR* D3DXColorScale(D3DXCOLOR* pOut, const D3DXCOLOR* pC, float s) {
    *pOut = *pC * s;
    return pOut;
}
// Component-wise product.
inline D3DXCOLOR* D3DXColorModulate(D3DXCOLOR* pOut, const D3DXCOLOR* pC1, const D3DXCOLOR* pC2) {
    *pOut = D3DXCOLOR(pC1->r * pC2->r, pC1->g * pC2->g, pC1->b * pC2->b, pC1->a * pC2->a);
    return pOut;
}
// 1 - r, 1 - g, 1 - b; alpha kept.
inline D3DXCOLOR* D3DXColorNegative(D3DXCOLOR* pOut, const D3DXCOLOR* pC) {
    *pOut = D3DXCOLOR(1.0f - pC->r, 1.0f - pC->g, 1.0f - pC->b, pC->a);
    return pOut;
}
// pC1 + s * (pC2 - pC1).
inline D3DXCOLOR* D3DXColorLerp(D3DXCOLOR* pOut, const D3DXCOLOR* pC1, const D3DXCOLOR* pC2, float s) {
    *pOut = *pC1 + (*pC2 - *pC1) * s;
    return pOut;
}

// ---- Operators that need the functions above ---------------------------------

inline D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& mat) const {
    D3DXMATRIX r;
    D3DXMatrixMultiply(&r, this, &mat);
    return r;
}
inline D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& mat) {
    D3DXMatrixMultiply(this, this, &mat);
    return *this;
}
inline D3DXQUATERNION D3DXQUATERNION::operator*(const D3DXQUATERNION& q) const {
    D3DXQUATERNION r;
    D3DXQuaternionMultiply(&r, this, &q);
    return r;
}
inline D3DXQUATERNION& D3DXQUATERNION::operator*=(const D3DXQUATERNION& q) {
    D3DXQuaternionMultiply(this, this, &q);
    return *this;
}
