#include "engine/assets/BlendAdditionalMaterial.h"

namespace Quorvex {

D3DCOLOR GetSkyTint(int type) {
    switch (type) {
    case 1:
    case 4: return 0x80FFA080;
    case 2: return 0x00804020;
    case 3: return 0xFFC0C0FF;
    case 5:
    case 7:
    case 8:
    case 9: return 0x00000000;
    default: return 0xFFFFA080;  // 6, 0 and anything above 9
    }
}

D3DCOLOR BlendSkyTint(int typeA, int typeB, float t) {
    const D3DCOLOR a = GetSkyTint(typeA), b = GetSkyTint(typeB);
    // Every product and sum is a single-precision value, as the sky's
    // colours have always been computed; only the rounding runs wider.
    const float k = 1.0f / 255.0f;
    const float keep = 1.0f - t;
    D3DCOLOR result = 0;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const float fromB = static_cast<float>((b >> shift) & 0xFF) * k;
        const float fromA = static_cast<float>((a >> shift) & 0xFF) * k;
        const float weightedB = keep * fromB;
        const float weightedA = t * fromA;
        const float c = weightedB + weightedA;
        DWORD byte;
        if (c >= 1.0f) byte = 255;
        else if (c <= 0.0f) byte = 0;
        else byte = static_cast<DWORD>(static_cast<double>(c) * 255.0 + 0.5);
        result |= byte << shift;
    }
    return result;
}

void SkyMaterialLayers::LoadLayer(Layer layer, const AdditionalMaterial* source) {
    std::vector<AdditionalMaterial>* list = m_pLayers[layer];
    if (!list) return;
    list->clear();
    if (source) list->push_back(*source);
}

const AdditionalMaterial* GetSkySource(const SkyMaterialLayers& sky, int type) {
    switch (type) {
    case 1:
    case 2:
    case 3:
    case 7:
    case 8: return sky.m_pNormalSource;
    case 5: return sky.m_pType5Source;
    default: return nullptr;
    }
}

void BlendAdditionalMaterial(SkyMaterialLayers* sky, int typeA, int typeB, float t) {
    if (!sky) return;
    int& layerB = sky->m_layerType[SkyMaterialLayers::LayerB];
    int& layerA = sky->m_layerType[SkyMaterialLayers::LayerA];
    if (typeB != layerB && t < 1.0f) {
        sky->LoadLayer(SkyMaterialLayers::LayerB, GetSkySource(*sky, typeB));
        layerB = typeB;
    }
    if (typeA != layerA && t > 0.0f) {
        sky->LoadLayer(SkyMaterialLayers::LayerA, GetSkySource(*sky, typeA));
        layerA = typeA;
    }
    for (float& field : sky->m_blend) field = t;
    if (sky->m_pTintTarget) *sky->m_pTintTarget = BlendSkyTint(typeA, typeB, t);
}

}  // namespace Quorvex
