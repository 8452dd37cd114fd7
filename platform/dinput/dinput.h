// The DirectInput 8 subset the engine calls, over SDL2.
//
// Keyboard: the state is the layer's own 256-byte table indexed by key code
// (DIK_*), fed from the SDL key events the window layer's pump polls; a
// focus loss clears it. Each key code stands for one SDL scancode (the key's
// position, not the character it types).
//
// Pads: every SDL joystick is one game controller device. One that SDL knows
// as a game controller is read through its standard layout, laid out as such
// pads report themselves to DirectInput: X/Y left stick, Z both triggers
// (left pulls toward the maximum, right toward the minimum), Rx/Ry right
// stick, buttons A, B, X, Y, left and right shoulder, Back, Start, left and
// right stick press, then Guide, Misc, four paddles and the touchpad, and the
// D-pad as point-of-view hat 0. Any other joystick is read in its own order:
// axes X, Y, Z, Rx, Ry, Rz, slider 0, slider 1; buttons 0-31; hats as
// point-of-view hats 0-3. Axes are scaled linearly onto the range property
// (0..65535 until set); absent axes read 0 and absent hats centred.
//
// Mouse: relative motion, wheel (120 a notch) and buttons from SDL's events.
//
// A foreground device can be acquired only while its cooperative window is
// the active window; when the window loses focus the device is unacquired and
// its next read answers DIERR_INPUTLOST. An unplugged pad answers the same and
// is acquired again when a pad with the same identity comes back.
//
// All calls belong to the main thread (the thread that pumps messages).
#pragma once
#include <cstddef>

#include "platform/win32/win32.h"

#define DIRECTINPUT_VERSION 0x0800

// ---- Results -----------------------------------------------------------------
#define DI_OK S_OK
#define DI_NOEFFECT S_FALSE
#define DI_PROPNOEFFECT S_FALSE
#define DIERR_GENERIC E_FAIL
#define DIERR_INVALIDPARAM E_INVALIDARG
#define DIERR_NOINTERFACE E_NOINTERFACE
#define DIERR_OUTOFMEMORY E_OUTOFMEMORY
#define DIERR_UNSUPPORTED E_NOTIMPL
#define DIERR_OBJECTNOTFOUND MAKE_HRESULT(1, 7, 2)
#define DIERR_OTHERAPPHASPRIO MAKE_HRESULT(1, 7, 5)
#define DIERR_NOTACQUIRED MAKE_HRESULT(1, 7, 12)
#define DIERR_NOTINITIALIZED MAKE_HRESULT(1, 7, 21)
#define DIERR_INPUTLOST MAKE_HRESULT(1, 7, 30)
#define DIERR_ACQUIRED MAKE_HRESULT(1, 7, 170)
#define DIERR_OLDDIRECTINPUTVERSION MAKE_HRESULT(1, 7, 1150)
#define DIERR_BETADIRECTINPUTVERSION MAKE_HRESULT(1, 7, 1153)
#define DIERR_DEVICENOTREG MAKE_HRESULT(1, 4, 0x154)
#define DIERR_NOAGGREGATION MAKE_HRESULT(1, 4, 0x110)
#define DIERR_UNPLUGGED MAKE_HRESULT(1, 4, 0x209)

// ---- Identifiers ---------------------------------------------------------------
// Ids only have to exist and compare. A pad's instance id names the connection
// SDL reports it under.
inline constexpr GUID IID_IDirectInput8W = {0x4F524449, 0x0001, 0x4938, {'i', 'd', 'i', '8', 0, 0, 0, 0}};
inline constexpr GUID IID_IDirectInputDevice8W = {0x4F524449, 0x0002, 0x4938, {'d', 'e', 'v', '8', 0, 0, 0, 0}};
inline constexpr GUID GUID_SysKeyboard = {0x4F524449, 0x0010, 0x5359, {'k', 'e', 'y', 'b', 0, 0, 0, 0}};
inline constexpr GUID GUID_SysMouse = {0x4F524449, 0x0011, 0x5359, {'m', 'o', 'u', 's', 0, 0, 0, 0}};
// Object types reported by EnumObjects.
inline constexpr GUID GUID_XAxis = {0x4F524449, 0x0020, 0x4F42, {'x', 0, 0, 0, 0, 0, 0, 0}};
inline constexpr GUID GUID_YAxis = {0x4F524449, 0x0021, 0x4F42, {'y', 0, 0, 0, 0, 0, 0, 0}};
inline constexpr GUID GUID_ZAxis = {0x4F524449, 0x0022, 0x4F42, {'z', 0, 0, 0, 0, 0, 0, 0}};
inline constexpr GUID GUID_RxAxis = {0x4F524449, 0x0023, 0x4F42, {'r', 'x', 0, 0, 0, 0, 0, 0}};
inline constexpr GUID GUID_RyAxis = {0x4F524449, 0x0024, 0x4F42, {'r', 'y', 0, 0, 0, 0, 0, 0}};
inline constexpr GUID GUID_RzAxis = {0x4F524449, 0x0025, 0x4F42, {'r', 'z', 0, 0, 0, 0, 0, 0}};
inline constexpr GUID GUID_Slider = {0x4F524449, 0x0026, 0x4F42, {'s', 'l', 0, 0, 0, 0, 0, 0}};
inline constexpr GUID GUID_Button = {0x4F524449, 0x0027, 0x4F42, {'b', 't', 0, 0, 0, 0, 0, 0}};
inline constexpr GUID GUID_Key = {0x4F524449, 0x0028, 0x4F42, {'k', 'y', 0, 0, 0, 0, 0, 0}};
inline constexpr GUID GUID_POV = {0x4F524449, 0x0029, 0x4F42, {'p', 'v', 0, 0, 0, 0, 0, 0}};

// Properties of SetProperty.
inline constexpr GUID DIPROP_BUFFERSIZE = {0x4F524449, 0x0030, 0x5052, {'b', 'u', 'f', 0, 0, 0, 0, 0}};
inline constexpr GUID DIPROP_AXISMODE = {0x4F524449, 0x0031, 0x5052, {'a', 'x', 'm', 0, 0, 0, 0, 0}};
inline constexpr GUID DIPROP_RANGE = {0x4F524449, 0x0032, 0x5052, {'r', 'n', 'g', 0, 0, 0, 0, 0}};

// ---- Enumeration -----------------------------------------------------------------
#define DI8DEVCLASS_ALL 0
#define DI8DEVCLASS_DEVICE 1
#define DI8DEVCLASS_POINTER 2
#define DI8DEVCLASS_KEYBOARD 3
#define DI8DEVCLASS_GAMECTRL 4

#define DIEDFL_ALLDEVICES 0x00000000u
#define DIEDFL_ATTACHEDONLY 0x00000001u

#define DIENUM_STOP 0
#define DIENUM_CONTINUE 1

// dwDevType: the type in the low byte, the subtype in the next.
#define DI8DEVTYPE_MOUSE 0x12
#define DI8DEVTYPE_KEYBOARD 0x13
#define DI8DEVTYPE_JOYSTICK 0x14
#define DI8DEVTYPE_GAMEPAD 0x15
#define DI8DEVTYPEJOYSTICK_STANDARD 2
#define DI8DEVTYPEGAMEPAD_STANDARD 2
#define GET_DIDEVICE_TYPE(dwDevType) LOBYTE(dwDevType)
#define GET_DIDEVICE_SUBTYPE(dwDevType) HIBYTE(dwDevType)

// ---- Cooperative levels ------------------------------------------------------------
#define DISCL_EXCLUSIVE 0x00000001u
#define DISCL_NONEXCLUSIVE 0x00000002u
#define DISCL_FOREGROUND 0x00000004u
#define DISCL_BACKGROUND 0x00000008u
#define DISCL_NOWINKEY 0x00000010u

// ---- Objects ---------------------------------------------------------------------
#define DIDFT_ALL 0x00000000u
#define DIDFT_RELAXIS 0x00000001u
#define DIDFT_ABSAXIS 0x00000002u
#define DIDFT_AXIS 0x00000003u
#define DIDFT_PSHBUTTON 0x00000004u
#define DIDFT_TGLBUTTON 0x00000008u
#define DIDFT_BUTTON 0x0000000Cu
#define DIDFT_POV 0x00000010u
#define DIDFT_ANYINSTANCE 0x00FFFF00u
#define DIDFT_MAKEINSTANCE(n) ((DWORD)(WORD)(n) << 8)
#define DIDFT_GETTYPE(n) LOBYTE(n)
#define DIDFT_GETINSTANCE(n) LOWORD((n) >> 8)

// ---- Properties ------------------------------------------------------------------
#define DIPH_DEVICE 0
#define DIPH_BYOFFSET 1
#define DIPH_BYID 2

#define DIPROPAXISMODE_ABS 0
#define DIPROPAXISMODE_REL 1

typedef struct DIPROPHEADER {
    DWORD dwSize;
    DWORD dwHeaderSize;
    DWORD dwObj;
    DWORD dwHow;
} DIPROPHEADER, *LPDIPROPHEADER;
typedef const DIPROPHEADER* LPCDIPROPHEADER;

typedef struct DIPROPDWORD {
    DIPROPHEADER diph;
    DWORD dwData;
} DIPROPDWORD, *LPDIPROPDWORD;
typedef const DIPROPDWORD* LPCDIPROPDWORD;

typedef struct DIPROPRANGE {
    DIPROPHEADER diph;
    LONG lMin;
    LONG lMax;
} DIPROPRANGE, *LPDIPROPRANGE;
typedef const DIPROPRANGE* LPCDIPROPRANGE;

// ---- Capabilities and descriptions --------------------------------------------------
#define DIDC_ATTACHED 0x00000001u
#define DIDC_POLLEDDEVICE 0x00000002u

typedef struct DIDEVCAPS {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwDevType;
    DWORD dwAxes;
    DWORD dwButtons;
    DWORD dwPOVs;
    DWORD dwFFSamplePeriod;
    DWORD dwFFMinTimeResolution;
    DWORD dwFirmwareRevision;
    DWORD dwHardwareRevision;
    DWORD dwFFDriverVersion;
} DIDEVCAPS, *LPDIDEVCAPS;
static_assert(sizeof(DIDEVCAPS) == 44);

typedef struct DIDEVICEINSTANCEW {
    DWORD dwSize;
    GUID guidInstance;
    GUID guidProduct;
    DWORD dwDevType;
    WCHAR tszInstanceName[260];
    WCHAR tszProductName[260];
    GUID guidFFDriver;
    WORD wUsagePage;
    WORD wUsage;
} DIDEVICEINSTANCEW, *LPDIDEVICEINSTANCEW;
typedef const DIDEVICEINSTANCEW* LPCDIDEVICEINSTANCEW;

typedef struct DIDEVICEOBJECTINSTANCEW {
    DWORD dwSize;
    GUID guidType;
    DWORD dwOfs;   // offset of the object's value in the device state
    DWORD dwType;  // DIDFT_* type with DIDFT_MAKEINSTANCE(instance): the id for DIPH_BYID
    DWORD dwFlags;
    WCHAR tszName[260];
    DWORD dwFFMaxForce;
    DWORD dwFFForceResolution;
    WORD wCollectionNumber;
    WORD wDesignatorIndex;
    WORD wUsagePage;
    WORD wUsage;
    DWORD dwDimension;
    WORD wExponent;
    WORD wReportId;
} DIDEVICEOBJECTINSTANCEW, *LPDIDEVICEOBJECTINSTANCEW;
typedef const DIDEVICEOBJECTINSTANCEW* LPCDIDEVICEOBJECTINSTANCEW;

typedef BOOL(CALLBACK* LPDIENUMDEVICESCALLBACKW)(LPCDIDEVICEINSTANCEW, LPVOID);
typedef BOOL(CALLBACK* LPDIENUMDEVICEOBJECTSCALLBACKW)(LPCDIDEVICEOBJECTINSTANCEW, LPVOID);

// ---- Data formats and states ----------------------------------------------------------
typedef struct DIOBJECTDATAFORMAT {
    const GUID* pguid;
    DWORD dwOfs;
    DWORD dwType;
    DWORD dwFlags;
} DIOBJECTDATAFORMAT, *LPDIOBJECTDATAFORMAT;
typedef const DIOBJECTDATAFORMAT* LPCDIOBJECTDATAFORMAT;

typedef struct DIDATAFORMAT {
    DWORD dwSize;
    DWORD dwObjSize;
    DWORD dwFlags;
    DWORD dwDataSize;
    DWORD dwNumObjs;
    LPDIOBJECTDATAFORMAT rgodf;
} DIDATAFORMAT, *LPDIDATAFORMAT;
typedef const DIDATAFORMAT* LPCDIDATAFORMAT;

// The three standard formats, the only ones the devices take: the keyboard's
// 256 key bytes, the pad's DIJOYSTATE and the mouse's DIMOUSESTATE2.
extern const DIDATAFORMAT c_dfDIKeyboard;
extern const DIDATAFORMAT c_dfDIJoystick;
extern const DIDATAFORMAT c_dfDIMouse2;

typedef struct DIJOYSTATE {
    LONG lX;
    LONG lY;
    LONG lZ;
    LONG lRx;
    LONG lRy;
    LONG lRz;
    LONG rglSlider[2];
    DWORD rgdwPOV[4];  // hundredths of a degree clockwise from up; 0xFFFFFFFF centred
    BYTE rgbButtons[32];  // bit 7 (0x80) while held
} DIJOYSTATE, *LPDIJOYSTATE;
static_assert(sizeof(DIJOYSTATE) == 80);

#define DIJOFS_X offsetof(DIJOYSTATE, lX)
#define DIJOFS_Y offsetof(DIJOYSTATE, lY)
#define DIJOFS_Z offsetof(DIJOYSTATE, lZ)
#define DIJOFS_RX offsetof(DIJOYSTATE, lRx)
#define DIJOFS_RY offsetof(DIJOYSTATE, lRy)
#define DIJOFS_RZ offsetof(DIJOYSTATE, lRz)
#define DIJOFS_SLIDER(n) (offsetof(DIJOYSTATE, rglSlider) + (n) * sizeof(LONG))
#define DIJOFS_POV(n) (offsetof(DIJOYSTATE, rgdwPOV) + (n) * sizeof(DWORD))
#define DIJOFS_BUTTON(n) (offsetof(DIJOYSTATE, rgbButtons) + (n))

typedef struct DIMOUSESTATE2 {
    LONG lX;
    LONG lY;
    LONG lZ;
    BYTE rgbButtons[8];
} DIMOUSESTATE2, *LPDIMOUSESTATE2;
static_assert(sizeof(DIMOUSESTATE2) == 20);

// ---- Interfaces --------------------------------------------------------------------
struct IDirectInputDevice8W : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetCapabilities(LPDIDEVCAPS caps) = 0;
    // Flags: DIDFT_ALL or any of DIDFT_AXIS, DIDFT_BUTTON, DIDFT_POV.
    virtual HRESULT STDMETHODCALLTYPE EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKW callback, LPVOID ref,
                                                  DWORD flags) = 0;
    // DIPROP_BUFFERSIZE (DIPROPDWORD, device), DIPROP_AXISMODE (DIPROPDWORD,
    // device), DIPROP_RANGE (DIPROPRANGE: the device's every axis, or one by id
    // or by offset). Answers DIERR_ACQUIRED while the device is acquired.
    virtual HRESULT STDMETHODCALLTYPE SetProperty(REFGUID property, LPCDIPROPHEADER header) = 0;
    // DI_OK, DI_NOEFFECT when already acquired, DIERR_OTHERAPPHASPRIO for a
    // foreground device whose window is not active, DIERR_UNPLUGGED for a pad
    // that is gone, DIERR_INVALIDPARAM before SetDataFormat.
    virtual HRESULT STDMETHODCALLTYPE Acquire() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unacquire() = 0;
    // size must be the data format's size. DIERR_NOTACQUIRED when not acquired;
    // DIERR_INPUTLOST once when the device was lost (it is then unacquired).
    virtual HRESULT STDMETHODCALLTYPE GetDeviceState(DWORD size, LPVOID data) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT format) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) = 0;
    // Brings a pad's state up to date; the same results as GetDeviceState.
    virtual HRESULT STDMETHODCALLTYPE Poll() = 0;
};
typedef IDirectInputDevice8W* LPDIRECTINPUTDEVICE8W;

struct IDirectInput8W : public IUnknown {
    // GUID_SysKeyboard, GUID_SysMouse or a pad's instance id from EnumDevices.
    virtual HRESULT STDMETHODCALLTYPE CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICE8W* device,
                                                   LPUNKNOWN outer) = 0;
    // Reports the attached devices of the class in order: keyboard, mouse, then
    // the pads in SDL's order; the callback answers DIENUM_STOP to end early.
    virtual HRESULT STDMETHODCALLTYPE EnumDevices(DWORD devClass, LPDIENUMDEVICESCALLBACKW callback, LPVOID ref,
                                                  DWORD flags) = 0;
};
typedef IDirectInput8W* LPDIRECTINPUT8W;

// The names without the W suffix are the same types.
typedef IDirectInput8W IDirectInput8;
typedef IDirectInputDevice8W IDirectInputDevice8;
typedef LPDIRECTINPUT8W LPDIRECTINPUT8;
typedef LPDIRECTINPUTDEVICE8W LPDIRECTINPUTDEVICE8;
typedef DIDEVICEINSTANCEW DIDEVICEINSTANCE;
typedef LPCDIDEVICEINSTANCEW LPCDIDEVICEINSTANCE;
typedef DIDEVICEOBJECTINSTANCEW DIDEVICEOBJECTINSTANCE;
typedef LPCDIDEVICEOBJECTINSTANCEW LPCDIDEVICEOBJECTINSTANCE;
typedef LPDIENUMDEVICESCALLBACKW LPDIENUMDEVICESCALLBACK;
typedef LPDIENUMDEVICEOBJECTSCALLBACKW LPDIENUMDEVICEOBJECTSCALLBACK;
#define IID_IDirectInput8 IID_IDirectInput8W
#define IID_IDirectInputDevice8 IID_IDirectInputDevice8W

// version must be DIRECTINPUT_VERSION and iid IID_IDirectInput8W. Starts SDL's
// joystick and game-controller subsystems; with no joystick support the object
// still works and reports no pads. The instance handle is not used.
HRESULT WINAPI DirectInput8Create(HINSTANCE instance, DWORD version, REFIID iid, LPVOID* out, LPUNKNOWN outer);

// ---- Key codes ---------------------------------------------------------------------
#define DIK_ESCAPE 0x01
#define DIK_1 0x02
#define DIK_2 0x03
#define DIK_3 0x04
#define DIK_4 0x05
#define DIK_5 0x06
#define DIK_6 0x07
#define DIK_7 0x08
#define DIK_8 0x09
#define DIK_9 0x0A
#define DIK_0 0x0B
#define DIK_MINUS 0x0C
#define DIK_EQUALS 0x0D
#define DIK_BACK 0x0E
#define DIK_TAB 0x0F
#define DIK_Q 0x10
#define DIK_W 0x11
#define DIK_E 0x12
#define DIK_R 0x13
#define DIK_T 0x14
#define DIK_Y 0x15
#define DIK_U 0x16
#define DIK_I 0x17
#define DIK_O 0x18
#define DIK_P 0x19
#define DIK_LBRACKET 0x1A
#define DIK_RBRACKET 0x1B
#define DIK_RETURN 0x1C
#define DIK_LCONTROL 0x1D
#define DIK_A 0x1E
#define DIK_S 0x1F
#define DIK_D 0x20
#define DIK_F 0x21
#define DIK_G 0x22
#define DIK_H 0x23
#define DIK_J 0x24
#define DIK_K 0x25
#define DIK_L 0x26
#define DIK_SEMICOLON 0x27
#define DIK_APOSTROPHE 0x28
#define DIK_GRAVE 0x29
#define DIK_LSHIFT 0x2A
#define DIK_BACKSLASH 0x2B
#define DIK_Z 0x2C
#define DIK_X 0x2D
#define DIK_C 0x2E
#define DIK_V 0x2F
#define DIK_B 0x30
#define DIK_N 0x31
#define DIK_M 0x32
#define DIK_COMMA 0x33
#define DIK_PERIOD 0x34
#define DIK_SLASH 0x35
#define DIK_RSHIFT 0x36
#define DIK_MULTIPLY 0x37
#define DIK_LMENU 0x38
#define DIK_SPACE 0x39
#define DIK_CAPITAL 0x3A
#define DIK_F1 0x3B
#define DIK_F2 0x3C
#define DIK_F3 0x3D
#define DIK_F4 0x3E
#define DIK_F5 0x3F
#define DIK_F6 0x40
#define DIK_F7 0x41
#define DIK_F8 0x42
#define DIK_F9 0x43
#define DIK_F10 0x44
#define DIK_NUMLOCK 0x45
#define DIK_SCROLL 0x46
#define DIK_NUMPAD7 0x47
#define DIK_NUMPAD8 0x48
#define DIK_NUMPAD9 0x49
#define DIK_SUBTRACT 0x4A
#define DIK_NUMPAD4 0x4B
#define DIK_NUMPAD5 0x4C
#define DIK_NUMPAD6 0x4D
#define DIK_ADD 0x4E
#define DIK_NUMPAD1 0x4F
#define DIK_NUMPAD2 0x50
#define DIK_NUMPAD3 0x51
#define DIK_NUMPAD0 0x52
#define DIK_DECIMAL 0x53
#define DIK_OEM_102 0x56
#define DIK_F11 0x57
#define DIK_F12 0x58
#define DIK_F13 0x64
#define DIK_F14 0x65
#define DIK_F15 0x66
#define DIK_KANA 0x70
#define DIK_ABNT_C1 0x73
#define DIK_CONVERT 0x79
#define DIK_NOCONVERT 0x7B
#define DIK_YEN 0x7D
#define DIK_ABNT_C2 0x7E
#define DIK_NUMPADEQUALS 0x8D
#define DIK_PREVTRACK 0x90
#define DIK_AT 0x91
#define DIK_COLON 0x92
#define DIK_UNDERLINE 0x93
#define DIK_KANJI 0x94
#define DIK_STOP 0x95
#define DIK_AX 0x96
#define DIK_UNLABELED 0x97
#define DIK_NEXTTRACK 0x99
#define DIK_NUMPADENTER 0x9C
#define DIK_RCONTROL 0x9D
#define DIK_MUTE 0xA0
#define DIK_CALCULATOR 0xA1
#define DIK_PLAYPAUSE 0xA2
#define DIK_MEDIASTOP 0xA4
#define DIK_VOLUMEDOWN 0xAE
#define DIK_VOLUMEUP 0xB0
#define DIK_WEBHOME 0xB2
#define DIK_NUMPADCOMMA 0xB3
#define DIK_DIVIDE 0xB5
#define DIK_SYSRQ 0xB7
#define DIK_RMENU 0xB8
#define DIK_PAUSE 0xC5
#define DIK_HOME 0xC7
#define DIK_UP 0xC8
#define DIK_PRIOR 0xC9
#define DIK_LEFT 0xCB
#define DIK_RIGHT 0xCD
#define DIK_END 0xCF
#define DIK_DOWN 0xD0
#define DIK_NEXT 0xD1
#define DIK_INSERT 0xD2
#define DIK_DELETE 0xD3
#define DIK_LWIN 0xDB
#define DIK_RWIN 0xDC
#define DIK_APPS 0xDD
#define DIK_POWER 0xDE
#define DIK_SLEEP 0xDF
#define DIK_WAKE 0xE3
#define DIK_WEBSEARCH 0xE5
#define DIK_WEBFAVORITES 0xE6
#define DIK_WEBREFRESH 0xE7
#define DIK_WEBSTOP 0xE8
#define DIK_WEBFORWARD 0xE9
#define DIK_WEBBACK 0xEA
#define DIK_MYCOMPUTER 0xEB
#define DIK_MAIL 0xEC
#define DIK_MEDIASELECT 0xED

// Other names of the same keys.
#define DIK_BACKSPACE DIK_BACK
#define DIK_NUMPADSTAR DIK_MULTIPLY
#define DIK_LALT DIK_LMENU
#define DIK_CAPSLOCK DIK_CAPITAL
#define DIK_NUMPADMINUS DIK_SUBTRACT
#define DIK_NUMPADPLUS DIK_ADD
#define DIK_NUMPADPERIOD DIK_DECIMAL
#define DIK_NUMPADSLASH DIK_DIVIDE
#define DIK_RALT DIK_RMENU
#define DIK_UPARROW DIK_UP
#define DIK_PGUP DIK_PRIOR
#define DIK_LEFTARROW DIK_LEFT
#define DIK_RIGHTARROW DIK_RIGHT
#define DIK_DOWNARROW DIK_DOWN
#define DIK_PGDN DIK_NEXT
#define DIK_CIRCUMFLEX DIK_PREVTRACK

// ---- Key positions ---------------------------------------------------------------
namespace orv::dinput {
// The USB HID keyboard usage (which SDL's scancodes are) of a key code, 0 for
// a code no key has; no two key codes share a usage. And back: 0 for a usage
// with no key code. A few usages Windows reports as an existing code map to
// it (the ISO '#' key, the Japanese half/full-width and kana keys, audio mute).
int KeyUsageOfKeyCode(int keyCode);
int KeyCodeOfKeyUsage(int usage);
}  // namespace orv::dinput

// ---- Test hooks ----------------------------------------------------------------------
// For tests that must not see SDL. Pads are SDL virtual joysticks; a handle
// stays valid until the pad is detached (SDL's device indices shift, handles
// do not). Values are SDL's: axes -32768..32767, triggers 0..32767.
namespace orv::dinput {
// A joystick read in its own order (not a game controller); -1 on failure.
int TestAttachVirtualPad(int axes, int buttons, int hats = 0);
// A standard game controller: axes left x, left y, right x, right y, left
// trigger, right trigger; buttons A, B, X, Y, Back, Guide, Start, left stick,
// right stick, left shoulder, right shoulder, D-pad up, down, left, right.
int TestAttachVirtualController();
bool TestSetVirtualPadAxis(int pad, int axis, int value);
bool TestSetVirtualPadButton(int pad, int button, bool down);
// x and y of the hat: -1, 0 or 1 (y -1 is up).
bool TestSetVirtualPadHat(int pad, int hat, int x, int y);
bool TestDetachVirtualPad(int pad);
void TestDetachVirtualPads();
// Pushes the SDL key event a desktop would send for the key code's key to the
// window; the pump turns it into the key table's state (and WM_KEYDOWN/UP).
void TestPushKeyCode(HWND window, int keyCode, bool down);
}  // namespace orv::dinput
