// World positions as grid cell + offset per axis, the process-wide grid
// tables they are measured with, and the start-up set-up of those tables.
#pragma once
#include <cstdint>

#include "platform/d3d9/d3d9.h"
#include "platform/d3dx9/d3dx9.h"

namespace Quorvex {

struct Int3 {
    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;
};

// One entry per axis (x, y, z). Written on the main thread between frames,
// read by the job threads while the main thread waits for them.
struct WorldGridTables {
    float cellSize[3];
    float halfCellSize[3];
    float invCellSize[3];
    float outerSize[3];      // width of the band in which an offset is left alone
    float halfOuterSize[3];
    float lowerBound[3];     // half cell - half outer
    float upperBound[3];     // half outer + half cell
    int32_t centerCell[3];   // moved by the area manager
};
extern WorldGridTables g_WorldGrid;

// Stores cell and outer sizes and derives halves, inverses and bounds.
void SetWorldGridSizes(const D3DXVECTOR3& cellSize, const D3DXVECTOR3& outerSize);

// Process-wide screen constants (also kept by the environment).
extern float g_Aspect;
extern float g_InverseAspect;
extern float g_HalfAspect;
// Read when a 3D object changes area.
extern BYTE g_AreaMoveSwitch;

// Formats every later texture and render target uses: defaults until the
// device set-up stores the probed ones.
extern D3DFORMAT DEFAULTD3DFMT_BACKBUFFER;
extern D3DFORMAT DEFAULTD3DFMT_DEPTHSTENCIL;
extern D3DFORMAT DEFAULTD3DFMT_RENDERTARGET;
extern D3DFORMAT DEFAULTD3DFMT_TEXTURE;
extern D3DFORMAT DEFAULTD3DFMT_NORMALTEXTURE;

// A world position: per axis a cell index and an offset inside the cell.
// World coordinate = cell size[axis] * (cell - centre cell) + offset.
struct AreaPos {
    struct Axis {
        uint8_t axis = 0;    // row of the grid tables
        int32_t cell = 0;
        float offset = 0.0f;

        // Moves whole cells between offset and cell once the offset has left
        // the band [lower bound, upper bound]; the new offset is in [0, cell size).
        void Normalize();
    };

    Axis x{0, 0, 0.0f};
    Axis y{1, 0, 0.0f};
    Axis z{2, 0, 0.0f};

    // From a vector relative to the centre cell.
    static AreaPos FromWorld(const D3DXVECTOR3& world);
    static AreaPos FromCell(const Int3& cell);
    static AreaPos FromCellAndOffset(const Int3& cell, const D3DXVECTOR3& offset);
    // a - b in world units.
    static D3DXVECTOR3 Difference(const AreaPos& a, const AreaPos& b);

    AreaPos& Add(const D3DXVECTOR3& v);
    AreaPos Translated(const D3DXVECTOR3& v) const;
    // Relative to the current centre cell.
    D3DXVECTOR3 ToWorld() const;
    Int3 GetCell() const;
};

// First step of start-up: grid tables (cell 100000, outer 150000, centre 0),
// screen constants, default formats, the random seed, then the environment
// (whose constructor sets its own grid). Answers 0.
int SetupWorldExtents();

}  // namespace Quorvex
