// The mesh object: device buffers for vertices and 16-bit indices, attribute
// ids in memory, subsets drawn by attribute id.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <map>
#include <new>

#include "platform/d3dx9/effect_refcounted.h"
#include "platform/d3dx9/mesh_impl.h"
#include "platform/d3dx9/texture_image.h"

namespace orv::d3dx9 {

namespace {

struct Run {
    DWORD faceStart, faceCount, vertexStart, vertexCount;
};

class Mesh final : public RefCounted<ID3DXMesh> {
public:
    static HRESULT Create(IDirect3DDevice9* device, DWORD faces, DWORD vertices, DWORD options,
                          const VertexFormat& format, Mesh** mesh) {
        *mesh = nullptr;
        if (!device || faces == 0 || vertices == 0 || format.stride == 0) return D3DERR_INVALIDCALL;
        if (vertices > 65535 && !(options & D3DXMESH_32BIT)) return D3DERR_INVALIDCALL;
        Mesh* created;
        try {
            created = new Mesh(device, faces, vertices, options, format);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        const HRESULT hr = created->Allocate();
        if (FAILED(hr)) {
            created->Release();
            return hr;
        }
        *mesh = created;
        return D3D_OK;
    }

    ~Mesh() override {
        if (vb_) vb_->Release();
        if (ib_) ib_->Release();
        if (decl_) decl_->Release();
        device_->Release();
    }

    // ---- ID3DXBaseMesh ----
    HRESULT STDMETHODCALLTYPE DrawSubset(DWORD attribId) override {
        const std::vector<Run>& runs = RunsOf(attribId);
        if (runs.empty()) return D3D_OK;
        HRESULT hr = PrepareDrawIndices();
        if (FAILED(hr)) return hr;
        device_->SetVertexDeclaration(decl_);
        if (!ib_) return DrawExpanded(runs);
        device_->SetStreamSource(0, vb_, 0, format_.stride);
        device_->SetIndices(ib_);
        for (const Run& r : runs) {
            hr = device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, r.vertexStart, r.vertexCount, r.faceStart * 3,
                                               r.faceCount);
            if (FAILED(hr)) return hr;
        }
        return D3D_OK;
    }
    DWORD STDMETHODCALLTYPE GetNumFaces() override { return numFaces_; }
    DWORD STDMETHODCALLTYPE GetNumVertices() override { return numVertices_; }
    DWORD STDMETHODCALLTYPE GetFVF() override { return format_.fvf; }
    HRESULT STDMETHODCALLTYPE GetDeclaration(D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]) override {
        if (!declaration) return D3DERR_INVALIDCALL;
        std::memcpy(declaration, format_.elements.data(), format_.elements.size() * sizeof(D3DVERTEXELEMENT9));
        return D3D_OK;
    }
    DWORD STDMETHODCALLTYPE GetNumBytesPerVertex() override { return format_.stride; }
    DWORD STDMETHODCALLTYPE GetOptions() override { return options_; }
    HRESULT STDMETHODCALLTYPE GetDevice(LPDIRECT3DDEVICE9* device) override {
        if (!device) return D3DERR_INVALIDCALL;
        *device = device_;
        device_->AddRef();
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE CloneMeshFVF(DWORD options, DWORD fvf, LPDIRECT3DDEVICE9 device,
                                           LPD3DXMESH* clone) override {
        VertexFormat format;
        if (!MakeFormatFromFvf(fvf, format)) {
            if (clone) *clone = nullptr;
            return D3DERR_INVALIDCALL;
        }
        return CloneMesh(options, format.elements.data(), device, clone);
    }
    HRESULT STDMETHODCALLTYPE CloneMesh(DWORD options, const D3DVERTEXELEMENT9* declaration,
                                        LPDIRECT3DDEVICE9 device, LPD3DXMESH* clone) override {
        if (!clone) return D3DERR_INVALIDCALL;
        *clone = nullptr;
        MeshArrays source, target;
        if (!device || !MakeFormat(declaration, target.format)) return D3DERR_INVALIDCALL;
        HRESULT hr = ReadMesh(this, source);
        if (FAILED(hr)) return hr;
        try {
            target.options = options;
            target.indices = std::move(source.indices);
            target.attributes = std::move(source.attributes);
            target.table = std::move(source.table);
            target.vertices.assign(size_t(numVertices_) * target.format.stride, 0);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        for (const D3DVERTEXELEMENT9& to : target.format.elements) {
            if (to.Stream == 0xFF) break;
            const D3DVERTEXELEMENT9* from = source.format.Find(to.Usage, to.UsageIndex);
            if (!from) continue;
            for (DWORD v = 0; v < numVertices_; ++v) {
                const uint8_t* s = &source.vertices[size_t(v) * source.format.stride + from->Offset];
                uint8_t* d = &target.vertices[size_t(v) * target.format.stride + to.Offset];
                if (from->Type == to.Type) {
                    std::memcpy(d, s, ElementSize(to.Type));
                } else {
                    float value[4];
                    ReadElement(from->Type, s, value);
                    WriteElement(to.Type, value, d);
                }
            }
        }
        return BuildMesh(device, target, clone);
    }
    HRESULT STDMETHODCALLTYPE GetVertexBuffer(LPDIRECT3DVERTEXBUFFER9* vb) override {
        if (!vb) return D3DERR_INVALIDCALL;
        *vb = vb_;
        vb_->AddRef();
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIndexBuffer(LPDIRECT3DINDEXBUFFER9* ib) override {
        if (!ib) return D3DERR_INVALIDCALL;
        *ib = nullptr;
        if (Is32()) return D3DERR_INVALIDCALL;
        *ib = ib_;
        ib_->AddRef();
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE LockVertexBuffer(DWORD flags, LPVOID* data) override {
        if (!data) return D3DERR_INVALIDCALL;
        return vb_->Lock(0, 0, data, flags & ~D3DLOCK_DISCARD);
    }
    HRESULT STDMETHODCALLTYPE UnlockVertexBuffer() override { return vb_->Unlock(); }
    HRESULT STDMETHODCALLTYPE LockIndexBuffer(DWORD flags, LPVOID* data) override {
        if (!data) return D3DERR_INVALIDCALL;
        if (!(flags & D3DLOCK_READONLY)) runs_.clear();  // their vertex ranges come from the indices
        if (!Is32()) return ib_->Lock(0, 0, data, flags & ~D3DLOCK_DISCARD);
        *data = indices32_.data();
        ++indexLocks_;
        if (!(flags & D3DLOCK_READONLY)) drawIndicesStale_ = true;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE UnlockIndexBuffer() override {
        if (!Is32()) return ib_->Unlock();
        if (indexLocks_ == 0) return D3DERR_INVALIDCALL;
        --indexLocks_;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size) override {
        if (!size) return D3DERR_INVALIDCALL;
        if (table) std::copy(table_.begin(), table_.end(), table);
        *size = static_cast<DWORD>(table_.size());
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE ConvertPointRepsToAdjacency(const DWORD* reps, DWORD* adjacency) override {
        if (!adjacency) return D3DERR_INVALIDCALL;
        MeshArrays arrays;
        HRESULT hr = ReadMesh(this, arrays);
        if (FAILED(hr)) return hr;
        std::vector<DWORD> r(numVertices_);
        for (DWORD v = 0; v < numVertices_; ++v) {
            r[v] = reps ? reps[v] : v;
            if (r[v] >= numVertices_) return D3DERR_INVALIDCALL;
        }
        const std::vector<DWORD> adj = AdjacencyFromPointReps(arrays, r);
        std::copy(adj.begin(), adj.end(), adjacency);
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE ConvertAdjacencyToPointReps(const DWORD* adjacency, DWORD* reps) override;
    HRESULT STDMETHODCALLTYPE GenerateAdjacency(FLOAT epsilon, DWORD* adjacency) override {
        if (!adjacency || !(epsilon >= 0)) return D3DERR_INVALIDCALL;
        MeshArrays arrays;
        HRESULT hr = ReadMesh(this, arrays);
        if (FAILED(hr)) return hr;
        const std::vector<DWORD> adj = AdjacencyFromPointReps(arrays, PointReps(arrays, epsilon));
        std::copy(adj.begin(), adj.end(), adjacency);
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE UpdateSemantics(D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]) override {
        VertexFormat format;
        if (!MakeFormat(declaration, format) || format.stride != format_.stride) return D3DERR_INVALIDCALL;
        IDirect3DVertexDeclaration9* decl = nullptr;
        const HRESULT hr = device_->CreateVertexDeclaration(format.elements.data(), &decl);
        if (FAILED(hr)) return hr;
        decl_->Release();
        decl_ = decl;
        format_ = std::move(format);
        return D3D_OK;
    }

    // ---- ID3DXMesh ----
    HRESULT STDMETHODCALLTYPE LockAttributeBuffer(DWORD flags, DWORD** data) override {
        if (!data) return D3DERR_INVALIDCALL;
        *data = attributes_.data();
        if (!(flags & D3DLOCK_READONLY)) runs_.clear();
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE UnlockAttributeBuffer() override { return D3D_OK; }
    HRESULT STDMETHODCALLTYPE Optimize(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                                       LPD3DXBUFFER* vertexRemap, LPD3DXMESH* optimized) override {
        if (!optimized) return D3DERR_INVALIDCALL;
        *optimized = nullptr;
        D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE];
        GetDeclaration(declaration);
        ID3DXMesh* copy = nullptr;
        HRESULT hr = CloneMesh(options_, declaration, device_, &copy);
        if (FAILED(hr)) return hr;
        hr = copy->OptimizeInplace(flags, adjacencyIn, adjacencyOut, faceRemap, vertexRemap);
        if (FAILED(hr)) {
            copy->Release();
            return hr;
        }
        *optimized = copy;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut,
                                              DWORD* faceRemap, LPD3DXBUFFER* vertexRemap) override;
    HRESULT STDMETHODCALLTYPE SetAttributeTable(const D3DXATTRIBUTERANGE* table, DWORD size) override {
        if (size && !table) return D3DERR_INVALIDCALL;
        for (DWORD i = 0; i < size; ++i)
            if (table[i].FaceStart > numFaces_ || table[i].FaceCount > numFaces_ - table[i].FaceStart ||
                table[i].VertexStart > numVertices_ || table[i].VertexCount > numVertices_ - table[i].VertexStart)
                return D3DERR_INVALIDCALL;
        table_.assign(table, table + size);
        runs_.clear();
        return D3D_OK;
    }

    // Fills a freshly created mesh.
    HRESULT Fill(const MeshArrays& arrays) {
        void* p = nullptr;
        HRESULT hr = vb_->Lock(0, 0, &p, 0);
        if (FAILED(hr)) return hr;
        std::memcpy(p, arrays.vertices.data(), arrays.vertices.size());
        vb_->Unlock();
        if (Is32()) {
            indices32_ = arrays.indices;
            drawIndicesStale_ = true;
        } else {
            hr = ib_->Lock(0, 0, &p, 0);
            if (FAILED(hr)) return hr;
            auto* out = static_cast<uint16_t*>(p);
            for (size_t i = 0; i < arrays.indices.size(); ++i) out[i] = static_cast<uint16_t>(arrays.indices[i]);
            ib_->Unlock();
        }
        attributes_ = arrays.attributes;
        table_ = arrays.table;
        runs_.clear();
        return D3D_OK;
    }

    bool Is32() const { return (options_ & D3DXMESH_32BIT) != 0; }

private:
    Mesh(IDirect3DDevice9* device, DWORD faces, DWORD vertices, DWORD options, const VertexFormat& format)
        : device_(device), numFaces_(faces), numVertices_(vertices), options_(options), format_(format),
          attributes_(faces, 0) {
        device_->AddRef();
        if (Is32()) indices32_.assign(size_t(faces) * 3, 0);
    }

    HRESULT Allocate() {
        HRESULT hr = device_->CreateVertexDeclaration(format_.elements.data(), &decl_);
        if (FAILED(hr)) return hr;
        const DWORD vbUsage = (options_ & D3DXMESH_VB_DYNAMIC) ? D3DUSAGE_DYNAMIC : 0;
        hr = device_->CreateVertexBuffer(numVertices_ * format_.stride, vbUsage, format_.fvf, D3DPOOL_MANAGED, &vb_,
                                         nullptr);
        if (FAILED(hr)) return hr;
        if (!Is32()) {
            const DWORD ibUsage = (options_ & D3DXMESH_IB_DYNAMIC) ? D3DUSAGE_DYNAMIC : 0;
            hr = device_->CreateIndexBuffer(numFaces_ * 3 * sizeof(uint16_t), ibUsage, D3DFMT_INDEX16,
                                            D3DPOOL_MANAGED, &ib_, nullptr);
        }
        return hr;
    }

    // A 32-bit mesh draws through a 16-bit copy of its indices when every
    // index fits; otherwise through expanded vertices.
    HRESULT PrepareDrawIndices() {
        if (!Is32() || !drawIndicesStale_) return D3D_OK;
        drawIndicesStale_ = false;
        if (ib_) {
            ib_->Release();
            ib_ = nullptr;
        }
        if (numVertices_ > 65536) return D3D_OK;
        HRESULT hr = device_->CreateIndexBuffer(numFaces_ * 3 * sizeof(uint16_t), 0, D3DFMT_INDEX16,
                                                D3DPOOL_MANAGED, &ib_, nullptr);
        if (FAILED(hr)) return hr;
        void* p = nullptr;
        hr = ib_->Lock(0, 0, &p, 0);
        if (FAILED(hr)) return hr;
        auto* out = static_cast<uint16_t*>(p);
        for (size_t i = 0; i < indices32_.size(); ++i) out[i] = static_cast<uint16_t>(indices32_[i]);
        return ib_->Unlock();
    }

    HRESULT DrawExpanded(const std::vector<Run>& runs) {
        void* p = nullptr;
        HRESULT hr = vb_->Lock(0, 0, &p, D3DLOCK_READONLY);
        if (FAILED(hr)) return hr;
        const auto* vertices = static_cast<const uint8_t*>(p);
        std::vector<uint8_t> expanded;
        for (const Run& r : runs) {
            expanded.resize(size_t(r.faceCount) * 3 * format_.stride);
            for (DWORD i = 0; i < r.faceCount * 3; ++i) {
                const uint32_t v = std::min<uint32_t>(indices32_[size_t(r.faceStart) * 3 + i], numVertices_ - 1);
                std::memcpy(&expanded[size_t(i) * format_.stride], vertices + size_t(v) * format_.stride,
                            format_.stride);
            }
            hr = device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, r.faceCount, expanded.data(), format_.stride);
            if (FAILED(hr)) break;
        }
        vb_->Unlock();
        return hr;
    }

    // The face runs of one attribute id: from the attribute table when the
    // mesh has one, else from the attribute ids themselves.
    const std::vector<Run>& RunsOf(DWORD attribId) {
        auto found = runs_.find(attribId);
        if (found != runs_.end()) return found->second;
        std::vector<Run>& runs = runs_[attribId];
        if (!table_.empty()) {
            for (const D3DXATTRIBUTERANGE& a : table_)
                if (a.AttribId == attribId && a.FaceCount)
                    runs.push_back({a.FaceStart, a.FaceCount, a.VertexStart, a.VertexCount});
            return runs;
        }
        MeshArrays arrays;
        if (FAILED(ReadIndices(arrays.indices))) return runs;
        for (DWORD f = 0; f < numFaces_;) {
            if (attributes_[f] != attribId) {
                ++f;
                continue;
            }
            DWORD end = f;
            uint32_t lo = UINT32_MAX, hi = 0;
            for (; end < numFaces_ && attributes_[end] == attribId; ++end)
                for (int k = 0; k < 3; ++k) {
                    lo = std::min(lo, arrays.indices[size_t(end) * 3 + k]);
                    hi = std::max(hi, arrays.indices[size_t(end) * 3 + k]);
                }
            runs.push_back({f, end - f, lo, hi - lo + 1});
            f = end;
        }
        return runs;
    }

public:
    HRESULT ReadIndices(std::vector<uint32_t>& out) {
        if (Is32()) {
            out = indices32_;
            return D3D_OK;
        }
        void* p = nullptr;
        HRESULT hr = ib_->Lock(0, 0, &p, D3DLOCK_READONLY);
        if (FAILED(hr)) return hr;
        const auto* in = static_cast<const uint16_t*>(p);
        out.assign(in, in + size_t(numFaces_) * 3);
        return ib_->Unlock();
    }
    const std::vector<DWORD>& Attributes() const { return attributes_; }
    const std::vector<D3DXATTRIBUTERANGE>& Table() const { return table_; }
    const VertexFormat& Format() const { return format_; }
    IDirect3DDevice9* Device() const { return device_; }

private:
    IDirect3DDevice9* device_;
    DWORD numFaces_, numVertices_, options_;
    VertexFormat format_;
    IDirect3DVertexDeclaration9* decl_ = nullptr;
    IDirect3DVertexBuffer9* vb_ = nullptr;
    IDirect3DIndexBuffer9* ib_ = nullptr;  // 16-bit indices, or the draw copy of a 32-bit mesh
    std::vector<uint32_t> indices32_;
    bool drawIndicesStale_ = true;
    int indexLocks_ = 0;
    std::vector<DWORD> attributes_;
    std::vector<D3DXATTRIBUTERANGE> table_;
    std::map<DWORD, std::vector<Run>> runs_;
};

HRESULT Mesh::ConvertAdjacencyToPointReps(const DWORD* adjacency, DWORD* reps) {
    if (!reps) return D3DERR_INVALIDCALL;
    std::vector<uint32_t> indices;
    HRESULT hr = ReadIndices(indices);
    if (FAILED(hr)) return hr;
    // Union-find over vertices: the two ends of a shared edge are one point.
    std::vector<DWORD> parent(numVertices_);
    for (DWORD v = 0; v < numVertices_; ++v) parent[v] = v;
    auto find = [&](DWORD v) {
        while (parent[v] != v) v = parent[v] = parent[parent[v]];
        return v;
    };
    auto unite = [&](DWORD a, DWORD b) {
        a = find(a), b = find(b);
        if (a != b) parent[std::max(a, b)] = std::min(a, b);
    };
    if (adjacency) {
        for (DWORD f = 0; f < numFaces_; ++f)
            for (int e = 0; e < 3; ++e) {
                const DWORD g = adjacency[f * 3 + e];
                if (g >= numFaces_) continue;
                for (int k = 0; k < 3; ++k) {
                    if (adjacency[g * 3 + k] != f) continue;
                    // Edge (a, b) of f meets edge (c, d) of g running the other way.
                    const uint32_t a = indices[f * 3 + e], b = indices[f * 3 + (e + 1) % 3];
                    const uint32_t c = indices[g * 3 + k], d = indices[g * 3 + (k + 1) % 3];
                    if (a < numVertices_ && b < numVertices_ && c < numVertices_ && d < numVertices_) {
                        unite(a, d);
                        unite(b, c);
                    }
                    break;
                }
            }
    }
    for (DWORD v = 0; v < numVertices_; ++v) reps[v] = find(v);
    return D3D_OK;
}

HRESULT Mesh::OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                              LPD3DXBUFFER* vertexRemap) {
    if (vertexRemap) *vertexRemap = nullptr;
    MeshArrays arrays;
    HRESULT hr = ReadMesh(this, arrays);
    if (FAILED(hr)) return hr;
    std::vector<DWORD> faceOrder(numFaces_);
    for (DWORD f = 0; f < numFaces_; ++f) faceOrder[f] = f;
    const bool sort = (flags & (D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE | D3DXMESHOPT_STRIPREORDER)) != 0;
    if (sort) SortByAttribute(arrays, &faceOrder);
    std::vector<DWORD> vertexOrder(numVertices_);
    for (DWORD v = 0; v < numVertices_; ++v) vertexOrder[v] = v;
    if (flags & D3DXMESHOPT_COMPACT) {
        // Vertices in order of first use; unused ones dropped.
        std::vector<DWORD> newIndex(numVertices_, UINT_MAX);
        vertexOrder.clear();
        for (uint32_t& i : arrays.indices) {
            if (newIndex[i] == UINT_MAX) {
                newIndex[i] = static_cast<DWORD>(vertexOrder.size());
                vertexOrder.push_back(i);
            }
            i = newIndex[i];
        }
        std::vector<uint8_t> vertices(vertexOrder.size() * format_.stride);
        for (size_t v = 0; v < vertexOrder.size(); ++v)
            std::memcpy(&vertices[v * format_.stride], &arrays.vertices[size_t(vertexOrder[v]) * format_.stride],
                        format_.stride);
        arrays.vertices = std::move(vertices);
        arrays.table = TableOf(arrays);
    }
    if (vertexRemap) {
        hr = D3DXCreateBuffer(static_cast<DWORD>(vertexOrder.size() * sizeof(DWORD)), vertexRemap);
        if (FAILED(hr)) return hr;
        std::memcpy((*vertexRemap)->GetBufferPointer(), vertexOrder.data(), vertexOrder.size() * sizeof(DWORD));
    }
    if (faceRemap) std::copy(faceOrder.begin(), faceOrder.end(), faceRemap);
    if (adjacencyOut) {
        std::vector<DWORD> oldToNew(numFaces_);
        for (DWORD f = 0; f < numFaces_; ++f) oldToNew[faceOrder[f]] = f;
        std::vector<DWORD> adjacency(size_t(numFaces_) * 3, UINT_MAX);
        if (adjacencyIn) {
            for (DWORD f = 0; f < numFaces_; ++f)
                for (int e = 0; e < 3; ++e) {
                    const DWORD g = adjacencyIn[size_t(faceOrder[f]) * 3 + e];
                    adjacency[size_t(f) * 3 + e] = g < numFaces_ ? oldToNew[g] : UINT_MAX;
                }
        } else {
            adjacency = AdjacencyFromPointReps(arrays, PointReps(arrays, 0.0f));
        }
        std::copy(adjacency.begin(), adjacency.end(), adjacencyOut);
    }
    if (vertexOrder.size() != numVertices_) {
        // Fewer vertices: a new vertex buffer of the compacted size.
        numVertices_ = static_cast<DWORD>(vertexOrder.size());
        IDirect3DVertexBuffer9* vb = nullptr;
        hr = device_->CreateVertexBuffer(numVertices_ * format_.stride, 0, format_.fvf, D3DPOOL_MANAGED, &vb,
                                         nullptr);
        if (FAILED(hr)) return hr;
        vb_->Release();
        vb_ = vb;
        drawIndicesStale_ = true;
    }
    if (!sort && !(flags & D3DXMESHOPT_COMPACT)) arrays.table = table_;
    return Fill(arrays);
}

}  // namespace

D3DXVECTOR3 MeshArrays::Position(DWORD vertex) const {
    const D3DVERTEXELEMENT9* e = format.Find(D3DDECLUSAGE_POSITION);
    float v[4] = {0, 0, 0, 1};
    if (e) ReadElement(e->Type, &vertices[size_t(vertex) * format.stride + e->Offset], v);
    return D3DXVECTOR3(v[0], v[1], v[2]);
}

HRESULT ReadMesh(ID3DXBaseMesh* base, MeshArrays& arrays) {
    auto* mesh = dynamic_cast<Mesh*>(base);
    if (!mesh) return D3DERR_INVALIDCALL;
    try {
        arrays.format = mesh->Format();
        arrays.options = mesh->GetOptions();
        HRESULT hr = mesh->ReadIndices(arrays.indices);
        if (FAILED(hr)) return hr;
        // Indices written through a lock are checked before any use here.
        for (uint32_t i : arrays.indices)
            if (i >= mesh->GetNumVertices()) {
                LogError("mesh: index %u past the %u vertices", i, mesh->GetNumVertices());
                return D3DXERR_INVALIDMESH;
            }
        void* p = nullptr;
        hr = mesh->LockVertexBuffer(D3DLOCK_READONLY, &p);
        if (FAILED(hr)) return hr;
        const auto* bytes = static_cast<const uint8_t*>(p);
        arrays.vertices.assign(bytes, bytes + size_t(mesh->GetNumVertices()) * arrays.format.stride);
        mesh->UnlockVertexBuffer();
        arrays.attributes = mesh->Attributes();
        arrays.table = mesh->Table();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}

HRESULT BuildMesh(IDirect3DDevice9* device, const MeshArrays& arrays, ID3DXMesh** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    const DWORD vertices = arrays.NumVertices();
    if (arrays.indices.size() != size_t(arrays.NumFaces()) * 3) return D3DERR_INVALIDCALL;
    for (uint32_t i : arrays.indices)
        if (i >= vertices) return D3DERR_INVALIDCALL;
    DWORD options = arrays.options;
    if (vertices > 65535) options |= D3DXMESH_32BIT;
    Mesh* mesh = nullptr;
    HRESULT hr = Mesh::Create(device, arrays.NumFaces(), vertices, options, arrays.format, &mesh);
    if (FAILED(hr)) return hr;
    hr = mesh->Fill(arrays);
    if (FAILED(hr)) {
        mesh->Release();
        return hr;
    }
    *out = mesh;
    return D3D_OK;
}

void SortByAttribute(MeshArrays& arrays, std::vector<DWORD>* faceRemap) {
    const DWORD faces = arrays.NumFaces();
    std::vector<DWORD> order(faces);
    for (DWORD f = 0; f < faces; ++f) order[f] = f;
    std::stable_sort(order.begin(), order.end(),
                     [&](DWORD a, DWORD b) { return arrays.attributes[a] < arrays.attributes[b]; });
    std::vector<uint32_t> indices(arrays.indices.size());
    std::vector<DWORD> attributes(faces);
    for (DWORD f = 0; f < faces; ++f) {
        attributes[f] = arrays.attributes[order[f]];
        for (int k = 0; k < 3; ++k) indices[size_t(f) * 3 + k] = arrays.indices[size_t(order[f]) * 3 + k];
    }
    arrays.indices = std::move(indices);
    arrays.attributes = std::move(attributes);
    arrays.table = TableOf(arrays);
    if (faceRemap) *faceRemap = std::move(order);
}

std::vector<D3DXATTRIBUTERANGE> TableOf(const MeshArrays& arrays) {
    std::vector<D3DXATTRIBUTERANGE> table;
    const DWORD faces = arrays.NumFaces();
    for (DWORD f = 0; f < faces;) {
        DWORD end = f;
        uint32_t lo = UINT32_MAX, hi = 0;
        for (; end < faces && arrays.attributes[end] == arrays.attributes[f]; ++end)
            for (int k = 0; k < 3; ++k) {
                lo = std::min(lo, arrays.indices[size_t(end) * 3 + k]);
                hi = std::max(hi, arrays.indices[size_t(end) * 3 + k]);
            }
        table.push_back({arrays.attributes[f], f, end - f, lo, hi - lo + 1});
        f = end;
    }
    return table;
}

std::vector<DWORD> PointReps(const MeshArrays& arrays, float epsilon) {
    const DWORD count = arrays.NumVertices();
    std::vector<D3DXVECTOR3> positions(count);
    for (DWORD v = 0; v < count; ++v) positions[v] = arrays.Position(v);
    // Sorted along x, each vertex only meets the ones within epsilon in x.
    std::vector<DWORD> order(count);
    for (DWORD v = 0; v < count; ++v) order[v] = v;
    std::sort(order.begin(), order.end(), [&](DWORD a, DWORD b) {
        return positions[a].x < positions[b].x || (positions[a].x == positions[b].x && a < b);
    });
    // Union-find; each set settles on its lowest vertex.
    std::vector<DWORD> parent(count);
    for (DWORD v = 0; v < count; ++v) parent[v] = v;
    auto find = [&](DWORD v) {
        while (parent[v] != v) v = parent[v] = parent[parent[v]];
        return v;
    };
    for (size_t i = 0; i < order.size(); ++i) {
        const DWORD a = order[i];
        for (size_t j = i + 1; j < order.size() && positions[order[j]].x - positions[a].x <= epsilon; ++j) {
            const DWORD b = order[j];
            if (std::fabs(positions[a].y - positions[b].y) <= epsilon &&
                std::fabs(positions[a].z - positions[b].z) <= epsilon) {
                const DWORD ra = find(a), rb = find(b);
                if (ra != rb) parent[std::max(ra, rb)] = std::min(ra, rb);
            }
        }
    }
    std::vector<DWORD> reps(count);
    for (DWORD v = 0; v < count; ++v) reps[v] = find(v);
    return reps;
}

std::vector<DWORD> AdjacencyFromPointReps(const MeshArrays& arrays, const std::vector<DWORD>& reps) {
    const DWORD faces = arrays.NumFaces();
    std::vector<DWORD> adjacency(size_t(faces) * 3, UINT_MAX);
    std::map<std::pair<DWORD, DWORD>, std::vector<DWORD>> edges;  // (from, to) -> face * 3 + edge
    for (DWORD f = 0; f < faces; ++f)
        for (int e = 0; e < 3; ++e) {
            const DWORD a = reps[arrays.indices[size_t(f) * 3 + e]];
            const DWORD b = reps[arrays.indices[size_t(f) * 3 + (e + 1) % 3]];
            if (a != b) edges[{a, b}].push_back(f * 3 + e);
        }
    for (auto& [edge, list] : edges) {
        if (edge.first > edge.second) continue;
        auto twin = edges.find({edge.second, edge.first});
        if (twin == edges.end()) continue;
        // Pairs the edges one to one in face order; extra ones stay open.
        const size_t n = std::min(list.size(), twin->second.size());
        for (size_t i = 0; i < n; ++i) {
            adjacency[list[i]] = twin->second[i] / 3;
            adjacency[twin->second[i]] = list[i] / 3;
        }
    }
    return adjacency;
}

}  // namespace orv::d3dx9

HRESULT WINAPI D3DXCreateMesh(DWORD NumFaces, DWORD NumVertices, DWORD Options,
                              const D3DVERTEXELEMENT9* pDeclaration, LPDIRECT3DDEVICE9 pD3DDevice,
                              LPD3DXMESH* ppMesh) {
    if (!ppMesh) return D3DERR_INVALIDCALL;
    *ppMesh = nullptr;
    orv::d3dx9::VertexFormat format;
    if (!orv::d3dx9::MakeFormat(pDeclaration, format)) return D3DERR_INVALIDCALL;
    orv::d3dx9::Mesh* mesh = nullptr;
    const HRESULT hr = orv::d3dx9::Mesh::Create(pD3DDevice, NumFaces, NumVertices, Options, format, &mesh);
    *ppMesh = mesh;
    return hr;
}

HRESULT WINAPI D3DXCreateMeshFVF(DWORD NumFaces, DWORD NumVertices, DWORD Options, DWORD FVF,
                                 LPDIRECT3DDEVICE9 pD3DDevice, LPD3DXMESH* ppMesh) {
    if (ppMesh) *ppMesh = nullptr;
    orv::d3dx9::VertexFormat format;
    if (!orv::d3dx9::MakeFormatFromFvf(FVF, format)) return D3DERR_INVALIDCALL;
    return D3DXCreateMesh(NumFaces, NumVertices, Options, format.elements.data(), pD3DDevice, ppMesh);
}
