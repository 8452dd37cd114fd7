// The last post-processing pass: a radial blur that smears the picture away
// from a centre, leaving a disc around the centre sharp, optionally toned and
// tinted. Its parameters are written every frame by the screen-blur manager.
// Registered as "ExpandBlur2D".
#pragma once
#include "engine/assets/shaders/FullScreenQuad.h"
#include "engine/assets/shaders/ShaderAdapter.h"

namespace Quorvex {

class Shader_ExpandBlur2D : public ShaderAdapter {
public:
    // Effect branches of "g_PSIndex".
    static constexpr int PlainIndex = 4;
    static constexpr int AddColorIndex = 9;

    explicit Shader_ExpandBlur2D(ShaderManager* manager);
    // Releases the source texture.
    ~Shader_ExpandBlur2D() override;

    // "./data/fx/ExpandBlur2D.cfx": 0; -1 without the effect or a handle
    // (logged); the device error of the quad buffer. Throws the text of
    // message 24 when the quad's declaration cannot be made.
    int LoadShader() override;
    // Blurs the source into the current render target with linear sampling,
    // no blending, no depth test and culling left off; the arguments are
    // ignored. Answers 0.
    int Apply(IPrimitive* primitive, int subsetToDraw, int firstSubset) override;

    // The picture to blur: old released, new referenced.
    void SetTexture(IDirect3DBaseTexture9* texture);
    IDirect3DBaseTexture9* GetTexture() const { return m_pTexture; }
    // Every parameter back to its default; the source released.
    void Reset();
    // AddColorIndex when the add colour, as a 4-vector, has a length above 0.
    int GetPSIndex() const;

    // Written directly by the screen-blur manager. Lengths are in texture
    // coordinates; the blur starts at the invalid length from the centre and
    // smears over the expand length (times the distance beyond it); the rate
    // weighs each sample against the one before.
    float m_centerPos[2] = {0.5f, 0.5f};
    float m_invalidLength = 1.0f;
    float m_expandLength = 0.0f;
    float m_expandRate = 0.9f;
    float m_addColor[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float m_tone = 1.0f;

private:
    IDirect3DBaseTexture9* m_pTexture = nullptr;  // counted
    FullScreenQuad m_quad;
    D3DXHANDLE m_hTechnique = nullptr;
    D3DXHANDLE m_hCenterPos = nullptr;
    D3DXHANDLE m_hInvalidLength = nullptr;
    D3DXHANDLE m_hExpandLength = nullptr;
    D3DXHANDLE m_hExpandRate = nullptr;
    D3DXHANDLE m_hPSIndex = nullptr;
    D3DXHANDLE m_hTexSrc = nullptr;
    D3DXHANDLE m_hAddColor = nullptr;
    D3DXHANDLE m_hTone = nullptr;
};

}  // namespace Quorvex
