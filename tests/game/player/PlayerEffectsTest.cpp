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
    fast->Step(1.0f);
    int active = 0;
    for (const WindEffect::Streak& streak : fast->GetStreaks()) active += streak.active;
    EXPECT_LE(active, WindEffect::kStreakCount);
}

TEST_F(PlayerEffects, SpellBackgroundRestartsItsClockOnAStateChange) {
    render_test::Held<SpellBg> background(new SpellBg(objects));
    EXPECT_EQ(background->GetState(), 1);
    EXPECT_EQ(background->Initialize(0), -1) << "no mesh to show";
    background->SetState(2);
    EXPECT_EQ(background->GetState(), 2);
    EXPECT_FLOAT_EQ(background->GetClock(), 0.0f);
}

}  // namespace
}  // namespace player_test
