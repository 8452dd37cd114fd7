// The game's resource table: one load task per resource id, and the
// configuration of how asset files are found (redirection to the scrambled
// copies under "./data2/") and descrambled.
#pragma once
#include <map>
#include <string>

#include "engine/assets/LoadTask.h"
#include "engine/core/ReferCounter.h"

namespace Quorvex {
class IResourceManager;
}

class LoadTaskFactory : public Quorvex::ILoadTaskFactory, public Quorvex::ReferCounter {
public:
    // The key of every asset file.
    static constexpr DWORD AssetKey = 0x6D2F48A3;

    // An empty id-to-task map.
    LoadTaskFactory() = default;
    // Releases every task.
    ~LoadTaskFactory() override;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    virtual int GetRefCount() { return GetReferenceCount(); }

    // The task of the id with a reference for the caller; null when none.
    Quorvex::ILoadTask* GetTask(const char* id) override;
    // Keeps the holder, switches the environment's file redirection on with
    // RedirectPath as path filter and the asset key, and creates the task of
    // every row of the table: 0.
    int RegisterAll(Quorvex::IResourceManager* holder);
    // Adds the task under its name with a reference; an id already present
    // keeps its first task.
    void AddTask(Quorvex::ILoadTask* task);
    // The path filter: the first seven characters become "./data2/" (a
    // shorter path is replaced whole).
    static void RedirectPath(std::wstring& path);

    int GetTaskCount() const { return static_cast<int>(m_tasks.size()); }
    // The ids of the table in registration order.
    static const char* const* GetTableIds(int* count);

private:
    std::map<std::string, Quorvex::ILoadTask*> m_tasks;  // one reference each
    Quorvex::IResourceManager* m_pHolder = nullptr;       // not counted
};
