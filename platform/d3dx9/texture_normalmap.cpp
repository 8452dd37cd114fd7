// Normal maps from height images.
#include <algorithm>
#include <cmath>

#include "platform/d3dx9/texture.h"
#include "platform/d3dx9/texture_image.h"

using orv::d3dx9::Image;

namespace {

float HeightOf(const float* p, DWORD channel) {
    float sum = 0.0f;
    int count = 0;
    if (channel & D3DX_CHANNEL_RED) sum += p[0], ++count;
    if (channel & D3DX_CHANNEL_GREEN) sum += p[1], ++count;
    if (channel & D3DX_CHANNEL_BLUE) sum += p[2], ++count;
    if (channel & D3DX_CHANNEL_ALPHA) sum += p[3], ++count;
    if (channel & D3DX_CHANNEL_LUMINANCE) sum += 0.2125f * p[0] + 0.7154f * p[1] + 0.0721f * p[2], ++count;
    return count ? sum / float(count) : 0.0f;
}

// A texel index outside 0..size-1 continued by wrapping or mirroring.
long Edge(long i, long size, bool mirror) {
    if (size == 1) return 0;
    if (mirror) {
        const long period = 2 * size;
        i = ((i % period) + period) % period;
        return i < size ? i : period - 1 - i;
    }
    return ((i % size) + size) % size;
}

}  // namespace

HRESULT WINAPI D3DXComputeNormalMap(LPDIRECT3DTEXTURE9 pTexture, LPDIRECT3DTEXTURE9 pSrcTexture, const PALETTEENTRY*,
                                    DWORD Flags, DWORD Channel, FLOAT Amplitude) {
    if (!pTexture || !pSrcTexture || !std::isfinite(Amplitude)) return D3DERR_INVALIDCALL;
    if (!(Channel & (D3DX_CHANNEL_RED | D3DX_CHANNEL_GREEN | D3DX_CHANNEL_BLUE | D3DX_CHANNEL_ALPHA |
                     D3DX_CHANNEL_LUMINANCE)))
        return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc;
    HRESULT hr = pTexture->GetLevelDesc(0, &desc);
    if (FAILED(hr)) return hr;
    Image source;
    if (!orv::d3dx9::ReadLevel(pSrcTexture, 0, source)) return D3DERR_INVALIDCALL;
    if (source.width != desc.Width || source.height != desc.Height)
        source = orv::d3dx9::Resample(source, desc.Width, desc.Height, D3DX_FILTER_LINEAR);

    const long w = static_cast<long>(desc.Width), h = static_cast<long>(desc.Height);
    std::vector<float> height(size_t(w) * h);
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x) height[size_t(y) * w + x] = HeightOf(source.At(UINT(x), UINT(y)), Channel);
    const bool mirrorU = (Flags & D3DX_NORMALMAP_MIRROR_U) != 0;
    const bool mirrorV = (Flags & D3DX_NORMALMAP_MIRROR_V) != 0;
    const float sign = (Flags & D3DX_NORMALMAP_INVERTSIGN) ? -1.0f : 1.0f;
    auto at = [&](long x, long y) { return height[size_t(Edge(y, h, mirrorV)) * w + Edge(x, w, mirrorU)]; };

    Image normals;
    normals.width = desc.Width;
    normals.height = desc.Height;
    normals.rgba.resize(size_t(w) * h * 4);
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x) {
            const float du = (at(x + 1, y) - at(x - 1, y)) * 0.5f * Amplitude;
            const float dv = (at(x, y + 1) - at(x, y - 1)) * 0.5f * Amplitude;
            float n[3] = {-du * sign, -dv * sign, 1.0f};
            const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            float* out = normals.At(UINT(x), UINT(y));
            for (int c = 0; c < 3; ++c) out[c] = n[c] / length * 0.5f + 0.5f;
            // Occlusion: how much of the sky the texel sees, from its tilt.
            out[3] = (Flags & D3DX_NORMALMAP_COMPUTE_OCCLUSION) ? n[2] / length : 1.0f;
        }
    hr = orv::d3dx9::WriteLevel(pTexture, 0, normals);
    if (FAILED(hr)) return hr;
    return orv::d3dx9::FilterLevels(pTexture, 0, D3DX_FILTER_BOX);
}
