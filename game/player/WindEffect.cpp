#include "game/player/WindEffect.h"

#include <cmath>

#include "engine/core/AreaPos.h"
#include "engine/core/Utility.h"
#include "engine/core/render/DrawBuilders.h"
#include "game/player/PlayerResources.h"

WindEffect::WindEffect(Quorvex::IObjectManager* manager)
    : Quorvex::RenderObject(manager, 0), m_streaks(kStreakCount) {}

WindEffect::~WindEffect() = default;

int WindEffect::Initialize(int) {
    m_sprite.Init();
    m_sprite.SetMaterial(FindMaterial(GetManager(), "matEffect2D"));
    m_sprite.uv[0] = D3DXVECTOR2(0.01f, 0.51f);
    m_sprite.uv[1] = D3DXVECTOR2(0.49f, 0.51f);
    m_sprite.uv[2] = D3DXVECTOR2(0.01f, 0.99f);
    m_sprite.uv[3] = D3DXVECTOR2(0.49f, 0.99f);
    JoinRenderStage(this, "Sprite2D");
    return 0;
}

float WindEffect::Strength() const { return std::fmin(D3DXVec3Length(&wind) / 628.0f, 1.0f); }

int WindEffect::AlphaAt(float depth, float s) {
    if (s <= 0.0f) return 0;
    const float near = 1.0f - std::fmin(std::fabs(depth) / (300.0f * s), 1.0f);
    return static_cast<int>(near * near * s * 16.0f);
}

int WindEffect::Step(float dt) {
    const float s = Strength();
    m_spawnClock += dt;
    while (m_spawnClock >= 0.01f) {
        m_spawnClock -= 0.01f;
        for (Streak& streak : m_streaks) {
            if (streak.active) continue;
            streak.active = true;
            streak.age = 0.0f;
            streak.angle = Quorvex::RandomFloat() * 2.0f * D3DX_PI;
            streak.start = D3DXVECTOR2(std::cos(streak.angle), std::sin(streak.angle));
            streak.depth = 300.0f * s;
            break;
        }
    }
    int active = 0;
    for (Streak& streak : m_streaks) {
        if (!streak.active) continue;
        streak.color = (static_cast<D3DCOLOR>(AlphaAt(streak.depth, s)) << 24) | 0x00FFFFFF;
        streak.depth += wind.z * dt;
        streak.length = 0.2f * std::fmax(s, 0.1f);
        streak.age += dt;
        if (streak.age > 3.0f || streak.depth < -300.0f * s) {
            streak.active = false;
            continue;
        }
        ++active;
    }
    return active;
}

void WindEffect::Render(Quorvex::CalcVertexSet* list) {
    Step(GetElapsedRenderTime());
    const float s = Strength();
    Quorvex::PushRenderStatePreset(list, 3);
    for (const Streak& streak : m_streaks) {
        if (!streak.active || (streak.color >> 24) == 0) continue;
        // Nearer streaks stand farther out from the view centre.
        const float reach = s > 0.0f ? 1.0f - streak.depth / (300.0f * s) : 0.0f;
        const float radius = 0.15f + 0.4f * reach;
        m_sprite.x = Quorvex::g_HalfAspect + streak.start.x * radius;
        m_sprite.y = 0.5f + streak.start.y * radius;
        m_sprite.width = 0.004f;
        m_sprite.height = streak.length;
        m_sprite.angle = streak.angle + 0.5f * D3DX_PI;
        m_sprite.color = streak.color;
        Quorvex::PushSprite2D(list, m_sprite);
    }
}
