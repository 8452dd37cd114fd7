// Inputs the texture and mesh tests make for themselves: PNG and BMP files,
// a `.x` file with frames, materials, a skin and animation sets (as text and
// as binary), and an allocator that records what the loader builds.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3d9/device_fixture.h"
#include "platform/d3dx9/d3dx9.h"

namespace assets {

// ---- Images ---------------------------------------------------------------------------

inline void Put32be(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}
inline void Put32le(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 0; s < 32; s += 8) out.push_back(uint8_t(v >> s));
}

inline uint32_t Crc32(const uint8_t* p, size_t n) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

// A PNG of RGBA8 pixels (r, g, b, a bytes, rows top first); with alpha false
// the file is RGB and the alpha bytes are dropped. Compressed with stored
// deflate blocks, which every reader takes.
inline std::vector<uint8_t> MakePng(int w, int h, const std::vector<uint8_t>& rgba, bool alpha = true) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < (alpha ? 4 : 3); ++c) raw.push_back(rgba[(size_t(y) * w + x) * 4 + c]);
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    for (size_t at = 0; at < raw.size() || at == 0;) {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        z.push_back(at + n == raw.size() ? 1 : 0);
        z.push_back(uint8_t(n));
        z.push_back(uint8_t(n >> 8));
        z.push_back(uint8_t(~n));
        z.push_back(uint8_t(~n >> 8));
        z.insert(z.end(), raw.begin() + at, raw.begin() + at + n);
        at += n;
        if (raw.empty()) break;
    }
    uint32_t a = 1, b = 0;
    for (uint8_t v : raw) a = (a + v) % 65521, b = (b + a) % 65521;
    Put32be(z, b << 16 | a);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    auto chunk = [&](const char* type, const std::vector<uint8_t>& data) {
        Put32be(png, uint32_t(data.size()));
        const size_t start = png.size();
        png.insert(png.end(), type, type + 4);
        png.insert(png.end(), data.begin(), data.end());
        Put32be(png, Crc32(&png[start], png.size() - start));
    };
    std::vector<uint8_t> ihdr;
    Put32be(ihdr, uint32_t(w));
    Put32be(ihdr, uint32_t(h));
    ihdr.insert(ihdr.end(), {8, uint8_t(alpha ? 6 : 2), 0, 0, 0});
    chunk("IHDR", ihdr);
    chunk("IDAT", z);
    chunk("IEND", {});
    return png;
}

// A 24-bit uncompressed BMP of the same pixels (alpha dropped).
inline std::vector<uint8_t> MakeBmp(int w, int h, const std::vector<uint8_t>& rgba) {
    const int rowBytes = (w * 3 + 3) & ~3;
    std::vector<uint8_t> bmp = {'B', 'M'};
    Put32le(bmp, uint32_t(54 + rowBytes * h));
    Put32le(bmp, 0);
    Put32le(bmp, 54);
    Put32le(bmp, 40);
    Put32le(bmp, uint32_t(w));
    Put32le(bmp, uint32_t(h));
    bmp.insert(bmp.end(), {1, 0, 24, 0});
    for (int i = 0; i < 6; ++i) Put32le(bmp, i == 1 ? uint32_t(rowBytes * h) : 0);
    for (int y = h - 1; y >= 0; --y) {  // bottom row first
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = &rgba[(size_t(y) * w + x) * 4];
            bmp.insert(bmp.end(), {p[2], p[1], p[0]});
        }
        bmp.insert(bmp.end(), size_t(rowBytes - w * 3), 0);
    }
    return bmp;
}

// Level `level` of a texture as A8R8G8B8 values, rows top first.
inline std::vector<D3DCOLOR> ReadTexels(IDirect3DTexture9* texture, UINT level, UINT& w, UINT& h) {
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(level, &desc);
    w = desc.Width;
    h = desc.Height;
    std::vector<D3DCOLOR> out(size_t(w) * h);
    D3DLOCKED_RECT locked{};
    if (texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY) != D3D_OK) return {};
    for (UINT y = 0; y < h; ++y)
        std::memcpy(&out[size_t(y) * w], static_cast<const uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch, w * 4);
    texture->UnlockRect(level);
    return out;
}

// ---- `.x` files ---------------------------------------------------------------------------

constexpr int kBones = 30;
constexpr int kSegments = 30;

inline std::string Matrix(const D3DXMATRIX& m) {
    std::string s = "FrameTransformMatrix { ";
    char buf[32];
    for (int i = 0; i < 16; ++i) {
        std::snprintf(buf, sizeof buf, "%.6f%s", (&m._11)[i], i == 15 ? ";; }\n" : ",");
        s += buf;
    }
    return s;
}

inline D3DXMATRIX Translation(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}

// The body frame's own transformation: a quarter turn about y, then up 5.
inline D3DXMATRIX BodyMatrix() {
    D3DXMATRIX r;
    D3DXMatrixRotationY(&r, D3DX_PI / 2);
    return r * Translation(0, 5, 0);
}

// Texture name of the second material: Shift-JIS bytes, kept as they are.
inline const char* kBlueTexture = "\x90\xc2.png";

// Frames Root (translated by 10, 20, 30) with children Body (BodyMesh: two
// quads sharing an edge, two textured materials), Skin (SkinMesh: a strip
// of 30 segments, 62 vertices, weighted to 30 bones) and Bone00..Bone29.
// Animation sets Walk and Idle (below). Floats are written with a point, integers
// without, so the text can be turned into binary.
inline std::string SkinnedXText() {
    std::string x = "xof 0303txt 0032\n";
    x += "template Marker { <01234567-89ab-cdef-0123-456789abcdef> DWORD value; }\n";
    x += "Frame Root {\n" + Matrix(Translation(10, 20, 30));
    x += "Frame Body {\n" + Matrix(BodyMatrix());
    x += "Mesh BodyMesh {\n6; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;1.0;0.0;, 0.0;1.0;0.0;, 2.0;0.0;0.0;, 2.0;1.0;0.0;;\n";
    x += "4; 3;0,1,2;, 3;0,2,3;, 3;1,4,5;, 3;1,5,2;;\n";
    x += "MeshNormals { 1; 0.0;0.0;-1.0;; 4; 3;0,0,0;, 3;0,0,0;, 3;0,0,0;, 3;0,0,0;; }\n";
    x += "MeshTextureCoords { 6; 0.0;1.0;, 0.5;1.0;, 0.5;0.0;, 0.0;0.0;, 1.0;1.0;, 1.0;0.0;; }\n";
    x += "MeshMaterialList { 2; 4; 0,0,1,1;;\n";
    x += "Material Red { 1.0;0.0;0.0;1.0;; 20.0; 0.5;0.5;0.5;; 0.25;0.0;0.0;; TextureFilename { \"red.png\"; } }\n";
    x += std::string("Material Blue { 0.0;0.0;1.0;0.5;; 8.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { \"") +
         kBlueTexture + "\"; } }\n}\n";
    x += "}\n}\n";  // BodyMesh, Body

    x += "Frame Skin {\n" + Matrix(Translation(0, 0, 0));
    x += "Mesh SkinMesh {\n" + std::to_string(2 * (kSegments + 1)) + ";\n";
    for (int i = 0; i <= kSegments; ++i)
        x += std::to_string(i) + ".0;0.0;0.0;, " + std::to_string(i) + ".0;1.0;0.0;" + (i == kSegments ? ";\n" : ",\n");
    x += std::to_string(2 * kSegments) + ";\n";
    for (int i = 0; i < kSegments; ++i) {
        const int a = 2 * i, b = 2 * i + 1, c = 2 * i + 2, d = 2 * i + 3;
        x += "3;" + std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c) + ";, 3;" +
             std::to_string(c) + "," + std::to_string(b) + "," + std::to_string(d) + (i + 1 == kSegments ? ";;\n" : ";,\n");
    }
    x += "MeshMaterialList { 1; " + std::to_string(2 * kSegments) + "; ";
    for (int f = 0; f < 2 * kSegments; ++f) x += f + 1 < 2 * kSegments ? "0," : "0;;";
    x += " Material Grey { 0.5;0.5;0.5;1.0;; 1.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; } }\n";
    x += "XSkinMeshHeader { 2; 4; " + std::to_string(kBones) + "; }\n";
    // Bone i holds the even vertex 2i fully and the odd vertex 2i+1 at 0.75;
    // the odd vertex's other 0.25 goes to bone i+1. The last pair goes to the
    // last bone.
    for (int b = 0; b < kBones; ++b) {
        std::vector<std::pair<int, std::string>> w;
        w.push_back({2 * b, "1.0"});
        w.push_back({2 * b + 1, b + 1 < kBones ? "0.75" : "1.0"});
        if (b > 0) w.push_back({2 * b - 1, "0.25"});
        if (b + 1 == kBones) w.push_back({2 * b + 2, "1.0"}), w.push_back({2 * b + 3, "1.0"});
        char name[16];
        std::snprintf(name, sizeof name, "Bone%02d", b);
        x += std::string("SkinWeights { \"") + name + "\"; " + std::to_string(w.size()) + "; ";
        for (size_t i = 0; i < w.size(); ++i) x += std::to_string(w[i].first) + (i + 1 < w.size() ? ", " : "; ");
        for (size_t i = 0; i < w.size(); ++i) x += w[i].second + (i + 1 < w.size() ? ", " : "; ");
        const std::string m = Matrix(Translation(-float(b), 0, 0));
        x += m.substr(std::strlen("FrameTransformMatrix { "));  // the 16 floats and ";; }"
    }
    x += "}\n}\n";  // SkinMesh, Skin
    for (int b = 0; b < kBones; ++b) {
        char name[16];
        std::snprintf(name, sizeof name, "Bone%02d", b);
        x += std::string("Frame ") + name + " {\n" + Matrix(Translation(float(b), 0, 0)) + "}\n";
    }
    x += "}\n";  // Root
    x += "AnimTicksPerSecond { 100; }\n";
    // Walk: Body turns from no rotation to the file quaternion (w 0.7071068,
    // y 0.7071068) and moves from (0, 5, 0) to (10, 5, 4) over 100 ticks.
    x += "AnimationSet Walk {\nAnimation { {Body}\n";
    x += "AnimationKey { 0; 2; 0;4;1.0,0.0,0.0,0.0;;, 100;4;0.7071068,0.0,0.7071068,0.0;;; }\n";
    x += "AnimationKey { 2; 2; 0;3;0.0,5.0,0.0;;, 100;3;10.0,5.0,4.0;;; }\n}\n}\n";
    x += "AnimationSet Idle {\nAnimation { {Body}\nAnimationKey { 2; 1; 0;3;0.0,8.0,0.0;;; }\n}\n}\n";
    return x;
}

// The file with the first `from` replaced by `to` (a failed expectation when
// there is none).
inline std::string Replace(std::string s, const std::string& from, const std::string& to) {
    const size_t at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) s.replace(at, from.size(), to);
    return s;
}

// The same file in the binary format: names, strings, integer and float
// lists, braces; templates with their keywords.
inline std::string ToBinaryX(const std::string& text) {
    std::string out = "xof 0303bin 0032";
    auto word = [&](uint16_t v) { out.append(reinterpret_cast<const char*>(&v), 2); };
    auto dword = [&](uint32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); };
    std::vector<uint32_t> ints;
    std::vector<float> floats;
    auto flush = [&] {
        if (!ints.empty()) {
            word(6), dword(uint32_t(ints.size()));
            for (uint32_t v : ints) dword(v);
            ints.clear();
        }
        if (!floats.empty()) {
            word(7), dword(uint32_t(floats.size()));
            for (float f : floats) out.append(reinterpret_cast<const char*>(&f), 4);
            floats.clear();
        }
    };
    size_t i = text.find('\n') + 1;
    while (i < text.size()) {
        const char c = text[i];
        if (std::strchr(" \t\r\n,;", c)) {
            ++i;
            continue;
        }
        if (c == '{' || c == '}') {
            flush();
            word(c == '{' ? 0x0a : 0x0b);
            ++i;
        } else if (c == '<') {
            flush();
            word(5);
            out.append(16, '\0');
            i = text.find('>', i) + 1;
        } else if (c == '"') {
            flush();
            const size_t end = text.find('"', i + 1);
            word(2), dword(uint32_t(end - i - 1));
            out += text.substr(i + 1, end - i - 1);
            word(0x14);
            i = end + 1;
        } else {
            size_t end = i;
            while (end < text.size() && !std::strchr(" \t\r\n,;{}\"<", text[end])) ++end;
            const std::string token = text.substr(i, end - i);
            i = end;
            const bool number = std::isdigit(uint8_t(token[0])) || token[0] == '-';
            if (number && token.find('.') != std::string::npos) {
                if (!ints.empty()) flush();
                floats.push_back(std::stof(token));
            } else if (number) {
                if (!floats.empty()) flush();
                ints.push_back(uint32_t(std::stoul(token)));
            } else {
                flush();
                if (token == "template") word(0x1f);
                else if (token == "DWORD") word(0x29);
                else word(1), dword(uint32_t(token.size())), out += token;
            }
        }
    }
    flush();
    return out;
}

// ---- Allocator ------------------------------------------------------------------------------

// Builds plain frames and containers, keeping copies as D3DX's callers do,
// and counts what is alive. FailContainerAfter makes the n-th container fail.
class RecordingAllocator : public ID3DXAllocateHierarchy {
public:
    int liveFrames = 0;
    int liveContainers = 0;
    int containersMade = 0;
    int failContainerAt = -1;

    HRESULT STDMETHODCALLTYPE CreateFrame(LPCSTR name, LPD3DXFRAME* out) override {
        auto* f = new D3DXFRAME{};
        f->Name = name ? strdup(name) : nullptr;
        D3DXMatrixIdentity(&f->TransformationMatrix);
        ++liveFrames;
        *out = f;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateMeshContainer(LPCSTR name, const D3DXMESHDATA* data,
                                                  const D3DXMATERIAL* materials, const D3DXEFFECTINSTANCE*,
                                                  DWORD count, const DWORD* adjacency, LPD3DXSKININFO skin,
                                                  LPD3DXMESHCONTAINER* out) override {
        *out = nullptr;
        if (containersMade++ == failContainerAt) return E_OUTOFMEMORY;
        auto* c = new D3DXMESHCONTAINER{};
        c->Name = name ? strdup(name) : nullptr;
        c->MeshData = *data;
        data->pMesh->AddRef();
        c->NumMaterials = count;
        if (count) {
            c->pMaterials = new D3DXMATERIAL[count];
            for (DWORD i = 0; i < count; ++i) {
                c->pMaterials[i] = materials[i];
                if (materials[i].pTextureFilename) c->pMaterials[i].pTextureFilename = strdup(materials[i].pTextureFilename);
            }
        }
        const DWORD faces = data->pMesh->GetNumFaces();
        c->pAdjacency = new DWORD[faces * 3];
        std::memcpy(c->pAdjacency, adjacency, faces * 3 * sizeof(DWORD));
        c->pSkinInfo = skin;
        if (skin) skin->AddRef();
        ++liveContainers;
        *out = c;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DestroyFrame(LPD3DXFRAME f) override {
        free(f->Name);
        delete f;
        --liveFrames;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DestroyMeshContainer(LPD3DXMESHCONTAINER c) override {
        free(c->Name);
        for (DWORD i = 0; i < c->NumMaterials; ++i) free(c->pMaterials[i].pTextureFilename);
        delete[] c->pMaterials;
        delete[] c->pAdjacency;
        if (c->MeshData.pMesh) c->MeshData.pMesh->Release();
        if (c->pSkinInfo) c->pSkinInfo->Release();
        delete c;
        --liveContainers;
        return S_OK;
    }
};

}  // namespace assets
