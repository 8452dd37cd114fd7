// The option panel's rules: volume steps, row wrap, pad capture, digits.
#include <gtest/gtest.h>

#include <string>

#include "FrontendTestSupport.h"
#include "game/frontend/SceneOption.h"

using frontend_test::Held;

TEST(OptionVolume, StepsInWholeHundredthsAndStaysInRange) {
    struct Case {
        float value;
        bool up, down;
        float expected;
    };
    const Case cases[] = {
        {1.0f, true, false, 1.0f}, {0.0f, false, true, 0.0f},   {0.35f, true, true, 0.35f},
        {0.35f, true, false, 0.4f}, {0.35f, false, true, 0.3f}, {0.98f, true, false, 1.0f},
        {0.123f, false, false, 0.12f},
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(SceneOption::AdjustVolume(c.value, c.up, c.down), c.expected) << c.value;

    float v = 0.0f;
    for (int i = 0; i < 20; ++i) v = SceneOption::AdjustVolume(v, true, false);
    EXPECT_EQ(v, 1.0f);
    for (int i = 0; i < 20; ++i) v = SceneOption::AdjustVolume(v, false, true);
    EXPECT_EQ(v, 0.0f);
}

TEST(OptionRows, WrapAndSkipTheUnselectableLine) {
    EXPECT_EQ(SceneOption::StepRow(1, true, false), 8);
    EXPECT_EQ(SceneOption::StepRow(8, false, true), 1);
    EXPECT_EQ(SceneOption::StepRow(3, true, true), 2) << "up wins";
    EXPECT_EQ(SceneOption::StepRow(6, false, true), 7) << "from brake straight to the reverse axis";
    EXPECT_EQ(SceneOption::RowCommand(3), std::string("Shot2"));
    EXPECT_EQ(SceneOption::RowCommand(6), std::string("Brake"));
    EXPECT_EQ(SceneOption::RowCommand(7), nullptr);
}

TEST(OptionPadCapture, ReplacesTheBindingOnlyForANewButton) {
    Held<Quorvex::InputManager> input(new Quorvex::InputManager());
    input->BindPadButton(6, "Shot1");

    EXPECT_FALSE(SceneOption::CapturePadButton(input.get(), "Shot1", -1)) << "nothing held";
    EXPECT_FALSE(SceneOption::CapturePadButton(input.get(), "Shot1", 6)) << "already bound";
    EXPECT_EQ(input->FindPadButton("Shot1"), 6);

    EXPECT_TRUE(SceneOption::CapturePadButton(input.get(), "Shot1", 9));
    EXPECT_EQ(input->FindPadButton("Shot1"), 9);

    // A command without a pad button just gets the new one.
    EXPECT_TRUE(SceneOption::CapturePadButton(input.get(), "Brake", 15));
    EXPECT_EQ(input->FindPadButton("Brake"), 15);

    // No pad attached: nothing is held.
    EXPECT_EQ(SceneOption::FindHeldPadInput(input.get()), -1);
    input->UnbindPadButton(9, "Shot1");
    input->UnbindPadButton(15, "Brake");
}

TEST(OptionDigits, ShowVolumesAndButtonNumbers) {
    auto volume = [](float v) {
        char ids[3][2];
        SceneOption::VolumeDigitIds(v, ids);
        return std::string(ids[0]) + ids[1] + ids[2];
    };
    EXPECT_EQ(volume(1.0f), "100");
    EXPECT_EQ(volume(0.35f), "035");
    EXPECT_EQ(volume(0.0f), "000");

    auto button = [](int input) {
        char ids[2][2];
        SceneOption::ButtonDigitIds(input, ids);
        return std::string(ids[0]) + ids[1];
    };
    EXPECT_EQ(button(-1), "%%") << "no button bound";
    EXPECT_EQ(button(4), "00");
    EXPECT_EQ(button(17), "13");
}
