#include "game/world/effects/CollisionRenderer.h"

#include <btBulletDynamicsCommon.h>
#include <BulletSoftBody/btSoftRigidDynamicsWorld.h>

#include <vector>

#include "engine/assets/ResourceManager.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/render/ObjectManager.h"
#include "game/world/AreaManager.h"

CollisionRenderer* g_pCollisionRenderer = nullptr;

namespace {

struct LineVertex {
    float x, y, z;
    float nx, ny, nz;
};

// A Bullet transform as a row-vector matrix: basis transposed, origin in the
// last row.
D3DXMATRIX ToMatrix(const btTransform& transform) {
    btScalar m[16];
    transform.getOpenGLMatrix(m);
    return D3DXMATRIX(m);
}

LineVertex Vertex(const btVector3& p) { return LineVertex{p.x(), p.y(), p.z(), 0.0f, 1.0f, 0.0f}; }

}  // namespace

CollisionRenderer::CollisionRenderer(Quorvex::ShaderManager* manager) : Quorvex::ShaderAdapter(nullptr, manager) {
    m_name = "CollisionRenderer";
}

CollisionRenderer::~CollisionRenderer() {
    if (g_pCollisionRenderer == this) g_pCollisionRenderer = nullptr;
    SAFE_RELEASE(m_pBox);
    SAFE_RELEASE(m_pSphere);
    SAFE_RELEASE(m_pDecl);
    m_pObjectManager = nullptr;
    m_pAreaManager = nullptr;
    SAFE_RELEASE(m_pDevice);
}

int CollisionRenderer::Load(IDirect3DDevice9* device, Quorvex::ObjectManager* objectManager,
                            Quorvex::IAreaManager* areaManager, const wchar_t* effectPath) {
    if (device) device->AddRef();
    SAFE_RELEASE(m_pDevice);
    m_pDevice = device;
    m_pObjectManager = objectManager;
    m_pAreaManager = areaManager;
    if (!device) return -1;

    std::vector<BYTE> source;
    DWORD size = 0;
    if (LoadFile(effectPath ? effectPath : kEffectPath, source, &size) < 0) return -1;
    SAFE_RELEASE(m_pEffect);
    if (FAILED(D3DXCreateEffect(device, source.data(), size, nullptr, nullptr, 0, nullptr, &m_pEffect, nullptr)) ||
        !m_pEffect) {
        Quorvex::MessageLogManager::Instance().Log(L"CollisionRenderer", L"collision.cfx: effect not built");
        return -1;
    }
    // A new effect starts on its first valid technique.
    m_hTechnique = m_pEffect->GetCurrentTechnique();
    m_hWVP = m_pEffect->GetParameterByName(nullptr, "g_mWVP");
    m_hColor = m_pEffect->GetParameterByName(nullptr, "g_Color");
    if (!m_hTechnique || !m_hWVP || !m_hColor) return -1;

    const D3DVERTEXELEMENT9 elements[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
        D3DDECL_END()};
    SAFE_RELEASE(m_pDecl);
    if (FAILED(device->CreateVertexDeclaration(elements, &m_pDecl))) return -1;
    SAFE_RELEASE(m_pSphere);
    if (FAILED(D3DXCreateSphere(device, 1.0f, 16, 16, &m_pSphere, nullptr))) return -1;
    SAFE_RELEASE(m_pBox);
    if (FAILED(D3DXCreateBox(device, 1.0f, 1.0f, 1.0f, &m_pBox, nullptr))) return -1;
    return 0;
}

D3DXVECTOR4 CollisionRenderer::BodyColor(const btCollisionObject* body, bool hull) {
    if (hull) return D3DXVECTOR4(1.0f, 0.0f, 0.0f, 1.0f);
    const int state = body ? body->getActivationState() : ACTIVE_TAG;
    if (state == ISLAND_SLEEPING || state == DISABLE_SIMULATION) return D3DXVECTOR4(0.0f, 1.0f, 0.0f, 0.5f);
    return D3DXVECTOR4(1.0f, 1.0f, 0.0f, 1.0f);
}

void CollisionRenderer::DrawAll() {
    if (!m_pDevice || !m_pEffect || !m_pAreaManager || !m_pObjectManager) return;
    // The shared world, without asking for an Area: drawing must not build terrain.
    btSoftRigidDynamicsWorld* world = m_pAreaManager->GetDynamicsWorld();
    if (!world) return;
    m_pDevice->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    m_pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    m_pDevice->SetRenderState(D3DRS_ZENABLE, 0);
    const btCollisionObjectArray& objects = world->getCollisionObjectArray();
    for (int i = world->getNumCollisionObjects() - 1; i >= 0; --i) {
        const btRigidBody* body = btRigidBody::upcast(objects[i]);
        if (body) DrawShape(body, body->getCollisionShape(), nullptr);
    }
    m_pDevice->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    m_pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    m_pDevice->SetRenderState(D3DRS_ZENABLE, 1);
}

void CollisionRenderer::DrawShape(const btRigidBody* body, const btCollisionShape* shape, const D3DXMATRIX* parent) {
    if (!shape) return;
    Quorvex::IResourceManager* resources = m_pObjectManager->GetResourceManager();
    Quorvex::RenderParameter* parameter = resources ? resources->GetRenderParameter() : nullptr;
    if (!parameter) return;
    const D3DXMATRIX viewProjection = parameter->m_view * parameter->m_projection;
    D3DXMATRIX placed = ToMatrix(body->getWorldTransform());
    if (parent) placed = *parent * placed;
    const D3DXVECTOR4 color = BodyColor(body, false);

    switch (shape->getShapeType()) {
        case BOX_SHAPE_PROXYTYPE:
        case CYLINDER_SHAPE_PROXYTYPE: {
            const btVector3 half = static_cast<const btConvexInternalShape*>(shape)->getImplicitShapeDimensions();
            D3DXMATRIX scale;
            D3DXMatrixScaling(&scale, 2.0f * half.x(), 2.0f * half.y(), 2.0f * half.z());
            DrawMesh(m_pBox, scale * placed * viewProjection, color);
            break;
        }
        case SPHERE_SHAPE_PROXYTYPE: {
            const auto* sphere = static_cast<const btConvexInternalShape*>(shape);
            const float radius = sphere->getImplicitShapeDimensions().x() * sphere->getLocalScaling().x();
            D3DXMATRIX scale;
            D3DXMatrixScaling(&scale, radius, radius, radius);
            DrawMesh(m_pSphere, scale * placed * viewProjection, color);
            break;
        }
        case CONVEX_HULL_SHAPE_PROXYTYPE: {
            const auto* hull = static_cast<const btPolyhedralConvexShape*>(shape);
            const int edges = hull->getNumEdges();
            if (edges <= 0) break;
            std::vector<LineVertex> lines;
            lines.reserve(static_cast<size_t>(edges) * 2);
            for (int i = 0; i < edges; ++i) {
                btVector3 a, b;
                hull->getEdge(i, a, b);
                lines.push_back(Vertex(a));
                lines.push_back(Vertex(b));
            }
            DrawUser(D3DPT_LINELIST, static_cast<UINT>(edges), lines.data(), placed * viewProjection,
                     BodyColor(body, true));
            break;
        }
        case STATIC_PLANE_PROXYTYPE: {
            const LineVertex square[4] = {{-50, 0, 50, 0, 1, 0}, {50, 0, 50, 0, 1, 0}, {-50, 0, -50, 0, 1, 0},
                                          {50, 0, -50, 0, 1, 0}};
            DrawUser(D3DPT_TRIANGLESTRIP, 2, square, viewProjection, color);
            break;
        }
        case COMPOUND_SHAPE_PROXYTYPE: {
            const auto* compound = static_cast<const btCompoundShape*>(shape);
            for (int i = 0; i < compound->getNumChildShapes(); ++i) {
                const D3DXMATRIX child = ToMatrix(compound->getChildTransform(i));
                DrawShape(body, compound->getChildShape(i), &child);
            }
            break;
        }
        default:
            break;
    }
}

bool CollisionRenderer::BeginEffect(const D3DXMATRIX& wvp, const D3DXVECTOR4& color, UINT* passes) {
    m_pEffect->SetMatrix(m_hWVP, &wvp);
    m_pEffect->SetVector(m_hColor, &color);
    m_pEffect->SetTechnique(m_hTechnique);
    m_pDevice->SetVertexDeclaration(m_pDecl);
    *passes = 0;
    return SUCCEEDED(m_pEffect->Begin(passes, 0));
}

void CollisionRenderer::DrawMesh(ID3DXMesh* mesh, const D3DXMATRIX& wvp, const D3DXVECTOR4& color) {
    if (!mesh) return;
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    mesh->GetVertexBuffer(&vertices);
    mesh->GetIndexBuffer(&indices);
    UINT passes = 0;
    if (vertices && indices && BeginEffect(wvp, color, &passes)) {
        for (UINT pass = 0; pass < passes; ++pass) {
            m_pEffect->BeginPass(pass);
            m_pDevice->SetStreamSource(0, vertices, 0, sizeof(LineVertex));
            m_pDevice->SetIndices(indices);
            m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, mesh->GetNumVertices(), 0, mesh->GetNumFaces());
            m_pEffect->EndPass();
        }
        m_pEffect->End();
    }
    SAFE_RELEASE(indices);
    SAFE_RELEASE(vertices);
}

void CollisionRenderer::DrawUser(D3DPRIMITIVETYPE type, UINT count, const void* vertices, const D3DXMATRIX& wvp,
                                 const D3DXVECTOR4& color) {
    UINT passes = 0;
    if (!BeginEffect(wvp, color, &passes)) return;
    for (UINT pass = 0; pass < passes; ++pass) {
        m_pEffect->BeginPass(pass);
        m_pDevice->DrawPrimitiveUP(type, count, vertices, sizeof(LineVertex));
        m_pEffect->EndPass();
    }
    m_pEffect->End();
}
