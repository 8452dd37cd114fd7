// Stage 1: a flight over the sea and the ground blocks under a light that
// darkens from the bright look to the dark one, two waves of enemies, the
// stage-1 boss met twice and the dialogues around it. The whole course is one
// time script of windows evaluated every frame against a clock of its own;
// the base timeline stays empty.
#pragma once
#include "game/play/SceneStage.h"

class EnemyEx;

class SceneStage1 : public SceneStage {
public:
    // How a window's clock runs: timed windows add the frame time, held
    // windows stand until a skip, the final window does neither.
    enum Run { Timed, Held, Final };
    struct Window {
        float start;
        float end;
        Run run;
        int kind;  // the area factory's area kind while the window runs
    };
    static constexpr int kWindowCount = 18;
    static const Window kWindows[kWindowCount];
    // The end the final window stores.
    static constexpr float kFinalEnd = 815.0f;

    SceneStage1();
    ~SceneStage1() override;

    // The stage base's set-up, then the music phase 2 (the playing music
    // released unless it already was 2). 0, or -1.
    int OnInitialize(void* param) override;
    // The stage base's frame, then the script unless paused.
    void OnUpdate(float timeStep) override;
    IAreaFactory* CreateAreaFactory() override;
    // Ends the current held window (and hurries a timed one to its end).
    void SetSkip() override { skipRequested = true; }

    // The window whose bounds hold the clock: 0 <= clock < 2 for the first,
    // start <= clock <= end for the others in table order (a clock on a
    // boundary belongs to the window that ends there), 800 <= clock < 805
    // for the last timed one, the final window beyond.
    static int FindWindow(float clock);
    // One frame of the time script.
    void RunScript(float timeStep);
    int GetWindowIndex() const { return m_window; }

    // A stage-1 look: fog and light colours (also sets the bloom threshold
    // to 0.5).
    static EnvironmentPreset MakePreset(int kind);
    // t <= 0: kind a, t >= 1: kind b, between them mixed.
    static void BlendPresets(int kindA, int kindB, float t);

    // The script's state, all zero at construction.
    float scriptClock = 0.0f;
    bool skipRequested = false;
    bool windowEntered = false;
    float windowEnd = 0.0f;
    int speakIndex = 0;
    float speakTime = 0.0f;

private:
    void EnterWindow(int window);
    void RunWindow(int window, float timeStep);
    // One step of dialogue 1 to 4.
    void RunDialogue(int dialogue, float timeStep);
    // The talk flag on and the dialogue from its first line.
    void BeginDialogue();
    // The bright daylight look of the start and the end of the stage, and
    // the dark look of the boss visits.
    void BrightLook();
    void DarkLook();
    void SetPlayerMoveLimit(float range);
    // The first boss fight, set on the boss by hand (no-op unless it is
    // the stage-1 boss).
    void SetUpBossFight(EnemyEx* boss);
    // Enters a phase of the current boss, when it is the stage-1 boss.
    void SetBossPhase(int phase);
    void Look(int type, float t);
    void Shade(float t);
    void GroundMesh(float value);
    void GroundColour(D3DCOLOR colour);

    // The window that ran last frame; -1 before the first.
    int m_window = -1;
};
