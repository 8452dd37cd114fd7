// Pad 0's stick directions and buttons as commands, and the pad state that
// game code reads directly.
#include <algorithm>

#include "InputFixture.h"
#include "engine/assets/devices/InputDevice.h"

namespace {

TEST(PadDirections, FireFromTheDeadZoneOn) {
    struct Case {
        LONG x, y;
        int direction;  // 1 left, 2 up, 4 right, 8 down
        bool fires;
    };
    const Case cases[] = {
        {-300, 0, 1, true},  {-299, 0, 1, false}, {-1000, 0, 1, true}, {300, 0, 1, false},
        {300, 0, 4, true},   {299, 0, 4, false},  {1000, 0, 4, true},  {-300, 0, 4, false},
        {0, -300, 2, true},  {0, -299, 2, false}, {0, 300, 8, true},   {0, 299, 8, false},
        {0, 300, 2, false},  {-300, 0, 2, false}, {-300, -300, 1, true}, {-300, -300, 2, true},
        {-1000, 0, 0, false}, {-1000, -1000, 3, false}, {1000, 1000, 16, false},
    };
    for (const Case& c : cases) {
        DIJOYSTATE state{};
        state.lX = c.x;
        state.lY = c.y;
        EXPECT_EQ(Quorvex::TestPadAxisDirection(&state, 300, 300, c.direction), c.fires)
            << "x " << c.x << " y " << c.y << " direction " << c.direction;
    }
    DIJOYSTATE full{};
    full.lX = -1000;
    EXPECT_FALSE(Quorvex::TestPadAxisDirection(nullptr, 300, 300, 1)) << "no pad";
    EXPECT_FALSE(Quorvex::TestPadAxisDirection(&full, 1001, 300, 1)) << "the dead zone is the pad record's";
}

TEST_F(InputTest, PadInputsDriveCommandsAndThePadState) {
    const int pad = orv::dinput::TestAttachVirtualPad(2, 30);
    ASSERT_GE(pad, 0);
    StartInput();
    ASSERT_NE(manager->GetPadState(), nullptr);
    EXPECT_EQ(manager->GetPadDeadZoneX(), 300);
    EXPECT_EQ(manager->GetPadDeadZoneY(), 300);
    manager->BindPadButton(0, "RollUp");   // left
    manager->BindPadButton(3, "PitchDown");  // down
    manager->BindPadButton(4, "Shot2");    // button 0
    manager->BindPadButton(30, "Shot1");   // button 26, the last bindable input
    manager->BindPadButton(31, "Never");

    // SDL values that the -1000..1000 range set at creation turns into -300
    // and -299: the first fires, the second does not.
    struct Case {
        int rawX, rawY;
        std::vector<int> buttons;
        bool left, down, shot2, shot1;
    };
    const Case cases[] = {
        {0, 0, {}, false, false, false, false},
        {-9830, 0, {}, true, false, false, false},
        {-9797, 0, {}, false, false, false, false},
        {0, 9830, {0}, false, true, true, false},
        {-32768, 32767, {26}, true, true, false, true},
        {0, 0, {27}, false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rawX);
        ASSERT_TRUE(orv::dinput::TestSetVirtualPadAxis(pad, 0, c.rawX));
        ASSERT_TRUE(orv::dinput::TestSetVirtualPadAxis(pad, 1, c.rawY));
        for (int b = 0; b < 30; ++b) {
            const bool down = std::find(c.buttons.begin(), c.buttons.end(), b) != c.buttons.end();
            ASSERT_TRUE(orv::dinput::TestSetVirtualPadButton(pad, b, down));
        }
        Frame();
        EXPECT_EQ(manager->IsCommandOn("RollUp"), c.left);
        EXPECT_EQ(manager->IsCommandOn("PitchDown"), c.down);
        EXPECT_EQ(manager->IsCommandOn("Shot2"), c.shot2);
        EXPECT_EQ(manager->IsCommandOn("Shot1"), c.shot1);
        for (int b : c.buttons) EXPECT_TRUE(manager->IsPadInputOn(4 + b)) << b;
        EXPECT_EQ(manager->IsPadInputOn(0), c.left);
    }
    EXPECT_FALSE(manager->HasCommand("Never"));
    EXPECT_EQ(manager->GetPadState()->rgbButtons[27], 0x80);
}

TEST_F(InputTest, AnUnpluggedPadLetsGoOfItsCommandsAndComesBack) {
    const int pad = orv::dinput::TestAttachVirtualPad(2, 4);
    ASSERT_GE(pad, 0);
    StartInput();
    manager->BindPadButton(2, "RollDown");  // right
    manager->BindPadButton(5, "Accel");     // button 1
    ASSERT_TRUE(orv::dinput::TestSetVirtualPadAxis(pad, 0, 32767));
    ASSERT_TRUE(orv::dinput::TestSetVirtualPadButton(pad, 1, true));
    Frame();
    ASSERT_TRUE(manager->IsCommandOn("RollDown"));
    ASSERT_TRUE(manager->IsCommandOn("Accel"));

    ASSERT_TRUE(orv::dinput::TestDetachVirtualPad(pad));
    for (int frame = 0; frame < 3; ++frame) {
        Frame();
        EXPECT_FALSE(manager->IsCommandOn("RollDown")) << frame;
        EXPECT_FALSE(manager->IsCommandOn("Accel")) << frame;
    }
    const int again = orv::dinput::TestAttachVirtualPad(2, 4);
    ASSERT_GE(again, 0);
    ASSERT_TRUE(orv::dinput::TestSetVirtualPadButton(again, 1, true));
    Frame();  // acquired again
    Frame();
    EXPECT_TRUE(manager->IsCommandOn("Accel"));
}

TEST_F(InputTest, WithoutAPadNothingFiresAndThePadStateIsAbsent) {
    StartInput();
    manager->BindPadButton(0, "RollUp");
    manager->BindPadButton(4, "Shot2");
    Frame();
    EXPECT_EQ(manager->GetPadState(), nullptr);
    EXPECT_FALSE(manager->IsCommandOn("RollUp"));
    EXPECT_FALSE(manager->IsCommandOn("Shot2"));
    EXPECT_FALSE(manager->IsPadInputOn(4));
}

}  // namespace
