#include "engine/core/SceneBase.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <typeinfo>

#include "engine/assets/FontManager.h"
#include "engine/assets/ResourceManager.h"
#include "engine/assets/devices/InputManager.h"
#include "engine/assets/devices/SoundManager.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/core/AreaPos.h"
#include "engine/core/DeviceSetup.h"
#include "engine/core/Environment.h"
#include "engine/core/FpsManager.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/MessageTable.h"
#include "engine/core/ParamManager.h"
#include "platform/dxut/dxut.h"

namespace Quorvex {

namespace {

const AreaManagerService* g_areaManagerService = nullptr;

constexpr const wchar_t* kInitializeSource = L"SceneBase::Initialize";

// Replaces a counted reference: the new one is referenced, the old released.
template <class T>
void Hold(T*& slot, T* value) {
    if (value) value->AddRef();
    T* old = slot;
    slot = value;
    if (old) old->Release();
}

template <class T>
void Drop(T*& slot) {
    T* old = slot;
    slot = nullptr;
    if (old) old->Release();
}

// Area managers are counted through the world layer's service; without one no
// area manager can exist.
void HoldAreaManager(IAreaManager*& slot, IAreaManager* value) {
    if (value && g_areaManagerService) g_areaManagerService->addRef(value);
    IAreaManager* old = slot;
    slot = value;
    if (old && g_areaManagerService) g_areaManagerService->release(old);
}
void DropAreaManager(IAreaManager*& slot) { HoldAreaManager(slot, nullptr); }

// The class name of a scene as the log shows it ("SceneFirst").
std::wstring RuntimeClassName(const SceneBase& scene) {
    const char* mangled = typeid(scene).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                      std::free);
    return Utf8ToWide(status == 0 && demangled ? demangled.get() : mangled);
}

}  // namespace

void SetAreaManagerService(const AreaManagerService* service) { g_areaManagerService = service; }

void SceneBase::TimeFigure::Fold() {
    average = (average + static_cast<float>(last)) / 2.0f;
    maximum = std::max(maximum, last);
    last = 0;
}

SceneBase::SceneBase() = default;

SceneBase::~SceneBase() { Destroy(); }

bool SceneBase::IsOwned(const void* pointer) const { return pointer && m_owned.count(pointer) != 0; }

// ---------------------------------------------------------------------------
// Initialisation

int SceneBase::Initialize(SceneBase* parent, WindowRecord* windowRecord, IDirect3D9* direct3D,
                          IDirect3DDevice9* device, const D3DPRESENT_PARAMETERS* presentParameters,
                          InputManager* inputManager, ParamManager* paramManager, FontManager* fontManager,
                          FpsManager* fpsManager, ObjectManager* objectManager, IAreaManager* areaManager,
                          ShaderManager* shaderManager, ResourceManager* resourceManager,
                          SoundManager* soundManager, void* param) {
    DebugPrint(L"SceneBase::Initialize() [%s:%d]\r\n", m_name, this);
    const DWORD start = timeGetTime();

    m_pParent = parent;
    m_pWindowRecord = windowRecord;
    Hold(m_pDirect3D, direct3D);
    Hold(m_pDevice, device);
    if (presentParameters) m_presentParameters = *presentParameters;
    Hold(m_pInputManager, inputManager);
    Hold(m_pParamManager, paramManager);
    Hold(m_pFontManager, fontManager);
    Hold(m_pFpsManager, fpsManager);
    Hold(m_pObjectManager, objectManager);
    HoldAreaManager(m_pAreaManager, areaManager);
    Hold(m_pShaderManager, shaderManager);
    Hold(m_pResourceManager, resourceManager);
    Hold(m_pSoundManager, soundManager);

    MessageTable::Log(13, kInitializeSource);

    const bool created = CreateParamManager() && CreateWindowAndRecord() && CreateDirect3DDevice() &&
                         CreateInputManager() && CreateFpsManager() && CreateSoundManager() &&
                         CreateShaderManager() && CreateResourceManager() && CreateObjectManager() &&
                         CreateAreaManager() && CreateFontManager();
    if (!created) {
        Destroy();
        return -1;
    }

    const int result = OnInitialize(param);
    m_initializeTime = timeGetTime() - start;
    MessageTable::Log(17, kInitializeSource);
    return result;
}

SceneBase::DisplaySettings SceneBase::ReadDisplaySettings() const {
    DisplaySettings settings;
    if (m_pParamManager) {
        settings.clientWidth = m_pParamManager->GetInt(GameSetting::Client_Width);
        settings.clientHeight = m_pParamManager->GetInt(GameSetting::Client_Height);
        settings.windowWidth = m_pParamManager->GetInt(GameSetting::Window_Width);
        settings.windowHeight = m_pParamManager->GetInt(GameSetting::Window_Height);
        settings.fullScreen = m_pParamManager->GetInt(GameSetting::bFullScreen) != 0;
    }
    // The framework's switches on the command line override the file.
    const WinMainParam* start = g_pEnvironment ? g_pEnvironment->GetWinMainParam() : nullptr;
    DXUTParseCommandLine(start && start->commandLine ? start->commandLine : L"");
    const DXUTCommandLineSwitches& switches = DXUTGetCommandLineSwitches();
    if (switches.fullscreen) settings.fullScreen = true;
    if (switches.windowed) settings.fullScreen = false;
    if (switches.width > 0) settings.clientWidth = settings.windowWidth = switches.width;
    if (switches.height > 0) settings.clientHeight = settings.windowHeight = switches.height;
    return settings;
}

bool SceneBase::CreateParamManager() {
    if (m_pParamManager) return true;
    Hold(m_pParamManager, new ParamManager());
    m_owned.insert(m_pParamManager);
    if (m_pParamManager->Initialize() < 0) {
        MessageTable::Log(14, L"Error");
        return false;
    }
    return true;
}

bool SceneBase::CreateWindowAndRecord() {
    if (m_pWindowRecord) return true;
    m_pWindowRecord = new WindowRecord();
    m_owned.insert(m_pWindowRecord);
    const DisplaySettings settings = ReadDisplaySettings();
    g_pEnvironment->SetClientWidth(settings.clientWidth);
    g_pEnvironment->SetClientHeight(settings.clientHeight);
    const WinMainParam* start = g_pEnvironment->GetWinMainParam();
    const HINSTANCE instance = start ? start->instance : nullptr;
    const WNDPROC windowProc = start ? start->wndProc : nullptr;
    const int showCmd = start ? start->showCmd : SW_SHOWNORMAL;
    const wchar_t* className = m_pWindowRecord->className.c_str();
    if (!RegisterMainWindowClass(instance, windowProc, className)) return false;
    if (!CreateMainWindow(this, instance, showCmd, className, m_pWindowRecord->title.c_str(), settings.windowWidth,
                          settings.windowHeight, settings.fullScreen))
        return false;
    g_pEnvironment->SetWindow(m_pWindowRecord->window);
    if (settings.fullScreen) ShowCursor(FALSE);
    ShowCursor(m_pParamManager->GetBool(GameSetting::bShowMouseCursor) ? TRUE : FALSE);
    return true;
}

bool SceneBase::CreateDirect3DDevice() {
    if (m_pDevice) return true;
    Drop(m_pDirect3D);
    const DisplaySettings settings = ReadDisplaySettings();
    if (CreateDevice(this, settings.clientWidth, settings.clientHeight, settings.fullScreen) < 0) return false;
    Hold(m_pDevice, DXUTGetD3D9Device());
    if (!m_pDevice) return false;
    m_owned.insert(m_pDevice);
    MessageTable::Log(16, kInitializeSource);
    g_pEnvironment->SetDevice(m_pDevice);

    D3DFORMAT depth = D3DFMT_UNKNOWN, display = D3DFMT_UNKNOWN, renderTarget = D3DFMT_UNKNOWN;
    if (ProbeFormats(this, &depth, &display, &renderTarget) < 0) return false;
    DEFAULTD3DFMT_BACKBUFFER = display;
    DEFAULTD3DFMT_DEPTHSTENCIL = depth;
    DEFAULTD3DFMT_RENDERTARGET = renderTarget;
    DEFAULTD3DFMT_TEXTURE = renderTarget;
    DEFAULTD3DFMT_NORMALTEXTURE = renderTarget;
    std::wstring text = FormatW(L"DEFAULTD3DFMT_BACKBUFFER = %d\r\n", static_cast<int>(DEFAULTD3DFMT_BACKBUFFER));
    text += FormatW(L"\tDEFAULTD3DFMT_DEPTHSTENCIL = %d\r\n", static_cast<int>(DEFAULTD3DFMT_DEPTHSTENCIL));
    text += FormatW(L"\tDEFAULTD3DFMT_RENDERTARGET = %d\r\n", static_cast<int>(DEFAULTD3DFMT_RENDERTARGET));
    text += FormatW(L"\tDEFAULTD3DFMT_TEXTURE = %d\r\n", static_cast<int>(DEFAULTD3DFMT_TEXTURE));
    text += FormatW(L"\tDEFAULTD3DFMT_NORMALTEXTURE = %d", static_cast<int>(DEFAULTD3DFMT_NORMALTEXTURE));
    MessageLogManager::Instance().Log(L"DeviceSelect", text.c_str());
    return true;
}

bool SceneBase::CreateInputManager() {
    if (m_pInputManager) return true;
    InputManager* manager = new (std::nothrow) InputManager();
    if (!manager) return false;
    Hold(m_pInputManager, manager);
    m_owned.insert(m_pInputManager);
    const WinMainParam* start = g_pEnvironment->GetWinMainParam();
    const HWND window = m_pWindowRecord ? m_pWindowRecord->window : nullptr;
    if (m_pInputManager->Initialize(window, start ? start->instance : nullptr) < 0) {
        MessageTable::Log(47, kInitializeSource);
        Drop(m_pInputManager);
        return false;
    }
    return true;
}

bool SceneBase::CreateFpsManager() {
    if (m_pFpsManager || !g_pEnvironment->IsFrameLimit()) return true;
    Hold(m_pFpsManager, new FpsManager());
    m_owned.insert(m_pFpsManager);
    const HWND window = m_pWindowRecord ? m_pWindowRecord->window : nullptr;
    const wchar_t* title = m_pWindowRecord ? m_pWindowRecord->title.c_str() : L"";
    if (m_pFpsManager->Initialize(title, window) < 0) return false;
    m_pFpsManager->SetFrameRate(m_pParamManager->GetFloat(GameSetting::FramePerSecond_Max));
    g_pEnvironment->SetFpsMax(m_pParamManager->GetFloat(GameSetting::FramePerSecond_Max));
    g_pEnvironment->SetFpsMin(m_pParamManager->GetFloat(GameSetting::FramePerSecond_Min));
    g_pEnvironment->UpdatePhysicsStepRate();
    return true;
}

bool SceneBase::CreateSoundManager() {
    if (m_pSoundManager || !g_pEnvironment->IsCreateSoundManager()) return true;
    Hold(m_pSoundManager, new SoundManager());
    m_owned.insert(m_pSoundManager);
    return SUCCEEDED(m_pSoundManager->Initialize(g_pEnvironment->GetWindow()));
}

bool SceneBase::CreateShaderManager() {
    if (m_pShaderManager || !g_pEnvironment->IsCreateShaderManager()) return true;
    Hold(m_pShaderManager, new ShaderManager());
    m_owned.insert(m_pShaderManager);
    m_pShaderManager->SetDevice(m_pDevice);
    if (m_pShaderManager->LoadShader_Water() < 0 || m_pShaderManager->LoadShader_CopyTexture() < 0) {
        MessageTable::Log(35, kInitializeSource);
        return false;
    }
    MessageTable::Log(38, kInitializeSource);
    return true;
}

bool SceneBase::CreateResourceManager() {
    if (m_pResourceManager || !g_pEnvironment->IsCreateResourceManager()) return true;
    Hold(m_pResourceManager, new ResourceManager());
    m_owned.insert(m_pResourceManager);
    return m_pResourceManager->Initialize(m_pDevice, m_pShaderManager) >= 0;
}

bool SceneBase::CreateObjectManager() {
    if (m_objectManagerCreation == CreateNone) {
        Drop(m_pObjectManager);
        return true;
    }
    if (!((!m_pObjectManager && g_pEnvironment->IsCreateObjectManager()) || m_objectManagerCreation == CreateOwn))
        return true;
    Drop(m_pObjectManager);
    // JobThreadCnt counts only for a scene that leaves the job count at its default.
    const int jobThreadCnt = m_objectManagerParam.jobCount < 0 && m_pParamManager
                                 ? m_pParamManager->GetInt(GameSetting::JobThreadCnt)
                                 : 0;
    m_objectManagerParam = ObjectManager::DefaultParam(m_objectManagerParam, jobThreadCnt);
    m_objectManagerParam.device = m_pDevice;
    m_objectManagerParam.inputManager = m_pInputManager;
    m_objectManagerParam.resourceManager = m_pResourceManager;
    m_objectManagerParam.shaderManager = m_pShaderManager;
    Hold(m_pObjectManager, new ObjectManager());
    m_owned.insert(m_pObjectManager);
    return m_pObjectManager->Initialize(m_objectManagerParam) >= 0;
}

bool SceneBase::CreateAreaManager() {
    if (m_areaManagerCreation == CreateNone) {
        DropAreaManager(m_pAreaManager);
        return true;
    }
    if (!((!m_pAreaManager && g_pEnvironment->IsCreateAreaManager()) || m_areaManagerCreation == CreateOwn))
        return true;
    DropAreaManager(m_pAreaManager);
    if (!g_areaManagerService) return true;  // no world layer: no area manager
    m_pAreaManager = g_areaManagerService->create(m_pObjectManager);
    if (!m_pAreaManager) return false;
    m_owned.insert(m_pAreaManager);
    return true;
}

bool SceneBase::CreateFontManager() {
    if (m_pFontManager) return true;
    Hold(m_pFontManager, new FontManager());
    m_owned.insert(m_pFontManager);
    if (m_pFontManager->CreateFont(m_pDevice, 12, 2) < 0) {
        MessageTable::Log(46, kInitializeSource);
        Drop(m_pFontManager);
        return false;
    }
    SetGlobalFontManager(m_pFontManager);
    return true;
}

// ---------------------------------------------------------------------------
// Teardown

void SceneBase::Destroy() {
    DebugPrint(L"SceneBase::Destroy() [%s:%d]\r\n", m_name, this);
    SubAllScenes();
    ClearChildList();
    m_pendingRemovals.clear();
    m_pParent = nullptr;

    if (IsOwned(m_pFontManager) && GetGlobalFontManager() == m_pFontManager) SetGlobalFontManager(nullptr);
    Environment* environment = g_pEnvironment;
    if (environment && m_pObjectManager && environment->GetObjectManager() == m_pObjectManager)
        environment->SetObjectManager(nullptr);

    DropAreaManager(m_pAreaManager);
    Drop(m_pObjectManager);
    Drop(m_pResourceManager);
    Drop(m_pShaderManager);
    Drop(m_pFpsManager);
    Drop(m_pFontManager);
    Drop(m_pInputManager);
    Drop(m_pSoundManager);
    Drop(m_pParamManager);

    // The device goes with the window it draws into: nothing may hold it
    // past this point, the environment included.
    const bool ownsDevice = IsOwned(m_pDevice) || IsOwned(m_pDirect3D);
    if (ownsDevice && environment && m_pDevice && environment->GetDevice() == m_pDevice)
        environment->SetDevice(nullptr);
    Drop(m_pDevice);
    Drop(m_pDirect3D);
    if (ownsDevice) DXUTShutdown();

    if (IsOwned(m_pWindowRecord)) {
        const HWND window = m_pWindowRecord->window;
        if (environment && window && environment->GetWindow() == window) environment->SetWindow(nullptr);
        if (window) DestroyWindow(window);
        delete m_pWindowRecord;
    }
    m_pWindowRecord = nullptr;
    m_owned.clear();
}

void SceneBase::ClearChildList() {
    std::vector<SceneBase*> list;
    list.swap(m_childList);
    for (SceneBase* child : list) child->Release();
}

// ---------------------------------------------------------------------------
// Frame

int SceneBase::Frame() {
    Environment* environment = g_pEnvironment;
    const float timeStep = GetFrameTime();
    environment->SetFrameTime(timeStep);
    environment->SetElapsedTime(environment->GetElapsedTime() + timeStep);
    environment->SetMeasuredFrameTime(m_measuredFrameTime);

    Update(timeStep);
    // Input is sampled after the tree's update, so a frame's logic reads what
    // was sampled at the end of the previous frame.
    if (m_pInputManager) m_pInputManager->Update();
    if (m_pSoundManager) m_pSoundManager->UpdateListener();

    if (m_skipFrame > 0) {
        --m_skipFrame;
        return 1;
    }
    if (m_pDevice && SUCCEEDED(m_pDevice->BeginScene())) {
        Render();
        m_pDevice->EndScene();
    }
    environment->SetElapsedTime(0.0f);
    if (m_pDevice) m_pDevice->Present(nullptr, nullptr, nullptr, nullptr);
    return 0;
}

float SceneBase::GetFrameTime() {
    const Environment* environment = g_pEnvironment;
    const float nominal = 1000.0f / environment->GetFpsMax() / 1000.0f;
    const float cap = 1000.0f / environment->GetFpsMin() / 1000.0f;
    if (!environment->IsFrameLimit() || !m_pFpsManager) return nominal;
    m_measuredFrameTime = static_cast<float>(m_pFpsManager->Wait()) / 1000.0f;
    return m_measuredFrameTime <= cap ? m_measuredFrameTime : cap;
}

void SceneBase::SortChildrenForUpdate() {
    // Equal keys keep the children's set order.
    std::stable_sort(m_childList.begin(), m_childList.end(), [](const SceneBase* a, const SceneBase* b) {
        return a->GetUpdateOrder() < b->GetUpdateOrder();
    });
}

void SceneBase::SortChildrenForRender() {
    std::stable_sort(m_childList.begin(), m_childList.end(), [](const SceneBase* a, const SceneBase* b) {
        return a->GetRenderOrder() > b->GetRenderOrder();
    });
}

DWORD SceneBase::Update(float timeStep) {
    const DWORD start = timeGetTime();
    Environment* environment = g_pEnvironment;
    environment->SetObjectManager(m_pObjectManager);
    const float scaled = timeStep * m_timeScale;
    const float frameTime = environment->GetFrameTime();
    environment->SetFrameTime(frameTime * m_timeScale);
    m_updateTime.Fold();
    m_scaledFrameTime = scaled;

    std::set<SceneBase*> pending;
    pending.swap(m_pendingRemovals);
    for (SceneBase* scene : pending) SubScene(scene);

    ClearChildList();
    m_childList.reserve(m_children.size());
    for (SceneBase* child : m_children) {
        child->AddRef();
        m_childList.push_back(child);
    }
    SortChildrenForUpdate();

    OnUpdate(scaled);
    // The list holds a reference on each child, so a child removed meanwhile
    // still finishes this frame.
    for (size_t i = 0; i < m_childList.size(); ++i) m_childList[i]->Update(scaled);

    environment->SetObjectManager(m_pObjectManager);
    if (m_bUpdateObjectManager && IsOwned(m_pObjectManager)) m_pObjectManager->Update(scaled);
    if (m_bUpdateAreaManager && IsOwned(m_pAreaManager) && g_areaManagerService)
        g_areaManagerService->update(m_pAreaManager, scaled);

    environment->SetFrameTime(frameTime);
    m_updateTime.last = timeGetTime() - start;
    return m_updateTime.last;
}

void SceneBase::Render() {
    const DWORD start = timeGetTime();
    Environment* environment = g_pEnvironment;
    environment->SetObjectManager(m_pObjectManager);
    const float elapsed = environment->GetElapsedTime();
    environment->SetElapsedTime(elapsed * m_timeScale);
    m_renderTime.Fold();

    if (m_bClearBackBuffer && IsOwned(m_pDevice))
        m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    if (m_bRenderObjectManager && IsOwned(m_pObjectManager)) m_pObjectManager->Render();

    SortChildrenForRender();
    OnRender();
    for (size_t i = 0; i < m_childList.size(); ++i) m_childList[i]->Render();

    environment->SetObjectManager(m_pObjectManager);
    environment->SetElapsedTime(elapsed);
    m_renderTime.last = timeGetTime() - start;

    if (!m_pParent && environment->IsShowSystemInfo()) {
        AppendSystemInfo(m_scaledFrameTime);
        if (FontManager* font = GetGlobalFontManager())
            font->DrawText(0, 0, environment->GetInfoText(), 0xFFFFFFFF);
        environment->ClearInfoText();
    }
}

void SceneBase::AppendSystemInfo(float timeStep) {
    Environment* environment = g_pEnvironment;
    m_overlayAccumulator += timeStep;
    if (m_overlayAccumulator > 0.5f) {
        m_overlayAccumulator = 0.0f;
        m_overlayTimeStep = (timeStep + m_overlayTimeStep) / 2.0f;
        m_overlayUpdateAverage = m_updateTime.average;
        m_overlayRenderAverage = m_renderTime.average;
    }
    environment->AppendInfoText(FormatW(L"#### SceneBase[%s] %.3f #### ", m_name, m_overlayTimeStep).c_str());
    environment->AppendInfoText(FormatW(L"ElapsedTimeForUpdate %.2f ( %.2f / %d )\u3000", m_overlayUpdateAverage,
                                        m_updateTime.average, m_updateTime.maximum)
                                    .c_str());
    environment->AppendInfoText(FormatW(L"ElapsedTimeForRender %.2f ( %.2f / %d )\r\n", m_overlayRenderAverage,
                                        m_renderTime.average, m_renderTime.maximum)
                                    .c_str());
    if (m_bRenderObjectManager && IsOwned(m_pObjectManager)) m_pObjectManager->PrintSystemInfo();
    for (SceneBase* child : m_children) child->AppendSystemInfo(child->m_scaledFrameTime);
}

void SceneBase::PrintSystemInfo() {
    const std::wstring source = RuntimeClassName(*this);
    MessageLogManager& log = MessageLogManager::Instance();
    log.Log(source.c_str(), L"SceneSystemInformation");
    log.Log(source.c_str(), FormatW(L"ElapsedTimeForInitailize %d", m_initializeTime).c_str());
    log.Log(source.c_str(),
            FormatW(L"ElapsedTimeForUpdate Ave %f / Max %d", m_updateTime.average, m_updateTime.maximum).c_str());
    log.Log(source.c_str(),
            FormatW(L"ElapsedTimeForRender Ave %f / Max %d", m_renderTime.average, m_renderTime.maximum).c_str());
}

bool SceneBase::MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A child may leave the tree while it handles the message.
    std::vector<SceneBase*> children(m_children.begin(), m_children.end());
    for (SceneBase* child : children) child->AddRef();
    bool handled = false;
    for (SceneBase* child : children) {
        if (child->MsgProc(window, message, wParam, lParam)) {
            handled = true;
            break;
        }
    }
    for (SceneBase* child : children) child->Release();
    return handled;
}

void SceneBase::SetEnable(bool enable) {
    m_bUpdateObjectManager = enable;
    m_bUpdateAreaManager = enable;
    m_bClearBackBuffer = enable;
    m_bRenderObjectManager = enable;
}

// ---------------------------------------------------------------------------
// Scene operations

int SceneBase::StartScene(SceneBase* scene, SceneBase* parent, void* param) {
    if (!scene) return -1;
    if (!parent) parent = this;
    scene->AddRef();
    const int result = scene->Initialize(parent, m_pWindowRecord, m_pDirect3D, m_pDevice, &m_presentParameters,
                                         m_pInputManager, m_pParamManager, m_pFontManager, m_pFpsManager,
                                         m_pObjectManager, m_pAreaManager, m_pShaderManager, m_pResourceManager,
                                         m_pSoundManager, param);
    if (result >= 0) parent->AddScene(scene);
    scene->Release();
    return result;
}

int SceneBase::StartSiblingScene(SceneBase* scene, void* param) { return StartScene(scene, m_pParent, param); }

void SceneBase::TransferChildScene(SceneBase* target) {
    if (!target || target == this) return;
    DebugPrint(L"SceneBase::TransferChildScene() ([%s:%d] to [%s:%d])\r\n", m_name, this, target->m_name, target);
    std::set<SceneBase*> children;
    children.swap(m_children);
    for (SceneBase* child : children) {
        target->AddScene(child);
        child->m_pParent = target;
        child->Release();
    }
}

void SceneBase::AddScene(SceneBase* scene) {
    if (!scene || !m_children.insert(scene).second) return;
    scene->AddRef();
    DebugPrint(L"SceneBase::AddScene() ([%s:%d] into [%s:%d])\r\n", scene->m_name, scene, m_name, this);
}

void SceneBase::SubScene(SceneBase* scene) {
    auto it = m_children.find(scene);
    if (it == m_children.end()) return;
    DebugPrint(L"SceneBase::SubScene() ([%s:%d] from [%s:%d])\r\n", scene->m_name, scene, m_name, this);
    m_children.erase(it);
    m_pendingRemovals.erase(scene);
    scene->PrintSystemInfo();
    scene->Release();
}

void SceneBase::SubAllScenes() {
    while (!m_children.empty()) SubScene(*m_children.begin());
}

void SceneBase::RequestSubScene(SceneBase* scene) {
    if (scene) m_pendingRemovals.insert(scene);
}

void SceneBase::CancelSubScene(SceneBase* scene) { m_pendingRemovals.erase(scene); }

void SceneBase::CopyOwnedTo(SceneBase* target) {
    if (target && target != this) target->m_owned.insert(m_owned.begin(), m_owned.end());
}

void SceneBase::TransferOriginalPointer(SceneBase* target) {
    if (!target || target == this) return;
    DebugPrint(L"SceneBase::TransferOriginalPointer() ([%s:%d] to [%s:%d])\r\n", m_name, this, target->m_name,
               target);
    CopyOwnedTo(target);
    m_owned.clear();
}

}  // namespace Quorvex
