// What the mesh, skin and `.x` code share: vertex formats, element
// conversion and meshes as plain arrays. Platform-internal.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/d3dx9/mesh.h"

namespace orv::d3dx9 {

// A declaration (with its end marker), its vertex size and its FVF code (0
// when it has none).
struct VertexFormat {
    std::vector<D3DVERTEXELEMENT9> elements;
    UINT stride = 0;
    DWORD fvf = 0;

    // The element of that usage, or null.
    const D3DVERTEXELEMENT9* Find(BYTE usage, BYTE index = 0) const;
};

// Checks a declaration for what meshes take (one stream, known types,
// elements inside the vertex, no usage twice) and fills `format`.
bool MakeFormat(const D3DVERTEXELEMENT9* declaration, VertexFormat& format);
bool MakeFormatFromFvf(DWORD fvf, VertexFormat& format);

// Bytes of an element of this type, 0 for an unknown type.
UINT ElementSize(BYTE type);
// An element's value as four floats (missing components 0, w 1); D3DCOLOR
// reads as r, g, b, a in 0..1, UBYTE4 and SHORTn as plain numbers.
void ReadElement(BYTE type, const uint8_t* source, float value[4]);
void WriteElement(BYTE type, const float value[4], uint8_t* dest);

// A mesh as arrays: vertices of format.stride bytes, three indices per face,
// one attribute id per face, and the attribute table (empty when the mesh
// has none).
struct MeshArrays {
    VertexFormat format;
    DWORD options = 0;
    std::vector<uint8_t> vertices;
    std::vector<uint32_t> indices;
    std::vector<DWORD> attributes;
    std::vector<D3DXATTRIBUTERANGE> table;

    DWORD NumVertices() const { return format.stride ? static_cast<DWORD>(vertices.size() / format.stride) : 0; }
    DWORD NumFaces() const { return static_cast<DWORD>(attributes.size()); }
    D3DXVECTOR3 Position(DWORD vertex) const;
};

// Reads a mesh of this library.
HRESULT ReadMesh(ID3DXBaseMesh* mesh, MeshArrays& arrays);
// A new mesh holding the arrays (16-bit indices unless the options ask for 32
// or there are more than 65,535 vertices). Indices must be below the vertex
// count.
HRESULT BuildMesh(IDirect3DDevice9* device, const MeshArrays& arrays, ID3DXMesh** mesh);

// Faces stably sorted by attribute id, the attribute table rebuilt from them;
// faceRemap (optional) receives, per new face, the old one.
void SortByAttribute(MeshArrays& arrays, std::vector<DWORD>* faceRemap);
// The attribute table of faces already sorted by attribute id.
std::vector<D3DXATTRIBUTERANGE> TableOf(const MeshArrays& arrays);

// One entry per vertex: the lowest index of a vertex whose position lies
// within epsilon on every axis.
std::vector<DWORD> PointReps(const MeshArrays& arrays, float epsilon);
// Adjacency (three entries per face, UINT_MAX at an open edge) from point
// representatives.
std::vector<DWORD> AdjacencyFromPointReps(const MeshArrays& arrays, const std::vector<DWORD>& reps);

}  // namespace orv::d3dx9
