// Base of every object with a place in the streamed world: a render object
// with an AreaPos position, an orientation, membership in the Area of its cell
// and an optional rigid body in the shared physics world. The body is in the
// world exactly while the object is in some Area.
#pragma once
#include <btBulletDynamicsCommon.h>

#include "engine/core/AreaPos.h"
#include "engine/core/RenderObject.h"
#include "engine/core/render/ObjectManager.h"
#include "game/world/AreaManager.h"

class Area;
class CollisionShapeSet;
class Object3D;

// A body whose pair filter asks the owning objects whether they may collide.
ATTRIBUTE_ALIGNED16(class) PlaneRigidBody : public btRigidBody {
public:
    BT_DECLARE_ALIGNED_ALLOCATOR();

    PlaneRigidBody(const btRigidBodyConstructionInfo& info, Object3D* owner);
    ~PlaneRigidBody() override = default;

    bool checkCollideWithOverride(const btCollisionObject* other) const override;
    virtual int Reserved() { return 0; }
    Object3D* GetOwner() const { return static_cast<Object3D*>(getUserPointer()); }
};

// A motion state that also keeps the graphics transform as a D3DX matrix
// (rotation transposed into row-vector layout, origin in the fourth row).
ATTRIBUTE_ALIGNED16(class) PlaneMotionState : public btDefaultMotionState {
public:
    BT_DECLARE_ALIGNED_ALLOCATOR();

    explicit PlaneMotionState(const btTransform& start);

    void getWorldTransform(btTransform& transform) const override;
    void setWorldTransform(const btTransform& transform) override;
    const D3DXMATRIX& GetMatrix() const { return m_matrix; }

private:
    void UpdateMatrix();

    D3DXMATRIX m_matrix;
};

class Object3D : public Quorvex::RenderObject {
public:
    // Joins the Area of the position's cell (created only while the manager
    // creates on demand); without one the object stays in no Area.
    Object3D(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
             const Quorvex::AreaPos& position);
    ~Object3D() override;

    // Leaves the Area and drops the body.
    void Finalize() override;
    // Re-bins the object when its cell differs from its Area's.
    void Update(float timeStep) override;
    // True: also queued in the Area's pending removals; false: taken back out.
    DWORD RequestRemove(bool remove) override;
    // The view-space depth of the position (stored as the draw priority).
    float GetDrawPriority() override;

    // A body from the shape set at the current position and orientation;
    // kinematic when the byte is non-zero. Answers AddRigidBody's result, or
    // -1 for a null set.
    virtual int CreateRigidBody(CollisionShapeSet* set, BYTE kinematic, float restitution, float angularFactor);
    // Replaces the body with one built from the information: 0.
    virtual int SetRigidBody(const btRigidBody::btRigidBodyConstructionInfo& info);
    // Registers the body's owner and adds it to the Area's world: 0.
    virtual int AddRigidBody(PlaneRigidBody* body);
    virtual void RemoveRigidBody();
    // 1: object to body; 2: body to object (orientation stored as
    // (x, y, z, -w)); 0: push for static or kinematic bodies, else pull.
    virtual void SyncRigidBody(int mode);
    virtual void SetArea(Area* area);
    // Asked by the physics filter before a pair is tested.
    virtual bool CanCollide(Object3D* other);

    // Leaves the old Area and joins the Area of the current cell. Throws the
    // wide message text when the object has no area manager.
    void UpdateArea();
    void SetAreaPos(const Quorvex::AreaPos& position) { m_areaPos = position; }
    // From a vector relative to the centre cell.
    void SetWorldPosition(const D3DXVECTOR3& world) { m_areaPos = Quorvex::AreaPos::FromWorld(world); }
    const Quorvex::AreaPos& GetAreaPos() const { return m_areaPos; }
    D3DXVECTOR3 GetWorldPosition() const { return m_areaPos.ToWorld(); }
    const D3DXQUATERNION& GetOrientation() const { return m_orientation; }
    void SetOrientation(const D3DXQUATERNION& q) { m_orientation = q; }

    Quorvex::IAreaManager* GetAreaManager() const { return m_pAreaManager; }
    // The object manager with its matrices, stages and groups (null when the
    // object's manager is not one).
    Quorvex::ObjectManager* GetObjectManager() const;
    PlaneRigidBody* GetRigidBody() const { return m_pRigidBody; }
    Area* GetArea() const { return m_pArea; }
    // Written only by the Area when it takes the object in or lets it go.
    void SetCurrentArea(Area* area) { m_pArea = area; }

    // Fields that subclasses and scenes read and write directly.
    Quorvex::IAreaManager* m_pAreaManager = nullptr;  // not counted
    PlaneRigidBody* m_pRigidBody = nullptr;           // owned
    Quorvex::AreaPos m_areaPos;
    D3DXQUATERNION m_orientation{0.0f, 0.0f, 0.0f, 1.0f};

private:
    void LeaveArea();

    Area* m_pArea = nullptr;  // the Area holds the reference to this object
};

// The draw transform of a mesh: scaled alike on every axis, turned by the
// orientation, then placed at the position.
D3DXMATRIX MakeWorldMatrix(const D3DXQUATERNION& orientation, const D3DXVECTOR3& position, float scale = 1.0f);

namespace Quorvex {
using ::Object3D;
using ::PlaneMotionState;
using ::PlaneRigidBody;
}
