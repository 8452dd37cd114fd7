// The title banner of the running spell attack: it fades in at the centre,
// slides to the right edge, rises to the top and rests there while the title
// types itself in.
#pragma once
#include <string>

#include "engine/assets/Sprite2DInfo.h"
#include "engine/core/RenderObject.h"

namespace Quorvex {
class FontManager;
class ObjectManager;
}  // namespace Quorvex
class GraphicManager;

class GraphicObject_Spell : public Quorvex::RenderObject {
public:
    static constexpr int kUpdatePriority = 2100;
    // Only its draw priority uses it: 500 + 14.
    static constexpr int kState = 14;
    // The colour of the title text (alpha aside).
    static constexpr D3DCOLOR kTextColor = 0x10A020;

    // Registered with the manager at once. The owner is not counted.
    GraphicObject_Spell(Quorvex::ObjectManager* objects, GraphicManager* owner);
    ~GraphicObject_Spell() override;

    // Update priority 2100, joins "Sprite2D", makes the banner font: 0, or
    // -1 when no font can be made.
    int Initialize(int param) override;
    // Clock toward 1 at 0.3 x rate per second.
    void Update(float timeStep) override;
    // Places the banner by the clock and draws it additively.
    void Render(Quorvex::CalcVertexSet* list) override;
    // Main thread: the title, typed in during the fade-in.
    void Draw() override;
    float GetDrawPriority() override;

    // A new title restarts the animation from the centre; an empty one hides
    // the banner at once.
    void SetTitle(const wchar_t* title);

    const std::wstring& GetTitle() const { return m_title; }
    float GetClock() const { return m_clock; }
    const Quorvex::Sprite2DInfo& GetSprite() const { return m_sprite; }
    // Characters of the title shown and their colour at the current clock.
    int VisibleLength(D3DCOLOR* colour = nullptr) const;
    Quorvex::FontManager* GetFont() const { return m_pFont; }

private:
    // Position and colour of the banner for the current clock.
    void Place();

    Quorvex::FontManager* m_pFont = nullptr;  // counted
    GraphicManager* m_pManager;               // not counted
    Quorvex::Sprite2DInfo m_sprite;
    float m_clock = -1.0f;
    float m_rate = 1.0f;
    std::wstring m_title;
};
