#include "engine/assets/shaders/Shader_ExpandBlur2D.h"

#include "engine/assets/shaders/PostPass.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/MessageTable.h"

namespace Quorvex {

Shader_ExpandBlur2D::Shader_ExpandBlur2D(ShaderManager* manager) : ShaderAdapter(nullptr, manager) {
    m_name = "ExpandBlur2D";
}

Shader_ExpandBlur2D::~Shader_ExpandBlur2D() { SAFE_RELEASE(m_pTexture); }

void Shader_ExpandBlur2D::SetTexture(IDirect3DBaseTexture9* texture) { HoldReference(m_pTexture, texture); }

void Shader_ExpandBlur2D::Reset() {
    m_centerPos[0] = m_centerPos[1] = 0.5f;
    m_invalidLength = 1.0f;
    m_expandLength = 0.0f;
    m_expandRate = 0.9f;
    for (float& c : m_addColor) c = 0.0f;
    m_tone = 1.0f;
    SAFE_RELEASE(m_pTexture);
}

int Shader_ExpandBlur2D::GetPSIndex() const {
    const D3DXVECTOR4 add(m_addColor[0], m_addColor[1], m_addColor[2], m_addColor[3]);
    return D3DXVec4Length(&add) > 0.0f ? AddColorIndex : PlainIndex;
}

int Shader_ExpandBlur2D::LoadShader() {
    SAFE_RELEASE(m_pEffect);
    m_pEffect = CreateEffectFromFile(L"./data/fx/ExpandBlur2D.cfx");
    if (!m_pEffect) return -1;
    m_hTechnique = m_pEffect->GetTechniqueByName("Tech0");
    m_hCenterPos = m_pEffect->GetParameterByName(nullptr, "g_vCenterPos");
    m_hInvalidLength = m_pEffect->GetParameterByName(nullptr, "g_InvalidLength");
    m_hExpandLength = m_pEffect->GetParameterByName(nullptr, "g_ExpandLength");
    m_hExpandRate = m_pEffect->GetParameterByName(nullptr, "g_ExpandRate");
    m_hPSIndex = m_pEffect->GetParameterByName(nullptr, "g_PSIndex");
    m_hTexSrc = m_pEffect->GetParameterByName(nullptr, "g_TexSrc");
    m_hAddColor = m_pEffect->GetParameterByName(nullptr, "g_AddColor");
    m_hTone = m_pEffect->GetParameterByName(nullptr, "g_Tone");
    if (!m_hTechnique || !m_hCenterPos || !m_hInvalidLength || !m_hExpandLength || !m_hExpandRate || !m_hPSIndex ||
        !m_hTexSrc || !m_hAddColor || !m_hTone) {
        MessageTable::Log(26, L"Shader_ExpandBlur2D::LoadShader");
        return -1;
    }
    return CreatePassQuad(m_quad, m_pShaderManager->GetDevice());
}

int Shader_ExpandBlur2D::Apply(IPrimitive*, int, int) {
    if (!m_pEffect || !m_pShaderManager) return 0;
    IDirect3DDevice9* device = m_pShaderManager->GetDevice();
    m_pShaderManager->SetShaderInUse(true);

    m_pEffect->SetValue(m_hCenterPos, m_centerPos, sizeof(m_centerPos));
    m_pEffect->SetFloat(m_hInvalidLength, m_invalidLength);
    m_pEffect->SetFloat(m_hExpandLength, m_expandLength);
    m_pEffect->SetFloat(m_hExpandRate, m_expandRate);
    m_pEffect->SetFloat(m_hTone, m_tone);
    m_pEffect->SetInt(m_hPSIndex, GetPSIndex());
    m_pEffect->SetTexture(m_hTexSrc, m_pTexture);
    const D3DXVECTOR4 add(m_addColor[0], m_addColor[1], m_addColor[2], m_addColor[3]);
    m_pEffect->SetVector(m_hAddColor, &add);

    m_pEffect->SetTechnique(m_hTechnique);
    SetOpaquePassStates(m_pShaderManager, m_quad);
    DrawQuadInEveryPass(m_pEffect, m_quad, device);
    EndTechnique();
    return 0;
}

}  // namespace Quorvex
