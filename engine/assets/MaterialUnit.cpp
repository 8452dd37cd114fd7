#include "engine/assets/MaterialUnit.h"

#include "engine/core/MessageLogManager.h"
#include "engine/core/Utility.h"

namespace Quorvex {

namespace {

// The count follows the entries that hold a texture, so an emptied entry in
// the middle of the list never lets the count and the list disagree.
int StoreAt(std::vector<IDirect3DTexture9*>& list, int& count, int index, IDirect3DTexture9* texture) {
    if (texture) texture->AddRef();
    if (index >= 0 && index < static_cast<int>(list.size())) {
        IDirect3DTexture9* old = list[index];
        list[index] = texture;
        if (old) {
            old->Release();
            --count;
        }
    } else {
        index = static_cast<int>(list.size());
        list.push_back(texture);
    }
    if (texture) ++count;
    return index;
}

void ReleaseAt(std::vector<IDirect3DTexture9*>& list, int& count, int index) {
    if (index < 0 || index >= static_cast<int>(list.size()) || !list[index]) return;
    IDirect3DTexture9* old = list[index];
    list[index] = nullptr;
    old->Release();
    --count;
}

void ReleaseAll(std::vector<IDirect3DTexture9*>& list, int& count) {
    std::vector<IDirect3DTexture9*> held;
    held.swap(list);
    count = 0;
    for (IDirect3DTexture9* texture : held)
        if (texture) texture->Release();
}

}  // namespace

MaterialUnit::MaterialUnit(const char* name) : m_name(name ? name : "") {}

MaterialUnit::~MaterialUnit() { Clear(); }

HRESULT STDMETHODCALLTYPE MaterialUnit::QueryInterface(REFIID, void** object) {
    if (object) *object = this;
    return S_OK;
}

ULONG STDMETHODCALLTYPE MaterialUnit::AddRef() { return IncrementReference(); }

ULONG STDMETHODCALLTYPE MaterialUnit::Release() {
    if (GetReferenceCount() > 1) return DecrementReference();
    DebugPrint(L"マテリアルRelease()削除 ID:\"%s\"(addr:%d)\r\n", NarrowToWide(m_name.c_str()), this);
    return DecrementReference();
}

int MaterialUnit::SetTexture(int index, IDirect3DTexture9* texture) {
    return StoreAt(m_textures, m_textureCount, index, texture);
}

void MaterialUnit::ReleaseTexture(int index) { ReleaseAt(m_textures, m_textureCount, index); }

int MaterialUnit::SetNormalMap(IDirect3DTexture9* texture) {
    StoreAt(m_normalMaps, m_normalMapCount, 0, texture);
    return 0;
}

void MaterialUnit::ReleaseNormalMap(int index) { ReleaseAt(m_normalMaps, m_normalMapCount, index); }

void MaterialUnit::Clear() {
    ReleaseAll(m_textures, m_textureCount);
    ReleaseAll(m_normalMaps, m_normalMapCount);
    m_name.clear();
}

IDirect3DTexture9* MaterialUnit::GetTexture(int index) const {
    return index >= 0 && index < static_cast<int>(m_textures.size()) ? m_textures[index] : nullptr;
}

IDirect3DTexture9* MaterialUnit::GetNormalMap(int index) const {
    return index >= 0 && index < static_cast<int>(m_normalMaps.size()) ? m_normalMaps[index] : nullptr;
}

}  // namespace Quorvex
