#include "platform/d3d9/formats.h"

namespace orv::d3d9 {
namespace {

constexpr GLint kRGBA[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
// Direct3D 9 reads channels a format lacks as 1.
constexpr GLint kRGB1[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ONE};
constexpr GLint kRG11[4] = {GL_RED, GL_GREEN, GL_ONE, GL_ONE};
constexpr GLint kR111[4] = {GL_RED, GL_ONE, GL_ONE, GL_ONE};

// A8R8G8B8 is B, G, R, A in memory: GL_BGRA with bytes reads it as it is. The
// packed 16-bit formats keep Direct3D's bit order in GL's packed types.
constexpr FormatInfo kFormats[] = {
    {D3DFMT_A8R8G8B8, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, 4, true, false, false, kRGBA},
    {D3DFMT_X8R8G8B8, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, 4, true, false, false, kRGB1},
    {D3DFMT_R5G6B5, GL_RGB5, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, 2, false, false, false, kRGB1},
    {D3DFMT_X1R5G5B5, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2, false, false, false, kRGB1},
    {D3DFMT_A1R5G5B5, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2, false, false, false, kRGBA},
    {D3DFMT_R16F, GL_R16F, GL_RED, GL_HALF_FLOAT, 2, true, false, false, kR111},
    {D3DFMT_G16R16F, GL_RG16F, GL_RG, GL_HALF_FLOAT, 4, true, false, false, kRG11},
    {D3DFMT_A16B16G16R16F, GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT, 8, true, false, false, kRGBA},
    {D3DFMT_R32F, GL_R32F, GL_RED, GL_FLOAT, 4, true, false, false, kR111},
    // Depth formats: 32-bit depth and the small-stencil ones have no GL 3.3
    // counterpart that is sure to exist, so they are not offered.
    {D3DFMT_D24S8, GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, 4, false, true, true, kRGBA},
    {D3DFMT_D24X8, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, 4, false, true, false, kRGBA},
    {D3DFMT_D16, GL_DEPTH_COMPONENT16, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, 2, false, true, false, kRGBA},
};

}  // namespace

const FormatInfo* FindFormat(D3DFORMAT format) {
    for (const FormatInfo& info : kFormats)
        if (info.format == format) return &info;
    return nullptr;
}

bool IsDisplayFormat(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8;
}

HRESULT CheckFormat(D3DFORMAT adapterFormat, DWORD usage, D3DRESOURCETYPE type, D3DFORMAT format) {
    if (!IsDisplayFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
    const FormatInfo* info = FindFormat(format);
    if (!info) return D3DERR_NOTAVAILABLE;
    const bool surfaceOrTexture = type == D3DRTYPE_SURFACE || type == D3DRTYPE_TEXTURE;
    bool ok;
    if (usage & D3DUSAGE_DEPTHSTENCIL)
        ok = info->depth && type == D3DRTYPE_SURFACE && !(usage & D3DUSAGE_RENDERTARGET);
    else if (usage & D3DUSAGE_RENDERTARGET)
        ok = info->renderTarget && surfaceOrTexture;
    else
        ok = !info->depth && surfaceOrTexture;
    return ok ? D3D_OK : D3DERR_NOTAVAILABLE;
}

}  // namespace orv::d3d9
