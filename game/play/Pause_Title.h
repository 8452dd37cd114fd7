// The title picture of the pause scene: a blinking "pause" word in the pause
// menu, a steady wide banner in the continue menu.
#pragma once
#include "engine/assets/Sprite2DInfo.h"
#include "engine/core/RenderObject.h"

namespace Quorvex {
class ObjectManager;
}

class Pause_Title : public Quorvex::RenderObject {
public:
    // Registered with the manager at once, so it is updated every frame.
    explicit Pause_Title(Quorvex::ObjectManager* manager);
    ~Pause_Title() override;

    // "matHud2", centred at (640, 128), white, type 1, draw priority 0; not
    // shown. Answers 0.
    int Initialize(int param) override;
    void Update(float timeStep) override;
    void Render(Quorvex::CalcVertexSet* list) override;

    // 1: 128 x 96 blinking; 2: 512 x 96 steady; any other type: inactive.
    void SetType(int type);
    // Joins the manager's "Sprite2D" stage (leaving a stage it is in first);
    // phase 0.
    void Show();
    // Leaves its render stage.
    void Hide();

    int GetType() const { return m_type; }
    bool IsActive() const { return m_active; }
    const Quorvex::Sprite2DInfo& GetSprite() const { return m_sprite; }

private:
    Quorvex::Sprite2DInfo m_sprite;
    int m_type = 0;
    bool m_active = false;
    float m_phase = 0.0f;
};
