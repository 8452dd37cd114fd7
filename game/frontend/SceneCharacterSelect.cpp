#include "game/frontend/SceneCharacterSelect.h"

#include <algorithm>
#include <cmath>

#include "engine/assets/ResourceManager.h"
#include "engine/assets/devices/InputManager.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/assets/shaders/Shader_Bloom.h"
#include "engine/core/Environment.h"
#include "engine/core/Utility.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderParameter.h"
#include "game/frontend/CharacterSelect_Bramel.h"
#include "game/frontend/CharacterSelect_Title.h"
#include "game/frontend/CharacterSelect_Window.h"
#include "game/frontend/SceneEnding.h"
#include "game/frontend/SceneTitle.h"
#include "game/player/MissileStub.h"
#include "game/player/PlayerStub.h"
#include "game/screen/GraphicUnits.h"
#include "game/screen/ViewObject.h"
#include "game/state/Environment2.h"
#include "game/state/SceneRequests.h"
#include "game/world/AreaFactoryAdapter.h"
#include "game/world/AreaManager.h"
#include "game/world/CenterPosManager.h"
#include "game/world/effects/LightObject.h"
#include "game/world/effects/Smoke.h"

using namespace Quorvex;

namespace {

constexpr float kDegree = D3DX_PI / 180.0f;
constexpr int kCharacterCount = 3;
constexpr int kEquipmentCount = 2;
constexpr int kOutputCount = 4;
constexpr float kPuffInterval = 0.25f;
constexpr float kStartSpeed = 1000000.0f;

// Left and right arrows with pad buttons 0 and 1; W and A up, S and D down.
constexpr InputManager::KeyBinding kBindings[] = {
    {"SelectNext", 0xCB, 4}, {"SelectBack", 0xCD, 5}, {"SelectUp", 0x11, -1},
    {"SelectUp", 0x1E, -1},  {"SelectDown", 0x1F, -1}, {"SelectDown", 0x20, -1},
};

D3DXVECTOR2 Pixels(float x, float y) { return D3DXVECTOR2(LayoutFromPixels(x), LayoutFromPixels(y)); }

D3DXQUATERNION YawPitchRoll(float yawDegrees, float pitchDegrees, float rollDegrees) {
    D3DXQUATERNION q;
    D3DXQuaternionRotationYawPitchRoll(&q, yawDegrees * kDegree, pitchDegrees * kDegree, rollDegrees * kDegree);
    return q;
}

// The lighting of one engine output: fog and the three light colours.
struct OutputLook {
    int fogMode;
    float farCells;
    float nearCells;
    D3DCOLOR fogColor;
    D3DXVECTOR4 light[3];
};

const OutputLook kOutputLooks[kOutputCount] = {
    {2, 4.0f, 3.0f, 0xFF00734D, {{0.3f, 0.4f, 0.35f, 1.0f}, {0.5f, 0.6f, 0.55f, 1.0f}, {0.55f, 0.55f, 0.55f, 1.0f}}},
    {2, 4.0f, 3.0f, 0xFF4D66E8, {{0.4f, 0.4f, 0.4f, 1.0f}, {0.6f, 0.6f, 0.6f, 1.0f}, {0.55f, 0.55f, 0.55f, 1.0f}}},
    {2, 4.0f, 3.0f, 0xFF807366, {{0.4f, 0.4f, 0.35f, 1.0f}, {0.6f, 0.6f, 0.5f, 1.0f}, {0.45f, 0.45f, 0.45f, 1.0f}}},
    {2, 4.0f, 3.0f, 0xFF663333, {{0.3f, 0.0f, 0.0f, 1.0f}, {0.6f, 0.6f, 0.6f, 1.0f}, {0.35f, 0.35f, 0.35f, 1.0f}}},
};

D3DCOLOR MixColor(D3DCOLOR a, D3DCOLOR b, float t) {
    D3DCOLOR result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const float ca = static_cast<float>((a >> shift) & 0xFF) / 255.0f;
        const float cb = static_cast<float>((b >> shift) & 0xFF) / 255.0f;
        const long byte = std::lround((ca + (cb - ca) * t) * 255.0f);
        result |= static_cast<D3DCOLOR>(std::clamp(byte, 0L, 255L)) << shift;
    }
    return result;
}

// ---- page texts ----

const wchar_t* const kCharacterHeading = L"キャラクタ選択\n";
const wchar_t* const kCharacterNames[kCharacterCount] = {L"ヴェルリン\n", L"トスカ\n", L"ブラメル\n"};
const wchar_t* const kCharacterComments[kCharacterCount] = {
    L"いつもの機体だね。整備はばっちりだよ！\n",
    L"トスカさんが乗るの？ 壊さないでよね…\n",
    L"えへへ、整備担当のブラメルが飛んじゃいます！\n",
};

struct EquipmentText {
    const wchar_t* gunName;
    const wchar_t* gunText;
    const wchar_t* missileName;
    const wchar_t* missileText;
    const wchar_t* comment;
    int missileType;
};

const EquipmentText kVelrinStandard = {
    L"12.7mm機銃\n",
    L"扱いやすい標準の機銃。\n連射が速く弾切れもない。\n近距離の敵をまとめて落とせる。\n",
    L"赤外線式誘導推進弾\n",
    L"熱源を追って飛ぶ誘導弾。\n複数の目標に同時に撃てる。\n補給で弾数が回復する。\n",
    L"素直な組み合わせだから\n初めてならこれがおすすめ！\n",
    2,
};
const EquipmentText kVelrinHeavy = {
    L"20.0mm機銃\n",
    L"口径を上げた重機銃。\n一発が重いぶん連射は遅い。\n硬い敵にもよく効く。\n",
    L"戦術核兵器\n",
    L"広い範囲を焼き払う大型爆弾。\n弾数は少ないが威力は絶大。\n撃つ場所には気をつけて。\n",
    L"重たい装備だから\n機体の動きも鈍くなるよ。\n使いこなせたら最強だけどね！\n",
    3,
};
const EquipmentText kToskaSet = {
    L"ニードルガン\n",
    L"細い針を高速で撃ち出す。\n",
    L"追尾の護符\n",
    L"敵を自動で追いかける護符。\n",
    L"トスカさんの装備は\nちょっと変わってるね…\n",
    2,
};
const EquipmentText kBramelSet = {
    L"水鉄砲\n",
    L"よく冷えた水を撃ち出す。\n",
    L"ペットボトルロケット\n",
    L"水圧でまっすぐ飛んでいく。\n",
    L"手作りの装備だけど\n威力はちゃんとあるんだから！\n",
    2,
};

struct OutputText {
    const wchar_t* caption;
    const wchar_t* description;
    const wchar_t* comment;
};

const OutputText kOutputTexts[kOutputCount] = {
    {L"出力  30%\n", L"出力を訓練レベルに設定します\n",
     L"まずは慣らし運転からだね。\n敵の攻撃もゆるやかだよ。\n肩の力を抜いていこう！\n"},
    {L"出力  70%\n", L"出力を実戦レベルに設定します\n", L"いつもの実戦の出力だよ。\n油断しないでね！\n"},
    {L"出力 100%\n", L"出力を最大レベルに設定します\n",
     L"エンジン全開！\n機体がちょっと揺れるけど\n壊れたりはしないはず…たぶん。\n"},
    {L"アフターバーナー\n", L"出力最大＋再燃機関使用\n", L"これ以上は無理！\n帰ってこられるか保証しないよ！\n"},
};

const wchar_t* const kCharacterPrompt = L"操作するキャラクターを選んでください\n";
const wchar_t* const kEquipmentPrompt = L"装備を選んでね\n";
const wchar_t* const kOutputPrompt = L"発動機の出力を決めてね\n　　　　　　　　　　　　　　　";

}  // namespace

SceneCharacterSelect::SceneCharacterSelect() {
    m_name = "charaselect";
    m_objectManagerCreation = CreateOwn;
    m_areaManagerCreation = CreateOwn;
    m_objectManagerParam.groupCount = 16;
    m_objectManagerParam.jobCount = 1;
    m_objectManagerParam.commandCapacity = 30720;
}

SceneCharacterSelect::~SceneCharacterSelect() { ReleaseAll(); }

void SceneCharacterSelect::ReleaseAll() {
    BindCommands(false);
    if (m_pPlayerModel) m_pPlayerModel->RequestRemove(true);
    if (m_pMissileModel) m_pMissileModel->RequestRemove(true);
    SceneEnding::RemoveCamera(m_pCamera);
    SAFE_RELEASE(m_pSmoke);
    if (IAreaManager* areas = GetAreaManager()) areas->SetAreaFactory(nullptr);
    SAFE_RELEASE(m_pTitle);
    SAFE_RELEASE(m_pBramel);
    for (CharacterSelect_Window*& window : m_pWindows) SAFE_RELEASE(window);
    SAFE_RELEASE(m_pMissileModel);
    SAFE_RELEASE(m_pPlayerModel);
    SAFE_RELEASE(m_pCamera);
    SAFE_RELEASE(m_pStartObject);
    for (std::vector<CameraKeyframe>& path : m_paths) path.clear();
}

// ---------------------------------------------------------------------------
// Set-up

int SceneCharacterSelect::OnInitialize(void* param) {
    if (auto* start = static_cast<SceneRequests::StartParam*>(param); start && start->gameManager) {
        m_pStartObject = start->gameManager;
        m_pStartObject->AddRef();
    }
    ObjectManager* objects = GetObjectManager();
    IAreaManager* areas = GetAreaManager();
    if (!objects || !areas) return -1;
    if (SceneTitle::CreateRenderGroups(objects, false) < 0) return -1;
    if (SceneTitle::RegisterShapes(areas, 20000000.0f) < 0) return -1;

    auto* factory = new AreaFactoryAdapter(areas, 1);
    factory->AddRef();
    areas->SetAreaFactory(factory);
    const int factoryResult = factory->Init(0);
    factory->Release();
    if (factoryResult < 0) return -1;
    areas->SetCentralPoint(Int3{0, 0, 0}, D3DXVECTOR3(0.0f, 0.0f, 0.0f), 1);
    if (g_pEnvironment2) g_pEnvironment2->followedObject = nullptr;

    if (CreateObjects() < 0) return -1;

    BuildPaths();
    m_cameraState = kCameraStart;
    BuildPage(0);
    m_puffTimer = 0.0f;

    m_pSmoke = new SmokeFactory(objects, areas, g_pEnvironment2 ? &g_pEnvironment2->centerInfo : nullptr);
    m_pSmoke->AddRef();
    if (m_pSmoke->Initialize(0) < 0) return -1;
    if (ShaderManager* shaders = GetShaderManager())
        if (auto* bloom = dynamic_cast<Shader_Bloom*>(shaders->GetShader("Bloom"))) bloom->m_threshold = 0.5f;

    BindCommands(true);
    if (InputManager* input = GetInputManager()) input->ClearCommandStates();
    if (g_pEnvironment) {
        g_pEnvironment->SetFrameTime(0.016f);
        g_pEnvironment->SetElapsedTime(0.016f);
    }
    return 0;
}

int SceneCharacterSelect::CreateObjects() {
    ObjectManager* objects = GetObjectManager();
    IAreaManager* areas = GetAreaManager();

    m_pCamera = new ViewObject(objects, areas, AreaPos::FromWorld(D3DXVECTOR3(0.0f, 0.0f, 0.0f)));
    m_pCamera->AddRef();
    if (m_pCamera->Initialize(0) < 0) return -1;
    m_pCamera->SetMode(ViewObject::ModePlaced);
    m_pCamera->SetPlacedLookAtWorld(D3DXVECTOR3(0.0f, 0.0f, 0.0f));

    auto* light = new LightObject(objects, areas, AreaPos::FromWorld(D3DXVECTOR3(-200.0f, 350.0f, 1000.0f)));
    light->AddRef();
    const int lightResult = light->Initialize(0);
    light->Release();
    if (lightResult < 0) return -1;

    m_pPlayerModel = new PlayerStub(objects, areas, AreaPos());
    m_pPlayerModel->AddRef();
    PlayerStub::InitParam record;
    record.inputManager = GetInputManager();
    record.type = 2;
    if (m_pPlayerModel->Initialize(record) < 0) return -1;
    m_pMissileModel = new MissileStub(objects, areas);
    m_pMissileModel->AddRef();
    if (m_pMissileModel->Initialize(0) < 0) return -1;
    m_pMissileModel->SetWorldPosition(D3DXVECTOR3(4.0f, 2.5f, -2.5f));

    for (CharacterSelect_Window*& window : m_pWindows) {
        window = new CharacterSelect_Window(objects);
        window->AddRef();
        if (window->Initialize(0) < 0) return -1;
    }
    m_pBramel = new CharacterSelect_Bramel(objects);
    m_pBramel->AddRef();
    if (m_pBramel->Initialize(0) < 0) return -1;
    m_pTitle = new CharacterSelect_Title(objects);
    m_pTitle->AddRef();
    if (m_pTitle->Initialize(0) < 0) return -1;

    const D3DXVECTOR3* cell = g_pEnvironment ? g_pEnvironment->GetAreaCellSize() : nullptr;
    const D3DXVECTOR3 offset(cell ? cell->x * 0.5f : 500.0f, 100.0f, cell ? cell->z * 0.5f : 500.0f);
    auto* center = new CenterPosManager(objects, areas, AreaPos::FromCellAndOffset(Int3{0, 0, 0}, offset));
    center->AddRef();
    const int centerResult = center->Initialize(0);
    center->Release();
    return centerResult < 0 ? -1 : 0;
}

void SceneCharacterSelect::BindCommands(bool bind) {
    InputManager* input = GetInputManager();
    if (!input || bind == m_bound) return;
    if (bind)
        input->BindTable(kBindings);
    else
        input->UnbindTable(kBindings);
    m_bound = bind;
}

void SceneCharacterSelect::BuildPaths() {
    const D3DXQUATERNION identity(0.0f, 0.0f, 0.0f, 1.0f);
    const D3DXQUATERNION roll45 = YawPitchRoll(0.0f, 0.0f, 45.0f);
    const D3DXQUATERNION roll30 = YawPitchRoll(0.0f, 0.0f, 30.0f);
    const D3DXVECTOR3 origin(0.0f, 0.0f, 0.0f);
    auto key = [](D3DXVECTOR3 p, float speed, D3DXQUATERNION r, D3DXVECTOR3 t) { return CameraKeyframe{p, speed, r, t}; };
    // A page: 32 keyframes on a small circle around the page's place.
    auto circle = [&](std::vector<CameraKeyframe>& path, D3DXVECTOR3 centre, D3DXQUATERNION r, D3DXVECTOR3 target) {
        for (int k = 0; k < 32; ++k) {
            const float a = 2.0f * D3DX_PI * static_cast<float>(k) / 32.0f;
            path.push_back(key(centre + D3DXVECTOR3(0.1f * std::sin(a), 0.1f * std::cos(a), 0.0f), 0.2f, r, target));
        }
    };
    for (std::vector<CameraKeyframe>& path : m_paths) path.clear();
    m_paths[0] = {key({-20.0f, 15.0f, -30.0f}, 100.0f, identity, origin), key({-8.0f, 4.0f, 8.0f}, 2.0f, identity, origin)};
    circle(m_paths[1], {-8.0f, 4.0f, 8.0f}, identity, origin);
    m_paths[2] = {key({-8.0f, 4.0f, 8.0f}, 100.0f, identity, origin),
                  key({4.0f, 4.5f, 9.5f}, 2.0f, roll45, {0.0f, 0.0f, 3.0f})};
    m_paths[3].assign(m_paths[2].rbegin(), m_paths[2].rend());
    circle(m_paths[4], {4.0f, 4.5f, 9.5f}, roll45, {0.0f, 0.0f, 3.0f});
    m_paths[5] = {key({4.0f, 4.5f, 9.5f}, 100.0f, roll45, {0.0f, 0.0f, 3.0f}),
                  key({-5.5f, 0.25f, -10.0f}, 2.0f, roll30, {0.0f, 0.5f, -6.5f})};
    m_paths[6].assign(m_paths[5].rbegin(), m_paths[5].rend());
    circle(m_paths[7], {-5.5f, 0.25f, -10.0f}, roll30, {0.0f, 0.5f, -6.5f});
}

// ---------------------------------------------------------------------------
// Choices

bool SceneCharacterSelect::IsEquipmentAvailable(int character, int equipment) {
    const Environment2* env = g_pEnvironment2;
    if (!env || equipment < 1 || equipment > kEquipmentCount) return false;
    switch (character) {
        case 1: return (equipment == 1 ? env->active_velrin_a : env->active_velrin_b) != 0;
        case 2: return env->active_toska != 0;
        case 3: return env->active_bramel != 0;
        default: return false;
    }
}

bool SceneCharacterSelect::IsCharacterAvailable(int character) {
    return IsEquipmentAvailable(character, 1) || IsEquipmentAvailable(character, 2);
}

int SceneCharacterSelect::FighterFor(int character, int equipment) {
    if (character == 2) return 3;
    if (character == 3) return 4;
    return equipment == 2 ? 2 : 1;
}

float SceneCharacterSelect::AttackLevelFor(int output) {
    static const float kLevels[kOutputCount] = {0.0f, 0.45f, 0.7f, 1.0f};
    return kLevels[std::clamp(output, 1, kOutputCount) - 1];
}

float SceneCharacterSelect::ThrottleFor(int output) { return static_cast<float>(output - 1) * 0.26666668f + 0.2f; }

float SceneCharacterSelect::ShakeFor(int output) { return static_cast<float>(std::max(output - 2, 0)) * 0.5f; }

void SceneCharacterSelect::StepChoice(const Commands& commands, int& cursor, int count, bool equipment) {
    if (!commands.up && !commands.down) {
        m_choiceLatch = false;
        return;
    }
    if (m_choiceLatch) return;
    const int direction = commands.up ? -1 : 1;
    // At most one full turn, so that a page without any available choice
    // keeps its cursor.
    int candidate = cursor;
    for (int i = 0; i < count; ++i) {
        candidate += direction;
        if (candidate < 1) candidate = count;
        if (candidate > count) candidate = 1;
        const bool available = equipment ? IsEquipmentAvailable(m_characterCursor, candidate)
                                          : IsCharacterAvailable(candidate);
        if (available) {
            cursor = candidate;
            return;
        }
    }
}

void SceneCharacterSelect::UpdateOutput(const Commands& commands, float timeStep) {
    if (m_cameraState == kCameraOutput) {
        if ((commands.up || commands.down) && !m_outputLatch) {
            const int next = m_outputCursor + (commands.up ? -1 : 1);
            m_previousOutput = m_outputCursor;
            m_outputCursor = next < 1 ? kOutputCount : (next > kOutputCount ? 1 : next);
            m_outputBlend = 0.0f;
            m_outputLatch = true;
        } else if (!commands.up && !commands.down) {
            m_outputLatch = false;
        }
        if (m_outputLatch) ShowOutput(m_outputCursor);
    }

    if (m_outputBlend >= 0.0f) {
        m_outputBlend = std::min(m_outputBlend + timeStep, 1.0f);
        const float from = ThrottleFor(m_previousOutput);
        if (m_pPlayerModel) m_pPlayerModel->engineLevel = from + m_outputBlend * (ThrottleFor(m_outputCursor) - from);
        if (m_outputBlend >= 1.0f) m_outputBlend = -1.0f;
    }
    const float p = m_outputBlend >= 0.0f ? m_outputBlend : 1.0f;
    const float shakeFrom = ShakeFor(m_previousOutput);
    const float shake = (shakeFrom + p * (ShakeFor(m_outputCursor) - shakeFrom)) * 0.1f;
    if (m_pCamera) m_pCamera->SetShakeAmplitude(D3DXVECTOR3(shake, shake, shake));
}

void SceneCharacterSelect::ChangePage(const Commands& commands) {
    auto showMissile = [this](bool shown) {
        if (m_pMissileModel) m_pMissileModel->shown = shown ? 1 : 0;
    };
    if (commands.next) {
        switch (m_cameraState) {
            case kCameraCharacter:
                SetCameraState(kCameraToEquipment);
                BuildPage(kCameraEquipment);
                showMissile(true);
                return;
            case kCameraEquipment:
                SetCameraState(kCameraToOutput);
                BuildPage(kCameraOutput);
                showMissile(false);
                return;
            case kCameraOutput: Commit(); return;
            default: return;
        }
    }
    if (commands.back) {
        switch (m_cameraState) {
            case kCameraEquipment:
                SetCameraState(kCameraBackToCharacter);
                BuildPage(kCameraCharacter);
                showMissile(false);
                return;
            case kCameraOutput:
                SetCameraState(kCameraBackToEquipment);
                BuildPage(kCameraEquipment);
                showMissile(true);
                return;
            default: return;
        }
    }
}

void SceneCharacterSelect::Commit() {
    Environment2* env = g_pEnvironment2;
    if (!env) return;
    env->damageFactor = 1.0f;
    env->level = 1;
    env->bossTimeLimit = -1.0f;
    env->singleStage = 0;
    env->attackLevel = AttackLevelFor(m_outputCursor);
    env->difficulty = m_outputCursor;
    env->fighter = FighterFor(m_characterCursor, m_equipmentCursor);
    SceneRequests* manager = dynamic_cast<SceneRequests*>(m_pStartObject);
    if (!manager) manager = env->gameManager;
    if (!manager) return;
    if (env->playMode == 2) manager->RequestStageEx();
    else manager->RequestStage1();
}

// ---------------------------------------------------------------------------
// Pages

void SceneCharacterSelect::BuildPage(int page) {
    CharacterSelect_Window* first = m_pWindows[0];
    CharacterSelect_Window* second = m_pWindows[1];
    CharacterSelect_Window* third = m_pWindows[2];
    auto bubble = [this](D3DXVECTOR2 portraitFrom, D3DXVECTOR2 bubbleFrom) {
        if (!m_pBramel) return;
        m_pBramel->Appear(portraitFrom, bubbleFrom);
        m_pBramel->MoveTo(Pixels(980.0f, 420.0f), Pixels(0.0f, 560.0f));
    };
    auto place = [this](float yaw, float pitch, float roll, D3DXVECTOR3 position, int row) {
        if (m_pTitle) m_pTitle->Place(position, YawPitchRoll(yaw, pitch, roll), row);
    };
    switch (page) {
        case 0:
        case kCameraCharacter:
            if (first) {
                first->Show(Pixels(180.0f, 180.0f), Pixels(360.0f, 360.0f));
                first->SetHeading(kCharacterHeading);
                first->SetBody(kCharacterNames[std::clamp(m_characterCursor, 1, kCharacterCount) - 1]);
            }
            if (second) second->Hide();
            if (third) third->Hide();
            if (page == 0) bubble(Pixels(1580.0f, 420.0f), Pixels(0.0f, 880.0f));
            else bubble(Pixels(1030.0f, 470.0f), Pixels(50.0f, 610.0f));
            if (m_pBramel) m_pBramel->SetSpeech(kCharacterPrompt);
            place(105.0f, 0.0f, 0.0f, {50.0f, 0.0f, 0.0f}, 0);
            break;
        case kCameraEquipment:
            // A character chosen after the equipment may not offer that
            // equipment: take its next available one, so that no locked
            // fighter can be confirmed.
            if (!IsEquipmentAvailable(m_characterCursor, m_equipmentCursor)) {
                for (int e = 1; e <= kEquipmentCount; ++e)
                    if (IsEquipmentAvailable(m_characterCursor, e)) {
                        m_equipmentCursor = e;
                        break;
                    }
            }
            if (first) first->Show(Pixels(890.0f, 120.0f), Pixels(700.0f, 360.0f));
            if (second) second->Show(Pixels(180.0f, 200.0f), Pixels(250.0f, 400.0f));
            if (third) third->Hide();
            bubble(Pixels(1030.0f, 470.0f), Pixels(50.0f, 610.0f));
            ShowEquipment();
            if (m_pBramel) m_pBramel->SetSpeech(kEquipmentPrompt);
            place(255.0f, 15.0f, -5.0f, {-50.0f, -20.0f, 0.0f}, 1);
            break;
        case kCameraOutput:
            if (first) first->Hide();
            if (second) second->Show(Pixels(950.0f, 100.0f), Pixels(610.0f, 200.0f));
            if (third) third->Hide();
            bubble(Pixels(1030.0f, 470.0f), Pixels(50.0f, 610.0f));
            ShowOutput(m_outputCursor);
            if (m_pBramel) m_pBramel->SetSpeech(kOutputPrompt);
            place(90.0f, 0.0f, 30.0f, {50.0f, 5.0f, 0.0f}, 2);
            break;
        default: break;
    }
}

void SceneCharacterSelect::ShowCharacter() {
    const int index = std::clamp(m_characterCursor, 1, kCharacterCount) - 1;
    if (CharacterSelect_Window* first = m_pWindows[0]) {
        first->SetHeading(kCharacterHeading);
        first->SetBody(kCharacterNames[index]);
    }
    if (m_pBramel) m_pBramel->SetSpeech(kCharacterComments[index]);
    // The third character has no rider model of its own.
    if (m_pPlayerModel && index < 2) m_pPlayerModel->SetModel(index == 0 ? 2 : 3);
}

void SceneCharacterSelect::ShowEquipment() {
    const EquipmentText* text = &kVelrinStandard;
    if (m_characterCursor == 2) text = &kToskaSet;
    else if (m_characterCursor == 3) text = &kBramelSet;
    else if (m_equipmentCursor == 2) text = &kVelrinHeavy;
    if (CharacterSelect_Window* first = m_pWindows[0]) {
        first->SetHeading(text->gunName);
        first->SetBody(text->gunText);
    }
    if (CharacterSelect_Window* second = m_pWindows[1]) {
        second->SetHeading(text->missileName);
        second->SetBody(text->missileText);
    }
    if (m_pBramel) m_pBramel->SetSpeech(text->comment);
    if (m_pMissileModel) m_pMissileModel->SetType(text->missileType);
}

void SceneCharacterSelect::ShowOutput(int output) {
    const OutputText& text = kOutputTexts[std::clamp(output, 1, kOutputCount) - 1];
    if (CharacterSelect_Window* second = m_pWindows[1]) {
        second->SetHeading(text.caption);
        second->SetBody(text.description);
    }
    if (m_pBramel) m_pBramel->SetSpeech(text.comment);
}

// ---------------------------------------------------------------------------
// Camera

void SceneCharacterSelect::SetCameraState(int state) {
    if (state == m_cameraState) return;
    const bool leavingStart = m_cameraState == kCameraStart;
    m_cameraState = state;
    m_keyframeIndex = 0;
    const D3DXVECTOR3 position = m_pCamera ? m_pCamera->GetWorldPosition() : m_to.position;
    if (leavingStart) m_from = CameraKeyframe{position, kStartSpeed, D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f),
                                              D3DXVECTOR3(0.0f, 0.0f, 0.0f)};
    else m_from = CameraKeyframe{position, m_to.speed, m_to.rotation, m_to.target};
}

SceneCharacterSelect::CameraKeyframe SceneCharacterSelect::NextKeyframe() {
    auto pathOf = [this](int state) -> const std::vector<CameraKeyframe>* {
        return state >= 1 && state <= kPathCount ? &m_paths[state - 1] : nullptr;
    };
    const std::vector<CameraKeyframe>* path = pathOf(m_cameraState);
    if (!path || m_keyframeIndex >= path->size()) {
        int next = m_cameraState;
        switch (m_cameraState) {
            case kCameraStart: next = kCameraOpening; break;
            case kCameraOpening:
            case kCameraBackToCharacter: next = kCameraCharacter; break;
            case kCameraToEquipment:
            case kCameraBackToEquipment: next = kCameraEquipment; break;
            case kCameraToOutput: next = kCameraOutput; break;
            default: break;  // the pages loop
        }
        m_keyframeIndex = 0;
        SetCameraState(next);
        path = pathOf(m_cameraState);
    }
    if (!path || path->empty()) return m_from;
    return (*path)[m_keyframeIndex++];
}

void SceneCharacterSelect::FollowCamera(float timeStep) {
    if (m_cameraState == kCameraStart || m_segmentElapsed >= m_segmentDuration) {
        m_from = m_to;
        const CameraKeyframe next = NextKeyframe();
        m_to = next;
        m_segmentElapsed = 0.0f;
        const D3DXVECTOR3 span = m_to.position - m_from.position;
        const float meanSpeed = (m_from.speed + m_to.speed) * 0.5f;
        m_segmentDuration = meanSpeed > 0.0f ? D3DXVec3Length(&span) / meanSpeed : 0.0f;
    }
    const float f = m_segmentDuration > 0.0f ? std::min(m_segmentElapsed / m_segmentDuration, 1.0f) : 1.0f;
    // The first half of the time covers the from-keyframe's share of the
    // distance, the second half the to-keyframe's.
    const float speedSum = m_from.speed + m_to.speed;
    float h = f;
    if (speedSum > 0.0f) {
        const float d = m_from.speed / speedSum;
        const float e = m_to.speed / speedSum;
        h = f <= 0.5f ? 2.0f * f * d : (f - 0.5f) * 2.0f * e + d;
    }
    if (m_pCamera) {
        m_pCamera->SetWorldPosition(m_from.position + (m_to.position - m_from.position) * h);
        D3DXQUATERNION rotation;
        D3DXQuaternionSlerp(&rotation, &m_from.rotation, &m_to.rotation, f);
        m_pCamera->SetOrientation(rotation);
        m_pCamera->SetPlacedLookAtWorld(m_from.target + (m_to.target - m_from.target) * f);
    }
    m_segmentElapsed += timeStep;
}

// ---------------------------------------------------------------------------
// Frame

SceneCharacterSelect::Commands SceneCharacterSelect::ReadCommands() const {
    Commands commands;
    InputManager* input = GetInputManager();
    if (!input) return commands;
    commands.up = input->IsCommandPressed("SelectUp");
    commands.down = input->IsCommandPressed("SelectDown");
    commands.next = input->IsCommandPressed("SelectNext");
    commands.back = input->IsCommandPressed("SelectBack");
    if (const DIJOYSTATE* pad = input->GetPadState()) {
        const int tx = input->GetPadDeadZoneX();
        const int ty = input->GetPadDeadZoneY();
        if (pad->lY <= -ty || pad->lX <= -tx) commands.up = true;
        if (pad->lY >= ty || pad->lX >= tx) commands.down = true;
    }
    return commands;
}

void SceneCharacterSelect::OnUpdate(float timeStep) { Step(ReadCommands(), timeStep); }

void SceneCharacterSelect::Step(const Commands& commands, float timeStep) {
    m_puffTimer += timeStep;
    if (m_puffTimer >= kPuffInterval) {
        m_puffTimer -= kPuffInterval;
        EmitPuffs();
    }
    if (m_cameraState == kCameraCharacter) {
        const int before = m_characterCursor;
        StepChoice(commands, m_characterCursor, kCharacterCount, false);
        if (m_characterCursor != before) {
            m_choiceLatch = true;
            ShowCharacter();
        }
    }
    if (m_cameraState == kCameraEquipment) {
        const int before = m_equipmentCursor;
        StepChoice(commands, m_equipmentCursor, kEquipmentCount, true);
        if (m_equipmentCursor != before) {
            m_choiceLatch = true;
            ShowEquipment();
        }
    }
    UpdateOutput(commands, timeStep);
    ChangePage(commands);
    FollowCamera(timeStep);
}

void SceneCharacterSelect::EmitPuffs() {
    if (!m_pSmoke) return;
    for (int i = -7; i <= 7; ++i) {
        Smoke::SetParam param(GetObjectManager(), "Sprite3D");
        Smoke* smoke = m_pSmoke->AcquireSmoke(&param);
        if (!smoke) return;
        const float r1 = RandomFloat(), r2 = RandomFloat(), r3 = RandomFloat();
        const float r4 = RandomFloat(), r5 = RandomFloat(), r6 = RandomFloat();
        const float fi = static_cast<float>(i);
        smoke->Position() = D3DXVECTOR3(7.0f * fi + 5.0f * r1, 40.0f * std::fabs(fi) / 7.0f - (5.0f * r2 + 20.0f),
                                        100.0f * r3 - 40.0f);
        smoke->m_velocity = D3DXVECTOR3(1.0f - 2.0f * r4, 0.5f - r5, -10.0f - 10.0f * r6);
        smoke->m_lifeRate = 0.25f;
        smoke->Release();
    }
}

void SceneCharacterSelect::OnRender() { ApplyOutputLighting(); }

void SceneCharacterSelect::ApplyOutputLighting() {
    const OutputLook& current = kOutputLooks[std::clamp(m_outputCursor, 1, kOutputCount) - 1];
    const OutputLook& previous = kOutputLooks[std::clamp(m_previousOutput, 1, kOutputCount) - 1];
    const bool blending = m_outputBlend >= 0.0f;
    const float t = blending ? m_outputBlend : 1.0f;
    const OutputLook& from = blending ? previous : current;
    const D3DXVECTOR3* cellSize = g_pEnvironment ? g_pEnvironment->GetAreaCellSize() : nullptr;
    const float cell = cellSize ? cellSize->x : 1000.0f;
    if (ShaderManager* shaders = GetShaderManager()) {
        FogParam fog;
        fog.enable = blending && t < 0.5f ? previous.fogMode : current.fogMode;
        fog.farValue = (from.farCells + (current.farCells - from.farCells) * t) * cell;
        fog.nearValue = (from.nearCells + (current.nearCells - from.nearCells) * t) * cell;
        fog.color = MixColor(from.fogColor, current.fogColor, t);
        shaders->SetFog(fog);
    }
    if (ResourceManager* resources = GetResourceManager()) {
        if (RenderParameter* parameter = resources->GetRenderParameter()) {
            D3DXVECTOR4* targets[3] = {&parameter->m_ambient, &parameter->m_diffuse, &parameter->m_specular};
            for (int i = 0; i < 3; ++i) *targets[i] = from.light[i] + (current.light[i] - from.light[i]) * t;
        }
    }
}
