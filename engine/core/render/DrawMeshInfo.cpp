#include "engine/core/render/DrawMeshInfo.h"

#include <algorithm>
#include <vector>

#include "engine/assets/MaterialUnit.h"
#include "engine/assets/MeshInfo.h"
#include "engine/assets/MeshUnit.h"
#include "engine/assets/MeshUnit_CalcData.h"
#include "engine/core/Environment.h"

namespace Quorvex {

namespace {

// The overrides one draw installs, removed again when it goes out of scope.
class InstalledOverrides {
public:
    InstalledOverrides(const MeshInfo& record, MeshUnit* mesh) {
        InstallTextures(record.m_materialLayers);
        m_normalMaps.reserve(record.m_normalMapLayers.size());
        for (const AdditionalMaterial& layer : record.m_normalMapLayers) InstallNormalMaps(layer);
        MeshUnit_CalcData* parameters = mesh->GetCalcData();
        // A previous-matrix array shorter than the frames would be read past
        // its end: such an array is not used.
        if (parameters && !record.m_instanceMatrices.empty() &&
            record.m_instanceMatrices.size() >= static_cast<size_t>(mesh->GetFrameCount())) {
            m_parameters = parameters;
            parameters->m_previousMatrices = const_cast<D3DXMATRIX*>(record.m_instanceMatrices.data());
            const D3DXVECTOR3* shift = g_pEnvironment ? g_pEnvironment->GetWorldShift() : nullptr;
            const bool shifted = shift && (shift->x != 0.0f || shift->y != 0.0f || shift->z != 0.0f);
            parameters->m_previousMatrixReset = record.m_bInstanceReset || shifted ? 1 : 0;
        }
    }

    ~InstalledOverrides() {
        for (MeshContainer* container : m_textureOwners) container->ppTextureOverrides = nullptr;
        for (MeshContainer* container : m_normalMapOwners) container->ppNormalMapOverrides = nullptr;
        if (m_parameters) {
            m_parameters->m_previousMatrices = nullptr;
            m_parameters->m_previousMatrixReset = 0;
        }
    }

    InstalledOverrides(const InstalledOverrides&) = delete;
    InstalledOverrides& operator=(const InstalledOverrides&) = delete;

private:
    // One texture per layer for the part of the first layer that has one;
    // layers without a part add an empty entry. The array covers every
    // subset of the part, because the effects index it by subset.
    void InstallTextures(const std::vector<AdditionalMaterial>& layers) {
        MeshContainer* container = nullptr;
        for (const AdditionalMaterial& layer : layers)
            if ((container = layer.owner)) break;
        if (!container) return;
        m_textures.assign(std::max(layers.size(), container->materials.size()), nullptr);
        for (size_t i = 0; i < layers.size(); ++i)
            if (layers[i].owner) m_textures[i] = layers[i].GetOverrideTexture();
        container->ppTextureOverrides = m_textures.data();
        m_textureOwners.push_back(container);
    }

    void InstallNormalMaps(const AdditionalMaterial& layer) {
        MeshContainer* container = layer.owner;
        if (!container) return;
        std::vector<IDirect3DTexture9*>& maps = m_normalMaps.emplace_back(
            std::max(layer.materials.size(), container->materials.size()), nullptr);
        for (size_t i = 0; i < layer.materials.size(); ++i)
            if (layer.materials[i]) maps[i] = layer.materials[i]->GetNormalMap(0);
        container->ppNormalMapOverrides = maps.data();
        m_normalMapOwners.push_back(container);
    }

    std::vector<IDirect3DTexture9*> m_textures;
    std::vector<std::vector<IDirect3DTexture9*>> m_normalMaps;
    std::vector<MeshContainer*> m_textureOwners;
    std::vector<MeshContainer*> m_normalMapOwners;
    MeshUnit_CalcData* m_parameters = nullptr;
};

}  // namespace

void DrawMeshInfo(MeshInfo& record, const D3DXMATRIX& world) {
    MeshUnit* mesh = record.GetMesh();
    if (!mesh || !mesh->GetRootFrame()) return;

    mesh->ResetBoneMatrices();
    const std::vector<D3DXMATRIX*>& frames = mesh->GetFrameMatrices();
    const size_t posed = std::min(frames.size(), record.m_boneMatrices.size());
    for (size_t i = 0; i < posed; ++i) *frames[i] = record.m_boneMatrices[i];

    InstalledOverrides overrides(record, mesh);
    mesh->UpdateFrameMatrices(mesh->GetRootFrame(), &world);
    mesh->DrawFrameHierarchy();
}

void PushMesh(CalcVertexSet*, MeshInfo& record, const D3DXMATRIX& world) {
    record.m_world = world;
    DrawMeshInfo(record, world);
}

}  // namespace Quorvex
