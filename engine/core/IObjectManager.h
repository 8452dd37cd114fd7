// What an object asks of the object manager that owns it: joining and leaving
// its object set, deferred removal, object groups and the device. The object
// manager implements it and adds the update, render and camera operations.
#pragma once
#include "platform/win32/win32.h"
#include "platform/d3d9/d3d9.h"

struct IDirect3DDevice9;
struct IDirect3DVertexBuffer9;
struct IDirect3DIndexBuffer9;
struct IDirect3DVertexDeclaration9;

namespace Quorvex {

class Object;

class IObjectManager : public IUnknown {
public:
    // The shared dynamic buffers of one object manager and the batch state of
    // the replay; the six batch fields are the DrawIndexedPrimitive arguments.
    struct VertexSet {
        IDirect3DVertexBuffer9* vertexBuffer = nullptr;
        UINT vertexBufferBytes = 0;
        IDirect3DIndexBuffer9* indexBuffer = nullptr;
        UINT indexBufferBytes = 0;
        IDirect3DVertexDeclaration9* declaration = nullptr;
        INT primitiveType = 4;  // triangle list
        INT baseVertexIndex = 0;
        UINT minVertexIndex = 0;
        UINT numVertices = 0;
        UINT startIndex = 0;
        UINT primitiveCount = 0;
    };

    ~IObjectManager() override = default;

    // Inserts the object and takes a reference: 0, or 1 when already present.
    virtual int AddObject(Object* object) = 0;
    // Erases the object, detaches it (SetManager(null)) and releases the
    // manager's reference: 0, or 1 when absent.
    virtual int SubObject(Object* object) = 0;
    // Queues / unqueues the object for removal at the start of the next update.
    virtual void RequestSubObject(Object* object) = 0;
    virtual void CancelSubObject(Object* object) = 0;
    // Keeps group `index`'s member set in step with the object's group bit.
    virtual void SetObjectGroup(Object* object, int index, bool on) = 0;
    virtual int GetGroupCount() const = 0;
    virtual IDirect3DDevice9* GetDevice() const = 0;
};

}  // namespace Quorvex
