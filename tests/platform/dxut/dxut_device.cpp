// Device creation through the framework, and the switches that end a run
// after N frames and keep its last picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/dxut/dxut.h"
#include "platform/win32/win32.h"

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

std::vector<unsigned char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

uint32_t BigEndian(const std::vector<unsigned char>& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | uint32_t(b[at + 3]);
}

// The PNG header: signature, then IHDR with width, height, depth and colour type.
::testing::AssertionResult IsRgbPng(const std::string& path, uint32_t width, uint32_t height) {
    const auto bytes = ReadFile(path);
    const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < 33 || !std::equal(signature, signature + 8, bytes.begin()))
        return ::testing::AssertionFailure() << path << " is not a PNG file";
    if (std::string(bytes.begin() + 12, bytes.begin() + 16) != "IHDR")
        return ::testing::AssertionFailure() << "no IHDR";
    if (BigEndian(bytes, 16) != width || BigEndian(bytes, 20) != height)
        return ::testing::AssertionFailure() << "size " << BigEndian(bytes, 16) << "x" << BigEndian(bytes, 20);
    if (bytes[24] != 8 || bytes[25] != 2)
        return ::testing::AssertionFailure() << "depth " << int(bytes[24]) << ", colour type " << int(bytes[25]);
    return ::testing::AssertionSuccess();
}

class DxutDevice : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = L"OrvalisDxutTest";
        ASSERT_NE(RegisterClassExW(&wc), 0);
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"Quorvex", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr,
                               nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
        ShowWindow(hwnd, SW_SHOWNORMAL);
    }

    void TearDown() override {
        DXUTShutdown();
        if (IsWindow(hwnd)) DestroyWindow(hwnd);
        DXUTParseCommandLine(L"");
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    // The engine's settings for a windowed device on the test window.
    static DXUTDeviceSettings Settings() {
        DXUTDeviceSettings s{};
        s.AdapterOrdinal = D3DADAPTER_DEFAULT;
        s.DeviceType = D3DDEVTYPE_HAL;
        s.AdapterFormat = D3DFMT_A8R8G8B8;
        s.BehaviorFlags = D3DCREATE_HARDWARE_VERTEXPROCESSING;
        s.pp.BackBufferWidth = kWidth;
        s.pp.BackBufferHeight = kHeight;
        s.pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        s.pp.BackBufferCount = 1;
        s.pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        s.pp.Windowed = TRUE;
        s.pp.EnableAutoDepthStencil = TRUE;
        s.pp.AutoDepthStencilFormat = D3DFMT_D24S8;
        s.pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        return s;
    }

    ::testing::AssertionResult CreateDevice() {
        if (FAILED(DXUTSetWindow(hwnd, hwnd, hwnd))) return ::testing::AssertionFailure() << "DXUTSetWindow";
        DXUTDeviceSettings settings = Settings();
        const HRESULT hr = DXUTCreateDeviceFromSettings(&settings);
        if (FAILED(hr)) return ::testing::AssertionFailure() << "DXUTCreateDeviceFromSettings " << hr;
        if (!DXUTGetD3D9Device()) return ::testing::AssertionFailure() << "no device";
        return ::testing::AssertionSuccess();
    }

    // The game's loop: handle what waits, else draw one frame in the next colour.
    // Answers the frames presented before WM_QUIT (or once the colours ran out).
    static int RunFrames(const std::vector<D3DCOLOR>& colours, bool* quit = nullptr) {
        IDirect3DDevice9* device = DXUTGetD3D9Device();
        size_t presented = 0;
        for (;;) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    if (quit) *quit = true;
                    return static_cast<int>(presented);
                }
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            if (presented == colours.size()) return static_cast<int>(presented);
            device->Clear(0, nullptr, D3DCLEAR_TARGET, colours[presented], 1.0f, 0);
            device->BeginScene();
            device->EndScene();
            device->Present(nullptr, nullptr, nullptr, nullptr);
            ++presented;
        }
    }

    static std::string TempFile(const char* name) {
        const std::string path = ::testing::TempDir() + "orv_dxut_" + name;
        std::remove(path.c_str());
        return path;
    }

    static std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

    HWND hwnd = nullptr;
};

const D3DCOLOR kRed = D3DCOLOR_XRGB(255, 0, 0);
const D3DCOLOR kGreen = D3DCOLOR_XRGB(0, 255, 0);

}  // namespace

TEST_F(DxutDevice, RejectsMissingWindowAndSettings) {
    EXPECT_EQ(DXUTSetWindow(nullptr, hwnd, hwnd), E_INVALIDARG);
    EXPECT_EQ(DXUTCreateDeviceFromSettings(nullptr), E_INVALIDARG);
    EXPECT_EQ(DXUTGetD3D9Device(), nullptr);
}

TEST_F(DxutDevice, QuitAfterFrameEndsTheLoopAndSavesThatFrame) {
    const std::string shot = TempFile("quit.png");
    DXUTParseCommandLine((L"-quitafterframe:3 -screenshot:" + Wide(shot)).c_str());
    ASSERT_TRUE(CreateDevice());
    bool quit = false;
    ::testing::internal::CaptureStdout();
    const int presented = RunFrames({kRed, kRed, kGreen, kRed, kRed, kRed}, &quit);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_TRUE(quit);
    EXPECT_EQ(presented, 3);
    EXPECT_EQ(out, "screenshot saved to " + shot + "\n");
    EXPECT_TRUE(IsRgbPng(shot, kWidth, kHeight));
}

TEST_F(DxutDevice, ScreenshotWithoutQuitKeepsTheLastFrameUntilRelease) {
    // A quit-after-1 run saves its one green frame; the free run ends on a
    // green frame after red ones: the two files must hold the same picture.
    const std::string reference = TempFile("reference.png");
    DXUTParseCommandLine((L"-quitafterframe:1 -screenshot:" + Wide(reference)).c_str());
    ASSERT_TRUE(CreateDevice());
    ::testing::internal::CaptureStdout();
    RunFrames({kGreen});
    ::testing::internal::GetCapturedStdout();
    DXUTShutdown();
    ASSERT_TRUE(IsRgbPng(reference, kWidth, kHeight));

    const std::string shot = TempFile("last.png");
    DXUTParseCommandLine((L"-screenshot:" + Wide(shot)).c_str());
    ASSERT_TRUE(CreateDevice());
    bool quit = false;
    EXPECT_EQ(RunFrames({kRed, kRed, kGreen}, &quit), 3);
    EXPECT_FALSE(quit);
    EXPECT_FALSE(Exists(shot));  // written when the device is released
    ::testing::internal::CaptureStdout();
    DXUTShutdown();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "screenshot saved to " + shot + "\n");
    EXPECT_TRUE(IsRgbPng(shot, kWidth, kHeight));
    EXPECT_EQ(ReadFile(shot), ReadFile(reference));
}

TEST_F(DxutDevice, WindowClosedBeforeTheDeviceIsReleased) {
    // The user closes the window: it is destroyed from the pump while the
    // device still renders to it; the release afterwards must stay safe.
    ASSERT_TRUE(CreateDevice());
    RunFrames({kRed});
    orv::win32::TestPushClose(hwnd);
    RunFrames({});
    EXPECT_FALSE(IsWindow(hwnd));
    DXUTShutdown();
    EXPECT_EQ(DXUTGetD3D9Device(), nullptr);
}
