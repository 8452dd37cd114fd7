// A Direct3D 9 device that records what the render pipeline asks of it:
// buffer locks with their bytes, draws with their arguments, render states.
// No window, no GL.
#pragma once
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "engine/assets/Primitive.h"
#include "engine/assets/shaders/ShaderAdapter.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/ReferCounter.h"
#include "platform/d3d9/d3d9.h"

namespace render_test {

class FakeDevice;

// A buffer keeping its bytes; every lock and unlock is journaled.
template <class Interface, class Desc, D3DRESOURCETYPE Type>
class FakeBuffer : public Interface, public Quorvex::ReferCounter {
public:
    FakeBuffer(FakeDevice* device, UINT length) : device_(device), bytes(length) {}
    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** out) override;
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return Type; }
    HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT size, void** data, DWORD flags) override {
        if (failLocks || offset + size > bytes.size()) return E_FAIL;
        locks.push_back({offset, size, flags});
        *data = bytes.data() + offset;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unlock() override {
        ++unlocks;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDesc(Desc* desc) override {
        *desc = Desc{};
        desc->Size = static_cast<UINT>(bytes.size());
        return S_OK;
    }

    struct LockCall {
        UINT offset, size;
        DWORD flags;
    };
    FakeDevice* device_;
    std::vector<BYTE> bytes;
    std::vector<LockCall> locks;
    int unlocks = 0;
    bool failLocks = false;
};
typedef FakeBuffer<IDirect3DVertexBuffer9, D3DVERTEXBUFFER_DESC, D3DRTYPE_VERTEXBUFFER> FakeVertexBuffer;
typedef FakeBuffer<IDirect3DIndexBuffer9, D3DINDEXBUFFER_DESC, D3DRTYPE_INDEXBUFFER> FakeIndexBuffer;

class FakeDeclaration : public IDirect3DVertexDeclaration9, public Quorvex::ReferCounter {
public:
    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDeclaration(D3DVERTEXELEMENT9*, UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
};

class FakeDevice : public IDirect3DDevice9, public Quorvex::ReferCounter {
public:
    QUORVEX_IUNKNOWN_BY_REFER_COUNTER

    struct Draw {
        INT base;
        UINT minIndex, vertices, startIndex, primitives;
        DWORD sourceBlend, destinationBlend;  // at the time of the draw
        // The vertices the draw reads, as bound at the time of the draw.
        std::vector<BYTE> vertexBytes;
        std::vector<WORD> indices;
    };

    HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS9* caps) override {
        if (failCaps) return E_FAIL;
        *caps = D3DCAPS9{};
        caps->MaxTextureWidth = caps->MaxTextureHeight = 4096;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT, UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface9**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE BeginScene() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EndScene() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Present(const RECT*, const RECT*, HWND, const RGNDATA*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE CreateTexture(UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DTexture9**,
                                            HANDLE*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL,
                                                 IDirect3DVertexBuffer9** out, HANDLE*) override {
        if (failVertexBuffer || length == 0) return E_FAIL;
        vertexBufferUsage = usage;
        vertexBufferFvf = fvf;
        auto* buffer = new FakeVertexBuffer(this, length);
        buffer->AddRef();  // the caller's
        buffer->AddRef();  // the journal's
        vertexBuffers.push_back(buffer);
        *out = buffer;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateIndexBuffer(UINT length, DWORD, D3DFORMAT, D3DPOOL, IDirect3DIndexBuffer9** out,
                                                HANDLE*) override {
        if (length == 0) return E_FAIL;
        auto* buffer = new FakeIndexBuffer(this, length);
        buffer->AddRef();
        buffer->AddRef();
        indexBuffers.push_back(buffer);
        *out = buffer;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateDepthStencilSurface(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL,
                                                        IDirect3DSurface9**, HANDLE*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateVertexDeclaration(const D3DVERTEXELEMENT9*,
                                                      IDirect3DVertexDeclaration9** out) override {
        auto* declaration = new FakeDeclaration();
        declaration->AddRef();
        *out = declaration;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetRenderTarget(DWORD, IDirect3DSurface9*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetRenderTarget(DWORD, IDirect3DSurface9**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetDepthStencilSurface(IDirect3DSurface9*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetDepthStencilSurface(IDirect3DSurface9**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT9* viewport) override {
        viewport_ = *viewport;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT9* viewport) override {
        *viewport = viewport_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
        states.push_back({state, value});
        current[state] = value;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTexture(DWORD, IDirect3DBaseTexture9*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetTexture(DWORD, IDirect3DBaseTexture9**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetVertexShader(IDirect3DVertexShader9*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetPixelShader(IDirect3DPixelShader9*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetSoftwareVertexProcessing(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetVertexDeclaration(IDirect3DVertexDeclaration9*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetVertexDeclaration(IDirect3DVertexDeclaration9**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetFVF(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetFVF(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStreamSource(UINT, IDirect3DVertexBuffer9* buffer, UINT, UINT stride) override {
        stream_ = static_cast<FakeVertexBuffer*>(buffer);
        stride_ = stride;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetIndices(IDirect3DIndexBuffer9* buffer) override {
        indices_ = static_cast<FakeIndexBuffer*>(buffer);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitive(D3DPRIMITIVETYPE, INT base, UINT minIndex, UINT vertices,
                                                   UINT startIndex, UINT primitives) override {
        Draw draw{base, minIndex, vertices, startIndex, primitives,
                  current[D3DRS_SRCBLEND], current[D3DRS_DESTBLEND], {}, {}};
        if (keepDrawData && stream_ && indices_) {
            const WORD* all = reinterpret_cast<const WORD*>(indices_->bytes.data());
            for (UINT i = 0; i < primitives * 3; ++i) {
                const WORD index = all[startIndex + i];
                draw.indices.push_back(index);
                const BYTE* v = stream_->bytes.data() + (base + index) * stride_;
                draw.vertexBytes.insert(draw.vertexBytes.end(), v, v + stride_);
            }
        }
        draws.push_back(std::move(draw));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void*, UINT) override { return S_OK; }

    ~FakeDevice() override {
        for (auto* b : vertexBuffers) b->Release();
        for (auto* b : indexBuffers) b->Release();
    }

    bool keepDrawData = true;  // off: draws are counted, their data not copied
    bool failCaps = false;
    bool failVertexBuffer = false;
    DWORD vertexBufferUsage = 0;
    DWORD vertexBufferFvf = 0;
    std::vector<FakeVertexBuffer*> vertexBuffers;  // one reference each
    std::vector<FakeIndexBuffer*> indexBuffers;
    std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> states;
    std::map<D3DRENDERSTATETYPE, DWORD> current;
    std::vector<Draw> draws;

private:
    D3DVIEWPORT9 viewport_{0, 0, 1280, 720, 0.0f, 1.0f};
    FakeVertexBuffer* stream_ = nullptr;
    FakeIndexBuffer* indices_ = nullptr;
    UINT stride_ = 24;
};

// An effect that draws every subset of what it is given and notes what the
// primitive showed it.
class FakeShader : public Quorvex::ShaderAdapter {
public:
    FakeShader(Quorvex::ShaderManager* manager, const char* name) : ShaderAdapter(nullptr, manager) {
        m_name = name;
    }
    int LoadShader() override { return 0; }
    int Apply(Quorvex::IPrimitive* primitive, int, int) override {
        ++applies;
        lastTextureSet = primitive->GetSubsetCount() > 0 ? primitive->GetMaterial(0) : nullptr;
        lastVertexColour = primitive->UsesVertexColour();
        for (int i = 0; i < primitive->GetSubsetCount(); ++i) primitive->DrawSubset(i);
        return 0;
    }
    int applies = 0;
    Quorvex::MaterialUnit* lastTextureSet = nullptr;
    BYTE lastVertexColour = 0;
};

// A shader manager on the fake device with fake 3D and 2D sprite effects.
inline Quorvex::ShaderManager* NewFakeShaderManager(IDirect3DDevice9* device, FakeShader** sprite3D = nullptr) {
    auto* shaders = new Quorvex::ShaderManager();
    shaders->AddRef();
    shaders->SetDevice(device);
    for (const char* name : {"Spr3DDefaultShader", "Sprite2D"}) {
        auto* shader = new FakeShader(shaders, name);
        shader->AddRef();
        shaders->AddShader(shader);
        if (sprite3D && std::string(name) == "Spr3DDefaultShader") *sprite3D = shader;
        shader->Release();
    }
    return shaders;
}

template <class Interface, class Desc, D3DRESOURCETYPE Type>
HRESULT FakeBuffer<Interface, Desc, Type>::GetDevice(IDirect3DDevice9** out) {
    *out = device_;
    device_->AddRef();
    return S_OK;
}

}  // namespace render_test
