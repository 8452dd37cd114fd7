#include "engine/assets/shaders/RenderTargetSet.h"

namespace Quorvex {

RenderTargetSet::RenderTargetSet(const RenderTargetSet& other)
    : m_pTexture(other.m_pTexture), m_pSurface(other.m_pSurface) {
    if (m_pTexture) m_pTexture->AddRef();
    if (m_pSurface) m_pSurface->AddRef();
}

RenderTargetSet& RenderTargetSet::operator=(const RenderTargetSet& other) {
    if (this == &other) return *this;
    // Referenced first, so assigning a set that shares our objects keeps them.
    if (other.m_pTexture) other.m_pTexture->AddRef();
    if (other.m_pSurface) other.m_pSurface->AddRef();
    Clear();
    m_pTexture = other.m_pTexture;
    m_pSurface = other.m_pSurface;
    return *this;
}

RenderTargetSet::~RenderTargetSet() { Clear(); }

void RenderTargetSet::Clear() {
    SAFE_RELEASE(m_pTexture);
    SAFE_RELEASE(m_pSurface);
}

HRESULT RenderTargetSet::GetBackBufferDesc(IDirect3DDevice9* device, D3DSURFACE_DESC* desc) {
    if (!device || !desc) return D3DERR_INVALIDCALL;
    IDirect3DSurface9* backBuffer = nullptr;
    HRESULT hr = device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    if (FAILED(hr)) return hr;
    hr = backBuffer->GetDesc(desc);
    backBuffer->Release();
    return hr;
}

HRESULT RenderTargetSet::Create(UINT width, UINT height, IDirect3DDevice9* device, D3DFORMAT format) {
    Clear();
    if (!device) return D3DERR_INVALIDCALL;
    if (format == D3DFMT_UNKNOWN) {
        D3DSURFACE_DESC desc{};
        const HRESULT hr = GetBackBufferDesc(device, &desc);
        if (FAILED(hr)) return hr;
        format = desc.Format;
    }
    HRESULT hr = device->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT,
                                       &m_pTexture, nullptr);
    if (FAILED(hr)) {
        m_pTexture = nullptr;
        return hr;
    }
    hr = m_pTexture->GetSurfaceLevel(0, &m_pSurface);
    if (FAILED(hr)) {
        m_pSurface = nullptr;
        Clear();
        return hr;
    }
    return D3D_OK;
}

}  // namespace Quorvex
