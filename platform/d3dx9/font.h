// Fonts: text drawn on the device from glyphs that FreeType renders into
// texture pages, with faces chosen by fontconfig.
//
// Face names: the Windows Japanese Gothic names the game asks for ("ＭＳ ゴシック",
// "ＭＳ　ゴシック", "MS Gothic", "HGSｺﾞｼｯｸE") are aliased to an installed Japanese
// Gothic face (IPAGothic first). Whatever the name, the face taken must have
// Japanese glyphs: a name that matches nothing, or matches a face without
// them, falls back to the system's Japanese face; when there is none at all,
// D3DXCreateFontW fails with E_FAIL instead of drawing boxes.
//
// Height, as a Windows logical font height in pixels: positive = cell height
// (ascent + descent, which is also the line pitch), negative = character
// height (the em size), 0 = a default of 16. Weights of FW_SEMIBOLD and above
// take a bold face, emboldened from the regular outlines where the family has
// no bold. Width, mip levels, character set, precision, quality and pitch are
// accepted and do not change the glyphs (always antialiased, no kerning).
//
// DrawTextW lays out lines broken at "\r\n", "\n" or "\r" (not with
// DT_SINGLELINE), aligns them in the rectangle (DT_LEFT/CENTER/RIGHT,
// DT_TOP/VCENTER/BOTTOM, applied to the whole block), and draws them in the
// ARGB colour with alpha blending, clipped to the rectangle unless DT_NOCLIP.
// It returns the height of the text (line count x line pitch; with DT_VCENTER
// or DT_BOTTOM the distance from the rectangle's top to the text's bottom), or
// 0 when there is nothing to draw or drawing failed. A trailing line break
// starts no further line. DT_CALCRECT only sets the rectangle to the text's
// bounds. The sprite argument is accepted and the text drawn at once.
//
// Drawing sets its own program, blend, depth, cull and stage-0 states and puts
// back every one it changed, except stream 0, which is left unset as after any
// DrawPrimitiveUP; the effect program in use (if any) is not restored: draw
// text outside effect passes. Fonts belong to the device's thread.
#pragma once
#include <string>

#include "platform/d3d9/d3d9.h"

// ---- Windows font and text constants --------------------------------------------------
#ifndef FW_DONTCARE
#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_EXTRALIGHT 200
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_EXTRABOLD 800
#define FW_HEAVY 900
#define FW_REGULAR FW_NORMAL
#define FW_DEMIBOLD FW_SEMIBOLD
#define FW_ULTRABOLD FW_EXTRABOLD
#define FW_BLACK FW_HEAVY

#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define SHIFTJIS_CHARSET 128

#define OUT_DEFAULT_PRECIS 0
#define OUT_STRING_PRECIS 1
#define OUT_CHARACTER_PRECIS 2
#define OUT_STROKE_PRECIS 3
#define OUT_TT_PRECIS 4
#define OUT_DEVICE_PRECIS 5
#define OUT_RASTER_PRECIS 6
#define OUT_TT_ONLY_PRECIS 7
#define OUT_OUTLINE_PRECIS 8

#define DEFAULT_QUALITY 0
#define DRAFT_QUALITY 1
#define PROOF_QUALITY 2
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4
#define CLEARTYPE_QUALITY 5

#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE (0 << 4)
#define FF_ROMAN (1 << 4)
#define FF_SWISS (2 << 4)
#define FF_MODERN (3 << 4)
#define FF_SCRIPT (4 << 4)
#define FF_DECORATIVE (5 << 4)
#endif

#ifndef DT_TOP
#define DT_TOP 0x00000000u
#define DT_LEFT 0x00000000u
#define DT_CENTER 0x00000001u
#define DT_RIGHT 0x00000002u
#define DT_VCENTER 0x00000004u
#define DT_BOTTOM 0x00000008u
#define DT_WORDBREAK 0x00000010u
#define DT_SINGLELINE 0x00000020u
#define DT_EXPANDTABS 0x00000040u
#define DT_TABSTOP 0x00000080u
#define DT_NOCLIP 0x00000100u
#define DT_EXTERNALLEADING 0x00000200u
#define DT_CALCRECT 0x00000400u
#define DT_NOPREFIX 0x00000800u
#endif

// Sprites batch text in D3DX; here text is always drawn at once.
struct ID3DXSprite;
typedef ID3DXSprite* LPD3DXSPRITE;

struct ID3DXFont : public IUnknown {
    // The device, with a reference.
    virtual HRESULT STDMETHODCALLTYPE GetDevice(LPDIRECT3DDEVICE9* ppDevice) = 0;
    // Count -1 draws to the terminator; otherwise at most Count characters
    // (fewer when a terminator comes first).
    virtual INT STDMETHODCALLTYPE DrawTextW(LPD3DXSPRITE pSprite, LPCWSTR pString, INT Count, LPRECT pRect,
                                            DWORD Format, D3DCOLOR Color) = 0;
    // The device is never reset, so its glyph pages are never lost: nothing
    // to give up or rebuild.
    virtual HRESULT STDMETHODCALLTYPE OnLostDevice() = 0;
    virtual HRESULT STDMETHODCALLTYPE OnResetDevice() = 0;
};
typedef ID3DXFont* LPD3DXFONT;

// D3DERR_INVALIDCALL for a null device or result pointer; E_FAIL when no face
// with Japanese glyphs can be had, or the device refuses the glyph pages.
HRESULT WINAPI D3DXCreateFontW(LPDIRECT3DDEVICE9 pDevice, INT Height, UINT Width, UINT Weight, UINT MipLevels,
                               BOOL Italic, DWORD CharSet, DWORD OutputPrecision, DWORD Quality,
                               DWORD PitchAndFamily, LPCWSTR pFaceName, LPD3DXFONT* ppFont);

// Extensions of this platform layer for tools and tests.
namespace orv::d3dx9 {

struct FontFaceInfo {
    std::string family;      // the family fontconfig matched, as UTF-8
    std::string file;        // the font file
    int index = 0;           // the face inside the file
    bool japanese = false;   // the face maps U+3042 (hiragana a)
    bool emboldened = false; // bold asked for and made from the regular outlines
};

// The face D3DXCreateFontW takes for a face name and weight; false when there
// is none with Japanese glyphs.
bool ResolveFontFace(LPCWSTR faceName, UINT weight, BOOL italic, FontFaceInfo& info);

// Whether the chosen face maps every printable character of `text`; the
// first one it lacks goes to `firstMissing` when given.
bool FontFaceCoversText(const FontFaceInfo& info, LPCWSTR text, WCHAR* firstMissing = nullptr);

// The face a font made by D3DXCreateFontW uses; false for anything else.
bool GetFontFaceInfo(ID3DXFont* font, FontFaceInfo& info);

}  // namespace orv::d3dx9
