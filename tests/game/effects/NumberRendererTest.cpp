// The digit row: how many digits a value and minimum draw, which cell each
// sprite shows, and where the row stands right- and left-aligned.
#include <cstdint>
#include <limits>

#include "EffectsTestSupport.h"
#include "engine/core/render/CalcVertexSet.h"
#include "game/screen/NumberRenderer.h"

namespace {

class NumberRendererTest : public effects_test::SceneFixture {
protected:
    void SetUp() override {
        SceneFixture::SetUp();
        number = new NumberRenderer(manager);
        number->AddRef();
        list.Allocate(24 * 4096, 2 * 6144, 1024);
    }
    void TearDown() override {
        SAFE_RELEASE(number);
        SceneFixture::TearDown();
    }
    // Digit sprites drawn by one render (four vertices each).
    int Draw() {
        list.Reset();
        number->Render(&list);
        return list.vertexCount / 4;
    }
    int CellOf(int sprite) { return static_cast<int>(number->GetDigitSprite(sprite)->uv[2].x * 32.0f + 0.5f); }

    NumberRenderer* number = nullptr;
    Quorvex::CalcVertexSet list;
};

TEST_F(NumberRendererTest, DrawsDigitsUpToTheMinimumCountAndNeverMoreThanTwenty) {
    struct Case {
        int64_t value;
        int minimum;
        int drawn;
    };
    const Case cases[] = {{0, 1, 1},    {0, 0, 1},   {345, 18, 18}, {345, 1, 3},
                          {345, 0, 3},  {1000, 2, 4}, {std::numeric_limits<int64_t>::max(), 1, 19},
                          {7, 20, 20},  {7, 40, 20}};
    number->m_visible = 1;
    for (const Case& c : cases) {
        number->m_value = c.value;
        number->m_minDigits = c.minimum;
        EXPECT_EQ(Draw(), c.drawn) << c.value << " min " << c.minimum;
    }
}

TEST_F(NumberRendererTest, RightmostSpriteCarriesTheUnitsAndLeadingZerosFillTheMinimum) {
    number->m_visible = 1;
    number->m_value = 345;
    number->m_minDigits = 5;
    ASSERT_EQ(Draw(), 5);
    EXPECT_EQ(CellOf(19), 5);
    EXPECT_EQ(CellOf(18), 4);
    EXPECT_EQ(CellOf(17), 3);
    EXPECT_EQ(CellOf(16), 0);
    EXPECT_EQ(CellOf(15), 0);

    // A negative value shows its magnitude's digits, never a cell left of zero.
    number->m_value = -42;
    number->m_minDigits = 1;
    ASSERT_EQ(Draw(), 2);
    EXPECT_EQ(CellOf(19), 2);
    EXPECT_EQ(CellOf(18), 4);
}

TEST_F(NumberRendererTest, HiddenRendererDrawsNothing) {
    number->m_value = 12;
    EXPECT_EQ(Draw(), 0);
}

TEST_F(NumberRendererTest, ShowAlignsTheLastDigitRightAndLeftAlignmentPutsTheFirstAtTheOrigin) {
    number->m_value = 345;
    number->Show(510.0f, 30.0f, 20.0f, 40.0f, 0xFFFFFFFF);
    EXPECT_EQ(number->m_visible, 1);
    EXPECT_EQ(number->GetRenderStage(), Stage("Sprite2D"));
    EXPECT_FLOAT_EQ(number->GetDigitSprite(19)->x, 842.5f);
    EXPECT_FLOAT_EQ(number->GetDigitSprite(0)->x, 510.0f);
    EXPECT_FLOAT_EQ(number->GetDigitSprite(19)->y, 30.0f);
    EXPECT_FLOAT_EQ(number->GetDigitSprite(19)->width, 20.0f);
    EXPECT_FLOAT_EQ(number->GetDigitSprite(19)->height, 40.0f);
    EXPECT_EQ(number->GetDigitSprite(3)->color, 0xFFFFFFFFu);

    number->m_leftAligned = 1;
    number->LayoutDigits(510.0f, 30.0f, 17.5f, 0.0f, 20.0f, 40.0f, 0xFFFFFFFF);
    EXPECT_FLOAT_EQ(number->GetDigitSprite(17)->x, 510.0f);  // the first of three digits
    EXPECT_FLOAT_EQ(number->GetDigitSprite(19)->x, 545.0f);
}

TEST_F(NumberRendererTest, StartsHiddenRightAlignedWithEighteenDigitsOnTheGreenHudColour) {
    EXPECT_EQ(number->m_visible, 0);
    EXPECT_EQ(number->m_leftAligned, 0);
    EXPECT_EQ(number->m_minDigits, 18);
    EXPECT_EQ(number->m_value, 0);
    EXPECT_EQ(number->GetDigitSprite(0)->color, 0xFF80FF80u);
    EXPECT_EQ(number->GetDigitSprite(0)->centered, 0);
    EXPECT_EQ(number->GetRenderStage(), nullptr);
    EXPECT_FALSE(manager->HasObject(number));
}

}  // namespace
