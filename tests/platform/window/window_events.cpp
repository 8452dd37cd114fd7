// Desktop events through the real pump: what the procedure receives and the
// state the layer keeps; closing, quitting and the queue's order.
#include <functional>
#include <string>

#include "window_fixture.h"

namespace {

using orv::win32::TestPushClose;
using orv::win32::TestPushFocus;
using orv::win32::TestPushKey;
using orv::win32::TestPushMaximize;
using orv::win32::TestPushMinimize;
using orv::win32::TestPushQuit;
using orv::win32::TestPushResize;
using orv::win32::TestPushRestore;

const LPARAM kKeyUpBits = (LPARAM(1) << 30) | (LPARAM(1) << 31);

}  // namespace

TEST_F(WindowTest, PushedEventsArriveWithTheirParametersAndState) {
    HWND hwnd = CreateWindowed(640, 360);
    ASSERT_NE(hwnd, nullptr);
    Pump();
    Take();
    struct Step {
        const char* what;
        std::function<void()> push;
        std::vector<Received> messages;
        UINT showCmd;
        bool active;
    };
    const Step steps[] = {
        {"resize", [&] { TestPushResize(hwnd, 800, 600); },
         {{WM_SIZE, SIZE_RESTORED, SizeParam(800, 600)}}, SW_SHOWNORMAL, true},
        {"same size again", [&] { TestPushResize(hwnd, 800, 600); }, {}, SW_SHOWNORMAL, true},
        {"minimise", [&] { TestPushMinimize(hwnd); },
         {{WM_SIZE, SIZE_MINIMIZED, 0}, {WM_ACTIVATE, ActivateParam(WA_INACTIVE, true), 0}}, SW_SHOWMINIMIZED,
         false},
        {"minimise again", [&] { TestPushMinimize(hwnd); }, {}, SW_SHOWMINIMIZED, false},
        {"restore", [&] { TestPushRestore(hwnd); },
         {{WM_SIZE, SIZE_RESTORED, SizeParam(800, 600)}, {WM_ACTIVATE, ActivateParam(WA_ACTIVE, false), 0}},
         SW_SHOWNORMAL, true},
        {"maximise", [&] { TestPushMaximize(hwnd); },
         {{WM_SIZE, SIZE_MAXIMIZED, SizeParam(800, 600)}}, SW_SHOWMAXIMIZED, true},
        {"resize while maximised", [&] { TestPushResize(hwnd, 1024, 700); },
         {{WM_SIZE, SIZE_MAXIMIZED, SizeParam(1024, 700)}}, SW_SHOWMAXIMIZED, true},
        {"restore from maximised", [&] { TestPushRestore(hwnd); },
         {{WM_SIZE, SIZE_RESTORED, SizeParam(1024, 700)}}, SW_SHOWNORMAL, true},
        {"focus lost", [&] { TestPushFocus(hwnd, false); },
         {{WM_ACTIVATE, ActivateParam(WA_INACTIVE, false), 0}}, SW_SHOWNORMAL, false},
        {"focus lost again", [&] { TestPushFocus(hwnd, false); }, {}, SW_SHOWNORMAL, false},
        {"focus gained", [&] { TestPushFocus(hwnd, true); },
         {{WM_ACTIVATE, ActivateParam(WA_ACTIVE, false), 0}}, SW_SHOWNORMAL, true},
        {"escape down", [&] { TestPushKey(hwnd, VK_ESCAPE, true); }, {{WM_KEYDOWN, VK_ESCAPE, 1}}, SW_SHOWNORMAL,
         true},
        {"escape up", [&] { TestPushKey(hwnd, VK_ESCAPE, false); }, {{WM_KEYUP, VK_ESCAPE, 1 | kKeyUpBits}},
         SW_SHOWNORMAL, true},
        {"several in one poll", [&] {
             TestPushKey(hwnd, 'Z', true);
             TestPushResize(hwnd, 500, 400);
             TestPushKey(hwnd, 'Z', false);
         },
         {{WM_KEYDOWN, 'Z', 1}, {WM_SIZE, SIZE_RESTORED, SizeParam(500, 400)}, {WM_KEYUP, 'Z', 1 | kKeyUpBits}},
         SW_SHOWNORMAL, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.push();
        EXPECT_EQ(Take(), std::vector<Received>{});  // nothing before the pump polls
        EXPECT_EQ(Pump(), -1);
        EXPECT_EQ(Take(), step.messages);
        for (HWND to : receivers) EXPECT_EQ(to, hwnd);
        EXPECT_EQ(ShowCmdOf(hwnd), step.showCmd);
        WINDOWINFO info{};
        info.cbSize = sizeof(info);
        ASSERT_TRUE(GetWindowInfo(hwnd, &info));
        EXPECT_EQ(info.dwWindowStatus == WS_ACTIVECAPTION, step.active);
    }
    const RECT client = ClientOf(hwnd);
    EXPECT_EQ(client.right, 500);
    EXPECT_EQ(client.bottom, 400);
}

TEST_F(WindowTest, FocusGainedWhileMinimisedIsToldOnRestore) {
    // An activation flagged as minimised is ignored by the engine; the window
    // must still come back active once it is restored.
    HWND hwnd = CreateWindowed(320, 200);
    ASSERT_NE(hwnd, nullptr);
    Pump();
    TestPushMinimize(hwnd);
    TestPushFocus(hwnd, true);
    Pump();
    Take();
    TestPushRestore(hwnd);
    Pump();
    const auto activations = Only(Take(), WM_ACTIVATE);
    ASSERT_FALSE(activations.empty());
    EXPECT_EQ(activations.back().wParam, ActivateParam(WA_ACTIVE, false));
}

TEST_F(WindowTest, CloseDestroysThroughDefWindowProcAndDestroyQuits) {
    HWND hwnd = CreateWindowed(320, 200);
    ASSERT_NE(hwnd, nullptr);
    Pump();
    Take();
    handler = [](HWND, UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (msg != WM_DESTROY) return false;
        PostQuitMessage(0);
        return true;
    };
    TestPushClose(hwnd);
    EXPECT_EQ(Pump(), 0);
    const auto messages = Take();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].msg, WM_CLOSE);
    EXPECT_EQ(messages[1].msg, WM_DESTROY);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(GetWindowPlacement(hwnd, nullptr));
}

TEST_F(WindowTest, QuitRequestClosesEveryWindowOnce) {
    HWND a = CreateWindowed(200, 100);
    HWND b = CreatePopup(100, 100);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    Pump();
    Take();
    // A desktop sends the window's close and then the application's quit.
    TestPushClose(a);
    TestPushQuit();
    Pump();
    const auto closes = Only(Take(), WM_CLOSE);
    EXPECT_EQ(closes.size(), 2u);  // one for each window, not two for a
    EXPECT_FALSE(IsWindow(a));
    EXPECT_FALSE(IsWindow(b));
}

TEST_F(WindowTest, QuitComesAfterPostedMessagesWithItsCodeAndOnlyOnce) {
    HWND hwnd = CreatePopup(64, 64);
    ASSERT_NE(hwnd, nullptr);
    Pump();
    PostMessageW(hwnd, WM_APP, 1, 2);
    PostQuitMessage(7);
    PostQuitMessage(9);  // the last code asked for wins
    PostMessageW(hwnd, WM_APP + 1, 3, 4);
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_APP);  // peeking leaves it there
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_APP);
    EXPECT_EQ(msg.hwnd, hwnd);
    EXPECT_EQ(msg.wParam, 1u);
    EXPECT_EQ(msg.lParam, 2);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_APP + 1);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 9u);
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));

    // GetMessageW answers 0 for the quit.
    PostQuitMessage(0);
    EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(msg.message, WM_QUIT);
}

TEST_F(WindowTest, DestroyingAWindowDropsItsQueuedMessages) {
    HWND doomed = CreatePopup(64, 64);
    HWND other = CreatePopup(64, 64);
    ASSERT_NE(doomed, nullptr);
    ASSERT_NE(other, nullptr);
    Pump();
    PostMessageW(doomed, WM_APP, 0, 0);
    PostMessageW(other, WM_APP, 0, 0);
    TestPushKey(doomed, 'A', true);
    DestroyWindow(doomed);
    Take();
    Pump();
    ASSERT_EQ(receivers.size(), 1u);  // the key pushed for the destroyed window goes nowhere
    EXPECT_EQ(receivers[0], other);
    EXPECT_EQ(Take()[0].msg, WM_APP);
    EXPECT_FALSE(PostMessageW(doomed, WM_APP, 0, 0));
    MSG stale{doomed, WM_APP, 0, 0, 0, {}};
    EXPECT_EQ(DispatchMessageW(&stale), 0);
    EXPECT_TRUE(Take().empty());
}
