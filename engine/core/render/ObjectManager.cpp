#include "engine/core/render/ObjectManager.h"

#include <algorithm>
#include <exception>
#include <system_error>

#include "engine/core/Environment.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/MessageTable.h"
#include "engine/core/render/RenderAssets.h"
#include "engine/core/render/RenderGroup.h"
#include "engine/core/render/RenderProfile.h"
#include "engine/core/render/RenderStage.h"

namespace Quorvex {

namespace {

const wchar_t kSource[] = L"ObjectManager";
const wchar_t kInitializeSource[] = L"ObjectManager::Initialize";

constexpr int kDefaultGroupCount = 16;
constexpr int kDefaultVertexBytes = 1572768;  // 16383 quads of four 24-byte vertices
constexpr int kDefaultIndexBytes = 196596;    // 16383 quads of six 16-bit indices
constexpr int kDefaultCommandCapacity = 30720;

void LogLine(const wchar_t* source, const std::wstring& text) {
    MessageLogManager::Instance().Log(source, text.c_str());
}

// Logs the exception being handled: a thrown message text as it is, anything
// else by message 2.
void LogCurrentJobException(const wchar_t* source) {
    try {
        throw;
    } catch (const wchar_t* text) {
        MessageLogManager::Instance().Log(source, text);
    } catch (const std::exception& e) {
        MessageLogManager::Instance().Log(source, Utf8ToWide(e.what()).c_str());
    } catch (...) {
        MessageTable::Log(2, source);
    }
}

// Inverse of m, or the identity when m is singular.
void InverseOrIdentity(D3DXMATRIX* out, const D3DXMATRIX& m) {
    if (!D3DXMatrixInverse(out, nullptr, &m)) D3DXMatrixIdentity(out);
}

}  // namespace

void JobRecord::LengthFigure::Age() {
    average = (static_cast<float>(sum) + average) * 0.5f;
    if (sum > maximum) maximum = sum;
    sum = 0;
}

ObjectManager::InitParam ObjectManager::DefaultParam(const InitParam& given, int jobThreadCnt) {
    InitParam p = given;
    if (p.groupCount < 0) p.groupCount = kDefaultGroupCount;
    if (p.jobCount < 0) p.jobCount = jobThreadCnt > 0 ? jobThreadCnt : 1;
    if (p.jobCount <= 0) p.jobCount = 1;
    if (p.vertexBytes < 0) p.vertexBytes = kDefaultVertexBytes / p.jobCount;
    if (p.indexBytes < 0) p.indexBytes = kDefaultIndexBytes / p.jobCount;
    if (p.commandCapacity < 0) p.commandCapacity = kDefaultCommandCapacity;
    return p;
}

ObjectManager::ObjectManager() {
    FormatDebugMessage("ObjectManager::ObjectManager() (addr:%d)\r\n", this);
    D3DXMatrixIdentity(&m_cameraMatrix);
    D3DXMatrixIdentity(&m_inverseCameraMatrix);
    D3DXMatrixIdentity(&m_billboardMatrix);
    D3DXMatrixIdentity(&m_projectionMatrix);
    D3DXMatrixIdentity(&m_screenMatrix);
    D3DXMatrixIdentity(&m_viewProjection);
    D3DXMatrixIdentity(&m_inverseViewProjection);
    D3DXMatrixIdentity(&m_screenProduct);
    D3DXMatrixIdentity(&m_inverseScreenProduct);
}

ObjectManager::~ObjectManager() {
    FormatDebugMessage("ObjectManager::~ObjectManager() (addr:%d)\r\n", this);
    Shutdown();
}

// ---------------------------------------------------------------------------
// Set-up and teardown

int ObjectManager::Initialize(const InitParam& given) {
    try {
        const InitParam p = DefaultParam(given, 0);
        if (p.device) {
            m_device = p.device;
            m_device->AddRef();
        }
        m_inputManager = p.inputManager;
        m_groupCount = p.groupCount;
        {
            std::lock_guard<std::mutex> lock(m_setLock);
            m_groups.assign(static_cast<size_t>(m_groupCount), ObjectGroup());
        }

        const int vertexBytes = std::min(p.vertexBytes, CalcVertexSet::MaxVertexBytes);
        for (int i = 0; i < p.jobCount; ++i) {
            m_jobs.push_back(std::make_unique<JobRecord>());
            m_jobView.push_back(m_jobs.back().get());
        }
        for (int i = 0; i < p.jobCount; ++i)
            if (StartJobThread(i, vertexBytes, p.indexBytes, p.commandCapacity) < 0)
                throw MessageTable::GetText(18);

        m_resourceManager = p.resourceManager;
        if (m_resourceManager) RenderAssets::AddRef(m_resourceManager);
        m_shaderManager = p.shaderManager;
        if (m_shaderManager) RenderAssets::AddRef(m_shaderManager);
        m_groupsByName.clear();

        if (m_device) CreateDeviceObjects(p);

        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        SetViewMatrix(identity);
        SetCamera(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(0, 1, 0));
        const float aspect = g_pEnvironment ? g_pEnvironment->GetAspect() : 16.0f / 9.0f;
        D3DXMATRIX projection;
        D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 3.0f, aspect, 1.0f, 10000.0f);
        SetProjectionMatrix(projection);
        if (m_device) {
            D3DVIEWPORT9 viewport{};
            if (SUCCEEDED(m_device->GetViewport(&viewport))) SetViewport(viewport);
        }
        UpdateMatrices();
        return 0;
    } catch (const wchar_t* text) {
        MessageLogManager::Instance().Log(kInitializeSource, text);
        Shutdown();
        return -1;
    } catch (...) {
        MessageTable::Log(2, kInitializeSource);
        Shutdown();
        return -2;
    }
}

void ObjectManager::CreateDeviceObjects(const InitParam& p) {
    if (FAILED(m_device->GetDeviceCaps(&m_caps))) throw MessageTable::GetText(21);

    const UINT vertexBytes = static_cast<UINT>(std::min(p.vertexBytes, CalcVertexSet::MaxVertexBytes));
    if (FAILED(m_device->CreateVertexBuffer(vertexBytes, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                            D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1, D3DPOOL_DEFAULT,
                                            &m_vertexSet.vertexBuffer, nullptr)))
        throw MessageTable::GetText(22);
    m_vertexSet.vertexBufferBytes = vertexBytes;

    if (FAILED(m_device->CreateIndexBuffer(static_cast<UINT>(p.indexBytes), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                           D3DFMT_INDEX16, D3DPOOL_DEFAULT, &m_vertexSet.indexBuffer, nullptr)))
        throw MessageTable::GetText(23);
    m_vertexSet.indexBufferBytes = static_cast<UINT>(p.indexBytes);

    const D3DVERTEXELEMENT9 elements[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
        {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
        D3DDECL_END()};
    if (FAILED(m_device->CreateVertexDeclaration(elements, &m_vertexSet.declaration)))
        throw MessageTable::GetText(24);

    if (m_shaderManager) RenderAssets::CreateSpriteShaders(m_shaderManager, m_resourceManager);
}

void ObjectManager::Shutdown() {
    if (!m_jobs.empty()) PrintThreadStatistics();
    m_passMark.store(0x80000000u);

    for (int i = 0; i < static_cast<int>(m_jobs.size()); ++i) StopJobThread(i);
    m_jobs.clear();
    m_jobView.clear();

    ReleaseUpdateList();
    {
        std::lock_guard<std::mutex> lock(m_setLock);
        for (ObjectGroup& group : m_groups) {
            if (!group.members.empty()) ++group.stamp;
            group.members.clear();
        }
        m_pending.clear();
    }
    for (;;) {
        Object* object = nullptr;
        {
            std::lock_guard<std::mutex> lock(m_setLock);
            if (m_objects.empty()) break;
            object = *m_objects.begin();
        }
        SubObject(object);
    }
    // Stages that outlive the manager must not reach back into it.
    for (auto& entry : m_groupsByName) entry.second.item->DetachManager();
    for (auto& entry : m_stages) entry.second.item->DetachManager();
    while (!m_groupsByName.empty()) {
        const std::string name = m_groupsByName.begin()->first;
        SubRenderGroup(name.c_str());
    }
    while (!m_stages.empty()) {
        const std::string name = m_stages.begin()->first;
        m_stages.begin()->second.item->PrintStatistics();
        while (SubRenderStage(name.c_str()) == 0) {
        }
    }
    m_currentStage = nullptr;

    if (m_shaderManager) {
        RenderAssets::Release(m_shaderManager);
        m_shaderManager = nullptr;
    }
    if (m_resourceManager) {
        RenderAssets::Release(m_resourceManager);
        m_resourceManager = nullptr;
    }
    SAFE_RELEASE(m_vertexSet.vertexBuffer);
    SAFE_RELEASE(m_vertexSet.indexBuffer);
    SAFE_RELEASE(m_vertexSet.declaration);
    m_vertexSet = IObjectManager::VertexSet();
    m_inputManager = nullptr;
    SAFE_RELEASE(m_device);
    std::lock_guard<std::mutex> lock(m_setLock);
    m_bodyOwners.clear();
}

// ---------------------------------------------------------------------------
// Job threads

int ObjectManager::StartJobThread(int index, int vertexBytes, int indexBytes, int commandCapacity) {
    if (index < 0 || index >= static_cast<int>(m_jobs.size())) return -1;
    JobRecord& record = *m_jobs[index];
    if (index > 0 && record.thread.joinable()) return 1;
    try {
        record.owner = this;
        record.index = index;
        record.stop = false;
        record.mode = JobRecord::ModeIdle;
        record.parked = true;
        record.updateCount = 0;
        record.renderCount = 0;
        record.currentPriority.store(0);
        record.commands.owner = this;
        record.commands.Allocate(vertexBytes, indexBytes, commandCapacity);
        if (index > 0) record.thread = std::thread(Thread_JobProccess, static_cast<LPVOID>(&record));
        return 0;
    } catch (...) {
        MessageTable::Log(3, kSource);
        return -1;
    }
}

int ObjectManager::StopJobThread(int index) {
    if (index <= 0 || index >= static_cast<int>(m_jobs.size())) return 0;
    JobRecord& record = *m_jobs[index];
    if (!record.thread.joinable()) return 0;
    try {
        {
            std::lock_guard<std::mutex> lock(m_jobLock);
            record.stop = true;
        }
        m_jobWake.notify_all();
        // The thread logs its end before it leaves; the record stays valid
        // until it has.
        record.thread.join();
        record.stop = false;
        record.mode = JobRecord::ModeIdle;
        record.parked = true;
    } catch (...) {
    }
    return 0;
}

DWORD WINAPI Thread_JobProccess(LPVOID parameter) {
    JobRecord* record = static_cast<JobRecord*>(parameter);
    static const wchar_t source[] = L"Thread_JobProccess";
    DWORD exitCode = 0;
    try {
        if (!record || !record->owner) throw MessageTable::GetText(4);
        MessageTable::Log(19, source);
        record->owner->RunJobThread(record);
    } catch (const wchar_t* text) {
        if (record) MessageLogManager::Instance().Log(source, text);
        exitCode = static_cast<DWORD>(-1);
    } catch (...) {
        if (record) LogCurrentJobException(source);
        exitCode = static_cast<DWORD>(-1);
    }
    if (record) {
        MessageTable::Log(20, source);
        DebugPrint(L"Thread %d : %s\r\n", record->index, MessageTable::GetText(20));
    }
    return exitCode;
}

void ObjectManager::RunJobThread(JobRecord* record) {
    std::unique_lock<std::mutex> lock(m_jobLock);
    for (;;) {
        m_jobWake.wait(lock, [record] { return record->stop || (!record->parked && record->mode != 0); });
        if (record->stop) return;
        const int mode = record->mode;
        lock.unlock();
        if (mode == JobRecord::ModeUpdate)
            RunUpdateSlice(record, m_timeStep);
        else if (mode == JobRecord::ModeRender)
            RunRenderSlice(record);
        else
            EndSlice(record);
        lock.lock();
    }
}

void ObjectManager::EndSlice(JobRecord* record) {
    {
        std::lock_guard<std::mutex> lock(m_jobLock);
        record->mode = JobRecord::ModeIdle;
    }
    m_jobDone.notify_all();
}

void ObjectManager::RunUpdateSlice(JobRecord* record, float timeStep) {
    record->updateLength.sum += record->updateCount;
    for (int i = 0; i < record->updateCount; ++i) {
        Object* object = record->updateList[i];
        // One failing object must neither stop the others nor leave the pass
        // waiting for this record.
        try {
            record->currentPriority.store(object->GetUpdatePriority(), std::memory_order_relaxed);
            object->Update(timeStep);
        } catch (...) {
            LogCurrentJobException(L"Thread_JobProccess");
        }
    }
    record->currentPriority.store(0, std::memory_order_relaxed);
    EndSlice(record);
}

void ObjectManager::RunRenderSlice(JobRecord* record) {
    record->renderLength.sum += record->renderCount;
    for (int i = 0; i < record->renderCount; ++i) {
        try {
            record->renderList[i]->Render(&record->commands);
        } catch (...) {
            LogCurrentJobException(L"Thread_JobProccess");
        }
    }
    EndSlice(record);
}

JobRecord* ObjectManager::GetJobRecord(int index) const {
    if (index < 0 || index >= static_cast<int>(m_jobs.size())) return nullptr;
    return m_jobs[index].get();
}

void ObjectManager::SetJobsParked(bool parked) {
    {
        std::lock_guard<std::mutex> lock(m_jobLock);
        for (auto& record : m_jobs) record->parked = parked;
    }
    if (!parked) m_jobWake.notify_all();
}

void ObjectManager::SetJobsMode(int mode) {
    std::lock_guard<std::mutex> lock(m_jobLock);
    for (auto& record : m_jobs) record->mode = mode;
}

void ObjectManager::WaitJobs() {
    std::unique_lock<std::mutex> lock(m_jobLock);
    m_jobDone.wait(lock, [this] {
        for (auto& record : m_jobs)
            if (record->mode != JobRecord::ModeIdle) return false;
        return true;
    });
}

void ObjectManager::ResetCommandLists() {
    IShader* spriteEffect = nullptr;
    IShader* sprite2DEffect = nullptr;
    IShader* meshEffect = nullptr;
    IDirect3DVertexDeclaration9* sprite2DDeclaration = nullptr;
    if (m_shaderManager)
        RenderAssets::FindBatchEffects(m_shaderManager, &spriteEffect, &sprite2DEffect, &meshEffect,
                                       &sprite2DDeclaration);
    for (auto& record : m_jobs) {
        record->renderCount = 0;
        CalcVertexSet& list = record->commands;
        list.Reset();
        list.spriteEffect = spriteEffect;
        list.sprite2DEffect = sprite2DEffect;
        list.meshEffect = meshEffect;
        list.sprite2DDeclaration = sprite2DDeclaration;
    }
}

// ---------------------------------------------------------------------------
// Frame

void ObjectManager::HandMatricesToResources() {
    if (m_resourceManager)
        RenderAssets::SetCameraParameters(m_resourceManager, m_projectionMatrix, m_cameraMatrix, m_camera.eye);
}

void ObjectManager::ReleaseUpdateList() {
    for (int i = 0; i < m_updateCount; ++i) m_updateList[i]->Release();
    m_updateCount = 0;
}

int ObjectManager::Update(float timeStep) {
    m_timeStep = timeStep;

    std::set<Object*> pending;
    {
        std::lock_guard<std::mutex> lock(m_setLock);
        pending.swap(m_pending);
    }
    for (Object* object : pending) SubObject(object);

    HandMatricesToResources();

    {
        std::lock_guard<std::recursive_mutex> updateLock(m_updateLock);
        ReleaseUpdateList();
        {
            std::lock_guard<std::mutex> lock(m_setLock);
            if (m_updateList.size() < m_objects.size()) m_updateList.resize(m_objects.size());
            for (Object* object : m_objects) {
                object->AddRef();
                m_updateList[m_updateCount++] = object;
            }
        }
        if (m_renderEnable)
            for (auto& entry : m_stages) entry.second.item->Reset();
    }

    // Ascending update priority; equal keys keep the set's address order.
    // Each key is read once.
    m_sortScratch.resize(static_cast<size_t>(m_updateCount));
    for (int i = 0; i < m_updateCount; ++i)
        m_sortScratch[i] = {m_updateList[i]->GetUpdatePriority(), m_updateList[i]};
    std::stable_sort(m_sortScratch.begin(), m_sortScratch.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (int i = 0; i < m_updateCount; ++i) m_updateList[i] = m_sortScratch[i].second;

    // Round-robin: each record gets a share of every priority band.
    const int jobs = static_cast<int>(m_jobs.size());
    if (jobs > 0) {
        const int share = m_updateCount / jobs + (m_updateCount % jobs ? 1 : 0);
        for (auto& record : m_jobs) {
            if (static_cast<int>(record->updateList.size()) < share) record->updateList.resize(share);
            record->updateCount = 0;
        }
        for (int i = 0; i < m_updateCount; ++i) {
            JobRecord& record = *m_jobs[i % jobs];
            record.updateList[record.updateCount++] = m_updateList[i];
        }

        m_passMark.store(0);
        SetJobsMode(JobRecord::ModeUpdate);
        SetJobsParked(false);
        RunUpdateSlice(m_jobs[0].get(), timeStep);
        WaitJobs();
        SetJobsParked(true);
    } else {
        m_passMark.store(0);
    }

    for (int i = 0; i < m_updateCount; ++i) m_updateList[i]->PostUpdate();

    for (auto& record : m_jobs) record->updateLength.Age();
    return 0;
}

int ObjectManager::BeginStage(RenderStage* stage) {
    if (!stage) return -1;
    ResetCommandLists();
    m_currentStage = stage;
    stage->Execute();
    return 0;
}

int ObjectManager::Render() {
    if (!m_renderEnable) return 1;
    HandMatricesToResources();

    // Ascending order key; equal keys keep name order. A group's Draw may let
    // a group go, so each is held for the pass.
    m_drawOrder.clear();
    for (auto& entry : m_groupsByName) {
        entry.second.item->AddRef();
        m_drawOrder.push_back(entry.second.item);
    }
    std::vector<std::pair<int, RenderGroup*>> keyed;
    keyed.reserve(m_drawOrder.size());
    for (RenderGroup* group : m_drawOrder) keyed.emplace_back(group->GetOrderKey(), group);
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    RenderProfile* profile = GetRenderProfile();
    for (auto& entry : keyed) {
        if (profile) profile->BeforeGroup(*entry.second);
        entry.second->Draw();
        if (profile) profile->AfterGroup(*entry.second);
    }
    for (RenderGroup* group : m_drawOrder) group->Release();
    m_drawOrder.clear();

    for (auto& record : m_jobs) record->renderLength.Age();
    return 0;
}

// ---------------------------------------------------------------------------
// Objects, groups, bodies

int ObjectManager::AddObject(Object* object) {
    if (!object) return -1;
    {
        std::lock_guard<std::mutex> lock(m_setLock);
        if (!m_objects.insert(object).second) return 1;
        object->AddRef();
    }
    object->SetManager(this);
    return 0;
}

int ObjectManager::SubObject(Object* object) {
    {
        std::lock_guard<std::mutex> lock(m_setLock);
        // A queued removal of an object that leaves now must not outlive it.
        m_pending.erase(object);
        if (m_objects.erase(object) == 0) return 1;
    }
    object->SetManager(nullptr);
    object->Release();
    return 0;
}

void ObjectManager::RequestSubObject(Object* object) {
    std::lock_guard<std::mutex> lock(m_setLock);
    m_pending.insert(object);
}

void ObjectManager::CancelSubObject(Object* object) {
    std::lock_guard<std::mutex> lock(m_setLock);
    m_pending.erase(object);
}

int ObjectManager::GetObjectCount() const {
    std::lock_guard<std::mutex> lock(m_setLock);
    return static_cast<int>(m_objects.size());
}

bool ObjectManager::HasObject(Object* object) const {
    std::lock_guard<std::mutex> lock(m_setLock);
    return m_objects.count(object) != 0;
}

void ObjectManager::SetObjectGroup(Object* object, int index, bool on) {
    std::lock_guard<std::mutex> lock(m_setLock);
    if (index < 0 || index >= static_cast<int>(m_groups.size())) return;
    ObjectGroup& group = m_groups[index];
    const bool changed = on ? group.members.insert(object).second : group.members.erase(object) != 0;
    if (changed) ++group.stamp;
}

Object* ObjectManager::GetFirstInGroup(int index, GroupIterator* iterator) {
    std::lock_guard<std::mutex> lock(m_setLock);
    if (index < 0 || index >= static_cast<int>(m_groups.size()) || m_groups[index].members.empty()) {
        if (iterator) iterator->object = nullptr;
        return nullptr;
    }
    const ObjectGroup& group = m_groups[index];
    Object* first = *group.members.begin();
    if (iterator) {
        iterator->stamp = group.stamp;
        iterator->index = index;
        iterator->object = first;
        iterator->position = group.members.begin();
    }
    return first;
}

Object* ObjectManager::GetNextInGroup(GroupIterator* iterator) {
    if (!iterator || !iterator->object) return nullptr;
    std::lock_guard<std::mutex> lock(m_setLock);
    if (iterator->index < 0 || iterator->index >= static_cast<int>(m_groups.size())) return nullptr;
    const ObjectGroup& group = m_groups[iterator->index];
    std::set<Object*>::const_iterator next;
    if (group.stamp != iterator->stamp) {
        // The set changed since the iterator was filled: its stored position
        // may be gone, so continue after the iterator's object by value.
        next = group.members.upper_bound(iterator->object);
        iterator->stamp = group.stamp;
    } else {
        next = std::next(iterator->position);
    }
    if (next == group.members.end()) {
        iterator->object = nullptr;
        return nullptr;
    }
    iterator->position = next;
    iterator->object = *next;
    return *next;
}

Object* ObjectManager::FindBodyOwner(const void* key) const {
    std::lock_guard<std::mutex> lock(m_setLock);
    auto it = m_bodyOwners.find(key);
    return it == m_bodyOwners.end() ? nullptr : it->second;
}

void ObjectManager::SetBodyOwner(const void* key, Object* object) {
    std::lock_guard<std::mutex> lock(m_setLock);
    m_bodyOwners.erase(key);
    if (object) m_bodyOwners[key] = object;
}

// ---------------------------------------------------------------------------
// Stages and groups

template <class T>
int ObjectManager::AddRegistered(Registry<T>& registry, T* item) {
    if (!item) return -1;
    auto it = registry.find(item->GetName());
    if (it != registry.end()) {
        it->second.item->AddRef();
        ++it->second.useCount;
        return 1;
    }
    item->AddRef();
    registry[item->GetName()] = Registered<T>{1, item};
    return 0;
}

// Every use holds one reference, so each removal of a use releases one.
template <class T>
int ObjectManager::SubRegistered(Registry<T>& registry, const char* name) {
    auto it = registry.find(name ? name : "");
    if (it == registry.end()) return -1;
    T* item = it->second.item;
    const bool last = --it->second.useCount <= 0;
    if (last) registry.erase(it);
    item->Release();
    return last ? 1 : 0;
}

int ObjectManager::AddRenderStage(RenderStage* stage) { return AddRegistered(m_stages, stage); }

int ObjectManager::SubRenderStage(const char* name) {
    auto it = m_stages.find(name ? name : "");
    if (it != m_stages.end() && it->second.useCount <= 1 && m_currentStage == it->second.item)
        m_currentStage = nullptr;
    return SubRegistered(m_stages, name);
}

int ObjectManager::AddRenderGroup(RenderGroup* group) { return AddRegistered(m_groupsByName, group); }

int ObjectManager::SubRenderGroup(const char* name) { return SubRegistered(m_groupsByName, name); }

RenderGroup* ObjectManager::GetRenderGroup(const char* name) const {
    auto it = m_groupsByName.find(name ? name : "");
    return it == m_groupsByName.end() ? nullptr : it->second.item;
}

RenderStage* ObjectManager::GetRenderStage(const char* name) const {
    auto it = m_stages.find(name ? name : "");
    return it == m_stages.end() ? nullptr : it->second.item;
}

// ---------------------------------------------------------------------------
// Camera and matrices

void ObjectManager::SetViewMatrix(const D3DXMATRIX& matrix) {
    m_cameraMatrix = matrix;
    InverseOrIdentity(&m_inverseCameraMatrix, m_cameraMatrix);
    m_billboardMatrix = m_inverseCameraMatrix;
    m_billboardMatrix._41 = m_billboardMatrix._42 = m_billboardMatrix._43 = 0.0f;
}

void ObjectManager::SetCamera(const CameraRecord& camera) {
    m_camera = camera;
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &camera.eye, &camera.at, &camera.up);
    SetViewMatrix(view);
}

void ObjectManager::SetCamera(const D3DXVECTOR3& eye, const D3DXVECTOR3& at, const D3DXVECTOR3& up) {
    SetCamera(CameraRecord{eye, at, up});
}

const D3DXMATRIX& ObjectManager::SetViewport(const D3DVIEWPORT9& viewport) {
    m_viewport = viewport;
    const float w = static_cast<float>(viewport.Width / 2);
    const float h = static_cast<float>(viewport.Height / 2);
    const float depth = viewport.MaxZ - viewport.MinZ;
    const float c = depth != 0.0f ? viewport.MaxZ / depth : 0.0f;
    m_screenMatrix = D3DXMATRIX(w, 0, 0, 0,
                                0, -h, 0, 0,
                                0, 0, c, 0,
                                w, h, -c * viewport.MinZ, 1);
    m_invViewportWidth = viewport.Width ? 1.0f / static_cast<float>(viewport.Width) : 0.0f;
    m_invViewportHeight = viewport.Height ? 1.0f / static_cast<float>(viewport.Height) : 0.0f;
    return m_screenMatrix;
}

void ObjectManager::UpdateMatrices() {
    D3DXMatrixMultiply(&m_viewProjection, &m_cameraMatrix, &m_projectionMatrix);
    D3DXMatrixMultiply(&m_screenProduct, &m_viewProjection, &m_screenMatrix);
    InverseOrIdentity(&m_inverseViewProjection, m_viewProjection);
    InverseOrIdentity(&m_inverseScreenProduct, m_screenProduct);
}

// ---------------------------------------------------------------------------
// Statistics

void ObjectManager::PrintThreadStatistics() {
    LogLine(kSource, L"Thread SystemInformation");
    for (auto& record : m_jobs) {
        LogLine(kSource, FormatW(L"Thread %d", record->index));
        LogLine(kSource, FormatW(L"RenderObjectListLength Ave %.2f / Max %d", record->renderLength.average,
                                 record->renderLength.maximum));
        LogLine(kSource, FormatW(L"UpdateObjectListLength Ave %.2f / Max %d", record->updateLength.average,
                                 record->updateLength.maximum));
    }
}

void ObjectManager::PrintSystemInfo() {
    m_sampledCount = GetObjectCount();
    m_accumulatedTime += m_timeStep;
    if (m_accumulatedTime > 0.5f) {
        m_accumulatedTime = 0.0f;
        m_smoothedTimeStep = (m_timeStep + m_smoothedTimeStep) * 0.5f;
        m_shownCount = m_sampledCount;
    }
    if (g_pEnvironment) {
        g_pEnvironment->AppendInfoText(FormatW(L"#### ObjectManager %.3f #### ", m_smoothedTimeStep).c_str());
        g_pEnvironment->AppendInfoText(
            FormatW(L"Object Count %d ( %d )\r\n", m_shownCount, m_sampledCount).c_str());
    }
    for (int i = 0; i < m_updateCount; ++i) m_updateList[i]->PrintSystemInfo();
}

}  // namespace Quorvex
