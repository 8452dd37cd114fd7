#include "game/world/effects/LightObject.h"

#include <cwchar>
#include <vector>

#include "engine/assets/ResourceManager.h"
#include "engine/core/Environment.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/RenderStage.h"
#include "game/state/Environment2.h"
#include "game/world/effects/EffectSupport.h"

using Quorvex::AreaPos;

namespace {

constexpr float kLightDrawPriority = 99999992.0f;

void SetDefault(LightObject::PointLight& entry) {
    entry.enabled = 0;
    entry.position = D3DXVECTOR3(-50.0f, 50.0f, -50.0f);
    entry.power = 100.0f;
    entry.minLength = 10.0f;
    entry.maxLength = 100.0f;
}

}  // namespace

LightObject* GetCurrentLight() { return g_pEnvironment2 ? g_pEnvironment2->lightObject : nullptr; }

LightObject::LightObject(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                         const AreaPos& position)
    : Object3D(objectManager, areaManager, position) {
    if (Quorvex::ObjectManager* manager = AsObjectManager(objectManager))
        m_pResourceManager = manager->GetResourceManager();
}

LightObject::~LightObject() {
    std::set<PointLight*> lights;
    {
        std::lock_guard<std::mutex> lock(m_lightLock);
        lights.swap(m_pointLights);
    }
    for (PointLight* light : lights) delete light;
    // The game state's reference is what kept this light; when it still
    // names it here, that reference is already being given back.
    if (g_pEnvironment2 && g_pEnvironment2->lightObject == this) g_pEnvironment2->lightObject = nullptr;
}

int LightObject::Initialize(int) {
    SetUpdatePriority(400);
    if (Quorvex::RenderStage* stage = FindStage(GetManager(), "Begin")) {
        if (stage != GetRenderStage()) AttachStage(stage);
    }
    m_refPos = m_areaPos.ToWorld();
    UpdateLight();
    // The new light is stored before the old one is released.
    if (g_pEnvironment2) g_pEnvironment2->SetLightObject(this);
    return 0;
}

void LightObject::Update(float timeStep) {
    Object3D::Update(timeStep);
    SetDrawPriority(kLightDrawPriority);
    UpdateLight();
}

float LightObject::GetDrawPriority() { return Quorvex::RenderObject::GetDrawPriority(); }

void LightObject::Render(Quorvex::CalcVertexSet* list) {
    UpdateLight();
    Quorvex::PushDrawObject(list, this);
}

void LightObject::Draw() { UpdateLight(); }

Quorvex::RenderParameter* LightObject::GetRenderParameter() const {
    return m_pResourceManager ? m_pResourceManager->GetRenderParameter() : nullptr;
}

void LightObject::UpdateLight() {
    AreaPos position = g_pEnvironment2 ? g_pEnvironment2->centerInfo.pos : m_areaPos;
    position.Add(m_refPos);
    m_areaPos = position;

    Quorvex::RenderParameter* parameter = GetRenderParameter();
    if (!parameter) return;
    parameter->m_lightPosition = position.ToWorld();
    const D3DXVECTOR4 toCentre(-m_refPos.x, -m_refPos.y, -m_refPos.z, 1.0f);
    D3DXVec4Normalize(&parameter->m_lightDirection, &toCentre);

    std::lock_guard<std::mutex> lock(m_lightLock);
    auto it = m_pointLights.begin();
    for (PointLight& entry : parameter->m_pointLights) {
        if (it != m_pointLights.end())
            entry = **it++;
        else
            SetDefault(entry);
    }
}

bool LightObject::AddPointLight(PointLight* light) {
    if (!light) return false;
    std::lock_guard<std::mutex> lock(m_lightLock);
    return m_pointLights.insert(light).second;
}

bool LightObject::RemovePointLight(PointLight* light) {
    {
        std::lock_guard<std::mutex> lock(m_lightLock);
        if (!m_pointLights.erase(light)) return false;
    }
    delete light;
    return true;
}

int LightObject::GetPointLightCount() const {
    std::lock_guard<std::mutex> lock(m_lightLock);
    return static_cast<int>(m_pointLights.size());
}

void LightObject::PrintSystemInfo() {
    if (!Quorvex::g_pEnvironment) return;
    const Quorvex::Int3 cell = m_areaPos.GetCell();
    const D3DXVECTOR3 world = m_areaPos.ToWorld();
    wchar_t text[512];
    std::swprintf(text, sizeof(text) / sizeof(text[0]),
                  L"area:[ %d, %d, %d ] Pos:[ %.3f, %.3f, %.3f ] RefPos:[ %.3f, %.3f, %.3f ] \r\n", cell.x, cell.y,
                  cell.z, m_areaPos.x.offset, m_areaPos.y.offset, m_areaPos.z.offset, world.x, world.y, world.z);
    Quorvex::g_pEnvironment->AppendInfoText(L"------ LightObject ------\r\n");
    Quorvex::g_pEnvironment->AppendInfoText(text);
}

IUnknown* CountedOf(LightObject* light) { return light; }
