// Generated WAVE images and scratch files for the sound tests.
#pragma once
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/assets/devices/SoundUnit.h"
#include "engine/core/TestFiles.h"

namespace sound_test {

inline std::string U32(uint32_t v) {
    return std::string{char(v & 0xFF), char(v >> 8 & 0xFF), char(v >> 16 & 0xFF), char(v >> 24 & 0xFF)};
}
inline std::string U16(uint16_t v) { return std::string{char(v & 0xFF), char(v >> 8 & 0xFF)}; }

inline std::string Chunk(const std::string& id, const std::string& body) {
    return id + U32(uint32_t(body.size())) + body;
}

// A format record of 16 bytes, or 18 with the extra-size word.
inline std::string Fmt(uint16_t channels, uint16_t bits, uint32_t rate = 44100, uint16_t tag = 1, bool extra = false) {
    const uint16_t align = uint16_t(channels * bits / 8);
    std::string body = U16(tag) + U16(channels) + U32(rate) + U32(rate * align) + U16(align) + U16(bits);
    if (extra) body += U16(0);
    return Chunk("fmt ", body);
}

inline std::string Riff(const std::string& chunks) {
    return "RIFF" + U32(uint32_t(4 + chunks.size())) + "WAVE" + chunks;
}

// 16-bit mono samples of a 440 Hz tone at half amplitude.
inline std::string Tone16(int frames, uint32_t rate = 44100) {
    std::string s;
    for (int i = 0; i < frames; ++i)
        s += U16(uint16_t(int16_t(std::lround(16383 * std::sin(2 * M_PI * 440.0 * i / rate)))));
    return s;
}

inline std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

// Scratch folders come from the core tests' helper.
using TempDir = core_test::TempDir;

// The volume a unit's buffer was given, in hundredths of a decibel.
inline LONG BufferVolume(Quorvex::SoundUnit* unit) {
    LONG volume = 1;
    EXPECT_EQ(unit->GetBuffer()->GetVolume(&volume), DS_OK);
    return volume;
}

}  // namespace sound_test
