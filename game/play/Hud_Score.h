// The total score at the top left: a number of at least one digit, right-
// aligned, with its label.
#pragma once
#include "game/screen/NumberRenderer.h"

class Hud_Score : public NumberRenderer {
public:
    // Shows itself.
    explicit Hud_Score(Quorvex::ObjectManager* manager);
    ~Hud_Score() override;

    // The digits at (105, 30), 16 x 32, light green; at least one digit.
    void Show(float x, float y, float w, float h, D3DCOLOR color) override;
    void Show();
    // The digits, then the label with blend preset 2.
    void Render(Quorvex::CalcVertexSet* list) override;

    Quorvex::Sprite2DInfo m_label;
};
