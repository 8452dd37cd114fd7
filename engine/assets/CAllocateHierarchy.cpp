#include "engine/assets/CAllocateHierarchy.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "engine/assets/MaterialUnit.h"
#include "engine/assets/MeshUnit.h"
#include "engine/assets/ResourceManager.h"
#include "engine/core/Environment.h"
#include "engine/core/MessageTable.h"

namespace Quorvex {

namespace {

char* CopyName(const char* name) {
    if (!name) return nullptr;
    const size_t length = std::strlen(name);
    char* copy = new char[length + 1];
    std::memcpy(copy, name, length + 1);
    return copy;
}

// Texture names inside `.x` files are bytes of the system code page, at most
// this many characters.
constexpr int kMaxTextureName = 260;

std::wstring TextureName(const char* bytes) {
    wchar_t wide[kMaxTextureName + 1] = {};
    const int length = static_cast<int>(strnlen(bytes, kMaxTextureName));
    if (length == 0) return std::wstring();
    const int written = MultiByteToWideChar(CP_ACP, 0, bytes, length, wide, kMaxTextureName);
    return std::wstring(wide, written > 0 ? static_cast<size_t>(written) : 0);
}

void CopyColors(MaterialUnit* material, const D3DMATERIAL9& source) {
    material->m_colors.Diffuse = source.Diffuse;
    material->m_colors.Ambient = source.Ambient;
    material->m_colors.Specular = source.Specular;
    material->m_colors.Emissive = source.Emissive;
    material->m_colors.Power = source.Power;
}

}  // namespace

CAllocateHierarchy::CAllocateHierarchy(MeshUnit* mesh, IResourceManager* manager, DWORD key)
    : m_pMesh(mesh), m_pManager(manager), m_key(key) {}

std::string CAllocateHierarchy::MaterialId(const char* partName, DWORD index) {
    return std::string(partName ? partName : "") + "_" + std::to_string(index);
}

HRESULT STDMETHODCALLTYPE CAllocateHierarchy::CreateFrame(LPCSTR name, LPD3DXFRAME* newFrame) {
    if (!newFrame) return D3DERR_INVALIDCALL;
    *newFrame = nullptr;
    MeshFrame* frame = new (std::nothrow) MeshFrame();
    if (!frame) return E_OUTOFMEMORY;
    frame->Name = CopyName(name);
    D3DXMatrixIdentity(&frame->TransformationMatrix);
    D3DXMatrixIdentity(&frame->CombinedTransformationMatrix);
    *newFrame = frame;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAllocateHierarchy::DestroyFrame(LPD3DXFRAME frame) {
    if (!frame) return S_OK;
    delete[] frame->Name;
    delete static_cast<MeshFrame*>(frame);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAllocateHierarchy::CreateMeshContainer(
    LPCSTR name, const D3DXMESHDATA* meshData, const D3DXMATERIAL* materials, const D3DXEFFECTINSTANCE*,
    DWORD materialCount, const DWORD* adjacency, LPD3DXSKININFO skinInfo, LPD3DXMESHCONTAINER* newContainer) {
    if (!newContainer) return D3DERR_INVALIDCALL;
    *newContainer = nullptr;
    if (!meshData || meshData->Type != D3DXMESHTYPE_MESH || !meshData->pMesh) return E_FAIL;
    ID3DXMesh* mesh = meshData->pMesh;
    if (mesh->GetFVF() == 0) return E_FAIL;

    MeshContainer* container = new (std::nothrow) MeshContainer();
    if (!container) return E_OUTOFMEMORY;
    HRESULT hr = S_OK;
    try {
        container->Name = CopyName(name);
        container->MeshData.Type = D3DXMESHTYPE_MESH;
        IDirect3DDevice9* device = m_pManager->GetDevice();
        if (!(mesh->GetFVF() & D3DFVF_NORMAL)) {
            ID3DXMesh* withNormals = nullptr;
            hr = mesh->CloneMeshFVF(mesh->GetOptions(), mesh->GetFVF() | D3DFVF_NORMAL, device, &withNormals);
            if (SUCCEEDED(hr)) {
                container->MeshData.pMesh = withNormals;
                hr = D3DXComputeNormals(withNormals, nullptr);
            }
        } else {
            mesh->AddRef();
            container->MeshData.pMesh = mesh;
        }
        if (SUCCEEDED(hr)) {
            const DWORD faces = mesh->GetNumFaces();
            container->pAdjacency = new DWORD[size_t(faces) * 3];
            if (adjacency) std::memcpy(container->pAdjacency, adjacency, size_t(faces) * 3 * sizeof(DWORD));
            else std::fill_n(container->pAdjacency, size_t(faces) * 3, 0xFFFFFFFFu);
            hr = SetupMaterials(container, materials, materialCount);
        }
        if (SUCCEEDED(hr) && skinInfo) {
            skinInfo->AddRef();
            container->pSkinInfo = skinInfo;
            container->pSourceMesh = container->MeshData.pMesh;
            container->MeshData.pMesh = nullptr;
            const DWORD bones = skinInfo->GetNumBones();
            container->boneOffsetMatrices.resize(bones);
            for (DWORD i = 0; i < bones; ++i) {
                const D3DXMATRIX* offset = skinInfo->GetBoneOffsetMatrix(i);
                if (offset) container->boneOffsetMatrices[i] = *offset;
                else D3DXMatrixIdentity(&container->boneOffsetMatrices[i]);
            }
            hr = GenerateSkinnedMesh(container);
        }
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    if (FAILED(hr)) {
        DestroyMeshContainer(container);
        return hr;
    }
    *newContainer = container;
    return S_OK;
}

HRESULT CAllocateHierarchy::SetupMaterials(MeshContainer* container, const D3DXMATERIAL* materials,
                                           DWORD materialCount) {
    IDirect3DDevice9* device = m_pManager->GetDevice();
    if (!materials) materialCount = 0;
    container->NumMaterials = std::max<DWORD>(materialCount, 1);
    container->materials.reserve(container->NumMaterials);

    if (materialCount == 0) {
        // Parts without file materials share the plain white material of the
        // empty id.
        auto* shared = dynamic_cast<MaterialUnit*>(m_pManager->GetResource(""));
        if (!shared) {
            shared = new MaterialUnit("");
            shared->AddRef();
            shared->m_colors.Diffuse = shared->m_colors.Ambient = shared->m_colors.Specular =
                shared->m_colors.Emissive = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
            shared->m_colors.Power = 0.0f;
            m_pManager->SetResource("", shared);
            container->materials.push_back(shared);
        } else {
            shared->AddRef();
            container->materials.push_back(shared);
        }
        return S_OK;
    }

    for (DWORD i = 0; i < materialCount; ++i) {
        const std::string id = MaterialId(container->Name, i);
        auto* material = dynamic_cast<MaterialUnit*>(m_pManager->GetResource(id.c_str()));
        if (material) {
            material->AddRef();
            container->materials.push_back(material);
            continue;
        }
        material = new MaterialUnit(id.c_str());
        material->AddRef();
        container->materials.push_back(material);
        if (m_pManager->SetResource(id.c_str(), material) < 0) continue;
        CopyColors(material, materials[i].MatD3D);
        if (!materials[i].pTextureFilename || !materials[i].pTextureFilename[0]) continue;

        // The bare name first (it may sit beside the program), then the
        // environment's texture folder; only the last try reports a miss.
        const std::wstring file = TextureName(materials[i].pTextureFilename);
        IDirect3DTexture9* texture = nullptr;
        TextureCache& textures = m_pManager->GetTextureCache();
        if (textures.Load(file.c_str(), device, m_key, false, &texture) < 0) {
            const wchar_t* folder = g_pEnvironment ? g_pEnvironment->GetTextureDirectory() : L"./data/texture";
            const std::wstring second = std::wstring(folder) + L"/" + file;
            if (textures.Load(second.c_str(), device, m_key, false, &texture) < 0) {
                MessageTable::Log(40, L"CAllocateHierarchy::CreateMeshContainer");
                continue;
            }
        }
        material->SetTexture(-1, texture);
        texture->Release();
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAllocateHierarchy::DestroyMeshContainer(LPD3DXMESHCONTAINER base) {
    if (!base) return S_OK;
    auto* container = static_cast<MeshContainer*>(base);
    delete[] container->Name;
    delete[] container->pAdjacency;
    delete[] container->pMaterials;  // never filled here: the list below holds the materials
    for (MaterialUnit* material : container->materials)
        if (material) material->Release();
    container->materials.clear();
    if (container->pExtrusion) {
        SAFE_RELEASE(container->pExtrusion->mesh);
        delete container->pExtrusion;
    }
    SAFE_RELEASE(container->pBoneCombinationBuf);
    SAFE_RELEASE(container->MeshData.pMesh);
    SAFE_RELEASE(container->pSkinInfo);
    SAFE_RELEASE(container->pSourceMesh);
    delete container;
    return S_OK;
}

HRESULT CAllocateHierarchy::GenerateSkinnedMesh(MeshContainer* container) {
    if (!container->pSkinInfo || !container->pSourceMesh) return S_OK;
    SAFE_RELEASE(container->MeshData.pMesh);
    SAFE_RELEASE(container->pBoneCombinationBuf);

    ID3DXSkinInfo* skin = container->pSkinInfo;
    const DWORD bones = skin->GetNumBones();
    container->NumPaletteEntries = std::min(bones, MeshUnit::MaxPaletteEntries);

    const D3DCAPS9* caps = m_pManager->GetDeviceCaps();
    DWORD options = D3DXMESHOPT_VERTEXCACHE | D3DXMESH_MANAGED;
    container->UseSoftwareVP = 0;
    if (!caps || caps->VertexShaderVersion < D3DVS_VERSION(1, 1)) {
        container->UseSoftwareVP = 1;
        options = D3DXMESHOPT_VERTEXCACHE | D3DXMESH_SYSTEMMEM;
    }

    ID3DXMesh* blended = nullptr;
    HRESULT hr = skin->ConvertToIndexedBlendedMesh(
        container->pSourceMesh, options, container->NumPaletteEntries, container->pAdjacency, nullptr, nullptr,
        nullptr, &container->NumInfl, &container->NumAttributeGroups, &container->pBoneCombinationBuf, &blended);
    if (FAILED(hr)) return hr;

    // Position with its blend weights, normal, one set of texture
    // coordinates, palette indices in the last beta.
    const DWORD fvf = blended->GetFVF();
    const DWORD wanted = (fvf & D3DFVF_POSITION_MASK) | D3DFVF_NORMAL | D3DFVF_TEX1 | D3DFVF_LASTBETA_UBYTE4;
    if (fvf != 0 && fvf != wanted) {
        ID3DXMesh* cloned = nullptr;
        hr = blended->CloneMeshFVF(blended->GetOptions(), wanted, m_pManager->GetDevice(), &cloned);
        if (SUCCEEDED(hr)) {
            blended->Release();
            blended = cloned;
        }
    }
    container->MeshData.pMesh = blended;
    if (FAILED(hr)) return hr;

    // The effect reads the indices as a colour, which a GL stream delivers
    // as four normalised bytes.
    D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE];
    hr = blended->GetDeclaration(declaration);
    if (FAILED(hr)) return hr;
    for (D3DVERTEXELEMENT9* e = declaration; e->Stream != 0xFF; ++e)
        if (e->Usage == D3DDECLUSAGE_BLENDINDICES && e->UsageIndex == 0) e->Type = D3DDECLTYPE_D3DCOLOR;
    hr = blended->UpdateSemantics(declaration);
    if (FAILED(hr)) return hr;

    m_pManager->ReserveMatrices(static_cast<int>(bones));
    return S_OK;
}

}  // namespace Quorvex
