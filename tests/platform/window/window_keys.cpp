// Keys as the desktop names them reach the procedure as Windows' virtual keys.
#include <string>

#include "window_fixture.h"

TEST_F(WindowTest, DesktopKeysBecomeVirtualKeys) {
    HWND hwnd = CreatePopup(64, 64);
    ASSERT_NE(hwnd, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    Pump();
    Take();
    struct Case {
        const char* sdlName;
        WPARAM vk;
    };
    const Case cases[] = {
        {"Escape", VK_ESCAPE},      {"Return", VK_RETURN},     {"Keypad Enter", VK_RETURN},
        {"Space", VK_SPACE},        {"Tab", VK_TAB},           {"Backspace", VK_BACK},
        {"A", 'A'},                 {"z", 'Z'},                {"0", '0'},
        {"9", '9'},                 {"F1", VK_F1},             {"F10", VK_F10},
        {"F12", VK_F12},            {"Left", VK_LEFT},         {"Up", VK_UP},
        {"Right", VK_RIGHT},        {"Down", VK_DOWN},         {"Left Shift", VK_SHIFT},
        {"Right Shift", VK_SHIFT},  {"Left Ctrl", VK_CONTROL}, {"Right Ctrl", VK_CONTROL},
        {"Left Alt", VK_MENU},      {"Right Alt", VK_MENU},    {"Insert", VK_INSERT},
        {"Delete", VK_DELETE},      {"Home", VK_HOME},         {"End", VK_END},
        {"PageUp", VK_PRIOR},       {"PageDown", VK_NEXT},     {"Pause", VK_PAUSE},
        {"Keypad 0", VK_NUMPAD0},   {"Keypad 7", VK_NUMPAD7},  {"Keypad +", VK_ADD},
        {"Keypad -", VK_SUBTRACT},  {"Keypad *", VK_MULTIPLY}, {"Keypad /", VK_DIVIDE},
        {";", VK_OEM_1},            {",", VK_OEM_COMMA},       {"-", VK_OEM_MINUS},
        {".", VK_OEM_PERIOD},       {"/", VK_OEM_2},           {"[", VK_OEM_4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sdlName);
        orv::win32::TestPushNamedKey(hwnd, c.sdlName, true);
        orv::win32::TestPushNamedKey(hwnd, c.sdlName, false);
        Pump();
        const auto messages = Take();
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[0].msg, WM_KEYDOWN);
        EXPECT_EQ(messages[0].wParam, c.vk);
        EXPECT_EQ(messages[1].msg, WM_KEYUP);
        EXPECT_EQ(messages[1].wParam, c.vk);
    }
}
