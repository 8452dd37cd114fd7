// The Normal set's homing missile: it turns to face its target every frame,
// never flies past it, explodes on contact and gives its lock back when it
// ends. Not pooled: the machine creates each one and it removes itself.
#pragma once
#include "engine/assets/MeshInfo.h"
#include "game/player/weapons/Bullet.h"
#include "game/player/weapons/MarkerGenerator.h"

class Character;
class Player;

class Missile : public Bullet {
public:
    enum HomingModeId { HomingNormal = 1, HomingZenk = 2 };

    // The start record of the missile and the amulet.
    struct InitParam {
        Quorvex::Object* owner = nullptr;
        Character* target = nullptr;
        Marker* marker = nullptr;
    };

    Missile(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager, const Quorvex::AreaPos& start);
    ~Missile() override;

    using Bullet::Initialize;
    int Initialize(const InitParam& record);
    void Update(float dt) override;
    void OnCollision(Quorvex::Object* other) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    void Draw() override;
    const char* GetTypeName() const override { return "mis"; }

    // Holds the new target and swaps the body: "Missile" with a target,
    // "MissileBig" without.
    void SetTarget(Character* enemy);
    Character* GetTarget() const { return target; }
    // Mode 2 is the Zenk-mode missile: faster.
    void SetHomingMode(int mode);
    // One step towards the target (or straight on without one).
    void Home();

    Marker* GetMarker() const { return marker.Get(); }
    float GetAge() const { return age; }

    int HomingMode = HomingNormal;
    float speed = 785.0f;
    float explosionSize = 20.0f;

protected:
    // The attack power Initialize sets.
    virtual float InitialAttackPower() const { return 100.0f; }
    // The trail of one frame: step = the move since the frame began.
    virtual void EmitTrail(const D3DXVECTOR3& step);
    // The pieces of the carried trail length: n pieces, or 0 with the new carry.
    int TrailPieces(const D3DXVECTOR3& step);
    // The machine that launched it while it is still the current player.
    Player* OwnerPlayer() const;
    // Lets go of the target and leaves the body as it is (teardown).
    void DropTarget();

    Quorvex::MeshInfo mesh;
    Character* target = nullptr;  // counted
    MarkerLink marker;
    float age = 0.0f;
    float trailCarry = 0.0f;
};
