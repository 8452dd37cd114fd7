#include "engine/assets/MeshInfo.h"

#include "engine/assets/MeshUnit.h"
#include "engine/assets/ResourceManager.h"

namespace Quorvex {

MeshInfo::MeshInfo() { D3DXMatrixIdentity(&m_world); }

MeshInfo::~MeshInfo() { SetMesh(nullptr); }

void MeshInfo::SetMesh(MeshUnit* mesh) {
    if (mesh) mesh->AddRef();
    MeshUnit* old = m_pMesh;
    m_pMesh = mesh;
    if (old) old->Release();
}

int MeshInfo::SetMesh(IResourceManager* manager, const char* id) {
    auto* mesh = manager ? dynamic_cast<MeshUnit*>(manager->GetResource(id)) : nullptr;
    SetMesh(mesh);
    return mesh ? 0 : -1;
}

}  // namespace Quorvex
