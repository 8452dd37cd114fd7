#include "game/world/terrain/GroundFactories.h"

#include <cmath>

#include "engine/assets/MeshUnit.h"
#include "engine/assets/ResourceManager.h"
#include "game/state/Environment2.h"
#include "game/world/Area.h"
#include "game/world/terrain/TerrainResources.h"

using Quorvex::AreaPos;
using Quorvex::IFactoryProduct;

namespace {

// A level in [0, 1] as a colour byte, rounded and clamped.
DWORD LevelByte(float level) {
    const float v = level * 255.0f + 0.5f;
    if (v <= 0.0f) return 0;
    if (v >= 255.0f) return 255;
    return static_cast<DWORD>(v);
}

D3DCOLOR OpaqueGrey(float level) {
    const DWORD b = LevelByte(level);
    return 0xFF000000u | (b << 16) | (b << 8) | b;
}

}  // namespace

// ---------------------------------------------------------------------------
// Ground_PieceFactory

Ground_PieceFactory::Ground_PieceFactory(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                                         const AreaPos& position, int maxCount, bool followsCenter)
    : Object3D(objectManager, areaManager, position), m_followsCenter(followsCenter) {
    SetMaxCount(maxCount);
}

Ground_PieceFactory::~Ground_PieceFactory() {
    ClearProducts(m_free);
    ClearProducts(m_inUse);
}

int Ground_PieceFactory::Initialize(int) {
    SetUpdatePriority(710);
    return 0;
}

void Ground_PieceFactory::Update(float timeStep) {
    if (!m_followsCenter) {
        Object3D::Update(timeStep);
        return;
    }
    Area* area = GetArea();
    if (!area || !SameCell(area->GetCell(), m_areaPos.GetCell())) UpdateArea();
    if (g_pEnvironment2) m_areaPos = g_pEnvironment2->centerInfo.pos;
}

void Ground_PieceFactory::ShiftAll(const D3DXVECTOR3& offset) {
    ForEachPiece([&](Ground_Base* piece) { piece->Shift(offset); });
}

int Ground_PieceFactory::ApplyWithOwnManager(IFactoryProduct* product, IFactoryProduct::ISetParam* param) {
    if (auto* head = dynamic_cast<Ground_Base::SetParam*>(param)) head->objectManager = GetObjectManager();
    return product->ApplySetParam(param);
}

// ---------------------------------------------------------------------------
// Trees

Ground_TreeFactory::Ground_TreeFactory(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                                       const AreaPos& position)
    : Ground_PieceFactory(objectManager, areaManager, position, kMaxCount, false) {}

int Ground_TreeFactory::ApplyParam(IFactoryProduct* product, IFactoryProduct::ISetParam* param) {
    const int result = product->ApplySetParam(param);
    if (auto* tree = dynamic_cast<Ground_Tree*>(product)) {
        tree->SetType(m_treeType);
        tree->m_sprite.color = m_treeColor;
    }
    return result;
}

void Ground_TreeFactory::LookToTree(int mode, float blend, int* type, D3DCOLOR* color) {
    switch (mode) {
    case 0:
        // Black with an alpha that is 0 for every blend: the trees vanish.
        *type = 1;
        *color = 0;
        break;
    case 1: {
        const DWORD b = LevelByte(blend);
        *type = 1;
        *color = (b << 24) | (b << 16) | (b << 8) | b;
        break;
    }
    case 3: {
        const float c = std::cos(blend * D3DX_PI);
        *type = c > 0.0f ? 1 : 2;
        *color = OpaqueGrey(std::fabs(c));
        break;
    }
    case 4: *type = 2; break;
    default: *type = 1; break;
    }
}

void Ground_TreeFactory::SetLook(int mode, float blend) {
    if (mode == m_lookMode && blend == m_lookBlend) return;
    m_lookMode = mode;
    m_lookBlend = blend;
    LookToTree(mode, blend, &m_treeType, &m_treeColor);
    const int type = m_treeType;
    const D3DCOLOR color = m_treeColor;
    ForEachPiece([&](Ground_Base* piece) {
        if (auto* tree = dynamic_cast<Ground_Tree*>(piece)) {
            tree->SetType(type);
            tree->m_sprite.color = color;
        }
    });
}

// ---------------------------------------------------------------------------
// Blocks

Ground_BlockFactory::Ground_BlockFactory(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                                         const AreaPos& position)
    : Ground_PieceFactory(objectManager, areaManager, position, kMaxCount, false) {
    Quorvex::ObjectManager* manager = GetObjectManager();
    m_pResources = manager ? manager->GetResourceManager() : nullptr;
}

Ground_BlockFactory::~Ground_BlockFactory() {
    // The pool has left its object manager by now; the meshes it tinted are
    // the resource manager's and outlive it.
    if (m_pResources) SetColor(0xFFFFFFFF);
}

int Ground_BlockFactory::ApplyParam(IFactoryProduct* product, IFactoryProduct::ISetParam* param) {
    const int result = product->ApplySetParam(param);
    if (auto* block = dynamic_cast<Ground_Block*>(product)) block->SetMaterial(m_materialIndex);
    return result;
}

void Ground_BlockFactory::SetPhase(float phase) {
    if (!m_changeFlag && phase == m_phase) return;
    m_phase = phase;
    m_changeFlag = 0;
    const float c = std::cos(phase * D3DX_PI);
    const int index = c > 0.0f ? 1 : 2;
    m_materialIndex = index;
    ForEachPiece([&](Ground_Base* piece) {
        if (auto* block = dynamic_cast<Ground_Block*>(piece)) block->SetMaterial(index);
    });
    SetColor(OpaqueGrey(std::fabs(c)));
}

void Ground_BlockFactory::SetColor(D3DCOLOR color) {
    m_color[0] = static_cast<float>((color >> 16) & 0xFF) / 255.0f;
    m_color[1] = static_cast<float>((color >> 8) & 0xFF) / 255.0f;
    m_color[2] = static_cast<float>(color & 0xFF) / 255.0f;
    m_color[3] = static_cast<float>((color >> 24) & 0xFF) / 255.0f;
    for (const char* id : {"Mesh_Gnd2_1", "Mesh_Gnd2_2", "Mesh_Gnd2_3"}) {
        if (Quorvex::MeshUnit* mesh = FindTerrainMesh(m_pResources, id))
            mesh->m_colour = D3DXVECTOR4(m_color[0], m_color[1], m_color[2], m_color[3]);
    }
}

// ---------------------------------------------------------------------------
// Mountains

Ground_YamaFactory::Ground_YamaFactory(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                                       const AreaPos& position)
    : Ground_PieceFactory(objectManager, areaManager, position, 500, true) {}

int Ground_YamaFactory::ApplyParam(IFactoryProduct* product, IFactoryProduct::ISetParam* param) {
    const int result = ApplyWithOwnManager(product, param);
    if (auto* yama = dynamic_cast<Ground_Yama*>(product)) {
        yama->SetLook(m_look);
        if (m_look > 0.0f) yama->ClearPieces();
    }
    return result;
}

void Ground_YamaFactory::SetLook(float look) {
    m_look = look;
    ForEachPiece([&](Ground_Base* piece) {
        if (auto* yama = dynamic_cast<Ground_Yama*>(piece)) {
            yama->SetLook(look);
            if (look > 0.0f) yama->ClearPieces();
        }
    });
}

// ---------------------------------------------------------------------------
// The pools without state of their own

Ground_SnowIceFactory::Ground_SnowIceFactory(Quorvex::IObjectManager* objectManager,
                                             Quorvex::IAreaManager* areaManager, const AreaPos& position)
    : Ground_PieceFactory(objectManager, areaManager, position, 500, true) {}

Ground_SnowIce2Factory::Ground_SnowIce2Factory(Quorvex::IObjectManager* objectManager,
                                               Quorvex::IAreaManager* areaManager, const AreaPos& position)
    : Ground_PieceFactory(objectManager, areaManager, position, 500, true) {}

Ground_CaveFactory::Ground_CaveFactory(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                                       const AreaPos& position)
    : Ground_PieceFactory(objectManager, areaManager, position, 500, true) {}

Ground_FlowerFactory::Ground_FlowerFactory(Quorvex::IObjectManager* objectManager,
                                           Quorvex::IAreaManager* areaManager, const AreaPos& position)
    : Ground_PieceFactory(objectManager, areaManager, position, 500, true) {}

Ground_BuildingFactory::Ground_BuildingFactory(Quorvex::IObjectManager* objectManager,
                                               Quorvex::IAreaManager* areaManager, const AreaPos& position)
    : Ground_PieceFactory(objectManager, areaManager, position, 500, true) {}
