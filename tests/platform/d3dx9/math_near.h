// Tolerant comparisons for the maths tests, naming the element that differs.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

#include "platform/d3dx9/math.h"

inline constexpr float kPi = 3.14159265f;

// Readable failure output (the types otherwise print as pointers).
inline void PrintTo(const D3DXMATRIX& m, std::ostream* os) {
    for (int r = 0; r < 4; ++r)
        *os << (r ? " | " : "[") << m.m[r][0] << " " << m.m[r][1] << " " << m.m[r][2] << " " << m.m[r][3];
    *os << "]";
}
inline void PrintTo(const D3DXVECTOR3& v, std::ostream* os) { *os << "(" << v.x << ", " << v.y << ", " << v.z << ")"; }
inline void PrintTo(const D3DXQUATERNION& q, std::ostream* os) {
    *os << "(" << q.x << ", " << q.y << ", " << q.z << ", " << q.w << ")";
}

inline ::testing::AssertionResult MatrixNear(const D3DXMATRIX& actual, const D3DXMATRIX& expected,
                                             float tolerance = 1e-5f) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!(std::fabs(actual.m[r][c] - expected.m[r][c]) <= tolerance))
                return ::testing::AssertionFailure()
                       << "_" << r + 1 << c + 1 << " is " << actual.m[r][c] << ", expected " << expected.m[r][c];
    return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult VecNear(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected,
                                          float tolerance = 1e-5f) {
    if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance &&
        std::fabs(actual.z - expected.z) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z
                                         << "), expected (" << expected.x << ", " << expected.y << ", "
                                         << expected.z << ")";
}

// q and -q are the same rotation.
inline ::testing::AssertionResult SameRotation(const D3DXQUATERNION& actual, const D3DXQUATERNION& expected,
                                               float tolerance = 1e-5f) {
    for (float sign : {1.0f, -1.0f})
        if (std::fabs(actual.x - sign * expected.x) <= tolerance &&
            std::fabs(actual.y - sign * expected.y) <= tolerance &&
            std::fabs(actual.z - sign * expected.z) <= tolerance &&
            std::fabs(actual.w - sign * expected.w) <= tolerance)
            return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z << ", "
                                         << actual.w << "), expected +/-(" << expected.x << ", " << expected.y
                                         << ", " << expected.z << ", " << expected.w << ")";
}

inline D3DXVECTOR3 TransformPoint(const D3DXVECTOR3& v, const D3DXMATRIX& m) {
    D3DXVECTOR3 r;
    D3DXVec3TransformCoord(&r, &v, &m);
    return r;
}
