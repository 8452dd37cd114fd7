// The laser enemies' attack: a few rays, each repeating a timed cycle at the
// enemy: a thin warning ray, then the main ray that grows, fires and fades.
#pragma once
#include <vector>

#include "game/enemy/AttackParam.h"

class Bullet_Ray;

class AttackParam_Laser : public AttackParam {
public:
    static constexpr float kRayLength = 2000.0f;
    static constexpr float kWarningWidth = 2.0f;
    static constexpr float kFiringWidth = 100.0f;

    // One ray of the attack and its place in the cycle.
    class RayParam {
    public:
        virtual ~RayParam();
        // Starts the fade of the held laser and lets it run on by itself.
        void LetGo();

        Bullet_Ray* laser = nullptr;  // counted, null while none is held
        float timer = 0.0f;           // negative: waiting to start
        float value = 1.0f;
        D3DXQUATERNION orientation{0.0f, 0.0f, 0.0f, 1.0f};
        Quorvex::AreaPos position;
        BYTE active = 1;
    };

    // Empty ray list, origin at the owner, the fixed aim facing -z.
    explicit AttackParam_Laser(EnemyEx* owner);
    // Lets every held laser fade out, then deletes the rays.
    ~AttackParam_Laser() override;

    // A started laser attack of an attack id: 10 and 12 use the fixed aim,
    // 11 and 13 aim at the target; null for other ids.
    static AttackParam_Laser* Create(EnemyEx* owner, int id);

    // The defaults and two rays half a cycle apart.
    void SetDefault() override;
    void OnFinish() override;
    void Fire(float dt) override;

    // warnTime + fireTime + tailTime.
    float Cycle() const { return tailTime + fireTime + warnTime; }
    // Puts a ray into the first empty slot, else appends it.
    void AddRay(RayParam* ray);
    int GetRayCount() const { return static_cast<int>(rays.size()); }
    RayParam* GetRay(int index) const { return rays[index]; }

    float scale = 1.0f;
    std::vector<RayParam*> rays;  // owned
    BYTE followOwner = 1;
    D3DXQUATERNION aim{0.0f, 0.0f, 0.0f, 1.0f};
    Quorvex::AreaPos origin;
    D3DXVECTOR3 offset{0.0f, 0.0f, 0.0f};
    BYTE aimed = 1;
    float fireTime = 1.0f;
    float tailTime = 2.5f;
    float warnTime = 1.6f;
    int colour = 1;
    int fireLimit = -1;
    int fireCount = 0;

private:
    void DeleteRays();
    // Takes a ray from the generator's pool at the origin; false when none.
    bool AcquireLaser(RayParam& ray, float dt);
};
