// The two menus of the pause scene: the pause menu (resume, go to title) and
// the continue menu shown when the machine is lost (continue, give up), with
// their picture items.
#pragma once
#include "game/screen/Pause_SelectListBase.h"
#include "game/screen/Pause_SelectUnit.h"

class ScenePause;

// "Resume": the default picture in both menu states.
class Pause_SelectCancel : public Pause_SelectUnit {
public:
    using Pause_SelectUnit::Pause_SelectUnit;
    void SetType(int type) override;
};

// "Go to title", 256 x 64.
class Pause_SelectGoToTitle : public Pause_SelectUnit {
public:
    using Pause_SelectUnit::Pause_SelectUnit;
    void SetType(int type) override;
};

// "Continue": its own picture in the continue menu (state 2) only.
class Pause_SelectContinue : public Pause_SelectUnit {
public:
    using Pause_SelectUnit::Pause_SelectUnit;
    void SetType(int type) override;
};

// Pause menu, active state 1. "SelectCancel" also resumes.
class Pause_SelectList : public Pause_SelectListBase {
public:
    // The owner is not counted: it owns the list.
    Pause_SelectList(Quorvex::ObjectManager* manager, Quorvex::InputManager* input, ScenePause* owner);

    // Items at (640, 400) and (640, 500): 0, or -1 when the bindings fail.
    int Initialize(int param) override;
    void Update(float timeStep) override;

private:
    void OnResume();
    void OnGoToTitle();

    ScenePause* m_pOwner;
};

// Continue menu, active state 2.
class Pause_SelectListDead : public Pause_SelectListBase {
public:
    Pause_SelectListDead(Quorvex::ObjectManager* manager, Quorvex::InputManager* input, ScenePause* owner);

    int Initialize(int param) override;

private:
    void OnContinue();
    void OnGiveUp();

    ScenePause* m_pOwner;
};
