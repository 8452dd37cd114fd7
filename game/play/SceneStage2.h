// Stage 2: a flight over misty ground, three enemy waves and the stage-2 boss,
// who is fought, leaves, and returns for a closing dialogue at whose end it is
// blown away. The course is a list of timeline entries stepped by the stage
// base; each entry starts where the previous one ends.
#pragma once
#include "game/play/SceneStage.h"
#include "game/play/StageScript.h"

class Enemy_Fesko;

class SceneStage2 : public SceneStage {
public:
    // Line times of the stage's dialogues.
    static constexpr float kMinShowTime = 0.25f;
    static constexpr float kAutoTime = 3.5f;
    static constexpr int kEventCount = 15;

    SceneStage2();
    ~SceneStage2() override;

    // The stage base's set-up (which builds the list once), then the music
    // phase 2 (the playing music released unless it already was 2). 0, or -1.
    int OnInitialize(void* param) override;
    IAreaFactory* CreateAreaFactory() override;
    void BuildEventList() override;

    // A stage-2 look: fog and light colours (also sets the bloom threshold
    // to 0.75).
    static EnvironmentPreset MakePreset(int kind);
    // t <= 0: kind a, t >= 1: kind b, between them mixed.
    static void BlendPresets(int kindA, int kindB, float t);

    // The lines of dialogue 1 to 3 for the speak state (null at the end);
    // they also run the dialogue's actions.
    GraphicManager::SpeakSet* Dialogue1(SpeakParam& speak);
    GraphicManager::SpeakSet* Dialogue2(SpeakParam& speak);
    GraphicManager::SpeakSet* Dialogue3(SpeakParam& speak);

private:
    void Event0(EventSet* e);
    void Event1(EventSet* e);
    void Event2(EventSet* e);
    void Event3(EventSet* e);
    void Event4(EventSet* e);
    void Event5(EventSet* e);
    void Event6(EventSet* e);
    void Event7(EventSet* e);
    void Event8(EventSet* e);
    void Event9(EventSet* e);
    void Event10(EventSet* e);
    void Event11(EventSet* e);
    void Event12(EventSet* e);
    void Event14(EventSet* e);

    // The first call of an entry: kind, materials 0, 0 at 0.
    bool Enter(int kind);
    // One dialogue step with the stage's line times.
    void Speak(GraphicManager::SpeakSet* (SceneStage2::*lines)(SpeakParam&));
    void SetTransition(int which, float value);
    Enemy_Fesko* Boss() const;

    // Dialogue 3 has called the boss back.
    bool m_bossCalledBack = false;
};
