#include "game/player/OverTheSonic.h"

#include <cmath>

#include "engine/core/render/DrawBuilders.h"
#include "game/player/PlayerResources.h"

OverTheSonic::OverTheSonic(Quorvex::IObjectManager* manager)
    : Quorvex::RenderObject(manager, 0), m_sprites(kSpriteCount) {}

OverTheSonic::~OverTheSonic() = default;

int OverTheSonic::Initialize(int) {
    Quorvex::MaterialUnit* material = FindMaterial(GetManager(), "matEffect2D");
    for (Quorvex::Sprite2DInfo& sprite : m_sprites) {
        sprite.Init();
        sprite.SetMaterial(material);
        sprite.uv[0] = D3DXVECTOR2(0.01f, 0.51f);
        sprite.uv[1] = D3DXVECTOR2(0.49f, 0.51f);
        sprite.uv[2] = D3DXVECTOR2(0.01f, 0.99f);
        sprite.uv[3] = D3DXVECTOR2(0.49f, 0.99f);
        sprite.color = 0x00FFFFFF;
    }
    JoinRenderStage(this, "Sprite2D");
    return 0;
}

void OverTheSonic::Start(float x, float y, float seconds) {
    center = D3DXVECTOR2(x, y);
    age = 0.0f;
    duration = seconds;
}

int OverTheSonic::AlphaAt(float t) {
    const float a = (1.0f - 2.0f * std::fabs(t - 0.5f)) * 32.0f;
    return a > 0.0f ? static_cast<int>(a) : 0;
}

// The growth factor t x 100 x 0.1 counts in hundredths of the screen height:
// taken as screen units (heights) it would throw the sprites about ten
// screen heights out, off the screen from the first frames, so it is scaled
// by 0.01 and the ring opens to about a tenth of the screen height.
float OverTheSonic::Spread(float t) { return t * 100.0f * 0.1f * 0.01f; }

void OverTheSonic::Layout(float t) {
    const D3DCOLOR color = (static_cast<D3DCOLOR>(AlphaAt(t)) << 24) | 0x00FFFFFF;
    for (int i = 0; i < kSpriteCount; ++i) {
        const float a = i * 2.0f * D3DX_PI / kSpriteCount;
        Quorvex::Sprite2DInfo& sprite = m_sprites[i];
        sprite.x = center.x + std::cos(a) * Spread(t) * (size.x * 0.5f + kCentreX);
        sprite.y = center.y + std::sin(a) * Spread(t) * (size.y * 0.5f + 0.5f);
        sprite.width = size.x;
        sprite.height = size.y;
        sprite.angle = a;
        sprite.color = color;
    }
}

void OverTheSonic::Render(Quorvex::CalcVertexSet* list) {
    if (duration <= 0.0f || age > duration) return;
    age += GetElapsedRenderTime();
    Layout(std::fmin(age / duration, 1.0f));
    Quorvex::PushRenderStatePreset(list, 3);
    for (const Quorvex::Sprite2DInfo& sprite : m_sprites) Quorvex::PushSprite2D(list, sprite);
}
