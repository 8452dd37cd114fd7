// Textures: a GL texture with every level allocated up front (so a sampler
// with a mip filter never meets an incomplete texture), or, in system memory,
// only the bytes.
#include <algorithm>
#include <memory>
#include <new>

#include "platform/d3d9/device_impl.h"

namespace orv::d3d9 {

namespace {

UINT FullChain(UINT width, UINT height) {
    UINT levels = 1;
    for (UINT size = std::max(width, height); size > 1; size >>= 1) ++levels;
    return levels;
}

void BindForTransfer(GLuint name) {
    glActiveTexture(kTransferUnit);
    glBindTexture(GL_TEXTURE_2D, name);
}

}  // namespace

TextureImpl::TextureImpl(DeviceImpl* device, DWORD usage, const FormatInfo* format, D3DPOOL pool)
    : Resource(device), usage_(usage), format_(format), pool_(pool) {}

TextureImpl::~TextureImpl() {
    if (name_) {
        Owner()->MakeCurrent();
        glDeleteTextures(1, &name_);
    }
}

HRESULT TextureImpl::Create(DeviceImpl* device, UINT width, UINT height, UINT levels, DWORD usage,
                            D3DFORMAT format, D3DPOOL pool, TextureImpl** texture) {
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    const FormatInfo* info = FindFormat(format);
    const bool renderTarget = (usage & D3DUSAGE_RENDERTARGET) != 0;
    const UINT maxSize = static_cast<UINT>(device->MaxTextureSize());
    if (!info || info->depth || (usage & D3DUSAGE_DEPTHSTENCIL)) return D3DERR_INVALIDCALL;
    if (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED && pool != D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
    if (renderTarget && (!info->renderTarget || pool != D3DPOOL_DEFAULT)) return D3DERR_INVALIDCALL;
    if (width == 0 || height == 0 || width > maxSize || height > maxSize) return D3DERR_INVALIDCALL;
    const UINT fullChain = FullChain(width, height);
    if (levels == 0) levels = fullChain;
    if (levels > fullChain) return D3DERR_INVALIDCALL;

    device->MakeCurrent();
    auto* created = new TextureImpl(device, usage, info, pool);
    const HRESULT hr = created->Allocate(width, height, levels);
    if (FAILED(hr)) {
        created->Release();
        return hr;
    }
    device->FinishIfLoader();
    *texture = created;
    return D3D_OK;
}

HRESULT TextureImpl::Allocate(UINT width, UINT height, UINT levels) {
    try {
        levels_.resize(levels);
        for (UINT i = 0; i < levels; ++i) {
            levels_[i].width = std::max(1u, width >> i);
            levels_[i].height = std::max(1u, height >> i);
            // A render target's contents come from drawing, so they are read
            // back when it is locked.
            levels_[i].written = (usage_ & D3DUSAGE_RENDERTARGET) != 0;
            if (pool_ == D3DPOOL_SYSTEMMEM)
                levels_[i].bytes =
                    std::make_unique<uint8_t[]>(size_t(levels_[i].width) * levels_[i].height * format_->bytesPerPixel);
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (pool_ == D3DPOOL_SYSTEMMEM) return D3D_OK;

    while (glGetError() != GL_NO_ERROR) {
    }
    glGenTextures(1, &name_);
    BindForTransfer(name_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, format_->swizzle);
    for (UINT i = 0; i < levels; ++i)
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), static_cast<GLint>(format_->internalFormat),
                     static_cast<GLsizei>(levels_[i].width), static_cast<GLsizei>(levels_[i].height), 0,
                     format_->pixelFormat, format_->pixelType, nullptr);
    const GLenum error = glGetError();
    if (error == GL_OUT_OF_MEMORY) return D3DERR_OUTOFVIDEOMEMORY;
    if (error != GL_NO_ERROR) {
        LogError("texture: %ux%u format %d could not be allocated (GL error 0x%x)", width, height,
                 static_cast<int>(format_->format), error);
        return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

HRESULT TextureImpl::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (!desc || level >= levels_.size()) return D3DERR_INVALIDCALL;
    *desc = {format_->format, D3DRTYPE_SURFACE, usage_, pool_, D3DMULTISAMPLE_NONE, 0,
             levels_[level].width, levels_[level].height};
    return D3D_OK;
}

HRESULT TextureImpl::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (level >= levels_.size()) return D3DERR_INVALIDCALL;
    Level& l = levels_[level];
    if (!l.surface) l.surface.reset(new SurfaceImpl(this, level, l.width, l.height));
    l.surface->AddRef();
    *surface = l.surface.get();
    return D3D_OK;
}

HRESULT TextureImpl::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
    if (!lockedRect || level >= levels_.size()) return D3DERR_INVALIDCALL;
    Level& l = levels_[level];
    if (l.locked) return D3DERR_INVALIDCALL;
    const RECT r = rect ? *rect : RECT{0, 0, static_cast<LONG>(l.width), static_cast<LONG>(l.height)};
    if (r.left < 0 || r.top < 0 || r.left >= r.right || r.top >= r.bottom || r.right > static_cast<LONG>(l.width) ||
        r.bottom > static_cast<LONG>(l.height))
        return D3DERR_INVALIDCALL;
    const size_t pitch = size_t(l.width) * format_->bytesPerPixel;
    if (pool_ != D3DPOOL_SYSTEMMEM) {
        const bool readBack = l.written && !(flags & D3DLOCK_DISCARD);
        try {
            // Bytes that the read-back or a discarding caller overwrites
            // whole are not cleared first; a level never written starts
            // transparent black.
            if (readBack || (flags & D3DLOCK_DISCARD))
                l.bytes = std::make_unique_for_overwrite<uint8_t[]>(pitch * l.height);
            else
                l.bytes = std::make_unique<uint8_t[]>(pitch * l.height);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        if (readBack) {
            Owner()->MakeCurrent();
            BindForTransfer(name_);
            glGetTexImage(GL_TEXTURE_2D, static_cast<GLint>(level), format_->pixelFormat, format_->pixelType,
                          l.bytes.get());
        }
    }
    l.locked = true;
    l.rect = r;
    l.flags = flags;
    lockedRect->Pitch = static_cast<INT>(pitch);
    lockedRect->pBits = l.bytes.get() + size_t(r.top) * pitch + size_t(r.left) * format_->bytesPerPixel;
    return D3D_OK;
}

HRESULT TextureImpl::UnlockRect(UINT level) {
    if (level >= levels_.size() || !levels_[level].locked) return D3DERR_INVALIDCALL;
    Level& l = levels_[level];
    l.locked = false;
    if (pool_ == D3DPOOL_SYSTEMMEM) return D3D_OK;
    if (!(l.flags & D3DLOCK_READONLY)) {
        DeviceImpl* device = Owner();
        device->MakeCurrent();
        BindForTransfer(name_);
        const size_t offset = (size_t(l.rect.top) * l.width + size_t(l.rect.left)) * format_->bytesPerPixel;
        glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(l.width));
        glTexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), l.rect.left, l.rect.top, l.rect.right - l.rect.left,
                        l.rect.bottom - l.rect.top, format_->pixelFormat, format_->pixelType,
                        l.bytes.get() + offset);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        l.written = true;
        device->FinishIfLoader();
    }
    l.bytes.reset();
    return D3D_OK;
}

}  // namespace orv::d3d9
