// How each Direct3D format the device supports is stored in OpenGL, and which
// uses it allows. Platform-internal.
#pragma once
#include <GL/glcorearb.h>

#include "platform/d3d9/types.h"

namespace orv::d3d9 {

struct FormatInfo {
    D3DFORMAT format;
    GLenum internalFormat;
    GLenum pixelFormat;  // layout of locked bytes, as glTexSubImage2D reads them
    GLenum pixelType;
    UINT bytesPerPixel;
    bool renderTarget;
    bool depth;
    bool stencil;
    const GLint* swizzle;  // what a shader reads for r, g, b, a (4 values)
};

// Null for a format the device does not support.
const FormatInfo* FindFormat(D3DFORMAT format);

// Display and back-buffer formats.
bool IsDisplayFormat(D3DFORMAT format);

// The answer of IDirect3D9::CheckDeviceFormat for the default adapter.
HRESULT CheckFormat(D3DFORMAT adapterFormat, DWORD usage, D3DRESOURCETYPE type, D3DFORMAT format);

}  // namespace orv::d3d9
