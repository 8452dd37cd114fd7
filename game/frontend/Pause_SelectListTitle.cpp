#include "game/frontend/Pause_SelectListTitle.h"

#include "engine/assets/devices/InputManager.h"
#include "game/frontend/SceneTitle.h"
#include "game/state/Environment2.h"
#include "game/state/SceneRequests.h"

using namespace Quorvex;

namespace {

constexpr float kItemHeight = 0.07111111f;  // 64/900

SceneRequests* Manager() { return g_pEnvironment2 ? g_pEnvironment2->gameManager : nullptr; }

}  // namespace

Pause_SelectTitleItem::Pause_SelectTitleItem(ObjectManager* manager, const Picture& picture)
    : Pause_SelectUnit(manager), m_picture(picture) {}

void Pause_SelectTitleItem::SetType(int type) {
    Pause_SelectUnit::SetType(type);
    SetPicture(m_picture.width, kItemHeight, m_picture.u0, m_picture.u1, m_picture.vTop, m_picture.vBottom);
    m_sprite.centered = 0;
}

Pause_SelectStart::Pause_SelectStart(ObjectManager* manager)
    : Pause_SelectTitleItem(manager, {0.10666667f, 0.0f, 0.09375f, 0.5625f, 0.625f}) {}
Pause_SelectExStart::Pause_SelectExStart(ObjectManager* manager)
    : Pause_SelectTitleItem(manager, {0.21333334f, 0.0f, 0.1875f, 0.8125f, 0.875f}) {}
Pause_SelectStageSelect::Pause_SelectStageSelect(ObjectManager* manager)
    : Pause_SelectTitleItem(manager, {0.24888889f, 0.25f, 0.46875f, 0.5625f, 0.625f}) {}
Pause_SelectScore::Pause_SelectScore(ObjectManager* manager)
    : Pause_SelectTitleItem(manager, {0.16f, 0.0f, 0.140625f, 0.75f, 0.8125f}) {}
Pause_SelectOption::Pause_SelectOption(ObjectManager* manager)
    : Pause_SelectTitleItem(manager, {0.14222222f, 0.0f, 0.125f, 0.625f, 0.6875f}) {}
Pause_SelectGameEnd::Pause_SelectGameEnd(ObjectManager* manager)
    : Pause_SelectTitleItem(manager, {0.17777778f, 0.34375f, 0.53125f, 0.5f, 0.5625f}) {}

Pause_SelectListTitle::Pause_SelectListTitle(InputManager* input, ObjectManager* manager, SceneTitle* owner)
    : Pause_SelectListBase(manager, input), m_pOwner(owner) {
    SetActiveState(kActiveState);
}

bool Pause_SelectListTitle::IsExtraUnlocked() {
    if (!g_pEnvironment2) return false;
    for (int32_t level : g_pEnvironment2->activeStage)
        if (level >= kExtraLevel) return true;
    return false;
}

int Pause_SelectListTitle::Initialize(int param) {
    if (Pause_SelectListBase::Initialize(param) < 0) return -1;
    auto* manager = dynamic_cast<ObjectManager*>(GetManager());
    struct Choice {
        Pause_SelectUnit* (*make)(ObjectManager*);
        void (Pause_SelectListTitle::*callback)(void*);
        bool offered;
    };
    const Choice choices[] = {
        {[](ObjectManager* m) -> Pause_SelectUnit* { return new Pause_SelectStart(m); }, &Pause_SelectListTitle::OnStart,
         true},
        {[](ObjectManager* m) -> Pause_SelectUnit* { return new Pause_SelectExStart(m); },
         &Pause_SelectListTitle::OnExStart, IsExtraUnlocked()},
        {[](ObjectManager* m) -> Pause_SelectUnit* { return new Pause_SelectStageSelect(m); },
         &Pause_SelectListTitle::OnStageSelect, true},
        {[](ObjectManager* m) -> Pause_SelectUnit* { return new Pause_SelectScore(m); }, &Pause_SelectListTitle::OnScore,
         true},
        {[](ObjectManager* m) -> Pause_SelectUnit* { return new Pause_SelectOption(m); },
         &Pause_SelectListTitle::OnOption, true},
        {[](ObjectManager* m) -> Pause_SelectUnit* { return new Pause_SelectGameEnd(m); },
         &Pause_SelectListTitle::OnGameEnd, true},
    };
    int n = 0;
    for (const Choice& choice : choices) {
        if (!choice.offered) continue;
        // The list entry holds the item's only reference.
        Pause_SelectUnit* item = choice.make(manager);
        auto callback = [this, method = choice.callback]() { (this->*method)(nullptr); };
        if (!AppendItem(item, callback, kItemX, ItemY(n))) break;
        ++n;
    }
    return 0;
}

void Pause_SelectListTitle::Update(float timeStep) {
    Pause_SelectListBase::Update(timeStep);
    // Asked like the other menus, but cancelling the title menu does nothing.
    if (InputManager* input = GetInputManager()) (void)input->IsCommandPressed("SelectCancel");
}

void Pause_SelectListTitle::OnStart(void*) {
    if (g_pEnvironment2) g_pEnvironment2->playMode = 1;
    if (m_pOwner) m_pOwner->SetEventState(SceneTitle::kEventLeave);
}

void Pause_SelectListTitle::OnExStart(void*) {
    if (g_pEnvironment2) g_pEnvironment2->playMode = 2;
    if (m_pOwner) m_pOwner->SetEventState(SceneTitle::kEventLeave);
}

void Pause_SelectListTitle::OnStageSelect(void*) {
    if (g_pEnvironment2) g_pEnvironment2->playMode = 1;
    if (SceneRequests* manager = Manager()) manager->RequestStageSelect();
}

void Pause_SelectListTitle::OnOption(void*) {
    if (SceneRequests* manager = Manager()) manager->RequestOption();
}

void Pause_SelectListTitle::OnScore(void*) {
    if (SceneRequests* manager = Manager()) manager->RequestScore();
}

void Pause_SelectListTitle::OnGameEnd(void*) {
    if (SceneRequests* manager = Manager()) manager->RequestQuit();
}
