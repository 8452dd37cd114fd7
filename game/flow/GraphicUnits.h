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
}  // namespace Quorvex

// Layout units: 1.0 = the screen height.
constexpr float kLayoutPixel = 1.0f / 720.0f;
constexpr float LayoutFromPixels(float pixels) { return pixels / 720.0f; }

// ARGB from alpha and the three colour channels, each through ColorByte.
D3DCOLOR ColorFromFloats(float alpha, float red, float green, float blue);
// White with the alpha of ColorByte(alpha).
inline D3DCOLOR WhiteWithAlpha(float alpha) { return (static_cast<D3DCOLOR>(ColorByte(alpha)) << 24) | 0xFFFFFFu; }

// The material loaded under the id, through the object manager's resource
// manager, without a new reference; null (logged once per id and source) when
// there is none, so a missing picture is simply not drawn.
Quorvex::MaterialUnit* FindGraphicMaterial(Quorvex::IObjectManager* manager, const char* id);
