// Stage 2: a flight over misty ground, three enemy waves and the stage-2 boss,
// who is fought, leaves, and returns for a closing dialogue at whose end it is
// blown away. The course is a list of timeline entries stepped by the stage
// base; each entry starts where the previous one ends.
//
// StageScript holds the vocabulary that the scripts of stage 2 and the later
// stages share (dialogue lines, the player's talk flag and movement limit,
// the area factory's kind and base position, the enemy map restart, the boss
// removal), so that no stage keeps its own copy.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/core/AreaPos.h"
#include "game/flow/GraphicManager.h"
#include "game/flow/SceneStage.h"

class AreaFactoryAdapter;
class EnemyEx;
class EnemyGenerator_Derive;
class GameManager;
class Enemy_Fesko;

class StageScript {
public:
    // One dialogue line: portraits, who speaks, the text colour and the text.
    struct Line {
        const char* left;
        const char* right;
        int leftSpeaks;
        uint32_t colour;
        const wchar_t* text;
    };
    // The line as a new record for AdvanceSpeak (which deletes it).
    static GraphicManager::SpeakSet* MakeLine(const Line& line);
    // A record that shows an empty window.
    static GraphicManager::SpeakSet* MakeEmptyLine();

    // Appends an entry that starts where the list's last entry ends (0 for an
    // empty list).
    static void AppendEvent(std::vector<SceneStage::EventSet>& list, std::function<void(SceneStage::EventSet*)> callback,
                            float duration, bool timed);
    // The area manager's creation and keep windows, in cells around the centre.
    static void SetAreaWindows(Quorvex::SceneBase* stage, const Quorvex::Int3& createMin, const Quorvex::Int3& createMax,
                               const Quorvex::Int3& keepMin, const Quorvex::Int3& keepMax);
    // The z distance of the player past the factory's base position; false
    // without a player or a base position.
    static bool PlayerPastBase(Quorvex::SceneBase* stage, float* z);

    static float Clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

    // The player's dialogue flag (nothing without a player).
    static void SetTalkFlag(BYTE flag);
    // The game state's current boss, or null.
    static EnemyEx* CurrentBoss();

    // The stage's area factory, or null.
    static AreaFactoryAdapter* GetFactory(Quorvex::SceneBase* stage);
    static void SetAreaKind(Quorvex::SceneBase* stage, int kind);
    // -1 without a factory.
    static int GetAreaKind(Quorvex::SceneBase* stage);
    // The section anchor of the cave, flower and building factories, or null.
    static Quorvex::AreaPos* GetBasePosition(Quorvex::SceneBase* stage);
    // The anchor becomes the player's cell 1000 units ahead, with zero offsets.
    static void SetBasePositionFromPlayer(Quorvex::SceneBase* stage);
    // The flight-axis (z) part of the player's position minus the point;
    // false without a player.
    static bool PlayerZFrom(const Quorvex::AreaPos& point, float* z);

    // The world's reference position: the centre the world moves with.
    static Quorvex::AreaPos GetWorldReference();
    // x and y limited, z free, x from -halfWidth to +halfWidth around the
    // reference, the player's current y and z limits kept. limitX false
    // releases the x limit.
    static void SetMoveLimit(const Quorvex::AreaPos& reference, float halfWidth, bool limitX = true);

    // One of the enemy timetables (a stage section's waves or a boss event).
    using EventAdder = void (*)(EnemyGenerator_Derive*);
    // The adder's events join those already running (a boss event does not
    // stop the waves), and the stage becomes their owner.
    static void AddEnemyEvents(SceneStage* stage, EventAdder adder);
    // The enemy generator's events stop, the adder's events (when there is
    // an adder) take their place and the stage becomes their owner.
    static void ResetWaves(SceneStage* stage, EventAdder adder = nullptr);
    // ResetWaves, every kind-7 object explodes and, with a map, that Lua map
    // starts.
    static void RestartScript(SceneStage* stage, const char* map);

    // The first call of a conversation after a section: the result panel up,
    // the talk flag on, the enemy map stopped and the line times 0.5 s and
    // 2.5 s.
    static void BeginConversation(SceneStage* stage);
    // The last entry of a stage: the result panel down, the talk flag off,
    // then the game manager's request (the scene is replaced).
    static void HandOver(SceneStage* stage, void (GameManager::*request)());

    // The screen fades in from white at the rate.
    static void FadeFromWhite(float rate);
    // The sky's additional materials: kind a weighted by t, kind b by 1 - t.
    static void Materials(int kindA, int kindB, float t);
    // The boss leaves the fight at once: an explosion of the size at it,
    // the field cleared, the countdown hidden, then it vanishes.
    static void ForceBossOut(SceneStage* stage, EnemyEx* boss, float size);
};

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
