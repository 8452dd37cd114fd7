// The title menu's items: which are offered and where they stand.
#include <gtest/gtest.h>

#include <vector>

#include "FrontendTestSupport.h"
#include "game/frontend/Pause_SelectListTitle.h"
#include "game/screen/Pause_SelectUnit.h"
#include "game/state/Environment2.h"

using frontend_test::Held;

namespace {

struct MenuLayout {
    int count = 0;
    std::vector<float> y;
    float x = 0.0f;
    bool exStartSecond = false;
};

MenuLayout BuildMenu(const int32_t levels[4]) {
    for (int d = 0; d < 4; ++d) g_pEnvironment2->activeStage[d] = levels[d];
    Held<Quorvex::ObjectManager> manager(frontend_test::NewObjectManager());
    Held<Quorvex::InputManager> input(new Quorvex::InputManager());
    Held<Pause_SelectListTitle> menu(new Pause_SelectListTitle(input.get(), manager.get(), nullptr));
    EXPECT_EQ(menu->Initialize(0), 0);
    MenuLayout layout;
    layout.count = menu->GetCount();
    for (int i = 0; i < layout.count; ++i) layout.y.push_back(menu->GetItem(i)->GetSprite().y);
    if (layout.count > 0) layout.x = menu->GetItem(0)->GetSprite().x;
    layout.exStartSecond = layout.count > 1 && dynamic_cast<Pause_SelectExStart*>(menu->GetItem(1)) != nullptr;
    EXPECT_EQ(menu->GetActiveState(), Pause_SelectListTitle::kActiveState);
    menu->Finalize();
    return layout;
}

}  // namespace

TEST(TitleMenu, OffersTheExtraStartOnlyOnceTheExtraLevelIsReached) {
    flow_test::FreshEnvironment state;

    const int32_t below[4] = {5, 5, 1, 5};
    const MenuLayout five = BuildMenu(below);
    ASSERT_EQ(five.count, 5);
    const float expected[5] = {400, 445, 490, 535, 580};
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(five.y[i], expected[i] / 720.0f, 1e-6f) << i;
    EXPECT_NEAR(five.x, 940.0f / 720.0f, 1e-6f);
    EXPECT_FALSE(five.exStartSecond);

    const int32_t reached[4] = {1, 1, 6, 1};
    const MenuLayout six = BuildMenu(reached);
    ASSERT_EQ(six.count, 6);
    EXPECT_TRUE(six.exStartSecond);
    EXPECT_NEAR(six.y[5], 625.0f / 720.0f, 1e-6f);
}
