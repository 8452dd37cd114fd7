// The `.x` checking pass against the importer it guards. The importer keeps
// what it has built when it stops on an error, so the pass must refuse
// every file the importer would stop on, and the importer must read every
// file the pass lets through.
#include <gtest/gtest.h>

#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <assimp/Importer.hpp>
#include <string>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "platform/d3dx9/mesh_xscan.h"
#include "platform/d3dxassets/assets_fixture.h"

namespace {

using assets::Replace;

bool Scans(const std::string& file) {
    orv::d3dx9::XScan scan;
    std::string error;
    return orv::d3dx9::ScanXFile(file.data(), file.size(), scan, error);
}

// The importer's error, empty when it read the file. A file without frames
// or meshes is refused after the importer has let go of what it read; that
// is no stop in the middle of the file.
std::string ImporterStop(const std::string& file) {
    Assimp::Importer importer;
    if (importer.ReadFileFromMemory(file.data(), file.size(),
                                    aiProcess_ConvertToLeftHanded | aiProcess_Triangulate |
                                        aiProcess_ValidateDataStructure,
                                    "x"))
        return {};
    const std::string error = importer.GetErrorString();
    if (error.find("Validation failed") != std::string::npos || error == "No root node") return {};
    return error.empty() ? "failed" : error;
}

// The importer leaks its half-built scene when it stops part-way, which is why
// the game scans first; reading a damaged file on purpose keeps that leak out
// of the sanitizer's report.
std::string ImporterStopOnDamagedFile(const std::string& file) {
#if defined(__SANITIZE_ADDRESS__)
    __lsan::ScopedDisabler importerLeaks;
#endif
    return ImporterStop(file);
}

TEST(XScan, RefusesWhatTheImporterStopsOn) {
    const std::string text = assets::SkinnedXText();
    ASSERT_TRUE(Scans(text));
    ASSERT_EQ(ImporterStop(text), "");
    const struct {
        const char* name;
        std::string file;
    } cases[] = {
        {"a number without its separator", Replace(text, "20.0; 0.5", "20.0 0.5")},
        {"a separator where a number belongs", Replace(text, "6; 0.0;0.0;0.0;,", "6; ;0.0;0.0;,")},
        {"a decimal where a whole number belongs", Replace(text, "3;0,1,2;,", "3;0,1.0,2;,")},
        {"two numbers joined by a decimal comma", Replace(text, "6; 0.0;0.0;0.0;,", "6; 0,0;0.0;,")},
        {"a string closed apart from its ';'", Replace(text, "\"red.png\";", "\"red.png\" ;")},
        {"an exponent without digits", Replace(text, "20.0; 0.5", "20.0e; 0.5")},
        {"an animation key of an unknown kind", Replace(text, "AnimationKey { 2; 1;", "AnimationKey { 7; 1;")},
        {"an animation key with too few values", Replace(text, "0;3;0.0,8.0,0.0;;;", "0;2;0.0,8.0;;;")},
        {"a tick rate without its separator", Replace(text, "AnimTicksPerSecond { 100; }", "AnimTicksPerSecond { 100 }")},
        {"a template never closed", text.substr(0, text.find("DWORD value;"))},
        {"nine sets of texture coordinates",
         Replace(text, "MeshTextureCoords {",
                 [] {
                     std::string sets;
                     for (int i = 0; i < 8; ++i)
                         sets += "MeshTextureCoords { 6; 0.0;1.0;, 0.5;1.0;, 0.5;0.0;, 0.0;0.0;, 1.0;1.0;, 1.0;0.0;; }\n";
                     return sets + "MeshTextureCoords {";
                 }())},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NE(ImporterStopOnDamagedFile(c.file), "");
        EXPECT_FALSE(Scans(c.file));
    }
    // Refused without asking the importer: a count far past the data it would
    // allocate before it noticed; a second material list it would append to
    // the first, then read faces past the last.
    EXPECT_FALSE(Scans(Replace(text, "6; 0.0;0.0;0.0;,", "4000000000; 0.0;0.0;0.0;,")));
    EXPECT_FALSE(Scans(Replace(text, "MeshMaterialList { 2;",
                               "MeshMaterialList { 1; 1; 0;; { Red } }\nMeshMaterialList { 2;")));
    // Meshes outside every frame join the root frame's own, and the importer
    // loses the list of those.
    const std::string triangle = "{ 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;; }\n";
    const std::string framed = "xof 0303txt 0032\nFrame Root { Mesh A " + triangle + "}\n";
    EXPECT_TRUE(Scans(framed));
    EXPECT_TRUE(Scans(framed + "Frame Other { }\nMesh B " + triangle));
    EXPECT_FALSE(Scans(framed + "Mesh B " + triangle));
    EXPECT_FALSE(Scans(Replace(text, "\"red.png\"", "\"" + std::string(2000, '\\') + "\"")));
}

TEST(XScan, WhatItLetsThroughTheImporterReads) {
    const std::string text = assets::SkinnedXText();
    const std::string binary = assets::ToBinaryX(text);
    // Both skip the rest of the header line and a stray closing brace
    // between data objects.
    const std::string loose = "xof 0303txt 0032 Wrap {" + text.substr(16) + "}";
    EXPECT_TRUE(Scans(loose));
    EXPECT_EQ(ImporterStop(loose), "");

    // Cuts and single-byte changes of a whole file, as text and as binary.
    const char text_bytes[] = {';', ',', ' ', '{', '}', '0', '-', '.', '"', 'e', '#'};
    const char binary_bytes[] = {0, 1, 3, 6, 7, 0x0a, 0x0b, 0x14, '\x7f', '\xff'};
    size_t accepted = 0;
    for (const std::string* file : {&text, &binary}) {
        const bool isText = file == &text;
        std::vector<std::string> variants;
        for (size_t n = 16; n < file->size(); n += 61) variants.push_back(file->substr(0, n));
        for (size_t at = 16; at < file->size(); at += 7)
            for (char c : isText ? std::string(text_bytes, sizeof text_bytes)
                                 : std::string(binary_bytes, sizeof binary_bytes)) {
                std::string changed = *file;
                changed[at] = c;
                variants.push_back(changed);
            }
        for (const std::string& v : variants) {
            if (!Scans(v)) continue;
            ++accepted;
            const std::string stop = ImporterStop(v);
            ASSERT_EQ(stop, "") << (isText ? v : "(binary)");
        }
    }
    // Many changes leave a file whole (a digit for a digit, a space for a space).
    EXPECT_GT(accepted, 100u);
}

}  // namespace
