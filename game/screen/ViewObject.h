// The one camera of a scene: every frame it computes eye, look-at point and up
// vector and hands them to the scene's object manager, and moves the sound
// listener to its own position. Three modes: free (moved with the View* keys),
// placed (the scene sets position, orientation and look-at point) and follow
// (behind the followed machine, swinging against its steering, with shake).
#pragma once
#include "game/world/Object3D.h"

class ViewObject : public Object3D {
public:
    enum Mode { ModeFree = 0, ModePlaced = 1, ModeFollow = 2 };

    static constexpr int kUpdatePriority = 300;
    // Above every other object of the "Begin" group, so that the camera's
    // command comes first.
    static constexpr float kDrawPriority = 100000000.0f;

    // No follow target and no marker; the position defaults to the world
    // origin.
    ViewObject(Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
               const Quorvex::AreaPos& position = Quorvex::AreaPos());
    // Clears the game state's view object when it still names this camera;
    // releases the target and the marker.
    ~ViewObject() override;

    // Update priority 300, joins "Begin", mode follow, eye (0, 30, -30),
    // look-at (0, 0, 0), up (0, 1, 0), binds the View* keys and becomes the
    // game state's view object. Answers 0.
    int Initialize(int param) override;
    // Unbinds the View* keys.
    void Finalize() override;
    void Update(float timeStep) override;
    // One command that switches the shaders off; the camera draws nothing.
    void Render(Quorvex::CalcVertexSet* list) override;
    float GetDrawPriority() override;

    // Counted; null clears. The player's set-up hands itself here.
    void SetFollowTarget(Object3D* target);
    // The second reference the player hands over (its lock-on marker).
    void SetMarker(Quorvex::Object* marker);
    Quorvex::Object* GetMarker() const { return m_pMarker; }

    // look-at := eye + (0, 0, 1) x rotation, up := (0, 1, 0) x rotation; the
    // position and the sound listener move to the eye; the object manager
    // gets the camera and rebuilds its matrices.
    void ApplyView(const D3DXMATRIX& rotation);

    void SetMode(int mode) { m_mode = mode; }
    int GetMode() const { return m_mode; }
    // Look-at point of the placed mode.
    void SetPlacedLookAt(const Quorvex::AreaPos& position) { m_placedLookAt = position; }
    void SetPlacedLookAtWorld(const D3DXVECTOR3& world) { m_placedLookAt = Quorvex::AreaPos::FromWorld(world); }
    // World units per axis; the follow mode lets it decay by 1 per second.
    void SetShakeAmplitude(const D3DXVECTOR3& amplitude) { m_shakeAmplitude = amplitude; }
    const D3DXVECTOR3& GetShakeAmplitude() const { return m_shakeAmplitude; }

    const D3DXVECTOR3& GetEye() const { return m_eye; }
    const D3DXVECTOR3& GetLookAt() const { return m_lookAt; }
    const D3DXVECTOR3& GetUp() const { return m_up; }
    const D3DXVECTOR3& GetVelocity() const { return m_velocity; }

    // Offsets of the follow mode for a target at `targetPosition`: the lag
    // vector from the player's steering, the speed rate s and k (straight
    // flight weight) give the eye before shake.
    static D3DXVECTOR3 FollowEye(const D3DXVECTOR3& targetPosition, const D3DXVECTOR3& lag, float speedRate);
    // Moves each non-zero amplitude toward 0 by the step without crossing it.
    static void DecayShake(D3DXVECTOR3& amplitude, float step);
    // Lag of one steering axis: value / negative limit below 0, else
    // -(value / positive limit); a zero limit gives 0.
    static float SteeringLag(float value, float negativeLimit, float positiveLimit);

private:
    void UpdateFree(float timeStep);
    void UpdateFollow(float timeStep);
    void UpdatePlaced();
    void AddShake();
    // Hands eye, look-at and up to the object manager and the listener.
    void PublishCamera();
    void BindKeys(bool bind);

    D3DXVECTOR3 m_eye{0.0f, 30.0f, -30.0f};
    D3DXVECTOR3 m_lookAt{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_up{0.0f, 1.0f, 0.0f};
    int m_mode = ModeFollow;
    Object3D* m_pFollowTarget = nullptr;  // counted
    D3DXVECTOR3 m_shakeAmplitude{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_velocity{0.0f, 0.0f, 0.0f};
    Quorvex::AreaPos m_placedLookAt;
    Quorvex::Object* m_pMarker = nullptr;  // counted
    Quorvex::InputManager* m_pBoundInput = nullptr;  // counted while the keys are bound
};
