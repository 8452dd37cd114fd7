// The machine's large beam: one mesh with a muzzle flare, growing in and
// fading out like every ray, hurting with one large body of its own while
// fully grown. Its launcher ends it by starting the fade.
#pragma once
#include "engine/assets/MeshInfo.h"
#include "engine/assets/Sprite3DInfo.h"
#include "game/player/weapons/Bullet_Ray.h"

class Bullet_Ray4 : public Bullet_Ray {
public:
    static constexpr float kAttackPower = 100.0f;
    static constexpr float kMeshScale = 3500.0f;

    struct SetParam : public Quorvex::IFactoryProduct::ISetParam {
        Quorvex::Object* owner = nullptr;
        D3DXQUATERNION orientation{0.0f, 0.0f, 0.0f, 1.0f};
        BYTE side = 1;  // non-zero: player side
        D3DXVECTOR3 vector{0.0f, 0.0f, 0.0f};  // not read
        float scalar = 0.0f;                   // not read
        Quorvex::AreaPos start;
        float length = 0.0f;
        float width = 0.0f;
        Quorvex::ObjectManager* objectManager = nullptr;
        void* reserved = nullptr;  // not read
    };

    using Bullet_Ray::Bullet_Ray;
    ~Bullet_Ray4() override;

    using Bullet::Initialize;
    // Owner, priority 900, group 4, "Mesh_Ray" and the "matFlare" sprite.
    int Initialize(int param) override;
    int ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) override;
    void Update(float dt) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    void Draw() override;

    // Flare size of both axes at a time since launch.
    static float FlareSize(float elapsed);
    // Material alpha of the beam's first pass.
    static float BeamAlpha(float elapsed, float grow);

protected:
    // Its own "RayLarge" body.
    void SwitchBodies(bool on) override;

private:
    Quorvex::MeshInfo mesh;
    Quorvex::Sprite3DInfo flare;
    float spin = 0.0f;
};
