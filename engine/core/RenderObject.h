// An object that draws: it lives in one render stage at a time and writes its
// draw commands on a job thread. The stage side it calls:
//   int RenderStage::AddObject(RenderObject*)   joins, takes a reference, SetRenderStage(this)
//   int RenderStage::SubObject(RenderObject*)   leaves, SetRenderStage(nullptr), releases
//   void RenderStage::RequestSubObject(RenderObject*) / CancelSubObject(RenderObject*)
//       enter / leave the stage's pending-removal set (flushed by the stage's reset)
#pragma once
#include "engine/core/Object.h"

namespace Quorvex {

class RenderStage;
struct CalcVertexSet;

class RenderObject : public Object {
public:
    explicit RenderObject(IObjectManager* manager = nullptr, DWORD flags = 0);
    ~RenderObject() override;

    // Also enters (true) or leaves (false) the stage's pending-removal set.
    DWORD RequestRemove(bool remove) override;

    // Writes the object's draw commands, vertices and indices into the job's
    // command list; runs on a job thread.
    virtual void Render(CalcVertexSet* list);
    // Immediate drawing on the device, reached from a draw-object command
    // during the replay on the main thread.
    virtual void Draw();
    virtual void OnDrawEnd();
    virtual void SetDrawPriority(float priority);
    // Sort key of the stage's draw list, descending.
    virtual float GetDrawPriority();

    // Leaves the current stage and joins `stage`: 0, or -1 for a null stage
    // (the current stage is then kept).
    int AttachStage(RenderStage* stage);
    RenderStage* GetRenderStage() const { return m_stage; }
    // Written only by the stage when it takes the object in or lets it go.
    void SetRenderStage(RenderStage* stage) { m_stage = stage; }

private:
    RenderStage* m_stage = nullptr;  // not counted; the stage's set holds the reference
    float m_drawPriority = 0.0f;
};

}  // namespace Quorvex
