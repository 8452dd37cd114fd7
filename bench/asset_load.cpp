// The start-up load of the generated asset pack (build/game/data2, read
// through the resource table's redirection and descrambled) by the resource
// manager's loader thread, on the real device (OpenGL, offscreen):
//   AssetLoad/all         every id of the resource table, as the root scene
//                         requests them;
//   AssetLoad/<kind>      only the ids of one kind of load task.
// Time per iteration: from the first RequestLoad until the pending count is 0
// (the loader thread is started and past its start-up pause before that).
// Counter: resources loaded. The start-up goal is below 0.5 s for "all".
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <typeinfo>
#include <vector>

#include "engine/assets/LoadTask.h"
#include "engine/assets/ResourceManager.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/assets/shaders/Shader_Sprite3D.h"
#include "engine/core/AreaPos.h"
#include "engine/core/Environment.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/MessageTable.h"
#include "game/app/LoadTaskFactory.h"
#include "game/app/LoadTasks.h"
#include "tests/platform/d3d9/test_device.h"

using namespace Quorvex;

namespace {

enum Kind { kAll, kMaterials, kMeshes, kSpriteMeshes, kGroundMeshes, kPlayerMeshes, kKindCount };
const char* const kKindNames[kKindCount] = {"all", "materials", "meshes", "sprite_meshes", "ground_meshes",
                                            "player_meshes"};

Kind KindOf(ILoadTask* task) {
    const std::type_info& type = typeid(*task);
    if (type == typeid(LoadTask_Material)) return kMaterials;
    if (type == typeid(LoadTask_MeshSpr3D)) return kSpriteMeshes;
    if (type == typeid(LoadTask_Ground2)) return kGroundMeshes;
    if (type == typeid(LoadTask_Velrin) || type == typeid(LoadTask_Toska)) return kPlayerMeshes;
    return kMeshes;
}

// The game folder holds the pack: the working directory when run from there,
// else build/game beside this program's folder.
bool EnterGameFolder() {
    if (std::filesystem::exists("data2") && std::filesystem::exists("data/fx/Mesh.cfx")) return true;
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return false;
    const auto game = self.parent_path().parent_path() / "game";
    if (!std::filesystem::exists(game / "data2")) return false;
    std::filesystem::current_path(game);
    return true;
}

void BM_AssetLoad(benchmark::State& state) {
    const Kind kind = static_cast<Kind>(state.range(0));
    state.SetLabel(kKindNames[kind]);
    if (!EnterGameFolder()) {
        state.SkipWithError("no asset pack: build the game folder first");
        return;
    }
    MessageTable::Build();
    SetupWorldExtents();
    auto& log = MessageLogManager::Instance();
    log.SetConsoleEcho(false);
    const std::string logFile = "/tmp/orv_bench_asset_load_" + std::to_string(::getpid()) + ".txt";
    log.Open(std::filesystem::path(logFile).wstring().c_str());

    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    if (FAILED(CreateTestDevice(640, 480, &d3d, &device))) {
        if (d3d) d3d->Release();
        state.SkipWithError("no device");
        return;
    }
    auto* shaders = new ShaderManager();
    shaders->AddRef();
    shaders->SetDevice(device);

    int loaded = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto* resources = new ResourceManager();
        resources->AddRef();
        if (resources->Initialize(device, shaders) != 0) {
            resources->Release();
            state.SkipWithError("the resource manager did not start");
            break;
        }
        if (!shaders->GetShader("Spr3DDefaultShader")) {
            auto* sprite = new Shader_Sprite3D(resources->GetRenderParameter(), shaders);
            sprite->AddRef();
            if (sprite->LoadShader() == 0) shaders->AddShader(sprite);
            sprite->Release();
        }
        auto* factory = new LoadTaskFactory();
        factory->AddRef();
        factory->RegisterAll(resources);
        resources->SetLoadTaskFactory(factory);
        int count = 0;
        const char* const* ids = LoadTaskFactory::GetTableIds(&count);
        std::vector<const char*> wanted;
        for (int i = 0; i < count; ++i) {
            ILoadTask* task = factory->GetTask(ids[i]);
            if (kind == kAll || KindOf(task) == kind) wanted.push_back(ids[i]);
            task->Release();
        }
        factory->Release();
        // Past the loader's start-up pause.
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        state.ResumeTiming();

        for (const char* id : wanted) resources->RequestLoad(id);
        while (resources->GetPendingCount() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));

        state.PauseTiming();
        loaded = static_cast<int>(wanted.size());
        resources->Release();
        state.ResumeTiming();
    }
    state.counters["resources"] = loaded;
    shaders->Release();
    device->Release();
    d3d->Release();
    log.Close();
    std::filesystem::remove(logFile);
    Environment* environment = g_pEnvironment;
    g_pEnvironment = nullptr;
    if (environment) environment->Release();
}

BENCHMARK(BM_AssetLoad)
    ->DenseRange(kAll, kPlayerMeshes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
