// The mechanic's portrait with a speech bubble whose comment types itself out
// (the whole comment within half a second); both glide to the places the
// character select gives them.
#pragma once
#include <string>

#include "engine/assets/Sprite2DInfo.h"
#include "engine/core/RenderObject.h"
#include "game/frontend/CharacterSelect_Window.h"

namespace Quorvex {
class FontManager;
class ObjectManager;
}  // namespace Quorvex

class CharacterSelect_Bramel : public Quorvex::RenderObject {
public:
    static constexpr D3DCOLOR kTextColor = 0xFF10A0F0;

    explicit CharacterSelect_Bramel(Quorvex::ObjectManager* manager);
    // Gives back the class's shared font with the last bubble.
    ~CharacterSelect_Bramel() override;

    // Portrait "matSelBramel" and bubble "matSelSpeak", draw priority 1000;
    // the first bubble also makes the shared font. 0, or -1 without an
    // object manager.
    int Initialize(int param) override;
    // Advances by the environment's elapsed time, then both sprites; the
    // comment follows on the main thread.
    void Render(Quorvex::CalcVertexSet* list) override;
    void Draw() override;

    // Joins "Sprite2D" when needed and stands at once at the places (layout
    // units: portrait centre, bubble top-left corner), with an empty comment.
    void Appear(const D3DXVECTOR2& portrait, const D3DXVECTOR2& bubble);
    // Glides from where it is; the glide clock is the one Appear restarted.
    void MoveTo(const D3DXVECTOR2& portrait, const D3DXVECTOR2& bubble);
    // Restarts the reveal.
    void SetSpeech(const std::wstring& text);

    void Advance(float timeStep);


private:
    Quorvex::Sprite2DInfo m_portraitSprite;
    Quorvex::Sprite2DInfo m_bubbleSprite;
    float m_moveTime = 0.0f;
    D3DXVECTOR2 m_portraitFrom{0.0f, 0.0f}, m_portraitTo{0.0f, 0.0f}, m_portrait{0.0f, 0.0f};
    D3DXVECTOR2 m_bubbleFrom{0.0f, 0.0f}, m_bubbleTo{0.0f, 0.0f}, m_bubble{0.0f, 0.0f};
    std::wstring m_speech;
    float m_reveal = 0.0f;
    bool m_holdsFont = false;

    static SharedSelectFont s_font;
};
