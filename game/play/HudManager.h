// The stage HUD: builds its parts, reads the player, the current boss, the
// game manager and the game state every frame and hands the values to the
// parts, which draw themselves in "Sprite2D". It also owns the stage result
// panel that the stage scene starts and hides.
#pragma once
#include <vector>

#include "engine/core/Object.h"
#include "game/play/Hud_MissileRest.h"

class EnemyEx;
class Hud_Booster;
class Hud_Life;
class Hud_Score;
class Hud_TargetLife;
class Hud_ZenkMode;
class NumberObject;
class Player;
class ResultSet;

class HudManager : public Quorvex::Object {
public:
    // Registers with the manager; keeps the player (counted, may be null).
    HudManager(Quorvex::ObjectManager* manager, Player* player);
    ~HudManager() override;

    // Digit cells, the five parts, the result panel (-1 when it fails), the
    // countdown digits. 0.
    int Initialize(int param) override;
    void Update(float dt) override;

    // "hud0" .. "hud9": 64-texel cells of "matStageSelect" at half size.
    void RegisterDigitCells();
    // Grows or shrinks one icon row list to `count`.
    void SetMissileIcons(std::vector<Hud_MissileRest*>& list, int count, int kind, float originX, float originY,
                         int perRow);

    Hud_Life* GetLife() const { return m_life; }
    Hud_TargetLife* GetTargetLife() const { return m_targetLife; }
    Hud_Booster* GetBooster() const { return m_booster; }
    Hud_Score* GetScore() const { return m_score; }
    Hud_ZenkMode* GetZenkMode() const { return m_zenkMode; }
    NumberObject* GetCountdown() const { return m_countdown; }
    ResultSet* GetResultSet() const { return m_resultSet; }

    // Set to 1 by the stage scene while it shows the result panel.
    BYTE m_resultShown = 0;

private:
    void ReleaseIcons(std::vector<Hud_MissileRest*>& list);

    Quorvex::ObjectManager* m_manager;
    Player* m_player = nullptr;  // counted
    EnemyEx* m_boss = nullptr;   // counted, refreshed every frame
    Hud_MissileRestFactory m_iconPool;
    std::vector<Hud_MissileRest*> m_tens;   // counted
    std::vector<Hud_MissileRest*> m_units;  // counted
    Hud_Life* m_life = nullptr;
    Hud_TargetLife* m_targetLife = nullptr;
    Hud_Booster* m_booster = nullptr;
    Hud_Score* m_score = nullptr;
    Hud_ZenkMode* m_zenkMode = nullptr;
    ResultSet* m_resultSet = nullptr;
    NumberObject* m_countdown = nullptr;
};
