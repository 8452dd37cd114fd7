// The scene named "action" that hosts play, base of every stage scene. The
// first one builds the shared play world (render groups, collision shapes,
// camera, light, generators, screen services, the pause scene and the centre
// tracker) and keeps it in the game-scene registry; a stage that replaces a
// running stage inherits it all and only brings its own terrain factory.
#pragma once
#include <cstdint>

#include "engine/core/SceneBase.h"
#include "game/state/IActionScene.h"
#include "platform/win32/win32.h"

class IAreaFactory;

namespace Quorvex {
class FillObject;
class SoundUnit;
}

class SceneAction : public Quorvex::SceneBase, public IActionScene {
public:
    // Own object and area managers when no action scene exists yet, else the
    // inherited ones; 16 groups and one job record.
    SceneAction();
    // Takes the stage's factory out of the area manager when this is the
    // current action scene; the last action scene releases the shared world.
    ~SceneAction() override;

    // The argument is a SceneRequests::StartParam (game manager, single-stage
    // flag). 0; -1 (groups, terrain, centre area, pause scene, centre
    // tracker), -2 (a generator) or -3 (a screen service) on failure.
    int OnInitialize(void* param) override;
    // Drains the score gauge, follows the pause scene's mode, freezes the
    // world while paused and opens the pause menu on "pause".
    void OnUpdate(float timeStep) override;
    // Draws every rigid body while the system information is shown.
    void OnRender() override;

    // The stage's terrain factory (a new one with no reference, or null,
    // which fails the set-up).
    virtual IAreaFactory* CreateAreaFactory() { return nullptr; }
    // The cue the stage-1 enemy timetable sends its owner; it does nothing.
    void OnStageCue() override {}
    // Ends the stage's current section.
    void SetSkip() override {}
    // Only a stage has objects to blow up.
    bool ExplodeKind7Objects() override { return false; }
    void SetTimeScale(float scale) override { Quorvex::SceneBase::SetTimeScale(scale); }
    virtual void SetMusicVolume(float volume) = 0;
    virtual Quorvex::SoundUnit* GetMusic() = 0;


    // The screen effect of the player's special mode: 1.0 is the plain
    // picture; below that a dark tint over the play world (under the 2D
    // overlays) grows with 1 - intensity, kept in [0, 1].
    void SetScreenEffectIntensity(float intensity) override { m_effectIntensity = intensity; }
    float GetScreenEffectIntensity() const { return m_effectIntensity; }
    // A second screen effect, only stored: nothing draws it.
    void SetSecondaryEffect(bool on) override { m_secondaryEffect = on; }
    bool IsSecondaryEffectOn() const override { return m_secondaryEffect; }
    // The colour the effect layer is drawn with for an intensity, or false
    // when the plain picture needs no layer.
    static bool ScreenEffectColor(float intensity, float color[4]);

    // Builds the render groups of play into the manager: 0, or -1 when one
    // fails to register.
    static int CreateRenderGroups(Quorvex::ObjectManager* objects);
    // Registers every collision shape of play that the area manager does not
    // hold yet (by name), so a shape registered elsewhere is kept.
    static void RegisterShapes(Quorvex::IAreaManager* areas, Quorvex::IResourceManager* resources);
    // The drain of the game manager's score gauge over dt while not paused:
    // the gauge falls by dt / 2 and, at 0 or below, rests at 0 with the
    // multiplier back at 1.
    static void DrainScoreGauge(float& gauge, float& multiplier, float timeStep);

protected:
    // Whether this scene is the last one of the shared world: no other
    // counted action scene is left, or this scene owns the managers the
    // world lives in.
    bool IsLastOfWorld() const;

    BYTE m_singleStage = 0;

private:
    // Set when the set-up succeeded and counted this scene.
    bool m_counted = false;
    float m_effectIntensity = 1.0f;
    bool m_secondaryEffect = false;
    Quorvex::FillObject* m_effectFill = nullptr;  // counted

    void CreateScreenEffect();
    // Hands the intensity to the effect layer.
    void ApplyScreenEffect();

    int BuildWorld();
    int InstallAreaFactory();
    void ReleaseWorld();
};
