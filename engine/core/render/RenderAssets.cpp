#include "engine/core/render/RenderAssets.h"

#include "engine/core/MessageLogManager.h"
#include "engine/core/MessageTable.h"
#include "engine/core/render/RenderStage.h"

// The asset side is linked in when its headers are present; until then the
// pipeline runs without effects: batches are gathered and counted but no
// effect draws them.
#if __has_include("engine/assets/shaders/ShaderManager.h") && __has_include("engine/assets/ResourceManager.h")
#define ORV_RENDER_ASSETS 1
#include "engine/assets/MaterialUnit.h"
#include "engine/assets/Primitive.h"
#include "engine/assets/ResourceManager.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/assets/shaders/Shader_Sprite2D.h"
#include "engine/assets/shaders/Shader_Sprite3D.h"
#else
#define ORV_RENDER_ASSETS 0
#endif

namespace Quorvex {
namespace RenderAssets {

#if ORV_RENDER_ASSETS

namespace {

// A render stage as the effects see it while they draw one of its batches:
// one subset of the batch's texture set with identity world matrices and
// vertex colours on; its draw is the stage's indexed batch draw. It lives on
// the stack for the draw; its count is the stage's.
class StagePrimitive : public PrimitiveBase {
public:
    StagePrimitive(RenderStage* stage, MaterialUnit** textureSet) : m_stage(stage) {
        m_pExternalWorld = &stage->GetBatchWorld();
        m_subsetCount = 1;
        m_ppMaterials = textureSet;
        m_bVertexColour = 1;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        if (object) *object = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return m_stage->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_stage->Release(); }
    void DrawSubset(int) override { m_stage->DrawIndexedBatch(); }
    void DrawExtrusionSubset(int) override {}

private:
    RenderStage* m_stage;
};

// Creates and loads one shader and registers it; throws the message text of
// `failureId` when it does not load.
template <class Shader>
void CreateShader(ShaderManager* shaders, RenderParameter* context, int failureId) {
    Shader* shader = new Shader(context, shaders);
    shader->AddRef();
    int result = -1;
    try {
        result = shader->LoadShader();
    } catch (...) {
        shader->Release();
        throw;
    }
    if (result < 0) {
        shader->Release();
        throw MessageTable::GetText(failureId);
    }
    shaders->AddShader(shader);
    shader->Release();
}

}  // namespace

void AddRef(IResourceManager* manager) { manager->AddRef(); }
void Release(IResourceManager* manager) { manager->Release(); }
void AddRef(ShaderManager* manager) { manager->AddRef(); }
void Release(ShaderManager* manager) { manager->Release(); }
void AddRef(IShader* shader) { shader->AddRef(); }
void Release(IShader* shader) { shader->Release(); }

void CreateSpriteShaders(ShaderManager* shaders, IResourceManager* resources) {
    RenderParameter* context = resources ? resources->GetRenderParameter() : nullptr;
    if (!shaders->GetShader("Spr3DDefaultShader")) CreateShader<Shader_Sprite3D>(shaders, context, 27);
    if (!shaders->GetShader("Sprite2D")) CreateShader<Shader_Sprite2D>(shaders, context, 25);
}

IShader* FindShader(ShaderManager* shaders, const char* name) { return shaders->GetShader(name); }

void FindBatchEffects(ShaderManager* shaders, IShader** sprite3D, IShader** sprite2D, IShader** mesh,
                      IDirect3DVertexDeclaration9** sprite2DDeclaration) {
    *sprite3D = shaders->GetShader("Spr3DDefaultShader");
    ShaderAdapter* twoD = shaders->GetShader("Sprite2D");
    *sprite2D = twoD;
    *mesh = shaders->GetShader("MeshDefaultShader");
    auto* sprite2DShader = dynamic_cast<Shader_Sprite2D*>(twoD);
    *sprite2DDeclaration = sprite2DShader ? sprite2DShader->GetDeclaration() : nullptr;
}

bool IsShaderInUse(ShaderManager* shaders) { return shaders->IsShaderInUse(); }
void SetShaderInUse(ShaderManager* shaders, bool inUse) { shaders->SetShaderInUse(inUse); }
void SetBlendMode(ShaderManager* shaders, int preset) { shaders->SetBlendMode(preset); }

void SetCameraParameters(IResourceManager* resources, const D3DXMATRIX& projection, const D3DXMATRIX& view,
                         const D3DXVECTOR3& eye) {
    resources->SetProjectionMatrix(projection);
    resources->SetViewMatrix(view);
    resources->SetEyePosition(eye);
}

void DrawBatch(IShader* effect, RenderStage* stage, MaterialUnit* textureSet) {
    MaterialUnit* materials[1] = {textureSet};
    StagePrimitive primitive(stage, materials);
    effect->Apply(&primitive, -1, -1);
}

void BindTextures(IDirect3DDevice9* device, MaterialUnit* textureSet) {
    const int slots = textureSet->GetTextureSlots();
    for (int i = 0; i < slots; ++i) device->SetTexture(static_cast<DWORD>(i), textureSet->GetTexture(i));
}

#else

void AddRef(IResourceManager*) {}
void Release(IResourceManager*) {}
void AddRef(ShaderManager*) {}
void Release(ShaderManager*) {}
void AddRef(IShader*) {}
void Release(IShader*) {}

void CreateSpriteShaders(ShaderManager*, IResourceManager*) {
    MessageLogManager::Instance().Log(L"ObjectManager", L"built without the shader manager: sprites are not drawn");
}

IShader* FindShader(ShaderManager*, const char*) { return nullptr; }

void FindBatchEffects(ShaderManager*, IShader** sprite3D, IShader** sprite2D, IShader** mesh,
                      IDirect3DVertexDeclaration9** sprite2DDeclaration) {
    *sprite3D = nullptr;
    *sprite2D = nullptr;
    *mesh = nullptr;
    *sprite2DDeclaration = nullptr;
}

bool IsShaderInUse(ShaderManager*) { return false; }
void SetShaderInUse(ShaderManager*, bool) {}
void SetBlendMode(ShaderManager*, int) {}
void SetCameraParameters(IResourceManager*, const D3DXMATRIX&, const D3DXMATRIX&, const D3DXVECTOR3&) {}
void DrawBatch(IShader*, RenderStage*, MaterialUnit*) {}
void BindTextures(IDirect3DDevice9*, MaterialUnit*) {}

#endif

}  // namespace RenderAssets
}  // namespace Quorvex
