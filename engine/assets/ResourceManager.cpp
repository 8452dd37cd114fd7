#include "engine/assets/ResourceManager.h"

#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/render/RenderParameter.h"

namespace Quorvex {

ResourceSet::ResourceSet(IUnknown* resource) : m_resource(resource) {
    if (m_resource) m_resource->AddRef();
}

ResourceSet::~ResourceSet() {
    if (m_resource) m_resource->Release();
}

ResourceManager::ResourceManager() : m_renderParameter(new RenderParameter()) { m_renderParameter->AddRef(); }

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
    if (!m_device || FAILED(m_renderParameter->Initialize(m_device))) return -1;
    // The mesh effect and the loader thread join here with the mesh library.
    return 0;
}

void ResourceManager::Finalize() {
    ReleaseAllResources();
    SetDevice(nullptr);
    if (ShaderManager* shaders = m_shaderManager) {
        m_shaderManager = nullptr;
        shaders->Release();
    }
}

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
    // The entry always goes with the table's reference: an entry left behind
    // without it would later release a reference someone else holds.
    if (set->GetRefCount() < 2) DebugPrint(L"ResourceManager::DeleteResource : Resource \"%s\" 削除\r\n", id);
    m_resources.erase(it);
    set->Release();
}

void ResourceManager::ReleaseAllResources() {
    while (!m_resources.empty()) DeleteResource(std::string(m_resources.begin()->first).c_str());
}

ResourceSet* ResourceManager::GetResourceSet(const char* id) const {
    if (!id) return nullptr;
    auto it = m_resources.find(id);
    return it == m_resources.end() ? nullptr : it->second;
}

IUnknown* ResourceManager::GetResource(const char* id) const {
    ResourceSet* set = GetResourceSet(id);
    return set ? set->GetResource() : nullptr;
}

void ResourceManager::SetDevice(IDirect3DDevice9* device) {
    if (device) device->AddRef();
    IDirect3DDevice9* old = m_device;
    m_device = device;
    if (old) old->Release();
    m_caps = D3DCAPS9{};
    if (m_device) m_device->GetDeviceCaps(&m_caps);
}

INT_PTR ResourceManager::ReserveMatrices(int count) { return m_renderParameter->ReserveMatrices(count); }

void ResourceManager::SetProjectionMatrix(const D3DXMATRIX& projection) {
    m_renderParameter->SetProjectionMatrix(projection);
}

void ResourceManager::SetViewMatrix(const D3DXMATRIX& view) { m_renderParameter->SetViewMatrix(view); }

void ResourceManager::SetEyePosition(const D3DXVECTOR3& eye) { m_renderParameter->SetEyePosition(eye); }

}  // namespace Quorvex
