// Loaded meshes: frame order, parts and their shared materials, skinned
// parts and what they hand the shader, animation clones, extrusion meshes,
// and the post-load steps of the game's mesh tasks.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "engine/assets/CAllocateHierarchy.h"
#include "engine/assets/MeshInfo.h"
#include "engine/assets/shaders/Shader_Sprite3D.h"
#include "engine/core/render/DrawMeshInfo.h"
#include "engine/resources/ResourceTestSupport.h"
#include "game/app/LoadTaskFactory.h"
#include "game/app/LoadTasks.h"

using namespace Quorvex;
using namespace resources_test;

namespace {

// Notes what the mesh hands it instead of drawing.
class RecordingShader : public ShaderAdapter {
public:
    struct Call {
        int subsetToDraw, firstSubset, influence, paletteCount;
    };
    RecordingShader() : ShaderAdapter(nullptr, nullptr) { m_name = "Recording"; }
    int LoadShader() override { return 0; }
    int Apply(IPrimitive* primitive, int subsetToDraw, int firstSubset) override {
        calls.push_back({subsetToDraw, firstSubset, primitive->GetBoneInfluence(), primitive->GetPaletteCount()});
        return 0;
    }
    std::vector<Call> calls;
};

std::string Frame(const std::string& name, const std::string& inside) {
    return "Frame " + name +
           " {\nFrameTransformMatrix { 1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0;; }\n" + inside +
           "}\n";
}

// A mesh part of two triangles with the given material blocks (at most
// two; each triangle uses its own when there are two).
std::string Part(const std::string& name, const std::vector<std::string>& materials) {
    std::string x = "Mesh " + name + " {\n4; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;1.0;0.0;;\n";
    x += "2; 3;0,2,1;, 3;1,2,3;;\n";
    x += "MeshTextureCoords { 4; 0.0;0.0;, 1.0;0.0;, 0.0;1.0;, 1.0;1.0;; }\n";
    if (!materials.empty()) {
        x += "MeshMaterialList { " + std::to_string(materials.size()) + "; 2; 0," +
             (materials.size() > 1 ? "1" : "0") + ";;\n";
        for (const std::string& m : materials) x += m + "\n";
        x += "}\n";
    }
    return x + "}\n";
}

}  // namespace

class MeshUnits : public ResourceDeviceTest {};

TEST_F(MeshUnits, FramesPartsAndSharedMaterials) {
    ScratchFolder folder;
    folder.Write("tex_a.png", SolidPng(2, 2, 9, 8, 7));
    g_pEnvironment->SetTextureDirectory(folder.path().wstring().c_str());
    const std::string textured =
        "Material { 0.5;0.25;1.0;1.0;; 8.0; 0.1;0.2;0.3;; 0.4;0.5;0.6;; TextureFilename { \"tex_a.png\"; } }";
    const std::string plain = "Material { 1.0;1.0;1.0;1.0;; 1.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }";
    // Root { A { A1 }, B }: frame order is a frame, its siblings' subtrees,
    // then its first child's subtree.
    const std::string x = "xof 0303txt 0032\n" +
                          Frame("Root", Frame("A", Part("PartA", {textured, plain}) + Frame("A1", "")) +
                                            Frame("B", Part("PartB", {})));
    Held<MeshUnit> mesh(LoadMesh("Mesh_Tree", x));

    const char* order[] = {"Root", "A", "B", "A1"};
    ASSERT_EQ(mesh->GetFrameCount(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(mesh->GetFrameMatrices()[i], mesh->FindFrameMatrix(order[i])) << order[i];
    EXPECT_EQ(mesh->FindFrameMatrix("Nope"), nullptr);

    MeshContainer* partA = mesh->FindMaterialList("PartA");
    ASSERT_NE(partA, nullptr);
    EXPECT_EQ(mesh->FindMaterialList("Nope"), nullptr);
    EXPECT_EQ(MeshUnit::FindMaterialList(resources_, "Mesh_Tree", "PartB"), mesh->FindMaterialList("PartB"));
    ASSERT_EQ(partA->materials.size(), 2u);
    EXPECT_EQ(partA->materials[0], resources_->GetResource("PartA_0"));
    EXPECT_EQ(partA->materials[1], resources_->GetResource("PartA_1"));
    const MaterialUnit::Colors& colors = partA->materials[0]->m_colors;
    EXPECT_FLOAT_EQ(colors.Diffuse.g, 0.25f);
    EXPECT_FLOAT_EQ(colors.Specular.b, 0.3f);
    EXPECT_FLOAT_EQ(colors.Emissive.r, 0.4f);
    EXPECT_FLOAT_EQ(colors.Power, 8.0f);
    EXPECT_EQ(partA->materials[0]->GetTextureCount(), 1) << "found under the texture folder";
    EXPECT_EQ(partA->materials[1]->GetTextureCount(), 0);
    // The miss of the bare name is expected and not reported.
    EXPECT_EQ(log_.Text().find("テクスチャファイルの読み込みに失敗"), std::string::npos);

    // A part without materials draws with the shared plain material.
    MeshContainer* partB = mesh->FindMaterialList("PartB");
    ASSERT_EQ(partB->materials.size(), 1u);
    EXPECT_EQ(partB->materials[0], resources_->GetResource(""));
    EXPECT_FLOAT_EQ(partB->materials[0]->m_colors.Diffuse.r, 1.0f);
    EXPECT_FLOAT_EQ(partB->materials[0]->m_colors.Power, 0.0f);

    // Another file with a part of the same name shares its materials.
    Held<MeshUnit> other(LoadMesh("Mesh_Other", "xof 0303txt 0032\n" + Frame("Top", Part("PartA", {plain, plain}))));
    EXPECT_EQ(other->FindMaterialList("PartA")->materials[0], partA->materials[0]);

    ID3DXAnimationController* controller = reinterpret_cast<ID3DXAnimationController*>(1);
    EXPECT_EQ(mesh->CloneAnimationController(&controller), S_OK);
    EXPECT_EQ(controller, nullptr) << "no animation, no controller";
}

TEST_F(MeshUnits, SkinnedPartsHandTheirPaletteToTheShader) {
    Held<RecordingShader> shader(new RecordingShader());
    const struct {
        std::vector<float> weights;
        DWORD influences;
        int influenceValue;
    } cases[] = {
        {{0.0f, 1.0f}, 1, 1},
        {{0.5f, 0.5f}, 2, 2},
        {{0.5f, 0.25f, 0.25f}, 3, 2},
        {{0.25f, 0.25f, 0.25f, 0.25f}, 4, 3},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.influences);
        const std::string id = "Mesh_Skin" + std::to_string(n++);
        Held<MeshUnit> mesh(LoadMesh(id.c_str(), SkinnedQuadX(c.weights, 1.0f, 4.0f)));
        MeshContainer* part = mesh->FindMaterialList("SkinQuad");
        ASSERT_NE(part, nullptr);
        EXPECT_EQ(part->NumInfl, c.influences);
        mesh->SetShader(shader.get());
        shader->calls.clear();
        MeshInfo record;
        record.SetMesh(mesh.get());
        D3DXMATRIX world;
        D3DXMatrixIdentity(&world);
        DrawMeshInfo(record, world);
        ASSERT_EQ(shader->calls.size(), 1u);
        EXPECT_EQ(shader->calls[0].subsetToDraw, 0);
        EXPECT_EQ(shader->calls[0].firstSubset, 0);
        EXPECT_EQ(shader->calls[0].influence, c.influenceValue);
        EXPECT_EQ(shader->calls[0].paletteCount, static_cast<int>(part->pSkinInfo->GetNumBones()));

        // Every object animates its own clone of the controller.
        ID3DXAnimationController* controller = nullptr;
        EXPECT_EQ(mesh->CloneAnimationController(&controller), S_OK);
        ASSERT_NE(controller, nullptr);
        EXPECT_NE(controller, mesh->GetAnimationController());
        controller->Release();
    }

    // More bones than one palette holds: groups of at most 26.
    const std::string many = assets::SkinnedXText();
    Held<MeshUnit> strip(LoadMesh("Mesh_Strip", many));
    MeshContainer* part = strip->FindMaterialList("SkinMesh");
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->NumPaletteEntries, MeshUnit::MaxPaletteEntries);
    EXPECT_GT(part->NumAttributeGroups, 1u);
    strip->SetShader(shader.get());
    shader->calls.clear();
    MeshInfo record;
    record.SetMesh(strip.get());
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    DrawMeshInfo(record, world);
    int skinned = 0;
    for (const auto& call : shader->calls) skinned += call.paletteCount == 26;
    EXPECT_EQ(skinned, static_cast<int>(part->NumAttributeGroups)) << "one draw per bone group";
}

TEST_F(MeshUnits, ExtrusionMeshJoinsTheFacesOfABoxAlongEveryEdge) {
    ID3DXMesh* box = nullptr;
    ASSERT_EQ(D3DXCreateBox(device_, 1.0f, 2.0f, 3.0f, &box, nullptr), D3D_OK);
    ID3DXMesh* extrusion = nullptr;
    ASSERT_EQ(MeshUnit::BuildExtrusionMesh(box, &extrusion), D3D_OK);
    // Each of the 12 faces gets vertices of its own; each of the 18 shared
    // edges a quad of two triangles.
    EXPECT_EQ(extrusion->GetNumFaces(), 12u + 18u * 2u);
    EXPECT_EQ(extrusion->GetNumVertices(), 36u);
    EXPECT_EQ(box->GetNumFaces(), 12u) << "the input stays as it was";

    struct Vertex {
        D3DXVECTOR3 position, normal;
    };
    Vertex* vertices = nullptr;
    WORD* indices = nullptr;
    ASSERT_EQ(extrusion->LockVertexBuffer(D3DLOCK_READONLY, reinterpret_cast<void**>(&vertices)), D3D_OK);
    ASSERT_EQ(extrusion->LockIndexBuffer(D3DLOCK_READONLY, reinterpret_cast<void**>(&indices)), D3D_OK);
    auto area = [&](DWORD f) {
        D3DXVECTOR3 e1 = vertices[indices[f * 3 + 1]].position - vertices[indices[f * 3]].position;
        D3DXVECTOR3 e2 = vertices[indices[f * 3 + 2]].position - vertices[indices[f * 3]].position, n;
        D3DXVec3Cross(&n, &e1, &e2);
        return D3DXVec3Length(&n);
    };
    std::map<std::pair<WORD, WORD>, int> edges;
    for (DWORD f = 0; f < extrusion->GetNumFaces(); ++f)
        for (int k = 0; k < 3; ++k) edges[std::make_pair(indices[f * 3 + k], indices[f * 3 + (k + 1) % 3])]++;
    int copies = 0;
    for (DWORD f = 0; f < extrusion->GetNumFaces(); ++f) {
        // The quads have no area while the faces touch.
        if (area(f) < 1e-6f) continue;
        ++copies;
        // A face copy carries its face normal, and each of its edges is met
        // the other way round by exactly one quad: faces part without a crack.
        D3DXVECTOR3 e1 = vertices[indices[f * 3 + 1]].position - vertices[indices[f * 3]].position;
        D3DXVECTOR3 e2 = vertices[indices[f * 3 + 2]].position - vertices[indices[f * 3]].position, n;
        D3DXVec3Cross(&n, &e1, &e2);
        D3DXVec3Normalize(&n, &n);
        for (int k = 0; k < 3; ++k) {
            const WORD from = indices[f * 3 + k], to = indices[f * 3 + (k + 1) % 3];
            EXPECT_NEAR(D3DXVec3Dot(&vertices[from].normal, &n), 1.0f, 1e-5f);
            EXPECT_EQ(edges[std::make_pair(from, to)], 1);
            EXPECT_EQ(edges[std::make_pair(to, from)], 1);
        }
    }
    EXPECT_EQ(copies, 12);
    extrusion->UnlockIndexBuffer();
    extrusion->UnlockVertexBuffer();
    extrusion->Release();
    box->Release();
}

TEST_F(MeshUnits, GameTasksPrepareTheirMeshes) {
    // The sprite effect is read from the game folder before moving away.
    {
        auto* sprite = new Shader_Sprite3D(resources_->GetRenderParameter(), shaders_);
        sprite->AddRef();
        ASSERT_EQ(sprite->LoadShader(), 0);
        shaders_->AddShader(sprite);
        sprite->Release();
    }
    ScratchFolder folder(true);
    g_pEnvironment->SetFileRedirect(true);
    g_pEnvironment->SetPathFilter(&LoadTaskFactory::RedirectPath);
    const DWORD key = LoadTaskFactory::AssetKey;
    folder.Write("data/model/sprite.x", QuadX("Sprite", 1.0f));
    // The ground meshes and their height image as the game ships them:
    // scrambled copies only.
    for (const auto& [file, part] : {std::pair{"ground", "Mesh_ground_2_v002"}, std::pair{"rock", "Rock"}}) {
        const std::string x = QuadX(part, 1.0f);
        folder.Write(std::string("data2/model/") + file + ".code", Scrambled({x.begin(), x.end()}, key));
    }
    folder.Write("data/model/velrin.x", QuadX("Wing", 1.0f));
    std::vector<uint8_t> heights;
    for (int i = 0; i < 16; ++i) heights.insert(heights.end(), {uint8_t(i * 16), 0, 0, 255});
    folder.Write("data2/texture/ground2.code", Scrambled(assets::MakeBmp(4, 4, heights), key));

    // With the sprite effect registered and without it.
    Held<LoadTask_MeshSpr3D> sprite(new LoadTask_MeshSpr3D(resources_, "Sprite", L"./data/model/sprite.x", 0));
    EXPECT_EQ(sprite->Load(), 0);
    auto* spriteMesh = dynamic_cast<MeshUnit*>(resources_->GetResource("Sprite"));
    ASSERT_NE(spriteMesh->GetShader(), nullptr);
    EXPECT_STREQ(spriteMesh->GetShader()->GetName(), "Spr3DDefaultShader");
    shaders_->RemoveShader("Spr3DDefaultShader");
    resources_->DeleteResource("Sprite");
    EXPECT_EQ(sprite->Load(), 0);
    EXPECT_EQ(dynamic_cast<MeshUnit*>(resources_->GetResource("Sprite"))->GetShader(), nullptr);

    // Ground: tangent frames and the normal map on the named part only.
    const struct {
        const char* id;
        const wchar_t* path;
        const char* part;
        int normalMaps;
    } grounds[] = {{"Mesh_Gnd2_1", L"./data/model/ground.x", "Mesh_ground_2_v002", 1},
                   {"Mesh_Rock", L"./data/model/rock.x", "Rock", 0}};
    for (const auto& g : grounds) {
        SCOPED_TRACE(g.id);
        Held<LoadTask_Ground2> task(new LoadTask_Ground2(resources_, g.id, g.path, key));
        EXPECT_EQ(task->Load(), 0);
        MeshContainer* part = MeshUnit::FindMaterialList(resources_, g.id, g.part);
        ASSERT_NE(part, nullptr);
        EXPECT_EQ(part->materials[0]->GetNormalMapCount(), g.normalMaps);
        D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE];
        ASSERT_EQ(part->MeshData.pMesh->GetDeclaration(declaration), D3D_OK);
        bool tangent = false;
        for (const D3DVERTEXELEMENT9* e = declaration; e->Stream != 0xFF; ++e)
            tangent = tangent || e->Usage == D3DDECLUSAGE_TANGENT;
        EXPECT_TRUE(tangent);
    }

    // The player's machine: every part gets its extrusion mesh.
    Held<LoadTask_Velrin> velrin(new LoadTask_Velrin(resources_, 0));
    EXPECT_EQ(velrin->Load(), 0);
    MeshContainer* wing = MeshUnit::FindMaterialList(resources_, "Mesh_Velrin", "Wing");
    ASSERT_NE(wing, nullptr);
    ASSERT_NE(wing->pExtrusion, nullptr);
    EXPECT_NE(wing->pExtrusion->mesh, nullptr);
}
