// StageScript holds the vocabulary that the stage scripts share (dialogue
// lines, the player's talk flag and movement limit, the area factory's kind
// and base position, the enemy map restart, the boss removal), so that no
// stage keeps its own copy.
#pragma once
#include <cstdint>

#include "engine/core/AreaPos.h"
#include "game/play/SceneStage.h"
#include "game/screen/GraphicManager.h"

class AreaFactoryAdapter;
class EnemyEx;
class EnemyGenerator_Derive;
class SceneRequests;

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
    // The record that shows the line.
    static GraphicManager::SpeakSet LineSet(const Line& line);
    // A record that shows an empty window.
    static GraphicManager::SpeakSet EmptyLineSet();
    // The same as new records for AdvanceSpeak (which deletes them).
    static GraphicManager::SpeakSet* MakeLine(const Line& line);
    static GraphicManager::SpeakSet* MakeEmptyLine();

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

    // The world grid's centre cell.
    static Quorvex::Int3 CenterCell();
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
    static void HandOver(SceneStage* stage, void (SceneRequests::*request)());

    // The screen fades in from white at the rate.
    static void FadeFromWhite(float rate);
    // The sky's additional materials: kind a weighted by t, kind b by 1 - t.
    static void Materials(int kindA, int kindB, float t);
    // The boss leaves the fight at once: an explosion of the size at it,
    // the field cleared, the countdown hidden, then it vanishes.
    static void ForceBossOut(SceneStage* stage, EnemyEx* boss, float size);
};
