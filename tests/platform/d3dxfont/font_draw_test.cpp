// Text drawn on an offscreen device: lines, colour, alignment, clipping, the
// returned height, glyph pages that fill up, and the device states a draw
// must leave as it found them.
#include <string>

#include "font_fixture.h"

namespace {

constexpr DWORD kNoClip = DT_NOCLIP | DT_LEFT | DT_TOP;

class FontDraw : public FontTest {};

// The statistics overlay's kind of text: two lines from one point, each in
// its own band of line pitch, in exactly the colour given.
TEST_F(FontDraw, TwoLinesInTheGivenColour) {
    ID3DXFont* font = MakeFont(24);
    ASSERT_NE(font, nullptr);
    const struct {
        D3DCOLOR color;
        int r, g, b;  // brightest channel values expected over black
    } cases[] = {{0xFF00FF00, 0, 255, 0}, {0xFFFF2000, 255, 32, 0}, {0x80FFFFFF, 128, 128, 128}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.color);
        EXPECT_EQ(DrawOnBlack(font, L"FPS 60\r\nあいう", RECT{8, 8, 0, 0}, kNoClip, c.color), 48);
        const Ink first = InkIn(0, 0, kWidth, 32), second = InkIn(0, 32, kWidth, kHeight);
        ASSERT_GT(first.count, 20);
        ASSERT_GT(second.count, 40);
        EXPECT_GE(first.minY, 8);
        EXPECT_LE(second.maxY, 8 + 48);
        EXPECT_LE(first.minX, 12);
        EXPECT_GE(first.minX, 8);
        // A blank row between the baseline of "FPS 60" and the top of the kana.
        EXPECT_LT(first.maxY, second.minY - 1);
        // The kana are wider than "FPS 60" is tall: three full-width cells.
        EXPECT_GT(second.maxX - second.minX, 50);
        const Ink all = AllInk();
        EXPECT_NEAR(all.maxR, c.r, 2);
        EXPECT_NEAR(all.maxG, c.g, 2);
        EXPECT_NEAR(all.maxB, c.b, 2);
    }
}

TEST_F(FontDraw, ReturnsTheHeightOfTheText) {
    ID3DXFont* font = MakeFont(24);
    ASSERT_NE(font, nullptr);
    const struct {
        const wchar_t* text;
        INT count;
        DWORD format;
        RECT rect;
        INT height;
    } cases[] = {
        {L"", -1, kNoClip, {0, 0, 0, 0}, 0},
        {L"abc", 0, kNoClip, {0, 0, 0, 0}, 0},
        {L"abc", -1, kNoClip, {0, 0, 0, 0}, 24},
        {L"a\nb", -1, kNoClip, {0, 0, 0, 0}, 48},
        {L"a\r\nb\r\n", -1, kNoClip, {0, 0, 0, 0}, 48},  // a closing break starts no line
        {L"a\r\rb", -1, kNoClip, {0, 0, 0, 0}, 72},      // an empty line in between counts
        {L"\r\n", -1, kNoClip, {0, 0, 0, 0}, 24},
        {L"a\nb", -1, kNoClip | DT_SINGLELINE, {0, 0, 0, 0}, 24},
        {L"ab\ncd", 2, kNoClip, {0, 0, 0, 0}, 24},       // the count ends the text
        {L"ab\ncd", 99, kNoClip, {0, 0, 0, 0}, 48},      // and so does the terminator
        {L"   ", -1, kNoClip, {0, 0, 0, 0}, 24},
        {L"a", -1, DT_VCENTER | DT_SINGLELINE, {0, 0, 100, 100}, 62},  // from the top to the text's bottom
        {L"a", -1, DT_BOTTOM | DT_SINGLELINE, {0, 10, 100, 100}, 90},
        {L"a", -1, 0, {0, 0, 0, 0}, 24},  // clipped away entirely, still laid out
    };
    for (const auto& c : cases) {
        RECT rect = c.rect;
        EXPECT_EQ(font->DrawTextW(nullptr, c.text, c.count, &rect, c.format, 0xFFFFFFFF), c.height)
            << "case #" << (&c - cases);
    }
    RECT rect{0, 0, 0, 0};
    EXPECT_EQ(font->DrawTextW(nullptr, nullptr, -1, &rect, kNoClip, 0xFFFFFFFF), 0);
    EXPECT_EQ(font->DrawTextW(nullptr, L"a", -1, nullptr, kNoClip, 0xFFFFFFFF), 0);
}

// Positive heights are cells (the line pitch), negative ones the em, which is
// smaller than the cell: the same number gives larger glyphs and lines.
TEST_F(FontDraw, NegativeHeightIsTheCharacterHeight) {
    ID3DXFont* cell = MakeFont(24);
    ID3DXFont* em = MakeFont(-24);
    ASSERT_TRUE(cell && em);
    const INT cellHeight = DrawOnBlack(cell, L"あ", RECT{0, 0, 0, 0}, kNoClip, 0xFFFFFFFF);
    const Ink small = AllInk();
    const INT emHeight = DrawOnBlack(em, L"あ", RECT{0, 0, 0, 0}, kNoClip, 0xFFFFFFFF);
    const Ink large = AllInk();
    EXPECT_EQ(cellHeight, 24);
    EXPECT_GT(emHeight, 24);
    EXPECT_GT(large.maxX - large.minX, small.maxX - small.minX);
}

TEST_F(FontDraw, ClipsToTheRectangleUnlessNoClip) {
    ID3DXFont* font = MakeFont(24);
    ASSERT_NE(font, nullptr);
    const RECT box{20, 20, 60, 36};  // narrower and shorter than the text
    const wchar_t* text = L"ああああ\nああああ";
    DrawOnBlack(font, text, box, DT_LEFT | DT_TOP, 0xFFFFFFFF);
    const Ink all = AllInk();
    ASSERT_GT(all.count, 0);
    EXPECT_GE(all.minX, box.left);
    EXPECT_LT(all.maxX, box.right);
    EXPECT_GE(all.minY, box.top);
    EXPECT_LT(all.maxY, box.bottom);
    // Clipped glyphs keep their place: the part inside matches the unclipped draw.
    const std::vector<uint8_t> clipped = pixels_;
    DrawOnBlack(font, text, box, DT_NOCLIP, 0xFFFFFFFF);
    EXPECT_GT(InkIn(box.right, 0, kWidth, kHeight).count, 0);
    EXPECT_GT(InkIn(0, box.bottom, kWidth, kHeight).count, 0);
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x) {
            const size_t at = (size_t(y) * kWidth + x) * 4;
            ASSERT_EQ(clipped[at], pixels_[at]) << x << "," << y;
        }
}

TEST_F(FontDraw, AlignsLinesInTheRectangle) {
    ID3DXFont* font = MakeFont(24);
    ASSERT_NE(font, nullptr);
    const RECT box{0, 0, 200, 100};
    DrawOnBlack(font, L"あいう", box, DT_RIGHT | DT_TOP, 0xFFFFFFFF);
    Ink ink = AllInk();
    EXPECT_LT(ink.maxX, 200);
    EXPECT_GT(ink.maxX, 190);
    DrawOnBlack(font, L"あいう", box, DT_CENTER | DT_TOP, 0xFFFFFFFF);
    ink = AllInk();
    EXPECT_NEAR((ink.minX + ink.maxX) / 2.0, 100.0, 4.0);
    DrawOnBlack(font, L"あいう", box, DT_LEFT | DT_VCENTER | DT_SINGLELINE, 0xFFFFFFFF);
    ink = AllInk();
    EXPECT_GE(ink.minY, 38);
    EXPECT_LT(ink.maxY, 62);
    EXPECT_LT(ink.minX, 4);
    DrawOnBlack(font, L"あいう", box, DT_LEFT | DT_BOTTOM | DT_SINGLELINE, 0xFFFFFFFF);
    ink = AllInk();
    EXPECT_GE(ink.minY, 76);
    EXPECT_LT(ink.maxY, 100);
}

TEST_F(FontDraw, CalcRectMeasuresWithoutDrawing) {
    ID3DXFont* font = MakeFont(24);
    ASSERT_NE(font, nullptr);
    RECT rect{10, 10, 0, 0};
    Clear();
    EXPECT_EQ(font->DrawTextW(nullptr, L"あいう\nA", -1, &rect, DT_CALCRECT | DT_NOCLIP, 0xFFFFFFFF), 48);
    ReadBack();
    EXPECT_EQ(AllInk().count, 0);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 10);
    EXPECT_EQ(rect.bottom, 58);
    // The widest line sets the width; drawn, its ink stays inside.
    DrawOnBlack(font, L"あいう\nA", RECT{10, 10, 0, 0}, kNoClip, 0xFFFFFFFF);
    const Ink ink = AllInk();
    EXPECT_GT(rect.right, 10 + 60);
    EXPECT_LE(ink.maxX, rect.right);
    EXPECT_GE(ink.maxX, rect.right - 8);  // less the last glyph's side bearing
}

TEST_F(FontDraw, BoldInksMoreThanRegular) {
    ID3DXFont* regular = MakeFont(24, FW_NORMAL);
    ID3DXFont* bold = MakeFont(24, FW_BOLD);
    ASSERT_TRUE(regular && bold);
    DrawOnBlack(regular, L"あいう", RECT{0, 0, 0, 0}, kNoClip, 0xFFFFFFFF);
    const int thin = AllInk().count;
    DrawOnBlack(bold, L"あいう", RECT{0, 0, 0, 0}, kNoClip, 0xFFFFFFFF);
    EXPECT_GT(AllInk().count, thin + thin / 10);
}

// More distinct glyphs than one page holds: glyphs on the first page and on
// later pages still draw exactly as a fresh font draws them.
TEST_F(FontDraw, GlyphsStayRightWhenPagesFillUp) {
    ID3DXFont* busy = MakeFont(12);
    ASSERT_NE(busy, nullptr);
    DrawOnBlack(busy, L"あ", RECT{0, 0, 0, 0}, kNoClip, 0xFFFFFFFF);
    const std::vector<uint8_t> before = pixels_;
    std::wstring many;
    for (wchar_t c = 0x4E00; c < 0x4E00 + 1200; ++c) many += c;
    RECT rect{0, 0, 0, 0};
    for (size_t i = 0; i < many.size(); i += 100)
        EXPECT_EQ(busy->DrawTextW(nullptr, many.c_str() + i, 100, &rect, kNoClip, 0xFFFFFFFF), 12);
    DrawOnBlack(busy, L"あ", RECT{0, 0, 0, 0}, kNoClip, 0xFFFFFFFF);
    EXPECT_EQ(pixels_, before) << "a glyph of the first page changed";

    const wchar_t late[] = {wchar_t(0x4E00 + 1199), wchar_t(0x4E00 + 700), 0};
    DrawOnBlack(busy, late, RECT{3, 5, 0, 0}, kNoClip, 0xFFFFFFFF);
    const std::vector<uint8_t> fromBusy = pixels_;
    ID3DXFont* fresh = MakeFont(12);
    ASSERT_NE(fresh, nullptr);
    DrawOnBlack(fresh, late, RECT{3, 5, 0, 0}, kNoClip, 0xFFFFFFFF);
    EXPECT_GT(AllInk().count, 10);
    EXPECT_EQ(fromBusy, pixels_) << "a glyph of a later page differs";
}

// Text is drawn in the middle of the engine's frame: whatever it changes
// must be back as the engine set it.
TEST_F(FontDraw, LeavesTheDeviceStatesAsItFoundThem) {
    ID3DXFont* font = MakeFont(16);
    ASSERT_NE(font, nullptr);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    const struct {
        D3DRENDERSTATETYPE state;
        DWORD value;
    } states[] = {{D3DRS_ALPHABLENDENABLE, FALSE}, {D3DRS_SRCBLEND, D3DBLEND_ONE},
                  {D3DRS_DESTBLEND, D3DBLEND_ZERO},  {D3DRS_BLENDOP, D3DBLENDOP_ADD},
                  {D3DRS_ZENABLE, D3DZB_TRUE},       {D3DRS_ZWRITEENABLE, TRUE},
                  {D3DRS_CULLMODE, D3DCULL_CW},      {D3DRS_FILLMODE, D3DFILL_SOLID}};
    for (const auto& s : states) ASSERT_EQ(device_->SetRenderState(s.state, s.value), D3D_OK);
    ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT), D3D_OK);
    ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP), D3D_OK);
    ASSERT_EQ(device_->SetTexture(0, texture), D3D_OK);
    ASSERT_EQ(device_->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE), D3D_OK);

    EXPECT_EQ(DrawOnBlack(font, L"Text あ", RECT{0, 0, 0, 0}, kNoClip, 0x80FFFFFF), 16);
    for (const auto& s : states) {
        DWORD value = 0xDEAD;
        device_->GetRenderState(s.state, &value);
        EXPECT_EQ(value, s.value) << "render state " << s.state;
    }
    DWORD value = 0;
    device_->GetSamplerState(0, D3DSAMP_MINFILTER, &value);
    EXPECT_EQ(value, DWORD(D3DTEXF_POINT));
    device_->GetSamplerState(0, D3DSAMP_ADDRESSU, &value);
    EXPECT_EQ(value, DWORD(D3DTADDRESS_WRAP));
    IDirect3DBaseTexture9* bound = nullptr;
    device_->GetTexture(0, &bound);
    EXPECT_EQ(bound, texture);
    SAFE_RELEASE(bound);
    DWORD fvf = 0;
    device_->GetFVF(&fvf);
    EXPECT_EQ(fvf, DWORD(D3DFVF_XYZRHW | D3DFVF_DIFFUSE));

    // The device's own program draws again, unblended: a half-transparent
    // quad lands as its plain colour.
    ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), D3D_OK);
    struct {
        float x, y, z, rhw;
        D3DCOLOR color;
    } quad[4] = {{-0.5f, -0.5f, 0, 1, 0x80336699},
                 {kWidth - 0.5f, -0.5f, 0, 1, 0x80336699},
                 {-0.5f, kHeight - 0.5f, 0, 1, 0x80336699},
                 {kWidth - 0.5f, kHeight - 0.5f, 0, 1, 0x80336699}};
    Clear();
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof quad[0]), D3D_OK);
    ReadBack();
    const uint8_t* p = &pixels_[(size_t(10) * kWidth + 10) * 4];
    EXPECT_EQ(p[0], 0x33);
    EXPECT_EQ(p[1], 0x66);
    EXPECT_EQ(p[2], 0x99);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW), D3D_OK);
    texture->Release();
}

}  // namespace
