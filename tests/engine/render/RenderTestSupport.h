// Shared pieces of the render-pipeline tests: counted holders, managers
// without a device, probe objects and a capture of the process log.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/core/MessageLogManager.h"
#include "engine/core/MessageTable.h"
#include "engine/core/render/ObjectManager.h"

namespace render_test {

// Holds one counted reference and drops it at the end of the scope.
template <class T>
class Held {
public:
    explicit Held(T* object = nullptr) : object_(object) {
        if (object_) object_->AddRef();
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held() { reset(); }
    void reset() {
        if (object_) object_->Release();
        object_ = nullptr;
    }
    T* get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }

private:
    T* object_;
};

// A manager without a device: it updates objects and lets stages write
// commands.
inline Quorvex::ObjectManager::InitParam DeviceFreeParam(int jobs, int groups = 16) {
    Quorvex::ObjectManager::InitParam p;
    p.groupCount = groups;
    p.jobCount = jobs;
    p.vertexBytes = 24 * 8192;
    p.indexBytes = 2 * 12288;
    p.commandCapacity = 8192;
    return p;
}

inline Held<Quorvex::ObjectManager> NewManager(int jobs, int groups = 16) {
    auto* manager = new Quorvex::ObjectManager();
    EXPECT_EQ(manager->Initialize(DeviceFreeParam(jobs, groups)), 0);
    return Held<Quorvex::ObjectManager>(manager);
}

// A manager drawing on the device with the shader manager's effects; the
// caller holds one reference.
inline Quorvex::ObjectManager* NewManagerOn(IDirect3DDevice9* device, Quorvex::ShaderManager* shaders, int jobs) {
    auto* manager = new Quorvex::ObjectManager();
    manager->AddRef();
    Quorvex::ObjectManager::InitParam p = DeviceFreeParam(jobs);
    p.device = device;
    p.shaderManager = shaders;
    EXPECT_EQ(manager->Initialize(p), 0);
    return manager;
}

// Sends the process log into a scratch file for the lifetime of the capture.
class LogCapture {
public:
    LogCapture() {
        static std::atomic<int> counter{0};
        file_ = std::filesystem::temp_directory_path() /
                ("orv_render_log_" + std::to_string(::getpid()) + "_" + std::to_string(counter++) + ".txt");
        Quorvex::MessageTable::Build();
        auto& log = Quorvex::MessageLogManager::Instance();
        log.SetConsoleEcho(false);
        log.Open(file_.wstring().c_str());
    }
    ~LogCapture() {
        Quorvex::MessageLogManager::Instance().Close();
        std::error_code ec;
        std::filesystem::remove(file_, ec);
    }
    // Everything logged so far (UTF-8).
    std::string Text() {
        auto& log = Quorvex::MessageLogManager::Instance();
        log.Close();
        std::ifstream in(file_, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // Opening truncates: keep what was read and go on logging.
        reopened_ += text;
        log.Open(file_.wstring().c_str());
        return reopened_;
    }

private:
    std::filesystem::path file_;
    std::string reopened_;
};

}  // namespace render_test
