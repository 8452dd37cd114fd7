// The command list of one job record: the draw commands, vertices and 16-bit
// indices its render objects write in one stage's pass, and the sprite batch
// state the draw builders keep while writing.
#pragma once
#include <vector>

#include "engine/core/render/RenderCommand.h"
#include "platform/d3dx9/d3dx9.h"

namespace Quorvex {

class ObjectManager;
class IShader;
class MaterialUnit;

// The shared vertex format: position, ARGB colour, one texture pair.
struct SpriteVertex {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};
static_assert(sizeof(SpriteVertex) == 24);

struct CalcVertexSet {
    static constexpr int VertexSize = static_cast<int>(sizeof(SpriteVertex));
    static constexpr int IndexSize = 2;
    // Indices are 16-bit and count from the job's first vertex, so a job never
    // holds more vertices than they address.
    static constexpr int MaxVertexBytes = 65536 * VertexSize;
    // Room of the builders' work area, in vertices.
    static constexpr int WorkVertices = 255;

    CalcVertexSet() = default;
    CalcVertexSet(const CalcVertexSet&) = delete;
    CalcVertexSet& operator=(const CalcVertexSet&) = delete;

    // Sizes the scratch arrays (vertex bytes clamped to MaxVertexBytes,
    // negative sizes taken as 0) and resets.
    void Allocate(int vertexBytes, int indexBytes, int commandCapacity);
    // Counters 0, no batch open, no preset requested yet, the environment's
    // aspect ratio taken again; capacities are kept.
    void Reset();

    // True when vertexCount more vertices and indexCount more indices fit
    // (each scratch stays strictly below its capacity, as the builders
    // require) and commandCount more commands fit the command array.
    bool HasRoom(int vertices, int indices, int commands) const;

    SpriteVertex* Vertices() { return reinterpret_cast<SpriteVertex*>(vertexScratch.data()); }
    const SpriteVertex* Vertices() const { return reinterpret_cast<const SpriteVertex*>(vertexScratch.data()); }
    WORD* Indices() { return reinterpret_cast<WORD*>(indexScratch.data()); }
    const WORD* Indices() const { return reinterpret_cast<const WORD*>(indexScratch.data()); }
    int GetIndexCount() const { return indexBytes / IndexSize; }

    ObjectManager* owner = nullptr;

    int vertexCapacity = 0;  // bytes
    int vertexBytes = 0;     // written this pass
    std::vector<BYTE> vertexScratch;
    int vertexCount = 0;     // its low 16 bits are the index of the next vertex

    int indexCapacity = 0;   // bytes
    int indexBytes = 0;
    std::vector<BYTE> indexScratch;
    int indexSize = IndexSize;

    int commandCapacity = 0;
    int commandCount = 0;
    std::vector<RenderCommand> commands;

    // The open sprite batch: its texture set and effect. Whether a batch is
    // open is kept apart from the texture set, so that sprites without a
    // texture batch too, and a preset change or a draw-object command still
    // draws what they gathered.
    bool batchOpen = false;
    MaterialUnit* batchTextureSet = nullptr;
    IShader* batchShader = nullptr;
    // Last preset requested in this pass. A pass starts with none: the device
    // keeps what the stage's group set, and the first request always draws
    // what was batched before it. (Assuming a preset instead would let the
    // geometry of a job record's first objects be drawn under a preset that
    // depends on how the stage was split over the records.)
    static constexpr int NoPreset = 0;
    int renderStatePreset = NoPreset;
    float aspect = 16.0f / 9.0f;
    float inverseAspect = 9.0f / 16.0f;

    // The effects the builders batch under ("Spr3DDefaultShader", "Sprite2D",
    // "MeshDefaultShader") and the 2D effect's vertex declaration, looked up
    // by name once per stage pass by the owner; null when not registered.
    IShader* spriteEffect = nullptr;
    IShader* sprite2DEffect = nullptr;
    IShader* meshEffect = nullptr;
    IDirect3DVertexDeclaration9* sprite2DDeclaration = nullptr;

    // Work area of the builders.
    SpriteVertex work[WorkVertices];
};

}  // namespace Quorvex
