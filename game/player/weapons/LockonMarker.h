// The player's reticle: a 2D sprite near the screen centre that the machine
// steers. Each frame it locks every listed enemy whose screen position lies
// inside its lock circle, whose radius grows as the enemy comes closer.
#pragma once
#include "engine/assets/Sprite2DInfo.h"
#include "engine/core/RenderObject.h"

class MarkerGenerator;
class Player;

class LockonMarker : public Quorvex::RenderObject {
public:
    enum State { StateNone = 0, StateNormal = 1, StateZenk = 2 };

    // Builds the sprite, state 1, joins "Sprite2D" and registers with the
    // generator.
    LockonMarker(Quorvex::IObjectManager* manager, MarkerGenerator* generator, Player* player);
    ~LockonMarker() override;

    using Quorvex::RenderObject::Initialize;
    // Priority 710, draw priority 0: 0.
    int Initialize(int param) override;
    void Update(float dt) override;
    void Render(Quorvex::CalcVertexSet* list) override;

    // Stores the point, then keeps it inside the box around the screen centre.
    void SetPosition(float x, float y);
    float GetX() const { return m_sprite.x; }
    float GetY() const { return m_sprite.y; }
    void SetState(int n);
    int GetState() const { return state; }

    // The lock radius factor for an enemy at that distance, as a share of half
    // the screen height.
    static float LockRadiusFactor(int state, float distance);

    // The gun heat shown with the reticle, kept in [0, 1]. While it is above
    // 0 a glowing bar stands right of the reticle, its length the heat, its
    // colour from green to red.
    void SetHeat(float value);
    float GetHeat() const { return m_heat; }
    // The heat bar as the last draw placed it.
    const Quorvex::Sprite2DInfo& GetHeatSprite() const { return m_heatSprite; }

    // The machine is going away: the reticle stops reading it.
    void ForgetPlayer() { player = nullptr; }
    void ForgetGenerator() { generator = nullptr; }
    const Quorvex::Sprite2DInfo& GetSprite() const { return m_sprite; }

    MarkerGenerator* generator;  // not counted: held by the stage
    Player* player;              // not counted: the player owns the reticle
    int state = StateNone;
    float spinTime = 0.0f;
    float charge = 0.0f;
    float LockAmount = 100.0f;

private:
    Quorvex::Sprite2DInfo m_sprite;
    Quorvex::Sprite2DInfo m_heatSprite;
    float m_heat = 0.0f;

    // Places and colours the heat bar beside the reticle as drawn now.
    void PlaceHeatBar();
};
