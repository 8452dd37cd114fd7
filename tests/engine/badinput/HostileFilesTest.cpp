// Meshes and images a fuzzer found harmful (an importer crash, an endless
// scan, a scrambled mesh, a leak on a failure path): each loads through the
// game's own load tasks into a logged failure and an empty resource.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/resources/ResourceTestSupport.h"
#include "game/app/LoadTaskFactory.h"
#include "game/app/LoadTasks.h"

using namespace Quorvex;
using namespace resources_test;

namespace {

const std::filesystem::path kFixtures = std::filesystem::path(ORV_SOURCE_DIR) / "tests/engine/badinput/fixtures";

class HostileFiles : public ResourceDeviceTest {};

TEST_F(HostileFiles, MeshesFailWithALoggedErrorAndNoHierarchy) {
    const struct {
        const char* file;
        DWORD key;
    } cases[] = {
        {"x/assimp-null-deref-1.x", 0},
        {"x/assimp-null-deref-2.x", 0},
        {"x/assimp-null-deref-min.x", 0},
        {"x/hang-nul-in-reference.x", 0},
        {"x/hang-nul-in-template.x", 0},
        {"x/scan-slow.x", 0},
        {"scramble/assimp-leak.x", 0},
        {"scramble/assimp-null-deref.code", LoadTaskFactory::AssetKey},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ASSERT_TRUE(std::filesystem::exists(kFixtures / c.file));
        const std::string id = std::string("Mesh_") + c.file;
        ILoadTask* task = new LoadTask_Mesh(resources_, id.c_str(), (kFixtures / c.file).wstring().c_str(), c.key);
        task->AddRef();
        EXPECT_EQ(task->Load(), -1);
        task->Release();
        EXPECT_NE(log_.Text().find("メッシュデータの読み込みに失敗 \"" + id + "\""), std::string::npos);
        auto* mesh = dynamic_cast<MeshUnit*>(resources_->GetResource(id.c_str()));
        ASSERT_NE(mesh, nullptr);
        EXPECT_EQ(mesh->GetRootFrame(), nullptr);
    }
}

TEST_F(HostileFiles, ImagesOfOtherFormatsOrPastTheSizeLimitAreRefusedBeforeDecoding) {
    ScratchFolder folder;
    // A whole GIF of one pixel: a format the game never ships.
    const std::string gif("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x01\x00\x00\x00\x00,"
                          "\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                          43);
    // Whole, but wider than the largest texture a device takes.
    const std::vector<uint8_t> wide = SolidPng(4097, 1, 1, 2, 3);
    const struct {
        const char* id;
        const char* file;
        std::string bytes;
    } cases[] = {
        {"matGif", "one.gif", gif},
        {"matWide", "wide.png", std::string(wide.begin(), wide.end())},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        folder.Write(c.file, c.bytes);
        ILoadTask* task = new LoadTask_Material(resources_, c.id, folder.Wide(c.file).c_str(), 0);
        task->AddRef();
        EXPECT_EQ(task->Load(), -1);
        task->Release();
        EXPECT_NE(log_.Text().find("マテリアルデータの読み込みに失敗 \"" + std::string(c.id) + "\""), std::string::npos);
        auto* material = dynamic_cast<MaterialUnit*>(resources_->GetResource(c.id));
        ASSERT_NE(material, nullptr);
        EXPECT_EQ(material->GetTextureCount(), 0);
    }

    // A whole 1024 x 1024 PNG that packs into 16 KB costs what the game's own
    // atlases of that size cost: it loads.
    const std::wstring dense = (kFixtures / "image/decode-slow.bin").wstring();
    ILoadTask* task = new LoadTask_Material(resources_, "matDense", dense.c_str(), 0);
    task->AddRef();
    EXPECT_EQ(task->Load(), 0);
    task->Release();
    auto* material = dynamic_cast<MaterialUnit*>(resources_->GetResource("matDense"));
    ASSERT_NE(material, nullptr);
    ASSERT_EQ(material->GetTextureCount(), 1);
    D3DSURFACE_DESC desc{};
    material->GetTexture(0)->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 1024u);
}

}  // namespace
