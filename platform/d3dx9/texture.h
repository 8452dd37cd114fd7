// Textures from image files (PNG, BMP and what else stb_image reads), empty
// textures, mip-level filtering and normal maps computed from height images.
//
// Sizes: D3DX_DEFAULT width or height takes the image's size rounded up to a
// power of two (D3DX_DEFAULT_NONPOW2 keeps it as it is); the picture is then
// resampled to the texture's size with the filter given. Mip levels 0 or
// D3DX_DEFAULT make the full chain down to 1 x 1, each level filtered from
// the one above with the mip filter. A colour key other than 0 turns every
// source pixel of exactly that ARGB value into transparent black (0x00000000)
// before any filtering. Format D3DFMT_UNKNOWN takes A8R8G8B8 for images with
// alpha (or with a colour key) and X8R8G8B8 for the others.
//
// Every call may run on the resource loader thread once that thread holds the
// device's loader context (orv::d3d9::MakeLoaderContextCurrent). Damaged or
// unreadable data fails with D3DXERR_INVALIDDATA and a line in the debug
// output; nothing is created then.
#pragma once
#include <cfloat>

#include "platform/d3d9/d3d9.h"
#include "platform/d3dx9/math.h"

// Results of the D3DX library.
#ifndef D3DXERR_INVALIDDATA
#define MAKE_DDHRESULT(code) MAKE_HRESULT(1, 0x876, code)
#define D3DXERR_CANNOTMODIFYINDEXBUFFER MAKE_DDHRESULT(2900)
#define D3DXERR_INVALIDMESH MAKE_DDHRESULT(2901)
#define D3DXERR_CANNOTATTRSORT MAKE_DDHRESULT(2902)
#define D3DXERR_SKINNINGNOTSUPPORTED MAKE_DDHRESULT(2903)
#define D3DXERR_TOOMANYINFLUENCES MAKE_DDHRESULT(2904)
#define D3DXERR_INVALIDDATA MAKE_DDHRESULT(2905)
#define D3DXERR_LOADEDMESHHASNODATA MAKE_DDHRESULT(2906)
#define D3DXERR_DUPLICATENAMEDFRAGMENT MAKE_DDHRESULT(2907)
#define D3DXERR_CANNOTREMOVELASTITEM MAKE_DDHRESULT(2908)
#endif

#define D3DX_DEFAULT ((UINT)-1)
#define D3DX_DEFAULT_NONPOW2 ((UINT)-2)
#define D3DX_DEFAULT_FLOAT FLT_MAX
#define D3DX_FROM_FILE ((UINT)-3)
#define D3DFMT_FROM_FILE ((D3DFORMAT)-3)

// Filters: one of the first five in the low bits, optional flags above.
#define D3DX_FILTER_NONE (1u << 0)
#define D3DX_FILTER_POINT (2u << 0)
#define D3DX_FILTER_LINEAR (3u << 0)
#define D3DX_FILTER_TRIANGLE (4u << 0)
#define D3DX_FILTER_BOX (5u << 0)
#define D3DX_FILTER_MIRROR_U (1u << 16)
#define D3DX_FILTER_MIRROR_V (2u << 16)
#define D3DX_FILTER_MIRROR_W (4u << 16)
#define D3DX_FILTER_MIRROR (7u << 16)
#define D3DX_FILTER_DITHER (1u << 19)
#define D3DX_FILTER_DITHER_DIFFUSION (2u << 19)
#define D3DX_FILTER_SRGB_IN (1u << 21)
#define D3DX_FILTER_SRGB_OUT (2u << 21)
#define D3DX_FILTER_SRGB (3u << 21)

// Channels a normal map reads its height from (several are averaged).
#define D3DX_CHANNEL_RED (1u << 0)
#define D3DX_CHANNEL_BLUE (1u << 1)
#define D3DX_CHANNEL_GREEN (1u << 2)
#define D3DX_CHANNEL_ALPHA (1u << 3)
#define D3DX_CHANNEL_LUMINANCE (1u << 4)

// Normal-map flags: how the edges continue (wrap when neither mirror flag is
// given), the sign of x and y, and an occlusion term in alpha.
#define D3DX_NORMALMAP_MIRROR_U (1u << 16)
#define D3DX_NORMALMAP_MIRROR_V (2u << 16)
#define D3DX_NORMALMAP_MIRROR (3u << 16)
#define D3DX_NORMALMAP_INVERTSIGN (8u << 16)
#define D3DX_NORMALMAP_COMPUTE_OCCLUSION (16u << 16)

typedef enum _D3DXIMAGE_FILEFORMAT {
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
    D3DXIFF_DDS = 4,
    D3DXIFF_PPM = 5,
    D3DXIFF_DIB = 6,
    D3DXIFF_HDR = 7,
    D3DXIFF_PFM = 8,
    D3DXIFF_FORCE_DWORD = 0x7fffffff
} D3DXIMAGE_FILEFORMAT;

// What a file holds, before any resizing.
typedef struct _D3DXIMAGE_INFO {
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;  // A8R8G8B8 with alpha in the file, else X8R8G8B8
    D3DRESOURCETYPE ResourceType;
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
} D3DXIMAGE_INFO;

HRESULT WINAPI D3DXGetImageInfoFromFileInMemory(LPCVOID pSrcData, UINT SrcDataSize, D3DXIMAGE_INFO* pSrcInfo);
HRESULT WINAPI D3DXGetImageInfoFromFileW(LPCWSTR pSrcFile, D3DXIMAGE_INFO* pSrcInfo);

// Usage, format and pool go to IDirect3DDevice9::CreateTexture. pSrcInfo,
// when given, receives the file's own description; pPalette is ignored.
HRESULT WINAPI D3DXCreateTextureFromFileInMemoryEx(LPDIRECT3DDEVICE9 pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                                   UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                                                   D3DFORMAT Format, D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                                   D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
                                                   PALETTEENTRY* pPalette, LPDIRECT3DTEXTURE9* ppTexture);
// Default sizes, full chain, managed pool, triangle filter and box mip filter,
// no colour key.
HRESULT WINAPI D3DXCreateTextureFromFileInMemory(LPDIRECT3DDEVICE9 pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                                 LPDIRECT3DTEXTURE9* ppTexture);
// The same from a file; a missing or unreadable file gives D3DXERR_INVALIDDATA.
HRESULT WINAPI D3DXCreateTextureFromFileExW(LPDIRECT3DDEVICE9 pDevice, LPCWSTR pSrcFile, UINT Width, UINT Height,
                                            UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                            DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                            D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY* pPalette,
                                            LPDIRECT3DTEXTURE9* ppTexture);
HRESULT WINAPI D3DXCreateTextureFromFileW(LPDIRECT3DDEVICE9 pDevice, LPCWSTR pSrcFile,
                                          LPDIRECT3DTEXTURE9* ppTexture);

// An empty texture; D3DX_DEFAULT sizes are 256, D3DFMT_UNKNOWN is A8R8G8B8,
// mip levels 0 or D3DX_DEFAULT the full chain.
HRESULT WINAPI D3DXCreateTexture(LPDIRECT3DDEVICE9 pDevice, UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                                 D3DFORMAT Format, D3DPOOL Pool, LPDIRECT3DTEXTURE9* ppTexture);

// Refills every level below SrcLevel from the one above it (D3DX_DEFAULT:
// from level 0) with the filter (D3DX_DEFAULT: box).
HRESULT WINAPI D3DXFilterTexture(LPDIRECT3DBASETEXTURE9 pBaseTexture, const PALETTEENTRY* pPalette, UINT SrcLevel,
                                 DWORD Filter);

// Fills pTexture (every level) with a tangent-space normal map of the height
// read from pSrcTexture's level 0 (stretched to pTexture's size when they
// differ): normal = normalise(-Amplitude * dh/du, -Amplitude * dh/dv, 1) from
// central differences in texels, u to the right and v down, stored as
// (x, y, z) * 0.5 + 0.5 in red, green and blue, alpha 1 (or the occlusion
// term). Edges wrap unless mirrored.
HRESULT WINAPI D3DXComputeNormalMap(LPDIRECT3DTEXTURE9 pTexture, LPDIRECT3DTEXTURE9 pSrcTexture,
                                    const PALETTEENTRY* pSrcPalette, DWORD Flags, DWORD Channel, FLOAT Amplitude);
