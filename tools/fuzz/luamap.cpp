// Lua enemy maps: load, Initialize and a few updates, with no generator.
#include "fuzz_support.h"
#include "game/enemy/EnemyScript.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::WriteScratch("map", data, size);
    try {
        EnemyScript script(path.c_str(), nullptr);
        for (int i = 0; i < 3 && !script.IsEnded(); ++i) script.Update(1.0f / 30.0f);
    } catch (const wchar_t*) {
    }
    return 0;
}
