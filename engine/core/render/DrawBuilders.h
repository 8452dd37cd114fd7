// The draw builders: what render objects call in RenderObject::Render (on a
// job thread) to append vertices, 16-bit indices and draw commands to the
// job's command list. Sprites that share a texture set and an effect become
// one indexed draw at replay.
//
// Each builder checks room for all its vertices, indices and commands first
// and writes nothing when any of them does not fit.
#pragma once
#include <vector>

#include "engine/core/render/CalcVertexSet.h"

namespace Quorvex {

class RenderObject;

// The fields of a 3D sprite record that the builders read (the sprite records
// of the asset side carry them). Corners: 0 (left, top), 1 (right, top),
// 2 (left, bottom), 3 (right, bottom).
struct Sprite3DData {
    MaterialUnit* material = nullptr;  // the texture set: the batch key
    D3DXVECTOR3 position;
    D3DCOLOR color = 0xFFFFFFFF;
    float width = 1.0f;
    float height = 1.0f;
    D3DXVECTOR2 uv[4] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}};
    // A quaternion for the oriented builders; the screen-facing builders use
    // its first float as an angle in radians.
    D3DXQUATERNION rotation{0.0f, 0.0f, 0.0f, 1.0f};
    BYTE centered = 1;      // the position is the centre (else corner 2)
    BYTE reverseAngle = 1;  // the angle's sign is reversed
    BYTE flag = 1;          // kept for the sprite's owner
};

// The fields of a 2D sprite record that PushSprite2D reads. Positions and
// sizes are in units of the screen height from the top-left corner, y down.
// Corners: 0 bottom-left, 1 bottom-right, 2 top-left, 3 top-right.
struct Sprite2DData {
    MaterialUnit* material = nullptr;
    float x = 0.0f;
    float y = 0.0f;
    D3DCOLOR color = 0xFFFFFFFF;
    float width = 16.0f / 9.0f;
    float height = 1.0f;
    D3DXVECTOR2 uv[4] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}};
    float angle = 0.0f;
    BYTE centered = 1;
    BYTE reverseAngle = 1;
    BYTE sizeAsStored = 1;  // else width and height are pixels of the viewport
};

// Batch control. A new batch (another texture set or effect) draws the open
// one and selects its effect and textures; a change of effect also selects the
// shared stream, indices and declaration.
void BeginSpriteBatch(CalcVertexSet* list, MaterialUnit* textureSet);
void BeginSprite2DBatch(CalcVertexSet* list, MaterialUnit* textureSet);
// Closes the batch and queues RenderObject::Draw of the object for the replay.
void PushDrawObject(CalcVertexSet* list, RenderObject* object);
// Draws the open batch first when the preset changes; always queues the preset.
void PushRenderStatePreset(CalcVertexSet* list, int preset);

// Six indices of one quad from the next vertex: 0, 1, 2, 1, 3, 2 (3D corner
// order) and 0, 2, 1, 1, 2, 3 (2D corner order). Each index only when it fits.
void PushQuadIndices(CalcVertexSet* list);
void PushQuadIndices2D(CalcVertexSet* list);

// Screen-facing quad: turned about the view axis by the angle, then by the
// camera's rotation (billboard matrix).
void PushBillboard(CalcVertexSet* list, const Sprite3DData& sprite);
// As PushBillboard with the whole inverse camera matrix (rotation and the
// camera's translation).
void PushCameraSprite(CalcVertexSet* list, const Sprite3DData& sprite);
// Quad in the sprite's own plane, turned by its quaternion.
void PushSpriteQuad(CalcVertexSet* list, const Sprite3DData& sprite);
// Quad about the sprite's own axis (local z, half the height each way),
// turned about it to face the eye.
void PushAxisBillboard(CalcVertexSet* list, const Sprite3DData& sprite);
// As PushAxisBillboard, facing the viewing direction instead of the eye.
void PushAxisBillboardView(CalcVertexSet* list, const Sprite3DData& sprite);
// Beam from the position along the turned local z axis (length = height),
// as wide as the width across the view: six vertices, four triangles.
void PushBeamSprite(CalcVertexSet* list, const Sprite3DData& sprite);
// Ring between the outer ellipse (width/2, height/2) and the inner ellipse
// (innerWidth/2, innerHeight/2) in `segments` segments (at least 3, at most
// 126), turned by the quaternion; two-sided adds the ring turned by half a
// turn about its local y axis.
void PushRingSprite(CalcVertexSet* list, const Sprite3DData& sprite, int segments, float innerWidth,
                    float innerHeight, bool twoSided);
// Triangle list of the given local positions (cut to a multiple of 3, at most
// 85 triangles), each turned by the quaternion and moved to the position, with
// its own texture pair ((0, 0) past the end of texCoords).
void PushSpriteTriangles(CalcVertexSet* list, const Sprite3DData& sprite,
                         const std::vector<D3DXVECTOR3>& positions, const std::vector<D3DXVECTOR2>& texCoords);
// Two crossed quads along the turned local z axis (length = height), one in
// the local x-z plane and one in the y-z plane, as wide as the width; each is
// wound to face the eye.
void PushSprite3DCross(CalcVertexSet* list, const Sprite3DData& sprite);
// Screen sprite for the 2D sprite group.
void PushSprite2D(CalcVertexSet* list, const Sprite2DData& sprite);

// The builders under the names the game uses.
inline void PushSprite3DBillboard(CalcVertexSet* list, const Sprite3DData& sprite) { PushBillboard(list, sprite); }
inline void PushSprite3DStretched(CalcVertexSet* list, const Sprite3DData& sprite) { PushSpriteQuad(list, sprite); }

}  // namespace Quorvex
