// Base of the player's machine, the enemies and bosses and the menu models: a
// 3D object with three gauges that callers read and write in place.
#pragma once
#include "game/world/Object3D.h"

class Character : public Object3D {
public:
    Character(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
              const Quorvex::AreaPos& position);
    ~Character() override;

    // Alive while above 0.
    virtual float* GetLife() { return &m_life; }
    virtual float* GetGauge() { return &m_gauge; }
    // The player keeps its maximum life here.
    virtual float* GetGauge2() { return &m_gauge2; }
    // gauge += delta, capped at the life; there is no lower bound.
    virtual void AddGauge(float delta);
    // Called when one of this character's projectiles hit an enemy.
    virtual void OnShotHit(Object3D* projectile);

    bool IsAlive() const { return m_life > 0.0f; }

protected:
    float m_life = 0.0f;
    float m_gauge = 0.0f;
    float m_gauge2 = 0.0f;
};
