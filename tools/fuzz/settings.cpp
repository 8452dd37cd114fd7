// The player's "settings" file: as raw bytes (odd first byte) or as lines
// scrambled the way the game writes them.
#include <vector>

#include "fuzz_support.h"
#include "game/state/ParamManager2.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string path = fuzz::WriteScratch("settings", data + 1, size - 1);
    if (data[0] % 2 == 0) {
        std::vector<std::string> lines(1);
        for (size_t i = 1; i < size; ++i) {
            if (data[i] == '\n') lines.emplace_back();
            else lines.back() += char(data[i]);
        }
        try {
            ParamManager2::WriteLines(lines, path.c_str(), ParamManager2::kScrambleKey);
        } catch (const char*) {
            return 0;
        }
    }
    auto* settings = new ParamManager2();
    settings->Load(path.c_str());
    settings->Release();
    return 0;
}
