#include "engine/assets/shaders/Shader_Noise.h"

#include <algorithm>
#include <cmath>

#include "engine/assets/shaders/PostPass.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/Environment.h"
#include "engine/core/MessageTable.h"
#include "engine/core/Utility.h"

namespace Quorvex {

namespace {

// Sixteen unit gradients around the circle.
struct Gradient {
    float x, y;
};
const Gradient kGradients[16] = {
    {1.0f, 0.0f},       {0.92388f, 0.38268f},   {0.70711f, 0.70711f},   {0.38268f, 0.92388f},
    {0.0f, 1.0f},       {-0.38268f, 0.92388f},  {-0.70711f, 0.70711f},  {-0.92388f, 0.38268f},
    {-1.0f, 0.0f},      {-0.92388f, -0.38268f}, {-0.70711f, -0.70711f}, {-0.38268f, -0.92388f},
    {0.0f, -1.0f},      {0.38268f, -0.92388f},  {0.70711f, -0.70711f},  {0.92388f, -0.38268f},
};

uint32_t HashCell(uint32_t x, uint32_t y) {
    uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

// The dot product of a lattice point's gradient with the offset from it; the
// lattice repeats every `period` cells so the texture tiles.
float Corner(int ix, int iy, int periodX, int periodY, float dx, float dy) {
    const uint32_t x = static_cast<uint32_t>(((ix % periodX) + periodX) % periodX);
    const uint32_t y = static_cast<uint32_t>(((iy % periodY) + periodY) % periodY);
    const Gradient& g = kGradients[HashCell(x, y) & 15u];
    return g.x * dx + g.y * dy;
}

float Fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }

}  // namespace

Shader_Noise::Shader_Noise(RenderParameter* context, ShaderManager* manager) : ShaderAdapter(context, manager) {
    m_name = "Noise";
}

Shader_Noise::~Shader_Noise() {
    SAFE_RELEASE(m_pTexture);
    SAFE_RELEASE(m_pNoiseTexture);
    SAFE_RELEASE(m_pDustTexture);
}

void Shader_Noise::SetTexture(IDirect3DBaseTexture9* texture) { HoldReference(m_pTexture, texture); }

void Shader_Noise::SetStrength(float x) {
    m_strength = x;
    m_y = 1.0f;
    m_i = (1.0f - x) * 0.9f + 0.1f;
    m_q = (1.0f - x) * 1.1f - 0.1f;
    m_noiseFactor = 2.0f * x;
    m_jitter = x * 25.0f / 1024.0f;
    m_dustProbability = x * 0.06f;
    m_granularityX = GranularityX;
    m_granularityY = GranularityY;
    m_minValue = MinValue;
    m_maxValue = MaxValue;
}

float Shader_Noise::FilmValue(float u, float v, float granularityX, float granularityY, float minimum,
                              float maximum) {
    const int periodX = std::max(1, static_cast<int>(std::lround(granularityX)));
    const int periodY = std::max(1, static_cast<int>(std::lround(granularityY)));
    const float x = u * static_cast<float>(periodX), y = v * static_cast<float>(periodY);
    const float cellX = std::floor(x), cellY = std::floor(y);
    const int ix = static_cast<int>(cellX), iy = static_cast<int>(cellY);
    const float fx = x - cellX, fy = y - cellY;
    const float c00 = Corner(ix, iy, periodX, periodY, fx, fy);
    const float c10 = Corner(ix + 1, iy, periodX, periodY, fx - 1.0f, fy);
    const float c01 = Corner(ix, iy + 1, periodX, periodY, fx, fy - 1.0f);
    const float c11 = Corner(ix + 1, iy + 1, periodX, periodY, fx - 1.0f, fy - 1.0f);
    const float sx = Fade(fx), sy = Fade(fy);
    const float top = c00 + (c10 - c00) * sx;
    const float bottom = c01 + (c11 - c01) * sx;
    // Gradient noise in two dimensions stays within +-sqrt(1/2).
    const float n = std::clamp((top + (bottom - top) * sy) * 1.41421356f, -1.0f, 1.0f);
    return minimum + (maximum - minimum) * (n * 0.5f + 0.5f);
}

void Shader_Noise::FillFilmTexture(void* bits, int pitch, UINT width, UINT height, float granularityX,
                                   float granularityY, float minimum, float maximum) {
    for (UINT y = 0; y < height; ++y) {
        BYTE* row = static_cast<BYTE*>(bits) + static_cast<ptrdiff_t>(y) * pitch;
        const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(height);
        for (UINT x = 0; x < width; ++x) {
            const float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(width);
            const float value = FilmValue(u, v, granularityX, granularityY, minimum, maximum);
            const BYTE grey = static_cast<BYTE>(std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f);
            BYTE* texel = row + x * 4;
            texel[0] = texel[1] = texel[2] = grey;  // B, G, R
            texel[3] = 0xFF;
        }
    }
}

void Shader_Noise::CreateNoiseTexture(IDirect3DDevice9* device) {
    SAFE_RELEASE(m_pNoiseTexture);
    UINT width = 0, height = 0;
    if (g_pEnvironment && g_pEnvironment->GetClientWidth() > 0 && g_pEnvironment->GetClientHeight() > 0) {
        width = static_cast<UINT>(g_pEnvironment->GetClientWidth());
        height = static_cast<UINT>(g_pEnvironment->GetClientHeight());
    } else if (!GetScreenSize(device, &width, &height, nullptr)) {
        return;
    }
    if (FAILED(device->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                     &m_pNoiseTexture, nullptr))) {
        m_pNoiseTexture = nullptr;
        return;
    }
    // The device lets the processor write a render-target texture directly.
    D3DLOCKED_RECT locked{};
    if (FAILED(m_pNoiseTexture->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD))) return;
    FillFilmTexture(locked.pBits, locked.Pitch, width, height, m_granularityX, m_granularityY, m_minValue,
                    m_maxValue);
    m_pNoiseTexture->UnlockRect(0);
}

int Shader_Noise::LoadShader() {
    SAFE_RELEASE(m_pEffect);
    m_pEffect = CreateEffectFromFile(L"./data/fx/Noise.cfx");
    if (!m_pEffect) return -1;
    m_hTechnique = m_pEffect->GetTechniqueByName("Tech0");
    if (!m_hTechnique) {
        MessageTable::Log(26, L"Shader_Noise::LoadShader");
        return -1;
    }
    IDirect3DDevice9* device = m_pShaderManager->GetDevice();
    const int quad = CreatePassQuad(m_quad, device);
    if (quad < 0) return quad;
    SetStrength(0.0f);
    CreateNoiseTexture(device);
    SAFE_RELEASE(m_pDustTexture);
    if (FAILED(D3DXCreateTextureFromFileW(device, L"./data/texture/dust.png", &m_pDustTexture)))
        m_pDustTexture = nullptr;
    return 0;
}

int Shader_Noise::Apply(IPrimitive*, int, int) {
    if (!m_pEffect || !m_pShaderManager) return 0;
    IDirect3DDevice9* device = m_pShaderManager->GetDevice();
    m_pShaderManager->SetShaderInUse(true);

    // The frame shakes by up to half the jitter each way.
    const float r1 = RandomFloat();
    const float r2 = RandomFloat();
    m_quad.Fill((r2 - 0.5f) * m_jitter, (r1 - 0.5f) * m_jitter);
    m_noiseU = RandomFloat();
    m_noiseV = RandomFloat();
    m_dustU = RandomFloat();
    m_dustV = RandomFloat();
    RandomFloat();
    // Without its texture the dust would black the frame out: it stays away.
    m_dustShown = m_dustProbability > RandomFloat() && m_pDustTexture;

    m_pEffect->SetFloat("Y", m_y);
    m_pEffect->SetFloat("I", m_i);
    m_pEffect->SetFloat("Q", m_q);
    m_pEffect->SetFloat("NoiseTexFact", m_noiseFactor);
    m_pEffect->SetFloat("NoiseU", m_noiseU);
    m_pEffect->SetFloat("NoiseV", m_noiseV);
    m_pEffect->SetFloat("DustU", m_dustU);
    m_pEffect->SetFloat("DustV", m_dustV);
    m_pEffect->SetTexture("MeshTex", m_pTexture);
    m_pEffect->SetTexture("NoiseTex", m_pNoiseTexture);
    m_pEffect->SetTexture("DustTex", m_dustShown ? m_pDustTexture : nullptr);
    m_pEffect->SetInt("bUseDust", m_dustShown ? 1 : 0);

    m_pEffect->SetTechnique(m_hTechnique);
    SetOpaquePassStates(m_pShaderManager, m_quad);
    DrawQuadInEveryPass(m_pEffect, m_quad, device);
    EndTechnique();
    return 0;
}

}  // namespace Quorvex
