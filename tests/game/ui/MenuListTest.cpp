// Menu lists: cursor movement over enabled items, the one-shot confirmation,
// showing only in the active state, and the highlight of the selected item.
#include <vector>

#include "UiFixture.h"
#include "engine/core/render/CalcVertexSet.h"
#include "engine/core/render/RenderCommand.h"
#include "game/play/Pause_SelectList.h"
#include "game/play/ScenePause.h"

namespace {

// A list of plain items whose callbacks record the chosen index.
class TestList : public Pause_SelectListBase {
public:
    TestList(Quorvex::ObjectManager* objects, Quorvex::InputManager* input, int count, std::vector<int>* chosen)
        : Pause_SelectListBase(objects, input), m_count(count), m_chosen(chosen) {}
    int Initialize(int param) override {
        if (Pause_SelectListBase::Initialize(param) < 0) return -1;
        for (int i = 0; i < m_count; ++i)
            AppendItem(new Pause_SelectUnit(dynamic_cast<Quorvex::ObjectManager*>(GetManager())),
                       [this, i] { m_chosen->push_back(i); }, 0.5f, 0.1f * i);
        return 0;
    }

private:
    int m_count;
    std::vector<int>* m_chosen;
};

class MenuListTest : public UiTest {
protected:
    TestList* MakeList(int count) {
        list = new TestList(objects, manager, count, &chosen);
        list->AddRef();
        EXPECT_EQ(list->Initialize(0), 0);
        return list;
    }
    void TearDown() override {
        if (list) {
            list->Finalize();
            list->Release();
        }
        UiTest::TearDown();
    }
    std::vector<bool> Selected() const {
        std::vector<bool> selected;
        for (int i = 0; i < list->GetCount(); ++i) selected.push_back(list->GetItem(i)->IsSelected());
        return selected;
    }

    TestList* list = nullptr;
    std::vector<int> chosen;
};

TEST_F(MenuListTest, CursorWrapsAndSkipsDisabledItems) {
    MakeList(4);
    list->GetItem(0)->SetEnabled(false);
    list->GetItem(2)->SetEnabled(false);
    list->Open(1);
    EXPECT_EQ(list->GetCursor(), 0) << "Open puts the cursor on the first item, enabled or not";

    struct Step {
        int key;  // -1: no key this frame
        int cursor;
        const char* what;
    };
    const Step steps[] = {
        {-1, 1, "resting on a disabled item moves down to the next enabled one"},
        {DIK_DOWN, 3, "down skips the disabled item"},
        {DIK_DOWN, 1, "down from the last wraps, past the disabled first item"},
        {DIK_UP, 3, "up from the first enabled wraps to the last"},
        {DIK_UP, 1, "up skips the disabled item"},
        {DIK_W, 3, "W is up too"},
        {DIK_S, 1, "S is down too"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        Tap(step.key, [&] { list->Update(0.016f); });
        EXPECT_EQ(list->GetCursor(), step.cursor);
        std::vector<bool> expected(4, false);
        expected[step.cursor] = true;
        EXPECT_EQ(Selected(), expected) << "only the item under the cursor is selected";
    }

    for (int i = 0; i < 4; ++i) list->GetItem(i)->SetEnabled(true);
    list->Open(1);
    Tap(DIK_UP, [&] { list->Update(0.016f); });
    EXPECT_EQ(list->GetCursor(), 3) << "up on the first item goes to the last";
    Tap(DIK_DOWN, [&] { list->Update(0.016f); });
    EXPECT_EQ(list->GetCursor(), 0) << "down on the last item goes to the first";
    EXPECT_TRUE(chosen.empty());
}

TEST_F(MenuListTest, ConfirmRunsOnceUntilReopenedOrCleared) {
    MakeList(3);
    list->Open(1);
    Tap(DIK_DOWN, [&] { list->Update(0.016f); });
    Tap(DIK_RETURN, [&] { list->Update(0.016f); });
    EXPECT_EQ(chosen, std::vector<int>{1});
    EXPECT_TRUE(list->IsFired());

    Tap(DIK_RETURN, [&] { list->Update(0.016f); });
    Tap(DIK_DOWN, [&] { list->Update(0.016f); });
    EXPECT_EQ(chosen, std::vector<int>{1}) << "nothing is read after a callback ran";
    EXPECT_EQ(list->GetCursor(), 1);

    list->SetFired(false);
    Tap(DIK_RETURN, [&] { list->Update(0.016f); });
    EXPECT_EQ(chosen, (std::vector<int>{1, 1})) << "the owner cleared the flag";

    list->Open(1);
    EXPECT_FALSE(list->IsFired());
    // Up and Enter in one frame: the confirmation reads the moved cursor.
    Frame({{DIK_UP, true}, {DIK_RETURN, true}});
    list->Update(0.016f);
    EXPECT_EQ(chosen, (std::vector<int>{1, 1, 2}));
}

TEST_F(MenuListTest, ItemsShowOnlyInTheActiveState) {
    auto* continues = new Pause_SelectListDead(objects, manager, nullptr);
    continues->AddRef();
    ASSERT_EQ(continues->Initialize(0), 0);
    ASSERT_EQ(continues->GetCount(), 2);
    Pause_SelectUnit* item = continues->GetItem(0);

    continues->Open(1);
    EXPECT_EQ(item->GetRenderStage(), nullptr) << "another state only changes the pictures";
    EXPECT_EQ(item->GetType(), 1);
    EXPECT_FLOAT_EQ(item->GetSprite().width * 720.0f, 96.0f) << "the continue item's default picture";

    continues->Open(2);
    EXPECT_EQ(item->GetRenderStage(), sprite2D);
    EXPECT_EQ(continues->GetItem(1)->GetRenderStage(), sprite2D);
    EXPECT_FLOAT_EQ(item->GetSprite().width * 720.0f, 160.0f) << "its own picture in the continue menu";
    EXPECT_FLOAT_EQ(item->GetSprite().x * 720.0f, 640.0f);
    EXPECT_FLOAT_EQ(continues->GetItem(1)->GetSprite().y * 720.0f, 500.0f);

    continues->Close();
    EXPECT_EQ(item->GetRenderStage(), nullptr);
    continues->Finalize();
    continues->Release();
}

TEST_F(MenuListTest, PauseMenusResumeTheirOwner) {
    auto* pause = new ScenePause();
    pause->AddRef();
    auto* menu = new Pause_SelectList(objects, manager, pause);
    menu->AddRef();
    auto* continues = new Pause_SelectListDead(objects, manager, pause);
    continues->AddRef();
    ASSERT_EQ(menu->Initialize(0), 0);
    ASSERT_EQ(continues->Initialize(0), 0);

    pause->SetMode(ScenePause::ModePause, false);
    menu->Open(1);
    Tap(DIK_RSHIFT, [&] { menu->Update(0.016f); });
    EXPECT_EQ(pause->GetMode(), ScenePause::ModeIdle) << "cancel resumes";

    pause->SetMode(ScenePause::ModeContinue, false);
    continues->Open(2);
    Tap(DIK_RSHIFT, [&] { continues->Update(0.016f); });
    EXPECT_EQ(pause->GetMode(), ScenePause::ModeContinue) << "the continue menu ignores cancel";
    Tap(DIK_RETURN, [&] { continues->Update(0.016f); });
    EXPECT_EQ(pause->GetMode(), ScenePause::ModeIdle) << "continue resumes before the stage restarts";

    menu->Finalize();
    menu->Release();
    continues->Finalize();
    continues->Release();
    pause->Release();
}

// The blend preset the item asks for in its draw commands.
int PresetOf(Pause_SelectUnit* item) {
    Quorvex::CalcVertexSet commands;
    commands.Allocate(4096, 1024, 64);
    item->Render(&commands);
    for (int i = 0; i < commands.commandCount; ++i)
        if (commands.commands[i].operation == Quorvex::RenderCommand::SetRenderStatePreset)
            return static_cast<int>(commands.commands[i].argument);
    return 0;
}

TEST_F(MenuListTest, SelectedItemPulsesAdditiveOthersStayGrey) {
    MakeList(2);
    list->Open(1);
    Pause_SelectUnit* selected = list->GetItem(0);
    Pause_SelectUnit* other = list->GetItem(1);

    struct Step {
        float dt;
        D3DCOLOR color;
    };
    // Phase advances by pi per second: alpha = sin(phase) x 0.25 + 0.75.
    const Step steps[] = {{0.5f, 0xFFFFFFFF}, {1.0f, 0x80FFFFFF}, {0.5f, 0xBFFFFFFF}};
    for (const Step& step : steps) {
        selected->Update(step.dt);
        other->Update(step.dt);
        EXPECT_EQ(selected->GetSprite().color, step.color) << step.dt;
        EXPECT_EQ(other->GetSprite().color, 0xFF808080u);
    }
    EXPECT_EQ(PresetOf(selected), 3) << "additive while selected";
    EXPECT_EQ(PresetOf(other), 2);

    selected->SetEnabled(false);
    selected->Update(0.1f);
    EXPECT_EQ(selected->GetSprite().color, 0xFF808080u) << "a disabled item does not pulse";
    EXPECT_FLOAT_EQ(selected->GetBlinkPhase(), 0.0f);
    EXPECT_EQ(PresetOf(selected), 2);
}

TEST_F(MenuListTest, ListWithoutEnabledItemsStaysPut) {
    MakeList(3);
    for (int i = 0; i < 3; ++i) list->GetItem(i)->SetEnabled(false);
    list->Open(1);
    Tap(DIK_DOWN, [&] { list->Update(0.016f); });
    Tap(DIK_RETURN, [&] { list->Update(0.016f); });
    EXPECT_EQ(list->GetCursor(), 0);
    EXPECT_TRUE(chosen.empty());
    EXPECT_FALSE(list->IsFired());
}

}  // namespace
