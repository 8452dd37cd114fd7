// A fresh game state for each test and a scratch folder for files.
#pragma once
#include <fstream>
#include <memory>
#include <string>

#include "engine/core/TestFiles.h"
#include "game/state/Environment2.h"

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

// The core tests' scratch folder, naming files as plain strings.
class TempDir : public core_test::TempDir {
public:
    std::string File(const std::string& name) const { return (path() / name).string(); }
};

using core_test::ReadAll;

inline void WriteAll(const std::string& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace flow_test
