// What scenes and play objects ask of the game manager: the scene changes
// they request and the scores and counters of the run they write. The game
// manager at the top implements it; everything below reaches it through this
// class (the game state's gameManager, the start record of a scene).
#pragma once
#include <cstdint>

#include "engine/core/Object.h"

class SceneRequests : public Quorvex::Object {
public:
    // What the manager hands to the scenes it starts with an argument. Stages
    // read `value` as the single-stage flag (0 or 1), the ranking scene as its
    // mode (1 view, 2 name entry); the other scenes use only the pointer.
    struct StartParam {
        SceneRequests* gameManager = nullptr;
        int32_t value = 0;
    };

    static constexpr int kLevelSlots = 7;

    using Quorvex::Object::Object;

    // Request pushers: each queues its scene change for the next pass.
    virtual void RequestNewGame() = 0;
    virtual void RequestStage1() = 0;
    virtual void RequestStage2() = 0;
    virtual void RequestStage3() = 0;
    virtual void RequestStage4() = 0;
    virtual void RequestStage5() = 0;
    virtual void RequestStage6() = 0;
    virtual void RequestStageEx() = 0;
    virtual void RequestEnding() = 0;
    virtual void RequestBonus() = 0;
    virtual void RequestEndAction() = 0;
    // CheckHighScore at once (committing the stage score), then RequestEndAction.
    virtual void ResetAndRequestEndAction() = 0;
    virtual void RequestDeadEnd() = 0;
    virtual void RequestContinue() = 0;
    virtual void RequestTitle() = 0;
    virtual void RequestStageSelect() = 0;
    virtual void RequestOption() = 0;
    virtual void RequestScore() = 0;
    virtual void RequestQuit() = 0;
    virtual void RequestTitleMenu() = 0;
    virtual void RequestFinishToTitleMenu() = 0;
    virtual void RequestFinishToTitle() = 0;

    // Clears the per-stage counters, raises the unlocked level of the current
    // difficulty to the current level, commits the stage score and saves the
    // settings.
    virtual void UpdateProgress() = 0;
    // Adds the stage bonus to the stage and total scores and the stage score
    // to the run's table entry of the current fighter, difficulty and level;
    // then clears the stage score, counters and bonus.
    virtual void CommitStageScore() = 0;
    // What a run that reaches the ending unlocks: the difficulty's unlocked
    // level becomes the extra level (with the extra-stage notice when no
    // difficulty had it before); after the extra stage, Toska (with its
    // notice the first time) and, when Toska flew it, Bramel.
    virtual void GrantEndingUnlocks() = 0;
    // Commits the stage score, then for each level slot finds the best rank
    // the run's score beats (a tie does not beat). out (7 ints, optional)
    // gets that rank or -1 per slot. Answers the number of slots that beat a
    // rank.
    virtual int CheckHighScore(int* out) = 0;

    // Scores and counters of the run, written by enemies, the result panel
    // and the HUD.
    float playTime = 0.0f;
    int32_t continuesLeft = 10;
    int64_t stageScore = 0;
    int64_t totalScore = 0;
    int32_t enemiesAppeared = 0;
    int32_t enemiesShotDown = 0;
    int64_t stageBonus = 0;
    float scoreMultiplier = 0.0f;
    float scoreGauge = 0.0f;
};
