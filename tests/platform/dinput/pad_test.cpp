// Pads are SDL joysticks: enumerated, configured as the engine configures them
// and read with their axes scaled onto the range property.
#include <string>
#include <vector>

#include "dinput_fixture.h"

namespace {

BOOL CALLBACK Collect(LPCDIDEVICEINSTANCEW instance, LPVOID ref) {
    static_cast<std::vector<DIDEVICEINSTANCEW>*>(ref)->push_back(*instance);
    return DIENUM_CONTINUE;
}

BOOL CALLBACK CollectObject(LPCDIDEVICEOBJECTINSTANCEW object, LPVOID ref) {
    static_cast<std::vector<DIDEVICEOBJECTINSTANCEW>*>(ref)->push_back(*object);
    return DIENUM_CONTINUE;
}

BOOL CALLBACK StopAtFirst(LPCDIDEVICEINSTANCEW, LPVOID ref) {
    ++*static_cast<int*>(ref);
    return DIENUM_STOP;
}

DIPROPRANGE Range(DWORD how, DWORD object, LONG min, LONG max) {
    return DIPROPRANGE{{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), object, how}, min, max};
}

DIPROPDWORD Dword(DWORD value) { return DIPROPDWORD{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, value}; }

}  // namespace

class PadTest : public DirectInputTest {
protected:
    std::vector<DIDEVICEINSTANCEW> Pads() {
        std::vector<DIDEVICEINSTANCEW> pads;
        EXPECT_EQ(input->EnumDevices(DI8DEVCLASS_GAMECTRL, Collect, &pads, DIEDFL_ATTACHEDONLY), DI_OK);
        return pads;
    }

    // The engine's pad set-up: background, every axis -1000..1000 by id,
    // absolute, buffer 100, acquired.
    IDirectInputDevice8W* OpenPad(const GUID& instance) {
        IDirectInputDevice8W* pad = Create(instance, &c_dfDIJoystick, DISCL_BACKGROUND | DISCL_NONEXCLUSIVE);
        if (!pad) return nullptr;
        std::vector<DIDEVICEOBJECTINSTANCEW> axes;
        EXPECT_EQ(pad->EnumObjects(CollectObject, &axes, DIDFT_AXIS), DI_OK);
        for (const auto& axis : axes) {
            const DIPROPRANGE range = Range(DIPH_BYID, axis.dwType, -1000, 1000);
            EXPECT_EQ(pad->SetProperty(DIPROP_RANGE, &range.diph), DI_OK);
        }
        DIPROPDWORD mode = Dword(DIPROPAXISMODE_ABS), buffer = Dword(100);
        EXPECT_EQ(pad->SetProperty(DIPROP_AXISMODE, &mode.diph), DI_OK);
        EXPECT_EQ(pad->SetProperty(DIPROP_BUFFERSIZE, &buffer.diph), DI_OK);
        EXPECT_EQ(pad->Acquire(), DI_OK);
        return pad;
    }

    static DIJOYSTATE Read(IDirectInputDevice8W* pad) {
        DIJOYSTATE state{};
        EXPECT_EQ(pad->Poll(), DI_OK);
        EXPECT_EQ(pad->GetDeviceState(sizeof(state), &state), DI_OK);
        return state;
    }

    static DIDEVCAPS Caps(IDirectInputDevice8W* pad) {
        DIDEVCAPS caps{};
        caps.dwSize = sizeof(caps);
        EXPECT_EQ(pad->GetCapabilities(&caps), DI_OK);
        return caps;
    }
};

TEST_F(PadTest, AttachedPadsAreEnumeratedInOrder) {
    EXPECT_TRUE(Pads().empty());
    ASSERT_GE(orv::dinput::TestAttachVirtualPad(2, 4), 0);
    ASSERT_GE(orv::dinput::TestAttachVirtualController(), 0);
    const auto pads = Pads();
    ASSERT_EQ(pads.size(), 2u);
    EXPECT_EQ(GET_DIDEVICE_TYPE(pads[0].dwDevType), DI8DEVTYPE_JOYSTICK);
    EXPECT_EQ(GET_DIDEVICE_TYPE(pads[1].dwDevType), DI8DEVTYPE_GAMEPAD);
    EXPECT_FALSE(pads[0].guidInstance == pads[1].guidInstance);
    EXPECT_FALSE(std::wstring(pads[0].tszProductName).empty());

    int calls = 0;
    EXPECT_EQ(input->EnumDevices(DI8DEVCLASS_GAMECTRL, StopAtFirst, &calls, DIEDFL_ATTACHEDONLY), DI_OK);
    EXPECT_EQ(calls, 1);
    std::vector<DIDEVICEINSTANCEW> all;
    EXPECT_EQ(input->EnumDevices(DI8DEVCLASS_ALL, Collect, &all, DIEDFL_ATTACHEDONLY), DI_OK);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_TRUE(all[0].guidInstance == GUID_SysKeyboard);
    EXPECT_TRUE(all[1].guidInstance == GUID_SysMouse);
}

TEST_F(PadTest, AxesAreScaledOntoTheRangeAndButtonsSetBitSeven) {
    ASSERT_GE(orv::dinput::TestAttachVirtualPad(4, 12, 1), 0);
    const int handle = orv::dinput::TestAttachVirtualPad(4, 12, 1);  // the second pad is the one read
    const auto pads = Pads();
    ASSERT_EQ(pads.size(), 2u);
    IDirectInputDevice8W* pad = OpenPad(pads[1].guidInstance);
    ASSERT_NE(pad, nullptr);
    const DIDEVCAPS caps = Caps(pad);
    EXPECT_EQ(caps.dwAxes, 4u);
    EXPECT_EQ(caps.dwButtons, 12u);
    EXPECT_EQ(caps.dwPOVs, 1u);
    EXPECT_TRUE(caps.dwFlags & DIDC_ATTACHED);

    struct Case {
        int raw;
        LONG scaled;
    };
    // Both ends reached, the centre exact, and the two sides of 30 % travel.
    const Case cases[] = {{-32768, -1000}, {32767, 1000}, {0, 0},     {-9830, -300},
                          {-9797, -299},   {9830, 300},   {16384, 500}, {-16384, -500}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.raw);
        ASSERT_TRUE(orv::dinput::TestSetVirtualPadAxis(handle, 0, c.raw));
        ASSERT_TRUE(orv::dinput::TestSetVirtualPadAxis(handle, 1, -c.raw));
        const DIJOYSTATE state = Read(pad);
        EXPECT_EQ(state.lX, c.scaled);
        EXPECT_EQ(state.lY, c.raw == -32768 ? 1000 : -c.scaled);
    }
    EXPECT_EQ(Read(pad).lRy, 0) << "an axis the pad lacks reads 0";

    ASSERT_TRUE(orv::dinput::TestSetVirtualPadButton(handle, 0, true));
    ASSERT_TRUE(orv::dinput::TestSetVirtualPadButton(handle, 11, true));
    ASSERT_TRUE(orv::dinput::TestSetVirtualPadHat(handle, 0, 1, -1));
    DIJOYSTATE state = Read(pad);
    for (int b = 0; b < 32; ++b) EXPECT_EQ(state.rgbButtons[b], (b == 0 || b == 11) ? 0x80 : 0x00) << b;
    EXPECT_EQ(state.rgdwPOV[0], 4500u);
    EXPECT_EQ(state.rgdwPOV[1], 0xFFFFFFFFu);
    ASSERT_TRUE(orv::dinput::TestSetVirtualPadButton(handle, 0, false));
    ASSERT_TRUE(orv::dinput::TestSetVirtualPadHat(handle, 0, 0, 0));
    state = Read(pad);
    EXPECT_EQ(state.rgbButtons[0], 0x00);
    EXPECT_EQ(state.rgbButtons[11], 0x80);
    EXPECT_EQ(state.rgdwPOV[0], 0xFFFFFFFFu);
}

TEST_F(PadTest, RangeBySelectorAndMode) {
    const int handle = orv::dinput::TestAttachVirtualPad(4, 2);
    ASSERT_GE(handle, 0);
    IDirectInputDevice8W* pad = Create(Pads().at(0).guidInstance, &c_dfDIJoystick,
                                       DISCL_BACKGROUND | DISCL_NONEXCLUSIVE);
    ASSERT_NE(pad, nullptr);
    const DIPROPRANGE all = Range(DIPH_DEVICE, 0, -100, 100);
    const DIPROPRANGE rx = Range(DIPH_BYOFFSET, DIJOFS_RX, 0, 10);
    const DIPROPRANGE rz = Range(DIPH_BYOFFSET, DIJOFS_RZ, 0, 10);  // the pad has no Rz
    const DIPROPRANGE empty = Range(DIPH_DEVICE, 0, 5, 5);
    EXPECT_EQ(pad->SetProperty(DIPROP_RANGE, &all.diph), DI_OK);
    EXPECT_EQ(pad->SetProperty(DIPROP_RANGE, &rx.diph), DI_OK);
    EXPECT_EQ(pad->SetProperty(DIPROP_RANGE, &rz.diph), DIERR_OBJECTNOTFOUND);
    EXPECT_EQ(pad->SetProperty(DIPROP_RANGE, &empty.diph), DIERR_INVALIDPARAM);
    ASSERT_EQ(pad->Acquire(), DI_OK);
    EXPECT_EQ(pad->SetProperty(DIPROP_RANGE, &all.diph), DIERR_ACQUIRED);
    ASSERT_TRUE(orv::dinput::TestSetVirtualPadAxis(handle, 2, 32767));
    ASSERT_TRUE(orv::dinput::TestSetVirtualPadAxis(handle, 3, 32767));
    const DIJOYSTATE state = Read(pad);
    EXPECT_EQ(state.lX, 0);
    EXPECT_EQ(state.lZ, 100);
    EXPECT_EQ(state.lRx, 10);

    // Relative mode reports the change since the last read.
    ASSERT_EQ(pad->Unacquire(), DI_OK);
    DIPROPDWORD relative = Dword(DIPROPAXISMODE_REL);
    ASSERT_EQ(pad->SetProperty(DIPROP_AXISMODE, &relative.diph), DI_OK);
    ASSERT_EQ(pad->Acquire(), DI_OK);
    Read(pad);
    ASSERT_TRUE(orv::dinput::TestSetVirtualPadAxis(handle, 2, -32768));
    EXPECT_EQ(Read(pad).lZ, -200);
    EXPECT_EQ(Read(pad).lZ, 0);
}

TEST_F(PadTest, KnownControllerUsesTheStandardLayout) {
    const int handle = orv::dinput::TestAttachVirtualController();
    ASSERT_GE(handle, 0);
    IDirectInputDevice8W* pad = OpenPad(Pads().at(0).guidInstance);
    ASSERT_NE(pad, nullptr);
    const DIDEVCAPS caps = Caps(pad);
    EXPECT_EQ(caps.dwAxes, 5u);
    EXPECT_EQ(caps.dwPOVs, 1u);
    EXPECT_EQ(GET_DIDEVICE_TYPE(caps.dwDevType), DI8DEVTYPE_GAMEPAD);

    // Triggers at rest, then each pulled in turn.
    ASSERT_TRUE(orv::dinput::TestSetVirtualPadAxis(handle, 4, -32768));
    ASSERT_TRUE(orv::dinput::TestSetVirtualPadAxis(handle, 5, -32768));
    EXPECT_EQ(Read(pad).lZ, 0);
    ASSERT_TRUE(orv::dinput::TestSetVirtualPadAxis(handle, 4, 32767));
    EXPECT_EQ(Read(pad).lZ, 1000);
    ASSERT_TRUE(orv::dinput::TestSetVirtualPadAxis(handle, 4, -32768));
    ASSERT_TRUE(orv::dinput::TestSetVirtualPadAxis(handle, 5, 32767));
    EXPECT_EQ(Read(pad).lZ, -1000);
    ASSERT_TRUE(orv::dinput::TestSetVirtualPadAxis(handle, 2, 32767));   // right stick x
    ASSERT_TRUE(orv::dinput::TestSetVirtualPadAxis(handle, 1, -32768));  // left stick up
    DIJOYSTATE state = Read(pad);
    EXPECT_EQ(state.lRx, 1000);
    EXPECT_EQ(state.lY, -1000);
    EXPECT_EQ(state.lX, 0);

    struct Case {
        int sdlButton;  // A, B, X, Y, Back, Guide, Start, LS, RS, LB, RB
        int button;
    };
    const Case cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {9, 4}, {10, 5}, {4, 6}, {6, 7}, {7, 8}, {8, 9}, {5, 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sdlButton);
        ASSERT_TRUE(orv::dinput::TestSetVirtualPadButton(handle, c.sdlButton, true));
        state = Read(pad);
        for (int b = 0; b < 32; ++b) EXPECT_EQ(state.rgbButtons[b], b == c.button ? 0x80 : 0x00) << b;
        ASSERT_TRUE(orv::dinput::TestSetVirtualPadButton(handle, c.sdlButton, false));
    }
    // The D-pad is the hat, not buttons.
    ASSERT_TRUE(orv::dinput::TestSetVirtualPadButton(handle, 12, true));  // down
    ASSERT_TRUE(orv::dinput::TestSetVirtualPadButton(handle, 13, true));  // left
    state = Read(pad);
    EXPECT_EQ(state.rgdwPOV[0], 22500u);
    for (int b = 0; b < 32; ++b) EXPECT_EQ(state.rgbButtons[b], 0x00) << b;
}

TEST_F(PadTest, UnpluggedPadIsLostAndAcquiredAgainWhenItReturns) {
    const int first = orv::dinput::TestAttachVirtualPad(2, 4);
    ASSERT_GE(first, 0);
    IDirectInputDevice8W* pad = OpenPad(Pads().at(0).guidInstance);
    ASSERT_NE(pad, nullptr);
    ASSERT_TRUE(orv::dinput::TestSetVirtualPadAxis(first, 0, 32767));
    EXPECT_EQ(Read(pad).lX, 1000);

    ASSERT_TRUE(orv::dinput::TestDetachVirtualPad(first));
    DIJOYSTATE state{};
    EXPECT_EQ(pad->Poll(), DIERR_INPUTLOST);
    EXPECT_EQ(pad->GetDeviceState(sizeof(state), &state), DIERR_NOTACQUIRED);
    EXPECT_EQ(pad->Acquire(), DIERR_UNPLUGGED);
    EXPECT_FALSE(Caps(pad).dwFlags & DIDC_ATTACHED);
    EXPECT_TRUE(Pads().empty());

    // The same kind of pad plugged in again.
    const int again = orv::dinput::TestAttachVirtualPad(2, 4);
    ASSERT_GE(again, 0);
    ASSERT_EQ(pad->Acquire(), DI_OK);
    ASSERT_TRUE(orv::dinput::TestSetVirtualPadAxis(again, 0, -32768));
    EXPECT_EQ(Read(pad).lX, -1000) << "the range set before the unplug still holds";
}
