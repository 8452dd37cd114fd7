// The title's logo: an intro card (a band, three glyph tiles and three text
// lines) that fades in and out over black, then the main title picture and
// three footer strips that fade in with the menu. It keeps no clock of its
// own: the title scene calls its steps at fixed times and every sprite runs
// one-second tweens.
#pragma once
#include "engine/assets/Sprite2DInfo.h"
#include "engine/core/RenderObject.h"
#include "platform/d3dx9/d3dx9.h"

namespace Quorvex {
class ObjectManager;
}

class Title_Logo : public Quorvex::RenderObject {
public:
    // One logo sprite with tweens of its position, alpha and size. A tween is
    // idle while its progress is below 0.
    struct AnimSprite : public Quorvex::Sprite2DInfo {
        float rate = 1.0f;  // progress per second
        D3DXVECTOR2 positionStart{0.0f, 0.0f};
        D3DXVECTOR2 positionEnd{0.0f, 0.0f};
        float positionProgress = -1.0f;
        float alphaStart = 0.0f;
        float alphaEnd = 0.0f;
        float alphaProgress = -1.0f;
        D3DXVECTOR2 sizeStart{0.0f, 0.0f};
        D3DXVECTOR2 sizeEnd{0.0f, 0.0f};
        float sizeProgress = -1.0f;

        // Advances the running tweens (position, alpha, size); a tween that
        // reaches its end writes the end value and idles.
        void Update(float timeStep);
        // Every running tween jumps to its end.
        void Complete();
        // Alpha tween from the current alpha to `end`, from progress 0.
        void FadeAlphaTo(float end);
        // The colour's alpha byte / 255.
        float GetAlpha() const;
        // Into the colour's alpha byte as trunc(alpha x 255), clamped to a
        // byte; red, green and blue are kept.
        void SetAlpha(float alpha);
    };

    static constexpr int kTileCount = 3;
    static constexpr int kLineCount = 3;
    static constexpr int kFooterCount = 3;

    explicit Title_Logo(Quorvex::ObjectManager* manager);
    ~Title_Logo() override;

    // Takes the pictures and lays out every sprite (white, alpha 0, tweens
    // idle): 0. A missing picture is logged and its sprites are not drawn.
    int Initialize(int param) override;
    void Update(float timeStep) override;
    // Blend preset 2, then tiles, lines, band, main picture, footer.
    void Render(Quorvex::CalcVertexSet* list) override;

    // Joins the "Sprite2D" stage of its object manager.
    void Show();
    // Lines fade in; the band fades in and shows at once; re-arms the line
    // fade-out.
    void StartLines();
    // Tiles fade in at their intro places; re-arms the tile fade-out.
    void StartTiles();
    void FinishTiles();
    // Once until StartLines re-arms it: lines and band fade out.
    void FadeOutLines();
    // Once until StartTiles re-arms it: tiles fade out.
    void FadeOutTiles();
    void FinishLines();
    void FadeInFooter();

    AnimSprite& GetTile(int index) { return m_tiles[index]; }
    AnimSprite& GetLine(int index) { return m_lines[index]; }
    AnimSprite& GetBand() { return m_band; }
    // The title scene starts the main picture's fade-in itself.
    AnimSprite& GetMain() { return m_main; }
    AnimSprite& GetFooter(int index) { return m_footer[index]; }
    bool IsLineFadeOutSpent() const { return m_lineFadeOut != 0; }
    bool IsTileFadeOutSpent() const { return m_tileFadeOut != 0; }

private:
    AnimSprite m_tiles[kTileCount];
    AnimSprite m_lines[kLineCount];
    AnimSprite m_band;
    AnimSprite m_main;
    AnimSprite m_footer[kFooterCount];
    BYTE m_lineFadeOut = 0;  // 0 = armed
    BYTE m_tileFadeOut = 0;
};
