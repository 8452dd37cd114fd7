// `.x` files as frame hierarchies: names, matrices, containers, materials,
// skins split into bone combinations, animation, and damaged files.
#include <cmath>
#include <set>

#include "assets_fixture.h"

namespace {

using assets::RecordingAllocator;
using assets::Replace;

void ExpectNear(const D3DXMATRIX& a, const D3DXMATRIX& b, float tolerance = 1e-4f) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR((&a._11)[i], (&b._11)[i], tolerance) << "element " << i;
}

class XFileTest : public DeviceTest {
protected:
    void TearDown() override {
        if (controller_) controller_->Release();
        if (root_) {
            EXPECT_EQ(D3DXFrameDestroy(root_, &alloc_), D3D_OK);
        }
        EXPECT_EQ(alloc_.liveFrames, 0);
        EXPECT_EQ(alloc_.liveContainers, 0);
        DeviceTest::TearDown();
    }

    HRESULT Load(const std::string& file) {
        return D3DXLoadMeshHierarchyFromXInMemory(file.data(), DWORD(file.size()), D3DXMESH_MANAGED, device_, &alloc_,
                                                  nullptr, &root_, &controller_);
    }

    D3DXFRAME* Find(const char* name) { return D3DXFrameFind(root_, name); }

    RecordingAllocator alloc_;
    D3DXFRAME* root_ = nullptr;
    ID3DXAnimationController* controller_ = nullptr;
};

TEST_F(XFileTest, HierarchyKeepsNamesMatricesAndContainers) {
    const std::string text = assets::SkinnedXText();
    for (const std::string& file : {text, assets::ToBinaryX(text)}) {
        SCOPED_TRACE(file.substr(8, 4));
        ASSERT_EQ(Load(file), D3D_OK);
        ASSERT_NE(root_, nullptr);
        EXPECT_STREQ(root_->Name, "Root");
        EXPECT_EQ(root_->pFrameSibling, nullptr);
        ExpectNear(root_->TransformationMatrix, assets::Translation(10, 20, 30));
        // Children in file order: Body, Skin, Bone00 .. Bone29.
        std::vector<std::string> children;
        for (D3DXFRAME* f = root_->pFrameFirstChild; f; f = f->pFrameSibling) children.push_back(f->Name);
        ASSERT_EQ(children.size(), 2u + assets::kBones);
        EXPECT_EQ(children[0], "Body");
        EXPECT_EQ(children[1], "Skin");
        EXPECT_EQ(children[2 + 17], "Bone17");
        ExpectNear(Find("Body")->TransformationMatrix, assets::BodyMatrix());
        ExpectNear(Find("Bone17")->TransformationMatrix, assets::Translation(17, 0, 0));
        EXPECT_EQ(Find("NoSuchFrame"), nullptr);

        // Body: one container named after its mesh, two materials in file
        // order, the shared vertices joined again, faces sorted by material.
        const D3DXMESHCONTAINER* body = Find("Body")->pMeshContainer;
        ASSERT_NE(body, nullptr);
        EXPECT_EQ(body->pNextMeshContainer, nullptr);
        EXPECT_STREQ(body->Name, "BodyMesh");
        EXPECT_EQ(body->pSkinInfo, nullptr);
        ASSERT_EQ(body->NumMaterials, 2u);
        const D3DMATERIAL9& red = body->pMaterials[0].MatD3D;
        EXPECT_FLOAT_EQ(red.Diffuse.r, 1.0f);
        EXPECT_FLOAT_EQ(red.Diffuse.b, 0.0f);
        EXPECT_FLOAT_EQ(red.Power, 20.0f);
        EXPECT_FLOAT_EQ(red.Specular.g, 0.5f);
        EXPECT_FLOAT_EQ(red.Emissive.r, 0.25f);
        EXPECT_STREQ(body->pMaterials[0].pTextureFilename, "red.png");
        EXPECT_FLOAT_EQ(body->pMaterials[1].MatD3D.Diffuse.b, 1.0f);
        EXPECT_FLOAT_EQ(body->pMaterials[1].MatD3D.Diffuse.a, 0.5f);
        EXPECT_STREQ(body->pMaterials[1].pTextureFilename, assets::kBlueTexture);
        ID3DXMesh* mesh = body->MeshData.pMesh;
        EXPECT_EQ(body->MeshData.Type, D3DXMESHTYPE_MESH);
        EXPECT_EQ(mesh->GetNumVertices(), 6u);
        EXPECT_EQ(mesh->GetNumFaces(), 4u);
        EXPECT_EQ(mesh->GetFVF(), D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
        DWORD size = 0;
        D3DXATTRIBUTERANGE table[2];
        ASSERT_EQ(mesh->GetAttributeTable(nullptr, &size), D3D_OK);
        ASSERT_EQ(size, 2u);
        mesh->GetAttributeTable(table, &size);
        EXPECT_EQ(table[0].AttribId, 0u);
        EXPECT_EQ(table[0].FaceCount, 2u);
        EXPECT_EQ(table[1].AttribId, 1u);
        EXPECT_EQ(table[1].FaceStart, 2u);
        // 16-bit indices (what collision shapes read); each face keeps its
        // file corners: the second material's first face is (1, 4, 5).
        struct V {
            D3DXVECTOR3 p, n;
            float u, v;
        };
        void* vb = nullptr;
        void* ib = nullptr;
        ASSERT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, &vb), D3D_OK);
        ASSERT_EQ(mesh->LockIndexBuffer(D3DLOCK_READONLY, &ib), D3D_OK);
        const auto* vertices = static_cast<const V*>(vb);
        const auto* indices = static_cast<const uint16_t*>(ib);
        for (int i = 0; i < 12; ++i) EXPECT_LT(indices[i], 6u);
        EXPECT_EQ(vertices[indices[6]].p, D3DXVECTOR3(1, 0, 0));
        EXPECT_EQ(vertices[indices[7]].p, D3DXVECTOR3(2, 0, 0));
        EXPECT_EQ(vertices[indices[8]].p, D3DXVECTOR3(2, 1, 0));
        EXPECT_EQ(vertices[indices[8]].u, 1.0f);
        EXPECT_EQ(vertices[indices[8]].v, 0.0f);
        EXPECT_EQ(vertices[indices[8]].n, D3DXVECTOR3(0, 0, -1));
        mesh->UnlockIndexBuffer();
        mesh->UnlockVertexBuffer();
        // Adjacency: the quads share edge 1-2 of faces (0, 1, 2) and (1, 5, 2).
        EXPECT_EQ(body->pAdjacency[1], 3u);
        EXPECT_EQ(body->pAdjacency[3 * 3 + 2], 0u);

        const D3DXMESHCONTAINER* skin = Find("Skin")->pMeshContainer;
        ASSERT_NE(skin, nullptr);
        EXPECT_STREQ(skin->Name, "SkinMesh");
        ASSERT_NE(skin->pSkinInfo, nullptr);
        EXPECT_EQ(skin->pSkinInfo->GetNumBones(), DWORD(assets::kBones));
        EXPECT_STREQ(skin->pSkinInfo->GetBoneName(17), "Bone17");
        ExpectNear(*skin->pSkinInfo->GetBoneOffsetMatrix(17), assets::Translation(-17, 0, 0));
        EXPECT_EQ(skin->MeshData.pMesh->GetNumVertices(), 62u);
        DWORD maxInfluences = 0;
        skin->pSkinInfo->GetMaxVertexInfluences(&maxInfluences);
        EXPECT_EQ(maxInfluences, 2u);

        D3DXVECTOR3 centre;
        float radius = 0;
        ASSERT_EQ(D3DXFrameCalculateBoundingSphere(root_, &centre, &radius), D3D_OK);
        EXPECT_GT(radius, 14.0f);

        ASSERT_NE(controller_, nullptr);
        EXPECT_EQ(controller_->GetNumAnimationSets(), 2u);
        ID3DXAnimationSet* set = nullptr;
        ASSERT_EQ(controller_->GetAnimationSet(1, &set), D3D_OK);
        EXPECT_STREQ(set->GetName(), "Idle");
        set->Release();

        controller_->Release();
        controller_ = nullptr;
        ASSERT_EQ(D3DXFrameDestroy(root_, &alloc_), D3D_OK);
        root_ = nullptr;
        EXPECT_EQ(alloc_.liveFrames, 0);
        EXPECT_EQ(alloc_.liveContainers, 0);
    }
}

TEST_F(XFileTest, SkinSplitsIntoBoneCombinationsOfThePalette) {
    ASSERT_EQ(Load(assets::SkinnedXText()), D3D_OK);
    const D3DXMESHCONTAINER* skin = Find("Skin")->pMeshContainer;
    ID3DXMesh* source = skin->MeshData.pMesh;
    struct Case {
        DWORD palette;
        DWORD minGroups;
    };
    for (const Case& c : {Case{26, 2}, Case{4, 10}, Case{30, 1}}) {
        SCOPED_TRACE(c.palette);
        DWORD influences = 0, groups = 0;
        ID3DXBuffer* combinations = nullptr;
        ID3DXMesh* blended = nullptr;
        ASSERT_EQ(skin->pSkinInfo->ConvertToIndexedBlendedMesh(source, D3DXMESHOPT_VERTEXCACHE | D3DXMESH_MANAGED,
                                                               c.palette, skin->pAdjacency, nullptr, nullptr, nullptr,
                                                               &influences, &groups, &combinations, &blended),
                  D3D_OK);
        EXPECT_EQ(influences, 2u);
        EXPECT_GE(groups, c.minGroups);
        EXPECT_EQ(blended->GetFVF(), D3DFVF_XYZB2 | D3DFVF_LASTBETA_UBYTE4);
        EXPECT_EQ(blended->GetNumFaces(), source->GetNumFaces());
        const auto* combo = static_cast<const D3DXBONECOMBINATION*>(combinations->GetBufferPointer());
        struct V {
            D3DXVECTOR3 p;
            float weight;
            uint8_t slot[4];
        };
        void* vb = nullptr;
        ASSERT_EQ(blended->LockVertexBuffer(D3DLOCK_READONLY, &vb), D3D_OK);
        DWORD faces = 0;
        for (DWORD g = 0; g < groups; ++g) {
            EXPECT_EQ(combo[g].AttribId, 0u);
            EXPECT_EQ(combo[g].FaceStart, faces);
            faces += combo[g].FaceCount;
            DWORD used = 0;
            while (used < c.palette && combo[g].BoneId[used] != UINT_MAX) ++used;
            for (DWORD k = used; k < c.palette; ++k) EXPECT_EQ(combo[g].BoneId[k], UINT_MAX);
            // Every vertex names, through the palette, the bones of its
            // position in the strip: bone i fully at (i, 0); bones i and
            // i + 1 at 0.75 / 0.25 at (i, 1).
            for (DWORD v = combo[g].VertexStart; v < combo[g].VertexStart + combo[g].VertexCount; ++v) {
                const V& vertex = static_cast<const V*>(vb)[v];
                const int i = int(vertex.p.x);
                ASSERT_LT(vertex.slot[0], used);
                const DWORD first = combo[g].BoneId[vertex.slot[0]];
                const bool odd = vertex.p.y > 0.5f && i < assets::kBones - 1;
                EXPECT_EQ(first, DWORD(std::min(i, assets::kBones - 1))) << "vertex " << v;
                EXPECT_NEAR(vertex.weight, odd ? 0.75f : 1.0f, 1e-6f) << "vertex " << v;
                if (odd) {
                    ASSERT_LT(vertex.slot[1], used);
                    EXPECT_EQ(combo[g].BoneId[vertex.slot[1]], DWORD(i + 1)) << "vertex " << v;
                }
            }
        }
        EXPECT_EQ(faces, source->GetNumFaces());
        blended->UnlockVertexBuffer();
        DWORD tableSize = 0;
        blended->GetAttributeTable(nullptr, &tableSize);
        EXPECT_EQ(tableSize, groups);
        combinations->Release();
        blended->Release();
    }
}

TEST_F(XFileTest, AnimationInterpolatesBlendsAndClones) {
    ASSERT_EQ(Load(assets::SkinnedXText()), D3D_OK);
    ASSERT_NE(controller_, nullptr);
    D3DXMATRIX& body = Find("Body")->TransformationMatrix;
    // A file rotation key (w, x, y, z) is the quaternion (-x, -y, -z, w) of
    // the frame's rotation: Walk ends at a quarter turn about -y. A quarter
    // of the way (25 of 100 ticks at 100 per second) it has turned 22.5
    // degrees and moved a quarter of the way from (0, 5, 0) to (10, 5, 4).
    auto walkAt = [](float fraction) {
        D3DXMATRIX r;
        D3DXMatrixRotationY(&r, -D3DX_PI / 2 * fraction);
        return r * assets::Translation(10 * fraction, 5, 4 * fraction);
    };
    D3DXTRACK_DESC desc{};
    ASSERT_EQ(controller_->GetTrackDesc(0, &desc), D3D_OK);
    EXPECT_TRUE(desc.Enable);
    ID3DXAnimationSet* walk = nullptr;
    ASSERT_EQ(controller_->GetTrackAnimationSet(0, &walk), D3D_OK);
    EXPECT_STREQ(walk->GetName(), "Walk");
    EXPECT_DOUBLE_EQ(walk->GetPeriod(), 1.0);

    struct Case {
        double position;
        float fraction;
    };
    for (const Case& c : {Case{0.25, 0.25f}, Case{0.5, 0.5f}, Case{1.25, 0.25f}, Case{-0.25, 0.75f}}) {
        SCOPED_TRACE(c.position);
        ASSERT_EQ(controller_->SetTrackPosition(0, c.position), D3D_OK);
        ASSERT_EQ(controller_->AdvanceTime(0, nullptr), D3D_OK);
        ExpectNear(body, walkAt(c.fraction));
    }

    // Speed 2 for 0.125 s moves the track by a quarter second.
    controller_->SetTrackPosition(0, 0.0);
    controller_->SetTrackSpeed(0, 2.0f);
    ASSERT_EQ(controller_->AdvanceTime(0.125, nullptr), D3D_OK);
    ExpectNear(body, walkAt(0.25f));
    EXPECT_DOUBLE_EQ(controller_->GetTime(), 0.125);
    controller_->GetTrackDesc(0, &desc);
    EXPECT_DOUBLE_EQ(desc.Position, 0.25);

    // Idle on track 1 at equal weight: the translations average.
    ID3DXAnimationSet* idle = nullptr;
    ASSERT_EQ(controller_->GetAnimationSetByName("Idle", &idle), D3D_OK);
    ASSERT_EQ(controller_->SetTrackAnimationSet(1, idle), D3D_OK);
    controller_->SetTrackEnable(1, TRUE);
    controller_->SetTrackWeight(1, 1.0f);
    controller_->AdvanceTime(0, nullptr);
    EXPECT_NEAR(body._41, (2.5f + 0) / 2, 1e-4f);
    EXPECT_NEAR(body._42, (5.0f + 8) / 2, 1e-4f);
    EXPECT_NEAR(body._43, (1.0f + 0) / 2, 1e-4f);
    // Weight 0 on every track leaves the frame as it was.
    controller_->SetTrackWeight(0, 0.0f);
    controller_->SetTrackWeight(1, 0.0f);
    const D3DXMATRIX before = body;
    controller_->AdvanceTime(0, nullptr);
    ExpectNear(body, before, 0);
    controller_->SetTrackWeight(0, 1.0f);
    controller_->SetTrackEnable(1, FALSE);

    // A clone plays on its own clock and writes the same frames.
    ID3DXAnimationController* clone = nullptr;
    ASSERT_EQ(controller_->CloneAnimationController(controller_->GetMaxNumAnimationOutputs(),
                                                    controller_->GetMaxNumAnimationSets(),
                                                    controller_->GetMaxNumTracks(), controller_->GetMaxNumEvents(),
                                                    &clone),
              D3D_OK);
    EXPECT_EQ(clone->GetNumAnimationSets(), 2u);
    clone->ResetTime();
    clone->SetTrackSpeed(0, 1.0f);
    clone->SetTrackPosition(0, 0.0);
    clone->AdvanceTime(0.5, nullptr);
    ExpectNear(body, walkAt(0.5f));
    EXPECT_DOUBLE_EQ(clone->GetTime(), 0.5);
    EXPECT_DOUBLE_EQ(controller_->GetTime(), 0.125);
    EXPECT_EQ(controller_->SetTrackWeight(2, 1.0f), D3DERR_INVALIDCALL);
    ID3DXAnimationSet* missing = nullptr;
    EXPECT_TRUE(FAILED(controller_->GetAnimationSetByName("Run", &missing)));
    EXPECT_EQ(missing, nullptr);

    clone->Release();
    idle->Release();
    walk->Release();
}

TEST_F(XFileTest, RotationKeysAndMatrixKeysAgree) {
    // A quarter turn about y (D3DXMatrixRotationY, row-vector form) written
    // once as a matrix key and once as a rotation key: the rotation key
    // holds (w, -x, -y, -z) of the turn's D3DX quaternion.
    D3DXMATRIX turn;
    D3DXMatrixRotationY(&turn, D3DX_PI / 2);
    std::string matrix = assets::Matrix(turn);
    matrix = matrix.substr(std::strlen("FrameTransformMatrix { "));
    matrix = matrix.substr(0, matrix.find(";;"));
    const std::string file = "xof 0303txt 0032\nFrame Body { " + assets::Matrix(assets::Translation(0, 0, 0)) +
                             "Mesh M { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;; } }\n"
                             "AnimTicksPerSecond { 100; }\n"
                             "AnimationSet ByMatrix { Animation { {Body} AnimationKey { 4; 1; 0;16;" + matrix +
                             ";;; } } }\n"
                             "AnimationSet ByRotation { Animation { {Body} AnimationKey { 0; 1; "
                             "0;4;0.7071068,0.0,-0.7071068,0.0;;; } } }\n";
    ASSERT_EQ(Load(file), D3D_OK);
    ASSERT_NE(controller_, nullptr);
    for (const char* name : {"ByMatrix", "ByRotation"}) {
        SCOPED_TRACE(name);
        ID3DXAnimationSet* set = nullptr;
        ASSERT_EQ(controller_->GetAnimationSetByName(name, &set), D3D_OK);
        controller_->SetTrackAnimationSet(0, set);
        set->Release();
        controller_->AdvanceTime(0, nullptr);
        ExpectNear(root_->TransformationMatrix, turn);
    }
}

TEST_F(XFileTest, PlainFileGivesNoMaterialsNoAnimationAndSiblingRoots) {
    const std::string file =
        "xof 0303txt 0032\nFrame Plain {\nMesh PlainMesh { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; "
        "1; 3;0,1,2;; }\n}\nFrame Second { FrameTransformMatrix { 2.0,0.0,0.0,0.0, 0.0,2.0,0.0,0.0, "
        "0.0,0.0,2.0,0.0, 0.0,0.0,0.0,1.0;; } }\n";
    ASSERT_EQ(Load(file), D3D_OK);
    EXPECT_STREQ(root_->Name, "Plain");
    ASSERT_NE(root_->pMeshContainer, nullptr);
    EXPECT_STREQ(root_->pMeshContainer->Name, "PlainMesh");
    EXPECT_EQ(root_->pMeshContainer->NumMaterials, 0u);
    EXPECT_EQ(root_->pMeshContainer->pMaterials, nullptr);
    EXPECT_EQ(root_->pMeshContainer->MeshData.pMesh->GetFVF(), D3DFVF_XYZ);
    // Several top-level frames come back as siblings.
    ASSERT_NE(root_->pFrameSibling, nullptr);
    EXPECT_STREQ(root_->pFrameSibling->Name, "Second");
    EXPECT_FLOAT_EQ(root_->pFrameSibling->TransformationMatrix._22, 2.0f);
    EXPECT_EQ(controller_, nullptr);
}

TEST_F(XFileTest, DamagedFilesFailCleanly) {
    const std::string text = assets::SkinnedXText();
    const std::string binary = assets::ToBinaryX(text);
    std::string deep = "xof 0303txt 0032\n";
    for (int i = 0; i < 300; ++i) deep += "Frame F" + std::to_string(i) + " {\n";
    deep += std::string(300, '}');
    std::string garbage = "xof 0303txt 0032\n";
    std::string garbageBinary = "xof 0303bin 0032";
    for (int i = 0; i < 400; ++i) {
        garbage += char(33 + (i * 53) % 90);
        garbageBinary += char((i * 97 + 13) % 256);
    }
    struct Case {
        const char* name;
        std::string file;
    };
    const Case cases[] = {
        {"empty", ""},
        {"header only", "xof 0303txt 0032"},
        {"text cut in half", text.substr(0, text.size() / 2)},
        {"binary cut in half", binary.substr(0, binary.size() / 2)},
        {"text garbage", garbage},
        {"binary garbage", garbageBinary},
        {"not a .x file", "PK\x03\x04 this is something else entirely"},
        {"compressed", "xof 0303tzip0032" + std::string(64, 'x')},
        {"nested 300 deep", deep},
        {"face index past the vertices", Replace(text, "3;1,4,5;", "3;1,4,50;")},
        {"normal index past the normals", Replace(text, "3;0,0,0;", "3;0,0,7;")},
        {"skin index past the vertices", Replace(text, "\"Bone00\"; 2; 0, 1;", "\"Bone00\"; 2; 0, 900;")},
        {"negative skin weight", Replace(text, "\"Bone01\"; 3; 2, 3, 1; 1.0, 0.75", "\"Bone01\"; 3; 2, 3, 1; 1.0, -0.75")},
        {"material index past the list", Replace(text, "4; 0,0,1,1;;", "4; 0,0,1,5;;")},
        {"fewer normal faces than faces",
         Replace(text, "4; 3;0,0,0;, 3;0,0,0;, 3;0,0,0;, 3;0,0,0;;", "3; 3;0,0,0;, 3;0,0,0;, 3;0,0,0;;")},
        {"fewer texture coordinates than vertices", Replace(text, "6; 0.0;1.0;, 0.5;1.0;,", "5; 0.5;1.0;,")},
        {"fewer material indices than faces", Replace(text, "4; 0,0,1,1;;", "3; 0,0,1;;")},
        {"a number after the material indices", Replace(text, "4; 0,0,1,1;;", "4; 0,0,1,1;; 0")},
        {"a material list without materials",
         Replace(text, "MeshMaterialList { 2; 4; 0,0,1,1;;\n", "MeshMaterialList { 1; 1; 0;; }\nUnknown { 2;\n")},
        {"a number the importer cannot read", Replace(text, "6; 0.0;0.0;0.0;,", "6; 0x1p0;0.0;0.0;,")},
        {"a NUL byte", Replace(text, "Frame Body", std::string("Frame \0Body", 11))},
        {"a control byte", Replace(text, "Frame Body", "Frame \x01Body")},
        {"skin index past the vertices (binary)",
         assets::ToBinaryX(Replace(text, "\"Bone00\"; 2; 0, 1;", "\"Bone00\"; 2; 0, 900;"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        root_ = reinterpret_cast<D3DXFRAME*>(1);
        EXPECT_TRUE(FAILED(Load(c.file)));
        EXPECT_EQ(root_, nullptr);
        EXPECT_EQ(controller_, nullptr);
        EXPECT_EQ(alloc_.liveFrames, 0);
        EXPECT_EQ(alloc_.liveContainers, 0);
    }
}

TEST_F(XFileTest, CutFilesNeverCrashAndFailuresUndoEverything) {
    // Every cut either loads or fails with nothing left behind.
    const std::string text = assets::SkinnedXText();
    const std::string binary = assets::ToBinaryX(text);
    for (const std::string* file : {&text, &binary})
        for (size_t n = 16; n < file->size(); n += 211) {
            SCOPED_TRACE(n);
            if (SUCCEEDED(Load(file->substr(0, n)))) {
                if (controller_) controller_->Release();
                controller_ = nullptr;
                D3DXFrameDestroy(root_, &alloc_);
                root_ = nullptr;
            }
            ASSERT_EQ(alloc_.liveFrames, 0);
            ASSERT_EQ(alloc_.liveContainers, 0);
        }
    // An allocator that fails on the second container ends the load; what was
    // built goes back to it.
    alloc_.failContainerAt = 1;
    EXPECT_EQ(Load(text), E_OUTOFMEMORY);
    EXPECT_EQ(root_, nullptr);
    EXPECT_EQ(controller_, nullptr);
    EXPECT_EQ(alloc_.liveFrames, 0);
    EXPECT_EQ(alloc_.liveContainers, 0);
}

}  // namespace
