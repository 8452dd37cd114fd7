#include "game/play/Pause_Title.h"

#include <cmath>

#include "engine/core/Utility.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderStage.h"
#include "game/screen/GraphicUnits.h"

using namespace Quorvex;

namespace {
}

Pause_Title::Pause_Title(ObjectManager* manager) : RenderObject(manager, CreateRegister) {}

Pause_Title::~Pause_Title() { Hide(); }

int Pause_Title::Initialize(int) {
    PrepareMenuSprite(m_sprite, GetManager(), true);
    m_sprite.x = LayoutFromPixels(640.0f);
    m_sprite.y = LayoutFromPixels(128.0f);
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
    m_sprite.width = LayoutFromPixels(width);
    m_sprite.height = LayoutFromPixels(96.0f);
    SetSpriteCell(m_sprite, u0, u1, 0.0f, 0.09375f);
}

void Pause_Title::Show() {
    JoinSprite2DStage(this);
    m_phase = 0.0f;
}

void Pause_Title::Hide() {
    if (RenderStage* stage = GetRenderStage()) stage->SubObject(this);
}

void Pause_Title::Update(float timeStep) {
    if (!m_active) return;
    if (m_type == 1) {
        m_phase = WrapAngle(m_phase + timeStep * D3DX_PI / 2.0f);
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
