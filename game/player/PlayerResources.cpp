#include "game/player/PlayerResources.h"

#include "engine/assets/devices/SoundManager.h"
#include "engine/core/AreaPos.h"
#include "engine/core/Environment.h"
#include "engine/core/render/RenderStage.h"
#include "game/state/Environment2.h"

Quorvex::ObjectManager* GetObjectManagerOf(const Quorvex::Object* object) {
    return object ? dynamic_cast<Quorvex::ObjectManager*>(object->GetManager()) : nullptr;
}

void JoinRenderStage(Quorvex::RenderObject* object, const char* stageName) {
    Quorvex::ObjectManager* manager = GetObjectManagerOf(object);
    if (!manager || !stageName) return;
    Quorvex::RenderStage* stage = manager->GetRenderStage(stageName);
    if (stage && stage != object->GetRenderStage()) object->AttachStage(stage);
}

void LeaveRenderStage(Quorvex::RenderObject* object) {
    if (Quorvex::RenderStage* stage = object->GetRenderStage()) stage->SubObject(object);
}

Quorvex::SoundUnit* FindSoundUnit(const wchar_t* id) {
    Quorvex::SoundManager* sounds = g_pEnvironment2 ? g_pEnvironment2->soundManager : nullptr;
    return sounds ? sounds->FindSound(id) : nullptr;
}

float GetFrameTimeStep() { return Quorvex::g_pEnvironment ? Quorvex::g_pEnvironment->GetFrameTime() : 0.0f; }

float GetElapsedRenderTime() { return Quorvex::g_pEnvironment ? Quorvex::g_pEnvironment->GetElapsedTime() : 0.0f; }

float GetScreenAspect() { return Quorvex::g_Aspect > 0.0f ? Quorvex::g_Aspect : 1.0f; }
