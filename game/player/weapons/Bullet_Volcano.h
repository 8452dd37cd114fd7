// A lava eruption: a dome mesh that swells from nothing to 1000 x 1000 x 1500
// units over 2 s while it fades out, throwing lava sprites around it. It
// pierces what it touches.
#pragma once
#include <algorithm>
#include <set>

#include "engine/assets/MeshInfo.h"
#include "game/player/weapons/Bullet.h"

class Effect_GeneralPurpose;
class EffectObject;

class Bullet_Volcano : public Bullet, public Quorvex::FactoryProductAdapter {
public:
    static constexpr float kAttackPower = 50.0f;
    static constexpr int kLaunchSprites = 10;

    struct SetParam : public Quorvex::IFactoryProduct::ISetParam {
        Quorvex::Object* owner = nullptr;
        BYTE side = 0;  // non-zero: player side
        D3DXQUATERNION orientation{0.0f, 0.0f, 0.0f, 1.0f};
        D3DXVECTOR3 vector{0.0f, 0.0f, 0.0f};  // drift velocity, units per second
        float scalar = 0.0f;
        Quorvex::AreaPos start;
        Quorvex::ObjectManager* objectManager = nullptr;
    };

    Bullet_Volcano(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager,
                   const Quorvex::AreaPos& start);
    // Unhooks the lava sprites it still tracks.
    ~Bullet_Volcano() override;

    using Bullet::Initialize;
    // Owner, priority 900, group 4 and the "Mesh_Volcano" mesh (a missing mesh
    // is logged and the dome is not drawn).
    int Initialize(int param) override;
    int ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) override;
    void Update(float dt) override;
    // Piercing.
    void OnCollision(Quorvex::Object* other) override;
    void ReturnToFactory() override;
    void Render(Quorvex::CalcVertexSet* list) override;
    void Draw() override;

    float GetProgress() const { return progress; }
    const D3DXVECTOR3& GetScale() const { return scale; }
    // The dome's material alpha: it fades out as it grows.
    float GetAlpha() const { return std::max(1.0f - progress, 0.0f); }
    size_t GetLavaCount() const { return lava.size(); }

private:
    void Launch(const SetParam& record);
    // One lava sprite raised by 10 above the dome; false when none is free.
    bool SpawnLava(float size, const D3DXQUATERNION& turn);
    void RemoveLava(EffectObject* sprite);
    void UnhookLava();

    Quorvex::MeshInfo mesh;
    float progress = 0.0f;
    D3DXVECTOR3 velocity{0.0f, 0.0f, 0.0f};
    float scalar = 0.0f;
    D3DXVECTOR3 scale{1.0f, 1.0f, 1.0f};
    std::set<Effect_GeneralPurpose*> lava;
};
