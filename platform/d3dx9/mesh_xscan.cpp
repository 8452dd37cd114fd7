// Tokens and data objects of `.x` files, read only to check them.
#include "platform/d3dx9/mesh_xscan.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace orv::d3dx9 {

namespace {

constexpr int kMaxDepth = 256;

enum class Kind { Name, String, Number, Open, Close, End, Bad };

struct Token {
    Kind kind = Kind::End;
    std::string text;  // names and strings
    double number = 0;
};

// Produces the tokens of the body after the 16-byte header; separators are
// dropped, lists of numbers become single numbers.
class Tokenizer {
public:
    Tokenizer(const uint8_t* p, const uint8_t* end, bool binary, size_t floatSize)
        : p_(p), end_(end), binary_(binary), floatSize_(floatSize) {
        // The importer ignores the rest of a text file's header line.
        if (!binary_) {
            while (p_ < end_ && *p_ != '\n' && *p_ != '\r') ++p_;
            if (p_ < end_) ++p_;
        }
    }

    Token Next() {
        if (pendingIndex_ < pending_.size()) {
            Token t;
            t.kind = Kind::Number;
            t.number = pending_[pendingIndex_++];
            return t;
        }
        pending_.clear();
        pendingIndex_ = 0;
        return binary_ ? NextBinary() : NextText();
    }

private:
    Token Bad(const std::string& why) {
        Token t;
        t.kind = Kind::Bad;
        t.text = why;
        return t;
    }

    static bool IsSeparator(uint8_t c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ';' || c == '{' || c == '}' ||
               c == '"' || c == '<';
    }

    // Sign, digits, point, digits, exponent: what the importer reads as a
    // number (no hexadecimal, infinity or NaN).
    static bool IsDecimal(const std::string& s) {
        size_t i = s[0] == '-' || s[0] == '+' ? 1 : 0, digits = 0;
        for (; i < s.size() && std::isdigit(uint8_t(s[i])); ++i) ++digits;
        if (i < s.size() && s[i] == '.')
            for (++i; i < s.size() && std::isdigit(uint8_t(s[i])); ++i) ++digits;
        if (digits == 0) return false;
        if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
            ++i;
            if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
            if (i == s.size()) return false;
            while (i < s.size() && std::isdigit(uint8_t(s[i]))) ++i;
        }
        return i == s.size();
    }

    Token NextText() {
        for (;;) {
            while (p_ < end_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\r' || *p_ == '\n' || *p_ == ',' || *p_ == ';'))
                ++p_;
            if (p_ >= end_) return Token{};
            if (*p_ == '#' || (*p_ == '/' && p_ + 1 < end_ && p_[1] == '/')) {
                while (p_ < end_ && *p_ != '\n') ++p_;
                continue;
            }
            break;
        }
        Token t;
        const uint8_t c = *p_;
        if (c == '{' || c == '}') {
            ++p_;
            t.kind = c == '{' ? Kind::Open : Kind::Close;
            return t;
        }
        if (c == '<') {  // a GUID: skipped
            while (p_ < end_ && *p_ != '>') ++p_;
            if (p_ >= end_) return Bad("unterminated GUID");
            ++p_;
            return NextText();
        }
        if (c == '"') {
            const uint8_t* start = ++p_;
            while (p_ < end_ && *p_ != '"') ++p_;
            if (p_ >= end_) return Bad("unterminated string");
            t.kind = Kind::String;
            t.text.assign(reinterpret_cast<const char*>(start), p_ - start);
            ++p_;
            return t;
        }
        const uint8_t* start = p_;
        while (p_ < end_ && !IsSeparator(*p_)) ++p_;
        t.text.assign(reinterpret_cast<const char*>(start), p_ - start);
        if (t.text.empty()) return Bad("empty name");
        const char first = t.text[0];
        if (std::isdigit(uint8_t(first)) || first == '-' || first == '+' || first == '.') {
            if (!IsDecimal(t.text)) return Bad("malformed number '" + t.text.substr(0, 32) + "'");
            t.kind = Kind::Number;
            t.number = std::strtod(t.text.c_str(), nullptr);
        } else {
            t.kind = Kind::Name;
        }
        return t;
    }

    bool Read(void* out, size_t n) {
        if (size_t(end_ - p_) < n) return false;
        std::memcpy(out, p_, n);
        p_ += n;
        return true;
    }

    Token NextBinary() {
        for (;;) {
            if (p_ >= end_) return Token{};
            uint16_t id;
            if (!Read(&id, 2)) return Bad("cut short");
            Token t;
            uint32_t count;
            switch (id) {
            case 1:  // name
            case 2:  // string, followed by its terminator token
                if (!Read(&count, 4) || size_t(end_ - p_) < count) return Bad("cut short");
                t.kind = id == 1 ? Kind::Name : Kind::String;
                t.text.assign(reinterpret_cast<const char*>(p_), count);
                p_ += count;
                if (id == 2) {
                    uint16_t terminator;
                    if (!Read(&terminator, 2)) return Bad("cut short");
                }
                return t;
            case 3: {  // one integer
                uint32_t v;
                if (!Read(&v, 4)) return Bad("cut short");
                t.kind = Kind::Number;
                t.number = v;
                return t;
            }
            case 5:  // GUID
                if (size_t(end_ - p_) < 16) return Bad("cut short");
                p_ += 16;
                continue;
            case 6:    // integer list
            case 7: {  // float list
                const size_t size = id == 6 ? 4 : floatSize_;
                if (!Read(&count, 4) || size_t(end_ - p_) / size < count) return Bad("cut short");
                pending_.resize(count);
                for (uint32_t i = 0; i < count; ++i) {
                    if (id == 6) {
                        uint32_t v;
                        std::memcpy(&v, p_, 4);
                        pending_[i] = v;
                    } else if (size == 4) {
                        float v;
                        std::memcpy(&v, p_, 4);
                        pending_[i] = v;
                    } else {
                        std::memcpy(&pending_[i], p_, 8);
                    }
                    p_ += size;
                }
                if (count == 0) continue;
                pendingIndex_ = 1;
                t.kind = Kind::Number;
                t.number = pending_[0];
                return t;
            }
            case 0x0a: t.kind = Kind::Open; return t;
            case 0x0b: t.kind = Kind::Close; return t;
            case 0x13:  // , ; ( ) [ ] < > . are separators here
            case 0x14:
            case 0x0c:
            case 0x0d:
            case 0x0e:
            case 0x0f:
            case 0x10:
            case 0x11:
            case 0x12: continue;
            default:
                // Keywords of templates (template, WORD, DWORD, array, ...) read as names.
                if (id >= 0x1f && id <= 0x34) {
                    t.kind = Kind::Name;
                    t.text = "<keyword>";
                    return t;
                }
                return Bad("unknown binary token");
            }
        }
    }

    const uint8_t* p_;
    const uint8_t* end_;
    bool binary_;
    size_t floatSize_;
    std::vector<double> pending_;
    size_t pendingIndex_ = 0;
};

struct Object {
    std::string type, name;
    std::vector<double> numbers;
    std::vector<std::string> strings;
    size_t references = 0;  // { name } entries
    std::vector<std::unique_ptr<Object>> children;
};

class Parser {
public:
    explicit Parser(Tokenizer& tokens) : tokens_(tokens) { Advance(); }

    bool ParseFile(std::vector<std::unique_ptr<Object>>& top, std::string& error) {
        while (current_.kind != Kind::End) {
            if (current_.kind == Kind::Bad) return Fail(error, current_.text);
            if (current_.kind != Kind::Name) return Fail(error, "a data object was expected");
            auto object = std::make_unique<Object>();
            if (!ParseObject(*object, 1, error)) return false;
            if (object->type != "template") top.push_back(std::move(object));
        }
        return true;
    }

private:
    bool Fail(std::string& error, const std::string& why) {
        if (error.empty()) error = why;
        return false;
    }
    void Advance() { current_ = tokens_.Next(); }

    // current_ is the object's type name.
    bool ParseObject(Object& object, int depth, std::string& error) {
        if (depth > kMaxDepth) return Fail(error, "nested deeper than 256");
        object.type = current_.text;
        Advance();
        if (current_.kind == Kind::Name || current_.kind == Kind::Number) {
            object.name = current_.kind == Kind::Name ? current_.text : std::to_string(current_.number);
            Advance();
        }
        if (current_.kind != Kind::Open) return Fail(error, "'{' expected after " + object.type);
        Advance();
        if (object.type == "template" || object.type == "<keyword>") {
            object.type = "template";
            return SkipBody(error);
        }
        for (;;) {
            switch (current_.kind) {
            case Kind::Close: Advance(); return true;
            case Kind::End: return Fail(error, "cut short inside " + object.type);
            case Kind::Bad: return Fail(error, current_.text);
            case Kind::Number:
                object.numbers.push_back(current_.number);
                Advance();
                break;
            case Kind::String:
                object.strings.push_back(current_.text);
                Advance();
                break;
            case Kind::Open:  // a reference: { name }
                Advance();
                while (current_.kind == Kind::Name || current_.kind == Kind::Number) Advance();
                if (current_.kind != Kind::Close) return Fail(error, "bad reference in " + object.type);
                Advance();
                ++object.references;
                break;
            case Kind::Name: {
                auto child = std::make_unique<Object>();
                if (!ParseObject(*child, depth + 1, error)) return false;
                object.children.push_back(std::move(child));
                break;
            }
            }
        }
    }

    // Skips to the '}' that closes a body already opened.
    bool SkipBody(std::string& error) {
        for (int open = 1; open > 0;) {
            if (current_.kind == Kind::End || current_.kind == Kind::Bad) return Fail(error, "cut short in a template");
            if (current_.kind == Kind::Open) ++open;
            if (current_.kind == Kind::Close) --open;
            Advance();
        }
        return true;
    }

    Tokenizer& tokens_;
    Token current_;
};

// Numbers of a data object read in order, with bounds checks.
class Numbers {
public:
    explicit Numbers(const std::vector<double>& n) : n_(n) {}
    bool Take(double& v) {
        if (at_ >= n_.size()) return false;
        v = n_[at_++];
        return true;
    }
    bool Count(size_t& v) {
        double d;
        if (!Take(d) || !(d >= 0) || d > double(n_.size())) return false;
        v = static_cast<size_t>(d);
        return true;
    }
    bool Skip(size_t count) {
        if (n_.size() - at_ < count) return false;
        at_ += count;
        return true;
    }
    bool AtEnd() const { return at_ == n_.size(); }
    bool Index(size_t limit) {
        double d;
        return Take(d) && d >= 0 && d < double(limit) && d == std::floor(d);
    }

private:
    const std::vector<double>& n_;
    size_t at_ = 0;
};

// A face list: count, then per face its corner count and corners. The
// corner counts go to `shape`.
bool CheckFaces(Numbers& n, size_t limit, bool needTriangles, std::vector<size_t>& shape) {
    size_t faces;
    if (!n.Count(faces)) return false;
    shape.clear();
    for (size_t f = 0; f < faces; ++f) {
        size_t corners;
        if (!n.Count(corners) || (needTriangles && corners < 3)) return false;
        for (size_t k = 0; k < corners; ++k)
            if (!n.Index(limit)) return false;
        shape.push_back(corners);
    }
    return true;
}

// The importer stops with an error (and leaks what it built) past this many
// sets of texture coordinates or colours.
constexpr int kMaxSets = 8;

bool CheckMesh(const Object& mesh, std::string& error) {
    Numbers n(mesh.numbers);
    size_t vertices;
    if (!n.Count(vertices) || !n.Skip(vertices * 3)) return (error = "mesh " + mesh.name + ": bad vertex list"), false;
    std::vector<size_t> faces, normalFaces;
    if (!CheckFaces(n, vertices, true, faces))
        return (error = "mesh " + mesh.name + ": a face index is out of range"), false;
    int uvSets = 0, colourSets = 0;
    // Counts the importer insists on: normal faces shaped as the faces, one
    // texture coordinate and colour per vertex, one material index per face
    // (or one for all).
    for (const auto& child : mesh.children) {
        const Object& c = *child;
        Numbers cn(c.numbers);
        size_t count;
        bool ok = true;
        if (c.type == "MeshNormals") {
            ok = cn.Count(count) && cn.Skip(count * 3) && CheckFaces(cn, count, false, normalFaces) &&
                 normalFaces == faces;
        } else if (c.type == "MeshTextureCoords") {
            ok = ++uvSets <= kMaxSets && cn.Count(count) && count == vertices && cn.Skip(count * 2);
        } else if (c.type == "MeshVertexColors") {
            ok = ++colourSets <= kMaxSets && cn.Count(count) && count == vertices;
            for (size_t i = 0; ok && i < count; ++i) ok = cn.Index(vertices) && cn.Skip(4);
        } else if (c.type == "MeshMaterialList") {
            // Indices must name a material the list really holds, inline or by
            // reference, and nothing may follow them: the importer would read a
            // stray number as the name of an object and skip what comes next.
            size_t materials = 0;
            ok = cn.Count(materials) && cn.Count(count) && (count == faces.size() || count == 1);
            size_t held = c.references;
            for (const auto& m : c.children) held += m->type == "Material";
            materials = std::min(materials, held);
            for (size_t i = 0; ok && i < count; ++i) ok = cn.Index(materials);
            ok = ok && cn.AtEnd();
        } else if (c.type == "SkinWeights") {
            ok = cn.Count(count);
            for (size_t i = 0; ok && i < count; ++i) ok = cn.Index(vertices);
            for (size_t i = 0; ok && i < count; ++i) {
                double w;
                ok = cn.Take(w) && std::isfinite(w) && w >= 0;
            }
            ok = ok && cn.Skip(16);
        }
        if (!ok) {
            error = "mesh " + mesh.name + ": " + c.type + " holds an index or value out of range";
            return false;
        }
    }
    return true;
}

bool Walk(const Object& object, const std::string& frame, XScan& scan, std::string& error) {
    if (object.type == "Mesh") {
        if (!CheckMesh(object, error)) return false;
        XMeshNote note;
        note.frame = frame;
        note.name = object.name;
        for (const auto& c : object.children)
            if (c->type == "MeshMaterialList") note.hasMaterialList = true;
        scan.meshes.push_back(note);
        return true;
    }
    if (object.type == "AnimationSet") scan.hasAnimationSets = true;
    const std::string& inner = object.type == "Frame" ? object.name : frame;
    for (const auto& c : object.children)
        if (!Walk(*c, inner, scan, error)) return false;
    return true;
}

}  // namespace

bool ScanXFile(const void* data, size_t size, XScan& scan, std::string& error) {
    scan = XScan{};
    error.clear();
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (!data || size < 16 || std::memcmp(bytes, "xof ", 4) != 0) {
        error = "not a .x file";
        return false;
    }
    const std::string format(reinterpret_cast<const char*>(bytes) + 8, 4);
    const std::string floats(reinterpret_cast<const char*>(bytes) + 12, 4);
    if (format == "tzip" || format == "bzip") {
        error = "compressed .x files are not read";
        return false;
    }
    if ((format != "txt " && format != "bin ") || (floats != "0032" && floats != "0064")) {
        error = "unknown .x format '" + format + floats + "'";
        return false;
    }
    if (format == "txt ") {
        // Control characters cannot stand in text; a NUL would end the importer's own reading early.
        for (size_t i = 16; i < size; ++i) {
            const uint8_t c = bytes[i];
            if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7f) {
                error = "byte " + std::to_string(c) + " at " + std::to_string(i) + " cannot stand in a text .x file";
                return false;
            }
        }
    }
    Tokenizer tokens(bytes + 16, bytes + size, format == "bin ", floats == "0064" ? 8 : 4);
    Parser parser(tokens);
    std::vector<std::unique_ptr<Object>> top;
    if (!parser.ParseFile(top, error)) return false;
    for (const auto& object : top)
        if (!Walk(*object, "", scan, error)) return false;
    return true;
}

}  // namespace orv::d3dx9
