// Load tasks: small counted objects that each know how to produce one
// resource (its id, the file, the asset key and the resource manager to
// register the result in). The resource manager queues them and its loader
// thread runs them; the load-task factory hands them out by id.
#pragma once
#include <string>

#include "engine/core/ReferCounter.h"
#include "platform/win32/win32.h"

namespace Quorvex {

class IResourceManager;
class MaterialUnit;
class MeshUnit;

class ILoadTask : public IUnknown {
public:
    ~ILoadTask() override = default;

    // Produces the resource; negative = failure (the task logs it).
    virtual int Load() = 0;
    // The task's name: the id of the resource it produces.
    virtual const char* GetName() = 0;
    virtual void SetName(const char* name) = 0;
    // The queue orders tasks by this value (lower first), then by name.
    virtual int* GetParam() = 0;
    virtual void SetParam(const int* param) = 0;
};

// Everything but Load: a name (empty) and a parameter (0) under a plain
// reference count that starts at 0.
class LoadTaskAdapter : public ILoadTask, public ReferCounter {
public:
    LoadTaskAdapter() = default;
    ~LoadTaskAdapter() override = default;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    const char* GetName() override { return m_name.c_str(); }
    void SetName(const char* name) override { m_name = name ? name : ""; }
    int* GetParam() override { return &m_param; }
    void SetParam(const int* param) override {
        if (param) m_param = *param;
    }
    virtual int GetRefCount() { return GetReferenceCount(); }

protected:
    std::string m_name;
    int m_param = 0;
};

// A material with one texture read from an asset file. Nothing is loaded
// again while the holder has a resource under the id.
class LoadTask_Material : public LoadTaskAdapter {
public:
    LoadTask_Material(IResourceManager* holder, const char* id, const wchar_t* path, DWORD key);
    ~LoadTask_Material() override;

    // Registers a new material under the id before its texture is read, so
    // a failed read leaves it registered without texture (-1).
    int Load() override;
    // Called after the texture was added; negative fails the load.
    virtual int OnLoaded(MaterialUnit* material);

protected:
    IResourceManager* m_pHolder;  // not counted
    std::wstring m_path;
    DWORD m_key;
};

// A mesh read from a `.x` asset file; the kinds of mesh differ by OnLoaded.
class LoadTask_Mesh : public LoadTaskAdapter {
public:
    LoadTask_Mesh(IResourceManager* holder, const char* id, const wchar_t* path, DWORD key);
    ~LoadTask_Mesh() override;

    // Registers a new mesh under the id before its file is read, so a failed
    // read leaves it registered without hierarchy (-1).
    int Load() override;
    // Called after a successful read; negative fails the load.
    virtual int OnLoaded(MeshUnit* mesh);

protected:
    IResourceManager* m_pHolder;  // not counted
    std::wstring m_path;
    DWORD m_key;
};

// Hands out the task registered under an id.
class ILoadTaskFactory : public IUnknown {
public:
    ~ILoadTaskFactory() override = default;

    // The task with one reference added for the caller; null when none.
    virtual ILoadTask* GetTask(const char* id) = 0;
};

}  // namespace Quorvex
