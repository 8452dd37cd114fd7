// World-space sprite records that game objects embed and hand to the 3D
// sprite batches: a counted material (its first texture is drawn), position,
// colour, size, four texture corners, a rotation and three flags.
// Sprite3DInfoEx adds per-vertex data for sprites made of several triangles.
#pragma once
#include <vector>

#include "engine/core/render/DrawBuilders.h"

namespace Quorvex {

class Sprite3DInfo : public Sprite3DData {
public:
    // Defaults of Reset, position (0, 0, 0), rotation (0, 0, 0, 1).
    Sprite3DInfo();
    // Copies take their own material reference.
    Sprite3DInfo(const Sprite3DInfo& other);
    Sprite3DInfo& operator=(const Sprite3DInfo& other);
    // Releases the material.
    virtual ~Sprite3DInfo();

    // Releases the material; colour 0xFFFFFFFF, size 1 x 1, the full texture
    // rectangle, all three flags set. Position and rotation are kept.
    virtual void Reset();
    // Position (0, 0, 0), rotation (0, 0, 0, 1).
    virtual void ResetTransform();

    void SetMaterial(MaterialUnit* material);
    MaterialUnit* GetMaterial() const { return material; }
};

class Sprite3DInfoEx : public Sprite3DInfo {
public:
    Sprite3DInfoEx() = default;
    Sprite3DInfoEx(const Sprite3DInfoEx&) = default;
    Sprite3DInfoEx& operator=(const Sprite3DInfoEx&) = default;
    ~Sprite3DInfoEx() override = default;

    // Also empties both lists.
    void Reset() override;

    // Local positions and texture pairs of the sprite's vertices.
    std::vector<D3DXVECTOR3> positions;
    std::vector<D3DXVECTOR2> texCoords;
};

}  // namespace Quorvex
