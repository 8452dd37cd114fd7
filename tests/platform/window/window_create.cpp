// Creating windows: exact client sizes, the messages of creation, the state
// the engine reads back, and window classes.
#include <cwchar>
#include <string>

#include "window_fixture.h"

TEST_F(WindowTest, WindowedClientAreaIsExactAfterBorderArithmetic) {
    for (auto [width, height] : {std::pair{1280, 720}, std::pair{640, 480}, std::pair{333, 211}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        HWND hwnd = CreateWindowed(width, height);
        ASSERT_NE(hwnd, nullptr);
        const RECT client = ClientOf(hwnd);
        EXPECT_EQ(client.left, 0);
        EXPECT_EQ(client.top, 0);
        EXPECT_EQ(client.right, width);
        EXPECT_EQ(client.bottom, height);

        // Centred: the outer rectangle starts where the engine asked.
        RECT window{};
        ASSERT_TRUE(GetWindowRect(hwnd, &window));
        EXPECT_EQ(window.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
        EXPECT_EQ(window.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
        EXPECT_GT(window.right - window.left, width);  // a windowed window has a frame
        EXPECT_GT(window.bottom - window.top, height);
        EXPECT_EQ(ShowCmdOf(hwnd), static_cast<UINT>(SW_SHOWNORMAL));
        DestroyWindow(hwnd);
    }
}

TEST_F(WindowTest, CreationSendsCreateThenOneSizeAndShowingActivates) {
    HWND hwnd = CreateWindowExW(0, kClass, L"Quorvex", WS_OVERLAPPEDWINDOW, 10, 20, CW_USEDEFAULT, CW_USEDEFAULT,
                                nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    created.push_back(hwnd);
    const RECT first = ClientOf(hwnd);
    auto messages = Take();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].msg, WM_CREATE);
    EXPECT_EQ(messages[1], (Received{WM_SIZE, SIZE_RESTORED, SizeParam(first.right, first.bottom)}));
    EXPECT_EQ(ShowCmdOf(hwnd), static_cast<UINT>(SW_HIDE));  // not shown yet

    RECT window{};
    GetWindowRect(hwnd, &window);
    const int borderW = (window.right - window.left) - first.right;
    const int borderH = (window.bottom - window.top) - first.bottom;
    ASSERT_TRUE(SetWindowPos(hwnd, nullptr, 10, 20, 800 + borderW, 450 + borderH, SWP_SHOWWINDOW));
    messages = Take();
    // The offscreen driver has no window manager: showing makes the window active.
    const std::vector<Received> expected = {
        {WM_SIZE, SIZE_RESTORED, SizeParam(800, 450)},
        {WM_ACTIVATE, ActivateParam(WA_ACTIVE, false), 0},
    };
    EXPECT_EQ(messages, expected);

    // The size SDL reports afterwards is the one already told: no second WM_SIZE.
    EXPECT_EQ(Pump(), -1);
    EXPECT_TRUE(Only(Take(), WM_SIZE).empty());
}

TEST_F(WindowTest, WindowInfoTellsWindowedFromPopupAndActiveFromInactive) {
    HWND windowed = CreateWindowed(320, 240);
    ASSERT_NE(windowed, nullptr);
    WINDOWINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetWindowInfo(windowed, &info));
    EXPECT_NE(info.dwStyle & 0x00010000u, 0u);  // the bit the environment reads for the windowed style
    EXPECT_NE(info.dwStyle & WS_VISIBLE, 0u);
    EXPECT_EQ(info.dwWindowStatus, WS_ACTIVECAPTION);
    DestroyWindow(windowed);

    HWND popup = CreatePopup(400, 300);
    ASSERT_NE(popup, nullptr);
    RECT window{};
    GetWindowRect(popup, &window);
    EXPECT_EQ(window.left, 0);
    EXPECT_EQ(window.top, 0);
    EXPECT_EQ(window.right, 400);  // no frame: client = window
    EXPECT_EQ(window.bottom, 300);
    ASSERT_TRUE(GetWindowInfo(popup, &info));
    EXPECT_EQ(info.dwStyle & 0x00010000u, 0u);
    EXPECT_EQ(info.dwWindowStatus, 0u);  // hidden windows are not active
    EXPECT_FALSE(ShowWindow(popup, SW_SHOWNORMAL));
    ASSERT_TRUE(GetWindowInfo(popup, &info));
    EXPECT_EQ(info.dwWindowStatus, WS_ACTIVECAPTION);
}

TEST_F(WindowTest, ShowCommandsSetPlacementAndSendTheirMessages) {
    HWND hwnd = CreateWindowed(400, 300);
    ASSERT_NE(hwnd, nullptr);
    Pump();
    Take();
    struct Step {
        int cmd;
        BOOL wasVisible;
        UINT showCmd;
        std::vector<Received> messages;
    };
    const Step steps[] = {
        {SW_MINIMIZE, TRUE, SW_SHOWMINIMIZED,
         {{WM_SIZE, SIZE_MINIMIZED, 0}, {WM_ACTIVATE, ActivateParam(WA_INACTIVE, true), 0}}},
        {SW_RESTORE, TRUE, SW_SHOWNORMAL,
         {{WM_SIZE, SIZE_RESTORED, SizeParam(400, 300)}, {WM_ACTIVATE, ActivateParam(WA_ACTIVE, false), 0}}},
        {SW_SHOWMAXIMIZED, TRUE, SW_SHOWMAXIMIZED, {{WM_SIZE, SIZE_MAXIMIZED, SizeParam(400, 300)}}},
        {SW_SHOWNORMAL, TRUE, SW_SHOWNORMAL, {{WM_SIZE, SIZE_RESTORED, SizeParam(400, 300)}}},
        {SW_HIDE, TRUE, SW_HIDE, {{WM_ACTIVATE, ActivateParam(WA_INACTIVE, false), 0}}},
        {SW_HIDE, FALSE, SW_HIDE, {}},
        {SW_SHOW, FALSE, SW_SHOWNORMAL, {{WM_ACTIVATE, ActivateParam(WA_ACTIVE, false), 0}}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE("ShowWindow " + std::to_string(step.cmd));
        EXPECT_EQ(ShowWindow(hwnd, step.cmd), step.wasVisible);
        EXPECT_EQ(Take(), step.messages);  // sent before ShowWindow returns
        EXPECT_EQ(ShowCmdOf(hwnd), step.showCmd);
        Pump();
        EXPECT_EQ(Take(), std::vector<Received>{});  // and not again through the queue
    }
}

TEST_F(WindowTest, ProcedureMayResizeItsWindowWhileHandlingASize) {
    // The engine keeps the client area at a fixed aspect ratio by answering a
    // WM_SIZE with SetWindowPos; that nests a second WM_SIZE and must settle.
    HWND hwnd = CreateWindowed(640, 360);
    ASSERT_NE(hwnd, nullptr);
    Pump();
    Take();
    handler = [](HWND h, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT&) {
        if (msg != WM_SIZE || wParam != SIZE_RESTORED) return false;
        const int width = LOWORD(lParam);
        const int height = width * 9 / 16;
        RECT window{}, client{};
        GetWindowRect(h, &window);
        GetClientRect(h, &client);
        SetWindowPos(h, nullptr, 0, 0, width + (window.right - window.left - client.right),
                     height + (window.bottom - window.top - client.bottom), SWP_NOMOVE | SWP_NOZORDER);
        return true;
    };
    orv::win32::TestPushResize(hwnd, 1000, 600);
    Pump();
    const std::vector<Received> expected = {
        {WM_SIZE, SIZE_RESTORED, SizeParam(1000, 600)},
        {WM_SIZE, SIZE_RESTORED, SizeParam(1000, 562)},
    };
    EXPECT_EQ(Take(), expected);
    const RECT client = ClientOf(hwnd);
    EXPECT_EQ(client.right, 1000);
    EXPECT_EQ(client.bottom, 562);
}

TEST_F(WindowTest, ClassesAndFailedCreation) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = kClass;
    const ATOM atom = RegisterClassExW(&wc);
    EXPECT_NE(atom, 0);
    EXPECT_EQ(RegisterClassExW(&wc), atom);  // the same class again: same atom
    wc.lpfnWndProc = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; };
    EXPECT_EQ(RegisterClassExW(&wc), 0);  // the name taken by another procedure
    wc.cbSize = 0;
    EXPECT_EQ(RegisterClassExW(&wc), 0);

    EXPECT_EQ(CreateWindowExW(0, L"NoSuchClass", L"x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
              nullptr);

    // A procedure refusing WM_CREATE: the window is destroyed and creation fails.
    handler = [](HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) {
        if (msg != WM_CREATE) return false;
        result = -1;
        return true;
    };
    EXPECT_EQ(CreatePopup(64, 64), nullptr);
    const auto messages = Take();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].msg, WM_CREATE);
    EXPECT_EQ(messages[1].msg, WM_DESTROY);
}

TEST_F(WindowTest, TitleCursorAndMessageBox) {
    HWND hwnd = CreatePopup(64, 64);
    ASSERT_NE(hwnd, nullptr);
    const wchar_t* title = L"ORVALIS v1.03 [ FPS : 60.0/60.0 ] 日本語";
    ASSERT_TRUE(SetWindowTextW(hwnd, title));
    wchar_t text[256];
    EXPECT_EQ(GetWindowTextW(hwnd, text, 256), static_cast<int>(std::wcslen(title)));
    EXPECT_STREQ(text, title);
    EXPECT_EQ(GetWindowTextW(hwnd, text, 8), 7);  // truncated and terminated
    EXPECT_STREQ(text, L"ORVALIS");

    // Full screen hides the cursor, then the setting shows it again: back to 0.
    const int start = ShowCursor(FALSE) + 1;
    EXPECT_EQ(ShowCursor(TRUE), start);
    EXPECT_EQ(ShowCursor(FALSE), start - 1);
    EXPECT_EQ(ShowCursor(FALSE), start - 2);
    EXPECT_EQ(ShowCursor(TRUE), start - 1);
    EXPECT_EQ(ShowCursor(TRUE), start);

    // No desktop under the offscreen driver: the box goes to standard error.
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxW(hwnd, L"デバイス作成に失敗\r\nline 2", L"ERROR", MB_OK | MB_ICONERROR), IDOK);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "ERROR: デバイス作成に失敗\nline 2\n");
}
