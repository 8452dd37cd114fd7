#include "engine/assets/Primitive.h"

namespace Quorvex {

PrimitiveBase::PrimitiveBase() : m_colour(1.0f, 1.0f, 1.0f, 1.0f) { D3DXMatrixIdentity(&m_world); }

const D3DXMATRIX* PrimitiveBase::GetWorldMatrix() { return m_pExternalWorld ? m_pExternalWorld : &m_world; }

IDirect3DTexture9* PrimitiveBase::GetTextureOverride(int subset) {
    return m_ppTextureOverrides ? m_ppTextureOverrides[subset] : nullptr;
}

IDirect3DTexture9* PrimitiveBase::GetNormalMapOverride(int subset) {
    return m_ppNormalMapOverrides ? m_ppNormalMapOverrides[subset] : nullptr;
}

}  // namespace Quorvex
