#include "engine/core/RenderObject.h"

#include "engine/core/render/RenderStage.h"

namespace Quorvex {

RenderObject::RenderObject(IObjectManager* manager, DWORD flags) : Object(manager, flags) {}

RenderObject::~RenderObject() {
    if (m_stage) m_stage->SubObject(this);
}

DWORD RenderObject::RequestRemove(bool remove) {
    if (m_stage) {
        if (remove)
            m_stage->RequestSubObject(this);
        else
            m_stage->CancelSubObject(this);
    }
    return Object::RequestRemove(remove);
}

void RenderObject::Render(CalcVertexSet*) {}
void RenderObject::Draw() {}
void RenderObject::OnDrawEnd() {}
void RenderObject::SetDrawPriority(float priority) { m_drawPriority = priority; }
float RenderObject::GetDrawPriority() { return m_drawPriority; }

int RenderObject::AttachStage(RenderStage* stage) {
    if (!stage) return -1;
    // Whatever the stages answer (already a member, stage full), the object
    // asked to move.
    if (m_stage) m_stage->SubObject(this);
    stage->AddObject(this);
    return 0;
}

}  // namespace Quorvex
