// The extra stage: the course of stage 6 on its own terrain, with its own
// enemy map, music and a few other numbers, and the boss phase countdown
// running from 15 s at the start.
#pragma once
#include "game/play/SceneStage6.h"

class SceneStageEx : public SceneStage6 {
public:
    static const Course kExCourse;
    static constexpr float kStartCountdown = 15.0f;

    SceneStageEx();
    ~SceneStageEx() override;

    // Stage 6's set-up, then the boss phase countdown at 15 s. 0, or -1.
    int OnInitialize(void* param) override;
    IAreaFactory* CreateAreaFactory() override;

protected:
    int GetKeepWindowBack() const override { return -2; }
};
