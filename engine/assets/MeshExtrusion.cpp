// MeshUnit::BuildExtrusionMesh: the faces-apart copy of a mesh that the
// motion-blur pass stretches along the motion.
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "engine/assets/MeshUnit.h"

namespace Quorvex {

namespace {

struct ExtrusionVertex {
    D3DXVECTOR3 position;
    D3DXVECTOR3 normal;
};

const D3DVERTEXELEMENT9 kExtrusionDeclaration[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
    D3DDECL_END()};

// An edge of one face's copy, waiting for the face on its other side: the
// two new vertices at the edge's first and second point.
struct OpenEdge {
    DWORD first;
    DWORD second;
    DWORD attribute;
};

uint64_t EdgeKey(DWORD from, DWORD to) { return (uint64_t(from) << 32) | to; }

class ExtrusionBuilder {
public:
    std::vector<ExtrusionVertex> vertices;
    std::vector<DWORD> indices;
    std::vector<DWORD> attributes;

    void AddTriangle(DWORD a, DWORD b, DWORD c, DWORD attribute) {
        indices.insert(indices.end(), {a, b, c});
        attributes.push_back(attribute);
    }

    // Joins two copies of one edge (a from p to q, b from q to p) with a
    // quad that is flat while the faces touch.
    void Join(const OpenEdge& a, const OpenEdge& b) {
        AddTriangle(a.second, a.first, b.second, a.attribute);
        AddTriangle(a.second, b.second, b.first, a.attribute);
    }

    // Records the edge (from, to) of a face copy, or joins it with the copy
    // of the face on its other side.
    void AddEdge(DWORD from, DWORD to, DWORD first, DWORD second, DWORD attribute) {
        if (from == to) return;  // a degenerate face has nothing to join here
        auto twin = m_open.find(EdgeKey(to, from));
        if (twin != m_open.end() && !twin->second.empty()) {
            Join(twin->second.back(), OpenEdge{first, second, attribute});
            twin->second.pop_back();
            return;
        }
        m_open[EdgeKey(from, to)].push_back(OpenEdge{first, second, attribute});
    }

    // Edges without a twin close against a back-facing copy of themselves,
    // so the stretched outline of an open surface stays closed too.
    void CloseOpenEdges() {
        for (auto& [key, list] : m_open) {
            for (const OpenEdge& edge : list) {
                const ExtrusionVertex a = vertices[edge.first];
                const ExtrusionVertex b = vertices[edge.second];
                const DWORD base = static_cast<DWORD>(vertices.size());
                vertices.push_back({b.position, -b.normal});
                vertices.push_back({a.position, -a.normal});
                Join(edge, OpenEdge{base, base + 1, edge.attribute});
            }
        }
        m_open.clear();
    }

private:
    std::unordered_map<uint64_t, std::vector<OpenEdge>> m_open;
};

}  // namespace

HRESULT MeshUnit::BuildExtrusionMesh(ID3DXMesh* mesh, ID3DXMesh** extrusion) {
    if (!extrusion) return D3DERR_INVALIDCALL;
    *extrusion = nullptr;
    if (!mesh) return D3DERR_INVALIDCALL;

    IDirect3DDevice9* device = nullptr;
    HRESULT hr = mesh->GetDevice(&device);
    if (FAILED(hr)) return hr;
    ID3DXMesh* source = nullptr;
    hr = mesh->CloneMesh(D3DXMESH_32BIT | D3DXMESH_SYSTEMMEM, kExtrusionDeclaration, device, &source);
    ID3DXMesh* result = nullptr;
    try {
        const DWORD faces = SUCCEEDED(hr) ? source->GetNumFaces() : 0;
        const DWORD sourceVertices = SUCCEEDED(hr) ? source->GetNumVertices() : 0;
        std::vector<DWORD> adjacency(size_t(faces) * 3);
        std::vector<DWORD> pointReps(sourceVertices);
        if (SUCCEEDED(hr)) hr = source->GenerateAdjacency(0.0001f, adjacency.data());
        if (SUCCEEDED(hr)) hr = source->ConvertAdjacencyToPointReps(adjacency.data(), pointReps.data());

        ExtrusionBuilder builder;
        ExtrusionVertex* inVertices = nullptr;
        DWORD* inIndices = nullptr;
        DWORD* inAttributes = nullptr;
        if (SUCCEEDED(hr)) hr = source->LockVertexBuffer(D3DLOCK_READONLY, reinterpret_cast<void**>(&inVertices));
        if (SUCCEEDED(hr)) {
            hr = source->LockIndexBuffer(D3DLOCK_READONLY, reinterpret_cast<void**>(&inIndices));
            if (SUCCEEDED(hr)) {
                hr = source->LockAttributeBuffer(D3DLOCK_READONLY, &inAttributes);
                if (SUCCEEDED(hr)) {
                    builder.vertices.reserve(size_t(faces) * 3);
                    for (DWORD f = 0; f < faces; ++f) {
                        const DWORD* corner = &inIndices[size_t(f) * 3];
                        const D3DXVECTOR3& p0 = inVertices[corner[0]].position;
                        const D3DXVECTOR3& p1 = inVertices[corner[1]].position;
                        const D3DXVECTOR3& p2 = inVertices[corner[2]].position;
                        D3DXVECTOR3 e1 = p1 - p0, e2 = p2 - p0, normal;
                        D3DXVec3Cross(&normal, &e1, &e2);
                        D3DXVec3Normalize(&normal, &normal);
                        const DWORD base = static_cast<DWORD>(builder.vertices.size());
                        for (int k = 0; k < 3; ++k) builder.vertices.push_back({inVertices[corner[k]].position, normal});
                        builder.AddTriangle(base, base + 1, base + 2, inAttributes[f]);
                        for (int k = 0; k < 3; ++k) {
                            const int next = (k + 1) % 3;
                            builder.AddEdge(pointReps[corner[k]], pointReps[corner[next]], base + k, base + next,
                                            inAttributes[f]);
                        }
                    }
                    builder.CloseOpenEdges();
                    source->UnlockAttributeBuffer();
                }
                source->UnlockIndexBuffer();
            }
            source->UnlockVertexBuffer();
        }

        const DWORD outVertices = static_cast<DWORD>(builder.vertices.size());
        const DWORD outFaces = static_cast<DWORD>(builder.attributes.size());
        const bool wide = outVertices >= 65536;
        if (SUCCEEDED(hr) && outFaces == 0) hr = D3DXERR_INVALIDMESH;
        if (SUCCEEDED(hr))
            hr = D3DXCreateMesh(outFaces, outVertices, D3DXMESH_WRITEONLY | D3DXMESH_MANAGED | (wide ? D3DXMESH_32BIT : 0),
                                kExtrusionDeclaration, device, &result);
        void* out = nullptr;
        if (SUCCEEDED(hr) && SUCCEEDED(hr = result->LockVertexBuffer(0, &out))) {
            std::memcpy(out, builder.vertices.data(), builder.vertices.size() * sizeof(ExtrusionVertex));
            result->UnlockVertexBuffer();
        }
        if (SUCCEEDED(hr) && SUCCEEDED(hr = result->LockIndexBuffer(0, &out))) {
            if (wide) {
                std::memcpy(out, builder.indices.data(), builder.indices.size() * sizeof(DWORD));
            } else {
                auto* narrow = static_cast<WORD*>(out);
                for (size_t i = 0; i < builder.indices.size(); ++i) narrow[i] = static_cast<WORD>(builder.indices[i]);
            }
            result->UnlockIndexBuffer();
        }
        DWORD* outAttributes = nullptr;
        if (SUCCEEDED(hr) && SUCCEEDED(hr = result->LockAttributeBuffer(0, &outAttributes))) {
            std::memcpy(outAttributes, builder.attributes.data(), builder.attributes.size() * sizeof(DWORD));
            result->UnlockAttributeBuffer();
        }
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    if (source) source->Release();
    device->Release();
    if (FAILED(hr)) {
        if (result) result->Release();
        return hr;
    }
    *extrusion = result;
    return S_OK;
}

}  // namespace Quorvex
