// The streamed world: a grid of cells around a moving centre, each cell in use
// holding one Area made by the stage's area factory, and the one physics world
// in which every rigid body of the game lives. Creation is queued by priority
// and spread over frames within a time budget; every body is shifted when the
// centre cell changes, so body coordinates stay relative to the centre cell.
#pragma once
#include <btBulletDynamicsCommon.h>
#include <BulletSoftBody/btSoftBodyHelpers.h>
#include <BulletSoftBody/btSoftRigidDynamicsWorld.h>

#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "engine/core/AreaPos.h"
#include "engine/core/ReferCounter.h"
#include "engine/core/render/ObjectManager.h"

class Area;
class IAreaFactory;
class CollisionShapeSet;

// Strict ordering of cells for the ordered containers.
struct CellLess {
    bool operator()(const Quorvex::Int3& a, const Quorvex::Int3& b) const {
        if (a.x != b.x) return a.x < b.x;
        if (a.y != b.y) return a.y < b.y;
        return a.z < b.z;
    }
};

inline bool SameCell(const Quorvex::Int3& a, const Quorvex::Int3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

namespace Quorvex {

// What the rest of the program sees of the area manager. The engine only
// passes it around; the world layer defines it.
class IAreaManager : public IUnknown {
public:
    ~IAreaManager() override = default;

    virtual int Init() = 0;
    virtual void Term() = 0;
    virtual void Update(float timeStep) = 0;

    // The shared physics world with one more hold: 0, or -1 when it cannot be
    // built. ReleaseWorld gives a hold back; the last one deletes the world.
    virtual int GetWorld(btSoftRigidDynamicsWorld** world) = 0;
    virtual void ReleaseWorld(btSoftRigidDynamicsWorld* world) = 0;

    // Named collision shape sets; the registry holds one reference each.
    // Add: 0, or -1 for null (a set of the same name is replaced).
    virtual int AddShapeSet(CollisionShapeSet* set) = 0;
    virtual void RemoveShapeSet(const wchar_t* name) = 0;
    virtual void ClearShapeSets() = 0;
    virtual CollisionShapeSet* FindShapeSet(const wchar_t* name) = 0;
    virtual btCollisionShape* GetShape(const wchar_t* name) = 0;

    // 1 when the cell has an Area, 0 when the factory made one, the factory's
    // negative result (-1 without a factory) otherwise.
    virtual int CreateArea(const Int3& cell) = 0;
    virtual void RemoveArea(::Area* area) = 0;
    virtual int RegisterArea(::Area* area) = 0;
    virtual void UnregisterArea(const Int3& cell) = 0;
    virtual void RemoveAllAreas() = 0;
    virtual void RequestRemoveArea(::Area* area) = 0;
    virtual void CancelRemoveArea(::Area* area) = 0;
    // Mode 1 creates a missing Area, mode 0 only while create-on-demand is
    // on, any other mode never.
    virtual ::Area* FindArea(const Int3& cell, int mode) = 0;

    // The offset argument is not used; a non-zero clearQueue drops the
    // creation queue first. Answers 0.
    virtual int SetCentralPoint(const Int3& cell, const D3DXVECTOR3& offset, int clearQueue) = 0;
    virtual Int3 GetCentralPoint() const = 0;
    // True when the cell lies outside the keep window around the centre.
    virtual bool IsOutsideWindow(const Int3& cell) const = 0;
    virtual bool IsCreateOnDemand() const = 0;
    virtual void SetCreateOnDemand(BYTE on) = 0;
    virtual void SetCreateWindow(const Int3& minimum, const Int3& maximum) = 0;
    virtual void SetKeepWindow(const Int3& minimum, const Int3& maximum) = 0;
    virtual void SetWindows(const Int3& createMin, const Int3& createMax, const Int3& keepMin,
                            const Int3& keepMax) = 0;
    virtual btAlignedObjectArray<btCollisionObject*>* GetSpareArray() = 0;
    virtual btSoftBodyWorldInfo* GetSoftBodyWorldInfo() = 0;
    // Holds a reference to the factory; null releases the held one.
    virtual void SetAreaFactory(IAreaFactory* factory) = 0;
    virtual IAreaFactory* GetAreaFactory() const = 0;
    virtual ObjectManager* GetObjectManager() const = 0;
    // The world or null; never builds it.
    virtual btSoftRigidDynamicsWorld* GetDynamicsWorld() const = 0;
};

}  // namespace Quorvex

class AreaManager : public Quorvex::IAreaManager, public Quorvex::ReferCounter {
public:
    explicit AreaManager(Quorvex::ObjectManager* objectManager);
    ~AreaManager() override;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    int GetRefCount() const { return GetReferenceCount(); }

    int Init() override;
    void Term() override;
    // Removes pending Areas, updates every Area, creates queued Areas within
    // the budget, steps the world, then shifts every body when the centre
    // cell changed.
    void Update(float timeStep) override;

    int GetWorld(btSoftRigidDynamicsWorld** world) override;
    void ReleaseWorld(btSoftRigidDynamicsWorld* world) override;

    int AddShapeSet(CollisionShapeSet* set) override;
    void RemoveShapeSet(const wchar_t* name) override;
    void ClearShapeSets() override;
    CollisionShapeSet* FindShapeSet(const wchar_t* name) override;
    btCollisionShape* GetShape(const wchar_t* name) override;

    int CreateArea(const Quorvex::Int3& cell) override;
    void RemoveArea(Area* area) override;
    int RegisterArea(Area* area) override;
    void UnregisterArea(const Quorvex::Int3& cell) override;
    void RemoveAllAreas() override;
    void RequestRemoveArea(Area* area) override;
    void CancelRemoveArea(Area* area) override;
    Area* FindArea(const Quorvex::Int3& cell, int mode) override;

    int SetCentralPoint(const Quorvex::Int3& cell, const D3DXVECTOR3& offset, int clearQueue) override;
    Quorvex::Int3 GetCentralPoint() const override { return m_center; }
    bool IsOutsideWindow(const Quorvex::Int3& cell) const override;
    bool IsCreateOnDemand() const override { return m_createOnDemand != 0; }
    void SetCreateOnDemand(BYTE on) override { m_createOnDemand = on; }
    void SetCreateWindow(const Quorvex::Int3& minimum, const Quorvex::Int3& maximum) override;
    void SetKeepWindow(const Quorvex::Int3& minimum, const Quorvex::Int3& maximum) override;
    void SetWindows(const Quorvex::Int3& createMin, const Quorvex::Int3& createMax, const Quorvex::Int3& keepMin,
                    const Quorvex::Int3& keepMax) override;
    btAlignedObjectArray<btCollisionObject*>* GetSpareArray() override { return &m_spareArray; }
    btSoftBodyWorldInfo* GetSoftBodyWorldInfo() override { return &m_softBodyWorldInfo; }
    void SetAreaFactory(IAreaFactory* factory) override;
    IAreaFactory* GetAreaFactory() const override { return m_pAreaFactory; }
    Quorvex::ObjectManager* GetObjectManager() const override { return m_pObjectManager; }
    btSoftRigidDynamicsWorld* GetDynamicsWorld() const override { return m_pWorld; }

    // Serialises the area map, Area creation and the Areas' object sets for
    // objects that re-bin from job threads. Re-entrant: building an Area
    // places pieces that re-bin themselves.
    std::recursive_mutex& GetLock() { return m_lock; }
    // Holds that lock of the manager (nothing for another kind of manager).
    static std::unique_lock<std::recursive_mutex> LockAreas(Quorvex::IAreaManager* manager);

    // Read-outs of the streaming state.
    size_t GetAreaCount() const { return m_areas.size(); }
    size_t GetQueuedCount() const { return m_queue.size(); }
    float GetCreationBudget() const { return m_budget; }
    int GetWorldHoldCount() const { return m_worldRefCount; }

private:
    struct CreateRequest {
        Quorvex::Int3 cell;
        float priority = 0.0f;
        float cost = 0.0f;
    };

    void Enqueue(const Quorvex::Int3& cell, float priority, float cost);
    void ClearQueue();
    void CreateWithinBudget(float timeStep);
    void StepWorld(float timeStep);
    void ShiftWorld();
    void LogCreateFailure();

    btDefaultCollisionConfiguration* m_pConfiguration = nullptr;
    btCollisionDispatcher* m_pDispatcher = nullptr;
    btAxisSweep3* m_pBroadphase = nullptr;
    btSequentialImpulseConstraintSolver* m_pSolver = nullptr;
    btAlignedObjectArray<btCollisionObject*> m_spareArray;
    std::map<std::wstring, CollisionShapeSet*> m_shapeSets;
    btSoftBodyWorldInfo m_softBodyWorldInfo;
    std::map<Quorvex::Int3, Area*, CellLess> m_areas;
    IAreaFactory* m_pAreaFactory = nullptr;
    Quorvex::Int3 m_center{INT32_MIN, INT32_MIN, INT32_MIN};
    Quorvex::Int3 m_createMin{-2, 0, -1};
    Quorvex::Int3 m_createMax{2, 0, 7};
    Quorvex::Int3 m_keepMin{-3, -1, -2};
    Quorvex::Int3 m_keepMax{3, 1, 9};
    BYTE m_createOnDemand = 1;
    std::set<Area*> m_pendingRemoval;
    std::deque<CreateRequest> m_queue;  // ascending priority
    float m_budget = 0.0f;
    std::set<Quorvex::Int3, CellLess> m_queuedCells;
    Quorvex::ObjectManager* m_pObjectManager = nullptr;
    int m_worldRefCount = 0;
    btSoftRigidDynamicsWorld* m_pWorld = nullptr;
    Quorvex::Int3 m_physicsCenter{0, 0, 0};
    std::recursive_mutex m_lock;
};

namespace Quorvex {
using ::AreaManager;
}

// Tells the engine's scene tree how to create, update and release area
// managers. Call once before the root scene is initialised.
void RegisterAreaManagerService();
