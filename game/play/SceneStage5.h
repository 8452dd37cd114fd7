// Stage 5: flower fields, one enemy map and the stage-5 boss, under an
// old-film noise laid over the whole picture whose strength grows with the
// fight. RenderGroup_Noise draws that noise through the "Noise" shader, after
// the 3D picture and before the post passes of "End".
#pragma once
#include <cstdint>

#include "engine/core/render/RenderGroup.h"
#include "game/play/SceneStage.h"

namespace Quorvex {
class Shader_Noise;
}

class RenderGroup_Noise : public Quorvex::RenderGroup {
public:
    static constexpr int OrderKey = 6990;
    static constexpr int ShaderLoadFailed = -100;

    RenderGroup_Noise();
    ~RenderGroup_Noise() override;

    // Finds the "Noise" shader and lets go of the picture it held; creates,
    // loads and registers one when the shader manager has none
    // (ShaderLoadFailed when it does not load).
    int Prepare(int argument) override;
    // Z test and fog off, its own stage, then, only while the noise strength
    // is above 0, the noise pass from the picture drawn so far into the other
    // target of the "Begin" pair.
    void Draw() override;
    int GetOrderKey() const override { return OrderKey; }
};

class SceneStage5 : public SceneStage {
public:
    static constexpr const char* kNoiseGroupName = "Noise";

    SceneStage5();
    // Takes the noise group out of the object manager and lets go of it.
    ~SceneStage5() override;

    // The stage base's set-up, the area windows and the noise group (made
    // and registered when the scene has none; -1 when that fails). 0, or -1.
    int OnInitialize(void* param) override;
    // The stage base's frame, then (unless paused) the noise step.
    void OnUpdate(float timeStep) override;
    IAreaFactory* CreateAreaFactory() override;
    void BuildEventList() override;

    // The strength after one step of dt toward the target: it only grows
    // (a strength above the target stays), at most rate * dt a step, never
    // above 1.
    static float StepNoise(float strength, float target, float rate, float timeStep);
    // The "Noise" shader of the game, or null.
    static Quorvex::Shader_Noise* GetNoiseShader();
    void SetNoiseTarget(float target, float rate) {
        m_noiseTarget = target;
        m_noiseRate = rate;
    }
    float GetNoiseTarget() const { return m_noiseTarget; }
    float GetNoiseRate() const { return m_noiseRate; }
    // One noise step (the frame's part after the stage base).
    void UpdateNoise(float timeStep);

    GraphicManager::SpeakSet* Dialogue1(SpeakParam& speak);
    GraphicManager::SpeakSet* Dialogue2(SpeakParam& speak);

private:
    void Event1(EventSet* e);
    void Event2(EventSet* e);
    void Event3(EventSet* e);
    void Event4(EventSet* e);
    void Event5(EventSet* e);
    void Event6(EventSet* e);
    void Event7(EventSet* e);
    void Event8(EventSet* e);
    void Event9(EventSet* e);
    void Event10(EventSet* e);
    void Event11(EventSet* e);
    void Event12(EventSet* e);

    // The fight entries: noise target on entry, the end once the boss's
    // phase passes the mark (mark < 0: only the boss's skip ends it).
    void FightStep(float noiseTarget, int phaseMark);
    int BossPhase() const;

    RenderGroup_Noise* m_pNoise = nullptr;  // counted
    float m_noiseTarget = 0.0f;
    float m_noiseRate = 0.0f;
    Quorvex::AreaPos m_worldReference;
    // Which one-time steps of the running dialogue have been done.
    uint32_t m_dialogueDone = 0;
};
