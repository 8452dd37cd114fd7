#include "game/frontend/SceneOption.h"

#include <algorithm>

#include "engine/assets/RenderObjectSpr2D.h"
#include "engine/assets/ResourceManager.h"
#include "engine/assets/devices/InputManager.h"
#include "game/state/Environment2.h"
#include "game/state/SceneRequests.h"

using namespace Quorvex;

namespace {

constexpr const char* kStageName = "Spr2DOption";
// The panel origin lies this far from the client centre (pixels).
constexpr float kOriginDx = 192.0f;
constexpr float kOriginDy = -256.0f;

// Key and pad bindings of the panel's commands.
constexpr PanelScene::Binding kBindings[] = {
    {"opUp", 200, 1},      {"opUp", 17, -1},    {"opDown", 208, 3},   {"opDown", 31, -1},
    {"opVolDown", 203, 0}, {"opVolDown", 30, -1}, {"opVolUp", 205, 2}, {"opVolUp", 32, -1},
    {"opEnter", 28, 4},
};

// Cut-outs on "matOption" in texels (x0, y0, x1, y1).
struct Cell {
    const char* id;
    float x0, y0, x1, y1;
};
constexpr Cell kCells[] = {
    {"8", 0, 64, 64, 128},           {"9", 64, 64, 128, 128},           {"%", 128, 64, 192, 128},
    {"+", 192, 64, 256, 128},        {"space", 448, 64, 480, 128},      {"volume", 0, 128, 256, 192},
    {"return", 256, 128, 576, 192},  {"reverseAxisY", 256, 64, 448, 128}, {"on", 320, 256, 416, 320},
    {"off", 416, 256, 512, 320},     {"soundeffect", 0, 192, 320, 256}, {"music", 320, 192, 512, 256},
    {"keyconfig", 0, 256, 320, 320}, {"shot", 0, 320, 256, 384},        {"missile", 0, 384, 256, 448},
    {"zenkmode", 0, 448, 256, 512},  {"accel", 256, 320, 512, 384},     {"brake", 256, 384, 512, 448},
};

constexpr const char* kRowLabels[SceneOption::kRowCount + 1] = {
    nullptr, "music", "soundeffect", "shot", "missile", "accel", "brake", "reverseAxisY", "return"};
constexpr const char* kRowCommands[4] = {"Shot2", "Shot1", "Accel", "Brake"};
constexpr float kButtonRowY[4] = {132.0f, 164.0f, 196.0f, 228.0f};

float VolumeOfRow(int row) {
    if (!g_pEnvironment2) return 0.0f;
    return row == SceneOption::kRowMusic ? g_pEnvironment2->musicVolume : g_pEnvironment2->soundEffectVolume;
}

int Hundredths(float volume) { return static_cast<int>(volume * 100.0f + 0.1f); }

}  // namespace

SceneOption::SprSet::SprSet(ObjectManager* objects, IResourceManager* resources)
    : PanelSprSet(objects, resources, kStageName) {}

void SceneOption::SprSet::Build() {
    if (RenderObjectSpr2D* panel = AddPicture("optionpanel", -48, -64))
        panel->SetDrawPriority(panel->GetDrawPriority() + 0.1f);
    AddSprite("volume", 0, 0, false);
    rowLabel[kRowMusic] = AddSprite("music", 64, 32, true);
    rowLabel[kRowSoundEffect] = AddSprite("soundeffect", 64, 64, true);
    AddSprite("keyconfig", 0, 100, false);
    rowLabel[kRowShot] = AddSprite("shot", 64, 132, true);
    rowLabel[kRowMissile] = AddSprite("missile", 64, 164, true);
    rowLabel[kRowAccel] = AddSprite("accel", 64, 196, true);
    rowLabel[kRowBrake] = AddSprite("brake", 64, 228, true);
    AddSprite("zenkmode", 64, 260, true);
    rowLabel[kRowReverseAxis] = AddSprite("reverseAxisY", 64, 292, true);
    rowLabel[kRowReturn] = AddSprite("return", 64, 350, true);
    static const char* const kMusicIds[3] = {"1", "2", "3"};
    static const char* const kEffectIds[3] = {"4", "5", "6"};
    for (int i = 0; i < 3; ++i) musicDigit[i] = AddSprite(kMusicIds[i], 500.0f + 25.0f * i, 32, false);
    AddSprite("%", 580, 32, false);
    for (int i = 0; i < 3; ++i) effectDigit[i] = AddSprite(kEffectIds[i], 500.0f + 25.0f * i, 64, false);
    AddSprite("%", 580, 64, false);
    for (int r = 0; r < 4; ++r)
        for (int d = 0; d < 2; ++d) buttonDigit[r][d] = AddSprite("9", 525.0f + 25.0f * d, kButtonRowY[r], false);
    reverseAxisValue = AddSprite("off", 525, 292, false);
    AddSprite("zenkmode_text", 400, 260, false);
    AddSprite("space", 540, 260, false);
    AddSprite("space", 572, 260, false);
    Place(kOriginDx, kOriginDy);
}

SceneOption::SceneOption() : PanelScene("option") { m_consumeEscape = true; }

SceneOption::~SceneOption() { m_pSprites.reset(); }

int SceneOption::OnInitialize(void* param) {
    if (StartPanel(param, kStageName) < 0) return -1;
    RegisterCells(GetObjectManager());
    m_pSprites = std::make_unique<SprSet>(GetObjectManager(), GetResourceManager());
    m_pSprites->Build();
    m_row = kRowMusic;
    PanelSprSet::MoveHighlight(nullptr, m_pSprites->rowLabel[m_row]);
    ShowVolume(kRowMusic);
    ShowVolume(kRowSoundEffect);
    for (int row = kRowShot; row <= kRowBrake; ++row) ShowButton(row);
    ShowReverseAxis();
    BindCommands(kBindings);
    return 0;
}

void SceneOption::RegisterCells(ObjectManager* objects) {
    if (!objects) return;
    RegisterPanelPicture(objects, "optionpanel", "matOptionPanel", 0, 0, 512, 512, 1.0f, 1.0f);
    const char digits[] = "01234567";
    for (int k = 0; k < 8; ++k) {
        const char id[2] = {digits[k], 0};
        RegisterPanelCell(objects, id, "matOption", 0.5f, static_cast<float>(k), 0, 1, 1);
    }
    for (const Cell& c : kCells)
        RegisterPanelCell(objects, c.id, "matOption", 0.5f, c.x0 / 64.0f, c.y0 / 64.0f, (c.x1 - c.x0) / 64.0f,
                          (c.y1 - c.y0) / 64.0f);
    RegisterPanelCell(objects, "zenkmode_text", "matOption", 0.75f, 4, 7, 4, 1);
}

float SceneOption::AdjustVolume(float value, bool up, bool down) {
    if (up && !down) value += 0.05f;
    if (down && !up) value -= 0.05f;
    value = std::clamp(value, 0.0f, 1.0f);
    return static_cast<float>(Hundredths(value)) / 100.0f;
}

int SceneOption::StepRow(int row, bool up, bool down) { return PanelScene::StepRow(row, kRowCount, up, down); }

int SceneOption::FindHeldPadInput(const InputManager* input) {
    if (!input || !input->GetPadState()) return -1;
    for (int i = kLastCapturedInput; i >= kFirstCapturedInput; --i)
        if (input->IsPadInputOn(i)) return i;
    return -1;
}

bool SceneOption::CapturePadButton(InputManager* input, const char* command, int heldInput) {
    if (!input || !command || heldInput < 0) return false;
    const int current = input->FindPadButton(command);
    if (heldInput == current) return false;
    if (current >= 0) input->UnbindPadButton(current, command);
    input->BindPadButton(heldInput, command);
    return true;
}

void SceneOption::VolumeDigitIds(float volume, char ids[3][2]) {
    const int n = Hundredths(volume);
    const int digits[3] = {(n / 100) % 10, (n / 10) % 10, n % 10};
    for (int i = 0; i < 3; ++i) {
        ids[i][0] = static_cast<char>('0' + digits[i]);
        ids[i][1] = 0;
    }
}

void SceneOption::ButtonDigitIds(int padInput, char ids[2][2]) {
    const int b = padInput - 4;
    ids[0][0] = b < 0 ? '%' : static_cast<char>('0' + (b / 10) % 10);
    ids[1][0] = b < 0 ? '%' : static_cast<char>('0' + b % 10);
    ids[0][1] = ids[1][1] = 0;
}

const char* SceneOption::RowCommand(int row) {
    return row >= kRowShot && row <= kRowBrake ? kRowCommands[row - kRowShot] : nullptr;
}

void SceneOption::ShowVolume(int row) {
    if (!m_pSprites) return;
    char ids[3][2];
    VolumeDigitIds(VolumeOfRow(row), ids);
    RenderObjectSpr2D* const* digits = row == kRowMusic ? m_pSprites->musicDigit : m_pSprites->effectDigit;
    for (int i = 0; i < 3; ++i) m_pSprites->SetChara(digits[i], ids[i]);
}

void SceneOption::ShowButton(int row) {
    const char* command = RowCommand(row);
    InputManager* input = GetInputManager();
    if (!m_pSprites || !command) return;
    char ids[2][2];
    ButtonDigitIds(input ? input->FindPadButton(command) : -1, ids);
    for (int d = 0; d < 2; ++d) m_pSprites->SetChara(m_pSprites->buttonDigit[row - kRowShot][d], ids[d]);
}

void SceneOption::ShowReverseAxis() {
    if (!m_pSprites) return;
    const bool on = g_pEnvironment2 && g_pEnvironment2->reverseAxisY != 0;
    m_pSprites->SetChara(m_pSprites->reverseAxisValue, on ? "on" : "off");
}

void SceneOption::OnUpdate(float) {
    InputManager* input = GetInputManager();
    if (!input || IsFinished()) return;
    m_row = StepRowByInput(m_row, kRowCount, m_pSprites ? m_pSprites->rowLabel : nullptr);
    const bool down = input->IsCommandPressed("opVolDown");
    const bool up = input->IsCommandPressed("opVolUp");
    switch (m_row) {
        case kRowMusic:
        case kRowSoundEffect:
            if (g_pEnvironment2) {
                float& volume =
                    m_row == kRowMusic ? g_pEnvironment2->musicVolume : g_pEnvironment2->soundEffectVolume;
                volume = AdjustVolume(volume, up, down);
            }
            ShowVolume(m_row);
            break;
        case kRowShot:
        case kRowMissile:
        case kRowAccel:
        case kRowBrake:
            CapturePadButton(input, RowCommand(m_row), FindHeldPadInput(input));
            ShowButton(m_row);
            break;
        case kRowReverseAxis:
            if ((up || down) && g_pEnvironment2) g_pEnvironment2->reverseAxisY = g_pEnvironment2->reverseAxisY ? 0 : 1;
            ShowReverseAxis();
            break;
        case kRowReturn:
            if (input->IsCommandPressed("opEnter")) {
                if (g_pEnvironment2) g_pEnvironment2->SaveSettings();
                if (m_pGameManager) m_pGameManager->RequestTitleMenu();
                Finish();
            }
            break;
        default:
            break;
    }
}
