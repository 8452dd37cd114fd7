#include "game/play/Pause_SelectList.h"

#include "engine/assets/devices/InputManager.h"
#include "game/play/ScenePause.h"
#include "game/screen/GraphicUnits.h"
#include "game/state/Environment2.h"
#include "game/state/SceneRequests.h"

using namespace Quorvex;

namespace {

// Item i of both menus is centred at (640, 400 + 100 i).
constexpr float kItemX = 640.0f;
constexpr float kItemY = 400.0f;
constexpr float kItemStep = 100.0f;

float ItemY(int index) { return LayoutFromPixels(kItemY + kItemStep * static_cast<float>(index)); }

SceneRequests* CurrentGameManager(const ScenePause* owner) {
    if (owner) return owner->GetGameManager();
    return g_pEnvironment2 ? g_pEnvironment2->gameManager : nullptr;
}

}  // namespace

void Pause_SelectCancel::SetType(int type) { Pause_SelectUnit::SetType(type); }

void Pause_SelectGoToTitle::SetType(int type) {
    Pause_SelectUnit::SetType(type);
    if (type == 1 || type == 2)
        SetPicture(LayoutFromPixels(256.0f), LayoutFromPixels(64.0f), 0.09375f, 0.34375f, 0.5f, 0.5625f);
}

void Pause_SelectContinue::SetType(int type) {
    Pause_SelectUnit::SetType(type);
    if (type == 2) SetPicture(LayoutFromPixels(160.0f), LayoutFromPixels(64.0f), 0.09375f, 0.25f, 0.5625f, 0.625f);
}

Pause_SelectList::Pause_SelectList(ObjectManager* manager, InputManager* input, ScenePause* owner)
    : Pause_SelectListBase(manager, input), m_pOwner(owner) {
    SetActiveState(ScenePause::ModePause);
}

int Pause_SelectList::Initialize(int param) {
    if (Pause_SelectListBase::Initialize(param) < 0) return -1;
    ObjectManager* manager = dynamic_cast<ObjectManager*>(GetManager());
    const float x = LayoutFromPixels(kItemX);
    if (!AppendItem(new Pause_SelectCancel(manager), [this] { OnResume(); }, x, ItemY(0))) return 0;
    AppendItem(new Pause_SelectGoToTitle(manager), [this] { OnGoToTitle(); }, x, ItemY(1));
    return 0;
}

void Pause_SelectList::Update(float timeStep) {
    Pause_SelectListBase::Update(timeStep);
    // Cancel resumes even after an item has fired; a finalised list (no
    // items) no longer answers.
    if (GetCount() > 0 && GetState() == GetActiveState() && GetInputManager() &&
        GetInputManager()->IsCommandPressed("SelectCancel"))
        OnResume();
}

void Pause_SelectList::OnResume() {
    if (m_pOwner) m_pOwner->SetMode(ScenePause::ModeIdle, true);
}

void Pause_SelectList::OnGoToTitle() {
    if (SceneRequests* game = CurrentGameManager(m_pOwner)) game->RequestTitle();
}

Pause_SelectListDead::Pause_SelectListDead(ObjectManager* manager, InputManager* input, ScenePause* owner)
    : Pause_SelectListBase(manager, input), m_pOwner(owner) {
    SetActiveState(ScenePause::ModeContinue);
}

int Pause_SelectListDead::Initialize(int param) {
    if (Pause_SelectListBase::Initialize(param) < 0) return -1;
    ObjectManager* manager = dynamic_cast<ObjectManager*>(GetManager());
    const float x = LayoutFromPixels(kItemX);
    if (!AppendItem(new Pause_SelectContinue(manager), [this] { OnContinue(); }, x, ItemY(0))) return 0;
    AppendItem(new Pause_SelectGoToTitle(manager), [this] { OnGiveUp(); }, x, ItemY(1));
    return 0;
}

void Pause_SelectListDead::OnContinue() {
    if (m_pOwner) m_pOwner->SetMode(ScenePause::ModeIdle, true);
    if (SceneRequests* game = CurrentGameManager(m_pOwner)) game->RequestContinue();
}

void Pause_SelectListDead::OnGiveUp() {
    if (SceneRequests* game = CurrentGameManager(m_pOwner)) {
        game->CheckHighScore(nullptr);
        game->RequestEndAction();
    }
}
