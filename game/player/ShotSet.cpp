#include "game/player/ShotSet.h"

#include <algorithm>
#include <cmath>

#include "engine/assets/devices/SoundUnit.h"
#include "engine/core/Environment.h"
#include "engine/core/Utility.h"
#include "game/player/Gun.h"
#include "game/player/GunFactory.h"
#include "game/player/PlayerResources.h"
#include "game/player/weapons/Amulet.h"
#include "game/player/weapons/Bullet_Nuke.h"
#include "game/player/weapons/LockonMarker.h"
#include "game/player/weapons/MarkerGenerator.h"
#include "game/player/weapons/Missile.h"
#include "game/state/Environment2.h"
#include "game/world/Character.h"

using Quorvex::AreaPos;

namespace {

// The smallest frame time the Heavy drain divides by: a zero step still
// empties the gauge in the first held frame instead of giving infinity.
constexpr float kMinFrameTime = 1.0e-4f;

ShotSet_Common* Common(const std::unique_ptr<Player::ShotSet>& set) {
    return static_cast<ShotSet_Common*>(set.get());
}

}  // namespace

const ShotSet_Common::Values& ShotSet_Common::ValuesOf(int kind) {
    static const Values kNormal{45.0f, 99, 0.7f, 0.1f, 0.01f, 0.02f, L"val2", 0.25f, 0.1f};
    static const Values kHeavy{15.0f, 19, 1.0f, 0.5f, 0.5f, 0.04f, L"valheavy", -1.0f, 0.0f};
    static const Values kToska{199.0f, 199, 0.3f, 0.5f, 0.5f, 0.04f, L"valheavy", 0.25f, 0.1f};
    return kind == 2 ? kHeavy : (kind == 3 ? kToska : kNormal);
}

ShotSet_Common::ShotSet_Common(Player* player, int setKind) : kind(setKind) {
    const wchar_t* failure = L"GunFactory intialize failed.";
    if (kind == 2) {
        gunPool = new GunHeavyFactory(player->GetManager(), player->GetAreaManager(), player->GetAreaPos(), player);
        failure = L"GunHeavyFactory intialize failed.";
    } else if (kind == 3) {
        gunPool = new GunNeedleFactory(player->GetManager(), player->GetAreaManager(), player->GetAreaPos(), player);
        failure = L"GunNeedleFactory intialize failed.";
    } else {
        gunPool = new GunFactory(player->GetManager(), player->GetAreaManager(), player->GetAreaPos(), player);
    }
    gunPool->AddRef();
    if (gunPool->Initialize(0) < 0) {
        gunPool->RequestRemove(true);
        gunPool->Release();
        gunPool = nullptr;
        throw failure;
    }
}

ShotSet_Common::~ShotSet_Common() {
    if (gunPool) {
        // Bullets still flying outlive the set: they must not report hits to
        // a machine that may be gone.
        gunPool->ForEachInUse([](Quorvex::IFactoryProduct* product) {
            if (auto* bullet = dynamic_cast<Bullet*>(product)) bullet->SetOwner(nullptr);
        });
        gunPool->RequestRemove(true);
        gunPool->Release();
    }
}

void ShotSet_Common::Reset() {
    const Values& v = GetValues();
    stock = v.stock;
    maximum = v.maximum;
    reloadInterval = v.reloadInterval;
    reloadClock = 0.0f;
    gunCooldown = 0.0f;
    specialCooldown = 0.0f;
    muzzleIndex = 0;
    needlePhase = 0;
    noFreeShot = false;
}

void ShotSet_Common::AddMissile(float value) { stock = std::min(stock + value, static_cast<float>(maximum)); }

void ShotSet_Common::Reload(float dt) {
    if (reloadInterval <= 0.0f) return;
    if (stock >= static_cast<float>(maximum)) {
        reloadClock = 0.0f;
        return;
    }
    reloadClock -= dt;
    while (reloadClock < 0.0f) {
        stock += 1.0f;
        if (stock < static_cast<float>(maximum)) {
            reloadClock += reloadInterval;
        } else {
            reloadClock = 0.0f;
            break;
        }
    }
}

// ---- Player: choosing and firing the set ----

void Player::SelectShotSet(int kind) {
    if (kind == m_shotSetKind && m_shotSet) return;
    m_shotSetKind = kind;
    m_shotSet.reset();
    if (kind == 2)
        m_shotSet = std::make_unique<ShotSet_Heavy>(this);
    else if (kind == 3)
        m_shotSet = std::make_unique<ShotSet_Toska>(this);
    else
        m_shotSet = std::make_unique<ShotSet_Normal>(this);
    const ShotSet_Common::Values& v = ShotSet_Common::ValuesOf(kind);
    if (v.zenkDrain < 0.0f)
        m_zenk.drain = 10.0f / std::max(GetFrameTimeStep(), kMinFrameTime);
    else
        m_zenk.drain = v.zenkDrain;
    m_zenk.startCost = v.zenkCost;
    ApplyLockAmount();
}

void Player::ApplyLockAmount() {
    if (m_lockonMarker) m_lockonMarker->LockAmount = m_shotSetKind == 2 || m_shotSetKind == 3 ? 200.0f : 100.0f;
}

bool Player::PrepareSpecial(float dt, bool allowZenk) {
    ShotSet_Common* set = Common(m_shotSet);
    if (!set) return false;
    set->Reload(dt);
    set->specialCooldown = std::max(set->specialCooldown - dt, 0.0f);
    if (set->specialCooldown > 0.0f || set->stock <= 0.0f) return false;
    const bool zenk = m_mode == PlayerModeZenk;
    if (m_mode != PlayerModeNormal && !(allowZenk && zenk)) return false;
    // Zenk mode fires the Normal set automatically while Shot1 is held.
    return (allowZenk && zenk) ? CommandOn("Shot1") : CommandPressed("Shot1");
}

void Player::AfterSpecial(int launched) {
    ShotSet_Common* set = Common(m_shotSet);
    if (!set || launched <= 0) return;
    const ShotSet_Common::Values& v = set->GetValues();
    set->specialCooldown = IsZenkActive() ? v.specialCooldownZenk : v.specialCooldown;
    if (!IsZenkActive()) set->stock -= static_cast<float>(launched);
    set->muzzleIndex = (set->muzzleIndex + launched) % 4;
    if (set->kind == 1)
        if (Quorvex::SoundUnit* sound = FindSoundUnit(L"misl")) sound->Play(Quorvex::SoundUnit::PLAY_REWIND);
}

Marker* Player::TakeLock(Character** target) {
    *target = nullptr;
    if (!m_markerGenerator) return nullptr;
    std::lock_guard<std::recursive_mutex> lock(m_markerGenerator->GetLock());
    for (Marker* marker : m_markerGenerator->CopyInUseMarkers()) {
        if (marker->GetState() != MarkerLocked || !marker->GetTarget()) continue;
        *target = marker->GetTarget();
        (*target)->AddRef();
        marker->SetFired();
        return marker;
    }
    return nullptr;
}

bool Player::LaunchNuke(int kind, Character* target, Marker* marker) {
    Quorvex::FactoryAdapter* pool = g_pEnvironment2 ? NukePoolOf(g_pEnvironment2->enemyGenerator) : nullptr;
    if (!pool) return false;
    Bullet_Nuke::SetParam record(m_areaPos.Translated(D3DXVECTOR3(10.0f, 0.0f, 0.0f)), m_orientation, this, 1,
                                 D3DXVECTOR3(0.0f, 0.0f, 0.0f), 1.0f, GetObjectManagerOf(this), 1.0f, 1.5f, kind);
    Quorvex::IFactoryProduct* product = pool->AcquireProduct(&record);
    if (!product) return false;
    if (auto* nuke = dynamic_cast<Bullet_Nuke*>(product)) nuke->SetLinks(target, marker);
    product->Release();
    return true;
}

bool Player::LaunchSpecial(int weapon, Character* target, Marker* marker) {
    if (weapon == WeaponNuke) return LaunchNuke(Bullet_Nuke::KindHeavy, target, marker);
    ShotSet_Common* set = Common(m_shotSet);
    Quorvex::ObjectManager* manager = GetObjectManagerOf(this);
    if (!manager || !set) return false;
    static const float kMuzzles[4] = {-15.0f, -7.5f, 7.5f, 15.0f};
    const float x = weapon == WeaponAmulet ? 10.0f : kMuzzles[set->muzzleIndex % 4];
    const AreaPos start = m_areaPos.Translated(D3DXVECTOR3(x, 0.0f, 0.0f));
    // Registered with the manager when made: the manager's reference is the
    // only one, and the weapon removes itself when its flight ends.
    Missile* weaponObject = weapon == WeaponAmulet ? new Amulet(manager, GetAreaManager(), start)
                                                   : new Missile(manager, GetAreaManager(), start);
    Missile::InitParam record;
    record.owner = this;
    record.target = target;
    record.marker = marker;
    weaponObject->Initialize(record);
    weaponObject->SetSide(true);
    // Without a target it flies straight along the machine's heading.
    if (!target) weaponObject->SetOrientation(m_orientation);
    if (weapon == WeaponMissile && IsZenkActive()) weaponObject->SetHomingMode(Missile::HomingZenk);
    return true;
}

void Player::FireSpecial(float dt, bool allowZenk, int weapon) {
    if (!PrepareSpecial(dt, allowZenk)) return;
    ShotSet_Common* set = Common(m_shotSet);
    int launched = 0;
    Character* target = nullptr;
    if (Marker* marker = TakeLock(&target)) {
        if (LaunchSpecial(weapon, target, marker))
            launched = 1;
        else
            marker->Release(nullptr);  // nothing flies on it: the lock goes back
        target->Release();
    } else if (!set->noFreeShot && !(weapon == WeaponMissile && IsZenkActive())) {
        if (LaunchSpecial(weapon, nullptr, nullptr)) launched = 1;
    }
    AfterSpecial(launched);
}

void Player::FireSpecial_Normal(float dt) { FireSpecial(dt, true, WeaponMissile); }

void Player::FireSpecial_Heavy(float dt) { FireSpecial(dt, false, WeaponNuke); }

void Player::FireSpecial_Toska(float dt) { FireSpecial(dt, false, WeaponAmulet); }

int Player::FireZenk_Heavy(float) {
    if (m_mode != PlayerModeZenk) return 0;
    LaunchNuke(Bullet_Nuke::KindZenk, nullptr, nullptr);
    if (ShotSet_Common* set = Common(m_shotSet)) set->muzzleIndex = (set->muzzleIndex + 1) % 4;
    return 1;
}

int Player::FireZenk_Toska(float dt) { return FireZenk_Heavy(dt); }

bool Player::PrepareGun(float dt) {
    ShotSet_Common* set = Common(m_shotSet);
    if (!set) return false;
    const bool held = CommandOn("Shot2");
    set->gunCooldown = std::max(set->gunCooldown - dt, 0.0f);
    if (set->gunCooldown > 0.0f) return false;
    if (held && !m_overheat && m_mode != PlayerModeNormal) {
        m_gunHeat = std::min(m_gunHeat + dt / 3.0f, 1.0f);
        if (m_gunHeat >= 1.0f) m_overheat = true;
    } else {
        m_gunHeat = std::max(m_gunHeat - dt * 2.0f / 3.0f, 0.0f);
        if (m_gunHeat <= 0.0f) m_overheat = false;
    }
    if (m_lockonMarker) m_lockonMarker->SetHeat(m_gunHeat);
    return !m_overheat && m_mode == PlayerModeNormal && held;
}

D3DXQUATERNION Player::GunAim() const {
    float yaw = 0.0f, pitch = 0.0f;
    if (Quorvex::ObjectManager* manager = GetObjectManagerOf(this)) {
        const float aspect = GetScreenAspect();
        const D3DXVECTOR3 screen(2.0f * (m_reticle.x / aspect) - 1.0f, 1.0f - 2.0f * m_reticle.y, 1.0f);
        D3DXVECTOR3 point, direction;
        D3DXVec3TransformCoord(&point, &screen, &manager->GetInverseViewProjection());
        direction = point - manager->GetCamera().eye;
        D3DXVec3Normalize(&direction, &direction);
        yaw = std::atan2(direction.x, direction.z);
        pitch = std::atan2(-direction.y, std::sqrt(direction.x * direction.x + direction.z * direction.z));
    }
    const float spread = 1.0f + 4.0f * m_gunHeat;
    yaw += D3DXToRadian((Quorvex::RandomFloat() - 0.5f) * spread);
    pitch += D3DXToRadian((Quorvex::RandomFloat() - 0.5f) * spread);
    const float roll = D3DXToRadian((Quorvex::RandomFloat() - 0.5f) * spread);
    D3DXQUATERNION aim;
    D3DXQuaternionRotationYawPitchRoll(&aim, yaw, pitch, roll);
    return aim;
}

void Player::PlayGunSound() {
    ShotSet_Common* set = Common(m_shotSet);
    if (!set) return;
    if (Quorvex::SoundUnit* sound = FindSoundUnit(set->GetValues().gunSound))
        sound->Play(Quorvex::SoundUnit::PLAY_REWIND);
}

namespace {

void LaunchGun(GunFactory* pool, Player* owner, const Quorvex::AreaPos& start, const D3DXQUATERNION& orientation) {
    if (!pool) return;
    Gun::SetParam record;
    record.owner = owner;
    record.start = &start;
    record.orientation = &orientation;
    record.objectManager = GetObjectManagerOf(owner);
    // The flying bullet is the pool's and the manager's; the caller keeps none.
    if (Quorvex::IFactoryProduct* bullet = pool->AcquireProduct(&record)) bullet->Release();
}

}  // namespace

void Player::FireGun_Normal(float dt) {
    if (!PrepareGun(dt)) return;
    ShotSet_Common* set = Common(m_shotSet);
    LaunchGun(set->gunPool, this, m_areaPos, GunAim());
    set->gunCooldown = set->GetValues().gunInterval;
    PlayGunSound();
}

void Player::FireGun_Heavy(float dt) { FireGun_Normal(dt); }

void Player::FireGun_Toska(float dt) {
    if (!PrepareGun(dt)) return;
    ShotSet_Common* set = Common(m_shotSet);
    const D3DXQUATERNION aim = GunAim();
    D3DXMATRIX turn;
    D3DXMatrixRotationQuaternion(&turn, &aim);
    for (int i = 0; i < 6; ++i) {
        const float sign = i < 3 ? -1.0f : 1.0f;
        const int k = i % 3;
        const D3DXVECTOR3 local(sign * 4.0f * k, 5.0f - 5.0f * k, 0.0f);
        D3DXVECTOR3 offset;
        D3DXVec3TransformCoord(&offset, &local, &turn);
        D3DXQUATERNION yaw, needle;
        D3DXQuaternionRotationYawPitchRoll(&yaw, sign * D3DXToRadian((set->needlePhase % 6) * 5.0f / 6.0f), 0.0f,
                                           0.0f);
        // The needle's own yaw is applied first, then the aim.
        D3DXQuaternionMultiply(&needle, &yaw, &aim);
        LaunchGun(set->gunPool, this, m_areaPos.Translated(offset), needle);
    }
    set->needlePhase = set->needlePhase + 1 >= 7 ? 1 : set->needlePhase + 1;
    set->gunCooldown = set->GetValues().gunInterval;
    PlayGunSound();
}
