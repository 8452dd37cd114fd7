#include <gtest/gtest.h>

#include "RecordingDevice.h"
#include "engine/assets/Chara2D.h"
#include "engine/assets/ResourceManager.h"
#include "engine/assets/MaterialUnit.h"
#include "engine/assets/Primitive.h"
#include "engine/assets/RenderGroups.h"
#include "engine/assets/RenderObjectSpr2D.h"
#include "engine/assets/Sprite2DInfo.h"
#include "engine/assets/Sprite3DInfo.h"
#include "engine/core/Environment.h"

using assets_test::SizedTexture;
using namespace Quorvex;

namespace {

// A process-wide environment with a given client size and screen scales for
// one test.
class ScreenEnvironment {
public:
    ScreenEnvironment(int width, int height, float scaleX = 1.0f, float scaleY = 1.0f) {
        environment_ = new Environment();
        environment_->AddRef();
        previous_ = g_pEnvironment;
        g_pEnvironment = environment_;
        environment_->SetClientWidth(width);
        environment_->SetClientHeight(height);
        environment_->SetScreenScale(scaleX, scaleY);
        environment_->SetAspect(static_cast<float>(width), static_cast<float>(height));
    }
    ~ScreenEnvironment() {
        g_pEnvironment = previous_;
        environment_->Release();
    }

private:
    Environment* environment_;
    Environment* previous_;
};

// A material holding one texture of the given size.
struct Sheet {
    SizedTexture texture;
    MaterialUnit* material = new MaterialUnit("matSheet");
    Sheet(UINT width, UINT height) : texture(width, height) {
        material->AddRef();
        material->SetTexture(0, &texture);
    }
    ~Sheet() { material->Release(); }
};

void ExpectCorners(const D3DXVECTOR2 (&uv)[4], const float (&expected)[8]) {
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(uv[i].x, expected[2 * i]) << "corner " << i;
        EXPECT_FLOAT_EQ(uv[i].y, expected[2 * i + 1]) << "corner " << i;
    }
}

}  // namespace

TEST(PrimitiveBase, FreshRecordAndItsWorldMatrix) {
    struct Primitive : PrimitiveBase {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return S_OK; }
        ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
        ULONG STDMETHODCALLTYPE Release() override { return 1; }
        void DrawSubset(int) override {}
        void DrawExtrusionSubset(int) override {}
    } primitive;
    EXPECT_EQ(primitive.GetWorldMatrix(), &primitive.m_world);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_TRUE(*primitive.GetWorldMatrix() == identity);
    EXPECT_EQ(*primitive.GetColour(), D3DXVECTOR4(1.0f, 1.0f, 1.0f, 1.0f));
    EXPECT_FLOAT_EQ(primitive.GetColourAlpha(), 1.0f);
    EXPECT_EQ(primitive.GetSubsetCount(), 0);
    EXPECT_EQ(primitive.GetBoneInfluence(), 0);
    for (int subset = 0; subset < 3; ++subset) {
        EXPECT_EQ(primitive.GetTextureOverride(subset), nullptr);
        EXPECT_EQ(primitive.GetNormalMapOverride(subset), nullptr);
    }
    D3DXMATRIX external;
    D3DXMatrixTranslation(&external, 1.0f, 2.0f, 3.0f);
    primitive.m_pExternalWorld = &external;
    EXPECT_EQ(primitive.GetWorldMatrix(), &external);
}

TEST(MaterialUnit, TextureListKeepsCountAndEntriesTogether) {
    SizedTexture a(1, 1), b(1, 1), c(1, 1);
    MaterialUnit* material = new MaterialUnit("matTest");
    material->AddRef();
    EXPECT_EQ(material->SetTexture(0, &a), 0);  // appended to an empty list
    EXPECT_EQ(material->SetTexture(0, &b), 0);  // replaces the first
    EXPECT_EQ(a.refs, 1u);
    EXPECT_EQ(material->SetTexture(-1, &c), 1);
    EXPECT_EQ(material->GetTextureCount(), 2);

    material->ReleaseTexture(0);
    material->ReleaseTexture(0);  // already empty
    material->ReleaseTexture(5);  // outside the list
    EXPECT_EQ(material->GetTextureCount(), 1);
    // The entry after the hole stays reachable and releasable.
    EXPECT_EQ(material->GetTexture(1), &c);
    material->ReleaseTexture(1);
    EXPECT_EQ(c.refs, 1u);
    EXPECT_EQ(material->GetTextureCount(), 0);
    // Filling the hole again counts one texture, not one more slot.
    material->SetTexture(0, &a);
    EXPECT_EQ(material->GetTextureCount(), 1);

    material->SetNormalMap(&b);
    material->Release();  // the last reference frees every texture
    EXPECT_EQ(a.refs, 1u);
    EXPECT_EQ(b.refs, 1u);
}

TEST(Sprite2DInfo, DefaultsAndCountedMaterial) {
    ScreenEnvironment screen(1280, 720);
    Sheet sheet(64, 64);  // outlives the sprites that hold its material
    Sprite2DInfo sprite;
    EXPECT_EQ(sprite.material, nullptr);
    EXPECT_FLOAT_EQ(sprite.width, 1280.0f / 720.0f);
    EXPECT_FLOAT_EQ(sprite.height, 1.0f);
    EXPECT_EQ(sprite.color, 0xFFFFFFFFu);
    const float full[8] = {0, 0, 1, 0, 0, 1, 1, 1};
    ExpectCorners(sprite.uv, full);
    EXPECT_EQ(sprite.centered + sprite.reverseAngle + sprite.sizeAsStored, 3);

    sprite.SetMaterial(sheet.material);
    sprite.x = 0.25f;
    {
        Sprite2DInfo copy(sprite);
        Sprite2DInfo assigned;
        assigned = sprite;
        EXPECT_EQ(sheet.material->GetRefCount(), 4);
        EXPECT_FLOAT_EQ(assigned.x, 0.25f);
    }
    EXPECT_EQ(sheet.material->GetRefCount(), 2);
    sprite.Init();  // keeps the material
    EXPECT_EQ(sprite.material, sheet.material);
    EXPECT_FLOAT_EQ(sprite.x, 0.0f);
}

TEST(Sprite3DInfo, ResetKeepsTheTransformAndDropsTheMaterial) {
    Sheet sheet(8, 8);
    Sprite3DInfoEx sprite;
    sprite.SetMaterial(sheet.material);
    sprite.position = D3DXVECTOR3(1.0f, 2.0f, 3.0f);
    sprite.rotation = D3DXQUATERNION(0.0f, 1.0f, 0.0f, 0.0f);
    sprite.width = 5.0f;
    sprite.color = 0x80FF0000;
    sprite.positions.resize(3);
    sprite.texCoords.resize(3);

    sprite.Reset();
    EXPECT_EQ(sprite.material, nullptr);
    EXPECT_EQ(sheet.material->GetRefCount(), 1);
    EXPECT_EQ(sprite.position, D3DXVECTOR3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(sprite.rotation, D3DXQUATERNION(0.0f, 1.0f, 0.0f, 0.0f));
    EXPECT_FLOAT_EQ(sprite.width, 1.0f);
    EXPECT_EQ(sprite.color, 0xFFFFFFFFu);
    EXPECT_TRUE(sprite.positions.empty());
    EXPECT_TRUE(sprite.texCoords.empty());

    sprite.ResetTransform();
    EXPECT_EQ(sprite.position, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(sprite.rotation, D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f));
}

TEST(Chara2D, CutOutMaths) {
    {
        // The full rectangle measures the texture upside down.
        ScreenEnvironment screen(1280, 720);
        Sheet sheet(256, 128);
        Chara2D chara;
        chara.SetMaterial(sheet.material);
        ASSERT_EQ(chara.SetSizeFromTexture(), 0);
        EXPECT_FLOAT_EQ(chara.width, 256.0f);
        EXPECT_FLOAT_EQ(chara.height, -128.0f);
        // A texel cut stores the larger v first and measures upright.
        ASSERT_EQ(chara.SetTexelRect(0.0f, 0.0f, 128.0f, 64.0f), 0);
        const float corners[8] = {0.0f, 0.5f, 0.5f, 0.5f, 0.0f, 0.0f, 0.5f, 0.0f};
        ExpectCorners(chara.uv, corners);
        ASSERT_EQ(chara.SetSizeFromTexture(), 0);
        EXPECT_FLOAT_EQ(chara.width, 128.0f);
        EXPECT_FLOAT_EQ(chara.height, 64.0f);
    }
    {
        // Cell (1, 2, 3, 1) of a 512 sheet: texels (64, 128)-(256, 192),
        // fitted to a 1280 x 720 client (720 the smaller side), scale 2.
        ScreenEnvironment screen(1280, 720, 1.5f, 0.5f);
        Sheet sheet(512, 512);
        Chara2D chara;
        chara.SetMaterial(sheet.material);
        ASSERT_EQ(CutChara2DCell(chara, 2.0f, 1.0f, 2.0f, 3.0f, 1.0f), 0);
        const float corners[8] = {0.125f, 0.375f, 0.5f, 0.375f, 0.125f, 0.25f, 0.5f, 0.25f};
        ExpectCorners(chara.uv, corners);
        EXPECT_FLOAT_EQ(chara.width, 192.0f * 1.5f / 720.0f * 1.5f * 2.0f * 1.5f);
        EXPECT_FLOAT_EQ(chara.height, 64.0f * 0.5f / 720.0f * 0.5f * 2.0f * 0.5f);
    }
    {
        // Without a texture nothing is measured and nothing changes.
        Chara2D chara;
        EXPECT_EQ(chara.SetTexelRect(0.0f, 0.0f, 1.0f, 1.0f), -1);
        EXPECT_EQ(chara.FitToScreen(), -1);
        EXPECT_EQ(CutChara2DCell(chara, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f), -1);
        EXPECT_FLOAT_EQ(chara.width, 1.0f);
        EXPECT_FLOAT_EQ(chara.uv[3].x, 1.0f);
    }
    {
        // A registered cell is the cut of a copy: the sheet stays whole.
        ScreenEnvironment screen(1280, 720);
        Sheet sheet(512, 512);
        ResourceManager* resources = new ResourceManager();
        Chara2DCellSet set;
        set.resourceManager = resources;
        set.scale = 0.5f;
        set.chara.SetMaterial(sheet.material);
        ASSERT_EQ(SetChara2DCell(set, "hud9", 1.0f, 1.0f, 1.0f, 1.0f), 0);
        Chara2D* cell = resources->GetChara2D("hud9");
        ASSERT_NE(cell, nullptr);
        EXPECT_FLOAT_EQ(cell->uv[3].x, 0.25f);
        EXPECT_FLOAT_EQ(cell->height, 64.0f / 720.0f * 0.5f);
        EXPECT_FLOAT_EQ(set.chara.uv[3].x, 1.0f);
        set.resourceManager = nullptr;
        EXPECT_EQ(SetChara2DCell(set, "none", 0.0f, 0.0f, 1.0f, 1.0f), -1);
        resources->Release();
    }
}

TEST(Chara2D, SpriteTakesTheCutOut) {
    Sheet sheet(64, 64);
    Chara2D chara;
    chara.SetMaterial(sheet.material);
    chara.SetTexelRect(16.0f, 0.0f, 32.0f, 16.0f);
    chara.width = 0.1f;
    chara.height = 0.2f;
    Sprite2DInfo sprite;
    sprite.SetChara2D(chara);
    EXPECT_EQ(sprite.material, sheet.material);
    EXPECT_EQ(sheet.material->GetRefCount(), 3);
    EXPECT_FLOAT_EQ(sprite.width, 0.1f);
    EXPECT_FLOAT_EQ(sprite.height, 0.2f);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(sprite.uv[i], chara.uv[i]);
    chara.Reset();
    EXPECT_EQ(sheet.material->GetRefCount(), 2);
}

TEST(RenderObjectSpr2DGroup, PositionInPixelsMovesEveryMemberFromItsOffset) {
    ScreenEnvironment screen(1280, 720);
    RenderObjectSpr2DGroup* group = RenderObjectSpr2DGroup::Create();
    RenderObjectSpr2D* a = RenderObjectSpr2D::Create(nullptr);
    RenderObjectSpr2D* b = RenderObjectSpr2D::Create(nullptr);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->GetGroupName(), "Sprite2D");
    EXPECT_EQ(a->m_blendMode, 2);
    group->Add(a, 0.1f, 0.2f);
    group->Add(b, -0.3f, 0.0f);

    SetSpr2DGroupPosition(640.0f, 360.0f, group);
    EXPECT_FLOAT_EQ(a->m_sprite.x, 0.6f);
    EXPECT_FLOAT_EQ(a->m_sprite.y, 0.7f);
    EXPECT_FLOAT_EQ(b->m_sprite.x, 0.2f);
    EXPECT_FLOAT_EQ(b->m_sprite.y, 0.5f);

    // Without a stage of the group's name the members stay out but count as
    // shown.
    EXPECT_EQ(group->ShowAll(), 0);
    EXPECT_TRUE(a->IsShown());
    EXPECT_EQ(a->GetRenderStage(), nullptr);
    group->HideAll();
    EXPECT_FALSE(b->IsShown());

    a->Release();
    b->Release();
    EXPECT_EQ(a->GetRefCount(), 1);  // the group's
    group->Release();
}

TEST(RenderGroups, OrderKeys) {
    struct Case {
        const char* name;
        int key;
        int expected;
    };
    RenderGroupSolidModel solidBg(2500), solid(3001);
    RenderGroupStandard standard;
    RenderGroupSprite3D sprite3DBg(4000), sprite3D(5000);
    RenderGroupSprite3D_NoCull noCull;
    RenderGroupSprite3DOver over;
    RenderGroupSprite2D sprite2D;
    const Case cases[] = {
        {"SolidModelBg", solidBg.GetOrderKey(), 2500}, {"", standard.GetOrderKey(), 3000},
        {"SolidModel", solid.GetOrderKey(), 3001},      {"Sprite3DBg", sprite3DBg.GetOrderKey(), 4000},
        {"Sprite3D", sprite3D.GetOrderKey(), 5000},     {"Sprite3D_NoCull", noCull.GetOrderKey(), 5000},
        {"Sprite3DOver", over.GetOrderKey(), 6000},     {"Sprite2D", sprite2D.GetOrderKey(), 8000},
    };
    for (const Case& c : cases) EXPECT_EQ(c.key, c.expected) << c.name;
}
