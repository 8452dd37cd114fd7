// A render group: a render stage with a name, a constant order key and its own
// device set-up. The object manager draws its groups in ascending order key
// every frame; the concrete groups derive from this base.
#pragma once
#include "engine/core/render/RenderStage.h"

namespace Quorvex {

class RenderGroup : public RenderStage {
public:
    // Unregisters the group from its manager's group and stage maps.
    ~RenderGroup() override;

    // Initialises the stage (capacity: the most objects drawn per frame), runs
    // Prepare(argument) and registers the group with the manager both as a
    // stage (found by name) and as a group (drawn). Answers the first negative
    // result, else Prepare's; a failed group is left unregistered.
    int Initialize(ObjectManager* manager, const char* name, int capacity, int argument);

    // The group's own set-up, once; negative = failure. Default 0.
    virtual int Prepare(int argument);
    // Every frame: sets the group's device states and calls
    // ObjectManager::BeginStage with the group.
    virtual void Draw() = 0;
    virtual int GetOrderKey() const = 0;

private:
    using RenderStage::Initialize;
    // Only a group that registered itself takes its name out of the maps: a
    // failed group must not remove a use of another group of the same name.
    bool m_registered = false;
};

}  // namespace Quorvex
