// Reading WAVE files: good layouts load, every damaged one is named in a
// "Sound Load ERROR" report and yields no samples, and nothing is read past
// the end of the file (run under AddressSanitizer to see that last part).
#include <gtest/gtest.h>

#include <string>

#include "WaveFixtures.h"
#include "engine/assets/devices/SoundManager.h"
#include "engine/core/Utility.h"

namespace {

using namespace sound_test;

struct Parsed {
    DWORD length;
    std::string report;  // what reached standard error
    Quorvex::WaveData wave;
};

Parsed Parse(const std::string& image, const wchar_t* path = L"./data/sound/test.wav") {
    Parsed p;
    const std::vector<BYTE> bytes = Bytes(image);
    p.wave.image.assign(bytes.begin(), bytes.end());  // exactly the file's size, so an over-read is caught
    ::testing::internal::CaptureStderr();
    p.length = Quorvex::ParseWave(path, p.wave);
    p.report = ::testing::internal::GetCapturedStderr();
    return p;
}

TEST(WaveReader, GoodLayoutsGiveTheirSamples) {
    const std::string samples = Tone16(50);
    struct Case {
        const char* name;
        std::string image;
        WORD channels, bits;
    };
    const Case cases[] = {
        {"16-byte format", Riff(Fmt(1, 16) + Chunk("data", samples)), 1, 16},
        {"18-byte format", Riff(Fmt(2, 16, 44100, 1, true) + Chunk("data", samples)), 2, 16},
        {"other chunks before the samples", Riff(Fmt(1, 8) + Chunk("LIST", "INFOabcd") + Chunk("fact", U32(50)) +
                                                 Chunk("data", samples)), 1, 8},
        {"trailing chunk after the samples", Riff(Fmt(1, 16) + Chunk("data", samples) + Chunk("LIST", "x")), 1, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Parsed p = Parse(c.image);
        EXPECT_EQ(p.report, "");
        ASSERT_EQ(p.length, samples.size());
        EXPECT_EQ(p.wave.dataLength, samples.size());
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(p.wave.Data()), p.length), samples);
        EXPECT_EQ(p.wave.format.nChannels, c.channels);
        EXPECT_EQ(p.wave.format.wBitsPerSample, c.bits);
        EXPECT_EQ(p.wave.format.cbSize, 0);
    }
}

TEST(WaveReader, DamagedFilesAreNamedAndGiveNothing) {
    const std::string data = Chunk("data", Tone16(10));
    std::string fmtPastEnd = Riff(Fmt(1, 16) + data);
    fmtPastEnd.replace(16, 4, U32(4000));
    struct Case {
        const char* name;
        std::string image;
        const char* message;
    };
    const Case cases[] = {
        {"empty", "", "RIFFじゃない"},
        {"shorter than the RIFF header", std::string("RIFF\x04\0\0\0WA", 10), "RIFFじゃない"},
        {"not RIFF", "RIFX" + U32(4) + "WAVE" + Fmt(1, 16) + data, "RIFFじゃない"},
        {"not WAVE", "RIFF" + U32(4) + "AVI " + Fmt(1, 16) + data, "WAVEじゃない"},
        {"ends before the format chunk", "RIFF" + U32(4) + "WAVE", "fmt じゃない"},
        {"another chunk before the format", Riff(Chunk("LIST", "abcd") + Fmt(1, 16) + data), "fmt じゃない"},
        {"format chunk cut short", Riff(Fmt(1, 16)).substr(0, 30), "fmt じゃない"},
        {"format chunk under 16 bytes", Riff(Chunk("fmt ", std::string(14, '\1')) + data), "fmt じゃない"},
        {"format size past the end", fmtPastEnd, "fmt じゃない"},
        {"24-bit samples", Riff(Fmt(1, 24) + data), "fmt じゃない"},
        {"compressed samples", Riff(Fmt(1, 4, 44100, 2) + data), "fmt じゃない"},
        {"three channels", Riff(Fmt(3, 16) + data), "fmt じゃない"},
        {"no data chunk", Riff(Fmt(1, 16) + Chunk("LIST", "abcd")), "data がない"},
        {"data size past the end", Riff(Fmt(1, 16) + "data" + U32(21) + Tone16(10)), "data がない"},
        {"chunk before data runs past the end", Riff(Fmt(1, 16) + "LIST" + U32(0xFFFFFFF0u) + data), "data がない"},
        {"chunk header cut short", Riff(Fmt(1, 16) + "dat"), "data がない"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Parsed p = Parse(c.image, L"./data/sound/broken.wav");
        EXPECT_EQ(p.length, 0u);
        EXPECT_EQ(p.wave.dataLength, 0u);
        EXPECT_NE(p.report.find("Sound Load ERROR"), std::string::npos) << p.report;
        EXPECT_NE(p.report.find(c.message), std::string::npos) << p.report;
        EXPECT_NE(p.report.find("./data/sound/broken.wav"), std::string::npos) << p.report;
    }
}

TEST(WaveReader, FilesAreReadPlainOrDescrambledByKey) {
    TempDir dir;
    const std::string image = Riff(Fmt(1, 16) + Chunk("data", Tone16(33)));
    std::vector<BYTE> scrambled = Bytes(image);
    const DWORD key = 0x6D2F48A3;
    Quorvex::XorBuffer(DWORD(scrambled.size()), key, scrambled.data(), 0);
    const std::wstring plain = dir.Write("plain.wav", image).wstring();
    const std::wstring coded = dir.Write("coded.wav", std::string(scrambled.begin(), scrambled.end())).wstring();

    Quorvex::WaveData wave;
    EXPECT_EQ(Quorvex::ReadWave(plain.c_str(), 0, wave), 66u);
    EXPECT_EQ(Quorvex::ReadWave(coded.c_str(), key, wave), 66u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(wave.Data()), 66), Tone16(33));

    const std::wstring missing = dir.Wide("missing.wav");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Quorvex::ReadWave(missing.c_str(), 0, wave), 0u);
    EXPECT_EQ(Quorvex::ReadWave(missing.c_str(), key, wave), 0u);
    const std::string report = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find("ファイルをオープン出来ない"), std::string::npos) << report;
    EXPECT_NE(report.find("missing.wav"), std::string::npos) << report;
}

}  // namespace
