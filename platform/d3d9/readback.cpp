// Reading a render target back into system memory.
#include <cstring>

#include "platform/d3d9/formats.h"
#include "platform/d3d9/resources.h"

// Written over the public surface operations, so that every device (and every
// stand-in of one) gets it: a render-target level locks for reading, a
// system-memory level locks for writing.
HRESULT STDMETHODCALLTYPE IDirect3DDevice9::GetRenderTargetData(IDirect3DSurface9* pRenderTarget,
                                                                IDirect3DSurface9* pDestSurface) {
    if (!pRenderTarget || !pDestSurface || pRenderTarget == pDestSurface) return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC source{}, destination{};
    if (FAILED(pRenderTarget->GetDesc(&source)) || FAILED(pDestSurface->GetDesc(&destination)))
        return D3DERR_INVALIDCALL;
    if (!(source.Usage & D3DUSAGE_RENDERTARGET) || destination.Pool != D3DPOOL_SYSTEMMEM ||
        source.Format != destination.Format || source.Width != destination.Width ||
        source.Height != destination.Height)
        return D3DERR_INVALIDCALL;
    const orv::d3d9::FormatInfo* format = orv::d3d9::FindFormat(source.Format);
    if (!format) return D3DERR_INVALIDCALL;

    D3DLOCKED_RECT from{}, to{};
    HRESULT hr = pRenderTarget->LockRect(&from, nullptr, D3DLOCK_READONLY);
    if (FAILED(hr)) return hr;
    hr = pDestSurface->LockRect(&to, nullptr, 0);
    if (FAILED(hr)) {
        pRenderTarget->UnlockRect();
        return hr;
    }
    const size_t rowBytes = size_t(source.Width) * format->bytesPerPixel;
    for (UINT y = 0; y < source.Height; ++y)
        std::memcpy(static_cast<BYTE*>(to.pBits) + size_t(y) * to.Pitch,
                    static_cast<const BYTE*>(from.pBits) + size_t(y) * from.Pitch, rowBytes);
    pDestSurface->UnlockRect();
    pRenderTarget->UnlockRect();
    return D3D_OK;
}
