#include "engine/assets/TextureCache.h"

#include <vector>

#include "engine/assets/MaterialUnit.h"

namespace Quorvex {

TextureCache::~TextureCache() { Clear(); }

int TextureCache::Load(const wchar_t* path, IDirect3DDevice9* device, DWORD key, bool logFailures,
                       IDirect3DTexture9** texture) {
    if (!path || !texture) {
        if (texture) *texture = nullptr;
        return logFailures ? MaterialUnit::LoadTexture(path, device, key, texture)
                           : MaterialUnit::TryLoadTexture(path, device, key, texture);
    }
    const Key id(path, key);
    {
        std::lock_guard<std::mutex> guard(m_lock);
        auto found = m_textures.find(id);
        if (found != m_textures.end() && found->second.device == device) {
            found->second.texture->AddRef();
            *texture = found->second.texture;
            return 0;
        }
    }
    // Read and decoded outside the lock: a texture of another file may be
    // asked for meanwhile.
    const int result = logFailures ? MaterialUnit::LoadTexture(path, device, key, texture)
                                   : MaterialUnit::TryLoadTexture(path, device, key, texture);
    if (result < 0) return result;

    IDirect3DTexture9* replaced = nullptr;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        auto [at, added] = m_textures.try_emplace(id, Entry{device, *texture});
        if (!added && at->second.device == device) {
            // Read by another thread at the same time: its copy is the one shared.
            replaced = *texture;
            *texture = at->second.texture;
        } else {
            if (!added) replaced = at->second.texture;
            at->second = Entry{device, *texture};
        }
        (*texture)->AddRef();
    }
    if (replaced) replaced->Release();
    return 0;
}

void TextureCache::ReleaseUnused() {
    std::vector<IDirect3DTexture9*> unused;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (auto it = m_textures.begin(); it != m_textures.end();) {
            // Only the cache can hand out new references, and it is locked:
            // a count of one here stays one.
            IDirect3DTexture9* texture = it->second.texture;
            texture->AddRef();
            if (texture->Release() == 1) {
                unused.push_back(texture);
                it = m_textures.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (IDirect3DTexture9* texture : unused) texture->Release();
}

void TextureCache::Clear() {
    std::map<Key, Entry> held;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        held.swap(m_textures);
    }
    for (auto& [id, entry] : held) entry.texture->Release();
}

size_t TextureCache::Size() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_textures.size();
}

}  // namespace Quorvex
