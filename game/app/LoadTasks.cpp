#include "game/app/LoadTasks.h"

#include "engine/assets/MaterialUnit.h"
#include "engine/assets/MeshUnit.h"
#include "engine/assets/MeshUnit_CalcData.h"
#include "engine/assets/ResourceManager.h"
#include "engine/assets/shaders/ShaderManager.h"

using namespace Quorvex;

int LoadTask_MeshSpr3D::OnLoaded(MeshUnit* mesh) {
    MeshUnit_CalcData* parameters = mesh->GetCalcData();
    ShaderManager* shaders = parameters ? parameters->GetShaderManager() : nullptr;
    mesh->SetShader(shaders ? shaders->GetShader("Spr3DDefaultShader") : nullptr);
    return 0;
}

int LoadTask_Ground2::OnLoaded(MeshUnit* mesh) {
    mesh->ComputeTangentFrames(mesh->GetRootFrame());
    MeshContainer* part = mesh->FindMaterialList("Mesh_ground_2_v002");
    if (!part || part->materials.empty() || !part->materials.front()) return 0;
    IDirect3DTexture9* normalMap = nullptr;
    if (SUCCEEDED(MaterialUnit::LoadNormalMap(m_key, L"./data/texture/ground2.bmp", m_pHolder->GetDevice(), 0, 1.0f,
                                              &normalMap)) &&
        normalMap) {
        part->materials.front()->SetNormalMap(normalMap);
        normalMap->Release();
    }
    return 0;
}

LoadTask_Velrin::LoadTask_Velrin(IResourceManager* holder, DWORD key)
    : LoadTask_Mesh(holder, "Mesh_Velrin", L"./data/model/velrin.x", key) {}

int LoadTask_Velrin::OnLoaded(MeshUnit* mesh) {
    mesh->BuildExtrusionMeshes(mesh->GetRootFrame());
    return 0;
}

LoadTask_Toska::LoadTask_Toska(IResourceManager* holder, DWORD key)
    : LoadTask_Mesh(holder, "Mesh_Toska", L"./data/model/toska.x", key) {}

int LoadTask_Toska::OnLoaded(MeshUnit* mesh) {
    mesh->BuildExtrusionMeshes(mesh->GetRootFrame());
    return 0;
}
