#include "engine/assets/Sprite2DInfo.h"

#include "engine/assets/Chara2D.h"
#include "engine/assets/MaterialUnit.h"
#include "engine/core/Environment.h"

namespace Quorvex {

Sprite2DInfo::Sprite2DInfo() { Init(); }

Sprite2DInfo::Sprite2DInfo(const Sprite2DInfo& other) : Sprite2DData(other) {
    if (material) material->AddRef();
}

Sprite2DInfo& Sprite2DInfo::operator=(const Sprite2DInfo& other) {
    if (this == &other) return *this;
    MaterialUnit* held = material;
    static_cast<Sprite2DData&>(*this) = other;
    material = held;
    HoldMaterial(material, other.material);
    return *this;
}

Sprite2DInfo::~Sprite2DInfo() { HoldMaterial(material, nullptr); }

void Sprite2DInfo::Init() {
    x = 0.0f;
    y = 0.0f;
    color = 0xFFFFFFFF;
    width = g_pEnvironment ? g_pEnvironment->GetAspect() : 16.0f / 9.0f;
    height = 1.0f;
    uv[0] = D3DXVECTOR2(0.0f, 0.0f);
    uv[1] = D3DXVECTOR2(1.0f, 0.0f);
    uv[2] = D3DXVECTOR2(0.0f, 1.0f);
    uv[3] = D3DXVECTOR2(1.0f, 1.0f);
    angle = 0.0f;
    centered = 1;
    reverseAngle = 1;
    sizeAsStored = 1;
}

void Sprite2DInfo::SetChara2D(const Chara2D& chara) {
    HoldMaterial(material, chara.material);
    width = chara.width;
    height = chara.height;
    for (int i = 0; i < 4; ++i) uv[i] = chara.uv[i];
}

void Sprite2DInfo::SetMaterial(MaterialUnit* newMaterial) { HoldMaterial(material, newMaterial); }

}  // namespace Quorvex
