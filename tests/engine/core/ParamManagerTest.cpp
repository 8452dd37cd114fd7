#include <gtest/gtest.h>

#include <clocale>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "TestFiles.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/MessageTable.h"
#include "engine/core/ParamManager.h"

using Quorvex::ParamManager;
namespace GameSetting = Quorvex::GameSetting;

namespace {

struct Loaded {
    ParamManager* params = new ParamManager();
    Loaded() { params->AddRef(); }
    ~Loaded() { params->Release(); }
};

TEST(ParamManager, LinesAreSplitIntoKeyAndValue) {
    struct Case {
        const wchar_t* line;
        const wchar_t* key;
        bool present;
        float asFloat;
        int asInt;
    };
    const Case cases[] = {
        {L"FramePerSecond_Max=60\n", L"FramePerSecond_Max", true, 60.0f, 60},
        {L"FramePerSecond_Max = 60\n", L"FramePerSecond_Max", true, 60.0f, 60},
        {L"FramePerSecond_Max 60; and further words\n", L"FramePerSecond_Max", true, 60.0f, 60},
        {L"\tFramePerSecond_Min\t=\t30;\n", L"FramePerSecond_Min", true, 30.0f, 30},
        {L"JobThreadCnt 4 // four job records\n", L"JobThreadCnt", true, 4.0f, 4},
        {L"// FramePerSecond_Max 60\n", L"FramePerSecond_Max", false, 0.0f, 0},
        {L"   // JobThreadCnt = 4\n", L"JobThreadCnt", false, 0.0f, 0},
        {L"GameSetting::Client_Width 1280\n", L"GameSetting::Client_Width", true, 1280.0f, 1280},
        {L"JobThreadCnt\n", L"JobThreadCnt", false, 0.0f, 0},
        {L"\n", L"\n", false, 0.0f, 0},
        {L"FramePerSecond_Max 2.5\n", L"FramePerSecond_Max", true, 2.5f, 2},
        {L"FramePerSecond_Max -7\n", L"FramePerSecond_Max", true, -7.0f, -7},
        {L"FramePerSecond_Max sixty\n", L"FramePerSecond_Max", true, 0.0f, 0},
        {L"JobThreadCnt 99999999999\n", L"JobThreadCnt", true, 99999999999.0f, INT_MAX},
        {L"FramePerSecond_Max 1e400\n", L"FramePerSecond_Max", true, INFINITY, 1},
    };
    for (const Case& c : cases) {
        Loaded loaded;
        loaded.params->ParseLine(c.line);
        const bool present = loaded.params->GetString(c.key) != nullptr;
        EXPECT_EQ(present, c.present) << "line: " << testing::PrintToString(std::wstring(c.line));
        EXPECT_EQ(loaded.params->GetFloat(c.key), c.asFloat) << testing::PrintToString(std::wstring(c.line));
        EXPECT_EQ(loaded.params->GetInt(c.key), c.asInt) << testing::PrintToString(std::wstring(c.line));
    }
}

TEST(ParamManager, LaterDuplicateWinsAndMissingKeysGiveDefaults) {
    Loaded loaded;
    loaded.params->ParseLine(L"JobThreadCnt 2\n");
    loaded.params->ParseLine(L"JobThreadCnt 6\n");
    EXPECT_EQ(loaded.params->GetInt(GameSetting::JobThreadCnt), 6);
    EXPECT_EQ(loaded.params->GetCount(), 1u);

    EXPECT_EQ(loaded.params->GetString(L"Missing"), nullptr);
    char buffer[8] = "xxxxxxx";
    EXPECT_EQ(loaded.params->GetStringA(L"Missing", buffer, sizeof(buffer)), nullptr);
    EXPECT_EQ(loaded.params->GetFloat(L"Missing"), 0.0f);
    EXPECT_EQ(loaded.params->GetInt(L"Missing"), 0);
    EXPECT_FALSE(loaded.params->GetBool(L"Missing"));
    EXPECT_EQ(loaded.params->GetColor(L"Missing"), 0u);
}

TEST(ParamManager, ColorsNeedFourNumbers) {
    struct Case {
        const wchar_t* line;
        DWORD color;
    };
    const Case cases[] = {
        {L"Color (255,128,0,64)\n", 0x40FF8000u},
        {L"Color=(255,128,0,64) // alpha last\n", 0x40FF8000u},
        {L"Color (255,128,0)\n", 0u},
        {L"Color (255,128,0) // three\n", 0u},
        {L"Color (256,0,0,255)\n", 0xFF000000u},  // each number is one byte
        {L"Color (1,2,3,4,5)\n", 0x04010203u},
    };
    for (const Case& c : cases) {
        Loaded loaded;
        loaded.params->ParseLine(c.line);
        EXPECT_EQ(loaded.params->GetColor(L"Color"), c.color) << testing::PrintToString(std::wstring(c.line));
    }
}

TEST(ParamManager, NarrowValueIsCutToTheBufferWithoutSplittingACharacter) {
    Loaded loaded;
    loaded.params->ParseLine(L"Name \u65E5\u672C\n");
    char wide[16];
    ASSERT_NE(loaded.params->GetStringA(L"Name", wide, sizeof(wide)), nullptr);
    EXPECT_STREQ(wide, "\xE6\x97\xA5\xE6\x9C\xAC\n");
    char narrow[5];
    std::memset(narrow, 'x', sizeof(narrow));
    ASSERT_EQ(loaded.params->GetStringA(L"Name", narrow, sizeof(narrow)), narrow);
    EXPECT_STREQ(narrow, "\xE6\x97\xA5");
}

TEST(ParamManager, FilesOfAnyContentAreReadWithoutHarm) {
    core_test::TempDir dir;
    std::string binary;
    for (int i = 0; i < 70000; ++i) binary.push_back(static_cast<char>((i * 7919) & 0xFF));
    std::string enormous(3 * 1024 * 1024, 'A');
    enormous += "\nJobThreadCnt 3\n";
    std::string longJapanese;
    for (int i = 0; i < 30000; ++i) longJapanese += "\xE6\x97\xA5";  // 90000 bytes on one line
    longJapanese += "\nJobThreadCnt 5\n";

    struct Case {
        const char* name;
        std::string bytes;
        int jobs;
    };
    const Case cases[] = {
        {"empty", "", 0},
        {"binary", binary, -1},
        {"enormous", enormous, 3},
        {"long-multibyte", longJapanese, 5},
        {"crlf-bom", "\xEF\xBB\xBFJobThreadCnt = 2\r\nFramePerSecond_Max=60\r\n", 2},
        {"no-final-newline", "JobThreadCnt 7", 7},
        {"invalid-utf8", "JobThreadCnt \xFF\xFE 9\n", 0},
    };
    for (const Case& c : cases) {
        Loaded loaded;
        const auto file = dir.Write(c.name, c.bytes);
        ASSERT_EQ(loaded.params->LoadFile(file.wstring().c_str()), 0) << c.name;
        if (c.jobs >= 0) {
            EXPECT_EQ(loaded.params->GetInt(GameSetting::JobThreadCnt), c.jobs) << c.name;
        }
        if (std::string(c.name) == "empty") {
            EXPECT_EQ(loaded.params->GetCount(), 0u);
        }
        if (std::string(c.name) == "crlf-bom") {
            EXPECT_STREQ(loaded.params->GetString(GameSetting::JobThreadCnt), L"2\n");
            EXPECT_EQ(loaded.params->GetFloat(GameSetting::FramePerSecond_Max), 60.0f);
        }
    }
}

TEST(ParamManager, MissingFileLogsMessageFive) {
    core_test::TempDir dir;
    auto& log = Quorvex::MessageLogManager::Instance();
    const auto logFile = dir.path() / "log.txt";
    ASSERT_EQ(log.Open(logFile.wstring().c_str()), 0);
    Quorvex::MessageTable::Build();
    Loaded loaded;
    EXPECT_EQ(loaded.params->LoadFile(dir.Wide("absent.txt").c_str()), -1);
    log.Close();
    EXPECT_EQ(core_test::ReadAll(logFile),
              "ParamManager::Initialize() : \xE3\x83\x91\xE3\x83\xA9\xE3\x83\xA1\xE3\x83\xBC\xE3\x82\xBF"
              "\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB\xE3\x81\x8C\xE3\x81\xAA\xE3\x81\x84\n");
}

TEST(ParamManager, ShippedParamFileHoldsTheNineKeys) {
    // The tests run in <build folder>/game of the source tree.
    const char* source = std::getenv("ORV_SOURCE_DIR");
    const std::filesystem::path file = std::filesystem::path(source ? source : "../..") / "tools" / "Param.txt";
    if (!std::filesystem::exists(file)) GTEST_SKIP() << file << " not found";
    Loaded loaded;
    const std::wstring path = file.wstring();
    ASSERT_EQ(loaded.params->LoadFile(path.c_str()), 0);
    EXPECT_EQ(loaded.params->GetCount(), 9u);
    EXPECT_EQ(loaded.params->GetInt(GameSetting::Client_Width), 1280);
    EXPECT_EQ(loaded.params->GetInt(GameSetting::Client_Height), 720);
    EXPECT_EQ(loaded.params->GetInt(GameSetting::Window_Width), 1280);
    EXPECT_EQ(loaded.params->GetInt(GameSetting::Window_Height), 720);
    EXPECT_EQ(loaded.params->GetInt(GameSetting::bFullScreen), 0);
    EXPECT_TRUE(loaded.params->GetBool(GameSetting::bShowMouseCursor));
    EXPECT_EQ(loaded.params->GetFloat(GameSetting::FramePerSecond_Max), 60.0f);
    EXPECT_EQ(loaded.params->GetFloat(GameSetting::FramePerSecond_Min), 30.0f);
    EXPECT_EQ(loaded.params->GetInt(GameSetting::JobThreadCnt), 1);
}

TEST(ParamManager, NumbersIgnoreTheUsersLocale) {
    const char* found = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
        if (std::setlocale(LC_ALL, name)) {
            found = name;
            break;
        }
    if (!found) GTEST_SKIP() << "no locale with a decimal comma installed";
    Loaded loaded;
    loaded.params->ParseLine(L"FramePerSecond_Max 59.5\n");
    const float value = loaded.params->GetFloat(GameSetting::FramePerSecond_Max);
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(value, 59.5f) << found;
}

}  // namespace
