// A callout box of the character select: a box with a heading and a body that
// type themselves out, and a leader line from an anchor point to the box. It
// glides to each new place and fades in again after every move.
#pragma once
#include <string>

#include "engine/assets/Sprite2DInfo.h"
#include "engine/core/RenderObject.h"

namespace Quorvex {
class FontManager;
class ObjectManager;
}  // namespace Quorvex

// The select font that every object of one kind shares: the first holder
// makes it, the last one to let go releases it. Each holder keeps a flag so
// that it counts once.
class SharedSelectFont {
public:
    void Hold(Quorvex::ObjectManager* manager, bool& holds);
    void Drop(bool& holds);
    Quorvex::FontManager* Get() const { return m_pFont; }

private:
    Quorvex::FontManager* m_pFont = nullptr;  // counted
    int m_users = 0;
};

class CharacterSelect_Window : public Quorvex::RenderObject {
public:
    explicit CharacterSelect_Window(Quorvex::ObjectManager* manager);
    // Gives back the class's shared font with the last window.
    ~CharacterSelect_Window() override;

    // The "matSelWindow" sprites; the first window also makes the shared
    // font. 0, or -1 without an object manager.
    int Initialize(int param) override;
    // Advances by the environment's elapsed time, then the line, the anchor
    // mark and the box; the texts follow on the main thread.
    void Render(Quorvex::CalcVertexSet* list) override;
    void Draw() override;

    // Box position and anchor in layout units (1 = screen height). A window
    // not shown appears there at once, transparent and without text; a shown
    // one glides there (MoveTo).
    void Show(const D3DXVECTOR2& box, const D3DXVECTOR2& anchor);
    // Glides from where it is to the new place, fading in again.
    void MoveTo(const D3DXVECTOR2& box, const D3DXVECTOR2& anchor);
    // Fades out; the texts are emptied at once.
    void Hide();
    // A text assignment restarts its reveal.
    void SetHeading(const std::wstring& text);
    void SetBody(const std::wstring& text);

    // One frame of glide, fade and reveal.
    void Advance(float timeStep);
    // Characters of a text shown at a reveal fraction.
    static int RevealedLength(const std::wstring& text, float reveal);

    bool IsShown() const { return m_shown; }
    float GetAlpha() const { return m_alpha; }
    const D3DXVECTOR2& GetBoxPosition() const { return m_box; }
    const std::wstring& GetHeading() const { return m_heading; }
    const std::wstring& GetBody() const { return m_body; }
    float GetHeadingReveal() const { return m_headingReveal; }
    float GetBodyReveal() const { return m_bodyReveal; }
    const Quorvex::Sprite2DInfo& GetLine() const { return m_line; }

private:
    void PlaceSprites();

    Quorvex::Sprite2DInfo m_boxSprite;
    Quorvex::Sprite2DInfo m_line;
    Quorvex::Sprite2DInfo m_anchorMark;
    bool m_shown = false;
    bool m_hiding = false;
    float m_moveTime = 0.0f;
    float m_alpha = 0.0f;
    D3DXVECTOR2 m_boxFrom{0.0f, 0.0f}, m_boxTo{0.0f, 0.0f}, m_box{0.0f, 0.0f};
    D3DXVECTOR2 m_anchorFrom{0.0f, 0.0f}, m_anchorTo{0.0f, 0.0f}, m_anchor{0.0f, 0.0f};
    std::wstring m_heading;
    std::wstring m_body;
    float m_headingReveal = 0.0f;
    float m_bodyReveal = 0.0f;
    bool m_holdsFont = false;

    static SharedSelectFont s_font;
};
