#include "game/enemy/AuraParam.h"

#include <algorithm>
#include <cmath>

#include <boost/bind/bind.hpp>

#include "engine/core/Utility.h"
#include "game/enemy/EnemyEx.h"
#include "game/state/Environment2.h"
#include "game/world/effects/EffectGenerator.h"
#include "game/world/effects/EffectObject.h"

using boost::placeholders::_1;

AuraParam::~AuraParam() {
    // The sprites finish on their own, without calling back into this record.
    std::set<Effect_GeneralPurpose*> held;
    held.swap(sprites);
    for (Effect_GeneralPurpose* sprite : held) {
        sprite->m_finish.clear();
        sprite->Release();
    }
}

void AuraParam::AddSprite(Effect_GeneralPurpose* sprite) {
    if (sprites.insert(sprite).second) sprite->AddRef();
}

void AuraParam::RemoveSprite(void* sprite) {
    // The callback hands the ended effect as its base.
    auto* ended = static_cast<Effect_GeneralPurpose*>(static_cast<EffectObject*>(sprite));
    if (sprites.erase(ended)) ended->Release();
}

namespace {

float R() { return Quorvex::RandomFloat(); }

BYTE Channel(float fraction) { return static_cast<BYTE>(static_cast<int>(fraction * 255.0f)); }

// The values in which the aura variants differ. A negative value leaves the
// sprite's own (pool) value.
struct AuraLook {
    const char* material;
    float intervalBase, intervalSlope;
    float shift;
    float distanceBase;
    // k = max(kBase - kSlope I, kFloor) x (kRand0 + kRand1 r)
    float kBase, kSlope, kFloor, kRand0, kRand1;
    bool clampK;  // I clamped to 1 in k
    float size0, size1, size2;  // factors of k; size0 < 0: sizes not set
    float quad;                  // half width of the quad; < 0: not set
    float quadY;
    BYTE firstAlpha;
    bool firstFromSecond;  // first colour = 0 then the second colour's channels
    BYTE secondAlpha;
    float c0, c0r, c1, c1r, c2, c2r;  // channel = base + slope r
    float life0, life1, life2;         // < 0: not set
    float scaleFrom, scaleTo;          // < 0: not set
    int blend;                         // < 0: not set
    int flag;
};

constexpr AuraLook kAura = {"matAura3", 0.1f, 0.07f, 0.99f, 15.0f, 1.0f, 0.5f, 0.5f, 0.75f, 0.25f, true,
                            0.1f, 0.75f, 1.0f, 1.0f, 1.0f, 0, false, 64, 0.85f, 0.1f, 0.4f, 0.3f, 0.0f, 0.2f,
                            2.0f, 2.0f, 2.0f, 12.0f, 12.0f, 3, 1};
constexpr AuraLook kAura1 = {"matAura", 0.1f, 0.099f, 0.9f, 25.0f, 2.0f, 1.7f, 0.3f, 0.25f, 0.75f, false,
                             0.25f, 0.25f, 1.0f, 5.0f, 10.0f, 0, true, 128, 0.9f, 0.1f, 0.8f, 0.2f, 0.7f, 0.3f,
                             2.5f, 2.5f, 2.5f, 15.0f, 30.0f, -1, 1};
constexpr AuraLook kAura3 = {"matAura", 0.1f, 0.09f, 0.75f, 15.0f, 1.0f, 0.5f, 0.5f, 0.75f, 0.25f, true,
                             0.1f, 0.75f, 1.0f, 10.0f, 10.0f, 0, false, 32, 0.25f, 0.75f, 0.75f, 0.25f, 0.25f, 0.75f,
                             3.5f, 3.5f, 3.5f, 20.0f, 20.0f, 3, 1};
constexpr AuraLook kAura4 = {"matAura3", 0.1f, 0.05f, 1.0f, 15.0f, 1.0f, 0.5f, 0.5f, 0.75f, 0.25f, true,
                             0.1f, 0.75f, 1.0f, -1.0f, -1.0f, 255, false, 32, 0.85f, 0.15f, 0.125f, 0.125f, 0.5f,
                             0.25f, -1.0f, -1.0f, -1.0f, 80.0f, 80.0f, 3, 2};

// The quad as two triangles: corners (-x, y), (x, y), (-x, -y), (x, -y).
void SetQuad(Effect_GeneralPurpose* sprite, float x, float y) {
    const D3DXVECTOR3 corner[4] = {{-x, y, 0.0f}, {x, y, 0.0f}, {-x, -y, 0.0f}, {x, -y, 0.0f}};
    const D3DXVECTOR2 uv[4] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}};
    static constexpr int order[6] = {0, 1, 2, 2, 1, 3};
    sprite->m_baseVertices.clear();
    sprite->m_sprite.positions.clear();
    sprite->m_sprite.texCoords.clear();
    for (int i : order) {
        sprite->m_baseVertices.push_back(corner[i]);
        sprite->m_sprite.positions.push_back(corner[i]);
        sprite->m_sprite.texCoords.push_back(uv[i]);
    }
}

// Sizes scale the sprite from their values up to the unit scale over its
// life; the scale pairs are its base width and height.
void SetSizes(Effect_GeneralPurpose* sprite, float s0, float s1, float s2, float life) {
    const float end = life > 0.0f ? life : sprite->m_fadeOutEnd;
    // A sprite without a life of its own keeps its scale.
    if (!(end > 0.0f)) return;
    sprite->m_scaleFrom = D3DXVECTOR3(s0, s1, s2);
    sprite->m_scaleTo = D3DXVECTOR3(1.0f, 1.0f, 1.0f);
    sprite->m_scaleStart = 1e-4f;
    sprite->m_scaleEnd = end;
}

void SetLives(Effect_GeneralPurpose* sprite, float l0, float l1, float l2) {
    sprite->m_fadeIn = l0;
    sprite->m_fadeOutStart = l1;
    sprite->m_fadeOutEnd = l2;
}

Effect_GeneralPurpose* Spawn(const D3DXVECTOR3& at, const char* material, AuraParam& aura) {
    EffectGenerator* effects = g_pEnvironment2 ? g_pEnvironment2->effectGenerator : nullptr;
    Effect_GeneralPurpose* sprite = effects ? effects->SpawnGeneralPurpose(at, material, "Sprite3D") : nullptr;
    if (!sprite) return nullptr;
    sprite->m_finish = boost::bind(&AuraParam::RemoveSprite, &aura, _1);
    aura.AddSprite(sprite);
    return sprite;
}

void ShiftSprites(AuraParam& aura, const D3DXVECTOR3& movement, float factor) {
    const D3DXVECTOR3 offset = movement * factor;
    for (Effect_GeneralPurpose* sprite : aura.sprites) sprite->Shift(offset);
}

void EmitLook(const AuraLook& look, const D3DXVECTOR3& origin, float dt, const D3DXVECTOR3& movement,
              AuraParam& aura) {
    const float intensity = aura.intensity;
    const float c = std::min(intensity, 1.0f);
    const float interval = look.intervalBase - look.intervalSlope * c;
    aura.emitTime += dt;
    ShiftSprites(aura, movement, look.shift);
    if (interval <= 0.0f) return;
    while (aura.emitTime >= interval) {
        aura.emitTime -= interval;
        const float s = 10.0f * c + 5.0f * R() + look.distanceBase;
        const float pitch = (R() - 0.5f) * D3DX_PI / 3.0f - D3DX_PI / 2.0f;
        const float yaw = (R() - 0.5f) * 2.0f * D3DX_PI;
        D3DXMATRIX m;
        D3DXMatrixRotationYawPitchRoll(&m, yaw, pitch, 0.0f);
        const D3DXVECTOR3 out(0.0f, 0.0f, s);
        D3DXVECTOR3 start;
        D3DXVec3TransformCoord(&start, &out, &m);
        start += origin;
        start.y -= 35.0f;

        const float i = look.clampK ? c : intensity;
        const float k = std::max(look.kBase - look.kSlope * i, look.kFloor) * (look.kRand0 + look.kRand1 * R());
        const D3DXVECTOR3 push(0.0f, 0.0f, (20.0f * c + 30.0f) / k);
        D3DXVECTOR3 velocity, direction;
        D3DXVec3TransformCoord(&velocity, &push, &m);
        D3DXVec3Normalize(&direction, &velocity);
        const float d3 = direction.y * direction.y * direction.y;
        velocity *= d3;

        Effect_GeneralPurpose* sprite = Spawn(start, look.material, aura);
        if (!sprite) continue;
        sprite->m_velocity = velocity;
        const BYTE c0 = Channel(look.c0 + look.c0r * R());
        const BYTE c1 = Channel(look.c1 + look.c1r * R());
        const BYTE c2 = Channel(look.c2 + look.c2r * R());
        if (look.firstFromSecond) {
            sprite->m_startColor[0] = 0;
            sprite->m_startColor[1] = c0;
            sprite->m_startColor[2] = c1;
            sprite->m_startColor[3] = c2;
        } else {
            std::fill(sprite->m_startColor, sprite->m_startColor + 4, BYTE(0));
            sprite->m_startColor[0] = look.firstAlpha;
        }
        sprite->m_endColor[0] = look.secondAlpha;
        sprite->m_endColor[1] = c0;
        sprite->m_endColor[2] = c1;
        sprite->m_endColor[3] = c2;
        if (look.quad >= 0.0f) SetQuad(sprite, look.quad, look.quadY);
        if (look.life0 >= 0.0f) SetLives(sprite, look.life0, look.life1, look.life2);
        if (look.scaleFrom >= 0.0f) {
            sprite->m_baseWidth = look.scaleFrom;
            sprite->m_baseHeight = look.scaleTo;
        }
        SetSizes(sprite, look.size0 * k, look.size1 * k, look.size2 * k, look.life2);
        if (look.blend >= 0) sprite->m_blend = look.blend;
        sprite->m_mode = look.flag;
    }
}

}  // namespace

void EnemyEx::UpdateAuraSince(float dt, const Quorvex::AreaPos& before, AuraParam& aura) {
    aura.intensity = 0.5f;
    UpdateAura(dt, Quorvex::AreaPos::Difference(m_areaPos, before), aura);
}

void EnemyEx::UpdateAura(float dt, const D3DXVECTOR3& movement, AuraParam& aura) {
    EmitLook(kAura, GetWorldPosition(), dt, movement, aura);
}

void EnemyEx::UpdateAuraVariant1(float dt, const D3DXVECTOR3& movement, AuraParam& aura) {
    EmitLook(kAura1, GetWorldPosition(), dt, movement, aura);
}

void EnemyEx::UpdateAuraVariant3(float dt, const D3DXVECTOR3& movement, AuraParam& aura) {
    EmitLook(kAura3, GetWorldPosition(), dt, movement, aura);
}

void EnemyEx::UpdateAuraVariant4(float dt, const D3DXVECTOR3& movement, AuraParam& aura) {
    EmitLook(kAura4, GetWorldPosition(), dt, movement, aura);
}

void EnemyEx::UpdateAuraVariant2(float dt, const D3DXVECTOR3& movement, AuraParam& aura) {
    aura.emitTime += dt;
    ShiftSprites(aura, movement, 0.5f);
    const D3DXVECTOR3 origin = GetWorldPosition();
    while (aura.emitTime >= 0.05f) {
        const int n = static_cast<int>(15.0f * aura.intensity);
        for (int i = 0; i < n; ++i) {
            const float yaw = i * 2.0f * D3DX_PI / n + R() * D3DX_PI / 4.0f;
            D3DXMATRIX m;
            D3DXMatrixRotationYawPitchRoll(&m, yaw, 0.0f, 0.0f);
            const float sx = (R() - 0.5f) * 10.0f;
            const float sz = (R() - 0.5f) * 10.0f;
            const D3DXVECTOR3 start = origin + D3DXVECTOR3(sx, -12.0f, sz);
            const float h = 0.1f + 0.1f * R();
            const float w = 1.0f / h;
            const D3DXVECTOR3 rise(0.0f, 50.0f * w, (R() - 0.5f) * 25.0f * w);
            D3DXVECTOR3 velocity;
            D3DXVec3TransformCoord(&velocity, &rise, &m);

            Effect_GeneralPurpose* sprite = Spawn(start, "matAura", aura);
            if (!sprite) continue;
            sprite->m_velocity = velocity;
            SetLives(sprite, 0.25f, 1.0f, 1.0f);
            SetSizes(sprite, 0.1f * h, 0.1f * h, h, 1.0f);
            SetQuad(sprite, 30.0f, 30.0f);
            const BYTE c0 = Channel(0.9f + 0.1f * R());
            const BYTE c1 = Channel(0.8f + 0.2f * R());
            const BYTE c2 = Channel(0.7f + 0.3f * R());
            const BYTE first[4] = {0, c0, c1, c2};
            const BYTE second[4] = {128, c0, c1, c2};
            std::copy(first, first + 4, sprite->m_startColor);
            std::copy(second, second + 4, sprite->m_endColor);
        }
        aura.emitTime -= 0.05f;
    }
}
