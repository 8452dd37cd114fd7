// The behaviours the stage-5 boss gives its dolls (fairies in the doll look).
// Each one replaces the doll's movement callback with its own per-frame step
// and decides the doll's attacks; the step's state lives with the callback.
#pragma once
#include "engine/core/AreaPos.h"
#include "platform/d3dx9/d3dx9.h"

class Enemy_Fighter2;

class Enemy_OrselDoll {
public:
    // Circles a centre that flies on at the velocity (radius 50, one turn in
    // 3 s), firing lines; leaves once the centre has covered 1200 units.
    static void SetOrbitBehavior(Enemy_Fighter2* doll, const D3DXQUATERNION& orientation,
                                 const D3DXVECTOR3& velocity, float orbitAngle);
    // Thrown out, fires a fan and a fixed laser at 0.5 s, a last fan at 3.5 s
    // and bursts.
    static void SetThrownBehavior(Enemy_Fighter2* doll, const D3DXQUATERNION& orientation,
                                  const D3DXVECTOR3& velocity);
    // Chases the player at up to 600 units per second; within 200 it fires a
    // shotgun burst and a nuke and bursts.
    static void SetHomingBehavior(Enemy_Fighter2* doll);
    // Moves as the thrown doll; fires a fan and an aimed laser at 1 s, bursts
    // at 3.5 s.
    static void SetLaserBehavior(Enemy_Fighter2* doll, const D3DXQUATERNION& orientation,
                                 const D3DXVECTOR3& velocity);
    // Flies straight, firing its shotgun; after 10 s a last burst and it goes.
    static void SetCrossBehavior(Enemy_Fighter2* doll, const D3DXQUATERNION& orientation,
                                 const D3DXVECTOR3& velocity, float attackDelay);
    // Stays where the boss puts it.
    static void SetHeldBehavior(Enemy_Fighter2* doll);

    // The doll's level clamped to 0..1.
    static float Level(const Enemy_Fighter2* doll);
};
