// A full-screen picture behind the front-end's 2D layers, shown by the scenes
// that want it (the title makes one but never shows it).
#pragma once
#include "engine/assets/Sprite2DInfo.h"
#include "engine/core/RenderObject.h"

namespace Quorvex {
class ObjectManager;
}

class Title_Background : public Quorvex::RenderObject, public Quorvex::Sprite2DInfo {
public:
    explicit Title_Background(Quorvex::ObjectManager* manager);
    ~Title_Background() override;

    // The background picture over the whole screen, draw priority 0.1: 0.
    int Initialize(int param) override;
    // Blend preset 2, then the picture.
    void Render(Quorvex::CalcVertexSet* list) override;
    // Joins the "Sprite2D" stage / leaves its stage.
    void Show();
    void Hide();
};
