// Scrambled asset files ("data2/*.code"): read and descrambled with the asset
// key, then handed to the reader their content names.
#include <cstring>
#include <vector>

#include "engine/assets/devices/SoundManager.h"
#include "engine/core/Utility.h"
#include "fuzz_support.h"
#include "game/app/LoadTaskFactory.h"
#include "xfile_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::WriteScratch("code", data, size);
    std::vector<BYTE> bytes;
    DWORD length = 0;
    if (Quorvex::ReadWholeFile(fuzz::Wide(path).c_str(), bytes, &length) < 0) return 0;
    Quorvex::XorBuffer(length, LoadTaskFactory::AssetKey, bytes.data(), length);
    if (length >= 4 && std::memcmp(bytes.data(), "xof ", 4) == 0) {
        fuzz::ScanAndImport(bytes.data(), length);
    } else if (length >= 4 && std::memcmp(bytes.data(), "RIFF", 4) == 0) {
        Quorvex::WaveData wave;
        wave.image.assign(bytes.begin(), bytes.begin() + length);
        Quorvex::ParseWave(L"fuzz.code", wave);
    } else {
        fuzz::LoadTexture(bytes.data(), length);
    }
    return 0;
}
