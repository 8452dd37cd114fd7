// The Direct3D 9 objects the engine draws with, over OpenGL 3.3 core.
//
// Conventions stay Direct3D's for every caller: clip depth 0..1, the top-left
// pixel first (a locked texture's row 0, a render target's row 0 and v = 0 are
// the top), pixel centres on integer screen coordinates, clockwise front faces,
// B, G, R, A byte order for A8R8G8B8 and D3DCOLOR. The device alone converts to
// OpenGL's conventions.
//
// Objects are reference counted. A resource keeps its device alive while the
// caller holds it; what the device has bound (textures, buffers, targets,
// declarations) stays valid while bound even after the caller's last Release.
// Surfaces of a texture share the texture's count; the back buffer and the
// automatic depth buffer share the device's.
//
// Threads: the device belongs to the thread that created it. Another thread may
// create and fill textures, buffers and declarations after
// orv::d3d9::MakeLoaderContextCurrent; nothing else.
//
// Not covered: fixed-function lighting, materials and transforms (draws without
// an effect program take positions as clip space, or as screen pixels with
// D3DFVF_XYZRHW / POSITIONT, coloured by the diffuse colour times the stage-0
// texture), stencil states, multisampling, device reset.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/d3d9/types.h"

struct IDirect3D9;
struct IDirect3DDevice9;
struct IDirect3DSurface9;
struct IDirect3DTexture9;
struct IDirect3DVertexShader9;  // only null is ever passed: see SetVertexShader
struct IDirect3DPixelShader9;
typedef struct _RGNDATA RGNDATA;

struct IDirect3D9 : public IUnknown {
    // D3D_OK when the adapter can use `CheckFormat` for `Usage` (0,
    // D3DUSAGE_RENDERTARGET or D3DUSAGE_DEPTHSTENCIL) on a display of
    // `AdapterFormat` (A8R8G8B8 or X8R8G8B8), else D3DERR_NOTAVAILABLE.
    virtual HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                                        DWORD Usage, D3DRESOURCETYPE RType,
                                                        D3DFORMAT CheckFormat) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps) = 0;
    // Creates the OpenGL context on the SDL window behind hDeviceWindow (or
    // hFocusWindow). With neither window the device opens a hidden window of
    // the back-buffer size of its own (tests, tools). No vertical sync unless
    // PresentationInterval asks for D3DPRESENT_INTERVAL_ONE. Zero sizes and
    // D3DFMT_UNKNOWN are filled in as Direct3D 9 does in a window.
    virtual HRESULT STDMETHODCALLTYPE CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow,
                                                   DWORD BehaviorFlags,
                                                   D3DPRESENT_PARAMETERS* pPresentationParameters,
                                                   IDirect3DDevice9** ppReturnedDeviceInterface) = 0;
};

// Null for any SDK version other than D3D_SDK_VERSION.
IDirect3D9* WINAPI Direct3DCreate9(UINT SDKVersion);

struct IDirect3DResource9 : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** ppDevice) = 0;
    virtual D3DRESOURCETYPE STDMETHODCALLTYPE GetType() = 0;
};

struct IDirect3DBaseTexture9 : public IDirect3DResource9 {
    virtual DWORD STDMETHODCALLTYPE GetLevelCount() = 0;
    // Textures here never generate their own levels: whoever fills level 0
    // fills the others, so this changes nothing, as Direct3D 9 for a texture
    // made without automatic mipmaps.
    virtual void STDMETHODCALLTYPE GenerateMipSubLevels() = 0;
};

struct IDirect3DTexture9 : public IDirect3DBaseTexture9 {
    virtual HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) = 0;
    // The same surface object for a level every time, with a reference.
    virtual HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) = 0;
    // Any pool and usage can be locked, render targets included. Rows are top
    // first; without D3DLOCK_DISCARD the level's current texels are read first.
    virtual HRESULT STDMETHODCALLTYPE LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                                               DWORD Flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnlockRect(UINT Level) = 0;
};

struct IDirect3DSurface9 : public IDirect3DResource9 {
    virtual HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC* pDesc) = 0;
    // Surfaces of textures only; the back buffer and depth surfaces answer
    // D3DERR_INVALIDCALL.
    virtual HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnlockRect() = 0;
};

// Buffers keep a copy of their bytes on the processor side, so every lock can
// read them back; D3DLOCK_DISCARD gives the drawing side fresh storage, so draws
// issued before the lock still see the old contents.
struct IDirect3DVertexBuffer9 : public IDirect3DResource9 {
    // SizeToLock 0 locks from the offset to the end.
    virtual HRESULT STDMETHODCALLTYPE Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unlock() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDesc(D3DVERTEXBUFFER_DESC* pDesc) = 0;
};

struct IDirect3DIndexBuffer9 : public IDirect3DResource9 {
    virtual HRESULT STDMETHODCALLTYPE Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unlock() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDesc(D3DINDEXBUFFER_DESC* pDesc) = 0;
};

struct IDirect3DVertexDeclaration9 : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** ppDevice) = 0;
    // The elements including the end marker; *pNumElements is their count.
    // With pElement null only the count is answered.
    virtual HRESULT STDMETHODCALLTYPE GetDeclaration(D3DVERTEXELEMENT9* pElement, UINT* pNumElements) = 0;
};

struct IDirect3DDevice9 : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS9* pCaps) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                                                    IDirect3DSurface9** ppBackBuffer) = 0;
    // Frame. Present draws the back buffer into the window (stretched to the
    // window's size) and swaps; its arguments must be null.
    virtual HRESULT STDMETHODCALLTYPE BeginScene() = 0;
    virtual HRESULT STDMETHODCALLTYPE EndScene() = 0;
    virtual HRESULT STDMETHODCALLTYPE Present(const RECT* pSourceRect, const RECT* pDestRect,
                                              HWND hDestWindowOverride, const RGNDATA* pDirtyRegion) = 0;
    // Clears the viewport (or the given rectangles inside it), whatever the
    // write-enable states are.
    virtual HRESULT STDMETHODCALLTYPE Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                                            DWORD Stencil) = 0;

    // Resources. Levels 0 means the full chain down to 1 x 1. A
    // D3DUSAGE_RENDERTARGET texture has formats CheckDeviceFormat accepts for
    // render targets; pSharedHandle must be null.
    virtual HRESULT STDMETHODCALLTYPE CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage,
                                                    D3DFORMAT Format, D3DPOOL Pool, IDirect3DTexture9** ppTexture,
                                                    HANDLE* pSharedHandle) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                                         IDirect3DVertexBuffer9** ppVertexBuffer,
                                                         HANDLE* pSharedHandle) = 0;
    // D3DFMT_INDEX16 only.
    virtual HRESULT STDMETHODCALLTYPE CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                                        IDirect3DIndexBuffer9** ppIndexBuffer,
                                                        HANDLE* pSharedHandle) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateDepthStencilSurface(UINT Width, UINT Height, D3DFORMAT Format,
                                                                D3DMULTISAMPLE_TYPE MultiSample,
                                                                DWORD MultisampleQuality, BOOL Discard,
                                                                IDirect3DSurface9** ppSurface,
                                                                HANDLE* pSharedHandle) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateVertexDeclaration(const D3DVERTEXELEMENT9* pVertexElements,
                                                              IDirect3DVertexDeclaration9** ppDecl) = 0;

    // Targets. One colour target (index 0). Setting it resets the viewport to
    // the whole target, as Direct3D 9 does; the depth surface is separate.
    virtual HRESULT STDMETHODCALLTYPE SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRenderTarget(DWORD RenderTargetIndex,
                                                      IDirect3DSurface9** ppRenderTarget) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDepthStencilSurface(IDirect3DSurface9* pNewZStencil) = 0;
    // D3DERR_NOTFOUND (and null) when no depth surface is set.
    virtual HRESULT STDMETHODCALLTYPE GetDepthStencilSurface(IDirect3DSurface9** ppZStencilSurface) = 0;
    // Copies a level of a render-target texture into a level of a
    // D3DPOOL_SYSTEMMEM texture of the same size and format, where the
    // processor can lock it. The back buffer is no source here.
    virtual HRESULT STDMETHODCALLTYPE GetRenderTargetData(IDirect3DSurface9* pRenderTarget,
                                                          IDirect3DSurface9* pDestSurface);
    virtual HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT9* pViewport) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT9* pViewport) = 0;

    // States. Defaults are Direct3D 9's: z test on (LESSEQUAL) with writes when
    // there is an automatic depth buffer, blending off (ONE, ZERO, ADD), cull
    // CCW, solid fill, fog off, alpha test off; every sampler WRAP with POINT
    // filters and no mip filter.
    virtual HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) = 0;
    // Stages 0..15.
    virtual HRESULT STDMETHODCALLTYPE SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) = 0;
    // Only null: back to the device's own program for the following draws.
    virtual HRESULT STDMETHODCALLTYPE SetVertexShader(IDirect3DVertexShader9* pShader) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPixelShader(IDirect3DPixelShader9* pShader) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSoftwareVertexProcessing(BOOL bSoftware) = 0;  // accepted, no effect

    // Vertex input. A declaration and an FVF replace each other.
    virtual HRESULT STDMETHODCALLTYPE SetVertexDeclaration(IDirect3DVertexDeclaration9* pDecl) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVertexDeclaration(IDirect3DVertexDeclaration9** ppDecl) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFVF(DWORD FVF) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFVF(DWORD* pFVF) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData,
                                                      UINT OffsetInBytes, UINT Stride) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetIndices(IDirect3DIndexBuffer9* pIndexData) = 0;

    // Draws.
    virtual HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex,
                                                    UINT PrimitiveCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex,
                                                           UINT MinVertexIndex, UINT NumVertices, UINT startIndex,
                                                           UINT primCount) = 0;
    // Vertices from the caller's memory; stream 0 is unset afterwards.
    virtual HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                                      const void* pVertexStreamZeroData,
                                                      UINT VertexStreamZeroStride) = 0;
};

typedef IDirect3D9* LPDIRECT3D9;
typedef IDirect3DDevice9* LPDIRECT3DDEVICE9;
typedef IDirect3DResource9* LPDIRECT3DRESOURCE9;
typedef IDirect3DBaseTexture9* LPDIRECT3DBASETEXTURE9;
typedef IDirect3DTexture9* LPDIRECT3DTEXTURE9;
typedef IDirect3DSurface9* LPDIRECT3DSURFACE9;
typedef IDirect3DVertexBuffer9* LPDIRECT3DVERTEXBUFFER9;
typedef IDirect3DIndexBuffer9* LPDIRECT3DINDEXBUFFER9;
typedef IDirect3DVertexDeclaration9* LPDIRECT3DVERTEXDECLARATION9;

// Extensions of this platform layer for the framework and tests.
namespace orv::d3d9 {

// Called inside IDirect3DDevice9::Present once the frame is complete and before
// the buffers are swapped. An empty function removes the hook.
void SetPresentHook(IDirect3DDevice9* device, std::function<void()> hook);

// The back buffer as tightly packed RGBA8, top row first (alpha 255 for a
// format without alpha). Call from a present hook or between draws.
bool ReadBackBuffer(IDirect3DDevice9* device, std::vector<uint8_t>& rgba, int& width, int& height);

// Waits until every drawing command issued so far has finished (profiling).
void Finish(IDirect3DDevice9* device);

// A second OpenGL context sharing the device's objects, made current on the
// calling thread (the resource loader thread), so that thread can create and
// fill textures, buffers and declarations; their contents are complete for the
// device's thread when the creating or unlocking call returns. False when no
// such context can be made. Call ReleaseLoaderContext on the same thread
// before it ends.
bool MakeLoaderContextCurrent(IDirect3DDevice9* device);
void ReleaseLoaderContext(IDirect3DDevice9* device);

}  // namespace orv::d3d9
