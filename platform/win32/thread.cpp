// Threads over std::thread and critical sections over a recursive mutex.
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <new>
#include <thread>

#include "platform/win32/services_internal.h"

namespace {

std::atomic<DWORD> g_nextThreadId{1};
thread_local DWORD t_threadId = 0;

struct ThreadObject final : win32_internal::KernelObject {
    std::thread thread;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    DWORD exitCode = STILL_ACTIVE;
    DWORD id = 0;

    ~ThreadObject() override {
        if (thread.joinable()) thread.detach();
    }

    // The thread runs on after its last handle is closed, as on Windows; one
    // that has already finished is joined so that nothing is left behind.
    void OnClose() override {
        bool finished;
        {
            std::lock_guard<std::mutex> lock(mutex);
            finished = done;
        }
        if (!thread.joinable()) return;
        if (finished && thread.get_id() != std::this_thread::get_id()) thread.join();
        else thread.detach();
    }
};

}  // namespace

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                    DWORD flags, LPDWORD threadId) {
    if (!start || flags != 0) return nullptr;
    std::shared_ptr<ThreadObject> object;
    try {
        object = std::make_shared<ThreadObject>();
        object->id = g_nextThreadId++;
        // The thread keeps its object alive, so closing the handle early is safe.
        object->thread = std::thread([object, start, parameter] {
            t_threadId = object->id;
            const DWORD code = start(parameter);
            {
                std::lock_guard<std::mutex> lock(object->mutex);
                object->exitCode = code;
                object->done = true;
            }
            object->ended.notify_all();
        });
    } catch (const std::exception&) {
        return nullptr;
    }
    if (threadId) *threadId = object->id;
    return win32_internal::RegisterHandle(std::move(object));
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode) {
    const auto object = win32_internal::FindHandleAs<ThreadObject>(thread);
    if (!object || !exitCode) return FALSE;
    std::lock_guard<std::mutex> lock(object->mutex);
    *exitCode = object->exitCode;
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    const auto object = win32_internal::FindHandleAs<ThreadObject>(handle);
    if (!object) return WAIT_FAILED;
    std::unique_lock<std::mutex> lock(object->mutex);
    const auto isDone = [&] { return object->done; };
    if (milliseconds == INFINITE) {
        object->ended.wait(lock, isDone);
        return WAIT_OBJECT_0;
    }
    return object->ended.wait_for(lock, std::chrono::milliseconds(milliseconds), isDone) ? WAIT_OBJECT_0
                                                                                         : WAIT_TIMEOUT;
}

DWORD GetCurrentThreadId() {
    if (t_threadId == 0) t_threadId = g_nextThreadId++;
    return t_threadId;
}

// ---------------------------------------------------------------------------

namespace {

static_assert(sizeof(std::recursive_mutex) <= sizeof(CRITICAL_SECTION::opaque));
static_assert(alignof(std::recursive_mutex) <= alignof(CRITICAL_SECTION));

constexpr uint32_t kLiveSection = 0x4C495645;

// A section used before it is initialised or after it is deleted would lock
// garbage; stop with a clear message instead.
std::recursive_mutex& MutexOf(LPCRITICAL_SECTION section) {
    if (!section || section->state != kLiveSection) {
        std::fputs("critical section used while not initialised\n", stderr);
        std::abort();
    }
    return *std::launder(reinterpret_cast<std::recursive_mutex*>(section->opaque));
}

}  // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION section) {
    new (section->opaque) std::recursive_mutex;
    section->state = kLiveSection;
}

void EnterCriticalSection(LPCRITICAL_SECTION section) { MutexOf(section).lock(); }

void LeaveCriticalSection(LPCRITICAL_SECTION section) { MutexOf(section).unlock(); }

void DeleteCriticalSection(LPCRITICAL_SECTION section) {
    if (!section || section->state != kLiveSection) return;
    MutexOf(section).~recursive_mutex();
    section->state = 0;
}
