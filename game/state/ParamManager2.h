// The player's persistent data (volumes, pad buttons of four play commands,
// unlocks, the default name, the ranking tables, the reversed vertical axis)
// and the scrambled "settings" file that keeps it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/ReferCounter.h"
#include "game/state/Environment2.h"
#include "platform/win32/win32.h"

class ParamManager2 : public IUnknown, public Quorvex::ReferCounter {
public:
    static constexpr uint32_t kScrambleKey = 0x5A3C91E7u;
    // Lines of a complete file.
    static constexpr int kLineCount = 23649;

    // File name "settings", volumes 1.0, pad buttons 0; then Capture, so the
    // record starts as a copy of the game state and the current pad bindings.
    ParamManager2();
    ~ParamManager2() override = default;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER

    // Capture, then writes the file: 0, -1 when building or writing failed,
    // -2 when Capture failed. Each step is logged.
    int Save(const char* name);
    // Reads the file, then Apply: 0, -1 when reading or parsing failed (nothing
    // is applied then), -2 when Apply failed.
    int Load(const char* name);
    // Game state and input manager -> record. Always 0.
    int Capture();
    // Record -> game state and input manager. Always 0.
    int Apply();

    // The file layer. Both throw the text "file can't open !" (a const char*)
    // when the file cannot be opened; ReadLines also throws a const char* on a
    // file whose line count or lengths it cannot satisfy. With a non-zero key
    // each line is padded with zeros to whole 32-bit words, each word XORed
    // with the key. ReadLines replaces the list's content.
    static void WriteLines(const std::vector<std::string>& lines, const char* name, uint32_t key);
    static void ReadLines(std::vector<std::string>& lines, const char* name, uint32_t key);
    // The text after the first ':' of the line, or "" when there is none.
    static std::string GetValue(const std::string& line);

    // ---- the record ----
    uint32_t scrambleKey = 0;
    std::string fileName;
    float musicVolume = 1.0f;
    float soundEffectVolume = 1.0f;
    // Pad button bound to "Shot2", "Shot1", "Accel", "Brake"; -1 = none.
    int32_t padShot2 = 0;
    int32_t padShot1 = 0;
    int32_t padAccel = 0;
    int32_t padBrake = 0;
    int32_t activeStage[4] = {1, 1, 1, 1};
    int32_t active_velrin_a = 1;
    int32_t active_velrin_b = 0;
    int32_t active_toska = 0;
    int32_t active_bramel = 0;
    int32_t all_clear = 0;
    int64_t rankingScore[Environment2::kFighterSlots][Environment2::kDifficultySlots]
                        [Environment2::kLevelSlots][Environment2::kRankCount] = {};
    int32_t rankingName[Environment2::kFighterSlots][Environment2::kDifficultySlots]
                       [Environment2::kLevelSlots][Environment2::kRankCount][Environment2::kNameLength] = {};
    int32_t defaultName[Environment2::kNameLength] = {-1, -1, -1, -1, -1, -1, -1, -1};
    int32_t reverseAxisY = 0;

private:
    // The file's lines from the record.
    void BuildLines(std::vector<std::string>& lines) const;
    // The record from a complete list of lines.
    void ParseLines(const std::vector<std::string>& lines);
};
