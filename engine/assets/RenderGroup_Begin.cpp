#include "engine/assets/RenderGroup_Begin.h"

#include "engine/assets/shaders/PostPass.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/assets/shaders/Shader_Bloom.h"
#include "engine/assets/shaders/Shader_ExpandBlur2D.h"
#include "engine/assets/shaders/Shader_ToneMapping2.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderProfile.h"

namespace Quorvex {

namespace {

// One Begin group at a time: the latest to prepare.
RenderGroup_Begin* g_currentBegin = nullptr;

// Creates, loads and registers a shader: false when the load failed.
template <class T>
bool LoadPostShader(ShaderManager* shaders) {
    T* shader = new T(shaders);
    shader->AddRef();
    bool loaded = false;
    try {
        loaded = shader->LoadShader() >= 0;
    } catch (...) {
        shader->Release();
        throw;
    }
    if (loaded) shaders->AddShader(shader);
    shader->Release();
    return loaded;
}

}  // namespace

RenderGroup_Begin::RenderGroup_Begin() : m_targets(2) {}

RenderGroup_Begin::~RenderGroup_Begin() {
    if (g_currentBegin == this) g_currentBegin = nullptr;
    SAFE_RELEASE(m_pSavedTarget);
}

RenderGroup_Begin* RenderGroup_Begin::GetCurrent() { return g_currentBegin; }

void RenderGroup_Begin::ReleaseSavedTarget() { SAFE_RELEASE(m_pSavedTarget); }

int RenderGroup_Begin::Prepare(int) {
    g_currentBegin = this;
    IDirect3DDevice9* device = GetDevice();
    UINT width = 0, height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    if (!GetScreenSize(device, &width, &height, &format)) return D3DERR_INVALIDCALL;
    for (RenderTargetSet& target : m_targets) {
        const HRESULT hr = target.Create(width, height, device, format);
        if (FAILED(hr)) return hr;
    }

    ShaderManager* shaders = GetShaderManager();
    if (!shaders) return ShaderLoadFailed;
    if (ShaderAdapter* blur = shaders->GetShader("ExpandBlur2D")) {
        if (auto* expand = dynamic_cast<Shader_ExpandBlur2D*>(blur)) expand->Reset();
    } else if (!LoadPostShader<Shader_ExpandBlur2D>(shaders)) {
        return ShaderLoadFailed;
    }
    if (!shaders->GetShader("Bloom") && !LoadPostShader<Shader_Bloom>(shaders)) return ShaderLoadFailed;
    if (m_toneMapping && !shaders->GetShader("ToneMapping") && !LoadPostShader<Shader_ToneMapping2>(shaders))
        return ShaderLoadFailed;
    return 0;
}

void RenderGroup_Begin::Draw() {
    IDirect3DDevice9* device = GetDevice();
    ObjectManager* manager = GetObjectManager();
    if (!device) return;
    SAFE_RELEASE(m_pSavedTarget);
    if (FAILED(device->GetRenderTarget(0, &m_pSavedTarget))) {
        m_pSavedTarget = nullptr;
        return;
    }
    Advance();
    if (FAILED(device->SetRenderTarget(0, m_targets[m_index].GetSurface()))) return;
    const ShaderManager* shaders = GetShaderManager();
    const D3DCOLOR fogColor = shaders ? shaders->GetFog().color : 0;
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, fogColor | 0xFF000000u, 1.0f, 0);
    if (manager) manager->BeginStage(this);
}

// ---------------------------------------------------------------------------

RenderGroup_End::RenderGroup_End(RenderGroup_Begin* begin) : m_pBegin(begin) {
    if (m_pBegin) m_pBegin->AddRef();
}

RenderGroup_End::~RenderGroup_End() { SAFE_RELEASE(m_pBegin); }

void RenderGroup_End::Draw() {
    IDirect3DDevice9* device = GetDevice();
    ShaderManager* shaders = GetShaderManager();
    if (!device || !shaders || !m_pBegin) return;
    shaders->SetFogOff();
    RenderGroup_Begin& begin = *m_pBegin;

    if (begin.IsToneMapping()) {
        begin.Advance();
        if (FAILED(device->SetRenderTarget(0, begin.GetTarget(begin.GetIndex()).GetSurface()))) return;
        if (auto* tone = dynamic_cast<Shader_ToneMapping2*>(shaders->GetShader("ToneMapping"))) {
            tone->SetSource(begin.GetNextTarget().GetTexture());
            tone->Apply(nullptr, -1, -1);
        }
    }

    begin.Advance();
    if (FAILED(device->SetRenderTarget(0, begin.GetTarget(begin.GetIndex()).GetSurface()))) return;
    if (auto* bloom = dynamic_cast<Shader_Bloom*>(shaders->GetShader("Bloom"))) {
        bloom->m_toneScale = 1.0f;
        bloom->SetTexture(begin.GetNextTarget().GetTexture());
        bloom->Apply(nullptr, -1, -1);
    }

    begin.Advance();
    if (FAILED(device->SetRenderTarget(0, begin.GetSavedTarget()))) return;
    if (auto* blur = dynamic_cast<Shader_ExpandBlur2D*>(shaders->GetShader("ExpandBlur2D"))) {
        blur->SetTexture(begin.GetNextTarget().GetTexture());
        blur->Apply(nullptr, -1, -1);
        ProfilePass("radial blur");
    }
    begin.ReleaseSavedTarget();
}

}  // namespace Quorvex
