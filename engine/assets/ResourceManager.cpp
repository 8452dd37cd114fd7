#include "engine/assets/ResourceManager.h"

#include <exception>
#include <system_error>

#include "engine/assets/Chara2D.h"
#include "engine/assets/LoadTask.h"
#include "engine/assets/shaders/MeshShader.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/MessageTable.h"

namespace Quorvex {

namespace {

constexpr const wchar_t* kLoaderSource = L"ResourceManager";
constexpr const char* kMeshShaderName = "MeshDefaultShader";

void LogLoader(const wchar_t* text) { MessageLogManager::Instance().Log(kLoaderSource, text); }

}  // namespace

ResourceSet::ResourceSet(IUnknown* resource) : m_resource(resource) {
    if (m_resource) m_resource->AddRef();
}

ResourceSet::~ResourceSet() {
    if (m_resource) m_resource->Release();
}

ResourceManager::ResourceManager() : m_renderParameter(new MeshUnit_CalcData()) {
    m_renderParameter->AddRef();
}

ResourceManager::~ResourceManager() {
    DebugPrint(L"ResourceManager::~ResourceManager()\r\n");
    Finalize();
    m_renderParameter->Release();
}

int ResourceManager::Initialize(IDirect3DDevice9* device, ShaderManager* shaderManager) {
    SetDevice(device);
    if (shaderManager) shaderManager->AddRef();
    if (m_shaderManager) m_shaderManager->Release();
    m_shaderManager = shaderManager;
    if (!m_device || !m_shaderManager || FAILED(m_renderParameter->Init(this, m_shaderManager))) return -1;

    MeshShader* shader = new MeshShader(m_renderParameter, m_shaderManager);
    shader->AddRef();
    if (shader->LoadShader() < 0) {
        shader->Release();
        return -1;
    }
    m_shaderManager->AddShader(shader);
    shader->Release();

    if (BeginThread_ResourceLoad() < 0) {
        Finalize();
        return -1;
    }
    return 0;
}

void ResourceManager::Finalize() {
    StopLoaderThread();
    ReleaseQueuedTasks();
    if (m_shaderManager) m_shaderManager->RemoveShader(kMeshShaderName);
    ReleaseAllChara2D();
    ReleaseAllResources();
    SetLoadTaskFactory(nullptr);
    m_textureCache.Clear();
    SetDevice(nullptr);
    m_renderParameter->ClearManagers();
    if (ShaderManager* shaders = m_shaderManager) {
        m_shaderManager = nullptr;
        shaders->Release();
    }
}

// ---------------------------------------------------------------------------
// Resource table

int ResourceManager::SetResource(const char* id, IUnknown* resource) {
    if (!id) return -1;
    DeleteResource(id);
    ResourceSet* set = new ResourceSet(resource);
    set->AddRef();
    m_resources[id] = set;
    DebugPrint(L"ResourceManager::SetResource : Resource \"%s\" 登録\r\n", id);
    return 0;
}

void ResourceManager::DeleteResource(const char* id) {
    if (!id) return;
    auto it = m_resources.find(id);
    if (it == m_resources.end()) return;
    ResourceSet* set = it->second;
    // The entry always goes with the table's one reference: an entry kept
    // after its reference was dropped would point at a set others own.
    const bool last = set->GetRefCount() < 2;
    if (last) DebugPrint(L"ResourceManager::DeleteResource : Resource \"%s\" 削除\r\n", id);
    m_resources.erase(it);
    set->Release();
    if (last) m_textureCache.ReleaseUnused();
}

void ResourceManager::ReleaseAllResources() {
    while (!m_resources.empty()) DeleteResource(std::string(m_resources.begin()->first).c_str());
    m_textureCache.ReleaseUnused();
}

ResourceSet* ResourceManager::GetResourceSet(const char* id) {
    if (!id) return nullptr;
    auto it = m_resources.find(id);
    return it == m_resources.end() ? nullptr : it->second;
}

IUnknown* ResourceManager::GetResource(const char* id) {
    ResourceSet* set = GetResourceSet(id);
    return set ? set->GetResource() : nullptr;
}

// ---------------------------------------------------------------------------
// Load tasks

int ResourceManager::PushLoadTask(ILoadTask* task, int) {
    if (!task) return -1;
    std::lock_guard<std::recursive_mutex> guard(m_queueLock);
    const int parameter = *task->GetParam();
    const char* name = task->GetName();
    auto& tasks = m_queue[parameter];
    if (tasks.find(name) != tasks.end()) return 0;  // queued already: runs once
    tasks.emplace(name, task);
    task->AddRef();
    ++m_pendingCount;
    return 0;
}

int ResourceManager::RequestLoad(const char* id) {
    if (!m_factory) return -1;
    ILoadTask* task = m_factory->GetTask(id);
    if (!task) return -2;
    const int pushed = PushLoadTask(task, 1);
    task->Release();
    return pushed < 0 ? -3 : 0;
}

void ResourceManager::SetLoadTaskFactory(ILoadTaskFactory* factory) {
    if (factory) factory->AddRef();
    ILoadTaskFactory* old = m_factory;
    m_factory = factory;
    if (old) old->Release();
}

ILoadTask* ResourceManager::TakeNextTask() {
    std::lock_guard<std::recursive_mutex> guard(m_queueLock);
    while (!m_queue.empty()) {
        auto first = m_queue.begin();
        if (first->second.empty()) {
            m_queue.erase(first);
            continue;
        }
        auto task = first->second.begin();
        ILoadTask* taken = task->second;
        first->second.erase(task);
        if (first->second.empty()) m_queue.erase(first);
        return taken;
    }
    return nullptr;
}

void ResourceManager::ReleaseQueuedTasks() {
    std::map<int, std::map<std::string, ILoadTask*>> queued;
    {
        std::lock_guard<std::recursive_mutex> guard(m_queueLock);
        queued.swap(m_queue);
    }
    for (auto& [parameter, tasks] : queued)
        for (auto& [name, task] : tasks) {
            task->Release();
            --m_pendingCount;
        }
}

// ---------------------------------------------------------------------------
// Loader thread

int ResourceManager::BeginThread_ResourceLoad() {
    if (m_loader.thread.joinable()) return 1;
    m_loader.manager = this;
    m_loader.stop.store(0);
    try {
        try {
            m_loader.running.store(true);
            m_loader.thread = std::thread(&ResourceManager::LoaderThread, &m_loader);
        } catch (const std::system_error&) {
            m_loader.running.store(false);
            throw MessageTable::GetText(50);
        }
    } catch (const wchar_t* text) {
        MessageLogManager::Instance().Log(L"ResourceManager::BeginThread_ResourceLoad", text);
        return -1;
    }
    return 0;
}

void ResourceManager::LoaderThread(LoaderRecord* record) {
    if (!record || !record->manager) {
        LogLoader(L"スレッドデータがない");
        return;
    }
    record->manager->RunLoader();
    record->running.store(false);
}

int ResourceManager::RunLoader() {
    IDirect3DDevice9* device = m_device;
    bool ownContext = false;
    int exitCode = 0;
    try {
        MessageTable::Log(51, kLoaderSource);
        // Textures and meshes are made in a context that shares the device's
        // objects; what a call creates is complete when it returns.
        if (device) {
            ownContext = orv::d3d9::MakeLoaderContextCurrent(device);
            if (!ownContext) LogLoader(L"ロード用のコンテキストを作成できない");
        }
        Sleep(100);
        while (m_loader.stop.load() == 0) {
            ILoadTask* task = TakeNextTask();
            if (!task) {
                Sleep(static_cast<DWORD>(m_loader.pollMilliseconds));
                continue;
            }
            // A task that throws counts as done: the rest of the queue runs
            // and the start-up's wait for the pending count still ends.
            try {
                task->Load();
            } catch (const wchar_t* text) {
                LogLoader(text ? text : L"");
            } catch (const std::exception& error) {
                LogLoader(Utf8ToWide(error.what()).c_str());
            } catch (...) {
                LogLoader(FormatW(L"ロードタスクで例外 \"%s\"", task->GetName()).c_str());
            }
            task->Release();
            Sleep(0);
            --m_pendingCount;
        }
    } catch (const wchar_t* text) {
        LogLoader(text ? text : L"");
        exitCode = -1;
    } catch (...) {
        exitCode = -1;
    }
    if (ownContext) orv::d3d9::ReleaseLoaderContext(device);
    m_loader.stop.store(0);
    MessageTable::Log(52, kLoaderSource);
    return exitCode;
}

void ResourceManager::StopLoaderThread() {
    if (!m_loader.thread.joinable()) return;
    if (m_loader.running.load() && m_loader.stop.load() == 0) {
        m_loader.stop.store(1);
        while (m_loader.stop.load() != 0 && m_loader.running.load())
            Sleep(static_cast<DWORD>(m_loader.pollMilliseconds));
    }
    m_loader.thread.join();
    m_loader.stop.store(0);
}

// ---------------------------------------------------------------------------
// Device, cut-outs and render parameters

void ResourceManager::SetDevice(IDirect3DDevice9* device) {
    if (device) device->AddRef();
    IDirect3DDevice9* old = m_device;
    m_device = device;
    if (old != device) m_textureCache.Clear();
    if (old) old->Release();
    m_caps = D3DCAPS9{};
    if (m_device) m_device->GetDeviceCaps(&m_caps);
}

void ResourceManager::SetChara2D(const char* id, const Chara2D& chara) {
    if (!id) return;
    ReleaseChara2D(id);
    m_chara2D[id] = new Chara2D(chara);
}

void ResourceManager::ReleaseChara2D(const char* id) {
    if (!id) return;
    auto it = m_chara2D.find(id);
    if (it == m_chara2D.end()) return;
    delete it->second;
    m_chara2D.erase(it);
}

Chara2D* ResourceManager::GetChara2D(const char* id) {
    if (!id) return nullptr;
    auto it = m_chara2D.find(id);
    return it == m_chara2D.end() ? nullptr : it->second;
}

void ResourceManager::ReleaseAllChara2D() {
    std::map<std::string, Chara2D*> held;
    held.swap(m_chara2D);
    for (auto& [id, chara] : held) delete chara;
}

INT_PTR ResourceManager::ReserveMatrices(int count) { return m_renderParameter->ReserveMatrices(count); }

void ResourceManager::SetProjectionMatrix(const D3DXMATRIX& projection) {
    m_renderParameter->SetProjectionMatrix(projection);
}

void ResourceManager::SetViewMatrix(const D3DXMATRIX& view) { m_renderParameter->SetViewMatrix(view); }

void ResourceManager::SetEyePosition(const D3DXVECTOR3& eye) { m_renderParameter->SetEyePosition(eye); }

}  // namespace Quorvex
