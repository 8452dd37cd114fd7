// Pixel formats, resampling and level transfers for the texture functions.
#include "platform/d3dx9/texture_image.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <new>
#include <numeric>

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

// Resample's reading of a filter value: the low bits, anything unknown as
// TRIANGLE.
DWORD NormalFilter(DWORD filter) {
    filter &= 0xffff;
    return filter == 0 || filter > D3DX_FILTER_BOX ? D3DX_FILTER_TRIANGLE : filter;
}

// A mip chain made without filtering still gets defined texels.
DWORD ChainFilter(DWORD filter) {
    return (filter & 0xffff) == D3DX_FILTER_NONE ? D3DX_FILTER_POINT : NormalFilter(filter);
}

// The source texel a POINT filter takes for destination texel i.
UINT PointIndex(UINT i, double scale, UINT source) {
    return std::min(source - 1, static_cast<UINT>((i + 0.5) * scale));
}

std::vector<UINT> PointIndices(UINT source, UINT dest) {
    std::vector<UINT> indices(dest);
    const double scale = double(source) / double(dest);
    for (UINT i = 0; i < dest; ++i) indices[i] = PointIndex(i, scale, source);
    return indices;
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
            taps[i].push_back({PointIndex(i, scale, source), 1.0f});
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

bool IsByteFormat(D3DFORMAT format) { return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8; }

// b / 255 for every byte, as Decode computes it.
const std::array<float, 256>& ByteValues() {
    static const std::array<float, 256> values = [] {
        std::array<float, 256> v{};
        for (int b = 0; b < 256; ++b) v[b] = b / 255.0f;
        return v;
    }();
    return values;
}

// Row `sy` of `source` at the columns `xs`.
void PickRow(const Texels8& source, const std::vector<UINT>& xs, UINT sy, uint8_t* out) {
    const uint8_t* row = source.bgra + size_t(sy) * source.width * 4;
    for (size_t x = 0; x < xs.size(); ++x) std::memcpy(out + x * 4, row + size_t(xs[x]) * 4, 4);
}

// Locks a level of a byte format and has fill(row, y) write each of its rows
// as A8R8G8B8 bytes; X8R8G8B8 keeps its unused byte at 255 as Encode does.
template <typename Fill>
HRESULT WriteRows(IDirect3DTexture9* texture, UINT level, UINT width, UINT height, Fill fill) {
    D3DSURFACE_DESC desc;
    HRESULT hr = texture->GetLevelDesc(level, &desc);
    if (FAILED(hr)) return hr;
    if (!IsByteFormat(desc.Format) || desc.Width != width || desc.Height != height) return D3DERR_INVALIDCALL;
    D3DLOCKED_RECT locked;
    hr = texture->LockRect(level, &locked, nullptr, D3DLOCK_DISCARD);
    if (FAILED(hr)) return hr;
    for (UINT y = 0; y < height; ++y) {
        uint8_t* row = static_cast<uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch;
        fill(row, y);
        if (desc.Format == D3DFMT_X8R8G8B8)
            for (UINT x = 0; x < width; ++x) row[size_t(x) * 4 + 3] = 255;
    }
    return texture->UnlockRect(level);
}

// Level `level` of a byte format as texels, held in `storage`.
bool ReadTexels(IDirect3DTexture9* texture, UINT level, std::vector<uint8_t>& storage, Texels8& texels) {
    D3DSURFACE_DESC desc;
    if (FAILED(texture->GetLevelDesc(level, &desc)) || !IsByteFormat(desc.Format)) return false;
    D3DLOCKED_RECT locked;
    if (FAILED(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY))) return false;
    const size_t rowBytes = size_t(desc.Width) * 4;
    storage.resize(rowBytes * desc.Height);
    for (UINT y = 0; y < desc.Height; ++y)
        std::memcpy(&storage[y * rowBytes], static_cast<const uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch,
                    rowBytes);
    texture->UnlockRect(level);
    texels = {storage.data(), desc.Width, desc.Height};
    return true;
}

// Levels from + 1 onwards on the float path, from level `from` as `current`.
HRESULT FilterImage(IDirect3DTexture9* texture, UINT from, Image current, DWORD filter) {
    filter = ChainFilter(filter);
    const UINT levels = texture->GetLevelCount();
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

// Whether every level below `from` keeps or halves each side of the one above.
bool ChainHalves(IDirect3DTexture9* texture, UINT from) {
    D3DSURFACE_DESC above;
    if (FAILED(texture->GetLevelDesc(from, &above))) return false;
    for (UINT level = from + 1; level < texture->GetLevelCount(); ++level) {
        D3DSURFACE_DESC desc;
        if (FAILED(texture->GetLevelDesc(level, &desc))) return false;
        const bool x = desc.Width == above.Width || desc.Width * 2 == above.Width;
        const bool y = desc.Height == above.Height || desc.Height * 2 == above.Height;
        if (!x || !y) return false;
        above = desc;
    }
    return true;
}

// One level of a LINEAR, TRIANGLE or BOX chain that keeps or halves each side:
// Resample's taps there are the two texels at 0.5 each on a halved side and
// the texel itself on a kept one, summed in its order (along x, then y), so
// these are its floats to the bit. value(i) reads channel value i of the
// level above (four per texel).
template <typename Value>
void HalveLevel(Value value, UINT width, UINT height, UINT toWidth, UINT toHeight, std::vector<float>& out) {
    const bool halveX = toWidth != width, halveY = toHeight != height;
    out.resize(size_t(toWidth) * toHeight * 4);
    float* d = out.data();
    for (UINT y = 0; y < toHeight; ++y)
        for (UINT x = 0; x < toWidth; ++x)
            for (UINT c = 0; c < 4; ++c, ++d) {
                auto alongX = [&](UINT sy) {
                    const size_t row = size_t(sy) * width;
                    if (!halveX) return value((row + x) * 4 + c);
                    float sum = 0.0f;
                    sum += value((row + 2 * x) * 4 + c) * 0.5f;
                    sum += value((row + 2 * x + 1) * 4 + c) * 0.5f;
                    return sum;
                };
                if (!halveY) {
                    *d = alongX(y);
                } else {
                    float sum = 0.0f;
                    sum += alongX(2 * y) * 0.5f;
                    sum += alongX(2 * y + 1) * 0.5f;
                    *d = sum;
                }
            }
}

// Levels from + 1 onwards from `top`, level `from`'s texels, kept in bytes
// where the filter allows it.
HRESULT FilterTexels(IDirect3DTexture9* texture, UINT from, const Texels8& top, DWORD filter) {
    filter = ChainFilter(filter);
    const UINT levels = texture->GetLevelCount();
    if (from + 1 >= levels) return D3D_OK;
    try {
        if (filter != D3DX_FILTER_POINT && !ChainHalves(texture, from))
            return FilterImage(texture, from, ToImage(top), filter);
        // POINT: each level's texels picked straight from the top, through the
        // picks of every level between.
        std::vector<UINT> xs(top.width), ys(top.height);
        std::iota(xs.begin(), xs.end(), 0u);
        std::iota(ys.begin(), ys.end(), 0u);
        // The others: the level above as floats, never rounded between levels.
        std::vector<float> above, current;
        UINT width = top.width, height = top.height;
        for (UINT level = from + 1; level < levels; ++level) {
            D3DSURFACE_DESC desc;
            HRESULT hr = texture->GetLevelDesc(level, &desc);
            if (FAILED(hr)) return hr;
            if (filter == D3DX_FILTER_POINT) {
                const auto px = PointIndices(width, desc.Width), py = PointIndices(height, desc.Height);
                std::vector<UINT> nx(desc.Width), ny(desc.Height);
                for (UINT i = 0; i < desc.Width; ++i) nx[i] = xs[px[i]];
                for (UINT i = 0; i < desc.Height; ++i) ny[i] = ys[py[i]];
                xs.swap(nx);
                ys.swap(ny);
                hr = WriteRows(texture, level, desc.Width, desc.Height,
                               [&](uint8_t* row, UINT y) { PickRow(top, xs, ys[y], row); });
            } else {
                if (level == from + 1) {
                    const auto& values = ByteValues();
                    HalveLevel([&](size_t i) { return values[top.bgra[i]]; }, width, height, desc.Width,
                               desc.Height, current);
                } else {
                    HalveLevel([&](size_t i) { return above[i]; }, width, height, desc.Width, desc.Height,
                               current);
                }
                const size_t rowValues = size_t(desc.Width) * 4;
                hr = WriteRows(texture, level, desc.Width, desc.Height, [&](uint8_t* row, UINT y) {
                    const float* v = &current[y * rowValues];
                    for (size_t i = 0; i < rowValues; ++i) row[i] = static_cast<uint8_t>(ToUnorm(v[i], 255));
                });
                above.swap(current);
            }
            if (FAILED(hr)) return hr;
            width = desc.Width;
            height = desc.Height;
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
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
    filter = NormalFilter(filter);
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
    if (from + 1 >= texture->GetLevelCount()) return D3D_OK;
    D3DSURFACE_DESC desc;
    if (SUCCEEDED(texture->GetLevelDesc(from, &desc)) && IsByteFormat(desc.Format)) {
        std::vector<uint8_t> storage;
        Texels8 top;
        if (!ReadTexels(texture, from, storage, top)) return D3DERR_INVALIDCALL;
        return FilterTexels(texture, from, top, filter);
    }
    Image current;
    if (!ReadLevel(texture, from, current)) return D3DERR_INVALIDCALL;
    return FilterImage(texture, from, std::move(current), filter);
}

Image ToImage(const Texels8& texels) {
    const auto& values = ByteValues();
    Image image;
    image.width = texels.width;
    image.height = texels.height;
    image.rgba.resize(size_t(texels.width) * texels.height * 4);
    for (size_t i = 0; i < image.rgba.size(); i += 4) {
        const uint8_t* p = texels.bgra + i;
        image.rgba[i] = values[p[2]];
        image.rgba[i + 1] = values[p[1]];
        image.rgba[i + 2] = values[p[0]];
        image.rgba[i + 3] = values[p[3]];
    }
    return image;
}

bool CanResampleTexels(UINT sourceWidth, UINT sourceHeight, UINT width, UINT height, DWORD filter) {
    filter = NormalFilter(filter);
    return (sourceWidth == width && sourceHeight == height) || filter == D3DX_FILTER_NONE ||
           filter == D3DX_FILTER_POINT;
}

Texels8 ResampleTexels(const Texels8& source, UINT width, UINT height, DWORD filter, std::vector<uint8_t>& storage) {
    if (source.width == width && source.height == height) return source;
    const size_t rowBytes = size_t(width) * 4;
    storage.assign(rowBytes * height, 0);
    if (NormalFilter(filter) == D3DX_FILTER_NONE) {
        // The top-left corner; the rest stays transparent black.
        for (UINT y = 0; y < std::min(height, source.height); ++y)
            std::memcpy(&storage[y * rowBytes], source.bgra + size_t(y) * source.width * 4,
                        size_t(std::min(width, source.width)) * 4);
    } else {
        const auto xs = PointIndices(source.width, width), ys = PointIndices(source.height, height);
        for (UINT y = 0; y < height; ++y) PickRow(source, xs, ys[y], &storage[y * rowBytes]);
    }
    return {storage.data(), width, height};
}

HRESULT FillLevels(IDirect3DTexture9* texture, UINT from, const Texels8& top, DWORD filter) {
    D3DSURFACE_DESC desc;
    HRESULT hr = texture->GetLevelDesc(from, &desc);
    if (FAILED(hr)) return hr;
    if (!IsByteFormat(desc.Format)) return FillLevels(texture, from, ToImage(top), filter);
    const size_t rowBytes = size_t(top.width) * 4;
    hr = WriteRows(texture, from, top.width, top.height,
                   [&](uint8_t* row, UINT y) { std::memcpy(row, top.bgra + y * rowBytes, rowBytes); });
    if (FAILED(hr)) return hr;
    return FilterTexels(texture, from, top, filter);
}

HRESULT FillLevels(IDirect3DTexture9* texture, UINT from, const Image& top, DWORD filter) {
    const HRESULT hr = WriteLevel(texture, from, top);
    if (FAILED(hr)) return hr;
    return FilterImage(texture, from, top, filter);
}

}  // namespace orv::d3dx9
