// The four number rows of the stage result panel: digits from x 510 on the
// label's line, 20 x 40, white, at least one digit, and a label on "matHud2".
#pragma once
#include "game/screen/NumberRenderer.h"

class Result_StageScore : public NumberRenderer {
public:
    explicit Result_StageScore(Quorvex::ObjectManager* manager);
    ~Result_StageScore() override;

    void Show(float x, float y, float w, float h, D3DCOLOR color) override;
    // The row's digits at (510, the label's y).
    void Show();
    // Out of its stage, not visible.
    void Hide();
    // The digits, then the label with blend preset 2.
    void Render(Quorvex::CalcVertexSet* list) override;

    Quorvex::Sprite2DInfo m_label;

protected:
    // A label of w x h at (410, y) cut from u0..u1, vTop..vBottom.
    Result_StageScore(Quorvex::ObjectManager* manager, float y, float w, float u0, float u1, float vTop,
                      float vBottom);
};

class Result_StageShotDown : public Result_StageScore {
public:
    explicit Result_StageShotDown(Quorvex::ObjectManager* manager);
};

// The stage bonus row.
class Result_StageGraze : public Result_StageScore {
public:
    explicit Result_StageGraze(Quorvex::ObjectManager* manager);
};

class Result_TotalScore : public Result_StageScore {
public:
    explicit Result_TotalScore(Quorvex::ObjectManager* manager);
};
