// The old-film look: a full-screen pass that re-colours the frame in YIQ,
// jitters it, darkens it through a film-grain texture scrolled to a new place
// every frame and, now and then, lays a dust texture over it. One strength
// from 0 (the picture unchanged) to 1 drives all of it. Registered as "Noise"
// by the film-noise group of the stage scenes.
#pragma once
#include <cstdint>

#include "engine/assets/shaders/FullScreenQuad.h"
#include "engine/assets/shaders/ShaderAdapter.h"

namespace Quorvex {

class Shader_Noise : public ShaderAdapter {
public:
    // The grain texture's pattern: scratches over this many cells across and
    // down, each texel valued from the minimum to the maximum.
    static constexpr float GranularityX = 200.0f;
    static constexpr float GranularityY = 1.0f;
    static constexpr float MinValue = 0.5f;
    static constexpr float MaxValue = 1.0f;

    Shader_Noise(RenderParameter* context, ShaderManager* manager);
    // Releases the source, the grain and the dust textures.
    ~Shader_Noise() override;

    // "./data/fx/Noise.cfx", the quad, strength 0, the grain texture at the
    // client size filled with the film pattern, and "./data/texture/dust.png"
    // (left out when it cannot be read): 0; -1 without the effect or its
    // technique (logged); the device error of the quad buffer. Throws the text
    // of message 24 when the quad's declaration cannot be made.
    int LoadShader() override;
    // Processes the source into the current render target (no blending, no
    // depth test, culling left off); the arguments are ignored. Answers 0.
    int Apply(IPrimitive* primitive, int subsetToDraw, int firstSubset) override;

    // Derives every film parameter from the strength x: Y 1, I (1 - x) 0.9 +
    // 0.1, Q (1 - x) 1.1 - 0.1, grain factor 2x, jitter x 25 / 1024 of the
    // clip-space half-width, dust in x 6 % of the frames.
    void SetStrength(float strength);
    float GetStrength() const { return m_strength; }

    // The frame to process: old released, new referenced; null lets it go.
    void SetTexture(IDirect3DBaseTexture9* texture);
    IDirect3DBaseTexture9* GetTexture() const { return m_pTexture; }
    IDirect3DTexture9* GetNoiseTexture() const { return m_pNoiseTexture; }
    IDirect3DTexture9* GetDustTexture() const { return m_pDustTexture; }

    float GetY() const { return m_y; }
    float GetI() const { return m_i; }
    float GetQ() const { return m_q; }
    float GetNoiseFactor() const { return m_noiseFactor; }
    float GetJitter() const { return m_jitter; }
    float GetDustProbability() const { return m_dustProbability; }
    // Whether the last Apply showed the dust.
    bool IsDustShown() const { return m_dustShown; }

    // The film pattern at texture coordinates (u, v): gradient noise over
    // granularity cells, mapped into [minimum, maximum].
    static float FilmValue(float u, float v, float granularityX, float granularityY, float minimum, float maximum);
    // Fills an A8R8G8B8 level (grey, opaque) with the pattern.
    static void FillFilmTexture(void* bits, int pitch, UINT width, UINT height, float granularityX,
                                float granularityY, float minimum, float maximum);

private:
    void CreateNoiseTexture(IDirect3DDevice9* device);

    IDirect3DBaseTexture9* m_pTexture = nullptr;  // counted
    IDirect3DTexture9* m_pNoiseTexture = nullptr;  // counted
    IDirect3DTexture9* m_pDustTexture = nullptr;   // counted
    FullScreenQuad m_quad;
    D3DXHANDLE m_hTechnique = nullptr;

    float m_strength = 0.0f;
    float m_y = 1.0f, m_i = 1.0f, m_q = 1.0f;
    float m_noiseFactor = 0.0f;
    float m_jitter = 0.0f;
    float m_dustProbability = 0.0f;
    // The pattern's constants, set with the strength.
    float m_granularityX = GranularityX, m_granularityY = GranularityY;
    float m_minValue = MinValue, m_maxValue = MaxValue;
    float m_noiseU = 0.0f, m_noiseV = 0.0f, m_dustU = 0.0f, m_dustV = 0.0f;
    bool m_dustShown = false;
};

}  // namespace Quorvex
