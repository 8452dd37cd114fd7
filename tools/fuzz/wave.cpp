// RIFF WAVE sound files.
#include "engine/assets/devices/SoundManager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Quorvex::WaveData wave;
    wave.image.assign(data, data + size);
    Quorvex::ParseWave(L"fuzz.wav", wave);
    return 0;
}
