#include "game/flow/Pause_Title.h"

#include <cmath>

#include "engine/core/Utility.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderStage.h"
#include "game/flow/GraphicUnits.h"

using namespace Quorvex;

namespace {
constexpr float kPi = 3.14159265358979f;
}

Pause_Title::Pause_Title(ObjectManager* manager) : RenderObject(manager, CreateRegister) {}

Pause_Title::~Pause_Title() { Hide(); }

int Pause_Title::Initialize(int) {
    m_sprite.SetMaterial(FindGraphicMaterial(GetManager(), "matHud2"));
    m_sprite.x = LayoutFromPixels(640.0f);
    m_sprite.y = LayoutFromPixels(128.0f);
    m_sprite.color = 0xFFFFFFFF;
    m_sprite.angle = 0.0f;
    m_sprite.centered = 1;
    m_sprite.sizeAsStored = 1;
    SetType(1);
    SetDrawPriority(0.0f);
    return 0;
}

void Pause_Title::SetType(int type) {
    float width = 0.0f, u0 = 0.0f, u1 = 0.0f;
    if (type == 1) {
        width = 128.0f, u0 = 0.5f, u1 = 0.75f;
    } else if (type == 2) {
        width = 512.0f, u0 = 0.0f, u1 = 0.5f;
    }
    m_type = type;
    m_active = (type == 1 || type == 2);
    if (!m_active) return;
    const float v0 = 0.0f, v1 = 0.09375f;
    m_sprite.width = LayoutFromPixels(width);
    m_sprite.height = LayoutFromPixels(96.0f);
    m_sprite.uv[0] = D3DXVECTOR2(u0, v1);
    m_sprite.uv[1] = D3DXVECTOR2(u1, v1);
    m_sprite.uv[2] = D3DXVECTOR2(u0, v0);
    m_sprite.uv[3] = D3DXVECTOR2(u1, v0);
}

void Pause_Title::Show() {
    auto* manager = dynamic_cast<ObjectManager*>(GetManager());
    RenderStage* stage = manager ? manager->GetRenderStage("Sprite2D") : nullptr;
    if (stage && stage != GetRenderStage()) AttachStage(stage);
    m_phase = 0.0f;
}

void Pause_Title::Hide() {
    if (RenderStage* stage = GetRenderStage()) stage->SubObject(this);
}

void Pause_Title::Update(float timeStep) {
    if (!m_active) return;
    if (m_type == 1) {
        m_phase = WrapAngle(m_phase + timeStep * kPi / 2.0f);
        m_sprite.color = WhiteWithAlpha(std::sin(m_phase) * 0.5f + 0.5f);
    } else {
        m_sprite.color = 0xFFFFFFFF;
        m_phase = 0.0f;
    }
}

void Pause_Title::Render(CalcVertexSet* list) {
    if (!m_active || !m_sprite.GetMaterial()) return;
    PushRenderStatePreset(list, m_type == 1 ? 3 : 2);
    PushSprite2D(list, m_sprite);
}
