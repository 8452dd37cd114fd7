// The machine's screen effects: the sonic boom's fade and the speed streaks.
#include "PlayerTestSupport.h"
#include "engine/render/RenderTestSupport.h"
#include "game/player/OverTheSonic.h"
#include "game/player/SpellBg.h"
#include "game/player/WindEffect.h"

namespace player_test {
namespace {

TEST(SonicBoom, InvisibleAtBothEndsAndStrongestHalfway) {
    EXPECT_EQ(OverTheSonic::AlphaAt(0.0f), 0);
    EXPECT_EQ(OverTheSonic::AlphaAt(0.25f), 16);
    EXPECT_EQ(OverTheSonic::AlphaAt(0.5f), 32);
    EXPECT_EQ(OverTheSonic::AlphaAt(1.0f), 0);
}

using PlayerEffects = PlayerFixture;

// At its end the ring has opened to about a tenth of the screen height around
// its centre: on screen, and the same shape whatever the window's width.
TEST_F(PlayerEffects, SonicBoomRingOpensToATenthOfTheScreenAroundItsCentre) {
    render_test::Held<OverTheSonic> ring(new OverTheSonic(objects));
    ring->Start(1.2f, 0.4f, 0.5f);
    ring->Layout(1.0f);
    const Quorvex::Sprite2DInfo& right = ring->GetSprite(0);
    const Quorvex::Sprite2DInfo& below = ring->GetSprite(OverTheSonic::kSpriteCount / 4);
    EXPECT_NEAR(right.x - 1.2f, 0.1f * (0.29296875f * 0.5f + 640.0f / 720.0f), 1e-5f);
    EXPECT_NEAR(right.y, 0.4f, 1e-5f);
    EXPECT_NEAR(below.x, 1.2f, 1e-5f);
    EXPECT_NEAR(below.y - 0.4f, 0.1f * (0.78125f * 0.5f + 0.5f), 1e-5f);
    EXPECT_FLOAT_EQ(below.angle, D3DX_PI / 2.0f);
    ring->Layout(0.5f);
    EXPECT_NEAR(ring->GetSprite(0).x - 1.2f, 0.05f * (0.29296875f * 0.5f + 640.0f / 720.0f), 1e-5f) << "opens with t";
    EXPECT_EQ(ring->GetSprite(0).color >> 24, 32u);
}
using render_test::Held;

TEST_F(PlayerEffects, StreaksShowOnlyWithWind) {
    render_test::Held<WindEffect> still(new WindEffect(objects));
    EXPECT_GT(still->Step(0.1f), 0) << "streaks start every 0.01 s";
    still->Step(0.1f);
    for (const WindEffect::Streak& streak : still->GetStreaks()) {
        if (streak.active) {
            EXPECT_EQ(streak.color >> 24, 0u) << "no wind, nothing visible";
        }
    }

    render_test::Held<WindEffect> fast(new WindEffect(objects));
    fast->wind = D3DXVECTOR3(0.0f, 0.0f, -2000.0f);
    fast->Step(0.05f);
    fast->Step(0.01f);  // the first streaks have come near enough to show
    bool visible = false;
    for (const WindEffect::Streak& streak : fast->GetStreaks()) visible |= streak.active && (streak.color >> 24) > 0;
    EXPECT_TRUE(visible);

    // Streaks end once 300 units behind the camera: in a wind of 2000 units/s
    // a streak lives 0.3 s, so about 30 fly at a time. With no wind they
    // last their 3 s and fill every record, and the spawning stops there.
    int flying = 0, idle = 0;
    for (int frame = 0; frame < 200; ++frame) {
        flying = fast->Step(0.01f);
        idle = still->Step(0.01f);
    }
    EXPECT_NEAR(flying, 30, 2);
    int counted = 0;
    for (const WindEffect::Streak& streak : fast->GetStreaks()) counted += streak.active;
    EXPECT_EQ(counted, flying);
    EXPECT_EQ(idle, WindEffect::kStreakCount);
}

TEST_F(PlayerEffects, SpellBackgroundRestartsItsClockOnAStateChange) {
    render_test::Held<SpellBg> background(new SpellBg(objects));
    EXPECT_EQ(background->GetState(), 1);
    EXPECT_EQ(background->Initialize(0), -1) << "no mesh to show";
    Quorvex::g_pEnvironment->SetElapsedTime(0.25f);
    background->Draw();
    EXPECT_FLOAT_EQ(background->GetClock(), 0.0f) << "hidden, its clock stands";
    background->SetState(2);
    EXPECT_EQ(background->GetState(), 2);
    background->Draw();
    background->Draw();
    EXPECT_FLOAT_EQ(background->GetClock(), 0.5f) << "shown, every drawn frame turns it on";
    background->SetState(2);
    EXPECT_FLOAT_EQ(background->GetClock(), 0.5f) << "the same state keeps the clock";
    background->SetState(0);
    EXPECT_FLOAT_EQ(background->GetClock(), 0.0f) << "another state restarts it";
    background->Draw();
    EXPECT_FLOAT_EQ(background->GetClock(), 0.25f);
}

}  // namespace
}  // namespace player_test
