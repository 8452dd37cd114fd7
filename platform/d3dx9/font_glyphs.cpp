// Glyphs rendered with FreeType into texture pages.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3dx9/font_impl.h"
#include "platform/d3dx9/texture_image.h"

namespace orv::d3dx9 {

namespace {

// Logical heights beyond this are refused rather than rendered into pages of
// gigabytes.
constexpr int kMaxHeight = 1024;
constexpr int kDefaultHeight = 16;
constexpr int kMinPage = 256;
constexpr int kMaxPage = 2048;

}  // namespace

GlyphCache::~GlyphCache() {
    for (PageData& page : pages_)
        if (page.texture) page.texture->Release();
    if (face_) FT_Done_Face(face_);
    if (library_) FT_Done_FreeType(library_);
}

HRESULT GlyphCache::Open(IDirect3DDevice9* device, const FaceChoice& choice, INT height) {
    device_ = device;
    if (height > kMaxHeight || height < -kMaxHeight) {
        LogError("fonts: height %d is out of range", height);
        return D3DERR_INVALIDCALL;
    }
    if (FT_Init_FreeType(&library_)) {
        library_ = nullptr;
        LogError("fonts: FreeType cannot start");
        return E_FAIL;
    }
    if (FT_New_Face(library_, choice.info.file.c_str(), choice.info.index, &face_)) {
        face_ = nullptr;
        LogError("fonts: cannot open %s", choice.info.file.c_str());
        return E_FAIL;
    }
    // fontconfig's charset said yes; the face's own map must agree.
    if (FT_Select_Charmap(face_, FT_ENCODING_UNICODE) || FT_Get_Char_Index(face_, 0x3042) == 0 ||
        !FT_IS_SCALABLE(face_)) {
        LogError("fonts: %s has no scalable Japanese glyphs", choice.info.file.c_str());
        return E_FAIL;
    }

    // Windows measures a cell by the face's Windows ascent and descent.
    long ascender = face_->ascender, descender = -face_->descender;
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        ascender = os2->usWinAscent;
        descender = os2->usWinDescent;
    }
    const long units = face_->units_per_EM > 0 ? face_->units_per_EM : 1000;
    const long cell = ascender + descender > 0 ? ascender + descender : units;
    const int logical = height == 0 ? kDefaultHeight : height;
    const double em = logical > 0 ? double(logical) * double(units) / double(cell) : double(-logical);
    if (FT_Set_Char_Size(face_, 0, std::max<FT_F26Dot6>(64, std::lround(em * 64.0)), 72, 72)) {
        LogError("fonts: %s cannot be set to height %d", choice.info.file.c_str(), height);
        return E_FAIL;
    }
    const FT_Fixed scale = face_->size->metrics.y_scale;
    ascent_ = static_cast<int>(std::lround(FT_MulFix(ascender, scale) / 64.0));
    const int descent = static_cast<int>(std::lround(FT_MulFix(descender, scale) / 64.0));
    if (logical > 0) {
        lineHeight_ = logical;
        ascent_ = std::min(ascent_, logical);
    } else {
        lineHeight_ = std::max(1, ascent_ + descent);
    }

    embolden_ = choice.info.emboldened;
    emboldenStrength_ = FT_MulFix(units, scale) / 24;
    if (choice.slant) {
        FT_Matrix shear = {0x10000, 0x3333, 0, 0x10000};  // x += 0.2 y
        FT_Set_Transform(face_, &shear, nullptr);
    }
    outlinesOnly_ = embolden_ || choice.slant;

    pageSize_ = kMinPage;
    while (pageSize_ < lineHeight_ * 16 && pageSize_ < kMaxPage) pageSize_ *= 2;
    return NewPage() ? S_OK : E_FAIL;
}

bool GlyphCache::NewPage() {
    IDirect3DTexture9* texture = nullptr;
    const UINT size = static_cast<UINT>(pageSize_);
    // Dynamic, so each upload may discard the page's old contents.
    if (FAILED(device_->CreateTexture(size, size, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture,
                                      nullptr))) {
        LogError("fonts: no glyph page of %d x %d", pageSize_, pageSize_);
        return false;
    }
    PageData page;
    page.texture = texture;
    page.pixels.assign(size_t(size) * size * 4, 0);
    page.dirty = true;
    pages_.push_back(std::move(page));
    shelfX_ = shelfY_ = shelfHeight_ = 0;
    return true;
}

const Glyph& GlyphCache::Get(char32_t c) {
    auto found = glyphs_.find(c);
    if (found != glyphs_.end()) return found->second;
    Glyph glyph;
    if (!Render(c, glyph)) glyph = Glyph{};
    return glyphs_.emplace(c, glyph).first->second;
}

bool GlyphCache::Render(char32_t c, Glyph& glyph) {
    // A character the face lacks draws the face's missing-glyph box, as on Windows.
    const FT_UInt index = FT_Get_Char_Index(face_, c);
    // Emboldening and shearing work on outlines: embedded bitmaps are skipped then.
    if (FT_Load_Glyph(face_, index, outlinesOnly_ ? FT_LOAD_NO_BITMAP : FT_LOAD_DEFAULT)) return false;
    FT_GlyphSlot slot = face_->glyph;
    int extra = 0;
    if (embolden_ && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        FT_Outline_Embolden(&slot->outline, emboldenStrength_);
        extra = std::max(1, static_cast<int>((emboldenStrength_ + 32) >> 6));
    }
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL)) return false;
    glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6) + extra;
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    const FT_Bitmap& bitmap = slot->bitmap;
    const int width = static_cast<int>(bitmap.width), height = static_cast<int>(bitmap.rows);
    if (width == 0 || height == 0) return true;
    if (width + 1 > pageSize_ || height + 1 > pageSize_) {
        LogError("fonts: glyph U+%04X (%d x %d) is larger than a page", unsigned(c), width, height);
        return true;
    }
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && bitmap.pixel_mode != FT_PIXEL_MODE_MONO &&
        bitmap.pixel_mode != FT_PIXEL_MODE_BGRA)
        return true;

    if (shelfX_ + width + 1 > pageSize_) {
        shelfY_ += shelfHeight_;
        shelfX_ = shelfHeight_ = 0;
    }
    if (shelfY_ + height + 1 > pageSize_ && !NewPage()) return false;
    PageData& page = pages_.back();
    for (int row = 0; row < height; ++row) {
        const int pitch = bitmap.pitch;
        const unsigned char* src =
            bitmap.buffer + (pitch >= 0 ? ptrdiff_t(row) * pitch : ptrdiff_t(height - 1 - row) * -pitch);
        uint8_t* dst = &page.pixels[(size_t(shelfY_ + row) * pageSize_ + shelfX_) * 4];
        for (int col = 0; col < width; ++col, dst += 4) {
            int coverage;
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
                coverage = (src[col >> 3] >> (7 - (col & 7))) & 1 ? 255 : 0;
            else if (bitmap.pixel_mode == FT_PIXEL_MODE_BGRA)
                coverage = src[col * 4 + 3];
            else
                coverage = bitmap.num_grays > 1 ? src[col] * 255 / (bitmap.num_grays - 1) : src[col];
            dst[0] = dst[1] = dst[2] = 255;
            dst[3] = static_cast<uint8_t>(coverage);
        }
    }
    page.dirty = true;
    glyph.page = static_cast<int>(pages_.size()) - 1;
    glyph.x = shelfX_;
    glyph.y = shelfY_;
    glyph.width = width;
    glyph.height = height;
    shelfX_ += width + 1;
    shelfHeight_ = std::max(shelfHeight_, height + 1);
    return true;
}

bool GlyphCache::Upload() {
    for (size_t i = 0; i < pages_.size(); ++i) {
        PageData& page = pages_[i];
        if (!page.dirty) continue;
        D3DLOCKED_RECT locked{};
        if (FAILED(page.texture->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD))) {
            LogError("fonts: a glyph page cannot be written");
            return false;
        }
        const size_t row = size_t(pageSize_) * 4;
        for (int y = 0; y < pageSize_; ++y)
            std::memcpy(static_cast<uint8_t*>(locked.pBits) + ptrdiff_t(y) * locked.Pitch, &page.pixels[y * row], row);
        page.texture->UnlockRect(0);
        page.dirty = false;
        // Only the last page still receives glyphs.
        if (i + 1 < pages_.size()) std::vector<uint8_t>().swap(page.pixels);
    }
    return true;
}

}  // namespace orv::d3dx9
