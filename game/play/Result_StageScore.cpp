#include "game/play/Result_StageScore.h"

#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderStage.h"
#include "game/play/Hud_PartBase.h"
#include "game/world/effects/EffectSupport.h"

using namespace Quorvex;

Result_StageScore::Result_StageScore(ObjectManager* manager, float y, float w, float u0, float u1, float vTop,
                                     float vBottom)
    : NumberRenderer(manager) {
    m_label.SetMaterial(FindMaterial(manager, "matHud2"));
    ScreenLayout::Current().Place(m_label, 410.0f, y, w, 48.0f);
    m_label.color = 0xFFFFFFFF;
    m_label.angle = 0.0f;
    m_label.centered = 0;
    m_label.sizeAsStored = 1;
    SetSpriteCell(m_label, u0, u1, vTop, vBottom);
}

Result_StageScore::Result_StageScore(ObjectManager* manager)
    : Result_StageScore(manager, 190.0f, 192.0f, 0.0f, 0.25f, 0.253125f, 0.309375f) {}

Result_StageScore::~Result_StageScore() = default;

void Result_StageScore::Show(float x, float y, float w, float h, D3DCOLOR color) {
    NumberRenderer::Show(x, y, w, h, color);
    m_minDigits = 1;
}

void Result_StageScore::Show() {
    const ScreenLayout layout = ScreenLayout::Current();
    Show(layout.X(510.0f), m_label.y, layout.Width(20.0f), layout.Height(40.0f), 0xFFFFFFFF);
}

void Result_StageScore::Hide() {
    if (RenderStage* stage = GetRenderStage()) stage->SubObject(this);
    m_visible = 0;
}

void Result_StageScore::Render(CalcVertexSet* list) {
    NumberRenderer::Render(list);
    PushRenderStatePreset(list, 2);
    PushSprite2D(list, m_label);
}

Result_StageShotDown::Result_StageShotDown(ObjectManager* manager)
    : Result_StageScore(manager, 260.0f, 168.0f, 0.25f, 0.46875f, 0.315625f, 0.371875f) {}

Result_StageGraze::Result_StageGraze(ObjectManager* manager)
    : Result_StageScore(manager, 330.0f, 96.0f, 0.0f, 0.125f, 0.378125f, 0.434375f) {}

Result_TotalScore::Result_TotalScore(ObjectManager* manager)
    : Result_StageScore(manager, 400.0f, 192.0f, 0.0f, 0.25f, 0.315625f, 0.371875f) {}
