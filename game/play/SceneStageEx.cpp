#include "game/play/SceneStageEx.h"

#include <new>

#include "game/enemy/StageTimetables.h"
#include "game/state/Environment2.h"
#include "game/world/terrain/AreaFactories.h"

const SceneStage6::Course SceneStageEx::kExCourse = {
    false, 1, 15, -150.0f, 40.0f, 3, "./data/map/enemapex_1.lua", 4, &AddEvent_StageExBoss,
};

SceneStageEx::SceneStageEx() : SceneStage6(kExCourse) {}

SceneStageEx::~SceneStageEx() = default;

int SceneStageEx::OnInitialize(void* param) {
    if (SceneStage6::OnInitialize(param) < 0) return -1;
    if (g_pEnvironment2) g_pEnvironment2->bossTimeLimit = kStartCountdown;
    return 0;
}

IAreaFactory* SceneStageEx::CreateAreaFactory() {
    return new (std::nothrow) AreaFactory_Ex(GetAreaManager(), GetObjectManager());
}
