// Windows, window classes and the message queue, over SDL2.
//
// Every window is an SDL window the layer keeps a record of: its procedure,
// style, title, outer position, client size, show state (normal, minimised,
// maximised, hidden) and whether it is the active window. SDL events are
// turned into messages when the pump polls them; calls that change a window
// (creating, sizing, showing, destroying) send their messages to the
// procedure at once, as Windows does. Drivers with no window manager
// (offscreen, dummy) report no size, focus or minimise changes, so the layer
// keeps that state itself and treats a shown window as the active one.
//
// All window and message calls belong to the main thread, like SDL's video
// functions; only PostMessageW and PostQuitMessage may come from any thread.
#pragma once

#include "platform/win32/types.h"

// ---- Window styles ---------------------------------------------------------
#define WS_OVERLAPPED 0x00000000u
#define WS_POPUP 0x80000000u
#define WS_CHILD 0x40000000u
#define WS_MINIMIZE 0x20000000u
#define WS_VISIBLE 0x10000000u
#define WS_DISABLED 0x08000000u
#define WS_CLIPSIBLINGS 0x04000000u
#define WS_CLIPCHILDREN 0x02000000u
#define WS_MAXIMIZE 0x01000000u
#define WS_CAPTION 0x00C00000u
#define WS_BORDER 0x00800000u
#define WS_DLGFRAME 0x00400000u
#define WS_SYSMENU 0x00080000u
#define WS_THICKFRAME 0x00040000u
#define WS_MINIMIZEBOX 0x00020000u
#define WS_MAXIMIZEBOX 0x00010000u
#define WS_OVERLAPPEDWINDOW \
    (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
#define WS_POPUPWINDOW (WS_POPUP | WS_BORDER | WS_SYSMENU)

// WINDOWINFO::dwWindowStatus: set while the window is the active one.
#define WS_ACTIVECAPTION 0x0001u

#define CW_USEDEFAULT ((int)0x80000000)

// ---- ShowWindow commands and WINDOWPLACEMENT::showCmd ------------------------
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWMINNOACTIVE 7
#define SW_SHOWNA 8
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10
#define SW_FORCEMINIMIZE 11

// ---- SetWindowPos ------------------------------------------------------------
#define SWP_NOSIZE 0x0001u
#define SWP_NOMOVE 0x0002u
#define SWP_NOZORDER 0x0004u
#define SWP_NOREDRAW 0x0008u
#define SWP_NOACTIVATE 0x0010u
#define SWP_FRAMECHANGED 0x0020u
#define SWP_SHOWWINDOW 0x0040u
#define SWP_HIDEWINDOW 0x0080u
#define SWP_NOOWNERZORDER 0x0200u
#define HWND_TOP ((HWND)0)
#define HWND_BOTTOM ((HWND)1)
#define HWND_TOPMOST ((HWND)-1)
#define HWND_NOTOPMOST ((HWND)-2)

// ---- Messages ----------------------------------------------------------------
#define WM_NULL 0x0000u
#define WM_CREATE 0x0001u
#define WM_DESTROY 0x0002u
#define WM_SIZE 0x0005u
#define WM_ACTIVATE 0x0006u
#define WM_CLOSE 0x0010u
#define WM_QUIT 0x0012u
#define WM_KEYDOWN 0x0100u
#define WM_KEYUP 0x0101u
#define WM_USER 0x0400u
#define WM_APP 0x8000u

// WM_SIZE wParam.
#define SIZE_RESTORED 0
#define SIZE_MINIMIZED 1
#define SIZE_MAXIMIZED 2

// WM_ACTIVATE low word; the high word is non-zero while the window is minimised.
#define WA_INACTIVE 0
#define WA_ACTIVE 1
#define WA_CLICKACTIVE 2

// PeekMessageW.
#define PM_NOREMOVE 0x0000u
#define PM_REMOVE 0x0001u

// GetSystemMetrics.
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1

// ---- Resources ---------------------------------------------------------------
#define MAKEINTRESOURCEW(i) ((LPWSTR)(ULONG_PTR)(WORD)(i))
#define IS_INTRESOURCE(p) ((((ULONG_PTR)(p)) >> 16) == 0)
#define IDC_ARROW MAKEINTRESOURCEW(32512)
#define IDI_APPLICATION MAKEINTRESOURCEW(32512)
#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define IMAGE_CURSOR 2
#define LR_DEFAULTCOLOR 0x00000000u
#define LR_LOADFROMFILE 0x00000010u
#define LR_DEFAULTSIZE 0x00000040u
#define LR_SHARED 0x00008000u

// ---- Message boxes -----------------------------------------------------------
#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_ICONERROR 0x00000010u
#define MB_ICONHAND MB_ICONERROR
#define MB_ICONWARNING 0x00000030u
#define MB_ICONINFORMATION 0x00000040u
#define IDOK 1
#define IDCANCEL 2

// ---- Virtual-key codes (wParam of WM_KEYDOWN / WM_KEYUP) -----------------------
// Letters and digits are their upper-case ASCII codes ('A'..'Z', '0'..'9').
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_CLEAR 0x0C
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_PAUSE 0x13
#define VK_CAPITAL 0x14
#define VK_KANA 0x15
#define VK_KANJI 0x19
#define VK_ESCAPE 0x1B
#define VK_CONVERT 0x1C
#define VK_NONCONVERT 0x1D
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_SELECT 0x29
#define VK_PRINT 0x2A
#define VK_EXECUTE 0x2B
#define VK_SNAPSHOT 0x2C
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_HELP 0x2F
#define VK_LWIN 0x5B
#define VK_RWIN 0x5C
#define VK_APPS 0x5D
#define VK_SLEEP 0x5F
#define VK_NUMPAD0 0x60
#define VK_NUMPAD1 0x61
#define VK_NUMPAD2 0x62
#define VK_NUMPAD3 0x63
#define VK_NUMPAD4 0x64
#define VK_NUMPAD5 0x65
#define VK_NUMPAD6 0x66
#define VK_NUMPAD7 0x67
#define VK_NUMPAD8 0x68
#define VK_NUMPAD9 0x69
#define VK_MULTIPLY 0x6A
#define VK_ADD 0x6B
#define VK_SEPARATOR 0x6C
#define VK_SUBTRACT 0x6D
#define VK_DECIMAL 0x6E
#define VK_DIVIDE 0x6F
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73
#define VK_F5 0x74
#define VK_F6 0x75
#define VK_F7 0x76
#define VK_F8 0x77
#define VK_F9 0x78
#define VK_F10 0x79
#define VK_F11 0x7A
#define VK_F12 0x7B
#define VK_F13 0x7C
#define VK_F14 0x7D
#define VK_F15 0x7E
#define VK_F16 0x7F
#define VK_F17 0x80
#define VK_F18 0x81
#define VK_F19 0x82
#define VK_F20 0x83
#define VK_F21 0x84
#define VK_F22 0x85
#define VK_F23 0x86
#define VK_F24 0x87
#define VK_NUMLOCK 0x90
#define VK_SCROLL 0x91
#define VK_LSHIFT 0xA0
#define VK_RSHIFT 0xA1
#define VK_LCONTROL 0xA2
#define VK_RCONTROL 0xA3
#define VK_LMENU 0xA4
#define VK_RMENU 0xA5
#define VK_OEM_1 0xBA
#define VK_OEM_PLUS 0xBB
#define VK_OEM_COMMA 0xBC
#define VK_OEM_MINUS 0xBD
#define VK_OEM_PERIOD 0xBE
#define VK_OEM_2 0xBF
#define VK_OEM_3 0xC0
#define VK_OEM_4 0xDB
#define VK_OEM_5 0xDC
#define VK_OEM_6 0xDD
#define VK_OEM_7 0xDE
#define VK_OEM_102 0xE2

// ---- Records -----------------------------------------------------------------
typedef struct tagWNDCLASSEXW {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
    HICON hIconSm;
} WNDCLASSEXW;

// lParam of WM_CREATE.
typedef struct tagCREATESTRUCTW {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCWSTR lpszName;
    LPCWSTR lpszClass;
    DWORD dwExStyle;
} CREATESTRUCTW;

typedef struct tagWINDOWPLACEMENT {
    UINT length;
    UINT flags;
    UINT showCmd;
    POINT ptMinPosition;
    POINT ptMaxPosition;
    RECT rcNormalPosition;
} WINDOWPLACEMENT;

typedef struct tagWINDOWINFO {
    DWORD cbSize;
    RECT rcWindow;
    RECT rcClient;
    DWORD dwStyle;
    DWORD dwExStyle;
    DWORD dwWindowStatus;
    UINT cxWindowBorders;
    UINT cyWindowBorders;
    ATOM atomWindowType;
    WORD wCreatorVersion;
} WINDOWINFO;

// ---- Window classes and windows ------------------------------------------------
// Registering a class name again with the same procedure answers the class's
// atom (a process that brings its window up twice, as tests do, keeps working);
// with another procedure it fails as on Windows.
ATOM RegisterClassExW(const WNDCLASSEXW* wc);
BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance);

// x, y, width and height are the outer window rectangle, as on Windows. The
// window gets WM_CREATE and then WM_SIZE with its client size before this
// returns; a procedure answering -1 to WM_CREATE makes it fail (null).
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
// Sends WM_DESTROY, drops the window's queued messages and closes the SDL window.
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);

// SM_CXSCREEN / SM_CYSCREEN: the desktop size of the first display.
int GetSystemMetrics(int index);
// The frame around the client area that the layer gives each style: thick
// frame 8 px a side, thin or dialog border 1 or 3 px, caption 23 px on top.
BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu);
BOOL GetWindowRect(HWND hwnd, RECT* rect);  // outer rectangle, screen coordinates
BOOL GetClientRect(HWND hwnd, RECT* rect);  // (0, 0, client width, client height)
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL ShowWindow(HWND hwnd, int cmdShow);  // answers whether the window was visible before
BOOL ValidateRect(HWND hwnd, const RECT* rect);
BOOL UpdateWindow(HWND hwnd);
BOOL SetWindowTextW(HWND hwnd, LPCWSTR text);
int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount);
BOOL GetWindowInfo(HWND hwnd, WINDOWINFO* info);
BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement);

// Display counter as on Windows: the cursor shows while the counter is 0 or more.
int ShowCursor(BOOL show);
// There are no resources in this program: these answer stand-in handles that
// nothing draws, so a class can still name an icon and a cursor.
HANDLE LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int cx, int cy, UINT flags);
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);

// A message box on a desktop; with no desktop (offscreen or dummy video
// driver, no display) the caption and text are written to standard error.
// Answers IDOK.
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

// ---- Messages ----------------------------------------------------------------
// WM_CLOSE destroys the window; everything else answers 0.
LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Posted messages first, then WM_QUIT once PostQuitMessage was called, then
// the messages made from newly polled SDL events.
BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg);
// Waits for a message; answers 0 for WM_QUIT.
BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageW(const MSG* msg);
LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

// ---- Test hooks ----------------------------------------------------------------
// Each pushes the SDL event a desktop would send for the window; it turns into
// messages only when the pump polls it, exactly like a real event.
namespace orv::win32 {
void TestPushResize(HWND hwnd, int clientWidth, int clientHeight);
void TestPushMinimize(HWND hwnd);
void TestPushMaximize(HWND hwnd);
void TestPushRestore(HWND hwnd);
void TestPushFocus(HWND hwnd, bool gained);
void TestPushClose(HWND hwnd);
void TestPushQuit();  // the application-wide quit request (Ctrl+C, last window closed)
// A key by virtual-key code, or by the key's SDL name ("Escape", "Return",
// "A", "F5", "Left", "Keypad 7") to check the key mapping itself.
void TestPushKey(HWND hwnd, int vk, bool down);
void TestPushNamedKey(HWND hwnd, const char* keyName, bool down);
}  // namespace orv::win32
