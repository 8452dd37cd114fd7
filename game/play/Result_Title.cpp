#include "game/play/Result_Title.h"

#include <cmath>

#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderStage.h"
#include "game/play/Hud_PartBase.h"
#include "game/world/effects/EffectSupport.h"

using namespace Quorvex;

namespace {

constexpr float kTwoPi = 6.28318530718f;

void SetUp(Sprite2DInfo& sprite, ObjectManager* manager, float x, float y, float w, float h, BYTE centred) {
    sprite.SetMaterial(FindMaterial(manager, "matHud2"));
    ScreenLayout::Current().Place(sprite, x, y, w, h);
    sprite.color = 0xFFFFFFFF;
    sprite.angle = 0.0f;
    sprite.centered = centred;
    sprite.sizeAsStored = 1;
}

}  // namespace

Result_Title::Result_Title(ObjectManager* manager, int) : RenderObject(manager, CreateRegister) {}

Result_Title::Result_Title(ObjectManager* manager) : Result_Title(manager, 0) {
    SetUp(m_sprite, manager, 640.0f, 100.0f, 544.0f, 96.0f, 1);
    SetSpriteCell(m_sprite, 0.0f, 0.53125f, 0.09375f, 0.1875f);
}

Result_Title::~Result_Title() = default;

void Result_Title::Show() {
    m_phase = 0.0f;
    m_active = 1;
    if (RenderStage* stage = FindStage(GetManager(), "Sprite2D")) {
        if (stage != GetRenderStage()) AttachStage(stage);
    }
}

void Result_Title::Hide() {
    m_active = 0;
    if (RenderStage* stage = GetRenderStage()) stage->SubObject(this);
}

void Result_Title::Render(CalcVertexSet* list) {
    PushRenderStatePreset(list, 2);
    PushSprite2D(list, m_sprite);
}

Result_NextStage::Result_NextStage(ObjectManager* manager) : Result_Title(manager, 0) {
    SetUp(m_sprite, manager, 650.0f, 450.0f, 240.0f, 48.0f, 0);
    SetSpriteCell(m_sprite, 0.125f, 0.4375f, 0.375f, 0.4375f);
}

void Result_NextStage::Update(float dt) {
    if (!m_active) return;
    m_phase = std::fmod(m_phase + kTwoPi * dt, kTwoPi);
    if (m_phase < 0.0f) m_phase += kTwoPi;
    const BYTE b = ColorByte(std::sin(m_phase) * 0.25f + 0.75f);
    m_sprite.color = D3DCOLOR_ARGB(b, b, b, b);
}
