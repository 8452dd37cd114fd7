// The streaming centre during play: a body without gravity that follows the
// player (or the game state's followed object) with a dead-zone box,
// publishes its position as the game-wide centre record and moves the area
// manager's centre cell with it.
#pragma once
#include "game/state/Environment2.h"
#include "game/world/Object3D.h"

class CenterPosManager : public Object3D {
public:
    // The game-wide centre record that the game state keeps.
    using CenterInfo = ::CenterInfo;

    CenterPosManager(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                     const Quorvex::AreaPos& position);
    ~CenterPosManager() override;

    // Update priority 210, the "SolidModel" stage, a body from the
    // "CenterObject" set without gravity, registration with the game state,
    // then one Update(0): 0.
    int Initialize(int param) override;
    void Update(float timeStep) override;
    void PrintSystemInfo() override { Dump(); }
    // Never collides.
    bool CanCollide(Object3D* other) override;

    // Appends the centre's cell, offsets and world position to the
    // statistics text.
    void Dump();

    const D3DXVECTOR3& GetLastPush() const { return m_push; }

private:
    Object3D* m_pFollowed = nullptr;  // counted
    D3DXVECTOR3 m_boxMax{200.0f, 50.0f, 10.0f};
    D3DXVECTOR3 m_boxMin{-200.0f, -50.0f, -10.0f};
    Quorvex::AreaPos m_lastPos;
    D3DXVECTOR3 m_push{0.0f, 0.0f, 0.0f};
};
