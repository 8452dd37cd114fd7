// Reading WAVE files: good layouts load, every damaged one is named in a
// "Sound Load ERROR" report and yields no samples, and nothing is read past
// the end of the file (run under AddressSanitizer to see that last part).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
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

TEST(WaveReader, ScrambledSpansMatchTheWholeFileDescrambled) {
    const DWORD key = 0x6D2F48A3;
    std::vector<BYTE> file(23);
    for (size_t i = 0; i < file.size(); ++i) file[i] = BYTE(i * 37 + 5);
    std::vector<BYTE> whole = file;
    Quorvex::XorBuffer(DWORD(whole.size()), key, whole.data(), 0);
    // Every start and length, across word edges and into the one to three
    // bytes after the last whole word.
    for (DWORD offset = 0; offset <= file.size(); ++offset)
        for (DWORD length = 0; offset + length <= file.size(); ++length) {
            std::vector<BYTE> span(file.begin() + offset, file.begin() + offset + length);
            Quorvex::XorFileSpan(DWORD(file.size()), offset, length, key, span.data());
            ASSERT_TRUE(std::equal(span.begin(), span.end(), whole.begin() + offset)) << offset << " + " << length;
        }
}

TEST(WaveReader, SamplesReadStraightFromTheFileMatchTheWholeFileRead) {
    TempDir dir;
    const DWORD key = 0x6D2F48A3;
    struct Case {
        const char* name;
        std::string image;
    };
    // A 3-byte chunk puts the samples off the key's word edges, 8-bit samples
    // of odd count end the file inside its last word, a long chunk puts the
    // samples past the headers read first, and a long file puts most of them
    // past those headers.
    const Case cases[] = {
        {"samples off the word edges", Riff(Fmt(1, 8) + Chunk("LIST", "abc") + Chunk("data", std::string(37, '\x81')))},
        {"samples past the first headers", Riff(Fmt(1, 16) + Chunk("LIST", std::string(70000, 'x')) +
                                                 Chunk("data", Tone16(33)))},
        {"samples longer than the first read", Riff(Fmt(2, 16) + Chunk("LIST", "a") + Chunk("data", Tone16(50001)))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<BYTE> scrambled = Bytes(c.image);
        Quorvex::XorBuffer(DWORD(scrambled.size()), key, scrambled.data(), 0);
        const std::wstring plain = dir.Write("plain.wav", c.image).wstring();
        const std::wstring coded = dir.Write("coded.wav", std::string(scrambled.begin(), scrambled.end())).wstring();
        for (const auto& [path, k] : {std::pair{plain, DWORD(0)}, std::pair{coded, key}}) {
            Quorvex::WaveData expected;
            const DWORD length = Quorvex::ReadWave(path.c_str(), k, expected);
            ASSERT_GT(length, 0u);
            Quorvex::WaveFile file;
            Quorvex::WaveData wave;
            ASSERT_EQ(Quorvex::OpenWave(path.c_str(), k, file, wave), length);
            EXPECT_EQ(wave.format.nChannels, expected.format.nChannels);
            std::vector<BYTE> samples(length);
            ASSERT_TRUE(file.ReadSamples(wave, samples.data(), length));
            EXPECT_TRUE(std::equal(samples.begin(), samples.end(), expected.Data())) << "key " << k;
        }
    }
}

TEST(WaveReader, AFileCutShortAfterItsHeadersFailsTheSampleRead) {
    TempDir dir;
    std::string image = Riff(Fmt(1, 16) + Chunk("data", Tone16(40000)));
    const std::wstring path = dir.Write("cut.wav", image).wstring();
    Quorvex::WaveFile file;
    Quorvex::WaveData wave;
    ASSERT_EQ(Quorvex::OpenWave(path.c_str(), 0, file, wave), 80000u);
    std::filesystem::resize_file(path, 70000);
    std::vector<BYTE> samples(80000);
    EXPECT_FALSE(file.ReadSamples(wave, samples.data(), 80000));
}

}  // namespace
