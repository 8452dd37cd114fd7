// 4x4 matrices for row vectors (p' = p * M).
#include "platform/d3dx9/math.h"

#include <cfloat>
#include <cmath>
#include <cstring>

D3DXMATRIX::D3DXMATRIX(const float* f) : D3DMATRIX{} { std::memcpy(m, f, sizeof(m)); }

D3DXMATRIX::D3DXMATRIX(float f11, float f12, float f13, float f14,
                       float f21, float f22, float f23, float f24,
                       float f31, float f32, float f33, float f34,
                       float f41, float f42, float f43, float f44)
    : D3DMATRIX{} {
    _11 = f11; _12 = f12; _13 = f13; _14 = f14;
    _21 = f21; _22 = f22; _23 = f23; _24 = f24;
    _31 = f31; _32 = f32; _33 = f33; _34 = f34;
    _41 = f41; _42 = f42; _43 = f43; _44 = f44;
}

D3DXMATRIX& D3DXMATRIX::operator+=(const D3DXMATRIX& mat) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m[r][c] += mat.m[r][c];
    return *this;
}

D3DXMATRIX& D3DXMATRIX::operator-=(const D3DXMATRIX& mat) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m[r][c] -= mat.m[r][c];
    return *this;
}

D3DXMATRIX& D3DXMATRIX::operator*=(float s) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m[r][c] *= s;
    return *this;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& mat) const {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m[r][c] != mat.m[r][c]) return false;
    return true;
}

BOOL D3DXMatrixIsIdentity(const D3DXMATRIX* pM) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (pM->m[r][c] != (r == c ? 1.0f : 0.0f)) return FALSE;
    return TRUE;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2) {
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = pM1->m[i][0] * pM2->m[0][j] + pM1->m[i][1] * pM2->m[1][j] +
                        pM1->m[i][2] * pM2->m[2][j] + pM1->m[i][3] * pM2->m[3][j];
    *pOut = r;
    return pOut;
}

D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* pOut, const D3DXMATRIX* pM) {
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = pM->m[j][i];
    *pOut = r;
    return pOut;
}

namespace {

// The 2x2 minors of the top two and bottom two rows, from which the
// determinant and every cofactor follow (Laplace expansion along row pairs).
// Worked in double: a view-projection-screen product mixes elements of very
// different sizes, and its inverse unprojects screen points.
struct Cofactors {
    double a[4][4];
    double s0, s1, s2, s3, s4, s5;  // rows 0-1, columns (01, 02, 03, 12, 13, 23)
    double c0, c1, c2, c3, c4, c5;  // rows 2-3, same column pairs
    double det;

    explicit Cofactors(const float (&m)[4][4]) {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) a[r][c] = m[r][c];
        s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1];
        s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
        s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3];
        s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
        s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3];
        s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
        c0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];
        c1 = a[2][0] * a[3][2] - a[3][0] * a[2][2];
        c2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
        c3 = a[2][1] * a[3][2] - a[3][1] * a[2][2];
        c4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
        c5 = a[2][2] * a[3][3] - a[3][2] * a[2][3];
        det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    }

    // Inverse = adjugate / det; false when it is not finite in float
    // (a singular matrix, or elements that are not numbers).
    bool Invert(float (&out)[4][4]) const {
        if (det == 0.0 || !std::isfinite(det)) return false;
        const double inv = 1.0 / det;
        const double r[4][4] = {
            {a[1][1] * c5 - a[1][2] * c4 + a[1][3] * c3, -a[0][1] * c5 + a[0][2] * c4 - a[0][3] * c3,
             a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3, -a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3},
            {-a[1][0] * c5 + a[1][2] * c2 - a[1][3] * c1, a[0][0] * c5 - a[0][2] * c2 + a[0][3] * c1,
             -a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1, a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1},
            {a[1][0] * c4 - a[1][1] * c2 + a[1][3] * c0, -a[0][0] * c4 + a[0][1] * c2 - a[0][3] * c0,
             a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0, -a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0},
            {-a[1][0] * c3 + a[1][1] * c1 - a[1][2] * c0, a[0][0] * c3 - a[0][1] * c1 + a[0][2] * c0,
             -a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0, a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0},
        };
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) {
                const double v = r[i][j] * inv;
                if (!(std::fabs(v) <= FLT_MAX)) return false;  // also NaN
                out[i][j] = static_cast<float>(v);
            }
        return true;
    }
};

}  // namespace

float D3DXMatrixDeterminant(const D3DXMATRIX* pM) { return static_cast<float>(Cofactors(pM->m).det); }

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* pOut, float* pDeterminant, const D3DXMATRIX* pM) {
    const Cofactors k(pM->m);
    if (pDeterminant) *pDeterminant = static_cast<float>(k.det);
    D3DXMATRIX r;
    if (!k.Invert(r.m)) return nullptr;
    *pOut = r;
    return pOut;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* pOut, float x, float y, float z) {
    *pOut = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1);
    return pOut;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* pOut, float sx, float sy, float sz) {
    *pOut = D3DXMATRIX(sx, 0, 0, 0, 0, sy, 0, 0, 0, 0, sz, 0, 0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* pOut, float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    *pOut = D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* pOut, float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    *pOut = D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* pOut, float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    *pOut = D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* pOut, const D3DXVECTOR3* pV, float angle) {
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, pV);
    const float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    *pOut = D3DXMATRIX(t * n.x * n.x + c, t * n.x * n.y + s * n.z, t * n.x * n.z - s * n.y, 0,
                       t * n.x * n.y - s * n.z, t * n.y * n.y + c, t * n.y * n.z + s * n.x, 0,
                       t * n.x * n.z + s * n.y, t * n.y * n.z - s * n.x, t * n.z * n.z + c, 0,
                       0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* pOut, const D3DXQUATERNION* pQ) {
    const float x = pQ->x, y = pQ->y, z = pQ->z, w = pQ->w;
    *pOut = D3DXMATRIX(1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w), 0,
                       2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w), 0,
                       2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y), 0,
                       0, 0, 0, 1);
    return pOut;
}

// RotationZ(roll) * RotationX(pitch) * RotationY(yaw), multiplied out.
D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* pOut, float yaw, float pitch, float roll) {
    const float cy = std::cos(yaw), sy = std::sin(yaw);
    const float cp = std::cos(pitch), sp = std::sin(pitch);
    const float cr = std::cos(roll), sr = std::sin(roll);
    *pOut = D3DXMATRIX(cr * cy + sr * sp * sy, sr * cp, sr * sp * cy - cr * sy, 0,
                       cr * sp * sy - sr * cy, cr * cp, sr * sy + cr * sp * cy, 0,
                       cp * sy, -sp, cp * cy, 0,
                       0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                               const D3DXVECTOR3* pUp) {
    D3DXVECTOR3 zAxis, xAxis, yAxis;
    const D3DXVECTOR3 forward = *pAt - *pEye;
    D3DXVec3Normalize(&zAxis, &forward);
    D3DXVec3Cross(&xAxis, pUp, &zAxis);
    D3DXVec3Normalize(&xAxis, &xAxis);
    D3DXVec3Cross(&yAxis, &zAxis, &xAxis);
    *pOut = D3DXMATRIX(xAxis.x, yAxis.x, zAxis.x, 0,
                       xAxis.y, yAxis.y, zAxis.y, 0,
                       xAxis.z, yAxis.z, zAxis.z, 0,
                       -D3DXVec3Dot(&xAxis, pEye), -D3DXVec3Dot(&yAxis, pEye), -D3DXVec3Dot(&zAxis, pEye), 1);
    return pOut;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, float fovy, float aspect, float zn, float zf) {
    const float yScale = 1.0f / std::tan(fovy * 0.5f);
    const float xScale = yScale / aspect;
    const float q = zf / (zf - zn);
    *pOut = D3DXMATRIX(xScale, 0, 0, 0,
                       0, yScale, 0, 0,
                       0, 0, q, 1,
                       0, 0, -zn * q, 0);
    return pOut;
}
