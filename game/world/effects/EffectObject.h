// The pooled visual effects the effect generator hands out: smoke puffs,
// flames, two kinds of sparks, expanding rings, fire balls that trail flames
// and smoke, smoke lines, the invisible shock source of an explosion and a
// data-driven general-purpose sprite. Each advances itself in its render step
// (its Update is the no-op), so an effect only ages while its render group is
// drawn; when its life is over it leaves its group and goes back to the free
// set of its generator. None is created or destroyed while the game runs.
#pragma once
#include <boost/function.hpp>

#include "engine/assets/Sprite3DInfo.h"
#include "engine/core/RenderObject.h"

class EffectGenerator;
class Object3D;

namespace Quorvex {
class MaterialUnit;
}

class EffectObject : public Quorvex::RenderObject {
public:
    // The pools of the generator, in the order it fills them.
    enum Kind {
        KindSmoke = 0,
        KindFlame,
        KindSpark,
        KindSpark2,
        KindExpRing,
        KindFireBall,
        KindLineSmoke,
        KindExplosion,
        KindGeneralPurpose,
        KindCount
    };
    typedef boost::function<void(EffectObject*)> FinishCallback;

    // Material "matEffect", colour white, 10 x 10, no rotation, position 0.
    EffectObject(Quorvex::IObjectManager* manager, EffectGenerator* generator, Kind kind);
    ~EffectObject() override;

    // Adds the offset to every world position the effect holds.
    virtual void Shift(const D3DXVECTOR3& offset);
    // While the size is above 0.
    virtual bool IsAlive() const;
    // View-space depth of the position, also stored as the draw priority.
    float GetDrawPriority() override;

    Kind GetKind() const { return m_kind; }
    EffectGenerator* GetGenerator() const { return m_pGenerator; }
    // The generator's teardown clears it.
    void SetGenerator(EffectGenerator* generator) { m_pGenerator = generator; }
    const D3DXVECTOR3& GetPosition() const { return m_sprite.position; }
    float GetSize() const { return m_size; }
    float GetTime() const { return m_time; }

    // Called once with the effect when it retires, then cleared.
    FinishCallback m_finish;
    Quorvex::Sprite3DInfoEx m_sprite;

protected:
    // Leaves the current stage and joins the named group; false when the
    // group is missing or refuses the effect (it is then retired at once).
    bool JoinGroup(const char* name);
    // Size 0, out of its render stage, the finish callback, back to the free set.
    void Retire();
    // Time += step; past the life the effect retires and false is answered.
    bool Age(float step, float life);
    // Adds drift x unscaled elapsed time to the position.
    void ApplyDrift();
    // The generator's cached values (0 without a generator).
    float Step() const;
    float Elapsed() const;
    D3DXVECTOR3 ScaledGravity() const;
    // Roll angle of the screen-facing builders.
    float& Roll() { return m_sprite.rotation.x; }
    // UV corners of the flame cell of "matEffect".
    void SetFlameCell();

    float m_size = 0.0f;
    float m_time = 0.0f;

private:
    // The generator retires an effect whose start failed.
    friend class EffectGenerator;

    EffectGenerator* m_pGenerator;  // not counted; outlives its effects
    Kind m_kind;
};

class Effect_Smoke : public EffectObject {
public:
    Effect_Smoke(Quorvex::IObjectManager* manager, EffectGenerator* generator);
    bool Start(const D3DXVECTOR3& position, float size, float roll, float baseWidth, float baseHeight);
    void Render(Quorvex::CalcVertexSet* list) override;

    float m_life = 0.0f, m_fadeStart = 0.0f, m_growEnd = 0.0f;
    float m_baseWidth = 0.0f, m_baseHeight = 0.0f;
    int m_spin = 0;
    BYTE m_a = 255, m_r = 255, m_g = 128, m_b = 64;
    BYTE m_colorFade = 1;
    BYTE m_drift = 1;
};

class Effect_Flame : public EffectObject {
public:
    Effect_Flame(Quorvex::IObjectManager* manager, EffectGenerator* generator);
    bool Start(const D3DXVECTOR3& origin, const D3DXVECTOR3& target, float size, float roll, float baseWidth,
               float baseHeight, bool smoke);
    void Render(Quorvex::CalcVertexSet* list) override;

    float m_life = 0.0f, m_fadeStart = 0.0f, m_growEnd = 0.0f;
    float m_baseWidth = 0.0f, m_baseHeight = 0.0f;
    int m_spin = 0;
    D3DXVECTOR3 m_velocity{0.0f, 0.0f, 0.0f};
    BYTE m_smoke = 0;
};

// The stretched spark (axis quad); Effect_Spark2 is the round one.
class Effect_Spark : public EffectObject {
public:
    Effect_Spark(Quorvex::IObjectManager* manager, EffectGenerator* generator, Kind kind = KindSpark);
    virtual bool Start(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float size);
    void Render(Quorvex::CalcVertexSet* list) override;

    float m_life = 0.0f, m_fadeStart = 0.0f;
    float m_initialSpeed = 0.0f;
    D3DXVECTOR3 m_velocity{0.0f, 0.0f, 0.0f};

protected:
    // t past the end: retired, false. Else moves, turns along the velocity
    // and gives the alpha byte.
    bool Advance(BYTE* alpha);
};

class Effect_Spark2 : public Effect_Spark {
public:
    Effect_Spark2(Quorvex::IObjectManager* manager, EffectGenerator* generator);
    bool Start(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float size) override;
    void Render(Quorvex::CalcVertexSet* list) override;
};

class Effect_ExpRing : public EffectObject {
public:
    Effect_ExpRing(Quorvex::IObjectManager* manager, EffectGenerator* generator);
    bool Start(const D3DXVECTOR3& position, const D3DXVECTOR3& axis, float size);
    void Render(Quorvex::CalcVertexSet* list) override;

    float m_life = 0.0f;
    float m_inner = 0.0f, m_outer = 0.0f;
    float m_innerRate = 0.0f, m_outerRate = 0.0f;
    int m_segments = 16;
};

class Effect_FireBall : public EffectObject {
public:
    Effect_FireBall(Quorvex::IObjectManager* manager, EffectGenerator* generator);
    bool Start(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float size);
    void Render(Quorvex::CalcVertexSet* list) override;
    void Shift(const D3DXVECTOR3& offset) override;
    // Draws nothing: 0.
    float GetDrawPriority() override;

    float m_life = 0.0f;
    D3DXVECTOR3 m_velocity{0.0f, 0.0f, 0.0f};
    float m_nextFlame = 0.0f, m_nextSmoke = 0.0f;
    D3DXVECTOR3 m_lastTrail{0.0f, 0.0f, 0.0f};
};

class Effect_LineSmoke : public EffectObject {
public:
    Effect_LineSmoke(Quorvex::IObjectManager* manager, EffectGenerator* generator);
    bool Start(const D3DXVECTOR3& from, const D3DXVECTOR3& to, float size, float width, float strength);
    void Render(Quorvex::CalcVertexSet* list) override;

    float m_life = 0.0f;
    float m_strength = 0.0f;
};

// The invisible shock source of an explosion: the screen blur follows it and
// it shakes its target's view.
class Effect_Explosion : public EffectObject {
public:
    // References besides outside holders: its pool entry, the generator's
    // extra one and the blur's registration.
    static constexpr int kOwnHolds = 3;

    Effect_Explosion(Quorvex::IObjectManager* manager, EffectGenerator* generator);
    ~Effect_Explosion() override;
    bool Start(const D3DXVECTOR3& position, float size);
    void Render(Quorvex::CalcVertexSet* list) override;

    // The shake target (counted): the player; another object gets no shake.
    // Null first clears the old target's shake.
    void SetTarget(Object3D* target);
    Object3D* GetTarget() const { return m_pTarget; }
    // The target's shake vector becomes v when v is longer.
    void KeepLonger(const D3DXVECTOR3& v);

    float GetLife() const { return m_life; }
    float GetGrowEnd() const { return m_growEnd; }
    // Set by the screen blur while it holds the explosion.
    BYTE m_blurRegistered = 0;

    float m_life = 0.0f, m_growEnd = 0.0f;

private:
    Object3D* m_pTarget = nullptr;  // counted
};

// A data-driven sprite: its spawner's caller sets the public fields after the
// spawn. Ages by the unscaled elapsed time.
class Effect_GeneralPurpose : public EffectObject {
public:
    enum Mode { ModeTriangles = 0, ModeAxis = 1, ModeBillboard = 2 };

    Effect_GeneralPurpose(Quorvex::IObjectManager* manager, EffectGenerator* generator);
    bool Start(const D3DXVECTOR3& position, Quorvex::MaterialUnit* material, const char* group);
    void Render(Quorvex::CalcVertexSet* list) override;

    // Bytes A, R, G, B.
    BYTE m_startColor[4] = {255, 255, 255, 255};
    BYTE m_endColor[4] = {255, 255, 255, 255};
    float m_fadeIn = -1.0f, m_fadeOutStart = -1.0f, m_fadeOutEnd = -1.0f;
    int m_blend = 2;
    int m_mode = ModeTriangles;
    float m_baseWidth = 0.0f, m_baseHeight = 0.0f;
    std::vector<D3DXVECTOR3> m_baseVertices;
    D3DXVECTOR3 m_scaleFrom{1.0f, 1.0f, 1.0f}, m_scaleTo{1.0f, 1.0f, 1.0f};
    float m_scaleStart = -1.0f, m_scaleEnd = -1.0f;
    D3DXVECTOR3 m_velocity{0.0f, 0.0f, 0.0f};
    float m_spin = 0.0f;
    BYTE m_drift = 0;

private:
    void ApplyDefaults();
};
