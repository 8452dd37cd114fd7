// Meshes, skins and frame hierarchies: triangle lists with an attribute
// (subset) id per face, vertex formats given by FVF codes or declarations,
// palette skinning, `.x` files loaded as frame hierarchies with their
// animation sets, and the mesh helpers (normals, tangents, adjacency, boxes,
// spheres, bounding spheres).
//
// A mesh keeps its vertices in a device vertex buffer and its 16-bit indices
// in a device index buffer (both readable through their locks); a mesh made
// with D3DXMESH_32BIT keeps 32-bit indices in memory and draws through
// 16-bit copies. DrawSubset sets the mesh's declaration, stream 0 and
// indices on the device and draws the faces of that attribute id.
//
// Meshes may be created and filled on the resource loader thread once it
// holds the device's loader context; drawing belongs to the device's thread.
// Damaged input fails with a negative result (D3DXERR_INVALIDDATA for data)
// and a line in the debug output; nothing half-built is handed out.
#pragma once
#include "platform/d3d9/d3d9.h"
#include "platform/d3dx9/effect.h"
#include "platform/d3dx9/math.h"
#include "platform/d3dx9/texture.h"

// Lighting colours of a material, as Direct3D 9 lays them out.
#ifndef ORV_D3DMATERIAL9_DEFINED
#define ORV_D3DMATERIAL9_DEFINED
typedef struct _D3DMATERIAL9 {
    D3DCOLORVALUE Diffuse;
    D3DCOLORVALUE Ambient;
    D3DCOLORVALUE Specular;
    D3DCOLORVALUE Emissive;
    float Power;
} D3DMATERIAL9;
#endif

// ---- Mesh options ---------------------------------------------------------------------
#define D3DXMESH_32BIT 0x001u
#define D3DXMESH_DONOTCLIP 0x002u
#define D3DXMESH_POINTS 0x004u
#define D3DXMESH_RTPATCHES 0x008u
#define D3DXMESH_NPATCHES 0x4000u
#define D3DXMESH_VB_SYSTEMMEM 0x010u
#define D3DXMESH_VB_MANAGED 0x020u
#define D3DXMESH_VB_WRITEONLY 0x040u
#define D3DXMESH_VB_DYNAMIC 0x080u
#define D3DXMESH_VB_SOFTWAREPROCESSING 0x8000u
#define D3DXMESH_IB_SYSTEMMEM 0x100u
#define D3DXMESH_IB_MANAGED 0x200u
#define D3DXMESH_IB_WRITEONLY 0x400u
#define D3DXMESH_IB_DYNAMIC 0x800u
#define D3DXMESH_IB_SOFTWAREPROCESSING 0x10000u
#define D3DXMESH_VB_SHARE 0x1000u
#define D3DXMESH_USEHWONLY 0x2000u
#define D3DXMESH_SYSTEMMEM 0x110u
#define D3DXMESH_MANAGED 0x220u
#define D3DXMESH_WRITEONLY 0x440u
#define D3DXMESH_DYNAMIC 0x880u
#define D3DXMESH_SOFTWAREPROCESSING 0x18000u

// Optimisation flags. ATTRSORT sorts faces by attribute id and builds the
// attribute table; VERTEXCACHE and STRIPREORDER sort too but keep the face
// order within a subset; COMPACT drops vertices no face uses.
#define D3DXMESHOPT_DEVICEINDEPENDENT 0x00400000u
#define D3DXMESHOPT_COMPACT 0x01000000u
#define D3DXMESHOPT_ATTRSORT 0x02000000u
#define D3DXMESHOPT_VERTEXCACHE 0x04000000u
#define D3DXMESHOPT_STRIPREORDER 0x08000000u
#define D3DXMESHOPT_IGNOREVERTS 0x10000000u
#define D3DXMESHOPT_DONOTSPLIT 0x20000000u

#define MAX_FVF_DECL_SIZE (MAXD3DDECLLENGTH + 1)

// D3DXComputeTangent: no binormal output.
#define D3DX_COMP_TANGENT_NONE 0xFFFFFFFFu

typedef enum _D3DXMESHDATATYPE {
    D3DXMESHTYPE_MESH = 0x001,
    D3DXMESHTYPE_PMESH = 0x002,
    D3DXMESHTYPE_PATCHMESH = 0x003,
    D3DXMESHTYPE_FORCE_DWORD = 0x7fffffff
} D3DXMESHDATATYPE;

// One subset: a run of faces with one attribute id and the vertices they use.
typedef struct _D3DXATTRIBUTERANGE {
    DWORD AttribId;
    DWORD FaceStart;
    DWORD FaceCount;
    DWORD VertexStart;
    DWORD VertexCount;
} D3DXATTRIBUTERANGE, *LPD3DXATTRIBUTERANGE;

typedef struct _D3DXMATERIAL {
    D3DMATERIAL9 MatD3D;
    LPSTR pTextureFilename;  // the file's bytes as they are (null without a texture)
} D3DXMATERIAL, *LPD3DXMATERIAL;

typedef enum _D3DXEFFECTDEFAULTTYPE {
    D3DXEDT_STRING = 0x1,
    D3DXEDT_FLOATS = 0x2,
    D3DXEDT_DWORD = 0x3,
    D3DXEDT_FORCEDWORD = 0x7fffffff
} D3DXEFFECTDEFAULTTYPE;

typedef struct _D3DXEFFECTDEFAULT {
    LPSTR pParamName;
    D3DXEFFECTDEFAULTTYPE Type;
    DWORD NumBytes;
    LPVOID pValue;
} D3DXEFFECTDEFAULT, *LPD3DXEFFECTDEFAULT;

// Files here name no effects: the loader hands one empty instance per material.
typedef struct _D3DXEFFECTINSTANCE {
    LPSTR pEffectFilename;
    DWORD NumDefaults;
    LPD3DXEFFECTDEFAULT pDefaults;
} D3DXEFFECTINSTANCE, *LPD3DXEFFECTINSTANCE;

// One group of faces of a palette-skinned mesh: the faces and vertices it
// draws and, per palette entry, the bone it stands for (UINT_MAX: unused).
typedef struct _D3DXBONECOMBINATION {
    DWORD AttribId;  // the material of the faces
    DWORD FaceStart;
    DWORD FaceCount;
    DWORD VertexStart;
    DWORD VertexCount;
    DWORD* BoneId;
} D3DXBONECOMBINATION, *LPD3DXBONECOMBINATION;

struct ID3DXBaseMesh;
struct ID3DXMesh;
struct ID3DXSkinInfo;
struct ID3DXAnimationController;
struct ID3DXPMesh;        // never created here
struct ID3DXPatchMesh;    // never created here
struct ID3DXLoadUserData;  // only null is accepted
typedef ID3DXBaseMesh* LPD3DXBASEMESH;
typedef ID3DXMesh* LPD3DXMESH;
typedef ID3DXSkinInfo* LPD3DXSKININFO;
typedef ID3DXAnimationController* LPD3DXANIMATIONCONTROLLER;
typedef ID3DXLoadUserData* LPD3DXLOADUSERDATA;

typedef struct _D3DXMESHDATA {
    D3DXMESHDATATYPE Type;
    union {
        LPD3DXMESH pMesh;
        ID3DXPMesh* pPMesh;
        ID3DXPatchMesh* pPatchMesh;
    };
} D3DXMESHDATA, *LPD3DXMESHDATA;

typedef struct _D3DXMESHCONTAINER {
    LPSTR Name;
    D3DXMESHDATA MeshData;
    LPD3DXMATERIAL pMaterials;
    LPD3DXEFFECTINSTANCE pEffects;
    DWORD NumMaterials;
    DWORD* pAdjacency;
    LPD3DXSKININFO pSkinInfo;
    struct _D3DXMESHCONTAINER* pNextMeshContainer;
} D3DXMESHCONTAINER, *LPD3DXMESHCONTAINER;

// A node of a frame hierarchy. TransformationMatrix is the frame relative to
// its parent in row-vector form (p * M); the animation controller writes it.
typedef struct _D3DXFRAME {
    LPSTR Name;
    D3DXMATRIX TransformationMatrix;
    LPD3DXMESHCONTAINER pMeshContainer;
    struct _D3DXFRAME* pFrameSibling;
    struct _D3DXFRAME* pFrameFirstChild;
} D3DXFRAME, *LPD3DXFRAME;

// The caller's allocator of frames and containers. CreateMeshContainer gets
// the loader's mesh, materials, adjacency and skin; it takes its own
// references on what it keeps and copies the rest (the loader releases and
// frees its own afterwards). A failure of any call ends the load, and what
// was built is handed back through DestroyFrame / DestroyMeshContainer.
struct ID3DXAllocateHierarchy {
    virtual HRESULT STDMETHODCALLTYPE CreateFrame(LPCSTR Name, LPD3DXFRAME* ppNewFrame) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateMeshContainer(LPCSTR Name, const D3DXMESHDATA* pMeshData,
                                                          const D3DXMATERIAL* pMaterials,
                                                          const D3DXEFFECTINSTANCE* pEffectInstances,
                                                          DWORD NumMaterials, const DWORD* pAdjacency,
                                                          LPD3DXSKININFO pSkinInfo,
                                                          LPD3DXMESHCONTAINER* ppNewMeshContainer) = 0;
    virtual HRESULT STDMETHODCALLTYPE DestroyFrame(LPD3DXFRAME pFrameToFree) = 0;
    virtual HRESULT STDMETHODCALLTYPE DestroyMeshContainer(LPD3DXMESHCONTAINER pMeshContainerToFree) = 0;

protected:
    ~ID3DXAllocateHierarchy() = default;
};
typedef ID3DXAllocateHierarchy* LPD3DXALLOCATEHIERARCHY;

// ---- Meshes -------------------------------------------------------------------------

struct ID3DXBaseMesh : public IUnknown {
    // Draws the faces whose attribute id is AttribId (nothing when none has it).
    virtual HRESULT STDMETHODCALLTYPE DrawSubset(DWORD AttribId) = 0;
    virtual DWORD STDMETHODCALLTYPE GetNumFaces() = 0;
    virtual DWORD STDMETHODCALLTYPE GetNumVertices() = 0;
    // 0 when the declaration has no FVF code.
    virtual DWORD STDMETHODCALLTYPE GetFVF() = 0;
    // The elements and the end marker.
    virtual HRESULT STDMETHODCALLTYPE GetDeclaration(D3DVERTEXELEMENT9 Declaration[MAX_FVF_DECL_SIZE]) = 0;
    virtual DWORD STDMETHODCALLTYPE GetNumBytesPerVertex() = 0;
    virtual DWORD STDMETHODCALLTYPE GetOptions() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDevice(LPDIRECT3DDEVICE9* ppDevice) = 0;
    // Copies with another vertex layout: elements found in both (same usage
    // and usage index) are converted, new ones are zero. Faces, attribute ids
    // and the attribute table are kept; Options choose 16- or 32-bit indices.
    virtual HRESULT STDMETHODCALLTYPE CloneMeshFVF(DWORD Options, DWORD FVF, LPDIRECT3DDEVICE9 pD3DDevice,
                                                   LPD3DXMESH* ppCloneMesh) = 0;
    virtual HRESULT STDMETHODCALLTYPE CloneMesh(DWORD Options, const D3DVERTEXELEMENT9* pDeclaration,
                                                LPDIRECT3DDEVICE9 pD3DDevice, LPD3DXMESH* ppCloneMesh) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVertexBuffer(LPDIRECT3DVERTEXBUFFER9* ppVB) = 0;
    // D3DERR_INVALIDCALL for a 32-bit mesh (its indices live in memory).
    virtual HRESULT STDMETHODCALLTYPE GetIndexBuffer(LPDIRECT3DINDEXBUFFER9* ppIB) = 0;
    virtual HRESULT STDMETHODCALLTYPE LockVertexBuffer(DWORD Flags, LPVOID* ppData) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnlockVertexBuffer() = 0;
    // WORD indices, or DWORD ones for a 32-bit mesh; three per face.
    virtual HRESULT STDMETHODCALLTYPE LockIndexBuffer(DWORD Flags, LPVOID* ppData) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnlockIndexBuffer() = 0;
    // With pAttribTable null only the count is answered.
    virtual HRESULT STDMETHODCALLTYPE GetAttributeTable(D3DXATTRIBUTERANGE* pAttribTable,
                                                        DWORD* pAttribTableSize) = 0;
    // Three entries per face: the face across each edge (first-second,
    // second-third, third-first), UINT_MAX at an open edge.
    virtual HRESULT STDMETHODCALLTYPE ConvertPointRepsToAdjacency(const DWORD* pPRep, DWORD* pAdjacency) = 0;
    // One entry per vertex: the lowest vertex index standing for the same point.
    virtual HRESULT STDMETHODCALLTYPE ConvertAdjacencyToPointReps(const DWORD* pAdjacency, DWORD* pPRep) = 0;
    // Adjacency of faces whose shared edges' points lie within Epsilon.
    virtual HRESULT STDMETHODCALLTYPE GenerateAdjacency(FLOAT Epsilon, DWORD* pAdjacency) = 0;
    // Swaps in another declaration of the same vertex size (the bytes stay).
    virtual HRESULT STDMETHODCALLTYPE UpdateSemantics(D3DVERTEXELEMENT9 Declaration[MAX_FVF_DECL_SIZE]) = 0;
};

struct ID3DXMesh : public ID3DXBaseMesh {
    virtual HRESULT STDMETHODCALLTYPE LockAttributeBuffer(DWORD Flags, DWORD** ppData) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnlockAttributeBuffer() = 0;
    // A copy optimised with D3DXMESHOPT_* flags; the remaps give, per new
    // face / vertex, the old one.
    virtual HRESULT STDMETHODCALLTYPE Optimize(DWORD Flags, const DWORD* pAdjacencyIn, DWORD* pAdjacencyOut,
                                               DWORD* pFaceRemap, LPD3DXBUFFER* ppVertexRemap,
                                               LPD3DXMESH* ppOptMesh) = 0;
    virtual HRESULT STDMETHODCALLTYPE OptimizeInplace(DWORD Flags, const DWORD* pAdjacencyIn, DWORD* pAdjacencyOut,
                                                      DWORD* pFaceRemap, LPD3DXBUFFER* ppVertexRemap) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAttributeTable(const D3DXATTRIBUTERANGE* pAttribTable,
                                                        DWORD cAttribTableSize) = 0;
};

// ---- Skins ---------------------------------------------------------------------------

// Bones (a name, an offset matrix from mesh space to the bone, and the
// vertices it moves with their weights) of one mesh.
struct ID3DXSkinInfo : public IUnknown {
    // Replaces the bone's influences. Vertex ids must lie below the vertex
    // count and weights be finite and not negative.
    virtual HRESULT STDMETHODCALLTYPE SetBoneInfluence(DWORD Bone, DWORD numInfluences, const DWORD* vertices,
                                                       const FLOAT* weights) = 0;
    virtual DWORD STDMETHODCALLTYPE GetNumBoneInfluences(DWORD Bone) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBoneInfluence(DWORD Bone, DWORD* vertices, FLOAT* weights) = 0;
    // The largest number of bones that move one vertex.
    virtual HRESULT STDMETHODCALLTYPE GetMaxVertexInfluences(DWORD* maxVertexInfluences) = 0;
    virtual DWORD STDMETHODCALLTYPE GetNumBones() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBoneName(DWORD Bone, LPCSTR pName) = 0;
    virtual LPCSTR STDMETHODCALLTYPE GetBoneName(DWORD Bone) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBoneOffsetMatrix(DWORD Bone, const D3DXMATRIX* pBoneTransform) = 0;
    virtual D3DXMATRIX* STDMETHODCALLTYPE GetBoneOffsetMatrix(DWORD Bone) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeclaration(D3DVERTEXELEMENT9 Declaration[MAX_FVF_DECL_SIZE]) = 0;
    virtual DWORD STDMETHODCALLTYPE GetFVF() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDeclaration(const D3DVERTEXELEMENT9* pDeclaration) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFVF(DWORD FVF) = 0;
    // Skins on the processor: for each vertex of the skin's layout, position
    // and normal = sum of weight * (value * bone matrix) over its bones (the
    // normal by pBoneInvTransposeTransforms when given); other bytes and
    // vertices without bones are copied.
    virtual HRESULT STDMETHODCALLTYPE UpdateSkinnedMesh(const D3DXMATRIX* pBoneTransforms,
                                                        const D3DXMATRIX* pBoneInvTransposeTransforms,
                                                        LPCVOID pVerticesSrc, LPVOID pVerticesDst) = 0;
    // Palette skinning: the faces are grouped into bone combinations of at
    // most paletteSize bones each (faces of one material per group); each
    // vertex carries up to 4 bone weights (the strongest, normalised; the last
    // one implied) and UBYTE4 palette indices after its position, the layout
    // XYZBn | D3DFVF_LASTBETA_UBYTE4 with n = *pMaxVertexInfl. Face attribute
    // ids of the new mesh are the combination indices.
    virtual HRESULT STDMETHODCALLTYPE ConvertToIndexedBlendedMesh(
        LPD3DXMESH pMesh, DWORD Options, DWORD paletteSize, const DWORD* pAdjacencyIn, LPDWORD pAdjacencyOut,
        DWORD* pFaceRemap, LPD3DXBUFFER* ppVertexRemap, DWORD* pMaxVertexInfl, DWORD* pNumBoneCombinations,
        LPD3DXBUFFER* ppBoneCombinationTable, LPD3DXMESH* ppMesh) = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(LPD3DXSKININFO* ppSkinInfo) = 0;
};

// ---- Functions -------------------------------------------------------------------------

HRESULT WINAPI D3DXCreateMesh(DWORD NumFaces, DWORD NumVertices, DWORD Options,
                              const D3DVERTEXELEMENT9* pDeclaration, LPDIRECT3DDEVICE9 pD3DDevice,
                              LPD3DXMESH* ppMesh);
HRESULT WINAPI D3DXCreateMeshFVF(DWORD NumFaces, DWORD NumVertices, DWORD Options, DWORD FVF,
                                 LPDIRECT3DDEVICE9 pD3DDevice, LPD3DXMESH* ppMesh);

// FVF codes and declarations.
HRESULT WINAPI D3DXDeclaratorFromFVF(DWORD FVF, D3DVERTEXELEMENT9 pDeclarator[MAX_FVF_DECL_SIZE]);
// D3DERR_INVALIDCALL when the declaration has no FVF code.
HRESULT WINAPI D3DXFVFFromDeclarator(const D3DVERTEXELEMENT9* pDeclarator, DWORD* pFVF);
UINT WINAPI D3DXGetFVFVertexSize(DWORD FVF);
UINT WINAPI D3DXGetDeclVertexSize(const D3DVERTEXELEMENT9* pDecl, DWORD Stream);
UINT WINAPI D3DXGetDeclLength(const D3DVERTEXELEMENT9* pDecl);

// A box of the given sides and a sphere of the given radius, centred on the
// origin, with positions and outward normals (D3DFVF_XYZ | D3DFVF_NORMAL),
// faces clockwise seen from outside. pAdjacency (optional) receives the
// adjacency buffer. The sphere has Slices * (Stacks - 1) + 2 vertices.
HRESULT WINAPI D3DXCreateBox(LPDIRECT3DDEVICE9 pDevice, FLOAT Width, FLOAT Height, FLOAT Depth, LPD3DXMESH* ppMesh,
                             LPD3DXBUFFER* ppAdjacency);
HRESULT WINAPI D3DXCreateSphere(LPDIRECT3DDEVICE9 pDevice, FLOAT Radius, UINT Slices, UINT Stacks,
                                LPD3DXMESH* ppMesh, LPD3DXBUFFER* ppAdjacency);

// Vertex normals (the mesh needs a NORMAL element): the angle-weighted sum of
// the normals of the faces around each vertex, normalised. With adjacency,
// vertices that stand for one point share their normal.
HRESULT WINAPI D3DXComputeNormals(LPD3DXBASEMESH pMesh, const DWORD* pAdjacency);
// Tangents (and binormals unless BinormIndex is D3DX_DEFAULT or
// D3DX_COMP_TANGENT_NONE or the element is missing) from the texture
// coordinates of TexStage, written to the TANGENT / BINORMAL elements of
// those usage indices and orthogonalised against the normal. Wrap and
// pAdjacency are accepted and not needed.
HRESULT WINAPI D3DXComputeTangent(LPD3DXMESH Mesh, DWORD TexStage, DWORD TangentIndex, DWORD BinormIndex,
                                  DWORD Wrap, const DWORD* pAdjacency);

// Centre (mean of the points) and radius (the farthest point) of positions
// `Stride` bytes apart.
HRESULT WINAPI D3DXComputeBoundingSphere(const D3DXVECTOR3* pFirstPosition, DWORD NumVertices, DWORD dwStride,
                                         D3DXVECTOR3* pCenter, FLOAT* pRadius);

HRESULT WINAPI D3DXCreateSkinInfo(DWORD NumVertices, const D3DVERTEXELEMENT9* pDeclaration, DWORD NumBones,
                                  LPD3DXSKININFO* ppSkinInfo);
HRESULT WINAPI D3DXCreateSkinInfoFVF(DWORD NumVertices, DWORD FVF, DWORD NumBones, LPD3DXSKININFO* ppSkinInfo);

// Loads a `.x` file (text or binary, uncompressed) from memory: every frame
// through pAlloc->CreateFrame (name as in the file, null when it has none;
// transformation in row-vector form), then for each frame holding meshes one
// container (its meshes merged, named after the file's first Mesh of that
// frame, or after the frame) with the file's materials in order (a material
// no face uses is dropped; texture file names as raw bytes), attribute ids
// indexing them, shared vertices, adjacency and, for skinned meshes, the skin.
// A file without material list gives NumMaterials 0. When the file has
// animation sets, *ppAnimController receives a controller holding them in
// file order (2 tracks, track 0 playing the first set) whose outputs are the
// named frames' TransformationMatrix. A rotation key (w, x, y, z) in the
// file stands for the quaternion (-x, -y, -z, w), so that rotation keys,
// matrix keys and frame matrices agree. Several top-level frames come back as
// siblings. Options choose the meshes' pools (and D3DXMESH_32BIT); meshes of
// more than 65,535 vertices get 32-bit indices. pUserDataLoader must be null.
// A file whose face, normal or skin indices point past their arrays, whose
// weights are negative or not finite, whose nesting is deeper than 256, or
// that cannot be read fails with D3DXERR_INVALIDDATA.
HRESULT WINAPI D3DXLoadMeshHierarchyFromXInMemory(LPCVOID Memory, DWORD SizeOfMemory, DWORD MeshOptions,
                                                  LPDIRECT3DDEVICE9 pDevice, LPD3DXALLOCATEHIERARCHY pAlloc,
                                                  LPD3DXLOADUSERDATA pUserDataLoader,
                                                  LPD3DXFRAME* ppFrameHierarchy,
                                                  LPD3DXANIMATIONCONTROLLER* ppAnimController);

// Hands every container and frame of the hierarchy (siblings included) back
// to the allocator.
HRESULT WINAPI D3DXFrameDestroy(LPD3DXFRAME pFrameRoot, LPD3DXALLOCATEHIERARCHY pAlloc);
// The first frame of that name, searching the frame, its children and its
// siblings depth first; a null name finds an unnamed frame.
LPD3DXFRAME WINAPI D3DXFrameFind(const D3DXFRAME* pFrameRoot, LPCSTR Name);
// The sphere around every container's mesh vertices, each transformed by its
// frame's combined transformation from the root down.
HRESULT WINAPI D3DXFrameCalculateBoundingSphere(const D3DXFRAME* pFrameRoot, D3DXVECTOR3* pObjectCenter,
                                                FLOAT* pObjectRadius);
// Registers every named frame's TransformationMatrix as an output.
HRESULT WINAPI D3DXFrameRegisterNamedMatrices(LPD3DXFRAME pFrameRoot, LPD3DXANIMATIONCONTROLLER pAnimController);
UINT WINAPI D3DXFrameNumNamedMatrices(const D3DXFRAME* pFrameRoot);
