// The device's resource objects: textures and their surfaces, standalone
// surfaces, vertex and index buffers, vertex declarations. Platform-internal.
#pragma once
#include <GL/glcorearb.h>

#include <atomic>
#include <memory>
#include <vector>

#include "platform/d3d9/device.h"
#include "platform/d3d9/formats.h"

namespace orv::d3d9 {

class DeviceImpl;

// Reference counting of every resource. The caller's references keep the
// device alive; the device's bindings keep the resource alive without
// counting, so a resource released while bound lives on until it is unbound,
// and neither side keeps the other alive through a cycle.
template <class Interface>
class Resource : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        if (!object) return E_POINTER;
        *object = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        const ULONG count = ++refs_;
        if (count == 1) owner_->AddRef();  // a bound resource taken up again
        return count;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG count = --refs_;
        if (count == 0) {
            IDirect3DDevice9* owner = owner_;
            if (bindings_ == 0) delete this;
            owner->Release();
        }
        return count;
    }
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override {
        if (!device) return D3DERR_INVALIDCALL;
        *device = owner_;
        owner_->AddRef();
        return D3D_OK;
    }

    // The device's hold on a resource it has bound.
    virtual void Bind() { ++bindings_; }
    virtual void Unbind() {
        if (--bindings_ == 0 && refs_ == 0) delete this;
    }
    DeviceImpl* Owner() const;

protected:
    // Starts with one reference, which holds the device; an object that shares
    // another object's count instead holds nothing.
    explicit Resource(IDirect3DDevice9* owner, bool sharesCount = false)
        : owner_(owner), refs_(sharesCount ? 0 : 1) {
        if (!sharesCount) owner_->AddRef();
    }

    IDirect3DDevice9* owner_;

private:
    std::atomic<ULONG> refs_;
    std::atomic<int> bindings_{0};
};

class TextureImpl;

// A surface: a level of a texture, the back buffer, the automatic depth buffer
// or a depth buffer of its own. Levels share their texture's count, the back
// buffer and the automatic depth buffer share the device's.
class SurfaceImpl final : public Resource<IDirect3DSurface9> {
public:
    enum class Kind { TextureLevel, Implicit, Standalone };

    // A texture level; its GL object is the texture's.
    SurfaceImpl(TextureImpl* texture, UINT level, UINT width, UINT height);
    // A renderbuffer of the device's own (Implicit) or the caller's (Standalone).
    static HRESULT CreateRenderbuffer(DeviceImpl* device, Kind kind, UINT width, UINT height, D3DFORMAT format,
                                      SurfaceImpl** surface);
    ~SurfaceImpl() override;

    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    void Bind() override;
    void Unbind() override;

    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect() override;

    // Attaches the surface to the bound draw framebuffer at `attachment`
    // (colour 0, or depth: the stencil point follows the format).
    void Attach(GLenum attachment) const;
    bool IsDepth() const { return format_->depth; }
    // Whether it can be set as a colour target.
    bool IsRenderTarget() const;
    const FormatInfo& Format() const { return *format_; }
    UINT Width() const { return width_; }
    UINT Height() const { return height_; }
    Kind SurfaceKind() const { return kind_; }
    GLuint Renderbuffer() const { return renderbuffer_; }

private:
    SurfaceImpl(DeviceImpl* device, Kind kind, UINT width, UINT height, const FormatInfo* format);

    Kind kind_;
    TextureImpl* texture_ = nullptr;
    UINT level_ = 0;
    UINT width_, height_;
    const FormatInfo* format_;
    GLuint renderbuffer_ = 0;
};

class TextureImpl final : public Resource<IDirect3DTexture9> {
public:
    static HRESULT Create(DeviceImpl* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, TextureImpl** texture);
    ~TextureImpl() override;

    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD STDMETHODCALLTYPE GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
    void STDMETHODCALLTYPE GenerateMipSubLevels() override {}
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
    HRESULT STDMETHODCALLTYPE LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect,
                                       DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect(UINT level) override;

    GLuint Name() const { return name_; }
    const FormatInfo& Format() const { return *format_; }
    DWORD Usage() const { return usage_; }

private:
    struct Level {
        UINT width, height;
        std::unique_ptr<uint8_t[]> bytes;  // while locked; always for system memory
        bool locked = false;
        bool written = false;  // contents defined on the GL side
        RECT rect{};
        DWORD flags = 0;
        std::unique_ptr<SurfaceImpl> surface;
    };

    TextureImpl(DeviceImpl* device, DWORD usage, const FormatInfo* format, D3DPOOL pool);
    HRESULT Allocate(UINT width, UINT height, UINT levels);

    DWORD usage_;
    const FormatInfo* format_;
    D3DPOOL pool_;
    GLuint name_ = 0;  // none for system memory
    std::vector<Level> levels_;
};

// Bytes of a buffer: a processor-side copy every lock hands out, and the GL
// buffer the draws read, refreshed from the copy when the last lock ends.
class BufferStore {
public:
    HRESULT Create(DeviceImpl* device, UINT length, DWORD usage);
    void Destroy(DeviceImpl* device);
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags);
    HRESULT Unlock(DeviceImpl* device);
    // Makes the GL storage hold the first `end` bytes (at most the length):
    // after a discard it holds only what was written.
    void Cover(DeviceImpl* device, uint64_t end);

    GLuint name = 0;
    UINT length = 0;

private:
    std::vector<uint8_t> bytes_;
    UINT glLength_ = 0;  // bytes in the GL storage
    GLenum glUsage_ = GL_STATIC_DRAW;
    int locks_ = 0;
    UINT dirtyBegin_ = 0, dirtyEnd_ = 0;
    bool discard_ = false;
};

class VertexBufferImpl final : public Resource<IDirect3DVertexBuffer9> {
public:
    static HRESULT Create(DeviceImpl* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                          VertexBufferImpl** buffer);
    ~VertexBufferImpl() override;

    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Unlock() override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DVERTEXBUFFER_DESC* desc) override;
    const BufferStore& Store() const { return store_; }
    void Cover(uint64_t end) { store_.Cover(Owner(), end); }

    VertexBufferImpl(DeviceImpl* device, DWORD usage, DWORD fvf, D3DPOOL pool);
    HRESULT CreateStore(UINT length, DWORD usage) { return store_.Create(Owner(), length, usage); }

private:
    BufferStore store_;
    DWORD usage_, fvf_;
    D3DPOOL pool_;
};

class IndexBufferImpl final : public Resource<IDirect3DIndexBuffer9> {
public:
    static HRESULT Create(DeviceImpl* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IndexBufferImpl** buffer);
    ~IndexBufferImpl() override;

    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
    HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Unlock() override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DINDEXBUFFER_DESC* desc) override;
    const BufferStore& Store() const { return store_; }
    void Cover(uint64_t end) { store_.Cover(Owner(), end); }

    IndexBufferImpl(DeviceImpl* device, DWORD usage, D3DPOOL pool);
    HRESULT CreateStore(UINT length, DWORD usage) { return store_.Create(Owner(), length, usage); }

private:
    BufferStore store_;
    DWORD usage_;
    D3DPOOL pool_;
};

// One vertex input as glVertexAttribPointer takes it.
struct VertexAttribute {
    UINT stream;
    UINT offset;
    GLint size;
    GLenum type;
    GLboolean normalized;
    GLuint location;
    UINT bytes;  // in the vertex
};

// A declaration or FVF turned into attribute bindings.
struct VertexLayout {
    std::vector<VertexAttribute> attributes;
    bool pretransformed = false;  // positions are screen pixels with rhw
    bool hasTexCoord0 = false;
    UINT stride = 0;  // vertex size of an FVF
};

// False when an element is malformed; `elements` receives the copy up to and
// including the end marker.
bool BuildLayout(const D3DVERTEXELEMENT9* source, std::vector<D3DVERTEXELEMENT9>& elements, VertexLayout& layout);
// The elements an FVF stands for, in Direct3D's order within a vertex.
bool FvfElements(DWORD fvf, std::vector<D3DVERTEXELEMENT9>& elements, UINT& stride);

class DeclarationImpl final : public Resource<IDirect3DVertexDeclaration9> {
public:
    static HRESULT Create(DeviceImpl* device, const D3DVERTEXELEMENT9* elements, DeclarationImpl** declaration);

    HRESULT STDMETHODCALLTYPE GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* count) override;
    const VertexLayout& Layout() const { return layout_; }

private:
    explicit DeclarationImpl(DeviceImpl* device);
    std::vector<D3DVERTEXELEMENT9> elements_;
    VertexLayout layout_;
};

// The implementation behind an interface pointer of this device, or null for
// null, a foreign object or an object of another device.
template <class Impl, class Interface>
Impl* Own(DeviceImpl* device, Interface* object) {
    Impl* impl = dynamic_cast<Impl*>(object);
    return impl && impl->Owner() == device ? impl : nullptr;
}

// Pixel transfers run on a texture unit no stage uses, so they never disturb
// what the stages have bound.
inline constexpr GLenum kTransferUnit = GL_TEXTURE0 + 16;

}  // namespace orv::d3d9
