#include "engine/assets/Sprite3DInfo.h"

#include "engine/assets/MaterialUnit.h"

namespace Quorvex {

Sprite3DInfo::Sprite3DInfo() {
    Reset();
    ResetTransform();
}

Sprite3DInfo::Sprite3DInfo(const Sprite3DInfo& other) : Sprite3DData(other) {
    if (material) material->AddRef();
}

Sprite3DInfo& Sprite3DInfo::operator=(const Sprite3DInfo& other) {
    if (this == &other) return *this;
    MaterialUnit* held = material;
    static_cast<Sprite3DData&>(*this) = other;
    material = held;
    HoldMaterial(material, other.material);
    return *this;
}

Sprite3DInfo::~Sprite3DInfo() { HoldMaterial(material, nullptr); }

void Sprite3DInfo::Reset() {
    HoldMaterial(material, nullptr);
    color = 0xFFFFFFFF;
    width = 1.0f;
    height = 1.0f;
    uv[0] = D3DXVECTOR2(0.0f, 0.0f);
    uv[1] = D3DXVECTOR2(1.0f, 0.0f);
    uv[2] = D3DXVECTOR2(0.0f, 1.0f);
    uv[3] = D3DXVECTOR2(1.0f, 1.0f);
    centered = 1;
    reverseAngle = 1;
    flag = 1;
}

void Sprite3DInfo::ResetTransform() {
    position = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    rotation = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
}

void Sprite3DInfo::SetMaterial(MaterialUnit* newMaterial) { HoldMaterial(material, newMaterial); }

void Sprite3DInfoEx::Reset() {
    Sprite3DInfo::Reset();
    positions.clear();
    texCoords.clear();
}

}  // namespace Quorvex
