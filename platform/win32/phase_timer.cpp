#include "platform/win32/phase_timer.h"

#include <atomic>
#include <chrono>

namespace orv {

namespace {

std::atomic<int64_t> g_totals[static_cast<int>(Phase::Count)];
thread_local PhaseTimer* t_innermost = nullptr;

int64_t Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

PhaseTimer::PhaseTimer(Phase phase) : m_phase(phase), m_outer(t_innermost) {
    m_start = Now();
    if (m_outer) m_outer->Pause(m_start);
    t_innermost = this;
}

PhaseTimer::~PhaseTimer() {
    const int64_t now = Now();
    Pause(now);
    t_innermost = m_outer;
    if (m_outer) m_outer->m_start = now;
}

void PhaseTimer::Pause(int64_t now) {
    g_totals[static_cast<int>(m_phase)].fetch_add(now - m_start, std::memory_order_relaxed);
    m_start = now;
}

int64_t PhaseNanoseconds(Phase phase) {
    const int index = static_cast<int>(phase);
    return index >= 0 && index < static_cast<int>(Phase::Count) ? g_totals[index].load() : 0;
}

}  // namespace orv
