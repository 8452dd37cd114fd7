// Vectors, planes and colours.
#include "platform/d3dx9/math.h"

#include <cmath>

namespace {

// Scale applied to a vector of the given squared length to give it unit
// length; 0 for a zero vector so that normalising it yields zero, not NaN.
float InverseLength(float lengthSq) {
    if (!(lengthSq > 0.0f)) return 0.0f;
    return 1.0f / std::sqrt(lengthSq);
}

}  // namespace

float D3DXVec2Length(const D3DXVECTOR2* pV) { return std::sqrt(D3DXVec2LengthSq(pV)); }

D3DXVECTOR2* D3DXVec2Normalize(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV) {
    *pOut = *pV * InverseLength(D3DXVec2LengthSq(pV));
    return pOut;
}

float D3DXVec3Length(const D3DXVECTOR3* pV) { return std::sqrt(D3DXVec3LengthSq(pV)); }

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV) {
    *pOut = *pV * InverseLength(D3DXVec3LengthSq(pV));
    return pOut;
}

D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM) {
    const D3DXVECTOR4 v(*pV, 1.0f);
    return D3DXVec4Transform(pOut, &v, pM);
}

D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM) {
    D3DXVECTOR4 r;
    D3DXVec3Transform(&r, pV, pM);
    // A point on the eye plane has w = 0; dividing would give infinities that
    // then spread as NaN through whatever uses the result.
    const float inv = r.w != 0.0f ? 1.0f / r.w : 1.0f;
    *pOut = D3DXVECTOR3(r.x * inv, r.y * inv, r.z * inv);
    return pOut;
}

D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM) {
    const D3DXVECTOR4 v(*pV, 0.0f);
    D3DXVECTOR4 r;
    D3DXVec4Transform(&r, &v, pM);
    *pOut = D3DXVECTOR3(r.x, r.y, r.z);
    return pOut;
}

float D3DXVec4Length(const D3DXVECTOR4* pV) { return std::sqrt(D3DXVec4LengthSq(pV)); }

D3DXVECTOR4* D3DXVec4Normalize(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV) {
    *pOut = *pV * InverseLength(D3DXVec4LengthSq(pV));
    return pOut;
}

D3DXVECTOR4* D3DXVec4Transform(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV, const D3DXMATRIX* pM) {
    const D3DXVECTOR4 v = *pV;
    const D3DXMATRIX& m = *pM;
    *pOut = D3DXVECTOR4(v.x * m._11 + v.y * m._21 + v.z * m._31 + v.w * m._41,
                        v.x * m._12 + v.y * m._22 + v.z * m._32 + v.w * m._42,
                        v.x * m._13 + v.y * m._23 + v.z * m._33 + v.w * m._43,
                        v.x * m._14 + v.y * m._24 + v.z * m._34 + v.w * m._44);
    return pOut;
}

D3DXPLANE* D3DXPlaneNormalize(D3DXPLANE* pOut, const D3DXPLANE* pP) {
    *pOut = *pP * InverseLength(pP->a * pP->a + pP->b * pP->b + pP->c * pP->c);
    return pOut;
}

D3DXPLANE* D3DXPlaneFromPointNormal(D3DXPLANE* pOut, const D3DXVECTOR3* pPoint, const D3DXVECTOR3* pNormal) {
    *pOut = D3DXPLANE(pNormal->x, pNormal->y, pNormal->z, -D3DXVec3Dot(pPoint, pNormal));
    return pOut;
}

D3DXCOLOR::D3DXCOLOR(DWORD argb)
    : D3DCOLORVALUE{static_cast<float>((argb >> 16) & 0xffu) / 255.0f,
                    static_cast<float>((argb >> 8) & 0xffu) / 255.0f,
                    static_cast<float>(argb & 0xffu) / 255.0f,
                    static_cast<float>((argb >> 24) & 0xffu) / 255.0f} {}

namespace {

DWORD ColorByte(float value) {
    if (!(value > 0.0f)) return 0;  // also catches NaN
    if (value >= 1.0f) return 0xffu;
    return static_cast<DWORD>(value * 255.0f + 0.5f);
}

}  // namespace

D3DXCOLOR::operator DWORD() const {
    return (ColorByte(a) << 24) | (ColorByte(r) << 16) | (ColorByte(g) << 8) | ColorByte(b);
}
