// The stage scenes' common base: the player and the HUD on top of the action
// scene, a timeline of events run one after the other, the stage music, the
// dialogue advance, the stage environment presets and the operations that
// stage events call (clearing the field, the result panel, the ground looks).
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/assets/shaders/ShaderAdapter.h"
#include "engine/core/AreaPos.h"
#include "game/play/SceneAction.h"
#include "game/screen/GraphicManager.h"

class GroundGenerator;
class Ground_BlockFactory;
class Ground_TreeFactory;
class HudManager;

class SceneStage : public SceneAction {
public:
    // One timeline entry; list order is run order.
    struct EventSet {
        float start = 0.0f;     // stage time at which it begins
        float duration = 0.0f;  // it ends when the clock reaches start + duration
        // Non-zero: the clock runs while the entry is current; zero: the
        // clock stands and only an advance request ends the entry.
        float timed = 0.0f;
        // Run once on every timeline step while the entry is current.
        std::function<void(EventSet*)> callback;
    };

    // The dialogue state of the running conversation.
    struct SpeakParam {
        int32_t lineIndex = 0;
        float elapsed = 0.0f;       // seconds since the line was shown
        float minShowTime = 0.5f;   // the player may advance after this
        float autoTime = 2.5f;      // the line advances by itself after max(this, minShowTime)
        void SetLineTimes(float minShow, float autoAdvance) {
            minShowTime = minShow;
            autoTime = autoAdvance;
        }
    };
    // The line of speak.lineIndex as a new record (the caller applies and
    // deletes it), or null when the conversation has no such line.
    using SpeakCallback = std::function<GraphicManager::SpeakSet*(SpeakParam&)>;

    // Fog and the three light colours of one look.
    struct EnvironmentPreset {
        Quorvex::FogParam fog;
        float light[12] = {};
    };

    SceneStage();
    // Releases the player and the HUD with the shared world, stops the music.
    ~SceneStage() override;

    // The action scene's set-up, then the player and HUD when the run has
    // none, the music phase 2 and the stage's event list: 0, or -1.
    int OnInitialize(void* param) override;
    // The action scene's frame, the timeline (not while paused), the fade-out
    // when the player is down, and the music.
    void OnUpdate(float timeStep) override;

    void SetSkip() override { m_advanceRequested = 1; }
    void SetMusicVolume(float volume) override;
    Quorvex::SoundUnit* GetMusic() override { return m_pMusic; }
    // Resets the timeline; stages call it first and append their entries.
    virtual void BuildEventList();

    // One step of the timeline: ends the current entry when an advance was
    // requested (the clock goes to its end, no callback runs), else runs its
    // callback (the clock first jumps to a later start) and, when the entry
    // is timed, advances the clock; an entry whose end the clock reached
    // requests the advance.
    void StepEventTimeline(float timeStep);
    // The music state machine for one step of s seconds.
    void UpdateMusicPhase(float s);
    // One step of a conversation driven by its line callback.
    void AdvanceSpeak(const SpeakCallback& lines);

    // The look of a preset type (also sets the bloom threshold to 0.75).
    static EnvironmentPreset GetEnvironmentPreset(int type);
    // Mixes two presets (t from 0: from, to 1: to) as fog colour bytes, fog
    // distances and light values, taking the fog mode of the nearer end.
    static EnvironmentPreset MixPresets(const EnvironmentPreset& from, const EnvironmentPreset& to, float t);
    // A look from fog distances in cells (along x), the fog colour and the
    // three light colours; the fog mode is 2.
    static EnvironmentPreset MakeEnvironmentPreset(float farCells, float nearCells, D3DCOLOR fogColour,
                                                   const float (&light)[12]);
    // The mixed look goes to the fog and the light colours.
    static void ApplyPreset(const EnvironmentPreset& preset);
    static void SetBloomThreshold(float value);
    void BlendEnvironmentPresets(int fromType, int toType, float t);
    // The looks that make(kind) gives: t <= 0 kind a, t >= 1 kind b,
    // between them mixed.
    static void BlendPresets(EnvironmentPreset (*make)(int), int kindA, int kindB, float t);
    // The sky materials and the environment presets together.
    void BlendStageLook(int toType, int fromType, float t);

    // Every enemy of object group 7 explodes and vanishes (no score); true.
    bool ExplodeKind7Objects() override;

    // Raises the stage by h: the sea offset becomes (0, h, 0) and the ground
    // offset (0, h + 50, 0) in the game state, and every live flower,
    // building, mountain, block and tree of the game state's ground generator
    // (if any) moves by the change of the ground offset. The sea adds its
    // offset when it draws, so its pieces stay where they are.
    static void SetWorldOffset(float h);

    // Standard entries: the fade to white at the end of a stage, and the end
    // of the run in single-stage play.
    void EventFadeOut(EventSet* entry);
    void EventFinish(EventSet* entry);

    // Result panel and ground operations of the stage scripts.
    void ShowStageResult();
    void HideStageResult();
    // Whether the result panel has finished its count (true without one).
    bool IsStageResultFinished() const;
    void StartScreenFade(const D3DXCOLOR& colour, float rate);
    static void SetGroundMeshValue(Ground_BlockFactory* blocks, float value);
    static void SetBlockShade(Ground_BlockFactory* blocks, float value);
    static void SetTreeLook(Ground_TreeFactory* trees, int type, float value);

    // Timeline read-outs.
    float GetEventClock() const { return m_eventClock; }
    float GetEventProgress() const { return m_eventProgress; }
    uint32_t GetEventIndex() const { return m_eventIndex; }
    BYTE IsEventEntered() const { return m_eventEntered; }
    const std::vector<EventSet>& GetEventList() const { return m_events; }
    SpeakParam& GetSpeakParam() { return m_speak; }

protected:
    // Appends one entry with its callback bound to this stage.
    void AddEvent(float start, float duration, bool timed, void (SceneStage::*callback)(EventSet*));
    void AddEvent(float start, float duration, bool timed, std::function<void(EventSet*)> callback);
    // Appends an entry that starts where the list's last entry ends (0 for
    // an empty list).
    void AppendEvent(std::function<void(EventSet*)> callback, float duration, bool timed);

    // One entry of a stage's own table: its length, whether the clock runs
    // through it and the stage's callback.
    template <class Stage>
    struct Step {
        float duration;
        bool timed;
        void (Stage::*callback)(EventSet*);
    };
    // Appends the table's entries one after the other, each bound to this
    // stage.
    template <class Stage, std::size_t N>
    void AppendSteps(const Step<Stage> (&steps)[N]) {
        auto* stage = static_cast<Stage*>(this);
        for (const Step<Stage>& step : steps)
            AppendEvent([stage, cb = step.callback](EventSet* e) { (stage->*cb)(e); }, step.duration, step.timed);
    }
    // Stops the music and forgets it.
    void StopMusic();
    // The music phase becomes the given one and the playing music is
    // released (the phase's own music starts on a later step).
    void SetMusicPhaseReleasing(int32_t phase);

    float m_eventClock = 0.0f;
    float m_eventElapsed = 0.0f;
    float m_eventProgress = 0.0f;
    BYTE m_advanceRequested = 0;
    BYTE m_eventEntered = 0;
    SpeakParam m_speak;
    int32_t m_musicPhase = 2;
    Quorvex::SoundUnit* m_pMusic = nullptr;  // not counted
    uint32_t m_eventIndex = 0;
    std::vector<EventSet> m_events;

private:
    void StartMusic(const wchar_t* id, DWORD loopStart, DWORD loopEnd);
};
