// Threads, their handles and exit codes, and critical sections.
#include <gtest/gtest.h>

#include <atomic>

#include "platform/win32/win32.h"

namespace {

struct Job {
    std::atomic<bool> release{false};
    std::atomic<bool> finished{false};
    DWORD idSeen = 0;
    DWORD result = 0;
};

DWORD WINAPI RunJob(LPVOID parameter) {
    auto* job = static_cast<Job*>(parameter);
    job->idSeen = GetCurrentThreadId();
    while (!job->release) Sleep(0);
    const DWORD result = job->result;
    job->finished = true;  // the job may be gone after this
    return result;
}

TEST(Thread, RunsWithItsParameterAndEndsWithItsResult) {
    Job job;
    job.result = 7;
    job.release = true;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, RunJob, &job, 0, &id);
    ASSERT_NE(nullptr, thread);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, INFINITE));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(7u, code);
    EXPECT_EQ(id, job.idSeen);
    EXPECT_NE(0u, id);
    EXPECT_NE(GetCurrentThreadId(), id);

    EXPECT_TRUE(CloseHandle(thread));
    // A closed handle is refused, not followed.
    EXPECT_FALSE(CloseHandle(thread));
    EXPECT_FALSE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(WAIT_FAILED, WaitForSingleObject(thread, 0));
}

TEST(Thread, ReportsStillActiveUntilItEnds) {
    Job job;
    job.result = 0;
    HANDLE thread = CreateThread(nullptr, 0, RunJob, &job, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(STILL_ACTIVE, code);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(thread, 0));

    job.release = true;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, INFINITE));
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(CloseHandle(thread));
}

TEST(Thread, OutlivesItsClosedHandle) {
    Job job;
    HANDLE thread = CreateThread(nullptr, 0, RunJob, &job, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    EXPECT_TRUE(CloseHandle(thread));
    job.release = true;
    while (!job.finished) Sleep(1);
}

TEST(Thread, RefusesWhatItCannotStart) {
    EXPECT_EQ(nullptr, CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr));
    EXPECT_FALSE(CloseHandle(nullptr));
    EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
    DWORD code;
    EXPECT_FALSE(GetExitCodeThread(nullptr, &code));
}

struct Counter {
    CRITICAL_SECTION lock;
    int value = 0;  // deliberately plain: only the lock protects it
};

DWORD WINAPI CountUnderLock(LPVOID parameter) {
    auto* counter = static_cast<Counter*>(parameter);
    for (int i = 0; i < 20000; ++i) {
        EnterCriticalSection(&counter->lock);
        EnterCriticalSection(&counter->lock);  // the owner may enter again
        ++counter->value;
        LeaveCriticalSection(&counter->lock);
        LeaveCriticalSection(&counter->lock);
    }
    return 0;
}

TEST(CriticalSection, KeepsThreadsApartAndLetsTheOwnerEnterAgain) {
    Counter counter;
    InitializeCriticalSection(&counter.lock);
    HANDLE threads[4];
    for (HANDLE& t : threads) {
        t = CreateThread(nullptr, 0, CountUnderLock, &counter, 0, nullptr);
        ASSERT_NE(nullptr, t);
    }
    for (HANDLE t : threads) {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(t, INFINITE));
        CloseHandle(t);
    }
    EXPECT_EQ(4 * 20000, counter.value);
    DeleteCriticalSection(&counter.lock);
}

DWORD WINAPI EnterOnce(LPVOID parameter) {
    auto* section = static_cast<CRITICAL_SECTION*>(parameter);
    EnterCriticalSection(section);
    LeaveCriticalSection(section);
    return 0;
}

TEST(CriticalSection, StaysHeldUntilEveryEnterIsLeft) {
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EnterCriticalSection(&section);
    LeaveCriticalSection(&section);

    HANDLE other = CreateThread(nullptr, 0, EnterOnce, &section, 0, nullptr);
    ASSERT_NE(nullptr, other);
    // Still held once: the other thread cannot get in, however long it tries.
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(other, 50));
    LeaveCriticalSection(&section);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(other, INFINITE));
    CloseHandle(other);
    DeleteCriticalSection(&section);
}

}  // namespace
