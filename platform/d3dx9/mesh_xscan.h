// A first pass over `.x` data (text or binary) before the importer sees it:
// it reads the data objects step by step as the importer does, checks every
// index and weight the importer would trust, and notes what the importer
// loses (mesh names, whether a mesh has a material list). Platform-internal.
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
// `.x` file; that the importer would stop on part of the way (it keeps what
// it has built then): a separator, number, string, brace or count out of its
// place, data cut short; that holds a byte that cannot stand in text, frames
// nested deeper than 256, a count larger than the data left; or that holds a
// face, normal, colour, material or skin index past its array, normal faces
// shaped unlike the faces, a negative or non-finite skin weight, or mesh
// lists the importer would mix up. Linear in the size of the data.
bool ScanXFile(const void* data, size_t size, XScan& scan, std::string& error);

}  // namespace orv::d3dx9
