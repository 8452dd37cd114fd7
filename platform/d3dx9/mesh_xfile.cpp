// `.x` files as frame hierarchies, read through Assimp after a checking pass.
//
// Assimp hands each mesh back split by material, with its vertices unshared
// and named after its frame; this loader merges a frame's meshes into one
// container (attribute ids indexing its materials), shares identical
// vertices again, and takes mesh names and material-list presence from the
// checking pass. Matrices come back in row-vector form; with
// aiProcess_ConvertToLeftHanded the file's own coordinates, winding and
// texture coordinates are kept.
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <unordered_map>

#include "platform/d3dx9/anim.h"
#include "platform/d3dx9/mesh_impl.h"
#include "platform/d3dx9/mesh_xscan.h"
#include "platform/d3dx9/texture_image.h"
#include "platform/win32/phase_timer.h"

namespace {

using orv::d3dx9::LogError;
using orv::d3dx9::MeshArrays;

constexpr unsigned kImportFlags =
    aiProcess_ConvertToLeftHanded | aiProcess_Triangulate | aiProcess_ValidateDataStructure;
constexpr double kDefaultTicksPerSecond = 4800.0;  // what a file without AnimTicksPerSecond means
constexpr unsigned kMaxDepth = 256;

D3DXMATRIX RowForm(const aiMatrix4x4& m) {
    return D3DXMATRIX(m.a1, m.b1, m.c1, m.d1, m.a2, m.b2, m.c2, m.d2, m.a3, m.b3, m.c3, m.d3, m.a4, m.b4, m.c4,
                      m.d4);
}

bool Finite(const aiVector3D& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

bool CheckNodes(const aiScene* scene, const aiNode* node, unsigned depth, std::string& error) {
    if (depth > kMaxDepth) return (error = "frames nested deeper than 256"), false;
    for (unsigned i = 0; i < node->mNumMeshes; ++i)
        if (node->mMeshes[i] >= scene->mNumMeshes) return (error = "a frame names a mesh that is missing"), false;
    for (unsigned i = 0; i < node->mNumChildren; ++i)
        if (!node->mChildren[i] || !CheckNodes(scene, node->mChildren[i], depth + 1, error)) return false;
    return true;
}

// What this loader relies on, checked again on Assimp's side.
bool CheckScene(const aiScene* scene, std::string& error) {
    if (!scene->mRootNode) return (error = "no frames"), false;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[m];
        const std::string where = "mesh " + std::string(mesh->mName.C_Str()) + ": ";
        if (!mesh->mVertices || mesh->mNumVertices == 0) return (error = where + "no vertices"), false;
        if (mesh->mMaterialIndex >= scene->mNumMaterials) return (error = where + "no such material"), false;
        for (unsigned v = 0; v < mesh->mNumVertices; ++v)
            if (!Finite(mesh->mVertices[v])) return (error = where + "a position is not finite"), false;
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices != 3) return (error = where + "a face index points past the vertices"), false;
            for (unsigned k = 0; k < 3; ++k)
                if (face.mIndices[k] >= mesh->mNumVertices)
                    return (error = where + "a face index points past the vertices"), false;
        }
        for (unsigned b = 0; b < mesh->mNumBones; ++b) {
            const aiBone* bone = mesh->mBones[b];
            for (unsigned w = 0; w < bone->mNumWeights; ++w) {
                const aiVertexWeight& weight = bone->mWeights[w];
                if (weight.mVertexId >= mesh->mNumVertices || !std::isfinite(weight.mWeight) || weight.mWeight < 0)
                    return (error = where + "bone " + bone->mName.C_Str() + " has a bad influence"), false;
            }
        }
    }
    return CheckNodes(scene, scene->mRootNode, 1, error);
}

std::string TextureOf(const aiMaterial* material) {
    aiString path;
    if (material->GetTexture(aiTextureType_DIFFUSE, 0, &path) == AI_SUCCESS) return std::string(path.data, path.length);
    for (int type = aiTextureType_NONE + 1; type <= aiTextureType_UNKNOWN; ++type)
        if (material->GetTexture(static_cast<aiTextureType>(type), 0, &path) == AI_SUCCESS)
            return std::string(path.data, path.length);
    return {};
}

D3DMATERIAL9 ColoursOf(const aiMaterial* material) {
    aiColor4D diffuse(1, 1, 1, 1), specular(0, 0, 0, 1), emissive(0, 0, 0, 1), ambient(0, 0, 0, 0);
    float power = 0;
    material->Get(AI_MATKEY_COLOR_DIFFUSE, diffuse);
    material->Get(AI_MATKEY_COLOR_SPECULAR, specular);
    material->Get(AI_MATKEY_COLOR_EMISSIVE, emissive);
    material->Get(AI_MATKEY_SHININESS, power);
    auto colour = [](const aiColor4D& c, float alpha) { return D3DCOLORVALUE{c.r, c.g, c.b, alpha}; };
    return {colour(diffuse, diffuse.a), colour(ambient, 0.0f), colour(specular, 1.0f), colour(emissive, 1.0f),
            power};
}

struct Influence {
    DWORD bone;
    float weight;
};

// One container's worth of data, built from a frame's Assimp meshes.
struct Container {
    std::string name;
    MeshArrays arrays;
    std::vector<unsigned> materials;  // Assimp material per attribute id
    bool hasMaterials = true;
    std::vector<std::string> boneNames;
    std::vector<D3DXMATRIX> boneOffsets;
    std::vector<std::vector<Influence>> influences;  // per vertex
};

HRESULT Merge(const aiScene* scene, const aiNode* node, bool hasMaterials, Container& out) {
    std::vector<const aiMesh*> parts;
    for (unsigned i = 0; i < node->mNumMeshes; ++i) parts.push_back(scene->mMeshes[node->mMeshes[i]]);
    bool normals = true, colours = true;
    unsigned uvSets = 8;
    for (const aiMesh* m : parts) {
        normals = normals && m->HasNormals();
        colours = colours && m->HasVertexColors(0);
        unsigned sets = 0;
        while (sets < 8 && m->HasTextureCoords(sets)) ++sets;
        uvSets = std::min(uvSets, sets);
    }
    DWORD fvf = D3DFVF_XYZ | (normals ? D3DFVF_NORMAL : 0) | (colours ? D3DFVF_DIFFUSE : 0) |
                (uvSets << D3DFVF_TEXCOUNT_SHIFT);
    if (!orv::d3dx9::MakeFormatFromFvf(fvf, out.arrays.format)) return E_FAIL;
    const UINT stride = out.arrays.format.stride;
    out.hasMaterials = hasMaterials;

    std::map<std::string, DWORD> boneIndex;
    std::unordered_map<std::string, uint32_t> shared;
    std::vector<uint8_t> record(stride);
    for (const aiMesh* m : parts) {
        DWORD attribute = 0;
        if (hasMaterials) {
            auto it = std::find(out.materials.begin(), out.materials.end(), m->mMaterialIndex);
            attribute = static_cast<DWORD>(it - out.materials.begin());
            if (it == out.materials.end()) out.materials.push_back(m->mMaterialIndex);
        }
        std::vector<std::vector<Influence>> partInfluences(m->mNumVertices);
        for (unsigned b = 0; b < m->mNumBones; ++b) {
            const aiBone* bone = m->mBones[b];
            const std::string name(bone->mName.data, bone->mName.length);
            auto [it, added] = boneIndex.emplace(name, static_cast<DWORD>(out.boneNames.size()));
            if (added) {
                out.boneNames.push_back(name);
                out.boneOffsets.push_back(RowForm(bone->mOffsetMatrix));
            }
            for (unsigned w = 0; w < bone->mNumWeights; ++w)
                partInfluences[bone->mWeights[w].mVertexId].push_back({it->second, bone->mWeights[w].mWeight});
        }
        std::vector<uint32_t> index(m->mNumVertices);
        for (unsigned v = 0; v < m->mNumVertices; ++v) {
            std::memset(record.data(), 0, stride);
            size_t at = 0;
            auto put = [&](const void* p, size_t n) {
                std::memcpy(&record[at], p, n);
                at += n;
            };
            put(&m->mVertices[v], 12);
            if (normals) put(&m->mNormals[v], 12);
            if (colours) {
                const aiColor4D& c = m->mColors[0][v];
                const float rgba[4] = {c.r, c.g, c.b, c.a};
                orv::d3dx9::WriteElement(D3DDECLTYPE_D3DCOLOR, rgba, &record[at]);
                at += 4;
            }
            for (unsigned s = 0; s < uvSets; ++s) put(&m->mTextureCoords[s][v], 8);
            auto& list = partInfluences[v];
            std::sort(list.begin(), list.end(), [](const Influence& a, const Influence& b) { return a.bone < b.bone; });
            std::string key(reinterpret_cast<const char*>(record.data()), stride);
            key.append(reinterpret_cast<const char*>(list.data()), list.size() * sizeof(Influence));
            auto [found, added] = shared.emplace(std::move(key), static_cast<uint32_t>(out.influences.size()));
            if (added) {
                out.arrays.vertices.insert(out.arrays.vertices.end(), record.begin(), record.end());
                out.influences.push_back(list);
            }
            index[v] = found->second;
        }
        for (unsigned f = 0; f < m->mNumFaces; ++f) {
            for (unsigned k = 0; k < 3; ++k) out.arrays.indices.push_back(index[m->mFaces[f].mIndices[k]]);
            out.arrays.attributes.push_back(attribute);
        }
    }
    if (out.arrays.attributes.empty()) return D3DXERR_LOADEDMESHHASNODATA;
    orv::d3dx9::SortByAttribute(out.arrays, nullptr);
    return D3D_OK;
}

class Loader {
public:
    Loader(const aiScene* scene, const orv::d3dx9::XScan& notes, DWORD options, IDirect3DDevice9* device,
           ID3DXAllocateHierarchy* alloc)
        : scene_(scene), notes_(notes), options_(options), device_(device), alloc_(alloc) {}

    // Builds the frame and its subtree into *slot (linked before its
    // children are built, so a failure leaves a destroyable tree).
    HRESULT BuildFrame(const aiNode* node, D3DXFRAME** slot) {
        const std::string name(node->mName.data, node->mName.length);
        D3DXFRAME* frame = nullptr;
        HRESULT hr = alloc_->CreateFrame(name.empty() ? nullptr : name.c_str(), &frame);
        if (FAILED(hr)) return hr;
        if (!frame) return E_FAIL;
        frame->TransformationMatrix = RowForm(node->mTransformation);
        frame->pMeshContainer = nullptr;
        frame->pFrameSibling = nullptr;
        frame->pFrameFirstChild = nullptr;
        *slot = frame;
        if (node->mNumMeshes) {
            hr = BuildContainer(node, name, frame);
            if (FAILED(hr)) return hr;
        }
        D3DXFRAME** next = &frame->pFrameFirstChild;
        for (unsigned i = 0; i < node->mNumChildren; ++i) {
            hr = BuildFrame(node->mChildren[i], next);
            if (FAILED(hr)) return hr;
            next = &(*next)->pFrameSibling;
        }
        return D3D_OK;
    }

private:
    HRESULT BuildContainer(const aiNode* node, const std::string& frameName, D3DXFRAME* frame) {
        // The file's first mesh inside this frame gives the name and tells
        // whether there was a material list.
        std::string meshName = frameName;
        bool hasMaterials = true;
        size_t& used = notesUsed_[frameName];
        for (size_t i = 0, seen = 0; i < notes_.meshes.size(); ++i) {
            if (notes_.meshes[i].frame != frameName) continue;
            if (seen++ < used) continue;
            if (!notes_.meshes[i].name.empty()) meshName = notes_.meshes[i].name;
            hasMaterials = notes_.meshes[i].hasMaterialList;
            ++used;
            break;
        }
        Container c;
        HRESULT hr;
        try {
            hr = Merge(scene_, node, hasMaterials, c);
        } catch (const std::bad_alloc&) {
            hr = E_OUTOFMEMORY;
        }
        if (FAILED(hr)) return hr;
        c.arrays.options = options_ & ~D3DXMESH_32BIT;
        if (c.arrays.NumVertices() > 65535) {
            LogError("x file: mesh %s has %u vertices and gets 32-bit indices", meshName.c_str(),
                     c.arrays.NumVertices());
            c.arrays.options |= D3DXMESH_32BIT;
        }

        ID3DXMesh* mesh = nullptr;
        ID3DXSkinInfo* skin = nullptr;
        hr = orv::d3dx9::BuildMesh(device_, c.arrays, &mesh);
        if (SUCCEEDED(hr) && !c.boneNames.empty()) hr = MakeSkin(c, &skin);
        if (FAILED(hr)) {
            if (mesh) mesh->Release();
            return hr;
        }
        const std::vector<DWORD> adjacency =
            orv::d3dx9::AdjacencyFromPointReps(c.arrays, orv::d3dx9::PointReps(c.arrays, 0.0f));

        std::vector<std::string> textures;
        std::vector<D3DXMATERIAL> materials;
        for (unsigned index : c.materials) {
            const aiMaterial* m = scene_->mMaterials[index];
            textures.push_back(TextureOf(m));
            materials.push_back({ColoursOf(m), nullptr});
        }
        for (size_t i = 0; i < materials.size(); ++i)
            if (!textures[i].empty()) materials[i].pTextureFilename = textures[i].data();
        std::vector<D3DXEFFECTINSTANCE> effects(materials.size(), D3DXEFFECTINSTANCE{nullptr, 0, nullptr});

        D3DXMESHDATA data;
        data.Type = D3DXMESHTYPE_MESH;
        data.pMesh = mesh;
        D3DXMESHCONTAINER* container = nullptr;
        hr = alloc_->CreateMeshContainer(meshName.empty() ? nullptr : meshName.c_str(), &data,
                                         materials.empty() ? nullptr : materials.data(),
                                         effects.empty() ? nullptr : effects.data(),
                                         static_cast<DWORD>(materials.size()), adjacency.data(), skin, &container);
        mesh->Release();
        if (skin) skin->Release();
        if (FAILED(hr)) return hr;
        if (container) {
            container->pNextMeshContainer = nullptr;
            D3DXMESHCONTAINER** end = &frame->pMeshContainer;
            while (*end) end = &(*end)->pNextMeshContainer;
            *end = container;
        }
        return D3D_OK;
    }

    HRESULT MakeSkin(const Container& c, ID3DXSkinInfo** skin) {
        HRESULT hr = D3DXCreateSkinInfo(c.arrays.NumVertices(), c.arrays.format.elements.data(),
                                        static_cast<DWORD>(c.boneNames.size()), skin);
        if (FAILED(hr)) return hr;
        std::vector<std::vector<DWORD>> vertices(c.boneNames.size());
        std::vector<std::vector<float>> weights(c.boneNames.size());
        for (size_t v = 0; v < c.influences.size(); ++v)
            for (const Influence& i : c.influences[v]) {
                vertices[i.bone].push_back(static_cast<DWORD>(v));
                weights[i.bone].push_back(i.weight);
            }
        for (DWORD b = 0; b < c.boneNames.size() && SUCCEEDED(hr); ++b) {
            (*skin)->SetBoneName(b, c.boneNames[b].c_str());
            (*skin)->SetBoneOffsetMatrix(b, &c.boneOffsets[b]);
            hr = (*skin)->SetBoneInfluence(b, static_cast<DWORD>(vertices[b].size()), vertices[b].data(),
                                           weights[b].data());
        }
        if (FAILED(hr)) {
            (*skin)->Release();
            *skin = nullptr;
        }
        return hr;
    }

    const aiScene* scene_;
    const orv::d3dx9::XScan& notes_;
    DWORD options_;
    IDirect3DDevice9* device_;
    ID3DXAllocateHierarchy* alloc_;
    std::map<std::string, size_t> notesUsed_;
};

template <class Key, class Source, class Convert>
std::vector<Key> Keys(const Source* keys, unsigned count, Convert convert) {
    std::vector<Key> out;
    for (unsigned i = 0; i < count; ++i) out.push_back({static_cast<FLOAT>(keys[i].mTime), convert(keys[i].mValue)});
    std::stable_sort(out.begin(), out.end(), [](const Key& a, const Key& b) { return a.Time < b.Time; });
    return out;
}

HRESULT BuildController(const aiScene* scene, D3DXFRAME* root, ID3DXAnimationController** out) {
    ID3DXAnimationController* controller = nullptr;
    HRESULT hr = D3DXCreateAnimationController(std::max(1u, D3DXFrameNumNamedMatrices(root)), scene->mNumAnimations,
                                               2, 30, &controller);
    if (FAILED(hr)) return hr;
    hr = D3DXFrameRegisterNamedMatrices(root, controller);
    auto vector = [](const aiVector3D& v) { return D3DXVECTOR3(v.x, v.y, v.z); };
    auto quaternion = [](const aiQuaternion& q) { return D3DXQUATERNION(q.x, q.y, q.z, q.w); };
    for (unsigned a = 0; a < scene->mNumAnimations && SUCCEEDED(hr); ++a) {
        const aiAnimation* animation = scene->mAnimations[a];
        const double tps = animation->mTicksPerSecond > 0 ? animation->mTicksPerSecond : kDefaultTicksPerSecond;
        ID3DXKeyframedAnimationSet* set = nullptr;
        hr = D3DXCreateKeyframedAnimationSet(animation->mName.C_Str(), tps, D3DXPLAY_LOOP, animation->mNumChannels, 0,
                                             nullptr, &set);
        for (unsigned c = 0; c < animation->mNumChannels && SUCCEEDED(hr); ++c) {
            const aiNodeAnim* channel = animation->mChannels[c];
            const auto scale = Keys<D3DXKEY_VECTOR3>(channel->mScalingKeys, channel->mNumScalingKeys, vector);
            const auto rotation =
                Keys<D3DXKEY_QUATERNION>(channel->mRotationKeys, channel->mNumRotationKeys, quaternion);
            const auto translation = Keys<D3DXKEY_VECTOR3>(channel->mPositionKeys, channel->mNumPositionKeys, vector);
            hr = set->RegisterAnimationSRTKeys(channel->mNodeName.C_Str(), static_cast<UINT>(scale.size()),
                                               static_cast<UINT>(rotation.size()),
                                               static_cast<UINT>(translation.size()), scale.data(), rotation.data(),
                                               translation.data(), nullptr);
            if (FAILED(hr)) LogError("x file: animation %s of %s has bad keys", channel->mNodeName.C_Str(),
                                     animation->mName.C_Str());
        }
        if (SUCCEEDED(hr)) hr = controller->RegisterAnimationSet(set);
        if (set) set->Release();
    }
    if (SUCCEEDED(hr)) {
        ID3DXAnimationSet* first = nullptr;
        controller->GetAnimationSet(0, &first);
        controller->SetTrackAnimationSet(0, first);
        controller->SetTrackEnable(0, TRUE);
        if (first) first->Release();
    }
    if (FAILED(hr)) {
        controller->Release();
        return hr;
    }
    *out = controller;
    return D3D_OK;
}

}  // namespace

HRESULT WINAPI D3DXLoadMeshHierarchyFromXInMemory(LPCVOID Memory, DWORD SizeOfMemory, DWORD MeshOptions,
                                                  LPDIRECT3DDEVICE9 pDevice, LPD3DXALLOCATEHIERARCHY pAlloc,
                                                  LPD3DXLOADUSERDATA pUserDataLoader,
                                                  LPD3DXFRAME* ppFrameHierarchy,
                                                  LPD3DXANIMATIONCONTROLLER* ppAnimController) {
    orv::PhaseTimer timer(orv::Phase::MeshImport);
    if (ppFrameHierarchy) *ppFrameHierarchy = nullptr;
    if (ppAnimController) *ppAnimController = nullptr;
    if (!Memory || !pDevice || !pAlloc || !ppFrameHierarchy || pUserDataLoader) return D3DERR_INVALIDCALL;

    orv::d3dx9::XScan notes;
    std::string error;
    if (!orv::d3dx9::ScanXFile(Memory, SizeOfMemory, notes, error)) {
        LogError("x file refused: %s", error.c_str());
        return D3DXERR_INVALIDDATA;
    }
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFileFromMemory(Memory, SizeOfMemory, kImportFlags, "x");
    if (!scene) {
        LogError("x file refused: %s", importer.GetErrorString());
        return D3DXERR_INVALIDDATA;
    }
    if (!CheckScene(scene, error)) {
        LogError("x file refused: %s", error.c_str());
        return D3DXERR_INVALIDDATA;
    }

    // Several top-level frames come back under a root of Assimp's own.
    std::vector<const aiNode*> top;
    const aiNode* root = scene->mRootNode;
    if (std::strcmp(root->mName.C_Str(), "$dummy_root") == 0 && root->mNumMeshes == 0 && root->mNumChildren > 0)
        top.assign(root->mChildren, root->mChildren + root->mNumChildren);
    else
        top.push_back(root);

    Loader loader(scene, notes, MeshOptions, pDevice, pAlloc);
    D3DXFRAME* first = nullptr;
    D3DXFRAME** slot = &first;
    HRESULT hr = D3D_OK;
    for (const aiNode* node : top) {
        try {
            hr = loader.BuildFrame(node, slot);
        } catch (const std::bad_alloc&) {
            hr = E_OUTOFMEMORY;
        }
        if (FAILED(hr)) break;
        slot = &(*slot)->pFrameSibling;
    }
    ID3DXAnimationController* controller = nullptr;
    if (SUCCEEDED(hr) && ppAnimController && scene->mNumAnimations > 0) {
        try {
            hr = BuildController(scene, first, &controller);
        } catch (const std::bad_alloc&) {
            hr = E_OUTOFMEMORY;
        }
    }
    if (FAILED(hr)) {
        LogError("x file: building the hierarchy failed (0x%08x)", static_cast<unsigned>(hr));
        if (first) D3DXFrameDestroy(first, pAlloc);
        return hr;
    }
    *ppFrameHierarchy = first;
    if (ppAnimController) *ppAnimController = controller;
    return D3D_OK;
}
