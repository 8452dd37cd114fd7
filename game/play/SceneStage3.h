// Stage 3: a flight over a lake drawn with the wide water surface, a long
// dialogue with the stage-3 boss, the fight in an arena that closes around the
// player and a closing dialogue. Its timeline lets every entry end by time:
// the clock runs through the held entries too, so they end on a skip or at
// the latest after their duration.
#pragma once
#include "engine/core/AreaPos.h"
#include "game/play/SceneStage.h"

class Enemy_Pentra;

namespace Quorvex {
class Shader_WideWater;
}

class SceneStage3 : public SceneStage {
public:
    static constexpr float kMinShowTime = 0.25f;
    static constexpr float kAutoTime = 3.5f;

    SceneStage3();
    // Releases the held water shader.
    ~SceneStage3() override;

    // The stage base's set-up (which builds the list), then the "WideWater"
    // shader (held; -1 when the shader manager has none) and the music phase
    // 1 without releasing the playing music. 0, or -1.
    int OnInitialize(void* param) override;
    IAreaFactory* CreateAreaFactory() override;
    // Seven entries; the last two fade out and end the run in single-stage
    // play, else they close the stage and request stage 4.
    void BuildEventList() override;

    // The stage's one look (the same for every kind; bloom threshold 0.5).
    static EnvironmentPreset MakePreset();
    static void ApplyLook();

    // The world's base position with its z cell made even (an odd cell moves
    // one step toward zero).
    static Quorvex::AreaPos MakeArenaReference(const Quorvex::Int3& baseCell);

    GraphicManager::SpeakSet* Dialogue1(SpeakParam& speak);
    GraphicManager::SpeakSet* Dialogue2(SpeakParam& speak);

private:
    void Event0(EventSet* e);
    void Event1(EventSet* e);
    void Event2(EventSet* e);
    void Event3(EventSet* e);
    void Event4(EventSet* e);
    void Event5(EventSet* e);
    void Event6(EventSet* e);

    void Look();
    void SetBaseCell(const Quorvex::Int3& cell);
    Enemy_Pentra* Boss() const;

    Quorvex::Shader_WideWater* m_pWater = nullptr;  // counted
    Quorvex::AreaPos m_arena;
};
