#include "game/play/Hud_PartBase.h"

#include <cmath>

#include "engine/core/Environment.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/ObjectManager.h"
#include "game/world/effects/EffectSupport.h"

using namespace Quorvex;

namespace {

constexpr float kTwoPi = 6.28318530718f;
constexpr float kBarWidth = 512.0f;
constexpr float kBarHeight = 24.0f;
// The Zenk frame picture is 1024 wide; only the part up to the layout's right
// edge is drawn, so on wider clients it does not run past the layout.
constexpr float kZenkFrameTexels = 1024.0f;
constexpr float kZenkFrameWidth = ScreenLayout::kWidth - 670.0f;

float Clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

void PrepareSprite(Sprite2DInfo& sprite, ObjectManager* manager) {
    sprite.SetMaterial(FindMaterial(manager, "matHud"));
    sprite.color = 0xFFFFFFFF;
    sprite.angle = 0.0f;
    sprite.centered = 0;
    sprite.sizeAsStored = 1;
}

void Place(Sprite2DInfo& sprite, float x, float y, float w, float h) {
    ScreenLayout::Current().Place(sprite, x, y, w, h);
}

}  // namespace

Hud_PartBase::Hud_PartBase(ObjectManager* manager) : RenderObject(manager, 0) { PrepareSprite(m_sprite, manager); }

Hud_PartBase::~Hud_PartBase() = default;

D3DXVECTOR4 Hud_PartBase::SetGaugeColor(float fill) {
    if (fill < 0.2f) return D3DXVECTOR4(1.0f, 0.0f, 0.0f, 1.0f);
    if (fill < 0.6f) return D3DXVECTOR4(1.0f, 0.8f, 0.5f, 1.0f);
    return D3DXVECTOR4(0.8f, 0.8f, 0.8f, 1.0f);
}

void Hud_PartBase::ShowInSprite2D() {
    if (RenderStage* stage = FindStage(GetManager(), "Sprite2D")) {
        if (stage != GetRenderStage()) AttachStage(stage);
    }
}

Hud_Gauge::Hud_Gauge(ObjectManager* manager, float baseX, float baseY)
    : Hud_PartBase(manager), m_baseX(baseX), m_baseY(baseY) {
    PrepareSprite(m_bar, manager);
}

Hud_Gauge::~Hud_Gauge() = default;

void Hud_PartBase::UpdateGaugeColor(float value, Sprite2DInfo& bar) {
    const D3DXVECTOR4 c = SetGaugeColor(value);
    const float elapsed = g_pEnvironment ? g_pEnvironment->GetElapsedTime() : 0.0f;
    m_flashPhase = std::fmod(m_flashPhase + elapsed, kTwoPi);
    if (m_flashPhase < 0.0f) m_flashPhase += kTwoPi;
    const float s = std::sin(kTwoPi * m_flashPhase);
    bar.color = D3DCOLOR_ARGB(255, ColorByte(c.x + s * (1.0f - c.x)), ColorByte(c.y + s * (1.0f - c.y)),
                                ColorByte(c.z + s * (1.0f - c.z)));
    m_sprite.color = D3DCOLOR_ARGB(ColorByte(c.w), ColorByte(c.x), ColorByte(c.y), ColorByte(c.z));
}

void Hud_Gauge::Render(CalcVertexSet* list) {
    SetFill(m_value);
    UpdateGaugeColor(m_value, m_bar);
    PushRenderStatePreset(list, 2);
    PushSprite2D(list, m_sprite);
    PushSprite2D(list, m_bar);
}

Hud_Life::Hud_Life(ObjectManager* manager) : Hud_Life(manager, 30.0f, 630.0f, 0.0f, 0.03125f) {}

Hud_Life::Hud_Life(ObjectManager* manager, float baseX, float baseY, float vTop, float vBottom)
    : Hud_Gauge(manager, baseX, baseY), m_cellTop(vTop), m_cellBottom(vBottom) {
    Place(m_sprite, baseX, baseY, kBarWidth, kBarHeight);
    SetSpriteCell(m_sprite, 0.5f, 1.0f, vTop, vBottom);
    SetFill(0.0f);
    ShowInSprite2D();
}

void Hud_Life::SetFill(float value) {
    const float f = Clamp01(value);
    const float width = kBarWidth * f;
    Place(m_bar, m_baseX + kBarWidth - width, m_baseY, width, kBarHeight);
    SetSpriteCell(m_bar, 0.5f * (1.0f - f), 0.5f, m_cellTop, m_cellBottom);
}

// Centred: half the layout width less half the bar.
Hud_TargetLife::Hud_TargetLife(ObjectManager* manager)
    : Hud_Life(manager, ScreenLayout::kWidth * 0.5f - kBarWidth * 0.5f, 90.0f, 0.0f, 0.03125f) {}

void Hud_TargetLife::Render(CalcVertexSet* list) {
    if (m_value < 0.0f) return;
    Hud_Life::Render(list);
}

Hud_Booster::Hud_Booster(ObjectManager* manager) : Hud_Life(manager, 30.0f, 656.0f, 0.125f, 0.15625f) {}

Hud_ZenkMode::Hud_ZenkMode(ObjectManager* manager) : Hud_Gauge(manager, 670.0f, 630.0f) {
    Place(m_sprite, m_baseX, m_baseY, kZenkFrameWidth, 48.0f);
    SetFill(0.0f);
    ShowInSprite2D();
}

void Hud_ZenkMode::SetFill(float value) {
    const float f = Clamp01(value);
    const bool full = value >= 1.0f;
    SetSpriteCell(m_sprite, 0.0f, kZenkFrameWidth / kZenkFrameTexels, full ? 0.625f : 0.5f, full ? 0.6875f : 0.5625f);
    Place(m_bar, m_baseX + 32.0f, m_baseY + 24.0f, kBarWidth * f, kBarHeight);
    const float r = f < 1.0f ? 0.46875f : 0.59375f;
    SetSpriteCell(m_bar, 0.03125f, 0.03125f + 0.5f * f, r, r + 0.03125f);
}
