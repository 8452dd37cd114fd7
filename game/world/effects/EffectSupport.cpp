#include "game/world/effects/EffectSupport.h"

#include "engine/assets/MaterialUnit.h"
#include "engine/assets/ResourceManager.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderStage.h"

Quorvex::ObjectManager* AsObjectManager(Quorvex::IObjectManager* manager) {
    return dynamic_cast<Quorvex::ObjectManager*>(manager);
}

Quorvex::MaterialUnit* FindMaterial(Quorvex::IObjectManager* manager, const char* id) {
    Quorvex::ObjectManager* objects = AsObjectManager(manager);
    Quorvex::IResourceManager* resources = objects ? objects->GetResourceManager() : nullptr;
    return resources ? dynamic_cast<Quorvex::MaterialUnit*>(resources->GetResource(id)) : nullptr;
}

Quorvex::RenderStage* FindStage(Quorvex::IObjectManager* manager, const char* name) {
    Quorvex::ObjectManager* objects = AsObjectManager(manager);
    return objects ? objects->GetRenderStage(name) : nullptr;
}

BYTE ColorByte(float value) {
    if (value >= 1.0f) return 255;
    if (value <= 0.0f) return 0;
    return static_cast<BYTE>(static_cast<int>(value * 255.0f + 0.5f));
}
