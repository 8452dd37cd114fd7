// Lua enemy maps: a script defines Initialize() and Update(dt) and drives the
// game through the library "cmd", which fills a launch record (launch type,
// waypoints, speed, attack type, life factor) and launches it.
#pragma once
#include <map>
#include <string>
#include <vector>

#include <boost/function.hpp>

#include "platform/d3dx9/d3dx9.h"

struct lua_State;
class EnemyGenerator_Derive;
class Player;

// Owns one Lua state. The state is closed by this destructor, so a load
// that throws out of a derived constructor leaves nothing open.
class ConnectLua {
public:
    ConnectLua() = default;
    ConnectLua(const ConnectLua&) = delete;
    ConnectLua& operator=(const ConnectLua&) = delete;
    virtual ~ConnectLua();

    // Opens a fresh state with a memory ceiling and only the libraries a map
    // needs (base without file access, string, table, math), and runs the
    // file's chunk. Logs the outcome; on failure throws L"Lua File Load Error".
    void LoadFile(const char* name);
    void Close();

    lua_State* state = nullptr;
    std::string fileName;
};

class EnemyScript : public ConnectLua {
public:
    // 0 done, -1 pool exhausted (or nothing to launch).
    typedef boost::function<int()> LaunchHandler;
    typedef std::map<std::string, LaunchHandler> LaunchMap;

    struct LaunchRecord {
        std::string name;
        D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
        std::vector<D3DXVECTOR3> waypoints;  // offsets from the generator; the first is the spawn point
        bool posRefTarget = false;
        float moveSpeed = 0.0f;
        int attackType = 0;
        // Kept by "set"; 1 until the map sets it, so a launch before the first
        // setLifeMaxFact still has a defined life.
        float lifeFactor = 1.0f;

        // What "set" clears (everything but the life factor).
        void Reset();
    };

    // Loads the file (throws L"Lua File Load Error" when it cannot), registers
    // "cmd" and runs the map's Initialize once. An Initialize that fails is
    // logged and ends the script.
    EnemyScript(const char* fileName, EnemyGenerator_Derive* owner);
    ~EnemyScript() override;

    // When the position-relative flag is set, adds the target's position
    // relative to the owner to every waypoint, in place.
    virtual void ApplyPosRefTarget();

    // Runs the map's Update(dt) unless the script has ended; an error is
    // logged and ends the script.
    void Update(float dt);

    bool IsEnded() const { return ended; }
    void End() { ended = true; }

    // "launch": the position shift, then the handler of the record's name
    // (an unknown name does nothing). The record is kept.
    int Launch();
    // The player's position relative to the current centre cell, (0, 0, 0)
    // without a player.
    D3DXVECTOR3 GetTargetPos() const;

    LaunchMap launchMap;
    EnemyGenerator_Derive* owner = nullptr;
    Player* target = nullptr;  // refreshed from the game state before each call into the map
    LaunchRecord record;
    bool ended = false;

protected:
    // Loads and registers "cmd" without running Initialize, so that a derived
    // script can fill its launch map first and then call Start: a map may
    // launch from its Initialize.
    struct DeferStart {};
    EnemyScript(const char* fileName, EnemyGenerator_Derive* owner, DeferStart);
    // Runs the map's Initialize once (logged, script ended on failure).
    void Start();

    // Calls the global function of that name with dt pushed when withDt; false
    // (logged with the Lua error, script ended) when the call fails.
    bool CallGlobal(const char* function, bool withDt, float dt, const char* failureFormat);
    void RefreshTarget();
};

// The script whose "cmd" calls run: set by a script's construction and at each
// Update, cleared when that script is destroyed.
extern EnemyScript* g_pEnemyScript;
