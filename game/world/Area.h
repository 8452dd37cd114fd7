// One streamed cell of the world. It holds the 3D objects whose position lies
// in its cell (one reference each), takes the shared physics world from the
// area manager while it lives, and asks to be removed once it is empty and
// outside the keep window. Stage areas derive from it and place their terrain
// in Init.
#pragma once
#include <set>

#include "engine/core/AreaPos.h"
#include "engine/core/ReferCounter.h"
#include "game/world/AreaManager.h"

class Object3D;

class Area : public IUnknown, public Quorvex::ReferCounter {
public:
    // Registers itself with the manager, which takes a reference.
    Area(Quorvex::IAreaManager* areaManager, const Quorvex::Int3& cell);
    // Takes every object out and gives the world back.
    ~Area() override;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    int GetRefCount() const { return GetReferenceCount(); }

    // Takes the physics world: 0, or -1 (every object is then taken out).
    virtual int Init(int param);
    // Takes out the objects queued for removal; an empty Area outside the
    // keep window then asks the manager to remove it.
    virtual void Update(float timeStep);

    // 0, or 1 when the object is already in the Area. Takes a reference and
    // makes this the object's Area.
    int AddObject(Object3D* object);
    // Erases the object, clears its Area and releases it: 0, or 1 when absent.
    int SubObject(Object3D* object);
    void RequestSubObject(Object3D* object);
    void CancelSubObject(Object3D* object);
    bool Contains(Object3D* object) const { return m_objects.count(object) != 0; }
    size_t GetObjectCount() const { return m_objects.size(); }

    const Quorvex::Int3& GetCell() const { return m_cell; }
    Quorvex::IAreaManager* GetAreaManager() const { return m_pAreaManager; }
    btSoftRigidDynamicsWorld* GetWorld() const { return m_pWorld; }

protected:
    void SubAllObjects();

    Quorvex::Int3 m_cell;
    Quorvex::IAreaManager* m_pAreaManager = nullptr;  // not counted
    btSoftRigidDynamicsWorld* m_pWorld = nullptr;
    std::set<Object3D*> m_objects;
    std::set<Object3D*> m_pending;  // not counted
};

namespace Quorvex {
using ::Area;
}
