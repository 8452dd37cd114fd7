// Commands by name: held, newly pressed and released over frames of keyboard
// input, through the real device layer and pump.
#include "InputFixture.h"

namespace {

constexpr bool kDown = true;
constexpr bool kUp = false;

TEST_F(InputTest, CommandTimeline) {
    StartInput();
    manager->BindKey(DIK_RIGHT, "Shot1");
    manager->BindKey(DIK_Z, "Shot1");
    manager->BindKey(DIK_LEFT, "Shot2");

    struct Step {
        std::vector<std::pair<int, bool>> keys;
        bool clear;  // ClearCommandStates after the frame's update
        bool on;
        bool pressed;
        const char* what;
    };
    const Step steps[] = {
        {{}, false, false, false, "nothing down"},
        {{{DIK_RIGHT, kDown}}, false, true, true, "first frame of a hold"},
        {{}, false, true, false, "second frame"},
        {{}, false, true, false, "third frame"},
        {{}, true, false, false, "cleared while held"},
        {{}, false, true, true, "the next frame reads it as pressed again"},
        {{{DIK_Z, kDown}}, false, true, false, "a second bound key while the first is held"},
        {{{DIK_RIGHT, kUp}}, false, true, false, "one of two keys released"},
        {{{DIK_Z, kUp}}, false, false, false, "released"},
        {{}, false, false, false, "stays released"},
        {{{DIK_Z, kDown}}, false, true, true, "pressed by the other key"},
        {{{DIK_Z, kUp}, {DIK_LEFT, kDown}}, false, false, false, "another command's key"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        Frame(step.keys);
        if (step.clear) manager->ClearCommandStates();
        EXPECT_EQ(manager->IsCommandOn("Shot1"), step.on);
        EXPECT_EQ(manager->IsCommandPressed("Shot1"), step.pressed);
    }
    EXPECT_TRUE(manager->IsCommandOn("Shot2"));
    EXPECT_TRUE(manager->IsCommandPressed("Shot2"));
}

TEST_F(InputTest, PressesAreSeenAcrossTheWholeHistoryRing) {
    StartInput();
    manager->BindKey(DIK_SPACE, "YawUp");
    // Longer than the 128-frame ring, with presses of one and two frames.
    int presses = 0;
    for (int frame = 0; frame < 300; ++frame) {
        const int phase = frame % 5;
        if (phase == 0) Frame({{DIK_SPACE, kDown}});
        else if (phase == 2) Frame({{DIK_SPACE, kUp}});
        else Frame();
        ASSERT_EQ(manager->IsCommandOn("YawUp"), phase < 2) << frame;
        ASSERT_EQ(manager->IsCommandPressed("YawUp"), phase == 0) << frame;
        presses += manager->IsCommandPressed("YawUp") ? 1 : 0;
    }
    EXPECT_EQ(presses, 60);
    // A hold longer than the ring is one press.
    Frame({{DIK_SPACE, kDown}});
    for (int frame = 0; frame < 200; ++frame) {
        Frame();
        ASSERT_FALSE(manager->IsCommandPressed("YawUp")) << frame;
        ASSERT_TRUE(manager->IsCommandOn("YawUp")) << frame;
    }
}

TEST_F(InputTest, InactiveWindowTakesNoInput) {
    StartInput();
    manager->BindKey(DIK_W, "PitchUp");
    Quorvex::g_pEnvironment->SetWindowActive(false);
    Frame({{DIK_W, kDown}});
    EXPECT_FALSE(manager->IsCommandOn("PitchUp"));
    Frame();
    EXPECT_FALSE(manager->IsCommandOn("PitchUp"));
    // Held through the activation: a press in the first active frame.
    Quorvex::g_pEnvironment->SetWindowActive(true);
    Frame();
    EXPECT_TRUE(manager->IsCommandOn("PitchUp"));
    EXPECT_TRUE(manager->IsCommandPressed("PitchUp"));
    // Active again after inactive frames with the key still held: pressed again.
    Quorvex::g_pEnvironment->SetWindowActive(false);
    Frame();
    EXPECT_FALSE(manager->IsCommandOn("PitchUp"));
    Quorvex::g_pEnvironment->SetWindowActive(true);
    Frame();
    EXPECT_TRUE(manager->IsCommandPressed("PitchUp"));

    // With the flag cleared the manager reads on regardless.
    manager->SetInactiveWindowFlag(false);
    Quorvex::g_pEnvironment->SetWindowActive(false);
    Frame();
    EXPECT_TRUE(manager->IsCommandOn("PitchUp"));
    EXPECT_FALSE(manager->IsCommandPressed("PitchUp"));
}

TEST_F(InputTest, KeysReleasedWhileTheWindowHadNoFocusDoNotStayDown) {
    StartInput();
    manager->BindKey(DIK_UP, "Accel");
    Frame({{DIK_UP, kDown}});
    ASSERT_TRUE(manager->IsCommandOn("Accel"));
    // The window loses the focus; the key goes up elsewhere.
    orv::win32::TestPushFocus(window, false);
    Frame();
    EXPECT_FALSE(manager->IsCommandOn("Accel"));
    orv::win32::TestPushFocus(window, true);
    Frame();
    EXPECT_FALSE(manager->IsCommandOn("Accel"));
    Frame({{DIK_UP, kDown}});
    EXPECT_TRUE(manager->IsCommandPressed("Accel"));
}

}  // namespace
