// Bindings count their commands; the slot limits hold; traces and the set-up
// report go to the log.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "InputFixture.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/MessageTable.h"

namespace {

TEST_F(InputTest, BindingsCountAndTheSlotLimitsHold) {
    StartInput();
    manager->BindKey(DIK_RIGHT, "Shot1");
    manager->BindKey(DIK_RIGHT, "Shot1");
    manager->BindKey(DIK_Z, "Shot1");
    manager->UnbindKey(DIK_RIGHT, "Shot1");
    Frame({{DIK_RIGHT, true}});
    EXPECT_TRUE(manager->IsCommandOn("Shot1")) << "bound twice, unbound once: still bound";
    manager->UnbindKey(DIK_RIGHT, "Shot1");
    manager->UnbindKey(DIK_RIGHT, "Shot1");  // no longer bound: nothing
    EXPECT_TRUE(manager->HasCommand("Shot1")) << "the other key keeps the command";
    Frame();
    EXPECT_FALSE(manager->IsCommandOn("Shot1"));
    manager->UnbindKey(DIK_Z, "Shot1");
    EXPECT_FALSE(manager->HasCommand("Shot1"));
    Frame({{DIK_RIGHT, false}});

    // An explicit addition keeps a command without bindings.
    manager->AddCommand("pause");
    manager->BindKey(DIK_ESCAPE, "pause");
    manager->UnbindKey(DIK_ESCAPE, "pause");
    EXPECT_TRUE(manager->HasCommand("pause"));
    manager->SubCommand("pause");
    EXPECT_FALSE(manager->HasCommand("pause"));
    manager->SubCommand("pause");  // absent: nothing

    struct Case {
        int slot;
        bool binds;
    };
    for (const Case& c : {Case{-1, false}, Case{0, true}, Case{30, true}, Case{31, false}, Case{63, false}}) {
        manager->BindPadButton(c.slot, "Slot");
        EXPECT_EQ(manager->FindPadButton("Slot"), c.binds ? c.slot : -1) << c.slot;
        manager->UnbindPadButton(c.slot, "Slot");
        EXPECT_EQ(manager->FindPadButton("Slot"), -1) << c.slot;
        EXPECT_FALSE(manager->HasCommand("Slot")) << c.slot;
    }
    manager->BindPadButton(9, "Accel");
    manager->BindPadButton(6, "Accel");
    EXPECT_EQ(manager->FindPadButton("Accel"), 6) << "the lowest slot";
    manager->UnbindPadButton(31, "Accel");  // beyond the slots: nothing
    EXPECT_EQ(manager->FindPadButton("Accel"), 6);

    for (int key : {-1, 256}) {
        manager->BindKey(key, "Bad");
        EXPECT_FALSE(manager->HasCommand("Bad")) << key;
    }
    manager->BindKey(255, "Top");
    EXPECT_TRUE(manager->HasCommand("Top"));

    EXPECT_FALSE(manager->IsCommandOn("Never"));
    EXPECT_FALSE(manager->IsCommandPressed("Never"));
    EXPECT_FALSE(manager->HasCommand("Never")) << "asking creates nothing";
}

TEST_F(InputTest, ATableBindsEveryRowAndUnbindingItLeavesOtherBindings) {
    StartInput();
    // Two keys for one command, a pad-only row and a row with neither.
    constexpr Quorvex::InputManager::KeyBinding kTable[] = {
        {"SelectEnter", DIK_RETURN, 4}, {"SelectEnter", DIK_Z, -1}, {"SelectCancel", -1, 5}, {"Idle", -1, -1}};
    manager->BindKey(DIK_X, "SelectCancel");  // bound apart from the table
    manager->BindTable(kTable);
    EXPECT_EQ(manager->FindPadButton("SelectEnter"), 4);
    EXPECT_EQ(manager->FindPadButton("SelectCancel"), 5);
    EXPECT_FALSE(manager->HasCommand("Idle"));
    Frame({{DIK_Z, true}});
    EXPECT_TRUE(manager->IsCommandOn("SelectEnter")) << "the second key of the command";
    Frame({{DIK_Z, false}});

    manager->UnbindTable(kTable);
    EXPECT_FALSE(manager->HasCommand("SelectEnter"));
    EXPECT_EQ(manager->FindPadButton("SelectEnter"), -1);
    EXPECT_EQ(manager->FindPadButton("SelectCancel"), -1);
    Frame({{DIK_RETURN, true}, {DIK_X, true}});
    EXPECT_FALSE(manager->IsCommandOn("SelectEnter"));
    EXPECT_TRUE(manager->IsCommandOn("SelectCancel")) << "its own binding outlives the table's";
    Frame({{DIK_RETURN, false}, {DIK_X, false}});
}

TEST_F(InputTest, SetUpAndCommandsAreLogged) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "orv_input_log.txt";
    Quorvex::MessageTable::Build();
    Quorvex::MessageLogManager& log = Quorvex::MessageLogManager::Instance();
    ASSERT_EQ(log.Open(file.wstring().c_str()), 0);
    StartInput();
    manager->AddCommand("SelectEnter");
    manager->SubCommand("SelectEnter");
    log.Close();
    std::stringstream text;
    text << std::ifstream(file, std::ios::binary).rdbuf();
    std::filesystem::remove(file);
    EXPECT_NE(text.str().find("InputManager::CreateInputDevice : InputDeviceの初期化完了"), std::string::npos)
        << text.str();
    EXPECT_NE(text.str().find("InputManager::CreateInputDevice : 有効パッド数 : 0"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("Message : InputManager::AddCommand : コマンド \"SelectEnter\" を追加"),
              std::string::npos)
        << text.str();
    EXPECT_NE(text.str().find("Message : InputManager::SubCommand : コマンド \"SelectEnter\" を削除"),
              std::string::npos)
        << text.str();
}

TEST_F(InputTest, ADeviceThatCannotBeSetUpIsReportedAndLeftOut) {
    // A foreground keyboard or mouse needs a window: without one both are
    // reported and left out, and the manager still starts and runs.
    Quorvex::InputManager* headless = new Quorvex::InputManager();
    headless->AddRef();
    testing::internal::CaptureStderr();
    const int result = headless->Initialize(nullptr, nullptr);
    const std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, 0);
    size_t boxes = 0;
    for (size_t at = shown.find("ERROR: モード設定に失敗"); at != std::string::npos;
         at = shown.find("ERROR: モード設定に失敗", at + 1))
        ++boxes;
    EXPECT_EQ(boxes, 2u) << shown;
    headless->BindKey(DIK_RETURN, "SelectEnter");
    orv::dinput::TestPushKeyCode(window, DIK_RETURN, true);
    Pump();
    headless->Update();
    EXPECT_FALSE(headless->IsCommandOn("SelectEnter"));
    orv::dinput::TestPushKeyCode(window, DIK_RETURN, false);
    Pump();
    headless->Release();
}

}  // namespace
