// Vertex and index buffers.
#include <algorithm>
#include <new>

#include "platform/d3d9/device_impl.h"

namespace orv::d3d9 {

HRESULT BufferStore::Create(DeviceImpl* device, UINT size, DWORD usage) {
    if (size == 0) return D3DERR_INVALIDCALL;
    try {
        bytes_.assign(size, 0);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    length = size;
    glUsage_ = (usage & D3DUSAGE_DYNAMIC) ? GL_STREAM_DRAW : GL_STATIC_DRAW;
    device->MakeCurrent();
    while (glGetError() != GL_NO_ERROR) {
    }
    glGenBuffers(1, &name);
    glBindBuffer(GL_COPY_WRITE_BUFFER, name);
    glBufferData(GL_COPY_WRITE_BUFFER, length, bytes_.data(), glUsage_);
    if (glGetError() != GL_NO_ERROR) return D3DERR_OUTOFVIDEOMEMORY;
    glLength_ = length;
    device->FinishIfLoader();
    return D3D_OK;
}

void BufferStore::Destroy(DeviceImpl* device) {
    if (!name) return;
    device->MakeCurrent();
    glDeleteBuffers(1, &name);
    name = 0;
}

HRESULT BufferStore::Lock(UINT offset, UINT size, void** data, DWORD flags) {
    if (!data) return D3DERR_INVALIDCALL;
    *data = nullptr;
    if (offset > length) return D3DERR_INVALIDCALL;
    if (size == 0) size = length - offset;
    if (size > length - offset) return D3DERR_INVALIDCALL;
    if (!(flags & D3DLOCK_READONLY)) {
        if (dirtyEnd_ <= dirtyBegin_) {
            dirtyBegin_ = offset;
            dirtyEnd_ = offset + size;
        } else {
            dirtyBegin_ = std::min(dirtyBegin_, offset);
            dirtyEnd_ = std::max(dirtyEnd_, offset + size);
        }
        if (flags & D3DLOCK_DISCARD) discard_ = true;
    }
    ++locks_;
    *data = bytes_.data() + offset;
    return D3D_OK;
}

HRESULT BufferStore::Unlock(DeviceImpl* device) {
    if (locks_ == 0) return D3DERR_INVALIDCALL;
    if (--locks_ > 0) return D3D_OK;
    if (dirtyEnd_ > dirtyBegin_) {
        device->MakeCurrent();
        glBindBuffer(GL_COPY_WRITE_BUFFER, name);
        if (discard_) {
            // Fresh storage, so draws issued before the lock keep reading the
            // old one; only as large as what was written, as a discarded
            // buffer holds nothing else. Full-length storage every time made
            // each frame allocate and drop megabytes that the C heap kept.
            glBufferData(GL_COPY_WRITE_BUFFER, dirtyEnd_, bytes_.data(), glUsage_);
            glLength_ = dirtyEnd_;
        } else if (dirtyEnd_ > glLength_) {
            glBufferData(GL_COPY_WRITE_BUFFER, length, bytes_.data(), glUsage_);
            glLength_ = length;
        } else {
            glBufferSubData(GL_COPY_WRITE_BUFFER, dirtyBegin_, dirtyEnd_ - dirtyBegin_, bytes_.data() + dirtyBegin_);
        }
        device->FinishIfLoader();
    }
    dirtyBegin_ = dirtyEnd_ = 0;
    discard_ = false;
    return D3D_OK;
}

void BufferStore::Cover(DeviceImpl* device, uint64_t end) {
    if (end <= glLength_ || glLength_ == length || !name) return;
    device->MakeCurrent();
    glBindBuffer(GL_COPY_WRITE_BUFFER, name);
    glBufferData(GL_COPY_WRITE_BUFFER, length, bytes_.data(), glUsage_);
    glLength_ = length;
}

namespace {

bool ValidPool(D3DPOOL pool) {
    return pool == D3DPOOL_DEFAULT || pool == D3DPOOL_MANAGED || pool == D3DPOOL_SYSTEMMEM;
}

// Creates the object and its store, or answers the store's failure.
template <class Buffer, class... Args>
HRESULT CreateBuffer(DeviceImpl* device, UINT length, DWORD usage, D3DPOOL pool, Buffer** buffer, Args... args) {
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (!ValidPool(pool)) return D3DERR_INVALIDCALL;
    auto* created = new Buffer(device, usage, args..., pool);
    const HRESULT hr = created->CreateStore(length, usage);
    if (FAILED(hr)) {
        created->Release();
        return hr;
    }
    *buffer = created;
    return D3D_OK;
}

}  // namespace

VertexBufferImpl::VertexBufferImpl(DeviceImpl* device, DWORD usage, DWORD fvf, D3DPOOL pool)
    : Resource(device), usage_(usage), fvf_(fvf), pool_(pool) {}

VertexBufferImpl::~VertexBufferImpl() { store_.Destroy(Owner()); }

HRESULT VertexBufferImpl::Create(DeviceImpl* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                 VertexBufferImpl** buffer) {
    return CreateBuffer(device, length, usage, pool, buffer, fvf);
}

HRESULT VertexBufferImpl::Lock(UINT offset, UINT size, void** data, DWORD flags) {
    return store_.Lock(offset, size, data, flags);
}

HRESULT VertexBufferImpl::Unlock() { return store_.Unlock(Owner()); }

HRESULT VertexBufferImpl::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage_, pool_, store_.length, fvf_};
    return D3D_OK;
}

IndexBufferImpl::IndexBufferImpl(DeviceImpl* device, DWORD usage, D3DPOOL pool)
    : Resource(device), usage_(usage), pool_(pool) {}

IndexBufferImpl::~IndexBufferImpl() { store_.Destroy(Owner()); }

HRESULT IndexBufferImpl::Create(DeviceImpl* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                IndexBufferImpl** buffer) {
    if (format != D3DFMT_INDEX16) {
        if (buffer) *buffer = nullptr;
        return D3DERR_INVALIDCALL;
    }
    return CreateBuffer(device, length, usage, pool, buffer);
}

HRESULT IndexBufferImpl::Lock(UINT offset, UINT size, void** data, DWORD flags) {
    return store_.Lock(offset, size, data, flags);
}

HRESULT IndexBufferImpl::Unlock() { return store_.Unlock(Owner()); }

HRESULT IndexBufferImpl::GetDesc(D3DINDEXBUFFER_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = {D3DFMT_INDEX16, D3DRTYPE_INDEXBUFFER, usage_, pool_, store_.length};
    return D3D_OK;
}

}  // namespace orv::d3d9
