// The game's kinds of mesh load task: each loads a mesh like
// Quorvex::LoadTask_Mesh and then prepares it in its own way.
#pragma once
#include "engine/assets/LoadTask.h"

// Meshes drawn by the 3D-sprite effect (unlit, textured, coloured, fogged).
class LoadTask_MeshSpr3D : public Quorvex::LoadTask_Mesh {
public:
    using Quorvex::LoadTask_Mesh::LoadTask_Mesh;
    // The mesh's shader becomes "Spr3DDefaultShader" (none when that shader is
    // missing): 0.
    int OnLoaded(Quorvex::MeshUnit* mesh) override;
};

// The normal-mapped ground blocks.
class LoadTask_Ground2 : public Quorvex::LoadTask_Mesh {
public:
    using Quorvex::LoadTask_Mesh::LoadTask_Mesh;
    // Tangent frames for the whole mesh; then the material of the part
    // "Mesh_ground_2_v002" gets the normal map of "./data/texture/ground2.bmp".
    // A missing part or normal map is no failure: 0.
    int OnLoaded(Quorvex::MeshUnit* mesh) override;
};

// The player's machines: extrusion meshes for the motion-blur pass.
class LoadTask_Velrin : public Quorvex::LoadTask_Mesh {
public:
    // "Mesh_Velrin" from "./data/model/velrin.x".
    LoadTask_Velrin(Quorvex::IResourceManager* holder, DWORD key);
    // Builds the extrusion meshes of every part: 0 whatever that reports.
    int OnLoaded(Quorvex::MeshUnit* mesh) override;
};

class LoadTask_Toska : public Quorvex::LoadTask_Mesh {
public:
    // "Mesh_Toska" from "./data/model/toska.x".
    LoadTask_Toska(Quorvex::IResourceManager* holder, DWORD key);
    // As LoadTask_Velrin.
    int OnLoaded(Quorvex::MeshUnit* mesh) override;
};
