// Surfaces: texture levels, the back buffer and depth buffers.
#include "platform/d3d9/device_impl.h"

namespace orv::d3d9 {

SurfaceImpl::SurfaceImpl(TextureImpl* texture, UINT level, UINT width, UINT height)
    : Resource(texture->Owner(), true),
      kind_(Kind::TextureLevel),
      texture_(texture),
      level_(level),
      width_(width),
      height_(height),
      format_(&texture->Format()) {}

SurfaceImpl::SurfaceImpl(DeviceImpl* device, Kind kind, UINT width, UINT height, const FormatInfo* format)
    : Resource(device, kind == Kind::Implicit), kind_(kind), width_(width), height_(height), format_(format) {}

SurfaceImpl::~SurfaceImpl() {
    if (renderbuffer_) {
        Owner()->MakeCurrent();
        glDeleteRenderbuffers(1, &renderbuffer_);
    }
}

HRESULT SurfaceImpl::CreateRenderbuffer(DeviceImpl* device, Kind kind, UINT width, UINT height, D3DFORMAT format,
                                        SurfaceImpl** surface) {
    *surface = nullptr;
    const FormatInfo* info = FindFormat(format);
    const UINT maxSize = static_cast<UINT>(device->MaxTextureSize());
    if (!info || width == 0 || height == 0 || width > maxSize || height > maxSize) return D3DERR_INVALIDCALL;
    device->MakeCurrent();
    auto* created = new SurfaceImpl(device, kind, width, height, info);
    while (glGetError() != GL_NO_ERROR) {
    }
    glGenRenderbuffers(1, &created->renderbuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, created->renderbuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, info->internalFormat, static_cast<GLsizei>(width),
                          static_cast<GLsizei>(height));
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
        LogError("surface: %ux%u format %d could not be allocated (GL error 0x%x)", width, height,
                 static_cast<int>(format), error);
        if (kind == Kind::Standalone) created->Release();
        else delete created;
        return error == GL_OUT_OF_MEMORY ? D3DERR_OUTOFVIDEOMEMORY : D3DERR_INVALIDCALL;
    }
    *surface = created;
    return D3D_OK;
}

ULONG SurfaceImpl::AddRef() {
    switch (kind_) {
    case Kind::TextureLevel: return texture_->AddRef();
    case Kind::Implicit: return owner_->AddRef();
    default: return Resource::AddRef();
    }
}

ULONG SurfaceImpl::Release() {
    switch (kind_) {
    case Kind::TextureLevel: return texture_->Release();
    case Kind::Implicit: return owner_->Release();
    default: return Resource::Release();
    }
}

void SurfaceImpl::Bind() {
    if (kind_ == Kind::TextureLevel) texture_->Bind();
    else if (kind_ == Kind::Standalone) Resource::Bind();
}

void SurfaceImpl::Unbind() {
    if (kind_ == Kind::TextureLevel) texture_->Unbind();
    else if (kind_ == Kind::Standalone) Resource::Unbind();
}

HRESULT SurfaceImpl::GetDesc(D3DSURFACE_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    if (kind_ == Kind::TextureLevel) return texture_->GetLevelDesc(level_, desc);
    const DWORD usage = format_->depth ? D3DUSAGE_DEPTHSTENCIL : D3DUSAGE_RENDERTARGET;
    *desc = {format_->format, D3DRTYPE_SURFACE, usage, D3DPOOL_DEFAULT, D3DMULTISAMPLE_NONE, 0, width_, height_};
    return D3D_OK;
}

HRESULT SurfaceImpl::LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
    if (kind_ != Kind::TextureLevel) return D3DERR_INVALIDCALL;
    return texture_->LockRect(level_, lockedRect, rect, flags);
}

HRESULT SurfaceImpl::UnlockRect() {
    if (kind_ != Kind::TextureLevel) return D3DERR_INVALIDCALL;
    return texture_->UnlockRect(level_);
}

bool SurfaceImpl::IsRenderTarget() const {
    if (kind_ == Kind::TextureLevel) return (texture_->Usage() & D3DUSAGE_RENDERTARGET) != 0;
    return !format_->depth;
}

void SurfaceImpl::Attach(GLenum attachment) const {
    if (kind_ == Kind::TextureLevel)
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, attachment, GL_TEXTURE_2D, texture_->Name(),
                               static_cast<GLint>(level_));
    else
        glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, attachment, GL_RENDERBUFFER, renderbuffer_);
}

}  // namespace orv::d3d9
