#include "game/world/terrain/GroundGenerator.h"

#include "engine/assets/ResourceManager.h"
#include "engine/core/Environment.h"
#include "engine/core/Utility.h"
#include "game/state/Environment2.h"
#include "game/world/Area.h"
#include "game/world/effects/Smoke.h"

using Quorvex::AreaPos;

namespace {

template <class T>
void ReleaseSlot(T*& slot) {
    if (!slot) return;
    T* held = slot;
    slot = nullptr;
    held->Release();
}

}  // namespace

GroundGenerator::GroundGenerator(const AreaPos& position, Quorvex::IObjectManager* objectManager,
                                 Quorvex::IAreaManager* areaManager)
    : Object3D(objectManager, areaManager, position) {
    Quorvex::ObjectManager* manager = GetObjectManager();
    m_pResourceManager = manager ? manager->GetResourceManager() : nullptr;
    if (m_pResourceManager) m_pResourceManager->AddRef();
}

GroundGenerator::~GroundGenerator() {
    if (g_pEnvironment2 && g_pEnvironment2->groundGenerator == this) g_pEnvironment2->groundGenerator = nullptr;
    ReleaseSlot(m_pBuildingFactory);
    ReleaseSlot(m_pFlowerFactory);
    ReleaseSlot(m_pCaveFactory);
    ReleaseSlot(m_pYamaFactory);
    ReleaseSlot(m_pSmokeFactory);
    ReleaseSlot(m_pSnowIce2Factory);
    ReleaseSlot(m_pSnowIceFactory);
    ReleaseSlot(m_pBlockFactory);
    ReleaseSlot(m_pTreeFactory);
    ReleaseSlot(m_pSea);
    ReleaseSlot(m_pSkyDome);
    ReleaseSlot(m_pSpellBg);
    Quorvex::ReleaseObjectSet(m_objectsA);
    Quorvex::ReleaseObjectSet(m_objectsB);
    ReleaseSlot(m_pResourceManager);
}

GroundGenerator* GroundGenerator::GetCurrent() { return g_pEnvironment2 ? g_pEnvironment2->groundGenerator : nullptr; }

template <class Pool>
int GroundGenerator::MakePool(Pool*& slot) {
    slot = new Pool(GetManager(), m_pAreaManager, m_areaPos);
    slot->AddRef();
    return slot->Initialize(0);
}

// The smoke pool follows the game state's centre record.
template <>
int GroundGenerator::MakePool<SmokeFactory>(SmokeFactory*& slot) {
    slot = new SmokeFactory(GetManager(), m_pAreaManager, nullptr);
    slot->AddRef();
    return slot->Initialize(0);
}

int GroundGenerator::Initialize(int) {
    SetUpdatePriority(700);
    m_areaPos = AreaPos::FromWorld(D3DXVECTOR3(0.0f, 0.0f, 0.0f));

    m_pSea = new Ground_SeaSet::Ground_Sea(this, m_areaPos, GetManager(), m_pAreaManager);
    m_pSea->AddRef();
    if (m_pSea->Initialize(kSeaCapacity) < 0) return -1;

    if (MakePool(m_pTreeFactory) < 0 || MakePool(m_pBlockFactory) < 0 || MakePool(m_pSnowIceFactory) < 0 ||
        MakePool(m_pSnowIce2Factory) < 0 || MakePool(m_pSmokeFactory) < 0 || MakePool(m_pYamaFactory) < 0 ||
        MakePool(m_pCaveFactory) < 0 || MakePool(m_pFlowerFactory) < 0 || MakePool(m_pBuildingFactory) < 0)
        return -1;

    if (m_pAreaManager) SetArea(m_pAreaManager->FindArea(m_areaPos.GetCell(), 0));
    if (g_pEnvironment2) g_pEnvironment2->SetGroundGenerator(this);
    return 0;
}

void GroundGenerator::Update(float) {
    Area* area = GetArea();
    if (!area || !SameCell(area->GetCell(), m_areaPos.GetCell())) UpdateArea();
    const float frameTime = Quorvex::g_pEnvironment ? Quorvex::g_pEnvironment->GetFrameTime() : 0.0f;
    if (g_pEnvironment2) m_areaPos.Add(g_pEnvironment2->sharedVector * frameTime);
}

SkyDome* GroundGenerator::CreateSkyDome() {
    Quorvex::ObjectManager* manager = GetObjectManager();
    if (m_pSkyDome) {
        if (manager) manager->AddObject(m_pSkyDome);
        return m_pSkyDome;
    }
    m_pSkyDome = new SkyDome(manager);
    m_pSkyDome->AddRef();
    return m_pSkyDome;
}

EnemySpellBg* GroundGenerator::CreateEnemySpellBg() {
    Quorvex::ObjectManager* manager = GetObjectManager();
    if (m_pSpellBg) {
        if (manager) manager->AddObject(m_pSpellBg);
        return m_pSpellBg;
    }
    m_pSpellBg = new EnemySpellBg(manager);
    m_pSpellBg->AddRef();
    return m_pSpellBg;
}

Ground_SeaSet::WaterParamUnit* GroundGenerator::AddWaterParam(const AreaPos& position, float width, float depth) {
    auto* unit = new Ground_SeaSet::WaterParamUnit(position, width, depth);
    unit->AddRef();
    const bool taken = m_pSea && m_pSea->AddWaterParam(unit);
    // The sea's reference is the only one kept: a refused unit is gone now,
    // and the caller must not keep it.
    unit->Release();
    return taken ? unit : nullptr;
}

Ground_Base::SetParam GroundGenerator::MakeHead(const AreaPos& position) {
    Ground_Base::SetParam head;
    head.creator = this;
    head.position = position;
    head.objectManager = GetObjectManager();
    return head;
}

template <class Piece, class Record>
Piece* GroundGenerator::Acquire(Quorvex::FactoryAdapter* pool, Record& record) {
    if (!pool) return nullptr;
    Quorvex::IFactoryProduct* product = pool->AcquireProduct(&record);
    Piece* piece = dynamic_cast<Piece*>(product);
    if (product && !piece) product->Release();
    return piece;
}

Ground_Block* GroundGenerator::CreateBlock(const AreaPos& position, int tileValue) {
    Ground_Block::SetParam record;
    static_cast<Ground_Base::SetParam&>(record) = MakeHead(position);
    record.tileValue = tileValue;
    return Acquire<Ground_Block>(m_pBlockFactory, record);
}

Ground_Tree* GroundGenerator::AcquireTree(const AreaPos& position, int kind) {
    Ground_Tree::SetParam record;
    static_cast<Ground_Base::SetParam&>(record) = MakeHead(position);
    record.kind = kind;
    return Acquire<Ground_Tree>(m_pTreeFactory, record);
}

Ground_Tree* GroundGenerator::CreateSmallTree(const AreaPos& position) {
    return AcquireTree(position, Ground_Tree::KindSmall);
}

Ground_Tree* GroundGenerator::CreateTree(const AreaPos& position) { return AcquireTree(position, Ground_Tree::KindLarge); }

void GroundGenerator::CreateTreeRow(const AreaPos& origin, std::vector<Ground_Tree*>* kept) {
    for (int i = 0; i < kTreeRowCount; ++i) {
        const float u = Quorvex::RandomFloat();
        Ground_Tree* tree =
            CreateSmallTree(origin.Translated(D3DXVECTOR3(u * 1050.0f - 525.0f, 0.0f, static_cast<float>(i) * 40.0f)));
        if (!tree) continue;
        if (kept)
            kept->push_back(tree);
        else
            tree->Release();  // the pool keeps the tree in use
    }
}

Ground_SnowIce* GroundGenerator::CreateSnowIce(const AreaPos& position) {
    Ground_Base::SetParam record = MakeHead(position);
    return Acquire<Ground_SnowIce>(m_pSnowIceFactory, record);
}

Ground_SnowIce2* GroundGenerator::CreateSnowIce2(const AreaPos& position, const D3DXQUATERNION& orientation) {
    Ground_OrientedParam record;
    static_cast<Ground_Base::SetParam&>(record) = MakeHead(position);
    record.orientation = orientation;
    return Acquire<Ground_SnowIce2>(m_pSnowIce2Factory, record);
}

Ground_Yama* GroundGenerator::CreateYama(const AreaPos& position) {
    Ground_OrientedParam record;
    static_cast<Ground_Base::SetParam&>(record) = MakeHead(position);
    return Acquire<Ground_Yama>(m_pYamaFactory, record);
}

Ground_Cave* GroundGenerator::CreateCave(const AreaPos& position) {
    Ground_OrientedParam record;
    static_cast<Ground_Base::SetParam&>(record) = MakeHead(position);
    return Acquire<Ground_Cave>(m_pCaveFactory, record);
}

Smoke* GroundGenerator::CreateSmoke(const char* stageName, const AreaPos& position, float lifeRate, float size,
                                    float alphaScale, const D3DXVECTOR3& velocity) {
    if (!m_pSmokeFactory) return nullptr;
    Smoke::SetParam record(GetObjectManager(), stageName);
    Smoke* smoke = m_pSmokeFactory->AcquireSmoke(&record);
    if (!smoke) return nullptr;
    smoke->m_lifeRate = lifeRate;
    smoke->m_size = size;
    smoke->m_alphaScale = alphaScale;
    smoke->m_velocity = velocity;
    smoke->Position() = position.ToWorld();
    return smoke;
}

IUnknown* CountedOf(GroundGenerator* generator) { return generator; }
