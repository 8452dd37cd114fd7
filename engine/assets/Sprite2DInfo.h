// A screen-space sprite record that game objects embed and hand to the 2D
// sprite batch: a counted material (its first texture is drawn), a position in
// units of the screen height from the top-left corner (y down), colour, size,
// four texture corners, an angle and three flags.
#pragma once
#include "engine/core/render/DrawBuilders.h"

namespace Quorvex {

class Chara2D;

class Sprite2DInfo : public Sprite2DData {
public:
    // Init, without a material.
    Sprite2DInfo();
    // Copies take their own material reference.
    Sprite2DInfo(const Sprite2DInfo& other);
    Sprite2DInfo& operator=(const Sprite2DInfo& other);
    // Releases the material.
    virtual ~Sprite2DInfo();

    // Position (0, 0), colour 0xFFFFFFFF, width = the aspect ratio, height 1,
    // the full texture rectangle, angle 0, all three flags set. The material
    // is kept.
    virtual void Init();

    // The material (referenced; the old one released), size and corners of
    // the cut-out.
    void SetChara2D(const Chara2D& chara);
    void SetMaterial(MaterialUnit* material);
    MaterialUnit* GetMaterial() const { return material; }
};

}  // namespace Quorvex
