#include "game/enemy/types/Enemy_Gralle.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <boost/bind/bind.hpp>

#include "engine/core/Utility.h"
#include "game/enemy/EnemyFactory.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/enemy/types/EnemyTypeCommon.h"
#include "game/player/Player.h"
#include "game/player/weapons/Bullet_Nuke.h"
#include "game/state/Environment2.h"
#include "game/world/effects/EffectGenerator.h"
#include "game/world/effects/EffectObject.h"

using boost::placeholders::_1;

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kDegree = 0.017453292f;

const wchar_t* const kFirstSpellTitle = L"核符「ニュークリアフュージョン」";
const wchar_t* const kSecondSpellTitle = L"核符「スキャッタードサン」";
const wchar_t* const kThirdSpellTitle = L"熔符「ラーヴァフレア」";

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }
float R() { return BossRandom(); }

// The look of one general-purpose sprite: size, colours with their times,
// a uniform scale over a time, its draw mode and blend preset.
struct SpriteLook {
    float width, height;
    D3DCOLOR from, to;
    float fadeIn, fadeOutStart, life;
    float scaleFrom, scaleTo, scaleTime;
    int mode, blend;
};

void SetBytes(BYTE out[4], D3DCOLOR argb) {
    out[0] = static_cast<BYTE>(argb >> 24);
    out[1] = static_cast<BYTE>(argb >> 16);
    out[2] = static_cast<BYTE>(argb >> 8);
    out[3] = static_cast<BYTE>(argb);
}

void Dress(Effect_GeneralPurpose* sprite, const SpriteLook& look, const D3DXVECTOR3& velocity) {
    sprite->m_baseWidth = look.width;
    sprite->m_baseHeight = look.height;
    sprite->m_sprite.width = look.width;
    sprite->m_sprite.height = look.height;
    SetBytes(sprite->m_startColor, look.from);
    SetBytes(sprite->m_endColor, look.to);
    sprite->m_fadeIn = look.fadeIn;
    sprite->m_fadeOutStart = look.fadeOutStart;
    sprite->m_fadeOutEnd = look.life;
    sprite->m_scaleFrom = D3DXVECTOR3(look.scaleFrom, look.scaleFrom, look.scaleFrom);
    sprite->m_scaleTo = D3DXVECTOR3(look.scaleTo, look.scaleTo, look.scaleTo);
    sprite->m_scaleStart = 0.0f;
    sprite->m_scaleEnd = look.scaleTime;
    sprite->m_mode = look.mode;
    sprite->m_blend = look.blend;
    sprite->m_velocity = velocity;
}

// A billboard's starting angle in [-pi, pi) and its spin within +-limit.
void Turning(Effect_GeneralPurpose* sprite, float spinLimit) {
    sprite->m_sprite.rotation.x = (R() - 0.5f) * 2.0f * D3DX_PI;
    sprite->m_spin = (R() - 0.5f) * 2.0f * spinLimit;
}

EffectGenerator* Effects() { return g_pEnvironment2 ? g_pEnvironment2->effectGenerator : nullptr; }

// A fresh direction with random components, normalised.
D3DXVECTOR3 RandomDirection() {
    D3DXVECTOR3 d(R() - 0.5f, R() - 0.5f, R() - 0.5f);
    D3DXVec3Normalize(&d, &d);
    return d;
}

}  // namespace

// ---------------------------------------------------------------------------
// Flare

Enemy_Gralle::FlareEffectParam::FlareEffectParam(Enemy_Gralle* owner_) { Reset(owner_); }

Enemy_Gralle::FlareEffectParam::~FlareEffectParam() { Reset(nullptr); }

void Enemy_Gralle::FlareEffectParam::Reset(Enemy_Gralle* newOwner) {
    emitTimer = 0.0f;
    charge = -1.0f;
    owner = newOwner;
    active = false;
    std::set<EffectObject*> held;
    held.swap(sprites);
    for (EffectObject* sprite : held) {
        sprite->m_finish.clear();
        sprite->Release();
    }
}

void Enemy_Gralle::FlareEffectParam::Remove(void* sprite) {
    auto* ended = static_cast<EffectObject*>(sprite);
    if (!sprites.erase(ended)) return;
    ended->m_finish.clear();
    ended->Release();
}

void Enemy_Gralle::FlareEffectParam::Update(float dt, const D3DXVECTOR3& carry) {
    if (active) {
        const float u = 1.0f - charge;
        emitTimer -= dt;
        while (emitTimer <= 0.0f) {
            Emit();
            emitTimer += 0.01f + 0.01f * u;
        }
    }
    for (EffectObject* sprite : sprites) sprite->Shift(carry);
}

void Enemy_Gralle::FlareEffectParam::Emit() {
    EffectGenerator* effects = Effects();
    if (!owner || !effects) return;
    const D3DXVECTOR3 p = owner->GetWorldPosition();
    const float u = 1.0f - charge;
    const float t1 = 0.2f + 1.3f * u;
    const float s1 = 10.0f + 1000.0f * u;
    const float s2 = 10.0f + 290.0f * u;
    const float s3 = 5.0f + 100.0f * charge;
    const float t2 = 0.5f + 0.3f * charge;

    auto keep = [this](Effect_GeneralPurpose* sprite) {
        if (!sprites.insert(sprite).second) return;
        sprite->AddRef();
        sprite->m_finish = boost::bind(&FlareEffectParam::Remove, this, _1);
    };

    // Streak: flies through the boss, oriented along its flight.
    {
        const D3DXVECTOR3 v = RandomDirection() * (s1 / t1);
        if (Effect_GeneralPurpose* sprite = effects->SpawnGeneralPurpose(p - 0.75f * v, "matYougan3", "Sprite3DOver")) {
            Dress(sprite, {0.02f * s1, 0.5f * s1, 0xFFFFFFFF, 0xFFFFFFFF, 0.01f * t1, t1, t1, 1.0f, 0.0f, t1,
                           Effect_GeneralPurpose::ModeAxis, 3},
                  v);
            sprite->m_sprite.rotation = Quorvex::YawPitchRollQuaternion(v);
            keep(sprite);
        }
    }
    // Inflowing puff: heads for the boss.
    {
        const D3DXVECTOR3 w = RandomDirection() * (s2 / t2);
        if (Effect_GeneralPurpose* sprite = effects->SpawnGeneralPurpose(p - w, "matVolcano", "Sprite3DOver")) {
            Dress(sprite, {2.0f * s2, 1.75f * s2, 0x00FF0000, 0x40FFFFFF, 0.9f * t2, t2, t2, 1.0f, 0.5f, t2,
                           Effect_GeneralPurpose::ModeBillboard, 3},
                  w);
            Turning(sprite, 0.34906587f);
            keep(sprite);
        }
    }
    // Core glow: grows with the charge.
    {
        const D3DXVECTOR3 v = RandomDirection() * (s3 / t2);
        if (Effect_GeneralPurpose* sprite = effects->SpawnGeneralPurpose(p, "matVolcano", "Sprite3DOver")) {
            Dress(sprite, {2.0f * s3, 1.8f * s3, 0x00FF0000, 0x40FFFFFF, 0.25f * t2, 0.25f * t2, t2, 1.0f, 0.5f, t2,
                           Effect_GeneralPurpose::ModeBillboard, 3},
                  v);
            Turning(sprite, 2.0943952f);
            keep(sprite);
        }
    }
}

// ---------------------------------------------------------------------------
// Held nukes

Enemy_Gralle::SpellParamNuclear::~SpellParamNuclear() { Clear(false); }

void Enemy_Gralle::SpellParamNuclear::Add(Bullet_Nuke* nuke) {
    if (!nuke || !nukes.emplace(nuke, Held{}).second) return;
    nuke->AddRef();
    nuke->endCallback = boost::bind(&SpellParamNuclear::Remove, this, _1);
}

void Enemy_Gralle::SpellParamNuclear::Remove(void* nuke) {
    auto it = nukes.find(static_cast<Bullet_Nuke*>(nuke));
    if (it == nukes.end()) return;
    Bullet_Nuke* held = it->first;
    nukes.erase(it);
    held->endCallback.clear();
    held->Release();
}

void Enemy_Gralle::SpellParamNuclear::Clear(bool end) {
    std::map<Bullet_Nuke*, Held> held;
    held.swap(nukes);
    for (auto& entry : held) {
        Bullet_Nuke* nuke = entry.first;
        nuke->endCallback.clear();
        if (end && !nuke->IsRemoveRequested()) nuke->ReturnToPool();
        nuke->Release();
    }
    timer = 0.0f;
    clock = 0.0f;
}

// ---------------------------------------------------------------------------
// The boss

Enemy_Gralle::Enemy_Gralle(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                           const Quorvex::AreaPos& position, EnemyGenerator_Derive* generator_,
                           EnemyListSet* /*listSet*/)
    : PhaseBoss(objectManager, areaManager, position, generator_), flare(this) {}

// The held objects are let go; the nukes finish on their own.
Enemy_Gralle::~Enemy_Gralle() {
    heldNukes.Clear(false);
    heldBullets.Clear();
    flare.Reset(nullptr);
    ReleaseHeldEffects();
}

int Enemy_Gralle::Initialize(int param) {
    Enemy::Initialize(param);
    SetEnemyMesh(this, "Mesh_Gralle");
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    mesh.m_instanceMatrices.assign(5, identity);
    CreateEnemyBody(this, L"EnemyFighterBig");
    score = kScore;
    return 0;
}

void Enemy_Gralle::Launch(const Quorvex::AreaPos& start, const D3DXQUATERNION& orientation,
                          Quorvex::ObjectManager* objectManager) {
    EnemyEx::Launch(orientation, objectManager, start, MoveModePath2, kLaunchLife,
                    D3DXVECTOR3(157.0f, 157.0f, 157.0f));
    SetGroupFlag(GroupSweptAtPhaseChange, false);
    hitGuard = 0.0f;
    shotStateA.Reset(level);
    shotStateB.Reset(level);
    phase5Ends = 0;
    m_areaPos = start;
    SetPhase(1);
    phaseClock = 0.0f;
    phaseLimit = -1.0f;
    if (g_pEnvironment2) g_pEnvironment2->currentBoss = this;
}

float Enemy_Gralle::RestLimit(float level_) { return 3.0f + 6.0f * std::max(1.0f - level_, 0.0f); }

void Enemy_Gralle::SetPhase(int n) {
    EnterPhase(n);
    boost::function<NextPos(MoveParam*)> next;
    MoveParam* mp = GetMoveParam();
    const auto near = boost::bind(&EnemyEx::NextPosNear, this, _1);

    switch (n) {
    case 1:
        SetEntryPath(boost::bind(&Enemy_Gralle::NextPhase, this, _1));
        break;
    case 2:
        next = near;
        RefillLife(1000.0f);
        break;
    case 3:
        next = near;
        phaseCallback = boost::bind(&Enemy_Gralle::RunNuclearShots, this, _1);
        RefillLife(6000.0f);
        phaseLimit = 30.0f;
        break;
    case 4:
        next = boost::bind(&EnemyEx::NextPosTargetDir, this, _1);
        phaseCallback = boost::bind(&Enemy_Gralle::RunFirstSpell, this, _1);
        RefillLife(15000.0f);
        StartSpellCard("spellGralle", kFirstSpellTitle);
        phaseLimit = 120.0f;
        break;
    case 5:
        next = near;
        phaseCallback = boost::bind(&Enemy_Gralle::RunAimedNukes, this, _1);
        RefillLife(2500.0f);
        phaseLimit = 60.0f;
        break;
    case 6:
        next = near;
        phaseCallback = boost::bind(&Enemy_Gralle::RunRest, this, _1);
        RefillLife(1000.0f);
        phaseLimit = RestLimit(level);
        break;
    case 7:
        next = near;
        phaseCallback = boost::bind(&Enemy_Gralle::RunSecondSpell, this, _1);
        RefillLife(15000.0f);
        StartSpellCard("spellGralle", kSecondSpellTitle);
        phaseLimit = 120.0f;
        break;
    case 8:
        next = near;
        phaseCallback = boost::bind(&Enemy_Gralle::RunNuclearShots, this, _1);
        RefillLife(2000.0f);
        phaseLimit = 30.0f;
        break;
    case 9:
        next = near;
        phaseCallback = boost::bind(&Enemy_Gralle::RunThirdSpell, this, _1);
        RefillLife(7000.0f);
        StartSpellCard("spellGralle", kThirdSpellTitle);
        phaseLimit = 30.0f;
        break;
    case 12: {
        const D3DXVECTOR3 points[3] = {BossOffsetFromGenerator(this), D3DXVECTOR3(0.0f, 0.0f, 500.0f),
                                       D3DXVECTOR3(0.0f, 0.0f, -100.0f)};
        mp->SetPath(points, 3, 600.0f);
        mp->onPathEnd = boost::bind(&Enemy_Gralle::VanishAtPathEnd, this, _1);
        break;
    }
    default:
        break;
    }

    shotStateA.Reset(level);
    shotStateB.Reset(level);
    flare.Reset(this);
    heldNukes.Clear();
    wallTimer = 0.0f;
    wallClock = 0.0f;
    hitGuard = kHitGuard;
    SettleBossPhase(this, 1.0f, next);
}

void Enemy_Gralle::EndPhase() {
    switch (phase) {
    case 3:
    case 8:
        BossExplode(this, 40.0f);
        break;
    case 5:
        BossExplode(this, 40.0f);
        phase5Ends += 1;
        break;
    case 4:
    case 7:
    case 9:
        EndSpellCard();
        BossExplode(this, 60.0f);
        break;
    case 6:
        BossExplode(this, 10.0f);
        break;
    default:
        return;
    }
    AwardScore();
    NextPhase();
}

void Enemy_Gralle::NextPhase(EnemyEx::MoveParam*) {
    switch (phase) {
    case 1:
        SetPhase(2);
        break;
    case 3:
    case 7:
    case 8:
        SetPhase(phase + 1);
        break;
    case 4:
    case 9:
        BossSkipStage();
        SetPhase(2);
        break;
    case 5:
        SetPhase(6);
        break;
    case 6:
        SetPhase(5);
        break;
    default:
        break;
    }
}

D3DXVECTOR3 Enemy_Gralle::PoolMotion() const {
    if (auto* pool = dynamic_cast<EnemyFactoryBase*>(GetFactory())) return pool->centerMotion;
    return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

void Enemy_Gralle::Update(float dt) {
    const Quorvex::AreaPos before = m_areaPos;
    RunPhaseFrame(dt);
    UpdateAuraSince(dt, before, aura);
    const D3DXVECTOR3 carry = PoolMotion() + velocity * dt;
    flare.Update(dt, carry);
    for (EffectObject* effect : heldEffects) effect->Shift(carry);
    hitGuard = std::max(hitGuard - dt, 0.0f);
}

void Enemy_Gralle::RemoveHeldEffect(void* effect) {
    auto* ended = static_cast<EffectObject*>(effect);
    if (!heldEffects.erase(ended)) return;
    ended->m_finish.clear();
    ended->Release();
}

void Enemy_Gralle::ReleaseHeldEffects() {
    std::set<EffectObject*> held;
    held.swap(heldEffects);
    for (EffectObject* effect : held) {
        effect->m_finish.clear();
        effect->Release();
    }
}

// ---------------------------------------------------------------------------
// Phase steps

void Enemy_Gralle::RunNuclearShots(float dt) { FireRingVolley(dt, shotStateA); }

void Enemy_Gralle::RunFirstSpell(float dt) {
    FireFirstSpellRazers(dt);
    FireFirstSpellNukes(dt);
    shotStateA.clock += dt;
}

void Enemy_Gralle::RunAimedNukes(float dt) { FireAimedRing(dt, shotStateA); }

void Enemy_Gralle::RunRest(float dt) { shotStateA.clock += dt; }

void Enemy_Gralle::RunSecondSpell(float dt) {
    float& c = shotStateA.clock;
    const float L = Clamp01(level);
    const float T = 3.0f * L + 4.0f;
    if (c < T) {
        FireSecondSpellShots(dt, true);
    } else if (c < T + 1.0f - L) {
        FireSecondSpellShots(dt, false);
    } else if (c < 100.0f) {
        LaunchSecondSpellNuke();
        c = 100.0f;
    } else {
        FireSecondSpellShots(dt, false);
        if (c >= 100.5f - L) c = 0.0f;
    }
    FireSecondSpellDiamond(dt);
    c += dt;
}

void Enemy_Gralle::RunThirdSpell(float dt) {
    FireThirdSpell(dt);
    shotStateA.clock += dt;
}

// ---------------------------------------------------------------------------
// Fire steps

void Enemy_Gralle::FireRingVolley(float dt, EnemyEx::ShotParam1& s) {
    if (!target) return;
    if (s.clock >= 1.0f) {
        if (s.timer > 0.0f) s.timer -= dt;
        const D3DXQUATERNION aim = MakeAimQuaternion(GetWorldPosition(), GetTargetPosition());
        while (s.timer <= 0.0f) {
            for (int e = 0; e < 4; ++e) {
                for (int k = 0; k < 8; ++k) {
                    const float a = ((s.counter % 2) * 0.5f + k) * kTwoPi / 8.0f + e * 0.19634955f;
                    D3DXVECTOR3 ring(0.0f, 40.0f, 0.0f);
                    Quorvex::RotateZ(ring, a);
                    const float spread = 0.25f * e * 0.25f;
                    const D3DXVECTOR3 direction = Quorvex::RotateByQuaternion(
                        D3DXVECTOR3(std::sin(a) * spread, std::cos(a) * spread, 1.0f), aim);
                    BossFireRazer(this, m_areaPos.Translated(ring), Quorvex::YawPitchRollQuaternion(direction), 2.0f, 1);
                }
            }
            s.counter += 1;
            s.timer += 0.05f;
        }
    }
    s.clock += dt;
}

void Enemy_Gralle::FireAimedRing(float dt, EnemyEx::ShotParam1& s) {
    if (!target) return;
    const float inv = Clamp01(1.0f - s.level);
    if (CheckAttackRange(GetTargetPosition(), m_orientation, GetWorldPosition(), 50.0f + 300.0f * inv,
                         2000.0f - 500.0f * inv, 1.9198622f, 1.7453293f) != 0)
        return;
    const float c = s.clock;
    const float L = Clamp01(s.level);
    const int u = static_cast<int>(std::min(c / 3.0f + 1.0f, 2.0f * L + 3.0f));
    const int colour = u == 1 ? 1 : u <= 3 ? 3 : 2;
    if (s.rest > 0.0f) {
        s.rest -= dt;
    } else {
        s.timer += dt;
        while (s.timer >= 0.03f) {
            for (int i = 0; i < u; ++i) {
                D3DXVECTOR3 offset(80.0f, 0.0f, 0.0f);
                Quorvex::RotateZ(offset, i * kTwoPi / u + c * kTwoPi);
                const Quorvex::AreaPos from = m_areaPos.Translated(offset);
                const float yaw = (2.0f * R() - 1.0f) * 5.0f * kDegree;
                const float pitch = (2.0f * R() - 1.0f) * 5.0f * kDegree;
                const D3DXQUATERNION facing = BossTurn(MakeAimQuaternion(from, target->GetAreaPos()),
                                                       Quorvex::YawPitchRollQuaternion(yaw, pitch, 0.0f));
                BossFireRazer(this, from, facing, 2.0f, colour);
            }
            s.counter += 1;
            s.timer -= 0.03f;
            if (s.counter > 49) {
                // The aimed nuclear launch: more nukes on later visits.
                const int n = std::min(static_cast<int>(0.8f * phase5Ends * (L + 0.5f) + 1.1f), 6);
                LaunchNukeFan(n, n * 7.5f * kDegree, 15.0f * kDegree, [](float& speed, float& detonation) {
                    const float r = R();
                    speed = 0.8f + 0.6f * r;
                    detonation = 0.8f - 0.6f * r;
                });
                s.rest = 0.75f;
                s.counter = 0;
            }
        }
    }
    s.clock += dt;
}

void Enemy_Gralle::FireFirstSpellRazers(float dt) {
    const float L = Clamp01(level);
    BossRainRings(this, dt, shotStateA, heldBullets, {3, static_cast<int>(2.0f * L + 1.0f), 0.15f - 0.05f * L});
}

void Enemy_Gralle::FireFirstSpellNukes(float dt) {
    if (!target || shotStateA.clock < 3.0f) return;
    spellClock = std::max(spellClock - dt, 0.0f);
    if (spellClock != 0.0f) return;
    const float L = Clamp01(level);
    auto timing = [L](float& speed, float& detonation) {
        speed = 1.0f;
        detonation = 0.6f + 0.4f * R() - 0.3f * L;
    };
    LaunchNukeFan(static_cast<int>(3.0f * L + 3.0f), 45.0f * kDegree, 30.0f * kDegree, timing);
    D3DXQUATERNION aim = MakeAimQuaternion(GetWorldPosition(), GetTargetPosition());
    D3DXQuaternionNormalize(&aim, &aim);
    for (int i = 0; i < static_cast<int>(L); ++i) {
        float speed = 0.0f, detonation = 0.0f;
        timing(speed, detonation);
        if (Bullet_Nuke* nuke = LaunchNuke(aim, speed, detonation, Bullet_Nuke::KindBoss)) nuke->Release();
    }
    SpawnNukeAura(0.5f);
    spellClock += 1.5f - L;
}

void Enemy_Gralle::LaunchSecondSpellNuke() {
    if (!target) return;
    const float L = Clamp01(level);
    LaunchNukeFan(static_cast<int>(6.0f * L + 3.0f), 60.0f * kDegree, 40.0f * kDegree,
                  [L](float& speed, float& detonation) {
                      speed = 0.9f + 0.3f * R();
                      detonation = 0.6f + 0.4f * R() - 0.3f * L;
                  });
    D3DXQUATERNION aim = MakeAimQuaternion(GetWorldPosition(), GetTargetPosition());
    D3DXQuaternionNormalize(&aim, &aim);
    if (Bullet_Nuke* nuke = LaunchNuke(aim, 1.0f, 0.6f + 0.4f * R() - 0.3f * L, Bullet_Nuke::KindBoss))
        nuke->Release();
    SpawnNukeAura(0.5f);
}

void Enemy_Gralle::FireSecondSpellShots(float dt, bool volleys) {
    if (!target) return;
    const float L = Clamp01(level);
    const float inv = Clamp01(1.0f - level);
    SpellParamNuclear& held = heldNukes;
    if (volleys && held.clock >= 2.0f) {
        held.timer -= dt;
        while (held.timer < 0.0f) {
            // Sideways at a random angle around the line to the player.
            const D3DXQUATERNION aim = BossTurn(MakeAimQuaternion(GetWorldPosition(), GetTargetPosition()),
                                               Quorvex::YawPitchRollQuaternion(D3DX_PI / 2.0f, kTwoPi * R(), 0.0f));
            if (Bullet_Nuke* nuke = LaunchNuke(aim, 0.25f + 0.25f * L, 200.0f, Bullet_Nuke::KindBoss)) {
                held.Add(nuke);
                nuke->Release();
            }
            SpawnNukeAura(0.25f);
            held.timer += 0.1f + 0.9f * inv;
        }
    }
    held.clock += dt;

    const float rate = std::max(target->GetSpeedRate(), 0.0f);
    const float v = (1.5f * L + 1.5f) * 314.0f * (1.0f + 0.25f * rate);
    for (auto& [nuke, state] : held.nukes) {
        if (!state.launched && state.heldTime >= 1.0f) {
            state.launched = true;
            const D3DXQUATERNION facing = MakeAimQuaternion(nuke->GetAreaPos(), target->GetAreaPos());
            nuke->SetOrientation(facing);
            nuke->SetVelocity(Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, v), facing));
            nuke->SetDetonationTime(nuke->GetAge() + 5.0f);
        }
        state.heldTime += dt;
    }
}

void Enemy_Gralle::FireSecondSpellDiamond(float dt) {
    if (!target) return;
    if (wallClock >= 2.0f) {
        wallTimer -= dt;
        const float L = Clamp01(level);
        const float inv = Clamp01(1.0f - level);
        const D3DXQUATERNION back = Quorvex::YawPitchRollQuaternion(D3DX_PI, 0.0f, 0.0f);
        while (wallTimer < 0.0f) {
            int t = static_cast<int>(4.0f * L + 5.0f);
            if (t % 2 != 0) --t;
            for (const float e : {1.0f, -1.0f}) {
                for (int j = 0; j < t; ++j) {
                    const float u = (j + 0.5f) / t - 0.5f;
                    const D3DXVECTOR3 offset(500.0f * u, e * (100.0f - std::fabs(200.0f * u)), 0.0f);
                    BossFireRazer(this, m_areaPos.Translated(offset), back, 2.0f, 1);
                }
            }
            wallTimer += 0.05f + 0.05f * inv;
        }
    }
    wallClock += dt;
}

void Enemy_Gralle::FireThirdSpell(float dt) {
    if (!target) return;
    const float P = 5.0f + 5.0f * Clamp01(1.0f - level);
    if (shotStateA.clock < 1.0f) {
        spellClock = P;
        return;
    }
    spellClock = std::max(spellClock - dt, 0.0f);
    if (spellClock > 0.0f) {
        if (spellClock < P) {
            flare.active = true;
            flare.charge = 1.0f - std::min(spellClock / P, 1.0f);
        }
        return;
    }
    flare.active = false;
    D3DXQUATERNION aim = MakeAimQuaternion(GetWorldPosition(), GetTargetPosition());
    D3DXQuaternionNormalize(&aim, &aim);
    if (Bullet_Nuke* nuke = LaunchNuke(aim, 0.5f, 2.0f, Bullet_Nuke::KindSpell)) {
        nuke->SetVelocity(Quorvex::RotateByQuaternion(D3DXVECTOR3(0.0f, 0.0f, 188.4f), aim));
        nuke->Release();
    }
    SpawnNukeAura(1.0f);
    hitGuard = 4.0f;
    spellClock = 2.0f * P;
}

// ---------------------------------------------------------------------------
// Nukes and their aura

Bullet_Nuke* Enemy_Gralle::LaunchNuke(const D3DXQUATERNION& orientation, float speedFactor, float detonationTime,
                                      int kind) {
    Quorvex::FactoryAdapter* pool = generator ? generator->GetPool(EnemyGenerator_Derive::PoolNuke) : nullptr;
    if (!pool) return nullptr;
    Bullet_Nuke::SetParam record(m_areaPos, orientation, this, 0, GetTargetVelocity(), level, GetObjectManager(),
                                 speedFactor, detonationTime, kind);
    Quorvex::IFactoryProduct* shot = pool->AcquireProduct(&record);
    if (!shot) return nullptr;
    auto* nuke = dynamic_cast<Bullet_Nuke*>(shot);
    if (!nuke) shot->Release();
    return nuke;
}

void Enemy_Gralle::LaunchNukeFan(int n, float width, float pitchSpread, const NukeTiming& timing) {
    if (!target || n <= 0) return;
    D3DXQUATERNION aim = MakeAimQuaternion(GetWorldPosition(), GetTargetPosition());
    D3DXQuaternionNormalize(&aim, &aim);
    for (int i = 0; i < n; ++i) {
        const float yaw = n == 1 ? 0.0f : (i - (n - 1) * 0.5f) * width / (n - 1);
        const float pitch = (R() - 0.5f) * pitchSpread;
        float speed = 1.0f, detonation = 0.0f;
        timing(speed, detonation);
        const D3DXQUATERNION facing = BossTurn(aim, Quorvex::YawPitchRollQuaternion(yaw, pitch, 0.0f));
        if (Bullet_Nuke* nuke = LaunchNuke(facing, speed, detonation, Bullet_Nuke::KindBoss)) nuke->Release();
    }
}

void Enemy_Gralle::SpawnNukeAura(float k) {
    EffectGenerator* effects = Effects();
    if (!effects) return;
    const int n = static_cast<int>(64.0f * k);
    const D3DXVECTOR3 p = GetWorldPosition();
    for (int i = 0; i < n; ++i) {
        Effect_GeneralPurpose* sprite = effects->SpawnGeneralPurpose(p, "matNukeAura", "Sprite3DOver");
        if (!sprite) continue;
        D3DXVECTOR3 direction(0.0f, 1.0f, 2.0f * R() - 1.0f);
        Quorvex::RotateZ(direction, i * kTwoPi / n);
        D3DXVec3Normalize(&direction, &direction);
        const D3DXVECTOR3 velocity = direction * (100.0f * (0.7f + 0.6f * R()));
        const float size = 170.0f * k * (0.8f + 0.4f * R());
        const float a = 0.5f * R();
        const BYTE red = static_cast<BYTE>(static_cast<int>(255.0f * a * R()));
        const BYTE green = static_cast<BYTE>(static_cast<int>(255.0f * a));
        const D3DCOLOR to = 0xBF000000u | (DWORD(red) << 16) | (DWORD(green) << 8) | 0xFFu;
        Dress(sprite, {size, size, 0x020040FF, to, 0.5f * k, 0.5f * k, 2.0f * k, 0.5f, 1.0f, 2.0f * k,
                       Effect_GeneralPurpose::ModeBillboard, 3},
              velocity);
        sprite->m_sprite.rotation.x = (R() - 0.5f) * 2.0f * D3DX_PI;
        sprite->m_spin = (R() - 0.5f) * 2.0f * kTwoPi;
        if (heldEffects.insert(sprite).second) {
            sprite->AddRef();
            sprite->m_finish = boost::bind(&Enemy_Gralle::RemoveHeldEffect, this, _1);
        }
    }
}
