#include "engine/assets/shaders/Shader_Sprite3D.h"

#include "engine/assets/MaterialUnit.h"
#include "engine/assets/Primitive.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/MessageTable.h"
#include "engine/core/render/RenderParameter.h"

namespace Quorvex {

Shader_Sprite3D::Shader_Sprite3D(RenderParameter* context, ShaderManager* manager) : ShaderAdapter(context, manager) {
    m_name = "Spr3DDefaultShader";
    DebugPrint(L"シェーダー生成 ID:\"%s\"(addr:%d)\r\n", L"Spr3DDefaultShader", this);
}

int Shader_Sprite3D::LoadShader() {
    SAFE_RELEASE(m_pEffect);
    m_pEffect = CreateEffectFromFile(L"./data/fx/Spr3D.cfx");
    if (!m_pEffect) return -1;
    m_hTechnique = m_pEffect->GetTechniqueByName("Tech0");
    m_hLightDir = m_pEffect->GetParameterByName(nullptr, "LightDir");
    m_hAmbient = m_pEffect->GetParameterByName(nullptr, "Ambient");
    m_hWVP = m_pEffect->GetParameterByName(nullptr, "mWVP");
    m_hTex1 = m_pEffect->GetParameterByName(nullptr, "Tex1");
    m_hUseTexCnt = m_pEffect->GetParameterByName(nullptr, "UseTexCnt");
    m_hVertexLighting = m_pEffect->GetParameterByName(nullptr, "VertexLighting");
    m_hPixelLighting = m_pEffect->GetParameterByName(nullptr, "PixelLighting");
    m_hUseDiffuse = m_pEffect->GetParameterByName(nullptr, "UseDiffuse");
    m_hColorMax = m_pEffect->GetParameterByName(nullptr, "ColorMax");
    m_hUseFog = m_pEffect->GetParameterByName(nullptr, "UseFog");
    m_hFog = m_pEffect->GetParameterByName(nullptr, "vFog");
    if (!m_hTechnique || !m_hLightDir || !m_hAmbient || !m_hWVP || !m_hTex1 || !m_hUseTexCnt || !m_hVertexLighting ||
        !m_hPixelLighting || !m_hColorMax || !m_hUseFog || !m_hFog) {
        MessageTable::Log(28, L"Shader_Sprite3D::LoadShader");
        return -1;
    }
    return 0;
}

D3DXVECTOR4 Shader_Sprite3D::FogVector(float farValue, float nearValue) {
    const float range = farValue - nearValue;
    if (range == 0.0f) return D3DXVECTOR4(1.0f, 0.0f, 0.0f, 0.0f);
    return D3DXVECTOR4(farValue / range, -1.0f / range, 0.0f, 0.0f);
}

void Shader_Sprite3D::SetFog(const FogParam& fog) {
    if (!ApplyFogSwitch(fog, m_hUseFog)) return;
    const D3DXVECTOR4 vector = FogVector(fog.farValue, fog.nearValue);
    m_pEffect->SetVector(m_hFog, &vector);
}

int Shader_Sprite3D::Apply(IPrimitive* primitive, int subsetToDraw, int firstSubset) {
    if (!m_pEffect || !primitive || !m_pShaderManager) return 0;

    D3DXMATRIX wvp = *primitive->GetWorldMatrix();
    if (m_pContext) {
        D3DXMatrixMultiply(&wvp, &wvp, &m_pContext->m_view);
        D3DXMatrixMultiply(&wvp, &wvp, &m_pContext->m_projection);
    }
    m_pEffect->SetMatrix(m_hWVP, &wvp);
    if (m_hUseDiffuse) m_pEffect->SetBool(m_hUseDiffuse, primitive->UsesVertexColour() ? TRUE : FALSE);
    m_pEffect->SetVector(m_hColorMax, primitive->GetColour());

    const int first = firstSubset < 0 ? 0 : firstSubset;
    const int end = firstSubset < 0 ? primitive->GetSubsetCount() : firstSubset + 1;

    m_pEffect->SetTechnique(m_hTechnique);
    UINT passes = 0;
    m_pEffect->Begin(&passes, D3DXFX_DONOTSAVESTATE);
    for (UINT pass = 0; pass < passes; ++pass) {
        m_pEffect->BeginPass(pass);
        for (int k = first; k < end; ++k) {
            MaterialUnit* material = primitive->GetMaterial(k);
            IDirect3DTexture9* texture = material ? material->GetTexture(0) : nullptr;
            if (IDirect3DTexture9* replaced = primitive->GetTextureOverride(k)) texture = replaced;
            m_pEffect->SetInt(m_hUseTexCnt, material ? 1 : 0);
            m_pEffect->SetTexture(m_hTex1, texture);
            m_pEffect->CommitChanges();
            primitive->DrawSubset(subsetToDraw < 0 ? k : subsetToDraw);
        }
        m_pEffect->EndPass();
    }
    EndTechnique();
    return 0;
}

}  // namespace Quorvex
