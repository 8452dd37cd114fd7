#include "game/world/AreaManager.h"

#include "engine/core/Environment.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/MessageTable.h"
#include "engine/core/SceneBase.h"
#include "game/world/Area.h"
#include "game/world/AreaFactoryAdapter.h"
#include "game/world/CollisionShapeSet.h"

using Quorvex::Int3;

namespace {

constexpr int kCreateFailedMessage = 49;
const wchar_t kCentralPointSource[] = L"AreaManager::SetCentralPoint";

// The object manager whose body owners the contact dispatch asks; set by the
// manager that is stepping its world.
Quorvex::ObjectManager* g_contactObjectManager = nullptr;

// Contact points are never modified.
bool OnContactAdded(btManifoldPoint&, const btCollisionObjectWrapper*, int, int, const btCollisionObjectWrapper*,
                    int, int) {
    return false;
}

// After each collision pass every contact point held in a manifold reaches
// both owners. The library's processed-point callback cannot carry this: the
// sphere-sphere algorithm rebuilds its manifold every pass without refreshing
// it, so touching spheres (most bodies of the game) would never be reported.
void DispatchContacts(btDynamicsWorld* world, btScalar) {
    Quorvex::ObjectManager* manager = g_contactObjectManager;
    if (!manager) return;
    struct Touch {
        const void* body0;
        const void* body1;
    };
    // Collected first: an owner's OnCollision may drop bodies and manifolds.
    std::vector<Touch> touches;
    btDispatcher* dispatcher = world->getDispatcher();
    for (int i = 0; i < dispatcher->getNumManifolds(); ++i) {
        const btPersistentManifold* manifold = dispatcher->getManifoldByIndexInternal(i);
        // A pair the filter refuses now (or that sleeps) was not processed in
        // this pass; its manifold still holds the last points.
        auto* body0 = const_cast<btCollisionObject*>(manifold->getBody0());
        auto* body1 = const_cast<btCollisionObject*>(manifold->getBody1());
        if (!dispatcher->needsCollision(body0, body1)) continue;
        for (int k = 0; k < manifold->getNumContacts(); ++k)
            touches.push_back({manifold->getBody0(), manifold->getBody1()});
    }
    for (const Touch& touch : touches) {
        Quorvex::Object* a = manager->FindBodyOwner(touch.body0);
        Quorvex::Object* b = manager->FindBodyOwner(touch.body1);
        if (a) a->OnCollision(b);
        if (b) b->OnCollision(a);
    }
}

D3DXVECTOR3 OuterSize() {
    if (Quorvex::g_pEnvironment) return *Quorvex::g_pEnvironment->GetOuterSize();
    const float* o = Quorvex::g_WorldGrid.outerSize;
    return D3DXVECTOR3(o[0], o[1], o[2]);
}

D3DXVECTOR3 CellSize() {
    if (Quorvex::g_pEnvironment) return *Quorvex::g_pEnvironment->GetCellSize();
    const float* c = Quorvex::g_WorldGrid.cellSize;
    return D3DXVECTOR3(c[0], c[1], c[2]);
}

Int3 SharedCenter() {
    const int32_t* c = Quorvex::g_WorldGrid.centerCell;
    return Int3{c[0], c[1], c[2]};
}

}  // namespace

AreaManager::AreaManager(Quorvex::ObjectManager* objectManager) : m_pObjectManager(objectManager) {
    Quorvex::DebugPrint(L"AreaManager::AreaManager() (addr:%d)\r\n", static_cast<const void*>(this));
}

AreaManager::~AreaManager() {
    Quorvex::DebugPrint(L"AreaManager::~AreaManager() (addr:%d)\r\n", static_cast<const void*>(this));
    Term();
}

int AreaManager::Init() {
    gContactAddedCallback = OnContactAdded;

    btDefaultCollisionConstructionInfo info;
    info.m_defaultMaxPersistentManifoldPoolSize = 4096;
    info.m_defaultMaxCollisionAlgorithmPoolSize = 4096;
    m_pConfiguration = new btDefaultCollisionConfiguration(info);
    m_pDispatcher = new btCollisionDispatcher(m_pConfiguration);

    // The box reaches far further ahead (+z) than behind, as the world streams
    // forward; it is fixed here even if the sizes change later.
    const D3DXVECTOR3 outer = OuterSize();
    const btVector3 minimum(-3.0f * outer.x, -1000.0f, -1.5f * outer.z);
    const btVector3 maximum(3.0f * outer.x, 1000.0f, 7.5f * outer.z);
    m_pBroadphase = new btAxisSweep3(minimum, maximum, 16382, nullptr, false);
    m_pSolver = new btSequentialImpulseConstraintSolver();
    return 0;
}

void AreaManager::Term() {
    // Areas go before the shapes so that no body leaves the world over a
    // deleted shape.
    RemoveAllAreas();
    ClearShapeSets();
    SetAreaFactory(nullptr);
    // A world still held by someone must not outlive the parts it runs on.
    if (m_pWorld) {
        m_worldRefCount = 0;
        ReleaseWorld(m_pWorld);
    }
    m_pendingRemoval.clear();
    ClearQueue();
    if (g_contactObjectManager == m_pObjectManager) g_contactObjectManager = nullptr;
    delete m_pSolver;
    m_pSolver = nullptr;
    delete m_pBroadphase;
    m_pBroadphase = nullptr;
    delete m_pDispatcher;
    m_pDispatcher = nullptr;
    delete m_pConfiguration;
    m_pConfiguration = nullptr;
}

void AreaManager::Update(float timeStep) {
    g_contactObjectManager = m_pObjectManager;

    std::set<Area*> pending;
    pending.swap(m_pendingRemoval);
    // One that took an object in since it asked is kept: an Area with
    // objects is never removed here.
    for (Area* area : pending)
        if (area->GetObjectCount() == 0) RemoveArea(area);

    // An Area may request its own removal here; it goes at the next update.
    std::vector<Area*> areas;
    areas.reserve(m_areas.size());
    for (auto& entry : m_areas) areas.push_back(entry.second);
    for (Area* area : areas) area->Update(timeStep);

    CreateWithinBudget(timeStep);

    if (m_pWorld) {
        StepWorld(timeStep);
        ShiftWorld();
    }
}

void AreaManager::StepWorld(float timeStep) {
    Quorvex::Environment* env = Quorvex::g_pEnvironment;
    if (env && env->IsFixedPhysicsStep()) {
        const float rate = env->GetPhysicsStepRate();
        const int steps = static_cast<int>(rate / env->GetFpsMin());
        m_pWorld->stepSimulation(timeStep, steps, 1.0f / rate);
        return;
    }
    const int k = env ? env->GetPhysicsSubSteps() : 1;
    if (k < 2) {
        m_pWorld->stepSimulation(timeStep, 0, 1.0f / 60.0f);
        return;
    }
    for (int i = 0; i < k; ++i) m_pWorld->stepSimulation(timeStep / static_cast<float>(k), 0, 1.0f / 60.0f);
}

void AreaManager::ShiftWorld() {
    const Int3 center = SharedCenter();
    D3DXVECTOR3 shift(0.0f, 0.0f, 0.0f);
    if (!SameCell(center, m_physicsCenter)) {
        const D3DXVECTOR3 cell = CellSize();
        shift.x = static_cast<float>(m_physicsCenter.x - center.x) * cell.x;
        shift.y = static_cast<float>(m_physicsCenter.y - center.y) * cell.y;
        shift.z = static_cast<float>(m_physicsCenter.z - center.z) * cell.z;
        const btVector3 delta(shift.x, shift.y, shift.z);
        btCollisionObjectArray& objects = m_pWorld->getCollisionObjectArray();
        for (int i = 0; i < objects.size(); ++i) objects[i]->getWorldTransform().getOrigin() += delta;
        m_physicsCenter = center;
    }
    if (Quorvex::g_pEnvironment) Quorvex::g_pEnvironment->SetWorldShift(shift);
}

int AreaManager::GetWorld(btSoftRigidDynamicsWorld** world) {
    if (!world) return -1;
    *world = nullptr;
    if (!m_pWorld) {
        if (!m_pDispatcher || !m_pBroadphase || !m_pSolver || !m_pConfiguration) return -1;
        m_pWorld = new btSoftRigidDynamicsWorld(m_pDispatcher, m_pBroadphase, m_pSolver, m_pConfiguration);
        const float scale = Quorvex::g_pEnvironment ? Quorvex::g_pEnvironment->GetWorldScale() : 1.0f;
        m_pWorld->setGravity(btVector3(0.0f, -9.8f * scale, 0.0f));
        m_pWorld->setInternalTickCallback(DispatchContacts, this, false);
        m_softBodyWorldInfo.air_density = 1.2f;
        m_softBodyWorldInfo.water_density = 0.0f;
        m_softBodyWorldInfo.water_offset = 0.0f;
        m_softBodyWorldInfo.water_normal = btVector3(0.0f, 1.0f, 0.0f);
        m_softBodyWorldInfo.m_broadphase = m_pBroadphase;
        m_softBodyWorldInfo.m_dispatcher = m_pDispatcher;
        m_softBodyWorldInfo.m_gravity = m_pWorld->getGravity();
        m_softBodyWorldInfo.m_sparsesdf.Initialize(2383);
        m_physicsCenter = SharedCenter();
    }
    ++m_worldRefCount;
    *world = m_pWorld;
    return 0;
}

void AreaManager::ReleaseWorld(btSoftRigidDynamicsWorld* world) {
    if (!world || world != m_pWorld) return;
    if (--m_worldRefCount > 0) return;
    m_worldRefCount = 0;
    btCollisionObjectArray& objects = m_pWorld->getCollisionObjectArray();
    for (int i = objects.size() - 1; i >= 0; --i) m_pWorld->removeCollisionObject(objects[i]);
    delete m_pWorld;
    m_pWorld = nullptr;
}

int AreaManager::AddShapeSet(CollisionShapeSet* set) {
    if (!set) return -1;
    // Registering the held set again must not drop its last reference first.
    set->AddRef();
    RemoveShapeSet(set->GetName().c_str());
    m_shapeSets[set->GetName()] = set;
    return 0;
}

void AreaManager::RemoveShapeSet(const wchar_t* name) {
    if (!name) return;
    auto it = m_shapeSets.find(name);
    if (it == m_shapeSets.end()) return;
    Quorvex::DebugPrint(L"AreaManager : CollisionShape \"%s\" 削除\r\n", name);
    CollisionShapeSet* set = it->second;
    m_shapeSets.erase(it);
    set->Release();
}

void AreaManager::ClearShapeSets() {
    while (!m_shapeSets.empty()) {
        const std::wstring name = m_shapeSets.begin()->first;
        RemoveShapeSet(name.c_str());
    }
}

CollisionShapeSet* AreaManager::FindShapeSet(const wchar_t* name) {
    if (!name) return nullptr;
    auto it = m_shapeSets.find(name);
    return it == m_shapeSets.end() ? nullptr : it->second;
}

btCollisionShape* AreaManager::GetShape(const wchar_t* name) {
    CollisionShapeSet* set = FindShapeSet(name);
    return set ? set->GetShape() : nullptr;
}

int AreaManager::CreateArea(const Int3& cell) {
    std::lock_guard<std::recursive_mutex> hold(m_lock);
    if (m_areas.count(cell)) return 1;
    if (!m_pAreaFactory) return -1;
    Area* area = nullptr;
    const int result = m_pAreaFactory->CreateArea(&area, cell);
    if (result >= 0) return 0;

    // A failed build may leave a half-made Area registered under the cell;
    // drop it, releasing each reference actually taken exactly once.
    auto it = m_areas.find(cell);
    Area* registered = it == m_areas.end() ? nullptr : it->second;
    if (registered && (!area || registered == area)) {
        m_areas.erase(it);
        m_pendingRemoval.erase(registered);
        registered->Release();
    }
    if (area) area->Release();
    return result;
}

void AreaManager::RemoveArea(Area* area) {
    if (!area) return;
    std::lock_guard<std::recursive_mutex> hold(m_lock);
    m_pendingRemoval.erase(area);
    // The creation reference exists only when someone besides the map holds
    // the Area; releasing blindly would free it twice.
    const bool hasCreationReference = area->GetRefCount() >= 2;
    auto it = m_areas.find(area->GetCell());
    const bool mapped = it != m_areas.end() && it->second == area;
    if (mapped) m_areas.erase(it);
    if (m_pAreaFactory) m_pAreaFactory->OnRemoveArea(area);
    if (mapped) area->Release();
    if (hasCreationReference || !mapped) area->Release();
}

int AreaManager::RegisterArea(Area* area) {
    if (!area) return -1;
    std::lock_guard<std::recursive_mutex> hold(m_lock);
    UnregisterArea(area->GetCell());
    m_areas[area->GetCell()] = area;
    area->AddRef();
    return 0;
}

void AreaManager::UnregisterArea(const Int3& cell) {
    std::lock_guard<std::recursive_mutex> hold(m_lock);
    auto it = m_areas.find(cell);
    if (it == m_areas.end()) return;
    Area* area = it->second;
    m_areas.erase(it);
    m_pendingRemoval.erase(area);
    area->Release();
}

void AreaManager::RemoveAllAreas() {
    std::lock_guard<std::recursive_mutex> hold(m_lock);
    while (!m_areas.empty()) RemoveArea(m_areas.begin()->second);
    m_pendingRemoval.clear();
}

void AreaManager::RequestRemoveArea(Area* area) {
    if (!area) return;
    std::lock_guard<std::recursive_mutex> hold(m_lock);
    m_pendingRemoval.insert(area);
}

void AreaManager::CancelRemoveArea(Area* area) {
    std::lock_guard<std::recursive_mutex> hold(m_lock);
    m_pendingRemoval.erase(area);
}

Area* AreaManager::FindArea(const Int3& cell, int mode) {
    std::lock_guard<std::recursive_mutex> hold(m_lock);
    auto it = m_areas.find(cell);
    if (it != m_areas.end()) return it->second;
    const bool create = mode == 1 || (mode == 0 && m_createOnDemand);
    if (!create) return nullptr;
    if (CreateArea(cell) < 0) return nullptr;
    return FindArea(cell, 2);
}

std::unique_lock<std::recursive_mutex> AreaManager::LockAreas(Quorvex::IAreaManager* manager) {
    auto* concrete = dynamic_cast<AreaManager*>(manager);
    if (!concrete) return std::unique_lock<std::recursive_mutex>();
    return std::unique_lock<std::recursive_mutex>(concrete->m_lock);
}

void AreaManager::LogCreateFailure() { Quorvex::MessageTable::Log(kCreateFailedMessage, kCentralPointSource); }

int AreaManager::SetCentralPoint(const Int3& cell, const D3DXVECTOR3&, int clearQueue) {
    // Called from the centre object's update, which may run on a job thread.
    std::lock_guard<std::recursive_mutex> hold(m_lock);
    if (SameCell(cell, m_center)) return 0;
    m_center = cell;
    Quorvex::g_WorldGrid.centerCell[0] = cell.x;
    Quorvex::g_WorldGrid.centerCell[1] = cell.y;
    Quorvex::g_WorldGrid.centerCell[2] = cell.z;
    if (clearQueue) ClearQueue();

    if (!FindArea(m_center, 0) && CreateArea(m_center) < 0) LogCreateFailure();

    for (int z = m_createMin.z; z <= m_createMax.z; ++z) {
        for (int y = m_createMin.y; y <= m_createMax.y; ++y) {
            for (int x = m_createMin.x; x <= m_createMax.x; ++x) {
                const Int3 target{m_center.x + x, m_center.y + y, m_center.z + z};
                if (FindArea(target, 2)) continue;
                if (!m_pAreaFactory) {
                    LogCreateFailure();
                    continue;
                }
                Enqueue(target, m_pAreaFactory->GetPriority(target), m_pAreaFactory->GetCost(target));
            }
        }
    }
    return 0;
}

bool AreaManager::IsOutsideWindow(const Int3& cell) const {
    return cell.x < m_center.x + m_keepMin.x || cell.x > m_center.x + m_keepMax.x ||
           cell.y < m_center.y + m_keepMin.y || cell.y > m_center.y + m_keepMax.y ||
           cell.z < m_center.z + m_keepMin.z || cell.z > m_center.z + m_keepMax.z;
}

void AreaManager::SetCreateWindow(const Int3& minimum, const Int3& maximum) {
    m_createMin = minimum;
    m_createMax = maximum;
}

void AreaManager::SetKeepWindow(const Int3& minimum, const Int3& maximum) {
    m_keepMin = minimum;
    m_keepMax = maximum;
}

void AreaManager::SetWindows(const Int3& createMin, const Int3& createMax, const Int3& keepMin,
                             const Int3& keepMax) {
    SetCreateWindow(createMin, createMax);
    SetKeepWindow(keepMin, keepMax);
}

void AreaManager::SetAreaFactory(IAreaFactory* factory) {
    if (factory) factory->AddRef();
    IAreaFactory* old = m_pAreaFactory;
    m_pAreaFactory = factory;
    if (old) old->Release();
}

void AreaManager::Enqueue(const Int3& cell, float priority, float cost) {
    if (m_queuedCells.count(cell)) return;
    const CreateRequest request{cell, priority, cost};
    if (m_queue.empty()) {
        // The first request after an idle spell is made at the next update.
        m_queue.push_back(request);
        m_budget = cost;
    } else if (priority < m_queue.front().priority) {
        m_queue.push_front(request);
    } else if (priority > m_queue.back().priority) {
        m_queue.push_back(request);
    } else {
        size_t low = 0;
        size_t high = m_queue.size();
        size_t at = high;
        bool found = false;
        while (low < high) {
            const size_t middle = (low + high) / 2;
            const float probed = m_queue[middle].priority;
            if (priority < probed) {
                high = middle;
            } else if (priority > probed) {
                low = middle + 1;
            } else {
                at = middle;
                found = true;
                break;
            }
        }
        if (!found) at = low;
        m_queue.insert(m_queue.begin() + static_cast<std::ptrdiff_t>(at), request);
    }
    m_queuedCells.insert(cell);
}

void AreaManager::ClearQueue() {
    m_queue.clear();
    m_queuedCells.clear();
    m_budget = 0.0f;
}

void AreaManager::CreateWithinBudget(float timeStep) {
    if (m_queue.empty()) {
        m_budget = 0.0f;
        return;
    }
    m_budget += timeStep;
    while (!m_queue.empty()) {
        const CreateRequest request = m_queue.front();
        if (!FindArea(request.cell, 2)) {
            if (request.cost > m_budget) break;
            CreateArea(request.cell);
            m_budget -= request.cost;
        }
        m_queue.pop_front();
        m_queuedCells.erase(request.cell);
    }
}

// ---- The scene tree's hand-shake

namespace {

Quorvex::IAreaManager* CreateService(Quorvex::ObjectManager* objectManager) {
    AreaManager* manager = new AreaManager(objectManager);
    manager->AddRef();
    if (manager->Init() < 0) {
        manager->Release();
        return nullptr;
    }
    return manager;
}

void UpdateService(Quorvex::IAreaManager* manager, float timeStep) {
    if (manager) manager->Update(timeStep);
}

void AddRefService(Quorvex::IAreaManager* manager) {
    if (manager) manager->AddRef();
}

void ReleaseService(Quorvex::IAreaManager* manager) {
    if (manager) manager->Release();
}

const Quorvex::AreaManagerService kService{CreateService, UpdateService, AddRefService, ReleaseService};

}  // namespace

void RegisterAreaManagerService() { Quorvex::SetAreaManagerService(&kService); }
