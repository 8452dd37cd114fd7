// An off-screen colour target: a one-level render-target texture and its
// level-0 surface, both counted. Copying a set takes a reference on both.
#pragma once
#include "platform/d3d9/d3d9.h"
#include "platform/win32/win32.h"

namespace Quorvex {

class RenderTargetSet {
public:
    RenderTargetSet() = default;
    RenderTargetSet(const RenderTargetSet& other);
    RenderTargetSet& operator=(const RenderTargetSet& other);
    // Releases the texture, then the surface.
    ~RenderTargetSet();

    // Replaces what the set held with a new texture of the size (one level,
    // render target, default pool) and its level-0 surface. D3DFMT_UNKNOWN
    // takes the device's back-buffer format. Answers the first negative
    // device result (the set then holds nothing), else 0.
    HRESULT Create(UINT width, UINT height, IDirect3DDevice9* device, D3DFORMAT format = D3DFMT_UNKNOWN);
    // Releases both.
    void Clear();

    // Size and format of the device's back buffer.
    static HRESULT GetBackBufferDesc(IDirect3DDevice9* device, D3DSURFACE_DESC* desc);

    IDirect3DTexture9* GetTexture() const { return m_pTexture; }
    IDirect3DSurface9* GetSurface() const { return m_pSurface; }

private:
    IDirect3DTexture9* m_pTexture = nullptr;
    IDirect3DSurface9* m_pSurface = nullptr;
};

}  // namespace Quorvex
