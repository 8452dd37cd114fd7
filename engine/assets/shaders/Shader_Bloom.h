// Bloom: the parts of the picture above a threshold are cut out into a
// screen-size bright target, blurred twice at quarter size with a 15-tap
// pattern and added back onto the picture in the render target that was
// current when the pass began. Registered as "Bloom".
#pragma once
#include "engine/assets/shaders/FullScreenQuad.h"
#include "engine/assets/shaders/RenderTargetSet.h"
#include "engine/assets/shaders/ShaderAdapter.h"

namespace Quorvex {

class Shader_Bloom : public ShaderAdapter {
public:
    static constexpr int SampleCount = 15;
    // How far the pattern reaches: a pattern unit is spread / 4 texels.
    static constexpr float Spread = 8.0f;
    // Brightness of the first and the second blur step.
    static constexpr float FirstBlurTone = 3.0f;
    static constexpr float SecondBlurTone = 1.0f;

    explicit Shader_Bloom(ShaderManager* manager);
    // Releases the source, the bright target and the quarter targets.
    ~Shader_Bloom() override;

    // "./data/fx/Bloom.cfx", then the quad and the targets at the screen size
    // (the bright target whole, the two others a quarter of each side): 0;
    // -1 without the effect or a handle (logged); a device error. Throws the
    // text of message 24 when the quad's declaration cannot be made.
    int LoadShader() override;
    // The three passes, ending in the render target current at the call; the
    // arguments are ignored. Answers 0.
    int Apply(IPrimitive* primitive, int subsetToDraw, int firstSubset) override;

    // The picture to bloom: old released, new referenced.
    void SetTexture(IDirect3DBaseTexture9* texture);
    IDirect3DBaseTexture9* GetTexture() const { return m_pTexture; }

    // The pattern's offsets for a texture of the size, in texture
    // coordinates: pattern unit times spread / 4 texels.
    static void ComputeSampleOffsets(UINT width, UINT height, float spread, float offsets[SampleCount][2]);
    // The pattern's weights, summing to 1.
    static void ComputeSampleWeights(float weights[SampleCount]);

    const float (*GetSampleOffsets() const)[2] { return m_sampleOffsets; }
    IDirect3DTexture9* GetBrightTexture() const { return m_pBrightTexture; }
    const RenderTargetSet& GetQuarterTarget(int index) const { return m_quarter[index]; }

    // Written by callers: the brightness a colour channel must pass to bloom,
    // and the scale of the picture under the bloom.
    float m_threshold = 0.5f;
    float m_toneScale = 1.0f;
    int m_shadeIndex = 4;

private:
    void UploadOffsets(IDirect3DTexture9* texture);

    IDirect3DBaseTexture9* m_pTexture = nullptr;   // counted
    IDirect3DTexture9* m_pBrightTexture = nullptr;  // counted
    IDirect3DSurface9* m_pBrightSurface = nullptr;  // counted
    RenderTargetSet m_quarter[2];
    float m_sampleOffsets[SampleCount][2] = {};
    float m_sampleWeights[SampleCount] = {};
    FullScreenQuad m_quad;
    D3DXHANDLE m_hTechnique = nullptr;
    D3DXHANDLE m_hTexSrc = nullptr;
    D3DXHANDLE m_hTexBright = nullptr;
    D3DXHANDLE m_hTexBloom = nullptr;
    D3DXHANDLE m_hThreshold = nullptr;
    D3DXHANDLE m_hSampleOffsets = nullptr;
    D3DXHANDLE m_hSampleWeights = nullptr;
    D3DXHANDLE m_hToneScale = nullptr;
    D3DXHANDLE m_hShadeIndex = nullptr;
};

}  // namespace Quorvex
