// The game's one global state record: the choices of the current run, the
// player's progress and settings, and the pointers through which every part of
// the game reaches the shared managers and the central objects of a stage.
// Fields are public and read and written directly.
#pragma once
#include <cstdint>

#include "engine/core/AreaPos.h"
#include "engine/core/ReferCounter.h"
#include "platform/d3dx9/d3dx9.h"
#include "platform/win32/win32.h"

namespace Quorvex {
class FactoryAdapter;
class InputManager;
class RenderGroup_Begin;
class ResourceManager;
class ShaderManager;
class SoundManager;
}  // namespace Quorvex

class CenterPosManager;
class EffectGenerator;
class EnemyEx;
class EnemyGenerator_Derive;
class FlashManager;
class GraphicManager;
class GroundGenerator;
class IActionScene;
class LightObject;
class Object3D;
class ParamManager2;
class Player;
class SceneFirst;
class SceneOption;
class ScenePause;
class SceneRequests;
class SceneScore;
class SceneStageSelect;
class ScoreMarkerFactory;
class ViewObject;

// Where the streaming centre is this frame. The centre-position manager
// rewrites the position and the motion every frame; pools, effects, enemies and
// projectiles read them. (CenterPosManager::CenterInfo names this record.)
struct CenterInfo {
    // The object the centre follows: the player (SetPlayer keeps it equal to
    // Environment2::player) or a stand-in in the menu scenes; not counted.
    Object3D* pObject = nullptr;
    Quorvex::AreaPos pos;
    // The centre's displacement during the last frame (world units).
    D3DXVECTOR3 move{0.0f, 0.0f, 0.0f};
    D3DXQUATERNION orientation{0.0f, 0.0f, 0.0f, 1.0f};
};

class Environment2 : public IUnknown, public Quorvex::ReferCounter {
public:
    // Table dimensions. Fighter, difficulty and level each keep a slot 0 that
    // the game never chooses (they run 1..4, 1..4 and 1..6); the settings file
    // stores it all the same.
    static constexpr int kFighterSlots = 5;
    static constexpr int kDifficultySlots = 5;
    static constexpr int kLevelSlots = 7;
    static constexpr int kRankCount = 15;
    static constexpr int kNameLength = 8;
    // Name code of the empty glyph cell (code = row * 100 + column).
    static constexpr int32_t kEmptyNameCode = 515;

    // Every ranking entry gets score 0 and the default name of its rank.
    Environment2();
    // Releases the counted references it still holds.
    ~Environment2() override;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER

    // Each releases the object held before, stores the new one (may be null)
    // and takes a reference on it. Setting the held object again keeps one
    // reference.
    void SetGroundGenerator(GroundGenerator* generator);
    void SetCenterPosManager(CenterPosManager* manager);
    // Also stores the player as the centre record's player.
    void SetPlayer(Player* player);
    void SetViewObject(ViewObject* view);
    void SetLightObject(LightObject* light);

    // Writes the published settings record to the file "settings"; a failure
    // is logged by the settings record and otherwise ignored.
    void SaveSettings();

    // The default name of a rank (0..14) into eight codes; other ranks leave
    // the codes alone.
    static void FillPreset(int32_t* names, int rank);

    // ---- fields, in the record's order ----

    // World drift velocity (world units per second): effects, the ground
    // generator and the sea move by it each step; enemy launches copy it as
    // their reference vector.
    D3DXVECTOR3 sharedVector{0.0f, 0.0f, 0.0f};

    // Counted (use the setters).
    ViewObject* viewObject = nullptr;
    LightObject* lightObject = nullptr;
    Player* player = nullptr;
    // Plain: written by a boss at launch, cleared by its vanish.
    EnemyEx* currentBoss = nullptr;

    // Published by the root scene's loader; not counted.
    Quorvex::ShaderManager* shaderManager = nullptr;
    Quorvex::ResourceManager* resourceManager = nullptr;
    Quorvex::SoundManager* soundManager = nullptr;
    Quorvex::InputManager* inputManager = nullptr;
    ParamManager2* paramManager = nullptr;

    EffectGenerator* effectGenerator = nullptr;
    // Counted (SetGroundGenerator).
    GroundGenerator* groundGenerator = nullptr;
    EnemyGenerator_Derive* enemyGenerator = nullptr;
    SceneRequests* gameManager = nullptr;
    SceneFirst* rootScene = nullptr;
    // Each scene sets itself while it runs; none is counted.
    IActionScene* actionScene = nullptr;
    ScenePause* pauseScene = nullptr;
    SceneOption* optionScene = nullptr;
    SceneStageSelect* stageSelectScene = nullptr;
    SceneScore* rankingScene = nullptr;
    // The render group that binds the off-screen targets.
    Quorvex::RenderGroup_Begin* beginRenderGroup = nullptr;

    // Enemy difficulty factor: 0, 0.45, 0.7 or 1.0 from the chosen difficulty.
    float attackLevel = 0.4f;
    // 1 while the pause scene shows a menu.
    BYTE paused = 0;

    CenterInfo centerInfo;
    // Counted (SetCenterPosManager).
    CenterPosManager* centerPosManager = nullptr;
    // What the centre follows: the player, or a stand-in in the menu scenes.
    Object3D* followedObject = nullptr;

    int32_t terrainWord = 0;
    FlashManager* flashManager = nullptr;
    GraphicManager* graphicManager = nullptr;
    ScoreMarkerFactory* scoreMarkerFactory = nullptr;

    // Stage height offset (0, y, 0); the sea adds it to its corners and
    // projectiles use its y as the world's base height.
    D3DXVECTOR3 worldOffset{0.0f, 0.0f, 0.0f};
    // (0, y + 50, 0): added by the terrain areas to the pieces they place.
    D3DXVECTOR3 groundOffset{0.0f, 0.0f, 0.0f};

    // 0..1 each.
    float musicVolume = 1.0f;
    float soundEffectVolume = 1.0f;

    int32_t difficulty = 2;     // 1 easy, 2 normal, 3 hard, 4 very hard
    int32_t level = 1;          // 1..6 (6 = extra stage)
    int32_t fighter = 1;        // 1..4
    BYTE singleStage = 0;       // 1 when started from the stage select
    float damageFactor = 1.0f;  // multiplies the damage the player takes
    // Seconds left in the boss's timed phase; -1 when no limit runs.
    float bossTimeLimit = -1.0f;
    int32_t playMode = 1;       // 1 normal game, 2 extra stage
    int32_t continueCount = 0;

    // Highest level started, by difficulty - 1 (easy, normal, hard, very hard).
    int32_t activeStage[4] = {1, 1, 1, 1};
    // Fighter availability (non-zero = available).
    int32_t active_velrin_a = 1;
    int32_t active_velrin_b = 0;
    int32_t active_toska = 0;
    int32_t active_bramel = 0;
    int32_t all_clear = 0;

    // [fighter][difficulty][level][rank], rank 0 best.
    int64_t rankingScore[kFighterSlots][kDifficultySlots][kLevelSlots][kRankCount] = {};
    // Points of the current run, [fighter][difficulty][level].
    int64_t runScore[kFighterSlots][kDifficultySlots][kLevelSlots] = {};
    int32_t rankingName[kFighterSlots][kDifficultySlots][kLevelSlots][kRankCount][kNameLength] = {};
    // The name last entered; -1 codes when none.
    int32_t defaultName[kNameLength] = {-1, -1, -1, -1, -1, -1, -1, -1};

    int32_t reverseAxisY = 0;
    // Notices raised by the ending for the bonus scene; not saved.
    BYTE bonusFlags[3] = {0, 0, 0};

    // Mode of the current scene object (the screen blur uses fixed values in
    // mode 3); 0 when no scene sets it.
    int32_t currentSceneMode = 0;
};

// The process-wide record (static lifetime).
extern Environment2* g_pEnvironment2;

// The record holds objects of the floors above it without their headers; each
// class answers these next to its own definition. Null gives null.
IUnknown* CountedOf(Player* player);
IUnknown* CountedOf(ViewObject* view);
IUnknown* CountedOf(LightObject* light);
IUnknown* CountedOf(CenterPosManager* manager);
IUnknown* CountedOf(GroundGenerator* generator);
// The player as an object of the world.
Object3D* ObjectOf(Player* player);
// The enemy generator's nuke pool, which the player launches into as well.
Quorvex::FactoryAdapter* NukePoolOf(EnemyGenerator_Derive* generator);
