#include "game/play/GameSceneRegistry.h"

GameSceneRegistry& GetGameSceneRegistry() {
    // Never destroyed: the slots are released by the last action scene, and
    // a static destructor must not release objects after their managers.
    static GameSceneRegistry* registry = new GameSceneRegistry();
    return *registry;
}
