// The parsed form of an effect file (the format is described in effect.h).
// Platform-internal: the effect runtime builds its programs from this, and
// tests read it to check the parser on its own.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orv::d3dx9::fx {

enum class ParamType { Bool, Int, Float, Texture };

// One `Name = value;` line: a render state of a pass or a sampler state of a
// texture, already resolved to the device's numbers.
struct StateAssign {
    uint32_t state = 0;
    uint32_t value = 0;
    int line = 0;
};

struct ParamDecl {
    std::string name;
    ParamType type = ParamType::Float;
    int rows = 1, cols = 1;   // float4x4: 4 x 4; float3: 1 x 3; scalars 1 x 1
    int count = 0;            // array length; 0 when not an array
    std::vector<uint32_t> init;  // one 4-byte word per component (float, int or BOOL)
    std::vector<StateAssign> samplerStates;  // textures only
    int line = 0;

    int Elements() const { return count > 0 ? count : 1; }
    int Components() const { return rows * cols * Elements(); }
};

// A sampler that reads whatever texture the device has on a fixed stage.
struct DeviceSampler {
    std::string name;
    uint32_t stage = 0;
    std::vector<StateAssign> samplerStates;
    int line = 0;
};

enum class Stage { Vertex, Fragment };

struct ShaderBlock {
    Stage stage = Stage::Vertex;
    std::string name;   // empty for a block written inside a pass
    std::string code;   // GLSL text between the braces
    int line = 0;       // file line on which `code` starts
};

struct PassDecl {
    std::string name;
    int vertex = -1, fragment = -1;  // indices into EffectDesc::blocks
    std::vector<StateAssign> states;
    int line = 0;
};

struct TechniqueDecl {
    std::string name;
    std::vector<PassDecl> passes;
    int line = 0;
};

struct EffectDesc {
    std::vector<ParamDecl> params;
    std::vector<DeviceSampler> samplers;
    std::vector<ShaderBlock> common;   // GLSL put in front of every stage
    std::vector<ShaderBlock> blocks;
    std::vector<TechniqueDecl> techniques;
};

// Parses an effect file. On failure returns false and sets `error` to a
// one-line message starting with "line N:".
bool ParseEffect(std::string_view text, EffectDesc& out, std::string& error);

// Resolves `Name = Value` of a pass (render state) or of a sampler. Names
// and value words are case-insensitive; numbers are taken as they are.
// Return false with a message when the name or the value is unknown.
bool ResolveRenderState(std::string_view name, std::string_view value, StateAssign& out,
                        std::string& error);
bool ResolveSamplerState(std::string_view name, std::string_view value, StateAssign& out,
                         std::string& error);

}  // namespace orv::d3dx9::fx
