// One loaded `.x` model: a frame hierarchy whose frames carry mesh containers
// (static or palette-skinned), the containers' materials, an optional
// animation controller, and lookups of frame matrices by name and of mesh
// parts (containers) by name. The mesh's shader draws each container with the
// mesh itself as the primitive.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "engine/assets/Primitive.h"
#include "engine/core/ReferCounter.h"
#include "platform/d3dx9/d3dx9.h"

namespace Quorvex {

class IResourceManager;
class MaterialUnit;
class MeshUnit;
class MeshUnit_CalcData;
class ShaderAdapter;

// A frame with the combined transformation (the frame relative to the world)
// that drawing and the bone palette read.
struct MeshFrame : public D3DXFRAME {
    D3DXMATRIX CombinedTransformationMatrix;
};

// The faces-apart copy of a container's mesh that the motion-blur pass draws.
struct ExtrusionRecord {
    int flag = 1;
    ID3DXMesh* mesh = nullptr;  // owned
};

// One mesh part. The override arrays are installed by a per-object mesh
// record for the length of one draw (entry i overrides subset i).
struct MeshContainer : public D3DXMESHCONTAINER {
    std::vector<MaterialUnit*> materials;  // one counted material per subset
    IDirect3DTexture9** ppTextureOverrides = nullptr;
    IDirect3DTexture9** ppNormalMapOverrides = nullptr;
    ExtrusionRecord* pExtrusion = nullptr;
    ID3DXMesh* pSourceMesh = nullptr;  // counted; skinned: the mesh as loaded
    DWORD NumAttributeGroups = 0;
    DWORD NumInfl = 0;  // most bones that move one face's vertices
    ID3DXBuffer* pBoneCombinationBuf = nullptr;
    std::vector<D3DXMATRIX*> boneMatrixPtrs;  // per bone: its frame's combined matrix
    std::vector<D3DXMATRIX> boneOffsetMatrices;
    DWORD NumPaletteEntries = 0;  // at most MaxPaletteEntries
    BYTE UseSoftwareVP = 0;
};

class MeshUnit : public PrimitiveBase, public ReferCounter {
public:
    // Bones one palette draw can take.
    static constexpr DWORD MaxPaletteEntries = 26;

    // Empty; the render parameters are the owner's.
    MeshUnit(IResourceManager* owner, const char* name);
    // Destroys the hierarchy and releases the shader.
    ~MeshUnit() override;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    // The last reference traces the mesh's name and address, then destroys.
    ULONG STDMETHODCALLTYPE Release() override;
    // DrawSubset of the mesh of the container being drawn.
    void DrawSubset(int subset) override;
    BYTE HasExtrusionMesh() override;
    // That subset of the container's extrusion mesh; nothing without one.
    void DrawExtrusionSubset(int subset) override;
    virtual int GetRefCount() { return GetReferenceCount(); }

    // Reads the file (redirected), descrambles it with a non-zero key and
    // loads it: 0; -1 unreadable file, -3 no hierarchy (both logged).
    int LoadMesh(const wchar_t* path, DWORD key);
    // Loads the hierarchy from `.x` bytes (the previous one is destroyed
    // first) and sets the shader to "MeshDefaultShader": 0, or the failing
    // step's result (logged; nothing stays loaded).
    int LoadMeshFromMemory(const void* bytes, DWORD size, DWORD key);
    void DestroyHierarchy();

    // The mesh part (container) of that name; null when none.
    MeshContainer* FindMaterialList(const char* partName) const;
    // The part of the mesh registered in the manager under meshId.
    static MeshContainer* FindMaterialList(IResourceManager* manager, const char* meshId, const char* partName);
    // A controller of the caller's own (null and 0 when the mesh has none);
    // the error of the clone otherwise.
    HRESULT CloneAnimationController(ID3DXAnimationController** controller);

    // Every frame's combined matrix to identity.
    void ResetBoneMatrices();
    // combined = combined x transformation (x parent when given); siblings
    // take the same parent, the first child this frame's combined matrix.
    void UpdateFrameMatrices(D3DXFRAME* frame, const D3DXMATRIX* parent);
    // Draws every container of the subtree (frame, siblings' subtrees, first
    // child's subtree) with the frame's index in that order; answers the
    // index after the last frame.
    int WalkFrames(D3DXFRAME* frame, int index);
    // WalkFrames from the root: nothing without a hierarchy or a shader.
    void DrawFrameHierarchy();
    // Gives each frame's first mesh the standard normal-mapped layout
    // (position, normal, tangent, texture coordinates) with computed normals
    // and tangents; then the sibling and child subtrees.
    HRESULT ComputeTangentFrames(D3DXFRAME* frame);
    // Replaces each container's extrusion mesh; stops at the first error.
    HRESULT BuildExtrusionMeshes(D3DXFRAME* frame);
    // Every face with vertices of its own carrying its face normal, the
    // edges two faces share joined by degenerate quads and open edges closed
    // by quads to back-facing copies, so faces can move apart without cracks.
    // Position and normal only, attribute ids kept. The input is not changed.
    static HRESULT BuildExtrusionMesh(ID3DXMesh* mesh, ID3DXMesh** extrusion);

    // Replaces the counted shader (null allowed).
    void SetShader(ShaderAdapter* shader);
    ShaderAdapter* GetShader() const { return m_pShader; }
    const std::string& GetName() const { return m_name; }
    void SetName(const char* name) { m_name = name ? name : ""; }
    IResourceManager* GetOwner() const { return m_pOwner; }
    MeshUnit_CalcData* GetCalcData() const { return m_pCalcData; }
    D3DXFRAME* GetRootFrame() const { return m_pRootFrame; }
    ID3DXAnimationController* GetAnimationController() const { return m_pAnimController; }
    // Each frame's combined matrix in frame order.
    const std::vector<D3DXMATRIX*>& GetFrameMatrices() const { return m_frameMatrices; }
    int GetFrameCount() const { return static_cast<int>(m_frameMatrices.size()); }
    // The combined matrix of the frame of that name; null when none.
    D3DXMATRIX* FindFrameMatrix(const char* frameName) const;
    const D3DXVECTOR3& GetBoundingCenter() const { return m_boundingCenter; }
    float GetBoundingRadius() const { return m_boundingRadius; }
    const std::map<std::string, MeshContainer*>& GetParts() const { return m_parts; }

private:
    friend class CAllocateHierarchy;

    HRESULT SetupBoneMatrixPointers(D3DXFRAME* frame);
    void SetupCombinedTransMatrixPointers(D3DXFRAME* frame);
    void SetupContainerMap(D3DXFRAME* frame);
    void DrawMeshContainer(MeshContainer* container, MeshFrame* frame, int index);

    std::string m_name;
    IResourceManager* m_pOwner;  // not counted
    D3DXFRAME* m_pRootFrame = nullptr;
    ID3DXAnimationController* m_pAnimController = nullptr;  // owned
    std::vector<D3DXMATRIX*> m_frameMatrices;
    std::map<std::string, D3DXMATRIX*> m_frameMap;
    D3DXVECTOR3 m_boundingCenter{0.0f, 0.0f, 0.0f};
    float m_boundingRadius = 0.0f;
    std::map<std::string, MeshContainer*> m_parts;
    MeshUnit_CalcData* m_pCalcData;  // not counted: the owner's
    ShaderAdapter* m_pShader = nullptr;  // counted
    MeshContainer* m_pCurrentContainer = nullptr;
    DWORD m_key = 0;  // asset key of the file being loaded
};

}  // namespace Quorvex
