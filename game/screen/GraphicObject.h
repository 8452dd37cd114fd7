// One dialogue window of the stage overlay: a portrait, a speech window with
// its text, the spell cut-in portrait, or the full-screen flash and fades. A
// request puts the window into a new state and starts a transition: pictures
// cross-fade and slide into their rest place. The same request every frame
// changes nothing, so callers may repeat it.
#pragma once
#include <functional>
#include <string>

#include "engine/assets/Sprite2DInfo.h"
#include "engine/core/RenderObject.h"
#include "platform/d3dx9/d3dx9.h"

namespace Quorvex {
class ObjectManager;
}
class GraphicManager;

class GraphicObject : public Quorvex::RenderObject {
public:
    enum State {
        StateIdle = 0,
        StateLeftText = 1,
        StateRightText = 2,
        StateLeftPortrait = 3,
        StateRightPortrait = 4,
        StateLeftTextSilent = 5,
        StateRightTextSilent = 6,
        StateLeftListening = 7,
        StateRightListening = 8,
        StateCutIn = 9,
        StateCutInMirrored = 10,
        StateFlash = 11,
        StateFadeTo = 12,
        StateFadeFrom = 13,
    };

    static constexpr int kUpdatePriority = 2100;
    // Text colours of the two speech windows until the speaker's is set.
    static constexpr D3DCOLOR kLeftTextColor = 0xFFFFFF80;
    static constexpr D3DCOLOR kRightTextColor = 0xFF8080FF;

    // Registered with the manager at once. The owner is not counted.
    GraphicObject(Quorvex::ObjectManager* objects, GraphicManager* owner);
    ~GraphicObject() override;

    // Update priority 2100, joins "Sprite2D", both sprites cleared, at rest
    // in state 0 with empty keys, rate 1, white text. Answers 0.
    int Initialize(int param) override;
    // Transition step, layout, clock.
    void Update(float timeStep) override;
    // The sprites (blend preset 2), then the window's own drawing.
    void Render(Quorvex::CalcVertexSet* list) override;
    // Main thread: linear filtering, then the text or the full-screen pass.
    void Draw() override;
    // 500 + state.
    float GetDrawPriority() override;

    // Portraits: listening 7 / 8, speaking 3 / 4.
    void SetLeftPortrait(const char* key, bool listening);
    void SetRightPortrait(const char* key, bool listening);
    // Speech windows: silent 5 / 6, speaking 1 / 2.
    void SetLeftText(const wchar_t* text, bool silent);
    void SetRightText(const wchar_t* text, bool silent);
    // The spell cut-in sweeping across the screen, with the "spell" sound.
    void ShowSpellCutIn(const char* key);
    // Full-screen colour: a flash rising and falling over 2 s, a fade to the
    // colour (which stays) and a fade from it, at `rate` per second.
    void StartColorFlash(const D3DXCOLOR& colour);
    void StartFadeToColor(const D3DXCOLOR& colour, float rate);
    void StartFadeFromColor(const D3DXCOLOR& colour, float rate);

    void SetTextColor(D3DCOLOR colour) { m_textColor = colour; }
    D3DCOLOR GetTextColor() const { return m_textColor; }
    int GetState() const { return m_state; }
    int GetPreviousState() const { return m_previousState; }
    float GetClock() const { return m_clock; }
    const std::string& GetCurrentKey() const { return m_currentKey; }
    const std::string& GetIncomingKey() const { return m_incomingKey; }
    const std::wstring& GetText() const { return m_text; }
    const Quorvex::Sprite2DInfo& GetSpriteA() const { return m_spriteA; }
    const Quorvex::Sprite2DInfo& GetSpriteB() const { return m_spriteB; }
    // The colour the full-screen pass lays over the screen now, or alpha 0
    // when the window draws none.
    D3DXCOLOR GetScreenColor() const;

    // The material resource of a picture key ("" for keys outside the table).
    static const char* MaterialOfKey(const std::string& key);
    // Brightness and alpha of a state's picture at rest, as ARGB; the alpha
    // scaled by the factor.
    static D3DCOLOR RestColor(int state, float alphaFactor = 1.0f);

private:
    void OnUpdate(float timeStep);
    void OnRender(Quorvex::CalcVertexSet& list);
    void OnDraw();
    void StepTransition();
    void UpdateLayout();
    // The picture of a key in the layout of a state; an empty key clears it.
    void SetSpriteKey(const std::string& key, Quorvex::Sprite2DInfo& sprite, int state);
    static void ClearSprite(Quorvex::Sprite2DInfo& sprite);
    // Starts the transition into the state.
    void Enter(int state);
    // The request rule: a repeat that changes nothing is ignored.
    void RequestPortrait(int state, const char* key);
    void RequestText(int state, const wchar_t* text, D3DCOLOR colour);
    void RequestEffect(int state, const D3DXCOLOR& colour, float rate);
    void ReleaseEffectTexture();
    void PlaySpellSound();

    GraphicManager* m_pManager;  // not counted
    Quorvex::Sprite2DInfo m_spriteA;  // at rest, and the outgoing picture
    Quorvex::Sprite2DInfo m_spriteB;  // the incoming picture
    float m_clock = -1.0f;            // -1 at rest, else 0..1
    std::string m_currentKey;
    std::string m_incomingKey;
    int m_state = StateIdle;
    int m_previousState = StateIdle;
    std::wstring m_text;
    D3DCOLOR m_textColor = 0xFFFFFFFF;
    IDirect3DBaseTexture9* m_pEffectTexture = nullptr;  // counted
    D3DXCOLOR m_effectColor;
    float m_rate = 1.0f;
    std::function<void(float)> m_update;
    std::function<void(Quorvex::CalcVertexSet&)> m_render;
    std::function<void()> m_draw;
};
