// The HUD's 2D parts: a render object with one sprite on "matHud" and the
// gauge colour rule, and the four gauges (player life, boss life, speed and
// the Zenk gauge), each a frame sprite with a bar cut to its value.
// Positions and sizes are pixels of the 2D layout (ScreenLayout).
#pragma once
#include "engine/assets/Sprite2DInfo.h"
#include "engine/core/RenderObject.h"
#include "game/screen/GraphicUnits.h"
#include "game/screen/ScreenLayout.h"

namespace Quorvex {
class ObjectManager;
}

class Hud_PartBase : public Quorvex::RenderObject {
public:
    // Registers nothing: the owner decides. The sprite starts on "matHud",
    // white, upright, not centred, its size used as stored.
    explicit Hud_PartBase(Quorvex::ObjectManager* manager);
    ~Hud_PartBase() override;

    // The gauge colour of a fill: red below 0.2, orange below 0.6, else light
    // grey; alpha 1 (r, g, b, a).
    virtual D3DXVECTOR4 SetGaugeColor(float fill);
    // Joins the manager's "Sprite2D" stage (leaving any other).
    void ShowInSprite2D();
    // The flash the gauges share: the frame (m_sprite) takes the gauge colour
    // and the bar pulses towards white and black around it, one period a
    // second, by the time since the last rendered frame.
    void UpdateGaugeColor(float value, Quorvex::Sprite2DInfo& bar);

    Quorvex::Sprite2DInfo m_sprite;
    float m_flashPhase = 0.0f;
};

class Hud_Gauge : public Hud_PartBase {
public:
    Hud_Gauge(Quorvex::ObjectManager* manager, float baseX, float baseY);
    ~Hud_Gauge() override;

    // The bar from the value, the colours, blend preset 2, frame then bar.
    void Render(Quorvex::CalcVertexSet* list) override;
    virtual void SetFill(float value) = 0;

    Quorvex::Sprite2DInfo m_bar;
    float m_value = 0.0f;
    float m_baseX;
    float m_baseY;
};

// Anchored at its right end: the bar shrinks towards it, the image is cut.
class Hud_Life : public Hud_Gauge {
public:
    explicit Hud_Life(Quorvex::ObjectManager* manager);
    void SetFill(float value) override;

protected:
    Hud_Life(Quorvex::ObjectManager* manager, float baseX, float baseY, float vTop, float vBottom);

private:
    float m_cellTop;
    float m_cellBottom;
};

// The current boss's life, centred at the top; nothing while the value is
// below 0 (no boss).
class Hud_TargetLife : public Hud_Life {
public:
    explicit Hud_TargetLife(Quorvex::ObjectManager* manager);
    void Render(Quorvex::CalcVertexSet* list) override;
};

class Hud_Booster : public Hud_Life {
public:
    explicit Hud_Booster(Quorvex::ObjectManager* manager);
};

// Anchored at its left end; the frame and the bar switch rows while full.
class Hud_ZenkMode : public Hud_Gauge {
public:
    explicit Hud_ZenkMode(Quorvex::ObjectManager* manager);
    void SetFill(float value) override;
};
