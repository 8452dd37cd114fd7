#include "game/screen/GraphicObject.h"

#include <cmath>
#include <cstring>

#include "engine/assets/FontManager.h"
#include "engine/assets/devices/SoundManager.h"
#include "engine/assets/devices/SoundUnit.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/assets/shaders/Shader_CopyTexture.h"
#include "engine/core/Environment.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderStage.h"
#include "game/screen/GraphicManager.h"
#include "game/screen/GraphicUnits.h"
#include "game/state/Environment2.h"

using namespace Quorvex;

namespace {


// Picture sizes in layout units: a portrait fills the height, a speech
// window half of it.
constexpr float kPictureWidth = 1.4222222f;
constexpr float kPortraitHeight = 1.0f;
constexpr float kSpeechHeight = 0.5f;

// Text offsets inside the speech window picture, left and right layout.
constexpr float kLeftTextX = 0.30555555f;
constexpr float kRightTextX = 0.13472222f;
constexpr float kTextY = 0.24027778f;

struct KeyMaterial {
    const char* key;
    const char* material;
};
constexpr KeyMaterial kKeyMaterials[] = {
    {"speak", "matSpeak"},         {"velrin", "matVelrin"},         {"velrin_koma", "matVelrinKoma"},
    {"bramel", "matBramel2"},      {"dweli", "matDweli"},           {"dweli2", "matDweli2"},
    {"spellDweli", "matSpellDweli"}, {"fesko", "matFesko"},         {"spellFesko", "matSpellFesko"},
    {"pentra", "matPentra"},       {"spellPentra", "matSpellPentra"}, {"gralle", "matGralle"},
    {"spellGralle", "matSpellGralle"}, {"orsel", "matOrsel"},       {"spellOrsel", "matSpellOrsel"},
    {"toska", "matToska"},         {"spellToska", "matSpellToska"},
};

bool IsMirrored(int state) { return state >= 2 && state <= 10 && state % 2 == 0; }
bool IsScreenEffect(int state) { return state >= GraphicObject::StateFlash && state <= GraphicObject::StateFadeFrom; }
bool IsCutIn(int state) { return state == GraphicObject::StateCutIn || state == GraphicObject::StateCutInMirrored; }
bool IsSpeech(int state) { return state == 1 || state == 2 || state == 5 || state == 6; }

// Clock speed per second of a state (before the rate).
float ClockSpeed(int state) {
    if (state <= 8) return 2.0f;
    if (state <= 11) return 0.5f;
    return 1.0f;
}

struct Layout {
    D3DXVECTOR2 rest;
    D3DXVECTOR2 start;
    int from[3];  // previous states that use the start position
    bool always;
};

// Rest and start positions of an unmirrored picture.
Layout LayoutOf(int state) {
    const D3DXVECTOR2 origin(0.0f, 0.0f), speech(0.0f, 0.5f), aside(-0.0833333f, 0.5555556f),
        back(-0.0833333f, 0.0555556f);
    switch (state) {
        case 1:
        case 2: return {speech, aside, {0, 5, 6}, false};
        case 5:
        case 6: return {aside, speech, {0, 1, 2}, false};
        case 7:
        case 8: return {back, origin, {0, 3, 4}, false};
        case 9:
        case 10: return {D3DXVECTOR2(0.8888889f, 0.0f), D3DXVECTOR2(-0.8888889f, 0.0f), {-1, -1, -1}, true};
        default: return {origin, back, {0, 7, 8}, false};
    }
}

float Aspect() { return g_pEnvironment ? g_pEnvironment->GetAspect() : 16.0f / 9.0f; }

bool Drawable(const Sprite2DInfo& sprite) { return sprite.GetMaterial() && (sprite.color >> 24) != 0; }

}  // namespace

GraphicObject::GraphicObject(ObjectManager* objects, GraphicManager* owner)
    : RenderObject(objects, CreateRegister), m_pManager(owner) {}

GraphicObject::~GraphicObject() { ReleaseEffectTexture(); }

int GraphicObject::Initialize(int) {
    SetUpdatePriority(kUpdatePriority);
    JoinSprite2DStage(this);
    ClearSprite(m_spriteA);
    ClearSprite(m_spriteB);
    m_clock = -1.0f;
    m_currentKey.clear();
    m_incomingKey.clear();
    m_rate = 1.0f;
    m_update = [this](float dt) { OnUpdate(dt); };
    m_render = [this](CalcVertexSet& list) { OnRender(list); };
    m_draw = [this] { OnDraw(); };
    m_state = StateIdle;
    m_previousState = StateIdle;
    m_textColor = 0xFFFFFFFF;
    return 0;
}

void GraphicObject::Update(float timeStep) {
    if (m_update) m_update(timeStep);
}

void GraphicObject::Render(CalcVertexSet* list) {
    if (list && m_render) m_render(*list);
}

void GraphicObject::Draw() {
    if (IDirect3DDevice9* device = GetDevice()) {
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    }
    if (m_draw) m_draw();
}

float GraphicObject::GetDrawPriority() {
    const float priority = 500.0f + static_cast<float>(m_state);
    SetDrawPriority(priority);
    return priority;
}

// ---------------------------------------------------------------------------
// Requests

void GraphicObject::Enter(int state) {
    m_previousState = m_state;
    m_state = state;
    m_clock = 0.0f;
}

void GraphicObject::RequestPortrait(int state, const char* key) {
    const std::string name = key ? key : "";
    const std::string& shown = m_clock >= 0.0f ? m_incomingKey : m_currentKey;
    if (m_state == state && name == shown) return;
    Enter(state);
    m_incomingKey = name;
    m_rate = 1.0f;
    m_effectColor = D3DXCOLOR();
}

void GraphicObject::RequestText(int state, const wchar_t* text, D3DCOLOR colour) {
    const std::wstring line = text ? text : L"";
    if (m_state == state && line == m_text) return;
    Enter(state);
    m_incomingKey = line.empty() ? "" : "speak";
    m_text = line;
    m_textColor = colour;
    m_rate = 1.0f;
    m_effectColor = D3DXCOLOR();
}

void GraphicObject::SetLeftPortrait(const char* key, bool listening) {
    RequestPortrait(listening ? StateLeftListening : StateLeftPortrait, key);
}

void GraphicObject::SetRightPortrait(const char* key, bool listening) {
    RequestPortrait(listening ? StateRightListening : StateRightPortrait, key);
}

void GraphicObject::SetLeftText(const wchar_t* text, bool silent) {
    RequestText(silent ? StateLeftTextSilent : StateLeftText, text, kLeftTextColor);
}

void GraphicObject::SetRightText(const wchar_t* text, bool silent) {
    RequestText(silent ? StateRightTextSilent : StateRightText, text, kRightTextColor);
}

void GraphicObject::ShowSpellCutIn(const char* key) {
    const std::string name = key ? key : "";
    if (m_state == StateCutInMirrored && (m_clock >= 0.0f || m_currentKey == name)) return;
    Enter(StateCutInMirrored);
    m_incomingKey = name;
    m_rate = 1.0f;
    m_effectColor = D3DXCOLOR();
    PlaySpellSound();
}

void GraphicObject::PlaySpellSound() {
    SoundManager* sounds = g_pEnvironment2 ? g_pEnvironment2->soundManager : nullptr;
    SoundUnit* sound = sounds ? sounds->FindSound(L"spell") : nullptr;
    if (!sound || sound->IsIntervalBlocked(timeGetTime())) return;
    sound->Stop();
    sound->Play(SoundUnit::PLAY_REWIND);
    sound->SetLastPlayTime(timeGetTime());
}

void GraphicObject::RequestEffect(int state, const D3DXCOLOR& colour, float rate) {
    // Repeated requests change nothing, except that a finished flash has left
    // nothing on screen: the next spell attack's flash runs again.
    if (m_state == state && (state != StateFlash || m_clock >= 0.0f)) return;
    Enter(state);
    m_incomingKey.clear();
    ReleaseEffectTexture();
    m_effectColor = colour;
    m_rate = rate;
}

void GraphicObject::StartColorFlash(const D3DXCOLOR& colour) { RequestEffect(StateFlash, colour, 1.0f); }

void GraphicObject::StartFadeToColor(const D3DXCOLOR& colour, float rate) { RequestEffect(StateFadeTo, colour, rate); }

void GraphicObject::StartFadeFromColor(const D3DXCOLOR& colour, float rate) {
    RequestEffect(StateFadeFrom, colour, rate);
}

void GraphicObject::ReleaseEffectTexture() {
    if (m_pEffectTexture) m_pEffectTexture->Release();
    m_pEffectTexture = nullptr;
}

// ---------------------------------------------------------------------------
// Pictures

const char* GraphicObject::MaterialOfKey(const std::string& key) {
    for (const KeyMaterial& entry : kKeyMaterials)
        if (key == entry.key) return entry.material;
    return "";
}

D3DCOLOR GraphicObject::RestColor(int state, float alphaFactor) {
    float brightness = 1.0f, alpha = 1.0f;
    if (state == 7 || state == 8) brightness = 0.5f, alpha = 0.5f;
    else if (state == 5 || state == 6) brightness = 0.5f, alpha = 0.0f;
    else if (state == 1 || state == 2) alpha = 0.7f;
    return ColorFromFloats(alpha * alphaFactor, brightness, brightness, brightness);
}

void GraphicObject::ClearSprite(Sprite2DInfo& sprite) {
    sprite.color = 0;
    sprite.SetMaterial(nullptr);
}

void GraphicObject::SetSpriteKey(const std::string& key, Sprite2DInfo& sprite, int state) {
    if (key.empty()) {
        ClearSprite(sprite);
        return;
    }
    sprite.x = 0.0f;
    sprite.y = 0.0f;
    sprite.color = 0xFFFFFFFF;
    sprite.width = kPictureWidth;
    sprite.height = kPortraitHeight;
    sprite.uv[0] = D3DXVECTOR2(0.0f, 1.0f);
    sprite.uv[1] = D3DXVECTOR2(1.0f, 1.0f);
    sprite.uv[2] = D3DXVECTOR2(0.0f, 0.0f);
    sprite.uv[3] = D3DXVECTOR2(1.0f, 0.0f);
    sprite.centered = 0;
    sprite.reverseAngle = 1;
    sprite.sizeAsStored = 1;
    sprite.SetMaterial(FindGraphicMaterial(GetManager(), MaterialOfKey(key)));
    if (IsMirrored(state)) {
        std::swap(sprite.uv[0], sprite.uv[1]);
        std::swap(sprite.uv[2], sprite.uv[3]);
    }
    if (IsSpeech(state)) sprite.height = kSpeechHeight;
}

// ---------------------------------------------------------------------------
// Frame

void GraphicObject::OnUpdate(float timeStep) {
    StepTransition();
    if (!IsScreenEffect(m_state)) UpdateLayout();
    if (m_clock >= 0.0f) m_clock += timeStep * ClockSpeed(m_state) * m_rate;
}

void GraphicObject::StepTransition() {
    if (m_clock < 0.0f) return;
    if (IsScreenEffect(m_state)) {
        ClearSprite(m_spriteA);
        ClearSprite(m_spriteB);
        if (m_clock >= 1.0f) m_clock = -1.0f;
        return;
    }
    if (IsCutIn(m_state)) {
        if (m_clock == 0.0f) {
            SetSpriteKey(m_currentKey, m_spriteA, m_previousState);
            SetSpriteKey(m_incomingKey, m_spriteB, m_state);
        }
        if (m_clock >= 1.0f) {
            m_clock = -1.0f;
            ClearSprite(m_spriteA);
            ClearSprite(m_spriteB);
            return;
        }
        const float s = std::sin(D3DX_PI * m_clock);
        m_spriteA.color = 0;
        m_spriteB.color = ColorFromFloats(0.9f * s, s, s, s);
        return;
    }
    if (m_clock >= 1.0f) {
        m_currentKey = m_incomingKey;
        m_incomingKey.clear();
        SetSpriteKey(m_currentKey, m_spriteA, m_state);
        ClearSprite(m_spriteB);
        m_spriteA.color = RestColor(m_state);
        m_clock = -1.0f;
        return;
    }
    if (m_clock == 0.0f) {
        SetSpriteKey(m_currentKey, m_spriteA, m_previousState);
        SetSpriteKey(m_incomingKey, m_spriteB, m_state);
    }
    m_spriteA.color = RestColor(m_previousState, 1.0f - m_clock);
    m_spriteB.color = RestColor(m_state, m_clock);
}

void GraphicObject::UpdateLayout() {
    const Layout layout = LayoutOf(m_state);
    bool fromStart = layout.always;
    for (int from : layout.from) fromStart = fromStart || from == m_previousState;
    const D3DXVECTOR2 start = fromStart ? layout.start : layout.rest;
    D3DXVECTOR2 position = layout.rest;
    if (m_clock >= 0.0f && m_clock <= 1.0f) position = start + (layout.rest - start) * m_clock;
    const bool mirrored = IsMirrored(m_state);
    for (Sprite2DInfo* sprite : {&m_spriteA, &m_spriteB}) {
        sprite->x = mirrored ? Aspect() - position.x - sprite->width : position.x;
        sprite->y = position.y;
    }
}

void GraphicObject::OnRender(CalcVertexSet& list) {
    PushRenderStatePreset(&list, ShaderManager::BlendAlpha);
    if (Drawable(m_spriteA)) PushSprite2D(&list, m_spriteA);
    if (m_clock >= 0.0f && Drawable(m_spriteB)) PushSprite2D(&list, m_spriteB);
    // The text and the full-screen passes are drawn on the main thread.
    PushDrawObject(&list, this);
}

D3DXCOLOR GraphicObject::GetScreenColor() const {
    float factor = 0.0f;
    if (m_state == StateFlash && m_clock >= 0.0f) factor = std::sin(D3DX_PI * m_clock);
    else if (m_state == StateFadeTo) factor = m_clock >= 0.0f ? m_clock : 1.0f;
    else if (m_state == StateFadeFrom) factor = m_clock >= 0.0f ? 1.0f - m_clock : 0.0f;
    return m_effectColor * factor;
}

void GraphicObject::OnDraw() {
    if (m_clock < 0.0f && (m_state == StateLeftText || m_state == StateRightText)) {
        FontManager* font = m_pManager ? m_pManager->GetFont() : nullptr;
        if (!font || m_text.empty() || !g_pEnvironment) return;
        const float x = m_spriteA.x + (m_state == StateLeftText ? kLeftTextX : kRightTextX);
        const float y = m_spriteA.y + kTextY;
        font->DrawText(static_cast<int>(g_pEnvironment->XFromScreenRatio(x)),
                       static_cast<int>(g_pEnvironment->YFromScreenRatio(y)), m_text.c_str(), m_textColor);
        return;
    }
    if (!IsScreenEffect(m_state)) return;
    const D3DXCOLOR colour = GetScreenColor();
    if (colour.a <= 0.0f) return;
    auto* objects = dynamic_cast<ObjectManager*>(GetManager());
    ShaderManager* shaders = objects ? objects->GetShaderManager() : nullptr;
    if (!shaders && g_pEnvironment2) shaders = g_pEnvironment2->shaderManager;
    auto* copy = shaders ? dynamic_cast<Shader_CopyTexture*>(shaders->GetShader("CopyTexture")) : nullptr;
    if (!copy) return;
    copy->m_fillColor[0] = colour.r;
    copy->m_fillColor[1] = colour.g;
    copy->m_fillColor[2] = colour.b;
    copy->m_fillColor[3] = colour.a;
    copy->SetTexture(m_pEffectTexture);
    copy->Apply(nullptr, -1, -1);
    copy->SetTexture(nullptr);
}
