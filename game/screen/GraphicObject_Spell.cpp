#include "game/screen/GraphicObject_Spell.h"

#include <algorithm>

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

// Banner picture in layout units; the right edge is that of a 16:9 screen
// whatever the real aspect.
constexpr float kBannerWidth = 0.7111111f;
constexpr float kBannerHeight = 0.0888889f;
constexpr float kCentreX = 0.8888889f;
constexpr float kRightEdge = 1.7777778f;
constexpr float kLowY = 0.5555556f;
// Phases of the clock: fade in, slide right, hold, rise.
constexpr float kFadeEnd = 0.3f;
constexpr float kSlideEnd = 0.6f;
constexpr float kRiseStart = 0.70000005f;
constexpr float kRiseLength = 0.29999995f;
// Title offset inside the banner.
constexpr float kTextX = 0.17777778f;
constexpr float kTextY = 0.027777778f;

// The banner font: 24 pixels at 720, regular weight; the default face in bold
// when that face cannot be had.
FontManager* MakeBannerFont(IDirect3DDevice9* device) {
    if (!device) return nullptr;
    const int height = ScaledFontHeight(g_pEnvironment ? g_pEnvironment->GetClientHeight() : 0, 24);
    auto* manager = new FontManager();
    manager->AddRef();
    ID3DXFont* font = nullptr;
    if (SUCCEEDED(D3DXCreateFontW(device, height, 0, FW_NORMAL, 0, FALSE, DEFAULT_CHARSET, OUT_OUTLINE_PRECIS,
                                  ANTIALIASED_QUALITY, DEFAULT_PITCH, L"HGSｺﾞｼｯｸE", &font)) &&
        font) {
        manager->SetFont(font);
        font->Release();
        return manager;
    }
    if (manager->CreateFont(device, height, FW_BOLD) < 0) {
        manager->Release();
        return nullptr;
    }
    return manager;
}

}  // namespace

GraphicObject_Spell::GraphicObject_Spell(ObjectManager* objects, GraphicManager* owner)
    : RenderObject(objects, CreateRegister), m_pManager(owner) {}

GraphicObject_Spell::~GraphicObject_Spell() {
    if (m_pFont) m_pFont->Release();
}

int GraphicObject_Spell::Initialize(int) {
    SetUpdatePriority(kUpdatePriority);
    JoinSprite2DStage(this);
    m_sprite.color = 0;
    m_sprite.SetMaterial(nullptr);
    if (!m_pFont) m_pFont = MakeBannerFont(GetDevice());
    return m_pFont ? 0 : -1;
}

float GraphicObject_Spell::GetDrawPriority() {
    const float priority = 500.0f + kState;
    SetDrawPriority(priority);
    return priority;
}

void GraphicObject_Spell::SetTitle(const wchar_t* title) {
    m_title = title ? title : L"";
    m_clock = 0.0f;
    if (m_title.empty()) {
        m_sprite.color = 0;
        m_sprite.SetMaterial(nullptr);
        return;
    }
    m_sprite.x = 0.0f;
    m_sprite.y = 0.0f;
    m_sprite.width = kBannerWidth;
    m_sprite.height = kBannerHeight;
    m_sprite.color = 0xFFFFFFFF;
    m_sprite.centered = 0;
    m_sprite.SetMaterial(FindGraphicMaterial(GetManager(), "matHud"));
    m_sprite.uv[0] = D3DXVECTOR2(0.0f, 0.3125f);
    m_sprite.uv[1] = D3DXVECTOR2(0.5f, 0.3125f);
    m_sprite.uv[2] = D3DXVECTOR2(0.0f, 0.25f);
    m_sprite.uv[3] = D3DXVECTOR2(0.5f, 0.25f);
}

void GraphicObject_Spell::Update(float timeStep) {
    if (m_clock >= 0.0f) m_clock = std::min(1.0f, m_clock + m_rate * timeStep * 0.3f);
}

void GraphicObject_Spell::Place() {
    const float w = m_sprite.width, h = m_sprite.height;
    const float centre = kCentreX - w / 2.0f;
    const float right = kRightEdge - w;
    const float low = kLowY - h;
    // Without a title the banner stays hidden.
    if (m_title.empty()) return;
    if (m_clock < 0.0f) {
        m_sprite.color = 0xFFFFFFFF;
        m_sprite.x = right;
        m_sprite.y = 0.0f;
    } else if (m_clock < kFadeEnd) {
        m_sprite.x = centre;
        m_sprite.y = low;
        m_sprite.color = WhiteWithAlpha(m_clock / kFadeEnd);
    } else if (m_clock < kSlideEnd) {
        m_sprite.color = 0xFFFFFFFF;
        m_sprite.x = centre + (right - centre) * (m_clock - kFadeEnd) / (kSlideEnd - kFadeEnd);
        m_sprite.y = low;
    } else if (m_clock < kRiseStart) {
        m_sprite.color = 0xFFFFFFFF;
        m_sprite.x = right;
        m_sprite.y = low;
    } else if (m_clock < 1.0f) {
        m_sprite.color = 0xFFFFFFFF;
        m_sprite.x = right;
        m_sprite.y = low + (0.0f - low) * (m_clock - kRiseStart) / kRiseLength;
    } else {
        m_clock = -1.0f;
    }
}

void GraphicObject_Spell::Render(CalcVertexSet* list) {
    Place();
    if (m_sprite.GetMaterial() && (m_sprite.color >> 24) != 0) {
        PushRenderStatePreset(list, ShaderManager::BlendAddAlpha);
        PushSprite2D(list, m_sprite);
    }
    PushDrawObject(list, this);
}

int GraphicObject_Spell::VisibleLength(D3DCOLOR* colour) const {
    const int length = static_cast<int>(m_title.size());
    if (m_clock >= 0.0f && m_clock < kFadeEnd) {
        const float t = m_clock / kFadeEnd;
        if (colour) *colour = (static_cast<D3DCOLOR>(static_cast<int>(t * 255.0f)) << 24) | kTextColor;
        return static_cast<int>(static_cast<float>(length) * t);
    }
    if (colour) *colour = 0xFF000000u | kTextColor;
    return length;
}

void GraphicObject_Spell::Draw() {
    if (m_title.empty() || !m_pFont || !m_pFont->GetFont() || !g_pEnvironment) return;
    D3DCOLOR colour = 0;
    const int count = VisibleLength(&colour);
    if (count <= 0) return;
    const int x = static_cast<int>(g_pEnvironment->XFromScreenRatio(m_sprite.x + kTextX));
    const int y = static_cast<int>(g_pEnvironment->YFromScreenRatio(m_sprite.y + kTextY));
    RECT rect{x, y, x, y};
    m_pFont->GetFont()->DrawTextW(nullptr, m_title.c_str(), count, &rect, DT_NOCLIP, colour);
}
