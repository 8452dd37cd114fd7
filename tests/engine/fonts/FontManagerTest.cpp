// The engine's font holder and the character-select fonts, drawn on an
// offscreen device.
#include <string>

#include "engine/assets/CharaSelectFonts.h"
#include "engine/assets/FontManager.h"
#include "engine/core/Environment.h"
#include "engine/core/IObjectManager.h"
#include "platform/d3dxfont/font_fixture.h"

namespace {

using Quorvex::FontManager;

// Counts of a COM-style object without changing them.
ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

// Only the device is asked for.
class DeviceOnlyObjectManager : public Quorvex::IObjectManager {
public:
    explicit DeviceOnlyObjectManager(IDirect3DDevice9* device) : device_(device) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        if (object) *object = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    int AddObject(Quorvex::Object*) override { return 0; }
    int SubObject(Quorvex::Object*) override { return 0; }
    void RequestSubObject(Quorvex::Object*) override {}
    void CancelSubObject(Quorvex::Object*) override {}
    void SetObjectGroup(Quorvex::Object*, int, bool) override {}
    int GetGroupCount() const override { return 0; }
    IDirect3DDevice9* GetDevice() const override { return device_; }

private:
    IDirect3DDevice9* device_;
};

// A process-wide environment with a client height for one test.
class ClientHeight {
public:
    explicit ClientHeight(int height) : previous_(Quorvex::g_pEnvironment) {
        environment_->AddRef();
        environment_->SetClientWidth(height * 16 / 9);
        environment_->SetClientHeight(height);
        Quorvex::g_pEnvironment = environment_;
    }
    ~ClientHeight() {
        Quorvex::g_pEnvironment = previous_;
        environment_->Release();
    }

private:
    Quorvex::Environment* environment_ = new Quorvex::Environment();
    Quorvex::Environment* previous_;
};

TEST(ScaledFontHeight, GrowsWithTheClientHeight) {
    const struct {
        int client, at720, height;
    } cases[] = {{360, 22, 11}, {719, 22, 21}, {720, 22, 22}, {1080, 22, 33}, {480, 16, 10},
                 {1080, 16, 24}, {768, 24, 25}, {32, 22, 0},  {0, 22, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(Quorvex::ScaledFontHeight(c.client, c.at720), c.height) << c.client << " x " << c.at720;
}

class FontManagerDraw : public FontTest {};

// The statistics overlay: two lines from (x, y), white, unclipped.
TEST_F(FontManagerDraw, DrawsLinesFromThePoint) {
    FontManager* manager = new FontManager();
    manager->AddRef();
    ASSERT_EQ(manager->CreateFont(device_, 20, FW_NORMAL), 0);
    EXPECT_EQ(manager->GetHeight(), 20);
    EXPECT_EQ(manager->GetWeight(), FW_NORMAL);
    Clear();
    EXPECT_TRUE(manager->DrawText(5, 7, L"FPS 60\r\nあいう", 0xFFFFFFFF));
    ReadBack();
    const Ink first = InkIn(0, 0, kWidth, 27), second = InkIn(0, 27, kWidth, kHeight);
    EXPECT_GT(first.count, 10);
    EXPECT_GT(second.count, 30);
    EXPECT_GE(first.minX, 5);
    EXPECT_GE(first.minY, 7);
    EXPECT_LE(second.maxY, 7 + 40);
    EXPECT_GE(AllInk().maxG, 250);
    // Nothing to draw is not drawing.
    EXPECT_FALSE(manager->DrawText(0, 0, L"", 0xFFFFFFFF));
    EXPECT_FALSE(manager->DrawText(0, 0, nullptr, 0xFFFFFFFF));
    manager->Release();
}

TEST_F(FontManagerDraw, WithoutAFontNothingIsDrawn) {
    FontManager manager;
    EXPECT_EQ(manager.GetFont(), nullptr);
    EXPECT_FALSE(manager.DrawText(0, 0, L"FPS", 0xFFFFFFFF));
    EXPECT_EQ(manager.CreateFont(nullptr, 12, FW_NORMAL), -1);
    EXPECT_EQ(manager.SetFont(nullptr), -1);
    EXPECT_EQ(manager.GetFont(), nullptr);
}

// Fonts change hands with their references: adopting takes one, replacing
// gives the old one back, a failed change keeps what was there.
TEST_F(FontManagerDraw, FontsChangeHandsWithTheirReferences) {
    FontManager* manager = new FontManager();
    manager->AddRef();
    ID3DXFont* own = MakeFont(16);
    ASSERT_NE(own, nullptr);
    ASSERT_EQ(manager->SetFont(own), 0);
    EXPECT_EQ(manager->GetFont(), own);
    EXPECT_EQ(RefCount(own), 2u);
    EXPECT_EQ(manager->GetHeight(), 0);  // adopting records no height

    EXPECT_EQ(manager->SetFont(nullptr), -1);
    EXPECT_EQ(manager->GetFont(), own);
    EXPECT_EQ(manager->CreateFont(device_, 100000, FW_BOLD), -1);
    EXPECT_EQ(manager->GetFont(), own);
    EXPECT_EQ(RefCount(own), 2u);

    ASSERT_EQ(manager->CreateFont(device_, 18, FW_BOLD), 0);
    EXPECT_NE(manager->GetFont(), own);
    EXPECT_EQ(RefCount(own), 1u);
    EXPECT_EQ(manager->GetHeight(), 18);
    EXPECT_EQ(manager->GetWeight(), FW_BOLD);

    Quorvex::SetGlobalFontManager(manager);
    EXPECT_EQ(Quorvex::GetGlobalFontManager(), manager);
    EXPECT_EQ(manager->GetRefCount(), 2);
    Quorvex::SetGlobalFontManager(nullptr);
    EXPECT_EQ(manager->GetRefCount(), 1);
    manager->Release();
}

TEST_F(FontManagerDraw, SelectFontsFollowTheClientHeight) {
    DeviceOnlyObjectManager objects(device_);
    ClientHeight client(540);
    FontManager* select = Quorvex::CreateSelectFont(&objects);
    ASSERT_NE(select, nullptr);
    EXPECT_EQ(select->GetRefCount(), 1);
    Clear();
    RECT rect{0, 0, 0, 0};
    // 22 pixels at 720 is 16 at 540: the line pitch the font returns.
    EXPECT_EQ(select->GetFont()->DrawTextW(nullptr, L"あ", -1, &rect, DT_NOCLIP, 0xFFFFFFFF), 16);
    orv::d3dx9::FontFaceInfo face;
    ASSERT_TRUE(orv::d3dx9::GetFontFaceInfo(select->GetFont(), face));
    EXPECT_TRUE(face.japanese);
    EXPECT_TRUE(face.emboldened);
    select->Release();

    FontManager* first = nullptr;
    FontManager* second = nullptr;
    ASSERT_EQ(Quorvex::CreateCharaSelectFonts2(&objects, first, second), 0);
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(orv::d3dx9::GetFontFaceInfo(first->GetFont(), face));
    EXPECT_TRUE(face.emboldened);
    ASSERT_TRUE(orv::d3dx9::GetFontFaceInfo(second->GetFont(), face));
    EXPECT_FALSE(face.emboldened);
    EXPECT_EQ(second->GetFont()->DrawTextW(nullptr, L"あ", -1, &rect, DT_NOCLIP, 0xFFFFFFFF), 12);
    // Made again, the old pair is given back.
    FontManager* oldFirst = first;
    oldFirst->AddRef();
    ASSERT_EQ(Quorvex::CreateCharaSelectFonts(&objects, first, second), 0);
    EXPECT_NE(first, oldFirst);
    EXPECT_EQ(oldFirst->GetRefCount(), 1);
    oldFirst->Release();
    EXPECT_EQ(first->GetFont()->DrawTextW(nullptr, L"あ", -1, &rect, DT_NOCLIP, 0xFFFFFFFF), 16);
    first->Release();
    second->Release();

    // No device: nothing is made and the slots stay.
    DeviceOnlyObjectManager none(nullptr);
    EXPECT_EQ(Quorvex::CreateSelectFont(&none), nullptr);
    EXPECT_EQ(Quorvex::CreateSelectFont(nullptr), nullptr);
    first = second = nullptr;
    EXPECT_EQ(Quorvex::CreateCharaSelectFonts(&none, first, second), -1);
    EXPECT_EQ(first, nullptr);
    EXPECT_EQ(second, nullptr);
}

}  // namespace
