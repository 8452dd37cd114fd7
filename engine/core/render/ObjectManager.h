// The object manager of a scene: owns the scene's live objects and updates them
// every frame on its job records (record 0 on the calling thread, each other
// record on a job thread of its own), keeps the render stages and render groups
// by name and draws the groups in order, holds the shared dynamic vertex and
// index buffers, the camera and projection matrices, the object groups and the
// registry from physics bodies to their owners.
#pragma once
#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/core/IObjectManager.h"
#include "engine/core/Object.h"
#include "engine/core/ReferCounter.h"
#include "engine/core/RenderObject.h"
#include "engine/core/render/CalcVertexSet.h"
#include "platform/d3dx9/d3dx9.h"

namespace Quorvex {

class ObjectManager;
class RenderStage;
class RenderGroup;
class IResourceManager;
class ShaderManager;
class InputManager;

// The camera: eye, look-at point and up vector.
struct CameraRecord {
    D3DXVECTOR3 eye;
    D3DXVECTOR3 at;
    D3DXVECTOR3 up;
};

// One job of the object manager. Record 0 is worked by the thread that calls
// Update and Render; every other record by its own job thread.
struct JobRecord {
    enum Mode { ModeIdle = 0, ModeUpdate = 1, ModeRender = 2 };

    // A figure of one list length per frame: sum, running average, maximum.
    struct LengthFigure {
        int sum = 0;
        float average = 0.0f;
        int maximum = 0;
        void Age();
    };

    ObjectManager* owner = nullptr;
    std::thread thread;
    int index = 0;
    // Mode, parked and stop pass between the main thread and the job thread
    // under the owner's job lock.
    bool stop = false;
    int mode = ModeIdle;
    bool parked = true;
    std::vector<Object*> updateList;  // the objects dealt to this record
    int updateCount = 0;
    // Update priority of the object being updated; 0 between passes.
    std::atomic<int> currentPriority{0};
    std::vector<RenderObject*> renderList;  // the stage slice dealt to it
    int renderCount = 0;
    CalcVertexSet commands;
    LengthFigure renderLength;
    LengthFigure updateLength;
};

// The job thread's body: works the record's slices until told to stop.
DWORD WINAPI Thread_JobProccess(LPVOID record);

class ObjectManager : public IObjectManager, public ReferCounter {
public:
    // ObjectManager::Initialize's parameter record. SceneBase fills the
    // negative counts with the defaults of DefaultParam.
    struct InitParam {
        int groupCount = -1;
        int jobCount = -1;
        int vertexBytes = -1;   // per job
        int indexBytes = -1;    // per job
        int commandCapacity = -1;  // per job
        IDirect3DDevice9* device = nullptr;
        InputManager* inputManager = nullptr;
        IResourceManager* resourceManager = nullptr;
        ShaderManager* shaderManager = nullptr;
    };
    // Defaults for negative counts: 16 groups, the given job count when above
    // 0 (JobThreadCnt) else 1, 1572768 and 196596 bytes split over the jobs,
    // 30720 commands.
    static InitParam DefaultParam(const InitParam& given, int jobThreadCnt);

    // Walks one object group (GetFirstInGroup / GetNextInGroup).
    struct GroupIterator {
        uint64_t stamp = 0;
        int index = 0;
        Object* object = nullptr;
        std::set<Object*>::const_iterator position;
    };

    ObjectManager();
    ~ObjectManager() override;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    int GetRefCount() const { return GetReferenceCount(); }

    // 0; -1 when a set-up step failed with a message (logged, Shutdown run);
    // -2 for any other failure. Without a device the manager updates objects
    // and lets stages write commands, but creates no buffers and replays
    // nothing.
    virtual int Initialize(const InitParam& param);
    // Stops the job threads and releases everything; safe to run again.
    virtual void Shutdown();
    virtual int Update(float timeStep);
    // 0, or -1 for null: resets the command lists, makes the stage current and
    // runs RenderStage::Execute.
    virtual int BeginStage(RenderStage* stage);
    // 0, or 1 while rendering is disabled: draws the groups by order key.
    virtual int Render();
    virtual void PrintThreadStatistics();

    // Stages and groups by name, with use counts; each use holds a reference.
    // Add: 0 for a new name, 1 for a name already present. Sub: -1 absent, 0
    // still used, 1 erased and released.
    virtual int AddRenderStage(RenderStage* stage);
    virtual int SubRenderStage(const char* name);
    virtual int AddRenderGroup(RenderGroup* group);
    virtual int SubRenderGroup(const char* name);
    virtual RenderGroup* GetRenderGroup(const char* name) const;
    RenderStage* GetRenderStage(const char* name) const;

    virtual void PrintSystemInfo();
    virtual void RunUpdateSlice(JobRecord* record, float timeStep);
    virtual void RunRenderSlice(JobRecord* record);

    // IObjectManager
    int AddObject(Object* object) override;
    int SubObject(Object* object) override;
    void RequestSubObject(Object* object) override;
    void CancelSubObject(Object* object) override;
    void SetObjectGroup(Object* object, int index, bool on) override;
    int GetGroupCount() const override { return m_groupCount; }
    IDirect3DDevice9* GetDevice() const override { return m_device; }

    // First member of a group (the lowest address) or null; fills the
    // iterator when one is given.
    virtual Object* GetFirstInGroup(int index, GroupIterator* iterator);
    // The member after the iterator's object, or null at the end. A group
    // changed since the iterator was filled is searched again for the first
    // member above the iterator's object.
    virtual Object* GetNextInGroup(GroupIterator* iterator);

    // Physics-body owners, keyed by the body's address.
    virtual Object* FindBodyOwner(const void* key) const;
    virtual void SetBodyOwner(const void* key, Object* object);

    // The update lock (held while the update list is rebuilt and the stages
    // are reset) and a second lock for game code; both re-entrant.
    void Lock() { m_updateLock.lock(); }
    void Unlock() { m_updateLock.unlock(); }
    void LockSecond() { m_secondLock.lock(); }
    void UnlockSecond() { m_secondLock.unlock(); }

    float GetTimeStep() const { return m_timeStep; }
    int GetJobCount() const { return static_cast<int>(m_jobs.size()); }
    JobRecord* GetJobRecord(int index) const;
    const std::vector<JobRecord*>& GetJobRecords() const { return m_jobView; }
    // Parks (1) or wakes (0) every job record.
    void SetJobsParked(bool parked);
    void SetJobsMode(int mode);
    // Until every record's mode is back to 0.
    void WaitJobs();
    void ResetCommandLists();
    // 0x80000000 at construction and after Shutdown, 0 from each Update on.
    DWORD GetPassMark() const { return m_passMark.load(); }

    void SetRenderEnable(bool enable) { m_renderEnable = enable; }
    bool IsRenderEnable() const { return m_renderEnable; }
    void SetCurrentStage(RenderStage* stage) { m_currentStage = stage; }
    RenderStage* GetCurrentStage() const { return m_currentStage; }
    IObjectManager::VertexSet& GetVertexSet() { return m_vertexSet; }
    IResourceManager* GetResourceManager() const { return m_resourceManager; }
    ShaderManager* GetShaderManager() const { return m_shaderManager; }
    InputManager* GetInputManager() const { return m_inputManager; }
    const D3DCAPS9& GetDeviceCaps() const { return m_caps; }

    // The view matrix is the camera's look-at matrix: SetCamera builds it and
    // SetViewMatrix replaces it (its inverse and the billboard matrix follow).
    const D3DXMATRIX& GetViewMatrix() const { return m_cameraMatrix; }
    void SetViewMatrix(const D3DXMATRIX& matrix);
    const D3DXMATRIX& GetCameraMatrix() const { return m_cameraMatrix; }
    const D3DXMATRIX& GetInverseCameraMatrix() const { return m_inverseCameraMatrix; }
    // The inverse camera matrix without its translation.
    const D3DXMATRIX& GetBillboardMatrix() const { return m_billboardMatrix; }
    const D3DXMATRIX& GetProjectionMatrix() const { return m_projectionMatrix; }
    void SetProjectionMatrix(const D3DXMATRIX& matrix) { m_projectionMatrix = matrix; }
    void SetCamera(const CameraRecord& camera);
    void SetCamera(const D3DXVECTOR3& eye, const D3DXVECTOR3& at, const D3DXVECTOR3& up);
    const CameraRecord& GetCamera() const { return m_camera; }
    const D3DVIEWPORT9& GetViewport() const { return m_viewport; }
    // Stores the viewport, builds the screen matrix and 1/width, 1/height;
    // answers the screen matrix.
    const D3DXMATRIX& SetViewport(const D3DVIEWPORT9& viewport);
    // The same two under the names the game uses.
    const D3DXMATRIX& SetProjection(const D3DVIEWPORT9& viewport) { return SetViewport(viewport); }
    const D3DVIEWPORT9& GetProjectionParams() const { return m_viewport; }
    float GetInvViewportWidth() const { return m_invViewportWidth; }
    float GetInvViewportHeight() const { return m_invViewportHeight; }
    const D3DXMATRIX& GetViewProjection() const { return m_viewProjection; }
    const D3DXMATRIX& GetInverseViewProjection() const { return m_inverseViewProjection; }
    // view x projection x screen and its inverse.
    const D3DXMATRIX& GetScreenMatrix() const { return m_screenProduct; }
    const D3DXMATRIX& GetInverseScreenMatrix() const { return m_inverseScreenProduct; }
    // Recomputes view x projection, view x projection x screen and inverses.
    void UpdateMatrices();

    // Test view of the sets.
    int GetObjectCount() const;
    bool HasObject(Object* object) const;
    int GetUpdateListCount() const { return m_updateCount; }
    Object* GetUpdateListEntry(int index) const { return m_updateList[index]; }

private:
    // A stage or group registered under its name; every use holds a reference.
    template <class T>
    struct Registered {
        int useCount = 0;
        T* item = nullptr;
    };
    template <class T>
    using Registry = std::map<std::string, Registered<T>>;
    template <class T>
    static int AddRegistered(Registry<T>& registry, T* item);
    template <class T>
    static int SubRegistered(Registry<T>& registry, const char* name);
    struct ObjectGroup {
        uint64_t stamp = 0;  // change counter
        std::set<Object*> members;  // no references
    };

    int StartJobThread(int index, int vertexBytes, int indexBytes, int commandCapacity);
    int StopJobThread(int index);
    void CreateDeviceObjects(const InitParam& param);
    void HandMatricesToResources();
    void ReleaseUpdateList();
    // The job thread's loop, reached from Thread_JobProccess.
    void RunJobThread(JobRecord* record);
    // Finishes a slice: mode 0, and wakes WaitJobs.
    void EndSlice(JobRecord* record);
    friend DWORD WINAPI Thread_JobProccess(LPVOID record);

    // Update lock; game code reaches it through Lock / Unlock.
    std::recursive_mutex m_updateLock;
    // Guards the object set, the pending set, the groups and the body
    // registry, which job threads change during the update pass.
    mutable std::mutex m_setLock;
    std::set<Object*> m_objects;  // one reference each
    std::set<Object*> m_pending;  // no references

    // System-information figures.
    int m_sampledCount = 0;
    float m_accumulatedTime = 0.0f;
    float m_smoothedTimeStep = 0.0f;
    int m_shownCount = 0;

    int m_groupCount = 0;
    std::vector<ObjectGroup> m_groups;
    float m_timeStep = 0.0f;

    std::vector<std::unique_ptr<JobRecord>> m_jobs;
    std::vector<JobRecord*> m_jobView;
    std::mutex m_jobLock;
    std::condition_variable m_jobWake;
    std::condition_variable m_jobDone;

    std::recursive_mutex m_secondLock;

    std::vector<Object*> m_updateList;  // one reference per entry for the frame
    int m_updateCount = 0;
    std::vector<std::pair<int, Object*>> m_sortScratch;
    std::atomic<DWORD> m_passMark{0x80000000u};

    IResourceManager* m_resourceManager = nullptr;  // counted
    ShaderManager* m_shaderManager = nullptr;        // counted
    bool m_renderEnable = true;
    Registry<RenderStage> m_stages;
    RenderStage* m_currentStage = nullptr;
    Registry<RenderGroup> m_groupsByName;
    std::vector<RenderGroup*> m_drawOrder;
    IDirect3DDevice9* m_device = nullptr;  // counted
    D3DCAPS9 m_caps{};
    InputManager* m_inputManager = nullptr;
    IObjectManager::VertexSet m_vertexSet;

    D3DXMATRIX m_cameraMatrix;
    D3DXMATRIX m_inverseCameraMatrix;
    D3DXMATRIX m_billboardMatrix;
    D3DXMATRIX m_projectionMatrix;
    D3DVIEWPORT9 m_viewport{};
    float m_invViewportWidth = 0.0f;
    float m_invViewportHeight = 0.0f;
    CameraRecord m_camera;
    D3DXMATRIX m_screenMatrix;
    D3DXMATRIX m_viewProjection;
    D3DXMATRIX m_inverseViewProjection;
    D3DXMATRIX m_screenProduct;
    D3DXMATRIX m_inverseScreenProduct;

    std::map<const void*, Object*> m_bodyOwners;
};

}  // namespace Quorvex
