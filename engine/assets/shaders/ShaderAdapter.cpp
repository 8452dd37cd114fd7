#include "engine/assets/shaders/ShaderAdapter.h"

#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/FileBytes.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/MessageTable.h"
#include "engine/core/Utility.h"

namespace Quorvex {

ShaderAdapter::ShaderAdapter(RenderParameter* context, ShaderManager* manager)
    : m_pShaderManager(manager), m_pContext(context) {}

ShaderAdapter::~ShaderAdapter() { SAFE_RELEASE(m_pEffect); }

HRESULT STDMETHODCALLTYPE ShaderAdapter::QueryInterface(REFIID, void** object) {
    if (object) *object = this;
    return S_OK;
}

ULONG STDMETHODCALLTYPE ShaderAdapter::AddRef() { return IncrementReference(); }

ULONG STDMETHODCALLTYPE ShaderAdapter::Release() {
    if (GetReferenceCount() > 1) return DecrementReference();
    DebugPrint(L"シェーダーRelease()削除 ID:\"%s\"(addr:%d)\r\n", NarrowToWide(m_name.c_str()), this);
    return DecrementReference();
}

void ShaderAdapter::SetFog(const FogParam&) {}

int ShaderAdapter::ApplyShadow(IPrimitive*) { return 0; }

void ShaderAdapter::EndTechnique() {
    if (m_pEffect) m_pEffect->End();
    IDirect3DDevice9* device = m_pShaderManager ? m_pShaderManager->GetDevice() : nullptr;
    if (!device) return;
    device->SetVertexShader(nullptr);
    device->SetPixelShader(nullptr);
}

int ShaderAdapter::LoadFile(const wchar_t* path, std::vector<BYTE>& buffer, DWORD* size) {
    // Effect files are read from exactly the path given: the redirection to
    // scrambled copies never applies to them. (The loader thread may be
    // reading assets meanwhile, so the redirection itself stays as it is.)
    FileBytes bytes;
    const int result = ReadFileAsIs(path, bytes, size);
    buffer.assign(bytes.begin(), bytes.end());
    if (result < 0) {
        MessageLogManager::Instance().Log(L"ShaderAdapter::LoadFile", L"ファイルの読み込みに失敗。");
        DebugPrint(L"シェーダファイルのバイナリ読み込みに失敗(filepath: %s )\r\n", path ? path : L"");
        return -1;
    }
    return 0;
}

ID3DXEffect* ShaderAdapter::CreateEffectFromFile(const wchar_t* path) {
    std::vector<BYTE> bytes;
    DWORD size = 0;
    if (LoadFile(path, bytes, &size) < 0) return nullptr;
    IDirect3DDevice9* device = m_pShaderManager ? m_pShaderManager->GetDevice() : nullptr;
    ID3DXEffect* effect = nullptr;
    const HRESULT hr = D3DXCreateEffect(device, bytes.data(), static_cast<UINT>(bytes.size()), nullptr, nullptr,
                                        D3DXSHADER_SKIPVALIDATION, nullptr, &effect, nullptr);
    if (FAILED(hr) || !effect) {
        MessageTable::Log(25, L"ShaderManager");
        return nullptr;
    }
    effect->OnResetDevice();
    return effect;
}

bool ShaderAdapter::ApplyFogSwitch(const FogParam& fog, D3DXHANDLE useFog) {
    IDirect3DDevice9* device = m_pShaderManager ? m_pShaderManager->GetDevice() : nullptr;
    const bool on = fog.enable != 0;
    if (device) {
        device->SetRenderState(D3DRS_FOGENABLE, on ? TRUE : FALSE);
        if (on) {
            device->SetRenderState(D3DRS_FOGCOLOR, fog.color);
            device->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
        }
    }
    if (!m_pEffect) return false;
    m_pEffect->SetBool(useFog, on ? TRUE : FALSE);
    return on;
}

}  // namespace Quorvex
