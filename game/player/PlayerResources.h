// Small look-ups the machine's objects share: the object manager with its
// stages, resources by id, and the environment's frame times.
#pragma once
#include "engine/core/RenderObject.h"
#include "engine/core/render/ObjectManager.h"
#include "game/world/effects/EffectSupport.h"

namespace Quorvex {
class MaterialUnit;
class SoundUnit;
}  // namespace Quorvex

// The object's manager as the engine's object manager (null when it is not).
Quorvex::ObjectManager* GetObjectManagerOf(const Quorvex::Object* object);
// Leaves the current stage and joins the named one; a missing stage keeps it.
void JoinRenderStage(Quorvex::RenderObject* object, const char* stageName);
// Leaves the current stage when there is one.
void LeaveRenderStage(Quorvex::RenderObject* object);
// The sound registered under the id, or null.
Quorvex::SoundUnit* FindSoundUnit(const wchar_t* id);
// Seconds: this update's time step and the time since the last drawn frame.
float GetFrameTimeStep();
float GetElapsedRenderTime();
// The screen's width over its height; 1 while the screen is not known yet.
float GetScreenAspect();
