// The effect of loaded meshes ("./data/fx/Mesh.cfx"), registered as
// "MeshDefaultShader" by the resource manager: one directional light and up to
// four point lights in object space, material colours times the render
// parameters' colours, a texture, normal maps, palette skinning, fog, a
// shadow map and a motion-blur pass.
#pragma once
#include "engine/assets/shaders/ShaderAdapter.h"

namespace Quorvex {

class MeshShader : public ShaderAdapter {
public:
    MeshShader(RenderParameter* context, ShaderManager* manager);

    // 0; -1 without the effect (message 31) or with a technique or parameter
    // missing (message 32). Leaves fog off.
    int LoadShader() override;
    // Fog 0 turns device fog and "UseFog" off; else device fog on (linear,
    // colour), "vFog" = (near, far - near) and "FogColor" = the colour.
    void SetFog(const FogParam& fog) override;
    // Draws the iterated subsets lit, textured and fogged; with a previous
    // world-view slot (not reset) through the motion-blur technique, which
    // draws into the render parameters' blur target first and always leaves
    // render target, depth surface and viewport as it found them. Answers 0.
    int Apply(IPrimitive* primitive, int subsetToDraw, int firstSubset) override;
    // Depth from the light for every subset of the primitive: 0.
    int ApplyShadow(IPrimitive* primitive) override;

    // The technique Apply picks.
    enum Technique { TechNormal, TechBumpMap, TechBlur, TechBumpMapBlur, TechShadowMap, TechniqueCount };
    static Technique ChooseTechnique(bool blur, bool bump);

private:
    // Point lights of the render parameters in object space (inverse world).
    void SetPointLights(const D3DXMATRIX& inverseWorld);
    void SetShadowParameters(const D3DXMATRIX& worldView);

    D3DXHANDLE m_hTechniques[TechniqueCount] = {};
    D3DXHANDLE m_hNumLights = nullptr;
    D3DXHANDLE m_hLightPos = nullptr;
    D3DXHANDLE m_hLightPower = nullptr;
    D3DXHANDLE m_hLightMinLength = nullptr;
    D3DXHANDLE m_hLightMaxLengthRev = nullptr;
    D3DXHANDLE m_hLightDir = nullptr;
    D3DXHANDLE m_hAmbient = nullptr;
    D3DXHANDLE m_hDiffuse = nullptr;
    D3DXHANDLE m_hSpecular = nullptr;
    D3DXHANDLE m_hSpecularFact = nullptr;
    D3DXHANDLE m_hWVP = nullptr;
    D3DXHANDLE m_hWV = nullptr;
    D3DXHANDLE m_hLastWV = nullptr;
    D3DXHANDLE m_hVP = nullptr;
    D3DXHANDLE m_hEyePos = nullptr;
    D3DXHANDLE m_hUseTexCnt = nullptr;
    D3DXHANDLE m_hDecaleTex = nullptr;
    D3DXHANDLE m_hNormalMap = nullptr;
    D3DXHANDLE m_hBlurSrcMap = nullptr;
    D3DXHANDLE m_hColorMax = nullptr;
    D3DXHANDLE m_hFog = nullptr;
    D3DXHANDLE m_hUseFog = nullptr;
    D3DXHANDLE m_hFogColor = nullptr;
    D3DXHANDLE m_hUseShadowMap = nullptr;
    D3DXHANDLE m_hLightWVP = nullptr;
    D3DXHANDLE m_hViewToLightProj = nullptr;
    D3DXHANDLE m_hShadowMapTex = nullptr;
    D3DXHANDLE m_hLightPosInView = nullptr;
    D3DXHANDLE m_hLightDirInView = nullptr;
    D3DXHANDLE m_hCosTheta = nullptr;
    D3DXHANDLE m_hShadowPower = nullptr;
};

}  // namespace Quorvex
