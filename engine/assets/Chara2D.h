// A reusable cut-out of a texture: a material, a size and the four texture
// corners, kept by the resource manager under an id and copied into 2D
// sprites. Corners 0 to 3 are bottom-left, bottom-right, top-left, top-right
// of an upright image.
#pragma once
#include "platform/d3dx9/d3dx9.h"
#include "platform/win32/win32.h"

namespace Quorvex {

class MaterialUnit;

class Chara2D {
public:
    // No material, size 1 x 1, the full texture rectangle.
    Chara2D();
    // Copies take their own material reference.
    Chara2D(const Chara2D& other);
    Chara2D& operator=(const Chara2D& other);
    // Releases the material.
    virtual ~Chara2D();

    // Releases the material; size 1 x 1; the full texture rectangle.
    virtual void Reset();

    void SetMaterial(MaterialUnit* material);
    // Corner 0 = (Q.u, P.v), 1 = (P.u, P.v), 2 = (Q.u, Q.v), 3 = (P.u, Q.v).
    void SetUVRect(const D3DXVECTOR2& p, const D3DXVECTOR2& q);
    // The texel rectangle from the near corner (x0, y0) to the far corner
    // (x1, y1) as fractions of the first texture's size. 0; -1 without a
    // texture (nothing changes).
    int SetTexelRect(float x0, float y0, float x1, float y1);
    // Size from the corners times the first texture's size and the
    // environment's screen scales. 0; -1 without a texture.
    int SetSizeFromTexture();
    // SetSizeFromTexture, then divided by the smaller client side in pixels
    // and multiplied by the screen scales again. 0; -1 without a texture.
    int FitToScreen();
    // Level-0 size of the material's first texture: false without one.
    bool GetTextureSize(float* width, float* height) const;

    MaterialUnit* material = nullptr;  // counted
    float width = 1.0f;
    float height = 1.0f;
    D3DXVECTOR2 uv[4];
};

// Cuts the cell (x, y, w, h in cells of 64 texels) of the Chara2D's sheet:
// texel rectangle, fitted to the screen, scaled by the factor and the screen
// scales. 0; -1 without a texture (nothing changes).
int CutChara2DCell(Chara2D& chara, float scale, float x, float y, float w, float h);

class IResourceManager;

// What the screens that register many cells of one sheet carry along: where
// the cells go, their size factor and the sheet (its material).
struct Chara2DCellSet {
    IResourceManager* resourceManager = nullptr;
    float scale = 1.0f;
    Chara2D chara;
};

// CutChara2DCell on a copy of the set's sheet, registered in the set's
// resource manager under the id. 0; -1 without a manager or texture (nothing
// is registered).
int SetChara2DCell(Chara2DCellSet& set, const char* id, float x, float y, float w, float h);

}  // namespace Quorvex
