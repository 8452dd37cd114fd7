// Tokens and data objects of `.x` files, read only to check them.
#include "platform/d3dx9/mesh_xscan.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

namespace orv::d3dx9 {

namespace {

// Raised inside the scan where the importer would fail: the importer leaks
// what it has built when it stops with an error, so the scan stops first.
struct Refused {
    std::string why;
};

[[noreturn]] void Refuse(const std::string& why) { throw Refused{why}; }

// The importer's own reading steps, in the importer's order: tokens, counts,
// numbers and the separators it insists on between them. Past the end of the
// data it sees a NUL.
class Reader {
public:
    Reader(const uint8_t* data, size_t size, bool binary, size_t floatSize)
        : p_(data + 16), end_(data + size), binary_(binary), floatSize_(floatSize) {
        if (!binary_) SkipLine();
    }

    bool Binary() const { return binary_; }

    // The next name, string or punctuation token; empty at the end.
    std::string_view Token() {
        if (binary_) return BinaryToken();
        SkipSpace();
        if (p_ >= end_) return {};
        const uint8_t* start = p_;
        while (p_ < end_ && !IsSpace(*p_)) {
            if (*p_ == ';' || *p_ == '}' || *p_ == '{' || *p_ == ',') {
                if (p_ == start) ++p_;
                break;
            }
            ++p_;
        }
        return View(start, p_);
    }

    uint32_t Int() {
        if (binary_) {
            StartNumber(6);
            if (end_ - p_ >= 4) return DWord();
            p_ = end_;
            return 0;
        }
        SkipSpace();
        const bool negative = At(p_) == '-';
        if (negative) ++p_;
        if (!IsDigit(At(p_))) Refuse("number expected");
        uint32_t n = 0;
        for (; p_ < end_ && IsDigit(*p_); ++p_) n = n * 10 + uint32_t(*p_ - '0');
        Separator();
        return negative ? 0u - n : n;
    }

    // A count of items still to come: each takes at least one byte, so a
    // larger count cannot be real (and would make the importer allocate it).
    uint32_t Count() {
        const uint32_t n = Int();
        if (n > size_t(end_ - p_)) Refuse("a count runs past the end of the data");
        return n;
    }

    float Float() {
        if (binary_) {
            StartNumber(7);
            if (size_t(end_ - p_) < floatSize_) {
                p_ = end_;
                return 0;
            }
            float v;
            if (floatSize_ == 8) {
                double d;
                std::memcpy(&d, p_, 8);
                v = float(d);
            } else {
                std::memcpy(&v, p_, 4);
            }
            p_ += floatSize_;
            return v;
        }
        SkipSpace();
        // What some exporters write for an undefined value reads as zero.
        const size_t skip = StartsWith("-1.#IND00") || StartsWith("1.#IND00") ? 9 : StartsWith("1.#QNAN0") ? 8 : 0;
        if (skip) {
            if (size_t(end_ - p_) < skip) Refuse("cut short in a number");
            p_ += skip;
            Separator();
            return 0;
        }
        const float v = Decimal();
        Separator();
        return v;
    }

    void Floats(int n) {
        for (int i = 0; i < n; ++i) Float();
    }
    // Two to four numbers followed by an optional separator.
    void Vector(int n) {
        Floats(n);
        OptionalSeparator();
    }

    void Separator() {
        if (binary_) return;
        const std::string_view t = Token();
        if (t != "," && t != ";") Refuse("a separator was expected");
    }
    void OptionalSeparator() {
        if (binary_) return;
        SkipSpace();
        if (p_ < end_ && (*p_ == ';' || *p_ == ',')) ++p_;
    }
    void Semicolon() {
        if (!binary_ && Token() != ";") Refuse("';' was expected");
    }
    void ClosingBrace() {
        if (Token() != "}") Refuse("'}' was expected");
    }
    // A separator character right here, with no space before it.
    void SkipSeparatorHere() {
        if (p_ < end_ && *p_ == ';') ++p_;
    }

    // A name and the opening brace of a data object.
    std::string Head() {
        const std::string_view nameOrBrace = Token();
        if (nameOrBrace == "{") return {};
        std::string name(nameOrBrace);
        if (Token() != "{") Refuse("'{' was expected after " + name.substr(0, 64));
        return name;
    }

    // A quoted string closed by '";'.
    std::string String() {
        if (binary_) return std::string(Token());
        SkipSpace();
        if (p_ >= end_) Refuse("cut short before a string");
        if (*p_ != '"') Refuse("a string was expected");
        const uint8_t* start = ++p_;
        while (p_ < end_ && *p_ != '"') ++p_;
        if (p_ + 1 >= end_ || p_[1] != ';') Refuse("unterminated string");
        std::string s = std::string(View(start, p_));
        p_ += 2;
        return s;
    }

    // Skips a data object the importer does not read, up to its closing brace.
    void SkipObject() {
        for (;;) {
            const std::string_view t = Token();
            if (t.empty()) Refuse("cut short in an unknown object");
            if (t == "{") break;
        }
        for (size_t open = 1; open > 0;) {
            const std::string_view t = Token();
            if (t.empty()) Refuse("cut short in an unknown object");
            if (t == "{") ++open;
            if (t == "}") --open;
        }
    }

private:
    static bool IsSpace(uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
    static bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }
    uint8_t At(const uint8_t* q) const { return q < end_ ? *q : 0; }
    static std::string_view View(const uint8_t* a, const uint8_t* b) {
        return {reinterpret_cast<const char*>(a), size_t(b - a)};
    }
    bool StartsWith(const char* s) const {
        const size_t n = std::strlen(s);
        return size_t(end_ - p_) >= n && std::memcmp(p_, s, n) == 0;
    }

    void SkipLine() {
        while (p_ < end_) {
            const uint8_t c = *p_++;
            if (c == '\n' || c == '\r') return;
        }
    }
    void SkipSpace() {
        for (;;) {
            while (p_ < end_ && IsSpace(*p_)) ++p_;
            if (p_ >= end_) return;
            if (*p_ == '#' || (*p_ == '/' && At(p_ + 1) == '/'))
                SkipLine();
            else
                return;
        }
    }

    // Digits as the importer reads them into a 64-bit value; more than it
    // can hold would leave them unread.
    uint64_t Digits(const uint8_t*& c, size_t keep = 19, int* kept = nullptr) {
        if (!IsDigit(At(c))) Refuse("malformed number");
        uint64_t v = 0;
        int n = 0;
        for (; IsDigit(At(c)); ++c) {
            if (size_t(n) == keep) {
                if (!kept) Refuse("a number has too many digits");
                continue;
            }
            v = v * 10 + uint64_t(*c - '0');
            ++n;
        }
        if (kept) *kept = n;
        return v;
    }

    // Sign, digits, a decimal point (or comma) and digits, an exponent. The
    // importer also reads "nan" and "inf"; nothing in a mesh may be either.
    float Decimal() {
        const uint8_t* c = p_;
        const bool negative = At(c) == '-';
        if (negative || At(c) == '+') ++c;
        const auto point = [&](const uint8_t* q) { return (At(q) == '.' || At(q) == ',') && IsDigit(At(q + 1)); };
        if (!IsDigit(At(c)) && !point(c)) Refuse("malformed number");
        float f = 0;
        if (At(c) != '.' && At(c) != ',') f = float(Digits(c));
        if (point(c)) {
            ++c;
            int kept = 0;
            double fraction = double(Digits(c, 15, &kept));
            f += float(fraction / std::pow(10.0, kept));
        } else if (At(c) == '.') {
            ++c;
        }
        if (At(c) == 'e' || At(c) == 'E') {
            ++c;
            const bool down = At(c) == '-';
            if (down || At(c) == '+') ++c;
            const float e = float(Digits(c));
            f *= std::pow(10.0f, down ? -e : e);
        }
        p_ = c;
        return negative ? -f : f;
    }

    uint16_t Word() {
        uint16_t v;
        std::memcpy(&v, p_, 2);
        p_ += 2;
        return v;
    }
    uint32_t DWord() {
        uint32_t v;
        std::memcpy(&v, p_, 4);
        p_ += 4;
        return v;
    }
    void Skip(uint64_t n) {
        if (n > uint64_t(end_ - p_)) Refuse("cut short");
        p_ += n;
    }

    // A number in binary data comes alone or from a list token that serves
    // the reads after it.
    void StartNumber(uint16_t listToken) {
        if (pending_ == 0 && end_ - p_ >= 2) pending_ = Word() == listToken && end_ - p_ >= 4 ? DWord() : 1;
        --pending_;
    }

    std::string_view BinaryToken() {
        if (end_ - p_ < 2) return {};
        const uint16_t token = Word();
        switch (token) {
        case 1:  // name
        case 2: {  // string, then its terminator token
            if (end_ - p_ < 4) return {};
            const uint32_t length = DWord();
            if (length > size_t(end_ - p_)) Refuse("cut short in a name");
            const uint8_t* start = p_;
            p_ += length;
            if (token == 2) Skip(2);
            return View(start, start + length);
        }
        case 3: Skip(4); return "<integer>";
        case 5: Skip(16); return "<guid>";
        case 6:
        case 7: {
            if (end_ - p_ < 4) return {};
            const uint32_t count = DWord();
            Skip(uint64_t(count) * (token == 6 ? 4 : floatSize_));
            return token == 6 ? "<int_list>" : "<flt_list>";
        }
        case 0x0a: return "{";
        case 0x0b: return "}";
        case 0x0c: return "(";
        case 0x0d: return ")";
        case 0x0e: return "[";
        case 0x0f: return "]";
        case 0x10: return "<";
        case 0x11: return ">";
        case 0x12: return ".";
        case 0x13: return ",";
        case 0x14: return ";";
        case 0x1f: return "template";
        default:
            // Keywords of template members.
            if (token >= 0x28 && token <= 0x34) return "<keyword>";
            return {};
        }
    }

    const uint8_t* p_;
    const uint8_t* end_;
    bool binary_;
    size_t floatSize_;
    uint32_t pending_ = 0;  // numbers left in the current binary list
};

struct Object {
    std::string type, name;
    std::vector<double> numbers;
    size_t references = 0;  // { name } entries
    std::vector<std::unique_ptr<Object>> children;
};

// Texture names longer than this are refused: the importer rewrites doubled
// backslashes in them one at a time, from the start each time.
constexpr size_t kMaxTextureName = 1024;
constexpr int kMaxDepth = 256;
// The importer stops with an error past this many sets of texture
// coordinates or colours.
constexpr int kMaxSets = 8;

// The data objects the importer reads, read as it reads them. Numbers the
// later checks need are kept in order in each object.
class Parser {
public:
    explicit Parser(Reader& r) : r_(r) {}

    void File(std::vector<std::unique_ptr<Object>>& top) {
        for (;;) {
            const std::string_view name = r_.Token();
            if (name.empty()) return;
            if (name == "template") {
                Template();
            } else if (name == "Frame") {
                top.push_back(Frame(1));
            } else if (name == "Mesh") {
                top.push_back(Mesh());
            } else if (name == "AnimTicksPerSecond") {
                r_.Head();
                r_.Int();
                r_.ClosingBrace();
            } else if (name == "AnimationSet") {
                top.push_back(AnimationSet());
            } else if (name == "Material") {
                top.push_back(Material());
            } else if (name != "}") {
                r_.SkipObject();
            }
        }
    }

private:
    static std::unique_ptr<Object> Make(const char* type, std::string name) {
        auto o = std::make_unique<Object>();
        o->type = type;
        o->name = std::move(name);
        return o;
    }
    double Int(Object& o) {
        const double v = r_.Int();
        o.numbers.push_back(v);
        return v;
    }
    size_t Count(Object& o) {
        const uint32_t n = r_.Count();
        o.numbers.push_back(n);
        return n;
    }
    void Floats(Object& o, int n) {
        for (int i = 0; i < n; ++i) o.numbers.push_back(r_.Float());
    }

    // A template's members are skipped up to the first closing brace.
    void Template() {
        r_.Head();
        r_.Token();  // its GUID
        for (;;) {
            const std::string_view t = r_.Token();
            if (t == "}") return;
            if (t.empty()) Refuse("cut short in a template");
        }
    }

    std::unique_ptr<Object> Frame(int depth) {
        if (depth > kMaxDepth) Refuse("frames nested deeper than 256");
        auto frame = Make("Frame", r_.Head());
        for (;;) {
            const std::string_view name = r_.Token();
            if (name.empty()) Refuse("cut short in frame " + frame->name);
            if (name == "}") return frame;
            if (name == "Frame") {
                frame->children.push_back(Frame(depth + 1));
            } else if (name == "FrameTransformMatrix") {
                r_.Head();
                r_.Floats(16);
                r_.Semicolon();
                r_.ClosingBrace();
            } else if (name == "Mesh") {
                frame->children.push_back(Mesh());
            } else {
                r_.SkipObject();
            }
        }
    }

    // Faces: a count, then per face its corner count and corners.
    void Faces(Object& o) {
        const size_t faces = Count(o);
        for (size_t f = 0; f < faces; ++f) {
            const size_t corners = Count(o);
            for (size_t k = 0; k < corners; ++k) Int(o);
            r_.OptionalSeparator();
        }
    }

    std::unique_ptr<Object> Mesh() {
        auto mesh = Make("Mesh", r_.Head());
        const size_t vertices = Count(*mesh);
        for (size_t i = 0; i < vertices; ++i) {
            Floats(*mesh, 3);
            r_.OptionalSeparator();
        }
        Faces(*mesh);
        int uvSets = 0, colourSets = 0, materialLists = 0;
        for (;;) {
            const std::string_view name = r_.Token();
            if (name.empty()) Refuse("cut short in mesh " + mesh->name);
            if (name == "}") return mesh;
            if (name == "MeshNormals") {
                auto normals = Make("MeshNormals", r_.Head());
                const size_t count = Count(*normals);
                for (size_t i = 0; i < count; ++i) r_.Vector(3);
                // Only the count is kept of the vectors themselves.
                normals->numbers.resize(normals->numbers.size() + count * 3);
                Faces(*normals);
                r_.ClosingBrace();
                mesh->children.push_back(std::move(normals));
            } else if (name == "MeshTextureCoords") {
                auto uv = Make("MeshTextureCoords", r_.Head());
                if (++uvSets > kMaxSets) Refuse("more than 8 sets of texture coordinates");
                const size_t count = Count(*uv);
                if (count != vertices) Refuse("texture coordinates do not match the vertices");
                for (size_t i = 0; i < count; ++i) r_.Vector(2);
                uv->numbers.resize(uv->numbers.size() + count * 2);
                r_.ClosingBrace();
                mesh->children.push_back(std::move(uv));
            } else if (name == "MeshVertexColors") {
                auto colours = Make("MeshVertexColors", r_.Head());
                if (++colourSets > kMaxSets) Refuse("more than 8 sets of vertex colours");
                const size_t count = Count(*colours);
                if (count != vertices) Refuse("vertex colours do not match the vertices");
                for (size_t i = 0; i < count; ++i) {
                    if (Int(*colours) >= double(vertices)) Refuse("a vertex colour index is out of range");
                    Floats(*colours, 4);
                    r_.OptionalSeparator();
                    r_.OptionalSeparator();  // some exporters write one more
                }
                r_.ClosingBrace();
                mesh->children.push_back(std::move(colours));
            } else if (name == "MeshMaterialList") {
                // The importer would add the second list's indices to the
                // first's and read faces past the last.
                if (++materialLists > 1) Refuse("mesh " + mesh->name + " holds two material lists");
                mesh->children.push_back(MaterialList());
            } else if (name == "XSkinMeshHeader") {
                r_.Head();
                r_.Int();
                r_.Int();
                r_.Int();
                r_.ClosingBrace();
            } else if (name == "SkinWeights") {
                auto skin = Make("SkinWeights", r_.Head());
                r_.String();  // the frame it moves
                const size_t count = Count(*skin);
                for (size_t i = 0; i < count; ++i) Int(*skin);
                Floats(*skin, int(std::min<size_t>(count, INT32_MAX)));
                Floats(*skin, 16);
                r_.Semicolon();
                r_.ClosingBrace();
                mesh->children.push_back(std::move(skin));
            } else {
                r_.SkipObject();
            }
        }
    }

    std::unique_ptr<Object> MaterialList() {
        auto list = Make("MeshMaterialList", r_.Head());
        Int(*list);  // materials
        const size_t count = Count(*list);
        for (size_t i = 0; i < count; ++i) Int(*list);
        if (!r_.Binary()) r_.SkipSeparatorHere();
        for (;;) {
            const std::string_view name = r_.Token();
            if (name.empty()) Refuse("cut short in a material list");
            if (name == "}") return list;
            if (name == "{") {  // a material named by reference
                r_.Token();
                r_.ClosingBrace();
                ++list->references;
            } else if (name == "Material") {
                list->children.push_back(Material());
            } else if (name != ";") {
                r_.SkipObject();
            }
        }
    }

    std::unique_ptr<Object> Material() {
        auto material = Make("Material", r_.Head());
        r_.Vector(4);  // diffuse
        r_.Float();    // power
        r_.Vector(3);  // specular
        r_.Vector(3);  // emissive
        for (;;) {
            const std::string_view name = r_.Token();
            if (name.empty()) Refuse("cut short in material " + material->name);
            if (name == "}") return material;
            if (name == "TextureFilename" || name == "TextureFileName" || name == "NormalmapFilename" ||
                name == "NormalmapFileName") {
                r_.Head();
                if (r_.String().size() > kMaxTextureName) Refuse("a texture name is too long");
                r_.ClosingBrace();
            } else {
                r_.SkipObject();
            }
        }
    }

    std::unique_ptr<Object> AnimationSet() {
        auto set = Make("AnimationSet", r_.Head());
        for (;;) {
            const std::string_view name = r_.Token();
            if (name.empty()) Refuse("cut short in an animation set");
            if (name == "}") return set;
            if (name == "Animation")
                Animation();
            else
                r_.SkipObject();
        }
    }

    void Animation() {
        r_.Head();
        for (;;) {
            const std::string_view name = r_.Token();
            if (name.empty()) Refuse("cut short in an animation");
            if (name == "}") return;
            if (name == "AnimationKey") {
                AnimationKey();
            } else if (name == "{") {  // the frame it moves
                r_.Token();
                r_.ClosingBrace();
            } else {
                r_.SkipObject();
            }
        }
    }

    void AnimationKey() {
        r_.Head();
        const uint32_t type = r_.Int();
        if (type > 4) Refuse("unknown animation key type");
        const uint32_t keys = r_.Count();
        const uint32_t values = type == 0 ? 4 : type <= 2 ? 3 : 16;
        for (uint32_t k = 0; k < keys; ++k) {
            r_.Int();  // time
            if (r_.Int() != values) Refuse("an animation key has the wrong number of values");
            if (type == 1 || type == 2) {
                r_.Vector(3);
            } else {
                r_.Floats(int(values));
                r_.Semicolon();
            }
            r_.Separator();
        }
        r_.ClosingBrace();
    }

    Reader& r_;
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

bool CheckMesh(const Object& mesh, std::string& error) {
    Numbers n(mesh.numbers);
    size_t vertices;
    if (!n.Count(vertices) || !n.Skip(vertices * 3)) return (error = "mesh " + mesh.name + ": bad vertex list"), false;
    std::vector<size_t> faces, normalFaces;
    if (!CheckFaces(n, vertices, true, faces))
        return (error = "mesh " + mesh.name + ": a face index is out of range"), false;
    // Normal faces shaped as the faces, one material index per face (or one
    // for all) naming a material the list holds.
    for (const auto& child : mesh.children) {
        const Object& c = *child;
        Numbers cn(c.numbers);
        size_t count;
        bool ok = true;
        if (c.type == "MeshNormals") {
            ok = cn.Count(count) && cn.Skip(count * 3) && CheckFaces(cn, count, false, normalFaces) &&
                 normalFaces == faces;
        } else if (c.type == "MeshMaterialList") {
            // Indices must name a material the list really holds, inline or by
            // reference.
            double declared = 0;
            ok = cn.Take(declared) && cn.Count(count) && (count == faces.size() || count == 1);
            size_t held = c.references;
            for (const auto& m : c.children) held += m->type == "Material";
            const size_t materials = std::min(size_t(std::max(declared, 0.0)), held);
            for (size_t i = 0; ok && i < count; ++i) ok = cn.Index(materials);
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
    std::vector<std::unique_ptr<Object>> top;
    try {
        Reader reader(bytes, size, format == "bin ", floats == "0064" ? 8 : 4);
        Parser(reader).File(top);
    } catch (const Refused& refused) {
        error = refused.why;
        return false;
    }
    // Meshes outside every frame go to the root frame, where the importer
    // drops (and leaks) the list of the root's own meshes.
    size_t frames = 0, looseMeshes = 0;
    bool rootHasMeshes = false;
    for (const auto& object : top) {
        looseMeshes += object->type == "Mesh";
        if (object->type != "Frame") continue;
        ++frames;
        for (const auto& c : object->children) rootHasMeshes |= c->type == "Mesh";
    }
    if (looseMeshes > 0 && frames == 1 && rootHasMeshes) {
        error = "meshes both in the root frame and outside every frame";
        return false;
    }
    for (const auto& object : top)
        if (!Walk(*object, "", scan, error)) return false;
    return true;
}

}  // namespace orv::d3dx9
