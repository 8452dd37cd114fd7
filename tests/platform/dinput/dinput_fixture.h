// A shown window (the active one, as a desktop would make it), a DirectInput
// object and the pump the game's loop runs.
#pragma once

#include <gtest/gtest.h>

#include "platform/dinput/dinput.h"
#include "platform/win32/win32.h"

class DirectInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = L"OrvalisInputTest";
        ASSERT_NE(RegisterClassExW(&wc), 0);
        window = CreateWindowExW(0, wc.lpszClassName, L"Quorvex", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr,
                                 nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        ShowWindow(window, SW_SHOW);
        ASSERT_EQ(DirectInput8Create(nullptr, DIRECTINPUT_VERSION, IID_IDirectInput8W,
                                     reinterpret_cast<void**>(&input), nullptr),
                  DI_OK);
        Pump();
    }

    void TearDown() override {
        for (auto* device : devices) device->Release();
        if (input) input->Release();
        orv::dinput::TestDetachVirtualPads();
        // The key table is the whole process's: leave no key down for the next test.
        if (window) orv::win32::TestPushFocus(window, false);
        Pump();
        if (window) DestroyWindow(window);
        Pump();
    }

    static void Pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    // A device set up as the engine sets it up; null (and a test failure) when
    // a step fails.
    IDirectInputDevice8W* Create(REFGUID guid, const DIDATAFORMAT* format, DWORD level) {
        IDirectInputDevice8W* device = nullptr;
        EXPECT_EQ(input->CreateDevice(guid, &device, nullptr), DI_OK);
        if (!device) return nullptr;
        devices.push_back(device);
        EXPECT_EQ(device->SetDataFormat(format), DI_OK);
        EXPECT_EQ(device->SetCooperativeLevel(window, level), DI_OK);
        return device;
    }

    HWND window = nullptr;
    IDirectInput8W* input = nullptr;
    std::vector<IDirectInputDevice8W*> devices;
};
