// The quad every full-screen pass draws: six vertices of (x, y, z, u, v), two
// triangles covering clip space, u and v running from the top-left corner.
#pragma once
#include "platform/d3d9/d3d9.h"
#include "platform/win32/win32.h"

namespace Quorvex {

class FullScreenQuad {
public:
    static constexpr UINT VertexCount = 6;
    static constexpr UINT Stride = 5 * sizeof(float);
    static constexpr UINT Bytes = VertexCount * Stride;  // 120

    FullScreenQuad() = default;
    FullScreenQuad(const FullScreenQuad&) = delete;
    FullScreenQuad& operator=(const FullScreenQuad&) = delete;
    ~FullScreenQuad() { Release(); }

    // Creates and fills the vertex buffer: the device result.
    HRESULT CreateBuffer(IDirect3DDevice9* device);
    // Refills the buffer shifted by (dx, dy) in clip space (texture
    // coordinates unchanged).
    HRESULT Fill(float dx = 0.0f, float dy = 0.0f);
    // Creates the declaration (position, one texture pair): the device result.
    HRESULT CreateDeclaration(IDirect3DDevice9* device);
    // Stream 0, the declaration and two triangles from vertex 0.
    void Draw(IDirect3DDevice9* device);
    // Stream 0 and the declaration only.
    void Bind(IDirect3DDevice9* device);
    void Release();

    IDirect3DVertexBuffer9* GetBuffer() const { return m_pBuffer; }
    IDirect3DVertexDeclaration9* GetDeclaration() const { return m_pDeclaration; }

private:
    IDirect3DVertexBuffer9* m_pBuffer = nullptr;
    IDirect3DVertexDeclaration9* m_pDeclaration = nullptr;
};

}  // namespace Quorvex
