// The store of loaded assets under narrow-string resource ids, and the holder
// of the device and of the frame-wide render parameters that the mesh and
// sprite effects read (the object manager fills their camera part every update
// and render).
#pragma once
#include <map>
#include <string>

#include "engine/core/ReferCounter.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3dx9/d3dx9.h"
#include "platform/win32/win32.h"

namespace Quorvex {

class RenderParameter;
class ShaderManager;

// One entry of the resource table: holds a counted reference to the resource
// object for as long as the set lives.
class ResourceSet : public IUnknown, public ReferCounter {
public:
    explicit ResourceSet(IUnknown* resource);
    ~ResourceSet() override;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    int GetRefCount() const { return GetReferenceCount(); }

    IUnknown* GetResource() const { return m_resource; }

private:
    IUnknown* m_resource;
};

class IResourceManager : public IUnknown {
public:
    ~IResourceManager() override = default;

    // Keeps the device and the shader manager and sets up the render
    // parameters: 0, or -1.
    virtual int Initialize(IDirect3DDevice9* device, ShaderManager* shaderManager) = 0;
    virtual void Finalize() = 0;

    // Registers the object under the id (an older entry is deleted first): 0.
    virtual int SetResource(const char* id, IUnknown* resource) = 0;
    // Removes the id's entry and drops the table's reference on its set (the
    // set lives on while others hold it).
    virtual void DeleteResource(const char* id) = 0;
    virtual void ReleaseAllResources() = 0;
    virtual ResourceSet* GetResourceSet(const char* id) const = 0;
    // The id's object without a new reference, null when absent.
    virtual IUnknown* GetResource(const char* id) const = 0;

    // Load tasks queued and not yet finished.
    virtual int GetPendingCount() const = 0;

    // The device without a new reference; SetDevice replaces the counted one.
    virtual IDirect3DDevice9* GetDevice() const = 0;
    virtual void SetDevice(IDirect3DDevice9* device) = 0;
    virtual const D3DCAPS9* GetDeviceCaps() const = 0;

    // A plain value held for callers, 0 at construction.
    virtual int GetUserValue() const = 0;
    virtual void SetUserValue(int value) = 0;

    // Copies into the render parameters.
    virtual INT_PTR ReserveMatrices(int count) = 0;
    virtual void SetProjectionMatrix(const D3DXMATRIX& projection) = 0;
    virtual void SetViewMatrix(const D3DXMATRIX& view) = 0;
    virtual void SetEyePosition(const D3DXVECTOR3& eye) = 0;
    virtual RenderParameter* GetRenderParameter() = 0;
};

class ResourceManager : public IResourceManager, public ReferCounter {
public:
    ResourceManager();
    // Runs Finalize.
    ~ResourceManager() override;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    int GetRefCount() const { return GetReferenceCount(); }

    int Initialize(IDirect3DDevice9* device, ShaderManager* shaderManager) override;
    // Releases every resource, the device and the shader manager; safe to run
    // again.
    void Finalize() override;
    int SetResource(const char* id, IUnknown* resource) override;
    void DeleteResource(const char* id) override;
    void ReleaseAllResources() override;
    ResourceSet* GetResourceSet(const char* id) const override;
    IUnknown* GetResource(const char* id) const override;
    int GetPendingCount() const override { return 0; }
    IDirect3DDevice9* GetDevice() const override { return m_device; }
    void SetDevice(IDirect3DDevice9* device) override;
    const D3DCAPS9* GetDeviceCaps() const override { return &m_caps; }
    int GetUserValue() const override { return m_userValue; }
    void SetUserValue(int value) override { m_userValue = value; }
    INT_PTR ReserveMatrices(int count) override;
    void SetProjectionMatrix(const D3DXMATRIX& projection) override;
    void SetViewMatrix(const D3DXMATRIX& view) override;
    void SetEyePosition(const D3DXVECTOR3& eye) override;
    RenderParameter* GetRenderParameter() override { return m_renderParameter; }

    ShaderManager* GetShaderManager() const { return m_shaderManager; }

private:
    IDirect3DDevice9* m_device = nullptr;  // counted
    D3DCAPS9 m_caps{};
    std::map<std::string, ResourceSet*> m_resources;  // one reference each
    int m_userValue = 0;
    RenderParameter* m_renderParameter;  // owned for the manager's whole life
    ShaderManager* m_shaderManager = nullptr;  // counted
};

}  // namespace Quorvex
