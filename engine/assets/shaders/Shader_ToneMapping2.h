// Tone mapping with eye adaptation: the source's average luminance is
// measured down a chain of 64, 16, 4 and 1 texel targets, read back, and the
// adapted luminance follows it exponentially over time; the picture is then
// mapped with the adapted value. Registered as "ToneMapping"; the render
// groups run it only when their tone-mapping switch is on.
#pragma once
#include <cstdint>

#include "engine/assets/shaders/FullScreenQuad.h"
#include "engine/assets/shaders/RenderTargetSet.h"
#include "engine/assets/shaders/ShaderAdapter.h"

namespace Quorvex {

class Shader_ToneMapping2 : public ShaderAdapter {
public:
    static constexpr int ChainLength = 4;
    static constexpr D3DFORMAT LuminanceFormat = D3DFMT_A16B16G16R16F;

    explicit Shader_ToneMapping2(ShaderManager* manager);
    // Drops the source and the chain, releases the read-back set.
    ~Shader_ToneMapping2() override;

    // "./data/fx/ToneMapping2.cfx", the quad and the read-back texture: 0;
    // -1 without the effect; a device error. Throws the text of message 24
    // when the quad's declaration cannot be made.
    int LoadShader() override;
    // Measures, adapts and maps the source into the render target current at
    // the call; the arguments are ignored. Answers 0.
    int Apply(IPrimitive* primitive, int subsetToDraw, int firstSubset) override;

    // Holds the source (old released, new referenced), rebuilding the chain
    // when there was none or the source's size changed; null drops both.
    // Answers 0 or the device error of the chain.
    int SetSource(IDirect3DTexture9* texture);
    IDirect3DTexture9* GetSource() const { return m_pSource; }
    // Measures the source's average luminance and moves the adapted value
    // towards it; answers 0.
    int UpdateAdaptedLuminance();

    // The process-wide adapted luminance (0 at start).
    static float GetAdaptedLuminance();
    static void SetAdaptedLuminance(float value);
    // The adapted value after `elapsed` seconds towards `measured`: 2 % of the
    // way per thirtieth of a second.
    static float Adapt(float adapted, float measured, float elapsed);
    // A 16-bit float; 0 for the exponents of zero, denormals, infinity and NaN.
    static float DecodeHalf(uint16_t bits);
    // The luminance a read-back texel of the format holds: the first channel
    // of R32F, R16F and A16B16G16R16F, the second of G16R16F; 1.0 for any
    // other format.
    static float DecodeLuminance(D3DFORMAT format, const void* texel);

    const RenderTargetSet& GetChainTarget(int index) const { return m_chain[index]; }

private:
    void DropChain();
    // Draws every pass of a technique from `source` (device stage 0) into
    // `target` with the offsets; false when the effect cannot begin.
    bool RunLuminancePass(const char* technique, IDirect3DTexture9* source, const RenderTargetSet& target,
                          const float offsets[16][2], D3DTEXTUREFILTERTYPE filter);

    IDirect3DTexture9* m_pSource = nullptr;  // counted
    RenderTargetSet m_chain[ChainLength];    // 1, 4, 16, 64 texels a side
    IDirect3DTexture9* m_pReadBack = nullptr;       // counted, system memory
    IDirect3DSurface9* m_pReadBackSurface = nullptr;  // counted
    FullScreenQuad m_quad;
    D3DXHANDLE m_hTechnique = nullptr;
};

}  // namespace Quorvex
