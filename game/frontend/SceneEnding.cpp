#include "game/frontend/SceneEnding.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "engine/assets/BlendAdditionalMaterial.h"
#include "engine/assets/Chara2D.h"
#include "engine/assets/CharaSelectFonts.h"
#include "engine/assets/FillObject.h"
#include "engine/assets/FontManager.h"
#include "engine/assets/RenderObjectSpr2D.h"
#include "engine/assets/ResourceManager.h"
#include "engine/assets/devices/InputManager.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/assets/shaders/Shader_Bloom.h"
#include "engine/core/Environment.h"
#include "engine/core/Utility.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderParameter.h"
#include "game/frontend/PanelSprSet.h"
#include "game/frontend/SceneTitle.h"
#include "game/frontend/Title_Background.h"
#include "game/player/PlayerStub.h"
#include "game/screen/SceneObjectParam.h"
#include "game/screen/ScreenLayout.h"
#include "game/screen/ViewObject.h"
#include "game/state/Environment2.h"
#include "game/state/SceneRequests.h"
#include "game/world/AreaManager.h"
#include "game/world/effects/EffectGenerator.h"
#include "game/world/effects/EffectSupport.h"
#include "game/world/effects/LightObject.h"
#include "game/world/effects/Smoke.h"
#include "game/world/terrain/AreaFactories.h"
#include "game/world/terrain/GroundGenerator.h"
#include "game/world/terrain/SkyDome.h"

using namespace Quorvex;

namespace {

// Return; pad button 1.
constexpr InputManager::KeyBinding kEventSkipBinding[] = {{"EventSkip", 28, 5}};
constexpr float kDegree = D3DX_PI / 180.0f;
constexpr float kCreditLifetime = 5.5f;
constexpr float kLongCreditLifetime = 15.0f;
constexpr float kSmokeInterval = 0.1f;
constexpr float kPanelRate = 0.5f;
constexpr float kPictureDrawPriority = 200.0f;
constexpr float kPanelDrawPriority = 2000.0f;

const float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float kClear[4] = {0.0f, 0.0f, 0.0f, 0.0f};

struct CreditCell {
    const char* id;
    float x, y, w, h;
};

// The credit pictures on "matEnding" (cells of 64 texels).
const CreditCell kCreditCells[] = {
    {"end_program", 0, 0, 5, 1},   {"end_graphic", 5, 0, 5, 1},   {"end_titlelogo", 10, 0, 5, 1},
    {"end_origin", 0, 1, 2, 1},    {"end_music", 2, 1, 2, 1},     {"end_plan", 4, 1, 2, 1},
    {"end_etc", 6, 1, 2, 1},       {"end_spthx", 8, 1, 8, 1},     {"end_illust", 0, 2, 8, 1},
    {"end_credit01", 0, 3, 6, 1},  {"end_credit02", 6, 3, 2, 1},  {"end_credit03", 8, 3, 2, 1},
    {"end_credit04", 10, 3, 1, 1}, {"end_credit05", 11, 3, 4, 1}, {"end_credit06", 0, 4, 4, 1},
    {"end_credit07", 4, 4, 7, 1},  {"end_credit08", 12, 4, 4, 1}, {"end_credit09", 0, 5, 4, 1},
    {"end_credit10", 4, 5, 7, 1},  {"end_bullet", 0, 6, 8, 1},    {"end_lua", 8, 6, 2, 1},
    {"end_credit11", 10, 6, 3, 1}, {"end_credit12", 0, 7, 4, 1},  {"end_credit13", 4, 7, 9, 1},
    {"end_credit14", 0, 8, 6, 1},  {"end_credit15", 6, 8, 9, 1},  {"end_se", 0, 9, 5, 1},
    {"end_tex", 5, 9, 6, 1},       {"end_middle", 0, 10, 5, 1},   {"end_credit16", 5, 10, 7, 1},
    {"end_credit17", 0, 11, 7, 1}, {"end_credit18", 7, 11, 9, 1}, {"end_msg1", 0, 12, 9, 1},
    {"end_msg2", 0, 13, 10, 1},    {"end_msg3", 0, 14, 9, 1},
};

struct Credit {
    const char* id;
    float x, y;
};

// The pictures of the credit steps, in pixels of the pictures' screen.
const Credit kStep2[] = {{"end_origin", 200, 200}, {"end_credit16", 300, 300}, {"end_credit07", 450, 350}};
const Credit kStep3[] = {{"end_origin", 200, 100},
                         {"end_credit18", 300, 200},
                         {"end_credit11", 500, 250},
                         {"end_credit17", 300, 400},
                         {"end_credit10", 500, 450}};
const Credit kStep5[] = {{"end_plan", 1380, 150},     {"end_program", 1380, 182},  {"end_graphic", 1380, 214},
                         {"end_etc", 1660, 214},      {"end_credit01", 1530, 350}, {"end_credit02", 1830, 400}};
const Credit kStep6[] = {{"end_music", 1380, 200}, {"end_credit06", 1480, 300}, {"end_credit04", 1830, 350}};
const Credit kStep7[] = {{"end_illust", 1380, 200}, {"end_credit09", 1480, 300}, {"end_credit08", 1730, 350}};
const Credit kStep8[] = {{"end_titlelogo", 1380, 200},
                         {"end_credit05", 1680, 270},
                         {"end_spthx", 1380, 400},
                         {"end_credit03", 1680, 470}};
const Credit kStep10[] = {{"end_tex", 200, 70},         {"end_credit12", 300, 140}, {"end_se", 200, 220},
                          {"end_credit13", 300, 290},   {"end_credit14", 300, 340}, {"end_credit15", 300, 390},
                          {"end_middle", 200, 480},     {"end_bullet", 300, 550},   {"end_lua", 300, 600}};
const Credit kStep11[] = {{"end_msg1", 200, 250},
                          {"end_msg2", 200, 300},
                          {"end_msg3", 200, 350},
                          {"end_credit01", 300, 500},
                          {"end_credit02", 700, 500}};

// Seconds until the next step, by step; later steps wait 5 s.
const float kFollowUp[SceneEnding::kStepCount] = {3.5f, 2.0f, 5.0f, 5.0f, 2.5f, 5.0f, 5.0f, 5.0f,
                                                  5.0f, 2.5f, 5.0f, 16.0f, 3.0f, 5.0f, 5.0f};

const SceneEnding::Look kEndingLook = {2.0f,
                                        4.5f,
                                        0xFF080808,
                                        {0.2f, 0.2f, 0.5f, 1.0f},
                                        {0.1f, 0.1f, 0.2f, 1.0f},
                                        {0.75f, 0.75f, 1.0f, 1.0f}};

int ToByte(float value) { return static_cast<int>(std::clamp(std::lround(value * 255.0f), 0L, 255L)); }

}  // namespace

SceneEnding::SceneEnding() {
    m_name = "ending";
    m_objectManagerCreation = CreateOwn;
    m_areaManagerCreation = CreateOwn;
    m_objectManagerParam = OneJobObjects(32);
}

SceneEnding::~SceneEnding() { ReleaseAll(); }

void SceneEnding::ReleaseAll() {
    if (m_bound) m_bound = SceneEnding::BindEventSkip(GetInputManager(), false);
    ReleasePictures(m_pictures);
    if (m_pMachine) m_pMachine->RequestRemove(true);
    RemoveCamera(m_pCamera);
    if (IAreaManager* areas = GetAreaManager()) areas->SetAreaFactory(nullptr);
    ReleasePanels(m_pPanels);
    SAFE_RELEASE(m_pFill);
    SAFE_RELEASE(m_pSmoke);
    SAFE_RELEASE(m_pEffects);
    SAFE_RELEASE(m_pBackground);
    SAFE_RELEASE(m_pFont);
    SAFE_RELEASE(m_pLight);
    SAFE_RELEASE(m_pMachine);
    SAFE_RELEASE(m_pCamera);
}

// ---------------------------------------------------------------------------
// Shared with the other front-end scenes

bool SceneEnding::AddPicture(PictureList& pictures, ObjectManager* objects, const char* id, float x, float y,
                             float lifetime) {
    RenderObjectSpr2D* sprite = RenderObjectSpr2D::Create(objects);
    if (!sprite) return false;
    float width = 0.0f, height = 0.0f;
    if (IResourceManager* resources = objects ? objects->GetResourceManager() : nullptr)
        if (Chara2D* chara = resources->GetChara2D(id)) {
            sprite->m_sprite.SetChara2D(*chara);
            width = chara->width;
            height = chara->height;
        }
    const float k = ScreenLayout::kWidth / kPictureScreenWidth;
    ScreenLayout::Current().Place(sprite->m_sprite, x * k, y * k, width * k, height * k);
    sprite->m_sprite.centered = 0;
    sprite->m_sprite.color = 0x00FFFFFF;
    sprite->m_blendMode = ShaderManager::BlendAlpha;
    sprite->SetRenderStage("Sprite2D");
    sprite->SetDrawPriority(kPictureDrawPriority);
    sprite->Show();
    pictures.push_back(Picture{x, y, 0.0f, lifetime, sprite});
    return true;
}

void SceneEnding::AgePictures(PictureList& pictures, float timeStep) {
    for (auto it = pictures.begin(); it != pictures.end();) {
        it->elapsed += timeStep;
        if (it->elapsed >= it->lifetime) {
            if (it->sprite) {
                it->sprite->Hide();
                it->sprite->Release();
            }
            it = pictures.erase(it);
        } else {
            ++it;
        }
    }
}

void SceneEnding::ReleasePictures(PictureList& pictures) {
    for (Picture& picture : pictures) {
        if (!picture.sprite) continue;
        picture.sprite->Hide();
        picture.sprite->Release();
    }
    pictures.clear();
}

int SceneEnding::PictureAlpha(float elapsed, float lifetime) {
    const float remaining = lifetime - elapsed;
    float t = remaining < 1.0f ? remaining : std::min(elapsed, 1.0f);
    t = std::clamp(t, 0.0f, 1.0f);
    if (t >= 1.0f) return 255;
    if (t <= 0.0f) return 0;
    return static_cast<int>(std::lround(t * 255.0f));
}

void SceneEnding::SetLook(SceneBase* scene, const Look& look) {
    const D3DXVECTOR3* cell = g_pEnvironment ? g_pEnvironment->GetAreaCellSize() : nullptr;
    const float s = cell ? cell->x : 1000.0f;
    if (ShaderManager* shaders = scene ? scene->GetShaderManager() : nullptr) {
        FogParam fog;
        fog.enable = 2;
        fog.farValue = look.fogFar * s;
        fog.nearValue = look.fogNear * s;
        fog.color = look.fogColor;
        shaders->SetFog(fog);
    }
    if (ResourceManager* resources = scene ? scene->GetResourceManager() : nullptr) {
        if (RenderParameter* parameter = resources->GetRenderParameter()) {
            parameter->m_ambient = look.ambient;
            parameter->m_diffuse = look.diffuse;
            parameter->m_specular = look.specular;
        }
    }
}

void SceneEnding::ApplyLook(SceneBase* scene, PictureList& pictures) {
    SetLook(scene, kEndingLook);
    for (Picture& picture : pictures)
        if (picture.sprite)
            picture.sprite->m_sprite.color =
                (static_cast<D3DCOLOR>(PictureAlpha(picture.elapsed, picture.lifetime)) << 24) | 0xFFFFFFu;
}

RenderObjectSpr2D* SceneEnding::CreatePanel(ObjectManager* objects, float x, D3DCOLOR color) {
    RenderObjectSpr2D* panel = objects ? RenderObjectSpr2D::Create(objects) : nullptr;
    if (!panel) return nullptr;
    if (IResourceManager* resources = objects->GetResourceManager())
        if (Chara2D* chara = resources->GetChara2D("end_white")) panel->m_sprite.SetChara2D(*chara);
    panel->m_sprite.x = x;
    panel->m_sprite.y = 0.0f;
    panel->m_sprite.width = g_Aspect * 0.5f;
    panel->m_sprite.height = 1.0f;
    panel->m_sprite.centered = 0;
    panel->m_sprite.color = color;
    panel->m_blendMode = ShaderManager::BlendAlpha;
    panel->SetRenderStage("Sprite2D");
    panel->SetDrawPriority(kPanelDrawPriority);
    panel->Show();
    return panel;
}

bool SceneEnding::CreatePanels(ObjectManager* objects, RenderObjectSpr2D* (&panels)[2]) {
    panels[0] = CreatePanel(objects, 0.0f, 0xFF000000);
    panels[1] = CreatePanel(objects, g_Aspect * 0.5f, 0x00000000);
    return panels[0] && panels[1];
}

void SceneEnding::ReleasePanels(RenderObjectSpr2D* (&panels)[2]) {
    for (RenderObjectSpr2D*& panel : panels) {
        if (panel) panel->Hide();
        SAFE_RELEASE(panel);
    }
}

int SceneEnding::CreateFrontEndWorld(SceneBase* scene, ViewObject** camera) {
    ObjectManager* objects = scene->GetObjectManager();
    IAreaManager* areas = scene->GetAreaManager();
    if (SceneTitle::CreateRenderGroups(objects, true) < 0) return -1;
    if (SceneTitle::RegisterShapes(areas) < 0) return -1;
    return SceneTitle::CreateWorld(objects, areas, new AreaFactory_6(areas, objects), camera);
}

void SceneEnding::CenterOn(IAreaManager* areas, ViewObject* camera, const AreaPos& base) {
    if (g_pEnvironment2) {
        CenterInfo& center = g_pEnvironment2->centerInfo;
        g_pEnvironment2->followedObject = camera;
        center.pObject = camera;
        center.pos = base;
        center.move = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        center.orientation = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
    }
    if (areas)
        areas->SetCentralPoint(base.GetCell(), D3DXVECTOR3(base.x.offset, base.y.offset, base.z.offset), 0);
}

bool SceneEnding::StartShot(SceneBase* scene, ViewObject* camera, const AreaPos& base) {
    const bool bound = BindEventSkip(scene->GetInputManager(), true);
    CenterOn(scene->GetAreaManager(), camera, base);
    if (ShaderManager* shaders = scene->GetShaderManager())
        if (auto* bloom = dynamic_cast<Shader_Bloom*>(shaders->GetShader("Bloom"))) bloom->m_threshold = 0.7f;
    return bound;
}

bool SceneEnding::BindEventSkip(InputManager* input, bool bind) {
    if (!input) return false;
    if (bind)
        input->BindTable(kEventSkipBinding);
    else
        input->UnbindTable(kEventSkipBinding);
    return bind;
}

void SceneEnding::RemoveCamera(ViewObject* camera) {
    if (!camera) return;
    camera->RequestRemove(true);
    if (!g_pEnvironment2) return;
    if (g_pEnvironment2->viewObject == camera) g_pEnvironment2->SetViewObject(nullptr);
    if (g_pEnvironment2->followedObject == camera) g_pEnvironment2->followedObject = nullptr;
    if (g_pEnvironment2->centerInfo.pObject == camera) g_pEnvironment2->centerInfo.pObject = nullptr;
}

int SceneEnding::PlaceCamera(SceneBase* scene, ViewObject* camera) {
    ObjectManager* objects = scene->GetObjectManager();
    if (IDirect3DDevice9* device = scene->GetDevice()) {
        D3DVIEWPORT9 viewport{};
        if (objects && SUCCEEDED(device->GetViewport(&viewport))) objects->SetProjection(viewport);
    }
    if (g_pEnvironment2) g_pEnvironment2->followedObject = nullptr;
    if (!camera || camera->Initialize(0) < 0) return -1;
    camera->SetMode(ViewObject::ModePlaced);
    camera->SetWorldPosition(D3DXVECTOR3(0.0f, 520.0f, -50.0f));
    camera->SetPlacedLookAtWorld(D3DXVECTOR3(0.0f, 516.0f, 0.0f));
    return 0;
}

int SceneEnding::CreateBackdrop(ObjectManager* objects, FillObject** fill, Title_Background** background) {
    auto* fade = new FillObject(objects);
    fade->AddRef();
    *fill = fade;
    if (fade->Initialize(0) < 0) return -1;
    fade->SetDrawPriority(100.0f);
    fade->SetFade(kClear, kWhite, 0.5f);

    if (g_pEnvironment2 && g_pEnvironment2->groundGenerator)
        if (SkyDome* sky = g_pEnvironment2->groundGenerator->GetSkyDome()) {
            sky->SetPositionOffset(D3DXVECTOR3(0.0f, -7.0f, 0.0f));
            BlendAdditionalMaterial(sky, 3, 3, 0.0f);
        }

    auto* back = new Title_Background(objects);
    back->AddRef();
    *background = back;
    return back->Initialize(0) < 0 ? -1 : 0;
}

// ---------------------------------------------------------------------------
// Set-up

int SceneEnding::OnInitialize(void*) {
    if (g_pEnvironment2 && g_pEnvironment2->groundGenerator) g_pEnvironment2->SetGroundGenerator(nullptr);
    if (CreateFrontEndWorld(this, &m_pCamera) < 0) return -1;
    RegisterPictures(GetObjectManager());
    if (CreateObjects() < 0) return -1;

    m_step = 0;
    m_stepDuration = 0.0f;
    m_stepElapsed = 0.0f;
    m_sceneTime = 0.0f;
    m_flightOffset = D3DXVECTOR3(10.0f, 0.0f, 22.0f);
    m_flightDuration = -1.0f;
    m_flightElapsed = 0.0f;
    m_reference = AreaPos::FromWorld(D3DXVECTOR3(0.0f, 1700.0f, 0.0f));
    m_bound = StartShot(this, m_pCamera, m_reference);
    return 0;
}

void SceneEnding::RegisterPictureCell(ObjectManager* objects, const char* id, const char* material, float x, float y,
                                      float w, float h) {
    RegisterPanelCell(objects, id, material, 0.5f, x, y, w, h);
}

void SceneEnding::RegisterPictures(ObjectManager* objects) {
    for (const CreditCell& cell : kCreditCells)
        RegisterPictureCell(objects, cell.id, "matEnding", cell.x, cell.y, cell.w, cell.h);
    Chara2DCellSet set;
    set.resourceManager = objects ? objects->GetResourceManager() : nullptr;
    set.scale = 0.5f;
    set.chara.SetMaterial(FindMaterial(objects, "matWhite"));
    SetChara2DCell(set, "end_white", 0.0f, 0.0f, 1.0f, 1.0f);
}

int SceneEnding::CreateObjects() {
    ObjectManager* objects = GetObjectManager();
    IAreaManager* areas = GetAreaManager();
    if (g_pEnvironment2) g_pEnvironment2->SetPlayer(nullptr);
    if (PlaceCamera(this, m_pCamera) < 0) return -1;

    m_pLight = new LightObject(objects, areas, AreaPos::FromWorld(D3DXVECTOR3(100.0f, 350.0f, 1000.0f)));
    m_pLight->AddRef();
    if (m_pLight->Initialize(0) < 0) return -1;
    m_pEffects = new EffectGenerator(objects, areas, AreaPos());
    m_pEffects->AddRef();
    if (m_pEffects->Initialize(0) < 0) return -1;

    m_pMachine =
        new PlayerStub(objects, areas, AreaPos::FromCellAndOffset(Int3{0, 0, 0}, D3DXVECTOR3(0.0f, 100.0f, 0.0f)));
    m_pMachine->AddRef();
    PlayerStub::InitParam record;
    record.inputManager = GetInputManager();
    record.type = 2;
    if (m_pMachine->Initialize(record) < 0) return -1;
    m_pMachine->engineSound = 0;

    m_pSmoke = new SmokeFactory(objects, areas, g_pEnvironment2 ? &g_pEnvironment2->centerInfo : nullptr);
    m_pSmoke->AddRef();
    if (m_pSmoke->Initialize(0) < 0) return -1;
    m_smokeTimer = 0.0f;

    // The last stage ends in white: the ending comes out of it.
    if (CreateBackdrop(objects, &m_pFill, &m_pBackground) < 0) return -1;

    if (!CreatePanels(objects, m_pPanels)) return -1;

    m_pFont = CreateSelectFont(objects);
    return m_pFont ? 0 : -1;
}

// ---------------------------------------------------------------------------
// Frame

void SceneEnding::OnUpdate(float timeStep) {
    RunSequence(timeStep);
    UpdatePanels(timeStep);
    m_reference.Add(D3DXVECTOR3(0.0f, 0.0f, 50.0f * timeStep));
    UpdateFlight(timeStep);

    const float a = 2.0f * D3DX_PI * m_sceneTime;
    const D3DXVECTOR3 machineOffset =
        m_flightOffset + D3DXVECTOR3(4.0f * std::sin(0.05f * a), 5.0f * std::cos(0.025f * a), 7.5f * std::sin(0.03f * a));
    if (m_pMachine) {
        m_pMachine->SetAreaPos(m_reference.Translated(machineOffset));
        D3DXQUATERNION attitude;
        D3DXQuaternionRotationYawPitchRoll(&attitude, 0.0f, (15.0f * std::cos(0.03f * a) - 10.0f) * kDegree,
                                           5.0f * std::cos(0.05f * a) * kDegree);
        m_pMachine->SetOrientation(attitude);
    }
    if (m_pCamera) {
        m_pCamera->SetAreaPos(m_reference.Translated(
            D3DXVECTOR3(1.5f * std::sin(0.02f * a), 1.5f * std::cos(0.02f * a), 2.0f * std::sin(0.01f * a))));
        m_pCamera->SetPlacedLookAt(m_reference.Translated(
            D3DXVECTOR3(0.25f * machineOffset.x, 0.25f * machineOffset.y, machineOffset.z + 60.0f)));
    }

    m_smokeTimer += timeStep;
    while (m_smokeTimer >= 0.0f) {
        m_smokeTimer -= kSmokeInterval;
        EmitSmoke();
    }
    AgePictures(m_pictures, timeStep);
    m_sceneTime += timeStep;
}

void SceneEnding::OnRender() { ApplyLook(this, m_pictures); }

void SceneEnding::RunSequence(float timeStep) {
    if (m_stepElapsed >= m_stepDuration) {
        RunStep(m_step);
        m_stepDuration = m_step < kStepCount ? kFollowUp[m_step] : 5.0f;
        ++m_step;
        m_stepElapsed = 0.0f;
    } else {
        m_stepElapsed += timeStep;
    }
}

int SceneEnding::AddCredits(PictureList& pictures, ObjectManager* objects, int step) {
    auto show = [&](const auto& credits, float lifetime) {
        for (const Credit& credit : credits) AddPicture(pictures, objects, credit.id, credit.x, credit.y, lifetime);
        return static_cast<int>(std::size(credits));
    };
    switch (step) {
        case 2: return show(kStep2, kCreditLifetime);
        case 3: return show(kStep3, kCreditLifetime);
        case 5: return show(kStep5, kCreditLifetime);
        case 6: return show(kStep6, kCreditLifetime);
        case 7: return show(kStep7, kCreditLifetime);
        case 8: return show(kStep8, kCreditLifetime);
        case 10: return show(kStep10, kCreditLifetime);
        case 11: return show(kStep11, kLongCreditLifetime);
        default: return 0;
    }
}

void SceneEnding::RunStep(int step) {
    ObjectManager* objects = GetObjectManager();
    Environment2* env = g_pEnvironment2;
    switch (step) {
        case 0:
            if (!env) break;
            if (env->continueCount == 0) env->all_clear = 1;
            if (env->active_velrin_b == 0) {
                env->active_velrin_b = 1;
                env->bonusFlags[kNoticeVelrinB] = 1;
            }
            break;
        case 1: m_raise[0] = true; break;
        case 2:
        case 3: AddCredits(m_pictures, objects, step); break;
        case 4:
            m_lower[0] = true;
            m_raise[1] = true;
            StartFlight(D3DXVECTOR3(-10.0f, 0.0f, 22.0f), 2.5f);
            break;
        case 5:
        case 6:
        case 7:
        case 8: AddCredits(m_pictures, objects, step); break;
        case 9:
            m_raise[0] = true;
            m_lower[1] = true;
            StartFlight(D3DXVECTOR3(10.0f, 0.0f, 22.0f), 2.5f);
            break;
        case 10:
        case 11: AddCredits(m_pictures, objects, step); break;
        case 12:
            m_lower[0] = true;
            StartFlight(D3DXVECTOR3(0.0f, 0.0f, 100.0f), 3.0f);
            break;
        case 13:
            if (m_pFill) m_pFill->SetFade(kWhite, kClear, 0.5f);
            StartFlight(m_flightOffset + D3DXVECTOR3(0.0f, 0.0f, 500.0f), 3.0f);
            break;
        case 14: {
            SceneRequests* manager = env ? env->gameManager : nullptr;
            if (!manager) break;
            if (env->bonusFlags[0] || env->bonusFlags[1] || env->bonusFlags[2]) {
                manager->RequestBonus();
            } else {
                manager->CheckHighScore(nullptr);
                manager->RequestEndAction();
            }
            break;
        }
        default: break;
    }
}

void SceneEnding::StartFlight(const D3DXVECTOR3& target, float duration) {
    m_flightStart = m_flightOffset;
    m_flightTarget = target;
    m_flightDuration = duration;
    m_flightElapsed = 0.0f;
}

void SceneEnding::UpdateFlight(float timeStep) {
    if (m_flightDuration < 0.0f) return;
    m_flightElapsed += timeStep;
    const float u = m_flightDuration > 0.0f ? m_flightElapsed / m_flightDuration : 1.0f;
    if (u >= 1.0f) {
        m_flightOffset = m_flightTarget;
        m_flightDuration = -1.0f;
        m_flightElapsed = 0.0f;
    } else {
        m_flightOffset = m_flightStart + (m_flightTarget - m_flightStart) * u;
    }
}

void SceneEnding::UpdatePanels(float timeStep) {
    for (int i = 0; i < 2; ++i) {
        RenderObjectSpr2D* panel = m_pPanels[i];
        if (!panel) continue;
        D3DCOLOR& color = panel->m_sprite.color;
        float alpha = static_cast<float>(color >> 24) / 255.0f;
        if (m_raise[i]) {
            alpha += kPanelRate * timeStep;
            if (alpha >= 1.0f) {
                alpha = 1.0f;
                m_raise[i] = false;
            }
        }
        if (m_lower[i]) {
            alpha -= kPanelRate * timeStep;
            if (alpha <= 0.0f) {
                alpha = 0.0f;
                m_lower[i] = false;
            }
        }
        color = (static_cast<D3DCOLOR>(ToByte(alpha)) << 24) | (color & 0x00FFFFFFu);
    }
}

void SceneEnding::EmitSmoke() {
    if (!m_pSmoke) return;
    for (int k = -8; k <= 7; ++k) {
        Smoke::SetParam param(GetObjectManager(), "Sprite3D");
        Smoke* smoke = m_pSmoke->AcquireSmoke(&param);
        if (!smoke) return;
        const float fk = static_cast<float>(k);
        const float r1 = RandomFloat(), r2 = RandomFloat(), r3 = RandomFloat();
        smoke->Position() = m_reference
                                .Translated(D3DXVECTOR3(93.75f * fk + 84.375f * r1,
                                                        (100.0f + 12.5f * std::fabs(fk)) * r2 - 150.0f,
                                                        150.0f + 420.0f * r3))
                                .ToWorld();
        const float vx = RandomFloat(), vy = RandomFloat(), vz = RandomFloat();
        smoke->m_velocity = D3DXVECTOR3(1.0f - 2.0f * vx, 0.5f - vy, -10.0f - 10.0f * vz);
        smoke->m_lifeRate = 0.25f;
        smoke->m_size = 1.0f + 6.0f * RandomFloat();
        smoke->m_color[0] = 0.15f;
        smoke->m_color[1] = 0.15f;
        smoke->m_color[2] = 0.3f;
        smoke->m_alphaScale = 0.5f;
        smoke->Release();
    }
}
