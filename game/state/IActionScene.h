// What play objects ask of the running action scene: the player's special
// mode slows time and tints the screen, the enemy timetables send the stage
// its cue, and bosses end a section or blow up the stage's objects. The action
// and stage scenes implement it; the game state names the running one.
#pragma once

class IActionScene {
public:
    // Game time runs at this rate (1 = normal).
    virtual void SetTimeScale(float scale) = 0;
    // 1.0 is the plain picture; below that a dark tint over the play world.
    virtual void SetScreenEffectIntensity(float intensity) = 0;
    virtual void SetSecondaryEffect(bool on) = 0;
    virtual bool IsSecondaryEffectOn() const = 0;
    // The cue the stage-1 enemy timetable sends its owner.
    virtual void OnStageCue() = 0;
    // Ends the stage's current section.
    virtual void SetSkip() = 0;
    // Blows up the stage's objects of kind 7; false when the scene is not a
    // stage and has none.
    virtual bool ExplodeKind7Objects() = 0;

protected:
    ~IActionScene() = default;
};
