// Textures read from asset files, one per file and key: every material that
// names the same file shares one texture instead of decoding its own. The
// cache holds a reference on each texture and lets it go once nobody else
// holds one.
#pragma once
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "platform/d3d9/d3d9.h"
#include "platform/win32/win32.h"

namespace Quorvex {

class TextureCache {
public:
    TextureCache() = default;
    ~TextureCache();
    TextureCache(const TextureCache&) = delete;
    TextureCache& operator=(const TextureCache&) = delete;

    // MaterialUnit::LoadTexture (TryLoadTexture when failures are not to be
    // logged), served from the cache when the file was read before with the
    // same key on the same device. Failures are not kept: a file that
    // appears later is read then.
    int Load(const wchar_t* path, IDirect3DDevice9* device, DWORD key, bool logFailures, IDirect3DTexture9** texture);
    // Drops the textures only the cache still holds.
    void ReleaseUnused();
    // Drops every texture (their other holders keep theirs).
    void Clear();
    // Textures held.
    size_t Size() const;

private:
    using Key = std::pair<std::wstring, DWORD>;
    struct Entry {
        IDirect3DDevice9* device;  // not counted: compared only
        IDirect3DTexture9* texture;  // counted
    };

    mutable std::mutex m_lock;
    std::map<Key, Entry> m_textures;
};

}  // namespace Quorvex
