// The spell background: a large turning sphere around the eye behind a boss's
// spell attack. Two sphere records cross-fade from one look (mode) to the
// next over two seconds; modes 0 and 1 draw nothing.
#pragma once
#include "engine/assets/AdditionalMaterial.h"
#include "engine/assets/MeshInfo.h"
#include "engine/core/RenderObject.h"
#include "engine/core/render/ObjectManager.h"

class EnemySpellBg : public Quorvex::RenderObject {
public:
    static constexpr float kDrawPriority = -100000.0f;
    // Passed as a mode: the current first mode.
    static constexpr int kKeepMode = 2;

    // Joins "SolidModelBg", resolves "EnemySpellBg" for both spheres, then
    // SetMode(false, 1, 1, 0).
    explicit EnemySpellBg(Quorvex::ObjectManager* objectManager);
    ~EnemySpellBg() override = default;

    void Render(Quorvex::CalcVertexSet* list) override;
    void Draw() override;
    float GetDrawPriority() override;

    // Applies a changed first mode to the first sphere while fading or t < 1,
    // a changed second mode to the second sphere while fading or t > 0; the
    // colours become (1 - t) and t times the base colour. Mode 2 stands for
    // the current first mode. SetMode(true, a, b, 0) starts a cross-fade.
    void SetMode(BYTE fade, int firstMode, int secondMode, float t);
    // The same with the background as an argument, as the enemy code calls it.
    static void SetMode(BYTE fade, int firstMode, EnemySpellBg* background, int secondMode, float t) {
        if (background) background->SetMode(fade, firstMode, secondMode, t);
    }
    // The cross-fade step of one drawn frame: the progress grows by half the
    // elapsed time; at 1 the second look becomes the first.
    void AdvanceFade(float elapsed);

    int GetFirstMode() const { return m_firstMode; }
    int GetSecondMode() const { return m_secondMode; }
    float GetProgress() const { return m_progress; }
    bool IsFading() const { return m_fading != 0; }
    const D3DXVECTOR4& GetFirstColor() const { return m_firstColor; }
    const D3DXVECTOR4& GetSecondColor() const { return m_secondColor; }

    Quorvex::MeshInfo m_first;
    Quorvex::MeshInfo m_second;
    // Pitch, yaw, roll in radians.
    D3DXVECTOR3 m_rotation{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_offset{0.0f, 0.0f, 0.0f};
    D3DXVECTOR4 m_baseColor{0.2f, 0.2f, 0.2f, 0.8f};

private:
    void ApplyMode(Quorvex::MeshInfo& sphere, int mode);

    Quorvex::ObjectManager* m_pObjectManager = nullptr;  // not counted
    BYTE m_fading = 0;
    float m_progress = -1.0f;
    int m_firstMode = 0;
    int m_secondMode = 0;
    D3DXVECTOR4 m_firstColor{0.0f, 0.0f, 0.0f, 0.0f};
    D3DXVECTOR4 m_secondColor{0.0f, 0.0f, 0.0f, 0.0f};
    Quorvex::AdditionalMaterial m_plainLayer;  // "matNone" on "Mesh_enemy_spell_bg"
};
