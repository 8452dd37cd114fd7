// Pictures while the texture functions work on them, as float RGBA or, where
// that gives the same bytes, as 8-bit texels: decoding, resampling, and
// moving them in and out of texture levels in the level's own pixel format.
// Platform-internal.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/d3dx9/texture.h"

namespace orv::d3dx9 {

// Four floats (r, g, b, a, nominally 0..1) per pixel, top row first.
struct Image {
    UINT width = 0;
    UINT height = 0;
    std::vector<float> rgba;

    float* At(UINT x, UINT y) { return &rgba[(size_t(y) * width + x) * 4]; }
    const float* At(UINT x, UINT y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

// 8-bit texels in A8R8G8B8's byte order (b, g, r, a), rows packed, top row
// first; the storage belongs to the caller. Pictures from 8-bit files going
// into 8-bit textures stay in this form, which gives the very bytes the float
// path would and spares its memory traffic.
struct Texels8 {
    const uint8_t* bgra = nullptr;
    UINT width = 0;
    UINT height = 0;
};

// A line in the debug output, prefixed "d3dx9: ".
void LogError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Whether the device can hold a level of this format in memory the way
// ReadLevel and WriteLevel convert it.
bool CanConvert(D3DFORMAT format);

// Level `level` of the texture as an image (its size), or false.
bool ReadLevel(IDirect3DTexture9* texture, UINT level, Image& image);
// Writes an image of the level's exact size into it.
HRESULT WriteLevel(IDirect3DTexture9* texture, UINT level, const Image& image);

// The image resampled to width x height with a D3DX_FILTER_* value (only the
// low bits count). NONE copies into the top-left corner and leaves the rest
// transparent black; POINT takes the nearest pixel; LINEAR interpolates;
// TRIANGLE and BOX average the covered pixels when shrinking and interpolate
// when growing.
Image Resample(const Image& source, UINT width, UINT height, DWORD filter);

// Every level below `from` refilled from the one above with the filter.
HRESULT FilterLevels(IDirect3DTexture9* texture, UINT from, DWORD filter);

// The texels as float RGBA (each byte / 255).
Image ToImage(const Texels8& texels);

// Whether ResampleTexels gives exactly what Resample gives for these sizes
// and filter: the same size, NONE and POINT (picking whole texels).
bool CanResampleTexels(UINT sourceWidth, UINT sourceHeight, UINT width, UINT height, DWORD filter);
// The texels resampled as CanResampleTexels allows, into `storage`; the source
// itself when the size is unchanged.
Texels8 ResampleTexels(const Texels8& source, UINT width, UINT height, DWORD filter,
                       std::vector<uint8_t>& storage);

// Writes `top` (of the level's size) into level `from` and fills every level
// below from the one above with the filter (NONE taken as POINT). Both give
// what WriteLevel and Resample level by level give; the texels' form keeps
// to bytes where that is exact.
HRESULT FillLevels(IDirect3DTexture9* texture, UINT from, const Texels8& top, DWORD filter);
HRESULT FillLevels(IDirect3DTexture9* texture, UINT from, const Image& top, DWORD filter);

}  // namespace orv::d3dx9
