// Frame-wide drawing parameters that the effects read: the camera's view and
// projection and eye position, the light, the device capabilities, the mesh
// vertex declaration, a growable matrix palette, the shadow map and the
// back-buffer-sized motion-blur target.
#pragma once
#include "engine/core/ReferCounter.h"
#include "platform/d3dx9/d3dx9.h"

namespace Quorvex {

class RenderParameter : public IUnknown, public ReferCounter {
public:
    // One point light the mesh effect may use.
    struct PointLight {
        DWORD enabled = 0;
        D3DXVECTOR3 position;
        float power = 0.0f;
        float minLength = 0.0f;
        float maxLength = 0.0f;
    };
    static constexpr int PointLightCount = 4;
    // Palettes of this many matrices or more are refused.
    static constexpr int MaxMatrices = 0x4000000;

    RenderParameter();
    ~RenderParameter() override;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    int GetRefCount() const { return GetReferenceCount(); }

    // Keeps the device, reads its capabilities, creates the mesh declaration
    // and sizes and creates the motion-blur target from render target 0.
    // Answers the first failing device result, else 0.
    HRESULT Initialize(IDirect3DDevice9* device);
    // A palette of at least n matrices: answers n when it already holds them;
    // else a new palette (contents not kept) and its address, or 0 when n is
    // too large or the allocation failed (the old palette is kept then, and
    // the capacity still tells what it holds).
    INT_PTR ReserveMatrices(int n);
    D3DXMATRIX* GetMatrices() const { return m_palette; }
    int GetMatrixCapacity() const { return m_paletteCapacity; }
    // Clears the motion-blur target and its depth (colour 0, depth 1) and puts
    // back render target 0, the depth surface and the viewport.
    HRESULT ClearShadowMap();
    // Look-at from the light position to the origin, up (0, 1, 0).
    D3DXMATRIX* GetLightView(D3DXMATRIX* out) const;
    // Light view x perspective (light field of view, aspect 1, near 1, far 1000).
    D3DXMATRIX* GetLightViewProjection(D3DXMATRIX* out) const;

    void SetProjectionMatrix(const D3DXMATRIX& matrix) { m_projection = matrix; }
    void SetViewMatrix(const D3DXMATRIX& matrix) { m_view = matrix; }
    void SetEyePosition(const D3DXVECTOR3& eye) { m_eye = eye; }

    // The shadow-map size for a back buffer of the given size: the smallest
    // power of two from 4 up that reaches it, doubling no further once the
    // maximum texture size is reached.
    static UINT ShadowMapSize(UINT backBufferSize, UINT maxTextureSize);

    // The fields the effects read.
    IDirect3DDevice9* m_device = nullptr;  // counted
    D3DCAPS9 m_caps{};
    IDirect3DVertexDeclaration9* m_meshDeclaration = nullptr;  // counted
    D3DXMATRIX m_view;
    D3DXMATRIX m_projection;
    D3DXVECTOR3 m_eye{1.0f, 20.0f, 0.0f};
    D3DXVECTOR4 m_ambient{0.2f, 0.2f, 0.2f, 1.0f};
    D3DXVECTOR4 m_diffuse{1.0f, 1.0f, 1.0f, 1.0f};
    D3DXVECTOR4 m_specular{1.0f, 1.0f, 1.0f, 1.0f};
    D3DXVECTOR4 m_lightDirection{-1.0f, -20.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_lightPosition{1.0f, 20.0f, 0.0f};
    float m_lightFov = D3DX_PI / 3.0f;
    PointLight m_pointLights[PointLightCount];
    // The shadow map that the standard render group installs (counted).
    IDirect3DTexture9* m_shadowTexture = nullptr;
    IDirect3DSurface9* m_shadowSurface = nullptr;
    IDirect3DSurface9* m_shadowDepth = nullptr;
    // 0 none, 1 shadow-map pass, 2 draw with the shadow map.
    int m_shadowMapMode = 0;
    // The back-buffer-sized motion-blur target (counted).
    float m_shadowMapWidth = 1024.0f;
    float m_shadowMapHeight = 1024.0f;
    IDirect3DSurface9* m_blurDepth = nullptr;
    IDirect3DTexture9* m_blurTexture = nullptr;
    IDirect3DSurface9* m_blurSurface = nullptr;
    // False once anything may have drawn into the motion-blur target since
    // ClearShadowMap last cleared it; whoever draws into it sets it so.
    bool m_blurTargetClear = false;
    // Per-instance previous world-view matrices of the mesh being drawn (not
    // owned) and whether they are only to be stored this time.
    D3DXMATRIX* m_previousMatrices = nullptr;
    BYTE m_previousMatrixReset = 0;

private:
    void FreePalette();

    D3DXMATRIX* m_palette = nullptr;  // 16-byte aligned
    int m_paletteCapacity = 0;
};

}  // namespace Quorvex
