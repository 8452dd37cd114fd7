#include "engine/assets/shaders/Shader_Bloom.h"

#include "engine/assets/shaders/PostPass.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/MessageTable.h"
#include "engine/core/render/RenderProfile.h"

namespace Quorvex {

namespace {

struct Tap {
    float x, y, weight;
};

// A cross of three at the centre and the two diagonals out to three units,
// each weight falling off with the distance.
const Tap kPattern[Shader_Bloom::SampleCount] = {
    {-1, 0, 4}, {0, 0, 5},  {1, 0, 4},  {-1, -1, 3}, {-2, -2, 2}, {-3, -3, 1}, {1, 1, 3},  {2, 2, 2},
    {3, 3, 1},  {-1, 1, 3}, {-2, 2, 2}, {-3, 3, 1},  {1, -1, 3},  {2, -2, 2},  {3, -3, 1},
};

}  // namespace

Shader_Bloom::Shader_Bloom(ShaderManager* manager) : ShaderAdapter(nullptr, manager) {
    m_name = "Bloom";
    ComputeSampleWeights(m_sampleWeights);
}

Shader_Bloom::~Shader_Bloom() {
    SAFE_RELEASE(m_pTexture);
    SAFE_RELEASE(m_pBrightSurface);
    SAFE_RELEASE(m_pBrightTexture);
}

void Shader_Bloom::SetTexture(IDirect3DBaseTexture9* texture) { HoldReference(m_pTexture, texture); }

void Shader_Bloom::ComputeSampleOffsets(UINT width, UINT height, float spread, float offsets[SampleCount][2]) {
    const float w = width ? static_cast<float>(width) : 1.0f;
    const float h = height ? static_cast<float>(height) : 1.0f;
    for (int i = 0; i < SampleCount; ++i) {
        offsets[i][0] = kPattern[i].x * (spread * 0.25f) / w;
        offsets[i][1] = kPattern[i].y * (spread * 0.25f) / h;
    }
}

void Shader_Bloom::ComputeSampleWeights(float weights[SampleCount]) {
    float sum = 0.0f;
    for (const Tap& tap : kPattern) sum += tap.weight;
    for (int i = 0; i < SampleCount; ++i) weights[i] = kPattern[i].weight / sum;
}

int Shader_Bloom::LoadShader() {
    SAFE_RELEASE(m_pEffect);
    m_pEffect = CreateEffectFromFile(L"./data/fx/Bloom.cfx");
    if (m_pEffect) {
        m_hTechnique = m_pEffect->GetTechniqueByName("Tech0");
        m_hTexSrc = m_pEffect->GetParameterByName(nullptr, "g_TexSrc");
        m_hTexBright = m_pEffect->GetParameterByName(nullptr, "g_TexBright");
        m_hTexBloom = m_pEffect->GetParameterByName(nullptr, "g_TexBloom");
        m_hThreshold = m_pEffect->GetParameterByName(nullptr, "g_Threshold");
        m_hSampleOffsets = m_pEffect->GetParameterByName(nullptr, "g_aSmpOffset");
        m_hSampleWeights = m_pEffect->GetParameterByName(nullptr, "g_aSmpWeight");
        m_hToneScale = m_pEffect->GetParameterByName(nullptr, "g_ToneScale");
        m_hShadeIndex = m_pEffect->GetParameterByName(nullptr, "g_PShadeIndex");
    }
    if (!m_pEffect || !m_hTechnique || !m_hTexSrc || !m_hTexBright || !m_hTexBloom || !m_hThreshold ||
        !m_hSampleOffsets || !m_hSampleWeights || !m_hToneScale || !m_hShadeIndex) {
        MessageTable::Log(26, L"Shader_Bloom::LoadShader");
        return -1;
    }

    IDirect3DDevice9* device = m_pShaderManager->GetDevice();
    const int quad = CreatePassQuad(m_quad, device);
    if (quad < 0) return quad;

    UINT width = 0, height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    if (!GetScreenSize(device, &width, &height, &format)) return D3DERR_INVALIDCALL;
    SAFE_RELEASE(m_pBrightSurface);
    SAFE_RELEASE(m_pBrightTexture);
    HRESULT hr = device->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT,
                                       &m_pBrightTexture, nullptr);
    if (FAILED(hr)) {
        m_pBrightTexture = nullptr;
        return hr;
    }
    hr = m_pBrightTexture->GetSurfaceLevel(0, &m_pBrightSurface);
    if (FAILED(hr)) {
        m_pBrightSurface = nullptr;
        return hr;
    }
    const UINT quarterWidth = static_cast<UINT>(width * 0.25f);
    const UINT quarterHeight = static_cast<UINT>(height * 0.25f);
    for (RenderTargetSet& target : m_quarter) {
        hr = target.Create(quarterWidth, quarterHeight, device, format);
        if (FAILED(hr)) return hr;
    }
    ComputeSampleOffsets(width, height, Spread, m_sampleOffsets);
    return 0;
}

void Shader_Bloom::UploadOffsets(IDirect3DTexture9* texture) {
    D3DSURFACE_DESC desc{};
    if (texture && SUCCEEDED(texture->GetLevelDesc(0, &desc)))
        ComputeSampleOffsets(desc.Width, desc.Height, Spread, m_sampleOffsets);
    m_pEffect->SetFloatArray(m_hSampleOffsets, &m_sampleOffsets[0][0], SampleCount * 2);
}

int Shader_Bloom::Apply(IPrimitive*, int, int) {
    if (!m_pShaderManager) return 0;
    IDirect3DDevice9* device = m_pShaderManager->GetDevice();
    m_pShaderManager->SetShaderInUse(true);
    IDirect3DSurface9* saved = nullptr;
    if (m_pEffect && m_pBrightSurface && SUCCEEDED(device->GetRenderTarget(0, &saved))) {
        m_pEffect->SetTexture(m_hTexSrc, m_pTexture);
        m_pEffect->SetTexture(m_hTexBright, m_pBrightTexture);
        m_pEffect->SetTexture(m_hTexBloom, m_quarter[0].GetTexture());
        m_pEffect->SetFloat(m_hThreshold, m_threshold);
        m_pEffect->SetFloatArray(m_hSampleOffsets, &m_sampleOffsets[0][0], SampleCount * 2);
        m_pEffect->SetFloatArray(m_hSampleWeights, m_sampleWeights, SampleCount);
        m_pEffect->SetFloat(m_hToneScale, m_toneScale);
        m_pEffect->SetInt(m_hShadeIndex, m_shadeIndex);
        m_pEffect->SetTechnique(m_hTechnique);

        m_quad.Bind(device);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->SetRenderState(D3DRS_ZENABLE, FALSE);
        UINT passes = 0;
        m_pEffect->Begin(&passes, D3DXFX_DONOTSAVESTATE);
        for (UINT pass = 0; pass < passes && pass < 3; ++pass) {
            m_pEffect->BeginPass(pass);
            // Each pass covers its whole target opaquely (the effect blends
            // nothing): the targets are not cleared first.
            if (pass == 0) {
                // The parts above the threshold.
                m_pShaderManager->SetBlendMode(ShaderManager::BlendAlpha);
                device->SetRenderTarget(0, m_pBrightSurface);
                m_quad.Draw(device);
                ProfilePass("bloom bright");
            } else if (pass == 1) {
                // Blurred into the first quarter target, then that one into
                // the second; the pass never reads the target it writes.
                m_pShaderManager->SetBlendMode(ShaderManager::BlendAddAlpha);
                UploadOffsets(m_pBrightTexture);
                for (int k = 0; k < 2; ++k) {
                    device->SetRenderTarget(0, m_quarter[k].GetSurface());
                    m_pEffect->SetFloat("g_BrightTone", k == 0 ? FirstBlurTone : SecondBlurTone);
                    m_pEffect->CommitChanges();
                    m_quad.Draw(device);
                    ProfilePass(k == 0 ? "bloom blur 1" : "bloom blur 2");
                    if (k == 0) {
                        m_pEffect->SetTexture(m_hTexBright, m_quarter[0].GetTexture());
                        UploadOffsets(m_quarter[0].GetTexture());
                    }
                }
                m_pEffect->SetTexture(m_hTexBloom, m_quarter[1].GetTexture());
            } else {
                // The picture with its bloom, into the target of the caller.
                RestoreRenderTarget(device, saved);
                m_pShaderManager->SetBlendMode(ShaderManager::BlendAlpha);
                m_quad.Draw(device);
                ProfilePass("bloom composite");
            }
            m_pEffect->EndPass();
        }
        EndTechnique();
    }
    RestoreRenderTarget(device, saved);
    return 0;
}

}  // namespace Quorvex
