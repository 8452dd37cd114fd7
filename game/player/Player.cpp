#include "game/player/Player.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/assets/MeshUnit.h"
#include "engine/assets/devices/InputManager.h"
#include "engine/assets/devices/SoundUnit.h"
#include "engine/core/Environment.h"
#include "engine/core/Utility.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/DrawMeshInfo.h"
#include "game/player/AfterBurner.h"
#include "game/player/GunFactory.h"
#include "game/player/OverTheSonic.h"
#include "game/player/PlayerResources.h"
#include "game/player/ShotSet.h"
#include "game/player/SpellBg.h"
#include "game/player/WindEffect.h"
#include "game/player/weapons/Bullet.h"
#include "game/player/weapons/LockonMarker.h"
#include "game/player/weapons/MarkerGenerator.h"
#include "game/screen/ViewObject.h"
#include "game/state/Environment2.h"
#include "game/state/IActionScene.h"
#include "game/state/SceneRequests.h"
#include "game/world/CollisionShapeSet.h"
#include "game/world/effects/BlurManager.h"
#include "game/world/effects/EffectGenerator.h"
#include "game/world/effects/EffectObject.h"
#include "game/world/effects/FlashManager.h"
#include "game/world/terrain/GroundPieces.h"

using Quorvex::AreaPos;

namespace {

constexpr float kInvulnerableAfterHit = 2.0f;
constexpr float kReticleLimitAngle = 0.17453294f;  // 10 degrees
constexpr float kReticleReturn = 0.017453294f;     // 1 degree per second

float Clamp(float v, float lo, float hi) { return std::min(std::max(v, lo), hi); }

// Moves v toward 0 by step without crossing it.
float TowardZero(float v, float step) {
    if (v > 0.0f) return std::max(v - step, 0.0f);
    if (v < 0.0f) return std::min(v + step, 0.0f);
    return 0.0f;
}

EffectGenerator* Effects() { return g_pEnvironment2 ? g_pEnvironment2->effectGenerator : nullptr; }
IActionScene* CurrentActionScene() { return g_pEnvironment2 ? g_pEnvironment2->actionScene : nullptr; }

}  // namespace

// ---- flight model arithmetic ----

float Player::Flight::SpeedRate() const {
    const float range = maxSpeed - minSpeed;
    if (range <= 0.0f) return 0.0f;
    return std::max((speed - minSpeed) / range, 0.0f);
}

void Player::Flight::StepReticle(const FlightInput& input, float dt) {
    float limit = D3DX_PI / 12.0f, accel = 4.0f * D3DX_PI / 3.0f, ret = 2.0f * D3DX_PI / 3.0f;
    if (input.brake) {
        limit = D3DX_PI / 16.0f;
        accel = D3DX_PI;
        ret = D3DX_PI / 2.0f;
    }
    if (input.zenk) {
        limit *= 1.35f;
        accel *= 1.35f;
        ret *= 1.35f;
    }
    auto stepRate = [&](float rate, bool minus, bool plus) {
        if (minus) rate -= accel * dt;
        if (plus) rate += accel * dt;
        rate = Clamp(rate, -limit, limit);
        if ((minus && rate > 0.0f) || (plus && rate < 0.0f)) rate = 0.0f;
        if (!minus && !plus) rate = TowardZero(rate, ret * dt);
        return rate;
    };
    reticleRate.x = stepRate(reticleRate.x, input.reticleUp, input.reticleDown);
    reticleRate.y = stepRate(reticleRate.y, input.reticleLeft, input.reticleRight);
    reticleRate.z = 0.0f;

    reticleAngle.x = Clamp(reticleAngle.x + dt * reticleRate.x, -kReticleLimitAngle, kReticleLimitAngle);
    reticleAngle.y = Clamp(reticleAngle.y + dt * reticleRate.y, -kReticleLimitAngle, kReticleLimitAngle);
    reticleAngle.z = 0.0f;
    if (!input.reticleUp && !input.reticleDown) reticleAngle.x = TowardZero(reticleAngle.x, dt * kReticleReturn);
    if (!input.reticleLeft && !input.reticleRight) reticleAngle.y = TowardZero(reticleAngle.y, dt * kReticleReturn);
}

D3DXVECTOR2 Player::Flight::ReticleScreenPoint(float aspect) const {
    D3DXMATRIX rotation;
    D3DXMatrixRotationYawPitchRoll(&rotation, reticleAngle.y, reticleAngle.x, reticleAngle.z);
    const D3DXVECTOR3 ahead(0.0f, 0.0f, 1.0f);
    D3DXVECTOR3 v;
    D3DXVec3TransformCoord(&v, &ahead, &rotation);
    return D3DXVECTOR2((v.x + 1.0f) / 2.0f * aspect, 1.0f - (v.y + 1.0f) / 2.0f);
}

D3DXQUATERNION Player::Flight::AttitudeFromScreen(float x, float y) {
    const float u = (x - 0.5f) * 2.0f;
    const float v = (y - 0.5f) * -2.0f;
    float yaw = std::atan2(u, 0.5f);
    float pitch = std::atan2(-v, std::sqrt(u * u + 0.25f));
    float roll = -yaw;
    pitch *= 1.0995574f;
    yaw *= 1.0995574f;
    roll *= 2.042035f;
    screenAim = D3DXVECTOR3(pitch, yaw, roll);
    D3DXQUATERNION q;
    D3DXQuaternionRotationYawPitchRoll(&q, yaw, pitch, roll);
    return q;
}

void Player::Flight::StepMotion(const FlightInput& input, float dt, float altitude) {
    // Damping: half per second, never past 0; the forward part is rebuilt.
    const float keep = std::max(1.0f - 0.5f * dt, 0.0f);
    velocity.x *= keep;
    velocity.y *= keep;
    velocity.z = 0.0f;

    float x = acceleration - accelBase;
    float c = 0.0f;
    const bool hold = input.accel && input.brake;
    if (input.accel && !input.brake) c = accelMaxOffset;
    if (input.brake && !input.accel) c = brakeMinOffset;
    if (c > 0.0f) {
        if (x < 0.0f) x -= 0.5f * x * dt;
        x = std::min(x + c * dt, accelMaxOffset);
    } else if (c < 0.0f) {
        if (x > 0.0f) x -= 0.8f * x * dt;
        x = std::max(x + c * dt, brakeMinOffset);
    } else if (!hold) {
        x -= 0.5f * x * dt;
    }
    acceleration = accelBase + x;

    const float band = altitudeHigh - altitudeLow;
    const float s = band > 0.0f ? Clamp((altitude - altitudeLow) / band, 0.0f, 1.0f) : 0.0f;
    const float top = maxSpeed * (1.0f - altitudeFactor + altitudeFactor * (1.0f - s));
    speed = std::min(std::max(speed + acceleration * dt, minSpeed), top);
    velocity.z = speed;

    const float f = maxSpeed > 0.0f ? Clamp(1.0f - speed / maxSpeed * speedLimitFactor, 0.0f, 1.0f) : 1.0f;
    const float xLimit = velocityMax.x * f;
    const float yLimit = velocityMax.y * f;
    if (input.moveDown) velocity.y = std::max(velocity.y - lateralAccel.y * dt, -yLimit);
    if (input.moveUp) velocity.y = std::min(velocity.y + lateralAccel.y * dt, yLimit);
    if (input.moveLeft) velocity.x = std::max(velocity.x - lateralAccel.x * dt, -xLimit);
    if (input.moveRight) velocity.x = std::min(velocity.x + lateralAccel.x * dt, xLimit);
}

// ---- pure rules ----

float Player::ProjectileDamage(float attackPower, float speedRate, bool zenk, float damageFactor) {
    float d = (0.25f * speedRate + 0.75f) * attackPower;
    if (zenk) d *= 0.05f;
    return d * damageFactor;
}

float Player::ShotHitCharge(const char* typeName, float speedRate, bool zenk) {
    if (!typeName) return 0.0f;
    const float g = (0.85f * std::max(speedRate, 0.0f) + 0.15f) * 0.01f;
    if (std::strcmp(typeName, "gun") == 0) return zenk ? 0.0f : g;
    if (std::strcmp(typeName, "mis") == 0) return zenk ? g : 0.0f;
    return 0.0f;
}

float Player::PassiveZenkFill(float speedRate, float dt) {
    return dt * 0.05f * (Clamp(speedRate, 0.1f, 0.9f) - 0.1f) / 0.8f;
}

float Player::RegenerationRate(float speedRate) {
    return 0.01f + 0.015f * (1.0f - (Clamp(speedRate, 0.2f, 0.8f) - 0.2f) / 0.6f);
}

int Player::SpeedScore(float speedRate) {
    return static_cast<int>(256.0f * (Clamp(speedRate, 0.2f, 0.8f) - 0.2f) / 0.6f);
}

// ---- life cycle ----

Player::Player(Quorvex::IObjectManager* manager, Quorvex::IAreaManager* areaManager, const AreaPos& start)
    : Character(manager, areaManager, start), m_previousPosition(start), m_limitReference(start) {
    m_zenk.gauge = &m_zenkGauge;
}

Player::~Player() {
    if (g_pEnvironment2) {
        if (g_pEnvironment2->player == this) {
            // Clearing the counted slot must not release this object again.
            g_pEnvironment2->player = nullptr;
        }
        if (g_pEnvironment2->centerInfo.pObject == this) g_pEnvironment2->centerInfo.pObject = nullptr;
    }
    m_shotSet.reset();
    if (m_ray4Factory) {
        m_ray4Factory->RequestRemove(true);
        m_ray4Factory->Release();
        m_ray4Factory = nullptr;
    }
    // The effects never join the object manager: leaving their stage is all
    // there is to undo (a removal request would leave a stale entry behind).
    auto release = [](auto*& object) {
        if (object) {
            LeaveRenderStage(object);
            object->Release();
            object = nullptr;
        }
    };
    release(m_spellBg);
    release(m_overTheSonic);
    release(m_windEffect);
    ReleaseModel();
    ReleaseLockon();
    if (m_markerGenerator) m_markerGenerator->Release();
    m_markerGenerator = nullptr;
}

void Player::ReleaseLockon() {
    if (!m_lockonMarker) return;
    // The camera may keep the reticle a little longer: it must not read a
    // machine that is gone.
    m_lockonMarker->ForgetPlayer();
    LeaveRenderStage(m_lockonMarker);
    m_lockonMarker->RequestRemove(true);
    m_lockonMarker->Release();
    m_lockonMarker = nullptr;
}

void Player::ReleaseModel() {
    for (AfterBurner* flame : m_attached) {
        LeaveRenderStage(flame);
        flame->Release();
    }
    m_attached.clear();
    if (m_animation) {
        m_animation->Release();
        m_animation = nullptr;
    }
    m_pilotMesh.SetMesh(nullptr);
}

int Player::Initialize(int) { return -1; }

int Player::Initialize(const InitParam& record) {
    if (record.markerGenerator) record.markerGenerator->AddRef();
    if (m_markerGenerator) m_markerGenerator->Release();
    m_markerGenerator = record.markerGenerator;
    SetUpdatePriority(PriorityPlayer);
    JoinRenderStage(this, "SolidModel");
    SetGroupFlag(GroupPlayerSide, true);

    const int fighter = g_pEnvironment2 ? g_pEnvironment2->fighter : 1;
    SetPilotModel(fighter == 3 ? 3 : (fighter == 2 ? 2 : 1));

    m_bankState = 1;
    m_blendWeight = -1.0f;
    m_orientation = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
    m_flight = Flight();
    if (g_pEnvironment2) m_limitReference = g_pEnvironment2->centerInfo.pos;

    CreateBody();
    ReleaseLockon();
    if (Quorvex::ObjectManager* manager = GetObjectManagerOf(this)) {
        m_lockonMarker = new LockonMarker(manager, m_markerGenerator, this);
        m_lockonMarker->AddRef();
        m_lockonMarker->Initialize(0);
        manager->AddObject(m_lockonMarker);
        ApplyLockAmount();
    }
    SetReticle(D3DXVECTOR2(0.5f * Quorvex::g_Aspect, 0.5f));

    m_spellBg = new SpellBg(GetManager());
    m_spellBg->AddRef();
    if (m_spellBg->Initialize(0) < 0) return -1;

    m_ray4Factory = new Bullet_Ray4Factory(GetManager(), GetAreaManager(), m_areaPos, this);
    m_ray4Factory->AddRef();
    if (m_ray4Factory->Initialize(0) < 0) return -1;

    Reset();
    m_inputManager = record.inputManager;
    BindDefaultKeys();

    if (g_pEnvironment2 && g_pEnvironment2->viewObject) {
        g_pEnvironment2->viewObject->SetFollowTarget(this);
        g_pEnvironment2->viewObject->SetMarker(m_lockonMarker);
    }
    if (record.blurManager) record.blurManager->SetTarget(this);

    m_overTheSonic = new OverTheSonic(GetManager());
    m_overTheSonic->AddRef();
    m_overTheSonic->Initialize(0);
    m_sonicTimer = 0.0f;
    m_windEffect = new WindEffect(GetManager());
    m_windEffect->AddRef();
    m_windEffect->Initialize(0);
    m_dead = false;
    m_deathState = 0;
    m_deathTimer = 0.0f;

    if (g_pEnvironment2) g_pEnvironment2->SetPlayer(this);
    // The engine runs from the start of play, whichever way the stage began
    // (character select, stage select, continue); the frame sets its pitch.
    if (Quorvex::SoundUnit* sound = FindSoundUnit(L"wind_jet"))
        sound->Play(Quorvex::SoundUnit::PLAY_LOOP | Quorvex::SoundUnit::PLAY_IGNORE_INTERVAL, &m_areaPos);
    return 0;
}

void Player::SetPilotModel(int type) {
    if (type == m_characterType) return;
    ReleaseModel();
    m_characterType = type;
    Quorvex::ObjectManager* manager = GetObjectManagerOf(this);
    if (!manager || !manager->GetResourceManager()) return;
    const bool toska = type == 3;
    if (m_pilotMesh.SetMesh(manager->GetResourceManager(), toska ? "Mesh_Toska" : "Mesh_Velrin") < 0) return;
    Quorvex::MeshUnit* mesh = m_pilotMesh.GetMesh();
    if (mesh->CloneAnimationController(&m_animation) < 0) m_animation = nullptr;
    m_track = 0;
    m_previousTrack = -1;
    SetBankAnimation(1);
    const int flames = AfterBurner::CountAttachments(mesh->GetRootFrame());
    for (int i = 0; i < flames; ++i) {
        auto* flame = new AfterBurner(GetManager());
        flame->AddRef();
        flame->Initialize(0);
        m_attached.push_back(flame);
    }
}

void Player::CreateBody() {
    Quorvex::IAreaManager* areas = GetAreaManager();
    CollisionShapeSet* shape = areas ? areas->FindShapeSet(L"Fighter") : nullptr;
    if (shape) CreateRigidBody(shape, 0, 1.0f, 0.0f);
}

void Player::Reset() {
    m_gauge2 = 100.0f;
    m_life = 100.0f;
    if (g_pEnvironment2) m_areaPos = g_pEnvironment2->centerInfo.pos;
    m_previousPosition = m_areaPos;
    m_talkFlag = 0;
    m_invulnerableFrames = 0;
    m_orientation = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
    m_flight.velocity = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    m_flight.speed = m_flight.CruiseSpeed();
    m_flight.acceleration = 0.0f;
    m_invulnerableTime = kInvulnerableAfterHit;

    const int fighter = g_pEnvironment2 ? g_pEnvironment2->fighter : 1;
    SelectShotSet(fighter == 2 ? 2 : (fighter == 3 ? 3 : 1));
    if (m_shotSet) m_shotSet->Reset();

    m_gunHeat = 0.0f;
    m_overheat = false;
    m_zenk.elapsed = -1.0f;
    m_zenkGauge = 1.0f;
    if (m_lockonMarker) m_lockonMarker->SetState(LockonMarker::StateNormal);
    m_mode = PlayerModeNormal;
    m_regenerate = true;
    SyncRigidBody(1);
}

void Player::SetMoveLimit(const BYTE enable[3], const AreaPos& reference, const D3DXVECTOR3& minimum,
                          const D3DXVECTOR3& maximum) {
    for (int i = 0; i < 3; ++i) m_limitEnable[i] = enable ? enable[i] : 0;
    m_limitReference = reference;
    m_limitMin = minimum;
    m_limitMax = maximum;
}

void Player::ApplyMoveLimit() {
    const D3DXVECTOR3 d = AreaPos::Difference(m_areaPos, m_limitReference);
    const float offsets[3] = {d.x, d.y, d.z};
    const float mins[3] = {m_limitMin.x, m_limitMin.y, m_limitMin.z};
    const float maxs[3] = {m_limitMax.x, m_limitMax.y, m_limitMax.z};
    float push[3] = {0.0f, 0.0f, 0.0f};
    for (int i = 0; i < 3; ++i) {
        if (!m_limitEnable[i]) continue;
        if (offsets[i] <= mins[i])
            push[i] = mins[i] - offsets[i];
        else if (offsets[i] >= maxs[i])
            push[i] = maxs[i] - offsets[i];
    }
    if (push[0] == 0.0f && push[1] == 0.0f && push[2] == 0.0f) return;
    const D3DXVECTOR3 move(push[0], push[1], push[2]);
    m_areaPos.Add(move);
    if (PlaneRigidBody* body = GetRigidBody()) {
        btTransform transform = body->getWorldTransform();
        transform.setOrigin(transform.getOrigin() + btVector3(move.x, move.y, move.z));
        body->setWorldTransform(transform);
        if (body->getMotionState()) body->getMotionState()->setWorldTransform(transform);
    }
}

void Player::BindDefaultKeys() {
    if (!m_inputManager) return;
    static constexpr Quorvex::InputManager::KeyBinding kKeys[] = {
        {"PitchUp", 17, -1},      {"PitchDown", 31, -1},    {"RollUp", 30, -1},        {"RollDown", 32, -1},
        {"YawUp", 57, -1},        {"YawDown", 42, -1},      {"Accel", 200, -1},        {"Brake", 208, -1},
        {"Shot1", 205, -1},       {"Shot2", 203, -1},       {"Shot3", 82, -1},         {"LockMarkUp", 17, -1},
        {"LockMarkDown", 31, -1}, {"LockMarkLeft", 30, -1}, {"LockMarkRight", 32, -1},
    };
    m_inputManager->BindTable(kKeys);
}

bool Player::CommandOn(const char* name) const { return m_inputManager && m_inputManager->IsCommandOn(name); }

bool Player::CommandPressed(const char* name) const {
    return m_inputManager && m_inputManager->IsCommandPressed(name);
}

Player::FlightInput Player::ReadFlightInput() const {
    bool padUp = false, padDown = false, padLeft = false, padRight = false;
    if (m_inputManager) {
        if (const DIJOYSTATE* pad = m_inputManager->GetPadState()) {
            const int dx = m_inputManager->GetPadDeadZoneX();
            const int dy = m_inputManager->GetPadDeadZoneY();
            padUp = pad->lY <= -dy;
            padDown = pad->lY >= dy;
            padLeft = pad->lX <= -dx;
            padRight = pad->lX >= dx;
        }
    }
    FlightInput in;
    in.reticleUp = CommandOn("LockMarkUp") || padUp;
    in.reticleDown = CommandOn("LockMarkDown") || padDown;
    in.reticleLeft = CommandOn("LockMarkLeft") || padLeft;
    in.reticleRight = CommandOn("LockMarkRight") || padRight;
    in.moveUp = CommandOn("PitchUp") || padUp;
    in.moveDown = CommandOn("PitchDown") || padDown;
    in.moveLeft = CommandOn("RollUp") || padLeft;
    in.moveRight = CommandOn("RollDown") || padRight;
    if (g_pEnvironment2 && g_pEnvironment2->reverseAxisY) {
        std::swap(in.reticleUp, in.reticleDown);
        std::swap(in.moveUp, in.moveDown);
    }
    in.accel = CommandOn("Accel");
    in.brake = CommandOn("Brake");
    in.zenk = IsZenkActive();
    return in;
}

void Player::SetReticle(const D3DXVECTOR2& position) {
    m_reticle = position;
    // The reticle keeps to its box; the machine steers by where it stands.
    if (m_lockonMarker) {
        m_lockonMarker->SetPosition(position.x, position.y);
        m_reticle = D3DXVECTOR2(m_lockonMarker->GetX(), m_lockonMarker->GetY());
    }
    const float inverseAspect = 1.0f / GetScreenAspect();
    viewPoint = D3DXVECTOR2(m_reticle.x * inverseAspect, m_reticle.y);
}

void Player::UpdateFlight(float dt) {
    const FlightInput input = ReadFlightInput();
    m_flight.StepReticle(input, dt);
    const float aspect = GetScreenAspect();
    SetReticle(m_flight.ReticleScreenPoint(aspect));
    m_orientation = m_flight.AttitudeFromScreen(m_reticle.x / aspect, m_reticle.y);
    m_flight.StepMotion(input, dt, m_areaPos.ToWorld().y);
}

// ---- per frame ----

void Player::Update(float dt) {
    if (m_dead)
        UpdateDead(dt);
    else
        UpdateAlive(dt);
    UpdateEngineSound();
}

void Player::UpdateAlive(float dt) {
    Object3D::Update(dt);
    if (m_mode == PlayerModeDead) m_mode = PlayerModeNormal;
    SyncRigidBody(2);
    if (PlaneRigidBody* body = GetRigidBody()) {
        body->setLinearVelocity(btVector3(0.0f, 0.0f, 0.0f));
        body->activate(true);
    }
    m_previousPosition = m_areaPos;

    UpdateFlight(dt);
    if (m_talkFlag) {
        const float s = 0.9f * m_flight.speed + 0.1f * m_flight.CruiseSpeed();
        m_flight.speed = Clamp(s, m_flight.minSpeed, m_flight.maxSpeed);
        m_flight.velocity.z = m_flight.speed;
        m_invulnerableTime = std::max(m_invulnerableTime, 1.0f);
    }
    ApplyMoveLimit();
    if (PlaneRigidBody* body = GetRigidBody())
        body->setLinearVelocity(btVector3(m_flight.velocity.x, m_flight.velocity.y, m_flight.velocity.z));

    m_sonicTimer -= dt;
    if (m_sonicTimer <= 0.0f && m_flight.speed > 0.95f * m_flight.maxSpeed && m_overTheSonic) {
        const float centerX = 0.5f * Quorvex::g_Aspect;
        m_overTheSonic->Start(centerX + 0.25f * (m_reticle.x - centerX), 0.5f + 0.25f * (m_reticle.y - 0.5f), 0.5f);
        m_sonicTimer = 0.75f;
    }
    if (m_windEffect) m_windEffect->wind = -m_flight.velocity;

    UpdateZenkMode(dt);

    if (!m_talkFlag) {
        const float rate = GetSpeedRate();
        if (!IsZenkActive() && m_zenkGauge < 1.0f)
            m_zenkGauge = std::min(m_zenkGauge + PassiveZenkFill(rate, dt), 1.0f);
        if (m_regenerate) m_life = std::min(m_life + m_gauge2 * RegenerationRate(rate) * dt, m_gauge2);
        FireWeapons(dt);
        AddSpeedScore();
    }

    if (m_invulnerableTime == 0.0f) {
        m_invulnerableFrames = 0;
    } else {
        m_invulnerableTime = std::max(m_invulnerableTime - dt, 0.0f);
        ++m_invulnerableFrames;
    }
    UpdateBankAnimation(dt);
}

void Player::UpdateDead(float dt) {
    UpdateDeath(dt);
    // A respawn within the death sequence leaves the dead branch at once.
    if (!m_dead) return;
    m_mode = PlayerModeDead;
    SyncRigidBody(0);
    if (D3DXVec3Length(&m_flight.velocity) > 1.1920929e-07f) {
        if (PlaneRigidBody* body = GetRigidBody()) {
            body->setLinearVelocity(btVector3(0.0f, 0.0f, 0.0f));
            btTransform transform = body->getWorldTransform();
            const D3DXVECTOR3 step = m_flight.velocity * dt;
            transform.setOrigin(transform.getOrigin() + btVector3(step.x, step.y, step.z));
            body->setWorldTransform(transform);
            if (body->getMotionState()) body->getMotionState()->setWorldTransform(transform);
        }
    }
    ApplyMoveLimit();
}

void Player::FireWeapons(float dt) {
    switch (m_shotSetKind) {
        case 2:
            if (FireZenk_Heavy(dt) == 0) {
                FireSpecial_Heavy(dt);
                FireGun_Heavy(dt);
            }
            break;
        case 3:
            if (FireZenk_Toska(dt) == 0) {
                FireSpecial_Toska(dt);
                FireGun_Toska(dt);
            }
            break;
        default:
            FireSpecial_Normal(dt);
            FireGun_Normal(dt);
            break;
    }
}

void Player::AddSpeedScore() {
    SceneRequests* game = g_pEnvironment2 ? g_pEnvironment2->gameManager : nullptr;
    if (!game) return;
    const int points = SpeedScore(GetSpeedRate());
    game->stageScore += points;
    game->totalScore += points;
}

void Player::UpdateEngineSound() {
    Quorvex::SoundUnit* sound = FindSoundUnit(L"wind_jet");
    if (!sound) return;
    const float rate = GetSpeedRate();
    sound->SetPosition(m_areaPos);
    sound->SetFrequency(22050 + static_cast<DWORD>(44100.0f * rate));
    sound->SetVolume(rate);
}

// ---- death ----

void Player::UpdateDeath(float dt) {
    const int n = static_cast<int>(std::max(30.0f * m_overkillRatio, 1.0f));
    switch (m_deathState) {
        case 0:
            m_deathCount = 0;
            EndZenkMode();
            m_deathState = 1;
            break;
        case 1:
            m_deathTimer += dt;
            while (m_deathTimer > 0.1f && m_deathState == 1) {
                m_deathTimer -= 0.1f;
                ++m_deathCount;
                const float rx = Quorvex::RandomFloat(), ry = Quorvex::RandomFloat(), rz = Quorvex::RandomFloat();
                const AreaPos at =
                    m_areaPos.Translated(D3DXVECTOR3((rx - 0.5f) * 8.0f, (ry - 0.5f) * 6.0f, (rz - 0.5f) * 10.0f));
                if (EffectGenerator* effects = Effects()) effects->CreateExplosion(at, 3.0f, 48);
                const float ratio = static_cast<float>(m_deathCount) / n;
                const float f = Clamp(ratio * ratio * ratio, 0.0f, 1.0f);
                m_flight.velocity *= 1.0f - f;
                m_flight.speed *= 1.0f - f;
                if (m_deathCount >= n) {
                    m_flight.velocity = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
                    m_deathState = 2;
                }
            }
            break;
        case 2: {
            Effect_Explosion* explosion = nullptr;
            if (EffectGenerator* effects = Effects()) explosion = effects->CreateExplosion(m_areaPos, 40.0f, 16);
            LeaveRenderStage(this);
            for (AfterBurner* flame : m_attached) LeaveRenderStage(flame);
            if (PlaneRigidBody* body = GetRigidBody()) body->setLinearVelocity(btVector3(0.0f, 0.0f, 0.0f));
            // An exhausted explosion pool gives no explosion: its lifetime counts as 0.
            m_deathTimer = (explosion ? explosion->GetLife() : 0.0f) + 1.0f;
            m_deathState = 3;
            break;
        }
        case 3:
        case 4:
            if (m_deathState == 3 && m_deathTimer <= 2.3f) {
                if (g_pEnvironment2 && g_pEnvironment2->gameManager) g_pEnvironment2->gameManager->RequestDeadEnd();
                m_deathState = 4;
            }
            if (m_deathTimer <= 0.0f) m_deathState = 5;
            m_deathTimer -= dt;
            break;
        case 5:
            m_deathCount = 0;
            m_deathTimer = 0.0f;
            m_deathState = 0;
            m_dead = false;
            Reset();
            SyncRigidBody(1);
            JoinRenderStage(this, "SolidModel");
            SetGroupFlag(GroupPlayerSide, true);
            for (AfterBurner* flame : m_attached) JoinRenderStage(flame, "Sprite3D");
            break;
        default:
            m_deathState = 0;
            break;
    }
}

// ---- damage and the Zenk gauge ----

bool Player::CanCollide(Object3D* other) {
    if (!other) return false;
    if (other->CheckGroupFlag(GroupNoProjectileHit) || other->CheckGroupFlag(GroupSolid)) return true;
    if (m_invulnerableTime > 0.0f) return false;
    return other->CheckGroupFlag(GroupEnemySide) || other->CheckGroupFlag(GroupLockable);
}

void Player::OnCollision(Quorvex::Object* other) {
    if (!other || m_invulnerableTime > 0.0f || m_life <= 0.0f) return;
    const float rate = GetSpeedRate();
    if (other->CheckGroupFlag(GroupEnemySide) && other->CheckGroupFlag(GroupProjectile)) {
        if (auto* bullet = dynamic_cast<Bullet*>(other)) {
            const float factor = g_pEnvironment2 ? g_pEnvironment2->damageFactor : 1.0f;
            m_life -= ProjectileDamage(bullet->GetAttackPower(), rate, IsZenkActive(), factor);
            m_invulnerableTime = kInvulnerableAfterHit;
            if (FlashManager* flash = g_pEnvironment2 ? g_pEnvironment2->flashManager : nullptr)
                flash->StartFlash(D3DXVECTOR4(1, 0, 0, 0), D3DXVECTOR4(10, 5, 5, 1), D3DXVECTOR4(1, 0, 0, 0), 0.125f,
                                  0.25f, 100.0f);
        }
    }
    if (other->CheckGroupFlag(GroupSolid) && !other->CheckGroupFlag(GroupNoProjectileHit)) {
        // Only a ground piece has a contact factor; any other solid counts 1.
        auto* ground = dynamic_cast<Ground_Base*>(other);
        const float k = (0.8f * rate + 0.2f) * (ground ? ground->GetContactDamageFactor() : 1.0f);
        m_life -= 50.0f * k;
        m_invulnerableTime = 2.0f * k;
        if (EffectGenerator* effects = Effects()) effects->CreateExplosion(m_areaPos, std::max(30.0f * k, 1.0f), 0);
    }
    if (m_life <= 0.0f) {
        m_dead = true;
        const float maxLife = m_gauge2 > 0.0f ? m_gauge2 : 1.0f;
        m_overkillRatio = 1.0f - Clamp(-m_life / maxLife, 0.0f, 1.0f);
        m_life = 0.0f;
    }
}

void Player::OnShotHit(Object3D* projectile) {
    auto* bullet = dynamic_cast<Bullet*>(projectile);
    if (!bullet) return;
    AddZenkGauge(ShotHitCharge(bullet->GetTypeName(), GetSpeedRate(), IsZenkActive()));
}

void Player::AddZenkGauge(float value) { m_zenkGauge = Clamp(m_zenkGauge + value, 0.0f, 1.0f); }

float Player::GetLifeValue() const { return m_life; }

float Player::GetMaxLife() const { return m_gauge2; }

void Player::UpdateZenkMode(float dt) {
    const bool held = CommandOn("Accel") && CommandOn("Brake") && CommandOn("Shot1");
    if (!IsZenkActive()) {
        if (held) StartZenkMode();
        return;
    }
    if (!held || m_zenkGauge <= 0.0f) {
        EndZenkMode();
        return;
    }
    const float e = std::min(m_zenk.elapsed, 0.25f);
    const float s = 1.0f - e * 4.0f * 0.3f;
    if (Quorvex::g_pEnvironment)
        Quorvex::g_pEnvironment->SetPhysicsStepRate(Quorvex::g_pEnvironment->GetDoubleFpsMax() / s);
    m_zenkGauge = std::max(m_zenkGauge - (dt / s) * m_zenk.drain, 0.0f);
    // Game time slows to 70 % over the first quarter second; the screen
    // effect deepens to 0.4 over the same ramp measured in slowed time.
    if (IActionScene* scene = CurrentActionScene()) {
        scene->SetTimeScale(s);
        const float ramp = 0.25f / s;
        scene->SetScreenEffectIntensity(1.0f - 0.6f * std::min(m_zenk.elapsed, ramp) / ramp);
    }
    m_zenk.elapsed += dt;
}

void Player::StartZenkMode() {
    if (IsZenkActive() || m_zenkGauge < 1.0f) return;
    m_zenk.elapsed = -1.0f;
    m_zenk.spare = 0.0f;
    m_zenkGauge -= m_zenk.startCost;
    if (m_lockonMarker) m_lockonMarker->SetState(LockonMarker::StateZenk);
    m_mode = PlayerModeZenk;
    if (m_spellBg) m_spellBg->SetState(2);
    if (Quorvex::SoundUnit* sound = FindSoundUnit(L"zenkstart")) sound->Play(Quorvex::SoundUnit::PLAY_REWIND);
    m_zenk.elapsed = 0.0f;
}

void Player::EndZenkMode() {
    if (!IsZenkActive()) return;
    m_zenk.elapsed = -1.0f;
    m_zenk.spare = 0.0f;
    if (IActionScene* scene = CurrentActionScene()) {
        scene->SetTimeScale(1.0f);
        scene->SetScreenEffectIntensity(1.0f);
        if (scene->IsSecondaryEffectOn()) scene->SetSecondaryEffect(false);
    }
    if (m_lockonMarker) m_lockonMarker->SetState(LockonMarker::StateNormal);
    m_mode = PlayerModeNormal;
    if (m_spellBg) m_spellBg->SetState(1);
    if (Quorvex::SoundUnit* sound = FindSoundUnit(L"zenkstart")) sound->Stop();
    if (Quorvex::g_pEnvironment) Quorvex::g_pEnvironment->UpdatePhysicsStepRate();
}

// ---- bank animation ----

void Player::SetBankAnimation(int state) {
    m_bankState = state;
    // Every change starts the fade, with or without a track to show it: the
    // state moves on when the fade ends, so a machine without a controller or
    // set must not stay in an entering or leaving state.
    m_blendWeight = 0.0f;
    m_animPosition = 0.0;
    if (!m_animation) return;
    const bool toska = m_characterType == 3;
    const char* name;
    switch (state) {
        case 2:
        case 4:
            name = toska ? "AnimationSet_toska5lj" : "AnimationSet_velrin_rj";
            break;
        case 3:
            name = toska ? "AnimationSet_toska5l2j" : "AnimationSet_velrin_r2j";
            break;
        case 5:
        case 7:
            name = toska ? "AnimationSet_toska5rj" : "AnimationSet_velrin_lj";
            break;
        case 6:
            name = toska ? "AnimationSet_toska5r2j" : "AnimationSet_velrin_l2j";
            break;
        default:
            name = toska ? "AnimationSet_toska5nj" : "AnimationSet_velrin_nj";
            break;
    }
    ID3DXAnimationSet* set = nullptr;
    if (FAILED(m_animation->GetAnimationSetByName(name, &set)) || !set) return;
    // The new set goes on a fresh track and fades in over the current one.
    const int tracks = static_cast<int>(m_animation->GetMaxNumTracks());
    const int fresh = tracks > 1 ? (m_track + 1) % 2 : 0;
    if (tracks > 1 && m_previousTrack >= 0 && m_previousTrack != m_track)
        m_animation->SetTrackEnable(m_previousTrack, FALSE);
    m_previousTrack = m_track;
    m_track = fresh;
    m_animation->SetTrackAnimationSet(m_track, set);
    m_animation->SetTrackEnable(m_track, TRUE);
    m_animation->SetTrackPosition(m_track, 0.0);
    m_animation->SetTrackSpeed(m_track, 1.0f);
    set->Release();
    m_animation->SetTrackWeight(m_track, IsCrossFading() ? 0.0f : 1.0f);
}

bool Player::IsCrossFading() const { return m_previousTrack >= 0 && m_previousTrack != m_track; }

void Player::UpdateBankAnimation(float dt) {
    bool padLeft = false, padRight = false;
    if (m_inputManager) {
        if (const DIJOYSTATE* pad = m_inputManager->GetPadState()) {
            padLeft = pad->lX <= -m_inputManager->GetPadDeadZoneX();
            padRight = pad->lX >= m_inputManager->GetPadDeadZoneX();
        }
    }
    const bool right = CommandOn("LockMarkRight") || padRight;
    const bool left = CommandOn("LockMarkLeft") || padLeft;
    const int s = m_bankState;
    if (right) {
        if (s != 2 && s != 3 && s != 7) SetBankAnimation(2);
    } else if (left) {
        if (s != 5 && s != 6 && s != 4) SetBankAnimation(5);
    } else if (s == 2 || s == 3) {
        SetBankAnimation(4);
    } else if (s == 5 || s == 6) {
        SetBankAnimation(7);
    }

    const float rate = m_bankState == 1 ? 0.3f : 2.0f;
    m_animPosition += rate * dt;
    if (m_animation) m_animation->SetTrackPosition(m_track, m_animPosition);
    if (m_blendWeight < 0.0f) return;
    m_blendWeight += rate * dt;
    if (m_blendWeight <= 1.0f) {
        if (m_animation && IsCrossFading()) {
            m_animation->SetTrackWeight(m_track, m_blendWeight);
            m_animation->SetTrackWeight(m_previousTrack, 1.0f - m_blendWeight);
        }
        return;
    }
    if (m_animation) {
        m_animation->SetTrackWeight(m_track, 1.0f);
        if (IsCrossFading()) m_animation->SetTrackEnable(m_previousTrack, FALSE);
    }
    m_blendWeight = -1.0f;
    m_previousTrack = -1;
    switch (m_bankState) {
        case 2:
            SetBankAnimation(3);
            break;
        case 5:
            SetBankAnimation(6);
            break;
        case 4:
        case 7:
            SetBankAnimation(1);
            break;
        default:
            break;
    }
}

// ---- drawing ----

void Player::Render(Quorvex::CalcVertexSet* list) {
    // The flames follow the machine; their own Render runs in the same pass.
    const float level = GetSpeedRate();
    const D3DXVECTOR3 world = m_areaPos.ToWorld();
    const D3DXQUATERNION parent = AfterBurner::MachineRotation(level, m_orientation);
    for (size_t i = 0; i < m_attached.size(); ++i)
        m_attached[i]->PlaceOnMachine(static_cast<int>(i), level, world, parent);
    if (m_pilotMesh.GetMesh()) Quorvex::PushDrawObject(list, this);
}

void Player::Draw() {
    if (m_animation) m_animation->AdvanceTime(0.0, nullptr);
    // Blinks while invulnerable.
    if (m_invulnerableTime > 0.0f && (m_invulnerableFrames % 2) != 0) return;
    const float scale = m_characterType == 3 ? 0.7f : 1.0f;
    Quorvex::DrawMeshInfo(m_pilotMesh,
                          AfterBurner::MachineMatrix(GetSpeedRate(), scale, m_orientation, m_areaPos.ToWorld()));
}

IUnknown* CountedOf(Player* player) { return player; }

Object3D* ObjectOf(Player* player) { return player; }
