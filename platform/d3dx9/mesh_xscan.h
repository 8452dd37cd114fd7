// A first pass over `.x` data (text or binary) before the importer sees it:
// it walks the data objects, checks every index and weight the importer
// would trust, and notes what the importer loses (mesh names, whether a mesh
// has a material list). Platform-internal.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace orv::d3dx9 {

struct XMeshNote {
    std::string frame;  // name of the enclosing frame ("" at the top level)
    std::string name;   // the mesh's own name ("" when it has none)
    bool hasMaterialList = false;
};

struct XScan {
    std::vector<XMeshNote> meshes;  // in file order
    bool hasAnimationSets = false;
};

// False (with the reason in `error`) for data that is not an uncompressed
// `.x` file, is cut short, nests deeper than 256, holds a byte that cannot
// stand in text or a number the importer cannot read, holds a face, normal,
// colour, material or skin index past its array, counts the importer insists
// on that disagree, or a negative or non-finite skin weight. Linear in the
// size of the data.
bool ScanXFile(const void* data, size_t size, XScan& scan, std::string& error);

}  // namespace orv::d3dx9
