// Plain text on the device: the statistics overlay of the scene tree and a few
// menu screens. The root scene creates one at start-up and makes it the
// process-wide font manager.
#pragma once
#include "engine/core/ReferCounter.h"
#include "platform/d3d9/d3d9.h"
#include "platform/win32/win32.h"

namespace Quorvex {

class FontManager : public IUnknown, public ReferCounter {
public:
    FontManager() = default;
    ~FontManager() override = default;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    int GetRefCount() const { return GetReferenceCount(); }

    // Creates the font for the device at the height and weight: 0, or -1 (no
    // device). No glyphs are drawn until the text layer exists.
    int CreateFont(IDirect3DDevice9* device, int height, int weight);
    // Draws the text from (x, y) without clipping, "\r\n" starting new lines;
    // true when anything was drawn.
    bool DrawText(int x, int y, const wchar_t* text, D3DCOLOR colour);

    int GetHeight() const { return m_height; }
    int GetWeight() const { return m_weight; }

private:
    IDirect3DDevice9* m_device = nullptr;  // not counted: the font lives inside the device's lifetime
    int m_height = 0;
    int m_weight = 0;
};

// The process-wide font manager: the old one is released, the new one
// referenced; null clears it.
void SetGlobalFontManager(FontManager* manager);
FontManager* GetGlobalFontManager();

}  // namespace Quorvex
