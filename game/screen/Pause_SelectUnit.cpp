#include "game/screen/Pause_SelectUnit.h"

#include <cmath>

#include "engine/core/Utility.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderStage.h"
#include "game/screen/GraphicUnits.h"

using namespace Quorvex;

namespace {
}

Pause_SelectUnit::Pause_SelectUnit(ObjectManager* manager) : RenderObject(manager, CreateRegister) {}

Pause_SelectUnit::~Pause_SelectUnit() { Pause_SelectUnit::Hide(); }

int Pause_SelectUnit::Initialize(int) {
    const D3DXVECTOR2 origin(0.0f, 0.0f);
    return Initialize(&origin);
}

int Pause_SelectUnit::Initialize(const D3DXVECTOR2* position) {
    if (!position) return -1;
    PrepareMenuSprite(m_sprite, GetManager(), true);
    m_sprite.x = position->x;
    m_sprite.y = position->y;
    SetType(1);
    SetDrawPriority(static_cast<float>(kDrawPriority));
    return 0;
}

void Pause_SelectUnit::Finalize() { Hide(); }

void Pause_SelectUnit::Update(float timeStep) {
    if (m_type == 0) return;
    if (m_selected && m_enabled) {
        m_blinkPhase = WrapAngle(m_blinkPhase + timeStep * D3DX_PI);
        m_sprite.color = WhiteWithAlpha(std::sin(m_blinkPhase) * 0.25f + 0.75f);
    } else {
        m_sprite.color = kIdleColor;
        m_blinkPhase = 0.0f;
    }
}

void Pause_SelectUnit::Render(CalcVertexSet* list) {
    // Missing art is reported once at set-up and then not drawn.
    if (!m_sprite.GetMaterial()) return;
    PushRenderStatePreset(list, (m_selected && m_enabled) ? 3 : 2);
    PushSprite2D(list, m_sprite);
}

void Pause_SelectUnit::Show() {
    JoinSprite2DStage(this);
    m_blinkPhase = 0.0f;
    m_selected = false;
}

void Pause_SelectUnit::Hide() {
    if (RenderStage* stage = GetRenderStage()) stage->SubObject(this);
}

void Pause_SelectUnit::SetType(int type) {
    if (type == 1 || type == 2) SetPicture(LayoutFromPixels(96.0f), LayoutFromPixels(64.0f), 0.0f, 0.09375f, 0.5f, 0.5625f);
    m_type = type;
}

void Pause_SelectUnit::SetSelected(bool selected) { m_selected = selected; }
bool Pause_SelectUnit::IsSelected() const { return m_selected; }
void Pause_SelectUnit::SetEnabled(bool enabled) { m_enabled = enabled; }
bool Pause_SelectUnit::IsEnabled() const { return m_enabled; }

void Pause_SelectUnit::SetPicture(float width, float height, float u0, float u1, float v0, float v1) {
    m_sprite.width = width;
    m_sprite.height = height;
    SetSpriteCell(m_sprite, u0, u1, v0, v1);
}
