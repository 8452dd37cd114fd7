// The sprite material the benchmarks draw with: a 16x16 texture with a small
// gradient under a base colour, so blending and sampling do real work.
#pragma once
#include "engine/assets/MaterialUnit.h"
#include "platform/d3d9/d3d9.h"

namespace bench {

// A counted material named `id`; its texture is made only when `device` can.
inline Quorvex::MaterialUnit* MakeSpriteMaterial(IDirect3DDevice9* device, const char* id, DWORD base) {
    auto* material = new Quorvex::MaterialUnit(id);
    material->AddRef();
    IDirect3DTexture9* texture = nullptr;
    if (device && SUCCEEDED(device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr))) {
        D3DLOCKED_RECT rect;
        if (SUCCEEDED(texture->LockRect(0, &rect, nullptr, 0))) {
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) static_cast<DWORD*>(rect.pBits)[y * rect.Pitch / 4 + x] = base - (x * y);
            texture->UnlockRect(0);
        }
        material->SetTexture(-1, texture);
        texture->Release();
    }
    return material;
}

}  // namespace bench
