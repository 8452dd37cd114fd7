#include "engine/assets/FontManager.h"

namespace Quorvex {

namespace {

// The face name is the full-width form with an ideographic space.
constexpr const wchar_t* kDefaultFace = L"ＭＳ　ゴシック";

FontManager* g_pFontManager = nullptr;

}  // namespace

FontManager::~FontManager() { SAFE_RELEASE(m_pFont); }

int FontManager::CreateFont(IDirect3DDevice9* device, int height, int weight) {
    if (!device) return -1;
    ID3DXFont* font = nullptr;
    // Made aside first, so a failure keeps the font that was there.
    if (FAILED(D3DXCreateFontW(device, height, 0, static_cast<UINT>(weight), 0, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                               kDefaultFace, &font)) ||
        !font)
        return -1;
    SAFE_RELEASE(m_pFont);
    m_pFont = font;
    m_height = height;
    m_weight = weight;
    return 0;
}

int FontManager::SetFont(ID3DXFont* font) {
    if (!font) return -1;
    font->AddRef();
    SAFE_RELEASE(m_pFont);
    m_pFont = font;
    return 0;
}

bool FontManager::DrawText(int x, int y, const wchar_t* text, D3DCOLOR colour) {
    if (!m_pFont || !text) return false;
    RECT rect{x, y, 0, 0};
    return m_pFont->DrawTextW(nullptr, text, -1, &rect, DT_NOCLIP, colour) != 0;
}

void SetGlobalFontManager(FontManager* manager) {
    if (manager) manager->AddRef();
    FontManager* old = g_pFontManager;
    g_pFontManager = manager;
    if (old) old->Release();
}

FontManager* GetGlobalFontManager() { return g_pFontManager; }

}  // namespace Quorvex
