// A node of the scene tree and the owner of the engine's managers. The root
// scene creates every manager in a fixed order in Initialize; a child scene
// started from a parent inherits the parent's managers and creates only what
// it is told to create. Each frame the root scene's Frame takes the time step,
// updates the whole tree and renders it between BeginScene and EndScene. Game
// scenes derive from it and fill in the three hooks.
#pragma once
#include <set>
#include <string>
#include <vector>

#include "engine/core/ReferCounter.h"
#include "engine/core/render/ObjectManager.h"
#include "platform/d3d9/d3d9.h"
#include "platform/win32/win32.h"

namespace Quorvex {

class FontManager;
class FpsManager;
class IAreaManager;
class InputManager;
class ParamManager;
class ResourceManager;
class ShaderManager;
class SoundManager;
struct WindowRecord;

// The area manager belongs to the world layer, which is built on top of the
// engine library; that layer tells the scene tree how to make and run one.
// Until it does, scenes have no area manager.
struct AreaManagerService {
    // A new manager for the object manager, initialised, with one reference
    // for the caller; null on failure.
    IAreaManager* (*create)(ObjectManager* objectManager);
    void (*update)(IAreaManager* manager, float timeStep);
    void (*addRef)(IAreaManager* manager);
    void (*release)(IAreaManager* manager);
};
// Null removes the service. The record must outlive every scene.
void SetAreaManagerService(const AreaManagerService* service);

class SceneBase : public IUnknown, public ReferCounter {
public:
    // Creation values of the object and area managers.
    static constexpr int CreateIfMissing = 0;  // when none is inherited and the environment allows it
    static constexpr int CreateOwn = 1;        // always an own one
    static constexpr int CreateNone = 2;       // none, even when one is inherited

    SceneBase();
    // Destroy.
    ~SceneBase() override;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER

    // Stores what is handed down and creates the managers this scene lacks or
    // is told to create, then calls OnInitialize(param): its result, or -1
    // when a manager could not be made (the scene then holds nothing).
    virtual int Initialize(SceneBase* parent, WindowRecord* windowRecord, IDirect3D9* direct3D,
                           IDirect3DDevice9* device, const D3DPRESENT_PARAMETERS* presentParameters,
                           InputManager* inputManager, ParamManager* paramManager, FontManager* fontManager,
                           FpsManager* fpsManager, ObjectManager* objectManager, IAreaManager* areaManager,
                           ShaderManager* shaderManager, ResourceManager* resourceManager,
                           SoundManager* soundManager, void* param);
    // One frame of the root scene: 1 when it was skipped (no render, no
    // present), else 0.
    virtual int Frame();
    // Seconds: 1 / FramePerSecond_Max, or with frame limiting the frame
    // timer's measured wait capped at 1 / FramePerSecond_Min.
    virtual float GetFrameTime();
    // Answers the milliseconds it took.
    virtual DWORD Update(float timeStep);
    virtual void Render();
    virtual void PrintSystemInfo();
    // True when a child handled the message.
    virtual bool MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // All four enable flags at once.
    virtual void SetEnable(bool enable);

    // Initialises the scene with this scene's managers and, on success, adds
    // it to the parent (null: this scene). -1 for a null scene.
    virtual int StartScene(SceneBase* scene, SceneBase* parent, void* param);
    virtual int StartSiblingScene(SceneBase* scene, void* param);
    // Moves every child to the target.
    virtual void TransferChildScene(SceneBase* target);
    virtual void AddScene(SceneBase* scene);
    // Removes a child at once and releases it; nothing for a scene that is
    // not a child.
    virtual void SubScene(SceneBase* scene);
    virtual void SubAllScenes();
    // Queue / unqueue a child for removal at the start of the next Update.
    virtual void RequestSubScene(SceneBase* scene);
    virtual void CancelSubScene(SceneBase* scene);
    virtual void CopyOwnedTo(SceneBase* target);
    // Hands the ownership of this scene's managers, device and window record
    // to the target, which then runs and frees them.
    virtual void TransferOriginalPointer(SceneBase* target);

    virtual int OnInitialize(void* param) = 0;
    virtual void OnUpdate(float timeStep) = 0;
    virtual void OnRender() = 0;

    virtual int GetRefCount() const { return GetReferenceCount(); }
    virtual void SetUpdateOrder(int order) { m_updateOrder = order; }
    virtual int GetUpdateOrder() const { return m_updateOrder; }
    virtual void SetRenderOrder(int order) { m_renderOrder = order; }
    virtual int GetRenderOrder() const { return m_renderOrder; }

    // Whether this scene created (owns) the manager, device or record.
    bool IsOwned(const void* pointer) const;

    const std::string& GetName() const { return m_name; }
    SceneBase* GetParent() const { return m_pParent; }
    WindowRecord* GetWindowRecord() const { return m_pWindowRecord; }
    IDirect3D9* GetDirect3D() const { return m_pDirect3D; }
    IDirect3DDevice9* GetDevice() const { return m_pDevice; }
    const D3DPRESENT_PARAMETERS& GetPresentParameters() const { return m_presentParameters; }
    ParamManager* GetParamManager() const { return m_pParamManager; }
    SoundManager* GetSoundManager() const { return m_pSoundManager; }
    InputManager* GetInputManager() const { return m_pInputManager; }
    FontManager* GetFontManager() const { return m_pFontManager; }
    FpsManager* GetFpsManager() const { return m_pFpsManager; }
    ShaderManager* GetShaderManager() const { return m_pShaderManager; }
    ResourceManager* GetResourceManager() const { return m_pResourceManager; }
    ObjectManager* GetObjectManager() const { return m_pObjectManager; }
    IAreaManager* GetAreaManager() const { return m_pAreaManager; }
    const std::set<SceneBase*>& GetChildren() const { return m_children; }
    int GetChildCount() const { return static_cast<int>(m_children.size()); }

    // A finishing scene sets it and then asks its parent to remove it.
    bool IsFinished() const { return m_bFinished; }
    void SetFinished(bool finished) { m_bFinished = finished; }
    void SetSkipFrame(int frames) { m_skipFrame = frames; }
    int GetSkipFrame() const { return m_skipFrame; }
    void SetTimeScale(float scale) { m_timeScale = scale; }
    float GetTimeScale() const { return m_timeScale; }
    float GetScaledFrameTime() const { return m_scaledFrameTime; }

protected:
    // Releases everything this scene holds; safe to run again (a failed
    // Initialize destroys, and so does the destructor afterwards).
    void Destroy();

    std::string m_name = "Unknown";
    // Set by derived scenes' constructors, read by Initialize.
    int m_objectManagerCreation = CreateIfMissing;
    int m_areaManagerCreation = CreateIfMissing;
    ObjectManager::InitParam m_objectManagerParam;
    // Update the object manager, update the area manager, clear before
    // rendering, render the object manager.
    bool m_bUpdateObjectManager = true;
    bool m_bUpdateAreaManager = true;
    bool m_bClearBackBuffer = true;
    bool m_bRenderObjectManager = true;
    // Frames still to be skipped without rendering; derived scenes set it.
    int m_skipFrame = 0;
    float m_timeScale = 1.0f;
    bool m_bFinished = false;

private:
    friend bool CreateMainWindow(SceneBase*, HINSTANCE, int, const wchar_t*, const wchar_t*, int, int, bool);
    friend int ProbeFormats(SceneBase*, D3DFORMAT*, D3DFORMAT*, D3DFORMAT*);
    friend int CreateDevice(SceneBase*, int, int, bool);

    // A running figure in milliseconds: the last value, its running average
    // and the maximum.
    struct TimeFigure {
        DWORD last = 0;
        float average = 0.0f;
        DWORD maximum = 0;
        void Fold();
    };

    // The steps of Initialize that make something; each answers false on
    // failure (after logging its message, where it has one).
    bool CreateParamManager();
    bool CreateWindowAndRecord();
    bool CreateDirect3DDevice();
    bool CreateInputManager();
    bool CreateFpsManager();
    bool CreateSoundManager();
    bool CreateShaderManager();
    bool CreateResourceManager();
    bool CreateObjectManager();
    bool CreateAreaManager();
    bool CreateFontManager();
    // The window and device keys of the parameter file with the framework's
    // command-line switches applied.
    struct DisplaySettings {
        int clientWidth = 0;
        int clientHeight = 0;
        int windowWidth = 0;
        int windowHeight = 0;
        bool fullScreen = false;
    };
    DisplaySettings ReadDisplaySettings() const;

    void SortChildrenForUpdate();
    void SortChildrenForRender();
    void ClearChildList();
    // Statistics overlay: this scene's lines, then its children's.
    void AppendSystemInfo(float timeStep);

    std::set<const void*> m_owned;
    IDirect3D9* m_pDirect3D = nullptr;
    IDirect3DDevice9* m_pDevice = nullptr;
    D3DPRESENT_PARAMETERS m_presentParameters{};
    ParamManager* m_pParamManager = nullptr;
    SoundManager* m_pSoundManager = nullptr;
    InputManager* m_pInputManager = nullptr;
    FontManager* m_pFontManager = nullptr;
    FpsManager* m_pFpsManager = nullptr;
    ShaderManager* m_pShaderManager = nullptr;
    ResourceManager* m_pResourceManager = nullptr;
    ObjectManager* m_pObjectManager = nullptr;
    IAreaManager* m_pAreaManager = nullptr;
    SceneBase* m_pParent = nullptr;  // not counted
    WindowRecord* m_pWindowRecord = nullptr;
    std::set<SceneBase*> m_children;         // one reference each
    std::set<SceneBase*> m_pendingRemovals;  // no references
    std::vector<SceneBase*> m_childList;     // one reference each, rebuilt every Update
    int m_updateOrder = 10000;
    int m_renderOrder = 10000;
    float m_scaledFrameTime = 1.0f / 60.0f;
    float m_measuredFrameTime = 1.0f / 60.0f;
    DWORD m_initializeTime = 0;
    TimeFigure m_updateTime;
    TimeFigure m_renderTime;
    float m_overlayAccumulator = 0.0f;
    float m_overlayTimeStep = 0.0f;
    float m_overlayUpdateAverage = 0.0f;
    float m_overlayRenderAverage = 0.0f;
};

}  // namespace Quorvex
