// The keyboard's state comes from the events the pump polls, and follows the
// window's focus.
#include "dinput_fixture.h"

namespace {

struct Keys {
    BYTE bytes[256] = {};
    HRESULT result = E_FAIL;
    int Down() const {
        int n = 0;
        for (BYTE b : bytes) n += (b & 0x80) ? 1 : 0;
        return n;
    }
};

Keys Read(IDirectInputDevice8W* keyboard) {
    Keys keys;
    keys.result = keyboard->GetDeviceState(sizeof(keys.bytes), keys.bytes);
    return keys;
}

}  // namespace

TEST_F(DirectInputTest, KeyDownAndUpSetAndClearBitSeven) {
    IDirectInputDevice8W* keyboard = Create(GUID_SysKeyboard, &c_dfDIKeyboard, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE);
    ASSERT_NE(keyboard, nullptr);
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    EXPECT_EQ(keyboard->Acquire(), DI_NOEFFECT);

    for (int key : {DIK_W, DIK_UP, DIK_NUMPAD0, DIK_RETURN, DIK_LSHIFT, DIK_ESCAPE}) {
        SCOPED_TRACE(key);
        orv::dinput::TestPushKeyCode(window, key, true);
        Pump();
        Keys keys = Read(keyboard);
        ASSERT_EQ(keys.result, DI_OK);
        EXPECT_EQ(keys.bytes[key], 0x80);
        EXPECT_EQ(keys.Down(), 1);
        orv::dinput::TestPushKeyCode(window, key, false);
        Pump();
        keys = Read(keyboard);
        EXPECT_EQ(keys.bytes[key], 0x00);
        EXPECT_EQ(keys.Down(), 0);
    }

    // A key as the desktop sends it (keycode and scancode) reaches the same table.
    struct Case {
        int vk;
        int key;
    };
    for (const Case& c : {Case{VK_RIGHT, DIK_RIGHT}, Case{'D', DIK_D}, Case{VK_SPACE, DIK_SPACE},
                          Case{VK_DELETE, DIK_DELETE}}) {
        orv::win32::TestPushKey(window, c.vk, true);
        Pump();
        EXPECT_EQ(Read(keyboard).bytes[c.key], 0x80) << c.vk;
        orv::win32::TestPushKey(window, c.vk, false);
        Pump();
        EXPECT_EQ(Read(keyboard).bytes[c.key], 0x00) << c.vk;
    }

    // Nothing is seen before the pump polls the event.
    orv::dinput::TestPushKeyCode(window, DIK_A, true);
    EXPECT_EQ(Read(keyboard).bytes[DIK_A], 0x00);
    Pump();
    EXPECT_EQ(Read(keyboard).bytes[DIK_A], 0x80);
    orv::dinput::TestPushKeyCode(window, DIK_A, false);
    Pump();
}

TEST_F(DirectInputTest, FocusLossUnacquiresUntilTheWindowIsActiveAgain) {
    IDirectInputDevice8W* keyboard = Create(GUID_SysKeyboard, &c_dfDIKeyboard, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE);
    ASSERT_NE(keyboard, nullptr);
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    orv::dinput::TestPushKeyCode(window, DIK_S, true);
    Pump();
    ASSERT_EQ(Read(keyboard).bytes[DIK_S], 0x80);

    orv::win32::TestPushFocus(window, false);
    Pump();
    Keys before;
    before.bytes[DIK_S] = 0x80;
    Keys lost = before;
    lost.result = keyboard->GetDeviceState(sizeof(lost.bytes), lost.bytes);
    EXPECT_EQ(lost.result, DIERR_INPUTLOST);
    EXPECT_EQ(lost.bytes[DIK_S], 0x80) << "a failed read leaves the caller's state alone";
    EXPECT_EQ(Read(keyboard).result, DIERR_NOTACQUIRED);
    EXPECT_EQ(keyboard->Poll(), DIERR_NOTACQUIRED);
    EXPECT_EQ(keyboard->Acquire(), DIERR_OTHERAPPHASPRIO);

    orv::win32::TestPushFocus(window, true);
    Pump();
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    const Keys back = Read(keyboard);
    EXPECT_EQ(back.result, DI_OK);
    EXPECT_EQ(back.Down(), 0) << "keys released elsewhere must not stay down";

    // Focus lost and regained between two reads still counts as a loss.
    orv::win32::TestPushFocus(window, false);
    orv::win32::TestPushFocus(window, true);
    Pump();
    EXPECT_EQ(Read(keyboard).result, DIERR_INPUTLOST);
    EXPECT_EQ(keyboard->Acquire(), DI_OK);
    EXPECT_EQ(Read(keyboard).result, DI_OK);
}

TEST_F(DirectInputTest, BackgroundKeyboardIgnoresFocus) {
    IDirectInputDevice8W* keyboard = Create(GUID_SysKeyboard, &c_dfDIKeyboard, DISCL_BACKGROUND | DISCL_NONEXCLUSIVE);
    ASSERT_NE(keyboard, nullptr);
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    orv::win32::TestPushFocus(window, false);
    Pump();
    EXPECT_EQ(Read(keyboard).result, DI_OK);
}

TEST_F(DirectInputTest, MisuseIsRefused) {
    IDirectInputDevice8W* keyboard = nullptr;
    ASSERT_EQ(input->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
    devices.push_back(keyboard);
    BYTE keys[256];
    EXPECT_EQ(keyboard->Acquire(), DIERR_INVALIDPARAM) << "no data format yet";
    EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIJoystick), DIERR_INVALIDPARAM);
    ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof(keys), keys), DIERR_NOTACQUIRED);
    EXPECT_EQ(keyboard->SetCooperativeLevel(window, DISCL_FOREGROUND), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->SetCooperativeLevel(window, DISCL_FOREGROUND | DISCL_BACKGROUND | DISCL_NONEXCLUSIVE),
              DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE), DIERR_INVALIDPARAM);
    ASSERT_EQ(keyboard->SetCooperativeLevel(window, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE), DI_OK);
    DIPROPDWORD buffer{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, 8};
    EXPECT_EQ(keyboard->SetProperty(DIPROP_BUFFERSIZE, &buffer.diph), DI_OK);
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    EXPECT_EQ(keyboard->GetDeviceState(255, keys), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->SetProperty(DIPROP_BUFFERSIZE, &buffer.diph), DIERR_ACQUIRED);
    EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DIERR_ACQUIRED);
    EXPECT_EQ(keyboard->Unacquire(), DI_OK);
    EXPECT_EQ(keyboard->Unacquire(), DI_NOEFFECT);

    IDirectInputDevice8W* none = nullptr;
    EXPECT_EQ(input->CreateDevice(IID_IDirectInput8W, &none, nullptr), DIERR_DEVICENOTREG);
    EXPECT_EQ(none, nullptr);
    void* object = nullptr;
    EXPECT_EQ(DirectInput8Create(nullptr, 0x0700, IID_IDirectInput8W, &object, nullptr), DIERR_OLDDIRECTINPUTVERSION);
    EXPECT_EQ(DirectInput8Create(nullptr, DIRECTINPUT_VERSION, IID_IUnknown, &object, nullptr), DIERR_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
}
