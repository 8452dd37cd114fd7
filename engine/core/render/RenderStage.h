// A render stage: the per-stage set of render objects, and the target against
// which the draw commands its objects wrote are replayed. Every render group is
// a render stage.
#pragma once
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "engine/core/ReferCounter.h"
#include "engine/core/render/RenderCommand.h"
#include "platform/d3dx9/d3dx9.h"

namespace Quorvex {

class ObjectManager;
class RenderObject;
class RenderStage;
class IShader;
class ShaderManager;
class MaterialUnit;
struct CameraRecord;
struct JobRecord;

typedef void (*RenderStageFunction)(RenderStage* stage);

// The operations a recorded RenderCommand can call.
class IRenderCommandList : public IUnknown {
public:
    ~IRenderCommandList() override = default;

    // With the given declaration, or the manager's default one for null.
    virtual void SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) = 0;
    // The shared vertex buffer on the stream, offset 0, stride 24.
    virtual void SetStreamSource(UINT stream) = 0;
    // The given index buffer, or the shared one for null.
    virtual void SetIndices(IDirect3DIndexBuffer9* indices) = 0;
    // With an effect active: remembered for the effect; else texture i of the
    // set on sampler stage i.
    virtual void SetTextures(MaterialUnit* textureSet) = 0;
    // Shaders off, effect flag off, the current effect released.
    virtual void ClearShader() = 0;
    // "Spr3DDefaultShader" becomes the current effect.
    virtual void BeginDefaultShader() = 0;
    // Keeps the effect (a reference) and sets the effect flag.
    virtual void SetShader(IShader* effect) = 0;
    // The batch state (the DrawIndexedPrimitive arguments).
    virtual void SetPrimitiveType(int type) = 0;
    virtual void AddBaseVertexIndex(int n) = 0;
    virtual void AddMinVertexIndex(int n) = 0;
    virtual void SetVertexCount(int n) = 0;
    virtual void AddVertexCount(int n) = 0;
    virtual void AddStartIndex(int n) = 0;
    virtual void AddPrimitiveCount(int n) = 0;
    // Draws the batch gathered so far; answers its primitive count.
    virtual int DrawBatch(IShader* effect) = 0;
    // RenderObject::Draw of the object, on the main thread.
    virtual void DrawObject(RenderObject* object) = 0;
    virtual void CallFunction(RenderStageFunction function) = 0;
    virtual void SetViewMatrix(const D3DXMATRIX* matrix) = 0;
    virtual void SetCamera(const CameraRecord* camera) = 0;
    virtual void SetProjectionMatrix(const D3DXMATRIX* matrix) = 0;
    // The shader manager's blend preset of that number.
    virtual void SetRenderStatePreset(int preset) = 0;

    // Calls the operation the command names with its argument.
    void Replay(const RenderCommand& command);
};

class RenderStage : public IRenderCommandList, public ReferCounter {
public:
    // Per-frame figures with their running averages and maxima.
    struct Figure {
        int value = 0;
        float average = 0.0f;
        int maximum = 0;
        void Age();  // average = (value + average) / 2, maximum raised, value 0
    };
    struct Statistics {
        Figure drawCalls;
        Figure primitives;
        Figure vertices;
        Figure indices;
    };
    enum Phase { PhaseIdle = 0, PhaseSorting = 1, PhaseWriting = 2, PhaseReplaying = 3 };

    RenderStage();
    // ClearShader, draw array released, source groups and objects let go,
    // shader manager and device released.
    ~RenderStage() override;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    int GetRefCount() const { return GetReferenceCount(); }

    // Stores name and capacity, keeps the device and the shader manager, and
    // sets the stage's default render states. Answers 0.
    virtual int Initialize(ObjectManager* manager, const char* name, int capacity);

    // The manager lets its stages go: they stop reaching back into it.
    void DetachManager() { m_manager = nullptr; }

    // 0, 1 when present, -1 when this frame's draw array is already full.
    int AddObject(RenderObject* object);
    // 0, or 1 when absent.
    int SubObject(RenderObject* object);
    // The pending-removal set, flushed by the next Reset.
    void RequestSubObject(RenderObject* object);
    void CancelSubObject(RenderObject* object);

    // Groups whose objects are drawn with this stage's (a reference each).
    void AddSourceGroup(RenderStage* group);
    void SubSourceGroup(const char* name);
    void ClearSourceGroups();

    // Every frame from the object manager's update: flushes the pending
    // removals and rebuilds the draw array from the source groups and then
    // the own objects, up to the capacity.
    void Reset();
    // From ObjectManager::BeginStage: sorts the draw array by draw priority,
    // lets the job records write their commands, then replays them job by job
    // through the shared buffers.
    void Execute();
    // Logs the statistics (at the manager's shutdown).
    void PrintStatistics();

    // IRenderCommandList
    void SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) override;
    void SetStreamSource(UINT stream) override;
    void SetIndices(IDirect3DIndexBuffer9* indices) override;
    void SetTextures(MaterialUnit* textureSet) override;
    void ClearShader() override;
    void BeginDefaultShader() override;
    void SetShader(IShader* effect) override;
    void SetPrimitiveType(int type) override;
    void AddBaseVertexIndex(int n) override;
    void AddMinVertexIndex(int n) override;
    void SetVertexCount(int n) override;
    void AddVertexCount(int n) override;
    void AddStartIndex(int n) override;
    void AddPrimitiveCount(int n) override;
    int DrawBatch(IShader* effect) override;
    void DrawObject(RenderObject* object) override;
    void CallFunction(RenderStageFunction function) override;
    void SetViewMatrix(const D3DXMATRIX* matrix) override;
    void SetCamera(const CameraRecord* camera) override;
    void SetProjectionMatrix(const D3DXMATRIX* matrix) override;
    void SetRenderStatePreset(int preset) override;

    // DrawIndexedPrimitive with the manager's batch state: the draw of the
    // stage when an effect draws it as a primitive.
    void DrawIndexedBatch();
    // The world matrices shown to the effect with a batch (identity).
    const D3DXMATRIX& GetBatchWorld() const { return m_batchWorld; }
    D3DXMATRIX* GetBatchPreviousSlot() { return &m_batchPrevious; }

    const std::string& GetName() const { return m_name; }
    int GetCapacity() const { return m_capacity; }
    int GetPhase() const { return m_phase; }
    ObjectManager* GetObjectManager() const { return m_manager; }
    IDirect3DDevice9* GetDevice() const { return m_device; }
    ShaderManager* GetShaderManager() const { return m_shaderManager; }
    IShader* GetCurrentShader() const { return m_currentEffect; }
    const Statistics& GetStatistics() const { return m_statistics; }
    int GetObjectCount() const;
    // This frame's draw array (sorted once Execute ran).
    int GetDrawCount() const { return m_drawCount; }
    RenderObject* GetDrawObject(int index) const { return m_drawArray[index]; }

protected:
    // Slices the sorted draw array over the job records: contiguous slices of
    // count / jobs (+1 with a remainder) entries, the last ones possibly empty.
    void DealSlices(const std::vector<JobRecord*>& jobs);
    // Copies one job's vertices and indices into the shared buffers and
    // replays its commands.
    void ReplayJob(JobRecord& job);

private:
    void ReleaseDrawArray();
    void AppendToDrawArray(RenderObject* object);
    // The shader-manager side of the replay, in one place.
    IShader* FindEffect(const char* name) const;
    void SetEffectFlag(bool on);
    bool IsEffectFlag() const;
    void ApplyBlendPreset(int preset);
    void DrawWithEffect(IShader* effect);
    void BindTextureSet(MaterialUnit* textureSet);
    static void AddRefEffect(IShader* effect);
    static void ReleaseEffect(IShader* effect);

    int m_phase = PhaseIdle;
    IDirect3DDevice9* m_device = nullptr;  // counted
    ObjectManager* m_manager = nullptr;
    int m_capacity = 0;
    // Render objects join and leave from job threads too: the two sets are
    // guarded by m_setLock.
    mutable std::mutex m_setLock;
    std::set<RenderObject*> m_objects;  // one reference each
    std::set<RenderObject*> m_pending;  // no references
    ShaderManager* m_shaderManager = nullptr;  // counted
    Statistics m_statistics;
    std::string m_name;
    int m_drawCount = 0;
    std::vector<RenderObject*> m_drawArray;  // one reference per entry
    std::map<std::string, RenderStage*> m_sourceGroups;  // one reference each
    IShader* m_currentEffect = nullptr;  // counted
    // What the effect is shown when a batch is drawn.
    D3DXMATRIX m_batchWorld;
    D3DXMATRIX m_batchPrevious;
    MaterialUnit* m_batchTextureSet = nullptr;
    // Sort scratch, kept to avoid a per-frame allocation.
    std::vector<std::pair<float, int>> m_sortKeys;
    std::vector<RenderObject*> m_sortScratch;
};

}  // namespace Quorvex
