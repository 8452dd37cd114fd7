#include "game/flow/SceneFirst.h"

#include "engine/assets/devices/InputManager.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/assets/shaders/Shader_CopyTexture.h"
#include "engine/core/DeviceSetup.h"
#include "engine/core/Environment.h"
#include "engine/core/FpsManager.h"
#include "engine/core/WinMain.h"
#include "engine/core/render/ObjectManager.h"

using namespace Quorvex;

namespace {

constexpr const wchar_t* kProductTitle = L"ORVALIS v1.03";
constexpr float kFastModeFactor = 10.0f;
// The first frame after loading sees this time step, however long loading took.
constexpr float kFirstFrameTime = 0.016f;

// Program-wide: survives a scene that is made again.
bool g_speedRun = false;

}  // namespace

SceneBase* CreateRootScene() { return new SceneFirst(); }

SceneFirst::SceneFirst() {
    m_name = "first";
    m_objectManagerCreation = CreateIfMissing;
    m_areaManagerCreation = CreateNone;
    m_objectManagerParam.groupCount = 16;
    m_objectManagerParam.jobCount = 1;
    m_objectManagerParam.vertexBytes = 393216;
    m_objectManagerParam.indexBytes = 49152;
    m_objectManagerParam.commandCapacity = 5120;
    if (g_pEnvironment)
        g_pEnvironment->SetAreaCellSize(D3DXVECTOR3(1000.0f, 10000.0f, 1000.0f),
                                        D3DXVECTOR3(1500.0f, 15000.0f, 1500.0f));
}

SceneFirst::~SceneFirst() {
    SAFE_RELEASE(m_pSavedSurface);
    m_renderTarget.Clear();
}

HRESULT SceneFirst::CreateRenderTarget() {
    IDirect3DDevice9* device = GetDevice();
    D3DSURFACE_DESC desc{};
    const HRESULT result = RenderTargetSet::GetBackBufferDesc(device, &desc);
    if (FAILED(result)) return result;
    return m_renderTarget.Create(desc.Width, desc.Height, device, desc.Format);
}

void SceneFirst::SetWindowTitle(const wchar_t* text, SceneBase* scene) {
    if (!text) return;
    for (; scene; scene = scene->GetParent()) {
        WindowRecord* record = scene->GetWindowRecord();
        if (record) record->title = text;
        if (FpsManager* timer = scene->GetFpsManager()) timer->SetTitle(text);
        if (!scene->GetParent() && record && record->window) SetWindowTextW(record->window, text);
    }
}

float SceneFirst::GetFrameTime() {
    const float timeStep = SceneBase::GetFrameTime();
    InputManager* input = GetInputManager();
    if (input && input->IsCommandPressed("SpeedRun")) g_speedRun = !g_speedRun;
    return g_speedRun ? timeStep * kFastModeFactor : timeStep;
}

void SceneFirst::OnUpdate(float) {
    InputManager* input = GetInputManager();
    if (input && input->IsCommandPressed("ShowSystemInfo"))
        g_pEnvironment->SetShowSystemInfo(!g_pEnvironment->IsShowSystemInfo());
}

int SceneFirst::OnInitialize(void*) {
    SetWindowTitle(kProductTitle, this);

    // The resource table and its loading, the settings file, the game manager,
    // the sounds and the title scene join here with the game-flow layer.

    const HRESULT target = CreateRenderTarget();
    if (FAILED(target)) return target;

    // The object manager projects with the device's viewport.
    if (ObjectManager* objects = GetObjectManager()) {
        D3DVIEWPORT9 viewport{};
        IDirect3DDevice9* device = objects->GetDevice();
        if (device && SUCCEEDED(device->GetViewport(&viewport))) objects->SetProjection(viewport);
    }

    g_pEnvironment->SetFrameTime(kFirstFrameTime);
    g_pEnvironment->SetElapsedTime(kFirstFrameTime);
    return 0;
}

// ---------------------------------------------------------------------------
// Drawing the tree: into the scene's own render target, then copied to the
// back buffer with the "CopyTexture" shader.

void SceneFirst::Render() {
    if (GetChildCount() == 0) return;
    IDirect3DDevice9* device = GetDevice();
    if (!device || !m_renderTarget.GetSurface()) return;

    SAFE_RELEASE(m_pSavedSurface);
    if (FAILED(device->GetRenderTarget(0, &m_pSavedSurface))) {
        m_pSavedSurface = nullptr;
        return;
    }
    if (FAILED(device->SetRenderTarget(0, m_renderTarget.GetSurface()))) return;
    SceneBase::Render();
    if (FAILED(device->SetRenderTarget(0, m_pSavedSurface))) return;
    if (FAILED(device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR))) return;
    if (FAILED(device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR))) return;

    ShaderManager* shaders = GetShaderManager();
    auto* copy = shaders ? dynamic_cast<Shader_CopyTexture*>(shaders->GetShader("CopyTexture")) : nullptr;
    if (!copy) return;
    // Full-screen fills share this shader and write its colour: the picture
    // is copied with none of theirs.
    for (float& component : copy->m_fillColor) component = 1.0f;
    copy->SetTexture(m_renderTarget.GetTexture());
    copy->Apply(nullptr, -1, -1);
}
