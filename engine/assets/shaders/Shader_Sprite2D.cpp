#include "engine/assets/shaders/Shader_Sprite2D.h"

#include "engine/assets/MaterialUnit.h"
#include "engine/assets/Primitive.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/MessageTable.h"

namespace Quorvex {

namespace {

// Position, ARGB colour, one texture pair: the 24-byte sprite vertex.
const D3DVERTEXELEMENT9 kSpriteElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END(),
};

}  // namespace

Shader_Sprite2D::Shader_Sprite2D(RenderParameter* context, ShaderManager* manager) : ShaderAdapter(context, manager) {
    m_name = "Sprite2D";
}

Shader_Sprite2D::~Shader_Sprite2D() { SAFE_RELEASE(m_pDeclaration); }

int Shader_Sprite2D::LoadShader() {
    SAFE_RELEASE(m_pEffect);
    m_pEffect = CreateEffectFromFile(L"./data/fx/Spr2D.cfx");
    if (!m_pEffect) return -1;
    m_hTechnique = m_pEffect->GetTechniqueByName("Tech0");
    m_hTex1 = m_pEffect->GetParameterByName(nullptr, "Tex1");
    m_hUseTexCnt = m_pEffect->GetParameterByName(nullptr, "UseTexCnt");
    m_hUseDiffuse = m_pEffect->GetParameterByName(nullptr, "UseDiffuse");
    if (!m_hTechnique || !m_hTex1 || !m_hUseTexCnt) {
        MessageTable::Log(26, L"Shader_Sprite2D::LoadShader");
        return -1;
    }
    SAFE_RELEASE(m_pDeclaration);
    IDirect3DDevice9* device = m_pShaderManager ? m_pShaderManager->GetDevice() : nullptr;
    if (!device || FAILED(device->CreateVertexDeclaration(kSpriteElements, &m_pDeclaration))) {
        m_pDeclaration = nullptr;
        throw MessageTable::GetText(24);
    }
    return 0;
}

int Shader_Sprite2D::Apply(IPrimitive* primitive, int, int subset) {
    if (!m_pEffect || !primitive || !m_pShaderManager) return 0;
    m_pShaderManager->SetShaderInUse(true);
    const int end = subset < 0 ? primitive->GetSubsetCount() : subset + 1;
    const int first = subset < 0 ? 0 : subset;

    if (m_hUseDiffuse) m_pEffect->SetBool(m_hUseDiffuse, primitive->UsesVertexColour() ? TRUE : FALSE);
    m_pEffect->SetTechnique(m_hTechnique);
    UINT passes = 0;
    m_pEffect->Begin(&passes, D3DXFX_DONOTSAVESTATE);
    for (UINT pass = 0; pass < passes; ++pass) {
        m_pEffect->BeginPass(pass);
        for (int j = first; j < end; ++j) {
            MaterialUnit* textures = primitive->GetMaterial(j);
            m_pEffect->SetInt(m_hUseTexCnt, textures ? 1 : 0);
            m_pEffect->SetTexture(m_hTex1, textures ? textures->GetTexture(0) : nullptr);
            m_pEffect->CommitChanges();
            primitive->DrawSubset(j);
        }
        m_pEffect->EndPass();
    }
    EndTechnique();
    return 0;
}

}  // namespace Quorvex
