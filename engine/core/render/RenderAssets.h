// What the render pipeline asks of the asset side (resource manager, shader
// manager, shaders, materials), gathered in one place. The pipeline holds
// those objects by pointer only; every call that needs their definitions goes
// through these functions.
#pragma once
#include "platform/d3dx9/d3dx9.h"

namespace Quorvex {

class IResourceManager;
class ShaderManager;
class IShader;
class MaterialUnit;
class RenderStage;

namespace RenderAssets {

void AddRef(IResourceManager* manager);
void Release(IResourceManager* manager);
void AddRef(ShaderManager* manager);
void Release(ShaderManager* manager);
void AddRef(IShader* shader);
void Release(IShader* shader);

// Creates, loads and registers the 3D-sprite effect ("Spr3DDefaultShader")
// and the 2D-sprite effect ("Sprite2D") when the manager has none; a load
// failure throws the text of message 27 or 25.
void CreateSpriteShaders(ShaderManager* shaders, IResourceManager* resources);
// The shader registered under the name, or null; no reference taken.
IShader* FindShader(ShaderManager* shaders, const char* name);
// The effects the sprite builders batch under and the 2D effect's declaration.
void FindBatchEffects(ShaderManager* shaders, IShader** sprite3D, IShader** sprite2D, IShader** mesh,
                      IDirect3DVertexDeclaration9** sprite2DDeclaration);
// The shader manager's effect flag (an effect draws the following batches).
bool IsShaderInUse(ShaderManager* shaders);
void SetShaderInUse(ShaderManager* shaders, bool inUse);
void SetBlendMode(ShaderManager* shaders, int preset);
// Copies the camera into the resource manager's render parameters.
void SetCameraParameters(IResourceManager* resources, const D3DXMATRIX& projection, const D3DXMATRIX& view,
                         const D3DXVECTOR3& eye);
// Draws the stage's open batch with the effect: the stage is presented as a
// primitive of one subset with identity world matrices, the texture set and
// vertex colours on; its draw is RenderStage::DrawIndexedBatch.
void DrawBatch(IShader* effect, RenderStage* stage, MaterialUnit* textureSet);
// Without an effect: texture i of the set on sampler stage i.
void BindTextures(IDirect3DDevice9* device, MaterialUnit* textureSet);

}  // namespace RenderAssets
}  // namespace Quorvex
