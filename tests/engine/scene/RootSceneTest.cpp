// The game's root scene brought up by the real entry point.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/core/DeviceSetup.h"
#include "engine/core/Environment.h"
#include "engine/core/WinMain.h"
#include "game/app/SceneFirst.h"

namespace {

HINSTANCE__ g_instance{};

// What the root scene looked like in its second frame.
struct Seen {
    std::string name;
    std::wstring title;
    int jobCount = -1;
    DWORD viewportWidth = 0;
    D3DXVECTOR3 cellSize{0, 0, 0};
    D3DXVECTOR3 outerSize{0, 0, 0};
    bool hasAreaManager = true;
};
Seen g_seen;

class WatchedSceneFirst : public SceneFirst {
public:
    void OnUpdate(float timeStep) override {
        SceneFirst::OnUpdate(timeStep);
        if (++m_frames != 2) return;
        wchar_t title[64] = {};
        GetWindowTextW(GetWindowRecord()->window, title, 64);
        g_seen.name = GetName();
        g_seen.title = title;
        g_seen.jobCount = GetObjectManager() ? GetObjectManager()->GetJobCount() : -1;
        g_seen.viewportWidth = GetObjectManager() ? GetObjectManager()->GetViewport().Width : 0;
        g_seen.cellSize = *Quorvex::g_pEnvironment->GetCellSize();
        g_seen.outerSize = *Quorvex::g_pEnvironment->GetOuterSize();
        g_seen.hasAreaManager = GetAreaManager() != nullptr;
        PostQuitMessage(0);
    }

private:
    int m_frames = 0;
};

TEST(RootScene, StartsWithTheProductTitleOneJobRecordAndTheGameGrid) {
    // A parameter file that asks for four job records: the root scene keeps one.
    const std::filesystem::path home = std::filesystem::current_path();
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "orv_scene_root";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::filesystem::create_directory_symlink(home / "data", dir / "data");
    std::ofstream(dir / "Param.txt") << "FramePerSecond_Max 60\nFramePerSecond_Min 30\nJobThreadCnt 4\n";
    std::filesystem::current_path(dir);

    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    std::wstring commandLine = L"-windowed -width:480 -height:270";
    const int exitCode = Quorvex::RunWinMain([]() -> Quorvex::SceneBase* { return new WatchedSceneFirst(); },
                                             &g_instance, nullptr, commandLine.data(), SW_SHOWNORMAL);
    std::filesystem::current_path(home);
    std::filesystem::remove_all(dir);

    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(g_seen.name, "first");
    // Once a second of frames has passed the title carries the frame rate
    // too; on a slow machine that happens before the second frame.
    const std::wstring product = L"ORVALIS v1.03";
    EXPECT_EQ(g_seen.title.substr(0, product.size()), product);
    const std::wstring rest = g_seen.title.substr(std::min(product.size(), g_seen.title.size()));
    EXPECT_TRUE(rest.empty() || rest.starts_with(L" [ FPS : ")) << "title: " << std::string(rest.begin(), rest.end());
    EXPECT_EQ(g_seen.jobCount, 1);
    EXPECT_EQ(g_seen.viewportWidth, 480u) << "the object manager projects with the device's viewport";
    EXPECT_FALSE(g_seen.hasAreaManager);
    EXPECT_EQ(g_seen.cellSize, D3DXVECTOR3(1000, 10000, 1000));
    EXPECT_EQ(g_seen.outerSize, D3DXVECTOR3(1500, 15000, 1500));
}

}  // namespace
