// Owns every effect shader under its name, broadcasts the fog settings to all
// of them and switches the device's blend factors between nine numbered
// presets behind a one-entry cache.
#pragma once
#include <map>
#include <mutex>
#include <string>

#include "engine/assets/shaders/ShaderAdapter.h"
#include "engine/core/ReferCounter.h"
#include "platform/d3d9/d3d9.h"
#include "platform/win32/win32.h"

namespace Quorvex {

class ShaderManager : public IUnknown, public ReferCounter {
public:
    // Blend presets of SetBlendMode.
    enum BlendMode {
        BlendOpaque = 1,         // ONE, ZERO
        BlendAlpha = 2,          // SRCALPHA, INVSRCALPHA
        BlendAddAlpha = 3,       // SRCALPHA, ONE
        BlendAlpha2 = 4,         // as 2, cached as a mode of its own
        BlendMultiply = 5,       // ZERO, SRCCOLOR
        BlendAdd = 6,            // ONE, ONE
        BlendBrighten = 7,       // DESTCOLOR, ONE
        BlendInvert = 8,         // INVDESTCOLOR, ZERO
        BlendPremultiplied = 9,  // ONE, INVSRCALPHA
    };
    // The source and destination factors of a preset; false outside 1-9.
    static bool GetBlendFactors(int mode, D3DBLEND* source, D3DBLEND* destination);

    ShaderManager();
    // Removes and releases every shader.
    ~ShaderManager() override;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    virtual int GetRefCount() { return GetReferenceCount(); }

    // Not counted; stored right after construction.
    void SetDevice(IDirect3DDevice9* device) { m_pDevice = device; }
    IDirect3DDevice9* GetDevice() const { return m_pDevice; }

    // Replaces any shader of the same name, then keeps one reference: 0.
    int AddShader(ShaderAdapter* shader);
    // Erases and releases the shader: 0, or 1 when no shader has the name.
    int RemoveShader(const char* name);
    // No reference is added; null for an unknown name.
    ShaderAdapter* GetShader(const char* name) const;

    // Stores the record, sets the device fog states and hands the record to
    // every shader in name order.
    void SetFog(const FogParam& fog);
    const FogParam& GetFog() const { return m_fog; }
    // SetFog again with the stored record.
    void ReapplyFog();
    // Fog off for what follows (device and shaders), keeping the stored
    // record, so that the next ReapplyFog brings the scene's fog back.
    void SetFogOff();

    // Sets SRCBLEND and DESTBLEND of the preset unless it is the cached one.
    // A mode outside 1-9 is cached and sets nothing. Answers 0.
    int SetBlendMode(int mode);
    int GetBlendMode() const { return m_blendMode; }

    // Set while an effect draws the sprites and full-screen passes; the
    // render stages read it to decide how textures are bound.
    void SetShaderInUse(bool inUse) { m_shaderInUse = inUse ? 1 : 0; }
    bool IsShaderInUse() const { return m_shaderInUse != 0; }

    // Create, load and register the start-up shaders. A failed load is
    // logged and the shader skipped; both answer 0.
    int LoadShader_Water();
    int LoadShader_CopyTexture();

    // Test view of the registry.
    int GetShaderCount() const;

private:
    IDirect3DDevice9* m_pDevice = nullptr;
    FogParam m_fog;
    // The loader thread looks shaders up while the main thread may register.
    mutable std::mutex m_mapLock;
    std::map<std::string, ShaderAdapter*> m_shaders;  // one reference each
    int m_shaderInUse = 0;
    int m_blendMode = BlendOpaque;
};

}  // namespace Quorvex
