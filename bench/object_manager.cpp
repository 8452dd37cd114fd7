// 10,000 sprites of one material through the object manager and one render
// stage, per frame:
//   Frame/commands/J  update, then sort and command writing on J job records
//                     (a manager without a device: nothing is replayed);
//   Frame/null/J      the same plus the copy into the shared buffers and the
//                     replay, on a device that does nothing;
//   Frame/gl/J        the same on the real device (OpenGL, offscreen).
// Counters per frame: update_ms, render_ms (BeginStage), draws. The engine's
// own time is update_ms + render_ms of "null"; the time in the device's GL
// calls is render_ms of "gl" minus render_ms of "null".
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/assets/MaterialUnit.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderStage.h"
#include "bench/sprite_material.h"
#include "tests/engine/render/FakeDevice.h"
#include "tests/platform/d3d9/test_device.h"

using Quorvex::CalcVertexSet;
using Quorvex::ObjectManager;
using Quorvex::RenderObject;
using Quorvex::RenderStage;

namespace {

constexpr int kSprites = 10000;
enum DeviceKind { kNoDevice = 0, kNullDevice = 1, kGlDevice = 2 };

// A small billboard drifting on its own; positions stay inside clip space,
// which the 3D sprite effect shows as they are without a camera context.
class Spark : public RenderObject {
public:
    Spark(ObjectManager* manager, int i, Quorvex::MaterialUnit* material) : RenderObject(manager, CreateRegister) {
        const float fx = static_cast<float>(i % 100) / 50.0f - 1.0f;
        const float fy = static_cast<float>(i / 100) / 50.0f - 1.0f;
        sprite.material = material;
        sprite.position = D3DXVECTOR3(fx, fy, 0.5f);
        sprite.width = 0.02f;
        sprite.height = 0.02f;
        sprite.color = 0xC0FFFFFF;
        velocity = D3DXVECTOR3(0.01f * (i % 7 - 3), 0.01f * (i % 5 - 2), 0.0f);
        SetDrawPriority(static_cast<float>(i % 64));
    }
    void Update(float dt) override {
        sprite.position += velocity * dt;
        sprite.rotation.x += dt;
        if (sprite.position.x > 1.0f || sprite.position.x < -1.0f) velocity.x = -velocity.x;
        if (sprite.position.y > 1.0f || sprite.position.y < -1.0f) velocity.y = -velocity.y;
    }
    void Render(CalcVertexSet* list) override { Quorvex::PushBillboard(list, sprite); }

private:
    Quorvex::Sprite3DData sprite;
    D3DXVECTOR3 velocity;
};

struct Scene {
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    Quorvex::ShaderManager* shaders = nullptr;
    Quorvex::MaterialUnit* material = nullptr;
    ObjectManager* manager = nullptr;
    RenderStage* stage = nullptr;
    bool ok = false;

    Scene(DeviceKind kind, int jobs) {
        if (kind == kGlDevice) {
            if (FAILED(CreateTestDevice(640, 480, &d3d, &device))) return;
        } else if (kind == kNullDevice) {
            auto* fake = new render_test::FakeDevice();
            fake->keepDrawData = false;
            fake->AddRef();
            device = fake;
        }
        material = bench::MakeSpriteMaterial(kind == kGlDevice ? device : nullptr, "matSpark", 0xFFFFFFFF);
        if (device) {
            if (kind == kGlDevice) {
                shaders = new Quorvex::ShaderManager();
                shaders->AddRef();
                shaders->SetDevice(device);
            } else {
                shaders = render_test::NewFakeShaderManager(device);
            }
        }
        manager = new ObjectManager();
        manager->AddRef();
        ObjectManager::InitParam p = ObjectManager::DefaultParam(ObjectManager::InitParam(), jobs);
        p.device = device;
        p.shaderManager = shaders;
        if (manager->Initialize(p) != 0) return;
        stage = new RenderStage();
        stage->AddRef();
        stage->Initialize(manager, "Sprite3D", kSprites);
        manager->AddRenderStage(stage);
        for (int i = 0; i < kSprites; ++i) (new Spark(manager, i, material))->AttachStage(stage);
        ok = true;
    }
    ~Scene() {
        if (stage) stage->Release();
        if (manager) manager->Release();
        if (material) material->Release();
        if (shaders) shaders->Release();
        if (device) device->Release();
        if (d3d) d3d->Release();
    }
};

void Frame(benchmark::State& state) {
    const auto kind = static_cast<DeviceKind>(state.range(0));
    const int jobs = static_cast<int>(state.range(1));
    Scene scene(kind, jobs);
    if (!scene.ok) {
        state.SkipWithError("the scene could not be set up (device or effects missing)");
        return;
    }
    using Clock = std::chrono::steady_clock;
    double update = 0.0, render = 0.0, draws = 0.0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        scene.manager->Update(1.0f / 60.0f);
        const auto t1 = Clock::now();
        if (scene.device) scene.device->BeginScene();
        scene.manager->BeginStage(scene.stage);
        if (scene.device) scene.device->EndScene();
        const auto t2 = Clock::now();
        update += std::chrono::duration<double, std::milli>(t1 - t0).count();
        render += std::chrono::duration<double, std::milli>(t2 - t1).count();
        draws += scene.stage->GetStatistics().drawCalls.maximum;
    }
    state.counters["update_ms"] = benchmark::Counter(update, benchmark::Counter::kAvgIterations);
    state.counters["render_ms"] = benchmark::Counter(render, benchmark::Counter::kAvgIterations);
    state.counters["draws"] = benchmark::Counter(draws, benchmark::Counter::kAvgIterations);
}

}  // namespace

BENCHMARK(Frame)
    ->ArgNames({"device", "jobs"})
    ->ArgsProduct({{kNoDevice, kNullDevice, kGlDevice}, {1, 4}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);

int main(int argc, char** argv) {
    // Headless by default, and the effects are found from the game folder.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("MESA_GL_VERSION_OVERRIDE", "3.3", 0);
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!std::filesystem::exists("data/fx/Spr3D.cfx") && !ec) {
        const auto game = exe.parent_path().parent_path() / "game";
        if (std::filesystem::exists(game / "data/fx/Spr3D.cfx")) std::filesystem::current_path(game, ec);
    }
    // Traces go to the debugger output (standard error); keep the log quiet.
    Quorvex::MessageLogManager::Instance().SetConsoleEcho(false);
    std::printf("device 0: no device (sort + commands), 1: null device (+ buffers and replay), 2: OpenGL\n");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
