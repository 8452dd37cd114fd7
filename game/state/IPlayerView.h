// What the world, the camera and the screen effects read of the player's
// machine. The player implements it; a followed or targeted world object is
// the player exactly when it answers this interface.
#pragma once
#include "platform/d3dx9/d3dx9.h"

class IPlayerView {
public:
    virtual float GetSpeed() const = 0;
    virtual float GetMaxSpeed() const = 0;
    // (speed - minimum) / (maximum - minimum), at least 0.
    virtual float GetSpeedRate() const = 0;
    // Steering state and its limits, per axis.
    virtual const D3DXVECTOR3& GetVelocity() const = 0;
    virtual const D3DXVECTOR3& GetVelocityMin() const = 0;
    virtual const D3DXVECTOR3& GetVelocityMax() const = 0;
    // Pitch, yaw, roll of the machine as the camera sees it.
    virtual const D3DXVECTOR3& GetAttitude() const = 0;
    // The reticle's screen point (the blur centre).
    virtual const D3DXVECTOR2& GetViewPoint() const = 0;
    // The camera shake the explosions ask for (read and written).
    virtual D3DXVECTOR3& ShakeVector() = 0;

protected:
    ~IPlayerView() = default;
};
