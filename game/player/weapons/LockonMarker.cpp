#include "game/player/weapons/LockonMarker.h"

#include <algorithm>

#include "engine/assets/devices/SoundUnit.h"
#include "engine/core/AreaPos.h"
#include "engine/core/render/DrawBuilders.h"
#include "game/player/Player.h"
#include "game/player/PlayerResources.h"
#include "game/player/weapons/Bullet.h"
#include "game/player/weapons/MarkerGenerator.h"

namespace {

constexpr float kTwoPi = 6.28318530718f;
constexpr float kLockRange = 750.0f;
// The heat bar: its full length and width in screen heights and its gap to
// the reticle's edge.
constexpr float kHeatBarLength = 0.06f;
constexpr float kHeatBarWidth = 0.012f;
constexpr float kHeatBarGap = 0.01f;

}  // namespace

LockonMarker::LockonMarker(Quorvex::IObjectManager* manager, MarkerGenerator* owner, Player* machine)
    : Quorvex::RenderObject(manager, 0), generator(owner), player(machine) {
    m_sprite.Init();
    m_sprite.SetMaterial(FindMaterial(manager, "matEffect2D"));
    // The soft streak of the effect atlas, standing upright.
    m_heatSprite.Init();
    m_heatSprite.SetMaterial(m_sprite.GetMaterial());
    m_heatSprite.uv[0] = D3DXVECTOR2(0.01f, 0.51f);
    m_heatSprite.uv[1] = D3DXVECTOR2(0.49f, 0.51f);
    m_heatSprite.uv[2] = D3DXVECTOR2(0.01f, 0.99f);
    m_heatSprite.uv[3] = D3DXVECTOR2(0.49f, 0.99f);
    LockAmount = 100.0f;
    state = StateNone;
    SetState(StateNormal);
    JoinRenderStage(this, "Sprite2D");
    if (generator) generator->SetLockonMarker(this);
}

LockonMarker::~LockonMarker() {
    if (generator && generator->GetLockonMarker() == this) generator->SetLockonMarker(nullptr);
}

int LockonMarker::Initialize(int) {
    SetUpdatePriority(PriorityPool);
    SetDrawPriority(0.0f);
    return 0;
}

void LockonMarker::SetPosition(float x, float y) {
    const float centre = GetScreenAspect() * 0.5f;
    m_sprite.x = std::clamp(x, centre - 0.15f, centre + 0.15f);
    m_sprite.y = std::clamp(y, 0.35f, 0.65f);
}

void LockonMarker::SetState(int n) {
    if (n == state) return;
    state = n;
    const float u0 = n == StateZenk ? 0.5f : 0.0f;
    const float v0 = n == StateZenk ? 0.5f : 0.0f;
    const float u1 = n == StateZenk ? 1.0f : 0.25f;
    const float v1 = n == StateZenk ? 1.0f : 0.25f;
    m_sprite.uv[0] = D3DXVECTOR2(u0, v0);
    m_sprite.uv[1] = D3DXVECTOR2(u1, v0);
    m_sprite.uv[2] = D3DXVECTOR2(u0, v1);
    m_sprite.uv[3] = D3DXVECTOR2(u1, v1);
    m_sprite.angle = 0.0f;
    if (n == StateZenk) spinTime = 0.0f;
}

void LockonMarker::SetHeat(float value) { m_heat = std::clamp(value, 0.0f, 1.0f); }

float LockonMarker::LockRadiusFactor(int n, float distance) {
    const float f = std::clamp((kLockRange - distance) / kLockRange, 0.0f, 1.0f);
    return n == StateZenk ? 0.25f + 0.25f * f : 0.06f + 0.075f * f;
}

void LockonMarker::Update(float dt) {
    if (state == StateZenk) {
        spinTime += dt;
        m_sprite.angle = spinTime * kTwoPi;
    }
    if (!player || !generator) return;
    Quorvex::ObjectManager* manager = GetObjectManagerOf(this);
    if (!manager) return;
    const D3DXVECTOR3 origin = player->GetWorldPosition();
    const float screenHeight = static_cast<float>(manager->GetProjectionParams().Height);
    const std::vector<MarkerGenerator::EnemyInfo> list = generator->CopyEnemyList();
    for (const MarkerGenerator::EnemyInfo& entry : list) {
        if (!entry.enemy) continue;
        const float dx = entry.x - screenHeight * m_sprite.x;
        const float dy = entry.y - screenHeight * m_sprite.y;
        const D3DXVECTOR3 world = entry.enemy->GetWorldPosition();
        if (world.z <= 0.0f) continue;
        const D3DXVECTOR3 offset = world - origin;
        const float radius = LockRadiusFactor(state, D3DXVec3Length(&offset)) * 0.5f * screenHeight;
        if (dx * dx + dy * dy > radius * radius) continue;
        generator->AttachMarker(entry.enemy, LockAmount, MarkerTypeLock);
        if (Quorvex::SoundUnit* sound = FindSoundUnit(L"lockon")) sound->Play(0);
    }
}

void LockonMarker::Render(Quorvex::CalcVertexSet* list) {
    const bool zenk = state == StateZenk;
    m_sprite.color = zenk ? 0xFFFFFFFF : 0xFF00FF00;
    m_sprite.width = m_sprite.height = zenk ? 0.3f : 0.04f;
    Quorvex::PushRenderStatePreset(list, 3);
    Quorvex::PushSprite2D(list, m_sprite);
    if (m_heat > 0.0f) {
        PlaceHeatBar();
        Quorvex::PushSprite2D(list, m_heatSprite);
    }
}

void LockonMarker::PlaceHeatBar() {
    // The bar grows upward from the level of the reticle's lower edge.
    const float length = kHeatBarLength * m_heat;
    m_heatSprite.width = kHeatBarWidth;
    m_heatSprite.height = length;
    m_heatSprite.x = m_sprite.x + 0.5f * m_sprite.width + kHeatBarGap + 0.5f * kHeatBarWidth;
    m_heatSprite.y = m_sprite.y + 0.5f * m_sprite.height - 0.5f * length;
    const auto red = static_cast<D3DCOLOR>(255.0f * m_heat + 0.5f);
    const auto green = static_cast<D3DCOLOR>(255.0f * (1.0f - m_heat) + 0.5f);
    m_heatSprite.color = 0xFF000000u | (red << 16) | (green << 8);
}
