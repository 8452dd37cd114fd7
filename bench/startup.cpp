// Start-up of the real game against its floor, each run as a process of its
// own started from this one, in the same conditions and taking turns:
//   game   the game's entry point, offscreen, to its first frame and out
//          (what `orvalis -windowed -quitafterframe:1` does, with the
//          allocator settings its launcher gives it);
//   floor  a raw SDL + OpenGL program that opens the same offscreen context,
//          draws one frame and reads every file of data/ and data2/ once;
//   touch  a process that only fills, once, as much fresh memory as the
//          game's peak holds beyond the floor's: the least the game's own
//          memory costs to fill, whatever the code does.
// All run in a scratch folder that links the game folder's data, so the
// player's settings and log are never touched. Prints the median time from
// launch to exit of each, their ratio, the game's split (the time of each
// kind of loading work, summed over its threads), the peak resident memory of
// each and the sound data the game holds.
//   orv_bench_startup [runs]      (default 5)
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/WinMain.h"
#include "platform/win32/large_pages.h"
#include "platform/win32/phase_timer.h"

// After the engine's headers, whose Windows types name APIENTRY first.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL2/SDL.h>

namespace fs = std::filesystem;

namespace {

constexpr int kReportFd = 3;  // where a child writes its figures

const char* const kPhaseNames[] = {"files read",
                                   "descrambling",
                                   "image decode",
                                   "mesh import",
                                   "sound registration",
                                   "shader and effect compilation",
                                   "first frame",
                                   "waiting for the loader thread",
                                   "title set-up"};
// The phases before this one are loading work; from it on, main-thread spans.
constexpr size_t kFirstSpan = static_cast<size_t>(orv::Phase::LoaderWait);
static_assert(std::size(kPhaseNames) == static_cast<size_t>(orv::Phase::Count));

// Peak resident memory of this process in bytes.
double PeakResidentBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) * 1024.0;
    return 0;
}

void Report(const std::string& text) {
    const ssize_t ignored = ::write(kReportFd, text.data(), text.size());
    (void)ignored;
}

void ReportPeak() { Report("peak " + std::to_string(PeakResidentBytes()) + "\n"); }

// ---- the game -------------------------------------------------------------------------

int RunGame() {
    static HINSTANCE__ instance{};
    std::wstring commandLine = L"-windowed -quitafterframe:1";
    const int code = Quorvex::RunWinMain(CreateRootScene, &instance, nullptr, commandLine.data(), SW_SHOWNORMAL);
    for (int i = 0; i < static_cast<int>(orv::Phase::Count); ++i)
        Report("phase " + std::to_string(i) + " " +
               std::to_string(orv::PhaseNanoseconds(static_cast<orv::Phase>(i))) + "\n");
    ReportPeak();
    return code;
}

// ---- the floor ------------------------------------------------------------------------

// The back-buffer size the game reads from Param.txt (1280 x 720 without one).
void ClientSize(int& width, int& height) {
    width = 1280;
    height = 720;
    std::ifstream param("Param.txt");
    std::string line;
    while (std::getline(param, line)) {
        const auto at = line.find('=');
        if (at == std::string::npos || line.rfind("//", 0) == 0) continue;
        const int value = std::atoi(line.c_str() + at + 1);
        if (line.find("GameSetting::Client_Width") != std::string::npos && value > 0) width = value;
        if (line.find("GameSetting::Client_Height") != std::string::npos && value > 0) height = value;
    }
}

GLuint Compile(GLenum stage, const char* source) {
    const GLuint shader = glCreateShader(stage);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

// Every regular file under the folder, read once into one reused buffer.
void ReadEveryFile(const fs::path& folder, std::vector<char>& buffer) {
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, fs::directory_options::follow_directory_symlink, ec), end;
         !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        const int fd = ::open(it->path().c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        while (::read(fd, buffer.data(), buffer.size()) > 0) {
        }
        ::close(fd);
    }
}

int RunFloor() {
    int width = 0, height = 0;
    ClientSize(width, height);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_Window* window = SDL_CreateWindow("floor", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                                          SDL_WINDOW_OPENGL);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) return 1;

    // One frame: a clear and one triangle over the whole target.
    const GLuint vertex = Compile(GL_VERTEX_SHADER,
                                  "#version 330 core\n"
                                  "void main() { vec2 p = vec2(gl_VertexID & 1, gl_VertexID >> 1) * 4.0 - 1.0;"
                                  " gl_Position = vec4(p, 0.0, 1.0); }\n");
    const GLuint fragment = Compile(GL_FRAGMENT_SHADER,
                                    "#version 330 core\nout vec4 colour;\n"
                                    "void main() { colour = vec4(0.2, 0.4, 0.6, 1.0); }\n");
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    GLuint vertexArray = 0;
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glViewport(0, 0, width, height);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glUseProgram(program);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    SDL_GL_SwapWindow(window);
    glFinish();

    std::vector<char> buffer(1 << 20);
    ReadEveryFile("data", buffer);
    ReadEveryFile("data2", buffer);

    glDeleteProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    glDeleteVertexArrays(1, &vertexArray);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    ReportPeak();
    return 0;
}

// ---- fresh memory -----------------------------------------------------------------

// What the game's extra resident memory costs by itself: `bytes` of fresh
// memory on 2 MB pages, as the game asks for, touched once. Memory the game
// must hold (textures, targets, sound) costs at least this to fill.
int RunTouch(double bytes) {
    const size_t size = static_cast<size_t>(std::max(bytes, 0.0));
    if (size == 0) return 0;
    void* block = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) return 1;
    ::madvise(block, size, MADV_HUGEPAGE);
    std::memset(block, 1, size);
    ::munmap(block, size);
    return 0;
}

// ---- the parent -----------------------------------------------------------------------

struct Run {
    double milliseconds = 0;
    double peakBytes = 0;
    std::array<double, static_cast<size_t>(orv::Phase::Count)> phaseMilliseconds{};
    bool ok = false;
};

// Starts this program in `mode` inside `folder` and waits for it.
Run Launch(const char* mode, const fs::path& folder, const fs::path& log, const std::string& argument = "") {
    int pipeFds[2];
    Run run;
    if (::pipe(pipeFds) != 0) return run;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        ::dup2(pipeFds[1], kReportFd);
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (out >= 0) {
            ::dup2(out, 1);
            ::dup2(out, 2);
        }
        if (::chdir(folder.c_str()) != 0) ::_exit(127);
        // The game starts with the allocator settings its launcher gives it.
        if (std::strcmp(mode, "--game") == 0) orv::SetLargeHeapPagesForNextProgram();
        ::execl("/proc/self/exe", "orv_bench_startup", mode, argument.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    std::string text;
    char chunk[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], chunk, sizeof chunk)) > 0;) text.append(chunk, static_cast<size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) return run;
    run.milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    std::istringstream lines(text);
    std::string word;
    while (lines >> word) {
        if (word == "peak") {
            lines >> run.peakBytes;
        } else if (word == "phase") {
            size_t index = 0;
            double nanoseconds = 0;
            lines >> index >> nanoseconds;
            if (index < run.phaseMilliseconds.size()) run.phaseMilliseconds[index] = nanoseconds / 1e6;
        }
    }
    return run;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The game folder: build/game beside this program's folder.
fs::path GameFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : self.parent_path().parent_path() / "game";
}

uintmax_t FolderBytes(const fs::path& folder) {
    uintmax_t total = 0;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec)) total += it->file_size(ec);
    return total;
}

constexpr double kMiB = 1024.0 * 1024.0;

int RunParent(int runs) {
    const fs::path game = GameFolder();
    if (!fs::exists(game / "data2") || !fs::exists(game / "data")) {
        std::fprintf(stderr, "no game folder with data and data2 at %s: build the game first\n", game.c_str());
        return 1;
    }
    char scratchName[] = "/tmp/orv_bench_startup_XXXXXX";
    if (!::mkdtemp(scratchName)) return 1;
    const fs::path scratch = scratchName;
    fs::create_directory_symlink(game / "data", scratch / "data");
    fs::create_directory_symlink(game / "data2", scratch / "data2");
    if (fs::exists(game / "Param.txt")) fs::copy_file(game / "Param.txt", scratch / "Param.txt");
    const fs::path log = scratch / "output.txt";
    ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
    // OpenAL's silent output: the game registers and holds its sounds as on
    // a machine with a sound card, without playing them, even where there is none.
    ::setenv("ALSOFT_DRIVERS", "null", 0);

    // Untimed: fills the page cache and writes the default settings file.
    Launch("--floor", scratch, log);
    Launch("--game", scratch, log);

    std::vector<Run> games, floors;
    for (int i = 0; i < runs; ++i) {
        games.push_back(Launch("--game", scratch, log));
        floors.push_back(Launch("--floor", scratch, log));
    }
    auto column = [](const std::vector<Run>& list, auto pick) {
        std::vector<double> values;
        for (const Run& r : list) values.push_back(pick(r));
        return values;
    };
    const bool ok = std::all_of(games.begin(), games.end(), [](const Run& r) { return r.ok; }) &&
                    std::all_of(floors.begin(), floors.end(), [](const Run& r) { return r.ok; });
    const double gameMs = Median(column(games, [](const Run& r) { return r.milliseconds; }));
    const double floorMs = Median(column(floors, [](const Run& r) { return r.milliseconds; }));
    const double gamePeak = Median(column(games, [](const Run& r) { return r.peakBytes; }));
    const double floorPeak = Median(column(floors, [](const Run& r) { return r.peakBytes; }));
    const double sound = static_cast<double>(FolderBytes(game / "data2" / "sound") + FolderBytes(game / "data2" / "music"));

    std::printf("start-up, median of %d runs, from launch to the first frame and out%s\n", runs,
                ok ? "" : " (A RUN FAILED: see the output file)");
    std::printf("  game    %8.1f ms   peak resident %7.1f MB\n", gameMs, gamePeak / kMiB);
    std::printf("  floor   %8.1f ms   peak resident %7.1f MB\n", floorMs, floorPeak / kMiB);
    std::printf("  ratio   %8.2f x the floor (goal: 2 or less)\n", floorMs > 0 ? gameMs / floorMs : 0.0);
    std::printf("  peak resident = sound data %.1f MB + %.1f MB (goal: + 150 MB or less)\n", sound / kMiB,
                (gamePeak - sound) / kMiB);
    // The same runs' difference in peak resident memory, filled once.
    std::vector<Run> touches;
    for (int i = 0; i < runs; ++i)
        touches.push_back(Launch("--touch", scratch, log, std::to_string(gamePeak - floorPeak)));
    const double touchMs = Median(column(touches, [](const Run& r) { return r.milliseconds; }));
    std::printf("  filling the game's extra %.1f MB of fresh memory once: %.1f ms (a process of its own);\n"
                "  floor + that fill = %.1f ms = %.2f x the floor\n",
                (gamePeak - floorPeak) / kMiB, touchMs, floorMs + touchMs,
                floorMs > 0 ? (floorMs + touchMs) / floorMs : 0.0);
    std::printf("game split, median ms (loading work summed over the game's threads)\n");
    double split = 0;
    auto phase = [&](size_t p) { return Median(column(games, [p](const Run& r) { return r.phaseMilliseconds[p]; })); };
    for (size_t p = 0; p < kFirstSpan; ++p) {
        const double ms = phase(p);
        split += ms;
        std::printf("  %-30s %8.1f\n", kPhaseNames[p], ms);
    }
    std::printf("  %-30s %8.1f\n", "the rest (process, device, waits)", gameMs - split);
    // Everything the main thread does in order, without its wait for the
    // loader thread: what start-up would take if loading cost nothing.
    const double wait = phase(static_cast<size_t>(orv::Phase::LoaderWait));
    std::printf("main thread, median ms\n");
    for (size_t p = kFirstSpan; p < std::size(kPhaseNames); ++p)
        std::printf("  %-30s %8.1f\n", kPhaseNames[p], phase(p));
    std::printf("  start-up without the wait for the loader: %.1f ms = %.2f x the floor\n", gameMs - wait,
                floorMs > 0 ? (gameMs - wait) / floorMs : 0.0);
    std::printf("each run, ms (game / floor):");
    for (int i = 0; i < runs; ++i) std::printf(" %.0f/%.0f", games[i].milliseconds, floors[i].milliseconds);
    std::printf("\noutput of the runs: %s\n", log.c_str());
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--game") return RunGame();
    if (mode == "--floor") return RunFloor();
    if (mode == "--touch") return RunTouch(argc > 2 ? std::atof(argv[2]) : 0.0);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    return RunParent(runs);
}
