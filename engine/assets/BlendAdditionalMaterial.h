// The sky material presets: switch the sky dome between looks (normal sky,
// spell-attack sky and others) with a blend factor t from the look of layer B
// (t = 0) to the look of layer A (t = 1). A look decides which extra-material
// list its layer carries and the sky's tint colour.
#pragma once
#include <vector>

#include "engine/assets/AdditionalMaterial.h"
#include "platform/d3d9/d3d9.h"
#include "platform/win32/win32.h"

namespace Quorvex {

// What the presets drive on a sky dome: the extra-material lists of its two
// mesh layers, the source records the looks copy, the loaded look types, the
// blend fields and the tint target. The dome points these at its own fields.
struct SkyMaterialLayers {
    enum Layer { LayerB = 0, LayerA = 1 };

    // Empties the layer's list (each material released) and, with a source,
    // makes the list one copy of it (each material referenced).
    void LoadLayer(Layer layer, const AdditionalMaterial* source);

    // The two layers' extra-material lists (the mesh records' layers).
    std::vector<AdditionalMaterial>* m_pLayers[2] = {nullptr, nullptr};
    // What the looks copy: the normal source (types 1, 2, 3, 7, 8) and the
    // type-5 source; not owned.
    const AdditionalMaterial* m_pNormalSource = nullptr;
    const AdditionalMaterial* m_pType5Source = nullptr;
    // The look each layer has loaded; 0 until the first load.
    int m_layerType[2] = {0, 0};
    // The blend factor, in the five fields the sky's drawing reads.
    float m_blend[5] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    // Receives the blended tint as ARGB; null for none.
    D3DCOLOR* m_pTintTarget = nullptr;
};

// Sets the look for blend factor t between typeB (t = 0) and typeA (t = 1):
// layer B is loaded for a new typeB while t < 1, layer A for a new typeA
// while t > 0; t goes into the five blend fields and the blended tint into
// the tint target.
void BlendAdditionalMaterial(SkyMaterialLayers* sky, int typeA, int typeB, float t);

// The tint of a look type (ARGB).
D3DCOLOR GetSkyTint(int type);
// The tint between typeB (t = 0) and typeA (t = 1), channel by channel in
// single precision, rounded to bytes.
D3DCOLOR BlendSkyTint(int typeA, int typeB, float t);
// The source list a look type copies into its layer, or null.
const AdditionalMaterial* GetSkySource(const SkyMaterialLayers& sky, int type);

}  // namespace Quorvex
