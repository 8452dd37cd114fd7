#include "game/screen/NumberRenderer.h"

#include "engine/assets/MaterialUnit.h"
#include "engine/core/Utility.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderStage.h"
#include "game/screen/GraphicUnits.h"
#include "game/world/effects/EffectSupport.h"

using namespace Quorvex;

NumberRenderer::NumberRenderer(ObjectManager* manager, DWORD flags) : RenderObject(manager, flags) {
    MaterialUnit* hud = FindMaterial(manager, "matHud");
    for (Sprite2DInfo& sprite : m_digits) {
        sprite.SetMaterial(hud);
        sprite.x = 0.0f;
        sprite.y = 0.0f;
        sprite.color = 0xFF80FF80;
        sprite.width = 0.0f;
        sprite.height = 0.0f;
        sprite.angle = 0.0f;
        sprite.centered = 0;
        sprite.sizeAsStored = 1;
        SetDigitCell(sprite, 0);
    }
}

NumberRenderer::~NumberRenderer() = default;

void NumberRenderer::SetDigitCell(Sprite2DInfo& sprite, int digit) {
    const float u0 = static_cast<float>(digit) / 32.0f;
    const float u1 = static_cast<float>(digit + 1) / 32.0f;
    SetSpriteCell(sprite, u0, u1, 0.159375f, 0.21875f);
}

void NumberRenderer::Show(float x, float y, float w, float h, D3DCOLOR color) {
    LayoutDigits(x, y, w * 14.0f / 16.0f, 0.0f, w, h, color);
    if (RenderStage* stage = FindStage(GetManager(), "Sprite2D")) {
        if (stage != GetRenderStage()) AttachStage(stage);
    }
    m_visible = 1;
}

void NumberRenderer::LayoutDigits(float x, float y, float pitchX, float pitchY, float w, float h, D3DCOLOR color) {
    m_originX = x;
    m_originY = y;
    const float shift =
        m_leftAligned ? -pitchX * static_cast<float>(DigitSprites - DigitCount64(m_value)) : 0.0f;
    for (int i = 0; i < DigitSprites; ++i) {
        Sprite2DInfo& sprite = m_digits[i];
        sprite.x = x + pitchX * static_cast<float>(i) + shift;
        sprite.y = y + pitchY * static_cast<float>(i);
        sprite.width = w;
        sprite.height = h;
        sprite.color = color;
    }
}

void NumberRenderer::Render(CalcVertexSet* list) {
    if (!m_visible) return;
    PushRenderStatePreset(list, 2);
    DrawDigits(list, m_value, m_minDigits);
}

void NumberRenderer::DrawDigits(CalcVertexSet* list, int64_t value, int minDigits) {
    for (int i = 1; i <= DigitSprites; ++i) {
        // A negative value (none is expected) shows its magnitude's digits
        // rather than cells left of the atlas's zero.
        int digit = static_cast<int>(value % 10);
        if (digit < 0) digit = -digit;
        Sprite2DInfo& sprite = m_digits[DigitSprites - i];
        SetDigitCell(sprite, digit);
        PushSprite2D(list, sprite);
        value /= 10;
        if (i >= minDigits && value == 0) break;
    }
}
