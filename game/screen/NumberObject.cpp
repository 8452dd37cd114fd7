#include "game/screen/NumberObject.h"

#include <string>

#include "engine/assets/Chara2D.h"
#include "engine/assets/ResourceManager.h"
#include "game/screen/ScreenLayout.h"

using namespace Quorvex;

NumberObject::NumberObject(IResourceManager* resources, ObjectManager* manager) : m_resources(resources) {
    m_group = RenderObjectSpr2DGroup::Create();
    const ScreenLayout layout = ScreenLayout::Current();
    for (int k = 0; k < kDigits; ++k) {
        RenderObjectSpr2D* sprite = RenderObjectSpr2D::Create(manager);
        if (!sprite) continue;
        sprite->SetRenderStage("Sprite2D");
        SetDigit(sprite, 0);
        sprite->m_sprite.color = 0xFFFFFFFF;
        sprite->Hide();
        m_digits[k] = sprite;
        m_group->Add(sprite, layout.Width(-kPitch * static_cast<float>(k)), 0.0f);
    }
}

NumberObject::~NumberObject() {
    for (RenderObjectSpr2D*& sprite : m_digits) {
        if (!sprite) continue;
        sprite->Hide();
        sprite->RequestRemove(true);
        sprite->Release();
        sprite = nullptr;
    }
    if (m_group) m_group->Release();
}

void NumberObject::SetPosition(float x, float y) {
    if (!m_group) return;
    const ScreenLayout layout = ScreenLayout::Current();
    for (const RenderObjectSpr2DGroup::Entry& entry : m_group->GetEntries()) {
        entry.sprite->m_sprite.x = layout.X(x) + entry.offsetX;
        entry.sprite->m_sprite.y = layout.Y(y) + entry.offsetY;
    }
}

void NumberObject::SetDigit(RenderObjectSpr2D* sprite, int digit) {
    if (!m_resources) return;
    const std::string id = "hud" + std::to_string(digit);
    if (Chara2D* cell = m_resources->GetChara2D(id.c_str())) sprite->m_sprite.SetChara2D(*cell);
    const ScreenLayout layout = ScreenLayout::Current();
    sprite->m_sprite.width = layout.Width(kCellSize);
    sprite->m_sprite.height = layout.Height(kCellSize);
}

void NumberObject::SetNumber(int value) {
    if (value == m_value) return;
    m_value = value;
    int power = 1;
    for (int k = 0; k < kDigits; ++k, power *= 10) {
        RenderObjectSpr2D* sprite = m_digits[k];
        if (!sprite) continue;
        const bool present = value >= 0 && (k == 0 || value / power != 0);
        if (!present) {
            sprite->Hide();
            continue;
        }
        SetDigit(sprite, (value / power) % 10);
        if (!sprite->IsShown()) sprite->Show();
    }
}
