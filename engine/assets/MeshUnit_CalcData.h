// The resource manager's one render-parameter record, shared by every mesh
// and handed to the mesh and 3D-sprite effects as their context: the
// frame-wide drawing parameters plus the managers the meshes reach through it.
#pragma once
#include "engine/core/render/RenderParameter.h"

namespace Quorvex {

class IResourceManager;
class ShaderManager;

class MeshUnit_CalcData : public RenderParameter {
public:
    MeshUnit_CalcData() = default;
    // Releases the shader manager.
    ~MeshUnit_CalcData() override;

    // Initialises the drawing parameters with the manager's device (its
    // failure is answered), then keeps both managers: 0 or the device's error.
    HRESULT Init(IResourceManager* resourceManager, ShaderManager* shaderManager);
    // Drops the shader manager (the resource manager lets go of it).
    void ClearManagers();

    IResourceManager* GetResourceManager() const { return m_pResourceManager; }
    ShaderManager* GetShaderManager() const { return m_pShaderManager; }

private:
    IResourceManager* m_pResourceManager = nullptr;  // not counted: it owns this record
    ShaderManager* m_pShaderManager = nullptr;       // counted
};

}  // namespace Quorvex
