// The D3DX 9 subset the engine calls: maths, effects (and later textures,
// meshes, animation and fonts).
#pragma once
#include "platform/d3d9/d3d9.h"
#include "platform/d3dx9/math.h"
#include "platform/d3dx9/effect.h"
#include "platform/d3dx9/texture.h"
#include "platform/d3dx9/mesh.h"
#include "platform/d3dx9/anim.h"
#include "platform/d3dx9/font.h"
