// One material resource: lighting colours, a list of textures and a list of
// normal maps. Sprites draw its first texture; the mesh effect also reads its
// colours and first normal map.
#pragma once
#include <string>
#include <vector>

#include "engine/core/ReferCounter.h"
#include "platform/d3d9/d3d9.h"
#include "platform/win32/win32.h"

namespace Quorvex {

class MaterialUnit : public IUnknown, public ReferCounter {
public:
    // Laid out as Direct3D's material record.
    struct Colors {
        D3DCOLORVALUE Diffuse{1.0f, 1.0f, 1.0f, 1.0f};
        D3DCOLORVALUE Ambient{0.2f, 0.2f, 0.2f, 1.0f};
        D3DCOLORVALUE Specular{0.5f, 0.5f, 0.5f, 1.0f};
        D3DCOLORVALUE Emissive{0.2f, 0.2f, 0.2f, 1.0f};
        float Power = 64.0f;
    };

    explicit MaterialUnit(const char* name = "");
    // Clear.
    ~MaterialUnit() override;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    // The last reference traces the material's name and address, then
    // destroys it with its textures.
    ULONG STDMETHODCALLTYPE Release() override;
    virtual int GetRefCount() { return GetReferenceCount(); }

    // With index >= 0 inside the list the entry is replaced (the old texture
    // released); else the texture is appended. Answers the index used. The
    // list takes a reference.
    int SetTexture(int index, IDirect3DTexture9* texture);
    // Releases and empties the entry; nothing for an index outside the list
    // or an empty entry.
    void ReleaseTexture(int index);
    // Replaces the normal map at index 0 (appending on an empty list): 0.
    int SetNormalMap(IDirect3DTexture9* texture);
    void ReleaseNormalMap(int index);
    // Releases every texture and normal map and empties the name.
    void Clear();

    // A texture from an asset file: read whole (with the environment's
    // redirection), descrambled in place with the key (0 changes nothing) and
    // created managed with its full mip chain, point filtered, in
    // DEFAULTD3DFMT_TEXTURE; pixels of exactly 0xFFFF00FF become transparent
    // black. 0 with one counted reference in *texture; -1 the file could not
    // be read, -3 no texture was made (both logged).
    static int LoadTexture(const wchar_t* path, IDirect3DDevice9* device, DWORD key, IDirect3DTexture9** texture);
    // The same without logging a failure: for a try that may miss.
    static int TryLoadTexture(const wchar_t* path, IDirect3DDevice9* device, DWORD key, IDirect3DTexture9** texture);
    // LoadTexture, then SetTexture(index, texture): the slot used, or the
    // negative result of LoadTexture.
    int LoadTextureAt(int index, const wchar_t* path, IDirect3DDevice9* device, DWORD key);
    // A normal map computed from the red channel of a height image, in
    // DEFAULTD3DFMT_NORMALTEXTURE with its full mip chain. A key other than 0
    // reads the file (redirected) and descrambles it; key 0 opens the path as
    // it is. The result of the last D3DX call (negative = failure; -1 when the
    // file could not be read) with one counted reference in *normalMap on
    // success, null otherwise.
    static HRESULT LoadNormalMap(DWORD key, const wchar_t* path, IDirect3DDevice9* device, DWORD flags,
                                 float amplitude, IDirect3DTexture9** normalMap);

    const std::string& GetName() const { return m_name; }
    // The number of textures held (empty entries not counted).
    int GetTextureCount() const { return m_textureCount; }
    // Entries of the list, empty ones included.
    int GetTextureSlots() const { return static_cast<int>(m_textures.size()); }
    // Null for an empty entry or an index outside the list.
    IDirect3DTexture9* GetTexture(int index) const;
    int GetNormalMapCount() const { return m_normalMapCount; }
    IDirect3DTexture9* GetNormalMap(int index) const;

    Colors m_colors;

private:
    std::string m_name;
    int m_textureCount = 0;
    std::vector<IDirect3DTexture9*> m_textures;  // counted or null
    int m_normalMapCount = 0;
    std::vector<IDirect3DTexture9*> m_normalMaps;  // counted or null
};

// Replaces a counted material reference: the new one referenced first, then
// the old one released (so holding the same material again is safe).
inline void HoldMaterial(MaterialUnit*& slot, MaterialUnit* material) {
    if (material) material->AddRef();
    MaterialUnit* old = slot;
    slot = material;
    if (old) old->Release();
}

}  // namespace Quorvex
