// Vertex declarations and FVF codes, turned into attribute bindings.
#include <set>

#include "platform/d3d9/device_impl.h"
#include "platform/d3d9/gl_internal.h"

namespace orv::d3d9 {

namespace {

struct TypeInfo {
    GLint size;
    GLenum type;
    GLboolean normalized;
    UINT bytes;
};

bool TypeOf(BYTE type, TypeInfo& info) {
    switch (type) {
    case D3DDECLTYPE_FLOAT1: info = {1, GL_FLOAT, GL_FALSE, 4}; return true;
    case D3DDECLTYPE_FLOAT2: info = {2, GL_FLOAT, GL_FALSE, 8}; return true;
    case D3DDECLTYPE_FLOAT3: info = {3, GL_FLOAT, GL_FALSE, 12}; return true;
    case D3DDECLTYPE_FLOAT4: info = {4, GL_FLOAT, GL_FALSE, 16}; return true;
    // B, G, R, A bytes: GL_BGRA as the size makes the shader see r, g, b, a.
    case D3DDECLTYPE_D3DCOLOR: info = {GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 4}; return true;
    case D3DDECLTYPE_UBYTE4: info = {4, GL_UNSIGNED_BYTE, GL_FALSE, 4}; return true;
    case D3DDECLTYPE_SHORT2: info = {2, GL_SHORT, GL_FALSE, 4}; return true;
    case D3DDECLTYPE_SHORT4: info = {4, GL_SHORT, GL_FALSE, 8}; return true;
    case D3DDECLTYPE_UBYTE4N: info = {4, GL_UNSIGNED_BYTE, GL_TRUE, 4}; return true;
    default: return false;
    }
}

// The attribute location of a usage, or -1 for one no shader reads.
int LocationOf(BYTE usage, BYTE index) {
    switch (usage) {
    case D3DDECLUSAGE_POSITION:
    case D3DDECLUSAGE_POSITIONT: return index == 0 ? ORV_POSITION : -1;
    case D3DDECLUSAGE_BLENDWEIGHT: return index == 0 ? ORV_BLENDWEIGHT : -1;
    case D3DDECLUSAGE_BLENDINDICES: return index == 0 ? ORV_BLENDINDICES : -1;
    case D3DDECLUSAGE_NORMAL: return index == 0 ? ORV_NORMAL : -1;
    case D3DDECLUSAGE_TEXCOORD: return index < 8 ? ORV_TEXCOORD0 + index : -1;
    case D3DDECLUSAGE_COLOR: return index == 0 ? ORV_COLOR0 : index == 1 ? ORV_COLOR1 : -1;
    case D3DDECLUSAGE_TANGENT: return index == 0 ? ORV_TANGENT : -1;
    case D3DDECLUSAGE_BINORMAL: return index == 0 ? ORV_BINORMAL : -1;
    default: return -1;
    }
}

}  // namespace

bool BuildLayout(const D3DVERTEXELEMENT9* source, std::vector<D3DVERTEXELEMENT9>& elements, VertexLayout& layout) {
    elements.clear();
    layout = VertexLayout{};
    if (!source) return false;
    std::set<int> seen;
    for (int i = 0; i <= MAXD3DDECLLENGTH; ++i) {
        const D3DVERTEXELEMENT9& e = source[i];
        elements.push_back(e);
        if (e.Stream == 0xFF) return e.Type == D3DDECLTYPE_UNUSED;
        TypeInfo type;
        if (e.Stream >= 16 || e.Method != D3DDECLMETHOD_DEFAULT || !TypeOf(e.Type, type)) return false;
        if (!seen.insert(e.Usage << 8 | e.UsageIndex).second) return false;
        if (e.Usage == D3DDECLUSAGE_POSITIONT) layout.pretransformed = true;
        if (e.Usage == D3DDECLUSAGE_TEXCOORD && e.UsageIndex == 0) layout.hasTexCoord0 = true;
        const int location = LocationOf(e.Usage, e.UsageIndex);
        if (location >= 0)
            layout.attributes.push_back({e.Stream, e.Offset, type.size, type.type, type.normalized,
                                         static_cast<GLuint>(location), type.bytes});
    }
    return false;  // no end marker within the longest declaration
}

bool FvfElements(DWORD fvf, std::vector<D3DVERTEXELEMENT9>& elements, UINT& stride) {
    constexpr DWORD kKnown = D3DFVF_POSITION_MASK | D3DFVF_NORMAL | D3DFVF_PSIZE | D3DFVF_DIFFUSE | D3DFVF_SPECULAR |
                             D3DFVF_TEXCOUNT_MASK | D3DFVF_LASTBETA_UBYTE4 | 0xFFFF0000u;
    if (fvf & ~kKnown) return false;
    elements.clear();
    WORD offset = 0;
    auto add = [&](BYTE type, BYTE usage, BYTE index) {
        elements.push_back({0, offset, type, D3DDECLMETHOD_DEFAULT, usage, index});
        TypeInfo info{};
        TypeOf(type, info);
        offset = static_cast<WORD>(offset + info.bytes);
    };
    const DWORD position = fvf & D3DFVF_POSITION_MASK;
    if (position == D3DFVF_XYZRHW) {
        add(D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITIONT, 0);
    } else if (position != 0) {
        add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0);
        if (position >= D3DFVF_XYZB1) {
            const int betas = static_cast<int>((position - D3DFVF_XYZB1) / 2 + 1);
            const bool indices = (fvf & D3DFVF_LASTBETA_UBYTE4) != 0;
            const int weights = betas - (indices ? 1 : 0);
            if (weights > 4) return false;
            if (weights > 0) add(static_cast<BYTE>(D3DDECLTYPE_FLOAT1 + weights - 1), D3DDECLUSAGE_BLENDWEIGHT, 0);
            if (indices) add(D3DDECLTYPE_UBYTE4, D3DDECLUSAGE_BLENDINDICES, 0);
        }
    }
    if (fvf & D3DFVF_NORMAL) add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0);
    if (fvf & D3DFVF_PSIZE) add(D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_PSIZE, 0);
    if (fvf & D3DFVF_DIFFUSE) add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0);
    if (fvf & D3DFVF_SPECULAR) add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1);
    const DWORD texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (texCount > 8) return false;
    for (DWORD i = 0; i < texCount; ++i) {
        static constexpr BYTE kSizes[4] = {D3DDECLTYPE_FLOAT2, D3DDECLTYPE_FLOAT3, D3DDECLTYPE_FLOAT4,
                                           D3DDECLTYPE_FLOAT1};
        add(kSizes[(fvf >> (16 + 2 * i)) & 3], D3DDECLUSAGE_TEXCOORD, static_cast<BYTE>(i));
    }
    elements.push_back(D3DDECL_END());
    stride = offset;
    return true;
}

DeclarationImpl::DeclarationImpl(DeviceImpl* device) : Resource(device) {}

HRESULT DeclarationImpl::Create(DeviceImpl* device, const D3DVERTEXELEMENT9* elements,
                                DeclarationImpl** declaration) {
    if (!declaration) return D3DERR_INVALIDCALL;
    *declaration = nullptr;
    std::vector<D3DVERTEXELEMENT9> copy;
    VertexLayout layout;
    if (!BuildLayout(elements, copy, layout)) return D3DERR_INVALIDCALL;
    auto* created = new DeclarationImpl(device);
    created->elements_ = std::move(copy);
    created->layout_ = std::move(layout);
    *declaration = created;
    return D3D_OK;
}

HRESULT DeclarationImpl::GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* count) {
    if (!count) return D3DERR_INVALIDCALL;
    *count = static_cast<UINT>(elements_.size());
    if (elements) std::copy(elements_.begin(), elements_.end(), elements);
    return D3D_OK;
}

}  // namespace orv::d3d9
