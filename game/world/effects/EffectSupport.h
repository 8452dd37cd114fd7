// Small lookups the effect objects share: a material or render stage by name
// through an object manager, and the byte of a colour fraction.
#pragma once
#include "platform/win32/win32.h"

namespace Quorvex {
class IObjectManager;
class MaterialUnit;
class ObjectManager;
class RenderStage;
}  // namespace Quorvex

// The object manager behind the interface, or null.
Quorvex::ObjectManager* AsObjectManager(Quorvex::IObjectManager* manager);
// The material of that id held by the manager's resource manager (no
// reference added), or null.
Quorvex::MaterialUnit* FindMaterial(Quorvex::IObjectManager* manager, const char* id);
// The manager's render stage of that name, or null.
Quorvex::RenderStage* FindStage(Quorvex::IObjectManager* manager, const char* name);
// 255 at 1 or more, 0 at 0 or less, else trunc(value * 255 + 0.5).
BYTE ColorByte(float value);
