// An extra material layer for one named part of a mesh: while the mesh is
// drawn through a per-object mesh record, the first material of each layer
// overrides the texture of the part's subsets (layer i, subset i).
#pragma once
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/win32/win32.h"

namespace Quorvex {

class MaterialUnit;
class MeshUnit;
struct MeshContainer;

class AdditionalMaterial {
public:
    AdditionalMaterial() = default;
    // Copies the owner and takes a reference on each material.
    AdditionalMaterial(const AdditionalMaterial& other);
    AdditionalMaterial& operator=(const AdditionalMaterial& other);
    // Clear.
    virtual ~AdditionalMaterial();

    // Releases every material, empties the list and forgets the owner.
    void Clear();
    // Clears the record, points it at the mesh part of that name and, when
    // the part exists and the source material has a texture, appends the
    // source material with a reference. A part the mesh lacks leaves the
    // record empty without owner.
    static void Attach(MaterialUnit* source, AdditionalMaterial* record, MeshUnit* mesh, const char* partName);
    // Appends a material with a reference (null is kept as an empty entry).
    void Append(MaterialUnit* material);

    // The texture this layer installs: its first material's first texture,
    // or null.
    IDirect3DTexture9* GetOverrideTexture() const;
    // Its first material's first normal map, or null.
    IDirect3DTexture9* GetOverrideNormalMap() const;

    MeshContainer* owner = nullptr;       // not counted
    std::vector<MaterialUnit*> materials;  // counted
};

}  // namespace Quorvex
