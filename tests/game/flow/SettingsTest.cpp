#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "FlowTestSupport.h"
#include "engine/assets/devices/InputManager.h"
#include "game/state/Environment2.h"
#include "game/state/ParamManager2.h"

using flow_test::FreshEnvironment;
using flow_test::ReadAll;
using flow_test::TempDir;
using flow_test::WriteAll;

namespace {

// One counted settings record for the test.
struct Settings {
    ParamManager2* record = new ParamManager2();
    Settings() { record->AddRef(); }
    ~Settings() { record->Release(); }
    ParamManager2* operator->() const { return record; }
};

uint32_t Word(const std::string& bytes, size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24;
}

std::string WordBytes(uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
    return bytes;
}

// The lines of a default file, plain.
std::vector<std::string> DefaultLines(const TempDir& dir) {
    FreshEnvironment env;
    Settings settings;
    const std::string file = dir.File("defaults");
    EXPECT_EQ(settings->Save(file.c_str()), 0);
    std::vector<std::string> lines;
    ParamManager2::ReadLines(lines, file.c_str(), ParamManager2::kScrambleKey);
    return lines;
}

TEST(Settings, SaveAndLoadKeepEveryPersistentValue) {
    TempDir dir;
    const std::string file = dir.File("settings");
    const int64_t bigScore = 3000000000LL;  // above 2^31
    {
        FreshEnvironment env;
        env->musicVolume = 0.05f;
        env->soundEffectVolume = 1.7f;  // stored clamped
        env->reverseAxisY = 1;
        env->activeStage[3] = 5;
        env->active_toska = 1;
        env->all_clear = 1;
        for (int i = 0; i < Environment2::kNameLength; ++i) env->defaultName[i] = 100 + i;
        env->rankingScore[4][4][6][14] = bigScore;
        env->rankingScore[0][0][0][0] = -7;
        env->rankingName[2][3][4][5][6] = 777;
        Settings settings;
        ASSERT_EQ(settings->Save(file.c_str()), 0);
    }

    // Layout: line count, then the first line "music_vol:5000\r\n", which is
    // 16 bytes and so takes no padding, scrambled word by word.
    const std::string bytes = ReadAll(file);
    ASSERT_GT(bytes.size(), 24u);
    EXPECT_EQ(Word(bytes, 0), static_cast<uint32_t>(ParamManager2::kLineCount));
    ASSERT_EQ(Word(bytes, 4), 16u);
    std::string first;
    for (size_t at = 8; at < 24; at += 4) first += WordBytes(Word(bytes, at) ^ ParamManager2::kScrambleKey);
    EXPECT_EQ(first, "music_vol:5000\r\n");

    FreshEnvironment env;
    Settings settings;
    ASSERT_EQ(settings->Load(file.c_str()), 0);
    EXPECT_FLOAT_EQ(env->musicVolume, 0.05f);
    EXPECT_FLOAT_EQ(env->soundEffectVolume, 1.0f);
    EXPECT_EQ(env->reverseAxisY, 1);
    EXPECT_EQ(env->activeStage[3], 5);
    EXPECT_EQ(env->activeStage[0], 1);
    EXPECT_EQ(env->active_toska, 1);
    EXPECT_EQ(env->all_clear, 1);
    for (int i = 0; i < Environment2::kNameLength; ++i) EXPECT_EQ(env->defaultName[i], 100 + i);
    EXPECT_EQ(env->rankingScore[4][4][6][14], bigScore);
    EXPECT_EQ(env->rankingScore[0][0][0][0], -7);
    EXPECT_EQ(env->rankingName[2][3][4][5][6], 777);
    // An untouched entry keeps its default name.
    int32_t preset[Environment2::kNameLength];
    Environment2::FillPreset(preset, 9);
    EXPECT_EQ(std::memcmp(env->rankingName[3][1][2][9], preset, sizeof(preset)), 0);
}

TEST(Settings, VolumeLinesAreReadWithinRange) {
    TempDir dir;
    std::vector<std::string> lines = DefaultLines(dir);
    struct Case {
        const char* line;
        float volume;
    };
    const Case cases[] = {
        {"music_vol:150000\r\n", 1.0f},
        {"music_vol:-5\r\n", 0.0f},
        {"music_vol:50000\r\n", 0.5f},
        {"music_vol:loud\r\n", 0.0f},
        {"music_vol\r\n", 0.0f},
    };
    const std::string file = dir.File("settings");
    for (const Case& c : cases) {
        lines[0] = c.line;
        ParamManager2::WriteLines(lines, file.c_str(), ParamManager2::kScrambleKey);
        FreshEnvironment env;
        env->musicVolume = 0.3f;
        Settings settings;
        ASSERT_EQ(settings->Load(file.c_str()), 0) << c.line;
        EXPECT_FLOAT_EQ(env->musicVolume, c.volume) << c.line;
    }
}

TEST(Settings, DamagedFilesAreRefusedAndNothingIsApplied) {
    TempDir dir;
    const std::string good = dir.File("good");
    {
        FreshEnvironment env;
        Settings settings;
        ASSERT_EQ(settings->Save(good.c_str()), 0);
    }
    const std::string bytes = ReadAll(good);
    // The last record of a complete file, to cut it off whole.
    const std::string lastLine = "reverse_axis_y:0\r\n";
    const size_t lastRecord = bytes.size() - 4 - (lastLine.size() + 3) / 4 * 4;

    struct Case {
        const char* what;
        std::function<std::string()> make;  // null: no file at all
    };
    const Case cases[] = {
        {"missing", nullptr},
        {"empty", [] { return std::string(); }},
        {"shorter than the count", [] { return std::string("\x01\x00", 2); }},
        {"negative count", [&] { return WordBytes(0xFFFFFFFFu) + bytes.substr(4); }},
        {"count beyond the file", [&] { return WordBytes(0x7FFFFFFFu) + bytes.substr(4); }},
        {"negative length", [&] { return bytes.substr(0, 4) + WordBytes(0x80000000u) + bytes.substr(8); }},
        {"length beyond the file", [&] { return bytes.substr(0, 4) + WordBytes(0x10000000u) + bytes.substr(8); }},
        {"cut in the middle", [&] { return bytes.substr(0, bytes.size() / 2); }},
        {"one line short",
         [&] { return WordBytes(ParamManager2::kLineCount - 1) + bytes.substr(4, lastRecord - 4); }},
    };
    const std::string file = dir.File("settings");
    for (const Case& c : cases) {
        std::filesystem::remove(file);
        if (c.make) WriteAll(file, c.make());
        FreshEnvironment env;
        env->musicVolume = 0.25f;
        env->rankingScore[1][1][1][1] = 42;
        Settings settings;
        EXPECT_EQ(settings->Load(file.c_str()), -1) << c.what;
        EXPECT_FLOAT_EQ(env->musicVolume, 0.25f) << c.what;
        EXPECT_EQ(env->rankingScore[1][1][1][1], 42) << c.what;
    }
}

TEST(Settings, LineLengthsThatAreNotWholeWordsStayInsideTheLine) {
    TempDir dir;
    const std::string file = dir.File("odd");
    std::string text = "a:1\r\n";  // 5 bytes, scrambled without padding
    const uint32_t key = ParamManager2::kScrambleKey;
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(text[i] ^ static_cast<char>(key >> (8 * (i % 4))));
    WriteAll(file, WordBytes(1) + WordBytes(5) + text);
    std::vector<std::string> lines;
    ParamManager2::ReadLines(lines, file.c_str(), key);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "a:1\r\n");
    EXPECT_EQ(ParamManager2::GetValue(lines[0]), "1\r\n");
}

TEST(Settings, PadButtonsAreRestoredAndMinusOneLeavesTheBinding) {
    TempDir dir;
    const std::string file = dir.File("settings");
    FreshEnvironment env;
    auto* input = new Quorvex::InputManager();
    input->AddRef();
    env->inputManager = input;
    input->BindPadButton(9, "Shot2");
    {
        Settings settings;  // Shot2 on 9, nothing on the others
        EXPECT_EQ(settings->padShot2, 9);
        EXPECT_EQ(settings->padShot1, -1);
        ASSERT_EQ(settings->Save(file.c_str()), 0);
    }
    input->UnbindPadButton(9, "Shot2");
    input->BindPadButton(6, "Shot2");
    input->BindPadButton(11, "Shot1");
    {
        Settings settings;
        ASSERT_EQ(settings->Load(file.c_str()), 0);
    }
    EXPECT_EQ(input->FindPadButton("Shot2"), 9);
    EXPECT_EQ(input->FindPadButton("Shot1"), 11);
    env->inputManager = nullptr;
    input->Release();
}

}  // namespace
