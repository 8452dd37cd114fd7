// The screen between the title menu and the first stage: the machine stands in
// a small lit set while the camera flies between three pages (character,
// equipment, engine output = difficulty), callout windows describe the choice
// and the mechanic comments on it. Confirming the last page writes the choices
// into the game state and asks for the first stage (or the extra stage).
#pragma once
#include <vector>

#include "engine/core/SceneBase.h"
#include "platform/d3dx9/d3dx9.h"

namespace Quorvex {
class Object;
}

class CharacterSelect_Bramel;
class CharacterSelect_Title;
class CharacterSelect_Window;
class MissileStub;
class PlayerStub;
class SmokeFactory;
class ViewObject;

class SceneCharacterSelect : public Quorvex::SceneBase {
public:
    // Camera states; 2, 5 and 8 are the pages, the others flights.
    enum CameraState {
        kCameraStart = 0,
        kCameraOpening = 1,
        kCameraCharacter = 2,
        kCameraToEquipment = 3,
        kCameraBackToCharacter = 4,
        kCameraEquipment = 5,
        kCameraToOutput = 6,
        kCameraBackToEquipment = 7,
        kCameraOutput = 8,
    };
    static constexpr int kPathCount = 8;

    struct CameraKeyframe {
        D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
        float speed = 0.0f;  // world units per second
        D3DXQUATERNION rotation{0.0f, 0.0f, 0.0f, 1.0f};
        D3DXVECTOR3 target{0.0f, 0.0f, 0.0f};
    };

    // What the commands said this frame (edges, the stick's direction included).
    struct Commands {
        bool up = false;
        bool down = false;
        bool next = false;
        bool back = false;
    };

    // Named "charaselect"; own object and area managers, 16 object groups,
    // one job record, 30720 draw commands.
    SceneCharacterSelect();
    ~SceneCharacterSelect() override;

    // `param` is the game manager's start record; its game manager is held for
    // the scene's lifetime. 0, or -1 when a part of the set fails.
    int OnInitialize(void* param) override;
    void OnUpdate(float timeStep) override;
    // The lighting of the chosen engine output.
    void OnRender() override;

    // One frame after the commands were read: smoke, pages, output blend,
    // page changes and the camera.
    void Step(const Commands& commands, float timeStep);

    // Availability in the game state: an equipment of a character (1..3,
    // 1..2), and a character when any of its equipment is.
    static bool IsEquipmentAvailable(int character, int equipment);
    static bool IsCharacterAvailable(int character);
    // The fighter written for a character and equipment (1..4).
    static int FighterFor(int character, int equipment);
    // The enemies' attack level for an engine output 1..4.
    static float AttackLevelFor(int output);
    // Throttle and camera-shake values of an output 1..4.
    static float ThrottleFor(int output);
    static float ShakeFor(int output);

    // Writes the run's choices and asks for the first stage, or for the extra
    // stage in play mode 2.
    void Commit();

    void BuildPage(int page);
    void ShowCharacter();
    void ShowEquipment();
    void ShowOutput(int output);
    void SetCameraState(int state);
    CameraKeyframe NextKeyframe();
    void FollowCamera(float timeStep);
    void ApplyOutputLighting();
    // The camera paths of the eight flights and pages.
    void BuildPaths();

    int GetCameraState() const { return m_cameraState; }
    int GetCharacterCursor() const { return m_characterCursor; }
    int GetEquipmentCursor() const { return m_equipmentCursor; }
    int GetOutputCursor() const { return m_outputCursor; }

protected:
    int CreateRenderGroups();
    int CreateObjects();
    void BindCommands(bool bind);
    Commands ReadCommands() const;
    void EmitPuffs();
    // One push of the character or equipment cursor: the next available
    // choice in the direction, or the cursor unchanged when none is.
    void StepChoice(const Commands& commands, int& cursor, int count, bool equipment);
    void UpdateOutput(const Commands& commands, float timeStep);
    void ChangePage(const Commands& commands);
    void ReleaseAll();

    Quorvex::Object* m_pStartObject = nullptr;  // counted
    ViewObject* m_pCamera = nullptr;            // counted
    PlayerStub* m_pPlayerModel = nullptr;       // counted
    MissileStub* m_pMissileModel = nullptr;     // counted
    int m_cameraState = kCameraStart;
    unsigned m_keyframeIndex = 0;
    std::vector<CameraKeyframe> m_paths[kPathCount];
    CameraKeyframe m_from;
    CameraKeyframe m_to;
    float m_segmentDuration = 0.0f;
    float m_segmentElapsed = 0.0f;
    CharacterSelect_Window* m_pWindows[3] = {nullptr, nullptr, nullptr};  // counted
    CharacterSelect_Bramel* m_pBramel = nullptr;                          // counted
    CharacterSelect_Title* m_pTitle = nullptr;                            // counted
    float m_puffTimer = 0.0f;
    SmokeFactory* m_pSmoke = nullptr;  // counted
    int m_outputCursor = 2;
    int m_previousOutput = 2;
    float m_outputBlend = 1.0f;  // -1 idle
    int m_characterCursor = 1;
    int m_equipmentCursor = 1;
    bool m_outputLatch = false;
    bool m_choiceLatch = false;
    bool m_bound = false;
};
