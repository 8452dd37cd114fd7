// Meshes: vertex formats, boxes and spheres, normals and tangents, cloning,
// optimising, adjacency and drawing one subset.
#include <cmath>

#include "assets_fixture.h"

namespace {

struct Pn {
    D3DXVECTOR3 p, n;
};

// Positions and indices of a mesh.
void Read(ID3DXMesh* mesh, std::vector<D3DXVECTOR3>& positions, std::vector<uint32_t>& indices) {
    const DWORD stride = mesh->GetNumBytesPerVertex();
    void* v = nullptr;
    ASSERT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, &v), D3D_OK);
    positions.resize(mesh->GetNumVertices());
    for (DWORD i = 0; i < positions.size(); ++i)
        std::memcpy(&positions[i], static_cast<uint8_t*>(v) + size_t(i) * stride, 12);
    mesh->UnlockVertexBuffer();
    void* ix = nullptr;
    ASSERT_EQ(mesh->LockIndexBuffer(D3DLOCK_READONLY, &ix), D3D_OK);
    indices.resize(size_t(mesh->GetNumFaces()) * 3);
    for (size_t i = 0; i < indices.size(); ++i)
        indices[i] = (mesh->GetOptions() & D3DXMESH_32BIT) ? static_cast<uint32_t*>(ix)[i] : static_cast<uint16_t*>(ix)[i];
    mesh->UnlockIndexBuffer();
}

// Meshes need a device to live on.
class MeshTest : public DeviceTest {};

TEST(MeshFormat, FvfCodesAndDeclarationsConvertBothWays) {
    struct Case {
        DWORD fvf;
        UINT size;
        UINT elements;
    };
    const Case cases[] = {
        {D3DFVF_XYZ, 12, 1},
        {D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, 32, 3},
        {D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE3(1), 36, 4},
        {D3DFVF_XYZB3 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL | D3DFVF_TEX1, 44, 5},
        {D3DFVF_XYZB1 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL | D3DFVF_TEX1, 36, 4},
        {D3DFVF_XYZB2, 20, 2},
        {D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR, 24, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fvf);
        D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE];
        ASSERT_EQ(D3DXDeclaratorFromFVF(c.fvf, decl), D3D_OK);
        EXPECT_EQ(D3DXGetDeclLength(decl), c.elements);
        EXPECT_EQ(D3DXGetDeclVertexSize(decl, 0), c.size);
        EXPECT_EQ(D3DXGetFVFVertexSize(c.fvf), c.size);
        DWORD back = 0;
        ASSERT_EQ(D3DXFVFFromDeclarator(decl, &back), D3D_OK);
        EXPECT_EQ(back, c.fvf);
    }
    // Blend indices read as a colour have no FVF code of their own here.
    const D3DVERTEXELEMENT9 tangents[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                          {0, 12, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_TANGENT, 0},
                                          D3DDECL_END()};
    DWORD fvf = 0;
    EXPECT_TRUE(FAILED(D3DXFVFFromDeclarator(tangents, &fvf)));
}

TEST_F(MeshTest, BoxesAndSpheresFaceOutwardWithUnitNormals) {
    struct Case {
        const char* name;
        bool box;
        DWORD vertices, faces;
        float extent;  // of every position along its normal's main axis or radius
    };
    const Case cases[] = {{"box", true, 24, 12, 0}, {"sphere 16x16", false, 16 * 15 + 2, 2 * 16 * 15, 2.0f},
                          {"sphere 3x2", false, 3 * 1 + 2, 2 * 3 * 1, 2.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ID3DXMesh* mesh = nullptr;
        ID3DXBuffer* adjacency = nullptr;
        if (c.box) ASSERT_EQ(D3DXCreateBox(device_, 2, 4, 6, &mesh, &adjacency), D3D_OK);
        else ASSERT_EQ(D3DXCreateSphere(device_, 2.0f, c.vertices == 5 ? 3 : 16, c.vertices == 5 ? 2 : 16, &mesh, &adjacency), D3D_OK);
        EXPECT_EQ(mesh->GetNumVertices(), c.vertices);
        EXPECT_EQ(mesh->GetNumFaces(), c.faces);
        EXPECT_EQ(mesh->GetFVF(), D3DFVF_XYZ | D3DFVF_NORMAL);
        std::vector<D3DXVECTOR3> p;
        std::vector<uint32_t> ix;
        Read(mesh, p, ix);
        for (DWORD f = 0; f < c.faces; ++f) {
            const D3DXVECTOR3 a = p[ix[f * 3]], b = p[ix[f * 3 + 1]], d = p[ix[f * 3 + 2]];
            D3DXVECTOR3 e1 = b - a, e2 = d - a, n;
            D3DXVec3Cross(&n, &e1, &e2);  // points at the viewer of a clockwise face
            D3DXVECTOR3 centre = (a + b + d) / 3.0f;
            EXPECT_GT(D3DXVec3Dot(&n, &centre), 0.0f) << "face " << f << " turns inward";
        }
        void* v = nullptr;
        ASSERT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, &v), D3D_OK);
        for (DWORD i = 0; i < c.vertices; ++i) {
            const Pn& vertex = static_cast<Pn*>(v)[i];
            EXPECT_NEAR(D3DXVec3Length(&vertex.n), 1.0f, 1e-5f);
            EXPECT_GT(D3DXVec3Dot(&vertex.n, &vertex.p), 0.0f);
            if (!c.box) EXPECT_NEAR(D3DXVec3Length(&vertex.p), c.extent, 1e-5f);
            else EXPECT_NEAR(std::fabs(vertex.p.x) + std::fabs(vertex.p.y) + std::fabs(vertex.p.z), 6.0f, 1e-5f);
        }
        mesh->UnlockVertexBuffer();
        // Closed shapes: every edge has a face on its other side.
        ASSERT_EQ(adjacency->GetBufferSize(), c.faces * 3 * sizeof(DWORD));
        const auto* adj = static_cast<const DWORD*>(adjacency->GetBufferPointer());
        for (DWORD i = 0; i < c.faces * 3; ++i) EXPECT_LT(adj[i], c.faces) << i;
        adjacency->Release();
        mesh->Release();
    }
}

TEST_F(MeshTest, ComputedNormalsAndTangentsMatchTheSurface) {
    // A sphere with its normals wiped gets them back from the faces.
    ID3DXMesh* sphere = nullptr;
    ASSERT_EQ(D3DXCreateSphere(device_, 1.0f, 24, 12, &sphere, nullptr), D3D_OK);
    void* v = nullptr;
    ASSERT_EQ(sphere->LockVertexBuffer(0, &v), D3D_OK);
    for (DWORD i = 0; i < sphere->GetNumVertices(); ++i) static_cast<Pn*>(v)[i].n = D3DXVECTOR3(0, 0, 0);
    sphere->UnlockVertexBuffer();
    ASSERT_EQ(D3DXComputeNormals(sphere, nullptr), D3D_OK);
    ASSERT_EQ(sphere->LockVertexBuffer(D3DLOCK_READONLY, &v), D3D_OK);
    for (DWORD i = 0; i < sphere->GetNumVertices(); ++i) {
        const Pn& vertex = static_cast<Pn*>(v)[i];
        EXPECT_GT(D3DXVec3Dot(&vertex.n, &vertex.p), 0.98f) << i;
    }
    sphere->UnlockVertexBuffer();
    sphere->Release();

    // A quad facing -z with u to the right (+x) and v down (-y): tangent +x,
    // binormal -y.
    const D3DVERTEXELEMENT9 decl[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                      {0, 12, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0},
                                      {0, 24, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_TANGENT, 0},
                                      {0, 36, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_BINORMAL, 0},
                                      {0, 48, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                      D3DDECL_END()};
    struct V {
        float p[3], n[3], t[3], b[3], uv[2];
    };
    const V quad[4] = {{{0, 1, 0}, {0, 0, -1}, {}, {}, {0, 0}},
                       {{1, 1, 0}, {0, 0, -1}, {}, {}, {1, 0}},
                       {{1, 0, 0}, {0, 0, -1}, {}, {}, {1, 1}},
                       {{0, 0, 0}, {0, 0, -1}, {}, {}, {0, 1}}};
    const uint16_t faces[6] = {0, 1, 2, 0, 2, 3};
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3DXCreateMesh(2, 4, D3DXMESH_MANAGED, decl, device_, &mesh), D3D_OK);
    ASSERT_EQ(mesh->LockVertexBuffer(0, &v), D3D_OK);
    std::memcpy(v, quad, sizeof quad);
    mesh->UnlockVertexBuffer();
    ASSERT_EQ(mesh->LockIndexBuffer(0, &v), D3D_OK);
    std::memcpy(v, faces, sizeof faces);
    mesh->UnlockIndexBuffer();
    ASSERT_EQ(D3DXComputeTangent(mesh, 0, 0, 0, TRUE, nullptr), D3D_OK);
    ASSERT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, &v), D3D_OK);
    for (int i = 0; i < 4; ++i) {
        const V& out = static_cast<V*>(v)[i];
        EXPECT_NEAR(out.t[0], 1.0f, 1e-5f);
        EXPECT_NEAR(out.b[1], -1.0f, 1e-5f);
    }
    mesh->UnlockVertexBuffer();
    mesh->Release();
}

TEST_F(MeshTest, CloneAndOptimizeKeepFacesAndAttributes) {
    // Four triangles with attribute ids 1, 0, 1, 0 over six vertices, one unused.
    const D3DXVECTOR3 points[6] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {9, 9, 9}, {1, 1, 0}, {2, 0, 0}};
    const uint16_t faces[12] = {0, 2, 1, 1, 2, 4, 1, 4, 5, 0, 1, 5};
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3DXCreateMeshFVF(4, 6, D3DXMESH_MANAGED, D3DFVF_XYZ, device_, &mesh), D3D_OK);
    void* v = nullptr;
    ASSERT_EQ(mesh->LockVertexBuffer(0, &v), D3D_OK);
    std::memcpy(v, points, sizeof points);
    mesh->UnlockVertexBuffer();
    ASSERT_EQ(mesh->LockIndexBuffer(0, &v), D3D_OK);
    std::memcpy(v, faces, sizeof faces);
    mesh->UnlockIndexBuffer();
    DWORD* attributes = nullptr;
    ASSERT_EQ(mesh->LockAttributeBuffer(0, &attributes), D3D_OK);
    const DWORD ids[4] = {1, 0, 1, 0};
    std::memcpy(attributes, ids, sizeof ids);
    mesh->UnlockAttributeBuffer();

    // Cloned to 32-bit indices with normals: positions kept, normals zero.
    ID3DXMesh* clone = nullptr;
    ASSERT_EQ(mesh->CloneMeshFVF(D3DXMESH_MANAGED | D3DXMESH_32BIT, D3DFVF_XYZ | D3DFVF_NORMAL, device_, &clone),
              D3D_OK);
    std::vector<D3DXVECTOR3> p;
    std::vector<uint32_t> ix;
    Read(clone, p, ix);
    EXPECT_EQ(p[4], points[4]);
    EXPECT_EQ(ix, std::vector<uint32_t>(faces, faces + 12));
    LPDIRECT3DINDEXBUFFER9 ib = nullptr;
    EXPECT_TRUE(FAILED(clone->GetIndexBuffer(&ib)));
    ASSERT_EQ(clone->LockVertexBuffer(D3DLOCK_READONLY, &v), D3D_OK);
    EXPECT_EQ(static_cast<Pn*>(v)[4].n, D3DXVECTOR3(0, 0, 0));
    clone->UnlockVertexBuffer();

    DWORD faceRemap[4];
    DWORD adjacency[12];
    ID3DXBuffer* vertexRemap = nullptr;
    ASSERT_EQ(clone->OptimizeInplace(D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_COMPACT, nullptr, adjacency, faceRemap,
                                     &vertexRemap),
              D3D_OK);
    EXPECT_EQ(std::vector<DWORD>(faceRemap, faceRemap + 4), (std::vector<DWORD>{1, 3, 0, 2}));
    EXPECT_EQ(clone->GetNumVertices(), 5u) << "the unused vertex is dropped";
    ASSERT_EQ(vertexRemap->GetBufferSize(), 5 * sizeof(DWORD));
    const auto* remap = static_cast<const DWORD*>(vertexRemap->GetBufferPointer());
    for (int i = 0; i < 5; ++i) EXPECT_NE(remap[i], 3u);
    vertexRemap->Release();
    DWORD tableSize = 0;
    ASSERT_EQ(clone->GetAttributeTable(nullptr, &tableSize), D3D_OK);
    ASSERT_EQ(tableSize, 2u);
    D3DXATTRIBUTERANGE table[2];
    clone->GetAttributeTable(table, &tableSize);
    EXPECT_EQ(table[0].AttribId, 0u);
    EXPECT_EQ(table[0].FaceStart, 0u);
    EXPECT_EQ(table[0].FaceCount, 2u);
    EXPECT_EQ(table[1].AttribId, 1u);
    EXPECT_EQ(table[1].FaceStart, 2u);
    // The remapped faces still name the same points, and the two faces that
    // share edge (1, 2)... (old faces 0 and 1, now 2 and 0) are neighbours.
    Read(clone, p, ix);
    for (int f = 0; f < 4; ++f)
        for (int k = 0; k < 3; ++k) EXPECT_EQ(p[ix[f * 3 + k]], points[faces[faceRemap[f] * 3 + k]]);
    EXPECT_NE(std::find(adjacency + 6, adjacency + 9, 0u), adjacency + 9);
    clone->Release();
    mesh->Release();
}

TEST_F(MeshTest, DrawSubsetDrawsOnlyThatAttribute) {
    // Two clip-space quads, left red (attribute 0) and right green (attribute 1).
    struct V {
        float x, y, z;
        D3DCOLOR c;
    };
    const V quads[8] = {{-1, -1, 0.5f, 0xFFFF0000}, {-1, 1, 0.5f, 0xFFFF0000}, {0, 1, 0.5f, 0xFFFF0000},
                        {0, -1, 0.5f, 0xFFFF0000},  {0, -1, 0.5f, 0xFF00FF00}, {0, 1, 0.5f, 0xFF00FF00},
                        {1, 1, 0.5f, 0xFF00FF00},   {1, -1, 0.5f, 0xFF00FF00}};
    const uint32_t faces[12] = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7};
    for (DWORD options : {DWORD(D3DXMESH_MANAGED), DWORD(D3DXMESH_MANAGED | D3DXMESH_32BIT)}) {
        SCOPED_TRACE(options);
        ID3DXMesh* mesh = nullptr;
        ASSERT_EQ(D3DXCreateMeshFVF(4, 8, options, D3DFVF_XYZ | D3DFVF_DIFFUSE, device_, &mesh), D3D_OK);
        void* v = nullptr;
        ASSERT_EQ(mesh->LockVertexBuffer(0, &v), D3D_OK);
        std::memcpy(v, quads, sizeof quads);
        mesh->UnlockVertexBuffer();
        ASSERT_EQ(mesh->LockIndexBuffer(0, &v), D3D_OK);
        for (int i = 0; i < 12; ++i) {
            if (options & D3DXMESH_32BIT) static_cast<uint32_t*>(v)[i] = faces[i];
            else static_cast<uint16_t*>(v)[i] = uint16_t(faces[i]);
        }
        mesh->UnlockIndexBuffer();
        DWORD* attributes = nullptr;
        ASSERT_EQ(mesh->LockAttributeBuffer(0, &attributes), D3D_OK);
        attributes[2] = attributes[3] = 1;
        mesh->UnlockAttributeBuffer();

        ASSERT_EQ(device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), D3D_OK);
        ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.f, 0), D3D_OK);
        ASSERT_EQ(mesh->DrawSubset(1), D3D_OK);
        ASSERT_EQ(mesh->DrawSubset(7), D3D_OK);  // no such subset: nothing
        ReadBack();
        EXPECT_EQ(At(8, 24), FromArgb(0xFF000000));
        EXPECT_EQ(At(56, 24), FromArgb(0xFF00FF00));
        mesh->Release();
    }
}

}  // namespace
