#include "game/play/ScenePause.h"

#include "engine/assets/RenderGroups.h"
#include "engine/assets/devices/InputManager.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/assets/shaders/Shader_CopyTexture.h"
#include "game/play/Pause_BackTile.h"
#include "game/play/Pause_SelectList.h"
#include "game/play/Pause_Title.h"
#include "game/screen/GraphicUnits.h"
#include "game/screen/SceneObjectParam.h"
#include "game/state/Environment2.h"
#include "game/state/SceneRequests.h"

using namespace Quorvex;

namespace {

// Escape; pad button 8.
constexpr InputManager::KeyBinding kPauseBinding[] = {{"pause", 1, 12}};
constexpr D3DCOLOR kClearColor = 0xFF646464;

// Finalises a list the scene owns and lets it leave the object manager.
template <class List>
void DropList(List*& list) {
    if (!list) return;
    list->Finalize();
    list->RequestRemove(true);
    list->Release();
    list = nullptr;
}

}  // namespace

ScenePause::ScenePause() {
    m_name = "pause";
    m_objectManagerCreation = CreateOwn;
    m_areaManagerCreation = CreateNone;
    m_objectManagerParam = OneJobObjects(4);
}

ScenePause::~ScenePause() {
    if (m_bound) {
        if (InputManager* input = GetInputManager()) {
            input->UnbindTable(kPauseBinding);
        }
        m_bound = false;
    }
    DropList(m_pContinueList);
    DropList(m_pPauseList);
    if (m_pTitle) {
        m_pTitle->Hide();
        m_pTitle->RequestRemove(true);
        m_pTitle->Release();
        m_pTitle = nullptr;
    }
    if (m_pTileFactory) {
        m_pTileFactory->ReleaseAll();
        m_pTileFactory->Release();
        m_pTileFactory = nullptr;
    }
    SAFE_RELEASE(m_pGameManager);
    if (g_pEnvironment2 && g_pEnvironment2->pauseScene == this) g_pEnvironment2->pauseScene = nullptr;
    m_snapshot.Clear();
    SAFE_RELEASE(m_pSourceFrame);
}

int ScenePause::OnInitialize(void* param) {
    // 1. The handed-over game manager.
    SAFE_RELEASE(m_pGameManager);
    if (const auto* start = static_cast<const SceneRequests::StartParam*>(param)) {
        m_pGameManager = start->gameManager;
        if (m_pGameManager) m_pGameManager->AddRef();
    }

    ObjectManager* objects = GetObjectManager();
    if (!objects) return -1;

    // 2. The scene's own 2-D group.
    auto* group = new RenderGroupSprite2D();
    group->AddRef();
    const int grouped = group->Initialize(objects, "Sprite2D", 6000, 0);
    group->Release();
    if (grouped < 0) return -1;

    // 3. Tile pool and title.
    m_pTileFactory = new Pause_BackTileFactory(objects);
    m_pTileFactory->AddRef();
    if (m_pTileFactory->Initialize(0) < 0) return -1;
    m_pTitle = new Pause_Title(objects);
    m_pTitle->AddRef();
    if (m_pTitle->Initialize(0) < 0) return -1;

    // 4. The snapshot target, as the back buffer.
    IDirect3DDevice9* device = GetDevice();
    D3DSURFACE_DESC desc{};
    if (!device || FAILED(RenderTargetSet::GetBackBufferDesc(device, &desc))) return -1;
    if (FAILED(m_snapshot.Create(desc.Width, desc.Height, device, desc.Format))) return -1;

    // 5. The two menus.
    InputManager* input = GetInputManager();
    m_pPauseList = new Pause_SelectList(objects, input, this);
    m_pPauseList->AddRef();
    if (m_pPauseList->Initialize(0) < 0) return -1;
    m_pContinueList = new Pause_SelectListDead(objects, input, this);
    m_pContinueList->AddRef();
    if (m_pContinueList->Initialize(0) < 0) return -1;

    // 6. "pause".
    if (!input) return -1;
    input->BindTable(kPauseBinding);
    m_bound = true;

    // 7. Published.
    if (g_pEnvironment2) g_pEnvironment2->pauseScene = this;
    return 0;
}

SceneRequests* ScenePause::GetGameManager() const {
    if (m_pGameManager) return m_pGameManager;
    return g_pEnvironment2 ? g_pEnvironment2->gameManager : nullptr;
}

void ScenePause::SetSourceFrame(IDirect3DTexture9* texture) {
    if (texture) texture->AddRef();
    SAFE_RELEASE(m_pSourceFrame);
    m_pSourceFrame = texture;
}

void ScenePause::SetMode(int mode, bool forced) {
    if (!forced && mode <= m_mode) return;
    if (m_mode == ModePause || m_mode == ModeContinue) {
        if (m_pTitle) m_pTitle->Hide();
        if (m_pTileFactory) m_pTileFactory->ReleaseAll();
        if (m_mode == ModePause && m_pPauseList) m_pPauseList->Close();
        if (m_mode == ModeContinue && m_pContinueList) m_pContinueList->Close();
    }
    m_timer = 0.0f;
    m_snapshotTaken = false;
    if (m_pTitle) {
        m_pTitle->SetType(mode);
        m_pTitle->Show();
    }
    if (m_pPauseList) m_pPauseList->Open(mode);
    if (m_pContinueList) m_pContinueList->Open(mode);
    m_mode = mode;
}

int ScenePause::SpreadCount(float timer) {
    const int n = 1 + static_cast<int>(kSpreadRate * timer);
    return n < kTileColumns ? n : kTileColumns;
}

void ScenePause::SpreadTiles(int kind) {
    const int count = SpreadCount(m_timer);
    if (m_pTileFactory) {
        const float step = LayoutFromPixels(kTilePixels);
        ForEachNewTile(m_tileCount, count, [&](int column, int row) {
            m_pTileFactory->Launch(step * static_cast<float>(column), step * static_cast<float>(row), kind);
        });
    }
    m_tileCount = count;
    m_tilesDone = count >= kTileColumns;
}

void ScenePause::OnUpdate(float timeStep) {
    if (m_mode == ModePause || m_mode == ModeContinue) {
        if (m_timer == 0.0f) {
            m_tileCount = 0;
            m_tilesDone = false;
        }
        if (!m_tilesDone) {
            SpreadTiles(m_mode == ModePause ? 1 : 2);
        } else if (m_mode == ModePause) {
            InputManager* input = GetInputManager();
            if (input && input->IsCommandPressed("pause")) SetMode(ModeIdle, true);
        }
    }
    m_timer += timeStep;
}

void ScenePause::DrawFullScreen(IDirect3DTexture9* texture, float red, float green, float blue, float alpha) {
    ShaderManager* shaders = GetShaderManager();
    auto* copy = shaders ? dynamic_cast<Shader_CopyTexture*>(shaders->GetShader("CopyTexture")) : nullptr;
    if (!copy) return;
    copy->m_fillColor[0] = red;
    copy->m_fillColor[1] = green;
    copy->m_fillColor[2] = blue;
    copy->m_fillColor[3] = alpha;
    copy->SetTexture(texture);
    copy->Apply(nullptr, -1, -1);
    // The shared shader must not keep this scene's textures alive.
    copy->SetTexture(nullptr);
}

void ScenePause::TakeSnapshot() {
    IDirect3DDevice9* device = GetDevice();
    if (!device || !m_snapshot.GetSurface()) return;
    IDirect3DSurface9* saved = nullptr;
    if (FAILED(device->GetRenderTarget(0, &saved)) || !saved) return;
    if (SUCCEEDED(device->SetRenderTarget(0, m_snapshot.GetSurface()))) {
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        if (m_pSourceFrame) DrawFullScreen(m_pSourceFrame, 1.0f, 1.0f, 1.0f, 1.0f);
        device->SetRenderTarget(0, saved);
    }
    saved->Release();
}

void ScenePause::Render() {
    if (m_mode == ModeIdle) return;
    IDirect3DDevice9* device = GetDevice();
    if (!device) return;
    if (!m_snapshotTaken) {
        TakeSnapshot();
        m_snapshotTaken = true;
    }
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClearColor, 1.0f, 0);
    if (ShaderManager* shaders = GetShaderManager())
        if (shaders->GetBlendMode() != ShaderManager::BlendAlpha) shaders->SetBlendMode(ShaderManager::BlendAlpha);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    DrawFullScreen(m_snapshot.GetTexture(), 1.0f, 1.0f, 1.0f, 1.0f);
    if (m_mode == ModePause)
        DrawFullScreen(nullptr, 0.2f, 0.2f, 1.0f, 0.5f);
    else
        DrawFullScreen(nullptr, 1.0f, 0.2f, 0.2f, 0.5f);
    SceneBase::Render();
}

bool ScenePause::MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (SceneBase::MsgProc(window, message, wParam, lParam)) return true;
    return message == WM_KEYDOWN && wParam == VK_ESCAPE;
}
