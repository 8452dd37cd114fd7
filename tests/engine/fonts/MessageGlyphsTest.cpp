// Every engine message can be shown in the Gothic face the game asks for:
// a face that lacks one of their characters would draw a box in its place.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/MessageTable.h"
#include "platform/d3dx9/d3dx9.h"

TEST(MessageGlyphs, TheGothicFaceCoversEveryMessage) {
    Quorvex::MessageTable::Build();
    orv::d3dx9::FontFaceInfo face;
    ASSERT_TRUE(orv::d3dx9::ResolveFontFace(L"ＭＳ ゴシック", FW_NORMAL, FALSE, face));
    int texts = 0;
    for (int id = 0; id < 64; ++id) {
        const wchar_t* text = Quorvex::MessageTable::GetText(id);
        if (!text) continue;
        ++texts;
        WCHAR missing = 0;
        EXPECT_TRUE(orv::d3dx9::FontFaceCoversText(face, text, &missing))
            << "message " << id << " lacks U+" << std::hex << static_cast<unsigned>(missing) << " in "
            << face.family;
    }
    EXPECT_GE(texts, 53);
}
