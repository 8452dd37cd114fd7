#include "game/frontend/CharacterSelect_Window.h"

#include <algorithm>
#include <cmath>

#include "engine/assets/CharaSelectFonts.h"
#include "engine/assets/FontManager.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/Environment.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderStage.h"
#include "game/screen/GraphicUnits.h"

using namespace Quorvex;

namespace {

constexpr float kBoxWidth = LayoutFromPixels(352.0f);
constexpr float kBoxHeight = LayoutFromPixels(128.0f);
constexpr float kLineHeight = LayoutFromPixels(32.0f);
constexpr float kMarkSize = LayoutFromPixels(64.0f);
// Text origins from the box centre.
const D3DXVECTOR2 kBodyOffset(LayoutFromPixels(-149.0f), LayoutFromPixels(-12.0f));
const D3DXVECTOR2 kHeadingOffset(LayoutFromPixels(-157.0f), LayoutFromPixels(-47.0f));
constexpr float kCharactersPerSecondFactor = 0.01f;  // 100 characters a second

float RevealStep(const std::wstring& text, float timeStep) {
    if (text.empty()) return 1.0f;
    return timeStep / (static_cast<float>(text.size()) * kCharactersPerSecondFactor);
}

}  // namespace

void SharedSelectFont::Hold(ObjectManager* manager, bool& holds) {
    if (holds) return;
    if (m_users++ == 0) m_pFont = CreateSelectFont(manager);
    holds = true;
}

void SharedSelectFont::Drop(bool& holds) {
    if (!holds) return;
    holds = false;
    if (--m_users == 0 && m_pFont) {
        m_pFont->Release();
        m_pFont = nullptr;
    }
}

SharedSelectFont CharacterSelect_Window::s_font;

CharacterSelect_Window::CharacterSelect_Window(ObjectManager* manager) : RenderObject(manager, 0) {}

CharacterSelect_Window::~CharacterSelect_Window() {
    s_font.Drop(m_holdsFont);
}

int CharacterSelect_Window::Initialize(int) {
    auto* manager = dynamic_cast<ObjectManager*>(GetManager());
    if (!manager) return -1;
    s_font.Hold(manager, m_holdsFont);
    MaterialUnit* material = FindGraphicMaterial(manager, "matSelWindow");
    for (Sprite2DInfo* sprite : {&m_boxSprite, &m_line, &m_anchorMark}) {
        sprite->Init();
        sprite->SetMaterial(material);
        sprite->color = 0x00FFFFFF;
    }
    m_boxSprite.width = kBoxWidth;
    m_boxSprite.height = kBoxHeight;
    SetSpriteCell(m_boxSprite, 0.0f, 0.65625f, 0.0f, 0.25f);
    m_line.height = kLineHeight;
    m_line.centered = 0;
    m_line.reverseAngle = 0;
    SetSpriteCell(m_line, 0.0f, 0.6875f, 0.34375f, 0.40625f);
    m_anchorMark.width = kMarkSize;
    m_anchorMark.height = kMarkSize;
    SetSpriteCell(m_anchorMark, 0.6875f, 0.75f, 0.34375f, 0.40625f);
    return 0;
}

void CharacterSelect_Window::Show(const D3DXVECTOR2& box, const D3DXVECTOR2& anchor) {
    if (m_shown) {
        MoveTo(box, anchor);
        return;
    }
    JoinSprite2DStage(this);
    m_shown = true;
    m_hiding = false;
    m_moveTime = 0.0f;
    m_boxFrom = m_boxTo = m_box = box;
    m_anchorFrom = m_anchorTo = m_anchor = anchor;
    m_alpha = 0.0f;
    m_heading.clear();
    m_body.clear();
    m_headingReveal = 0.0f;
    m_bodyReveal = 0.0f;
}

void CharacterSelect_Window::MoveTo(const D3DXVECTOR2& box, const D3DXVECTOR2& anchor) {
    m_boxFrom = m_box;
    m_anchorFrom = m_anchor;
    m_boxTo = box;
    m_anchorTo = anchor;
    m_moveTime = 0.0f;
    m_alpha = 0.0f;
}

void CharacterSelect_Window::Hide() {
    m_moveTime = 0.0f;
    m_shown = false;
    m_hiding = true;
    m_heading.clear();
    m_body.clear();
}

void CharacterSelect_Window::SetHeading(const std::wstring& text) {
    m_heading = text;
    m_headingReveal = 0.0f;
}

void CharacterSelect_Window::SetBody(const std::wstring& text) {
    m_body = text;
    m_bodyReveal = 0.0f;
}

int CharacterSelect_Window::RevealedLength(const std::wstring& text, float reveal) {
    const float shown = static_cast<float>(text.size()) * std::clamp(reveal, 0.0f, 1.0f);
    return std::min(static_cast<int>(std::lround(shown)), static_cast<int>(text.size()));
}

void CharacterSelect_Window::Advance(float timeStep) {
    m_moveTime += timeStep;
    const float m = std::min(2.0f * m_moveTime, 1.0f);
    m_box = m_boxFrom + (m_boxTo - m_boxFrom) * m;
    m_anchor = m_anchorFrom + (m_anchorTo - m_anchorFrom) * m;
    m_alpha = m_hiding ? std::max(m_alpha - 3.0f * timeStep, 0.0f) : std::min(m_alpha + 3.0f * timeStep, 1.0f);
    if (m_alpha >= 1.0f) {
        m_bodyReveal = std::min(m_bodyReveal + RevealStep(m_body, timeStep), 1.0f);
        m_headingReveal = std::min(m_headingReveal + RevealStep(m_heading, timeStep), 1.0f);
    }
    PlaceSprites();
}

void CharacterSelect_Window::PlaceSprites() {
    const D3DCOLOR color = WhiteWithAlpha(m_alpha);
    m_boxSprite.x = m_box.x;
    m_boxSprite.y = m_box.y;
    m_anchorMark.x = m_anchor.x;
    m_anchorMark.y = m_anchor.y;
    // The line runs from the anchor to the box centre, its start half its
    // height back so that it begins under the anchor mark.
    const D3DXVECTOR2 span = m_box - m_anchor;
    const float angle = std::atan2(span.y, span.x);
    const float c = std::cos(angle), s = std::sin(angle);
    const float half = kLineHeight * 0.5f;
    m_line.width = D3DXVec2Length(&span);
    m_line.angle = angle;
    m_line.x = m_anchor.x + (-half * c + half * s);
    m_line.y = m_anchor.y + (-half * s - half * c);
    for (Sprite2DInfo* sprite : {&m_boxSprite, &m_line, &m_anchorMark}) sprite->color = color;
}

void CharacterSelect_Window::Render(CalcVertexSet* list) {
    Advance(g_pEnvironment ? g_pEnvironment->GetElapsedTime() : 0.0f);
    if (!m_shown && m_alpha <= 0.0f) return;
    PushRenderStatePreset(list, ShaderManager::BlendAlpha);
    if (m_alpha >= 1.0f && m_line.material) PushSprite2D(list, m_line);
    if (m_anchorMark.material) PushSprite2D(list, m_anchorMark);
    if (m_boxSprite.material) PushSprite2D(list, m_boxSprite);
    PushDrawObject(list, this);
}

void CharacterSelect_Window::Draw() {
    FontManager* font = s_font.Get();
    if (!font || !g_pEnvironment) return;
    auto drawPart = [font](const std::wstring& text, float reveal, const D3DXVECTOR2& at) {
        const int count = RevealedLength(text, reveal);
        if (count <= 0) return;
        font->DrawText(static_cast<int>(g_pEnvironment->XFromScreenRatio(at.x)),
                       static_cast<int>(g_pEnvironment->YFromScreenRatio(at.y)), text.substr(0, count).c_str(),
                       0xFFFFFFFF);
    };
    drawPart(m_body, m_bodyReveal, m_box + kBodyOffset);
    drawPart(m_heading, m_headingReveal, m_box + kHeadingOffset);
}
