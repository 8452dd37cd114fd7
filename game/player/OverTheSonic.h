// The sonic-boom ring: 20 screen sprites that spread from a centre point and
// fade in and out over the effect's duration.
#pragma once
#include <vector>

#include "engine/assets/Sprite2DInfo.h"
#include "engine/core/RenderObject.h"

class OverTheSonic : public Quorvex::RenderObject {
public:
    static constexpr int kSpriteCount = 20;
    // The screen-centre x of the 1280 x 720 reference layout, in screen units.
    // The ring's horizontal scale uses it in place of the window's own centre:
    // screen units are heights, so the window's centre x grows with its width
    // and would stretch the ring sideways on wide windows; a fixed value gives
    // the ring one shape at every aspect ratio (the reference look at 16:9).
    static constexpr float kCentreX = 640.0f / 720.0f;

    explicit OverTheSonic(Quorvex::IObjectManager* manager);
    ~OverTheSonic() override;

    using Quorvex::RenderObject::Initialize;
    // Takes "matEffect2D" and joins "Sprite2D"; 0.
    int Initialize(int param) override;
    // Animates by the elapsed render time and writes the sprites.
    void Render(Quorvex::CalcVertexSet* list) override;

    // Starts the ring at a screen point (x aspect-scaled, y down).
    void Start(float x, float y, float duration);
    // Alpha (0..32) at the fraction t of the duration.
    static int AlphaAt(float t);
    // How far the ring has opened at the fraction t, before the per-axis
    // scales.
    static float Spread(float t);
    // Lays the sprites out for the fraction t.
    void Layout(float t);
    const Quorvex::Sprite2DInfo& GetSprite(int i) const { return m_sprites[i]; }

    float age = 1.0f;
    float duration = 0.0f;
    D3DXVECTOR2 size{0.29296875f, 0.78125f};
    D3DXVECTOR2 center{0.0f, 0.5f};

private:
    std::vector<Quorvex::Sprite2DInfo> m_sprites;
};
