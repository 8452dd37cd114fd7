#include "game/play/SceneAction.h"

#include <algorithm>
#include <string>

#include "engine/assets/FillObject.h"
#include "engine/assets/MeshUnit.h"
#include "engine/assets/RenderGroup_Begin.h"
#include "engine/assets/RenderGroups.h"
#include "engine/assets/ResourceManager.h"
#include "engine/assets/devices/InputManager.h"
#include "engine/core/Environment.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/render/ObjectManager.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/play/GameSceneRegistry.h"
#include "game/play/ScenePause.h"
#include "game/player/weapons/MarkerGenerator.h"
#include "game/screen/GraphicManager.h"
#include "game/screen/SceneObjectParam.h"
#include "game/screen/ScoreMarker.h"
#include "game/screen/ViewObject.h"
#include "game/state/Environment2.h"
#include "game/state/IRootScene.h"
#include "game/state/SceneRequests.h"
#include "game/world/AreaFactoryAdapter.h"
#include "game/world/AreaManager.h"
#include "game/world/CenterPosManager.h"
#include "game/world/CollisionShapeSet.h"
#include "game/world/MeshShape.h"
#include "game/world/effects/BlurManager.h"
#include "game/world/effects/CollisionRenderer.h"
#include "game/world/effects/EffectGenerator.h"
#include "game/world/effects/FlashManager.h"
#include "game/world/effects/LightObject.h"
#include "game/world/terrain/GroundGenerator.h"
#include "game/world/terrain/SkyDome.h"

using namespace Quorvex;

namespace {

// The dialogue commands: left arrow and right arrow, pad buttons 0 and 1.
constexpr InputManager::KeyBinding kDialogueBindings[] = {
    {"NextSpeak", 203, 4},
    {"NextSpeakSkip", 205, 5},
};

constexpr float kGaugeDrainPerSecond = 0.5f;
constexpr float kStartFrameTime = 0.016f;

// The effect layer: a dark blue tint whose alpha is this share of
// 1 - intensity, drawn before (under) every other 2D layer of play.
constexpr float kEffectTint[3] = {0.02f, 0.0f, 0.12f};
constexpr float kEffectAlphaScale = 0.5f;
constexpr float kEffectDrawPriority = 1000.0f;

// The part of each mountain mesh that holds its collision hull.
constexpr const char* kMountainPart = "Mesh_yama1_v006";

D3DXVECTOR3 CellSize() {
    const D3DXVECTOR3* cell = g_pEnvironment ? g_pEnvironment->GetAreaCellSize() : nullptr;
    return cell ? *cell : D3DXVECTOR3(g_WorldGrid.cellSize[0], g_WorldGrid.cellSize[1], g_WorldGrid.cellSize[2]);
}

void LogShapeError(const std::wstring& text) { MessageLogManager::Instance().Log(L"SceneAction", text.c_str()); }

MeshUnit* FindMesh(IResourceManager* resources, const char* id) {
    return resources ? dynamic_cast<MeshUnit*>(resources->GetResource(id)) : nullptr;
}

ID3DXMesh* FirstMeshOf(const D3DXFRAME* frame) {
    for (; frame; frame = frame->pFrameSibling) {
        if (frame->pMeshContainer && frame->pMeshContainer->MeshData.pMesh) return frame->pMeshContainer->MeshData.pMesh;
        if (ID3DXMesh* mesh = FirstMeshOf(frame->pFrameFirstChild)) return mesh;
    }
    return nullptr;
}

// The hull of one mountain part: the named part of the mesh resource, or its
// first mesh when the part has another name. Null (logged) when the mesh is
// missing or unreadable.
btConvexHullShape* MountainHull(IResourceManager* resources, const char* meshId) {
    MeshUnit* mesh = FindMesh(resources, meshId);
    ID3DXMesh* d3dxMesh = nullptr;
    if (mesh) {
        if (MeshContainer* part = mesh->FindMaterialList(kMountainPart)) d3dxMesh = part->MeshData.pMesh;
        if (!d3dxMesh) d3dxMesh = FirstMeshOf(mesh->GetRootFrame());
    }
    btConvexHullShape* hull = d3dxMesh ? CollisionShapeSet::CreateHullShape(d3dxMesh) : nullptr;
    if (!hull) {
        const std::string id(meshId);
        LogShapeError(L"collision hull not built: " + std::wstring(id.begin(), id.end()));
    }
    return hull;
}

btTransform At(const btVector3& origin) {
    btTransform transform;
    transform.setIdentity();
    transform.setOrigin(origin);
    return transform;
}

// A compound of registered shapes (the compound does not own its children,
// which stay in their own sets).
struct Child {
    const wchar_t* name;
    btVector3 origin;
};
void RegisterCompound(IAreaManager* areas, const wchar_t* name, std::initializer_list<Child> children, float mass) {
    auto* compound = new btCompoundShape();
    for (const Child& child : children) {
        btCollisionShape* shape = areas->GetShape(child.name);
        if (!shape) {
            delete compound;
            LogShapeError(std::wstring(L"collision compound not built: ") + name);
            return;
        }
        compound->addChildShape(At(child.origin), shape);
    }
    CreateShapeSet(name, compound, mass, true, areas);
}

// A compound of one or two mountain hulls, each also registered alone under
// the compound's name plus "p1" / "p2".
void RegisterMountain(IAreaManager* areas, IResourceManager* resources, const wchar_t* name,
                      std::initializer_list<const char*> parts, float mass) {
    if (areas->GetShape(name)) return;
    auto* compound = new btCompoundShape();
    int index = 0;
    for (const char* part : parts) {
        const std::wstring partName = std::wstring(name) + L"p" + std::to_wstring(++index);
        btCollisionShape* hull = areas->GetShape(partName.c_str());
        if (!hull) {
            btConvexHullShape* made = MountainHull(resources, part);
            hull = made ? CreateShapeSet(partName.c_str(), made, 1000.0f, true, areas) : nullptr;
        }
        if (!hull) {
            delete compound;
            return;
        }
        compound->addChildShape(At(btVector3(0, 0, 0)), hull);
    }
    CreateShapeSet(name, compound, mass, true, areas);
}

}  // namespace

SceneAction::SceneAction() {
    m_name = "action";
    const int creation = GetGameSceneRegistry().actionSceneCount > 0 ? CreateIfMissing : CreateOwn;
    m_objectManagerCreation = creation;
    m_areaManagerCreation = creation;
    m_objectManagerParam = OneJobObjects(16, 30720);
}

SceneAction::~SceneAction() {
    if (m_effectFill) {
        m_effectFill->RequestRemove(true);
        m_effectFill->Release();
        m_effectFill = nullptr;
    }
    Environment2* env = g_pEnvironment2;
    const bool current = env && env->actionScene == this;
    if (current)
        if (IAreaManager* areas = GetAreaManager()) areas->SetAreaFactory(nullptr);
    if (IsLastOfWorld()) ReleaseWorld();
    // Only a scene whose set-up counted it takes itself out of the count, so
    // a stage that failed to start next to a running one leaves the running
    // stage's world alone.
    if (m_counted) --GetGameSceneRegistry().actionSceneCount;
    if (current) env->actionScene = nullptr;
}

bool SceneAction::IsLastOfWorld() const {
    // The scene that owns the managers takes the world with it even when an
    // older stage is still waiting for its removal.
    const int others = GetGameSceneRegistry().actionSceneCount - (m_counted ? 1 : 0);
    return others <= 0 || IsOwned(GetObjectManager());
}

void SceneAction::ReleaseWorld() {
    GameSceneRegistry& registry = GetGameSceneRegistry();
    if (Environment2* env = g_pEnvironment2) {
        if (env->viewObject && env->viewObject == registry.camera.Get()) env->SetViewObject(nullptr);
        if (env->lightObject && env->lightObject == registry.light.Get()) env->SetLightObject(nullptr);
        // The game state's own references to objects of this world would
        // otherwise outlive the managers they live in.
        IObjectManager* objects = GetObjectManager();
        if (objects && env->groundGenerator && env->groundGenerator->GetManager() == objects)
            env->SetGroundGenerator(nullptr);
        if (objects && env->centerPosManager && env->centerPosManager->GetManager() == objects)
            env->SetCenterPosManager(nullptr);
    }
    registry.light.Clear();
    registry.camera.Clear();
    registry.graphicManager.Clear();
    registry.flashManager.Clear();
    registry.blurManager.Clear();
    registry.gameManager.Clear();
    registry.pauseScene.Clear();
    registry.scoreMarkerFactory.Clear();
    if (MarkerGenerator* markers = registry.markerGenerator.Get()) markers->ForgetAllEnemies();
    registry.markerGenerator.Clear();
    registry.enemyGenerator.Clear();
    registry.effectGenerator.Clear();
    registry.collisionRenderer.Clear();
    InputManager* input = GetInputManager();
    if (registry.dialogueCommandsBound && input) {
        registry.dialogueCommandsBound = false;
        input->UnbindTable(kDialogueBindings);
    }
}

int SceneAction::OnInitialize(void* param) {
    GameSceneRegistry& registry = GetGameSceneRegistry();
    const auto* start = static_cast<const SceneRequests::StartParam*>(param);
    registry.gameManager.Set(start ? start->gameManager : nullptr);
    m_singleStage = start && start->value ? 1 : 0;

    if (registry.actionSceneCount > 0) {
        if (InstallAreaFactory() < 0) return -1;
    } else {
        const int result = BuildWorld();
        if (result < 0) return result;
    }

    ++registry.actionSceneCount;
    m_counted = true;
    CreateScreenEffect();
    if (g_pEnvironment2) g_pEnvironment2->actionScene = this;
    if (InputManager* input = GetInputManager()) input->ClearCommandStates();
    if (g_pEnvironment) {
        g_pEnvironment->SetFrameTime(kStartFrameTime);
        g_pEnvironment->SetElapsedTime(kStartFrameTime);
    }
    return 0;
}

int SceneAction::InstallAreaFactory() {
    IAreaManager* areas = GetAreaManager();
    IAreaFactory* factory = CreateAreaFactory();
    if (!areas || !factory) {
        if (factory) {
            factory->AddRef();
            factory->Release();
        }
        return -1;
    }
    factory->AddRef();
    areas->SetAreaFactory(factory);
    const int result = factory->Init(0);
    factory->Release();
    return result < 0 ? -1 : 0;
}

int SceneAction::CreateRenderGroups(ObjectManager* manager) {
    if (!manager) return -1;
    // Each group is held by the manager once registered; the creator's
    // reference is given back at once.
    auto add = [manager](RenderGroup* group, const char* name, int capacity) {
        group->AddRef();
        const int result = group->Initialize(manager, name, capacity, 0);
        group->Release();
        return result;
    };
    auto* standard = new RenderGroupStandard();
    standard->AddRef();
    auto* begin = new RenderGroup_Begin();
    begin->AddRef();
    int result = add(standard, "", 16384);
    if (result >= 0) result = add(begin, "Begin", 100);
    if (result >= 0) result = add(new RenderGroup_End(begin), "End", 0);
    begin->Release();
    if (result >= 0) result = add(new RenderGroupSprite3D(4000), "Sprite3DBg", 6384);
    if (result >= 0) result = add(new RenderGroupSprite3D(5000), "Sprite3D", 16384);
    if (result >= 0) result = add(new RenderGroupSprite3DOver(), "Sprite3DOver", 6000);
    if (result >= 0) result = add(new RenderGroupSolidModel(2500), "SolidModelBg", 1000);
    if (result >= 0) {
        auto* solid = new RenderGroupSolidModel(RenderGroupSolidModel::MergedKey);
        solid->AddRef();
        result = add(solid, "SolidModel", 1000);
        if (result >= 0) standard->AddSourceGroup(solid);
        solid->Release();
    }
    standard->Release();
    if (result >= 0) result = add(new RenderGroupSprite2D(), "Sprite2D", 3000);
    return result < 0 ? -1 : 0;
}

void SceneAction::RegisterShapes(IAreaManager* areas, IResourceManager* resources) {
    if (!areas) return;
    struct Sphere {
        const wchar_t* name;
        float radius;
        float mass;
    };
    static const Sphere kSpheres[] = {
        {L"CenterObject", 300.0f, 1000.0f}, {L"Fighter", 2.0f, 100.0f},      {L"EnemyFighter", 10.0f, 100.0f},
        {L"EnemyFighterBig", 30.0f, 100.0f}, {L"EnemyKetama", 50.0f, 100.0f}, {L"Missile", 2.0f, 1.0f},
        {L"MissileBig", 35.0f, 1.0f},        {L"GunBullet", 30.0f, 0.1f},     {L"GunHeavyBullet", 30.0f, 0.1f},
        {L"BigPlane", 20.0f, 200.0f},        {L"NukeMini", 50.0f, 200.0f},    {L"NukeMicro", 30.0f, 300.0f},
        {L"NukeMicro2", 250.0f, 300.0f},
    };
    for (const Sphere& s : kSpheres)
        if (!areas->GetShape(s.name)) CreateSphereShapeSet(s.name, s.radius, s.mass, areas);

    struct Box {
        const wchar_t* name;
        btVector3 half;
        float mass;
    };
    static const Box kBoxes[] = {
        {L"Razer", btVector3(6, 6, 10), 10.0f},
        {L"RayPart", btVector3(15, 15, 15), 100.0f},
        {L"RayLarge_Part", btVector3(50, 50, 500), 100.0f},
        {L"Tree", btVector3(100, 100, 400), 0.0f},
        {L"TreeMini", btVector3(30, 30, 30), 0.0f},
        {L"SnowIce2p1", btVector3(50, 600, 50), 1000.0f},
        {L"SnowIce2p2", btVector3(100, 350, 100), 1000.0f},
        {L"SnowIce2p3", btVector3(150, 150, 150), 1000.0f},
        // The first building box is one float step above 120 and 960.
        {L"Building-p1s1", btVector3(120.0000076f, 960.000061f, 120.0000076f), 1000.0f},
        {L"Building-p1s2", btVector3(140, 1120, 140), 1000.0f},
        {L"Building-p1s3", btVector3(160, 1280, 160), 1000.0f},
        {L"Building-p1s4", btVector3(180, 1440, 180), 1000.0f},
        {L"Building-p1s5", btVector3(200, 1600, 200), 1000.0f},
    };
    for (const Box& b : kBoxes)
        if (!areas->GetShape(b.name)) CreateBoxShapeSet(b.name, b.half, b.mass, areas);

    if (!areas->GetShape(L"RayLarge"))
        RegisterCompound(areas, L"RayLarge", {{L"RayLarge_Part", btVector3(0, 0, 600)}}, 10.0f);
    if (!areas->GetShape(L"SnowIce2"))
        RegisterCompound(areas, L"SnowIce2",
                         {{L"SnowIce2p1", btVector3(0, 0, 0)},
                          {L"SnowIce2p2", btVector3(0, 0, 0)},
                          {L"SnowIce2p3", btVector3(0, 0, 0)}},
                         3000.0f);

    // Ground blocks: the tile mesh and the walls around a cell.
    const D3DXVECTOR3 cell = CellSize();
    if (!areas->GetShape(L"Gnd_Block")) {
        if (MeshUnit* mesh = FindMesh(resources, "Mesh_Gnd"))
            CreateShapeSet(L"Gnd_Block", new MeshCompoundShape(mesh), 0.0f, false, areas);
        else
            LogShapeError(L"collision mesh not built: Mesh_Gnd");
    }
    const btVector3 leftCentre(-100.0f, 0.0f, cell.z * 0.5f);
    const btVector3 rightCentre(cell.x + 100.0f, 0.0f, cell.z * 0.5f);
    const btVector3 downCentre(cell.x * 0.5f, -50.0f, cell.z * 0.5f);
    const btVector3 upCentre(cell.x * 0.5f, 350.0f, cell.z * 0.5f);
    if (!areas->GetShape(L"Gnd_Block_Part_L")) {
        const btVector3 side(100.0f, cell.x, cell.z * 0.5f);
        CreateBoxShapeSet(L"Gnd_Block_Part_L", side, 1000.0f, areas);
        CreateBoxShapeSet(L"Gnd_Block_Part_R", side, 1000.0f, areas);
        const btVector3 floor(cell.x * 0.5f, 100.0f, cell.z * 0.5f);
        CreateBoxShapeSet(L"Gnd_Block_Part_D", floor, 1000.0f, areas);
        CreateBoxShapeSet(L"Gnd_Block_Part_U", floor, 1000.0f, areas);
    }
    const Child left{L"Gnd_Block_Part_L", leftCentre}, right{L"Gnd_Block_Part_R", rightCentre};
    const Child down{L"Gnd_Block_Part_D", downCentre}, up{L"Gnd_Block_Part_U", upCentre};
    if (!areas->GetShape(L"Gnd_Block_UD")) RegisterCompound(areas, L"Gnd_Block_UD", {down, up}, 2000.0f);
    if (!areas->GetShape(L"Gnd_Block_LUD")) RegisterCompound(areas, L"Gnd_Block_LUD", {left, down, up}, 3000.0f);
    if (!areas->GetShape(L"Gnd_Block_RUD")) RegisterCompound(areas, L"Gnd_Block_RUD", {right, down, up}, 3000.0f);
    if (!areas->GetShape(L"Gnd_Block_LRUD"))
        RegisterCompound(areas, L"Gnd_Block_LRUD", {left, right, down, up}, 4000.0f);

    RegisterMountain(areas, resources, L"Yama1", {"Mesh_Yama1p1", "Mesh_Yama1p2"}, 2000.0f);
    RegisterMountain(areas, resources, L"Yama3", {"Mesh_Yama3p1", "Mesh_Yama3p2"}, 2000.0f);
    RegisterMountain(areas, resources, L"Yama_r1", {"Mesh_Yama_R1P1", "Mesh_Yama_R1P2"}, 2000.0f);
    RegisterMountain(areas, resources, L"Yama_r2", {"Mesh_Yama_R2P1", "Mesh_Yama_R2P2"}, 2000.0f);
    RegisterMountain(areas, resources, L"Yama_l1", {"Mesh_Yama_L1P1", "Mesh_Yama_L1P2"}, 2000.0f);
    RegisterMountain(areas, resources, L"Yama_l2", {"Mesh_Yama_L2P1", "Mesh_Yama_L2P2"}, 2000.0f);
    RegisterMountain(areas, resources, L"YamaO1", {"Mesh_Yama_O2-1"}, 2000.0f);
    RegisterMountain(areas, resources, L"Yama_bl", {"Mesh_Yama_BL"}, 1000.0f);
    RegisterMountain(areas, resources, L"Yama_br", {"Mesh_Yama_BR"}, 1000.0f);

    // Cave walls to the left and right of the cell.
    if (!areas->GetShape(L"Cave1L")) {
        const btVector3 wall(cell.x, 2.0f * cell.x, cell.z);
        CreateBoxShapeSet(L"Cave1L", wall, 1000.0f, areas);
        CreateBoxShapeSet(L"Cave1R", wall, 1000.0f, areas);
    }
    if (!areas->GetShape(L"Cave1"))
        RegisterCompound(areas, L"Cave1",
                         {{L"Cave1L", btVector3(-cell.x, 0.0f, cell.z * 0.5f)},
                          {L"Cave1R", btVector3(2.0f * cell.x, 0.0f, cell.z * 0.5f)}},
                         2000.0f);
}

int SceneAction::BuildWorld() {
    GameSceneRegistry& registry = GetGameSceneRegistry();
    ObjectManager* objects = GetObjectManager();
    IAreaManager* areas = GetAreaManager();
    if (!objects || !areas) return -1;
    Environment2* env = g_pEnvironment2;

    if (CreateRenderGroups(objects) < 0) return -1;
    RegisterShapes(areas, GetResourceManager());
    if (InstallAreaFactory() < 0) return -1;

    areas->SetWindows(Int3{-2, 0, -1}, Int3{2, 0, 7}, Int3{-3, -1, -2}, Int3{3, 1, 9});
    areas->SetCentralPoint(Int3{0, 0, 0}, D3DXVECTOR3(0.0f, 0.0f, 0.0f), 0);
    if (!areas->FindArea(Int3{0, 0, 0}, 0)) return -1;

    if (IDirect3DDevice9* device = GetDevice()) {
        D3DVIEWPORT9 viewport{};
        if (SUCCEEDED(device->GetViewport(&viewport))) objects->SetProjection(viewport);
    }

    auto* camera = new ViewObject(objects, areas, AreaPos::FromCell(Int3{0, 0, 0}));
    registry.camera.Set(camera);
    camera->Initialize(0);
    auto* light = new LightObject(objects, areas, AreaPos::FromWorld(D3DXVECTOR3(-200.0f, 350.0f, 1000.0f)));
    registry.light.Set(light);
    light->Initialize(0);

    auto* effects = new EffectGenerator(objects, areas, AreaPos::FromCell(Int3{0, 0, 0}));
    registry.effectGenerator.Set(effects);
    if (effects->Initialize(0) != 0) return -2;
    auto* enemies = new EnemyGenerator_Derive(objects, areas, AreaPos::FromCell(Int3{0, 0, 0}));
    registry.enemyGenerator.Set(enemies);
    if (enemies->Initialize(0) != 0) return -2;
    auto* lockMarkers = new MarkerGenerator(objects, areas, AreaPos::FromCell(Int3{0, 0, 0}));
    registry.markerGenerator.Set(lockMarkers);
    if (lockMarkers->Initialize(0) != 0) return -2;
    auto* scoreMarkers = new ScoreMarkerFactory(objects);
    registry.scoreMarkerFactory.Set(scoreMarkers);
    if (scoreMarkers->Initialize(0) != 0) return -2;
    if (env) env->scoreMarkerFactory = scoreMarkers;

    auto* collision = new CollisionRenderer(GetShaderManager());
    registry.collisionRenderer.Set(collision);
    g_pCollisionRenderer = collision;
    if (collision->Load(GetDevice(), objects, areas) < 0) return -3;
    auto* blur = new BlurManager(objects);
    registry.blurManager.Set(blur);
    if (blur->Initialize(0) < 0) return -3;
    auto* flash = new FlashManager(objects);
    registry.flashManager.Set(flash);
    if (flash->Initialize(0) < 0) return -3;
    auto* dialogue = new GraphicManager(objects);
    registry.graphicManager.Set(dialogue);
    if (dialogue->Initialize(0) < 0) return -3;

    if (env && env->groundGenerator)
        if (SkyDome* sky = env->groundGenerator->GetSkyDome()) sky->SetPositionOffset(D3DXVECTOR3(0.0f, -5.0f, 0.0f));

    if (!registry.pauseScene.Get()) {
        auto* pause = new ScenePause();
        registry.pauseScene.Set(pause);
        SceneRequests::StartParam handed;
        handed.gameManager = registry.gameManager.Get();
        if (StartScene(pause, this, &handed) < 0) return -1;
        if (auto* root = dynamic_cast<IRootScene*>(GetParent())) pause->SetSourceFrame(root->GetFrameTexture());
    }

    const D3DXVECTOR3 cell = CellSize();
    auto* center = new CenterPosManager(objects, areas,
                                        AreaPos::FromWorld(D3DXVECTOR3(cell.x * 0.5f, 100.0f, cell.z * 0.5f)));
    center->AddRef();
    const int centerResult = center->Initialize(0);
    center->Release();
    if (centerResult < 0) return -1;

    if (InputManager* input = GetInputManager()) {
        registry.dialogueCommandsBound = true;
        input->BindTable(kDialogueBindings);
    }
    return 0;
}

void SceneAction::DrainScoreGauge(float& gauge, float& multiplier, float timeStep) {
    gauge -= timeStep * kGaugeDrainPerSecond;
    if (gauge <= 0.0f) {
        gauge = 0.0f;
        multiplier = 1.0f;
    }
}

void SceneAction::CreateScreenEffect() {
    ObjectManager* objects = GetObjectManager();
    if (!objects || m_effectFill) return;
    m_effectFill = new FillObject(objects);
    m_effectFill->AddRef();
    m_effectFill->Initialize(0);
    m_effectFill->SetDrawPriority(kEffectDrawPriority);
}

bool SceneAction::ScreenEffectColor(float intensity, float color[4]) {
    const float strength = 1.0f - std::clamp(intensity, 0.0f, 1.0f);
    if (!(strength > 0.0f)) return false;
    for (int i = 0; i < 3; ++i) color[i] = kEffectTint[i];
    color[3] = kEffectAlphaScale * strength;
    return true;
}

void SceneAction::ApplyScreenEffect() {
    if (!m_effectFill) return;
    float color[4];
    if (ScreenEffectColor(m_effectIntensity, color))
        m_effectFill->SetColor(color);
    else
        m_effectFill->m_mode = FillObject::ModeNone;
}

void SceneAction::OnUpdate(float timeStep) {
    ApplyScreenEffect();
    Environment2* env = g_pEnvironment2;
    if (!env) return;
    SceneRequests* manager = GetGameSceneRegistry().gameManager.Get();
    if (!env->paused && manager) DrainScoreGauge(manager->scoreGauge, manager->scoreMultiplier, timeStep);
    ScenePause* pause = env->pauseScene;
    env->paused = pause && pause->GetMode() != ScenePause::ModeIdle ? 1 : 0;
    SetEnable(!env->paused);
    if (!env->paused && pause)
        if (InputManager* input = GetInputManager())
            if (input->IsCommandPressed("pause")) pause->SetMode(ScenePause::ModePause, false);
}

void SceneAction::OnRender() {
    // Live effects drift with half of the centre's push of this frame. This
    // is apart from the generator's own shift, which only re-bases them by
    // whole cells when the centre cell changes.
    if (EffectGenerator* effects = GetGameSceneRegistry().effectGenerator.Get())
        if (g_pEnvironment2) effects->ShiftEffects(g_pEnvironment2->centerInfo.move * 0.5f);
    if (g_pEnvironment && g_pEnvironment->IsShowSystemInfo())
        if (CollisionRenderer* collision = GetGameSceneRegistry().collisionRenderer.Get()) collision->DrawAll();
}
