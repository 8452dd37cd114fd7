// The device: its contexts, targets, frame, resource creation and the
// platform extensions.
//
// Every colour and depth surface is an off-screen GL object whose first row is
// the top of the picture, as in Direct3D: orv_ToClip turns clip-space y over,
// and glClipControl gives Direct3D's 0..1 depth range. Only Present turns the
// picture over once more, into the window's bottom-up framebuffer.
#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "platform/d3d9/device_impl.h"
#include "platform/d3d9/gl_internal.h"
#include "platform/win32/services.h"

namespace orv::d3d9 {

// The layer's own failures: no log file holds them, so they always reach the
// terminal (as valid UTF-8, whatever bytes a file name held).
void LogLine(const char* source, std::string_view text) {
    WriteStandardErrorLine(WideToUtf8(Utf8ToWide(std::string(source) + ": " + std::string(text))));
}

void LogLineV(const char* source, const char* format, va_list args) {
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    LogLine(source, text);
}

void LogError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    LogLineV("d3d9", format, args);
    va_end(args);
}

namespace {

// The GL driver is loaded behind SDL's back and unloaded when the last context
// goes. Keeping every library that is loaded once a context exists for the
// rest of the process means no driver code runs unloaded at exit, and the
// driver's own caches stay reachable instead of showing as leaks.
int PinLibrary(dl_phdr_info* info, size_t, void*) {
    if (info->dlpi_name && info->dlpi_name[0]) dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}

// The resource-creating calls: the answer is cleared first, and no resource
// is shared between processes here.
template <class Impl, class Interface, class... Args>
HRESULT CreateResource(Interface** answer, HANDLE* shared, Args... args) {
    if (!answer) return D3DERR_INVALIDCALL;
    *answer = nullptr;
    if (shared) return D3DERR_INVALIDCALL;
    Impl* created = nullptr;
    const HRESULT hr = Impl::Create(args..., &created);
    *answer = created;
    return hr;
}

}  // namespace

DeviceImpl::DeviceImpl(Direct3D9Impl* d3d, const D3DPRESENT_PARAMETERS& params) : d3d_(d3d), params_(params) {
    d3d_->AddRef();
}

DeviceImpl::~DeviceImpl() {
    if (context_) {
        MakeCurrent();
        for (auto& texture : textures_) Rebind(texture, static_cast<TextureImpl*>(nullptr));
        for (auto& stream : streams_) Rebind(stream.buffer, static_cast<VertexBufferImpl*>(nullptr));
        Rebind(indices_, static_cast<IndexBufferImpl*>(nullptr));
        Rebind(declaration_, static_cast<DeclarationImpl*>(nullptr));
        Rebind(renderTarget_, static_cast<SurfaceImpl*>(nullptr));
        Rebind(depthStencil_, static_cast<SurfaceImpl*>(nullptr));
        delete backBuffer_;
        delete autoDepth_;
        for (auto& sampler : samplers_) glDeleteSamplers(1, &sampler.name);
        glDeleteProgram(fixedProgram_);
        glDeleteBuffers(1, &upBuffer_);
        glDeleteFramebuffers(1, &drawFramebuffer_);
        glDeleteFramebuffers(1, &readFramebuffer_);
        glDeleteVertexArrays(1, &vertexArray_);
    }
    if (loaderContext_) SDL_GL_DeleteContext(loaderContext_);
    if (loaderWindow_) SDL_DestroyWindow(loaderWindow_);
    if (context_) SDL_GL_DeleteContext(context_);
    if (madeFullscreen_) SDL_SetWindowFullscreen(window_, 0);
    if (ownWindow_) SDL_DestroyWindow(ownWindow_);
    d3d_->Release();
}

HRESULT DeviceImpl::QueryInterface(REFIID, void** object) {
    if (!object) return E_POINTER;
    *object = this;
    AddRef();
    return S_OK;
}

ULONG DeviceImpl::Release() {
    const ULONG count = --refs_;
    if (count == 0) delete this;
    return count;
}

HRESULT DeviceImpl::Initialize(SDL_Window* window) {
    if (!window) {
        ownWindow_ = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                      static_cast<int>(params_.BackBufferWidth),
                                      static_cast<int>(params_.BackBufferHeight),
                                      SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!ownWindow_) {
            LogError("no window for the device: %s", SDL_GetError());
            return D3DERR_NOTAVAILABLE;
        }
        window = ownWindow_;
    }
    window_ = window;
    HRESULT hr = CreateContexts(window);
    if (FAILED(hr)) return hr;

    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize_);
    Direct3D9Impl::lastMaxTextureSize = maxTextureSize_;
    glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    // y is turned over in clip space, so Direct3D's clockwise front faces
    // reach GL counter-clockwise.
    glFrontFace(GL_CCW);
    glGenVertexArrays(1, &vertexArray_);
    glBindVertexArray(vertexArray_);
    glGenFramebuffers(1, &drawFramebuffer_);
    glGenFramebuffers(1, &readFramebuffer_);
    glGenBuffers(1, &upBuffer_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // Inputs a layout leaves out: white diffuse, no specular, no fog.
    glVertexAttrib4f(ORV_COLOR0, 1.f, 1.f, 1.f, 1.f);
    glVertexAttrib4f(ORV_COLOR1, 0.f, 0.f, 0.f, 1.f);

    fixedProgram_ = BuildFixedFunctionProgram();
    if (!fixedProgram_) return D3DERR_NOTAVAILABLE;
    fixedLocations_ = QueryBuiltins(fixedProgram_);
    glUseProgram(fixedProgram_);
    glUniform1i(fixedLocations_.texture, 0);

    hr = SurfaceImpl::CreateRenderbuffer(this, SurfaceImpl::Kind::Implicit, params_.BackBufferWidth,
                                         params_.BackBufferHeight, params_.BackBufferFormat, &backBuffer_);
    if (FAILED(hr)) return hr;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer_);
    glFramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, backBuffer_->Renderbuffer());
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    if (params_.EnableAutoDepthStencil) {
        hr = SurfaceImpl::CreateRenderbuffer(this, SurfaceImpl::Kind::Implicit, params_.BackBufferWidth,
                                             params_.BackBufferHeight, params_.AutoDepthStencilFormat, &autoDepth_);
        if (FAILED(hr)) return hr;
    }
    renderTarget_ = backBuffer_;
    depthStencil_ = autoDepth_;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, drawFramebuffer_);
    if (!PrepareTargets()) return D3DERR_NOTAVAILABLE;

    for (UINT i = 0; i < kStages; ++i) {
        glGenSamplers(1, &samplers_[i].name);
        glBindSampler(i, samplers_[i].name);
        ApplySampler(i);
    }
    viewport_ = {0, 0, params_.BackBufferWidth, params_.BackBufferHeight, 0.f, 1.f};
    ApplyViewport();
    ApplyDefaultStates();

    if (!params_.Windowed && SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0)
        madeFullscreen_ = true;
    return D3D_OK;
}

HRESULT DeviceImpl::CreateContexts(SDL_Window* window) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
    context_ = SDL_GL_CreateContext(window);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
    if (!context_) {
        LogError("no OpenGL 3.3 context: %s", SDL_GetError());
        return D3DERR_NOTAVAILABLE;
    }
    SDL_GL_MakeCurrent(window, context_);
    dl_iterate_phdr(PinLibrary, nullptr);
    GLint major = 0, minor = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    const bool clipControl = major > 4 || (major == 4 && minor >= 5) || SDL_GL_ExtensionSupported("GL_ARB_clip_control");
    if (major * 10 + minor < 33 || !clipControl) {
        LogError("OpenGL %d.%d%s is not enough (3.3 with clip control needed)", major, minor,
                 clipControl ? "" : " without clip control");
        return D3DERR_NOTAVAILABLE;
    }
    SDL_GL_SetSwapInterval(params_.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);

    // The loader's context shares the objects; its window only gives it
    // something to be current on, as one window cannot be current on two
    // threads at once.
    loaderWindow_ = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1, 1,
                                     SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (loaderWindow_) loaderContext_ = SDL_GL_CreateContext(loaderWindow_);
    if (!loaderContext_) LogError("no loader context: %s", SDL_GetError());
    SDL_GL_MakeCurrent(window, context_);
    return D3D_OK;
}

void DeviceImpl::MakeCurrent() {
    SDL_GLContext current = SDL_GL_GetCurrentContext();
    if (current != context_ && (!loaderContext_ || current != loaderContext_)) SDL_GL_MakeCurrent(window_, context_);
}

void DeviceImpl::FinishIfLoader() {
    if (loaderContext_ && SDL_GL_GetCurrentContext() == loaderContext_) glFinish();
}

bool DeviceImpl::MakeLoaderContextCurrent() {
    if (!loaderContext_ || loaderInUse_.exchange(true)) return false;
    if (SDL_GL_MakeCurrent(loaderWindow_, loaderContext_) != 0) {
        LogError("loader context not made current: %s", SDL_GetError());
        loaderInUse_ = false;
        return false;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    return true;
}

void DeviceImpl::ReleaseLoaderContext() {
    if (!loaderContext_ || SDL_GL_GetCurrentContext() != loaderContext_) return;
    glFinish();
    SDL_GL_MakeCurrent(loaderWindow_, nullptr);
    loaderInUse_ = false;
}

HRESULT DeviceImpl::GetDeviceCaps(D3DCAPS9* caps) {
    if (!caps) return D3DERR_INVALIDCALL;
    Direct3D9Impl::FillCaps(*caps, maxTextureSize_);
    return D3D_OK;
}

HRESULT DeviceImpl::GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE type,
                                  IDirect3DSurface9** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (swapChain != 0 || backBuffer != 0 || type != D3DBACKBUFFER_TYPE_MONO) return D3DERR_INVALIDCALL;
    backBuffer_->AddRef();
    *surface = backBuffer_;
    return D3D_OK;
}

HRESULT DeviceImpl::BeginScene() {
    if (inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    return D3D_OK;
}

HRESULT DeviceImpl::EndScene() {
    if (!inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    return D3D_OK;
}

HRESULT DeviceImpl::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                            const RGNDATA* dirtyRegion) {
    if (sourceRect || destRect || destWindowOverride || dirtyRegion) return D3DERR_INVALIDCALL;
    MakeCurrent();
    if (presentHook_) {
        const std::function<void()> hook = presentHook_;  // the hook may replace itself
        hook();
        MakeCurrent();
    }
    const auto width = static_cast<GLint>(params_.BackBufferWidth);
    const auto height = static_cast<GLint>(params_.BackBufferHeight);
    int windowWidth = 0, windowHeight = 0;
    SDL_GL_GetDrawableSize(window_, &windowWidth, &windowHeight);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, width, height, 0, windowHeight, windowWidth, 0, GL_COLOR_BUFFER_BIT,
                      windowWidth == width && windowHeight == height ? GL_NEAREST : GL_LINEAR);
    SDL_GL_SwapWindow(window_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, drawFramebuffer_);
    return D3D_OK;
}

bool DeviceImpl::ReadBackBuffer(std::vector<uint8_t>& rgba, int& width, int& height) {
    MakeCurrent();
    width = static_cast<int>(backBuffer_->Width());
    height = static_cast<int>(backBuffer_->Height());
    rgba.assign(size_t(width) * height * 4, 0);
    while (glGetError() != GL_NO_ERROR) {
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer_);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    if (backBuffer_->Format().swizzle[3] == GL_ONE)
        for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;
    return glGetError() == GL_NO_ERROR;
}

HRESULT DeviceImpl::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) {
    if (count > 0 && !rects) return D3DERR_INVALIDCALL;
    if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !depthStencil_) return D3DERR_INVALIDCALL;
    if ((flags & D3DCLEAR_STENCIL) && !depthStencil_->Format().stencil) return D3DERR_INVALIDCALL;
    MakeCurrent();
    if (!PrepareTargets()) return D3DERR_INVALIDCALL;
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        // A target without alpha keeps alpha 1, so blending with the
        // destination's alpha sees 1 as Direct3D does.
        const bool alpha = renderTarget_->Format().swizzle[3] != GL_ONE;
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(((color >> 16) & 0xFF) / 255.f, ((color >> 8) & 0xFF) / 255.f, (color & 0xFF) / 255.f,
                     alpha ? (color >> 24) / 255.f : 1.f);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        glDepthMask(GL_TRUE);
        glClearDepth(z < 0.f ? 0.f : z > 1.f ? 1.f : z);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_STENCIL) {
        glStencilMask(0xFF);
        glClearStencil(static_cast<GLint>(stencil & 0xFF));
        mask |= GL_STENCIL_BUFFER_BIT;
    }
    if (mask) {
        const LONG left = static_cast<LONG>(viewport_.X), top = static_cast<LONG>(viewport_.Y);
        const LONG right = left + static_cast<LONG>(viewport_.Width), bottom = top + static_cast<LONG>(viewport_.Height);
        auto clearRect = [&](LONG x1, LONG y1, LONG x2, LONG y2) {
            x1 = std::max(x1, left), y1 = std::max(y1, top), x2 = std::min(x2, right), y2 = std::min(y2, bottom);
            if (x1 >= x2 || y1 >= y2) return;
            glScissor(x1, y1, x2 - x1, y2 - y1);
            glClear(mask);
        };
        glEnable(GL_SCISSOR_TEST);
        if (count == 0) clearRect(left, top, right, bottom);
        for (DWORD i = 0; i < count; ++i) clearRect(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
        glDisable(GL_SCISSOR_TEST);
    }
    ApplyColorMask();
    glDepthMask(renderStates_[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);
    return D3D_OK;
}

HRESULT DeviceImpl::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                  D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared) {
    return CreateResource<TextureImpl>(texture, shared, this, width, height, levels, usage, format, pool);
}

HRESULT DeviceImpl::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                       IDirect3DVertexBuffer9** buffer, HANDLE* shared) {
    return CreateResource<VertexBufferImpl>(buffer, shared, this, length, usage, fvf, pool);
}

HRESULT DeviceImpl::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DIndexBuffer9** buffer, HANDLE* shared) {
    return CreateResource<IndexBufferImpl>(buffer, shared, this, length, usage, format, pool);
}

HRESULT DeviceImpl::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                              D3DMULTISAMPLE_TYPE multiSample, DWORD, BOOL,
                                              IDirect3DSurface9** surface, HANDLE* shared) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    const FormatInfo* info = FindFormat(format);
    if (shared || !info || !info->depth || multiSample != D3DMULTISAMPLE_NONE) return D3DERR_INVALIDCALL;
    SurfaceImpl* created = nullptr;
    const HRESULT hr =
        SurfaceImpl::CreateRenderbuffer(this, SurfaceImpl::Kind::Standalone, width, height, format, &created);
    *surface = created;
    return hr;
}

HRESULT DeviceImpl::CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                            IDirect3DVertexDeclaration9** declaration) {
    if (!declaration) return D3DERR_INVALIDCALL;
    DeclarationImpl* created = nullptr;
    const HRESULT hr = DeclarationImpl::Create(this, elements, &created);
    *declaration = created;
    return hr;
}

HRESULT DeviceImpl::SetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
    SurfaceImpl* target = Own<SurfaceImpl>(this, surface);
    if (index != 0 || !target || !target->IsRenderTarget()) return D3DERR_INVALIDCALL;
    MakeCurrent();
    Rebind(renderTarget_, target);
    targetsDirty_ = true;
    viewport_ = {0, 0, target->Width(), target->Height(), 0.f, 1.f};
    ApplyViewport();
    ApplyColorMask();
    return D3D_OK;
}

HRESULT DeviceImpl::GetRenderTarget(DWORD index, IDirect3DSurface9** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (index != 0) return D3DERR_INVALIDCALL;
    renderTarget_->AddRef();
    *surface = renderTarget_;
    return D3D_OK;
}

HRESULT DeviceImpl::SetDepthStencilSurface(IDirect3DSurface9* surface) {
    SurfaceImpl* depth = Own<SurfaceImpl>(this, surface);
    if (surface && (!depth || !depth->IsDepth())) return D3DERR_INVALIDCALL;
    MakeCurrent();
    Rebind(depthStencil_, depth);
    targetsDirty_ = true;
    return D3D_OK;
}

HRESULT DeviceImpl::GetDepthStencilSurface(IDirect3DSurface9** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = depthStencil_;
    if (!depthStencil_) return D3DERR_NOTFOUND;
    depthStencil_->AddRef();
    return D3D_OK;
}

HRESULT DeviceImpl::SetViewport(const D3DVIEWPORT9* viewport) {
    if (!viewport || viewport->Width == 0 || viewport->Height == 0) return D3DERR_INVALIDCALL;
    if (uint64_t(viewport->X) + viewport->Width > renderTarget_->Width() ||
        uint64_t(viewport->Y) + viewport->Height > renderTarget_->Height())
        return D3DERR_INVALIDCALL;
    if (!(viewport->MinZ >= 0.f && viewport->MaxZ <= 1.f && viewport->MinZ <= viewport->MaxZ))
        return D3DERR_INVALIDCALL;
    MakeCurrent();
    viewport_ = *viewport;
    ApplyViewport();
    return D3D_OK;
}

HRESULT DeviceImpl::GetViewport(D3DVIEWPORT9* viewport) {
    if (!viewport) return D3DERR_INVALIDCALL;
    *viewport = viewport_;
    return D3D_OK;
}

void DeviceImpl::ApplyViewport() {
    glViewport(static_cast<GLint>(viewport_.X), static_cast<GLint>(viewport_.Y),
               static_cast<GLsizei>(viewport_.Width), static_cast<GLsizei>(viewport_.Height));
    glDepthRange(viewport_.MinZ, viewport_.MaxZ);
}

bool DeviceImpl::PrepareTargets() {
    if (!targetsDirty_) return targetsComplete_;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, drawFramebuffer_);
    renderTarget_->Attach(GL_COLOR_ATTACHMENT0);
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
    if (depthStencil_)
        depthStencil_->Attach(depthStencil_->Format().stencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT);
    const GLenum status = glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER);
    targetsComplete_ = status == GL_FRAMEBUFFER_COMPLETE;
    if (!targetsComplete_) LogError("the render target and depth surface cannot be drawn to (0x%x)", status);
    targetsDirty_ = false;
    return targetsComplete_;
}

void DeviceImpl::UseProgram(GLuint program) {
    userProgram_ = program;
    if (program) {
        MakeCurrent();
        userLocations_ = QueryBuiltins(program);
    }
}

// ---- Extensions ----------------------------------------------------------------

namespace {
DeviceImpl* Impl(IDirect3DDevice9* device) { return dynamic_cast<DeviceImpl*>(device); }
}  // namespace

void SetPresentHook(IDirect3DDevice9* device, std::function<void()> hook) {
    if (DeviceImpl* impl = Impl(device)) impl->SetPresentHook(std::move(hook));
}

bool ReadBackBuffer(IDirect3DDevice9* device, std::vector<uint8_t>& rgba, int& width, int& height) {
    DeviceImpl* impl = Impl(device);
    return impl && impl->ReadBackBuffer(rgba, width, height);
}

void Finish(IDirect3DDevice9* device) {
    if (DeviceImpl* impl = Impl(device)) {
        impl->MakeCurrent();
        glFinish();
    }
}

bool MakeLoaderContextCurrent(IDirect3DDevice9* device) {
    DeviceImpl* impl = Impl(device);
    return impl && impl->MakeLoaderContextCurrent();
}

void ReleaseLoaderContext(IDirect3DDevice9* device) {
    if (DeviceImpl* impl = Impl(device)) impl->ReleaseLoaderContext();
}

void UseProgram(IDirect3DDevice9* device, unsigned program) {
    if (DeviceImpl* impl = Impl(device)) impl->UseProgram(program);
}

unsigned TextureName(IDirect3DBaseTexture9* texture) {
    auto* impl = dynamic_cast<TextureImpl*>(texture);
    return impl ? impl->Name() : 0;
}

}  // namespace orv::d3d9
