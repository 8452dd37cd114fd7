// HANDLE values: each names a kernel object kept in one process-wide table,
// so a stale or foreign handle is refused instead of being followed.
#include <mutex>
#include <unordered_map>

#include "platform/win32/services_internal.h"

namespace win32_internal {
namespace {

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<HANDLE, std::shared_ptr<KernelObject>> objects;
};

// Never destroyed: threads that outlive main() may still close handles.
HandleTable& Table() {
    static HandleTable* table = new HandleTable;
    return *table;
}

}  // namespace

HANDLE RegisterHandle(std::shared_ptr<KernelObject> object) {
    HANDLE handle = object.get();
    HandleTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    table.objects[handle] = std::move(object);
    return handle;
}

std::shared_ptr<KernelObject> FindHandle(HANDLE handle) {
    HandleTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    const auto it = table.objects.find(handle);
    return it == table.objects.end() ? nullptr : it->second;
}

}  // namespace win32_internal

BOOL CloseHandle(HANDLE handle) {
    std::shared_ptr<win32_internal::KernelObject> object;
    {
        auto& table = win32_internal::Table();
        std::lock_guard<std::mutex> lock(table.mutex);
        const auto it = table.objects.find(handle);
        if (it == table.objects.end()) return FALSE;
        object = std::move(it->second);
        table.objects.erase(it);
    }
    object->OnClose();
    return TRUE;
}
