// The root of the scene tree: the one scene the entry point creates. Its
// set-up is the game's start-up, and every other scene of the game is its
// child.
#pragma once
#include "engine/assets/shaders/RenderTargetSet.h"
#include "engine/core/SceneBase.h"
#include "game/state/IRootScene.h"

class GameManager;
class ParamManager2;

class SceneFirst : public Quorvex::SceneBase, public IRootScene {
public:
    // Named "first"; one job record and small draw buffers for its own object
    // manager, no area manager (the stages make their own), and the game's
    // area-cell geometry in the environment. Also tells the scene tree how the
    // world makes area managers.
    SceneFirst();
    // Releases the saved surface, the game manager, the settings record and
    // the render target.
    ~SceneFirst() override;

    // The base time step; ten times longer while the "SpeedRun" fast mode is
    // on (toggled by a press of that command).
    float GetFrameTime() override;
    // Draws the tree into the render target and copies it to the back buffer
    // when the scene has at least one child; else draws nothing.
    void Render() override;
    // Start-up: 0, or a negative result.
    int OnInitialize(void* param) override;
    // "ShowSystemInfo" pressed toggles the statistics overlay; the sound
    // manager's master volume follows the sound-effect volume every frame.
    void OnUpdate(float timeStep) override;
    void OnRender() override {}

    // Gives the scene and each of its ancestors the title (window record and
    // frame timer) and shows it on the root scene's window.
    static void SetWindowTitle(const wchar_t* text, Quorvex::SceneBase* scene);

    const Quorvex::RenderTargetSet& GetRenderTarget() const { return m_renderTarget; }
    IDirect3DTexture9* GetFrameTexture() const override { return m_renderTarget.GetTexture(); }
    GameManager* GetGameManager() const { return m_pGameManager; }
    ParamManager2* GetSettings() const { return m_pSettings; }

protected:
    // At the size of the device's back buffer: 0, or the failing device result.
    HRESULT CreateRenderTarget();

    // Loads "settings", or writes the defaults when it cannot be loaded (a
    // damaged file is kept as "settings.bad"): 0, or -1 when neither works.
    int LoadSettings();

private:
    ParamManager2* m_pSettings = nullptr;    // counted
    GameManager* m_pGameManager = nullptr;   // counted
    // The device's render target saved by Render (normally the back buffer),
    // held until the next Render or the scene's end.
    IDirect3DSurface9* m_pSavedSurface = nullptr;
    // Full-size colour target the tree is drawn into.
    Quorvex::RenderTargetSet m_renderTarget;
};
