// The title logo's one-second tweens and its once-only fade-outs.
#include <gtest/gtest.h>

#include "FrontendTestSupport.h"
#include "game/frontend/Title_Logo.h"

using frontend_test::Held;

TEST(TitleLogoTween, AlphaBecomesTheTruncatedByte) {
    struct Case {
        float alpha;
        D3DCOLOR byte;
    };
    const Case cases[] = {{0.5f, 127}, {1.0f, 255}, {0.0f, 0}, {1.5f, 255}, {-0.2f, 0}};
    for (const Case& c : cases) {
        Title_Logo::AnimSprite sprite;
        sprite.color = 0x00123456;
        sprite.SetAlpha(c.alpha);
        EXPECT_EQ(sprite.color >> 24, c.byte) << c.alpha;
        EXPECT_EQ(sprite.color & 0x00FFFFFFu, 0x00123456u) << "red, green and blue are kept";
    }
}

TEST(TitleLogoTween, RunsOverOneSecondAndLandsExactlyOnItsEnd) {
    Title_Logo::AnimSprite sprite;
    sprite.color = 0x00FFFFFF;
    sprite.positionStart = D3DXVECTOR2(0.0f, 0.0f);
    sprite.positionEnd = D3DXVECTOR2(0.3f, 0.7f);
    sprite.positionProgress = 0.0f;
    sprite.FadeAlphaTo(1.0f);

    sprite.Update(0.5f);
    EXPECT_NEAR(sprite.x, 0.15f, 1e-6f);
    EXPECT_EQ(sprite.color >> 24, 127u);
    EXPECT_FLOAT_EQ(sprite.alphaProgress, 0.5f);

    // 0.5 + 0.7 passes 1: the values are the end values, not extrapolated.
    sprite.Update(0.7f);
    EXPECT_EQ(sprite.x, 0.3f);
    EXPECT_EQ(sprite.y, 0.7f);
    EXPECT_EQ(sprite.color >> 24, 255u);
    EXPECT_LT(sprite.positionProgress, 0.0f);
    EXPECT_LT(sprite.alphaProgress, 0.0f);

    // Idle tweens leave the sprite alone.
    sprite.x = 5.0f;
    sprite.Update(1.0f);
    EXPECT_EQ(sprite.x, 5.0f);
}

TEST(TitleLogoTween, CompleteJumpsRunningTweensToTheirEnds) {
    Title_Logo::AnimSprite sprite;
    sprite.color = 0xFFFFFFFF;
    sprite.FadeAlphaTo(0.0f);
    sprite.Update(0.25f);
    sprite.Complete();
    EXPECT_EQ(sprite.color >> 24, 0u);
    EXPECT_LT(sprite.alphaProgress, 0.0f);
}

TEST(TitleLogo, FadeOutsActOnceUntilTheirStartRearmsThem) {
    Held<Quorvex::ObjectManager> manager(frontend_test::NewObjectManager());
    Held<Title_Logo> logo(new Title_Logo(manager.get()));
    ASSERT_EQ(logo->Initialize(0), 0);

    logo->StartLines();
    logo->StartTiles();
    logo->FinishTiles();
    // The band and the tiles show at once; the lines fade in.
    EXPECT_EQ(logo->GetBand().color >> 24, 255u);
    EXPECT_EQ(logo->GetTile(0).color >> 24, 255u);
    EXPECT_EQ(logo->GetLine(0).color >> 24, 0u);
    EXPECT_NEAR(logo->GetTile(2).x, 580.0f / 720.0f, 1e-6f);

    logo->Update(2.0f);
    EXPECT_EQ(logo->GetLine(1).color >> 24, 255u);

    logo->FadeOutLines();
    logo->Update(0.5f);
    const D3DCOLOR halfWay = logo->GetLine(0).color;
    // A second call neither restarts the fade nor changes its start.
    logo->FadeOutLines();
    EXPECT_FLOAT_EQ(logo->GetLine(0).alphaStart, 1.0f);
    EXPECT_FLOAT_EQ(logo->GetLine(0).alphaProgress, 0.5f);
    EXPECT_EQ(logo->GetLine(0).color, halfWay);

    logo->FinishLines();
    EXPECT_EQ(logo->GetLine(2).color >> 24, 0u);
    EXPECT_EQ(logo->GetBand().color >> 24, 0u);

    // StartLines re-arms: the next fade-out acts again.
    logo->StartLines();
    EXPECT_FALSE(logo->IsLineFadeOutSpent());
    logo->Update(1.0f);
    logo->FadeOutLines();
    EXPECT_TRUE(logo->IsLineFadeOutSpent());
    EXPECT_FLOAT_EQ(logo->GetLine(0).alphaProgress, 0.0f);

    logo->FadeOutTiles();
    logo->Update(0.25f);
    logo->FadeOutTiles();
    EXPECT_FLOAT_EQ(logo->GetTile(0).alphaProgress, 0.25f);
}
