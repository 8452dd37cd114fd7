// Textures read from files are shared: one texture per file and key for
// every material that names it, let go when its last user goes.
#include <gtest/gtest.h>

#include "engine/assets/TextureCache.h"
#include "engine/resources/ResourceTestSupport.h"

using namespace Quorvex;
using namespace resources_test;

namespace {

std::string PartNaming(const std::string& part, const std::string& texture) {
    return "xof 0303txt 0032\nFrame F" + part +
           " {\nFrameTransformMatrix { 1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0;; }\n"
           "Mesh " + part + " {\n3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;;\n1; 3;0,1,2;;\n"
           "MeshTextureCoords { 3; 0.0;0.0;, 1.0;0.0;, 0.0;1.0;; }\n"
           "MeshMaterialList { 1; 1; 0;; Material { 1.0;1.0;1.0;1.0;; 1.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; "
           "TextureFilename { \"" + texture + "\"; } } }\n}\n}\n";
}

IDirect3DTexture9* FirstTexture(MeshUnit* mesh, const char* part) {
    MeshContainer* container = mesh->FindMaterialList(part);
    return container && !container->materials.empty() ? container->materials[0]->GetTexture(0) : nullptr;
}

}  // namespace

class TextureSharing : public ResourceDeviceTest {};

TEST_F(TextureSharing, OneTexturePerFileUntilItsLastUserGoes) {
    ScratchFolder folder;
    folder.Write("shared.png", SolidPng(4, 4, 10, 20, 30));
    folder.Write("other.png", SolidPng(4, 4, 40, 50, 60));
    g_pEnvironment->SetTextureDirectory(folder.path().wstring().c_str());
    TextureCache& cache = resources_->GetTextureCache();

    LoadMesh("Mesh_A", PartNaming("PartA", "shared.png"));
    LoadMesh("Mesh_B", PartNaming("PartB", "shared.png"));
    LoadMesh("Mesh_C", PartNaming("PartC", "other.png"));
    Held<ILoadTask> task(new LoadTask_Material(resources_, "matShared", folder.Wide("shared.png").c_str(), 0));
    ASSERT_EQ(task->Load(), 0);

    auto* a = dynamic_cast<MeshUnit*>(resources_->GetResource("Mesh_A"));
    auto* b = dynamic_cast<MeshUnit*>(resources_->GetResource("Mesh_B"));
    auto* c = dynamic_cast<MeshUnit*>(resources_->GetResource("Mesh_C"));
    auto* material = dynamic_cast<MaterialUnit*>(resources_->GetResource("matShared"));
    ASSERT_TRUE(a && b && c && material);
    IDirect3DTexture9* shared = FirstTexture(a, "PartA");
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(FirstTexture(b, "PartB"), shared);
    EXPECT_EQ(material->GetTexture(0), shared);
    ASSERT_NE(FirstTexture(c, "PartC"), nullptr);
    EXPECT_NE(FirstTexture(c, "PartC"), shared);
    UINT w = 0, h = 0;
    EXPECT_EQ(assets::ReadTexels(shared, 0, w, h)[0], 0xFF0A141Eu);
    EXPECT_EQ(cache.Size(), 2u);

    // Users go one by one; the cache keeps a texture while any is left.
    resources_->DeleteResource("Mesh_A");
    resources_->DeleteResource("PartA_0");
    resources_->DeleteResource("Mesh_B");
    resources_->DeleteResource("PartB_0");
    EXPECT_EQ(cache.Size(), 2u);
    resources_->DeleteResource("matShared");
    EXPECT_EQ(cache.Size(), 1u) << "the last user of the shared file went";

    // Read again after it went: a fresh texture of the same file.
    IDirect3DTexture9* again = nullptr;
    ASSERT_EQ(cache.Load(folder.Wide("shared.png").c_str(), device_, 0, true, &again), 0);
    EXPECT_EQ(assets::ReadTexels(again, 0, w, h)[0], 0xFF0A141Eu);
    again->Release();
    resources_->ReleaseAllResources();
    EXPECT_EQ(cache.Size(), 0u);
}

TEST_F(TextureSharing, FailuresAreNotKeptAndKeysAreApart) {
    ScratchFolder folder;
    TextureCache& cache = resources_->GetTextureCache();
    const std::wstring path = folder.Wide("late.png");
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(cache.Load(path.c_str(), device_, 0, false, &texture), -1);
    EXPECT_EQ(texture, nullptr);
    EXPECT_EQ(log_.Text().find("テクスチャファイルの読み込みに失敗"), std::string::npos) << "a try is not reported";
    EXPECT_EQ(cache.Load(path.c_str(), device_, 0, true, &texture), -1);
    EXPECT_NE(log_.Text().find("テクスチャファイルの読み込みに失敗"), std::string::npos);

    // The file appears: it is read now.
    constexpr DWORD kKey = 0x5A3C1F07;
    folder.Write("late.png", SolidPng(2, 2, 1, 2, 3));
    ASSERT_EQ(cache.Load(path.c_str(), device_, 0, true, &texture), 0);
    Held<IDirect3DTexture9> plain(texture);
    texture->Release();
    // The same name under another key is another file's content.
    folder.Write("late.png", Scrambled(SolidPng(2, 2, 7, 8, 9), kKey));
    ASSERT_EQ(cache.Load(path.c_str(), device_, kKey, true, &texture), 0);
    Held<IDirect3DTexture9> scrambled(texture);
    texture->Release();
    EXPECT_NE(scrambled.get(), plain.get());
    UINT w = 0, h = 0;
    EXPECT_EQ(assets::ReadTexels(plain.get(), 0, w, h)[0], 0xFF010203u);
    EXPECT_EQ(assets::ReadTexels(scrambled.get(), 0, w, h)[0], 0xFF070809u);
    EXPECT_EQ(cache.Size(), 2u);
}
