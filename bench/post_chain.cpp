// The post-processing chain ("Begin" ... "End": bloom and the radial blur)
// per frame, at 1280 x 720 and 640 x 480, on the real device (llvmpipe with
// LP_NUM_THREADS=2 unless the environment says otherwise). A frame is what
// the root scene does: the groups draw into a full-size target, which is
// copied to the back buffer and presented. Its content stands in for a
// stage: 3,000 alpha-blended 24-pixel sprites in a 3D sprite group.
//   Frame/W/H/0   the frame without the chain (sprites straight into the target)
//   Frame/W/H/1   the frame with the chain around the sprites
//   Frame/W/H/2   the chain alone (Begin and End, nothing between)
// At the end a summary gives the chain's cost per frame (mode 1 - mode 0) and
// its share of the frame with it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <tuple>

#include "bench/sprite_material.h"
#include "engine/assets/MaterialUnit.h"
#include "engine/assets/RenderGroup_Begin.h"
#include "engine/assets/RenderGroups.h"
#include "engine/assets/shaders/RenderTargetSet.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/assets/shaders/Shader_CopyTexture.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/MessageTable.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/ObjectManager.h"
#include "tests/platform/d3d9/test_device.h"

using Quorvex::ObjectManager;

namespace {

constexpr int kSprites = 3000;
enum Mode { kWithout = 0, kWith = 1, kChainAlone = 2 };

// Milliseconds per frame of each run, for the summary.
std::map<std::tuple<int, int, int>, double> g_results;

// A 24-pixel sprite drifting over the screen.
class Sprite : public Quorvex::RenderObject {
public:
    Sprite(ObjectManager* manager, int i, Quorvex::MaterialUnit* material, float size)
        : RenderObject(manager, CreateRegister) {
        sprite.material = material;
        sprite.position = D3DXVECTOR3(static_cast<float>(i % 60) / 30.0f - 1.0f,
                                      static_cast<float>(i / 60) / 25.0f - 1.0f, 0.5f);
        sprite.width = sprite.height = size;
        sprite.color = 0xC0FFFFFF;
        velocity = D3DXVECTOR3(0.01f * (i % 7 - 3), 0.01f * (i % 5 - 2), 0.0f);
        SetDrawPriority(static_cast<float>(i % 64));
    }
    void Update(float dt) override {
        sprite.position += velocity * dt;
        if (sprite.position.x > 1.0f || sprite.position.x < -1.0f) velocity.x = -velocity.x;
        if (sprite.position.y > 1.0f || sprite.position.y < -1.0f) velocity.y = -velocity.y;
    }
    void Render(Quorvex::CalcVertexSet* list) override {
        Quorvex::PushRenderStatePreset(list, 2);
        Quorvex::PushBillboard(list, sprite);
    }

private:
    Quorvex::Sprite3DData sprite;
    D3DXVECTOR3 velocity;
};

template <class T>
bool Register(T* group, ObjectManager* manager, const char* name, int capacity) {
    group->AddRef();
    const bool ok = group->Initialize(manager, name, capacity, 0) >= 0;
    group->Release();
    return ok;
}

struct Frame {
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    Quorvex::ShaderManager* shaders = nullptr;
    Quorvex::MaterialUnit* material = nullptr;
    ObjectManager* manager = nullptr;
    Quorvex::RenderTargetSet target;
    IDirect3DSurface9* backBuffer = nullptr;
    bool ok = false;

    Frame(UINT width, UINT height, Mode mode) {
        if (FAILED(CreateTestDevice(width, height, &d3d, &device))) return;
        shaders = new Quorvex::ShaderManager();
        shaders->AddRef();
        shaders->SetDevice(device);
        shaders->LoadShader_CopyTexture();
        if (FAILED(target.Create(width, height, device))) return;
        device->GetRenderTarget(0, &backBuffer);

        material = bench::MakeSpriteMaterial(device, "matSprite", 0xC0FFFFFF);

        manager = new ObjectManager();
        manager->AddRef();
        ObjectManager::InitParam p = ObjectManager::DefaultParam(ObjectManager::InitParam(), 1);
        p.device = device;
        p.shaderManager = shaders;
        if (manager->Initialize(p) != 0) return;
        if (mode != kWithout) {
            auto* begin = new Quorvex::RenderGroup_Begin();
            begin->AddRef();
            const bool bracket = Register(begin, manager, "Begin", 100) &&
                                 Register(new Quorvex::RenderGroup_End(begin), manager, "End", 0);
            begin->Release();
            if (!bracket) return;
        }
        if (mode != kChainAlone) {
            auto* sprites = new Quorvex::RenderGroupSprite3D(5000);
            if (!Register(sprites, manager, "Sprite3D", kSprites)) return;
            const float size = 24.0f * 2.0f / static_cast<float>(height);  // clip-space units
            for (int i = 0; i < kSprites; ++i) (new Sprite(manager, i, material, size))->AttachStage(sprites);
        }
        ok = true;
    }
    ~Frame() {
        if (manager) {
            manager->Shutdown();
            manager->Release();
        }
        SAFE_RELEASE(backBuffer);
        target.Clear();
        if (material) material->Release();
        if (shaders) shaders->Release();
        if (device) device->Release();
        if (d3d) d3d->Release();
    }

    // One frame as the root scene draws it.
    void Run() {
        device->BeginScene();
        manager->Update(1.0f / 60.0f);
        device->SetRenderTarget(0, target.GetSurface());
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        manager->Render();
        device->SetRenderTarget(0, backBuffer);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        if (auto* copy = dynamic_cast<Quorvex::Shader_CopyTexture*>(shaders->GetShader("CopyTexture"))) {
            for (float& c : copy->m_fillColor) c = 1.0f;
            copy->SetTexture(target.GetTexture());
            copy->Apply(nullptr, -1, -1);
        }
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
};

void FrameBench(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const auto mode = static_cast<Mode>(state.range(2));
    Frame frame(width, height, mode);
    if (!frame.ok) {
        state.SkipWithError("the frame could not be set up (device or effects missing)");
        return;
    }
    frame.Run();  // first use compiles and uploads
    using Clock = std::chrono::steady_clock;
    double total = 0.0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        frame.Run();
        total += std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    }
    const double perFrame = state.iterations() ? total / static_cast<double>(state.iterations()) : 0.0;
    state.counters["frame_ms"] = perFrame;
    g_results[{width, height, mode}] = perFrame;
}

}  // namespace

BENCHMARK(FrameBench)
    ->Name("Frame")
    ->ArgNames({"w", "h", "mode"})
    ->Args({1280, 720, kWithout})
    ->Args({1280, 720, kWith})
    ->Args({1280, 720, kChainAlone})
    ->Args({640, 480, kWithout})
    ->Args({640, 480, kWith})
    ->Args({640, 480, kChainAlone})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

int main(int argc, char** argv) {
    // Headless, on two rendering threads by default; the effects are found
    // from the game folder.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("MESA_GL_VERSION_OVERRIDE", "3.3", 0);
    setenv("LP_NUM_THREADS", "2", 0);
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!std::filesystem::exists("data/fx/Bloom.cfx") && !ec) {
        const auto game = exe.parent_path().parent_path() / "game";
        if (std::filesystem::exists(game / "data/fx/Bloom.cfx")) std::filesystem::current_path(game, ec);
    }
    Quorvex::MessageTable::Build();
    Quorvex::MessageLogManager::Instance().SetConsoleEcho(false);
    std::printf("mode 0: frame without the chain, 1: with it, 2: the chain alone; LP_NUM_THREADS=%s\n",
                std::getenv("LP_NUM_THREADS"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    for (auto [w, h] : {std::pair{1280, 720}, std::pair{640, 480}}) {
        const auto without = g_results.find({w, h, kWithout}), with = g_results.find({w, h, kWith});
        const auto alone = g_results.find({w, h, kChainAlone});
        if (without == g_results.end() || with == g_results.end()) continue;
        const double chain = with->second - without->second;
        std::printf("%dx%d: frame %.2f ms with the chain, %.2f ms without; the chain %.2f ms per frame "
                    "(%.0f %% of the frame)",
                    w, h, with->second, without->second, chain, with->second > 0 ? 100.0 * chain / with->second : 0.0);
        if (alone != g_results.end()) std::printf("; the chain alone %.2f ms", alone->second);
        std::printf("\n");
    }
    return 0;
}
