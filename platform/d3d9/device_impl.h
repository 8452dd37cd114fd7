// The device object. Platform-internal.
#pragma once
#include <SDL.h>
#include <GL/glcorearb.h>

#include <array>
#include <atomic>
#include <map>
#include <string>

#include "platform/d3d9/resources.h"

namespace orv::d3d9 {

inline constexpr UINT kStages = 16;
inline constexpr UINT kStreams = 16;
inline constexpr UINT kRenderStates = 256;

// Writes a device error to the debug output.
void LogError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Uniform locations of the built-ins (see gl_internal.h) in one program.
struct BuiltinLocations {
    GLint viewportSize = -1, fogEnable = -1, fogColor = -1, fogTableMode = -1, fogVertexMode = -1, fogParams = -1,
          alphaFunc = -1, alphaRef = -1;
    // The device's own program only.
    GLint pretransformed = -1, viewport = -1, depthRange = -1, useTexture = -1, texture = -1;
};
BuiltinLocations QueryBuiltins(GLuint program);
// The device's own program: clip-space or pretransformed positions, diffuse
// colour times the stage-0 texture. 0 on failure (logged).
GLuint BuildFixedFunctionProgram();

class Direct3D9Impl;

class DeviceImpl final : public IDirect3DDevice9 {
public:
    DeviceImpl(Direct3D9Impl* d3d, const D3DPRESENT_PARAMETERS& params);
    ~DeviceImpl() override;
    // Creates the context and the device's own objects on `window` (or on a
    // window of its own when null).
    HRESULT Initialize(SDL_Window* window);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS9* caps) override;
    HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE type,
                                            IDirect3DSurface9** surface) override;
    HRESULT STDMETHODCALLTYPE BeginScene() override;
    HRESULT STDMETHODCALLTYPE EndScene() override;
    HRESULT STDMETHODCALLTYPE Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                                      const RGNDATA* dirtyRegion) override;
    HRESULT STDMETHODCALLTYPE Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                                    DWORD stencil) override;

    HRESULT STDMETHODCALLTYPE CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                            D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared) override;
    HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                                 IDirect3DVertexBuffer9** buffer, HANDLE* shared) override;
    HRESULT STDMETHODCALLTYPE CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                IDirect3DIndexBuffer9** buffer, HANDLE* shared) override;
    HRESULT STDMETHODCALLTYPE CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                                        D3DMULTISAMPLE_TYPE multiSample, DWORD quality,
                                                        BOOL discard, IDirect3DSurface9** surface,
                                                        HANDLE* shared) override;
    HRESULT STDMETHODCALLTYPE CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                                      IDirect3DVertexDeclaration9** declaration) override;

    HRESULT STDMETHODCALLTYPE SetRenderTarget(DWORD index, IDirect3DSurface9* surface) override;
    HRESULT STDMETHODCALLTYPE GetRenderTarget(DWORD index, IDirect3DSurface9** surface) override;
    HRESULT STDMETHODCALLTYPE SetDepthStencilSurface(IDirect3DSurface9* surface) override;
    HRESULT STDMETHODCALLTYPE GetDepthStencilSurface(IDirect3DSurface9** surface) override;
    HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT9* viewport) override;
    HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT9* viewport) override;

    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT STDMETHODCALLTYPE SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT STDMETHODCALLTYPE GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
    HRESULT STDMETHODCALLTYPE SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT STDMETHODCALLTYPE GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) override;
    HRESULT STDMETHODCALLTYPE SetVertexShader(IDirect3DVertexShader9* shader) override;
    HRESULT STDMETHODCALLTYPE SetPixelShader(IDirect3DPixelShader9* shader) override;
    HRESULT STDMETHODCALLTYPE SetSoftwareVertexProcessing(BOOL) override { return D3D_OK; }

    HRESULT STDMETHODCALLTYPE SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) override;
    HRESULT STDMETHODCALLTYPE GetVertexDeclaration(IDirect3DVertexDeclaration9** declaration) override;
    HRESULT STDMETHODCALLTYPE SetFVF(DWORD fvf) override;
    HRESULT STDMETHODCALLTYPE GetFVF(DWORD* fvf) override;
    HRESULT STDMETHODCALLTYPE SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                              UINT stride) override;
    HRESULT STDMETHODCALLTYPE SetIndices(IDirect3DIndexBuffer9* buffer) override;

    HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex,
                                                   UINT numVertices, UINT startIndex, UINT primitiveCount) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* data,
                                              UINT stride) override;

    // Extensions (device.h, gl_internal.h).
    void SetPresentHook(std::function<void()> hook) { presentHook_ = std::move(hook); }
    bool ReadBackBuffer(std::vector<uint8_t>& rgba, int& width, int& height);
    bool MakeLoaderContextCurrent();
    void ReleaseLoaderContext();
    void UseProgram(GLuint program);

    // Makes this device's context current on the calling thread unless it or
    // the loader context already is (several devices may live at once).
    void MakeCurrent();
    // After creating or filling an object on the loader context: waits until
    // the device's thread can use it.
    void FinishIfLoader();
    GLint MaxTextureSize() const { return maxTextureSize_; }

private:
    struct Stream {
        VertexBufferImpl* buffer = nullptr;
        UINT offset = 0, stride = 0;
    };
    struct Sampler {
        GLuint name = 0;
        DWORD addressU = D3DTADDRESS_WRAP, addressV = D3DTADDRESS_WRAP, addressW = D3DTADDRESS_WRAP;
        DWORD borderColor = 0;
        DWORD magFilter = D3DTEXF_POINT, minFilter = D3DTEXF_POINT, mipFilter = D3DTEXF_NONE;
    };

    // Swaps a binding: the new object is bound, the old one let go.
    template <class T>
    static void Rebind(T*& slot, T* object) {
        if (slot == object) return;
        if (object) object->Bind();
        T* old = slot;
        slot = object;
        if (old) old->Unbind();
    }

    HRESULT CreateContexts(SDL_Window* window);
    void ApplyDefaultStates();
    void ApplyRenderState(DWORD state);
    void ApplyBlend();
    void ApplyColorMask();
    void ApplySampler(UINT stage);
    void ApplyViewport();
    // Brings the draw framebuffer's attachments up to the current targets;
    // false when they cannot be drawn to.
    bool PrepareTargets();
    // Binds targets, program, textures and vertex inputs for a draw; with
    // `userBuffer` the layout reads stream 0 from it instead of the streams.
    HRESULT PrepareDraw(const VertexLayout& layout, GLuint userBuffer = 0, UINT userStride = 0);
    // Checks that every stream the layout reads holds `vertices` vertices
    // from `first` on.
    // False when a stream is missing or too short; the GL storage of each is
    // made to hold the range.
    bool StreamsHold(const VertexLayout& layout, uint64_t first, uint64_t vertices);
    void UploadBuiltins(const VertexLayout& layout);
    const VertexLayout* CurrentLayout();

    std::atomic<ULONG> refs_{1};
    Direct3D9Impl* d3d_;
    D3DPRESENT_PARAMETERS params_;
    SDL_Window* window_ = nullptr;
    SDL_Window* ownWindow_ = nullptr;  // made by the device when it was given none
    bool madeFullscreen_ = false;
    SDL_GLContext context_ = nullptr;
    SDL_Window* loaderWindow_ = nullptr;
    SDL_GLContext loaderContext_ = nullptr;
    std::atomic<bool> loaderInUse_{false};
    GLint maxTextureSize_ = 0;

    GLuint vertexArray_ = 0;
    GLuint drawFramebuffer_ = 0;
    GLuint readFramebuffer_ = 0;  // holds the back buffer, for presenting and reading it
    GLuint upBuffer_ = 0;         // vertices of DrawPrimitiveUP
    GLuint fixedProgram_ = 0;
    BuiltinLocations fixedLocations_;
    GLuint userProgram_ = 0;
    BuiltinLocations userLocations_;

    SurfaceImpl* backBuffer_ = nullptr;
    SurfaceImpl* autoDepth_ = nullptr;
    SurfaceImpl* renderTarget_ = nullptr;
    SurfaceImpl* depthStencil_ = nullptr;
    bool targetsDirty_ = true;
    bool targetsComplete_ = false;
    D3DVIEWPORT9 viewport_{};
    bool inScene_ = false;

    std::array<DWORD, kRenderStates> renderStates_{};
    std::array<Sampler, kStages> samplers_{};
    std::array<TextureImpl*, kStages> textures_{};
    uint32_t texturesDirty_ = 0;
    std::array<Stream, kStreams> streams_{};
    IndexBufferImpl* indices_ = nullptr;
    DeclarationImpl* declaration_ = nullptr;
    DWORD fvf_ = 0;
    std::map<DWORD, VertexLayout> fvfLayouts_;
    uint32_t enabledAttributes_ = 0;

    std::function<void()> presentHook_;
};

class Direct3D9Impl final : public IDirect3D9 {
public:
    Direct3D9Impl();
    ~Direct3D9Impl() override;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                                DWORD usage, D3DRESOURCETYPE type, D3DFORMAT format) override;
    HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) override;
    HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                                           DWORD behaviorFlags, D3DPRESENT_PARAMETERS* params,
                                           IDirect3DDevice9** device) override;

    // The capabilities every device of this adapter reports.
    static void FillCaps(D3DCAPS9& caps, GLint maxTextureSize);
    // The largest texture size the last device's context offered.
    static std::atomic<GLint> lastMaxTextureSize;

private:
    std::atomic<ULONG> refs_{1};
};

template <class Interface>
DeviceImpl* Resource<Interface>::Owner() const {
    return static_cast<DeviceImpl*>(owner_);
}

}  // namespace orv::d3d9
