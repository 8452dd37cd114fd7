// The one owner of everything the terrain areas place during a stage: the sea
// surface, the sky dome, the spell background and the pools of terrain pieces
// and smoke. Areas never create pieces themselves; they call the builders
// here, which fill a launch record and take a piece from the matching pool.
// The generator publishes itself in the game state, through which the stage
// scripts and the enemies reach it.
#pragma once
#include <set>
#include <vector>

#include "engine/core/render/ObjectManager.h"
#include "game/world/Object3D.h"
#include "game/world/terrain/EnemySpellBg.h"
#include "game/world/terrain/GroundFactories.h"
#include "game/world/terrain/GroundPieces.h"
#include "game/world/terrain/Ground_SeaSet.h"
#include "game/world/terrain/SkyDome.h"

class Smoke;
class SmokeFactory;

namespace Quorvex {
class IResourceManager;
}

class GroundGenerator : public Object3D {
public:
    // The sea's capacity in water rectangles.
    static constexpr int kSeaCapacity = 3000;
    // Small trees in one row.
    static constexpr int kTreeRowCount = 25;

    GroundGenerator(const Quorvex::AreaPos& position, Quorvex::IObjectManager* objectManager,
                    Quorvex::IAreaManager* areaManager);
    // Leaves the game state, then drops the pools, the sea, the sky dome and
    // the spell background.
    ~GroundGenerator() override;

    // Creates the sea and the nine pools and publishes the generator: 0, or
    // -1 when a part fails (what was made stays until teardown).
    int Initialize(int param) override;
    // Re-bins, then drifts with the game's drift velocity.
    void Update(float timeStep) override;

    // Made on first request and kept; a later request registers the kept one
    // again and returns it. The pointer is borrowed: the generator holds it.
    SkyDome* CreateSkyDome();
    EnemySpellBg* CreateEnemySpellBg();

    // A water rectangle in the sea, which holds its only reference; null when
    // the sea is full (the unit is gone then).
    Ground_SeaSet::WaterParamUnit* AddWaterParam(const Quorvex::AreaPos& position, float width, float depth);

    // The builders: each answers the piece with one reference for the caller,
    // or null when its pool is exhausted.
    Ground_Block* CreateBlock(const Quorvex::AreaPos& position, int tileValue);
    Ground_Tree* CreateSmallTree(const Quorvex::AreaPos& position);
    Ground_Tree* CreateTree(const Quorvex::AreaPos& position);
    // 25 small trees across 1050 x 1000 from the origin. The caller's
    // references go into `kept` when given, else they are dropped at once.
    void CreateTreeRow(const Quorvex::AreaPos& origin, std::vector<Ground_Tree*>* kept = nullptr);
    Ground_SnowIce* CreateSnowIce(const Quorvex::AreaPos& position);
    Ground_SnowIce2* CreateSnowIce2(const Quorvex::AreaPos& position, const D3DXQUATERNION& orientation);
    Ground_Yama* CreateYama(const Quorvex::AreaPos& position);
    Ground_Cave* CreateCave(const Quorvex::AreaPos& position);
    // A smoke puff on the named render stage with its life rate, size, alpha
    // scale, velocity and world position set.
    Smoke* CreateSmoke(const char* stageName, const Quorvex::AreaPos& position, float lifeRate, float size,
                       float alphaScale, const D3DXVECTOR3& velocity);

    // Passed on by an area factory that finds the generator already made.
    void SetStageValue(int value) { m_stageValue = value; }
    int GetStageValue() const { return m_stageValue; }

    SkyDome* GetSkyDome() const { return m_pSkyDome; }
    EnemySpellBg* GetEnemySpellBg() const { return m_pSpellBg; }
    Ground_SeaSet::Ground_Sea* GetSea() const { return m_pSea; }
    Ground_TreeFactory* GetTreeFactory() const { return m_pTreeFactory; }
    Ground_BlockFactory* GetBlockFactory() const { return m_pBlockFactory; }
    Ground_SnowIceFactory* GetSnowIceFactory() const { return m_pSnowIceFactory; }
    SmokeFactory* GetSmokeFactory() const { return m_pSmokeFactory; }
    Ground_YamaFactory* GetYamaFactory() const { return m_pYamaFactory; }
    Ground_FlowerFactory* GetFlowerFactory() const { return m_pFlowerFactory; }
    Ground_BuildingFactory* GetBuildingFactory() const { return m_pBuildingFactory; }

    // The game's generator (held by the game state), or null.
    static GroundGenerator* GetCurrent();

private:
    Ground_Base::SetParam MakeHead(const Quorvex::AreaPos& position);
    Ground_Tree* AcquireTree(const Quorvex::AreaPos& position, int kind);
    template <class Piece, class Record>
    Piece* Acquire(Quorvex::FactoryAdapter* pool, Record& record);
    template <class Pool>
    int MakePool(Pool*& slot);

    Quorvex::IResourceManager* m_pResourceManager = nullptr;  // counted
    std::set<IUnknown*> m_objectsA;  // counted
    std::set<IUnknown*> m_objectsB;  // counted
    SkyDome* m_pSkyDome = nullptr;       // counted
    EnemySpellBg* m_pSpellBg = nullptr;  // counted
    Ground_SeaSet::Ground_Sea* m_pSea = nullptr;  // counted
    Ground_TreeFactory* m_pTreeFactory = nullptr;
    Ground_BlockFactory* m_pBlockFactory = nullptr;
    Ground_SnowIceFactory* m_pSnowIceFactory = nullptr;
    Ground_SnowIce2Factory* m_pSnowIce2Factory = nullptr;
    SmokeFactory* m_pSmokeFactory = nullptr;
    Ground_YamaFactory* m_pYamaFactory = nullptr;
    Ground_CaveFactory* m_pCaveFactory = nullptr;
    Ground_FlowerFactory* m_pFlowerFactory = nullptr;
    Ground_BuildingFactory* m_pBuildingFactory = nullptr;
    int m_stageValue = 0;
};
