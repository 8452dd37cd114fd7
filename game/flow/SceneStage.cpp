#include "game/flow/SceneStage.h"

#include "game/flow/Environment2.h"
#include "game/world/terrain/GroundFactories.h"
#include "game/world/terrain/GroundGenerator.h"

namespace {

// The ground sits this far above the sea.
constexpr float kGroundAboveSea = 50.0f;

}  // namespace

void SceneStage::SetWorldOffset(GroundGenerator* generator, float h) {
    Environment2* env = g_pEnvironment2;
    const D3DXVECTOR3 ground(0.0f, h + kGroundAboveSea, 0.0f);
    const D3DXVECTOR3 groundChange = ground - env->groundOffset;
    env->worldOffset = D3DXVECTOR3(0.0f, h, 0.0f);
    env->groundOffset = ground;
    if (!generator) return;
    Ground_PieceFactory* const pools[] = {generator->GetFlowerFactory(), generator->GetBuildingFactory(),
                                          generator->GetYamaFactory(), generator->GetBlockFactory(),
                                          generator->GetTreeFactory()};
    for (Ground_PieceFactory* pool : pools)
        if (pool) pool->ShiftAll(groundChange);
}
