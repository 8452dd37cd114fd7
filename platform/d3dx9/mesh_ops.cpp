// Mesh helpers: normals, tangents, boxes, spheres and bounding spheres.
#include <climits>
#include <cmath>
#include <cstring>

#include "platform/d3dx9/mesh_impl.h"

using orv::d3dx9::MeshArrays;

namespace {

void WriteVector(const MeshArrays& a, std::vector<uint8_t>& vertices, const D3DVERTEXELEMENT9& e, DWORD vertex,
                 const D3DXVECTOR3& v) {
    const float value[4] = {v.x, v.y, v.z, 0.0f};
    orv::d3dx9::WriteElement(e.Type, value, &vertices[size_t(vertex) * a.format.stride + e.Offset]);
}

HRESULT WriteVertices(ID3DXBaseMesh* mesh, const std::vector<uint8_t>& vertices) {
    void* p = nullptr;
    const HRESULT hr = mesh->LockVertexBuffer(0, &p);
    if (FAILED(hr)) return hr;
    std::memcpy(p, vertices.data(), vertices.size());
    return mesh->UnlockVertexBuffer();
}

// Corner angle at `at` between the edges towards b and c.
float CornerAngle(const D3DXVECTOR3& at, const D3DXVECTOR3& b, const D3DXVECTOR3& c) {
    D3DXVECTOR3 u = b - at, v = c - at;
    const float lu = D3DXVec3Length(&u), lv = D3DXVec3Length(&v);
    if (lu <= 0 || lv <= 0) return 0;
    return std::acos(std::fmax(-1.0f, std::fmin(1.0f, D3DXVec3Dot(&u, &v) / (lu * lv))));
}

// Builds a position-and-normal mesh of the given vertices and triangles.
struct PnVertex {
    D3DXVECTOR3 position, normal;
};

HRESULT MakePnMesh(IDirect3DDevice9* device, const std::vector<PnVertex>& vertices,
                   const std::vector<uint32_t>& indices, LPD3DXMESH* mesh, LPD3DXBUFFER* adjacency) {
    if (adjacency) *adjacency = nullptr;
    MeshArrays a;
    if (!orv::d3dx9::MakeFormatFromFvf(D3DFVF_XYZ | D3DFVF_NORMAL, a.format)) return E_FAIL;
    a.options = D3DXMESH_MANAGED;
    a.vertices.resize(vertices.size() * sizeof(PnVertex));
    std::memcpy(a.vertices.data(), vertices.data(), a.vertices.size());
    a.indices = indices;
    a.attributes.assign(indices.size() / 3, 0);
    a.table = orv::d3dx9::TableOf(a);
    HRESULT hr = orv::d3dx9::BuildMesh(device, a, mesh);
    if (FAILED(hr) || !adjacency) return hr;
    const std::vector<DWORD> adj = orv::d3dx9::AdjacencyFromPointReps(a, orv::d3dx9::PointReps(a, 0.0f));
    hr = D3DXCreateBuffer(static_cast<DWORD>(adj.size() * sizeof(DWORD)), adjacency);
    if (FAILED(hr)) {
        (*mesh)->Release();
        *mesh = nullptr;
        return hr;
    }
    std::memcpy((*adjacency)->GetBufferPointer(), adj.data(), adj.size() * sizeof(DWORD));
    return D3D_OK;
}

}  // namespace

HRESULT WINAPI D3DXComputeNormals(LPD3DXBASEMESH pMesh, const DWORD* pAdjacency) {
    MeshArrays a;
    HRESULT hr = orv::d3dx9::ReadMesh(pMesh, a);
    if (FAILED(hr)) return hr;
    const D3DVERTEXELEMENT9* normal = a.format.Find(D3DDECLUSAGE_NORMAL);
    if (!normal || !a.format.Find(D3DDECLUSAGE_POSITION)) return D3DERR_INVALIDCALL;
    const DWORD vertices = a.NumVertices();
    // With adjacency, vertices standing for one point share one normal.
    std::vector<DWORD> reps(vertices);
    for (DWORD v = 0; v < vertices; ++v) reps[v] = v;
    if (pAdjacency) {
        hr = pMesh->ConvertAdjacencyToPointReps(pAdjacency, reps.data());
        if (FAILED(hr)) return hr;
    }
    std::vector<D3DXVECTOR3> sums(vertices, D3DXVECTOR3(0, 0, 0));
    for (DWORD f = 0; f < a.NumFaces(); ++f) {
        const uint32_t* i = &a.indices[size_t(f) * 3];
        const D3DXVECTOR3 p[3] = {a.Position(i[0]), a.Position(i[1]), a.Position(i[2])};
        D3DXVECTOR3 e1 = p[1] - p[0], e2 = p[2] - p[0], n;
        D3DXVec3Cross(&n, &e1, &e2);
        D3DXVec3Normalize(&n, &n);
        for (int k = 0; k < 3; ++k)
            sums[reps[i[k]]] += n * CornerAngle(p[k], p[(k + 1) % 3], p[(k + 2) % 3]);
    }
    for (DWORD v = 0; v < vertices; ++v) {
        D3DXVECTOR3 n = sums[reps[v]];
        D3DXVec3Normalize(&n, &n);
        WriteVector(a, a.vertices, *normal, v, n);
    }
    return WriteVertices(pMesh, a.vertices);
}

HRESULT WINAPI D3DXComputeTangent(LPD3DXMESH Mesh, DWORD TexStage, DWORD TangentIndex, DWORD BinormIndex,
                                  DWORD, const DWORD*) {
    MeshArrays a;
    HRESULT hr = orv::d3dx9::ReadMesh(Mesh, a);
    if (FAILED(hr)) return hr;
    if (TexStage > 7 || TangentIndex > 255) return D3DERR_INVALIDCALL;
    const D3DVERTEXELEMENT9* uv = a.format.Find(D3DDECLUSAGE_TEXCOORD, static_cast<BYTE>(TexStage));
    const D3DVERTEXELEMENT9* tangent = a.format.Find(D3DDECLUSAGE_TANGENT, static_cast<BYTE>(TangentIndex));
    const D3DVERTEXELEMENT9* binormal =
        BinormIndex <= 255 ? a.format.Find(D3DDECLUSAGE_BINORMAL, static_cast<BYTE>(BinormIndex)) : nullptr;
    const D3DVERTEXELEMENT9* normal = a.format.Find(D3DDECLUSAGE_NORMAL);
    if (!uv || !tangent) return D3DERR_INVALIDCALL;
    const DWORD vertices = a.NumVertices();
    auto uvOf = [&](DWORD v) {
        float t[4];
        orv::d3dx9::ReadElement(uv->Type, &a.vertices[size_t(v) * a.format.stride + uv->Offset], t);
        return D3DXVECTOR2(t[0], t[1]);
    };
    std::vector<D3DXVECTOR3> tangents(vertices, D3DXVECTOR3(0, 0, 0)), binormals(vertices, D3DXVECTOR3(0, 0, 0));
    for (DWORD f = 0; f < a.NumFaces(); ++f) {
        const uint32_t* i = &a.indices[size_t(f) * 3];
        const D3DXVECTOR3 p0 = a.Position(i[0]), e1 = a.Position(i[1]) - p0, e2 = a.Position(i[2]) - p0;
        const D3DXVECTOR2 t0 = uvOf(i[0]), d1 = uvOf(i[1]) - t0, d2 = uvOf(i[2]) - t0;
        const float det = d1.x * d2.y - d2.x * d1.y;
        if (std::fabs(det) < 1e-12f) continue;
        const float r = 1.0f / det;
        const D3DXVECTOR3 t = (e1 * d2.y - e2 * d1.y) * r;  // along +u
        const D3DXVECTOR3 b = (e2 * d1.x - e1 * d2.x) * r;  // along +v
        for (int k = 0; k < 3; ++k) {
            tangents[i[k]] += t;
            binormals[i[k]] += b;
        }
    }
    for (DWORD v = 0; v < vertices; ++v) {
        D3DXVECTOR3 t = tangents[v], b = binormals[v];
        if (normal) {
            float nv[4];
            orv::d3dx9::ReadElement(normal->Type, &a.vertices[size_t(v) * a.format.stride + normal->Offset], nv);
            D3DXVECTOR3 n(nv[0], nv[1], nv[2]);
            D3DXVec3Normalize(&n, &n);
            t -= n * D3DXVec3Dot(&n, &t);
            b -= n * D3DXVec3Dot(&n, &b);
        }
        D3DXVec3Normalize(&t, &t);
        D3DXVec3Normalize(&b, &b);
        WriteVector(a, a.vertices, *tangent, v, t);
        if (binormal) WriteVector(a, a.vertices, *binormal, v, b);
    }
    return WriteVertices(Mesh, a.vertices);
}

HRESULT WINAPI D3DXComputeBoundingSphere(const D3DXVECTOR3* pFirstPosition, DWORD NumVertices, DWORD dwStride,
                                         D3DXVECTOR3* pCenter, FLOAT* pRadius) {
    if (!pFirstPosition || !pCenter || !pRadius || dwStride < sizeof(D3DXVECTOR3)) return D3DERR_INVALIDCALL;
    const auto* bytes = reinterpret_cast<const uint8_t*>(pFirstPosition);
    auto at = [&](DWORD i) {
        D3DXVECTOR3 p;
        std::memcpy(&p, bytes + size_t(i) * dwStride, sizeof p);
        return p;
    };
    D3DXVECTOR3 center(0, 0, 0);
    for (DWORD i = 0; i < NumVertices; ++i) center += at(i);
    if (NumVertices) center /= float(NumVertices);
    float radius = 0;
    for (DWORD i = 0; i < NumVertices; ++i) {
        D3DXVECTOR3 d = at(i) - center;
        radius = std::fmax(radius, D3DXVec3Length(&d));
    }
    *pCenter = center;
    *pRadius = radius;
    return D3D_OK;
}

HRESULT WINAPI D3DXCreateBox(LPDIRECT3DDEVICE9 pDevice, FLOAT Width, FLOAT Height, FLOAT Depth, LPD3DXMESH* ppMesh,
                             LPD3DXBUFFER* ppAdjacency) {
    if (!ppMesh) return D3DERR_INVALIDCALL;
    *ppMesh = nullptr;
    if (!pDevice || !(Width >= 0) || !(Height >= 0) || !(Depth >= 0)) return D3DERR_INVALIDCALL;
    const D3DXVECTOR3 h(Width / 2, Height / 2, Depth / 2);
    // Each face: its outward normal and two axes (u, v) with u x v = normal,
    // so the corners (-u-v, +u-v, +u+v, -u+v) run clockwise seen from outside.
    struct Face {
        D3DXVECTOR3 n, u, v;
    };
    const Face faces[6] = {
        {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}}, {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}},
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},  {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}},
    };
    std::vector<PnVertex> vertices;
    std::vector<uint32_t> indices;
    auto scaled = [&](const D3DXVECTOR3& d) { return D3DXVECTOR3(d.x * h.x, d.y * h.y, d.z * h.z); };
    for (const Face& f : faces) {
        const uint32_t base = static_cast<uint32_t>(vertices.size());
        const float su[4] = {-1, 1, 1, -1}, sv[4] = {-1, -1, 1, 1};
        for (int k = 0; k < 4; ++k) vertices.push_back({scaled(f.n + f.u * su[k] + f.v * sv[k]), f.n});
        for (uint32_t i : {0u, 1u, 2u, 0u, 2u, 3u}) indices.push_back(base + i);
    }
    return MakePnMesh(pDevice, vertices, indices, ppMesh, ppAdjacency);
}

HRESULT WINAPI D3DXCreateSphere(LPDIRECT3DDEVICE9 pDevice, FLOAT Radius, UINT Slices, UINT Stacks,
                                LPD3DXMESH* ppMesh, LPD3DXBUFFER* ppAdjacency) {
    if (!ppMesh) return D3DERR_INVALIDCALL;
    *ppMesh = nullptr;
    if (!pDevice || !(Radius >= 0) || Slices < 2 || Stacks < 2 || Slices > 4096 || Stacks > 4096)
        return D3DERR_INVALIDCALL;
    std::vector<PnVertex> vertices;
    std::vector<uint32_t> indices;
    vertices.push_back({{0, 0, Radius}, {0, 0, 1}});  // top pole on +z
    for (UINT stack = 1; stack < Stacks; ++stack) {
        const float theta = D3DX_PI * stack / Stacks;
        for (UINT slice = 0; slice < Slices; ++slice) {
            const float phi = 2 * D3DX_PI * slice / Slices;
            const D3DXVECTOR3 n(std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi), std::cos(theta));
            vertices.push_back({n * Radius, n});
        }
    }
    vertices.push_back({{0, 0, -Radius}, {0, 0, -1}});
    const uint32_t bottom = static_cast<uint32_t>(vertices.size() - 1);
    auto ring = [&](UINT stack, UINT slice) { return 1 + (stack - 1) * Slices + slice % Slices; };
    // Seen from outside, (pole, this slice, next slice) runs clockwise.
    for (UINT s = 0; s < Slices; ++s) {
        indices.insert(indices.end(), {0u, ring(1, s), ring(1, s + 1)});
        for (UINT stack = 1; stack + 1 < Stacks; ++stack) {
            const uint32_t a = ring(stack, s), b = ring(stack, s + 1), c = ring(stack + 1, s), d = ring(stack + 1, s + 1);
            indices.insert(indices.end(), {a, c, b, b, c, d});
        }
        indices.insert(indices.end(), {bottom, ring(Stacks - 1, s + 1), ring(Stacks - 1, s)});
    }
    return MakePnMesh(pDevice, vertices, indices, ppMesh, ppAdjacency);
}
