// The per-object mesh record through which a game object draws a shared
// mesh: the mesh, the object's pose of its frames, its previous world-view
// matrices for motion blur and its material layers. DrawMeshInfo reads it.
#pragma once
#include <vector>

#include "engine/assets/AdditionalMaterial.h"
#include "platform/d3dx9/d3dx9.h"

namespace Quorvex {

class IResourceManager;
class MeshUnit;

class MeshInfo {
public:
    MeshInfo();
    MeshInfo(const MeshInfo&) = delete;
    MeshInfo& operator=(const MeshInfo&) = delete;
    // Releases the mesh.
    virtual ~MeshInfo();

    // Replaces the counted mesh (null allowed).
    void SetMesh(MeshUnit* mesh);
    // The mesh registered under the id (null when there is none): 0, or -1
    // when the id names no mesh.
    int SetMesh(IResourceManager* manager, const char* id);
    MeshUnit* GetMesh() const { return m_pMesh; }

    // The world matrix of the last PushMesh.
    D3DXMATRIX m_world;
    // One pose matrix per frame in frame order, copied into the frames'
    // combined matrices before the world matrix is applied; empty = none.
    std::vector<D3DXMATRIX> m_boneMatrices;
    // One previous world-view matrix per frame for motion blur (empty = no
    // motion blur) and the flag that makes the next draw only store them.
    std::vector<D3DXMATRIX> m_instanceMatrices;
    BYTE m_bInstanceReset = 0;
    // Counted by an owner that raises the flag when it places the object.
    DWORD m_frameCounter = 0;
    // Texture layers: layer i overrides the texture of subset i of its part.
    std::vector<AdditionalMaterial> m_materialLayers;
    // Normal-map layers: each installs its materials' normal maps as the
    // normal-map overrides of its part.
    std::vector<AdditionalMaterial> m_normalMapLayers;

private:
    MeshUnit* m_pMesh = nullptr;  // counted
};

}  // namespace Quorvex
