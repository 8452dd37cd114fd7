// Named collision shapes with the mass and local inertia of the bodies made
// from them, registered with the area manager under their wide names, and the
// builders that make them from spheres, boxes and D3DX meshes.
#pragma once
#include <btBulletDynamicsCommon.h>

#include <string>

#include "engine/core/ReferCounter.h"
#include "platform/d3dx9/d3dx9.h"

namespace Quorvex {
class IAreaManager;
}

class CollisionShapeSet : public IUnknown, public Quorvex::ReferCounter {
public:
    // Positions and indices read from a D3DX mesh: one (x, y, z, 0) per
    // vertex and 16-bit indices widened to 32 bits, three per face.
    struct VertInfo {
        virtual ~VertInfo();

        // 0, or -1 when the mesh has no position element or its buffers
        // cannot be locked (the arrays are then empty).
        int Read(ID3DXMesh* mesh);
        void Clear();

        int vertexCount = 0;
        int faceCount = 0;
        int vertexStride = 0;
        int indexCount = 0;
        float* vertices = nullptr;  // owned, 4 floats per vertex
        int* indices = nullptr;     // owned
    };

    // Takes ownership of the shape. The inertia's fourth component is kept 0.
    CollisionShapeSet(const wchar_t* name, const btVector3& localInertia, btCollisionShape* shape, float mass);
    ~CollisionShapeSet() override;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    int GetRefCount() const { return GetReferenceCount(); }

    btCollisionShape* GetShape() const { return m_pShape; }
    const std::wstring& GetName() const { return m_name; }
    float GetMass() const { return m_mass; }
    const btVector3& GetLocalInertia() const { return m_localInertia; }

    // A convex hull of the mesh's vertices, or null when they cannot be read.
    static btConvexHullShape* CreateHullShape(ID3DXMesh* mesh);

private:
    btCollisionShape* m_pShape = nullptr;
    std::wstring m_name;
    float m_mass = 0.0f;
    btVector3 m_localInertia;
};

// A sphere set with zero local inertia, registered with the area manager;
// answers the sphere (null without a manager or when the set was refused).
btSphereShape* CreateSphereShapeSet(const wchar_t* name, float radius, float mass,
                                    Quorvex::IAreaManager* areaManager);
// A box set whose local inertia is computed from the mass, registered with
// the area manager; answers the box.
btBoxShape* CreateBoxShapeSet(const wchar_t* name, const btVector3& halfExtents, float mass,
                              Quorvex::IAreaManager* areaManager);
// A set over a shape built by the caller (compounds, hulls); the local inertia
// is computed from the mass when asked. Takes ownership of the shape; answers
// it, or null (the shape deleted) when it was refused.
btCollisionShape* CreateShapeSet(const wchar_t* name, btCollisionShape* shape, float mass, bool computeInertia,
                                 Quorvex::IAreaManager* areaManager);

namespace Quorvex {
using ::CollisionShapeSet;
}
