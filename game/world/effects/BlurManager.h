// Drives the full-screen radial blur pass ("ExpandBlur2D"). Each frame it
// takes the strength and centre from the strongest live explosion near the
// player or, at speed, from the followed target, tints the pass with the
// explosion's glow or the current screen flash, and writes the shader's
// parameters. It also hands the strongest explosion the player as the
// target of its camera shake.
#pragma once
#include <mutex>
#include <set>

#include "engine/core/Object.h"
#include "platform/d3dx9/d3dx9.h"

class Effect_Explosion;

class BlurManager : public Quorvex::Object {
public:
    explicit BlurManager(Quorvex::IObjectManager* manager);
    // Leaves the global when it still names this manager; releases every
    // registered explosion and the follow target.
    ~BlurManager() override;

    // Update priority 2300, pass defaults, both flags on, the global set: 0.
    int Initialize(int param) override;
    void Update(float timeStep) override;

    // The object the blur follows at speed (counted; null clears).
    void SetTarget(Quorvex::Object* target);
    Quorvex::Object* GetTarget() const { return m_pTarget; }
    // An explosion joins at its start (one reference while registered).
    void RegisterExplosion(Effect_Explosion* explosion);
    int GetExplosionCount() const;
    Effect_Explosion* GetCurrentExplosion() const { return m_pCurrent; }

    // q x (1 - min(1, d / 3000)) with q = size x 0.025 and d the distance
    // from the game state's player (0 without one).
    static float ExplosionWeight(const Effect_Explosion* explosion);

    BYTE m_enabled = 0;
    BYTE m_follow = 0;
    // The pass values of this frame.
    float m_expandLength = 0.0f;
    float m_invalidLength = 1.0f;
    float m_expandRate = 0.0f;
    float m_centerX = 0.5f;
    float m_centerY = 0.5f;
    float m_strength = 0.0f;
    D3DXVECTOR4 m_addColor{0.0f, 0.0f, 0.0f, 0.0f};
    float m_tone = 1.0f;
    // Written by the flash manager.
    float m_flashWeight = -1.0f;
    D3DXVECTOR4 m_flashColor{1.0f, 1.0f, 1.0f, 1.0f};

private:
    // Drops finished explosions, answers the strongest of the rest.
    Effect_Explosion* PickExplosion();
    void ApplyExplosion(Effect_Explosion* explosion);
    void WriteShader();

    mutable std::mutex m_setLock;
    std::set<Effect_Explosion*> m_explosions;  // one reference each
    Effect_Explosion* m_pCurrent = nullptr;     // inside the set
    Quorvex::Object* m_pTarget = nullptr;       // counted
};

// Set by Initialize, cleared by the destructor; explosions register and the
// flash manager writes through it.
extern BlurManager* g_pBlurManager;
