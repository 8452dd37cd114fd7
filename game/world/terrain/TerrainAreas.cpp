#include "game/world/terrain/TerrainAreas.h"

#include <algorithm>

#include "engine/core/Utility.h"
#include "game/state/Environment2.h"
#include "game/world/effects/EffectGenerator.h"
#include "game/world/effects/Smoke.h"

using Quorvex::AreaPos;
using Quorvex::Int3;
using Quorvex::RandomFloat;
using Quorvex::RandomInt;

namespace {

float CellWidth() { return Quorvex::g_WorldGrid.cellSize[0]; }
float CellDepth() { return Quorvex::g_WorldGrid.cellSize[2]; }

D3DXQUATERNION YawPitchRoll(float yaw, float pitch, float roll) {
    D3DXQUATERNION q;
    D3DXQuaternionRotationYawPitchRoll(&q, yaw, pitch, roll);
    return q;
}

}  // namespace

// ---------------------------------------------------------------------------
// Area_Terrain

Area_Terrain::Area_Terrain(Quorvex::IAreaManager* areaManager, const Int3& cell, GroundGenerator* generator)
    : Area(areaManager, cell), m_pGenerator(generator) {}

Area_Terrain::~Area_Terrain() {
    ReturnPieces();
    Ground_SeaSet::Ground_Sea* sea = m_pGenerator ? m_pGenerator->GetSea() : nullptr;
    for (Ground_SeaSet::WaterParamUnit* unit : m_water) {
        if (sea) sea->RemoveWaterParam(unit);
        unit->Release();
    }
    m_water.clear();
}

void Area_Terrain::Update(float timeStep) {
    Area::Update(timeStep);
    // Terrain that has fallen behind goes back to its pools; the Area then
    // empties and is removed like any other.
    if (!m_pieces.empty() && m_pAreaManager && m_pAreaManager->IsOutsideWindow(m_cell)) ReturnPieces();
}

void Area_Terrain::ReturnPieces() {
    std::vector<Ground_Base*> pieces;
    pieces.swap(m_pieces);
    for (Ground_Base* piece : pieces) {
        piece->ReturnToFactory();
        piece->Release();
    }
}

void Area_Terrain::AddWater(const AreaPos& position) {
    if (!m_pGenerator) return;
    Ground_SeaSet::WaterParamUnit* unit = m_pGenerator->AddWaterParam(position, CellWidth(), CellDepth());
    if (!unit) return;  // the sea is full
    // Held until the Area takes the rectangle out of the sea again.
    unit->AddRef();
    m_water.push_back(unit);
}

AreaPos Area_Terrain::CellPos(const D3DXVECTOR3& offset) const { return AreaPos::FromCellAndOffset(m_cell, offset); }

D3DXVECTOR3 Area_Terrain::GroundOffset() {
    return g_pEnvironment2 ? g_pEnvironment2->groundOffset : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

// ---------------------------------------------------------------------------
// Area_Sea

Area_Sea::Area_Sea(Quorvex::IAreaManager* areaManager, const Int3& cell, GroundGenerator* generator, float density,
                   float smokeRate, float largeIce)
    : Area_Terrain(areaManager, cell, generator), m_density(density), m_smokeRate(smokeRate), m_largeIce(largeIce) {}

int Area_Sea::Init(int param) {
    if (Area::Init(param) < 0) return -1;
    const D3DXVECTOR3 worldOffset = g_pEnvironment2 ? g_pEnvironment2->worldOffset : D3DXVECTOR3(0, 0, 0);
    const float w = CellWidth(), d = CellDepth();
    AddWater(CellPos(D3DXVECTOR3(0, 0, 0)).Translated(D3DXVECTOR3(0.0f, 0.0f, -d / 2.0f)).Translated(worldOffset));
    if (!m_pGenerator) return 0;

    if (m_density > 0.0f) {
        const int count = static_cast<int>(5.0f * m_density);
        for (int i = 0; i < count; ++i) {
            const float x = RandomFloat() * w;
            const float z = RandomFloat() * d;
            Ground_SnowIce* ice = Keep(m_pGenerator->CreateSnowIce(CellPos(D3DXVECTOR3(x, 0.0f, z))));
            if (!ice) continue;
            const float sx = 0.1f * m_density + 0.9f * m_density * RandomFloat();
            const float sy = 0.1f * m_density + 0.9f * m_density * RandomFloat();
            const float sz = 0.1f * m_density + 0.9f * m_density * RandomFloat();
            ice->m_scale = D3DXVECTOR3(sx, sy, sz);
        }
    }

    const float difficulty = g_pEnvironment2 ? g_pEnvironment2->attackLevel : 0.0f;
    if (m_largeIce > 0.0f && m_density * difficulty * 0.5f > RandomFloat()) {
        const float sx = 0.75f + 0.5f * RandomFloat();
        const float sy = 1.0f + 0.5f * RandomFloat();
        const float sz = 0.75f + 0.5f * RandomFloat();
        const float h = 500.0f * sy;
        const float x = RandomFloat() * w;
        const float y = RandomFloat() * 0.2f * h - 0.3f * h;
        const float z = RandomFloat() * d;
        const float yaw = (RandomFloat() - 0.5f) * 6.2831855f;
        const float pitch = (RandomFloat() - 0.5f) * 1.5707964f;
        const float roll = (RandomFloat() - 0.5f) * 0.9424779f;
        Ground_SnowIce2* ice =
            Keep(m_pGenerator->CreateSnowIce2(CellPos(D3DXVECTOR3(x, y, z)), YawPitchRoll(yaw, pitch, roll)));
        if (ice) ice->m_scale = D3DXVECTOR3(sx, sy, sz);
    }
    m_smokeTime = 0.0f;
    return 0;
}

float Area_Sea::SmokeInterval(float rate) { return 0.25f - 0.2f * std::min(rate, 1.0f); }

void Area_Sea::Update(float timeStep) {
    Area_Terrain::Update(timeStep);
    if (m_smokeRate <= 0.0f || !m_pGenerator) return;
    m_smokeTime += timeStep;
    const float c = std::min(m_smokeRate, 1.0f);
    const float interval = SmokeInterval(m_smokeRate);
    while (m_smokeTime >= interval) {
        m_smokeTime -= interval;
        const float size = 10.0f * RandomFloat() + 15.0f * c + 4.0f;
        const float x = RandomFloat() * CellWidth();
        const float y = 8.0f * size + 2.5f + RandomFloat() * (30.0f * c + 10.0f);
        const float z = RandomFloat() * CellDepth();
        const float vx = -10.0f - 20.0f * RandomFloat();
        const float vy = 10.0f * RandomFloat();
        const float vz = 10.0f * RandomFloat() - 5.0f;
        Smoke* smoke = m_pGenerator->CreateSmoke("Sprite3D", CellPos(D3DXVECTOR3(x, y, z)), 1.0f, size,
                                                 0.25f * c + 0.125f, D3DXVECTOR3(vx, vy, vz));
        if (smoke) smoke->Release();  // the pool keeps it until its life ends
    }
}

// ---------------------------------------------------------------------------
// Area_Block, Area_Block2

Area_Block::Area_Block(Quorvex::IAreaManager* areaManager, const Int3& cell, GroundGenerator* generator, int layout)
    : Area_Terrain(areaManager, cell, generator), m_layout(layout) {}

int Area_Block::Init(int param) {
    if (Area::Init(param) < 0) return -1;
    if (!m_pGenerator) return 0;
    const D3DXVECTOR3 h = GroundOffset();
    Keep(m_pGenerator->CreateBlock(CellPos(D3DXVECTOR3(0, 0, 0)).Translated(h), m_layout));

    // The middle of the cell, as it is (not normalised).
    AreaPos centre = AreaPos::FromCell(m_cell);
    centre.x.offset = 500.0f;
    centre.z.offset = 500.0f;
    for (int side = 0; side < 2; ++side) {
        if (m_layout & (1 << side)) continue;
        for (int i = 0; i < 12; ++i) {
            const D3DXVECTOR3 along(1050.0f * static_cast<float>(side) - 525.0f, 0.0f, 83.333336f * static_cast<float>(i));
            Keep(m_pGenerator->CreateTree(centre.Translated(along).Translated(h)));
        }
    }
    std::vector<Ground_Tree*> row;
    m_pGenerator->CreateTreeRow(centre.Translated(h), &row);
    for (Ground_Tree* tree : row) Keep(tree);
    return 0;
}

Area_Block2::Area_Block2(Quorvex::IAreaManager* areaManager, const Int3& cell, GroundGenerator* generator)
    : Area_Terrain(areaManager, cell, generator) {}

int Area_Block2::Init(int param) {
    if (Area::Init(param) < 0) return -1;
    if (m_pGenerator) Keep(m_pGenerator->CreateBlock(CellPos(D3DXVECTOR3(0, 0, 0)).Translated(GroundOffset()), 0));
    return 0;
}

// ---------------------------------------------------------------------------
// Area_Yama, Area_Cave, Area_Flower

Area_Yama::Area_Yama(Quorvex::IAreaManager* areaManager, const Int3& cell, GroundGenerator* generator, int layout)
    : Area_Terrain(areaManager, cell, generator), m_layout(layout) {}

int Area_Yama::WaterCount(int layout) { return (layout == 3 || layout == 6 || layout < 0 || layout > 7) ? 1 : 2; }

int Area_Yama::Init(int param) {
    if (Area::Init(param) < 0) return -1;
    if (!m_pGenerator) return 0;
    const D3DXVECTOR3 h = GroundOffset();
    Ground_Yama* yama = Keep(m_pGenerator->CreateYama(
        CellPos(D3DXVECTOR3(0, 0, 0)).Translated(h).Translated(D3DXVECTOR3(0.0f, -50.0f, 0.0f))));
    if (yama) yama->SetType(m_layout);
    const int count = WaterCount(m_layout);
    for (int i = 0; i < count; ++i) {
        Int3 cell = m_cell;
        cell.z += i;
        AddWater(AreaPos::FromCellAndOffset(cell, D3DXVECTOR3(0, 0, 0))
                     .Translated(D3DXVECTOR3(0.0f, 0.0f, -CellDepth() / 2.0f))
                     .Translated(h));
    }
    return 0;
}

Area_Cave::Area_Cave(Quorvex::IAreaManager* areaManager, const Int3& cell, GroundGenerator* generator, int caveType)
    : Area_Terrain(areaManager, cell, generator), m_caveType(caveType) {}

int Area_Cave::Init(int param) {
    if (Area::Init(param) < 0) return -1;
    if (!m_pGenerator) return 0;
    if (Ground_Cave* cave = Keep(m_pGenerator->CreateCave(CellPos(D3DXVECTOR3(0, 0, 0))))) cave->SetType(m_caveType);
    AddWater(CellPos(D3DXVECTOR3(0, 0, 0)).Translated(D3DXVECTOR3(0.0f, 0.0f, -CellDepth() / 2.0f)).Translated(GroundOffset()));
    return 0;
}

Area_Flower::Area_Flower(Quorvex::IAreaManager* areaManager, const Int3& cell, GroundGenerator* generator,
                         int flowerType)
    : Area_Terrain(areaManager, cell, generator), m_flowerType(flowerType) {}

int Area_Flower::Init(int param) {
    if (Area::Init(param) < 0) return -1;
    if (!m_pGenerator) return 0;
    const D3DXVECTOR3 h = GroundOffset();
    Ground_Flower::SetParam record;
    record.creator = m_pGenerator;
    record.position = CellPos(h);
    record.objectManager = m_pAreaManager ? m_pAreaManager->GetObjectManager() : nullptr;
    record.orientation = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
    if (Ground_FlowerFactory* pool = m_pGenerator->GetFlowerFactory()) {
        Quorvex::IFactoryProduct* product = pool->AcquireProduct(&record);
        auto* flower = dynamic_cast<Ground_Flower*>(product);
        if (product && !flower) product->Release();
        if (Keep(flower)) flower->SetType(m_flowerType);
    }
    AddWater(CellPos(D3DXVECTOR3(0, 0, 0)).Translated(D3DXVECTOR3(0.0f, 0.0f, -CellDepth() / 2.0f)).Translated(h));
    return 0;
}

// ---------------------------------------------------------------------------
// Area_Building

Area_Building::Area_Building(Quorvex::IAreaManager* areaManager, const Int3& cell, GroundGenerator* generator,
                             int variant, const D3DXVECTOR3& offset)
    : Area_Terrain(areaManager, cell, generator), m_variant(variant), m_offset(offset) {}

int Area_Building::Init(int param) {
    if (Area::Init(param) < 0) return -1;
    if (!m_pGenerator) return 0;
    const D3DXVECTOR3 h = GroundOffset();
    Ground_BuildingFactory* pool = m_pGenerator->GetBuildingFactory();
    float row = 0.0f, depth = 0.0f, deepest = 0.0f;
    for (;;) {
        const int k = 1 + RandomInt() % 5;
        const float spacing = 0.6f + 0.1f * static_cast<float>(k);
        const float x = m_offset.x + row + (RandomFloat() - 0.5f) * 600.0f + h.x;
        const float y = m_offset.y - 500.0f + h.y;
        const float z = m_offset.z + depth + (RandomFloat() - 0.5f) * 200.0f + h.z;

        Ground_Building::SetParam record;
        record.creator = m_pGenerator;
        record.position = CellPos(D3DXVECTOR3(x, y, z));
        record.objectManager = m_pAreaManager ? m_pAreaManager->GetObjectManager() : nullptr;
        record.orientation = YawPitchRoll(0.7853982f, 0.0f, 0.0f);
        record.value = k;
        Quorvex::IFactoryProduct* product = pool ? pool->AcquireProduct(&record) : nullptr;
        m_pBuilding = dynamic_cast<Ground_Building*>(product);
        if (product && !m_pBuilding) product->Release();
        if (Keep(m_pBuilding)) m_pBuilding->SetType(m_variant);

        row += 1500.0f * spacing;
        deepest = std::max(deepest, 2000.0f * spacing);
        if (row < 1000.0f) continue;
        depth += deepest;
        if (depth >= 1000.0f) break;
        row = 0.0f;
        deepest = 0.0f;
    }
    if (g_pEnvironment2 && g_pEnvironment2->effectGenerator) SpawnSmokeGrid(h);
    return 0;
}

void Area_Building::SpawnSmokeGrid(const D3DXVECTOR3& h) {
    EffectGenerator* effects = g_pEnvironment2->effectGenerator;
    constexpr float kSpan = 766.6667f;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const D3DXVECTOR3 offset(kSpan * static_cast<float>(j) + h.x, 600.0f * RandomFloat() + 100.0f + h.y,
                                     kSpan * static_cast<float>(i) + h.z);
            Effect_GeneralPurpose* smoke =
                effects->SpawnGeneralPurpose(CellPos(offset).ToWorld(), "matSmoke", "Sprite3D");
            if (!smoke) continue;
            smoke->m_sprite.width = smoke->m_sprite.height = kSpan;
            smoke->m_baseWidth = smoke->m_baseHeight = kSpan;
            const BYTE start[4] = {64, 48, 48, 32}, end[4] = {64, 32, 32, 64};
            std::copy(start, start + 4, smoke->m_startColor);
            std::copy(end, end + 4, smoke->m_endColor);
            smoke->m_fadeIn = (0.35f * RandomFloat() + 0.2f) * 15.0f;
            smoke->m_fadeOutStart = 12.0f;
            smoke->m_fadeOutEnd = 15.0f;
            smoke->m_scaleFrom = D3DXVECTOR3(1.0f, 1.0f, 1.0f);
            smoke->m_scaleTo = D3DXVECTOR3(2.0f, 2.0f, 2.0f);
            smoke->m_scaleStart = 0.0f;
            smoke->m_scaleEnd = 15.0f;
            smoke->m_mode = Effect_GeneralPurpose::ModeAxis;
            smoke->m_sprite.rotation = YawPitchRoll(0.0f, 0.6981317f, 0.0f);
        }
    }
}

// ---------------------------------------------------------------------------
// Area_Forest

Area_Forest::Area_Forest(Quorvex::IAreaManager* areaManager, const Int3& cell, GroundGenerator* generator)
    : Area_Terrain(areaManager, cell, generator) {}

int Area_Forest::Init(int param) {
    if (Area::Init(param) < 0) return -1;
    const D3DXVECTOR3 h = GroundOffset();
    GroundGenerator* trees = GroundGenerator::GetCurrent();
    if (!trees) trees = m_pGenerator;
    // The forest is never turned: its orientation is the identity.
    const D3DXQUATERNION orientation(0.0f, 0.0f, 0.0f, 1.0f);
    const AreaPos origin = CellPos(h);
    for (int i = 0; i < 8 && trees; ++i) {
        const float x = (RandomFloat() - 0.5f) * 1000.0f + 500.0f;
        const float y = (RandomFloat() - 0.5f) * 50.0f + 15.0f;
        const D3DXVECTOR3 v = Quorvex::RotateByQuaternion(D3DXVECTOR3(x, y, 125.0f * static_cast<float>(i)), orientation);
        Ground_Tree* tree = Keep(trees->CreateTree(origin.Translated(v)));
        if (!tree) continue;
        tree->SetType(3 + RandomInt() % 3);
        tree->m_sprite.width *= 1.2f;
        tree->m_sprite.height *= 1.5f;
    }
    if (m_pGenerator) Keep(m_pGenerator->CreateBlock(CellPos(D3DXVECTOR3(0, 0, 0)).Translated(h), 0));
    return 0;
}
