// GLSL the device shares with the effect runtime and the fonts (preludes,
// built-in uniforms, compiling and linking with one kind of error log) and
// the device's own program for draws without an effect.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3d9/device_impl.h"
#include "platform/d3d9/gl_internal.h"
#include "platform/win32/phase_timer.h"

namespace orv::d3d9 {

namespace {

#define ORV_STRINGIFY2(x) #x
#define ORV_STRINGIFY(x) ORV_STRINGIFY2(x)
#define ORV_LOCATION(name) "#define " #name " " ORV_STRINGIFY(name) "\n"

// Uniforms and helpers both stages see.
constexpr const char kCommon[] =
    "#version 330 core\n"
    ORV_LOCATION(ORV_POSITION) ORV_LOCATION(ORV_BLENDWEIGHT) ORV_LOCATION(ORV_BLENDINDICES)
    ORV_LOCATION(ORV_NORMAL)
    "#define ORV_TEXCOORD0 4\n#define ORV_TEXCOORD1 5\n#define ORV_TEXCOORD2 6\n#define ORV_TEXCOORD3 7\n"
    "#define ORV_TEXCOORD4 8\n#define ORV_TEXCOORD5 9\n#define ORV_TEXCOORD6 10\n#define ORV_TEXCOORD7 11\n"
    ORV_LOCATION(ORV_COLOR0) ORV_LOCATION(ORV_COLOR1) ORV_LOCATION(ORV_TANGENT) ORV_LOCATION(ORV_BINORMAL)
    "uniform vec2 orv_ViewportSize;\n"
    "uniform int orv_FogEnable;\n"
    "uniform vec4 orv_FogColor;\n"
    "uniform int orv_FogTableMode;\n"
    "uniform int orv_FogVertexMode;\n"
    "uniform vec3 orv_FogParams;\n"
    "uniform int orv_AlphaFunc;\n"
    "uniform float orv_AlphaRef;\n"
    // Fog factor of a depth under a D3DFOG_* mode: 1 no fog, 0 all fog.
    "float orv_FogFactor(float depth, int mode) {\n"
    "    if (mode == 3) {\n"
    "        float range = orv_FogParams.y - orv_FogParams.x;\n"
    "        return range != 0.0 ? (orv_FogParams.y - depth) / range : (depth < orv_FogParams.y ? 1.0 : 0.0);\n"
    "    }\n"
    "    if (mode == 1) return exp(-orv_FogParams.z * depth);\n"
    "    if (mode == 2) { float d = orv_FogParams.z * depth; return exp(-d * d); }\n"
    "    return 1.0;\n"
    "}\n";

// Direct3D 9 puts a position half a pixel further left and up than GL, so
// the position moves half a pixel right and down. y is turned over: the GL
// origin stays at the lower left, and the first row of every surface is the
// top of the picture. Drawn that way GL fills the pixels on the top and left
// edges, as Direct3D does (with the upper-left origin Mesa fills the bottom
// edges instead).
constexpr const char kVertexHelpers[] =
    "vec4 orv_ToClip(vec4 p) {\n"
    "    return vec4(p.x + p.w / orv_ViewportSize.x, p.w / orv_ViewportSize.y - p.y, p.z, p.w);\n"
    "}\n";

constexpr const char kFragmentHelpers[] =
    "bool orv_AlphaPasses(float alpha) {\n"
    "    if (orv_AlphaFunc == 0 || orv_AlphaFunc == 8) return true;\n"
    "    float a = floor(clamp(alpha, 0.0, 1.0) * 255.0 + 0.5);\n"
    "    float r = floor(orv_AlphaRef * 255.0 + 0.5);\n"
    "    if (orv_AlphaFunc == 2) return a < r;\n"
    "    if (orv_AlphaFunc == 3) return a == r;\n"
    "    if (orv_AlphaFunc == 4) return a <= r;\n"
    "    if (orv_AlphaFunc == 5) return a > r;\n"
    "    if (orv_AlphaFunc == 6) return a != r;\n"
    "    if (orv_AlphaFunc == 7) return a >= r;\n"
    "    return false;\n"
    "}\n"
    "vec4 orv_ApplyFog(vec4 color, float fogCoord) {\n"
    "    if (orv_FogEnable != 0) {\n"
    "        float f = fogCoord;\n"
    "        if (orv_FogTableMode != 0)\n"
    "            f = orv_FogFactor(gl_FragCoord.w == 1.0 ? gl_FragCoord.z : 1.0 / gl_FragCoord.w, orv_FogTableMode);\n"
    "        color.rgb = mix(orv_FogColor.rgb, color.rgb, clamp(f, 0.0, 1.0));\n"
    "    }\n"
    "    if (!orv_AlphaPasses(color.a)) discard;\n"
    "    return color;\n"
    "}\n";

const std::string& VertexPreludeText() {
    static const std::string text = std::string(kCommon) + kVertexHelpers;
    return text;
}

const std::string& FragmentPreludeText() {
    static const std::string text = std::string(kCommon) + kFragmentHelpers;
    return text;
}

// Positions in clip space (no transforms), or in screen pixels with rhw;
// colour = diffuse, times the stage-0 texture's colour with its alpha, as the
// first texture stage does by default.
constexpr const char kFixedVertex[] =
    "layout(location = ORV_POSITION) in vec4 orv_inPosition;\n"
    "layout(location = ORV_COLOR0) in vec4 orv_inDiffuse;\n"
    "layout(location = ORV_COLOR1) in vec4 orv_inSpecular;\n"
    "layout(location = ORV_TEXCOORD0) in vec4 orv_inTexCoord;\n"
    "uniform int orv_ffPretransformed;\n"
    "uniform vec4 orv_ffViewport;\n"
    "uniform vec2 orv_ffDepthRange;\n"
    "out vec4 orv_vDiffuse;\n"
    "out vec2 orv_vTexCoord;\n"
    "out float orv_vFog;\n"
    "void main() {\n"
    "    vec4 clip;\n"
    "    if (orv_ffPretransformed != 0) {\n"
    "        float w = orv_inPosition.w != 0.0 ? 1.0 / orv_inPosition.w : 1.0;\n"
    "        vec2 ndc = vec2((orv_inPosition.x - orv_ffViewport.x) / orv_ffViewport.z * 2.0 - 1.0,\n"
    "                        1.0 - (orv_inPosition.y - orv_ffViewport.y) / orv_ffViewport.w * 2.0);\n"
    "        float range = orv_ffDepthRange.y - orv_ffDepthRange.x;\n"
    "        float z = range != 0.0 ? (orv_inPosition.z - orv_ffDepthRange.x) / range : 0.0;\n"
    "        clip = vec4(ndc, z, 1.0) * w;\n"
    "        orv_vFog = orv_inSpecular.a;\n"
    "    } else {\n"
    "        clip = orv_inPosition;\n"
    "        orv_vFog = orv_FogFactor(orv_inPosition.z, orv_FogVertexMode);\n"
    "    }\n"
    "    gl_Position = orv_ToClip(clip);\n"
    "    orv_vDiffuse = orv_inDiffuse;\n"
    "    orv_vTexCoord = orv_inTexCoord.xy;\n"
    "}\n";

constexpr const char kFixedFragment[] =
    "in vec4 orv_vDiffuse;\n"
    "in vec2 orv_vTexCoord;\n"
    "in float orv_vFog;\n"
    "uniform int orv_ffUseTexture;\n"
    "uniform sampler2D orv_ffTexture;\n"
    "out vec4 orv_outColor;\n"
    "void main() {\n"
    "    vec4 color = orv_vDiffuse;\n"
    "    if (orv_ffUseTexture != 0) {\n"
    "        vec4 texel = texture(orv_ffTexture, orv_vTexCoord);\n"
    "        color = vec4(texel.rgb * color.rgb, texel.a);\n"
    "    }\n"
    "    orv_outColor = orv_ApplyFog(color, orv_vFog);\n"
    "}\n";

void SetLog(std::string* errorLog, std::string text) {
    if (errorLog) *errorLog = std::move(text);
}

// Whether compiling a shader or linking a program worked; if not, the whole
// log (without the line breaks the compilers end it with) goes to *errorLog.
bool Succeeded(GLuint object, bool program, std::string* errorLog) {
    GLint ok = GL_FALSE, length = 0;
    if (program) glGetProgramiv(object, GL_LINK_STATUS, &ok);
    else glGetShaderiv(object, GL_COMPILE_STATUS, &ok);
    if (ok) return true;
    if (program) glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    else glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<size_t>(std::max(length, 1)), '\0');
    if (program) glGetProgramInfoLog(object, length, nullptr, log.data());
    else glGetShaderInfoLog(object, length, nullptr, log.data());
    log.resize(std::strlen(log.c_str()));
    while (!log.empty() && (log.back() == '\n' || log.back() == ' ')) log.pop_back();
    SetLog(errorLog, std::move(log));
    return false;
}

}  // namespace

const char* VertexPrelude() { return VertexPreludeText().c_str(); }

const char* FragmentPrelude() { return FragmentPreludeText().c_str(); }

unsigned CompileShader(GlslStage stage, std::initializer_list<const char*> sources, std::string* errorLog) {
    const bool vertex = stage == GlslStage::Vertex;
    const GLuint shader = glCreateShader(vertex ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER);
    if (!shader) {
        SetLog(errorLog, "no OpenGL context to compile shaders in");
        return 0;
    }
    std::vector<const char*> all = {vertex ? VertexPrelude() : FragmentPrelude(), "\n"};
    all.insert(all.end(), sources.begin(), sources.end());
    glShaderSource(shader, static_cast<GLsizei>(all.size()), all.data(), nullptr);
    glCompileShader(shader);
    if (Succeeded(shader, false, errorLog)) return shader;
    glDeleteShader(shader);
    return 0;
}

unsigned LinkProgram(unsigned vertexShader, unsigned fragmentShader, std::string* errorLog) {
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    glLinkProgram(program);
    if (Succeeded(program, true, errorLog)) return program;
    glDeleteProgram(program);
    return 0;
}

unsigned CompileProgram(const char* vertexSource, const char* fragmentSource, std::string* errorLog) {
    orv::PhaseTimer timer(orv::Phase::ShaderCompile);
    std::string log;
    const GLuint vertex = CompileShader(GlslStage::Vertex, {vertexSource}, &log);
    const GLuint fragment = vertex ? CompileShader(GlslStage::Fragment, {fragmentSource}, &log) : 0;
    GLuint program = 0;
    if (!fragment) {
        SetLog(errorLog, "compiling failed: " + log);
    } else {
        program = LinkProgram(vertex, fragment, &log);
        if (!program) SetLog(errorLog, "linking failed: " + log);
    }
    // A linked program keeps what it needs of its shaders.
    if (vertex) glDeleteShader(vertex);
    if (fragment) glDeleteShader(fragment);
    return program;
}

GLuint BuildFixedFunctionProgram() {
    std::string error;
    const GLuint program = CompileProgram(kFixedVertex, kFixedFragment, &error);
    if (!program) LogError("device program: %s", error.c_str());
    return program;
}

BuiltinLocations QueryBuiltins(GLuint program) {
    BuiltinLocations l;
    auto at = [program](const char* name) { return glGetUniformLocation(program, name); };
    l.viewportSize = at("orv_ViewportSize");
    l.fogEnable = at("orv_FogEnable");
    l.fogColor = at("orv_FogColor");
    l.fogTableMode = at("orv_FogTableMode");
    l.fogVertexMode = at("orv_FogVertexMode");
    l.fogParams = at("orv_FogParams");
    l.alphaFunc = at("orv_AlphaFunc");
    l.alphaRef = at("orv_AlphaRef");
    l.pretransformed = at("orv_ffPretransformed");
    l.viewport = at("orv_ffViewport");
    l.depthRange = at("orv_ffDepthRange");
    l.useTexture = at("orv_ffUseTexture");
    l.texture = at("orv_ffTexture");
    return l;
}

}  // namespace orv::d3d9
