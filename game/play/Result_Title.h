// The single-sprite parts of the stage result panel on "matHud2": the title
// card and the pulsing prompt for the next stage.
#pragma once
#include "engine/assets/Sprite2DInfo.h"
#include "engine/core/RenderObject.h"

namespace Quorvex {
class ObjectManager;
}

class Result_Title : public Quorvex::RenderObject {
public:
    // The title card, centred at (640, 100), 544 x 96.
    explicit Result_Title(Quorvex::ObjectManager* manager);
    ~Result_Title() override;

    // Pulse phase 0, active, joins "Sprite2D" (leaving any other stage).
    void Show();
    // Inactive, out of its stage.
    void Hide();
    // Blend preset 2, the sprite.
    void Render(Quorvex::CalcVertexSet* list) override;

    Quorvex::Sprite2DInfo m_sprite;
    BYTE m_active = 0;
    float m_phase = 0.0f;

protected:
    Result_Title(Quorvex::ObjectManager* manager, int);
};

class Result_NextStage : public Result_Title {
public:
    // Top-left anchored at (650, 450), 240 x 48.
    explicit Result_NextStage(Quorvex::ObjectManager* manager);

    // While active every colour byte pulses between half and full brightness
    // once a second.
    void Update(float dt) override;
};
