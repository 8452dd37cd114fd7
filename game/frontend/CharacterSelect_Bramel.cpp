#include "game/frontend/CharacterSelect_Bramel.h"

#include <algorithm>

#include "engine/assets/CharaSelectFonts.h"
#include "engine/assets/FontManager.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/Environment.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderStage.h"
#include "game/frontend/CharacterSelect_Window.h"
#include "game/screen/GraphicUnits.h"

using namespace Quorvex;

namespace {

constexpr float kPortraitSize = LayoutFromPixels(600.0f);
constexpr float kBubbleWidth = LayoutFromPixels(800.0f);
constexpr float kBubbleHeight = LayoutFromPixels(150.0f);
const D3DXVECTOR2 kTextOffset(LayoutFromPixels(40.0f), LayoutFromPixels(35.0f));
constexpr float kDrawPriority = 1000.0f;

// The whole texture, upright (2-D corners run bottom-left, bottom-right,
// top-left, top-right).
void SetWholeTexture(Sprite2DInfo& sprite) {
    sprite.uv[0] = D3DXVECTOR2(0.0f, 1.0f);
    sprite.uv[1] = D3DXVECTOR2(1.0f, 1.0f);
    sprite.uv[2] = D3DXVECTOR2(0.0f, 0.0f);
    sprite.uv[3] = D3DXVECTOR2(1.0f, 0.0f);
}

}  // namespace

SharedSelectFont CharacterSelect_Bramel::s_font;

CharacterSelect_Bramel::CharacterSelect_Bramel(ObjectManager* manager) : RenderObject(manager, 0) {}

CharacterSelect_Bramel::~CharacterSelect_Bramel() {
    s_font.Drop(m_holdsFont);
}

int CharacterSelect_Bramel::Initialize(int) {
    auto* manager = dynamic_cast<ObjectManager*>(GetManager());
    if (!manager) return -1;
    s_font.Hold(manager, m_holdsFont);
    m_portraitSprite.Init();
    m_portraitSprite.SetMaterial(FindGraphicMaterial(manager, "matSelBramel"));
    m_portraitSprite.width = kPortraitSize;
    m_portraitSprite.height = kPortraitSize;
    SetWholeTexture(m_portraitSprite);
    m_bubbleSprite.Init();
    m_bubbleSprite.SetMaterial(FindGraphicMaterial(manager, "matSelSpeak"));
    m_bubbleSprite.width = kBubbleWidth;
    m_bubbleSprite.height = kBubbleHeight;
    m_bubbleSprite.centered = 0;
    SetWholeTexture(m_bubbleSprite);
    SetDrawPriority(kDrawPriority);
    return 0;
}

void CharacterSelect_Bramel::Appear(const D3DXVECTOR2& portrait, const D3DXVECTOR2& bubble) {
    JoinSprite2DStage(this);
    m_portraitFrom = m_portraitTo = m_portrait = portrait;
    m_bubbleFrom = m_bubbleTo = m_bubble = bubble;
    m_moveTime = 0.0f;
    m_reveal = 0.0f;
    m_speech.clear();
}

void CharacterSelect_Bramel::MoveTo(const D3DXVECTOR2& portrait, const D3DXVECTOR2& bubble) {
    m_portraitFrom = m_portrait;
    m_bubbleFrom = m_bubble;
    m_portraitTo = portrait;
    m_bubbleTo = bubble;
}

void CharacterSelect_Bramel::SetSpeech(const std::wstring& text) {
    m_speech = text;
    m_reveal = 0.0f;
}

void CharacterSelect_Bramel::Advance(float timeStep) {
    m_moveTime += timeStep;
    const float m = std::min(2.0f * m_moveTime, 1.0f);
    m_portrait = m_portraitFrom + (m_portraitTo - m_portraitFrom) * m;
    m_bubble = m_bubbleFrom + (m_bubbleTo - m_bubbleFrom) * m;
    m_reveal = std::min(m_reveal + 2.0f * timeStep, 1.0f);
    m_portraitSprite.x = m_portrait.x;
    m_portraitSprite.y = m_portrait.y;
    m_bubbleSprite.x = m_bubble.x;
    m_bubbleSprite.y = m_bubble.y;
}

void CharacterSelect_Bramel::Render(CalcVertexSet* list) {
    Advance(g_pEnvironment ? g_pEnvironment->GetElapsedTime() : 0.0f);
    PushRenderStatePreset(list, ShaderManager::BlendAlpha);
    if (m_portraitSprite.material) PushSprite2D(list, m_portraitSprite);
    if (m_bubbleSprite.material) PushSprite2D(list, m_bubbleSprite);
    PushDrawObject(list, this);
}

void CharacterSelect_Bramel::Draw() {
    FontManager* font = s_font.Get();
    if (!font || !g_pEnvironment) return;
    const int count = CharacterSelect_Window::RevealedLength(m_speech, m_reveal);
    if (count <= 0) return;
    const D3DXVECTOR2 at = m_bubble + kTextOffset;
    font->DrawText(static_cast<int>(g_pEnvironment->XFromScreenRatio(at.x)),
                   static_cast<int>(g_pEnvironment->YFromScreenRatio(at.y)), m_speech.substr(0, count).c_str(),
                   kTextColor);
}
