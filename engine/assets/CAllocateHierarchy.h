// Builds the frames and mesh containers of one `.x` load (and takes them
// apart again): copies names and adjacency, shares or registers the
// materials of each part under "<part>_<i>", loads their textures, and turns
// skinned meshes into palette-skinned ones. Lives on the stack for one load
// or one destroy.
#pragma once
#include "platform/d3dx9/d3dx9.h"

namespace Quorvex {

class IResourceManager;
class MeshUnit;
struct MeshContainer;

class CAllocateHierarchy : public ID3DXAllocateHierarchy {
public:
    // The mesh being built, the manager its materials are registered in and
    // the asset key of its textures.
    CAllocateHierarchy(MeshUnit* mesh, IResourceManager* manager, DWORD key);

    HRESULT STDMETHODCALLTYPE CreateFrame(LPCSTR name, LPD3DXFRAME* newFrame) override;
    HRESULT STDMETHODCALLTYPE CreateMeshContainer(LPCSTR name, const D3DXMESHDATA* meshData,
                                                  const D3DXMATERIAL* materials,
                                                  const D3DXEFFECTINSTANCE* effectInstances, DWORD materialCount,
                                                  const DWORD* adjacency, LPD3DXSKININFO skinInfo,
                                                  LPD3DXMESHCONTAINER* newContainer) override;
    HRESULT STDMETHODCALLTYPE DestroyFrame(LPD3DXFRAME frame) override;
    HRESULT STDMETHODCALLTYPE DestroyMeshContainer(LPD3DXMESHCONTAINER container) override;

    // (Re)builds the container's palette-skinned mesh from its source mesh.
    HRESULT GenerateSkinnedMesh(MeshContainer* container);

    // Material ids of a part: "<part>_<i>".
    static std::string MaterialId(const char* partName, DWORD index);

private:
    HRESULT SetupMaterials(MeshContainer* container, const D3DXMATERIAL* materials, DWORD materialCount);

    MeshUnit* m_pMesh;
    IResourceManager* m_pManager;
    DWORD m_key;
};

}  // namespace Quorvex
