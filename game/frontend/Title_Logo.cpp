#include "game/frontend/Title_Logo.h"

#include <algorithm>

#include "engine/core/AreaPos.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderStage.h"
#include "game/screen/GraphicUnits.h"

using namespace Quorvex;

namespace {

constexpr float kTileCell = 0.15625f;  // 5/32 of the sheet
constexpr float kTileSize = 0.06666667f;
// Intro places of the tiles: x 520, 550, 580 and y 220 of 720.
constexpr float kTileX[Title_Logo::kTileCount] = {0.7222222f, 0.7638889f, 0.8055556f};
constexpr float kTileY = 0.30555555f;
constexpr float kFooterX[Title_Logo::kFooterCount] = {0.17361111f, 0.64583331f, 1.0625f};
constexpr float kMainWidth = 1.0666667f;

// One tween step: q = progress + rate x dt, limited to 1; below 1 the value
// follows q, at 1 it lands on the end and the tween idles.
template <class T>
void Advance(float& progress, float rate, float timeStep, const T& start, const T& end, T& value) {
    if (progress < 0.0f) return;
    const float q = std::min(progress + rate * timeStep, 1.0f);
    if (q < 1.0f) {
        progress = q;
        value = start + (end - start) * q;
    } else {
        value = end;
        progress = -1.0f;
    }
}

// A sprite of the logo: the picture, size, centring and the texture cell
// (v of the first corner pair, then of the second), white and transparent.
void Layout(Title_Logo::AnimSprite& s, MaterialUnit* material, float w, float h, bool centered, float u0, float u1,
            float vFirst, float vSecond) {
    s.Init();
    s.SetMaterial(material);
    s.width = w;
    s.height = h;
    s.centered = centered ? 1 : 0;
    s.angle = 0.0f;
    SetSpriteCell(s, u0, u1, vSecond, vFirst);
    s.color = 0x00FFFFFF;
    s.rate = 1.0f;
    s.positionProgress = s.alphaProgress = s.sizeProgress = -1.0f;
}

}  // namespace

void Title_Logo::AnimSprite::Update(float timeStep) {
    D3DXVECTOR2 position(x, y);
    Advance(positionProgress, rate, timeStep, positionStart, positionEnd, position);
    x = position.x;
    y = position.y;
    if (alphaProgress >= 0.0f) {
        float alpha = GetAlpha();
        Advance(alphaProgress, rate, timeStep, alphaStart, alphaEnd, alpha);
        SetAlpha(alpha);
    }
    D3DXVECTOR2 size(width, height);
    Advance(sizeProgress, rate, timeStep, sizeStart, sizeEnd, size);
    width = size.x;
    height = size.y;
}

void Title_Logo::AnimSprite::Complete() {
    if (positionProgress >= 0.0f) positionProgress = 1.0f;
    if (alphaProgress >= 0.0f) alphaProgress = 1.0f;
    if (sizeProgress >= 0.0f) sizeProgress = 1.0f;
    Update(0.0f);
}

void Title_Logo::AnimSprite::FadeAlphaTo(float end) {
    alphaStart = GetAlpha();
    alphaEnd = end;
    alphaProgress = 0.0f;
}

float Title_Logo::AnimSprite::GetAlpha() const { return static_cast<float>(color >> 24) / 255.0f; }

void Title_Logo::AnimSprite::SetAlpha(float alpha) {
    const int byte = std::clamp(static_cast<int>(alpha * 255.0f), 0, 255);
    color = (color & 0x00FFFFFFu) | (static_cast<D3DCOLOR>(byte) << 24);
}

Title_Logo::Title_Logo(ObjectManager* manager) : RenderObject(manager, 3) {}

Title_Logo::~Title_Logo() = default;

int Title_Logo::Initialize(int) {
    SetDrawPriority(0.0f);
    MaterialUnit* logo = FindGraphicMaterial(GetManager(), "matTitleLogo");
    MaterialUnit* logo2 = FindGraphicMaterial(GetManager(), "matTitleLogo2");
    for (int r = 0; r < kTileCount; ++r)
        Layout(m_tiles[r], logo, kTileSize, kTileSize, true, 0.0f, kTileCell, (r + 1) * kTileCell, r * kTileCell);
    for (int k = 0; k < kLineCount; ++k) {
        Layout(m_lines[k], logo, 0.21333334f, 0.04f, true, 0.0f, 0.5f, (18 + 3 * k) / 32.0f, (15 + 3 * k) / 32.0f);
        m_lines[k].x = 0.8888889f;
        m_lines[k].y = 0.5277778f + 0.08f * k;
    }
    Layout(m_band, logo, 0.37777779f, 0.06666667f, true, 0.0f, 0.53125f, 0.84375f, 0.75f);
    m_band.x = 0.9027778f;
    m_band.y = 0.30555555f;
    Layout(m_main, logo2, kMainWidth, 0.64f, false, 0.0f, 1.0f, 0.75f, 0.0f);
    m_main.x = (g_Aspect - kMainWidth) * 0.5f;
    m_main.y = 0.0f;
    for (int j = 0; j < kFooterCount; ++j) {
        Layout(m_footer[j], logo2, 0.53333336f, 0.035555556f, false, 0.0f, 0.9375f, (j + 14) / 16.0f,
               (j + 13) / 16.0f);
        m_footer[j].x = kFooterX[j];
        m_footer[j].y = 0.95555556f;
    }
    m_lineFadeOut = m_tileFadeOut = 0;
    return 0;
}

void Title_Logo::Update(float timeStep) {
    for (AnimSprite& s : m_tiles) s.Update(timeStep);
    for (AnimSprite& s : m_lines) s.Update(timeStep);
    m_band.Update(timeStep);
    m_main.Update(timeStep);
    for (AnimSprite& s : m_footer) s.Update(timeStep);
}

void Title_Logo::Render(CalcVertexSet* list) {
    PushRenderStatePreset(list, 2);
    auto push = [list](const AnimSprite& s) {
        if (s.material) PushSprite2D(list, s);
    };
    for (const AnimSprite& s : m_tiles) push(s);
    for (const AnimSprite& s : m_lines) push(s);
    push(m_band);
    push(m_main);
    for (const AnimSprite& s : m_footer) push(s);
}

void Title_Logo::Show() {
    JoinSprite2DStage(this);
}

void Title_Logo::StartLines() {
    for (AnimSprite& s : m_lines) s.FadeAlphaTo(1.0f);
    m_band.FadeAlphaTo(1.0f);
    m_band.Complete();
    m_lineFadeOut = 0;
}

void Title_Logo::StartTiles() {
    for (int r = 0; r < kTileCount; ++r) {
        m_tiles[r].FadeAlphaTo(1.0f);
        m_tiles[r].x = kTileX[r];
        m_tiles[r].y = kTileY;
    }
    m_tileFadeOut = 0;
}

void Title_Logo::FinishTiles() {
    for (AnimSprite& s : m_tiles) s.Complete();
}

void Title_Logo::FadeOutLines() {
    if (m_lineFadeOut) return;
    m_lineFadeOut = 1;
    for (AnimSprite& s : m_lines) s.FadeAlphaTo(0.0f);
    m_band.FadeAlphaTo(0.0f);
}

void Title_Logo::FadeOutTiles() {
    if (m_tileFadeOut) return;
    m_tileFadeOut = 1;
    for (AnimSprite& s : m_tiles) s.FadeAlphaTo(0.0f);
}

void Title_Logo::FinishLines() {
    for (AnimSprite& s : m_lines) s.Complete();
    m_band.Complete();
}

void Title_Logo::FadeInFooter() {
    for (AnimSprite& s : m_footer) s.FadeAlphaTo(1.0f);
}
