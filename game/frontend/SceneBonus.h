// After the ending of a run that unlocked something: between two white fades,
// one message picture for each unlock notice the run raised (extra stage,
// Velrin B, Toska) over a black screen; then the run ends through the game
// manager (ranking, then the title).
#pragma once
#include "engine/core/AreaPos.h"
#include "engine/core/SceneBase.h"
#include "game/frontend/SceneEnding.h"

namespace Quorvex {
class FillObject;
class RenderObjectSpr2D;
}  // namespace Quorvex

class EffectGenerator;
class Title_Background;
class ViewObject;

class SceneBonus : public Quorvex::SceneBase {
public:
    static constexpr float kPictureLifetime = 5.5f;

    // Named "bonus"; own object manager (32 groups, one job record) and own
    // area manager.
    SceneBonus();
    ~SceneBonus() override;

    // 0; -1 at the first failing step; -2 when the effect generator fails.
    int OnInitialize(void* param) override;
    void OnUpdate(float timeStep) override;
    // The ending's render hook.
    void OnRender() override;
    // The timed steps; due steps run, then both panels are made black.
    void RunSequence(float timeStep);

    // A picture of the Chara2D id at client pixels, for `lifetime` seconds.
    void AddPicture(const char* id, float x, float y, float lifetime);

    int GetStep() const { return m_step; }
    const SceneEnding::PictureList& GetPictures() const { return m_pictures; }

protected:
    void RunStep(int step);
    int CreateObjects();
    void ReleaseAll();

    Title_Background* m_pBackground = nullptr;  // counted
    int m_step = 0;
    float m_wait = 0.0f;
    float m_sinceStep = 0.0f;
    Quorvex::AreaPos m_base;
    float m_clock = 0.0f;
    SceneEnding::PictureList m_pictures;
    ViewObject* m_pCamera = nullptr;                                // counted
    EffectGenerator* m_pEffects = nullptr;                          // counted
    Quorvex::FillObject* m_pFill = nullptr;                         // counted
    Quorvex::RenderObjectSpr2D* m_pPanels[2] = {nullptr, nullptr};  // counted
    bool m_bound = false;
};
