#include "game/state/ParamManager2.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>

#include "engine/assets/devices/InputManager.h"
#include "engine/core/MessageLogManager.h"

using Quorvex::FormatDebugMessage;

namespace {

constexpr const char* kOpenError = "file can't open !";
constexpr const char* kBrokenError = "the file is damaged or incomplete";
constexpr const char* kWriteError = "the file could not be written completely";

constexpr int kVolumeScale = 100000;
constexpr int kFirstRankingLine = 23;
constexpr int kLinesPerEntry = 1 + Environment2::kNameLength;

// The four play commands whose pad buttons are kept, in file order.
constexpr const char* kPadCommands[4] = {"Shot2", "Shot1", "Accel", "Brake"};

int64_t ParseLeadingInt64(const std::string& text) {
    // strtoll saturates instead of overflowing; a text without a leading
    // number gives 0.
    errno = 0;
    return std::strtoll(text.c_str(), nullptr, 10);
}

int32_t ParseLeadingInt32(const std::string& text) {
    const int64_t value = ParseLeadingInt64(text);
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

int VolumeToFile(float volume) {
    const double scaled = static_cast<double>(volume) * kVolumeScale;
    if (!(scaled >= 0.0)) return 0;  // also NaN
    if (scaled > kVolumeScale) return kVolumeScale;
    return static_cast<int>(scaled);
}

float VolumeFromFile(const std::string& value) {
    const double volume = static_cast<double>(ParseLeadingInt64(value)) / kVolumeScale;
    if (volume < 0.0) return 0.0f;
    if (volume > 1.0) return 1.0f;
    return static_cast<float>(volume);
}

std::string Line(const char* key, int64_t value) { return std::string(key) + std::to_string(value) + "\r\n"; }

// The key's bytes in file order: the low byte of the little-endian word first.
uint8_t KeyByte(uint32_t key, size_t index) { return static_cast<uint8_t>(key >> (8 * (index % 4))); }

void Scramble(std::string& bytes, uint32_t key) {
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(static_cast<uint8_t>(bytes[i]) ^ KeyByte(key, i));
}

void WriteInt32(std::ofstream& out, int32_t value) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    out.write(reinterpret_cast<const char*>(bytes), 4);
}

bool ReadInt32(std::ifstream& in, int32_t* value) {
    uint8_t bytes[4];
    if (!in.read(reinterpret_cast<char*>(bytes), 4)) return false;
    *value = static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                                  static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24);
    return true;
}

}  // namespace

ParamManager2::ParamManager2() : fileName("settings") {
    Capture();
    scrambleKey = kScrambleKey;
}

std::string ParamManager2::GetValue(const std::string& line) {
    const size_t colon = line.find(':');
    return colon == std::string::npos ? std::string() : line.substr(colon + 1);
}

// ---------------------------------------------------------------------------
// Record <-> game state

int ParamManager2::Capture() {
    Environment2* env = g_pEnvironment2;
    musicVolume = env->musicVolume;
    soundEffectVolume = env->soundEffectVolume;
    int32_t* pads[4] = {&padShot2, &padShot1, &padAccel, &padBrake};
    for (int i = 0; i < 4; ++i) *pads[i] = env->inputManager ? env->inputManager->FindPadButton(kPadCommands[i]) : -1;
    for (int i = 0; i < 4; ++i) activeStage[i] = env->activeStage[i];
    active_velrin_a = env->active_velrin_a;
    active_velrin_b = env->active_velrin_b;
    active_toska = env->active_toska;
    active_bramel = env->active_bramel;
    all_clear = env->all_clear;
    std::copy(std::begin(env->defaultName), std::end(env->defaultName), defaultName);
    std::copy(&env->rankingScore[0][0][0][0], &env->rankingScore[0][0][0][0] + sizeof(rankingScore) / sizeof(int64_t),
              &rankingScore[0][0][0][0]);
    std::copy(&env->rankingName[0][0][0][0][0],
              &env->rankingName[0][0][0][0][0] + sizeof(rankingName) / sizeof(int32_t), &rankingName[0][0][0][0][0]);
    reverseAxisY = env->reverseAxisY;
    return 0;
}

int ParamManager2::Apply() {
    Environment2* env = g_pEnvironment2;
    env->musicVolume = musicVolume;
    env->soundEffectVolume = soundEffectVolume;
    if (Quorvex::InputManager* input = env->inputManager) {
        const int32_t pads[4] = {padShot2, padShot1, padAccel, padBrake};
        for (int i = 0; i < 4; ++i) {
            const int32_t stored = pads[i];
            // A button the input manager cannot bind would only remove the
            // current binding: such values leave it alone, like -1.
            if (stored < 0 || stored > Quorvex::InputManager::kLastBindablePadSlot) continue;
            const int current = input->FindPadButton(kPadCommands[i]);
            if (stored == current) continue;
            if (current >= 0) input->UnbindPadButton(current, kPadCommands[i]);
            input->BindPadButton(stored, kPadCommands[i]);
        }
    }
    for (int i = 0; i < 4; ++i) env->activeStage[i] = activeStage[i];
    env->active_velrin_a = active_velrin_a;
    env->active_velrin_b = active_velrin_b;
    env->active_toska = active_toska;
    env->active_bramel = active_bramel;
    env->all_clear = all_clear;
    std::copy(std::begin(defaultName), std::end(defaultName), env->defaultName);
    std::copy(&rankingScore[0][0][0][0], &rankingScore[0][0][0][0] + sizeof(rankingScore) / sizeof(int64_t),
              &env->rankingScore[0][0][0][0]);
    std::copy(&rankingName[0][0][0][0][0], &rankingName[0][0][0][0][0] + sizeof(rankingName) / sizeof(int32_t),
              &env->rankingName[0][0][0][0][0]);
    env->reverseAxisY = reverseAxisY;
    return 0;
}

// ---------------------------------------------------------------------------
// Lines

void ParamManager2::BuildLines(std::vector<std::string>& lines) const {
    lines.clear();
    lines.reserve(kLineCount);
    lines.push_back(Line("music_vol:", VolumeToFile(musicVolume)));
    lines.push_back(Line("sound_effect_vol:", VolumeToFile(soundEffectVolume)));
    lines.push_back(Line("key_shot2:", padShot2));
    lines.push_back(Line("key_shot1:", padShot1));
    lines.push_back(Line("key_accel:", padAccel));
    lines.push_back(Line("key_brake:", padBrake));
    lines.push_back(Line("active_stage_easy:", activeStage[0]));
    lines.push_back(Line("active_stage_normal:", activeStage[1]));
    lines.push_back(Line("active_stage_hard:", activeStage[2]));
    lines.push_back(Line("active_stage_veryhard:", activeStage[3]));
    lines.push_back(Line("active_velrin_a:", active_velrin_a));
    lines.push_back(Line("active_velrin_b:", active_velrin_b));
    lines.push_back(Line("active_toska:", active_toska));
    lines.push_back(Line("active_bramel:", active_bramel));
    lines.push_back(Line("all_clear:", all_clear));
    for (int32_t code : defaultName) lines.push_back(Line("default_name:", code));
    for (auto& byDifficulty : rankingScore) {
        const size_t f = &byDifficulty - rankingScore;
        for (auto& byLevel : byDifficulty) {
            const size_t d = &byLevel - byDifficulty;
            for (auto& byRank : byLevel) {
                const size_t l = &byRank - byLevel;
                for (int r = 0; r < Environment2::kRankCount; ++r) {
                    lines.push_back(Line("score:", byRank[r]));
                    for (int32_t code : rankingName[f][d][l][r]) lines.push_back(Line("score_name:", code));
                }
            }
        }
    }
    lines.push_back(Line("reverse_axis_y:", reverseAxisY));
}

void ParamManager2::ParseLines(const std::vector<std::string>& lines) {
    if (static_cast<int>(lines.size()) < kLineCount) throw kBrokenError;
    auto value = [&lines](int index) { return GetValue(lines[index]); };
    musicVolume = VolumeFromFile(value(0));
    soundEffectVolume = VolumeFromFile(value(1));
    padShot2 = ParseLeadingInt32(value(2));
    padShot1 = ParseLeadingInt32(value(3));
    padAccel = ParseLeadingInt32(value(4));
    padBrake = ParseLeadingInt32(value(5));
    for (int i = 0; i < 4; ++i) activeStage[i] = ParseLeadingInt32(value(6 + i));
    active_velrin_a = ParseLeadingInt32(value(10));
    active_velrin_b = ParseLeadingInt32(value(11));
    active_toska = ParseLeadingInt32(value(12));
    active_bramel = ParseLeadingInt32(value(13));
    all_clear = ParseLeadingInt32(value(14));
    for (int i = 0; i < Environment2::kNameLength; ++i) defaultName[i] = ParseLeadingInt32(value(15 + i));
    int index = kFirstRankingLine;
    int64_t* scores = &rankingScore[0][0][0][0];
    int32_t* names = &rankingName[0][0][0][0][0];
    const size_t entries = sizeof(rankingScore) / sizeof(int64_t);
    for (size_t entry = 0; entry < entries; ++entry) {
        scores[entry] = ParseLeadingInt64(value(index++));
        for (int i = 0; i < Environment2::kNameLength; ++i)
            names[entry * Environment2::kNameLength + i] = ParseLeadingInt32(value(index++));
    }
    static_assert(kFirstRankingLine + sizeof(rankingScore) / sizeof(int64_t) * kLinesPerEntry == kLineCount - 1);
    reverseAxisY = ParseLeadingInt32(value(index));
}

// ---------------------------------------------------------------------------
// File layer

void ParamManager2::WriteLines(const std::vector<std::string>& lines, const char* name, uint32_t key) {
    if (!name) throw kOpenError;
    // Written beside the file and moved over it once complete, so a failed
    // write never leaves a half file in place of the last good one.
    const std::string temporary = std::string(name) + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) throw kOpenError;
        WriteInt32(out, static_cast<int32_t>(lines.size()));
        std::string bytes;
        for (const std::string& line : lines) {
            bytes = line;
            if (key != 0) {
                bytes.resize((bytes.size() + 3) / 4 * 4, '\0');
                Scramble(bytes, key);
            }
            WriteInt32(out, static_cast<int32_t>(bytes.size()));
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
        out.flush();
        if (!out) {
            out.close();
            std::remove(temporary.c_str());
            throw kWriteError;
        }
    }
    if (std::rename(temporary.c_str(), name) != 0) {
        std::remove(temporary.c_str());
        throw kOpenError;
    }
}

void ParamManager2::ReadLines(std::vector<std::string>& lines, const char* name, uint32_t key) {
    if (!name) throw kOpenError;
    std::ifstream in(name, std::ios::binary);
    if (!in) throw kOpenError;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0) throw kOpenError;

    lines.clear();
    int32_t count = 0;
    if (!ReadInt32(in, &count)) throw kBrokenError;
    std::streamoff remaining = size - 4;
    // Every line takes at least its 4-byte length: a count the file cannot
    // hold is refused before anything is reserved.
    if (count < 0 || count > remaining / 4) throw kBrokenError;
    lines.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        int32_t length = 0;
        if (!ReadInt32(in, &length)) throw kBrokenError;
        remaining -= 4;
        if (length < 0 || length > remaining) throw kBrokenError;
        std::string bytes(static_cast<size_t>(length), '\0');
        if (length > 0 && !in.read(bytes.data(), length)) throw kBrokenError;
        remaining -= length;
        // A length that is not whole words (never written by the game) is
        // un-XORed byte by byte up to its end, never past it.
        if (key != 0) Scramble(bytes, key);
        lines.push_back(std::move(bytes));
    }
}

// ---------------------------------------------------------------------------
// Save / Load

int ParamManager2::Save(const char* name) {
    fileName = name ? name : "";
    FormatDebugMessage("設定ファイルの保存を開始 : %s", fileName);
    if (Capture() < 0) return -2;
    try {
        std::vector<std::string> lines;
        BuildLines(lines);
        WriteLines(lines, fileName.c_str(), scrambleKey);
    } catch (const char* reason) {
        FormatDebugMessage("設定ファイルの保存に失敗 : %s", fileName);
        FormatDebugMessage("settings: %s", reason);
        return -1;
    } catch (...) {
        FormatDebugMessage("設定ファイルの保存に失敗 : %s", fileName);
        return -1;
    }
    FormatDebugMessage("設定ファイルの保存に成功 : %s", fileName);
    return 0;
}

int ParamManager2::Load(const char* name) {
    fileName = name ? name : "";
    FormatDebugMessage("設定ファイルの読み込みを開始 : %s", fileName);
    try {
        std::vector<std::string> lines;
        ReadLines(lines, fileName.c_str(), scrambleKey);
        ParseLines(lines);
    } catch (const char* reason) {
        FormatDebugMessage("設定ファイルの読み込みに失敗 : %s", fileName);
        FormatDebugMessage("settings: %s", reason);
        return -1;
    } catch (...) {
        FormatDebugMessage("設定ファイルの読み込みに失敗 : %s", fileName);
        return -1;
    }
    FormatDebugMessage("設定ファイルの読み込みに成功 : %s", fileName);
    return Apply() < 0 ? -2 : 0;
}
