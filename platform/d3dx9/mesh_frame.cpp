// Walks over frame hierarchies: destroying, finding, bounding and registering.
#include <cmath>
#include <cstring>

#include "platform/d3dx9/anim.h"
#include "platform/d3dx9/mesh_impl.h"

namespace {

// Calls visit(frame, parentCombined) for the frame, its children and its
// siblings, depth first; children see the frame's combined matrix.
template <class Visit>
void Walk(const D3DXFRAME* frame, const D3DXMATRIX& parent, Visit& visit) {
    for (; frame; frame = frame->pFrameSibling) {
        const D3DXMATRIX combined = frame->TransformationMatrix * parent;
        visit(frame, combined);
        Walk(frame->pFrameFirstChild, combined, visit);
    }
}

const D3DXMATRIX kIdentity(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);

}  // namespace

HRESULT WINAPI D3DXFrameDestroy(LPD3DXFRAME pFrameRoot, LPD3DXALLOCATEHIERARCHY pAlloc) {
    if (!pFrameRoot || !pAlloc) return D3DERR_INVALIDCALL;
    HRESULT result = D3D_OK;
    for (D3DXFRAME* frame = pFrameRoot; frame;) {
        D3DXFRAME* sibling = frame->pFrameSibling;
        for (D3DXMESHCONTAINER* c = frame->pMeshContainer; c;) {
            D3DXMESHCONTAINER* next = c->pNextMeshContainer;
            const HRESULT hr = pAlloc->DestroyMeshContainer(c);
            if (FAILED(hr)) result = hr;
            c = next;
        }
        frame->pMeshContainer = nullptr;
        if (frame->pFrameFirstChild) {
            const HRESULT hr = D3DXFrameDestroy(frame->pFrameFirstChild, pAlloc);
            if (FAILED(hr)) result = hr;
        }
        const HRESULT hr = pAlloc->DestroyFrame(frame);
        if (FAILED(hr)) result = hr;
        frame = sibling;
    }
    return result;
}

LPD3DXFRAME WINAPI D3DXFrameFind(const D3DXFRAME* pFrameRoot, LPCSTR Name) {
    for (const D3DXFRAME* frame = pFrameRoot; frame; frame = frame->pFrameSibling) {
        const bool match = Name ? frame->Name && std::strcmp(frame->Name, Name) == 0 : !frame->Name;
        if (match) return const_cast<D3DXFRAME*>(frame);
        if (LPD3DXFRAME found = D3DXFrameFind(frame->pFrameFirstChild, Name)) return found;
    }
    return nullptr;
}

HRESULT WINAPI D3DXFrameCalculateBoundingSphere(const D3DXFRAME* pFrameRoot, D3DXVECTOR3* pObjectCenter,
                                                FLOAT* pObjectRadius) {
    if (!pFrameRoot || !pObjectCenter || !pObjectRadius) return D3DERR_INVALIDCALL;
    std::vector<D3DXVECTOR3> points;
    HRESULT result = D3D_OK;
    auto collect = [&](const D3DXFRAME* frame, const D3DXMATRIX& combined) {
        for (const D3DXMESHCONTAINER* c = frame->pMeshContainer; c; c = c->pNextMeshContainer) {
            if (c->MeshData.Type != D3DXMESHTYPE_MESH || !c->MeshData.pMesh) continue;
            orv::d3dx9::MeshArrays a;
            const HRESULT hr = orv::d3dx9::ReadMesh(c->MeshData.pMesh, a);
            if (FAILED(hr)) {
                result = hr;
                continue;
            }
            for (DWORD v = 0; v < a.NumVertices(); ++v) {
                D3DXVECTOR3 p = a.Position(v);
                D3DXVec3TransformCoord(&p, &p, &combined);
                points.push_back(p);
            }
        }
    };
    Walk(pFrameRoot, kIdentity, collect);
    if (FAILED(result)) return result;
    if (points.empty()) {
        *pObjectCenter = D3DXVECTOR3(0, 0, 0);
        *pObjectRadius = 0;
        return D3D_OK;
    }
    const HRESULT hr = D3DXComputeBoundingSphere(points.data(), static_cast<DWORD>(points.size()),
                                                 sizeof(D3DXVECTOR3), pObjectCenter, pObjectRadius);
    if (SUCCEEDED(hr) && !(std::isfinite(*pObjectRadius) && std::isfinite(pObjectCenter->x) &&
                           std::isfinite(pObjectCenter->y) && std::isfinite(pObjectCenter->z)))
        return D3DXERR_INVALIDDATA;
    return hr;
}

HRESULT WINAPI D3DXFrameRegisterNamedMatrices(LPD3DXFRAME pFrameRoot, LPD3DXANIMATIONCONTROLLER pAnimController) {
    if (!pFrameRoot || !pAnimController) return D3DERR_INVALIDCALL;
    HRESULT result = D3D_OK;
    auto registerFrame = [&](const D3DXFRAME* frame, const D3DXMATRIX&) {
        if (!frame->Name || FAILED(result)) return;
        auto* f = const_cast<D3DXFRAME*>(frame);
        result = pAnimController->RegisterAnimationOutput(f->Name, &f->TransformationMatrix, nullptr, nullptr,
                                                          nullptr);
    };
    Walk(pFrameRoot, kIdentity, registerFrame);
    return result;
}

UINT WINAPI D3DXFrameNumNamedMatrices(const D3DXFRAME* pFrameRoot) {
    UINT count = 0;
    auto countFrame = [&](const D3DXFRAME* frame, const D3DXMATRIX&) {
        if (frame->Name) ++count;
    };
    Walk(pFrameRoot, kIdentity, countFrame);
    return count;
}
