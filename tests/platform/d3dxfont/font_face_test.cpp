// Which face a font name leads to: the Windows Gothic names the game uses
// reach the installed Japanese Gothic face, and no name ends in a face that
// would draw Japanese text as boxes.
#include <string>

#include "font_fixture.h"

namespace {

struct NameCase {
    const wchar_t* name;
    bool aliased;  // one of the Windows Gothic names
};

const NameCase kNames[] = {
    {L"ＭＳ ゴシック", true},  {L"ＭＳ　ゴシック", true}, {L"MS Gothic", true},
    {L"HGSｺﾞｼｯｸE", true},   {L"No Such Face Q7", false}, {L"DejaVu Sans", false},
    {L"", false},
};

TEST(FontFace, EveryNameLeadsToAFaceWithJapaneseGlyphs) {
    for (const NameCase& c : kNames) {
        for (UINT weight : {UINT(FW_NORMAL), UINT(FW_BOLD)}) {
            SCOPED_TRACE(testing::Message() << "weight " << weight << " name #" << (&c - kNames));
            orv::d3dx9::FontFaceInfo info;
            ASSERT_TRUE(orv::d3dx9::ResolveFontFace(c.name, weight, FALSE, info));
            EXPECT_TRUE(info.japanese) << info.family;
            EXPECT_FALSE(info.file.empty());
            if (c.aliased) {
                EXPECT_EQ(info.family, "IPAGothic");
            }
        }
    }
    orv::d3dx9::FontFaceInfo info;
    EXPECT_TRUE(orv::d3dx9::ResolveFontFace(nullptr, FW_NORMAL, FALSE, info));
    EXPECT_TRUE(info.japanese);
}

// The Gothic face has no bold of its own: bold is made from its outlines, from
// semi-bold up, and the root overlay's weight 2 stays regular.
TEST(FontFace, BoldIsSynthesizedFromSemiBoldUp) {
    const struct {
        UINT weight;
        bool emboldened;
    } cases[] = {{0, false}, {2, false}, {FW_NORMAL, false}, {FW_MEDIUM, false},
                 {FW_SEMIBOLD, true}, {FW_BOLD, true}, {FW_HEAVY, true}};
    for (const auto& c : cases) {
        orv::d3dx9::FontFaceInfo info;
        ASSERT_TRUE(orv::d3dx9::ResolveFontFace(L"MS Gothic", c.weight, FALSE, info));
        EXPECT_EQ(info.emboldened, c.emboldened) << "weight " << c.weight;
    }
}

class FontCreate : public FontTest {};

TEST_F(FontCreate, FontKeepsTheChosenFaceAndItsDevice) {
    ID3DXFont* font = MakeFont(-20, FW_BOLD, L"No Such Face Q7");
    ASSERT_NE(font, nullptr);
    orv::d3dx9::FontFaceInfo info;
    ASSERT_TRUE(orv::d3dx9::GetFontFaceInfo(font, info));
    EXPECT_TRUE(info.japanese);
    IDirect3DDevice9* device = nullptr;
    ASSERT_EQ(font->GetDevice(&device), S_OK);
    EXPECT_EQ(device, device_);
    device->Release();
    EXPECT_EQ(font->OnLostDevice(), S_OK);
    EXPECT_EQ(font->OnResetDevice(), S_OK);
}

TEST_F(FontCreate, RefusesMissingArgumentsAndAbsurdHeights) {
    ID3DXFont* font = reinterpret_cast<ID3DXFont*>(this);
    EXPECT_EQ(D3DXCreateFontW(nullptr, 12, 0, FW_NORMAL, 0, FALSE, DEFAULT_CHARSET, 0, 0, 0, kGothic, &font),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateFontW(device_, 12, 0, FW_NORMAL, 0, FALSE, DEFAULT_CHARSET, 0, 0, 0, kGothic, nullptr),
              D3DERR_INVALIDCALL);
    for (INT height : {100000, -100000, INT_MIN}) {
        font = reinterpret_cast<ID3DXFont*>(this);
        EXPECT_TRUE(FAILED(
            D3DXCreateFontW(device_, height, 0, FW_NORMAL, 0, FALSE, DEFAULT_CHARSET, 0, 0, 0, kGothic, &font)))
            << height;
        EXPECT_EQ(font, nullptr);
    }
}

}  // namespace
