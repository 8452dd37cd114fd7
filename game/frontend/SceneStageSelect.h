// The stage select: starts a run at any level already reached on a chosen
// difficulty, with a chosen fighter. A 2D panel beside the title scene with
// five rows: difficulty, level, fighter, start and close.
#pragma once
#include <memory>

#include "game/frontend/PanelScene.h"
#include "game/frontend/PanelSprSet.h"

class SceneRequests;

class SceneStageSelect : public PanelScene {
public:
    enum Row { kRowDifficulty = 1, kRowLevel = 2, kRowFighter = 3, kRowStart = 4, kRowClose = 5 };
    static constexpr int kRowCount = 5;
    static constexpr int kDifficultyCount = 4;
    static constexpr int kFighterCount = 4;
    // The panel offers the levels that have a stage to start: 1 to 5.
    static constexpr int kMaxSelectableLevel = 5;

    class SprSet : public PanelSprSet {
    public:
        SprSet(Quorvex::ObjectManager* objects, Quorvex::IResourceManager* resources);
        // The panel's sprites in their order, placed at the origin. Fighters
        // that are locked get no sprite.
        void Build();

        Quorvex::RenderObjectSpr2D* rowLabel[kRowCount + 1] = {};
        Quorvex::RenderObjectSpr2D* difficulty[kDifficultyCount + 1] = {};
        Quorvex::RenderObjectSpr2D* level[kMaxSelectableLevel + 1] = {};
        Quorvex::RenderObjectSpr2D* fighter[kFighterCount + 1] = {};
    };

    // Named "stageselect"; its own object manager (one job record), no area
    // manager.
    SceneStageSelect();
    // Releases the panel.
    ~SceneStageSelect() override;

    // start: a SceneRequests::StartParam. -1 when the render group cannot be
    // registered, else 0.
    int OnInitialize(void* param) override;
    void OnUpdate(float timeStep) override;
    void OnRender() override {}

    // The unlocked level of a difficulty (1..4) that the panel can offer:
    // kept within 1..5.
    static int MaxLevelOf(int difficulty);
    static bool IsFighterUnlocked(int fighter);
    // From `fighter`, steps of +1 or -1 with wrap over 1..4 until an unlocked
    // fighter is reached; after one full turn without one, fighter 1.
    static int StepFighter(int fighter, int direction);
    // Writes the run's choices into the game state and asks the game manager
    // for the stage of the level; false for a level without a stage.
    static bool StartRun(SceneRequests* manager, int difficulty, int level, int fighter);

    int GetRow() const { return m_row; }
    int GetDifficulty() const { return m_difficulty; }
    int GetLevel() const { return m_level; }
    int GetFighter() const { return m_fighter; }

    // Registers the panel's picture cut-outs with the object manager's
    // resource manager.
    static void RegisterCells(Quorvex::ObjectManager* objects);

protected:
    void SetDifficulty(int difficulty);
    void SetLevel(int level);
    void SetFighter(int fighter);

    std::unique_ptr<SprSet> m_pSprites;
    int m_row = kRowDifficulty;
    int m_difficulty = 2;
    int m_level = 1;
    int m_fighter = 1;
    int m_maxLevel = 1;
};
