// What the full-screen post-processing shaders share: the screen size they
// allocate their targets at, the quad they all draw and the counted texture
// slots they hold their sources in.
#pragma once
#include "engine/assets/shaders/FullScreenQuad.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3dx9/d3dx9.h"
#include "platform/win32/win32.h"

namespace Quorvex {

class ShaderManager;

// Width, height and format of the back buffer: the environment's present
// parameters, or the device's back buffer where the environment has none
// (a shader used without a scene). False when neither answers.
bool GetScreenSize(IDirect3DDevice9* device, UINT* width, UINT* height, D3DFORMAT* format);

// Creates and fills the quad, then its declaration. Answers 0 or the device
// error of the buffer; throws the text of message 24 when the declaration
// cannot be made.
int CreatePassQuad(FullScreenQuad& quad, IDirect3DDevice9* device);

// The states of a pass that overwrites the whole target: the quad bound,
// linear filtering on stage 0, blend preset 1, no depth test, no culling
// (left so).
void SetOpaquePassStates(ShaderManager* shaders, FullScreenQuad& quad);

// Sets a render target saved by GetRenderTarget back and lets it go; nothing
// for null.
void RestoreRenderTarget(IDirect3DDevice9* device, IDirect3DSurface9*& saved);

// Begins the effect's current technique without state saving and draws the
// quad once in every pass; the caller ends the technique.
void DrawQuadInEveryPass(ID3DXEffect* effect, FullScreenQuad& quad, IDirect3DDevice9* device);

// Replaces a counted reference: the new object referenced first, then the old
// one released, so holding the same object again is safe.
template <class T>
void HoldReference(T*& slot, T* value) {
    if (value) value->AddRef();
    T* old = slot;
    slot = value;
    if (old) old->Release();
}

}  // namespace Quorvex
