// The sonic-boom ring: 20 screen sprites that spread from a centre point and
// fade in and out over the effect's duration.
#pragma once
#include <vector>

#include "engine/assets/Sprite2DInfo.h"
#include "engine/core/RenderObject.h"

class OverTheSonic : public Quorvex::RenderObject {
public:
    static constexpr int kSpriteCount = 20;

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
