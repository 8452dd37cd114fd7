// Helpers shared by the fuzz targets: readers that take a path get the input
// through a scratch file of the process's own.
#pragma once
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/d3dx9/d3dx9.h"
#include "tests/platform/d3d9/test_device.h"

namespace fuzz {

inline std::string ScratchPath(const char* stem) {
    return "/tmp/orv_fuzz_" + std::string(stem) + "_" + std::to_string(::getpid());
}

inline std::string WriteScratch(const char* stem, const uint8_t* data, size_t size) {
    const std::string path = ScratchPath(stem);
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    return path;
}

inline std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// One small device for the whole run, on an offscreen window.
inline IDirect3DDevice9* Device() {
    static IDirect3DDevice9* device = [] {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        IDirect3D9* d3d = nullptr;
        IDirect3DDevice9* created = nullptr;
        if (FAILED(CreateTestDevice(64, 48, &d3d, &created))) std::abort();
        return created;
    }();
    return device;
}

// Decodes an image into a texture as the material loader asks for it.
inline void LoadTexture(const uint8_t* data, size_t size) {
    D3DXIMAGE_INFO info;
    D3DXGetImageInfoFromFileInMemory(data, UINT(size), &info);
    IDirect3DTexture9* texture = nullptr;
    if (SUCCEEDED(D3DXCreateTextureFromFileInMemoryEx(Device(), data, UINT(size), D3DX_DEFAULT, D3DX_DEFAULT,
                                                      D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                                      D3DX_FILTER_POINT, D3DX_FILTER_BOX, 0, nullptr, nullptr,
                                                      &texture)))
        texture->Release();
}

}  // namespace fuzz
