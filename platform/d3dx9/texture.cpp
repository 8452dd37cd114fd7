// Textures from image files over stb_image, and empty textures.
#include "platform/d3dx9/texture.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>

#include "platform/d3dx9/texture_image.h"
#include "platform/win32/phase_timer.h"
#include "platform/win32/services.h"

using orv::d3dx9::Image;
using orv::d3dx9::LogError;

namespace {

// Larger pictures are refused before decoding, so a damaged header cannot ask
// for gigabytes or minutes: no device here takes a wider texture.
constexpr int kMaxImageSide = 4096;
constexpr int64_t kMaxImagePixels = int64_t(kMaxImageSide) * kMaxImageSide;

struct StbFree {
    void operator()(stbi_uc* p) const { stbi_image_free(p); }
};

// The game's images are PNG and BMP; anything else never reaches the decoder,
// which would otherwise try every format it knows on it.
bool FileFormatOf(const unsigned char* p, UINT size, D3DXIMAGE_FILEFORMAT& format) {
    if (size >= 8 && std::memcmp(p, "\x89PNG\r\n\x1a\n", 8) == 0) format = D3DXIFF_PNG;
    else if (size >= 2 && p[0] == 'B' && p[1] == 'M') format = D3DXIFF_BMP;
    else return false;
    return true;
}

UINT RoundUpPow2(UINT v) {
    UINT p = 1;
    while (p < v) p <<= 1;
    return p;
}

UINT FullChain(UINT width, UINT height) {
    UINT levels = 1;
    for (UINT size = std::max(width, height); size > 1; size >>= 1) ++levels;
    return levels;
}

uint32_t Le32(const unsigned char* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// stb_image reads a BMP cut short as if the missing rows were black; an
// uncompressed one must hold all its rows.
bool BmpComplete(const unsigned char* p, UINT size) {
    if (size < 34) return false;
    const uint32_t offset = Le32(p + 10), header = Le32(p + 14);
    if (header < 40) return true;  // old OS/2 headers: left to the decoder
    const int64_t width = int32_t(Le32(p + 18)), height = int32_t(Le32(p + 22));
    const uint32_t bits = uint32_t(p[28]) | uint32_t(p[29]) << 8, compression = Le32(p + 30);
    if (compression != 0 && compression != 3) return true;  // run-length data has no fixed size
    const int64_t rowBytes = (width * bits + 31) / 32 * 4;
    return rowBytes >= 0 && int64_t(offset) + rowBytes * (height < 0 ? -height : height) <= int64_t(size);
}

HRESULT ReadInfo(const void* data, UINT size, D3DXIMAGE_INFO& info, bool& hasAlpha) {
    if (!data || size == 0) return D3DERR_INVALIDCALL;
    if (size > 0x7fffffffu) return D3DXERR_INVALIDDATA;
    int w = 0, h = 0, comp = 0;
    const auto* bytes = static_cast<const stbi_uc*>(data);
    D3DXIMAGE_FILEFORMAT format;
    if (!FileFormatOf(bytes, size, format)) {
        LogError("texture: not a PNG or BMP file");
        return D3DXERR_INVALIDDATA;
    }
    if (!stbi_info_from_memory(bytes, static_cast<int>(size), &w, &h, &comp)) {
        LogError("texture: unreadable image (%s)", stbi_failure_reason());
        return D3DXERR_INVALIDDATA;
    }
    if (w <= 0 || h <= 0 || w > kMaxImageSide || h > kMaxImageSide || int64_t(w) * h > kMaxImagePixels) {
        LogError("texture: image of %d x %d refused", w, h);
        return D3DXERR_INVALIDDATA;
    }
    if (format == D3DXIFF_BMP && !BmpComplete(bytes, size)) {
        LogError("texture: BMP file cut short");
        return D3DXERR_INVALIDDATA;
    }
    hasAlpha = comp == 2 || comp == 4;
    info = {static_cast<UINT>(w),
            static_cast<UINT>(h),
            1,
            1,
            hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8,
            D3DRTYPE_TEXTURE,
            format};
    return D3D_OK;
}

bool ReadWholeFile(LPCWSTR path, std::vector<char>& bytes) {
    if (!path) return false;
    std::ifstream file(NativePath(path), std::ios::binary);
    if (!file) return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

bool IsDefaultFormat(D3DFORMAT format) {
    return format == D3DFMT_UNKNOWN || format == D3DFMT_FROM_FILE || format == static_cast<D3DFORMAT>(D3DX_DEFAULT);
}

// Creates the texture and fills level 0 with `top` (Image or Texels8), every
// further level filtered from the one above.
template <typename Top>
HRESULT CreateFilled(IDirect3DDevice9* device, const Top& top, UINT levels, DWORD usage, D3DFORMAT format,
                     D3DPOOL pool, DWORD mipFilter, IDirect3DTexture9** texture) {
    if (!orv::d3dx9::CanConvert(format)) {
        LogError("texture: format %d cannot be filled", static_cast<int>(format));
        return D3DERR_INVALIDCALL;
    }
    IDirect3DTexture9* created = nullptr;
    HRESULT hr = device->CreateTexture(top.width, top.height, levels, usage, format, pool, &created, nullptr);
    if (FAILED(hr)) return hr;
    try {
        hr = orv::d3dx9::FillLevels(created, 0, top, mipFilter);
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    if (FAILED(hr)) {
        created->Release();
        return hr;
    }
    *texture = created;
    return D3D_OK;
}

// Decoded RGBA pixels into A8R8G8B8's byte order in place (b, g, r, a: the
// ARGB value as a little-endian word), the colour key's texels transparent
// black. A key of 0 needs no test of its own: only 0 matches it. Whole blocks
// of a fixed count let the compiler vectorise the loop.
template <size_t N>
void ToArgbBlock(stbi_uc* pixels, D3DCOLOR colorKey) {
    uint32_t words[N];
    std::memcpy(words, pixels, sizeof words);
    for (size_t i = 0; i < N; ++i) {
        const uint32_t argb = (words[i] & 0xff00ff00u) | (words[i] & 0xffu) << 16 | (words[i] >> 16 & 0xffu);
        words[i] = argb == colorKey ? 0 : argb;
    }
    std::memcpy(pixels, words, sizeof words);
}

void ToArgb(stbi_uc* pixels, size_t count, D3DCOLOR colorKey) {
    constexpr size_t kBlock = 16;
    size_t i = 0;
    for (; i + kBlock <= count; i += kBlock) ToArgbBlock<kBlock>(pixels + i * 4, colorKey);
    for (; i < count; ++i) ToArgbBlock<1>(pixels + i * 4, colorKey);
}

}  // namespace

HRESULT WINAPI D3DXGetImageInfoFromFileInMemory(LPCVOID pSrcData, UINT SrcDataSize, D3DXIMAGE_INFO* pSrcInfo) {
    D3DXIMAGE_INFO info;
    bool alpha = false;
    const HRESULT hr = ReadInfo(pSrcData, SrcDataSize, info, alpha);
    if (SUCCEEDED(hr) && pSrcInfo) *pSrcInfo = info;
    return hr;
}

HRESULT WINAPI D3DXGetImageInfoFromFileW(LPCWSTR pSrcFile, D3DXIMAGE_INFO* pSrcInfo) {
    std::vector<char> bytes;
    if (!ReadWholeFile(pSrcFile, bytes) || bytes.empty()) return D3DXERR_INVALIDDATA;
    return D3DXGetImageInfoFromFileInMemory(bytes.data(), static_cast<UINT>(bytes.size()), pSrcInfo);
}

HRESULT WINAPI D3DXCreateTextureFromFileInMemoryEx(LPDIRECT3DDEVICE9 pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                                   UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                                                   D3DFORMAT Format, D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                                   D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY*,
                                                   LPDIRECT3DTEXTURE9* ppTexture) {
    orv::PhaseTimer timer(orv::Phase::ImageDecode);
    if (ppTexture) *ppTexture = nullptr;
    if (!pDevice || !ppTexture) return D3DERR_INVALIDCALL;
    D3DXIMAGE_INFO info;
    bool hasAlpha = false;
    HRESULT hr = ReadInfo(pSrcData, SrcDataSize, info, hasAlpha);
    if (FAILED(hr)) return hr;

    int w = 0, h = 0, comp = 0;
    std::unique_ptr<stbi_uc, StbFree> pixels(
        stbi_load_from_memory(static_cast<const stbi_uc*>(pSrcData), static_cast<int>(SrcDataSize), &w, &h, &comp, 4));
    if (!pixels || w != int(info.Width) || h != int(info.Height)) {
        LogError("texture: image could not be decoded (%s)", pixels ? "size changed" : stbi_failure_reason());
        return D3DXERR_INVALIDDATA;
    }

    ToArgb(pixels.get(), size_t(w) * h, ColorKey);
    const orv::d3dx9::Texels8 source{pixels.get(), info.Width, info.Height};

    D3DCAPS9 caps{};
    pDevice->GetDeviceCaps(&caps);
    const UINT maxSide = caps.MaxTextureWidth ? caps.MaxTextureWidth : 4096;
    auto sizeOf = [&](UINT requested, UINT fromFile) {
        UINT s = requested;
        if (requested == 0 || requested == D3DX_DEFAULT) s = RoundUpPow2(fromFile);
        else if (requested == D3DX_DEFAULT_NONPOW2 || requested == D3DX_FROM_FILE) s = fromFile;
        return std::min(s, maxSide);
    };
    const UINT width = sizeOf(Width, info.Width);
    const UINT height = sizeOf(Height, info.Height);
    UINT levels = MipLevels;
    if (levels == D3DX_DEFAULT) levels = 0;
    else if (levels == D3DX_FROM_FILE) levels = 1;
    else levels = std::min(levels, FullChain(width, height));
    D3DFORMAT format = Format;
    if (IsDefaultFormat(format)) format = hasAlpha || ColorKey != 0 ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    if (Filter == D3DX_DEFAULT) Filter = D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER;
    if (MipFilter == D3DX_DEFAULT) MipFilter = D3DX_FILTER_BOX;

    try {
        if (orv::d3dx9::CanResampleTexels(source.width, source.height, width, height, Filter)) {
            std::vector<uint8_t> storage;
            const auto top = orv::d3dx9::ResampleTexels(source, width, height, Filter, storage);
            hr = CreateFilled(pDevice, top, levels, Usage, format, Pool, MipFilter, ppTexture);
        } else {
            Image top = orv::d3dx9::Resample(orv::d3dx9::ToImage(source), width, height, Filter);
            pixels.reset();
            hr = CreateFilled(pDevice, top, levels, Usage, format, Pool, MipFilter, ppTexture);
        }
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    if (FAILED(hr)) return hr;
    if (pSrcInfo) *pSrcInfo = info;
    return D3D_OK;
}

HRESULT WINAPI D3DXCreateTextureFromFileInMemory(LPDIRECT3DDEVICE9 pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                                 LPDIRECT3DTEXTURE9* ppTexture) {
    return D3DXCreateTextureFromFileInMemoryEx(pDevice, pSrcData, SrcDataSize, D3DX_DEFAULT, D3DX_DEFAULT,
                                               D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                               D3DX_DEFAULT, 0, nullptr, nullptr, ppTexture);
}

HRESULT WINAPI D3DXCreateTextureFromFileExW(LPDIRECT3DDEVICE9 pDevice, LPCWSTR pSrcFile, UINT Width, UINT Height,
                                            UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                            DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                            D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY* pPalette,
                                            LPDIRECT3DTEXTURE9* ppTexture) {
    if (ppTexture) *ppTexture = nullptr;
    if (!pDevice || !pSrcFile || !ppTexture) return D3DERR_INVALIDCALL;
    std::vector<char> bytes;
    if (!ReadWholeFile(pSrcFile, bytes) || bytes.empty()) {
        LogError("texture: file %s could not be read", NativePath(pSrcFile).c_str());
        return D3DXERR_INVALIDDATA;
    }
    return D3DXCreateTextureFromFileInMemoryEx(pDevice, bytes.data(), static_cast<UINT>(bytes.size()), Width, Height,
                                               MipLevels, Usage, Format, Pool, Filter, MipFilter, ColorKey, pSrcInfo,
                                               pPalette, ppTexture);
}

HRESULT WINAPI D3DXCreateTextureFromFileW(LPDIRECT3DDEVICE9 pDevice, LPCWSTR pSrcFile,
                                          LPDIRECT3DTEXTURE9* ppTexture) {
    return D3DXCreateTextureFromFileExW(pDevice, pSrcFile, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                        D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr,
                                        nullptr, ppTexture);
}

HRESULT WINAPI D3DXCreateTexture(LPDIRECT3DDEVICE9 pDevice, UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                                 D3DFORMAT Format, D3DPOOL Pool, LPDIRECT3DTEXTURE9* ppTexture) {
    if (ppTexture) *ppTexture = nullptr;
    if (!pDevice || !ppTexture) return D3DERR_INVALIDCALL;
    if (Width == 0 || Width == D3DX_DEFAULT || Width == D3DX_DEFAULT_NONPOW2) Width = 256;
    if (Height == 0 || Height == D3DX_DEFAULT || Height == D3DX_DEFAULT_NONPOW2) Height = 256;
    if (MipLevels == D3DX_DEFAULT) MipLevels = 0;
    MipLevels = std::min(MipLevels, FullChain(Width, Height));
    if (IsDefaultFormat(Format)) Format = D3DFMT_A8R8G8B8;
    return pDevice->CreateTexture(Width, Height, MipLevels, Usage, Format, Pool, ppTexture, nullptr);
}

HRESULT WINAPI D3DXFilterTexture(LPDIRECT3DBASETEXTURE9 pBaseTexture, const PALETTEENTRY*, UINT SrcLevel,
                                 DWORD Filter) {
    auto* texture = dynamic_cast<IDirect3DTexture9*>(pBaseTexture);
    if (!texture) return D3DERR_INVALIDCALL;
    if (SrcLevel == D3DX_DEFAULT) SrcLevel = 0;
    if (SrcLevel >= texture->GetLevelCount()) return D3DERR_INVALIDCALL;
    if (Filter == D3DX_DEFAULT) Filter = D3DX_FILTER_BOX;
    return orv::d3dx9::FilterLevels(texture, SrcLevel, Filter);
}
