// Pixel formats, resampling and level transfers for the texture functions.
#include "platform/d3dx9/texture_image.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <new>

#include "platform/d3d9/gl_internal.h"

namespace orv::d3dx9 {

void LogError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    orv::d3d9::LogLineV("d3dx9", format, args);
    va_end(args);
}

namespace {

float HalfToFloat(uint16_t h) {
    const int sign = h >> 15, exponent = (h >> 10) & 0x1f, mantissa = h & 0x3ff;
    float value;
    if (exponent == 0) value = std::ldexp(float(mantissa), -24);
    else if (exponent == 31) value = mantissa ? NAN : INFINITY;
    else value = std::ldexp(float(mantissa | 0x400), exponent - 25);
    return sign ? -value : value;
}

uint16_t FloatToHalf(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    const uint16_t sign = static_cast<uint16_t>((bits >> 16) & 0x8000);
    if (std::isnan(f)) return sign | 0x7e00;
    const float a = std::fabs(f);
    if (a >= 65520.0f) return sign | 0x7c00;
    if (a < 6.1035156e-05f) return sign | static_cast<uint16_t>(std::lround(a * 16777216.0f));  // subnormal
    int exponent;
    const float m = std::frexp(a, &exponent);  // a = m * 2^exponent, m in [0.5, 1)
    long mantissa = std::lround((m * 2.0f - 1.0f) * 1024.0f);
    int e = exponent - 1 + 15;
    if (mantissa == 1024) {
        mantissa = 0;
        ++e;
    }
    if (e >= 31) return sign | 0x7c00;
    return sign | static_cast<uint16_t>(e << 10) | static_cast<uint16_t>(mantissa);
}

uint32_t ToUnorm(float v, uint32_t max) {
    if (!(v > 0.0f)) return 0;
    if (v >= 1.0f) return max;
    return static_cast<uint32_t>(v * float(max) + 0.5f);
}

UINT BytesPerPixel(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_G16R16F:
    case D3DFMT_R32F: return 4;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_R16F: return 2;
    case D3DFMT_A16B16G16R16F: return 8;
    default: return 0;
    }
}

void Decode(D3DFORMAT format, const uint8_t* p, float* out) {
    uint16_t w16;
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        out[0] = p[2] / 255.0f;
        out[1] = p[1] / 255.0f;
        out[2] = p[0] / 255.0f;
        out[3] = format == D3DFMT_A8R8G8B8 ? p[3] / 255.0f : 1.0f;
        return;
    case D3DFMT_R5G6B5:
        std::memcpy(&w16, p, 2);
        out[0] = ((w16 >> 11) & 31) / 31.0f;
        out[1] = ((w16 >> 5) & 63) / 63.0f;
        out[2] = (w16 & 31) / 31.0f;
        out[3] = 1.0f;
        return;
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
        std::memcpy(&w16, p, 2);
        out[0] = ((w16 >> 10) & 31) / 31.0f;
        out[1] = ((w16 >> 5) & 31) / 31.0f;
        out[2] = (w16 & 31) / 31.0f;
        out[3] = format == D3DFMT_A1R5G5B5 ? float(w16 >> 15) : 1.0f;
        return;
    case D3DFMT_R16F:
    case D3DFMT_G16R16F:
    case D3DFMT_A16B16G16R16F: {
        const int n = format == D3DFMT_R16F ? 1 : format == D3DFMT_G16R16F ? 2 : 4;
        out[0] = out[1] = out[2] = out[3] = 1.0f;
        for (int i = 0; i < n; ++i) {
            std::memcpy(&w16, p + 2 * i, 2);
            out[i] = HalfToFloat(w16);
        }
        return;
    }
    case D3DFMT_R32F:
        std::memcpy(&out[0], p, 4);
        out[1] = out[2] = out[3] = 1.0f;
        return;
    default: out[0] = out[1] = out[2] = out[3] = 0.0f; return;
    }
}

void Encode(D3DFORMAT format, const float* in, uint8_t* p) {
    uint16_t w16;
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        p[0] = static_cast<uint8_t>(ToUnorm(in[2], 255));
        p[1] = static_cast<uint8_t>(ToUnorm(in[1], 255));
        p[2] = static_cast<uint8_t>(ToUnorm(in[0], 255));
        p[3] = format == D3DFMT_A8R8G8B8 ? static_cast<uint8_t>(ToUnorm(in[3], 255)) : 255;
        return;
    case D3DFMT_R5G6B5:
        w16 = static_cast<uint16_t>(ToUnorm(in[0], 31) << 11 | ToUnorm(in[1], 63) << 5 | ToUnorm(in[2], 31));
        std::memcpy(p, &w16, 2);
        return;
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: {
        const uint32_t a = format == D3DFMT_A1R5G5B5 ? (in[3] >= 0.5f ? 1u : 0u) : 1u;
        w16 = static_cast<uint16_t>(a << 15 | ToUnorm(in[0], 31) << 10 | ToUnorm(in[1], 31) << 5 |
                                    ToUnorm(in[2], 31));
        std::memcpy(p, &w16, 2);
        return;
    }
    case D3DFMT_R16F:
    case D3DFMT_G16R16F:
    case D3DFMT_A16B16G16R16F: {
        const int n = format == D3DFMT_R16F ? 1 : format == D3DFMT_G16R16F ? 2 : 4;
        for (int i = 0; i < n; ++i) {
            w16 = FloatToHalf(in[i]);
            std::memcpy(p + 2 * i, &w16, 2);
        }
        return;
    }
    case D3DFMT_R32F: std::memcpy(p, &in[0], 4); return;
    default: return;
    }
}

struct Tap {
    UINT index;
    float weight;
};

// Weights of the source pixels that make each destination pixel along one axis.
std::vector<std::vector<Tap>> AxisTaps(UINT source, UINT dest, DWORD filter) {
    std::vector<std::vector<Tap>> taps(dest);
    const double scale = double(source) / double(dest);
    const bool point = filter == D3DX_FILTER_POINT;
    const bool average = (filter == D3DX_FILTER_TRIANGLE || filter == D3DX_FILTER_BOX) && source > dest;
    for (UINT i = 0; i < dest; ++i) {
        if (point) {
            const UINT s = std::min(source - 1, static_cast<UINT>((i + 0.5) * scale));
            taps[i].push_back({s, 1.0f});
        } else if (average) {
            const double a = i * scale, b = (i + 1) * scale;
            for (UINT s = static_cast<UINT>(a); s < source && s < b; ++s) {
                const double covered = std::min(b, double(s + 1)) - std::max(a, double(s));
                if (covered > 0) taps[i].push_back({s, static_cast<float>(covered / scale)});
            }
        } else {
            const double c = (i + 0.5) * scale - 0.5;
            const double base = std::floor(c);
            const float f = static_cast<float>(c - base);
            const long s0 = std::clamp<long>(static_cast<long>(base), 0, long(source) - 1);
            const long s1 = std::clamp<long>(static_cast<long>(base) + 1, 0, long(source) - 1);
            taps[i].push_back({static_cast<UINT>(s0), 1.0f - f});
            taps[i].push_back({static_cast<UINT>(s1), f});
        }
    }
    return taps;
}

}  // namespace

bool CanConvert(D3DFORMAT format) { return BytesPerPixel(format) != 0; }

bool ReadLevel(IDirect3DTexture9* texture, UINT level, Image& image) {
    D3DSURFACE_DESC desc;
    if (!texture || FAILED(texture->GetLevelDesc(level, &desc)) || !CanConvert(desc.Format)) return false;
    D3DLOCKED_RECT locked;
    if (FAILED(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY))) return false;
    const UINT bpp = BytesPerPixel(desc.Format);
    image.width = desc.Width;
    image.height = desc.Height;
    image.rgba.assign(size_t(desc.Width) * desc.Height * 4, 0.0f);
    for (UINT y = 0; y < desc.Height; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch;
        for (UINT x = 0; x < desc.Width; ++x) Decode(desc.Format, row + size_t(x) * bpp, image.At(x, y));
    }
    texture->UnlockRect(level);
    return true;
}

HRESULT WriteLevel(IDirect3DTexture9* texture, UINT level, const Image& image) {
    D3DSURFACE_DESC desc;
    HRESULT hr = texture->GetLevelDesc(level, &desc);
    if (FAILED(hr)) return hr;
    if (!CanConvert(desc.Format) || desc.Width != image.width || desc.Height != image.height)
        return D3DERR_INVALIDCALL;
    D3DLOCKED_RECT locked;
    hr = texture->LockRect(level, &locked, nullptr, D3DLOCK_DISCARD);
    if (FAILED(hr)) return hr;
    const UINT bpp = BytesPerPixel(desc.Format);
    for (UINT y = 0; y < desc.Height; ++y) {
        uint8_t* row = static_cast<uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch;
        for (UINT x = 0; x < desc.Width; ++x) Encode(desc.Format, image.At(x, y), row + size_t(x) * bpp);
    }
    return texture->UnlockRect(level);
}

Image Resample(const Image& source, UINT width, UINT height, DWORD filter) {
    filter &= 0xffff;
    if (filter == 0 || filter > D3DX_FILTER_BOX) filter = D3DX_FILTER_TRIANGLE;
    Image out;
    out.width = width;
    out.height = height;
    out.rgba.assign(size_t(width) * height * 4, 0.0f);
    if (source.width == width && source.height == height) {
        out.rgba = source.rgba;
        return out;
    }
    if (filter == D3DX_FILTER_NONE) {
        for (UINT y = 0; y < std::min(height, source.height); ++y)
            std::memcpy(out.At(0, y), source.At(0, y), sizeof(float) * 4 * std::min(width, source.width));
        return out;
    }
    // Separable: along x into a temporary of the source's height, then along y.
    const auto xTaps = AxisTaps(source.width, width, filter);
    const auto yTaps = AxisTaps(source.height, height, filter);
    Image wide;
    wide.width = width;
    wide.height = source.height;
    wide.rgba.assign(size_t(width) * source.height * 4, 0.0f);
    for (UINT y = 0; y < source.height; ++y)
        for (UINT x = 0; x < width; ++x) {
            float* d = wide.At(x, y);
            for (const Tap& t : xTaps[x]) {
                const float* s = source.At(t.index, y);
                for (int c = 0; c < 4; ++c) d[c] += s[c] * t.weight;
            }
        }
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x) {
            float* d = out.At(x, y);
            for (const Tap& t : yTaps[y]) {
                const float* s = wide.At(x, t.index);
                for (int c = 0; c < 4; ++c) d[c] += s[c] * t.weight;
            }
        }
    return out;
}

HRESULT FilterLevels(IDirect3DTexture9* texture, UINT from, DWORD filter) {
    const UINT levels = texture->GetLevelCount();
    if (from + 1 >= levels) return D3D_OK;
    // A chain made without filtering still gets defined texels.
    if ((filter & 0xffff) == D3DX_FILTER_NONE) filter = D3DX_FILTER_POINT;
    Image current;
    if (!ReadLevel(texture, from, current)) return D3DERR_INVALIDCALL;
    for (UINT level = from + 1; level < levels; ++level) {
        D3DSURFACE_DESC desc;
        HRESULT hr = texture->GetLevelDesc(level, &desc);
        if (FAILED(hr)) return hr;
        current = Resample(current, desc.Width, desc.Height, filter);
        hr = WriteLevel(texture, level, current);
        if (FAILED(hr)) return hr;
    }
    return D3D_OK;
}

}  // namespace orv::d3dx9
