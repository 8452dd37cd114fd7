// Lookups of the shared materials and meshes the terrain draws with.
#pragma once
#include "engine/assets/MaterialUnit.h"
#include "engine/assets/MeshUnit.h"
#include "engine/assets/ResourceManager.h"

// The material registered under the id, or null (no reference added).
inline Quorvex::MaterialUnit* FindTerrainMaterial(Quorvex::IResourceManager* resources, const char* id) {
    return resources && id ? dynamic_cast<Quorvex::MaterialUnit*>(resources->GetResource(id)) : nullptr;
}

// The mesh registered under the id, or null (no reference added).
inline Quorvex::MeshUnit* FindTerrainMesh(Quorvex::IResourceManager* resources, const char* id) {
    return resources && id ? dynamic_cast<Quorvex::MeshUnit*>(resources->GetResource(id)) : nullptr;
}
