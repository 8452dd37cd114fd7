#include "engine/core/AreaPos.h"

#include <cmath>
#include <limits>

#include "engine/core/Environment.h"

namespace Quorvex {

WorldGridTables g_WorldGrid = {};
float g_Aspect = 16.0f / 9.0f;
float g_InverseAspect = 0.5625f;
float g_HalfAspect = 16.0f / 9.0f * 0.5f;
BYTE g_AreaMoveSwitch = 0;
D3DFORMAT DEFAULTD3DFMT_BACKBUFFER = D3DFMT_X8R8G8B8;
D3DFORMAT DEFAULTD3DFMT_DEPTHSTENCIL = D3DFMT_D24S8;
D3DFORMAT DEFAULTD3DFMT_RENDERTARGET = D3DFMT_A8R8G8B8;
D3DFORMAT DEFAULTD3DFMT_TEXTURE = D3DFMT_A8R8G8B8;
D3DFORMAT DEFAULTD3DFMT_NORMALTEXTURE = D3DFMT_A8R8G8B8;

namespace {

// An axis id outside 0..2 would index past the tables.
int Row(uint8_t axis) { return axis < 3 ? axis : 2; }

int32_t SaturateCell(int64_t value) {
    constexpr int64_t lo = std::numeric_limits<int32_t>::min();
    constexpr int64_t hi = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value < lo ? lo : (value > hi ? hi : value));
}

float Component(const D3DXVECTOR3& v, int i) { return i == 0 ? v.x : (i == 1 ? v.y : v.z); }

}  // namespace

void SetWorldGridSizes(const D3DXVECTOR3& cellSize, const D3DXVECTOR3& outerSize) {
    WorldGridTables& g = g_WorldGrid;
    for (int i = 0; i < 3; ++i) {
        g.cellSize[i] = Component(cellSize, i);
        g.outerSize[i] = Component(outerSize, i);
        g.halfCellSize[i] = g.cellSize[i] * 0.5f;
        g.invCellSize[i] = 1.0f / g.cellSize[i];
        g.halfOuterSize[i] = g.outerSize[i] * 0.5f;
        g.lowerBound[i] = g.halfCellSize[i] - g.halfOuterSize[i];
        g.upperBound[i] = g.halfOuterSize[i] + g.halfCellSize[i];
    }
}

void AreaPos::Axis::Normalize() {
    const int r = Row(axis);
    if (!(offset > g_WorldGrid.upperBound[r] || offset < g_WorldGrid.lowerBound[r])) return;
    // Far-off or non-finite offsets (damaged input) must not overflow the cell.
    const double n = std::floor(static_cast<double>(offset) * g_WorldGrid.invCellSize[r]);
    if (!std::isfinite(n)) return;
    const int32_t moved = SaturateCell(static_cast<int64_t>(cell) +
                                       static_cast<int64_t>(std::fmax(std::fmin(n, 4e9), -4e9)));
    const int64_t step = static_cast<int64_t>(moved) - cell;
    cell = moved;
    offset -= g_WorldGrid.cellSize[r] * static_cast<float>(step);
}

AreaPos AreaPos::FromWorld(const D3DXVECTOR3& world) {
    AreaPos p;
    p.x.cell = g_WorldGrid.centerCell[0];
    p.y.cell = g_WorldGrid.centerCell[1];
    p.z.cell = g_WorldGrid.centerCell[2];
    p.x.offset = world.x;
    p.y.offset = world.y;
    p.z.offset = world.z;
    p.x.Normalize();
    p.y.Normalize();
    p.z.Normalize();
    return p;
}

AreaPos AreaPos::FromCell(const Int3& cell) {
    AreaPos p;
    p.x.cell = cell.x;
    p.y.cell = cell.y;
    p.z.cell = cell.z;
    return p;
}

AreaPos AreaPos::FromCellAndOffset(const Int3& cell, const D3DXVECTOR3& offset) {
    AreaPos p = FromCell(cell);
    return p.Add(offset);
}

AreaPos& AreaPos::Add(const D3DXVECTOR3& v) {
    x.offset += v.x;
    y.offset += v.y;
    z.offset += v.z;
    x.Normalize();
    y.Normalize();
    z.Normalize();
    return *this;
}

AreaPos AreaPos::Translated(const D3DXVECTOR3& v) const {
    AreaPos p = *this;
    return p.Add(v);
}

D3DXVECTOR3 AreaPos::ToWorld() const {
    const Axis* axes[3] = {&x, &y, &z};
    float out[3];
    for (int i = 0; i < 3; ++i) {
        const int r = Row(axes[i]->axis);
        const int64_t cells = static_cast<int64_t>(axes[i]->cell) - g_WorldGrid.centerCell[i];
        out[i] = g_WorldGrid.cellSize[r] * static_cast<float>(cells) + axes[i]->offset;
    }
    return D3DXVECTOR3(out[0], out[1], out[2]);
}

D3DXVECTOR3 AreaPos::Difference(const AreaPos& a, const AreaPos& b) {
    const Axis* as[3] = {&a.x, &a.y, &a.z};
    const Axis* bs[3] = {&b.x, &b.y, &b.z};
    float out[3];
    for (int i = 0; i < 3; ++i) {
        Axis t;
        t.axis = as[i]->axis;
        t.cell = SaturateCell(static_cast<int64_t>(as[i]->cell) - bs[i]->cell);
        t.offset = as[i]->offset - bs[i]->offset;
        t.Normalize();
        out[i] = g_WorldGrid.cellSize[Row(t.axis)] * static_cast<float>(t.cell) + t.offset;
    }
    return D3DXVECTOR3(out[0], out[1], out[2]);
}

Int3 AreaPos::GetCell() const { return Int3{x.cell, y.cell, z.cell}; }

int SetupWorldExtents() {
    SetWorldGridSizes(D3DXVECTOR3(100000.0f, 100000.0f, 100000.0f), D3DXVECTOR3(150000.0f, 150000.0f, 150000.0f));
    for (int32_t& c : g_WorldGrid.centerCell) c = 0;
    g_Aspect = 16.0f / 9.0f;
    g_InverseAspect = 0.5625f;
    g_HalfAspect = g_Aspect * 0.5f;
    g_AreaMoveSwitch = 0;
    DEFAULTD3DFMT_BACKBUFFER = D3DFMT_X8R8G8B8;
    DEFAULTD3DFMT_DEPTHSTENCIL = D3DFMT_D24S8;
    DEFAULTD3DFMT_RENDERTARGET = D3DFMT_A8R8G8B8;
    DEFAULTD3DFMT_TEXTURE = D3DFMT_A8R8G8B8;
    DEFAULTD3DFMT_NORMALTEXTURE = D3DFMT_A8R8G8B8;
    CrtSrand(0);
    // A second call (tests) replaces the environment it made before.
    Environment* environment = new Environment();
    environment->AddRef();
    Environment* previous = g_pEnvironment;
    g_pEnvironment = environment;
    if (previous) previous->Release();
    return 0;
}

}  // namespace Quorvex
