// The effect of every screen-space sprite batch ("./data/fx/Spr2D.cfx"),
// registered as "Sprite2D" by the object manager's set-up. Its vertices come
// already in clip space: position, ARGB colour, one texture pair (24 bytes).
#pragma once
#include "engine/assets/shaders/ShaderAdapter.h"

namespace Quorvex {

class Shader_Sprite2D : public ShaderAdapter {
public:
    Shader_Sprite2D(RenderParameter* context, ShaderManager* manager);
    // Releases the sprite declaration.
    ~Shader_Sprite2D() override;

    // 0; -1 without the effect, its technique, "Tex1" or "UseTexCnt" (logged).
    // Throws the text of message 24 when the declaration cannot be made.
    int LoadShader() override;
    // Draws subset `subset` of the primitive, or every subset when it is
    // negative; the second argument is ignored. Answers 0.
    int Apply(IPrimitive* primitive, int ignored, int subset) override;

    // The sprite vertex declaration the 2D sprite batches draw with.
    IDirect3DVertexDeclaration9* GetDeclaration() const { return m_pDeclaration; }

private:
    IDirect3DVertexDeclaration9* m_pDeclaration = nullptr;  // counted
    D3DXHANDLE m_hTechnique = nullptr;
    D3DXHANDLE m_hTex1 = nullptr;
    D3DXHANDLE m_hUseTexCnt = nullptr;
    D3DXHANDLE m_hUseDiffuse = nullptr;  // may be missing
};

}  // namespace Quorvex
