// The stages' area factories. Each decides per requested cell which stage
// area to make, from the kind that the stage changes as it progresses and
// from the cell's place relative to a base cell, and shares one ground
// generator with the other stages.
#pragma once
#include "game/world/AreaFactoryAdapter.h"
#include "game/world/terrain/GroundGenerator.h"
#include "game/world/terrain/TerrainAreas.h"

// The shape every stage factory shares.
class AreaFactory_Base : public AreaFactoryAdapter {
public:
    AreaFactory_Base(Quorvex::IAreaManager* areaManager, Quorvex::IObjectManager* objectManager,
                     int stageValue = 0);
    // Releases the ground generator.
    ~AreaFactory_Base() override;

    // Takes the game's ground generator, or makes it at cell (0, 0, 0) when
    // there is none, and lets it prepare the sky and the spell background:
    // 0, or -2 when the generator cannot be initialised.
    int Init(int param) override;
    // Builds the Area that ChooseArea picks with creation on demand off:
    // 0, or -1 (nothing made, or its initialisation failed).
    int CreateArea(Area** out, const Quorvex::Int3& cell) override;
    float GetCost(const Quorvex::Int3&) override { return 0.01f; }

    GroundGenerator* GetGroundGenerator() const { return m_pGenerator; }
    const Quorvex::Int3& GetBaseCell() const { return m_baseCell; }
    void SetBaseCell(const Quorvex::Int3& cell) { m_baseCell = cell; }
    int GetStageValue() const { return m_stageValue; }

    // The Area the factory makes for the cell in its current kind (not yet
    // initialised), or null when the kind makes none.
    virtual Area* ChooseArea(const Quorvex::Int3& cell) = 0;

protected:
    // Made when the chosen Area cannot be made: none by default.
    virtual Area* FallbackArea(const Quorvex::Int3&) { return nullptr; }
    Area_Sea* MakeSea(const Quorvex::Int3& cell, float density = 0.0f, float smokeRate = 0.0f,
                      float largeIce = 0.0f);

    Quorvex::IObjectManager* m_pObjectManager = nullptr;  // not counted
    GroundGenerator* m_pGenerator = nullptr;  // counted
    int m_stageValue = 0;
    Quorvex::Int3 m_baseCell;
};

// Stage 1: ground blocks with tree rows, then sea.
class AreaFactory_1 : public AreaFactory_Base {
public:
    AreaFactory_1(Quorvex::IAreaManager* areaManager, Quorvex::IObjectManager* objectManager);
    Area* ChooseArea(const Quorvex::Int3& cell) override;
};

// Stage 2 and the title: sea with ice and smoke by kind.
class AreaFactory_2 : public AreaFactory_Base {
public:
    AreaFactory_2(Quorvex::IAreaManager* areaManager, Quorvex::IObjectManager* objectManager);
    Area* ChooseArea(const Quorvex::Int3& cell) override;

    // The sea parameters (density, smoke rate, large ice) of a kind; false
    // for a kind that makes nothing.
    bool SeaParams(int kind, float* density, float* smokeRate, float* largeIce) const;

    // The transition values D, A and B that the stage writes, 0 to 1.
    float m_transitionD = 0.0f;
    float m_transitionA = 0.0f;
    float m_transitionB = 0.0f;
};

// Stage 3: mountains laid out by fixed pattern tables.
class AreaFactory_3 : public AreaFactory_Base {
public:
    AreaFactory_3(Quorvex::IAreaManager* areaManager, Quorvex::IObjectManager* objectManager,
                  const float renderSettings[3] = nullptr);
    Area* ChooseArea(const Quorvex::Int3& cell) override;

    // The area type of the target cell for the kind, from the factory's base
    // cell: 2 to 13 are mountains (layout type - 2), everything else sea.
    static int BuildPattern(AreaFactory_3* factory, const Quorvex::Int3& target, int kind);
    // The same from a base cell.
    static int BuildPattern(const Quorvex::Int3& base, const Quorvex::Int3& target, int kind);

    // The stage's three terrain render settings.
    float m_renderSettings[3] = {0.0f, 0.0f, 0.0f};

protected:
    Area* FallbackArea(const Quorvex::Int3& cell) override { return MakeSea(cell); }
};

// Stage 4: caves along a line, driven by a section state machine.
class AreaFactory_4 : public AreaFactory_Base {
public:
    AreaFactory_4(Quorvex::IAreaManager* areaManager, Quorvex::IObjectManager* objectManager);
    Area* ChooseArea(const Quorvex::Int3& cell) override;

    // The section anchor the factory moves as it builds the sections.
    Quorvex::AreaPos m_anchor;

protected:
    // A cell at x = 0 whose z distance from the base is a multiple of 8.
    bool IsLineCell(const Quorvex::Int3& cell) const;
};

// Stage 5: flower patches along a line from where the stage starts.
class AreaFactory_5 : public AreaFactory_Base {
public:
    AreaFactory_5(Quorvex::IAreaManager* areaManager, Quorvex::IObjectManager* objectManager);
    Area* ChooseArea(const Quorvex::Int3& cell) override;

    // The start position stored in kind 0.
    Quorvex::AreaPos m_anchor;
};

// Stage 6 and the bonus scene: flowers, forest, sea, buildings.
class AreaFactory_6 : public AreaFactory_Base {
public:
    AreaFactory_6(Quorvex::IAreaManager* areaManager, Quorvex::IObjectManager* objectManager);
    Area* ChooseArea(const Quorvex::Int3& cell) override;

    Quorvex::AreaPos m_anchor;

protected:
    Area* FallbackArea(const Quorvex::Int3& cell) override { return MakeSea(cell); }
    // Flowers where x = 0 and the z distance from the base is a multiple of
    // 4, sea elsewhere.
    Area* FlowerLine(const Quorvex::Int3& cell);
    Area* Buildings(const Quorvex::Int3& cell);
    friend class AreaFactory_Ex;
};

// The extra stage: the stage-6 areas under other kinds.
class AreaFactory_Ex : public AreaFactory_6 {
public:
    AreaFactory_Ex(Quorvex::IAreaManager* areaManager, Quorvex::IObjectManager* objectManager);
    Area* ChooseArea(const Quorvex::Int3& cell) override;

protected:
    // A plain Area without terrain.
    Area* FallbackArea(const Quorvex::Int3& cell) override;
};
