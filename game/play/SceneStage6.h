// Stage 6: building and forest terrain, one enemy map and the last boss. It
// moves the world's height in smooth four-second glides and narrows the
// player's lateral movement limit over five seconds; after the boss a full
// run goes on to the ending. The extra stage is the same course with a few
// other numbers (SceneStageEx).
#pragma once
#include <cstdint>

#include "engine/core/AreaPos.h"
#include "game/play/SceneStage.h"

class EnemyGenerator_Derive;

class SceneStage6 : public SceneStage {
public:
    // What the extra stage changes of this course.
    struct Course {
        bool whiteFade;          // event 1 fades in from white in single-stage play
        int firstKind;           // area kind of events 1 and 2
        int32_t music;           // music phase of event 1
        float firstGlide;        // world offset applied at once in event 1
        float mapDuration;       // length of event 3
        int mapKind;             // area kind of event 3
        const char* map;         // enemy map of event 3
        int lastKind;            // area kind of event 9
        // The boss event that dialogue 1 adds (each stage launches its boss
        // through its own).
        void (*bossEvent)(EnemyGenerator_Derive*);
    };
    static const Course kCourse;

    SceneStage6();
    ~SceneStage6() override;

    // The stage base's set-up, the area windows and no glide. 0, or -1.
    int OnInitialize(void* param) override;
    // The stage base's frame, then (unless paused) the glide and limit steps.
    void OnUpdate(float timeStep) override;
    IAreaFactory* CreateAreaFactory() override;
    void BuildEventList() override;

    // A glide from the current target to the new one over four seconds.
    void StartWorldGlide(float target);
    // A narrowing of the x limit from halfWidth + extra to halfWidth over
    // five seconds; ignored while one runs.
    void StartLimitTransition(float halfWidth, float extra);
    void GlideStep(float timeStep);
    void LimitStep(float timeStep);

    float GetGlideClock() const { return m_glideClock; }
    float GetLimitClock() const { return m_limitClock; }
    // The current x half-width of the limit transition.
    float GetLimitWidth(float clock) const { return (1.0f - clock) * m_limitExtra + m_limitHalfWidth; }

    GraphicManager::SpeakSet* Dialogue1(SpeakParam& speak);
    GraphicManager::SpeakSet* Dialogue2(SpeakParam& speak);

protected:
    explicit SceneStage6(const Course& course);
    // Keep window z range of the stage.
    virtual int GetKeepWindowBack() const { return -3; }

    const Course& m_course;

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
    void Event14(EventSet* e);

    void RememberWorldReference();
    // Flight-axis distance since the remembered reference, over the length.
    float DistanceFlown(float length) const;
    void EndAfterBossPhase(int mark);
    int BossPhase() const;

    float m_glideClock = -1.0f;
    float m_glideStart = 0.0f;
    float m_glideTarget = 0.0f;
    float m_limitClock = -1.0f;
    float m_limitHalfWidth = 0.0f;
    float m_limitExtra = 0.0f;
    Quorvex::AreaPos m_limitReference;
    Quorvex::AreaPos m_worldReference;
    // Which one-time steps of the running dialogue have been done.
    uint32_t m_dialogueDone = 0;
};
