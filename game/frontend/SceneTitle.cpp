#include "game/frontend/SceneTitle.h"

#include <cmath>

#include "engine/assets/BlendAdditionalMaterial.h"
#include "engine/assets/FillObject.h"
#include "engine/assets/RenderGroup_Begin.h"
#include "engine/assets/RenderGroups.h"
#include "engine/assets/devices/InputManager.h"
#include "engine/core/Environment.h"
#include "engine/core/Utility.h"
#include "engine/core/render/ObjectManager.h"
#include "game/frontend/Pause_SelectListTitle.h"
#include "game/frontend/SceneEnding.h"
#include "game/frontend/Title_Background.h"
#include "game/frontend/Title_Logo.h"
#include "game/play/SceneStage.h"
#include "game/player/PlayerStub.h"
#include "game/screen/SceneObjectParam.h"
#include "game/screen/ViewObject.h"
#include "game/state/Environment2.h"
#include "game/state/SceneRequests.h"
#include "game/world/AreaManager.h"
#include "game/world/CenterPosManager.h"
#include "game/world/CollisionShapeSet.h"
#include "game/world/effects/LightObject.h"
#include "game/world/effects/Smoke.h"
#include "game/world/terrain/AreaFactories.h"
#include "game/world/terrain/GroundGenerator.h"
#include "game/world/terrain/SkyDome.h"

using namespace Quorvex;

namespace {

constexpr float kSmokeInterval = 0.25f;
constexpr int kSmokeBurst = 26;

constexpr float kOpaqueBlack[4] = {0.0f, 0.0f, 0.0f, 1.0f};
constexpr float kOpaqueWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};

const SceneEnding::Look kTitleLook = {3.5f,
                                      4.0f,
                                      0xFF4E65EA,
                                      {0.4f, 0.4f, 0.4f, 1.0f},
                                      {0.6f, 0.6f, 0.6f, 1.0f},
                                      {1.5f, 1.5f, 1.5f, 1.0f}};

}  // namespace

SceneTitle::SceneTitle() {
    m_name = "title";
    m_objectManagerCreation = CreateOwn;
    m_areaManagerCreation = CreateOwn;
    m_objectManagerParam = OneJobObjects(4);
}

SceneTitle::~SceneTitle() { ReleaseAll(); }

void SceneTitle::ReleaseAll() {
    if (m_bound) m_bound = SceneEnding::BindEventSkip(GetInputManager(), false);
    if (m_pPlayerModel) m_pPlayerModel->RequestRemove(true);
    SceneEnding::RemoveCamera(m_pCamera);
    if (g_pEnvironment2 && GetObjectManager()) {
        // The light, the centre and the ground that this scene made are held
        // by the game state; they must not outlive the scene's object manager.
        Environment2& state = *g_pEnvironment2;
        ObjectManager* objects = GetObjectManager();
        if (state.lightObject && state.lightObject->GetManager() == objects) state.SetLightObject(nullptr);
        if (state.centerPosManager && state.centerPosManager->GetManager() == objects) state.SetCenterPosManager(nullptr);
        if (state.groundGenerator && state.groundGenerator->GetManager() == objects) state.SetGroundGenerator(nullptr);
    }
    if (IAreaManager* areas = GetAreaManager()) areas->SetAreaFactory(nullptr);
    SAFE_RELEASE(m_pFill);
    SAFE_RELEASE(m_pSmoke);
    SAFE_RELEASE(m_pPlayerModel);
    SAFE_RELEASE(m_pCamera);
    SAFE_RELEASE(m_pLogo);
    SAFE_RELEASE(m_pMenu);
    SAFE_RELEASE(m_pBackground);
}

int SceneTitle::OnInitialize(void*) {
    // The title's area factory makes a ground generator of its own, which
    // registers itself.
    if (g_pEnvironment2 && g_pEnvironment2->groundGenerator) g_pEnvironment2->SetGroundGenerator(nullptr);
    ObjectManager* objects = GetObjectManager();
    IAreaManager* areas = GetAreaManager();
    if (CreateRenderGroups(objects) < 0) return -1;
    if (RegisterShapes(areas) < 0) return -1;
    if (!areas || !objects || CreateWorld(objects, areas, new AreaFactory_2(areas, objects), &m_pCamera) < 0)
        return -1;
    if (CreateObjects() < 0) return -1;
    m_stateTime = 0.0f;
    m_clock = 0.0f;
    m_eventState = kEventStart;
    m_bound = SceneEnding::StartShot(this, m_pCamera, m_basePosition);
    return 0;
}

int SceneTitle::CreateRenderGroups(ObjectManager* objects, bool backgroundGroups) {
    if (!objects) return -1;
    // Each group is held by the manager once registered; the creator's
    // reference is given back at once.
    auto add = [objects](RenderGroup* group, const char* name, int capacity) {
        group->AddRef();
        const int result = group->Initialize(objects, name, capacity, 0);
        group->Release();
        return result >= 0;
    };
    auto* standard = new RenderGroupStandard();
    standard->AddRef();
    auto* begin = new RenderGroup_Begin();
    begin->AddRef();
    auto* solid = new RenderGroupSolidModel(RenderGroupSolidModel::MergedKey);
    solid->AddRef();
    bool ok = add(standard, "", 16384) && add(begin, "Begin", 100) && add(new RenderGroup_End(begin), "End", 0) &&
              (!backgroundGroups || add(new RenderGroupSprite3D(4000), "Sprite3DBg", 6384)) &&
              add(new RenderGroupSprite3D(5000), "Sprite3D", 6000) &&
              add(new RenderGroupSprite3D_NoCull(), "Sprite3D_NoCull", 6000) &&
              add(new RenderGroupSprite3DOver(), "Sprite3DOver", 6000) &&
              (!backgroundGroups || add(new RenderGroupSolidModel(2500), "SolidModelBg", 1000)) &&
              add(solid, "SolidModel", 1000);
    if (ok) {
        standard->AddSourceGroup(solid);
        ok = add(new RenderGroupSprite2D(), "Sprite2D", 3000);
    }
    solid->Release();
    begin->Release();
    standard->Release();
    return ok ? 0 : -1;
}

int SceneTitle::RegisterShapes(IAreaManager* areas, float centerMass) {
    if (!areas) return -1;
    struct Sphere {
        const wchar_t* name;
        float radius;
        float mass;
    };
    const Sphere shapes[] = {
        {L"CenterObject", 300.0f, centerMass}, {L"Fighter", 2.0f, 10000.0f}, {L"Missile", 2.0f, 100.0f},
        {L"MissileBig", 35.0f, 100.0f},        {L"GunBullet", 20.0f, 10.0f},
    };
    for (const Sphere& s : shapes)
        if (!areas->GetShape(s.name)) CreateSphereShapeSet(s.name, s.radius, s.mass, areas);
    return 0;
}

int SceneTitle::CreateWorld(ObjectManager* objects, IAreaManager* areas, AreaFactory_Base* factory,
                            ViewObject** cameraOut) {
    if (!areas || !objects || !factory) return -1;
    factory->AddRef();
    areas->SetAreaFactory(factory);
    const int initResult = factory->Init(0);
    factory->Release();
    if (initResult < 0) return -1;
    areas->SetWindows(Int3{-4, 0, -1}, Int3{3, 0, 10}, Int3{-5, -1, -1}, Int3{5, 1, 12});
    areas->SetCentralPoint(Int3{0, 0, 0}, D3DXVECTOR3(0.0f, 0.0f, 0.0f), 1);
    if (!areas->FindArea(Int3{0, 0, 0}, 0)) return -1;

    auto* camera = new ViewObject(objects, areas, AreaPos::FromCell(Int3{0, 0, 0}));
    camera->AddRef();
    if (cameraOut) *cameraOut = camera;
    // The centre manager follows the camera while it sets itself up.
    if (g_pEnvironment2) g_pEnvironment2->followedObject = camera;
    const D3DXVECTOR3* cell = g_pEnvironment ? g_pEnvironment->GetAreaCellSize() : nullptr;
    const float w = cell ? cell->x : 1000.0f;
    const float d = cell ? cell->z : 1000.0f;
    auto* center =
        new CenterPosManager(objects, areas, AreaPos::FromCellAndOffset(Int3{0, 0, 0}, D3DXVECTOR3(w * 0.5f, 100.0f, d * 0.5f)));
    center->AddRef();
    const int centerResult = center->Initialize(0);
    center->Release();
    if (!cameraOut) camera->Release();
    if (centerResult < 0) return -1;
    SceneStage::SetWorldOffset(0.0f);
    return 0;
}

int SceneTitle::CreateObjects() {
    ObjectManager* objects = GetObjectManager();
    IAreaManager* areas = GetAreaManager();
    if (!objects || !areas) return -1;
    if (SceneEnding::PlaceCamera(this, m_pCamera) < 0) return -1;

    auto* light = new LightObject(objects, areas, AreaPos::FromWorld(D3DXVECTOR3(-200.0f, 350.0f, 1000.0f)));
    light->AddRef();
    light->Initialize(0);  // a scene without its light still runs
    light->Release();

    m_pPlayerModel =
        new PlayerStub(objects, areas, AreaPos::FromCellAndOffset(Int3{0, 0, 0}, D3DXVECTOR3(0.0f, 100.0f, 0.0f)));
    m_pPlayerModel->AddRef();
    PlayerStub::InitParam record;
    record.inputManager = GetInputManager();
    record.type = 2;
    if (m_pPlayerModel->Initialize(record) < 0) return -1;
    m_pPlayerModel->engineSound = 0;

    m_pSmoke = new SmokeFactory(objects, areas, g_pEnvironment2 ? &g_pEnvironment2->centerInfo : nullptr);
    m_pSmoke->AddRef();
    if (m_pSmoke->Initialize(0) < 0) return -1;
    m_smokeTimer = 0.0f;

    m_pFill = new FillObject(objects);
    m_pFill->AddRef();
    if (m_pFill->Initialize(0) < 0) return -1;
    m_pFill->SetDrawPriority(2000.0f);

    if (g_pEnvironment2 && g_pEnvironment2->groundGenerator)
        if (SkyDome* sky = g_pEnvironment2->groundGenerator->GetSkyDome())
            sky->SetPositionOffset(D3DXVECTOR3(0.0f, -7.0f, 0.0f));

    m_pBackground = new Title_Background(objects);
    m_pBackground->AddRef();
    if (m_pBackground->Initialize(0) < 0) return -1;

    m_pMenu = new Pause_SelectListTitle(GetInputManager(), objects, this);
    m_pMenu->AddRef();
    if (m_pMenu->Initialize(0) < 0) return -1;

    m_pLogo = new Title_Logo(objects);
    m_pLogo->AddRef();
    return m_pLogo->Initialize(0);
}

void SceneTitle::SetEventState(int state) {
    m_eventState = state;
    m_stateTime = 0.0f;
}

void SceneTitle::UpdateEvent(float timeStep, bool skipPressed) {
    const int entryState = m_eventState;
    float& t = m_stateTime;
    switch (m_eventState) {
        case kEventLogo:
            if (t == 0.0f) {
                if (m_pLogo) {
                    m_pLogo->Show();
                    m_pLogo->StartLines();
                    m_pLogo->StartTiles();
                    m_pLogo->FinishTiles();
                }
                if (g_pEnvironment2 && g_pEnvironment2->groundGenerator)
                    if (SkyDome* sky = g_pEnvironment2->groundGenerator->GetSkyDome())
                        BlendAdditionalMaterial(sky, 0, 0, 1.0f);
                if (m_pFill) m_pFill->SetColor(kOpaqueBlack);
            } else if (t > 0.0f && t < 2.0f) {
                if (skipPressed) t = 2.0f;
            } else if (t >= 2.0f && t < 3.0f) {
                if (m_pLogo) {
                    m_pLogo->FadeOutLines();
                    m_pLogo->FadeOutTiles();
                }
            } else {
                if (m_pLogo) m_pLogo->FinishLines();
                t = 0.0f;
                m_eventState = kEventFlash;
            }
            break;
        case kEventFlash:
            if (t == 0.0f) {
                t = 2.0f;  // the flash starts at once
            } else if (t > 0.0f && t < 2.0f) {
            } else if (t >= 2.0f && t < 3.0f) {
                if (m_pFill && m_pFill->m_mode == FillObject::ModeFill)
                    m_pFill->SetFade(kOpaqueWhite, kOpaqueBlack, 1.0f);
                if (m_pLogo) m_pLogo->FadeOutTiles();
            } else {
                if (m_pFill) {
                    m_pFill->m_mode = FillObject::ModeNone;
                    m_pFill->m_progress = -1.0f;
                }
                if (m_pLogo) m_pLogo->FinishTiles();
                t = 0.0f;
                m_eventState = kEventMenu;
            }
            break;
        case kEventMenu:
            if (t == 0.0f) {
                if (m_pMenu) m_pMenu->Open(Pause_SelectListTitle::kActiveState);
                if (m_pLogo) {
                    m_pLogo->GetMain().FadeAlphaTo(1.0f);
                    m_pLogo->FadeInFooter();
                }
            }
            break;
        case kEventLeave:
            if (t == 0.0f) {
                if (m_pFill) {
                    m_pFill->SetDrawPriority(100.0f);
                    m_pFill->FadeIn(kOpaqueWhite, 1.0f);
                }
            } else if (t >= 1.0f) {
                t = 0.0f;
                m_eventState = kEventNewGame;
            }
            break;
        case kEventNewGame:
            if (g_pEnvironment2 && g_pEnvironment2->gameManager) g_pEnvironment2->gameManager->RequestNewGame();
            break;
        default:
            if (m_pFill) m_pFill->SetColor(kOpaqueBlack);
            t = 0.0f;
            m_eventState = kEventLogo;
            // The state-1 row for t = 0 runs in the same frame.
            UpdateEvent(0.0f, false);
            return;
    }
    if (m_eventState == entryState) t += timeStep;
}

void SceneTitle::OnUpdate(float timeStep) {
    InputManager* input = GetInputManager();
    UpdateEvent(timeStep, input && input->IsCommandPressed("EventSkip"));
    UpdateFlight(timeStep);
}

void SceneTitle::UpdateFlight(float timeStep) {
    const float a = 2.0f * D3DX_PI * 0.025f * m_clock;
    const float s1 = std::sin(a);
    const float c1 = std::cos(a);
    const float c = c1 >= 0.0f ? c1 * 0.5f : c1;
    const D3DXVECTOR3 o(20.0f * s1, 500.0f + 50.0f * c, 50.0f * timeStep);
    const AreaPos modelPosition = m_basePosition.Translated(o);
    if (m_pPlayerModel) m_pPlayerModel->SetAreaPos(modelPosition);
    m_basePosition.Add(D3DXVECTOR3(0.0f, 0.0f, 50.0f * timeStep));

    const float b = 2.0f * D3DX_PI * 0.02f * m_clock;
    if (m_pCamera) {
        m_pCamera->SetAreaPos(
            modelPosition.Translated(D3DXVECTOR3(10.0f * std::sin(b) - 20.0f * s1, 20.0f * std::cos(b) + 10.0f, -50.0f)));
        m_pCamera->SetPlacedLookAt(m_basePosition.Translated(o + D3DXVECTOR3(-20.0f * s1, 10.0f, 50.0f)));
    }

    m_smokeTimer += timeStep;
    if (m_smokeTimer >= kSmokeInterval) {
        m_smokeTimer -= kSmokeInterval;
        EmitSmoke();
    }
    m_clock += timeStep;
}

void SceneTitle::EmitSmoke() {
    if (!m_pSmoke) return;
    for (int i = 0; i < kSmokeBurst; ++i) {
        Smoke::SetParam param(GetObjectManager(), "Sprite3D");
        Smoke* smoke = m_pSmoke->AcquireSmoke(&param);
        if (!smoke) return;
        const float u1 = RandomFloat(), u2 = RandomFloat(), u3 = RandomFloat();
        const float u4 = RandomFloat(), u5 = RandomFloat(), u6 = RandomFloat();
        const float u7 = RandomFloat();
        smoke->Position() =
            m_basePosition.Translated(D3DXVECTOR3(u3 * 25.0f + (i - 13) * 30.0f, u2 * 25.0f + 430.0f, u1 * 420.0f + 150.0f))
                .ToWorld();
        smoke->m_velocity = D3DXVECTOR3(1.0f - 2.0f * u6, 0.5f - u5, -10.0f - 10.0f * u4);
        smoke->m_lifeRate = 0.25f;
        smoke->m_size = 1.0f + 6.0f * u7;
        smoke->Release();
    }
}

void SceneTitle::OnRender() { ApplyLook(); }

void SceneTitle::ApplyLook() { SceneEnding::SetLook(this, kTitleLook); }
