#include "game/world/CollisionShapeSet.h"

#include <BulletCollision/CollisionShapes/btShapeHull.h>

#include <cstring>

#include "game/world/AreaManager.h"

// ---- VertInfo

CollisionShapeSet::VertInfo::~VertInfo() { Clear(); }

void CollisionShapeSet::VertInfo::Clear() {
    delete[] vertices;
    vertices = nullptr;
    delete[] indices;
    indices = nullptr;
    vertexCount = faceCount = vertexStride = indexCount = 0;
}

int CollisionShapeSet::VertInfo::Read(ID3DXMesh* mesh) {
    Clear();
    if (!mesh) return -1;

    D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE];
    if (FAILED(mesh->GetDeclaration(declaration))) return -1;
    // The last position element counts.
    const D3DVERTEXELEMENT9* position = nullptr;
    for (int i = 0; i < MAX_FVF_DECL_SIZE; ++i) {
        const D3DVERTEXELEMENT9& e = declaration[i];
        if (e.Stream == 0xFF && e.Type == D3DDECLTYPE_UNUSED) break;
        if (e.Usage == D3DDECLUSAGE_POSITION) position = &e;
    }
    if (!position) return -1;

    const int nVertices = static_cast<int>(mesh->GetNumVertices());
    const int nFaces = static_cast<int>(mesh->GetNumFaces());
    const int stride = static_cast<int>(mesh->GetNumBytesPerVertex());
    // Three floats must fit inside each vertex.
    if (nVertices < 0 || nFaces < 0 || position->Offset + 3 * static_cast<int>(sizeof(float)) > stride) return -1;

    vertexCount = nVertices;
    faceCount = nFaces;
    vertexStride = stride;
    indexCount = 3 * nFaces;
    vertices = new float[static_cast<size_t>(vertexCount) * 4];
    indices = new int[static_cast<size_t>(indexCount)];

    void* data = nullptr;
    if (FAILED(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data)) || !data) {
        Clear();
        return -1;
    }
    const auto* bytes = static_cast<const BYTE*>(data);
    for (int v = 0; v < vertexCount; ++v) {
        float xyz[3];
        std::memcpy(xyz, bytes + static_cast<size_t>(v) * stride + position->Offset, sizeof(xyz));
        vertices[4 * v + 0] = xyz[0];
        vertices[4 * v + 1] = xyz[1];
        vertices[4 * v + 2] = xyz[2];
        vertices[4 * v + 3] = 0.0f;
    }
    mesh->UnlockVertexBuffer();

    data = nullptr;
    if (FAILED(mesh->LockIndexBuffer(D3DLOCK_READONLY, &data)) || !data) {
        Clear();
        return -1;
    }
    // A 32-bit mesh keeps 32-bit indices; read as 16-bit they would point
    // anywhere.
    const bool wide = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
    bool inRange = true;
    for (int i = 0; i < indexCount; ++i) {
        const int index = wide ? static_cast<int>(static_cast<const DWORD*>(data)[i])
                               : static_cast<int>(static_cast<const WORD*>(data)[i]);
        if (index < 0 || index >= vertexCount) inRange = false;
        indices[i] = index;
    }
    mesh->UnlockIndexBuffer();
    if (!inRange) {
        Clear();
        return -1;
    }
    return 0;
}

// ---- CollisionShapeSet

CollisionShapeSet::CollisionShapeSet(const wchar_t* name, const btVector3& localInertia, btCollisionShape* shape,
                                     float mass)
    : m_pShape(shape), m_name(name ? name : L""), m_mass(mass), m_localInertia(localInertia) {
    m_localInertia.setW(0.0f);
}

CollisionShapeSet::~CollisionShapeSet() { delete m_pShape; }

btConvexHullShape* CollisionShapeSet::CreateHullShape(ID3DXMesh* mesh) {
    VertInfo info;
    if (info.Read(mesh) < 0 || info.faceCount == 0) return nullptr;

    btTriangleMesh triangles(true, true);
    const auto vertex = [&](int index) {
        const float* v = info.vertices + 4 * info.indices[index];
        return btVector3(v[0], v[1], v[2]);
    };
    for (int i = 0; i + 2 < info.indexCount; i += 3)
        triangles.addTriangle(vertex(i), vertex(i + 1), vertex(i + 2), false);

    btConvexTriangleMeshShape convex(&triangles, true);
    btShapeHull hull(&convex);
    hull.buildHull(convex.getMargin());

    auto* shape = new btConvexHullShape(nullptr, 0, 16);
    for (int i = 0; i < hull.numVertices(); ++i) shape->addPoint(hull.getVertexPointer()[i], false);
    shape->recalcLocalAabb();
    return shape;
}

// ---- Builders

btCollisionShape* CreateShapeSet(const wchar_t* name, btCollisionShape* shape, float mass, bool computeInertia,
                                 Quorvex::IAreaManager* areaManager) {
    if (!shape) return nullptr;
    if (!areaManager || !name) {
        delete shape;
        return nullptr;
    }
    btVector3 inertia(0.0f, 0.0f, 0.0f);
    if (computeInertia && mass != 0.0f) shape->calculateLocalInertia(mass, inertia);
    auto* set = new CollisionShapeSet(name, inertia, shape, mass);
    set->AddRef();
    const int result = areaManager->AddShapeSet(set);
    set->Release();  // the registry's reference keeps it, or it goes now
    return result < 0 ? nullptr : shape;
}

btSphereShape* CreateSphereShapeSet(const wchar_t* name, float radius, float mass,
                                    Quorvex::IAreaManager* areaManager) {
    auto* sphere = new btSphereShape(radius);
    return static_cast<btSphereShape*>(CreateShapeSet(name, sphere, mass, false, areaManager));
}

btBoxShape* CreateBoxShapeSet(const wchar_t* name, const btVector3& halfExtents, float mass,
                              Quorvex::IAreaManager* areaManager) {
    auto* box = new btBoxShape(halfExtents);
    return static_cast<btBoxShape*>(CreateShapeSet(name, box, mass, true, areaManager));
}
