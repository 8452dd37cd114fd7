#include "game/world/terrain/EnemySpellBg.h"

#include "engine/assets/MeshUnit.h"
#include "engine/assets/ResourceManager.h"
#include "engine/core/Environment.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/DrawMeshInfo.h"
#include "engine/core/render/RenderStage.h"
#include "game/world/terrain/TerrainResources.h"

namespace {

constexpr float kYawRate = 0.17453294f;   // 10 degrees per second
constexpr float kRollRate = 0.08726647f;  // 5 degrees per second
constexpr float kFadeRate = 0.5f;         // a cross-fade takes two seconds
constexpr float kScale = 100.0f;

}  // namespace

EnemySpellBg::EnemySpellBg(Quorvex::ObjectManager* objectManager)
    : Quorvex::RenderObject(objectManager, objectManager ? 3 : 0), m_pObjectManager(objectManager) {
    if (objectManager) {
        if (Quorvex::RenderStage* stage = objectManager->GetRenderStage("SolidModelBg")) AttachStage(stage);
    }
    Quorvex::IResourceManager* resources = objectManager ? objectManager->GetResourceManager() : nullptr;
    m_first.SetMesh(resources, "EnemySpellBg");
    m_second.SetMesh(resources, "EnemySpellBg");
    Quorvex::AdditionalMaterial::Attach(FindTerrainMaterial(resources, "matNone"), &m_plainLayer, m_first.GetMesh(),
                                        "Mesh_enemy_spell_bg");
    SetDrawPriority(kDrawPriority);
    SetMode(0, 1, 1, 0.0f);
}

float EnemySpellBg::GetDrawPriority() {
    SetDrawPriority(kDrawPriority);
    return kDrawPriority;
}

void EnemySpellBg::ApplyMode(Quorvex::MeshInfo& sphere, int mode) {
    sphere.m_materialLayers.clear();
    if (mode == 1) sphere.m_materialLayers.push_back(m_plainLayer);
}

void EnemySpellBg::SetMode(BYTE fade, int firstMode, int secondMode, float t) {
    if (firstMode == kKeepMode) firstMode = m_firstMode;
    if (secondMode == kKeepMode) secondMode = m_firstMode;
    m_progress = t;
    m_fading = fade;
    if (firstMode != m_firstMode && (fade || t < 1.0f)) {
        ApplyMode(m_first, firstMode);
        m_firstMode = firstMode;
    }
    if (secondMode != m_secondMode && (fade || t > 0.0f)) {
        ApplyMode(m_second, secondMode);
        m_secondMode = secondMode;
    }
    m_firstColor = (1.0f - t) * m_baseColor;
    m_secondColor = t * m_baseColor;
}

void EnemySpellBg::AdvanceFade(float elapsed) {
    if (!m_fading || m_progress < 0.0f) return;
    const float progress = m_progress + elapsed * kFadeRate;
    if (progress < 1.0f) {
        SetMode(1, m_firstMode, m_secondMode, progress);
    } else {
        SetMode(1, m_secondMode, 0, 0.0f);
        m_progress = -1.0f;
    }
}

void EnemySpellBg::Render(Quorvex::CalcVertexSet* list) {
    Quorvex::PushRenderStatePreset(list, 2);
    Quorvex::PushDrawObject(list, this);
}

void EnemySpellBg::Draw() {
    const float elapsed = Quorvex::g_pEnvironment ? Quorvex::g_pEnvironment->GetElapsedTime() : 0.0f;
    AdvanceFade(elapsed);
    m_rotation.y += elapsed * kYawRate;
    m_rotation.z += elapsed * kRollRate;

    const D3DXVECTOR3 eye = m_pObjectManager ? m_pObjectManager->GetCamera().eye : D3DXVECTOR3(0, 0, 0);
    const D3DXVECTOR3 at = eye + m_offset;
    D3DXMATRIX scaling, rotation, translation, world;
    D3DXMatrixScaling(&scaling, kScale, kScale, kScale);
    D3DXMatrixRotationYawPitchRoll(&rotation, m_rotation.y, m_rotation.x, m_rotation.z);
    D3DXMatrixTranslation(&translation, at.x, at.y, at.z);
    D3DXMatrixMultiply(&world, &scaling, &rotation);
    D3DXMatrixMultiply(&world, &world, &translation);

    IDirect3DDevice9* device = GetDevice();
    if (device) device->SetRenderState(D3DRS_ZENABLE, FALSE);
    if (m_firstMode > 1 && m_first.GetMesh()) {
        m_first.GetMesh()->m_colour = m_firstColor;
        Quorvex::DrawMeshInfo(m_first, world);
    }
    if (m_secondMode > 1 && m_second.GetMesh()) {
        m_second.GetMesh()->m_colour = m_secondColor;
        Quorvex::DrawMeshInfo(m_second, world);
    }
    if (device) device->SetRenderState(D3DRS_ZENABLE, TRUE);
}
