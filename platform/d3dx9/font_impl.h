// Inside the font layer: choosing a face (fontconfig) and the glyph pages
// (FreeType into device textures). Platform-internal.
#pragma once
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/d3dx9/font.h"

struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace orv::d3dx9 {

struct FaceChoice {
    FontFaceInfo info;
    bool slant = false;  // italic asked for and made by shearing the regular face
};

// The face for a name, weight and slant (see font.h); false when there is no
// face with Japanese glyphs.
bool ChooseFace(LPCWSTR faceName, UINT weight, BOOL italic, FaceChoice& choice);

// Where a glyph sits in its page and how it stands on the baseline, pixels.
struct Glyph {
    int page = -1;  // -1: nothing to draw (blank, or too large for a page)
    int x = 0, y = 0, width = 0, height = 0;
    int left = 0;  // from the pen position to the bitmap's left edge
    int top = 0;   // from the baseline up to the bitmap's top edge
    int advance = 0;
};

// The glyphs of one face at one size, rendered on first use into square
// A8R8G8B8 pages (white, coverage in alpha) packed shelf by shelf; a new page
// starts when the current one is full.
class GlyphCache {
public:
    GlyphCache() = default;
    GlyphCache(const GlyphCache&) = delete;
    GlyphCache& operator=(const GlyphCache&) = delete;
    ~GlyphCache();

    // Opens the face at the logical height (see font.h) and makes the first
    // page; a failure is logged.
    HRESULT Open(IDirect3DDevice9* device, const FaceChoice& choice, INT height);

    int Ascent() const { return ascent_; }
    int LineHeight() const { return lineHeight_; }
    int PageSize() const { return pageSize_; }
    int PageCount() const { return static_cast<int>(pages_.size()); }
    IDirect3DTexture9* Page(int index) const { return pages_[index].texture; }

    // The glyph of a character, rendered into a page the first time; never null.
    const Glyph& Get(char32_t c);
    // Writes the pages changed since the last call into their textures.
    bool Upload();

private:
    struct PageData {
        IDirect3DTexture9* texture = nullptr;
        std::vector<uint8_t> pixels;  // B, G, R, A; kept only while the page still fills
        bool dirty = false;
    };

    bool Render(char32_t c, Glyph& glyph);
    bool NewPage();

    IDirect3DDevice9* device_ = nullptr;  // not counted: the font holds it
    FT_LibraryRec_* library_ = nullptr;
    FT_FaceRec_* face_ = nullptr;
    bool embolden_ = false;
    bool outlinesOnly_ = false;
    long emboldenStrength_ = 0;  // 26.6 pixels
    int ascent_ = 0;
    int lineHeight_ = 0;
    int pageSize_ = 0;
    int shelfX_ = 0, shelfY_ = 0, shelfHeight_ = 0;
    std::vector<PageData> pages_;
    std::unordered_map<char32_t, Glyph> glyphs_;
};

}  // namespace orv::d3dx9
