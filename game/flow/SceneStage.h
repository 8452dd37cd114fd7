// The stage scenes' common base.
#pragma once

class GroundGenerator;

class SceneStage {
public:
    // Raises the stage by h: the sea offset becomes (0, h, 0) and the ground
    // offset (0, h + 50, 0) in the game state, and every live flower,
    // building, mountain, block and tree of the generator (may be null) moves
    // by the change of the ground offset. The sea adds its offset when it
    // draws, so its pieces stay where they are.
    static void SetWorldOffset(GroundGenerator* generator, float h);
};
