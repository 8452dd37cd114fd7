// The effect of world-space sprites and of the 3D sprite batches
// ("./data/fx/Spr3D.cfx"), registered as "Spr3DDefaultShader" by the object
// manager's set-up: one texture, a colour multiplier and fog, with the view and
// projection read from the render parameters.
#pragma once
#include "engine/assets/shaders/ShaderAdapter.h"

namespace Quorvex {

class Shader_Sprite3D : public ShaderAdapter {
public:
    Shader_Sprite3D(RenderParameter* context, ShaderManager* manager);

    // 0; -1 without the effect or a handle ("UseDiffuse" may be missing).
    int LoadShader() override;
    // Fog 0 turns device fog and "UseFog" off; else device fog on (linear,
    // colour) and "vFog" = (far / (far - near), -1 / (far - near)).
    void SetFog(const FogParam& fog) override;
    // Draws the iterated subsets with world x view x projection. Answers 0.
    int Apply(IPrimitive* primitive, int subsetToDraw, int firstSubset) override;

    // The fog vector for a far and a near distance. Equal distances give
    // (1, 0): no fog, where the formula would divide by zero.
    static D3DXVECTOR4 FogVector(float farValue, float nearValue);

private:
    D3DXHANDLE m_hTechnique = nullptr;
    D3DXHANDLE m_hLightDir = nullptr;
    D3DXHANDLE m_hAmbient = nullptr;
    D3DXHANDLE m_hWVP = nullptr;
    D3DXHANDLE m_hTex1 = nullptr;
    D3DXHANDLE m_hUseTexCnt = nullptr;
    D3DXHANDLE m_hVertexLighting = nullptr;
    D3DXHANDLE m_hPixelLighting = nullptr;
    D3DXHANDLE m_hUseDiffuse = nullptr;  // may be missing
    D3DXHANDLE m_hColorMax = nullptr;
    D3DXHANDLE m_hUseFog = nullptr;
    D3DXHANDLE m_hFog = nullptr;
};

}  // namespace Quorvex
