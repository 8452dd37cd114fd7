// The ending after the last stage: the machine flies on over streamed terrain
// through drifting smoke while black panels cover one half of the screen and
// the credits fade in and out on them. At the end of its timed steps it asks
// for the bonus scene when an unlock notice is pending, else for the ranking.
// The bonus scene shares its pictures, its render hook and its world set-up;
// the title and the character select share its camera, look and input steps.
#pragma once
#include <vector>

#include "engine/core/AreaPos.h"
#include "engine/core/SceneBase.h"

namespace Quorvex {
class FillObject;
class FontManager;
class IResourceManager;
class InputManager;
class RenderObjectSpr2D;
}  // namespace Quorvex

class EffectGenerator;
class LightObject;
class PlayerStub;
class SmokeFactory;
class Title_Background;
class ViewObject;

class SceneEnding : public Quorvex::SceneBase {
public:
    // The unlock notices in the game state's bonus flags.
    enum Notice { kNoticeExtraStage = 0, kNoticeToska = 1, kNoticeVelrinB = 2 };
    static constexpr int kStepCount = 15;

    // The credit and notice pictures are placed on a 1920 x 1080 screen (the
    // credits fill its halves); the whole picture, place and size, goes into
    // the 2D layout at the same fraction of the screen.
    static constexpr float kPictureScreenWidth = 1920.0f;

    // A credit or notice picture: pixels of that screen, its age and
    // lifetime.
    struct Picture {
        float x = 0.0f;
        float y = 0.0f;
        float elapsed = 0.0f;
        float lifetime = 0.0f;
        Quorvex::RenderObjectSpr2D* sprite = nullptr;  // counted
    };
    using PictureList = std::vector<Picture>;

    // Named "ending"; own object manager (32 groups, one job record) and own
    // area manager.
    SceneEnding();
    ~SceneEnding() override;

    // 0, or -1 at the first failing step.
    int OnInitialize(void* param) override;
    void OnUpdate(float timeStep) override;
    void OnRender() override;
    // The timed steps: a due step runs, otherwise the step clock advances.
    void RunSequence(float timeStep);

    int GetStep() const { return m_step; }
    const PictureList& GetPictures() const { return m_pictures; }

    // ---- shared with the other front-end scenes ----

    // Fog (distances in area cells) and light colours of a scene.
    struct Look {
        float fogNear = 0.0f;
        float fogFar = 0.0f;
        D3DCOLOR fogColor = 0;
        D3DXVECTOR4 ambient{0.0f, 0.0f, 0.0f, 1.0f};
        D3DXVECTOR4 diffuse{0.0f, 0.0f, 0.0f, 1.0f};
        D3DXVECTOR4 specular{0.0f, 0.0f, 0.0f, 1.0f};
    };
    static void SetLook(Quorvex::SceneBase* scene, const Look& look);

    // A picture of the Chara2D id (a cut-out of RegisterPictureCell) at (x, y)
    // of the pictures' screen: transparent white,
    // blend preset 2, "Sprite2D", draw priority 200, shown (without an object
    // manager it has no picture and no stage). Appended to the list; false
    // when the sprite cannot be made.
    static bool AddPicture(PictureList& pictures, Quorvex::ObjectManager* objects, const char* id, float x,
                           float y, float lifetime);
    // Ages the pictures; those at the end of their lifetime leave their stage
    // and are released.
    static void AgePictures(PictureList& pictures, float timeStep);
    // Registers the credit pictures and "end_white".
    static void RegisterPictures(Quorvex::ObjectManager* objects);
    // Adds the credit pictures of a step of the sequence (none for a step
    // without credits): how many.
    static int AddCredits(PictureList& pictures, Quorvex::ObjectManager* objects, int step);
    // Registers a picture cut-out of the material, cell rectangle in cells of
    // 64 texels, at half its texel size on the pictures' screen.
    static void RegisterPictureCell(Quorvex::ObjectManager* objects, const char* id, const char* material, float x,
                                    float y, float w, float h);
    static void ReleasePictures(PictureList& pictures);
    // The alpha byte of a picture: fades in over its first second and out
    // over its last.
    static int PictureAlpha(float elapsed, float lifetime);
    // Fog, light colours and every picture's fade: the render hook.
    static void ApplyLook(Quorvex::SceneBase* scene, PictureList& pictures);
    // A black panel of "end_white", half the screen wide, draw priority 2000.
    static Quorvex::RenderObjectSpr2D* CreatePanel(Quorvex::ObjectManager* objects, float x, D3DCOLOR color);
    // The two panels: the left one black, the right one clear. False when
    // either cannot be made.
    static bool CreatePanels(Quorvex::ObjectManager* objects, Quorvex::RenderObjectSpr2D* (&panels)[2]);
    // Hides and releases both panels.
    static void ReleasePanels(Quorvex::RenderObjectSpr2D* (&panels)[2]);
    // The title's render groups, front-end shapes and world (windows, centre
    // point, camera at cell (0, 0, 0), centre-position manager) over an
    // AreaFactory_6. The camera comes back with a reference for the scene.
    static int CreateFrontEndWorld(Quorvex::SceneBase* scene, ViewObject** camera);
    // The game state's centre record and the area manager's centre follow
    // the camera at the base position.
    static void CenterOn(Quorvex::IAreaManager* areas, ViewObject* camera, const Quorvex::AreaPos& base);
    // Binds or unbinds "EventSkip" (Return, pad button 5); answers whether it
    // is bound afterwards.
    static bool BindEventSkip(Quorvex::InputManager* input, bool bind);
    // The end of a front-end scene's set-up: "EventSkip" bound, the centre on
    // the camera at the base position, bloom threshold 0.7. Answers whether
    // "EventSkip" is bound.
    static bool StartShot(Quorvex::SceneBase* scene, ViewObject* camera, const Quorvex::AreaPos& base);
    // The camera leaves the scene, and the game state's camera and centre
    // pointers are cleared of it (nothing without a camera).
    static void RemoveCamera(ViewObject* camera);
    // The projection from the device's viewport, nothing followed, and the
    // camera initialised, placed at (0, 520, -50) looking at (0, 516, 0).
    // -1 when the camera fails.
    static int PlaceCamera(Quorvex::SceneBase* scene, ViewObject* camera);
    // The fill coming out of white (draw priority 100), the sky dome dimmed
    // and the title's background. Both come back with a reference for the
    // scene as soon as they exist; -1 at the first failing step.
    static int CreateBackdrop(Quorvex::ObjectManager* objects, Quorvex::FillObject** fill,
                              Title_Background** background);

protected:
    void RunStep(int step);
    int CreateObjects();
    // Flight offset toward the target over the duration.
    void StartFlight(const D3DXVECTOR3& target, float duration);
    void UpdateFlight(float timeStep);
    void UpdatePanels(float timeStep);
    void EmitSmoke();
    void ReleaseAll();

    PictureList m_pictures;
    Quorvex::AreaPos m_reference;
    int m_step = 0;
    float m_stepDuration = 0.0f;
    float m_stepElapsed = 0.0f;
    D3DXVECTOR3 m_flightOffset{10.0f, 0.0f, 22.0f};
    D3DXVECTOR3 m_flightStart{10.0f, 0.0f, 22.0f};
    D3DXVECTOR3 m_flightTarget{10.0f, 0.0f, 22.0f};
    float m_flightDuration = -1.0f;
    float m_flightElapsed = 0.0f;
    float m_sceneTime = 0.0f;
    float m_smokeTimer = 0.0f;
    Quorvex::RenderObjectSpr2D* m_pPanels[2] = {nullptr, nullptr};  // counted
    bool m_raise[2] = {false, false};
    bool m_lower[2] = {false, false};
    ViewObject* m_pCamera = nullptr;                // counted
    PlayerStub* m_pMachine = nullptr;               // counted
    LightObject* m_pLight = nullptr;                // counted
    EffectGenerator* m_pEffects = nullptr;          // counted
    SmokeFactory* m_pSmoke = nullptr;               // counted
    Quorvex::FillObject* m_pFill = nullptr;         // counted
    Title_Background* m_pBackground = nullptr;      // counted
    Quorvex::FontManager* m_pFont = nullptr;        // counted
    bool m_bound = false;
};
