// Plain text on the device: the statistics overlay of the scene tree and a few
// menu screens. The root scene creates one at start-up and makes it the
// process-wide font manager; screens that want a larger or bold face create
// their font into a manager again.
#pragma once
#include "engine/core/ReferCounter.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3dx9/d3dx9.h"
#include "platform/win32/win32.h"

namespace Quorvex {

class FontManager : public IUnknown, public ReferCounter {
public:
    FontManager() = default;
    ~FontManager() override;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    int GetRefCount() const { return GetReferenceCount(); }

    // Creates a font of the given height and weight in the default Gothic
    // face on the device; it replaces the font held before, and the height
    // and weight are recorded. 0, or -1 when no font can be made (the
    // current font, height and weight stay).
    int CreateFont(IDirect3DDevice9* device, int height, int weight);
    // Adopts a font made elsewhere, with a reference of its own, in place of
    // the current one; height and weight stay as recorded. 0, or -1 for null
    // (the current font stays).
    int SetFont(ID3DXFont* font);
    // Draws the text from (x, y) in pixels without clipping, "\r\n" starting
    // new lines, in the ARGB colour; true when anything was drawn.
    bool DrawText(int x, int y, const wchar_t* text, D3DCOLOR colour);

    // The font held, without a reference (null before one is made): for
    // callers that draw part of a text themselves.
    ID3DXFont* GetFont() const { return m_pFont; }
    int GetHeight() const { return m_height; }
    int GetWeight() const { return m_weight; }

private:
    ID3DXFont* m_pFont = nullptr;  // counted
    int m_height = 0;
    int m_weight = 0;
};

// The process-wide font manager: the old one is released, the new one
// referenced; null clears it.
void SetGlobalFontManager(FontManager* manager);
FontManager* GetGlobalFontManager();

}  // namespace Quorvex
