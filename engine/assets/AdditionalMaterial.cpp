#include "engine/assets/AdditionalMaterial.h"

#include "engine/assets/MaterialUnit.h"
#include "engine/assets/MeshUnit.h"

namespace Quorvex {

AdditionalMaterial::AdditionalMaterial(const AdditionalMaterial& other) : owner(other.owner) {
    materials.reserve(other.materials.size());
    for (MaterialUnit* material : other.materials) Append(material);
}

AdditionalMaterial& AdditionalMaterial::operator=(const AdditionalMaterial& other) {
    if (this == &other) return *this;
    AdditionalMaterial copy(other);
    Clear();
    owner = copy.owner;
    materials.swap(copy.materials);
    return *this;
}

AdditionalMaterial::~AdditionalMaterial() { Clear(); }

void AdditionalMaterial::Clear() {
    for (MaterialUnit*& entry : materials) {
        MaterialUnit* material = entry;
        entry = nullptr;
        if (material) material->Release();
    }
    materials.clear();
    owner = nullptr;
}

void AdditionalMaterial::Append(MaterialUnit* material) {
    if (material) material->AddRef();
    materials.push_back(material);
}

void AdditionalMaterial::Attach(MaterialUnit* source, AdditionalMaterial* record, MeshUnit* mesh,
                                const char* partName) {
    if (!record) return;
    record->Clear();
    record->owner = mesh ? mesh->FindMaterialList(partName) : nullptr;
    // A layer without a part would have nowhere to go when drawn.
    if (record->owner && source && source->GetTexture(0)) record->Append(source);
}

IDirect3DTexture9* AdditionalMaterial::GetOverrideTexture() const {
    return !materials.empty() && materials.front() ? materials.front()->GetTexture(0) : nullptr;
}

IDirect3DTexture9* AdditionalMaterial::GetOverrideNormalMap() const {
    return !materials.empty() && materials.front() ? materials.front()->GetNormalMap(0) : nullptr;
}

}  // namespace Quorvex
