#include "engine/core/render/RenderGroup.h"

#include "engine/core/MessageLogManager.h"
#include "engine/core/render/ObjectManager.h"

namespace Quorvex {

int RenderGroup::Initialize(ObjectManager* manager, const char* name, int capacity, int argument) {
    FormatDebugMessage("RenderGroup::Initialize() ([%s:%d] to pObjectManager[%d])\r\n", name ? name : "", this,
                       manager);
    int result = RenderStage::Initialize(manager, name, capacity);
    if (result < 0) return result;
    result = Prepare(argument);
    if (result < 0) return result;
    manager->AddRenderStage(this);
    manager->AddRenderGroup(this);
    m_registered = true;
    return result;
}

int RenderGroup::Prepare(int) { return 0; }

RenderGroup::~RenderGroup() {
    ObjectManager* manager = GetObjectManager();
    FormatDebugMessage("RenderGroup::~RenderGroup() ([%s:%d] in pObjectManager[%d])\r\n", GetName().c_str(), this,
                       manager);
    if (manager && m_registered) {
        manager->SubRenderGroup(GetName().c_str());
        manager->SubRenderStage(GetName().c_str());
    }
}

}  // namespace Quorvex
