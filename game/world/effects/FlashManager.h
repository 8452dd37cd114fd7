// Timed full-screen colour flashes. Any part of the game starts one with three
// colours and two times; each frame the manager picks the live flash of the
// greatest current weight and hands its colour and weight to the screen blur,
// which tints the frame with it.
#pragma once
#include "engine/core/Object.h"
#include "engine/core/render/FactoryAdapter.h"
#include "platform/d3dx9/d3dx9.h"

// Start record of a flash: colours (r, g, b, a in 0..1) at the start, at t1
// and at t2; the weight scale p; the object manager the flash joins.
struct FlashParam : public Quorvex::IFactoryProduct::ISetParam {
    D3DXVECTOR4 c0{1.0f, 1.0f, 1.0f, 1.0f};
    D3DXVECTOR4 c1{1.0f, 1.0f, 1.0f, 1.0f};
    D3DXVECTOR4 c2{1.0f, 1.0f, 1.0f, 1.0f};
    float t1 = 0.0f;
    float t2 = 0.0f;
    float p = 0.0f;
    Quorvex::IObjectManager* manager = nullptr;
};

class FlashObject : public Quorvex::Object, public Quorvex::FactoryProductAdapter {
public:
    explicit FlashObject(Quorvex::IObjectManager* manager);

    // Update priority 2100: 0.
    int Initialize(int param) override;
    // Weight ramps to p by t1, drops to 0 and ramps to p again by t2, when
    // the flash finishes.
    void Update(float timeStep) override;
    int ApplySetParam(ISetParam* param) override;
    // Removal requested, back to the pool.
    void ReturnToFactory() override;

    // The colour at the current time.
    D3DXVECTOR4 GetColor() const;
    float GetWeight() const { return m_weight; }
    float GetElapsed() const { return m_elapsed; }

private:
    D3DXVECTOR4 m_c0, m_c1, m_c2;
    float m_t1 = 0.0f;
    float m_t2 = 0.0f;
    float m_elapsed = 0.0f;
    float m_weight = 0.0f;
    float m_scale = 0.0f;
};

class FlashManager : public Quorvex::Object, public Quorvex::FactoryAdapter {
public:
    explicit FlashManager(Quorvex::IObjectManager* manager);
    // Leaves the game state when it still names this manager.
    ~FlashManager() override;

    // Update priority 2200, published in the game state: 0.
    int Initialize(int param) override;
    // Writes the best flash's weight and colour (-1 and white without one)
    // into the screen blur.
    void Update(float timeStep) override;

    // A flash from the pool; the manager keeps no extra reference.
    void StartFlash(const D3DXVECTOR4& c0, const D3DXVECTOR4& c1, const D3DXVECTOR4& c2, float t1, float t2,
                    float p);

    Quorvex::IFactoryProduct* CreateProduct() override;

    // This frame's choice (also written into the blur).
    float GetBestWeight() const { return m_bestWeight; }
    const D3DXVECTOR4& GetBestColor() const { return m_bestColor; }

private:
    float m_bestWeight = -1.0f;
    D3DXVECTOR4 m_bestColor{1.0f, 1.0f, 1.0f, 1.0f};
};
