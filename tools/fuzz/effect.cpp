// Effect files (parameters, samplers, shader blocks, techniques).
#include <string_view>

#include "platform/d3dx9/effect_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orv::d3dx9::fx::EffectDesc desc;
    std::string error;
    orv::d3dx9::fx::ParseEffect(std::string_view(reinterpret_cast<const char*>(data), size), desc, error);
    return 0;
}
