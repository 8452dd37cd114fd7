#include "game/world/terrain/GroundPieces.h"

#include <string>

#include "engine/assets/ResourceManager.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/Environment.h"
#include "engine/core/Utility.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/DrawMeshInfo.h"
#include "engine/core/render/RenderStage.h"
#include "game/world/Area.h"
#include "game/world/CollisionShapeSet.h"
#include "game/world/terrain/GroundFactories.h"
#include "game/world/terrain/GroundGenerator.h"
#include "game/world/terrain/TerrainResources.h"

using Quorvex::AreaPos;
using Quorvex::RandomFloat;
using Quorvex::RandomInt;

namespace {

const D3DXQUATERNION kIdentity(0.0f, 0.0f, 0.0f, 1.0f);

Quorvex::IResourceManager* ResourcesOf(const Object3D* object) {
    Quorvex::ObjectManager* manager = object->GetObjectManager();
    return manager ? manager->GetResourceManager() : nullptr;
}

// scale x rotation x translation to the position relative to the centre cell.
D3DXMATRIX PlacementMatrix(const D3DXVECTOR3& scale, const D3DXQUATERNION& orientation, const AreaPos& position) {
    D3DXMATRIX s, r, t, world;
    D3DXMatrixScaling(&s, scale.x, scale.y, scale.z);
    D3DXMatrixRotationQuaternion(&r, &orientation);
    const D3DXVECTOR3 p = position.ToWorld();
    D3DXMatrixTranslation(&t, p.x, p.y, p.z);
    D3DXMatrixMultiply(&world, &s, &r);
    D3DXMatrixMultiply(&world, &world, &t);
    return world;
}

std::string Numbered(const char* prefix, int n) { return prefix + std::to_string(n); }

}  // namespace

// ---------------------------------------------------------------------------
// Ground_Base

Ground_Base::Ground_Base(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                         const AreaPos& position)
    : Object3D(objectManager, areaManager, position) {}

void Ground_Base::Shift(const D3DXVECTOR3&) {}

void Ground_Base::AddToPosition(const D3DXVECTOR3& offset) { m_areaPos.Add(offset); }

int Ground_Base::Initialize(int) {
    SetUpdatePriority(100);
    SetGroupFlag(5, true);
    return 0;
}

void Ground_Base::PushBody() {
    if (!m_pRigidBody) return;
    SyncRigidBody(1);
    m_pRigidBody->setLinearVelocity(btVector3(0.0f, 0.0f, 0.0f));
}

void Ground_Base::Update(float) {
    if (Area* area = GetArea()) {
        if (!SameCell(area->GetCell(), m_areaPos.GetCell())) UpdateArea();
    } else {
        UpdateArea();
        if (GetArea()) RenderPiece();
    }
    if (SyncsBody()) PushBody();
}

void Ground_Base::Render(Quorvex::CalcVertexSet*) {
    // The area hook runs from Update: bodies are not built on the render
    // threads.
}

bool Ground_Base::CanCollide(Object3D* other) {
    return other && other->CheckGroupFlag(1) && other->CanCollide(this);
}

int Ground_Base::ApplySetParam(ISetParam* param) {
    auto* head = dynamic_cast<SetParam*>(param);
    if (!head) return -1;
    RequestRemove(false);
    if (head->objectManager) head->objectManager->AddObject(this);
    m_pCreator = head->creator;
    const int kind = GetRenderKind();
    const char* stageName = kind == KindSprite ? "Sprite3DBg" : (kind == KindSolid || kind == KindSolid2) ? "SolidModelBg"
                                                                                                           : nullptr;
    if (stageName && head->objectManager) {
        if (Quorvex::RenderStage* stage = head->objectManager->GetRenderStage(stageName)) AttachStage(stage);
    }
    UpdateArea();
    m_areaPos = head->position;
    PushBody();
    return 0;
}

void Ground_Base::ReturnToFactory() {
    RequestRemove(true);
    RemoveRigidBody();
    if (Quorvex::FactoryAdapter* pool = GetFactory()) pool->ReleaseProduct(this);
}

// ---------------------------------------------------------------------------
// Ground_Block

Ground_Block::Ground_Block(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                           const AreaPos& position)
    : Ground_Base(objectManager, areaManager, position) {}

int Ground_Block::Initialize(int param) {
    Ground_Base::Initialize(param);
    SetGroupFlag(6, true);
    Quorvex::IResourceManager* resources = ResourcesOf(this);
    m_baseMesh.SetMesh(resources, "Mesh_Gnd");
    m_drawnMesh.SetMesh(resources, "Mesh_Gnd2_1");
    return 0;
}

int Ground_Block::ApplySetParam(ISetParam* param) {
    auto* record = dynamic_cast<SetParam*>(param);
    if (!record || Ground_Base::ApplySetParam(param) < 0) return -1;
    m_tileValue = record->tileValue;
    m_orientation = kIdentity;
    m_drawnMesh.SetMesh(nullptr);
    const int n = 1 + RandomInt() % 3;
    m_drawnMesh.SetMesh(ResourcesOf(this), Numbered("Mesh_Gnd2_", n).c_str());
    // The tile layer belongs to the part of the mesh drawn before; attach it
    // to the new one.
    if (!m_drawnMesh.m_materialLayers.empty()) {
        const int index = m_materialIndex;
        m_materialIndex = 0;
        SetMaterial(index);
    }
    return 0;
}

void Ground_Block::ReturnToFactory() {
    RemoveRigidBody();
    Ground_Base::ReturnToFactory();
}

void Ground_Block::SetMaterial(int index) {
    if (index == m_materialIndex) return;
    m_materialIndex = index;
    Quorvex::AdditionalMaterial layer;
    Quorvex::AdditionalMaterial::Attach(FindTerrainMaterial(ResourcesOf(this), Numbered("matGnd", index).c_str()),
                                        &layer, m_drawnMesh.GetMesh(), "Mesh_ground_2_v002");
    m_drawnMesh.m_materialLayers.clear();
    m_drawnMesh.m_materialLayers.push_back(layer);
}

void Ground_Block::Render(Quorvex::CalcVertexSet* list) {
    auto* pool = dynamic_cast<Ground_BlockFactory*>(GetFactory());
    const float factor = pool ? pool->GetMeshValue() : 1.0f;
    if (factor <= 0.0f) return;
    Quorvex::PushRenderStatePreset(list, 2);
    Quorvex::PushDrawObject(list, this);
}

void Ground_Block::Draw() {
    Quorvex::DrawMeshInfo(m_drawnMesh, PlacementMatrix(D3DXVECTOR3(1, 1, 1), m_orientation, m_areaPos));
}

// ---------------------------------------------------------------------------
// Ground_Tree

Ground_Tree::Ground_Tree(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                         const AreaPos& position)
    : Ground_Base(objectManager, areaManager, position) {}

int Ground_Tree::Initialize(int param) {
    Ground_Base::Initialize(param);
    SetType(1);
    m_sprite.color = 0xFFFFFFFF;
    m_sprite.position = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    m_sprite.width = m_sprite.height = 1.0f;
    m_sprite.rotation = kIdentity;
    m_sprite.centered = m_sprite.reverseAngle = m_sprite.flag = 0;
    return 0;
}

void Ground_Tree::SetType(int type) {
    if (type == m_type) return;
    m_type = type;
    float left = 0.0f, top = 0.0f, right = 1.0f, bottom = 1.0f;
    std::string material;
    if (type >= 3 && type <= 6) {
        // A 2 x 2 atlas: 3 upper left, 4 upper right, 5 lower left, 6 lower right.
        const int cell = type - 3;
        left = (cell % 2) * 0.5f;
        top = (cell / 2) * 0.5f;
        right = left + 0.5f;
        bottom = top + 0.5f;
        material = "matTree_3-6";
    } else {
        material = Numbered("matTree_", type);
    }
    m_sprite.SetMaterial(FindTerrainMaterial(ResourcesOf(this), material.c_str()));
    m_sprite.uv[0] = D3DXVECTOR2(left, top);
    m_sprite.uv[1] = D3DXVECTOR2(right, top);
    m_sprite.uv[2] = D3DXVECTOR2(left, bottom);
    m_sprite.uv[3] = D3DXVECTOR2(right, bottom);
}

int Ground_Tree::ApplySetParam(ISetParam* param) {
    auto* record = dynamic_cast<SetParam*>(param);
    if (!record || Ground_Base::ApplySetParam(param) < 0) return -1;
    D3DXQuaternionRotationYawPitchRoll(&m_orientation, 0.0f, -1.5707964f, 0.0f);
    if (record->kind == KindSmall) {
        m_sprite.width = 90.0f + 90.0f * RandomFloat();
        m_sprite.height = 40.0f + 30.0f * RandomFloat();
        m_areaPos.Add(D3DXVECTOR3((RandomFloat() - 0.5f) * 80.0f, 0.3f * m_sprite.height, 0.0f));
    } else {
        m_sprite.width = (450.0f + 250.0f * RandomFloat()) * 0.75f;
        m_sprite.height = (500.0f + 250.0f * RandomFloat()) * 0.75f;
        const float x = (RandomFloat() - 0.5f) * 80.0f;
        const float z = (RandomFloat() - 0.5f) * 100.0f;
        m_areaPos.Add(D3DXVECTOR3(x, 0.37f * m_sprite.height, z));
    }
    if (RandomInt() & 1) {
        std::swap(m_sprite.uv[0].x, m_sprite.uv[1].x);
        std::swap(m_sprite.uv[2].x, m_sprite.uv[3].x);
    }
    m_sprite.color = 0xFFFFFFFF;
    m_age = 0.0f;
    return 0;
}

void Ground_Tree::Update(float timeStep) {
    Ground_Base::Update(timeStep);
    m_age += timeStep;
}

void Ground_Tree::Render(Quorvex::CalcVertexSet* list) {
    if (m_sprite.color == 0) return;
    m_sprite.position = m_areaPos.ToWorld();
    m_sprite.rotation = m_orientation;
    Quorvex::PushRenderStatePreset(list, 2);
    Quorvex::PushAxisBillboardView(list, m_sprite);
}

// ---------------------------------------------------------------------------
// Ground_MeshPiece

Ground_MeshPiece::Ground_MeshPiece(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                                   const AreaPos& position)
    : Ground_Base(objectManager, areaManager, position) {}

Ground_MeshPiece::~Ground_MeshPiece() { Ground_Base::ReturnToFactory(); }

void Ground_MeshPiece::SetMeshId(const char* id) {
    m_mesh.SetMesh(nullptr);
    if (id && *id) m_mesh.SetMesh(ResourcesOf(this), id);
}

int Ground_MeshPiece::ApplyOriented(ISetParam* param) {
    auto* record = dynamic_cast<Ground_OrientedParam*>(param);
    return record ? ApplyPlacement(param, &record->orientation) : -1;
}

int Ground_MeshPiece::ApplyPlacement(ISetParam* param, const D3DXQUATERNION* orientation) {
    if (Ground_Base::ApplySetParam(param) < 0) return -1;
    m_orientation = orientation ? *orientation : kIdentity;
    m_scale = D3DXVECTOR3(1.0f, 1.0f, 1.0f);
    return 0;
}

void Ground_MeshPiece::BuildBody(const wchar_t* shapeSetName, float restitution) {
    CollisionShapeSet* set = m_pAreaManager ? m_pAreaManager->FindShapeSet(shapeSetName) : nullptr;
    if (!set) return;
    CreateRigidBody(set, 0, restitution, 0.0f);
    PushBody();
}

void Ground_MeshPiece::Render(Quorvex::CalcVertexSet* list) {
    Quorvex::PushRenderStatePreset(list, BlendPreset());
    Quorvex::PushDrawObject(list, this);
}

void Ground_MeshPiece::Draw() {
    Quorvex::DrawMeshInfo(m_mesh, PlacementMatrix(m_scale * DrawScale(), m_orientation, m_areaPos));
}

// ---------------------------------------------------------------------------
// Ice, caves, flowers, buildings

Ground_SnowIce::Ground_SnowIce(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                               const AreaPos& position)
    : Ground_MeshPiece(objectManager, areaManager, position) {}

int Ground_SnowIce::Initialize(int param) {
    Ground_Base::Initialize(param);
    SetMeshId("Mesh_Gnd3_1");
    return 0;
}

int Ground_SnowIce::ApplySetParam(ISetParam* param) { return ApplyPlacement(param, nullptr); }

Ground_SnowIce2::Ground_SnowIce2(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                                 const AreaPos& position)
    : Ground_MeshPiece(objectManager, areaManager, position) {}

int Ground_SnowIce2::Initialize(int param) {
    Ground_Base::Initialize(param);
    SetMeshId("Mesh_Gnd4_1");
    return 0;
}

int Ground_SnowIce2::ApplySetParam(ISetParam* param) { return ApplyOriented(param); }

void Ground_SnowIce2::Update(float timeStep) {
    Ground_MeshPiece::Update(timeStep);
    if (GetArea() && !m_pRigidBody) RenderPiece();
}

void Ground_SnowIce2::RenderPiece() {
    if (m_pRigidBody || !GetArea()) return;
    BuildBody(L"SnowIce2", 0.5f);
}

Ground_Cave::Ground_Cave(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                         const AreaPos& position)
    : Ground_MeshPiece(objectManager, areaManager, position) {}

int Ground_Cave::ApplySetParam(ISetParam* param) { return ApplyOriented(param); }

void Ground_Cave::SetType(int type) {
    SetMeshId(type >= 0 && type <= 7 ? Numbered("Mesh_Doukutsu2_", type + 1).c_str() : "");
}

Ground_Flower::Ground_Flower(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                             const AreaPos& position)
    : Ground_MeshPiece(objectManager, areaManager, position) {}

int Ground_Flower::ApplySetParam(ISetParam* param) { return ApplyOriented(param); }

void Ground_Flower::SetType(int type) {
    static const char* const kMeshes[3] = {"Mesh_Flower", "Mesh_Flower1", "Mesh_Flower2"};
    SetMeshId(type >= 0 && type <= 2 ? kMeshes[type] : "");
}

Ground_Building::Ground_Building(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                                 const AreaPos& position)
    : Ground_MeshPiece(objectManager, areaManager, position) {}

int Ground_Building::ApplySetParam(ISetParam* param) {
    auto* record = dynamic_cast<SetParam*>(param);
    if (!record || ApplyPlacement(param, &record->orientation) < 0) return -1;
    // Enemy side and solid: the player's shots hit buildings.
    SetGroupFlag(2, true);
    SetGroupFlag(5, true);
    SetGroupFlag(6, false);
    m_value = record->value;
    return 0;
}

void Ground_Building::SetType(int variant) {
    std::wstring shapeSet;
    if (m_value > 0) {
        shapeSet = L"Building-p1s" + std::to_wstring(m_value);
        if (m_value <= 5) {
            const float scale = 0.5f + 0.1f * static_cast<float>(m_value);
            m_scale = D3DXVECTOR3(scale, scale, scale);
        }
    }
    SetMeshId(variant >= 0 && variant <= 4 ? Numbered("Mesh_Building_p", variant + 1).c_str() : "");
    if (!shapeSet.empty()) BuildBody(shapeSet.c_str(), 0.01f);
}

// ---------------------------------------------------------------------------
// Ground_Yama

Ground_Yama::Ground_Yama(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                         const AreaPos& position)
    : Ground_MeshPiece(objectManager, areaManager, position) {}

Ground_Yama::~Ground_Yama() { ClearPieces(); }

Ground_Yama::TypeInfo Ground_Yama::GetTypeInfo(int type) {
    switch (type) {
    case 0: return {"Mesh_Yama1", L"Yama1", 1, 0.0f};
    case 2: return {"Mesh_Yama_R1", L"Yama_r1", 0, 0.0f};
    case 3: return {"Mesh_Yama_R2", L"Yama_r2", 0, 0.0f};
    case 4:
    case 7:
    case 8: return {"Mesh_Yama3", L"Yama1", 0, 0.0f};
    case 5: return {"Mesh_Yama_L1", L"Yama_l1", 0, 0.0f};
    case 6: return {"Mesh_Yama_L2", L"Yama_l2", 0, 0.0f};
    case 9: return {"Mesh_Yama_O2-1", L"YamaO1", 2, 0.0f};
    case 10: return {"Mesh_Yama_O2-2", L"YamaO1", 2, 50.0f};
    case 11: return {"Mesh_Yama_BL", L"Yama1", 0, 0.0f};
    case 12: return {"Mesh_Yama_BR", L"Yama1", 0, 0.0f};
    default: return {"Mesh_Yama3", L"Yama3", 1, 0.0f};  // 1 and every other type
    }
}

int Ground_Yama::ApplySetParam(ISetParam* param) {
    if (ApplyOriented(param) < 0) return -1;
    m_look = 0.0f;
    m_planted = 0;
    return 0;
}

void Ground_Yama::ReturnToFactory() {
    ClearPieces();
    Ground_Base::ReturnToFactory();
}

void Ground_Yama::SetType(int type) {
    m_orientation = kIdentity;
    const TypeInfo info = GetTypeInfo(type);
    if (m_look <= 0.0f && !m_planted && info.trees != 0) {
        m_planted = 1;
        if (info.trees == 1)
            PlantRows();
        else
            PlantGrid(D3DXVECTOR3(0.0f, info.lift, 0.0f));
    }
    SetMeshId(info.mesh);
    BuildBody(info.shapeSet, 0.01f);
}

void Ground_Yama::PlantTree(const D3DXVECTOR3& offset, float widthScale, float heightScale) {
    if (!m_pCreator) return;
    const D3DXVECTOR3 turned = Quorvex::RotateByQuaternion(offset, m_orientation);
    Ground_Tree* tree = m_pCreator->CreateTree(m_areaPos.Translated(turned));
    if (!tree) return;
    tree->SetType(3 + RandomInt() % 3);
    tree->m_sprite.width *= widthScale;
    tree->m_sprite.height *= heightScale;
    // The builder's reference becomes the mountain's.
    if (!m_trees.insert(tree).second) tree->Release();
}

void Ground_Yama::PlantRows() {
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 24; ++j) {
            const float x = (RandomFloat() - 0.5f) * 150.0f + 1000.0f * static_cast<float>(i);
            const float y = (RandomFloat() - 0.5f) * 50.0f + 15.0f;
            PlantTree(D3DXVECTOR3(x, y, 83.333336f * static_cast<float>(j)), 1.2f, 1.5f);
        }
    }
}

void Ground_Yama::PlantGrid(const D3DXVECTOR3& lift) {
    const D3DXVECTOR3* cell = Quorvex::g_pEnvironment ? Quorvex::g_pEnvironment->GetCellSize() : nullptr;
    const float sx = 2.0f * (cell ? cell->x : 1000.0f) / 12.0f;
    const float sz = 2.0f * (cell ? cell->z : 1000.0f) / 12.0f;
    for (int i = 0; i < 12; ++i) {
        for (int j = 0; j < 3; ++j) {
            const float x = (RandomFloat() - 0.5f) * sx + sx * static_cast<float>(i - 1);
            const float y = (RandomFloat() - 0.5f) * 50.0f + 25.0f;
            const float z = (RandomFloat() - 0.5f) * sz + sz * static_cast<float>(j);
            PlantTree(D3DXVECTOR3(x, y, z) + lift, 1.5f, 1.0f);
        }
    }
}

void Ground_Yama::ClearPieces() {
    std::set<Ground_Tree*> trees;
    trees.swap(m_trees);
    for (Ground_Tree* tree : trees) {
        tree->ReturnToFactory();
        tree->Release();
    }
}

void Ground_Yama::Render(Quorvex::CalcVertexSet* list) {
    Quorvex::PushRenderStatePreset(list, 2);
    Quorvex::PushRenderStatePreset(list, 3);
    Quorvex::PushDrawObject(list, this);
}

void Ground_Yama::Draw() {
    Quorvex::MeshUnit* mesh = m_mesh.GetMesh();
    Quorvex::ObjectManager* manager = GetObjectManager();
    Quorvex::ShaderManager* shaders = manager ? manager->GetShaderManager() : nullptr;
    if (!mesh || !shaders || (m_look != 0.0f && m_look != 1.0f)) return;
    const D3DXMATRIX world = PlacementMatrix(m_scale, m_orientation, m_areaPos);
    Quorvex::IResourceManager* resources = manager->GetResourceManager();

    // The overlay material of the part "Mesh_yama1_v006", and the colour
    // factor of the pass in the mesh colour's alpha.
    auto pass = [&](int blend, const char* material, float factor) {
        shaders->SetBlendMode(blend);
        m_mesh.m_materialLayers.clear();
        if (material) {
            Quorvex::AdditionalMaterial layer;
            Quorvex::AdditionalMaterial::Attach(FindTerrainMaterial(resources, material), &layer, mesh,
                                                "Mesh_yama1_v006");
            m_mesh.m_materialLayers.push_back(layer);
        }
        mesh->m_colour.w = factor;
        Quorvex::DrawMeshInfo(m_mesh, world);
    };
    if (m_look == 0.0f) {
        pass(2, nullptr, 1.0f);
    } else {
        pass(2, "matYama2", 1.0f);
        pass(3, "matYougan2", 0.5f);
    }
    mesh->m_colour.w = 1.0f;
    m_mesh.m_materialLayers.clear();
}
