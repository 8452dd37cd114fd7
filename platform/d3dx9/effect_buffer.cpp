// ID3DXBuffer: a reference-counted block of bytes (compile errors, and later
// any other D3DX call that hands data back).
#include "platform/d3dx9/effect.h"
#include "platform/d3dx9/effect_refcounted.h"

#include <new>
#include <vector>

namespace {

class Buffer final : public orv::d3dx9::RefCounted<ID3DXBuffer> {
public:
    explicit Buffer(size_t size) : bytes_(size) {}

    LPVOID STDMETHODCALLTYPE GetBufferPointer() override { return bytes_.empty() ? nullptr : bytes_.data(); }
    DWORD STDMETHODCALLTYPE GetBufferSize() override { return static_cast<DWORD>(bytes_.size()); }

private:
    std::vector<unsigned char> bytes_;
};

}  // namespace

HRESULT WINAPI D3DXCreateBuffer(DWORD NumBytes, LPD3DXBUFFER* ppBuffer) {
    if (!ppBuffer) return E_POINTER;
    *ppBuffer = nullptr;
    try {
        *ppBuffer = new Buffer(NumBytes);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}
