#include "game/play/HudManager.h"

#include <cmath>
#include <string>

#include "engine/assets/Chara2D.h"
#include "engine/assets/ResourceManager.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderStage.h"
#include "game/enemy/EnemyEx.h"
#include "game/play/Hud_PartBase.h"
#include "game/play/Hud_Score.h"
#include "game/play/ResultSet.h"
#include "game/player/Player.h"
#include "game/screen/NumberObject.h"
#include "game/state/Environment2.h"
#include "game/state/SceneRequests.h"
#include "game/world/effects/EffectSupport.h"

using namespace Quorvex;

namespace {

// The boss countdown's units digit. It was placed at x 1650 of a 1920-wide
// screen; the same fraction of the layout width keeps it on screen.
constexpr float kCountdownX = 1650.0f / 1920.0f * 1280.0f;
constexpr float kCountdownY = 90.0f;

template <class T>
void ReleaseAndClear(T*& p) {
    if (!p) return;
    p->Release();
    p = nullptr;
}

// A part that stays in its stage until the HUD goes.
template <class T>
void DropPart(T*& part) {
    if (!part) return;
    if (RenderStage* stage = part->GetRenderStage()) stage->SubObject(part);
    ReleaseAndClear(part);
}

template <class T>
T* NewPart(ObjectManager* manager) {
    T* part = new T(manager);
    part->AddRef();
    return part;
}

float LifeFraction(Character* c) {
    const float maximum = *c->GetGauge2();
    if (maximum <= 0.0f) return 0.0f;
    const float life = *c->GetLife();
    return (life > 0.0f ? life : 0.0f) / maximum;
}

}  // namespace

HudManager::HudManager(ObjectManager* manager, Player* player)
    : Object(manager, CreateRegister), m_manager(manager), m_player(player), m_iconPool(manager) {
    if (m_player) m_player->AddRef();
}

HudManager::~HudManager() {
    ReleaseAndClear(m_countdown);
    ReleaseAndClear(m_resultSet);
    DropPart(m_life);
    DropPart(m_targetLife);
    DropPart(m_booster);
    DropPart(m_score);
    DropPart(m_zenkMode);
    ReleaseAndClear(m_boss);
    ReleaseAndClear(m_player);
    ReleaseIcons(m_tens);
    ReleaseIcons(m_units);
}

void HudManager::ReleaseIcons(std::vector<Hud_MissileRest*>& list) {
    for (Hud_MissileRest* icon : list) {
        icon->ReturnToFactory();
        icon->Release();
    }
    list.clear();
}

void HudManager::RegisterDigitCells() {
    Chara2DCellSet set;
    set.resourceManager = m_manager ? m_manager->GetResourceManager() : nullptr;
    set.scale = 0.5f;
    set.chara.SetMaterial(FindMaterial(m_manager, "matStageSelect"));
    for (int d = 0; d < 10; ++d) {
        const float x = d < 8 ? static_cast<float>(d) : static_cast<float>(d - 8);
        const float y = d < 8 ? 0.0f : 1.0f;
        SetChara2DCell(set, ("hud" + std::to_string(d)).c_str(), x, y, 1.0f, 1.0f);
    }
}

int HudManager::Initialize(int param) {
    Object::Initialize(param);
    RegisterDigitCells();
    m_life = NewPart<Hud_Life>(m_manager);
    m_targetLife = NewPart<Hud_TargetLife>(m_manager);
    m_booster = NewPart<Hud_Booster>(m_manager);
    m_score = NewPart<Hud_Score>(m_manager);
    m_zenkMode = NewPart<Hud_ZenkMode>(m_manager);
    m_resultSet = new ResultSet(m_manager, m_manager ? m_manager->GetInputManager() : nullptr);
    m_resultSet->AddRef();
    if (m_resultSet->Initialize(0) < 0) return -1;
    m_resultShown = 0;
    m_countdown = new NumberObject(m_manager ? m_manager->GetResourceManager() : nullptr, m_manager);
    m_countdown->AddRef();
    m_countdown->SetPosition(kCountdownX, kCountdownY);
    return 0;
}

void HudManager::SetMissileIcons(std::vector<Hud_MissileRest*>& list, int count, int kind, float originX,
                                 float originY, int perRow) {
    if (count < 0) count = 0;
    if (perRow <= 0) perRow = 1;
    const float stepX = kind == 1 ? 8.0f : 16.0f;
    const float stepY = kind == 1 ? 32.0f : 64.0f;
    while (static_cast<int>(list.size()) < count) {
        const int k = static_cast<int>(list.size());
        Hud_MissileRest::SetParam record;
        record.x = originX + static_cast<float>(k % perRow) * stepX + 30.0f;
        record.y = originY + 550.0f - static_cast<float>(k / perRow) * stepY;
        record.kind = kind;
        auto* icon = dynamic_cast<Hud_MissileRest*>(m_iconPool.AcquireProduct(&record));
        if (!icon) break;
        list.push_back(icon);
    }
    while (static_cast<int>(list.size()) > count) {
        Hud_MissileRest* icon = list.back();
        list.pop_back();
        icon->ReturnToFactory();
        icon->Release();
    }
}

void HudManager::Update(float dt) {
    if (m_player) {
        Player::ShotSet* shots = m_player->GetShotSet();
        const float stock = shots ? shots->GetMissileRest() : 0.0f;
        const int n = stock > 0.0f ? static_cast<int>(stock) : 0;
        SetMissileIcons(m_tens, n / 10, 0, 0.0f, 0.0f, 1000);
        SetMissileIcons(m_units, n % 10, 1, static_cast<float>((n / 10) * 16 + 8), 32.0f, 10);
        if (m_life) m_life->m_value = LifeFraction(m_player);

        EnemyEx* boss = g_pEnvironment2 ? g_pEnvironment2->currentBoss : nullptr;
        if (boss != m_boss) {
            if (boss) boss->AddRef();
            ReleaseAndClear(m_boss);
            m_boss = boss;
        }
        if (m_targetLife) m_targetLife->m_value = m_boss ? LifeFraction(m_boss) : -1.0f;
        if (m_booster) m_booster->m_value = m_player->GetSpeedRate();
        if (m_score && g_pEnvironment2 && g_pEnvironment2->gameManager)
            m_score->m_value = g_pEnvironment2->gameManager->totalScore;
        if (m_zenkMode) m_zenkMode->m_value = m_player->GetZenkGauge();
    }

    float shown = -1.0f;
    if (g_pEnvironment2 && g_pEnvironment2->bossTimeLimit > 0.0f) {
        const float left = g_pEnvironment2->bossTimeLimit - dt;
        g_pEnvironment2->bossTimeLimit = left > 0.0f ? left : -1.0f;
        shown = g_pEnvironment2->bossTimeLimit;
    }
    if (m_countdown) m_countdown->SetNumber(static_cast<int>(shown));
}
