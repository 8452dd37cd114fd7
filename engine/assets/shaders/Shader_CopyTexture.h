// A full-screen pass that copies a texture into the current render target,
// multiplied by a fill colour; without a texture it fills with the colour.
// Registered as "CopyTexture" at start-up.
#pragma once
#include "engine/assets/shaders/FullScreenQuad.h"
#include "engine/assets/shaders/ShaderAdapter.h"

namespace Quorvex {

class Shader_CopyTexture : public ShaderAdapter {
public:
    explicit Shader_CopyTexture(ShaderManager* manager);
    // Releases the source texture.
    ~Shader_CopyTexture() override;

    // "./data/fx/CopyTexture.cfx": 0; -1 without the effect or a handle
    // (logged); the device error of the quad buffer. Throws the text of
    // message 24 when the quad's declaration cannot be made.
    int LoadShader() override;
    // Draws the quad over the whole current render target; the arguments are
    // ignored. Fill alpha below 1 blends (preset 2), else preset 1. Answers 0.
    int Apply(IPrimitive* primitive, int subsetToDraw, int firstSubset) override;

    // The source texture: the old one released, the new one referenced; null
    // fills with the colour alone.
    void SetTexture(IDirect3DBaseTexture9* texture);
    IDirect3DBaseTexture9* GetTexture() const { return m_pTexture; }

    // Red, green, blue, alpha; written directly by its users.
    float m_fillColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};

private:
    IDirect3DBaseTexture9* m_pTexture = nullptr;  // counted
    FullScreenQuad m_quad;
    D3DXHANDLE m_hTechnique = nullptr;
    D3DXHANDLE m_hTexSrc = nullptr;
    D3DXHANDLE m_hSlot = nullptr;
    D3DXHANDLE m_hFillColor = nullptr;
};

}  // namespace Quorvex
