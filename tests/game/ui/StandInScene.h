// Base of the test scenes that stand in for the action scene: named "action",
// with an object manager of its own (one job record) and no area manager.
#pragma once
#include "engine/core/SceneBase.h"

class StandInScene : public Quorvex::SceneBase {
public:
    StandInScene() {
        m_name = "action";
        m_objectManagerCreation = CreateOwn;
        m_areaManagerCreation = CreateNone;
        m_objectManagerParam.jobCount = 1;
    }
    void OnRender() override {}
};
