#include "game/world/MeshShape.h"

#include "engine/assets/MeshUnit.h"
#include "game/world/CollisionShapeSet.h"

MeshShape::MeshShape(const btVector3& aabbMin, btTriangleIndexVertexArray* meshInterface, ID3DXMesh* mesh,
                     float* vertices, int vertexCount, int* indices, int indexCount, const btVector3& aabbMax)
    : btBvhTriangleMeshShape(meshInterface, true, aabbMin, aabbMax, true),
      m_pMesh(mesh),
      m_vertexCount(vertexCount),
      m_vertices(vertices),
      m_indexCount(indexCount),
      m_indices(indices),
      m_pMeshInterface(meshInterface) {
    if (m_pMesh) m_pMesh->AddRef();
}

MeshShape::~MeshShape() {
    delete[] m_vertices;
    delete[] m_indices;
    if (m_pMesh) m_pMesh->Release();
    delete m_pMeshInterface;
}

MeshShape* MeshShape::Create(ID3DXMesh* mesh) {
    CollisionShapeSet::VertInfo info;
    if (info.Read(mesh) < 0 || info.faceCount == 0) return nullptr;

    // The box starts at the origin, so it always contains it.
    btVector3 aabbMin(0.0f, 0.0f, 0.0f);
    btVector3 aabbMax(0.0f, 0.0f, 0.0f);
    for (int v = 0; v < info.vertexCount; ++v) {
        const float* p = info.vertices + 4 * v;
        const btVector3 point(p[0], p[1], p[2]);
        aabbMin.setMin(point);
        aabbMax.setMax(point);
    }
    auto* meshInterface =
        new btTriangleIndexVertexArray(info.faceCount, info.indices, 3 * static_cast<int>(sizeof(int)),
                                       info.vertexCount, info.vertices, 4 * static_cast<int>(sizeof(float)));
    auto* shape = new MeshShape(aabbMin, meshInterface, mesh, info.vertices, info.vertexCount, info.indices,
                                info.indexCount, aabbMax);
    // The shape owns the arrays now.
    info.vertices = nullptr;
    info.indices = nullptr;
    return shape;
}

namespace {

// The first mesh of the hierarchy, depth first.
ID3DXMesh* FirstMesh(const D3DXFRAME* frame) {
    for (; frame; frame = frame->pFrameSibling) {
        const D3DXMESHCONTAINER* container = frame->pMeshContainer;
        if (container && container->MeshData.pMesh) return container->MeshData.pMesh;
        if (ID3DXMesh* mesh = FirstMesh(frame->pFrameFirstChild)) return mesh;
    }
    return nullptr;
}

}  // namespace

MeshCompoundShape::MeshCompoundShape(Quorvex::MeshUnit* mesh) {
    if (mesh) AddMesh(FirstMesh(mesh->GetRootFrame()));
}

MeshCompoundShape::MeshCompoundShape(ID3DXMesh* mesh) { AddMesh(mesh); }

MeshCompoundShape::~MeshCompoundShape() {
    for (int i = getNumChildShapes() - 1; i >= 0; --i) {
        btCollisionShape* child = getChildShape(i);
        removeChildShapeByIndex(i);
        delete child;
    }
}

void MeshCompoundShape::AddMesh(ID3DXMesh* mesh) {
    if (!mesh) return;
    if (MeshShape* shape = MeshShape::Create(mesh)) {
        btTransform identity;
        identity.setIdentity();
        addChildShape(identity, shape);
    }
}
