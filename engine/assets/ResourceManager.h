// The one store of loaded assets: materials and meshes under narrow-string
// resource ids, 2D character cut-outs under ids, the queue of pending load
// tasks and the loader thread that works it off, the device, the shader
// manager and the render parameters shared by every mesh (the object manager
// fills their camera part every update and render).
#pragma once
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "engine/assets/MeshUnit_CalcData.h"
#include "engine/assets/TextureCache.h"
#include "engine/core/ReferCounter.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3dx9/d3dx9.h"
#include "platform/win32/win32.h"

namespace Quorvex {

class Chara2D;
class ILoadTask;
class ILoadTaskFactory;
class RenderParameter;
class ShaderManager;

// One entry of the resource table: holds a counted reference to the resource
// object for as long as the set lives.
class ResourceSet : public IUnknown, public ReferCounter {
public:
    explicit ResourceSet(IUnknown* resource);
    ~ResourceSet() override;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    virtual int GetRefCount() { return GetReferenceCount(); }

    IUnknown* GetResource() const { return m_resource; }

private:
    IUnknown* m_resource;
};

class IResourceManager : public IUnknown {
public:
    ~IResourceManager() override = default;

    // Keeps the device and the shader manager, sets up the render
    // parameters and the mesh effect and starts the loader thread: 0, or -1.
    virtual int Initialize(IDirect3DDevice9* device, ShaderManager* shaderManager) = 0;
    virtual void Finalize() = 0;

    // Registers the object under the id (an older entry is deleted first): 0.
    virtual int SetResource(const char* id, IUnknown* resource) = 0;
    // Removes the id's entry and drops the table's reference on its set (the
    // set lives on while others hold it).
    virtual void DeleteResource(const char* id) = 0;
    virtual void ReleaseAllResources() = 0;
    virtual ResourceSet* GetResourceSet(const char* id) = 0;
    // The id's object without a new reference, null when absent.
    virtual IUnknown* GetResource(const char* id) = 0;

    // Queues the task (once per parameter and name) with a reference: 0.
    // The queue's lock is taken whatever the lock flag says, since the loader
    // thread may be taking a task at the same time.
    virtual int PushLoadTask(ILoadTask* task, int lock) = 0;
    // Queues the factory's task of the id: 0; -1 no factory, -2 no such
    // task, -3 the task could not be queued.
    virtual int RequestLoad(const char* id) = 0;
    // Replaces the counted factory.
    virtual void SetLoadTaskFactory(ILoadTaskFactory* factory) = 0;
    virtual ILoadTaskFactory* GetLoadTaskFactory() = 0;
    // Tasks queued and not yet finished.
    virtual int GetPendingCount() = 0;

    // The device without a new reference; SetDevice replaces the counted one.
    virtual IDirect3DDevice9* GetDevice() = 0;
    virtual void SetDevice(IDirect3DDevice9* device) = 0;
    virtual const D3DCAPS9* GetDeviceCaps() = 0;
    // The textures of asset files shared by the resources of this manager;
    // a texture goes once its last resource has gone.
    virtual TextureCache& GetTextureCache() = 0;

    // 2D character cut-outs: stored as copies (which hold their material).
    virtual void SetChara2D(const char* id, const Chara2D& chara) = 0;
    virtual void ReleaseChara2D(const char* id) = 0;
    virtual Chara2D* GetChara2D(const char* id) = 0;
    virtual void ReleaseAllChara2D() = 0;

    // A plain value held for callers, 0 at construction.
    virtual int GetUserValue() = 0;
    virtual void SetUserValue(int value) = 0;

    // Copies into the render parameters.
    virtual INT_PTR ReserveMatrices(int count) = 0;
    virtual void SetProjectionMatrix(const D3DXMATRIX& projection) = 0;
    virtual void SetViewMatrix(const D3DXMATRIX& view) = 0;
    virtual void SetEyePosition(const D3DXVECTOR3& eye) = 0;
    virtual RenderParameter* GetRenderParameter() = 0;

    // GetResource under the name the game's scenes use.
    IUnknown* HasResource(const char* id) { return GetResource(id); }
};

class ResourceManager : public IResourceManager, public ReferCounter {
public:
    ResourceManager();
    // Runs Finalize.
    ~ResourceManager() override;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    virtual int GetRefCount() { return GetReferenceCount(); }

    int Initialize(IDirect3DDevice9* device, ShaderManager* shaderManager) override;
    // Stops the loader thread (the task it runs finishes; queued ones are
    // dropped), removes the mesh effect and releases every resource, the
    // factory, the device and the shader manager. Safe to run again.
    void Finalize() override;
    int SetResource(const char* id, IUnknown* resource) override;
    void DeleteResource(const char* id) override;
    void ReleaseAllResources() override;
    ResourceSet* GetResourceSet(const char* id) override;
    IUnknown* GetResource(const char* id) override;
    int PushLoadTask(ILoadTask* task, int lock) override;
    int RequestLoad(const char* id) override;
    void SetLoadTaskFactory(ILoadTaskFactory* factory) override;
    ILoadTaskFactory* GetLoadTaskFactory() override { return m_factory; }
    int GetPendingCount() override { return m_pendingCount.load(); }
    IDirect3DDevice9* GetDevice() override { return m_device; }
    void SetDevice(IDirect3DDevice9* device) override;
    const D3DCAPS9* GetDeviceCaps() override { return &m_caps; }
    TextureCache& GetTextureCache() override { return m_textureCache; }
    void SetChara2D(const char* id, const Chara2D& chara) override;
    void ReleaseChara2D(const char* id) override;
    Chara2D* GetChara2D(const char* id) override;
    void ReleaseAllChara2D() override;
    int GetUserValue() override { return m_userValue; }
    void SetUserValue(int value) override { m_userValue = value; }
    INT_PTR ReserveMatrices(int count) override;
    void SetProjectionMatrix(const D3DXMATRIX& projection) override;
    void SetViewMatrix(const D3DXMATRIX& view) override;
    void SetEyePosition(const D3DXVECTOR3& eye) override;
    RenderParameter* GetRenderParameter() override { return m_renderParameter; }

    // Starts the loader thread: 0; 1 when one runs already; -1 when it could
    // not be started (message 50 logged).
    int BeginThread_ResourceLoad();
    ShaderManager* GetShaderManager() const { return m_shaderManager; }

private:
    // What the loader thread is given.
    struct LoaderRecord {
        ResourceManager* manager = nullptr;
        std::thread thread;
        // Set by the stopper, cleared by the loader to acknowledge.
        std::atomic<int> stop{0};
        std::atomic<bool> running{false};
        int pollMilliseconds = 10;
    };

    static void LoaderThread(LoaderRecord* record);
    // Runs the queue until stopped: 0, or -1 when it ended on an error.
    int RunLoader();
    // The lowest (parameter, name) task, taken out of the queue with its
    // reference; null when the queue is empty.
    ILoadTask* TakeNextTask();
    void StopLoaderThread();
    void ReleaseQueuedTasks();

    IDirect3DDevice9* m_device = nullptr;  // counted
    D3DCAPS9 m_caps{};
    std::map<std::string, ResourceSet*> m_resources;  // one reference each
    std::map<int, std::map<std::string, ILoadTask*>> m_queue;  // one reference per task
    ILoadTaskFactory* m_factory = nullptr;  // counted
    LoaderRecord m_loader;
    std::atomic<int> m_pendingCount{0};
    std::map<std::string, Chara2D*> m_chara2D;  // owned copies
    int m_userValue = 0;
    TextureCache m_textureCache;
    MeshUnit_CalcData* m_renderParameter;  // one reference, for the manager's whole life
    ShaderManager* m_shaderManager = nullptr;  // counted
    std::recursive_mutex m_queueLock;
};

}  // namespace Quorvex
