// Render states, sampler states and the bindings of textures, shaders,
// declarations and buffers.
#include <cstring>

#include "platform/d3d9/device_impl.h"

namespace orv::d3d9 {

namespace {

DWORD FloatBits(float value) {
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

GLenum CompareFunc(DWORD value) {
    switch (value) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    case D3DCMP_ALWAYS: return GL_ALWAYS;
    default: return GL_LEQUAL;
    }
}

GLenum BlendFactor(DWORD value, GLenum fallback) {
    switch (value) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    default: return fallback;
    }
}

GLenum BlendEquation(DWORD value) {
    switch (value) {
    case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN: return GL_MIN;
    case D3DBLENDOP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
    }
}

GLint AddressMode(DWORD value) {
    switch (value) {
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    // Mirroring once needs GL 4.4; mirroring on repeat agrees inside -1..2.
    case D3DTADDRESS_MIRRORONCE: return GL_MIRRORED_REPEAT;
    default: return GL_REPEAT;
    }
}

GLint MinFilter(DWORD minFilter, DWORD mipFilter) {
    const bool linear = minFilter == D3DTEXF_LINEAR || minFilter == D3DTEXF_ANISOTROPIC;
    switch (mipFilter) {
    case D3DTEXF_POINT: return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    case D3DTEXF_LINEAR:
    case D3DTEXF_ANISOTROPIC: return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    default: return linear ? GL_LINEAR : GL_NEAREST;  // level 0 only
    }
}

}  // namespace

void DeviceImpl::ApplyDefaultStates() {
    struct Default {
        D3DRENDERSTATETYPE state;
        DWORD value;
    };
    const Default defaults[] = {
        {D3DRS_ZENABLE, autoDepth_ ? DWORD(D3DZB_TRUE) : DWORD(D3DZB_FALSE)},
        {D3DRS_FILLMODE, D3DFILL_SOLID},
        {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
        {D3DRS_ZWRITEENABLE, TRUE},
        {D3DRS_ALPHATESTENABLE, FALSE},
        {D3DRS_SRCBLEND, D3DBLEND_ONE},
        {D3DRS_DESTBLEND, D3DBLEND_ZERO},
        {D3DRS_CULLMODE, D3DCULL_CCW},
        {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
        {D3DRS_ALPHAREF, 0},
        {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
        {D3DRS_ALPHABLENDENABLE, FALSE},
        {D3DRS_FOGENABLE, FALSE},
        {D3DRS_FOGCOLOR, 0},
        {D3DRS_FOGTABLEMODE, D3DFOG_NONE},
        {D3DRS_FOGSTART, FloatBits(0.f)},
        {D3DRS_FOGEND, FloatBits(1.f)},
        {D3DRS_FOGDENSITY, FloatBits(1.f)},
        {D3DRS_LIGHTING, TRUE},
        {D3DRS_FOGVERTEXMODE, D3DFOG_NONE},
        {D3DRS_COLORWRITEENABLE, 0xF},
        {D3DRS_BLENDOP, D3DBLENDOP_ADD},
    };
    for (const Default& d : defaults) {
        renderStates_[d.state] = d.value;
        ApplyRenderState(d.state);
    }
}

HRESULT DeviceImpl::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (static_cast<DWORD>(state) >= kRenderStates) return D3DERR_INVALIDCALL;
    if (renderStates_[state] == value) return D3D_OK;
    renderStates_[state] = value;
    MakeCurrent();
    ApplyRenderState(state);
    return D3D_OK;
}

HRESULT DeviceImpl::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    if (!value || static_cast<DWORD>(state) >= kRenderStates) return D3DERR_INVALIDCALL;
    *value = renderStates_[state];
    return D3D_OK;
}

// States GL keeps are set here; fog and alpha test go to the programs as
// uniforms at each draw.
void DeviceImpl::ApplyRenderState(DWORD state) {
    const DWORD value = renderStates_[state];
    switch (state) {
    case D3DRS_ZENABLE:
        if (value) glEnable(GL_DEPTH_TEST);
        else glDisable(GL_DEPTH_TEST);
        break;
    case D3DRS_ZWRITEENABLE: glDepthMask(value ? GL_TRUE : GL_FALSE); break;
    case D3DRS_ZFUNC: glDepthFunc(CompareFunc(value)); break;
    case D3DRS_ALPHABLENDENABLE:
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND:
    case D3DRS_BLENDOP: ApplyBlend(); break;
    case D3DRS_CULLMODE:
        // GL's front faces are Direct3D's clockwise ones (see Initialize).
        if (value == D3DCULL_NONE) {
            glDisable(GL_CULL_FACE);
        } else {
            glEnable(GL_CULL_FACE);
            glCullFace(value == D3DCULL_CW ? GL_FRONT : GL_BACK);
        }
        break;
    case D3DRS_FILLMODE:
        glPolygonMode(GL_FRONT_AND_BACK,
                      value == D3DFILL_POINT ? GL_POINT : value == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL);
        break;
    case D3DRS_COLORWRITEENABLE: ApplyColorMask(); break;
    default: break;
    }
}

// Blending one / zero with an add writes the source as it is: GL is told
// blending is off, so the rasterizer neither reads the target nor mixes, and
// can treat an opaque pass as one that replaces whole tiles.
void DeviceImpl::ApplyBlend() {
    const GLenum source = BlendFactor(renderStates_[D3DRS_SRCBLEND], GL_ONE);
    const GLenum destination = BlendFactor(renderStates_[D3DRS_DESTBLEND], GL_ZERO);
    const GLenum equation = BlendEquation(renderStates_[D3DRS_BLENDOP]);
    glBlendFunc(source, destination);
    glBlendEquation(equation);
    const bool replaces = source == GL_ONE && destination == GL_ZERO && equation == GL_FUNC_ADD;
    if (renderStates_[D3DRS_ALPHABLENDENABLE] && !replaces) glEnable(GL_BLEND);
    else glDisable(GL_BLEND);
}

void DeviceImpl::ApplyColorMask() {
    const DWORD mask = renderStates_[D3DRS_COLORWRITEENABLE];
    // A target without alpha keeps the alpha of 1 its clear wrote.
    const bool alpha = (mask & D3DCOLORWRITEENABLE_ALPHA) && renderTarget_->Format().swizzle[3] != GL_ONE;
    glColorMask((mask & D3DCOLORWRITEENABLE_RED) ? GL_TRUE : GL_FALSE,
                (mask & D3DCOLORWRITEENABLE_GREEN) ? GL_TRUE : GL_FALSE,
                (mask & D3DCOLORWRITEENABLE_BLUE) ? GL_TRUE : GL_FALSE, alpha ? GL_TRUE : GL_FALSE);
}

HRESULT DeviceImpl::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    if (sampler >= kStages) return D3DERR_INVALIDCALL;
    Sampler& s = samplers_[sampler];
    switch (type) {
    case D3DSAMP_ADDRESSU: s.addressU = value; break;
    case D3DSAMP_ADDRESSV: s.addressV = value; break;
    case D3DSAMP_ADDRESSW: s.addressW = value; break;
    case D3DSAMP_BORDERCOLOR: s.borderColor = value; break;
    case D3DSAMP_MAGFILTER: s.magFilter = value; break;
    case D3DSAMP_MINFILTER: s.minFilter = value; break;
    case D3DSAMP_MIPFILTER: s.mipFilter = value; break;
    default: return D3DERR_INVALIDCALL;
    }
    MakeCurrent();
    ApplySampler(sampler);
    return D3D_OK;
}

HRESULT DeviceImpl::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
    if (!value || sampler >= kStages) return D3DERR_INVALIDCALL;
    const Sampler& s = samplers_[sampler];
    switch (type) {
    case D3DSAMP_ADDRESSU: *value = s.addressU; break;
    case D3DSAMP_ADDRESSV: *value = s.addressV; break;
    case D3DSAMP_ADDRESSW: *value = s.addressW; break;
    case D3DSAMP_BORDERCOLOR: *value = s.borderColor; break;
    case D3DSAMP_MAGFILTER: *value = s.magFilter; break;
    case D3DSAMP_MINFILTER: *value = s.minFilter; break;
    case D3DSAMP_MIPFILTER: *value = s.mipFilter; break;
    default: return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

// Stage i's states live in sampler object i, bound to texture unit i, so they
// apply to whatever texture the stage holds.
void DeviceImpl::ApplySampler(UINT stage) {
    const Sampler& s = samplers_[stage];
    const GLuint name = s.name;
    const bool linearMag = s.magFilter == D3DTEXF_LINEAR || s.magFilter == D3DTEXF_ANISOTROPIC;
    glSamplerParameteri(name, GL_TEXTURE_MAG_FILTER, linearMag ? GL_LINEAR : GL_NEAREST);
    glSamplerParameteri(name, GL_TEXTURE_MIN_FILTER, MinFilter(s.minFilter, s.mipFilter));
    glSamplerParameteri(name, GL_TEXTURE_WRAP_S, AddressMode(s.addressU));
    glSamplerParameteri(name, GL_TEXTURE_WRAP_T, AddressMode(s.addressV));
    glSamplerParameteri(name, GL_TEXTURE_WRAP_R, AddressMode(s.addressW));
    const DWORD c = s.borderColor;
    const GLfloat border[4] = {((c >> 16) & 0xFF) / 255.f, ((c >> 8) & 0xFF) / 255.f, (c & 0xFF) / 255.f,
                               (c >> 24) / 255.f};
    glSamplerParameterfv(name, GL_TEXTURE_BORDER_COLOR, border);
}

HRESULT DeviceImpl::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    if (stage >= kStages) return D3DERR_INVALIDCALL;
    TextureImpl* impl = Own<TextureImpl>(this, texture);
    if (texture && (!impl || !impl->Name())) return D3DERR_INVALIDCALL;  // foreign, or system memory
    if (textures_[stage] == impl) return D3D_OK;
    Rebind(textures_[stage], impl);
    texturesDirty_ |= 1u << stage;
    return D3D_OK;
}

HRESULT DeviceImpl::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) {
    if (!texture || stage >= kStages) return D3DERR_INVALIDCALL;
    *texture = textures_[stage];
    if (textures_[stage]) textures_[stage]->AddRef();
    return D3D_OK;
}

HRESULT DeviceImpl::SetVertexShader(IDirect3DVertexShader9* shader) {
    if (shader) return D3DERR_INVALIDCALL;
    UseProgram(0);
    return D3D_OK;
}

HRESULT DeviceImpl::SetPixelShader(IDirect3DPixelShader9* shader) {
    if (shader) return D3DERR_INVALIDCALL;
    UseProgram(0);
    return D3D_OK;
}

HRESULT DeviceImpl::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) {
    DeclarationImpl* impl = Own<DeclarationImpl>(this, declaration);
    if (declaration && !impl) return D3DERR_INVALIDCALL;
    Rebind(declaration_, impl);
    fvf_ = 0;
    return D3D_OK;
}

HRESULT DeviceImpl::GetVertexDeclaration(IDirect3DVertexDeclaration9** declaration) {
    if (!declaration) return D3DERR_INVALIDCALL;
    *declaration = declaration_;
    if (declaration_) declaration_->AddRef();
    return D3D_OK;
}

HRESULT DeviceImpl::SetFVF(DWORD fvf) {
    if (fvf == 0) return D3D_OK;  // a declaration in use stays in use
    if (!fvfLayouts_.count(fvf)) {
        std::vector<D3DVERTEXELEMENT9> elements;
        UINT stride = 0;
        VertexLayout layout;
        if (!FvfElements(fvf, elements, stride)) return D3DERR_INVALIDCALL;
        std::vector<D3DVERTEXELEMENT9> copy;
        BuildLayout(elements.data(), copy, layout);
        layout.stride = stride;
        fvfLayouts_[fvf] = std::move(layout);
    }
    Rebind(declaration_, static_cast<DeclarationImpl*>(nullptr));
    fvf_ = fvf;
    return D3D_OK;
}

HRESULT DeviceImpl::GetFVF(DWORD* fvf) {
    if (!fvf) return D3DERR_INVALIDCALL;
    *fvf = fvf_;
    return D3D_OK;
}

HRESULT DeviceImpl::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) {
    if (stream >= kStreams) return D3DERR_INVALIDCALL;
    VertexBufferImpl* impl = Own<VertexBufferImpl>(this, buffer);
    if (buffer && !impl) return D3DERR_INVALIDCALL;
    Rebind(streams_[stream].buffer, impl);
    streams_[stream].offset = impl ? offset : 0;
    streams_[stream].stride = impl ? stride : 0;
    return D3D_OK;
}

HRESULT DeviceImpl::SetIndices(IDirect3DIndexBuffer9* buffer) {
    IndexBufferImpl* impl = Own<IndexBufferImpl>(this, buffer);
    if (buffer && !impl) return D3DERR_INVALIDCALL;
    Rebind(indices_, impl);
    return D3D_OK;
}

}  // namespace orv::d3d9
