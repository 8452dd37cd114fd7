// A number drawn as a row of up to 20 digit sprites cut from the HUD atlas
// "matHud". Positions and sizes are in units of the screen height from the
// top-left corner. Without left alignment the last digit stands on sprite 19
// (the row is right-aligned); with it the first digit stands at the origin.
#pragma once
#include <cstdint>

#include "engine/assets/Sprite2DInfo.h"
#include "engine/core/RenderObject.h"

namespace Quorvex {
class ObjectManager;
}

class NumberRenderer : public Quorvex::RenderObject {
public:
    static constexpr int DigitSprites = 20;

    // Not registered with the manager unless `flags` asks for it (the flags of
    // Quorvex::Object). The digits start on "matHud" when the manager's
    // resource manager holds it.
    explicit NumberRenderer(Quorvex::ObjectManager* manager, DWORD flags = 0);
    ~NumberRenderer() override;

    // Lays the digits out at pitch (w * 14 / 16, 0), joins the "Sprite2D"
    // stage of the manager (leaving any other) and becomes visible. The value
    // and the minimum digit count stay as they are.
    virtual void Show(float x, float y, float w, float h, D3DCOLOR color);
    // Sprite i at origin + i * pitch (shifted left by the unused digits when
    // left-aligned), size w x h, the colour.
    void LayoutDigits(float x, float y, float pitchX, float pitchY, float w, float h, D3DCOLOR color);

    // Blend preset 2 and the digits.
    void Render(Quorvex::CalcVertexSet* list) override;

    // The atlas cell of digit d (0..9).
    static void SetDigitCell(Quorvex::Sprite2DInfo& sprite, int digit);

    Quorvex::Sprite2DInfo* GetDigitSprite(int index) { return &m_digits[index]; }
    float GetOriginX() const { return m_originX; }
    float GetOriginY() const { return m_originY; }

    // Written directly by the owners.
    int64_t m_value = 0;
    int m_minDigits = 18;
    BYTE m_visible = 0;
    BYTE m_leftAligned = 0;

protected:
    // From the rightmost sprite leftwards: a digit per sprite, leading zeros up
    // to the minimum count, at least one digit.
    void DrawDigits(Quorvex::CalcVertexSet* list, int64_t value, int minDigits);

private:
    Quorvex::Sprite2DInfo m_digits[DigitSprites];
    float m_originX = 0.0f;
    float m_originY = 0.0f;
};
