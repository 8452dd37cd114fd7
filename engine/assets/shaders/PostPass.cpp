#include "engine/assets/shaders/PostPass.h"

#include "engine/assets/shaders/RenderTargetSet.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/Environment.h"
#include "engine/core/MessageTable.h"

namespace Quorvex {

bool GetScreenSize(IDirect3DDevice9* device, UINT* width, UINT* height, D3DFORMAT* format) {
    const D3DPRESENT_PARAMETERS* parameters = g_pEnvironment ? g_pEnvironment->GetPresentParameters() : nullptr;
    D3DSURFACE_DESC desc{};
    if (parameters && parameters->BackBufferWidth > 0 && parameters->BackBufferHeight > 0) {
        desc.Width = parameters->BackBufferWidth;
        desc.Height = parameters->BackBufferHeight;
        desc.Format = parameters->BackBufferFormat;
    } else if (FAILED(RenderTargetSet::GetBackBufferDesc(device, &desc))) {
        return false;
    }
    // A format left to the device is the device's back-buffer format.
    if (desc.Format == D3DFMT_UNKNOWN) {
        D3DSURFACE_DESC actual{};
        if (SUCCEEDED(RenderTargetSet::GetBackBufferDesc(device, &actual))) desc.Format = actual.Format;
    }
    if (width) *width = desc.Width;
    if (height) *height = desc.Height;
    if (format) *format = desc.Format;
    return true;
}

int CreatePassQuad(FullScreenQuad& quad, IDirect3DDevice9* device) {
    const HRESULT hr = quad.CreateBuffer(device);
    if (FAILED(hr)) return hr;
    if (FAILED(quad.CreateDeclaration(device))) throw MessageTable::GetText(24);
    return 0;
}

void SetOpaquePassStates(ShaderManager* shaders, FullScreenQuad& quad) {
    IDirect3DDevice9* device = shaders->GetDevice();
    quad.Bind(device);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    shaders->SetBlendMode(ShaderManager::BlendOpaque);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
}

void RestoreRenderTarget(IDirect3DDevice9* device, IDirect3DSurface9*& saved) {
    if (!saved) return;
    device->SetRenderTarget(0, saved);
    saved->Release();
    saved = nullptr;
}

void DrawQuadInEveryPass(ID3DXEffect* effect, FullScreenQuad& quad, IDirect3DDevice9* device) {
    UINT passes = 0;
    if (FAILED(effect->Begin(&passes, D3DXFX_DONOTSAVESTATE))) return;
    for (UINT pass = 0; pass < passes; ++pass) {
        effect->BeginPass(pass);
        quad.Draw(device);
        effect->EndPass();
    }
}

}  // namespace Quorvex
