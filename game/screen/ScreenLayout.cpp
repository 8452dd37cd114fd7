#include "game/screen/ScreenLayout.h"

#include <algorithm>

#include "engine/assets/Sprite2DInfo.h"
#include "engine/core/Environment.h"

using namespace Quorvex;

ScreenLayout ScreenLayout::Current() {
    const int width = g_pEnvironment ? g_pEnvironment->GetClientWidth() : 0;
    const int height = g_pEnvironment ? g_pEnvironment->GetClientHeight() : 0;
    const float aspect = g_pEnvironment ? g_pEnvironment->GetAspect() : kWidth / kHeight;
    if (width <= 0 || height <= 0) return ScreenLayout(kWidth, kHeight, aspect);
    return ScreenLayout(static_cast<float>(width), static_cast<float>(height), aspect);
}

ScreenLayout::ScreenLayout(float clientWidth, float clientHeight, float spriteAspect)
    : m_clientWidth(clientWidth > 0.0f ? clientWidth : kWidth),
      m_clientHeight(clientHeight > 0.0f ? clientHeight : kHeight),
      m_scale(std::min(m_clientWidth / kWidth, m_clientHeight / kHeight)),
      m_unitsPerClientX((spriteAspect > 0.0f ? spriteAspect : kWidth / kHeight) / m_clientWidth) {}

void ScreenLayout::Place(Sprite2DInfo& sprite, float x, float y, float w, float h) const {
    sprite.x = X(x);
    sprite.y = Y(y);
    sprite.width = Width(w);
    sprite.height = Height(h);
}
