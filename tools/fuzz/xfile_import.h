// The `.x` checking pass, then the importer on what it lets through.
#pragma once
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <assimp/Importer.hpp>
#include <string>

#include "platform/d3dx9/mesh_xscan.h"

namespace fuzz {

inline void ScanAndImport(const void* data, size_t size) {
    orv::d3dx9::XScan scan;
    std::string error;
    if (!orv::d3dx9::ScanXFile(data, size, scan, error)) return;
    Assimp::Importer importer;
    importer.ReadFileFromMemory(data, size,
                                aiProcess_ConvertToLeftHanded | aiProcess_Triangulate | aiProcess_ValidateDataStructure,
                                "x");
}

}  // namespace fuzz
