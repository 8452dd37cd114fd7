// Speed streaks: short screen strokes that rush out from the view centre,
// brighter and longer the faster the wind (the machine's negated velocity).
#pragma once
#include <vector>

#include "engine/assets/Sprite2DInfo.h"
#include "engine/core/RenderObject.h"

class WindEffect : public Quorvex::RenderObject {
public:
    static constexpr int kStreakCount = 120;

    struct Streak {
        bool active = false;
        float depth = 0.0f;  // along the view axis, ahead of the camera
        D3DCOLOR color = 0;
        float length = 0.0f;
        float angle = 0.0f;  // around the view axis
        float age = 0.0f;
        D3DXVECTOR2 start{0.0f, 0.0f};  // direction from the view centre
    };

    explicit WindEffect(Quorvex::IObjectManager* manager);
    ~WindEffect() override;

    using Quorvex::RenderObject::Initialize;
    // Takes "matEffect2D" and joins "Sprite2D"; 0.
    int Initialize(int param) override;
    void Render(Quorvex::CalcVertexSet* list) override;

    // Spawns and moves the streaks by dt; answers how many are active.
    int Step(float dt);
    // The wind's strength: min(|wind| / 628, 1).
    float Strength() const;
    // Alpha of a streak at that depth for strength s.
    static int AlphaAt(float depth, float s);
    const std::vector<Streak>& GetStreaks() const { return m_streaks; }

    D3DXVECTOR3 wind{0.0f, 0.0f, 0.0f};

private:
    std::vector<Streak> m_streaks;
    float m_spawnClock = 0.0f;
    Quorvex::Sprite2DInfo m_sprite;
};
