#include "engine/assets/RenderGroups.h"

#include "engine/assets/ResourceManager.h"
#include "engine/assets/devices/InputManager.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/AreaPos.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderParameter.h"

namespace Quorvex {

namespace {

void SetBlendAlpha(RenderStage* stage) {
    if (ShaderManager* shaders = stage->GetShaderManager()) shaders->SetBlendMode(ShaderManager::BlendAlpha);
}

void ReapplyFog(RenderStage* stage) {
    if (ShaderManager* shaders = stage->GetShaderManager()) shaders->ReapplyFog();
}

void FogOff(RenderStage* stage) {
    if (ShaderManager* shaders = stage->GetShaderManager()) shaders->SetFogOff();
}

void LinearSampler0(IDirect3DDevice9* device) {
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
}

RenderParameter* RenderParametersOf(ObjectManager* manager) {
    IResourceManager* resources = manager ? manager->GetResourceManager() : nullptr;
    return resources ? resources->GetRenderParameter() : nullptr;
}

// Replaces a counted device object.
template <class T>
void Install(T*& slot, T* value) {
    if (value) value->AddRef();
    T* old = slot;
    slot = value;
    if (old) old->Release();
}

}  // namespace

void RenderGroupSolidModel::Draw() {
    if (m_orderKey == MergedKey) return;
    IDirect3DDevice9* device = GetDevice();
    ObjectManager* manager = GetObjectManager();
    if (!device || !manager) return;
    ClearShader();
    SetBlendAlpha(this);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    ReapplyFog(this);
    manager->BeginStage(this);
}

RenderGroupStandard::~RenderGroupStandard() {
    SAFE_RELEASE(m_pDepthStencil);
    SAFE_RELEASE(m_pSaveSurface);
    SAFE_RELEASE(m_pSaveTexture);
}

int RenderGroupStandard::Prepare(int) {
    IDirect3DDevice9* device = GetDevice();
    if (device) {
        if (SUCCEEDED(device->CreateTexture(ShadowMapSize, ShadowMapSize, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R32F,
                                            D3DPOOL_DEFAULT, &m_pSaveTexture, nullptr))) {
            if (FAILED(m_pSaveTexture->GetSurfaceLevel(0, &m_pSaveSurface))) m_pSaveSurface = nullptr;
        } else {
            m_pSaveTexture = nullptr;
        }
        if (FAILED(device->CreateDepthStencilSurface(ShadowMapSize, ShadowMapSize, DEFAULTD3DFMT_DEPTHSTENCIL,
                                                     D3DMULTISAMPLE_NONE, 0, TRUE, &m_pDepthStencil, nullptr)))
            m_pDepthStencil = nullptr;
    }
    if (RenderParameter* parameters = RenderParametersOf(GetObjectManager())) {
        Install(parameters->m_shadowTexture, m_pSaveTexture);
        Install(parameters->m_shadowSurface, m_pSaveSurface);
        Install(parameters->m_shadowDepth, m_pDepthStencil);
    }
    if (ObjectManager* manager = GetObjectManager()) {
        if (InputManager* input = manager->GetInputManager()) input->BindKey(SaveTextureKey, "SaveTexture");
    }
    return 0;
}

void RenderGroupStandard::Draw() {
    IDirect3DDevice9* device = GetDevice();
    ObjectManager* manager = GetObjectManager();
    if (!device || !manager) return;
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    ReapplyFog(this);
    RenderStage* stage = manager->GetRenderStage("");
    if (!stage) return;
    if (RenderParameter* parameters = RenderParametersOf(manager)) parameters->ClearShadowMap();
    stage->ClearShader();
    SetBlendAlpha(stage);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    manager->BeginStage(stage);
}

void RenderGroupSprite3D::Draw() {
    IDirect3DDevice9* device = GetDevice();
    ObjectManager* manager = GetObjectManager();
    if (!device || !manager) return;
    ClearShader();
    SetBlendAlpha(this);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    ReapplyFog(this);
    LinearSampler0(device);
    manager->BeginStage(this);
}

void RenderGroupSprite3D_NoCull::Draw() {
    IDirect3DDevice9* device = GetDevice();
    ObjectManager* manager = GetObjectManager();
    if (!device || !manager) return;
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    ReapplyFog(this);
    LinearSampler0(device);
    manager->BeginStage(this);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
}

void RenderGroupSprite3DOver::Draw() {
    IDirect3DDevice9* device = GetDevice();
    ObjectManager* manager = GetObjectManager();
    if (!device || !manager) return;
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    ReapplyFog(this);
    manager->BeginStage(this);
}

void RenderGroupSprite2D::Draw() {
    IDirect3DDevice9* device = GetDevice();
    ObjectManager* manager = GetObjectManager();
    if (!device || !manager) return;
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    FogOff(this);
    manager->BeginStage(this);
}

}  // namespace Quorvex
