// A debugging overlay: every rigid body of the physics world drawn as a
// wireframe over the rendered frame, yellow while awake, green (half
// transparent) while sleeping or disabled, convex hulls red. One instance is
// loaded by the action scene and drawn from its render hook while the
// system-information display is on. Not registered in the shader manager.
#pragma once
#include "engine/assets/shaders/ShaderAdapter.h"

class btCollisionObject;
class btCollisionShape;
class btRigidBody;
class btTransform;

namespace Quorvex {
class IAreaManager;
class ObjectManager;
}

class CollisionRenderer : public Quorvex::ShaderAdapter {
public:
    static constexpr const wchar_t* kEffectPath = L"./data/fx/collision.cfx";

    explicit CollisionRenderer(Quorvex::ShaderManager* manager = nullptr);
    // Releases the meshes, the declaration and the device.
    ~CollisionRenderer() override;

    // Keeps the device (referenced) and the managers, reads the effect and
    // takes its technique, makes the declaration, the sphere and the box:
    // 0, or -1 when a step fails.
    int Load(IDirect3DDevice9* device, Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
             const wchar_t* effectPath = kEffectPath);
    // The overlay, ignoring depth.
    void DrawAll();

    // Not used: the overlay is drawn through DrawAll only.
    int LoadShader() override { return 0; }
    int Apply(Quorvex::IPrimitive*, int, int) override { return 0; }

    // The colour of a body: hulls red, else by activation state.
    static D3DXVECTOR4 BodyColor(const btCollisionObject* body, bool hull);

private:
    void DrawShape(const btRigidBody* body, const btCollisionShape* shape, const D3DXMATRIX* parent);
    void DrawMesh(ID3DXMesh* mesh, const D3DXMATRIX& wvp, const D3DXVECTOR4& color);
    void DrawUser(D3DPRIMITIVETYPE type, UINT count, const void* vertices, const D3DXMATRIX& wvp,
                  const D3DXVECTOR4& color);
    bool BeginEffect(const D3DXMATRIX& wvp, const D3DXVECTOR4& color, UINT* passes);

    IDirect3DDevice9* m_pDevice = nullptr;  // counted
    Quorvex::ObjectManager* m_pObjectManager = nullptr;
    Quorvex::IAreaManager* m_pAreaManager = nullptr;
    D3DXHANDLE m_hTechnique = nullptr;
    D3DXHANDLE m_hWVP = nullptr;
    D3DXHANDLE m_hColor = nullptr;
    IDirect3DVertexDeclaration9* m_pDecl = nullptr;
    ID3DXMesh* m_pSphere = nullptr;
    ID3DXMesh* m_pBox = nullptr;
};

// The process-wide instance the action scene keeps (not counted here).
extern CollisionRenderer* g_pCollisionRenderer;
