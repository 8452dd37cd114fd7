#include "engine/assets/shaders/ShaderManager.h"

#include <vector>

#include "engine/assets/shaders/Shader_CopyTexture.h"
#include "engine/assets/shaders/Shader_Water.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/MessageTable.h"

namespace Quorvex {

namespace {

struct BlendFactors {
    D3DBLEND source;
    D3DBLEND destination;
};

// Presets 1 to 9.
const BlendFactors kBlendModes[9] = {
    {D3DBLEND_ONE, D3DBLEND_ZERO},
    {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
    {D3DBLEND_SRCALPHA, D3DBLEND_ONE},
    {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
    {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR},
    {D3DBLEND_ONE, D3DBLEND_ONE},
    {D3DBLEND_DESTCOLOR, D3DBLEND_ONE},
    {D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO},
    {D3DBLEND_ONE, D3DBLEND_INVSRCALPHA},
};

}  // namespace

bool ShaderManager::GetBlendFactors(int mode, D3DBLEND* source, D3DBLEND* destination) {
    if (mode < 1 || mode > 9) return false;
    if (source) *source = kBlendModes[mode - 1].source;
    if (destination) *destination = kBlendModes[mode - 1].destination;
    return true;
}

ShaderManager::ShaderManager() = default;

ShaderManager::~ShaderManager() {
    // First entry each time: a shader's destructor may look the map up.
    for (;;) {
        std::string name;
        {
            std::lock_guard<std::mutex> lock(m_mapLock);
            if (m_shaders.empty()) break;
            name = m_shaders.begin()->first;
        }
        RemoveShader(name.c_str());
    }
}

int ShaderManager::AddShader(ShaderAdapter* shader) {
    if (!shader) return -1;
    const std::string name = shader->GetName();
    shader->AddRef();
    RemoveShader(name.c_str());
    std::lock_guard<std::mutex> lock(m_mapLock);
    m_shaders[name] = shader;
    return 0;
}

int ShaderManager::RemoveShader(const char* name) {
    if (!name) return 1;
    ShaderAdapter* shader = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_mapLock);
        auto it = m_shaders.find(name);
        if (it == m_shaders.end()) return 1;
        shader = it->second;
        m_shaders.erase(it);
    }
    // Released outside the lock: the last release destroys the shader.
    shader->Release();
    return 0;
}

ShaderAdapter* ShaderManager::GetShader(const char* name) const {
    if (!name) return nullptr;
    std::lock_guard<std::mutex> lock(m_mapLock);
    auto it = m_shaders.find(name);
    return it == m_shaders.end() ? nullptr : it->second;
}

int ShaderManager::GetShaderCount() const {
    std::lock_guard<std::mutex> lock(m_mapLock);
    return static_cast<int>(m_shaders.size());
}

void ShaderManager::SetFog(const FogParam& fog) {
    m_fog = fog;
    if (m_pDevice) {
        if (fog.enable == 0) {
            m_pDevice->SetRenderState(D3DRS_FOGENABLE, FALSE);
        } else {
            m_pDevice->SetRenderState(D3DRS_FOGENABLE, TRUE);
            m_pDevice->SetRenderState(D3DRS_FOGCOLOR, fog.color);
            m_pDevice->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
        }
    }
    // The shaders are told outside the lock, each held for the call.
    std::vector<ShaderAdapter*> shaders;
    {
        std::lock_guard<std::mutex> lock(m_mapLock);
        shaders.reserve(m_shaders.size());
        for (auto& entry : m_shaders) {
            entry.second->AddRef();
            shaders.push_back(entry.second);
        }
    }
    for (ShaderAdapter* shader : shaders) {
        shader->SetFog(fog);
        shader->Release();
    }
}

void ShaderManager::ReapplyFog() {
    const FogParam fog = m_fog;
    SetFog(fog);
}

void ShaderManager::SetFogOff() {
    const FogParam stored = m_fog;
    FogParam off = stored;
    off.enable = 0;
    SetFog(off);
    m_fog = stored;
}

int ShaderManager::SetBlendMode(int mode) {
    if (mode == m_blendMode) return 0;
    m_blendMode = mode;
    D3DBLEND source, destination;
    if (!m_pDevice || !GetBlendFactors(mode, &source, &destination)) return 0;
    m_pDevice->SetRenderState(D3DRS_SRCBLEND, source);
    m_pDevice->SetRenderState(D3DRS_DESTBLEND, destination);
    return 0;
}

int ShaderManager::LoadShader_Water() {
    Shader_Water* shader = new Shader_Water(this);
    shader->AddRef();
    try {
        if (shader->LoadShader() < 0) throw MessageTable::GetText(25);
        AddShader(shader);
    } catch (const wchar_t* text) {
        MessageLogManager::Instance().Log(L"ShaderManager::LoadShader_Water", text ? text : L"");
    }
    shader->Release();
    return 0;
}

int ShaderManager::LoadShader_CopyTexture() {
    Shader_CopyTexture* shader = new Shader_CopyTexture(this);
    shader->AddRef();
    try {
        if (shader->LoadShader() < 0) throw MessageTable::GetText(25);
        AddShader(shader);
    } catch (const wchar_t* text) {
        MessageLogManager::Instance().Log(L"ShaderManager::LoadShader_CopyTexture", text ? text : L"");
    }
    shader->Release();
    return 0;
}

}  // namespace Quorvex
