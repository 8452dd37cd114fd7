// Rotation quaternions (x, y, z, w). A quaternion q rotates as the matrix
// D3DXMatrixRotationQuaternion(q); products run in the order of the matrices.
#include "platform/d3dx9/math.h"

#include <cmath>

float D3DXQuaternionLength(const D3DXQUATERNION* pQ) { return std::sqrt(D3DXQuaternionLengthSq(pQ)); }

D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ) {
    const float lengthSq = D3DXQuaternionLengthSq(pQ);
    *pOut = lengthSq > 0.0f ? *pQ * (1.0f / std::sqrt(lengthSq)) : D3DXQUATERNION();
    return pOut;
}

D3DXQUATERNION* D3DXQuaternionInverse(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ) {
    const float lengthSq = D3DXQuaternionLengthSq(pQ);
    D3DXQUATERNION conjugate;
    D3DXQuaternionConjugate(&conjugate, pQ);
    *pOut = lengthSq > 0.0f ? conjugate * (1.0f / lengthSq) : D3DXQUATERNION();
    return pOut;
}

// "pQ1 then pQ2" is the Hamilton product pQ2 * pQ1.
D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1,
                                       const D3DXQUATERNION* pQ2) {
    const D3DXQUATERNION a = *pQ2, b = *pQ1;
    *pOut = D3DXQUATERNION(a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
                           a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
                           a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
                           a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z);
    return pOut;
}

D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* pOut, const D3DXVECTOR3* pV, float angle) {
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, pV);
    const float s = std::sin(angle * 0.5f);
    *pOut = D3DXQUATERNION(n.x * s, n.y * s, n.z * s, std::cos(angle * 0.5f));
    return pOut;
}

// Branches on the largest of w, x, y, z so that the square root is never
// taken of a small, cancellation-prone value.
D3DXQUATERNION* D3DXQuaternionRotationMatrix(D3DXQUATERNION* pOut, const D3DXMATRIX* pM) {
    const D3DXMATRIX& m = *pM;
    const float trace = m._11 + m._22 + m._33;
    D3DXQUATERNION q;
    if (trace > 0.0f) {
        const float s = std::sqrt(trace + 1.0f) * 2.0f;  // 4w
        q = D3DXQUATERNION((m._23 - m._32) / s, (m._31 - m._13) / s, (m._12 - m._21) / s, 0.25f * s);
    } else if (m._11 >= m._22 && m._11 >= m._33) {
        const float s = std::sqrt(1.0f + m._11 - m._22 - m._33) * 2.0f;  // 4x
        q = D3DXQUATERNION(0.25f * s, (m._12 + m._21) / s, (m._13 + m._31) / s, (m._23 - m._32) / s);
    } else if (m._22 >= m._33) {
        const float s = std::sqrt(1.0f - m._11 + m._22 - m._33) * 2.0f;  // 4y
        q = D3DXQUATERNION((m._12 + m._21) / s, 0.25f * s, (m._23 + m._32) / s, (m._31 - m._13) / s);
    } else {
        const float s = std::sqrt(1.0f - m._11 - m._22 + m._33) * 2.0f;  // 4z
        q = D3DXQUATERNION((m._13 + m._31) / s, (m._23 + m._32) / s, 0.25f * s, (m._12 - m._21) / s);
    }
    *pOut = q;
    return pOut;
}

// Roll about z, then pitch about x, then yaw about y, multiplied out.
D3DXQUATERNION* D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION* pOut, float yaw, float pitch, float roll) {
    const float cy = std::cos(yaw * 0.5f), sy = std::sin(yaw * 0.5f);
    const float cp = std::cos(pitch * 0.5f), sp = std::sin(pitch * 0.5f);
    const float cr = std::cos(roll * 0.5f), sr = std::sin(roll * 0.5f);
    *pOut = D3DXQUATERNION(cy * sp * cr + sy * cp * sr,
                           sy * cp * cr - cy * sp * sr,
                           cy * cp * sr - sy * sp * cr,
                           cy * cp * cr + sy * sp * sr);
    return pOut;
}

D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1, const D3DXQUATERNION* pQ2,
                                    float t) {
    // In double: in float, acos near 1 loses most of the angle's digits.
    const double q1[4] = {pQ1->x, pQ1->y, pQ1->z, pQ1->w};
    double q2[4] = {pQ2->x, pQ2->y, pQ2->z, pQ2->w};
    double cosTheta = q1[0] * q2[0] + q1[1] * q2[1] + q1[2] * q2[2] + q1[3] * q2[3];
    if (cosTheta < 0.0) {  // q and -q are the same rotation: take the shorter way
        cosTheta = -cosTheta;
        for (double& c : q2) c = -c;
    }
    double k1 = 1.0 - t, k2 = t;
    if (1.0 - cosTheta > 1e-8) {
        const double theta = std::acos(cosTheta > 1.0 ? 1.0 : cosTheta);
        const double sinTheta = std::sin(theta);
        k1 = std::sin((1.0 - t) * theta) / sinTheta;
        k2 = std::sin(t * theta) / sinTheta;
    }
    *pOut = D3DXQUATERNION(static_cast<float>(k1 * q1[0] + k2 * q2[0]), static_cast<float>(k1 * q1[1] + k2 * q2[1]),
                           static_cast<float>(k1 * q1[2] + k2 * q2[2]), static_cast<float>(k1 * q1[3] + k2 * q2[3]));
    return pOut;
}
