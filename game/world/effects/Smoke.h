// The terrain smoke puff and its pool: a camera-facing "matSmoke" sprite that
// drifts with a velocity, turns slowly, fades in and out over its life and
// goes back to its pool when its life reaches 1. The pool follows the world
// centre and moves the live puffs when the centre cell changes.
#pragma once
#include <string>

#include "engine/assets/Sprite3DInfo.h"
#include "engine/core/render/FactoryAdapter.h"
#include "game/world/Object3D.h"

struct CenterInfo;

class Smoke : public Quorvex::RenderObject, public Quorvex::FactoryProductAdapter {
public:
    // Launch record: the manager to join and the render stage's name.
    struct SetParam : public Quorvex::IFactoryProduct::ISetParam {
        Quorvex::ObjectManager* manager = nullptr;
        std::string stage;
        SetParam() = default;
        SetParam(Quorvex::ObjectManager* m, const char* name) : manager(m), stage(name ? name : "") {}
    };

    explicit Smoke(Quorvex::IObjectManager* manager);

    // "matSmoke", colour 0x40FFFFFF, inset corners, no turn: 0.
    int Initialize(int param) override;
    // Ages, moves, turns, sizes and fades; returns itself at life 1.
    void Update(float timeStep) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    int ApplySetParam(ISetParam* param) override;
    // Leaves its stage, asks for removal, back to the pool.
    void ReturnToFactory() override;

    // Fields the caller fills after the hand-out.
    Quorvex::Sprite3DInfo m_sprite;
    float m_life = 0.0f;
    float m_lifeRate = 1.0f;
    D3DXVECTOR3 m_velocity{0.0f, 0.0f, 0.0f};
    float m_spin = 0.0f;
    float m_size = 1.0f;
    float m_color[3] = {1.0f, 1.0f, 1.0f};
    float m_alphaScale = 0.25f;

    // Position relative to the centre cell.
    D3DXVECTOR3& Position() { return m_sprite.position; }
};

class SmokeFactory : public Object3D, public Quorvex::FactoryAdapter {
public:
    static constexpr int kMaxCount = 2000;

    // The pool copies the centre record's position every frame (the game
    // state's record when null).
    SmokeFactory(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                 CenterInfo* center = nullptr);
    ~SmokeFactory() override;

    // Update priority 710: 0.
    int Initialize(int param) override;
    // Follows the centre; moves every puff in use when the cell changed.
    void Update(float timeStep) override;

    Quorvex::IFactoryProduct* CreateProduct() override;
    // A puff for the record, or null when 2000 are in use.
    Smoke* AcquireSmoke(Smoke::SetParam* param);

private:
    CenterInfo* m_pCenter;
};
