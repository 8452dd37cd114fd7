// Virtual-key codes of SDL keys. The keycode follows the keyboard layout, as
// Windows' virtual keys do; keys whose keycode is not a Latin letter, digit or
// named key (another alphabet, the Japanese keys) fall back to the key's
// position on a US keyboard.
#include "platform/win32/window_internal.h"

namespace {

struct KeyToVk {
    SDL_Keycode key;
    int vk;
};

// Windows reports both Shift, Ctrl and Alt keys as the undivided codes in
// WM_KEYDOWN; the keypad's Enter is VK_RETURN.
constexpr KeyToVk kNamedKeys[] = {
    {SDLK_BACKSPACE, VK_BACK},     {SDLK_TAB, VK_TAB},
    {SDLK_CLEAR, VK_CLEAR},        {SDLK_RETURN, VK_RETURN},
    {SDLK_KP_ENTER, VK_RETURN},    {SDLK_LSHIFT, VK_SHIFT},
    {SDLK_RSHIFT, VK_SHIFT},       {SDLK_LCTRL, VK_CONTROL},
    {SDLK_RCTRL, VK_CONTROL},      {SDLK_LALT, VK_MENU},
    {SDLK_RALT, VK_MENU},          {SDLK_PAUSE, VK_PAUSE},
    {SDLK_CAPSLOCK, VK_CAPITAL},   {SDLK_ESCAPE, VK_ESCAPE},
    {SDLK_SPACE, VK_SPACE},        {SDLK_PAGEUP, VK_PRIOR},
    {SDLK_PAGEDOWN, VK_NEXT},      {SDLK_END, VK_END},
    {SDLK_HOME, VK_HOME},          {SDLK_LEFT, VK_LEFT},
    {SDLK_UP, VK_UP},              {SDLK_RIGHT, VK_RIGHT},
    {SDLK_DOWN, VK_DOWN},          {SDLK_SELECT, VK_SELECT},
    {SDLK_EXECUTE, VK_EXECUTE},    {SDLK_PRINTSCREEN, VK_SNAPSHOT},
    {SDLK_INSERT, VK_INSERT},      {SDLK_DELETE, VK_DELETE},
    {SDLK_HELP, VK_HELP},          {SDLK_LGUI, VK_LWIN},
    {SDLK_RGUI, VK_RWIN},          {SDLK_APPLICATION, VK_APPS},
    {SDLK_SLEEP, VK_SLEEP},        {SDLK_KP_0, VK_NUMPAD0},
    {SDLK_KP_1, VK_NUMPAD1},       {SDLK_KP_2, VK_NUMPAD2},
    {SDLK_KP_3, VK_NUMPAD3},       {SDLK_KP_4, VK_NUMPAD4},
    {SDLK_KP_5, VK_NUMPAD5},       {SDLK_KP_6, VK_NUMPAD6},
    {SDLK_KP_7, VK_NUMPAD7},       {SDLK_KP_8, VK_NUMPAD8},
    {SDLK_KP_9, VK_NUMPAD9},       {SDLK_KP_MULTIPLY, VK_MULTIPLY},
    {SDLK_KP_PLUS, VK_ADD},        {SDLK_KP_COMMA, VK_SEPARATOR},
    {SDLK_KP_MINUS, VK_SUBTRACT},  {SDLK_KP_PERIOD, VK_DECIMAL},
    {SDLK_KP_DIVIDE, VK_DIVIDE},   {SDLK_F1, VK_F1},
    {SDLK_F2, VK_F2},              {SDLK_F3, VK_F3},
    {SDLK_F4, VK_F4},              {SDLK_F5, VK_F5},
    {SDLK_F6, VK_F6},              {SDLK_F7, VK_F7},
    {SDLK_F8, VK_F8},              {SDLK_F9, VK_F9},
    {SDLK_F10, VK_F10},            {SDLK_F11, VK_F11},
    {SDLK_F12, VK_F12},            {SDLK_F13, VK_F13},
    {SDLK_F14, VK_F14},            {SDLK_F15, VK_F15},
    {SDLK_F16, VK_F16},            {SDLK_F17, VK_F17},
    {SDLK_F18, VK_F18},            {SDLK_F19, VK_F19},
    {SDLK_F20, VK_F20},            {SDLK_F21, VK_F21},
    {SDLK_F22, VK_F22},            {SDLK_F23, VK_F23},
    {SDLK_F24, VK_F24},            {SDLK_NUMLOCKCLEAR, VK_NUMLOCK},
    {SDLK_SCROLLLOCK, VK_SCROLL},  {SDLK_SEMICOLON, VK_OEM_1},
    {SDLK_EQUALS, VK_OEM_PLUS},    {SDLK_PLUS, VK_OEM_PLUS},
    {SDLK_COMMA, VK_OEM_COMMA},    {SDLK_MINUS, VK_OEM_MINUS},
    {SDLK_PERIOD, VK_OEM_PERIOD},  {SDLK_SLASH, VK_OEM_2},
    {SDLK_BACKQUOTE, VK_OEM_3},    {SDLK_LEFTBRACKET, VK_OEM_4},
    {SDLK_BACKSLASH, VK_OEM_5},    {SDLK_RIGHTBRACKET, VK_OEM_6},
    {SDLK_QUOTE, VK_OEM_7},
};

struct ScancodeToVk {
    SDL_Scancode scancode;
    int vk;
};

// Positions on a US keyboard, plus the keys of a Japanese one.
constexpr ScancodeToVk kPositions[] = {
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS},       {SDL_SCANCODE_EQUALS, VK_OEM_PLUS},
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4},     {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6},
    {SDL_SCANCODE_BACKSLASH, VK_OEM_5},       {SDL_SCANCODE_NONUSHASH, VK_OEM_5},
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1},       {SDL_SCANCODE_APOSTROPHE, VK_OEM_7},
    {SDL_SCANCODE_GRAVE, VK_OEM_3},           {SDL_SCANCODE_COMMA, VK_OEM_COMMA},
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD},     {SDL_SCANCODE_SLASH, VK_OEM_2},
    {SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102}, {SDL_SCANCODE_INTERNATIONAL1, VK_OEM_102},
    {SDL_SCANCODE_INTERNATIONAL2, VK_KANA},   {SDL_SCANCODE_INTERNATIONAL3, VK_OEM_5},
    {SDL_SCANCODE_INTERNATIONAL4, VK_CONVERT}, {SDL_SCANCODE_INTERNATIONAL5, VK_NONCONVERT},
    {SDL_SCANCODE_LANG1, VK_KANA},            {SDL_SCANCODE_LANG2, VK_KANJI},
};

}  // namespace

namespace orv::win32::detail {

int VirtualKeyOf(SDL_Keycode key, SDL_Scancode scancode) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    for (const auto& entry : kNamedKeys)
        if (entry.key == key) return entry.vk;
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return 'A' + (scancode - SDL_SCANCODE_A);
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return '1' + (scancode - SDL_SCANCODE_1);
    if (scancode == SDL_SCANCODE_0) return '0';
    for (const auto& entry : kPositions)
        if (entry.scancode == scancode) return entry.vk;
    return 0;
}

SDL_Keycode KeycodeOfVirtualKey(int vk) {
    if (vk >= 'A' && vk <= 'Z') return SDLK_a + (vk - 'A');
    if (vk >= '0' && vk <= '9') return SDLK_0 + (vk - '0');
    for (const auto& entry : kNamedKeys)
        if (entry.vk == vk) return entry.key;
    return SDLK_UNKNOWN;
}

}  // namespace orv::win32::detail
