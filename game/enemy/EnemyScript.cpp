#include "game/enemy/EnemyScript.h"

#include <climits>
#include <cmath>
#include <exception>

#include <lua.hpp>

#include "engine/core/MessageLogManager.h"
#include "engine/core/Utility.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/flow/Environment2.h"
#include "game/player/Player.h"

EnemyScript* g_pEnemyScript = nullptr;

namespace {

// A map call that never returns would freeze the stage: a call that runs past
// this many instructions raises an error and ends the map like any other.
constexpr int kHookInterval = 100000;
constexpr int kCallBudget = 200;  // hook intervals: 20 million instructions
thread_local int t_hookTicks = 0;

void CountInstructions(lua_State* L, lua_Debug*) {
    if (++t_hookTicks > kCallBudget) luaL_error(L, "call ran too long (endless loop?)");
}

// A protected call with a fresh instruction budget.
int CallBudgeted(lua_State* L, int args) {
    t_hookTicks = 0;
    return lua_pcall(L, args, 0, 0);
}

const char* ErrorText(lua_State* L) {
    const char* text = lua_isstring(L, -1) ? lua_tostring(L, -1) : nullptr;
    return text ? text : "(no error message)";
}

// ---------------------------------------------------------------------------
// The library "cmd". Arguments are checked before any C++ work (a wrong type
// is a Lua error that ends the map's call); the C++ work itself runs under a
// catch so that no C++ exception crosses the interpreter's frames.

EnemyScript* Current(lua_State* L) {
    if (!g_pEnemyScript) luaL_error(L, "no enemy map is running");
    return g_pEnemyScript;
}

// A number that is not finite would carry NaN into positions and lives.
float CheckFinite(lua_State* L, int index) {
    const lua_Number v = luaL_checknumber(L, index);
    if (!std::isfinite(v)) luaL_argerror(L, index, "finite number expected");
    return static_cast<float>(v);
}

int CheckInt(lua_State* L, int index) {
    const lua_Integer v = luaL_checkinteger(L, index);
    if (v < INT_MIN || v > INT_MAX) luaL_argerror(L, index, "integer out of range");
    return static_cast<int>(v);
}

// Runs work; a C++ exception becomes a Lua error raised after the catch.
template <class F>
void Guarded(lua_State* L, F&& work) {
    std::string failure;
    try {
        work();
        return;
    } catch (const std::exception& e) {
        failure = e.what();
    }
    luaL_error(L, "%s", failure.c_str());
}

int Cmd_EndScript(lua_State* L) {
    EnemyScript* script = Current(L);
    lua_settop(L, 0);
    script->End();
    return 0;
}

int Cmd_Set(lua_State* L) {
    EnemyScript* script = Current(L);
    size_t length = 0;
    const char* name = luaL_checklstring(L, 1, &length);
    Guarded(L, [&] {
        script->record.Reset();
        script->record.name.assign(name, length);
    });
    lua_settop(L, 0);
    return 0;
}

int Cmd_Launch(lua_State* L) {
    EnemyScript* script = Current(L);
    lua_settop(L, 0);
    Guarded(L, [&] { script->Launch(); });
    return 0;
}

int Cmd_SetPos(lua_State* L) {
    EnemyScript* script = Current(L);
    const D3DXVECTOR3 p(CheckFinite(L, 1), CheckFinite(L, 2), CheckFinite(L, 3));
    lua_settop(L, 0);
    script->record.position = p;
    return 0;
}

int Cmd_AddMovePos(lua_State* L) {
    EnemyScript* script = Current(L);
    const D3DXVECTOR3 p(CheckFinite(L, 1), CheckFinite(L, 2), CheckFinite(L, 3));
    lua_settop(L, 0);
    Guarded(L, [&] { script->record.waypoints.push_back(p); });
    return 0;
}

bool CheckFlag(lua_State* L, int index) { return luaL_checkinteger(L, index) != 0; }

// A setter of one field of the launch record: the argument read (and checked)
// by read, then stored.
template <auto Field, auto Read>
int Cmd_SetField(lua_State* L) {
    EnemyScript* script = Current(L);
    const auto value = Read(L, 1);
    lua_settop(L, 0);
    script->record.*Field = value;
    return 0;
}

int Cmd_GetTargetPos(lua_State* L) {
    EnemyScript* script = Current(L);
    lua_settop(L, 0);
    const D3DXVECTOR3 p = script->GetTargetPos();
    lua_pushnumber(L, p.x);
    lua_pushnumber(L, p.y);
    lua_pushnumber(L, p.z);
    return 3;
}

int Cmd_RandReal(lua_State* L) {
    lua_settop(L, 0);
    lua_pushnumber(L, Quorvex::RandomFloat());
    return 1;
}

const luaL_Reg kCmdLibrary[] = {
    {"endScript", Cmd_EndScript},
    {"set", Cmd_Set},
    {"launch", Cmd_Launch},
    {"setPos", Cmd_SetPos},
    {"addMovePos", Cmd_AddMovePos},
    {"setPosRefTarget", Cmd_SetField<&EnemyScript::LaunchRecord::posRefTarget, CheckFlag>},
    {"setMoveSpeed", Cmd_SetField<&EnemyScript::LaunchRecord::moveSpeed, CheckFinite>},
    {"setAttackType", Cmd_SetField<&EnemyScript::LaunchRecord::attackType, CheckInt>},
    {"setLifeMaxFact", Cmd_SetField<&EnemyScript::LaunchRecord::lifeFactor, CheckFinite>},
    {"getTargetPos", Cmd_GetTargetPos},
    {"randReal", Cmd_RandReal},
    {nullptr, nullptr},
};

}  // namespace

// ---------------------------------------------------------------------------
// ConnectLua

ConnectLua::~ConnectLua() { Close(); }

void ConnectLua::Close() {
    if (state) lua_close(state);
    state = nullptr;
}

void ConnectLua::LoadFile(const char* name) {
    Close();
    fileName = name ? name : "";
    state = luaL_newstate();
    if (!state) {
        Quorvex::FormatDebugMessage("スクリプトファイル %s の読み込みに失敗( %s )\r\n", fileName.c_str(),
                                    "not enough memory");
        throw L"Lua File Load Error";
    }
    luaL_openlibs(state);
    lua_sethook(state, CountInstructions, LUA_MASKCOUNT, kHookInterval);
    if (luaL_loadfile(state, fileName.c_str()) != LUA_OK || CallBudgeted(state, 0) != LUA_OK) {
        Quorvex::FormatDebugMessage("スクリプトファイル %s の読み込みに失敗( %s )\r\n", fileName.c_str(),
                                    ErrorText(state));
        Close();
        throw L"Lua File Load Error";
    }
    Quorvex::FormatDebugMessage("スクリプトファイル %s の読み込みに成功\r\n", fileName.c_str());
}

// ---------------------------------------------------------------------------
// EnemyScript

void EnemyScript::LaunchRecord::Reset() {
    name.clear();
    position = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    waypoints.clear();
    moveSpeed = 0.0f;
    posRefTarget = false;
    attackType = 0;
}

EnemyScript::EnemyScript(const char* fileName_, EnemyGenerator_Derive* owner_)
    : EnemyScript(fileName_, owner_, DeferStart{}) {
    Start();
}

EnemyScript::EnemyScript(const char* fileName_, EnemyGenerator_Derive* owner_, DeferStart) : owner(owner_) {
    LoadFile(fileName_);
    luaL_newlib(state, kCmdLibrary);
    lua_setglobal(state, "cmd");
}

EnemyScript::~EnemyScript() {
    // The generator and the "cmd" functions must never reach a deleted map.
    if (g_pEnemyScript == this) g_pEnemyScript = nullptr;
    launchMap.clear();
}

void EnemyScript::Start() {
    g_pEnemyScript = this;
    RefreshTarget();
    CallGlobal("Initialize", false, 0.0f, "%sのInitialize処理に失敗( %s )\r\n");
}

void EnemyScript::Update(float dt) {
    g_pEnemyScript = this;
    RefreshTarget();
    if (ended) return;
    CallGlobal("Update", true, dt, "%sのUpdate処理に失敗( %s )\r\n");
}

bool EnemyScript::CallGlobal(const char* function, bool withDt, float dt, const char* failureFormat) {
    if (!state) {
        ended = true;
        return false;
    }
    const int base = lua_gettop(state);
    lua_getglobal(state, function);
    if (withDt) lua_pushnumber(state, dt);
    const bool ok = CallBudgeted(state, withDt ? 1 : 0) == LUA_OK;
    if (!ok) {
        Quorvex::FormatDebugMessage(failureFormat, fileName.c_str(), ErrorText(state));
        ended = true;
    }
    lua_settop(state, base);
    return ok;
}

void EnemyScript::RefreshTarget() { target = g_pEnvironment2 ? g_pEnvironment2->player : nullptr; }

void EnemyScript::ApplyPosRefTarget() {
    // Without a player or an owner there is nothing to be relative to.
    if (!record.posRefTarget || !target || !owner) return;
    const D3DXVECTOR3 shift = Quorvex::AreaPos::Difference(target->GetAreaPos(), owner->GetAreaPos());
    for (D3DXVECTOR3& p : record.waypoints) p += shift;
}

int EnemyScript::Launch() {
    ApplyPosRefTarget();
    auto handler = launchMap.find(record.name);
    if (handler == launchMap.end() || !handler->second) return 0;
    return handler->second();
}

D3DXVECTOR3 EnemyScript::GetTargetPos() const {
    return target ? target->GetAreaPos().ToWorld() : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}
