// Stage 1 as the player sees it, driven headless: the real program starts
// offscreen, asks for stage 1 at the title (as its menu would), lets the stage
// run a number of frames to settle and then times a fixed number of frames.
// Frame limiting is off, so every frame advances the game by the same step and
// two runs draw the same frames.
//
// Two configurations, each in its own process (Mesa reads its thread count at
// start):
//   1280 x 720   LP_NUM_THREADS=8, every core
//   640 x 360    LP_NUM_THREADS=2, cores 0 and 1
// For each, a timing pass prints the median and 90th-percentile frame and the
// processor time of the update, of the command writing, of the replay, of the
// rest of the render (clears, post passes, the copy to the back buffer) and of
// Present; then a profiling pass waits for the device before and after each
// render group, and after each post pass of "End", and prints each group's
// time with the passes of "End" beneath it (that wait serialises the
// rasterizer, so the whole-frame figures come from the timing pass only).
// Each timing pass also prints the peak resident memory when stage 1 was asked
// for and at the end of the run.
//
//   orv_bench_stage_frame [--frames N] [--warmup N] [--size 720|360]
//                         [--shot PREFIX]
// --shot writes the last timed frame of each size as PREFIX-WxH.ppm, to
// compare pictures between builds. The game folder is ../game next to the
// benchmark's folder, or ORV_GAME_DIR.
#include <fcntl.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "engine/core/Environment.h"
#include "engine/core/WinMain.h"
#include "engine/core/render/RenderGroup.h"
#include "engine/core/render/RenderProfile.h"
#include "game/app/GameManager.h"
#include "game/app/SceneFirst.h"
#include "game/play/SceneStage1.h"
#include "platform/d3d9/d3d9.h"
#include "platform/win32/large_pages.h"
#include "platform/win32/window.h"

using Clock = std::chrono::steady_clock;

namespace {

struct Options {
    int frames = 600;
    int warmup = 300;
    int width = 0;  // a child's size; 0 in the parent
    int height = 0;
    bool profile = false;
    std::string onlySize;
    std::string shot;
};
Options g_options;

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const size_t i = std::min(values.size() - 1, static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5));
    return values[i];
}

long PeakResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// Sums the pipeline's write and replay time; in the profiling pass also waits
// for the device around each group and sums each group's time.
class Profile : public Quorvex::RenderProfile {
public:
    void BeforeGroup(Quorvex::RenderGroup& group) override {
        if (!timeGroups) return;
        device = group.GetDevice();
        orv::d3d9::Finish(device);
        start = passStart = Clock::now();
    }
    void AfterPass(const char* name) override {
        if (!timeGroups || !counting || !device) return;
        orv::d3d9::Finish(device);
        const Clock::time_point now = Clock::now();
        auto it = std::find_if(passes.begin(), passes.end(), [&](const auto& p) { return p.first == name; });
        if (it == passes.end()) it = passes.insert(passes.end(), {name, 0.0});
        it->second += Seconds(passStart, now);
        passStart = now;
    }
    void AfterGroup(Quorvex::RenderGroup& group) override {
        if (!timeGroups || !counting) return;
        orv::d3d9::Finish(group.GetDevice());
        const std::string name = group.GetName().empty() ? "(standard)" : group.GetName();
        auto& entry = groups[name];
        if (entry.order < 0) entry.order = group.GetOrderKey();
        entry.seconds += Seconds(start, Clock::now());
    }

    struct Group {
        int order = -1;
        double seconds = 0.0;
    };
    bool timeGroups = false;
    bool counting = false;
    Clock::time_point start, passStart;
    IDirect3DDevice9* device = nullptr;
    std::map<std::string, Group> groups;
    std::vector<std::pair<std::string, double>> passes;  // post passes in draw order
};
Profile g_profile;

struct Sample {
    double frame, update, write, replay, render, present;
};

// What the run measured; outlives the scene tree.
struct Results {
    std::vector<Sample> samples;
    long titlePeakKb = -1;
    long endPeakKb = -1;
    bool finished = false;
};
Results g_results;

class DrivingRoot : public SceneFirst {
public:
    int Frame() override {
        const Clock::time_point start = Clock::now();
        m_updateSeconds = m_renderSeconds = 0.0;
        const double write = g_profile.writeSeconds;
        const double replay = g_profile.replaySeconds;
        const int result = SceneFirst::Frame();
        if (m_timing) {
            const double frame = Seconds(start, Clock::now());
            const double w = g_profile.writeSeconds - write;
            const double r = g_profile.replaySeconds - replay;
            g_results.samples.push_back(
                {frame, m_updateSeconds, w, r, m_renderSeconds - w - r, frame - m_updateSeconds - m_renderSeconds});
        }
        return result;
    }

    DWORD Update(float timeStep) override {
        const Clock::time_point start = Clock::now();
        const DWORD result = SceneFirst::Update(timeStep);
        m_updateSeconds = Seconds(start, Clock::now());
        return result;
    }

    void Render() override {
        const Clock::time_point start = Clock::now();
        SceneFirst::Render();
        if (g_profile.timeGroups) orv::d3d9::Finish(GetDevice());
        m_renderSeconds = Seconds(start, Clock::now());
        if (m_shotNext) TakeShot();
    }

    void OnUpdate(float timeStep) override {
        SceneFirst::OnUpdate(timeStep);
        if (Quorvex::g_pEnvironment) Quorvex::g_pEnvironment->SetFrameLimit(false);
        ++m_wait;
        if (++m_frames > g_options.warmup + g_options.frames + 5000) Finish(false);
        switch (m_phase) {
            case 0:  // the title is up: start stage 1 as its menu would
                if (GameManager::FindScene(this, "title") && m_wait > 5) {
                    g_results.titlePeakKb = PeakResidentKb();
                    GetGameManager()->RequestStage1();
                    Next(1);
                }
                break;
            case 1:  // the stage settles
                if (!dynamic_cast<SceneStage1*>(GameManager::FindScene(this, "action"))) {
                    m_wait = 0;
                    break;
                }
                if (m_wait >= g_options.warmup) {
                    m_timing = true;
                    g_profile.counting = true;
                    Next(2);
                }
                break;
            case 2:  // timed frames; the next one, untimed, may be saved
                if (m_wait >= g_options.frames) {
                    m_timing = false;
                    g_profile.counting = false;
                    m_shotNext = !g_options.shot.empty();
                    g_results.endPeakKb = PeakResidentKb();
                    Finish(true);
                }
                break;
        }
    }

private:
    void Next(int phase) {
        m_phase = phase;
        m_wait = 0;
    }
    void Finish(bool finished) {
        g_results.finished = finished;
        m_phase = 3;
        PostQuitMessage(0);
    }
    void TakeShot() {
        m_shotNext = false;
        std::vector<uint8_t> rgba;
        int w = 0, h = 0;
        if (!orv::d3d9::ReadBackBuffer(GetDevice(), rgba, w, h)) return;
        const std::string path = g_options.shot + "-" + std::to_string(w) + "x" + std::to_string(h) + ".ppm";
        std::ofstream out(path, std::ios::binary);
        out << "P6\n" << w << " " << h << "\n255\n";
        for (size_t i = 0; i < rgba.size(); i += 4) out.write(reinterpret_cast<const char*>(&rgba[i]), 3);
    }

    int m_phase = 0;
    int m_wait = 0;
    int m_frames = 0;
    bool m_timing = false;
    bool m_shotNext = false;
    double m_updateSeconds = 0.0;
    double m_renderSeconds = 0.0;
};

Quorvex::SceneBase* MakeRoot() { return new DrivingRoot(); }

// Stage 1 in this process at the child's size; prints its figures.
int RunChild() {
    g_profile.timeGroups = g_options.profile;
    Quorvex::SetRenderProfile(&g_profile);
    static HINSTANCE__ instance{};
    std::wstring commandLine =
        L"-windowed -width:" + std::to_wstring(g_options.width) + L" -height:" + std::to_wstring(g_options.height);
    // The game's own log lines would bury the figures.
    std::fflush(stdout);
    std::fflush(stderr);
    const int console = dup(STDOUT_FILENO);
    const int errors = dup(STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
    }
    const int exitCode = Quorvex::RunWinMain(&MakeRoot, &instance, nullptr, commandLine.data(), SW_SHOWNORMAL);
    std::fflush(stdout);
    std::fflush(stderr);
    if (console >= 0) dup2(console, STDOUT_FILENO);
    if (errors >= 0) dup2(errors, STDERR_FILENO);
    Quorvex::SetRenderProfile(nullptr);
    const Results* root = &g_results;
    if (exitCode != 0 || !root->finished || root->samples.empty()) {
        std::printf("  stage 1 did not run to the end of the timed frames (exit code %d)\n", exitCode);
        return 1;
    }
    const int n = static_cast<int>(root->samples.size());
    const double ms = 1000.0;
    if (!g_options.profile) {
        auto column = [&](double Sample::*field) {
            std::vector<double> values;
            for (const Sample& s : root->samples) values.push_back(s.*field * ms);
            return values;
        };
        const std::vector<double> frames = column(&Sample::frame);
        std::printf("  frame          median %7.2f ms   90th percentile %7.2f ms   (%d frames)\n",
                    Percentile(frames, 0.5), Percentile(frames, 0.9), n);
        const struct {
            const char* name;
            double Sample::*field;
        } parts[] = {
            {"update", &Sample::update},
            {"command writing", &Sample::write},
            {"replay", &Sample::replay},
            {"rest of render", &Sample::render},
            {"present", &Sample::present},
        };
        for (const auto& part : parts) {
            const std::vector<double> values = column(part.field);
            std::printf("  %-15s median %7.2f ms   90th percentile %7.2f ms\n", part.name, Percentile(values, 0.5),
                        Percentile(values, 0.9));
        }
        std::printf("  peak resident  %ld MB when stage 1 was asked for, %ld MB after the run (+%ld MB)\n",
                    root->titlePeakKb / 1024, root->endPeakKb / 1024,
                    (root->endPeakKb - root->titlePeakKb) / 1024);
    } else {
        std::vector<std::pair<std::string, Profile::Group>> groups(g_profile.groups.begin(), g_profile.groups.end());
        std::stable_sort(groups.begin(), groups.end(),
                         [](const auto& a, const auto& b) { return a.second.order < b.second.order; });
        double total = 0.0;
        for (const Sample& s : root->samples) total += s.frame;
        std::printf("  profiling pass (device waits around each group), mean per frame, frame %.2f ms:\n",
                    total * ms / n);
        double groupSum = 0.0;
        for (const auto& [name, group] : groups) {
            std::printf("    %-14s key %5d  %7.2f ms\n", name.c_str(), group.order, group.seconds * ms / n);
            if (name == "End")
                for (const auto& [pass, seconds] : g_profile.passes)
                    std::printf("      %-20s %7.2f ms\n", pass.c_str(), seconds * ms / n);
            groupSum += group.seconds;
        }
        double update = 0.0, render = 0.0;
        for (const Sample& s : root->samples) {
            update += s.update;
            render += s.write + s.replay + s.render;
        }
        std::printf("    %-24s %7.2f ms\n", "update", update * ms / n);
        std::printf("    %-24s %7.2f ms\n", "render outside groups", (render - groupSum) * ms / n);
        std::printf("    %-24s %7.2f ms\n", "present", (total - update - render) * ms / n);
    }
    return 0;
}

struct Config {
    int width, height, threads;
    bool twoCores;
    const char* name;
};

// Runs one pass of one configuration in a fresh process.
int Spawn(const char* self, const Config& config, bool profile) {
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid < 0) return 1;
    if (pid == 0) {
        if (config.twoCores) {
            cpu_set_t set;
            CPU_ZERO(&set);
            CPU_SET(0, &set);
            CPU_SET(1, &set);
            sched_setaffinity(0, sizeof(set), &set);
        }
        setenv("LP_NUM_THREADS", std::to_string(config.threads).c_str(), 1);
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        // The allocator settings the game's launcher gives it.
        orv::SetLargeHeapPagesForNextProgram();
        std::vector<std::string> args = {self,
                                         "--child",
                                         std::to_string(config.width),
                                         std::to_string(config.height),
                                         profile ? "1" : "0",
                                         "--frames",
                                         std::to_string(g_options.frames),
                                         "--warmup",
                                         std::to_string(g_options.warmup)};
        if (!g_options.shot.empty() && !profile) {
            args.push_back("--shot");
            args.push_back(g_options.shot);
        }
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(self, argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

std::filesystem::path GameDir() {
    if (const char* dir = std::getenv("ORV_GAME_DIR")) return dir;
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "game";
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
        if (a == "--frames") g_options.frames = std::max(1, std::atoi(next().c_str()));
        else if (a == "--warmup") g_options.warmup = std::max(1, std::atoi(next().c_str()));
        else if (a == "--size") g_options.onlySize = next();
        else if (a == "--shot") g_options.shot = std::filesystem::absolute(next()).string();
        else if (a == "--child" && i + 3 < argc) {
            g_options.width = std::atoi(argv[++i]);
            g_options.height = std::atoi(argv[++i]);
            g_options.profile = std::atoi(argv[++i]) != 0;
        } else {
            std::fprintf(stderr, "usage: %s [--frames N] [--warmup N] [--size 720|360] [--shot PREFIX]\n", argv[0]);
            return 2;
        }
    }
    std::error_code error;
    std::filesystem::current_path(GameDir(), error);
    if (error) {
        std::fprintf(stderr, "the game folder %s cannot be entered: %s\n", GameDir().c_str(), error.message().c_str());
        return 1;
    }
    if (g_options.width > 0) return RunChild();

    const Config configs[] = {
        {1280, 720, 8, false, "1280 x 720, 8 render threads"},
        {640, 360, 2, true, "640 x 360, 2 cores (cores 0-1, LP_NUM_THREADS=2)"},
    };
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    int failures = 0;
    for (const Config& config : configs) {
        if (!g_options.onlySize.empty() && g_options.onlySize != std::to_string(config.height)) continue;
        std::printf("stage 1 at %s: %d frames timed after %d frames of play\n", config.name, g_options.frames,
                    g_options.warmup);
        failures += Spawn(self.c_str(), config, false) != 0;
        failures += Spawn(self.c_str(), config, true) != 0;
    }
    return failures ? 1 : 0;
}
