// Plain value records shared by the device and the maths library: vectors,
// 4x4 matrices (row vectors, translation in the fourth row), colours and
// rectangles. They stay trivial C-layout structs so that vertex and parameter
// records holding them can be copied byte-wise and uploaded as they are.
#pragma once
#include "platform/win32/types.h"

typedef struct _D3DVECTOR {
    float x;
    float y;
    float z;
} D3DVECTOR;

// Element _RC is row R, column C; m[R-1][C-1] names the same float.
typedef struct _D3DMATRIX {
    union {
        struct {
            float _11, _12, _13, _14;
            float _21, _22, _23, _24;
            float _31, _32, _33, _34;
            float _41, _42, _43, _44;
        };
        float m[4][4];
    };
} D3DMATRIX;

typedef struct _D3DCOLORVALUE {
    float r;
    float g;
    float b;
    float a;
} D3DCOLORVALUE;

typedef struct _D3DRECT {
    LONG x1;
    LONG y1;
    LONG x2;
    LONG y2;
} D3DRECT;

// Packed 32-bit colour: alpha in bits 24-31, then red, green, blue.
typedef DWORD D3DCOLOR;

#define D3DCOLOR_ARGB(a, r, g, b)                                                    \
    ((D3DCOLOR)((((DWORD)(a) & 0xffu) << 24) | (((DWORD)(r) & 0xffu) << 16) |        \
                (((DWORD)(g) & 0xffu) << 8) | ((DWORD)(b) & 0xffu)))
#define D3DCOLOR_RGBA(r, g, b, a) D3DCOLOR_ARGB(a, r, g, b)
#define D3DCOLOR_XRGB(r, g, b) D3DCOLOR_ARGB(0xff, r, g, b)
// Components in 0..1; each is scaled by 255 and truncated.
#define D3DCOLOR_COLORVALUE(r, g, b, a)                                              \
    D3DCOLOR_RGBA((DWORD)((r) * 255.f), (DWORD)((g) * 255.f), (DWORD)((b) * 255.f),  \
                  (DWORD)((a) * 255.f))

static_assert(sizeof(D3DVECTOR) == 12);
static_assert(sizeof(D3DMATRIX) == 64);
static_assert(sizeof(D3DCOLORVALUE) == 16);
static_assert(sizeof(D3DRECT) == 16);
