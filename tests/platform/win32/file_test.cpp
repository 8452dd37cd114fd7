// Whole-file reads, existence tests and text lines through wide paths.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/win32/win32.h"

namespace {

class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/orv-files-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        folder_ = pattern;
        Write("empty.bin", "");
        Write("日本語.txt", std::string("abc\0\xFF", 5));
        std::filesystem::create_directory(folder_ + "/sub");
        Write("sub/data.x", "xof 0303txt");
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(folder_ + "/" + name, std::ios::binary) << bytes;
    }
    std::wstring Path(const std::string& name) const { return Utf8ToWide(folder_ + "/" + name); }

    // The whole-file read as the engine's reader does it: open, size, read.
    // Answers 0, or -1 when the file cannot be opened, -4 when fewer bytes
    // arrive than the size promised.
    int ReadWhole(const std::wstring& path, std::vector<unsigned char>& data) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return -1;
        const DWORD size = GetFileSize(file, nullptr);
        data.assign(size, 0);
        DWORD read = 0;
        const BOOL ok = ReadFile(file, data.data(), size, &read, nullptr);
        EXPECT_TRUE(CloseHandle(file));
        if (!ok) return -3;
        return read == size ? 0 : -4;
    }

    std::string folder_;
};

TEST_F(FileTest, ReadsWholeFilesAndRefusesWhatIsNotOne) {
    std::vector<unsigned char> data{1, 2, 3};
    EXPECT_EQ(0, ReadWhole(Path("empty.bin"), data));
    EXPECT_TRUE(data.empty());

    EXPECT_EQ(0, ReadWhole(Path("日本語.txt"), data));
    EXPECT_EQ((std::vector<unsigned char>{'a', 'b', 'c', 0, 0xFF}), data);

    // Windows separators reach the same file.
    std::wstring backslashed = Path("sub/data.x");
    backslashed.replace(backslashed.rfind(L'/'), 1, L"\\");
    EXPECT_EQ(0, ReadWhole(backslashed, data));
    EXPECT_EQ(11u, data.size());

    EXPECT_EQ(-1, ReadWhole(Path("missing.png"), data));
    EXPECT_EQ(-1, ReadWhole(Path("sub"), data));
    EXPECT_EQ(-1, ReadWhole(L"", data));
}

TEST_F(FileTest, ReadingPastTheEndStopsAtTheEnd) {
    HANDLE file = CreateFileW(Path("sub/data.x").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD high = 99;
    EXPECT_EQ(11u, GetFileSize(file, &high));
    EXPECT_EQ(0u, high);
    char buffer[64];
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(11u, read);
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(0u, read);
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_FALSE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(INVALID_FILE_SIZE, GetFileSize(file, nullptr));
}

TEST_F(FileTest, OnlyReadingIsOffered) {
    const std::wstring path = Path("new.txt");
    EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, 2 /* create always */,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_FALSE(std::filesystem::exists(folder_ + "/new.txt"));
}

TEST_F(FileTest, AttributesTellFilesFoldersAndNothing) {
    EXPECT_EQ(FILE_ATTRIBUTE_NORMAL, GetFileAttributesW(Path("日本語.txt").c_str()));
    EXPECT_EQ(FILE_ATTRIBUTE_NORMAL, GetFileAttributesW(Path("empty.bin").c_str()));
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesW(Path("sub").c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(Path("sub/none.code").c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L""));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(nullptr));
}

TEST_F(FileTest, TextLinesReadAsWideTextInTextMode) {
    Write("Param.txt", "\xEF\xBB\xBF" "FramePerSecond_Max = 60\r\n// 日本語のコメント\nJobThreadCnt 4");
    FILE* file = _wfopen(Path("Param.txt").c_str(), L"rt");
    ASSERT_NE(nullptr, file);
    std::wstring line;
    ASSERT_TRUE(ReadLineW(file, line));
    EXPECT_EQ(L"FramePerSecond_Max = 60\n", line);
    ASSERT_TRUE(ReadLineW(file, line));
    EXPECT_EQ(L"// 日本語のコメント\n", line);
    ASSERT_TRUE(ReadLineW(file, line));
    EXPECT_EQ(L"JobThreadCnt 4", line);
    EXPECT_FALSE(ReadLineW(file, line));
    EXPECT_TRUE(line.empty());
    std::fclose(file);

    file = _wfopen(Path("empty.bin").c_str(), L"r");
    ASSERT_NE(nullptr, file);
    EXPECT_FALSE(ReadLineW(file, line));
    std::fclose(file);

    EXPECT_EQ(nullptr, _wfopen(Path("missing.txt").c_str(), L"rt"));
}

}  // namespace
