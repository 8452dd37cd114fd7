// A fresh game state for each test and a scratch folder for files.
#pragma once
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "game/flow/Environment2.h"

namespace flow_test {

// Points the global game state at a fresh record for the test's duration.
class FreshEnvironment {
public:
    FreshEnvironment() : saved_(g_pEnvironment2), env_(std::make_unique<Environment2>()) {
        g_pEnvironment2 = env_.get();
    }
    ~FreshEnvironment() { g_pEnvironment2 = saved_; }
    Environment2& operator*() const { return *env_; }
    Environment2* operator->() const { return env_.get(); }

private:
    Environment2* saved_;
    std::unique_ptr<Environment2> env_;
};

class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("orv_flow_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline std::string ReadAll(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace flow_test
