// The title's intro timeline: logo, flash, menu, and the way into a new game.
#include <gtest/gtest.h>

#include "FrontendTestSupport.h"
#include "engine/assets/FillObject.h"
#include "game/frontend/SceneTitle.h"
#include "game/frontend/Title_Logo.h"

using frontend_test::Held;
using Quorvex::FillObject;

namespace {

constexpr float kFrame = 1.0f / 60.0f;

// A title without its world: only the logo and the fill layer that the event
// state machine drives.
class TitleUnderTest : public SceneTitle {
public:
    TitleUnderTest(Title_Logo* logo, FillObject* fill) {
        m_pLogo = logo;
        m_pLogo->AddRef();
        m_pFill = fill;
        m_pFill->AddRef();
    }
};

struct TitleFixture : ::testing::Test {
    Held<Quorvex::ObjectManager> manager{frontend_test::NewObjectManager()};
    Held<Title_Logo> logo{new Title_Logo(manager.get())};
    Held<FillObject> fill{new FillObject(manager.get())};
    TitleUnderTest* title = nullptr;

    void SetUp() override {
        ASSERT_EQ(logo->Initialize(0), 0);
        ASSERT_EQ(fill->Initialize(0), 0);
        title = new TitleUnderTest(logo.get(), fill.get());
        title->AddRef();
    }
    void TearDown() override { title->Release(); }

    // Frames until the state changes (at most `limit`); the time they took.
    float RunUntilStateChanges(int limit = 1000) {
        const int state = title->GetEventState();
        float elapsed = 0.0f;
        for (int i = 0; i < limit && title->GetEventState() == state; ++i) {
            title->UpdateEvent(kFrame, false);
            elapsed += kFrame;
        }
        return elapsed;
    }
};

}  // namespace

TEST_F(TitleFixture, IntroReachesTheMenuAfterAboutFourSeconds) {
    title->UpdateEvent(kFrame, false);
    EXPECT_EQ(title->GetEventState(), SceneTitle::kEventLogo);
    EXPECT_EQ(fill->m_mode, FillObject::ModeFill);
    EXPECT_EQ(fill->m_colorA[3], 1.0f);
    EXPECT_EQ(logo->GetBand().color >> 24, 255u) << "the band shows at once";

    float elapsed = kFrame + RunUntilStateChanges();
    EXPECT_EQ(title->GetEventState(), SceneTitle::kEventFlash);
    EXPECT_NEAR(elapsed, 3.0f, 3 * kFrame);
    EXPECT_TRUE(logo->IsLineFadeOutSpent());
    EXPECT_TRUE(logo->IsTileFadeOutSpent());

    // The flash starts on the next frame: black to white while the fill is
    // still solid, and only once.
    title->UpdateEvent(kFrame, false);
    EXPECT_GE(title->GetStateTime(), 2.0f);
    title->UpdateEvent(kFrame, false);
    EXPECT_EQ(fill->m_mode, FillObject::ModeCrossFade);
    fill->Update(0.25f);
    title->UpdateEvent(kFrame, false);
    EXPECT_FLOAT_EQ(fill->m_progress, 0.25f);

    elapsed += 3 * kFrame + RunUntilStateChanges();
    EXPECT_EQ(title->GetEventState(), SceneTitle::kEventMenu);
    EXPECT_NEAR(elapsed, 4.0f, 6 * kFrame) << "a state change takes one frame of its own";
    EXPECT_EQ(fill->m_mode, FillObject::ModeNone);

    title->UpdateEvent(kFrame, false);
    EXPECT_GE(logo->GetMain().alphaProgress, 0.0f) << "the main picture fades in with the menu";
    EXPECT_GE(logo->GetFooter(0).alphaProgress, 0.0f);
    for (int i = 0; i < 600; ++i) title->UpdateEvent(kFrame, true);
    EXPECT_EQ(title->GetEventState(), SceneTitle::kEventMenu) << "the menu stays; no intro again";
}

TEST_F(TitleFixture, SkipJumpsToTheFadeOutOnlyDuringTheFirstTwoSeconds) {
    title->UpdateEvent(kFrame, true);
    title->UpdateEvent(kFrame, true);
    EXPECT_LT(title->GetStateTime(), 0.1f) << "a skip while t is 0 does nothing";

    for (int i = 0; i < 30; ++i) title->UpdateEvent(kFrame, false);
    title->UpdateEvent(kFrame, true);
    EXPECT_NEAR(title->GetStateTime(), 2.0f + kFrame, 1e-5f);
    EXPECT_FALSE(logo->IsLineFadeOutSpent());
    title->UpdateEvent(kFrame, false);
    EXPECT_TRUE(logo->IsLineFadeOutSpent());

    // Later presses change nothing.
    const float t = title->GetStateTime();
    title->UpdateEvent(kFrame, true);
    EXPECT_NEAR(title->GetStateTime(), t + kFrame, 1e-5f);
}

TEST_F(TitleFixture, ASlowFrameSkipsTheFadeOutStep) {
    title->UpdateEvent(kFrame, false);
    title->UpdateEvent(1.9f, false);
    EXPECT_EQ(title->GetEventState(), SceneTitle::kEventLogo);
    title->UpdateEvent(1.5f, false);
    EXPECT_EQ(title->GetEventState(), SceneTitle::kEventLogo);
    title->UpdateEvent(kFrame, false);
    EXPECT_EQ(title->GetEventState(), SceneTitle::kEventFlash);
    EXPECT_FALSE(logo->IsLineFadeOutSpent());
    EXPECT_EQ(logo->GetLine(0).color >> 24, 255u) << "the lines were completed, not faded";
}

TEST_F(TitleFixture, AStartChoiceFadesToWhiteAboveTheMenuThenAsksForTheGame) {
    title->SetEventState(SceneTitle::kEventLeave);
    title->UpdateEvent(kFrame, false);
    EXPECT_EQ(fill->m_mode, FillObject::ModeFadeIn);
    EXPECT_EQ(fill->GetDrawPriority(), 100.0f);
    EXPECT_EQ(fill->m_progress, 0.0f);
    const float elapsed = kFrame + RunUntilStateChanges();
    EXPECT_EQ(title->GetEventState(), SceneTitle::kEventNewGame);
    EXPECT_NEAR(elapsed, 1.0f, 2 * kFrame);
}
