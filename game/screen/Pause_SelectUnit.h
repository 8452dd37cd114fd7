// One picture item of a vertical menu (pause, continue and title menus): a 2-D
// sprite cut from "matHud2" that pulses while it is the selected item. Item
// classes derive from it and only choose their picture in SetType.
#pragma once
#include "engine/assets/Sprite2DInfo.h"
#include "engine/core/RenderObject.h"

namespace Quorvex {
class ObjectManager;
}

class Pause_SelectUnit : public Quorvex::RenderObject {
public:
    // Registered with the manager at once, so it is updated every frame.
    explicit Pause_SelectUnit(Quorvex::ObjectManager* manager);
    // Hides the item; the sprite releases its material.
    ~Pause_SelectUnit() override;

    // Initialize(0): the item at (0, 0).
    int Initialize(int param) override;
    // Material "matHud2", sprite centred on the position (layout units: 1.0 =
    // screen height), white, type 1, draw priority 200. Answers 0; -1 without
    // a position.
    virtual int Initialize(const D3DXVECTOR2* position);
    // Hide.
    void Finalize() override;
    // The blink of the selected item.
    void Update(float timeStep) override;
    // Blend preset 3 (additive) while selected and enabled, else 2; then the
    // sprite.
    void Render(Quorvex::CalcVertexSet* list) override;

    // Joins the manager's "Sprite2D" stage (leaving a stage it is in first);
    // blink phase 0, not selected.
    virtual void Show();
    // Leaves its render stage.
    virtual void Hide();
    // Type 1 or 2 sets the default picture (96 x 64, u 0-0.09375,
    // v 0.5-0.5625); any type is stored.
    virtual void SetType(int type);
    virtual void SetSelected(bool selected);
    virtual bool IsSelected() const;
    virtual void SetEnabled(bool enabled);
    virtual bool IsEnabled() const;

    int GetType() const { return m_type; }
    float GetBlinkPhase() const { return m_blinkPhase; }
    const Quorvex::Sprite2DInfo& GetSprite() const { return m_sprite; }

    // Draw colours: the selected item pulses in alpha around this white, the
    // others are opaque grey.
    static constexpr D3DCOLOR kIdleColor = 0xFF808080;
    static constexpr int kDrawPriority = 200;

protected:
    // The picture: size in layout units (1.0 = screen height) and the
    // texture cell of "matHud2" from (u0, v0) at the top left to (u1, v1) at
    // the bottom right, drawn upright.
    void SetPicture(float width, float height, float u0, float u1, float v0, float v1);

    Quorvex::Sprite2DInfo m_sprite;

private:
    int m_type = 0;  // 0 = not set up; else the menu state the picture is for
    bool m_selected = false;
    bool m_enabled = true;
    float m_blinkPhase = 0.0f;
};
