#include "engine/assets/FontManager.h"

namespace Quorvex {

namespace {
FontManager* g_pFontManager = nullptr;
}

int FontManager::CreateFont(IDirect3DDevice9* device, int height, int weight) {
    if (!device) return -1;
    m_device = device;
    m_height = height;
    m_weight = weight;
    return 0;
}

bool FontManager::DrawText(int, int, const wchar_t* text, D3DCOLOR) {
    // The device's font object arrives with the text layer; until then nothing
    // is drawn.
    (void)text;
    return false;
}

void SetGlobalFontManager(FontManager* manager) {
    if (manager) manager->AddRef();
    FontManager* old = g_pFontManager;
    g_pFontManager = manager;
    if (old) old->Release();
}

FontManager* GetGlobalFontManager() { return g_pFontManager; }

}  // namespace Quorvex
