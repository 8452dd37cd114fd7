// Floating score markers: when an enemy is shot down a small glyph from the
// HUD atlas is shown where it was, with the points beside it as digits. It
// pulses for 0.8 s, stretches out sideways and fades for 0.2 s, and goes back
// to its pool. Markers are 2D sprites placed by projecting their world
// position every frame, and they move with the world centre.
#pragma once
#include <cstdint>

#include "engine/assets/Sprite2DInfo.h"
#include "engine/core/AreaPos.h"
#include "engine/core/RenderObject.h"
#include "engine/core/render/FactoryAdapter.h"

class NumberRenderer;
class Object3D;

class ScoreMarker : public Quorvex::RenderObject, public Quorvex::FactoryProductAdapter {
public:
    static constexpr float kDigitSize = 0.044444446f;

    // Launch record; the pool fills the object manager.
    struct SetParam : public Quorvex::IFactoryProduct::ISetParam {
        Object3D* target = nullptr;
        Quorvex::IObjectManager* manager = nullptr;
        float multiplier = 1.0f;  // filled by the callers, not used here
        int64_t score = 0;
    };

    explicit ScoreMarker(Quorvex::IObjectManager* manager);
    ~ScoreMarker() override;

    // The glyph on "matHud" and the number renderer: 0, or -1.
    int Initialize(int param) override;
    void Update(float timeStep) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    int ApplySetParam(ISetParam* param) override;
    // The number hidden, out of the stages, removal requested, back to the pool.
    void ReturnToFactory() override;

    // Projects the position: glyph place and size for progress t.
    void PlaceGlyph(float t);

    bool IsVisible() const { return m_visible; }
    float GetProgress() const { return m_progress; }
    float GetDistanceScale() const { return m_distanceScale; }
    const Quorvex::AreaPos& GetPosition() const { return m_position; }
    Object3D* GetTarget() const { return m_pTarget; }
    NumberRenderer* GetNumber() const { return m_pNumber; }
    Quorvex::Sprite2DInfo m_sprite;

private:
    void ReleaseTarget();

    bool m_visible = false;
    float m_progress = 0.0f;
    Object3D* m_pTarget = nullptr;  // counted
    Quorvex::AreaPos m_position;
    float m_width = 0.17777778f;
    float m_height = 0.0f;
    float m_offsetY = 0.025f;
    float m_offsetX = 0.0f;
    float m_distanceScale = 1.0f;
    int64_t m_score = 0;
    NumberRenderer* m_pNumber = nullptr;  // counted
};

class ScoreMarkerFactory : public Quorvex::Object, public Quorvex::FactoryAdapter {
public:
    static constexpr int kMaxCount = 100;

    explicit ScoreMarkerFactory(Quorvex::IObjectManager* manager);
    // Leaves the game state when it still names this pool.
    ~ScoreMarkerFactory() override;

    // Published in the game state: 0.
    int Initialize(int param) override;
    Quorvex::IFactoryProduct* CreateProduct() override;
    int ApplyParam(Quorvex::IFactoryProduct* product, Quorvex::IFactoryProduct::ISetParam* param) override;
    // A marker for the record (a reference for the caller), or null.
    ScoreMarker* AcquireMarker(ScoreMarker::SetParam* param);
};
