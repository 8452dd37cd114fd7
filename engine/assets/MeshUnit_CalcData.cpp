#include "engine/assets/MeshUnit_CalcData.h"

#include "engine/assets/ResourceManager.h"
#include "engine/assets/shaders/ShaderManager.h"

namespace Quorvex {

MeshUnit_CalcData::~MeshUnit_CalcData() { ClearManagers(); }

HRESULT MeshUnit_CalcData::Init(IResourceManager* resourceManager, ShaderManager* shaderManager) {
    const HRESULT hr = Initialize(resourceManager ? resourceManager->GetDevice() : nullptr);
    if (FAILED(hr)) return hr;
    m_pResourceManager = resourceManager;
    if (shaderManager) shaderManager->AddRef();
    ShaderManager* old = m_pShaderManager;
    m_pShaderManager = shaderManager;
    if (old) old->Release();
    return S_OK;
}

void MeshUnit_CalcData::ClearManagers() {
    m_pResourceManager = nullptr;
    if (ShaderManager* shaders = m_pShaderManager) {
        m_pShaderManager = nullptr;
        shaders->Release();
    }
}

}  // namespace Quorvex
