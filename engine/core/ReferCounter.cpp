#include "engine/core/ReferCounter.h"

namespace Quorvex {

namespace {
// Marks an object whose destruction has begun, so that a stray AddRef or
// Release from its own teardown cannot destroy it a second time.
constexpr LONG kDying = -1;
}  // namespace

ULONG ReferCounter::IncrementReference() noexcept {
    LONG count = m_refCount.load(std::memory_order_relaxed);
    do {
        if (count < 0) return 0;
    } while (!m_refCount.compare_exchange_weak(count, count + 1, std::memory_order_relaxed));
    return static_cast<ULONG>(count + 1);
}

ULONG ReferCounter::DecrementReference() noexcept {
    LONG count = m_refCount.load(std::memory_order_acquire);
    for (;;) {
        if (count < 0) return 0;
        if (count < 2) {
            // Only the caller that moves the count to "dying" destroys.
            if (m_refCount.compare_exchange_weak(count, kDying, std::memory_order_acq_rel)) {
                delete this;
                return 0;
            }
            continue;
        }
        if (m_refCount.compare_exchange_weak(count, count - 1, std::memory_order_acq_rel))
            return static_cast<ULONG>(count - 1);
    }
}

int ReferCounter::GetReferenceCount() const noexcept {
    return m_refCount.load(std::memory_order_relaxed);
}

}  // namespace Quorvex
