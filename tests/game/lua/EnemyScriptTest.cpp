// Lua enemy maps: the "cmd" library, the launch types through the generator,
// damaged maps, and the game's own maps.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "LuaTestSupport.h"
#include "game/enemy/EnemyScript_Derive.h"
#include "game/enemy/types/Enemy_Big.h"
#include "game/enemy/types/Enemy_Fighter2.h"
#include "game/enemy/types/Enemy_Ketama.h"
#include "game/enemy/types/Enemy_Tama.h"
#include "game/enemy/types/Enemy_Vader.h"

namespace lua_test {
namespace {

using EnemyMaps = LuaStage;

// A map that launches one enemy of the type from its Update.
std::string OneLaunch(const std::string& type, int attack, float factor) {
    return "function Initialize() cmd.setLifeMaxFact(" + std::to_string(factor) + ") end\n"
           "function Update(dt)\n"
           "  cmd.set('" + type + "')\n"
           "  cmd.addMovePos(0, 50, 1000)\n"
           "  cmd.addMovePos(0, 50, 200)\n"
           "  cmd.setMoveSpeed(250)\n"
           "  cmd.setAttackType(" + std::to_string(attack) + ")\n"
           "  cmd.launch()\n"
           "  cmd.endScript()\n"
           "end\n";
}

TEST_F(EnemyMaps, InitializeRunsOnceAndItsLaunchesGoThroughTheGenerator) {
    const std::string map = WriteMap("init.lua",
                                     "function Initialize()\n"
                                     "  cmd.setLifeMaxFact(0.5)\n"
                                     "  cmd.set('fighter2')\n"
                                     "  cmd.addMovePos(-100, 50, 1000)\n"
                                     "  cmd.addMovePos(100, 50, -100)\n"
                                     "  cmd.setMoveSpeed(250)\n"
                                     "  cmd.launch()\n"
                                     "end\n"
                                     "function Update(dt) end\n");
    EnemyScript_Derive script(map.c_str(), generator);
    EXPECT_EQ(g_pEnemyScript, &script);
    for (int i = 0; i < 3; ++i) script.Update(0.1f);
    EXPECT_FALSE(script.IsEnded());
    ASSERT_EQ(FairiesInPlay().size(), 1u);
    EXPECT_EQ(Appeared(), 1);
    auto* fairy = static_cast<Enemy_Fighter2*>(*FairiesInPlay().begin());
    EXPECT_EQ(fairy->attackType, 2) << "attack type 0 becomes 2";
    EXPECT_FLOAT_EQ(fairy->GetLifeValue(), 50.0f);
    EXPECT_EQ(fairy->GetMoveParam()->waypoints.size(), 2u);
    const D3DXVECTOR3 at = Quorvex::AreaPos::Difference(fairy->GetAreaPos(), generator->GetAreaPos());
    EXPECT_NEAR(at.x, -100.0f, 1e-3f);
    EXPECT_NEAR(at.z, 1000.0f, 1e-3f);
    EXPECT_NE(log->Text().find("スクリプトファイル " + map + " の読み込みに成功"), std::string::npos);
}

TEST_F(EnemyMaps, EachLaunchTypeSetsUpItsEnemy) {
    // fighter1 launches nothing.
    {
        EnemyScript_Derive script(WriteMap("f1.lua", OneLaunch("fighter1", 0, 1.0f)).c_str(), generator);
        script.Update(0.1f);
        EXPECT_EQ(Appeared(), 0);
    }
    {
        EnemyScript_Derive script(WriteMap("doll.lua", OneLaunch("doll", 3, 1.0f)).c_str(), generator);
        script.Update(0.1f);
        ASSERT_EQ(FairiesInPlay().size(), 1u);
        auto* doll = static_cast<Enemy_Fighter2*>(*FairiesInPlay().begin());
        EXPECT_EQ(doll->look, 1);
        EXPECT_EQ(doll->attackType, 3);
        EXPECT_EQ(Appeared(), 1) << "a doll counts once";
    }
    {
        EnemyScript_Derive script(WriteMap("big.lua", OneLaunch("big_next", 27, 0.5f)).c_str(), generator);
        script.Update(0.1f);
        auto* big = FirstInUse<Enemy_Big>(EnemyGenerator_Derive::PoolBig);
        ASSERT_NE(big, nullptr);
        EXPECT_EQ(big->chainCount, 1);
        EXPECT_FLOAT_EQ(*big->GetGauge2(), 0.5f * Enemy_Big::kLife);
        EXPECT_FALSE(big->attacks.empty()) << "attack 27 creates a pattern";
        EXPECT_EQ(big->GetMoveParam()->waypoints.size(), 2u);
    }
    {
        EnemyScript_Derive script(WriteMap("tama.lua", OneLaunch("tama", 0, 2.0f)).c_str(), generator);
        script.Update(0.1f);
        auto* tama = FirstInUse<Enemy_Tama>(EnemyGenerator_Derive::PoolTama);
        ASSERT_NE(tama, nullptr);
        EXPECT_FLOAT_EQ(*tama->GetGauge2(), 2.0f * Enemy_Tama::kLife);
    }
    {
        EnemyScript_Derive script(WriteMap("ketama.lua", OneLaunch("ketama", 61, 5.0f)).c_str(), generator);
        script.Update(0.1f);
        auto* ketama = FirstInUse<Enemy_Ketama>(EnemyGenerator_Derive::PoolKetama);
        ASSERT_NE(ketama, nullptr);
        EXPECT_FLOAT_EQ(ketama->GetLifeValue(), Enemy_Ketama::kLife) << "the life factor is not applied";
        EXPECT_TRUE(ketama->attacks.empty());
        EXPECT_EQ(ketama->velocity, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    }
    {
        EnemyScript_Derive script(WriteMap("vader.lua", OneLaunch("vader", 61, 1.0f)).c_str(), generator);
        script.Update(0.1f);
        auto* vader = FirstInUse<Enemy_Vader>(EnemyGenerator_Derive::PoolVader);
        ASSERT_NE(vader, nullptr);
        EXPECT_FALSE(vader->attacks.empty());
    }
    EXPECT_EQ(Appeared(), 5);
    EXPECT_EQ(g_pEnemyScript, nullptr) << "a deleted map leaves no current script behind";
}

TEST_F(EnemyMaps, TheLaunchRecordFollowsTheCmdRules) {
    const std::string map = WriteMap("record.lua",
                                     "function Initialize()\n"
                                     "  cmd.setLifeMaxFact(0.25)\n"
                                     "  cmd.set('nosuch')\n"
                                     "  cmd.addMovePos(1, 2, 3)\n"
                                     "  cmd.launch()\n"
                                     "  cmd.set('fighter2')\n"
                                     "  cmd.launch()\n"  // no waypoint: no spawn point, nothing launched
                                     "end\n"
                                     "function Update(dt)\n"
                                     "  cmd.set('fighter1')\n"
                                     "  cmd.setPosRefTarget(1)\n"
                                     "  cmd.addMovePos(10, 0, 0)\n"
                                     "  cmd.launch()\n"
                                     "  cmd.launch()\n"
                                     "  local x, y, z = cmd.getTargetPos()\n"
                                     "  cmd.addMovePos(x, y, z)\n"
                                     "  local r = cmd.randReal()\n"
                                     "  if r < 0 or r >= 1 then error('randReal out of range') end\n"
                                     "  cmd.endScript()\n"
                                     "end\n");
    EnemyScript_Derive script(map.c_str(), generator);
    EXPECT_EQ(Appeared(), 0);
    EXPECT_TRUE(script.record.waypoints.empty()) << "set clears the waypoints";
    script.Update(0.1f);
    EXPECT_TRUE(script.IsEnded());
    ASSERT_EQ(script.record.waypoints.size(), 2u);
    // The player stands 1000 behind the generator: two launches shift twice.
    EXPECT_EQ(script.record.waypoints[0], D3DXVECTOR3(10.0f, 0.0f, -2000.0f));
    EXPECT_EQ(script.record.waypoints[1], D3DXVECTOR3(0.0f, 0.0f, -1000.0f));
    EXPECT_FLOAT_EQ(script.record.lifeFactor, 0.25f) << "set keeps the life factor";
    EXPECT_EQ(log->Text().find("失敗"), std::string::npos);
}

TEST_F(EnemyMaps, DamagedMapsAreLoggedAndEndWithoutACrash) {
    struct Case {
        const char* name;
        const char* text;  // null: no file
        bool throws;       // the load fails
        bool endsAtStart;  // Initialize fails
        const char* logged;
    };
    const Case cases[] = {
        {"missing.lua", nullptr, true, false, "の読み込みに失敗( "},
        {"syntax.lua", "function Initialize( end", true, false, "の読み込みに失敗( "},
        {"chunk.lua", "error('chunk fails')", true, false, "chunk fails"},
        {"init.lua", "function Initialize() error('init fails') end function Update(dt) end", false, true,
         "のInitialize処理に失敗( "},
        {"update.lua", "function Initialize() end function Update(dt) error('update fails') end", false, false,
         "のUpdate処理に失敗( "},
        {"noupdate.lua", "function Initialize() end", false, false, "のUpdate処理に失敗( "},
        {"argtype.lua", "function Initialize() end function Update(dt) cmd.addMovePos('a', 1, 2) end", false, false,
         "number expected"},
        {"nan.lua", "function Initialize() end function Update(dt) cmd.setMoveSpeed(0/0) end", false, false,
         "finite number expected"},
        {"endless.lua", "function Initialize() end function Update(dt) while true do end end", false, false,
         "ran too long"},
        {"launchtype.lua", "function Initialize() cmd.set({}) end function Update(dt) end", false, true,
         "string expected"},
    };
    for (const Case& c : cases) {
        const std::string path = c.text ? WriteMap(c.name, c.text) : (folder / c.name).string();
        EnemyScript_Derive* script = nullptr;
        bool threw = false;
        try {
            script = new EnemyScript_Derive(path.c_str(), generator);
        } catch (const wchar_t* text) {
            threw = true;
            EXPECT_STREQ(text, L"Lua File Load Error") << c.name;
        }
        EXPECT_EQ(threw, c.throws) << c.name;
        if (script) {
            EXPECT_EQ(script->IsEnded(), c.endsAtStart) << c.name;
            script->Update(0.1f);
            EXPECT_TRUE(script->IsEnded()) << c.name;
            delete script;
        }
        EXPECT_EQ(g_pEnemyScript, nullptr) << c.name;
        EXPECT_NE(log->Text().find(c.logged), std::string::npos) << c.name;
    }
}

// Maps are data: no system, file or debugger access, a memory ceiling, and
// a budget that also holds inside library calls and through pcall.
TEST_F(EnemyMaps, HostileMapsEndWithALoggedErrorAndTouchNothing) {
    auto fixture = [](const char* name) {
        std::ifstream file(std::string(ORV_SOURCE_DIR) + "/tests/game/lua/hostile/" + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    };
    const std::string ran = (folder / "ran.out").string();
    struct Case {
        const char* name;
        std::string text;
        bool throws;       // the chunk itself fails
        const char* logged;
    };
    const Case cases[] = {
        {"os-execute.lua", fixture("os-execute.lua"), false, "attempt to index global 'os'"},
        {"budget-sethook.lua", fixture("budget-sethook.lua"), false, "attempt to index global 'debug'"},
        {"budget-pattern.lua", fixture("budget-pattern.lua"), false, "pattern too costly"},
        {"memory-rep.lua", fixture("memory-rep.lua"), false, "not enough memory"},
        {"io.lua", "function Initialize() io.open('" + ran + "', 'w') end", false, "attempt to index global 'io'"},
        {"dofile.lua", "function Initialize() dofile('" + ran + "') end", false, "attempt to call global 'dofile'"},
        {"binary.lua", "function Initialize() assert(load(string.dump(function() end))) end", false,
         "attempt to load a binary chunk"},
        {"doubling.lua", "local s = 'x' for i = 1, 40 do s = s .. s end", true, "not enough memory"},
        {"caught.lua", "function Initialize() while true do pcall(function() while true do end end) end end", false,
         "ran too long"},
        {"emptyrep.lua", "function Initialize() if string.rep('', 2^31) == '' then error('empty ok') end end", false,
         "empty ok"},
    };
    for (const Case& c : cases) {
        const std::string path = WriteMap(c.name, c.text);
        EnemyScript_Derive* script = nullptr;
        try {
            script = new EnemyScript_Derive(path.c_str(), generator);
        } catch (const wchar_t*) {
        }
        EXPECT_EQ(script == nullptr, c.throws) << c.name;
        if (script) {
            EXPECT_TRUE(script->IsEnded()) << c.name << " fails in Initialize";
            delete script;
        }
        EXPECT_NE(log->Text().find(c.logged), std::string::npos) << c.name;
    }
    EXPECT_FALSE(std::filesystem::exists("os-execute.out")) << "a map ran a command";
    EXPECT_FALSE(std::filesystem::exists(ran));

    // What a map may use still works: text chunks, string and table functions.
    const std::string path = WriteMap("allowed.lua",
                                      "function Initialize()\n"
                                      "  local f = load('return 1 + 1')\n"
                                      "  local n = select(2, string.gsub('a,b,c', ',', ';'))\n"
                                      "  local t = {3, 1, 2} table.sort(t)\n"
                                      "  if f() ~= 2 or n ~= 2 or table.concat(t) ~= '123' or not ('abc'):find('b') then\n"
                                      "    error('library broken')\n"
                                      "  end\n"
                                      "end\n"
                                      "function Update(dt) cmd.endScript() end\n");
    EnemyScript_Derive script(path.c_str(), generator);
    EXPECT_FALSE(script.IsEnded());
    EXPECT_EQ(log->Text().find("library broken"), std::string::npos);
}

TEST_F(EnemyMaps, TheGamesMapsLoadRunAndEndThemselves) {
    const char* root = std::getenv("ORV_SOURCE_DIR");
    ASSERT_NE(root, nullptr);
    struct Case {
        const char* file;
        float section;  // seconds the stage gives the map
    };
    const Case cases[] = {
        {"enemap4_1.lua", 82.5f}, {"enemap4_2.lua", 62.0f}, {"enemap5_1.lua", 70.0f},
        {"enemap6_1.lua", 50.0f}, {"enemapex_1.lua", 40.0f},
    };
    for (const Case& c : cases) {
        const int before = Appeared();
        const std::string path = std::string(root) + "/data/map/" + c.file;
        EnemyScript_Derive script(path.c_str(), generator);
        EXPECT_FALSE(script.IsEnded()) << c.file;
        float t = 0.0f;
        for (; t < c.section && !script.IsEnded(); t += 1.0f / 30.0f) script.Update(1.0f / 30.0f);
        EXPECT_TRUE(script.IsEnded()) << c.file << " ends itself within its section";
        EXPECT_GT(Appeared(), before) << c.file;
        EXPECT_EQ(log->Text().find("失敗"), std::string::npos) << c.file;
        // Nothing is shot down here: free the stock for the next map.
        generator->ClearEvents();
        for (Enemy* e : std::vector<Enemy*>(FairiesInPlay().begin(), FairiesInPlay().end())) e->Vanish();
    }
}

}  // namespace
}  // namespace lua_test
