#include "engine/assets/shaders/Shader_ToneMapping2.h"

#include <cmath>
#include <cstring>

#include "engine/assets/shaders/PostPass.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/Environment.h"

namespace Quorvex {

namespace {

// The adapted luminance lives as long as the process.
float g_adaptedLuminance = 0.0f;

// Chain target i has 1 << (2 i) texels a side.
UINT ChainSize(int index) { return 1u << (2 * index); }

}  // namespace

Shader_ToneMapping2::Shader_ToneMapping2(ShaderManager* manager) : ShaderAdapter(nullptr, manager) {
    m_name = "ToneMapping";
}

Shader_ToneMapping2::~Shader_ToneMapping2() {
    SetSource(nullptr);
    SAFE_RELEASE(m_pReadBackSurface);
    SAFE_RELEASE(m_pReadBack);
}

float Shader_ToneMapping2::GetAdaptedLuminance() { return g_adaptedLuminance; }
void Shader_ToneMapping2::SetAdaptedLuminance(float value) { g_adaptedLuminance = value; }

float Shader_ToneMapping2::Adapt(float adapted, float measured, float elapsed) {
    return adapted + (measured - adapted) * (1.0f - std::pow(0.98f, elapsed * 30.0f));
}

float Shader_ToneMapping2::DecodeHalf(uint16_t bits) {
    const int exponent = (bits >> 10) & 0x1F;
    if (exponent == 0 || exponent == 0x1F) return 0.0f;
    const float sign = (bits & 0x8000) ? -1.0f : 1.0f;
    return sign * std::ldexp(1.0f + (bits & 0x3FF) / 1024.0f, exponent - 15);
}

float Shader_ToneMapping2::DecodeLuminance(D3DFORMAT format, const void* texel) {
    uint16_t halves[2] = {};
    switch (format) {
    case D3DFMT_R32F: {
        float value;
        std::memcpy(&value, texel, sizeof(value));
        return value;
    }
    case D3DFMT_R16F:
    case D3DFMT_A16B16G16R16F:  // red first in memory
        std::memcpy(halves, texel, 2);
        return DecodeHalf(halves[0]);
    case D3DFMT_G16R16F:
        std::memcpy(halves, texel, 4);
        return DecodeHalf(halves[1]);
    default: return 1.0f;
    }
}

void Shader_ToneMapping2::DropChain() {
    for (RenderTargetSet& target : m_chain) target.Clear();
}

int Shader_ToneMapping2::SetSource(IDirect3DTexture9* texture) {
    if (!texture) {
        DropChain();
        SAFE_RELEASE(m_pSource);
        return 0;
    }
    D3DSURFACE_DESC held{}, given{};
    const bool sameSize = m_pSource && SUCCEEDED(m_pSource->GetLevelDesc(0, &held)) &&
                          SUCCEEDED(texture->GetLevelDesc(0, &given)) && held.Width == given.Width &&
                          held.Height == given.Height;
    if (!sameSize || !m_chain[0].GetTexture()) {
        DropChain();
        IDirect3DDevice9* device = m_pShaderManager ? m_pShaderManager->GetDevice() : nullptr;
        for (int i = 0; i < ChainLength; ++i) {
            const HRESULT hr = m_chain[i].Create(ChainSize(i), ChainSize(i), device, LuminanceFormat);
            if (FAILED(hr)) return hr;
        }
    }
    HoldReference(m_pSource, texture);
    return 0;
}

int Shader_ToneMapping2::LoadShader() {
    SAFE_RELEASE(m_pEffect);
    m_pEffect = CreateEffectFromFile(L"./data/fx/ToneMapping2.cfx");
    if (!m_pEffect) return -1;
    m_hTechnique = m_pEffect->GetTechniqueByName("Tech0");
    IDirect3DDevice9* device = m_pShaderManager->GetDevice();
    const int quad = CreatePassQuad(m_quad, device);
    if (quad < 0) return quad;
    SAFE_RELEASE(m_pReadBackSurface);
    SAFE_RELEASE(m_pReadBack);
    HRESULT hr = device->CreateTexture(1, 1, 1, 0, LuminanceFormat, D3DPOOL_SYSTEMMEM, &m_pReadBack, nullptr);
    if (FAILED(hr)) {
        m_pReadBack = nullptr;
        return hr;
    }
    hr = m_pReadBack->GetSurfaceLevel(0, &m_pReadBackSurface);
    if (FAILED(hr)) {
        m_pReadBackSurface = nullptr;
        return hr;
    }
    return 0;
}

bool Shader_ToneMapping2::RunLuminancePass(const char* technique, IDirect3DTexture9* source,
                                           const RenderTargetSet& target, const float offsets[16][2],
                                           D3DTEXTUREFILTERTYPE filter) {
    IDirect3DDevice9* device = m_pShaderManager->GetDevice();
    m_pEffect->SetTechnique(technique);
    m_pEffect->SetValue("g_avSampleOffsets", offsets, 16 * 2 * sizeof(float));
    device->SetRenderTarget(0, target.GetSurface());
    device->SetTexture(0, source);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
    UINT passes = 0;
    if (FAILED(m_pEffect->Begin(&passes, 0))) return false;
    for (UINT pass = 0; pass < passes; ++pass) {
        m_pEffect->BeginPass(pass);
        m_quad.Draw(device);
        m_pEffect->EndPass();
    }
    m_pEffect->End();
    return true;
}

int Shader_ToneMapping2::UpdateAdaptedLuminance() {
    if (!m_pEffect || !m_pSource || !m_chain[0].GetTexture()) return 0;
    const UINT top = ChainSize(ChainLength - 1);

    // A 3 x 3 grid around each texel of the largest target, column by column.
    float offsets[16][2] = {};
    int n = 0;
    for (int x = -1; x <= 1; ++x)
        for (int y = -1; y <= 1; ++y, ++n) {
            offsets[n][0] = x / (3.0f * top);
            offsets[n][1] = y / (3.0f * top);
        }
    if (!RunLuminancePass("SampleAvgLum", m_pSource, m_chain[ChainLength - 1], offsets, D3DTEXF_LINEAR)) return 0;

    // Each step averages the 4 x 4 texels of the larger target under a texel.
    for (int i = ChainLength - 1; i > 0; --i) {
        const float w = static_cast<float>(ChainSize(i)), h = w;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) {
                offsets[r * 4 + c][0] = (c - 1.5f) / w;
                offsets[r * 4 + c][1] = (r - 1.5f) / h;
            }
        const char* technique = i == 1 ? "ResampleAvgLumExp" : "ResampleAvgLum";
        if (!RunLuminancePass(technique, m_chain[i].GetTexture(), m_chain[i - 1], offsets, D3DTEXF_POINT)) return 0;
    }

    float measured = 1.0f;
    IDirect3DDevice9* device = m_pShaderManager->GetDevice();
    if (m_pReadBackSurface && SUCCEEDED(device->GetRenderTargetData(m_chain[0].GetSurface(), m_pReadBackSurface))) {
        D3DLOCKED_RECT locked{};
        if (SUCCEEDED(m_pReadBackSurface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            measured = DecodeLuminance(LuminanceFormat, locked.pBits);
            m_pReadBackSurface->UnlockRect();
        }
    }
    const float elapsed = g_pEnvironment ? g_pEnvironment->GetElapsedTime() : 0.0f;
    g_adaptedLuminance = Adapt(g_adaptedLuminance, measured, elapsed);
    m_pEffect->SetValue("g_fAdaptedLum", &g_adaptedLuminance, sizeof(float));
    if (g_pEnvironment) {
        g_pEnvironment->AppendInfoText(L"------- ToneMapping -------\r\n");
        g_pEnvironment->AppendInfoText(
            FormatW(L"fNewAdaptation:[ %.3f ] color1:[ %.3f ]\r\n", g_adaptedLuminance, measured).c_str());
    }
    return 0;
}

int Shader_ToneMapping2::Apply(IPrimitive*, int, int) {
    if (!m_pShaderManager) return 0;
    IDirect3DDevice9* device = m_pShaderManager->GetDevice();
    m_pShaderManager->SetShaderInUse(true);
    IDirect3DSurface9* saved = nullptr;
    if (m_pEffect && SUCCEEDED(device->GetRenderTarget(0, &saved))) {
        m_quad.Bind(device);
        device->SetRenderState(D3DRS_ZENABLE, FALSE);
        m_pShaderManager->SetBlendMode(ShaderManager::BlendAlpha);
        UpdateAdaptedLuminance();

        RestoreRenderTarget(device, saved);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        device->SetTexture(0, m_pSource);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        m_pEffect->SetTechnique(m_hTechnique);
        DrawQuadInEveryPass(m_pEffect, m_quad, device);
        EndTechnique();
    }
    RestoreRenderTarget(device, saved);
    return 0;
}

}  // namespace Quorvex
