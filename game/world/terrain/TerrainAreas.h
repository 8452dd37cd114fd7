// The stage areas: streamed cells that place terrain pieces, water rectangles
// and smoke through the ground generator when they are initialised, and give
// them back when they go. Each keeps every piece it placed; once its cell has
// left the keep window the pieces go back to their pools, so that the Area
// empties and is removed and the pools never run dry while a stage streams
// on.
#pragma once
#include <vector>

#include "game/world/Area.h"
#include "game/world/terrain/GroundGenerator.h"

// What every stage area shares: the generator it was made with, the pieces
// and water rectangles it placed.
class Area_Terrain : public Area {
public:
    Area_Terrain(Quorvex::IAreaManager* areaManager, const Quorvex::Int3& cell, GroundGenerator* generator);
    // Gives back the pieces and the water rectangles.
    ~Area_Terrain() override;

    // The base update; then, outside the keep window, the pieces go back.
    void Update(float timeStep) override;

    // Every placed piece goes back to its pool (once).
    void ReturnPieces();
    size_t GetPieceCount() const { return m_pieces.size(); }
    size_t GetWaterCount() const { return m_water.size(); }
    GroundGenerator* GetGenerator() const { return m_pGenerator; }

protected:
    // Keeps the caller's reference of a placed piece (null is skipped);
    // answers the piece.
    template <class T>
    T* Keep(T* piece) {
        if (piece) m_pieces.push_back(piece);
        return piece;
    }
    // A water rectangle of one cell size at the position.
    void AddWater(const Quorvex::AreaPos& position);
    // The cell with the given offsets, each axis normalised.
    Quorvex::AreaPos CellPos(const D3DXVECTOR3& offset) const;
    // The game's ground offset (0 without a game state).
    static D3DXVECTOR3 GroundOffset();

    GroundGenerator* m_pGenerator = nullptr;  // not counted
    std::vector<Ground_Base*> m_pieces;  // one reference each
    std::vector<Ground_SeaSet::WaterParamUnit*> m_water;  // the sea holds them
};

class Area_Sea : public Area_Terrain {
public:
    // Ice density d, smoke rate r, large-ice switch q.
    Area_Sea(Quorvex::IAreaManager* areaManager, const Quorvex::Int3& cell, GroundGenerator* generator,
             float density, float smokeRate, float largeIce);
    int Init(int param) override;
    // Also releases smoke over the water at the smoke rate.
    void Update(float timeStep) override;

    // Seconds between two smoke puffs at the rate.
    static float SmokeInterval(float rate);
    float GetDensity() const { return m_density; }
    float GetSmokeRate() const { return m_smokeRate; }
    float GetLargeIce() const { return m_largeIce; }

private:
    float m_density = 0.0f;
    float m_smokeRate = 0.0f;
    float m_smokeTime = 0.0f;
    float m_largeIce = 0.0f;
};

class Area_Block : public Area_Terrain {
public:
    // Layout bits 0 and 1: no large-tree row on side 0 / side 1.
    Area_Block(Quorvex::IAreaManager* areaManager, const Quorvex::Int3& cell, GroundGenerator* generator,
               int layout);
    int Init(int param) override;
    int GetLayout() const { return m_layout; }

private:
    int m_layout = 0;
};

class Area_Block2 : public Area_Terrain {
public:
    Area_Block2(Quorvex::IAreaManager* areaManager, const Quorvex::Int3& cell, GroundGenerator* generator);
    int Init(int param) override;
};

class Area_Yama : public Area_Terrain {
public:
    Area_Yama(Quorvex::IAreaManager* areaManager, const Quorvex::Int3& cell, GroundGenerator* generator,
              int layout);
    int Init(int param) override;
    int GetLayout() const { return m_layout; }
    // Water rectangles of a layout: 1 for 3, 6 and layouts outside 0 to 7.
    static int WaterCount(int layout);

private:
    int m_layout = 0;
};

class Area_Cave : public Area_Terrain {
public:
    Area_Cave(Quorvex::IAreaManager* areaManager, const Quorvex::Int3& cell, GroundGenerator* generator,
              int caveType);
    int Init(int param) override;
    int GetCaveType() const { return m_caveType; }

private:
    int m_caveType = 0;
};

class Area_Flower : public Area_Terrain {
public:
    Area_Flower(Quorvex::IAreaManager* areaManager, const Quorvex::Int3& cell, GroundGenerator* generator,
                int flowerType = 0);
    int Init(int param) override;

private:
    int m_flowerType = 0;
};

class Area_Building : public Area_Terrain {
public:
    Area_Building(Quorvex::IAreaManager* areaManager, const Quorvex::Int3& cell, GroundGenerator* generator,
                  int variant, const D3DXVECTOR3& offset);
    int Init(int param) override;
    int GetVariant() const { return m_variant; }
    // The last building placed.
    Ground_Building* GetBuilding() const { return m_pBuilding; }

private:
    void SpawnSmokeGrid(const D3DXVECTOR3& groundOffset);

    Ground_Building* m_pBuilding = nullptr;  // kept in the piece list
    int m_variant = 0;
    D3DXVECTOR3 m_offset{0.0f, 0.0f, 0.0f};
};

class Area_Forest : public Area_Terrain {
public:
    Area_Forest(Quorvex::IAreaManager* areaManager, const Quorvex::Int3& cell, GroundGenerator* generator);
    int Init(int param) override;
};
