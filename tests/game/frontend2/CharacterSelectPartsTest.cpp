// The callout window's glide, fade and typed texts, and the title band's
// restart on a new row.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "game/frontend/CharacterSelect_Title.h"
#include "game/frontend/CharacterSelect_Window.h"
#include "game/frontend/FrontendTestSupport.h"

using frontend_test::Held;

namespace {

struct PartsTest : ::testing::Test {
    Held<Quorvex::ObjectManager> manager{frontend_test::NewObjectManager()};
};

}  // namespace

TEST_F(PartsTest, WindowShownAndMovedInOneFrameStartsOverAtTheNewPlace) {
    Held<CharacterSelect_Window> window{new CharacterSelect_Window(manager.get())};
    ASSERT_EQ(window->Initialize(0), 0);
    window->Show({0.25f, 0.25f}, {0.5f, 0.5f});
    window->SetBody(L"body");
    for (int i = 0; i < 60; ++i) window->Advance(1.0f / 60.0f);
    EXPECT_EQ(window->GetAlpha(), 1.0f);

    // Show on a shown window glides from where it stands, transparent again.
    window->Show({1.0f, 0.5f}, {0.75f, 0.5f});
    window->Advance(0.25f);
    EXPECT_NEAR(window->GetBoxPosition().x, 0.625f, 1e-5f) << "half way after a quarter second";
    EXPECT_NEAR(window->GetAlpha(), 0.75f, 1e-5f);
    window->Advance(0.25f);
    EXPECT_NEAR(window->GetBoxPosition().x, 1.0f, 1e-6f);

    // Hidden, then shown anew in the same frame: the new place at once, no text.
    window->Hide();
    window->Show({0.1f, 0.2f}, {0.3f, 0.4f});
    window->Advance(0.0f);
    EXPECT_EQ(window->GetBoxPosition(), D3DXVECTOR2(0.1f, 0.2f));
    EXPECT_EQ(window->GetAlpha(), 0.0f);
    EXPECT_TRUE(window->GetBody().empty());
    EXPECT_TRUE(window->GetHeading().empty());
}

TEST_F(PartsTest, WindowTextsTypeAHundredCharactersASecondOnceFullyShown) {
    Held<CharacterSelect_Window> window{new CharacterSelect_Window(manager.get())};
    ASSERT_EQ(window->Initialize(0), 0);
    window->Show({0.5f, 0.5f}, {0.2f, 0.2f});
    window->SetBody(std::wstring(50, L'あ'));
    window->Advance(0.2f);
    EXPECT_EQ(window->GetBodyReveal(), 0.0f) << "nothing is typed while the window fades in";
    window->Advance(0.25f);
    EXPECT_NEAR(window->GetBodyReveal(), 0.5f, 1e-5f);
    EXPECT_EQ(CharacterSelect_Window::RevealedLength(window->GetBody(), window->GetBodyReveal()), 25);
    window->Advance(0.3f);
    EXPECT_EQ(window->GetBodyReveal(), 1.0f);
    EXPECT_EQ(window->GetHeadingReveal(), 1.0f) << "an empty text stays empty";
    EXPECT_EQ(CharacterSelect_Window::RevealedLength(window->GetHeading(), 1.0f), 0);

    // The leader line runs from the anchor to the box.
    EXPECT_NEAR(window->GetLine().width, std::sqrt(0.18f), 1e-5f);
    EXPECT_NEAR(window->GetLine().angle, 0.78539816f, 1e-5f);
}

TEST_F(PartsTest, TitleBandRestartsItsFadeAndScrollOnANewRow) {
    Held<CharacterSelect_Title> band{new CharacterSelect_Title(manager.get())};
    ASSERT_EQ(band->Initialize(0), 0);
    D3DXQUATERNION turn;
    D3DXQuaternionRotationYawPitchRoll(&turn, 1.0f, 0.0f, 0.0f);
    band->Place(D3DXVECTOR3(50.0f, 0.0f, 0.0f), turn, 0);
    band->Advance(1.5f);
    EXPECT_EQ(band->GetAlpha(), 1.0f);
    EXPECT_EQ(band->GetSprite().position, D3DXVECTOR3(50.0f, 0.0f, 0.0f));
    EXPECT_NEAR(band->GetSprite().uv[0].x, 0.75f, 1e-6f);

    band->Place(D3DXVECTOR3(-50.0f, 0.0f, 0.0f), turn, 2);
    band->Advance(0.25f);
    EXPECT_NEAR(band->GetAlpha(), 0.25f, 1e-6f);
    EXPECT_NEAR(band->GetSprite().position.x, 0.0f, 1e-4f);
    EXPECT_NEAR(band->GetSprite().uv[0].x, 0.125f, 1e-6f);
    EXPECT_NEAR(band->GetSprite().uv[1].x, 10.125f, 1e-5f);
    EXPECT_NEAR(band->GetSprite().uv[0].y, 0.32f, 1e-6f);
    EXPECT_NEAR(band->GetSprite().uv[2].y, 0.445f, 1e-6f);
}
