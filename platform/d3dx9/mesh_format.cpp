// Vertex formats of meshes: FVF codes, declarations and element conversion.
#include <cmath>
#include <cstring>
#include <set>

#include "platform/d3d9/resources.h"
#include "platform/d3dx9/mesh_impl.h"

namespace orv::d3dx9 {

namespace {

constexpr DWORD kLastBetaColor = 0x8000u;  // D3DFVF_LASTBETA_D3DCOLOR

// The device's FVF layout, with blend indices read as a colour when asked.
bool DeclFromFvf(DWORD fvf, std::vector<D3DVERTEXELEMENT9>& out, UINT& stride) {
    const bool colourIndices = (fvf & kLastBetaColor) != 0;
    if (colourIndices) fvf = (fvf & ~kLastBetaColor) | D3DFVF_LASTBETA_UBYTE4;
    if (!orv::d3d9::FvfElements(fvf, out, stride)) return false;
    for (D3DVERTEXELEMENT9& e : out)
        if (colourIndices && e.Usage == D3DDECLUSAGE_BLENDINDICES && e.Stream != 0xFF) e.Type = D3DDECLTYPE_D3DCOLOR;
    return true;
}

bool FvfFromDecl(const std::vector<D3DVERTEXELEMENT9>& elements, DWORD& fvf) {
    fvf = 0;
    size_t i = 0;
    WORD offset = 0;
    auto next = [&](BYTE usage, BYTE index) -> const D3DVERTEXELEMENT9* {
        if (i < elements.size() && elements[i].Stream != 0xFF && elements[i].Usage == usage &&
            elements[i].UsageIndex == index && elements[i].Offset == offset)
            return &elements[i];
        return nullptr;
    };
    auto take = [&](const D3DVERTEXELEMENT9* e) {
        offset = static_cast<WORD>(offset + ElementSize(e->Type));
        ++i;
    };
    if (const D3DVERTEXELEMENT9* e = next(D3DDECLUSAGE_POSITIONT, 0)) {
        if (e->Type != D3DDECLTYPE_FLOAT4) return false;
        fvf |= D3DFVF_XYZRHW;
        take(e);
    } else if (const D3DVERTEXELEMENT9* p = next(D3DDECLUSAGE_POSITION, 0)) {
        if (p->Type != D3DDECLTYPE_FLOAT3) return false;
        take(p);
        UINT betas = 0;
        if (const D3DVERTEXELEMENT9* w = next(D3DDECLUSAGE_BLENDWEIGHT, 0)) {
            if (w->Type > D3DDECLTYPE_FLOAT4) return false;
            betas = w->Type - D3DDECLTYPE_FLOAT1 + 1;
            take(w);
        }
        if (const D3DVERTEXELEMENT9* b = next(D3DDECLUSAGE_BLENDINDICES, 0)) {
            if (b->Type == D3DDECLTYPE_UBYTE4) fvf |= D3DFVF_LASTBETA_UBYTE4;
            else if (b->Type == D3DDECLTYPE_D3DCOLOR) fvf |= kLastBetaColor;
            else return false;
            ++betas;
            take(b);
        }
        fvf |= betas ? D3DFVF_XYZB1 + 2 * (betas - 1) : D3DFVF_XYZ;
    }
    auto fixed = [&](BYTE usage, BYTE index, BYTE type, DWORD bit) {
        if (const D3DVERTEXELEMENT9* e = next(usage, index)) {
            if (e->Type != type) return false;
            fvf |= bit;
            take(e);
        }
        return true;
    };
    if (!fixed(D3DDECLUSAGE_NORMAL, 0, D3DDECLTYPE_FLOAT3, D3DFVF_NORMAL) ||
        !fixed(D3DDECLUSAGE_PSIZE, 0, D3DDECLTYPE_FLOAT1, D3DFVF_PSIZE) ||
        !fixed(D3DDECLUSAGE_COLOR, 0, D3DDECLTYPE_D3DCOLOR, D3DFVF_DIFFUSE) ||
        !fixed(D3DDECLUSAGE_COLOR, 1, D3DDECLTYPE_D3DCOLOR, D3DFVF_SPECULAR))
        return false;
    UINT tex = 0;
    while (const D3DVERTEXELEMENT9* t = next(D3DDECLUSAGE_TEXCOORD, static_cast<BYTE>(tex))) {
        if (t->Type > D3DDECLTYPE_FLOAT4) return false;
        static constexpr DWORD kFormats[4] = {D3DFVF_TEXTUREFORMAT1, D3DFVF_TEXTUREFORMAT2, D3DFVF_TEXTUREFORMAT3,
                                              D3DFVF_TEXTUREFORMAT4};
        fvf |= kFormats[t->Type - D3DDECLTYPE_FLOAT1] << (16 + 2 * tex);
        ++tex;
        take(t);
    }
    fvf |= tex << D3DFVF_TEXCOUNT_SHIFT;
    return i < elements.size() && elements[i].Stream == 0xFF;
}

}  // namespace

const D3DVERTEXELEMENT9* VertexFormat::Find(BYTE usage, BYTE index) const {
    for (const D3DVERTEXELEMENT9& e : elements) {
        if (e.Stream == 0xFF) break;
        if (e.Usage == usage && e.UsageIndex == index) return &e;
    }
    return nullptr;
}

UINT ElementSize(BYTE type) {
    switch (type) {
    case D3DDECLTYPE_FLOAT1: return 4;
    case D3DDECLTYPE_FLOAT2: return 8;
    case D3DDECLTYPE_FLOAT3: return 12;
    case D3DDECLTYPE_FLOAT4: return 16;
    case D3DDECLTYPE_D3DCOLOR:
    case D3DDECLTYPE_UBYTE4:
    case D3DDECLTYPE_UBYTE4N:
    case D3DDECLTYPE_SHORT2: return 4;
    case D3DDECLTYPE_SHORT4: return 8;
    default: return 0;
    }
}

bool MakeFormat(const D3DVERTEXELEMENT9* declaration, VertexFormat& format) {
    if (!declaration) return false;
    format = VertexFormat{};
    std::set<int> seen;
    UINT end = 0;
    for (int i = 0; i <= MAXD3DDECLLENGTH; ++i) {
        const D3DVERTEXELEMENT9& e = declaration[i];
        format.elements.push_back(e);
        if (e.Stream == 0xFF) {
            if (e.Type != D3DDECLTYPE_UNUSED || i == 0) return false;
            format.stride = end;
            if (!FvfFromDecl(format.elements, format.fvf)) format.fvf = 0;
            return true;
        }
        const UINT size = ElementSize(e.Type);
        if (e.Stream != 0 || size == 0 || e.Method != D3DDECLMETHOD_DEFAULT || e.Offset % 4 != 0 ||
            !seen.insert(e.Usage << 8 | e.UsageIndex).second)
            return false;
        end = std::max(end, UINT(e.Offset) + size);
    }
    return false;
}

bool MakeFormatFromFvf(DWORD fvf, VertexFormat& format) {
    std::vector<D3DVERTEXELEMENT9> elements;
    UINT stride = 0;
    return DeclFromFvf(fvf, elements, stride) && stride > 0 && MakeFormat(elements.data(), format);
}

void ReadElement(BYTE type, const uint8_t* p, float v[4]) {
    v[0] = v[1] = v[2] = 0.0f;
    v[3] = 1.0f;
    switch (type) {
    case D3DDECLTYPE_FLOAT1:
    case D3DDECLTYPE_FLOAT2:
    case D3DDECLTYPE_FLOAT3:
    case D3DDECLTYPE_FLOAT4: std::memcpy(v, p, ElementSize(type)); return;
    case D3DDECLTYPE_D3DCOLOR:
        v[0] = p[2] / 255.0f, v[1] = p[1] / 255.0f, v[2] = p[0] / 255.0f, v[3] = p[3] / 255.0f;
        return;
    case D3DDECLTYPE_UBYTE4:
        for (int i = 0; i < 4; ++i) v[i] = p[i];
        return;
    case D3DDECLTYPE_UBYTE4N:
        for (int i = 0; i < 4; ++i) v[i] = p[i] / 255.0f;
        return;
    case D3DDECLTYPE_SHORT2:
    case D3DDECLTYPE_SHORT4: {
        const int n = type == D3DDECLTYPE_SHORT2 ? 2 : 4;
        for (int i = 0; i < n; ++i) {
            int16_t s;
            std::memcpy(&s, p + 2 * i, 2);
            v[i] = s;
        }
        return;
    }
    default: return;
    }
}

void WriteElement(BYTE type, const float v[4], uint8_t* p) {
    auto unorm = [](float f) {
        return static_cast<uint8_t>(!(f > 0) ? 0 : f >= 1 ? 255 : static_cast<int>(f * 255.0f + 0.5f));
    };
    auto byte = [](float f) { return static_cast<uint8_t>(!(f > 0) ? 0 : f >= 255 ? 255 : std::lround(f)); };
    switch (type) {
    case D3DDECLTYPE_FLOAT1:
    case D3DDECLTYPE_FLOAT2:
    case D3DDECLTYPE_FLOAT3:
    case D3DDECLTYPE_FLOAT4: std::memcpy(p, v, ElementSize(type)); return;
    case D3DDECLTYPE_D3DCOLOR:
        p[0] = unorm(v[2]), p[1] = unorm(v[1]), p[2] = unorm(v[0]), p[3] = unorm(v[3]);
        return;
    case D3DDECLTYPE_UBYTE4:
        for (int i = 0; i < 4; ++i) p[i] = byte(v[i]);
        return;
    case D3DDECLTYPE_UBYTE4N:
        for (int i = 0; i < 4; ++i) p[i] = unorm(v[i]);
        return;
    case D3DDECLTYPE_SHORT2:
    case D3DDECLTYPE_SHORT4: {
        const int n = type == D3DDECLTYPE_SHORT2 ? 2 : 4;
        for (int i = 0; i < n; ++i) {
            const float c = std::fmax(-32768.0f, std::fmin(32767.0f, v[i]));
            const int16_t s = static_cast<int16_t>(std::lround(std::isnan(c) ? 0.0f : c));
            std::memcpy(p + 2 * i, &s, 2);
        }
        return;
    }
    default: return;
    }
}

}  // namespace orv::d3dx9

using orv::d3dx9::VertexFormat;

HRESULT WINAPI D3DXDeclaratorFromFVF(DWORD FVF, D3DVERTEXELEMENT9 pDeclarator[MAX_FVF_DECL_SIZE]) {
    if (!pDeclarator) return D3DERR_INVALIDCALL;
    VertexFormat format;
    if (!orv::d3dx9::MakeFormatFromFvf(FVF, format)) return D3DERR_INVALIDCALL;
    std::memcpy(pDeclarator, format.elements.data(), format.elements.size() * sizeof(D3DVERTEXELEMENT9));
    return D3D_OK;
}

HRESULT WINAPI D3DXFVFFromDeclarator(const D3DVERTEXELEMENT9* pDeclarator, DWORD* pFVF) {
    if (!pDeclarator || !pFVF) return D3DERR_INVALIDCALL;
    VertexFormat format;
    if (!orv::d3dx9::MakeFormat(pDeclarator, format) || format.fvf == 0) return D3DERR_INVALIDCALL;
    *pFVF = format.fvf;
    return D3D_OK;
}

UINT WINAPI D3DXGetFVFVertexSize(DWORD FVF) {
    VertexFormat format;
    return orv::d3dx9::MakeFormatFromFvf(FVF, format) ? format.stride : 0;
}

UINT WINAPI D3DXGetDeclVertexSize(const D3DVERTEXELEMENT9* pDecl, DWORD Stream) {
    if (!pDecl) return 0;
    UINT end = 0;
    for (int i = 0; i <= MAXD3DDECLLENGTH && pDecl[i].Stream != 0xFF; ++i)
        if (pDecl[i].Stream == Stream)
            end = std::max(end, UINT(pDecl[i].Offset) + orv::d3dx9::ElementSize(pDecl[i].Type));
    return end;
}

UINT WINAPI D3DXGetDeclLength(const D3DVERTEXELEMENT9* pDecl) {
    if (!pDecl) return 0;
    UINT n = 0;
    while (n <= MAXD3DDECLLENGTH && pDecl[n].Stream != 0xFF) ++n;
    return n;
}
