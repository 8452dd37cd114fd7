// Key codes name key positions; each stands for exactly one USB HID keyboard
// usage (the numbering of SDL's scancodes).
#include <gtest/gtest.h>

#include <map>

#include "platform/dinput/dinput.h"

using orv::dinput::KeyCodeOfKeyUsage;
using orv::dinput::KeyUsageOfKeyCode;

TEST(KeyCodes, StandForTheirKeys) {
    struct Case {
        int key;
        int usage;  // USB HID keyboard page
    };
    // The keys the game binds by default, and the ones easiest to get wrong.
    const Case cases[] = {
        {DIK_ESCAPE, 0x29},   {DIK_1, 0x1E},        {DIK_0, 0x27},          {DIK_W, 0x1A},
        {DIK_A, 0x04},        {DIK_S, 0x16},        {DIK_D, 0x07},          {DIK_SPACE, 0x2C},
        {DIK_LSHIFT, 0xE1},   {DIK_RSHIFT, 0xE5},   {DIK_RETURN, 0x28},     {DIK_NUMPADENTER, 0x58},
        {DIK_UP, 0x52},       {DIK_DOWN, 0x51},     {DIK_LEFT, 0x50},       {DIK_RIGHT, 0x4F},
        {DIK_NUMPAD0, 0x62},  {DIK_NUMPAD7, 0x5F},  {DIK_DELETE, 0x4C},     {DIK_DECIMAL, 0x63},
        {DIK_MULTIPLY, 0x55}, {DIK_DIVIDE, 0x54},   {DIK_LCONTROL, 0xE0},   {DIK_RCONTROL, 0xE4},
        {DIK_LMENU, 0xE2},    {DIK_RMENU, 0xE6},    {DIK_PRIOR, 0x4B},      {DIK_NEXT, 0x4E},
        {DIK_F1, 0x3A},       {DIK_F10, 0x43},      {DIK_F11, 0x44},        {DIK_F12, 0x45},
        {DIK_GRAVE, 0x35},    {DIK_BACKSLASH, 0x31}, {DIK_OEM_102, 0x64},   {DIK_SYSRQ, 0x46},
        {DIK_YEN, 0x89},      {DIK_CONVERT, 0x8A},  {DIK_LWIN, 0xE3},       {DIK_APPS, 0x65},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(KeyUsageOfKeyCode(c.key), c.usage);
        EXPECT_EQ(KeyCodeOfKeyUsage(c.usage), c.key);
    }
    // Keys Windows folds onto an existing code: ISO '#', Japanese half/full width.
    EXPECT_EQ(KeyCodeOfKeyUsage(0x32), DIK_BACKSLASH);
    EXPECT_EQ(KeyCodeOfKeyUsage(0x94), DIK_GRAVE);
    // Outside the range, and codes no key has.
    for (int key : {-1, 0, 0x54, 0x97, 256}) EXPECT_EQ(KeyUsageOfKeyCode(key), 0) << key;
    for (int usage : {-1, 0, 512, 100000}) EXPECT_EQ(KeyCodeOfKeyUsage(usage), 0) << usage;
}

TEST(KeyCodes, TableIsOneToOne) {
    std::map<int, int> owner;
    for (int key = 0; key < 256; ++key) {
        const int usage = KeyUsageOfKeyCode(key);
        if (usage == 0) continue;
        const auto [it, fresh] = owner.emplace(usage, key);
        EXPECT_TRUE(fresh) << "key codes " << it->second << " and " << key << " share usage " << usage;
        EXPECT_EQ(KeyCodeOfKeyUsage(usage), key) << "key code " << key;
    }
    // Every key of a 105-key PC keyboard plus the Japanese and media keys.
    EXPECT_GE(owner.size(), 130u);
    // Whole rows: digits, letters, function keys, the numeric pad.
    const std::pair<int, int> rows[] = {{DIK_1, DIK_0}, {DIK_Q, DIK_P}, {DIK_A, DIK_L}, {DIK_Z, DIK_M},
                                        {DIK_F1, DIK_F10}, {DIK_NUMPAD7, DIK_DECIMAL}, {DIK_HOME, DIK_DELETE}};
    for (const auto& [first, last] : rows)
        for (int key = first; key <= last; ++key) {
            if (key == 0xCA || key == 0xCC || key == 0xCE) continue;  // the gaps around the arrows
            EXPECT_NE(KeyUsageOfKeyCode(key), 0) << key;
        }
    // And every letter and digit usage has its key code.
    for (int usage = 0x04; usage <= 0x27; ++usage) EXPECT_NE(KeyCodeOfKeyUsage(usage), 0) << usage;
}
