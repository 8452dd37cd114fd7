// Triangle-mesh collision shapes over D3DX meshes: a bounding-volume tree over
// the mesh's triangles, and a compound holding one such shape.
#pragma once
#include <btBulletDynamicsCommon.h>

#include "platform/d3dx9/d3dx9.h"

namespace Quorvex {
class MeshUnit;
}

ATTRIBUTE_ALIGNED16(class) MeshShape : public btBvhTriangleMeshShape {
public:
    BT_DECLARE_ALIGNED_ALLOCATOR();

    // Takes the arrays and the mesh interface; holds a reference to the mesh.
    MeshShape(const btVector3& aabbMin, btTriangleIndexVertexArray* meshInterface, ID3DXMesh* mesh,
              float* vertices, int vertexCount, int* indices, int indexCount, const btVector3& aabbMax);
    ~MeshShape() override;

    // The shape of the mesh's triangles, or null when its vertices cannot be
    // read. The tree's box always contains the mesh origin.
    static MeshShape* Create(ID3DXMesh* mesh);

    int GetVertexCount() const { return m_vertexCount; }
    int GetIndexCount() const { return m_indexCount; }
    const float* GetVertices() const { return m_vertices; }

private:
    ID3DXMesh* m_pMesh = nullptr;
    int m_vertexCount = 0;
    float* m_vertices = nullptr;
    int m_indexCount = 0;
    int* m_indices = nullptr;
    btTriangleIndexVertexArray* m_pMeshInterface = nullptr;
};

// A compound of the triangle shape of a mesh resource's first mesh part, at
// the identity transform; empty when the mesh, its part or its D3DX mesh is
// missing. Owns its children.
ATTRIBUTE_ALIGNED16(class) MeshCompoundShape : public btCompoundShape {
public:
    BT_DECLARE_ALIGNED_ALLOCATOR();

    explicit MeshCompoundShape(Quorvex::MeshUnit* mesh);
    explicit MeshCompoundShape(ID3DXMesh* mesh);
    ~MeshCompoundShape() override;

private:
    void AddMesh(ID3DXMesh* mesh);
};

namespace Quorvex {
using ::MeshCompoundShape;
using ::MeshShape;
}
