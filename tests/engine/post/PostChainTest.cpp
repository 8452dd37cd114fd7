// Whole frames through the "Begin" and "End" groups of an object manager on a
// real device: the picture drawn between them reaches the back buffer the
// right way up and in place however many passes the pair goes through.
#include <unistd.h>

#include <filesystem>

#include "engine/render/RenderTestSupport.h"
#include "PostFixture.h"
#include "engine/assets/RenderGroup_Begin.h"
#include "engine/assets/shaders/Shader_Bloom.h"
#include "engine/assets/shaders/Shader_CopyTexture.h"
#include "engine/assets/shaders/Shader_ExpandBlur2D.h"
#include "engine/core/render/ObjectManager.h"

using Quorvex::RenderGroup;
using Quorvex::RenderGroup_Begin;
using Quorvex::RenderGroup_End;

namespace {

// Copies a texture over the whole current target, as the 3D groups would
// draw the scene.
void CopyOver(Quorvex::ShaderManager* shaders, IDirect3DTexture9* texture) {
    auto* copy = dynamic_cast<Quorvex::Shader_CopyTexture*>(shaders->GetShader("CopyTexture"));
    ASSERT_NE(copy, nullptr);
    for (float& c : copy->m_fillColor) c = 1.0f;
    copy->SetTexture(texture);
    copy->Apply(nullptr, 0, -1);
    copy->SetTexture(nullptr);
}

// A 3D group stand-in that draws the scene picture.
class SceneGroup : public RenderGroup {
public:
    explicit SceneGroup(IDirect3DTexture9* picture) : picture_(picture) {}
    void Draw() override {
        if (picture_) CopyOver(GetShaderManager(), picture_);
    }
    int GetOrderKey() const override { return 3000; }

private:
    IDirect3DTexture9* picture_;
};

// A pass between the 3D groups and "End" that, as the film-noise group of the
// stages does, moves the pair on once and processes the picture drawn so far
// into the other target (here a plain copy).
class ExtraPassGroup : public RenderGroup {
public:
    void Draw() override {
        RenderGroup_Begin* begin = RenderGroup_Begin::GetCurrent();
        ASSERT_NE(begin, nullptr);
        begin->Advance();
        GetDevice()->SetRenderTarget(0, begin->GetTarget(begin->GetIndex()).GetSurface());
        CopyOver(GetShaderManager(), begin->GetNextTarget().GetTexture());
    }
    int GetOrderKey() const override { return 6990; }
};

class PostChainTest : public post_test::PostTest {
protected:
    void SetUp() override {
        post_test::PostTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(shaders_->LoadShader_CopyTexture(), 0);
        manager_ = render_test::NewManagerOn(device_, shaders_, 1);
    }
    void TearDown() override {
        if (manager_) {
            manager_->Shutdown();
            manager_->Release();
        }
        post_test::PostTest::TearDown();
    }

    // Registers a group under the name; the manager keeps it.
    template <class T>
    T* Register(T* group, const char* name) {
        group->AddRef();
        EXPECT_EQ(group->Initialize(manager_, name, 100, 0), 0) << name;
        group->Release();
        return group;
    }
    RenderGroup_Begin* RegisterBracket() {
        auto* begin = Register(new RenderGroup_Begin(), "Begin");
        Register(new RenderGroup_End(begin), "End");
        return begin;
    }

    post_test::Picture Frame() {
        device_->BeginScene();
        manager_->Update(0.0f);
        manager_->Render();
        device_->EndScene();
        return ReadScreen();
    }

    Quorvex::ObjectManager* manager_ = nullptr;
};

TEST_F(PostChainTest, PictureIsNeitherTurnedOverNorMovedByAnyNumberOfPasses) {
    const post_test::Picture picture = post_test::Pattern(kWidth, kHeight);
    RenderGroup_Begin* begin = RegisterBracket();
    Register(new SceneGroup(MakeTexture(picture)), "Scene");

    // Two passes a frame: the scene lands in target 1, bloom writes 0, the
    // blur the back buffer; the roles swap every frame.
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_LE(Frame().MaxDifference(picture), 2) << "frame " << frame;
        EXPECT_EQ(begin->GetIndex(), frame % 2 == 0 ? 1 : 0);
        EXPECT_EQ(begin->GetSavedTarget(), nullptr) << "the back buffer was given back";
    }
    // Three passes a frame.
    Register(new ExtraPassGroup(), "Film");
    for (int frame = 0; frame < 3; ++frame) EXPECT_LE(Frame().MaxDifference(picture), 2) << "frame " << frame;
}

TEST_F(PostChainTest, BeginClearsToTheFogColourAndEndLeavesTheFogRecordAsItWas) {
    RegisterBracket();
    Quorvex::FogParam fog;
    fog.enable = 1;
    fog.farValue = 500.0f;
    fog.nearValue = 10.0f;
    fog.color = 0x00203040;
    shaders_->SetFog(fog);

    const post_test::Picture screen = Frame();
    EXPECT_LE(screen.MaxDifference(post_test::Picture(kWidth, kHeight, {0x20, 0x30, 0x40, 255})), 1);
    EXPECT_EQ(shaders_->GetFog().enable, 1) << "the scene's fog for the next frame";
    DWORD deviceFog = TRUE;
    device_->GetRenderState(D3DRS_FOGENABLE, &deviceFog);
    EXPECT_EQ(deviceFog, DWORD(FALSE)) << "the 2D groups after End draw without fog";
}

TEST_F(PostChainTest, PrepareMakesThePostShadersOnceAndResetsTheBlurForANewBegin) {
    auto* first = RegisterBracket();
    EXPECT_EQ(RenderGroup_Begin::GetCurrent(), first);
    auto* blur = dynamic_cast<Quorvex::Shader_ExpandBlur2D*>(shaders_->GetShader("ExpandBlur2D"));
    auto* bloom = shaders_->GetShader("Bloom");
    ASSERT_NE(blur, nullptr);
    ASSERT_NE(bloom, nullptr);
    EXPECT_EQ(shaders_->GetShader("ToneMapping"), nullptr) << "tone mapping stays off";

    blur->m_expandLength = 0.3f;
    auto* second = new RenderGroup_Begin();
    second->AddRef();
    EXPECT_EQ(second->Initialize(manager_, "Begin2", 100, 0), 0);
    EXPECT_EQ(RenderGroup_Begin::GetCurrent(), second);
    EXPECT_EQ(shaders_->GetShader("ExpandBlur2D"), blur);
    EXPECT_EQ(shaders_->GetShader("Bloom"), bloom);
    EXPECT_EQ(blur->m_expandLength, 0.0f);
    manager_->SubRenderGroup("Begin2");
    manager_->SubRenderStage("Begin2");
    second->Release();
    EXPECT_EQ(RenderGroup_Begin::GetCurrent(), nullptr) << "the latest Begin is gone";
}

TEST_F(PostChainTest, PostShaderThatCannotLoadFailsPrepare) {
    render_test::LogCapture log;
    // No effect files where the shaders look for them.
    const std::filesystem::path home = std::filesystem::current_path();
    const std::filesystem::path empty =
        std::filesystem::temp_directory_path() / ("orv_post_empty_" + std::to_string(::getpid()));
    std::filesystem::create_directories(empty);
    std::filesystem::current_path(empty);
    auto* begin = new RenderGroup_Begin();
    begin->AddRef();
    const int result = begin->Initialize(manager_, "Begin", 100, 0);
    std::filesystem::current_path(home);
    std::filesystem::remove_all(empty);

    EXPECT_EQ(result, RenderGroup_Begin::ShaderLoadFailed);
    EXPECT_EQ(manager_->GetRenderGroup("Begin"), nullptr);
    begin->Release();
    EXPECT_NE(log.Text().find("LoadFile"), std::string::npos) << "the failed load is logged";
}

}  // namespace
