// Skins: bones with offsets and weighted vertices, software skinning and the
// conversion to palette-skinned meshes in bone combinations.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <set>
#include <string>

#include "platform/d3dx9/effect_refcounted.h"
#include "platform/d3dx9/mesh_impl.h"
#include "platform/d3dx9/texture_image.h"

namespace {

using orv::d3dx9::MeshArrays;
using orv::d3dx9::VertexFormat;

struct Bone {
    std::string name;
    bool named = false;
    D3DXMATRIX offset{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::vector<DWORD> vertices;
    std::vector<float> weights;
};

struct Influence {
    DWORD bone;
    float weight;
};

class SkinInfo final : public orv::d3dx9::RefCounted<ID3DXSkinInfo> {
public:
    SkinInfo(DWORD vertices, const VertexFormat& format, DWORD bones)
        : numVertices_(vertices), format_(format), bones_(bones) {}

    HRESULT STDMETHODCALLTYPE SetBoneInfluence(DWORD bone, DWORD count, const DWORD* vertices,
                                               const FLOAT* weights) override {
        if (bone >= bones_.size() || (count && (!vertices || !weights))) return D3DERR_INVALIDCALL;
        for (DWORD i = 0; i < count; ++i)
            if (vertices[i] >= numVertices_ || !std::isfinite(weights[i]) || weights[i] < 0) {
                orv::d3dx9::LogError("skin: bone %u influence on vertex %u (of %u) with weight %g refused", bone,
                                     vertices[i], numVertices_, double(weights[i]));
                return D3DXERR_INVALIDDATA;
            }
        try {
            bones_[bone].vertices.assign(vertices, vertices + count);
            bones_[bone].weights.assign(weights, weights + count);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return D3D_OK;
    }
    DWORD STDMETHODCALLTYPE GetNumBoneInfluences(DWORD bone) override {
        return bone < bones_.size() ? static_cast<DWORD>(bones_[bone].vertices.size()) : 0;
    }
    HRESULT STDMETHODCALLTYPE GetBoneInfluence(DWORD bone, DWORD* vertices, FLOAT* weights) override {
        if (bone >= bones_.size() || !vertices || !weights) return D3DERR_INVALIDCALL;
        std::copy(bones_[bone].vertices.begin(), bones_[bone].vertices.end(), vertices);
        std::copy(bones_[bone].weights.begin(), bones_[bone].weights.end(), weights);
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMaxVertexInfluences(DWORD* max) override {
        if (!max) return D3DERR_INVALIDCALL;
        std::vector<DWORD> counts(numVertices_, 0);
        for (const Bone& b : bones_)
            for (size_t i = 0; i < b.vertices.size(); ++i)
                if (b.weights[i] > 0) ++counts[b.vertices[i]];
        *max = counts.empty() ? 0 : *std::max_element(counts.begin(), counts.end());
        return D3D_OK;
    }
    DWORD STDMETHODCALLTYPE GetNumBones() override { return static_cast<DWORD>(bones_.size()); }
    HRESULT STDMETHODCALLTYPE SetBoneName(DWORD bone, LPCSTR name) override {
        if (bone >= bones_.size() || !name) return D3DERR_INVALIDCALL;
        bones_[bone].name = name;
        bones_[bone].named = true;
        return D3D_OK;
    }
    LPCSTR STDMETHODCALLTYPE GetBoneName(DWORD bone) override {
        return bone < bones_.size() && bones_[bone].named ? bones_[bone].name.c_str() : nullptr;
    }
    HRESULT STDMETHODCALLTYPE SetBoneOffsetMatrix(DWORD bone, const D3DXMATRIX* m) override {
        if (bone >= bones_.size() || !m) return D3DERR_INVALIDCALL;
        bones_[bone].offset = *m;
        return D3D_OK;
    }
    D3DXMATRIX* STDMETHODCALLTYPE GetBoneOffsetMatrix(DWORD bone) override {
        return bone < bones_.size() ? &bones_[bone].offset : nullptr;
    }
    HRESULT STDMETHODCALLTYPE GetDeclaration(D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]) override {
        if (!declaration) return D3DERR_INVALIDCALL;
        std::memcpy(declaration, format_.elements.data(), format_.elements.size() * sizeof(D3DVERTEXELEMENT9));
        return D3D_OK;
    }
    DWORD STDMETHODCALLTYPE GetFVF() override { return format_.fvf; }
    HRESULT STDMETHODCALLTYPE SetDeclaration(const D3DVERTEXELEMENT9* declaration) override {
        VertexFormat format;
        if (!orv::d3dx9::MakeFormat(declaration, format)) return D3DERR_INVALIDCALL;
        format_ = std::move(format);
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE SetFVF(DWORD fvf) override {
        VertexFormat format;
        if (!orv::d3dx9::MakeFormatFromFvf(fvf, format)) return D3DERR_INVALIDCALL;
        format_ = std::move(format);
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE UpdateSkinnedMesh(const D3DXMATRIX* transforms, const D3DXMATRIX* invTranspose,
                                                LPCVOID source, LPVOID dest) override;
    HRESULT STDMETHODCALLTYPE ConvertToIndexedBlendedMesh(LPD3DXMESH mesh, DWORD options, DWORD paletteSize,
                                                          const DWORD* adjacencyIn, LPDWORD adjacencyOut,
                                                          DWORD* faceRemap, LPD3DXBUFFER* vertexRemap,
                                                          DWORD* maxVertexInfl, DWORD* numCombinations,
                                                          LPD3DXBUFFER* combinationTable, LPD3DXMESH* out) override;
    HRESULT STDMETHODCALLTYPE Clone(LPD3DXSKININFO* clone) override {
        if (!clone) return D3DERR_INVALIDCALL;
        *clone = nullptr;
        try {
            auto* copy = new SkinInfo(numVertices_, format_, 0);
            copy->bones_ = bones_;
            *clone = copy;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return D3D_OK;
    }

private:
    // Per vertex, its bones by falling weight.
    std::vector<std::vector<Influence>> InfluencesPerVertex(DWORD vertices) const {
        std::vector<std::vector<Influence>> per(vertices);
        for (DWORD b = 0; b < bones_.size(); ++b)
            for (size_t i = 0; i < bones_[b].vertices.size(); ++i)
                if (bones_[b].vertices[i] < vertices && bones_[b].weights[i] > 0)
                    per[bones_[b].vertices[i]].push_back({b, bones_[b].weights[i]});
        for (auto& list : per)
            std::stable_sort(list.begin(), list.end(),
                             [](const Influence& a, const Influence& b) { return a.weight > b.weight; });
        return per;
    }

    DWORD numVertices_;
    VertexFormat format_;
    std::vector<Bone> bones_;
};

HRESULT SkinInfo::UpdateSkinnedMesh(const D3DXMATRIX* transforms, const D3DXMATRIX* invTranspose, LPCVOID source,
                                    LPVOID dest) {
    if (!transforms || !source || !dest) return D3DERR_INVALIDCALL;
    const D3DVERTEXELEMENT9* position = format_.Find(D3DDECLUSAGE_POSITION);
    const D3DVERTEXELEMENT9* normal = format_.Find(D3DDECLUSAGE_NORMAL);
    if (!position || position->Type != D3DDECLTYPE_FLOAT3) return D3DERR_INVALIDCALL;
    const UINT stride = format_.stride;
    const auto* in = static_cast<const uint8_t*>(source);
    auto* out = static_cast<uint8_t*>(dest);
    if (in != out) std::memmove(out, in, size_t(numVertices_) * stride);
    const auto influences = InfluencesPerVertex(numVertices_);
    const bool hasNormal = normal && normal->Type == D3DDECLTYPE_FLOAT3;
    for (DWORD v = 0; v < numVertices_; ++v) {
        if (influences[v].empty()) continue;
        D3DXVECTOR3 p, n(0, 0, 0), sumP(0, 0, 0), sumN(0, 0, 0);
        std::memcpy(&p, in + size_t(v) * stride + position->Offset, sizeof p);
        if (hasNormal) std::memcpy(&n, in + size_t(v) * stride + normal->Offset, sizeof n);
        for (const Influence& i : influences[v]) {
            D3DXVECTOR3 tp, tn;
            D3DXVec3TransformCoord(&tp, &p, &transforms[i.bone]);
            sumP += tp * i.weight;
            if (hasNormal) {
                D3DXVec3TransformNormal(&tn, &n, invTranspose ? &invTranspose[i.bone] : &transforms[i.bone]);
                sumN += tn * i.weight;
            }
        }
        std::memcpy(out + size_t(v) * stride + position->Offset, &sumP, sizeof sumP);
        if (hasNormal) std::memcpy(out + size_t(v) * stride + normal->Offset, &sumN, sizeof sumN);
    }
    return D3D_OK;
}

HRESULT SkinInfo::ConvertToIndexedBlendedMesh(LPD3DXMESH mesh, DWORD options, DWORD paletteSize, const DWORD*,
                                              LPDWORD adjacencyOut, DWORD* faceRemap, LPD3DXBUFFER* vertexRemap,
                                              DWORD* maxVertexInfl, DWORD* numCombinations,
                                              LPD3DXBUFFER* combinationTable, LPD3DXMESH* out) {
    if (out) *out = nullptr;
    if (vertexRemap) *vertexRemap = nullptr;
    if (combinationTable) *combinationTable = nullptr;
    if (!mesh || !out || paletteSize == 0) return D3DERR_INVALIDCALL;
    MeshArrays source;
    HRESULT hr = orv::d3dx9::ReadMesh(mesh, source);
    if (FAILED(hr)) return hr;
    const DWORD vertexCount = source.NumVertices();
    if (vertexCount != numVertices_) {
        orv::d3dx9::LogError("skin: made for %u vertices, the mesh has %u", numVertices_, vertexCount);
        return D3DXERR_INVALIDDATA;
    }
    const D3DVERTEXELEMENT9* position = source.format.Find(D3DDECLUSAGE_POSITION);
    if (!position || position->Type != D3DDECLTYPE_FLOAT3) return D3DERR_INVALIDCALL;

    // Up to four bones per vertex, the strongest, weights normalised.
    auto influences = InfluencesPerVertex(vertexCount);
    DWORD maxInfluences = 1;
    for (auto& list : influences) {
        if (list.size() > 4) list.resize(4);
        float total = 0;
        for (const Influence& i : list) total += i.weight;
        for (Influence& i : list) i.weight /= total;
        maxInfluences = std::max<DWORD>(maxInfluences, static_cast<DWORD>(list.size()));
    }

    // Faces of one material in file order, cut into groups whose bones fit the palette.
    std::vector<DWORD> order(source.NumFaces());
    for (DWORD f = 0; f < order.size(); ++f) order[f] = f;
    std::stable_sort(order.begin(), order.end(),
                     [&](DWORD a, DWORD b) { return source.attributes[a] < source.attributes[b]; });
    struct Group {
        DWORD attribute;
        std::vector<DWORD> faces;
        std::vector<DWORD> bones;  // palette entry -> bone
    };
    std::vector<Group> groups;
    for (DWORD f : order) {
        std::set<DWORD> faceBones;
        for (int k = 0; k < 3; ++k)
            for (const Influence& i : influences[source.indices[size_t(f) * 3 + k]]) faceBones.insert(i.bone);
        if (faceBones.size() > paletteSize) {
            orv::d3dx9::LogError("skin: a face needs %zu bones, the palette holds %u", faceBones.size(), paletteSize);
            return D3DXERR_TOOMANYINFLUENCES;
        }
        Group* g = groups.empty() || groups.back().attribute != source.attributes[f] ? nullptr : &groups.back();
        if (g) {
            size_t added = 0;
            for (DWORD b : faceBones)
                if (std::find(g->bones.begin(), g->bones.end(), b) == g->bones.end()) ++added;
            if (g->bones.size() + added > paletteSize) g = nullptr;
        }
        if (!g) {
            groups.push_back({source.attributes[f], {}, {}});
            g = &groups.back();
        }
        g->faces.push_back(f);
        for (DWORD b : faceBones)
            if (std::find(g->bones.begin(), g->bones.end(), b) == g->bones.end()) g->bones.push_back(b);
    }

    // Output layout: position, weights (all but the last), palette indices,
    // then the source's other elements.
    std::vector<D3DVERTEXELEMENT9> elements;
    WORD offset = 0;
    auto add = [&](BYTE type, BYTE usage, BYTE index) {
        elements.push_back({0, offset, type, D3DDECLMETHOD_DEFAULT, usage, index});
        offset = static_cast<WORD>(offset + orv::d3dx9::ElementSize(type));
    };
    add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0);
    if (maxInfluences > 1)
        add(static_cast<BYTE>(D3DDECLTYPE_FLOAT1 + maxInfluences - 2), D3DDECLUSAGE_BLENDWEIGHT, 0);
    add(D3DDECLTYPE_UBYTE4, D3DDECLUSAGE_BLENDINDICES, 0);
    std::vector<std::pair<const D3DVERTEXELEMENT9*, WORD>> copied;  // source element, new offset
    for (const D3DVERTEXELEMENT9& e : source.format.elements) {
        if (e.Stream == 0xFF) break;
        if (e.Usage == D3DDECLUSAGE_POSITION || e.Usage == D3DDECLUSAGE_BLENDWEIGHT ||
            e.Usage == D3DDECLUSAGE_BLENDINDICES)
            continue;
        copied.push_back({&e, offset});
        add(e.Type, e.Usage, e.UsageIndex);
    }
    elements.push_back(D3DDECL_END());

    MeshArrays target;
    if (!orv::d3dx9::MakeFormat(elements.data(), target.format)) return D3DERR_INVALIDCALL;
    target.options = options;
    const UINT stride = target.format.stride;
    std::vector<DWORD> newToOld, newFaceToOld;
    std::vector<uint8_t> table;
    const DWORD palette = paletteSize;
    try {
        table.assign(groups.size() * (sizeof(D3DXBONECOMBINATION) + palette * sizeof(DWORD)), 0);
        for (size_t gi = 0; gi < groups.size(); ++gi) {
            const Group& g = groups[gi];
            const DWORD vertexStart = static_cast<DWORD>(newToOld.size());
            const DWORD faceStart = target.NumFaces();
            std::vector<DWORD> remap(vertexCount, UINT_MAX);
            for (DWORD f : g.faces) {
                for (int k = 0; k < 3; ++k) {
                    const uint32_t old = source.indices[size_t(f) * 3 + k];
                    if (remap[old] == UINT_MAX) {
                        remap[old] = static_cast<DWORD>(newToOld.size());
                        newToOld.push_back(old);
                    }
                    target.indices.push_back(remap[old]);
                }
                target.attributes.push_back(static_cast<DWORD>(gi));
                newFaceToOld.push_back(f);
            }
            target.table.push_back({static_cast<DWORD>(gi), faceStart, static_cast<DWORD>(g.faces.size()),
                                    vertexStart, static_cast<DWORD>(newToOld.size()) - vertexStart});
            auto* c = reinterpret_cast<D3DXBONECOMBINATION*>(table.data()) + gi;
            c->AttribId = g.attribute;
            c->FaceStart = faceStart;
            c->FaceCount = static_cast<DWORD>(g.faces.size());
            c->VertexStart = vertexStart;
            c->VertexCount = static_cast<DWORD>(newToOld.size()) - vertexStart;
        }
        target.vertices.assign(newToOld.size() * stride, 0);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    const D3DVERTEXELEMENT9* weightsOut = target.format.Find(D3DDECLUSAGE_BLENDWEIGHT);
    const D3DVERTEXELEMENT9* indicesOut = target.format.Find(D3DDECLUSAGE_BLENDINDICES);
    for (size_t gi = 0; gi < groups.size(); ++gi) {
        const auto* c = reinterpret_cast<const D3DXBONECOMBINATION*>(table.data()) + gi;
        for (DWORD v = c->VertexStart; v < c->VertexStart + c->VertexCount; ++v) {
            const uint8_t* in = &source.vertices[size_t(newToOld[v]) * source.format.stride];
            uint8_t* o = &target.vertices[size_t(v) * stride];
            std::memcpy(o, in + position->Offset, 12);
            for (const auto& [e, at] : copied) std::memcpy(o + at, in + e->Offset, orv::d3dx9::ElementSize(e->Type));
            float weights[4] = {0, 0, 0, 0};
            uint8_t slots[4] = {0, 0, 0, 0};
            const auto& list = influences[newToOld[v]];
            for (size_t k = 0; k < list.size(); ++k) {
                weights[k] = list[k].weight;
                const auto& bones = groups[gi].bones;
                slots[k] = static_cast<uint8_t>(std::find(bones.begin(), bones.end(), list[k].bone) - bones.begin());
            }
            if (weightsOut) std::memcpy(o + weightsOut->Offset, weights, orv::d3dx9::ElementSize(weightsOut->Type));
            std::memcpy(o + indicesOut->Offset, slots, 4);
        }
    }

    IDirect3DDevice9* device = nullptr;
    mesh->GetDevice(&device);
    hr = orv::d3dx9::BuildMesh(device, target, out);
    if (device) device->Release();
    if (FAILED(hr)) return hr;

    ID3DXBuffer* buffer = nullptr;
    if (combinationTable) {
        hr = D3DXCreateBuffer(static_cast<DWORD>(table.size()), &buffer);
        if (FAILED(hr)) {
            (*out)->Release();
            *out = nullptr;
            return hr;
        }
        auto* base = static_cast<uint8_t*>(buffer->GetBufferPointer());
        std::memcpy(base, table.data(), table.size());
        auto* combos = reinterpret_cast<D3DXBONECOMBINATION*>(base);
        auto* ids = reinterpret_cast<DWORD*>(base + groups.size() * sizeof(D3DXBONECOMBINATION));
        for (size_t gi = 0; gi < groups.size(); ++gi) {
            combos[gi].BoneId = ids + gi * palette;
            for (DWORD k = 0; k < palette; ++k)
                combos[gi].BoneId[k] = k < groups[gi].bones.size() ? groups[gi].bones[k] : UINT_MAX;
        }
        *combinationTable = buffer;
    }
    if (vertexRemap && SUCCEEDED(D3DXCreateBuffer(static_cast<DWORD>(newToOld.size() * sizeof(DWORD)), vertexRemap)))
        std::memcpy((*vertexRemap)->GetBufferPointer(), newToOld.data(), newToOld.size() * sizeof(DWORD));
    if (faceRemap) std::copy(newFaceToOld.begin(), newFaceToOld.end(), faceRemap);
    if (adjacencyOut) {
        const auto adj = orv::d3dx9::AdjacencyFromPointReps(target, orv::d3dx9::PointReps(target, 0.0f));
        std::copy(adj.begin(), adj.end(), adjacencyOut);
    }
    if (maxVertexInfl) *maxVertexInfl = maxInfluences;
    if (numCombinations) *numCombinations = static_cast<DWORD>(groups.size());
    return D3D_OK;
}

HRESULT CreateSkin(DWORD vertices, const VertexFormat& format, DWORD bones, LPD3DXSKININFO* skin) {
    try {
        *skin = new SkinInfo(vertices, format, bones);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}

}  // namespace

HRESULT WINAPI D3DXCreateSkinInfo(DWORD NumVertices, const D3DVERTEXELEMENT9* pDeclaration, DWORD NumBones,
                                  LPD3DXSKININFO* ppSkinInfo) {
    if (!ppSkinInfo) return D3DERR_INVALIDCALL;
    *ppSkinInfo = nullptr;
    VertexFormat format;
    if (!orv::d3dx9::MakeFormat(pDeclaration, format)) return D3DERR_INVALIDCALL;
    return CreateSkin(NumVertices, format, NumBones, ppSkinInfo);
}

HRESULT WINAPI D3DXCreateSkinInfoFVF(DWORD NumVertices, DWORD FVF, DWORD NumBones, LPD3DXSKININFO* ppSkinInfo) {
    if (!ppSkinInfo) return D3DERR_INVALIDCALL;
    *ppSkinInfo = nullptr;
    VertexFormat format;
    if (!orv::d3dx9::MakeFormatFromFvf(FVF, format)) return D3DERR_INVALIDCALL;
    return CreateSkin(NumVertices, format, NumBones, ppSkinInfo);
}
