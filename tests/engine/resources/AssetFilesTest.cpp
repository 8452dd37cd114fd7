// The resource table and the asset files: the factory's tasks and the
// environment it configures, reading scrambled copies from ./data2/, and the
// logged failures and empty resources that damaged files leave.
#include <gtest/gtest.h>

#include <typeinfo>

#include "engine/assets/MeshInfo.h"
#include "engine/assets/shaders/Shader_Sprite3D.h"
#include "engine/core/render/DrawMeshInfo.h"
#include "engine/resources/ResourceTestSupport.h"
#include "game/app/LoadTaskFactory.h"
#include "game/app/LoadTasks.h"

using namespace Quorvex;
using namespace resources_test;

namespace {

constexpr DWORD kKey = LoadTaskFactory::AssetKey;

// Level 0 of the material's first texture as ARGB values.
std::vector<D3DCOLOR> Texels(MaterialUnit* material) {
    UINT w = 0, h = 0;
    return material && material->GetTexture(0) ? assets::ReadTexels(material->GetTexture(0), 0, w, h)
                                               : std::vector<D3DCOLOR>();
}

}  // namespace

TEST(LoadTaskFactoryTable, OneTaskPerIdAndTheAssetFileSettings) {
    EnvironmentScope environment;
    LogCapture log;
    Held<LoadTaskFactory> factory(new LoadTaskFactory());
    EXPECT_EQ(factory->RegisterAll(nullptr), 0);
    EXPECT_EQ(factory->GetTaskCount(), 136);
    EXPECT_TRUE(g_pEnvironment->IsFileRedirect());
    EXPECT_EQ(g_pEnvironment->GetAssetKey(), 0x6D2F48A3u);
    EXPECT_EQ(g_pEnvironment->GetPathFilter(), &LoadTaskFactory::RedirectPath);

    // The kinds of task, as the table lists them.
    int count = 0;
    const char* const* ids = LoadTaskFactory::GetTableIds(&count);
    std::map<std::string, int> kinds;
    for (int i = 0; i < count; ++i) {
        ILoadTask* task = factory->GetTask(ids[i]);
        ASSERT_NE(task, nullptr) << ids[i];
        kinds[typeid(*task).name()]++;
        task->Release();
    }
    EXPECT_EQ(kinds[typeid(LoadTask_Material).name()], 71);
    EXPECT_EQ(kinds[typeid(LoadTask_Mesh).name()], 21);
    EXPECT_EQ(kinds[typeid(LoadTask_MeshSpr3D).name()], 39);
    EXPECT_EQ(kinds[typeid(LoadTask_Ground2).name()], 3);
    EXPECT_EQ(kinds[typeid(LoadTask_Velrin).name()], 1);
    EXPECT_EQ(kinds[typeid(LoadTask_Toska).name()], 1);

    // The same task each time, with a reference for each caller.
    ILoadTask* first = factory->GetTask("Mesh_Fairy");
    ILoadTask* second = factory->GetTask("Mesh_Fairy");
    EXPECT_EQ(first, second);
    EXPECT_EQ(static_cast<LoadTaskAdapter*>(first)->GetRefCount(), 3);
    first->Release();
    second->Release();
    EXPECT_EQ(factory->GetTask("Mesh_Nothing"), nullptr);
}

TEST(LoadTaskFactoryTable, RedirectPathSwapsTheTopFolder) {
    const struct {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"./data/model/fairy.x", L"./data2/model/fairy.x"},
        {L"./data/model/fairy.code", L"./data2/model/fairy.code"},
        {L"fairy.code", L"./data2/ode"},  // a bare name: its first seven characters, whatever they are
        {L"abc", L"./data2/"},
    };
    for (const auto& c : cases) {
        std::wstring path = c.in;
        LoadTaskFactory::RedirectPath(path);
        EXPECT_EQ(path, c.out);
    }
}

class AssetFiles : public ResourceDeviceTest {};

TEST_F(AssetFiles, ScrambledCopiesUnderData2AreReadAndDescrambled) {
    ScratchFolder folder(true);
    g_pEnvironment->SetFileRedirect(true);
    g_pEnvironment->SetPathFilter(&LoadTaskFactory::RedirectPath);

    // Red with one magenta texel, which the colour key makes transparent black.
    std::vector<uint8_t> rgba;
    for (int i = 0; i < 16; ++i) rgba.insert(rgba.end(), {255, 0, 0, 255});
    rgba[20] = 255, rgba[21] = 0, rgba[22] = 255;  // texel 5
    const std::vector<uint8_t> red = assets::MakePng(4, 4, rgba);
    const std::vector<uint8_t> green = SolidPng(4, 4, 0, 255, 0);

    const struct {
        const char* id;
        bool copy;   // ./data2/texture/<id>.code holds the red picture, scrambled
        bool plain;  // ./data/texture/<id>.png holds the green picture
        DWORD key;
        int result;
        D3DCOLOR first;  // texel 0 when loaded
    } cases[] = {
        {"copyOnly", true, false, kKey, 0, 0xFFFF0000},
        {"both", true, true, kKey, 0, 0xFFFF0000},  // the plain file is never opened
        {"plainKeyZero", false, true, 0, 0, 0xFF00FF00},
        // The key applies to whatever was read: a plain file left without its
        // copy does not decode.
        {"plainWithKey", false, true, kKey, -1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        if (c.copy) folder.Write(std::string("data2/texture/") + c.id + ".code", Scrambled(red, kKey));
        if (c.plain) folder.Write(std::string("data/texture/") + c.id + ".png", green);
        const std::wstring path = L"./data/texture/" + Utf8ToWide(c.id) + L".png";
        Held<LoadTask_Material> task(new LoadTask_Material(resources_, c.id, path.c_str(), c.key));
        EXPECT_EQ(task->Load(), c.result);
        auto* material = dynamic_cast<MaterialUnit*>(resources_->GetResource(c.id));
        ASSERT_NE(material, nullptr) << "registered before its file is read";
        EXPECT_EQ(material->GetTextureCount(), c.result == 0 ? 1 : 0);
        const std::vector<D3DCOLOR> texels = Texels(material);
        if (c.result != 0) continue;
        ASSERT_EQ(texels.size(), 16u);
        EXPECT_EQ(texels[0], c.first);
        if (c.copy) {
            EXPECT_EQ(texels[5], 0x00000000u) << "magenta is keyed out";
        }
    }
    EXPECT_NE(log_.Text().find("MaterialUnit::LoadTexture : テクスチャの読み込みに失敗"), std::string::npos);

    // A mesh whose scrambled length leaves a tail of three bytes.
    std::string x = QuadX("Scrambled", 1.0f);
    while (x.size() % 4 != 3) x += ' ';
    folder.Write("data2/model/scrambled.code", Scrambled(std::vector<uint8_t>(x.begin(), x.end()), kKey));
    Held<LoadTask_Mesh> mesh(new LoadTask_Mesh(resources_, "Mesh_Scrambled", L"./data/model/scrambled.x", kKey));
    EXPECT_EQ(mesh->Load(), 0);
    auto* loaded = dynamic_cast<MeshUnit*>(resources_->GetResource("Mesh_Scrambled"));
    ASSERT_NE(loaded, nullptr);
    EXPECT_NE(loaded->FindMaterialList("Scrambled"), nullptr);
}

TEST_F(AssetFiles, DamagedFilesLeaveEmptyResourcesAndLoggedFailures) {
    ScratchFolder folder;
    std::string badIndex = QuadX("BadIndex", 1.0f);
    badIndex.replace(badIndex.find("3;1,3,2;"), 8, "3;1,9,2;");
    std::string missingBone = QuadX("Orphan", 1.0f);
    missingBone.insert(missingBone.rfind("}\n}\n"),
                       "XSkinMeshHeader { 1; 1; 1; }\nSkinWeights { \"NoSuchFrame\"; 4; 0,1,2,3; 1.0,1.0,1.0,1.0; "
                       "1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0;; }\n");
    const std::vector<uint8_t> png = SolidPng(4, 4, 1, 2, 3);

    const struct {
        const char* id;
        bool mesh;
        const char* file;      // null: no file at all
        std::string bytes;
        int result;
        std::vector<std::string> logged;
    } cases[] = {
        {"matMissing", false, nullptr, "", -1,
         {"MaterialUnit::LoadTexture : テクスチャファイルの読み込みに失敗。",
          "LoadTask_Material : マテリアルデータの読み込みに失敗 \"matMissing\""}},
        {"matTruncated", false, "truncated.png", std::string(png.begin(), png.begin() + 40), -1,
         {"MaterialUnit::LoadTexture : テクスチャの読み込みに失敗", "MaterialUnit::LoadTexture : テクスチャの作成に失敗。"}},
        {"matNoise", false, "noise.png", std::string(300, '\x5a'), -1, {"テクスチャの作成に失敗。"}},
        {"Mesh_Missing", true, nullptr, "", -1,
         {"MeshUnit::LoadMesh : Xファイルの読み込みに失敗。",
          "LoadTask_Mesh : メッシュデータの読み込みに失敗 \"Mesh_Missing\""}},
        {"Mesh_Cut", true, "cut.x", QuadX("Cut", 1.0f).substr(0, 90), -1,
         {"MeshUnit::LoadMesh : Xファイルからのスキンメッシュ作成に失敗", "MeshUnit::LoadMesh : スキンメッシュの作成に失敗。"}},
        {"Mesh_BadIndex", true, "badindex.x", badIndex, -1, {"Xファイルからのスキンメッシュ作成に失敗"}},
        {"Mesh_Orphan", true, "orphan.x", missingBone, -1, {"MeshUnit::LoadMesh : SetupBoneMatrixPointers"}},
        // A texture found under neither name: the mesh loads, its material
        // stays without texture.
        {"Mesh_NoTexture", true, "notexture.x", QuadX("NoTexture", 1.0f, "absent.png"), 0,
         {"CAllocateHierarchy::CreateMeshContainer : テクスチャの読み込みに失敗"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const std::wstring path = folder.Wide(c.file ? c.file : "nothing.bin");
        if (c.file) folder.Write(c.file, c.bytes);
        ILoadTask* task = c.mesh ? static_cast<ILoadTask*>(new LoadTask_Mesh(resources_, c.id, path.c_str(), 0))
                                 : new LoadTask_Material(resources_, c.id, path.c_str(), 0);
        task->AddRef();
        EXPECT_EQ(task->Load(), c.result);
        task->Release();
        const std::string text = log_.Text();
        for (const std::string& line : c.logged) EXPECT_NE(text.find(line), std::string::npos) << line;

        IUnknown* resource = resources_->GetResource(c.id);
        ASSERT_NE(resource, nullptr) << "registered before its file is read";
        if (!c.mesh) {
            EXPECT_EQ(dynamic_cast<MaterialUnit*>(resource)->GetTextureCount(), 0);
            continue;
        }
        auto* mesh = dynamic_cast<MeshUnit*>(resource);
        ASSERT_NE(mesh, nullptr);
        EXPECT_EQ(mesh->GetRootFrame() != nullptr, c.result == 0);
        if (c.result == 0) {
            MeshContainer* part = mesh->FindMaterialList("NoTexture");
            ASSERT_NE(part, nullptr);
            EXPECT_EQ(part->materials[0]->GetTextureCount(), 0);
        }
        // Drawing what is there is safe either way.
        MeshInfo record;
        record.SetMesh(mesh);
        D3DXMATRIX world;
        D3DXMatrixIdentity(&world);
        DrawMeshInfo(record, world);
    }

    // A height image that is not there: the D3DX error and no normal map.
    IDirect3DTexture9* normalMap = reinterpret_cast<IDirect3DTexture9*>(1);
    EXPECT_LT(MaterialUnit::LoadNormalMap(0, folder.Wide("absent.bmp").c_str(), device_, 0, 1.0f, &normalMap), 0);
    EXPECT_EQ(normalMap, nullptr);
}

TEST_F(AssetFiles, TheGeneratedPackLoadsWhole) {
    if (!std::filesystem::exists("data2")) GTEST_SKIP() << "no asset pack in the game folder";
    auto* sprite = new Shader_Sprite3D(resources_->GetRenderParameter(), shaders_);
    sprite->AddRef();
    ASSERT_EQ(sprite->LoadShader(), 0);
    shaders_->AddShader(sprite);
    sprite->Release();
    Held<LoadTaskFactory> factory(new LoadTaskFactory());
    ASSERT_EQ(factory->RegisterAll(resources_), 0);
    resources_->SetLoadTaskFactory(factory.get());
    int count = 0;
    const char* const* ids = LoadTaskFactory::GetTableIds(&count);
    for (int i = 0; i < count; ++i) EXPECT_EQ(resources_->RequestLoad(ids[i]), 0) << ids[i];
    WaitForLoader(resources_);

    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(ids[i]);
        IUnknown* resource = resources_->GetResource(ids[i]);
        ASSERT_NE(resource, nullptr);
        if (auto* material = dynamic_cast<MaterialUnit*>(resource)) {
            EXPECT_EQ(material->GetTextureCount(), 1);
        } else {
            auto* mesh = dynamic_cast<MeshUnit*>(resource);
            ASSERT_NE(mesh, nullptr);
            EXPECT_NE(mesh->GetRootFrame(), nullptr);
            EXPECT_NE(mesh->GetShader(), nullptr);
        }
    }
    EXPECT_EQ(log_.Text().find("失敗"), std::string::npos) << "no failure logged";
}
