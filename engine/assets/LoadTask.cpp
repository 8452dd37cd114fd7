#include "engine/assets/LoadTask.h"

#include "engine/assets/MaterialUnit.h"
#include "engine/assets/MeshUnit.h"
#include "engine/assets/ResourceManager.h"
#include "engine/core/MessageLogManager.h"

namespace Quorvex {

namespace {

// Holds a local reference on a new resource while a task works on it, so
// that its registration can never be the last reference to go.
template <class T>
class LocalReference {
public:
    explicit LocalReference(T* object) : m_object(object) { m_object->AddRef(); }
    ~LocalReference() { m_object->Release(); }
    LocalReference(const LocalReference&) = delete;
    LocalReference& operator=(const LocalReference&) = delete;
    T* operator->() const { return m_object; }
    T* get() const { return m_object; }

private:
    T* m_object;
};

}  // namespace

LoadTask_Material::LoadTask_Material(IResourceManager* holder, const char* id, const wchar_t* path, DWORD key)
    : m_pHolder(holder), m_path(path ? path : L""), m_key(key) {
    SetName(id);
}

LoadTask_Material::~LoadTask_Material() { DebugPrint(L"マテリアルタスク削除 \"%s\"\r\n", m_name); }

int LoadTask_Material::OnLoaded(MaterialUnit*) { return 0; }

int LoadTask_Material::Load() {
    const char* id = m_name.c_str();
    if (!m_pHolder->GetResource(id)) {
        LocalReference<MaterialUnit> material(new MaterialUnit(id));
        m_pHolder->SetResource(id, material.get());

        IDirect3DTexture9* texture = nullptr;
        if (m_pHolder->GetTextureCache().Load(m_path.c_str(), m_pHolder->GetDevice(), m_key, true, &texture) < 0) {
            MessageLogManager::Instance().Log(L"LoadTask_Material",
                                              FormatW(L"マテリアルデータの読み込みに失敗 \"%s\"", m_name).c_str());
            return -1;
        }
        material->SetTexture(-1, texture);
        texture->Release();

        const int result = OnLoaded(material.get());
        if (result < 0) {
            MessageLogManager::Instance().Log(
                L"LoadTask_Material", FormatW(L"マテリアルデータの読み込みの派生先処理に失敗 ( %d )", result).c_str());
            return result;
        }
    }
    DebugPrint(L"マテリアル読み込み完了 \"%s\"\r\n", m_name);
    return 0;
}

LoadTask_Mesh::LoadTask_Mesh(IResourceManager* holder, const char* id, const wchar_t* path, DWORD key)
    : m_pHolder(holder), m_path(path ? path : L""), m_key(key) {
    SetName(id);
}

LoadTask_Mesh::~LoadTask_Mesh() { DebugPrint(L"メッシュタスク削除 \"%s\"\r\n", m_name); }

int LoadTask_Mesh::OnLoaded(MeshUnit*) { return 0; }

int LoadTask_Mesh::Load() {
    const char* id = m_name.c_str();
    if (!m_pHolder->GetResource(id)) {
        LocalReference<MeshUnit> mesh(new MeshUnit(m_pHolder, id));
        mesh->SetName(id);
        m_pHolder->SetResource(id, mesh.get());

        if (mesh->LoadMesh(m_path.c_str(), m_key) < 0) {
            MessageLogManager::Instance().Log(L"LoadTask_Mesh",
                                              FormatW(L"メッシュデータの読み込みに失敗 \"%s\"", m_name).c_str());
            return -1;
        }
        const int result = OnLoaded(mesh.get());
        if (result < 0) {
            MessageLogManager::Instance().Log(
                L"LoadTask_Mesh", FormatW(L"メッシュデータの読み込みの派生先処理に失敗 ( %d )", result).c_str());
            return result;
        }
    }
    DebugPrint(L"メッシュ読み込み完了 \"%s\"\r\n", m_name);
    return 0;
}

}  // namespace Quorvex
