// Immediate mesh draws of render objects: called from RenderObject::Draw on
// the main thread while the command list is replayed.
#pragma once
#include "platform/d3dx9/d3dx9.h"

namespace Quorvex {

class CalcVertexSet;
class MeshInfo;

// Draws the record's mesh at the world matrix: the record's pose and layers
// are installed for the draw and removed again afterwards. Nothing when the
// record has no loaded mesh.
void DrawMeshInfo(MeshInfo& record, const D3DXMATRIX& world);
// Stores the world matrix in the record and draws it (DrawMeshInfo); the
// command list is the caller's and gets nothing.
void PushMesh(CalcVertexSet* list, MeshInfo& record, const D3DXMATRIX& world);

}  // namespace Quorvex
