// The nuclear blast projectile: a pooled shot that flies (or falls), detonates
// and then burns for a while as a spray of fire particles with a point light.
// Six kinds share the class; the launch record picks one.
#pragma once
#include <boost/function.hpp>
#include <mutex>
#include <set>

#include "engine/assets/MeshInfo.h"
#include "engine/core/render/RenderParameter.h"
#include "game/player/weapons/Bullet.h"
#include "game/player/weapons/MarkerGenerator.h"

class EffectObject;
class LightObject;

class Bullet_Nuke : public Bullet, public Quorvex::FactoryProductAdapter {
public:
    enum Kind {
        KindHeavy = 0,       // the Heavy set's special weapon: falls
        KindBoss = 1,        // straight
        KindReidan = 2,      // straight, the sprite shot's colours
        KindDud = 3,         // straight, no blast
        KindSpell = 4,       // straight, a blast that sweeps the player
        KindZenk = 5,        // falls; its blast stands ahead of the player
        KindCount,
    };

    struct SetParam : public Quorvex::IFactoryProduct::ISetParam {
        SetParam() = default;
        SetParam(const Quorvex::AreaPos& start, const D3DXQUATERNION& orientation, Quorvex::Object* owner, int side,
                 const D3DXVECTOR3& vector, float size, Quorvex::ObjectManager* objectManager, float speedFactor,
                 float detonationTime, int kind);

        Quorvex::Object* owner = nullptr;
        D3DXQUATERNION orientation{0.0f, 0.0f, 0.0f, 1.0f};
        int side = 0;  // non-zero: player side
        D3DXVECTOR3 vector{0.0f, 0.0f, 0.0f};  // not read
        float size = 0.0f;
        Quorvex::AreaPos start;
        Quorvex::ObjectManager* objectManager = nullptr;
        float speedFactor = 1.0f;
        float detonationTime = 0.0f;
        int NukeKind = KindBoss;
    };

    // The blast values of one kind.
    struct BlastRecipe {
        float explosionSize;
        BYTE explosionFlags;
        float lightMin, lightMax;
        float blastTime;
        float power;  // below 0: set every blast frame
        float interval;
        const char* mainMaterial;
        const char* mainGroup;
        float mainWidth, mainHeight;
        float speedScale, speedBase, speedDivisor;  // speed = (scale r + base) / divisor
        const char* altMaterial;
        const char* altGroup;
        float altWidth, altHeight, altSpeedFactor;
        D3DCOLOR startColor, mainColor, altColor;
        float fadeIn, fadeOutStart, life;
        D3DXVECTOR3 offset;
    };
    static const BlastRecipe& RecipeOf(int kind);
    // Launch speed of a kind at the player's speed rate.
    static float LaunchSpeed(int kind, float size, float speedFactor, float speedRate);
    // Attack power while flying.
    static float FlightPower(int kind);

    Bullet_Nuke(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager, const Quorvex::AreaPos& start);
    ~Bullet_Nuke() override;

    using Bullet::Initialize;
    // Priority 900, group flag 4, "Mesh_Nuke": 0.
    int Initialize(int param) override;
    void Update(float dt) override;
    void OnCollision(Quorvex::Object* other) override;
    void Render(Quorvex::CalcVertexSet* list) override;
    void Draw() override {}

    int ApplySetParam(Quorvex::IFactoryProduct::ISetParam* param) override;
    void ReturnToFactory() override;
    // The launch under the name of the product interface.
    int Launch(const SetParam& record);
    void ReturnToPool() { ReturnToFactory(); }

    // The enemy the nuke was fired at and the marker of that lock.
    void SetLinks(Quorvex::Object* object, Marker* lock);

    void Move(float dt);
    void Fall(float dt);
    void Detonate();
    void BlastEmitter(float dt);
    void EmitFlightFire(float dt);
    // The end callback of every particle the nuke keeps.
    void ForgetParticle(EffectObject* particle);

    float GetAge() const { return age; }
    const D3DXVECTOR3& GetVelocity() const { return velocity; }
    // A boss that holds its nukes turns them onto a new course.
    void SetVelocity(const D3DXVECTOR3& v) { velocity = v; }
    void SetDetonationTime(float seconds) { detonationTime = seconds; }
    int GetKind() const { return NukeKind; }
    bool IsDetonated() const { return detonated; }
    float GetBlastEnd() const { return blastEnd; }
    int GetHitCount() const { return hitCount; }
    Marker* GetMarker() const { return marker.Get(); }
    Quorvex::Object* GetLinkedObject() const { return linked; }
    bool HasLight() const { return light != nullptr; }
    size_t GetParticleCount() const;
    // The blast particles still burning.
    size_t GetBlastParticleCount() const;

    boost::function<void(float)> flightCallback;
    boost::function<void(float)> blastCallback;
    // Run with the nuke when it goes back to its pool.
    boost::function<void(Bullet_Nuke*)> endCallback;

private:
    typedef Quorvex::RenderParameter::PointLight PointLight;

    void ClearParticles();
    void RemoveLight();
    bool LightStillOwned() const;
    void Keep(std::set<EffectObject*>& set, EffectObject* particle);
    void ShiftSet(std::set<EffectObject*>& set, const D3DXVECTOR3& offset);
    void SpawnBlastParticle(const BlastRecipe& recipe);

    Quorvex::MeshInfo mesh;
    float age = 0.0f;
    D3DXVECTOR3 velocity{0.0f, 0.0f, 0.0f};
    float size = 0.0f;
    float detonationTime = 0.0f;
    float blastEnd = 100.0f;
    int NukeKind = KindBoss;
    bool detonated = false;
    int hitCount = 0;
    int maxHits = 15;
    float flightFireTimer = 0.0f;
    float blastTimer = 0.0f;
    PointLight* light = nullptr;        // owned by the light object once added
    LightObject* lightOwner = nullptr;  // the light object it was added to
    mutable std::mutex m_particleLock;
    std::set<EffectObject*> slowParticles;  // counted
    std::set<EffectObject*> fastParticles;  // counted
    Quorvex::Object* linked = nullptr;  // counted
    MarkerLink marker;
};
