#include "game/frontend/SceneBonus.h"

#include <cmath>

#include "engine/assets/Chara2D.h"
#include "engine/assets/FillObject.h"
#include "engine/assets/RenderObjectSpr2D.h"
#include "engine/assets/devices/InputManager.h"
#include "engine/core/render/ObjectManager.h"
#include "game/frontend/Title_Background.h"
#include "game/screen/SceneObjectParam.h"
#include "game/screen/ViewObject.h"
#include "game/state/Environment2.h"
#include "game/state/SceneRequests.h"
#include "game/world/AreaManager.h"
#include "game/world/effects/EffectGenerator.h"
#include "game/world/effects/EffectSupport.h"
#include "game/world/effects/LightObject.h"
#include "game/world/terrain/GroundGenerator.h"

using namespace Quorvex;

namespace {

constexpr float kStepWait = 5.0f;
constexpr float kPictureX = 800.0f;
constexpr float kFirstPictureY = 250.0f;
constexpr float kPictureStep = 50.0f;

const float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float kClear[4] = {0.0f, 0.0f, 0.0f, 0.0f};

}  // namespace

SceneBonus::SceneBonus() {
    m_name = "bonus";
    m_objectManagerCreation = CreateOwn;
    m_areaManagerCreation = CreateOwn;
    m_objectManagerParam = OneJobObjects(32);
}

SceneBonus::~SceneBonus() { ReleaseAll(); }

void SceneBonus::ReleaseAll() {
    if (m_bound) m_bound = SceneEnding::BindEventSkip(GetInputManager(), false);
    SceneEnding::ReleasePictures(m_pictures);
    SceneEnding::RemoveCamera(m_pCamera);
    if (IAreaManager* areas = GetAreaManager()) areas->SetAreaFactory(nullptr);
    SceneEnding::ReleasePanels(m_pPanels);
    SAFE_RELEASE(m_pFill);
    SAFE_RELEASE(m_pEffects);
    SAFE_RELEASE(m_pBackground);
    SAFE_RELEASE(m_pCamera);
}

int SceneBonus::OnInitialize(void*) {
    if (g_pEnvironment2 && g_pEnvironment2->groundGenerator) g_pEnvironment2->SetGroundGenerator(nullptr);
    if (SceneEnding::CreateFrontEndWorld(this, &m_pCamera) < 0) return -1;
    ObjectManager* objects = GetObjectManager();

    SceneEnding::RegisterPictureCell(objects, "bonus_extra", "matMsg", 0.0f, 0.0f, 16.0f, 1.0f);
    SceneEnding::RegisterPictureCell(objects, "bonus_toska", "matMsg", 0.0f, 1.0f, 16.0f, 1.0f);
    SceneEnding::RegisterPictureCell(objects, "bonus_velrinb", "matMsg", 0.0f, 2.0f, 16.0f, 1.0f);
    Chara2DCellSet set;
    set.resourceManager = GetResourceManager();
    set.scale = 0.5f;
    set.chara.SetMaterial(FindMaterial(objects, "matWhite"));
    SetChara2DCell(set, "end_white", 0.0f, 0.0f, 1.0f, 1.0f);

    if (const int result = CreateObjects(); result < 0) return result;
    m_step = 0;
    m_wait = 0.0f;
    m_sinceStep = 0.0f;
    m_base = AreaPos::FromWorld(D3DXVECTOR3(0.0f, 1700.0f, 0.0f));
    m_bound = SceneEnding::StartShot(this, m_pCamera, m_base);
    return 0;
}

int SceneBonus::CreateObjects() {
    ObjectManager* objects = GetObjectManager();
    IAreaManager* areas = GetAreaManager();
    if (g_pEnvironment2) g_pEnvironment2->SetPlayer(nullptr);
    if (SceneEnding::PlaceCamera(this, m_pCamera) < 0) return -1;

    auto* light = new LightObject(objects, areas, AreaPos::FromWorld(D3DXVECTOR3(100.0f, 350.0f, 1000.0f)));
    light->AddRef();
    light->Initialize(0);  // the scene runs without its light
    light->Release();

    m_pEffects = new EffectGenerator(objects, areas, AreaPos());
    m_pEffects->AddRef();
    if (m_pEffects->Initialize(0) != 0) return -2;

    if (SceneEnding::CreateBackdrop(objects, &m_pFill, &m_pBackground) < 0) return -1;

    return SceneEnding::CreatePanels(objects, m_pPanels) ? 0 : -1;
}

void SceneBonus::AddPicture(const char* id, float x, float y, float lifetime) {
    SceneEnding::AddPicture(m_pictures, GetObjectManager(), id, x, y, lifetime);
}

void SceneBonus::OnUpdate(float timeStep) {
    RunSequence(timeStep);
    m_base.Add(D3DXVECTOR3(0.0f, 0.0f, 50.0f * timeStep));
    const float a = 2.0f * D3DX_PI * 0.01f * m_clock;
    const float b = 2.0f * D3DX_PI * 0.02f * m_clock;
    if (m_pCamera) {
        m_pCamera->SetAreaPos(
            m_base.Translated(D3DXVECTOR3(1.5f * std::sin(b), 1.5f * std::cos(b), 2.0f * std::sin(a))));
        m_pCamera->SetPlacedLookAt(m_base.Translated(D3DXVECTOR3(0.0f, 0.0f, 60.0f)));
    }
    SceneEnding::AgePictures(m_pictures, timeStep);
    m_clock += timeStep;
}

void SceneBonus::OnRender() { SceneEnding::ApplyLook(this, m_pictures); }

void SceneBonus::RunSequence(float timeStep) {
    const int entryStep = m_step;
    while (m_wait <= m_sinceStep) {
        RunStep(m_step);
        m_wait = m_step == 0 || m_step == 2 ? 2.0f : kStepWait;
        ++m_step;
        m_sinceStep = 0.0f;
        if (m_wait > 0.0f) break;
    }
    for (RenderObjectSpr2D* panel : m_pPanels)
        if (panel) panel->m_sprite.color = 0xFF000000;
    if (m_step == entryStep) m_sinceStep += timeStep;
}

void SceneBonus::RunStep(int step) {
    Environment2* env = g_pEnvironment2;
    switch (step) {
        case 0:
            if (m_pFill) m_pFill->SetFade(kClear, kWhite, 0.5f);
            break;
        case 1: {
            if (!env) break;
            float y = kFirstPictureY;
            if (env->bonusFlags[SceneEnding::kNoticeExtraStage]) {
                AddPicture("bonus_extra", kPictureX, y, kPictureLifetime);
                y += kPictureStep;
            }
            if (env->bonusFlags[SceneEnding::kNoticeVelrinB]) {
                AddPicture("bonus_velrinb", kPictureX, y, kPictureLifetime);
                y += kPictureStep;
            }
            if (env->bonusFlags[SceneEnding::kNoticeToska]) AddPicture("bonus_toska", kPictureX, y, kPictureLifetime);
            break;
        }
        case 2:
            if (m_pFill) m_pFill->SetFade(kWhite, kClear, 0.5f);
            break;
        case 3:
            if (!env) break;
            env->bonusFlags[0] = env->bonusFlags[1] = env->bonusFlags[2] = 0;
            if (SceneRequests* manager = env->gameManager) {
                manager->CheckHighScore(nullptr);
                manager->RequestEndAction();
            }
            break;
        default: break;
    }
}
