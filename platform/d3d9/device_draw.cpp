// Draw calls: vertex inputs from the layout, the program and its built-in
// uniforms, textures, then the GL draw.
#include <cstring>

#include "platform/d3d9/device_impl.h"

namespace orv::d3d9 {

namespace {

// The GL mode and the number of vertices of `count` primitives.
bool Primitives(D3DPRIMITIVETYPE type, UINT count, GLenum& mode, uint64_t& vertices) {
    const uint64_t n = count;
    switch (type) {
    case D3DPT_POINTLIST: mode = GL_POINTS, vertices = n; return true;
    case D3DPT_LINELIST: mode = GL_LINES, vertices = 2 * n; return true;
    case D3DPT_LINESTRIP: mode = GL_LINE_STRIP, vertices = n + 1; return true;
    case D3DPT_TRIANGLELIST: mode = GL_TRIANGLES, vertices = 3 * n; return true;
    case D3DPT_TRIANGLESTRIP: mode = GL_TRIANGLE_STRIP, vertices = n + 2; return true;
    case D3DPT_TRIANGLEFAN: mode = GL_TRIANGLE_FAN, vertices = n + 2; return true;
    default: return false;
    }
}

float StateFloat(DWORD bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace

const VertexLayout* DeviceImpl::CurrentLayout() {
    if (declaration_) return &declaration_->Layout();
    auto it = fvfLayouts_.find(fvf_);
    return fvf_ && it != fvfLayouts_.end() ? &it->second : nullptr;
}

bool DeviceImpl::StreamsHold(const VertexLayout& layout, uint64_t first, uint64_t vertices) {
    for (const VertexAttribute& a : layout.attributes) {
        const Stream& s = streams_[a.stream];
        if (!s.buffer) return false;
        const uint64_t end = s.offset + (first + vertices - 1) * s.stride + a.offset + a.bytes;
        if (end > s.buffer->Store().length) return false;
        s.buffer->Cover(end);
    }
    return true;
}

void DeviceImpl::UploadBuiltins(const VertexLayout& layout) {
    const BuiltinLocations& l = userProgram_ ? userLocations_ : fixedLocations_;
    const auto& rs = renderStates_;
    glUniform2f(l.viewportSize, static_cast<float>(viewport_.Width), static_cast<float>(viewport_.Height));
    glUniform1i(l.fogEnable, rs[D3DRS_FOGENABLE] ? 1 : 0);
    const DWORD c = rs[D3DRS_FOGCOLOR];
    glUniform4f(l.fogColor, ((c >> 16) & 0xFF) / 255.f, ((c >> 8) & 0xFF) / 255.f, (c & 0xFF) / 255.f,
                (c >> 24) / 255.f);
    glUniform1i(l.fogTableMode, static_cast<GLint>(rs[D3DRS_FOGTABLEMODE]));
    glUniform1i(l.fogVertexMode, static_cast<GLint>(rs[D3DRS_FOGVERTEXMODE]));
    glUniform3f(l.fogParams, StateFloat(rs[D3DRS_FOGSTART]), StateFloat(rs[D3DRS_FOGEND]),
                StateFloat(rs[D3DRS_FOGDENSITY]));
    glUniform1i(l.alphaFunc, rs[D3DRS_ALPHATESTENABLE] ? static_cast<GLint>(rs[D3DRS_ALPHAFUNC]) : 0);
    glUniform1f(l.alphaRef, (rs[D3DRS_ALPHAREF] & 0xFF) / 255.f);
    if (!userProgram_) {
        glUniform1i(l.pretransformed, layout.pretransformed ? 1 : 0);
        glUniform4f(l.viewport, static_cast<float>(viewport_.X), static_cast<float>(viewport_.Y),
                    static_cast<float>(viewport_.Width), static_cast<float>(viewport_.Height));
        glUniform2f(l.depthRange, viewport_.MinZ, viewport_.MaxZ);
        glUniform1i(l.useTexture, textures_[0] ? 1 : 0);
    }
}

HRESULT DeviceImpl::PrepareDraw(const VertexLayout& layout, GLuint userBuffer, UINT userStride) {
    if (!PrepareTargets()) return D3DERR_INVALIDCALL;
    glUseProgram(userProgram_ ? userProgram_ : fixedProgram_);
    UploadBuiltins(layout);
    for (UINT stage = 0; texturesDirty_; ++stage) {
        if (!(texturesDirty_ & (1u << stage))) continue;
        glActiveTexture(GL_TEXTURE0 + stage);
        glBindTexture(GL_TEXTURE_2D, textures_[stage] ? textures_[stage]->Name() : 0);
        texturesDirty_ &= ~(1u << stage);
    }
    uint32_t wanted = 0;
    for (const VertexAttribute& a : layout.attributes) {
        GLuint buffer = userBuffer;
        uintptr_t offset = a.offset;
        GLsizei stride = static_cast<GLsizei>(userStride);
        if (!userBuffer) {
            const Stream& s = streams_[a.stream];
            buffer = s.buffer->Store().name;
            offset += s.offset;
            stride = static_cast<GLsizei>(s.stride);
        }
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glVertexAttribPointer(a.location, a.size, a.type, a.normalized, stride, reinterpret_cast<const void*>(offset));
        wanted |= 1u << a.location;
    }
    for (GLuint location = 0; location < 16; ++location) {
        const uint32_t bit = 1u << location;
        if ((wanted & bit) == (enabledAttributes_ & bit)) continue;
        if (wanted & bit) glEnableVertexAttribArray(location);
        else glDisableVertexAttribArray(location);
    }
    enabledAttributes_ = wanted;
    return D3D_OK;
}

HRESULT DeviceImpl::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
    const VertexLayout* layout = CurrentLayout();
    GLenum mode;
    uint64_t vertices;
    if (!layout || !Primitives(type, primitiveCount, mode, vertices)) return D3DERR_INVALIDCALL;
    if (primitiveCount == 0) return D3D_OK;
    if (!StreamsHold(*layout, startVertex, vertices)) return D3DERR_INVALIDCALL;
    MakeCurrent();
    const HRESULT hr = PrepareDraw(*layout);
    if (FAILED(hr)) return hr;
    glDrawArrays(mode, static_cast<GLint>(startVertex), static_cast<GLsizei>(vertices));
    return D3D_OK;
}

HRESULT DeviceImpl::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT, UINT, UINT startIndex,
                                         UINT primitiveCount) {
    const VertexLayout* layout = CurrentLayout();
    GLenum mode;
    uint64_t indices;
    if (!layout || !indices_ || !Primitives(type, primitiveCount, mode, indices)) return D3DERR_INVALIDCALL;
    if (primitiveCount == 0) return D3D_OK;
    if ((uint64_t(startIndex) + indices) * 2 > indices_->Store().length) return D3DERR_INVALIDCALL;
    indices_->Cover((uint64_t(startIndex) + indices) * 2);
    for (const VertexAttribute& a : layout->attributes)
        if (!streams_[a.stream].buffer) return D3DERR_INVALIDCALL;
    MakeCurrent();
    const HRESULT hr = PrepareDraw(*layout);
    if (FAILED(hr)) return hr;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices_->Store().name);
    // The minimum index and vertex count are only hints, which callers do not
    // always keep exact: they are not passed on.
    glDrawElementsBaseVertex(mode, static_cast<GLsizei>(indices), GL_UNSIGNED_SHORT,
                             reinterpret_cast<const void*>(uintptr_t(startIndex) * 2), baseVertex);
    return D3D_OK;
}

HRESULT DeviceImpl::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* data, UINT stride) {
    const VertexLayout* layout = CurrentLayout();
    GLenum mode;
    uint64_t vertices;
    if (!layout || !data || stride == 0 || !Primitives(type, primitiveCount, mode, vertices))
        return D3DERR_INVALIDCALL;
    for (const VertexAttribute& a : layout->attributes)
        if (a.stream != 0 || a.offset + a.bytes > stride) return D3DERR_INVALIDCALL;
    MakeCurrent();
    if (primitiveCount > 0) {
        glBindBuffer(GL_ARRAY_BUFFER, upBuffer_);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices * stride), data, GL_STREAM_DRAW);
        const HRESULT hr = PrepareDraw(*layout, upBuffer_, stride);
        if (FAILED(hr)) return hr;
        glDrawArrays(mode, 0, static_cast<GLsizei>(vertices));
    }
    Rebind(streams_[0].buffer, static_cast<VertexBufferImpl*>(nullptr));
    streams_[0].offset = streams_[0].stride = 0;
    return D3D_OK;
}

}  // namespace orv::d3d9
