#include "engine/assets/MeshUnit.h"

#include <new>

#include "engine/assets/CAllocateHierarchy.h"
#include "engine/assets/MaterialUnit.h"
#include "engine/assets/MeshUnit_CalcData.h"
#include "engine/assets/ResourceManager.h"
#include "engine/assets/shaders/ShaderAdapter.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/FileBytes.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/Utility.h"

namespace Quorvex {

namespace {

constexpr const wchar_t* kLoadSource = L"MeshUnit::LoadMesh";

void LogLoadStep(const wchar_t* text) { MessageLogManager::Instance().Log(kLoadSource, text); }

}  // namespace

MeshUnit::MeshUnit(IResourceManager* owner, const char* name)
    : m_name(name ? name : ""),
      m_pOwner(owner),
      m_pCalcData(owner ? dynamic_cast<MeshUnit_CalcData*>(owner->GetRenderParameter()) : nullptr) {}

MeshUnit::~MeshUnit() {
    DestroyHierarchy();
    SetShader(nullptr);
}

HRESULT STDMETHODCALLTYPE MeshUnit::QueryInterface(REFIID, void** object) {
    if (object) *object = this;
    return S_OK;
}

ULONG STDMETHODCALLTYPE MeshUnit::AddRef() { return IncrementReference(); }

ULONG STDMETHODCALLTYPE MeshUnit::Release() {
    if (GetReferenceCount() > 1) return DecrementReference();
    DebugPrint(L"メッシュRelease()削除 ID:\"%s\"(addr:%d)\r\n", m_name, this);
    return DecrementReference();
}

void MeshUnit::SetShader(ShaderAdapter* shader) {
    if (shader) shader->AddRef();
    ShaderAdapter* old = m_pShader;
    m_pShader = shader;
    if (old) old->Release();
}

// ---------------------------------------------------------------------------
// Loading

int MeshUnit::LoadMesh(const wchar_t* path, DWORD key) {
    FileBytes bytes;
    DWORD size = 0;
    if (!path || ReadWholeFile(path, bytes, &size) < 0) {
        LogLoadStep(L"Xファイルの読み込みに失敗。");
        return -1;
    }
    if (key != 0) XorBuffer(size, key, bytes.data(), size);
    if (LoadMeshFromMemory(bytes.data(), size, key) < 0) {
        LogLoadStep(L"スキンメッシュの作成に失敗。");
        return -3;
    }
    return 0;
}

int MeshUnit::LoadMeshFromMemory(const void* bytes, DWORD size, DWORD key) {
    DestroyHierarchy();
    m_key = key;
    IDirect3DDevice9* device = m_pOwner ? m_pOwner->GetDevice() : nullptr;
    HRESULT hr;
    const wchar_t* failedStep = L"Xファイルからのスキンメッシュ作成に失敗";
    try {
        CAllocateHierarchy allocator(this, m_pOwner, key);
        D3DXFRAME* root = nullptr;
        ID3DXAnimationController* controller = nullptr;
        hr = m_pOwner ? D3DXLoadMeshHierarchyFromXInMemory(bytes, size, D3DXMESH_MANAGED, device, &allocator,
                                                            nullptr, &root, &controller)
                      : D3DERR_INVALIDCALL;
        if (SUCCEEDED(hr)) {
            m_pRootFrame = root;
            m_pAnimController = controller;
            failedStep = L"SetupBoneMatrixPointers";
            hr = SetupBoneMatrixPointers(m_pRootFrame);
        }
        if (SUCCEEDED(hr)) {
            failedStep = L"D3DXFrameCalculateBoundingSphere";
            hr = D3DXFrameCalculateBoundingSphere(m_pRootFrame, &m_boundingCenter, &m_boundingRadius);
        }
        if (SUCCEEDED(hr)) {
            failedStep = L"SetupCombinedTransMatrixPointers";
            SetupCombinedTransMatrixPointers(m_pRootFrame);
            failedStep = L"SetupContainerMap";
            SetupContainerMap(m_pRootFrame);
        }
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    if (FAILED(hr)) {
        LogLoadStep(failedStep);
        DestroyHierarchy();
        return hr;
    }
    ShaderManager* shaders = m_pCalcData ? m_pCalcData->GetShaderManager() : nullptr;
    SetShader(shaders ? shaders->GetShader("MeshDefaultShader") : nullptr);
    return 0;
}

void MeshUnit::DestroyHierarchy() {
    m_pCurrentContainer = nullptr;
    if (m_pRootFrame) {
        CAllocateHierarchy allocator(this, m_pOwner, m_key);
        D3DXFrameDestroy(m_pRootFrame, &allocator);
        m_pRootFrame = nullptr;
    }
    SAFE_RELEASE(m_pAnimController);
    m_frameMatrices.clear();
    m_frameMap.clear();
    m_parts.clear();
    m_boundingCenter = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    m_boundingRadius = 0.0f;
}

HRESULT MeshUnit::SetupBoneMatrixPointers(D3DXFRAME* frame) {
    for (; frame; frame = frame->pFrameSibling) {
        for (D3DXMESHCONTAINER* base = frame->pMeshContainer; base; base = base->pNextMeshContainer) {
            auto* container = static_cast<MeshContainer*>(base);
            if (!container->pSkinInfo) continue;
            const DWORD bones = container->pSkinInfo->GetNumBones();
            container->boneMatrixPtrs.assign(bones, nullptr);
            for (DWORD i = 0; i < bones; ++i) {
                auto* bone =
                    static_cast<MeshFrame*>(D3DXFrameFind(m_pRootFrame, container->pSkinInfo->GetBoneName(i)));
                if (!bone) return E_FAIL;
                container->boneMatrixPtrs[i] = &bone->CombinedTransformationMatrix;
            }
        }
        const HRESULT hr = SetupBoneMatrixPointers(frame->pFrameFirstChild);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

void MeshUnit::SetupCombinedTransMatrixPointers(D3DXFRAME* frame) {
    if (!frame) return;
    D3DXMATRIX* combined = &static_cast<MeshFrame*>(frame)->CombinedTransformationMatrix;
    m_frameMatrices.push_back(combined);
    m_frameMap.emplace(frame->Name ? frame->Name : "", combined);
    SetupCombinedTransMatrixPointers(frame->pFrameSibling);
    SetupCombinedTransMatrixPointers(frame->pFrameFirstChild);
}

void MeshUnit::SetupContainerMap(D3DXFRAME* frame) {
    if (!frame) return;
    if (D3DXMESHCONTAINER* container = frame->pMeshContainer)
        m_parts.emplace(container->Name ? container->Name : "", static_cast<MeshContainer*>(container));
    SetupContainerMap(frame->pFrameSibling);
    SetupContainerMap(frame->pFrameFirstChild);
}

// ---------------------------------------------------------------------------
// Lookups

MeshContainer* MeshUnit::FindMaterialList(const char* partName) const {
    auto found = m_parts.find(partName ? partName : "");
    return found == m_parts.end() ? nullptr : found->second;
}

MeshContainer* MeshUnit::FindMaterialList(IResourceManager* manager, const char* meshId, const char* partName) {
    auto* mesh = manager ? dynamic_cast<MeshUnit*>(manager->GetResource(meshId)) : nullptr;
    return mesh ? mesh->FindMaterialList(partName) : nullptr;
}

D3DXMATRIX* MeshUnit::FindFrameMatrix(const char* frameName) const {
    auto found = m_frameMap.find(frameName ? frameName : "");
    return found == m_frameMap.end() ? nullptr : found->second;
}

HRESULT MeshUnit::CloneAnimationController(ID3DXAnimationController** controller) {
    if (!controller) return D3DERR_INVALIDCALL;
    *controller = nullptr;
    if (!m_pAnimController) return S_OK;
    ID3DXAnimationController* clone = nullptr;
    const HRESULT hr = m_pAnimController->CloneAnimationController(
        m_pAnimController->GetMaxNumAnimationOutputs(), m_pAnimController->GetMaxNumAnimationSets(),
        m_pAnimController->GetMaxNumTracks(), m_pAnimController->GetMaxNumEvents(), &clone);
    if (FAILED(hr)) {
        if (clone) clone->Release();
        return hr;
    }
    *controller = clone;
    return hr;
}

// ---------------------------------------------------------------------------
// Posing and drawing

void MeshUnit::ResetBoneMatrices() {
    for (D3DXMATRIX* matrix : m_frameMatrices) D3DXMatrixIdentity(matrix);
}

void MeshUnit::UpdateFrameMatrices(D3DXFRAME* frame, const D3DXMATRIX* parent) {
    for (; frame; frame = frame->pFrameSibling) {
        D3DXMATRIX& combined = static_cast<MeshFrame*>(frame)->CombinedTransformationMatrix;
        combined = combined * frame->TransformationMatrix;
        if (parent) combined = combined * *parent;
        UpdateFrameMatrices(frame->pFrameFirstChild, &combined);
    }
}

int MeshUnit::WalkFrames(D3DXFRAME* frame, int index) {
    if (!frame) return index;
    for (D3DXMESHCONTAINER* container = frame->pMeshContainer; container;
         container = container->pNextMeshContainer)
        DrawMeshContainer(static_cast<MeshContainer*>(container), static_cast<MeshFrame*>(frame), index);
    const int next = WalkFrames(frame->pFrameSibling, index + 1);
    return WalkFrames(frame->pFrameFirstChild, next);
}

void MeshUnit::DrawFrameHierarchy() {
    if (!m_pRootFrame || !m_pShader || !m_pCalcData) return;
    WalkFrames(m_pRootFrame, 0);
    m_pCurrentContainer = nullptr;
}

void MeshUnit::DrawMeshContainer(MeshContainer* container, MeshFrame* frame, int index) {
    if (!container->MeshData.pMesh) return;
    MeshUnit_CalcData* parameters = m_pCalcData;
    m_pCurrentContainer = container;
    m_pExternalWorld = &frame->CombinedTransformationMatrix;
    m_pPreviousMatrix = parameters->m_previousMatrices ? &parameters->m_previousMatrices[index] : nullptr;
    m_bPreviousMatrixReset = parameters->m_previousMatrixReset;
    m_subsetCount = static_cast<int>(container->materials.size());
    m_ppMaterials = container->materials.data();
    m_ppTextureOverrides = container->ppTextureOverrides;
    m_ppNormalMapOverrides = container->ppNormalMapOverrides;
    m_bExtrusionMesh = HasExtrusionMesh();
    m_pBonePalette = nullptr;
    m_paletteCount = 0;
    m_boneInfluence = 0;

    const bool shadowPass = parameters->m_shadowMapMode == 1;
    if (!container->pSkinInfo || !container->pBoneCombinationBuf) {
        if (shadowPass) {
            m_pShader->ApplyShadow(this);
        } else {
            for (int i = 0; i < m_subsetCount; ++i) m_pShader->Apply(this, i, i);
        }
        return;
    }

    IDirect3DDevice9* device = m_pOwner->GetDevice();
    if (container->UseSoftwareVP && device) device->SetSoftwareVertexProcessing(TRUE);
    if (shadowPass) {
        m_pShader->ApplyShadow(this);
    } else {
        D3DXMATRIX* palette = parameters->GetMatrices();
        if (palette && parameters->GetMatrixCapacity() >= static_cast<int>(container->NumPaletteEntries)) {
            D3DXMATRIX inverseFrame;
            D3DXMatrixInverse(&inverseFrame, nullptr, &frame->CombinedTransformationMatrix);
            const auto* combinations =
                static_cast<const D3DXBONECOMBINATION*>(container->pBoneCombinationBuf->GetBufferPointer());
            const DWORD bones = static_cast<DWORD>(container->boneMatrixPtrs.size());
            for (DWORD g = 0; g < container->NumAttributeGroups; ++g) {
                for (DWORD k = 0; k < container->NumPaletteEntries; ++k) {
                    const DWORD bone = combinations[g].BoneId[k];
                    if (bone == 0xFFFFFFFFu || bone >= bones) continue;
                    palette[k] = container->boneOffsetMatrices[bone] * *container->boneMatrixPtrs[bone] * inverseFrame;
                }
                m_pBonePalette = palette;
                m_paletteCount = static_cast<int>(container->NumPaletteEntries);
                m_boneInfluence = container->NumInfl <= 2 ? static_cast<int>(container->NumInfl)
                                                          : static_cast<int>(container->NumInfl) - 1;
                const int attribute = static_cast<int>(combinations[g].AttribId);
                if (attribute < m_subsetCount) m_pShader->Apply(this, static_cast<int>(g), attribute);
            }
        }
    }
    if (container->UseSoftwareVP && device) device->SetSoftwareVertexProcessing(FALSE);
}

void MeshUnit::DrawSubset(int subset) {
    if (m_pCurrentContainer && m_pCurrentContainer->MeshData.pMesh)
        m_pCurrentContainer->MeshData.pMesh->DrawSubset(static_cast<DWORD>(subset));
}

BYTE MeshUnit::HasExtrusionMesh() {
    return m_pCurrentContainer && m_pCurrentContainer->pExtrusion && m_pCurrentContainer->pExtrusion->mesh ? 1 : 0;
}

void MeshUnit::DrawExtrusionSubset(int subset) {
    if (HasExtrusionMesh()) m_pCurrentContainer->pExtrusion->mesh->DrawSubset(static_cast<DWORD>(subset));
}

// ---------------------------------------------------------------------------
// Post-load steps

HRESULT MeshUnit::ComputeTangentFrames(D3DXFRAME* frame) {
    for (; frame; frame = frame->pFrameSibling) {
        auto* container = static_cast<MeshContainer*>(frame->pMeshContainer);
        // Skinned parts keep their blended layout.
        if (container && container->MeshData.pMesh && !container->pSkinInfo) {
            IDirect3DVertexDeclaration9* standard = m_pCalcData ? m_pCalcData->m_meshDeclaration : nullptr;
            if (!standard) return E_FAIL;
            D3DVERTEXELEMENT9 elements[MAX_FVF_DECL_SIZE];
            UINT count = MAX_FVF_DECL_SIZE;
            HRESULT hr = standard->GetDeclaration(elements, &count);
            ID3DXMesh* mesh = container->MeshData.pMesh;
            ID3DXMesh* cloned = nullptr;
            IDirect3DDevice9* device = m_pOwner->GetDevice();
            if (SUCCEEDED(hr)) hr = mesh->CloneMesh(mesh->GetOptions(), elements, device, &cloned);
            if (SUCCEEDED(hr)) hr = D3DXComputeNormals(cloned, nullptr);
            if (SUCCEEDED(hr)) hr = D3DXComputeTangent(cloned, 0, 0, 0, TRUE, nullptr);
            if (FAILED(hr)) {
                if (cloned) cloned->Release();
                return hr;
            }
            container->MeshData.pMesh = cloned;
            mesh->Release();
        }
        const HRESULT hr = ComputeTangentFrames(frame->pFrameFirstChild);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT MeshUnit::BuildExtrusionMeshes(D3DXFRAME* frame) {
    for (; frame; frame = frame->pFrameSibling) {
        for (D3DXMESHCONTAINER* base = frame->pMeshContainer; base; base = base->pNextMeshContainer) {
            auto* container = static_cast<MeshContainer*>(base);
            auto* record = new (std::nothrow) ExtrusionRecord();
            if (!record) return E_OUTOFMEMORY;
            const HRESULT hr = container->MeshData.pMesh
                                   ? BuildExtrusionMesh(container->MeshData.pMesh, &record->mesh)
                                   : E_FAIL;
            if (FAILED(hr)) {
                delete record;
                return hr;
            }
            if (container->pExtrusion) {
                SAFE_RELEASE(container->pExtrusion->mesh);
                delete container->pExtrusion;
            }
            container->pExtrusion = record;
        }
        const HRESULT hr = BuildExtrusionMeshes(frame->pFrameFirstChild);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

}  // namespace Quorvex
