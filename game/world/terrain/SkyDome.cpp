#include "game/world/terrain/SkyDome.h"

#include "engine/assets/MeshUnit.h"
#include "engine/assets/ResourceManager.h"
#include "engine/core/Environment.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/DrawMeshInfo.h"
#include "engine/core/render/RenderStage.h"
#include "game/world/terrain/TerrainResources.h"

using Quorvex::ObjectManager;

namespace {

constexpr float kYawRate = 0.008726647f;  // 0.5 degrees per second
constexpr float kFlareSpin = 0.1f;        // radians per second

float ElapsedRenderTime() { return Quorvex::g_pEnvironment ? Quorvex::g_pEnvironment->GetElapsedTime() : 0.0f; }

void JoinStage(Quorvex::RenderObject* object, ObjectManager* manager, const char* name) {
    if (!manager) return;
    if (Quorvex::RenderStage* stage = manager->GetRenderStage(name)) object->AttachStage(stage);
}

Quorvex::IResourceManager* ResourcesOf(ObjectManager* manager) {
    return manager ? manager->GetResourceManager() : nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// SkyDome_Flare

SkyDome_Flare::SkyDome_Flare(ObjectManager* objectManager)
    : Quorvex::RenderObject(objectManager, objectManager ? 3 : 0) {
    JoinStage(this, objectManager, "Sprite3DBg");
    m_sprite.SetMaterial(FindTerrainMaterial(ResourcesOf(objectManager), "matFlare"));
    m_sprite.color = 0xFFFFA080;
    m_sprite.width = m_sprite.height = 1.0f;
    m_sprite.position = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    m_sprite.uv[0] = D3DXVECTOR2(0.01f, 0.01f);
    m_sprite.uv[1] = D3DXVECTOR2(0.99f, 0.01f);
    m_sprite.uv[2] = D3DXVECTOR2(0.01f, 0.99f);
    m_sprite.uv[3] = D3DXVECTOR2(0.99f, 0.99f);
    m_sprite.rotation = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
}

float SkyDome_Flare::GetDrawPriority() {
    SetDrawPriority(kDrawPriority);
    return kDrawPriority;
}

void SkyDome_Flare::Place(const D3DXVECTOR3& eye, const D3DXVECTOR3& lookAt, const D3DXVECTOR3& lightDirection,
                          float elapsed) {
    D3DXVECTOR3 light = lightDirection;
    D3DXVec3Normalize(&light, &light);
    m_sprite.position = eye - 100.0f * light;
    D3DXVECTOR3 view = lookAt - eye;
    D3DXVec3Normalize(&view, &view);
    const float c = D3DXVec3Dot(&view, &light);
    const float c2 = c * c, c4 = c2 * c2;
    const float k = c4 * c4;  // an even power: looking into the light or away from it gives 1
    m_sprite.width = m_sprite.height = 25.0f * (1.0f + 5.0f * k);
    m_sprite.rotation.x += elapsed * kFlareSpin;
}

void SkyDome_Flare::Render(Quorvex::CalcVertexSet* list) {
    ObjectManager* manager = list ? list->owner : nullptr;
    if (!manager) return;
    const Quorvex::CameraRecord& camera = manager->GetCamera();
    Quorvex::IResourceManager* resources = manager->GetResourceManager();
    Quorvex::RenderParameter* parameters = resources ? resources->GetRenderParameter() : nullptr;
    const D3DXVECTOR3 light = parameters ? D3DXVECTOR3(parameters->m_lightDirection.x, parameters->m_lightDirection.y,
                                                       parameters->m_lightDirection.z)
                                         : D3DXVECTOR3(0.0f, -1.0f, 0.0f);
    Place(camera.eye, camera.at, light, ElapsedRenderTime());
    Quorvex::PushRenderStatePreset(list, 3);
    Quorvex::PushBillboard(list, m_sprite);
}

// ---------------------------------------------------------------------------
// SkyDome

SkyDome::SkyDome(ObjectManager* objectManager)
    : Quorvex::RenderObject(objectManager, objectManager ? 3 : 0), m_pObjectManager(objectManager) {
    JoinStage(this, objectManager, "SolidModelBg");
    Quorvex::IResourceManager* resources = ResourcesOf(objectManager);
    m_layerB.SetMesh(resources, "SkyDome");
    m_layerA.SetMesh(resources, "SkyDome");
    Quorvex::MeshUnit* mesh = m_layerB.GetMesh();
    Quorvex::AdditionalMaterial::Attach(FindTerrainMaterial(resources, "matSkyNight"), &m_normalSource, mesh,
                                        "Mesh_SkyDome");
    Quorvex::AdditionalMaterial::Attach(FindTerrainMaterial(resources, "matSkyWhite"), &m_type5Source, mesh,
                                        "Mesh_SkyDome");

    // The presets reach the dome's layers and sources through these.
    m_pLayers[LayerB] = &m_layerB.m_materialLayers;
    m_pLayers[LayerA] = &m_layerA.m_materialLayers;
    m_pNormalSource = &m_normalSource;
    m_pType5Source = &m_type5Source;

    m_pFlare = new SkyDome_Flare(objectManager);
    m_pFlare->AddRef();
    m_pFlare->Initialize(0);
    m_pTintTarget = &m_pFlare->m_sprite.color;
    SetDrawPriority(kDrawPriority);
}

SkyDome::~SkyDome() {
    m_pTintTarget = nullptr;
    if (m_pFlare) {
        m_pFlare->RequestRemove(true);
        m_pFlare->Release();
        m_pFlare = nullptr;
    }
}

float SkyDome::GetDrawPriority() {
    SetDrawPriority(kDrawPriority);
    return kDrawPriority;
}

void SkyDome::Render(Quorvex::CalcVertexSet* list) {
    Quorvex::PushRenderStatePreset(list, 2);
    Quorvex::PushDrawObject(list, this);
}

void SkyDome::Draw() {
    m_rotation.y += ElapsedRenderTime() * kYawRate;
    const D3DXVECTOR3 eye = m_pObjectManager ? m_pObjectManager->GetCamera().eye : D3DXVECTOR3(0, 0, 0);
    const D3DXVECTOR3 at = eye + m_offset;
    D3DXMATRIX rotation, translation, world;
    D3DXMatrixRotationYawPitchRoll(&rotation, m_rotation.y, m_rotation.x, m_rotation.z);
    D3DXMatrixTranslation(&translation, at.x, at.y, at.z);
    D3DXMatrixMultiply(&world, &rotation, &translation);

    IDirect3DDevice9* device = GetDevice();
    if (device) device->SetRenderState(D3DRS_ZENABLE, FALSE);
    Quorvex::DrawMeshInfo(m_layerB, world);
    // The dome blends by source alpha (preset 2) with depth off: layer A at
    // alpha 0 leaves every pixel as it was, so it is not drawn.
    Quorvex::MeshUnit* mesh = m_blend[4] != 0.0f ? m_layerA.GetMesh() : nullptr;
    if (mesh) {
        // Both layers share the mesh: its colour is layer A's only while A draws.
        mesh->m_colour = D3DXVECTOR4(m_blend[1], m_blend[2], m_blend[3], m_blend[4]);
        Quorvex::DrawMeshInfo(m_layerA, world);
        mesh->m_colour = D3DXVECTOR4(1.0f, 1.0f, 1.0f, 1.0f);
    }
    if (device) device->SetRenderState(D3DRS_ZENABLE, TRUE);
}
