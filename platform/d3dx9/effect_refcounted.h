// The IUnknown part shared by the objects the effect layer hands out: one
// reference at creation, deleted by the last Release. Platform-internal.
#pragma once
#include "platform/win32/types.h"

namespace orv::d3dx9 {

template <class Interface>
class RefCounted : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

private:
    ULONG refs_ = 1;
};

}  // namespace orv::d3dx9
