#include "engine/assets/shaders/Shader_CopyTexture.h"

#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/MessageTable.h"

namespace Quorvex {

Shader_CopyTexture::Shader_CopyTexture(ShaderManager* manager) : ShaderAdapter(nullptr, manager) {
    m_name = "CopyTexture";
}

Shader_CopyTexture::~Shader_CopyTexture() { SAFE_RELEASE(m_pTexture); }

void Shader_CopyTexture::SetTexture(IDirect3DBaseTexture9* texture) {
    if (texture) texture->AddRef();
    IDirect3DBaseTexture9* old = m_pTexture;
    m_pTexture = texture;
    if (old) old->Release();
}

int Shader_CopyTexture::LoadShader() {
    SAFE_RELEASE(m_pEffect);
    m_pEffect = CreateEffectFromFile(L"./data/fx/CopyTexture.cfx");
    if (!m_pEffect) return -1;
    m_hTechnique = m_pEffect->GetTechniqueByName("Tech0");
    m_hTexSrc = m_pEffect->GetParameterByName(nullptr, "g_TexSrc");
    m_hSlot = m_pEffect->GetParameterByName(nullptr, "g_nSlot");
    m_hFillColor = m_pEffect->GetParameterByName(nullptr, "g_FillColor");
    if (!m_hTechnique || !m_hTexSrc || !m_hSlot || !m_hFillColor) {
        MessageTable::Log(26, L"Shader_CopyTexture::LoadShader");
        return -1;
    }
    IDirect3DDevice9* device = m_pShaderManager->GetDevice();
    const HRESULT hr = m_quad.CreateBuffer(device);
    if (FAILED(hr)) return hr;
    if (FAILED(m_quad.CreateDeclaration(device))) throw MessageTable::GetText(24);
    return 0;
}

int Shader_CopyTexture::Apply(IPrimitive*, int, int) {
    if (!m_pEffect || !m_pShaderManager) return 0;
    IDirect3DDevice9* device = m_pShaderManager->GetDevice();
    m_pShaderManager->SetShaderInUse(true);
    m_pShaderManager->SetFogOff();

    m_pEffect->SetTexture(m_hTexSrc, m_pTexture);
    m_pEffect->SetFloatArray(m_hFillColor, m_fillColor, 4);
    m_pEffect->SetInt(m_hSlot, m_pTexture ? 1 : 0);
    m_pShaderManager->SetBlendMode(m_fillColor[3] < 1.0f ? ShaderManager::BlendAlpha : ShaderManager::BlendOpaque);

    m_pEffect->SetTechnique(m_hTechnique);
    m_quad.Bind(device);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    UINT passes = 0;
    m_pEffect->Begin(&passes, D3DXFX_DONOTSAVESTATE);
    for (UINT pass = 0; pass < passes; ++pass) {
        m_pEffect->BeginPass(pass);
        m_quad.Draw(device);
        m_pEffect->EndPass();
    }
    EndTechnique();
    return 0;
}

}  // namespace Quorvex
