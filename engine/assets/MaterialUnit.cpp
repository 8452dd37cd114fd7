#include "engine/assets/MaterialUnit.h"

#include "engine/core/AreaPos.h"
#include "engine/core/FileBytes.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/MessageTable.h"
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

namespace {

constexpr const wchar_t* kLoadTextureSource = L"MaterialUnit::LoadTexture";
constexpr const wchar_t* kLoadNormalMapSource = L"MaterialUnit::LoadNormalMap";
// D3DX's colour key: opaque magenta becomes transparent black.
constexpr D3DCOLOR kColorKey = 0xFFFF00FF;

int LoadTextureFile(const wchar_t* path, IDirect3DDevice9* device, DWORD key, IDirect3DTexture9** texture,
                    bool logFailures) {
    if (texture) *texture = nullptr;
    FileBytes bytes;
    DWORD size = 0;
    if (!path || !texture || ReadWholeFile(path, bytes, &size) < 0) {
        if (logFailures) MessageLogManager::Instance().Log(kLoadTextureSource, L"テクスチャファイルの読み込みに失敗。");
        return -1;
    }
    XorBuffer(size, key, bytes.data(), size);
    const HRESULT hr = D3DXCreateTextureFromFileInMemoryEx(
        device, bytes.data(), size, D3DX_DEFAULT, D3DX_DEFAULT, 0, 0, DEFAULTD3DFMT_TEXTURE, D3DPOOL_MANAGED,
        D3DX_FILTER_POINT, D3DX_FILTER_POINT, kColorKey, nullptr, nullptr, texture);
    if (FAILED(hr) || !*texture) {
        if (*texture) (*texture)->Release();
        *texture = nullptr;
        if (logFailures) {
            MessageTable::Log(40, kLoadTextureSource);
            MessageLogManager::Instance().Log(kLoadTextureSource, L"テクスチャの作成に失敗。");
        }
        return -3;
    }
    (*texture)->GenerateMipSubLevels();
    return 0;
}

}  // namespace

int MaterialUnit::LoadTexture(const wchar_t* path, IDirect3DDevice9* device, DWORD key,
                              IDirect3DTexture9** texture) {
    return LoadTextureFile(path, device, key, texture, true);
}

int MaterialUnit::TryLoadTexture(const wchar_t* path, IDirect3DDevice9* device, DWORD key,
                                 IDirect3DTexture9** texture) {
    return LoadTextureFile(path, device, key, texture, false);
}

int MaterialUnit::LoadTextureAt(int index, const wchar_t* path, IDirect3DDevice9* device, DWORD key) {
    IDirect3DTexture9* texture = nullptr;
    const int result = LoadTexture(path, device, key, &texture);
    if (result < 0) return result;
    const int slot = SetTexture(index, texture);
    texture->Release();
    return slot;
}

HRESULT MaterialUnit::LoadNormalMap(DWORD key, const wchar_t* path, IDirect3DDevice9* device, DWORD flags,
                                    float amplitude, IDirect3DTexture9** normalMap) {
    if (!normalMap) return D3DERR_INVALIDCALL;
    *normalMap = nullptr;
    IDirect3DTexture9* source = nullptr;
    HRESULT hr;
    if (key != 0) {
        FileBytes bytes;
        DWORD size = 0;
        if (!path || ReadWholeFile(path, bytes, &size) < 0) {
            MessageLogManager::Instance().Log(kLoadNormalMapSource, L"法線テクスチャファイルの読み込みに失敗。");
            return -1;
        }
        XorBuffer(size, key, bytes.data(), size);
        hr = D3DXCreateTextureFromFileInMemoryEx(device, bytes.data(), size, D3DX_DEFAULT, D3DX_DEFAULT, 0, 0,
                                                 DEFAULTD3DFMT_NORMALTEXTURE, D3DPOOL_MANAGED, D3DX_FILTER_NONE,
                                                 D3DX_FILTER_NONE, 0, nullptr, nullptr, &source);
    } else {
        hr = D3DXCreateTextureFromFileExW(device, path, D3DX_DEFAULT, D3DX_DEFAULT, 0, 0,
                                          DEFAULTD3DFMT_NORMALTEXTURE, D3DPOOL_MANAGED, D3DX_FILTER_NONE,
                                          D3DX_FILTER_NONE, 0, nullptr, nullptr, &source);
    }
    if (FAILED(hr) || !source) {
        if (source) source->Release();
        return FAILED(hr) ? hr : E_FAIL;
    }
    D3DSURFACE_DESC desc{};
    hr = source->GetLevelDesc(0, &desc);
    if (SUCCEEDED(hr))
        hr = D3DXCreateTexture(device, desc.Width, desc.Height, 0, 0, DEFAULTD3DFMT_NORMALTEXTURE, D3DPOOL_MANAGED,
                               normalMap);
    if (SUCCEEDED(hr)) hr = D3DXComputeNormalMap(*normalMap, source, nullptr, flags, D3DX_CHANNEL_RED, amplitude);
    if (FAILED(hr) && *normalMap) {
        (*normalMap)->Release();
        *normalMap = nullptr;
    }
    source->Release();
    return hr;
}

IDirect3DTexture9* MaterialUnit::GetTexture(int index) const {
    return index >= 0 && index < static_cast<int>(m_textures.size()) ? m_textures[index] : nullptr;
}

IDirect3DTexture9* MaterialUnit::GetNormalMap(int index) const {
    return index >= 0 && index < static_cast<int>(m_normalMaps.size()) ? m_normalMaps[index] : nullptr;
}

}  // namespace Quorvex
