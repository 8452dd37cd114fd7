// The dialogue manager on a device: its fonts, the lines it puts on the four
// dialogue windows, and the game state's pointer to it.
#include "UiObjects.h"
#include "engine/assets/FontManager.h"
#include "engine/core/AreaPos.h"
#include "engine/core/Environment.h"
#include "engine/core/MessageTable.h"
#include "engine/core/render/ObjectManager.h"
#include "game/flow/FlowTestSupport.h"
#include "game/screen/GraphicManager.h"
#include "game/screen/GraphicObject.h"
#include "game/screen/GraphicObject_Spell.h"
#include "platform/d3d9/device_fixture.h"

namespace {

using Set = GraphicManager::SpeakSet;

class GraphicManagerTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (HasFatalFailure()) return;
        Quorvex::MessageTable::Build();
        Quorvex::g_pEnvironment = new Quorvex::Environment();
        Quorvex::g_pEnvironment->AddRef();
        Quorvex::g_pEnvironment->SetClientHeight(720);
        objects = MakeUiObjectManager(device_, nullptr, nullptr);
        manager = new GraphicManager(objects);
        manager->AddRef();
    }
    void TearDown() override {
        if (manager) manager->Release();
        if (objects) {
            objects->Shutdown();
            objects->Release();
        }
        if (Quorvex::g_pEnvironment) Quorvex::g_pEnvironment->Release();
        Quorvex::g_pEnvironment = nullptr;
        DeviceTest::TearDown();
    }
    void Run(float seconds) {
        for (int i = 0; i < GraphicManager::kWindowCount; ++i) {
            GraphicObject* window = manager->GetWindow(i);
            for (float t = 0.0f; t < seconds; t += 0.05f) window->Update(0.05f);
        }
    }
    int State(int window) const { return manager->GetWindow(window)->GetState(); }

    flow_test::FreshEnvironment state;
    Quorvex::ObjectManager* objects = nullptr;
    GraphicManager* manager = nullptr;
};

TEST_F(GraphicManagerTest, SpeakSetsDriveTheFourWindows) {
    ASSERT_EQ(manager->Initialize(0), 0);
    EXPECT_EQ(state->graphicManager, manager);
    ASSERT_NE(manager->GetFont(), nullptr);
    ASSERT_NE(manager->GetSpellBanner()->GetFont(), nullptr);

    manager->ApplySpeakSet(Set{"velrin", "dweli", L"こんにちは", 1, GraphicManager::kSpeakerColor});
    EXPECT_EQ(State(0), GraphicObject::StateLeftPortrait);
    EXPECT_EQ(State(1), GraphicObject::StateRightListening);
    EXPECT_EQ(State(2), GraphicObject::StateLeftText);
    EXPECT_EQ(State(3), GraphicObject::StateRightTextSilent);
    EXPECT_EQ(manager->GetWindow(2)->GetTextColor(), 0xFFFFFF80u) << "the left speaker's colour";
    Run(1.0f);

    manager->ApplySpeakSet(Set{"velrin", "dweli", L"こんにちは", 1, GraphicManager::kSpeakerColor});
    for (int i = 0; i < 4; ++i) EXPECT_LT(manager->GetWindow(i)->GetClock(), 0.0f) << "repeated line, window " << i;

    manager->ApplySpeakSet(Set{"velrin", "dweli", L"はい", 0, GraphicManager::kSpeakerColor});
    EXPECT_EQ(State(0), GraphicObject::StateLeftListening);
    EXPECT_EQ(State(1), GraphicObject::StateRightPortrait);
    EXPECT_EQ(State(3), GraphicObject::StateRightText);
    EXPECT_EQ(manager->GetWindow(3)->GetTextColor(), 0xFF8080FFu);

    manager->ApplySpeakSet(Set{"velrin", "nobody", L"え", 0, 0xFF123456});
    EXPECT_EQ(manager->GetWindow(3)->GetTextColor(), 0xFF123456u) << "an explicit colour is kept";
    Run(1.0f);

    manager->ApplySpeakSet(Set{"", "", L"", 0, GraphicManager::kSpeakerColor});
    Run(1.0f);
    EXPECT_EQ(State(2), GraphicObject::StateLeftTextSilent);
    EXPECT_TRUE(manager->GetWindow(3)->GetText().empty()) << "the end of a dialogue empties the speech windows";
    EXPECT_EQ(manager->GetWindow(3)->GetCurrentKey(), "");
    EXPECT_EQ(manager->GetWindow(1)->GetCurrentKey(), "") << "portraits keep no picture";

    manager->ReleaseAll();
    EXPECT_EQ(state->graphicManager, nullptr);
    EXPECT_EQ(manager->GetWindow(0), nullptr);
}

}  // namespace
