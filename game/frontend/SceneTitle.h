// The title: the first screen after loading and the hub of the front end. The
// player's machine flies slowly over streamed terrain under a swaying camera
// while smoke drifts past; the logo plays its intro over black, the screen
// flashes white and the title menu comes up. The scene stays while the
// option, stage-select and ranking scenes run beside it.
#pragma once
#include "engine/core/AreaPos.h"
#include "engine/core/SceneBase.h"

namespace Quorvex {
class FillObject;
class IAreaManager;
class ObjectManager;
}  // namespace Quorvex

class AreaFactory_Base;
class PlayerStub;
class Pause_SelectListTitle;
class SmokeFactory;
class Title_Background;
class Title_Logo;
class ViewObject;

class SceneTitle : public Quorvex::SceneBase {
public:
    // Event states of the intro and of the way into a new game.
    enum EventState {
        kEventStart = 0,
        kEventLogo = 1,
        kEventFlash = 2,
        kEventMenu = 3,
        kEventLeave = 100,
        kEventNewGame = 101,
    };

    // Named "title"; its own object manager (one job record) and its own
    // area manager.
    SceneTitle();
    ~SceneTitle() override;

    // Builds render groups, shapes, world and objects: 0, or -1 at the first
    // failing step (what was made stays held and is released by the
    // destructor).
    int OnInitialize(void* param) override;
    // The event state machine, then the flight of the camera and the machine
    // and the smoke.
    void OnUpdate(float timeStep) override;
    // Fog and light colours of the title.
    void OnRender() override;

    // One step of the event state machine; `skipPressed` is the "EventSkip"
    // command pressed this frame.
    void UpdateEvent(float timeStep, bool skipPressed);
    // The menu's start items: into `state` with the state time at 0.
    void SetEventState(int state);
    int GetEventState() const { return m_eventState; }
    float GetStateTime() const { return m_stateTime; }
    // The game manager clears its fired flag to hand the menu back.
    Pause_SelectListTitle* GetMenu() const { return m_pMenu; }

    // The world set-up that the 3-D front-end scenes share.
    //
    // The render groups of the scene's object manager: "" (the standard
    // group, with "SolidModel" as its source), "Begin", "End", "Sprite3D",
    // "Sprite3D_NoCull", "Sprite3DOver", "SolidModel", "Sprite2D", and with
    // `backgroundGroups` also "Sprite3DBg" and "SolidModelBg". -1 at the first
    // group that cannot be registered, else 0.
    static int CreateRenderGroups(Quorvex::ObjectManager* objects, bool backgroundGroups = true);
    // The front end's five sphere shape sets, each only when the area manager
    // has none of that name. -1 without an area manager, else 0.
    static int RegisterShapes(Quorvex::IAreaManager* areas, float centerMass = 10000000.0f);
    // The factory becomes the area manager's (which keeps it) and is
    // initialised; the streaming windows and the centre cell (0, 0, 0) are
    // set and its area must exist; then a camera at the centre cell (handed
    // back with one reference for the caller as soon as it exists, not yet
    // initialised), a centre-position manager that follows it while it sets
    // itself up, and world offsets of zero. -1 at the first failing step.
    static int CreateWorld(Quorvex::ObjectManager* objects, Quorvex::IAreaManager* areas, AreaFactory_Base* factory,
                           ViewObject** cameraOut);

protected:
    int CreateObjects();
    // The camera's and the machine's sway and the smoke bursts.
    void UpdateFlight(float timeStep);
    void EmitSmoke();
    void ApplyLook();
    void ReleaseAll();

    Title_Background* m_pBackground = nullptr;  // counted
    Pause_SelectListTitle* m_pMenu = nullptr;   // counted
    Title_Logo* m_pLogo = nullptr;              // counted
    int m_eventState = kEventStart;
    float m_stateTime = 0.0f;
    float m_clock = 0.0f;
    // The point the whole shot travels with.
    Quorvex::AreaPos m_basePosition;
    ViewObject* m_pCamera = nullptr;          // counted
    PlayerStub* m_pPlayerModel = nullptr;     // counted
    SmokeFactory* m_pSmoke = nullptr;         // counted
    float m_smokeTimer = 0.0f;
    Quorvex::FillObject* m_pFill = nullptr;  // counted
    bool m_bound = false;
};
