#include "game/world/Area.h"

#include "game/world/Object3D.h"

// Objects re-bin from job threads, so the sets follow the area manager's lock.

Area::Area(Quorvex::IAreaManager* areaManager, const Quorvex::Int3& cell) : m_cell(cell), m_pAreaManager(areaManager) {
    if (m_pAreaManager) m_pAreaManager->RegisterArea(this);
}

Area::~Area() {
    SubAllObjects();
    if (m_pWorld && m_pAreaManager) m_pAreaManager->ReleaseWorld(m_pWorld);
    m_pWorld = nullptr;
}

int Area::Init(int) {
    if (m_pWorld) return 0;
    if (!m_pAreaManager || m_pAreaManager->GetWorld(&m_pWorld) < 0) {
        m_pWorld = nullptr;
        SubAllObjects();
        return -1;
    }
    return 0;
}

void Area::Update(float) {
    auto hold = AreaManager::LockAreas(m_pAreaManager);
    std::set<Object3D*> pending;
    pending.swap(m_pending);
    for (Object3D* object : pending) {
        // One taken out earlier (by moving on) is no longer ours to drop.
        if (!Contains(object)) continue;
        object->SetArea(nullptr);
        if (Contains(object)) SubObject(object);
    }
    if (m_objects.empty() && m_pAreaManager && m_pAreaManager->IsOutsideWindow(m_cell))
        m_pAreaManager->RequestRemoveArea(this);
}

int Area::AddObject(Object3D* object) {
    if (!object) return -1;
    auto hold = AreaManager::LockAreas(m_pAreaManager);
    if (!m_objects.insert(object).second) return 1;
    // A removal queued before the object left and came back no longer applies.
    m_pending.erase(object);
    object->SetCurrentArea(this);
    object->AddRef();
    return 0;
}

int Area::SubObject(Object3D* object) {
    auto hold = AreaManager::LockAreas(m_pAreaManager);
    if (!m_objects.erase(object)) return 1;
    m_pending.erase(object);
    if (object->GetArea() == this) object->SetCurrentArea(nullptr);
    object->Release();
    return 0;
}

void Area::RequestSubObject(Object3D* object) {
    auto hold = AreaManager::LockAreas(m_pAreaManager);
    if (object) m_pending.insert(object);
}

void Area::CancelSubObject(Object3D* object) {
    auto hold = AreaManager::LockAreas(m_pAreaManager);
    m_pending.erase(object);
}

void Area::SubAllObjects() {
    auto hold = AreaManager::LockAreas(m_pAreaManager);
    while (!m_objects.empty()) {
        Object3D* object = *m_objects.begin();
        // Through the object, so that its body leaves the world as well.
        if (object->GetArea() == this) object->SetArea(nullptr);
        if (Contains(object)) SubObject(object);
    }
    m_pending.clear();
}
