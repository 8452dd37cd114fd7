// The contract every effect shader follows, and its default implementation:
// a D3DX effect read from a file under ./data/fx/, registered by name with the
// shader manager, drawing primitives or a pass of its own.
#pragma once
#include <string>
#include <vector>

#include "engine/core/ReferCounter.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3dx9/d3dx9.h"
#include "platform/win32/win32.h"

namespace Quorvex {

class IPrimitive;
class RenderParameter;
class ShaderManager;

// The fog settings the shader manager broadcasts: enable (0 = off), far and
// near distances, ARGB colour.
struct FogParam {
    int enable = 0;
    float farValue = 0.0f;
    float nearValue = 0.0f;
    D3DCOLOR color = 0;
};

class IShader : public IUnknown {
public:
    ~IShader() override = default;

    // Creates the effect and looks its handles up; negative = failure.
    virtual int LoadShader() = 0;
    // The fog record of ShaderManager::SetFog; the default does nothing.
    virtual void SetFog(const FogParam& fog) = 0;
    // Draws the primitive with this effect (or runs the shader's own pass).
    // A negative subsetToDraw draws each iterated subset under its own index;
    // a negative firstSubset iterates every subset.
    virtual int Apply(IPrimitive* primitive, int subsetToDraw, int firstSubset) = 0;
    // Shadow-map pass of a primitive; the default draws nothing and answers 0.
    virtual int ApplyShadow(IPrimitive* primitive) = 0;
    virtual ShaderManager* GetShaderManager() = 0;
    // The shader's key in the manager.
    virtual const char* GetName() = 0;
};

class ShaderAdapter : public IShader, public ReferCounter {
public:
    // Count 0 (the creator calls AddRef), name "Unknown", no effect. The
    // context is the render-parameter record for the shaders that read the
    // camera from it, else null; neither pointer is counted.
    ShaderAdapter(RenderParameter* context, ShaderManager* manager);
    // Releases the effect.
    ~ShaderAdapter() override;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    // The last reference traces the shader's name and address, then destroys.
    ULONG STDMETHODCALLTYPE Release() override;

    void SetFog(const FogParam& fog) override;
    int ApplyShadow(IPrimitive* primitive) override;
    ShaderManager* GetShaderManager() override { return m_pShaderManager; }
    const char* GetName() override { return m_name.c_str(); }
    virtual int GetRefCount() { return GetReferenceCount(); }

    RenderParameter* GetContext() const { return m_pContext; }
    ID3DXEffect* GetEffect() const { return m_pEffect; }

    // Reads the effect file and builds the effect on the manager's device;
    // null on failure (logged). The file is read exactly at the given path.
    ID3DXEffect* CreateEffectFromFile(const wchar_t* path);
    // The whole file, never redirected nor descrambled: 0, or -1 (logged).
    static int LoadFile(const wchar_t* path, std::vector<BYTE>& buffer, DWORD* size);

protected:
    // Ends the running technique and returns the device to its own program.
    void EndTechnique();
    // Switches the device's linear vertex fog and the effect's use-fog flag as
    // the record says; true when fog is on and the effect takes its range.
    bool ApplyFogSwitch(const FogParam& fog, D3DXHANDLE useFog);

    ShaderManager* m_pShaderManager;
    RenderParameter* m_pContext;
    std::string m_name = "Unknown";
    ID3DXEffect* m_pEffect = nullptr;  // owned
};

}  // namespace Quorvex
