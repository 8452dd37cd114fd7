// Collision shapes built from mesh data: vertex reading, convex hulls and
// triangle-mesh shapes, over a small in-memory mesh.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <tuple>
#include <vector>

#include "game/world/CollisionShapeSet.h"
#include "game/world/MeshShape.h"

namespace {

// Just enough of a D3DX mesh for reading: a declaration, vertex bytes and
// 16- or 32-bit indices.
class MemoryMesh : public ID3DXMesh {
public:
    MemoryMesh(std::vector<D3DVERTEXELEMENT9> declaration, int stride, std::vector<BYTE> vertices,
               std::vector<DWORD> indices, bool wide = false)
        : decl_(std::move(declaration)), stride_(stride), vertices_(std::move(vertices)), wide_(wide) {
        for (DWORD i : indices) {
            if (wide_) {
                indices32_.push_back(i);
            } else {
                indices16_.push_back(static_cast<WORD>(i));
            }
        }
        faces_ = static_cast<DWORD>(indices.size() / 3);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        if (object) *object = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }

    HRESULT STDMETHODCALLTYPE DrawSubset(DWORD) override { return E_NOTIMPL; }
    DWORD STDMETHODCALLTYPE GetNumFaces() override { return faces_; }
    DWORD STDMETHODCALLTYPE GetNumVertices() override { return static_cast<DWORD>(vertices_.size() / stride_); }
    DWORD STDMETHODCALLTYPE GetFVF() override { return 0; }
    HRESULT STDMETHODCALLTYPE GetDeclaration(D3DVERTEXELEMENT9 out[MAX_FVF_DECL_SIZE]) override {
        for (size_t i = 0; i < decl_.size(); ++i) out[i] = decl_[i];
        out[decl_.size()] = D3DDECL_END();
        return S_OK;
    }
    DWORD STDMETHODCALLTYPE GetNumBytesPerVertex() override { return static_cast<DWORD>(stride_); }
    DWORD STDMETHODCALLTYPE GetOptions() override { return wide_ ? D3DXMESH_32BIT : 0u; }
    HRESULT STDMETHODCALLTYPE GetDevice(LPDIRECT3DDEVICE9*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CloneMeshFVF(DWORD, DWORD, LPDIRECT3DDEVICE9, LPD3DXMESH*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CloneMesh(DWORD, const D3DVERTEXELEMENT9*, LPDIRECT3DDEVICE9, LPD3DXMESH*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetVertexBuffer(LPDIRECT3DVERTEXBUFFER9*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIndexBuffer(LPDIRECT3DINDEXBUFFER9*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockVertexBuffer(DWORD, LPVOID* data) override {
        *data = vertices_.data();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UnlockVertexBuffer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockIndexBuffer(DWORD, LPVOID* data) override {
        *data = wide_ ? static_cast<void*>(indices32_.data()) : static_cast<void*>(indices16_.data());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UnlockIndexBuffer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetAttributeTable(D3DXATTRIBUTERANGE*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ConvertPointRepsToAdjacency(const DWORD*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ConvertAdjacencyToPointReps(const DWORD*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GenerateAdjacency(FLOAT, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UpdateSemantics(D3DVERTEXELEMENT9[MAX_FVF_DECL_SIZE]) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockAttributeBuffer(DWORD, DWORD**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnlockAttributeBuffer() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Optimize(DWORD, const DWORD*, DWORD*, DWORD*, LPD3DXBUFFER*, LPD3DXMESH*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE OptimizeInplace(DWORD, const DWORD*, DWORD*, DWORD*, LPD3DXBUFFER*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetAttributeTable(const D3DXATTRIBUTERANGE*, DWORD) override { return E_NOTIMPL; }

    int refs = 1;

private:
    std::vector<D3DVERTEXELEMENT9> decl_;
    int stride_;
    std::vector<BYTE> vertices_;
    std::vector<WORD> indices16_;
    std::vector<DWORD> indices32_;
    DWORD faces_ = 0;
    bool wide_;
};

// A cube from `low` to `high` (12 triangles). Each vertex carries a normal
// before its position, so the position sits at offset 12 of 24 bytes.
MemoryMesh* NewCube(float low, float high, bool withPosition = true, bool wide = false, DWORD badIndex = 0) {
    std::vector<D3DVERTEXELEMENT9> decl = {
        {0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0},
        {0, 12, D3DDECLTYPE_FLOAT3, 0, static_cast<BYTE>(withPosition ? D3DDECLUSAGE_POSITION : D3DDECLUSAGE_TEXCOORD),
         0},
    };
    std::vector<BYTE> bytes;
    for (int i = 0; i < 8; ++i) {
        const float vertex[6] = {0.0f, 1.0f, 0.0f, (i & 1) ? high : low, (i & 2) ? high : low, (i & 4) ? high : low};
        const BYTE* raw = reinterpret_cast<const BYTE*>(vertex);
        bytes.insert(bytes.end(), raw, raw + sizeof(vertex));
    }
    std::vector<DWORD> indices = {0, 1, 3, 0, 3, 2, 4, 6, 7, 4, 7, 5, 0, 4, 5, 0, 5, 1,
                                  2, 3, 7, 2, 7, 6, 0, 2, 6, 0, 6, 4, 1, 5, 7, 1, 7, 3};
    if (badIndex) indices[4] = badIndex;
    return new MemoryMesh(decl, 24, bytes, indices, wide);
}

TEST(CollisionShapes, VerticesAreReadFromTheLastPositionElementOrNotAtAll) {
    struct Case {
        bool withPosition;
        bool wide;
        DWORD badIndex;
        int result;
    };
    const Case cases[] = {
        {true, false, 0, 0},
        {true, true, 0, 0},      // 32-bit indices are read as such
        {false, false, 0, -1},   // no position element
        {true, false, 8, -1},    // an index past the last vertex
    };
    for (const Case& c : cases) {
        MemoryMesh* mesh = NewCube(-1.0f, 2.0f, c.withPosition, c.wide, c.badIndex);
        CollisionShapeSet::VertInfo info;
        EXPECT_EQ(info.Read(mesh), c.result) << &c - cases;
        if (c.result == 0) {
            EXPECT_EQ(info.vertexCount, 8);
            EXPECT_EQ(info.faceCount, 12);
            EXPECT_EQ(info.indexCount, 36);
            EXPECT_EQ(info.vertexStride, 24);
            EXPECT_EQ(info.vertices[4 * 7 + 0], 2.0f);
            EXPECT_EQ(info.vertices[4 * 7 + 1], 2.0f);
            EXPECT_EQ(info.vertices[4 * 7 + 2], 2.0f);
            EXPECT_EQ(info.vertices[4 * 7 + 3], 0.0f);
            EXPECT_EQ(info.indices[35], 3);
        } else {
            EXPECT_EQ(info.vertices, nullptr);
            EXPECT_EQ(info.indices, nullptr);
        }
        delete mesh;
    }
}

TEST(CollisionShapes, HullOfACubeHasItsEightCorners) {
    MemoryMesh* cube = NewCube(-10.0f, 10.0f);
    btConvexHullShape* hull = CollisionShapeSet::CreateHullShape(cube);
    ASSERT_NE(hull, nullptr);
    std::set<std::tuple<int, int, int>> corners;
    for (int i = 0; i < hull->getNumPoints(); ++i) {
        const btVector3& p = hull->getUnscaledPoints()[i];
        corners.insert({static_cast<int>(std::lround(p.x())), static_cast<int>(std::lround(p.y())),
                        static_cast<int>(std::lround(p.z()))});
    }
    EXPECT_EQ(corners.size(), 8u);
    for (const auto& corner : corners) {
        EXPECT_EQ(std::abs(std::get<0>(corner)), 10);
        EXPECT_EQ(std::abs(std::get<1>(corner)), 10);
        EXPECT_EQ(std::abs(std::get<2>(corner)), 10);
    }
    delete hull;
    delete cube;

    MemoryMesh* blind = NewCube(-10.0f, 10.0f, false);
    EXPECT_EQ(CollisionShapeSet::CreateHullShape(blind), nullptr);
    EXPECT_EQ(CollisionShapeSet::CreateHullShape(nullptr), nullptr);
    delete blind;
}

TEST(CollisionShapes, MeshShapeBoxAlwaysHoldsTheOriginAndTheShapeHoldsTheMesh) {
    MemoryMesh* cube = NewCube(5.0f, 9.0f);  // entirely at positive coordinates
    MeshShape* shape = MeshShape::Create(cube);
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(cube->refs, 2);
    btVector3 minimum, maximum;
    btTransform identity;
    identity.setIdentity();
    shape->getAabb(identity, minimum, maximum);
    EXPECT_LE(minimum.x(), 5.0f);
    EXPECT_GE(maximum.x(), 9.0f);
    // The tree's quantisation box starts at the origin.
    const btQuantizedBvh* bvh = shape->getOptimizedBvh();
    ASSERT_NE(bvh, nullptr);
    const unsigned short lowest[3] = {0, 0, 0};
    const btVector3 low = bvh->unQuantize(lowest);
    EXPECT_LE(low.x(), 0.0f);
    EXPECT_LE(low.y(), 0.0f);
    EXPECT_LE(low.z(), 0.0f);
    delete shape;
    EXPECT_EQ(cube->refs, 1) << "the mesh reference goes with the shape";

    auto* compound = new MeshCompoundShape(cube);
    EXPECT_EQ(compound->getNumChildShapes(), 1);
    delete compound;
    auto* empty = new MeshCompoundShape(static_cast<ID3DXMesh*>(nullptr));
    EXPECT_EQ(empty->getNumChildShapes(), 0);
    delete empty;
    EXPECT_EQ(cube->refs, 1);
    delete cube;
}

}  // namespace
