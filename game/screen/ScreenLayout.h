// The 2D layout every screen is drawn in: pixels of the 1280 x 720 client the
// game is made for. On a client of another size the whole layout is scaled by
// one factor, the largest at which it still fits (client height / 720 on a
// 16:9 client), and centred on the client, so it keeps its proportions and
// never leaves the screen.
//
// Sprites take positions and sizes in the renderer's units: y and heights in
// client heights, x and widths in client widths times the sprite aspect (the
// environment's aspect, 0..aspect across the client).
#pragma once

namespace Quorvex {
class Sprite2DInfo;
}

class ScreenLayout {
public:
    static constexpr float kWidth = 1280.0f;
    static constexpr float kHeight = 720.0f;

    // The layout of the current client; a client with no size yet counts as
    // 1280 x 720.
    static ScreenLayout Current();
    // Client size in pixels; the sprite aspect is what x = aspect means.
    ScreenLayout(float clientWidth, float clientHeight, float spriteAspect);

    // Client pixels per layout pixel.
    float Scale() const { return m_scale; }
    float ClientWidth() const { return m_clientWidth; }
    float ClientHeight() const { return m_clientHeight; }

    // Layout pixels to client pixels.
    float ClientX(float x) const { return m_clientWidth * 0.5f + (x - kWidth * 0.5f) * m_scale; }
    float ClientY(float y) const { return m_clientHeight * 0.5f + (y - kHeight * 0.5f) * m_scale; }

    // Layout pixels to sprite units: a point, and a width or height.
    float X(float x) const { return ClientX(x) * m_unitsPerClientX; }
    float Y(float y) const { return ClientY(y) / m_clientHeight; }
    float Width(float w) const { return w * m_scale * m_unitsPerClientX; }
    float Height(float h) const { return h * m_scale / m_clientHeight; }

    // Sprite units back to client pixels.
    float ClientXOfUnits(float x) const { return x / m_unitsPerClientX; }
    float ClientYOfUnits(float y) const { return y * m_clientHeight; }

    // A sprite drawn from its top-left corner at (x, y), w x h layout pixels.
    void Place(Quorvex::Sprite2DInfo& sprite, float x, float y, float w, float h) const;

private:
    float m_clientWidth;
    float m_clientHeight;
    float m_scale;
    float m_unitsPerClientX;
};
