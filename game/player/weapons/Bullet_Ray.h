// Rays: long beams of segments that grow in, hurt while fully grown and fade
// out. Bullet_Ray is a straight beam its launcher aims and sweeps; it never
// ends by itself. Bullet_Ray2 is a moving head that lays a trail of segments
// behind it and ends 2 s after launch.
#pragma once
#include "game/player/weapons/Bullet_RayPart.h"

class Bullet_Ray : public Bullet_Beam<Bullet_RayPart> {
public:
    static constexpr float kPartAttackPower = 40.0f;
    static constexpr float kSegmentSpacing = 50.0f;
    static constexpr float kSegmentLength = 75.0f;

    struct SetParam : public BeamSetParam {
        using BeamSetParam::BeamSetParam;
    };

    Bullet_Ray(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager, const Quorvex::AreaPos& start);
    ~Bullet_Ray() override;

    // Takes a Bullet_Ray::SetParam; -1 for any other record.
    int ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) override;
    void Update(float dt) override;
    // Piercing.
    void OnCollision(Quorvex::Object* other) override;
    void ReturnToFactory() override;

    // Applied to every segment of the ray.
    static void SetColorType(Bullet_Ray* ray, int colorType);
    static void SetPartsValue(Bullet_Ray* ray, int blendMode);
    // Starts the fade-out of a ray that is still active.
    static void ClampFade(Bullet_Ray* ray);
    // Every segment goes back to its pool and loses the ray's reference.
    static void ClearParts(Bullet_Ray* ray);

    float GetWidth() const { return width; }
    float GetLength() const { return length; }
    bool IsActive() const { return fade < 0.0f; }

    // The launcher may write the fade at any time (the laser attack does),
    // as it does the rate of both growth and fade.
    using Bullet_Beam::fade;

protected:
    // Growth and fade of this frame, after elapsed and drift; switches the
    // segments' bodies at the edges of full growth. False when the fade has
    // ended and the ray went back to its pool.
    bool GrowAndFade(float dt, bool alwaysCollide);
    // The bodies at the edges of full growth: a straight ray switches its
    // segments' bodies and its power with them.
    virtual void SwitchBodies(bool on);
    // Bodies from the "RayPart" shape on every segment present, or none.
    void SwitchSegmentBodies(bool on);
    // Takes one segment from the part pool (null when none is free).
    Bullet_RayPart* AcquirePart();

private:
    void Launch(const SetParam& record);
    void PlaceSegments();
};

// The moving head with its trail. It homes while a target is held, laying a
// segment every 0.2 s (at most 50) where it flies.
class Bullet_Ray2 : public Bullet_Ray {
public:
    static constexpr int kMaxTrail = 50;
    static constexpr float kSpawnInterval = 0.2f;
    static constexpr float kLifetime = 2.0f;
    static constexpr float kTrailLength = 60.0f;

    // The vector is the velocity, units per second; the orientation is not
    // read: the head faces its flight.
    struct SetParam : public BeamSetParam {};

    using Bullet_Ray::Bullet_Ray;
    ~Bullet_Ray2() override;

    // Takes a Bullet_Ray2::SetParam; -1 for any other record.
    int ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) override;
    void Update(float dt) override;
    void ReturnToFactory() override;

    // Homing on the object until the head points at it (counted; null drops).
    void SetTarget(Object3D* target);
    Object3D* GetTarget() const { return target; }
    const D3DXVECTOR3& GetVelocity() const { return vector; }

protected:
    // The power of the trail does not change with its bodies.
    void SwitchBodies(bool on) override { SwitchSegmentBodies(on); }

private:
    void Launch(const SetParam& record);
    void Home(float dt);
    void LayTrail(float dt);
    void PlaceTrail();

    float spawnTimer = 0.0f;
    Object3D* target = nullptr;  // counted
};
