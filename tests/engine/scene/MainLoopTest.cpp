// The whole run (start-up, pump, shutdown) with a probe scene as the root and
// window events pushed the way a desktop sends them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "ProbeScene.h"
#include "engine/core/DeviceSetup.h"
#include "engine/core/WinMain.h"

using scene_test::ProbeScene;

namespace {

HINSTANCE__ g_instance{};
std::function<void(ProbeScene&)> g_setUpRoot;

Quorvex::SceneBase* MakeProbeRoot() {
    ProbeScene* root = new ProbeScene("probe");
    // The pump is what is tested here, not the object pipeline.
    root->SetCreation(Quorvex::SceneBase::CreateNone, Quorvex::SceneBase::CreateNone);
    if (g_setUpRoot) g_setUpRoot(*root);
    return root;
}

std::string ReadLog() {
    std::ifstream file("MsgLog.txt", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Each needle appears after the one before it.
::testing::AssertionResult InOrder(const std::string& log, const std::vector<std::string>& needles) {
    size_t at = 0;
    for (const std::string& needle : needles) {
        const size_t found = log.find(needle, at);
        if (found == std::string::npos)
            return ::testing::AssertionFailure() << "\"" << needle << "\" missing (in order) from:\n" << log;
        at = found + needle.size();
    }
    return ::testing::AssertionSuccess();
}

class MainLoop : public testing::Test {
protected:
    void SetUp() override {
        // A run ends by destroying its window, which leaves a quit request in
        // the queue of this process; a real process runs only once.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    void TearDown() override { g_setUpRoot = nullptr; }

    static int Run(std::function<void(ProbeScene&)> setUp,
                   const wchar_t* commandLine = L"-windowed -width:640 -height:360") {
        g_setUpRoot = std::move(setUp);
        std::wstring line = commandLine;
        return Quorvex::RunWinMain(&MakeProbeRoot, &g_instance, nullptr, line.data(), SW_SHOWNORMAL);
    }

    static HWND WindowOf(ProbeScene& scene) { return scene.GetWindowRecord()->window; }
};

TEST_F(MainLoop, EscapeEndsTheRunThroughTheOrderedShutdownWithZero) {
    int frames = 0;
    RECT client{};
    const int exitCode = Run([&](ProbeScene& root) {
        root.onInitialize = [&](ProbeScene& scene) {
            GetClientRect(WindowOf(scene), &client);
            return 0;
        };
        root.onUpdate = [&](ProbeScene& scene) {
            if (++frames == 3) orv::win32::TestPushKey(WindowOf(scene), VK_ESCAPE, true);
        };
    });
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(frames, 3) << "the key is the next thing the pump takes";
    EXPECT_EQ(client.right, 640) << "the size switches override the parameter file";
    EXPECT_EQ(client.bottom, 360);
    EXPECT_EQ(Quorvex::GetRootScene(), nullptr);
    EXPECT_EQ(Quorvex::g_pEnvironment, nullptr);
    EXPECT_TRUE(InOrder(ReadLog(), {"Main : Common初期化完了", "SceneBase::Initialize : SceneBase初期化開始",
                                    "SceneBase::Initialize : DXUT初期化完了", "DeviceSelect : DEFAULTD3DFMT_BACKBUFFER",
                                    "SceneBase::Initialize : SceneBase初期化完了", "SceneBase::Destroy() [probe:"}));
}

TEST_F(MainLoop, AChildThatTakesAMessageHidesItFromTheWindowProcedure) {
    int frames = 0;
    int swallowed = 0;
    const int exitCode = Run([&](ProbeScene& root) {
        root.onInitialize = [&](ProbeScene& scene) {
            ProbeScene* guard = new ProbeScene("guard");
            guard->onMessage = [&](UINT message, WPARAM wParam, LPARAM) {
                if (message != WM_KEYDOWN || wParam != VK_ESCAPE) return false;
                ++swallowed;
                return true;
            };
            scene.AddScene(guard);
            return 0;
        };
        root.onUpdate = [&](ProbeScene& scene) {
            ++frames;
            if (frames == 2) orv::win32::TestPushKey(WindowOf(scene), VK_ESCAPE, true);
            if (frames == 10) PostQuitMessage(7);
        };
    });
    EXPECT_EQ(swallowed, 1);
    EXPECT_EQ(frames, 10);
    EXPECT_EQ(exitCode, 7) << "the exit code is the wParam of WM_QUIT";
}

TEST_F(MainLoop, ResizingKeepsTheClientAspectRatioExceptWhenMaximised) {
    struct Case {
        const char* what;
        bool maximise;
        int width, height;                  // the size the user drags to
        int expectedWidth, expectedHeight;  // client size afterwards (ratio 360 / 640)
    };
    const Case cases[] = {
        {"right edge", false, 800, 360, 800, 450},
        {"bottom edge", false, 640, 500, 888, 500},
        {"both edges: the width wins", false, 900, 400, 900, 506},
        {"maximised", true, 1000, 700, 1000, 700},
    };
    for (const Case& c : cases) {
        SetUp();
        int frames = 0;
        RECT client{};
        Run([&](ProbeScene& root) {
            root.onUpdate = [&](ProbeScene& scene) {
                const HWND window = WindowOf(scene);
                ++frames;
                if (frames == 2) {
                    if (c.maximise) orv::win32::TestPushMaximize(window);
                    orv::win32::TestPushResize(window, c.width, c.height);
                }
                if (frames == 5) {
                    GetClientRect(window, &client);
                    PostQuitMessage(0);
                }
            };
        });
        EXPECT_EQ(client.right, c.expectedWidth) << c.what;
        EXPECT_EQ(client.bottom, c.expectedHeight) << c.what;
    }
}

TEST_F(MainLoop, AMinimisedWindowRunsNoFramesUntilRestored) {
    int frames = 0;
    int framesWhileMinimised = 0;
    int framesAfterRestore = 0;
    bool minimised = false;
    bool restored = false;
    std::thread restorer;
    const int exitCode = Run([&](ProbeScene& root) {
        root.onMessage = [&](UINT message, WPARAM wParam, LPARAM) {
            if (message == WM_SIZE && wParam == SIZE_MINIMIZED) minimised = true;
            if (message == WM_SIZE && wParam == SIZE_RESTORED && minimised) {
                minimised = false;
                restored = true;
            }
            return false;
        };
        root.onUpdate = [&](ProbeScene& scene) {
            ++frames;
            if (minimised) ++framesWhileMinimised;
            if (restored && ++framesAfterRestore == 3) PostQuitMessage(0);
            if (frames == 3) {
                const HWND window = WindowOf(scene);
                orv::win32::TestPushMinimize(window);
                // Restored from outside while the pump idles.
                restorer = std::thread([window] {
                    Sleep(100);
                    orv::win32::TestPushRestore(window);
                });
            }
        };
    });
    restorer.join();
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(restored);
    EXPECT_EQ(framesWhileMinimised, 0);
    EXPECT_EQ(framesAfterRestore, 3) << "frames resume after the restore";
}

TEST_F(MainLoop, AFailedStartUpIsLoggedAndEndsWithOneAfterAnOrderedShutdown) {
    struct Case {
        const char* what;
        bool withParameterFile;
        std::vector<std::string> log;  // in order
    };
    const Case cases[] = {
        {"no parameter file", false,
         {"Main : Common初期化完了", "SceneBase::Initialize : SceneBase初期化開始",
          "ParamManager::Initialize() : パラメータファイルがない", "Error : パラメータの読込に失敗",
          "SceneBase::Destroy() [probe:", "Main : ゲーム管理クラスの初期化に失敗", "SceneBase::Destroy() [probe:"}},
        {"the scene's own set-up fails", true,
         {"SceneBase::Initialize : SceneBase初期化開始", "SceneBase::Initialize : SceneBase初期化完了",
          "Main : ゲーム管理クラスの初期化に失敗", "SceneBase::Destroy() [probe:"}},
    };
    const std::filesystem::path home = std::filesystem::current_path();
    for (const Case& c : cases) {
        SetUp();
        const std::filesystem::path dir = std::filesystem::temp_directory_path() / "orv_scene_failed_start";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        if (c.withParameterFile) {
            std::ofstream(dir / "Param.txt") << "FramePerSecond_Max 60\n";
            // The managers that start before the scene's own set-up load their effect files.
            std::filesystem::create_directories(dir / "data");
            std::filesystem::copy(home / "data" / "fx", dir / "data" / "fx",
                                  std::filesystem::copy_options::recursive);
        }
        std::filesystem::current_path(dir);
        int frames = 0;
        const int exitCode = Run([&](ProbeScene& root) {
            root.onInitialize = [](ProbeScene&) { return -1; };
            root.onUpdate = [&](ProbeScene&) { ++frames; };
        });
        const std::string log = ReadLog();
        std::filesystem::current_path(home);
        EXPECT_EQ(exitCode, 1) << c.what;
        EXPECT_EQ(frames, 0) << c.what;
        EXPECT_TRUE(InOrder(log, c.log)) << c.what;
        EXPECT_EQ(Quorvex::g_pEnvironment, nullptr) << c.what;
        std::filesystem::remove_all(dir);
    }
}

TEST(WindowProcedure, ActivationFollowsTheWholeWParam) {
    scene_test::EnvironmentScope environment;
    struct Case {
        WPARAM wParam;
        bool before, after;
    };
    const Case cases[] = {
        {WA_INACTIVE, true, false},
        {WA_ACTIVE, false, true},
        {WA_CLICKACTIVE, false, true},
        {MAKELONG(WA_ACTIVE, 1), false, false},  // minimised: the flag stays
        {MAKELONG(WA_INACTIVE, 1), true, true},
    };
    for (const Case& c : cases) {
        Quorvex::g_pEnvironment->SetWindowActive(c.before);
        EXPECT_EQ(Quorvex::WndProc(nullptr, WM_ACTIVATE, c.wParam, 0), 0);
        EXPECT_EQ(Quorvex::g_pEnvironment->IsWindowActive(), c.after) << "wParam " << c.wParam;
    }
}

}  // namespace
