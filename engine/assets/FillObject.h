// A full-screen colour layer in the "Sprite2D" group: fills the screen with a
// colour or a texture, cross-fades between two colours, fades a colour in or
// a texture out, drawn through the "CopyTexture" shader. Its owner writes the
// mode, colours and texture directly.
#pragma once
#include "engine/core/RenderObject.h"
#include "platform/d3d9/d3d9.h"

namespace Quorvex {

class ObjectManager;

class FillObject : public RenderObject {
public:
    enum Mode {
        ModeNone = 0,      // nothing drawn
        ModeFill = 1,      // colour A (times the texture, when there is one)
        ModeCrossFade = 2, // from colour A to colour B by the progress
        ModeFadeIn = 3,    // colour A with its alpha scaled by the progress
        ModeFadeOut = 4,   // the texture with alpha A.a x (1 - progress)
    };

    // Registers with the manager, which then updates it every frame.
    explicit FillObject(ObjectManager* manager);
    // Releases the texture.
    ~FillObject() override;

    // Update priority 2100, joins "Sprite2D" (leaving any stage), draw
    // priority 100, colour A transparent black, idle (progress -1), rate 1,
    // mode 0: 0.
    int Initialize(int param) override;
    // A running progress moves by rate x the time step and ends (-1) at 1.
    void Update(float timeStep) override;
    // Queues its draw for the replay.
    void Render(CalcVertexSet* list) override;
    // The full-screen pass of the mode.
    void Draw() override;

    // Cross-fade from `startColor` to `endColor` (r, g, b, a each) over 1 /
    // rate seconds; the texture is released. The end colour comes first.
    void SetFade(const float endColor[4], const float startColor[4], float rate);
    // A solid colour (r, g, b, a); a running progress is left alone.
    void SetColor(const float color[4]);
    // The colour fading in from transparent (its alpha scaled by the
    // progress) over 1 / rate seconds.
    void FadeIn(const float color[4], float rate);
    // Old released, new referenced; null for none.
    void SetTexture(IDirect3DTexture9* texture);
    IDirect3DTexture9* GetTexture() const { return m_pTexture; }

    // The colour the fill is drawn with at the current progress, or false
    // when the mode draws nothing.
    bool GetDrawColor(float color[4]) const;

    int m_mode = ModeNone;
    float m_colorA[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float m_colorB[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    // -1 finished or idle, else 0 to 1.
    float m_progress = -1.0f;
    // Progress per second.
    float m_rate = 1.0f;

private:
    IDirect3DTexture9* m_pTexture = nullptr;  // counted
};

}  // namespace Quorvex
