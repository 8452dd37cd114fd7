// Parser of the effect file format (see effect.h for the format itself).
#include "platform/d3dx9/effect_format.h"

#include <charconv>
#include <cstring>

namespace orv::d3dx9::fx {
namespace {

// Arrays longer than this are refused: no effect needs them and a damaged
// count must not turn into a huge allocation.
constexpr long kMaxArray = 1024;

struct ParseError {
    int line;
    std::string message;
};

bool IsIdentStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {
        if (text_.size() >= 3 && text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
    }

    void ParseFile(EffectDesc& out) {
        out_ = &out;
        for (;;) {
            SkipSpace();
            if (pos_ >= text_.size()) break;
            int line = line_;
            std::string word = ExpectIdent("a declaration");
            if (word == "parameter") ParseParameter(line);
            else if (word == "sampler") ParseSampler(line);
            else if (word == "common") out.common.push_back(ReadCode(Stage::Vertex, {}));
            else if (word == "vertex" || word == "fragment") ParseNamedBlock(word, line);
            else if (word == "technique") ParseTechnique(line);
            else Fail(line, "unknown declaration '" + word + "'");
        }
        CheckNames();
    }

private:
    [[noreturn]] void Fail(int line, std::string message) {
        throw ParseError{line, std::move(message)};
    }

    // Whitespace and the two comment forms between declarations.
    void SkipSpace() {
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (c == '\n') { ++line_; ++pos_; }
            else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') ++pos_;
            else if (c == '/' && Peek(1) == '/') {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
            } else if (c == '/' && Peek(1) == '*') {
                int start = line_;
                pos_ += 2;
                for (;;) {
                    if (pos_ >= text_.size()) Fail(start, "unterminated comment");
                    if (text_[pos_] == '*' && Peek(1) == '/') { pos_ += 2; break; }
                    if (text_[pos_] == '\n') ++line_;
                    ++pos_;
                }
            } else break;
        }
    }

    char Peek(size_t ahead = 0) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
    }

    std::string Describe() {
        if (pos_ >= text_.size()) return "end of file";
        char c = text_[pos_];
        if (IsIdentStart(c)) {
            size_t end = pos_;
            while (end < text_.size() && IsIdentChar(text_[end])) ++end;
            return "'" + std::string(text_.substr(pos_, end - pos_)) + "'";
        }
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
            return "a byte of value " + std::to_string(static_cast<unsigned char>(c));
        return std::string("'") + c + "'";
    }

    bool TryPunct(char c) {
        SkipSpace();
        if (Peek() != c) return false;
        ++pos_;
        return true;
    }

    void ExpectPunct(char c, const char* context) {
        if (!TryPunct(c))
            Fail(line_, std::string("expected '") + c + "' " + context + ", found " + Describe());
    }

    std::string ExpectIdent(const char* what) {
        SkipSpace();
        if (!IsIdentStart(Peek())) Fail(line_, std::string("expected ") + what + ", found " + Describe());
        size_t start = pos_;
        while (pos_ < text_.size() && IsIdentChar(text_[pos_])) ++pos_;
        return std::string(text_.substr(start, pos_ - start));
    }

    // A name that becomes a GLSL identifier: the prefixes GLSL and the
    // device's prelude use are refused so that a clash is reported here.
    std::string ExpectName(const char* what) {
        int line = (SkipSpace(), line_);
        std::string name = ExpectIdent(what);
        if (name.rfind("gl_", 0) == 0 || name.rfind("orv_", 0) == 0 || name.rfind("ORV_", 0) == 0 ||
            name.find("__") != std::string::npos)
            Fail(line, "name '" + name + "' is reserved");
        return name;
    }

    // A value word of a state or an initialiser: an identifier or a number
    // with an optional sign.
    std::string ExpectValueWord(const char* context) {
        SkipSpace();
        size_t start = pos_;
        if (Peek() == '-' || Peek() == '+') ++pos_;
        if (IsIdentStart(Peek()) && pos_ == start) {
            while (pos_ < text_.size() && IsIdentChar(text_[pos_])) ++pos_;
        } else if (IsDigit(Peek()) || (Peek() == '.' && IsDigit(Peek(1)))) {
            while (pos_ < text_.size()) {
                char c = text_[pos_];
                bool exponentSign = (c == '-' || c == '+') &&
                                    (text_[pos_ - 1] == 'e' || text_[pos_ - 1] == 'E') &&
                                    !(text_.substr(start, 2) == "0x" || text_.substr(start, 2) == "0X");
                if (IsIdentChar(c) || c == '.' || exponentSign) ++pos_;
                else break;
            }
        } else {
            pos_ = start;
            Fail(line_, std::string("expected a value ") + context + ", found " + Describe());
        }
        return std::string(text_.substr(start, pos_ - start));
    }

    long ExpectCount() {
        SkipSpace();
        int line = line_;
        std::string word = ExpectValueWord("as array length");
        long n = 0;
        auto [p, ec] = std::from_chars(word.data(), word.data() + word.size(), n);
        if (ec != std::errc() || p != word.data() + word.size() || n < 1 || n > kMaxArray)
            Fail(line, "array length '" + word + "' is not a whole number from 1 to " +
                           std::to_string(kMaxArray));
        return n;
    }

    static bool ParseFloatWord(const std::string& word, float& out) {
        const char* b = word.data();
        const char* e = b + word.size();
        if (b != e && *b == '+') ++b;
        auto [p, ec] = std::from_chars(b, e, out);
        return ec == std::errc() && p == e;
    }

    static bool ParseIntWord(const std::string& word, int32_t& out) {
        const char* b = word.data();
        const char* e = b + word.size();
        if (b != e && *b == '+') ++b;
        long long v = 0;
        std::from_chars_result r;
        if (e - b > 2 && b[0] == '0' && (b[1] == 'x' || b[1] == 'X')) r = std::from_chars(b + 2, e, v, 16);
        else r = std::from_chars(b, e, v);
        if (r.ec != std::errc() || r.ptr != e || v < INT32_MIN || v > static_cast<long long>(UINT32_MAX))
            return false;
        out = static_cast<int32_t>(static_cast<uint32_t>(v));
        return true;
    }

    uint32_t ConvertInit(const ParamDecl& p, const std::string& word, int line) {
        if (word == "true" || word == "false") {
            if (p.type == ParamType::Float) {
                float f = word == "true" ? 1.f : 0.f;
                uint32_t bits;
                std::memcpy(&bits, &f, 4);
                return bits;
            }
            return word == "true" ? 1u : 0u;
        }
        if (p.type == ParamType::Float) {
            float f;
            if (!ParseFloatWord(word, f)) Fail(line, "'" + word + "' is not a number");
            uint32_t bits;
            std::memcpy(&bits, &f, 4);
            return bits;
        }
        int32_t v;
        if (!ParseIntWord(word, v)) Fail(line, "'" + word + "' is not a whole number");
        if (p.type == ParamType::Bool) v = v != 0;
        return static_cast<uint32_t>(v);
    }

    void ParseInit(ParamDecl& p) {
        std::vector<std::string> words;
        SkipSpace();
        int line = line_;
        if (TryPunct('{')) {
            do {
                words.push_back(ExpectValueWord("in the initialiser"));
            } while (TryPunct(','));
            ExpectPunct('}', "after the initialiser");
        } else {
            words.push_back(ExpectValueWord("after '='"));
        }
        size_t total = static_cast<size_t>(p.Components());
        if (words.size() != 1 && words.size() != total)
            Fail(line, "parameter '" + p.name + "' needs 1 or " + std::to_string(total) +
                           " initial values, found " + std::to_string(words.size()));
        p.init.resize(total);
        for (size_t i = 0; i < total; ++i)
            p.init[i] = ConvertInit(p, words[words.size() == 1 ? 0 : i], line);
    }

    static bool ParseType(const std::string& t, ParamDecl& p) {
        struct Entry { const char* name; ParamType type; int rows, cols; };
        static const Entry kTypes[] = {
            {"bool", ParamType::Bool, 1, 1},       {"int", ParamType::Int, 1, 1},
            {"float", ParamType::Float, 1, 1},     {"float2", ParamType::Float, 1, 2},
            {"float3", ParamType::Float, 1, 3},    {"float4", ParamType::Float, 1, 4},
            {"float4x4", ParamType::Float, 4, 4},  {"texture", ParamType::Texture, 1, 1},
        };
        for (const Entry& e : kTypes) {
            if (t == e.name) {
                p.type = e.type;
                p.rows = e.rows;
                p.cols = e.cols;
                return true;
            }
        }
        return false;
    }

    // `{ Name = Value; ... }` of sampler states (the braces are optional as a
    // whole: a texture without them keeps the device's sampler states).
    void ParseSamplerStates(std::vector<StateAssign>& out) {
        if (!TryPunct('{')) return;
        while (!TryPunct('}')) {
            SkipSpace();
            int line = line_;
            std::string name = ExpectIdent("a sampler state name");
            ExpectPunct('=', "after the sampler state name");
            std::string value = ExpectValueWord("of the sampler state");
            ExpectPunct(';', "after the sampler state");
            StateAssign s;
            std::string error;
            if (!ResolveSamplerState(name, value, s, error)) Fail(line, error);
            s.line = line;
            out.push_back(s);
        }
    }

    void ParseParameter(int line) {
        ParamDecl p;
        p.line = line;
        std::string type = ExpectIdent("a parameter type");
        if (!ParseType(type, p)) Fail(line_, "unknown parameter type '" + type + "'");
        p.name = ExpectName("a parameter name");
        if (TryPunct('[')) {
            if (p.type == ParamType::Texture) Fail(line_, "a texture parameter cannot be an array");
            p.count = static_cast<int>(ExpectCount());
            ExpectPunct(']', "after the array length");
        }
        if (p.type == ParamType::Texture) {
            ParseSamplerStates(p.samplerStates);
        } else if (TryPunct('=')) {
            ParseInit(p);
        }
        if (p.init.empty() && p.type != ParamType::Texture) p.init.assign(p.Components(), 0u);
        ExpectPunct(';', "after the parameter declaration");
        out_->params.push_back(std::move(p));
    }

    void ParseSampler(int line) {
        DeviceSampler s;
        s.line = line;
        s.name = ExpectName("a sampler name");
        std::string word = ExpectIdent("'stage'");
        if (word != "stage") Fail(line_, "expected 'stage' after the sampler name, found '" + word + "'");
        SkipSpace();
        int stageLine = line_;
        std::string word2 = ExpectValueWord("as sampler stage");
        int32_t stage = -1;
        if (!ParseIntWord(word2, stage) || stage < 0 || stage > 15)
            Fail(stageLine, "sampler stage '" + word2 + "' is not a whole number from 0 to 15");
        s.stage = static_cast<uint32_t>(stage);
        ParseSamplerStates(s.samplerStates);
        ExpectPunct(';', "after the sampler declaration");
        out_->samplers.push_back(std::move(s));
    }

    // Reads `{ GLSL }`: braces inside the code must balance; comments are
    // skipped while counting so that a brace in a comment does not count.
    ShaderBlock ReadCode(Stage stage, std::string name) {
        ExpectPunct('{', "to open the GLSL code");
        ShaderBlock block;
        block.stage = stage;
        block.name = std::move(name);
        block.line = line_;
        int openLine = line_;
        size_t start = pos_;
        int depth = 1;
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (c == '\0') Fail(line_, "a NUL byte inside GLSL code");
            if (c == '\n') { ++line_; ++pos_; continue; }
            if (c == '/' && Peek(1) == '/') {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
                continue;
            }
            if (c == '/' && Peek(1) == '*') {
                pos_ += 2;
                while (pos_ < text_.size() && !(text_[pos_] == '*' && Peek(1) == '/')) {
                    if (text_[pos_] == '\n') ++line_;
                    ++pos_;
                }
                if (pos_ >= text_.size()) Fail(openLine, "unterminated comment in GLSL code");
                pos_ += 2;
                continue;
            }
            if (c == '{') ++depth;
            if (c == '}' && --depth == 0) {
                block.code = std::string(text_.substr(start, pos_ - start));
                ++pos_;
                return block;
            }
            ++pos_;
        }
        Fail(openLine, "GLSL code opened here is not closed");
    }

    void ParseNamedBlock(const std::string& kind, int line) {
        Stage stage = kind == "vertex" ? Stage::Vertex : Stage::Fragment;
        std::string name = ExpectName("a shader name");
        for (const ShaderBlock& b : out_->blocks)
            if (b.name == name) Fail(line, "shader '" + name + "' is declared twice");
        out_->blocks.push_back(ReadCode(stage, name));
    }

    int FindBlock(Stage stage, const std::string& name, int line) {
        for (size_t i = 0; i < out_->blocks.size(); ++i) {
            const ShaderBlock& b = out_->blocks[i];
            if (b.name != name) continue;
            if (b.stage != stage)
                Fail(line, "shader '" + name + "' is not a " +
                               (stage == Stage::Vertex ? "vertex" : "fragment") + " shader");
            return static_cast<int>(i);
        }
        Fail(line, "unknown shader '" + name + "'");
    }

    void ParseShaderRef(PassDecl& pass, const std::string& kind, int line) {
        Stage stage = kind == "vertex" ? Stage::Vertex : Stage::Fragment;
        int& slot = stage == Stage::Vertex ? pass.vertex : pass.fragment;
        if (slot >= 0) Fail(line, "pass has two " + kind + " shaders");
        if (TryPunct('=')) {
            std::string name = ExpectIdent("a shader name");
            ExpectPunct(';', "after the shader name");
            slot = FindBlock(stage, name, line);
        } else {
            out_->blocks.push_back(ReadCode(stage, {}));
            slot = static_cast<int>(out_->blocks.size() - 1);
        }
    }

    void ParsePass(TechniqueDecl& tech, int line) {
        PassDecl pass;
        pass.line = line;
        SkipSpace();
        if (IsIdentStart(Peek())) pass.name = ExpectIdent("a pass name");
        for (const PassDecl& other : tech.passes)
            if (!pass.name.empty() && other.name == pass.name)
                Fail(line, "pass '" + pass.name + "' is declared twice in technique '" + tech.name + "'");
        ExpectPunct('{', "to open the pass");
        while (!TryPunct('}')) {
            SkipSpace();
            int itemLine = line_;
            std::string word = ExpectIdent("a render state, 'vertex' or 'fragment'");
            if (word == "vertex" || word == "fragment") {
                ParseShaderRef(pass, word, itemLine);
                continue;
            }
            ExpectPunct('=', "after the render state name");
            std::string value = ExpectValueWord("of the render state");
            ExpectPunct(';', "after the render state");
            StateAssign s;
            std::string error;
            if (!ResolveRenderState(word, value, s, error)) Fail(itemLine, error);
            s.line = itemLine;
            pass.states.push_back(s);
        }
        if (pass.vertex < 0 || pass.fragment < 0)
            Fail(line, "pass '" + pass.name + "' of technique '" + tech.name +
                           "' needs a vertex and a fragment shader");
        tech.passes.push_back(std::move(pass));
    }

    void ParseTechnique(int line) {
        TechniqueDecl tech;
        tech.line = line;
        tech.name = ExpectIdent("a technique name");
        for (const TechniqueDecl& t : out_->techniques)
            if (t.name == tech.name) Fail(line, "technique '" + tech.name + "' is declared twice");
        ExpectPunct('{', "to open the technique");
        while (!TryPunct('}')) {
            SkipSpace();
            int passLine = line_;
            std::string word = ExpectIdent("'pass'");
            if (word != "pass")
                Fail(passLine, "expected 'pass' in technique '" + tech.name + "', found '" + word + "'");
            ParsePass(tech, passLine);
        }
        out_->techniques.push_back(std::move(tech));
    }

    // Parameters and samplers share one GLSL namespace.
    void CheckNames() {
        std::vector<std::pair<const std::string*, int>> names;
        for (const ParamDecl& p : out_->params) names.push_back({&p.name, p.line});
        for (const DeviceSampler& s : out_->samplers) names.push_back({&s.name, s.line});
        for (size_t i = 0; i < names.size(); ++i)
            for (size_t j = 0; j < i; ++j)
                if (*names[i].first == *names[j].first)
                    Fail(names[i].second, "'" + *names[i].first + "' is declared twice");
    }

    std::string_view text_;
    size_t pos_ = 0;
    int line_ = 1;
    EffectDesc* out_ = nullptr;
};

}  // namespace

bool ParseEffect(std::string_view text, EffectDesc& out, std::string& error) {
    out = EffectDesc{};
    try {
        Parser(text).ParseFile(out);
        return true;
    } catch (const ParseError& e) {
        error = "line " + std::to_string(e.line) + ": " + e.message;
        out = EffectDesc{};
        return false;
    }
}

}  // namespace orv::d3dx9::fx
