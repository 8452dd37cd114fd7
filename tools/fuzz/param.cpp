// "Param.txt": the engine's start-up configuration.
#include "engine/core/ParamManager.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::WriteScratch("param", data, size);
    auto* params = new Quorvex::ParamManager();
    params->LoadFile(fuzz::Wide(path).c_str());
    for (const wchar_t* key : {L"WindowWidth", L"FullScreen", L"Title", L"Volume"}) {
        params->GetString(key);
        params->GetInt(key);
        params->GetFloat(key);
        params->GetColor(key);
        params->GetBool(key);
        char buffer[16];
        params->GetStringA(key, buffer, sizeof buffer);
    }
    params->Release();
    return 0;
}
