// Shared pieces of the resource tests: the environment, scratch folders,
// recording load tasks, small `.x` and image fixtures, and a device with a
// shader manager and a started resource manager.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "engine/assets/LoadTask.h"
#include "engine/assets/MaterialUnit.h"
#include "engine/assets/MeshUnit.h"
#include "engine/assets/ResourceManager.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/AreaPos.h"
#include "engine/core/Environment.h"
#include "engine/core/Utility.h"
#include "engine/render/RenderTestSupport.h"
#include "engine/scene/ProbeScene.h"
#include "platform/d3d9/device_fixture.h"
#include "platform/d3dxassets/assets_fixture.h"

namespace resources_test {

using render_test::Held;
using render_test::LogCapture;

using scene_test::EnvironmentScope;

// A fresh folder, removed at the end; optionally the working directory while
// it lives (relative asset paths are looked up from there).
class ScratchFolder {
public:
    explicit ScratchFolder(bool enter = false) {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("orv_resources_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
        if (enter) {
            home_ = std::filesystem::current_path();
            std::filesystem::current_path(path_);
        }
    }
    ~ScratchFolder() {
        if (!home_.empty()) std::filesystem::current_path(home_);
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::filesystem::path Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        const auto file = path_ / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                     static_cast<std::streamsize>(bytes.size()));
        return file;
    }
    std::filesystem::path Write(const std::string& name, const std::string& text) const {
        return Write(name, std::vector<uint8_t>(text.begin(), text.end()));
    }
    std::wstring Wide(const std::string& name) const { return (path_ / name).wstring(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::filesystem::path home_;
};

// The scrambled copy of a file's bytes.
inline std::vector<uint8_t> Scrambled(std::vector<uint8_t> bytes, DWORD key) {
    Quorvex::XorBuffer(static_cast<DWORD>(bytes.size()), key, bytes.data(), static_cast<DWORD>(bytes.size()));
    return bytes;
}

// A PNG of one colour (r, g, b, a).
inline std::vector<uint8_t> SolidPng(int w, int h, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
    std::vector<uint8_t> rgba;
    for (int i = 0; i < w * h; ++i) rgba.insert(rgba.end(), {r, g, b, a});
    return assets::MakePng(w, h, rgba);
}

// A load task that notes its name when it runs and may throw.
class RecordingTask : public Quorvex::LoadTaskAdapter {
public:
    enum Throw { Nothing, WideText, StdException, Other };

    RecordingTask(const char* name, int parameter, std::vector<std::string>* order, std::mutex* lock,
                  Throw what = Nothing)
        : m_order(order), m_lock(lock), m_throw(what) {
        SetName(name);
        SetParam(&parameter);
    }
    int Load() override {
        {
            std::lock_guard<std::mutex> guard(*m_lock);
            m_order->push_back(m_name);
        }
        switch (m_throw) {
        case WideText:
            throw L"wide failure";
        case StdException:
            throw std::runtime_error("std failure");
        case Other:
            throw 7;
        case Nothing:
            break;
        }
        return 0;
    }

private:
    std::vector<std::string>* m_order;
    std::mutex* m_lock;
    Throw m_throw;
};

// A factory of the tasks given to it, found by name.
class TaskFactory : public Quorvex::ILoadTaskFactory, public Quorvex::ReferCounter {
public:
    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    ~TaskFactory() override {
        for (Quorvex::ILoadTask* task : m_tasks) task->Release();
    }
    void Add(Quorvex::ILoadTask* task) {
        task->AddRef();
        m_tasks.push_back(task);
    }
    Quorvex::ILoadTask* GetTask(const char* id) override {
        for (Quorvex::ILoadTask* task : m_tasks)
            if (std::string(task->GetName()) == id) {
                task->AddRef();
                return task;
            }
        return nullptr;
    }

private:
    std::vector<Quorvex::ILoadTask*> m_tasks;
};

// Waits, without a time limit of its own, until the loader has finished
// every queued task (the test's own timeout ends a hang).
inline void WaitForLoader(Quorvex::IResourceManager* manager) {
    while (manager->GetPendingCount() > 0) Sleep(10);
}

// ---- `.x` fixtures -------------------------------------------------------------------

// A square of side 2 * half in the z = 0 plane, facing -z (towards a camera
// at the origin looking along +z), in a frame of the given name holding a
// mesh part of the same name with one material (diffuse white, emissive 0,
// power 0) and, when given, a texture file name.
inline std::string QuadX(const std::string& part, float half, const std::string& texture = "") {
    const std::string h = std::to_string(half);
    std::string x = "xof 0303txt 0032\n";
    x += "Frame " + part + " {\nFrameTransformMatrix { 1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0;; }\n";
    x += "Mesh " + part + " {\n4; -" + h + ";" + h + ";0.0;, " + h + ";" + h + ";0.0;, -" + h + ";-" + h + ";0.0;, " +
         h + ";-" + h + ";0.0;;\n";
    x += "2; 3;0,1,2;, 3;1,3,2;;\n";
    x += "MeshNormals { 1; 0.0;0.0;-1.0;; 2; 3;0,0,0;, 3;0,0,0;; }\n";
    x += "MeshTextureCoords { 4; 0.0;0.0;, 1.0;0.0;, 0.0;1.0;, 1.0;1.0;; }\n";
    x += "MeshMaterialList { 1; 2; 0,0;;\n";
    x += "Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;;";
    if (!texture.empty()) x += " TextureFilename { \"" + texture + "\"; }";
    x += " }\n}\n}\n}\n";
    return x;
}

// A square like QuadX (part "SkinQuad", in frame "Skin") whose four vertices
// all carry the given weights of the bones Bone0, Bone1, ... (bones of weight
// 0 are left out of the skin). Animation set "Move" slides bone b from the
// origin to (b x shift, 0, 0) over one second.
inline std::string SkinnedQuadX(const std::vector<float>& weights, float half, float shift) {
    const std::string identity = "1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0;;";
    const std::string h = std::to_string(half);
    std::string x = "xof 0303txt 0032\nFrame Root {\nFrameTransformMatrix { " + identity + " }\n";
    x += "Frame Skin {\nFrameTransformMatrix { " + identity + " }\n";
    x += "Mesh SkinQuad {\n4; -" + h + ";" + h + ";0.0;, " + h + ";" + h + ";0.0;, -" + h + ";-" + h + ";0.0;, " +
         h + ";-" + h + ";0.0;;\n2; 3;0,1,2;, 3;1,3,2;;\n";
    x += "MeshNormals { 1; 0.0;0.0;-1.0;; 2; 3;0,0,0;, 3;0,0,0;; }\n";
    x += "MeshTextureCoords { 4; 0.0;0.0;, 1.0;0.0;, 0.0;1.0;, 1.0;1.0;; }\n";
    x += "MeshMaterialList { 1; 2; 0,0;; Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; } }\n";
    int used = 0;
    for (float w : weights) used += w > 0.0f;
    x += "XSkinMeshHeader { 4; 4; " + std::to_string(used) + "; }\n";
    for (size_t b = 0; b < weights.size(); ++b) {
        if (weights[b] <= 0.0f) continue;
        const std::string w = std::to_string(weights[b]);
        x += "SkinWeights { \"Bone" + std::to_string(b) + "\"; 4; 0,1,2,3; " + w + "," + w + "," + w + "," + w + "; " +
             identity + " }\n";
    }
    x += "}\n}\n";  // SkinQuad, Skin
    for (size_t b = 0; b < weights.size(); ++b)
        x += "Frame Bone" + std::to_string(b) + " {\nFrameTransformMatrix { " + identity + " }\n}\n";
    x += "}\nAnimTicksPerSecond { 100; }\nAnimationSet Move {\n";
    for (size_t b = 1; b < weights.size(); ++b)
        x += "Animation { {Bone" + std::to_string(b) + "}\nAnimationKey { 2; 2; 0;3;0.0,0.0,0.0;;, 100;3;" +
             std::to_string(shift * float(b)) + ",0.0,0.0;;; }\n}\n";
    x += "}\n";
    return x;
}

// ---- A device with the shader manager and a started resource manager -------------------

class ResourceDeviceTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (HasFatalFailure()) return;
        shaders_ = new Quorvex::ShaderManager();
        shaders_->AddRef();
        shaders_->SetDevice(device_);
        resources_ = new Quorvex::ResourceManager();
        resources_->AddRef();
        // The mesh effect is read from ./data/fx of the game folder.
        ASSERT_EQ(resources_->Initialize(device_, shaders_), 0);
    }
    void TearDown() override {
        if (resources_) resources_->Release();
        if (shaders_) shaders_->Release();
        resources_ = nullptr;
        shaders_ = nullptr;
        DeviceTest::TearDown();
    }

    // A mesh loaded from `.x` text on this thread and registered under id.
    Quorvex::MeshUnit* LoadMesh(const char* id, const std::string& x) {
        auto* mesh = new Quorvex::MeshUnit(resources_, id);
        resources_->SetResource(id, mesh);
        EXPECT_EQ(mesh->LoadMeshFromMemory(x.data(), static_cast<DWORD>(x.size()), 0), 0) << id;
        return mesh;
    }

    // A managed texture of one colour (ARGB).
    IDirect3DTexture9* SolidTexture(D3DCOLOR color, UINT size = 4) {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(D3DXCreateTexture(device_, size, size, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < size; ++y)
            for (UINT x = 0; x < size; ++x)
                reinterpret_cast<D3DCOLOR*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch)[x] = color;
        texture->UnlockRect(0);
        return texture;
    }

    EnvironmentScope environment_;
    LogCapture log_;
    Quorvex::ShaderManager* shaders_ = nullptr;
    Quorvex::ResourceManager* resources_ = nullptr;
};

}  // namespace resources_test
