#include "game/world/terrain/AreaFactories.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include "engine/core/MessageLogManager.h"
#include "engine/core/Utility.h"

using Quorvex::AreaPos;
using Quorvex::Int3;

namespace {

Int3 SharedCentreCell() {
    const Quorvex::WorldGridTables& grid = Quorvex::g_WorldGrid;
    return Int3{grid.centerCell[0], grid.centerCell[1], grid.centerCell[2]};
}

AreaPos CellWithOffsets(Int3 cell, int dz, const D3DXVECTOR3& offsets) {
    cell.z += dz;
    return AreaPos::FromCellAndOffset(cell, offsets);
}

}  // namespace

// ---------------------------------------------------------------------------
// AreaFactory_Base

AreaFactory_Base::AreaFactory_Base(Quorvex::IAreaManager* areaManager, Quorvex::IObjectManager* objectManager,
                                   int stageValue)
    : AreaFactoryAdapter(areaManager, 0),
      m_pObjectManager(objectManager),
      m_stageValue(stageValue),
      m_baseCell(SharedCentreCell()) {}

AreaFactory_Base::~AreaFactory_Base() {
    if (m_pGenerator) m_pGenerator->Release();
}

int AreaFactory_Base::Init(int) {
    if (m_pAreaManager) m_pAreaManager->SetCreateOnDemand(0);
    GroundGenerator* generator = GroundGenerator::GetCurrent();
    if (generator) {
        generator->AddRef();
        generator->SetStageValue(m_stageValue);
    } else {
        generator = new GroundGenerator(AreaPos::FromCell(Int3{0, 0, 0}), m_pObjectManager, m_pAreaManager);
        generator->AddRef();
        if (generator->Initialize(0) < 0) {
            // A half-made generator must not stay in the object manager.
            generator->RequestRemove(true);
            generator->Release();
            if (m_pAreaManager) m_pAreaManager->SetCreateOnDemand(1);
            return -2;
        }
    }
    if (m_pGenerator) m_pGenerator->Release();
    m_pGenerator = generator;
    m_pGenerator->CreateSkyDome();
    m_pGenerator->CreateEnemySpellBg();
    if (m_pAreaManager) m_pAreaManager->SetCreateOnDemand(1);
    return 0;
}

int AreaFactory_Base::CreateArea(Area** out, const Int3& cell) {
    if (out) *out = nullptr;
    if (!m_pAreaManager) return -1;
    if (!m_pGenerator || !out) {
        m_pAreaManager->SetCreateOnDemand(1);
        return -1;
    }
    // Pieces placed while the Area is built must not create neighbour Areas.
    m_pAreaManager->SetCreateOnDemand(0);
    Area* area = ChooseArea(cell);
    if (!area) area = FallbackArea(cell);
    if (!area) {
        m_pAreaManager->SetCreateOnDemand(1);
        return -1;
    }
    area->AddRef();
    if (area->Init(0) < 0) {
        // The Area registered itself when it was made: take it out of the
        // manager's map too, so no half-built Area stays behind.
        m_pAreaManager->UnregisterArea(cell);
        area->Release();
        m_pAreaManager->SetCreateOnDemand(1);
        return -1;
    }
    *out = area;
    m_pAreaManager->SetCreateOnDemand(1);
    return 0;
}

Area_Sea* AreaFactory_Base::MakeSea(const Int3& cell, float density, float smokeRate, float largeIce) {
    return new Area_Sea(m_pAreaManager, cell, m_pGenerator, density, smokeRate, largeIce);
}

// ---------------------------------------------------------------------------
// Stage 1

AreaFactory_1::AreaFactory_1(Quorvex::IAreaManager* areaManager, Quorvex::IObjectManager* objectManager)
    : AreaFactory_Base(areaManager, objectManager) {}

Area* AreaFactory_1::ChooseArea(const Int3& cell) {
    const int kind = GetKind();
    const int x = cell.x;  // the cell's own index, not relative to the base
    if (kind == 0)
        return x == 0 ? static_cast<Area*>(new Area_Block(m_pAreaManager, cell, m_pGenerator, 0))
                      : new Area_Block2(m_pAreaManager, cell, m_pGenerator);
    if (kind >= 1 && kind <= 5) {
        // The large-tree rows stand only on the outer edges of the strip.
        if (x == 1) return new Area_Block(m_pAreaManager, cell, m_pGenerator, 1);
        if (x == 0) return new Area_Block(m_pAreaManager, cell, m_pGenerator, 3);
        if (x == -1) return new Area_Block(m_pAreaManager, cell, m_pGenerator, 2);
        return new Area_Block2(m_pAreaManager, cell, m_pGenerator);
    }
    if (kind == 6 || kind == 7) return MakeSea(cell);
    return nullptr;
}

// ---------------------------------------------------------------------------
// Stage 2

AreaFactory_2::AreaFactory_2(Quorvex::IAreaManager* areaManager, Quorvex::IObjectManager* objectManager)
    : AreaFactory_Base(areaManager, objectManager) {}

bool AreaFactory_2::SeaParams(int kind, float* density, float* smokeRate, float* largeIce) const {
    const float d = m_transitionD, a = m_transitionA, b = m_transitionB;
    float p[3];
    switch (kind) {
    case 0:
    case 8:
    case 9:
    case 10: p[0] = 0, p[1] = 0, p[2] = 0; break;
    case 1: p[0] = 0, p[1] = a, p[2] = 0; break;
    case 2: p[0] = 0, p[1] = 1, p[2] = 0; break;
    case 3: p[0] = d, p[1] = 1, p[2] = 0; break;
    case 4: p[0] = 1, p[1] = 1, p[2] = 0; break;
    case 5: p[0] = 1, p[1] = 1, p[2] = b; break;
    case 6: p[0] = 1, p[1] = 1, p[2] = 1; break;
    case 7: p[0] = d, p[1] = a, p[2] = b; break;
    default: return false;
    }
    *density = p[0];
    *smokeRate = p[1];
    *largeIce = p[2];
    return true;
}

Area* AreaFactory_2::ChooseArea(const Int3& cell) {
    float density = 0, smokeRate = 0, largeIce = 0;
    if (!SeaParams(GetKind(), &density, &smokeRate, &largeIce)) return nullptr;
    return MakeSea(cell, density, smokeRate, largeIce);
}

// ---------------------------------------------------------------------------
// Stage 3

namespace {

typedef std::array<int, 11> PatternRow;
typedef std::vector<PatternRow> PatternTable;

// The seven layout tables, built on first use.
const std::array<PatternTable, 7>& PatternTables() {
    static const std::array<PatternTable, 7> tables = [] {
        const PatternRow sea{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
        const PatternRow gate{1, 11, 1, 11, 1, 2, 1, 11, 1, 11, 1};
        const PatternRow middle{1, 1, 1, 1, 1, 3, 1, 1, 1, 1, 1};
        const PatternRow pass{1, 1, 1, 1, 13, 1, 14, 1, 1, 1, 1};
        std::array<PatternTable, 7> t;
        t[0] = {sea, sea, sea};
        t[1] = {gate, gate};
        t[2] = {middle, middle, middle};
        t[3] = {middle, middle, middle};
        // Twelve triples: one column holds three values, one per row.
        const int triples[12][4] = {{5, 3, 4, 5}, {7, 3, 7, 8}, {5, 3, 7, 8}, {3, 3, 4, 5},
                                    {5, 3, 4, 5}, {7, 3, 4, 5}, {9, 3, 7, 8}, {7, 3, 7, 8},
                                    {5, 3, 7, 8}, {3, 3, 7, 8}, {1, 3, 4, 5}, {3, 3, 4, 5}};
        for (const auto& triple : triples) {
            for (int r = 0; r < 3; ++r) {
                PatternRow row = sea;
                row[triple[0]] = triple[1 + r];
                t[4].push_back(row);
            }
        }
        t[5] = {middle, pass};
        t[6] = {pass, pass};
        return t;
    }();
    return tables;
}

}  // namespace

AreaFactory_3::AreaFactory_3(Quorvex::IAreaManager* areaManager, Quorvex::IObjectManager* objectManager,
                             const float renderSettings[3])
    : AreaFactory_Base(areaManager, objectManager) {
    if (renderSettings) std::copy(renderSettings, renderSettings + 3, m_renderSettings);
}

int AreaFactory_3::BuildPattern(AreaFactory_3* factory, const Int3& target, int kind) {
    return BuildPattern(factory ? factory->GetBaseCell() : Int3{}, target, kind);
}

int AreaFactory_3::BuildPattern(const Int3& base, const Int3& target, int kind) {
    const int dx = target.x - base.x;
    const int dz = target.z - base.z;
    const int xi = std::clamp(dx, -5, 5);
    if (dz % 2 != 0) return 1;
    if (kind < 0 || kind > 6) return 0;

    // Ahead of the base the kind's own table, behind it the one before
    // (kind 6 keeps T4 behind).
    static const int kBehind[7] = {0, 0, 1, 2, 3, 4, 4};
    const PatternTable& table = PatternTables()[dz >= 0 ? kind : kBehind[kind]];
    const int n = static_cast<int>(table.size());
    const int z = dz >= 0 ? dz : std::max(n + dz, 0);
    const int type = table[(z / 2) % n][xi + 5];

    Quorvex::DebugPrint(L"create pattern[%d] [%d, %d] = type[%d]\r\n", kind, dx, z, type);
    Quorvex::DebugPrint(L"base[%d, %d, %d]\r\n", base.x, base.y, base.z);
    Quorvex::DebugPrint(L"target[%d, %d, %d]\r\n", target.x, target.y, target.z);
    return type;
}

Area* AreaFactory_3::ChooseArea(const Int3& cell) {
    const int type = BuildPattern(this, cell, GetKind());
    // 13 is the last mountain type: 14 is sea like every other type.
    if (type >= 2 && type <= 13) return new Area_Yama(m_pAreaManager, cell, m_pGenerator, type - 2);
    return MakeSea(cell);
}

// ---------------------------------------------------------------------------
// Stage 4

AreaFactory_4::AreaFactory_4(Quorvex::IAreaManager* areaManager, Quorvex::IObjectManager* objectManager)
    : AreaFactory_Base(areaManager, objectManager) {}

bool AreaFactory_4::IsLineCell(const Int3& cell) const {
    return cell.x - m_baseCell.x == 0 && (cell.z - m_baseCell.z) % 8 == 0;
}

Area* AreaFactory_4::ChooseArea(const Int3& cell) {
    const int kind = GetKind();
    const int x = cell.x - m_baseCell.x;
    const D3DXVECTOR3 anchorOffsets(0.0f, 0.0f, 250.0f);
    switch (kind) {
    case 1:
        if (x != 0) break;
        // The mountain in front of the cave.
        m_anchor = CellWithOffsets(cell, 100, anchorOffsets);
        return new Area_Yama(m_pAreaManager, cell, m_pGenerator, 1);
    case 2:
    case 4:
    case 6:
    case 8: {
        if (!IsLineCell(cell)) break;
        static const int kOpening[9] = {0, 0, 0, 0, 2, 0, 6, 0, 7};
        Area* area = new Area_Cave(m_pAreaManager, cell, m_pGenerator, kOpening[kind]);
        m_anchor = CellWithOffsets(cell, kind == 2 ? 2 : 0, anchorOffsets);
        SetKind(kind + 1);
        return area;
    }
    case 3:
    case 5:
    case 7: {
        static const int kRunning[8] = {0, 0, 0, 1, 0, 3, 0, 1};
        if (IsLineCell(cell)) return new Area_Cave(m_pAreaManager, cell, m_pGenerator, kRunning[kind]);
        if (kind == 3 && x == 0 && m_pAreaManager && cell.z < m_pAreaManager->GetCentralPoint().z - 2)
            return new Area_Yama(m_pAreaManager, cell, m_pGenerator, 1);
        break;
    }
    default: break;
    }
    return MakeSea(cell);
}

// ---------------------------------------------------------------------------
// Stage 5

AreaFactory_5::AreaFactory_5(Quorvex::IAreaManager* areaManager, Quorvex::IObjectManager* objectManager)
    : AreaFactory_Base(areaManager, objectManager) {}

Area* AreaFactory_5::ChooseArea(const Int3& cell) {
    switch (GetKind()) {
    case 0:
        m_anchor = CellWithOffsets(cell, 2, D3DXVECTOR3(0.0f, 0.0f, 250.0f));
        SetKind(1);
        return MakeSea(cell);
    case 1: {
        const int dz = cell.z - m_anchor.z.cell;
        if (cell.x == m_anchor.x.cell && dz >= 0 && dz % 4 == 0) return new Area_Flower(m_pAreaManager, cell, m_pGenerator);
        return MakeSea(cell);
    }
    default: return nullptr;
    }
}

// ---------------------------------------------------------------------------
// Stage 6 and the extra stage

AreaFactory_6::AreaFactory_6(Quorvex::IAreaManager* areaManager, Quorvex::IObjectManager* objectManager)
    : AreaFactory_Base(areaManager, objectManager) {}

Area* AreaFactory_6::FlowerLine(const Int3& cell) {
    const int x = cell.x - m_baseCell.x;
    if (x == 0 && (cell.z - m_baseCell.z) % 4 == 0) return new Area_Flower(m_pAreaManager, cell, m_pGenerator);
    return MakeSea(cell);
}

Area* AreaFactory_6::Buildings(const Int3& cell) {
    const int x = cell.x - m_baseCell.x;
    const int variant = Quorvex::RandomInt() % 5;
    return new Area_Building(m_pAreaManager, cell, m_pGenerator, variant,
                             D3DXVECTOR3(0.0f, 400.0f * static_cast<float>(std::abs(x)), 0.0f));
}

Area* AreaFactory_6::ChooseArea(const Int3& cell) {
    switch (GetKind()) {
    case 0: return FlowerLine(cell);
    case 1: return new Area_Forest(m_pAreaManager, cell, m_pGenerator);
    case 3: return Buildings(cell);
    default: return MakeSea(cell);
    }
}

AreaFactory_Ex::AreaFactory_Ex(Quorvex::IAreaManager* areaManager, Quorvex::IObjectManager* objectManager)
    : AreaFactory_6(areaManager, objectManager) {}

Area* AreaFactory_Ex::ChooseArea(const Int3& cell) {
    switch (GetKind()) {
    case 1: return FlowerLine(cell);
    case 2: return MakeSea(cell);
    case 3: return new Area_Forest(m_pAreaManager, cell, m_pGenerator);
    case 4: return Buildings(cell);
    default: return FallbackArea(cell);
    }
}

Area* AreaFactory_Ex::FallbackArea(const Int3& cell) { return new Area(m_pAreaManager, cell); }
