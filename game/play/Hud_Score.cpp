#include "game/play/Hud_Score.h"

#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/ObjectManager.h"
#include "game/play/Hud_PartBase.h"
#include "game/world/effects/EffectSupport.h"

using namespace Quorvex;

namespace {
constexpr D3DCOLOR kScoreColor = 0xFF80FF80;
}

Hud_Score::Hud_Score(ObjectManager* manager) : NumberRenderer(manager) {
    m_label.SetMaterial(FindMaterial(manager, "matHud"));
    ScreenLayout::Current().Place(m_label, 30.0f, 30.0f, 72.0f, 32.0f);
    m_label.color = kScoreColor;
    m_label.angle = 0.0f;
    m_label.centered = 0;
    m_label.sizeAsStored = 1;
    SetSpriteCell(m_label, 0.34375f, 0.5f, 0.159375f, 0.21875f);
    Show();
}

Hud_Score::~Hud_Score() = default;

void Hud_Score::Show(float x, float y, float w, float h, D3DCOLOR color) {
    NumberRenderer::Show(x, y, w, h, color);
    m_minDigits = 1;
}

void Hud_Score::Show() {
    const ScreenLayout layout = ScreenLayout::Current();
    Show(layout.X(105.0f), layout.Y(30.0f), layout.Width(16.0f), layout.Height(32.0f), kScoreColor);
}

void Hud_Score::Render(CalcVertexSet* list) {
    NumberRenderer::Render(list);
    PushRenderStatePreset(list, 2);
    PushSprite2D(list, m_label);
}
