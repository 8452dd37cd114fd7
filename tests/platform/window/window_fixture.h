// A test window whose procedure records every message it is given, and a pump
// that runs the queue dry as the game's loop does.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <vector>

#include "platform/win32/win32.h"

struct Received {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Received&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Received& r) {
    return os << "{msg 0x" << std::hex << r.msg << ", wParam 0x" << r.wParam << ", lParam 0x" << r.lParam << std::dec
              << "}";
}

class WindowTest : public ::testing::Test {
protected:
    static constexpr const wchar_t* kClass = L"OrvalisWindowTest";

    // What the procedure does beyond recording; answer true to skip DefWindowProcW.
    static inline std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)> handler;
    static inline std::vector<Received> received;
    static inline std::vector<HWND> receivers;

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        received.push_back({msg, wParam, lParam});
        receivers.push_back(hwnd);
        LRESULT result = 0;
        if (handler && handler(hwnd, msg, wParam, lParam, result)) return result;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    void SetUp() override {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = Proc;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClass;
        ASSERT_NE(RegisterClassExW(&wc), 0);
        handler = nullptr;
        Pump();
        Take();
    }

    void TearDown() override {
        for (HWND hwnd : created)
            if (IsWindow(hwnd)) DestroyWindow(hwnd);
        handler = nullptr;
        Pump();
        Take();
    }

    // The engine's windowed creation: a default-sized overlapped window, its
    // border measured, then resized so that the client area is width x height.
    HWND CreateWindowed(int width, int height) {
        const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
        HWND hwnd = CreateWindowExW(0, kClass, L"Quorvex", WS_OVERLAPPEDWINDOW, x, y, CW_USEDEFAULT, CW_USEDEFAULT,
                                    nullptr, nullptr, nullptr, nullptr);
        if (!hwnd) return nullptr;
        created.push_back(hwnd);
        RECT window{}, client{};
        GetWindowRect(hwnd, &window);
        GetClientRect(hwnd, &client);
        const int borderW = (window.right - window.left) - (client.right - client.left);
        const int borderH = (window.bottom - window.top) - (client.bottom - client.top);
        SetWindowPos(hwnd, nullptr, x, y, width + borderW, height + borderH, SWP_SHOWWINDOW);
        return hwnd;
    }

    HWND CreatePopup(int width, int height) {
        HWND hwnd = CreateWindowExW(0, kClass, L"Quorvex", WS_POPUP, 0, 0, width, height, nullptr, nullptr, nullptr,
                                    nullptr);
        if (hwnd) created.push_back(hwnd);
        return hwnd;
    }

    // Runs the pump until nothing waits; answers the WM_QUIT code, or -1.
    static int Pump() {
        MSG msg;
        int quitCode = -1;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quitCode = static_cast<int>(msg.wParam);
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        return quitCode;
    }

    static std::vector<Received> Take() {
        std::vector<Received> out;
        out.swap(received);
        receivers.clear();
        return out;
    }

    static std::vector<Received> Only(const std::vector<Received>& all, UINT msg) {
        std::vector<Received> out;
        for (const auto& r : all)
            if (r.msg == msg) out.push_back(r);
        return out;
    }

    static UINT ShowCmdOf(HWND hwnd) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        EXPECT_TRUE(GetWindowPlacement(hwnd, &placement));
        return placement.showCmd;
    }

    static RECT ClientOf(HWND hwnd) {
        RECT rect{};
        EXPECT_TRUE(GetClientRect(hwnd, &rect));
        return rect;
    }

    std::vector<HWND> created;
};

inline LPARAM SizeParam(int width, int height) { return MAKELPARAM(width, height); }
inline WPARAM ActivateParam(int state, bool minimized) {
    return static_cast<WPARAM>(static_cast<DWORD>(MAKELONG(state, minimized ? 1 : 0)));
}
