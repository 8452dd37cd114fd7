#include "engine/core/render/RenderParameter.h"

#include <new>

#include "engine/core/AreaPos.h"

namespace Quorvex {

namespace {
constexpr std::align_val_t kPaletteAlignment{16};
}

RenderParameter::RenderParameter() {
    D3DXMatrixIdentity(&m_view);
    D3DXMatrixIdentity(&m_projection);
}

RenderParameter::~RenderParameter() {
    FreePalette();
    SAFE_RELEASE(m_meshDeclaration);
    SAFE_RELEASE(m_shadowTexture);
    SAFE_RELEASE(m_shadowSurface);
    SAFE_RELEASE(m_shadowDepth);
    SAFE_RELEASE(m_blurDepth);
    SAFE_RELEASE(m_blurSurface);
    SAFE_RELEASE(m_blurTexture);
    SAFE_RELEASE(m_device);
}

UINT RenderParameter::ShadowMapSize(UINT backBufferSize, UINT maxTextureSize) {
    UINT size = 4;
    while (size < backBufferSize && size < maxTextureSize) size *= 2;
    return size;
}

HRESULT RenderParameter::Initialize(IDirect3DDevice9* device) {
    if (device) device->AddRef();
    SAFE_RELEASE(m_device);
    m_device = device;
    if (!m_device) return E_POINTER;

    HRESULT hr = m_device->GetDeviceCaps(&m_caps);
    if (FAILED(hr)) return hr;

    const D3DVERTEXELEMENT9 elements[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
        {0, 24, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TANGENT, 0},
        {0, 36, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
        D3DDECL_END()};
    SAFE_RELEASE(m_meshDeclaration);
    hr = m_device->CreateVertexDeclaration(elements, &m_meshDeclaration);
    if (FAILED(hr)) return hr;

    IDirect3DSurface9* target = nullptr;
    hr = m_device->GetRenderTarget(0, &target);
    if (FAILED(hr)) return hr;
    D3DSURFACE_DESC desc{};
    hr = target->GetDesc(&desc);
    target->Release();
    if (FAILED(hr)) return hr;

    const UINT width = ShadowMapSize(desc.Width, m_caps.MaxTextureWidth);
    const UINT height = ShadowMapSize(desc.Height, m_caps.MaxTextureHeight);
    m_shadowMapWidth = static_cast<float>(width);
    m_shadowMapHeight = static_cast<float>(height);

    SAFE_RELEASE(m_blurDepth);
    SAFE_RELEASE(m_blurSurface);
    SAFE_RELEASE(m_blurTexture);
    m_blurTargetClear = false;
    hr = m_device->CreateDepthStencilSurface(width, height, DEFAULTD3DFMT_DEPTHSTENCIL, D3DMULTISAMPLE_NONE, 0,
                                             TRUE, &m_blurDepth, nullptr);
    if (FAILED(hr)) return hr;
    hr = m_device->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, DEFAULTD3DFMT_TEXTURE, D3DPOOL_DEFAULT,
                                 &m_blurTexture, nullptr);
    if (FAILED(hr)) return hr;
    hr = m_blurTexture->GetSurfaceLevel(0, &m_blurSurface);
    if (FAILED(hr)) return hr;
    return S_OK;
}

void RenderParameter::FreePalette() {
    if (m_palette) ::operator delete[](m_palette, kPaletteAlignment);
    m_palette = nullptr;
}

INT_PTR RenderParameter::ReserveMatrices(int n) {
    if (m_paletteCapacity >= n) return n;
    if (n >= MaxMatrices) return 0;
    void* memory =
        ::operator new[](sizeof(D3DXMATRIX) * static_cast<size_t>(n), kPaletteAlignment, std::nothrow);
    if (!memory) return 0;
    // The capacity is published only with a palette that holds it.
    FreePalette();
    m_palette = static_cast<D3DXMATRIX*>(memory);
    m_paletteCapacity = n;
    return reinterpret_cast<INT_PTR>(m_palette);
}

HRESULT RenderParameter::ClearShadowMap() {
    if (!m_device || !m_blurSurface) return E_POINTER;
    // Most frames draw nothing into the target: clearing it again would only
    // write the same values over 2.3 screens of colour and depth.
    if (m_blurTargetClear) return D3D_OK;
    IDirect3DSurface9* savedTarget = nullptr;
    IDirect3DSurface9* savedDepth = nullptr;
    D3DVIEWPORT9 savedViewport{};
    m_device->GetRenderTarget(0, &savedTarget);
    m_device->GetDepthStencilSurface(&savedDepth);
    m_device->GetViewport(&savedViewport);

    m_device->SetRenderTarget(0, m_blurSurface);
    m_device->SetDepthStencilSurface(m_blurDepth);
    const HRESULT hr = m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    m_blurTargetClear = SUCCEEDED(hr);

    m_device->SetRenderTarget(0, savedTarget);
    m_device->SetDepthStencilSurface(savedDepth);
    m_device->SetViewport(&savedViewport);
    SAFE_RELEASE(savedTarget);
    SAFE_RELEASE(savedDepth);
    return hr;
}

D3DXMATRIX* RenderParameter::GetLightView(D3DXMATRIX* out) const {
    const D3DXVECTOR3 origin(0.0f, 0.0f, 0.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    return D3DXMatrixLookAtLH(out, &m_lightPosition, &origin, &up);
}

D3DXMATRIX* RenderParameter::GetLightViewProjection(D3DXMATRIX* out) const {
    D3DXMATRIX view;
    D3DXMATRIX projection;
    GetLightView(&view);
    D3DXMatrixPerspectiveFovLH(&projection, m_lightFov, 1.0f, 1.0f, 1000.0f);
    return D3DXMatrixMultiply(out, &view, &projection);
}

}  // namespace Quorvex
