// Stage 4: a flight through caves with two enemy maps and the stage-4 boss,
// who is met three times, talked into leaving and followed out of the cave.
// Eighteen timeline entries of the stage base, each starting where the
// previous one ends; the last one hands over to stage 5.
#pragma once
#include "game/play/SceneStage.h"

class Enemy_Gralle;

class SceneStage4 : public SceneStage {
public:
    static constexpr int kEventCount = 18;
    // The ground's depth under the cave.
    static constexpr float kCaveOffset = -200.0f;

    SceneStage4();
    ~SceneStage4() override;

    // The stage base's set-up, then the area windows, area kind 2, look 6
    // and the world offset -200. 0, or -1.
    int OnInitialize(void* param) override;
    IAreaFactory* CreateAreaFactory() override;
    void BuildEventList() override;

    // The lines of dialogue 1 to 3 for the speak state (null at the end);
    // they also run the dialogue's actions.
    GraphicManager::SpeakSet* Dialogue1(SpeakParam& speak);
    GraphicManager::SpeakSet* Dialogue2(SpeakParam& speak);
    GraphicManager::SpeakSet* Dialogue3(SpeakParam& speak);

    const Quorvex::AreaPos& GetWorldReference() const { return m_worldReference; }

private:
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
    void Event13(EventSet* e);
    void Event14(EventSet* e);
    void Event15(EventSet* e);
    void Event16(EventSet* e);
    void Event17(EventSet* e);
    void Event18(EventSet* e);

    void SetBossPhase(int phase);
    // Ends the entry once the area kind is reached and the player has passed
    // the factory's base position.
    void EndAtBase(int kind);

    Quorvex::AreaPos m_worldReference;
    // Dialogue 3 has sent the boss off (its held line is up).
    bool m_bossSentOff = false;
};
