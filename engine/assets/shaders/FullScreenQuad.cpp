#include "engine/assets/shaders/FullScreenQuad.h"

#include <cstring>

namespace Quorvex {

namespace {

// Clip space, top-left first; v grows downwards as in a texture.
const float kQuad[FullScreenQuad::VertexCount][5] = {
    {-1.0f, 1.0f, 0.0f, 0.0f, 0.0f},  {1.0f, 1.0f, 0.0f, 1.0f, 0.0f},  {-1.0f, -1.0f, 0.0f, 0.0f, 1.0f},
    {-1.0f, -1.0f, 0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 0.0f, 1.0f, 0.0f},  {1.0f, -1.0f, 0.0f, 1.0f, 1.0f},
};

const D3DVERTEXELEMENT9 kElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END(),
};

}  // namespace

HRESULT FullScreenQuad::CreateBuffer(IDirect3DDevice9* device) {
    SAFE_RELEASE(m_pBuffer);
    if (!device) return D3DERR_INVALIDCALL;
    HRESULT hr = device->CreateVertexBuffer(Bytes, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, D3DFVF_XYZ | D3DFVF_TEX1,
                                            D3DPOOL_DEFAULT, &m_pBuffer, nullptr);
    if (FAILED(hr)) {
        m_pBuffer = nullptr;
        return hr;
    }
    return Fill();
}

HRESULT FullScreenQuad::Fill(float dx, float dy) {
    if (!m_pBuffer) return D3DERR_INVALIDCALL;
    void* data = nullptr;
    HRESULT hr = m_pBuffer->Lock(0, Bytes, &data, D3DLOCK_DISCARD);
    if (FAILED(hr)) return hr;
    float vertices[VertexCount][5];
    std::memcpy(vertices, kQuad, sizeof(vertices));
    for (auto& v : vertices) {
        v[0] += dx;
        v[1] += dy;
    }
    std::memcpy(data, vertices, Bytes);
    return m_pBuffer->Unlock();
}

HRESULT FullScreenQuad::CreateDeclaration(IDirect3DDevice9* device) {
    SAFE_RELEASE(m_pDeclaration);
    if (!device) return D3DERR_INVALIDCALL;
    HRESULT hr = device->CreateVertexDeclaration(kElements, &m_pDeclaration);
    if (FAILED(hr)) m_pDeclaration = nullptr;
    return hr;
}

void FullScreenQuad::Bind(IDirect3DDevice9* device) {
    device->SetStreamSource(0, m_pBuffer, 0, Stride);
    device->SetVertexDeclaration(m_pDeclaration);
}

void FullScreenQuad::Draw(IDirect3DDevice9* device) {
    Bind(device);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
}

void FullScreenQuad::Release() {
    SAFE_RELEASE(m_pBuffer);
    SAFE_RELEASE(m_pDeclaration);
}

}  // namespace Quorvex
