// Steps that many enemy classes share: the floating collision body, the mesh
// from the resource table, one razer shot from the generator's pool, the mesh
// and sprite draws, the count of enemies that appeared and the skinned
// animation's set lookup and track restart.
#pragma once
#include "engine/assets/Sprite3DInfo.h"
#include "game/enemy/EnemyEx.h"

namespace Quorvex {
class CalcVertexSet;
class RenderObject;
}  // namespace Quorvex

// A body from the named shape set (not kinematic, 0.5, 0) with zero gravity,
// so that the enemy floats where its code puts it. Nothing when the set (or
// the area manager) is missing.
void CreateEnemyBody(Object3D* enemy, const wchar_t* shapeSetName);
// The mesh of that id into the enemy's mesh record (counted): 0, or -1 when
// the resource table has no such mesh.
int SetEnemyMesh(Enemy* enemy, const char* meshId);

// The usual Initialize of a mesh enemy: the engine's own, then the mesh of
// that id, the body from the named shape set and the score of a kill. 0.
int InitializeMeshEnemy(EnemyEx* enemy, int param, const char* meshId, const wchar_t* shapeSetName, int64_t score);

// One Bullet_Razer from the owner's position with the given orientation,
// base velocity and speed factor, at the owner's level, with the launch
// sound flag set. False when the pool is missing or exhausted.
bool FireRazer(EnemyEx* owner, const D3DXQUATERNION& orientation, const D3DXVECTOR3& baseVelocity, float speed);

// World matrix = scaling x rotation of the orientation x translation to the
// position, handed to the mesh record. While the mesh record's placed flag is
// up the enemy's state counter counts the calls; the flag drops once the
// counter passes flagCalls - 1 (three calls by default).
void EnemyUpdateWorldMatrix20(Enemy* enemy, float scale = 20.0f, int flagCalls = 3);
// The mesh enemies' render step: blend preset 2, then the object's draw
// command, whose replay draws the mesh at the enemy's pose.
void EnemyRenderMesh(Quorvex::RenderObject* object, Quorvex::CalcVertexSet* list);
// The sprite enemies' render step: the sprite at the position, blend preset
// 2 (pushed only when another one is current), one camera-facing quad.
void EnemyRenderSprite(Quorvex::CalcVertexSet* list, Quorvex::Sprite3DInfo& sprite, const D3DXVECTOR3& position);

// Runs a stored per-frame step through a copy, so that the step may replace
// itself (a phase or state change); nothing when none is stored.
void RunStoredStep(const boost::function<void(float)>& step, float dt);

// Adds to the game manager's count of enemies that appeared.
void AddEnemiesAppeared(int delta);

// One enemy-side nuke of that kind from the generator's pool, owned by the
// enemy, at its position with that aim, the player's velocity and that size;
// it detonates at once (detonation time 0). Nothing without a pool.
void LaunchEnemyNuke(EnemyEx* enemy, const D3DXQUATERNION& aim, float size, int kind);

// The animation controller cloned from the enemy's mesh (counted), once:
// nothing while one is held or without a mesh.
void EnsureEnemyAnimation(Enemy* enemy, ID3DXAnimationController*& animation);
// The index of the first set whose name matches over the shorter of the two
// names (an unnamed set matches nothing); -1 when none or no controller.
int FindAnimationSetIndex(ID3DXAnimationController* animation, const char* name);
// The named set on the track, its position 0 and the pose applied: the set's
// index, or -1 (nothing changed) when it is missing.
int PlayAnimationSetOnTrack(ID3DXAnimationController* animation, UINT track, const char* name);
// Track 0 alone, at weight 0 and the given speed, with the clock restarted and
// the pose applied. Nothing without a controller.
void RestartAnimationTrack0(ID3DXAnimationController* animation, float speed);

// The fairy's turning animation, which the doll user runs on its own
// controller as well. The sideways speed picks the state: below the neutral
// speed 2 (then 3), above it 5 (then 6), at it the way back 4 or 7 and then
// the neutral 1. Every change ramps the track position from start to end
// while a one-second blend runs; a finished blend moves 2, 5 and 4/7 on to
// 3, 6 and 1.
class TurnAnimation {
public:
    virtual ~TurnAnimation() = default;

    int32_t animationState = 0;
    float blendTimer = -1.0f;
    int32_t currentTrack = -1;
    int32_t currentSet = -1;
    double rampStart = 0.0;
    double rampEnd = 0.0;
    double rampValue = 0.0;

protected:
    TurnAnimation(float neutralSpeed, double trackSpeed) : neutralSpeed_(neutralSpeed), trackSpeed_(trackSpeed) {}

    // Back to the state before the first frame.
    void ResetTurnAnimation();
    // One frame on the controller (which may be missing).
    void StepTurnAnimation(ID3DXAnimationController* animation, float sideSpeed, float dt);
    // The set of the state on track 0: its index, or -1. Called only while a
    // controller is held.
    virtual int PlayTurnSet(int state) = 0;

private:
    void EnterAnimationState(ID3DXAnimationController* animation, int state, double start, double end);

    float neutralSpeed_;
    double trackSpeed_;
};
