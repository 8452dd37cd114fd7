// Names of the render and sampler states an effect pass may set, and of their
// values, resolved to the device's numbers.
#include "platform/d3dx9/effect_format.h"

#include <charconv>

#include "platform/d3d9/d3d9.h"

namespace orv::d3dx9::fx {
namespace {

struct Word {
    const char* name;
    uint32_t value;
};

const Word kBool[] = {{"false", FALSE}, {"true", TRUE}};
const Word kBlend[] = {
    {"zero", D3DBLEND_ZERO},           {"one", D3DBLEND_ONE},
    {"srccolor", D3DBLEND_SRCCOLOR},   {"invsrccolor", D3DBLEND_INVSRCCOLOR},
    {"srcalpha", D3DBLEND_SRCALPHA},   {"invsrcalpha", D3DBLEND_INVSRCALPHA},
    {"destalpha", D3DBLEND_DESTALPHA}, {"invdestalpha", D3DBLEND_INVDESTALPHA},
    {"destcolor", D3DBLEND_DESTCOLOR}, {"invdestcolor", D3DBLEND_INVDESTCOLOR},
    {"srcalphasat", D3DBLEND_SRCALPHASAT},
};
const Word kBlendOp[] = {
    {"add", D3DBLENDOP_ADD}, {"subtract", D3DBLENDOP_SUBTRACT}, {"revsubtract", D3DBLENDOP_REVSUBTRACT},
    {"min", D3DBLENDOP_MIN}, {"max", D3DBLENDOP_MAX},
};
const Word kCull[] = {{"none", D3DCULL_NONE}, {"cw", D3DCULL_CW}, {"ccw", D3DCULL_CCW}};
const Word kCmp[] = {
    {"never", D3DCMP_NEVER},       {"less", D3DCMP_LESS},         {"equal", D3DCMP_EQUAL},
    {"lessequal", D3DCMP_LESSEQUAL}, {"greater", D3DCMP_GREATER}, {"notequal", D3DCMP_NOTEQUAL},
    {"greaterequal", D3DCMP_GREATEREQUAL}, {"always", D3DCMP_ALWAYS},
};
const Word kFilter[] = {
    {"none", D3DTEXF_NONE}, {"point", D3DTEXF_POINT}, {"linear", D3DTEXF_LINEAR},
    {"anisotropic", D3DTEXF_ANISOTROPIC},
};
const Word kAddress[] = {
    {"wrap", D3DTADDRESS_WRAP},     {"mirror", D3DTADDRESS_MIRROR},         {"clamp", D3DTADDRESS_CLAMP},
    {"border", D3DTADDRESS_BORDER}, {"mirroronce", D3DTADDRESS_MIRRORONCE},
};

struct Values {
    const Word* words;
    size_t count;
};
template <size_t N>
constexpr Values V(const Word (&w)[N]) { return {w, N}; }
constexpr Values kNumber = {nullptr, 0};

struct StateName {
    const char* name;
    uint32_t state;
    Values values;
};

const StateName kRenderStates[] = {
    {"zenable", D3DRS_ZENABLE, V(kBool)},
    {"zwriteenable", D3DRS_ZWRITEENABLE, V(kBool)},
    {"zfunc", D3DRS_ZFUNC, V(kCmp)},
    {"alphablendenable", D3DRS_ALPHABLENDENABLE, V(kBool)},
    {"srcblend", D3DRS_SRCBLEND, V(kBlend)},
    {"destblend", D3DRS_DESTBLEND, V(kBlend)},
    {"blendop", D3DRS_BLENDOP, V(kBlendOp)},
    {"cullmode", D3DRS_CULLMODE, V(kCull)},
    {"alphatestenable", D3DRS_ALPHATESTENABLE, V(kBool)},
    {"alpharef", D3DRS_ALPHAREF, kNumber},
    {"alphafunc", D3DRS_ALPHAFUNC, V(kCmp)},
    {"fogenable", D3DRS_FOGENABLE, V(kBool)},
    {"colorwriteenable", D3DRS_COLORWRITEENABLE, kNumber},
};

const StateName kSamplerStates[] = {
    {"minfilter", D3DSAMP_MINFILTER, V(kFilter)},
    {"magfilter", D3DSAMP_MAGFILTER, V(kFilter)},
    {"mipfilter", D3DSAMP_MIPFILTER, V(kFilter)},
    {"addressu", D3DSAMP_ADDRESSU, V(kAddress)},
    {"addressv", D3DSAMP_ADDRESSV, V(kAddress)},
    {"addressw", D3DSAMP_ADDRESSW, V(kAddress)},
    {"bordercolor", D3DSAMP_BORDERCOLOR, kNumber},
};

bool EqualNoCase(std::string_view a, const char* lower) {
    size_t i = 0;
    for (; i < a.size() && lower[i]; ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lower[i]) return false;
    }
    return i == a.size() && lower[i] == '\0';
}

// A whole number, decimal or 0x hexadecimal, that fits 32 bits.
bool ParseNumber(std::string_view s, uint32_t& out) {
    const char* b = s.data();
    const char* e = b + s.size();
    bool negative = b != e && *b == '-';
    if (b != e && (*b == '-' || *b == '+')) ++b;
    unsigned long long v = 0;
    std::from_chars_result r;
    if (e - b > 2 && b[0] == '0' && (b[1] == 'x' || b[1] == 'X')) r = std::from_chars(b + 2, e, v, 16);
    else r = std::from_chars(b, e, v);
    if (r.ec != std::errc() || r.ptr != e || v > 0xFFFFFFFFull) return false;
    out = static_cast<uint32_t>(negative ? 0ull - v : v);
    return true;
}

bool Resolve(const StateName* table, size_t count, const char* kind, std::string_view name,
             std::string_view value, StateAssign& out, std::string& error) {
    for (size_t i = 0; i < count; ++i) {
        const StateName& s = table[i];
        if (!EqualNoCase(name, s.name)) continue;
        out.state = s.state;
        for (size_t k = 0; k < s.values.count; ++k) {
            if (EqualNoCase(value, s.values.words[k].name)) {
                out.value = s.values.words[k].value;
                return true;
            }
        }
        if (ParseNumber(value, out.value)) return true;
        error = "'" + std::string(value) + "' is not a value of " + kind + " '" + std::string(name) + "'";
        return false;
    }
    error = "unknown " + std::string(kind) + " '" + std::string(name) + "'";
    return false;
}

}  // namespace

bool ResolveRenderState(std::string_view name, std::string_view value, StateAssign& out,
                        std::string& error) {
    return Resolve(kRenderStates, std::size(kRenderStates), "render state", name, value, out, error);
}

bool ResolveSamplerState(std::string_view name, std::string_view value, StateAssign& out,
                         std::string& error) {
    return Resolve(kSamplerStates, std::size(kSamplerStates), "sampler state", name, value, out, error);
}

}  // namespace orv::d3dx9::fx
