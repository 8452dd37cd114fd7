// Small conversions shared by the in-game 2-D layers (menus, pause scene,
// dialogue windows): reference pixels of the 1280 x 720 layout to layout units,
// colour channels to bytes (ColorByte of the effects), and material lookup by resource id.
#pragma once
#include "game/world/effects/EffectSupport.h"
#include "platform/d3d9/d3d9.h"
#include "platform/win32/win32.h"

namespace Quorvex {
class IObjectManager;
class MaterialUnit;
class RenderObject;
class Sprite2DInfo;
struct Sprite2DData;
}  // namespace Quorvex

// Layout units: 1.0 = the screen height.
constexpr float kLayoutPixel = 1.0f / 720.0f;
constexpr float LayoutFromPixels(float pixels) { return pixels / 720.0f; }

// A 2D sprite cell: u from u0 to u1, v from the top vTop to the bottom vBottom
// of an upright image (the bottom corners come first in the sprite record).
void SetSpriteCell(Quorvex::Sprite2DData& sprite, float u0, float u1, float vTop, float vBottom);

// A menu picture on "matHud2": white, unrotated, drawn at its stored size,
// centred on its position or from its top-left corner.
void PrepareMenuSprite(Quorvex::Sprite2DInfo& sprite, Quorvex::IObjectManager* manager, bool centered);

// The object joins its object manager's "Sprite2D" stage, leaving the one it
// is in; nothing without the manager or the stage, or when it is there already.
void JoinSprite2DStage(Quorvex::RenderObject* object);

// ARGB from alpha and the three colour channels, each through ColorByte.
D3DCOLOR ColorFromFloats(float alpha, float red, float green, float blue);
// White with the alpha of ColorByte(alpha).
inline D3DCOLOR WhiteWithAlpha(float alpha) { return (static_cast<D3DCOLOR>(ColorByte(alpha)) << 24) | 0xFFFFFFu; }

// The material loaded under the id, through the object manager's resource
// manager, without a new reference; null (logged once per id and source) when
// there is none, so a missing picture is simply not drawn.
Quorvex::MaterialUnit* FindGraphicMaterial(Quorvex::IObjectManager* manager, const char* id);
