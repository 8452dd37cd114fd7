#include "game/enemy/EnemyScript.h"

#include <climits>
#include <cstdlib>
#include <cmath>
#include <exception>

#include <lua.hpp>

#include "engine/core/MessageLogManager.h"
#include "engine/core/Utility.h"
#include "game/enemy/EnemyGenerator_Derive.h"
#include "game/player/Player.h"
#include "game/state/Environment2.h"

EnemyScript* g_pEnemyScript = nullptr;

namespace {

// A map call that never returns would freeze the stage: a call that runs past
// this many instructions raises an error and ends the map like any other.
constexpr int kHookInterval = 100000;
constexpr int kCallBudget = 200;  // hook intervals: 20 million instructions
thread_local int t_hookTicks = 0;

void CountInstructions(lua_State* L, lua_Debug*) {
    if (++t_hookTicks <= kCallBudget) return;
    // From now on every instruction fails, so a pcall in the map cannot
    // catch the error and carry on.
    lua_sethook(L, CountInstructions, LUA_MASKCOUNT, 1);
    luaL_error(L, "call ran too long (endless loop?)");
}

// A protected call with a fresh instruction budget.
int CallBudgeted(lua_State* L, int args) {
    t_hookTicks = 0;
    lua_sethook(L, CountInstructions, LUA_MASKCOUNT, kHookInterval);
    return lua_pcall(L, args, 0, 0);
}

// Maps are data: a map's state may hold this much memory, no more.
constexpr size_t kMemoryCeiling = size_t(32) << 20;

struct MemoryCeiling {
    size_t used = 0;
};

void* CeilingAlloc(void* ud, void* block, size_t oldSize, size_t newSize) {
    auto* ceiling = static_cast<MemoryCeiling*>(ud);
    if (!block) oldSize = 0;  // then oldSize names the kind of object, not a size
    if (newSize == 0) {
        std::free(block);
        ceiling->used -= oldSize;
        return nullptr;
    }
    if (newSize > oldSize && newSize - oldSize > kMemoryCeiling - ceiling->used) return nullptr;
    void* moved = std::realloc(block, newSize);
    if (moved) ceiling->used = ceiling->used - oldSize + newSize;
    return moved;
}

// One library call runs in C, where the instruction budget does not count: a
// pattern match whose worst case would pass this many steps is refused.
constexpr double kLibraryCallSteps = 1e8;

// The library function a wrapper stands in front of (its upvalue), called
// with the wrapper's arguments.
int CallOriginal(lua_State* L) {
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
    return lua_gettop(L);
}

// A pattern match backtracks over the subject once per quantifier, at each
// start: (n + 1) ^ (quantifiers + 1) * pattern length bounds the steps.
double PatternSteps(size_t subject, const char* pattern, size_t length) {
    int quantifiers = 0;
    for (size_t i = 0; i < length; ++i) {
        if (pattern[i] == '%') ++i;
        else if (pattern[i] == '*' || pattern[i] == '+' || pattern[i] == '-' || pattern[i] == '?') ++quantifiers;
    }
    return std::pow(double(subject) + 1.0, quantifiers + 1) * (double(length) + 1.0);
}

// string.find, match, gmatch and gsub: the original (upvalue 1) after the
// step check.
int BoundedMatch(lua_State* L) {
    const int subjectType = lua_type(L, 1), patternType = lua_type(L, 2);
    const bool plain = lua_gettop(L) >= 4 && lua_toboolean(L, 4);
    if ((subjectType == LUA_TSTRING || subjectType == LUA_TNUMBER) &&
        (patternType == LUA_TSTRING || patternType == LUA_TNUMBER)) {
        size_t subject = 0, length = 0;
        lua_tolstring(L, 1, &subject);
        const char* pattern = lua_tolstring(L, 2, &length);
        const double steps = plain ? (double(subject) + 1.0) * (double(length) + 1.0)
                                   : PatternSteps(subject, pattern, length);
        if (steps > kLibraryCallSteps) return luaL_error(L, "pattern too costly for a subject of %d bytes", int(subject));
    }
    return CallOriginal(L);
}

// string.rep: an empty text repeated is empty, however often; the library
// would still loop once per repetition.
int BoundedRep(lua_State* L) {
    size_t length = 0, separator = 0;
    luaL_checklstring(L, 1, &length);
    luaL_checkinteger(L, 2);
    luaL_optlstring(L, 3, "", &separator);
    if (length == 0 && separator == 0) {
        lua_pushliteral(L, "");
        return 1;
    }
    return CallOriginal(L);
}

// load: text chunks only (binary chunks bypass the compiler's checks).
int TextOnlyLoad(lua_State* L) {
    const int args = lua_gettop(L) < 3 ? 3 : lua_gettop(L);
    lua_settop(L, args);
    lua_pushliteral(L, "t");
    lua_replace(L, 3);
    return CallOriginal(L);
}

// Replaces table[name] (at index) by the closure with the old value as its upvalue.
void Wrap(lua_State* L, int table, const char* name, lua_CFunction wrapper) {
    lua_getfield(L, table, name);
    if (lua_isnil(L, -1)) {
        lua_pop(L, 1);
        return;
    }
    lua_pushcclosure(L, wrapper, 1);
    lua_setfield(L, table, name);
}

// The base library without file access, string, table and math: nothing
// that reaches the system, the debugger or the hook.
int OpenDataLibraries(lua_State* L) {
    static const luaL_Reg kLibraries[] = {
        {"_G", luaopen_base}, {LUA_STRLIBNAME, luaopen_string}, {LUA_TABLIBNAME, luaopen_table},
        {LUA_MATHLIBNAME, luaopen_math}};
    for (const luaL_Reg& library : kLibraries) {
        luaL_requiref(L, library.name, library.func, 1);
        lua_pop(L, 1);
    }
    lua_pushglobaltable(L);
    const int globals = lua_gettop(L);
    for (const char* name : {"dofile", "loadfile"}) {
        lua_pushnil(L);
        lua_setfield(L, globals, name);
    }
    Wrap(L, globals, "load", TextOnlyLoad);
    Wrap(L, globals, "loadstring", TextOnlyLoad);
    lua_getfield(L, globals, LUA_STRLIBNAME);
    const int strings = lua_gettop(L);
    for (const char* name : {"find", "match", "gmatch", "gsub", "gfind"}) Wrap(L, strings, name, BoundedMatch);
    Wrap(L, strings, "rep", BoundedRep);
    return 0;
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
    if (state) {
        void* ceiling = nullptr;
        lua_getallocf(state, &ceiling);
        lua_close(state);
        delete static_cast<MemoryCeiling*>(ceiling);
    }
    state = nullptr;
}

void ConnectLua::LoadFile(const char* name) {
    Close();
    fileName = name ? name : "";
    auto* ceiling = new MemoryCeiling;
    state = lua_newstate(CeilingAlloc, ceiling);
    if (!state) delete ceiling;
    if (!state) {
        Quorvex::FormatDebugMessage("スクリプトファイル %s の読み込みに失敗( %s )\r\n", fileName.c_str(),
                                    "not enough memory");
        throw L"Lua File Load Error";
    }
    lua_pushcfunction(state, OpenDataLibraries);
    if (lua_pcall(state, 0, 0, 0) != LUA_OK || luaL_loadfile(state, fileName.c_str()) != LUA_OK ||
        CallBudgeted(state, 0) != LUA_OK) {
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
