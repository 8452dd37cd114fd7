// Key codes and SDL scancodes. Both name a key by its position, so the table
// is fixed and does not follow the keyboard layout: DIK_A is the key where A
// sits on a US keyboard, whatever it types.
#include <array>

#include "platform/dinput/dinput_internal.h"

namespace {

struct KeyScancode {
    int key;
    SDL_Scancode scancode;
};

// Key codes with no SDL key (the PC-98 and J-3100 keys, wake) are left out.
constexpr KeyScancode kKeys[] = {
    {DIK_ESCAPE, SDL_SCANCODE_ESCAPE},
    {DIK_1, SDL_SCANCODE_1},
    {DIK_2, SDL_SCANCODE_2},
    {DIK_3, SDL_SCANCODE_3},
    {DIK_4, SDL_SCANCODE_4},
    {DIK_5, SDL_SCANCODE_5},
    {DIK_6, SDL_SCANCODE_6},
    {DIK_7, SDL_SCANCODE_7},
    {DIK_8, SDL_SCANCODE_8},
    {DIK_9, SDL_SCANCODE_9},
    {DIK_0, SDL_SCANCODE_0},
    {DIK_MINUS, SDL_SCANCODE_MINUS},
    {DIK_EQUALS, SDL_SCANCODE_EQUALS},
    {DIK_BACK, SDL_SCANCODE_BACKSPACE},
    {DIK_TAB, SDL_SCANCODE_TAB},
    {DIK_Q, SDL_SCANCODE_Q},
    {DIK_W, SDL_SCANCODE_W},
    {DIK_E, SDL_SCANCODE_E},
    {DIK_R, SDL_SCANCODE_R},
    {DIK_T, SDL_SCANCODE_T},
    {DIK_Y, SDL_SCANCODE_Y},
    {DIK_U, SDL_SCANCODE_U},
    {DIK_I, SDL_SCANCODE_I},
    {DIK_O, SDL_SCANCODE_O},
    {DIK_P, SDL_SCANCODE_P},
    {DIK_LBRACKET, SDL_SCANCODE_LEFTBRACKET},
    {DIK_RBRACKET, SDL_SCANCODE_RIGHTBRACKET},
    {DIK_RETURN, SDL_SCANCODE_RETURN},
    {DIK_LCONTROL, SDL_SCANCODE_LCTRL},
    {DIK_A, SDL_SCANCODE_A},
    {DIK_S, SDL_SCANCODE_S},
    {DIK_D, SDL_SCANCODE_D},
    {DIK_F, SDL_SCANCODE_F},
    {DIK_G, SDL_SCANCODE_G},
    {DIK_H, SDL_SCANCODE_H},
    {DIK_J, SDL_SCANCODE_J},
    {DIK_K, SDL_SCANCODE_K},
    {DIK_L, SDL_SCANCODE_L},
    {DIK_SEMICOLON, SDL_SCANCODE_SEMICOLON},
    {DIK_APOSTROPHE, SDL_SCANCODE_APOSTROPHE},
    {DIK_GRAVE, SDL_SCANCODE_GRAVE},
    {DIK_LSHIFT, SDL_SCANCODE_LSHIFT},
    {DIK_BACKSLASH, SDL_SCANCODE_BACKSLASH},
    {DIK_Z, SDL_SCANCODE_Z},
    {DIK_X, SDL_SCANCODE_X},
    {DIK_C, SDL_SCANCODE_C},
    {DIK_V, SDL_SCANCODE_V},
    {DIK_B, SDL_SCANCODE_B},
    {DIK_N, SDL_SCANCODE_N},
    {DIK_M, SDL_SCANCODE_M},
    {DIK_COMMA, SDL_SCANCODE_COMMA},
    {DIK_PERIOD, SDL_SCANCODE_PERIOD},
    {DIK_SLASH, SDL_SCANCODE_SLASH},
    {DIK_RSHIFT, SDL_SCANCODE_RSHIFT},
    {DIK_MULTIPLY, SDL_SCANCODE_KP_MULTIPLY},
    {DIK_LMENU, SDL_SCANCODE_LALT},
    {DIK_SPACE, SDL_SCANCODE_SPACE},
    {DIK_CAPITAL, SDL_SCANCODE_CAPSLOCK},
    {DIK_F1, SDL_SCANCODE_F1},
    {DIK_F2, SDL_SCANCODE_F2},
    {DIK_F3, SDL_SCANCODE_F3},
    {DIK_F4, SDL_SCANCODE_F4},
    {DIK_F5, SDL_SCANCODE_F5},
    {DIK_F6, SDL_SCANCODE_F6},
    {DIK_F7, SDL_SCANCODE_F7},
    {DIK_F8, SDL_SCANCODE_F8},
    {DIK_F9, SDL_SCANCODE_F9},
    {DIK_F10, SDL_SCANCODE_F10},
    {DIK_NUMLOCK, SDL_SCANCODE_NUMLOCKCLEAR},
    {DIK_SCROLL, SDL_SCANCODE_SCROLLLOCK},
    {DIK_NUMPAD7, SDL_SCANCODE_KP_7},
    {DIK_NUMPAD8, SDL_SCANCODE_KP_8},
    {DIK_NUMPAD9, SDL_SCANCODE_KP_9},
    {DIK_SUBTRACT, SDL_SCANCODE_KP_MINUS},
    {DIK_NUMPAD4, SDL_SCANCODE_KP_4},
    {DIK_NUMPAD5, SDL_SCANCODE_KP_5},
    {DIK_NUMPAD6, SDL_SCANCODE_KP_6},
    {DIK_ADD, SDL_SCANCODE_KP_PLUS},
    {DIK_NUMPAD1, SDL_SCANCODE_KP_1},
    {DIK_NUMPAD2, SDL_SCANCODE_KP_2},
    {DIK_NUMPAD3, SDL_SCANCODE_KP_3},
    {DIK_NUMPAD0, SDL_SCANCODE_KP_0},
    {DIK_DECIMAL, SDL_SCANCODE_KP_PERIOD},
    {DIK_OEM_102, SDL_SCANCODE_NONUSBACKSLASH},
    {DIK_F11, SDL_SCANCODE_F11},
    {DIK_F12, SDL_SCANCODE_F12},
    {DIK_F13, SDL_SCANCODE_F13},
    {DIK_F14, SDL_SCANCODE_F14},
    {DIK_F15, SDL_SCANCODE_F15},
    {DIK_KANA, SDL_SCANCODE_INTERNATIONAL2},    // katakana / hiragana
    {DIK_ABNT_C1, SDL_SCANCODE_INTERNATIONAL1}, // Japanese "ro", Brazilian "/?"
    {DIK_CONVERT, SDL_SCANCODE_INTERNATIONAL4},
    {DIK_NOCONVERT, SDL_SCANCODE_INTERNATIONAL5},
    {DIK_YEN, SDL_SCANCODE_INTERNATIONAL3},
    {DIK_ABNT_C2, SDL_SCANCODE_KP_COMMA},       // Brazilian keypad "."
    {DIK_NUMPADEQUALS, SDL_SCANCODE_KP_EQUALS},
    {DIK_PREVTRACK, SDL_SCANCODE_AUDIOPREV},
    {DIK_KANJI, SDL_SCANCODE_LANG2},
    {DIK_STOP, SDL_SCANCODE_STOP},
    {DIK_NEXTTRACK, SDL_SCANCODE_AUDIONEXT},
    {DIK_NUMPADENTER, SDL_SCANCODE_KP_ENTER},
    {DIK_RCONTROL, SDL_SCANCODE_RCTRL},
    {DIK_MUTE, SDL_SCANCODE_MUTE},
    {DIK_CALCULATOR, SDL_SCANCODE_CALCULATOR},
    {DIK_PLAYPAUSE, SDL_SCANCODE_AUDIOPLAY},
    {DIK_MEDIASTOP, SDL_SCANCODE_AUDIOSTOP},
    {DIK_VOLUMEDOWN, SDL_SCANCODE_VOLUMEDOWN},
    {DIK_VOLUMEUP, SDL_SCANCODE_VOLUMEUP},
    {DIK_WEBHOME, SDL_SCANCODE_AC_HOME},
    {DIK_DIVIDE, SDL_SCANCODE_KP_DIVIDE},
    {DIK_SYSRQ, SDL_SCANCODE_PRINTSCREEN},
    {DIK_RMENU, SDL_SCANCODE_RALT},
    {DIK_PAUSE, SDL_SCANCODE_PAUSE},
    {DIK_HOME, SDL_SCANCODE_HOME},
    {DIK_UP, SDL_SCANCODE_UP},
    {DIK_PRIOR, SDL_SCANCODE_PAGEUP},
    {DIK_LEFT, SDL_SCANCODE_LEFT},
    {DIK_RIGHT, SDL_SCANCODE_RIGHT},
    {DIK_END, SDL_SCANCODE_END},
    {DIK_DOWN, SDL_SCANCODE_DOWN},
    {DIK_NEXT, SDL_SCANCODE_PAGEDOWN},
    {DIK_INSERT, SDL_SCANCODE_INSERT},
    {DIK_DELETE, SDL_SCANCODE_DELETE},
    {DIK_LWIN, SDL_SCANCODE_LGUI},
    {DIK_RWIN, SDL_SCANCODE_RGUI},
    {DIK_APPS, SDL_SCANCODE_APPLICATION},
    {DIK_POWER, SDL_SCANCODE_POWER},
    {DIK_SLEEP, SDL_SCANCODE_SLEEP},
    {DIK_WEBSEARCH, SDL_SCANCODE_AC_SEARCH},
    {DIK_WEBFAVORITES, SDL_SCANCODE_AC_BOOKMARKS},
    {DIK_WEBREFRESH, SDL_SCANCODE_AC_REFRESH},
    {DIK_WEBSTOP, SDL_SCANCODE_AC_STOP},
    {DIK_WEBFORWARD, SDL_SCANCODE_AC_FORWARD},
    {DIK_WEBBACK, SDL_SCANCODE_AC_BACK},
    {DIK_MYCOMPUTER, SDL_SCANCODE_COMPUTER},
    {DIK_MAIL, SDL_SCANCODE_MAIL},
    {DIK_MEDIASELECT, SDL_SCANCODE_MEDIASELECT},
};

// Scancodes Linux reports for keys that Windows gives an existing key code.
constexpr KeyScancode kAlsoKeys[] = {
    {DIK_BACKSLASH, SDL_SCANCODE_NONUSHASH},  // the ISO "#" key shares the backslash code
    {DIK_GRAVE, SDL_SCANCODE_LANG5},          // Japanese half-width / full-width
    {DIK_KANA, SDL_SCANCODE_LANG3},           // katakana
    {DIK_KANA, SDL_SCANCODE_LANG4},           // hiragana
    {DIK_MUTE, SDL_SCANCODE_AUDIOMUTE},
};

struct Tables {
    std::array<SDL_Scancode, 256> scancodeOfKey{};
    std::array<BYTE, SDL_NUM_SCANCODES> keyOfScancode{};
    Tables() {
        scancodeOfKey.fill(SDL_SCANCODE_UNKNOWN);
        for (const auto& entry : kKeys) {
            scancodeOfKey[entry.key] = entry.scancode;
            keyOfScancode[entry.scancode] = static_cast<BYTE>(entry.key);
        }
        for (const auto& entry : kAlsoKeys) keyOfScancode[entry.scancode] = static_cast<BYTE>(entry.key);
    }
};

const Tables& T() {
    static const Tables tables;
    return tables;
}

}  // namespace

namespace orv::dinput::detail {

SDL_Scancode ScancodeOfKey(int keyCode) {
    if (keyCode < 0 || keyCode > 255) return SDL_SCANCODE_UNKNOWN;
    return T().scancodeOfKey[keyCode];
}

int KeyOfScancode(SDL_Scancode scancode) {
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return 0;
    return T().keyOfScancode[scancode];
}

}  // namespace orv::dinput::detail

namespace orv::dinput {

int KeyUsageOfKeyCode(int keyCode) { return detail::ScancodeOfKey(keyCode); }
int KeyCodeOfKeyUsage(int usage) {
    if (usage < 0 || usage >= SDL_NUM_SCANCODES) return 0;
    return detail::KeyOfScancode(static_cast<SDL_Scancode>(usage));
}

}  // namespace orv::dinput
