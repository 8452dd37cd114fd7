#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "TestFiles.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/MessageTable.h"

using Quorvex::MessageLogManager;
using Quorvex::MessageTable;

namespace {

std::wstring Text(int id) {
    const wchar_t* text = MessageTable::GetText(id);
    return text ? text : L"<null>";
}

TEST(MessageTable, TextsByIdWithUnknownIdsGivingIdZero) {
    MessageTable::Clear();
    EXPECT_EQ(MessageTable::GetText(5), nullptr) << "nothing before the table is built";
    MessageTable::Build();

    const std::wstring unknown = L"謎のメッセージタイプ";
    EXPECT_EQ(Text(0), unknown);
    for (int id : {6, 53, 999, -1}) EXPECT_EQ(Text(id), unknown) << id;
    int known = 0;
    for (int id = 1; id <= 52; ++id) known += Text(id) != unknown;
    EXPECT_EQ(known, 51) << "ids 1-52 without 6 have texts of their own";

    const std::map<int, std::wstring> samples = {
        {1, L"謎の例外が発生"},
        {5, L"パラメータファイルがない"},
        {12, L"ゲーム管理クラスの初期化に失敗"},
        {22, L"頂点バッファの生成に失敗"},
        {29, L"3Dスプライト(HDR)エフェクトのロードに失敗"},
        {44, L"Commonの初期化に失敗"},
        {45, L"Common初期化完了"},
        {52, L"リソースロードスレッドを終了"},
    };
    for (const auto& [id, text] : samples) EXPECT_EQ(Text(id), text) << id;
}

class LogFile : public testing::Test {
protected:
    void SetUp() override {
        log.SetConsoleEcho(false);
        file = dir.path() / "MsgLog.txt";
    }
    std::string Contents() {
        log.Close();
        return core_test::ReadAll(file);
    }
    core_test::TempDir dir;
    std::filesystem::path file;
    MessageLogManager log;
};

TEST_F(LogFile, OpeningTruncatesAndLinesReadSourceSeparatorText) {
    dir.Write("MsgLog.txt", "left over from the last run\n");
    ASSERT_EQ(log.Open(file.wstring().c_str()), 0);
    struct Case {
        const wchar_t* source;
        const wchar_t* text;
        const char* line;
    };
    const Case cases[] = {
        {nullptr, L"hello", "Message : hello\n"},
        {L"Main", L"Common初期化完了", "Main : Common\xE5\x88\x9D\xE6\x9C\x9F\xE5\x8C\x96\xE5\xAE\x8C\xE4\xBA\x86\n"},
        {L"Trace", L"[scene:42]\r\n", "Trace : [scene:42]\r\n"},
        {L"Src", nullptr, "Src : \n"},
        {L"", L"", " : \n"},
    };
    std::string expected;
    for (const Case& c : cases) {
        EXPECT_EQ(log.Log(c.source, c.text), 0);
        expected += c.line;
    }
    EXPECT_EQ(Contents(), expected);
}

TEST_F(LogFile, LongTextsAreWrittenWhole) {
    ASSERT_EQ(log.Open(file.wstring().c_str()), 0);
    const std::wstring source(20000, L'S');
    std::wstring text;
    for (int i = 0; i < 100000; ++i) text += (i % 2) ? L'x' : L'ー';
    log.Log(source.c_str(), text.c_str());
    const std::string contents = Contents();
    EXPECT_EQ(contents, WideToUtf8(source) + " : " + WideToUtf8(text) + "\n");
}

TEST_F(LogFile, LinesFromManyThreadsStayWhole) {
    ASSERT_EQ(log.Open(file.wstring().c_str()), 0);
    constexpr int kThreads = 8;
    constexpr int kLines = 400;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([this, t] {
            const std::wstring source = L"Thread" + std::to_wstring(t);
            const std::wstring text = std::wstring(300, static_cast<wchar_t>(L'a' + t)) + L"ジョブ";
            for (int i = 0; i < kLines; ++i) log.Log(source.c_str(), text.c_str());
        });
    for (auto& thread : threads) thread.join();

    std::map<std::string, int> seen;
    std::istringstream lines(Contents());
    for (std::string line; std::getline(lines, line);) ++seen[line];
    ASSERT_EQ(seen.size(), static_cast<size_t>(kThreads)) << "every line is one of the eight whole lines";
    for (int t = 0; t < kThreads; ++t) {
        const std::string line = "Thread" + std::to_string(t) + " : " + std::string(300, static_cast<char>('a' + t)) +
                                 "\xE3\x82\xB8\xE3\x83\xA7\xE3\x83\x96";
        EXPECT_EQ(seen[line], kLines) << t;
    }
}

TEST(MessageLog, TracesAndTableLinesGoToTheProcessLog) {
    core_test::TempDir dir;
    auto& log = MessageLogManager::Instance();
    log.SetConsoleEcho(false);
    const auto file = dir.path() / "MsgLog.txt";
    ASSERT_EQ(log.Open(file.wstring().c_str()), 0);
    MessageTable::Build();

    int object = 0;
    Quorvex::DebugPrint(L"SceneBase::Initialize() [%s:%d]\r\n", L"first", &object);
    Quorvex::FormatDebugMessage("value %d of %s\r\n", 7, "seven");
    MessageTable::Log(45, L"Main");
    log.Close();

    const std::string address = std::to_string(reinterpret_cast<uintptr_t>(&object));
    EXPECT_EQ(core_test::ReadAll(file), "Message : SceneBase::Initialize() [first:" + address +
                                            "]\r\n"
                                            "Message : value 7 of seven\r\n"
                                            "Main : Common\xE5\x88\x9D\xE6\x9C\x9F\xE5\x8C\x96\xE5\xAE\x8C\xE4\xBA\x86\n");
}

}  // namespace
