#include "game/app/SceneFirst.h"

#include <cstdio>

#include "engine/assets/ResourceManager.h"
#include "engine/assets/devices/InputManager.h"
#include "engine/assets/devices/SoundManager.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/assets/shaders/Shader_CopyTexture.h"
#include "engine/assets/shaders/Shader_Water.h"
#include "engine/core/DeviceSetup.h"
#include "engine/core/Environment.h"
#include "engine/core/FpsManager.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/MessageTable.h"
#include "engine/core/WinMain.h"
#include "engine/core/render/ObjectManager.h"
#include "game/app/GameManager.h"
#include "game/app/LoadTaskFactory.h"
#include "game/screen/SceneObjectParam.h"
#include "game/state/Environment2.h"
#include "game/state/ParamManager2.h"
#include "game/state/SoundTable.h"
#include "game/world/AreaManager.h"
#include "platform/win32/phase_timer.h"

using namespace Quorvex;

namespace {

constexpr const wchar_t* kProductTitle = L"ORVALIS v1.03";
constexpr const char* kSettingsFile = "settings";
constexpr const char* kDamagedSettingsFile = "settings.bad";
constexpr float kFastModeFactor = 10.0f;
// The first frame after loading sees this time step, however long loading took.
constexpr float kFirstFrameTime = 0.016f;

// Program-wide: survives a scene that is made again.
bool g_speedRun = false;

// Every resource the game loads at start-up, in the order it is requested.
const char* const kStartupResources[] = {
    "matNone", "matEffect", "matEffect2D", "matEffectBeam", "matMist", "matAura", "matAura2", "matAura3",
    "matReidan", "matHud", "matHud2", "matOption", "matOptionPanel", "matStageSelect", "matStgSelPanel",
    "matStgSS1", "matTree_1", "matTree_2", "matTree_3-6", "matSkyNight", "matSkyWhite", "matFlare",
    "matFlareBlack", "matTitleBG", "matTitleLogo", "matTitleLogo2", "matVelrin", "matVelrinKoma", "matBramel",
    "matBramel2", "matDweli", "matDweli2", "matSpellDweli", "matFesko", "matSpellFesko", "matPentra",
    "matSpellPentra", "matGralle", "matSpellGralle", "matOrsel", "matSpellOrsel", "matToska", "matSpellToska",
    "matSpeak", "matMagicMissile", "matGnd1", "matGnd2", "ground_sea", "missile", "EnemySpellBg", "SkyDome",
    "AfterBurner", "Mesh_Dweli", "Mesh_Fairy", "Mesh_Doll", "Mesh_Gnd", "Mesh_Gnd2_1", "Mesh_Gnd2_2",
    "Mesh_Gnd2_3", "Mesh_Gnd3_1", "Mesh_Gnd4_1", "Mesh_Velrin", "Mesh_ShotPoint", "Mesh_SpellBg", "matSelWindow",
    "matSelBramel", "matSelSpeak", "matSelTitle", "matSmoke", "Mesh_Ray", "Mesh_Yama1", "Mesh_Yama1p1",
    "Mesh_Yama1p2", "Mesh_Yama2", "Mesh_Yama3", "Mesh_Yama3p1", "Mesh_Yama3p2", "Mesh_Yama_R1", "Mesh_Yama_R1P1",
    "Mesh_Yama_R1P2", "Mesh_Yama_R2", "Mesh_Yama_R2P1", "Mesh_Yama_R2P2", "Mesh_Yama_L1", "Mesh_Yama_L1P1",
    "Mesh_Yama_L1P2", "Mesh_Yama_L2", "Mesh_Yama_L2P1", "Mesh_Yama_L2P2", "Mesh_Yama_O2-1", "Mesh_Yama_O2-2",
    "Mesh_Yama_BL", "Mesh_Yama_BR", "Mesh_Doukutsu2_1", "Mesh_Doukutsu2_2", "Mesh_Doukutsu2_3", "Mesh_Doukutsu2_4",
    "Mesh_Doukutsu2_5", "Mesh_Doukutsu2_6", "Mesh_Doukutsu2_7", "Mesh_Doukutsu2_8", "matYama2", "matYougan",
    "matYougan2", "matYougan3", "matVolcano", "matNukeAura", "Mesh_Volcano", "Mesh_Nuke", "Mesh_Nuke2", "matRing",
    "Mesh_Pentra", "Mesh_Gralle", "Mesh_Flower", "Mesh_Flower1", "Mesh_Flower2", "Mesh_Tama", "matKetama",
    "Mesh_Orsel", "Mesh_Toska", "Mesh_Building_p1", "Mesh_Building_p2", "Mesh_Building_p3", "Mesh_Building_p4",
    "Mesh_Building_p5", "matEnding", "matWhite", "matScore", "matMsg", "matFairy2", "matFairy3", "matFairy4",
    "matFairy5", "matFairy6", "matReidan2", "matReidan3",
};

// The resource table becomes the resource manager's load-task factory: 0, or
// -1 when the table could not be built.
int InstallResourceTable(ResourceManager* resources) {
    if (!resources) return 0;
    auto* factory = new LoadTaskFactory();
    factory->AddRef();
    const int result = factory->RegisterAll(resources);
    if (result >= 0) resources->SetLoadTaskFactory(factory);
    factory->Release();
    return result < 0 ? -1 : 0;
}

// Requests every start-up resource and waits until the loader thread has
// finished them all (a failed load is logged by its task and counts as done).
void LoadStartupResources(ResourceManager* resources) {
    if (!resources) return;
    DebugPrint(L"読み込み発行前\r\n");
    for (const char* id : kStartupResources) resources->RequestLoad(id);
    DebugPrint(L"読み込み発行後\r\n");
    {
        orv::PhaseTimer wait(orv::Phase::LoaderWait);
        while (resources->GetPendingCount() > 0) Sleep(10);
    }
    DebugPrint(L"読み込み完了\r\n");
}

}  // namespace

SceneBase* CreateRootScene() { return new SceneFirst(); }

SceneFirst::SceneFirst() {
    RegisterAreaManagerService();
    m_name = "first";
    m_objectManagerCreation = CreateIfMissing;
    m_areaManagerCreation = CreateNone;
    m_objectManagerParam = OneJobObjects(16, 5120, 393216, 49152);
    if (g_pEnvironment)
        g_pEnvironment->SetAreaCellSize(D3DXVECTOR3(1000.0f, 10000.0f, 1000.0f),
                                        D3DXVECTOR3(1500.0f, 15000.0f, 1500.0f));
}

SceneFirst::~SceneFirst() {
    Environment2* env = g_pEnvironment2;
    if (env->rootScene == this) env->rootScene = nullptr;
    if (m_pGameManager && env->gameManager == m_pGameManager) env->gameManager = nullptr;
    if (m_pSettings && env->paramManager == m_pSettings) env->paramManager = nullptr;
    // The game state's references go while the managers the objects live in
    // still exist (the scene tree below is torn down after this).
    env->SetPlayer(nullptr);
    env->SetViewObject(nullptr);
    env->SetLightObject(nullptr);
    env->SetGroundGenerator(nullptr);
    env->SetCenterPosManager(nullptr);
    env->followedObject = nullptr;
    env->currentBoss = nullptr;
    env->shaderManager = nullptr;
    env->resourceManager = nullptr;
    env->soundManager = nullptr;
    env->inputManager = nullptr;
    SAFE_RELEASE(m_pSavedSurface);
    SAFE_RELEASE(m_pGameManager);
    SAFE_RELEASE(m_pSettings);
    m_renderTarget.Clear();
}

int SceneFirst::LoadSettings() {
    m_pSettings = new ParamManager2();
    m_pSettings->AddRef();
    if (m_pSettings->Load(kSettingsFile) < 0) {
        // A file that exists but cannot be read is kept aside rather than
        // overwritten, so the rankings and unlocks in it are not lost.
        if (FILE* existing = std::fopen(kSettingsFile, "rb")) {
            std::fclose(existing);
            std::remove(kDamagedSettingsFile);
            if (std::rename(kSettingsFile, kDamagedSettingsFile) == 0)
                FormatDebugMessage("settings: the unreadable file was kept as %s", kDamagedSettingsFile);
        }
        if (m_pSettings->Save(kSettingsFile) < 0) return -1;
    }
    g_pEnvironment2->paramManager = m_pSettings;
    return 0;
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
    ApplyVolumeSettings(GetSoundManager());
}

int SceneFirst::OnInitialize(void*) {
    SetWindowTitle(kProductTitle, this);
    if (InstallResourceTable(GetResourceManager()) < 0) return -1;

    Environment2* env = g_pEnvironment2;
    env->shaderManager = GetShaderManager();
    env->resourceManager = GetResourceManager();
    env->soundManager = GetSoundManager();
    env->inputManager = GetInputManager();

    if (LoadSettings() < 0) return -1;

    m_pGameManager = new GameManager(GetObjectManager(), this);
    m_pGameManager->AddRef();
    if (m_pGameManager->Initialize(0) != 0) return -2;

    const HRESULT target = CreateRenderTarget();
    if (FAILED(target)) return target;

    // The wide water shader, shared by every stage with a sea.
    auto* water = new Shader_WideWater(GetResourceManager()->GetRenderParameter(), GetShaderManager());
    water->AddRef();
    const int waterLoaded = water->LoadShader();
    if (waterLoaded >= 0) GetShaderManager()->AddShader(water);
    water->Release();
    if (waterLoaded < 0) throw MessageTable::GetText(25);

    LoadStartupResources(GetResourceManager());

    // Sounds go through the same redirection as the other assets, so their
    // scrambled copies need the key while it is on.
    RegisterSounds(GetSoundManager(), g_pEnvironment->IsFileRedirect() ? g_pEnvironment->GetAssetKey() : 0);

    // The object manager projects with the device's viewport.
    if (ObjectManager* objects = GetObjectManager()) {
        D3DVIEWPORT9 viewport{};
        IDirect3DDevice9* device = objects->GetDevice();
        if (device && SUCCEEDED(device->GetViewport(&viewport))) objects->SetProjection(viewport);
    }

    {
        orv::PhaseTimer title(orv::Phase::TitleSetUp);
        m_pGameManager->ToTitle();
    }
    env->rootScene = this;

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
