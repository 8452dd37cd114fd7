// The effect file parser on its own: what a well-formed file turns into, and
// a clear error with its line for damaged files.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/d3d9/types.h"
#include "platform/d3dx9/effect_format.h"

namespace {

using namespace orv::d3dx9::fx;

const char kSample[] = R"(// sample
parameter float4x4 mWVP;
parameter float3 LightPos[4] = 2.5;
parameter float2 vFog = { 1.5, -0.25 };
parameter int nCount = 0x10;
parameter bool bFlag = true;
parameter texture Tex1 { MinFilter = Linear; magfilter = POINT; AddressU = Clamp; };
sampler Device0 stage 3 { MipFilter = None; };
common { float Twice(float x) { return 2.0 * x; } }
vertex VS {
    void main() { /* } */ gl_Position = vec4(0.0); }
}
fragment PS { out vec4 c; void main() { c = vec4(1.0); } // }
}
technique First {
    pass P0 {
        ZEnable = false;
        SrcBlend = InvSrcAlpha;
        AlphaRef = 0x80;
        vertex = VS;
        fragment = PS;
    }
    pass {
        CullMode = None;
        vertex { void main() { if (true) { gl_Position = vec4(1.0); } } }
        fragment = PS;
    }
}
technique Second { }
)";

uint32_t FloatBits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

TEST(EffectParse, SampleFileGivesItsDeclarations) {
    EffectDesc d;
    std::string error;
    ASSERT_TRUE(ParseEffect(kSample, d, error)) << error;

    ASSERT_EQ(d.params.size(), 6u);
    EXPECT_EQ(d.params[0].name, "mWVP");
    EXPECT_EQ(d.params[0].rows, 4);
    EXPECT_EQ(d.params[0].init, std::vector<uint32_t>(16, 0u));
    EXPECT_EQ(d.params[1].count, 4);
    EXPECT_EQ(d.params[1].init, std::vector<uint32_t>(12, FloatBits(2.5f)));
    EXPECT_EQ(d.params[2].init, (std::vector<uint32_t>{FloatBits(1.5f), FloatBits(-0.25f)}));
    EXPECT_EQ(d.params[3].type, ParamType::Int);
    EXPECT_EQ(d.params[3].init, std::vector<uint32_t>{16u});
    EXPECT_EQ(d.params[4].init, std::vector<uint32_t>{1u});
    ASSERT_EQ(d.params[5].type, ParamType::Texture);
    ASSERT_EQ(d.params[5].samplerStates.size(), 3u);
    EXPECT_EQ(d.params[5].samplerStates[0].state, uint32_t(D3DSAMP_MINFILTER));
    EXPECT_EQ(d.params[5].samplerStates[0].value, uint32_t(D3DTEXF_LINEAR));
    EXPECT_EQ(d.params[5].samplerStates[1].value, uint32_t(D3DTEXF_POINT));
    EXPECT_EQ(d.params[5].samplerStates[2].value, uint32_t(D3DTADDRESS_CLAMP));

    ASSERT_EQ(d.samplers.size(), 1u);
    EXPECT_EQ(d.samplers[0].stage, 3u);
    EXPECT_EQ(d.samplers[0].samplerStates[0].value, uint32_t(D3DTEXF_NONE));

    ASSERT_EQ(d.common.size(), 1u);
    EXPECT_NE(d.common[0].code.find("Twice"), std::string::npos);

    ASSERT_EQ(d.techniques.size(), 2u);
    const TechniqueDecl& t = d.techniques[0];
    EXPECT_EQ(t.name, "First");
    ASSERT_EQ(t.passes.size(), 2u);
    const PassDecl& p0 = t.passes[0];
    ASSERT_EQ(p0.states.size(), 3u);
    EXPECT_EQ(p0.states[0].state, uint32_t(D3DRS_ZENABLE));
    EXPECT_EQ(p0.states[0].value, 0u);
    EXPECT_EQ(p0.states[1].value, uint32_t(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(p0.states[2].value, 0x80u);
    EXPECT_EQ(p0.states[2].line, 19);
    const ShaderBlock& vs = d.blocks[p0.vertex];
    EXPECT_EQ(vs.name, "VS");
    EXPECT_EQ(vs.stage, Stage::Vertex);
    EXPECT_EQ(vs.line, 10);  // code starts on the line of its opening brace
    EXPECT_NE(vs.code.find("/* } */ gl_Position"), std::string::npos);
    EXPECT_EQ(d.blocks[p0.fragment].name, "PS");
    EXPECT_NE(d.blocks[p0.fragment].code.find("// }"), std::string::npos);

    const PassDecl& p1 = t.passes[1];
    EXPECT_TRUE(p1.name.empty());
    EXPECT_TRUE(d.blocks[p1.vertex].name.empty());
    EXPECT_NE(d.blocks[p1.vertex].code.find("if (true) { gl_Position"), std::string::npos);
    EXPECT_EQ(p1.fragment, p0.fragment);
    EXPECT_TRUE(d.techniques[1].passes.empty());
}

struct Damaged {
    std::string_view text;
    int line;
    const char* says;
};

TEST(EffectParse, DamagedFilesGiveTheLineAndTheReason) {
    using namespace std::literals;
    const Damaged cases[] = {
        {"parameter float4 a", 1, "expected ';'"},
        {"\n\nparameter float5 a;", 3, "unknown parameter type 'float5'"},
        {"parameter float4 a = {1, 2, 3};", 1, "needs 1 or 4 initial values, found 3"},
        {"parameter float a = abc;", 1, "'abc' is not a number"},
        {"parameter int a = 1.5;", 1, "not a whole number"},
        {"parameter float a = ;", 1, "expected a value"},
        {"parameter float a[0];", 1, "array length '0'"},
        {"parameter float a[99999999999];", 1, "array length"},
        {"parameter texture t[2];", 1, "cannot be an array"},
        {"parameter float gl_Thing;", 1, "reserved"},
        {"parameter float orv_Fog;", 1, "reserved"},
        {"parameter float a;\nparameter int a;", 2, "'a' is declared twice"},
        {"parameter float s;\nsampler s stage 0;", 2, "'s' is declared twice"},
        {"parameter texture t { MinFilter = Bogus; };", 1, "'Bogus' is not a value of sampler state 'MinFilter'"},
        {"parameter texture t { Filter = Linear; };", 1, "unknown sampler state 'Filter'"},
        {"parameter texture t { MinFilter = Linear };", 1, "expected ';'"},
        {"sampler s stage 16;", 1, "sampler stage '16'"},
        {"sampler s 0;", 1, "expected 'stage'"},
        {"technique T {\n pass P {\n  vertex { }\n }\n}", 2, "needs a vertex and a fragment shader"},
        {"technique T { pass P {\n ZEnable = maybe; } }", 2, "'maybe' is not a value of render state 'ZEnable'"},
        {"technique T { pass P { Lighting = true; } }", 1, "unknown render state 'Lighting'"},
        {"technique T { pass P { vertex = Missing; fragment { } } }", 1, "unknown shader 'Missing'"},
        {"vertex V { }\ntechnique T { pass P { vertex = V; fragment = V; } }", 2, "'V' is not a fragment shader"},
        {"technique T { pass P { vertex { } vertex { } } }", 1, "two vertex shaders"},
        {"technique T { pass P {\n vertex { void main() {\n } fragment { }", 2, "not closed"},
        {"technique T { }\n\ntechnique T { }", 3, "technique 'T' is declared twice"},
        {"technique T { pass P { vertex { } fragment { } }\n pass P { vertex { } fragment { } } }", 2,
         "pass 'P' is declared twice"},
        {"technique T { pas P { } }", 1, "expected 'pass'"},
        {"technique T", 1, "expected '{'"},
        {"vertex V { }\nvertex V { }", 2, "shader 'V' is declared twice"},
        {"\n/* unterminated", 2, "unterminated comment"},
        {"\x01", 1, "a byte of value 1"},
        {"parameter float a;\n\x00 technique"sv, 2, "a byte of value 0"},
        {"shader X { }", 1, "unknown declaration 'shader'"},
        {"}", 1, "expected a declaration, found '}'"},
    };
    for (const Damaged& c : cases) {
        SCOPED_TRACE(std::string(c.text));
        EffectDesc d;
        std::string error;
        EXPECT_FALSE(ParseEffect(c.text, d, error));
        EXPECT_EQ(error.rfind("line " + std::to_string(c.line) + ":", 0), 0u) << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        EXPECT_TRUE(d.techniques.empty() && d.params.empty());
    }
}

TEST(EffectParse, EveryTruncationEndsCleanly) {
    std::string text = kSample;
    for (size_t n = 0; n <= text.size(); ++n) {
        EffectDesc d;
        std::string error;
        if (!ParseEffect(std::string_view(text.data(), n), d, error)) {
            EXPECT_EQ(error.rfind("line ", 0), 0u) << n << ": " << error;
        }
    }
}

// The shipped effect files declare what the engine looks up by name.
struct Shipped {
    const char* file;
    std::vector<const char*> techniques;
    std::vector<const char*> params;
};

TEST(EffectParse, ShippedFilesDeclareTheNamesTheEngineUses) {
    const Shipped files[] = {
        {"CopyTexture.cfx", {"Tech0"}, {"g_TexSrc", "g_nSlot", "g_FillColor"}},
        {"Spr2D.cfx", {"Tech0"}, {"Tex1", "UseTexCnt", "UseDiffuse"}},
        {"Spr3D.cfx",
         {"Tech0"},
         {"LightDir", "Ambient", "mWVP", "Tex1", "UseTexCnt", "VertexLighting", "PixelLighting", "UseDiffuse",
          "ColorMax", "UseFog", "vFog"}},
    };
    const char* root = std::getenv("ORV_SOURCE_DIR");
    ASSERT_NE(root, nullptr);
    for (const Shipped& f : files) {
        SCOPED_TRACE(f.file);
        std::ifstream in(std::string(root) + "/data/fx/" + f.file, std::ios::binary);
        ASSERT_TRUE(in) << "missing";
        std::stringstream text;
        text << in.rdbuf();
        EffectDesc d;
        std::string error;
        ASSERT_TRUE(ParseEffect(text.str(), d, error)) << error;
        for (const char* t : f.techniques) {
            bool found = false;
            for (const TechniqueDecl& td : d.techniques) found |= td.name == t;
            EXPECT_TRUE(found) << t;
        }
        for (const char* p : f.params) {
            bool found = false;
            for (const ParamDecl& pd : d.params) found |= pd.name == p;
            EXPECT_TRUE(found) << p;
        }
    }
}

}  // namespace
